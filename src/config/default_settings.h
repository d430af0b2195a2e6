// The settings a new working directory starts with: English, Athens, and orbs and
// switches that most astrologers use.
#pragma once

#include <array>
#include <cstdint>

#include "config/settings_store.h"

namespace orvenda {

struct DefaultSettings {
  std::int32_t programLanguage = 0;           // English
  std::int32_t horoscopeLanguage = 0;         // English
  std::int32_t borderlineDegrees = 2;         // a planet within 2 degrees of a cusp counts for both
  std::int32_t zodiacRulersAlways = 0;        // No
  std::int32_t borderlineInterpretation = 0;  // No
  std::int32_t changeRulers = 0;              // No: the modern rulers
  std::array<std::int32_t, 6> place = {23, 46, 0, 37, 58, 0};  // Athens, 23°46'E 37°58'N
  AspectTable aspects;
  PlanetTable planets;
  DefaultSettings();
};

// Writes all eleven files; false if any could not be written.
bool writeDefaultSettings(SettingsStore& store, const DefaultSettings& settings = {});

}  // namespace orvenda
