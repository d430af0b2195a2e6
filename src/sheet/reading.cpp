// The natal reading, composed from the chart and an interpretation set. The program's own
// words (headings, leads, counts) never inflect a name: in Greek a name stands after a
// colon, in parentheses or as a sentence's subject, where its nominative is right, and
// house numbers carry their case ending as figures do ("στον 10ο οίκο").
#include "sheet/reading.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>

#include "natal/names.h"

namespace orvenda::reading {
namespace {

using natal::NatalChart;
using natal::PointPosition;

struct Words {
  const char* title;
  const char* chapters[5];
  const char* timeNote;
  const char* points[22];
  const char* aspects[18];
  const char* inSign;        // lead of a point's sign text
  const char* inHouse;       // lead of its house text
  const char* signLean;      // {width} {sign}
  const char* houseLean;     // {width} {house, genitive}
  const char* moonDay;       // {sign}
  const char* ascendant;     // {sign}
  const char* chartRuler;    // {rulers}
  const char* chartRulers;   // {rulers}
  const char* rulerAt;       // {point} {house, accusative}
  const char* rulerAbsent;   // {point}
  const char* houseHeading;  // {house, nominative} {sign}
  const char* rulerOf;       // {house, genitive} {rulers}
  const char* rulersOf;      // {house, genitive} {rulers}
  const char* naturalOf;     // {house, genitive} {rulers}
  const char* naturalsOf;    // {house, genitive} {rulers}
  const char* naturalSame;   // {rulers}
  const char* rulerThere;    // {point} {house, accusative}: lead of a second ruler's house
  const char* orb;           // {deviation} {applying}
  const char* applying;
  const char* separating;
  const char* exact;
  const char* elements;  // {fire} {earth} {air} {water}
  const char* elementNames[4];
  const char* modalities;  // {cardinal} {fixed} {mutable}
  const char* modalityNames[3];
  const char* strongestElement;
  const char* strongestModality;
  const char* without;      // {names}
  const char* hemispheres;  // {upper} {lower} {east} {west}
  const char* hemisphereNames[4];
  const char* busyHouses;       // {list}
  const char* busyHouse;        // {house, nominative} {count}
  const char* stelliumSign;     // {sign}
  const char* stelliumHouse;    // {house, nominative}
  const char* patternNames[4];  // grand trine, T-square, grand cross, yod
  const char* tSquare;          // {a} {b} {apex}
  const char* yod;              // {a} {b} {apex}
  const char* missingOne;       // {keys}
  const char* missingMany;      // {count} {keys}
};

constexpr Words kEnglish = {
    "The reading",
    {"The Ascendant and the ruler of the chart", "Planets and points", "Aspects", "Houses",
     "The chart as a whole"},
    "The birth time is not known, so the Ascendant, the Midheaven, the houses and their rulers, "
    "and all that rests on them, are left out.",
    {"Sun",           "Moon",       "Mercury",   "Venus",      "Mars",   "Jupiter",
     "Saturn",        "Uranus",     "Neptune",   "Pluto",      "Chiron", "Ceres",
     "Pallas Athena", "Juno",       "Vesta",     "North Node", "Lilith", "Part of Fortune",
     "Vertex",        "East Point", "Ascendant", "Midheaven"},
    {"conjunction", "opposition", "square", "trine", "sextile", "inconjunct", "semisextile",
     "semisquare", "sesquiquadrate", "quintile", "biquintile", "semiquintile", "septile", "novile",
     "binovile", "biseptile", "triseptile", "quadnovile"},
    "In {}",
    "In the {} house",
    "Within {}° of the next sign, {}, the placement leans toward it as well:",
    "Within {}° of the cusp of the {} house, it leans toward that house as well:",
    "During the day the Moon was also in {}; if you were born while it was there, this is yours:",
    "Ascendant in {}",
    "Ruler of the chart: {}",
    "Rulers of the chart: {}",
    "{}, in the {} house",
    "{}, not among this chart's points",
    "The {} house: {} on the cusp",
    "Ruler of the {}: {}.",
    "Rulers of the {}: {}.",
    "Natural ruler of the {}: {}.",
    "Natural rulers of the {}: {}.",
    "Its natural ruler is the same: {}.",
    "{}, in the {} house:",
    "orb {}, {}",
    "applying",
    "separating",
    "exact",
    "Elements: Fire {}, Earth {}, Air {}, Water {} (the Sun, the Moon and the Ascendant count "
    "twice).",
    {"Fire", "Earth", "Air", "Water"},
    "Modalities: Cardinal {}, Fixed {}, Mutable {}.",
    {"Cardinal", "Fixed", "Mutable"},
    "Strongest element: {}",
    "Strongest modality: {}",
    "Without weight: {}.",
    "Planets above the horizon {}, below it {}; in the east {}, in the west {}.",
    {"The upper hemisphere", "The lower hemisphere", "The eastern hemisphere",
     "The western hemisphere"},
    "Houses with three or more points: {}.",
    "the {} ({})",
    "Stellium in {}",
    "Stellium in the {} house",
    {"Grand trine", "T-square", "Grand cross", "Yod"},
    "{} and {} in opposition, {} at the apex",
    "{} and {} in sextile, {} at the apex",
    "1 factor has no text in this set: {}.",
    "{} factors have no text in this set: {}.",
};

constexpr Words kGreek = {
    "Η ερμηνεία",
    {"Ο Ωροσκόπος και ο κυβερνήτης του χάρτη", "Πλανήτες και σημεία", "Όψεις", "Οίκοι",
     "Ο χάρτης ως σύνολο"},
    "Η ώρα γέννησης δεν είναι γνωστή· γι' αυτό λείπουν ο Ωροσκόπος, το Μεσουράνημα, οι οίκοι "
    "με τους κυβερνήτες τους και ό,τι στηρίζεται σε αυτά.",
    {"Ήλιος",      "Σελήνη",
     "Ερμής",      "Αφροδίτη",
     "Άρης",       "Δίας",
     "Κρόνος",     "Ουρανός",
     "Ποσειδώνας", "Πλούτωνας",
     "Χείρωνας",   "Δήμητρα",
     "Παλλάδα",    "Ήρα",
     "Εστία",      "Βόρειος Δεσμός",
     "Λίλιθ",      "Κλήρος της Τύχης",
     "Βέρτεξ",     "Ανατολικό Σημείο",
     "Ωροσκόπος",  "Μεσουράνημα"},
    {"σύνοδος", "αντίθεση", "τετράγωνο", "τρίγωνο", "εξάγωνο", "χιαστί", "ημιεξάγωνο",
     "ημιτετράγωνο", "ενάμισι τετράγωνο", "πέμπτο", "δισπέμπτο", "μισό πέμπτο", "επτάγωνο",
     "εννιάγωνο", "διπλό εννιάγωνο", "διπλό επτάγωνο", "τριπλό επτάγωνο", "τετραπλό εννιάγωνο"},
    "Ζώδιο: {}",
    "Οίκος: {}",
    "Μέσα σε {}° από το επόμενο ζώδιο ({}), η θέση γέρνει και προς αυτό:",
    "Μέσα σε {}° από την ακμή του {} οίκου, η θέση γέρνει και προς εκείνον:",
    "Μέσα στην ημέρα η Σελήνη βρέθηκε και σε άλλο ζώδιο ({}). Αν γεννήθηκες όσο ήταν εκεί, "
    "σε αφορά αυτό:",
    "Ωροσκόπος: {}",
    "Κυβερνήτης του χάρτη: {}",
    "Κυβερνήτες του χάρτη: {}",
    "{}, στον {} οίκο",
    "{}, εκτός των σημείων του χάρτη",
    "{} οίκος: {} στην ακμή",
    "Κυβερνήτης του {}: {}.",
    "Κυβερνήτες του {}: {}.",
    "Φυσικός κυβερνήτης του {}: {}.",
    "Φυσικοί κυβερνήτες του {}: {}.",
    "Ο φυσικός κυβερνήτης είναι ο ίδιος: {}.",
    "{}, στον {} οίκο:",
    "απόκλιση {}, {}",
    "εφαρμόζουσα",
    "αποχωρούσα",
    "ακριβής",
    "Στοιχεία: Φωτιά {}, Γη {}, Αέρας {}, Νερό {} (ο Ήλιος, η Σελήνη και ο Ωροσκόπος μετρούν "
    "διπλά).",
    {"Φωτιά", "Γη", "Αέρας", "Νερό"},
    "Ποιότητες: Καρδινάλια {}, Σταθερά {}, Μεταβλητά {}.",
    {"Καρδινάλια", "Σταθερά", "Μεταβλητά"},
    "Κυρίαρχο στοιχείο: {}",
    "Κυρίαρχη ποιότητα: {}",
    "Χωρίς βάρος: {}.",
    "Πλανήτες πάνω από τον ορίζοντα {}, κάτω από αυτόν {}· στην ανατολή {}, στη δύση {}.",
    {"Το άνω ημισφαίριο", "Το κάτω ημισφαίριο", "Το ανατολικό ημισφαίριο", "Το δυτικό ημισφαίριο"},
    "Οίκοι με τρία ή περισσότερα σημεία: {}.",
    "{} ({})",
    "Συγκέντρωση πλανητών: {}",
    "Συγκέντρωση πλανητών: {} οίκος",
    {"Μεγάλο τρίγωνο", "Τ-τετράγωνο", "Μεγάλος σταυρός", "Γιοντ"},
    "{} και {} σε αντίθεση, κορυφή: {}",
    "{} και {} σε εξάγωνο, κορυφή: {}",
    "1 παράγοντας δεν έχει κείμενο σε αυτή τη συλλογή: {}.",
    "{} παράγοντες δεν έχουν κείμενο σε αυτή τη συλλογή: {}.",
};

// Replaces each {} of a pattern with the next argument.
std::string fill(const char* pattern, std::initializer_list<std::string> args) {
  std::string out;
  auto arg = args.begin();
  for (const char* p = pattern; *p; ++p) {
    if (p[0] == '{' && p[1] == '}' && arg != args.end()) {
      out += *arg++;
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

// A house's ordinal: English "7th"; Greek with the case ending a sentence needs.
enum class Case { Nominative, Accusative, Genitive };
std::string ordinal(int n, bool greek, Case c = Case::Nominative) {
  if (greek)
    return std::to_string(n) + (c == Case::Nominative ? "ος" : c == Case::Accusative ? "ο" : "ου");
  const char* suffix = (n % 100 >= 11 && n % 100 <= 13) ? "th"
                       : n % 10 == 1                    ? "st"
                       : n % 10 == 2                    ? "nd"
                       : n % 10 == 3                    ? "rd"
                                                        : "th";
  return std::to_string(n) + suffix;
}

std::string joined(const std::vector<std::string>& items, const std::string& separator = ", ") {
  std::string out;
  for (const auto& s : items) out += (out.empty() ? "" : separator) + s;
  return out;
}

std::string degreesText(double degrees) {
  const long long seconds = std::llround(std::fabs(degrees) * 3600);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%lld°%02lld′", seconds / 3600, seconds / 60 % 60);
  return buf;
}

bool isAngle(int point) {
  return point == natal::kVertex || point == natal::kEastPoint || point == natal::kAscendant ||
         point == natal::kMidheaven;
}

class Composer {
 public:
  Composer(const NatalChart& c, const ReadingSettings& s, const TextSet& t, bool greek)
      : c_(c), s_(s), t_(t), greek_(greek), w_(greek ? kGreek : kEnglish) {}

  Reading compose() {
    Reading r;
    r.greek = greek_;
    r.title = w_.title;
    if (!c_.timeKnown) r.timeNote = w_.timeNote;
    if (c_.timeKnown) add(r, ascendantChapter());
    add(r, pointsChapter());
    add(r, aspectsChapter());
    if (c_.timeKnown) add(r, housesChapter());
    add(r, wholeChapter());
    for (auto& chapter : r.chapters)
      for (auto& entry : chapter.entries)
        for (auto& part : entry.parts) part.text = withChoices(part.text, s_.sex);
    r.missing = missing_;
    if (!missing_.empty()) {
      std::vector<std::string> shown;
      for (const auto& k : missing_) shown.push_back(displayKey(k));
      r.missingNote = missing_.size() == 1
                          ? fill(w_.missingOne, {joined(shown)})
                          : fill(w_.missingMany, {std::to_string(missing_.size()), joined(shown)});
    }
    return r;
  }

 private:
  const NatalChart& c_;
  const ReadingSettings& s_;
  const TextSet& t_;
  bool greek_;
  const Words& w_;
  std::vector<std::string> missing_;

  static void add(Reading& r, Chapter c) {
    if (!c.entries.empty() || !c.lines.empty()) r.chapters.push_back(std::move(c));
  }

  std::string point(int i) const { return i >= 0 && i < 22 ? w_.points[i] : ""; }
  std::string sign(int s) const { return natal::signName(s, greek_); }
  static std::string key(const std::string& display) { return canonicalKey(display).value_or(""); }
  static std::string pointKey(int i) { return natal::pointName(i, false); }
  static std::string signKey(int s) { return natal::signName(s, false); }

  // The text of a key, or nothing; a key without a text is counted once.
  const std::string* text(const std::string& canonical) {
    const std::string* found = t_.find(canonical);
    if (!found && std::find(missing_.begin(), missing_.end(), canonical) == missing_.end())
      missing_.push_back(canonical);
    return found;
  }
  // A house's affairs, as the first sentence of its text (nothing counted: the house's own
  // entry counts it).
  std::string affairs(int house) const {
    const std::string* found = t_.find(key("house " + std::to_string(house)));
    return found ? firstSentence(*found) : "";
  }

  // Adds a part for a key, or counts the key as missing.
  void part(Entry& e, const std::string& canonical, const std::string& lead) {
    if (const std::string* found = text(canonical)) e.parts.push_back({{canonical}, lead, *found});
  }

  const PointPosition* at(int point) const { return c_.point(point); }

  std::string rulerPlace(int ruler) const {
    const PointPosition* p = at(ruler);
    return p && p->house > 0
               ? fill(w_.rulerAt, {point(ruler), ordinal(p->house, greek_, Case::Accusative)})
               : fill(w_.rulerAbsent, {point(ruler)});
  }
  std::string rulersPlaces(const std::vector<int>& rulers) const {
    std::vector<std::string> places;
    for (int r : rulers) places.push_back(rulerPlace(r));
    return joined(places, greek_ ? "· " : "; ");
  }

  // "The ruler of house N" composed with the affairs of each house its rulers stand in.
  void rulerParts(Entry& e, int house, const std::vector<int>& rulers, const std::string& lead) {
    const std::string rulerKey = key("ruler of house " + std::to_string(house));
    const std::string* sentence = text(rulerKey);
    std::vector<int> placed;
    for (int r : rulers)
      if (const PointPosition* p = at(r); p && p->house > 0) placed.push_back(r);
    if (placed.size() == 1 && sentence) {
      const int there = at(placed[0])->house;
      const std::string where = there == house ? "" : affairs(there);
      Part p{{rulerKey}, lead, *sentence};
      if (!where.empty()) {
        p.keys.push_back(key("house " + std::to_string(there)));
        p.text += " " + where;
      }
      e.parts.push_back(std::move(p));
      return;
    }
    e.parts.push_back({sentence ? std::vector<std::string>{rulerKey} : std::vector<std::string>{},
                       lead, sentence ? *sentence : ""});
    if (placed.size() < 2) return;
    for (int r : placed) {
      const int there = at(r)->house;
      const std::string where = affairs(there);
      if (!where.empty())
        e.parts.push_back(
            {{key("house " + std::to_string(there))},
             fill(w_.rulerThere, {point(r), ordinal(there, greek_, Case::Accusative)}),
             where});
    }
  }

  // ---- the chapters ---------------------------------------------------------------------

  Chapter ascendantChapter() {
    Chapter ch{"ascendant", w_.chapters[0], {}, {}};
    const int ascSign = natal::signOf(c_.ascendant);
    Entry asc{fill(w_.ascendant, {sign(ascSign)}), {}};
    part(asc, key("Ascendant in " + signKey(ascSign)), "");
    const double toSign = (ascSign + 1) * 30.0 - c_.ascendant;
    if (c_.borderlineWidth > 0 && toSign <= c_.borderlineWidth)
      part(asc, key("Ascendant in " + signKey((ascSign + 1) % 12)),
           fill(w_.signLean, {std::to_string(c_.borderlineWidth), sign((ascSign + 1) % 12)}));
    if (!asc.parts.empty()) ch.entries.push_back(std::move(asc));

    const std::vector<int> rulers = natal::signRulers(ascSign, s_.changeRulers);
    Entry ruler{fill(rulers.size() == 1 ? w_.chartRuler : w_.chartRulers, {rulersPlaces(rulers)}),
                {}};
    rulerParts(ruler, 1, rulers, "");
    if (!ruler.parts.empty() && !ruler.parts.front().text.empty())
      ch.entries.push_back(std::move(ruler));
    return ch;
  }

  Chapter pointsChapter() {
    Chapter ch{"points", w_.chapters[1], {}, {}};
    for (const PointPosition& p : c_.points) {
      if (p.index == natal::kAscendant) continue;  // the first chapter's
      Entry e{point(p.index), {}};
      const int s = natal::signOf(p.longitude);
      part(e, key(pointKey(p.index) + " in " + signKey(s)), fill(w_.inSign, {sign(s)}));
      if (p.signBorder)
        part(e, key(pointKey(p.index) + " in " + signKey((s + 1) % 12)),
             fill(w_.signLean, {std::to_string(c_.borderlineWidth), sign((s + 1) % 12)}));
      if (p.index == natal::kMoon && !c_.timeKnown) {
        std::set<int> others = {natal::signOf(c_.moonAtDayStart), natal::signOf(c_.moonAtDayEnd)};
        others.erase(s);
        for (int o : others)
          part(e, key(pointKey(p.index) + " in " + signKey(o)), fill(w_.moonDay, {sign(o)}));
      }
      if (p.house > 0 && p.index != natal::kMidheaven) {
        part(e, key(pointKey(p.index) + " in house " + std::to_string(p.house)),
             fill(w_.inHouse,
                  {ordinal(p.house, greek_, greek_ ? Case::Nominative : Case::Nominative)}));
        if (p.houseBorder) {
          const int next = p.house % 12 + 1;
          part(e, key(pointKey(p.index) + " in house " + std::to_string(next)),
               fill(w_.houseLean,
                    {std::to_string(c_.borderlineWidth), ordinal(next, greek_, Case::Genitive)}));
        }
      }
      if (!e.parts.empty()) ch.entries.push_back(std::move(e));
    }
    return ch;
  }

  Chapter aspectsChapter() {
    Chapter ch{"aspects", w_.chapters[2], {}, {}};
    std::vector<natal::AspectFound> found = c_.aspects;
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
      return std::fabs(a.deviation) < std::fabs(b.deviation);
    });
    for (const auto& a : found) {
      const std::string name = natal::aspectName(a.aspect, false);
      const std::string pair = pointKey(a.a) + " " + name + " " + pointKey(a.b);
      // The pair's own text for this aspect, then for its nature, then the aspect's general
      // sense. The set owes a nature's text between two of the ten planets, and the general
      // sense of the others: that is the key counted when nothing is found.
      std::vector<std::string> lookup = {key(pair)};
      std::string owed = key(name);
      if (a.aspect < 5) {
        const char* nature = a.aspect == 0                      ? "conjunction"
                             : (a.aspect == 3 || a.aspect == 4) ? "harmonious"
                                                                : "challenging";
        lookup.push_back(key(pointKey(a.a) + " " + nature + " " + pointKey(a.b)));
        if (a.a < 10 && a.b < 10) owed = lookup.back();
      }
      lookup.push_back(key(name));
      const auto [k, body] = lookupCounting(lookup, owed);
      if (!body) continue;
      const char* motion = a.deviation == 0 ? w_.exact : a.applying ? w_.applying : w_.separating;
      Entry e{point(a.a) + " " + w_.aspects[a.aspect] + " " + point(a.b), {}};
      e.parts.push_back({{k}, fill(w_.orb, {degreesText(a.deviation), motion}), *body});
      ch.entries.push_back(std::move(e));
    }
    return ch;
  }

  std::pair<std::string, const std::string*> lookupCounting(const std::vector<std::string>& lookup,
                                                            const std::string& counted) {
    for (const auto& k : lookup)
      if (const std::string* found = t_.find(k)) return {k, found};
    text(counted);
    return {"", nullptr};
  }

  Chapter housesChapter() {
    Chapter ch{"houses", w_.chapters[3], {}, {}};
    for (int h = 1; h <= 12; ++h) {
      const int cuspSign = natal::signOf(c_.cusps[h - 1]);
      Entry e{fill(w_.houseHeading, {ordinal(h, greek_), sign(cuspSign)}), {}};
      part(e, key("house " + std::to_string(h)), "");
      const auto& rulers = c_.rulers[h - 1];
      const std::string ofHouse = ordinal(h, greek_, Case::Genitive);
      if (!rulers.ofCusp.empty())
        rulerParts(e, h, rulers.ofCusp,
                   fill(rulers.ofCusp.size() == 1 ? w_.rulerOf : w_.rulersOf,
                        {ofHouse, rulersPlaces(rulers.ofCusp)}));
      if (!rulers.ofNatural.empty()) {
        std::vector<std::string> names;
        for (int r : rulers.ofNatural) names.push_back(point(r));
        if (rulers.ofNatural == rulers.ofCusp) {
          e.parts.push_back({{}, fill(w_.naturalSame, {joined(names)}), ""});
        } else {
          Part p{{},
                 fill(rulers.ofNatural.size() == 1 ? w_.naturalOf : w_.naturalsOf,
                      {ofHouse, rulersPlaces(rulers.ofNatural)}),
                 ""};
          for (int r : rulers.ofNatural)
            if (const PointPosition* at = c_.point(r); at && at->house > 0 && at->house != h) {
              const std::string where = affairs(at->house);
              if (where.empty()) continue;
              p.keys.push_back(key("house " + std::to_string(at->house)));
              p.text += (p.text.empty() ? "" : " ") + where;
            }
          e.parts.push_back(std::move(p));
        }
      }
      // Drop parts that are only a lead when the whole entry has no text.
      const bool anyText = std::any_of(e.parts.begin(), e.parts.end(),
                                       [](const Part& p) { return !p.text.empty(); });
      if (anyText) ch.entries.push_back(std::move(e));
    }
    return ch;
  }

  Chapter wholeChapter() {
    Chapter ch{"whole", w_.chapters[4], {}, {}};
    // Elements and modalities: the ten planets that take part and, with the time known, the
    // Ascendant; the Sun, the Moon and the Ascendant weigh double.
    std::array<int, 4> element{};
    std::array<int, 3> modality{};
    auto weigh = [&](double longitude, int weight) {
      const int s = natal::signOf(longitude);
      element[s % 4] += weight;
      modality[s % 3] += weight;
    };
    for (const auto& p : c_.points)
      if (p.index < 10) weigh(p.longitude, p.index <= natal::kMoon ? 2 : 1);
    if (c_.timeKnown) weigh(c_.ascendant, 2);
    const int total = element[0] + element[1] + element[2] + element[3];
    if (total > 0) {
      ch.lines.push_back(
          fill(w_.elements, {std::to_string(element[0]), std::to_string(element[1]),
                             std::to_string(element[2]), std::to_string(element[3])}));
      ch.lines.push_back(fill(
          w_.modalities,
          {std::to_string(modality[0]), std::to_string(modality[1]), std::to_string(modality[2])}));
      std::vector<std::string> empty;
      for (int i = 0; i < 4; ++i)
        if (element[i] == 0) empty.push_back(w_.elementNames[i]);
      for (int i = 0; i < 3; ++i)
        if (modality[i] == 0) empty.push_back(w_.modalityNames[i]);
      if (!empty.empty()) ch.lines.push_back(fill(w_.without, {joined(empty)}));
      const int topElement = *std::max_element(element.begin(), element.end());
      for (int i = 0; i < 4; ++i)
        if (element[i] == topElement) {
          Entry e{fill(w_.strongestElement, {w_.elementNames[i]}), {}};
          part(e, key(kElementKeys[i]), "");
          if (!e.parts.empty()) ch.entries.push_back(std::move(e));
        }
      const int topModality = *std::max_element(modality.begin(), modality.end());
      for (int i = 0; i < 3; ++i)
        if (modality[i] == topModality) {
          Entry e{fill(w_.strongestModality, {w_.modalityNames[i]}), {}};
          part(e, key(kModalityKeys[i]), "");
          if (!e.parts.empty()) ch.entries.push_back(std::move(e));
        }
    }

    if (c_.timeKnown) hemispheres(ch);
    patterns(ch);
    return ch;
  }

  static constexpr const char* kElementKeys[4] = {"Fire", "Earth", "Air", "Water"};
  static constexpr const char* kModalityKeys[3] = {"Cardinal", "Fixed", "Mutable"};

  void hemispheres(Chapter& ch) {
    std::array<int, 4> side{};  // upper, lower, east, west
    int planets = 0;
    for (const auto& p : c_.points) {
      if (p.index >= 10 || p.house == 0) continue;
      ++planets;
      ++side[p.house >= 7 ? 0 : 1];
      ++side[(p.house >= 10 || p.house <= 3) ? 2 : 3];
    }
    if (planets == 0) return;
    ch.lines.push_back(fill(w_.hemispheres, {std::to_string(side[0]), std::to_string(side[1]),
                                             std::to_string(side[2]), std::to_string(side[3])}));
    static constexpr const char* kKeys[4] = {"upper hemisphere", "lower hemisphere",
                                             "eastern hemisphere", "western hemisphere"};
    // A side is emphasised when it holds two thirds of the planets, of five or more.
    if (planets >= 5)
      for (int i = 0; i < 4; ++i)
        if (side[i] * 3 >= planets * 2) {
          Entry e{w_.hemisphereNames[i], {}};
          part(e, key(kKeys[i]), "");
          if (!e.parts.empty()) ch.entries.push_back(std::move(e));
        }

    std::map<int, int> inHouse;
    for (const auto& p : c_.points)
      if (!isAngle(p.index) && p.house > 0) ++inHouse[p.house];
    std::vector<std::pair<int, int>> busy(inHouse.begin(), inHouse.end());
    std::erase_if(busy, [](const auto& b) { return b.second < 3; });
    std::stable_sort(busy.begin(), busy.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    if (!busy.empty()) {
      std::vector<std::string> shown;
      for (const auto& [house, count] : busy)
        shown.push_back(fill(w_.busyHouse, {ordinal(house, greek_), std::to_string(count)}));
      ch.lines.push_back(fill(w_.busyHouses, {joined(shown)}));
    }
  }

  std::string names(const std::vector<int>& points) const {
    std::vector<std::string> shown;
    for (int p : points) shown.push_back(point(p));
    return joined(shown);
  }

  void patterns(Chapter& ch) {
    // Stellia: four or more points, the angles aside, in one sign or one house.
    std::map<int, std::vector<int>> bySign, byHouse;
    for (const auto& p : c_.points) {
      if (isAngle(p.index)) continue;
      bySign[natal::signOf(p.longitude)].push_back(p.index);
      if (p.house > 0) byHouse[p.house].push_back(p.index);
    }
    for (const auto& [s, members] : bySign)
      if (members.size() >= 4) {
        Entry e{fill(w_.stelliumSign, {sign(s)}), {}};
        part(e, key("stellium in a sign"), names(members));
        if (!e.parts.empty()) ch.entries.push_back(std::move(e));
      }
    for (const auto& [h, members] : byHouse)
      if (members.size() >= 4) {
        Entry e{fill(w_.stelliumHouse, {ordinal(h, greek_)}), {}};
        part(e, key("stellium in a house"), names(members));
        if (!e.parts.empty()) ch.entries.push_back(std::move(e));
      }

    // The aspects found, by pair, with the user's orbs.
    std::map<std::pair<int, int>, int> kind;
    for (const auto& a : c_.aspects) kind[{std::min(a.a, a.b), std::max(a.a, a.b)}] = a.aspect;
    auto is = [&](int a, int b, int aspect) {
      const auto found = kind.find({std::min(a, b), std::max(a, b)});
      return found != kind.end() && found->second == aspect;
    };
    std::vector<int> pts;
    for (const auto& p : c_.points) pts.push_back(p.index);
    constexpr int kOpposition = 1, kSquare = 2, kTrine = 3, kSextile = 4, kInconjunct = 5;

    std::vector<std::string> trines, tSquares, crosses, yods;
    const std::size_t n = pts.size();
    for (std::size_t i = 0; i < n; ++i)
      for (std::size_t j = i + 1; j < n; ++j)
        for (std::size_t k = j + 1; k < n; ++k)
          if (is(pts[i], pts[j], kTrine) && is(pts[j], pts[k], kTrine) &&
              is(pts[i], pts[k], kTrine))
            trines.push_back(names({pts[i], pts[j], pts[k]}));

    std::set<std::vector<int>> crossSets;
    for (std::size_t i = 0; i < n; ++i)
      for (std::size_t j = i + 1; j < n; ++j) {
        const int a = pts[i], c = pts[j];
        if (!is(a, c, kOpposition)) continue;
        for (std::size_t k = 0; k < n; ++k)
          for (std::size_t l = k + 1; l < n; ++l) {
            const int b = pts[k], d = pts[l];
            if (b == a || b == c || d == a || d == c || !is(b, d, kOpposition)) continue;
            if (is(a, b, kSquare) && is(b, c, kSquare) && is(c, d, kSquare) && is(d, a, kSquare)) {
              std::vector<int> members = {a, b, c, d};
              std::sort(members.begin(), members.end());
              if (crossSets.insert(members).second) crosses.push_back(names(members));
            }
          }
      }
    for (std::size_t i = 0; i < n; ++i)
      for (std::size_t j = i + 1; j < n; ++j) {
        const int a = pts[i], b = pts[j];
        if (is(a, b, kOpposition))
          for (int apex : pts) {
            if (apex == a || apex == b || !is(a, apex, kSquare) || !is(b, apex, kSquare)) continue;
            // A T-square inside a grand cross is told as the cross.
            const bool inCross =
                std::any_of(crossSets.begin(), crossSets.end(), [&](const auto& s) {
                  return std::count_if(s.begin(), s.end(),
                                       [&](int m) { return m == a || m == b || m == apex; }) == 3;
                });
            if (!inCross) tSquares.push_back(fill(w_.tSquare, {point(a), point(b), point(apex)}));
          }
        if (is(a, b, kSextile))
          for (int apex : pts)
            if (apex != a && apex != b && is(a, apex, kInconjunct) && is(b, apex, kInconjunct))
              yods.push_back(fill(w_.yod, {point(a), point(b), point(apex)}));
      }

    const std::vector<std::string>* found[4] = {&trines, &tSquares, &crosses, &yods};
    static constexpr const char* kKeys[4] = {"grand trine", "T-square", "grand cross", "yod"};
    for (int i = 0; i < 4; ++i) {
      if (found[i]->empty()) continue;
      const std::string k = key(kKeys[i]);
      const std::string* body = text(k);
      if (!body) continue;
      Entry e{w_.patternNames[i], {}};
      for (std::size_t m = 0; m + 1 < found[i]->size(); ++m)
        e.parts.push_back({{}, (*found[i])[m], ""});
      e.parts.push_back({{k}, found[i]->back(), *body});
      ch.entries.push_back(std::move(e));
    }
  }
};

// ---- rendering --------------------------------------------------------------------------

std::string escaped(const std::string& s) { return htmlEscaped(s); }

std::vector<std::string> paragraphs(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    if (end > start) out.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

std::size_t width(const std::string& s) {
  std::size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

// Words filled into lines of at most `columns` characters (a longer word stands alone).
void wrap(std::string& out, const std::string& text, std::size_t columns,
          const std::string& indent) {
  std::string line;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(start, end - start);
    start = end + 1;
    if (word.empty()) continue;
    if (!line.empty() && width(indent) + width(line) + 1 + width(word) > columns) {
      out += indent + line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
  }
  if (!line.empty()) out += indent + line + "\n";
}

}  // namespace

std::string htmlEscaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string withChoices(const std::string& text, std::int32_t sex) {
  std::string out;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t open = text.find('{', at);
    const std::size_t bar = open == std::string::npos ? open : text.find('|', open);
    const std::size_t close = bar == std::string::npos ? bar : text.find('}', bar);
    if (close == std::string::npos) break;  // not a choice: the rest as it is
    out.append(text, at, open - at);
    out += sex == 2 ? text.substr(bar + 1, close - bar - 1) : text.substr(open + 1, bar - open - 1);
    at = close + 1;
  }
  return out + text.substr(std::min(at, text.size()));
}

std::string firstSentence(const std::string& text) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i)
    if ((text[i] == '.' || text[i] == '!') && (text[i + 1] == ' ' || text[i + 1] == '\n'))
      return text.substr(0, i + 1);
  const std::size_t end = text.find('\n');
  return end == std::string::npos ? text : text.substr(0, end);
}

Reading composeReading(const NatalChart& chart, const ReadingSettings& settings,
                       const TextSet& texts, bool greek) {
  return Composer(chart, settings, texts, greek).compose();
}

std::string readingHtml(const Reading& r) {
  std::string s = "<div class=\"reading\">\n<h2>" + escaped(r.title) + "</h2>\n";
  if (!r.timeNote.empty()) s += "<p class=\"note\">" + escaped(r.timeNote) + "</p>\n";
  for (const auto& ch : r.chapters) {
    s += "<h3>" + escaped(ch.title) + "</h3>\n";
    for (const auto& line : ch.lines) s += "<p class=\"summary\">" + escaped(line) + "</p>\n";
    for (const auto& e : ch.entries) {
      s += "<h4>" + escaped(e.heading) + "</h4>\n";
      for (const auto& p : e.parts) {
        const auto texts = paragraphs(p.text);
        if (!p.lead.empty()) s += "<p class=\"lead\">" + escaped(p.lead) + "</p>\n";
        for (const auto& t : texts) s += "<p>" + escaped(t) + "</p>\n";
      }
    }
  }
  if (!r.missingNote.empty()) s += "<p class=\"note\">" + escaped(r.missingNote) + "</p>\n";
  return s + "</div>\n";
}

std::string readingText(const Reading& r, std::size_t columns) {
  std::string s;
  auto underline = [&](const std::string& title, const char* mark) {
    s += title + "\n";
    for (std::size_t i = 0; i < width(title); ++i) s += mark;
    s += "\n\n";
  };
  underline(r.title, "=");
  if (!r.timeNote.empty()) {
    wrap(s, r.timeNote, columns, "");
    s += "\n";
  }
  for (const auto& ch : r.chapters) {
    underline(ch.title, "-");
    for (const auto& line : ch.lines) wrap(s, line, columns, "");
    if (!ch.lines.empty()) s += "\n";
    for (const auto& e : ch.entries) {
      s += e.heading + "\n";
      // Leads at two columns, the set's texts under them at four.
      for (const auto& p : e.parts) {
        if (!p.lead.empty()) wrap(s, p.lead, columns, "  ");
        for (const auto& t : paragraphs(p.text))
          wrap(s, t, columns, p.lead.empty() ? "  " : "    ");
      }
      s += "\n";
    }
  }
  if (!r.missingNote.empty()) wrap(s, r.missingNote, columns, "");
  return s;
}

}  // namespace orvenda::reading
