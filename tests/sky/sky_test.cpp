// The sky's calendar against swetest: its eclipse searches (`-solecl`, `-lunecl`, `-local`)
// and risings (`-rise`) as it prints them, and for the lunations and the void Moon a
// bisection on its positions alone (sky_reference.py beside this file).
#include "sky/sky.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "natal/ephemeris.h"
#include "natal/natal_chart.h"

namespace orvenda::sky {
namespace {

constexpr double kSecond = 1.0 / 86400;
constexpr int kSun = 0, kMoon = 1, kMercury = 2, kVenus = 3, kMars = 4, kJupiter = 5, kSaturn = 6;

natal::Ephemeris& eph() { return natal::swissEphemeris(); }

// The Julian day (UT) of a civil instant in UT, by the arithmetic of the Unix epoch.
double jdOf(int y, int m, int d, int hh, int mm, double ss) {
  // Days from 1970-01-01 by the proleptic Gregorian count.
  const int a = (14 - m) / 12, yy = y + 4800 - a, mo = m + 12 * a - 3;
  const long jdn = d + (153 * mo + 2) / 5 + 365L * yy + yy / 4 - yy / 100 + yy / 400 - 32045;
  return static_cast<double>(jdn) - 0.5 + (hh + (mm + ss / 60) / 60) / 24;
}

struct EclipseRef {
  double jd;
  const char* kind;
  double magnitude;
  int saros, member;
};

const char* kindName(EclipseKind k) {
  switch (k) {
    case EclipseKind::Total: return "total";
    case EclipseKind::Annular: return "annular";
    case EclipseKind::Hybrid: return "ann-tot";
    case EclipseKind::Partial: return "partial";
    case EclipseKind::Penumbral: return "penumb.";
  }
  return "";
}

TEST(SkyEclipses, ADecadeOfSolarAndLunarEclipsesAsSwetestFindsThem) {
  // swetest -solecl -b1.1.2020 -n22: the instant of greatest eclipse (its last column), the
  // kind, the magnitude (the first of its three figures) and the Saros series/member.
  const std::vector<EclipseRef> solar = {
      {2459021.777848, "annular", 0.9949, 137, 36},  // 21.06.2020
      {2459198.176042, "total", 1.0262, 142, 23},    // 14.12.2020
      {2459375.945786, "annular", 0.9443, 147, 23},  // 10.06.2021
      {2459552.814912, "total", 1.0376, 152, 13},    //  4.12.2021
      {2459700.362175, "partial", 0.6399, 119, 66},  // 30.04.2022
      {2459877.958408, "partial", 0.8622, 124, 55},  // 25.10.2022
      {2460054.678322, "ann-tot", 1.0141, 129, 52},  // 20.04.2023
      {2460232.249668, "annular", 0.9528, 134, 44},  // 14.10.2023
      {2460409.262041, "total", 1.0575, 139, 30},    //  8.04.2024
      {2460586.281299, "annular", 0.9334, 144, 17},  //  2.10.2024
      {2460763.949601, "partial", 0.9380, 149, 21},  // 29.03.2025
      {2460940.320821, "partial", 0.8554, 154, 7},   // 21.09.2025
      {2461089.008255, "annular", 0.9638, 121, 61},  // 17.02.2026
      {2461265.240269, "total", 1.0395, 126, 48},    // 12.08.2026
      {2461443.166422, "annular", 0.9289, 131, 51},  //  6.02.2027
      {2461619.921312, "total", 1.0800, 136, 38},    //  2.08.2027
      {2461797.130440, "annular", 0.9215, 141, 24},  // 26.01.2028
      {2461974.621874, "total", 1.0569, 146, 28},    // 22.07.2028
      {2462151.217160, "partial", 0.8718, 151, 15},  // 14.01.2029
      {2462299.670111, "partial", 0.4578, 118, 69},  // 12.06.2029
      {2462329.150013, "partial", 0.2304, 156, 2},   // 11.07.2029
      {2462476.126978, "partial", 0.8914, 123, 54},  //  5.12.2029
  };
  // swetest -lunecl -b1.1.2020 -n24: the umbral magnitude first (0 for a penumbral one).
  const std::vector<EclipseRef> lunar = {
      {2458859.298688, "penumb.", 0.0000, 144, 16},  // 10.01.2020
      {2459006.309023, "penumb.", 0.0000, 111, 67},  //  5.06.2020
      {2459035.687447, "penumb.", 0.0000, 149, 3},   //  5.07.2020
      {2459183.904814, "penumb.", 0.0000, 116, 58},  // 30.11.2020
      {2459360.971330, "total", 1.0101, 121, 55},    // 26.05.2021
      {2459537.877034, "partial", 0.9737, 126, 45},  // 19.11.2021
      {2459715.674690, "total", 1.4141, 131, 34},    // 16.05.2022
      {2459891.957772, "total", 1.3587, 136, 20},    //  8.11.2022
      {2460070.224313, "penumb.", 0.0000, 141, 24},  //  5.05.2023
      {2460246.343098, "partial", 0.1224, 146, 11},  // 28.10.2023
      {2460394.800609, "penumb.", 0.0000, 113, 64},  // 25.03.2024
      {2460571.614092, "partial", 0.0856, 118, 52},  // 18.09.2024
      {2460748.790811, "total", 1.1781, 123, 53},    // 14.03.2025
      {2460926.258221, "total", 1.3621, 128, 41},    //  7.09.2025
      {2461102.981727, "total", 1.1507, 133, 27},    //  3.03.2026
      {2461280.675671, "partial", 0.9299, 138, 29},  // 28.08.2026
      {2461457.467278, "penumb.", 0.0000, 143, 18},  // 20.02.2027
      {2461605.168755, "penumb.", 0.0000, 110, 72},  // 18.07.2027
      {2461634.801288, "penumb.", 0.0000, 148, 4},   // 17.08.2027
      {2461782.675778, "partial", 0.0667, 115, 58},  // 12.01.2028
      {2461959.263710, "partial", 0.3893, 120, 58},  //  6.07.2028
      {2462137.202868, "total", 1.2462, 125, 49},    // 31.12.2028
      {2462313.640416, "total", 1.8438, 130, 35},    // 26.06.2029
      {2462491.445881, "total", 1.1170, 135, 24},    // 20.12.2029
  };
  const std::vector<Eclipse> found =
      eclipses(eph(), jdOf(2020, 1, 1, 0, 0, 0), jdOf(2030, 1, 1, 0, 0, 0));
  ASSERT_EQ(found.size(), solar.size() + lunar.size());
  std::size_t s = 0, l = 0;
  for (const Eclipse& e : found) {
    const EclipseRef& r = e.solar ? solar[s++] : lunar[l++];
    SCOPED_TRACE(std::to_string(r.jd));
    EXPECT_NEAR(e.at.maximum, r.jd, 1 * kSecond);
    EXPECT_STREQ(kindName(e.at.kind), r.kind);
    EXPECT_NEAR(std::max(e.at.magnitude, 0.0), r.magnitude, 0.00006);
    EXPECT_EQ(e.at.saros, r.saros);
    EXPECT_EQ(e.at.sarosMember, r.member);
  }
  EXPECT_EQ(s, solar.size());
  EXPECT_EQ(l, lunar.size());
  // The degree: the total solar eclipse of 8 April 2024 at 19°24′ Aries (swetest
  // -bj2460409.262041 -ut -p0 -fl: 19.3980363); the lunar one of 14 March 2025 at 23°59′
  // Virgo (-bj2460748.790811 -ut -p1 -fl: 173.9767899).
  for (const Eclipse& e : found) {
    if (std::fabs(e.at.maximum - 2460409.262041) < 0.01) {
      EXPECT_NEAR(e.longitude, 19.3980, 0.001);
    }
    if (std::fabs(e.at.maximum - 2460748.790811) < 0.01) {
      EXPECT_NEAR(e.longitude, 173.9768, 0.001);
    }
  }
}

TEST(SkyEclipses, TheTwentyFirstCenturyAsTheCanonCountsIt) {
  // Espenak and Meeus, Five Millennium Canon of Solar Eclipses and of Lunar Eclipses (NASA,
  // 2006 and 2009), 2001 to 2100: 224 solar eclipses (68 total, 72 annular, 7 hybrid, 77
  // partial) and 228 lunar (85 total, 57 partial, 86 penumbral). Asked a year at a time, as
  // the tool asks a long period, so that no year's first or last eclipse is lost.
  std::map<std::string, int> counted;
  for (int year = 2001; year <= 2100; ++year)
    for (const Eclipse& e :
         eclipses(eph(), jdOf(year, 1, 1, 0, 0, 0), jdOf(year + 1, 1, 1, 0, 0, 0)))
      ++counted[std::string(e.solar ? "solar " : "lunar ") + kindName(e.at.kind)];
  const std::map<std::string, int> canon = {
      {"solar total", 68}, {"solar annular", 72}, {"solar ann-tot", 7}, {"solar partial", 77},
      {"lunar total", 85}, {"lunar partial", 57}, {"lunar penumb.", 86}};
  EXPECT_EQ(counted, canon);
}

TEST(SkyEclipses, TheLocalCircumstancesAtAthens) {
  // swetest -solecl -local -geopos23.7,37.98,0 -b1.1.2020 -n2: the annular eclipse of 21 June
  // 2020 is a partial one at Athens, greatest at 05:28:19.8 (0.2076 of the diameter, 0.1095
  // of the disc), from 04:48:31.3 to 06:11:06.4; the next seen there is of 25 October 2022.
  const std::vector<Eclipse> found =
      eclipses(eph(), jdOf(2020, 6, 1, 0, 0, 0), jdOf(2020, 12, 31, 0, 0, 0), true, false);
  ASSERT_EQ(found.size(), 2u);
  const EclipseSeen june = seenFrom(eph(), found[0], 37.98, 23.7);
  EXPECT_TRUE(june.visible);
  EXPECT_TRUE(june.maximumVisible);
  EXPECT_NEAR(june.maximum, jdOf(2020, 6, 21, 5, 28, 19.8), 1 * kSecond);
  EXPECT_NEAR(june.begins, jdOf(2020, 6, 21, 4, 48, 31.3), 1 * kSecond);
  EXPECT_NEAR(june.ends, jdOf(2020, 6, 21, 6, 11, 6.4), 1 * kSecond);
  EXPECT_NEAR(june.magnitude, 0.2076, 0.00006);
  EXPECT_NEAR(june.obscuration, 0.1095, 0.00006);
  // The total eclipse of 14 December 2020 falls on South America: not seen at Athens.
  EXPECT_FALSE(seenFrom(eph(), found[1], 37.98, 23.7).visible);
}

TEST(SkyEclipses, ALunarEclipseTheMoonSetsInAtAthens) {
  // swetest -lunecl -local -geopos23.7275,37.9838,0 -b20.8.2026: the partial eclipse of 28
  // August 2026, greatest at 04:13 UT, is seen at Athens until the Moon sets: its greatest
  // there 03:52:18.6 (magnitude 0.8708), the umbra's first contact 02:33:52.8.
  const std::vector<Eclipse> found =
      eclipses(eph(), jdOf(2026, 8, 20, 0, 0, 0), jdOf(2026, 9, 1, 0, 0, 0), false, true);
  ASSERT_EQ(found.size(), 1u);
  const EclipseSeen seen = seenFrom(eph(), found[0], 37.9838, 23.7275);
  EXPECT_TRUE(seen.visible);
  EXPECT_FALSE(seen.maximumVisible);
  EXPECT_TRUE(seen.lunarInPart());
  EXPECT_NEAR(seen.maximum, jdOf(2026, 8, 28, 3, 52, 18.6), 1 * kSecond);
  EXPECT_NEAR(seen.begins, jdOf(2026, 8, 28, 2, 33, 52.8), 1 * kSecond);
  EXPECT_NEAR(seen.magnitude, 0.8708, 0.00006);
}

TEST(SkyLunations, MarchOf2027AgainstABisectionOnSwetestsPositions) {
  // sky_reference.py lunations 1.3.2027 31
  struct Ref {
    Phase phase;
    double jd;
  };
  const std::vector<Ref> refs = {{Phase::NewMoon, jdOf(2027, 3, 8, 9, 29, 29)},
                                 {Phase::FirstQuarter, jdOf(2027, 3, 15, 16, 25, 12)},
                                 {Phase::FullMoon, jdOf(2027, 3, 22, 10, 43, 48)},
                                 {Phase::LastQuarter, jdOf(2027, 3, 30, 0, 53, 57)}};
  std::vector<Lunation> found;
  EXPECT_TRUE(lunations(eph(), jdOf(2027, 3, 1, 0, 0, 0), jdOf(2027, 4, 1, 0, 0, 0),
                        [&](const Lunation& l) { found.push_back(l); }));
  ASSERT_EQ(found.size(), refs.size());
  for (std::size_t i = 0; i < refs.size(); ++i) {
    EXPECT_EQ(found[i].phase, refs[i].phase);
    EXPECT_NEAR(found[i].jd, refs[i].jd, 30 * kSecond);
  }
  // The new moon at 17°35′ Pisces (swetest -bj2461472.895479 -ut -p1 -fl: 347.5801391).
  EXPECT_EQ(natal::signOf(found[0].longitude), 11);
  EXPECT_NEAR(found[0].longitude, 347.5801, 0.001);
}

TEST(SkyLunations, EveryPhaseOfADecadeAgainstABisectionOnSwetestsPositions) {
  // sky_reference.py lunations 1.1.2020 3660, the lines before 2030: Julian day (UT), phase.
  std::ifstream in(ORVENDA_SKY_LUNATIONS);
  ASSERT_TRUE(in) << ORVENDA_SKY_LUNATIONS;
  std::vector<std::pair<Phase, double>> refs;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    double jd = 0;
    std::string phase;
    fields >> jd >> phase;
    refs.push_back({phase == "new"     ? Phase::NewMoon
                    : phase == "first" ? Phase::FirstQuarter
                    : phase == "full"  ? Phase::FullMoon
                                       : Phase::LastQuarter,
                    jd});
  }
  ASSERT_EQ(refs.size(), 495u);
  std::vector<Lunation> found;
  lunations(eph(), jdOf(2020, 1, 1, 0, 0, 0), jdOf(2030, 1, 1, 0, 0, 0),
            [&](const Lunation& l) { found.push_back(l); });
  std::size_t matched = 0;
  for (const auto& [phase, jd] : refs) {
    const auto near = std::find_if(found.begin(), found.end(), [&](const Lunation& l) {
      return l.phase == phase && std::fabs(l.jd - jd) < 30 * kSecond;
    });
    EXPECT_NE(near, found.end()) << std::to_string(jd);
    matched += near != found.end();
  }
  // Each phase of the reference, and no more of it.
  for (const Phase p : {Phase::NewMoon, Phase::FirstQuarter, Phase::FullMoon, Phase::LastQuarter}) {
    const auto want =
        std::count_if(refs.begin(), refs.end(), [&](const auto& r) { return r.first == p; });
    if (want == 0) continue;
    EXPECT_EQ(
        std::count_if(found.begin(), found.end(), [&](const Lunation& l) { return l.phase == p; }),
        want);
  }
  EXPECT_EQ(matched, refs.size());
}

TEST(SkyVoidOfCourse, MarchOf2027AgainstASearchOnSwetestsPositions) {
  // sky_reference.py void 1.3.2027 31: each of the Moon's sign ingresses in March, and the
  // last exact Ptolemaic aspect it made to the Sun..Saturn before it (the Moon's longitude
  // less the body's at 0, ±60, ±90, ±120 or 180°), by bisection on swetest's positions.
  constexpr int kConjunction = 0, kOpposition = 1, kSquare = 2, kTrine = 3;
  struct Ref {
    double begins, ends;
    int body, aspect, sign;
  };
  const std::vector<Ref> refs = {
      {jdOf(2027, 3, 1, 16, 19, 9), jdOf(2027, 3, 1, 22, 35, 31), kMars, kTrine, 8},
      {jdOf(2027, 3, 3, 1, 37, 24), jdOf(2027, 3, 4, 11, 31, 41), kSaturn, kSquare, 9},
      {jdOf(2027, 3, 6, 14, 0, 27), jdOf(2027, 3, 6, 23, 25, 26), kMars, kOpposition, 10},
      {jdOf(2027, 3, 8, 9, 29, 29), jdOf(2027, 3, 9, 9, 2, 33), kSun, kConjunction, 11},
      {jdOf(2027, 3, 11, 5, 6, 23), jdOf(2027, 3, 11, 16, 16, 13), kMars, kTrine, 0},
      {jdOf(2027, 3, 13, 13, 32, 45), jdOf(2027, 3, 13, 21, 30, 26), kMercury, kSquare, 1},
      {jdOf(2027, 3, 15, 20, 52, 11), jdOf(2027, 3, 16, 1, 10, 41), kMercury, kTrine, 2},
      {jdOf(2027, 3, 17, 22, 51, 54), jdOf(2027, 3, 18, 3, 40, 40), kSun, kTrine, 3},
      {jdOf(2027, 3, 19, 16, 16, 37), jdOf(2027, 3, 20, 5, 36, 55), kVenus, kOpposition, 4},
      {jdOf(2027, 3, 20, 9, 10, 46), jdOf(2027, 3, 22, 8, 1, 38), kMercury, kOpposition, 5},
      {jdOf(2027, 3, 24, 7, 58, 51), jdOf(2027, 3, 24, 12, 18, 17), kVenus, kTrine, 6},
      {jdOf(2027, 3, 26, 3, 4, 11), jdOf(2027, 3, 26, 19, 43, 11), kMars, kSquare, 7},
      {jdOf(2027, 3, 28, 12, 39, 5), jdOf(2027, 3, 29, 6, 33, 0), kMars, kTrine, 8},
      {jdOf(2027, 3, 30, 16, 12, 39), jdOf(2027, 3, 31, 19, 19, 47), kSaturn, kSquare, 9},
  };
  std::vector<VoidStretch> found;
  EXPECT_TRUE(voidOfCourse(eph(), jdOf(2027, 3, 1, 0, 0, 0), jdOf(2027, 4, 1, 0, 0, 0), false,
                           [&](const VoidStretch& v) { found.push_back(v); }));
  ASSERT_EQ(found.size(), refs.size());
  for (std::size_t i = 0; i < refs.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_NEAR(found[i].begins, refs[i].begins, 30 * kSecond);
    EXPECT_NEAR(found[i].ends, refs[i].ends, 30 * kSecond);
    EXPECT_EQ(found[i].body, refs[i].body);
    EXPECT_EQ(found[i].aspect, refs[i].aspect);
    EXPECT_EQ(found[i].sign, refs[i].sign);
  }
}

TEST(SkyPlanetaryHours, AThursdayAtAthensFromSwetestsSunriseAndSunset) {
  // swetest -rise -b10.12.2026 -geopos23.7,37.98,0 -n2: rises 05:30:05.9 UT, sets 15:05:38.8,
  // rises again 11.12. 05:30:53.2. Day hours (9 h 35 m 32.9 s) / 12 = 47 m 57.74 s; night
  // hours (14 h 25 m 14.4 s) / 12 = 1 h 12 m 06.2 s. A Thursday: Jupiter's day.
  const double midnight = jdOf(2026, 12, 9, 22, 0, 0);  // 00:00 at GMT+2
  const PlanetaryDay day = planetaryDay(eph(), midnight, midnight + 1, 4, 37.98, 23.7);
  ASSERT_TRUE(day.sunRisesAndSets);
  EXPECT_NEAR(day.sunrise, jdOf(2026, 12, 10, 5, 30, 5.9), 1 * kSecond);
  EXPECT_NEAR(day.sunset, jdOf(2026, 12, 10, 15, 5, 38.8), 1 * kSecond);
  EXPECT_NEAR(day.nextSunrise, jdOf(2026, 12, 11, 5, 30, 53.2), 1 * kSecond);
  ASSERT_EQ(day.hours.size(), 24u);
  EXPECT_EQ(day.dayRuler, kJupiter);
  // Thursday's hours: Jupiter, Mars, the Sun, Venus, Mercury, the Moon, Saturn, and round;
  // the first of the night the Moon's, the last Venus', and Friday then begins with Venus.
  const int rulers[24] = {kJupiter, kMars,    kSun,     kVenus,   kMercury, kMoon,
                          kSaturn,  kJupiter, kMars,    kSun,     kVenus,   kMercury,
                          kMoon,    kSaturn,  kJupiter, kMars,    kSun,     kVenus,
                          kMercury, kMoon,    kSaturn,  kJupiter, kMars,    kSun};
  for (int k = 0; k < 24; ++k)
    EXPECT_EQ(day.hours[static_cast<std::size_t>(k)].ruler, rulers[k]) << k;
  EXPECT_NEAR(day.hours[1].begins, jdOf(2026, 12, 10, 6, 18, 3.64), 1 * kSecond);
  EXPECT_NEAR(day.hours[12].begins, day.sunset, 1e-9);
  EXPECT_NEAR(day.hours[13].begins, jdOf(2026, 12, 10, 16, 17, 45.0), 1 * kSecond);
  EXPECT_NEAR(day.hours[23].ends, day.nextSunrise, 1e-9);
  EXPECT_TRUE(day.hours[13].night);
  // 12:00 UT is in the ninth hour of the day (from 05:30:05.9 + 8 × 47 m 57.74 s =
  // 11:53:47.82), Mars'.
  const PlanetaryHour* noon = hourAt(day, jdOf(2026, 12, 10, 12, 0, 0));
  ASSERT_NE(noon, nullptr);
  EXPECT_EQ(noon->ruler, kMars);
  EXPECT_NEAR(noon->begins, jdOf(2026, 12, 10, 11, 53, 47.82), 1 * kSecond);
  // Friday: Venus's day; Sunday: the Sun's; Saturday: Saturn's.
  EXPECT_EQ(weekdayRuler(5), kVenus);
  EXPECT_EQ(weekdayRuler(0), kSun);
  EXPECT_EQ(weekdayRuler(6), kSaturn);
}

TEST(SkyPlanetaryHours, NoHoursInThePolarNight) {
  // swetest -rise -b10.12.2026 -geopos18.96,69.65,0: at Tromsø the Sun neither rises nor sets.
  const double midnight = jdOf(2026, 12, 9, 23, 0, 0);
  const PlanetaryDay day = planetaryDay(eph(), midnight, midnight + 1, 4, 69.65, 18.96);
  EXPECT_FALSE(day.sunRisesAndSets);
  EXPECT_TRUE(day.hours.empty());
  EXPECT_EQ(hourAt(day, midnight + 0.5), nullptr);
}

TEST(SkyPrenatal, TheLastSyzygyAndEclipsesBeforeABirth) {
  // A birth at 2027-03-15 12:00 UT: the new moon of 8 March 09:29:29 (above) came last, the
  // annular eclipse of 6 February (swetest -solecl: 2461443.166422, Saros 131) and the
  // penumbral one of 20 February (swetest -lunecl: 2461457.467278, Saros 143).
  const Prenatal p = prenatal(eph(), jdOf(2027, 3, 15, 12, 0, 0));
  ASSERT_TRUE(p.syzygy);
  EXPECT_EQ(p.syzygy->phase, Phase::NewMoon);
  EXPECT_NEAR(p.syzygy->jd, jdOf(2027, 3, 8, 9, 29, 29), 30 * kSecond);
  ASSERT_TRUE(p.solar);
  EXPECT_NEAR(p.solar->at.maximum, 2461443.166422, 1 * kSecond);
  EXPECT_EQ(p.solar->at.saros, 131);
  ASSERT_TRUE(p.lunar);
  EXPECT_NEAR(p.lunar->at.maximum, 2461457.467278, 1 * kSecond);
  EXPECT_EQ(p.lunar->at.kind, EclipseKind::Penumbral);
  // A birth an hour after a full moon: that full moon.
  const Prenatal q = prenatal(eph(), jdOf(2027, 3, 22, 11, 43, 48));
  ASSERT_TRUE(q.syzygy);
  EXPECT_EQ(q.syzygy->phase, Phase::FullMoon);
}

TEST(SkyContacts, AnEclipseOnANatalPointAndItsOppositeByHand) {
  // A chart by hand, its cusps 30° apart from 0° Aries. An eclipse at 12° Aries: the Sun at
  // 10° Aries 2° from it, Mars at 13° Libra 1° from its opposite, Jupiter at 15°30′ Aries
  // 3.5° from it, too far.
  natal::NatalChart c;
  c.timeKnown = true;
  for (int h = 0; h < 12; ++h) c.cusps[static_cast<std::size_t>(h)] = 30.0 * h;
  natal::PointPosition sun, mars, jupiter;
  sun.index = kSun, sun.longitude = 10;
  mars.index = kMars, mars.longitude = 193;
  jupiter.index = kJupiter, jupiter.longitude = 15.5;
  c.points = {sun, mars, jupiter};
  const NatalContact e = eclipseContact(c, 12);
  EXPECT_EQ(e.house, 1);
  ASSERT_EQ(e.aspects.size(), 2u);
  EXPECT_EQ(e.aspects[0].b, kMars);
  EXPECT_EQ(e.aspects[0].aspect, 1);  // the opposite degree
  EXPECT_EQ(e.aspects[1].b, kSun);
  EXPECT_EQ(e.aspects[1].aspect, 0);
  EXPECT_EQ(eclipseContact(c, 95).house, 4);
}

}  // namespace
}  // namespace orvenda::sky
