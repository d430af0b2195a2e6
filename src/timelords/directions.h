// Directions: the chart's points carried forward by an arc that grows about a degree a year,
// and the dates their directed places make the aspects to the natal ones. Solar arc: the
// progressed Sun's longitude less the natal Sun's, the progressed instant one day after
// birth for each tropical year of life; Naibod's: the Sun's mean daily motion a year.
#pragma once

#include <vector>

#include "natal/natal_chart.h"

namespace orvenda::natal {
class Ephemeris;
}

namespace orvenda::timelords {

// The arc at a date (Julian day, UT), degrees: the solar arc, or with `naibod` Naibod's.
// Nothing where the ephemeris has no Sun for the progressed instant.
std::optional<double> directingArc(const natal::NatalChart& natal, double dateJd, bool naibod,
                                   natal::Ephemeris& ephemeris);

struct Direction {
  int directed = 0;                          // the point carried by the arc
  int aspect = 0;                            // of the aspect table
  int natal = 0;                             // the natal point it reaches
  double arc = 0;                            // the arc of the exact aspect, degrees
  double exactJd = 0, fromJd = 0, toJd = 0;  // exact; within 1° of arc before and after
};

// Every direction of the chart's points to its points by the aspects switched on, exact
// within [fromJd, toJd), in time order; the arc found to a thousandth of a second of arc.
std::vector<Direction> directions(const natal::NatalChart& natal, const natal::ChartConfig& config,
                                  double fromJd, double toJd, bool naibod,
                                  natal::Ephemeris& ephemeris);

}  // namespace orvenda::timelords
