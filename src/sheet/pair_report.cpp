// The reading and the report of two charts. The program's own words never inflect a name:
// in English a chart's name takes the possessive; in Greek, which would have to decline it
// and give it a gender, it stands as a label before what it owns ("Maria: Αφροδίτη").
#include "sheet/pair_report.h"

#include "sheet/print_sheet.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>

#include "natal/names.h"
#include "natal/wheel.h"
#include "sheet/html.h"
#include "sheet/time_report.h"
#include "sheet/wording.h"

namespace orvenda::report {
namespace {

using wording::asciiLower;
using wording::fill;

struct Words {
  const char* lang;
  const char* title;  // {a} {b}
  const char* readingTitle;
  const char* chapters[3];
  const char* contact;      // {a's point} {aspect} {b's point} {orb}
  const char* owned;        // {name} {point}: "Maria's Venus", "Maria: Αφροδίτη"
  const char* overlay;      // {a's point} {b} {house}
  const char* general;      // {list}
  const char* composite;    // {house}
  const char* timeUnknown;  // {name}
  const char* wheel;        // {a} {b}
  const char* wheelAlt;
  const char* grid;
  const char* houses;
  const char* inHouses;  // {a} {b}: "Maria's points in John's houses"
  const char* point;
  const char* house;
  const char* compositeTitle;
  const char* compositeCaption;
  const char* compositeCaptionNoTime;  // a birth time not known: no houses drawn
  const char* davisonTitle;
  const char* davisonCaption;  // {moment}
  const char* noAspects;
  const char* footer;
  const char* gridLegend;  // {rows} {columns}
  const char* born;        // {name} {birth}
  const char* separator;
};

constexpr Words kEnglish = {
    "en",
    "Synastry: {} and {}",
    "The reading of the relationship",
    {"Contacts between the charts", "Each in the other's houses", "The composite chart"},
    "{1} {3} {2} (orb {4})",
    "{}'s {}",
    "{1} in {2}'s {3} house",
    "Between your charts: {}.",
    "The composite Sun in the {} house",
    "The birth time of {} is not known, so that chart's houses and angles, the points in its "
    "houses and the composite chart's angles and houses are left out.",
    "{} inside, {} outside; the lines join the contacts within the orbs.",
    "The two charts in one wheel",
    "Aspect grid",
    "Each in the other's houses",
    "{}'s points in {}'s houses",
    "Point",
    "House",
    "The composite chart",
    "The midpoints of the two charts; the houses from the composite Midheaven at the latitude "
    "halfway between the births.",
    "The midpoints of the two charts; without houses or angles, as a birth time is not known.",
    "The Davison chart",
    "The sky of the moment halfway between the births ({}), at the place halfway between them.",
    "No contact within the orbs of the configuration.",
    "Written by orvenda-chart. Positions: the Swiss Ephemeris, tropical zodiac, geocentric, "
    "apparent.",
    "Rows: {}'s points; columns: {}'s.",
    "{} — {}",
    "; ",
};

constexpr Words kGreek = {
    "el",
    "Συναστρία: {} και {}",
    "Η ερμηνεία της σχέσης",
    {"Οι επαφές ανάμεσα στους δύο χάρτες", "Ο καθένας στους οίκους του άλλου", "Ο σύνθετος χάρτης"},
    "{1} — {2} ({3}, ανοχή {4})",
    "{1}: {2}",
    "{1} — {2}: {3}ος οίκος",
    "Ανάμεσα στους χάρτες σας — {}.",
    "Ο Ήλιος του σύνθετου χάρτη στον {}ο οίκο",
    "{}: η ώρα γέννησης δεν είναι γνωστή· γι' αυτό λείπουν οι οίκοι και οι γωνίες αυτού του "
    "χάρτη, τα σημεία στους οίκους του και οι γωνίες και οι οίκοι του σύνθετου χάρτη.",
    "Εσωτερικός κύκλος: {} · εξωτερικός: {}. Οι γραμμές δείχνουν τις όψεις εντός ανοχής.",
    "Οι δύο χάρτες σε έναν τροχό",
    "Πίνακας όψεων",
    "Ο καθένας στους οίκους του άλλου",
    "Σημεία: {} — οίκοι: {}",
    "Σημείο",
    "Οίκος",
    "Ο σύνθετος χάρτης",
    "Τα μέσα σημεία των δύο χαρτών· οι οίκοι υπολογίζονται από το σύνθετο Μεσουράνημα, για το "
    "μέσο γεωγραφικό πλάτος των δύο τόπων γέννησης.",
    "Τα μέσα σημεία των δύο χαρτών, χωρίς οίκους και γωνίες, αφού μια ώρα γέννησης δεν είναι "
    "γνωστή.",
    "Ο χάρτης Davison",
    "Ο ουρανός τη στιγμή που απέχει εξίσου από τις δύο γεννήσεις ({}), στο μέσο σημείο ανάμεσα "
    "στους δύο τόπους γέννησης.",
    "Καμία επαφή εντός ανοχής με τη διαμόρφωση που ισχύει.",
    "Δημιουργήθηκε με το orvenda-chart. Θέσεις γεωκεντρικές, φαινόμενες· τροπικός ζωδιακός· "
    "εφημερίδες: Swiss Ephemeris.",
    "Σημεία στις γραμμές: {} · στις στήλες: {}.",
    "{} — {}",
    "· ",
};

std::string ordinalEn(int n) {
  const char* suffix = (n % 100 >= 11 && n % 100 <= 13) ? "th"
                       : n % 10 == 1                    ? "st"
                       : n % 10 == 2                    ? "nd"
                       : n % 10 == 3                    ? "rd"
                                                        : "th";
  return std::to_string(n) + suffix;
}

std::string orbText(double degrees) {
  const long long seconds = std::llround(std::fabs(degrees) * 3600);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%lld°%02lld′", seconds / 3600, seconds / 60 % 60);
  return buf;
}

using html::escaped;
using html::svgImage;

class PairComposer {
 public:
  PairComposer(const Pair& p, const reading::TextSet& t)
      : p_(p), t_(t), w_(p.greek ? kGreek : kEnglish) {}

