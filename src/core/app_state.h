// The process-wide state that every screen shares, and the messages common to them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "sheet/print_sheet.h"

namespace orvenda {

struct AppState {
  // Mirrored in their settings files.
  std::int32_t programLanguage = 0;
  std::int32_t horoscopeLanguage = 0;
  std::int32_t borderlineDegrees = 0;
  std::int32_t zodiacRulersAlways = 0;
  std::int32_t borderlineInterpretation = 0;
  std::int32_t changeRulers = 0;
  std::array<std::int32_t, 6> defaultPlace{};
  // Memory only, kept for the whole run.
  std::int32_t timeMode = 0;
  std::int32_t sex = 0;
  std::int32_t cursorField = 0;
  std::int32_t cursorColumn = 0;
  // The current chart: its name as typed (CP737 bytes) and "NAMES\" + name.
  std::string chartName;
  std::string chartPath = "NAMES\\";
};

// What the print sheet takes of the state: the name, the languages and the chart settings.
SheetSettings sheetSettings(const AppState& state);

inline constexpr char kCantOpenMessage[] = " I can't open that file, press any key to continue\n\r";

// Exit statuses: 0 after Escape; 1 when the program cannot go on (a file it needs at
// start-up is missing, there is no terminal, or the terminal went away).
inline constexpr int kExitNormal = 0;
inline constexpr int kExitFailure = 1;

}  // namespace orvenda
