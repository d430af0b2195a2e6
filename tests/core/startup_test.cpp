// The start-up sequence and where control goes when its first screens fail.
#include <gtest/gtest.h>

#include "support/program_harness.h"

namespace orvenda {
namespace {

using testing::int32s;
using testing::ProgramHarness;
using Names = std::vector<std::string>;

constexpr char kCantOpen[] = " I can't open that file, press any key to continue";

TEST(StartUp, MissingDefaultPlaceShowsTheMessageWaitsForAKeyClearsAndEnds) {
  ProgramHarness h;
  h.layOutWorkingDirectory();
  std::filesystem::remove(h.dir / "settings/lonlat");
  h.backend.key('x');
  h.backend.key('y');
  EXPECT_EQ(h.run(), kExitFailure);
  EXPECT_EQ(h.backend.keysLeft(), 1u) << "exactly one key is awaited";
  // Shown at the top-left in the colours the console had: nothing was recoloured.
  EXPECT_EQ(h.shownRow(1, 1, 50), kCantOpen);
  EXPECT_EQ(h.shownAttr(2, 1), 0x07);
  EXPECT_EQ(h.shell.commands, Names{});
  EXPECT_EQ(h.row(1), std::string(80, ' ')) << "cleared after the key";
  EXPECT_EQ(h.dir.list("NAMES").size(), 0u);
}

TEST(StartUp, LostTerminalWhileTheMessageWaitsEndsTheProgram) {
  ProgramHarness h;
  EXPECT_EQ(h.run(), kExitFailure);
  EXPECT_EQ(h.shell.commands, Names{});
}

TEST(StartUp, FirstScreenShowsTheChartUntitledWithTheClockAndTheDefaultPlace) {
  ProgramHarness h;
  h.layOutWorkingDirectory();
  h.dir.write("settings/lonlat", int32s({-74, 0, 21, 40, 42, 46}));
  h.backend.key(27);
  EXPECT_EQ(h.run(), kExitNormal);
  const BirthRecord expected{5, 3, 1980, 12, 7, 9, 0, 0, -74, 0, 21, 40, 42, 46};
  EXPECT_EQ(h.chart("untitled"), expected);
  EXPECT_EQ(h.dir.read("NAMES/untitled").size(), 56u);
  EXPECT_TRUE(h.dir.exists("NAMES/untitled.txt"));
  EXPECT_EQ(h.shownRow(1, 1, 25), " Orvenda   NAMES\\untitled");
  EXPECT_EQ(h.shownRow(4, 5, 74),
            "   5    3 1980   12   07   09    0   00  -74   00   21   40   42   46 ");
  // Colours at start-up, colours at the main screen's entry, colours on the way out.
  EXPECT_EQ(h.shell.commands, (Names{"color f1", "cls", "color f1", "cls", "color 07", "cls"}));
  EXPECT_EQ(h.app.state.defaultPlace, (std::array<std::int32_t, 6>{-74, 0, 21, 40, 42, 46}));
}

TEST(StartUp, StartsInTheComputersZone) {
  ProgramHarness h;
  testing::ScopedZone athens("EET-2");
  h.layOutWorkingDirectory();
  h.backend.key(27);
  h.run();
  const BirthRecord r = h.chart("untitled");
  EXPECT_EQ(r.hour, 14);
  EXPECT_EQ(r.gmtHours, 2);
}

TEST(StartUp, EmptyDefaultPlaceGivesZeroLongitudeAndLatitude) {
  ProgramHarness h;
  h.layOutWorkingDirectory();
  h.dir.write("settings/lonlat", {});
  h.backend.key(27);
  EXPECT_EQ(h.run(), kExitNormal);
  for (int i = 8; i < 14; ++i) EXPECT_EQ(h.chart("untitled").field(i), 0) << i;
}

TEST(StartUp, ShortDefaultPlaceFillsOnlyTheFieldsItHolds) {
  ProgramHarness h;
  h.layOutWorkingDirectory();
  h.dir.write("settings/lonlat", {10, 0, 0, 0, 20, 0, 0, 0, 30});
  h.backend.key(27);
  h.run();
  EXPECT_EQ(h.app.state.defaultPlace, (std::array<std::int32_t, 6>{10, 20, 0, 0, 0, 0}));
}

TEST(StartUp, EscapeRestoresTheConsoleColoursClearsAndWritesNothing) {
  ProgramHarness h;
  h.layOutWorkingDirectory();
  h.backend.extended(80);  // an unsaved edit
  h.backend.key(27);
  EXPECT_EQ(h.run(), kExitNormal);
  EXPECT_EQ(h.console.consoleAttribute(), 0x07);
  EXPECT_EQ(h.console.grid(), CellGrid(80, 25, Cell{' ', 0x07}));
  EXPECT_EQ(h.chart("untitled").day, 5) << "the edit is not saved";
  EXPECT_EQ(h.files.writes, Names{"NAMES\\untitled"}) << "only start-up's own save";
}

// A settings file missing at start-up: the message twice (the first main screen, then
// the one that step 7 enters), then the end.
TEST(StartUp, MissingMainScreenSettingShowsItsMessageTwiceThenEnds) {
  ProgramHarness h;
  h.layOutWorkingDirectory();
  std::filesystem::remove(h.dir / "settings/chrul");
  h.backend.key('a');
  h.backend.key('b');
  h.backend.key('c');
  EXPECT_EQ(h.run(), kExitFailure);
  EXPECT_EQ(h.backend.keysLeft(), 1u) << "two keys, one per message";
  EXPECT_EQ(h.shownRow(1, 1, 50), kCantOpen);
  const Names oneEntry = {"settings\\langpro",  "settings\\langhor",     "settings\\metaixmio",
                          "settings\\zodcyber", "settings\\borderinter", "settings\\chrul"};
  Names expected = {"settings\\lonlat", "NAMES\\untitled"};
  expected.insert(expected.end(), oneEntry.begin(), oneEntry.end());
  expected.push_back("NAMES\\untitled");
  expected.insert(expected.end(), oneEntry.begin(), oneEntry.end());
  EXPECT_EQ(h.files.reads, expected);
}

TEST(StartUp, MissingFirstSettingReadsNoOther) {
  ProgramHarness h;
  h.layOutWorkingDirectory();
  h.setSetting("langhor", 1);
  std::filesystem::remove(h.dir / "settings/langpro");
  h.backend.key('a');
  h.backend.key('b');
  EXPECT_EQ(h.run(), kExitFailure);
  for (const auto& name : h.files.reads) EXPECT_NE(name, "settings\\langhor");
  EXPECT_EQ(h.app.state.horoscopeLanguage, 0);
}

TEST(StartUp, SettingsReadBeforeTheFailingOneKeepTheirValues) {
  ProgramHarness h;
  h.layOutWorkingDirectory();
  h.setSetting("metaixmio", 9);
  h.setSetting("borderinter", 1);
  std::filesystem::remove(h.dir / "settings/borderinter");
  h.backend.key('a');
  h.backend.key('b');
  h.run();
  EXPECT_EQ(h.app.state.borderlineDegrees, 9);
  EXPECT_EQ(h.app.state.borderlineInterpretation, 0);
}

// Without NAMES the first save fails; step 7 finds no untitled chart, its fallback save
// fails too, and the program ends: three messages, three keys.
TEST(StartUp, WithoutTheChartFolderEveryStepReportsAndTheProgramEnds) {
  ProgramHarness h;
  h.layOutWorkingDirectory();
  std::filesystem::remove(h.dir / "NAMES");
  for (char k : {'1', '2', '3', '4'}) h.backend.key(k);
  EXPECT_EQ(h.run(), kExitFailure);
  EXPECT_EQ(h.backend.keysLeft(), 1u);
  EXPECT_FALSE(h.dir.exists("NAMES"));
}

// An untitled chart from an earlier run is what step 7 shows when the first save fails.
TEST(StartUp, ReloadStepShowsTheUntitledChartOfAnEarlierRun) {
  ProgramHarness h;
  h.layOutWorkingDirectory();
  const BirthRecord earlier{24, 12, 1999, 23, 59, 58, 1, 0, 1, 2, 3, 4, 5, 6};
  h.writeChart("untitled", earlier);
  h.files.refuseWrite.insert("NAMES\\untitled");
  h.backend.key('k');  // the failed save's message
  h.backend.key(27);
  EXPECT_EQ(h.run(), kExitNormal);
  EXPECT_EQ(h.app.record, earlier);
}

}  // namespace
}  // namespace orvenda
