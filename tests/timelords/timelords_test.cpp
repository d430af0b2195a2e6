// The time lords worked by hand: the calendar's anniversaries, the profected signs and their
// lords, the firdaria of a day and a night birth and their 75 years, and a zodiacal
// releasing whose second level looses the bond, each date by its own arithmetic here.
#include "timelords/timelords.h"

#include "natal/ephemeris.h"
#include "natal/natal_chart.h"
#include "timelords/directions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace orvenda::timelords {
namespace {

constexpr long long kDay = 86400;
constexpr int kSun = 0, kMoon = 1, kMercury = 2, kVenus = 3, kMars = 4, kJupiter = 5, kSaturn = 6;
constexpr int kAries = 0, kGemini = 2, kCancer = 3, kLeo = 4, kScorpio = 7, kSagittarius = 8,
              kCapricorn = 9, kPisces = 11;

// 1957-03-14 09:41 at GMT−5, 14:41 UT: the New York chart, its Ascendant in Gemini.
constexpr long long kNewYork = -403953540;
const Birth kNewYorkBirth{kNewYork, -5 * 3600};

TEST(TimeLordsProfections, TheAscendantsSignASignAYearBirthdayToBirthday) {
  // Age 69 runs from the 69th birthday, 2026-03-14 14:41 UT (1,773,499,260 s since 1970, as
  // `date -u -d '2026-03-14 14:41' +%s` gives),
  // Gemini + 69 signs = Pisces, the 10th house, Jupiter its lord.
  const Profection p = profection(kNewYorkBirth, kGemini, 69);
  EXPECT_EQ(p.from, 1773499260);
  EXPECT_EQ(p.to, 1805035260);  // 2027-03-14 14:41 UT
  EXPECT_EQ(p.sign, kPisces);
  EXPECT_EQ(p.house, 10);
  EXPECT_EQ(p.lord, kJupiter);
  // The months a twelfth of that year each, from Pisces: the ninth is Scorpio's, Mars'.
  EXPECT_EQ(p.months[0].sign, kPisces);
  EXPECT_EQ(p.months[8].sign, kScorpio);
  EXPECT_EQ(p.months[8].lord, kMars);
  EXPECT_EQ(p.months[8].from, p.from + (p.to - p.from) * 8 / 12);
  EXPECT_EQ(p.months[11].to, p.to);
  // The first year is the Ascendant's own sign, the 13th again.
  EXPECT_EQ(profection(kNewYorkBirth, kGemini, 0).house, 1);
  EXPECT_EQ(profection(kNewYorkBirth, kGemini, 12).sign, kGemini);
  // A span of two years gives the two years it touches, in order.
  const auto two = profections(kNewYorkBirth, kGemini, p.from + kDay, p.to + kDay);
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[0].age, 69);
  EXPECT_EQ(two[1].age, 70);
}

TEST(TimeLordsProfections, AnniversariesAreTheCalendarsDates) {
  // 2000-02-29 12:00 at GMT+2 (10:00 UT, 951,818,400 s): its first birthday is 1 March
  // 2001, 12:00 there; its fourth 29 February 2004.
  const Birth leap{951818400, 2 * 3600};
  EXPECT_EQ(anniversary(leap, 0), 951818400);
  EXPECT_EQ(anniversary(leap, 1), 983440800);   // 2001-03-01 10:00 UT
  EXPECT_EQ(anniversary(leap, 4), 1078048800);  // 2004-02-29 10:00 UT
  // A birth before 1970 and a clock that puts it on the next day locally.
  const Birth east{-86400 + 23 * 3600, 3 * 3600};  // 1969-12-31 23:00 UT, 1 January 02:00 there
  EXPECT_EQ(anniversary(east, 1), 365 * kDay - 86400 + 23 * 3600);
}

