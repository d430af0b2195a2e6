// orvenda-chart synastry, composite and davison: two saved charts compared, and the two
// charts of their relationship, as text, JSON, or a report in HTML or PDF.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>

#include "natal/ephemeris.h"
#include "natal/names.h"
#include "natal/pair.h"
#include "sheet/pair_report.h"
#include "tool/time_options.h"

namespace orvenda::tool {
namespace {

struct TwoCharts {
  SavedChart a, b;
  natal::NatalChart chartA, chartB;
  natal::PairPlaces places;
};

// The two chart operands, each read as `chart` reads one, with the first's configuration.
std::optional<TwoCharts> loadTwo(Tool& t, const Options& o, const char* command, int& status) {
  status = 2;
  if (o.operands.size() != 2) {
    t.usage(command, "takes two chart names");
    return std::nullopt;
  }
  TwoCharts two;
  // Each chart read alone, its time un-known where --time-unknown names it or stands alone.
  auto optionsOf = [&](const std::string& operand) {
    Options one = o;
    one.operands = {operand};
    const bool named = std::find(o.timeUnknownNames.begin(), o.timeUnknownNames.end(), operand) !=
                       o.timeUnknownNames.end();
    if (named && !one.has("--time-unknown")) one.switches.push_back("--time-unknown");
    return one;
  };
  auto a = loadSavedChart(t, optionsOf(o.operands[0]), command, status);
  if (!a) return std::nullopt;
  auto b = loadSavedChart(t, optionsOf(o.operands[1]), command, status);
  if (!b) return std::nullopt;
  // The same chart twice is most often a slip of the fingers: compared all the same, and
  // said.
  if (a->name == b->name)
    t.note(shownName(a->name) + " is given twice: the chart is compared with itself");
  status = 1;
  auto ca = chartOf(t, *a);
  if (!ca) return std::nullopt;
  auto cb = chartOf(t, *b);
  if (!cb) return std::nullopt;
  two.a = std::move(*a);
  two.b = std::move(*b);
  two.chartA = std::move(*ca);
  two.chartB = std::move(*cb);
  two.places = {natal::recordLongitude(two.a.record), natal::recordLatitude(two.a.record),
                natal::recordLongitude(two.b.record), natal::recordLatitude(two.b.record)};
  status = 0;
  return two;
}

nlohmann::json overlaysJson(const std::vector<natal::Overlay>& list) {
  nlohmann::json out = nlohmann::json::array();
  for (const auto& o : list)
    out.push_back({{"name", natal::pointName(o.point, false)}, {"house", o.house}});
  return out;
}

std::string deviationText(double d) {
  const long long dev = std::llround(std::fabs(d) * 3600.0);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s%lld° %02lld′ %02lld″", d < 0 && dev > 0 ? "−" : "+",
                dev / 3600, dev / 60 % 60, dev % 60);
  return buf;
}

}  // namespace

