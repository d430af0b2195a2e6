// orvenda-chart chart: the natal chart of a saved record as text tables, or as one JSON
// object for other programs.
#include <cmath>
#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>

#include "config/settings_store.h"
#include "console/cp737.h"
#include "natal/ephemeris.h"
#include "natal/names.h"
#include "tool/json_writer.h"
#include "tool/saved_chart.h"
#include "tool/time_options.h"

namespace orvenda::tool {
namespace {

// A longitude cut to the second, in its sign or from 0° Aries.
std::string dms(double degrees, bool inSign) {
  long long s = natal::arcSecondsOf(degrees);
  if (inSign) s %= 30 * 3600;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%2lld° %02lld′ %02lld″", s / 3600, s / 60 % 60, s % 60);
  return buf;
}

using natal::signOf;

std::string names(const std::vector<int>& points) {
  std::string s;
  for (int p : points) s += (s.empty() ? "" : ", ") + natal::pointName(p, false);
  return s;
}

const char* systemName(char code) { return natal::houseSystemByCode(code).name; }

}  // namespace

nlohmann::json chartJson(const std::string& name, const natal::NatalChart& c) {
  using nlohmann::json;
  json cusps = json::array();
  for (double cusp : c.cusps) cusps.push_back(cusp);
  json points = json::array();
  for (const auto& p : c.points) {
    const int sign = signOf(p.longitude);
    json border = json::object();
    border["sign"] = p.signBorder ? json(natal::signName((sign + 1) % 12, false)) : json();
    border["house"] = p.houseBorder ? json(p.house % 12 + 1) : json();
    points.push_back({{"name", natal::pointName(p.index, false)},
                      {"longitude", p.longitude},
                      {"latitude", p.latitude},
                      {"speed", p.speed},
                      {"sign", natal::signName(sign, false)},
                      {"house", c.timeKnown ? json(p.house) : json()},
                      {"retrograde", p.retrograde},
                      {"borderline", border}});
  }
  json aspects = json::array();
  for (const auto& a : c.aspects)
    aspects.push_back({{"a", natal::pointName(a.a, false)},
                       {"b", natal::pointName(a.b, false)},
                       {"aspect", natal::aspectName(a.aspect, false)},
                       {"angle", natal::kAspectAngles[a.aspect]},
                       {"deviation", a.deviation},
                       {"applying", a.applying}});
  json missing = json::array();
  for (int p : c.missing) missing.push_back(natal::pointName(p, false));
  json rulers = json::array();
  for (const auto& r : c.rulers) {
    json cusp = json::array(), natural = json::array();
    for (int p : r.ofCusp) cusp.push_back(natal::pointName(p, false));
    for (int p : r.ofNatural) natural.push_back(natal::pointName(p, false));
    rulers.push_back({{"cusp_sign", cusp}, {"natural_sign", natural}});
  }
  json out = {{"name", name},
              {"time_known", c.timeKnown},
              {"universal_time", universalText(c.universalSeconds)},
              {"julian_day", c.julianDayUt},
              {"delta_t_seconds", c.deltaTSeconds},
              {"local_sidereal_time_hours", c.timeKnown ? json(c.localSiderealHours) : json()},
              {"houses", c.timeKnown ? json{{"system", systemName(c.houseSystem)},
                                            {"requested", systemName(c.requestedSystem)},
                                            {"cusps", cusps},
                                            {"rulers", rulers}}
                                     : json()},
              {"points", points},
              {"missing", missing},
              {"aspects", aspects}};
  if (!c.timeKnown && c.moonRange != natal::NatalChart::MoonRange::None)
    out["moon_range"] = {{"from", c.moonAtDayStart},
                         {"to", c.moonAtDayEnd},
                         {"from_sign", natal::signName(signOf(c.moonAtDayStart), false)},
                         {"to_sign", natal::signName(signOf(c.moonAtDayEnd), false)}};
  return out;
}

std::string chartJsonText(const std::string& name, const natal::NatalChart& c) {
  std::string text;
  text.reserve(16384);
  JsonWriter w(text);
  auto pointNames = [&](const std::vector<int>& points) {
    w.array(points, [&](int p) { w.value(natal::pointName(p, false)); });
  };
  w.open('{');
  w.key("aspects").array(c.aspects, [&](const natal::AspectFound& a) {
    w.open('{');
    w.key("a").value(natal::pointName(a.a, false));
    w.key("angle").value(natal::kAspectAngles[a.aspect]);
    w.key("applying").value(a.applying);
    w.key("aspect").value(natal::aspectName(a.aspect, false));
    w.key("b").value(natal::pointName(a.b, false));
    w.key("deviation").value(a.deviation);
    w.close('}');
  });
  w.key("delta_t_seconds").value(c.deltaTSeconds);
  w.key("houses");
  if (c.timeKnown) {
    w.open('{');
    w.key("cusps").array(c.cusps, [&](double cusp) { w.value(cusp); });
    w.key("requested").value(systemName(c.requestedSystem));
    w.key("rulers").array(c.rulers, [&](const natal::HouseRulers& r) {
      w.open('{');
      w.key("cusp_sign");
      pointNames(r.ofCusp);
      w.key("natural_sign");
      pointNames(r.ofNatural);
      w.close('}');
    });
    w.key("system").value(systemName(c.houseSystem));
    w.close('}');
  } else {
    w.null();
  }
  w.key("julian_day").value(c.julianDayUt);
  w.key("local_sidereal_time_hours");
  c.timeKnown ? w.value(c.localSiderealHours) : w.null();
  w.key("missing");
  pointNames(c.missing);
  if (!c.timeKnown && c.moonRange != natal::NatalChart::MoonRange::None) {
    w.key("moon_range").open('{');
    w.key("from").value(c.moonAtDayStart);
    w.key("from_sign").value(natal::signName(signOf(c.moonAtDayStart), false));
    w.key("to").value(c.moonAtDayEnd);
    w.key("to_sign").value(natal::signName(signOf(c.moonAtDayEnd), false));
    w.close('}');
  }
  w.key("name").value(name);
  w.key("points").array(c.points, [&](const natal::PointPosition& p) {
    const int sign = signOf(p.longitude);
    w.open('{');
    w.key("borderline").open('{');
    w.key("house");
    p.houseBorder ? w.value(p.house % 12 + 1) : w.null();
    w.key("sign");
    p.signBorder ? w.value(natal::signName((sign + 1) % 12, false)) : w.null();
    w.close('}');
    w.key("house");
    c.timeKnown ? w.value(p.house) : w.null();
    w.key("latitude").value(p.latitude);
    w.key("longitude").value(p.longitude);
    w.key("name").value(natal::pointName(p.index, false));
    w.key("retrograde").value(p.retrograde);
    w.key("sign").value(natal::signName(sign, false));
    w.key("speed").value(p.speed);
    w.close('}');
  });
  w.key("time_known").value(c.timeKnown);
  w.key("universal_time").value(universalText(c.universalSeconds));
  w.close('}');
  return text;
}

std::string chartText(const std::string& name, const natal::NatalChart& c) {
  std::string s = "chart       " + name + "\n";
  char buf[160];
  std::snprintf(buf, sizeof buf, "  julian day %.6f (UT)  ΔT %.1f s\n", c.julianDayUt,
                c.deltaTSeconds);
  s += "universal   " + universalText(c.universalSeconds, "%04d-%02u-%02u %02d:%02d:%02d UT") + buf;
  if (c.timeKnown) {
    const long long lst = std::llround(c.localSiderealHours * 3600.0) % 86400;
    std::snprintf(buf, sizeof buf, "sidereal    %02lld:%02lld:%02lld local sidereal time\n",
                  lst / 3600, lst / 60 % 60, lst % 60);
    s += buf;
    s += "houses      " + std::string(natal::houseSystemByCode(c.houseSystem).title) + "\n";
  } else {
    s += "time        not known: the planets at noon of the local day; no houses, no angles\n";
    auto moonAt = [&](double lon) {
      return natal::signName(signOf(lon), false) + " " + dms(lon, true);
    };
    if (c.moonRange == natal::NatalChart::MoonRange::Day)
      s += "moon        " + moonAt(c.moonAtDayStart) + " at 00:00 to " + moonAt(c.moonAtDayEnd) +
           " at 24:00 local time\n";
    else if (c.moonRange == natal::NatalChart::MoonRange::Midpoints)
      s += "moon        " + moonAt(c.moonAtDayStart) + " to " + moonAt(c.moonAtDayEnd) +
           ", the midpoints of the two Moons' ranges over their days\n";
  }
  s += "\n" + padded("POINT", 16) + padded("SIGN", 13) + padded("POSITION", 13) +
       "HOUSE  R  MOTION/DAY  BORDERLINE\n";
  for (const auto& p : c.points) {
    const int sign = signOf(p.longitude);
    std::string border;
    if (p.signBorder)
      border = natal::signName(sign, false) + "/" + natal::signName((sign + 1) % 12, false);
    if (p.houseBorder)
      border += (border.empty() ? "" : ", ") + std::string("house ") + std::to_string(p.house) +
                "/" + std::to_string(p.house % 12 + 1);
    std::snprintf(buf, sizeof buf, "%5s  %s  %+10.4f  ",
                  c.timeKnown ? std::to_string(p.house).c_str() : "-", p.retrograde ? "R" : " ",
                  p.speed);
    s += padded(natal::pointName(p.index, false), 16) + padded(natal::signName(sign, false), 13) +
         padded(dms(p.longitude, true), 13) + buf + border + "\n";
  }
  if (c.timeKnown)
    s += "\n" + padded("HOUSE", 7) + padded("SIGN", 13) + padded("CUSP", 13) + "RULER\n";
  for (int h = 0; h < (c.timeKnown ? 12 : 0); ++h) {
    std::string rulers = names(c.rulers[h].ofCusp);
    if (!c.rulers[h].ofNatural.empty())
      rulers += "; " + names(c.rulers[h].ofNatural) + " (of the natural sign)";
    s += padded(std::to_string(h + 1), 7) + padded(natal::signName(signOf(c.cusps[h]), false), 13) +
         padded(dms(c.cusps[h], true), 13) + rulers + "\n";
  }
  // Each name in a column a blank wider than the longest ("Part of Fortune", "Sesquiquadrate"),
  // so that no name runs into the next column.
  s += "\n" + padded("ASPECT", 47) + "DEVIATION\n";
  if (c.aspects.empty()) s += "none within the orbs of the configuration\n";
  for (const auto& a : c.aspects) {
    const long long dev = std::llround(std::fabs(a.deviation) * 3600.0);
    std::snprintf(buf, sizeof buf, "%s%lld° %02lld′ %02lld″  %s\n",
                  a.deviation < 0 && dev > 0 ? "−" : "+", dev / 3600, dev / 60 % 60, dev % 60,
                  a.applying ? "applying" : "separating");
    s += padded(natal::pointName(a.a, false), 16) + padded(natal::aspectName(a.aspect, false), 15) +
         padded(natal::pointName(a.b, false), 16) + buf;
  }
  return s;
}

std::optional<SavedChart> loadSavedChart(Tool& t, const Options& o, const char* command,
                                         int& status) {
  status = 2;
  if (o.operands.size() != 1) {
    t.usage(command, "takes one chart name");
    return std::nullopt;
  }
  SavedChart saved;
  if (const std::string* h = o.value("--houses")) {
    const natal::HouseSystemName* system = natal::houseSystemByName(*h);
    if (!system) {
      t.err << "orvenda-chart " << command << ": no house system \"" << *h << "\"; one of:";
      for (const auto& s : natal::houseSystems()) t.err << " " << s.name;
      t.err << "\n";
      return std::nullopt;
    }
    saved.houseSystem = system->code;
  }
  status = 1;
  if (!t.workingDirectory()) return std::nullopt;
  std::string why;
  if (!chartName(o.operands[0], saved.name, why)) return t.fail(why), std::nullopt;
  std::size_t size = 0;
  const auto r = readChart(t, saved.name, &size);
  if (!r) return t.fail("no chart NAMES/" + o.operands[0]), std::nullopt;
  saved.record = *r;
  if (size != BirthRecord::kFileSize) saved.damagedSize = size;
  // The chart of the day the main screen shows: 0 3 1980 is 1 4 1980 there, and R draws
  // that day.
  normalizeDate(saved.record);
  saved.timeKnown = !o.has("--time-unknown");
  SettingsStore store(*t.files);
  if (auto failed = natal::readChartConfig(store, saved.config)) {
    t.fail("can't read " + *failed + " (the chart's configuration); no chart");
    return std::nullopt;
  }
  if (!store.read(IntSetting::Langhor, saved.horoscopeLanguage)) {
    t.fail("can't read settings\\langhor (the chart's configuration); no chart");
    return std::nullopt;
  }
  status = 0;
  return saved;
}

std::string refusalText(const SavedChart& saved, const natal::ChartOutcome& out) {
  if (saved.damagedSize)
    return "the file is damaged (" + std::to_string(*saved.damagedSize) +
           " bytes, not a chart's 56)";
  if (out.chart) return "";
  return out.refusal == natal::ChartRefusal::NotADate
             ? "the date is not one of the Gregorian calendar"
             : "the record holds values outside the ranges of its fields";
}

std::vector<std::string> ephemerisNotes(const natal::NatalChart& c) {
  // Each note names the files of its own points: the asteroids not computed are not the
  // Moon's file's fault.
  auto cause = [&](const std::vector<int>& points) {
    const std::vector<std::string> files = natal::missingFilesOf(c, points);
    if (files.empty()) return std::string("outside the ephemeris files' years 1800-2399");
    const bool one = files.size() == 1;
    std::string s = one ? "the ephemeris file " : "the ephemeris files ";
    for (std::size_t i = 0; i < files.size(); ++i) s += (i ? ", " : "") + files[i];
    return s + (one ? " is not in " : " are not in ") + natal::ephemerisPath();
  };
  std::vector<std::string> notes;
  if (!c.missing.empty())
    notes.push_back("not computed (" + cause(c.missing) + "): " + names(c.missing));
  if (c.analytic) {
    const std::vector<int> analytic = natal::analyticPoints(c);
    notes.push_back("positions from the analytic ephemeris (" + cause(analytic) +
                    "): " + names(analytic));
  }
  return notes;
}

std::optional<natal::NatalChart> chartOf(Tool& t, const SavedChart& saved) {
  natal::ChartOutcome out = saved.damagedSize
                                ? natal::ChartOutcome{}
                                : natal::computeChart(saved.record, saved.config, saved.houseSystem,
                                                      natal::swissEphemeris(), saved.timeKnown);
  if (const std::string why = refusalText(saved, out); !why.empty())
    return t.fail("NAMES/" + shownName(saved.name) + ": no chart: " + why), std::nullopt;
  return std::move(out.chart);
}

int cmdChart(Tool& t, const Options& o) {
  int status = 0;
  const auto saved = loadSavedChart(t, o, "chart", status);
  if (!saved) return status;
  const auto chart = chartOf(t, *saved);
  if (!chart) return 1;
  const std::string name = shownName(saved->name);
  const natal::NatalChart& c = *chart;
  if (c.housesFellBack)
    t.note(std::string(natal::houseSystemByCode(c.requestedSystem).title) +
           " houses can't be computed at this latitude: Porphyry houses instead");
  if (!c.timeKnown)
    t.note("the birth time is not known: the planets at noon, no houses and no angles");
  for (const std::string& note : ephemerisNotes(c)) t.note(note);
  if (o.has("--json"))
    t.out << chartJsonText(name, c) << "\n";
  else
    t.out << chartText(name, c);
  return 0;
}

}  // namespace orvenda::tool
