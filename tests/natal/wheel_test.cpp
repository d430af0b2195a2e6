// The wheel: crowded glyphs spread apart, and a crowded chart drawn without overlaps.
#include "natal/wheel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>

#include "natal/ephemeris.h"

namespace orvenda::natal {
namespace {

void expectApart(const std::vector<double>& spread, double gap) {
  for (std::size_t i = 0; i < spread.size(); ++i)
    for (std::size_t j = i + 1; j < spread.size(); ++j)
      EXPECT_GE(separation(spread[i], spread[j]), gap - 1e-9) << i << " " << j;
}

TEST(SpreadPositions, AStelliumOfSixWithinTenDegreesIsSpreadEvenlyAboutItsCentre) {
  const std::vector<double> lons = {100, 102, 104, 105, 107, 110};
  const auto s = spreadPositions(lons, 8);
  expectApart(s, 8);
  // Least squares: the group keeps its centre, 104.667, and its order.
  double mean = 0;
  for (double v : s) mean += v / 6;
  EXPECT_NEAR(mean, 104.6666667, 1e-6);
  for (std::size_t i = 1; i < s.size(); ++i) EXPECT_NEAR(s[i] - s[i - 1], 8, 1e-9);
}

TEST(SpreadPositions, PointsFarApartStayWhereTheyAre) {
  const std::vector<double> lons = {10, 50, 200, 300};
  EXPECT_EQ(spreadPositions(lons, 8), lons);
}

TEST(SpreadPositions, AGroupAcrossAriesIsSpreadAcrossIt) {
  const auto s = spreadPositions({359, 1, 358, 0.5}, 6);
  expectApart(s, 6);
  // Order around the circle is kept, about their mean, 359.625: 350.625, 356.625, 2.625, 8.625.
  EXPECT_NEAR(s[2], 350.625, 1e-9);
  EXPECT_NEAR(s[0], 356.625, 1e-9);
  EXPECT_NEAR(s[3], 2.625, 1e-9);
  EXPECT_NEAR(s[1], 8.625, 1e-9);
}

TEST(SpreadPositions, MorePointsThanTheCircleHoldsShareItEvenly) {
  std::vector<double> lons(50, 0.0);
  for (int i = 0; i < 50; ++i) lons[i] = i * 0.1;
  const auto s = spreadPositions(lons, 10);  // 50 × 10° won't fit: 7.2° each
  expectApart(s, 7.2);
}

// Every body of the chart within a few degrees, as a crowded chart would be.
class Crowd : public Ephemeris {
 public:
  std::optional<BodyPosition> body(double, int i) override {
    return BodyPosition{200 + i * 1.3, 0, i % 3 == 0 ? -0.2 : 0.5, false};
  }
  HouseFrame houses(double, double, double, char system) override {
    HouseFrame f;
    for (int h = 0; h < 12; ++h) f.cusps[h] = std::fmod(15 + h * 30, 360);
    f.ascendant = 15, f.midheaven = 285, f.vertex = 199, f.eastPoint = 203, f.system = system;
    return f;
  }
  double deltaTSeconds(double) override { return 0; }
};

TEST(Wheel, NoTwoGlyphsOfACrowdedChartOverlap) {
  ChartConfig config;
  config.planets.enabled.fill(1);
  config.planets.values.fill(5);
  config.aspects.enabled.fill(1);
  config.aspects.orbs.fill(3);
  Crowd crowd;
  const auto chart =
      computeChart(BirthRecord{1, 1, 2000, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, config, 'P', crowd)
          .chart;
  ASSERT_TRUE(chart);
  const std::string svg = wheelSvg(*chart);
  // The glyphs of points are the texts of size 19 (symbols) and 12 (letters).
  const std::regex glyph("<text x='([-0-9.]+)' y='([-0-9.]+)'[^>]*font-size='(19|12)'");
  std::vector<std::pair<double, double>> places;
  for (auto it = std::sregex_iterator(svg.begin(), svg.end(), glyph); it != std::sregex_iterator();
       ++it)
    places.emplace_back(std::stod((*it)[1]), std::stod((*it)[2]));
  ASSERT_EQ(places.size(), 22u);
  for (std::size_t i = 0; i < places.size(); ++i)
    for (std::size_t j = i + 1; j < places.size(); ++j)
      EXPECT_GE(std::hypot(places[i].first - places[j].first, places[i].second - places[j].second),
                25.0)
          << i << " " << j;
  // The Ascendant stands on the left, at nine o'clock; the Midheaven (285°, 90° before it)
  // at the top.
  EXPECT_NE(svg.find(">AC</text>"), std::string::npos);
  const std::regex ac("<text x='([-0-9.]+)' y='([-0-9.]+)'[^>]*>AC</text>");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(svg, m, ac));
  EXPECT_NEAR(std::stod(m[1]), 300 - 306, 0.1);
  EXPECT_NEAR(std::stod(m[2]), 300, 0.1);
  const std::regex mc("<text x='([-0-9.]+)' y='([-0-9.]+)'[^>]*>MC</text>");
  ASSERT_TRUE(std::regex_search(svg, m, mc));
  EXPECT_NEAR(std::stod(m[1]), 300, 0.1);
  EXPECT_NEAR(std::stod(m[2]), 300 - 306, 0.1);
  // Retrograde marks for the bodies moving backwards (every third one: six of them).
  std::size_t marks = 0;
  for (std::size_t p = svg.find("℞"); p != std::string::npos; p = svg.find("℞", p + 1)) ++marks;
  EXPECT_EQ(marks, 6u);
}

}  // namespace
}  // namespace orvenda::natal
