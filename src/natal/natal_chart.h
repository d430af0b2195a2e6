// The natal chart: the positions of the 22 points of the planet table, the houses, the
// aspects, the borderline cases and the rulers, computed from a birth record and the
// configuration the user keeps. A plain value; the print sheet and orvenda-chart are two
// views of it.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "birth/birth_record.h"
#include "config/settings_store.h"

namespace orvenda::natal {

class Ephemeris;

inline constexpr int kPoints = kPlanetCount;   // 22, in the planet table's order
inline constexpr int kAspects = kAspectCount;  // 18, in the aspect table's order
inline constexpr int kBodies = 17;             // points 0..16 come from the ephemeris
enum PointIndex {
  kSun = 0,
  kMoon = 1,
  kChiron = 10,
  kNorthNode = 15,
  kLilith = 16,
  kPartOfFortune = 17,
  kVertex = 18,
  kEastPoint = 19,
  kAscendant = 20,
  kMidheaven = 21
};

// The aspects' angles, in the aspect table's order.
inline constexpr std::array<double, kAspects> kAspectAngles = {
    0,  180, 90, 120,       60, 150, 30,        45,         135,
    72, 144, 36, 360.0 / 7, 40, 80,  720.0 / 7, 1080.0 / 7, 160};

// Everything the chart reads of settings\: the two tables and the four chart settings.
struct ChartConfig {
  AspectTable aspects;
  PlanetTable planets;
  std::int32_t borderlineDegrees = 0;
  std::int32_t zodiacRulersAlways = 0;
  std::int32_t borderlineInterpretation = 0;
  std::int32_t changeRulers = 0;
};

// Reads the configuration with the program's own store and its rules (a short file fills
// what it holds). Returns the logical name of the first file that can't be opened.
std::optional<std::string> readChartConfig(SettingsStore& store, ChartConfig& config);

struct HouseSystemName {
  const char* name;   // as orvenda-chart takes it: "placidus"
  char code;          // the library's letter
  const char* title;  // as the sheet shows it: "Placidus"
};
// Every system of twelve houses the library has.
const std::vector<HouseSystemName>& houseSystems();
const HouseSystemName* houseSystemByName(const std::string& name);
const HouseSystemName& houseSystemByCode(char code);

struct PointPosition {
  int index = 0;  // in the planet table
  double longitude = 0, latitude = 0, speed = 0;
  bool retrograde = false;
  int house = 1;             // 1..12; 0 when the birth time is not known
  bool signBorder = false;   // within the borderline width before the next sign
  bool houseBorder = false;  // within it before the next house's cusp
  bool analytic = false;
};

struct AspectFound {
  int a = 0, b = 0;       // points, a before b in the table
  int aspect = 0;         // in the aspect table
  double separation = 0;  // 0..180
  double deviation = 0;   // separation − angle
  bool applying = false;
};

struct HouseRulers {
  std::vector<int> ofCusp;     // rulers of the sign on the cusp
  std::vector<int> ofNatural;  // with zodiacRulersAlways 1: of the house's natural sign
};

struct NatalChart {
  double julianDayUt = 0;
  long long universalSeconds = 0;  // since 1970-01-01 00:00:00 UT
  double deltaTSeconds = 0;
  double localSiderealHours = 0;
  char requestedSystem = 'P';
  char houseSystem = 'P';
  bool housesFellBack = false;
  std::array<double, 12> cusps{};
  double ascendant = 0, midheaven = 0;  // whether or not they take part
  std::vector<PointPosition> points;    // the points that take part and could be computed
  std::vector<int> missing;             // points that take part but couldn't be computed
  std::vector<AspectFound> aspects;
  std::array<HouseRulers, 12> rulers;
  bool analytic = false;                  // a body came from the analytic ephemeris
  std::vector<std::string> missingFiles;  // ephemeris files the moment needs and lacks
  int borderlineWidth = 0;  // the width in use, 0..15; 0 when borderline cases are off
  double sunAltitude = 0;   // degrees, true: above 0 a birth by day
  // With the birth time not known: the planets stand at noon, and there are no houses,
  // angles, rulers or points that need the time (Part of Fortune, Vertex, East Point, the
  // Ascendant and the Midheaven); the Moon's range over the day is given instead, from the
  // local day's 00:00 to its 24:00.
  bool timeKnown = true;
  double moonAtDayStart = 0, moonAtDayEnd = 0;
  // What the two longitudes above are: nothing (the time is known, or the Moon could not
  // be computed), the Moon's range over the local day, or, in a composite chart, the
  // midpoints of the two births' ranges (a birth of known time ranges over its one Moon).
  enum class MoonRange { None, Day, Midpoints };
  MoonRange moonRange = MoonRange::None;
  // With the time not known, the Moon's aspects at any moment of the day (it moves 12° to
  // 15° in it): each with its deviation at noon, or where it comes closest, and whether it
  // holds all day or only for part of it, when the birth time decides it.
  struct DayAspect {
    AspectFound aspect;
    bool allDay = true;
  };
  std::vector<DayAspect> moonDayAspects;

