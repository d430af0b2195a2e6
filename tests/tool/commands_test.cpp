// orvenda-chart run as a user runs it, in a working directory of its own: the files it
// writes byte for byte, what it refuses, and the round trips through CSV and AAF.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include <unistd.h>

#include "birth/birth_record.h"
#include "config/default_settings.h"
#include "config/settings_store.h"
#include "natal/ephemeris.h"
#include "natal/names.h"
#include "natal/pair_reference.h"
#include "places/atlas.h"
#include "platform/posix_file_system.h"
#include "support/temp_dir.h"
#include "tool/commands.h"
#include "tool/saved_chart.h"
#include "tool/traditional_views.h"

namespace orvenda::tool {
namespace {

using namespace places;

using testing::TempDir;

std::vector<std::uint8_t> image(const BirthRecord& r) {
  const auto a = encodeChart(r);
  return {a.begin(), a.end()};
}

std::vector<std::uint8_t> bytes(const std::string& text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

// A small atlas in the form the generator writes, with the traps of the real one: two
// places of one name in one country, an accented name, a name that needed escaping.
constexpr const char* kAtlas =
    "// test atlas\n"
    "window.ORVENDA_ATLAS = {\n"
    "zones: [\"America/New_York\",\"Europe/London\",\"America/Sao_Paulo\",\"Europe/Athens\","
    "\"America/Indiana/Indianapolis\",\"America/Chicago\"],\n"
    "countries: {\"US\":[\"United States of "
    "America\",\"\xce\x97\xce\xbd\xcf\x89\xce\xbc\xce\xad\xce\xbd\xce\xb5\xcf\x82 "
    "\xce\xa0\xce\xbf\xce\xbb\xce\xb9\xcf\x84\xce\xb5\xce\xaf\xce\xb5\xcf\x82\"],"
    "\"GB\":[\"United Kingdom\",\"\xce\x97\xce\xbd\xcf\x89\xce\xbc\xce\xad\xce\xbd\xce\xbf "
    "\xce\x92\xce\xb1\xcf\x83\xce\xaf\xce\xbb\xce\xb5\xce\xb9\xce\xbf\"],"
    "\"BR\":[\"Brazil\",\"\xce\x92\xcf\x81\xce\xb1\xce\xb6\xce\xb9\xce\xbb\xce\xaf\xce\xb1\"],"
    "\"GR\":[\"Greece\",\"\xce\x95\xce\xbb\xce\xbb\xce\xac\xce\xb4\xce\xb1\"]},\n"
    "regions: {\"US.NY\":\"New "
    "York\",\"US.IL\":\"Illinois\",\"US.IN\":\"Indiana\",\"US.MA\":\"Massachusetts\",\"GB.ENG\":"
    "\"England\",\"GR."
    "ESYE31\":\"Attica\"},\n"
    "places: [\n"
    "\"New York City\tNew York\tUS\t40.71427\t-74.00597\t0\t8175133\tNY\",\n"
    "\"London\t\tGB\t51.50853\t-0.12574\t1\t7556900\tENG\",\n"
    "\"S\xc3\xa3o Paulo\t\tBR\t-23.5475\t-46.63611\t2\t10021295\t\",\n"
    "\"Athens\t\tGR\t37.98376\t23.72784\t3\t664046\tESYE31\",\n"
    "\"Springfield\t\tUS\t39.80172\t-89.64371\t0\t116565\tIL\",\n"
    "\"Springfield\t\tUS\t42.10148\t-72.58981\t0\t153060\tMA\",\n"
    "\"Quote \\\"Town\\\"\t\tUS\t40\t-75\t0\t1000\tNY\",\n"
    // Two places of one name in one region, in two zones: only coordinates tell them apart.
    "\"Dale\t\tUS\t40.01667\t-86.4\t4\t1544\tIN\",\n"
    "\"Dale\t\tUS\t38.16889\t-86.99\t5\t1542\tIN\"\n"
    "].join(\"\\n\")\n"
    "};\n";

class ChartTool : public ::testing::Test {
 protected:
  ChartTool() {
    dir.mkdir("NAMES");
    dir.write("atlas.js",
              std::vector<std::uint8_t>(kAtlas, kAtlas + std::char_traits<char>::length(kAtlas)));
    ::setenv("ORVENDA_ATLAS", (dir / "atlas.js").c_str(), 1);
    // The shipped interpretation sets are read once per process, from here.
    ::setenv("ORVENDA_TEXTS", ORVENDA_TEXTS_DIR, 1);
    ::setenv("ORVENDA_ZONES", ORVENDA_ZONES_FILE, 1);
  }
  ~ChartTool() override { ::unsetenv("ORVENDA_ATLAS"); }

  int run(std::vector<std::string> args) {
    out.str("");
    err.str("");
    args.insert(args.begin(), {"-C", dir.path()});
    return runTool(args, out, err);
  }
  BirthRecord chart(const std::string& name) const {
    BirthRecord r{};
    decodeChart(dir.read("NAMES/" + name), r);
    return r;
  }

  TempDir dir;
  std::ostringstream out, err;
};

TEST_F(ChartTool, NewWritesTheChartAndItsNotesAsTheProgramsSaveDoes) {
  ASSERT_EQ(
      run({"new", "Maria", "--date", "1957-03-14", "--time", "09:41", "--place", "New York, US"}),
      0)
      << err.str();
  EXPECT_EQ(dir.read("NAMES/Maria").size(), 56u);
  EXPECT_EQ(chart("Maria"), (BirthRecord{14, 3, 1957, 9, 41, 0, -5, 0, -74, 0, 21, 40, 42, 51}));
  EXPECT_TRUE(dir.exists("NAMES/Maria.txt"));
  EXPECT_TRUE(dir.read("NAMES/Maria.txt").empty());
  // Accents and case don't matter; a Greek name is a Greek file name.
  ASSERT_EQ(
      run({"new", "Γιώργος", "--date", "14.3.1960", "--time", "12:00", "--place", "sao paulo"}), 0)
      << err.str();
  EXPECT_EQ(chart("Γιώργος").gmtHours, -3);
}

TEST_F(ChartTool, AnExistingChartIsReplacedOnlyWithForceAndItsNotesStay) {
  ASSERT_EQ(run({"new", "a", "--date", "2000-01-01", "--time", "10:00", "--place", "Athens"}), 0);
  dir.write("NAMES/a.txt", {'n', 'o', 't', 'e'});
  const auto before = dir.read("NAMES/a");
  EXPECT_EQ(run({"new", "a", "--date", "2001-01-01", "--time", "10:00", "--place", "Athens"}), 1);
  EXPECT_NE(err.str().find("--force"), std::string::npos);
  EXPECT_EQ(dir.read("NAMES/a"), before);
  ASSERT_EQ(
      run({"new", "a", "--date", "2001-01-01", "--time", "10:00", "--place", "Athens", "--force"}),
      0);
  EXPECT_EQ(chart("a").year, 2001);
  EXPECT_EQ(dir.read("NAMES/a.txt").size(), 4u);
}

TEST_F(ChartTool, RefusalsSayWhyAndWriteNothing) {
  // What the command line asks can't be done: status 1.
  const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
      {{"new", "x", "--date", "1957-02-01", "--time", "10:00", "--place", "Springfield"},
       "2 places"},
      {{"new", "x", "--date", "1957-02-01", "--time", "10:00", "--place", "Atlantis"}, "no place"},
      {{"new", "x", "--date", "2024-03-10", "--time", "02:30", "--place", "New York"},
       "did not happen"},
      {{"new", "x", "--date", "2024-11-03", "--time", "01:30", "--place", "New York"},
       "happened twice"},
  };
  // The command line itself is not understood: status 2, as the manual says.
  const std::vector<std::pair<std::vector<std::string>, std::string>> misunderstood = {
      {{"new", "x", "--date", "1957-02-29", "--time", "10:00", "--place", "Athens"}, "no such day"},
      {{"new", "x", "--date", "14.3.57", "--time", "10:00", "--place", "Athens"},
       "four digits: 14.3.1957 for 1957, 14.3.0057 for the year 57"},
      {{"new", "x", "--date", "57-03-14", "--time", "10:00", "--place", "Athens"}, "four digits"},
      {{"new", "Łukasz", "--date", "1957-02-01", "--time", "10:00", "--place", "Athens"},
       "can't type"},
      {{"new", "..\\x", "--date", "1957-02-01", "--time", "10:00", "--place", "Athens"},
       "leave NAMES"},
      {{"new", std::string(70, 'n'), "--date", "1957-02-01", "--time", "10:00", "--place",
        "Athens"},
       "69"},
      {{"new", "x", "--date", "2000-01-01", "--time", "10:00"}, "--place"},
      {{"new", "x", "--time", "10:00", "--place", "Athens"}, "--date and --time"},
      {{"new", "x", "--date", "2000-01-01", "--time", "10:00", "--place", "Athens", "--lon", "1"},
       "not both"},
      {{"new", "x", "--date", "2000-01-01", "--time", "10:00", "--lon", "1E", "--lat", "1E"},
       "latitude"},
      {{"new", "x", "--date", "2000-01-01", "--time", "10:00", "--lon", "1", "--lat", "1", "--zone",
        "Mars/Base"},
       "no time zone"},
      {{"list", "extra"}, "no names"},
      {{"show"}, "one chart name"},
      {{"export", "--format", "xml"}, "csv or aaf"},
      {{"import", "--format", "xml", "x.csv"}, "csv or aaf"},
      {{"import"}, "one file"},
      {{"place"}, "needs a query"},
      {{"offset", "Europe/London"}, "a zone, a date and a time"},
      {{"offset", "Europe/London", "14.3.57", "12:00"}, "four digits"},
      // Beyond the farthest mean time kept on the wrong side of its longitude (Balabac's
      // -16:11:48, the westernmost Philippines on the American date) no clock has been.
      {{"new", "x", "--date", "2000-01-01", "--time", "10:00", "--lon", "1E", "--lat", "1N",
        "--offset", "+16:16"},
       "farther from GMT than 16:15"},
      {{"new", "x", "--date", "2000-01-01", "--time", "10:00", "--lon", "1E", "--lat", "1N",
        "--offset", "-16:20"},
       "farther from GMT than 16:15"},
  };
  for (const auto& [cases, status] : {std::pair{&refused, 1}, std::pair{&misunderstood, 2}}) {
    for (const auto& [args, says] : *cases) {
      EXPECT_EQ(run(args), status) << args[0] << " " << says;
      EXPECT_NE(err.str().find(says), std::string::npos) << err.str();
      EXPECT_TRUE(out.str().empty());
    }
  }
  EXPECT_TRUE(dir.list("NAMES").empty());
  EXPECT_EQ(run({"new", "x", "--bogus"}), 2);
  EXPECT_EQ(run({"frobnicate"}), 2);
  EXPECT_EQ(run({"new", "x", "--date"}), 2);
}

// A name that fits places its words can't tell apart is refused with each candidate and the
// --lon and --lat that select it; those select it, with its zone (zdump America/Chicago:
// -6:00 in January).
TEST_F(ChartTool, PlacesTheWordsCantTellApartAreListedWithTheirCoordinates) {
  EXPECT_EQ(
      run({"new", "d", "--date", "2000-01-15", "--time", "12:00", "--place", "Dale, Indiana, US"}),
      1);
  EXPECT_NE(err.str().find("\"Dale, Indiana, US\" is 2 places; their names, regions and "
                           "countries can't tell them apart: give the --lon and --lat of the one "
                           "meant in place of --place:"),
            std::string::npos)
      << err.str();
  for (const auto& [zone, option] :
       {std::pair{"America/Indiana/India", "--lon 86:24:00W --lat 40:01:00N\n"},
        std::pair{"America/Chicago", "--lon 86:59:24W --lat 38:10:08N\n"}}) {
    const auto at = err.str().find(option);
    ASSERT_NE(at, std::string::npos) << option << "\n" << err.str();
    const auto line = err.str().rfind('\n', at);
    EXPECT_NE(err.str().substr(line, at - line).find(zone), std::string::npos) << err.str();
  }
  ASSERT_EQ(run({"new", "d", "--date", "2000-01-15", "--time", "12:00", "--lon", "86:59:24W",
                 "--lat", "38:10:08N"}),
            0)
      << err.str();
  EXPECT_EQ(chart("d").gmtHours, -6);
  // Where the region does tell them apart, it is suggested with the query's own name.
  EXPECT_EQ(run({"new", "s", "--date", "2000-01-15", "--time", "12:00", "--place", "Springfield"}),
            1);
  EXPECT_NE(err.str().find("narrow it with the region and country (\"Springfield, Massachusetts, "
                           "US\"), or give the --lon and --lat of the one meant:"),
            std::string::npos)
      << err.str();
}

TEST_F(ChartTool, AnOffsetSettlesAGapAndAPlaceByCoordinatesTakesTheNearestZone) {
  ASSERT_EQ(run({"new", "gap", "--date", "2024-03-10", "--time", "02:30", "--place", "New York",
                 "--offset", "-5:00"}),
            0)
      << err.str();
  EXPECT_EQ((std::pair{chart("gap").gmtHours, chart("gap").gmtMinutes}), (std::pair{-5, 0}));
  // Just west of Greenwich: the sign can't be held, and the user is told.
  ASSERT_EQ(run({"new", "w", "--date", "1944-06-06", "--time", "12:00", "--lon", "0:07:33W",
                 "--lat", "51:30:31N"}),
            0)
      << err.str();
  EXPECT_NE(err.str().find("can't carry its sign"), std::string::npos);
  EXPECT_NE(err.str().find("Europe/London"), std::string::npos);
  EXPECT_EQ(chart("w"), (BirthRecord{6, 6, 1944, 12, 0, 0, 2, 0, 0, 0, 0, 51, 30, 31}));
}

// Before the Philippines and Alaska crossed the date line (1845, 1867) their clocks kept the
// other side's date: the mean time of the place is the zone's side's, as zdump has it
// (Asia/Manila -15:56:08, America/Juneau +15:02:19), and the chart is not a day off.
TEST_F(ChartTool, MeanTimeIsOnTheSideOfTheDateLineTheZoneWasOn) {
  ASSERT_EQ(run({"new", "Manila", "--date", "1840-06-01", "--time", "12:00", "--lon", "120:58:56E",
                 "--lat", "14:36:15N", "--zone", "Asia/Manila"}),
            0)
      << err.str();
  EXPECT_EQ((std::pair{chart("Manila").gmtHours, chart("Manila").gmtMinutes}),
            (std::pair{-16, 4}));  // -15:56
  EXPECT_NE(err.str().find("the mean time of the place, -15:56:04"), std::string::npos)
      << err.str();
  ASSERT_EQ(run({"new", "Juneau", "--date", "1860-06-01", "--time", "12:00", "--lon", "134:25:11W",
                 "--lat", "58:18:07N", "--zone", "America/Juneau"}),
            0)
      << err.str();
  EXPECT_EQ((std::pair{chart("Juneau").gmtHours, chart("Juneau").gmtMinutes}), (std::pair{15, 2}));
  ASSERT_EQ(run({"offset", "Asia/Manila", "1840-06-01", "12:00", "--lon", "120:58:56E"}), 0);
  EXPECT_EQ(out.str(), "GMT -16 min 04\t-15:56:04 LMT, mean time of the longitude\n");
  // AAF's L (local mean time) for coordinates in Manila's boundary: the same side.
  const std::string aaf = "#A93:Early,*,*,1.6.1840,12:00,*,*\n#B93:*,14n36,120e59,*,L\n";
  dir.write("early.aaf", std::vector<std::uint8_t>(aaf.begin(), aaf.end()));
  ASSERT_EQ(run({"import", dir / "early.aaf"}), 0) << out.str() << err.str();
  EXPECT_EQ((std::pair{chart("Early").gmtHours, chart("Early").gmtMinutes}), (std::pair{-16, 4}));
  // And back out: the offset is west of Greenwich, as the chart holds it.
  ASSERT_EQ(run({"export", "--format", "aaf", "Manila"}), 0) << err.str();
  EXPECT_NE(out.str().find(",14n36,120e59,15hw56,0\n"), std::string::npos) << out.str();
}

// The westernmost Philippines kept the American date too: Balabac (117°02'55"E) is the
// farthest from GMT a clock has been. zdump gives Asia/Manila gmtoff=-57368 (-15:56:08)
// until the end of 1844, so the town's own mean time is 117°02'55" / 15 = 7:48:11.7 less a
// day, -16:11:48, -16:12 in whole minutes. The chart the tool writes is one every reader
// takes: chart, AAF export, and CSV export read back byte for byte.
TEST_F(ChartTool, TheFarthestMeanTimeIsWrittenReadAndExported) {
  dir.mkdir("settings");
  PosixFileSystem files(dir.path());
  SettingsStore store(files);
  ASSERT_TRUE(writeDefaultSettings(store));
  ASSERT_EQ(run({"new", "Balabac", "--date", "1840-06-01", "--time", "12:00", "--lon", "117:02:55E",
                 "--lat", "7:59:00N", "--zone", "Asia/Manila"}),
            0)
      << err.str();
  EXPECT_EQ((std::pair{chart("Balabac").gmtHours, chart("Balabac").gmtMinutes}),
            (std::pair{-17, 48}));  // -16:12
  EXPECT_NE(err.str().find("the mean time of the place, -16:11:48"), std::string::npos)
      << err.str();
  EXPECT_EQ(run({"chart", "Balabac"}), 0) << err.str();
  ASSERT_EQ(run({"export", "--format", "aaf", "Balabac"}), 0) << err.str();
  EXPECT_NE(out.str().find(",16hw12,"), std::string::npos) << out.str();
  ASSERT_EQ(run({"export"}), 0) << err.str();
  const std::string csv = out.str();
  const auto image = dir.read("NAMES/Balabac");
  dir.write("all.csv", std::vector<std::uint8_t>(csv.begin(), csv.end()));
  std::filesystem::remove(dir / "NAMES/Balabac");
  ASSERT_EQ(run({"import", dir / "all.csv"}), 0) << out.str() << err.str();
  EXPECT_EQ(dir.read("NAMES/Balabac"), image);

  // A longitude hours from the zone's own mean time lies outside the zone: its mean time on
  // the zone's date is a clock nobody kept (zdump: Asia/Manila -15:56:08, America/Juneau
  // +15:02:19 before their crossings; 30E is +2:00, 10W -0:40).
  const std::vector<std::pair<std::vector<std::string>, std::string>> far = {
      {{"--lon", "30E", "--lat", "14N", "--zone", "Asia/Manila", "--date", "1840-06-01"},
       "the longitude 30\u00B000'00\" E lies far outside Asia/Manila: its mean time "
       "on the zone's side of the date line, -22:00, is more than four hours from the zone's "
       "own, -15:56:08"},
      {{"--lon", "10W", "--lat", "58N", "--zone", "America/Juneau", "--date", "1860-06-01"},
       "lies far outside America/Juneau: its mean time on the zone's side of the date line, "
       "+23:20, is more than four hours from the zone's own, +15:02:19"},
      // Nearer the zone's own, but beyond every clock: 100E on the American date is -17:20.
      {{"--lon", "100E", "--lat", "14N", "--zone", "Asia/Manila", "--date", "1840-06-01"},
       "-17:20, is farther from GMT than any clock has been (16:15)"},
  };
  for (const auto& [args, says] : far) {
    std::vector<std::string> a = {"new", "far", "--time", "12:00"};
    a.insert(a.end(), args.begin(), args.end());
    EXPECT_EQ(run(a), 1) << says;
    EXPECT_NE(err.str().find(says), std::string::npos) << err.str();
    EXPECT_FALSE(std::filesystem::exists(dir / "NAMES/far"));
  }
}

TEST_F(ChartTool, ListShowsEveryChartSortedWithItsNotesAndSkipsTemporaries) {
  run({"new", "b", "--date", "2000-01-01", "--time", "10:00", "--place", "Athens"});
  run({"new", "A", "--date", "2000-01-01", "--time", "10:00", "--place", "Athens"});
  dir.mkdir("NAMES/clients");
  run({"new", "clients\\c", "--date", "2000-01-01", "--time", "10:00", "--place", "Athens"});
  dir.write(
      "NAMES/.orvenda\xE2\x80\xA3"
      "1\xE2\x80\xA3"
      "ab",
      {1});
  std::remove((dir / "NAMES/b.txt").c_str());
  ASSERT_EQ(run({"list"}), 0) << err.str();
  EXPECT_EQ(
      out.str(),
      "NAME        Day  Mon Year Hour  Min  Sec  GMT  min  LON  Min  Sec  LAT  Min  Sec  Notes\n"
      "A             1    1 2000   10   00   00    2   00   23   43   40   37   59   02  yes\n"
      "b             1    1 2000   10   00   00    2   00   23   43   40   37   59   02  no\n"
      "clients\\c     1    1 2000   10   00   00    2   00   23   43   40   37   59   02  yes\n");
  ASSERT_EQ(run({"list", "--csv"}), 0);
  EXPECT_NE(out.str().find("clients\\c,1,1,2000,10,0,0,2,0,23,43,40,37,59,2,yes\r\n"),
            std::string::npos);
}

TEST_F(ChartTool, CsvExportThenImportGivesTheSameFilesByteForByte) {
  run({"new", "plain", "--date", "1957-03-14", "--time", "09:41", "--place", "New York"});
  run({"new", "with, comma \"and quote\"", "--date", "1980-07-05", "--time", "14:07", "--place",
       "Athens"});
  dir.write("NAMES/odd", std::vector<std::uint8_t>(56, 0xFF));  // -1 in every field
  ASSERT_EQ(run({"export"}), 0) << err.str();
  const std::string csv = out.str();
  EXPECT_NE(csv.find("\"with, comma \"\"and quote\"\"\",5,7,1980"), std::string::npos) << csv;
  TempDir other;
  other.mkdir("NAMES");
  other.write("in.csv", std::vector<std::uint8_t>(csv.begin(), csv.end()));
  std::ostringstream o, e;
  // A damaged chart's values are carried out, and refused on the way in: -1 is no day.
  ASSERT_EQ(runTool({"-C", other.path(), "import", other / "in.csv"}, o, e), 1) << e.str();
  for (const char* name : {"plain", "with, comma \"and quote\""})
    EXPECT_EQ(other.read(std::string("NAMES/") + name), dir.read(std::string("NAMES/") + name))
        << name;
  EXPECT_EQ(o.str(),
            "skipped odd: line 2: day -1 is outside 1 to 31\nwritten plain\n"
            "written with, comma \"and quote\"\n");
  EXPECT_FALSE(other.exists("NAMES/odd"));
  // Again: every record is reported, and nothing is overwritten.
  EXPECT_EQ(runTool({"-C", other.path(), "import", other / "in.csv"}, o, e), 1);
}

TEST_F(ChartTool, ImportReportsEachBadRowAndWritesTheGoodOnes) {
  dir.write("in.csv", [] {
    const std::string t =
        "name,day,month,year,hour,minute,second,gmtHours,gmtMinutes,lonDegrees,lonMinutes,"
        "lonSeconds,latDegrees,latMinutes,latSeconds\n"
        "good,1,2,2000,3,4,5,2,0,23,43,40,37,59,2\n"
        "short,1,2,2000\n"
        "word,1,2,two,3,4,5,2,0,23,43,40,37,59,2\n"
        "../out,1,2,2000,3,4,5,2,0,23,43,40,37,59,2\n";
    return std::vector<std::uint8_t>(t.begin(), t.end());
  }());
  EXPECT_EQ(run({"import", dir / "in.csv"}), 1);
  EXPECT_EQ(out.str(),
            "written good\n"
            "skipped short: line 3: a chart has a name and 14 numbers in the header's 15 "
            "columns, this row 4 fields\n"
            "skipped word: line 4: year \"two\" is not a whole number\n"
            "skipped ../out: line 5: the name \"../out\" would leave NAMES/\n");
  EXPECT_EQ(chart("good"), (BirthRecord{1, 2, 2000, 3, 4, 5, 2, 0, 23, 43, 40, 37, 59, 2}));
  EXPECT_EQ(dir.list("NAMES").size(), 2u);
}

// A spreadsheet's values outside the record's ranges (the month 1 to 12, the offset within
// 15:56 of GMT, the longitude within 180 degrees) are refused with the line and the reason,
// never written; a row of empty cells is a blank line; a header is read by its names.
TEST_F(ChartTool, CsvValuesOutsideTheRecordsRangesAreRefused) {
  const std::string header =
      "latSeconds;name;day;month;year;hour;minute;second;gmtHours;gmtMinutes;lonDegrees;"
      "lonMinutes;lonSeconds;latDegrees;latMinutes\r\n";
  // Each row: the chart's fields with one of them changed, in the header's order.
  auto row = [](const std::string& name, std::vector<std::string> f) {
    std::string line = f[13] + ";" + name;
    for (std::size_t i = 0; i < 13; ++i) line += ";" + f[i];
    return line + "\r\n";
  };
  const std::vector<std::string> good = {"1", "2",  "2000", "3",  "4",  "5",  "2",
                                         "0", "23", "43",   "40", "37", "59", "2"};
  struct Bad {
    const char* name;
    std::size_t field;
    const char* value;
    const char* says;
  };
  const Bad bad[] = {
      {"minutes75", 7, "75", "gmtMinutes 75 is outside 0 to 59"},
      {"east", 6, "17", "gmtHours 17 is outside -17 to 16"},
      {"west", 6, "-18", "gmtHours -18 is outside -17 to 16"},
      {"lon181", 8, "181", "lonDegrees 181 is outside -180 to 180"},
      {"lat91", 11, "91", "latDegrees 91 is outside -90 to 90"},
      {"lonMinutes", 9, "-1", "lonMinutes -1 is outside 0 to 59"},
      {"month13", 1, "13", "month 13 is outside 1 to 12"},
      {"hour24", 3, "24", "hour 24 is outside 0 to 23"},
      {"year0", 2, "0", "year 0 is outside 1 to 9999"},
      {"year10000", 2, "10000", "year 10000 is outside 1 to 9999"},
      {"plus", 6, "+12", "gmtHours \"+12\" has a plus sign; a number is written without one (12)"},
      {"digits", 2, "99999999999", "year \"99999999999\" has too many digits"},
  };
  std::string text = header + row("good", good) + ";;;;;;;;;;;;;;\r\n";
  for (const Bad& b : bad) {
    auto f = good;
    f[b.field] = b.value;
    text += row(b.name, f);
  }
  // +16:16 and -16:16 lie beyond the farthest mean time a clock kept, -16:12 (Balabac before
  // 1845), -15:56 and +15:02 within it.
  auto offset = [&](const char* name, const char* hours, const char* minutes) {
    auto f = good;
    f[6] = hours, f[7] = minutes;
    text += row(name, f);
  };
  offset("beyondEast", "16", "16");
  offset("beyondWest", "-17", "44");
  offset("manila", "-16", "4");
  offset("juneau", "15", "2");
  auto edge = good;
  edge[8] = "180", edge[9] = "0", edge[10] = "1";
  text += row("lon180s1", edge);
  dir.write("in.csv", bytes(text));
  EXPECT_EQ(run({"import", dir / "in.csv"}), 1);
  int line = 4;  // the header, good and the empty row before them
  for (const Bad& b : bad)
    EXPECT_NE(out.str().find("skipped " + std::string(b.name) + ": line " + std::to_string(line++) +
                             ": " + b.says),
              std::string::npos)
        << b.name << "\n"
        << out.str();
  EXPECT_NE(out.str().find("skipped beyondEast: line 16: gmtHours 16 and gmtMinutes 16 make "
                           "+16:16, farther from GMT than any clock has been (16:15)"),
            std::string::npos)
      << out.str();
  EXPECT_NE(
      out.str().find("skipped beyondWest: line 17: gmtHours -17 and gmtMinutes 44 make -16:16"),
      std::string::npos)
      << out.str();
  EXPECT_NE(
      out.str().find("skipped lon180s1: line 20: the longitude 180 0 1 is beyond 180 degrees"),
      std::string::npos);
  EXPECT_NE(err.str().find("15 of 18 charts skipped"), std::string::npos) << err.str();
  EXPECT_EQ(chart("good"), (BirthRecord{1, 2, 2000, 3, 4, 5, 2, 0, 23, 43, 40, 37, 59, 2}));
  EXPECT_EQ(chart("manila").gmtHours, -16);
  EXPECT_EQ(chart("juneau").gmtMinutes, 2);
  EXPECT_EQ(dir.list("NAMES").size(), 2u * 3);
  // What AAF export leaves out as damaged never came in: every chart goes out.
  EXPECT_EQ(run({"export", "--format", "aaf"}), 0) << err.str();

  // Empty cells alone, as a spreadsheet saves its unused rows: nothing refused, status 0.
  dir.write("blank.csv",
            bytes(header + ";;;;;;;;;;;;;;\r\n" + row("again", good) + ";;;;;;;;;;;;;;\r\n"));
  EXPECT_EQ(run({"import", dir / "blank.csv"}), 0) << out.str() << err.str();
  EXPECT_EQ(out.str(), "written again\n");
  // A header that lacks a field or has one the chart doesn't: the file is refused.
  dir.write("short.csv", bytes("name,day,month\r\nx,1,2\r\n"));
  EXPECT_EQ(run({"import", dir / "short.csv"}), 1);
  EXPECT_NE(err.str().find("line 1: the header has no column year"), std::string::npos)
      << err.str();
  dir.write("other.csv", bytes("name,day,month,colour\r\n"));
  EXPECT_EQ(run({"import", dir / "other.csv"}), 1);
  EXPECT_NE(err.str().find("the header's column \"colour\" is none of the chart's fields"),
            std::string::npos);
}

// A minus sign on a zero in CSV: the record holds an angle's sign on its degrees and an
// offset as its hours plus its minutes, so -0 degrees with 30 minutes would come in east,
// north or ahead of GMT. Such a row is refused with what the record can hold; -1 with 30
// is 1°30' west (an angle) and -0:30 (an offset), as show and export write them. A name
// that can't be a chart's is refused with its line, and a column without a name that holds
// something is said to be passed over.
TEST_F(ChartTool, CsvMinusZeroKeepsItsSignOrIsRefused) {
  dir.write("in.csv", bytes("name,day,month,year,hour,minute,second,gmtHours,gmtMinutes,lonDegrees,"
                            "lonMinutes,lonSeconds,latDegrees,latMinutes,latSeconds,\r\n"
                            "west,1,2,2000,3,4,5,0,0,-0,30,0,51,30,0,\r\n"
                            "south,1,2,2000,3,4,5,0,0,10,0,0,-0,13,0,\r\n"
                            "behind,1,2,2000,3,4,5,-0,30,10,0,0,51,30,0,\r\n"
                            "zero,1,2,2000,3,4,5,-0,0,-0,0,0,-00,0,0,kept\r\n"
                            "signed,1,2,2000,3,4,5,-1,30,-1,30,0,-1,13,0,\r\n"
                            "../out,1,2,2000,3,4,5,0,0,10,0,0,51,30,0,\r\n"));
  EXPECT_EQ(run({"import", dir / "in.csv"}), 1);
  EXPECT_EQ(out.str(),
            "skipped west: line 2: lonDegrees \"-0\": the record keeps a longitude's sign on "
            "its degrees, so one west by less than a degree can't be held (the nearest it holds "
            "are 0 00 00 and -1 00 00)\n"
            "skipped south: line 3: latDegrees \"-0\": the record keeps a latitude's sign on its "
            "degrees, so one south by less than a degree can't be held (the nearest it holds are "
            "0 00 00 and -1 00 00)\n"
            "skipped behind: line 4: gmtHours \"-0\" with gmtMinutes 30: the record's offset is "
            "the hours plus the minutes, so -0 has no sign to keep (-0:30 is gmtHours -1, "
            "gmtMinutes 30)\n"
            "written zero\n"
            "written signed\n"
            "skipped ../out: line 7: the name \"../out\" would leave NAMES/\n");
  EXPECT_EQ(err.str(),
            "note: column 16 has no name in the header, and what it holds (\"kept\" on line 5) "
            "is not imported\n"
            "orvenda-chart: 4 of 6 charts skipped\n");
  EXPECT_FALSE(dir.exists("NAMES/west"));
  EXPECT_FALSE(dir.exists("NAMES/behind"));
  EXPECT_EQ(chart("zero"), (BirthRecord{1, 2, 2000, 3, 4, 5, 0, 0, 0, 0, 0, 0, 0, 0}));
  ASSERT_EQ(run({"show", "signed"}), 0) << err.str();
  EXPECT_NE(out.str().find("offset      GMT -1 min 30 (-0:30)\n"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("universal   2000-02-01 03:34:05 UT\n"), std::string::npos);
  EXPECT_NE(out.str().find("longitude   1°30'00\" W  -1.500000\n"), std::string::npos);
  EXPECT_NE(out.str().find("latitude    1°13'00\" S  -1.216667"), std::string::npos);
  ASSERT_EQ(run({"export", "signed"}), 0) << err.str();
  EXPECT_NE(out.str().find("\r\nsigned,1,2,2000,3,4,5,-1,30,-1,30,0,-1,13,0\r\n"),
            std::string::npos)
      << out.str();
}

// AAF's summer-time field m asks for the place's mean time, and the zone field beside it
// is passed over: the note says that, not that the offset was "as given". 8°11' east is
// 32 minutes 44 seconds of mean time, +0:33 in the record; Europe/Berlin kept +1:00 in
// 1970 (zdump -v Europe/Berlin: CET from 1949 to 1980).
TEST_F(ChartTool, AafMeanTimeIsNotedAsWhatWasDone) {
  dir.write("in.aaf", bytes("#A93:Ferber,*,*,27.9.1970,11:04,*,*\n#B93:*,49n05,8e11,1he00,m\n"));
  ASSERT_EQ(run({"import", dir / "in.aaf"}), 0) << err.str();
  EXPECT_EQ(chart("Ferber"), (BirthRecord{27, 9, 1970, 11, 4, 0, 0, 33, 8, 11, 0, 49, 5, 0}));
  EXPECT_NE(err.str().find("note: at 1970-09-27 11:04:00 Europe/Berlin kept +1:00 (CET); the "
                           "chart has +0:33 from the summer-time field \"m\", the mean time of "
                           "8°11'00\" E; the zone field \"1he00\" is passed over\n"),
            std::string::npos)
      << err.str();
  EXPECT_EQ(err.str().find("as given"), std::string::npos) << err.str();
}

TEST_F(ChartTool, AafRecordsFromCoordinatesOrThePlaceAndBack) {
  dir.write("in.aaf", [] {
    const std::string t =
        "# a comment line\n"
        "#A93: Ferber , Tobias ,m,27.9.1970,11:04,Kandel/Pfalz,D\n"
        "#B93:*,49n05,8e11,1he,0\n"
        "#COM: notes belong to the record and are passed over\n"
        "#A93:Doe,Jane,f,14.3.1957,9:41,New York,USA\n"
        "#A93:Bad,*,*,31.4.1957,9:41,Athens,GR\n"
        "#A93:Nowhere,*,*,1.4.1957,9:41,Atlantis,*\n";
    return std::vector<std::uint8_t>(t.begin(), t.end());
  }());
  EXPECT_EQ(run({"import", dir / "in.aaf"}), 1);
  // The name and the first name, as the format has them.
  EXPECT_NE(out.str().find("written Ferber, Tobias\n"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("written Doe, Jane\n"), std::string::npos);
  EXPECT_NE(out.str().find("skipped Bad: line 6: date \"31.4.1957\": there is no such day"),
            std::string::npos);
  EXPECT_NE(out.str().find("skipped Nowhere: line 7:"), std::string::npos);
  // Kandel lies nearest London in this atlas: the zone is London's, +1:00 in 1970.
  EXPECT_EQ(chart("Ferber, Tobias"),
            (BirthRecord{27, 9, 1970, 11, 4, 0, 1, 0, 8, 11, 0, 49, 5, 0}));
  EXPECT_EQ(chart("Doe, Jane"),
            (BirthRecord{14, 3, 1957, 9, 41, 0, -5, 0, -74, 0, 21, 40, 42, 51}));
  ASSERT_EQ(run({"export", "--format", "aaf", "Doe, Jane"}), 0);
  // The zone's standard offset and the summer time, as the Julian day has them.
  EXPECT_EQ(out.str(),
            "#A93:Doe,Jane,*,14.3.1957,9:41,*,*\n#B93:2435912.111806,40n43,74w00,5hw00,0\n"
            "#ZNAM:EST\n");
  // The Julian day says which offset the exporting program used.
  dir.write("jd.aaf", [] {
    const std::string t =
        "#A93:Fold,*,*,3.11.2024,1:30,New York,US\n#B93:2460617.729167,40n43,74w00,*,*\n";
    return std::vector<std::uint8_t>(t.begin(), t.end());
  }());
  ASSERT_EQ(run({"import", dir / "jd.aaf"}), 0) << out.str() << err.str();
  EXPECT_EQ(chart("Fold").gmtHours, -4);
}

// What the file itself says of the offset is taken, checked and kept: its zone and summer
// time, its Julian day, its calendar.
TEST_F(ChartTool, AafRecordsSettleTheirOwnOffsetAndCalendar) {
  dir.write("in.aaf",
            bytes("\xEF\xBB\xBF"  // a byte-order mark before the first record
                  "#A93:Marked,*,*,14.3.1957,9:41,*,*\n#B93:*,40n43,74w00,5hw00,0\n"
                  // 3:30 on 27 October 2024 came twice in Athens: the file says which.
                  "#A93:Summer,*,*,27.10.2024,3:30,Athens,GR\n#B93:*,37n59,23e44,2he00,1\n"
                  "#A93:Winter,*,*,27.10.2024,3:30,Athens,GR\n#B93:*,37n59,23e44,2he00,0\n"
                  // Before New York kept standard time: the file's zone, not mean time.
                  "#A93:Zoned,*,*,1.5.1850,12:00,*,*\n#B93:*,40n43,74w00,5hw00,0\n"
                  // Kepler: 27 December 1571 of the Julian calendar, in local mean time.
                  "#A93:Kepler,Johannes,m,27.12.1571,14:30,*,*\n#B93:*,48n45,8e52,*,L\n"
                  // Newton: 25 December 1642 of the Julian calendar, said so with j.
                  "#A93:Newton,Isaac,m,25.12.1642j,1:00,*,*\n#B93:*,52n49,0e00,0he00,0\n"
                  // A Julian day three days after the date and time: no offset does that.
                  "#A93:Far,*,*,14.3.1957,9:41,*,*\n#B93:2435915.111806,40n43,74w00,*,*\n"
                  // A Julian day of -5:00 beside zone fields of -4:00: the Julian day settles
                  // it, as the format says it does "in case of doubt".
                  "#A93:Torn,*,*,14.3.1957,9:41,*,*\n#B93:2435912.111806,40n43,74w00,4hw00,0\n"
                  "#A93:Skipped,*,*,5.10.1582,12:00,*,*\n#B93:*,41n54,12e29,1he00,0\n"));
  EXPECT_EQ(run({"import", dir / "in.aaf"}), 1);
  EXPECT_NE(out.str().find("written Marked\n"), std::string::npos) << out.str();
  EXPECT_EQ(chart("Marked").gmtHours, -5);
  EXPECT_EQ(chart("Summer").gmtHours, 3);
  EXPECT_EQ(chart("Winter").gmtHours, 2);
  EXPECT_EQ(chart("Zoned"), (BirthRecord{1, 5, 1850, 12, 0, 0, -5, 0, -74, 0, 0, 40, 43, 0}));
  // 6 January 1572 and 4 January 1643 of the Gregorian calendar, as the histories have them;
  // 8 degrees 52 minutes east is 35 minutes 28 seconds of mean time.
  EXPECT_EQ(chart("Kepler, Johannes"),
            (BirthRecord{6, 1, 1572, 14, 30, 0, 0, 35, 8, 52, 0, 48, 45, 0}));
  EXPECT_EQ(chart("Newton, Isaac"), (BirthRecord{4, 1, 1643, 1, 0, 0, 0, 0, 0, 0, 0, 52, 49, 0}));
  EXPECT_NE(err.str().find("Julian calendar; the chart holds it as 6.1.1572 of the Gregorian"),
            std::string::npos)
      << err.str();
  EXPECT_NE(
      out.str().find(
          "skipped Far: line 13: the Julian day 2435915.111806 makes the offset from GMT -77:00"),
      std::string::npos)
      << out.str();
  EXPECT_NE(err.str().find("Torn: the zone and summer-time fields say -4:00, the Julian day -5:00; "
                           "the Julian day settles it"),
            std::string::npos)
      << err.str();
  EXPECT_EQ(chart("Torn").gmtHours, -5);
  EXPECT_NE(out.str().find("skipped Skipped: line 17: date \"5.10.1582\": 5 to 14 October 1582 "
                           "were skipped"),
            std::string::npos);
  EXPECT_FALSE(dir.exists("NAMES/Far"));

  // A time passed twice that the file doesn't settle: the advice is the file's own fields.
  dir.write("fold.aaf", bytes("#A93:Open,*,*,27.10.2024,3:30,Athens,GR\n#B93:*,37n59,23e44,*,*\n"));
  EXPECT_EQ(run({"import", dir / "fold.aaf"}), 1);
  EXPECT_NE(out.str().find("happened twice in Europe/Athens"), std::string::npos);
  EXPECT_NE(out.str().find("(2he00,1 or 2he00,0)"), std::string::npos) << out.str();
  EXPECT_EQ(out.str().find("--offset"), std::string::npos);

  // Back out: before 15 October 1582 the date says "g", Kepler's zone is his mean time.
  ASSERT_EQ(run({"export", "--format", "aaf", "Kepler, Johannes", "Summer"}), 0) << err.str();
  EXPECT_EQ(out.str(),
            "#A93:Kepler,Johannes,*,6.1.1572g,14:30,*,*\n#B93:2295226.079861,48n45,8e52,0he35,0\n"
            "#ZNAM:LMT\n"
            "#A93:Summer,*,*,27.10.2024,3:30,*,*\n#B93:2460610.520833,37n59,23e44,2he00,1\n"
            "#ZNAM:EEST\n");
}

// The zone, summer-time and Julian-day fields in decimal digits, as the format defines them:
// "0e20" is hours 0, east, 20 minutes (Amsterdam's zone of 1938), never 0 x 10^20, and a
// number in C's other notations (hexadecimal, exponents) is refused, not taken for another.
TEST_F(ChartTool, AafNumbersAreReadByTheFieldsGrammar) {
  dir.write("in.aaf",
            bytes("#A93:Amsterdam,*,*,1.6.1938,12:00,*,*\n#B93:*,52n22,4e54,0e20,0\n"
                  "#A93:Ten,*,*,1.6.1938,12:00,*,*\n#B93:*,52n22,4e54,1e01,0\n"
                  "#A93:Kassel,*,*,1.6.1950,12:00,*,*\n#B93:*,51n19,9e30,0e38,0\n"
                  "#A93:Hex,*,*,1.6.1938,12:00,*,*\n#B93:*,52n22,4e54,0x1,0\n"
                  "#A93:HexCapital,*,*,1.6.1938,12:00,*,*\n#B93:*,52n22,4e54,0X1,0\n"
                  "#A93:HexFloat,*,*,1.6.1938,12:00,*,*\n#B93:*,52n22,4e54,0x1p0,0\n"
                  "#A93:HexSummer,*,*,1.6.1938,12:00,*,*\n#B93:*,52n22,4e54,1he00,0x2\n"
                  "#A93:HexDay,*,*,1.6.1938,12:00,*,*\n#B93:0x1.2a6p+21,52n22,4e54,*,*\n"
                  // 15 January 1980, 12:00 at +1:00 is 11:00 UT, Julian day 2444253.958333;
                  // a vertical tab and a form feed around it are white space to the format.
                  "#A93:Spaced,*,*,15.1.1980,12:00,*,*\n"
                  "#B93:\v2444253.958333\f,52n22,4e54,\v1he00\f,\f0\v\n"));
  EXPECT_EQ(run({"import", dir / "in.aaf"}), 1);
  EXPECT_EQ(chart("Amsterdam"), (BirthRecord{1, 6, 1938, 12, 0, 0, 0, 20, 4, 54, 0, 52, 22, 0}));
  EXPECT_EQ((std::pair{chart("Ten").gmtHours, chart("Ten").gmtMinutes}), (std::pair{1, 1}));
  EXPECT_EQ((std::pair{chart("Kassel").gmtHours, chart("Kassel").gmtMinutes}), (std::pair{0, 38}));
  EXPECT_EQ((std::pair{chart("Spaced").gmtHours, chart("Spaced").gmtMinutes}), (std::pair{1, 0}));
  for (const char* says : {"skipped Hex: line 7: zone \"0x1\"", "skipped HexCapital: line 9: zone",
                           "skipped HexFloat: line 11: zone \"0x1p0\"",
                           "skipped HexSummer: line 13: summer time \"0x2\"",
                           "skipped HexDay: line 15: Julian day \"0x1.2a6p+21\": a Julian day is "
                           "written in decimal digits"})
    EXPECT_NE(out.str().find(says), std::string::npos) << says << "\n" << out.str();
  EXPECT_EQ(dir.list("NAMES").size(), 2u * 4);
}

// Every chart that AAF can carry is exported; each one it can't is named with the reason,
// and a file of the wrong size is never passed off as a chart.
// AAF as other programs write it, and as the format's own definition and examples do.
TEST_F(ChartTool, AafInEveryFormTheFormatAndOtherProgramsWrite) {
  const std::string records =
      // The definition's second example: no type field, the time 1.10, the zone "1".
      "#A93:Garms,Martin,11.10.1958,1.10,Brilon-Wald, D\r"
      "#B93: *,51n21,9e35,1,0\r"
      "#A93:Plus,*,*,1.7.1990,12:00,*,*\r#B93:*,51n21,9e35,+1,1\r"
      "#A93:Decimal,*,*,1.1.1990,12:00,*,*\r#B93:*,51n21,9e35,1.0,0\r"
      "#A93:Exponent,*,*,1.1.1990,12:00,*,*\r#B93:*,51n21,9e35,1e00,0\r"
      "#A93:Capital,*,*,1.1.1990,12:00,*,*\r#B93:*,51n21,9e35,1E,0\r"
      "#A93:Half,*,*,1.1.1990,12:00,*,*\r#B93:*,28n37,77e13,5.5,0\r"
      // A mean time given to the second, marked m (Aix-en-Provence, 5°27' E).
      "#A93:Mean,*,*,19.1.1839,1:00,*,*\r#B93:*,43n31,5e27,0e21:48,m\r"
      // A zone field nobody reads, beside a Julian day that says it all.
      "#A93:Odd,*,*,14.3.1957,9:41,*,*\r#B93:2435912.111806,40n43,74w00,EST,0\r";
  // Old Macintosh line ends (CR alone), in Latin-1, with names in German and French.
  std::string latin1 = records +
                       "#A93:M\xFCller,J\xFCrgen,m,1.1.1990,12:00,*,*\r"
                       "#B93:*,48n08,11e34,1he00,0\r"
                       "#A93:Fran\xE7oise,*,f,1.1.1990,12:00,*,*\r"
                       "#B93:*,48n51,2e21,1he00,0\r";
  dir.write("in.aaf", bytes(latin1));
  EXPECT_EQ(run({"import", dir / "in.aaf"}), 0) << out.str() << err.str();
  EXPECT_NE(err.str().find("is read as Windows-1252 (Latin-1)"), std::string::npos) << err.str();
  EXPECT_EQ(chart("Garms, Martin"),
            (BirthRecord{11, 10, 1958, 1, 10, 0, 1, 0, 9, 35, 0, 51, 21, 0}));
  EXPECT_EQ(chart("Plus").gmtHours, 2);
  for (const char* name : {"Decimal", "Exponent", "Capital"})
    EXPECT_EQ(chart(name).gmtHours, 1) << name;
  EXPECT_EQ(chart("Half").gmtHours, 5);
  EXPECT_EQ(chart("Half").gmtMinutes, 30);
  // 21 minutes 48 seconds of mean time: 22 minutes in the record's fields.
  EXPECT_EQ(chart("Mean").gmtHours, 0);
  EXPECT_EQ(chart("Mean").gmtMinutes, 22);
  EXPECT_EQ(chart("Odd").gmtHours, -5);
  EXPECT_NE(err.str().find("Odd: zone \"EST\""), std::string::npos) << err.str();
  EXPECT_EQ(chart("Mueller, Juergen").year, 1990);
  EXPECT_EQ(chart("Francoise").year, 1990);
  EXPECT_NE(err.str().find("\"Müller, Jürgen\" is written as \"Mueller, Juergen\""),
            std::string::npos)
      << err.str();
  EXPECT_NE(out.str().find("written Francoise\n"), std::string::npos);
  EXPECT_EQ(dir.list("NAMES").size(), 2u * 10) << "ten records, each with its notes";

  // The same in UTF-16 with its mark, and in UTF-8 with one: the same charts.
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string("#A93:Wide,*,*,1.1.1990,12:00,*,*\r\n#B93:*,51n21,9e35,1,0\r\n")) {
    utf16 += c;
    utf16 += '\0';
  }
  dir.write("wide.aaf", bytes(utf16));
  EXPECT_EQ(run({"import", dir / "wide.aaf"}), 0) << out.str() << err.str();
  EXPECT_EQ(chart("Wide").gmtHours, 1);
}

TEST_F(ChartTool, CsvFromASpreadsheetWithSemicolonsAndEmptyColumns) {
  dir.write("in.csv",
            bytes("name;day;month;year;hour;minute;second;gmtHours;gmtMinutes;"
                  "lonDegrees;lonMinutes;lonSeconds;latDegrees;latMinutes;latSeconds;;\r\n"
                  "Anna;14;3;1957;9;41;0;2;0;23;43;0;37;58;0;;\r\n"));
  EXPECT_EQ(run({"import", dir / "in.csv"}), 0) << out.str() << err.str();
  EXPECT_EQ(chart("Anna"), (BirthRecord{14, 3, 1957, 9, 41, 0, 2, 0, 23, 43, 0, 37, 58, 0}));
}

TEST_F(ChartTool, ExportLeavesOutOnlyWhatItCantCarryAndSaysWhy) {
  ASSERT_EQ(run({"new", "Surname, Given", "--date", "1957-03-14", "--time", "09:41", "--place",
                 "New York"}),
            0);
  ASSERT_EQ(
      run({"new", "A, B, C", "--date", "1957-03-14", "--time", "09:41", "--place", "New York"}), 0);
  ASSERT_EQ(run({"new", "*", "--date", "1957-03-14", "--time", "09:41", "--place", "New York"}), 0);
  dir.write("NAMES/leap1900", image(BirthRecord{29, 2, 1900, 12, 0, 0, 0, 0, 0, 0, 0, 51, 30, 0}));
  dir.write("NAMES/short", std::vector<std::uint8_t>(20, 1));
  auto sixty = image(BirthRecord{1, 2, 2000, 3, 4, 5, 2, 0, 23, 43, 40, 37, 59, 2});
  sixty.resize(60, 0);
  dir.write("NAMES/long", sixty);
  EXPECT_EQ(run({"export", "--format", "aaf"}), 1);
  EXPECT_EQ(out.str(),
            "#A93:A,B  C,*,14.3.1957,9:41,*,*\n#B93:2435912.111806,40n43,74w00,5hw00,0\n"
            "#ZNAM:EST\n"
            "#A93:Surname,Given,*,14.3.1957,9:41,*,*\n#B93:2435912.111806,40n43,74w00,5hw00,0\n"
            "#ZNAM:EST\n");
  for (const char* says :
       {"left out NAMES/*: AAF reads \"*\" as a name nobody knows; rename the chart",
        "left out NAMES/leap1900: it holds no date and time of the calendar",
        "left out NAMES/long: the file has 60 bytes, not a chart's 56",
        "left out NAMES/short: the file has 20 bytes, not a chart's 56",
        "NAMES/A, B, C: AAF has no commas in a field", "4 of 6 charts left out"})
    EXPECT_NE(err.str().find(says), std::string::npos) << says << "\n" << err.str();
  // CSV carries the odd date, never the damaged files.
  EXPECT_EQ(run({"export"}), 1);
  EXPECT_NE(out.str().find("leap1900,29,2,1900"), std::string::npos);
  EXPECT_EQ(out.str().find("short"), std::string::npos);
  EXPECT_EQ(out.str().find("long"), std::string::npos);

  // list and show name a damaged file for what it is.
  ASSERT_EQ(run({"list"}), 0);
  EXPECT_NE(out.str().find("\nshort          (damaged: 20 bytes, not a chart's 56)  no\n"),
            std::string::npos)
      << out.str();
  EXPECT_NE(out.str().find("\nlong           (damaged: 60 bytes, not a chart's 56)  no\n"),
            std::string::npos);
  ASSERT_EQ(run({"show", "long"}), 0);
  EXPECT_NE(out.str().find("(60 bytes; damaged"), std::string::npos) << out.str();
  EXPECT_EQ(dir.read("NAMES/long").size(), 60u) << "never written back";
  EXPECT_EQ(dir.read("NAMES/short").size(), 20u);
}

TEST_F(ChartTool, ListShowsTheDateAsTheMainScreenDoes) {
  dir.write("NAMES/june31", image(BirthRecord{31, 6, 2000, 12, 0, 0, 0, 0, 0, 0, 0, 51, 30, 0}));
  ASSERT_EQ(run({"list"}), 0);
  EXPECT_NE(out.str().find("june31     1    7 2000   12"), std::string::npos) << out.str();
  // AAF export says the same day; a place off the Earth is left out, never written as one.
  dir.write("NAMES/dec0", image(BirthRecord{0, 12, 2000, 12, 0, 0, 0, 0, 0, 0, 0, 51, 30, 0}));
  dir.write("NAMES/lon200", image(BirthRecord{1, 1, 2000, 12, 0, 0, 0, 0, 200, 0, 0, 51, 30, 0}));
  EXPECT_EQ(run({"export", "--format", "aaf"}), 1);
  EXPECT_NE(out.str().find("#A93:dec0,*,*,1.1.2001,12:00,*,*\n"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("#A93:june31,*,*,1.7.2000,12:00,*,*\n"), std::string::npos);
  EXPECT_EQ(out.str().find("lon200"), std::string::npos);
  EXPECT_NE(err.str().find("left out NAMES/lon200: its place is no place on Earth"),
            std::string::npos)
      << err.str();
}

TEST_F(ChartTool, ASheetThatCantBeWrittenSaysWhy) {
  dir.mkdir("settings");
  PosixFileSystem files(dir.path());
  SettingsStore store(files);
  ASSERT_TRUE(writeDefaultSettings(store));
  ASSERT_EQ(run({"new", "x", "--date", "2000-01-01", "--time", "10:00", "--place", "Athens"}), 0);
  EXPECT_EQ(run({"sheet", "x", "-o", dir / "no/such/folder/x.html"}), 1);
  EXPECT_NE(err.str().find("x.html: there is no folder"), std::string::npos) << err.str();
  EXPECT_EQ(run({"sheet", "x", "-o", "/dev/full"}), 1);
  EXPECT_NE(err.str().find("can't write /dev/full: what is there is not a plain file"),
            std::string::npos)
      << err.str();
}

// The traditional chart of the New York 1957 chart, end to end: the figures worked by hand
// in tests/traditional (Venus exalted and of the day's triplicity, +7; Saturn peregrine;
// Mercury and Jupiter in mutual reception and a loop of dispositors) and the Lot of Fortune
// from swetest's longitudes, Ascendant 70.1416724 + Moon 152.7471025 − Sun 353.7606400.
TEST_F(ChartTool, TraditionalWritesTheDignitiesLotsAndDeclinations) {
  dir.mkdir("settings");
  PosixFileSystem files(dir.path());
  SettingsStore store(files);
  ASSERT_TRUE(writeDefaultSettings(store));
  ASSERT_EQ(run({"new", "ny", "--date", "1957-03-14", "--time", "09:41", "--lon", "74:00:21W",
                 "--lat", "40:42:51N", "--offset", "-5:00"}),
            0)
      << err.str();
  ASSERT_EQ(run({"traditional", "ny", "--json"}), 0) << err.str();
  const auto j = nlohmann::json::parse(out.str());
  EXPECT_EQ(j["bounds"], "egyptian");
  EXPECT_EQ(j["sect"]["day"], true);
  EXPECT_EQ(j["sect"]["light"], "Sun");
  EXPECT_EQ(j["sect"]["benefic"], "Jupiter");
  ASSERT_EQ(j["planets"].size(), 7u);
  const auto& venus = j["planets"][3];
  EXPECT_EQ(venus["name"], "Venus");
  EXPECT_EQ(venus["sign"], "Pisces");
  EXPECT_EQ(venus["dignities"]["exaltation"], true);
  EXPECT_EQ(venus["dignities"]["exaltation_degree"], 27);
  EXPECT_EQ(venus["dignities"]["triplicity"], "day");
  EXPECT_EQ(venus["dignities"]["rulers"]["bound"], "Jupiter");
  EXPECT_EQ(venus["score"]["total"], 7);
  EXPECT_EQ(venus["score"]["triplicity"], 3);
  const auto& saturn = j["planets"][6];
  EXPECT_EQ(saturn["dignities"]["peregrine"], true);
  EXPECT_EQ(saturn["dignities"]["rulers"]["bound"], "Venus");
  EXPECT_EQ(saturn["score"]["total"], -5);
  EXPECT_EQ(j["planets"][5]["accidental"]["motion"], "retrograde");
  EXPECT_EQ(j["planets"][2]["accidental"]["solar_phase"], "combust");
  EXPECT_EQ(j["receptions"][0],
            (nlohmann::json{{"kind", "mutual_domicile"}, {"a", "Mercury"}, {"b", "Jupiter"}}));
  EXPECT_TRUE(j["dispositors"]["final"].is_null());
  EXPECT_EQ(j["dispositors"]["loops"].dump(), R"([["Mercury","Jupiter"]])");
  EXPECT_EQ(j["lots"][0]["name"], "Fortune");
  EXPECT_NEAR(j["lots"][0]["longitude"].get<double>(), 70.1416724 + 152.7471025 - 353.7606400 + 360,
              1e-6);
  EXPECT_EQ(j["lots"][0]["sign"], "Scorpio");
  EXPECT_EQ(j["lots"][0]["rulers"]["domicile"], "Mars");
  EXPECT_EQ(j["antiscia"].size(), 2u);
  EXPECT_NEAR(j["declinations"]["obliquity"].get<double>(), 23 + 26 / 60.0 + 36.5547 / 3600, 1e-6);
  EXPECT_EQ(j["angles"]["ascendant"]["rulers"]["face"], "Mars");
  // The almuten over the new moon of 1 March 1957 16:12:18 UT (find_syzygy.py): Venus, 22.
  EXPECT_EQ(j["almuten"]["syzygy"]["kind"], "new moon");
  EXPECT_EQ(j["almuten"]["syzygy"]["universal_time"], "1957-03-01T16:12:18Z");
  EXPECT_EQ(j["almuten"]["almuten"].dump(), R"(["Venus"])");
  EXPECT_EQ(j["almuten"]["total"]["Venus"], 22);
  // Aldebaran on the Ascendant: swetest -b14.3.1957 -ut14:41 -pf -xfAldebaran gives
  // 69.1934719, 0.948° before 70.1416724.
  ASSERT_FALSE(j["stars"].empty());
  const auto aldebaran = std::find_if(j["stars"].begin(), j["stars"].end(),
                                      [](const auto& s) { return s["name"] == "Aldebaran"; });
  ASSERT_NE(aldebaran, j["stars"].end()) << j["stars"].dump();
  EXPECT_EQ((*aldebaran)["point"], "Ascendant");
  EXPECT_NEAR((*aldebaran)["longitude"].get<double>(), 69.1934719, 1e-6);
  EXPECT_NEAR((*aldebaran)["orb"].get<double>(), 70.1416724 - 69.1934719, 1e-6);
  EXPECT_EQ((*aldebaran)["nature"].dump(), R"(["Mars"])");
  EXPECT_EQ((*aldebaran)["royal"], true);

  ASSERT_EQ(run({"traditional", "ny"}), 0) << err.str();
  EXPECT_NE(out.str().find("sect        a day chart"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("Venus    Pisces       15° 53′ 45″  Jupiter  Venus    Venus/Mars/Moon"
                           "         Jupiter  Jupiter   +7  exaltation +4, triplicity +3\n"),
            std::string::npos)
      << out.str();
  EXPECT_NE(out.str().find("  Mercury and Jupiter: mutual reception, by domicile\n"),
            std::string::npos);
  EXPECT_NE(out.str().find("  loop: Mercury → Jupiter\n"), std::string::npos);
  EXPECT_NE(out.str().find("  Aldebaran (royal)       Gemini        9° 11′ 36″  on Ascendant   "
                           "0.95°  magnitude 0.86, like Mars\n"),
            std::string::npos)
      << out.str();

  // The reading, from the shipped traditional texts: the day chart, Venus exalted, the one
  // mutual reception, Fortune in the 6th place by whole signs, the stars with a nature once
  // each (Aldebaran on the Ascendant, Regulus on Pluto, Alkaid on Jupiter; Algieba, on Pluto
  // too, has none), nothing out of bounds but Pluto.
  ASSERT_EQ(run({"traditional", "ny", "--reading"}), 0) << err.str();
  const std::string en = out.str();
  for (const char* heading :
       {"A day chart\n", "Venus in its exaltation\n", "Mercury in its detriment\n",
        "Mercury in its fall\n", "Mercury and Jupiter: mutual reception by domicile\n",
        "The Lot of Fortune in the 6th place\n", "The Lot of Spirit in the 8th place\n",
        "Aldebaran · Ascendant\n", "Regulus · Pluto\n", "Alkaid · Jupiter\n"})
    EXPECT_NE(en.find(heading), std::string::npos) << heading << en;
  EXPECT_EQ(en.find("Algieba"), std::string::npos);
  EXPECT_EQ(en.find("Miaplacidus"), std::string::npos);
  EXPECT_TRUE(err.str().empty()) << err.str();
  EXPECT_EQ(run({"traditional", "ny", "--json", "--reading"}), 2);
  EXPECT_EQ(run({"traditional", "ny", "--sex", "woman"}), 2);
  // In Greek, for a woman: the tradition's words, each {man|woman} choice made.
  ASSERT_TRUE(store.write(IntSetting::Langhor, 1));
  ASSERT_EQ(run({"traditional", "ny", "--reading", "--sex", "woman"}), 0) << err.str();
  const std::string el = out.str();
  for (const char* heading : {"Ημερήσιος χάρτης\n", "Αφροδίτη στο ύψωμά της\n",
                              "Ερμής και Δίας: ανταναγνώριση κατ' οίκον\n",
                              "Ο κλήρος Τύχης στον 6ο τόπο\n", "Λαμπαδίας · "})
    EXPECT_NE(el.find(heading), std::string::npos) << heading << el;
  EXPECT_EQ(el.find('{'), std::string::npos) << el;
  // The report in Greek: the tables in the tradition's words, a planet received by another
  // in the accusative with its article, the lots and the stars marked on the wheel.
  const std::string page = dir.path() + "/ny.html";
  ASSERT_EQ(run({"traditional", "ny", "--html", page, "--sex", "woman"}), 0) << err.str();
  std::ifstream in(page);
  const std::string greekPage((std::istreambuf_iterator<char>(in)), {});
  for (const char* text : {"<h1>Ο παραδοσιακός χάρτης: ny</h1>", "<th>Τριγωνοκράτορες</th>",
                           "<p class=\"item\">Σελήνη: δεκτή από τον Ερμή, κατ' οίκον</p>",
                           "<p class=\"item\">Ερμής και Δίας: ανταναγνώριση κατ' οίκον</p>",
                           "Ο επικρατήτορας του χάρτη: Αφροδίτη.", "<td>Λαμπαδίας (βασιλικός)</td>",
                           "<h2>Γλωσσάρι και πηγές</h2>", "Δωροθέου", "Ουίλιαμ Λίλι", "ιμπν Έζρα"})
    EXPECT_NE(greekPage.find(text), std::string::npos) << text;
  // The wheel's own SVG is carried escaped in the image's source: the Lot of Fortune and
  // Aldebaran (Λαμπαδίας) marked outside the zodiac.
  EXPECT_NE(greekPage.find("Λαμπαδίας"), std::string::npos);
  EXPECT_NE(greekPage.find("⊗"), std::string::npos);
  // The tables too, in the tradition's words, the names after a preposition declined.
  ASSERT_EQ(run({"traditional", "ny"}), 0) << err.str();
  for (const char* line :
       {"όρια        αιγυπτιακά\n",
        "Αφροδίτη Ιχθύες       15° 53′ 45″  Δίας     Αφροδίτη Αφροδίτη/Άρης/Σελήνη       Δίας     "
        "Δίας      +7  ύψωμα +4, τριγωνοκρατορία +3\n",
        "  Σελήνη δεκτή από τον Ερμή: κατ' οίκον, τον βλέπει κατά ζώδιο\n",
        "  κύκλος: Ερμής → Δίας\n",
        "  Λαμπαδίας (βασιλικός)   Δίδυμοι       9° 11′ 36″  Ωροσκόπος       0,95°  μέγεθος 0,86, "
        "της φύσεως του Άρη\n"})
    EXPECT_NE(out.str().find(line), std::string::npos) << line << out.str();
  EXPECT_EQ(run({"traditional", "ny", "--html", page, "--json"}), 2);
  ASSERT_TRUE(store.write(IntSetting::Langhor, 0));

  // Ptolemy's bounds: Saturn at 14°14′ Sagittarius is in Mercury's (14°–19°).
  ASSERT_EQ(run({"traditional", "ny", "--bounds", "ptolemaic", "--json"}), 0) << err.str();
  EXPECT_EQ(nlohmann::json::parse(out.str())["planets"][6]["dignities"]["rulers"]["bound"],
            "Mercury");
  // A bound table it doesn't know is a bad command line; a chart it doesn't have a refusal.
  EXPECT_EQ(run({"traditional", "ny", "--bounds", "chaldean"}), 2);
  EXPECT_TRUE(out.str().empty());
  EXPECT_NE(err.str().find("no bounds \"chaldean\"; egyptian or ptolemaic"), std::string::npos)
      << err.str();
  EXPECT_EQ(run({"traditional", "nobody"}), 1);
  EXPECT_TRUE(out.str().empty());
  // With the time not known: no sect and no lots, the dignities all the same.
  ASSERT_EQ(run({"traditional", "ny", "--time-unknown", "--json"}), 0) << err.str();
  const auto u = nlohmann::json::parse(out.str());
  EXPECT_TRUE(u["sect"].is_null());
  EXPECT_TRUE(u["lots"].empty());
  EXPECT_TRUE(u["almuten"].is_null());
  EXPECT_EQ(u["planets"][3]["score"]["exaltation"], 4);
  EXPECT_EQ(u["planets"][3]["score"]["triplicity"], 0);
}

// The time lords of the New York 1957 chart on 10 December 2026, as tests/timelords works
// them: the 69th year Pisces, the 10th house, Jupiter's; Mars' firdar with Jupiter's
// seventh; the releasing from Spirit in Capricorn, its 4th period Aries from 17 March 2025.
TEST_F(ChartTool, TimelordsOnADateAndWhatItRefuses) {
  dir.mkdir("settings");
  PosixFileSystem files(dir.path());
  SettingsStore store(files);
  ASSERT_TRUE(writeDefaultSettings(store));
  ASSERT_EQ(run({"new", "ny", "--date", "1957-03-14", "--time", "09:41", "--lon", "74:00:21W",
                 "--lat", "40:42:51N", "--offset", "-5:00"}),
            0)
      << err.str();
  ASSERT_EQ(run({"timelords", "ny", "--date", "2026-12-10", "--zone", "Etc/UTC"}), 0) << err.str();
  for (const char* line :
       {"  age 69  2026-03-14 14:41 – 2027-03-14 14:41  Pisces      house 10 lord of the year "
        "Jupiter\n",
        "      month 2026-11-12 22:41 – 2026-12-13 08:41  Scorpio     lord Mars\n",
        "  Mars                    2020-03-13 21:20 – 2027-03-14 14:05\n",
        "      Mars with Jupiter   2026-03-14 08:15 – 2027-03-14 14:05\n",
        "  L1 Aries       2025-03-17 14:41 – 2039-12-29 14:41\n"})
    EXPECT_NE(out.str().find(line), std::string::npos) << line << out.str();
  ASSERT_EQ(run({"timelords", "ny", "--from", "2026-01-01", "--to", "2026-12-31", "--zone",
                 "Etc/UTC", "--json"}),
            0)
      << err.str();
  const auto j = nlohmann::json::parse(out.str());
  ASSERT_EQ(j["profections"].size(), 2u);
  EXPECT_EQ(j["profections"][1]["lord"], "Jupiter");
  EXPECT_EQ(j["releasing"]["lot"], "Spirit");
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"timelords", "ny", "--lot", "eros"},
           {"timelords", "ny", "--levels", "5"},
           {"timelords", "ny", "--date", "2026-13-01"},
           {"timelords", "ny", "--date", "2026-01-01", "--from", "2026-01-01"},
           {"timelords", "ny", "--year", "365"}}) {
    EXPECT_EQ(run(args), 2) << args[2];
    EXPECT_TRUE(out.str().empty());
  }
  // The reading of the lords in force, and the directions by the solar arc of the year.
  ASSERT_EQ(run({"timelords", "ny", "--date", "2026-12-10", "--reading"}), 0) << err.str();
  for (const char* heading : {"The 10th house (Pisces)\n", "The lord of the year: Jupiter\n",
                              "The firdar of Mars\n", "The sub-period: Mars · Jupiter\n",
                              "Level 1: Aries\n", "Level 2: Taurus\n", "A peak period\n"})
    EXPECT_NE(out.str().find(heading), std::string::npos) << heading << out.str();
  EXPECT_EQ(run({"timelords", "ny", "--from", "2026-01-01", "--reading"}), 2);
  ASSERT_EQ(
      run({"directions", "ny", "--from", "2027-01-01", "--to", "2027-12-31", "--zone", "Etc/UTC"}),
      0)
      << err.str();
  EXPECT_NE(out.str().find("  directed Sun            Square          natal Moon            exact "
                           "2027-10-14  arc  68° 59′ 11″"),
            std::string::npos)
      << out.str();
  // Saturn's returns over 2014–2018: three passes as it turns back over 14°14′02″
  // Sagittarius (254.2341502, swetest), each against a bisection on swetest's Saturn
  // (tests/timelords/bisect_longitude.py 6 254.2341502 FROM TO): JD 2457420.837576940,
  // 2457527.382537594 (moving back), 2457692.039590670.
  ASSERT_EQ(run({"return", "ny", "--planet", "Saturn", "--from", "2014-01-01", "--to", "2018-12-31",
                 "--zone", "Etc/UTC", "--json"}),
            0)
      << err.str();
  const auto saturn = nlohmann::json::parse(out.str())["returns"];
  ASSERT_EQ(saturn.size(), 3u);
  const double bisected[] = {2457420.837576940, 2457527.382537594, 2457692.039590670};
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(saturn[i]["julian_day"].get<double>(), bisected[i], 2e-5) << i;  // 2 s
    EXPECT_EQ(saturn[i]["retrograde"], i == 1) << i;
  }
  EXPECT_EQ(run({"return", "ny", "--planet", "Chiron"}), 2);
  EXPECT_EQ(run({"return", "ny", "--planet", "Saturn", "--year", "2016"}), 2);
  // One return is asked by its year; a period is for --planet's, not passed over.
  EXPECT_EQ(run({"return", "ny", "--year", "2016", "--from", "2016-01-01"}), 2);
  // Beyond the ephemeris' years there is nothing to find: said, not "none in the period".
  EXPECT_EQ(
      run({"return", "ny", "--planet", "Saturn", "--from", "2990-01-01", "--to", "3100-01-01"}), 1);
  EXPECT_NE(err.str().find("beyond the years the ephemeris can give"), std::string::npos)
      << err.str();
  EXPECT_TRUE(out.str().empty());
  // A date the lords aren't reckoned for is refused with the reason, not left empty.
  EXPECT_EQ(run({"timelords", "ny", "--date", "2300-01-01"}), 1);
  EXPECT_NE(err.str().find("is more than 200 years after the birth"), std::string::npos)
      << err.str();
  EXPECT_EQ(run({"timelords", "ny", "--date", "1900-01-01", "--zone", "Etc/UTC"}), 1);
  EXPECT_NE(err.str().find("the date is before the birth, 1957-03-14 14:41 (Etc/UTC)"),
            std::string::npos)
      << err.str();
  // A birth the ephemeris has no planets for has no time lords, no traditional chart and no
  // solar arc: said, not told as a night chart.
  ASSERT_EQ(run({"new", "far", "--date", "9999-06-15", "--time", "12:00", "--lon", "0E", "--lat",
                 "40N", "--offset", "+0:00"}),
            0)
      << err.str();
  for (const char* command : {"timelords", "traditional", "directions"}) {
    EXPECT_EQ(run({command, "far"}), 1) << command;
    EXPECT_NE(err.str().find("can't be computed for this birth"), std::string::npos)
        << command << ": " << err.str();
    EXPECT_TRUE(out.str().empty()) << command;
  }
  EXPECT_EQ(run({"traditional", "ny", "--html", "a.html", "--pdf", "a.pdf"}), 2);
  // "-" is standard output, for a report as for text; an empty name is no file at all.
  ASSERT_EQ(run({"traditional", "ny", "--html", "-"}), 0) << err.str();
  EXPECT_EQ(out.str().rfind("<!DOCTYPE html>", 0), 0u) << out.str().substr(0, 80);
  EXPECT_FALSE(dir.exists("-"));
  for (const char* option : {"--html", "--pdf"}) {
    EXPECT_EQ(run({"traditional", "ny", option, ""}), 2) << option;
    EXPECT_NE(err.str().find("needs the name of a file"), std::string::npos) << err.str();
  }
  EXPECT_EQ(run({"directions", "ny", "-o", ""}), 2);
  EXPECT_EQ(run({"timelords", "ny", "--time-unknown"}), 2);  // not an option of its
  EXPECT_EQ(run({"timelords", "nobody"}), 1);
}

// Every point and every aspect on, with wide orbs: the longest names ("Part of Fortune",
// "Sesquiquadrate") keep a blank before the next column, and each deviation starts under
// the header's.
TEST_F(ChartTool, ChartTextKeepsItsColumnsWithTheLongestNames) {
  dir.mkdir("settings");
  PosixFileSystem files(dir.path());
  SettingsStore store(files);
  ASSERT_TRUE(writeDefaultSettings(store));
  std::vector<std::uint8_t> on(22 * 4, 0), orbs;
  for (std::size_t i = 0; i < 22; ++i) on[4 * i] = 1;
  dir.write("settings/naplch", on);
  dir.write("settings/naaspset", std::vector<std::uint8_t>(on.begin(), on.begin() + 18 * 4));
  for (int i = 0; i < 18; ++i) {
    const double orb = 10;
    const auto* b = reinterpret_cast<const std::uint8_t*>(&orb);
    orbs.insert(orbs.end(), b, b + sizeof orb);
  }
  dir.write("settings/natasp", orbs);
  ASSERT_EQ(run({"new", "x", "--date", "2000-01-01", "--time", "10:00", "--place", "Athens"}), 0);
  ASSERT_EQ(run({"chart", "x"}), 0) << err.str();
  const std::string text = out.str();
  const auto header = text.find("\nASPECT");
  ASSERT_NE(header, std::string::npos) << text;
  std::istringstream lines(text.substr(header + 1));
  std::string line;
  std::getline(lines, line);
  const std::size_t column = line.find("DEVIATION");
  int fortune = 0, rows = 0;
  while (std::getline(lines, line)) {
    ++rows;
    if (line.find("Part of Fortune") != std::string::npos) ++fortune;
    ASSERT_GT(line.size(), column) << line;
    EXPECT_EQ(line[column - 1], ' ') << line;
    EXPECT_TRUE(line.compare(column, 1, "+") == 0 || line.compare(column, 3, "\u2212") == 0)
        << line;
  }
  EXPECT_GT(fortune, 0) << text;
  EXPECT_GT(rows, 100);
}

TEST_F(ChartTool, TheReadingAndTheChecksOfItsTexts) {
  dir.mkdir("settings");
  PosixFileSystem files(dir.path());
  SettingsStore store(files);
  ASSERT_TRUE(writeDefaultSettings(store));
  // 1 January 2000, 10:00 in Athens: the Sun in Capricorn.
  ASSERT_EQ(run({"new", "x", "--date", "2000-01-01", "--time", "10:00", "--place", "Athens"}), 0);
  ASSERT_EQ(run({"reading", "x"}), 0) << err.str();
  EXPECT_TRUE(out.str().starts_with("The reading\n===========\n")) << out.str();
  EXPECT_NE(out.str().find("\nSun\n  In Capricorn\n"), std::string::npos);
  EXPECT_EQ(out.str().find("no text in this set"), std::string::npos);
  std::istringstream lines(out.str());
  for (std::string line; std::getline(lines, line);)
    EXPECT_LE(std::count_if(line.begin(), line.end(), [](char c) { return (c & 0xC0) != 0x80; }),
              80)
        << line;

  ASSERT_EQ(run({"reading", "x", "--json"}), 0);
  const auto json = nlohmann::json::parse(out.str());
  std::vector<std::string> ids;
  for (const auto& c : json["chapters"]) ids.push_back(c["id"]);
  EXPECT_EQ(ids, (std::vector<std::string>{"summary", "ascendant", "points", "aspects", "houses",
                                           "whole"}));
  EXPECT_TRUE(json["missing"].empty());
  EXPECT_EQ(run({"reading", "x", "--sex", "other"}), 2);
  EXPECT_NE(err.str().find("--sex takes man or woman, not 'other'"), std::string::npos);

  EXPECT_EQ(run({"texts", "check"}), 0) << out.str();
  dir.mkdir("READING");
  dir.mkdir("READING/en");
  const std::string mine = "[Sun in Arise]\nTypo.\n[Moon in Leo]\n[sun in capricorn]\nMine.\n";
  dir.write("READING/en/signs.txt", std::vector<std::uint8_t>(mine.begin(), mine.end()));
  EXPECT_EQ(run({"texts", "check", "en"}), 1);
  EXPECT_EQ(out.str(),
            "READING/en/signs.txt:1: unknown key [Sun in Arise]\n"
            "READING/en/signs.txt:3: [Moon in Leo] has no text\n");
  EXPECT_NE(
      err.str().find("en: 1804 of 1804 keys have a text; READING/en holds 1 entry of its own"),
      std::string::npos)
      << err.str();
  ASSERT_EQ(run({"reading", "x"}), 0);
  // The Sun's first sentence opens the reading, at a glance, and is not said again.
  EXPECT_NE(out.str().find("\n  Mine. "), std::string::npos) << out.str();
  EXPECT_EQ(out.str().find("Mine.", out.str().find("Mine.") + 1), std::string::npos);
  EXPECT_EQ(run({"texts", "check", "fr"}), 2);
  EXPECT_EQ(run({"texts", "verify"}), 2);

  // Own texts that can't be used are said, by texts check and by each reading: a folder
  // where a file should be, a file in another encoding; the shipped text is read for them.
  dir.mkdir("READING/en/houses.txt");
  const std::string latin = "[Sun in house 1]\n\xc9t\xe9.\n";
  dir.write("READING/en/aspects.txt", std::vector<std::uint8_t>(latin.begin(), latin.end()));
  EXPECT_EQ(run({"texts", "check", "en"}), 1);
  EXPECT_NE(out.str().find("READING/en/houses.txt:0: is a folder, not a file of texts"),
            std::string::npos)
      << out.str();
  EXPECT_NE(out.str().find("READING/en/aspects.txt:2: is not UTF-8 text"), std::string::npos);
  ASSERT_EQ(run({"reading", "x"}), 0);
  EXPECT_NE(
      err.str().find("note: READING/en/houses.txt: is a folder, not a file of texts, so it is "
                     "not read (the text shipped with the program is read instead)"),
      std::string::npos)
      << err.str();
  ASSERT_EQ(run({"sheet", "x"}), 0);
  EXPECT_NE(out.str().find("READING/en/aspects.txt:2: is not UTF-8 text"), std::string::npos);
}

// A file of its own that can't be read (mode 000) is named by texts check, on standard
// error and on the sheet, as a file in another encoding is. Root reads a file of mode 000,
// so there the test has nothing to try (the reading test injects the refusal instead).
TEST_F(ChartTool, AnOwnTextFileThatCantBeReadIsNamedEverywhere) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads a file of mode 000";
  dir.mkdir("settings");
  PosixFileSystem files(dir.path());
  SettingsStore store(files);
  ASSERT_TRUE(writeDefaultSettings(store));
  ASSERT_EQ(run({"new", "x", "--date", "2000-01-01", "--time", "10:00", "--place", "Athens"}), 0);
  dir.mkdir("READING");
  dir.mkdir("READING/en");
  dir.write("READING/en/signs.txt", bytes("[Sun in Capricorn]\nMine.\n"));
  std::filesystem::permissions(dir / "READING/en/signs.txt", std::filesystem::perms::none);
  const std::string says =
      "READING/en/signs.txt: can't be read (its permissions don't allow it), so none of it is "
      "read";
  EXPECT_EQ(run({"texts", "check", "en"}), 1);
  EXPECT_EQ(out.str(),
            "READING/en/signs.txt:0: can't be read (its permissions don't allow "
            "it), so none of it is read\n");
  ASSERT_EQ(run({"reading", "x"}), 0);
  EXPECT_NE(err.str().find("note: " + says), std::string::npos) << err.str();
  ASSERT_EQ(run({"sheet", "x"}), 0);
  EXPECT_NE(err.str().find("note: " + says), std::string::npos) << err.str();
  EXPECT_NE(out.str().find("READING/en/signs.txt: can't be read"), std::string::npos);
}

