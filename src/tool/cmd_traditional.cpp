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

namespace {

// The text's words. English as the tables have always been written; Greek in the
// tradition's own words, its planets and points as a page writes them (accented).
struct TextWords {
  const char *title, *sectLabel, *dayChart, *nightChart, *altitude, *light, *ofSect, *benefic,
      *malefic, *contrary, *sectUnknown, *boundsLabel, *egyptian, *ptolemaic;
  const char *planetHead, *signHead, *positionHead, *domicileHead, *exaltedHead, *triplicityHead,
      *boundHead, *faceHead, *scoreHead;
  const char* parts[8];  // domicile, exaltation, triplicity, bound, face, detriment, fall,
                         // peregrine
  const char *asc, *mc;
  const char *sectHead, *houseHead, *wholeHead, *motionHead, *sunHead, *inSect, *contrarySect, *joy;
  const char *angular, *succedent, *cadent, *direct, *retrograde, *stationary, *fast, *slow,
      *oriental, *occidental, *cazimi, *combust, *beams;
  const char *receptions, *notAllSeven, *none, *andWord, *receivedBy, *mutualReception, *byDomicile,
      *byExaltation, *mixed, *beholding;
  const char *dispositors, *finalDispositor, *loop;
  const char *lots, *noLots, *house, *wholeSign, *ruler;
  const char* lotNames[tr::kLots];
  const char *almuten, *syzygy, *fullMoonOf, *newMoonOf, *aboveHorizon, *points, *almutenOf,
      *noAlmuten;
  const char *antiscia, *noneWithin, *antiscionOn, *contraOn, *declinations, *outOfBounds,
      *parallel, *contraparallel;
  const char *stars, *starFileMissing, *royal, *like, *andNature, *noNature, *on, *magnitude;
};

const TextWords kEnglishText = {
    "traditional ",
    "sect        ",
    "a day chart",
    "a night chart",
    " (the Sun's altitude ",
    "°): the light of the sect the ",
    "\n            of the sect ",
    " (benefic), ",
    " (malefic); contrary to it ",
    ", ",
    "sect        not known: the birth time is not known\n",
    "bounds      ",
    "Egyptian",
    "Ptolemaic",
    "PLANET",
    "SIGN",
    "POSITION",
    "DOMICILE",
    "EXALTED",
    "TRIPLICITY D/N/P",
    "BOUND",
    "FACE",
    "SCORE",
    {"domicile", "exaltation", "triplicity", "bound", "face", "detriment", "fall", "peregrine"},
    "Asc",
    "MC",
    "SECT",
    "HOUSE",
    "WHOLE SIGN",
    "MOTION",
    "THE SUN",
    "in",
    "contrary",
    " joy",
    "angular",
    "succedent",
    "cadent",
    "direct",
    "retrograde",
    "stationary",
    ", fast",
    ", slow",
    "oriental",
    "occidental",
    "cazimi",
    "combust",
    "under the beams",
    "receptions",
    "  not all seven planets take part\n",
    "  none\n",
    " and ",
    " received by ",
    "mutual reception, ",
    "by domicile",
    "by exaltation",
    "mixed",
    ", beholding it by sign",
    "dispositors",
    "  final dispositor: ",
    "  loop: ",
    "lots",
    "  none: they need the birth time and the seven planets\n",
    "house ",
    "whole sign ",
    "ruler ",
    {"Fortune", "Spirit", "Eros", "Necessity", "Courage", "Victory", "Nemesis"},
    "almuten",
    "  the syzygy before birth: ",
    "the full moon of ",
    "the new moon of ",
    "'s, above the horizon)",
    "\n  points:",
    "  the almuten of the chart: ",
    "  none: it needs the birth time, the seven planets and the syzygy\n",
    "antiscia",
    "  none within 1°\n",
    "'s antiscion on ",
    "'s contra-antiscion on ",
    "declinations (the obliquity ",
    "  out of bounds",
    " parallel ",
    " contraparallel ",
    "fixed stars (magnitude 2.0 or brighter, within 1° of a point, 1°30′ of a light or an "
    "angle)\n",
    "  not computed: the star file sefstars.txt isn't found\n",
    " (royal)",
    "like ",
    " and ",
    "no nature in Ptolemy",
    "on ",
    "  magnitude "};

const TextWords kGreekText = {
    "παραδοσιακός χάρτης: ",
    "αίρεση      ",
    "ημερήσιος χάρτης",
    "νυχτερινός χάρτης",
    " (ύψος του Ηλίου ",
    "°): φως της αιρέσεως ",
    "\n            της αιρέσεως ",
    " (αγαθοποιός), ",
    " (κακοποιός)· αντίθετοι στην αίρεση ",
    ", ",
    "αίρεση      άγνωστη: η ώρα της γέννησης δεν είναι γνωστή\n",
    "όρια        ",
    "αιγυπτιακά",
    "του Πτολεμαίου",
    "ΠΛΑΝΗΤΗΣ",
    "ΖΩΔΙΟ",
    "ΘΕΣΗ",
    "ΟΙΚΟΣ",
    "ΥΨΩΜΑ",
    "ΤΡΙΓΩΝΟΚΡΑΤΟΡΕΣ Η/Ν/Σ",
    "ΟΡΙΟ",
    "ΠΡΟΣΩΠΟ",
    "ΒΑΘΜΟΙ",
    {"οίκος", "ύψωμα", "τριγωνοκρατορία", "όριο", "πρόσωπο", "εξορία", "ταπείνωμα",
     "περιπλανώμενος"},
    "Ωροσκ.",
    "Μεσουρ.",
    "ΑΙΡΕΣΗ",
    "ΤΟΠΟΣ",
    "ΚΑΤΑ ΖΩΔΙΟ",
    "ΚΙΝΗΣΗ",
    "Ο ΗΛΙΟΣ",
    "εντός",
    "εκτός",
    " χαρά",
    "επίκεντρος",
    "επαναφορά",
    "απόκλιμα",
    "ορθός",
    "ανάδρομος",
    "στάσιμος",
    ", ταχύς",
    ", βραδύς",
    "εώος",
    "εσπέριος",
    "καζίμι",
    "σε καύση",
    "υπό τας αυγάς",
    "υποδοχές",
    "  δεν μετέχουν και οι επτά πλανήτες\n",
    "  καμία\n",
    " και ",
    " δεκτός από ",
    "ανταναγνώριση, ",
    "κατ' οίκον",
    "καθ' ύψωμα",
    "μεικτή",
    ", τον βλέπει κατά ζώδιο",
    "οικοδεσπότες",
    "  τελικός οικοδεσπότης: ",
    "  κύκλος: ",
    "κλήροι",
    "  κανένας: θέλουν την ώρα της γέννησης και τους επτά πλανήτες\n",
    "τόπος ",
    "κατά ζώδιο ",
    "κύριος ",
    {"Τύχης", "Δαίμονος", "Έρωτος", "Ανάγκης", "Τόλμης", "Νίκης", "Νεμέσεως"},
    "επικρατήτορας",
    "  η προγεννητική συζυγία: ",
    "η πανσέληνος στις ",
    "η σύνοδος στις ",
    ", πάνω από τον ορίζοντα)",
    "\n  βαθμοί:",
    "  ο επικρατήτορας του χάρτη: ",
    "  κανένας: θέλει την ώρα της γέννησης, τους επτά πλανήτες και τη συζυγία\n",
    "αντίσκια",
    "  κανένα εντός 1°\n",
    ": αντίσκιο πάνω σε ",
    ": αντι-αντίσκιο πάνω σε ",
    "αποκλίσεις (η λόξωση της εκλειπτικής ",
    "  εκτός ορίων",
    " παράλληλος με ",
    " αντιπαράλληλος με ",
    "απλανείς αστέρες (μεγέθους 2,0 ή λαμπρότεροι, εντός 1° από σημείο, 1°30′ από φως ή "
    "κέντρο)\n",
    "  δεν υπολογίστηκαν: το αρχείο αστέρων sefstars.txt δεν βρέθηκε\n",
    " (βασιλικός)",
    "της φύσεως ",
    " και ",
    "δεν τη δίνει ο Πτολεμαίος",
    "",
    "  μέγεθος "};

// A planet after "από" in Greek: the accusative with its article.
const char* greekAccusative(int p) {
  static const char* const kAccusative[tr::kPlanets] = {
      "τον Ήλιο", "τη Σελήνη", "τον Ερμή", "την Αφροδίτη", "τον Άρη", "τον Δία", "τον Κρόνο"};
  return p >= 0 && p < tr::kPlanets ? kAccusative[p] : "";
}

// A planet in the genitive with its article, for a star's nature in Greek.
const char* greekGenitive(int p) {
  static const char* const kGenitive[tr::kPlanets] = {
      "του Ηλίου", "της Σελήνης", "του Ερμή", "της Αφροδίτης", "του Άρη", "του Δία", "του Κρόνου"};
  return p >= 0 && p < tr::kPlanets ? kGenitive[p] : "";
}

}  // namespace

