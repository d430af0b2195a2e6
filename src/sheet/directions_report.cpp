#include "sheet/directions_report.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>

#include "cycles/progressions.h"
#include "natal/names.h"
#include "sheet/html.h"
#include "sheet/wording.h"
#include "traditional/traditional.h"

namespace orvenda::report {
namespace {

namespace tl = timelords;
using html::escaped;

// The report's words. Greek: those Greek astrologers use for directions (διευθύνσεις,
// υποσημαντής and σημαντής for promissor and significator, ευθεία and αντίστροφη, ζωδιακή
// and κοσμική); English: the translators' of the tradition.
struct Words {
  const char* lang;
  const char* title;
  const char* times;
  const char* primaryMethod;  // kinds, method, latitude, key
  const char* withLatitude;
  const char* keys[3];
  const char* methods[2];
  const char* kinds[3];  // zodiacal, mundane, both
  const char* solarMethod;
  const char* rates[2];
  const char* picture;
  const char* pictureAlt;
  const char* caption;
  const char* significators[5];
  const char* ageAxis;
  const char* nowMark;
  const char* conjunction;
  const char* harmonious;
  const char* challenging;
  const char* converseMark;
  const char* mundaneMark;
  const char* primaryTable;
  const char* solarTable;  // from, to
  const char* heads[8];    // age, date, promissor, aspect, kind (and motion), -, significator, arc
  const char* solarHeads[6];  // date, directed, aspect, natal, arc, within 1°
  const char* zodiacal;
  const char* mundane;
  const char* direct;
  const char* converse;
  const char* sinister;
  const char* dexter;
  const char* none;
  const char* footer;
};

const Words kEnglish = {
    "en",
    "The directions of ",
    "Dates in %s.",
    "Primary directions, %s, by %s%s, the arc turned into years by the key of %s: the "
    "planets, the North Node and the Lots of Fortune and Spirit with their Ptolemaic aspects "
    "carried by the diurnal rotation to the Midheaven, the Ascendant, the Sun, the Moon and "
    "the Lot of Fortune, to the hundredth year.",
    ", with the promissor's latitude",
    {"Ptolemy (a degree a year)", "Naibod (0.98564733° a year)", "the true solar arc"},
    {"Placidus' semi-arcs", "Regiomontanus' circles of position"},
    {"zodiacal", "mundane", "zodiacal and mundane"},
    "Solar arc directions of %s – %s: every point carried by %s to an aspect with a natal "
    "point, within 1° of arc.",
    {"the progressed Sun's gain", "Naibod's rate"},
    "The primary directions of a life",
    "the primary directions across the years, a row for each significator",
    "Each mark is a direction at its age, in the promissor's colour; zodiacal ones above a "
    "row's line, mundane ones below it.",
    {"Midheaven", "Ascendant", "Sun", "Moon", "Fortune"},
    "age",
    "the date read",
    "conjunction",
    "trine or sextile",
    "square or opposition",
    "converse (hollow)",
    "mundane (below the line)",
    "The primary directions by age",
    "The solar arc directions, %s – %s",
    {"Age", "Date", "Promissor", "Aspect", "Kind", "", "Significator", "Arc"},
    {"Date", "Directed", "Aspect", "Natal", "Arc", "Within 1°"},
    "zodiacal",
    "mundane",
    "direct",
    "converse",
    "sinister",
    "dexter",
    "None.",
    "Computed by Orvenda."};

const Words kGreek = {
    "el",
    "Οι διευθύνσεις: ",
    "Οι ημερομηνίες κατά τη ζώνη ώρας %s.",
    "Πρωτεύουσες διευθύνσεις, %s, κατά %s%s· το τόξο μετράται σε έτη με το κλειδί %s. Οι "
    "πλανήτες, ο Βόρειος Δεσμός και οι κλήροι της Τύχης και του Δαίμονος, με τις πτολεμαϊκές "
    "όψεις τους, φέρονται με την ημερήσια περιστροφή στο μεσουράνημα, στον ωροσκόπο, στον "
    "Ήλιο, στη Σελήνη και στον κλήρο της Τύχης, έως το εκατοστό έτος.",
    ", με το πλάτος του υποσημαντή",
    {"του Πτολεμαίου (μία μοίρα τον χρόνο)", "του Naibod (0,98564733° τον χρόνο)",
     "του αληθινού ηλιακού τόξου"},
    {"τα ημιτόξα του Placidus", "τους κύκλους θέσης του Regiomontanus"},
    {"ζωδιακές", "κοσμικές", "ζωδιακές και κοσμικές"},
    "Οι διευθύνσεις ηλιακού τόξου, %s – %s: κάθε σημείο προχωρά κατά %s και σχηματίζει όψη "
    "με γενέθλιο σημείο, εντός 1° τόξου.",
    {"το τόξο του προοδευμένου Ήλιου", "τον ρυθμό του Naibod"},
    "Οι πρωτεύουσες διευθύνσεις μιας ζωής",
    "οι πρωτεύουσες διευθύνσεις μέσα στα χρόνια, μία σειρά για κάθε σημαντή",
    "Κάθε σημάδι είναι μια διεύθυνση στην ηλικία της, με το χρώμα του υποσημαντή· οι "
    "ζωδιακές πάνω από τη γραμμή της σειράς, οι κοσμικές κάτω από αυτή.",
    {"Μεσουράνημα", "Ωροσκόπος", "Ήλιος", "Σελήνη", "Τύχη"},
    "ηλικία",
    "η ημέρα της ερμηνείας",
    "σύνοδος",
    "τρίγωνο ή εξάγωνο",
    "τετράγωνο ή αντίθεση",
    "αντίστροφη (κενό)",
    "κοσμική (κάτω από τη γραμμή)",
    "Οι πρωτεύουσες διευθύνσεις κατά ηλικία",
    "Οι διευθύνσεις ηλιακού τόξου, %s – %s",
    {"Ηλικία", "Ημερομηνία", "Υποσημαντής", "Όψη", "Είδος", "", "Σημαντής", "Τόξο"},
    {"Ημερομηνία", "Διευθυνόμενο", "Όψη", "Γενέθλιο", "Τόξο", "Εντός 1°"},
    "ζωδιακή",
    "κοσμική",
    "ευθεία",
    "αντίστροφη",
    "αριστερό",
    "δεξιό",
    "Καμία.",
    "Υπολογισμένο από το Orvenda."};

std::string num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", v);
  return buf;
}

// A promissor's colour: the seven planets' of the old books (as the time lords' page has
// them), the modern three in cooler tones, the Node an earth brown, the lots their own.
const char* colourOf(int id) {
  static constexpr std::array<const char*, 10> kPlanets = {
      "#e8b923", "#9aa6b2", "#8a5cb8", "#4e9f50", "#cc3a2f",
      "#2f66b3", "#4d4d4d", "#17a2a2", "#6c7fd8", "#7a1f3d"};
  if (id >= 0 && id < 10) return kPlanets[static_cast<std::size_t>(id)];
  if (id == natal::kNorthNode) return "#a07850";
  if (id == tl::kLotId) return "#d07a1a";
  return "#c04f9a";  // the Lot of Spirit
}

std::string pointText(int id, bool greek) {
  if (id >= tl::kLotId) {
    if (greek) return id == tl::kLotId ? "Κλήρος της Τύχης" : "Κλήρος του Δαίμονος";
    return std::string("Lot of ") + traditional::kLotNames[id - tl::kLotId];
  }
  return natal::pointWord(id, greek);
}

std::string pointGlyph(int id, bool greek) {
  if (id == tl::kLotId) return "⊗";
  if (id > tl::kLotId) return "";
  return natal::pointGlyph(id, greek);
}

// The page's own beside the shared styles: the long table of a life in smaller type.
const char* kStyle = "table { font-size: .92em; }\n@media print { table { font-size: 8pt; } }\n";

class Page {
 public:
  Page(const Directions& r, const Words& w) : r_(r), w_(w), g_(r.greek) {}

