// The wheel: crowded glyphs spread apart, and a crowded chart drawn without overlaps.
#include "natal/wheel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
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
  double altitude(double, double, double, double, double) override { return 10; }
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
  EXPECT_NEAR(std::stod(m[1]), 300 - 304, 0.1);
  EXPECT_NEAR(std::stod(m[2]), 300, 0.1);
  const std::regex mc("<text x='([-0-9.]+)' y='([-0-9.]+)'[^>]*>MC</text>");
  ASSERT_TRUE(std::regex_search(svg, m, mc));
  EXPECT_NEAR(std::stod(m[1]), 300, 0.1);
  EXPECT_NEAR(std::stod(m[2]), 300 - 304, 0.1);
  // Retrograde marks for the bodies moving backwards (every third one: six of them).
  std::size_t marks = 0;
  for (std::size_t p = svg.find("℞"); p != std::string::npos; p = svg.find("℞", p + 1)) ++marks;
  EXPECT_EQ(marks, 6u);
}

// ---- no label over another, no line through a label -----------------------------------

// A text's box as DejaVu Sans draws it, a little generously: digits 0.64 em, ° 0.4, ′ 0.3,
// Latin capitals 0.75, any other character (a glyph) a full em; 1.2 em high, centred on
// its anchor, as text-anchor middle and dominant-baseline central place it. Headless
// Chromium measures the real boxes of the sheets' wheels (tests/pages).
struct Box {
  double x0, y0, x1, y1;
  std::string text;
};

std::vector<Box> textBoxes(const std::string& svg) {
  static const std::regex text(
      "<text x='([-0-9.]+)' y='([-0-9.]+)'[^>]*font-size='([0-9.]+)'[^>]*>([^<]*)</text>");
  std::vector<Box> boxes;
  for (auto it = std::sregex_iterator(svg.begin(), svg.end(), text); it != std::sregex_iterator();
       ++it) {
    const double x = std::stod((*it)[1]), y = std::stod((*it)[2]), em = std::stod((*it)[3]);
    const std::string content = (*it)[4];
    double width = 0;
    for (std::size_t i = 0; i < content.size();) {
      const unsigned char c = content[i];
      const std::size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
      const std::string ch = content.substr(i, len);
      if (ch == "\uFE0E") {  // the text-style selector takes no room
      } else if (c >= '0' && c <= '9')
        width += 0.64;
      else if (ch == "°")
        width += 0.4;
      else if (ch == "′")
        width += 0.3;
      else if (c < 0x80)
        width += 0.75;
      else
        width += 1.0;
      i += len;
    }
    width *= em;
    boxes.push_back({x - width / 2, y - 0.6 * em, x + width / 2, y + 0.6 * em, content});
  }
  return boxes;
}

struct Segment {
  double x0, y0, x1, y1;
};

// Every <line>, and every unfilled arc sampled as short segments.
std::vector<Segment> strokes(const std::string& svg) {
  std::vector<Segment> out;
  static const std::regex line(
      "<line x1='([-0-9.]+)' y1='([-0-9.]+)' x2='([-0-9.]+)' y2='([-0-9.]+)'");
  for (auto it = std::sregex_iterator(svg.begin(), svg.end(), line); it != std::sregex_iterator();
       ++it)
    out.push_back(
        {std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]), std::stod((*it)[4])});
  static const std::regex arc(
      "<path d='M([-0-9.]+) ([-0-9.]+) A([0-9.]+) [0-9.]+ 0 0 [01] ([-0-9.]+) ([-0-9.]+)' "
      "fill='none'");
  for (auto it = std::sregex_iterator(svg.begin(), svg.end(), arc); it != std::sregex_iterator();
       ++it) {
    const double r = std::stod((*it)[3]);
    double a = std::atan2(std::stod((*it)[2]) - 300, std::stod((*it)[1]) - 300);
    const double b = std::atan2(std::stod((*it)[5]) - 300, std::stod((*it)[4]) - 300);
    const double turn = std::remainder(b - a, 2 * std::numbers::pi);
    for (int k = 0; k < 24; ++k, a += turn / 24)
      out.push_back({300 + r * std::cos(a), 300 + r * std::sin(a),
                     300 + r * std::cos(a + turn / 24), 300 + r * std::sin(a + turn / 24)});
  }
  return out;
}