TEST_F(ChartTool, CoordinatesTakeTheZoneOfTheBoundaryTheyLieInAndTheSeaTheLongitudes) {
  // Lord Howe Island: +10:30 in July (zdump Australia/Lord_Howe), where the nearest place
  // of the atlas keeps New York's zone here and Sydney's +10 in the real one.
  ASSERT_EQ(run({"new", "lh", "--date", "2019-07-15", "--time", "12:00", "--lon", "159:04:56E",
                 "--lat", "31:33:19S"}),
            0)
      << err.str();
  EXPECT_EQ(chart("lh").gmtHours, 10);
  EXPECT_EQ(chart("lh").gmtMinutes, 30);
  EXPECT_NE(err.str().find("the zone Australia/Lord_Howe is that of the boundary the place lies in "
                           "(the nearest place in the atlas: "),
            std::string::npos)
      << err.str();
  // Troll, Antarctica: +2 in July, its summer time (zdump Antarctica/Troll).
  ASSERT_EQ(run({"new", "troll", "--date", "2019-07-15", "--time", "12:00", "--lon", "2:32E",
                 "--lat", "72:00:41S"}),
            0);
  EXPECT_EQ(chart("troll").gmtHours, 2);
  // Mid-Atlantic, 30° W: the nautical zone, said so.
  ASSERT_EQ(
      run({"new", "sea", "--date", "2019-07-15", "--time", "12:00", "--lon", "30W", "--lat", "0N"}),
      0);
  EXPECT_EQ(chart("sea").gmtHours, -2);
  EXPECT_NE(err.str().find("at sea, beyond every zone's waters: the nautical zone of the "
                           "longitude, Etc/GMT+2"),
            std::string::npos)
      << err.str();
  // An AAF record with coordinates alone: Eucla, +8:45 (zdump Australia/Eucla).
  const std::string aaf = "#A93:Eucla,*,*,15.7.2019,12:00,*,*\n#B93:*,31s40,128e53,*,*\n";
  dir.write("eucla.aaf", std::vector<std::uint8_t>(aaf.begin(), aaf.end()));
  ASSERT_EQ(run({"import", "--format", "aaf", dir / "eucla.aaf"}), 0) << err.str() << out.str();
  EXPECT_EQ(chart("Eucla").gmtHours, 8);
  EXPECT_EQ(chart("Eucla").gmtMinutes, 45);
}

