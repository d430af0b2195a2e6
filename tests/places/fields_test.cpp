// The forms a birth is written in on the command line, and the record's conventions for
// offsets and angles: the places where a wrong value would be stored without a word.
#include <gtest/gtest.h>

#include "exchange/exchange.h"
#include "places/fields.h"

namespace orvenda::places {

using namespace exchange;
namespace {

TEST(ChartFields, DatesInBothFormsAndOnlyRealDays) {
  std::string why;
  const auto a = parseDate("1957-03-14", why);
  ASSERT_TRUE(a);
  EXPECT_EQ((std::tuple{a->year, a->month, a->day}), (std::tuple{1957, 3, 14}));
  const auto b = parseDate("27.9.1970", why);
  ASSERT_TRUE(b);
  EXPECT_EQ((std::tuple{b->year, b->month, b->day}), (std::tuple{1970, 9, 27}));
  EXPECT_TRUE(parseDate("2000-02-29", why));
  for (const char* bad :
       {"1957-04-31", "29.2.1957", "1900-02-29", "2001-13-01", "2001-00-10", "0.1.2000",
        "10000-01-01", "0-01-01", "1957-3", "14/3/1957", "", "1957-03-14x", " - - "}) {
    EXPECT_FALSE(parseDate(bad, why)) << bad;
    EXPECT_FALSE(why.empty()) << bad;
  }
}

TEST(ChartFields, ClockTimes) {
  std::string why;
  const auto t = parseTime("09:41", why);
  ASSERT_TRUE(t);
  EXPECT_EQ((std::tuple{t->hour, t->minute, t->second}), (std::tuple{9, 41, 0}));
  const auto s = parseTime("1:04:59", why);
  ASSERT_TRUE(s);
  EXPECT_EQ((std::tuple{s->hour, s->minute, s->second}), (std::tuple{1, 4, 59}));
  for (const char* bad : {"24:00", "12:60", "12:00:60", "12", "12:5", "12:05:", "-1:00", "ab:cd"})
    EXPECT_FALSE(parseTime(bad, why)) << bad;
}

TEST(ChartFields, AnglesInEveryFormToArcSeconds) {
  std::string why;
  const std::int32_t nyLon = -(73 * 3600 + 58 * 60 + 12);
  EXPECT_EQ(parseAngle("73:58:12W", true, why), nyLon);
  EXPECT_EQ(parseAngle("73:58:12w", true, why), nyLon);
  EXPECT_EQ(parseAngle("-73:58:12", true, why), nyLon);
  EXPECT_EQ(parseAngle("-73.97", true, why), -266292);
  EXPECT_EQ(parseAngle("40.7128N", false, why), 146566);
  EXPECT_EQ(parseAngle("49n05", false, why), 49 * 3600 + 5 * 60);  // AAF
  EXPECT_EQ(parseAngle("8e11", true, why), 8 * 3600 + 11 * 60);
  EXPECT_EQ(parseAngle("33s52", false, why), -(33 * 3600 + 52 * 60));
  EXPECT_EQ(parseAngle("180", true, why), 180 * 3600);
  for (const char* bad : {"180:00:01", "181", "12:60", "W73", "73WW", "-73W", "73N", "nan", "",
                          "12:30:10:5", "--3", "12:-5"})
    EXPECT_FALSE(parseAngle(bad, true, why)) << bad;
  EXPECT_FALSE(parseAngle("91", false, why));
  EXPECT_FALSE(parseAngle("40E", false, why)) << "E is not a latitude's letter";
}

TEST(ChartFields, OffsetsInTheRecordsForm) {
  std::string why;
  EXPECT_EQ(parseOffset("-5:00", why), -300);
  EXPECT_EQ(parseOffset("+5:30", why), 330);
  EXPECT_EQ(parseOffset("-3:30", why), -210);
  // The database's farthest: Manila's -15:56:08 (zdump Asia/Manila, 1844), Juneau's +15:02:19.
  EXPECT_EQ(parseOffset("-15:56", why), -956);
  EXPECT_EQ(parseOffset("+15:02", why), 902);
  // Balabac's -16:11:48 before 1845, the farthest mean time on the wrong side of its longitude.
  EXPECT_EQ(parseOffset("-16:12", why), -972);
  EXPECT_EQ(parseOffset("+16:15", why), 975);
  for (const char* bad : {"5:00", "+5:0", "+5:60", "+16:16", "-16:16", "+17:00", "-", "+a:00"})
    EXPECT_FALSE(parseOffset(bad, why)) << bad;
  // A clock 3 h 30 min behind GMT is gmtHours -4, gmtMinutes 30.
  for (auto [minutes, hours, rest] : {std::tuple{-210, -4, 30},
                                      {-300, -5, 0},
                                      {330, 5, 30},
                                      {0, 0, 0},
                                      {-1, -1, 59},
                                      {80, 1, 20},
                                      {-570, -10, 30}}) {
    BirthRecord r;
    setRecordOffset(r, minutes);
    EXPECT_EQ((std::pair{r.gmtHours, r.gmtMinutes}), (std::pair{hours, rest})) << minutes;
    EXPECT_EQ(recordOffsetMinutes(r), minutes);
  }
}

TEST(ChartFields, AnglesThatCantCarryTheirSignTakeTheNearestValueTheRecordHolds) {
  const auto london = toRecordAngle(-(7 * 60 + 33));  // 0°07'33" W
  EXPECT_TRUE(london.signLost);
  EXPECT_EQ((std::tuple{london.degrees, london.minutes, london.seconds}), (std::tuple{0, 0, 0}));
  const auto farther = toRecordAngle(-(40 * 60));  // 0°40' W: -1° is nearer than 0°
  EXPECT_TRUE(farther.signLost);
  EXPECT_EQ((std::tuple{farther.degrees, farther.minutes, farther.seconds}),
            (std::tuple{-1, 0, 0}));
  const auto ny = toRecordAngle(-(73 * 3600 + 58 * 60 + 12));
  EXPECT_FALSE(ny.signLost);
  EXPECT_EQ((std::tuple{ny.degrees, ny.minutes, ny.seconds}), (std::tuple{-73, 58, 12}));
  EXPECT_EQ(fromRecordAngle(-73, 58, 12), -(73 * 3600 + 58 * 60 + 12));
  EXPECT_FALSE(toRecordAngle(-3600).signLost);
  EXPECT_EQ(toRecordAngle(-3600).degrees, -1);
}

// The forms of AAF's zone field as the format's definition and other programs write them,
// each read by its grammar in decimal digits, and the two calendars of its dates: the day
// the Gregorian calendar began, and a leap day only the Julian had.
TEST(AafFields, ZonesAndCalendars) {
  std::string why;
  for (const auto& [text, minutes] : std::vector<std::pair<const char*, int>>{
           {"5hw00", -300},  // HhWMM: five hours west
           {"1he", 60},
           {"5h30e", 330},
           {"5he30", 330},
           {"0he00", 0},
           {"9h30w", -570},
           {"0e20", 20},  // HeMM: Amsterdam's +0:20 of 1938, not 0 times ten to the 20th
           {"1e01", 61},
           {"0e38", 38},
           {"1E", 60},
           {"5w30", -330},
           {"0e21:48", 22},  // with seconds, rounded to the minute
           {"15e02", 902},   // Juneau before 1867, east of the date line
           {"15hw56", -956},
           {"1", 60},  // hours alone, east positive
           {"+1", 60},
           {"-5", -300},
           {"5.5", 330},
           {"1.0", 60},
           {" \v\f1he00\t\r", 60}})  // C's white space around the field is not part of it
    EXPECT_EQ(parseAafZone(text, why), minutes) << text;
  for (const char* bad : {"17he", "16e16", "5h", "5hx", "e5h", "5h60e", "*", "0x1", "0X1", "0x1p0",
                          "1e1", "inf", "nan", "1.", ".5", "1 e00", "1he00x", "++1", "1,5"})
    EXPECT_FALSE(parseAafZone(bad, why)) << bad;
  bool localMean = false;
  EXPECT_EQ(parseAafSummer("0", localMean, why), 0);
  EXPECT_EQ(parseAafSummer("1", localMean, why), 60);
  EXPECT_EQ(parseAafSummer("2", localMean, why), 120);
  EXPECT_EQ(parseAafSummer("0.5", localMean, why), 30);
  EXPECT_EQ(parseAafSummer("m", localMean, why), 0);
  EXPECT_TRUE(localMean);
  EXPECT_EQ(parseAafSummer("L", localMean, why), 0);
  EXPECT_TRUE(localMean);
  for (const char* bad : {"-1", "2.5", "0x2", "1e0", "inf", ""})
    EXPECT_FALSE(parseAafSummer(bad, localMean, why)) << bad;
  EXPECT_EQ(parseAafJulianDay("\v2444253.958333\f", why), 2444253.958333);
  EXPECT_EQ(parseAafJulianDay("2444254", why), 2444254.0);
  for (const char* bad : {"0x1p20", "2.4e6", "inf", "nan", "-2444253.5", "2444253.", ""})
    EXPECT_FALSE(parseAafJulianDay(bad, why)) << bad;

  bool julian = false;

  auto gregorian = [&](const char* text) {
    const auto d = parseAafDate(text, julian, why);
    return d ? std::to_string(d->day) + "." + std::to_string(d->month) + "." +
                   std::to_string(d->year) + (julian ? " from Julian" : "")
             : "refused: " + why;
  };
  EXPECT_EQ(gregorian("4.10.1582"), "14.10.1582 from Julian");
  EXPECT_EQ(gregorian("15.10.1582"), "15.10.1582");
  EXPECT_EQ(gregorian("29.2.1500"), "10.3.1500 from Julian");
  EXPECT_EQ(gregorian("23.4.1616j"), "3.5.1616 from Julian");  // Shakespeare's death
  EXPECT_EQ(gregorian("3.5.1616"), "3.5.1616");
  EXPECT_EQ(gregorian("1.1.1500g"), "1.1.1500");
  EXPECT_EQ(gregorian("29.2.1500g").substr(0, 8), "refused:");
  EXPECT_EQ(gregorian("29.2.1501").substr(0, 8), "refused:");
  EXPECT_EQ(gregorian("14.3.57").substr(0, 8), "refused:");
}

}  // namespace
}  // namespace orvenda::places