TEST(TimeLordsFirdaria, ByDayFromTheSunByNightFromTheMoonEachInSeven) {
  const double year = kFirdariaYearDays * kDay;
  auto at = [&](double years) { return static_cast<long long>(std::llround(years * year)); };
  // A day birth at 66½: Sun 10, Venus 8, Mercury 13, Moon 9, Saturn 11, Jupiter 12 make 63;
  // Mars' 7 years run 63–70, each seventh a year: Mars, then in the Chaldean order after
  // him the Sun, Venus, Mercury…
  auto day = firdaria(0, true, at(66.5), at(66.5) + 1);
  ASSERT_EQ(day.size(), 2u);
  EXPECT_EQ(day[0].lord, kMars);
  EXPECT_EQ(day[0].sub, -1);
  EXPECT_EQ(day[0].from, at(63));
  EXPECT_EQ(day[0].to, at(70));
  // 66.5 − 63 = 3.5 years of 7: the fourth of seven (3–4): Mars, Sun, Venus, Mercury.
  EXPECT_EQ(day[1].sub, kMercury);
  EXPECT_EQ(day[1].from, at(63) + (at(70) - at(63)) * 3 / 7);
  // A night birth at 40: Moon 9, Saturn 11, Jupiter 12, Mars 7 make 39; the Sun's 10
  // years from 39, its first seventh (39–40 3/7) its own.
  auto night = firdaria(0, false, at(40), at(40) + 1);
  ASSERT_EQ(night.size(), 2u);
  EXPECT_EQ(night[0].lord, kSun);
  EXPECT_EQ(night[0].from, at(39));
  EXPECT_EQ(night[1].sub, kSun);
  // The Nodes' periods are not divided: 70–73 and 73–75 by day; then the Sun again.
  auto nodes = firdaria(0, true, at(71), at(76));
  ASSERT_EQ(nodes.size(), 4u);  // the North Node, the South Node, the Sun and its first seventh
  EXPECT_EQ(nodes[0].lord, kNorthNode);
  EXPECT_EQ(nodes[0].from, at(70));
  EXPECT_EQ(nodes[1].lord, kSouthNode);
  EXPECT_EQ(nodes[1].to, at(75));
  EXPECT_EQ(nodes[2].lord, kSun);
  EXPECT_EQ(nodes[2].from, at(75));
  EXPECT_EQ(nodes[3].sub, kSun);
  // Each lord's sub-periods: its own, then the Chaldean order after it (Saturn's: Saturn,
  // Jupiter, Mars, Sun, Venus, Mercury, Moon).
  auto saturn = firdaria(0, true, at(40), at(51));
  std::vector<int> subs;
  for (const Firdar& f : saturn)
    if (f.lord == kSaturn && f.sub >= 0) subs.push_back(f.sub);
  EXPECT_EQ(subs, (std::vector<int>{kSaturn, kJupiter, kMars, kSun, kVenus, kMercury, kMoon}));
}

TEST(TimeLordsReleasing, TheSecondLevelLoosesTheBondAfterGoingRoundTheSigns) {
  // From Spirit in Capricorn, Fortune in Aries: Capricorn's 27 years of 360 days are the
  // first level's first period, the 10th sign from Fortune's, the strongest peak. Its
  // second level runs Capricorn 27 months of 30 days (810 days), Aquarius 30 (900), Pisces
  // 12, Aries 15, Taurus 8, Gemini 20, Cancer 25, Leo 19, Virgo 20, Libra 8, Scorpio 15,
  // Sagittarius 12: 211 months, 6,330 days; the next would be Capricorn again, and the bond
  // is loosed: Cancer, 25 months from day 6,330 (to 7,080), then Leo, Virgo, Libra, Scorpio,
  // Sagittarius to day 9,300, and Capricorn cut short at 9,720.
  const auto all = releasing(0, kCapricorn, kAries, 360, 2, 0, 9720 * kDay);
  ASSERT_FALSE(all.empty());
  EXPECT_EQ(all[0].level, 1);
  EXPECT_EQ(all[0].sign, kCapricorn);
  EXPECT_EQ(all[0].to, 9720 * kDay);
  EXPECT_EQ(all[0].peak, 2);
  std::vector<ReleasingPeriod> second;
  for (const auto& p : all)
    if (p.level == 2) second.push_back(p);
  ASSERT_EQ(second.size(), 19u);
  EXPECT_EQ(second[1].from, 810 * kDay);
  EXPECT_EQ(second[11].sign, kSagittarius);
  EXPECT_EQ(second[11].to, 6330 * kDay);
  EXPECT_FALSE(second[11].loosing);
  EXPECT_EQ(second[12].sign, kCancer);
  EXPECT_TRUE(second[12].loosing);
  EXPECT_EQ(second[12].from, 6330 * kDay);
  EXPECT_EQ(second[12].to, 7080 * kDay);
  EXPECT_EQ(second[12].peak, 1);  // Cancer, the 4th from Aries
  EXPECT_EQ(second[13].sign, kLeo);
  EXPECT_FALSE(second[13].loosing);
  EXPECT_EQ(second[17].to, 9300 * kDay);
  EXPECT_EQ(second[18].sign, kCapricorn);
  EXPECT_EQ(second[18].to, 9720 * kDay);
  // The next first-level period, Aquarius, 30 years from day 9,720; its third level in
  // days of 2.5 a minor year: Aquarius 75 days.
  const auto later = releasing(0, kCapricorn, kAries, 360, 3, 9720 * kDay, 9721 * kDay);
  ASSERT_EQ(later.size(), 3u);
  EXPECT_EQ(later[0].sign, kCapricorn + 1);
  EXPECT_EQ(later[2].level, 3);
  EXPECT_EQ(later[2].to, (9720 + 75) * kDay);
  // Calendar years: Capricorn's 27 of 365.25 days.
  EXPECT_EQ(releasing(0, kCapricorn, kAries, 365.25, 1, 0, 1)[0].to,
            static_cast<long long>(27 * 365.25 * kDay));
}