  std::string html(const reading::Reading& reading) const {
    const std::string title = w_.title + r_.name;
    std::string s = std::string("<!DOCTYPE html>\n<html lang=\"") + w_.lang +
                    "\">\n<head>\n<meta charset=\"utf-8\">\n<meta name=\"viewport\" "
                    "content=\"width=device-width\">\n<title>Orvenda: " +
                    escaped(title) + "</title>\n<style>\n" + html::periodPageStyle() + kStyle +
                    html::pageFootStyle(r_.name) + "</style>\n</head>\n<body>\n<h1>" +
                    escaped(title) + "</h1>\n";
    s += "<p class=\"meta\">" + escaped(r_.birthLine) + "</p>\n";
    s += "<p class=\"meta\">" + escaped(wording::fillEach(w_.times, {r_.zone})) + "</p>\n";
    s += method();
    s += picture();
    s += primaryTable();
    s += solarTable();
    if (!reading.chapters.empty()) s += reading::readingHtml(reading);
    s += "<p class=\"footer\">" + escaped(w_.footer) + "</p>\n</body>\n</html>\n";
    return s;
  }

 private:
  std::string decimal(double v, int places) const {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.*f", places, v);
    std::string s = buf;
    if (g_) std::replace(s.begin(), s.end(), '.', ',');
    return s;
  }
  long long secondsOfJd(double jd) const { return std::llround((jd - 2440587.5) * 86400.0); }
  std::string day(double jd) const {
    const std::string s = minuteText(r_.local(secondsOfJd(jd)), g_);
    const auto space = s.rfind(' ');
    return space == std::string::npos ? s : s.substr(0, space);
  }
  std::string daySeconds(long long ut) const { return day(ut / 86400.0 + 2440587.5); }
  bool inPeriod(double jd) const {
    const long long s = secondsOfJd(jd);
    return s >= r_.periodFrom && s < r_.periodTo;
  }

