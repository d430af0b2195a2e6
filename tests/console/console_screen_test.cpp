// Windows, the cursor, wrapping and scrolling, the console-wide commands, and key and
// line input of the console layer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "console/console_screen.h"
#include "console/headless_backend.h"

namespace orvenda {
namespace {

class ConsoleTest : public ::testing::Test {
 protected:
  HeadlessBackend backend;
  ConsoleScreen con{backend};
  std::string row(int r, int first = 1, int last = 80) {
    return con.grid().rowText(r, first, last);
  }
};

// ---- windows and the cursor -------------------------------------------------------------

TEST_F(ConsoleTest, WholeScreenWindowIsAcceptedAndOversizedOnesIgnored) {
  con.setWindow(10, 10, 20, 12);
  con.setWindow(1, 1, 80, 25);
  EXPECT_EQ(con.window(), (TextWindow{1, 1, 80, 25}));
  EXPECT_EQ(con.cursor(), (Position{1, 1}));

  con.setWindow(10, 10, 20, 12);
  con.moveCursor(3, 2);
  for (auto w : {TextWindow{1, 1, 81, 25}, TextWindow{1, 1, 80, 26}, TextWindow{0, 1, 80, 25},
                 TextWindow{1, 0, 80, 25}, TextWindow{20, 1, 19, 25}, TextWindow{1, 5, 80, 4}}) {
    con.setWindow(w.left, w.top, w.right, w.bottom);
    EXPECT_EQ(con.window(), (TextWindow{10, 10, 20, 12}));
    EXPECT_EQ(con.cursor(), (Position{12, 11})) << "the cursor stays too";
  }
  con.writeText("x");
  EXPECT_EQ(row(11, 12, 12), "x");
}

TEST_F(ConsoleTest, SingleRowAndSingleCellWindowsAreValid) {
  con.setWindow(5, 25, 80, 25);
  EXPECT_EQ(con.window(), (TextWindow{5, 25, 80, 25}));
  con.setWindow(80, 1, 80, 1);
  EXPECT_EQ(con.window(), (TextWindow{80, 1, 80, 1}));
  EXPECT_EQ(con.cursor(), (Position{80, 1}));
}

TEST_F(ConsoleTest, WritingStartsAtTheWindowsTopLeft) {
  con.setWindow(40, 9, 80, 25);
  con.writeText("Configuration Settings");
  EXPECT_EQ(row(9, 40, 61), "Configuration Settings");
  EXPECT_EQ(row(9, 39, 39), " ");
}

TEST_F(ConsoleTest, MoveCursorIsRelativeToTheWindowAndIgnoresTargetsOutsideIt) {
  con.moveCursor(12, 23);
  EXPECT_EQ(con.cursor(), (Position{12, 23}));
  con.moveCursor(81, 1);
  EXPECT_EQ(con.cursor(), (Position{12, 23}));
  con.setWindow(20, 6, 80, 7);
  con.moveCursor(27, 2);
  EXPECT_EQ(con.cursor(), (Position{46, 7}));
  for (auto [c, r] : {std::pair{0, 1},
                      {1, 0},
                      {62, 1},
                      {1, 3},
                      {-5, -5},
                      {2147483647, 1},
                      {1, -2147483647 - 1}}) {
    con.moveCursor(c, r);
    EXPECT_EQ(con.cursor(), (Position{46, 7})) << c << "," << r;
  }
}

// ---- writing ----------------------------------------------------------------------------

TEST_F(ConsoleTest, EightyCharactersWrapAtOnceAndALineFeedLeavesAnEmptyRow) {
  con.writeText(std::string(80, 'a'));
  EXPECT_EQ(con.cursor(), (Position{1, 2}));
  con.writeText("\n");
  EXPECT_EQ(con.cursor(), (Position{1, 3}));
  con.writeText("b");
  EXPECT_EQ(row(2), std::string(80, ' '));
  EXPECT_EQ(row(3, 1, 1), "b");
}

TEST_F(ConsoleTest, LineFeedKeepsTheColumnAndCarriageReturnGoesToTheWindowsLeft) {
  con.setWindow(5, 9, 80, 25);
  con.writeText("Open\n");
  EXPECT_EQ(con.cursor(), (Position{9, 10}));
  con.writeText("\rSave\n\r");
  EXPECT_EQ(row(10, 5, 8), "Save");
  EXPECT_EQ(con.cursor(), (Position{5, 11}));
}

TEST_F(ConsoleTest, LongTextContinuesAtTheWindowsLeftSplittingWords) {
  con.setWindow(70, 2, 75, 4);
  con.writeText("Borderline");
  EXPECT_EQ(row(2, 70, 75), "Border");
  EXPECT_EQ(row(3, 70, 73), "line");
  EXPECT_EQ(row(2, 76, 76), " ");
}

TEST_F(ConsoleTest, LineFeedOnTheBottomRowScrollsOnlyTheWindow) {
  con.setTextBackground(0);
  con.setTextColor(7);
  con.writeText("outside above");
  con.moveCursor(1, 6);
  con.writeText("outside below");
  con.setWindow(1, 2, 10, 5);
  con.setTextBackground(1);
  con.setTextColor(15);
  con.clearWindow();
  con.writeText("one\n\rtwo\n\rthree\n\rfour\n\r");
  EXPECT_EQ(row(1, 1, 13), "outside above");
  EXPECT_EQ(row(2, 1, 10), "two       ");
  EXPECT_EQ(row(4, 1, 10), "four      ");
  EXPECT_EQ(row(5, 1, 10), "          ");
  EXPECT_EQ(con.grid().at(1, 5).attr, 0x1F) << "the new row is blank in the current attribute";
  EXPECT_EQ(row(6, 1, 13), "outside below");
  EXPECT_EQ(row(2, 11, 11), " ");
  EXPECT_EQ(con.cursor(), (Position{1, 5}));
}

TEST_F(ConsoleTest, WritingIntoTheLastColumnOfAOneRowWindowClearsTheRow) {
  con.setWindow(5, 25, 9, 25);
  con.writeText("abcd");
  EXPECT_EQ(row(25, 5, 9), "abcd ");
  con.writeText("e");
  EXPECT_EQ(row(25, 5, 9), "     ");
  EXPECT_EQ(con.cursor(), (Position{5, 25}));
}

TEST_F(ConsoleTest, ParkCursorWindowSwallowsEverythingWrittenIntoIt) {
  con.setTextBackground(143);
  con.setTextColor(129);
  con.clearWindow();
  const CellGrid before = con.grid();
  con.setWindow(80, 1, 80, 1);
  con.writeText(" I can't open that file, press any key to continue\n\r");
  EXPECT_EQ(con.grid(), before);
  EXPECT_EQ(con.cursor(), (Position{80, 1}));
}

TEST_F(ConsoleTest, BackspaceStopsAtTheWindowsLeftAndBellWritesNothing) {
  con.setWindow(10, 1, 20, 1);
  con.writeText("ab\b\bX\b\b\bY\a");
  EXPECT_EQ(row(1, 10, 12), "Yb ");
  EXPECT_EQ(backend.bells(), 1);
}

TEST_F(ConsoleTest, TextAtACursorLeftOfTheWindowIsWrittenWhereItStands) {
  con.setWindow(5, 20, 80, 25);
  con.writeStandardOutput("\n\n");  // the cursor is now at column 1, outside the window
  const Position p = con.cursor();
  ASSERT_EQ(p.column, 1);
  con.writeText("ab");
  EXPECT_EQ(row(p.row, 1, 2), "ab");
}

TEST_F(ConsoleTest, WriteFormattedFormatsAsPrintfDoes) {
  con.writeFormatted("%4s|%4d|  %02d|%2d|%c|%s", "Mon", -180, 5, 7, 'x', "end");
  EXPECT_EQ(row(1, 1, 24), " Mon|-180|  05| 7|x|end ");
  con.setWindow(1, 2, 80, 25);
  con.writeFormatted("%s", std::string(300, 'z').c_str());
  EXPECT_EQ(row(2), std::string(80, 'z'));
  EXPECT_EQ(row(5, 1, 61), std::string(60, 'z') + " ");
}

TEST_F(ConsoleTest, ClearWindowClearsOnlyTheWindowAndHomesTheCursor) {
  con.writeText(std::string(80 * 25 - 1, '#'));
  con.setWindow(3, 3, 5, 4);
  con.setTextBackground(2);
  con.setTextColor(2);
  con.moveCursor(2, 2);
  con.clearWindow();
  EXPECT_EQ(row(3, 2, 6), "#   #");
  EXPECT_EQ(row(4, 2, 6), "#   #");
  EXPECT_EQ(con.grid().at(3, 3).attr, 0x22);
  EXPECT_EQ(con.cursor(), (Position{3, 3}));
}

// ---- the console as a whole ----------------------------------------------------------------

TEST_F(ConsoleTest, ColorRecoloursEveryCellAndCarriesOnToEchoAndStandardOutput) {
  con.writeText("keep");
  con.setConsoleColours(0xF1);
  EXPECT_EQ(row(1, 1, 4), "keep");
  EXPECT_EQ(con.grid().at(1, 1).attr, 0xF1);
  EXPECT_EQ(con.grid().at(80, 25).attr, 0xF1);
  EXPECT_EQ(con.attribute(), 0x07) << "the layer's own attribute is not the console's";
  con.clearConsole();
  EXPECT_EQ(row(1, 1, 4), "    ");
  EXPECT_EQ(con.cursor(), (Position{1, 1}));
  con.writeStandardOutput("msg");
  EXPECT_EQ(con.grid().at(1, 1).attr, 0xF1);
}

TEST_F(ConsoleTest, ClsKeepsTheWindowAndAttribute) {
  con.setWindow(5, 20, 80, 25);
  con.setTextColor(140);
  con.clearConsole();
  EXPECT_EQ(con.window(), (TextWindow{5, 20, 80, 25}));
  EXPECT_EQ(con.attribute(), 0x8C);
}

TEST_F(ConsoleTest, StandardOutputScrollsTheWholeScreenAtTheLastRow) {
  con.setConsoleColours(0xF1);
  con.writeText("top row");
  con.setWindow(5, 20, 10, 22);
  con.moveCursor(1, 3);
  con.writeStandardOutput("\nDEN MPORO N ANOIXW TO ARXEIO   /settings/natasp\n\r");
  // The message went to row 23 at column 1 and left the cursor on row 24.
  EXPECT_EQ(row(23, 1, 47), "DEN MPORO N ANOIXW TO ARXEIO   /settings/natasp");
  EXPECT_EQ(con.cursor(), (Position{1, 24}));
  con.writeStandardOutput("\n\n");
  EXPECT_EQ(row(22, 1, 9), "DEN MPORO");
  EXPECT_EQ(row(1, 1, 7), "       ") << "the top row scrolled away";
  EXPECT_EQ(con.cursor(), (Position{1, 25}));
}

// ---- keys --------------------------------------------------------------------------------

TEST_F(ConsoleTest, KeyWithoutACharacterGivesZeroThenItsCodeWithoutWaiting) {
  backend.extended(59);
  backend.key(';');
  backend.extended(72);
  backend.key(0xE0);  // omega, from a Greek layout
  EXPECT_EQ(con.readKey(), 0);
  EXPECT_EQ(backend.keysLeft(), 3u);
  EXPECT_EQ(con.readKey(), 59);
  EXPECT_EQ(con.readKey(), 59);
  EXPECT_EQ(con.readKey(), 0);
  EXPECT_EQ(con.readKey(), 72);
  EXPECT_EQ(con.readKey(), -32) << "bytes of 128 and above come back negative";
}

TEST_F(ConsoleTest, ReadKeyShowsTheModelFirstWithTheCursorHidden) {
  con.writeText("shown");
  backend.key('x');
  con.readKey();
  ASSERT_TRUE(backend.lastGrid());
  EXPECT_EQ(backend.lastGrid()->rowText(1, 1, 5), "shown");
  EXPECT_FALSE(backend.lastCursorVisible());
}

TEST_F(ConsoleTest, LostInputCallsTheHandlerAndReadsAsMinusOne) {
  int lost = 0;
  con.setInputLostHandler([&] { ++lost; });
  EXPECT_EQ(con.readKey(), -1);
  EXPECT_EQ(lost, 1);
}

// ---- lines -------------------------------------------------------------------------------

TEST_F(ConsoleTest, ReadLineEchoesInConsoleColoursAndStoresWithoutTheLineEnd) {
  con.setConsoleColours(0xF1);
  con.setWindow(5, 20, 80, 25);
  con.setTextColor(140);
  con.writeText("Save File: ");
  backend.type("my chart\r");
  char buf[81] = "old";
  ASSERT_TRUE(con.readLine(buf, sizeof buf));
  EXPECT_STREQ(buf, "my chart");
  EXPECT_EQ(row(20, 16, 23), "my chart");
  EXPECT_EQ(con.grid().at(16, 20).attr, 0xF1);
  EXPECT_EQ(con.cursor(), (Position{1, 21})) << "Enter goes to column 1 of the next row";
}

TEST_F(ConsoleTest, ReadLineShowsItsCursorAtTheEchoPosition) {
  backend.type("ab");
  char buf[10];
  con.readLine(buf, sizeof buf);  // input ends: no line
  EXPECT_TRUE(backend.lastCursorVisible());
  EXPECT_EQ(backend.lastCursor(), (Position{3, 1}));
}

TEST_F(ConsoleTest, ReadLineEditsWithBackspaceAndCtrlU) {
  backend.type("abc\b\bX\x7f");  // DEL erases as Backspace does
  backend.key(8);
  backend.type("yz");
  backend.key(21);
  backend.type("final\r");
  char buf[20];
  ASSERT_TRUE(con.readLine(buf, sizeof buf));
  EXPECT_STREQ(buf, "final");
  EXPECT_EQ(row(1, 1, 8), "final   ");
  EXPECT_EQ(con.cursor(), (Position{1, 2}));
}

TEST_F(ConsoleTest, ReadLineAtEndOfInputLeavesTheBufferAsItWas) {
  char buf[20] = "untitled";
  EXPECT_FALSE(con.readLine(buf, sizeof buf));
  EXPECT_STREQ(buf, "untitled");
  backend.key(4);  // Ctrl+D on an empty line
  EXPECT_FALSE(con.readLine(buf, sizeof buf));
  backend.key(26);  // Ctrl+Z, as on the console the program was made for
  EXPECT_FALSE(con.readLine(buf, sizeof buf));
  EXPECT_STREQ(buf, "untitled");
}

TEST_F(ConsoleTest, ReadLineNeverWritesPastItsBuffer) {
  // A paste far longer than the buffer: the bytes that do not fit are refused.
  backend.type(std::string(500, 'n'));
  backend.type("\r");
  char storage[16 + 8];
  std::memset(storage, '#', sizeof storage);
  ASSERT_TRUE(con.readLine(storage, 16));
  EXPECT_EQ(std::strlen(storage), 15u);
  for (std::size_t i = 16; i < sizeof storage; ++i) EXPECT_EQ(storage[i], '#');
  EXPECT_EQ(backend.bells(), 1) << "one bell for the whole refused burst";
  // A key taken (Backspace here) ends the burst: the next refusal rings again.
  backend.type(std::string(15, 'a') + "bb\bcd\r");
  ASSERT_TRUE(con.readLine(storage, 16));
  EXPECT_STREQ(storage, "aaaaaaaaaaaaaac");
  EXPECT_EQ(backend.bells(), 3);
  char one[1] = {'q'};
  backend.type("abc\r");
  ASSERT_TRUE(con.readLine(one, 1));
  EXPECT_EQ(one[0], '\0');
  EXPECT_FALSE(con.readLine(nullptr, 10));
}

TEST_F(ConsoleTest, ReadLineIgnoresKeysWithoutACharacterAndControlBytes) {
  backend.extended(72);
  backend.key(9);
  backend.type("\x8E\xAF");  // Greek letters arrive as CP737 bytes
  backend.type("\r");
  char buf[10];
  ASSERT_TRUE(con.readLine(buf, sizeof buf));
  EXPECT_STREQ(buf, "\x8E\xAF");
  EXPECT_EQ(row(1, 1, 2), "Οψ");
}

TEST_F(ConsoleTest, ReadLineWrapsAtTheScreenEdgeAndBackspaceComesBack) {
  con.setWindow(5, 25, 80, 25);
  con.moveCursor(70, 1);  // column 74 of the last row
  backend.type("0123456789\b\b\b\b\r");
  char buf[81];
  ASSERT_TRUE(con.readLine(buf, sizeof buf));
  EXPECT_STREQ(buf, "012345");
  // The echo wrapped past column 80 and scrolled the screen once.
  EXPECT_EQ(row(24, 74, 80), "012345 ");
  EXPECT_EQ(row(25, 1, 4), "    ");
  EXPECT_EQ(con.cursor(), (Position{1, 25}));
}

TEST_F(ConsoleTest, LostInputDuringReadLineCallsTheHandler) {
  int lost = 0;
  con.setInputLostHandler([&] { ++lost; });
  backend.type("par");
  char buf[10] = "kept";
  EXPECT_FALSE(con.readLine(buf, sizeof buf));
  EXPECT_STREQ(buf, "kept");
  EXPECT_EQ(lost, 1);
}

}  // namespace
}  // namespace orvenda
