// The print sheet that R writes as PRINT/bush.html: the birth data, the chart wheel and
// the chart's tables, a complete page with no script and no frame, so that every browser
// shows it (text browsers too) and prints it on at most two A4 pages.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "birth/birth_record.h"
#include "natal/natal_chart.h"
#include "sheet/reading_texts.h"

namespace orvenda {

class SettingsStore;

// What the sheet takes from the program's state (or the tool's command line): the chart's
// name, the horoscope language, the sex chosen, whether the time is known, and the four
// chart settings as the main screen shows them.
struct SheetSettings {
  std::string chartName;  // CP737, as typed
  std::int32_t horoscopeLanguage = 0;
  std::int32_t sex = 0;       // 0 not chosen, 1 man, 2 woman
  std::int32_t timeMode = 0;  // 1: the time is not known
  std::int32_t borderlineDegrees = 0;
  std::int32_t zodiacRulersAlways = 0;
  std::int32_t borderlineInterpretation = 0;
  std::int32_t changeRulers = 0;
};

// The chart the sheet shows, or why there is none.
struct SheetChart {
  natal::ChartOutcome outcome;
  std::string unreadable;  // the settings files that could not be read: no chart then
  bool byTool = false;     // written by orvenda-chart sheet rather than by the program's R
  // A chart file of another size than a chart's: its size, and no chart.
  std::optional<std::size_t> damagedSize;
};

// The chart of a record with the configuration of settings\. The four chart settings come
// from state, which holds what the main screen shows.
SheetChart chartForSheet(SettingsStore& store, const SheetSettings& state,
                         const BirthRecord& record, char houseSystem = 'P');

// The sheet for the record as it stands, in the horoscope language (Greek for 1,
// English for any other value), as UTF-8 HTML; with a set of texts, the chart's pages are
// followed by the reading.
std::string printSheet(const SheetSettings& state, const BirthRecord& record,
                       const SheetChart& chart = {}, const reading::TextSet* texts = nullptr);

// What the sheet says of a chart beside its wheel, a sentence of HTML each, in the
// horoscope language: Porphyry houses in place of the system asked for, points not
// computed and positions from the analytic ephemeris, each with its reason.
std::vector<std::string> chartNotes(const natal::NatalChart& chart, bool greek);

}  // namespace orvenda
