// The print sheet: the birth data and the natal chart an astrologer takes from the
// program, laid out for reading on screen, in a text browser, and on paper.
#include "sheet/print_sheet.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "config/settings_store.h"
#include "console/cp737.h"
#include "natal/ephemeris.h"
#include "natal/names.h"
#include "natal/wheel.h"
#include "sheet/html.h"
#include "sheet/reading.h"

namespace orvenda {
namespace {

using natal::ChartRefusal;
using natal::NatalChart;

struct SheetTexts {
  const char* lang;
  const char* title;
  const char* chart;
  const char* date;
  const char* time;
  const char* known;
  const char* unknown;
  const char* sex;
  const char* sexes[3];
  const char* offset;
  const char* minuteWord;
  const char* universal;
  const char* longitude;
  const char* latitude;
  const char* east;
  const char* west;
  const char* north;
  const char* south;
  const char* months[12];
  const char* notADate;
  const char* footer;
  const char* footerByTool;
  // The chart.
  const char* julianDay;
  const char* siderealTime;
  const char* houses;
  const char* fellBack;  // "%s can't be computed at this latitude: %s": asked for, used
  const char* wheel;     // the alt text's start
  const char* wheelRest;
  const char* positions;
  const char* point;
  const char* sign;
  const char* position;
  const char* house;
  const char* motion;
  const char* retrograde;
  const char* borderline;
  const char* cusp;
  const char* ruler;
  const char* naturalRuler;
  const char* aspects;
  const char* grid;
  const char* aspect;
  const char* deviation;
  const char* applying;
  const char* separating;
  const char* applyingShort;  // on paper, where four columns of aspects share the width
  const char* separatingShort;
  const char* aspectsLegend;
  const char* noAspects;
  const char* missing;
  const char* analytic;
  const char* outsideYears;
  const char* missingFiles;  // "the ephemeris files %s are not in %s"
  const char* missingFile;   // the same of one file
  const char* timeUnknown;
  const char* moonRange;
  const char* moonFromTo;   // "%s at 00:00 to %s at 24:00"
  const char* noChartFile;  // "No chart: the chart file is damaged (%s bytes, not a chart's 56)."
  const char* continued;
  const char* noChartDate;
  const char* noChartDamaged;
  const char* noChartSettings;
  const char* noPoints;
};

constexpr SheetTexts kEnglish = {
    "en",
    "Natal chart",
    "Chart",
    "Date of birth",
    "Time of birth",
    "known",
    "un-known",
    "Sex",
    {"not chosen", "Man", "Woman"},
    "Offset from GMT",
    "min",
    "Universal time",
    "Longitude",
    "Latitude",
    "E",
    "W",
    "N",
    "S",
    {"January", "February", "March", "April", "May", "June", "July", "August", "September",
     "October", "November", "December"},
    "not a date of the calendar",
    "Written by Orvenda when R was pressed. Positions: the Swiss Ephemeris, tropical zodiac, "
    "geocentric, apparent.",
    "Written by orvenda-chart sheet. Positions: the Swiss Ephemeris, tropical zodiac, "
    "geocentric, apparent.",
    "Julian day (UT)",
    "Local sidereal time",
    "Houses",
    "%s houses can't be computed at this latitude: %s houses instead.",
    "Chart wheel",
    "the tables below give every position",
    "Positions",
    "Point",
    "Sign",
    "Position",
    "House",
    "Motion/day",
    "R",
    "Borderline",
    "Cusp",
    "Ruler",
    "of the natural sign",
    "Aspects",
    "Aspect grid",
    "Aspect",
    "Deviation",
    "applying",
    "separating",
    "A",
    "S",
    " (A applying, S separating)",
    "No aspect within the orbs of the configuration.",
    "Not computed",
    "From the analytic ephemeris",
    "outside the ephemeris files' years 1800–2399",
    "the ephemeris files %s are not in %s",
    "the ephemeris file %s is not in %s",
    "The birth time is not known: the planets stand at noon of the local day, and the chart "
    "has no houses, no angles and nothing that depends on them.",
    "The Moon over the day",
    "%s at 00:00 to %s at 24:00 local time",
    "No chart: the chart file is damaged (%s bytes, not a chart's 56).",
    "Aspects, continued",
    "No chart: the date is not one of the Gregorian calendar.",
    "No chart: the record holds values outside the ranges of its fields.",
    "No chart: the configuration file %s can't be read.",
    "No planet or point takes part (settings\\naplch)."};

constexpr SheetTexts kGreek = {
    "el",
    "Γενέθλιος χάρτης",
    "Χάρτης",
    "Ημερομηνία γέννησης",
    "Ώρα γέννησης",
    "γνωστή",
    "άγνωστη",
    "Φύλο",
    {"δεν επιλέχθηκε", "Άνδρας", "Γυναίκα"},
    "Διαφορά από GMT",
    "Λεπ",
    "Παγκόσμια ώρα",
    "Γεωγραφικό μήκος",
    "Γεωγραφικό πλάτος",
    "Α",
    "Δ",
    "Β",
    "Ν",
    {"Ιανουαρίου", "Φεβρουαρίου", "Μαρτίου", "Απριλίου", "Μαΐου", "Ιουνίου", "Ιουλίου", "Αυγούστου",
     "Σεπτεμβρίου", "Οκτωβρίου", "Νοεμβρίου", "Δεκεμβρίου"},
    "δεν είναι ημερομηνία του ημερολογίου",
    "Γράφτηκε από το Orvenda με το πλήκτρο R. Θέσεις: Swiss Ephemeris, τροπικός ζωδιακός, "
    "γεωκεντρικές, φαινόμενες.",
    "Γράφτηκε από το orvenda-chart sheet. Θέσεις: Swiss Ephemeris, τροπικός ζωδιακός, "
    "γεωκεντρικές, φαινόμενες.",
    "Ιουλιανή ημέρα (UT)",
    "Τοπικός αστρικός χρόνος",
    "Σπίτια",
    "Τα σπίτια %s δεν υπολογίζονται σε αυτό το γεωγραφικό πλάτος: σπίτια %s.",
    "Ο τροχός του χάρτη",
    "οι πίνακες που ακολουθούν δίνουν κάθε θέση",
    "Θέσεις",
    "Σημείο",
    "Ζώδιο",
    "Θέση",
    "Σπίτι",
    "Κίνηση/ημέρα",
    "Α",
    "Οριακό",
    "Ακμή",
    "Κυβερνήτης",
    "του φυσικού ζωδίου",
    "Όψεις",
    "Πίνακας όψεων",
    "Όψη",
    "Απόκλιση",
    "πλησιάζει",
    "απομακρύνεται",
    "Π",
    "Α",
    " (Π πλησιάζει, Α απομακρύνεται)",
    "Καμία όψη μέσα στα όρια της διαμόρφωσης.",
    "Δεν υπολογίστηκαν",
    "Από την αναλυτική εφημερίδα",
    "εκτός των ετών των αρχείων εφημερίδων 1800–2399",
    "τα αρχεία εφημερίδων %s δεν βρίσκονται στον φάκελο %s",
    "το αρχείο εφημερίδων %s δεν βρίσκεται στον φάκελο %s",
    "Η ώρα γέννησης δεν είναι γνωστή: οι πλανήτες δίνονται για το μεσημέρι της τοπικής ημέρας "
    "και ο χάρτης δεν έχει σπίτια, γωνίες ούτε ό,τι εξαρτάται από αυτά.",
    "Η Σελήνη μέσα στην ημέρα",
    "%s στις 00:00 έως %s στις 24:00 τοπική ώρα",
    "Χωρίς χάρτη: το αρχείο του χάρτη είναι κατεστραμμένο (%s byte αντί για τα 56 ενός χάρτη).",
    "Όψεις, συνέχεια",
    "Χωρίς χάρτη: η ημερομηνία δεν υπάρχει στο Γρηγοριανό ημερολόγιο.",
    "Χωρίς χάρτη: η εγγραφή έχει τιμές έξω από τα όρια των πεδίων της.",
    "Χωρίς χάρτη: δεν διαβάζεται το αρχείο ρυθμίσεων %s.",
    "Κανένας πλανήτης ή σημείο δεν συμμετέχει (settings\\naplch)."};

using html::escaped;
using html::svgImage;

std::string format(const char* f, long long a, long long b, long long c) {
  char buf[96];
  std::snprintf(buf, sizeof buf, f, a, b, c);
  return buf;
}

std::string formatText(const char* f, const std::string& a, const std::string& b = "") {
  char buf[512];
  std::snprintf(buf, sizeof buf, f, a.c_str(), b.c_str());
  return buf;
}

// A date in words where it is one ("14 March 1957"), else its numbers as they stand.
std::string dateText(const SheetTexts& t, const std::chrono::year_month_day& ymd, long long d,
                     long long m, long long y) {
  if (!ymd.ok()) return format("%lld/%02lld/%lld", d, m, y) + " (" + t.notADate + ")";
  return std::to_string(d) + " " + t.months[m - 1] + " " + std::to_string(y);
}

// An angle as the record holds it (the sign on the degrees), with its hemisphere.
std::string angleText(std::int32_t deg, std::int32_t min, std::int32_t sec, const char* plus,
                      const char* minus) {
  return format("%lld° %02lld′ %02lld″ ", std::llabs(static_cast<long long>(deg)), min, sec) +
         (deg < 0 ? minus : plus) + format(" &nbsp;(%lld %02lld %02lld)", deg, min, sec);
}

using natal::signOf;

// "14° 23′ 05″" within its sign, cut to the second (or to the minute) as every view cuts it.
std::string inSign(double longitude, bool withSeconds = true) {
  const long long s = natal::arcSecondsOf(longitude) % (30 * 3600);
  return withSeconds ? format("%lld° %02lld′ %02lld″", s / 3600, s / 60 % 60, s % 60)
                     : format("%lld° %02lld′", s / 3600, s / 60 % 60, 0);
}

// Blanks that a browser must not break a line at: a position is one word.
std::string nbsp(const std::string& text) {
  std::string out;
  for (char ch : text) out += ch == ' ' ? std::string("&nbsp;") : std::string(1, ch);
  return out;
}

// A deviation to the second on screen, to the minute (cut) on paper, where the columns of a
// crowded chart's aspects must fit the width of the page.
std::string deviationText(double degrees) {
  const long long s = std::llround(std::fabs(degrees) * 3600.0);
  return std::string(degrees < 0 && s > 0 ? "−" : "+") +
         format("%lld°&nbsp;%02lld′<span class=\"sec\">&nbsp;%02lld″</span>", s / 3600, s / 60 % 60,
                s % 60);
}

std::string pointList(const std::vector<int>& points, bool greek) {
  std::string s;
  for (int p : points) s += (s.empty() ? "" : ", ") + natal::pointName(p, greek);
  return s;
}

// On screen the sheet reflows from 800 px up: every block is a box of its own that wraps
// below its neighbour rather than run under it. On paper (A4): page 1 holds the birth data,
// the wheel nearly as wide as the text column and the positions; page 2 the aspect grid
// beside the houses, and the aspects in four columns of at most kAspectsPerColumn; a
// third page, headed as a continuation, holds the rest of a chart with more aspects.
const char* kStyle =
    "body { font-family: \"DejaVu Serif\", Georgia, serif; margin: 1.5em auto; max-width: 62em; "
    "padding: 0 1em; color: #000; background: #fff; }\n"
    "h1 { font-size: 1.5em; margin: 0 0 .6em; border-bottom: 1px solid #000; }\n"
    "h2 { font-size: 1.1em; margin: 1em 0 .4em; }\n"
    "table { border-collapse: collapse; }\n"
    "th, td { text-align: left; vertical-align: top; padding: .2em .6em .2em 0; "
    "border-bottom: 1px solid #ddd; }\n"
    ".data th { font-weight: normal; }\n"
    ".data td { font-weight: bold; }\n"
    ".top, .pair, .list { display: flex; flex-wrap: wrap; gap: .5em 2.5em; "
    "align-items: flex-start; }\n"
    ".wheel { display: block; width: 100%; max-width: 170mm; height: auto; margin: 1em auto 0; }\n"
    ".num { text-align: right; font-variant-numeric: tabular-nums; white-space: nowrap; }\n"
    ".glyph { font-family: \"DejaVu Sans\", sans-serif; }\n"
    ".grid td, .grid th { border: 1px solid #ccc; width: 1.6em; height: 1.4em; padding: 0; "
    "text-align: center; font-family: \"DejaVu Sans\", sans-serif; }\n"
    ".grid .none { border: none; }\n"
    ".hard { color: #c0392b; } .soft { color: #1f6fb2; } .minor { color: #2e8b57; }\n"
    ".aspects td { white-space: nowrap; }\n"
    ".note { font-style: italic; }\n"
    "p.footer { font-size: .8em; margin-top: 2em; }\n"
    ".reading { max-width: 44em; margin-top: 2.5em; line-height: 1.45; }\n"
    ".reading h2 { font-size: 1.3em; border-bottom: 1px solid #000; }\n"
    ".reading h3 { font-size: 1.15em; margin: 1.4em 0 .3em; }\n"
    ".reading h4 { font-size: 1em; margin: 1em 0 .2em; }\n"
    ".reading p { margin: 0 0 .45em; }\n"
    ".reading .lead { font-style: italic; margin-bottom: .15em; }\n"
    "@page { size: A4; margin: 10mm; }\n"
    "@media print { body { margin: 0; padding: 0; max-width: none; font-size: 8pt; "
    "line-height: 1.1; } "
    "h1 { font-size: 12pt; margin-bottom: 1.5mm; } h2 { font-size: 9.5pt; margin: 1.5mm 0 .8mm; } "
    "p.note { margin: .5mm 0; } "
    // Side by side on paper as boxes in a line, not as flex items: WeasyPrint 57 (Debian 12's)
    // drew the flex items of a line one on top of the other, text over text, and has no gap.
    ".top, .pair, .list { display: block; } "
    ".top > table, .list > table { display: inline-table; vertical-align: top; } "
    ".pair > div { display: inline-block; vertical-align: top; } "
    ".top > table { margin-right: 6mm; } .wheel { width: 174mm; max-width: none; margin: 0 "
    "auto -1mm; } .positions td, .positions th { line-height: 1.02; } "
    ".tables, .continued { break-before: page; } tr { break-inside: avoid; } "
    "td, th { padding: 0 1.2mm 0 0; border-bottom: none; } "
    ".grid td, .grid th { width: 3.7mm; height: 3.7mm; } "
    ".pair > div { margin-right: 8mm; } .list > table { margin-right: 3mm; } "
    ".aspects .nm, .aspects .sec, .aspects .head { display: none; } "
    ".aspects td[data-ab]::after { content: attr(data-ab); } "
    "h2 [data-legend]::after { content: attr(data-legend); font-weight: normal; } .aspects td, "
    ".aspects th { padding-right: .8mm; } "
    "p.footer { margin-top: 3mm; } "
    ".reading { break-before: page; max-width: none; margin-top: 0; font-size: 9pt; "
    "line-height: 1.25; } .reading h2 { font-size: 13pt; margin-top: 0; } "
    ".reading h3 { font-size: 11pt; margin: 3mm 0 1mm; break-after: avoid; } "
    ".reading h4 { font-size: 9.5pt; margin: 2mm 0 .3mm; break-after: avoid; } "
    ".reading p { margin: 0 0 1mm; orphans: 3; widows: 3; } "
    ".reading .keep, .reading .opening { break-inside: avoid; } }\n";

// Aspects per column of the list, and columns on page 2: 4 × 42 holds 168 aspects.
constexpr std::size_t kAspectsPerColumn = 42;
constexpr std::size_t kColumnsOnPage2 = 4;

const char* kFamilyClass[3] = {"hard", "soft", "minor"};

// The wheel, with one short line for a text browser, where the picture can't be shown.
std::string wheelImage(const SheetTexts& t, const NatalChart& c, bool greek) {
  std::string alt = std::string("[") + t.wheel;
  if (c.timeKnown)
    alt += ": " + natal::pointGlyph(20, greek) + " " + inSign(c.ascendant, false) + " " +
           natal::signName(signOf(c.ascendant), greek) + ", " + natal::pointGlyph(21, greek) + " " +
           inSign(c.midheaven, false) + " " + natal::signName(signOf(c.midheaven), greek);
  return svgImage(natal::wheelSvg(c, greek), alt + "]", "wheel");
}

std::string positionsTable(const SheetTexts& t, const NatalChart& c, bool greek) {
  const std::string houseHead = c.timeKnown ? std::string("<th>") + t.house + "</th>" : "";
  std::string s = std::string("<table class=\"positions\">\n<tr><th>") + t.point + "</th><th>" +
                  t.sign + "</th><th>" + t.position + "</th>" + houseHead + "<th>" + t.retrograde +
                  "</th><th nowrap>" + t.motion + "</th><th>" + t.borderline + "</th></tr>\n";
  for (const natal::PointPosition& p : c.points) {
    const int sign = signOf(p.longitude);
    // The sign a point borders on (its own is the Sign column's) and the two houses, kept
    // whole ("10/11" is no place to break a line): short enough that a text browser keeps
    // each row on one line of 80 columns, as the widest ("⊗ Part of Fortune", "Sagittarius,
    // 10/11", "+516.0035°") are measured in the page test.
    std::string border;
    if (p.signBorder) border += natal::signName((sign + 1) % 12, greek);
    if (p.houseBorder)
      border += (border.empty() ? "" : ", ") + std::to_string(p.house) + "/" +
                std::to_string(p.house % 12 + 1);
    char motion[32];
    std::snprintf(motion, sizeof motion, "%+.4f°", p.speed);
    const std::string house =
        c.timeKnown ? "<td class=\"num\">" + std::to_string(p.house) + "</td>" : "";
    s += "<tr><td><span class=\"glyph\">" + natal::pointGlyph(p.index, greek) + "</span>&nbsp;" +
         nbsp(natal::pointName(p.index, greek)) + "</td><td>" + natal::signName(sign, greek) +
         "</td><td class=\"num\">" + nbsp(inSign(p.longitude)) + "</td>" + house + "<td>" +
         (p.retrograde ? t.retrograde : "") + "</td><td class=\"num\">" + motion +
         "</td><td nowrap>" + border + "</td></tr>\n";
  }
  return s + "</table>\n";
}

std::string housesTable(const SheetTexts& t, const NatalChart& c, bool greek) {
  std::string s = std::string("<table class=\"houses\">\n<tr><th>") + t.cusp + "</th><th>" +
                  t.sign + "</th><th>" + t.position + "</th><th>" + t.ruler + "</th></tr>\n";
  for (int h = 0; h < 12; ++h) {
    std::string rulers = pointList(c.rulers[h].ofCusp, greek);
    if (!c.rulers[h].ofNatural.empty())
      rulers += "; " + pointList(c.rulers[h].ofNatural, greek) + " (" + t.naturalRuler + ")";
    s += "<tr><td class=\"num\">" + std::to_string(h + 1) + "</td><td>" +
         natal::signName(signOf(c.cusps[h]), greek) + "</td><td class=\"num\">" +
         inSign(c.cusps[h], false) + "</td><td>" + rulers + "</td></tr>\n";
  }
  return s + "</table>\n";
}

// The lower triangle of the points against each other, an aspect's mark where one holds.
std::string aspectGrid(const SheetTexts& t, const NatalChart& c, bool greek) {
  const auto& pts = c.points;
  if (pts.size() < 2) return "";
  std::string s = std::string("<table class=\"grid\" summary=\"") + t.grid + "\">\n";
  for (std::size_t row = 1; row < pts.size(); ++row) {
    s += "<tr><th title=\"" + natal::pointName(pts[row].index, greek) + "\">" +
         natal::pointGlyph(pts[row].index, greek) + "</th>";
    for (std::size_t col = 0; col < row; ++col) {
      const natal::AspectFound* found = nullptr;
      for (const auto& a : c.aspects)
        if (a.a == pts[col].index && a.b == pts[row].index) found = &a;
      if (!found) {
        s += "<td></td>";
        continue;
      }
      s += std::string("<td class=\"") + kFamilyClass[natal::aspectFamily(found->aspect)] +
           "\" title=\"" + natal::pointName(found->a, greek) + " " +
           natal::aspectName(found->aspect, greek) + " " + natal::pointName(found->b, greek) +
           "\">" + natal::aspectMark(found->aspect) + "</td>";
    }
    s += "</tr>\n";
  }
  s += "<tr><th class=\"none\"></th>";
  for (std::size_t col = 0; col + 1 < pts.size(); ++col)
    s += "<th title=\"" + natal::pointName(pts[col].index, greek) + "\">" +
         natal::pointGlyph(pts[col].index, greek) + "</th>";
  return s + "</tr>\n</table>\n";
}

std::string aspectList(const SheetTexts& t, const NatalChart& c, bool greek) {
  if (c.aspects.empty()) return std::string("<p>") + t.noAspects + "</p>\n";
  // Each name beside its glyph; on paper the glyphs alone, so that the aspects of a crowded
  // chart still fit the second page.
  auto point = [&](int p) {
    return "<span class=\"glyph\">" + natal::pointGlyph(p, greek) + "</span> <span class=\"nm\">" +
           natal::pointName(p, greek) + "</span>";
  };
  // On paper the names give way to the glyphs alone, the deviation's seconds and the header
  // to a narrower column, and "applying" to a letter that the heading explains.
  const std::string head = "<table class=\"aspects\">\n<tr class=\"head\"><th>" +
                           std::string(t.point) + "</th><th>" + t.aspect + "</th><th>" + t.point +
                           "</th><th>" + t.deviation + "</th><th></th></tr>\n";
  // Each column a table of its own, so that no row can run under the next column.
  std::string s = "<div class=\"list\">\n";
  for (std::size_t i = 0; i < c.aspects.size(); ++i) {
    if (i > 0 && i % (kAspectsPerColumn * kColumnsOnPage2) == 0)
      s += std::string("</table>\n</div>\n<h2 class=\"continued\">") + t.continued +
           "<span data-legend=\"" + t.aspectsLegend + "\"></span></h2>\n<div class=\"list\">\n";
    else if (i > 0 && i % kAspectsPerColumn == 0)
      s += "</table>\n";
    if (i % kAspectsPerColumn == 0) s += head;
    const natal::AspectFound& a = c.aspects[i];
    s += "<tr><td>" + point(a.a) + "</td><td class=\"" +
         kFamilyClass[natal::aspectFamily(a.aspect)] + "\"><span class=\"glyph\">" +
         natal::aspectMark(a.aspect) + "</span> <span class=\"nm\">" +
         natal::aspectName(a.aspect, greek) + "</span></td><td>" + point(a.b) +
         "</td><td class=\"num\">" + deviationText(a.deviation) + "</td><td data-ab=\"" +
         (a.applying ? t.applyingShort : t.separatingShort) + "\"><span class=\"nm\">" +
         (a.applying ? t.applying : t.separating) + "</span></td></tr>\n";
  }
  return s + "</table>\n</div>\n";
}

std::string hoursText(double hours) {
  const long long s = std::llround(natal::normalized(hours * 15.0) / 15.0 * 3600.0) % 86400;
  return format("%02lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
}

}  // namespace

SheetChart chartForSheet(SettingsStore& store, const SheetSettings& state,
                         const BirthRecord& record, char houseSystem) {
  SheetChart sheet;
  natal::ChartConfig config;
  if (auto failed = natal::readChartConfig(store, config)) {
    sheet.unreadable = *failed;
    return sheet;
  }
  config.borderlineDegrees = state.borderlineDegrees;
  config.zodiacRulersAlways = state.zodiacRulersAlways;
  config.borderlineInterpretation = state.borderlineInterpretation;
  config.changeRulers = state.changeRulers;
  sheet.outcome = natal::computeChart(record, config, houseSystem, natal::swissEphemeris(),
                                      state.timeMode != 1);
  return sheet;
}

namespace {

// The notes a chart carries about the ephemeris: points it couldn't compute, positions
// from the analytic ephemeris, and why (the years, or the files missing from the folder).
std::vector<std::string> ephemerisNotes(const SheetTexts& t, const NatalChart& c, bool greek) {
  // Each note names the files of its own points, and no other.
  auto cause = [&](const std::vector<int>& points) -> std::string {
    const std::vector<std::string> missing = natal::missingFilesOf(c, points);
    if (missing.empty()) return t.outsideYears;
    std::string files;
    for (const auto& f : missing) files += (files.empty() ? "" : ", ") + f;
    return formatText(missing.size() == 1 ? t.missingFile : t.missingFiles, files,
                      escaped(natal::ephemerisPath()));
  };
  std::vector<std::string> s;
  if (!c.missing.empty())
    s.push_back(std::string(t.missing) + " (" + cause(c.missing) +
                "): " + pointList(c.missing, greek));
  if (c.analytic) {
    const std::vector<int> analytic = natal::analyticPoints(c);
    s.push_back(std::string(t.analytic) + " (" + cause(analytic) +
                "): " + pointList(analytic, greek));
  }
  return s;
}

std::string fellBackNote(const SheetTexts& t, const NatalChart& c) {
  return formatText(t.fellBack, natal::houseSystemByCode(c.requestedSystem).title,
                    natal::houseSystemByCode(c.houseSystem).title);
}

std::string tableOf(const std::string& rows) {
  return rows.empty() ? "" : "<table class=\"data\">\n" + rows + "</table>\n";
}

}  // namespace

std::string printSheet(const SheetSettings& state, const BirthRecord& r, const SheetChart& sheet,
                       const reading::TextSet* texts) {
  using namespace std::chrono;
  const bool greek = state.horoscopeLanguage == 1;
  const SheetTexts& t = greek ? kGreek : kEnglish;
  const year_month_day ymd{year{r.year}, month{static_cast<unsigned>(r.month)},
                           day{static_cast<unsigned>(r.day)}};
  const bool clock = r.hour >= 0 && r.hour <= 23 && r.minute >= 0 && r.minute <= 59 &&
                     r.second >= 0 && r.second <= 59;
  const long long offset = r.gmtHours * 60LL + r.gmtMinutes;
  const std::string name = escaped(cp737ToUtf8(state.chartName));
  const NatalChart* c = sheet.outcome.chart ? &*sheet.outcome.chart : nullptr;
  const bool timeKnown = state.timeMode != 1;

  // The birth data in two compact blocks: the person's, and the place's and the chart's.
  std::string birth, place;
  auto row = [](std::string& rows, const char* label, const std::string& value) {
    rows += "<tr><th>" + std::string(label) + "</th><td>" + value + "</td></tr>\n";
  };
  row(birth, t.chart, name);
  if (!sheet.damagedSize) {
    row(birth, t.date, dateText(t, ymd, r.day, r.month, r.year));
    row(birth, t.time,
        timeKnown
            ? format("%02lld:%02lld:%02lld", r.hour, r.minute, r.second) + " (" + t.known + ")"
            : std::string(t.unknown));
    row(birth, t.sex, t.sexes[state.sex >= 0 && state.sex <= 2 ? state.sex : 0]);
    const long long a = offset < 0 ? -offset : offset;
    row(birth, t.offset,
        "GMT " + std::to_string(r.gmtHours) + " " + t.minuteWord + " " +
            format("%02lld", r.gmtMinutes, 0, 0) +
            format(" &nbsp;(UTC%c%lld:%02lld)", offset < 0 ? '-' : '+', a / 60, a % 60));
    if (c) {
      const sys_seconds ut{seconds{c->universalSeconds}};
      const auto utDay = floor<days>(ut);
      const year_month_day u{utDay};
      const hh_mm_ss<seconds> hms{ut - utDay};
      row(birth, t.universal,
          dateText(t, u, static_cast<unsigned>(u.day()), static_cast<unsigned>(u.month()),
                   static_cast<int>(u.year())) +
              format(", %02lld:%02lld:%02lld UT", hms.hours().count(), hms.minutes().count(),
                     hms.seconds().count()));
    } else if (ymd.ok() && clock && timeKnown) {
      const auto ut =
          sys_days{ymd} + hours{r.hour} + minutes{r.minute} + seconds{r.second} - minutes{offset};
      const auto utDay = floor<days>(ut);
      const year_month_day u{utDay};
      const hh_mm_ss<seconds> hms{ut - utDay};
      row(birth, t.universal,
          dateText(t, u, static_cast<unsigned>(u.day()), static_cast<unsigned>(u.month()),
                   static_cast<int>(u.year())) +
              format(", %02lld:%02lld:%02lld UT", hms.hours().count(), hms.minutes().count(),
                     hms.seconds().count()));
    } else {
      row(birth, t.universal, "—");
    }
    row(place, t.longitude, angleText(r.lonDegrees, r.lonMinutes, r.lonSeconds, t.east, t.west));
    row(place, t.latitude, angleText(r.latDegrees, r.latMinutes, r.latSeconds, t.north, t.south));
  }
  if (c) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6f", c->julianDayUt);
    row(place, t.julianDay, buf);
    std::snprintf(buf, sizeof buf, "%.1f s", c->deltaTSeconds);
    row(place, "ΔT", buf);
    if (c->timeKnown) {
      row(place, t.siderealTime, hoursText(c->localSiderealHours));
      row(place, t.houses, natal::houseSystemByCode(c->houseSystem).title);
    } else {
      auto moonAt = [&](double lon) {
        return natal::signName(signOf(lon), greek) + "&nbsp;" + nbsp(inSign(lon, false));
      };
      row(place, t.moonRange,
          formatText(t.moonFromTo, moonAt(c->moonAtDayStart), moonAt(c->moonAtDayEnd)));
    }
  }

