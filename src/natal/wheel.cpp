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
constexpr double kZodiacOuter = 290, kZodiacInner = 252, kHouseInner = 232, kAspectRadius = 132;
constexpr double kGlyphRadius = 212, kDegreeRadius = 190, kMinuteRadius = 174, kRetroRadius = 159;

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
  Canvas k(c.ascendant);
  const std::string font = "font-family='DejaVu Sans, sans-serif'";
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
           font + " font-size='20' text-anchor='middle' dominant-baseline='central' fill='#333'");
  }
  for (int deg = 0; deg < 360; deg += 5)
    k.line(deg, kZodiacInner, deg, kZodiacInner + (deg % 10 == 0 ? 7 : 4),
           "stroke='#555' stroke-width='0.6'");
  k.raw("<circle cx='300' cy='300' r='" + num(kHouseInner) +
        "' fill='none' stroke='#555' stroke-width='0.8'/>");
  k.raw("<circle cx='300' cy='300' r='" + num(kAspectRadius) +
        "' fill='#fcfcfc' stroke='#555' stroke-width='0.8'/>");

  // Houses: cusps from the aspect circle to the zodiac, numbered between them.
  for (int h = 0; h < 12; ++h) {
    k.line(c.cusps[h], kAspectRadius, c.cusps[h], kZodiacInner, "stroke='#777' stroke-width='0.8'");
    const double span = normalized(c.cusps[(h + 1) % 12] - c.cusps[h]);
    k.text(c.cusps[h] + span / 2, (kHouseInner + kZodiacInner) / 2, std::to_string(h + 1),
           font + " font-size='11' text-anchor='middle' dominant-baseline='central' fill='#555'");
  }
  // The two axes, drawn whatever the house system, run on past the zodiac, named at
  // their ends.
  const std::pair<double, const char*> axes[4] = {{c.ascendant, "AC"},
                                                  {c.ascendant + 180, "DC"},
                                                  {c.midheaven, "MC"},
                                                  {c.midheaven + 180, "IC"}};
  for (const auto& [lon, name] : axes) {
    k.line(lon, kAspectRadius, lon, kZodiacInner, "stroke='#000' stroke-width='1.8'");
    k.line(lon, kZodiacOuter, lon, kZodiacOuter + 7, "stroke='#000' stroke-width='1.8'");
    k.text(lon, kZodiacOuter + 16, name,
           font +
               " font-size='11' font-weight='bold' text-anchor='middle' "
               "dominant-baseline='central'");
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

  // The points, spread so that no two glyphs or labels overlap, each with a tick at its
  // true place.
  std::vector<double> lons;
  for (const PointPosition& p : c.points) lons.push_back(p.longitude);
  const std::vector<double> shown = spreadPositions(lons, 8.0);
  for (std::size_t i = 0; i < c.points.size(); ++i) {
    const PointPosition& p = c.points[i];
    k.line(p.longitude, kHouseInner, p.longitude, kHouseInner - 6,
           "stroke='#000' stroke-width='1'");
    k.line(p.longitude, kHouseInner - 6, shown[i], kGlyphRadius + 11,
           "stroke='#999' stroke-width='0.5'");
    k.line(p.longitude, kAspectRadius, p.longitude, kAspectRadius + 4,
           "stroke='#000' stroke-width='1'");
    const bool letters = p.index >= kVertex;
    k.text(shown[i], kGlyphRadius, pointGlyph(p.index),
           font + " font-size='" + (letters ? "12" : "19") +
               "' text-anchor='middle' dominant-baseline='central' fill='#000'");
    const double within = std::fmod(p.longitude, 30.0);
    const int totalMinutes = static_cast<int>(std::floor(within * 60.0 + 1e-9));
    k.text(shown[i], kDegreeRadius, std::to_string(totalMinutes / 60) + "°",
           font + " font-size='11' text-anchor='middle' dominant-baseline='central'");
    k.text(shown[i], kMinuteRadius, twoDigits(totalMinutes % 60) + "′",
           font + " font-size='10' text-anchor='middle' dominant-baseline='central' fill='#444'");
    if (p.retrograde && p.index < kBodies)
      k.text(
          shown[i], kRetroRadius, "℞",
          font + " font-size='10' text-anchor='middle' dominant-baseline='central' fill='#c0392b'");
  }
  k.raw("</svg>");
  return k.svg();
}

}  // namespace orvenda::natal
