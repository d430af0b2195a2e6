// The sky of a period as a page: with a chart, its wheel with the period's new and full
// moons marked round the outside at their degrees and the eclipses with their dates; the
// lunations by month with their natal houses and aspects, the eclipses with their figures,
// the points they touch and whether they are seen at the place, the void-of-course Moon's
// stretches by month; then the reading. In the horoscope language; a pure function of its
// parts.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "natal/natal_chart.h"
#include "sheet/reading.h"
#include "sheet/time_report.h"
#include "sky/sky.h"

namespace orvenda::report {

struct Sky {
  std::string name;       // UTF-8, as the chart is named; empty without a chart
  std::string birthLine;  // the birth data as one line, in the report's language
  std::string zone;       // the astrologer's zone, which the dates are told in
  LocalClock local;
  bool greek = false;
  long long periodFrom = 0, periodTo = 0;  // universal seconds
  std::string place;                       // where the eclipses are seen from, if given
  const natal::NatalChart* chart = nullptr;
  bool lunationsAsked = true, eclipsesAsked = true, voidAsked = true;

  struct LunationRow {
    sky::Lunation lunation;
    sky::NatalContact contact;  // with a chart
  };
  std::vector<LunationRow> lunations;
  struct EclipseRow {
    sky::Eclipse eclipse;
    sky::NatalContact contact;
    std::optional<sky::EclipseSeen> seen;  // with a place
  };
  std::vector<EclipseRow> eclipses;
  std::vector<sky::VoidStretch> voids;  // every stretch of the period, in time order
};

std::string skyReportHtml(const Sky& report, const reading::Reading& reading);

}  // namespace orvenda::report
