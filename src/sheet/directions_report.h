// The directions as a page: a picture of a life's primary directions, a row for each
// significator across the years, each direction a mark at its age in its promissor's
// colour (its shape the aspect's nature, hollow when converse), the date read ruled across
// them; the table of the primary directions by age, the solar arc directions of the period
// and the reading of those of the seven planets to the significators. In the horoscope
// language; a pure function of its parts.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sheet/reading.h"
#include "sheet/time_report.h"
#include "timelords/directions.h"

namespace orvenda::report {

struct Directions {
  std::string name;       // UTF-8, as the chart is named
  std::string birthLine;  // the birth data as one line, in the report's language
  std::string zone;       // the astrologer's zone, which the dates are told in
  LocalClock local;
  bool greek = false;
  double birthJd = 0;
  std::optional<double> nowJd;  // the date read, ruled on the picture
  timelords::PrimaryOptions options;
  std::vector<timelords::PrimaryDirection> primary;  // of the life, in order of arc
  bool naibod = false;                               // the solar arc's rate: Naibod's
  long long periodFrom = 0, periodTo = 0;            // the solar arc's period, universal seconds
  std::vector<timelords::Direction> solarArc;        // exact in the period
};

std::string directionsReportHtml(const Directions& report, const reading::Reading& reading);

}  // namespace orvenda::report