// The solar arc on the New York chart: the directed Sun squares the natal Moon when the arc
// is 152.7471025 − 90 − 353.7606400 + 360 = 68.9864625° (swetest's longitudes), i.e. when
// the progressed Sun stands at 62.7471025°: by bisection on swetest's Sun
// (tests/timelords/bisect_longitude.py 0 62.7471025 2435982 2435984) at JD
// 2435982.698317597, 70.5865 days after birth (JD 2435912.1118055556), which stands for 70.5865
// tropical years.
TEST(TimeLordsDirections, TheSolarArcSquareOfTheSunToTheMoonAgainstSwetest) {
  natal::ChartConfig config;
  config.aspects.orbs.fill(8);
  for (int a : {0, 1, 2, 3, 4}) config.aspects.enabled[a] = 1;  // the Ptolemaic five
  config.planets.values.fill(10);
  for (int i = 0; i <= 9; ++i) config.planets.enabled[i] = 1;
  config.planets.enabled[natal::kAscendant] = config.planets.enabled[natal::kMidheaven] = 1;
  natal::ChartMoment m;
  m.universalSeconds = kNewYork;
  m.longitude = -74.0058333333, m.latitude = 40.7141666667;
  const natal::NatalChart c = natal::chartAt(m, config, 'P', natal::swissEphemeris());
  const double birth = 2435912.1118055556, progressed = 2435982.698317597;
  const double exact = birth + (progressed - birth) * 365.24219;
  const auto found =
      directions(c, config, exact - 200, exact + 200, false, natal::swissEphemeris());
  const auto d = std::find_if(found.begin(), found.end(), [](const Direction& x) {
    return x.directed == 0 && x.natal == 1 && natal::kAspectAngles[x.aspect] == 90;
  });
  ASSERT_NE(d, found.end());
  EXPECT_NEAR(d->arc, 68.9864625, 1e-6);
  EXPECT_NEAR(d->exactJd, exact, 0.002);  // a second of the progressed day is six minutes
  // Within 1° of arc: the progressed Sun's 0.9608632° a day then (swetest -fls) makes a
  // degree 1 / 0.9608632 × 365.24219 = 380.12 days either side.
  EXPECT_NEAR(d->exactJd - d->fromJd, 380.12, 0.5);
  EXPECT_NEAR(d->toJd - d->exactJd, 380.12, 0.5);
  // Naibod's rate: the arc a year, 0.98564733°, exact at 68.9864625 / 0.98564733 years.
  const auto naibod =
      directions(c, config, exact - 400, exact + 400, true, natal::swissEphemeris());
  const auto n = std::find_if(naibod.begin(), naibod.end(), [](const Direction& x) {
    return x.directed == 0 && x.natal == 1 && natal::kAspectAngles[x.aspect] == 90;
  });
  ASSERT_NE(n, naibod.end());
  EXPECT_NEAR(n->exactJd, birth + 68.9864625 / 0.98564733 * 365.24219, 1e-4);
  // In time order, each in the period.
  EXPECT_TRUE(
      std::is_sorted(found.begin(), found.end(),
                     [](const Direction& x, const Direction& y) { return x.exactJd < y.exactJd; }));
}

