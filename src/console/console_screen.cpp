// The console layer's model: windows, the attribute arithmetic, wrapping and scrolling,
// and the layer's own line editor.
#include "console/console_screen.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace orvenda {

ConsoleScreen::ConsoleScreen(ConsoleBackend& backend, TextAttribute initialAttr)
    : backend_(backend),
      grid_(kColumns, kRows, Cell{' ', initialAttr}),
      attr_(initialAttr),
      consoleAttr_(initialAttr) {}

void ConsoleScreen::setWindow(int left, int top, int right, int bottom) {
  if (left < 1 || top < 1 || right > kColumns || bottom > kRows || right < left || bottom < top)
    return;
  window_ = {left, top, right, bottom};
  cursor_ = {left, top};
}

void ConsoleScreen::clearWindow() {
  for (int r = window_.top; r <= window_.bottom; ++r)
    for (int c = window_.left; c <= window_.right; ++c) grid_.at(c, r) = Cell{' ', attr_};
  moveCursor(1, 1);
}

void ConsoleScreen::moveCursor(int column, int row) {
  // Widened so that huge arguments cannot overflow into the window.
  const long long x = static_cast<long long>(window_.left) + column - 1;
  const long long y = static_cast<long long>(window_.top) + row - 1;
  if (x < window_.left || x > window_.right || y < window_.top || y > window_.bottom) return;
  cursor_ = {static_cast<int>(x), static_cast<int>(y)};
}

void ConsoleScreen::setTextColor(int colour) {
  attr_ = static_cast<TextAttribute>((attr_ & 0x70) | (colour & 0x8F));
}

void ConsoleScreen::setTextBackground(int colour) {
  attr_ = static_cast<TextAttribute>((attr_ & 0x8F) | ((colour << 4) & 0x70));
}

void ConsoleScreen::scrollUp(const TextWindow& area, TextAttribute fill) {
  for (int r = area.top; r < area.bottom; ++r)
    for (int c = area.left; c <= area.right; ++c) grid_.at(c, r) = grid_.at(c, r + 1);
  for (int c = area.left; c <= area.right; ++c) grid_.at(c, area.bottom) = Cell{' ', fill};
}

void ConsoleScreen::writeText(std::string_view text) {
  int x = cursor_.column;
  int y = cursor_.row;
  for (char ch : text) {
    const auto b = static_cast<std::uint8_t>(ch);
    switch (b) {
      case 10: ++y; break;
      case 13: x = window_.left; break;
      case 8:
        if (x > window_.left) --x;
        break;
      case 7: bell(); break;
      default:
        // A cursor left of or above the window still writes where it stands.
        if (x >= 1 && x <= kColumns && y >= 1 && y <= kRows) grid_.at(x, y) = Cell{b, attr_};
        ++x;
        break;
    }
    if (x > window_.right) {
      x = window_.left;
      ++y;
    }
    if (y > window_.bottom) {
      scrollUp(window_, attr_);
      --y;
    }
  }
  cursor_ = {x, y};
}

void ConsoleScreen::writeFormatted(const char* format, ...) {
  char small[256];
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  if (n < 0) {
    va_end(again);
    return;
  }
  if (static_cast<std::size_t>(n) < sizeof small) {
    va_end(again);
    // %c may put NUL bytes into the result; they end the text as they would a C string.
    writeText(small);
    return;
  }
  std::vector<char> big(static_cast<std::size_t>(n) + 1);
  std::vsnprintf(big.data(), big.size(), format, again);
  va_end(again);
  writeText(big.data());
}

void ConsoleScreen::writeFitted(std::string_view text) {
  const int room = window_.right - cursor_.column + 1;
  if (room <= 0 || cursor_.row < 1 || cursor_.row > kRows || cursor_.column < 1) return;
  const bool fits = static_cast<int>(text.size()) <= room;
  const int n = fits ? static_cast<int>(text.size()) : room;
  for (int i = 0; i < n; ++i) {
    const char c = fits ? text[static_cast<std::size_t>(i)] : '*';
    grid_.at(cursor_.column + i, cursor_.row) = Cell{static_cast<std::uint8_t>(c), attr_};
  }
  cursor_.column = std::min(cursor_.column + n, window_.right);
}

void ConsoleScreen::bell() { backend_.bell(); }

// ---- the console as a whole ---------------------------------------------------------

void ConsoleScreen::setConsoleColours(TextAttribute attr) {
  consoleAttr_ = attr;
  for (int r = 1; r <= kRows; ++r)
    for (int c = 1; c <= kColumns; ++c) grid_.at(c, r).attr = attr;
}

