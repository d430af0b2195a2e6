// The chart wheel as SVG text: our own drawing, no script, from a NatalChart alone.
#pragma once

#include <string>
#include <vector>

#include "natal/natal_chart.h"

namespace orvenda::natal {

// Where to draw glyphs that stand at the given longitudes so that no two are closer than
// gap degrees around the circle, each moved as little as it can be (least squares). The
// result is in the same order as the input; the gap shrinks to 360/n when n can't fit.
std::vector<double> spreadPositions(const std::vector<double>& longitudes, double gap);

// A place marked outside the zodiac ring, a lot or a star: a tick at its longitude and a
// short label (a few letters), the whole name as the label's tooltip.
struct WheelMark {
  double longitude = 0;
  std::string label, title;
  bool star = false;  // drawn in the stars' colour, the lots in the lots'
};

// The wheel: the zodiac ring, the houses with the two axes (the Ascendant on the left),
// the points with glyph, degree, minute and retrograde mark, and the aspect lines.
// `greek`: the axes named in Greek letters. `marks`, if any, outside the zodiac.
std::string wheelSvg(const NatalChart& chart, bool greek = false,
                     const std::vector<WheelMark>& marks = {});

// A second chart around the first, as a ring of its points outside the zodiac: the sky of a
// moment, a return, a partner's chart. `aspects` are between the two (`a` a point of the
// inner chart, `b` of the outer), drawn across the aspect circle.
struct OuterRing {
  const NatalChart* chart = nullptr;
  std::vector<AspectFound> aspects;
};
std::string biwheelSvg(const NatalChart& inner, const OuterRing& outer, bool greek = false);

}  // namespace orvenda::natal
