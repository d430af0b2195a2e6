// Transits over a period: each body's track scanned over a window wider than the period
// by the longest stretch one of its transits can last, each target's passes gathered into
// one transit while the body turns back over the point, and the events of the period handed
// on in order, a year at a time.
#include "cycles/transits.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "cycles/track.h"
#include "natal/ephemeris.h"

namespace orvenda::cycles {
namespace {

using natal::NatalChart;

// How a body moves, to bound how long one transit of it can last: its slowest net motion
// (degrees a year, at its aphelion), the widest arc of its retrograde loops, and the time
// a loop takes (years).
struct Motion {
  double net, arc, loop;
};
constexpr Motion kMotion[natal::kBodies] = {
    {359, 0, 0},      // Sun
    {4700, 0, 0},     // Moon
    {359, 16, 0.25},  // Mercury
    {359, 22, 0.5},   // Venus
    {180, 22, 0.8},   // Mars
    {28, 11, 1},      // Jupiter
    {11, 8, 1},       // Saturn
    {4, 5, 1},        // Uranus
    {2.1, 4, 1},      // Neptune
    {0.9, 3, 1},      // Pluto
    {3, 8, 1},        // Chiron
    {70, 25, 0.8},    // Ceres
    {60, 40, 0.8},    // Pallas
    {60, 35, 0.8},    // Juno
    {85, 25, 0.8},    // Vesta
    {19, 0, 0},       // the mean node
    {40, 0, 0},       // the mean apogee (Lilith)
};

// The longest one transit of a body can last, in days, with a margin. `net` is the body's
// net motion about the period (degrees a year), where it is known to be faster than at
// its slowest.
double reachDays(int body, double orb, double net = 0) {
  const Motion& m = kMotion[body];
  return ((2 * orb + m.arc) / std::max(m.net, net) + m.loop) * 365.25 * 1.2 + 2;
}

// A slow body's net motion over the two years about a moment, four fifths of it to be safe:
// Pluto moves 0.9° a year at its aphelion and four times that at its perihelion.
double netMotion(natal::Ephemeris& eph, int body, double jd) {
  if (kMotion[body].net > 10) return 0;
  const auto before = eph.body(jd - 365.25, body), after = eph.body(jd + 365.25, body);
  if (!before || !after) return 0;
  return 0.8 * std::fabs(std::remainder(after->longitude - before->longitude, 360.0)) / 2;
}

struct Target {
  int natal, aspect, side;
  double longitude;
};

constexpr double kNever = -1e300;

// Gathers one body's crossings into events, for the period's part [c0, c1).
class Walker : public ScanVisitor {
 public:
  Walker(int body, const std::vector<Target>& targets, const NatalChart& natal,
         const TransitOptions& options, double from, double to, double c0, double c1,
         Scanner& scanner, std::vector<TransitEvent>& out)
      : body_(body),
        targets_(targets),
        natal_(natal),
        options_(options),
        from_(from),
        to_(to),
        c0_(c0),
        c1_(c1),
        scanner_(scanner),
        out_(out),
        open_(targets.size()) {}

  int signBase() const { return static_cast<int>(targets_.size()) * 3; }
  int houseBase() const { return signBase() + 12; }
  bool sawGap() const { return gapInPeriod_; }
  bool sawAny() const { return started_; }

  void start(double jd, double longitude) override {
    const bool windowStart = !started_;
    started_ = true;
    for (std::size_t j = 0; j < targets_.size(); ++j) {
      const double d = std::remainder(longitude - targets_[j].longitude, 360.0);
      if (std::fabs(d) > options_.orb) continue;
      Open& o = open_[j];
      o = Open{};
      o.active = o.inOrb = true;
      // In the orb where the walk begins: began before the window (which is wide enough
      // that such a transit is over before the period), or beyond the ephemeris.
      o.before = windowStart;
      o.event.passes.push_back({std::nullopt, std::nullopt});
      o.sides.push_back({0, 0});
      (void)jd;
    }
  }

  void gap(double from, double to) override {
    if (from < to_ && to > from_) gapInPeriod_ = true;
    // What was in the orb when the ephemeris stopped ends there, unknown.
    for (std::size_t j = 0; j < open_.size(); ++j)
      if (open_[j].active) finish(j);
  }