  reading::Reading compose() {
    reading::Reading r;
    r.greek = p_.greek;
    r.title = w_.readingTitle;
    const std::pair<const natal::NatalChart*, const std::string*> charts[] = {{p_.a, &p_.nameA},
                                                                              {p_.b, &p_.nameB}};
    for (const auto& [chart, name] : charts)
      if (chart && !chart->timeKnown) {
        if (!r.timeNote.empty()) r.timeNote += " ";
        r.timeNote += fill(w_.timeUnknown, {*name});
      }
    add(r, contacts());
    add(r, houses());
    add(r, composite());
    for (auto& ch : r.chapters)
      for (auto& e : ch.entries)
        for (auto& part : e.parts) part.text = reading::withChoices(part.text, 0);
    return r;
  }

 private:
  const Pair& p_;
  const reading::TextSet& t_;
  const Words& w_;

  static void add(reading::Reading& r, reading::Chapter c) {
    if (!c.entries.empty() || !c.lines.empty()) r.chapters.push_back(std::move(c));
  }

  std::string owned(const std::string& name, int point) const {
    return fill(w_.owned, {name, natal::pointWord(point, p_.greek)});
  }

  reading::Chapter contacts() {
    reading::Chapter ch{"contacts", w_.chapters[0], {}, {}};
    // Each key once, with every contact read under it named above it, in the order of the
    // closest of them; the rest under the general sense of their nature.
    std::vector<std::string> order;
    std::map<std::string, std::vector<std::string>> leads;
    std::map<std::string, std::string> headings;
    std::vector<std::string> generalOrder;
    std::map<std::string, std::vector<std::string>> general;
    for (const auto& a : p_.aspects) {
      const std::string lead =
          fill(w_.contact, {owned(p_.nameA, a.a), owned(p_.nameB, a.b),
                            natal::aspectWord(a.aspect, p_.greek), orbText(a.deviation)});
      std::string key;
      const std::string* text = nullptr;
      const auto keys = synastryKeys(a.a, a.aspect, a.b);
      for (std::size_t i = 0; i + 1 < keys.size() && !text; ++i)
        if ((text = t_.find(keys[i]))) key = keys[i];
      if (text) {
        if (!leads.count(key)) {
          order.push_back(key);
          headings[key] = natal::pointWord(std::min(a.a, a.b), p_.greek) + " – " +
                          natal::pointWord(std::max(a.a, a.b), p_.greek);
        }
        leads[key].push_back(lead);
      } else {
        const std::string g = keys.back();
        if (!general.count(g)) generalOrder.push_back(g);
        general[g].push_back(lead);
      }
    }
    for (const auto& key : order) {
      reading::Entry e{headings[key], {}};
      const auto& l = leads[key];
      for (std::size_t i = 0; i + 1 < l.size(); ++i) e.parts.push_back({{}, l[i], ""});
      e.parts.push_back({{key}, l.back(), *t_.find(key)});
      ch.entries.push_back(std::move(e));
    }
    for (const auto& key : generalOrder) {
      const std::string* text = t_.find(key);
      if (!text) continue;
      std::string list;
      for (const auto& l : general[key]) list += (list.empty() ? "" : w_.separator) + l;
      reading::Entry e{reading::displayKey(key).substr(9), {}};  // "conjunction", …
      if (p_.greek) {
        static const std::map<std::string, std::string> kNatures = {
            {"synastry conjunction", "Άλλες σύνοδοι"},
            {"synastry harmonious", "Άλλες αρμονικές επαφές"},
            {"synastry challenging", "Άλλες δύσκολες επαφές"},
            {"synastry minor", "Δευτερεύουσες όψεις"}};
        e.heading = kNatures.at(key);
      } else {
        static const std::map<std::string, std::string> kNatures = {
            {"synastry conjunction", "Other conjunctions"},
            {"synastry harmonious", "Other harmonious contacts"},
            {"synastry challenging", "Other challenging contacts"},
            {"synastry minor", "Minor aspects"}};
        e.heading = kNatures.at(key);
      }
      e.parts.push_back({{key}, fill(w_.general, {list}), *text});
      ch.entries.push_back(std::move(e));
    }
    return ch;
  }

