// orvenda-chart directions: the chart's points carried forward by the solar arc or Naibod's
// rate, and the primary directions of the diurnal rotation, each dated in the life.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "console/text_width.h"
#include "cycles/progressions.h"
#include "natal/ephemeris.h"
#include "natal/names.h"
#include "places/fields.h"
#include "sheet/reading.h"
#include "sheet/reading_texts.h"
#include "sheet/timelords_reading.h"
#include "timelords/directions.h"
#include "timelords/timelords.h"
#include "tool/saved_chart.h"
#include "tool/time_options.h"
#include "traditional/traditional.h"

namespace orvenda::tool {
namespace {

std::string when(long long seconds, const report::LocalClock& clock) {
  return universalText(clock(seconds), "%04d-%02u-%02u %02d:%02d");
}

}  // namespace
}  // namespace orvenda::tool

namespace orvenda::tool {

namespace {

// The aspect as a page writes it, in lower case: "square".
std::string aspectWord(int a) { return natal::aspectWord(a, false); }

// A promissor's or significator's name: a point of the chart or a lot.
std::string directedName(int id) {
  if (id >= timelords::kLotId)
    return std::string("Lot of ") + traditional::kLotNames[id - timelords::kLotId];
  return natal::pointName(id, false);
}

// Primary directions over a life, or those dated in the period asked.
int primaryDirections(Tool& t, const Options& o, const SavedChart& saved,
                      const natal::NatalChart& c, const std::string& zone) {
  namespace tl = timelords;
  tl::PrimaryOptions options;
  if (const std::string* k = o.value("--key")) {
    if (*k == "naibod")
      options.key = tl::Key::Naibod;
    else if (*k == "solar")
      options.key = tl::Key::SolarArc;
    else if (*k != "ptolemy")
      return t.usage("directions", "--key " + *k + ": ptolemy, naibod or solar");
  }
  if (const std::string* m = o.value("--method")) {
    if (*m == "regiomontanus")
      options.method = tl::Method::Regiomontanus;
    else if (*m != "placidus")
      return t.usage("directions", "--method " + *m + ": placidus or regiomontanus");
  }
  if (o.has("--zodiacal") && o.has("--mundane"))
    return t.usage("directions",
                   "--zodiacal and --mundane each give one kind alone; without either, both");
  options.zodiacal = !o.has("--mundane");
  options.mundane = !o.has("--zodiacal");
  options.latitude = o.has("--latitude");
  if (options.latitude && !options.zodiacal)
    return t.usage("directions",
                   "--latitude is for the zodiacal aspect points; a mundane direction always "
                   "takes the body with its latitude");
  if (!c.timeKnown)
    return t.fail("directions: primary directions need the birth time (the angles)");
  int status = 0;
  std::optional<Period> period;
  if (o.value("--from") || o.value("--to")) {
    period = periodOption(t, o, zone, "directions", status);
    if (!period) return status;
  }
  natal::Ephemeris& eph = natal::swissEphemeris();
  const double obliquity = eph.obliquity(c.julianDayUt);
  const double latitude = natal::recordLatitude(saved.record);
  if (std::fabs(latitude) >= 90 - obliquity && options.method == tl::Method::Placidus)
    t.note(
        "beyond the polar circle some degrees never rise or set: they have no semi-arcs, "
        "and only their directions to the meridian are given");
  // The promissors: the planets and the Node, and the sect's two lots; the significators:
  // the lights and the Lot of Fortune beside the angles.
  std::vector<tl::DirectedPoint> promissors, significators;
  for (const natal::PointPosition& p : c.points)
    if (p.index <= 9 || p.index == natal::kNorthNode)
      promissors.push_back({p.index, p.longitude, p.latitude});
  for (const int s : {natal::kSun, natal::kMoon})
    if (const natal::PointPosition* p = c.point(s))
      significators.push_back({s, p->longitude, p->latitude});
  bool complete = true;
  for (int p = 0; p < 7; ++p) complete = complete && c.point(p) != nullptr;
  if (complete) {
    const traditional::TraditionalChart trad = traditional::traditionalChart(c, obliquity);
    if (!trad.lots.empty()) {
      for (const int lot : {traditional::kFortune, traditional::kSpirit})
        promissors.push_back({tl::kLotId + lot, trad.lots[lot].longitude, 0});
      significators.push_back(
          {tl::kLotId + traditional::kFortune, trad.lots[traditional::kFortune].longitude, 0});
    }
  }
  const auto found =
      tl::primaryDirections(c, promissors, significators, latitude, obliquity, options, eph);
  const report::LocalClock clock = clockOf(zone);
  const auto secondsOf = [](double jd) { return std::llround((jd - 2440587.5) * 86400.0); };
  const char* keyName = options.key == tl::Key::Ptolemy  ? "Ptolemy"
                        : options.key == tl::Key::Naibod ? "Naibod"
                                                         : "solar arc";
  const char* methodName = options.method == tl::Method::Placidus ? "Placidus" : "Regiomontanus";
  const std::string kinds = !options.mundane    ? "zodiacal"
                            : !options.zodiacal ? "mundane"
                                                : "zodiacal and mundane";
  nlohmann::json list = nlohmann::json::array();
  std::string s = "primary directions " + shownName(saved.name) + ", " + kinds + " by " +
                  methodName + (options.latitude ? ", with latitude" : "") + ", the key of " +
                  keyName + (period ? "" : ", to 100 years") + "\n";
  int n = 0;
  for (const auto& d : found) {
    if (period && (secondsOf(d.jd) < period->from || secondsOf(d.jd) >= period->to)) continue;
    ++n;
    const char* side = d.aspect == 0 || d.aspect == 1 ? ""
                       : d.side > 0                   ? " (sinister)"
                                                      : " (dexter)";
    std::string promissor = directedName(d.promissor);
    if (d.aspect != 0) promissor.append(" ").append(aspectWord(d.aspect)).append(side);
    list.push_back({{"promissor", directedName(d.promissor)},
                    {"aspect", aspectWord(d.aspect)},
                    {"side", d.aspect <= 1 ? nlohmann::json()
                             : d.side > 0  ? "sinister"
                                           : "dexter"},
                    {"significator", directedName(d.significator)},
                    {"kind", d.mundane ? "mundane" : "zodiacal"},
                    {"converse", d.converse},
                    {"arc", d.arc},
                    {"years", d.years},
                    {"date", universalText(secondsOf(d.jd))}});
    char buf[96];
    std::snprintf(buf, sizeof buf, "arc %7.3f°  age %6.2f  ", d.arc, d.years);
    s += "  " + padded(promissor, 36) + padded(d.mundane ? "mundane" : "zodiacal", 9) +
         padded(d.converse ? "converse" : "direct", 9) + "to " +
         padded(directedName(d.significator), 15) + buf +
         when(secondsOf(d.jd), clock).substr(0, 10) + "\n";
  }
  if (n == 0) s += "  none\n";
  if (o.has("--json")) {
    t.out << nlohmann::json{{"name", shownName(saved.name)},
                            {"method",
                             options.method == tl::Method::Placidus ? "placidus" : "regiomontanus"},
                            {"latitude", options.latitude},
                            {"key", keyName},
                            {"primary", list}}
                 .dump(2)
          << "\n";
    return 0;
  }
  t.out << s;
  return 0;
}

}  // namespace

int cmdDirections(Tool& t, const Options& o) {
  const bool naibod = o.has("--naibod");
  const bool primary = o.has("--primary");
  if (primary && naibod)
    return t.usage("directions", "--naibod is the solar arc's rate; primary directions take --key");
  if (o.value("--key") && !primary)
    return t.usage("directions",
                   "--key turns a primary direction's arc into years; give --primary");
  for (const char* f : {"--method", "--latitude", "--zodiacal", "--mundane"})
    if ((o.has(f) || o.value(f)) && !primary)
      return t.usage("directions",
                     std::string(f) + " is for the primary directions; give --primary");
  const auto zone = astrologerZone(t, o, "directions");
  if (!zone) return 2;
  const report::LocalClock clock = clockOf(*zone);
  int status = 0;
  if (primary) {
    const auto savedChart = loadSavedChart(t, o, "directions", status);
    if (!savedChart) return status;
    const auto natalChart = chartOf(t, *savedChart);
    if (!natalChart) return 1;
    if (!natalChart->point(natal::kSun))
      return t.fail(
          "directions: the Sun can't be computed for this birth (beyond the "
          "ephemeris's years)");
    return primaryDirections(t, o, *savedChart, *natalChart, *zone);
  }
  const auto period = periodOption(t, o, *zone, "directions", status);
  if (!period) return status;
  const auto saved = loadSavedChart(t, o, "directions", status);
  if (!saved) return status;
  const auto chart = chartOf(t, *saved);
  if (!chart) return 1;
  const natal::NatalChart& c = *chart;
  if (!c.point(natal::kSun))
    return t.fail(
        "directions: the Sun can't be computed for this birth (beyond the ephemeris's "
        "years), and the solar arc is its motion");
  if (!c.timeKnown) t.note("the birth time is not known: the angles are not directed");
  natal::Ephemeris& eph = natal::swissEphemeris();
  const double fromJd = natal::julianDayOf(period->from), toJd = natal::julianDayOf(period->to);
  const auto found = timelords::directions(c, saved->config, fromJd, toJd, naibod, eph);
  const std::string name = shownName(saved->name);
  const auto secondsOf = [](double jd) { return std::llround((jd - 2440587.5) * 86400.0); };
  if (o.has("--json")) {
    nlohmann::json list = nlohmann::json::array();
    for (const auto& d : found)
      list.push_back({{"directed", natal::pointName(d.directed, false)},
                      {"aspect", natal::aspectName(d.aspect, false)},
                      {"natal", natal::pointName(d.natal, false)},
                      {"arc", d.arc},
                      {"exact", universalText(secondsOf(d.exactJd))},
                      {"from", universalText(secondsOf(d.fromJd))},
                      {"to", universalText(secondsOf(d.toJd))},
                      {"age", (d.exactJd - c.julianDayUt) / cycles::kTropicalYear}});
    t.out << nlohmann::json{{"name", name},
                            {"key", naibod ? "naibod" : "solar arc"},
                            {"directions", list}}
                 .dump(2)
          << "\n";
    return 0;
  }
  std::string s = "directions " + name + " by " + (naibod ? "Naibod's rate" : "the solar arc") +
                  ", " + when(period->from, clock) + " – " + when(period->to, clock) + " (" +
                  *zone + ")\n";
  if (found.empty()) s += "  none exact in the period\n";
  char buf[64];
  for (const auto& d : found) {
    const long long arcSeconds = std::llround(d.arc * 3600);
    std::snprintf(buf, sizeof buf, "arc %3lld° %02lld′ %02lld″  age %5.2f", arcSeconds / 3600,
                  arcSeconds / 60 % 60, arcSeconds % 60,
                  (d.exactJd - c.julianDayUt) / cycles::kTropicalYear);
    s += "  " + padded("directed " + natal::pointName(d.directed, false), 24) +
         padded(natal::aspectName(d.aspect, false), 16) +
         padded("natal " + natal::pointName(d.natal, false), 22) + "exact " +
         when(secondsOf(d.exactJd), clock).substr(0, 10) + "  " + buf + "  within 1° " +
         when(secondsOf(d.fromJd), clock).substr(0, 10) + " – " +
         when(secondsOf(d.toJd), clock).substr(0, 10) + "\n";
  }
  t.out << s;
  return 0;
}

}  // namespace orvenda::tool
