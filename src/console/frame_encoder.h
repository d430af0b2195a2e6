// Turns console frames into terminal output: only the cells that changed since the last
// frame, runs coalesced, colours sent only when they change, the cursor moved cheaply.
// Pure: it writes nothing, so the bytes of every frame can be tested and measured.
#pragma once

#include <optional>
#include <string>

#include "console/console_backend.h"

namespace orvenda {

class FrameEncoder {
 public:
  // The Linux console has no bright backgrounds through SGR 100-107; it shows SGR 5
  // (blink) with 40-47 as a bright background, and SGR 1 as a bright foreground.
  explicit FrameEncoder(bool linuxConsole = false) : linuxConsole_(linuxConsole) {}

  void setTerminalSize(int columns, int rows);
  // The terminal was out of our hands (another program, a suspension, a resize): what it
  // shows, its colours, its cursor and whether the cursor is shown are all unknown, and
  // the next frame is sent whole.
  void invalidate() {
    front_.reset();
    curX_ = curY_ = 0;
    sgr_ = -1;
    cursorShown_ = -1;
  }
  // Appends the bytes that make the terminal show the frame to out.
  void encode(const ConsoleFrame& frame, std::string& out);

  bool tooSmall() const { return columns_ < 80 || rows_ < 25; }

 private:
  void moveTo(int column, int row, std::string& out);
  void setAttribute(TextAttribute attr, std::string& out);
  void putCell(int column, int row, const Cell& cell, std::string& out);
  void encodeTooSmall(const ConsoleFrame& frame, std::string& out);

  bool linuxConsole_;
  int columns_ = 80;
  int rows_ = 25;
  std::optional<CellGrid> front_;  // what the terminal shows now, when known
  TextAttribute frontConsoleAttr_ = 0;
  int curX_ = 0, curY_ = 0;  // the terminal's cursor; 0 when unknown
  int sgr_ = -1;             // the terminal's colours as an attribute; -1 when unknown
  int cursorShown_ = -1;     // -1 unknown
};

}  // namespace orvenda