// Primary directions to the angles of the New York chart, zodiacal (the degree without its
// latitude), worked from swetest's figures with the formulas of the tradition: ARMC
// 318.1935186 (swetest -house), the true obliquity 23°26′36.5547″, the latitude
// 40.7141666667°; a degree λ has RA atan2(sin λ cos ε, cos λ) and declination
// asin(sin ε sin λ); under the pole its oblique ascension is RA − asin(tan φ tan δ), and the
// Ascendant's is ARMC + 90°. Saturn (254.2341502) comes to the Midheaven by conversion at
// ARMC − RA = 65.2982225°; its sinister sextile (314.2341502) to the Ascendant by conversion
// at ARMC + 90° − OA = 76.6639132°.
TEST(TimeLordsDirections, PrimaryDirectionsToTheAnglesAgainstSwetestsFigures) {
  natal::ChartConfig config;
  config.aspects.orbs.fill(8);
  config.aspects.enabled.fill(1);
  config.planets.values.fill(10);
  for (int i = 0; i <= 9; ++i) config.planets.enabled[i] = 1;
  config.planets.enabled[natal::kAscendant] = config.planets.enabled[natal::kMidheaven] = 1;
  natal::ChartMoment m;
  m.universalSeconds = kNewYork;
  m.longitude = -74.0058333333, m.latitude = 40.7141666667;
  natal::Ephemeris& eph = natal::swissEphemeris();
  const natal::NatalChart c = natal::chartAt(m, config, 'P', eph);
  const double obliquity = 23 + 26 / 60.0 + 36.5547 / 3600;
  std::vector<DirectedPoint> planets;
  for (const natal::PointPosition& p : c.points)
    if (p.index <= 9) planets.push_back({p.index, p.longitude, p.latitude});
  for (const Key key : {Key::Ptolemy, Key::Naibod}) {
    PrimaryOptions options;
    options.key = key;
    options.mundane = false;
    const auto found = primaryDirections(c, planets, {}, 40.7141666667, obliquity, options, eph);
    auto find = [&](int aspect, int side, int significator) {
      return std::find_if(found.begin(), found.end(), [&](const PrimaryDirection& d) {
        return d.promissor == kSaturn && d.aspect == aspect && d.side == side &&
               d.significator == significator && d.converse;
      });
    };
    const auto mc = find(0, 1, natal::kMidheaven);
    ASSERT_NE(mc, found.end());
    EXPECT_NEAR(mc->arc, 65.2982225, 2e-5);
    const auto asc = find(4, 1, natal::kAscendant);  // the sextile, 60° ahead
    ASSERT_NE(asc, found.end());
    EXPECT_NEAR(asc->arc, 76.6639132, 2e-5);
    // Ptolemy's key: a degree a year; Naibod's: 0.98564733° a year.
    const double perYear = key == Key::Ptolemy ? 1 : 0.98564733;
    EXPECT_NEAR(mc->years, 65.2982225 / perYear, 1e-4);
    EXPECT_NEAR(mc->jd, c.julianDayUt + mc->years * 365.24219, 1e-6);
    // In order of arc, each within the hundred years.
    EXPECT_TRUE(std::is_sorted(
        found.begin(), found.end(),
        [](const PrimaryDirection& x, const PrimaryDirection& y) { return x.arc < y.arc; }));
    for (const PrimaryDirection& d : found) EXPECT_LE(d.years, 100);
  }
  // Beyond the polar circle some degrees never rise: they have no direction to the
  // Ascendant, but come to the Midheaven by right ascension all the same.
  auto toMidheaven = [&](double latitude) {
    const auto found = primaryDirections(c, planets, {}, latitude, obliquity, {}, eph);
    return std::count_if(found.begin(), found.end(), [](const PrimaryDirection& d) {
      return d.significator == natal::kMidheaven;
    });
  };
  EXPECT_EQ(toMidheaven(89), toMidheaven(40.7141666667));
  EXPECT_GT(toMidheaven(89), 20);
}

