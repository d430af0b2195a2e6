// orvenda-chart sky: the lunations, eclipses and void-of-course stretches of a period, one
// line per moment under its month, alone or against a saved chart; the planetary hours of a
// day at a place (--hours); and orvenda-chart prenatal: the syzygy and the eclipses before
// a birth.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>
#include <nlohmann/json.hpp>

#include "config/settings_store.h"
#include "console/text_width.h"
#include "natal/ephemeris.h"
#include "natal/names.h"
#include "places/birth_place.h"
#include "places/fields.h"
#include "sheet/reading.h"
#include "sheet/reading_texts.h"
#include "sheet/sky_reading.h"
#include "sheet/sky_report.h"
#include "sky/sky.h"
#include "tool/calendar.h"
#include "tool/saved_chart.h"
#include "tool/time_options.h"

namespace orvenda::tool {
namespace {

using nlohmann::ordered_json;

long long secondsOf(double jd) { return std::llround((jd - 2440587.5) * 86400.0); }
// Seconds rounded to the nearest minute, before 1970 as after it.
long long toMinute(long long s) {
  const long long m = s + 30;
  return (m / 60 - (m % 60 < 0 ? 1 : 0)) * 60;
}

// "2027-03-08 11:29" in the zone, to the minute, rounded.
std::string when(double jd, const report::LocalClock& clock) {
  return universalText(toMinute(clock(secondsOf(jd))), "%04d-%02u-%02u %02d:%02d");
}
std::string utc(double jd) { return universalText(toMinute(secondsOf(jd))); }

// "17°35′ Pisces", «17°35′ Ιχθύες», to the minute (rounded, 29°59.6′ of a sign staying in
// it).
std::string degreeText(double longitude, bool greek = false) {
  return reading::skyDegree(longitude, greek);
}

const char* phaseName(sky::Phase p) {
  switch (p) {
    case sky::Phase::NewMoon: return "new moon";
    case sky::Phase::FirstQuarter: return "first quarter";
    case sky::Phase::FullMoon: return "full moon";
    case sky::Phase::LastQuarter: return "last quarter";
  }
  return "";
}

const char* kindName(sky::EclipseKind k) {
  switch (k) {
    case sky::EclipseKind::Total: return "total";
    case sky::EclipseKind::Annular: return "annular";
    case sky::EclipseKind::Hybrid: return "hybrid";
    case sky::EclipseKind::Partial: return "partial";
    case sky::EclipseKind::Penumbral: return "penumbral";
  }
  return "";
}

// The words of the text forms in the horoscope language; the JSON and the calendar's UIDs
// keep the English names above.
std::string phaseWord(sky::Phase p, bool greek) {
  if (!greek) return phaseName(p);
  constexpr const char* kGreek[4] = {"νέα σελήνη", "πρώτο τέταρτο", "πανσέληνος",
                                     "τελευταίο τέταρτο"};
  return kGreek[static_cast<int>(p)];
}
std::string eclipseWord(bool solar, bool greek) {
  return greek ? (solar ? "ηλιακή έκλειψη" : "σεληνιακή έκλειψη")
               : (solar ? "solar eclipse" : "lunar eclipse");
}
// A line's label, in a column as wide as the longest of its language's.
std::string label(const std::string& word, bool greek) { return padded(word, greek ? 19 : 16); }
// "0.9289", «0,9289».
std::string magnitudeText(double m, bool greek) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.4f", m);
  std::string s = buf;
  if (greek) std::replace(s.begin(), s.end(), '.', ',');
  return s;
}

const char* kMonths[12] = {"January", "February", "March",     "April",   "May",      "June",
                           "July",    "August",   "September", "October", "November", "December"};

// Where the sky is seen from: --place, or --lon and --lat.
struct Where {
  double longitude = 0, latitude = 0;
  std::string shown;
  bool byCoordinates = false;  // --lon and --lat, which a report writes in its language
};

// "40°42′51″ N, 74°00′21″ W", the latitude first as astrologers write a place; in Greek
// "40°42′51″ Β, 74°00′21″ Δ".
std::string coordinatesText(const Where& w, bool greek) {
  auto angle = [](double degrees, const char* plus, const char* minus) {
    const long long a = std::llround(std::fabs(degrees) * 3600);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%lld°%02lld′%02lld″ %s", a / 3600, a / 60 % 60, a % 60,
                  degrees < 0 ? minus : plus);
    return std::string(buf);
  };
  return angle(w.latitude, greek ? "Β" : "N", greek ? "Ν" : "S") + ", " +
         angle(w.longitude, greek ? "Α" : "E", greek ? "Δ" : "W");
}

