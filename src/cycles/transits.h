// Transits: the moving bodies over the natal chart through a period. For each body that
// takes part, each natal point that takes part and each aspect that is switched on (both
// sides of it, but for the conjunction and the opposition): the instant it comes within
// the orb, every exact instant (three where the body turns back over the point), the
// instant it leaves; and the bodies' stations and their ingresses into the signs and the
// natal houses. A pure function of the chart, the configuration and the period.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "natal/natal_chart.h"

namespace orvenda::natal {
class Ephemeris;
}

namespace orvenda::cycles {

struct TransitOptions {
  double orb = 1.0;       // degrees either side of exact
  bool moon = false;      // the Moon's transits too (about thirteen times the events)
  bool profiles = false;  // how close each transit stands along its passes, for a graph
  // Secondary progressions: at a moment t the bodies stand where the ephemeris has them at
  // epoch + (t − epoch) / timeScale (a day after birth for each year of life: 365.24219).
  // Every instant is then solved on the ephemeris itself, each minute of it being hours.
  double timeScale = 1;
  double epoch = 0;
  bool exact = false;  // every instant solved on the ephemeris, whatever the curve's error
  // What the astrologer asked for, among what the configuration lets take part: bit i of
  // `bodies` for the body i of the planet table moving, of `natal` for the natal point i,
  // of `aspects` for the aspect i of the aspect table.
  std::uint32_t bodies = ~0u, natal = ~0u, aspects = ~0u;
};

enum class EventKind { Aspect, Station, Sign, House };

// One stretch of a transit within the orb; nothing at an end the ephemeris can't reach.
struct Pass {
  std::optional<double> enters, leaves;  // Julian days (UT)
};

struct TransitEvent {
  EventKind kind = EventKind::Aspect;
  int body = 0;    // the transiting body, in the planet table
  double key = 0;  // where the event stands in the period's order: its first moment in it
  // An aspect: the natal point, the aspect, the side (+1 the body ahead of the point by the
  // aspect's angle, −1 behind it), its passes through the orb and its exact instants.
  int natal = 0, aspect = 0, side = 1;
  std::vector<Pass> passes;
  std::vector<double> exact;
  std::vector<bool> exactRetrograde;  // for each exact instant: the body moving back then
  // With profiles: (Julian day, 1 − distance from exact / orb) along the passes.
  std::vector<std::pair<double, double>> closeness;
  // A station or an ingress: its instant and the body's longitude then.
  double at = 0;
  double longitude = 0;
  bool retrograde = false;  // a station: turns retrograde (else direct); an ingress: moving back
  int sign = 0;             // an ingress into a sign (0 Aries .. 11 Pisces)
  int house = 0;            // an ingress into a natal house (1..12)

  std::optional<double> enters() const {
    return passes.empty() ? std::nullopt : passes.front().enters;
  }
  std::optional<double> leaves() const {
    return passes.empty() ? std::nullopt : passes.back().leaves;
  }
};

struct TransitSummary {
  bool analytic = false;         // a body came from the analytic ephemeris
  std::vector<int> notComputed;  // bodies that take part but could not be computed
};

// The bodies that move over the chart: those of the planet table the configuration lets
// take part, from the Sun to Lilith; the Moon only when asked for; of those, the ones
// chosen.
std::vector<int> transitingBodies(const natal::ChartConfig& config, const TransitOptions& options);

// Hands the events of [from, to) (Julian days, UT) to `sink` in the order of their keys,
// each as soon as it is known: a long period is walked a year at a time, in constant
// memory. An aspect's passes and exact instants may lie outside the period; an aspect
// whose first pass began outside the years the ephemeris can give has no `enters`.
TransitSummary findTransits(const natal::NatalChart& natal, const natal::ChartConfig& config,
                            const TransitOptions& options, double from, double to,
                            natal::Ephemeris& ephemeris,
                            const std::function<void(const TransitEvent&)>& sink);

}  // namespace orvenda::cycles
