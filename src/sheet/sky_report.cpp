#include "sheet/sky_report.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "natal/names.h"
#include "natal/wheel.h"
#include "sheet/html.h"
#include "sheet/sky_reading.h"

namespace orvenda::report {
namespace {

using html::escaped;

// The report's words. Greek: those Greek astrologers use for the sky (νέα σελήνη,
// πανσέληνος, το πρώτο και το τελευταίο τέταρτο, η κενή πορεία της Σελήνης, ο Σάρος).
struct Words {
  const char* lang;
  const char* title;  // followed by ": NAME" with a chart
  const char* period;
  const char* times;
  const char* seenFrom;
  const char* wheel;
  const char* wheelCaption;
  const char* wheelFirstYear;
  const char* newMoonMark;
  const char* fullMoonMark;
  const char* eclipseMark;
  const char* lunations;
  const char* eclipses;
  const char* voids;
  const char* voidsCut;  // {n} stretches, of which the first three months'
  const char* phases[4];
  const char* kinds[5];
  const char* solar;
  const char* lunar;
  const char* lunationHeads[5];  // date, phase, degree, house, aspects
  const char* eclipseHeads[8];   // date, eclipse, magnitude, Saros, degree, house, touches, seen
  const char* voidHeads[4];      // from, to, last aspect, the Moon
  const char* notSeen;
  const char* seenSolar;  // begins, ends, greatest, magnitude
  // A contact below the horizon: the Sun rises or sets eclipsed.
  const char* eclipsedRising;
  const char* eclipsedSetting;
  const char* sunSet;
  const char* seenLunar;          // the Moon's altitude
  const char* moonSetsEclipsed;   // the moonset, the magnitude then
  const char* moonRisesEclipsed;  // the moonrise, the magnitude then
  const char* none;
  const char* noChart;
  const char* footer;
};

const Words kEnglish = {
    "en",
    "The sky of the period",
    "From %s to %s.",
    "Dates and times in %s.",
    "Eclipses as seen from %s.",
    "The period's lunations round the natal wheel",
    "Outside the zodiac, each new moon (●) and full moon (○) of the period at its degree, "
    "each eclipse (◉) with its day and month.",
    "Outside the zodiac, the new moons (●) and full moons (○) of the period's first twelve "
    "months at their degrees, the eclipses (◉) with their day and month.",
    "New moon",
    "Full moon",
    "eclipse",
    "The lunations by month",
    "The eclipses",
    "The void-of-course Moon by month",
    "The Moon is void of course %s times in the period; the stretches of its first three "
    "months are listed.",
    {"new moon", "first quarter", "full moon", "last quarter"},
    {"total", "annular", "hybrid", "partial", "penumbral"},
    "solar",
    "lunar",
    {"Date", "Phase", "Degree", "House", "Aspects"},
    {"Greatest", "Eclipse", "Magnitude", "Saros", "Degree", "House", "Touches", "Seen"},
    {"From", "To", "Last aspect", "The Moon"},
    "not seen",
    "%s – %s, greatest %s, magnitude %s",
    "sunrise",
    "sunset",
    "the Sun below the horizon at the greatest",
    "seen, the Moon %s° high",
    "seen in part: the Moon sets eclipsed at %s (magnitude %s)",
    "seen in part: the Moon rises eclipsed at %s (magnitude %s)",
    "None.",
    "With a chart's name the report gives each lunation's and eclipse's natal house, the "
    "points it touches, and the reading.",
    "Computed by Orvenda."};

const Words kGreek = {
    "el",
    "Ο ουρανός της περιόδου",
    "Από %s έως %s.",
    "Ημερομηνίες και ώρες κατά τη ζώνη ώρας %s.",
    "Οι εκλείψεις όπως φαίνονται από: %s.",
    "Οι σελήνες της περιόδου γύρω από τον γενέθλιο χάρτη",
    "Έξω από τον ζωδιακό, κάθε νέα σελήνη (●) και πανσέληνος (○) της περιόδου στη μοίρα της, "
    "κάθε έκλειψη (◉) με την ημέρα και τον μήνα της.",
    "Έξω από τον ζωδιακό, οι νέες σελήνες (●) και οι πανσέληνοι (○) των πρώτων δώδεκα μηνών "
    "της περιόδου στη μοίρα τους, οι εκλείψεις (◉) με την ημέρα και τον μήνα τους.",
    "Νέα σελήνη",
    "Πανσέληνος",
    "έκλειψη",
    "Οι φάσεις της Σελήνης κατά μήνα",
    "Οι εκλείψεις",
    "Η κενή πορεία της Σελήνης κατά μήνα",
    "Η Σελήνη είναι κενή πορείας %s φορές μέσα στην περίοδο· εδώ δίνονται τα διαστήματα των "
    "τριών πρώτων μηνών.",
    {"νέα σελήνη", "πρώτο τέταρτο", "πανσέληνος", "τελευταίο τέταρτο"},
    {"ολική", "δακτυλιοειδής", "υβριδική", "μερική", "παρασκιώδης"},
    "ηλιακή",
    "σεληνιακή",
    {"Ημερομηνία", "Φάση", "Μοίρα", "Οίκος", "Όψεις"},
    {"Μέγιστη φάση", "Έκλειψη", "Μέγεθος", "Σάρος", "Μοίρα", "Οίκος", "Αγγίζει", "Ορατότητα"},
    {"Από", "Έως", "Τελευταία όψη", "Η Σελήνη"},
    "δεν φαίνεται",
    "%s – %s, μέγιστη φάση %s, μέγεθος %s",
    "ανατολή",
    "δύση",
    "ο Ήλιος κάτω από τον ορίζοντα στη μέγιστη φάση",
    "ορατή, η Σελήνη σε ύψος %s°",
    "ορατή εν μέρει: η Σελήνη δύει σε έκλειψη στις %s (μέγεθος %s)",
    "ορατή εν μέρει: η Σελήνη ανατέλλει σε έκλειψη στις %s (μέγεθος %s)",
    "Καμία.",
    "Με το όνομα ενός χάρτη η αναφορά δίνει και τον γενέθλιο οίκο κάθε φάσης και έκλειψης, "
    "τα σημεία που αγγίζει και την ερμηνεία.",
    "Υπολογισμένο από το Orvenda."};

// "%s" in a form filled, in order.
std::string fill(const char* form, const std::vector<std::string>& values) {
  std::string s;
  std::size_t v = 0;
  for (const char* c = form; *c; ++c) {
    if (c[0] == '%' && c[1] == 's') {
      if (v < values.size()) s += values[v++];
      ++c;
    } else {
      s += *c;
    }
  }
  return s;
}

const char* kPhaseGlyphs[4] = {"●", "◐", "○", "◑"};

int kindIndex(sky::EclipseKind k) {
  switch (k) {
    case sky::EclipseKind::Total: return 0;
    case sky::EclipseKind::Annular: return 1;
    case sky::EclipseKind::Hybrid: return 2;
    case sky::EclipseKind::Partial: return 3;
    case sky::EclipseKind::Penumbral: return 4;
  }
  return 3;
}

// The page's own beside the shared styles: each month's table the same columns as the next.
const char* kStyle =
    ".wheel { display: block; width: 100%; max-width: 170mm; height: auto; margin: 0 auto; }\n"
    "table.months { width: 100%; table-layout: fixed; }\n"
    ".pos { white-space: nowrap; }\n"
    "col.when { width: 12em; } col.phase { width: 10.5em; } col.degree { width: 10em; } "
    "col.house { width: 4em; } col.from { width: 10.5em; }\n"
    // In a narrow window the dates and degrees take two lines, leaving the aspects room.
    "@media screen and (max-width: 60em) { col.when { width: 8em; } col.phase { width: 9.5em; } "
    "col.degree { width: 7.5em; } col.house { width: 3.5em; } "
    "table.lunations td.date, table.lunations td.pos { white-space: normal; } }\n"
    "h3.month { margin: .8em 0 .2em; font-size: 1em; }\n"
    "tr.read td:nth-child(-n+3) { font-weight: bold; }\n"
    "table.eclipses { font-size: .92em; }\n"
    "@media print { .wheel { width: 130mm; } table { font-size: 8.5pt; } }\n";

class Page {
 public:
  Page(const Sky& r, const Words& w) : r_(r), w_(w), g_(r.greek) {}

