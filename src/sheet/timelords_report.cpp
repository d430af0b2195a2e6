#include "sheet/timelords_report.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "natal/names.h"
#include "sheet/html.h"
#include "sheet/wording.h"
#include "traditional/traditional.h"

namespace orvenda::report {
namespace {

namespace tl = timelords;
using html::escaped;

// The report's words. Greek: those of the tradition and of the readings' own texts
// (χρονοκράτορες, ετήσια περιφορά, κύριος του έτους, φιρδαρία, άφεση από τον κλήρο, λύση
// του δεσμού, κορυφή); English: its translators'.
struct Words {
  const char* lang;
  const char* title;
  const char* times;  // the zone
  const char* method[4];
  const char* picture;
  const char* pictureAlt;
  const char* bands[5];
  const char* yearRow;
  const char* ageRow;
  const char* peakMark;
  const char* strongPeakMark;
  const char* loosingMark;
  const char* nowMark;
  const char* caption;
  const char* years;
  const char* age;
  const char* year;
  const char* from;
  const char* to;
  const char* sign;
  const char* house;
  const char* lordOfYear;
  const char* firdaria;
  const char* lord;
  const char* ages;
  const char* subPeriods;  // of the firdar of a lord
  const char* subLord;
  const char* nodesNote;
  const char* releasingSpirit;
  const char* releasingFortune;
  const char* ruler;
  const char* peak;
  const char* strongPeak;
  const char* loosing;
  const char* secondLevel;  // within the sign, from, to
  const char* none;
  const char* footer;
};

const Words kEnglish = {
    "en",
    "The time lords of ",
    "Dates and times in %s.",
    {"The annual profections by whole sign from the Ascendant in %s, a sign a year from birth, "
     "birthday to birthday; the lord of the year is the ruler of the sign reached.",
     "The firdaria of a %s birth, in years of 365.2425 days from the birth.",
     "Zodiacal releasing from the Lot of %s in %s, each sign its ruler's minor years of %s "
     "days, the second level in months of a twelfth of that.",
     "Peaks by the Lot of Fortune in %s: the signs angular to it, the 10th from it the "
     "strongest."},
    "The periods of a life",
    "the periods of the time lords across the years",
    {"Profections", "Firdaria", "Sub-periods", "Releasing L1", "Releasing L2"},
    "Year",
    "Age",
    "peak",
    "peak, 10th from Fortune",
    "loosing of the bond",
    "the date read",
    "Each band is coloured by its lord: the lord of the year, the firdar and its sub-period, "
    "the ruler of the releasing's sign.",
    "The profected years",
    "Age",
    "Year",
    "From",
    "To",
    "Sign",
    "House",
    "Lord of the year",
    "Firdaria",
    "Lord",
    "Ages",
    "The sub-periods of the firdar of %s",
    "With",
    "The Nodes' periods have no sub-periods.",
    "Zodiacal releasing from the Lot of Spirit",
    "Zodiacal releasing from the Lot of Fortune",
    "Ruler",
    "peak",
    "peak (10th from Fortune)",
    "loosing of the bond",
    "Level 2 within %s, %s – %s",
    "None in this span.",
    "Computed by Orvenda."};

const Words kGreek = {
    "el",
    "Οι χρονοκράτορες: ",
    "Οι ημερομηνίες και οι ώρες κατά τη ζώνη ώρας %s.",
    {"Η ετήσια περιφορά κατά ζώδιο από τον ωροσκόπο (%s), ένα ζώδιο τον χρόνο από τη "
     "γέννηση, από γενέθλια σε γενέθλια· κύριος του έτους είναι ο κύριος του ζωδίου όπου "
     "φτάνει.",
     "Η φιρδαρία μιας %s γέννησης, σε έτη των 365,2425 ημερών από τη γέννηση.",
     "Η άφεση από τον κλήρο %s (%s): κάθε ζώδιο κρατά τα ελάχιστα έτη του κυρίου του, "
     "έτη των %s ημερών, και στο δεύτερο επίπεδο ισάριθμους μήνες, ο καθένας ένα δωδέκατο "
     "του έτους.",
     "Οι κορυφές από τον κλήρο της Τύχης (%s): τα ζώδια γωνιακά προς αυτόν, με ισχυρότερο "
     "το δέκατο από αυτόν."},
    "Οι περίοδοι μιας ζωής",
    "οι περίοδοι των χρονοκρατόρων μέσα στα χρόνια",
    {"Περιφορά", "Φιρδαρία", "Υποπερίοδοι", "Άφεση, επ. 1", "Άφεση, επ. 2"},
    "Έτος",
    "Ηλικία",
    "κορυφή",
    "κορυφή, 10ος από την Τύχη",
    "λύση του δεσμού",
    "η ημέρα της ερμηνείας",
    "Κάθε ζώνη έχει το χρώμα του κυρίου της: του κυρίου του έτους, της φιρδαρίας και της "
    "υποπεριόδου της, του κυρίου του ζωδίου της άφεσης.",
    "Η ετήσια περιφορά",
    "Ηλικία",
    "Έτος",
    "Από",
    "Έως",
    "Ζώδιο",
    "Τόπος",
    "Κύριος του έτους",
    "Φιρδαρία",
    "Κύριος",
    "Ηλικίες",
    "Οι υποπερίοδοι της φιρδαρίας %s",
    "Υποπερίοδος",
    "Οι περίοδοι των Δεσμών δεν έχουν υποπεριόδους.",
    "Η άφεση από τον κλήρο του Δαίμονος",
    "Η άφεση από τον κλήρο της Τύχης",
    "Κύριος",
    "κορυφή",
    "κορυφή (10ος από την Τύχη)",
    "λύση του δεσμού",
    "Το δεύτερο επίπεδο μέσα στην περίοδο του πρώτου: %s, %s – %s",
    "Καμία σε αυτό το διάστημα.",
    "Υπολογισμένο από το Orvenda."};

std::string num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", v);
  return buf;
}

// A lord's colour, and the ink its label takes on it: the planets' colours of the old
// books where they agree (the Sun's gold, the Moon's silver, Mars' red, Jupiter's blue,
// Venus' green, Saturn's lead), Mercury's the mixed violet, the Nodes' earth browns.
struct Colour {
  const char* fill;
  const char* ink;
};
constexpr std::array<Colour, 9> kColours = {{{"#e8b923", "#000"},
                                             {"#c3ccd6", "#000"},
                                             {"#8a5cb8", "#fff"},
                                             {"#4e9f50", "#fff"},
                                             {"#cc3a2f", "#fff"},
                                             {"#2f66b3", "#fff"},
                                             {"#4d4d4d", "#fff"},
                                             {"#c8a27a", "#000"},
                                             {"#8a6248", "#fff"}}};
const Colour& colourOf(int lord) {
  return kColours[static_cast<std::size_t>(std::clamp(lord, 0, 8))];
}

std::string lordGlyph(int lord) {
  if (lord == tl::kNorthNode) return "☊";
  if (lord == tl::kSouthNode) return "☋";
  return natal::pointGlyph(lord);
}
std::string lordWord(int lord, bool greek) {
  if (lord == tl::kNorthNode) return greek ? "Βόρειος Δεσμός" : "North Node";
  if (lord == tl::kSouthNode) return greek ? "Νότιος Δεσμός" : "South Node";
  return natal::pointWord(lord, greek);
}
// The Greek lord after "της φιρδαρίας": in the genitive with its article.
std::string lordOf(int lord) {
  static const char* const k[9] = {
      "του Ήλιου", "της Σελήνης", "του Ερμή",           "της Αφροδίτης",    "του Άρη",
      "του Δία",   "του Κρόνου",  "του Βόρειου Δεσμού", "του Νότιου Δεσμού"};
  return k[std::clamp(lord, 0, 8)];
}

// The width a label takes in DejaVu Sans at `size`, near enough to keep labels apart: the
// Latin and Greek letters about 0.62 of the size, the astrological glyphs a whole one.
double textWidth(const std::string& s, double size) {
  double w = 0;
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    if (n == 3 && s.compare(i, 3, "\uFE0E") == 0) {
      i += n;
      continue;  // the text presentation's selector takes no room
    }
    w += n == 3 ? 1.0 : 0.64;
    i += n;
  }
  return w * size;
}

