#include "traditional/traditional.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "natal/ephemeris.h"

namespace orvenda::traditional {
namespace {

using natal::normalized;
using natal::separation;
using natal::signOf;

constexpr double kRadian = std::numbers::pi / 180.0;

// The signs' rulers, Aries to Pisces.
constexpr std::array<int, 12> kDomicile = {kMars,  kVenus, kMercury, kMoon,   kSun,    kMercury,
                                           kVenus, kMars,  kJupiter, kSaturn, kSaturn, kJupiter};
constexpr std::array<int, 12> kExalted = {kSun,    kMoon, kNone, kJupiter, kNone, kMercury,
                                          kSaturn, kNone, kNone, kMars,    kNone, kVenus};
// The degree of each planet's exaltation, Sun to Saturn.
constexpr std::array<int, kPlanets> kExaltationDegree = {19, 3, 15, 27, 28, 15, 21};

// Dorotheus' rulers of the four triplicities: fire, earth, air, water.
constexpr std::array<Triplicity, 4> kTriplicity = {{{kSun, kJupiter, kSaturn},
                                                    {kVenus, kMoon, kMars},
                                                    {kSaturn, kMercury, kJupiter},
                                                    {kVenus, kMars, kMoon}}};

// The Egyptian bounds (Ptolemy, Tetrabiblos I.20): each sign's five, the planet and the
// degree the bound ends at.
constexpr std::array<std::array<Bound, 5>, 12> kEgyptian = {{
    {{{kJupiter, 6}, {kVenus, 12}, {kMercury, 20}, {kMars, 25}, {kSaturn, 30}}},   // Aries
    {{{kVenus, 8}, {kMercury, 14}, {kJupiter, 22}, {kSaturn, 27}, {kMars, 30}}},   // Taurus
    {{{kMercury, 6}, {kJupiter, 12}, {kVenus, 17}, {kMars, 24}, {kSaturn, 30}}},   // Gemini
    {{{kMars, 7}, {kVenus, 13}, {kMercury, 19}, {kJupiter, 26}, {kSaturn, 30}}},   // Cancer
    {{{kJupiter, 6}, {kVenus, 11}, {kSaturn, 18}, {kMercury, 24}, {kMars, 30}}},   // Leo
    {{{kMercury, 7}, {kVenus, 17}, {kJupiter, 21}, {kMars, 28}, {kSaturn, 30}}},   // Virgo
    {{{kSaturn, 6}, {kMercury, 14}, {kJupiter, 21}, {kVenus, 28}, {kMars, 30}}},   // Libra
    {{{kMars, 7}, {kVenus, 11}, {kMercury, 19}, {kJupiter, 24}, {kSaturn, 30}}},   // Scorpio
    {{{kJupiter, 12}, {kVenus, 17}, {kMercury, 21}, {kSaturn, 26}, {kMars, 30}}},  // Sagittarius
    {{{kMercury, 7}, {kJupiter, 14}, {kVenus, 22}, {kSaturn, 26}, {kMars, 30}}},   // Capricorn
    {{{kMercury, 7}, {kVenus, 13}, {kJupiter, 20}, {kMars, 25}, {kSaturn, 30}}},   // Aquarius
    {{{kVenus, 12}, {kJupiter, 16}, {kMercury, 19}, {kMars, 28}, {kSaturn, 30}}},  // Pisces
}};

// Ptolemy's own bounds (Tetrabiblos I.21), as Lilly prints them in his table of the
// essential dignities.
constexpr std::array<std::array<Bound, 5>, 12> kPtolemaic = {{
    {{{kJupiter, 6}, {kVenus, 14}, {kMercury, 21}, {kMars, 26}, {kSaturn, 30}}},  // Aries
    {{{kVenus, 8}, {kMercury, 15}, {kJupiter, 22}, {kSaturn, 26}, {kMars, 30}}},  // Taurus
    {{{kMercury, 7}, {kJupiter, 14}, {kVenus, 21}, {kSaturn, 25}, {kMars, 30}}},  // Gemini
    {{{kMars, 6}, {kJupiter, 13}, {kMercury, 20}, {kVenus, 27}, {kSaturn, 30}}},  // Cancer
    {{{kSaturn, 6}, {kMercury, 13}, {kVenus, 19}, {kJupiter, 25}, {kMars, 30}}},  // Leo
    {{{kMercury, 7}, {kVenus, 13}, {kJupiter, 18}, {kSaturn, 24}, {kMars, 30}}},  // Virgo
    {{{kSaturn, 6}, {kVenus, 11}, {kJupiter, 19}, {kMercury, 24}, {kMars, 30}}},  // Libra
    {{{kMars, 6}, {kJupiter, 14}, {kVenus, 21}, {kMercury, 27}, {kSaturn, 30}}},  // Scorpio
    {{{kJupiter, 8}, {kVenus, 14}, {kMercury, 19}, {kSaturn, 25}, {kMars, 30}}},  // Sagittarius
    {{{kVenus, 6}, {kMercury, 12}, {kJupiter, 19}, {kMars, 25}, {kSaturn, 30}}},  // Capricorn
    {{{kSaturn, 6}, {kMercury, 12}, {kVenus, 20}, {kJupiter, 25}, {kMars, 30}}},  // Aquarius
    {{{kVenus, 8}, {kJupiter, 14}, {kMercury, 20}, {kMars, 26}, {kSaturn, 30}}},  // Pisces
}};

// The Chaldean order from Mars, the ruler of the first decan of Aries.
constexpr std::array<int, 7> kFaces = {kMars, kSun, kVenus, kMercury, kMoon, kSaturn, kJupiter};

// The planets' joys, by house: Sun to Saturn.
constexpr std::array<int, kPlanets> kJoy = {9, 3, 1, 5, 6, 11, 12};

// The degree within its sign of a longitude, from the value every view shows.
double degreeInSign(double longitude) {
  return static_cast<double>(natal::arcSecondsOf(longitude) % (30 * 3600)) / 3600.0;
}

int wholeSignHouse(double longitude, double ascendant) {
  return (signOf(longitude) - signOf(ascendant) + 12) % 12 + 1;
}

}  // namespace

int domicileRuler(int sign) { return kDomicile.at(sign); }
int exaltationRuler(int sign) { return kExalted.at(sign); }
int exaltationDegree(int planet) { return kExaltationDegree.at(planet); }
int exaltationSign(int planet) {
  for (int s = 0; s < 12; ++s)
    if (kExalted[s] == planet) return s;
  return kNone;
}
Triplicity triplicityRulers(int sign) { return kTriplicity.at(sign % 4); }

const std::array<Bound, 5>& boundsOf(int sign, Bounds table) {
  return table == Bounds::Ptolemaic ? kPtolemaic.at(sign) : kEgyptian.at(sign);
}

int boundRuler(double longitude, Bounds table) {
  const double d = degreeInSign(longitude);
  for (const Bound& b : boundsOf(signOf(longitude), table))
    if (d < b.end) return b.planet;
  return kNone;  // unreachable: the last bound ends at 30
}

int faceRuler(double longitude) {
  const int decan = static_cast<int>(natal::arcSecondsOf(longitude) / (10 * 3600));
  return kFaces[decan % 7];
}

DignityRulers dignityRulersAt(double longitude, Bounds table) {
  const int sign = signOf(longitude);
  DignityRulers r;
  r.domicile = domicileRuler(sign);
  r.exaltation = exaltationRuler(sign);
  r.triplicity = triplicityRulers(sign);
  r.bound = boundRuler(longitude, table);
  r.face = faceRuler(longitude);
  return r;
}

bool oriental(double planet, double sun) {
  const double ahead = normalized(sun - planet);
  return ahead > 0 && ahead < 180;
}

Sect sectOf(const natal::NatalChart& chart) {
  Sect s;
  const natal::PointPosition* sun = chart.point(kSun);
  const natal::PointPosition* mercury = chart.point(kMercury);
  s.known = chart.timeKnown;
  s.day = chart.sunAltitude > 0;
  s.diurnal = {true, false, true, false, false, true, true};
  if (sun && mercury) s.diurnal[kMercury] = oriental(mercury->longitude, sun->longitude);
  if (!s.known) return s;
  s.light = s.day ? kSun : kMoon;
  s.benefic = s.day ? kJupiter : kVenus;
  s.malefic = s.day ? kSaturn : kMars;
  s.contraryBenefic = s.day ? kVenus : kJupiter;
  s.contraryMalefic = s.day ? kMars : kSaturn;
  for (int p = 0; p < kPlanets; ++p) s.inSect[p] = s.diurnal[p] == s.day;
  return s;
}

Dignities dignitiesOf(int planet, double longitude, const Sect& sect, Bounds table) {
  Dignities d;
  d.planet = planet;
  d.longitude = longitude;
  d.sign = signOf(longitude);
  d.rulers = dignityRulersAt(longitude, table);
  d.domicile = d.rulers.domicile == planet;
  d.exaltation = d.rulers.exaltation == planet;
  d.bound = d.rulers.bound == planet;
  d.face = d.rulers.face == planet;
  d.detriment = domicileRuler((d.sign + 6) % 12) == planet;
  d.fall = exaltationRuler((d.sign + 6) % 12) == planet;
  const Triplicity& t = d.rulers.triplicity;
  d.triplicity = t.day == planet             ? 'D'
                 : t.night == planet         ? 'N'
                 : t.participating == planet ? 'P'
                                             : 0;
  d.triplicityScores = sect.known && (sect.day ? t.day : t.night) == planet;
  d.domicilePoints = d.domicile ? 5 : 0;
  d.exaltationPoints = d.exaltation ? 4 : 0;
  d.triplicityPoints = d.triplicityScores ? 3 : 0;
  d.boundPoints = d.bound ? 2 : 0;
  d.facePoints = d.face ? 1 : 0;
  d.detrimentPoints = d.detriment ? -5 : 0;
  d.fallPoints = d.fall ? -4 : 0;
  d.peregrine = !(d.domicile || d.exaltation || d.triplicityScores || d.bound || d.face);
  d.peregrinePoints = d.peregrine ? -5 : 0;
  d.score = d.domicilePoints + d.exaltationPoints + d.triplicityPoints + d.boundPoints +
            d.facePoints + d.detrimentPoints + d.fallPoints + d.peregrinePoints;
  return d;
}

std::vector<Reception> receptionsOf(const std::array<double, kPlanets>& lon) {
  std::vector<Reception> out;
  std::array<int, kPlanets> sign{};
  for (int p = 0; p < kPlanets; ++p) sign[p] = signOf(lon[p]);
  for (int a = 0; a < kPlanets; ++a)
    for (int b = a + 1; b < kPlanets; ++b) {
      const bool aInB = domicileRuler(sign[a]) == b, bInA = domicileRuler(sign[b]) == a;
      const bool aExB = exaltationRuler(sign[a]) == b, bExA = exaltationRuler(sign[b]) == a;
      const bool byDomicile = aInB && bInA, byExaltation = aExB && bExA;
      if (byDomicile) out.push_back({Reception::Kind::MutualDomicile, a, b});
      if (byExaltation) out.push_back({Reception::Kind::MutualExaltation, a, b});
      // Mixed, one by domicile and the other by exaltation, where no whole mutual reception
      // holds already (Virgo is Mercury's domicile and exaltation at once).
      if (!byDomicile && !byExaltation && ((aInB && bExA) || (aExB && bInA)))
        out.push_back({Reception::Kind::Mixed, a, b});
    }
  // A planet received by the lord of its sign, or of its exaltation, that beholds it: a
  // conjunction, sextile, square, trine or opposition of the whole signs.
  for (int a = 0; a < kPlanets; ++a)
    for (int b = 0; b < kPlanets; ++b) {
      if (a == b) continue;
      const int d = (sign[b] - sign[a] + 12) % 12;
      const bool beholds =
          d == 0 || d == 2 || d == 3 || d == 4 || d == 6 || d == 8 || d == 9 || d == 10;
      if (!beholds) continue;
      if (domicileRuler(sign[a]) == b) out.push_back({Reception::Kind::ByDomicile, a, b});
      if (exaltationRuler(sign[a]) == b) out.push_back({Reception::Kind::ByExaltation, a, b});
    }
  return out;
}

Dispositors dispositorsOf(const std::array<double, kPlanets>& lon) {
  Dispositors d;
  std::array<int, kPlanets> ruler{};
  for (int p = 0; p < kPlanets; ++p) ruler[p] = domicileRuler(signOf(lon[p]));
  std::vector<int> ends;
  for (int p = 0; p < kPlanets; ++p) {
    std::vector<int>& chain = d.chains[p];
    chain.push_back(p);
    for (;;) {
      const int next = ruler[chain.back()];
      if (next == chain.back()) break;  // in its own sign: the chain's end
      const auto seen = std::find(chain.begin(), chain.end(), next);
      if (seen != chain.end()) {
        // A ring: kept once, from its lowest planet.
        std::vector<int> loop(seen, chain.end());
        std::rotate(loop.begin(), std::min_element(loop.begin(), loop.end()), loop.end());
        if (std::find(d.loops.begin(), d.loops.end(), loop) == d.loops.end())
          d.loops.push_back(loop);
        chain.push_back(next);
        break;
      }
      chain.push_back(next);
    }
    ends.push_back(ruler[chain.back()] == chain.back() ? chain.back() : kNone);
  }
  if (std::all_of(ends.begin(), ends.end(), [&](int e) { return e != kNone && e == ends[0]; }))
    d.finalDispositor = ends[0];
  std::sort(d.loops.begin(), d.loops.end());
  return d;
}

Angularity angularityOf(int house) {
  switch ((house - 1) % 3) {
    case 0: return Angularity::Angular;
    case 1: return Angularity::Succedent;
    default: return Angularity::Cadent;
  }
}

Accidental accidentalOf(const natal::NatalChart& chart, int planet) {
  Accidental a;
  a.planet = planet;
  const natal::PointPosition* p = chart.point(planet);
  const natal::PointPosition* sun = chart.point(kSun);
  a.joyHouse = kJoy.at(planet);
  if (!p) return a;
  a.housesKnown = chart.timeKnown;
  if (a.housesKnown) {
    a.house = p->house;
    a.wholeSignHouse = wholeSignHouse(p->longitude, chart.ascendant);
    a.angularity = angularityOf(a.house);
    a.wholeSignAngularity = angularityOf(a.wholeSignHouse);
    a.inJoy = a.house == a.joyHouse;
    a.inJoyWholeSign = a.wholeSignHouse == a.joyHouse;
  }
  const double mean = kMeanMotion.at(planet);
  // A station: the motion below a twentieth of the mean. The lights never stand still.
  if (planet != kSun && planet != kMoon && std::abs(p->speed) < mean / 20)
    a.motion = Motion::Stationary;
  else
    a.motion = p->speed < 0 ? Motion::Retrograde : Motion::Direct;
  a.fast = std::abs(p->speed) > mean;
  if (planet != kSun && sun) {
    a.distanceFromSun = separation(p->longitude, sun->longitude);
    a.orientalOfSun = oriental(p->longitude, sun->longitude);
    if (a.distanceFromSun <= 17.0 / 60)
      a.solarPhase = SolarPhase::Cazimi;
    else if (a.distanceFromSun <= 8.5)
      a.solarPhase = SolarPhase::Combust;
    else if (a.distanceFromSun <= 15)
      a.solarPhase = SolarPhase::UnderTheBeams;
  }
  return a;
}

std::array<double, kLots> lotLongitudes(double asc, const std::array<double, kPlanets>& p,
                                        bool day) {
  // By day from the first named to the second, cast from the Ascendant; by night reversed.
  auto lot = [&](double from, double to) {
    return normalized(day ? asc + to - from : asc + from - to);
  };
  std::array<double, kLots> l{};
  l[kFortune] = lot(p[kSun], p[kMoon]);
  l[kSpirit] = lot(p[kMoon], p[kSun]);
  l[kEros] = lot(l[kSpirit], p[kVenus]);
  l[kNecessity] = lot(p[kMercury], l[kFortune]);
  l[kCourage] = lot(p[kMars], l[kFortune]);
  l[kVictory] = lot(l[kSpirit], p[kJupiter]);
  l[kNemesis] = lot(p[kSaturn], l[kFortune]);
  return l;
}

double antiscion(double longitude) { return normalized(180.0 - longitude); }
double contraAntiscion(double longitude) { return normalized(360.0 - longitude); }

double declination(double longitude, double latitude, double obliquity) {
  const double l = longitude * kRadian, b = latitude * kRadian, e = obliquity * kRadian;
  const double s = std::sin(b) * std::cos(e) + std::cos(b) * std::sin(e) * std::sin(l);
  return std::asin(std::clamp(s, -1.0, 1.0)) / kRadian;
}

std::optional<Syzygy> syzygyBefore(double jd, double latitude, double longitude,
                                   natal::Ephemeris& eph) {
  std::optional<natal::BodyPosition> sun, moon;
  auto elongation = [&](double t) -> std::optional<double> {
    sun = eph.body(t, kSun), moon = eph.body(t, kMoon);
    if (!sun || !moon) return std::nullopt;
    return normalized(moon->longitude - sun->longitude);
  };
  const auto atBirth = elongation(jd);
  if (!atBirth) return std::nullopt;
  Syzygy z;
  z.full = *atBirth >= 180;
  const double target = z.full ? 180 : 0;
  // How far the Moon is past the syzygy sought: above 0 after it, below 0 before it.
  auto past = [&](double t) -> std::optional<double> {
    const auto e = elongation(t);
    if (!e) return std::nullopt;
    return normalized(*e - target + 180) - 180;
  };
  // Newton's steps on the elongation, with the Moon's and the Sun's own speeds: five or six
  // from the birth to a hundredth of a second, where halving half days took a hundred
  // positions (half the tool's time for the whole traditional chart).
  double at = jd;
  bool found = false;
  for (int step = 0; step < 30 && !found; ++step) {
    const auto p = past(at);
    if (!p) return std::nullopt;
    const double rate = moon->speed - sun->speed;
    if (rate < 1) return std::nullopt;  // the Moon always gains 10° a day or more
    const double next = at - *p / rate;
    found = std::abs(next - at) < 1e-7;
    at = next;
  }
  // The Moon's steady gain leaves no other root behind the birth within a lunation.
  if (!found || at > jd + 1e-6 || at < jd - 32) return std::nullopt;
  const double hi = std::min(at, jd);
  if (!elongation(hi)) return std::nullopt;
  z.julianDayUt = hi;
  z.sun = sun->longitude, z.moon = moon->longitude;
  z.light = kMoon;
  z.longitude = z.moon;
  if (z.full && eph.altitude(hi, latitude, longitude, sun->longitude, sun->latitude) >
                    eph.altitude(hi, latitude, longitude, moon->longitude, moon->latitude)) {
    z.light = kSun;
    z.longitude = z.sun;
  }
  return z;
}

Almuten almutenOf(const std::array<double, 5>& places, bool day, Bounds table) {
  Almuten a;
  a.places = places;
  for (std::size_t i = 0; i < places.size(); ++i) {
    const DignityRulers r = dignityRulersAt(places[i], table);
    auto& points = a.points[i];
    points[r.domicile] += 5;
    if (r.exaltation != kNone) points[r.exaltation] += 4;
    points[day ? r.triplicity.day : r.triplicity.night] += 3;
    points[r.bound] += 2;
    points[r.face] += 1;
    for (int p = 0; p < kPlanets; ++p) a.total[p] += points[p];
  }
  const int best = *std::max_element(a.total.begin(), a.total.end());
  for (int p = 0; p < kPlanets; ++p)
    if (a.total[p] == best) a.winners.push_back(p);
  return a;
}

const std::vector<FixedStar>& fixedStars() {
  // By magnitude, brightest first, as the star file gives it. Ptolemy's natures by the
  // star's figure: Sirius in the Dog's mouth, Betelgeuse and Bellatrix on Orion's shoulders,
  // Rigel and the belt among his other bright stars, Achernar as the River's last, Alhena in
  // the Twins' feet, Sargas in the Scorpion's joints, Shaula in its sting, Kaus Australis on
  // the Archer's bow. Algieba, in a part of the Lion his natures leave unclear, and the
  // southern stars below the Greek horizon (the Cross, the Peacock, the Crane, the Southern
  // Triangle, the keel of Argo beyond Canopus) have none.
  static const std::vector<FixedStar> stars = {
      {"Sirius", "Σείριος", ",alCMa", {kJupiter, kMars}, false, 104.0853, 1.37625},
      {"Canopus", "Κάνωπος", ",alCar", {kSaturn, kJupiter}, false, 104.9802, 1.37891},
      {"Rigil Kentaurus",
       "Ρίγκιλ Κενταύρου",
       ",alCen",
       {kVenus, kJupiter},
       false,
       239.4699,
       1.25511},
      {"Arcturus", "Αρκτούρος", ",alBoo", {kJupiter, kMars}, false, 204.2282, 1.39382},
      {"Vega", "Βέγας", ",alLyr", {kVenus, kMercury}, false, 285.3003, 1.40041},
      {"Capella", "Αίξ", ",alAur", {kMars, kMercury}, false, 81.8600, 1.39588},
      {"Rigel", "Ρίγκελ", ",beOri", {kJupiter, kSaturn}, false, 76.8319, 1.39611},
      {"Procyon", "Προκύων", ",alCMi", {kMercury, kMars}, false, 115.7875, 1.37786},
      {"Betelgeuse", "Μπετελγκέζ", ",alOri", {kMars, kMercury}, false, 88.7566, 1.39549},
      {"Achernar", "Αχερνάρ", ",alEri", {kJupiter, kNone}, false, 345.3026, 1.41866},
      {"Hadar", "Χαντάρ", ",beCen", {kVenus, kJupiter}, false, 233.7828, 1.38762},
      {"Altair", "Αλτάιρ", ",alAql", {kMars, kJupiter}, false, 301.7663, 1.40986},
      {"Acrux", "Άκρουξ", ",alCru", {kNone, kNone}, false, 221.8610, 1.38228},
      {"Aldebaran", "Λαμπαδίας", ",alTau", {kMars, kNone}, true, 69.7903, 1.39629},
      {"Antares", "Αντάρης", ",alSco", {kMars, kJupiter}, true, 249.7534, 1.39440},
      {"Spica", "Στάχυς", ",alVir", {kVenus, kMars}, false, 203.8361, 1.39368},
      {"Pollux", "Πολυδεύκης", ",beGem", {kMars, kNone}, false, 113.2175, 1.37863},
      {"Fomalhaut", "Φομαλχάουτ", ",alPsA", {kVenus, kMercury}, true, 333.8527, 1.40662},
      {"Deneb", "Ντένεμπ", ",alCyg", {kVenus, kMercury}, false, 335.3187, 1.37396},
      {"Mimosa", "Μιμόζα", ",beCru", {kNone, kNone}, false, 221.6376, 1.38364},
      {"Regulus", "Βασιλίσκος", ",alLeo", {kMars, kJupiter}, true, 149.8290, 1.38845},
      {"Adhara", "Αδάρα", ",epCMa", {kVenus, kNone}, false, 110.7681, 1.38791},
      {"Castor", "Κάστωρ", ",alGem", {kMercury, kNone}, false, 110.2421, 1.39125},
      {"Shaula", "Σαούλα", ",laSco", {kMercury, kMars}, false, 264.5761, 1.39470},
      {"Bellatrix", "Μπελάτριξ", ",gaOri", {kMars, kMercury}, false, 80.9483, 1.39496},
      {"Gacrux", "Γκάκρουξ", ",gaCru", {kNone, kNone}, false, 216.7320, 1.39150},
      {"Elnath", "Ελνάθ", ",beTau", {kMars, kNone}, false, 82.5766, 1.39525},
      {"Alnilam", "Αλνιλάμ", ",epOri", {kJupiter, kSaturn}, false, 83.4659, 1.39514},
      {"Miaplacidus", "Μιαπλάκιδος", ",beCar", {kNone, kNone}, false, 211.9580, 1.34932},
      {"Alnair", "Αλναΐρ", ",alGru", {kNone, kNone}, false, 315.8975, 1.40332},
      {"Alioth", "Αλιώθ", ",epUMa", {kMars, kNone}, false, 158.9348, 1.41656},
      {"Alnitak", "Αλνιτάκ", ",zeOri", {kJupiter, kSaturn}, false, 84.6836, 1.39507},
      {"Dubhe", "Ντούμπε", ",alUMa", {kMars, kNone}, false, 135.2009, 1.40298},
      {"Mirfak", "Μιρφάκ", ",alPer", {kJupiter, kSaturn}, false, 62.0823, 1.39253},
      {"Regor", "Ρέγκορ", ",ga-2Vel", {kNone, kNone}, false, 147.3549, 1.36991},
      {"Wezen", "Ουέζεν", ",deCMa", {kVenus, kNone}, false, 113.4007, 1.38772},
      {"Kaus Australis", "Κάους Αουστράλις", ",epSgr", {kJupiter, kMars}, false, 275.0688, 1.39412},
      {"Alkaid", "Αλκαΐντ", ",etUMa", {kMars, kNone}, false, 176.9316, 1.40888},
      {"Sargas", "Σάργκας", ",thSco", {kSaturn, kVenus}, false, 265.5896, 1.39514},
      {"Menkalinan", "Μενκαλινάν", ",beAur", {kMars, kMercury}, false, 89.9126, 1.39371},
      {"Peacock", "Ταώς", ",alPav", {kNone, kNone}, false, 293.8066, 1.39895},
      {"Atria", "Άτρια", ",alTrA", {kNone, kNone}, false, 260.8841, 1.39489},
      {"Alhena", "Αλχένα", ",gaGem", {kMercury, kVenus}, false, 99.1066, 1.39504},
      {"Alsephina", "Αλσεφίνα", ",deVel", {kNone, kNone}, false, 168.9495, 1.37043},
      {"Avior", "Αβιόρ", ",epCar", {kNone, kNone}, false, 173.1311, 1.34979},
      {"Alphard", "Άλφαρντ", ",alHya", {kSaturn, kVenus}, false, 147.2796, 1.38933},
      {"Mirzam", "Μιρζάμ", ",beCMa", {kVenus, kNone}, false, 97.1918, 1.39237},
      {"Algieba", "Αλγκιέμπα", ",ga-1Leo", {kNone, kNone}, false, 149.6154, 1.40601},
  };
  return stars;
}

double roughStarLongitude(const FixedStar& star, double julianDayUt) {
  const double t = (julianDayUt - 2451545.0) / 36525.0;
  return std::fmod(star.longitude2000 + star.perCentury * t + 0.000307 * t * t + 720.0, 360.0);
}

double roughStarError(double julianDayUt) {
  const double t = (julianDayUt - 2451545.0) / 36525.0;
  // Over −3000 … +3100 the rough longitude is within 0.75° of the library's (α Centauri's
  // proper motion the most of it; nutation 0.005°); beyond, there is no telling.
  if (t < -50 || t > 11) return 360;
  return 0.05 + 0.02 * std::abs(t);
}

std::optional<std::vector<StarPlace>> starsAt(double julianDayUt, natal::Ephemeris& ephemeris,
                                              const std::vector<double>& near, double within) {
  std::vector<StarPlace> places;
  const auto& stars = fixedStars();
  const double reach = within + roughStarError(julianDayUt);
  bool asked = false;
  for (std::size_t i = 0; i < stars.size(); ++i) {
    if (!near.empty() && reach < 180) {
      const double rough = roughStarLongitude(stars[i], julianDayUt);
      if (std::none_of(near.begin(), near.end(),
                       [&](double l) { return separation(l, rough) <= reach; }))
        continue;
    }
    asked = true;
    if (const auto at = ephemeris.star(julianDayUt, stars[i].designation))
      places.push_back({static_cast<int>(i), at->longitude, at->latitude, at->magnitude});
  }
  // None near, or none the file holds: whether there is a star file at all.
  if (places.empty() && (!asked || !ephemeris.star(julianDayUt, stars[0].designation)))
    return asked ? std::nullopt : std::optional(places);
  return places;
}

std::vector<StarContact> starContacts(const std::vector<StarPlace>& stars,
                                      const natal::NatalChart& chart) {
  std::vector<StarContact> contacts;
  for (const StarPlace& s : stars)
    for (const natal::PointPosition& p : chart.points) {
      const bool wide = p.index == natal::kSun || p.index == natal::kMoon ||
                        p.index == natal::kAscendant || p.index == natal::kMidheaven;
      const double orb = separation(s.longitude, p.longitude);
      if (orb <= (wide ? kWidestStarOrb : 1.0))
        contacts.push_back({s.star, p.index, orb, s.longitude, s.magnitude});
    }
  return contacts;
}

TraditionalChart traditionalChart(const natal::NatalChart& chart, double obliquity, Bounds table,
                                  std::optional<Syzygy> syzygy,
                                  std::optional<std::vector<StarPlace>> stars) {
  TraditionalChart t;
  t.bounds = table;
  t.obliquity = obliquity;
  t.sect = sectOf(chart);
  std::array<double, kPlanets> lon{};
  for (int p = 0; p < kPlanets; ++p) {
    const natal::PointPosition* at = chart.point(p);
    if (!at) continue;
    lon[p] = at->longitude;
    t.planets.push_back(p);
    t.dignities.push_back(dignitiesOf(p, at->longitude, t.sect, table));
    t.accidental.push_back(accidentalOf(chart, p));
  }
  const bool all = t.planets.size() == kPlanets;
  if (all) {
    t.receptions = receptionsOf(lon);
    t.dispositors = dispositorsOf(lon);
    t.dispositorsKnown = true;
  }
  if (chart.timeKnown) {
    t.ascendantRulers = dignityRulersAt(chart.ascendant, table);
    t.midheavenRulers = dignityRulersAt(chart.midheaven, table);
    if (all) {
      const auto lots = lotLongitudes(chart.ascendant, lon, t.sect.day);
      for (int i = 0; i < kLots; ++i) {
        LotPosition l;
        l.lot = i;
        l.longitude = lots[i];
        l.sign = signOf(lots[i]);
        l.wholeSignHouse = wholeSignHouse(lots[i], chart.ascendant);
        l.house = natal::houseOf(lots[i], chart.cusps);
        l.rulers = dignityRulersAt(lots[i], table);
        t.lots.push_back(l);
      }
    }
  }
  t.syzygy = syzygy;
  if (syzygy && !t.lots.empty())
    t.almuten = almutenOf(
        {lon[kSun], lon[kMoon], chart.ascendant, t.lots[kFortune].longitude, syzygy->longitude},
        t.sect.day, table);
  for (const natal::PointPosition& a : chart.points) {
    for (const natal::PointPosition& b : chart.points) {
      if (a.index == b.index) continue;
      const double anti = separation(antiscion(a.longitude), b.longitude);
      const double contra = separation(contraAntiscion(a.longitude), b.longitude);
      if (anti <= 1) t.antiscia.push_back({a.index, b.index, false, anti});
      if (contra <= 1) t.antiscia.push_back({a.index, b.index, true, contra});
    }
    const double dec = declination(a.longitude, a.latitude, obliquity);
    t.declinations.push_back({a.index, dec, std::abs(dec) > obliquity});
  }
  for (std::size_t i = 0; i < t.declinations.size(); ++i)
    for (std::size_t j = i + 1; j < t.declinations.size(); ++j) {
      const PointDeclination &a = t.declinations[i], &b = t.declinations[j];
      const double parallel = std::abs(a.declination - b.declination);
      const double contra = std::abs(a.declination + b.declination);
      if (parallel <= 1) t.parallels.push_back({a.point, b.point, false, parallel});
      if (contra <= 1) t.parallels.push_back({a.point, b.point, true, contra});
    }
  if (stars) t.starContacts = starContacts(*stars, chart);
  t.stars = std::move(stars);
  return t;
}

}  // namespace orvenda::traditional
