// orvenda-chart list: every chart of NAMES/, as the main screen shows its fields.
#include "exchange/exchange.h"
#include "tool/tool.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "birth/chart_store.h"
#include "console/cp737.h"
#include "exchange/exchange.h"

namespace orvenda::tool {

using namespace exchange;

int cmdList(Tool& t, const Options& o) {
  if (!o.operands.empty()) return t.usage("list", "list takes no names");
  if (!t.workingDirectory()) return 1;
  const auto charts = listCharts(t);
  std::string text;
  const bool csv = o.has("--csv");
  if (csv) {
    std::vector<std::string> header(std::begin(kCsvFields), std::end(kCsvFields));
    header.push_back("notes");
    text += csvLine(header);
  }
  std::size_t width = 4;
  for (const auto& c : charts) width = std::max(width, displayWidth(shownName(c.name)));
  if (!csv && !charts.empty()) text += padded("NAME", width) + " " + kStripLabels + "  Notes\n";
  for (const auto& c : charts) {
    std::size_t size = 0;
    auto r = readChart(t, c.name, &size);
    if (!r) continue;
    // A file of another size is no chart: shown for what it is, never as a chart's fields.
    if (size != BirthRecord::kFileSize) {
      if (csv)
        t.err << "orvenda-chart: left out NAMES/" << shownName(c.name) << ": damaged, " << size
              << " bytes, not a chart's 56\n";
      else
        text += padded(shownName(c.name), width) + " (damaged: " + std::to_string(size) +
                " bytes, not a chart's 56)  " + (c.notes ? "yes" : "no") + "\n";
      continue;
    }
    if (csv) {
      std::vector<std::string> f{shownName(c.name)};
      for (int i = 0; i < BirthRecord::kFieldCount; ++i) f.push_back(std::to_string(r->field(i)));
      f.push_back(c.notes ? "yes" : "no");
      text += csvLine(f);
    } else {
      // The date as the main screen shows it: 31 6 2000 is 1 7 2000 there.
      normalizeDate(*r);
      text += padded(shownName(c.name), width) + " " + formatStrip(*r) + "  " +
              (c.notes ? "yes" : "no") + "\n";
    }
  }
  t.out << text;
  return 0;
}

}  // namespace orvenda::tool