  std::string html(const reading::Reading& reading) const {
    const std::string title = std::string(w_.title) + (r_.name.empty() ? "" : ": " + r_.name);
    std::string s = std::string("<!DOCTYPE html>\n<html lang=\"") + w_.lang +
                    "\">\n<head>\n<meta charset=\"utf-8\">\n<meta name=\"viewport\" "
                    "content=\"width=device-width\">\n<title>Orvenda: " +
                    escaped(title) + "</title>\n<style>\n" + html::periodPageStyle() + kStyle +
                    html::pageFootStyle(r_.name.empty() ? "Orvenda" : r_.name) +
                    "</style>\n</head>\n<body>\n<h1>" + escaped(title) + "</h1>\n";
    if (!r_.birthLine.empty()) s += "<p class=\"meta\">" + escaped(r_.birthLine) + "</p>\n";
    s += "<p class=\"meta\">" +
         escaped(fill(w_.period, {dayOf(r_.periodFrom), dayOf(r_.periodTo - 60)})) + " " +
         escaped(fill(w_.times, {r_.zone})) + "</p>\n";
    if (!r_.place.empty())
      s += "<p class=\"meta\">" + escaped(fill(w_.seenFrom, {r_.place})) + "</p>\n";
    if (!r_.chart) s += "<p class=\"note\">" + escaped(w_.noChart) + "</p>\n";
    if (r_.chart) s += wheel();
    if (r_.lunationsAsked) s += lunations();
    if (r_.eclipsesAsked) s += eclipses();
    if (r_.voidAsked) s += voids();
    if (!reading.chapters.empty()) s += reading::readingHtml(reading);
    s += "<p class=\"footer\">" + escaped(w_.footer) + "</p>\n</body>\n</html>\n";
    return s;
  }

