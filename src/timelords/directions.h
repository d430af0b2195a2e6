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

// ---- primary directions ----------------------------------------------------------------

// The keys that turn an arc of the equator into years of life.
enum class Key { Ptolemy, Naibod, SolarArc };

// A promissor's aspect point (its ecliptic degree ± the aspect's angle, without latitude)
// carried by the diurnal rotation to the Midheaven (by right ascension) or the Ascendant (by
// oblique ascension under the birth latitude); direct when the point comes to the angle,
// converse when the angle comes to it.
struct PrimaryDirection {
  int promissor = 0;  // a point of the chart
  int aspect = 0;     // of the aspect table: the conjunction and the Ptolemaic four, 0..4
  // +1 the aspect point ahead of the promissor in the zodiac (a sinister aspect), −1 behind
  // it (dexter).
  int side = 1;
  int significator = 0;  // natal::kAscendant or natal::kMidheaven
  bool converse = false;
  double arc = 0;  // degrees of the equator
  double years = 0, jd = 0;
};

// The right ascension and the declination of an ecliptic degree (latitude 0), degrees.
void equatorialOfDegree(double longitude, double obliquity, double& rightAscension,
                        double& declination);

// Every direct and converse direction of the chart's points by conjunction and the
// Ptolemaic aspects to its Midheaven and Ascendant, of an arc up to `maxYears` of life by the
// key, in order of arc. Needs the birth time (the angles) and the birth latitude.
std::vector<PrimaryDirection> primaryDirections(const natal::NatalChart& natal, double latitude,
                                                double obliquity, Key key, double maxYears,
                                                natal::Ephemeris& ephemeris);

}  // namespace orvenda::timelords