bool crosses(const Segment& s, const Box& b) {
  double t0 = 0, t1 = 1;
  const double d[2] = {s.x1 - s.x0, s.y1 - s.y0}, p[2] = {s.x0, s.y0};
  const double lo[2] = {b.x0 + 0.5, b.y0 + 0.5}, hi[2] = {b.x1 - 0.5, b.y1 - 0.5};
  for (int k = 0; k < 2; ++k) {
    if (std::fabs(d[k]) < 1e-12) {
      if (p[k] < lo[k] || p[k] > hi[k]) return false;
      continue;
    }
    double a = (lo[k] - p[k]) / d[k], c = (hi[k] - p[k]) / d[k];
    if (a > c) std::swap(a, c);
    t0 = std::max(t0, a), t1 = std::min(t1, c);
    if (t0 > t1) return false;
  }
  return true;
}

// The labels of the points, the house numbers and the axes, but not the signs' glyphs,
// which sit in a ring of their own between lines of their own.
void expectClear(const std::string& svg, const std::string& what) {
  const std::vector<Box> boxes = textBoxes(svg);
  const std::vector<Segment> lines = strokes(svg);
  int faults = 0;
  for (std::size_t i = 0; i < boxes.size() && faults < 5; ++i) {
    for (std::size_t j = i + 1; j < boxes.size(); ++j) {
      const Box &a = boxes[i], &b = boxes[j];
      if (std::min(a.x1, b.x1) - std::max(a.x0, b.x0) > 0.5 &&
          std::min(a.y1, b.y1) - std::max(a.y0, b.y0) > 0.5) {
        ADD_FAILURE() << what << ": \"" << a.text << "\" over \"" << b.text << "\"";
        ++faults;
      }
    }
    for (const Segment& s : lines)
      if (crosses(s, boxes[i])) {
        ADD_FAILURE() << what << ": a line through \"" << boxes[i].text << "\" (" << s.x0 << ","
                      << s.y0 << " to " << s.x1 << "," << s.y1 << "; box " << boxes[i].x0 << ","
                      << boxes[i].y0 << " " << boxes[i].x1 << "," << boxes[i].y1 << ")";
        ++faults;
        break;
      }
  }
}

ChartConfig everyPoint() {
  ChartConfig config;
  config.planets.enabled.fill(1);
  config.planets.values.fill(8);
  config.aspects.enabled.fill(1);
  config.aspects.orbs.fill(6);
  return config;
}

TEST(Wheel, NoLabelOverlapsAnotherAndNoLineCrossesOneInAnyChart) {
  std::mt19937 random(1957);
  std::uniform_int_distribution<int> year(1900, 2100), month(1, 12), day(1, 28), hour(0, 23),
      minute(0, 59), lon(-179, 179), lat(-85, 85);
  const char systems[] = {'P', 'K', 'R', 'C', 'W', 'A'};
  for (int n = 0; n < 300; ++n) {
    const BirthRecord r{day(random),
                        month(random),
                        year(random),
                        hour(random),
                        minute(random),
                        0,
                        0,
                        0,
                        lon(random),
                        minute(random),
                        0,
                        lat(random),
                        minute(random),
                        0};
    const auto out = computeChart(r, everyPoint(), systems[n % 6], swissEphemeris(), n % 10 != 0);
    ASSERT_TRUE(out.chart);
    expectClear(wheelSvg(*out.chart), "chart " + std::to_string(n));
  }
}

// Seven planets within 12 degrees, by the Ascendant, and the rest elsewhere.
class Stellium : public Ephemeris {
 public:
  std::optional<BodyPosition> body(double, int i) override {
    const double lon = i < 7 ? 181 + i * 1.9 : 40 + i * 13;
    return BodyPosition{lon, 0, i % 2 ? -0.1 : 1, false};
  }
  HouseFrame houses(double, double, double, char system) override {
    HouseFrame f;
    for (int h = 0; h < 12; ++h) f.cusps[h] = std::fmod(185 + h * 30, 360);
    f.ascendant = 185, f.midheaven = 95, f.vertex = 20, f.eastPoint = 190, f.system = system;
    return f;
  }
  double deltaTSeconds(double) override { return 0; }
  double altitude(double, double, double, double, double) override { return 10; }
};

TEST(Wheel, AStelliumOfSevenWithinTwelveDegreesAtTheAscendantIsDrawnClear) {
  Stellium stellium;
  const auto out = computeChart(BirthRecord{1, 1, 2000, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
                                everyPoint(), 'P', stellium);
  ASSERT_TRUE(out.chart);
  const std::string svg = wheelSvg(*out.chart);
  expectClear(svg, "stellium");
  // The signs, the houses, the axes, each point's glyph and two labels, eight ℞.
  EXPECT_EQ(textBoxes(svg).size(), 12u + 12 + 4 + 22 * 3 + 8);
}

}  // namespace
}  // namespace orvenda::natal
