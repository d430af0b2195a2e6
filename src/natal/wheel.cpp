// Drawing the wheel. Longitudes turn counter-clockwise from the Ascendant, which stands at
// nine o'clock; the Midheaven is then near the top, as astrologers draw a chart.
#include "natal/wheel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

#include "natal/names.h"

namespace orvenda::natal {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kCentre = 300;
// The rings, outside in: the axes' names; the zodiac; the houses (their cusps as ticks on
// both edges, their numbers between); the points' glyphs, their degree and minute one
// above the other, their retrograde mark; the aspect circle. Nothing but the points'
// own labels is drawn in the band of the points, and nothing but the numbers in the
// middle of the house ring, so no line ever crosses a label, wherever a cusp or an axis
// falls.
constexpr double kAxisLabelRadius = 309, kZodiacOuter = 290, kZodiacInner = 252;
constexpr double kHouseNumberRadius = 239, kHouseInner = 226, kCuspTick = 5;
constexpr double kLeaderRadius = 222, kGlyphRadius = 204, kLabelRadius = 172, kRetroRadius = 146;
constexpr double kAspectRadius = 132;
// The angles that keep labels apart: a point's glyph and its two-line label each fit a
// circle (14.2 px about the label at its radius, 13.4 about a glyph), so points this far
// apart never touch; likewise the house numbers and the axes' names.
constexpr double kPointGap = 9.6, kHouseNumberGap = 3.6, kAxisGap = 4.0;

std::string num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", v);
  return buf;
}

struct Xy {
  double x, y;
};

class Canvas {
 public:
  explicit Canvas(double ascendant) : ascendant_(ascendant) {}
  Xy at(double longitude, double radius) const {
    const double a = (longitude - ascendant_) * kPi / 180.0;
    return {kCentre - radius * std::cos(a), kCentre + radius * std::sin(a)};
  }
  void line(double lon1, double r1, double lon2, double r2, const std::string& style) {
    const Xy a = at(lon1, r1), b = at(lon2, r2);
    out_ += "<line x1='" + num(a.x) + "' y1='" + num(a.y) + "' x2='" + num(b.x) + "' y2='" +
            num(b.y) + "' " + style + "/>";
  }
  void text(double lon, double r, const std::string& content, const std::string& style) {
    const Xy p = at(lon, r);
    out_ += "<text x='" + num(p.x) + "' y='" + num(p.y) + "' " + style + ">" + content + "</text>";
  }
  void raw(const std::string& s) { out_ += s; }
  const std::string& svg() const { return out_; }

 private:
  double ascendant_;
  std::string out_;
};

std::string twoDigits(int v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d", v);
  return buf;
}

constexpr const char* kFamilyColours[3] = {"#c0392b", "#1f6fb2", "#2e8b57"};
constexpr const char* kElementFills[4] = {"#fbe9e4", "#eef5e6", "#fdf8e1", "#e6f0fa"};

}  // namespace

std::vector<double> spreadPositions(const std::vector<double>& longitudes, double gap) {
  const std::size_t n = longitudes.size();
  if (n < 2) return longitudes;
  gap = std::min(gap, 360.0 / static_cast<double>(n));
  std::vector<std::size_t> order(n);
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return normalized(longitudes[a]) < normalized(longitudes[b]);
  });
  // Cut the circle in its widest empty stretch, so the rest is a line.
  std::size_t start = 0;
  double widest = -1;
  for (std::size_t k = 0; k < n; ++k) {
    const double here = normalized(longitudes[order[k]]);
    const double before = normalized(longitudes[order[(k + n - 1) % n]]);
    const double empty = normalized(here - before);
    if (empty > widest || (n > 1 && empty == 0 && widest < 0)) widest = empty, start = k;
  }
  if (widest == 0) widest = 360;  // every point at one place
  const double base = normalized(longitudes[order[start]]);
  std::vector<double> x(n);
  for (std::size_t k = 0; k < n; ++k)
    x[k] = base + normalized(normalized(longitudes[order[(start + k) % n]]) - base);
  // Least squares with x[k+1] − x[k] >= gap: isotonic regression of x[k] − k·gap, by pooling
  // adjacent blocks that break the order.
  struct Block {
    double sum;
    std::size_t count;
    double mean() const { return sum / static_cast<double>(count); }
  };
  std::vector<Block> blocks;
  for (std::size_t k = 0; k < n; ++k) {
    blocks.push_back({x[k] - static_cast<double>(k) * gap, 1});
    while (blocks.size() > 1 && blocks[blocks.size() - 2].mean() > blocks.back().mean()) {
      blocks[blocks.size() - 2].sum += blocks.back().sum;
      blocks[blocks.size() - 2].count += blocks.back().count;
      blocks.pop_back();
    }
  }
  std::vector<double> y;
  for (const Block& b : blocks)
    for (std::size_t i = 0; i < b.count; ++i)
      y.push_back(b.mean() + static_cast<double>(y.size()) * gap);
  // The two ends must keep the gap across the cut too.
  const double span = y.back() - y.front();
  if (span > 360.0 - gap) {
    const double mid = (y.front() + y.back()) / 2;
    const double step = (360.0 - gap) / static_cast<double>(n - 1);
    for (std::size_t k = 0; k < n; ++k)
      y[k] = mid + (static_cast<double>(k) - static_cast<double>(n - 1) / 2) * step;
  }
  std::vector<double> result(n);
  for (std::size_t k = 0; k < n; ++k) result[order[(start + k) % n]] = normalized(y[k]);
  return result;
}

