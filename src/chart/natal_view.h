// The natal chart of a saved record, as chart and sheet compute it: the record, the
// configuration of settings/, and the house system the command line asked for.
#pragma once

#include <optional>
#include <string>

#include "chart/tool.h"
#include "natal/natal_chart.h"

namespace orvenda::chart {

struct SavedChart {
  std::string name;  // CP737
  BirthRecord record;
  natal::ChartConfig config;
  std::int32_t horoscopeLanguage = 0;
  char houseSystem = 'P';
};

// Reads the chart operand and the configuration; the exit status when it can't (2 for a
// command line that is not understood, 1 for a refusal), with its message on err.
std::optional<SavedChart> loadSavedChart(Tool& t, const Options& o, const char* command,
                                         int& status);

}  // namespace orvenda::chart
