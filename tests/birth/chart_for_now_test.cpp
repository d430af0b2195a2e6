// Chart for Now: the clock readings around midnight and in zones with odd offsets.
#include <gtest/gtest.h>

#include "birth/chart_for_now.h"
#include "support/zone.h"

namespace orvenda {
namespace {

using testing::ScopedZone;

std::time_t utc(int y, int mo, int d, int h, int mi, int s = 0) {
  std::tm t{};
  t.tm_year = y - 1900;
  t.tm_mon = mo - 1;
  t.tm_mday = d;
  t.tm_hour = h;
  t.tm_min = mi;
  t.tm_sec = s;
  return ::timegm(&t);
}

struct MidnightCase {
  const char* zone;  // POSIX zone with the offset of the row
  std::time_t gmt;
  int day, hour, minute;  // local reading
  int gmtHours, gmtMinutes;
};

TEST(ChartForNow, EveryRowOfTheMidnightTable) {
  const MidnightCase cases[] = {
      {"XXX-2", utc(2024, 5, 1, 22, 30), 2, 0, 30, 2, 0},
      {"XXX3", utc(2024, 5, 2, 2, 30), 1, 23, 30, -3, 0},
      {"XXX-5:30", utc(2024, 5, 1, 18, 45), 2, 0, 15, 5, 30},
      {"XXX3:30", utc(2024, 5, 1, 23, 30), 1, 20, 0, -4, 30},
      {"XXX3:30", utc(2024, 5, 2, 1, 30), 1, 22, 0, -4, 30},
      {"XXX-2", utc(2023, 2, 28, 23, 0), 1, 1, 0, 2, 0},
      {"XXX2", utc(2024, 6, 1, 1, 0), 31, 23, 0, -2, 0},
      {"XXX-5:45", utc(2024, 5, 1, 8, 0), 1, 13, 45, 5, 45},
  };
  for (const auto& c : cases) {
    ScopedZone zone(c.zone);
    BirthRecord r = defaultBirthRecord;
    chartForNow(r, c.gmt);
    EXPECT_EQ(r.day, c.day) << c.zone;
    EXPECT_EQ(r.hour, c.hour) << c.zone;
    EXPECT_EQ(r.minute, c.minute) << c.zone;
    EXPECT_EQ(r.gmtHours, c.gmtHours) << c.zone << " " << r.day;
    EXPECT_EQ(r.gmtMinutes, c.gmtMinutes) << c.zone;
  }
}

TEST(ChartForNow, MonthAndYearRollWithTheLocalDate) {
  ScopedZone zone("XXX-2");
  BirthRecord r = defaultBirthRecord;
  chartForNow(r, utc(2023, 12, 31, 23, 0, 59));
  EXPECT_EQ(r, (BirthRecord{1, 1, 2024, 1, 0, 59, 2, 0, 23, 46, 0, 37, 58, 0}));
}

struct ZoneCase {
  const char* zone;
  std::time_t when;
  int gmtHours, gmtMinutes;
};

TEST(ChartForNow, RealZonesWithOddOffsetsAndSummerTime) {
  const ZoneCase cases[] = {
      {"Asia/Kolkata", utc(2024, 1, 15, 12, 0), 5, 30},
      {"Asia/Kolkata", utc(2024, 1, 15, 20, 0), 5, 30},  // local date already the 16th
      {"America/St_Johns", utc(2024, 1, 15, 12, 0), -4, 30},
      {"America/St_Johns", utc(2024, 1, 15, 2, 0), -4, 30},  // local date still the 14th
      {"America/St_Johns", utc(2024, 7, 15, 12, 0), -3, 30},
      {"Pacific/Kiritimati", utc(2024, 1, 15, 20, 0), 14, 0},
      {"Pacific/Kiritimati", utc(2024, 1, 15, 5, 0), 14, 0},
      {"Australia/Eucla", utc(2024, 1, 15, 20, 0), 8, 45},
      {"Europe/Athens", utc(2024, 7, 15, 22, 30), 3, 0},
      {"Europe/Athens", utc(2024, 1, 15, 22, 30), 2, 0},
  };
  for (const auto& c : cases) {
    ScopedZone zone(c.zone);
    BirthRecord r = defaultBirthRecord;
    chartForNow(r, c.when);
    EXPECT_EQ(r.gmtHours, c.gmtHours) << c.zone << " at " << c.when;
    EXPECT_EQ(r.gmtMinutes, c.gmtMinutes) << c.zone << " at " << c.when;
    // Local reading = GMT + offset.
    std::tm local{};
    ::localtime_r(&c.when, &local);
    EXPECT_EQ(r.hour, local.tm_hour);
    EXPECT_EQ(r.day, local.tm_mday);
  }
}

TEST(ChartForNow, TouchesOnlyDateTimeAndOffset) {
  ScopedZone zone("UTC0");
  BirthRecord r{0, 0, 0, 0, 0, 0, 0, 0, -1, -2, -3, -4, -5, -6};
  chartForNow(r, utc(1999, 12, 31, 23, 59, 59));
  EXPECT_EQ(r, (BirthRecord{31, 12, 1999, 23, 59, 59, 0, 0, -1, -2, -3, -4, -5, -6}));
}

}  // namespace
}  // namespace orvenda