// Without the boundaries file the zone of a point on land can't be known: the nearest
// place's zone would give Lord Howe Island Sydney's +10 (zdump Australia/Lord_Howe: +10:30
// in July). Far out at sea the nautical zone needs no file.
TEST_F(ChartTool, WithoutTheBoundariesOnlyTheOpenSeaHasAZone) {
  ::setenv("ORVENDA_ZONES", (dir / "no/zones.bin").c_str(), 1);
  ::setenv("ORVENDA_ATLAS", ORVENDA_ATLAS_FILE, 1);  // the distance to land is the real atlas's
  const std::vector<std::string> lordHowe = {"new",    "lh",       "--date", "2019-07-15",
                                             "--time", "12:00",    "--lon",  "159:04:56E",
                                             "--lat",  "31:33:19S"};
  EXPECT_EQ(run(lordHowe), 1);
  EXPECT_NE(err.str().find("the zone boundaries, which give a place on land its zone, can't be "
                           "read (can't read the zone boundaries " +
                           (dir / "no/zones.bin") + "; ORVENDA_ZONES names the file)"),
            std::string::npos)
      << err.str();
  EXPECT_NE(err.str().find("give --zone or --offset"), std::string::npos);
  EXPECT_FALSE(dir.exists("NAMES/lh"));
  auto with = [&](std::vector<std::string> args, std::vector<std::string> more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
  };
  ASSERT_EQ(run(with(lordHowe, {"--zone", "Australia/Lord_Howe"})), 0) << err.str();
  EXPECT_EQ((std::pair{chart("lh").gmtHours, chart("lh").gmtMinutes}), (std::pair{10, 30}));
  ASSERT_EQ(run(with(lordHowe, {"--offset", "+10:30", "--force"})), 0) << err.str();
  // 30 N 40 W, 1,300 km from the Azores: Etc/GMT+3, three hours behind.
  ASSERT_EQ(run({"new", "sea", "--date", "2019-07-15", "--time", "12:00", "--lon", "40W", "--lat",
                 "30N"}),
            0)
      << err.str();
  EXPECT_EQ(chart("sea").gmtHours, -3);
  EXPECT_NE(err.str().find("taken to be at sea, the nautical zone of the longitude, Etc/GMT+3"),
            std::string::npos)
      << err.str();
  // 500 km from Fernando de Noronha the sea may be an island's waters; beyond 60 degrees
  // land lies far from every place.
  for (const char* lat : {"0N", "75N"}) {
    EXPECT_EQ(run({"new", "near", "--date", "2019-07-15", "--time", "12:00", "--lon", "30W",
                   "--lat", lat}),
              1)
        << lat;
    EXPECT_NE(err.str().find("can't be read"), std::string::npos) << err.str();
  }
  // An AAF record with coordinates alone is refused the same way, with its own advice.
  const std::string aaf = "#A93:Island,*,*,15.7.2019,12:00,*,*\n#B93:*,31s33,159e05,*,*\n";
  dir.write("lh.aaf", bytes(aaf));
  EXPECT_EQ(run({"import", dir / "lh.aaf"}), 1);
  EXPECT_NE(out.str().find("skipped Island: line 1: the zone boundaries, which give a place on "
                           "land its zone, can't be read"),
            std::string::npos)
      << out.str();
  ::setenv("ORVENDA_ZONES", ORVENDA_ZONES_FILE, 1);
}

