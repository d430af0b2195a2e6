// The reading: which entries a configuration selects, the patterns at their edges, the
// interpretation sets' format and overrides, and the shipped sets themselves.
#include "sheet/reading.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <string_view>

#include "natal/ephemeris.h"
#include "natal/names.h"
#include "platform/file_system.h"
#ifndef _WIN32
#include <fcntl.h>

#include <cerrno>

#include "platform/posix_file_system.h"
#endif
#include "support/temp_dir.h"

namespace orvenda::reading {
namespace {

// The shipped sets are read once per process, by whichever test presses R first: every
// test of this binary reads them from the source tree.
const bool kTextsFromTheSourceTree = [] {
#ifdef _WIN32
  return _putenv_s("ORVENDA_TEXTS", ORVENDA_TEXTS_DIR) == 0;
#else
  return ::setenv("ORVENDA_TEXTS", ORVENDA_TEXTS_DIR, 1) == 0;
#endif
}();

using natal::ChartConfig;
using natal::NatalChart;

// Positions and cusps set by hand, so a test puts a point exactly where its edge is.
class FixedEphemeris : public natal::Ephemeris {
 public:
  std::array<double, 17> longitudes{};
  std::array<double, 12> cusps{0, 30, 60, 90, 120, 150, 180, 210, 240, 270, 300, 330};
  std::optional<natal::BodyPosition> body(double, int i) override {
    return natal::BodyPosition{longitudes[i], 0, 1, false};
  }
  natal::HouseFrame houses(double, double, double, char system) override {
    natal::HouseFrame f;
    f.cusps = cusps;
    f.ascendant = cusps[0];
    f.midheaven = cusps[9];
    f.system = system;
    return f;
  }
  double deltaTSeconds(double) override { return 0; }
  double altitude(double, double, double, double, double) override { return 10; }
};

// Only the points named take part; the five major aspects with 5° orbs.
ChartConfig configOf(std::initializer_list<int> points) {
  ChartConfig c;
  c.aspects.orbs.fill(5);
  for (int k = 0; k < 5; ++k) c.aspects.enabled[k] = 1;
  c.aspects.enabled[5] = 1;   // the inconjunct, for the yod
  c.planets.values.fill(10);  // each point's own orb limit: out of the way
  for (int p : points) c.planets.enabled[p] = 1;
  return c;
}

NatalChart chartOf(FixedEphemeris& eph, const ChartConfig& config, bool timeKnown = true) {
  const BirthRecord r{1, 6, 1990, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  auto out = natal::computeChart(r, config, 'P', eph, timeKnown);
  EXPECT_TRUE(out.chart);
  return *out.chart;
}

// A set whose every known key the reading might ask for has the text "<key>".
const TextLayer& everyKey() {
  static const TextLayer layer = [] {
    TextLayer l;
    std::vector<std::string> keys = requiredKeys();
    for (const char* k :
         {"Conjunction", "Opposition", "Square", "Trine", "Sextile", "upper hemisphere",
          "lower hemisphere", "eastern hemisphere", "western hemisphere"})
      keys.push_back(*canonicalKey(k));
    for (int p = 0; p < 22; ++p)
      for (int s = 0; s < 12; ++s)
        keys.push_back(
            *canonicalKey(natal::pointName(p, false) + " in " + natal::signName(s, false)));
    for (const auto& k : keys) l.entries[k] = TextEntry{"<" + k + ">. Second sentence.", "t", 1};
    return l;
  }();
  return layer;
}

// Every key the reading's parts draw on, as the files spell them.
std::set<std::string> keysOf(const Reading& r) {
  std::set<std::string> keys;
  for (const auto& ch : r.chapters)
    for (const auto& e : ch.entries)
      for (const auto& p : e.parts)
        for (const auto& k : p.keys) keys.insert(displayKey(k));
  return keys;
}

const Chapter* chapter(const Reading& r, const std::string& id) {
  for (const auto& c : r.chapters)
    if (c.id == id) return &c;
  return nullptr;
}

std::vector<std::string> headings(const Reading& r, const std::string& id) {
  std::vector<std::string> out;
  if (const Chapter* c = chapter(r, id))
    for (const auto& e : c->entries) out.push_back(e.heading);
  return out;
}

Reading read(const NatalChart& c, ReadingSettings s = {}, const TextSet* texts = nullptr) {
  static const TextSet all(&everyKey(), {});
  return composeReading(c, s, texts ? *texts : all, false);
}

TEST(ReadingSelection, APointOrAnAspectSwitchedOffIsNotRead) {
  FixedEphemeris eph;
  eph.longitudes[0] = 15;   // Sun, 15 Aries, house 1
  eph.longitudes[1] = 137;  // Moon, 17 Leo, trine the Sun by 2°
  eph.longitudes[4] = 200;  // Mars, 20 Libra
  ChartConfig config = configOf({0, 1, 4});
  auto keys = keysOf(read(chartOf(eph, config)));
  EXPECT_TRUE(keys.count("Moon in Leo"));
  EXPECT_TRUE(keys.count("Mars in house 7"));
  EXPECT_TRUE(keys.count("Sun harmonious Moon"));

  config.planets.enabled[4] = 0;  // Mars off
  config.aspects.enabled[3] = 0;  // the trine off
  keys = keysOf(read(chartOf(eph, config)));
  EXPECT_FALSE(keys.count("Mars in Libra"));
  EXPECT_FALSE(keys.count("Mars in house 7"));
  EXPECT_FALSE(keys.count("Sun harmonious Moon"));
  EXPECT_TRUE(keys.count("Moon in Leo"));
}

TEST(ReadingSelection, TheUsersOrbDecidesAnAspect) {
  FixedEphemeris eph;
  eph.longitudes[0] = 10;
  eph.longitudes[6] = 10 + 90 + 4;  // Saturn square the Sun, 4° off
  ChartConfig config = configOf({0, 6});
  config.aspects.orbs[2] = 4;
  EXPECT_TRUE(keysOf(read(chartOf(eph, config))).count("Sun challenging Saturn"));
  config.aspects.orbs[2] = 3.9;
  EXPECT_FALSE(keysOf(read(chartOf(eph, config))).count("Sun challenging Saturn"));
}

TEST(ReadingSelection, AspectsAreReadClosestFirstWithTheirOrbAndMotion) {
  FixedEphemeris eph;
  eph.longitudes[0] = 10;
  eph.longitudes[1] = 10 + 120 + 3;  // trine, 3° over, the Moon faster: separating
  eph.longitudes[2] = 10 + 0.5;      // conjunction, 0.5°
  const Reading r = read(chartOf(eph, configOf({0, 1, 2})));
  const auto list = headings(r, "aspects");
  ASSERT_GE(list.size(), 2u);
  EXPECT_EQ(list[0], "Sun conjunction Mercury");
  EXPECT_EQ(chapter(r, "aspects")->entries[0].parts[0].lead, "orb 0°30′, separating");
}

TEST(ReadingSelection, BorderlineAddsTheNextSignsAndHousesTextOnlyWhenOn) {
  FixedEphemeris eph;
  eph.longitudes[0] = 28.5;  // Sun, 1.5° before Taurus and before the 2nd cusp
  ChartConfig config = configOf({0});
  config.borderlineDegrees = 2;
  config.borderlineInterpretation = 0;
  auto keys = keysOf(read(chartOf(eph, config)));
  EXPECT_FALSE(keys.count("Sun in Taurus"));
  EXPECT_FALSE(keys.count("Sun in house 2"));

  config.borderlineInterpretation = 1;
  const Reading r = read(chartOf(eph, config));
  keys = keysOf(r);
  EXPECT_TRUE(keys.count("Sun in Aries"));
  EXPECT_TRUE(keys.count("Sun in Taurus"));
  EXPECT_TRUE(keys.count("Sun in house 2"));
  const auto& parts = chapter(r, "points")->entries[0].parts;
  ASSERT_EQ(parts.size(), 4u);
  EXPECT_EQ(parts[1].lead,
            "Within 2° of the next sign, Taurus, the Sun takes on some of its colour as well:");
  EXPECT_EQ(parts[3].lead,
            "Within 2° of the cusp of the 2nd house, the Sun reaches into that house as well:");

  config.borderlineDegrees = 1;  // 1.5° is beyond a width of 1
  keys = keysOf(read(chartOf(eph, config)));
  EXPECT_FALSE(keys.count("Sun in Taurus"));
}

TEST(ReadingSelection, RulersFollowChangeRulersAndTheNaturalRulers) {
  FixedEphemeris eph;
  // Scorpio on the 7th cusp; Mars in the 3rd, Pluto in the 9th, Venus in the 2nd.
  eph.cusps = {30, 60, 90, 120, 150, 180, 210, 240, 270, 300, 330, 0};
  eph.longitudes[4] = 95;   // Mars
  eph.longitudes[9] = 275;  // Pluto
  eph.longitudes[3] = 70;   // Venus
  const ChartConfig config = configOf({3, 4, 9});
  const NatalChart base = chartOf(eph, config);
  auto houseEntry = [&](std::int32_t change, std::int32_t always) {
    NatalChart c = base;
    for (int h = 0; h < 12; ++h) {
      c.rulers[h].ofCusp = natal::signRulers(natal::signOf(c.cusps[h]), change);
      c.rulers[h].ofNatural = always == 1 ? natal::signRulers(h, change) : std::vector<int>{};
    }
    const Reading r = read(c, {always, change, 0});
    return chapter(r, "houses")->entries[6];
  };
  auto leads = [](const Entry& e) {
    std::string s;
    for (const auto& p : e.parts) s += p.lead.empty() ? "" : p.lead + "|";
    return s;
  };
  EXPECT_EQ(houseEntry(0, 0).heading, "The 7th house: Scorpio on the cusp");
  // Where a ruler stands is named by the house's affairs in a few words; the house's own
  // text is read in its own place, once.
  EXPECT_EQ(leads(houseEntry(0, 0)),
            "Ruler of the 7th: Mars, in the 3rd house (siblings, studies and short journeys).|");
  EXPECT_EQ(leads(houseEntry(1, 0)),
            "Ruler of the 7th: Pluto, in the 9th house (travel, learning and beliefs).|");
  EXPECT_EQ(leads(houseEntry(2, 0)),
            "Rulers of the 7th: Mars, in the 3rd house (siblings, studies and short journeys) and "
            "Pluto, in the 9th house (travel, learning and beliefs).|");
  // The 7th's natural ruler is Libra's: Venus, in the 2nd; alike under every rulers' setting.
  for (const int change : {0, 1, 2})
    EXPECT_TRUE(leads(houseEntry(change, 1))
                    .ends_with("Natural ruler of the 7th: Venus, in the 2nd house (money and "
                               "possessions).|"))
        << change;
  const Entry seventh = houseEntry(0, 0);
  EXPECT_EQ(seventh.parts.back().text, "<ruler of house 7>. Second sentence.");
  // A ruler that takes no part is named once with the reason, and nothing of where it is.
  NatalChart withoutMars = base;
  std::erase_if(withoutMars.points, [](const auto& p) { return p.index == 4; });
  const Reading r = read(withoutMars, {0, 0, 0});
  std::string all;
  for (const auto& line : chapter(r, "houses")->lines) all += line + "|";
  for (const auto& e : chapter(r, "houses")->entries) all += leads(e);
  EXPECT_TRUE(
      all.starts_with("Rulers that take no part in this chart (switched off in the planet "
                      "settings), whose place is therefore not read: Sun, Moon, Mercury, "
                      "Mars, Jupiter, Saturn.|"))
      << all;
  // Under each house it rules it is named alone: why was said once, above.
  EXPECT_NE(all.find("Ruler of the 7th: Mars.|"), std::string::npos) << all;
  EXPECT_EQ(all.find("takes no part", all.find("takes no part") + 1), std::string::npos) << all;
  EXPECT_EQ(all.find("switched off", all.find("switched off") + 1), std::string::npos) << all;
  EXPECT_FALSE(keysOf(r).count("ruler of house 7"));
}

TEST(ReadingSelection, AChartsRulerSwitchedOffIsSaidSoOnceInItsChapter) {
  FixedEphemeris eph;
  // Gemini rising, its ruler Mercury switched off; Mercury rules the 5th (Virgo) as well.
  eph.cusps = {65, 90, 115, 140, 160, 185, 245, 270, 295, 320, 340, 5};
  eph.longitudes[0] = 100, eph.longitudes[1] = 200, eph.longitudes[2] = 80;
  const Reading r = read(chartOf(eph, configOf({0, 1, 3})));
  std::string all;
  for (const auto& ch : r.chapters) {
    for (const auto& l : ch.lines) all += l + "|";
    for (const auto& e : ch.entries) {
      all += e.heading + "|";
      for (const auto& p : e.parts) all += p.lead + "|";
    }
  }
  EXPECT_EQ(all.find("ruled by"), std::string::npos) << all;  // not at a glance
  EXPECT_NE(all.find("Ruler of the chart: Mercury|Switched off in the planet settings: it takes "
                     "no part in this chart, so where it stands is not read.|"),
            std::string::npos)
      << all;
  EXPECT_NE(all.find("Ruler of the 1st: Mercury, the ruler of the chart (see above).|"),
            std::string::npos);
  EXPECT_NE(all.find("Ruler of the 5th: Mercury.|"), std::string::npos) << all;
  // The houses' line on rulers that take no part names the others (Jupiter of the 7th), not
  // Mercury again.
  ASSERT_FALSE(chapter(r, "houses")->lines.empty());
  EXPECT_EQ(chapter(r, "houses")->lines[0].find("Mercury"), std::string::npos);
  EXPECT_NE(chapter(r, "houses")->lines[0].find("Jupiter"), std::string::npos);
  EXPECT_FALSE(keysOf(r).count("ruler of house 1"));

  // Leo rising: the Sun, with its article, rules the chart.
  eph.cusps = {125, 150, 175, 200, 225, 250, 305, 330, 355, 20, 45, 70};
  const Reading leo = read(chartOf(eph, configOf({0, 1})));
  EXPECT_EQ(chapter(leo, "summary")->lines[1], "The chart is ruled by the Sun.");
}

// Aquarius rising with both its rulers read (changeRulers 2), Uranus switched off: Saturn
// is the chart's ruler, named with where it stands; Uranus is named once, after it, with
// why, and not again under the houses it rules; the 1st house and the summary name Saturn.
TEST(ReadingSelection, OfTwoRulersOneSwitchedOffIsNamedWithWhyAndTheOtherRules) {
  FixedEphemeris eph;
  eph.cusps = {305, 335, 5, 35, 65, 95, 125, 155, 185, 215, 245, 275};
  eph.longitudes[0] = 100, eph.longitudes[1] = 140, eph.longitudes[6] = 200;  // Saturn in the 9th
  ChartConfig config = configOf({0, 1, 6});
  config.changeRulers = 2;
  auto all = [](const Reading& r) {
    std::string s;
    for (const auto& ch : r.chapters) {
      for (const auto& l : ch.lines) s += l + "|";
      for (const auto& e : ch.entries) {
        s += e.heading + "|";
        for (const auto& p : e.parts) s += p.lead + "|";
      }
    }
    return s;
  };
  const NatalChart c = chartOf(eph, config);
  const std::string en = all(read(c, {0, 2, 0}));
  EXPECT_NE(en.find("Ruler of the chart: Saturn, in the 9th house (travel, learning and "
                    "beliefs)|Uranus, which shares the rule of the Ascendant's sign, is switched "
                    "off in the planet settings: it takes no part in this chart, so where it "
                    "stands is not read.|"),
            std::string::npos)
      << en;
  EXPECT_NE(en.find("The chart is ruled by Saturn.|"), std::string::npos) << en;
  EXPECT_NE(en.find("Ruler of the 1st: Saturn, the ruler of the chart (see above).|"),
            std::string::npos)
      << en;
  // Said once: not in the houses' line of rulers that take no part, nor under the 1st.
  EXPECT_EQ(en.find("Uranus", en.find("Uranus") + 1), std::string::npos) << en;
  static const TextSet texts(&everyKey(), {});
  const std::string el = all(composeReading(c, {0, 2, 0}, texts, true));
  EXPECT_NE(el.find("Ουρανός: συγκυβερνά το ζώδιο του Ωροσκόπου, όμως έχει απενεργοποιηθεί στις "
                    "ρυθμίσεις των πλανητών· δεν συμμετέχει σε αυτόν τον χάρτη, γι' αυτό δεν "
                    "διαβάζεται πού βρίσκεται.|"),
            std::string::npos)
      << el;
}

TEST(ReadingSelection, TheSummaryNamesTheStrongestPatternsStelliaAmongThem) {
  FixedEphemeris eph;
  // Four points in Aries and the 1st house; their corner trine Jupiter and Saturn, and
  // opposite Neptune with Pluto at the apex.
  eph.longitudes[0] = 1, eph.longitudes[2] = 5, eph.longitudes[3] = 9, eph.longitudes[4] = 29;
  eph.longitudes[5] = 125, eph.longitudes[6] = 245, eph.longitudes[8] = 185;
  eph.longitudes[9] = 95, eph.longitudes[1] = 165;  // the Moon in no aspect
  const NatalChart c = chartOf(eph, configOf({0, 1, 2, 3, 4, 5, 6, 8, 9}));
  EXPECT_EQ(chapter(read(c), "summary")->lines.back(),
            "Its patterns: Grand trine (Sun, Mercury, Venus, Jupiter, Saturn); T-square (Sun, "
            "Mercury, Venus, Neptune, Pluto); Stellium in Aries (Sun, Mercury, Venus, Mars); and "
            "1 more.");
  static const TextSet all(&everyKey(), {});
  const Reading greek = composeReading(c, {}, all, true);
  EXPECT_EQ(chapter(greek, "summary")->lines.back(),
            "Σχηματισμοί: Μεγάλο τρίγωνο (Ήλιος, Ερμής, Αφροδίτη, Δίας, Κρόνος)· Τ-τετράγωνο "
            "(Ήλιος, Ερμής, Αφροδίτη, Ποσειδώνας, Πλούτωνας)· Συγκέντρωση πλανητών σε ζώδιο "
            "(Κριός: Ήλιος, Ερμής, Αφροδίτη, Άρης)· και 1 ακόμη.");
}

TEST(ReadingSelection, WithTheTimeUnknownNothingThatNeedsHousesOrAnglesIsRead) {
  FixedEphemeris eph;
  eph.longitudes[0] = 15;
  eph.longitudes[1] = 29.9;  // the Moon crosses into Taurus during the day
  NatalChart c = chartOf(eph, configOf({0, 1, 20, 21}), false);
  c.moonAtDayStart = 24;
  c.moonAtDayEnd = 37;
  const Reading r = read(c);
  EXPECT_EQ(r.timeNote,
            "The birth time is not known, so the Ascendant, the Midheaven, the houses and their "
            "rulers, and all that rests on them, are left out.");
  EXPECT_FALSE(chapter(r, "ascendant"));
  EXPECT_FALSE(chapter(r, "houses"));
  for (const auto& k : keysOf(r)) EXPECT_EQ(k.find("house"), std::string::npos) << k;
  EXPECT_TRUE(keysOf(r).count("Moon in Taurus"));  // the day's other sign, said so
  for (const auto& line : chapter(r, "whole")->lines)
    EXPECT_EQ(line.find("horizon"), std::string::npos) << line;
}

TEST(ReadingPatterns, EachAtItsEdge) {
  auto patterns = [](std::initializer_list<std::pair<int, double>> at, double orb = 5) {
    FixedEphemeris eph;
    for (int i = 0; i < 17; ++i) eph.longitudes[i] = 0;
    std::vector<int> points;
    for (auto [p, lon] : at) eph.longitudes[p] = lon, points.push_back(p);
    ChartConfig config = configOf({});
    for (int p : points) config.planets.enabled[p] = 1;
    config.aspects.orbs.fill(orb);
    return headings(read(chartOf(eph, config)), "whole");
  };
  auto has = [](const std::vector<std::string>& list, const std::string& s) {
    return std::find(list.begin(), list.end(), s) != list.end();
  };
  // A grand trine whose third trine is 5° off: in with an orb of 5, out with 4.9.
  EXPECT_TRUE(has(patterns({{0, 10}, {1, 130}, {2, 245}}), "Grand trine"));
  EXPECT_FALSE(has(patterns({{0, 10}, {1, 130}, {2, 245}}, 4.9), "Grand trine"));
  // A T-square, and a grand cross told as a cross, not as four T-squares.
  EXPECT_TRUE(has(patterns({{0, 10}, {1, 190}, {4, 100}}), "T-square"));
  const auto cross = patterns({{0, 10}, {1, 190}, {4, 100}, {6, 280}});
  EXPECT_TRUE(has(cross, "Grand cross"));
  EXPECT_FALSE(has(cross, "T-square"));
  // A yod: a sextile, both inconjunct the apex, here 5° off each: in at 5, out beyond.
  EXPECT_TRUE(has(patterns({{0, 10}, {1, 70}, {6, 225}}), "Yod"));
  EXPECT_FALSE(has(patterns({{0, 10}, {1, 70}, {6, 225.1}}), "Yod"));
  // A stellium takes four points in a sign; three are not one.
  EXPECT_TRUE(has(patterns({{0, 1}, {2, 5}, {3, 9}, {4, 29}}), "Stellium in a sign"));
  EXPECT_FALSE(has(patterns({{0, 1}, {2, 5}, {3, 9}, {4, 30}}), "Stellium in a sign"));
}

TEST(ReadingSelection, ElementsCountTheLightsAndTheAscendantTwice) {
  FixedEphemeris eph;
  eph.longitudes[0] = 5;   // Sun in Aries: fire 2
  eph.longitudes[1] = 35;  // Moon in Taurus: earth 2
  eph.longitudes[2] = 65;  // Mercury in Gemini: air 1
  eph.cusps[0] = 95;       // Ascendant in Cancer: water 2
  const Reading r = read(chartOf(eph, configOf({0, 1, 2})));
  EXPECT_EQ(chapter(r, "whole")->lines[0],
            "Elements: Fire 2, Earth 2, Air 1, Water 2 (the Sun, the Moon and the Ascendant count "
            "twice).");
}

TEST(ReadingTexts, AFactorWithoutATextIsLeftOutAndCounted) {
  FixedEphemeris eph;
  eph.longitudes[0] = 15;
  TextLayer partial = everyKey();
  partial.entries.erase(*canonicalKey("Sun in Aries"));
  const TextSet set(&partial, {});
  const Reading r = read(chartOf(eph, configOf({0})), {}, &set);
  EXPECT_FALSE(keysOf(r).count("Sun in Aries"));
  EXPECT_EQ(r.missingNote, "1 factor has no text in this set: Sun in Aries.");
  for (const auto& ch : r.chapters)
    for (const auto& e : ch.entries) EXPECT_FALSE(e.parts.empty()) << e.heading;
}

TEST(ReadingTexts, AWorkingDirectorysEntryReplacesTheShippedOneAlone) {
  orvenda::testing::TempDir dir;
  std::filesystem::create_directories(dir.path() + "/READING/en");
  std::ofstream(dir.path() + "/READING/en/signs.txt")
      << "# mine\n[sun   IN aries]\nMy own words\nfor the Sun.\n\nA second paragraph.\n";
  auto files = openFileSystem(dir.path());
  const TextSet set(&everyKey(), ownTexts(*files, false));
  EXPECT_EQ(*set.find(*canonicalKey("Sun in Aries")),
            "My own words for the Sun.\nA second paragraph.");
  EXPECT_EQ(*set.find(*canonicalKey("Moon in Aries")), "<moon in aries>. Second sentence.");
  EXPECT_TRUE(set.own().problems.empty());
}

#ifndef _WIN32
// An own file that is there but can't be opened (mode 000 to anyone but root) is named with
// the reason, in English for standard error and in Greek for a Greek page, never passed
// over as if it were not there; one that is not there at all is nothing to say.
TEST(ReadingTexts, AnOwnFileThatCantBeReadIsNamed) {
  orvenda::testing::TempDir dir;
  std::filesystem::create_directories(dir.path() + "/READING/en");
  std::filesystem::create_directories(dir.path() + "/READING/el");
  std::ofstream(dir.path() + "/READING/en/signs.txt") << "[Sun in Aries]\nMine.\n";
  std::ofstream(dir.path() + "/READING/el/signs.txt") << "[Sun in Aries]\nΔικό μου.\n";
  Syscalls calls = Syscalls::system();
  // open(2) as it answers for a file of mode 000: the test may run as root, which reads it.
  calls.open = [](const char* path, int flags, mode_t mode) {
    if (std::string_view(path).ends_with("/signs.txt")) return errno = EACCES, -1;
    return ::open(path, flags, mode);
  };
  PosixFileSystem files(dir.path(), calls);
  const TextLayer en = ownTexts(files, false);
  ASSERT_EQ(en.problems.size(), 1u);
  EXPECT_EQ(en.problems[0].file, "READING/en/signs.txt");
  EXPECT_EQ(en.problems[0].what,
            "can't be read (its permissions don't allow it), so none of it is read");
  EXPECT_TRUE(en.entries.empty());
  const TextSet set(&everyKey(), ownTexts(files, true));
  EXPECT_EQ(ownTextNotes(set, true),
            std::vector<std::string>{"READING/el/signs.txt: δεν μπορεί να διαβαστεί (τα "
                                     "δικαιώματά του δεν το επιτρέπουν), γι' αυτό δεν διαβάζεται "
                                     "τίποτα από αυτό (διαβάζεται το κείμενο που συνοδεύει το "
                                     "πρόγραμμα)"});
  // Not there at all: nothing is said of it.
  std::filesystem::remove(dir.path() + "/READING/en/signs.txt");
  PosixFileSystem plain(dir.path());
  EXPECT_TRUE(ownTexts(plain, false).problems.empty());
}
#endif

TEST(ReadingTexts, EveryMistakeIsReportedWithItsFileAndLine) {
  TextLayer layer;
  parseTexts(
      "stray text\n"                     // 1: before any key
      "[Sun in Aries]\nFine.\n"          // 2-3
      "[Sun in Arise]\nTypo.\n"          // 4: unknown key
      "[Moon in Leo\nUnclosed.\n"        // 6: unclosed key
      "[Venus in Libra]\n\n"             // 8: no text
      "[Mars in Aries]\n{kind|kinder\n"  // 10: choice not closed
      "[Sun in Aries]\nAgain.\n"         // 12: given twice
      "[Moon in Aries]\n",               // 14: no text
      "signs.txt", layer);
  std::vector<std::string> got;
  for (const auto& p : layer.problems)
    got.push_back(p.file + ":" + std::to_string(p.line) + ": " + p.what);
  EXPECT_EQ(got, (std::vector<std::string>{
                     "signs.txt:1: text before the first [key]",
                     "signs.txt:4: unknown key [Sun in Arise]",
                     "signs.txt:6: a key's line must end with ]",
                     "signs.txt:8: [Venus in Libra] has no text",
                     "signs.txt:10: [Mars in Aries] has a {...|...} choice that is not closed",
                     "signs.txt:12: [Sun in Aries] is given more than once; this one counts",
                     "signs.txt:14: [Moon in Aries] has no text",
                 }));
  EXPECT_EQ(layer.entries.at(*canonicalKey("Sun in Aries")).text, "Again.");
  EXPECT_FALSE(layer.entries.count(*canonicalKey("Mars in Aries")));

  // A file saved as Latin-1 ("Été" in its third line): said once where it first goes wrong,
  // and not one of its entries read, since its letters would be others.
  TextLayer latin;
  parseTexts("[Sun in Aries]\nFine.\n\xc9t\xe9 bad\n[Moon in Aries]\nAlso fine.\n", "houses.txt",
             latin);
  ASSERT_EQ(latin.problems.size(), 1u);
  EXPECT_EQ(latin.problems[0].line, 3);
  EXPECT_EQ(latin.problems[0].what,
            "is not UTF-8 text, so none of the file is read (save it as UTF-8)");
  EXPECT_TRUE(latin.entries.empty());
}

TEST(ReadingTexts, TheShippedSetsAreTheSourceTrees) {
  EXPECT_TRUE(kTextsFromTheSourceTree);
  EXPECT_EQ(shippedTextsFolder(), ORVENDA_TEXTS_DIR);
  EXPECT_TRUE(shippedTexts(true).problems.empty());
  EXPECT_EQ(shippedTexts(true).filesRead.size(), std::size(kSetFiles));
}

TEST(ReadingTexts, AGreekTextChoosesItsWordsByTheSexChosen) {
  EXPECT_EQ(withChoices("Είσαι {σίγουρος|σίγουρη} και {ήρεμος|ήρεμη}.", 2),
            "Είσαι σίγουρη και ήρεμη.");
  EXPECT_EQ(withChoices("Είσαι {σίγουρος|σίγουρη}.", 1), "Είσαι σίγουρος.");
  EXPECT_EQ(withChoices("Είσαι {σίγουρος|σίγουρη}.", 0), "Είσαι σίγουρος.");
  EXPECT_EQ(withChoices("no choice {here", 2), "no choice {here");
}

// ---- the shipped sets ----------------------------------------------------------------------

TextLayer shippedSet(const char* language) {
  TextLayer layer;
  for (const char* file : kSetFiles) {
    const std::string path = std::string(ORVENDA_TEXTS_DIR) + "/" + language + "/" + file;
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    EXPECT_TRUE(in.good() || in.eof()) << path;
    parseTexts(s.str(), path, layer);
  }
  return layer;
}

TEST(ShippedTexts, BothLanguagesHaveEveryKeyWellFormedAndOfTheRightLength) {
  for (const char* language : {"en", "el"}) {
    SCOPED_TRACE(language);
    const TextLayer layer = shippedSet(language);
    for (const auto& p : layer.problems) ADD_FAILURE() << p.file << ":" << p.line << ": " << p.what;
    for (const auto& key : requiredKeys())
      EXPECT_TRUE(layer.entries.count(key)) << "no text for [" << displayKey(key) << "]";
    for (const auto& [key, entry] : layer.entries) {
      // Words of the text a woman reads (the longer choice counts).
      std::istringstream words(withChoices(entry.text, 2));
      const auto n = std::distance(std::istream_iterator<std::string>(words),
                                   std::istream_iterator<std::string>());
      EXPECT_TRUE(n >= 40 && n <= 90) << displayKey(key) << ": " << n << " words";
      // The first sentence is what another house's ruler repeats: a whole sentence.
      if (key.starts_with("house ")) {
        EXPECT_TRUE(firstSentence(entry.text).ends_with(".")) << displayKey(key);
      }
      // English needs no choice by sex; a choice by number, {#one|several}, either language.
      if (std::string(language) == "en") {
        EXPECT_EQ(withNumber(entry.text, false).find('{'), std::string::npos) << displayKey(key);
      }
    }
  }
}

// An aspect's general sense is read under the list of its pairs, which may be one: read for
// one pair it speaks of one, in both languages, and for several of several. The words
// that count pairs are found by a list of their own, not by the choices' marks.
TEST(ShippedTexts, AnAspectsGeneralSenseSpeaksOfOnePairOrOfSeveral) {
  const std::regex pluralEn(
      "\\b((these|the|same) (pairs|contacts|links|frictions)|each pair|each of these)\\b");
  // "Such contacts" (τέτοιες επαφές) speak of the aspect, not of the list: "these" do.
  const std::regex pluralEl("(επαφές αυτές|αυτές τις|αυτά τα ζεύγη|εχθρός τους)");
  const std::regex singularEn("\\b(this pair|the pair|this contact|this link|the two points)\\b");
  int numbered = 0;
  for (const char* language : {"en", "el"}) {
    const bool greek = std::string(language) == "el";
    const TextLayer layer = shippedSet(language);
    for (int aspect = 0; aspect < natal::kAspects; ++aspect) {
      std::string key = natal::aspectName(aspect, false);
      for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      const auto entry = layer.entries.find(key);
      ASSERT_NE(entry, layer.entries.end()) << language << " " << key;
      const std::string& text = entry->second.text;
      const std::string one = withNumber(text, true), several = withNumber(text, false);
      SCOPED_TRACE(std::string(language) + " [" + key + "]");
      EXPECT_EQ(one.find("{#"), std::string::npos);
      EXPECT_FALSE(std::regex_search(one, greek ? pluralEl : pluralEn)) << one;
      if (!greek && one != several) {
        EXPECT_TRUE(std::regex_search(one, singularEn)) << one;
      }
      numbered += one != several;
    }
  }
  EXPECT_EQ(numbered, 18 + 3);  // every English text; the Greek ones that name the list
  EXPECT_EQ(withNumber("{#it|they} {is|are} {#one|}", true), "it {is|are} one");
  EXPECT_EQ(withChoices("{#it|they} {σίγουρος|σίγουρη}", 2), "they σίγουρη");
}

TEST(ShippedTexts, AGreekTextNeverAddressesAWomanAsAMan) {
  // Adjectives and participles of the second person that end as a man's would, left
  // outside a {man|woman} choice: the commonest slips in writing for both.
  const std::regex slip(
      "(είσαι|Είσαι|γίνεσαι|νιώθεις|ένιωσες|φαίνεσαι|μένεις|σε κάνει|σε κάνουν|σε βλέπουν) "
      "(πιο |πολύ |υπερβολικά |βαθιά )?[^ {]+(ος|ός)[ ,.]");
  const std::set<std::string> nouns = {"άνθρωπος", "ενός", "βράχος"};
  const TextLayer layer = shippedSet("el");
  for (const auto& [key, entry] : layer.entries)
    for (std::sregex_iterator m(entry.text.begin(), entry.text.end(), slip), end; m != end; ++m) {
      std::string word = m->str();
      word = word.substr(word.rfind(' ', word.size() - 2) + 1);
      word.pop_back();
      if (!nouns.count(word)) ADD_FAILURE() << displayKey(key) << ": " << m->str();
    }
}

// A text's words with its punctuation made spaces and a space either side, so that a word
// or phrase of the lexicon is found as " may " or " μπορεί να ", whole words only.
std::string spacedWords(const std::string& text) {
  std::string s = " " + withChoices(text, 2) + " ";
  for (const char* mark : {"«", "»", "·", "\xCE\x87", "—", "–", "’", "‘", "“", "”", "…"})
    for (std::size_t at; (at = s.find(mark)) != std::string::npos;)
      s.replace(at, std::strlen(mark), " ");
  for (char& c : s) {
    if (std::string_view(".,;:!?()\"'").find(c) != std::string_view::npos) c = ' ';
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

// The hedges of each language: the words that say a claim is possible or a tendency rather
// than so. English: the modals of possibility (may, might, could), "can" where it says what
// a placement can turn into (can be, can become, can feel, ...; "you can build" is ability
// and does not count), the adverbs of likelihood and the words of tendency. Greek: ίσως,
// μπορεί να / μπορούν να (and μπορείς να where it says what you may become or feel), the
// forms of τείνω να, ενδέχεται and the words of likelihood. Frequency adverbs (often,
// sometimes; συχνά, κάποτε) say how often a tendency shows, plainly, and do not count.
const std::vector<std::string>& hedgesOf(bool greek) {
  static const std::vector<std::string> english = [] {
    std::vector<std::string> h = {"may",      "might",     "could",    "perhaps",  "possibly",
                                  "maybe",    "probably",  "likely",   "unlikely", "tend to",
                                  "tends to", "tended to", "tendency", "prone to", "inclined to"};
    for (const char* verb :
         {"be", "become", "feel", "seem", "turn", "tip", "slip", "slide", "lead", "make", "harden",
          "creep", "flare", "blur", "weigh", "spill", "drift", "sour", "curdle"})
      h.push_back(std::string("can ") + verb);
    return h;
  }();
  static const std::vector<std::string> greekHedges = [] {
    std::vector<std::string> h = {"ίσως",        "Ίσως",        "ενδέχεται",  "Ενδέχεται",
                                  "ενδεχομένως", "Ενδεχομένως", "πιθανόν",    "Πιθανόν",
                                  "πιθανώς",     "Πιθανώς",     "πιθανότατα", "πιθανό",
                                  "Πιθανό",      "τάση να",     "μπορεί να",  "Μπορεί να",
                                  "μπορεί και",  "Μπορεί και",  "μπορούν να", "Μπορούν να"};
    for (const char* form : {"τείνω", "τείνεις", "τείνει", "τείνουμε", "τείνετε", "τείνουν",
                             "Τείνεις", "Τείνει", "Τείνουν"})
      h.push_back(std::string(form) + " να");
    for (const char* verb :
         {"γίνεις", "φανείς", "νιώσεις", "νιώθεις", "είσαι", "παρασυρθείς", "πέσεις", "χαθείς"})
      for (const char* can : {"μπορείς να ", "Μπορείς να "}) h.push_back(can + std::string(verb));
    return h;
  }();
  return greek ? greekHedges : english;
}

int hedgesIn(const std::string& text, bool greek) {
  const std::string s = spacedWords(text);
  int n = 0;
  for (const auto& hedge : hedgesOf(greek)) {
    const std::string word = " " + hedge + " ";
    for (std::size_t at = s.find(word); at != std::string::npos; at = s.find(word, at + 1)) ++n;
  }
  return n;
}

TEST(ShippedTexts, EachLanguageSaysATendencyAsATendencyNeitherAssertingNorHedgingEverything) {
  // A reading neither tells a client what will happen nor qualifies every sentence: over
  // all of a language's texts, 3 to 8 hedges in a thousand words, none with more than two
  // and few with two.
  for (const bool greek : {false, true}) {
    SCOPED_TRACE(greek ? "el" : "en");
    const TextLayer layer = shippedSet(greek ? "el" : "en");
    ASSERT_GT(layer.entries.size(), 1000u);
    long words = 0, hedges = 0;
    std::size_t withTwo = 0;
    for (const auto& [key, entry] : layer.entries) {
      std::istringstream in(withChoices(entry.text, 2));
      words += std::distance(std::istream_iterator<std::string>(in),
                             std::istream_iterator<std::string>());
      const int n = hedgesIn(entry.text, greek);
      hedges += n;
      if (n == 2) ++withTwo;
      EXPECT_LE(n, 2) << displayKey(key) << ": " << entry.text;
    }
    const double perThousand = 1000.0 * static_cast<double>(hedges) / static_cast<double>(words);
    EXPECT_GE(perThousand, 3.0) << hedges << " hedges in " << words << " words";
    EXPECT_LE(perThousand, 8.0) << hedges << " hedges in " << words << " words";
    EXPECT_LE(withTwo * 50, layer.entries.size()) << withTwo << " texts with two hedges";
  }
  // The lexicon finds whole words and phrases only, in either case.
  EXPECT_EQ(hedgesIn("You may. Maybe! Mayday, dismay; it can be, you can build.", false), 3);
  EXPECT_EQ(hedgesIn("Ίσως· «μπορεί να» έρθει, μπορείς να χτίσεις, τείνεις να φεύγεις.", true), 3);
}

TEST(ShippedTexts, TheStelliumInASignNeedsNoBirthTimeAndTheTwoStelliaOpenApart) {
  // A stellium in a sign is read with the birth time unknown as well, when there is no
  // Ascendant and no house; the two stellium entries are read one after the other, so they
  // do not open with the same words.
  for (const bool greek : {false, true}) {
    SCOPED_TRACE(greek ? "el" : "en");
    const TextLayer layer = shippedSet(greek ? "el" : "en");
    const std::string& sign = layer.entries.at(*canonicalKey("stellium in a sign")).text;
    const std::string& house = layer.entries.at(*canonicalKey("stellium in a house")).text;
    for (const char* needsTheTime : {"Ascendant", "rising", "house", "ωροσκόπ", "Ωροσκόπ", "οίκ"})
      EXPECT_EQ(sign.find(needsTheTime), std::string::npos) << needsTheTime;
    auto opening = [](const std::string& text) {
      std::istringstream in(text);
      std::string word, words;
      for (int n = 0; n < 4 && in >> word; ++n) words += word + " ";
      return words;
    };
    EXPECT_NE(opening(sign), opening(house));
  }
}

TEST(ShippedTexts, NoTextTellsAClientsChildhoodOrFamilyAsFact) {
  // Sentences that told a client's past as fact, a parent, siblings, a childhood, each
  // rewritten as a tendency or a possibility; the phrases are listed so they do not return.
  const std::vector<std::string> greek = {
      "φορτώθηκες",
      "ένιωσες έναν γονιό",
      "Με τα αδέλφια υπήρξε",
      "έχουν αφήσει ίχνη",
      "Ωρίμασες νωρίς",
      "Τίποτα δεν σου χαρίστηκε",
      "σε σημάδεψε βαθιά",
      "έπαιξαν ρόλο στο πώς βρήκες",
      "τις κληρονόμησες χωρίς",
      "Με τα αδέλφια σου γνώρισες",
      "Στην οικογένεια υπήρχε",
      "υπήρξαν ζητήματα εξουσίας",
      "Από νωρίς ένιωσες",
      "Κάποτε ένιωσες",
      "δεν σου ήταν πάντα επιτρεπτά",
      "σε έμαθαν νωρίς",
      "μια πίστη που γκρεμίστηκε",
      "δάσκαλοι που σε απογοήτευσαν",
      "Στις ομάδες και στις παρέες ένιωσες",
      "ανέλαβες από μικρή ηλικία",
      "έχει αφήσει βαθύ αποτύπωμα",
      "αγκαλιά που σου έλειψε",
      "έμαθες να σκέφτεσαι τακτικά",
      "πιθανόν μεγάλωσες",
      "σού έμαθαν πρώτοι",
      "Στο πατρικό σου υπήρχε",
      "σε έκριναν",
      "σου επιβλήθηκαν",
      "Κάποτε βρέθηκες",
      "θυμούνται γονείς",
      "Νωρίς ένιωσες",
      "Στα πρώτα σου χρόνια",
      "μεγάλωσαν σε σπίτι",
      "Στα παιδικά σου χρόνια",
      "Στα σχολικά χρόνια",
      "σου ζητήθηκε να μεγαλώσεις",
      "Νωρίς έμαθες",
      "Από εκεί έμαθες",
      "Όταν ένιωθες",
      "Από δύσκολες εμπειρίες έμαθες",
      "σε έπνιγαν κάποτε",
      "οι πρωτοβουλίες σου πνίγονταν",
      "σε παρεξηγούσαν",
      "που κάποτε σου έλειψε",
      "αγνοήθηκε ή κρίθηκε",
      "σού δίδαξαν",
      "Ένιωσες κάποτε",
      "σήκωσες βάρη",
      "Ένιωσες {ξένος|ξένη}",
      "Απορρόφησες",
      "σου έμαθαν νωρίς",
      "η αγάπη στο σπίτι είχε όρους",
      "Ίσως μεγάλωσες",
      "Μεγάλωσες ίσως",
      "Έμαθες όμως νωρίς",
      "που σε μεγάλωσε",
      "ό,τι σου δίδαξαν",
      "σου χάρισε",
      "σε έκανε όμως",
  };
  const std::vector<std::string> english = {
      "a parent's example shaped",
      "has shaped how you give and receive care",
  };
  for (const bool isGreek : {false, true}) {
    const TextLayer layer = shippedSet(isGreek ? "el" : "en");
    for (const auto& [key, entry] : layer.entries)
      for (const auto& phrase : isGreek ? greek : english)
        EXPECT_EQ(entry.text.find(phrase), std::string::npos) << displayKey(key) << ": " << phrase;
  }
}

}  // namespace
}  // namespace orvenda::reading

namespace orvenda::reading {
namespace {

// The sentences of a reading as a client reads them, in the texts, the leads and the lines:
// what ends in a full stop, an exclamation or a question mark (Greek's is ;), four words or
// more. A label ("In the 2nd house", "orb 0°30′, separating") is not a sentence.
std::vector<std::string> sentencesOf(const Reading& r) {
  std::vector<std::string> out;
  auto split = [&](const std::string& text) {
    static const std::regex english("[^.!?]+[.!?]"), greek("[^.!?;]+[.!?;]");
    const std::regex& sentence = r.greek ? greek : english;
    for (std::sregex_iterator it(text.begin(), text.end(), sentence), end; it != end; ++it) {
      std::string s = std::regex_replace(it->str(), std::regex("^\\s+|\\s+$"), "");
      std::istringstream words(s);
      if (std::distance(std::istream_iterator<std::string>(words),
                        std::istream_iterator<std::string>()) >= 4)
        out.push_back(s);
    }
  };
  for (const auto& ch : r.chapters) {
    for (const auto& l : ch.lines) split(l);
    for (const auto& e : ch.entries)
      for (const auto& p : e.parts) split(p.lead), split(p.text);
  }
  return out;
}

TEST(ReadingAsADocument, NoSentenceIsSaidTwiceInAnyChartOrConfiguration) {
  // Random births with every point and aspect on and wide orbs, each rulers' setting, the
  // natural rulers, the borderline, the time un-known: in both languages not one sentence
  // twice.
  std::mt19937 random(31);
  std::uniform_int_distribution<int> year(1900, 2099), month(1, 12), day(1, 28), hour(0, 23),
      minute(0, 59), lon(-170, 170), lat(-60, 65), setting(0, 2);
  int readings = 0, sentences = 0;
  for (int n = 0; n < 240; ++n) {
    ChartConfig config;
    const bool everything = n % 2 == 0;
    config.planets.values.fill(everything ? 12 : 8);
    config.aspects.orbs.fill(everything ? 10 : 6);
    for (int p = 0; p < natal::kPoints; ++p)
      config.planets.enabled[p] = everything || p <= 10 || p >= 20;
    for (int k = 0; k < natal::kAspects; ++k) config.aspects.enabled[k] = everything || k <= 8;
    config.changeRulers = setting(random);
    config.zodiacRulersAlways = n % 3 == 0;
    config.borderlineInterpretation = n % 4 == 0;
    config.borderlineDegrees = 5;
    const BirthRecord r{day(random),
                        month(random),
                        year(random),
                        hour(random),
                        minute(random),
                        0,
                        0,
                        0,
                        lon(random),
                        minute(random),
                        0,
                        lat(random),
                        minute(random),
                        0};
    const auto out = natal::computeChart(r, config, 'P', natal::swissEphemeris(), n % 5 != 0);
    ASSERT_TRUE(out.chart);
    for (const bool greek : {false, true}) {
      const TextSet set(&shippedTexts(greek), TextLayer{});
      const Reading reading = composeReading(
          *out.chart, {config.zodiacRulersAlways, config.changeRulers, n % 2 + 1}, set, greek);
      std::map<std::string, int> seen;
      for (const auto& s : sentencesOf(reading)) {
        ++sentences;
        if (++seen[s] == 2)
          ADD_FAILURE() << "chart " << n << (greek ? " (el)" : " (en)") << ": " << s;
      }
      ++readings;
    }
  }
  EXPECT_EQ(readings, 480);
  EXPECT_GT(sentences, 480 * 60);
}

}  // namespace
}  // namespace orvenda::reading

#include "config/default_settings.h"

namespace orvenda::reading {
namespace {

// ---- the figures, against a detector of the test's own ----------------------------------

// A figure as the reading tells it, or as the detector below finds it: its kind, every
// point in it, and the points at its apex (a T-square's, a yod's; none for the others).
struct Told {
  std::string kind;
  std::set<int> points, apex;
  bool operator<(const Told& o) const {
    return std::tie(kind, points, apex) < std::tie(o.kind, o.points, o.apex);
  }
};

// The points as the English leads name them.
constexpr const char* kNamesInText[22] = {"the Sun",        "the Moon",       "Mercury",
                                          "Venus",          "Mars",           "Jupiter",
                                          "Saturn",         "Uranus",         "Neptune",
                                          "Pluto",          "Chiron",         "Ceres",
                                          "Pallas Athena",  "Juno",           "Vesta",
                                          "the North Node", "Lilith",         "the Part of Fortune",
                                          "the Vertex",     "the East Point", "the Ascendant",
                                          "the Midheaven"};

std::set<int> namedIn(const std::string& text) {
  std::set<int> out;
  for (int p = 0; p < 22; ++p) {
    const std::string name = kNamesInText[p];
    for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1)) {
      const std::size_t end = at + name.size();
      const bool whole =
          (at == 0 || !std::isalpha(static_cast<unsigned char>(text[at - 1]))) &&
          (end == text.size() || !std::isalpha(static_cast<unsigned char>(text[end])));
      if (whole) out.insert(p);
    }
  }
  return out;
}

// The figures the chapter on the whole chart tells, read from its leads.
std::multiset<Told> toldFigures(const Reading& r) {
  std::multiset<Told> out;
  const Chapter* whole = chapter(r, "whole");
  if (!whole) return out;
  for (const auto& e : whole->entries) {
    if (e.heading != "Grand trine" && e.heading != "T-square" && e.heading != "Grand cross" &&
        e.heading != "Yod")
      continue;
    for (const auto& p : e.parts) {
      std::string lead = p.lead;  // "The Sun opposite …": its capital as the list's
      if (lead.starts_with("The ")) lead[0] = 't';
      Told t{e.heading, namedIn(lead), {}};
      const std::size_t with = lead.rfind(", with ");
      if (with != std::string::npos) t.apex = namedIn(lead.substr(with));
      out.insert(t);
    }
  }
  return out;
}

// The figures by the README's rule, found another way than the reading finds them: the
// corners are the conjunction graph's components, walked breadth first; a figure is a set of
// corners whose pairs hold the aspects it needs, tried over every choice of corners; figures
// of a kind one corner apart, by points within 10° there, are joined by walking the graph
// of such neighbours, and what a component holds is one figure.
std::multiset<Told> expectedFigures(const NatalChart& c) {
  std::vector<int> pts;
  for (const auto& p : c.points) pts.push_back(p.index);
  std::map<std::pair<int, int>, int> aspect;
  for (const auto& a : c.aspects) aspect[{a.a, a.b}] = aspect[{a.b, a.a}] = a.aspect;
  std::vector<std::vector<int>> corner;
  std::map<int, int> cornerOf;
  for (int p : pts) {
    if (cornerOf.count(p)) continue;
    std::vector<int> queue = {p};
    cornerOf[p] = static_cast<int>(corner.size());
    for (std::size_t i = 0; i < queue.size(); ++i)
      for (int q : pts)
        if (!cornerOf.count(q) && aspect.count({queue[i], q}) && aspect[{queue[i], q}] == 0) {
          cornerOf[q] = static_cast<int>(corner.size());
          queue.push_back(q);
        }
    corner.push_back(queue);
  }
  const int n = static_cast<int>(corner.size());
  auto holds = [&](int i, int j, int kind) {
    for (int a : corner[i])
      for (int b : corner[j])
        if (aspect.count({a, b}) && aspect[{a, b}] == kind) return true;
    return false;
  };
  auto planetAt = [&](int i) {
    return std::any_of(corner[i].begin(), corner[i].end(), [](int p) { return p <= 9; });
  };
  // A raw figure: its kind and its corners by role; roles of one group may be swapped
  // (an opposition's ends, a trine's corners), the apex is a group of its own.
  struct Raw {
    std::string kind;
    std::vector<std::set<int>> groups;  // sets of corners
  };
  std::vector<Raw> raw;
  auto enough = [&](std::initializer_list<int> at) {
    return std::count_if(at.begin(), at.end(), planetAt) >= 2;
  };
  std::vector<std::set<int>> crosses;
  for (int a = 0; a < n; ++a)
    for (int b = 0; b < n; ++b)
      for (int x = 0; x < n; ++x)
        for (int y = 0; y < n; ++y)
          if (a < b && x < y && a < x && b != x && b != y && holds(a, b, 1) && holds(x, y, 1) &&
              holds(a, x, 2) && holds(a, y, 2) && holds(b, x, 2) && holds(b, y, 2)) {
            crosses.push_back({a, b, x, y});
            if (enough({a, b, x, y})) raw.push_back({"Grand cross", {{a, b, x, y}}});
          }
  for (int a = 0; a < n; ++a)
    for (int b = a + 1; b < n; ++b)
      for (int x = 0; x < n; ++x) {
        if (x == a || x == b) continue;
        if (x > b && holds(a, b, 3) && holds(b, x, 3) && holds(a, x, 3) && enough({a, b, x}))
          raw.push_back({"Grand trine", {{a, b, x}}});
        const bool inCross = std::any_of(crosses.begin(), crosses.end(), [&](const auto& k) {
          return k.count(a) && k.count(b) && k.count(x);
        });
        if (holds(a, b, 1) && holds(a, x, 2) && holds(b, x, 2) && !inCross && enough({a, b, x}))
          raw.push_back({"T-square", {{a, b}, {x}}});
        if (holds(a, b, 4) && holds(a, x, 5) && holds(b, x, 5) && enough({a, b, x}))
          raw.push_back({"Yod", {{a, b}, {x}}});
      }
  auto near = [&](int i, int j) {
    for (int a : corner[i])
      for (int b : corner[j])
        if (natal::separation(c.point(a)->longitude, c.point(b)->longitude) <= 10) return true;
    return false;
  };
  auto neighbours = [&](const Raw& f, const Raw& g) {
    if (f.kind != g.kind) return false;
    int differ = 0;
    for (std::size_t k = 0; k < f.groups.size(); ++k) {
      std::vector<int> onlyF, onlyG;
      std::set_difference(f.groups[k].begin(), f.groups[k].end(), g.groups[k].begin(),
                          g.groups[k].end(), std::back_inserter(onlyF));
      std::set_difference(g.groups[k].begin(), g.groups[k].end(), f.groups[k].begin(),
                          f.groups[k].end(), std::back_inserter(onlyG));
      if (onlyF.empty() && onlyG.empty()) continue;
      if (onlyF.size() != 1 || onlyG.size() != 1 || !near(onlyF[0], onlyG[0])) return false;
      ++differ;
    }
    return differ == 1;
  };
  std::multiset<Told> out;
  std::vector<bool> done(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (done[i]) continue;
    Told t{raw[i].kind, {}, {}};
    std::vector<std::size_t> queue = {i};
    done[i] = true;
    for (std::size_t q = 0; q < queue.size(); ++q) {
      const Raw& f = raw[queue[q]];
      for (std::size_t g = 0; g < f.groups.size(); ++g)
        for (int k : f.groups[g])
          for (int p : corner[k]) {
            t.points.insert(p);
            if (g == 1) t.apex.insert(p);
          }
      for (std::size_t j = 0; j < raw.size(); ++j)
        if (!done[j] && neighbours(f, raw[j])) done[j] = true, queue.push_back(j);
    }
    out.insert(t);
  }
  return out;
}

std::string shown(const std::multiset<Told>& figures) {
  std::string s;
  for (const auto& f : figures) {
    s += f.kind + " {";
    for (int p : f.points) s += std::string(kNamesInText[p]) + (f.apex.count(p) ? "*" : "") + ",";
    s += "} ";
  }
  return s;
}

TEST(ReadingPatterns, TwoFiguresOneCornerApartAreOneFigure) {
  // The Sun and the North Node 7.2° apart, not in conjunction by a 5° orb: the Moon opposite
  // both and Saturn square all three, two T-squares told as one.
  FixedEphemeris eph;
  eph.longitudes[0] = 10;     // Sun
  eph.longitudes[15] = 17.2;  // the North Node
  eph.longitudes[1] = 193.6;  // Moon
  eph.longitudes[6] = 103.6;  // Saturn
  const Reading r = read(chartOf(eph, configOf({0, 1, 6, 15})));
  const Chapter* whole = chapter(r, "whole");
  ASSERT_TRUE(whole);
  std::vector<std::string> leads;
  for (const auto& e : whole->entries)
    if (e.heading == "T-square")
      for (const auto& p : e.parts) leads.push_back(p.lead);
  EXPECT_EQ(leads, std::vector<std::string>{
                       "The Sun and the North Node opposite the Moon, with Saturn at the apex."});
  // A grand cross says its two oppositions apart, each with its own two ends.
  FixedEphemeris x;
  x.longitudes[0] = 10, x.longitudes[1] = 100, x.longitudes[4] = 190, x.longitudes[6] = 280;
  const Reading cross = read(chartOf(x, configOf({0, 1, 4, 6})));
  bool found = false;
  for (const auto& e : chapter(cross, "whole")->entries)
    if (e.heading == "Grand cross") {
      found = true;
      EXPECT_EQ(e.parts.back().lead,
                "The Sun opposite Mars; the Moon opposite Saturn; the two oppositions square "
                "each other.");
    }
  EXPECT_TRUE(found);
}

TEST(ReadingPatterns, EachFigureIsToldOnceInRandomCharts) {
  std::mt19937 random(38);
  std::uniform_int_distribution<int> year(1900, 2099), month(1, 12), day(1, 28), hour(0, 23),
      minute(0, 59), lon(-170, 170), lat(-60, 65);
  const DefaultSettings defaults;
  int figures = 0, merged = 0;
  for (int n = 0; n < 600; ++n) {
    // The default configuration; every point on; every point on with wide orbs.
    ChartConfig config;
    config.aspects = defaults.aspects;
    config.planets = defaults.planets;
    if (n % 3 >= 1)
      for (int p = 0; p < natal::kPoints; ++p) config.planets.enabled[p] = 1;
    if (n % 3 == 2) {
      config.planets.values.fill(12);
      config.aspects.orbs.fill(10);
    }
    const BirthRecord b{day(random),
                        month(random),
                        year(random),
                        hour(random),
                        minute(random),
                        0,
                        0,
                        0,
                        lon(random),
                        minute(random),
                        0,
                        lat(random),
                        minute(random),
                        0};
    const auto out = natal::computeChart(b, config, 'P', natal::swissEphemeris(), true);
    ASSERT_TRUE(out.chart);
    const auto expected = expectedFigures(*out.chart);
    const auto told = toldFigures(read(*out.chart));
    EXPECT_EQ(shown(told), shown(expected)) << "chart " << n;
    figures += static_cast<int>(expected.size());
    for (const auto& f : expected) merged += f.points.size() > (f.kind == "Grand cross" ? 4u : 3u);
  }
  // The charts hold figures, and some with more than one point at a corner.
  EXPECT_GT(figures, 200);
  EXPECT_GT(merged, 20);
}

}  // namespace
}  // namespace orvenda::reading