  const PointPosition* point(int index) const;
};

// Of the chart's missing ephemeris files, the ones the points given come from: the Moon's
// file for the Moon, the asteroids' for Chiron to Vesta, the planets' for the rest (the
// nodes and the apogee are computed from formulas, but in the planets' years). A note
// of points not computed or from the analytic ephemeris names these, and no other.
std::vector<std::string> missingFilesOf(const NatalChart& c, const std::vector<int>& points);
// The points of the chart that came from the analytic ephemeris.
std::vector<int> analyticPoints(const NatalChart& c);

// Why a record gives no chart.
enum class ChartRefusal { None, NotADate, DamagedRecord };

struct ChartOutcome {
  std::optional<NatalChart> chart;
  ChartRefusal refusal = ChartRefusal::None;
};

// The chart of a record. A date the Gregorian calendar doesn't have (29 February 1900),
// or a field outside what the record can mean, gives a refusal, never another day's chart.
ChartOutcome computeChart(const BirthRecord& record, const ChartConfig& config, char houseSystem,
                          Ephemeris& ephemeris, bool timeKnown = true);

// A moment and a place, apart from any record: what a return, a moment set against the
// chart, or a chart of two people is drawn for.
struct ChartMoment {
  long long universalSeconds = 0;      // since 1970-01-01 00:00:00 UT
  double secondFraction = 0;           // 0 <= f < 1 of a second after it: a mean of two
  double longitude = 0, latitude = 0;  // degrees, east and north positive
  bool timeKnown = true;
  // With the time not known: the universal time of the local day's 00:00; the planets
  // stand at universalSeconds (that day's noon).
  long long dayStartSeconds = 0;
};
NatalChart chartAt(const ChartMoment& moment, const ChartConfig& config, char houseSystem,
                   Ephemeris& ephemeris);
// The Julian day (UT) of a moment in seconds since 1970.
double julianDayOf(long long universalSeconds);
// The Julian day (UT) of a record's date and clock time at its offset from GMT.
double recordJulianDay(const BirthRecord& record);
// A record's place in degrees, east and north positive.
double recordLongitude(const BirthRecord& record);
double recordLatitude(const BirthRecord& record);

// ---- the rules, apart from the ephemeris ---------------------------------------------------

// λ brought into 0 <= λ < 360.
double normalized(double degrees);
// The angle between two longitudes, 0..180.
double separation(double a, double b);
// The house (1..12) a longitude falls in; a point exactly on a cusp is in the house that
// begins there.
int houseOf(double longitude, const std::array<double, 12>& cusps);
// Ascendant + Moon − Sun by day, Ascendant + Sun − Moon by night. Day or night is the
// Sun's altitude, not its house: beyond the polar circles the houses can turn over.
double partOfFortune(double ascendant, double sun, double moon, bool byDay);
// A longitude as it is shown: whole arc seconds from 0° Aries, cut, never rounded, so
// that 29° 59′ 59.9″ Leo stays in Leo with its ruler and borderline. Every view takes
// the sign, degree, minute and second from this one value.
long long arcSecondsOf(double longitude);
// The sign (0 Aries .. 11 Pisces) of a longitude, from the same value.
int signOf(double longitude);
// The aspect that holds between two points, the closest when more than one could.
std::optional<AspectFound> findAspect(const PointPosition& a, const PointPosition& b,
                                      const ChartConfig& config);
// The right ascension of the Midheaven (ARMC, degrees) that puts the Midheaven at an
// ecliptic longitude, at an obliquity: what a Midheaven carried by an arc, or a composite
// one, gives its houses from.
double armcOfMidheaven(double midheaven, double obliquity);
// The aspects between the points of two charts, closest first: `a` a point of the first,
// `b` of the second. With no orb given, the natal rule holds (the smaller of the aspect's
// orb and the mean of the two points' values); with one, that orb for every aspect
// switched on, as transits are read.
std::vector<AspectFound> crossAspects(const std::vector<PointPosition>& first,
                                      const std::vector<PointPosition>& second,
                                      const ChartConfig& config,
                                      std::optional<double> orb = std::nullopt);
// Rulers of a sign (0 Aries .. 11 Pisces) by changeRulers: 1 modern, 2 both, else the
// traditional ones.
std::vector<int> signRulers(int sign, std::int32_t changeRulers);

}  // namespace orvenda::natal
