#include "timelords/timelords.h"

#include <algorithm>
#include <cmath>

#include "traditional/traditional.h"

namespace orvenda::timelords {
namespace {

constexpr long long kDay = 86400;

// Days since 1970-01-01 of a civil date, and back (Howard Hinnant's algorithms): the
// anniversaries are calendar dates, not multiples of a year's mean length.
long long daysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

struct Civil {
  long long year;
  unsigned month, day;
};
Civil civilFromDays(long long z) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<long long>(yoe) + era * 400 + (m <= 2), m, d};
}

long long floorDiv(long long a, long long b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// The Chaldean order, slowest first, by the planets' index: Saturn, Jupiter, Mars, the Sun,
// Venus, Mercury, the Moon.
constexpr std::array<int, 7> kChaldean = {6, 5, 4, 0, 3, 2, 1};

constexpr std::array<int, 9> kDayOrder = {0, 3, 2, 1, 6, 5, 4, kNorthNode, kSouthNode};
constexpr std::array<int, 9> kNightOrder = {1, 6, 5, 4, 0, 3, 2, kNorthNode, kSouthNode};

long long atDays(long long birth, double days) { return birth + std::llround(days * kDay); }

}  // namespace

long long anniversary(const Birth& birth, int years) {
  const long long local = birth.universalSeconds + birth.offsetSeconds;
  const long long days = floorDiv(local, kDay);
  const long long clock = local - days * kDay;
  const Civil c = civilFromDays(days);
  // 29 February in a common year is 1 March: the day count runs on past the 28th.
  const long long to = daysFromCivil(c.year + years, c.month, 1) + (c.day - 1);
  return to * kDay + clock - birth.offsetSeconds;
}

Profection profection(const Birth& birth, int ascendantSign, int age) {
  Profection p;
  p.age = age;
  p.from = anniversary(birth, age);
  p.to = anniversary(birth, age + 1);
  p.sign = ((ascendantSign + age) % 12 + 12) % 12;
  p.house = (age % 12 + 12) % 12 + 1;
  p.lord = traditional::domicileRuler(p.sign);
  for (int m = 0; m < 12; ++m) {
    MonthlyProfection& month = p.months[static_cast<std::size_t>(m)];
    month.from = p.from + (p.to - p.from) * m / 12;
    month.to = p.from + (p.to - p.from) * (m + 1) / 12;
    month.sign = (p.sign + m) % 12;
    month.lord = traditional::domicileRuler(month.sign);
  }
  return p;
}

std::vector<Profection> profections(const Birth& birth, int ascendantSign, long long from,
                                    long long to) {
  std::vector<Profection> out;
  // The year of life at `from`, found from the mean year and set right by the calendar.
  int age = static_cast<int>(
      std::floor(static_cast<double>(from - birth.universalSeconds) / (365.2425 * kDay)));
  age = std::max(age - 1, 0);
  while (anniversary(birth, age + 1) <= from) ++age;
  for (; anniversary(birth, age) < to && age < 200; ++age)
    out.push_back(profection(birth, ascendantSign, age));
  return out;
}

int firdarYears(int lord) {
  switch (lord) {
    case 0: return 10;
    case 1: return 9;
    case 2: return 13;
    case 3: return 8;
    case 4: return 7;
    case 5: return 12;
    case 6: return 11;
    case kNorthNode: return 3;
    default: return 2;
  }
}

std::vector<Firdar> firdaria(long long birth, bool day, long long from, long long to) {
  std::vector<Firdar> out;
  const auto& order = day ? kDayOrder : kNightOrder;
  double startYears = 0;
  for (int cycle = 0; cycle < 4; ++cycle)
    for (int lord : order) {
      const int years = firdarYears(lord);
      const long long s = atDays(birth, startYears * kFirdariaYearDays);
      const long long e = atDays(birth, (startYears + years) * kFirdariaYearDays);
      if (e > from && s < to) {
        out.push_back({lord, -1, s, e});
        if (lord < 7) {
          // Seven equal parts: the lord's own first, then the others in the Chaldean order
          // after it.
          const int at = static_cast<int>(std::find(kChaldean.begin(), kChaldean.end(), lord) -
                                          kChaldean.begin());
          for (int k = 0; k < 7; ++k) {
            const long long ss = s + (e - s) * k / 7, se = s + (e - s) * (k + 1) / 7;
            if (se > from && ss < to) out.push_back({lord, kChaldean[(at + k) % 7], ss, se});
          }
        }
      }
      startYears += years;
      if (s >= to) return out;
    }
  return out;
}

int releasingYears(int sign) {
  static constexpr std::array<int, 12> kYears = {15, 8, 20, 25, 19, 20, 8, 15, 12, 27, 30, 12};
  return kYears[static_cast<std::size_t>((sign % 12 + 12) % 12)];
}

namespace {

int peakOf(int sign, int fortuneSign) {
  const int d = ((sign - fortuneSign) % 12 + 12) % 12;
  return d == 9 ? 2 : d % 3 == 0 ? 1 : 0;
}

// The sub-periods of one period [from, to) at `level`, each `unit` days a minor year, and
// theirs below them down to `levels`.
void subPeriods(long long birth, int sign, double fromDays, double toDays, int level, int levels,
                double unit, int fortuneSign, long long from, long long to,
                std::vector<ReleasingPeriod>& out) {
  int current = sign;
  int used = 0;  // signs gone through since the start, for the loosing of the bond
  double at = fromDays;
  bool loosing = false;
  while (at < toDays - 1e-9) {
    const double end = std::min(at + releasingYears(current) * unit, toDays);
    const long long s = atDays(birth, at), e = atDays(birth, end);
    if (s >= to) return;
    if (e > from) {
      out.push_back({level, current, s, e, loosing, peakOf(current, fortuneSign)});
      if (level < levels)
        subPeriods(birth, current, at, end, level + 1, levels, unit / 12, fortuneSign, from, to,
                   out);
    }
    at = end;
    loosing = false;
    ++used;
    if (level > 1 && used == 12) {
      // Once round the twelve with the parent not yet over: the bond is loosed, and the next
      // begins from the sign opposite the one that would follow (the first again).
      current = (sign + 6) % 12;
      loosing = true;
      used = 0;
      continue;
    }
    current = (current + 1) % 12;
  }
}

}  // namespace

std::vector<ReleasingPeriod> releasing(long long birth, int lotSign, int fortuneSign,
                                       double yearDays, int levels, long long from, long long to) {
  std::vector<ReleasingPeriod> out;
  levels = std::clamp(levels, 1, 4);
  // Level 1 runs on through the signs for as long as a life can: 211 years go once round.
  subPeriods(birth, ((lotSign % 12) + 12) % 12, 0, 211 * yearDays, 1, levels, yearDays, fortuneSign,
             from, to, out);
  return out;
}

}  // namespace orvenda::timelords