  std::string body = "<div class=\"top\">\n" + tableOf(birth) + tableOf(place) + "</div>\n";
  std::string tables;
  if (sheet.damagedSize) {
    body += "<p class=\"note\">" + formatText(t.noChartFile, std::to_string(*sheet.damagedSize)) +
            "</p>\n";
  } else if (!sheet.unreadable.empty()) {
    body +=
        "<p class=\"note\">" + formatText(t.noChartSettings, escaped(sheet.unreadable)) + "</p>\n";
  } else if (!c) {
    const bool date = sheet.outcome.refusal == ChartRefusal::NotADate;
    body +=
        std::string("<p class=\"note\">") + (date ? t.noChartDate : t.noChartDamaged) + "</p>\n";
  } else {
    if (!c->timeKnown) body += std::string("<p class=\"note\">") + t.timeUnknown + "</p>\n";
    if (c->housesFellBack) body += "<p class=\"note\">" + fellBackNote(t, *c) + "</p>\n";
    body += wheelImage(t, *c, greek);
    for (const std::string& n : ephemerisNotes(t, *c, greek))
      body += "<p class=\"note\">" + n + "</p>\n";
    if (c->points.empty()) body += std::string("<p class=\"note\">") + t.noPoints + "</p>\n";
    std::string grid = aspectGrid(t, *c, greek);
    if (!grid.empty()) grid = std::string("<div>\n<h2>") + t.grid + "</h2>\n" + grid + "</div>\n";
    const std::string houses = c->timeKnown ? std::string("<div>\n<h2>") + t.houses + "</h2>\n" +
                                                  housesTable(t, *c, greek) + "</div>\n"
                                            : "";
    body += std::string("<h2>") + t.positions + "</h2>\n" + positionsTable(t, *c, greek);
    tables = "<div class=\"tables\">\n<div class=\"pair\">\n" + grid + houses + "</div>\n<h2>" +
             t.aspects + "<span data-legend=\"" + t.aspectsLegend + "\"></span></h2>\n" +
             aspectList(t, *c, greek) + "</div>\n";
    if (texts && !reading::shippedFound(*texts))
      tables += "<div class=\"reading\">\n<p class=\"note\">" +
                escaped(reading::textsNotFoundNote(greek)) + "</p>\n</div>\n";
    else if (texts)
      tables += reading::readingHtml(reading::composeReading(
          *c, {state.zodiacRulersAlways, state.changeRulers, state.sex}, *texts, greek));
  }

  return std::string("<!DOCTYPE html>\n<html lang=\"") + t.lang +
         "\">\n<head>\n<meta charset=\"utf-8\">\n<meta name=\"viewport\" "
         "content=\"width=device-width\">\n<title>Orvenda: " +
         t.title + ": " + name + "</title>\n<style>\n" + kStyle +
         html::pageFootStyle(cp737ToUtf8(state.chartName), "10mm") +
         "</style>\n</head>\n<body>\n<h1>" + t.title + ": " + name + "</h1>\n" + body + tables +
         "<p class=\"footer\">" + (sheet.byTool ? t.footerByTool : t.footer) +
         "</p>\n</body>\n</html>\n";
}

std::vector<std::string> chartNotes(const NatalChart& c, bool greek) {
  const SheetTexts& t = greek ? kGreek : kEnglish;
  std::vector<std::string> out;
  if (c.housesFellBack) out.push_back(fellBackNote(t, c));
  for (std::string& n : ephemerisNotes(t, c, greek)) out.push_back(std::move(n));
  return out;
}

}  // namespace orvenda
