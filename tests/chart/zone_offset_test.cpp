// Offsets from the system's time-zone database: historical rules, the clock times a
// change skipped or passed twice, and the era before standard time.
#include <gtest/gtest.h>

#include "chart/zone_offset.h"

namespace orvenda::chart {
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

TEST(ZoneOffsets, JulianDaysOfUniversalTime) {
  EXPECT_DOUBLE_EQ(julianDay({2000, 1, 1}, {12, 0, 0}, 0), 2451545.0);  // J2000.0
  EXPECT_NEAR(julianDay({1957, 3, 14}, {9, 41, 0}, -300), 2435912.111806, 1e-6);
  CivilDate d;
  ClockTime t;
  fromJulianDay(2435912.111806, d, t);
  EXPECT_EQ((std::tuple{d.year, d.month, d.day, t.hour, t.minute, t.second}),
            (std::tuple{1957, 3, 14, 14, 41, 0}));
}

}  // namespace
}  // namespace orvenda::chart
