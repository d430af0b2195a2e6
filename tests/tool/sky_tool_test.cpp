// orvenda-chart sky and prenatal run as a user runs them: a month of the sky at Athens in
// its zone, each line against the instants and degrees of swetest (tests/sky: the
// lunations and the void Moon by bisection on its positions), the same in JSON in UT, and
// what the command line refuses.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "config/default_settings.h"
#include "config/settings_store.h"
#include "platform/posix_file_system.h"
#include "support/temp_dir.h"
#include "tool/commands.h"

namespace orvenda::tool {
namespace {

using testing::TempDir;

class SkyTool : public ::testing::Test {
 protected:
  SkyTool() {
    dir.mkdir("NAMES");
    dir.mkdir("settings");
    PosixFileSystem files(dir.path());
    SettingsStore store(files);
    EXPECT_TRUE(writeDefaultSettings(store));
    ::setenv("ORVENDA_ZONES", ORVENDA_ZONES_FILE, 1);
    ::setenv("ORVENDA_ATLAS", ORVENDA_ATLAS_FILE, 1);
    ::setenv("ORVENDA_TEXTS", ORVENDA_TEXTS_DIR, 1);
  }
  int run(std::vector<std::string> args) {
    out.str("");
    err.str("");
    args.insert(args.begin(), {"-C", dir.path()});
    return runTool(args, out, err);
  }
  TempDir dir;
  std::ostringstream out, err;
};

TEST_F(SkyTool, AMonthAtAthensLineByLine) {
  ASSERT_EQ(run({"sky", "--from", "2027-03-01", "--to", "2027-03-31", "--zone", "Europe/Athens"}),
            0)
      << err.str();
  std::vector<std::string> lines;
  std::istringstream in(out.str());
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], "sky 2027-03-01 00:00 – 2027-04-01 00:00 (Europe/Athens)");
  EXPECT_EQ(lines[1], "March 2027");
  // The instants of sky_reference.py in UT, two hours on (three from the 28th, when the
  // clocks go forward), to the minute; the Moon's degrees from swetest -p1 -fl at them:
  // 347.5801, 84.8598, 181.5852, 279.1029.
  auto hasLine = [&](const std::string& want) {
    for (const std::string& l : lines)
      if (l == want) return true;
    ADD_FAILURE() << "no line\n" << want << "\nin\n" << out.str();
    return false;
  };
  hasLine("  2027-03-08 11:29  new moon        17°35′ Pisces");
  hasLine("  2027-03-15 18:25  first quarter   24°52′ Gemini");
  hasLine("  2027-03-22 12:44  full moon       1°35′ Libra");
  hasLine("  2027-03-30 03:54  last quarter    9°06′ Capricorn");
  // The Moon conjunct the Sun at the new moon (09:29:29 UT), then void until it enters
  // Aries at 09:02:33 UT; the last of the month from its square to Saturn, 16:12:39 UT, to
  // Aquarius at 19:19:47 UT.
  hasLine(
      "  2027-03-08 11:29  void of course  until 2027-03-09 11:03, the Moon in Pisces, "
      "last conjunction Sun");
  hasLine(
      "  2027-03-30 19:13  void of course  until 2027-03-31 22:20, the Moon in Capricorn, "
      "last square Saturn");
  // Four lunations and fourteen stretches, no eclipse this month: 18 moments, a heading.
  EXPECT_EQ(lines.size(), 2u + 18u);

  // The same in JSON, every instant in UT to the minute.
  ASSERT_EQ(run({"sky", "--from", "2027-03-01", "--to", "2027-03-31", "--zone", "Europe/Athens",
                 "--json"}),
            0)
      << err.str();
  const auto j = nlohmann::json::parse(out.str());
  ASSERT_EQ(j["lunations"].size(), 4u);
  EXPECT_EQ(j["lunations"][0]["at"], "2027-03-08T09:29:00Z");
  EXPECT_EQ(j["lunations"][2]["phase"], "full moon");
  EXPECT_EQ(j["lunations"][2]["at"], "2027-03-22T10:44:00Z");
  ASSERT_EQ(j["void_of_course"].size(), 14u);
  EXPECT_EQ(j["void_of_course"][3]["from"], "2027-03-08T09:29:00Z");
  EXPECT_EQ(j["void_of_course"][3]["to"], "2027-03-09T09:03:00Z");
  EXPECT_EQ(j["void_of_course"][3]["with"], "Sun");
  EXPECT_EQ(j["eclipses"].size(), 0u);
}

