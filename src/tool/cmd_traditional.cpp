// orvenda-chart traditional: the chart as the tradition judges it — sect, the essential
// dignities and Lilly's scores, receptions, dispositors, the accidental condition, the
// Hermetic lots, antiscia and declinations — as text tables or one JSON object.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "console/text_width.h"
#include "natal/ephemeris.h"
#include "natal/names.h"
#include "sheet/reading.h"
#include "sheet/reading_texts.h"
#include "sheet/traditional_reading.h"
#include "sheet/traditional_report.h"
#include "tool/json_writer.h"
#include "tool/saved_chart.h"
#include "tool/time_options.h"
#include "tool/traditional_views.h"
#include "traditional/traditional.h"

namespace orvenda::tool {
namespace {

namespace tr = traditional;
using natal::signOf;
using nlohmann::json;

// The seven's names, made once: the JSON document names a planet two hundred times.
const std::string& planetName(int p) {
  static const std::array<std::string, tr::kPlanets + 1> names = [] {
    std::array<std::string, tr::kPlanets + 1> n;
    for (int i = 0; i < tr::kPlanets; ++i) n[i] = natal::pointName(i, false);
    n[tr::kPlanets] = "-";
    return n;
  }();
  return names[p == tr::kNone || p < 0 || p >= tr::kPlanets ? tr::kPlanets : p];
}
json planetJson(int p) { return p == tr::kNone ? json() : json(natal::pointName(p, false)); }

std::string inSign(double longitude) {
  const long long s = natal::arcSecondsOf(longitude) % (30 * 3600);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%2lld° %02lld′ %02lld″", s / 3600, s / 60 % 60, s % 60);
  return buf;
}

std::string degrees(double d) {
  const long long s = std::llround(std::fabs(d) * 3600);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s%lld° %02lld′ %02lld″", d < 0 && s > 0 ? "−" : "+", s / 3600,
                s / 60 % 60, s % 60);
  return buf;
}

const char* lotName(int lot) { return tr::kLotNames[lot]; }

const char* angularityName(tr::Angularity a) {
  switch (a) {
    case tr::Angularity::Angular: return "angular";
    case tr::Angularity::Succedent: return "succedent";
    default: return "cadent";
  }
}

const char* motionName(tr::Motion m) {
  switch (m) {
    case tr::Motion::Direct: return "direct";
    case tr::Motion::Retrograde: return "retrograde";
    default: return "stationary";
  }
}

const char* phaseName(tr::SolarPhase p) {
  switch (p) {
    case tr::SolarPhase::Cazimi: return "cazimi";
    case tr::SolarPhase::Combust: return "combust";
    case tr::SolarPhase::UnderTheBeams: return "under the beams";
    default: return "";
  }
}

const char* receptionName(tr::Reception::Kind k) {
  switch (k) {
    case tr::Reception::Kind::MutualDomicile: return "by domicile";
    case tr::Reception::Kind::MutualExaltation: return "by exaltation";
    case tr::Reception::Kind::Mixed: return "mixed";
    case tr::Reception::Kind::ByDomicile: return "by domicile";
    default: return "by exaltation";
  }
}

// The reception's kind as JSON names it.
const char* receptionKey(tr::Reception::Kind k) {
  switch (k) {
    case tr::Reception::Kind::MutualDomicile: return "mutual_domicile";
    case tr::Reception::Kind::MutualExaltation: return "mutual_exaltation";
    case tr::Reception::Kind::Mixed: return "mutual_mixed";
    case tr::Reception::Kind::ByDomicile: return "by_domicile";
    default: return "by_exaltation";
  }
}

// The planet's share of its triplicity as JSON names it.
const char* triplicityShare(char share) {
  return share == 'D' ? "day" : share == 'N' ? "night" : "participating";
}

// The syzygy's instant in whole seconds since 1970.
long long syzygySeconds(const tr::Syzygy& z) {
  return std::llround((z.julianDayUt - 2440587.5) * 86400.0);
}

json rulersJson(const tr::DignityRulers& r) {
  return {{"domicile", planetJson(r.domicile)},
          {"exaltation", planetJson(r.exaltation)},
          {"triplicity",
           {{"day", planetJson(r.triplicity.day)},
            {"night", planetJson(r.triplicity.night)},
            {"participating", planetJson(r.triplicity.participating)}}},
          {"bound", planetJson(r.bound)},
          {"face", planetJson(r.face)}};
}

std::string rulersText(const tr::DignityRulers& r) {
  return padded(planetName(r.domicile), 9) + padded(planetName(r.exaltation), 9) +
         padded(planetName(r.triplicity.day) + "/" + planetName(r.triplicity.night) + "/" +
                    planetName(r.triplicity.participating),
                24) +
         padded(planetName(r.bound), 9) + padded(planetName(r.face), 9);
}

std::string chainText(const std::vector<int>& chain) {
  std::string s;
  for (int p : chain) s += (s.empty() ? "" : " → ") + planetName(p);
  return s;
}

}  // namespace

