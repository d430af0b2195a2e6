// The natal reading, composed from the chart and an interpretation set. It says nothing
// twice: a key's text is read once (a house's affairs in its own chapter, named by a short
// name elsewhere; the chart's ruler once; the aspects that have only a general sense grouped
// under it), and the sets themselves never share a sentence. The program's own words
// (headings, leads, counts) never inflect a name: in Greek a name stands after a colon, in
// parentheses, in a list or as a sentence's subject, and house numbers carry their case
// ending as figures do ("στον 10ο οίκο").
#include "sheet/reading.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <set>

#include "natal/names.h"
#include "sheet/html.h"
#include "sheet/wording.h"

namespace orvenda::reading {
namespace {

using natal::NatalChart;
using natal::PointPosition;
using wording::asciiLower;
using wording::fill;
using wording::paragraphs;

struct Words {
  const char* title;
  const char* summaryTitle;
  const char* chapters[5];
  const char* timeNote;
  const char* houseNames[12];        // a house's affairs in a few words
  const char* bigThree;              // {sun sign} {moon sign} {ascendant sign}
  const char* bigTwo;                // {sun sign} {moon sign}
  const char* summaryRuler;          // {ruler}
  const char* summaryRulers;         // {rulers}
  const char* summaryStrongest;      // {element} {modality}
  const char* tied;                  // after elements or modalities of equal weight
  const char* summaryPatterns;       // {list}
  const char* summaryMore;           // {count}: the patterns not named at a glance
  const char* summaryStelliumSign;   // {sign} {points}
  const char* summaryStelliumHouse;  // {house, accusative} {points}
  const char* inSign;                // lead of a point's sign text
  const char* inHouse;               // lead of its house text
  const char* signLean;              // {point} {width} {sign}
  const char* houseLean;             // {point} {width} {house, genitive}
  const char* moonDay;               // {sign}
  const char* ascendant;             // {sign}
  const char* chartRuler;            // {rulers}
  const char* chartRulers;           // {rulers}
  const char* chartRulerOff;         // the chart's ruler switched off: why it is not read
  const char* chartRulersOff;
  const char* otherRulerOff;  // {ruler}: of two rulers, the one switched off
  const char* rulerAt;        // {point} {house, accusative} {affairs}
  const char* rulerAbsent;    // {point}
  const char* absentWhy;      // {points}: said once, before the houses
  const char* houseHeading;   // {house, nominative} {sign}
  const char* rulerOf;        // {house, genitive} {rulers}
  const char* rulersOf;       // {house, genitive} {rulers}
  const char* rulerOfFirst;   // {ruler}: the chart's ruler, read above
  const char* rulersOfFirst;  // {rulers}
  const char* naturalOf;      // {house, genitive} {rulers}
  const char* naturalsOf;     // {house, genitive} {rulers}
  const char* naturalSame;    // {house, genitive} {rulers}
  const char* orb;            // {deviation} {applying}
  const char* applying;
  const char* separating;
  const char* exact;
  const char* partOfDay;      // the Moon's aspect holds for part of the day
  const char* partOfDayNote;  // said once, before the aspects
  const char* generalLead;    // {list}: pairs read under an aspect's general sense
  const char* aspectPair;     // {1 point} {2 aspect} {3 point}: an aspect's heading
  const char* aspectListed;   // {1 point} {2 aspect} {3 point}: in its aspect's list
  const char* elements;       // {fire} {earth} {air} {water}
  const char* elementsNoTime;
  const char* elementNames[4];
  const char* modalities;  // {cardinal} {fixed} {mutable}
  const char* modalityNames[3];
  const char* strongestElement;
  const char* strongestModality;
  const char* tiedElement;
  const char* tiedModality;
  const char* without;      // {name}
  const char* withoutMany;  // {names}
  const char* hemispheres;  // {upper} {lower} {east} {west}
  const char* hemisphereNames[4];
  const char* busyHouses;       // {list}
  const char* busyHouse;        // {house, nominative} {count}
  const char* stelliumSigns;    // heading
  const char* stelliumHouses;   // heading
  const char* stelliumSign;     // {sign} {points}
  const char* stelliumHouse;    // {house, nominative} {points}
  const char* patternNames[4];  // grand trine, T-square, grand cross, yod
  const char* trineFigure;      // {a} {b} {c}
  const char* crossFigure;      // {a} {b} {c} {d}
  const char* tSquare;          // {a} {b} {apex}
  const char* yod;              // {a} {b} {apex}
  const char* corner;           // joins the points of one corner: " and ", " και "
  const char* missingOne;       // {keys}
  const char* missingMany;      // {count} {keys}
};

// The points as an English sentence names them ("the Sun", "Mercury"); the Greek patterns
// put the bare name where no article is needed, so Greek takes the chart's own words.
constexpr const char* kPointsInTextEn[22] = {
    "the Sun",        "the Moon",       "Mercury",
    "Venus",          "Mars",           "Jupiter",
    "Saturn",         "Uranus",         "Neptune",
    "Pluto",          "Chiron",         "Ceres",
    "Pallas Athena",  "Juno",           "Vesta",
    "the North Node", "Lilith",         "the Part of Fortune",
    "the Vertex",     "the East Point", "the Ascendant",
    "the Midheaven"};

constexpr Words kEnglish = {
    "The reading",
    "The chart at a glance",
    {"The Ascendant and the ruler of the chart", "Planets and points", "Aspects", "Houses",
     "The chart as a whole"},
    "The birth time is not known, so the Ascendant, the Midheaven, the houses and their rulers, "
    "and all that rests on them, are left out.",
    {"yourself and how you appear", "money and possessions", "siblings, studies and short journeys",
     "home and family", "love, children and creativity", "work, routines and health",
     "partnership and marriage", "shared resources and deep change", "travel, learning and beliefs",
     "career and public standing", "friends, groups and hopes", "solitude and the hidden life"},
    "Sun in {}, Moon in {}, Ascendant in {}.",
    "Sun in {}, Moon in {}.",
    "The chart is ruled by {}.",
    "The chart is ruled by {}.",
    "Strongest element: {}; strongest modality: {}.",
    "(tied)",
    "Its patterns: {}.",
    "and {} more",
    "Stellium in {} ({})",
    "Stellium in the {} house ({})",
    "In {}",
    "In the {} house",
    "Within {2}° of the next sign, {3}, {1} takes on some of its colour as well:",
    "Within {2}° of the cusp of the {3} house, {1} reaches into that house as well:",
    "During the day the Moon was also in {}; if you were born while it was there, this is yours:",
    "Ascendant in {}",
    "Ruler of the chart: {}",
    "Rulers of the chart: {}",
    "Switched off in the planet settings: it takes no part in this chart, so where it stands "
    "is not read.",
    "Switched off in the planet settings: they take no part in this chart, so where they stand "
    "is not read.",
    "{}, which shares the rule of the Ascendant's sign, is switched off in the planet settings: "
    "it takes no part in this chart, so where it stands is not read.",
    "{}, in the {} house ({})",
    "{}, which takes no part in this chart",
    "Rulers that take no part in this chart (switched off in the planet settings), whose place "
    "is therefore not read: {}.",
    "The {} house: {} on the cusp",
    "Ruler of the {}: {}.",
    "Rulers of the {}: {}.",
    "Ruler of the 1st: {}, the ruler of the chart (see above).",
    "Rulers of the 1st: {}, the rulers of the chart (see above).",
    "Natural ruler of the {}: {}.",
    "Natural rulers of the {}: {}.",
    "The natural ruler of the {} is the same: {}.",
    "orb {}, {}",
    "applying",
    "separating",
    "exact",
    "for part of the day only",
    "An aspect of the Moon marked \"for part of the day only\" holds at some hours of the day and "
    "not at others: whether it is yours depends on the birth time.",
    "In your chart: {}.",
    "{1} {2} {3}",
    "{1} {2} {3}",
    "Elements: Fire {}, Earth {}, Air {}, Water {} (the Sun, the Moon and the Ascendant count "
    "twice).",
    "Elements: Fire {}, Earth {}, Air {}, Water {} (the Sun and the Moon count twice).",
    {"Fire", "Earth", "Air", "Water"},
    "Modalities: Cardinal {}, Fixed {}, Mutable {}.",
    {"Cardinal", "Fixed", "Mutable"},
    "Strongest element: {}",
    "Strongest modality: {}",
    "Strongest element, tied: {}",
    "Strongest modality, tied: {}",
    "Without weight: {}.",
    "Without weight: {}.",
    "Planets above the horizon {}, below it {}; in the east {}, in the west {}.",
    {"The upper hemisphere", "The lower hemisphere", "The eastern hemisphere",
     "The western hemisphere"},
    "Houses with three or more points: {}.",
    "the {} ({})",
    "Stellium in a sign",
    "Stellium in a house",
    "In {}: {}.",
    "In the {} house: {}.",
    {"Grand trine", "T-square", "Grand cross", "Yod"},
    "{} trine {} trine {}.",
    "{} opposite {}; {} opposite {}; the two oppositions square each other.",
    "{} opposite {}, with {} at the apex.",
    "{} sextile {}, with {} at the apex.",
    " and ",
    "1 factor has no text in this set: {}.",
    "{} factors have no text in this set: {}.",
};

constexpr Words kGreek = {
    "Η ερμηνεία",
    "Ο χάρτης με μια ματιά",
    {"Ο Ωροσκόπος και ο κυβερνήτης του χάρτη", "Πλανήτες και σημεία", "Όψεις", "Οίκοι",
     "Ο χάρτης ως σύνολο"},
    "Η ώρα γέννησης δεν είναι γνωστή· γι' αυτό λείπουν ο Ωροσκόπος, το Μεσουράνημα, οι οίκοι "
    "με τους κυβερνήτες τους και ό,τι στηρίζεται σε αυτά.",
    {"ο εαυτός και η εικόνα σου", "τα χρήματα και τα υπάρχοντα",
     "τα αδέλφια, οι σπουδές και οι μικρές μετακινήσεις", "το σπίτι και η οικογένεια",
     "ο έρωτας, τα παιδιά και η δημιουργία", "η εργασία, η καθημερινότητα και η υγεία",
     "ο γάμος και οι συνεργασίες", "τα κοινά χρήματα και οι βαθιές αλλαγές",
     "τα ταξίδια, η μάθηση και οι πεποιθήσεις", "η καριέρα και η κοινωνική θέση",
     "οι φίλοι, οι ομάδες και οι ελπίδες", "η απομόνωση και ο κρυφός εσωτερικός κόσμος"},
    "Ήλιος: {} · Σελήνη: {} · Ωροσκόπος: {}.",
    "Ήλιος: {} · Σελήνη: {}.",
    "Κυβερνήτης του χάρτη: {}.",
    "Κυβερνήτες του χάρτη: {}.",
    "Κυρίαρχο στοιχείο: {} · κυρίαρχη ποιότητα: {}.",
    "(ισοβαθμία)",
    "Σχηματισμοί: {}.",
    "και {} ακόμη",
    "Συγκέντρωση πλανητών σε ζώδιο ({}: {})",
    "Συγκέντρωση πλανητών στον {} οίκο ({})",
    "Ζώδιο: {}",
    "Οίκος: {}",
    "{1}: απέχει λιγότερο από {2}° από το επόμενο ζώδιο ({3}), που χρωματίζει κι αυτό τη θέση:",
    "{1}: απέχει λιγότερο από {2}° από την ακμή του {3} οίκου και απλώνεται και σε εκείνον:",
    "Μέσα στην ημέρα η Σελήνη πέρασε και σε άλλο ζώδιο ({}). Αν γεννήθηκες όσο ήταν εκεί, "
    "σε αφορά και αυτό:",
    "Ωροσκόπος: {}",
    "Κυβερνήτης του χάρτη: {}",
    "Κυβερνήτες του χάρτη: {}",
    "Έχει απενεργοποιηθεί στις ρυθμίσεις των πλανητών· δεν συμμετέχει σε αυτόν τον χάρτη, γι' "
    "αυτό δεν διαβάζεται πού βρίσκεται.",
    "Έχουν απενεργοποιηθεί στις ρυθμίσεις των πλανητών· δεν συμμετέχουν σε αυτόν τον χάρτη, γι' "
    "αυτό δεν διαβάζεται πού βρίσκονται.",
    "{}: συγκυβερνά το ζώδιο του Ωροσκόπου, όμως έχει απενεργοποιηθεί στις ρυθμίσεις των "
    "πλανητών· δεν συμμετέχει σε αυτόν τον χάρτη, γι' αυτό δεν διαβάζεται πού βρίσκεται.",
    "{}, στον {} οίκο ({})",
    "{}, που δεν συμμετέχει σε αυτόν τον χάρτη",
    "Κυβερνήτες που δεν συμμετέχουν σε αυτόν τον χάρτη (είναι απενεργοποιημένοι στις "
    "ρυθμίσεις των πλανητών), γι' αυτό η θέση τους δεν διαβάζεται: {}.",
    "{} οίκος · ακμή: {}",
    "Κυβερνήτης του {}: {}.",
    "Κυβερνήτες του {}: {}.",
    "Κυβερνήτης του 1ου: {}, ο κυβερνήτης του χάρτη (βλ. παραπάνω).",
    "Κυβερνήτες του 1ου: {}, οι κυβερνήτες του χάρτη (βλ. παραπάνω).",
    "Φυσικός κυβερνήτης του {}: {}.",
    "Φυσικοί κυβερνήτες του {}: {}.",
    "Ο φυσικός κυβερνήτης του {} είναι ο ίδιος: {}.",
    "ανοχή {}, {}",
    "συγκλίνουσα",
    "αποκλίνουσα",
    "ακριβής",
    "μόνο για ένα μέρος της ημέρας",
    "Όψη της Σελήνης με την ένδειξη «μόνο για ένα μέρος της ημέρας» ισχύει σε κάποιες ώρες της "
    "ημέρας και όχι σε άλλες· αν σε αφορά, το κρίνει η ώρα της γέννησης.",
    "Στον χάρτη σου: {}.",
    "{1} – {3}: {2}",
    "{1} – {3}",
    "Στοιχεία: Φωτιά {}, Γη {}, Αέρας {}, Νερό {} (ο Ήλιος, η Σελήνη και ο Ωροσκόπος μετρούν "
    "διπλά).",
    "Στοιχεία: Φωτιά {}, Γη {}, Αέρας {}, Νερό {} (ο Ήλιος και η Σελήνη μετρούν διπλά).",
    {"Φωτιά", "Γη", "Αέρας", "Νερό"},
    "Ποιότητες: Καρδινάλια {}, Σταθερά {}, Μεταβλητά {}.",
    {"Καρδινάλια", "Σταθερά", "Μεταβλητά"},
    "Κυρίαρχο στοιχείο: {}",
    "Κυρίαρχη ποιότητα: {}",
    "Ισόβαθμο κυρίαρχο στοιχείο: {}",
    "Ισόβαθμη κυρίαρχη ποιότητα: {}",
    "Απουσιάζει: {}.",
    "Απουσιάζουν: {}.",
    "Πλανήτες πάνω από τον ορίζοντα: {} · κάτω από τον ορίζοντα: {} · στο ανατολικό "
    "ημισφαίριο: {} · στο δυτικό ημισφαίριο: {}.",
    {"Το άνω ημισφαίριο", "Το κάτω ημισφαίριο", "Το ανατολικό ημισφαίριο", "Το δυτικό ημισφαίριο"},
    "Οίκοι με τρία ή περισσότερα σημεία: {}.",
    "{} ({})",
    "Συγκέντρωση πλανητών σε ζώδιο",
    "Συγκέντρωση πλανητών σε οίκο",
    "{}: {}.",
    "{} οίκος: {}.",
    {"Μεγάλο τρίγωνο", "Τ-τετράγωνο", "Μεγάλος σταυρός", "Γιοντ"},
    "Τρίγωνο: {} – {} – {}.",
    "Δύο αντιθέσεις σε τετράγωνο μεταξύ τους: {} – {} · {} – {}.",
    "Αντίθεση: {} – {} · κορυφή: {}.",
    "Εξάγωνο: {} – {} · κορυφή: {}.",
    " και ",
    "1 παράγοντας δεν έχει κείμενο σε αυτή τη συλλογή: {}.",
    "{} παράγοντες δεν έχουν κείμενο σε αυτή τη συλλογή: {}.",
};

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

// What follows the first sentence of a text (for the three read at a glance first).
std::string afterFirstSentence(const std::string& text) {
  const std::string first = firstSentence(text);
  std::string rest = text.substr(std::min(first.size(), text.size()));
  while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\n')) rest.erase(rest.begin());
  return rest;
}

// ---- patterns ---------------------------------------------------------------------------

// A figure's corners, each the points in conjunction that stand there.
using Corner = std::vector<int>;
struct Figure {
  int kind = 0;                 // 0 grand trine, 1 T-square, 2 grand cross, 3 yod
  std::vector<Corner> corners;  // for a T-square and a yod the apex last
};

constexpr int kOpposition = 1, kSquare = 2, kTrine = 3, kSextile = 4, kInconjunct = 5;

// Figures among the points, as astrologers count them: points in conjunction share a corner;
// each figure once; a figure needs planets (the Sun to Pluto) at two of its corners at
// least; a T-square within a grand cross is the cross; figures of one kind that differ
// only at one corner, by points near each other there, are one figure.
std::vector<Figure> findFigures(const NatalChart& c) {
  std::vector<int> pts;
  for (const auto& p : c.points) pts.push_back(p.index);
  std::map<std::pair<int, int>, int> kind;
  for (const auto& a : c.aspects) kind[{std::min(a.a, a.b), std::max(a.a, a.b)}] = a.aspect;
  auto is = [&](int a, int b, int aspect) {
    const auto f = kind.find({std::min(a, b), std::max(a, b)});
    return f != kind.end() && f->second == aspect;
  };
  // Corners: the points joined by conjunctions, each group one corner.
  std::map<int, int> group;
  for (int p : pts) group[p] = p;
  std::function<int(int)> root = [&](int p) {
    return group[p] == p ? p : group[p] = root(group[p]);
  };
  for (int a : pts)
    for (int b : pts)
      if (a < b && is(a, b, 0)) group[root(a)] = root(b);
  std::map<int, Corner> cornersByRoot;
  for (int p : pts) cornersByRoot[root(p)].push_back(p);
  std::vector<Corner> corners;
  for (auto& [r, members] : cornersByRoot) corners.push_back(members);
  const std::size_t n = corners.size();
  // Two corners are in an aspect when any of their points are.
  auto joins = [&](std::size_t i, std::size_t j, int aspect) {
    for (int a : corners[i])
      for (int b : corners[j])
        if (is(a, b, aspect)) return true;
    return false;
  };
  auto planets = [&](const std::vector<std::size_t>& at) {
    int count = 0;
    for (std::size_t i : at)
      count += std::any_of(corners[i].begin(), corners[i].end(), [](int p) { return p <= 9; });
    return count >= 2;
  };
  std::vector<std::pair<int, std::vector<std::size_t>>> found;
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = i + 1; j < n; ++j) {
      for (std::size_t k = j + 1; k < n; ++k)
        if (joins(i, j, kTrine) && joins(j, k, kTrine) && joins(i, k, kTrine))
          found.push_back({0, {i, j, k}});
      if (joins(i, j, kOpposition))
        for (std::size_t k = 0; k < n; ++k)
          if (k != i && k != j && joins(i, k, kSquare) && joins(j, k, kSquare))
            found.push_back({1, {i, j, k}});
      if (joins(i, j, kSextile))
        for (std::size_t k = 0; k < n; ++k)
          if (k != i && k != j && joins(i, k, kInconjunct) && joins(j, k, kInconjunct))
            found.push_back({3, {i, j, k}});
    }
  // Grand crosses: two T-squares on one opposition with their apexes opposite. They are
  // gathered apart and added after, as adding to `found` while walking it would move it.
  std::set<std::vector<std::size_t>> crosses;
  std::vector<std::pair<int, std::vector<std::size_t>>> crossFigures;
  for (const auto& [ka, a] : found)
    for (const auto& [kb, b] : found)
      if (ka == 1 && kb == 1 && a[0] == b[0] && a[1] == b[1] && a[2] < b[2] &&
          joins(a[2], b[2], kOpposition)) {
        std::vector<std::size_t> four = {a[0], a[2], a[1], b[2]};
        std::vector<std::size_t> key = four;
        std::sort(key.begin(), key.end());
        if (crosses.insert(key).second) crossFigures.push_back({2, four});
      }
  found.insert(found.end(), crossFigures.begin(), crossFigures.end());
  // The figures found, each once, its corners by index; for a T-square and a yod the apex
  // last, the other corners (and all of a trine's or a cross's) in order.
  std::vector<std::pair<int, std::vector<std::size_t>>> raw;
  std::set<std::pair<int, std::vector<std::size_t>>> seen;
  for (const auto& entry : found) {
    // Named plainly, not as a structured binding: a lambda below captures them.
    const int k = entry.first;
    const std::vector<std::size_t>& at = entry.second;
    if (!planets(at)) continue;
    if (k == 1)  // a T-square whose three corners a cross holds is the cross
      if (std::any_of(crosses.begin(), crosses.end(), [&](const auto& x) {
            return std::count_if(at.begin(), at.end(), [&](std::size_t c2) {
                     return std::find(x.begin(), x.end(), c2) != x.end();
                   }) == 3;
          }))
        continue;
    std::vector<std::size_t> key = at;
    if (k == 0 || k == 2) std::sort(key.begin(), key.end());
    if (k == 1 || k == 3) std::sort(key.begin(), key.end() - 1);
    if (seen.insert({k, key}).second) raw.push_back({k, at});
  }
  // Figures of one kind that differ at one corner only, by points within 10° of each other
  // there (the Node for the Sun, near each other), are one figure, both points at that
  // corner; and so on along a chain of such figures. Corners are matched by their place in
  // the figure, not by their order: the ends of an opposition or a sextile either way, any
  // corner of a trine or a cross, the apex with the apex.
  auto near = [&](std::size_t a, std::size_t b) {
    for (int x : corners[a])
      for (int y : corners[b])
        if (natal::separation(c.point(x)->longitude, c.point(y)->longitude) <= 10) return true;
    return false;
  };
  // Where two figures differ at one corner, that corner of each; none otherwise.
  auto oneApart = [&](const std::pair<int, std::vector<std::size_t>>& a,
                      const std::pair<int, std::vector<std::size_t>>& b)
      -> std::optional<std::pair<std::size_t, std::size_t>> {
    if (a.first != b.first || a.second.size() != b.second.size()) return std::nullopt;
    const bool apex = a.first == 1 || a.first == 3;
    if (apex && a.second.back() != b.second.back()) {
      // The apexes differ: the rest must be the same corners.
      std::vector<std::size_t> x(a.second.begin(), a.second.end() - 1),
          y(b.second.begin(), b.second.end() - 1);
      std::sort(x.begin(), x.end());
      std::sort(y.begin(), y.end());
      if (x != y) return std::nullopt;
      return std::pair{a.second.back(), b.second.back()};
    }
    const std::size_t free = a.second.size() - (apex ? 1 : 0);
    std::vector<std::size_t> onlyA, onlyB;
    for (std::size_t i = 0; i < free; ++i) {
      if (std::find(b.second.begin(), b.second.begin() + static_cast<std::ptrdiff_t>(free),
                    a.second[i]) == b.second.begin() + static_cast<std::ptrdiff_t>(free))
        onlyA.push_back(a.second[i]);
      if (std::find(a.second.begin(), a.second.begin() + static_cast<std::ptrdiff_t>(free),
                    b.second[i]) == a.second.begin() + static_cast<std::ptrdiff_t>(free))
        onlyB.push_back(b.second[i]);
    }
    if (onlyA.size() != 1 || onlyB.size() != 1) return std::nullopt;
    return std::pair{onlyA[0], onlyB[0]};
  };
  // Each figure's corners by place; a figure joined to an earlier one takes its places.
  std::vector<Figure> figures;
  std::vector<int> joinedTo(raw.size(), -1);
  std::vector<std::vector<std::size_t>> place(raw.size());  // corner i of raw at place[i]
  std::vector<std::vector<std::set<std::size_t>>> at;       // a figure's places' corners
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (joinedTo[i] >= 0) continue;
    const int f = static_cast<int>(at.size());
    at.emplace_back();
    joinedTo[i] = f;
    for (std::size_t k = 0; k < raw[i].second.size(); ++k) {
      place[i].push_back(k);
      at.back().push_back({raw[i].second[k]});
    }
    // The figures reached from this one, one corner apart at a time.
    std::vector<std::size_t> reach = {i};
    while (!reach.empty()) {
      const std::size_t from = reach.back();
      reach.pop_back();
      for (std::size_t j = 0; j < raw.size(); ++j) {
        if (joinedTo[j] >= 0) continue;
        const auto apart = oneApart(raw[from], raw[j]);
        if (!apart || !near(apart->first, apart->second)) continue;
        joinedTo[j] = f;
        for (std::size_t k = 0; k < raw[j].second.size(); ++k) {
          const std::size_t corner =
              raw[j].second[k] == apart->second ? apart->first : raw[j].second[k];
          const auto& fromCorners = raw[from].second;
          const std::size_t p = place[from][static_cast<std::size_t>(
              std::find(fromCorners.begin(), fromCorners.end(), corner) - fromCorners.begin())];
          place[j].push_back(p);
          at.back()[p].insert(raw[j].second[k]);
        }
        reach.push_back(j);
      }
    }
    Figure figure;
    figure.kind = raw[i].first;
    for (const auto& cornersAt : at.back()) {
      Corner merged;
      for (std::size_t k : cornersAt)
        merged.insert(merged.end(), corners[k].begin(), corners[k].end());
      std::sort(merged.begin(), merged.end());
      figure.corners.push_back(merged);
    }
    figures.push_back(std::move(figure));
  }
  return figures;
}