  void crossing(const Crossing& c) override {
    if (c.id >= houseBase()) {
      const int cusp = c.id - houseBase();
      ingress(EventKind::House, c, c.forward ? cusp + 1 : (cusp == 0 ? 12 : cusp),
              natal_.cusps[static_cast<std::size_t>(cusp)]);
      return;
    }
    if (c.id >= signBase()) {
      const int sign = c.id - signBase();
      ingress(EventKind::Sign, c, c.forward ? sign : (sign + 11) % 12, sign * 30.0);
      return;
    }
    const std::size_t j = static_cast<std::size_t>(c.id / 3);
    switch (c.id % 3) {
      case 0: c.forward ? enter(j, -1, c.jd) : leave(j, -1, c.jd); break;
      case 2: c.forward ? leave(j, 1, c.jd) : enter(j, 1, c.jd); break;
      default:
        if (open_[j].active && open_[j].inOrb) {
          open_[j].event.exact.push_back(c.jd);
          open_[j].event.exactRetrograde.push_back(!c.forward);
        }
    }
  }

  void station(const Station& s) override {
    if (!inPart(s.jd)) return;
    TransitEvent e;
    e.kind = EventKind::Station;
    e.body = body_;
    e.key = e.at = s.jd;
    e.longitude = s.longitude;
    e.retrograde = s.retrograde;
    out_.push_back(std::move(e));
  }

  // Ends the walk: what is still open ends with the window.
  void finishAll() {
    for (std::size_t j = 0; j < open_.size(); ++j)
      if (open_[j].active) finish(j);
  }

 private:
  struct Open {
    bool active = false, inOrb = false, before = false;
    int lastExit = 0;  // −1 left below the orb, +1 above it
    TransitEvent event;
    std::vector<std::array<int, 2>> sides;  // each pass's edges: in, out (−1 below, +1 above)
  };

  bool inPart(double jd) const { return jd >= std::max(c0_, from_) && jd < std::min(c1_, to_); }

  void ingress(EventKind kind, const Crossing& c, int where, double edge) {
    if (!inPart(c.jd)) return;
    TransitEvent e;
    e.kind = kind;
    e.body = body_;
    e.key = e.at = scanner_.refine(c.jd, edge);
    e.retrograde = !c.forward;
    (kind == EventKind::Sign ? e.sign : e.house) = where;
    if (const auto lon = scanner_.longitudeAt(c.jd)) e.longitude = *lon;
    out_.push_back(std::move(e));
  }

  void enter(std::size_t j, int boundary, double jd) {
    Open& o = open_[j];
    // Back in through the side it went out of: the body turned, the same transit goes on.
    if (o.active && !o.inOrb && o.lastExit == boundary) {
      o.event.passes.push_back({jd, std::nullopt});
      o.sides.push_back({boundary, 0});
      o.inOrb = true;
      return;
    }
    if (o.active) finish(j);
    o = Open{};
    o.active = o.inOrb = true;
    o.event.passes.push_back({jd, std::nullopt});
    o.sides.push_back({boundary, 0});
  }

  void leave(std::size_t j, int boundary, double jd) {
    Open& o = open_[j];
    if (!o.active || !o.inOrb) return;
    o.event.passes.back().leaves = jd;
    o.sides.back()[1] = boundary;
    o.inOrb = false;
    o.lastExit = boundary;
  }

  void finish(std::size_t j) {
    Open& o = open_[j];
    TransitEvent e = std::move(o.event);
    const bool before = o.before;
    const std::vector<std::array<int, 2>> sides = std::move(o.sides);
    o = Open{};
    // The first pass that reaches into the period sets the event's place in it.
    std::optional<double> key;
    for (const Pass& p : e.passes) {
      const double in = p.enters ? *p.enters : kNever;
      const double out = p.leaves ? *p.leaves : -kNever;
      if (in < to_ && out >= from_) {
        key = std::max(in, from_);
        break;
      }
    }
    if (!key || *key < c0_ || *key >= c1_) return;
    (void)before;
    const Target& t = targets_[j];
    // The instants kept, exact to the minute: each on the edge of the orb it crossed.
    auto edge = [&](int side) { return t.longitude + side * options_.orb; };
    for (std::size_t i = 0; i < e.passes.size(); ++i) {
      Pass& p = e.passes[i];
      if (p.enters) p.enters = scanner_.refine(*p.enters, edge(sides[i][0]));
      if (p.leaves) p.leaves = scanner_.refine(*p.leaves, edge(sides[i][1]));
    }
    for (double& x : e.exact) x = scanner_.refine(x, t.longitude);
    e.kind = EventKind::Aspect;
    e.body = body_;
    e.key = *key;
    e.natal = t.natal;
    e.aspect = t.aspect;
    e.side = t.side;
    if (options_.profiles) profile(e, t);
    out_.push_back(std::move(e));
  }

