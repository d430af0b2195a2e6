// orvenda-chart export: charts to standard output as CSV or AAF.
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

int cmdExport(Tool& t, const Options& o) {
  const std::string format = o.value("--format") ? *o.value("--format") : "csv";
  if (format != "csv" && format != "aaf") return t.fail("--format is csv or aaf");
  if (!t.workingDirectory()) return 1;
  std::vector<std::string> names;
  if (o.operands.empty()) {
    for (const auto& c : listCharts(t)) names.push_back(c.name);
  } else {
    for (const auto& n : o.operands) {
      std::string name, why;
      if (!chartName(n, name, why)) return t.fail(why);
      if (!chartExists(t, name)) return t.fail("no chart NAMES/" + n + "; nothing exported");
      names.push_back(name);
    }
  }
  // Everything is made first, so a refusal leaves nothing half-written on the output.
  std::string text = format == "csv" ? csvHeader() : "";
  int failed = 0;
  for (const auto& name : names) {
    const auto r = readChart(t, name);
    if (!r) {
      ++failed;
      t.err << "orvenda-chart: can't read NAMES/" << shownName(name) << "\n";
      continue;
    }
    if (format == "csv") {
      text += csvChart(shownName(name), *r);
    } else if (!validDate(*r)) {
      ++failed;
      t.err << "orvenda-chart: NAMES/" << shownName(name)
            << " holds no date of the calendar; AAF can't carry it\n";
    } else {
      text += aafChart(shownName(name), *r, recordJulianDay(*r));
    }
  }
  if (failed > 0) return t.fail("nothing exported");
  t.out << text;
  return 0;
}

}  // namespace orvenda::chart
