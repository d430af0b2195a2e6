// The sky's own calendar, beside the transits to a chart: the lunations, the eclipses, the
// stretches the Moon is void of course, the planetary hours of a day at a place and the
// syzygy before a birth. Pure functions of a period (Julian days, UT), a place and, where
// one is given, a natal chart, over the ephemeris seam and the cycles' root finder.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "natal/ephemeris.h"
#include "natal/natal_chart.h"

namespace orvenda::sky {

using EclipseKind = natal::Ephemeris::EclipseKind;

// The Moon's phases in the order they come: the Moon ahead of the Sun by 0°, 90°, 180° and
// 270°.
enum class Phase { NewMoon, FirstQuarter, FullMoon, LastQuarter };

struct Lunation {
  double jd = 0;  // UT
  Phase phase = Phase::NewMoon;
  double longitude = 0;  // the Moon's, 0 <= λ < 360
};

// Every lunation of [from, to), in time order, each as soon as it is found; false where the
// ephemeris could not give the lights for part of the period.
bool lunations(natal::Ephemeris& eph, double from, double to,
               const std::function<void(const Lunation&)>& sink);

struct Eclipse {
  bool solar = true;
  natal::Ephemeris::EclipseAt at;
  double longitude = 0;  // the eclipsed light's at greatest eclipse
};

// Every solar and lunar eclipse whose greatest phase falls in [from, to), in time order.
std::vector<Eclipse> eclipses(natal::Ephemeris& eph, double from, double to, bool solar = true,
                              bool lunar = true);

// Whether an eclipse is seen at a place (east and north positive), and how.
struct EclipseSeen {
  bool visible = false;
  bool maximumVisible = false;
  double maximum = 0, begins = 0, ends = 0;  // UT; 0 where not seen
  double magnitude = 0, obscuration = 0;     // a solar eclipse's, at the place
  double altitude = 0;  // the eclipsed light's, degrees, at the greatest phase there
  // A lunar eclipse seen in part: `maximum` is the moonrise or moonset it is greatest at
  // there, `magnitude` its umbral magnitude then.
  bool lunarInPart() const { return visible && !maximumVisible; }
};
EclipseSeen seenFrom(natal::Ephemeris& eph, const Eclipse& e, double latitude, double longitude);

// A stretch of the void-of-course Moon: from its last Ptolemaic aspect to one of the bodies
// counted before it leaves a sign, to the moment it enters the next.
struct VoidStretch {
  double begins = 0, ends = 0;  // UT
  int body = 0;                 // the last aspect's body, in the planet table
  int aspect = 0;               // and its aspect, in the aspect table
  int sign = 0;                 // the sign the Moon leaves (0 Aries .. 11 Pisces)
};

// The five Ptolemaic aspects, in the aspect table.
inline constexpr std::array<int, 5> kPtolemaic = {0, 4, 2, 3, 1};

// The stretches that end in [from, to), in time order: the Sun to Saturn, and with `modern`
// Uranus to Pluto too. False where the ephemeris could not give the bodies.
bool voidOfCourse(natal::Ephemeris& eph, double from, double to, bool modern,
                  const std::function<void(const VoidStretch&)>& sink);

// The planetary hours of a day at a place: twelve from sunrise to sunset, twelve from
// sunset to the next sunrise, ruled in the Chaldean order from the day's ruler.
struct PlanetaryHour {
  double begins = 0, ends = 0;  // UT
  int ruler = 0;                // in the planet table (0 the Sun .. 6 Saturn)
  bool night = false;
};
struct PlanetaryDay {
  // Where the Sun does not rise or set that day (beyond the polar circles), no hours.
  bool sunRisesAndSets = false;
  double sunrise = 0, sunset = 0, nextSunrise = 0;
  int dayRuler = 0;
  std::vector<PlanetaryHour> hours;
};
// The Chaldean order, slowest first: Saturn, Jupiter, Mars, the Sun, Venus, Mercury, the Moon.
inline constexpr std::array<int, 7> kChaldean = {6, 5, 4, 0, 3, 2, 1};
// The ruler of a weekday (0 Sunday .. 6 Saturday).
int weekdayRuler(int weekday);
// The day that begins at the first sunrise after `dayStart` (the local date's midnight, UT)
// and before `dayEnd` (the next midnight).
PlanetaryDay planetaryDay(natal::Ephemeris& eph, double dayStart, double dayEnd, int weekday,
                          double latitude, double longitude);
// The hour in force at a moment of that day, if any.
const PlanetaryHour* hourAt(const PlanetaryDay& day, double jd);

// What a lunation or an eclipse does to a chart: the natal house of its degree, and the
// natal points it touches (aspects switched on within 3° of a lunation; within 3° of an
// eclipse's degree or the opposite one).
struct NatalContact {
  int house = 0;                            // 1..12; 0 without the birth time
  std::vector<natal::AspectFound> aspects;  // `a` the lunation or eclipse (as the Moon), `b` natal
};
NatalContact lunationContact(const natal::NatalChart& chart, const natal::ChartConfig& config,
                             double longitude);
NatalContact eclipseContact(const natal::NatalChart& chart, double longitude);

// The syzygy before a birth: the last new or full moon, and the last solar and lunar
// eclipses.
struct Prenatal {
  std::optional<Lunation> syzygy;
  std::optional<Eclipse> solar, lunar;
};
Prenatal prenatal(natal::Ephemeris& eph, double birthJd);

}  // namespace orvenda::sky