int cmdSynastry(Tool& t, const Options& o) {
  int forms = o.has("--json");
  for (const char* f : {"--html", "--pdf"}) forms += o.value(f) != nullptr;
  if (forms > 1)
    return t.usage("synastry", "--json, --html and --pdf each write a whole form: give one");
  int status = 0;
  auto two = loadTwo(t, o, "synastry", status);
  if (!two) return status;
  natal::Ephemeris& eph = natal::swissEphemeris();
  const natal::ChartConfig& config = two->a.config;
  const char system = two->a.houseSystem;
  const natal::NatalChart& a = two->chartA;
  const natal::NatalChart& b = two->chartB;
  const auto aspects = natal::crossAspects(a.points, b.points, config);
  const auto aInB = natal::overlays(a, b), bInA = natal::overlays(b, a);
  const natal::NatalChart composite = natal::compositeChart(a, b, two->places, config, system, eph);
  const natal::NatalChart davison = natal::davisonChart(a, b, two->places, config, system, eph);
  const std::string nameA = shownName(two->a.name), nameB = shownName(two->b.name);
  std::vector<std::string> notes;
  const std::pair<const natal::NatalChart*, const std::string*> both[] = {{&a, &nameA},
                                                                          {&b, &nameB}};
  for (const auto& [chart, name] : both)
    if (!chart->timeKnown)
      notes.push_back("the birth time of " + *name +
                      " is not known: its houses and angles, the points in its houses and the "
                      "composite chart's angles and houses are left out");
  // Whose chart each note is of: two charts' notes are otherwise told apart by nothing.
  for (const auto& [chart, name] : both) {
    const std::string& other = chart == &a ? nameB : nameA;
    if (chart->timeKnown && chart->housesFellBack)
      notes.push_back(*name + "'s " + natal::houseSystemByCode(chart->requestedSystem).title +
                      " houses can't be computed at this latitude: Porphyry houses instead, for " +
                      "its houses and " + other + "'s points in them");
    for (const std::string& note : ephemerisNotes(*chart)) notes.push_back(*name + ": " + note);
  }
  if (composite.timeKnown && composite.housesFellBack)
    notes.push_back(std::string("the composite chart's ") +
                    natal::houseSystemByCode(composite.requestedSystem).title +
                    " houses can't be computed at the latitude halfway between the births: "
                    "Porphyry houses instead");
  for (const auto& n : notes) t.note(n);

  if (o.has("--json")) {
    nlohmann::json list = nlohmann::json::array();
    for (const auto& x : aspects)
      list.push_back({{"a", natal::pointName(x.a, false)},
                      {"b", natal::pointName(x.b, false)},
                      {"aspect", natal::aspectName(x.aspect, false)},
                      {"angle", natal::kAspectAngles[x.aspect]},
                      {"deviation", x.deviation}});
    nlohmann::json j = {{"a", nameA},
                        {"b", nameB},
                        {"aspects", list},
                        {"overlays",
                         {{"a_in_b", b.timeKnown ? overlaysJson(aInB) : nlohmann::json()},
                          {"b_in_a", a.timeKnown ? overlaysJson(bInA) : nlohmann::json()}}},
                        {"composite", chartJson(nameA + " + " + nameB, composite)},
                        {"davison", chartJson(nameA + " + " + nameB, davison)}};
    t.out << j.dump(2) << "\n";
    return 0;
  }
  if (!o.value("--html") && !o.value("--pdf")) {
    t.out << "synastry    " << nameA << " and " << nameB << "\n\n"
          << padded("ASPECT (" + nameA + " to " + nameB + ")", 52) << "DEVIATION\n";
    if (aspects.empty()) t.out << "none within the orbs of the configuration\n";
    for (const auto& x : aspects)
      t.out << padded(natal::pointName(x.a, false), 16)
            << padded(natal::aspectName(x.aspect, false), 15)
            << padded(natal::pointName(x.b, false), 21) << deviationText(x.deviation) << "\n";
    auto houses = [&](const std::vector<natal::Overlay>& list, const std::string& guest,
                      const std::string& host) {
      if (list.empty()) return;
      t.out << "\n" << guest << "'s points in " << host << "'s houses\n";
      for (const auto& ov : list)
        t.out << "  " << padded(natal::pointName(ov.point, false), 16) << ov.house << "\n";
    };
    houses(aInB, nameA, nameB);
    houses(bInA, nameB, nameA);
    const std::string c = chartText("composite " + nameA + " + " + nameB, composite);
    const std::string d = chartText("Davison " + nameA + " + " + nameB, davison);
    t.out << "\n" << c << "\n" << d;
    return 0;
  }
  const auto sex = sexOption(t, o, "synastry");
  if (!sex) return 2;
  const bool greek = two->a.horoscopeLanguage == 1;
  const reading::TextSet texts = reading::textSet(*t.files, greek);
  report::Pair p;
  p.nameA = nameA;
  p.nameB = nameB;
  p.birthA = birthLine(two->a.record, a.timeKnown, greek);
  p.birthB = birthLine(two->b.record, b.timeKnown, greek);
  p.a = &a;
  p.b = &b;
  p.aspects = aspects;
  p.aInB = aInB;
  p.bInA = bInA;
  p.composite = &composite;
  p.davison = &davison;
  p.greek = greek;
  const reading::Reading r = report::composePairReading(p, texts);
  // In the tool's own language on standard error; the reading keeps its own for the page.
  for (const auto& n : reading::ownTextNotes(texts, false)) t.note(n);
  const std::string html = report::pairReportHtml(p, r);
  if (const std::string* file = o.value("--html"); file && !writeWhole(t, *file, html)) return 1;
  if (const std::string* file = o.value("--pdf"); file && !writePdf(t, html, *file)) return 1;
  return 0;
}

// composite and davison: the relationship's chart alone, as chart writes one.
int cmdRelationshipChart(Tool& t, const Options& o, bool davison) {
  const char* command = davison ? "davison" : "composite";
  int status = 0;
  auto two = loadTwo(t, o, command, status);
  if (!two) return status;
  natal::Ephemeris& eph = natal::swissEphemeris();
  const natal::NatalChart c = davison
                                  ? natal::davisonChart(two->chartA, two->chartB, two->places,
                                                        two->a.config, two->a.houseSystem, eph)
                                  : natal::compositeChart(two->chartA, two->chartB, two->places,
                                                          two->a.config, two->a.houseSystem, eph);
  const std::string name = shownName(two->a.name) + " + " + shownName(two->b.name);
  if (!c.timeKnown) t.note("a birth time is not known: no houses and no angles");
  if (c.housesFellBack)
    t.note(std::string(natal::houseSystemByCode(c.requestedSystem).title) +
           " houses can't be computed at this latitude: Porphyry houses instead");
  if (o.has("--json"))
    t.out << chartJson(name, c).dump(2) << "\n";
  else
    t.out << chartText(name, c);
  return 0;
}

}  // namespace orvenda::tool
