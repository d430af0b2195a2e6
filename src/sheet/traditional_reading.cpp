#include "sheet/traditional_reading.h"

#include <set>
#include <string>
#include <vector>

#include "natal/names.h"

namespace orvenda::reading {
namespace {

namespace tr = traditional;

// The planets whose Greek names are feminine: the Moon and Venus.
bool feminine(int planet) { return planet == tr::kMoon || planet == tr::kVenus; }

std::string conditionHeading(int planet, const char* condition, bool greek) {
  const std::string name = natal::pointWord(planet, greek);
  if (!greek) {
    const std::string c = condition;
    if (c == "peregrine") return name + ", peregrine";
    return name + " in its " + c;
  }
  const char* his = feminine(planet) ? "της" : "του";
  const std::string c = condition;
  if (c == "domicile") return name + " στον οίκο " + his;
  if (c == "exaltation") return name + " στο ύψωμά " + his;
  if (c == "detriment") return name + " στην εξορία " + his;
  if (c == "fall") return name + " στο ταπείνωμά " + his;
  return name + (feminine(planet) ? ", περιπλανώμενη" : ", περιπλανώμενος");
}

}  // namespace

Reading traditionalReading(const tr::TraditionalChart& t, const TextSet& texts, bool greek,
                           std::int32_t sex) {
  Reading r;
  r.greek = greek;
  r.title = greek ? "Ο παραδοσιακός χάρτης" : "The traditional chart";
  std::set<std::string> missing;
  auto entry = [&](Chapter& ch, const std::string& heading, const std::string& display) {
    const std::string key = *canonicalKey(display);
    Entry e;
    e.heading = heading;
    Part p;
    p.keys = {key};
    if (const std::string* text = texts.find(key))
      p.text = withChoices(*text, sex);
    else if (missing.insert(key).second)
      r.missing.push_back(key);
    e.parts.push_back(p);
    ch.entries.push_back(e);
  };
  const auto planet = [&](int p) { return natal::pointName(p, false); };

  if (t.sect.known) {
    Chapter ch{"sect", greek ? "Η αίρεση" : "Sect", {}, {}};
    entry(ch,
          t.sect.day ? (greek ? "Ημερήσιος χάρτης" : "A day chart")
                     : (greek ? "Νυχτερινός χάρτης" : "A night chart"),
          t.sect.day ? "sect day" : "sect night");
    for (int p = 0; p < tr::kPlanets; ++p) {
      const bool in = t.sect.inSect[p];
      entry(ch,
            natal::pointWord(p, greek) + (greek ? (in ? " εντός αιρέσεως" : " εκτός αιρέσεως")
                                                : (in ? " in sect" : " contrary to sect")),
            planet(p) + (in ? " in sect" : " contrary to sect"));
    }
    r.chapters.push_back(ch);
  }

  Chapter condition{
      "condition", greek ? "Η κατάσταση των πλανητών" : "The planets' condition", {}, {}};
  for (const tr::Dignities& d : t.dignities) {
    const std::pair<bool, const char*> states[] = {{d.domicile, "domicile"},
                                                   {d.exaltation, "exaltation"},
                                                   {d.detriment, "detriment"},
                                                   {d.fall, "fall"},
                                                   {d.peregrine, "peregrine"}};
    for (const auto& [holds, name] : states)
      if (holds)
        entry(condition, conditionHeading(d.planet, name, greek),
              "condition " + planet(d.planet) + " " + name);
  }
  if (!condition.entries.empty()) r.chapters.push_back(condition);

  Chapter receptions{"receptions", greek ? "Ανταναγνωρίσεις" : "Mutual receptions", {}, {}};
  for (const tr::Reception& x : t.receptions) {
    const char* kind = x.kind == tr::Reception::Kind::MutualDomicile     ? "mutual domicile"
                       : x.kind == tr::Reception::Kind::MutualExaltation ? "mutual exaltation"
                       : x.kind == tr::Reception::Kind::Mixed            ? "mixed"
                                                                         : nullptr;
    if (!kind) continue;
    const std::string how =
        greek
            ? (x.kind == tr::Reception::Kind::MutualDomicile ? "ανταναγνώριση κατ' οίκον"
               : x.kind == tr::Reception::Kind::MutualExaltation ? "ανταναγνώριση καθ' ύψωμα"
                                                                 : "μεικτή ανταναγνώριση")
            : (x.kind == tr::Reception::Kind::MutualDomicile     ? "mutual reception by domicile"
               : x.kind == tr::Reception::Kind::MutualExaltation ? "mutual reception by exaltation"
                                                                 : "mixed mutual reception");
    entry(receptions,
          natal::pointWord(x.a, greek) + (greek ? " και " : " and ") +
              natal::pointWord(x.b, greek) + ": " + how,
          std::string("reception ") + kind);
  }
  if (!receptions.entries.empty()) r.chapters.push_back(receptions);

  if (!t.lots.empty()) {
    static const char* const kGreekLots[] = {"Τύχης",  "Δαίμονος", "Έρωτος",  "Ανάγκης",
                                             "Τόλμης", "Νίκης",    "Νεμέσεως"};
    Chapter lots{"lots", greek ? "Οι κλήροι" : "The lots", {}, {}};
    lots.lines.push_back(greek ? "Κάθε κλήρος στον τόπο του, σε ολόκληρα ζώδια από τον ωροσκόπο."
                               : "Each lot in its place, by whole signs from the Ascendant.");
    for (const tr::LotPosition& l : t.lots) {
      const std::string house = std::to_string(l.wholeSignHouse);
      entry(lots,
            greek ? std::string("Ο κλήρος ") + kGreekLots[l.lot] + " στον " + house + "ο τόπο"
                  : std::string("The Lot of ") + tr::kLotNames[l.lot] + " in the " + house +
                        (l.wholeSignHouse == 1   ? "st"
                         : l.wholeSignHouse == 2 ? "nd"
                         : l.wholeSignHouse == 3 ? "rd"
                                                 : "th") +
                        " place",
            std::string("lot ") + tr::kLotNames[l.lot] + " in house " + house);
    }
    r.chapters.push_back(lots);
  }

  Chapter stars{"stars", greek ? "Οι απλανείς αστέρες" : "The fixed stars", {}, {}};
  std::set<int> told;
  for (const tr::StarContact& k : t.starContacts) {
    const tr::FixedStar& f = tr::fixedStars()[static_cast<std::size_t>(k.star)];
    if (f.nature[0] == tr::kNone) continue;
    // A star on two points is told once, naming both.
    std::string on;
    for (const tr::StarContact& o : t.starContacts)
      if (o.star == k.star) on += (on.empty() ? "" : ", ") + natal::pointWord(o.point, greek);
    if (!told.insert(k.star).second) continue;
    entry(stars, std::string(greek ? f.greek : f.name) + " · " + on, std::string("star ") + f.name);
  }
  if (!stars.entries.empty()) r.chapters.push_back(stars);

  Chapter bounds{"out_of_bounds", greek ? "Εκτός ορίων" : "Out of bounds", {}, {}};
  for (const tr::PointDeclination& d : t.declinations) {
    if (!d.outOfBounds) continue;
    const std::string display = "out of bounds " + natal::pointName(d.point, false);
    if (!canonicalKey(display)) continue;  // the angles and the asteroids have no text
    entry(bounds, natal::pointWord(d.point, greek) + (greek ? " εκτός ορίων" : " out of bounds"),
          display);
  }
  if (!bounds.entries.empty()) r.chapters.push_back(bounds);
  return r;
}

}  // namespace orvenda::reading
