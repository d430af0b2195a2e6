// The main screen cell by cell in English and Greek, and every command of its key table.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sheet/print_sheet.h"
#include "support/program_harness.h"

namespace orvenda {
namespace {

using testing::int32s;
using testing::ProgramHarness;
using Names = std::vector<std::string>;

std::string rtrim(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

class MainScreenTest : public ::testing::Test {
 protected:
  void SetUp() override { h.layOutWorkingDirectory(); }
  // Runs the program with the keys given; input then runs out, which ends it.
  int runWith(std::initializer_list<int> keys) {
    for (int k : keys) {
      if (k >= 1000)
        h.backend.extended(static_cast<std::uint8_t>(k - 1000));
      else
        h.backend.key(static_cast<std::uint8_t>(k));
    }
    return h.run();
  }
  std::vector<std::string> shownRows() {
    std::vector<std::string> rows;
    for (int r = 1; r <= 25; ++r) rows.push_back(rtrim(h.shownRow(r)));
    return rows;
  }
  ProgramHarness h;
};

constexpr int kUp = 1072, kDown = 1080, kLeft = 1075, kRight = 1077;
constexpr int F(int n) { return 1058 + n; }

// ---- layout -----------------------------------------------------------------------------------

TEST_F(MainScreenTest, EnglishScreenCellByCell) {
  runWith({});
  const std::vector<std::string> expected = {
      " Orvenda   NAMES\\untitled",
      "",
      " ↑→  Day  Mon Year Hour  Min  Sec  GMT  min  LON  Min  Sec  LAT  Min  Sec",
      " ←↓    5    3 1980   12   07   09    0   00   23   46   00   37   58   00",
      "",
      "                   F2-Time: known            F3-Longitude, Latitude",
      "                   F5-Sex : Required         F8-Save Longitude Latitude",
      "",
      "    Open                               Configuration Settings",
      "    Save",
      "    Read/Print                         Aspects",
      "    Name                               Planets",
      "    Chart for Now                      Borderline: +-  0",
      "                                       Zodiac Rulers Always:      No",
      "                                       Borderline Interpretation: No",
      "                                       Change Rulers:             No",
      "    F1-Help",
      "    F4-About",
      "",
      "    Esc-Exit                           No mouse, use your keyboard",
      "                                       turned to english language",
      "",
      "",
      "",
      "    Orvenda (c) 2026 The Orvenda authors. All rights reserved.",
  };
  EXPECT_EQ(shownRows(), expected);
}

TEST_F(MainScreenTest, GreekScreenCellByCell) {
  h.setSetting("langpro", 1);
  h.setSetting("langhor", 1);
  h.setSetting("zodcyber", 1);
  h.setSetting("chrul", 2);
  h.setSetting("metaixmio", 12);
  runWith({});
  const std::vector<std::string> expected = {
      " Orvenda   NAMES\\untitled",
      "",
      " ↑→  Ημέ  Μήν Ετος  Ωρα  Λεπ  Δευ  GMT  Λεπ  Μήκ  Λεπ  Δευ  Πλά  Λεπ  Δευ",
      " ←↓    5    3 1980   12   07   09    0   00   23   46   00   37   58   00",
      "",
      "                   F2-Ωρα : Γνωστή           F3-Γεωγραφικό Μήκος και Πλάτος",
      "                   F5-Φύλο: Απαραίτητο       F8-Σώσε Μήκος Πλάτος",
      "",
      "    Ανoιξε                             Διαμόρφωση",
      "    Σώσε",
      "    R-Διάβασε/Τύπωσε                   Οψεις",
      "    Ονομα                              Πλανήτες",
      "    Ημερομηνία/Ωρα Tώρα                Μεταίχμιο:  +- 12",
      "    F6-Γλώσσα Προγράμματος             Zωδιακοί Κυβερνήτες Πάντα: Ναι",
      "    F7-Γλώσσα Ωροσκοπίων   Ελληνικά    Eρμηνείες Ακμής:           Οχι",
      "                                       U-Αλλαξε Κυβερνήτες:       Ανάμικτοι",
      "    F1-Βοήθεια",
      "    F4-Περί",
      "",
      "    Esc-Εξοδος                         Χρησιμοποίησε το πληκτρολόγιο",
      "                                       γυρισμένο στα αγγλικά",
      "",
      "",
      "",
      "    Orvenda (c) 2026 The Orvenda authors. All rights reserved.",
  };
  EXPECT_EQ(shownRows(), expected);
  // The Greek hot letters in light red over their labels.
  for (auto [c, r] : {std::pair{7, 9},
                      {5, 10},
                      {5, 11},
                      {6, 12},
                      {20, 13},
                      {5, 14},
                      {6, 14},
                      {5, 15},
                      {6, 15},
                      {41, 11},
                      {41, 12},
                      {40, 14},
                      {40, 15},
                      {40, 16}})
    EXPECT_EQ(h.shownAttr(c, r), 0xFC) << c << "," << r;
  EXPECT_EQ(h.shownAttr(8, 9), 0xF1);
  EXPECT_EQ(h.shownAttr(28, 15), 0xF2) << "the horoscope language as a notice";
}

TEST_F(MainScreenTest, EnglishColoursAtEveryPositionGiven) {
  runWith({});
  EXPECT_EQ(h.shownAttr(1, 1), 0xF1);
  for (auto [c, r] : {std::pair{2, 3}, {3, 3}, {2, 4}, {3, 4}}) EXPECT_EQ(h.shownAttr(c, r), 0xFC);
  // Menu hot letters: O S R N, the t of Chart, F1, F4, Esc.
  for (auto [c, r] : {std::pair{5, 9},
                      {5, 10},
                      {5, 11},
                      {5, 12},
                      {9, 13},
                      {5, 17},
                      {6, 17},
                      {5, 18},
                      {6, 18},
                      {5, 20},
                      {6, 20},
                      {7, 20}})
    EXPECT_EQ(h.shownAttr(c, r), 0xFC) << c << "," << r;
  for (auto [c, r] : {std::pair{6, 9}, {6, 10}, {8, 13}, {10, 13}, {7, 17}, {8, 20}})
    EXPECT_EQ(h.shownAttr(c, r), 0xF1) << c << "," << r;
  // Configuration: the c of Aspects, the l of Planets, Z, e, u.
  for (auto [c, r] : {std::pair{44, 11}, {41, 12}, {40, 14}, {44, 15}, {48, 16}})
    EXPECT_EQ(h.shownAttr(c, r), 0xFC) << c << "," << r;
  EXPECT_EQ(h.shownAttr(40, 9), 0xF1);
  EXPECT_EQ(h.shownAttr(43, 11), 0xF1);
  // Values as green notices; "+-" in light red.
  EXPECT_EQ(h.shownAttr(52, 13), 0xFC);
  EXPECT_EQ(h.shownAttr(53, 13), 0xFC);
  for (auto [c, r] : {std::pair{56, 13}, {67, 14}, {67, 15}, {67, 16}, {29, 6}, {29, 7}})
    EXPECT_EQ(h.shownAttr(c, r), 0xF2) << c << "," << r;
  // Key strip keys.
  for (auto [c, r] : {std::pair{20, 6}, {21, 6}, {20, 7}, {46, 6}, {47, 6}, {46, 7}})
    EXPECT_EQ(h.shownAttr(c, r), 0xFC) << c << "," << r;
  EXPECT_EQ(h.shownAttr(22, 6), 0xF1);
  EXPECT_EQ(h.shownAttr(40, 20), 0xF1);
  EXPECT_EQ(h.shownAttr(5, 25), 0xF1);
}

TEST_F(MainScreenTest, RecordStripColoursWithTheCursorOnFieldZero) {
  runWith({});
  // Each cell's texts fill its first four columns; the fifth is blank in the panel's
  // colour.
  for (int c = 5; c <= 8; ++c) {
    EXPECT_EQ(h.shownAttr(c, 3), 0x9F) << "cursor label, column " << c;
    EXPECT_EQ(h.shownAttr(c, 4), 0x2F) << "cursor value, column " << c;
  }
  EXPECT_EQ(h.shownAttr(9, 3), 0x99);
  EXPECT_EQ(h.shownAttr(9, 4), 0x22);
  for (int c = 10; c <= 74; ++c) {
    const bool fifth = (c - 5) % 5 == 4;
    const TextAttribute label = fifth ? 0x11 : c == 36 ? 0x1E : 0x1F;  // the G of GMT yellow
    EXPECT_EQ(h.shownAttr(c, 3), label) << c;
    EXPECT_EQ(h.shownAttr(c, 4), fifth ? 0x99 : 0x9F) << c;
  }
  EXPECT_EQ(h.shownAttr(75, 3), 0xF1);
}

TEST_F(MainScreenTest, CursorCellOnFieldsSixAndThirteen) {
  runWith({kLeft});
  for (int c = 70; c <= 73; ++c) {
    EXPECT_EQ(h.shownAttr(c, 3), 0x9F);
    EXPECT_EQ(h.shownAttr(c, 4), 0x2F);
  }
  EXPECT_EQ(h.shownAttr(74, 4), 0x22);
  EXPECT_EQ(h.shownAttr(5, 3), 0x1F);
  ProgramHarness g;
  g.layOutWorkingDirectory();
  for (int i = 0; i < 6; ++i) g.backend.extended(77);
  g.run();
  for (int c = 35; c <= 38; ++c) EXPECT_EQ(g.shownAttr(c, 4), 0x2F);
  EXPECT_EQ(g.shownAttr(35, 3), 0x9F);
  EXPECT_EQ(g.shownAttr(36, 3), 0x1E) << "the G stays yellow under the cursor";
  EXPECT_EQ(g.shownRow(3, 35, 39), " GMT ");
}

TEST_F(MainScreenTest, ValuesInTheirFormats) {
  const BirthRecord r{31, 4, 1980, 0, 5, 0, -3, 30, -180, 5, 9, -90, 0, 59};
  h.writeChart("odd", r);
  h.backend.key('o');
  h.backend.type("odd\r");
  h.run();
  // 31 April is shown as 1 May, and stays so in the record.
  EXPECT_EQ(h.shownRow(4, 5, 74),
            "   1    5 1980    0   05   00   -3   30 -180   05   09  -90   00   59 ");
  EXPECT_EQ(h.app.record.month, 5);
  EXPECT_EQ(h.shownRow(1, 1, 21), " Orvenda   NAMES\\odd ");
}

TEST_F(MainScreenTest, ValueTooWideForItsCellShowsStars) {
  const BirthRecord r{1, 1, 12345, 0, 5, 0, -3, 30, 200, 5, 9, -90, 0, -100000};
  h.writeChart("wide", r);
  h.backend.key('o');
  h.backend.type("wide\r");
  h.run();
  EXPECT_EQ(h.shownRow(4, 15, 19), "**** ");
  EXPECT_EQ(h.shownRow(4, 45, 49), " 200 ");
  EXPECT_EQ(h.shownRow(4, 70, 74), "**** ");
}

TEST_F(MainScreenTest, SettingValuesOutsideTheirTablesShowNothing) {
  h.setSetting("zodcyber", 7);
  h.setSetting("borderinter", -1);
  h.setSetting("chrul", 3);
  h.setSetting("metaixmio", 40);
  runWith({});
  EXPECT_EQ(rtrim(h.shownRow(14, 40)), "Zodiac Rulers Always:");
  EXPECT_EQ(rtrim(h.shownRow(15, 40)), "Borderline Interpretation:");
  EXPECT_EQ(rtrim(h.shownRow(16, 40)), "Change Rulers:");
  EXPECT_EQ(h.shownRow(13, 55, 56), "40");
}

TEST_F(MainScreenTest, ProgramLanguageOtherThanZeroOrOneDrawsNeither) {
  h.setSetting("langpro", 2);
  runWith({});
  EXPECT_EQ(rtrim(h.shownRow(9)), "");
  EXPECT_EQ(rtrim(h.shownRow(6)), "                   F2                        F3");
  EXPECT_EQ(h.shownRow(3, 5, 14), "          ");
  EXPECT_EQ(h.shownRow(3, 36, 36), "G");
  EXPECT_EQ(h.shownRow(1, 1, 25), " Orvenda   NAMES\\untitled");
}

// ---- editing --------------------------------------------------------------------------------

TEST_F(MainScreenTest, UpAndDownEditTheFieldUnderTheCursorWithItsBounds) {
  runWith({kDown, kDown, kRight, kUp, kRight, kDown, kRight, kRight, kUp, kUp, 'H', 'P'});
  const BirthRecord& r = h.app.record;
  EXPECT_EQ(r.day, 7);
  EXPECT_EQ(r.month, 2);
  EXPECT_EQ(r.year, 1981);
  EXPECT_EQ(r.minute, 5) << "7, Up twice, H once more, then P down again";
  EXPECT_EQ(h.app.state.cursorField, 4);
  EXPECT_EQ(h.app.state.cursorColumn, 20);
}

TEST_F(MainScreenTest, LowerCaseCursorLettersDoNothing) {
  runWith({'h', 'k', 'm', 'p'});
  EXPECT_EQ(h.app.record.day, 5);
  EXPECT_EQ(h.app.state.cursorField, 0);
}

TEST_F(MainScreenTest, CursorWrapsAtBothEnds) {
  runWith({kLeft});
  EXPECT_EQ(h.app.state.cursorField, 13);
  EXPECT_EQ(h.app.state.cursorColumn, 65);
  ProgramHarness g;
  g.layOutWorkingDirectory();
  for (int i = 0; i < 14; ++i) g.backend.extended(77);
  g.run();
  EXPECT_EQ(g.app.state.cursorField, 0);
  EXPECT_EQ(g.app.state.cursorColumn, 0);
}

TEST_F(MainScreenTest, YearWrapsAndDateNormalisesBeforeEveryDraw) {
  const BirthRecord r{31, 1, 1900, 12, 0, 0, 2, 0, 23, 46, 0, 37, 58, 0};
  h.writeChart("c", r);
  h.backend.key('o');
  h.backend.type("c\r");
  h.backend.extended(77);
  h.backend.extended(80);  // month 2, day 31: shown as 1 March 1900
  h.run();
  EXPECT_EQ(h.shownRow(4, 5, 19), "   1    3 1900 ");
  ProgramHarness g;
  g.layOutWorkingDirectory();
  g.backend.key('o');
  g.writeChart("c", r);
  g.backend.type("c\r");
  g.backend.extended(77);
  g.backend.extended(77);
  g.backend.extended(72);
  g.run();
  EXPECT_EQ(g.app.record.year, 2000);
}

TEST_F(MainScreenTest, TimeModeUnknownShowsNoonAndKnownBringsBackTheStoredRecord) {
  runWith({kDown, F(2)});
  EXPECT_EQ(h.shownRow(4, 20, 34), "  12   00   00 ");
  EXPECT_EQ(h.shownRow(6, 29, 36), "un-known");
  EXPECT_EQ(h.app.record.day, 6) << "other edits stay while the time is unknown";
  ProgramHarness g;
  g.layOutWorkingDirectory();
  for (int k : {kDown, F(2), F(2)}) g.backend.extended(static_cast<std::uint8_t>(k - 1000));
  g.run();
  EXPECT_EQ(g.app.record.day, 5) << "the stored record is back, the edit dropped";
  EXPECT_EQ(g.app.record.minute, 7);
  EXPECT_EQ(g.shownRow(6, 29, 36), "known   ");
}

TEST_F(MainScreenTest, SexCyclesAndIsNotStored) {
  runWith({F(5)});
  EXPECT_EQ(h.shownRow(7, 29, 36), "Man     ");
  ProgramHarness g;
  g.layOutWorkingDirectory();
  for (int i = 0; i < 3; ++i) g.backend.extended(63);
  g.backend.type("?");  // ? is F5's code
  g.run();
  EXPECT_EQ(g.app.state.sex, 1);
}

// ---- settings ------------------------------------------------------------------------------

TEST_F(MainScreenTest, PlusAndMinusStoreTheBorderlineWithinZeroToFifteen) {
  h.setSetting("metaixmio", 15);
  runWith({'+'});
  EXPECT_EQ(h.setting("metaixmio"), 15);
  EXPECT_EQ(h.dir.read("settings/metaixmio").size(), 4u);
  EXPECT_EQ(h.shownRow(13, 55, 56), "15");
  ProgramHarness g;
  g.layOutWorkingDirectory();
  g.backend.type("-");
  g.run();
  EXPECT_EQ(g.setting("metaixmio"), 0);
  ProgramHarness f;
  f.layOutWorkingDirectory();
  f.setSetting("metaixmio", 40);
  f.backend.type("--+");
  f.run();
  EXPECT_EQ(f.setting("metaixmio"), 15) << "40, 39, 38, then + stores 15";
}

TEST_F(MainScreenTest, PlusRefreshesOnlyTheValue) {
  runWith({kDown, '+'});
  EXPECT_EQ(h.shownRow(13, 55, 56), " 1");
  EXPECT_EQ(h.app.record.day, 6) << "no reload after +";
}

TEST_F(MainScreenTest, CyclingSettingsAreStoredAndTheScreenEnteredAnew) {
  h.setSetting("zodcyber", 5);
  h.setSetting("borderinter", -3);
  h.setSetting("chrul", 2);
  runWith({kDown, 'z', 'E', 'u'});
  EXPECT_EQ(h.setting("zodcyber"), 0);
  EXPECT_EQ(h.setting("borderinter"), -2);
  EXPECT_EQ(h.setting("chrul"), 0);
  EXPECT_EQ(h.app.record.day, 5) << "entering anew drops the unsaved edit";
  EXPECT_EQ(h.shownRow(14, 67, 68), "No");
  EXPECT_EQ(h.shownRow(16, 67, 68), "No");
}

TEST_F(MainScreenTest, LanguageKeysOnlyEverSetEnglish) {
  h.setSetting("langpro", 1);
  h.setSetting("langhor", 1);
  runWith({F(7)});
  EXPECT_EQ(h.setting("langhor"), 0);
  EXPECT_EQ(h.setting("langpro"), 1);
  EXPECT_EQ(h.shownRow(15, 28, 34), "Αγγλικά") << "English horoscopes, named in Greek";
  ProgramHarness g;
  g.layOutWorkingDirectory(1);
  g.backend.extended(64);
  g.backend.extended(64);
  g.run();
  EXPECT_EQ(g.setting("langpro"), 0);
  EXPECT_EQ(g.shownRow(9, 5, 8), "Open");
}

TEST_F(MainScreenTest, F8StoresThePlaceForTheNextRun) {
  runWith({kLeft, kDown, kDown, F(8)});
  EXPECT_EQ(h.dir.read("settings/lonlat"), int32s({23, 46, 0, 37, 58, 2}));
  ProgramHarness next;
  next.layOutWorkingDirectory();
  next.dir.write("settings/lonlat", h.dir.read("settings/lonlat"));
  next.run();
  EXPECT_EQ(next.app.record.latSeconds, 2);
}

// A setting that can't be written: the message where it can be read, one key, and the
// main screen is left; here it was the first one, so the program reloads untitled at
// start-up's step 7 and shows it again.
TEST_F(MainScreenTest, FailedSettingWriteReportsOnTheTopLineAndLeavesTheScreen) {
  h.files.refuseWrite.insert("settings\\metaixmio");
  runWith({'+', 'k'});
  EXPECT_EQ(h.backend.keysLeft(), 0u);
  EXPECT_EQ(h.setting("metaixmio"), 0);
  // The main screen shown again reads the stored value.
  EXPECT_EQ(h.app.state.borderlineDegrees, 0);
  EXPECT_EQ(h.shownRow(13, 55, 56), " 0");
  // The frame shown while the message waited.
  ProgramHarness g;
  g.layOutWorkingDirectory();
  g.files.refuseWrite.insert("settings\\metaixmio");
  g.backend.key('+');
  g.run();
  EXPECT_EQ(g.shownRow(1, 1, 51), " I can't open that file, press any key to continue ");
  EXPECT_EQ(g.shownAttr(2, 1), 0xF2);
}

TEST_F(MainScreenTest, FailedSettingWriteAfterEnteringAnewGoesBackToThePreviousScreen) {
  // z enters anew; then + fails on that second screen, which is left: the first screen
  // carries on, refreshed, with the value kept in memory.
  h.files.refuseWrite.insert("settings\\metaixmio");
  runWith({'z', '+', 'k', kDown});
  EXPECT_EQ(h.app.state.borderlineDegrees, 1);
  EXPECT_EQ(h.shownRow(13, 55, 56), " 1");
  EXPECT_EQ(h.app.record.day, 6);
  EXPECT_EQ(h.shownRow(1, 1, 25), " Orvenda   NAMES\\untitled") << "the title was put back";
}

// ---- pages ---------------------------------------------------------------------------------

TEST_F(MainScreenTest, PageKeysRunTheirCommandsInTheProgramLanguage) {
  runWith({F(1), ';', F(3), '=', 'G', 'g', 1071});
  const Names expected = {"start help-en.htm",      "start help-en.htm",
                          "start place-en.htm",     "start place-en.htm",
                          "start timezones-en.htm", "start timezones-en.htm",
                          "start timezones-en.htm"};
  EXPECT_EQ(Names(h.shell.commands.begin() + 4, h.shell.commands.end()), expected);
  ProgramHarness g;
  g.layOutWorkingDirectory(1);
  for (int k : {59, 61, 71}) g.backend.extended(static_cast<std::uint8_t>(k));
  g.run();
  EXPECT_EQ(Names(g.shell.commands.begin() + 4, g.shell.commands.end()),
            (Names{"start help.htm", "start place.htm", "start timezones.htm"}));
  ProgramHarness n;
  n.layOutWorkingDirectory(2);
  n.backend.extended(59);
  n.run();
  EXPECT_EQ(n.shell.commands.size(), 4u) << "no page for another language value";
}

TEST_F(MainScreenTest, NotesOpenTheCurrentChartsTextFile) {
  runWith({'n'});
  EXPECT_EQ(h.shell.commands.back(), "start NAMES\\untitled.txt");
  EXPECT_EQ(h.app.state.chartPath, "NAMES\\untitled");
}

TEST_F(MainScreenTest, NotesOfAChartWithABlankAreNotQuoted) {
  h.backend.key('s');
  h.backend.type("my chart\r");
  h.backend.key('N');
  h.run();
  EXPECT_EQ(h.shell.commands.back(), "start NAMES\\my chart.txt");
}

// ---- read/print ----------------------------------------------------------------------------

TEST_F(MainScreenTest, ReadWithoutSexShowsTheGenderMessageThenTheBareTitle) {
  h.backend.key('r');
  h.run();
  EXPECT_EQ(h.shownRow(1, 1, 26), "Press F5 to choose gender ");
  EXPECT_EQ(h.shownAttr(1, 1), 0xF2);
  ProgramHarness g;
  g.layOutWorkingDirectory();
  g.backend.key('R');
  g.backend.key('x');
  g.run();
  EXPECT_EQ(rtrim(g.shownRow(1)), " Orvenda   NAMES\\");
  EXPECT_EQ(g.shownAttr(2, 1), 0xF1);
  EXPECT_EQ(g.shownRow(9, 5, 8), "Open") << "the rest of the screen is unchanged";
  EXPECT_EQ(g.shell.commands.size(), 2u + 2u);
}

TEST_F(MainScreenTest, GreekGenderMessage) {
  h.setSetting("langpro", 1);
  h.backend.key('r');
  h.run();
  EXPECT_EQ(h.shownRow(1, 1, 31), "Πιέστε F5 για να διαλέξετε φύλο");
}

TEST_F(MainScreenTest, ReadWithSexOpensThePrintPageAndReloads) {
  h.dir.mkdir("PRINT");
  runWith({F(5), kDown, 'R'});
  EXPECT_EQ(h.shell.commands[4], "start PRINT/bush.html");
  EXPECT_EQ(h.app.record.day, 5) << "reloaded";
  EXPECT_EQ(h.app.state.sex, 1) << "the choice is kept";
  EXPECT_EQ(h.app.birthSummary,
            "<br>Birth Date: 06/03/1980<br>Birth Time: 12:07:09<br>GMT: 00:00"
            "<br>Longitude: 23:46:00<br>Latitude: 37:58:00");
}

// ---- Chart for Now -------------------------------------------------------------------------

TEST_F(MainScreenTest, ChartForNowKeepsThePlaceAndTheTimeMode) {
  h.backend.extended(80);
  h.backend.key('K');      // Left
  h.backend.extended(80);  // latSeconds 1
  h.backend.extended(60);  // time un-known
  h.backend.key('t');
  h.clock.set(testing::kTestInstant + 86400 + 3600);
  h.run();
  const BirthRecord r = h.chart("untitled");
  EXPECT_EQ(r.day, 6);
  EXPECT_EQ(r.hour, 13) << "the clock's time, although the time mode is un-known";
  EXPECT_EQ(r.latSeconds, 1);
  EXPECT_EQ(h.app.state.timeMode, 1);
}

// ---- Escape and the other keys ---------------------------------------------------------------

TEST_F(MainScreenTest, KeysWithoutACommandDoNothing) {
  runWith({'q', 1133, 0xE0, 1152, '\t', 3});
  EXPECT_EQ(h.app.record.day, 5);
  EXPECT_EQ(h.shell.commands.size(), 4u);
}

TEST_F(MainScreenTest, ManyEntriesRunInConstantStack) {
  for (int i = 0; i < 20000; ++i) h.backend.key('z');
  h.backend.key(27);
  EXPECT_EQ(h.run(), kExitNormal);
  EXPECT_EQ(h.setting("zodcyber"), 0);
}

}  // namespace
}  // namespace orvenda

namespace orvenda {
namespace {

TEST(BirthSummary, EnglishAndGreekFormsAndTheirBytes) {
  const BirthRecord r{5, 3, 1980, 14, 7, 0, 2, 0, 23, 46, 0, 37, 58, 0};
  EXPECT_EQ(birthSummary(r, 0),
            "<br>Birth Date: 05/03/1980<br>Birth Time: 14:07:00<br>GMT: 02:00"
            "<br>Longitude: 23:46:00<br>Latitude: 37:58:00");
  const std::string el = birthSummary(r, 1);
  // "Γέννησης" in Windows-1253, not CP737.
  EXPECT_NE(el.find("\xC3\xDD\xED\xED\xE7\xF3\xE7\xF2"), std::string::npos);
  EXPECT_EQ(el.rfind("<br>", 0), 0u);
  EXPECT_NE(el.find("<br>GMT: 02:00"), std::string::npos);
  EXPECT_EQ(birthSummary(r, 2), "");
}

TEST(BirthSummary, NegativeValuesKeepTheirSignAndNeverOverrun) {
  const BirthRecord r{-5, 3, 1980, 14, 7, 0, -4, 30, -180, 5, 0, -90, 0, 0};
  const std::string s = birthSummary(r, 0);
  EXPECT_NE(s.find("Birth Date: -5/03/1980"), std::string::npos);
  EXPECT_NE(s.find("GMT: -4:30"), std::string::npos);
  const BirthRecord huge{INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN,
                         INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN,
                         INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN};
  EXPECT_EQ(birthSummary(huge, 1).size(), 160u);
}

TEST_F(MainScreenTest, ReadWritesThePrintSheetThatItOpens) {
  h.dir.mkdir("PRINT");
  runWith({F(5), 'r'});
  const auto bytes = h.dir.read("PRINT/bush.html");
  const std::string sheet(bytes.begin(), bytes.end());
  for (const char* row :
       {"<tr><th>Chart</th><td>untitled</td></tr>",
        "<tr><th>Date of birth</th><td>5 March 1980</td></tr>", "<tr><th>Sex</th><td>Man</td></tr>",
        // Whatever the zone, the clock's instant comes back as UT.
        "<tr><th>Universal time</th><td>5 March 1980, 12:07:09 UT</td></tr>",
        "<tr><th>Longitude</th><td>23° 46′ 00″ E &nbsp;(23 46 00)</td></tr>",
        "<tr><th>Latitude</th><td>37° 58′ 00″ N &nbsp;(37 58 00)</td></tr>"})
    EXPECT_NE(sheet.find(row), std::string::npos) << row << "\n" << sheet;
  EXPECT_EQ(sheet.find("<script"), std::string::npos);
  EXPECT_EQ(sheet.find("<frame"), std::string::npos);
  EXPECT_EQ(std::count(h.shell.commands.begin(), h.shell.commands.end(), "start PRINT/bush.html"),
            1);
}

// A sheet that can't be written: the sheet that is there is another chart's, and is not
// opened as this one's.
TEST_F(MainScreenTest, ASheetThatCantBeWrittenIsReportedAndNothingIsOpened) {
  h.dir.mkdir("PRINT");
  h.dir.mkdir("PRINT/bush.html");
  runWith({F(5), 'r'});
  const auto shown = shownRows();
  EXPECT_NE(std::find_if(shown.begin(), shown.end(),
                         [](const std::string& row) {
                           return row.find("I can't open that file, press any key to continue") !=
                                  std::string::npos;
                         }),
            shown.end())
      << ::testing::PrintToString(shown);
  EXPECT_EQ(std::count(h.shell.commands.begin(), h.shell.commands.end(), "start PRINT/bush.html"),
            0);

  // After the key, the main screen is whole: the same as one that never saw the message.
  ProgramHarness fresh;
  fresh.layOutWorkingDirectory();
  fresh.backend.extended(static_cast<std::uint8_t>(F(5) - 1000));
  fresh.run();
  ProgramHarness again;
  again.layOutWorkingDirectory();
  again.dir.mkdir("PRINT");
  again.dir.mkdir("PRINT/bush.html");
  again.backend.extended(static_cast<std::uint8_t>(F(5) - 1000));
  again.backend.key('r');
  again.backend.key(' ');
  again.run();
  for (int r = 1; r <= 25; ++r) EXPECT_EQ(again.shownRow(r), fresh.shownRow(r)) << "row " << r;
}

TEST(PrintSheet, TheDayBeforeInUniversalTimeGreekLabelsAndNamesEscaped) {
  AppState s;
  s.horoscopeLanguage = 1;
  s.sex = 2;
  s.chartName = "<b>&";
  // 1 January 1970, 00:30 at +2:00 is 31 December 1969, 22:30 UT.
  const BirthRecord r{1, 1, 1970, 0, 30, 0, 2, 0, -3, 5, 9, -33, 52, 0};
  const std::string sheet = printSheet(sheetSettings(s), r);
  EXPECT_NE(sheet.find("<html lang=\"el\">"), std::string::npos);
  for (const char* row :
       {"<tr><th>Χάρτης</th><td>&lt;b&gt;&amp;</td></tr>",
        "<tr><th>Ώρα γέννησης</th><td>00:30:00 (γνωστή)</td></tr>",
        "<tr><th>Φύλο</th><td>Γυναίκα</td></tr>",
        "<tr><th>Παγκόσμια ώρα</th><td>31 Δεκεμβρίου 1969, 22:30:00 UT</td></tr>",
        "<tr><th>Γεωγραφικό μήκος</th><td>3° 05′ 09″ Δ &nbsp;(-3 05 09)</td></tr>",
        "<tr><th>Γεωγραφικό πλάτος</th><td>33° 52′ 00″ Ν &nbsp;(-33 52 00)</td></tr>"})
    EXPECT_NE(sheet.find(row), std::string::npos) << row;
  // With the time un-known the record's clock time is nobody's: not shown, nor its UT.
  s.timeMode = 1;
  const std::string unknown = printSheet(sheetSettings(s), r);
  EXPECT_NE(unknown.find("<tr><th>Ώρα γέννησης</th><td>άγνωστη</td></tr>"), std::string::npos);
  EXPECT_NE(unknown.find("<tr><th>Παγκόσμια ώρα</th><td>—</td></tr>"), std::string::npos);
  // A damaged record still gives a sheet, with its numbers as they stand.
  const std::string odd =
      printSheet(SheetSettings{}, BirthRecord{31, 13, 1980, 25, 0, 0, -4, 30, 0, 0, 0, 0, 0, 0});
  EXPECT_NE(odd.find("<td>31/13/1980 (not a date of the calendar)</td>"), std::string::npos);
  EXPECT_NE(odd.find("<tr><th>Universal time</th><td>—</td></tr>"), std::string::npos);
  EXPECT_NE(odd.find("<td>GMT -4 min 30 &nbsp;(UTC-3:30)</td>"), std::string::npos);
}

}  // namespace
}  // namespace orvenda