std::string traditionalText(const std::string& name, const natal::NatalChart& c,
                            const tr::TraditionalChart& t, bool greek) {
  const TextWords& w = greek ? kGreekText : kEnglishText;
  const auto planet = [&](int p) {
    return greek && p != tr::kNone ? natal::pointWord(p, true) : planetName(p);
  };
  const auto point = [&](int p) {
    return greek ? natal::pointWord(p, true) : natal::pointName(p, false);
  };
  const auto sign = [&](int sg) { return natal::signName(sg, greek); };
  const auto decimal = [&](std::string text) {
    if (greek)
      for (char& ch : text)
        if (ch == '.') ch = ',';  // the Greek decimal comma
    return text;
  };
  std::string s = w.title + name + "\n";
  char buf[160];
  const tr::Sect& sect = t.sect;
  if (sect.known) {
    std::snprintf(buf, sizeof buf, "%.2f", c.sunAltitude);
    s += std::string(w.sectLabel) + (sect.day ? w.dayChart : w.nightChart) + w.altitude +
         decimal(buf) + w.light + planet(sect.light) + w.ofSect + planet(sect.benefic) + w.benefic +
         planet(sect.malefic) + w.malefic + planet(sect.contraryBenefic) + w.contrary +
         planet(sect.contraryMalefic) + "\n";
  } else {
    s += w.sectUnknown;
  }
  s += std::string(w.boundsLabel) + (t.bounds == tr::Bounds::Ptolemaic ? w.ptolemaic : w.egyptian) +
       "\n";

  const auto rulers = [&](const tr::DignityRulers& r) {
    return padded(planet(r.domicile), 9) + padded(planet(r.exaltation), 9) +
           padded(planet(r.triplicity.day) + "/" + planet(r.triplicity.night) + "/" +
                      planet(r.triplicity.participating),
                  greek ? 27 : 24) +
           padded(planet(r.bound), 9) + padded(planet(r.face), 9);
  };
  s += "\n" + padded(w.planetHead, 9) + padded(w.signHead, 13) + padded(w.positionHead, 13) +
       padded(w.domicileHead, 9) + padded(w.exaltedHead, 9) +
       padded(w.triplicityHead, greek ? 27 : 24) + padded(w.boundHead, 9) + padded(w.faceHead, 9) +
       w.scoreHead + "\n";
  for (const tr::Dignities& d : t.dignities) {
    std::string parts;
    auto part = [&](int points, const char* what) {
      if (points == 0) return;
      std::snprintf(buf, sizeof buf, "%s %+d", what, points);
      parts += (parts.empty() ? "" : ", ") + std::string(buf);
    };
    const int pts[8] = {d.domicilePoints, d.exaltationPoints, d.triplicityPoints,
                        d.boundPoints,    d.facePoints,       d.detrimentPoints,
                        d.fallPoints,     d.peregrinePoints};
    for (int k = 0; k < 8; ++k)
      part(pts[k], k == 7 && greek && (d.planet == tr::kMoon || d.planet == tr::kVenus)
                       ? "περιπλανώμενη"
                       : w.parts[k]);
    std::snprintf(buf, sizeof buf, "%+3d", d.score);
    s += padded(planet(d.planet), 9) + padded(sign(d.sign), 13) + padded(inSign(d.longitude), 13) +
         rulers(d.rulers) + buf + "  " + parts + "\n";
  }
  if (t.ascendantRulers)
    s += padded(w.asc, 9) + padded(sign(signOf(c.ascendant)), 13) +
         padded(inSign(c.ascendant), 13) + rulers(*t.ascendantRulers) + "\n";
  if (t.midheavenRulers)
    s += padded(w.mc, 9) + padded(sign(signOf(c.midheaven)), 13) + padded(inSign(c.midheaven), 13) +
         rulers(*t.midheavenRulers) + "\n";

  const auto angularity = [&](tr::Angularity a) {
    return a == tr::Angularity::Angular     ? w.angular
           : a == tr::Angularity::Succedent ? w.succedent
                                            : w.cadent;
  };
  s += "\n" + padded(w.planetHead, 9) + padded(w.sectHead, 10) + padded(w.houseHead, 16) +
       padded(w.wholeHead, 16) + padded(w.motionHead, 17) + w.sunHead + "\n";
  for (std::size_t i = 0; i < t.accidental.size(); ++i) {
    const tr::Accidental& a = t.accidental[i];
    const int p = a.planet;
    std::string sectText = sect.known ? (sect.inSect[p] ? w.inSect : w.contrarySect) : "-";
    std::string house = "-", whole = "-";
    if (a.housesKnown) {
      house = std::to_string(a.house) + " " + angularity(a.angularity) + (a.inJoy ? w.joy : "");
      whole = std::to_string(a.wholeSignHouse) + " " + angularity(a.wholeSignAngularity) +
              (a.inJoyWholeSign ? w.joy : "");
    }
    std::string motion = std::string(a.motion == tr::Motion::Direct       ? w.direct
                                     : a.motion == tr::Motion::Retrograde ? w.retrograde
                                                                          : w.stationary) +
                         (a.fast ? w.fast : w.slow);
    std::string sun;
    if (p != tr::kSun) {
      sun = a.orientalOfSun ? w.oriental : w.occidental;
      if (a.solarPhase != tr::SolarPhase::None)
        sun += std::string(", ") + (a.solarPhase == tr::SolarPhase::Cazimi    ? w.cazimi
                                    : a.solarPhase == tr::SolarPhase::Combust ? w.combust
                                                                              : w.beams);
    }
    s += padded(planet(p), 9) + padded(sectText, 10) + padded(house, 16) + padded(whole, 16) +
         padded(motion, 17) + sun + "\n";
  }

  s += std::string("\n") + w.receptions + "\n";
  if (!t.dispositorsKnown)
    s += w.notAllSeven;
  else if (t.receptions.empty())
    s += w.none;
  for (const tr::Reception& r : t.receptions) {
    using K = tr::Reception::Kind;
    const bool mutual =
        r.kind == K::MutualDomicile || r.kind == K::MutualExaltation || r.kind == K::Mixed;
    const char* how = r.kind == K::Mixed                                       ? w.mixed
                      : r.kind == K::MutualDomicile || r.kind == K::ByDomicile ? w.byDomicile
                                                                               : w.byExaltation;
    std::string received = w.receivedBy;
    if (greek && (r.a == tr::kMoon || r.a == tr::kVenus)) received = " δεκτή από ";
    s += "  " + planet(r.a) + (mutual ? std::string(w.andWord) : received) +
         (greek && !mutual ? std::string(greekAccusative(r.b)) : planet(r.b)) + ": " +
         (mutual ? std::string(w.mutualReception) + how : std::string(how) + w.beholding) + "\n";
  }
  s += std::string("\n") + w.dispositors + "\n";
  const auto chain = [&](const std::vector<int>& list) {
    std::string out;
    for (int p : list) out += (out.empty() ? "" : " → ") + planet(p);
    return out;
  };
  if (t.dispositorsKnown) {
    for (const auto& ch : t.dispositors.chains) s += "  " + chain(ch) + "\n";
    s += w.finalDispositor +
         (t.dispositors.finalDispositor == tr::kNone ? std::string(greek ? "κανένας" : "none")
                                                     : planet(t.dispositors.finalDispositor)) +
         "\n";
    for (const auto& loop : t.dispositors.loops) s += w.loop + chain(loop) + "\n";
  } else {
    s += w.notAllSeven;
  }
  s += std::string("\n") + w.lots + "\n";
  if (t.lots.empty()) s += w.noLots;
  for (const tr::LotPosition& l : t.lots)
    s += "  " + padded(w.lotNames[l.lot], 11) + padded(sign(l.sign), 13) +
         padded(inSign(l.longitude), 13) + w.house + padded(std::to_string(l.house), 3) +
         w.wholeSign + padded(std::to_string(l.wholeSignHouse), 3) + w.ruler +
         planet(l.rulers.domicile) + "\n";
  s += std::string("\n") + w.almuten + "\n";
  if (t.almuten && t.syzygy) {
    s += std::string(w.syzygy) + (t.syzygy->full ? w.fullMoonOf : w.newMoonOf) +
         universalText(syzygySeconds(*t.syzygy), "%04d-%02u-%02u %02d:%02d:%02d UT") + ", " +
         sign(signOf(t.syzygy->longitude)) + " " + inSign(t.syzygy->longitude) +
         (t.syzygy->full ? (greek ? " (" : " (the ") + planet(t.syzygy->light) + w.aboveHorizon
                         : "") +
         w.points;
    for (int p = 0; p < tr::kPlanets; ++p)
      s += " " + planet(p) + " " + std::to_string(t.almuten->total[p]) +
           (p + 1 < tr::kPlanets ? "," : "\n");
    std::string winners;
    for (int p : t.almuten->winners) winners += (winners.empty() ? "" : ", ") + planet(p);
    s += w.almutenOf + winners + "\n";
  } else {
    s += w.noAlmuten;
  }
  s += std::string("\n") + w.antiscia + "\n";
  if (t.antiscia.empty()) s += w.noneWithin;
  for (const tr::MirrorContact& m : t.antiscia) {
    std::snprintf(buf, sizeof buf, "%.2f°", m.orb);
    // Greek names the two and then what joins them: a name after a preposition would be
    // declined.
    s += greek ? "  " + point(m.point) + " → " + point(m.other) +
                     (m.contra ? ": αντι-αντίσκιο, " : ": αντίσκιο, ") + decimal(buf) + "\n"
               : "  " + point(m.point) + (m.contra ? w.contraOn : w.antiscionOn) + point(m.other) +
                     ", " + decimal(buf) + "\n";
  }
  s += std::string("\n") + w.declinations + degrees(t.obliquity) + ")\n";
  for (const tr::PointDeclination& d : t.declinations)
    s += "  " + padded(point(d.point), 16) + degrees(d.declination) +
         (d.outOfBounds ? w.outOfBounds : "") + "\n";
  for (const tr::DeclinationContact& p : t.parallels) {
    std::snprintf(buf, sizeof buf, "%.2f°", p.orb);
    s += greek ? "  " + point(p.a) + ", " + point(p.b) +
                     (p.contra ? ": αντιπαράλληλοι, " : ": παράλληλοι, ") + decimal(buf) + "\n"
               : "  " + point(p.a) + (p.contra ? w.contraparallel : w.parallel) + point(p.b) +
                     ", " + decimal(buf) + "\n";
  }
  s += std::string("\n") + w.stars;
  if (!t.stars)
    s += w.starFileMissing;
  else if (t.starContacts.empty())
    s += w.none;
  for (const tr::StarContact& k : t.starContacts) {
    const tr::FixedStar& f = tr::fixedStars()[static_cast<std::size_t>(k.star)];
    std::string nature;
    for (int p : f.nature)
      if (p != tr::kNone)
        nature += (nature.empty() ? w.like : w.andNature) +
                  (greek ? std::string(greekGenitive(p)) : planet(p));
    if (nature.empty()) nature = w.noNature;
    std::snprintf(buf, sizeof buf, "%.2f°", k.orb);
    std::string figures = decimal(buf) + w.magnitude;
    std::snprintf(buf, sizeof buf, "%.2f", k.magnitude);
    figures += decimal(buf);
    s += "  " + padded(std::string(greek ? f.greek : f.name) + (f.royal ? w.royal : ""), 24) +
         padded(sign(signOf(k.longitude)), 13) + padded(inSign(k.longitude), 13) + w.on +
         padded(point(k.point), greek ? 16 : 12) + figures + ", " + nature + "\n";
  }
  return s;
}

int cmdTraditional(Tool& t, const Options& o) {
  const bool report = o.value("--html") || o.value("--pdf");
  if (int{o.has("--json")} + int{o.has("--reading")} + int{o.value("--html") != nullptr} +
          int{o.value("--pdf") != nullptr} >
      1)
    return t.usage("traditional",
                   "--json, --reading, --html and --pdf are forms of their own; give one");
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
  // Sect, dignities and lots are of the seven planets: a birth the ephemeris can't give
  // them for has no traditional chart (the day or night of a Sun not computed is nothing).
  for (int p = 0; p < tr::kPlanets; ++p)
    if (std::find(c.missing.begin(), c.missing.end(), p) != c.missing.end())
      return t.fail("traditional: the position of " + natal::pointName(p, false) +
                    " can't be computed for this birth (beyond the ephemeris's years), and the "
                    "traditional chart is of the seven planets");
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
    if (!reading::shippedFound(texts)) return noShippedTexts(t, greek);
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
    t.out << traditionalText(name, c, trad, saved->horoscopeLanguage == 1);
  }
  return 0;
}

}  // namespace orvenda::tool
