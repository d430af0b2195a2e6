// The lunations and the void Moon as passes of an elongation (the Moon's longitude less
// another body's, always growing) over its thresholds, found by the cycles' scanner; the
// eclipses and the Sun's risings and settings asked of the ephemeris.
#include "sky/sky.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <numeric>

#include "cycles/track.h"

namespace orvenda::sky {
namespace {

// A long period is walked a year at a time, so that its samples stay few; a last part of a
// few weeks joins the one before it rather than have samples of its own (a year asked with
// the days the void Moon looks beyond it would otherwise be two parts).
constexpr double kChunk = 366;
double chunkEnd(double c0, double to) { return to - c0 < kChunk + 45 ? to : c0 + kChunk; }

// Where the samples of a track stand: on a grid of steps from J2000, so that an instant
// is found the same whatever period it is asked in.
double onGrid(double jd, double step) {
  constexpr double kOrigin = 2451545.0;
  return kOrigin + std::floor((jd - kOrigin) / step) * step;
}

// The positions of some bodies, each sampled on a grid of its own steps (the Moon's, slot
// 0, as its scan asks; another body's as its motion allows), every instant's asked together
// (the ephemeris keeps the Earth of the instant it last gave). Between its samples a body
// other than the Moon is read on its cubic curve, within a few tenths of an arc second; the
// Moon is asked of the ephemeris. The places are of the mean equinox, without nutation:
// what is wanted of them is the angle between two bodies of one moment, which nutation,
// moving both alike, leaves as it is, and it is half of what a position costs.
class DailyPositions {
 public:
  DailyPositions(natal::Ephemeris& eph, const std::vector<int>& bodies,
                 const std::vector<double>& steps, double from, double to)
      : eph_(eph), bodies_(bodies), steps_(steps) {
    // The first sample on every body's grid at or before `from`, the last a step of the
    // slowest beyond `to`: the curves reach over the whole period and no further.
    double grid = 1, longest = 1;
    for (const double h : steps) grid = std::lcm(static_cast<long>(grid), static_cast<long>(h));
    for (const double h : steps) longest = std::max(longest, h);
    from_ = onGrid(from, grid);
    const double last = to + longest + 1;
    values_.resize(bodies.size());
    for (double t = from_; t <= last + 1e-9; t += 1)
      for (std::size_t b = 0; b < bodies.size(); ++b) {
        const double k = (t - from_) / steps_[b];
        if (std::fabs(k - std::round(k)) < 1e-9)
          values_[b].push_back(eph.bodyWithoutNutation(t, bodies[b]));
      }
  }

  std::optional<natal::BodyPosition> at(double jd, std::size_t slot) const {
    const double h = steps_[slot];
    const double k = (jd - from_) / h;
    const auto& v = values_[slot];
    const auto d = static_cast<long long>(std::llround(k));
    if (std::fabs(k - static_cast<double>(d)) < 1e-9 && d >= 0 &&
        static_cast<std::size_t>(d) < v.size())
      return v[static_cast<std::size_t>(d)];
    const auto lo = static_cast<long long>(std::floor(k));
    if (slot == 0 || lo < 0 || static_cast<std::size_t>(lo + 1) >= v.size())
      return eph_.bodyWithoutNutation(jd, bodies_[slot]);
    const auto& a = v[static_cast<std::size_t>(lo)];
    const auto& b = v[static_cast<std::size_t>(lo + 1)];
    if (!a || !b) return eph_.bodyWithoutNutation(jd, bodies_[slot]);
    // The cubic (Hermite) curve through both samples and their speeds.
    const double s = k - static_cast<double>(lo);
    const double y0 = a->longitude, y1 = y0 + std::remainder(b->longitude - y0, 360.0);
    const double m0 = a->speed * h, m1 = b->speed * h;
    const double s2 = s * s, s3 = s2 * s;
    const double y = (2 * s3 - 3 * s2 + 1) * y0 + (s3 - 2 * s2 + s) * m0 + (-2 * s3 + 3 * s2) * y1 +
                     (s3 - s2) * m1;
    const double dy = ((6 * s2 - 6 * s) * y0 + (3 * s2 - 4 * s + 1) * m0 + (-6 * s2 + 6 * s) * y1 +
                       (3 * s2 - 2 * s) * m1) /
                      h;
    return natal::BodyPosition{natal::normalized(y), 0, dy, a->analytic || b->analytic};
  }