TEST_F(ChartTool, OffsetAndPlaceAnswerOnStandardOutput) {
  ASSERT_EQ(run({"offset", "Europe/London", "1944-06-06", "12:00"}), 0);
  EXPECT_EQ(out.str(), "GMT 2 min 00\t+2:00 BDST, summer time\n");
  // Ireland's summer hour is the database's standard time: summer time as people say it.
  ASSERT_EQ(run({"offset", "Europe/Dublin", "2024-07-01", "12:00"}), 0);
  EXPECT_EQ(out.str(), "GMT 1 min 00\t+1:00 IST, summer time\n");
  ASSERT_EQ(run({"offset", "Europe/Dublin", "2024-01-15", "12:00"}), 0);
  EXPECT_EQ(out.str(), "GMT 0 min 00\t+0:00 GMT, standard time\n");
  ASSERT_EQ(run({"offset", "America/New_York", "1850-05-01", "12:00", "--lon", "78:52W"}), 0);
  EXPECT_EQ(out.str(), "GMT -6 min 45\t-5:15:28 LMT, mean time of the longitude\n");
  EXPECT_EQ(run({"offset", "Europe/Athens", "2024-10-27", "03:30"}), 1);
  EXPECT_NE(err.str().find("happened twice"), std::string::npos);
  ASSERT_EQ(run({"place", "springfield, il"}), 0);
  EXPECT_NE(out.str().find("Illinois"), std::string::npos);
  EXPECT_EQ(out.str().find("Massachusetts"), std::string::npos);
  ASSERT_EQ(run({"place", "Quote"}), 0);
  EXPECT_NE(out.str().find("Quote \"Town\""), std::string::npos);
}

