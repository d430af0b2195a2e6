// The traditional chart: the condition of the seven planets as Hellenistic and medieval
// astrology judges it (sect, the five essential dignities and Lilly's scores, receptions,
// dispositors, the accidental condition), the Hermetic lots, antiscia and declinations.
// Pure functions of a natal chart: the tables are the tradition's, the chart's own rules
// (its houses, its day or night by the Sun's altitude) are taken as the chart has them.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "natal/natal_chart.h"

namespace orvenda::traditional {

// The seven planets by their index in the planet table.
enum Planet { kSun = 0, kMoon = 1, kMercury = 2, kVenus = 3, kMars = 4, kJupiter = 5, kSaturn = 6 };
inline constexpr int kPlanets = 7;
inline constexpr int kNone = -1;  // no planet: a sign without an exaltation

enum class Bounds { Egyptian, Ptolemaic };

// ---- the tables -------------------------------------------------------------------------

// The ruler of a sign (0 Aries .. 11 Pisces).
int domicileRuler(int sign);
// The planet exalted in a sign, or kNone; its degree (1..30, the degree of the sign the
// tradition names: the Sun's 19th of Aries is 18°–19°, written 19).
int exaltationRuler(int sign);
int exaltationDegree(int planet);
// The planet's sign of exaltation, or kNone for none.
int exaltationSign(int planet);
// Dorotheus' three rulers of a sign's triplicity: by day, by night, participating.
struct Triplicity {
  int day = kNone, night = kNone, participating = kNone;
};
Triplicity triplicityRulers(int sign);
// One bound: its planet and the degree it ends at (exclusive), 1..30.
struct Bound {
  int planet = kNone;
  int end = 0;
};
const std::array<Bound, 5>& boundsOf(int sign, Bounds table);
int boundRuler(double longitude, Bounds table);
// The Chaldean ruler of a longitude's decan: Mars for 0°–10° Aries, then the Sun, Venus,
// Mercury, the Moon, Saturn, Jupiter in turn.
int faceRuler(double longitude);

// The rulers of the five dignities at a longitude: any point, a planet, an angle or a lot.
struct DignityRulers {
  int domicile = kNone, exaltation = kNone, bound = kNone, face = kNone;
  Triplicity triplicity;
};
DignityRulers dignityRulersAt(double longitude, Bounds table);

// ---- sect -------------------------------------------------------------------------------

struct Sect {
  bool known = false;                    // with the birth time not known there is no day or night
  bool day = false;                      // the Sun above the horizon (its true altitude above 0)
  int light = kNone;                     // the light of the sect: the Sun by day, the Moon by night
  int benefic = kNone, malefic = kNone;  // of the sect
  int contraryBenefic = kNone, contraryMalefic = kNone;  // contrary to it
  // Each planet's own sect (true: diurnal) and whether it is in the chart's sect. Mercury
  // is diurnal as a morning star (rising before the Sun), nocturnal as an evening star.
  std::array<bool, kPlanets> diurnal{};
  std::array<bool, kPlanets> inSect{};
};
// The chart's day or night is the rule of its Part of Fortune: the Sun's true altitude
// at the birth place above 0, whatever house the Sun is in.
Sect sectOf(const natal::NatalChart& chart);
// A planet's elongation from the Sun seen as the tradition does: oriental when it rises
// before the Sun (its longitude behind the Sun's, within 180°).
bool oriental(double planet, double sun);

// ---- essential dignities ----------------------------------------------------------------

struct Dignities {
  int planet = kNone;
  double longitude = 0;
  int sign = 0;
  bool domicile = false, exaltation = false, bound = false, face = false;
  bool detriment = false, fall = false, peregrine = false;
  // Which of the triplicity's rulers the planet is, if any: 'D' by day, 'N' by night, 'P'
  // participating (two at once in no Dorothean triplicity).
  char triplicity = 0;
  bool triplicityScores = false;  // the ruler of the chart's sect: +3
  DignityRulers rulers;
  // Lilly's points, each component and their sum.
  int domicilePoints = 0, exaltationPoints = 0, triplicityPoints = 0, boundPoints = 0,
      facePoints = 0, detrimentPoints = 0, fallPoints = 0, peregrinePoints = 0;
  int score = 0;
};
// Lilly's scores: domicile +5, exaltation +4, triplicity +3 (the ruler of the chart's
// sect, by day or by night; the participating ruler is named but, as in Lilly, scores
// nothing), bounds +2, face +1, detriment −5, fall −4, and peregrine −5 when none of the
// five scores. With the sect not known, triplicity scores nothing.
Dignities dignitiesOf(int planet, double longitude, const Sect& sect, Bounds table);

// ---- receptions and dispositors ---------------------------------------------------------

struct Reception {
  enum class Kind { MutualDomicile, MutualExaltation, Mixed, ByDomicile, ByExaltation };
  Kind kind = Kind::MutualDomicile;
  // Mutual: a before b in the planets' order; mixed only where neither whole one holds. By domicile
  // or exaltation: a is received, in a sign of b's, and b aspects it by whole sign (a Ptolemaic
  // aspect or conjunction).
  int a = kNone, b = kNone;
};
std::vector<Reception> receptionsOf(const std::array<double, kPlanets>& longitudes);

struct Dispositors {
  // Each planet's chain of domicile rulers, the planet first, until a planet rules its
  // own sign or one already in the chain comes again (which is then the chain's last).
  std::array<std::vector<int>, kPlanets> chains;
  int finalDispositor = kNone;          // the one planet in its own sign all chains end in
  std::vector<std::vector<int>> loops;  // the rings of rulers without an end, each once
};
Dispositors dispositorsOf(const std::array<double, kPlanets>& longitudes);

// ---- accidental condition ---------------------------------------------------------------

enum class Angularity { Angular, Succedent, Cadent };
enum class Motion { Direct, Retrograde, Stationary };
enum class SolarPhase { None, Cazimi, Combust, UnderTheBeams };
struct Accidental {
  int planet = kNone;
  bool housesKnown = false;  // the houses need the birth time
  int house = 0, wholeSignHouse = 0;
  Angularity angularity = Angularity::Angular, wholeSignAngularity = Angularity::Angular;
  int joyHouse = 0;  // Mercury 1, the Moon 3, Venus 5, Mars 6, the Sun 9, Jupiter 11, Saturn 12
  bool inJoy = false, inJoyWholeSign = false;
  Motion motion = Motion::Direct;
  bool fast = false;  // faster than its mean daily motion
  SolarPhase solarPhase = SolarPhase::None;
  double distanceFromSun = 0;  // 0..180
  bool orientalOfSun = false;  // the Sun itself: false
};
inline constexpr std::array<double, kPlanets> kMeanMotion = {
    0.985647, 13.176358, 0.985647, 0.985647, 0.524033, 0.083091, 0.033460};
Accidental accidentalOf(const natal::NatalChart& chart, int planet);
Angularity angularityOf(int house);

// ---- the lots ---------------------------------------------------------------------------

enum Lot { kFortune, kSpirit, kEros, kNecessity, kCourage, kVictory, kNemesis };
inline constexpr int kLots = 7;
inline constexpr const char* kLotNames[kLots] = {"Fortune", "Spirit",  "Eros",   "Necessity",
                                                 "Courage", "Victory", "Nemesis"};
struct LotPosition {
  int lot = kFortune;
  double longitude = 0;
  int sign = 0, wholeSignHouse = 0, house = 0;
  DignityRulers rulers;
};
// Paulus' seven lots from the Ascendant and the planets, by day or by night.
std::array<double, kLots> lotLongitudes(double ascendant,
                                        const std::array<double, kPlanets>& planets, bool day);

// ---- antiscia and declinations ----------------------------------------------------------

// The mirror over 0° Cancer–Capricorn, and over 0° Aries–Libra.
double antiscion(double longitude);
double contraAntiscion(double longitude);
struct MirrorContact {
  int point = 0, other = 0;  // point's antiscion (or contra-antiscion) falls near other
  bool contra = false;
  double orb = 0;  // degrees, 0..1
};

// The declination of a point of ecliptic longitude and latitude at an obliquity, degrees.
double declination(double longitude, double latitude, double obliquity);
struct DeclinationContact {
  int a = 0, b = 0;
  bool contra = false;  // contraparallel: opposite sides of the equator
  double orb = 0;
};

// ---- the syzygy and the almuten ---------------------------------------------------------

// The last new or full moon before a moment (or at it), found on the ephemeris.
struct Syzygy {
  bool full = false;
  double julianDayUt = 0;
  double sun = 0, moon = 0;  // their longitudes then
  // The degree the tradition takes: a new moon's, or at a full moon that of the light
  // above the horizon of the birth place (Ptolemy, Tetrabiblos III.2).
  int light = kMoon;
  double longitude = 0;
};
// Nothing when the ephemeris has no Sun or Moon for those days. Latitude and longitude
// east and north positive.
std::optional<Syzygy> syzygyBefore(double julianDayUt, double latitude, double longitude,
                                   natal::Ephemeris& ephemeris);

// Ibn Ezra's almuten of the chart: each planet's points as ruler of the five dignities
// (5, 4, 3 for the triplicity's ruler of the sect, 2, 1) at the degrees of the Sun, the
// Moon, the Ascendant, the Lot of Fortune and the syzygy; the highest wins, ties all.
struct Almuten {
  enum Place { kSunPlace, kMoonPlace, kAscendantPlace, kFortunePlace, kSyzygyPlace };
  std::array<double, 5> places{};
  std::array<std::array<int, kPlanets>, 5> points{};  // by place, then planet
  std::array<int, kPlanets> total{};
  std::vector<int> winners;
};
Almuten almutenOf(const std::array<double, 5>& places, bool day, Bounds table);

// ---- the fixed stars ---------------------------------------------------------------------

// The stars of the star file of magnitude 2.0 or brighter (the four royal stars among
// them), each with the nature Ptolemy gives it in the Tetrabiblos (I.9): like one planet or
// two; none for the southern stars the Greek sky did not hold, nor where his figure leaves
// the star's part unclear.
struct FixedStar {
  const char* name;         // in English, as the tradition names it; the key of its text
  const char* greek;        // the ancient Greek name where there is one, else the usual
  const char* designation;  // the star file's Bayer designation, ",alTau"
  std::array<int, 2> nature;
  bool royal;  // Aldebaran, Regulus, Antares, Fomalhaut
  // A rough longitude, only to choose which stars to ask the ephemeris for (each costs as
  // much as the chart's ten planets): of date at J2000 and its motion over a century.
  double longitude2000, perCentury;
};
const std::vector<FixedStar>& fixedStars();
// The rough longitude of a star at a moment, and how far from the true one it may be
// (360 where the moment is beyond the millennia it was held to).
double roughStarLongitude(const FixedStar& star, double julianDayUt);
double roughStarError(double julianDayUt);
struct StarPlace {
  int star = 0;  // in fixedStars()
  double longitude = 0, latitude = 0, magnitude = 0;
};
// The stars at a moment that the star file holds and that may be within `within` degrees
// in longitude of one of `near`; every star the file holds when `near` is empty. Nothing
// when there is no star file.
std::optional<std::vector<StarPlace>> starsAt(double julianDayUt, natal::Ephemeris& ephemeris,
                                              const std::vector<double>& near = {},
                                              double within = 360);
// The widest orb of a star's contact: with a light or an angle.
inline constexpr double kWidestStarOrb = 1.5;
struct StarContact {
  int star = 0;    // in fixedStars()
  int point = 0;   // of the chart's points
  double orb = 0;  // in longitude, degrees
  double longitude = 0, magnitude = 0;
};
// The stars within 1° in longitude of a point, 1°30′ of a light or an angle; by star, then point.
std::vector<StarContact> starContacts(const std::vector<StarPlace>& stars,
                                      const natal::NatalChart& chart);

// ---- the whole ----------------------------------------------------------------------------

struct PointDeclination {
  int point = 0;
  double declination = 0;
  bool outOfBounds = false;
};

struct TraditionalChart {
  Bounds bounds = Bounds::Egyptian;
  Sect sect;
  std::vector<int> planets;  // those of the seven the chart has, in order
  std::vector<Dignities> dignities;
  std::vector<Accidental> accidental;
  std::vector<Reception> receptions;
  Dispositors dispositors;
  bool dispositorsKnown = false;  // all seven are needed
  std::vector<LotPosition> lots;  // with the time and all seven known
  // The rulers of the angles (with the time known).
  std::optional<DignityRulers> ascendantRulers, midheavenRulers;
  std::vector<MirrorContact> antiscia;
  double obliquity = 0;
  std::vector<PointDeclination> declinations;
  std::vector<DeclinationContact> parallels;
  std::optional<Syzygy> syzygy;                 // as the caller found it
  std::optional<Almuten> almuten;               // with the time known, the lots and the syzygy
  std::optional<std::vector<StarPlace>> stars;  // as the caller found them
  std::vector<StarContact> starContacts;
};

// The traditional reading of a chart, at the true obliquity of its date (the Ephemeris's
// obliquity()), with the syzygy before it (syzygyBefore()) and the stars of its moment
// (starsAt()), which the caller asks for.
TraditionalChart traditionalChart(const natal::NatalChart& chart, double obliquity,
                                  Bounds table = Bounds::Egyptian,
                                  std::optional<Syzygy> syzygy = std::nullopt,
                                  std::optional<std::vector<StarPlace>> stars = std::nullopt);

}  // namespace orvenda::traditional
