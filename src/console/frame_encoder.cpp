// ConsoleFrame diffing and ANSI output for the terminal backend.
#include "console/frame_encoder.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "console/cp737.h"

namespace orvenda {
namespace {

// The console's colour number has blue in bit 0 and red in bit 2; ANSI the other way.
constexpr int ansiColour(int consoleColour) {
  return ((consoleColour & 1) << 2) | (consoleColour & 2) | ((consoleColour & 4) >> 2);
}

// Light grey on black, the console's plain colours, is sent as the terminal's own
// default colours, so the program's plain text looks like the rest of the terminal.
constexpr TextAttribute kPlain = 0x07;

const std::array<std::string, 256>& glyphs() {
  static const std::array<std::string, 256> table = [] {
    std::array<std::string, 256> t;
    for (int i = 0; i < 256; ++i) appendUtf8(t[i], kCp737ToUnicode[i]);
    return t;
  }();
  return table;
}

void appendNumber(std::string& out, int n) {
  char buf[12];
  auto r = std::to_chars(buf, buf + sizeof buf, n);
  out.append(buf, r.ptr);
}

}  // namespace

void FrameEncoder::setTerminalSize(int columns, int rows) {
  if (columns == columns_ && rows == rows_) return;
  columns_ = std::max(columns, 1);
  rows_ = std::max(rows, 1);
  invalidate();
}

void FrameEncoder::moveTo(int column, int row, std::string& out) {
  if (column == curX_ && row == curY_) return;
  out += "\x1b[";
  if (row == 1 && column == 1) {
    out += 'H';
  } else if (row == curY_) {
    appendNumber(out, column);
    out += 'G';
  } else {
    appendNumber(out, row);
    if (column != 1) {
      out += ';';
      appendNumber(out, column);
    }
    out += 'H';
  }
  curX_ = column;
  curY_ = row;
}

void FrameEncoder::setAttribute(TextAttribute attr, std::string& out) {
  if (sgr_ == attr) return;
  const int fg = attr & 15, bg = attr >> 4;
  out += "\x1b[";
  if (attr == kPlain) {
    out += "0m";
    sgr_ = attr;
    return;
  }
  const bool partial = !linuxConsole_ && sgr_ >= 0 && sgr_ != kPlain;
  const bool fgChanged = !partial || (sgr_ & 15) != fg;
  const bool bgChanged = !partial || (sgr_ >> 4) != bg;
  if (!partial) out += "0;";
  if (fgChanged) {
    if (linuxConsole_ && (fg & 8)) out += "1;";
    appendNumber(out, ((fg & 8) && !linuxConsole_ ? 90 : 30) + ansiColour(fg));
  }
  if (bgChanged) {
    if (fgChanged) out += ';';
    if (linuxConsole_ && (bg & 8)) out += "5;";
    appendNumber(out, ((bg & 8) && !linuxConsole_ ? 100 : 40) + ansiColour(bg));
  }
  out += 'm';
  sgr_ = attr;
}

void FrameEncoder::putCell(int column, int row, const Cell& cell, std::string& out) {
  moveTo(column, row, out);
  setAttribute(cell.attr, out);
  out += glyphs()[cell.ch];
  // At the terminal's right edge the cursor stays put (autowrap is off); elsewhere it
  // moves on by one.
  curX_ = column < columns_ ? column + 1 : 0;
}

void FrameEncoder::encodeTooSmall(const ConsoleFrame& frame, std::string& out) {
  // Draw what fits, and say on the last row what the program needs.
  setAttribute(frame.consoleAttr, out);
  out += "\x1b[H\x1b[2J";
  curX_ = curY_ = 1;
  const int cols = std::min(columns_, 80), rows = std::min(rows_ - 1, 25);
  for (int r = 1; r <= rows; ++r)
    for (int c = 1; c <= cols; ++c) putCell(c, r, frame.grid.at(c, r), out);
  std::string notice = " Orvenda needs a terminal of 80 x 25; this one is ";
  appendNumber(notice, columns_);
  notice += " x ";
  appendNumber(notice, rows_);
  notice += ' ';
  notice.resize(std::min<std::size_t>(notice.size(), static_cast<std::size_t>(columns_)));
  moveTo(1, rows_, out);
  out += "\x1b[0;7m";
  sgr_ = -1;
  out += notice;
  out += "\x1b[0m";
  curX_ = 0;
  if (cursorShown_ != 0) out += "\x1b[?25l";
  cursorShown_ = 0;
  front_.reset();  // whatever comes next is sent whole
}

void FrameEncoder::encode(const ConsoleFrame& frame, std::string& out) {
  if (tooSmall()) {
    encodeTooSmall(frame, out);
    return;
  }
  // New console colours recolour the area right of and below the 80 x 25 grid too.
  if (front_ && frontConsoleAttr_ != frame.consoleAttr) front_.reset();
  if (!front_) {
    setAttribute(frame.consoleAttr, out);
    out += "\x1b[H\x1b[2J";  // erases in the current colours on the terminals that matter
    curX_ = curY_ = 1;
    for (int r = 1; r <= 25; ++r)
      for (int c = 1; c <= 80; ++c) putCell(c, r, frame.grid.at(c, r), out);
    front_.emplace(frame.grid);
    frontConsoleAttr_ = frame.consoleAttr;
  } else {
    CellGrid& front = *front_;
    for (int r = 1; r <= 25; ++r) {
      for (int c = 1; c <= 80; ++c) {
        const Cell& cell = frame.grid.at(c, r);
        if (cell == front.at(c, r)) continue;
        putCell(c, r, cell, out);
        front.at(c, r) = cell;
      }
    }
  }
  if (frame.cursorVisible) {
    moveTo(frame.cursor.column, frame.cursor.row, out);
    if (cursorShown_ != 1) out += "\x1b[?25h";
    cursorShown_ = 1;
  } else if (cursorShown_ != 0) {
    out += "\x1b[?25l";
    cursorShown_ = 0;
  }
}

}  // namespace orvenda
