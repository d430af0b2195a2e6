// The text-mode layer every screen draws through: a current window, a current colour
// attribute and one cursor over an 80 x 25 grid of cells, plus key and line input.
// Drawing changes only the model; the backend shows it before every wait for input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "console/cell_grid.h"
#include "console/console_backend.h"

namespace orvenda {

struct TextWindow {
  int left = 1, top = 1, right = 80, bottom = 25;
  friend bool operator==(const TextWindow&, const TextWindow&) = default;
};

class ConsoleScreen {
 public:
  static constexpr int kColumns = 80;
  static constexpr int kRows = 25;

  // The backend must outlive the screen.
  explicit ConsoleScreen(ConsoleBackend& backend, TextAttribute initialAttr = 0x07);

  // ---- windows, colours, text --------------------------------------------------------
  void setWindow(int left, int top, int right, int bottom);
  void clearWindow();
  void moveCursor(int column, int row);
  void setTextColor(int colour);
  void setTextBackground(int colour);
  void writeText(std::string_view text);
  void writeText(const char* text) { writeText(std::string_view(text)); }
  void writeFormatted(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Writes text into the window's current row without wrapping or scrolling: a text that
  // fills the row exactly stays visible (writeText would scroll it away). A text longer
  // than the room left shows as stars, so that no value is shown cut.
  void writeFitted(std::string_view text);
  void bell();

  // ---- input --------------------------------------------------------------------------
  // One key code: a character key's byte as a signed byte; a key without a character 0,
  // and its extended code on the next call.
  int readKey();
  // One line into buffer (at most capacity - 1 bytes and a NUL). Returns false at end of
  // input before any character, leaving the buffer as it was.
  bool readLine(char* buffer, std::size_t capacity);

  // ---- the console as a whole ("color", "cls", standard output) ------------------------
  // Every cell and the console's own colours become attr.
  void setConsoleColours(TextAttribute attr);
  // Every cell blank in the console's own colours, cursor to the top-left.
  void clearConsole();
  // Text as standard output shows it: at the cursor, console colours, "\n" to column 1
  // of the next row, the whole screen scrolling at its last row.
  void writeStandardOutput(std::string_view text);

  // Puts back the cells of area from an earlier copy of the grid.
  void restoreCells(const CellGrid& from, TextWindow area);

  // Puts the model on the device now.
  void present();
  // Hands the terminal to another program for a while (an editor) and takes it back.
  void suspend() { backend_.suspend(); }
  void resume() { backend_.resume(); }

  // Called when input is gone for good. It must not return (it ends the program or, in
  // tests, unwinds); if it does, readKey returns -1 and readLine reports end of input.
  void setInputLostHandler(std::function<void()> handler) { onInputLost_ = std::move(handler); }

  // ---- inspection ---------------------------------------------------------------------
  const CellGrid& grid() const { return grid_; }
  TextWindow window() const { return window_; }
  TextAttribute attribute() const { return attr_; }
  Position cursor() const { return cursor_; }
  TextAttribute consoleAttribute() const { return consoleAttr_; }

 private:
  void scrollUp(const TextWindow& area, TextAttribute fill);
  void putStandardOutputByte(std::uint8_t b);
  InputEvent nextInput();
  void inputLost();

  ConsoleBackend& backend_;
  CellGrid grid_;
  TextWindow window_;
  TextAttribute attr_;
  TextAttribute consoleAttr_;
  Position cursor_;
  bool cursorVisible_ = false;
  int pendingExtended_ = -1;
  std::function<void()> onInputLost_;
};

}  // namespace orvenda