  std::string houseText(int n) const { return p_.greek ? std::to_string(n) : ordinalEn(n); }

  reading::Chapter houses() {
    reading::Chapter ch{"overlays", w_.chapters[1], {}, {}};
    std::vector<std::string> order;
    std::map<std::string, std::vector<std::string>> leads;
    auto collect = [&](const std::vector<natal::Overlay>& list, const std::string& guest,
                       const std::string& host) {
      for (const auto& o : list) {
        if (o.point > 9) continue;  // the planets: the sets write of them
        const std::string key = "overlay " + asciiLower(natal::pointName(o.point, false)) +
                                " in house " + std::to_string(o.house);
        if (!t_.find(key)) continue;
        if (!leads.count(key)) order.push_back(key);
        leads[key].push_back(fill(w_.overlay, {owned(guest, o.point), host, houseText(o.house)}));
      }
    };
    collect(p_.aInB, p_.nameA, p_.nameB);
    collect(p_.bInA, p_.nameB, p_.nameA);
    for (const auto& key : order) {
      // Both placements of one key in one heading ("Mercury in John's 2nd house; Mercury in
      // Maria's 2nd house"), its text once under it.
      std::string heading;
      for (const auto& l : leads[key]) heading += (heading.empty() ? "" : w_.separator) + l;
      reading::Entry e{heading, {}};
      e.parts.push_back({{key}, "", *t_.find(key)});
      ch.entries.push_back(std::move(e));
    }
    return ch;
  }

