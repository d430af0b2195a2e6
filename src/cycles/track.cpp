// Sampling a body and solving its passes and stations between samples.
#include "cycles/track.h"

#include <algorithm>
#include <cmath>

#include "natal/natal_chart.h"

namespace orvenda::cycles {
namespace {

// The cubic of one interval in its own parameter s (0 at the first sample, 1 at the
// second): p(s) = a s³ + b s² + c s + d, from both values and both slopes.
struct Cubic {
  double a, b, c, d;
  double at(double s) const { return ((a * s + b) * s + c) * s + d; }
  double slope(double s) const { return (3 * a * s + 2 * b) * s + c; }
};

Cubic hermite(double y0, double y1, double m0, double m1) {
  return {2 * y0 + m0 - 2 * y1 + m1, -3 * y0 - 2 * m0 + 3 * y1 - m1, m0, y0};
}

// The roots of the cubic's slope strictly inside (0, 1), in order.
std::vector<double> turningPoints(const Cubic& p) {
  const double qa = 3 * p.a, qb = 2 * p.b, qc = p.c;
  std::vector<double> roots;
  auto keep = [&](double s) {
    if (s > 0 && s < 1 && std::isfinite(s)) roots.push_back(s);
  };
  if (std::fabs(qa) < 1e-14 * (std::fabs(qb) + std::fabs(qc) + 1e-300)) {
    if (qb != 0) keep(-qc / qb);
  } else {
    const double disc = qb * qb - 4 * qa * qc;
    if (disc >= 0) {
      // The stable form of the quadratic formula.
      const double q = -0.5 * (qb + std::copysign(std::sqrt(disc), qb));
      if (q != 0) keep(qc / q);
      keep(q / qa);
    }
  }
  std::sort(roots.begin(), roots.end());
  return roots;
}

// Where a monotone cubic reaches a value between s0 and s1.
double solveCubic(const Cubic& p, double s0, double s1, double value) {
  const bool rising = p.at(s1) > p.at(s0);
  double lo = s0, hi = s1;
  for (int i = 0; i < 60 && hi - lo > 1e-12; ++i) {
    const double mid = (lo + hi) / 2;
    if ((p.at(mid) < value) == rising)
      lo = mid;
    else
      hi = mid;
  }
  return (lo + hi) / 2;
}

}  // namespace

double stepFor(int point) {
  switch (point) {
    case natal::kMoon: return 1;
    case 2: return 1;  // Mercury: loops of three weeks, quick turns
    case 3: return 1;  // Venus: light bends about the Sun at its far side
    case 4: return 2;  // Mars
    case natal::kSun: return 4;
    case 11:
    case 12:
    case 13:
    case 14: return 2;  // the asteroids' loops are Mars-like
    case natal::kNorthNode:
    case natal::kLilith: return 4;
    case 5:
    case 6: return 8;    // Jupiter, Saturn
    default: return 16;  // Uranus, Neptune, Pluto, Chiron
  }
}

double errorBoundFor(int point) {
  switch (point) {
    case natal::kSun: return 1e-5;
    case natal::kMoon: return 2e-4;
    case 2: return 1.5e-4;
    case 3:
    case 4: return 3e-5;
    case 11:
    case 12:
    case 13:
    case 14: return 1e-5;
    case natal::kNorthNode:
    case natal::kLilith: return 2e-6;
    default: return 3e-4;
  }
}

Scanner::Scanner(LongitudeAt at, double step) : at_(std::move(at)), step_(step) {}

Scanner::Sample Scanner::sample(double jd) {
  const auto p = at_(jd);
  if (!p) return {jd, 0, 0, false};
  analytic_ = analytic_ || p->analytic;
  return {jd, p->longitude, p->speed, true};
}

void Scanner::scan(double from, double to, const std::vector<Threshold>& thresholds,
                   ScanVisitor& v) {
  sorted_ = thresholds;
  for (auto& t : sorted_) t.longitude = natal::normalized(t.longitude);
  std::sort(sorted_.begin(), sorted_.end(),
            [](const Threshold& a, const Threshold& b) { return a.longitude < b.longitude; });
  samples_.clear();
  from_ = from, to_ = to;
  if (!(to > from)) return;
  Sample prev = sample(from);
  samples_.push_back(prev);
  if (prev.ok) v.start(prev.jd, natal::normalized(prev.longitude));
  while (prev.jd < to) {
    // The last step is never left shorter than a tenth of a step.
    const double next = prev.jd + step_ * 1.1 >= to ? to : prev.jd + step_;
    Sample cur = sample(next);
    if (cur.ok && !prev.ok) v.start(cur.jd, natal::normalized(cur.longitude));
    if (cur.ok && prev.ok)
      cur.longitude = prev.longitude + std::remainder(cur.longitude - prev.longitude, 360.0);
    samples_.push_back(cur);
    if (prev.ok && cur.ok)
      interval(prev, cur, 0, v);
    else
      v.gap(prev.jd, cur.jd);
    prev = cur;
  }
}

void Scanner::interval(const Sample& a, const Sample& b, int depth, ScanVisitor& v) {
  const double h = b.jd - a.jd;
  const Cubic p = hermite(a.longitude, b.longitude, a.speed * h, b.speed * h);
  const std::vector<double> turns = turningPoints(p);
  const bool turned = (a.speed < 0) != (b.speed < 0);
  if (turned && turns.size() == 1) {
    piece(a, b, 0, turns[0], v);
    // A station a step or more outside the window asked for is not solved: the curve's
    // turn is within a step of the true one.
    if (b.jd >= stationsFrom_ && a.jd < stationsTo_) {
      Station st;
      st.jd = refineStation(a, b, turns[0], st.longitude);
      st.retrograde = a.speed >= 0;
      if (st.jd >= from_ && st.jd < to_ && st.jd >= stationsFrom_ && st.jd < stationsTo_)
        v.station(st);
    }
    piece(a, b, turns[0], 1, v);
    return;
  }
  if (!turns.empty() && depth < 4) {
    // The curve bends back where the samples don't: look closer before trusting it.
    Sample mid = sample((a.jd + b.jd) / 2);
    if (!mid.ok) {
      v.gap(a.jd, b.jd);
      return;
    }
    mid.longitude = a.longitude + std::remainder(mid.longitude - a.longitude, 360.0);
    interval(a, mid, depth + 1, v);
    interval(mid, b, depth + 1, v);
    return;
  }
  piece(a, b, 0, 1, v);
}

void Scanner::piece(const Sample& a, const Sample& b, double s0, double s1, ScanVisitor& v) {
  const double h = b.jd - a.jd;
  const Cubic p = hermite(a.longitude, b.longitude, a.speed * h, b.speed * h);
  const double p0 = p.at(s0), p1 = p.at(s1);
  if (p1 == p0 || sorted_.empty()) return;
  const bool forward = p1 > p0;
  // The values passed: (p0, p1] going forward, (p1, p0] going back.
  const double lo = forward ? p0 : p1, hi = forward ? p1 : p0;
  const double base = std::floor(lo / 360.0) * 360.0;
  const double from = lo - base;
  const double width = hi - lo;
  std::vector<std::pair<double, int>> passed;
  auto collect = [&](double first, double last, double offset) {  // (first, last]
    auto it = std::upper_bound(sorted_.begin(), sorted_.end(), first,
                               [](double x, const Threshold& t) { return x < t.longitude; });
    for (; it != sorted_.end() && it->longitude <= last; ++it)
      passed.push_back({offset + it->longitude, it->id});
  };
  if (from + width < 360) {
    collect(from, from + width, base);
  } else {
    collect(from, 360, base);
    collect(-1, from + width - 360, base + 360);
  }
  if (passed.empty()) return;
  std::sort(passed.begin(), passed.end());
  if (!forward) std::reverse(passed.begin(), passed.end());
  for (const auto& [value, id] : passed) {
    const double jd = a.jd + solveCubic(p, s0, s1, value) * h;
    if (jd >= from_ && jd < to_) v.crossing({jd, id, forward});
  }
}

const Scanner::Sample* Scanner::before(double jd) const {
  if (samples_.size() < 2) return nullptr;
  auto it = std::upper_bound(samples_.begin(), samples_.end(), jd,
                             [](double x, const Sample& s) { return x < s.jd; });
  if (it == samples_.end()) --it;
  if (it == samples_.begin()) ++it;
  return &*(it - 1);
}

double Scanner::refine(double jd, double longitude) {
  const Sample* a = before(jd);
  if (!a || !a[0].ok || !a[1].ok || bound_ <= 0) return jd;
  const Sample& b = a[1];
  const double h = b.jd - a->jd;
  const Cubic p = hermite(a->longitude, b.longitude, a->speed * h, b.speed * h);
  const double slope = std::fabs(p.slope((jd - a->jd) / h)) / h;
  if (bound_ <= slope * 3.5e-4) return jd;  // within half a minute already
  // Newton's method from the curve's answer, which is close; a search within the reach of
  // the curve's error where it strays (near a station).
  const double reach = std::max(4 * bound_ / std::max(slope, 1e-9), 1e-3);
  double t = jd;
  for (int i = 0; i < 6; ++i) {
    const auto pos = at_(t);
    if (!pos || pos->speed == 0) break;
    const double step = std::remainder(pos->longitude - longitude, 360.0) / pos->speed;
    if (!(std::fabs(t - step - jd) <= reach)) break;
    t -= step;
    // From a start this close, one step of Newton's method leaves an error of its square:
    // well under a second.
    if (std::fabs(step) < 5e-3) return t;
  }
  for (const double r : {reach, 4 * reach}) {
    if (const auto exact = solveLongitude(at_, natal::normalized(longitude), jd - r, jd + r, 2e-5))
      return *exact;
  }
  return jd;
}

double Scanner::refineStation(const Sample& a, const Sample& b, double guess, double& longitude) {
  // False position on the ephemeris' own speed (the Illinois variant), which is nearly a
  // straight line of time across a station; the cubic's turn is the first guess.
  double ta = a.jd, va = a.speed, tb = b.jd, vb = b.speed;
  double t = a.jd + guess * (b.jd - a.jd);
  longitude = natal::normalized(a.longitude);
  int side = 0;
  for (int i = 0; i < 16; ++i) {
    const auto pos = at_(t);
    if (!pos) break;
    longitude = pos->longitude;
    const double vt = pos->speed;
    if (vt == 0 || tb - ta < 1e-6) break;
    if ((vt < 0) == (va < 0)) {
      ta = t, va = vt;
      if (side == -1) vb /= 2;
      side = -1;
    } else {
      tb = t, vb = vt;
      if (side == 1) va /= 2;
      side = 1;
    }
    t = ta - va * (tb - ta) / (vb - va);
    if (tb - ta < 2e-5) break;
  }
  return t;
}

std::optional<double> Scanner::longitudeAt(double jd) const {
  if (jd < from_ || jd > to_) return std::nullopt;
  const Sample* first = before(jd);
  if (!first) return std::nullopt;
  const Sample& a = first[0];
  const Sample& b = first[1];
  if (!a.ok || !b.ok) return std::nullopt;
  const double h = b.jd - a.jd;
  const Cubic p = hermite(a.longitude, b.longitude, a.speed * h, b.speed * h);
  return natal::normalized(p.at((jd - a.jd) / h));
}

std::optional<double> solveLongitude(const LongitudeAt& at, double target, double lo, double hi,
                                     double tolerance) {
  auto offset = [&](double t, double& speed) -> std::optional<double> {
    const auto p = at(t);
    if (!p) return std::nullopt;
    speed = p->speed;
    return std::remainder(p->longitude - target, 360.0);
  };
  double speed = 0;
  const auto flo = offset(lo, speed), fhi = offset(hi, speed);
  if (!flo || !fhi || (*flo > 0) == (*fhi > 0)) return std::nullopt;
  const bool rising = *flo < 0;
  double t = (lo + hi) / 2;
  for (int i = 0; i < 60; ++i) {
    const auto f = offset(t, speed);
    if (!f) return std::nullopt;
    if (*f == 0) return t;
    if ((*f < 0) == rising)
      lo = t;
    else
      hi = t;
    double next = speed != 0 ? t - *f / speed : (lo + hi) / 2;
    if (!(next > lo && next < hi)) next = (lo + hi) / 2;
    if (std::fabs(next - t) < tolerance || hi - lo < tolerance) return next;
    t = next;
  }
  return t;
}

}  // namespace orvenda::cycles