json traditionalJson(const std::string& name, const natal::NatalChart& c,
                     const tr::TraditionalChart& t) {
  const tr::Sect& s = t.sect;
  json sect = json();
  if (s.known) {
    json planets = json::object();
    for (int p = 0; p < tr::kPlanets; ++p)
      planets[planetName(p)] = {{"diurnal", s.diurnal[p]}, {"in_sect", s.inSect[p]}};
    sect = {{"day", s.day},
            {"sun_altitude", c.sunAltitude},
            {"light", planetJson(s.light)},
            {"benefic", planetJson(s.benefic)},
            {"malefic", planetJson(s.malefic)},
            {"contrary_benefic", planetJson(s.contraryBenefic)},
            {"contrary_malefic", planetJson(s.contraryMalefic)},
            {"planets", planets}};
  }
  json planets = json::array();
  for (std::size_t i = 0; i < t.dignities.size(); ++i) {
    const tr::Dignities& d = t.dignities[i];
    const tr::Accidental& a = t.accidental[i];
    const std::string tripShare = d.triplicity ? triplicityShare(d.triplicity) : "";
    json accidental = {
        {"motion", motionName(a.motion)},
        {"fast", a.fast},
        {"joy_house", a.joyHouse},
        {"distance_from_sun", d.planet == tr::kSun ? json() : json(a.distanceFromSun)},
        {"oriental", d.planet == tr::kSun ? json() : json(a.orientalOfSun)},
        {"solar_phase",
         a.solarPhase == tr::SolarPhase::None ? json() : json(phaseName(a.solarPhase))}};
    if (a.housesKnown) {
      accidental["house"] = a.house;
      accidental["angularity"] = angularityName(a.angularity);
      accidental["whole_sign_house"] = a.wholeSignHouse;
      accidental["whole_sign_angularity"] = angularityName(a.wholeSignAngularity);
      accidental["in_joy"] = a.inJoy;
      accidental["in_joy_whole_sign"] = a.inJoyWholeSign;
    }
    planets.push_back(
        {{"name", planetName(d.planet)},
         {"longitude", d.longitude},
         {"sign", natal::signName(d.sign, false)},
         {"dignities",
          {{"rulers", rulersJson(d.rulers)},
           {"domicile", d.domicile},
           {"exaltation", d.exaltation},
           {"exaltation_degree", d.exaltation ? json(tr::exaltationDegree(d.planet)) : json()},
           {"triplicity", tripShare.empty() ? json() : json(tripShare)},
           {"bound", d.bound},
           {"face", d.face},
           {"detriment", d.detriment},
           {"fall", d.fall},
           {"peregrine", d.peregrine}}},
         {"score",
          {{"total", d.score},
           {"domicile", d.domicilePoints},
           {"exaltation", d.exaltationPoints},
           {"triplicity", d.triplicityPoints},
           {"bound", d.boundPoints},
           {"face", d.facePoints},
           {"detriment", d.detrimentPoints},
           {"fall", d.fallPoints},
           {"peregrine", d.peregrinePoints}}},
         {"accidental", accidental}});
  }
  json receptions = json::array();
  for (const tr::Reception& r : t.receptions)
    receptions.push_back(
        {{"kind", receptionKey(r.kind)}, {"a", planetJson(r.a)}, {"b", planetJson(r.b)}});
  json dispositors = json();
  if (t.dispositorsKnown) {
    json chains = json::object(), loops = json::array();
    for (int p = 0; p < tr::kPlanets; ++p) {
      json chain = json::array();
      for (int q : t.dispositors.chains[p]) chain.push_back(planetName(q));
      chains[planetName(p)] = chain;
    }
    for (const auto& loop : t.dispositors.loops) {
      json l = json::array();
      for (int q : loop) l.push_back(planetName(q));
      loops.push_back(l);
    }
    dispositors = {
        {"chains", chains}, {"final", planetJson(t.dispositors.finalDispositor)}, {"loops", loops}};
  }
  json lots = json::array();
  for (const tr::LotPosition& l : t.lots)
    lots.push_back({{"name", lotName(l.lot)},
                    {"longitude", l.longitude},
                    {"sign", natal::signName(l.sign, false)},
                    {"house", l.house},
                    {"whole_sign_house", l.wholeSignHouse},
                    {"rulers", rulersJson(l.rulers)}});
  json antiscia = json::array();
  for (const tr::MirrorContact& m : t.antiscia)
    antiscia.push_back({{"point", natal::pointName(m.point, false)},
                        {"other", natal::pointName(m.other, false)},
                        {"kind", m.contra ? "contra-antiscion" : "antiscion"},
                        {"orb", m.orb}});
  json points = json::array(), parallels = json::array();
  for (const tr::PointDeclination& d : t.declinations)
    points.push_back({{"name", natal::pointName(d.point, false)},
                      {"declination", d.declination},
                      {"out_of_bounds", d.outOfBounds}});
  for (const tr::DeclinationContact& p : t.parallels)
    parallels.push_back({{"a", natal::pointName(p.a, false)},
                         {"b", natal::pointName(p.b, false)},
                         {"kind", p.contra ? "contraparallel" : "parallel"},
                         {"orb", p.orb}});
  json angles = json();
  if (t.ascendantRulers && t.midheavenRulers)
    angles = {
        {"ascendant", {{"longitude", c.ascendant}, {"rulers", rulersJson(*t.ascendantRulers)}}},
        {"midheaven", {{"longitude", c.midheaven}, {"rulers", rulersJson(*t.midheavenRulers)}}}};
  json almuten = json();
  if (t.almuten && t.syzygy) {
    static const char* const kPlaces[] = {"sun", "moon", "ascendant", "fortune", "syzygy"};
    json places = json::object(), total = json::object(), winners = json::array();
    for (int i = 0; i < 5; ++i) {
      json byPlanet = json::object();
      for (int p = 0; p < tr::kPlanets; ++p)
        if (t.almuten->points[i][p]) byPlanet[planetName(p)] = t.almuten->points[i][p];
      places[kPlaces[i]] = {{"longitude", t.almuten->places[i]}, {"points", byPlanet}};
    }
    for (int p = 0; p < tr::kPlanets; ++p) total[planetName(p)] = t.almuten->total[p];
    for (int p : t.almuten->winners) winners.push_back(planetName(p));
    almuten = {{"syzygy",
                {{"kind", t.syzygy->full ? "full moon" : "new moon"},
                 {"julian_day", t.syzygy->julianDayUt},
                 {"universal_time", universalText(syzygySeconds(*t.syzygy))},
                 {"light", planetName(t.syzygy->light)},
                 {"longitude", t.syzygy->longitude}}},
               {"places", places},
               {"total", total},
               {"almuten", winners}};
  }
  json stars = json::array();
  for (const tr::StarContact& k : t.starContacts) {
    const tr::FixedStar& f = tr::fixedStars()[static_cast<std::size_t>(k.star)];
    json nature = json::array();
    for (int p : f.nature)
      if (p != tr::kNone) nature.push_back(planetName(p));
    stars.push_back({{"name", f.name},
                     {"magnitude", k.magnitude},
                     {"longitude", k.longitude},
                     {"nature", nature},
                     {"royal", f.royal},
                     {"point", natal::pointName(k.point, false)},
                     {"orb", k.orb}});
  }
  return {
      {"name", name},
      {"stars", stars},
      {"time_known", c.timeKnown},
      {"bounds", t.bounds == tr::Bounds::Ptolemaic ? "ptolemaic" : "egyptian"},
      {"sect", sect},
      {"planets", planets},
      {"angles", angles},
      {"receptions", receptions},
      {"dispositors", dispositors},
      {"lots", lots},
      {"almuten", almuten},
      {"antiscia", antiscia},
      {"declinations", {{"obliquity", t.obliquity}, {"points", points}, {"parallels", parallels}}}};
}