  reading::Chapter composite() {
    reading::Chapter ch{"composite", w_.chapters[2], {}, {}};
    if (!p_.composite || !p_.composite->timeKnown) return ch;
    const natal::PointPosition* sun = p_.composite->point(natal::kSun);
    if (!sun) return ch;
    const std::string key = "composite sun in house " + std::to_string(sun->house);
    if (const std::string* text = t_.find(key))
      ch.entries.push_back({fill(w_.composite, {houseText(sun->house)}), {{{key}, "", *text}}});
    return ch;
  }
};

std::string gridTable(const Pair& p, const Words& w) {
  std::string s = std::string("<table class=\"grid\" summary=\"") + w.grid + "\">\n<tr><th></th>";
  for (const auto& b : p.b->points)
    s += "<th title=\"" + escaped(natal::pointWord(b.index, p.greek)) + "\">" +
         natal::pointGlyph(b.index, p.greek) + "</th>";
  s += "</tr>\n";
  static const char* kFamily[3] = {"hard", "soft", "minor"};
  for (const auto& a : p.a->points) {
    s += "<tr><th title=\"" + escaped(natal::pointWord(a.index, p.greek)) + "\">" +
         natal::pointGlyph(a.index, p.greek) + "</th>";
    for (const auto& b : p.b->points) {
      const natal::AspectFound* found = nullptr;
      for (const auto& x : p.aspects)
        if (x.a == a.index && x.b == b.index) found = &x;
      s += found ? std::string("<td class=\"") + kFamily[natal::aspectFamily(found->aspect)] +
                       "\" title=\"" + escaped(natal::aspectWord(found->aspect, p.greek)) + "\">" +
                       natal::aspectMark(found->aspect) + "</td>"
                 : "<td></td>";
    }
    s += "</tr>\n";
  }
  return s + "</table>\n";
}

std::string housesTable(const std::vector<natal::Overlay>& list, bool greek, const Words& w) {
  std::string s = std::string("<table class=\"overlays\"><tr><th>") + w.point + "</th><th>" +
                  w.house + "</th></tr>\n";
  for (const auto& o : list)
    s += "<tr><td><span class=\"glyph\">" + natal::pointGlyph(o.point, greek) + "</span> " +
         escaped(natal::pointWord(o.point, greek)) + "</td><td class=\"num\">" +
         std::to_string(o.house) + "</td></tr>\n";
  return s + "</table>\n";
}

const char* kPairStyle =
    "body { font-family: \"DejaVu Serif\", Georgia, serif; margin: 1.5em auto; max-width: 62em; "
    "padding: 0 1em; color: #000; background: #fff; line-height: 1.4; }\n"
    "h1 { font-size: 1.5em; margin: 0 0 .4em; border-bottom: 1px solid #000; }\n"
    "h2 { font-size: 1.2em; margin: 1.4em 0 .5em; }\n"
    "p { margin: 0 0 .5em; }\n.meta { margin: 0; }\n"
    "figure { margin: 1em 0; } figcaption { font-size: .9em; font-style: italic; }\n"
    ".biwheel, .wheel { display: block; width: 100%; max-width: 170mm; height: auto; margin: 0 "
    "auto; }\n"
    // Margins, not gap: WeasyPrint 57 (Debian 12's) lays flex boxes out without it, and the two
    // headings ran into one line. None after the last box, so that two fit where gap let them.
    ".pair { display: flex; flex-wrap: wrap; align-items: flex-start; }\n"
    ".pair > div { margin: 0 3em 1em 0; } .pair > div:last-child { margin-right: 0; }\n"
    "table { border-collapse: collapse; }\n"
    "th, td { text-align: left; padding: .1em .6em .1em 0; border-bottom: 1px solid #eee; }\n"
    ".grid td, .grid th { border: 1px solid #ccc; width: 1.6em; height: 1.4em; padding: 0; "
    "text-align: center; font-family: \"DejaVu Sans\", sans-serif; }\n"
    ".glyph { font-family: \"DejaVu Sans\", sans-serif; }\n.num { text-align: right; }\n"
    ".hard { color: #c0392b; } .soft { color: #1f6fb2; } .minor { color: #2e8b57; }\n"
    ".note { font-style: italic; }\np.footer { font-size: .8em; margin-top: 2em; }\n"
    ".reading { max-width: 44em; margin-top: 2.5em; line-height: 1.45; }\n"
    ".reading h2 { font-size: 1.3em; border-bottom: 1px solid #000; }\n"
    ".reading h3 { font-size: 1.15em; margin: 1.4em 0 .3em; }\n"
    ".reading h4 { font-size: 1em; margin: 1em 0 .2em; }\n"
    ".reading p { margin: 0 0 .45em; } .reading .lead { font-style: italic; margin-bottom: .15em; "
    "}\n"
    "@media print { body { margin: 0; padding: 0; max-width: none; font-size: 9.5pt; } "
    "h2, h3, h2 + .note { break-after: avoid; } "
    "figure, table, .pair { break-inside: avoid; } "
    // On paper the two tables of houses are one row's two cells: WeasyPrint 57 pages flex boxes
    // badly, a heading alone on one page and its table on the next though it had room.
    ".pair { display: table; } "
    ".pair > div { display: table-cell; vertical-align: top; padding-right: 3em; margin: 0; } "
    ".biwheel { width: 160mm; } .wheel { width: 120mm; } "
    ".grid td, .grid th { width: 4mm; height: 4mm; } "
    ".reading { break-before: page; } .reading .keep, .reading .opening { break-inside: avoid; } "
    "p { orphans: 3; widows: 3; } }\n";

}  // namespace

std::vector<std::string> synastryKeys(int pointA, int aspect, int pointB) {
  return wording::aspectKeys("synastry", std::min(pointA, pointB), aspect,
                             std::max(pointA, pointB));
}

reading::Reading composePairReading(const Pair& pair, const reading::TextSet& texts) {
  reading::Reading r = PairComposer(pair, texts).compose();
  r.notes = reading::ownTextNotes(texts, pair.greek);
  return r;
}

std::string pairReportHtml(const Pair& p, const reading::Reading& reading) {
  const Words& w = p.greek ? kGreek : kEnglish;
  const std::string title = fill(w.title, {p.nameA, p.nameB});
  std::string s = std::string("<!DOCTYPE html>\n<html lang=\"") + w.lang +
                  "\">\n<head>\n<meta charset=\"utf-8\">\n<meta name=\"viewport\" "
                  "content=\"width=device-width\">\n<title>Orvenda: " +
                  escaped(title) + "</title>\n<style>\n" + kPairStyle +
                  html::pageFootStyle(p.nameA + " · " + p.nameB) +
                  "</style>\n</head>\n<body>\n<h1>" + escaped(title) + "</h1>\n";
  s += "<p class=\"meta\">" + escaped(fill(w.born, {p.nameA, p.birthA})) + "</p>\n";
  s += "<p class=\"meta\">" + escaped(fill(w.born, {p.nameB, p.birthB})) + "</p>\n";
  if (!reading.timeNote.empty()) s += "<p class=\"note\">" + escaped(reading.timeNote) + "</p>\n";
  // What each chart's sheet would say beside its wheel, with whose chart it is.
  for (const auto& [chart, name] : {std::pair{p.a, &p.nameA}, std::pair{p.b, &p.nameB}})
    if (chart)
      for (const std::string& n : chartNotes(*chart, p.greek))
        s += "<p class=\"note\">" + escaped(*name) + ": " + n + "</p>\n";
  natal::OuterRing ring{p.b, p.aspects};
  s += "<h2>" + escaped(w.wheelAlt) + "</h2>\n<figure>\n" +
       svgImage(natal::biwheelSvg(*p.a, ring, p.greek), std::string("[") + w.wheelAlt + "]",
                "biwheel") +
       "<figcaption>" + escaped(fill(w.wheel, {p.nameA, p.nameB})) + "</figcaption>\n</figure>\n";
  s += "<h2>" + escaped(w.grid) + "</h2>\n";
  s += p.aspects.empty() ? "<p>" + escaped(w.noAspects) + "</p>\n"
                         : "<p class=\"note\">" + escaped(fill(w.gridLegend, {p.nameA, p.nameB})) +
                               "</p>\n" + gridTable(p, w);
  if (!p.aInB.empty() || !p.bInA.empty()) {
    s += "<h2>" + escaped(w.houses) + "</h2>\n<div class=\"pair\">\n";
    if (!p.aInB.empty())
      s += "<div><h3>" + escaped(fill(w.inHouses, {p.nameA, p.nameB})) + "</h3>\n" +
           housesTable(p.aInB, p.greek, w) + "</div>\n";
    if (!p.bInA.empty())
      s += "<div><h3>" + escaped(fill(w.inHouses, {p.nameB, p.nameA})) + "</h3>\n" +
           housesTable(p.bInA, p.greek, w) + "</div>\n";
    s += "</div>\n";
  }
  if (p.composite)
    s += "<h2>" + escaped(w.compositeTitle) + "</h2>\n<figure>\n" +
         svgImage(natal::wheelSvg(*p.composite, p.greek), std::string("[") + w.compositeTitle + "]",
                  "wheel") +
         "<figcaption>" +
         escaped(p.composite->timeKnown ? w.compositeCaption : w.compositeCaptionNoTime) +
         "</figcaption>\n</figure>\n";
  if (p.davison)
    s += "<h2>" + escaped(w.davisonTitle) + "</h2>\n<figure>\n" +
         svgImage(natal::wheelSvg(*p.davison, p.greek), std::string("[") + w.davisonTitle + "]",
                  "wheel") +
         "<figcaption>" +
         escaped(
             fill(w.davisonCaption, {minuteText(p.davison->universalSeconds, p.greek) + " UT"})) +
         "</figcaption>\n</figure>\n";
  // What a time not known leaves out is said once, above.
  reading::Reading body = reading;
  body.timeNote.clear();
  s += reading::readingHtml(body);
  s += "<p class=\"footer\">" + escaped(w.footer) + "</p>\n</body>\n</html>\n";
  return s;
}

}  // namespace orvenda::report
