// Save, Open and Notes from the main screen: files written, names kept, and where
// control goes after each failure.
#include <gtest/gtest.h>

#include <filesystem>

#include "console/console_screen.h"
#include "support/program_harness.h"

namespace orvenda {
namespace {

using testing::ProgramHarness;

constexpr char kCantOpen[] = " I can't open that file, press any key to continue";
constexpr char kNoFile[] = "There is no file with that name, press any key to continue...";

std::vector<std::uint8_t> image(const BirthRecord& r) {
  const auto a = encodeChart(r);
  return {a.begin(), a.end()};
}

class ChartCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override { h.layOutWorkingDirectory(); }
  ProgramHarness h;
  const BirthRecord anna{14, 2, 1975, 6, 30, 0, 2, 0, 22, 56, 0, 40, 38, 0};
};

// ---- Save -------------------------------------------------------------------------------------

TEST_F(ChartCommandsTest, SaveUnderANewNameWritesTheChartAndItsNotesAndShowsIt) {
  h.backend.extended(80);  // day 6
  h.backend.key('S');
  h.backend.type("anna\r");
  h.run();
  EXPECT_EQ(h.dir.read("NAMES/anna").size(), 56u);
  EXPECT_EQ(h.chart("anna").day, 6);
  EXPECT_EQ(h.dir.read("NAMES/anna.txt").size(), 0u);
  EXPECT_EQ(h.shownRow(1, 1, 22), " Orvenda   NAMES\\anna ");
  EXPECT_EQ(h.app.state.chartName, "anna");
  EXPECT_EQ(h.app.state.chartPath, "NAMES\\anna");
}

TEST_F(ChartCommandsTest, SavePromptStandsInThePromptWindow) {
  h.backend.key('s');
  h.backend.type("an");
  h.run();
  EXPECT_EQ(h.shownRow(20, 5, 17), "Save File: an");
  EXPECT_EQ(h.shownAttr(5, 20), 0xF1);
  EXPECT_TRUE(h.backend.lastCursorVisible());
  EXPECT_EQ(h.backend.lastCursor(), (Position{18, 20}));
}

TEST_F(ChartCommandsTest, SaveWithAnEmptyAnswerSavesAsUntitled) {
  std::filesystem::remove(h.dir / "NAMES/untitled.txt");
  h.backend.extended(80);
  h.backend.key('s');
  h.backend.type("\r");
  std::filesystem::remove(h.dir / "NAMES/untitled.txt");
  h.run();
  EXPECT_EQ(h.chart("untitled").day, 6);
  EXPECT_TRUE(h.dir.exists("NAMES/untitled.txt"));
  EXPECT_EQ(h.shownRow(1, 1, 25), " Orvenda   NAMES\\untitled");
}

TEST_F(ChartCommandsTest, SaveOverAnExistingChartLeavesItsNotesAlone) {
  h.dir.write("NAMES/anna", image(anna));
  h.dir.write("NAMES/anna.txt", {'n', 'o', 't', 'e', 's'});
  h.backend.key('s');
  h.backend.type("anna\r");
  h.run();
  EXPECT_EQ(h.chart("anna").year, 1980) << "overwritten without a question";
  EXPECT_EQ(h.dir.read("NAMES/anna.txt").size(), 5u);
}

TEST_F(ChartCommandsTest, EndOfInputAtTheSavePromptSavesUnderTheCurrentName) {
  h.backend.extended(80);
  h.backend.key('s');
  h.backend.key(4);  // Ctrl+D on the empty line
  h.run();
  EXPECT_EQ(h.chart("untitled").day, 6);
  EXPECT_EQ(h.app.state.chartName, "untitled");
}

TEST_F(ChartCommandsTest, GreekNameIsStoredAsAReadableFileAndShownWithTheSameLetters) {
  h.backend.key('s');
  h.backend.terminalBytes("Γιώργος\r");
  h.run();
  EXPECT_TRUE(h.dir.exists("NAMES/Γιώργος"));
  EXPECT_TRUE(h.dir.exists("NAMES/Γιώργος.txt"));
  EXPECT_EQ(h.shownRow(1, 1, 24), " Orvenda   NAMES\\Γιώργος");
  EXPECT_EQ(h.app.state.chartName, "\x82\xA0\xE9\xA8\x9A\xA6\xAA");
}

TEST_F(ChartCommandsTest, NameLeavingTheChartFolderIsRefusedAndNothingIsWrittenElsewhere) {
  const std::vector<std::string> names = {"..\\settings\\langpro", "/tmp/x", std::string(70, 'n')};
  for (const std::string& name : names) {
    ProgramHarness g;
    g.layOutWorkingDirectory();
    g.backend.key('s');
    g.backend.type(name + "\r");
    g.run();
    // The message stands in the prompt window on the row after the echoed name.
    const int row = name.size() + 16 > 80 ? 22 : 21;
    EXPECT_EQ(g.shownRow(row, 5, 54), kCantOpen) << name;
    EXPECT_EQ(g.setting("langpro"), 0) << name;
    EXPECT_EQ(g.dir.list("NAMES").size(), 2u) << name << ": only untitled and its notes";
    EXPECT_EQ(g.dir.list("settings").size(), 11u) << name;
    EXPECT_EQ(g.app.state.chartName, name) << "the name is kept although nothing was written";
  }
}

TEST_F(ChartCommandsTest, FailedSaveClearsThePromptAndTheScreenGoesOn) {
  h.files.refuseWrite.insert("NAMES\\anna");
  h.backend.key('s');
  h.backend.type("anna\r");
  h.backend.key('k');
  h.backend.extended(80);
  h.run();
  EXPECT_EQ(h.app.record.day, 6) << "the key loop carries on with the record in memory";
  EXPECT_EQ(h.app.state.chartPath, "NAMES\\anna");
  // The prompt and the message are gone, and the menus and footer they covered are back:
  // below the record's strip, the screen is the one a fresh start shows.
  ProgramHarness fresh;
  fresh.layOutWorkingDirectory();
  fresh.run();
  for (int row = 9; row <= 25; ++row) {
    const std::string text = fresh.shownRow(row);
    ASSERT_EQ(h.shownRow(row), text) << "row " << row;
    // Letters in their colours; a blank shows only its background.
    for (int column = 1; column <= 80; ++column) {
      const int mask = text[static_cast<std::size_t>(column - 1)] == ' ' ? 0xF0 : 0xFF;
      ASSERT_EQ(h.shownAttr(column, row) & mask, fresh.shownAttr(column, row) & mask)
          << row << " " << column;
    }
  }
  EXPECT_EQ(h.shownRow(1, 1, 26), " Orvenda   NAMES\\untitled ") << "the title stays";
}

// While the message waits for its key, its row holds the message alone: the footer text
// that stood there ("turned to english language") doesn't run on after "continue".
TEST_F(ChartCommandsTest, TheFailureMessageRowHoldsTheMessageAlone) {
  h.files.refuseWrite.insert("NAMES\\anna");
  h.backend.key('s');
  h.backend.type("anna\r");
  h.run();
  EXPECT_EQ(h.shownRow(21), "    " + std::string(kCantOpen) + std::string(80 - 4 - 50, ' '));
}

TEST_F(ChartCommandsTest, AfterAFailedSaveTheTimeModeReloadFindsNoFile) {
  h.files.refuseWrite.insert("NAMES\\anna");
  h.backend.key('s');
  h.backend.type("anna\r");
  h.backend.key('k');
  h.backend.extended(60);
  h.backend.extended(60);
  h.run();
  EXPECT_EQ(h.shownRow(1, 1, 61), kNoFile);
  // Green over the background left by the last drawing (the cursor cell's green).
  EXPECT_EQ(h.shownAttr(1, 1), 0xA2);
}

TEST_F(ChartCommandsTest, NotesFileThatCannotBeCreatedIsReportedAndTheSaveGoesOn) {
  h.files.refuseWrite.insert("NAMES\\anna.txt");
  h.backend.key('s');
  h.backend.type("anna\r");
  h.backend.key('k');
  h.run();
  EXPECT_EQ(h.chart("anna").year, 1980);
  EXPECT_EQ(h.shownRow(1, 1, 22), " Orvenda   NAMES\\anna ");
}

// ---- Open ---------------------------------------------------------------------------------------

TEST_F(ChartCommandsTest, OpenShowsTheNamedChart) {
  h.dir.write("NAMES/anna", image(anna));
  h.backend.key('o');
  h.backend.type("anna\r");
  h.run();
  EXPECT_EQ(h.app.record, anna);
  EXPECT_EQ(h.shownRow(4, 5, 19), "  14    2 1975 ");
  EXPECT_EQ(h.shownRow(1, 1, 22), " Orvenda   NAMES\\anna ");
}

TEST_F(ChartCommandsTest, OpenWithAnEmptyAnswerReloadsTheCurrentChart) {
  h.backend.extended(80);
  h.backend.key('O');
  h.backend.type("\r");
  h.run();
  EXPECT_EQ(h.app.record.day, 5);
  EXPECT_EQ(h.app.state.chartName, "untitled");
}

TEST_F(ChartCommandsTest, OpenOfAMissingChartSavesTheRecordInMemoryAsUntitled) {
  h.backend.extended(80);
  h.backend.key('o');
  h.backend.type("nobody\r");
  h.backend.key('k');  // the no-file message
  h.run();
  EXPECT_EQ(h.chart("untitled").day, 6) << "the unsaved edit went into untitled";
  EXPECT_EQ(h.app.state.chartName, "untitled");
  EXPECT_FALSE(h.dir.exists("NAMES/nobody"));
  EXPECT_EQ(h.shownRow(1, 1, 25), " Orvenda   NAMES\\untitled");
}

TEST_F(ChartCommandsTest, NoFileMessageStandsOverTheOldScreen) {
  h.backend.key('o');
  h.backend.type("nobody\r");
  h.run();
  EXPECT_EQ(h.shownRow(1, 1, 61), kNoFile);
  EXPECT_EQ(h.shownRow(3, 6, 8), "Day") << "nothing was cleared";
}

TEST_F(ChartCommandsTest, GreekNoFileMessage) {
  h.setSetting("langpro", 1);
  h.backend.key('o');
  h.backend.type("x\r");
  h.run();
  EXPECT_EQ(h.shownRow(1, 1, 61), "Δεν υπάρχει τέτοιο αρχείο, πιέστε ένα πλήκτρο για συνέχεια...");
}

TEST_F(ChartCommandsTest, EndOfInputAtTheOpenPromptReloadsTheCurrentChart) {
  h.backend.extended(80);
  h.backend.key('o');
  h.backend.key(4);
  h.run();
  EXPECT_EQ(h.app.record.day, 5);
}

TEST_F(ChartCommandsTest, ShortChartFileKeepsTheOtherFieldsAsTheyWere) {
  h.dir.write("NAMES/short", {9, 0, 0, 0});
  h.backend.key('o');
  h.backend.type("short\r");
  h.run();
  EXPECT_EQ(h.app.record.day, 9);
  EXPECT_EQ(h.app.record.year, 1980);
}

// The chart opened, then its main screen fails on a settings file: the prompt asks
// again; an empty answer then reloads the same chart, and when that screen fails too,
// Open ends and the main screen that started it carries on.
TEST_F(ChartCommandsTest, OpenAsksAgainWhenItsMainScreenIsLeftAfterAFailure) {
  h.dir.write("NAMES/anna", image(anna));
  h.files.onRead = [&](std::string_view name) {
    if (name == "NAMES\\anna") h.files.refuseRead.insert("settings\\chrul");
  };
  h.backend.key('o');
  h.backend.type("anna\r");
  h.backend.key('k');  // the settings message
  h.backend.type("\r");
  h.backend.key('k');
  h.backend.extended(80);
  h.run();
  EXPECT_EQ(h.backend.keysLeft(), 0u);
  EXPECT_EQ(h.app.record.day, 15) << "the record is anna's, and the first screen goes on";
  int prompts = 0;
  for (const auto& r : h.files.reads) prompts += r == "NAMES\\anna";
  EXPECT_EQ(prompts, 2);
}

// ---- Notes --------------------------------------------------------------------------------------

TEST_F(ChartCommandsTest, NotesAfterAChartNameExistsOpenItsTextFile) {
  h.backend.key('s');
  h.backend.type("anna\r");
  h.backend.key('n');
  h.run();
  EXPECT_EQ(h.shell.commands.back(), "start NAMES\\anna.txt");
  EXPECT_EQ(h.app.state.chartPath, "NAMES\\anna");
}

TEST_F(ChartCommandsTest, NotesBeforeAnyChartNameOpensNothingAndReloads) {
  h.app.state.chartPath = "NAMES\\";
  h.app.state.chartName.clear();
  try {
    FramePtr main = h.app.openNotes();
    ASSERT_TRUE(main) << "the reload path enters the main screen";
  } catch (const testing::ProgramEnded&) {
  }
  for (const auto& c : h.shell.commands) EXPECT_NE(c.rfind("start", 0), 0u) << c;
}

TEST_F(ChartCommandsTest, NotesOfANameThatLeavesTheFolderAreNeverOpened) {
  h.files.refuseWrite.insert("NAMES\\..\\x");
  h.backend.key('s');
  h.backend.type("..\\x\r");
  h.backend.key('k');
  h.backend.key('n');
  h.run();
  for (const auto& c : h.shell.commands) EXPECT_EQ(c.find("start"), std::string::npos) << c;
}

}  // namespace
}  // namespace orvenda
