// The aspect and planet configuration screens: one editor of a table of flags and values,
// two layouts. Edits stay in a working copy until a save writes both files; Escape drops
// them.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string_view>

#include "config/settings_store.h"

namespace orvenda {

class ConsoleScreen;

enum class ConfigKind { Aspects, Planets };

// A stored value as the two cells the screen edits. Values of 0 and above, and whole
// numbers, split as whole part and hundredths (the factor 101 gives every fraction this
// screen stores back as its own hundredths). A negative value with a fraction splits into
// a pair that gives exactly the same value back, so a save without edits changes nothing.
void splitValue(double value, std::int32_t& whole, std::int32_t& hundredths);
// The value a pair of cells stores.
double joinValue(std::int32_t whole, std::int32_t hundredths);

class ConfigScreen {
 public:
  ConfigScreen(ConfigKind kind, ConsoleScreen& console, SettingsStore& settings,
               int programLanguage, std::function<void()> parkCursor);

  // Loads both files and draws the fixed part. False when a file can't be opened; the
  // message has been shown and a key read, and nothing was drawn.
  bool open();

  enum class Outcome { ToMainScreen, Failed };
  // The key loop: the table, the cursor parked, one key, again. Ends on Escape or a
  // successful save (ToMainScreen), or after a failed save's message (Failed). Called
  // again, it carries on with the same working copy.
  Outcome run();

  // ---- the working copy, for tests -------------------------------------------------------
  int rows() const { return rows_; }
  std::int32_t cell(int index) const { return cells_[static_cast<std::size_t>(index)]; }
  std::int32_t flag(int row) const { return flags_[static_cast<std::size_t>(row)]; }
  int cursorRow() const { return row_; }
  int cursorColumn() const { return column_; }

 private:
  void drawFixedPart();
  void drawTable();
  void drawCell(int index, int screenRow, bool highlighted);
  void switchRows(int first, int last);
  void step(int delta);
  bool save();
  std::string_view name(int row) const;

  ConfigKind kind_;
  ConsoleScreen& con_;
  SettingsStore& settings_;
  int language_;
  std::function<void()> parkCursor_;
  int rows_;
  int firstScreenRow_;
  int nameLeft_;
  int minCell_;
  std::array<double, kPlanetValueCount> values_{};
  std::array<std::int32_t, kPlanetCount> flags_{};
  std::array<std::int32_t, 2 * kPlanetCount> cells_{};
  int row_ = 0;
  int column_ = 0;
};

}  // namespace orvenda