// ---- the reading ------------------------------------------------------------------------

class Composer {
 public:
  Composer(const NatalChart& c, const ReadingSettings& s, const TextSet& t, bool greek)
      : c_(c), s_(s), t_(t), greek_(greek), w_(greek ? kGreek : kEnglish) {}

  Reading compose() {
    Reading r;
    r.greek = greek_;
    r.title = w_.title;
    if (!c_.timeKnown) r.timeNote = w_.timeNote;
    add(r, summaryChapter());
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
  std::set<std::string> used_;        // keys read: a text is read once
  std::set<std::string> firstsTold_;  // keys whose first sentence the summary read
  std::set<int> rulersOff_;           // the chart's rulers switched off, said so already

  static void add(Reading& r, Chapter c) {
    if (!c.entries.empty() || !c.lines.empty()) r.chapters.push_back(std::move(c));
  }

  std::string point(int i) const { return natal::pointWord(i, greek_); }
  std::string pointInText(int i) const {
    if (greek_) return natal::pointWord(i, true);
    return i >= 0 && i < 22 ? kPointsInTextEn[i] : "";
  }
  std::string sign(int s) const { return natal::signName(s, greek_); }
  static std::string pointKey(int i) { return asciiLower(natal::pointName(i, false)); }
  static std::string signKey(int s) { return asciiLower(natal::signName(s, false)); }
  std::string houseName(int h) const { return w_.houseNames[(h + 11) % 12]; }

  // The text of a key, or nothing; a key without a text is counted once.
  const std::string* text(const std::string& key) {
    const std::string* found = t_.find(key);
    if (!found && std::find(missing_.begin(), missing_.end(), key) == missing_.end())
      missing_.push_back(key);
    return found;
  }
  // Adds a part for a key not read yet (the rest of its text where the summary read its
  // first sentence), or counts the key as missing.
  void part(Entry& e, const std::string& key, const std::string& lead) {
    if (used_.count(key)) return;
    const std::string* found = text(key);
    if (!found) return;
    used_.insert(key);
    std::string body = firstsTold_.count(key) ? afterFirstSentence(*found) : *found;
    if (!body.empty()) e.parts.push_back({{key}, lead, body});
  }

  const PointPosition* at(int point) const { return c_.point(point); }

  // "Mars, in the 10th house (career and public standing)", or that it takes no part; in
  // the houses, where why it takes none is said once before them, its name alone.
  std::string rulerPlace(int ruler, bool plainIfAbsent = false) const {
    const PointPosition* p = at(ruler);
    return p && p->house > 0
               ? fill(w_.rulerAt, {point(ruler), ordinal(p->house, greek_, Case::Accusative),
                                   houseName(p->house)})
           : plainIfAbsent ? point(ruler)
                           : fill(w_.rulerAbsent, {point(ruler)});
  }
  std::string rulersPlaces(const std::vector<int>& rulers, bool plainIfAbsent = false) const {
    std::vector<std::string> places;
    for (int r : rulers) places.push_back(rulerPlace(r, plainIfAbsent));
    return joined(places, w_.corner);
  }
  // "Fire, Earth and Water": a list as a sentence says it.
  std::string listed(std::vector<std::string> items) const {
    if (items.size() <= 1) return items.empty() ? "" : items[0];
    const std::string last = items.back();
    items.pop_back();
    return joined(items) + w_.corner + last;
  }

  // A ruler's lead and text; the text only where a ruler stands in the chart (why one that
  // takes no part is not read is said once, before the houses).
  void rulerParts(Entry& e, int house, const std::vector<int>& rulers, const std::string& lead) {
    if (!lead.empty()) e.parts.push_back({{}, lead, ""});
    const bool placed = std::any_of(rulers.begin(), rulers.end(), [&](int r) {
      const PointPosition* p = at(r);
      return p && p->house > 0;
    });
    if (!placed) return;
    // Where it stands is said by the heading or the lead above, by the house's short name.
    part(e, "ruler of house " + std::to_string(house), "");
  }

  // ---- the chapters ---------------------------------------------------------------------

  std::vector<int> elementWeights(std::array<int, 4>& element, std::array<int, 3>& modality) const {
    std::vector<int> counted;
    auto weigh = [&](double longitude, int weight) {
      const int s = natal::signOf(longitude);
      element[static_cast<std::size_t>(s % 4)] += weight;
      modality[static_cast<std::size_t>(s % 3)] += weight;
    };
    for (const auto& p : c_.points)
      if (p.index < 10)
        weigh(p.longitude, p.index <= natal::kMoon ? 2 : 1), counted.push_back(p.index);
    if (c_.timeKnown) weigh(c_.ascendant, 2);
    return counted;
  }

  Chapter summaryChapter() {
    Chapter ch{"summary", w_.summaryTitle, {}, {}};
    const PointPosition* sun = at(natal::kSun);
    const PointPosition* moon = at(natal::kMoon);
    if (!sun || !moon) return ch;
    const int sunSign = natal::signOf(sun->longitude), moonSign = natal::signOf(moon->longitude);
    const int ascSign = natal::signOf(c_.ascendant);
    ch.lines.push_back(c_.timeKnown
                           ? fill(w_.bigThree, {sign(sunSign), sign(moonSign), sign(ascSign)})
                           : fill(w_.bigTwo, {sign(sunSign), sign(moonSign)}));
    // The first sentence of each of the three, read here and not again in its chapter.
    std::vector<std::string> keys = {pointKey(natal::kSun) + " in " + signKey(sunSign),
                                     pointKey(natal::kMoon) + " in " + signKey(moonSign)};
    if (c_.timeKnown) keys.push_back("ascendant in " + signKey(ascSign));
    Part glance;
    for (const auto& k : keys)
      if (const std::string* t = t_.find(k)) {
        glance.keys.push_back(k);
        glance.text += (glance.text.empty() ? "" : " ") + firstSentence(*t);
        firstsTold_.insert(k);
      }
    if (!glance.text.empty()) ch.entries.push_back({"", {glance}});
    if (c_.timeKnown) {
      // The rulers that take part; one switched off is named, with why, in its chapter.
      std::vector<std::string> names;
      for (int r : natal::signRulers(ascSign, s_.changeRulers))
        if (at(r)) names.push_back(pointInText(r));
      if (!names.empty())
        ch.lines.push_back(
            fill(names.size() == 1 ? w_.summaryRuler : w_.summaryRulers, {listed(names)}));
    }
    std::array<int, 4> element{};
    std::array<int, 3> modality{};
    elementWeights(element, modality);
    auto strongest = [&](const auto& counts, const char* const* names) {
      const int top = *std::max_element(counts.begin(), counts.end());
      std::vector<std::string> tied;
      for (std::size_t i = 0; i < counts.size(); ++i)
        if (counts[i] == top) tied.push_back(names[i]);
      return tied.size() == 1 ? tied[0] : listed(tied) + " " + w_.tied;
    };
    ch.lines.push_back(fill(w_.summaryStrongest, {strongest(element, w_.elementNames),
                                                  strongest(modality, w_.modalityNames)}));
    // The strongest patterns, at most three: a grand cross before a grand trine, a T-square,
    // a yod and a stellium, and of one kind the one of more points first.
    struct Named {
      int rank;
      std::size_t points;
      std::string name;
    };
    std::vector<Named> named;
    static constexpr int kRank[4] = {1, 2, 0, 3};  // grand trine, T-square, grand cross, yod
    for (const Figure& f : findFigures(c_)) {
      std::vector<std::string> members;
      for (const Corner& corner : f.corners)
        for (int p : corner) members.push_back(point(p));
      named.push_back({kRank[f.kind], members.size(),
                       std::string(w_.patternNames[f.kind]) + " (" + joined(members) + ")"});
    }
    for (const auto& [where, members] : stelliaBy(false))
      named.push_back(
          {4, members.size(), fill(w_.summaryStelliumSign, {sign(where), names(members)})});
    for (const auto& [where, members] : stelliaBy(true))
      named.push_back({4, members.size(),
                       fill(w_.summaryStelliumHouse,
                            {ordinal(where, greek_, Case::Accusative), names(members)})});
    std::stable_sort(named.begin(), named.end(), [](const Named& a, const Named& b) {
      return a.rank != b.rank ? a.rank < b.rank : a.points > b.points;
    });
    if (!named.empty()) {
      std::vector<std::string> shown;
      for (std::size_t i = 0; i < named.size() && i < 3; ++i) shown.push_back(named[i].name);
      if (named.size() > 3)
        shown.push_back(fill(w_.summaryMore, {std::to_string(named.size() - 3)}));
      ch.lines.push_back(fill(w_.summaryPatterns, {joined(shown, greek_ ? "· " : "; ")}));
    }
    return ch;
  }

  Chapter ascendantChapter() {
    Chapter ch{"ascendant", w_.chapters[0], {}, {}};
    const int ascSign = natal::signOf(c_.ascendant);
    Entry asc{fill(w_.ascendant, {sign(ascSign)}), {}};
    part(asc, "ascendant in " + signKey(ascSign), "");
    const double toSign = (ascSign + 1) * 30.0 - c_.ascendant;
    if (c_.borderlineWidth > 0 && toSign <= c_.borderlineWidth)
      part(asc, "ascendant in " + signKey((ascSign + 1) % 12),
           fill(w_.signLean, {pointInText(natal::kAscendant), std::to_string(c_.borderlineWidth),
                              sign((ascSign + 1) % 12)}));
    if (!asc.parts.empty()) ch.entries.push_back(std::move(asc));

    const std::vector<int> rulers = natal::signRulers(ascSign, s_.changeRulers);
    std::vector<int> taking, switchedOff;
    for (int r : rulers) (at(r) ? taking : switchedOff).push_back(r);
    const bool off = taking.empty();
    std::vector<std::string> names;
    for (int r : rulers) names.push_back(point(r));
    // Of two rulers with one switched off, the other is the chart's ruler, with where it
    // stands; the one switched off is named after it, with why.
    Entry ruler{fill(off ? (rulers.size() == 1 ? w_.chartRuler : w_.chartRulers)
                         : (taking.size() == 1 ? w_.chartRuler : w_.chartRulers),
                     {off ? listed(names) : rulersPlaces(taking)}),
                {}};
    // Switched off, the chart's ruler is named here with why, and nowhere else.
    if (off) {
      ruler.parts.push_back({{}, rulers.size() == 1 ? w_.chartRulerOff : w_.chartRulersOff, ""});
    } else {
      for (int r : switchedOff) ruler.parts.push_back({{}, fill(w_.otherRulerOff, {point(r)}), ""});
    }
    rulersOff_.insert(switchedOff.begin(), switchedOff.end());
    rulerParts(ruler, 1, taking.empty() ? rulers : taking, "");
    if (!ruler.parts.empty()) ch.entries.push_back(std::move(ruler));
    return ch;
  }

  Chapter pointsChapter() {
    Chapter ch{"points", w_.chapters[1], {}, {}};
    for (const PointPosition& p : c_.points) {
      if (p.index == natal::kAscendant) continue;  // the first chapter's
      Entry e{point(p.index), {}};
      const int s = natal::signOf(p.longitude);
      part(e, pointKey(p.index) + " in " + signKey(s), fill(w_.inSign, {sign(s)}));
      if (p.signBorder)
        part(e, pointKey(p.index) + " in " + signKey((s + 1) % 12),
             fill(w_.signLean,
                  {pointInText(p.index), std::to_string(c_.borderlineWidth), sign((s + 1) % 12)}));
      if (p.index == natal::kMoon && !c_.timeKnown) {
        std::set<int> others = {natal::signOf(c_.moonAtDayStart), natal::signOf(c_.moonAtDayEnd)};
        others.erase(s);
        for (int o : others)
          part(e, pointKey(p.index) + " in " + signKey(o), fill(w_.moonDay, {sign(o)}));
      }
      if (p.house > 0 && p.index != natal::kMidheaven) {
        part(e, pointKey(p.index) + " in house " + std::to_string(p.house),
             fill(w_.inHouse, {ordinal(p.house, greek_)}));
        if (p.houseBorder) {
          const int next = p.house % 12 + 1;
          part(e, pointKey(p.index) + " in house " + std::to_string(next),
               fill(w_.houseLean, {pointInText(p.index), std::to_string(c_.borderlineWidth),
                                   ordinal(next, greek_, Case::Genitive)}));
        }
      }
      if (!e.parts.empty()) ch.entries.push_back(std::move(e));
    }
    return ch;
  }

  std::string motionOf(const natal::AspectFound& a) const {
    return a.deviation == 0 ? w_.exact : a.applying ? w_.applying : w_.separating;
  }

  Chapter aspectsChapter() {
    Chapter ch{"aspects", w_.chapters[2], {}, {}};
    // With the time not known the Moon's aspects are those of any moment of the day.
    std::vector<natal::NatalChart::DayAspect> found;
    for (const auto& a : c_.aspects)
      if (c_.timeKnown || (a.a != natal::kMoon && a.b != natal::kMoon)) found.push_back({a, true});
    if (!c_.timeKnown)
      for (const auto& d : c_.moonDayAspects) found.push_back(d);
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
      return std::fabs(a.aspect.deviation) < std::fabs(b.aspect.deviation);
    });
    // Aspects with a text of their own, each in turn; the rest under their aspect's general
    // sense, which is read once.
    std::map<int, std::vector<std::string>> general;
    std::vector<int> generalOrder;
    for (const auto& d : found) {
      const natal::AspectFound& a = d.aspect;
      const std::string name = asciiLower(natal::aspectName(a.aspect, false));
      std::vector<std::string> lookup = {pointKey(a.a) + " " + name + " " + pointKey(a.b)};
      if (a.aspect < 5) {
        lookup.push_back(pointKey(a.a) + " " + wording::aspectNature(a.aspect) + " " +
                         pointKey(a.b));
      }
      std::string lead = fill(w_.orb, {degreesText(a.deviation), motionOf(a)});
      if (!d.allDay) {
        lead += ", " + std::string(w_.partOfDay);
        if (ch.lines.empty()) ch.lines.push_back(w_.partOfDayNote);
      }
      const std::string word = natal::aspectWord(a.aspect, greek_);
      const std::string pair = fill(w_.aspectPair, {point(a.a), word, point(a.b)});
      const std::string* body = nullptr;
      std::string key;
      for (const auto& k : lookup)
        if ((body = t_.find(k))) {
          key = k;
          break;
        }
      if (body && !used_.count(key)) {
        used_.insert(key);
        ch.entries.push_back({pair, {{{key}, lead, *body}}});
        continue;
      }
      // Between two of the ten planets the set owes a nature's text: count it as missing.
      if (!body && a.aspect < 5 && a.a < 10 && a.b < 10) text(lookup.back());
      if (!general.count(a.aspect)) generalOrder.push_back(a.aspect);
      general[a.aspect].push_back(fill(w_.aspectListed, {point(a.a), word, point(a.b)}) + " (" +
                                  lead + ")");
    }
    for (int aspect : generalOrder) {
      const std::string key = asciiLower(natal::aspectName(aspect, false));
      const std::string* body = text(key);
      if (!body) continue;
      used_.insert(key);
      Entry e{natal::capitalised(natal::aspectWord(aspect, greek_)), {}};
      // The general sense speaks of the pairs listed, or of the one.
      e.parts.push_back({{key},
                         fill(w_.generalLead, {joined(general[aspect], greek_ ? "· " : "; ")}),
                         withNumber(*body, general[aspect].size() == 1)});
      ch.entries.push_back(std::move(e));
    }
    return ch;
  }

  Chapter housesChapter() {
    Chapter ch{"houses", w_.chapters[3], {}, {}};
    std::set<int> absent;
    for (const auto& r : c_.rulers)
      for (const auto* list : {&r.ofCusp, &r.ofNatural})
        for (int p : *list)
          if (!at(p) && !rulersOff_.count(p)) absent.insert(p);
    if (!absent.empty()) {
      std::vector<std::string> names;
      for (int p : absent) names.push_back(point(p));
      ch.lines.push_back(fill(w_.absentWhy, {joined(names)}));
    }
    for (int h = 1; h <= 12; ++h) {
      const int cuspSign = natal::signOf(c_.cusps[h - 1]);
      Entry e{fill(w_.houseHeading, {ordinal(h, greek_), sign(cuspSign)}), {}};
      part(e, "house " + std::to_string(h), "");
      const auto& rulers = c_.rulers[h - 1];
      const std::string ofHouse = ordinal(h, greek_, Case::Genitive);
      if (!rulers.ofCusp.empty()) {
        if (h == 1) {
          // The chart's ruler, read in the first chapter: the ones that take part, where
          // one of two is switched off (named there with why).
          std::vector<std::string> names;
          for (int r : rulers.ofCusp)
            if (at(r) || std::all_of(rulers.ofCusp.begin(), rulers.ofCusp.end(),
                                     [&](int x) { return !at(x); }))
              names.push_back(point(r));
          e.parts.push_back(
              {{},
               fill(names.size() == 1 ? w_.rulerOfFirst : w_.rulersOfFirst, {listed(names)}),
               ""});
        } else {
          rulerParts(e, h, rulers.ofCusp,
                     fill(rulers.ofCusp.size() == 1 ? w_.rulerOf : w_.rulersOf,
                          {ofHouse, rulersPlaces(rulers.ofCusp, true)}));
        }
      }
      if (!rulers.ofNatural.empty()) {
        std::vector<std::string> names;
        for (int r : rulers.ofNatural) names.push_back(point(r));
        // Alike under every rulers' setting: the same rulers said so, others named with
        // where they stand, their houses' texts read in their own places.
        if (rulers.ofNatural == rulers.ofCusp)
          e.parts.push_back({{}, fill(w_.naturalSame, {ofHouse, joined(names, w_.corner)}), ""});
        else
          e.parts.push_back({{},
                             fill(rulers.ofNatural.size() == 1 ? w_.naturalOf : w_.naturalsOf,
                                  {ofHouse, rulersPlaces(rulers.ofNatural, true)}),
                             ""});
      }
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
    elementWeights(element, modality);
    const int total = element[0] + element[1] + element[2] + element[3];
    if (total > 0) {
      ch.lines.push_back(fill(c_.timeKnown ? w_.elements : w_.elementsNoTime,
                              {std::to_string(element[0]), std::to_string(element[1]),
                               std::to_string(element[2]), std::to_string(element[3])}));
      ch.lines.push_back(fill(
          w_.modalities,
          {std::to_string(modality[0]), std::to_string(modality[1]), std::to_string(modality[2])}));
      std::vector<std::string> empty;
      for (int i = 0; i < 4; ++i)
        if (element[static_cast<std::size_t>(i)] == 0) empty.push_back(w_.elementNames[i]);
      for (int i = 0; i < 3; ++i)
        if (modality[static_cast<std::size_t>(i)] == 0) empty.push_back(w_.modalityNames[i]);
      if (!empty.empty())
        ch.lines.push_back(fill(empty.size() == 1 ? w_.without : w_.withoutMany, {joined(empty)}));
      const int topElement = *std::max_element(element.begin(), element.end());
      const bool elementsTied = std::count(element.begin(), element.end(), topElement) > 1;
      for (int i = 0; i < 4; ++i)
        if (element[static_cast<std::size_t>(i)] == topElement) {
          Entry e{fill(elementsTied ? w_.tiedElement : w_.strongestElement, {w_.elementNames[i]}),
                  {}};
          part(e, asciiLower(kElementKeys[i]), "");
          if (!e.parts.empty()) ch.entries.push_back(std::move(e));
        }
      const int topModality = *std::max_element(modality.begin(), modality.end());
      const bool modalitiesTied = std::count(modality.begin(), modality.end(), topModality) > 1;
      for (int i = 0; i < 3; ++i)
        if (modality[static_cast<std::size_t>(i)] == topModality) {
          Entry e{
              fill(modalitiesTied ? w_.tiedModality : w_.strongestModality, {w_.modalityNames[i]}),
              {}};
          part(e, asciiLower(kModalityKeys[i]), "");
          if (!e.parts.empty()) ch.entries.push_back(std::move(e));
        }
    }
    if (c_.timeKnown) hemispheres(ch);
    stellia(ch);
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
      for (std::size_t i = 0; i < 4; ++i)
        if (side[i] * 3 >= planets * 2) {
          Entry e{w_.hemisphereNames[i], {}};
          part(e, kKeys[i], "");
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

  // Four or more points, the angles aside, in one sign or one house: every stellium of a
  // kind listed, its text read once.
  // The points, the angles aside, by sign or by house, where four or more stand together.
  std::map<int, std::vector<int>> stelliaBy(bool houses) const {
    std::map<int, std::vector<int>> by;
    for (const auto& p : c_.points) {
      if (isAngle(p.index)) continue;
      if (!houses) by[natal::signOf(p.longitude)].push_back(p.index);
      if (houses && p.house > 0) by[p.house].push_back(p.index);
    }
    std::erase_if(by, [](const auto& b) { return b.second.size() < 4; });
    return by;
  }

  void stellia(Chapter& ch) {
    const std::map<int, std::vector<int>> bySign = stelliaBy(false), byHouse = stelliaBy(true);
    auto entry = [&](const char* heading, const char* key,
                     const std::map<int, std::vector<int>>& by, bool houses) {
      std::vector<std::string> leads;
      for (const auto& [where, members] : by)
        if (members.size() >= 4)
          leads.push_back(houses ? fill(w_.stelliumHouse, {ordinal(where, greek_), names(members)})
                                 : fill(w_.stelliumSign, {sign(where), names(members)}));
      if (leads.empty() || used_.count(key)) return;
      const std::string* body = text(key);
      if (!body) return;
      used_.insert(key);
      Entry e{heading, {}};
      for (std::size_t i = 0; i + 1 < leads.size(); ++i) e.parts.push_back({{}, leads[i], ""});
      e.parts.push_back({{key}, leads.back(), *body});
      ch.entries.push_back(std::move(e));
    };
    entry(w_.stelliumSigns, "stellium in a sign", bySign, false);
    entry(w_.stelliumHouses, "stellium in a house", byHouse, true);
  }

  std::string cornerText(const Corner& corner) const {
    std::vector<std::string> shown;
    for (int p : corner) shown.push_back(greek_ ? point(p) : pointInText(p));
    return listed(shown);
  }

  void patterns(Chapter& ch) {
    const std::vector<Figure> figures = findFigures(c_);
    static constexpr const char* kKeys[4] = {"grand trine", "t-square", "grand cross", "yod"};
    for (int kind = 0; kind < 4; ++kind) {
      std::vector<std::string> leads;
      for (const Figure& f : figures) {
        if (f.kind != kind) continue;
        const auto& k = f.corners;
        std::string lead;
        switch (kind) {
          case 0:
            lead = fill(w_.trineFigure, {cornerText(k[0]), cornerText(k[1]), cornerText(k[2])});
            break;
          case 1:
            lead = fill(w_.tSquare, {cornerText(k[0]), cornerText(k[1]), cornerText(k[2])});
            break;
          case 2:
            lead = fill(w_.crossFigure,
                        {cornerText(k[0]), cornerText(k[2]), cornerText(k[1]), cornerText(k[3])});
            break;
          default: lead = fill(w_.yod, {cornerText(k[0]), cornerText(k[1]), cornerText(k[2])});
        }
        if (!greek_) lead[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(lead[0])));
        leads.push_back(lead);
      }
      if (leads.empty()) continue;
      const std::string key = kKeys[kind];
      const std::string* body = text(key);
      if (!body || used_.count(key)) continue;
      used_.insert(key);
      Entry e{w_.patternNames[kind], {}};
      for (std::size_t m = 0; m + 1 < leads.size(); ++m) e.parts.push_back({{}, leads[m], ""});
      e.parts.push_back({{key}, leads.back(), *body});
      ch.entries.push_back(std::move(e));
    }
  }
};

// ---- rendering --------------------------------------------------------------------------

std::string escaped(const std::string& s) { return html::escaped(s); }

std::size_t width(const std::string& s) {
  std::size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

// Words filled into lines of at most `columns` characters (a longer word stands alone).
void wrap(std::string& out, const std::string& text, std::size_t columns,
          const std::string& indent) {
  const std::size_t room = columns > width(indent) ? columns - width(indent) : 0;
  std::string_view rest(text);
  std::size_t lineStart = 0, lineWidth = 0;  // the line being filled, within `text`
  std::size_t lineEnd = 0;
  bool any = false;
  auto flush = [&] {
    out += indent;
    out.append(text, lineStart, lineEnd - lineStart);
    out += '\n';
  };
  std::size_t at = 0;
  while (at < rest.size()) {
    if (rest[at] == ' ') {
      ++at;
      continue;
    }
    const std::size_t end = std::min(rest.find(' ', at), rest.size());
    std::size_t w = 0;
    for (std::size_t i = at; i < end; ++i)
      w += (static_cast<unsigned char>(rest[i]) & 0xC0) != 0x80;
    if (any && lineWidth + 1 + w > room) {
      flush();
      any = false;
    }
    if (!any) {
      lineStart = at;
      lineWidth = w;
      any = true;
    } else {
      lineWidth += 1 + w;
    }
    lineEnd = end;
    at = end;
  }
  if (any) flush();
}

}  // namespace

std::string withChoices(const std::string& text, std::int32_t sex) {
  std::string out;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t open = text.find('{', at);
    const std::size_t bar = open == std::string::npos ? open : text.find('|', open);
    const std::size_t close = bar == std::string::npos ? bar : text.find('}', bar);
    if (close == std::string::npos) break;  // not a choice: the rest as it is
    out.append(text, at, open - at);
    const bool byNumber = text[open + 1] == '#';
    out += sex == 2 || byNumber ? text.substr(bar + 1, close - bar - 1)
                                : text.substr(open + 1, bar - open - 1);
    at = close + 1;
  }
  return out + text.substr(std::min(at, text.size()));
}

