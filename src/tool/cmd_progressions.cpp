// orvenda-chart progressions: the secondary progressed chart of a saved chart for a date,
// its aspects to the natal chart with their exact dates, and over a period the progressed
// Moon's ingresses and every progressed-to-natal aspect.
#include <cmath>
#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>

#include "cycles/progressions.h"
#include "cycles/transits.h"
#include "natal/ephemeris.h"
#include "natal/names.h"
#include "sheet/reading.h"
#include "sheet/wording.h"
#include "tool/time_options.h"

namespace orvenda::tool {
namespace {

using wording::asciiLower;

using cycles::EventKind;
using cycles::TransitEvent;

nlohmann::ordered_json textJson(const reading::TextSet& texts, const std::string& key,
                                std::int32_t sex) {
  if (const std::string* t = texts.find(key))
    return {{"key", reading::displayKey(key)}, {"text", reading::withChoices(*t, sex)}};
  return nullptr;
}

std::string degrees(double d) {
  const long long s = std::llround(std::fabs(d) * 3600);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s%lld° %02lld′", d < 0 && s > 0 ? "−" : "+", s / 3600,
                s / 60 % 60);
  return buf;
}

}  // namespace

int cmdProgressions(Tool& t, const Options& o) {
  const auto sex = sexOption(t, o, "progressions");
  if (!sex) return 2;
  const auto orb = orbOption(t, o, "progressions", 1.0);
  if (!orb) return 2;
  if (o.value("--date") && (o.value("--from") || o.value("--to")))
    return t.usage("progressions",
                   "--date is one day; --from and --to a period: give one or the other");
  int status = 0;
  auto saved = loadSavedChart(t, o, "progressions", status);
  if (!saved) return status;
  const auto selection = selectionOption(t, o, "progressions", saved->config);
  if (!selection) return 2;
  const auto zone = astrologerZone(t, o, "progressions");
  if (!zone) return 1;
  // The date, or the period's first day, in the zone.
  long long dateSeconds = 0;
  std::optional<Period> period;
  if (o.value("--from") || o.value("--to")) {
    period = periodOption(t, o, *zone, "progressions", status);
    if (!period) return status;
    dateSeconds = period->from;
  } else {
    Options dateOnly;
    if (const std::string* d = o.value("--date")) {
      // Read here, so that a day that can't be read is told as the --date it was given as.
      std::string why;
      if (!parseDate(*d, why)) return t.usage("progressions", "--date " + *d + ": " + why);
      dateOnly.values["--from"] = *d;
    }
    const auto day = periodOption(t, dateOnly, *zone, "progressions", status);
    if (!day) return status;
    dateSeconds = day->from;
  }
  const auto chart = chartOf(t, *saved);
  if (!chart) return 1;
  natal::Ephemeris& eph = natal::swissEphemeris();
  const bool naibod = o.has("--naibod");
  const double dateJd = natal::julianDayOf(dateSeconds);
  if (dateJd < chart->julianDayUt) return t.fail("progressions: the date is before the birth");
  const cycles::Progressed p =
      cycles::progressedChart(*chart, saved->config, dateJd, natal::recordLatitude(saved->record),
                              naibod, saved->houseSystem, eph);
  const bool greek = saved->horoscopeLanguage == 1;
  const reading::TextSet texts = reading::textSet(*t.files, greek);

  // The progressed bodies against the natal chart: those in orb at the date, whole, and
  // over the period everything.
  cycles::TransitOptions options;
  options.orb = *orb;
  options.moon = true;
  options.timeScale = cycles::kTropicalYear;
  options.epoch = chart->julianDayUt;
  options.bodies = selection->bodies;
  options.natal = selection->natal;
  options.aspects = selection->aspects;
  // A progressed aspect's passes reach decades before and after the date: only the
  // instants of a life (birth to its 120th year) are told, and of the period when there
  // is one.
  const double lifeEnd = chart->julianDayUt + 120 * cycles::kTropicalYear;
  auto withinLife = [&](TransitEvent e, double from, double to) {
    std::vector<double> exact;
    std::vector<bool> retrograde;
    for (std::size_t i = 0; i < e.exact.size(); ++i)
      if (e.exact[i] >= from && e.exact[i] < to) {
        exact.push_back(e.exact[i]);
        retrograde.push_back(i < e.exactRetrograde.size() && e.exactRetrograde[i]);
      }
    e.exact = std::move(exact);
    e.exactRetrograde = std::move(retrograde);
    for (auto& pass : e.passes) {
      if (pass.enters && (*pass.enters < from || *pass.enters >= to)) pass.enters.reset();
      if (pass.leaves && (*pass.leaves < from || *pass.leaves >= to)) pass.leaves.reset();
    }
    return e;
  };
  std::vector<TransitEvent> atDate, over;
  cycles::findTransits(*chart, saved->config, options, dateJd, dateJd + 1e-3, eph,
                       [&](const TransitEvent& e) {
                         if (e.kind == EventKind::Aspect)
                           atDate.push_back(withinLife(e, chart->julianDayUt, lifeEnd));
                       });
  if (period)
    cycles::findTransits(
        *chart, saved->config, options, dateJd, natal::julianDayOf(period->to), eph,
        [&](const TransitEvent& e) {
          if (e.kind != EventKind::Station)
            over.push_back(withinLife(e, std::max(chart->julianDayUt, dateJd),
                                      std::min(lifeEnd, natal::julianDayOf(period->to))));
        });

  const natal::PointPosition* moon = p.chart.point(natal::kMoon);
  const natal::PointPosition* sun = p.chart.point(natal::kSun);
  Output output(t, o);
  std::ostream& out = output.stream();
  const std::string name = shownName(saved->name);
  if (o.has("--json")) {
    using json = nlohmann::ordered_json;
    const nlohmann::json c = chartJson(name, p.chart);
    json aspects = json::array();
    auto aspectJson = [&](const TransitEvent& e) {
      json exact = json::array();
      for (double x : e.exact) exact.push_back(universalMinute(x));
      return json{{"progressed", natal::pointName(e.body, false)},
                  {"aspect", natal::aspectName(e.aspect, false)},
                  {"angle", natal::kAspectAngles[e.aspect]},
                  {"natal", natal::pointName(e.natal, false)},
                  {"enters", e.enters() ? json(universalMinute(*e.enters())) : json()},
                  {"exact", exact},
                  {"leaves", e.leaves() ? json(universalMinute(*e.leaves())) : json()}};
    };
    for (const auto& e : atDate) aspects.push_back(aspectJson(e));
    json moonJson = nullptr, sunJson = nullptr;
    if (moon) {
      const std::string sign = natal::signName(natal::signOf(moon->longitude), false);
      moonJson = {{"sign", sign},
                  {"house",
                   chart->timeKnown ? json(natal::houseOf(moon->longitude, chart->cusps)) : json()},
                  {"text", textJson(texts, "progressed moon in " + asciiLower(sign), *sex)}};
      if (chart->timeKnown)
        moonJson["house_text"] =
            textJson(texts,
                     "progressed moon in house " +
                         std::to_string(natal::houseOf(moon->longitude, chart->cusps)),
                     *sex);
    }
    if (sun) {
      const std::string sign = natal::signName(natal::signOf(sun->longitude), false);
      sunJson = {{"sign", sign},
                 {"text", textJson(texts, "progressed sun in " + asciiLower(sign), *sex)}};
    }
    json result = {{"name", name},
                   {"date", universalText(dateSeconds)},
                   {"progressed_julian_day", p.julianDayUt},
                   {"arc", p.arc},
                   {"arc_by", naibod ? "naibod" : "solar arc"},
                   {"points", c["points"]},
                   {"houses", c["houses"]},
                   {"aspects", aspects},
                   {"moon", moonJson},
                   {"sun", sunJson}};
    if (period) {
      json periodAspects = json::array(), ingresses = json::array();
      for (const auto& e : over) {
        if (e.kind == EventKind::Aspect) {
          periodAspects.push_back(aspectJson(e));
        } else {
          json i = {{"progressed", natal::pointName(e.body, false)}, {"at", universalMinute(e.at)}};
          if (e.kind == EventKind::Sign)
            i["sign"] = natal::signName(e.sign, false);
          else
            i["house"] = e.house;
          i["retrograde"] = e.retrograde;
          ingresses.push_back(i);
        }
      }
      json moonIngresses = json::array();
      for (const auto& i : ingresses)
        if (i["progressed"] == "Moon") moonIngresses.push_back(i);
      result["from"] = universalText(period->from);
      result["to"] = universalText(period->to);
      if (!moonJson.is_null()) result["moon"]["ingresses"] = moonIngresses;
      result["period_aspects"] = periodAspects;
      result["ingresses"] = ingresses;
    }
    out << result.dump(2) << "\n";
    return output.finish() ? 0 : 1;
  }

  const report::LocalClock local = clockOf(*zone);
  auto when = [&](double jd) { return report::minuteText(local(report::secondsOf(jd)), false); };
  char buf[160];
  out << "progressions " << name << "\n";
  out << "date         " << report::dayText(local(dateSeconds), false) << " (" << *zone << ")\n";
  std::snprintf(buf, sizeof buf, "%.6f", p.julianDayUt);
  out << "progressed   Julian day " << buf << " (UT), "
      << universalText(report::secondsOf(p.julianDayUt)) << "\n";
  out << "arc          " << degrees(p.arc) << (naibod ? " (Naibod)" : " (solar arc)") << "\n";
  if (moon) {
    out << "moon         " << natal::signName(natal::signOf(moon->longitude), false);
    if (chart->timeKnown) out << ", natal house " << natal::houseOf(moon->longitude, chart->cusps);
    out << "\n";
  }
  const std::string tables = chartText(name, p.chart);
  out << "\n" << tables.substr(tables.find('\n') + 1);
  out << "\nPROGRESSED TO NATAL (orb " << *orb << "°)\n";
  if (atDate.empty()) out << "none within the orb at the date\n";
  for (const auto& e : atDate) {
    out << padded(report::transitName(e.body, e.aspect, e.natal, false), 34);
    std::string exact;
    for (double x : e.exact) exact += (exact.empty() ? "exact " : ", ") + when(x);
    out << (exact.empty() ? "no exact instant in this pass" : exact) << "\n";
  }
  if (period) {
    out << "\nOVER THE PERIOD " << report::dayText(local(period->from), false) << " to "
        << report::dayText(local(period->to - 1), false) << "\n";
    std::vector<report::TimedLine> lines;
    for (const auto& e : over)
      for (auto& l : report::eventLines(e, *orb, false, period->from, period->to))
        lines.push_back(l);
    std::stable_sort(lines.begin(), lines.end(),
                     [](const auto& a, const auto& b) { return a.at < b.at; });
    if (lines.empty()) out << "nothing in this period\n";
    for (const auto& l : lines)
      out << report::minuteText(local(l.at), false) << "  progressed " << l.text << "\n";
  }
  return output.finish() ? 0 : 1;
}

}  // namespace orvenda::tool
