// Terminal output: exact bytes for colours, cursor moves and changed cells, full repaints
// when the terminal's contents are unknown, and a terminal that is too small.
#include <gtest/gtest.h>

#include <string>

#include "console/frame_encoder.h"

namespace orvenda {
namespace {

std::string encode(FrameEncoder& enc, const CellGrid& g, Position cursor = {80, 1},
                   bool visible = false, TextAttribute consoleAttr = 0xF1) {
  std::string out;
  enc.encode(ConsoleFrame{g, cursor, visible, consoleAttr}, out);
  return out;
}

std::size_t count(const std::string& hay, const std::string& needle) {
  std::size_t n = 0;
  for (auto p = hay.find(needle); p != std::string::npos; p = hay.find(needle, p + 1)) ++n;
  return n;
}

TEST(FrameEncoder, FirstFrameIsSentWholeInOneClearAndEveryCell) {
  FrameEncoder enc;
  CellGrid g(80, 25, Cell{' ', 0xF1});
  const std::string out = encode(enc, g);
  EXPECT_EQ(out.rfind("\x1b[0;34;107m\x1b[H\x1b[2J", 0), 0u);
  EXPECT_EQ(count(out, " "), 2000u);
  EXPECT_EQ(count(out, "\x1b["), 3u + 24u + 1u) << "a CUP per row after the first, and the cursor";
  EXPECT_EQ(out.substr(out.size() - 6), "\x1b[?25l");
}

TEST(FrameEncoder, UnchangedFrameSendsNothing) {
  FrameEncoder enc;
  CellGrid g(80, 25, Cell{' ', 0xF1});
  encode(enc, g);
  EXPECT_EQ(encode(enc, g), "");
}

TEST(FrameEncoder, OneChangedCellSendsAMoveAndTheGlyph) {
  FrameEncoder enc;
  CellGrid g(80, 25, Cell{' ', 0xF1});
  encode(enc, g);
  g.at(10, 5) = Cell{'X', 0xF1};
  EXPECT_EQ(encode(enc, g), "\x1b[5;10HX");
  g.at(11, 5) = Cell{'Y', 0xFC};
  g.at(20, 5) = Cell{'Z', 0xFC};
  g.at(1, 6) = Cell{'W', 0x1E};
  // The next cell needs no move, a jump on the row is CHA, another row CUP; colours
  // change only where they differ.
  EXPECT_EQ(encode(enc, g), "\x1b[91mY\x1b[20GZ\x1b[6H\x1b[93;44mW");
}

TEST(FrameEncoder, ColoursMapFromConsoleBitOrderToAnsi) {
  struct Case {
    TextAttribute attr;
    const char* sgr;
  } cases[] = {
      {0xF1, "\x1b[0;34;107m"},  // blue on bright white
      {0xFC, "\x1b[0;91;107m"},  // light red on bright white
      {0xF2, "\x1b[0;32;107m"},  // green on bright white
      {0xF0, "\x1b[0;30;107m"},  // black on bright white
      {0x1F, "\x1b[0;97;44m"},   // white on blue
      {0x1E, "\x1b[0;93;44m"},   // yellow on blue
      {0x9F, "\x1b[0;97;104m"},  // white on light blue
      {0x2F, "\x1b[0;97;42m"},   // white on green
      {0x7F, "\x1b[0;97;47m"},   // white on light grey
      {0x46, "\x1b[0;33;41m"},   // brown on red
      {0x07, "\x1b[0m"},         // the console's plain colours: the terminal's own
  };
  for (const Case& c : cases) {
    FrameEncoder enc;
    CellGrid g(80, 25, Cell{' ', c.attr});
    const std::string out = encode(enc, g, {80, 1}, false, c.attr);
    EXPECT_EQ(out.substr(0, std::string(c.sgr).size()), c.sgr) << int(c.attr);
  }
}

TEST(FrameEncoder, LinuxConsoleShowsBrightBackgroundsWithBlink) {
  FrameEncoder enc(true);
  CellGrid g(80, 25, Cell{' ', 0xF1});
  EXPECT_EQ(encode(enc, g).rfind("\x1b[0;34;5;47m", 0), 0u);
  g.at(1, 1) = Cell{'a', 0x9F};
  g.at(2, 1) = Cell{'b', 0x1E};
  EXPECT_EQ(encode(enc, g), "\x1b[H\x1b[0;1;37;5;44ma\x1b[0;1;33;44mb");
}

TEST(FrameEncoder, GlyphsAreUtf8AndControlBytesNeverReachTheTerminal) {
  FrameEncoder enc;
  CellGrid g(80, 25, Cell{' ', 0xF1});
  encode(enc, g);
  g.at(2, 3) = Cell{24, 0xF1};
  g.at(3, 3) = Cell{26, 0xF1};
  g.at(4, 3) = Cell{0x8E, 0xF1};
  g.at(5, 3) = Cell{27, 0xF1};
  g.at(6, 3) = Cell{9, 0xF1};
  g.at(7, 3) = Cell{0, 0xF1};
  EXPECT_EQ(encode(enc, g), "\x1b[3;2H↑→Ο←○ ");
}

TEST(FrameEncoder, BottomRightCellIsWrittenAndTheNextMoveIsExplicit) {
  FrameEncoder enc;
  CellGrid g(80, 25, Cell{' ', 0xF1});
  encode(enc, g);
  g.at(80, 25) = Cell{'z', 0xF1};
  g.at(1, 1) = Cell{'a', 0xF1};
  EXPECT_EQ(encode(enc, g), "\x1b[Ha\x1b[25;80Hz");
  g.at(80, 25) = Cell{'y', 0xF1};
  EXPECT_EQ(encode(enc, g), "\x1b[80Gy") << "CHA works from the right edge";
}

TEST(FrameEncoder, VisibleCursorIsMovedAndShownOnce) {
  FrameEncoder enc;
  CellGrid g(80, 25, Cell{' ', 0xF1});
  encode(enc, g);
  EXPECT_EQ(encode(enc, g, {16, 20}, true), "\x1b[20;16H\x1b[?25h");
  EXPECT_EQ(encode(enc, g, {16, 20}, true), "");
  EXPECT_EQ(encode(enc, g, {17, 20}, true), "\x1b[17G");
  EXPECT_EQ(encode(enc, g, {80, 1}, false), "\x1b[?25l");
}

TEST(FrameEncoder, NewConsoleColoursRepaintEverything) {
  FrameEncoder enc;
  CellGrid g(80, 25, Cell{' ', 0x07});
  encode(enc, g, {1, 1}, false, 0x07);
  CellGrid blue(80, 25, Cell{' ', 0xF1});
  const std::string out = encode(enc, blue, {1, 1}, false, 0xF1);
  EXPECT_NE(out.find("\x1b[2J"), std::string::npos);
}

TEST(FrameEncoder, InvalidateSendsTheNextFrameWhole) {
  FrameEncoder enc;
  CellGrid g(80, 25, Cell{' ', 0xF1});
  encode(enc, g);
  enc.invalidate();
  EXPECT_EQ(count(encode(enc, g), " "), 2000u);
}

TEST(FrameEncoder, AfterInvalidateNothingIsBelievedAboutTheTerminal) {
  // Another program had the terminal: the frame after it is exactly what a fresh start
  // sends (colours, cursor position and visibility included), whatever was sent before.
  CellGrid g(80, 25, Cell{' ', 0x07});
  for (int c = 1; c <= 80; ++c) g.at(c, 1) = Cell{'x', 0x4F};
  FrameEncoder fresh;
  const std::string first = encode(fresh, g, {5, 22}, true, 0x07);
  FrameEncoder enc;
  encode(enc, g, {5, 22}, true, 0x07);
  enc.invalidate();
  EXPECT_EQ(encode(enc, g, {5, 22}, true, 0x07), first);
}

TEST(FrameEncoder, TooSmallTerminalDrawsWhatFitsAndSaysSo) {
  FrameEncoder enc;
  enc.setTerminalSize(60, 20);
  EXPECT_TRUE(enc.tooSmall());
  CellGrid g(80, 25, Cell{'.', 0xF1});
  const std::string out = encode(enc, g);
  EXPECT_NE(out.find(" Orvenda needs a terminal of 80 x 25; this one is 60 x 20"),
            std::string::npos);
  EXPECT_EQ(out.find("\x1b[1;61H"), std::string::npos) << "nothing beyond column 60";
  EXPECT_EQ(count(out, "."), 60u * 19u) << "the last row holds the notice";
  // Large enough again: everything is sent afresh.
  enc.setTerminalSize(80, 25);
  const std::string again = encode(enc, g);
  EXPECT_EQ(count(again, "."), 2000u);
  EXPECT_EQ(encode(enc, g), "");
}

TEST(FrameEncoder, TinyTerminalCutsTheNotice) {
  FrameEncoder enc;
  enc.setTerminalSize(10, 1);
  CellGrid g(80, 25, Cell{'.', 0xF1});
  const std::string out = encode(enc, g);
  EXPECT_NE(out.find(" Orvenda n"), std::string::npos);
  EXPECT_EQ(out.find(" Orvenda ne"), std::string::npos);
}

TEST(FrameEncoder, LargerTerminalKeepsTheScreenAtTheTopLeft) {
  FrameEncoder enc;
  enc.setTerminalSize(120, 40);
  CellGrid g(80, 25, Cell{' ', 0xF1});
  encode(enc, g);
  g.at(80, 3) = Cell{'q', 0xF1};
  g.at(1, 4) = Cell{'r', 0xF1};
  // Column 81 exists here, so after column 80 the cursor position is still known.
  EXPECT_EQ(encode(enc, g), "\x1b[3;80Hq\x1b[4Hr");
}

}  // namespace
}  // namespace orvenda