std::string withNumber(const std::string& text, bool one) {
  std::string out;
  std::size_t at = 0;
  for (;;) {
    const std::size_t open = text.find("{#", at);
    const std::size_t bar = open == std::string::npos ? open : text.find('|', open);
    const std::size_t close = bar == std::string::npos ? bar : text.find('}', bar);
    if (close == std::string::npos) break;
    out.append(text, at, open - at);
    out += one ? text.substr(open + 2, bar - open - 2) : text.substr(bar + 1, close - bar - 1);
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
  Reading r = Composer(chart, settings, texts, greek).compose();
  r.notes = ownTextNotes(texts, greek);
  return r;
}

namespace {

// A problem of an own set's file in Greek, for a Greek page: the set's checks say it in
// English, for the tool's standard error. One not known here stays as it is.
std::string greekProblem(const std::string& what) {
  static const std::pair<const char*, const char*> kWhole[] = {
      {"is not UTF-8 text, so none of the file is read (save it as UTF-8)",
       "δεν είναι κείμενο UTF-8, γι' αυτό δεν διαβάζεται τίποτα από το αρχείο (αποθήκευσέ το ως "
       "UTF-8)"},
      {"a key's line must end with ]", "η γραμμή ενός κλειδιού πρέπει να τελειώνει με ]"},
      {"text before the first [key]", "κείμενο πριν από το πρώτο [κλειδί]"},
      {"is a folder, not a file of texts, so it is not read",
       "είναι φάκελος και όχι αρχείο κειμένων, γι' αυτό δεν διαβάζεται"}};
  for (const auto& [en, el] : kWhole)
    if (what == en) return el;
  if (what.starts_with("unknown key ")) return "άγνωστο κλειδί " + what.substr(12);
  constexpr std::string_view kCantRead = "can't be read (", kNoneRead = "), so none of it is read";
  if (what.starts_with(kCantRead) && what.ends_with(kNoneRead)) {
    std::string why =
        what.substr(kCantRead.size(), what.size() - kCantRead.size() - kNoneRead.size());
    if (why == "its permissions don't allow it") why = "τα δικαιώματά του δεν το επιτρέπουν";
    return "δεν μπορεί να διαβαστεί (" + why + "), γι' αυτό δεν διαβάζεται τίποτα από αυτό";
  }
  // "[Sun in Aries] has no text": the key, then what is wrong with its entry.
  static const std::pair<const char*, const char*> kOfKey[] = {
      {"has no text", "δεν έχει κείμενο"},
      {"is given more than once; this one counts",
       "δίνεται περισσότερες από μία φορές· ισχύει αυτό εδώ"},
      {"has a {...|...} choice that is not closed", "έχει επιλογή {...|...} που δεν κλείνει"},
      {"has a { inside a {...|...} choice", "έχει { μέσα σε επιλογή {...|...}"},
      {"has a | outside a {...|...} choice", "έχει | έξω από επιλογή {...|...}"},
      {"has a choice of more than two words {...|...|...}",
       "έχει επιλογή με περισσότερες από δύο λέξεις {...|...|...}"},
      {"has a } that closes no {...|...} choice", "έχει } που δεν κλείνει καμία επιλογή {...|...}"},
      {"has a choice without | between its two words",
       "έχει επιλογή χωρίς | ανάμεσα στις δύο λέξεις της"}};
  const std::size_t close = what.starts_with("[") ? what.find("] ") : std::string::npos;
  if (close != std::string::npos)
    for (const auto& [en, el] : kOfKey)
      if (what.compare(close + 2, std::string::npos, en) == 0)
        return "το " + what.substr(0, close + 1) + " " + el;
  return what;
}

}  // namespace

std::vector<std::string> ownTextNotes(const TextSet& texts, bool greek) {
  std::vector<std::string> notes;
  for (const auto& p : texts.own().problems)
    notes.push_back(p.file + (p.line > 0 ? ":" + std::to_string(p.line) : "") + ": " +
                    (greek ? greekProblem(p.what) : p.what) +
                    (greek ? " (διαβάζεται το κείμενο που συνοδεύει το πρόγραμμα)"
                           : " (the text shipped with the program is read instead)"));
  return notes;
}

bool shippedFound(const TextSet& texts) { return texts.shippedFound(); }

std::string textsNotFoundNote(bool greek) {
  const std::string folder = shippedTextsFolder() + "/" + languageFolder(greek);
  return greek ? "Η ερμηνεία λείπει: τα κείμενά της δεν βρέθηκαν στον φάκελο " + folder + "."
               : "No reading: its texts were not found in " + folder + ".";
}

std::string readingHtml(const Reading& r) {
  // On paper no heading or lead ends a page alone: each is kept with the paragraph it leads
  // to, and a chapter's title with its first block; the rest flows.
  std::string s = "<div class=\"reading\">\n<h2>" + escaped(r.title) + "</h2>\n";
  for (const auto& n : r.notes) s += "<p class=\"note\">" + escaped(n) + "</p>\n";
  if (!r.timeNote.empty()) s += "<p class=\"note\">" + escaped(r.timeNote) + "</p>\n";
  auto entryHtml = [](const Entry& e) {
    std::string out = "<div class=\"entry\">\n<div class=\"keep\">\n";
    if (!e.heading.empty()) out += "<h4>" + escaped(e.heading) + "</h4>\n";
    bool open = true;  // the heading's block, until a paragraph of text closes it
    for (const auto& p : e.parts) {
      if (!open && !p.lead.empty()) out += "<div class=\"keep\">\n", open = true;
      if (!p.lead.empty()) out += "<p class=\"lead\">" + escaped(p.lead) + "</p>\n";
      for (const auto& t : paragraphs(p.text)) {
        out += "<p>" + escaped(t) + "</p>\n";
        if (open) out += "</div>\n", open = false;
      }
    }
    if (open) out += "</div>\n";
    return out + "</div>\n";
  };
  for (const auto& ch : r.chapters) {
    s += "<div class=\"chapter\" id=\"" + ch.id + "\">\n<div class=\"opening\">\n<h3>" +
         escaped(ch.title) + "</h3>\n";
    for (const auto& line : ch.lines) s += "<p class=\"summary\">" + escaped(line) + "</p>\n";
    std::size_t i = 0;
    if (ch.lines.empty() && !ch.entries.empty()) s += entryHtml(ch.entries[i++]);
    s += "</div>\n";
    for (; i < ch.entries.size(); ++i) s += entryHtml(ch.entries[i]);
    s += "</div>\n";
  }
  if (!r.missingNote.empty()) s += "<p class=\"note\">" + escaped(r.missingNote) + "</p>\n";
  return s + "</div>\n";
}

std::string readingText(const Reading& r, std::size_t columns) {
  std::string s;
  auto underline = [&](const std::string& title, const char* mark) {
    std::string lines;
    wrap(lines, title, columns, "");
    s += lines;
    std::size_t longest = 0;
    for (std::size_t start = 0; start < lines.size();) {
      const std::size_t end = lines.find('\n', start);
      longest = std::max(longest, width(lines.substr(start, end - start)));
      start = end + 1;
    }
    for (std::size_t i = 0; i < longest; ++i) s += mark;
    s += "\n\n";
  };
  underline(r.title, "=");
  for (const auto& n : r.notes) wrap(s, n, columns, "");
  if (!r.notes.empty()) s += "\n";
  if (!r.timeNote.empty()) {
    wrap(s, r.timeNote, columns, "");
    s += "\n";
  }
  for (const auto& ch : r.chapters) {
    underline(ch.title, "-");
    for (const auto& line : ch.lines) wrap(s, line, columns, "");
    if (!ch.lines.empty()) s += "\n";
    for (const auto& e : ch.entries) {
      if (!e.heading.empty()) wrap(s, e.heading, columns, "");
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