// Two charts saved as a user saves them, the tool's JSON against pair_reference.txt (swetest
// and Python, not this code): Suva 1850 and Honolulu 2010, the middle place across 180°.
// Outside the files' years the positions come from the analytic ephemeris, and so does
// the ΔT the chart reports: the one its positions were computed with, which differs from
// the files' by 69 s in the year 100. swetest -emos -bj1757585.0 -ut -p0 -fPl: "delta t:
// 9471.459582 sec", Sun 281.8639493; swetest without -emos: 9540.348750 sec.
TEST_F(ChartTool, TheDeltaTOfAChartIsTheOneItsPositionsWereComputedWith) {
  dir.mkdir("settings");
  PosixFileSystem files(dir.path());
  SettingsStore store(files);
  ASSERT_TRUE(writeDefaultSettings(store));
  ASSERT_EQ(run({"new", "y100", "--date", "0100-01-01", "--time", "12:00", "--lon", "0", "--lat",
                 "51N", "--offset", "+0:00"}),
            0)
      << err.str();
  ASSERT_EQ(run({"chart", "y100", "--json"}), 0) << err.str();
  const auto json = nlohmann::json::parse(out.str());
  EXPECT_EQ(json["julian_day"], 1757585.0);
  EXPECT_NEAR(json["delta_t_seconds"].get<double>(), 9471.459582, 0.001);
  EXPECT_NEAR(json["points"][0]["longitude"].get<double>(), 281.8639493, 0.5 / 3600);
  EXPECT_NE(err.str().find("note: positions from the analytic ephemeris (the ephemeris files "
                           "sepl_00.se1, semo_00.se1 are not in "),
            std::string::npos)
      << err.str();
  ASSERT_EQ(run({"chart", "y100"}), 0);
  EXPECT_NE(out.str().find("ΔT 9471.5 s"), std::string::npos) << out.str();
}

