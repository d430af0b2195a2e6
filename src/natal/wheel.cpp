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
constexpr double kAxisLabelRadius = 304, kZodiacOuter = 290, kZodiacInner = 252;
constexpr double kHouseNumberRadius = 239, kHouseInner = 226, kCuspTick = 5;
// The retrograde mark stands between a glyph and its label, beside the planet it belongs to.
constexpr double kLeaderRadius = 222, kGlyphRadius = 206, kRetroRadius = 184, kLabelRadius = 160;
constexpr double kAspectRadius = 132;
// The angles that keep labels apart: a point's glyph and its two-line label each fit a
// circle (14.2 px about the label at its radius, 13.4 about a glyph), so points this far
// apart never touch; likewise the house numbers and the axes' names.
constexpr double kPointGap = 10.3, kHouseNumberGap = 3.6, kAxisGap = 4.0;
// A second chart's ring, outside the zodiac: its ticks on the zodiac's rim, a leader arc,
// the glyphs, the retrograde marks and the labels, then the axes' names beyond them.
constexpr double kOuterTick = 295, kOuterLeader = 297, kOuterGlyph = 316, kOuterRetro = 338;
constexpr double kOuterLabel = 360, kOuterAxisLabel = 390;
constexpr double kOuterGap = 5.0;  // the glyphs' 27 px at their radius

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

// Text inside the SVG: its own markup's characters as entities.
std::string escapedXml(const std::string& text) {
  std::string out;
  for (const char ch : text) {
    switch (ch) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '\'': out += "&apos;"; break;
      case '"': out += "&quot;"; break;
      default: out += ch;
    }
  }
  return out;
}

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

namespace {

// One ring of points: a tick at each one's true place on `tickFrom`..`tickTo`, an arc along
// `leader` from there to where it is drawn, its glyph, retrograde mark and label.
struct Ring {
  double tickFrom, tickTo, leader, glyph, retro, label, gap;
  const char* colour;
};

void drawPoints(Canvas& k, const std::vector<PointPosition>& points, const Ring& ring,
                const std::string& font, const std::string& centred, bool greek) {
  std::vector<double> lons;
  for (const PointPosition& p : points) lons.push_back(p.longitude);
  const std::vector<double> shown = spreadPositions(lons, ring.gap);
  for (std::size_t i = 0; i < points.size(); ++i) {
    const PointPosition& p = points[i];
    k.line(p.longitude, ring.tickFrom, p.longitude, ring.tickTo, "stroke='#000' stroke-width='1'");
    const double turn = std::remainder(shown[i] - p.longitude, 360.0);
    if (std::fabs(turn) > 0.05) {
      const Xy from = k.at(p.longitude, ring.leader), to = k.at(shown[i], ring.leader);
      // Longitude grows counter-clockwise on the page: sweep 0 in SVG's frame.
      k.raw("<path d='M" + num(from.x) + " " + num(from.y) + " A" + num(ring.leader) + " " +
            num(ring.leader) + " 0 0 " + (turn > 0 ? "0 " : "1 ") + num(to.x) + " " + num(to.y) +
            "' fill='none' stroke='#999' stroke-width='0.5'/>");
    }
    const bool letters = p.index >= kVertex;
    k.text(shown[i], ring.glyph, pointGlyph(p.index, greek),
           font + " font-size='" + (letters ? "12" : "19") + "'" + centred + " fill='" +
               ring.colour + "'");
    const int totalMinutes = static_cast<int>(arcSecondsOf(p.longitude) % (30 * 3600) / 60);
    // Degree over minute, so that the label is as narrow as a glyph whichever way it faces.
    const Xy at = k.at(shown[i], ring.label);
    k.raw("<text x='" + num(at.x) + "' y='" + num(at.y - 6) + "' " + font + " font-size='10'" +
          centred + ">" + std::to_string(totalMinutes / 60) + "°</text>");
    k.raw("<text x='" + num(at.x) + "' y='" + num(at.y + 6) + "' " + font + " font-size='9'" +
          centred + " fill='#444'>" + twoDigits(totalMinutes % 60) + "′</text>");
    if (p.retrograde && p.index < kBodies)
      k.text(shown[i], ring.retro, "℞", font + " font-size='8'" + centred + " fill='#c0392b'");
  }
}

void aspectLine(Canvas& k, double from, double to, int aspect, double deviation) {
  const int family = aspectFamily(aspect);
  k.line(from, kAspectRadius, to, kAspectRadius,
         std::string("stroke='") + kFamilyColours[family] + "' stroke-width='" +
             (std::fabs(deviation) < 1 ? "1.6" : "1") + "'" +
             (family == 2 ? " stroke-dasharray='4 3'" : ""));
}

// The marks' ring: beyond the axes' names, which stand at kAxisLabelRadius. A mark's tick
// stops short of them and its label has no leader, which would cross them; where marks
// crowd, a label stands a few degrees from its tick.
constexpr double kMarkTick = 296, kMarkLabel = 336, kMarkGap = 7.5, kMarkReach = 364;

std::string drawWheel(const NatalChart& c, const OuterRing* outer, bool greek,
                      const std::vector<WheelMark>& marks = {}) {
  // Without a known time there are no houses and no horizon: 0° Aries stands on the left.
  const bool houses = c.timeKnown;
  Canvas k(houses ? c.ascendant : 0.0);
  const std::string font = "font-family='DejaVu Sans, sans-serif'";
  const std::string centred = " text-anchor='middle' dominant-baseline='central'";
  // The box holds the rings and the axes' names and little more, so that on paper the
  // zodiac ring is nearly as wide as the image.
  const double reach = outer            ? kOuterAxisLabel + 10
                       : !marks.empty() ? kMarkReach
                                        : kAxisLabelRadius + 10;
  const std::string box = num(kCentre - reach) + " " + num(kCentre - reach) + " " + num(2 * reach) +
                          " " + num(2 * reach);
  k.raw("<svg xmlns='http://www.w3.org/2000/svg' viewBox='" + box + "' width='" + num(2 * reach) +
        "' height='" + num(2 * reach) + "' role='img'>");
  k.raw("<rect x='" + num(kCentre - reach) + "' y='" + num(kCentre - reach) + "' width='" +
        num(2 * reach) + "' height='" + num(2 * reach) + "' fill='white'/>");
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
    // In Greek the first letters of the words the tables write: ΩΡοσκόπος, ΔΥση,
    // ΜΕσουράνημα, Αντιμεσουράνημα.
    const char* names[4] = {"AC", "DC", "MC", "IC"};
    const char* greekNames[4] = {"ΩΡ", "ΔΥ", "ΜΕ", "ΑΜ"};
    const std::vector<double> named =
        spreadPositions(std::vector<double>(axes, axes + 4), kAxisGap);
    for (int i = 0; i < 4; ++i) {
      k.line(axes[i], kHouseInner, axes[i], kHouseInner + kCuspTick,
             "stroke='#000' stroke-width='1.8'");
      k.line(axes[i], kZodiacInner - kCuspTick, axes[i], kZodiacInner,
             "stroke='#000' stroke-width='1.8'");
      k.line(axes[i], kZodiacOuter, axes[i], kZodiacOuter + 3, "stroke='#000' stroke-width='1.8'");
      k.text(named[i], outer ? kOuterAxisLabel : kAxisLabelRadius, (greek ? greekNames : names)[i],
             font + " font-size='11' font-weight='bold'" + centred);
    }
  }

