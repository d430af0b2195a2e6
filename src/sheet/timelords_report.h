// The time lords as a page: a picture of a life's periods, one band for each reckoning
// (the profected years, the firdaria and their sub-periods, the zodiacal releasing's first
// two levels) across the years, the date read ruled across them; then the tables of the
// periods and the reading of the lords in force on that date. In the horoscope language; a
// pure function of its parts.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sheet/reading.h"
#include "sheet/time_report.h"
#include "timelords/timelords.h"

namespace orvenda::report {

struct Timelords {
  std::string name;       // UTF-8, as the chart is named
  std::string birthLine;  // the birth data as one line, in the report's language
  std::string zone;       // the astrologer's zone, which the dates are told in
  LocalClock local;
  bool greek = false;
  long long birth = 0;         // universal seconds
  int birthOffset = 0;         // the birth's clock, for its anniversaries (timelords::Birth)
  long long from = 0, to = 0;  // the span drawn, universal seconds
  // The moment read (today, or the date asked), ruled on the picture; none when it is
  // outside the life the lords are reckoned for.
  std::optional<long long> now;
  int ascendantSign = 0, lotSign = 0, fortuneSign = 0;
  bool fromSpirit = true, dayBirth = true;
  double yearDays = 360;
  std::vector<timelords::Profection> years;           // those of the span
  std::vector<timelords::Firdar> firdaria;            // periods and sub-periods of the span
  std::vector<timelords::ReleasingPeriod> releasing;  // levels 1 and 2 of the span
  // The second level under the first in force on the date read, whole even where it runs
  // past the span.
  std::vector<timelords::ReleasingPeriod> currentSecondLevel;
};

std::string timelordsReportHtml(const Timelords& report, const reading::Reading& reading);

}  // namespace orvenda::report
