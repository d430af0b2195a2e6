// Field rules of Up and Down, date normalisation, month lengths and the chart image.
#include <gtest/gtest.h>

#include "birth/birth_record.h"

namespace orvenda {
namespace {

BirthRecord date(int d, int m, int y) {
  BirthRecord r = defaultBirthRecord;
  r.day = d;
  r.month = m;
  r.year = y;
  return r;
}

TEST(BirthRecord, DefaultRecordIsNoonFirstJanuary1970InAthens) {
  const BirthRecord r = defaultBirthRecord;
  EXPECT_EQ(r, (BirthRecord{1, 1, 1970, 12, 0, 0, 2, 0, 23, 46, 0, 37, 58, 0}));
}

TEST(BirthRecord, FieldIndexFollowsTheFileOrder) {
  BirthRecord r{};
  for (int i = 0; i < 14; ++i) r.field(i) = 100 + i;
  EXPECT_EQ(r.day, 100);
  EXPECT_EQ(r.second, 105);
  EXPECT_EQ(r.gmtMinutes, 107);
  EXPECT_EQ(r.latSeconds, 113);
}

struct WrapCase {
  int field;
  int from;
  bool down;
  int to;
};

class FieldWrapTest : public ::testing::TestWithParam<WrapCase> {};

TEST_P(FieldWrapTest, EachFieldWrapsAtItsOwnBounds) {
  const WrapCase c = GetParam();
  BirthRecord r = defaultBirthRecord;
  r.field(c.field) = c.from;
  const BirthRecord before = r;
  if (c.down)
    incrementField(r, c.field);
  else
    decrementField(r, c.field);
  EXPECT_EQ(r.field(c.field), c.to);
  for (int i = 0; i < 14; ++i) {
    if (i != c.field) {
      EXPECT_EQ(r.field(i), before.field(i)) << "no carry into field " << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    AllFields, FieldWrapTest,
    ::testing::Values(
        WrapCase{0, 1, false, 31}, WrapCase{0, 31, true, 1}, WrapCase{1, 1, false, 12},
        WrapCase{1, 12, true, 1}, WrapCase{2, 1900, false, 2000}, WrapCase{2, 2100, true, 1900},
        WrapCase{2, 1901, false, 1900}, WrapCase{2, 2099, true, 2100}, WrapCase{3, 0, false, 23},
        WrapCase{3, 23, true, 0}, WrapCase{4, 0, false, 59}, WrapCase{4, 59, true, 0},
        WrapCase{5, 0, false, 59}, WrapCase{5, 59, true, 0}, WrapCase{6, -12, false, 13},
        WrapCase{6, 13, true, -12}, WrapCase{7, 0, false, 59}, WrapCase{7, 59, true, 0},
        WrapCase{8, -180, false, 180}, WrapCase{8, 180, true, -180}, WrapCase{8, -179, false, -180},
        WrapCase{8, 179, true, 180}, WrapCase{9, 0, false, 59}, WrapCase{10, 59, true, 0},
        WrapCase{11, -90, false, 90}, WrapCase{11, 90, true, -90}, WrapCase{12, 0, false, 59},
        WrapCase{13, 59, true, 0}));

TEST(BirthRecord, UpOnMinuteZeroLeavesTheHour) {
  BirthRecord r = defaultBirthRecord;
  r.minute = 0;
  decrementField(r, 4);
  EXPECT_EQ(r.minute, 59);
  EXPECT_EQ(r.hour, 12);
}

TEST(BirthRecord, UpChecksOnlyLowerBoundsAndDownOnlyUpperOnesOfEveryField) {
  BirthRecord r = defaultBirthRecord;
  r.month = 13;
  r.lonDegrees = 200;
  r.gmtHours = 14;
  for (int i = 0; i < 5; ++i) decrementField(r, 3);
  EXPECT_EQ(r.month, 13);
  EXPECT_EQ(r.lonDegrees, 200);
  EXPECT_EQ(r.gmtHours, 14);
  incrementField(r, 0);
  EXPECT_EQ(r.month, 1);
  EXPECT_EQ(r.lonDegrees, -180);
  EXPECT_EQ(r.gmtHours, -12);

  BirthRecord low = defaultBirthRecord;
  low.latDegrees = -100;
  incrementField(low, 2);
  EXPECT_EQ(low.latDegrees, -100);
  decrementField(low, 2);
  EXPECT_EQ(low.latDegrees, 90);
}

TEST(BirthRecord, ExtremeValuesDoNotOverflow) {
  BirthRecord r = defaultBirthRecord;
  r.year = INT32_MIN;
  decrementField(r, 2);
  EXPECT_EQ(r.year, 2000);
  r.year = INT32_MAX;
  incrementField(r, 2);
  EXPECT_EQ(r.year, 1900);
  decrementField(r, -1);
  incrementField(r, 14);
  EXPECT_EQ(r.year, 1900) << "an index outside the record changes nothing";
}

TEST(BirthRecord, MonthLengthHasNoCenturyRule) {
  EXPECT_EQ(monthLength(1, 2001), 31);
  EXPECT_EQ(monthLength(4, 2001), 30);
  EXPECT_EQ(monthLength(6, 2001), 30);
  EXPECT_EQ(monthLength(9, 2001), 30);
  EXPECT_EQ(monthLength(11, 2001), 30);
  EXPECT_EQ(monthLength(12, 2001), 31);
  EXPECT_EQ(monthLength(2, 2001), 28);
  EXPECT_EQ(monthLength(2, 2000), 29);
  EXPECT_EQ(monthLength(2, 1900), 29);
  EXPECT_EQ(monthLength(2, 2100), 29);
}

TEST(BirthRecord, NormalizeDateRollsAnInvalidDayToTheNextFirst) {
  struct {
    BirthRecord in;
    int d, m, y;
  } cases[] = {
      {date(31, 4, 1980), 1, 5, 1980},    {date(0, 3, 1980), 1, 4, 1980},
      {date(31, 6, 1980), 1, 7, 1980},    {date(0, 12, 2000), 1, 1, 2001},
      {date(29, 2, 2001), 1, 3, 2001},    {date(29, 2, 1900), 29, 2, 1900},
      {date(32, 12, 2100), 1, 1, 2101},   {date(-5, 1, 1970), 1, 2, 1970},
      {date(40, 13, 1970), 40, 13, 1970}, {date(0, 0, 1970), 0, 0, 1970},
  };
  for (auto& c : cases) {
    BirthRecord r = c.in;
    normalizeDate(r);
    EXPECT_EQ(r.day, c.d);
    EXPECT_EQ(r.month, c.m);
    EXPECT_EQ(r.year, c.y);
  }
}

// The examples of the keys followed by the redraw's normalisation.
TEST(BirthRecord, KeysFollowedByNormalisation) {
  BirthRecord r = date(1, 4, 1980);
  decrementField(r, 0);
  normalizeDate(r);
  EXPECT_EQ(r, date(1, 5, 1980)) << "Up on 1 April: 0 -> 31 -> 1 May";
  r = date(30, 4, 1980);
  incrementField(r, 0);
  normalizeDate(r);
  EXPECT_EQ(r, date(1, 5, 1980));
  r = date(31, 1, 1980);
  incrementField(r, 0);
  normalizeDate(r);
  EXPECT_EQ(r, date(1, 1, 1980)) << "32 wraps to 1 in the same month";
  r = date(28, 2, 2001);
  incrementField(r, 0);
  normalizeDate(r);
  EXPECT_EQ(r, date(1, 3, 2001));
  r = date(28, 2, 2000);
  incrementField(r, 0);
  normalizeDate(r);
  EXPECT_EQ(r, date(29, 2, 2000));
  r = date(31, 1, 1980);
  incrementField(r, 1);
  normalizeDate(r);
  EXPECT_EQ(r, date(1, 3, 1980)) << "31 February shows as 1 March";
  r = date(15, 12, 1980);
  incrementField(r, 1);
  EXPECT_EQ(r, date(15, 1, 1980)) << "December to January keeps the year";
}

TEST(BirthRecord, ChartImageIs56LittleEndianBytes) {
  BirthRecord r{5, 3, 1980, 14, 7, 0, -4, 30, -180, 59, 1, -90, 0, 2147483647};
  const auto bytes = encodeChart(r);
  ASSERT_EQ(bytes.size(), 56u);
  EXPECT_EQ(bytes[0], 5);
  EXPECT_EQ(bytes[8], 0xBC);  // 1980 = 0x07BC
  EXPECT_EQ(bytes[9], 0x07);
  EXPECT_EQ(bytes[24], 0xFC);  // -4
  EXPECT_EQ(bytes[27], 0xFF);
  EXPECT_EQ(bytes[32], 0x4C);  // -180 = 0xFFFFFF4C
  EXPECT_EQ(bytes[52], 0xFF);
  EXPECT_EQ(bytes[55], 0x7F);
  BirthRecord back = defaultBirthRecord;
  decodeChart(bytes, back);
  EXPECT_EQ(back, r);
}

TEST(BirthRecord, ShortChartImageLeavesTheFieldsItDoesNotReach) {
  BirthRecord r = defaultBirthRecord;
  const auto full = encodeChart(BirthRecord{9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9});
  decodeChart(std::span(full.data(), 10), r);  // two whole fields and half of one
  EXPECT_EQ(r.day, 9);
  EXPECT_EQ(r.month, 9);
  EXPECT_EQ(r.year, 1970);
  EXPECT_EQ(r.latMinutes, 58);
}

}  // namespace
}  // namespace orvenda