  std::string method() const {
    const auto& o = r_.options;
    const int kind = !o.mundane ? 0 : !o.zodiacal ? 1 : 2;
    std::string s = "<div class=\"method\">\n<p>" +
                    escaped(wording::fillEach(
                        w_.primaryMethod,
                        {w_.kinds[kind], w_.methods[o.method == tl::Method::Placidus ? 0 : 1],
                         o.latitude ? w_.withLatitude : "", w_.keys[static_cast<int>(o.key)]})) +
                    "</p>\n<p>" +
                    escaped(wording::fillEach(
                        w_.solarMethod, {daySeconds(r_.periodFrom), daySeconds(r_.periodTo - 60),
                                         w_.rates[r_.naibod ? 1 : 0]})) +
                    "</p>\n</div>\n";
    return s;
  }

  // ---- the picture ------------------------------------------------------------------------

  static constexpr double kWidth = 860, kLeft = 100, kRight = 850, kTop = 24, kRow = 34;

  double x(double years) const {
    const double span = std::max(1.0, r_.options.maxYears);
    return kLeft + std::clamp(years, 0.0, span) / span * (kRight - kLeft);
  }

  static int rowOf(int significator) {
    switch (significator) {
      case natal::kMidheaven: return 0;
      case natal::kAscendant: return 1;
      case natal::kSun: return 2;
      case natal::kMoon: return 3;
      default: return 4;
    }
  }

  // A direction's mark: a circle for the conjunction, a triangle for the harmonious, a
  // square for the challenging; filled when direct, hollow when converse.
  static std::string mark(double cx, double cy, int aspect, const char* colour, bool hollow) {
    const std::string paint =
        hollow ? std::string("fill='#fff' stroke='") + colour + "' stroke-width='1.4'"
               : std::string("fill='") + colour + "' stroke='#fff' stroke-width='0.5'";
    if (aspect == 0)
      return "<circle cx='" + num(cx) + "' cy='" + num(cy) + "' r='3.6' " + paint + "/>";
    if (aspect >= 3)
      return "<polygon points='" + num(cx) + "," + num(cy - 4) + " " + num(cx + 4) + "," +
             num(cy + 3.2) + " " + num(cx - 4) + "," + num(cy + 3.2) + "' " + paint + "/>";
    return "<rect x='" + num(cx - 3.3) + "' y='" + num(cy - 3.3) + "' width='6.6' height='6.6' " +
           paint + "/>";
  }

