// Synastry's overlays and the relationship's two charts.
#include "natal/pair.h"

#include <algorithm>
#include <cmath>

#include "natal/ephemeris.h"

namespace orvenda::natal {

std::vector<Overlay> overlays(const NatalChart& guest, const NatalChart& host) {
  std::vector<Overlay> out;
  if (!host.timeKnown) return out;
  for (const PointPosition& p : guest.points)
    out.push_back({p.index, houseOf(p.longitude, host.cusps)});
  return out;
}

double nearMidpoint(double a, double b) {
  return normalized(a + std::remainder(normalized(b) - normalized(a), 360.0) / 2);
}

void midPlace(const PairPlaces& places, double& longitude, double& latitude) {
  latitude = (places.latitudeA + places.latitudeB) / 2;
  longitude = std::remainder(nearMidpoint(places.longitudeA, places.longitudeB), 360.0);
}

namespace {

// The chart's own rules on its points: houses, borderline cases, aspects and rulers.
void finish(NatalChart& c, const ChartConfig& config) {
  const bool borderline = config.borderlineInterpretation == 1;
  c.borderlineWidth = borderline ? std::clamp(config.borderlineDegrees, 0, 15) : 0;
  for (PointPosition& p : c.points) {
    p.house = c.timeKnown ? houseOf(p.longitude, c.cusps) : 0;
    p.retrograde = p.speed < 0;
    if (borderline) {
      p.signBorder = (signOf(p.longitude) + 1) * 30.0 - p.longitude <= c.borderlineWidth;
      if (c.timeKnown)
        p.houseBorder = normalized(c.cusps[static_cast<std::size_t>(p.house % 12)] - p.longitude) <=
                        c.borderlineWidth;
    }
  }
  c.aspects.clear();
  for (std::size_t i = 0; i < c.points.size(); ++i)
    for (std::size_t j = i + 1; j < c.points.size(); ++j)
      if (auto a = findAspect(c.points[i], c.points[j], config)) c.aspects.push_back(*a);
  if (c.timeKnown)
    for (int house = 0; house < 12; ++house) {
      c.rulers[static_cast<std::size_t>(house)].ofCusp =
          signRulers(signOf(c.cusps[static_cast<std::size_t>(house)]), config.changeRulers);
      if (config.zodiacRulersAlways == 1)
        c.rulers[static_cast<std::size_t>(house)].ofNatural =
            signRulers(house, config.changeRulers);
    }
}

// With a time not known, the composite Moon's range: the midpoints of the two Moons' ranges
// over their days, one end with the other's, the Moon of a known time standing still. Each
// end is taken as the composite Moon moved by the mean of the two ends' distances from
// their Moons, so that the range holds the composite Moon even where the near midpoint of
// two ends would jump to the far side of the circle.
void moonRangeOfComposite(NatalChart& c, const NatalChart& a, const NatalChart& b) {
  const PointPosition* moon = c.point(kMoon);
  const PointPosition *ma = a.point(kMoon), *mb = b.point(kMoon);
  if (c.timeKnown || !moon || !ma || !mb) return;
  if ((!a.timeKnown && a.moonRange != NatalChart::MoonRange::Day) ||
      (!b.timeKnown && b.moonRange != NatalChart::MoonRange::Day))
    return;
  auto from = [](const NatalChart& x, const PointPosition& m, bool start) {
    if (x.timeKnown) return 0.0;
    return std::remainder((start ? x.moonAtDayStart : x.moonAtDayEnd) - m.longitude, 360.0);
  };
  c.moonAtDayStart = normalized(moon->longitude + (from(a, *ma, true) + from(b, *mb, true)) / 2);
  c.moonAtDayEnd = normalized(moon->longitude + (from(a, *ma, false) + from(b, *mb, false)) / 2);
  c.moonRange = NatalChart::MoonRange::Midpoints;
}

}  // namespace

NatalChart compositeChart(const NatalChart& a, const NatalChart& b, const PairPlaces& places,
                          const ChartConfig& config, char system, Ephemeris& eph) {
  NatalChart c;
  c.timeKnown = a.timeKnown && b.timeKnown;
  c.universalSeconds = a.universalSeconds / 2 + b.universalSeconds / 2 +
                       (a.universalSeconds % 2 + b.universalSeconds % 2) / 2;
  c.julianDayUt = (a.julianDayUt + b.julianDayUt) / 2;
  c.deltaTSeconds = (a.deltaTSeconds + b.deltaTSeconds) / 2;
  c.requestedSystem = system;
  c.analytic = a.analytic || b.analytic;
  for (int i : a.missing) c.missing.push_back(i);
  for (int i : b.missing)
    if (std::find(c.missing.begin(), c.missing.end(), i) == c.missing.end()) c.missing.push_back(i);
  natal::HouseFrame frame;
  if (c.timeKnown) {
    // The Midheaven at the midpoint; the Ascendant and the cusps from it at the latitude of
    // the place between the births.
    double longitude = 0, latitude = 0;
    midPlace(places, longitude, latitude);
    const double midheaven = nearMidpoint(a.midheaven, b.midheaven);
    const double eps = eph.obliquity(c.julianDayUt);
    frame = eph.housesFromArmc(armcOfMidheaven(midheaven, eps), latitude, eps, system);
    c.houseSystem = frame.system;
    c.housesFellBack = frame.fellBack;
    c.cusps = frame.cusps;
    c.ascendant = frame.ascendant;
    c.midheaven = frame.midheaven;
    c.localSiderealHours = frame.armc / 15.0;
  }
  for (const PointPosition& pa : a.points) {
    const PointPosition* pb = b.point(pa.index);
    if (!pb) continue;
    PointPosition p;
    p.index = pa.index;
    switch (pa.index) {
      case kAscendant: p.longitude = frame.ascendant; break;
      case kMidheaven: p.longitude = frame.midheaven; break;
      case kVertex: p.longitude = frame.vertex; break;
      case kEastPoint: p.longitude = frame.eastPoint; break;
      default:
        p.longitude = nearMidpoint(pa.longitude, pb->longitude);
        p.latitude = (pa.latitude + pb->latitude) / 2;
        p.speed = (pa.speed + pb->speed) / 2;
    }
    p.analytic = pa.analytic || pb->analytic;
    c.points.push_back(p);
  }
  finish(c, config);
  moonRangeOfComposite(c, a, b);
  return c;
}

NatalChart davisonChart(const NatalChart& a, const NatalChart& b, const PairPlaces& places,
                        const ChartConfig& config, char system, Ephemeris& eph) {
  ChartMoment m;
  // The mean of two whole seconds can fall on a half: kept, as the angles turn 7″ in it.
  const long long sum = a.universalSeconds + b.universalSeconds;
  m.universalSeconds = sum / 2 - (sum % 2 < 0 ? 1 : 0);  // rounded down
  m.secondFraction = sum % 2 != 0 ? 0.5 : 0;
  midPlace(places, m.longitude, m.latitude);
  m.timeKnown = a.timeKnown && b.timeKnown;
  // With a time not known, the middle of the two noons stands for the day; its own day is
  // the twelve hours either side.
  m.dayStartSeconds = m.universalSeconds - 12 * 3600;
  return chartAt(m, config, system, eph);
}

}  // namespace orvenda::natal
