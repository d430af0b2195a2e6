#include "timelords/directions.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <tuple>

#include "cycles/progressions.h"
#include "natal/ephemeris.h"

namespace orvenda::timelords {
namespace {

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
                        double& declination) {
  constexpr double k = 3.14159265358979323846 / 180;
  const double l = longitude * k, e = obliquity * k;
  rightAscension = normalized(std::atan2(std::sin(l) * std::cos(e), std::cos(l)) / k);
  declination = std::asin(std::sin(e) * std::sin(l)) / k;
}

std::vector<PrimaryDirection> primaryDirections(const natal::NatalChart& natal, double latitude,
                                                double obliquity, Key key, double maxYears,
                                                natal::Ephemeris& ephemeris) {
  std::vector<PrimaryDirection> out;
  if (!natal.timeKnown) return out;
  constexpr double k = 3.14159265358979323846 / 180;
  double ramc = 0, mcDeclination = 0;
  equatorialOfDegree(natal.midheaven, obliquity, ramc, mcDeclination);
  const double ascendantOblique = normalized(ramc + 90);
  auto yearsOf = [&](double arc) -> std::optional<double> {
    switch (key) {
      case Key::Ptolemy: return arc;
      case Key::Naibod: return arc / cycles::kNaibodRate;
      case Key::SolarArc: break;
    }
    // The true solar arc: the year of life whose solar arc is this arc.
    double years = arc / cycles::kNaibodRate;
    for (int step = 0; step < 8; ++step) {
      const auto at =
          directingArc(natal, natal.julianDayUt + years * cycles::kTropicalYear, false, ephemeris);
      const auto sun =
          ephemeris.body(natal.julianDayUt + years, natal::kSun);  // the progressed day
      if (!at || !sun || sun->speed <= 0) return std::nullopt;
      const double next = years + (arc - *at) / sun->speed;
      if (std::fabs(next - years) < 1e-9) return next;
      years = next;
    }
    return years;
  };
  const double tanPhi = std::tan(latitude * k);
  for (const natal::PointPosition& p : natal.points) {
    if (p.index == natal::kAscendant || p.index == natal::kMidheaven) continue;
    for (int a = 0; a <= 4; ++a) {
      const double angle = natal::kAspectAngles[static_cast<std::size_t>(a)];
      for (const int side : {1, -1}) {
        if (side < 0 && (angle == 0 || angle == 180)) continue;
        double ra = 0, dec = 0;
        equatorialOfDegree(normalized(p.longitude + side * angle), obliquity, ra, dec);
        // A degree that never rises or never sets there has no oblique ascension: it comes
        // to the Midheaven (by right ascension) all the same, never to the Ascendant.
        const double x = tanPhi * std::tan(dec * k);
        const bool rises = std::fabs(x) < 1;
        const double oblique = rises ? normalized(ra - std::asin(x) / k) : 0;
        for (const auto& [significator, place, point] :
             {std::tuple{int{natal::kMidheaven}, ramc, ra},
              std::tuple{int{natal::kAscendant}, ascendantOblique, oblique}}) {
          if (significator == natal::kAscendant && !rises) continue;
          for (const bool converse : {false, true}) {
            const double arc = converse ? normalized(place - point) : normalized(point - place);
            if (arc <= 0) continue;
            const auto years = yearsOf(arc);
            if (!years || *years > maxYears) continue;
            out.push_back({p.index, a, side, significator, converse, arc, *years,
                           natal.julianDayUt + *years * cycles::kTropicalYear});
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