std::optional<Where> whereOption(Tool& t, const Options& o, const char* command, int& status) {
  status = 2;
  const std::string *place = o.value("--place"), *lon = o.value("--lon"), *lat = o.value("--lat");
  if (place && (lon || lat))
    return t.usage(command, "give --place, or --lon and --lat, not both"), std::nullopt;
  if (!place && (lon != nullptr) != (lat != nullptr))
    return t.usage(command, "--lon and --lat go together"), std::nullopt;
  status = 0;
  if (!place && !lon) return std::nullopt;
  Where w;
  std::string why;
  if (place) {
    status = 1;
    const Atlas* atlas = t.loadAtlas();
    if (!atlas) return std::nullopt;
    const Place* p = onePlace(t, *atlas, *place, why);
    if (!p) return (why.empty() ? 0 : t.fail(why)), std::nullopt;
    w.longitude = p->longitude / 3600.0;
    w.latitude = p->latitude / 3600.0;
    // The place as people write it, "Athens, Attica, GR": the atlas's line is a table's.
    w.shown = std::string(p->name) + (p->region.empty() ? "" : ", " + std::string(p->region)) +
              ", " + std::string(p->country);
  } else {
    status = 2;
    const auto lo = parseAngle(*lon, true, why);
    if (!lo) return t.usage(command, "--lon " + *lon + ": " + why), std::nullopt;
    const auto la = parseAngle(*lat, false, why);
    if (!la) return t.usage(command, "--lat " + *lat + ": " + why), std::nullopt;
    w.longitude = *lo / 3600.0;
    w.latitude = *la / 3600.0;
    w.shown = formatDms(*lo, true) + " " + formatDms(*la, false);
    w.byCoordinates = true;
  }
  status = 0;
  return w;
}

// The natal points a lunation or an eclipse touches, as the text and the JSON give them.
std::string contactText(const sky::NatalContact& c, bool eclipse, bool greek = false) {
  std::string s;
  if (c.house) s += (greek ? "  οίκος " : "  house ") + std::to_string(c.house);
  for (const natal::AspectFound& a : c.aspects) {
    const long long m = std::llround(std::fabs(a.deviation) * 60);
    char orb[48];
    std::snprintf(orb, sizeof orb, " %lld°%02lld′", m / 60, m % 60);
    s += ", ";
    // In Greek by the aspects' marks, as the transits name theirs («Κρόνος □ Ήλιος»): a
    // word would want the point in a case of its own.
    if (eclipse && greek)
      s += (a.aspect == 0 ? "☌ " : "☍ ") + natal::pointWord(a.b, true) + orb;
    else if (eclipse)
      s += (a.aspect == 0 ? "on " : "opposite ") + natal::pointName(a.b, false) + orb;
    else if (greek)
      s += (a.aspect <= 8 ? natal::aspectMark(a.aspect) : natal::aspectWord(a.aspect, true)) + " " +
           natal::pointWord(a.b, true) + orb;
    else
      s += natal::aspectWord(a.aspect, false) + " " + natal::pointName(a.b, false) + orb;
  }
  return s;
}

ordered_json contactJson(const sky::NatalContact& c, bool eclipse) {
  ordered_json points = ordered_json::array();
  for (const natal::AspectFound& a : c.aspects)
    points.push_back({{"point", natal::pointName(a.b, false)},
                      {"aspect", eclipse ? (a.aspect == 0 ? "on" : "opposite")
                                         : natal::aspectWord(a.aspect, false)},
                      {"orb", std::fabs(a.deviation)}});
  return {{"house", c.house ? ordered_json(c.house) : ordered_json()}, {"points", points}};
}

// The horoscope language: the saved chart's, else the configuration's, as a new chart's.
bool horoscopeGreek(Tool& t, const std::optional<SavedChart>& saved) {
  if (saved) return saved->horoscopeLanguage == 1;
  std::int32_t language = 0;
  SettingsStore store(*t.files);
  return store.read(IntSetting::Langhor, language) && language == 1;
}

// One moment of the sky as each form writes it.
struct Moment {
  double jd = 0;  // its place in time: a lunation's or an eclipse's instant, a void's start
  std::string what, summary, description, uid;
  double end = 0;  // a stretch's end (the void Moon), else 0
  ordered_json json;
  int list = 0;  // 0 lunations, 1 eclipses, 2 void
};

