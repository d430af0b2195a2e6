// The chart against swetest (the Swiss Ephemeris' own test program, its figures stored in
// swetest_reference.txt), and the chart's rules at their edges.
#include "natal/natal_chart.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "natal/ephemeris.h"

namespace orvenda::natal {
namespace {

constexpr double kArcSecond = 1.0 / 3600.0;

ChartConfig everything() {
  ChartConfig c;
  c.aspects.orbs.fill(8);
  c.aspects.enabled.fill(1);
  c.planets.values.fill(10);
  c.planets.enabled.fill(1);
  return c;
}

struct Reference {
  std::string title;
  BirthRecord record;
  char system = 'P';
  double bodies[17][3] = {};
  double cusps[12] = {};
  double asc = 0, mc = 0, armc = 0, vertex = 0, eastPoint = 0;
};

std::vector<Reference> references() {
  std::ifstream in(ORVENDA_SWETEST_REFERENCE);
  std::vector<Reference> refs;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream s(line);
    std::string key;
    s >> key;
    if (key == "record") {
      refs.emplace_back();
      for (int i = 0; i < BirthRecord::kFieldCount; ++i) s >> refs.back().record.field(i);
      s >> refs.back().system;
      refs.back().title = line.substr(line.find('#') + 2, line.find(';') - line.find('#') - 2);
    } else if (key == "body") {
      int i;
      s >> i;
      s >> refs.back().bodies[i][0] >> refs.back().bodies[i][1] >> refs.back().bodies[i][2];
    } else if (key == "cusp") {
      int i;
      s >> i;
      s >> refs.back().cusps[i - 1];
    } else if (key == "asc")
      s >> refs.back().asc;
    else if (key == "mc")
      s >> refs.back().mc;
    else if (key == "armc")
      s >> refs.back().armc;
    else if (key == "vertex")
      s >> refs.back().vertex;
    else if (key == "eastpoint")
      s >> refs.back().eastPoint;
  }
  return refs;
}

double gap(double a, double b) { return separation(a, b); }

TEST(NatalChart, AgreesWithSwetestForEveryReferenceRecord) {
  const auto refs = references();
  ASSERT_EQ(refs.size(), 14u);
  const ChartConfig config = everything();
  for (const Reference& ref : refs) {
    SCOPED_TRACE(ref.title);
    const ChartOutcome out = computeChart(ref.record, config, ref.system, swissEphemeris());
    ASSERT_TRUE(out.chart);
    const NatalChart& c = *out.chart;
    EXPECT_EQ(c.houseSystem, ref.system);
    EXPECT_FALSE(c.housesFellBack);
    EXPECT_TRUE(c.missing.empty());
    ASSERT_EQ(c.points.size(), 22u);
    for (int i = 0; i < kBodies; ++i) {
      SCOPED_TRACE(i);
      const PointPosition& p = c.points[i];
      EXPECT_LT(gap(p.longitude, ref.bodies[i][0]), 0.1 * kArcSecond);
      EXPECT_NEAR(p.latitude, ref.bodies[i][1], 0.1 * kArcSecond);
      EXPECT_NEAR(p.speed, ref.bodies[i][2], 1e-6);
      EXPECT_EQ(p.retrograde, ref.bodies[i][2] < 0);
      EXPECT_FALSE(p.analytic);
    }
    for (int h = 0; h < 12; ++h) EXPECT_LT(gap(c.cusps[h], ref.cusps[h]), kArcSecond) << h + 1;
    EXPECT_LT(gap(c.point(kAscendant)->longitude, ref.asc), kArcSecond);
    EXPECT_LT(gap(c.point(kMidheaven)->longitude, ref.mc), kArcSecond);
    EXPECT_LT(gap(c.point(kVertex)->longitude, ref.vertex), kArcSecond);
    EXPECT_LT(gap(c.point(kEastPoint)->longitude, ref.eastPoint), kArcSecond);
    EXPECT_NEAR(c.localSiderealHours * 15, ref.armc, kArcSecond);
  }
}

TEST(NatalChart, PlacidusAndKochBeyondThePolarCirclesFallBackToPorphyry) {
  for (const Reference& ref : references()) {
    if (ref.system != 'O') continue;  // Tromsø, 69° 39′ north
    for (char asked : {'P', 'K'}) {
      const auto out = computeChart(ref.record, everything(), asked, swissEphemeris());
      ASSERT_TRUE(out.chart);
      EXPECT_TRUE(out.chart->housesFellBack);
      EXPECT_EQ(out.chart->requestedSystem, asked);
      EXPECT_EQ(out.chart->houseSystem, 'O');
      for (int h = 0; h < 12; ++h) EXPECT_LT(gap(out.chart->cusps[h], ref.cusps[h]), kArcSecond);
    }
  }
}

TEST(NatalChart, OutsideTheDataFilesPlanetsComeFromTheAnalyticEphemerisAndAsteroidsAreMissing) {
  BirthRecord r{1, 7, 1650, 12, 0, 0, 0, 0, 0, 0, 0, 51, 30, 0};
  const auto out = computeChart(r, everything(), 'P', swissEphemeris());
  ASSERT_TRUE(out.chart);
  EXPECT_TRUE(out.chart->analytic);
  EXPECT_TRUE(out.chart->point(kSun)->analytic);
  EXPECT_EQ(out.chart->missing, (std::vector<int>{10, 11, 12, 13, 14}));  // Chiron .. Vesta
  EXPECT_EQ(out.chart->point(kChiron), nullptr);
  EXPECT_NE(out.chart->point(kNorthNode), nullptr);
}

TEST(NatalChart, ARecordThatIsNoGregorianDateOrIsDamagedGivesNoChart) {
  BirthRecord leap{29, 2, 1900, 12, 0, 0, 0, 0, 0, 0, 0, 51, 0, 0};
  EXPECT_EQ(computeChart(leap, everything(), 'P', swissEphemeris()).refusal,
            ChartRefusal::NotADate);
  leap.year = 2000;
  EXPECT_TRUE(computeChart(leap, everything(), 'P', swissEphemeris()).chart);
  for (int field : {3, 4, 5, 7, 8, 9, 11, 12}) {
    BirthRecord r = leap;
    r.field(field) = 999;
    const auto out = computeChart(r, everything(), 'P', swissEphemeris());
    EXPECT_FALSE(out.chart) << field;
    EXPECT_EQ(out.refusal, ChartRefusal::DamagedRecord) << field;
  }
  BirthRecord r = leap;
  r.latDegrees = 90, r.latMinutes = 30;
  EXPECT_EQ(computeChart(r, everything(), 'P', swissEphemeris()).refusal,
            ChartRefusal::DamagedRecord);
}

// Day or night by the Sun's altitude, which swetest gives (-geopos… -fPlh): beyond the
// polar circles the Sun's house says nothing of it.
TEST(NatalChart, PartOfFortuneTakesDayOrNightFromTheSunsAltitudeAtBothPolesInBothSeasons) {
  struct Case {
    const char* where;
    BirthRecord record;
    double altitude;  // swetest's
  };
  const Case cases[] = {
      {"89 N, June", {21, 6, 2003, 0, 0, 0, 0, 0, 0, 0, 0, 89, 0, 0}, 22.4354959},
      {"89 N, December", {21, 12, 2003, 12, 0, 0, 0, 0, 0, 0, 0, 89, 0, 0}, -22.4401641},
      {"89 S, June", {21, 6, 2003, 12, 0, 0, 0, 0, 0, 0, 0, -89, 0, 0}, -22.4418285},
      {"89 S, December", {21, 12, 2003, 0, 0, 0, 0, 0, 0, 0, 0, -89, 0, 0}, 22.4314872},
      // Longyearbyen's midnight sun, and Tromsø's noon in the polar night.
      {"Longyearbyen", {21, 6, 2003, 0, 0, 0, 2, 0, 15, 38, 0, 78, 13, 0}, 12.0131006},
      {"Tromsø", {21, 12, 1995, 12, 0, 0, 1, 0, 18, 57, 0, 69, 39, 0}, -3.1425046},
  };
  for (const Case& k : cases) {
    const auto out = computeChart(k.record, everything(), 'P', swissEphemeris());
    ASSERT_TRUE(out.chart) << k.where;
    const NatalChart& c = *out.chart;
    EXPECT_NEAR(c.sunAltitude, k.altitude, 0.01) << k.where;
    const double asc = c.point(kAscendant)->longitude, sun = c.point(kSun)->longitude,
                 moon = c.point(kMoon)->longitude;
    const double expected = normalized(k.altitude > 0 ? asc + moon - sun : asc + sun - moon);
    EXPECT_NEAR(c.point(kPartOfFortune)->longitude, expected, 1e-9) << k.where;
  }
}

TEST(NatalChart, EveryOffsetTheZoneDatabaseHoldsGivesItsChart) {
  // Kiritimati keeps +14: 10:00 on 25 December 2012 there is 20:00 UT the day before.
  BirthRecord kiribati{25, 12, 2012, 10, 0, 0, 14, 0, -157, 28, 0, 1, 52, 0};
  auto out = computeChart(kiribati, everything(), 'P', swissEphemeris());
  ASSERT_TRUE(out.chart);
  EXPECT_NEAR(out.chart->julianDayUt, 2456286.3333333, 1e-6);  // 2012-12-24 20:00 UT
  BirthRecord baker{25, 12, 2012, 10, 0, 0, -12, 0, -176, 28, 0, 0, 12, 0};
  out = computeChart(baker, everything(), 'P', swissEphemeris());
  ASSERT_TRUE(out.chart);
  EXPECT_NEAR(out.chart->julianDayUt, 2456287.4166667, 1e-6);  // 2012-12-25 22:00 UT
  // Manila kept the American date until 1845, -15:56:08 (zdump Asia/Manila): -15:56 is
  // gmtHours -16, gmtMinutes 04; noon on 1 June 1840 is 03:56 UT on the 2nd.
  BirthRecord manila{1, 6, 1840, 12, 0, 0, -16, 4, 120, 58, 56, 14, 36, 15};
  out = computeChart(manila, everything(), 'P', swissEphemeris());
  ASSERT_TRUE(out.chart);
  EXPECT_NEAR(out.chart->julianDayUt, 2393258.6638889, 1e-6);
  // Juneau before 1867, +15:02:19 (zdump America/Juneau).
  BirthRecord juneau{1, 10, 1867, 12, 0, 0, 15, 2, -134, 25, 0, 58, 18, 0};
  out = computeChart(juneau, everything(), 'P', swissEphemeris());
  ASSERT_TRUE(out.chart);
  EXPECT_NEAR(out.chart->julianDayUt, 2403240.3736111, 1e-6);
  // Balabac, the westernmost Philippines, kept -16:11:48 (its 117 deg 03' E less a day):
  // -16:12 is gmtHours -17, gmtMinutes 48, and noon is 04:12 UT on the 2nd.
  BirthRecord balabac{1, 6, 1840, 12, 0, 0, -17, 48, 117, 2, 55, 7, 59, 0};
  out = computeChart(balabac, everything(), 'P', swissEphemeris());
  ASSERT_TRUE(out.chart);
  EXPECT_NEAR(out.chart->julianDayUt, 2393258.675, 1e-6);
  // Beyond 16:15, a margin past it, is nobody's offset.
  for (auto [hours, minutes] : {std::pair{16, 16}, std::pair{-17, 44}}) {
    BirthRecord r = kiribati;
    r.gmtHours = hours, r.gmtMinutes = minutes;
    EXPECT_EQ(computeChart(r, everything(), 'P', swissEphemeris()).refusal,
              ChartRefusal::DamagedRecord)
        << hours << " " << minutes;
  }
}

TEST(NatalChart, WithTheTimeUnknownThePlanetsStandAtNoonWithoutHousesOrAngles) {
  // New York, 14 March 1957, time not known: noon at -5 is 17:00 UT; the Moon runs from
  // 146.6379719 at 00:00 (05:00 UT) to 161.7914743 at 24:00, by swetest.
  BirthRecord r{14, 3, 1957, 9, 41, 0, -5, 0, -74, 0, 0, 40, 42, 0};
  ChartConfig config = everything();
  config.zodiacRulersAlways = 1;
  config.borderlineInterpretation = 1, config.borderlineDegrees = 15;
  const auto out = computeChart(r, config, 'P', swissEphemeris(), false);
  ASSERT_TRUE(out.chart);
  const NatalChart& c = *out.chart;
  EXPECT_FALSE(c.timeKnown);
  EXPECT_NEAR(c.julianDayUt, 2435912.2083333, 1e-6);
  EXPECT_NEAR(c.point(kMoon)->longitude, 154.2103499, kArcSecond);
  EXPECT_NEAR(c.moonAtDayStart, 146.6379719, kArcSecond);
  EXPECT_NEAR(c.moonAtDayEnd, 161.7914743, kArcSecond);
  for (int p : {kPartOfFortune, kVertex, kEastPoint, kAscendant, kMidheaven})
    EXPECT_EQ(c.point(p), nullptr) << p;
  EXPECT_EQ(c.points.size(), 17u);
  EXPECT_TRUE(c.missing.empty());
  for (const auto& p : c.points) {
    EXPECT_EQ(p.house, 0);
    EXPECT_FALSE(p.houseBorder);
  }
  for (const auto& a : c.aspects) EXPECT_LT(a.b, kPartOfFortune);
  for (const auto& h : c.rulers) EXPECT_TRUE(h.ofCusp.empty() && h.ofNatural.empty());
}

TEST(NatalChart, OnlyPointsAndAspectsWhoseFlagIsOneTakePart) {
  ChartConfig c = everything();
  c.planets.enabled.fill(0);
  c.planets.enabled[kSun] = 1, c.planets.enabled[kMoon] = 2, c.planets.enabled[kMidheaven] = 1;
  c.planets.enabled[kPartOfFortune] = 1;
  BirthRecord r{14, 3, 1957, 9, 41, 0, -5, 0, -74, 0, 0, 40, 42, 0};
  const auto out = computeChart(r, c, 'P', swissEphemeris());
  ASSERT_TRUE(out.chart);
  std::vector<int> shown;
  for (const auto& p : out.chart->points) shown.push_back(p.index);
  EXPECT_EQ(shown, (std::vector<int>{kSun, kPartOfFortune, kMidheaven}));
  // The Part of Fortune still needs the Moon, taking part or not. The Sun of this chart
  // stands in house 11, above the horizon: by day, Asc + Moon − Sun.
  EXPECT_NEAR(out.chart->point(kPartOfFortune)->longitude,
              normalized(70.1364345 + 152.7471025 - 353.7606400), 1e-6);
  c.aspects.enabled.fill(0);
  EXPECT_TRUE(computeChart(r, c, 'P', swissEphemeris()).chart->aspects.empty());
}

// ---- the rules ------------------------------------------------------------------------------

PointPosition at(int index, double longitude, double speed = 0) {
  PointPosition p;
  p.index = index;
  p.longitude = longitude;
  p.speed = speed;
  return p;
}

TEST(AspectRule, TheOrbIsTheSmallerOfTheAspectsOrbAndTheMeanOfThePointsValues) {
  ChartConfig c;
  c.aspects.enabled.fill(1);
  c.aspects.orbs.fill(0);
  c.aspects.orbs[2] = 6;                              // square
  c.planets.values[0] = 10, c.planets.values[9] = 2;  // Sun 10, Pluto 2: mean 6
  // Exactly at the orb holds; a hair beyond does not.
  auto a = findAspect(at(0, 10), at(9, 106), c);
  ASSERT_TRUE(a);
  EXPECT_EQ(a->aspect, 2);
  EXPECT_DOUBLE_EQ(a->deviation, 6);
  EXPECT_FALSE(findAspect(at(0, 10), at(9, 106.001), c));
  // The mean now limits it: Pluto at 0 makes the mean 5.
  c.planets.values[9] = 0;
  EXPECT_FALSE(findAspect(at(0, 10), at(9, 105.5), c));
  EXPECT_TRUE(findAspect(at(0, 10), at(9, 105), c));
  // A negative mean admits nothing, however wide the aspect's own orb.
  c.planets.values[9] = -11;
  EXPECT_FALSE(findAspect(at(0, 10), at(9, 100), c));
}

TEST(AspectRule, SeparationWrapsAroundAries) {
  ChartConfig c;
  c.aspects.enabled.fill(1);
  c.aspects.orbs.fill(3);
  c.planets.values.fill(10);
  const auto a = findAspect(at(0, 359), at(1, 1), c);
  ASSERT_TRUE(a);
  EXPECT_EQ(a->aspect, 0);
  EXPECT_DOUBLE_EQ(a->separation, 2);
}

TEST(AspectRule, TheClosestOfTwoPossibleAspectsWins) {
  ChartConfig c;
  c.aspects.enabled.fill(1);
  c.aspects.orbs.fill(3);
  c.planets.values.fill(10);
  // 42.4° apart: a novile (40°) 2.4 off, a semisquare (45°) 2.6 off.
  auto a = findAspect(at(0, 0), at(1, 42.4), c);
  ASSERT_TRUE(a);
  EXPECT_EQ(a->aspect, 13);
  EXPECT_NEAR(a->deviation, 2.4, 1e-12);
  a = findAspect(at(0, 0), at(1, 42.6), c);
  EXPECT_EQ(a->aspect, 7);
  c.aspects.enabled[7] = 0;  // semisquare off: the novile it is
  EXPECT_EQ(findAspect(at(0, 0), at(1, 42.6), c)->aspect, 13);
  c.aspects.enabled[13] = 2;  // a flag other than 1 is off
  EXPECT_FALSE(findAspect(at(0, 0), at(1, 42.6), c));
}

TEST(AspectRule, ApplyingWhileTheDistanceToTheExactAngleShrinks) {
  ChartConfig c;
  c.aspects.enabled.fill(1);
  c.aspects.orbs.fill(8);
  c.planets.values.fill(10);
  // The Moon (13°/day) 95° ahead of the Sun (1°/day): the square is past and widens.
  EXPECT_FALSE(findAspect(at(0, 100, 1), at(1, 195, 13), c)->applying);
  // The Moon 85° ahead: the square is still to come.
  EXPECT_TRUE(findAspect(at(0, 100, 1), at(1, 185, 13), c)->applying);
  // A retrograde planet backing towards an exact trine with a still point.
  EXPECT_TRUE(findAspect(at(20, 0, 0), at(5, 123, -0.1), c)->applying);
  // Both moving the same way at the same speed: nothing changes, so it does not apply.
  EXPECT_FALSE(findAspect(at(0, 0, 1), at(2, 5, 1), c)->applying);
  // The separation measured across Aries: Sun at 358 and Moon at 4, the Moon faster.
  EXPECT_FALSE(findAspect(at(0, 358, 1), at(1, 4, 13), c)->applying);
  EXPECT_TRUE(findAspect(at(0, 4, 1), at(1, 358, 13), c)->applying);
}

TEST(HouseRule, APointOnACuspIsInTheHouseThatBeginsThere) {
  std::array<double, 12> cusps = {350, 20, 50, 80, 110, 140, 170, 200, 230, 260, 290, 320};
  EXPECT_EQ(houseOf(350, cusps), 1);
  EXPECT_EQ(houseOf(349.999, cusps), 12);
  EXPECT_EQ(houseOf(0, cusps), 1);
  EXPECT_EQ(houseOf(20, cusps), 2);
  EXPECT_EQ(houseOf(319.99, cusps), 11);
}

TEST(PartOfFortuneRule, DayAndNight) {
  EXPECT_DOUBLE_EQ(partOfFortune(0, 270, 100, true), 190);  // by day: Asc + Moon − Sun
  EXPECT_DOUBLE_EQ(partOfFortune(0, 90, 100, false), 350);  // by night: Asc + Sun − Moon
  EXPECT_DOUBLE_EQ(partOfFortune(100, 50, 10, true), 60);
}

TEST(RulerRule, TraditionalModernAndBoth) {
  EXPECT_EQ(signRulers(7, 0), (std::vector<int>{4}));      // Scorpio: Mars
  EXPECT_EQ(signRulers(7, 1), (std::vector<int>{9}));      // Pluto
  EXPECT_EQ(signRulers(7, 2), (std::vector<int>{4, 9}));   // both
  EXPECT_EQ(signRulers(10, 2), (std::vector<int>{6, 7}));  // Aquarius: Saturn, Uranus
  EXPECT_EQ(signRulers(11, 1), (std::vector<int>{8}));     // Pisces: Neptune
  EXPECT_EQ(signRulers(0, 2), (std::vector<int>{4}));      // Aries: Mars alone
  EXPECT_EQ(signRulers(7, 5), (std::vector<int>{4}));      // an odd value: traditional
}

// An ephemeris that puts every body where a test wants it.
class FixedEphemeris : public Ephemeris {
 public:
  std::array<double, 17> longitudes{};
  std::array<double, 12> cusps{};
  std::optional<BodyPosition> body(double, int i) override {
    return BodyPosition{longitudes[i], 0, 1, false};
  }
  HouseFrame houses(double, double, double, char system) override {
    HouseFrame f;
    f.cusps = cusps;
    f.ascendant = cusps[0];
    f.midheaven = cusps[9];
    f.system = system;
    return f;
  }
  double deltaTSeconds(double) override { return 0; }
  double sunAltitude = 10;
  double altitude(double, double, double, double, double) override { return sunAltitude; }
};

TEST(BorderlineRule, WithinTheWidthBeforeTheNextSignOrCusp) {
  FixedEphemeris eph;
  eph.cusps = {0, 30, 60, 90, 120, 150, 180, 210, 240, 270, 300, 330};
  for (int i = 0; i < 17; ++i) eph.longitudes[i] = 100 + i;  // out of the way
  eph.longitudes[kSun] = 27;                                 // 3° before Taurus and before cusp 2
  eph.longitudes[kMoon] = 26.99;                             // 3.01° before
  eph.longitudes[2] = 45;  // Mercury exactly on ... 15° before Gemini
  eph.cusps[2] = 62;       // ... and 17° before cusp 3
  ChartConfig c = everything();
  c.borderlineInterpretation = 1;
  c.borderlineDegrees = 3;
  BirthRecord r{1, 1, 2000, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  auto chart = *computeChart(r, c, 'P', eph).chart;
  EXPECT_TRUE(chart.point(kSun)->signBorder);
  EXPECT_TRUE(chart.point(kSun)->houseBorder);
  EXPECT_FALSE(chart.point(kMoon)->signBorder);
  EXPECT_FALSE(chart.point(kMoon)->houseBorder);
  c.borderlineDegrees = 40;  // held to 15
  chart = *computeChart(r, c, 'P', eph).chart;
  EXPECT_EQ(chart.borderlineWidth, 15);
  EXPECT_TRUE(chart.point(2)->signBorder);
  EXPECT_FALSE(chart.point(2)->houseBorder);
  c.borderlineInterpretation = 0;  // none named
  chart = *computeChart(r, c, 'P', eph).chart;
  EXPECT_FALSE(chart.point(kSun)->signBorder);
  EXPECT_FALSE(chart.point(2)->signBorder);
  // A point exactly on a cusp starts its house and is no borderline case of the one before.
  eph.longitudes[kSun] = 30;
  c.borderlineInterpretation = 1, c.borderlineDegrees = 15;
  chart = *computeChart(r, c, 'P', eph).chart;
  EXPECT_EQ(chart.point(kSun)->house, 2);
  EXPECT_FALSE(chart.point(kSun)->houseBorder);
  EXPECT_FALSE(chart.point(kSun)->signBorder);
}

TEST(RulerRule, ZodiacRulersAlwaysAddsTheRulerOfTheHousesNaturalSign) {
  FixedEphemeris eph;
  eph.cusps = {215, 245, 275, 305, 335, 5, 35, 65, 95, 125, 155, 185};  // Scorpio rising
  ChartConfig c = everything();
  BirthRecord r{1, 1, 2000, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  c.changeRulers = 2;
  auto chart = *computeChart(r, c, 'P', eph).chart;
  EXPECT_EQ(chart.rulers[0].ofCusp, (std::vector<int>{4, 9}));
  EXPECT_TRUE(chart.rulers[0].ofNatural.empty());
  c.zodiacRulersAlways = 1;
  c.changeRulers = 0;
  chart = *computeChart(r, c, 'P', eph).chart;
  EXPECT_EQ(chart.rulers[0].ofCusp, (std::vector<int>{4}));     // Scorpio: Mars
  EXPECT_EQ(chart.rulers[0].ofNatural, (std::vector<int>{4}));  // house 1, Aries: Mars
  EXPECT_EQ(chart.rulers[1].ofNatural, (std::vector<int>{3}));  // house 2, Taurus: Venus
  EXPECT_EQ(chart.rulers[3].ofCusp, (std::vector<int>{6}));     // Aquarius: Saturn
}

// A point and a cusp 0.2″ before the end of a sign: every view shows them in that sign,
// at 29° 59′ (59″), with that sign's ruler and borderline.
TEST(NatalChart, ASignIsTheSignOfTheLongitudeAsShown) {
  const double end = 150 - 0.2 / 3600;  // Leo 29° 59′ 59.8″
  EXPECT_EQ(signOf(end), 4);
  EXPECT_EQ(arcSecondsOf(end) % (30 * 3600), 29 * 3600 + 59 * 60 + 59);
  EXPECT_EQ(signOf(360 - 1e-12), 11);
  EXPECT_EQ(arcSecondsOf(360 - 1e-12), 360 * 3600 - 1);
  FixedEphemeris eph;
  eph.cusps = {0, 30, 60, 90, end, 150, 180, 210, 240, 270, 300, 330};
  for (int i = 0; i < 17; ++i) eph.longitudes[i] = 10 + i;
  eph.longitudes[kMoon] = end;
  ChartConfig config = everything();
  config.borderlineInterpretation = 1, config.borderlineDegrees = 2;
  const auto c =
      *computeChart(BirthRecord{1, 1, 2000, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, config, 'P', eph)
           .chart;
  EXPECT_TRUE(c.point(kMoon)->signBorder);
  EXPECT_EQ(c.rulers[4].ofCusp, (std::vector<int>{kSun}));  // Leo's ruler, not Virgo's Mercury
}

}  // namespace
}  // namespace orvenda::natal
