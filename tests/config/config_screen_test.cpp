// The aspect and planet screens, one suite run over both: layout cell by cell, the split
// of stored values into cells and back, keys, saves and their failures.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <ostream>

#include "birth/birth_record.h"
#include "config/config_screen.h"
#include "console/console_screen.h"
#include "console/headless_backend.h"
#include "platform/file_system.h"
#include "support/recording_files.h"
#include "support/temp_dir.h"

namespace orvenda {
namespace {

using testing::int32s;

std::vector<std::uint8_t> doubles(const std::vector<double>& values) {
  std::vector<std::uint8_t> out;
  for (double v : values) {
    const auto u = std::bit_cast<std::uint64_t>(v);
    for (int k = 0; k < 8; ++k) out.push_back(static_cast<std::uint8_t>(u >> (8 * k)));
  }
  return out;
}

std::vector<double> asDoubles(const std::vector<std::uint8_t>& bytes) {
  std::vector<double> out(bytes.size() / 8);
  std::memcpy(out.data(), bytes.data(), out.size() * 8);
  return out;
}

// What differs between the two screens, as the tests see it.
struct Screen {
  ConfigKind kind;
  const char* name;
  int rows;
  int firstRow;
  int nameLeft;
  int minCell;
  const char* valuesFile;
  const char* flagsFile;
  int valueCount;
  const char* confirmation;
};

const Screen kAspects{ConfigKind::Aspects, "aspects", 18,          4, 18, 0, "natasp",
                      "naaspset",          18,        "aspects ok"};
const Screen kPlanets{ConfigKind::Planets, "planets", 22, 3, 20, -9, "natpl", "naplch", 44,
                      "at_pl_check ok"};

// Without this GoogleTest prints the parameter as raw bytes, pointers included, and the
// test names ctest lists would change from one build to the next.
void PrintTo(const Screen& screen, std::ostream* out) { *out << screen.name; }

class ConfigScreenTest : public ::testing::TestWithParam<Screen> {
 protected:
  ConfigScreenTest() : disk(openFileSystem(dir.path())), files(*disk), settings(files) {
    dir.mkdir("settings");
    setValues(std::vector<double>(static_cast<std::size_t>(s.valueCount), 1.0));
    setFlags(std::vector<std::int32_t>(static_cast<std::size_t>(s.rows), 1));
    console.setConsoleColours(0xF1);
  }

  void setValues(const std::vector<double>& v) {
    dir.write(std::string("settings/") + s.valuesFile, doubles(v));
  }
  void setFlags(const std::vector<std::int32_t>& f) {
    std::vector<std::uint8_t> bytes;
    for (auto v : f) {
      auto b = int32s({v});
      bytes.insert(bytes.end(), b.begin(), b.end());
    }
    dir.write(std::string("settings/") + s.flagsFile, bytes);
  }
  std::vector<std::uint8_t> valuesBytes() const {
    return dir.read(std::string("settings/") + s.valuesFile);
  }
  std::vector<std::uint8_t> flagsBytes() const {
    return dir.read(std::string("settings/") + s.flagsFile);
  }
  std::int32_t storedFlag(int row) const { return getInt32(flagsBytes().data() + 4 * row); }

  ConfigScreen& make(int language = 0) {
    screen.emplace(s.kind, console, settings, language,
                   [this] { console.setWindow(80, 1, 80, 1); });
    return *screen;
  }
  // Opens the screen and runs its loop over the keys; returns the outcome, or nothing
  // when the keys ran out first.
  std::optional<ConfigScreen::Outcome> runWith(std::initializer_list<int> keys, int language = 0) {
    for (int k : keys) {
      if (k >= 1000)
        backend.extended(static_cast<std::uint8_t>(k - 1000));
      else
        backend.key(static_cast<std::uint8_t>(k));
    }
    ConfigScreen& c = make(language);
    if (!c.open()) return ConfigScreen::Outcome::Failed;
    try {
      return c.run();
    } catch (const int&) {
      return std::nullopt;
    }
  }
  std::string row(int r, int first, int last) const {
    return console.grid().rowText(r, first, last);
  }
  TextAttribute attr(int c, int r) const { return console.grid().at(c, r).attr; }
  int screenRow(int i) const { return s.firstRow + i; }