// Mars to the Sun of the New York chart, both rising in the east, worked from swetest's
// right ascensions and declinations (Sun 354.2721652, −2.4783056; Mars 55.3991197,
// 20.8296336, its ecliptic degree 57.9370758) with the formulas of each method, not the
// code's. Placidus: the arc is Mars' meridian distance less the Sun's proportion of its
// semi-arc times Mars' semi-arc (MDp − MDs·SAp/SAs, the semi-arc 90° + asin(tan φ tan δ)).
// Regiomontanus: the sphere turned, by bisection, until Mars stands on the circle through
// the horizon's north and south points that holds the Sun, its place told from altitude
// and azimuth. The mundane conjunction takes the body, the zodiacal its degree on the
// ecliptic.
TEST(TimeLordsDirections, PrimaryDirectionsToTheSunByEachMethodAgainstSwetestsFigures) {
  natal::ChartConfig config;
  config.aspects.orbs.fill(8);
  config.aspects.enabled.fill(1);
  config.planets.values.fill(10);
  for (int i = 0; i <= 9; ++i) config.planets.enabled[i] = 1;
  config.planets.enabled[natal::kAscendant] = config.planets.enabled[natal::kMidheaven] = 1;
  natal::ChartMoment m;
  m.universalSeconds = kNewYork;
  m.longitude = -74.0058333333, m.latitude = 40.7141666667;
  natal::Ephemeris& eph = natal::swissEphemeris();
  const natal::NatalChart c = natal::chartAt(m, config, 'P', eph);
  const double obliquity = 23 + 26 / 60.0 + 36.5547 / 3600;
  const natal::PointPosition& mars = *c.point(kMars);
  const natal::PointPosition& sun = *c.point(kSun);
  const std::vector<DirectedPoint> promissors{{kMars, mars.longitude, mars.latitude}};
  const std::vector<DirectedPoint> significators{{kSun, sun.longitude, sun.latitude}};
  struct Case {
    Method method;
    bool mundane, latitude;
    double arc;
  };
  for (const Case& k : {Case{Method::Placidus, true, false, 52.4030467},
                        Case{Method::Placidus, false, false, 53.1571159},
                        Case{Method::Placidus, false, true, 52.4030468},
                        Case{Method::Regiomontanus, true, false, 48.3679983},
                        Case{Method::Regiomontanus, false, false, 49.3263605}}) {
    PrimaryOptions options;
    options.method = k.method;
    options.latitude = k.latitude;
    const auto found =
        primaryDirections(c, promissors, significators, 40.7141666667, obliquity, options, eph);
    const auto d = std::find_if(found.begin(), found.end(), [&](const PrimaryDirection& x) {
      return x.significator == kSun && x.aspect == 0 && !x.converse && x.mundane == k.mundane;
    });
    ASSERT_NE(d, found.end()) << k.arc;
    EXPECT_NEAR(d->arc, k.arc, 1e-4) << k.arc;
    EXPECT_NEAR(d->years, k.arc, 1e-4);  // Ptolemy's key
  }
  // The Sun's directions to itself are not given.
  for (const Method method : {Method::Placidus, Method::Regiomontanus}) {
    PrimaryOptions options;
    options.method = method;
    options.maxYears = 400;
    const auto found =
        primaryDirections(c, significators, significators, 40.7141666667, obliquity, options, eph);
    for (const PrimaryDirection& x : found) EXPECT_NE(x.significator, kSun);
  }
}

// The true solar arc key: the year of life whose progressed Sun has moved by the arc. The
// New York Sun at birth is 353.7606400 (swetest); 52 and 52.5 days later (swetest -bj… -ut)
// 44.8269224 and 45.3110766: arcs of 51.0662824 and 51.5504366, the second halfway between
// the table's rows.
TEST(TimeLordsDirections, TheSolarArcKeyReadsTheProgressedSun) {
  natal::ChartConfig config;
  config.planets.values.fill(10);
  config.planets.enabled[kSun] = 1;
  natal::ChartMoment m;
  m.universalSeconds = kNewYork;
  m.longitude = -74.0058333333, m.latitude = 40.7141666667;
  natal::Ephemeris& eph = natal::swissEphemeris();
  const natal::NatalChart c = natal::chartAt(m, config, 'P', eph);
  const SolarArcYears years(c, 100, eph);
  EXPECT_NEAR(*years(51.0662824), 52.0, 1e-6);
  EXPECT_NEAR(*years(51.5504366), 52.5, 2e-6);
  EXPECT_FALSE(years(500));
  EXPECT_FALSE(years(-1));
}

}  // namespace
}  // namespace orvenda::timelords
