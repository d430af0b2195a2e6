// The time lords of the traditional astrologer: which sign and planet rule a year of life
// (annual and monthly profections), which planet rules a stretch of years (the Persian
// firdaria) and Valens' zodiacal releasing from a lot. Pure functions of the birth instant,
// the chart's signs and a span of time; instants are universal seconds since 1970.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace orvenda::timelords {

inline constexpr int kNorthNode = 7, kSouthNode = 8;  // the firdaria's two lords beyond the seven

// ---- profections ----------------------------------------------------------------------------

// The birth as the calendar of its place has it: the anniversaries fall on the same local
// date and clock time (a 29 February birth on 1 March of the common years).
struct Birth {
  long long universalSeconds = 0;
  int offsetSeconds = 0;  // the birth's clock: local = universal + offset
};
// The universal instant of the birth's anniversary `years` after it (0: the birth).
long long anniversary(const Birth& birth, int years);

struct MonthlyProfection {
  long long from = 0, to = 0;
  int sign = 0, lord = 0;
};
struct Profection {
  int age = 0;                                 // the year of life, 0 the first
  long long from = 0, to = 0;                  // birthday to birthday
  int sign = 0;                                // the Ascendant's sign moved a sign a year
  int house = 1;                               // by whole sign, 1..12
  int lord = 0;                                // the sign's domicile ruler, the lord of the year
  std::array<MonthlyProfection, 12> months{};  // a twelfth of the year each, from the birthday
};
Profection profection(const Birth& birth, int ascendantSign, int age);
// The years of life that overlap [from, to).
std::vector<Profection> profections(const Birth& birth, int ascendantSign, long long from,
                                    long long to);

// ---- firdaria -------------------------------------------------------------------------------

// A lord's period or one of its seven sub-periods (years of 365.2425 days from the birth; the
// sequence begins again after 75 years). `lord` 0..6 the planets, kNorthNode, kSouthNode.
struct Firdar {
  int lord = 0;
  int sub = -1;  // the sub-period's lord, or -1 for the whole period
  long long from = 0, to = 0;
};
inline constexpr double kFirdariaYearDays = 365.2425;
// The periods and sub-periods that overlap [from, to), in time order, each period before its
// sub-periods. Day births begin with the Sun, night births with the Moon.
std::vector<Firdar> firdaria(long long birth, bool day, long long from, long long to);
// The years of each lord's period: Sun 10 … South Node 2.
int firdarYears(int lord);

// ---- zodiacal releasing ---------------------------------------------------------------------

// Each sign's period in its ruler's minor years: Aries 15, Taurus 8, Gemini 20, Cancer 25,
// Leo 19, Virgo 20, Libra 8, Scorpio 15, Sagittarius 12, Capricorn 27, Aquarius 30, Pisces 12.
int releasingYears(int sign);

struct ReleasingPeriod {
  int level = 1;  // 1..4
  int sign = 0;
  long long from = 0, to = 0;
  bool loosing = false;  // the first sub-period after the loosing of the bond
  // In a sign angular to the Lot of Fortune's: 2 the 10th from it (the strongest), 1 the
  // Lot's own sign, the 4th or the 7th; 0 otherwise.
  int peak = 0;
};
// Releasing from a lot's sign: level 1 in years of `yearDays` days (360 by Valens), each
// lower level the same numbers in a twelfth of the level above (a month of 30 days, 2.5
// days, 5 hours), starting from its parent's sign and running on through the signs, and
// where it has gone once round the twelve before its parent ends, loosing the bond: the next
// begins from the sign opposite. The periods of `levels` levels that overlap [from, to), in
// time order, each before its sub-periods; a parent's last sub-period ends with it.
std::vector<ReleasingPeriod> releasing(long long birth, int lotSign, int fortuneSign,
                                       double yearDays, int levels, long long from, long long to);

}  // namespace orvenda::timelords