 private:
  long long local(double jd) const { return r_.local(secondsOf(jd)); }
  std::string dayOf(long long ut) const { return dayText(r_.local(ut), g_); }
  std::string minute(double jd) const { return minuteText(local(jd), g_); }
  std::string clockTime(double jd) const {
    const std::string s = minute(jd);
    return s.substr(s.rfind(' ') + 1);
  }
  std::string decimal(double v, int places) const {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.*f", places, v);
    std::string s = buf;
    if (g_) std::replace(s.begin(), s.end(), '.', ',');
    return s;
  }
  std::string degree(double longitude) const { return reading::skyDegree(longitude, g_); }
  static std::string orb(double deviation) {
    const long long m = std::llround(std::fabs(deviation) * 60);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lld°%02lld′", m / 60, m % 60);
    return buf;
  }
  static std::string head(const std::vector<std::string>& heads) {
    std::string s = "<thead><tr>";
    for (const auto& h : heads) s += "<th>" + escaped(h) + "</th>";
    return s + "</tr></thead>\n";
  }
  static std::string glyph(const std::string& g) {
    return g.empty() ? "" : "<span class=\"glyph\">" + g + "</span>";
  }
  std::string house(const sky::NatalContact& c) const {
    return c.house ? std::to_string(c.house) : "–";
  }

  // ---- the wheel ------------------------------------------------------------------------

  std::string wheel() const {
    // An eclipse is a new or full moon: it takes that lunation's place on the wheel.
    auto eclipsed = [&](double jd) {
      return std::any_of(r_.eclipses.begin(), r_.eclipses.end(), [&](const Sky::EclipseRow& e) {
        return std::fabs(e.eclipse.at.maximum - jd) < 1;
      });
    };
    // A period of more than a year would crowd the ring: its first twelve months are marked.
    const long long until = r_.periodFrom + 366LL * 86400;
    const bool cut = r_.periodTo > until;
    const double untilJd = until / 86400.0 + 2440587.5;
    std::vector<natal::WheelMark> marks;
    for (const auto& row : r_.lunations) {
      const sky::Lunation& l = row.lunation;
      if (l.phase != sky::Phase::NewMoon && l.phase != sky::Phase::FullMoon) continue;
      if (l.jd >= untilJd || eclipsed(l.jd)) continue;
      const bool isNew = l.phase == sky::Phase::NewMoon;
      marks.push_back({l.longitude, isNew ? "●" : "○",
                       std::string(isNew ? w_.newMoonMark : w_.fullMoonMark) + " " + minute(l.jd) +
                           ", " + degree(l.longitude),
                       false});
    }
    for (const auto& row : r_.eclipses) {
      const sky::Eclipse& e = row.eclipse;
      if (e.at.maximum >= untilJd) continue;
      const std::string day = minute(e.at.maximum);
      // "◉6/2": the day and the month, as both languages write them short.
      using namespace std::chrono;
      const year_month_day c{floor<days>(sys_seconds{seconds{local(e.at.maximum) + 30}})};
      marks.push_back({e.longitude,
                       "◉" + std::to_string(static_cast<unsigned>(c.day())) + "/" +
                           std::to_string(static_cast<unsigned>(c.month())),
                       natal::capitalised(std::string(w_.kinds[kindIndex(e.at.kind)]) + " " +
                                          (e.solar ? w_.solar : w_.lunar) + " " + w_.eclipseMark) +
                           " " + day + ", " + degree(e.longitude),
                       true});
    }
    return "<h2>" + escaped(w_.wheel) + "</h2>\n<figure>\n" +
           html::svgImage(natal::wheelSvg(*r_.chart, g_, marks), std::string("[") + w_.wheel + "]",
                          "wheel") +
           "<figcaption>" + escaped(cut ? w_.wheelFirstYear : w_.wheelCaption) +
           "</figcaption>\n</figure>\n";
  }

