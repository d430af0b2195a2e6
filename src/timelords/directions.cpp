#include "timelords/directions.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <tuple>

#include "cycles/progressions.h"
#include "natal/ephemeris.h"

namespace orvenda::timelords {
namespace {

constexpr double kDeg = 3.14159265358979323846 / 180;

double normalized(double d) {
  d = std::fmod(d, 360.0);
  return d < 0 ? d + 360.0 : d;
}

}  // namespace

std::optional<double> directingArc(const natal::NatalChart& natal, double dateJd, bool naibod,
                                   natal::Ephemeris& ephemeris) {
  const double years = (dateJd - natal.julianDayUt) / cycles::kTropicalYear;
  if (naibod) return years * cycles::kNaibodRate;
  const natal::PointPosition* sun = natal.point(natal::kSun);
  const auto progressed = ephemeris.body(natal.julianDayUt + years, natal::kSun);
  if (!sun || !progressed) return std::nullopt;
  // The Sun gains about a degree a day: the arc is its gain, whole turns counted by the
  // mean motion (a life's arc is far below a turn, but a date centuries on is not).
  const double mean = years * cycles::kNaibodRate;
  const double gain = normalized(progressed->longitude - sun->longitude);
  return gain + 360.0 * std::round((mean - gain) / 360.0);
}

std::vector<Direction> directions(const natal::NatalChart& natal, const natal::ChartConfig& config,
                                  double fromJd, double toJd, bool naibod,
                                  natal::Ephemeris& ephemeris) {
  std::vector<Direction> out;
  const auto arcFrom = directingArc(natal, std::max(fromJd, natal.julianDayUt), naibod, ephemeris);
  const auto arcTo = directingArc(natal, std::max(toJd, natal.julianDayUt), naibod, ephemeris);
  if (!arcFrom || !arcTo || *arcTo <= *arcFrom) return out;
  // The date of an arc: Newton's steps on the arc's own rate (the Sun's speed a year).
  auto dateOf = [&](double arc) -> std::optional<double> {
    double jd = natal.julianDayUt + arc / cycles::kNaibodRate * cycles::kTropicalYear;
    for (int step = 0; step < 8; ++step) {
      const auto at = directingArc(natal, jd, naibod, ephemeris);
      if (!at) return std::nullopt;
      double rate = cycles::kNaibodRate;
      if (!naibod) {
        const auto sun = ephemeris.body(
            natal.julianDayUt + (jd - natal.julianDayUt) / cycles::kTropicalYear, natal::kSun);
        if (!sun || sun->speed <= 0) return std::nullopt;
        rate = sun->speed;
      }
      const double next = jd + (arc - *at) / rate * cycles::kTropicalYear;
      if (std::fabs(next - jd) < 1e-7) return next;
      jd = next;
    }
    return jd;
  };
  for (const natal::PointPosition& p : natal.points)
    for (const natal::PointPosition& q : natal.points)
      for (int a = 0; a < natal::kAspects; ++a) {
        if (!config.aspects.enabled[static_cast<std::size_t>(a)]) continue;
        const double angle = natal::kAspectAngles[static_cast<std::size_t>(a)];
        // The directed place λp + arc meets λq ± angle: each arc of that in the span.
        for (const double side : {1.0, -1.0}) {
          if (side < 0 && (angle == 0 || angle == 180)) continue;
          const double base = normalized(q.longitude + side * angle - p.longitude);
          for (double arc = base + 360.0 * std::ceil((*arcFrom - base) / 360.0); arc < *arcTo;
               arc += 360.0) {
            if (arc <= 0) continue;  // a point on itself at birth
            const auto exact = dateOf(arc);
            if (!exact || *exact < fromJd || *exact >= toJd) continue;
            Direction d{p.index, a, q.index, arc, *exact, 0, 0};
            d.fromJd = dateOf(arc - 1).value_or(*exact);
            d.toJd = dateOf(arc + 1).value_or(*exact);
            out.push_back(d);
          }
        }
      }
  std::sort(out.begin(), out.end(),
            [](const Direction& x, const Direction& y) { return x.exactJd < y.exactJd; });
  return out;
}

void equatorialOfDegree(double longitude, double obliquity, double& rightAscension,
                        double& declination, double latitude) {
  const double l = longitude * kDeg, e = obliquity * kDeg, b = latitude * kDeg;
  rightAscension = normalized(
      std::atan2(std::sin(l) * std::cos(e) - std::tan(b) * std::sin(e), std::cos(l)) / kDeg);
  declination =
      std::asin(std::sin(b) * std::cos(e) + std::cos(b) * std::sin(e) * std::sin(l)) / kDeg;
}

namespace {

// The point of the sphere at hour angle h (west of the upper meridian) and declination d,
// in the observer's frame: x to the south point of the horizon, y to the east, z the zenith.
struct Vec {
  double x, y, z;
};
Vec onSphere(double h, double d, double latitude) {
  const double f = latitude * kDeg, ch = std::cos(h * kDeg), sh = std::sin(h * kDeg),
               cd = std::cos(d * kDeg), sd = std::sin(d * kDeg);
  return {cd * ch * std::sin(f) - sd * std::cos(f), -cd * sh,
          cd * ch * std::cos(f) + sd * std::sin(f)};
}

// The ascensional difference: how much longer than a quadrant the point's day arc is.
std::optional<double> ascensionalDifference(double declination, double latitude) {
  const double x = std::tan(latitude * kDeg) * std::tan(declination * kDeg);
  if (!(std::fabs(x) < 1)) return std::nullopt;
  return std::asin(x) / kDeg;
}

}  // namespace

std::optional<double> mundanePlace(Method method, double hourAngle, double declination,
                                   double latitude) {
  const double h = normalized(hourAngle);
  if (method == Method::Regiomontanus) {
    // The circle of position through the horizon's north and south points and the point
    // meets the equator where the houses are counted: its hour angle is the place.
    const Vec s = onSphere(h, declination, latitude);
    if (std::fabs(s.y) < 1e-15 && std::fabs(s.z) < 1e-15) return std::nullopt;
    return normalized(std::atan2(-std::cos(latitude * kDeg) * s.y, s.z) / kDeg);
  }
  const auto ad = ascensionalDifference(declination, latitude);
  if (!ad) return std::nullopt;
  const double day = 90 + *ad, night = 90 - *ad;  // the semi-arcs
  if (h < day) return 90 * h / day;
  if (h < 180) return 90 + 90 * (h - day) / night;
  if (h < 180 + night) return 180 + 90 * (h - 180) / night;
  return 270 + 90 * (h - 180 - night) / day;
}

std::optional<double> hourAngleAt(Method method, double place, double declination,
                                  double latitude) {
  const double p = normalized(place);
  // The meridians are reached by every point, whatever its semi-arcs or circle: by its right
  // ascension.
  if (p == 0 || p == 180) return p;
  if (method == Method::Regiomontanus) {
    // The circle through the horizon's north and south points and the equator's point at
    // that hour angle; the point's diurnal circle crosses it twice, once on each half.
    const Vec e = onSphere(p, 0, latitude);
    const double f = latitude * kDeg, cd = std::cos(declination * kDeg),
                 sd = std::sin(declination * kDeg);
    const double a = cd * std::cos(f) * e.y, b = cd * e.z, c = -sd * std::sin(f) * e.y;
    const double r = std::hypot(a, b);
    if (r < 1e-15 || std::fabs(c) > r) return std::nullopt;
    const double base = std::atan2(b, a) / kDeg, spread = std::acos(c / r) / kDeg;
    for (const double h : {base + spread, base - spread}) {
      const Vec v = onSphere(h, declination, latitude);
      if (v.y * e.y + v.z * e.z > 0) return normalized(h);
    }
    return std::nullopt;
  }
  const auto ad = ascensionalDifference(declination, latitude);
  if (!ad) return std::nullopt;
  const double day = 90 + *ad, night = 90 - *ad;
  if (p < 90) return p / 90 * day;
  if (p < 180) return day + (p - 90) / 90 * night;
  if (p < 270) return 180 + (p - 180) / 90 * night;
  return 180 + night + (p - 270) / 90 * day;
}

SolarArcYears::SolarArcYears(const natal::NatalChart& natal, double maxYears,
                             natal::Ephemeris& ephemeris) {
  const natal::PointPosition* sun = natal.point(natal::kSun);
  if (!sun) return;
  const int rows = static_cast<int>(std::ceil(maxYears)) + 2;
  double turns = 0, last = sun->longitude;
  for (int y = 0; y <= rows; ++y) {
    const auto at = ephemeris.body(natal.julianDayUt + y, natal::kSun);
    if (!at || at->speed <= 0) break;
    if (at->longitude < last - 180) turns += 360;
    last = at->longitude;
    arc_.push_back(at->longitude + turns - sun->longitude);
    speed_.push_back(at->speed);
  }
}

std::optional<double> SolarArcYears::operator()(double arc) const {
  if (arc_.size() < 2 || arc < 0 || arc > arc_.back()) return std::nullopt;
  const auto row = std::upper_bound(arc_.begin(), arc_.end(), arc) - arc_.begin();
  const std::size_t i = row == 0 ? 0 : std::min<std::size_t>(row - 1, arc_.size() - 2);
  // The cubic through the two rows with their speeds (the Sun's motion is smooth within a
  // day to far below a second of arc), solved for the arc by Newton's steps.
  const double a0 = arc_[i], a1 = arc_[i + 1], s0 = speed_[i], s1 = speed_[i + 1];
  auto at = [&](double t, double& slope) {
    const double t2 = t * t, t3 = t2 * t;
    slope = (6 * t2 - 6 * t) * a0 + (3 * t2 - 4 * t + 1) * s0 + (-6 * t2 + 6 * t) * a1 +
            (3 * t2 - 2 * t) * s1;
    return (2 * t3 - 3 * t2 + 1) * a0 + (t3 - 2 * t2 + t) * s0 + (-2 * t3 + 3 * t2) * a1 +
           (t3 - t2) * s1;
  };
  double t = (arc - a0) / (a1 - a0);
  for (int step = 0; step < 12; ++step) {
    double slope = 0;
    const double miss = at(t, slope) - arc;
    if (slope <= 0) break;
    t -= miss / slope;
    if (std::fabs(miss) < 1e-10) break;
  }
  return static_cast<double>(i) + t;
}

std::vector<PrimaryDirection> primaryDirections(const natal::NatalChart& natal,
                                                const std::vector<DirectedPoint>& promissors,
                                                const std::vector<DirectedPoint>& significators,
                                                double latitude, double obliquity,
                                                const PrimaryOptions& options,
                                                natal::Ephemeris& ephemeris) {
  std::vector<PrimaryDirection> out;
  if (!natal.timeKnown) return out;
  double ramc = 0, mcDeclination = 0;
  equatorialOfDegree(natal.midheaven, obliquity, ramc, mcDeclination);
  std::optional<SolarArcYears> solar;
  if (options.key == Key::SolarArc) solar.emplace(natal, options.maxYears, ephemeris);
  auto yearsOf = [&](double arc) -> std::optional<double> {
    switch (options.key) {
      case Key::Ptolemy: return arc;
      case Key::Naibod: return arc / cycles::kNaibodRate;
      case Key::SolarArc: break;
    }
    return (*solar)(arc);
  };
  const Method method = options.method;
  auto add = [&](const PrimaryDirection& d) {
    if (d.arc <= 1e-9) return;
    const auto years = yearsOf(d.arc);
    if (!years || *years > options.maxYears) return;
    PrimaryDirection x = d;
    x.years = *years;
    x.jd = natal.julianDayUt + *years * cycles::kTropicalYear;
    out.push_back(x);
  };
  // A place of the sphere at birth: its hour angle, declination and place in the rotation.
  struct Sphere {
    double hourAngle = 0, declination = 0;
    std::optional<double> place;
  };
  auto sphereOf = [&](double longitude, double lat) {
    Sphere s;
    double ra = 0;
    equatorialOfDegree(longitude, obliquity, ra, s.declination, lat);
    s.hourAngle = normalized(ramc - ra);
    s.place = mundanePlace(method, s.hourAngle, s.declination, latitude);
    return s;
  };
  // The significators: the angles at their fixed places, then the points with theirs.
  struct Significator {
    int id;
    bool angle;
    Sphere at;
  };
  std::vector<Significator> signified{{natal::kMidheaven, true, {0, 0, 0.0}},
                                      {natal::kAscendant, true, {0, 0, 270.0}}};
  for (const DirectedPoint& s : significators)
    signified.push_back({s.id, false, sphereOf(s.longitude, s.latitude)});

  for (const DirectedPoint& p : promissors) {
    const Sphere body = sphereOf(p.longitude, p.latitude);
    for (int a = 0; a <= 4; ++a) {
      const double angle = natal::kAspectAngles[static_cast<std::size_t>(a)];
      for (const int side : {1, -1}) {
        if (side < 0 && (angle == 0 || angle == 180)) continue;
        // Zodiacal: the aspect point, with or without the promissor's latitude.
        const Sphere point =
            sphereOf(normalized(p.longitude + side * angle), options.latitude ? p.latitude : 0.0);
        // A mundane conjunction is the body itself; where the zodiacal one is too (a point
        // without latitude, or directed with it), it is told once.
        const bool mundane = options.mundane &&
                             !(a == 0 && options.zodiacal && (options.latitude || p.latitude == 0));
        for (const Significator& s : signified) {
          if (s.id == p.id || !s.at.place) continue;
          PrimaryDirection d{p.id, a, side, s.id, false, false, 0, 0, 0};
          // Direct: the promissor (or its aspect point) carried on until it stands at the
          // target. Converse: the significator carried on to `back`, the promissor's own
          // place (less the aspect); an angle the rotation doesn't carry, so there the
          // promissor is carried back to it.
          auto directed = [&](const Sphere& promissor, double target, std::optional<double> back) {
            const auto h = hourAngleAt(method, target, promissor.declination, latitude);
            if (h) {
              d.converse = false, d.arc = normalized(*h - promissor.hourAngle);
              add(d);
            }
            d.converse = true;
            if (s.angle) {
              if (!h) return;
              d.arc = normalized(promissor.hourAngle - *h);
              add(d);
            } else if (back) {
              const auto hs = hourAngleAt(method, *back, s.at.declination, latitude);
              if (!hs) return;
              d.arc = normalized(*hs - s.at.hourAngle);
              add(d);
            }
          };
          if (options.zodiacal) {
            d.mundane = false;
            directed(point, *s.at.place, point.place);
          }
          // A mundane aspect is a proportion of the quadrants: a sinister one (the promissor
          // behind in the zodiac, to the west) a place farther on in the rotation. To the
          // angles only the conjunction and the opposition: a mundane square to one is the
          // conjunction to the next.
          if (mundane && (!s.angle || angle == 0 || angle == 180)) {
            d.mundane = true;
            directed(body, *s.at.place + side * angle,
                     body.place ? std::optional<double>(*body.place - side * angle) : std::nullopt);
          }
        }
      }
    }
  }
  std::sort(out.begin(), out.end(),
            [](const PrimaryDirection& x, const PrimaryDirection& y) { return x.arc < y.arc; });
  return out;
}

}  // namespace orvenda::timelords
