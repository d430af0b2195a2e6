// Progressed charts and returns, over the ephemeris seam.
#include "cycles/progressions.h"

#include <chrono>
#include <cmath>
#include <numbers>

#include "cycles/track.h"
#include "natal/ephemeris.h"

namespace orvenda::cycles {

Progressed progressedChart(const natal::NatalChart& natal, const natal::ChartConfig& config,
                           double dateJd, double latitude, bool naibod, char system,
                           natal::Ephemeris& eph) {
  Progressed p;
  const double years = (dateJd - natal.julianDayUt) / kTropicalYear;
  p.julianDayUt = natal.julianDayUt + years;
  // The bodies as a chart of the progressed instant, without its own houses: those come
  // from the arc.
  natal::ChartMoment moment;
  moment.universalSeconds =
      static_cast<long long>(std::llround((p.julianDayUt - 2440587.5) * 86400.0));
  moment.timeKnown = false;
  moment.dayStartSeconds = moment.universalSeconds - 43200;
  natal::ChartConfig bodies = config;
  p.chart = natal::chartAt(moment, bodies, system, eph);
  p.chart.julianDayUt = p.julianDayUt;
  const auto progressedSun = eph.body(p.julianDayUt, natal::kSun);
  const auto birthSun = eph.body(natal.julianDayUt, natal::kSun);
  if (naibod)
    p.arc = years * kNaibodRate;
  else if (progressedSun && birthSun)
    p.arc = natal::normalized(progressedSun->longitude - birthSun->longitude);
  if (!natal.timeKnown) return p;
  // The Midheaven carried by the arc, the Ascendant and the cusps from it at the birth
  // latitude, with the obliquity of the progressed instant.
  const double midheaven = natal::normalized(natal.midheaven + p.arc);
  const double eps = eph.obliquity(p.julianDayUt);
  const double armc = natal::armcOfMidheaven(midheaven, eps);
  const natal::HouseFrame h = eph.housesFromArmc(armc, latitude, eps, system);
  natal::NatalChart& c = p.chart;
  c.timeKnown = true;
  // The sidereal time of the progressed angles: their right ascension of the Midheaven.
  c.localSiderealHours = armc / 15;
  c.houseSystem = h.system;
  c.requestedSystem = system;
  c.housesFellBack = h.fellBack;
  c.cusps = h.cusps;
  c.ascendant = h.ascendant;
  c.midheaven = h.midheaven;
  for (auto& point : c.points) point.house = natal::houseOf(point.longitude, c.cusps);
  for (int angle : {natal::kAscendant, natal::kMidheaven})
    if (config.planets.enabled[angle] == 1) {
      natal::PointPosition a;
      a.index = angle;
      a.longitude = angle == natal::kAscendant ? h.ascendant : h.midheaven;
      a.house = natal::houseOf(a.longitude, c.cusps);
      c.points.push_back(a);
    }
  for (int house = 0; house < 12; ++house) {
    c.rulers[house].ofCusp = natal::signRulers(natal::signOf(c.cusps[house]), config.changeRulers);
    if (config.zodiacRulersAlways == 1)
      c.rulers[house].ofNatural = natal::signRulers(house, config.changeRulers);
  }
  return p;
}

namespace {

// The first instant after `from` (within `span` days) when a body that never turns back
// reaches a longitude: a day at a time to bracket it, then solved on the ephemeris.
std::optional<double> firstPass(natal::Ephemeris& eph, int body, double longitude, double from,
                                double span, double step) {
  const LongitudeAt at = [&eph, body](double jd) { return eph.body(jd, body); };
  auto before = eph.body(from, body);
  if (!before) return std::nullopt;
  for (double t = from; t < from + span; t += step) {
    const auto next = eph.body(t + step, body);
    if (!next) return std::nullopt;
    const double gone = natal::normalized(next->longitude - before->longitude);
    const double to = natal::normalized(longitude - before->longitude);
    if (to > 0 && to <= gone) return solveLongitude(at, longitude, t, t + step, 1e-7);
    before = next;
  }
  return std::nullopt;
}

}  // namespace

std::optional<double> solarReturn(double sunLongitude, int year, natal::Ephemeris& eph) {
  using namespace std::chrono;
  const double start =
      2440587.5 +
      static_cast<double>(sys_days{std::chrono::year{year} / 1 / 1}.time_since_epoch().count());
  // From a moment on 1 January: the one return of the year (one just at its start too).
  return firstPass(eph, natal::kSun, sunLongitude, start - 1e-6, 366, 2);
}

std::optional<double> lunarReturn(double moonLongitude, double afterJd, natal::Ephemeris& eph) {
  return firstPass(eph, natal::kMoon, moonLongitude, afterJd, 32, 1);
}

}  // namespace orvenda::cycles