 private:
  natal::Ephemeris& eph_;
  std::vector<int> bodies_;
  std::vector<double> steps_;
  double from_;
  std::vector<std::vector<std::optional<natal::BodyPosition>>> values_;
};

// The Moon's longitude less a body's (slot 0 the Moon, `slot` the other), with its speed.
cycles::LongitudeAt elongation(const DailyPositions& days, std::size_t slot) {
  return [&days, slot](double jd) -> std::optional<natal::BodyPosition> {
    const auto moon = days.at(jd, 0), other = days.at(jd, slot);
    if (!moon || !other) return std::nullopt;
    return natal::BodyPosition{natal::normalized(moon->longitude - other->longitude), 0,
                               moon->speed - other->speed, moon->analytic || other->analytic};
  };
}

// Passes collected in time order.
struct Collect : cycles::ScanVisitor {
  std::vector<cycles::Crossing> found;
  bool broken = false;
  void crossing(const cycles::Crossing& c) override {
    if (c.forward) found.push_back(c);
  }
  void station(const cycles::Station&) override {}
  void gap(double, double) override { broken = true; }
};

}  // namespace

bool lunations(natal::Ephemeris& eph, double from, double to,
               const std::function<void(const Lunation&)>& sink) {
  bool complete = true;
  const std::vector<cycles::Threshold> phases = {{0, 0}, {90, 1}, {180, 2}, {270, 3}};
  for (double c0 = from, c1 = chunkEnd(from, to); c0 < to; c0 = c1, c1 = chunkEnd(c0, to)) {
    // The elongation grows 10° to 15° a day, smoothly: a curve through samples three days
    // apart finds each phase within a few minutes, and Newton's method on the ephemeris
    // makes it exact from there at two or three positions a phase.
    constexpr double kStep = 3;
    DailyPositions days(eph, {natal::kMoon, natal::kSun}, {kStep, kStep}, c0, c1);
    cycles::Scanner scanner(elongation(days, 1), kStep);
    scanner.setErrorBound(0.5);
    Collect passes;
    scanner.scan(onGrid(c0, kStep), c1, phases, passes);
    complete = complete && !passes.broken;
    for (const cycles::Crossing& c : passes.found) {
      Lunation l;
      l.jd = scanner.refine(c.jd, phases[static_cast<std::size_t>(c.id)].longitude);
      if (l.jd < c0 || l.jd >= c1) continue;
      l.phase = static_cast<Phase>(c.id);
      if (const auto moon = eph.body(l.jd, natal::kMoon)) l.longitude = moon->longitude;
      sink(l);
    }
  }
  return complete;
}

namespace {

// Whether a new moon (or a full one) from about `from` to `to` may bring an eclipse: by the
// mean lunations and the Moon's mean argument of latitude at each (Meeus, Astronomical
// Algorithms, ch. 49 and 54), none can where |sin F| > 0.36; 0.40 here, for the mean
// lunations' stray of up to 14 hours. Every eclipse of a period falls at such a lunation,
// so a search that could find none before the period's end need not be made: each costs
// hundreds of positions.
bool eclipsePossible(double from, double to, bool solar) {
  constexpr double kEpoch = 2451550.09766, kMonth = 29.530588861;
  double k = std::ceil((from - 1 - kEpoch) / kMonth - (solar ? 0 : 0.5)) + (solar ? 0 : 0.5);
  for (; kEpoch + kMonth * k < to + 1; k += 1) {
    const double f = 160.7108 + 390.67050284 * k;
    if (std::fabs(std::sin(f * std::numbers::pi / 180)) <= 0.40) return true;
  }
  return false;
}

}  // namespace

std::vector<Eclipse> eclipses(natal::Ephemeris& eph, double from, double to, bool solar,
                              bool lunar) {
  std::vector<Eclipse> found;
  auto walk = [&](bool isSolar) {
    // `next`: the earliest a further eclipse of the kind may come (a lunar month after one).
    double t = from, next = from;
    for (;;) {
      if (!eclipsePossible(next, to, isSolar)) return;
      const auto at = isSolar ? eph.solarEclipse(t, false) : eph.lunarEclipse(t, false);
      if (!at || at->maximum >= to || !(at->maximum > t - 1)) return;
      if (at->maximum >= from) {
        Eclipse e;
        e.solar = isSolar;
        e.at = *at;
        if (const auto light = eph.body(at->maximum, isSolar ? natal::kSun : natal::kMoon))
          e.longitude = light->longitude;
        found.push_back(e);
      }
      // Eclipses of one kind come at least a lunar month apart, but for the partial pairs
      // of a season a month on each side: a day past one is safely before the next.
      t = at->maximum + 1;
      next = at->maximum + 15;
    }
  };
  if (solar) walk(true);
  if (lunar) walk(false);
  std::sort(found.begin(), found.end(),
            [](const Eclipse& a, const Eclipse& b) { return a.at.maximum < b.at.maximum; });
  return found;
}

EclipseSeen seenFrom(natal::Ephemeris& eph, const Eclipse& e, double latitude, double longitude) {
  EclipseSeen seen;
  if (e.solar) {
    // The library finds the next eclipse seen at the place: this one, or a later one when
    // this one is not seen there.
    const auto local = eph.localSolarEclipse(e.at.maximum - 1, latitude, longitude);
    if (!local || std::fabs(local->maximum - e.at.maximum) > 0.5 || !local->visible) return seen;
    seen.visible = true;
    seen.maximumVisible = local->maximumVisible;
    seen.maximum = local->maximum;
    seen.begins = local->begins;
    seen.ends = local->ends;
    seen.magnitude = local->magnitude;
    seen.obscuration = local->obscuration;
    seen.altitude = local->sunAltitude;
    return seen;
  }
  // A lunar eclipse is the same everywhere the Moon is up; where its greatest phase is below
  // the horizon, it may still be seen in part, the Moon rising or setting eclipsed: then its
  // greatest phase there is the moonrise or the moonset, as the library finds it.
  const auto moon = eph.body(e.at.maximum, natal::kMoon);
  if (!moon) return seen;
  seen.altitude = eph.altitude(e.at.maximum, latitude, longitude, moon->longitude, moon->latitude);
  seen.maximumVisible = seen.visible = seen.altitude > 0;
  seen.magnitude = e.at.magnitude;
  if (seen.visible) {
    seen.maximum = e.at.maximum;
    return seen;
  }
  const auto local = eph.localLunarEclipse(e.at.maximum - 1, latitude, longitude);
  if (!local || std::fabs(local->maximum - e.at.maximum) > 0.5 || !local->visible) return seen;
  seen.visible = true;
  seen.maximum = local->maximum;
  seen.begins = local->begins;
  seen.ends = local->ends;
  seen.magnitude = local->magnitude;
  return seen;
}

bool voidOfCourse(natal::Ephemeris& eph, double from, double to, bool modern,
                  const std::function<void(const VoidStretch&)>& sink) {
  std::vector<int> bodies = {natal::kMoon, 0, 2, 3, 4, 5, 6};
  if (modern) bodies.insert(bodies.end(), {7, 8, 9});
  // Each side of an aspect is a threshold of its own; `aspectOf` names its aspect.
  std::vector<cycles::Threshold> aspects;
  std::vector<int> aspectOf;
  for (const int a : kPtolemaic) {
    const double angle = natal::kAspectAngles[static_cast<std::size_t>(a)];
    const bool twoSides = angle != 0 && angle != 180;
    for (const double side : {angle, 360 - angle}) {
      aspects.push_back({side, static_cast<int>(aspectOf.size())});
      aspectOf.push_back(a);
      if (!twoSides) break;
    }
  }
  std::vector<cycles::Threshold> signs;
  for (int s = 0; s < 12; ++s) signs.push_back({s * 30.0, s});
  bool complete = true;
  for (double c0 = from, c1 = chunkEnd(from, to); c0 < to; c0 = c1, c1 = chunkEnd(c0, to)) {
    // The Moon stays under three days in a sign: its entry into the sign it leaves first in
    // the part lies within the margin.
    const double margin = 3.5;
    // What the scan follows is the Moon's distance from each body, at 12° to 15° a day: an
    // arc second of a body's error on its curve moves a moment found by a tenth of a second.
    // So the inner bodies are sampled twice as far apart as their own tracks ask, and each
    // curve strays by at most what these bounds say (the worst of 2000 to 2030 against the
    // ephemeris, read at each quarter between samples): 2.6″ for Venus at its far side,
    // a few seconds of time at worst, as the Moon's own curve does.
    std::vector<double> steps = {1}, bounds = {cycles::errorBoundFor(natal::kMoon)};
    for (std::size_t b = 1; b < bodies.size(); ++b) {
      switch (bodies[b]) {
        case natal::kSun: steps.push_back(8), bounds.push_back(6e-5); break;
        case 2: steps.push_back(2), bounds.push_back(4e-4); break;
        case 3: steps.push_back(2), bounds.push_back(8e-4); break;
        case 4: steps.push_back(4), bounds.push_back(4e-4); break;
        case 5:
        case 6: steps.push_back(8), bounds.push_back(1e-4); break;  // 2.4″ at sixteen
        default:
          steps.push_back(cycles::stepFor(bodies[b]));
          bounds.push_back(cycles::errorBoundFor(bodies[b]));
      }
    }
    DailyPositions days(eph, bodies, steps, c0 - margin, c1);
    const double start = onGrid(c0 - margin, 1);
    // The signs are of the true equinox: the samples' Moon is moved by the nutation,
    // itself sampled every four days and read between them on a straight line (its
    // quickest term, of 13.7 days, strays from one by a tenth of an arc second).
    constexpr double kNutationStep = 4;
    std::vector<double> nutation;
    for (double t = start; t <= c1 + 2 * kNutationStep; t += kNutationStep)
      nutation.push_back(eph.nutationInLongitude(t));
    auto nutationAt = [&nutation, start](double jd) {
      const double k = std::clamp((jd - start) / kNutationStep, 0.0,
                                  static_cast<double>(nutation.size() - 1) - 1e-9);
      const auto i = static_cast<std::size_t>(k);
      return nutation[i] + (nutation[i + 1] - nutation[i]) * (k - static_cast<double>(i));
    };
    cycles::Scanner moon(
        [&days, &nutationAt](double jd) -> std::optional<natal::BodyPosition> {
          auto p = days.at(jd, 0);
          if (p) p->longitude = natal::normalized(p->longitude + nutationAt(jd));
          return p;
        },
        1);
    moon.setErrorBound(cycles::errorBoundFor(natal::kMoon));
    Collect ingresses;
    moon.scan(start, c1, signs, ingresses);
    complete = complete && !ingresses.broken;
    std::vector<double> entered;
    std::vector<int> enteredSign;
    for (const cycles::Crossing& c : ingresses.found) {
      const double t = moon.refine(c.jd, c.id * 30.0);
      entered.push_back(t);
      enteredSign.push_back(c.id);
    }
    // Each body's aspects, kept only where they may be the last of a sign.
    struct Made {
      double jd;
      std::size_t slot;
      int aspect;
      double angle;
    };
    std::vector<Made> made;
    std::vector<std::unique_ptr<cycles::Scanner>> scanners;
    for (std::size_t slot = 1; slot < bodies.size(); ++slot) {
      scanners.push_back(std::make_unique<cycles::Scanner>(elongation(days, slot), 1));
      cycles::Scanner& s = *scanners.back();
      s.setErrorBound(bounds[0] + bounds[slot]);
      Collect passes;
      s.scan(start, c1, aspects, passes);
      complete = complete && !passes.broken;
      for (const cycles::Crossing& c : passes.found)
        made.push_back({c.jd, slot, aspectOf[static_cast<std::size_t>(c.id)],
                        aspects[static_cast<std::size_t>(c.id)].longitude});
    }
    std::sort(made.begin(), made.end(), [](const Made& a, const Made& b) { return a.jd < b.jd; });
    for (std::size_t i = 1; i < entered.size(); ++i) {
      const double ends = entered[i];
      if (ends < c0 || ends >= c1) continue;
      // The last aspect before the Moon leaves the sign, solved on the ephemeris: a pass
      // the curve puts within a minute of the ingress could fall on either side of it.
      std::optional<Made> last;
      for (auto it = made.rbegin(); it != made.rend(); ++it) {
        if (it->jd >= ends + 0.01) continue;
        Made m = *it;
        m.jd = scanners[m.slot - 1]->refine(m.jd, m.angle);
        if (m.jd < ends) {
          last = m;
          break;
        }
      }
      if (!last) continue;
      VoidStretch v;
      // Where the Moon made no aspect in the sign at all, it was void from its entry.
      v.begins = std::max(last->jd, entered[i - 1]);
      v.ends = ends;
      v.body = bodies[last->slot];
      v.aspect = last->aspect;
      v.sign = (enteredSign[i] + 11) % 12;
      sink(v);
    }
  }
  return complete;
}

int weekdayRuler(int weekday) {
  constexpr std::array<int, 7> rulers = {0, 1, 4, 2, 5, 3, 6};
  return rulers[static_cast<std::size_t>(((weekday % 7) + 7) % 7)];
}

PlanetaryDay planetaryDay(natal::Ephemeris& eph, double dayStart, double dayEnd, int weekday,
                          double latitude, double longitude) {
  PlanetaryDay day;
  day.dayRuler = weekdayRuler(weekday);
  const auto rise = eph.sunRiseOrSet(dayStart, latitude, longitude, true);
  if (!rise || *rise >= dayEnd) return day;
  const auto set = eph.sunRiseOrSet(*rise, latitude, longitude, false);
  if (!set || *set - *rise >= 1) return day;
  const auto next = eph.sunRiseOrSet(*set, latitude, longitude, true);
  if (!next || *next - *set >= 1) return day;
  day.sunRisesAndSets = true;
  day.sunrise = *rise, day.sunset = *set, day.nextSunrise = *next;
  const auto first = static_cast<std::size_t>(
      std::find(kChaldean.begin(), kChaldean.end(), day.dayRuler) - kChaldean.begin());
  for (int k = 0; k < 24; ++k) {
    const bool night = k >= 12;
    const double a = night ? *set : *rise, b = night ? *next : *set;
    const int i = night ? k - 12 : k;
    PlanetaryHour h;
    h.begins = a + (b - a) * i / 12;
    h.ends = i == 11 ? b : a + (b - a) * (i + 1) / 12;
    h.ruler = kChaldean[(first + static_cast<std::size_t>(k)) % 7];
    h.night = night;
    day.hours.push_back(h);
  }
  return day;
}

const PlanetaryHour* hourAt(const PlanetaryDay& day, double jd) {
  for (const PlanetaryHour& h : day.hours)
    if (jd >= h.begins && jd < h.ends) return &h;
  return nullptr;
}

NatalContact lunationContact(const natal::NatalChart& chart, const natal::ChartConfig& config,
                             double longitude) {
  NatalContact c;
  if (chart.timeKnown) c.house = natal::houseOf(longitude, chart.cusps);
  natal::PointPosition p;
  p.index = natal::kMoon;
  p.longitude = longitude;
  c.aspects = natal::crossAspects({p}, chart.points, config, 3.0);
  return c;
}

NatalContact eclipseContact(const natal::NatalChart& chart, double longitude) {
  NatalContact c;
  if (chart.timeKnown) c.house = natal::houseOf(longitude, chart.cusps);
  for (const natal::PointPosition& p : chart.points) {
    const double s = natal::separation(longitude, p.longitude);
    natal::AspectFound a;
    a.a = natal::kMoon;
    a.b = p.index;
    a.separation = s;
    if (s <= 3) {
      a.aspect = 0, a.deviation = s;
    } else if (s >= 177) {
      a.aspect = 1, a.deviation = s - 180;
    } else {
      continue;
    }
    c.aspects.push_back(a);
  }
  std::stable_sort(c.aspects.begin(), c.aspects.end(),
                   [](const natal::AspectFound& x, const natal::AspectFound& y) {
                     return std::fabs(x.deviation) < std::fabs(y.deviation);
                   });
  return c;
}

Prenatal prenatal(natal::Ephemeris& eph, double birthJd) {
  Prenatal p;
  // A new or a full moon comes within fifteen days of any moment.
  lunations(eph, birthJd - 16, birthJd, [&](const Lunation& l) {
    if (l.phase == Phase::NewMoon || l.phase == Phase::FullMoon) p.syzygy = l;
  });
  for (const bool solar : {true, false}) {
    const auto at = solar ? eph.solarEclipse(birthJd, true) : eph.lunarEclipse(birthJd, true);
    if (!at || at->maximum >= birthJd) continue;
    Eclipse e;
    e.solar = solar;
    e.at = *at;
    if (const auto light = eph.body(at->maximum, solar ? natal::kSun : natal::kMoon))
      e.longitude = light->longitude;
    (solar ? p.solar : p.lunar) = e;
  }
  return p;
}

}  // namespace orvenda::sky
