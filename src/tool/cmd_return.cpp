// orvenda-chart return: the solar return of a year, or the lunar return after a date, as a
// whole chart with houses at the birth place or at another; and orvenda-chart now: the sky of
// a moment (or of a chart saved by Chart for Now) set against a saved chart.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>

#include "cycles/progressions.h"
#include "cycles/transits.h"
#include "natal/ephemeris.h"
#include "natal/names.h"
#include "natal/wheel.h"
#include "sheet/html.h"
#include "sheet/reading.h"
#include "sheet/wording.h"
#include "tool/time_options.h"

namespace orvenda::tool {
namespace {

using wording::asciiLower;

// Where a chart of another moment is drawn: --place, --lon and --lat, else the birth place.
struct Where {
  double longitude = 0, latitude = 0;  // degrees
  std::string zone;                    // the place's, where known
  std::string shown;
};

std::optional<Where> whereOption(Tool& t, const Options& o, const SavedChart& saved,
                                 const char* command, int& status) {
  status = 2;
  Where w;
  const std::string *place = o.value("--place"), *lon = o.value("--lon"), *lat = o.value("--lat");
  if (place && (lon || lat))
    return t.usage(command, "give --place, or --lon and --lat, not both"), std::nullopt;
  if (!place && (lon != nullptr) != (lat != nullptr))
    return t.usage(command, "--lon and --lat go together"), std::nullopt;
  status = 1;
  std::string why;
  if (place) {
    const Atlas* atlas = t.loadAtlas();
    if (!atlas) return std::nullopt;
    const Place* p = onePlace(t, *atlas, *place, why);
    if (!p) return (why.empty() ? 0 : t.fail(why)), std::nullopt;
    w.longitude = p->longitude / 3600.0;
    w.latitude = p->latitude / 3600.0;
    w.zone = std::string(p->zone);
    // The place as people write it, "Athens, Attica, GR": the atlas's line is a table's.
    w.shown = std::string(p->name) + (p->region.empty() ? "" : ", " + std::string(p->region)) +
              ", " + std::string(p->country);
  } else if (lon) {
    status = 2;
    const auto lo = parseAngle(*lon, true, why);
    if (!lo) return t.usage(command, "--lon " + *lon + ": " + why), std::nullopt;
    const auto la = parseAngle(*lat, false, why);
    if (!la) return t.usage(command, "--lat " + *lat + ": " + why), std::nullopt;
    status = 1;
    w.longitude = *lo / 3600.0;
    w.latitude = *la / 3600.0;
    std::string unknown;  // without a zone the return is told in universal time alone
    if (const auto z = zoneAtCoordinates(t, *la, *lo, unknown, true)) w.zone = *z;
    w.shown = formatDms(*lo, true) + " " + formatDms(*la, false);
  } else {
    w.longitude = natal::recordLongitude(saved.record);
    w.latitude = natal::recordLatitude(saved.record);
    w.shown = "the birth place";
  }
  status = 0;
  return w;
}

nlohmann::ordered_json aspectsJson(const std::vector<natal::AspectFound>& aspects,
                                   const char* inner, const char* outer) {
  nlohmann::ordered_json out = nlohmann::ordered_json::array();
  for (const auto& a : aspects)
    out.push_back({{inner, natal::pointName(a.a, false)},
                   {"aspect", natal::aspectName(a.aspect, false)},
                   {"angle", natal::kAspectAngles[a.aspect]},
                   {outer, natal::pointName(a.b, false)},
                   {"deviation", a.deviation},
                   {"applying", a.applying}});
  return out;
}

std::string aspectsText(const std::vector<natal::AspectFound>& aspects, const std::string& inner,
                        const std::string& outer) {
  std::string s;
  for (const auto& a : aspects) {
    const long long dev = std::llround(std::fabs(a.deviation) * 3600.0);
    char buf[80];
    std::snprintf(buf, sizeof buf, "%s%lld° %02lld′ %02lld″",
                  a.deviation < 0 && dev > 0 ? "−" : "+", dev / 3600, dev / 60 % 60, dev % 60);
    s += padded(inner + " " + natal::pointName(a.a, false), 24) +
         padded(natal::aspectName(a.aspect, false), 15) +
         padded(outer + " " + natal::pointName(a.b, false), 24) + buf + "\n";
  }
  if (aspects.empty()) s += "none within the orbs\n";
  return s;
}

// A page with a wheel of two charts and their tables, in the horoscope language.
std::string twoChartPage(const std::string& title, const std::string& lines,
                         const natal::NatalChart& inner, const natal::NatalChart& outer,
                         const std::vector<natal::AspectFound>& aspects, const std::string& body,
                         bool greek, const std::string& chartName) {
  natal::OuterRing ring{&outer, aspects};
  std::string s =
      std::string("<!DOCTYPE html>\n<html lang=\"") + (greek ? "el" : "en") +
      "\">\n<head>\n<meta charset=\"utf-8\">\n<meta name=\"viewport\" "
      "content=\"width=device-width\">\n<title>Orvenda: " +
      html::escaped(title) +
      "</title>\n<style>\nbody { font-family: \"DejaVu Serif\", Georgia, serif; margin: "
      "1.5em auto; max-width: 62em; padding: 0 1em; line-height: 1.4; }\n"
      "h1 { font-size: 1.5em; border-bottom: 1px solid #000; }\n"
      ".biwheel { display: block; width: 100%; max-width: 170mm; height: auto; margin: "
      "1em auto; }\npre { font-family: \"DejaVu Sans Mono\", monospace; font-size: .85em; "
      "white-space: pre-wrap; }\n" +
      html::pageFootStyle(chartName) + "</style>\n</head>\n<body>\n<h1>" + html::escaped(title) +
      "</h1>\n" + lines;
  s +=
      html::svgImage(natal::biwheelSvg(inner, ring, greek),
                     greek ? "[Δύο χάρτες σε έναν τροχό]" : "[Two charts in one wheel]", "biwheel");
  return s + body + "</body>\n</html>\n";
}

// A longitude in its sign, to the second.
std::string chartDegrees(double longitude) {
  const long long s = natal::arcSecondsOf(longitude) % (30 * 3600);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%lld° %02lld′ %02lld″", s / 3600, s / 60 % 60, s % 60);
  return buf;
}

// The returns of a planet to its natal longitude over a period: each pass, the three of a
// slow planet turning back over its degree among them, as a chart at the place asked.
int planetReturns(Tool& t, const Options& o, const std::string& planetName) {
  int body = -1;
  for (int p = 2; p <= 6; ++p)  // Mercury to Saturn
    if (asciiLower(natal::pointName(p, false)) == asciiLower(planetName)) body = p;
  if (body < 0)
    return t.usage("return", "--planet " + planetName +
                                 ": Mercury, Venus, Mars, Jupiter or Saturn (the Sun's and the "
                                 "Moon's are --year and --lunar)");
  if (o.value("--year") || o.value("--lunar"))
    return t.usage("return",
                   "--planet finds its own returns over --from and --to; not with "
                   "--year or --lunar");
  if (o.value("--html") || o.value("--pdf"))
    return t.usage("return", "--planet lists the returns as text or --json");
  const auto zone = astrologerZone(t, o, "return");
  if (!zone) return 2;
  int status = 0;
  const auto period = periodOption(t, o, *zone, "return", status);
  if (!period) return status;
  const auto saved = loadSavedChart(t, o, "return", status);
  if (!saved) return status;
  const auto where = whereOption(t, o, *saved, "return", status);
  if (!where) return status;
  natal::ChartConfig config = saved->config;
  config.planets.enabled[static_cast<std::size_t>(body)] = 1;
  config.aspects.enabled[0] = 1;
  SavedChart chosen = *saved;
  chosen.config = config;
  const auto chart = chartOf(t, chosen);
  if (!chart) return 1;
  natal::Ephemeris& eph = natal::swissEphemeris();
  const natal::PointPosition* natalAt = chart->point(body);
  if (!natalAt) return t.fail("return: the birth is beyond the ephemeris");
  if (!eph.body(natal::julianDayOf(period->from), body) ||
      !eph.body(natal::julianDayOf(period->to), body))
    return t.fail("return: the period runs beyond the years the ephemeris can give");
  // Each century is a walk over the planet's track: a span of lives, not of ages.
  if (period->to - period->from > 1000LL * 31556952)
    return t.usage("return", "the period is over 1,000 years; ask for a shorter one");
  cycles::TransitOptions options;
  options.orb = 1;
  options.exact = true;
  options.bodies = 1u << body;
  options.natal = 1u << body;
  options.aspects = 1u;
  const double from = natal::julianDayOf(period->from), to = natal::julianDayOf(period->to);
  std::vector<std::pair<double, bool>> found;  // the instant, moving back then
  cycles::findTransits(*chart, config, options, from, to, eph, [&](const cycles::TransitEvent& e) {
    if (e.kind != cycles::EventKind::Aspect) return;
    for (std::size_t i = 0; i < e.exact.size(); ++i)
      if (e.exact[i] >= from && e.exact[i] < to)
        found.push_back({e.exact[i], i < e.exactRetrograde.size() && e.exactRetrograde[i]});
  });
  std::sort(found.begin(), found.end());
  const std::string name = shownName(saved->name);
  const report::LocalClock clock = clockOf(*zone);
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  // The text in the horoscope language; the JSON's words stay English.
  const bool g = saved->horoscopeLanguage == 1;
  const std::string planetWord = g ? natal::pointWord(body, true) : natal::pointName(body, false);
  std::string text =
      (g ? "επιστροφές στη γενέθλια θέση: " + planetWord + ", "
         : "returns of " + planetWord + " to ") +
      natal::signName(natal::signOf(natalAt->longitude), g) + " " +
      chartDegrees(natalAt->longitude) + ", " + name + ", " +
      report::minuteText(clock(period->from), g) + " – " +
      report::minuteText(clock(period->to), g) + " (" + *zone + ")\n" +
      (g ? "τοποθεσία: " : "place ") +
      (g && where->shown == "the birth place" ? std::string("της γέννησης") : where->shown) + "\n";
  if (found.empty()) text += g ? "  καμία μέσα στην περίοδο\n" : "  none in the period\n";
  for (const auto& [jd, back] : found) {
    natal::ChartMoment m;
    m.universalSeconds = report::secondsOf(jd);
    m.longitude = where->longitude;
    m.latitude = where->latitude;
    const natal::NatalChart r = natal::chartAt(m, saved->config, saved->houseSystem, eph);
    const std::string exact = universalText(report::secondsOf(jd));
    const natal::PointPosition* p = r.point(body);
    const int house = p ? natal::houseOf(p->longitude, r.cusps) : 0;
    list.push_back({{"at", exact},
                    {"julian_day", jd},
                    {"retrograde", back},
                    {"house", house},
                    {"chart", chartJson(name, r)}});
    text += "  " + exact + "  " + report::minuteText(clock(report::secondsOf(jd)), g) +
            (back ? " ℞" : "  ") + (g ? "  Ωροσκόπος " : "  Ascendant ") +
            natal::signName(natal::signOf(r.ascendant), g) + " " + chartDegrees(r.ascendant) +
            (g ? "  Μεσουράνημα " : "  Midheaven ") +
            natal::signName(natal::signOf(r.midheaven), g) + " " + chartDegrees(r.midheaven) +
            "  " + planetWord + (g ? " στον οίκο " : " in house ") + std::to_string(house) + "\n";
  }
  if (o.has("--json")) {
    t.out << nlohmann::ordered_json{{"name", name},
                                    {"planet", natal::pointName(body, false)},
                                    {"natal_longitude", natalAt->longitude},
                                    {"returns", list}}
                 .dump(2)
          << "\n";
    return 0;
  }
  t.out << text;
  return 0;
}

}  // namespace

int cmdReturn(Tool& t, const Options& o) {
  if (const std::string* planet = o.value("--planet")) return planetReturns(t, o, *planet);
  const auto sex = sexOption(t, o, "return");
  if (!sex) return 2;
  const std::string* yearText = o.value("--year");
  const std::string* lunar = o.value("--lunar");
  if (!yearText && !lunar)
    return t.usage("return", "give --year YEAR (solar return), --lunar DATE or --planet PLANET");
  if (yearText && lunar)
    return t.usage("return", "--year is the solar return, --lunar DATE a lunar one: give one");
  if (o.value("--from") || o.value("--to"))
    return t.usage("return", std::string(yearText ? "--year YEAR" : "--lunar DATE") +
                                 " finds one return; --from and --to are the period of --planet's");
  int year = 0;
  if (yearText) {
    if (yearText->empty() || yearText->size() > 4 ||
        yearText->find_first_not_of("0123456789") != std::string::npos || std::stoi(*yearText) < 1)
      return t.usage("return", "--year takes a year of four digits, not '" + *yearText + "'");
    year = std::stoi(*yearText);
  }
  std::string why;
  std::optional<CivilDate> after;
  if (lunar) {
    after = parseDate(*lunar, why);
    if (!after) return t.usage("return", "--lunar " + *lunar + ": " + why);
  }
  int status = 0;
  const auto saved = loadSavedChart(t, o, "return", status);
  if (!saved) return status;
  const auto where = whereOption(t, o, *saved, "return", status);
  if (!where) return status;
  const auto chart = chartOf(t, *saved);
  if (!chart) return 1;
  natal::Ephemeris& eph = natal::swissEphemeris();
  const bool solar = !lunar;
  const auto sunAtBirth = eph.body(chart->julianDayUt, natal::kSun);
  const auto moonAtBirth = eph.body(chart->julianDayUt, natal::kMoon);
  if (!sunAtBirth || !moonAtBirth) return t.fail("return: the birth is beyond the ephemeris");
  std::optional<double> at;
  if (solar) {
    at = cycles::solarReturn(sunAtBirth->longitude, year, eph);
  } else {
    const double afterJd =
        natal::julianDayOf(localMidnight(where->zone.empty() ? "UTC" : where->zone, *after));
    at = cycles::lunarReturn(moonAtBirth->longitude, afterJd, eph);
  }
  if (!at) return t.fail("return: the ephemeris can't give that year");
  natal::ChartMoment m;
  m.universalSeconds = report::secondsOf(*at);
  m.longitude = where->longitude;
  m.latitude = where->latitude;
  const natal::NatalChart r = natal::chartAt(m, saved->config, saved->houseSystem, eph);
  const std::string name = shownName(saved->name);
  const bool greek = saved->horoscopeLanguage == 1;
  const reading::TextSet texts = reading::textSet(*t.files, greek);
  const std::string ascKey =
      "solar return ascendant in " + asciiLower(natal::signName(natal::signOf(r.ascendant), false));
  const std::string* ascText = solar ? texts.find(ascKey) : nullptr;
  // The exact second of the return, from the ephemeris' own instant.
  const std::string exact = universalText(report::secondsOf(*at));
  if (o.has("--json")) {
    nlohmann::ordered_json j = {
        {"name", name},
        {"kind", solar ? "solar" : "lunar"},
        {"at", exact},
        {"julian_day", *at},
        {"place",
         {{"longitude", where->longitude},
          {"latitude", where->latitude},
          {"zone",
           where->zone.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(where->zone)}}},
        {"chart", chartJson(name, r)}};
    if (solar)
      j["text"] = ascText ? nlohmann::ordered_json{{"key", reading::displayKey(ascKey)},
                                                   {"text", reading::withChoices(*ascText, *sex)}}
                          : nlohmann::ordered_json();
    t.out << j.dump(2) << "\n";
    return 0;
  }
  std::string lines = std::string(solar ? "solar return " : "lunar return ") + name + "\n";
  lines += "at           " + exact;
  if (!where->zone.empty()) {
    const long long local = clockOf(where->zone)(report::secondsOf(*at));
    lines += ", " + report::minuteText(local, false) + " " + where->zone;
  }
  lines += "\nplace        " + where->shown + "\n\n";
  const std::string tables = chartText(name, r);
  if (!o.value("--html") && !o.value("--pdf")) {
    t.out << lines << tables.substr(tables.find('\n') + 1);
    if (ascText) t.out << "\n" << reading::withChoices(*ascText, *sex) << "\n";
    return 0;
  }
  const std::vector<natal::AspectFound> aspects =
      natal::crossAspects(r.points, chart->points, saved->config, 1.0);
  std::string body = "<pre>" + html::escaped(tables.substr(tables.find('\n') + 1)) + "\n" +
                     html::escaped(aspectsText(aspects, solar ? "return" : "return", "natal")) +
                     "</pre>\n";
  if (ascText) body += "<p>" + html::escaped(reading::withChoices(*ascText, *sex)) + "</p>\n";
  const std::string title = (greek ? (solar ? "Ηλιακή επιστροφή: " : "Σεληνιακή επιστροφή: ")
                                   : (solar ? "Solar return: " : "Lunar return: ")) +
                            name;
  const std::string html = twoChartPage(title, "<pre>" + html::escaped(lines) + "</pre>\n", r,
                                        *chart, aspects, body, greek, name);
  if (const std::string* file = o.value("--html"); file && !writeWhole(t, *file, html)) return 1;
  if (const std::string* file = o.value("--pdf"); file && !writePdf(t, html, *file)) return 1;
  return 0;
}

int cmdNow(Tool& t, const Options& o) {
  const auto orb = orbOption(t, o, "now", 1.0);
  if (!orb) return 2;
  const std::string* atText = o.value("--at");
  const std::string* with = o.value("--with");
  if (atText && with) return t.usage("now", "--at is a moment, --with a saved chart's: give one");
  int status = 0;
  const auto saved = loadSavedChart(t, o, "now", status);
  if (!saved) return status;
  const auto zone = astrologerZone(t, o, "now");
  if (!zone) return 1;
  const auto chart = chartOf(t, *saved);
  if (!chart) return 1;
  natal::Ephemeris& eph = natal::swissEphemeris();
  natal::ChartMoment m;
  m.longitude = natal::recordLongitude(saved->record);
  m.latitude = natal::recordLatitude(saved->record);
  std::string momentName;
  if (with) {
    // A chart saved by Chart for Now, or any other: its own moment and place.
    Options other;
    other.operands = {*with};
    int s = 0;
    const auto second = loadSavedChart(t, other, "now", s);
    if (!second) return s;
    const auto outer = chartOf(t, *second);
    if (!outer) return 1;
    m.universalSeconds = outer->universalSeconds;
    m.longitude = natal::recordLongitude(second->record);
    m.latitude = natal::recordLatitude(second->record);
    momentName = shownName(second->name);
  } else if (atText) {
    // DATE or DATE TIME ("2027-03-14 05:19" or "2027-03-14T05:19") in the zone.
    std::string text = *atText;
    std::replace(text.begin(), text.end(), 'T', ' ');
    const auto space = text.find(' ');
    std::string why;
    const auto d = parseDate(text.substr(0, space), why);
    if (!d) return t.usage("now", "--at " + *atText + ": " + why);
    ClockTime tm;
    if (space != std::string::npos) {
      const auto parsed = parseTime(text.substr(space + 1), why);
      if (!parsed) return t.usage("now", "--at " + *atText + ": " + why);
      tm = *parsed;
    }
    m.universalSeconds = localMidnight(*zone, *d) + tm.hour * 3600 + tm.minute * 60 + tm.second;
    momentName = *atText + " " + *zone;
  } else {
    m.universalSeconds = std::chrono::duration_cast<std::chrono::seconds>(
                             std::chrono::system_clock::now().time_since_epoch())
                             .count();
    momentName = "now";
  }
  natal::NatalChart sky = natal::chartAt(m, saved->config, saved->houseSystem, eph);
  if (!with)
    std::erase_if(sky.points,
                  [](const natal::PointPosition& p) { return p.index >= natal::kBodies; });
  const std::vector<natal::AspectFound> aspects =
      natal::crossAspects(chart->points, sky.points, saved->config, *orb);
  const std::string name = shownName(saved->name);
  if (o.has("--json")) {
    nlohmann::ordered_json j = {{"name", name},
                                {"at", universalText(m.universalSeconds)},
                                {"orb", *orb},
                                {"natal", chartJson(name, *chart)},
                                {"moment", chartJson(momentName, sky)},
                                {"aspects", aspectsJson(aspects, "natal", "moment")}};
    t.out << j.dump(2) << "\n";
    return 0;
  }
  const bool greek = saved->horoscopeLanguage == 1;
  const std::string lines = "moment       " + universalText(m.universalSeconds) + ", " +
                            report::minuteText(clockOf(*zone)(m.universalSeconds), false) + " " +
                            *zone + (with ? " (" + momentName + ")" : "") + "\nchart        " +
                            name + "\n\n";
  const std::string tables = chartText(momentName, sky);
  const std::string across = "ASPECTS BETWEEN THE TWO (orb " + std::to_string(*orb).substr(0, 4) +
                             "°)\n" + aspectsText(aspects, "natal", "now");
  if (!o.value("--html") && !o.value("--pdf")) {
    t.out << lines << tables.substr(tables.find('\n') + 1) << "\n" << across;
    return 0;
  }
  const std::string title =
      (greek ? "Ο ουρανός μιας στιγμής γύρω από τον χάρτη: " : "A moment around the chart: ") +
      name;
  const std::string html = twoChartPage(
      title, "<pre>" + html::escaped(lines) + "</pre>\n", *chart, sky, aspects,
      "<pre>" + html::escaped(tables.substr(tables.find('\n') + 1) + "\n" + across) + "</pre>\n",
      greek, name);
  if (const std::string* file = o.value("--html"); file && !writeWhole(t, *file, html)) return 1;
  if (const std::string* file = o.value("--pdf"); file && !writePdf(t, html, *file)) return 1;
  return 0;
}

}  // namespace orvenda::tool