TEST_F(SkyTool, TheEclipsesOfAYearSeenFromAthens) {
  // swetest -solecl -b1.1.2027: the annular eclipse of 6 February (15:59:38.9 UT) and the
  // total one of 2 August (10:06:41.3 UT); -solecl -local -geopos23.7267,37.9667 -b1.7.2027:
  // only the second is seen at Athens.
  ASSERT_EQ(run({"sky", "--from", "2027-01-01", "--to", "2027-12-31", "--zone", "UTC", "--eclipses",
                 "--lon", "23:43:36E", "--lat", "37:58:00N", "--json"}),
            0)
      << err.str();
  const auto j = nlohmann::json::parse(out.str());
  ASSERT_EQ(j["eclipses"].size(), 5u);
  EXPECT_EQ(j["eclipses"][0]["at"], "2027-02-06T16:00:00Z");
  EXPECT_EQ(j["eclipses"][0]["kind"], "annular");
  EXPECT_EQ(j["eclipses"][0]["saros"], 131);
  EXPECT_EQ(j["eclipses"][0]["seen"]["visible"], false);
  EXPECT_EQ(j["eclipses"][3]["at"], "2027-08-02T10:07:00Z");
  EXPECT_EQ(j["eclipses"][3]["kind"], "total");
  EXPECT_EQ(j["eclipses"][3]["seen"]["visible"], true);
  EXPECT_FALSE(j.contains("lunations"));
}

TEST_F(SkyTool, TheSyzygyAndTheEclipsesBeforeABirthIn1957) {
  // The New York chart: 14 March 1957 09:41 at GMT −5. Before it: the new moon of 1 March
  // 16:12:18 UT (sky_reference.py lunations 25.2.1957 5; the Moon at 340.8243786 by swetest
  // -bj2435899.175209 -ut -p1 -fl), the partial solar eclipse of 2 December 1956 08:00:07.6
  // UT (swetest -solecl -b1.1.1956: Saros 151/11; the Sun at 250.1337290) and the total
  // lunar one of 18 November 06:47:45.8 UT (swetest -lunecl: Saros 125/45; the Moon at
  // 55.9468544). Before 1970 the minutes are rounded as after it.
  ASSERT_EQ(run({"new", "ny", "--date", "1957-03-14", "--time", "09:41", "--lon", "74:00:21W",
                 "--lat", "40:42:51N", "--offset", "-5:00"}),
            0)
      << err.str();
  ASSERT_EQ(run({"prenatal", "ny", "--zone", "UTC"}), 0) << err.str();
  std::vector<std::string> lines;
  std::istringstream in(out.str());
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  ASSERT_EQ(lines.size(), 4u) << out.str();
  EXPECT_EQ(lines[0], "prenatal ny (UTC)");
  EXPECT_EQ(lines[1].substr(0, lines[1].find("  house")),
            "  new moon        1957-03-01 16:12  10°49′ Pisces");
  EXPECT_EQ(lines[2].substr(0, lines[2].find("  house")),
            "  solar eclipse   1956-12-02 08:00  10°08′ Sagittarius  partial, Saros 151/11");
  EXPECT_EQ(lines[3].substr(0, lines[3].find("  house")),
            "  lunar eclipse   1956-11-18 06:48  25°57′ Taurus  total, Saros 125/45");
}

TEST_F(SkyTool, TheMonthsCalendarReadBackBySecondReader) {
  // The month of the first test as a calendar: read by ics_reader.py (RFC 5545 with
  // Python's library alone), an event at each moment in UT, the void Moon as stretches, no
  // UID twice, the same UIDs written again.
  const std::string file = dir.path() + "/sky.ics";
  const std::vector<std::string> args = {"sky",        "--from", "2027-03-01",    "--to",
                                         "2027-03-31", "--zone", "Europe/Athens", "--ics",
                                         "-o",         file};
  ASSERT_EQ(run(args), 0) << err.str();
  auto read = [&] {
    const std::string command = "python3 '" ORVENDA_ICS_READER "' '" + file + "' 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string said;
    char buf[65536];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) said.append(buf, n);
    EXPECT_EQ(::pclose(pipe), 0) << said.substr(0, 500);
    return nlohmann::json::parse(said);
  };
  const auto first = read();
  ASSERT_EQ(first["events"].size(), 18u);
  std::set<std::string> uids;
  bool newMoon = false, voidAfterIt = false;
  for (const auto& e : first["events"]) {
    uids.insert(e.value("UID", ""));
    if (e.value("DTSTART", "") == "20270308T092900Z" &&
        e.value("SUMMARY", "") == "New moon 17°35′ Pisces")
      newMoon = true;
    if (e.value("DTSTART", "") == "20270308T092900Z" && e.value("DTEND", "") == "20270309T090300Z")
      voidAfterIt = true;
  }
  EXPECT_EQ(uids.size(), 18u);
  EXPECT_TRUE(newMoon);
  EXPECT_TRUE(voidAfterIt);
  ASSERT_EQ(run(args), 0) << err.str();
  std::set<std::string> again;
  const auto second = read();
  for (const auto& e : second["events"]) again.insert(e.value("UID", ""));
  EXPECT_EQ(again, uids);
}