// Each ephemeris note names the file its points lack, run in a process of its own with
// a folder that lacks some of them. Without the Moon's file the library takes the Moon
// from the analytic ephemeris (swetest -edir: "using Moshier eph. for moon"; the Moon at
// 125.5107628 with -emos, 125.5107302 from the file, 1 May 1990 10:00 UT) and the planets
// still from theirs; without the asteroids' file Chiron is not computed.
TEST_F(ChartTool, EachEphemerisNoteNamesTheFileItsPointsLack) {
  dir.mkdir("settings");
  PosixFileSystem files(dir.path());
  SettingsStore store(files);
  ASSERT_TRUE(writeDefaultSettings(store));
  ASSERT_EQ(run({"new", "p", "--date", "1990-05-01", "--time", "10:00", "--lon", "10E", "--lat",
                 "50N", "--offset", "+0:00"}),
            0)
      << err.str();
  const std::string from = natal::ephemerisPath();
  struct Case {
    const char* folder;
    std::vector<const char*> files;
    std::string notes;  // standard error, with FOLDER for the folder
    double moon;
  };
  const std::string asteroids = "Chiron";  // the one asteroid of the default settings
  const Case cases[] = {
      {"planets-asteroids",
       {"sepl_18.se1", "seas_18.se1"},
       "note: positions from the analytic ephemeris (the ephemeris file semo_18.se1 is not in "
       "FOLDER): Moon\n",
       125.5107628},
      {"planets-moon",
       {"sepl_18.se1", "semo_18.se1"},
       "note: not computed (the ephemeris file seas_18.se1 is not in FOLDER): " + asteroids + "\n",
       125.5107302},
      {"planets",
       {"sepl_18.se1"},
       "note: not computed (the ephemeris file seas_18.se1 is not in FOLDER): " + asteroids +
           "\nnote: positions from the analytic ephemeris (the ephemeris file semo_18.se1 is not "
           "in FOLDER): Moon\n",
       125.5107628},
  };
  for (const Case& c : cases) {
    const std::string folder = dir / c.folder;
    dir.mkdir(c.folder);
    for (const char* f : c.files) std::filesystem::copy_file(from + "/" + f, folder + "/" + f);
    const std::string command = "SE_EPHE_PATH='" + folder + "' '" ORVENDA_CHART_TOOL "' -C '" +
                                dir.path() + "' chart p --json >'" + (dir / "out") + "' 2>'" +
                                (dir / "err") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << c.folder;
    std::string notes = c.notes;
    for (std::size_t at; (at = notes.find("FOLDER")) != std::string::npos;)
      notes.replace(at, 6, folder);
    const auto e = dir.read("err"), o = dir.read("out");
    EXPECT_EQ(std::string(e.begin(), e.end()), notes) << c.folder;
    const auto json = nlohmann::json::parse(std::string(o.begin(), o.end()));
    EXPECT_NEAR(json["points"][1]["longitude"].get<double>(), c.moon, 0.05 / 3600) << c.folder;
  }
}