namespace {

// The seven by their names' order, as the tree's maps sort them.
const std::vector<int>& planetsByName() {
  static const std::vector<int> order = [] {
    std::vector<int> o = {0, 1, 2, 3, 4, 5, 6};
    std::sort(o.begin(), o.end(), [](int a, int b) { return planetName(a) < planetName(b); });
    return o;
  }();
  return order;
}

void planetValue(JsonWriter& w, int p) { p == tr::kNone ? w.null() : w.value(planetName(p)); }

void rulersValue(JsonWriter& w, const tr::DignityRulers& r) {
  w.open('{');
  w.key("bound"), planetValue(w, r.bound);
  w.key("domicile"), planetValue(w, r.domicile);
  w.key("exaltation"), planetValue(w, r.exaltation);
  w.key("face"), planetValue(w, r.face);
  w.key("triplicity").open('{');
  w.key("day"), planetValue(w, r.triplicity.day);
  w.key("night"), planetValue(w, r.triplicity.night);
  w.key("participating"), planetValue(w, r.triplicity.participating);
  w.close('}');
  w.close('}');
}

}  // namespace

std::string traditionalJsonText(const std::string& name, const natal::NatalChart& c,
                                const tr::TraditionalChart& t) {
  std::string text;
  text.reserve(32768);
  JsonWriter w(text);
  w.open('{');
  w.key("almuten");
  if (t.almuten && t.syzygy) {
    const tr::Almuten& a = *t.almuten;
    w.open('{');
    w.key("almuten").array(a.winners, [&](int p) { w.value(planetName(p)); });
    // The places by their keys' order: ascendant, fortune, moon, sun, syzygy.
    w.key("places").open('{');
    const std::pair<const char*, int> places[] = {{"ascendant", tr::Almuten::kAscendantPlace},
                                                  {"fortune", tr::Almuten::kFortunePlace},
                                                  {"moon", tr::Almuten::kMoonPlace},
                                                  {"sun", tr::Almuten::kSunPlace},
                                                  {"syzygy", tr::Almuten::kSyzygyPlace}};
    for (const auto& [key, i] : places) {
      w.key(key).open('{');
      w.key("longitude").value(a.places[i]);
      w.key("points").open('{');
      for (int p : planetsByName())
        if (a.points[i][p]) w.key(planetName(p).c_str()).value(a.points[i][p]);
      w.close('}');
      w.close('}');
    }
    w.close('}');
    w.key("syzygy").open('{');
    w.key("julian_day").value(t.syzygy->julianDayUt);
    w.key("kind").value(t.syzygy->full ? "full moon" : "new moon");
    w.key("light").value(planetName(t.syzygy->light));
    w.key("longitude").value(t.syzygy->longitude);
    w.key("universal_time").value(universalText(syzygySeconds(*t.syzygy)));
    w.close('}');
    w.key("total").open('{');
    for (int p : planetsByName()) w.key(planetName(p).c_str()).value(a.total[p]);
    w.close('}');
    w.close('}');
  } else {
    w.null();
  }
  w.key("angles");
  if (t.ascendantRulers && t.midheavenRulers) {
    w.open('{');
    w.key("ascendant").open('{');
    w.key("longitude").value(c.ascendant);
    w.key("rulers"), rulersValue(w, *t.ascendantRulers);
    w.close('}');
    w.key("midheaven").open('{');
    w.key("longitude").value(c.midheaven);
    w.key("rulers"), rulersValue(w, *t.midheavenRulers);
    w.close('}');
    w.close('}');
  } else {
    w.null();
  }
  w.key("antiscia").array(t.antiscia, [&](const tr::MirrorContact& m) {
    w.open('{');
    w.key("kind").value(m.contra ? "contra-antiscion" : "antiscion");
    w.key("orb").value(m.orb);
    w.key("other").value(natal::pointName(m.other, false));
    w.key("point").value(natal::pointName(m.point, false));
    w.close('}');
  });
  w.key("bounds").value(t.bounds == tr::Bounds::Ptolemaic ? "ptolemaic" : "egyptian");
  w.key("declinations").open('{');
  w.key("obliquity").value(t.obliquity);
  w.key("parallels").array(t.parallels, [&](const tr::DeclinationContact& p) {
    w.open('{');
    w.key("a").value(natal::pointName(p.a, false));
    w.key("b").value(natal::pointName(p.b, false));
    w.key("kind").value(p.contra ? "contraparallel" : "parallel");
    w.key("orb").value(p.orb);
    w.close('}');
  });
  w.key("points").array(t.declinations, [&](const tr::PointDeclination& d) {
    w.open('{');
    w.key("declination").value(d.declination);
    w.key("name").value(natal::pointName(d.point, false));
    w.key("out_of_bounds").value(d.outOfBounds);
    w.close('}');
  });
  w.close('}');
  w.key("dispositors");
  if (t.dispositorsKnown) {
    w.open('{');
    w.key("chains").open('{');
    for (int p : planetsByName())
      w.key(planetName(p).c_str()).array(t.dispositors.chains[p], [&](int q) {
        w.value(planetName(q));
      });
    w.close('}');
    w.key("final"), planetValue(w, t.dispositors.finalDispositor);
    w.key("loops").array(t.dispositors.loops, [&](const std::vector<int>& loop) {
      w.array(loop, [&](int q) { w.value(planetName(q)); });
    });
    w.close('}');
  } else {
    w.null();
  }
  w.key("lots").array(t.lots, [&](const tr::LotPosition& l) {
    w.open('{');
    w.key("house").value(l.house);
    w.key("longitude").value(l.longitude);
    w.key("name").value(lotName(l.lot));
    w.key("rulers"), rulersValue(w, l.rulers);
    w.key("sign").value(natal::signName(l.sign, false));
    w.key("whole_sign_house").value(l.wholeSignHouse);
    w.close('}');
  });
  w.key("name").value(name);
  w.key("planets").open('[');
  for (std::size_t i = 0; i < t.dignities.size(); ++i) {
    const tr::Dignities& d = t.dignities[i];
    const tr::Accidental& a = t.accidental[i];
    const bool sun = d.planet == tr::kSun;
    w.open('{');
    w.key("accidental").open('{');
    if (a.housesKnown) w.key("angularity").value(angularityName(a.angularity));
    w.key("distance_from_sun");
    sun ? w.null() : w.value(a.distanceFromSun);
    w.key("fast").value(a.fast);
    if (a.housesKnown) {
      w.key("house").value(a.house);
      w.key("in_joy").value(a.inJoy);
      w.key("in_joy_whole_sign").value(a.inJoyWholeSign);
    }
    w.key("joy_house").value(a.joyHouse);
    w.key("motion").value(motionName(a.motion));
    w.key("oriental");
    sun ? w.null() : w.value(a.orientalOfSun);
    w.key("solar_phase");
    a.solarPhase == tr::SolarPhase::None ? w.null() : w.value(phaseName(a.solarPhase));
    if (a.housesKnown) {
      w.key("whole_sign_angularity").value(angularityName(a.wholeSignAngularity));
      w.key("whole_sign_house").value(a.wholeSignHouse);
    }
    w.close('}');
    w.key("dignities").open('{');
    w.key("bound").value(d.bound);
    w.key("detriment").value(d.detriment);
    w.key("domicile").value(d.domicile);
    w.key("exaltation").value(d.exaltation);
    w.key("exaltation_degree");
    d.exaltation ? w.value(tr::exaltationDegree(d.planet)) : w.null();
    w.key("face").value(d.face);
    w.key("fall").value(d.fall);
    w.key("peregrine").value(d.peregrine);
    w.key("rulers"), rulersValue(w, d.rulers);
    w.key("triplicity");
    d.triplicity ? w.value(triplicityShare(d.triplicity)) : w.null();
    w.close('}');
    w.key("longitude").value(d.longitude);
    w.key("name").value(planetName(d.planet));
    w.key("score").open('{');
    w.key("bound").value(d.boundPoints);
    w.key("detriment").value(d.detrimentPoints);
    w.key("domicile").value(d.domicilePoints);
    w.key("exaltation").value(d.exaltationPoints);
    w.key("face").value(d.facePoints);
    w.key("fall").value(d.fallPoints);
    w.key("peregrine").value(d.peregrinePoints);
    w.key("total").value(d.score);
    w.key("triplicity").value(d.triplicityPoints);
    w.close('}');
    w.key("sign").value(natal::signName(d.sign, false));
    w.close('}');
  }
  w.close(']');
  w.key("receptions").array(t.receptions, [&](const tr::Reception& r) {
    w.open('{');
    w.key("a"), planetValue(w, r.a);
    w.key("b"), planetValue(w, r.b);
    w.key("kind").value(receptionKey(r.kind));
    w.close('}');
  });
  w.key("sect");
  if (t.sect.known) {
    const tr::Sect& s = t.sect;
    w.open('{');
    w.key("benefic"), planetValue(w, s.benefic);
    w.key("contrary_benefic"), planetValue(w, s.contraryBenefic);
    w.key("contrary_malefic"), planetValue(w, s.contraryMalefic);
    w.key("day").value(s.day);
    w.key("light"), planetValue(w, s.light);
    w.key("malefic"), planetValue(w, s.malefic);
    w.key("planets").open('{');
    for (int p : planetsByName()) {
      w.key(planetName(p).c_str()).open('{');
      w.key("diurnal").value(s.diurnal[p]);
      w.key("in_sect").value(s.inSect[p]);
      w.close('}');
    }
    w.close('}');
    w.key("sun_altitude").value(c.sunAltitude);
    w.close('}');
  } else {
    w.null();
  }
  w.key("stars").array(t.starContacts, [&](const tr::StarContact& k) {
    const tr::FixedStar& f = tr::fixedStars()[static_cast<std::size_t>(k.star)];
    w.open('{');
    w.key("longitude").value(k.longitude);
    w.key("magnitude").value(k.magnitude);
    w.key("name").value(f.name);
    w.key("nature").open('[');
    for (int p : f.nature)
      if (p != tr::kNone) w.value(planetName(p));
    w.close(']');
    w.key("orb").value(k.orb);
    w.key("point").value(natal::pointName(k.point, false));
    w.key("royal").value(f.royal);
    w.close('}');
  });
  w.key("time_known").value(c.timeKnown);
  w.close('}');
  return text;
}

