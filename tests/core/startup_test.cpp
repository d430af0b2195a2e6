// Start-up steps before the first screen, parkCursor and exitProgram.
#include <gtest/gtest.h>

#include "support/program_harness.h"

namespace orvenda {
namespace {

using testing::int32s;
using testing::ProgramHarness;

using Commands = std::vector<std::string>;

TEST(StartUp, MissingDefaultPlaceShowsTheMessageWaitsForAKeyClearsAndEnds) {
  ProgramHarness h;
  h.dir.mkdir("NAMES");
  h.backend.key('x');
  h.backend.key('y');
  EXPECT_EQ(h.run(), kExitFailure);
  EXPECT_EQ(h.backend.keysLeft(), 1u) << "exactly one key is awaited";
  // The frame shown while the key was awaited holds the message at the top-left, in the
  // colours the console had: nothing was recoloured.
  ASSERT_TRUE(h.backend.lastGrid());
  EXPECT_EQ(h.backend.lastGrid()->rowText(1, 1, 50),
            " I can't open that file, press any key to continue");
  EXPECT_EQ(h.backend.lastGrid()->at(2, 1).attr, 0x07);
  EXPECT_EQ(h.shell.commands, Commands{});
  // Afterwards the screen is clear.
  EXPECT_EQ(h.row(1), std::string(80, ' '));
  EXPECT_EQ(h.console.cursor(), (Position{1, 1}));
}

TEST(StartUp, LostTerminalWhileTheMessageWaitsEndsTheProgram) {
  ProgramHarness h;
  EXPECT_EQ(h.run(), kExitFailure);
  EXPECT_EQ(h.shell.commands, Commands{});
}

TEST(StartUp, DefaultPlaceGoesIntoTheRecordThenTheConsoleIsPainted) {
  ProgramHarness h;
  h.layOutWorkingDirectory();
  h.dir.write("settings/lonlat", int32s({-74, 0, 21, 40, 42, 46}));
  h.backend.key(27);
  EXPECT_EQ(h.run(), kExitNormal);
  const BirthRecord& r = h.program->record();
  EXPECT_EQ(r.lonDegrees, -74);
  EXPECT_EQ(r.lonSeconds, 21);
  EXPECT_EQ(r.latDegrees, 40);
  EXPECT_EQ(r.latSeconds, 46);
  EXPECT_EQ(h.program->state().defaultPlace, (std::array<std::int32_t, 6>{-74, 0, 21, 40, 42, 46}));
  EXPECT_EQ(h.shell.commands, (Commands{"color f1", "cls", "color 07", "cls"}));
}

TEST(StartUp, EmptyDefaultPlaceGivesZeroLongitudeAndLatitude) {
  ProgramHarness h;
  h.layOutWorkingDirectory();
  h.dir.write("settings/lonlat", {});
  h.backend.key(27);
  EXPECT_EQ(h.run(), kExitNormal);
  const BirthRecord& r = h.program->record();
  for (int i = 8; i < 14; ++i) EXPECT_EQ(r.field(i), 0) << i;
  EXPECT_EQ(r.year, defaultBirthRecord.year);
}

TEST(StartUp, ShortDefaultPlaceFillsOnlyTheFieldsItHolds) {
  ProgramHarness h;
  h.layOutWorkingDirectory();
  h.dir.write("settings/lonlat", {10, 0, 0, 0, 20, 0, 0, 0, 30});  // two fields and a bit
  h.backend.key(27);
  h.run();
  EXPECT_EQ(h.program->state().defaultPlace, (std::array<std::int32_t, 6>{10, 20, 0, 0, 0, 0}));
  EXPECT_EQ(h.program->record().lonMinutes, 20);
  EXPECT_EQ(h.program->record().latMinutes, 0);
}

TEST(StartUp, EscapeRestoresTheConsoleColoursClearsAndEndsWithZero) {
  ProgramHarness h;
  h.layOutWorkingDirectory();
  h.backend.key('q');
  h.backend.extended(72);
  h.backend.key(27);
  EXPECT_EQ(h.run(), kExitNormal);
  EXPECT_EQ(h.console.consoleAttribute(), 0x07);
  EXPECT_EQ(h.console.grid(), CellGrid(80, 25, Cell{' ', 0x07}));
  EXPECT_EQ(h.dir.list("NAMES").size(), 0u) << "nothing is written on the way out";
}

TEST(StartUp, ParkCursorIsTheOneCellWindowAtTheTopRight) {
  ProgramHarness h;
  h.layOutWorkingDirectory();
  h.backend.key(27);
  h.run();
  h.program->parkCursor();
  EXPECT_EQ(h.console.window(), (TextWindow{80, 1, 80, 1}));
  EXPECT_EQ(h.console.cursor(), (Position{80, 1}));
}

}  // namespace
}  // namespace orvenda
