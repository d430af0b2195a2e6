// Directions: the chart's points carried forward by an arc that grows about a degree a year,
// and the dates their directed places make the aspects to the natal ones. Solar arc: the
// progressed Sun's longitude less the natal Sun's, the progressed instant one day after
// birth for each tropical year of life; Naibod's: the Sun's mean daily motion a year.
#pragma once

#include <optional>
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

// How a place in the diurnal rotation is told: by the proportion of its semi-arc that a point
// has travelled from the meridian (Placidus), or by the circle of position through the north
// and south points of the horizon (Regiomontanus).
enum class Method { Placidus, Regiomontanus };

// A point that takes part: a point of the chart (its planet-table index) or a lot (kLotId +
// the traditional lot), with its ecliptic place.
inline constexpr int kLotId = 100;
struct DirectedPoint {
  int id = 0;
  double longitude = 0, latitude = 0;
};

struct PrimaryOptions {
  Key key = Key::Ptolemy;
  Method method = Method::Placidus;
  bool latitude = false;  // a zodiacal aspect point with its promissor's latitude
  bool zodiacal = true, mundane = true;
  double maxYears = 100;
};

// A promissor's aspect carried by the diurnal rotation to a significator's place. Zodiacal:
// the promissor's aspect point in the zodiac (its degree ± the aspect's angle) comes to the
// significator's place; mundane: the promissor's body comes to the place a quadrant's
// proportion (the aspect's angle in the method's own measure) from the significator's.
// Direct: the promissor carried to the significator; converse: the significator carried to
// the promissor (to an angle, which the rotation does not carry: the promissor carried back).
struct PrimaryDirection {
  int promissor = 0;  // a DirectedPoint id
  int aspect = 0;     // of the aspect table: the conjunction and the Ptolemaic four, 0..4
  // +1 the aspect cast ahead of the promissor in the zodiac (sinister), −1 behind it (dexter).
  int side = 1;
  int significator = 0;  // natal::kAscendant, natal::kMidheaven or a DirectedPoint id
  bool mundane = false;
  bool converse = false;
  double arc = 0;  // degrees of the equator
  double years = 0, jd = 0;
};

// The right ascension and the declination of an ecliptic place, degrees.
void equatorialOfDegree(double longitude, double obliquity, double& rightAscension,
                        double& declination, double latitude = 0);

// The place in the diurnal rotation of a point at hour angle `hourAngle` (degrees west of
// the upper meridian) with declination `declination`, under geographic latitude `latitude`:
// 0 the upper meridian, 90 the western horizon, 180 the lower meridian, 270 the eastern
// horizon, in proportion between. Nothing for a point that never rises or never sets, under
// Placidus (it has no semi-arcs).
std::optional<double> mundanePlace(Method method, double hourAngle, double declination,
                                   double latitude);
// The hour angle at which a point of that declination stands at the place; nothing where it
// never comes there.
std::optional<double> hourAngleAt(Method method, double place, double declination, double latitude);

// Every direct and converse, zodiacal and mundane direction, by conjunction and the
// Ptolemaic aspects, of the promissors to the Midheaven, the Ascendant and the significators,
// of an arc up to `maxYears` of life by the key, in order of arc. Needs the birth time (the
// angles) and the birth latitude.
std::vector<PrimaryDirection> primaryDirections(const natal::NatalChart& natal,
                                                const std::vector<DirectedPoint>& promissors,
                                                const std::vector<DirectedPoint>& significators,
                                                double latitude, double obliquity,
                                                const PrimaryOptions& options,
                                                natal::Ephemeris& ephemeris);

// The arc's years of life by the key: for the true solar arc, the year whose solar arc it is.
// A table of the progressed Sun a year apart, made once for a chart and read between its rows
// by the Sun's own speed.
class SolarArcYears {
 public:
  SolarArcYears(const natal::NatalChart& natal, double maxYears, natal::Ephemeris& ephemeris);
  std::optional<double> operator()(double arc) const;

 private:
  std::vector<double> arc_, speed_;  // at each whole year of life; speed in degrees a year
};

}  // namespace orvenda::timelords