std::string traditionalText(const std::string& name, const natal::NatalChart& c,
                            const tr::TraditionalChart& t) {
  std::string s = "traditional " + name + "\n";
  char buf[160];
  const tr::Sect& sect = t.sect;
  if (sect.known) {
    std::snprintf(buf, sizeof buf, "%.2f", c.sunAltitude);
    s += std::string("sect        ") + (sect.day ? "a day chart" : "a night chart") +
         " (the Sun's altitude " + buf + "°): the light of the sect the " + planetName(sect.light) +
         "\n            of the sect " + planetName(sect.benefic) + " (benefic), " +
         planetName(sect.malefic) + " (malefic); contrary to it " +
         planetName(sect.contraryBenefic) + ", " + planetName(sect.contraryMalefic) + "\n";
  } else {
    s += "sect        not known: the birth time is not known\n";
  }
  s += std::string("bounds      ") +
       (t.bounds == tr::Bounds::Ptolemaic ? "Ptolemaic" : "Egyptian") + "\n";

  s += "\n" + padded("PLANET", 9) + padded("SIGN", 13) + padded("POSITION", 13) +
       padded("DOMICILE", 9) + padded("EXALTED", 9) + padded("TRIPLICITY D/N/P", 24) +
       padded("BOUND", 9) + padded("FACE", 9) + "SCORE\n";
  for (const tr::Dignities& d : t.dignities) {
    std::string parts;
    auto part = [&](int points, const char* what) {
      if (points == 0) return;
      std::snprintf(buf, sizeof buf, "%s %+d", what, points);
      parts += (parts.empty() ? "" : ", ") + std::string(buf);
    };
    part(d.domicilePoints, "domicile");
    part(d.exaltationPoints, "exaltation");
    part(d.triplicityPoints, "triplicity");
    part(d.boundPoints, "bound");
    part(d.facePoints, "face");
    part(d.detrimentPoints, "detriment");
    part(d.fallPoints, "fall");
    part(d.peregrinePoints, "peregrine");
    std::snprintf(buf, sizeof buf, "%+3d", d.score);
    s += padded(planetName(d.planet), 9) + padded(natal::signName(d.sign, false), 13) +
         padded(inSign(d.longitude), 13) + rulersText(d.rulers) + buf + "  " + parts + "\n";
  }
  if (t.ascendantRulers)
    s += padded("Asc", 9) + padded(natal::signName(signOf(c.ascendant), false), 13) +
         padded(inSign(c.ascendant), 13) + rulersText(*t.ascendantRulers) + "\n";
  if (t.midheavenRulers)
    s += padded("MC", 9) + padded(natal::signName(signOf(c.midheaven), false), 13) +
         padded(inSign(c.midheaven), 13) + rulersText(*t.midheavenRulers) + "\n";

  s += "\n" + padded("PLANET", 9) + padded("SECT", 10) + padded("HOUSE", 16) +
       padded("WHOLE SIGN", 16) + padded("MOTION", 17) + "THE SUN\n";
  for (std::size_t i = 0; i < t.accidental.size(); ++i) {
    const tr::Accidental& a = t.accidental[i];
    const int p = a.planet;
    std::string sectText = sect.known ? (sect.inSect[p] ? "in" : "contrary") : "-";
    std::string house = "-", whole = "-";
    if (a.housesKnown) {
      house =
          std::to_string(a.house) + " " + angularityName(a.angularity) + (a.inJoy ? " joy" : "");
      whole = std::to_string(a.wholeSignHouse) + " " + angularityName(a.wholeSignAngularity) +
              (a.inJoyWholeSign ? " joy" : "");
    }
    std::string motion = std::string(motionName(a.motion)) + (a.fast ? ", fast" : ", slow");
    std::string sun;
    if (p != tr::kSun) {
      sun = a.orientalOfSun ? "oriental" : "occidental";
      if (a.solarPhase != tr::SolarPhase::None) sun += std::string(", ") + phaseName(a.solarPhase);
    }
    s += padded(planetName(p), 9) + padded(sectText, 10) + padded(house, 16) + padded(whole, 16) +
         padded(motion, 17) + sun + "\n";
  }

  s += "\nreceptions\n";
  if (!t.dispositorsKnown)
    s += "  not all seven planets take part\n";
  else if (t.receptions.empty())
    s += "  none\n";
  for (const tr::Reception& r : t.receptions) {
    const bool mutual = r.kind == tr::Reception::Kind::MutualDomicile ||
                        r.kind == tr::Reception::Kind::MutualExaltation ||
                        r.kind == tr::Reception::Kind::Mixed;
    s += "  " + planetName(r.a) + (mutual ? " and " : " received by ") + planetName(r.b) + ": " +
         (mutual ? std::string("mutual reception, ") + receptionName(r.kind)
                 : std::string(receptionName(r.kind)) + ", beholding it by sign") +
         "\n";
  }
  s += "\ndispositors\n";
  if (t.dispositorsKnown) {
    for (const auto& chain : t.dispositors.chains) s += "  " + chainText(chain) + "\n";
    s += "  final dispositor: " +
         (t.dispositors.finalDispositor == tr::kNone ? std::string("none")
                                                     : planetName(t.dispositors.finalDispositor)) +
         "\n";
    for (const auto& loop : t.dispositors.loops) s += "  loop: " + chainText(loop) + "\n";
  } else {
    s += "  not all seven planets take part\n";
  }
  s += "\nlots\n";
  if (t.lots.empty()) s += "  none: they need the birth time and the seven planets\n";
  for (const tr::LotPosition& l : t.lots)
    s += "  " + padded(lotName(l.lot), 11) + padded(natal::signName(l.sign, false), 13) +
         padded(inSign(l.longitude), 13) + "house " + padded(std::to_string(l.house), 3) +
         "whole sign " + padded(std::to_string(l.wholeSignHouse), 3) + "ruler " +
         planetName(l.rulers.domicile) + "\n";
  s += "\nalmuten\n";
  if (t.almuten && t.syzygy) {
    s += std::string("  the syzygy before birth: ") +
         (t.syzygy->full ? "the full moon of " : "the new moon of ") +
         universalText(syzygySeconds(*t.syzygy), "%04d-%02u-%02u %02d:%02d:%02d UT") + ", " +
         natal::signName(signOf(t.syzygy->longitude), false) + " " + inSign(t.syzygy->longitude) +
         (t.syzygy->full ? " (the " + planetName(t.syzygy->light) + "'s, above the horizon)" : "") +
         "\n  points:";
    for (int p = 0; p < tr::kPlanets; ++p)
      s += " " + planetName(p) + " " + std::to_string(t.almuten->total[p]) +
           (p + 1 < tr::kPlanets ? "," : "\n");
    std::string winners;
    for (int p : t.almuten->winners) winners += (winners.empty() ? "" : ", ") + planetName(p);
    s += "  the almuten of the chart: " + winners + "\n";
  } else {
    s += "  none: it needs the birth time, the seven planets and the syzygy\n";
  }
  s += "\nantiscia\n";
  if (t.antiscia.empty()) s += "  none within 1°\n";
  for (const tr::MirrorContact& m : t.antiscia) {
    std::snprintf(buf, sizeof buf, "%.2f°", m.orb);
    s += "  " + natal::pointName(m.point, false) +
         (m.contra ? "'s contra-antiscion on " : "'s antiscion on ") +
         natal::pointName(m.other, false) + ", " + buf + "\n";
  }
  s += "\ndeclinations (the obliquity " + degrees(t.obliquity) + ")\n";
  for (const tr::PointDeclination& d : t.declinations)
    s += "  " + padded(natal::pointName(d.point, false), 16) + degrees(d.declination) +
         (d.outOfBounds ? "  out of bounds" : "") + "\n";
  for (const tr::DeclinationContact& p : t.parallels) {
    std::snprintf(buf, sizeof buf, "%.2f°", p.orb);
    s += "  " + natal::pointName(p.a, false) + (p.contra ? " contraparallel " : " parallel ") +
         natal::pointName(p.b, false) + ", " + buf + "\n";
  }
  s += "\nfixed stars (magnitude 2.0 or brighter, within 1° of a point, 1°30′ of a light or an "
       "angle)\n";
  if (!t.stars)
    s += "  not computed: the star file sefstars.txt isn't found\n";
  else if (t.starContacts.empty())
    s += "  none\n";
  for (const tr::StarContact& k : t.starContacts) {
    const tr::FixedStar& f = tr::fixedStars()[static_cast<std::size_t>(k.star)];
    std::string nature;
    for (int p : f.nature)
      if (p != tr::kNone) nature += (nature.empty() ? "like " : " and ") + planetName(p);
    if (nature.empty()) nature = "no nature in Ptolemy";
    std::snprintf(buf, sizeof buf, "%.2f°  magnitude %.2f", k.orb, k.magnitude);
    s += "  " + padded(f.name + std::string(f.royal ? " (royal)" : ""), 24) +
         padded(natal::signName(signOf(k.longitude), false), 13) + padded(inSign(k.longitude), 13) +
         "on " + padded(natal::pointName(k.point, false), 12) + buf + ", " + nature + "\n";
  }
  return s;
}