  std::string picture() const {
    const std::string font = "font-family='DejaVu Sans, sans-serif'";
    std::string svg;
    const double bottom = kTop + 5 * kRow;
    // The decades, ruled faintly across the rows.
    for (int y = 0; y <= static_cast<int>(r_.options.maxYears); y += 10) {
      svg += "<line x1='" + num(x(y)) + "' y1='" + num(kTop - 6) + "' x2='" + num(x(y)) + "' y2='" +
             num(bottom - 8) + "' stroke='#ddd' stroke-width='0.8'/>";
      svg += "<text x='" + num(x(y)) + "' y='" + num(bottom + 4) + "' " + font +
             " font-size='10' text-anchor='middle'>" + std::to_string(y) + "</text>";
    }
    svg += "<text x='4' y='" + num(bottom + 4) + "' " + font + " font-size='10'>" +
           escaped(w_.ageAxis) + "</text>";
    for (int row = 0; row < 5; ++row) {
      const double y = kTop + row * kRow + 8;
      svg += "<text x='4' y='" + num(y + 4) + "' " + font + " font-size='11'>" +
             escaped(w_.significators[row]) + "</text>";
      svg += "<line x1='" + num(kLeft) + "' y1='" + num(y) + "' x2='" + num(kRight) + "' y2='" +
             num(y) + "' stroke='#999' stroke-width='0.8'/>";
    }
    for (const auto& d : r_.primary) {
      const double y = kTop + rowOf(d.significator) * kRow + 8 + (d.mundane ? 7 : -7);
      svg += mark(x(d.years), y, d.aspect, colourOf(d.promissor), d.converse);
    }
    if (r_.nowJd) {
      const double age = (*r_.nowJd - r_.birthJd) / cycles::kTropicalYear;
      if (age >= 0 && age <= r_.options.maxYears)
        svg += "<rect x='" + num(x(age) - 0.7) + "' y='" + num(kTop - 8) +
               "' width='1.4' height='" + num(5 * kRow) + "' fill='#000'/>";
    }
    // The legend: the promissors' colours, then the shapes and the line.
    double lx = 4, ly = bottom + 26;
    // An entry of the legend: its symbol drawn where the entry lands (on the next line when
    // this one is full), then its label.
    auto item = [&](const std::function<std::string(double, double)>& symbol,
                    const std::string& label) {
      // DejaVu Sans at 10: about 6.2 for a Latin or Greek letter; a UTF-8 letter's first
      // byte alone counts.
      const auto letters = std::count_if(label.begin(), label.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
      });
      const double w = 8 + 6 + 6.2 * static_cast<double>(letters) + 14;
      if (lx + w > kWidth - 4) lx = 4, ly += 18;
      svg += symbol(lx + 4, ly);
      svg += "<text x='" + num(lx + 13) + "' y='" + num(ly + 4) + "' " + font + " font-size='10'>" +
             escaped(label) + "</text>";
      lx += w;
    };
    std::vector<int> promissors;
    for (const auto& d : r_.primary)
      if (std::find(promissors.begin(), promissors.end(), d.promissor) == promissors.end())
        promissors.push_back(d.promissor);
    std::sort(promissors.begin(), promissors.end());
    for (const int p : promissors)
      item(
          [&](double cx, double cy) {
            return "<circle cx='" + num(cx) + "' cy='" + num(cy) + "' r='4' fill='" + colourOf(p) +
                   "'/>";
          },
          pointText(p, g_));
    ly += 18, lx = 4;
    auto shape = [](int aspect, bool hollow) {
      return
          [aspect, hollow](double cx, double cy) { return mark(cx, cy, aspect, "#555", hollow); };
    };
    item(shape(0, false), w_.conjunction);
    item(shape(3, false), w_.harmonious);
    item(shape(2, false), w_.challenging);
    item(shape(0, true), w_.converseMark);
    item(
        [](double cx, double cy) {
          return "<rect x='" + num(cx - 0.7) + "' y='" + num(cy - 6) +
                 "' width='1.4' height='12' fill='#000'/>";
        },
        w_.nowMark);
    const double height = ly + 10;
    svg = "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 " + num(kWidth) + " " +
          num(height) + "' width='" + num(kWidth) + "' height='" + num(height) +
          "'><rect width='100%' height='100%' fill='white'/>" + svg + "</svg>";
    return "<h2>" + escaped(w_.picture) + "</h2>\n<figure>\n" +
           html::svgImage(svg, std::string("[") + w_.pictureAlt + "]", "timeline") +
           "<figcaption>" + escaped(w_.caption) + "</figcaption>\n</figure>\n";
  }

