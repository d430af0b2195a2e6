// The chart's rules over the ephemeris: time from the record, houses, the points of the
// planet table, aspects with the configured orbs, borderline cases and rulers.
#include "natal/natal_chart.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "natal/ephemeris.h"

namespace orvenda::natal {
namespace {

const std::vector<HouseSystemName> kHouseSystems = {
    {"placidus", 'P', "Placidus"},
    {"koch", 'K', "Koch"},
    {"porphyry", 'O', "Porphyry"},
    {"regiomontanus", 'R', "Regiomontanus"},
    {"campanus", 'C', "Campanus"},
    {"equal", 'A', "Equal"},
    {"equal-mc", 'D', "Equal from the Midheaven"},
    {"equal-aries", 'N', "Equal from 0° Aries"},
    {"vehlow", 'V', "Vehlow equal"},
    {"whole-sign", 'W', "Whole sign"},
    {"alcabitius", 'B', "Alcabitius"},
    {"morinus", 'M', "Morinus"},
    {"topocentric", 'T', "Topocentric (Polich/Page)"},
    {"meridian", 'X', "Meridian (axial rotation)"},
    {"horizontal", 'H', "Horizontal (azimuth)"},
    {"carter", 'F', "Carter poli-equatorial"},
    {"krusinski", 'U', "Krusinski-Pisa-Goelzer"},
    {"pullen-sd", 'L', "Pullen sinusoidal delta"},
    {"pullen-sr", 'Q', "Pullen sinusoidal ratio"},
    {"sripati", 'S', "Sripati"},
    {"sunshine", 'I', "Sunshine"},
    {"apc", 'Y', "APC"},
};

// Rulers of the signs, by the planet table's indices.
constexpr int kTraditional[12] = {4, 3, 2, 1, 0, 2, 3, 4, 5, 6, 6, 5};
constexpr int kModern[12] = {4, 3, 2, 1, 0, 2, 3, 9, 5, 6, 7, 8};

bool inRange(std::int32_t v, std::int32_t lo, std::int32_t hi) { return v >= lo && v <= hi; }

// The record's fields hold what the program's editor can give them; anything else is a
// damaged chart whose meaning nobody can know.
bool sound(const BirthRecord& r) {
  return inRange(r.hour, 0, 23) && inRange(r.minute, 0, 59) && inRange(r.second, 0, 59) &&
         inRange(r.gmtMinutes, 0, 59) &&
         std::llabs(r.gmtHours * 60LL + r.gmtMinutes) <= kMaxOffsetMinutes &&
         inRange(r.lonDegrees, -180, 180) && inRange(r.lonMinutes, 0, 59) &&
         inRange(r.lonSeconds, 0, 59) && inRange(r.latDegrees, -90, 90) &&
         inRange(r.latMinutes, 0, 59) && inRange(r.latSeconds, 0, 59) &&
         std::abs(r.lonDegrees) * 3600 + r.lonMinutes * 60 + r.lonSeconds <= 180 * 3600 &&
         std::abs(r.latDegrees) * 3600 + r.latMinutes * 60 + r.latSeconds <= 90 * 3600;
}

// The sign is on the degrees alone: −0° cannot be written, so −0 30′ reads as east.
double angle(std::int32_t d, std::int32_t m, std::int32_t s) {
  const double magnitude = std::abs(d) + m / 60.0 + s / 3600.0;
  return d < 0 ? -magnitude : magnitude;
}

// How fast the separation of two points changes, in degrees a day.
double separationRate(const PointPosition& a, const PointPosition& b) {
  double d = b.longitude - a.longitude;
  d = std::remainder(d, 360.0);  // −180..180
  const double relative = b.speed - a.speed;
  return d < 0 ? -relative : relative;
}

}  // namespace

std::optional<std::string> readChartConfig(SettingsStore& store, ChartConfig& c) {
  if (!store.readAspects(c.aspects)) return std::string("settings\\natasp, settings\\naaspset");
  if (!store.readPlanets(c.planets)) return std::string("settings\\natpl, settings\\naplch");
  const std::pair<IntSetting, std::int32_t*> ints[] = {
      {IntSetting::Metaixmio, &c.borderlineDegrees},
      {IntSetting::Zodcyber, &c.zodiacRulersAlways},
      {IntSetting::Borderinter, &c.borderlineInterpretation},
      {IntSetting::Chrul, &c.changeRulers}};
  for (const auto& [setting, value] : ints)
    if (!store.read(setting, *value)) return std::string(fileOf(setting));
  return std::nullopt;
}

const std::vector<HouseSystemName>& houseSystems() { return kHouseSystems; }

const HouseSystemName* houseSystemByName(const std::string& name) {
  for (const auto& h : kHouseSystems)
    if (name == h.name) return &h;
  return nullptr;
}

const HouseSystemName& houseSystemByCode(char code) {
  for (const auto& h : kHouseSystems)
    if (h.code == code) return h;
  return kHouseSystems.front();
}

const PointPosition* NatalChart::point(int index) const {
  for (const auto& p : points)
    if (p.index == index) return &p;
  return nullptr;
}

double normalized(double d) {
  d = std::fmod(d, 360.0);
  if (d < 0) d += 360.0;
  return d >= 360.0 ? 0.0 : d;
}

double separation(double a, double b) { return std::fabs(std::remainder(a - b, 360.0)); }

int houseOf(double longitude, const std::array<double, 12>& cusps) {
  int nearest = 1;
  double nearestOffset = 360;
  for (int i = 0; i < 12; ++i) {
    const double offset = normalized(longitude - cusps[i]);
    const double span = normalized(cusps[(i + 1) % 12] - cusps[i]);
    if (offset < span) return i + 1;
    if (offset < nearestOffset) nearestOffset = offset, nearest = i + 1;
  }
  return nearest;
}

double partOfFortune(double ascendant, double sun, double moon, bool byDay) {
  return byDay ? normalized(ascendant + moon - sun) : normalized(ascendant + sun - moon);
}

long long arcSecondsOf(double longitude) {
  const long long s = static_cast<long long>(std::floor(normalized(longitude) * 3600.0));
  return std::clamp(s, 0LL, 360LL * 3600 - 1);
}

int signOf(double longitude) { return static_cast<int>(arcSecondsOf(longitude) / (30 * 3600)); }

std::optional<AspectFound> findAspect(const PointPosition& a, const PointPosition& b,
                                      const ChartConfig& config) {
  const double mean = (config.planets.values[a.index] + config.planets.values[b.index]) / 2;
  const double sep = separation(a.longitude, b.longitude);
  std::optional<AspectFound> best;
  for (int k = 0; k < kAspects; ++k) {
    if (config.aspects.enabled[k] != 1) continue;
    const double orb = std::min(config.aspects.orbs[k], mean);
    if (!(orb >= 0)) continue;  // a negative orb, or a file holding no number
    const double deviation = sep - kAspectAngles[k];
    if (!(std::fabs(deviation) <= orb)) continue;
    if (best && std::fabs(best->deviation) <= std::fabs(deviation)) continue;
    best = AspectFound{a.index, b.index, k, sep, deviation, false};
  }
  if (best) {
    // Applying while the distance to the exact angle shrinks; exact counts as separating.
    const double rate = separationRate(a, b);
    best->applying = best->deviation > 0 ? rate < 0 : best->deviation < 0 && rate > 0;
  }
  return best;
}

double armcOfMidheaven(double midheaven, double obliquity) {
  const double m = midheaven * std::numbers::pi / 180, e = obliquity * std::numbers::pi / 180;
  return normalized(std::atan2(std::sin(m) * std::cos(e), std::cos(m)) * 180 / std::numbers::pi);
}

std::vector<AspectFound> crossAspects(const std::vector<PointPosition>& first,
                                      const std::vector<PointPosition>& second,
                                      const ChartConfig& config, std::optional<double> orb) {
  ChartConfig fixed;
  if (orb) {
    fixed.aspects = config.aspects;
    for (double& o : fixed.aspects.orbs) o = *orb;
    fixed.planets = config.planets;
    for (double& v : fixed.planets.values) v = *orb;
  }
  const ChartConfig& rule = orb ? fixed : config;
  std::vector<AspectFound> found;
  for (const PointPosition& a : first)
    for (const PointPosition& b : second)
      if (auto x = findAspect(a, b, rule)) {
        x->a = a.index;
        x->b = b.index;
        found.push_back(*x);
      }
  std::stable_sort(found.begin(), found.end(), [](const AspectFound& x, const AspectFound& y) {
    return std::fabs(x.deviation) < std::fabs(y.deviation);
  });
  return found;
}

std::vector<int> signRulers(int sign, std::int32_t changeRulers) {
  sign = ((sign % 12) + 12) % 12;
  const int traditional = kTraditional[sign], modern = kModern[sign];
  if (changeRulers == 1) return {modern};
  if (changeRulers == 2 && modern != traditional) return {traditional, modern};
  return {traditional};
}

double julianDayOf(long long universalSeconds) {
  return 2440587.5 + static_cast<double>(universalSeconds) / 86400.0;
}

double recordJulianDay(const BirthRecord& r) {
  using namespace std::chrono;
  const year_month_day date{year{std::clamp(r.year, -32767, 32767)},
                            month{static_cast<unsigned>(std::clamp(r.month, 0, 255))},
                            day{static_cast<unsigned>(std::clamp(r.day, 0, 255))}};
  const long long local = sys_seconds{sys_days{date}}.time_since_epoch().count() + r.hour * 3600LL +
                          r.minute * 60LL + r.second;
  const long long offset = r.gmtHours * 60LL + r.gmtMinutes;
  return (static_cast<double>(local) - static_cast<double>(offset) * 60.0) / 86400.0 + 2440587.5;
}

double recordLongitude(const BirthRecord& r) {
  return angle(r.lonDegrees, r.lonMinutes, r.lonSeconds);
}
double recordLatitude(const BirthRecord& r) {
  return angle(r.latDegrees, r.latMinutes, r.latSeconds);
}

ChartOutcome computeChart(const BirthRecord& r, const ChartConfig& config, char system,
                          Ephemeris& eph, bool timeKnown) {
  using namespace std::chrono;
  ChartOutcome out;
  const year_month_day date{year{std::clamp(r.year, -32767, 32767)},
                            month{static_cast<unsigned>(std::clamp(r.month, 0, 255))},
                            day{static_cast<unsigned>(std::clamp(r.day, 0, 255))}};
  if (!sound(r)) {
    out.refusal = ChartRefusal::DamagedRecord;
    return out;
  }
  if (!date.ok() || r.year < 1 || r.year > 9999) {
    out.refusal = ChartRefusal::NotADate;
    return out;
  }
  // Without a known time the planets are given for noon of the local day.
  const auto localMidnight = sys_days{date} - minutes{r.gmtHours * 60 + r.gmtMinutes};
  const auto ut = localMidnight + (timeKnown ? hours{r.hour} + minutes{r.minute} + seconds{r.second}
                                             : seconds{hours{12}});
  ChartMoment m;
  m.universalSeconds = ut.time_since_epoch().count();
  m.longitude = recordLongitude(r);
  m.latitude = recordLatitude(r);
  m.timeKnown = timeKnown;
  m.dayStartSeconds = sys_seconds{localMidnight}.time_since_epoch().count();
  out.chart = chartAt(m, config, system, eph);
  return out;
}

std::vector<std::string> missingFilesOf(const NatalChart& c, const std::vector<int>& points) {
  auto fileOf = [](int point) {
    return point == kMoon ? "semo" : point >= kChiron && point < kNorthNode ? "seas" : "sepl";
  };
  std::vector<std::string> out;
  for (const std::string& f : c.missingFiles)
    if (std::any_of(points.begin(), points.end(), [&](int p) { return f.starts_with(fileOf(p)); }))
      out.push_back(f);
  return out;
}

std::vector<int> analyticPoints(const NatalChart& c) {
  std::vector<int> out;
  for (const PointPosition& p : c.points)
    if (p.analytic) out.push_back(p.index);
  return out;
}

NatalChart chartAt(const ChartMoment& m, const ChartConfig& config, char system, Ephemeris& eph) {
  NatalChart c;
  const bool timeKnown = m.timeKnown;
  c.timeKnown = timeKnown;
  c.universalSeconds = m.universalSeconds;
  c.julianDayUt = julianDayOf(m.universalSeconds) + m.secondFraction / 86400.0;
  c.deltaTSeconds = eph.deltaTSeconds(c.julianDayUt);
  c.requestedSystem = system;

  const double lon = m.longitude;
  const double lat = m.latitude;
  HouseFrame h;
  if (timeKnown) {
    h = eph.houses(c.julianDayUt, lat, lon, system);
    c.houseSystem = h.system;
    c.housesFellBack = h.fellBack;
    c.cusps = h.cusps;
    c.ascendant = h.ascendant;
    c.midheaven = h.midheaven;
    c.localSiderealHours = h.armc / 15.0;
  }

  std::array<std::optional<BodyPosition>, kPoints> at;
  for (int i = 0; i < kBodies; ++i)
    if (config.planets.enabled[i] == 1 || i == kSun || i == kMoon)
      at[i] = eph.body(c.julianDayUt, i);
  // The ΔT the positions were computed with: the analytic ephemeris's where the Sun came
  // from it, as it does outside the files' years.
  if (at[kSun] && at[kSun]->analytic) c.deltaTSeconds = eph.analyticDeltaTSeconds(c.julianDayUt);
  if (at[kSun])
    c.sunAltitude = eph.altitude(c.julianDayUt, lat, lon, at[kSun]->longitude, at[kSun]->latitude);
  if (timeKnown) {
    at[kVertex] = BodyPosition{h.vertex, 0, h.vertexSpeed, false};
    at[kEastPoint] = BodyPosition{h.eastPoint, 0, h.eastPointSpeed, false};
    at[kAscendant] = BodyPosition{h.ascendant, 0, h.ascendantSpeed, false};
    at[kMidheaven] = BodyPosition{h.midheaven, 0, h.midheavenSpeed, false};
    if (at[kSun] && at[kMoon]) {
      const double sun = at[kSun]->longitude, moon = at[kMoon]->longitude;
      const bool day = c.sunAltitude > 0;
      const double speed = h.ascendantSpeed + (day ? at[kMoon]->speed - at[kSun]->speed
                                                   : at[kSun]->speed - at[kMoon]->speed);
      at[kPartOfFortune] =
          BodyPosition{partOfFortune(h.ascendant, sun, moon, day), 0, speed, false};
    }
  } else {
    const auto start = eph.body(julianDayOf(m.dayStartSeconds), kMoon);
    const auto end = eph.body(julianDayOf(m.dayStartSeconds + 86400), kMoon);
    if (start && end) {
      c.moonAtDayStart = start->longitude, c.moonAtDayEnd = end->longitude;
      c.moonRange = NatalChart::MoonRange::Day;
    }
  }

  const bool borderline = config.borderlineInterpretation == 1;
  c.borderlineWidth = borderline ? std::clamp(config.borderlineDegrees, 0, 15) : 0;
  for (int i = 0; i < kPoints; ++i) {
    if (config.planets.enabled[i] != 1) continue;
    if (!timeKnown && i >= kPartOfFortune) continue;  // these need the time of day
    if (!at[i]) {
      c.missing.push_back(i);
      continue;
    }
    PointPosition p;
    p.index = i;
    p.longitude = normalized(at[i]->longitude);
    p.latitude = at[i]->latitude;
    p.speed = at[i]->speed;
    p.retrograde = p.speed < 0;
    p.analytic = at[i]->analytic;
    c.analytic = c.analytic || p.analytic;
    p.house = timeKnown ? houseOf(p.longitude, c.cusps) : 0;
    if (borderline) {
      const double toSign = (signOf(p.longitude) + 1) * 30.0 - p.longitude;
      p.signBorder = toSign <= c.borderlineWidth;
      if (timeKnown)
        p.houseBorder = normalized(c.cusps[p.house % 12] - p.longitude) <= c.borderlineWidth;
    }
    c.points.push_back(p);
  }
  if (c.analytic || !c.missing.empty()) c.missingFiles = eph.missingFiles(c.julianDayUt);

  for (std::size_t i = 0; i < c.points.size(); ++i)
    for (std::size_t j = i + 1; j < c.points.size(); ++j)
      if (auto a = findAspect(c.points[i], c.points[j], config)) c.aspects.push_back(*a);

  if (!timeKnown && c.point(kMoon)) {
    // The Moon hour by hour through the local day, against each other point.
    std::vector<BodyPosition> hourly;
    for (int hour = 0; hour <= 24; ++hour)
      if (const auto moon = eph.body(julianDayOf(m.dayStartSeconds + hour * 3600LL), kMoon))
        hourly.push_back(*moon);
    const PointPosition& noon = *c.point(kMoon);
    for (const PointPosition& other : c.points) {
      if (other.index == kMoon) continue;
      const std::optional<AspectFound> atNoon = findAspect(noon, other, config);
      std::array<int, kAspects> held{};
      std::array<std::optional<AspectFound>, kAspects> best;
      for (const BodyPosition& hour : hourly) {
        PointPosition moon = noon;
        moon.longitude = normalized(hour.longitude);
        moon.speed = hour.speed;
        const auto a = findAspect(moon, other, config);
        if (!a) continue;
        const auto k = static_cast<std::size_t>(a->aspect);
        ++held[k];
        if (!best[k] || std::fabs(a->deviation) < std::fabs(best[k]->deviation)) best[k] = a;
      }
      for (std::size_t k = 0; k < held.size(); ++k) {
        if (held[k] == 0) continue;
        AspectFound a = atNoon && atNoon->aspect == static_cast<int>(k) ? *atNoon : *best[k];
        a.a = std::min<int>(kMoon, other.index);
        a.b = std::max<int>(kMoon, other.index);
        c.moonDayAspects.push_back({a, held[k] == static_cast<int>(hourly.size())});
      }
    }
  }

  if (timeKnown)
    for (int house = 0; house < 12; ++house) {
      c.rulers[house].ofCusp = signRulers(signOf(c.cusps[house]), config.changeRulers);
      if (config.zodiacRulersAlways == 1)
        c.rulers[house].ofNatural = signRulers(house, config.changeRulers);
    }
  return c;
}

}  // namespace orvenda::natal
