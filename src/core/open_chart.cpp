// The Open prompt and its way of going on.
#include "core/open_chart.h"

#include "core/app.h"
#include "core/texts.h"

namespace orvenda {

Step OpenChart::run() {
  if (endOnReturn_) return Step::end();
  AppState& s = app_.state;
  for (;;) {
    s.chartPath = kChartFolder;
    // An input buffer of 80 bytes; end of input reopens the current chart.
    const std::string line = app_.askForName(texts::kOpenPrompt, 80);
    if (line.empty()) {
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