  // ---- the tables -----------------------------------------------------------------------

  // Rows under their months: a heading and a table for each month, the columns the same
  // width in every month's table.
  struct MonthRows {
    std::string heading;
    std::string rows;
  };
  std::string byMonth(const std::vector<std::pair<double, std::string>>& rows,
                      const std::vector<std::string>& heads, const std::string& cols,
                      const std::string& kind) const {
    std::vector<MonthRows> months;
    for (const auto& [jd, row] : rows) {
      const std::string heading = monthHeading(local(jd), g_);
      if (months.empty() || months.back().heading != heading) months.push_back({heading, ""});
      months.back().rows += row;
    }
    std::string s;
    for (const MonthRows& m : months)
      s += "<h3 class=\"month\">" + escaped(m.heading) +
           "</h3>\n<div class=\"scroll\"><table class=\"months " + kind + "\">" + cols + "\n" +
           head(heads) + m.rows + "</table></div>\n";
    return s;
  }

  std::string aspectsOf(const sky::NatalContact& c) const {
    // Each aspect kept whole on its line, its comma with it.
    std::string s;
    for (std::size_t i = 0; i < c.aspects.size(); ++i) {
      const natal::AspectFound& a = c.aspects[i];
      s += std::string(i ? " " : "") + "<span class=\"pos\">" + glyph(natal::aspectMark(a.aspect)) +
           escaped(natal::pointWord(a.b, g_) + " " + orb(a.deviation) +
                   (i + 1 < c.aspects.size() ? "," : "")) +
           "</span>";
    }
    return s;
  }

  std::string lunations() const {
    std::string s = "<h2>" + escaped(w_.lunations) + "</h2>\n";
    if (r_.lunations.empty()) return s + "<p>" + escaped(w_.none) + "</p>\n";
    std::vector<std::pair<double, std::string>> rows;
    for (const auto& row : r_.lunations) {
      const sky::Lunation& l = row.lunation;
      const int p = static_cast<int>(l.phase);
      const bool read = l.phase == sky::Phase::NewMoon || l.phase == sky::Phase::FullMoon;
      std::string tr = std::string(read ? "<tr class=\"read\">" : "<tr>") + "<td class=\"date\">" +
                       escaped(minute(l.jd)) + "</td><td>" + glyph(kPhaseGlyphs[p]) +
                       escaped(w_.phases[p]) + "</td><td class=\"pos\">" +
                       escaped(degree(l.longitude)) + "</td>";
      if (r_.chart)
        tr += "<td class=\"num\">" + house(row.contact) + "</td><td>" + aspectsOf(row.contact) +
              "</td>";
      rows.push_back({l.jd, tr + "</tr>\n"});
    }
    if (r_.chart)
      return s + byMonth(rows,
                         {w_.lunationHeads[0], w_.lunationHeads[1], w_.lunationHeads[2],
                          w_.lunationHeads[3], w_.lunationHeads[4]},
                         "<col class=\"when\"><col class=\"phase\"><col class=\"degree\"><col "
                         "class=\"house\"><col>",
                         "lunations");
    return s + byMonth(rows, {w_.lunationHeads[0], w_.lunationHeads[1], w_.lunationHeads[2]},
                       "<col style=\"width: 34%\"><col style=\"width: 36%\"><col "
                       "style=\"width: 30%\">",
                       "phases");
  }