  if (!outer) {
    // Aspect lines between the points' true places.
    for (const AspectFound& a : c.aspects) {
      if (a.aspect == 0) continue;  // a conjunction is two points at one place
      aspectLine(k, c.point(a.a)->longitude, c.point(a.b)->longitude, a.aspect, a.deviation);
    }
  } else {
    // Across the two charts: from the inner point to the outer one.
    for (const AspectFound& a : outer->aspects) {
      const PointPosition* in = c.point(a.a);
      const PointPosition* out = outer->chart->point(a.b);
      if (!in || !out || a.aspect == 0) continue;
      aspectLine(k, in->longitude, out->longitude, a.aspect, a.deviation);
    }
    for (const PointPosition& p : outer->chart->points)
      k.line(p.longitude, kAspectRadius, p.longitude, kAspectRadius + 4,
             "stroke='#1a5e9a' stroke-width='1'");
    drawPoints(k, outer->chart->points,
               {kZodiacOuter, kOuterTick, kOuterLeader, kOuterGlyph, kOuterRetro, kOuterLabel,
                kOuterGap, "#1a5e9a"},
               font, centred, greek);
  }
  if (!marks.empty() && !outer) {
    std::vector<double> lons;
    for (const WheelMark& m : marks) lons.push_back(m.longitude);
    const std::vector<double> shown = spreadPositions(lons, kMarkGap);
    for (std::size_t i = 0; i < marks.size(); ++i) {
      const WheelMark& m = marks[i];
      const char* colour = m.star ? "#8a5a00" : "#5b2a86";
      k.line(m.longitude, kZodiacOuter, m.longitude, kMarkTick,
             std::string("stroke='") + colour + "' stroke-width='1.2'");
      const Xy at = k.at(shown[i], kMarkLabel);
      k.raw("<text x='" + num(at.x) + "' y='" + num(at.y) + "' " + font + " font-size='11'" +
            centred + " fill='" + colour + "'><title>" + escapedXml(m.title) + "</title>" +
            escapedXml(m.label) + "</text>");
    }
  }
  for (const PointPosition& p : c.points)
    k.line(p.longitude, kAspectRadius, p.longitude, kAspectRadius + 4,
           "stroke='#000' stroke-width='1'");
  // The points, spread so that no two glyphs or labels overlap.
  drawPoints(k, c.points,
             {kHouseInner, kLeaderRadius, kLeaderRadius, kGlyphRadius, kRetroRadius, kLabelRadius,
              kPointGap, "#000"},
             font, centred, greek);
  k.raw("</svg>");
  return k.svg();
}

}  // namespace

std::string wheelSvg(const NatalChart& c, bool greek, const std::vector<WheelMark>& marks) {
  return drawWheel(c, nullptr, greek, marks);
}

std::string biwheelSvg(const NatalChart& inner, const OuterRing& outer, bool greek) {
  return outer.chart ? drawWheel(inner, &outer, greek) : drawWheel(inner, nullptr, greek);
}

}  // namespace orvenda::natal