TEST_F(ChartTool, SynastryOfTwoSavedChartsAgreesWithTheReference) {
  const auto refs = testing::readPairReferences();
  ASSERT_EQ(refs.pairs.size(), 3u);
  const auto& ref = refs.pairs[1];
  const natal::ChartConfig& config = refs.configs.at("all");
  dir.mkdir("settings");
  PosixFileSystem files(dir.path());
  SettingsStore store(files);
  ASSERT_TRUE(writeDefaultSettings(store));
  ASSERT_EQ(store.writeAspects(config.aspects), TableSave::Saved);
  ASSERT_EQ(store.writePlanets(config.planets), TableSave::Saved);
  ASSERT_EQ(run({"new", "Suva", "--date", "1850-05-01", "--time", "14:00:01", "--lon", "178:26E",
                 "--lat", "18:08S", "--offset", "+11:54"}),
            0)
      << err.str();
  ASSERT_EQ(run({"new", "Honolulu", "--date", "2010-11-20", "--time", "06:15", "--lon",
                 "157:51:29W", "--lat", "21:18:25N", "--offset", "-10:00"}),
            0)
      << err.str();
  ASSERT_EQ(chart("Suva"), ref.a);
  ASSERT_EQ(chart("Honolulu"), ref.b);

  ASSERT_EQ(run({"synastry", "Suva", "Honolulu", "--json"}), 0) << err.str();
  const auto json = nlohmann::json::parse(out.str());
  constexpr double kArcSecond = 1.0 / 3600;
  std::map<std::string, double> expected, found;
  for (const auto& x : ref.aspects.at("all"))
    expected[natal::pointName(x.a, false) + " " + natal::aspectName(x.aspect, false) + " " +
             natal::pointName(x.b, false)] = x.deviation;
  for (const auto& x : json["aspects"])
    found[x["a"].get<std::string>() + " " + x["aspect"].get<std::string>() + " " +
          x["b"].get<std::string>()] = x["deviation"];
  ASSERT_EQ(found.size(), expected.size());
  for (const auto& [key, deviation] : expected) {
    ASSERT_TRUE(found.count(key)) << key;
    EXPECT_NEAR(found[key], deviation, kArcSecond) << key;
  }
  for (const auto& [side, guest] : {std::pair{"a_in_b", 'A'}, std::pair{"b_in_a", 'B'}}) {
    std::vector<std::pair<std::string, int>> shown, wanted;
    for (const auto& o : json["overlays"][side]) shown.emplace_back(o["name"], o["house"]);
    for (const auto& [point, house] : ref.overlays.at(guest))
      wanted.emplace_back(natal::pointName(point, false), house);
    EXPECT_EQ(shown, wanted) << side;
  }
  for (const auto& [name, expectedChart] :
       {std::pair{"composite", &ref.composite}, std::pair{"davison", &ref.davison}}) {
    const auto& c = json[name];
    ASSERT_EQ(c["points"].size(), 22u) << name;
    for (int i = 0; i < 22; ++i)
      EXPECT_LT(natal::separation(c["points"][i]["longitude"], expectedChart->points[i]),
                kArcSecond)
          << name << " " << c["points"][i]["name"];
    for (int h = 0; h < 12; ++h)
      EXPECT_LT(natal::separation(c["houses"]["cusps"][h], expectedChart->cusps[h]), kArcSecond)
          << name << " cusp " << h + 1;
  }
  // composite and davison alone write the same charts.
  ASSERT_EQ(run({"davison", "Suva", "Honolulu", "--json"}), 0) << err.str();
  EXPECT_EQ(nlohmann::json::parse(out.str())["houses"], json["davison"]["houses"]);
  ASSERT_EQ(run({"composite", "Suva", "Honolulu", "--json"}), 0) << err.str();
  EXPECT_EQ(nlohmann::json::parse(out.str())["points"], json["composite"]["points"]);
}