void ConsoleScreen::clearConsole() {
  grid_.fill(Cell{' ', consoleAttr_});
  cursor_ = {1, 1};
}

void ConsoleScreen::putStandardOutputByte(std::uint8_t b) {
  int& x = cursor_.column;
  int& y = cursor_.row;
  switch (b) {
    case 10:
      x = 1;
      ++y;
      break;
    case 13: x = 1; break;
    case 8:
      if (x > 1) --x;
      break;
    case 7: bell(); break;
    default:
      grid_.at(x, y) = Cell{b, consoleAttr_};
      if (++x > kColumns) {
        x = 1;
        ++y;
      }
      break;
  }
  if (y > kRows) {
    scrollUp(TextWindow{1, 1, kColumns, kRows}, consoleAttr_);
    y = kRows;
  }
}

void ConsoleScreen::restoreCells(const CellGrid& from, TextWindow area) {
  for (int r = area.top; r <= area.bottom; ++r)
    for (int c = area.left; c <= area.right; ++c) grid_.at(c, r) = from.at(c, r);
}

void ConsoleScreen::writeStandardOutput(std::string_view text) {
  for (char c : text) putStandardOutputByte(static_cast<std::uint8_t>(c));
}

// ---- input ----------------------------------------------------------------------------

void ConsoleScreen::present() {
  backend_.present(ConsoleFrame{grid_, cursor_, cursorVisible_, consoleAttr_});
}

InputEvent ConsoleScreen::nextInput() {
  present();
  return backend_.waitKey();
}

void ConsoleScreen::inputLost() {
  if (onInputLost_) onInputLost_();
}

int ConsoleScreen::readKey() {
  if (pendingExtended_ >= 0) {
    const int code = pendingExtended_;
    pendingExtended_ = -1;
    return code;
  }
  cursorVisible_ = false;
  const InputEvent ev = nextInput();
  if (ev.kind == InputEvent::Kind::Lost) {
    inputLost();
    return -1;
  }
  if (ev.key.extended) {
    pendingExtended_ = ev.key.code;
    return 0;
  }
  return static_cast<signed char>(ev.key.code);
}

bool ConsoleScreen::readLine(char* buffer, std::size_t capacity) {
  if (buffer == nullptr || capacity == 0) return false;
  std::string line;
  std::vector<Position> echoedAt;  // where each typed byte was echoed, for Backspace
  auto eraseLast = [&] {
    const Position p = echoedAt.back();
    if (p.row >= 1) {  // an echo scrolled off the top is gone already
      cursor_ = p;
      grid_.at(p.column, p.row) = Cell{' ', consoleAttr_};
    } else {
      cursor_ = {1, 1};
    }
    echoedAt.pop_back();
    line.pop_back();
  };
  // A paste into a full line rings once, not once a byte: the bell stays quiet until a
  // key is taken again.
  bool rang = false;
  cursorVisible_ = true;
  for (;;) {
    const InputEvent ev = nextInput();
    if (ev.kind == InputEvent::Kind::Lost) {
      cursorVisible_ = false;
      inputLost();
      return false;
    }
    if (ev.key.extended) continue;  // cursor and function keys do not edit this line
    const std::uint8_t c = ev.key.code;
    if (c >= 32 && c != 127 && line.size() + 1 >= capacity) {
      if (!rang) bell();  // full: the byte is refused, never stored past the buffer
      rang = true;
      continue;
    }
    rang = false;
    if (c == 13 || c == 10) {
      putStandardOutputByte(10);
      std::memcpy(buffer, line.data(), line.size());
      buffer[line.size()] = '\0';
      cursorVisible_ = false;
      return true;
    }
    if (c == 8 || c == 127) {
      if (!line.empty()) eraseLast();
    } else if (c == 21 || c == 27) {  // Ctrl+U, and Escape as the Windows console has it
      while (!line.empty()) eraseLast();
    } else if ((c == 4 || c == 26) && line.empty()) {  // Ctrl+D, Ctrl+Z: end of input
      cursorVisible_ = false;
      return false;
    } else if (c >= 32) {
      const Position at = cursor_;
      putStandardOutputByte(c);
      echoedAt.push_back(at);
      // A wrap at the bottom-right cell scrolled the screen: the echoes moved up with it.
      if (at.column == kColumns && at.row == kRows)
        for (auto& p : echoedAt) --p.row;
      line.push_back(static_cast<char>(c));
    }
  }
}

}  // namespace orvenda
