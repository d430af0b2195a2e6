#include "sheet/traditional_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "natal/names.h"
#include "natal/wheel.h"
#include "sheet/html.h"
#include "sheet/time_report.h"
#include "sheet/wording.h"

namespace orvenda::report {
namespace {

namespace tr = traditional;
using html::escaped;

// The report's words. Greek: the tradition's own (αίρεση, οίκος, ύψωμα, εξορία, ταπείνωμα,
// τριγωνοκράτορες, όρια, πρόσωπα, κλήροι); English: its translators'.
struct Words {
  const char* lang;
  const char* title;
  const char* wheel;
  const char* wheelCaption;
  const char* sect;
  const char* dayChart;
  const char* nightChart;
  const char* sectLine;  // light, benefic, malefic, contrary benefic, contrary malefic
  const char* noSect;
  const char* altitude;
  const char* dignities;
  const char* planet;
  const char* position;
  const char* domicile;
  const char* exaltation;
  const char* triplicity;
  const char* bound;
  const char* face;
  const char* score;
  const char* partWords[5];  // the score's parts: domicile, exaltation, triplicity, bound, face
  const char* detriment;
  const char* fall;
  const char* peregrine;
  const char* boundsEgyptian;
  const char* boundsPtolemaic;
  const char* condition;
  const char* sectColumn;
  const char* inSect;
  const char* contrary;
  const char* house;
  const char* wholeSign;
  const char* motion;
  const char* sun;
  const char* angular;
  const char* succedent;
  const char* cadent;
  const char* joy;
  const char* direct;
  const char* retrograde;
  const char* stationary;
  const char* fast;
  const char* slow;
  const char* oriental;
  const char* occidental;
  const char* combust;
  const char* beams;
  const char* cazimi;
  const char* receptions;
  const char* noReceptions;
  const char* mutualDomicile;
  const char* mutualExaltation;
  const char* mixed;
  const char* receivedDomicile;  // a received by b
  const char* receivedExaltation;
  const char* dispositors;
  const char* finalDispositor;
  const char* noFinal;
  const char* loop;
  const char* lots;
  const char* lot;
  const char* ruler;
  const char* noLots;
  const char* lotNames[tr::kLots];
  const char* almuten;
  const char* syzygyNew;
  const char* syzygyFull;
  const char* almutenOf;
  const char* points;
  const char* noAlmuten;
  const char* antiscia;
  const char* antiscion;
  const char* contraAntiscion;
  const char* none;
  const char* declinations;
  const char* declination;
  const char* obliquity;
  const char* outOfBounds;
  const char* parallel;
  const char* contraparallel;
  const char* stars;
  const char* star;
  const char* magnitude;
  const char* on;
  const char* orb;
  const char* nature;
  const char* noNature;
  const char* royal;
  const char* noStars;
  const char* noStarFile;
  const char* timeUnknown;
  const char* glossary;
  const char* glossaryText[8];
  const char* footer;
};

const Words kEnglish = {
    "en",
    "The traditional chart of ",
    "The wheel",
    "The lots (violet) and the bright stars on a point (brown) outside the zodiac.",
    "Sect",
    "A day chart",
    "A night chart",
    "The light of the sect: the %s. Of the sect: %s, the benefic, and %s, the malefic. "
    "Contrary to it: %s and %s.",
    "The birth time is not known: no sect, no houses, no lots.",
    "the Sun's altitude",
    "Essential dignities",
    "Planet",
    "Position",
    "Domicile",
    "Exaltation",
    "Triplicity",
    "Bound",
    "Face",
    "Score",
    {"domicile", "exaltation", "triplicity", "bound", "face"},
    "detriment",
    "fall",
    "peregrine",
    "The Egyptian bounds; the triplicity's rulers by day, by night and participating.",
    "Ptolemy's bounds; the triplicity's rulers by day, by night and participating.",
    "Condition",
    "Sect",
    "in sect",
    "contrary",
    "House",
    "Whole sign",
    "Motion",
    "The Sun",
    "angular",
    "succedent",
    "cadent",
    "in its joy",
    "direct",
    "retrograde",
    "stationary",
    "fast",
    "slow",
    "oriental",
    "occidental",
    "combust",
    "under the beams",
    "cazimi",
    "Receptions",
    "No receptions.",
    "mutual reception by domicile",
    "mutual reception by exaltation",
    "mixed mutual reception",
    "%s received by %s, by domicile",
    "%s received by %s, by exaltation",
    "Dispositors",
    "The final dispositor: %s.",
    "No final dispositor.",
    "A loop: %s.",
    "The lots of Paulus",
    "Lot",
    "Ruler",
    "The lots need the birth time and the seven planets.",
    {"Fortune", "Spirit", "Eros", "Necessity", "Courage", "Victory", "Nemesis"},
    "The almuten of the chart",
    "The syzygy before birth: the new moon of %s UT, %s.",
    "The syzygy before birth: the full moon of %s UT, %s (the light above the horizon).",
    "The almuten of the chart: %s.",
    "Points",
    "The almuten needs the birth time, the seven planets and the syzygy.",
    "Antiscia",
    "antiscion",
    "contra-antiscion",
    "None within 1°.",
    "Declinations",
    "Declination",
    "The obliquity of the ecliptic: %s.",
    "out of bounds",
    "parallel",
    "contraparallel",
    "The fixed stars",
    "Star",
    "Magnitude",
    "On",
    "Orb",
    "Nature",
    "not given by Ptolemy",
    "royal",
    "No bright star within 1° of a point (1°30′ of a light or an angle).",
    "Not computed: the star file sefstars.txt is not found.",
    "The birth time is not known: the sect, the houses, the lots and the almuten are left out.",
    "Glossary and sources",
    {"Sect: the division of the planets into those of the day (the Sun, Jupiter, Saturn) and "
     "of the night (the Moon, Venus, Mars), Mercury by its phase; a chart is of the day when "
     "the Sun is above the horizon (Dorotheus, Valens, Ptolemy).",
     "Domicile, exaltation, triplicity, bounds, face: the five essential dignities; detriment "
     "and fall their opposites; a planet with none of the five is peregrine. The scores are "
     "William Lilly's (Christian Astrology, 1647).",
     "Triplicity rulers: Dorotheus of Sidon's three for each element, by day, by night and "
     "participating. The bounds: the Egyptian, or Ptolemy's (Tetrabiblos I.20–21). The faces: "
     "the Chaldean order from Mars in the first ten degrees of Aries.",
     "Reception: a planet in a sign of another's domicile or exaltation, received by it when "
     "the other beholds it; mutual when each is in the other's.",
     "Dispositor: the ruler of the sign a planet is in; followed to its end, the final "
     "dispositor, or a loop of rulers.",
     "Lots: places found from the distance between two points, counted from the Ascendant, "
     "reversed by night; the seven here are those of Paulus Alexandrinus.",
     "Almuten of the chart: the planet with the most dignity over the Sun, the Moon, the "
     "Ascendant, the Lot of Fortune and the syzygy before birth (Abraham Ibn Ezra).",
     "Fixed stars: their natures are those Ptolemy gives in the Tetrabiblos (I.9); a star is "
     "counted on a point within 1° in longitude, 1°30′ of a light or an angle."},
    "Computed by Orvenda with the Swiss Ephemeris."};

const Words kGreek = {
    "el",
    "Ο παραδοσιακός χάρτης: ",
    "Ο τροχός",
    "Οι κλήροι (μωβ) και οι λαμπροί απλανείς πάνω σε σημείο (καφέ), έξω από τον ζωδιακό.",
    "Αίρεση",
    "Ημερήσιος χάρτης",
    "Νυχτερινός χάρτης",
    "Φως της αιρέσεως: %s. Αγαθοποιός της αιρέσεως: %s· κακοποιός της αιρέσεως: %s. "
    "Αντίθετοι στην αίρεση: %s και %s.",
    "Η ώρα της γέννησης δεν είναι γνωστή: χωρίς αίρεση, τόπους και κλήρους.",
    "ύψος του Ηλίου",
    "Ουσιώδεις αξίες",
    "Πλανήτης",
    "Θέση",
    "Οίκος",
    "Ύψωμα",
    "Τριγωνοκράτορες",
    "Όριο",
    "Πρόσωπο",
    "Βαθμοί",
    {"οίκος", "ύψωμα", "τριγωνοκρατορία", "όριο", "πρόσωπο"},
    "εξορία",
    "ταπείνωμα",
    "περιπλανώμενος",
    "Τα αιγυπτιακά όρια· οι τριγωνοκράτορες ημέρας, νύχτας και ο συμμέτοχος.",
    "Τα όρια του Πτολεμαίου· οι τριγωνοκράτορες ημέρας, νύχτας και ο συμμέτοχος.",
    "Κατάσταση",
    "Αίρεση",
    "εντός",
    "εκτός",
    "Τόπος",
    "Τόπος κατά ζώδιο",
    "Κίνηση",
    "Ο Ήλιος",
    "επίκεντρος",
    "επαναφορά",
    "απόκλιμα",
    "στη χαρά του",
    "ορθός",
    "ανάδρομος",
    "στάσιμος",
    "ταχύς",
    "βραδύς",
    "εώος",
    "εσπέριος",
    "σε καύση",
    "υπό τας αυγάς",
    "καζίμι",
    "Υποδοχές",
    "Καμία υποδοχή.",
    "ανταναγνώριση κατ' οίκον",
    "ανταναγνώριση καθ' ύψωμα",
    "μεικτή ανταναγνώριση",
    "%s: %s από %s, κατ' οίκον",
    "%s: %s από %s, καθ' ύψωμα",
    "Οικοδεσπότες",
    "Τελικός οικοδεσπότης: %s.",
    "Κανένας τελικός οικοδεσπότης.",
    "Κύκλος: %s.",
    "Οι κλήροι του Παύλου",
    "Κλήρος",
    "Κύριος",
    "Οι κλήροι θέλουν την ώρα της γέννησης και τους επτά πλανήτες.",
    {"Τύχης", "Δαίμονος", "Έρωτος", "Ανάγκης", "Τόλμης", "Νίκης", "Νεμέσεως"},
    "Ο επικρατήτορας του χάρτη",
    "Η προγεννητική συζυγία: η σύνοδος στις %s UT, %s.",
    "Η προγεννητική συζυγία: η πανσέληνος στις %s UT, %s (του φωτός πάνω από τον ορίζοντα).",
    "Ο επικρατήτορας του χάρτη: %s.",
    "Βαθμοί",
    "Ο επικρατήτορας θέλει την ώρα της γέννησης, τους επτά πλανήτες και τη συζυγία.",
    "Αντίσκια",
    "αντίσκιο",
    "αντι-αντίσκιο",
    "Κανένα εντός 1°.",
    "Αποκλίσεις",
    "Απόκλιση",
    "Η λόξωση της εκλειπτικής: %s.",
    "εκτός ορίων",
    "παράλληλος",
    "αντιπαράλληλος",
    "Οι απλανείς αστέρες",
    "Αστέρας",
    "Μέγεθος",
    "Πάνω σε",
    "Απόσταση",
    "Φύση",
    "δεν τη δίνει ο Πτολεμαίος",
    "βασιλικός",
    "Κανένας λαμπρός απλανής εντός 1° από σημείο (1°30′ από φως ή κέντρο).",
    "Δεν υπολογίστηκαν: το αρχείο αστέρων sefstars.txt δεν βρέθηκε.",
    "Η ώρα της γέννησης δεν είναι γνωστή: η αίρεση, οι τόποι, οι κλήροι και ο επικρατήτορας "
    "παραλείπονται.",
    "Γλωσσάρι και πηγές",
    {"Αίρεση: η διαίρεση των πλανητών σε ημερήσιους (Ήλιος, Δίας, Κρόνος) και νυχτερινούς "
     "(Σελήνη, Αφροδίτη, Άρης), με τον Ερμή κατά τη φάση του· ο χάρτης είναι ημερήσιος όταν ο "
     "Ήλιος είναι πάνω από τον ορίζοντα (Δωρόθεος, Ουάλης, Πτολεμαίος).",
     "Οίκος, ύψωμα, τριγωνοκρατορία, όρια, πρόσωπο: οι πέντε ουσιώδεις αξίες· εξορία και "
     "ταπείνωμα τα αντίθετά τους· πλανήτης χωρίς καμία από τις πέντε είναι περιπλανώμενος. Οι "
     "βαθμοί είναι του Ουίλιαμ Λίλι (Christian Astrology, 1647).",
     "Τριγωνοκράτορες: οι τρεις του Δωροθέου του Σιδωνίου για κάθε στοιχείο, ημέρας, νύχτας "
     "και συμμέτοχος. Τα όρια: τα αιγυπτιακά ή του Πτολεμαίου (Τετράβιβλος Α΄ 20–21). Τα "
     "πρόσωπα: η χαλδαϊκή σειρά από τον Άρη στις δέκα πρώτες μοίρες του Κριού.",
     "Υποδοχή: πλανήτης σε ζώδιο όπου άλλος έχει οίκο ή ύψωμα, δεκτός από αυτόν όταν εκείνος "
     "τον βλέπει· ανταναγνώριση όταν ο καθένας βρίσκεται στο ζώδιο του άλλου.",
     "Οικοδεσπότης: ο κύριος του ζωδίου όπου βρίσκεται ένας πλανήτης· ακολουθώντας την αλυσίδα "
     "ως το τέλος της, ο τελικός οικοδεσπότης ή ένας κύκλος κυρίων.",
     "Κλήροι: τόποι που βρίσκονται από την απόσταση δύο σημείων, μετρημένη από τον ωροσκόπο, "
     "αντίστροφα τη νύχτα· οι επτά εδώ είναι του Παύλου του Αλεξανδρέως.",
     "Επικρατήτορας του χάρτη: ο πλανήτης με τις περισσότερες αξίες πάνω στον Ήλιο, τη Σελήνη, "
     "τον ωροσκόπο, τον κλήρο Τύχης και την προγεννητική συζυγία (Αβραάμ ιμπν Έζρα).",
     "Απλανείς αστέρες: η φύση τους είναι αυτή που δίνει ο Πτολεμαίος στην Τετράβιβλο (Α΄ 9)· "
     "ένας αστέρας λογίζεται πάνω σε σημείο εντός 1° σε μήκος, 1°30′ από φως ή κέντρο."},
    "Υπολογισμένο από το Orvenda με την Swiss Ephemeris."};

// A planet after "από" in Greek: the accusative with its article.
std::string byPlanet(int p) {
  static const char* const kAccusative[tr::kPlanets] = {
      "τον Ήλιο", "τη Σελήνη", "τον Ερμή", "την Αφροδίτη", "τον Άρη", "τον Δία", "τον Κρόνο"};
  return p >= 0 && p < tr::kPlanets ? kAccusative[p] : "";
}

std::string planet(int p, bool greek) { return p == tr::kNone ? "–" : natal::pointWord(p, greek); }

std::string inSign(double longitude, bool greek) {
  const long long s = natal::arcSecondsOf(longitude) % (30 * 3600);
  char buf[48];
  std::snprintf(buf, sizeof buf, " %lld° %02lld′", s / 3600, s / 60 % 60);
  return natal::signName(natal::signOf(longitude), greek) + buf;
}

std::string signedDegrees(double d) {
  const long long s = std::llround(std::fabs(d) * 60);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s%lld° %02lld′", d < 0 && s > 0 ? "−" : "+", s / 60, s % 60);
  return buf;
}

std::string orbText(double orb) {
  const long long m = std::llround(std::fabs(orb) * 60);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%lld° %02lld′", m / 60, m % 60);
  return buf;
}

std::string cell(const std::string& text, const char* cls = nullptr) {
  return std::string("<td") + (cls ? std::string(" class=\"") + cls + "\"" : "") + ">" +
         escaped(text) + "</td>";
}

std::string headRow(const std::vector<std::string>& heads) {
  std::string s = "<tr>";
  for (const auto& h : heads) s += "<th>" + escaped(h) + "</th>";
  return s + "</tr>\n";
}

const char* kStyle =
    "body { font-family: \"DejaVu Serif\", Georgia, serif; margin: 1.5em auto; max-width: 62em; "
    "padding: 0 1em; color: #000; background: #fff; line-height: 1.4; }\n"
    "h1 { font-size: 1.5em; margin: 0 0 .4em; border-bottom: 1px solid #000; }\n"
    "h2 { font-size: 1.2em; margin: 1.4em 0 .5em; }\n"
    "p { margin: 0 0 .5em; }\n.meta { margin: 0; }\n"
    "figure { margin: 1em 0; } figcaption { font-size: .9em; font-style: italic; }\n"
    ".wheel { display: block; width: 100%; max-width: 170mm; height: auto; margin: 0 auto; }\n"
    ".scroll { overflow-x: auto; }\n"
    "table { border-collapse: collapse; margin: 0 0 .6em; }\n"
    "th, td { text-align: left; padding: .1em .7em .1em 0; border-bottom: 1px solid #eee; "
    "vertical-align: top; }\n"
    "th { font-weight: bold; font-size: .9em; }\n.dignities { font-size: .92em; }\n"
    ".num { text-align: right; white-space: nowrap; } .pos { white-space: nowrap; }\n"
    ".parts { font-size: .85em; color: #444; min-width: 9em; }\n"
    ".note { font-style: italic; }\np.item { margin: 0 0 .15em 1.2em; }\n"
    ".glossary p { font-size: .9em; }\np.footer { font-size: .8em; margin-top: 2em; }\n"
    ".reading { max-width: 44em; margin-top: 2.5em; line-height: 1.45; }\n"
    ".reading h2 { font-size: 1.3em; border-bottom: 1px solid #000; }\n"
    ".reading h3 { font-size: 1.15em; margin: 1.4em 0 .3em; }\n"
    ".reading h4 { font-size: 1em; margin: 1em 0 .2em; }\n"
    ".reading p { margin: 0 0 .45em; }\n"
    "@media print { body { margin: 0; padding: 0; max-width: none; font-size: 9pt; } "
    "h2, h3 { break-after: avoid; } figure, table, .block { break-inside: avoid; } "
    ".wheel { width: 135mm; } .scroll { overflow: visible; } "
    ".reading { break-before: page; } .reading .keep, .reading .opening { break-inside: avoid; } "
    ".glossary { break-before: page; } p { orphans: 3; widows: 3; } }\n";

}  // namespace

std::string traditionalReportHtml(const Traditional& r, const reading::Reading& reading) {
  const Words& w = r.greek ? kGreek : kEnglish;
  const natal::NatalChart& c = *r.chart;
  const tr::TraditionalChart& t = *r.t;
  const bool g = r.greek;
  const std::string title = w.title + r.name;
  std::string s = std::string("<!DOCTYPE html>\n<html lang=\"") + w.lang +
                  "\">\n<head>\n<meta charset=\"utf-8\">\n<meta name=\"viewport\" "
                  "content=\"width=device-width\">\n<title>Orvenda: " +
                  escaped(title) + "</title>\n<style>\n" + kStyle + html::pageFootStyle(r.name) +
                  "</style>\n</head>\n<body>\n<h1>" + escaped(title) + "</h1>\n";
  s += "<p class=\"meta\">" + escaped(r.birthLine) + "</p>\n";
  if (!c.timeKnown) s += "<p class=\"note\">" + escaped(w.timeUnknown) + "</p>\n";

  // The wheel, the lots and the stars on a point marked outside the zodiac.
  std::vector<natal::WheelMark> marks;
  static const char* const kLotMarks[2][tr::kLots] = {{"⊗", "Sp", "Er", "Ne", "Co", "Vi", "Nm"},
                                                      {"⊗", "Δα", "Ερ", "Αν", "Το", "Νι", "Νμ"}};
  for (const tr::LotPosition& l : t.lots)
    marks.push_back({l.longitude, kLotMarks[g ? 1 : 0][l.lot],
                     std::string(g ? "κλήρος " : "Lot of ") + w.lotNames[l.lot], false});
  std::vector<int> marked;
  for (const tr::StarContact& k : t.starContacts) {
    if (std::find(marked.begin(), marked.end(), k.star) != marked.end()) continue;
    marked.push_back(k.star);
    const tr::FixedStar& f = tr::fixedStars()[static_cast<std::size_t>(k.star)];
    const std::string name = g ? f.greek : f.name;
    // "✶" and the name's first four letters (whole UTF-8 characters).
    std::string shortName;
    int letters = 0;
    for (std::size_t i = 0; i < name.size() && letters < 4; ++letters) {
      std::size_t n = 1;
      while (i + n < name.size() && (static_cast<unsigned char>(name[i + n]) & 0xC0) == 0x80) ++n;
      shortName += name.substr(i, n);
      i += n;
    }
    marks.push_back({k.longitude, "✶" + shortName, name, true});
  }
  s += "<h2>" + escaped(w.wheel) + "</h2>\n<figure>\n" +
       html::svgImage(natal::wheelSvg(c, g, marks), std::string("[") + w.wheel + "]", "wheel") +
       "<figcaption>" + escaped(w.wheelCaption) + "</figcaption>\n</figure>\n";

  // Sect.
  s += "<h2>" + escaped(w.sect) + "</h2>\n";
  if (t.sect.known) {
    s += "<p><b>" + escaped(t.sect.day ? w.dayChart : w.nightChart) + "</b> (" + w.altitude + " " +
         signedDegrees(c.sunAltitude) + "). " +
         escaped(wording::fillEach(
             w.sectLine,
             {planet(t.sect.light, g), planet(t.sect.benefic, g), planet(t.sect.malefic, g),
              planet(t.sect.contraryBenefic, g), planet(t.sect.contraryMalefic, g)})) +
         "</p>\n";
  } else {
    s += "<p class=\"note\">" + escaped(w.noSect) + "</p>\n";
  }

  // The essential dignities.
  s += "<div class=\"block\">\n<h2>" + escaped(w.dignities) + "</h2>\n<p class=\"note\">" +
       escaped(t.bounds == tr::Bounds::Ptolemaic ? w.boundsPtolemaic : w.boundsEgyptian) +
       "</p>\n<div class=\"scroll\"><table class=\"dignities\">\n" +
       headRow({w.planet, w.position, w.domicile, w.exaltation, w.triplicity, w.bound, w.face,
                w.score, ""});
  auto rulersCells = [&](const tr::DignityRulers& d) {
    return cell(planet(d.domicile, g)) + cell(planet(d.exaltation, g)) +
           cell(planet(d.triplicity.day, g) + ", " + planet(d.triplicity.night, g) + ", " +
                planet(d.triplicity.participating, g)) +
           cell(planet(d.bound, g)) + cell(planet(d.face, g));
  };
  for (const tr::Dignities& d : t.dignities) {
    std::string parts;
    auto part = [&](int points, const char* what) {
      if (points == 0) return;
      char buf[16];
      std::snprintf(buf, sizeof buf, " %+d", points);
      parts += (parts.empty() ? "" : ", ") + std::string(what) + buf;
    };
    part(d.domicilePoints, w.partWords[0]);
    part(d.exaltationPoints, w.partWords[1]);
    part(d.triplicityPoints, w.partWords[2]);
    part(d.boundPoints, w.partWords[3]);
    part(d.facePoints, w.partWords[4]);
    part(d.detrimentPoints, w.detriment);
    part(d.fallPoints, w.fall);
    part(d.peregrinePoints,
         g && (d.planet == tr::kMoon || d.planet == tr::kVenus) ? "περιπλανώμενη" : w.peregrine);
    char score[16];
    std::snprintf(score, sizeof score, "%+d", d.score);
    s += "<tr>" + cell(planet(d.planet, g)) + cell(inSign(d.longitude, g), "pos") +
         rulersCells(d.rulers) + "<td class=\"num\">" + score + "</td>" + cell(parts, "parts") +
         "</tr>\n";
  }
  if (t.ascendantRulers)
    s += "<tr>" + cell(natal::pointWord(natal::kAscendant, g)) +
         cell(inSign(c.ascendant, g), "pos") + rulersCells(*t.ascendantRulers) +
         "<td></td><td></td></tr>\n";
  if (t.midheavenRulers)
    s += "<tr>" + cell(natal::pointWord(natal::kMidheaven, g)) +
         cell(inSign(c.midheaven, g), "pos") + rulersCells(*t.midheavenRulers) +
         "<td></td><td></td></tr>\n";
  s += "</table></div>\n</div>\n";

  // The accidental condition.
  s += "<div class=\"block\">\n<h2>" + escaped(w.condition) +
       "</h2>\n<div class=\"scroll\"><table>\n" +
       headRow({w.planet, w.sectColumn, w.house, w.wholeSign, w.motion, w.sun});
  auto angularity = [&](tr::Angularity a) {
    return a == tr::Angularity::Angular     ? w.angular
           : a == tr::Angularity::Succedent ? w.succedent
                                            : w.cadent;
  };
  for (std::size_t i = 0; i < t.accidental.size(); ++i) {
    const tr::Accidental& a = t.accidental[i];
    const int p = a.planet;
    std::string house, whole;
    if (a.housesKnown) {
      house = std::to_string(a.house) + ", " + angularity(a.angularity) +
              (a.inJoy ? std::string(", ") + w.joy : "");
      whole = std::to_string(a.wholeSignHouse) + ", " + angularity(a.wholeSignAngularity) +
              (a.inJoyWholeSign ? std::string(", ") + w.joy : "");
    }
    const std::string motion = std::string(a.motion == tr::Motion::Direct       ? w.direct
                                           : a.motion == tr::Motion::Retrograde ? w.retrograde
                                                                                : w.stationary) +
                               ", " + (a.fast ? w.fast : w.slow);
    std::string sun;
    if (p != tr::kSun) {
      sun = a.orientalOfSun ? w.oriental : w.occidental;
      if (a.solarPhase == tr::SolarPhase::Cazimi) sun += std::string(", ") + w.cazimi;
      if (a.solarPhase == tr::SolarPhase::Combust) sun += std::string(", ") + w.combust;
      if (a.solarPhase == tr::SolarPhase::UnderTheBeams) sun += std::string(", ") + w.beams;
    }
    s += "<tr>" + cell(planet(p, g)) +
         cell(t.sect.known ? (t.sect.inSect[p] ? w.inSect : w.contrary) : "") + cell(house) +
         cell(whole) + cell(motion) + cell(sun) + "</tr>\n";
  }
  s += "</table></div>\n</div>\n";

  // Receptions and dispositors.
  s += "<h2>" + escaped(w.receptions) + "</h2>\n";
  if (t.receptions.empty()) s += "<p>" + escaped(w.noReceptions) + "</p>\n";

  for (const tr::Reception& x : t.receptions) {
    using K = tr::Reception::Kind;
    std::string line;
    if (x.kind == K::MutualDomicile || x.kind == K::MutualExaltation || x.kind == K::Mixed)
      line = planet(x.a, g) + (g ? " και " : " and ") + planet(x.b, g) + ": " +
             (x.kind == K::MutualDomicile     ? w.mutualDomicile
              : x.kind == K::MutualExaltation ? w.mutualExaltation
                                              : w.mixed);
    else if (g)
      line = wording::fillEach(
          x.kind == K::ByDomicile ? w.receivedDomicile : w.receivedExaltation,
          {planet(x.a, g), x.a == tr::kMoon || x.a == tr::kVenus ? "δεκτή" : "δεκτός",
           byPlanet(x.b)});
    else
      line = wording::fillEach(x.kind == K::ByDomicile ? w.receivedDomicile : w.receivedExaltation,
                               {planet(x.a, g), planet(x.b, g)});
    s += "<p class=\"item\">" + escaped(line) + "</p>\n";
  }

  if (t.dispositorsKnown) {
    s += "<h2>" + escaped(w.dispositors) + "</h2>\n";
    for (int p = 0; p < tr::kPlanets; ++p) {
      std::string chain;
      for (int q : t.dispositors.chains[p]) chain += (chain.empty() ? "" : " → ") + planet(q, g);
      s += "<p class=\"item\">" + escaped(chain) + "</p>\n";
    }
    s += "<p>" +
         escaped(
             t.dispositors.finalDispositor != tr::kNone
                 ? wording::fillEach(w.finalDispositor, {planet(t.dispositors.finalDispositor, g)})
                 : std::string(w.noFinal)) +
         "</p>\n";
    for (const auto& loop : t.dispositors.loops) {
      std::string ring;
      for (int q : loop) ring += (ring.empty() ? "" : " → ") + planet(q, g);
      s += "<p>" + escaped(wording::fillEach(w.loop, {ring})) + "</p>\n";
    }
  }

  // The lots and the almuten.
  s += "<h2>" + escaped(w.lots) + "</h2>\n";
  if (t.lots.empty()) {
    s += "<p class=\"note\">" + escaped(w.noLots) + "</p>\n";
  } else {
    s += "<table>\n" + headRow({w.lot, w.position, w.wholeSign, w.house, w.ruler});
    for (const tr::LotPosition& l : t.lots)
      s += "<tr>" + cell(w.lotNames[l.lot]) + cell(inSign(l.longitude, g), "pos") +
           cell(std::to_string(l.wholeSignHouse), "num") + cell(std::to_string(l.house), "num") +
           cell(planet(l.rulers.domicile, g)) + "</tr>\n";
    s += "</table>\n";
  }
  s += "<h2>" + escaped(w.almuten) + "</h2>\n";
  if (t.almuten && t.syzygy) {
    const long long seconds = std::llround((t.syzygy->julianDayUt - 2440587.5) * 86400.0);
    const std::string when = minuteText(seconds, g);
    s += "<p>" +
         escaped(wording::fillEach(t.syzygy->full ? w.syzygyFull : w.syzygyNew,
                                   {when, inSign(t.syzygy->longitude, g)})) +
         "</p>\n<table>\n<tr><th>" + escaped(w.points) + "</th>";
    for (int p = 0; p < tr::kPlanets; ++p) s += "<th>" + escaped(planet(p, g)) + "</th>";
    s += "</tr>\n<tr><td></td>";
    for (int p = 0; p < tr::kPlanets; ++p)
      s += "<td class=\"num\">" + std::to_string(t.almuten->total[p]) + "</td>";
    std::string winners;
    for (int p : t.almuten->winners) winners += (winners.empty() ? "" : ", ") + planet(p, g);
    s += "</tr>\n</table>\n<p><b>" + escaped(wording::fillEach(w.almutenOf, {winners})) +
         "</b></p>\n";
  } else {
    s += "<p class=\"note\">" + escaped(w.noAlmuten) + "</p>\n";
  }

  // Antiscia and declinations.
  s += "<h2>" + escaped(w.antiscia) + "</h2>\n";
  if (t.antiscia.empty()) s += "<p>" + escaped(w.none) + "</p>\n";

  for (const tr::MirrorContact& m : t.antiscia)
    s +=
        "<p class=\"item\">" +
        escaped(natal::pointWord(m.point, g) + ", " + (m.contra ? w.contraAntiscion : w.antiscion) +
                " → " + natal::pointWord(m.other, g) + ", " + orbText(m.orb)) +
        "</p>\n";

  s += "<div class=\"block\">\n<h2>" + escaped(w.declinations) + "</h2>\n<p class=\"note\">" +
       escaped(wording::fillEach(w.obliquity, {signedDegrees(t.obliquity)})) + "</p>\n<table>\n" +
       headRow({w.planet, w.declination, ""});
  for (const tr::PointDeclination& d : t.declinations)
    s += "<tr>" + cell(natal::pointWord(d.point, g)) + cell(signedDegrees(d.declination), "num") +
         cell(d.outOfBounds ? w.outOfBounds : "") + "</tr>\n";
  s += "</table>\n</div>\n";
  if (!t.parallels.empty()) {
    for (const tr::DeclinationContact& p : t.parallels)
      s += "<p class=\"item\">" +
           escaped(natal::pointWord(p.a, g) + ", " + natal::pointWord(p.b, g) + ": " +
                   (p.contra ? w.contraparallel : w.parallel) + ", " + orbText(p.orb)) +
           "</p>\n";
  }

  // The stars.
  s += "<h2>" + escaped(w.stars) + "</h2>\n";
  if (!t.stars) {
    s += "<p class=\"note\">" + escaped(w.noStarFile) + "</p>\n";
  } else if (t.starContacts.empty()) {
    s += "<p>" + escaped(w.noStars) + "</p>\n";
  } else {
    s += "<div class=\"scroll\"><table>\n" +
         headRow({w.star, w.magnitude, w.position, w.on, w.orb, w.nature});
    for (const tr::StarContact& k : t.starContacts) {
      const tr::FixedStar& f = tr::fixedStars()[static_cast<std::size_t>(k.star)];
      std::string nature;
      for (int p : f.nature)
        if (p != tr::kNone) nature += (nature.empty() ? "" : ", ") + planet(p, g);
      if (nature.empty()) nature = w.noNature;
      char mag[16];
      std::snprintf(mag, sizeof mag, "%.2f", k.magnitude);
      if (g)
        for (char& ch : mag)
          if (ch == '.') ch = ',';  // the Greek decimal comma
      s += "<tr>" +
           cell(std::string(g ? f.greek : f.name) +
                (f.royal ? std::string(" (") + w.royal + ")" : "")) +
           cell(mag, "num") + cell(inSign(k.longitude, g), "pos") +
           cell(natal::pointWord(k.point, g)) + cell(orbText(k.orb), "num") + cell(nature) +
           "</tr>\n";
    }
    s += "</table></div>\n";
  }

  s += reading::readingHtml(reading);
  s += "<div class=\"glossary\">\n<h2>" + escaped(w.glossary) + "</h2>\n";
  for (const char* line : w.glossaryText) s += "<p>" + escaped(line) + "</p>\n";
  s += "</div>\n<p class=\"footer\">" + escaped(w.footer) + "</p>\n</body>\n</html>\n";
  return s;
}

}  // namespace orvenda::report