TEST_F(SkyTool, FebruaryTwentySevenReadForTheNewYorkChart) {
  // The New York chart (14 March 1957 09:41 at GMT -5), Placidus cusps by swetest -b14.3.1957
  // -ut14:41 -house-74.005833,40.714167,P: the 4th from 135.7319, the 5th from 165.3696, the
  // 10th (the Midheaven) from 315.7319, the 11th from 345.3696; the natal Moon at 152.7471
  // (swetest -p1). February 2027: the annular eclipse of 6 February 15:59:38.9 UT (swetest
  // -solecl), the Sun at 317.6296, 17°38′ Aquarius: the 10th house, 1°54′ past the
  // Midheaven; the penumbral one of 20 February 23:12:52.8 UT (-lunecl), the Moon at
  // 151.9829, 1°59′ Virgo: the 4th house, 0°46′ before the natal Moon. Each is the month's
  // new or full moon (the full moon exact at 23:23:39 UT by bisection on swetest's Sun and
  // Moon, the Moon at 152.0931); the prenatal new moon of 1 March 1957 at 340.8244 is in
  // Pisces.
  ASSERT_EQ(run({"new", "ny", "--date", "1957-03-14", "--time", "09:41", "--lon", "74:00:21W",
                 "--lat", "40:42:51N", "--offset", "-5:00"}),
            0)
      << err.str();
  ASSERT_EQ(run({"sky", "ny", "--from", "2027-02-01", "--to", "2027-02-28", "--zone", "UTC",
                 "--houses", "placidus", "--reading"}),
            0)
      << err.str();
  // The text as one line: the printer wraps at 80 columns.
  std::string text;
  {
    std::istringstream in(out.str());
    for (std::string w; in >> w;) text += (text.empty() ? "" : " ") + w;
  }
  auto says = [&](const std::string& want) {
    EXPECT_NE(text.find(want), std::string::npos) << "no \"" << want << "\" in\n" << out.str();
  };
  says("The sky of the period");
  says("New moon in the 10th house: 6 February 2027, 17°38′ Aquarius");
  says("Full moon in the 4th house: 20 February 2027, 2°06′ Virgo");
  says("Solar eclipse in the 10th house: annular, 6 February 2027, 17°38′ Aquarius");
  says("Lunar eclipse in the 4th house: penumbral, 20 February 2027, 1°59′ Virgo");
  says(
      "An eclipse on the natal Midheaven: annular solar eclipse, 6 February 2027 "
      "(conjunction, 1°54′)");
  says(
      "An eclipse on the natal Moon: penumbral lunar eclipse, 20 February 2027 "
      "(conjunction, 0°46′)");
  says("The new moon before birth");
  says("1 March 1957, 10°49′ Pisces");
  // Each read by the shipped text of its key, as texts/en/sky.txt opens it.
  says("At the top of the chart, in the tenth house, a new lunar month begins");
  EXPECT_EQ(text.find("first quarter"), std::string::npos);
  EXPECT_EQ(text.find("eclipse in house"), std::string::npos);
  EXPECT_EQ(err.str(), "");
}