std::string wheelSvg(const NatalChart& c) {
  // Without a known time there are no houses and no horizon: 0° Aries stands on the left.
  const bool houses = c.timeKnown;
  Canvas k(houses ? c.ascendant : 0.0);
  const std::string font = "font-family='DejaVu Sans, sans-serif'";
  const std::string centred = " text-anchor='middle' dominant-baseline='central'";
  k.raw(
      "<svg xmlns='http://www.w3.org/2000/svg' viewBox='-26 -26 652 652' width='600' "
      "height='600' role='img'>");
  k.raw("<rect x='-26' y='-26' width='652' height='652' fill='white'/>");
  // The zodiac ring: twelve signs in the colours of their elements.
  for (int s = 0; s < 12; ++s) {
    const double from = s * 30.0, to = from + 30.0;
    const Xy a = k.at(from, kZodiacOuter), b = k.at(to, kZodiacOuter);
    const Xy c2 = k.at(to, kZodiacInner), d = k.at(from, kZodiacInner);
    // Counter-clockwise on the page is sweep 0 in SVG's y-down frame.
    k.raw("<path d='M" + num(a.x) + " " + num(a.y) + " A" + num(kZodiacOuter) + " " +
          num(kZodiacOuter) + " 0 0 0 " + num(b.x) + " " + num(b.y) + " L" + num(c2.x) + " " +
          num(c2.y) + " A" + num(kZodiacInner) + " " + num(kZodiacInner) + " 0 0 1 " + num(d.x) +
          " " + num(d.y) + " Z' fill='" + kElementFills[s % 4] +
          "' stroke='#555' stroke-width='0.8'/>");
    k.text(from + 15, (kZodiacOuter + kZodiacInner) / 2, signGlyph(s),
           font + " font-size='18'" + centred + " fill='#333'");
  }
  for (int deg = 0; deg < 360; deg += 5)
    k.line(deg, kZodiacInner, deg, kZodiacInner + (deg % 10 == 0 ? 7 : 4),
           "stroke='#555' stroke-width='0.6'");
  k.raw("<circle cx='300' cy='300' r='" + num(kHouseInner) +
        "' fill='none' stroke='#555' stroke-width='0.8'/>");
  k.raw("<circle cx='300' cy='300' r='" + num(kAspectRadius) +
        "' fill='#fcfcfc' stroke='#555' stroke-width='0.8'/>");

  if (houses) {
    // Houses: each cusp a tick on both edges of the ring, the numbers between them, spread
    // apart where houses are narrow (beyond the polar circles).
    std::vector<double> middles;
    for (int h = 0; h < 12; ++h) {
      k.line(c.cusps[h], kHouseInner, c.cusps[h], kHouseInner + kCuspTick,
             "stroke='#777' stroke-width='0.8'");
      k.line(c.cusps[h], kZodiacInner - kCuspTick, c.cusps[h], kZodiacInner,
             "stroke='#777' stroke-width='0.8'");
      middles.push_back(c.cusps[h] + normalized(c.cusps[(h + 1) % 12] - c.cusps[h]) / 2);
    }
    const std::vector<double> numbers = spreadPositions(middles, kHouseNumberGap);
    for (int h = 0; h < 12; ++h)
      k.text(numbers[h], kHouseNumberRadius, std::to_string(h + 1),
             font + " font-size='9'" + centred + " fill='#555'");
    // The two axes: heavy ticks across the edges of the house ring and outside the zodiac,
    // named beyond it.
    const double axes[4] = {c.ascendant, c.ascendant + 180, c.midheaven, c.midheaven + 180};
    const char* names[4] = {"AC", "DC", "MC", "IC"};
    const std::vector<double> named =
        spreadPositions(std::vector<double>(axes, axes + 4), kAxisGap);
    for (int i = 0; i < 4; ++i) {
      k.line(axes[i], kHouseInner, axes[i], kHouseInner + kCuspTick,
             "stroke='#000' stroke-width='1.8'");
      k.line(axes[i], kZodiacInner - kCuspTick, axes[i], kZodiacInner,
             "stroke='#000' stroke-width='1.8'");
      k.line(axes[i], kZodiacOuter, axes[i], kZodiacOuter + 6, "stroke='#000' stroke-width='1.8'");
      k.text(named[i], kAxisLabelRadius, names[i],
             font + " font-size='11' font-weight='bold'" + centred);
    }
  }

  // Aspect lines between the points' true places.
  for (const AspectFound& a : c.aspects) {
    if (a.aspect == 0) continue;  // a conjunction is two points at one place
    const PointPosition* pa = c.point(a.a);
    const PointPosition* pb = c.point(a.b);
    const int family = aspectFamily(a.aspect);
    k.line(pa->longitude, kAspectRadius, pb->longitude, kAspectRadius,
           std::string("stroke='") + kFamilyColours[family] + "' stroke-width='" +
               (std::fabs(a.deviation) < 1 ? "1.6" : "1") + "'" +
               (family == 2 ? " stroke-dasharray='4 3'" : ""));
  }

  // The points, spread so that no two glyphs or labels overlap; a tick at each one's true
  // place, and an arc along the rim of the band from there to where it is drawn.
  std::vector<double> lons;
  for (const PointPosition& p : c.points) lons.push_back(p.longitude);
  const std::vector<double> shown = spreadPositions(lons, kPointGap);
  for (std::size_t i = 0; i < c.points.size(); ++i) {
    const PointPosition& p = c.points[i];
    k.line(p.longitude, kHouseInner, p.longitude, kLeaderRadius, "stroke='#000' stroke-width='1'");
    const double turn = std::remainder(shown[i] - p.longitude, 360.0);
    if (std::fabs(turn) > 0.05) {
      const Xy from = k.at(p.longitude, kLeaderRadius), to = k.at(shown[i], kLeaderRadius);
      // Longitude grows counter-clockwise on the page: sweep 0 in SVG's frame.
      k.raw("<path d='M" + num(from.x) + " " + num(from.y) + " A" + num(kLeaderRadius) + " " +
            num(kLeaderRadius) + " 0 0 " + (turn > 0 ? "0 " : "1 ") + num(to.x) + " " + num(to.y) +
            "' fill='none' stroke='#999' stroke-width='0.5'/>");
    }
    k.line(p.longitude, kAspectRadius, p.longitude, kAspectRadius + 4,
           "stroke='#000' stroke-width='1'");
    const bool letters = p.index >= kVertex;
    k.text(shown[i], kGlyphRadius, pointGlyph(p.index),
           font + " font-size='" + (letters ? "12" : "19") + "'" + centred + " fill='#000'");
    const int totalMinutes = static_cast<int>(arcSecondsOf(p.longitude) % (30 * 3600) / 60);
    // Degree over minute, so that the label is as narrow as a glyph whichever way it faces.
    const Xy at = k.at(shown[i], kLabelRadius);
    k.raw("<text x='" + num(at.x) + "' y='" + num(at.y - 6) + "' " + font + " font-size='10'" +
          centred + ">" + std::to_string(totalMinutes / 60) + "°</text>");
    k.raw("<text x='" + num(at.x) + "' y='" + num(at.y + 6) + "' " + font + " font-size='9'" +
          centred + " fill='#444'>" + twoDigits(totalMinutes % 60) + "′</text>");
    if (p.retrograde && p.index < kBodies)
      k.text(shown[i], kRetroRadius, "℞", font + " font-size='10'" + centred + " fill='#c0392b'");
  }
  k.raw("</svg>");
  return k.svg();
}

}  // namespace orvenda::natal