int planetaryHours(Tool& t, const Options& o, const std::string& zone, const Where& where) {
  const bool greek = horoscopeGreek(t, std::nullopt);
  std::string why;
  const auto date = parseDate(*o.value("--hours"), why);
  if (!date) return t.usage("sky", "--hours " + *o.value("--hours") + ": " + why);
  const long long start = localMidnight(zone, *date);
  // The next civil date and the weekday (0 Sunday), by the calendar's own arithmetic.
  using namespace std::chrono;
  const sys_days today{year{date->year} / static_cast<unsigned>(date->month) /
                       static_cast<unsigned>(date->day)};
  const year_month_day tomorrow{today + days{1}};
  const CivilDate next{static_cast<int>(tomorrow.year()),
                       static_cast<int>(static_cast<unsigned>(tomorrow.month())),
                       static_cast<int>(static_cast<unsigned>(tomorrow.day()))};
  const int weekday = static_cast<int>(std::chrono::weekday{today}.c_encoding());
  const double from = natal::julianDayOf(start), to = natal::julianDayOf(localMidnight(zone, next));
  const sky::PlanetaryDay day = sky::planetaryDay(natal::swissEphemeris(), from, to, weekday,
                                                  where.latitude, where.longitude);
  const report::LocalClock clock = clockOf(zone);
  char head[32];
  std::snprintf(head, sizeof head, "%04d-%02d-%02d", date->year, date->month, date->day);
  if (!day.sunRisesAndSets)
    return t.fail("sky: the Sun does not both rise and set on " + std::string(head) + " at " +
                  where.shown +
                  " (beyond the polar circle): a day without a sunrise or a sunset has no "
                  "planetary hours");
  Output output(t, o);
  std::ostream& out = output.stream();
  if (o.has("--json")) {
    ordered_json hours = ordered_json::array();
    for (const sky::PlanetaryHour& h : day.hours)
      hours.push_back({{"from", utc(h.begins)},
                       {"to", utc(h.ends)},
                       {"ruler", natal::pointName(h.ruler, false)},
                       {"night", h.night}});
    ordered_json j = {{"date", head},
                      {"place", where.shown},
                      {"zone", zone},
                      {"day_ruler", natal::pointName(day.dayRuler, false)},
                      {"sunrise", utc(day.sunrise)},
                      {"sunset", utc(day.sunset)},
                      {"next_sunrise", utc(day.nextSunrise)},
                      {"hours", hours}};
    out << j.dump(2) << "\n";
  } else if (greek) {
    // The day's ruler in the genitive: «η ημέρα του Δία».
    constexpr const char* kOf[7] = {"του Ήλιου", "της Σελήνης", "του Ερμή",  "της Αφροδίτης",
                                    "του Άρη",   "του Δία",     "του Κρόνου"};
    out << "πλανητικές ώρες " << head << ", ημέρα " << kOf[day.dayRuler] << ", "
        << (where.byCoordinates ? coordinatesText(where, true) : where.shown) << " (" << zone
        << ")\n";
    out << "  ανατολή " << when(day.sunrise, clock).substr(11) << ", δύση "
        << when(day.sunset, clock).substr(11) << ", επόμενη ανατολή "
        << when(day.nextSunrise, clock).substr(11) << "\n";
    for (std::size_t k = 0; k < day.hours.size(); ++k) {
      const sky::PlanetaryHour& h = day.hours[k];
      char n[48];
      std::snprintf(n, sizeof n, " %2zu  ", k % 12 + 1);
      out << "  " << (h.night ? "νύχτα" : "ημέρα") << n << when(h.begins, clock).substr(11) << " – "
          << when(h.ends, clock).substr(11) << "  " << natal::pointWord(h.ruler, true) << "\n";
    }
  } else {
    out << "planetary hours " << head << ", " << natal::pointName(day.dayRuler, false) << "'s day, "
        << where.shown << " (" << zone << ")\n";
    out << "  sunrise " << when(day.sunrise, clock).substr(11) << ", sunset "
        << when(day.sunset, clock).substr(11) << ", next sunrise "
        << when(day.nextSunrise, clock).substr(11) << "\n";
    for (std::size_t k = 0; k < day.hours.size(); ++k) {
      const sky::PlanetaryHour& h = day.hours[k];
      char n[48];
      std::snprintf(n, sizeof n, "  %s %2zu  ", h.night ? "night" : "day  ", k % 12 + 1);
      out << n << when(h.begins, clock).substr(11) << " – " << when(h.ends, clock).substr(11)
          << "  " << natal::pointName(h.ruler, false) << "\n";
    }
  }
  return output.finish() ? 0 : 1;
}