TEST_F(SkyTool, TheTextInTheWordsOfAGreekChart) {
  // The same New York chart made in Greek (the horoscope language of the configuration): the
  // annular eclipse of 6 February 2027 (swetest -solecl: 2461443.166422, 16:00 UT, magnitude
  // 0.9289, Saros 131/51; the Sun at 317.6296) in the 10th house, 1°54′ past the Midheaven
  // (315.7319) and 2°37′ past Chiron (swetest -pD: 315.0070); the prenatal new moon of 1
  // March 1957 at 10°49′ Pisces, in the 10th house; 10 December 2026 a Thursday, the day of
  // Jupiter.
  {
    PosixFileSystem files(dir.path());
    SettingsStore store(files);
    ASSERT_TRUE(store.write(IntSetting::Langhor, 1));
  }
  ASSERT_EQ(run({"new", "ny", "--date", "1957-03-14", "--time", "09:41", "--lon", "74:00:21W",
                 "--lat", "40:42:51N", "--offset", "-5:00"}),
            0)
      << err.str();
  ASSERT_EQ(run({"sky", "ny", "--from", "2027-02-06", "--to", "2027-02-06", "--zone", "UTC",
                 "--houses", "placidus", "--eclipses", "--lon", "23:43:40E", "--lat", "37:59:02N"}),
            0)
      << err.str();
  EXPECT_EQ(out.str(),
            "ουρανός ny 2027-02-06 00:00 – 2027-02-07 00:00 (UTC), όπως φαίνεται από 37°59′02″ "
            "Β, 23°43′40″ Α\n"
            "Φεβρουάριος 2027\n"
            "  2027-02-06 16:00  ηλιακή έκλειψη     17°38′ Υδροχόος  δακτυλιοειδής, μέγεθος "
            "0,9289, Σάρος 131/51  οίκος 10, ☌ Μεσουράνημα 1°54′, ☌ Χείρωνας 2°37′· δεν "
            "φαίνεται από 37°59′02″ Β, 23°43′40″ Α\n");
  ASSERT_EQ(run({"prenatal", "ny", "--zone", "UTC", "--houses", "placidus"}), 0) << err.str();
  EXPECT_NE(out.str().find("\n  νέα σελήνη         1957-03-01 16:12  10°49′ Ιχθύες  οίκος 10\n"),
            std::string::npos)
      << out.str();
  ASSERT_EQ(run({"sky", "--hours", "2026-12-10", "--lon", "23:43:40E", "--lat", "37:59:02N",
                 "--zone", "Europe/Athens"}),
            0)
      << err.str();
  EXPECT_TRUE(out.str().starts_with("πλανητικές ώρες 2026-12-10, ημέρα του Δία, ")) << out.str();
  EXPECT_NE(out.str().find("\n  ημέρα  1  07:30 – 08:18  Δίας\n"), std::string::npos) << out.str();
}

TEST_F(SkyTool, WhatTheReadingAndTheReportRefuse) {
  ASSERT_EQ(run({"new", "ny", "--date", "1957-03-14", "--time", "09:41", "--lon", "74:00:21W",
                 "--lat", "40:42:51N", "--offset", "-5:00"}),
            0)
      << err.str();
  const std::string page = dir.path() + "/sky.html", other = dir.path() + "/other.txt";
  const std::vector<std::vector<std::string>> refused = {
      {"sky", "ny", "--reading", "--json"},
      {"sky", "ny", "--reading", "--ics"},
      {"sky", "--reading"},
      {"sky", "ny", "--html", page, "--json"},
      {"sky", "ny", "--pdf", page, "--ics"},
      {"sky", "ny", "--html", page, "-o", other},
      {"sky", "ny", "--html", page, "--reading"},
      {"sky", "ny", "--reading", "--sex", "neither"},
      {"sky", "ny", "--sex", "man"},
      {"sky", "--html", page, "--sex", "man"},
      {"sky", "--hours", "2026-12-10", "--lon", "23E", "--lat", "38N", "--html", page}};
  for (const auto& args : refused) {
    std::string line;
    for (const auto& a : args) line += " " + a;
    EXPECT_EQ(run(args), 2) << line;
    EXPECT_NE(err.str(), "") << line;
    EXPECT_EQ(out.str(), "") << line;
    std::FILE* f = std::fopen(page.c_str(), "r");
    EXPECT_EQ(f, nullptr) << line;
    if (f) std::fclose(f);
    f = std::fopen(other.c_str(), "r");
    EXPECT_EQ(f, nullptr) << line;
    if (f) std::fclose(f);
  }
}

TEST_F(SkyTool, WhatTheCommandLineRefuses) {
  EXPECT_EQ(run({"sky", "--json", "--ics"}), 2);
  EXPECT_EQ(run({"sky", "--hours", "2026-12-10"}), 2);
  EXPECT_NE(err.str().find("--hours needs a place"), std::string::npos) << err.str();
  EXPECT_EQ(run({"sky", "--hours", "2026-13-10", "--lon", "23E", "--lat", "38N"}), 2);
  EXPECT_EQ(run({"sky", "--lon", "23E"}), 2);
  EXPECT_EQ(run({"sky", "--eclipses", "--modern"}), 2);
  // Beyond the polar circle in December: no sunrise, no hours, and said so.
  EXPECT_EQ(run({"sky", "--hours", "2026-12-10", "--lon", "18:57E", "--lat", "69:39N", "--zone",
                 "Europe/Oslo"}),
            1);
  EXPECT_NE(err.str().find("does not both rise and set"), std::string::npos) << err.str();
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(run({"prenatal"}), 2);
}

}  // namespace
}  // namespace orvenda::tool
