// orvenda-chart list: every chart of NAMES/, as the main screen shows its fields.
#include "chart/tool.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "birth/chart_store.h"
#include "chart/exchange.h"
#include "console/cp737.h"

namespace orvenda::chart {

int cmdList(Tool& t, const Options& o) {
  if (!o.operands.empty()) return t.fail("list takes no names");
  if (!t.workingDirectory()) return 1;
  const auto charts = listCharts(t);
  std::string text;
  if (o.has("--csv")) {
    std::vector<std::string> header(std::begin(kCsvFields), std::end(kCsvFields));
    header.push_back("notes");
    text += csvLine(header);
  }
  std::size_t width = 4;
  for (const auto& c : charts) width = std::max(width, displayWidth(shownName(c.name)));
  if (!o.has("--csv") && !charts.empty())
    text += padded("NAME", width) + " " + kStripLabels + "  Notes\n";
  for (const auto& c : charts) {
    const auto r = readChart(t, c.name);
    if (!r) continue;
    if (o.has("--csv")) {
      std::vector<std::string> f{shownName(c.name)};
      for (int i = 0; i < BirthRecord::kFieldCount; ++i) f.push_back(std::to_string(r->field(i)));
      f.push_back(c.notes ? "yes" : "no");
      text += csvLine(f);
    } else {
      text += padded(shownName(c.name), width) + " " + formatStrip(*r) + "  " +
              (c.notes ? "yes" : "no") + "\n";
    }
  }
  t.out << text;
  return 0;
}

}  // namespace orvenda::chart
