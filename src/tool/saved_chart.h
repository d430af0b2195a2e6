// The natal chart of a saved record, as chart and sheet compute it: the record, the
// configuration of settings/, and the house system the command line asked for.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "natal/natal_chart.h"
#include "tool/tool.h"

namespace orvenda::tool {

struct SavedChart {
  std::string name;  // CP737
  BirthRecord record;
  natal::ChartConfig config;
  std::int32_t horoscopeLanguage = 0;
  char houseSystem = 'P';
  bool timeKnown = true;
  // A file of another size than a chart's: its size, and no chart is drawn from it.
  std::optional<std::size_t> damagedSize;
};

// Why a saved chart gives no chart, in the tool's words; empty when it gives one.
std::string refusalText(const SavedChart& saved, const natal::ChartOutcome& outcome);
// The ephemeris notes of a chart (points not computed, the analytic ephemeris), naming
// the missing data files and the folder searched where that is the cause.
std::vector<std::string> ephemerisNotes(const natal::NatalChart& chart);

// The sex a --sex option names: 1 man, 2 woman, 0 when not given; nothing (and the reason
// on err, status 2) for another word.
std::optional<std::int32_t> sexOption(Tool& t, const Options& o, const char* command);

// Fails (status 1) for a reading whose language has no shipped texts, saying where they
// were looked for and how to name another folder.
int noShippedTexts(Tool& t, bool greek);

// The chart of a saved record, or nothing when it gives none (said on err, status 1).
std::optional<natal::NatalChart> chartOf(Tool& t, const SavedChart& saved);

// A chart as one JSON object for other programs, and as text tables: what `chart` writes,
// and the form every other command gives a chart in.
nlohmann::json chartJson(const std::string& name, const natal::NatalChart& chart);
std::string chartText(const std::string& name, const natal::NatalChart& chart);
// chartJson(name, chart).dump(2), written without building the document first.
std::string chartJsonText(const std::string& name, const natal::NatalChart& chart);

// Reads the chart operand and the configuration; the exit status when it can't (2 for a
// command line that is not understood, 1 for a refusal), with its message on err.
std::optional<SavedChart> loadSavedChart(Tool& t, const Options& o, const char* command,
                                         int& status);

}  // namespace orvenda::tool