// --time-unknown NAME marks that chart alone: the other keeps its houses, and the other's
// points in them; the composite Moon's range is the midpoints of the two Moons' ranges, a
// Moon of known time standing still. swetest -bj<JD> -ut -p1 -fPl: a (Athens, 2000-01-01
// 10:00 +2:00) 221.3180930; b (London, 1990-06-01, +1:00) 167.3920258 at 00:00, 173.5964594
// at noon, 179.7386108 at 24:00; a's own day 216.2840595, 222.3214541, 228.3205092.
TEST_F(ChartTool, TwoChartsWithTheTimeOfOneOrBothUnknown) {
  dir.mkdir("settings");
  PosixFileSystem files(dir.path());
  SettingsStore store(files);
  ASSERT_TRUE(writeDefaultSettings(store));
  ASSERT_EQ(run({"new", "a", "--date", "2000-01-01", "--time", "10:00", "--place", "Athens"}), 0);
  ASSERT_EQ(run({"new", "b", "--date", "1990-06-01", "--time", "18:30", "--place", "London"}), 0);
  constexpr double kArcSecond = 1.0 / 3600;
  auto moonOf = [](const nlohmann::json& chart) {
    for (const auto& p : chart["points"])
      if (p["name"] == "Moon") return p["longitude"].get<double>();
    return -1.0;
  };
  // The one chart named, after the operands or before them.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"synastry", "a", "b", "--time-unknown", "b", "--json"},
        std::vector<std::string>{"synastry", "--time-unknown", "b", "a", "b", "--json"}}) {
    ASSERT_EQ(run(args), 0) << err.str();
    const auto j = nlohmann::json::parse(out.str());
    EXPECT_TRUE(j["overlays"]["a_in_b"].is_null());
    ASSERT_TRUE(j["overlays"]["b_in_a"].is_array());
    EXPECT_FALSE(j["overlays"]["b_in_a"].empty());
    const auto& c = j["composite"];
    EXPECT_FALSE(c["time_known"].get<bool>());
    EXPECT_NEAR(moonOf(c), 197.4572762, kArcSecond);
    EXPECT_NEAR(c["moon_range"]["from"].get<double>(), 194.3550594, kArcSecond);
    EXPECT_NEAR(c["moon_range"]["to"].get<double>(), 200.5283519, kArcSecond);
    EXPECT_NE(err.str().find("note: the birth time of b is not known"), std::string::npos);
    EXPECT_EQ(err.str().find("the birth time of a"), std::string::npos) << err.str();
  }
  // Alone it marks both, as it always did; named twice, the same.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"composite", "--time-unknown", "a", "b", "--json"},
        std::vector<std::string>{"composite", "a", "b", "--time-unknown", "--json"},
        std::vector<std::string>{"composite", "a", "b", "--time-unknown", "a", "--time-unknown",
                                 "b", "--json"}}) {
    ASSERT_EQ(run(args), 0) << err.str();
    const auto c = nlohmann::json::parse(out.str());
    EXPECT_NEAR(moonOf(c), 197.9589567, kArcSecond);
    EXPECT_NEAR(c["moon_range"]["from"].get<double>(), 191.8380427, kArcSecond);
    EXPECT_NEAR(c["moon_range"]["to"].get<double>(), 204.0295600, kArcSecond);
  }
  ASSERT_EQ(run({"synastry", "a", "b", "--time-unknown", "b"}), 0) << err.str();
  EXPECT_NE(out.str().find("\nb's points in a's houses\n"), std::string::npos) << out.str();
  EXPECT_EQ(out.str().find("a's points in b's houses"), std::string::npos);
  EXPECT_NE(out.str().find("moon        Libra 14° 21′ 18″ to Libra 20° 31′ 42″, the midpoints of "
                           "the two Moons' ranges over their days\n"),
            std::string::npos)
      << out.str();
  EXPECT_EQ(run({"synastry", "a", "b", "--time-unknown", "c"}), 2);
  EXPECT_NE(err.str().find("--time-unknown c names neither a nor b"), std::string::npos)
      << err.str();

  // The same chart twice is said; notes of a chart near the pole or before 1800 say whose.
  ASSERT_EQ(run({"synastry", "a", "a"}), 0) << err.str();
  EXPECT_NE(err.str().find("note: a is given twice: the chart is compared with itself\n"),
            std::string::npos)
      << err.str();
  ASSERT_EQ(run({"new", "north", "--date", "1990-06-01", "--time", "12:00", "--lon", "15E", "--lat",
                 "78N", "--offset", "+1:00"}),
            0);
  ASSERT_EQ(run({"new", "old", "--date", "1700-06-01", "--time", "12:00", "--lon", "0", "--lat",
                 "51N", "--offset", "+0:00"}),
            0);
  ASSERT_EQ(run({"synastry", "north", "old"}), 0) << err.str();
  const std::string folder = natal::ephemerisPath();
  for (const std::string& note :
       {std::string(
            "note: north's Placidus houses can't be computed at this latitude: Porphyry houses "
            "instead, for its houses and old's points in them\n"),
        "note: old: not computed (the ephemeris file seas_12.se1 is not in " + folder + "): ",
        "note: old: positions from the analytic ephemeris (the ephemeris files sepl_12.se1, "
        "semo_12.se1 are not in " +
            folder + "): Sun, Moon, "})
    EXPECT_NE(err.str().find(note), std::string::npos) << note << "\n" << err.str();
  // The report says them too, each with its chart's name.
  ASSERT_EQ(run({"synastry", "north", "old", "--html", dir / "pair.html"}), 0) << err.str();
  const auto page = dir.read("pair.html");
  const std::string html(page.begin(), page.end());
  for (const std::string& note :
       {std::string("<p class=\"note\">north: Placidus houses can't be computed at this "
                    "latitude: Porphyry houses instead.</p>"),
        "<p class=\"note\">old: Not computed (the ephemeris file seas_12.se1 is not in " + folder +
            "): Chiron</p>",
        "<p class=\"note\">old: From the analytic ephemeris (the ephemeris files sepl_12.se1, "
        "semo_12.se1 are not in " +
            folder + "): Sun, Moon, "})
    EXPECT_NE(html.find(note), std::string::npos) << note;
}

TEST_F(ChartTool, TwoChartCommandsSayWhatIsWrongWithTheirArguments) {
  dir.mkdir("settings");
  PosixFileSystem files(dir.path());
  SettingsStore store(files);
  ASSERT_TRUE(writeDefaultSettings(store));
  ASSERT_EQ(run({"new", "a", "--date", "2000-01-01", "--time", "10:00", "--place", "Athens"}), 0);
  ASSERT_EQ(run({"new", "b", "--date", "1990-06-01", "--time", "18:30", "--place", "London"}), 0);
  struct Case {
    std::vector<std::string> args;
    int status;  // 2: the command line is not understood; 1: refused
    std::string reason;
  };
  const Case cases[] = {
      {{"synastry", "a"}, 2, "orvenda-chart synastry: takes two chart names"},
      {{"composite", "a"}, 2, "orvenda-chart composite: takes two chart names"},
      {{"davison", "b"}, 2, "orvenda-chart davison: takes two chart names"},
      {{"synastry"}, 2, "Try 'orvenda-chart synastry --help'."},
      {{"synastry", "a", "b", "--json", "--html", dir / "pair.html"}, 2, "give one"},
      {{"synastry", "a", "b", "--houses", "nowhere"}, 2, "no house system \"nowhere\""},
      {{"synastry", "a", "nobody"}, 1, "no chart NAMES/nobody"},
      {{"composite", "nobody", "b"}, 1, "no chart NAMES/nobody"},
      {{"davison", "a", "nobody"}, 1, "no chart NAMES/nobody"},
      {{"synastry", "a", "b", "--html", dir / "no/such/folder/pair.html"}, 1, "there is no folder"},
  };
  for (const Case& c : cases) {
    std::string line;
    for (const auto& a : c.args) line += a + " ";
    EXPECT_EQ(run(c.args), c.status) << line << err.str();
    EXPECT_NE(err.str().find(c.reason), std::string::npos) << line << err.str();
    EXPECT_EQ(out.str(), "") << line;
  }
  EXPECT_FALSE(dir.exists("pair.html"));
}

// WeasyPrint draws U+FE0E, the text form of a sign's symbol, in an SVG image as a dotted
// circle after the sign: each sign of each printed wheel had one. The page it is given (here
// to an engine that keeps it) carries its wheels without.
TEST_F(ChartTool, ThePageForWeasyPrintHasWheelsWithoutTheTextFormMark) {
  dir.mkdir("settings");
  PosixFileSystem files(dir.path());
  SettingsStore store(files);
  ASSERT_TRUE(writeDefaultSettings(store));
  ASSERT_EQ(run({"new", "a", "--date", "2000-01-01", "--time", "10:00", "--place", "Athens"}), 0);
  ASSERT_EQ(run({"new", "b", "--date", "1990-06-01", "--time", "18:30", "--place", "London"}), 0);
  dir.mkdir("engine");
  const std::string script =
      "#!/bin/sh\ncp \"$1\" \"$(dirname \"$0\")/given.html\" && printf '%%PDF-1.4\\n' >\"$2\"\n";
  dir.write("engine/weasyprint", std::vector<std::uint8_t>(script.begin(), script.end()));
  std::filesystem::permissions(dir / "engine/weasyprint", std::filesystem::perms::owner_all);
  ::setenv("ORVENDA_PDF", (dir / "engine/weasyprint").c_str(), 1);
  const int status = run({"synastry", "a", "b", "--pdf", dir / "pair.pdf"});
  ::unsetenv("ORVENDA_PDF");
  ASSERT_EQ(status, 0) << err.str();
  const auto bytes = dir.read("engine/given.html");
  const std::string given(bytes.begin(), bytes.end());
  std::size_t images = 0;
  for (std::size_t at = 0; (at = given.find("data:image/svg+xml", at)) != std::string::npos; ++at) {
    ++images;
    const std::string image = given.substr(at, given.find('"', at) - at);
    EXPECT_EQ(image.find("\xEF\xB8\x8E"), std::string::npos);
    EXPECT_NE(image.find("\xE2\x99\x88"), std::string::npos);  // ♈, now without its mark
  }
  EXPECT_EQ(images, 3u);  // the bi-wheel, the composite and the Davison wheels
}

TEST(ChartAtlas, FoldingForgetsCaseAccentsAndTonos) {
  EXPECT_EQ(foldName("São Paulo"), "sao paulo");
  EXPECT_EQ(foldName("ZÜRICH"), "zurich");
  EXPECT_EQ(foldName("Łódź"), "lodz");
  EXPECT_EQ(foldName("Straße"), "strasse");
  EXPECT_EQ(foldName("ΑΘΉΝΑ"), "αθηνα");
  EXPECT_EQ(foldName("Άγιος Νικόλαος"), "αγιοσ νικολαοσ");
}

// `chart --json` writes its document as it goes; the JSON library's own serialisation of
// the document as a tree is the reference, byte for byte, over charts of every shape: the
// points of all 22 or of a few, borderlines on, houses that fall back near the poles, the
// time not known, points not computed before 1800, a chart without aspects.
TEST(ChartJson, WrittenAsItGoesIsTheLibrarysSerialisationOfTheDocument) {
  natal::ChartConfig wide;
  wide.aspects.orbs.fill(8);
  wide.aspects.enabled.fill(1);
  wide.planets.values.fill(10);
  wide.planets.enabled.fill(1);
  wide.borderlineDegrees = 5;
  wide.changeRulers = 2;
  natal::ChartConfig narrow;
  narrow.planets.enabled[natal::kSun] = narrow.planets.enabled[natal::kMoon] = 1;
  std::uint32_t seed = 1957;
  auto next = [&](int n) {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(n));
  };
  int compared = 0;
  for (int i = 0; i < 120; ++i) {
    BirthRecord r{1 + next(28),
                  1 + next(12),
                  i % 10 == 0 ? 1700 + next(90) : 1850 + next(200),
                  next(24),
                  next(60),
                  next(60),
                  next(25) - 12,
                  0,
                  next(360) - 180,
                  next(60),
                  next(60),
                  next(179) - 89,
                  next(60),
                  next(60)};
    const bool timeKnown = i % 7 != 3;
    const char system = "PKRCEW"[next(6)];
    const auto out = natal::computeChart(r, i % 5 == 4 ? narrow : wide, system,
                                         natal::swissEphemeris(), timeKnown);
    if (!out.chart) continue;
    const std::string name = i % 2 ? "Γιώργος \"ο\" μικρός" : "Maria";
    ASSERT_EQ(chartJsonText(name, *out.chart), chartJson(name, *out.chart).dump(2))
        << "chart " << i;
    ++compared;
  }
  EXPECT_GT(compared, 110);
}

// traditional --json written as it goes is the tree's dump(2), byte for byte, over charts of
// every kind: by day and night, the time not known, the poles, a narrow configuration
// (fewer than the seven planets: no lots, receptions or dispositors), both bound tables.
TEST(TraditionalJsonText, IsTheTreesDumpOverManyCharts) {
  natal::ChartConfig wide;
  wide.aspects.orbs.fill(8);
  wide.aspects.enabled.fill(1);
  wide.planets.values.fill(10);
  wide.planets.enabled.fill(1);
  natal::ChartConfig narrow = wide;
  narrow.planets.enabled[4] = 0;  // no Mars
  std::uint32_t seed = 39;
  auto next = [&](int n) {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(n));
  };
  int compared = 0, withAlmuten = 0, withStars = 0;
  for (int i = 0; i < 60; ++i) {
    BirthRecord r{1 + next(28),    1 + next(12), 1850 + next(200), next(24),
                  next(60),        next(60),     next(25) - 12,    0,
                  next(360) - 180, next(60),     next(60),         next(179) - 89,
                  next(60),        next(60)};
    const bool timeKnown = i % 7 != 3;
    const auto out = natal::computeChart(r, i % 5 == 4 ? narrow : wide, "PKRW"[next(4)],
                                         natal::swissEphemeris(), timeKnown);
    if (!out.chart) continue;
    const natal::NatalChart& c = *out.chart;
    std::optional<traditional::Syzygy> z;
    if (timeKnown)
      z = traditional::syzygyBefore(c.julianDayUt, natal::recordLatitude(r),
                                    natal::recordLongitude(r), natal::swissEphemeris());
    const auto t = traditional::traditionalChart(
        c, natal::swissEphemeris().obliquity(c.julianDayUt),
        i % 2 ? traditional::Bounds::Ptolemaic : traditional::Bounds::Egyptian, z,
        traditional::starsAt(c.julianDayUt, natal::swissEphemeris()));
    withAlmuten += t.almuten.has_value();
    withStars += !t.starContacts.empty();
    // Names the writer passes through as they stand, and those the library must escape.
    const std::string name = i % 3 == 0 ? "Maria" : i % 3 == 1 ? "Γιώργος \"ο\"" : "a\\b\tc";
    ASSERT_EQ(traditionalJsonText(name, c, t), traditionalJson(name, c, t).dump(2))
        << "chart " << i;
    ++compared;
  }
  EXPECT_GT(compared, 55);
  EXPECT_GT(withAlmuten, 30);
  EXPECT_GT(withStars, 40);
}

}  // namespace
}  // namespace orvenda::tool
