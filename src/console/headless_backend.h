// The console without a terminal, for tests: keys come from a script, frames are kept.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string_view>

#include "console/console_backend.h"

namespace orvenda {

class HeadlessBackend final : public ConsoleBackend {
 public:
  void present(const ConsoleFrame& frame) override;
  // The next scripted key; when the script has run out, input is lost.
  InputEvent waitKey() override;
  void bell() override { ++bells_; }
  void suspend() override { ++suspensions_; }
  void resume() override { ++resumptions_; }

  // ---- the script ---------------------------------------------------------------------
  void key(std::uint8_t code) { script_.push_back(charKey(code)); }
  void extended(std::uint8_t code) { script_.push_back(extendedKey(code)); }
  // Each byte of text as a typed character (CP737 bytes for Greek letters).
  void type(std::string_view text) {
    for (char c : text) key(static_cast<std::uint8_t>(c));
  }
  // Raw terminal bytes, decoded as the terminal backend decodes them.
  void terminalBytes(std::string_view bytes);
  std::size_t keysLeft() const { return script_.size(); }

  // ---- what was shown -----------------------------------------------------------------
  int frames() const { return frames_; }
  int bells() const { return bells_; }
  int suspensions() const { return suspensions_; }
  int resumptions() const { return resumptions_; }
  const std::optional<CellGrid>& lastGrid() const { return lastGrid_; }
  Position lastCursor() const { return lastCursor_; }
  bool lastCursorVisible() const { return lastCursorVisible_; }

 private:
  std::deque<KeyEvent> script_;
  int frames_ = 0, bells_ = 0, suspensions_ = 0, resumptions_ = 0;
  std::optional<CellGrid> lastGrid_;
  Position lastCursor_;
  bool lastCursorVisible_ = false;
};

}  // namespace orvenda
