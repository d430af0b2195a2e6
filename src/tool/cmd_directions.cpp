// orvenda-chart directions: the chart's points carried forward by the solar arc or Naibod's
// rate, and the primary directions of the diurnal rotation, each dated in the life.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <nlohmann/json.hpp>

#include "console/text_width.h"
#include "cycles/progressions.h"
#include "natal/ephemeris.h"
#include "natal/names.h"
#include "places/fields.h"
#include "sheet/directions_report.h"
#include "sheet/reading.h"
#include "sheet/reading_texts.h"
#include "sheet/timelords_reading.h"
#include "timelords/directions.h"
#include "timelords/timelords.h"
#include "tool/calendar.h"
#include "tool/saved_chart.h"
#include "tool/time_options.h"
#include "traditional/traditional.h"

namespace orvenda::tool {
namespace {

namespace tl = timelords;

std::string when(long long seconds, const report::LocalClock& clock) {
  return universalText(clock(seconds), "%04d-%02u-%02u %02d:%02d");
}

long long secondsOf(double jd) { return std::llround((jd - 2440587.5) * 86400.0); }

// The aspect as a page writes it, in lower case: "square".
std::string aspectWord(int a) { return natal::aspectWord(a, false); }

// A promissor's or significator's name: a point of the chart or a lot; in Greek the
// tradition's words for the lots.
std::string directedName(int id, bool greek = false) {
  if (id >= tl::kLotId) {
    if (greek) return id == tl::kLotId ? "Κλήρος της Τύχης" : "Κλήρος του Δαίμονος";
    return std::string("Lot of ") + traditional::kLotNames[id - tl::kLotId];
  }
  return greek ? natal::pointWord(id, true) : natal::pointName(id, false);
}

// A number as the horoscope language writes it: a decimal comma in Greek.
std::string number(const char* form, double value, bool greek) {
  char buf[32];
  std::snprintf(buf, sizeof buf, form, value);
  if (greek)
    for (char* c = buf; *c; ++c)
      if (*c == '.') *c = ',';
  return buf;
}

// A direction as each form writes it: a line of the text, an object of the JSON, an event
// of the calendar, and for a planet to a significator by a Ptolemaic aspect, a direction to
// read.
struct DirectionOut {
  std::string line;
  nlohmann::json json;
  long long at = 0;  // universal seconds, the exact date
  std::string summary, description, what;
  std::optional<reading::DirectionRead> read;
};

// The directions found in the form asked: text, JSON (the head's fields and `listKey`), a
// calendar of their dates, or the reading of those in the period; to standard output or -o.
int written(Tool& t, const Options& o, const SavedChart& saved, const std::string& head,
            nlohmann::json json, const char* listKey, const std::vector<DirectionOut>& found) {
  const std::string name = shownName(saved.name);
  if (o.has("--reading")) {
    const bool greek = saved.horoscopeLanguage == 1;
    const reading::TextSet texts = reading::textSet(*t.files, greek);
    if (!reading::shippedFound(texts)) return noShippedTexts(t, greek);
    for (const std::string& n : reading::ownTextNotes(texts, false)) t.note(n);
    const auto sex = sexOption(t, o, "directions");
    if (!sex) return 2;
    std::vector<reading::DirectionRead> read;
    for (const DirectionOut& l : found)
      if (l.read) read.push_back(*l.read);
    const reading::Reading told = reading::directionsReading(read, texts, greek, *sex);
    for (const std::string& key : told.missing)
      t.note("[" + reading::displayKey(key) + "] has no text in this set");
    Output output(t, o);
    output.stream() << reading::readingText(told);
    return output.finish() ? 0 : 1;
  }
  std::unique_ptr<Calendar> calendar;
  if (o.has("--ics")) {
    std::string why;
    calendar = Calendar::open(why);
    if (!calendar) return t.fail("directions: " + why);
  }
  Output output(t, o);
  std::ostream& out = output.stream();
  if (calendar) {
    const Calendar::Frame frame = calendar->frame("-//Orvenda//orvenda-chart 1.2//EN");
    const bool greek = saved.horoscopeLanguage == 1;
    out << frame.head
        << folded("X-WR-CALNAME:" + escapedText((greek ? "Διευθύνσεις: " : "Directions: ") + name));
    const auto stamp = static_cast<long long>(std::time(nullptr));
    for (const DirectionOut& l : found) {
      CalendarEvent ev;
      ev.uid = eventUid(name + "|" + l.what, "direction");
      ev.stamp = stamp;
      ev.start = (l.at + 30) / 60 * 60;
      ev.summary = l.summary;
      ev.description = l.description;
      ev.categories = greek ? "Διεύθυνση" : "Direction";
      out << calendar->event(ev);
    }
    out << frame.tail;
  } else if (o.has("--json")) {
    nlohmann::json list = nlohmann::json::array();
    for (const DirectionOut& l : found) list.push_back(l.json);
    json[listKey] = list;
    out << json.dump(2) << "\n";
  } else {
    out << head;
    for (const DirectionOut& l : found) out << l.line;
  }
  return output.finish() ? 0 : 1;
}

// Primary directions over a life, or those dated in the period asked.
// The primary directions' options as given, or nothing with the reason said (status 2).
std::optional<tl::PrimaryOptions> primaryOptions(Tool& t, const Options& o) {
  tl::PrimaryOptions options;
  if (const std::string* k = o.value("--key")) {
    if (*k == "naibod")
      options.key = tl::Key::Naibod;
    else if (*k == "solar")
      options.key = tl::Key::SolarArc;
    else if (*k != "ptolemy")
      return t.usage("directions", "--key " + *k + ": ptolemy, naibod or solar"), std::nullopt;
  }
  if (const std::string* m = o.value("--method")) {
    if (*m == "regiomontanus")
      options.method = tl::Method::Regiomontanus;
    else if (*m != "placidus")
      return t.usage("directions", "--method " + *m + ": placidus or regiomontanus"), std::nullopt;
  }
  if (o.has("--zodiacal") && o.has("--mundane"))
    return t.usage("directions",
                   "--zodiacal and --mundane each give one kind alone; without either, both"),
           std::nullopt;
  options.zodiacal = !o.has("--mundane");
  options.mundane = !o.has("--zodiacal");
  options.latitude = o.has("--latitude");
  if (options.latitude && !options.zodiacal)
    return t.usage("directions",
                   "--latitude is for the zodiacal aspect points; a mundane direction always "
                   "takes the body with its latitude"),
           std::nullopt;
  return options;
}

// Every primary direction of the chart to 100 years. The birth time must be known.
std::vector<tl::PrimaryDirection> primaryFound(Tool& t, const SavedChart& saved,
                                               const natal::NatalChart& c,
                                               const tl::PrimaryOptions& options) {
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
  return tl::primaryDirections(c, promissors, significators, latitude, obliquity, options, eph);
}

// A direction of one of the seven planets to a significator by a Ptolemaic aspect, to read.
std::optional<reading::DirectionRead> readOf(const tl::PrimaryDirection& d,
                                             const report::LocalClock& clock) {
  if (d.promissor >= 7) return std::nullopt;
  return reading::DirectionRead{
      d.promissor, d.significator,
      d.aspect,    d.mundane ? reading::DirectionRead::kMundane : reading::DirectionRead::kZodiacal,
      d.converse,  clock(secondsOf(d.jd))};
}
std::optional<reading::DirectionRead> readOf(const tl::Direction& d, bool naibod,
                                             const report::LocalClock& clock) {
  const bool significator = d.natal == natal::kSun || d.natal == natal::kMoon ||
                            d.natal == natal::kAscendant || d.natal == natal::kMidheaven;
  if (d.directed >= 7 || d.aspect > 4 || !significator) return std::nullopt;
  return reading::DirectionRead{
      d.directed, d.natal,
      d.aspect,   naibod ? reading::DirectionRead::kNaibod : reading::DirectionRead::kSolarArc,
      false,      clock(secondsOf(d.exactJd))};
}

// Primary directions over a life, or those dated in the period asked.
int primaryDirections(Tool& t, const Options& o, const SavedChart& saved,
                      const natal::NatalChart& c, const std::string& zone,
                      const std::optional<Period>& period) {
  const auto chosen = primaryOptions(t, o);
  if (!chosen) return 2;
  const tl::PrimaryOptions& options = *chosen;
  if (!c.timeKnown)
    return t.fail("directions: primary directions need the birth time (the angles)");
  const auto found = primaryFound(t, saved, c, options);
  const report::LocalClock clock = clockOf(zone);
  const char* keyName = options.key == tl::Key::Ptolemy  ? "Ptolemy"
                        : options.key == tl::Key::Naibod ? "Naibod"
                                                         : "solar arc";
  const char* methodName = options.method == tl::Method::Placidus ? "Placidus" : "Regiomontanus";
  // The text and the calendar in the horoscope language; the JSON's words stay English.
  const bool g = saved.horoscopeLanguage == 1;
  const std::string kinds = !options.mundane ? (g ? "ζωδιακές" : "zodiacal")
                            : !options.zodiacal
                                ? (g ? "κοσμικές" : "mundane")
                                : (g ? "ζωδιακές και κοσμικές" : "zodiacal and mundane");
  const std::string keyWords = g ? (options.key == tl::Key::Ptolemy  ? "του Πτολεμαίου"
                                    : options.key == tl::Key::Naibod ? "του Naibod"
                                                                     : "του αληθινού ηλιακού τόξου")
                                 : std::string("of ") + keyName;
  std::string head =
      g ? "πρωτεύουσες διευθύνσεις " + shownName(saved.name) + ", " + kinds + " κατά " +
              methodName + (options.latitude ? ", με το πλάτος του υποσημαντή" : "") +
              ", με το κλειδί " + keyWords + (period ? "" : ", έως τα 100 έτη") + "\n"
        : "primary directions " + shownName(saved.name) + ", " + kinds + " by " + methodName +
              (options.latitude ? ", with latitude" : "") + ", the key " + keyWords +
              (period ? "" : ", to 100 years") + "\n";
  std::vector<DirectionOut> listed;
  for (const auto& d : found) {
    if (period && (secondsOf(d.jd) < period->from || secondsOf(d.jd) >= period->to)) continue;
    DirectionOut l;
    const char* side = d.aspect == 0 || d.aspect == 1 ? ""
                       : d.side > 0                   ? (g ? " (αριστερό)" : " (sinister)")
                                                      : (g ? " (δεξιό)" : " (dexter)");
    std::string promissor = directedName(d.promissor, g);
    if (d.aspect != 0) promissor.append(" ").append(natal::aspectWord(d.aspect, g)).append(side);
    const std::string date = when(secondsOf(d.jd), clock).substr(0, 10);
    const char* kind = d.mundane ? "mundane" : "zodiacal";
    const char* motion = d.converse ? "converse" : "direct";
    const std::string kindWord = g ? (d.mundane ? "κοσμική" : "ζωδιακή") : kind;
    const std::string motionWord = g ? (d.converse ? "αντίστροφη" : "ευθεία") : motion;
    l.json = {{"promissor", directedName(d.promissor)},
              {"aspect", aspectWord(d.aspect)},
              {"side", d.aspect <= 1 ? nlohmann::json()
                       : d.side > 0  ? "sinister"
                                     : "dexter"},
              {"significator", directedName(d.significator)},
              {"kind", kind},
              {"converse", d.converse},
              {"arc", d.arc},
              {"years", d.years},
              {"date", universalText(secondsOf(d.jd))}};
    const std::string arc = number("%7.3f", d.arc, g), age = number("%6.2f", d.years, g);
    l.line = "  " + padded(promissor, 36) + padded(kindWord, 9) + padded(motionWord, 11) +
             (g ? "→ " : "to ") + padded(directedName(d.significator, g), 21) +
             (g ? "τόξο " : "arc ") + arc + "°  " + (g ? "ηλικία " : "age ") + age + "  " + date +
             "\n";
    l.at = secondsOf(d.jd);
    l.summary = promissor + (g ? " → " : " to ") + directedName(d.significator, g) + ", " +
                kindWord + " " + motionWord;
    l.description = g ? "Πρωτεύουσα διεύθυνση κατά " + std::string(methodName) + ", με το κλειδί " +
                            keyWords + ". Τόξο " + number("%.3f", d.arc, g) + "°, ηλικία " +
                            number("%.2f", d.years, g) + "."
                      : "Primary direction by " + std::string(methodName) + ", the key " +
                            keyWords + ". Arc " + number("%.3f", d.arc, g) + "°, age " +
                            number("%.2f", d.years, g) + ".";
    l.what = std::string("primary|") + methodName + "|" + keyName + "|" +
             std::to_string(d.promissor) + "|" + std::to_string(d.aspect) + "|" +
             std::to_string(d.side) + "|" + std::to_string(d.significator) + "|" + kind + "|" +
             motion + (options.latitude ? "|latitude" : "");
    if (d.promissor < 7)
      l.read = reading::DirectionRead{
          d.promissor,
          d.significator,
          d.aspect,
          d.mundane ? reading::DirectionRead::kMundane : reading::DirectionRead::kZodiacal,
          d.converse,
          clock(secondsOf(d.jd))};
    listed.push_back(l);
  }
  if (listed.empty()) head += g ? "  καμία\n" : "  none\n";
  return written(t, o, saved, head,
                 {{"name", shownName(saved.name)},
                  {"method", options.method == tl::Method::Placidus ? "placidus" : "regiomontanus"},
                  {"latitude", options.latitude},
                  {"key", keyName}},
                 "primary", listed);
}

// The report: the primary directions of a life in a picture and a table, the solar arc
// directions of the period, the reading of both in the period; HTML or PDF, whole.
int directionsReport(Tool& t, const Options& o, const SavedChart& saved, const natal::NatalChart& c,
                     const std::string& zone, const Period& period) {
  const auto options = primaryOptions(t, o);
  if (!options) return 2;
  const bool greek = saved.horoscopeLanguage == 1;
  const reading::TextSet texts = reading::textSet(*t.files, greek);
  if (!reading::shippedFound(texts)) return noShippedTexts(t, greek);
  for (const std::string& n : reading::ownTextNotes(texts, false)) t.note(n);
  const auto sex = sexOption(t, o, "directions");
  if (!sex) return 2;
  report::Directions r;
  r.name = shownName(saved.name);
  r.birthLine = birthLine(saved.record, c.timeKnown, greek);
  r.zone = zone;
  r.local = clockOf(zone);
  r.greek = greek;
  r.birthJd = c.julianDayUt;
  r.nowJd = natal::julianDayOf(period.from);
  r.options = *options;
  if (c.timeKnown)
    r.primary = primaryFound(t, saved, c, *options);
  else
    t.note("the birth time is not known: the report has no primary directions (the angles)");
  r.naibod = o.has("--naibod");
  r.periodFrom = period.from, r.periodTo = period.to;
  r.solarArc = tl::directions(c, saved.config, natal::julianDayOf(period.from),
                              natal::julianDayOf(period.to), r.naibod, natal::swissEphemeris());
  // The reading of the period's directions, in the order of their dates.
  std::vector<reading::DirectionRead> read;
  for (const auto& d : r.primary)
    if (secondsOf(d.jd) >= period.from && secondsOf(d.jd) < period.to)
      if (const auto x = readOf(d, r.local)) read.push_back(*x);
  for (const auto& d : r.solarArc)
    if (const auto x = readOf(d, r.naibod, r.local)) read.push_back(*x);
  std::stable_sort(read.begin(), read.end(),
                   [](const reading::DirectionRead& a, const reading::DirectionRead& b) {
                     return a.localDate < b.localDate;
                   });
  const reading::Reading told = reading::directionsReading(read, texts, greek, *sex);
  for (const std::string& key : told.missing)
    t.note("[" + reading::displayKey(key) + "] has no text in this set");
  const std::string html = report::directionsReportHtml(r, told);
  if (const std::string* file = o.value("--html"); file && !writeWhole(t, *file, html)) return 1;
  if (const std::string* file = o.value("--pdf"); file && !writePdf(t, html, *file)) return 1;
  return 0;
}

}  // namespace

int cmdDirections(Tool& t, const Options& o) {
  const bool naibod = o.has("--naibod");
  const bool primary = o.has("--primary");
  const bool report = o.value("--html") || o.value("--pdf");
  if (primary && naibod)
    return t.usage("directions", "--naibod is the solar arc's rate; primary directions take --key");
  // --solar-arc names the default, for scripts that say which they mean.
  if (primary && o.has("--solar-arc"))
    return t.usage("directions", "--solar-arc and --primary are two kinds of direction; give one");
  if (o.value("--key") && !primary && !report)
    return t.usage("directions",
                   "--key turns a primary direction's arc into years; give --primary");
  if (int{o.has("--json")} + int{o.has("--ics")} + int{o.has("--reading")} +
          int{o.value("--html") != nullptr} + int{o.value("--pdf") != nullptr} >
      1)
    return t.usage("directions",
                   "--json, --ics, --reading, --html and --pdf are forms of their own; give one");
  if (report && o.value("-o"))
    return t.usage("directions", "--html and --pdf name their own file; -o is for the others");
  for (const char* f : {"--method", "--latitude", "--zodiacal", "--mundane"})
    if ((o.has(f) || o.value(f)) && !primary && !report)
      return t.usage("directions",
                     std::string(f) + " is for the primary directions; give --primary");
  if (o.value("--sex") && !o.has("--reading") && !report)
    return t.usage("directions",
                   "--sex chooses the reading's words; it goes with --reading, --html or --pdf");
  const auto zone = astrologerZone(t, o, "directions");
  if (!zone) return 2;
  int status = 0;
  // The solar arc's directions are of a period (the twelve months from today without one);
  // the primary directions of a life, or of the period given, or read for the twelve months.
  std::optional<Period> period;
  if (!primary || report || o.value("--from") || o.value("--to") || o.has("--reading")) {
    period = periodOption(t, o, *zone, "directions", status);
    if (!period) return status;
  }
  const auto saved = loadSavedChart(t, o, "directions", status);
  if (!saved) return status;
  const auto chart = chartOf(t, *saved);
  if (!chart) return 1;
  const natal::NatalChart& c = *chart;
  if (!c.point(natal::kSun))
    return t.fail(
        "directions: the Sun can't be computed for this birth (beyond the ephemeris's "
        "years), and the solar arc is its motion");
  if (report) return directionsReport(t, o, *saved, c, *zone, *period);
  if (primary) return primaryDirections(t, o, *saved, c, *zone, period);
  if (!c.timeKnown) t.note("the birth time is not known: the angles are not directed");
  natal::Ephemeris& eph = natal::swissEphemeris();
  // The directions of a life, from the birth to its 120th year: an arc of two centuries
  // directs no one.
  const double lifeEnd = c.julianDayUt + 120 * cycles::kTropicalYear;
  const double fromJd = std::max(natal::julianDayOf(period->from), c.julianDayUt),
               toJd = std::min(natal::julianDayOf(period->to), lifeEnd);
  if (natal::julianDayOf(period->from) < c.julianDayUt || natal::julianDayOf(period->to) > lifeEnd)
    t.note("only the directions from the birth to its 120th year are told");
  const std::vector<tl::Direction> found =
      fromJd < toJd ? tl::directions(c, saved->config, fromJd, toJd, naibod, eph)
                    : std::vector<tl::Direction>{};
  const std::string name = shownName(saved->name);
  const report::LocalClock clock = clockOf(*zone);
  const bool g = saved->horoscopeLanguage == 1;
  const char* rate = g ? (naibod ? "τον ρυθμό του Naibod" : "το ηλιακό τόξο")
                       : (naibod ? "Naibod's rate" : "the solar arc");
  std::vector<DirectionOut> listed;
  char buf[64];
  for (const auto& d : found) {
    DirectionOut l;
    const double age = (d.exactJd - c.julianDayUt) / cycles::kTropicalYear;
    const long long arcSeconds = std::llround(d.arc * 3600);
    std::snprintf(buf, sizeof buf, "%3lld° %02lld′ %02lld″", arcSeconds / 3600,
                  arcSeconds / 60 % 60, arcSeconds % 60);
    const std::string arc = buf;
    const std::string exact = when(secondsOf(d.exactJd), clock).substr(0, 10);
    const std::string within = when(secondsOf(d.fromJd), clock).substr(0, 10) + " – " +
                               when(secondsOf(d.toJd), clock).substr(0, 10);
    const std::string directed = directedName(d.directed, g), natalPoint = directedName(d.natal, g);
    l.line = g ? "  " + padded(directed + " (διευθ.)", 24) +
                     padded(natal::aspectWord(d.aspect, true), 19) +
                     padded("γεν. " + natalPoint, 22) + "ακριβής " + exact + "  τόξο " + arc +
                     "  ηλικία " + number("%5.2f", age, true) + "  εντός 1° " + within + "\n"
               : "  " + padded("directed " + directed, 24) +
                     padded(natal::aspectName(d.aspect, false), 16) +
                     padded("natal " + natalPoint, 22) + "exact " + exact + "  arc " + arc +
                     "  age " + number("%5.2f", age, false) + "  within 1° " + within + "\n";
    l.json = {{"directed", natal::pointName(d.directed, false)},
              {"aspect", natal::aspectName(d.aspect, false)},
              {"natal", natal::pointName(d.natal, false)},
              {"arc", d.arc},
              {"exact", universalText(secondsOf(d.exactJd))},
              {"from", universalText(secondsOf(d.fromJd))},
              {"to", universalText(secondsOf(d.toJd))},
              {"age", age}};
    l.at = secondsOf(d.exactJd);
    const std::string arcText = arc.substr(arc.find_first_not_of(' '));
    if (g) {
      l.summary =
          directed + " (διευθ.) " + natal::aspectWord(d.aspect, true) + " γεν. " + natalPoint;
      l.description = "Κατά " + std::string(rate) + ": τόξο " + arcText + ", ηλικία " +
                      number("%.2f", age, true) + ".\nΕντός 1° τόξου " + within + " (" + *zone +
                      ").";
    } else {
      l.summary = "Directed " + directed + " " + aspectWord(d.aspect) + " natal " + natalPoint;
      l.description = std::string("By ") + rate + ": arc " + arcText + ", age " +
                      number("%.2f", age, false) + ".\nWithin 1° of arc " + within + " (" + *zone +
                      ").";
    }
    l.what = std::string(naibod ? "naibod" : "solar") + "|" + std::to_string(d.directed) + "|" +
             std::to_string(d.aspect) + "|" + std::to_string(d.natal) + "|" + exact;
    l.read = readOf(d, naibod, clock);
    listed.push_back(l);
  }
  std::string head = (g ? "διευθύνσεις " + name + " κατά " : "directions " + name + " by ") + rate +
                     ", " + when(period->from, clock) + " – " + when(period->to, clock) + " (" +
                     *zone + ")\n";
  if (found.empty()) head += g ? "  καμία ακριβής στην περίοδο\n" : "  none exact in the period\n";
  return written(t, o, *saved, head, {{"name", name}, {"key", naibod ? "naibod" : "solar arc"}},
                 "directions", listed);
}

}  // namespace orvenda::tool