// A date as the tables give it: "14 Mar 2027".
std::string day(const LocalClock& local, long long ut, bool greek) {
  std::string s = minuteText(local(ut), greek);
  const auto space = s.rfind(' ');
  return space == std::string::npos ? s : s.substr(0, space);
}

struct LocalDate {
  int year;
  unsigned month, day;
};
LocalDate localDate(long long localSeconds) {
  using namespace std::chrono;
  const year_month_day d{floor<days>(sys_seconds{seconds{localSeconds}})};
  return {static_cast<int>(d.year()), static_cast<unsigned>(d.month()),
          static_cast<unsigned>(d.day())};
}

// The page's own beside the shared styles: the two halves of the years' table.
const char* kStyle =
    "table.years { font-size: .92em; } .years .gap { padding: 0 .8em; border-bottom: none; }\n"
    "@media print { table.years { font-size: 8pt; } }\n";

class Page {
 public:
  Page(const Timelords& r, const Words& w) : r_(r), w_(w), g_(r.greek) {}

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
    s += yearsTable();
    s += firdariaTable();
    s += releasingTable();
    if (!reading.chapters.empty()) s += reading::readingHtml(reading);
    s += "<p class=\"footer\">" + escaped(w_.footer) + "</p>\n</body>\n</html>\n";
    return s;
  }

 private:
  std::string sign(int s) const { return natal::signName(s, g_); }
  std::string signGlyphSpan(int s) const {
    return "<span class=\"glyph\">" + natal::signGlyph(s) + "</span>";
  }
  std::string lordGlyphSpan(int lord) const {
    return "<span class=\"glyph\">" + lordGlyph(lord) + "</span>";
  }
  bool holdsNow(long long from, long long to) const {
    return r_.now && from <= *r_.now && *r_.now < to;
  }
  double ageAt(long long ut) const {
    return static_cast<double>(ut - r_.birth) / (tl::kFirdariaYearDays * 86400);
  }
  std::string decimal(double v, int places) const {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.*f", places, v);
    std::string s = buf;
    if (g_) std::replace(s.begin(), s.end(), '.', ',');
    return s;
  }
  std::string ages(long long from, long long to, int places) const {
    return decimal(ageAt(from), places) + "–" + decimal(ageAt(to), places);
  }

  std::string method() const {
    std::string yearText = decimal(r_.yearDays, r_.yearDays == std::floor(r_.yearDays) ? 0 : 2);
    // The Lot's name and the birth as each language joins them to the sentence.
    const std::string lot = g_ ? (r_.fromSpirit ? "του Δαίμονος" : "της Τύχης")
                               : (r_.fromSpirit ? "Spirit" : "Fortune");
    const std::string birth =
        g_ ? (r_.dayBirth ? "ημερήσιας" : "νυχτερινής") : (r_.dayBirth ? "day" : "night");
    std::string s = "<div class=\"method\">\n";
    for (const std::string& line :
         {wording::fillEach(w_.method[0], {sign(r_.ascendantSign)}),
          wording::fillEach(w_.method[1], {birth}),
          wording::fillEach(w_.method[2], {lot, sign(r_.lotSign), yearText}),
          wording::fillEach(w_.method[3], {sign(r_.fortuneSign)})})
      s += "<p>" + escaped(line) + "</p>\n";
    return s + "</div>\n";
  }

  // ---- the picture ------------------------------------------------------------------------

  static constexpr double kWidth = 860, kLeft = 100, kRight = 850, kTop = 26, kBand = 20,
                          kStep = 30;

  double x(long long ut) const {
    const double from = static_cast<double>(r_.from), to = static_cast<double>(r_.to);
    const double t = std::clamp(static_cast<double>(ut), from, to);
    return kLeft + (t - from) / (to - from) * (kRight - kLeft);
  }

  // A cell of a band: its rectangle in the lord's colour and, where one fits (and clear of
  // the date read's line), the first label of `labels` that does.
  void cell(std::string& svg, long long from, long long to, int band, int lord,
            const std::vector<std::string>& labels) const {
    const double x0 = x(from), x1 = x(to);
    if (x1 - x0 <= 0) return;
    const double y = kTop + band * kStep;
    const Colour& c = colourOf(lord);
    svg += "<rect x='" + num(x0) + "' y='" + num(y) + "' width='" + num(x1 - x0) + "' height='" +
           num(kBand) + "' fill='" + c.fill + "' stroke='#fff' stroke-width='0.8'/>";
    const double size = 10;
    const std::optional<double> line = r_.now ? std::optional<double>(x(*r_.now)) : std::nullopt;
    for (const std::string& label : labels) {
      const double w = textWidth(label, size) + 4;
      double a = x0, b = x1;
      if (line && *line > a && *line < b) {
        // The line cuts the cell: the label goes in the wider part beside it.
        if (*line - a >= b - *line)
          b = *line - 1.5;
        else
          a = *line + 1.5;
      }
      if (b - a < w) continue;
      svg += "<text x='" + num((a + b) / 2) + "' y='" + num(y + 14) +
             "' font-family='DejaVu Sans, sans-serif' font-size='" + num(size) +
             "' text-anchor='middle' fill='" + c.ink + "'>" + escaped(label) + "</text>";
      return;
    }
  }

  // A peak: a bar along the cell's top, thicker for the 10th from Fortune; the loosing of
  // the bond: a wedge pointing down at the period's first day.
  void marks(std::string& svg, const tl::ReleasingPeriod& p, int band) const {
    const double x0 = x(p.from), x1 = x(p.to), y = kTop + band * kStep;
    if (x1 - x0 <= 0) return;
    if (p.peak)
      svg += "<rect x='" + num(x0) + "' y='" + num(y - (p.peak == 2 ? 4 : 2)) + "' width='" +
             num(x1 - x0) + "' height='" + (p.peak == 2 ? "4" : "2") + "' fill='#000'/>";
    if (p.loosing && p.from >= r_.from)
      svg += "<polygon points='" + num(x0 - 3.5) + "," + num(y - 10) + " " + num(x0 + 3.5) + "," +
             num(y - 10) + " " + num(x0) + "," + num(y - 4.5) + "' fill='#b00'/>";
  }

  std::string picture() const {
    const double axis = kTop + 5 * kStep - 6;
    const std::string font = "font-family='DejaVu Sans, sans-serif'";
    std::string svg;
    for (int b = 0; b < 5; ++b)
      svg += "<text x='4' y='" + num(kTop + b * kStep + 14) + "' " + font + " font-size='11'>" +
             escaped(w_.bands[b]) + "</text>";

    // Each cell in its lord's colour, with the glyph and the name where they fit, else the
    // glyph: the profected years by the lord of the year, the firdaria by their lords, the
    // releasing by the ruler of its sign.
    auto signLabels = [&](int z) {
      return std::vector<std::string>{natal::signGlyph(z) + " " + sign(z), natal::signGlyph(z)};
    };
    auto lordLabels = [&](int p) {
      return std::vector<std::string>{lordGlyph(p) + " " + lordWord(p, g_), lordGlyph(p)};
    };
    for (const auto& y : r_.years) cell(svg, y.from, y.to, 0, y.lord, signLabels(y.sign));
    for (const auto& f : r_.firdaria)
      cell(svg, f.from, f.to, f.sub < 0 ? 1 : 2, f.sub < 0 ? f.lord : f.sub,
           lordLabels(f.sub < 0 ? f.lord : f.sub));
    for (const auto& z : r_.releasing)
      cell(svg, z.from, z.to, z.level == 1 ? 3 : 4, traditional::domicileRuler(z.sign),
           signLabels(z.sign));
    for (const auto& z : r_.releasing) marks(svg, z, z.level == 1 ? 3 : 4);

    // The axis: a tick each year of the calendar, the years named where there is room, and
    // the ages at the birthdays below them.
    svg += "<line x1='" + num(kLeft) + "' y1='" + num(axis) + "' x2='" + num(kRight) + "' y2='" +
           num(axis) + "' stroke='#000' stroke-width='0.8'/>";
    svg += "<text x='4' y='" + num(axis + 16) + "' " + font + " font-size='10' fill='#333'>" +
           escaped(w_.yearRow) + "</text>";
    svg += "<text x='4' y='" + num(axis + 32) + "' " + font + " font-size='10' fill='#333'>" +
           escaped(w_.ageRow) + "</text>";
    const double spanYears = static_cast<double>(r_.to - r_.from) / (tl::kFirdariaYearDays * 86400);
    const double perYear = (kRight - kLeft) / std::max(spanYears, 1e-9);
    int step = 1;
    for (int s : {1, 2, 5, 10, 20, 50})
      if (perYear * s >= 34) {
        step = s;
        break;
      } else {
        step = s;
      }
    const LocalDate first = localDate(r_.local(r_.from)), last = localDate(r_.local(r_.to));
    double lastLabel = -1e9;
    for (int yr = first.year; yr <= last.year + 1; ++yr) {
      using namespace std::chrono;
      const long long local =
          duration_cast<seconds>(sys_days{year{yr} / 1 / 1}.time_since_epoch()).count();
      const long long ut = local - (r_.local(local) - local);
      if (ut <= r_.from || ut >= r_.to) continue;
      const double tx = x(ut);
      const bool major = yr % step == 0;
      if (perYear >= 3 || major)
        svg += "<line x1='" + num(tx) + "' y1='" + num(axis) + "' x2='" + num(tx) + "' y2='" +
               num(axis + (major ? 5 : 2.5)) + "' stroke='#000' stroke-width='" +
               (major ? "0.8" : "0.5") + "'/>";
      if (major && tx - lastLabel >= 32 && tx + 14 <= kWidth) {
        svg += "<text x='" + num(tx) + "' y='" + num(axis + 16) + "' " + font +
               " font-size='10' text-anchor='middle'>" + std::to_string(yr) + "</text>";
        lastLabel = tx;
      }
    }
    lastLabel = -1e9;
    for (int age = 0; age <= 200; age += step) {
      const long long ut = tl::anniversary(tl::Birth{r_.birth, r_.birthOffset}, age);
      if (ut < r_.from) continue;
      if (ut > r_.to) break;
      const double ax = x(ut);
      if (ax - lastLabel < 26) continue;
      svg += "<text x='" + num(std::max(ax, kLeft + 6)) + "' y='" + num(axis + 32) + "' " + font +
             " font-size='10' text-anchor='middle' fill='#333'>" + std::to_string(age) + "</text>";
      lastLabel = ax;
    }

    // The date read, ruled across the bands and named above them.
    if (r_.now && *r_.now >= r_.from && *r_.now < r_.to) {
      const double nx = x(*r_.now);
      svg += "<line x1='" + num(nx) + "' y1='" + num(kTop - 12) + "' x2='" + num(nx) + "' y2='" +
             num(axis) + "' stroke='#000' stroke-width='1.4'/>";
      const std::string label = day(r_.local, *r_.now, g_);
      const double w = textWidth(label, 10);
      // Beside the line's head, on whichever side has room.
      const bool right = nx + 4 + w <= kWidth - 2;
      svg += "<text x='" + num(right ? nx + 4 : nx - 4) + "' y='" + num(kTop - 6) + "' " + font +
             " font-size='10' font-weight='bold'" + (right ? "" : " text-anchor='end'") + ">" +
             escaped(label) + "</text>";
    }

    // The legend: the seven and the Nodes, then the marks.
    double lx = 4;
    double ly = axis + 50;
    auto swatch = [&](const std::string& fillColour, const std::string& text) {
      const double w = 16 + textWidth(text, 10) + 14;
      if (lx + w > kWidth) lx = 4, ly += 18;
      svg += "<rect x='" + num(lx) + "' y='" + num(ly - 9) + "' width='11' height='11' fill='" +
             fillColour + "'/>";
      svg += "<text x='" + num(lx + 15) + "' y='" + num(ly) + "' " + font + " font-size='10'>" +
             escaped(text) + "</text>";
      lx += w;
    };
    for (int p = 0; p < 9; ++p) swatch(kColours[static_cast<std::size_t>(p)].fill, lordWord(p, g_));
    lx = 4, ly += 18;
    auto mark = [&](const std::string& shape, double w0, const std::string& text) {
      const double w = w0 + 5 + textWidth(text, 10) + 14;
      if (lx + w > kWidth) lx = 4, ly += 18;
      svg += shape;
      svg += "<text x='" + num(lx + w0 + 5) + "' y='" + num(ly) + "' " + font + " font-size='10'>" +
             escaped(text) + "</text>";
      lx += w;
    };
    mark("<rect x='" + num(lx) + "' y='" + num(ly - 8) + "' width='16' height='2' fill='#000'/>",
         16, w_.peakMark);
    mark("<rect x='" + num(lx) + "' y='" + num(ly - 9) + "' width='16' height='4' fill='#000'/>",
         16, w_.strongPeakMark);
    mark("<polygon points='" + num(lx + 1) + "," + num(ly - 9) + " " + num(lx + 8) + "," +
             num(ly - 9) + " " + num(lx + 4.5) + "," + num(ly - 3.5) + "' fill='#b00'/>",
         9, w_.loosingMark);
    mark("<rect x='" + num(lx + 7) + "' y='" + num(ly - 11) +
             "' width='1.4' height='13' "
             "fill='#000'/>",
         16, w_.nowMark);
    // As tall as the legend's rows, which may have wrapped.
    const double height = ly + 8;
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
  std::string row(bool now) const { return now ? "<tr class=\"now\">" : "<tr>"; }

  // The years in one table of two halves side by side, the first half's years down the
  // left and the second's down the right, so that a century takes fifty rows.
  std::string yearsTable() const {
    std::string s = "<h2>" + escaped(w_.years) + "</h2>\n";
    if (r_.years.empty()) return s + "<p>" + escaped(w_.none) + "</p>\n";
    const std::size_t rows = (r_.years.size() + 1) / 2;
    const std::vector<std::string> heads = {w_.age, w_.year, w_.sign, w_.house, w_.lordOfYear};
    s += "<table class=\"years\">\n<thead><tr>";
    for (int half = 0; half < 2; ++half) {
      if (half == 1) s += "<th class=\"gap\"></th>";
      for (const auto& h : heads) s += "<th>" + escaped(h) + "</th>";
    }
    s += "</tr></thead>\n";
    for (std::size_t i = 0; i < rows; ++i) {
      s += "<tr>";
      for (std::size_t k : {i, i + rows}) {
        if (k == i + rows) s += "<td class=\"gap\"></td>";
        if (k >= r_.years.size()) {
          s += "<td></td><td></td><td></td><td></td><td></td>";
          continue;
        }
        const auto& y = r_.years[k];
        // The year in force on the date read, in bold.
        const bool now = holdsNow(y.from, y.to);
        auto td = [&](const char* cls, const std::string& content) {
          std::string c = std::string(cls) + (now ? (*cls ? " now" : "now") : "");
          return (c.empty() ? std::string("<td>") : "<td class=\"" + c + "\">") + content + "</td>";
        };
        s += td("num", std::to_string(y.age)) +
             td("num", std::to_string(localDate(r_.local(y.from)).year)) +
             td("", signGlyphSpan(y.sign) + escaped(sign(y.sign))) +
             td("num", std::to_string(y.house)) + td("", escaped(lordWord(y.lord, g_)));
      }
      s += "</tr>\n";
    }
    return s + "</table>\n";
  }

  std::string firdariaTable() const {
    // Each table kept with its heading on paper.
    std::string s = "<div class=\"block\">\n<h2>" + escaped(w_.firdaria) + "</h2>\n";
    std::vector<const tl::Firdar*> periods;
    for (const auto& f : r_.firdaria)
      if (f.sub < 0) periods.push_back(&f);
    if (periods.empty()) return s + "<p>" + escaped(w_.none) + "</p>\n</div>\n";
    s += "<table>\n" + head({w_.lord, w_.from, w_.to, w_.ages});
    const tl::Firdar* current = nullptr;
    for (const tl::Firdar* f : periods) {
      const bool now = holdsNow(f->from, f->to);
      if (now) current = f;
      s += row(now) + "<td>" + lordGlyphSpan(f->lord) + escaped(lordWord(f->lord, g_)) +
           "</td><td class=\"date\">" + escaped(day(r_.local, f->from, g_)) +
           "</td><td class=\"date\">" + escaped(day(r_.local, f->to, g_)) +
           "</td><td class=\"num\">" + ages(f->from, f->to, 0) + "</td></tr>\n";
    }
    s += "</table>\n</div>\n";
    if (!current) return s;
    if (current->lord >= 7) return s + "<p class=\"note\">" + escaped(w_.nodesNote) + "</p>\n";
    // The current firdar's seven, whole: computed from its bounds as the reckoning does.
    s += "<div class=\"block\">\n<h3>" +
         escaped(wording::fillEach(w_.subPeriods,
                                   {g_ ? lordOf(current->lord) : lordWord(current->lord, g_)})) +
         "</h3>\n<table>\n" + head({w_.subLord, w_.from, w_.to, w_.ages});
    for (const auto& f : tl::firdaria(r_.birth, r_.dayBirth, current->from, current->to)) {
      if (f.sub < 0 || f.from < current->from || f.to > current->to) continue;
      s += row(holdsNow(f.from, f.to)) + "<td>" + lordGlyphSpan(f.sub) +
           escaped(lordWord(f.sub, g_)) + "</td><td class=\"date\">" +
           escaped(day(r_.local, f.from, g_)) + "</td><td class=\"date\">" +
           escaped(day(r_.local, f.to, g_)) + "</td><td class=\"num\">" + ages(f.from, f.to, 1) +
           "</td></tr>\n";
    }
    return s + "</table>\n</div>\n";
  }

  std::string peakText(const tl::ReleasingPeriod& z) const {
    std::string s = z.peak == 2 ? w_.strongPeak : z.peak ? w_.peak : "";
    if (z.loosing) s += (s.empty() ? "" : ", ") + std::string(w_.loosing);
    return s;
  }

  std::string releasingTable() const {
    std::string s = "<div class=\"block\">\n<h2>" +
                    escaped(r_.fromSpirit ? w_.releasingSpirit : w_.releasingFortune) + "</h2>\n";
    std::vector<const tl::ReleasingPeriod*> first;
    for (const auto& z : r_.releasing)
      if (z.level == 1) first.push_back(&z);
    if (first.empty()) return s + "<p>" + escaped(w_.none) + "</p>\n</div>\n";
    s += "<table>\n" + head({w_.sign, w_.ruler, w_.from, w_.to, w_.ages, ""});
    const tl::ReleasingPeriod* current = nullptr;
    for (const auto* z : first) {
      const bool now = holdsNow(z->from, z->to);
      if (now) current = z;
      const int ruler = traditional::domicileRuler(z->sign);
      s += row(now) + "<td>" + signGlyphSpan(z->sign) + escaped(sign(z->sign)) + "</td><td>" +
           escaped(lordWord(ruler, g_)) + "</td><td class=\"date\">" +
           escaped(day(r_.local, z->from, g_)) + "</td><td class=\"date\">" +
           escaped(day(r_.local, z->to, g_)) + "</td><td class=\"num\">" + ages(z->from, z->to, 1) +
           "</td><td>" + escaped(peakText(*z)) + "</td></tr>\n";
    }
    s += "</table>\n</div>\n";
    if (!current || r_.currentSecondLevel.empty()) return s;
    s += "<div class=\"block\">\n<h3>" +
         escaped(wording::fillEach(w_.secondLevel,
                                   {sign(current->sign), day(r_.local, current->from, g_),
                                    day(r_.local, current->to, g_)})) +
         "</h3>\n<table>\n" + head({w_.sign, w_.ruler, w_.from, w_.to, w_.ages, ""});
    for (const auto& z : r_.currentSecondLevel)
      s += row(holdsNow(z.from, z.to)) + "<td>" + signGlyphSpan(z.sign) + escaped(sign(z.sign)) +
           "</td><td>" + escaped(lordWord(traditional::domicileRuler(z.sign), g_)) +
           "</td><td class=\"date\">" + escaped(day(r_.local, z.from, g_)) +
           "</td><td class=\"date\">" + escaped(day(r_.local, z.to, g_)) +
           "</td><td class=\"num\">" + ages(z.from, z.to, 1) + "</td><td>" + escaped(peakText(z)) +
           "</td></tr>\n";
    return s + "</table>\n</div>\n";
  }

  const Timelords& r_;
  const Words& w_;
  bool g_;
};

}  // namespace

std::string timelordsReportHtml(const Timelords& report, const reading::Reading& reading) {
  return Page(report, report.greek ? kGreek : kEnglish).html(reading);
}

}  // namespace orvenda::report