// The reading of the period for a chart, or the report (with a chart or without): the
// whole period gathered first, since both are written whole.
int readOrReport(Tool& t, const Options& o, const std::string& zone,
                 const std::optional<Where>& where, const Period& period,
                 const std::optional<SavedChart>& saved,
                 const std::optional<natal::NatalChart>& chart, bool wantLunations,
                 bool wantEclipses, bool wantVoid) {
  const bool greek = horoscopeGreek(t, saved);
  std::optional<reading::TextSet> texts;
  std::int32_t sex = 0;
  if (chart) {
    texts = reading::textSet(*t.files, greek);
    if (!reading::shippedFound(*texts)) return noShippedTexts(t, greek);
    for (const std::string& n : reading::ownTextNotes(*texts, false)) t.note(n);
    const auto chosen = sexOption(t, o, "sky");
    if (!chosen) return 2;
    sex = *chosen;
  }
  natal::Ephemeris& eph = natal::swissEphemeris();
  const double from = natal::julianDayOf(period.from), to = natal::julianDayOf(period.to);
  const report::LocalClock clock = clockOf(zone);
  report::Sky r;
  r.name = saved ? shownName(saved->name) : "";
  if (saved && chart) r.birthLine = birthLine(saved->record, chart->timeKnown, greek);
  r.zone = zone;
  r.local = clock;
  r.greek = greek;
  r.periodFrom = period.from, r.periodTo = period.to;
  r.place = !where ? "" : where->byCoordinates ? coordinatesText(*where, greek) : where->shown;
  r.chart = chart ? &*chart : nullptr;
  r.lunationsAsked = wantLunations, r.eclipsesAsked = wantEclipses, r.voidAsked = wantVoid;
  bool complete = true;
  if (wantLunations)
    complete &= sky::lunations(eph, from, to, [&](const sky::Lunation& l) {
      r.lunations.push_back({l, chart ? sky::lunationContact(*chart, saved->config, l.longitude)
                                      : sky::NatalContact{}});
    });
  if (wantEclipses)
    for (const sky::Eclipse& e : sky::eclipses(eph, from, to)) {
      report::Sky::EclipseRow row{
          e, chart ? sky::eclipseContact(*chart, e.longitude) : sky::NatalContact{}, std::nullopt};
      if (where) row.seen = sky::seenFrom(eph, e, where->latitude, where->longitude);
      r.eclipses.push_back(row);
    }
  if (wantVoid)
    complete &=
        sky::voidOfCourse(eph, from, to + 3, o.has("--modern"), [&](const sky::VoidStretch& v) {
          if (v.begins < to && v.ends >= from) r.voids.push_back(v);
        });
  if (!complete)
    t.note(
        "the ephemeris could not give the Moon and the planets for part of the period: "
        "what lies there is not listed");
  reading::Reading told;
  if (chart) {
    reading::SkyRead read;
    read.timeKnown = chart->timeKnown;
    read.lunationsAsked = wantLunations, read.eclipsesAsked = wantEclipses;
    read.voidAsked = wantVoid;
    for (const auto& row : r.lunations)
      read.lunations.push_back({row.lunation.phase, row.lunation.longitude, row.contact.house,
                                clock(secondsOf(row.lunation.jd))});
    for (const auto& row : r.eclipses)
      read.eclipses.push_back({row.eclipse.solar, row.eclipse.at.kind, row.eclipse.longitude,
                               row.contact.house, row.contact.aspects,
                               clock(secondsOf(row.eclipse.at.maximum))});
    read.voidStretches = static_cast<int>(r.voids.size());
    for (const sky::VoidStretch& v : r.voids)
      if (v.ends - v.begins > 0 &&
          (read.longestTo == read.longestFrom ||
           secondsOf(v.ends) - secondsOf(v.begins) > read.longestTo - read.longestFrom)) {
        read.longestFrom = clock(secondsOf(v.begins));
        read.longestTo = clock(secondsOf(v.ends));
        read.longestSign = v.sign;
      }
    const sky::Prenatal p = sky::prenatal(eph, chart->julianDayUt);
    if (p.syzygy)
      read.prenatal = reading::LunationRead{p.syzygy->phase, p.syzygy->longitude, 0,
                                            clock(secondsOf(p.syzygy->jd))};
    told = reading::skyReading(read, *texts, greek, sex);
    for (const std::string& key : told.missing)
      t.note("[" + reading::displayKey(key) + "] has no text in this set");
  }
  if (o.has("--reading")) {
    Output output(t, o);
    output.stream() << reading::readingText(told);
    return output.finish() ? 0 : 1;
  }
  const std::string html = report::skyReportHtml(r, told);
  if (const std::string* file = o.value("--html"); file && !writeWhole(t, *file, html)) return 1;
  if (const std::string* file = o.value("--pdf"); file && !writePdf(t, html, *file)) return 1;
  return 0;
}

}  // namespace

