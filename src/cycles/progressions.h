// Secondary progressions and returns: the chart of the day after birth that stands for a
// year of life, with its Midheaven carried by the solar arc (or Naibod's rate); and the
// instants the Sun or the Moon comes back to its natal longitude.
#pragma once

#include <optional>

#include "natal/natal_chart.h"

namespace orvenda::natal {
class Ephemeris;
}

namespace orvenda::cycles {

// A tropical year, in days: each year of life after birth is one day of the ephemeris.
inline constexpr double kTropicalYear = 365.24219;
// Naibod's rate: the Sun's mean motion in a day, degrees, for each year of life.
inline constexpr double kNaibodRate = 0.98564733;

struct Progressed {
  double julianDayUt = 0;  // the progressed instant (the day after birth that stands for the date)
  double arc = 0;          // the Midheaven's arc: the progressed Sun's, or Naibod's
  natal::NatalChart
      chart;  // the bodies at the progressed instant; the angles and houses by the arc
};

// The progressed chart for a date (Julian day, UT) of the natal chart drawn at a place
// (degrees, east and north positive). The Ascendant and the houses come from the
// progressed Midheaven at the birth latitude.
Progressed progressedChart(const natal::NatalChart& natal, const natal::ChartConfig& config,
                           double dateJd, double latitude, bool naibod, char houseSystem,
                           natal::Ephemeris& ephemeris);

// The instant, in the Gregorian year given, when the Sun comes back to a longitude: to a
// hundredth of a second of the ephemeris. Nothing beyond the years the ephemeris can give.
std::optional<double> solarReturn(double sunLongitude, int year, natal::Ephemeris& ephemeris);
// The first instant after a moment when the Moon comes back to a longitude.
std::optional<double> lunarReturn(double moonLongitude, double afterJd,
                                  natal::Ephemeris& ephemeris);

}  // namespace orvenda::cycles
