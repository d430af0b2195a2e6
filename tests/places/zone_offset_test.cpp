// Offsets from the system's time-zone database: historical rules, the clock times a
// change skipped or passed twice, and the era before standard time.
#include <gtest/gtest.h>

#include <date/date.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "places/zone_offset.h"

namespace orvenda::places {
namespace {

ZoneOffset at(const char* zone, int y, int mo, int d, int h, int mi,
              std::optional<std::int32_t> lon = std::nullopt) {
  return offsetAt(zone, {y, mo, d}, {h, mi, 0}, lon);
}

TEST(ZoneOffsets, HistoricalRulesOfTheDatabase) {
  const auto ny = at("America/New_York", 1957, 3, 14, 9, 41);
  EXPECT_EQ(ny.kind, ZoneOffset::Kind::Unique);
  EXPECT_EQ(ny.first.offsetSeconds, -5 * 3600);
  EXPECT_FALSE(ny.first.summer);
  // London in June 1944: double summer time, two hours ahead of GMT.
  const auto london = at("Europe/London", 1944, 6, 6, 12, 0);
  EXPECT_EQ(london.first.offsetSeconds, 2 * 3600);
  EXPECT_TRUE(london.first.summer);
  // Amsterdam kept its own time before 1940: +1:19:32 in the summer of 1935.
  const auto amsterdam = at("Europe/Amsterdam", 1935, 6, 1, 12, 0);
  EXPECT_EQ(amsterdam.first.offsetSeconds, 4772);
  EXPECT_EQ(roundedMinutes(amsterdam.first.offsetSeconds), 80);
  EXPECT_EQ(formatOffsetSeconds(4772), "+1:19:32");
  EXPECT_EQ(at("Nowhere/Atlantis", 2000, 1, 1, 0, 0).kind, ZoneOffset::Kind::UnknownZone);
}

TEST(ZoneOffsets, SkippedAndRepeatedClockTimesNameBothOffsets) {
  const auto gap = at("America/New_York", 2024, 3, 10, 2, 30);
  EXPECT_EQ(gap.kind, ZoneOffset::Kind::Gap);
  EXPECT_EQ(gap.first.offsetSeconds, -5 * 3600);
  EXPECT_EQ(gap.second.offsetSeconds, -4 * 3600);
  const auto fold = at("Europe/Athens", 2024, 10, 27, 3, 30);
  EXPECT_EQ(fold.kind, ZoneOffset::Kind::Fold);
  EXPECT_EQ(fold.first.offsetSeconds, 3 * 3600);
  EXPECT_EQ(fold.second.offsetSeconds, 2 * 3600);
  EXPECT_EQ(at("Europe/Athens", 2024, 10, 27, 4, 0).kind, ZoneOffset::Kind::Unique);
}

TEST(ZoneOffsets, BeforeStandardTimeABirthKeepsItsPlacesMeanTime) {
  // New York before 1883 kept local mean time; a birth in Buffalo (78°52'W) kept
  // Buffalo's, 5 h 15 min 28 s behind GMT, not New York City's.
  const std::int32_t buffalo = -(78 * 3600 + 52 * 60);
  const auto b = at("America/New_York", 1850, 5, 1, 12, 0, buffalo);
  EXPECT_TRUE(b.meanTime);
  EXPECT_EQ(b.first.offsetSeconds, -(5 * 3600 + 15 * 60 + 28));
  EXPECT_EQ(roundedMinutes(b.first.offsetSeconds), -315);
  const auto database = at("America/New_York", 1850, 5, 1, 12, 0);
  EXPECT_FALSE(database.meanTime);
  EXPECT_EQ(database.first.abbreviation, "LMT");
  // After standard time began, the longitude changes nothing.
  EXPECT_FALSE(at("America/New_York", 1900, 5, 1, 12, 0, buffalo).meanTime);
}

// Places that kept the date of the other side of the date line before they crossed it:
// their mean time is on that side, as zdump gives the zone's own (-15:56:08 for Manila
// before 1845, +15:02:19 for Juneau before 1867), never a whole day off.
TEST(ZoneOffsets, BeforeADateLineCrossingTheMeanTimeIsOnTheZonesSide) {
  struct Case {
    const char* zone;
    int year;
    std::int32_t longitude;  // arc seconds, east positive
    int zdumpSeconds;        // zdump -v: the zone's LMT then
  };
  const Case cases[] = {
      {"Asia/Manila", 1840, 120 * 3600 + 58 * 60 + 56, -57368},
      {"America/Juneau", 1860, -(134 * 3600 + 25 * 60 + 11), 54139},
      {"America/Sitka", 1860, -(135 * 3600 + 19 * 60 + 51), 53927},
      {"Pacific/Apia", 1890, -(171 * 3600 + 46 * 60), 45184},
      {"Pacific/Guam", 1840, 144 * 3600 + 44 * 60 + 56, -51660},
  };
  for (const Case& c : cases) {
    const auto z = at(c.zone, c.year, 6, 1, 12, 0, c.longitude);
    ASSERT_EQ(z.kind, ZoneOffset::Kind::Unique) << c.zone;
    EXPECT_TRUE(z.meanTime) << c.zone;
    // The place's own mean time, a few seconds from the zone city's, on its side.
    EXPECT_LT(std::abs(z.first.offsetSeconds - c.zdumpSeconds), 60) << c.zone;
    EXPECT_EQ(z.first.offsetSeconds, meanTimeSeconds(c.longitude, c.zdumpSeconds)) << c.zone;
  }
  // East of the line and kept so: Manila after 1845 is Asian (zdump +8:04).
  EXPECT_EQ(
      roundedMinutes(
          at("Asia/Manila", 1850, 6, 1, 12, 0, 120 * 3600 + 58 * 60 + 56).first.offsetSeconds),
      8 * 60 + 4);
}

TEST(ZoneOffsets, JulianDaysOfUniversalTime) {
  EXPECT_DOUBLE_EQ(julianDay({2000, 1, 1}, {12, 0, 0}, 0), 2451545.0);  // J2000.0
  EXPECT_NEAR(julianDay({1957, 3, 14}, {9, 41, 0}, -300), 2435912.111806, 1e-6);
  CivilDate d;
  ClockTime t;
  fromJulianDay(2435912.111806, d, t);
  EXPECT_EQ((std::tuple{d.year, d.month, d.day, t.hour, t.minute, t.second}),
            (std::tuple{1957, 3, 14, 14, 41, 0}));
}

// Every change from 2038 to 2100 that the system's zdump lists, for zones of both
// hemispheres, half-hour summer times, Ireland's negative one and zones without one: the
// offset a second before and at each change agrees with zdump's.
TEST(ZoneOffsets, AfterTheFilesLastListedChangeTheRuleGoesOnAsZdumpSaysTo2100) {
  int checked = 0;
  for (const char* zone : {"Europe/London", "America/New_York", "Australia/Sydney",
                           "America/Santiago", "Australia/Lord_Howe", "Europe/Dublin",
                           "Pacific/Auckland", "America/Sao_Paulo", "Asia/Tokyo"}) {
    const bool changes =
        std::string(zone) != "Asia/Tokyo" && std::string(zone) != "America/Sao_Paulo";
    const std::string command = std::string("zdump -v -c 2038,2101 ") + zone + " 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char line[512];
    int lines = 0;
    while (std::fgets(line, sizeof line, pipe)) {
      // "Europe/London  Sun Mar 28 01:00:00 2038 UT = Sun Mar 28 02:00:00 2038 BST isdst=1
      // gmtoff=3600"
      char month[4];
      int day, hour, minute, second, year;
      const char* ut = std::strstr(line, "  ");
      const char* gmtoff = std::strstr(line, "gmtoff=");
      if (!ut || !gmtoff ||
          std::sscanf(ut, " %*s %3s %d %d:%d:%d %d UT", month, &day, &hour, &minute, &second,
                      &year) != 6)
        continue;
      static const std::string kMonths = "JanFebMarAprMayJunJulAugSepOctNovDec";
      const int m = static_cast<int>(kMonths.find(month)) / 3 + 1;
      const auto days = date::sys_days{date::year{year} / m / day}.time_since_epoch().count();
      const std::int64_t t = days * 86400LL + hour * 3600 + minute * 60 + second;
      const auto period = periodAtUniversal(zone, t);
      ASSERT_TRUE(period) << zone;
      EXPECT_EQ(period->offsetSeconds, std::atoi(gmtoff + 7)) << zone << ": " << line;
      ++lines;
    }
    ::pclose(pipe);
    if (changes) {
      EXPECT_GT(lines, 100) << zone;
    }
    checked += lines;
  }
  EXPECT_GT(checked, 1000);

  // The facts that were wrong: London in July 2038, New York in summer 2045, Sydney's
  // winter, and the clock times of 2038 and 2100 that were skipped or passed twice.
  EXPECT_EQ(at("Europe/London", 2038, 7, 1, 12, 0).first.offsetSeconds, 3600);
  EXPECT_TRUE(at("Europe/London", 2038, 7, 1, 12, 0).first.summer);
  EXPECT_EQ(at("America/New_York", 2045, 7, 1, 12, 0).first.offsetSeconds, -4 * 3600);
  EXPECT_EQ(at("Australia/Sydney", 2045, 7, 1, 12, 0).first.offsetSeconds, 10 * 3600);
  EXPECT_EQ(at("Australia/Sydney", 2045, 1, 1, 12, 0).first.offsetSeconds, 11 * 3600);
  EXPECT_EQ(at("Europe/London", 2038, 3, 28, 1, 30).kind, ZoneOffset::Kind::Gap);
  EXPECT_EQ(at("Europe/London", 2100, 3, 28, 1, 30).kind, ZoneOffset::Kind::Gap);
  const auto fold = at("Europe/London", 2100, 10, 31, 1, 30);
  EXPECT_EQ(fold.kind, ZoneOffset::Kind::Fold);
  EXPECT_EQ(fold.first.offsetSeconds, 3600);
  EXPECT_EQ(fold.second.offsetSeconds, 0);
}

// Summer time as people say it: Ireland's summer (the database's standard time there),
// Namibia's summer of 1994-2017 (likewise), and not Morocco's Ramadan hour.
TEST(ZoneOffsets, SummerTimeIsTheClockAheadOfTheYearsStandard) {
  EXPECT_TRUE(at("Europe/Dublin", 2024, 7, 1, 12, 0).first.summer);
  EXPECT_FALSE(at("Europe/Dublin", 2024, 1, 15, 12, 0).first.summer);
  EXPECT_TRUE(at("Europe/Dublin", 2045, 7, 1, 12, 0).first.summer);
  EXPECT_FALSE(at("Europe/Dublin", 2045, 1, 15, 12, 0).first.summer);
  EXPECT_TRUE(at("Africa/Windhoek", 2000, 1, 15, 12, 0).first.summer);
  EXPECT_FALSE(at("Africa/Windhoek", 2000, 7, 1, 12, 0).first.summer);
  EXPECT_FALSE(at("Africa/Casablanca", 2024, 3, 20, 12, 0).first.summer);
  EXPECT_FALSE(at("Africa/Casablanca", 2024, 7, 1, 12, 0).first.summer);
  EXPECT_TRUE(at("Europe/London", 1944, 6, 6, 12, 0).first.summer);
  EXPECT_EQ(at("Europe/London", 1944, 6, 6, 12, 0).first.saveSeconds, 7200);
}

// Every zone of the database against zdump at random instants from 1850 to 2100: the
// tables to their end (Gaza's run to 2086), the footer rules after them.
TEST(ZoneOffsets, EveryZoneAgreesWithZdumpAtRandomInstants) {
  std::FILE* list = std::fopen("/usr/share/zoneinfo/tzdata.zi", "r");
  if (!list || std::system("zdump -v -c 2000,2001 UTC >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "no tzdata.zi or no zdump here";
  std::vector<std::string> zones;
  char line[512];
  while (std::fgets(line, sizeof line, list))
    if (std::strncmp(line, "Z ", 2) == 0) zones.emplace_back(std::strtok(line + 2, " \n"));
  std::erase(zones, "Factory");  // "local time zone must be set", no place's zone
  std::fclose(list);
  ASSERT_GT(zones.size(), 300u);
  std::uint64_t seed = 1957;
  auto random = [&] {
    return (seed = seed * 6364136223846793005ULL + 1442695040888963407ULL) >> 11;
  };
  const std::int64_t from = -3786825600LL, to = 4133980800LL;  // 1850 to 2101
  int instants = 0, wrong = 0;
  for (std::size_t z = 0; z < zones.size(); ++z) {
    const std::string command = "zdump -v -c 1850,2101 " + zones[z];
    std::FILE* p = ::popen(command.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::vector<std::pair<std::int64_t, int>> changes;  // instant, offset from then on
    while (std::fgets(line, sizeof line, p)) {
      const char* ut = std::strstr(line, " UT = ");
      const char* off = std::strstr(line, "gmtoff=");
      if (!ut || !off) continue;
      // "Zone  Sun Mar 31 00:59:59 2019 UT = …": the date between the zone's name and " UT".
      const std::string head(static_cast<const char*>(line), ut);
      std::tm tm{};
      if (!::strptime(head.substr(head.find(' ') + 1).c_str(), " %a %b %d %H:%M:%S %Y", &tm))
        continue;
      changes.emplace_back(static_cast<std::int64_t>(::timegm(&tm)), std::atoi(off + 7));
    }
    ::pclose(p);
    if (changes.empty()) {  // a zone that never changed (Etc/GMT+5): date gives its offset
      std::FILE* d = ::popen(("TZ=" + zones[z] + " date -d @0 +%z").c_str(), "r");
      ASSERT_NE(d, nullptr);
      ASSERT_TRUE(std::fgets(line, sizeof line, d)) << zones[z];
      ::pclose(d);
      const int hhmm = std::atoi(line + 1);
      changes.emplace_back(from, (line[0] == '-' ? -1 : 1) * (hhmm / 100 * 3600 + hhmm % 100 * 60));
    }
    // 10,000 instants over all the zones.
    for (std::size_t k = 0; k < 10000 / zones.size() + (z < 10000 % zones.size()); ++k) {
      const std::int64_t t = from + static_cast<std::int64_t>(random() % (to - from));
      int expected = changes.front().second;
      for (const auto& [at, offset] : changes)
        if (at <= t) expected = offset;
      const auto period = periodAtUniversal(zones[z], t);
      ++instants;
      if (!period || period->offsetSeconds != expected) {
        if (++wrong < 10)
          ADD_FAILURE() << zones[z] << " at " << t << ": " << (period ? period->offsetSeconds : -1)
                        << ", zdump " << expected;
      }
    }
  }
  EXPECT_EQ(instants, 10000);
  EXPECT_EQ(wrong, 0);
}

}  // namespace
}  // namespace orvenda::places