int cmdSky(Tool& t, const Options& o) {
  const bool report = o.value("--html") || o.value("--pdf");
  if (int{o.has("--json")} + int{o.has("--ics")} + int{o.has("--reading")} +
          int{o.value("--html") != nullptr} + int{o.value("--pdf") != nullptr} >
      1)
    return t.usage("sky",
                   "--json, --ics, --reading, --html and --pdf are forms of their own; give one");
  if (report && o.value("-o"))
    return t.usage("sky", "--html and --pdf name their own file; -o is for the others");
  if (o.operands.size() > 1) return t.usage("sky", "one chart at most");
  if (o.has("--reading") && o.operands.empty())
    return t.usage("sky", "--reading reads the period for a chart; give its NAME");
  if (o.value("--sex") && o.operands.empty())
    return t.usage("sky", "--sex chooses the reading's words; without a chart there is no reading");
  if (o.value("--sex") && !o.has("--reading") && !report)
    return t.usage("sky",
                   "--sex chooses the reading's words; it goes with --reading, --html or --pdf");
  const auto zone = astrologerZone(t, o, "sky");
  if (!zone) return 2;
  int status = 0;
  const auto where = whereOption(t, o, "sky", status);
  if (status) return status;
  if (o.value("--hours")) {
    for (const char* f : {"--from", "--to"})
      if (o.value(f))
        return t.usage("sky", std::string("--hours gives one day; ") + f + " is for a period");
    if (o.has("--ics") || o.has("--reading") || report)
      return t.usage("sky", "--hours is written as text or --json");
    if (!where) return t.usage("sky", "--hours needs a place: --place PLACE, or --lon and --lat");
    return planetaryHours(t, o, *zone, *where);
  }
  if (o.has("--modern") && (o.has("--lunations") || o.has("--eclipses")) && !o.has("--void"))
    return t.usage("sky", "--modern counts Uranus to Pluto for the void Moon; give --void too");
  const bool any = o.has("--lunations") || o.has("--eclipses") || o.has("--void");
  const bool wantLunations = !any || o.has("--lunations"),
             wantEclipses = !any || o.has("--eclipses"), wantVoid = !any || o.has("--void");
  const auto period = periodOption(t, o, *zone, "sky", status);
  if (!period) return status;
  std::optional<SavedChart> saved;
  std::optional<natal::NatalChart> chart;
  if (!o.operands.empty()) {
    saved = loadSavedChart(t, o, "sky", status);
    if (!saved) return status;
    chart = chartOf(t, *saved);
    if (!chart) return 1;
    if (!chart->timeKnown) t.note("the birth time is not known: no natal houses");
  }
  if (o.has("--reading") || report)
    return readOrReport(t, o, *zone, where, *period, saved, chart, wantLunations, wantEclipses,
                        wantVoid);
  natal::Ephemeris& eph = natal::swissEphemeris();
  const double from = natal::julianDayOf(period->from), to = natal::julianDayOf(period->to);
  const report::LocalClock clock = clockOf(*zone);
  // The moments of a part of the period, a year at a time, so that a long period is
  // written as it is found, in constant memory.
  // Each moment's JSON object is made only for --json: the text and the calendar don't
  // read it.
  const bool asJson = o.has("--json");
  const bool greek = horoscopeGreek(t, saved);
  const std::string placeShown = !where                          ? ""
                                 : where->byCoordinates && greek ? coordinatesText(*where, true)
                                                                 : where->shown;
  auto gather = [&](double a, double b, std::vector<Moment>& moments) {
    bool complete = true;
    if (wantLunations)
      complete &= sky::lunations(eph, a, b, [&](const sky::Lunation& l) {
        Moment m;
        m.jd = l.jd;
        m.list = 0;
        const std::string deg = degreeText(l.longitude, greek);
        std::string line = label(phaseWord(l.phase, greek), greek) + deg;
        if (asJson)
          m.json = {{"at", utc(l.jd)},
                    {"phase", phaseName(l.phase)},
                    {"longitude", l.longitude},
                    {"degree", deg}};
        if (chart) {
          const sky::NatalContact c = sky::lunationContact(*chart, saved->config, l.longitude);
          line += contactText(c, false, greek);
          if (asJson) {
            const ordered_json contact = contactJson(c, false);
            for (auto it = contact.begin(); it != contact.end(); ++it)
              m.json[it.key()] = it.value();
          }
        }
        m.summary = natal::capitalised(phaseWord(l.phase, greek)) + " " + deg;
        m.description = line;
        m.what = line;
        m.uid = std::string(phaseName(l.phase)) + "|" + utc(l.jd);
        moments.push_back(m);
      });
    if (wantEclipses)
      for (const sky::Eclipse& e : sky::eclipses(eph, a, b)) {
        Moment m;
        m.jd = e.at.maximum;
        m.list = 1;
        const std::string deg = degreeText(e.longitude, greek);
        std::string line = label(eclipseWord(e.solar, greek), greek) + deg + "  " +
                           reading::eclipseKindWord(e.at.kind, greek) +
                           (greek ? ", μέγεθος " : ", magnitude ") +
                           magnitudeText(std::max(e.at.magnitude, 0.0), greek) +
                           (greek ? ", Σάρος " : ", Saros ") + std::to_string(e.at.saros) + "/" +
                           std::to_string(e.at.sarosMember);
        if (asJson)
          m.json = {{"at", utc(e.at.maximum)},     {"eclipse", e.solar ? "solar" : "lunar"},
                    {"kind", kindName(e.at.kind)}, {"magnitude", std::max(e.at.magnitude, 0.0)},
                    {"saros", e.at.saros},         {"saros_member", e.at.sarosMember},
                    {"longitude", e.longitude},    {"degree", deg}};
        if (chart) {
          const sky::NatalContact c = sky::eclipseContact(*chart, e.longitude);
          line += contactText(c, true, greek);
          if (asJson) {
            const ordered_json contact = contactJson(c, true);
            for (auto it = contact.begin(); it != contact.end(); ++it)
              m.json[it.key()] = it.value();
          }
        }
        if (where) {
          const sky::EclipseSeen s = sky::seenFrom(eph, e, where->latitude, where->longitude);
          if (!s.visible) {
            line += (greek ? "· δεν φαίνεται από " : "; not seen from ") + placeShown;
            m.json["seen"] = {{"visible", false}};
          } else if (e.solar) {
            // A contact below the horizon: the Sun rises or sets eclipsed.
            line += (greek ? "· ορατή: " : "; seen: ") +
                    (s.begins > 0 ? when(s.begins, clock).substr(11)
                                  : std::string(greek ? "ανατολή" : "sunrise")) +
                    " – " +
                    (s.ends > 0 ? when(s.ends, clock).substr(11)
                                : std::string(greek ? "δύση" : "sunset")) +
                    (greek ? ", μέγιστη φάση " : ", greatest ") +
                    when(s.maximum, clock).substr(11) + (greek ? " (μέγεθος " : " (magnitude ") +
                    magnitudeText(s.magnitude, greek) +
                    (s.maximumVisible ? ""
                     : greek          ? ", ο Ήλιος κάτω από τον ορίζοντα"
                                      : ", the Sun below the horizon") +
                    ")";
            m.json["seen"] = {
                {"visible", true},
                {"maximum_visible", s.maximumVisible},
                {"begins", s.begins > 0 ? ordered_json(utc(s.begins)) : ordered_json()},
                {"greatest", utc(s.maximum)},
                {"ends", s.ends > 0 ? ordered_json(utc(s.ends)) : ordered_json()},
                {"magnitude", s.magnitude},
                {"obscuration", s.obscuration},
                {"sun_altitude", s.altitude}};
          } else if (s.lunarInPart()) {
            // Seen until the Moon sets, or from when it rises.
            const bool sets = s.maximum < e.at.maximum;
            line += (greek ? (sets ? "· ορατή εν μέρει: η Σελήνη δύει σε έκλειψη στις "
                                   : "· ορατή εν μέρει: η Σελήνη ανατέλλει σε έκλειψη στις ")
                           : (sets ? "; seen in part: the Moon sets eclipsed at "
                                   : "; seen in part: the Moon rises eclipsed at ")) +
                    when(s.maximum, clock).substr(11) + (greek ? " (μέγεθος " : " (magnitude ") +
                    magnitudeText(std::max(s.magnitude, 0.0), greek) + ")";
            if (asJson)
              m.json["seen"] = {{"visible", true},
                                {"maximum_visible", false},
                                {sets ? "moonset" : "moonrise", utc(s.maximum)},
                                {"magnitude", std::max(s.magnitude, 0.0)}};
          } else {
            char local[64];
            std::snprintf(local, sizeof local,
                          greek ? "· ορατή, η Σελήνη σε ύψος %.0f°" : "; seen, the Moon %.0f° high",
                          s.altitude);
            line += local;
            m.json["seen"] = {{"visible", true}, {"moon_altitude", s.altitude}};
          }
        }
        m.uid = std::string(e.solar ? "solar" : "lunar") + "|" + utc(e.at.maximum);
        m.summary = greek ? natal::capitalised(reading::eclipseKindWord(e.at.kind, true)) + " " +
                                eclipseWord(e.solar, true) + " " + deg
                          : natal::capitalised(kindName(e.at.kind)) +
                                (e.solar ? " solar" : " lunar") + " eclipse " + deg;
        m.what = m.description = line;
        moments.push_back(m);
      }
    if (wantVoid)
      complete &=
          sky::voidOfCourse(eph, a, b + 3, o.has("--modern"), [&](const sky::VoidStretch& v) {
            // Each stretch in the part it begins in (the first part takes one the period opens
            // in), so that the parts follow one another in time.
            if (!((v.begins >= a || a == from) && v.begins < b && v.ends >= from)) return;
            const std::string last =
                greek ? natal::aspectMark(v.aspect) + " " + natal::pointWord(v.body, true)
                      : natal::aspectWord(v.aspect, false) + " " + natal::pointName(v.body, false);
            const std::string line =
                greek ? label("κενή πορεία", true) + "σε " + reading::signAfterIn(v.sign) +
                            " έως " + when(v.ends, clock) + ", τελευταία όψη: " + last
                      : label("void of course", false) + "until " + when(v.ends, clock) +
                            ", the Moon in " + natal::signName(v.sign, false) + ", last " + last;
            Moment m;
            m.jd = v.begins;
            m.end = v.ends;
            m.list = 2;
            m.what = line;
            m.summary = greek ? "Κενή πορεία της Σελήνης" : "Moon void of course";
            m.description = greek ? "Τελευταία όψη: " + last + "· η Σελήνη μπαίνει σε " +
                                        reading::signAfterIn((v.sign + 1) % 12) + "."
                                  : "Last aspect: " + last + "; the Moon enters " +
                                        natal::signName((v.sign + 1) % 12, false) + ".";
            m.uid = "void|" + utc(v.ends);
            if (asJson)
              m.json = {{"from", utc(v.begins)},
                        {"to", utc(v.ends)},
                        {"sign", natal::signName(v.sign, false)},
                        {"next_sign", natal::signName((v.sign + 1) % 12, false)},
                        {"last_aspect", natal::aspectWord(v.aspect, false)},
                        {"with", natal::pointName(v.body, false)}};
            moments.push_back(m);
          });
    return complete;
  };
  const std::string name = saved ? shownName(saved->name) : "";
  std::unique_ptr<Calendar> calendar;
  if (o.has("--ics")) {
    std::string why;
    calendar = Calendar::open(why);
    if (!calendar) return t.fail("sky: " + why);
  }
  Output output(t, o);
  std::ostream& out = output.stream();
  const auto stamp = static_cast<long long>(std::time(nullptr));
  std::optional<Calendar::Frame> frame;
  ordered_json lists[3] = {ordered_json::array(), ordered_json::array(), ordered_json::array()};
  if (calendar) {
    frame = calendar->frame("-//Orvenda//orvenda-chart 1.2//EN");
    out << frame->head
        << folded("X-WR-CALNAME:" +
                  escapedText(greek ? (name.empty() ? "Ο ουρανός" : "Ο ουρανός: " + name)
                                    : (name.empty() ? "The sky" : "The sky: " + name)));
  } else if (!o.has("--json")) {
    out << (greek ? "ουρανός" : "sky") << (name.empty() ? "" : " " + name) << " "
        << when(from, clock) << " – " << when(to, clock) << " (" << *zone << ")"
        << (where ? (greek ? ", όπως φαίνεται από " : ", seen from ") + placeShown : std::string())
        << "\n";
  }
  std::string month;
  bool complete = true, none = true;
  for (double a = from; a < to; a += 366) {
    const double b = std::min(to, a + 366);
    std::vector<Moment> moments;
    complete &= gather(a, b, moments);
    std::stable_sort(moments.begin(), moments.end(),
                     [](const Moment& x, const Moment& y) { return x.jd < y.jd; });
    none = none && moments.empty();
    for (const Moment& m : moments) {
      if (calendar) {
        CalendarEvent ev;
        ev.uid = eventUid(name + "|" + m.uid, "sky");
        ev.stamp = stamp;
        ev.start = toMinute(secondsOf(m.jd));
        if (m.end > 0) ev.end = toMinute(secondsOf(m.end));
        ev.summary = m.summary;
        ev.description = m.description;
        ev.categories = greek ? (m.list == 0   ? "Φάση της Σελήνης"
                                 : m.list == 1 ? "Έκλειψη"
                                               : "Κενή πορεία")
                              : (m.list == 0   ? "Lunation"
                                 : m.list == 1 ? "Eclipse"
                                               : "Void of course");
        out << calendar->event(ev);
      } else if (o.has("--json")) {
        lists[m.list].push_back(m.json);
      } else {
        const std::string at = when(m.jd, clock);
        const std::string heading =
            greek ? report::monthHeading(toMinute(clock(secondsOf(m.jd))), true)
                  : std::string(kMonths[std::stoi(at.substr(5, 2)) - 1]) + " " + at.substr(0, 4);
        if (heading != month) out << heading << "\n";
        month = heading;
        out << "  " << at << "  " << m.what << "\n";
      }
    }
  }
  if (calendar) {
    out << frame->tail;
  } else if (o.has("--json")) {
    ordered_json j = {
        {"from", universalText(period->from)}, {"to", universalText(period->to)}, {"zone", *zone}};
    if (saved) j["name"] = name;
    if (where) j["place"] = where->shown;
    const char* keys[3] = {"lunations", "eclipses", "void_of_course"};
    const bool wanted[3] = {wantLunations, wantEclipses, wantVoid};
    for (int k = 0; k < 3; ++k)
      if (wanted[k]) j[keys[k]] = lists[k];
    out << j.dump(2) << "\n";
  } else if (none) {
    out << (greek ? "  τίποτα μέσα στην περίοδο\n" : "  nothing in the period\n");
  }
  if (!complete)
    t.note(
        "the ephemeris could not give the Moon and the planets for part of the period: "
        "what lies there is not listed");
  return output.finish() ? 0 : 1;
}

