// Two people's charts against pair_reference.txt (make_pair_reference.py: swetest's positions
// and cusps, the rules worked out in Python): the aspects between the charts, each one's points
// in the other's houses, the composite and the Davison chart.
#include "natal/pair.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "natal/ephemeris.h"
#include "natal/pair_reference.h"

namespace orvenda::natal {
namespace {

using testing::ExpectedChart;
using testing::PairReference;

constexpr double kArcSecond = 1.0 / 3600.0;

struct Charts {
  NatalChart a, b;
  PairPlaces places;
};

Charts chartsOf(const PairReference& ref, const ChartConfig& config) {
  Charts c;
  c.a = *computeChart(ref.a, config, 'P', swissEphemeris()).chart;
  c.b = *computeChart(ref.b, config, 'P', swissEphemeris()).chart;
  c.places = {recordLongitude(ref.a), recordLatitude(ref.a), recordLongitude(ref.b),
              recordLatitude(ref.b)};
  return c;
}

const testing::PairReferences& references() {
  static const testing::PairReferences refs = testing::readPairReferences();
  return refs;
}

TEST(PairReference, HoldsThePairsAndConfigurationsItWasMadeFor) {
  ASSERT_EQ(references().pairs.size(), 3u);
  ASSERT_EQ(references().configs.size(), 2u);
  for (const auto& ref : references().pairs) {
    EXPECT_EQ(ref.aspects.size(), 2u) << ref.title;
    EXPECT_EQ(ref.overlays.at('A').size(), 22u) << ref.title;
  }
}

// The natal rule across two charts: the same aspects, no more, no fewer, under a full
// configuration and under an odd one (the Moon off, the trine's orb 0, the semisextile off,
// the quintile's switch 2, Venus's value 1).
TEST(Synastry, TheAspectsBetweenTheChartsAreThoseOfTheNatalRule) {
  for (const auto& ref : references().pairs)
    for (const auto& [name, config] : references().configs) {
      SCOPED_TRACE(ref.title + ", configuration " + name);
      const Charts c = chartsOf(ref, config);
      std::map<std::tuple<int, int, int>, double> expected, found;
      for (const auto& x : ref.aspects.at(name)) expected[{x.a, x.b, x.aspect}] = x.deviation;
      for (const auto& x : crossAspects(c.a.points, c.b.points, config))
        found[{x.a, x.b, x.aspect}] = x.deviation;
      for (const auto& [key, deviation] : expected) {
        const auto [a, b, aspect] = key;
        const auto it = found.find(key);
        if (it == found.end()) {
          ADD_FAILURE() << "missing: A's " << a << " aspect " << aspect << " B's " << b;
          continue;
        }
        EXPECT_NEAR(it->second, deviation, kArcSecond) << a << " " << aspect << " " << b;
      }
      for (const auto& [key, deviation] : found)
        if (!expected.count(key))
          ADD_FAILURE() << "not an aspect: A's " << std::get<0>(key) << " aspect "
                        << std::get<2>(key) << " B's " << std::get<1>(key) << ", " << deviation;
    }
}

TEST(Synastry, EachChartsPointsFallInTheOtherChartsHousesAsItsCuspsSay) {
  const ChartConfig& config = references().configs.at("all");
  for (const auto& ref : references().pairs) {
    SCOPED_TRACE(ref.title);
    const Charts c = chartsOf(ref, config);
    for (const auto& [guest, host, which] :
         {std::tuple{&c.a, &c.b, 'A'}, std::tuple{&c.b, &c.a, 'B'}}) {
      std::vector<std::pair<int, int>> found;
      for (const Overlay& o : overlays(*guest, *host)) found.emplace_back(o.point, o.house);
      EXPECT_EQ(found, ref.overlays.at(which)) << which;
    }
  }
}

void expectChart(const NatalChart& c, const ExpectedChart& expected) {
  ASSERT_EQ(c.points.size(), static_cast<std::size_t>(kPoints));
  for (int i = 0; i < kPoints; ++i)
    EXPECT_LT(separation(c.point(i)->longitude, expected.points[i]), kArcSecond) << "point " << i;
  for (int h = 0; h < 12; ++h)
    EXPECT_LT(separation(c.cusps[h], expected.cusps[h]), kArcSecond) << "cusp " << h + 1;
  EXPECT_LT(separation(c.midheaven, expected.points[kMidheaven]), kArcSecond);
  EXPECT_LT(separation(c.ascendant, expected.points[kAscendant]), kArcSecond);
}

// The near midpoint of each point, across 0° Aries too; the angles and Placidus cusps from
// the composite Midheaven at the middle latitude.
TEST(CompositeChart, MidpointsAndTheHousesOfTheCompositeMidheaven) {
  const ChartConfig& config = references().configs.at("all");
  for (const auto& ref : references().pairs) {
    SCOPED_TRACE(ref.title);
    const Charts c = chartsOf(ref, config);
    expectChart(compositeChart(c.a, c.b, c.places, config, 'P', swissEphemeris()), ref.composite);
  }
}

// The sky of the mean instant at the middle place: across the date line, across 180° of
// longitude, 160 years apart.
TEST(DavisonChart, TheSkyOfTheMiddleInstantAtTheMiddlePlace) {
  const ChartConfig& config = references().configs.at("all");
  for (const auto& ref : references().pairs) {
    SCOPED_TRACE(ref.title);
    const Charts c = chartsOf(ref, config);
    expectChart(davisonChart(c.a, c.b, c.places, config, 'P', swissEphemeris()), ref.davison);
  }
}

}  // namespace
}  // namespace orvenda::natal