  const Screen s = GetParam();
  testing::TempDir dir;
  std::unique_ptr<FileSystem> disk;
  testing::RecordingFiles files;
  SettingsStore settings;
  HeadlessBackend backend;
  ConsoleScreen console{backend};
  std::optional<ConfigScreen> screen;

  void SetUp() override {
    console.setInputLostHandler([] { throw 0; });
  }
};

constexpr int kUp = 1072, kDown = 1080, kLeft = 1075, kRight = 1077;

// ---- splitting stored values ------------------------------------------------------------------

TEST(SplitValue, EveryPairTheScreensStoreComesBackExactly) {
  for (int w = 0; w <= 99; ++w) {
    for (int h = 0; h <= 99; ++h) {
      std::int32_t whole = -1, hundredths = -1;
      splitValue(joinValue(w, h), whole, hundredths);
      ASSERT_EQ(whole, w) << w << "." << h;
      ASSERT_EQ(hundredths, h) << w << "." << h;
    }
  }
  for (int w = -9; w <= 99; ++w) {
    std::int32_t whole = 0, hundredths = -1;
    splitValue(w, whole, hundredths);
    ASSERT_EQ(whole, w);
    ASSERT_EQ(hundredths, 0);
  }
}

TEST(SplitValue, ExamplesIncludingValuesWrittenByAnotherProgram) {
  auto split = [](double v) {
    std::int32_t w, h;
    splitValue(v, w, h);
    return std::pair{w, h};
  };
  EXPECT_EQ(split(7.5), (std::pair{7, 50}));
  EXPECT_EQ(split(0.29), (std::pair{0, 29}));
  EXPECT_EQ(split(99.99), (std::pair{99, 99}));
  EXPECT_EQ(split(7.129), (std::pair{7, 13}));
  EXPECT_EQ(split(5.995), (std::pair{5, 100}));
  EXPECT_EQ(split(12.5), (std::pair{12, 50}));
  EXPECT_EQ(split(-5.0), (std::pair{-5, 0}));
  EXPECT_EQ(joinValue(7, 50), 7.5);
  EXPECT_EQ(joinValue(5, 100), 6.0);
}

// Negative values with a fraction: whatever pair the keys made, the split gives a pair
// that stores the very same double again.
TEST(SplitValue, NegativeValuesWithAFractionSurviveAnUneditedSave) {
  int checked = 0;
  for (int w = -9; w <= 99; ++w) {
    for (int h = -9; h <= 99; ++h) {
      const double v = joinValue(w, h);
      if (v >= 0 || v == std::trunc(v)) continue;
      std::int32_t whole, hundredths;
      splitValue(v, whole, hundredths);
      ASSERT_EQ(std::bit_cast<std::uint64_t>(joinValue(whole, hundredths)),
                std::bit_cast<std::uint64_t>(v))
          << w << " " << h << " -> " << whole << " " << hundredths;
      ++checked;
    }
  }
  EXPECT_GT(checked, 900);
  std::int32_t w, h;
  splitValue(joinValue(-5, 50), w, h);
  EXPECT_EQ(std::pair(w, h), (std::pair{-5, 50})) << "shown as it was entered";
  splitValue(joinValue(0, -5), w, h);
  EXPECT_EQ(std::pair(w, h), (std::pair{0, -5}));
}

TEST(SplitValue, ValuesThatAreNotNumbersOrHugeNeverMisbehave) {
  std::int32_t w, h;
  for (double v : {double(NAN), double(INFINITY), -double(INFINITY), 1e300, -1e300, 2147483648.0,
                   -2147483649.5}) {
    splitValue(v, w, h);
    EXPECT_GE(h, -100);
    EXPECT_LE(h, 100);
  }
}

// ---- round trips through the files -----------------------------------------------------------

TEST_P(ConfigScreenTest, EveryPairSavedAndReloadedGivesBackTheSameNumbers) {
  std::vector<std::pair<int, int>> pairs;
  for (int w = 0; w <= 99; ++w)
    for (int h = 0; h <= 99; ++h) pairs.push_back({w, h});
  if (s.kind == ConfigKind::Planets)
    for (int w = -9; w <= -1; ++w) pairs.push_back({w, 0});
  for (std::size_t start = 0; start < pairs.size(); start += static_cast<std::size_t>(s.rows)) {
    std::vector<double> values(static_cast<std::size_t>(s.valueCount), 3.25);
    for (int i = 0; i < s.rows && start + static_cast<std::size_t>(i) < pairs.size(); ++i)
      values[static_cast<std::size_t>(i)] =
          joinValue(pairs[start + i].first, pairs[start + i].second);
    setValues(values);
    const auto before = valuesBytes();
    backend.key('S');
    ASSERT_EQ(runWith({}), ConfigScreen::Outcome::ToMainScreen);
    for (int i = 0; i < s.rows && start + static_cast<std::size_t>(i) < pairs.size(); ++i) {
      ASSERT_EQ(screen->cell(i), pairs[start + i].first);
      ASSERT_EQ(screen->cell(s.rows + i), pairs[start + i].second);
    }
    ASSERT_EQ(valuesBytes(), before) << "an unedited save stores the same doubles";
  }
}

TEST_P(ConfigScreenTest, EditedValueIsStoredAsWholePlusHundredths) {
  std::vector<double> values(static_cast<std::size_t>(s.valueCount), 0.0);
  values[0] = 7.0;
  setValues(values);
  // Right to the hundredths, then 50 times "+".
  backend.extended(77);
  for (int i = 0; i < 50; ++i) backend.key('+');
  backend.key('s');
  ASSERT_EQ(runWith({}), ConfigScreen::Outcome::ToMainScreen);
  EXPECT_EQ(asDoubles(valuesBytes())[0], 7.5);
  EXPECT_EQ(valuesBytes().size(), static_cast<std::size_t>(8 * s.valueCount));
  EXPECT_EQ(flagsBytes().size(), static_cast<std::size_t>(4 * s.rows));
}

TEST_P(ConfigScreenTest, NegativeValueWithAFractionSurvivesAnUneditedSave) {
  if (s.kind == ConfigKind::Aspects) GTEST_SKIP() << "the aspect screen keeps cells 0..99";
  std::vector<double> values(44, 0.0);
  values[0] = joinValue(-5, 50);
  values[1] = joinValue(0, -5);
  values[2] = -4.567;  // from another program: shown as closely as the cells allow
  setValues(values);
  const auto before = valuesBytes();
  ASSERT_EQ(runWith({'S'}), ConfigScreen::Outcome::ToMainScreen);
  const auto after = asDoubles(valuesBytes());
  EXPECT_EQ(std::bit_cast<std::uint64_t>(after[0]), std::bit_cast<std::uint64_t>(values[0]));
  EXPECT_EQ(std::bit_cast<std::uint64_t>(after[1]), std::bit_cast<std::uint64_t>(values[1]));
  EXPECT_NEAR(after[2], -4.57, 1e-9);
  EXPECT_EQ(row(3, 40, 46), "-5 .50 ") << "shown as entered";
  EXPECT_EQ(row(4, 40, 46), " 0 .-5 ");
}

TEST_P(ConfigScreenTest, SecondBlockOfThePlanetValuesIsKeptByteForByte) {
  if (s.kind == ConfigKind::Aspects) GTEST_SKIP() << "only the planet values file has one";
  std::vector<std::uint8_t> bytes(352);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 37 + 11);
  // The first block must hold real numbers to round-trip; the second may be anything.
  const auto first = doubles(std::vector<double>(22, 2.5));
  std::copy(first.begin(), first.end(), bytes.begin());
  dir.write("settings/natpl", bytes);
  ASSERT_EQ(runWith({'+', 'S'}), ConfigScreen::Outcome::ToMainScreen);
  const auto after = valuesBytes();
  ASSERT_EQ(after.size(), 352u);
  EXPECT_TRUE(std::equal(after.begin() + 176, after.end(), bytes.begin() + 176));
  EXPECT_EQ(asDoubles(after)[0], 3.5);
}

TEST_P(ConfigScreenTest, ShortValuesFileIsWrittenBackWhole) {
  dir.write(std::string("settings/") + s.valuesFile, doubles({4.25}));
  ASSERT_EQ(runWith({'S'}), ConfigScreen::Outcome::ToMainScreen);
  EXPECT_EQ(valuesBytes().size(), static_cast<std::size_t>(8 * s.valueCount));
  EXPECT_EQ(asDoubles(valuesBytes())[0], 4.25);
}

// ---- layout ----------------------------------------------------------------------------------

TEST_P(ConfigScreenTest, TableRowsInTheirColumnsAndColours) {
  std::vector<double> values(static_cast<std::size_t>(s.valueCount), 1.0);
  values[0] = 7.5;
  values[1] = 0.29;
  setValues(values);
  std::vector<std::int32_t> flags(static_cast<std::size_t>(s.rows), 1);
  flags[1] = 0;
  flags[2] = 2;
  setFlags(flags);
  runWith({});
  const int r0 = screenRow(0), r1 = screenRow(1), r2 = screenRow(2);
  // Name in white on green for the cursor row, white on blue for the others.
  EXPECT_EQ(attr(s.nameLeft, r0), 0x2F);
  EXPECT_EQ(attr(36, r0), 0x22);
  EXPECT_EQ(attr(s.nameLeft + 1, r1), 0x1F);
  EXPECT_EQ(attr(36, r1), 0x11);
  // Marks: a check in green, an x in black, nothing for any other value.
  EXPECT_EQ(row(r0, 38, 39), "√ ");
  EXPECT_EQ(attr(38, r0), 0xF2);
  EXPECT_EQ(row(r1, 38, 39), "x ");
  EXPECT_EQ(attr(38, r1), 0xF0);
  EXPECT_EQ(row(r2, 38, 39), "  ");
  EXPECT_EQ(attr(38, r2), 0xFF);
  // Whole part, point, hundredths; the cursor cell white on green.
  EXPECT_EQ(row(r0, 40, 46), " 7 .50 ");
  EXPECT_EQ(row(r1, 40, 46), " 0 .29 ");
  EXPECT_EQ(attr(41, r0), 0x2F);
  EXPECT_EQ(attr(42, r0), 0x22);
  EXPECT_EQ(attr(43, r0), 0x1F);
  EXPECT_EQ(attr(44, r0), 0x9F);
  EXPECT_EQ(attr(41, r1), 0x9F);
  EXPECT_EQ(attr(46, r1), 0x99);
  const int last = screenRow(s.rows - 1);
  EXPECT_EQ(row(last, 40, 46), " 1 .00 ");
  EXPECT_EQ(row(last + 1, 40, 46), s.kind == ConfigKind::Aspects ? "       " : "+ - val");
}

TEST_P(ConfigScreenTest, CursorCellMovesToTheHundredthsAndTheNameFollowsTheRow) {
  runWith({kRight, kDown});
  const int r1 = screenRow(1);
  EXPECT_EQ(attr(45, r1), 0x2F);
  EXPECT_EQ(attr(41, r1), 0x9F);
  EXPECT_EQ(attr(s.nameLeft + 1, r1), 0x2F);
  EXPECT_EQ(attr(s.nameLeft + 1, screenRow(0)), 0x1F);
}

TEST_P(ConfigScreenTest, EnglishFixedPart) {
  runWith({});
  const bool a = s.kind == ConfigKind::Aspects;
  EXPECT_EQ(row(1, 2, 18), a ? "Configure Aspects" : "Configure Planets");
  EXPECT_EQ(row(3, 2, 5), "Save");
  EXPECT_EQ(row(4, 2, 9), "Esc-Back");
  EXPECT_EQ(row(2, 38, 61), a ? "Check / Un-Check Ascpect" : "Check / Un-check Planet ");
  EXPECT_EQ(row(7, 2, 7), a ? "Choose" : "Select");
  EXPECT_EQ(row(7, 10, 12), "↑ →");
  EXPECT_EQ(row(8, 10, 12), "← ↓");
  EXPECT_EQ(row(4, 48, 63), "F1-Switch Majors");
  EXPECT_EQ(row(a ? 9 : 13, 48, 63), "F2-Switch Minors");
  EXPECT_EQ(row(a ? 13 : 18, 48, 61), "F3-Switch rest");
  if (!a) {
    EXPECT_EQ(row(23, 48, 63), "F4-Switch Houses");
  }
  EXPECT_EQ(row(a ? 23 : 25, 40, 48), "+ - value");
  // Key letters in light red, labels in blue.
  for (auto [c, r] : {std::pair{2, 3},
                      {2, 4},
                      {3, 4},
                      {4, 4},
                      {38, 2},
                      {48, 4},
                      {49, 4},
                      {10, 7},
                      {12, 7},
                      {10, 8},
                      {12, 8},
                      {40, a ? 23 : 25},
                      {42, a ? 23 : 25}})
    EXPECT_EQ(attr(c, r), 0xFC) << c << "," << r;
  for (auto [c, r] : {std::pair{3, 3}, {5, 4}, {39, 2}, {50, 4}, {2, 1}, {2, 7}})
    EXPECT_EQ(attr(c, r), 0xF1) << c << "," << r;
  EXPECT_EQ(attr(80, 25), 0xFF);
  EXPECT_EQ(attr(1, 1), 0xF1) << "column 1 is outside the fixed part";
}

TEST_P(ConfigScreenTest, GreekFixedPartAndNames) {
  runWith({}, 1);
  const bool a = s.kind == ConfigKind::Aspects;
  EXPECT_EQ(row(1, 2, a ? 17 : 20), a ? "Διαμόρφωση Οψεων" : "Διαμόρφωσε Πλανήτες");
  EXPECT_EQ(row(3, 2, 5), "Σώσε");
  EXPECT_EQ(attr(2, 3), 0xFC);
  EXPECT_EQ(row(4, 2, 14), "Esc-Επιστροφή");
  EXPECT_EQ(row(2, 38, a ? 63 : 67),
            a ? "C-Τσέκαρε / Ξε-τσέκαρε όψη" : "C-Τσέκαρε / Ξε-τσέκαρε Πλανήτη");
  EXPECT_EQ(row(7, 2, 8), "Επέλεξε");
  EXPECT_EQ(row(4, 48, a ? 64 : 65), a ? "F1-Αλλαξε μεγάλες" : "F1-Αλλαξε μεγάλους");
  EXPECT_EQ(row(a ? 25 : 25, 40, 47), a ? std::string(8, ' ') : "+ - όριο");
  EXPECT_EQ(row(screenRow(0), s.nameLeft, s.nameLeft + 7), a ? " Σύνοδος" : " Ηλιος  ");
  EXPECT_EQ(row(screenRow(s.rows - 1), s.nameLeft, s.nameLeft + 11),
            a ? " ΤετραπλόΕνν" : " Μεσουράνημα");
}

TEST_P(ConfigScreenTest, EnglishNamesExactlyAsListed) {
  runWith({});
  if (s.kind == ConfigKind::Aspects) {
    EXPECT_EQ(row(4, 18, 36), " Conjuction        ");
    EXPECT_EQ(row(12, 18, 36), " Sesquiquardate    ");
    EXPECT_EQ(row(21, 18, 36), " Quantanovile      ");
  } else {
    EXPECT_EQ(row(3, 20, 36), " Sun             ");
    EXPECT_EQ(row(20, 20, 36), " Part of Fortune ");
    EXPECT_EQ(row(24, 20, 36), " Midheaven       ");
  }
}

TEST_P(ConfigScreenTest, OtherProgramLanguageDrawsOnlyKeyLettersMarksAndNumbers) {
  runWith({}, 2);
  EXPECT_EQ(row(1, 2, 18), std::string(17, ' '));
  EXPECT_EQ(row(screenRow(0), s.nameLeft, s.nameLeft + 4), "     ");
  EXPECT_EQ(row(4, 48, 49), "F1");
  EXPECT_EQ(row(screenRow(0), 40, 45), " 1 .00");
}

// ---- keys ------------------------------------------------------------------------------------

TEST_P(ConfigScreenTest, PlusAndMinusWrapInEitherColumnAndLeaveTheOtherAlone) {
  std::vector<double> values(static_cast<std::size_t>(s.valueCount), 0.0);
  values[0] = joinValue(99, s.minCell < 0 ? 0 : 0);
  setValues(values);
  runWith({'+', kRight, '-'});
  EXPECT_EQ(screen->cell(0), s.minCell) << "99 + 1";
  EXPECT_EQ(screen->cell(s.rows), s.minCell < 0 ? -1 : 99) << "0 - 1 in the hundredths";
  EXPECT_EQ(screen->cell(1), 0);
}

TEST_P(ConfigScreenTest, MinusOnTheLowestValueWrapsToNinetyNine) {
  std::vector<double> values(static_cast<std::size_t>(s.valueCount), s.minCell);
  setValues(values);
  runWith({'-'});
  EXPECT_EQ(screen->cell(0), 99);
}

TEST_P(ConfigScreenTest, CellsReadOutsideTheBoundsStepByOneTowardsThem) {
  // Another program wrote 150 and a number below the lowest cell: "-" and "+" move one
  // step back towards the bounds instead of wrapping to the other end.
  const int low = s.minCell < 0 ? -50 : -3;
  std::vector<double> values(static_cast<std::size_t>(s.valueCount), 0.0);
  values[0] = 150;
  values[1] = low;
  setValues(values);
  runWith({'-', kDown, '+'});
  EXPECT_EQ(screen->cell(0), 149);
  EXPECT_EQ(screen->cell(1), low + 1);
  EXPECT_EQ(row(screenRow(0), 40, 42), "149");
}

TEST_P(ConfigScreenTest, CursorWrapsAtTheTopAndBottomAndColumnsSwap) {
  runWith({kUp});
  EXPECT_EQ(screen->cursorRow(), s.rows - 1);
  backend.extended(80);
  backend.key('P');
  backend.key('K');
  backend.extended(77);
  backend.extended(77);
  try {
    screen->run();
  } catch (const int&) {
  }
  EXPECT_EQ(screen->cursorRow(), 1);
  EXPECT_EQ(screen->cursorColumn(), 1);
}

TEST_P(ConfigScreenTest, GroupKeysSwitchEachMemberByItself) {
  std::vector<std::int32_t> flags(static_cast<std::size_t>(s.rows), 0);
  for (int i : {0, 2, 3}) flags[static_cast<std::size_t>(i)] = 1;
  setFlags(flags);
  runWith({1059});
  EXPECT_EQ(screen->flag(0), 0);
  EXPECT_EQ(screen->flag(1), 1);
  EXPECT_EQ(screen->flag(2), 0);
  EXPECT_EQ(screen->flag(4), 1);
  const int majors = s.kind == ConfigKind::Aspects ? 5 : 10;
  EXPECT_EQ(screen->flag(majors), 0) << "the next group is untouched";
  EXPECT_EQ(screen->flag(majors - 1), 1);
}

TEST_P(ConfigScreenTest, EachGroupKeyReachesItsOwnRowsOnly) {
  struct G {
    int key, first, last;
  };
  const std::vector<G> groups =
      s.kind == ConfigKind::Aspects
          ? std::vector<G>{{59, 0, 4}, {60, 5, 8}, {61, 9, 17}}
          : std::vector<G>{{59, 0, 9}, {60, 10, 14}, {61, 15, 19}, {62, 20, 21}};
  for (const G& g : groups) {
    ConfigScreenTest::SetUp();
    setFlags(std::vector<std::int32_t>(static_cast<std::size_t>(s.rows), 1));
    backend.key(static_cast<std::uint8_t>(g.key));  // ";" "<" "=" ">" act as F1 .. F4
    runWith({});
    for (int i = 0; i < s.rows; ++i)
      EXPECT_EQ(screen->flag(i), i >= g.first && i <= g.last ? 0 : 1) << g.key << " row " << i;
  }
  if (s.kind == ConfigKind::Aspects) {
    backend.extended(62);
    runWith({});
    for (int i = 0; i < s.rows; ++i) EXPECT_EQ(screen->flag(i), 1) << "F4 is no key here";
  }
}

TEST_P(ConfigScreenTest, OddFlagsShowNoMarkAndAreKeptUntilSwitched) {
  std::vector<std::int32_t> flags(static_cast<std::size_t>(s.rows), 1);
  flags[0] = 2;
  flags[1] = -1;
  flags[2] = 7;
  setFlags(flags);
  runWith({'c', kDown, 1067, 'S'});  // F9 acts as C
  EXPECT_EQ(storedFlag(0), 0);
  EXPECT_EQ(storedFlag(1), 0);
  EXPECT_EQ(storedFlag(2), 7) << "kept as read";
}

TEST_P(ConfigScreenTest, EscapeLeavesBothFilesUnchanged) {
  const auto values = valuesBytes(), flags = flagsBytes();
  EXPECT_EQ(runWith({'+', 'c', 1059, 27}), ConfigScreen::Outcome::ToMainScreen);
  EXPECT_EQ(valuesBytes(), values);
  EXPECT_EQ(flagsBytes(), flags);
  EXPECT_TRUE(files.writes.empty());
}

TEST_P(ConfigScreenTest, SaveWritesBothFilesInOrderAndConfirms) {
  console.moveCursor(1, 24);
  EXPECT_EQ(runWith({1083}), ConfigScreen::Outcome::ToMainScreen);  // Delete acts as S
  EXPECT_EQ(files.writes, (std::vector<std::string>{std::string("settings\\") + s.valuesFile,
                                                    std::string("settings\\") + s.flagsFile}));
  // The confirmation went to standard output at the shared cursor.
  bool found = false;
  for (int r = 1; r <= 25; ++r) found |= console.grid().rowText(r).find(s.confirmation) == 0;
  EXPECT_TRUE(found);
}

TEST_P(ConfigScreenTest, FlagsFileThatCannotBeWrittenKeepsItsContents) {
  const auto oldFlags = flagsBytes();
  files.refuseWrite.insert(std::string("settings\\") + s.flagsFile);
  backend.key('+');
  backend.key('c');
  backend.key('S');
  backend.key('k');
  EXPECT_EQ(runWith({}), ConfigScreen::Outcome::Failed);
  EXPECT_EQ(asDoubles(valuesBytes())[0], 2.0) << "the values file holds the new values";
  EXPECT_EQ(flagsBytes(), oldFlags);
  EXPECT_EQ(backend.keysLeft(), 0u) << "one key after the message";
  bool message = false, confirmed = false;
  for (int r = 1; r <= 25; ++r) {
    message |=
        console.grid().rowText(r).find("DEN MPORO N ANOIXW TO ARXEIO   /settings/natasp") == 0;
    confirmed |= console.grid().rowText(r).find(s.confirmation) != std::string::npos;
  }
  EXPECT_TRUE(message);
  EXPECT_FALSE(confirmed);
}

TEST_P(ConfigScreenTest, ValuesFileThatCannotBeWrittenWritesNothing) {
  files.refuseWrite.insert(std::string("settings\\") + s.valuesFile);
  backend.key('S');
  backend.key('k');
  EXPECT_EQ(runWith({}), ConfigScreen::Outcome::Failed);
  EXPECT_EQ(files.writes.size(), 1u);
}

TEST_P(ConfigScreenTest, MissingFileOnEntryShowsTheMessageAndDrawsNothing) {
  for (const char* missing : {s.valuesFile, s.flagsFile}) {
    ConfigScreenTest::SetUp();
    files.refuseRead = {std::string("settings\\") + missing};
    console.setWindow(1, 1, 80, 25);
    console.clearConsole();
    console.moveCursor(1, 24);
    backend.key('k');
    ConfigScreen& c = make();
    EXPECT_FALSE(c.open());
    // Its closing line feed scrolled the screen once, from the last row.
    EXPECT_EQ(console.grid().rowText(24, 1, 47), "DEN MPORO N ANOIXW TO ARXEIO   /settings/natasp");
    EXPECT_EQ(console.grid().at(1, 24).attr, 0xF1);
    EXPECT_EQ(console.grid().rowText(3, 1, 80), std::string(80, ' ')) << "nothing drawn";
    EXPECT_EQ(backend.keysLeft(), 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(BothScreens, ConfigScreenTest, ::testing::Values(kAspects, kPlanets),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace orvenda