int cmdPrenatal(Tool& t, const Options& o) {
  const auto zone = astrologerZone(t, o, "prenatal");
  if (!zone) return 2;
  int status = 0;
  const auto saved = loadSavedChart(t, o, "prenatal", status);
  if (!saved) return status;
  const auto chart = chartOf(t, *saved);
  if (!chart) return 1;
  const sky::Prenatal p = sky::prenatal(natal::swissEphemeris(), chart->julianDayUt);
  if (!p.syzygy)
    return t.fail("prenatal: the ephemeris can't give the Sun and the Moon before this birth");
  const report::LocalClock clock = clockOf(*zone);
  const std::string name = shownName(saved->name);
  auto house = [&](double longitude) {
    return chart->timeKnown ? natal::houseOf(longitude, chart->cusps) : 0;
  };
  Output output(t, o);
  std::ostream& out = output.stream();
  if (o.has("--json")) {
    ordered_json j = {{"name", name}, {"zone", *zone}};
    j["syzygy"] = {
        {"at", utc(p.syzygy->jd)},
        {"phase", phaseName(p.syzygy->phase)},
        {"longitude", p.syzygy->longitude},
        {"degree", degreeText(p.syzygy->longitude)},
        {"house", chart->timeKnown ? ordered_json(house(p.syzygy->longitude)) : ordered_json()}};
    for (const auto* e : {&p.solar, &p.lunar}) {
      const char* key = e == &p.solar ? "solar_eclipse" : "lunar_eclipse";
      if (!*e) {
        j[key] = nullptr;
        continue;
      }
      const sky::Eclipse& x = **e;
      j[key] = {{"at", utc(x.at.maximum)},
                {"kind", kindName(x.at.kind)},
                {"magnitude", std::max(x.at.magnitude, 0.0)},
                {"saros", x.at.saros},
                {"saros_member", x.at.sarosMember},
                {"longitude", x.longitude},
                {"degree", degreeText(x.longitude)},
                {"house", chart->timeKnown ? ordered_json(house(x.longitude)) : ordered_json()}};
    }
    out << j.dump(2) << "\n";
  } else {
    const bool g = saved->horoscopeLanguage == 1;
    auto houseText = [&](double longitude) {
      return chart->timeKnown ? (g ? "  οίκος " : "  house ") + std::to_string(house(longitude))
                              : std::string();
    };
    out << (g ? "προγεννητικά " : "prenatal ") << name << " (" << *zone << ")\n";
    out << "  " << label(phaseWord(p.syzygy->phase, g), g) << when(p.syzygy->jd, clock) << "  "
        << degreeText(p.syzygy->longitude, g) << houseText(p.syzygy->longitude) << "\n";
    for (const auto* e : {&p.solar, &p.lunar}) {
      const std::string l = label(eclipseWord(e == &p.solar, g), g);
      if (!*e) {
        out << "  " << l << (g ? "δεν βρέθηκε\n" : "not found\n");
        continue;
      }
      const sky::Eclipse& x = **e;
      out << "  " << l << when(x.at.maximum, clock) << "  " << degreeText(x.longitude, g) << "  "
          << reading::eclipseKindWord(x.at.kind, g) << (g ? ", Σάρος " : ", Saros ") << x.at.saros
          << "/" << x.at.sarosMember << houseText(x.longitude) << "\n";
    }
  }
  if (!chart->timeKnown) t.note("the birth time is not known: no natal houses");
  return output.finish() ? 0 : 1;
}

}  // namespace orvenda::tool
