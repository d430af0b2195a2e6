// The Open prompt and its way of going on.
#include "core/open_chart.h"

#include <algorithm>
#include <cstring>

#include "console/console_screen.h"
#include "core/app.h"
#include "core/texts.h"

namespace orvenda {

Step OpenChart::run() {
  if (endOnReturn_) return Step::end();
  ConsoleScreen& con = app_.console;
  AppState& s = app_.state;
  for (;;) {
    s.chartPath = kChartFolder;
    con.setWindow(5, 20, 80, 25);
    con.setTextBackground(143);
    con.setTextColor(129);
    con.writeText(texts::kOpenPrompt);
    // The buffer starts as the current name, so end of input reopens the current chart.
    char line[80];
    const std::size_t n = std::min(s.chartName.size(), sizeof line - 1);
    std::memcpy(line, s.chartName.data(), n);
    line[n] = '\0';
    con.readLine(line, sizeof line);
    if (line[0] == '\0') {
      s.chartPath = std::string(kChartFolder) + s.chartName;
      endOnReturn_ = true;
      if (FramePtr main = app_.loadAndShow()) return Step::enter(std::move(main));
      return Step::end();
    }
    s.chartName = line;
    s.chartPath = std::string(kChartFolder) + s.chartName;
    if (FramePtr main = app_.loadAndShow()) return Step::enter(std::move(main));
  }
}

}  // namespace orvenda