  std::string eclipses() const {
    std::string s = "<h2>" + escaped(w_.eclipses) + "</h2>\n";
    if (r_.eclipses.empty()) return s + "<p>" + escaped(w_.none) + "</p>\n";
    std::vector<std::string> heads = {w_.eclipseHeads[0], w_.eclipseHeads[1], w_.eclipseHeads[2],
                                      w_.eclipseHeads[3], w_.eclipseHeads[4]};
    if (r_.chart) heads.insert(heads.end(), {w_.eclipseHeads[5], w_.eclipseHeads[6]});
    if (!r_.place.empty()) heads.push_back(w_.eclipseHeads[7]);
    s += "<div class=\"scroll\"><table class=\"eclipses\">\n" + head(heads);
    for (const auto& row : r_.eclipses) {
      const sky::Eclipse& e = row.eclipse;
      s += "<tr><td class=\"date\">" + escaped(minute(e.at.maximum)) + "</td><td>" +
           escaped(natal::capitalised(std::string(w_.kinds[kindIndex(e.at.kind)]) + " " +
                                      (e.solar ? w_.solar : w_.lunar))) +
           "</td><td class=\"num\">" +
           // A penumbral eclipse has no umbral magnitude to give.
           (e.at.kind == sky::EclipseKind::Penumbral ? std::string("–")
                                                     : decimal(std::max(e.at.magnitude, 0.0), 4)) +
           "</td><td class=\"num\">" + std::to_string(e.at.saros) + "/" +
           std::to_string(e.at.sarosMember) + "</td><td class=\"pos\">" +
           escaped(degree(e.longitude)) + "</td>";
      if (r_.chart) {
        std::string touches;
        const auto& touched = row.contact.aspects;
        for (std::size_t i = 0; i < touched.size(); ++i)
          // The conjunction's and the opposition's marks, as the aspects of a lunation.
          touches += std::string(i ? " " : "") + "<span class=\"pos\">" +
                     glyph(natal::aspectMark(touched[i].aspect == 0 ? 0 : 1)) +
                     escaped(natal::pointWord(touched[i].b, g_) + " " + orb(touched[i].deviation) +
                             (i + 1 < touched.size() ? "," : "")) +
                     "</span>";
        s += "<td class=\"num\">" + house(row.contact) + "</td><td>" + touches + "</td>";
      }
      if (!r_.place.empty()) s += "<td>" + escaped(seen(row)) + "</td>";
      s += "</tr>\n";
    }
    return s + "</table></div>\n";
  }

  std::string seen(const Sky::EclipseRow& row) const {
    if (!row.seen || !row.seen->visible) return w_.notSeen;
    const sky::EclipseSeen& v = *row.seen;
    if (!row.eclipse.solar && v.lunarInPart())
      return fill(v.maximum < row.eclipse.at.maximum ? w_.moonSetsEclipsed : w_.moonRisesEclipsed,
                  {clockTime(v.maximum), decimal(std::max(v.magnitude, 0.0), 4)});
    if (!row.eclipse.solar) return fill(w_.seenLunar, {decimal(v.altitude, 0)});
    std::string s = fill(w_.seenSolar, {v.begins > 0 ? clockTime(v.begins) : w_.eclipsedRising,
                                        v.ends > 0 ? clockTime(v.ends) : w_.eclipsedSetting,
                                        clockTime(v.maximum), decimal(v.magnitude, 4)});
    if (!v.maximumVisible) s += std::string(", ") + w_.sunSet;
    return s;
  }

  std::string voids() const {
    std::string s = "<h2>" + escaped(w_.voids) + "</h2>\n";
    if (r_.voids.empty()) return s + "<p>" + escaped(w_.none) + "</p>\n";
    // A long period's stretches would fill pages: those of its first three months are listed.
    std::vector<std::pair<double, std::string>> rows;
    std::vector<std::string> months;
    bool cut = false;
    const double fromJd = r_.periodFrom / 86400.0 + 2440587.5;
    for (const sky::VoidStretch& v : r_.voids) {
      // A stretch the period opens in stands under its first month.
      const double at = std::max(v.begins, fromJd);
      const std::string month = monthHeading(local(at), g_);
      if (months.empty() || months.back() != month) {
        if (months.size() == 3) {
          cut = true;
          break;
        }
        months.push_back(month);
      }
      rows.push_back(
          {at, "<tr><td class=\"date\">" + escaped(minute(v.begins)) + "</td><td class=\"date\">" +
                   escaped(minute(v.ends)) + "</td><td>" + glyph(natal::aspectMark(v.aspect)) +
                   escaped(natal::aspectWord(v.aspect, g_) + " " + natal::pointWord(v.body, g_)) +
                   "</td><td>" +
                   escaped(natal::signName(v.sign, g_) + " → " +
                           natal::signName((v.sign + 1) % 12, g_)) +
                   "</td></tr>\n"});
    }
    if (cut)
      s += "<p class=\"note\">" + escaped(fill(w_.voidsCut, {std::to_string(r_.voids.size())})) +
           "</p>\n";
    return s + byMonth(rows, {w_.voidHeads[0], w_.voidHeads[1], w_.voidHeads[2], w_.voidHeads[3]},
                       "<col class=\"from\"><col class=\"from\"><col><col>", "voids");
  }

  const Sky& r_;
  const Words& w_;
  bool g_;
};

}  // namespace

std::string skyReportHtml(const Sky& report, const reading::Reading& reading) {
  return Page(report, report.greek ? kGreek : kEnglish).html(reading);
}

}  // namespace orvenda::report