  // ---- the tables -------------------------------------------------------------------------

  static std::string head(const std::vector<std::string>& heads) {
    std::string s = "<thead><tr>";
    for (const auto& h : heads) s += "<th>" + escaped(h) + "</th>";
    return s + "</tr></thead>\n";
  }
  std::string glyphSpan(const std::string& glyph) const {
    return glyph.empty() ? "" : "<span class=\"glyph\">" + glyph + "</span>";
  }

  std::string primaryTable() const {
    std::string s = "<h2>" + escaped(w_.primaryTable) + "</h2>\n";
    if (r_.primary.empty()) return s + "<p>" + escaped(w_.none) + "</p>\n";
    s += "<div class=\"scroll\"><table>\n" +
         head({w_.heads[0], w_.heads[1], w_.heads[2], w_.heads[3], w_.heads[4], w_.heads[6],
               w_.heads[7]});
    for (const auto& d : r_.primary) {
      std::string aspect = natal::aspectWord(d.aspect, g_);
      if (d.aspect >= 2) aspect += std::string(" (") + (d.side > 0 ? w_.sinister : w_.dexter) + ")";
      s += std::string(inPeriod(d.jd) ? "<tr class=\"now\">" : "<tr>") + "<td class=\"num\">" +
           decimal(d.years, 2) + "</td><td class=\"date\">" + escaped(day(d.jd)) + "</td><td>" +
           glyphSpan(pointGlyph(d.promissor, g_)) + escaped(pointText(d.promissor, g_)) +
           "</td><td>" + glyphSpan(natal::aspectMark(d.aspect)) + escaped(aspect) + "</td><td>" +
           escaped(std::string(d.mundane ? w_.mundane : w_.zodiacal) + ", " +
                   (d.converse ? w_.converse : w_.direct)) +
           "</td><td>" + glyphSpan(pointGlyph(d.significator, g_)) +
           escaped(pointText(d.significator, g_)) + "</td><td class=\"num\">" + decimal(d.arc, 3) +
           "°</td></tr>\n";
    }
    return s + "</table></div>\n";
  }

  std::string solarTable() const {
    std::string s = "<h2>" +
                    escaped(wording::fillEach(
                        w_.solarTable, {daySeconds(r_.periodFrom), daySeconds(r_.periodTo - 60)})) +
                    "</h2>\n";
    if (r_.solarArc.empty()) return s + "<p>" + escaped(w_.none) + "</p>\n";
    s += "<div class=\"scroll\"><table>\n" +
         head({w_.solarHeads[0], w_.solarHeads[1], w_.solarHeads[2], w_.solarHeads[3],
               w_.solarHeads[4], w_.solarHeads[5]});
    for (const auto& d : r_.solarArc) {
      const long long arc = std::llround(d.arc * 3600);
      char buf[48];
      std::snprintf(buf, sizeof buf, "%lld° %02lld′ %02lld″", arc / 3600, arc / 60 % 60, arc % 60);
      s += "<tr><td class=\"date\">" + escaped(day(d.exactJd)) + "</td><td>" +
           glyphSpan(pointGlyph(d.directed, g_)) + escaped(pointText(d.directed, g_)) +
           "</td><td>" + glyphSpan(natal::aspectMark(d.aspect)) +
           escaped(natal::aspectWord(d.aspect, g_)) + "</td><td>" +
           glyphSpan(pointGlyph(d.natal, g_)) + escaped(pointText(d.natal, g_)) +
           "</td><td class=\"num\">" + buf + "</td><td class=\"date\">" + escaped(day(d.fromJd)) +
           " – " + escaped(day(d.toJd)) + "</td></tr>\n";
    }
    return s + "</table></div>\n";
  }

  const Directions& r_;
  const Words& w_;
  bool g_;
};

}  // namespace

std::string directionsReportHtml(const Directions& report, const reading::Reading& reading) {
  return Page(report, report.greek ? kGreek : kEnglish).html(reading);
}

}  // namespace orvenda::report
