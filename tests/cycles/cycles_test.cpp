// Transits, stations, ingresses, the progressed chart and the returns of the New York 1957
// chart against instants found by bisection on swetest's own positions (cycles_reference.txt).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <tuple>

#include "config/default_settings.h"
#include "cycles/progressions.h"
#include "cycles/transits.h"
#include "natal/ephemeris.h"
#include "natal/names.h"
#include "natal/natal_chart.h"
#include "sheet/time_report.h"

namespace orvenda::cycles {
namespace {

using natal::swissEphemeris;

constexpr double kSecond = 1.0 / 86400;
constexpr double kMinute = 60 * kSecond;
constexpr double kArcSecond = 1.0 / 3600;
constexpr int kUranus = 7, kNeptune = 8, kMars = 4, kJupiter = 5, kSaturn = 6;

struct RefTransit {
  int body = 0, aspect = 0, side = 1, natal = 0;
  std::vector<Pass> passes;
  std::vector<double> exact;
};

struct RefInstant {
  EventKind kind = EventKind::Station;
  int body = 0, where = 0;  // the sign (0..11) or house (1..12) entered
  bool back = false;        // a station: turns retrograde; an ingress: moving back
  double at = 0, longitude = 0;
};

struct Reference {
  double birth = 0;
  std::map<int, double> natal;
  double period[2] = {}, fastWindow[2] = {}, moonPeriod[2] = {};
  std::vector<RefTransit> transits;  // the slow bodies', the fast bodies', the Moon's
  std::vector<RefInstant> instants;  // stations and ingresses, the Moon's too
  double progressedDate = 0, progressedJd = 0, solarArc = 0, progressedMc = 0;
  std::map<int, double> progressed;
  int solarReturnYear = 0;
  double solarReturn = 0, lunarReturnAfter = 0, lunarReturn = 0;
};

std::optional<double> instantOf(const std::string& word) {
  if (word == "none") return std::nullopt;
  return std::stod(word);
}

const Reference& reference() {
  static const Reference ref = [] {
    Reference r;
    std::ifstream in(ORVENDA_CYCLES_REFERENCE);
    std::string line;
    while (std::getline(in, line)) {
      std::istringstream s(line.substr(0, line.find('#')));
      std::string key, word;
      s >> key;
      if (key == "birth") {
        s >> r.birth;
      } else if (key == "natal") {
        int i;
        s >> i >> r.natal[i];
      } else if (key == "period") {
        s >> r.period[0] >> r.period[1];
      } else if (key == "fast-window") {
        s >> r.fastWindow[0] >> r.fastWindow[1];
      } else if (key == "moon-period") {
        s >> r.moonPeriod[0] >> r.moonPeriod[1];
      } else if (key == "transit") {
        RefTransit t;
        std::size_t n = 0;
        s >> t.body >> t.aspect >> t.side >> t.natal >> word >> n;
        for (std::size_t i = 0; i < n; ++i) {
          std::string enters, leaves;
          s >> enters >> leaves;
          t.passes.push_back({instantOf(enters), instantOf(leaves)});
        }
        s >> word >> n;
        t.exact.resize(n);
        for (double& x : t.exact) s >> x;
        r.transits.push_back(t);
      } else if (key == "station" || key == "sign" || key == "house") {
        RefInstant i;
        s >> i.body;
        if (key == "station") {
          i.kind = EventKind::Station;
          s >> word >> i.at >> i.longitude;
          i.back = word == "retrograde";
        } else {
          i.kind = key == "sign" ? EventKind::Sign : EventKind::House;
          s >> i.where >> word >> i.at;
          i.back = word == "back";
        }
        r.instants.push_back(i);
      } else if (key == "progressed") {
        s >> r.progressedDate >> r.progressedJd;
      } else if (key == "progressed-body") {
        int i;
        s >> i >> r.progressed[i];
      } else if (key == "solar-arc") {
        s >> r.solarArc;
      } else if (key == "progressed-mc") {
        s >> r.progressedMc;
      } else if (key == "solar-return") {
        s >> r.solarReturnYear >> r.solarReturn;
      } else if (key == "lunar-return") {
        s >> r.lunarReturnAfter >> r.lunarReturn;
      }
    }
    return r;
  }();
  return ref;
}

natal::ChartConfig defaults() {
  const DefaultSettings d;
  natal::ChartConfig c;
  c.aspects = d.aspects;
  c.planets = d.planets;
  return c;
}

// The chart the reference was made for: 14 March 1957 09:41 at GMT −5, 74°00′21″ W
// 40°42′51″ N, Placidus.
const natal::NatalChart& newYork() {
  static const natal::NatalChart chart =
      *natal::computeChart(BirthRecord{14, 3, 1957, 9, 41, 0, -5, 0, -74, 0, 21, 40, 42, 51},
                           defaults(), 'P', swissEphemeris())
           .chart;
  return chart;
}

std::vector<TransitEvent> transitsOver(double from, double to, bool moon) {
  TransitOptions options;
  options.moon = moon;
  std::vector<TransitEvent> events;
  findTransits(newYork(), defaults(), options, from, to, swissEphemeris(),
               [&](const TransitEvent& e) { events.push_back(e); });
  return events;
}

const std::vector<TransitEvent>& periodEvents() {
  static const std::vector<TransitEvent> events =
      transitsOver(reference().period[0], reference().period[1], false);
  return events;
}

bool overlaps(const std::vector<Pass>& passes, double from, double to) {
  for (const Pass& p : passes)
    if ((!p.enters || *p.enters < to) && (!p.leaves || *p.leaves >= from)) return true;
  return false;
}

std::string nameOf(int body, int aspect, int natal, int side) {
  return report::transitName(body, aspect, natal, false) + (side < 0 ? " (behind)" : "");
}

std::string when(std::optional<double> jd) {
  if (!jd) return "none";
  return std::to_string(report::secondsOf(*jd)) + " s (JD " + std::to_string(*jd) + ")";
}

// The largest differences seen, printed for the record in the test's output.
struct Worst {
  double transit = -1, station = -1, ingress = -1, stationArc = -1;  // seconds, arc seconds
  void print() const {
    std::string s = "largest differences:";
    char buf[64];
    for (const auto& [what, v, unit] :
         {std::tuple{"transits", transit, " s"}, std::tuple{"stations", station, " s"},
          std::tuple{"ingresses", ingress, " s"},
          std::tuple{"stations' longitudes", stationArc, "\""}})
      if (v >= 0) std::snprintf(buf, sizeof buf, " %s %.2f%s,", what, v, unit), s += buf;
    std::printf("%s\n", s.substr(0, s.size() - 1).c_str());
  }
};

// Where a transit's first pass begins, or ends where it began beyond the reference.
double anchor(const std::vector<Pass>& passes) {
  return passes[0].enters ? *passes[0].enters : passes[0].leaves.value_or(0);
}

// Every reference transit of the bodies chosen whose passes reach into [from, to) is
// found once, pass by pass and instant by instant within a minute, and nothing else is.
void expectSameTransits(
    const std::vector<TransitEvent>& events, const std::vector<int>& bodies, double from, double to,
    Worst& worst,
    const std::function<bool(int aspect, int natal)>& taken = [](int, int) { return true; }) {
  auto chosen = [&](int body) {
    return std::find(bodies.begin(), bodies.end(), body) != bodies.end();
  };
  std::vector<const TransitEvent*> found;
  for (const TransitEvent& e : events)
    if (e.kind == EventKind::Aspect && chosen(e.body) && overlaps(e.passes, from, to))
      found.push_back(&e);
  std::size_t expected = 0;
  for (const RefTransit& t : reference().transits) {
    if (!chosen(t.body) || !taken(t.aspect, t.natal) || !overlaps(t.passes, from, to)) continue;
    ++expected;
    SCOPED_TRACE(nameOf(t.body, t.aspect, t.natal, t.side) + ", enters " +
                 when(t.passes[0].enters) + ", first exact " +
                 (t.exact.empty() ? "none" : when(t.exact[0])));
    auto match = std::find_if(found.begin(), found.end(), [&](const TransitEvent* e) {
      return e->body == t.body && e->aspect == t.aspect && e->side == t.side &&
             e->natal == t.natal && !e->passes.empty() &&
             std::fabs(anchor(e->passes) - anchor(t.passes)) < 1;
    });
    ASSERT_NE(match, found.end()) << "not found";
    const TransitEvent& e = **match;
    found.erase(match);
    ASSERT_EQ(e.passes.size(), t.passes.size());
    auto close = [&](std::optional<double> got, std::optional<double> want) {
      ASSERT_EQ(got.has_value(), want.has_value()) << when(got) << " against " << when(want);
      if (!got) return;
      EXPECT_NEAR(*got, *want, kMinute) << when(got) << " against " << when(want);
      worst.transit = std::max(worst.transit, std::fabs(*got - *want) * 86400);
    };
    for (std::size_t i = 0; i < t.passes.size(); ++i) {
      SCOPED_TRACE("pass " + std::to_string(i + 1));
      close(e.passes[i].enters, t.passes[i].enters);
      close(e.passes[i].leaves, t.passes[i].leaves);
    }
    ASSERT_EQ(e.exact.size(), t.exact.size());
    for (std::size_t i = 0; i < t.exact.size(); ++i) close(e.exact[i], t.exact[i]);
  }
  EXPECT_GT(expected, 0u);
  for (const TransitEvent* e : found)
    ADD_FAILURE() << "not in the reference: " << nameOf(e->body, e->aspect, e->natal, e->side)
                  << ", enters " << when(e->enters());
}

// Every station and ingress of the bodies chosen in [from, to), and nothing else: stations
// within two minutes (and their longitudes within an arc second), ingresses within one.
void expectSameInstants(const std::vector<TransitEvent>& events, const std::vector<int>& bodies,
                        double from, double to, Worst& worst) {
  auto chosen = [&](int body) {
    return std::find(bodies.begin(), bodies.end(), body) != bodies.end();
  };
  std::vector<const TransitEvent*> found;
  for (const TransitEvent& e : events)
    if (e.kind != EventKind::Aspect && chosen(e.body)) found.push_back(&e);
  std::size_t expected = 0;
  for (const RefInstant& r : reference().instants) {
    if (!chosen(r.body) || r.at < from || r.at >= to) continue;
    ++expected;
    const bool station = r.kind == EventKind::Station;
    const double tolerance = station ? 2 * kMinute : kMinute;
    SCOPED_TRACE(natal::pointName(r.body, false) + " " +
                 (station                     ? std::string("station")
                  : r.kind == EventKind::Sign ? "into sign " + std::to_string(r.where)
                                              : "into house " + std::to_string(r.where)) +
                 " at " + when(r.at));
    auto match = std::find_if(found.begin(), found.end(), [&](const TransitEvent* e) {
      return e->kind == r.kind && e->body == r.body && e->retrograde == r.back &&
             (station || (r.kind == EventKind::Sign ? e->sign : e->house) == r.where) &&
             std::fabs(e->at - r.at) < 0.5;
    });
    ASSERT_NE(match, found.end()) << "not found";
    const TransitEvent& e = **match;
    found.erase(match);
    EXPECT_NEAR(e.at, r.at, tolerance) << when(e.at);
    (station ? worst.station : worst.ingress) =
        std::max(station ? worst.station : worst.ingress, std::fabs(e.at - r.at) * 86400);
    if (station) {
      EXPECT_LT(natal::separation(e.longitude, r.longitude), kArcSecond);
      worst.stationArc =
          std::max(worst.stationArc, natal::separation(e.longitude, r.longitude) * 3600);
    }
  }
  EXPECT_GT(expected, 0u);
  for (const TransitEvent* e : found)
    ADD_FAILURE() << "not in the reference: " << natal::pointName(e->body, false) << ", kind "
                  << static_cast<int>(e->kind) << ", sign " << e->sign << ", house " << e->house
                  << ", at " << when(e->at);
}

TEST(Cycles, TheChartIsTheOneTheReferenceWasMadeFor) {
  const Reference& ref = reference();
  ASSERT_EQ(ref.natal.size(), 14u);
  EXPECT_NEAR(newYork().julianDayUt, ref.birth, kSecond / 10);
  for (const auto& [index, longitude] : ref.natal) {
    const natal::PointPosition* p = newYork().point(index);
    ASSERT_NE(p, nullptr) << index;
    EXPECT_LT(natal::separation(p->longitude, longitude), 0.1 * kArcSecond) << index;
  }
}

TEST(Cycles, EveryTransitOfTheSlowBodiesOverTwoAndAHalfYears) {
  Worst worst;
  expectSameTransits(periodEvents(), {5, 6, 7, 8, 9, 10, 15}, reference().period[0],
                     reference().period[1], worst);
  worst.print();
}

TEST(Cycles, EveryTransitOfTheFastBodiesWhileMercuryAndVenusTurnBack) {
  Worst worst;
  expectSameTransits(periodEvents(), {0, 2, 3, 4}, reference().fastWindow[0],
                     reference().fastWindow[1], worst);
  worst.print();
}

TEST(Cycles, EveryStationAndIngressOfThePeriod) {
  Worst worst;
  expectSameInstants(periodEvents(), {0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 15}, reference().period[0],
                     reference().period[1], worst);
  worst.print();
}

TEST(Cycles, TheMoonsTransitsAndIngressesWhenAskedFor) {
  const Reference& ref = reference();
  const auto events = transitsOver(ref.moonPeriod[0], ref.moonPeriod[1], true);
  Worst worst;
  expectSameTransits(events, {natal::kMoon}, ref.moonPeriod[0], ref.moonPeriod[1], worst);
  expectSameInstants(events, {natal::kMoon}, ref.moonPeriod[0], ref.moonPeriod[1], worst);
  worst.print();
  for (const TransitEvent& e : transitsOver(ref.moonPeriod[0], ref.moonPeriod[1], false))
    EXPECT_NE(e.body, natal::kMoon) << "the Moon without being asked for";
}

// The transit as the text form tells it over the period: its lines' words in order.
std::vector<std::string> linesOf(const TransitEvent& e) {
  std::vector<std::string> words;
  const long long from = report::secondsOf(reference().period[0]);
  const long long to = report::secondsOf(reference().period[1]);
  for (const auto& l : report::eventLines(e, 1.0, false, from, to))
    words.push_back(l.text.substr(l.text.find("  ") + 2));
  return words;
}

std::vector<const TransitEvent*> eventsOf(int body, int aspect, int side, int natal) {
  std::vector<const TransitEvent*> out;
  for (const TransitEvent& e : periodEvents())
    if (e.kind == EventKind::Aspect && e.body == body && e.aspect == aspect && e.side == side &&
        e.natal == natal)
      out.push_back(&e);
  return out;
}

TEST(Cycles, PassesWhileTheBodyTurnsBackAreOneTransitEachStretchToldApart) {
  // Uranus over natal Mars: into the orb in August 2024, back out as it turned; in again in
  // May 2025, exact, out; in again turning back, exact, station, exact, out in April 2026.
  // Each exit and re-entry is a line of its own: the reference's passes are three.
  const auto uranus = eventsOf(kUranus, 0, 1, kMars);
  ASSERT_EQ(uranus.size(), 1u);
  EXPECT_EQ(uranus[0]->passes.size(), 3u);
  EXPECT_EQ(linesOf(*uranus[0]),
            (std::vector<std::string>{"enters the orb again", "exact (1 of 3)",
                                      "leaves the orb for now", "enters the orb again",
                                      "exact (2 of 3) ℞", "exact (3 of 3)", "leaves the orb"}));
  // Saturn 150° behind the Moon grazes the orb as it turns (never exact: in and out in
  // June and July 2025), and comes back for its one exact in March 2026.
  const auto saturn = eventsOf(kSaturn, 5, -1, natal::kMoon);
  ASSERT_EQ(saturn.size(), 1u);
  EXPECT_EQ(linesOf(*saturn[0]),
            (std::vector<std::string>{"enters the orb (1°)", "leaves the orb for now",
                                      "enters the orb again", "exact", "leaves the orb"}));
}

TEST(Cycles, OnlyTheBodiesAspectsAndNatalPointsChosen) {
  // The slow bodies, the five Ptolemaic aspects, the personal points: the reference's own
  // transits of those, every one, and nothing else.
  TransitOptions options;
  options.bodies = 0x7e0;  // Jupiter .. Chiron
  options.aspects = 0x1f;  // conjunction .. sextile
  options.natal = 0x1f | 1u << natal::kAscendant | 1u << natal::kMidheaven;  // the personal
  std::vector<TransitEvent> events;
  findTransits(newYork(), defaults(), options, reference().period[0], reference().period[1],
               swissEphemeris(), [&](const TransitEvent& e) { events.push_back(e); });
  std::size_t asked = 0;
  for (const TransitEvent& e : events) {
    if (e.kind != EventKind::Aspect) continue;
    ++asked;
    EXPECT_TRUE(e.body >= 5 && e.body <= natal::kChiron) << e.body;
    EXPECT_LT(e.aspect, 5);
    EXPECT_TRUE(e.natal <= 4 || e.natal == natal::kAscendant || e.natal == natal::kMidheaven);
  }
  Worst worst;
  expectSameTransits(events, {5, 6, 7, 8, 9, 10}, reference().period[0], reference().period[1],
                     worst, [](int aspect, int point) {
                       return aspect < 5 && (point <= 4 || point == natal::kAscendant ||
                                             point == natal::kMidheaven);
                     });
  EXPECT_GT(asked, 20u);
  // The stations of the bodies chosen only.
  for (const TransitEvent& e : events)
    if (e.kind == EventKind::Station) {
      EXPECT_TRUE(e.body >= 5 && e.body <= natal::kChiron);
    }
}

TEST(Cycles, ATransitInTheOrbWhenThePeriodBeginsIsListedWithItsEntryBeforeIt) {
  // Neptune 60° behind natal Mars: in the orb since 2024, exact for the last time in 2025.
  const double from = reference().period[0];
  const auto neptune = eventsOf(kNeptune, 4, -1, kMars);
  ASSERT_EQ(neptune.size(), 1u);
  ASSERT_TRUE(neptune[0]->enters());
  EXPECT_LT(*neptune[0]->enters(), from - 300);
  EXPECT_EQ(neptune[0]->key, from);
  EXPECT_EQ(linesOf(*neptune[0]), (std::vector<std::string>{"exact (3 of 3)", "leaves the orb"}));
  // And one whose every exact instant was before the period: listed, leaving in it.
  const auto opposition = eventsOf(kNeptune, 1, 1, kJupiter);
  ASSERT_EQ(opposition.size(), 1u);
  EXPECT_LT(opposition[0]->exact.back(), from);
  EXPECT_EQ(linesOf(*opposition[0]), (std::vector<std::string>{"leaves the orb"}));
  // The events come in the order of their keys: these two first of all.
  EXPECT_EQ(periodEvents().front().key, from);
}

TEST(Cycles, TheProgressedChartAndItsMidheavenBySolarArc) {
  const Reference& ref = reference();
  const double latitude = 40 + 42 / 60.0 + 51 / 3600.0;
  const Progressed p = progressedChart(newYork(), defaults(), ref.progressedDate, latitude, false,
                                       'P', swissEphemeris());
  EXPECT_NEAR(p.julianDayUt, ref.progressedJd, kSecond / 100);
  ASSERT_EQ(ref.progressed.size(), 12u);
  double worst = 0;
  for (const auto& [index, longitude] : ref.progressed) {
    const natal::PointPosition* point = p.chart.point(index);
    ASSERT_NE(point, nullptr) << index;
    EXPECT_LT(natal::separation(point->longitude, longitude), kArcSecond) << index;
    worst = std::max(worst, natal::separation(point->longitude, longitude) * 3600);
  }
  EXPECT_LT(natal::separation(p.arc, ref.solarArc), kArcSecond);
  EXPECT_LT(natal::separation(p.chart.midheaven, ref.progressedMc), kArcSecond);
  ASSERT_NE(p.chart.point(natal::kMidheaven), nullptr);
  EXPECT_LT(natal::separation(p.chart.point(natal::kMidheaven)->longitude, ref.progressedMc),
            kArcSecond);
  std::printf("largest differences: progressed bodies %.3f\", arc %.3f\", MC %.3f\"\n", worst,
              natal::separation(p.arc, ref.solarArc) * 3600,
              natal::separation(p.chart.midheaven, ref.progressedMc) * 3600);
}

TEST(Cycles, SolarAndLunarReturnsToHalfASecond) {
  const Reference& ref = reference();
  const auto solar =
      solarReturn(newYork().point(natal::kSun)->longitude, ref.solarReturnYear, swissEphemeris());
  ASSERT_TRUE(solar);
  EXPECT_NEAR(*solar, ref.solarReturn, kSecond / 2);
  const auto lunar =
      lunarReturn(newYork().point(natal::kMoon)->longitude, ref.lunarReturnAfter, swissEphemeris());
  ASSERT_TRUE(lunar);
  EXPECT_NEAR(*lunar, ref.lunarReturn, kSecond / 2);
  std::printf("largest differences: solar return %.3f s, lunar return %.3f s\n",
              std::fabs(*solar - ref.solarReturn) * 86400,
              std::fabs(*lunar - ref.lunarReturn) * 86400);
}

}  // namespace
}  // namespace orvenda::cycles