  void profile(TransitEvent& e, const Target& t) const {
    auto closeness = [&](double jd) -> std::optional<double> {
      const auto lon = scanner_.longitudeAt(jd);
      if (!lon) return std::nullopt;
      const double d = std::fabs(std::remainder(*lon - t.longitude, 360.0));
      return std::clamp(1 - d / std::max(options_.orb, 1e-9), 0.0, 1.0);
    };
    for (const Pass& p : e.passes) {
      if (!p.enters || !p.leaves) continue;
      constexpr int kSteps = 24;
      for (int i = 0; i <= kSteps; ++i) {
        const double jd = *p.enters + (*p.leaves - *p.enters) * i / kSteps;
        if (const auto c = closeness(jd)) e.closeness.push_back({jd, *c});
      }
    }
    for (double x : e.exact) e.closeness.push_back({x, 1.0});
    std::sort(e.closeness.begin(), e.closeness.end());
  }

  int body_;
  const std::vector<Target>& targets_;
  const NatalChart& natal_;
  const TransitOptions& options_;
  double from_, to_, c0_, c1_;
  Scanner& scanner_;
  std::vector<TransitEvent>& out_;
  std::vector<Open> open_;
  bool started_ = false, gapInPeriod_ = false;
};

std::vector<Target> targetsOf(const NatalChart& natal, const natal::ChartConfig& config,
                              const TransitOptions& options) {
  std::vector<Target> targets;
  for (const natal::PointPosition& p : natal.points) {
    if (!(options.natal >> p.index & 1u)) continue;
    for (int k = 0; k < natal::kAspects; ++k) {
      if (config.aspects.enabled[k] != 1 || !(options.aspects >> k & 1u)) continue;
      const double angle = natal::kAspectAngles[k];
      for (int side : {1, -1}) {
        if (side == -1 && (angle == 0 || angle == 180)) continue;
        targets.push_back({p.index, k, side, natal::normalized(p.longitude + side * angle)});
      }
    }
  }
  return targets;
}

int order(EventKind k) { return static_cast<int>(k); }

// A body's samples on its grid, taken ahead of its scan.
struct Grid {
  int body = 0;
  double from = 0, step = 1;
  std::vector<std::optional<natal::BodyPosition>> values;
};

}  // namespace

std::vector<int> transitingBodies(const natal::ChartConfig& config, const TransitOptions& options) {
  std::vector<int> bodies;
  for (int i = 0; i < natal::kBodies; ++i)
    if (config.planets.enabled[i] == 1 && (i != natal::kMoon || options.moon) &&
        (options.bodies >> i & 1u))
      bodies.push_back(i);
  return bodies;
}

TransitSummary findTransits(const NatalChart& natal, const natal::ChartConfig& config,
                            const TransitOptions& options, double from, double to,
                            natal::Ephemeris& eph,
                            const std::function<void(const TransitEvent&)>& sink) {
  TransitSummary summary;
  if (!(to > from)) return summary;
  if (options.timeScale != 1) {
    // Walked in the ephemeris' own time, each instant told in the period's.
    const double k = options.timeScale, epoch = options.epoch;
    auto real = [&](double jd) { return epoch + (jd - epoch) * k; };
    TransitOptions inner = options;
    inner.timeScale = 1;
    inner.exact = true;
    return findTransits(natal, config, inner, epoch + (from - epoch) / k, epoch + (to - epoch) / k,
                        eph, [&](const TransitEvent& e) {
                          TransitEvent m = e;
                          m.key = real(m.key);
                          m.at = real(m.at);
                          for (Pass& p : m.passes) {
                            if (p.enters) p.enters = real(*p.enters);
                            if (p.leaves) p.leaves = real(*p.leaves);
                          }
                          for (double& x : m.exact) x = real(x);
                          for (auto& c : m.closeness) c.first = real(c.first);
                          sink(m);
                        });
  }
  const std::vector<Target> targets = targetsOf(natal, config, options);
  std::vector<Threshold> thresholds;
  for (std::size_t j = 0; j < targets.size(); ++j) {
    const int id = static_cast<int>(j) * 3;
    thresholds.push_back({targets[j].longitude - options.orb, id});
    thresholds.push_back({targets[j].longitude, id + 1});
    thresholds.push_back({targets[j].longitude + options.orb, id + 2});
  }
  const int signBase = static_cast<int>(targets.size()) * 3;
  for (int s = 0; s < 12; ++s) thresholds.push_back({s * 30.0, signBase + s});
  if (natal.timeKnown)
    for (int h = 0; h < 12; ++h) thresholds.push_back({natal.cusps[h], signBase + 12 + h});

  const std::vector<int> bodies = transitingBodies(config, options);
  // A short period is walked at once; a long one in parts, each scanned with its margins: a
  // year at a time with the Moon (thirteen times the events), five without it, so the slow
  // planets' margins are not walked again each year.
  const double span = to - from;
  const double part = (options.moon ? 1 : 5) * 365.25;
  const double chunk = span > 2 * part ? part : span;
  const auto chunks = static_cast<long long>(std::ceil(span / chunk));
  std::vector<bool> uncomputed(natal::kBodies, false);
  for (long long n = 0; n < chunks; ++n) {
    const double c0 = from + static_cast<double>(n) * chunk;
    const double c1 = n + 1 == chunks ? to : from + static_cast<double>(n + 1) * chunk;
    // Each body's window, on a grid of its steps, sampled all bodies at one instant after
    // another: the ephemeris keeps the Earth and the nutation
    // of the instant it was last asked for, which makes the others' positions then cheap.
    std::vector<Grid> grids;
    double first = c0, last = c1;
    for (int body : bodies) {
      const double step = stepFor(body);
      const double reach = reachDays(body, options.orb, netMotion(eph, body, (c0 + c1) / 2));
      Grid g;
      g.body = body;
      g.step = step;
      // On a grid fixed in time (steps from J2000), so that a moment is found the same
      // whatever period it is asked in.
      constexpr double kOrigin = 2451545.0;
      g.from = kOrigin + std::floor((c0 - reach - kOrigin) / step) * step;
      const auto count = static_cast<std::size_t>(std::ceil((c1 + reach - g.from) / step)) + 1;
      g.values.resize(count);
      first = std::min(first, g.from);
      last = std::max(last, g.from + static_cast<double>(count - 1) * step);
      grids.push_back(std::move(g));
    }
    for (double t = first; t <= last + 1e-9; t += 1.0)
      for (Grid& g : grids) {
        const double k = (t - g.from) / g.step;
        const auto i = static_cast<long long>(std::llround(k));
        if (std::fabs(k - static_cast<double>(i)) < 1e-9 && i >= 0 &&
            i < static_cast<long long>(g.values.size()))
          g.values[static_cast<std::size_t>(i)] = eph.body(t, g.body);
      }
    std::vector<TransitEvent> events;
    for (const Grid& g : grids) {
      const int body = g.body;
      Scanner scanner(
          [&eph, &g](double jd) {
            const double k = (jd - g.from) / g.step;
            const auto i = static_cast<long long>(std::llround(k));
            if (std::fabs(k - static_cast<double>(i)) < 1e-6 && i >= 0 &&
                i < static_cast<long long>(g.values.size()))
              return g.values[static_cast<std::size_t>(i)];
            return eph.body(jd, g.body);
          },
          g.step);
      // Where a minute of the ephemeris' time is hours of the period's, every pass is solved
      // on the ephemeris itself.
      scanner.setErrorBound(options.exact ? 1e9 : errorBoundFor(body));
      scanner.setStationsWithin(std::max(c0, from), std::min(c1, to));
      Walker walker(body, targets, natal, options, from, to, c0, c1, scanner, events);
      scanner.scan(g.from, g.from + static_cast<double>(g.values.size() - 1) * g.step, thresholds,
                   walker);
      walker.finishAll();
      summary.analytic = summary.analytic || scanner.analytic();
      if (walker.sawGap() || !walker.sawAny()) uncomputed[static_cast<std::size_t>(body)] = true;
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const TransitEvent& a, const TransitEvent& b) {
                       if (a.key != b.key) return a.key < b.key;
                       if (a.kind != b.kind) return order(a.kind) < order(b.kind);
                       return a.body < b.body;
                     });
    for (const TransitEvent& e : events) sink(e);
  }
  for (int b = 0; b < natal::kBodies; ++b)
    if (uncomputed[static_cast<std::size_t>(b)]) summary.notComputed.push_back(b);
  return summary;
}

}  // namespace orvenda::cycles