int cmdTraditional(Tool& t, const Options& o) {
  const bool report = o.value("--html") || o.value("--pdf");
  if (int{o.has("--json")} + int{o.has("--reading")} + int{report} > 1)
    return t.usage("traditional",
                   "--json, --reading and the report (--html, --pdf) are forms of their own; "
                   "give one");
  if (o.value("--sex") && !o.has("--reading") && !report)
    return t.usage("traditional",
                   "--sex chooses the reading's words; it goes with --reading, --html or --pdf");
  std::optional<std::int32_t> sex = 0;
  if (o.has("--reading") || report) sex = sexOption(t, o, "traditional");
  if (!sex) return 2;
  tr::Bounds bounds = tr::Bounds::Egyptian;
  if (const std::string* b = o.value("--bounds")) {
    if (*b == "ptolemaic")
      bounds = tr::Bounds::Ptolemaic;
    else if (*b != "egyptian")
      return t.usage("traditional", "no bounds \"" + *b + "\"; egyptian or ptolemaic");
  }
  int status = 0;
  const auto saved = loadSavedChart(t, o, "traditional", status);
  if (!saved) return status;
  const auto chart = chartOf(t, *saved);
  if (!chart) return 1;
  const natal::NatalChart& c = *chart;
  if (c.housesFellBack)
    t.note(std::string(natal::houseSystemByCode(c.requestedSystem).title) +
           " houses can't be computed at this latitude: Porphyry houses instead");
  if (!c.timeKnown) t.note("the birth time is not known: no sect, no houses, no lots");
  for (const std::string& note : ephemerisNotes(c)) t.note(note);
  natal::Ephemeris& eph = natal::swissEphemeris();
  std::optional<tr::Syzygy> syzygy;
  if (c.timeKnown)
    syzygy = tr::syzygyBefore(c.julianDayUt, natal::recordLatitude(saved->record),
                              natal::recordLongitude(saved->record), eph);
  std::vector<double> near;
  for (const natal::PointPosition& p : c.points) near.push_back(p.longitude);
  const tr::TraditionalChart trad =
      tr::traditionalChart(c, eph.obliquity(c.julianDayUt), bounds, syzygy,
                           tr::starsAt(c.julianDayUt, eph, near, tr::kWidestStarOrb));
  const std::string name = shownName(saved->name);
  if (o.has("--reading") || report) {
    const bool greek = saved->horoscopeLanguage == 1;
    const reading::TextSet texts = reading::textSet(*t.files, greek);
    if (!reading::shippedFound(texts))
      return t.fail("no reading: no texts in " + reading::shippedTextsFolder() + "/" +
                    reading::languageFolder(greek) +
                    " (the shipped set; set ORVENDA_TEXTS to the folder of en/ and el/)");
    for (const std::string& n : reading::ownTextNotes(texts, false)) t.note(n);
    const reading::Reading r = reading::traditionalReading(trad, texts, greek, *sex);
    for (const std::string& key : r.missing)
      t.note("[" + reading::displayKey(key) + "] has no text in this set");
    if (!report) {
      t.out << reading::readingText(r);
      return 0;
    }
    const report::Traditional page{saved->name, birthLine(saved->record, c.timeKnown, greek), &c,
                                   &trad, greek};
    const std::string html = report::traditionalReportHtml(page, r);
    if (const std::string* file = o.value("--html"); file && !writeWhole(t, *file, html)) return 1;
    if (const std::string* file = o.value("--pdf"); file && !writePdf(t, html, *file)) return 1;
  } else if (o.has("--json")) {
    t.out << traditionalJsonText(name, c, trad) << "\n";
  } else {
    t.out << traditionalText(name, c, trad);
  }
  return 0;
}

}  // namespace orvenda::tool
