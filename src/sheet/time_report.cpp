// The transits in words and pictures. The program's own words never inflect a name: in
// Greek a name stands as a subject, after a colon or in a list, and the events are told
// in nouns and in verbs whose subject is the transit.
#include "sheet/time_report.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>

#include "natal/names.h"
#include "natal/wheel.h"
#include "sheet/html.h"
#include "sheet/reading.h"
#include "sheet/wording.h"

namespace orvenda::report {
namespace {

using cycles::EventKind;
using cycles::TransitEvent;
using wording::fill;

struct Words {
  const char* lang;
  const char* monthsShort[12];
  const char* monthsLong[12];   // a month's heading
  const char* monthsOfDay[12];  // in a date: "14 March", "14 Μαρτίου"
  const char* enters;           // {orb}
  const char* exact;
  const char* exactOf;  // {k} {n}
  const char* leaves;
  const char* leavesForNow;  // a stretch that ends before the transit does
  const char* entersAgain;
  const char* turnsRetrograde;  // {position}
  const char* turnsDirect;      // {position}
  const char* entersSign;       // {sign}
  const char* entersHouse;      // {house ordinal}
  const char* moving_back;
  const char* title;    // {name}
  const char* period;   // {from} {to}
  const char* timesIn;  // {zone}
  const char* orbLine;  // {orb}
  const char* wheel;    // figure caption: {moment}
  const char* wheelAlt;
  const char* timeline;
  const char* timelineAlt;
  const char* legend;
  const char* list;
  const char* reading;
  const char* none;
  const char* exactOn;     // {dates}
  const char* within;      // {stretches}
  const char* natures[4];  // groups of transits read under a general sense
  const char* slowNatures[4];
  const char* missingOne;
  const char* missingMany;
  const char* footer;
  const char* and_;
  const char* order;  // which name of a transit is which
  const char* transitColumn;
  const char* withinColumn;
  const char* exactColumn;
  const char* noExact;
  const char* fastUnlisted;  // {bodies} {count}
  const char* stations;
  const char* separator;        // between the items of a list: "; ", Greek's "· "
  const char* phases[4];        // new moon, first quarter, full moon, last quarter
  const char* eclipseKinds[5];  // total, annular, hybrid, partial, penumbral
  const char* solarEclipse;     // {kind}
  const char* lunarEclipse;     // {kind}
  const char* magnitude;        // {figure}
  const char* saros;            // {series} {member}
  const char* natalHouse;       // {house}
  const char* natalPoint;       // {point}
  const char* skyRow;           // the timeline's row of lunations and eclipses
  const char* skyLegend;
  const char* skyTable;
  const char* skyNone;
};

constexpr Words kEnglish = {
    "en",
    {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},
    {"January", "February", "March", "April", "May", "June", "July", "August", "September",
     "October", "November", "December"},
    {"January", "February", "March", "April", "May", "June", "July", "August", "September",
     "October", "November", "December"},
    "enters the orb ({})",
    "exact",
    "exact ({} of {})",
    "leaves the orb",
    "leaves the orb for now",
    "enters the orb again",
    "turns retrograde at {}",
    "turns direct at {}",
    "enters {}",
    "enters the {} house",
    ", moving back",
    "Transits: {}",
    "From {} to {}.",
    "Times are local to {}.",
    "A transit is read while it is within {} of exact.",
    "The natal chart inside; outside, the sky at {}. The lines join the transits within the orb.",
    "Natal chart and transits",
    "Timeline of the slow planets' transits",
    "Timeline",
    "Each bar is a transit within the orb, darker as it comes closer to exact; a diamond marks "
    "each exact instant and a red band the stretches when the planet is retrograde.",
    "The transits of the period",
    "The transits read",
    "No transit within the orb in this period.",
    "Exact: {}.",
    "Within the orb: {}.",
    {"Brief conjunctions", "Brief harmonious contacts", "Brief challenging contacts",
     "Minor aspects"},
    {"Conjunctions of the slow planets", "Harmonious contacts of the slow planets",
     "Challenging contacts of the slow planets", "Minor aspects of the slow planets"},
    "1 transit has no text in this set: {}.",
    "{} transits have no text in this set: {}.",
    "Written by orvenda-chart. Positions: the Swiss Ephemeris, tropical zodiac, geocentric, "
    "apparent.",
    " and ",
    "The transiting planet first, then the natal point.",
    "Transit",
    "Within the orb",
    "Exact",
    "not exact in this stretch",
    "The {2} brief transits of {1} in this period, each within the orb for a day or a few "
    "days, are not listed or read here one by one: transits with --bodies fast, or over a "
    "month or less, lists them.",
    "Stations and ingresses",
    "; ",
    {"New moon", "First quarter", "Full moon", "Last quarter"},
    {"Total", "Annular", "Hybrid", "Partial", "Penumbral"},
    "{} solar eclipse",
    "{} lunar eclipse",
    "magnitude {}",
    "Saros {}/{}",
    "natal house {}",
    "natal {}",
    "Lunations and eclipses",
    "On the top row the lunations: ● new moon, ◐ first quarter, ○ full moon, ◑ last quarter; "
    "a dark disc ringed in red is a solar eclipse, a red disc a lunar one.",
    "The sky",
    "No lunation or eclipse in this period.",
};

constexpr Words kGreek = {
    "el",
    {"Ιαν", "Φεβ", "Μαρ", "Απρ", "Μαΐ", "Ιουν", "Ιουλ", "Αυγ", "Σεπ", "Οκτ", "Νοε", "Δεκ"},
    {"Ιανουάριος", "Φεβρουάριος", "Μάρτιος", "Απρίλιος", "Μάιος", "Ιούνιος", "Ιούλιος", "Αύγουστος",
     "Σεπτέμβριος", "Οκτώβριος", "Νοέμβριος", "Δεκέμβριος"},
    {"Ιανουαρίου", "Φεβρουαρίου", "Μαρτίου", "Απριλίου", "Μαΐου", "Ιουνίου", "Ιουλίου", "Αυγούστου",
     "Σεπτεμβρίου", "Οκτωβρίου", "Νοεμβρίου", "Δεκεμβρίου"},
    "έρχεται εντός ανοχής ({})",
    "ακριβής",
    "ακριβής ({}η φορά από {})",
    "βγαίνει εκτός ανοχής",
    "βγαίνει προσωρινά εκτός ανοχής",
    "επιστρέφει εντός ανοχής",
    "στάση, ξεκινά ανάδρομη πορεία: {}",
    "στάση, ξεκινά ορθόδρομη πορεία: {}",
    "είσοδος στο ζώδιο: {}",
    "είσοδος στον {} οίκο",
    " (σε ανάδρομη πορεία)",
    "Διελεύσεις: {}",
    "Από {} έως {}.",
    "Ζώνη ώρας: {}.",
    "Μια διέλευση θεωρείται ενεργή όσο απέχει έως {} από την ακριβή όψη.",
    "Μέσα ο γενέθλιος χάρτης· γύρω του οι διερχόμενοι πλανήτες ({}). Οι γραμμές δείχνουν τις "
    "διελεύσεις που "
    "βρίσκονται εντός ανοχής.",
    "Γενέθλιος χάρτης και διελεύσεις",
    "Χρονολόγιο διελεύσεων των αργοκίνητων πλανητών",
    "Χρονολόγιο",
    "Κάθε λωρίδα δείχνει μια διέλευση όσο είναι εντός ανοχής και σκουραίνει όσο πλησιάζει η "
    "ακριβής όψη· ο "
    "ρόμβος σημειώνει κάθε ακριβή όψη και η κόκκινη ταινία τις περιόδους ανάδρομης πορείας.",
    "Οι διελεύσεις του διαστήματος",
    "Η ερμηνεία των διελεύσεων",
    "Καμία διέλευση εντός ανοχής σε αυτό το διάστημα.",
    "Ακριβής: {}.",
    "Εντός ανοχής: {}.",
    {"Σύντομες σύνοδοι", "Σύντομες αρμονικές επαφές", "Σύντομες δύσκολες επαφές",
     "Σύντομες δευτερεύουσες όψεις"},
    {"Σύνοδοι των αργοκίνητων πλανητών", "Αρμονικές επαφές των αργοκίνητων πλανητών",
     "Δύσκολες επαφές των αργοκίνητων πλανητών", "Δευτερεύουσες όψεις των αργοκίνητων πλανητών"},
    "1 διέλευση δεν έχει κείμενο σε αυτή τη συλλογή: {}.",
    "{} διελεύσεις δεν έχουν κείμενο σε αυτή τη συλλογή: {}.",
    "Δημιουργήθηκε με το orvenda-chart. Θέσεις γεωκεντρικές, φαινόμενες· τροπικός ζωδιακός· "
    "εφημερίδες: Swiss Ephemeris.",
    " και ",
    "Πρώτα ο διερχόμενος πλανήτης, μετά το σημείο του γενέθλιου χάρτη.",
    "Διέλευση",
    "Εντός ανοχής",
    "Ακριβής",
    "χωρίς ακριβή όψη",
    "Οι {2} σύντομες διελεύσεις του διαστήματος (διερχόμενοι: {1}) κρατούν η καθεμιά μία ή "
    "λίγες μέρες, γι' αυτό δεν αναφέρονται ούτε ερμηνεύονται εδώ χωριστά· τις εμφανίζει η "
    "εντολή transits με --bodies fast ή για διάστημα έως έναν μήνα.",
    "Στάσεις και είσοδοι",
    "· ",
    {"Νέα Σελήνη", "Πρώτο τέταρτο", "Πανσέληνος", "Τελευταίο τέταρτο"},
    {"Ολική", "Δακτυλιοειδής", "Υβριδική", "Μερική", "Παρασκιώδης"},
    "{} έκλειψη Ηλίου",
    "{} έκλειψη Σελήνης",
    "μέγεθος {}",
    "Σάρος {}/{}",
    "στον {} οίκο",
    "{}",
    "Φάσεις της Σελήνης, εκλείψεις",
    "Στην πάνω σειρά οι φάσεις της Σελήνης: ● νέα σελήνη, ◐ πρώτο τέταρτο, ○ πανσέληνος, "
    "◑ τελευταίο τέταρτο· ο σκούρος δίσκος με κόκκινο δαχτυλίδι είναι έκλειψη Ηλίου, ο "
    "κόκκινος δίσκος έκλειψη Σελήνης.",
    "Φάσεις της Σελήνης και εκλείψεις",
    "Ούτε φάση της Σελήνης ούτε έκλειψη σε αυτό το διάστημα.",
};

const Words& wordsOf(bool greek) { return greek ? kGreek : kEnglish; }

std::string ordinal(int n, bool greek) {
  if (greek) return std::to_string(n) + "ο";
  const char* suffix = (n % 100 >= 11 && n % 100 <= 13) ? "th"
                       : n % 10 == 1                    ? "st"
                       : n % 10 == 2                    ? "nd"
                       : n % 10 == 3                    ? "rd"
                                                        : "th";
  return std::to_string(n) + suffix;
}

using html::escaped;

struct Civil {
  int year, month, day, hour, minute;
};
Civil civil(long long localSeconds) {
  using namespace std::chrono;
  const sys_seconds t{seconds{localSeconds}};
  const auto day = floor<days>(t);
  const year_month_day d{day};
  const hh_mm_ss<seconds> hms{t - day};
  return {static_cast<int>(d.year()), static_cast<int>(static_cast<unsigned>(d.month())),
          static_cast<int>(static_cast<unsigned>(d.day())), static_cast<int>(hms.hours().count()),
          static_cast<int>(hms.minutes().count())};
}

// The nearest minute, a half minute up.
long long toMinute(long long seconds) {
  return (seconds >= 0 ? (seconds + 30) / 60 : -((-seconds + 29) / 60)) * 60;
}

std::string orbText(double orb, bool greek) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g°", orb);
  std::string s = buf;
  if (greek)
    for (char& c : s)
      if (c == '.') c = ',';
  return s;
}

// "Aquarius 29°12′" in Greek (a name never after a number it would have to agree with),
// "29°12′ Aquarius" in English.
std::string positionText(double longitude, bool greek) {
  const long long s = natal::arcSecondsOf(longitude) % (30 * 3600);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%lld°%02lld′", s / 3600, s / 60 % 60);
  const std::string sign = natal::signName(natal::signOf(longitude), greek);
  return greek ? sign + " " + buf : std::string(buf) + " " + sign;
}

int natureIndex(int aspect) {
  switch (aspect) {
    case 0: return 0;
    case 3:
    case 4: return 1;
    case 1:
    case 2: return 2;
    default: return 3;
  }
}

// A key of a general sense ("transit challenging", "transit slow minor"), not of one
// transit ("transit saturn challenging sun").
bool generalKey(const std::string& key) { return std::count(key.begin(), key.end(), ' ') < 3; }

// Whether an exact instant is marked retrograde: the mean node always moves back, and a
// mark on its every instant would tell nothing.
bool retrogradeAt(const TransitEvent& e, std::size_t i) {
  return e.body != natal::kNorthNode && i < e.exactRetrograde.size() && e.exactRetrograde[i];
}

}  // namespace

long long secondsOf(double jd) { return std::llround((jd - 2440587.5) * 86400.0); }

std::string minuteText(long long localSeconds, bool greek) {
  const Civil c = civil(toMinute(localSeconds));
  char buf[64];
  std::snprintf(buf, sizeof buf, "%d %s %04d %02d:%02d", c.day,
                wordsOf(greek).monthsShort[c.month - 1], c.year, c.hour, c.minute);
  return buf;
}

std::string dayText(long long localSeconds, bool greek) {
  const Civil c = civil(localSeconds);
  return std::to_string(c.day) + " " + wordsOf(greek).monthsOfDay[c.month - 1] + " " +
         std::to_string(c.year);
}

std::string monthHeading(long long localSeconds, bool greek) {
  const Civil c = civil(localSeconds);
  return std::string(wordsOf(greek).monthsLong[c.month - 1]) + " " + std::to_string(c.year);
}

std::string transitName(int body, int aspect, int natal, bool greek) {
  // A glyph where the aspect has a classical one, its name where it has none.
  const std::string how =
      aspect <= 8 ? natal::aspectMark(aspect) : natal::aspectWord(aspect, greek);
  return natal::pointWord(body, greek) + " " + how + " " + natal::pointWord(natal, greek);
}

std::string skyKindKey(SkyKind kind) {
  switch (kind) {
    case SkyKind::NewMoon: return "new moon";
    case SkyKind::FirstQuarter: return "first quarter";
    case SkyKind::FullMoon: return "full moon";
    case SkyKind::LastQuarter: return "last quarter";
    case SkyKind::SolarEclipse: return "solar eclipse";
    case SkyKind::LunarEclipse: return "lunar eclipse";
  }
  return "";
}

std::string skyLine(const SkyMoment& m, bool greek) {
  const Words& w = wordsOf(greek);
  const bool eclipse = m.kind == SkyKind::SolarEclipse || m.kind == SkyKind::LunarEclipse;
  // The degree to the nearest minute, 29°59.6′ of a sign staying in it.
  const long long minutes =
      std::min<long long>(std::llround(natal::normalized(m.longitude) * 60),
                          static_cast<long long>(natal::signOf(m.longitude)) * 1800 + 1799);
  char degree[32];
  std::snprintf(degree, sizeof degree, "%lld°%02lld′", minutes / 60 % 30, minutes % 60);
  const std::string sign = natal::signName(static_cast<int>(minutes / 1800 % 12), greek);
  const std::string position = greek ? sign + " " + degree : std::string(degree) + " " + sign;
  std::string s = eclipse ? fill(m.kind == SkyKind::SolarEclipse ? w.solarEclipse : w.lunarEclipse,
                                 {w.eclipseKinds[static_cast<int>(m.eclipse)]})
                          : std::string(w.phases[static_cast<int>(m.kind)]);
  s += " " + position;
  // Greek runs the house on from the degree, "Ιχθύες 17°35′ στον 10ο οίκο".
  if (m.house)
    s += greek ? " " + fill(w.natalHouse, {ordinal(m.house, true)})
               : ", " + fill(w.natalHouse, {std::to_string(m.house)});
  for (const natal::AspectFound& a : m.contacts) {
    const long long orb = std::llround(std::fabs(a.deviation) * 60);
    char o[32];
    std::snprintf(o, sizeof o, " %lld°%02lld′", orb / 60, orb % 60);
    const std::string how =
        a.aspect <= 8 ? natal::aspectMark(a.aspect) : natal::aspectWord(a.aspect, greek);
    s += ", " + how + " " + fill(w.natalPoint, {natal::pointWord(a.b, greek)}) + o;
  }
  // An eclipse's figures last: what it touches in the chart matters first.
  if (eclipse) {
    char figure[32];
    std::snprintf(figure, sizeof figure, "%.4f", std::max(m.magnitude, 0.0));
    std::string f = figure;
    if (greek) std::replace(f.begin(), f.end(), '.', ',');
    s += " (" + fill(w.magnitude, {f}) + ", " +
         fill(w.saros, {std::to_string(m.saros), std::to_string(m.sarosMember)}) + ")";
  }
  return s;
}

std::vector<TimedLine> eventLines(const TransitEvent& e, double orb, bool greek, long long from,
                                  long long to) {
  const Words& w = wordsOf(greek);
  std::vector<TimedLine> lines;
  auto add = [&](double jd, const std::string& text) {
    const long long at = secondsOf(jd);
    if (at >= from && at < to) lines.push_back({at, text});
  };
  const std::string body = natal::pointWord(e.body, greek);
  // The mean node always moves back: saying so of its every ingress tells nothing.
  const char* back = e.retrograde && e.body != natal::kNorthNode ? w.moving_back : "";
  switch (e.kind) {
    case EventKind::Aspect: {
      const std::string name = transitName(e.body, e.aspect, e.natal, greek);
      // Every stretch in the orb: a body that turns back short of exact leaves the orb and
      // comes in again, and each of those is its own line.
      for (std::size_t i = 0; i < e.passes.size(); ++i) {
        if (const auto in = e.passes[i].enters)
          add(*in, name + "  " + (i == 0 ? fill(w.enters, {orbText(orb, greek)}) : w.entersAgain));
        if (const auto out = e.passes[i].leaves)
          add(*out, name + "  " + (i + 1 == e.passes.size() ? w.leaves : w.leavesForNow));
      }
      for (std::size_t i = 0; i < e.exact.size(); ++i)
        add(e.exact[i],
            name + "  " +
                (e.exact.size() == 1
                     ? std::string(w.exact)
                     : fill(w.exactOf, {std::to_string(i + 1), std::to_string(e.exact.size())})) +
                (retrogradeAt(e, i) ? " ℞" : ""));
      break;
    }
    case EventKind::Station:
      add(e.at, body + "  " +
                    fill(e.retrograde ? w.turnsRetrograde : w.turnsDirect,
                         {positionText(e.longitude, greek)}));
      break;
    case EventKind::Sign:
      add(e.at, body + "  " + fill(w.entersSign, {natal::signName(e.sign, greek)}) + back);
      break;
    case EventKind::House:
      add(e.at, body + "  " + fill(w.entersHouse, {ordinal(e.house, greek)}) + back);
      break;
  }
  std::stable_sort(lines.begin(), lines.end(),
                   [](const TimedLine& a, const TimedLine& b) { return a.at < b.at; });
  return lines;
}

bool slowBody(int body) { return body >= 5 && body <= natal::kChiron; }
bool fastBody(int body) { return body >= natal::kSun && body <= 4; }

std::vector<std::string> transitKeys(int body, int aspect, int natal) {
  std::vector<std::string> keys = wording::aspectKeys("transit", body, aspect, natal);
  // A slow planet's contact lasts months: read by a general text of its own speed.
  if (slowBody(body))
    keys.insert(keys.end() - 1, std::string("transit slow ") + wording::aspectNature(aspect));
  return keys;
}

bool onTimeline(int body) { return slowBody(body); }

bool inOrbAt(const TransitEvent& e, double jd) {
  if (e.kind != EventKind::Aspect) return false;
  for (const auto& p : e.passes)
    if ((!p.enters || *p.enters < jd) && (!p.leaves || *p.leaves >= jd)) return true;
  return false;
}

TransitSpan transitSpan(const TransitEvent& e, const LocalClock& local, bool greek) {
  const Words& w = wordsOf(greek);
  TransitSpan span;
  span.name = transitName(e.body, e.aspect, e.natal, greek);
  auto civilOf = [&](double jd) { return civil(toMinute(local(secondsOf(jd)))); };
  auto day = [&](const Civil& c, bool withYear) {
    std::string s = std::to_string(c.day) + " " + w.monthsShort[c.month - 1];
    return withYear ? s + " " + std::to_string(c.year) : s;
  };
  // Each year written once where it can be: after the last date of a run of dates in it.
  // Where every date of the transit is in one year, only at the end of its stretches.
  std::set<int> years;
  for (const auto& p : e.passes)
    for (const auto& t : {p.enters, p.leaves})
      if (t) years.insert(civilOf(*t).year);
  for (double x : e.exact) years.insert(civilOf(x).year);
  const bool oneYear = years.size() <= 1;
  for (std::size_t i = 0; i < e.passes.size(); ++i) {
    const auto& p = e.passes[i];
    const bool last = i + 1 == e.passes.size();
    std::string in = "…", out = "…";
    if (p.enters && p.leaves) {
      const Civil a = civilOf(*p.enters), b = civilOf(*p.leaves);
      in = day(a, !oneYear && a.year != b.year);
      out = day(b, !oneYear || last);
    } else {
      if (p.enters) in = day(civilOf(*p.enters), true);
      if (p.leaves) out = day(civilOf(*p.leaves), true);
    }
    span.stretches += (i ? ", " : "") + in + " – " + out;
  }
  for (std::size_t i = 0; i < e.exact.size(); ++i) {
    const Civil c = civilOf(e.exact[i]);
    const bool yearEnds =
        !oneYear && (i + 1 == e.exact.size() || civilOf(e.exact[i + 1]).year != c.year);
    span.exact += (i ? ", " : std::string(w.exact) + " ") + day(c, yearEnds) +
                  (retrogradeAt(e, i) ? " ℞" : "");
  }
  return span;
}

// ---- the report ------------------------------------------------------------------------

namespace {

const char* kReportStyle =
    "body { font-family: \"DejaVu Serif\", Georgia, serif; margin: 1.5em auto; max-width: 62em; "
    "padding: 0 1em; color: #000; background: #fff; line-height: 1.4; }\n"
    "h1 { font-size: 1.5em; margin: 0 0 .4em; border-bottom: 1px solid #000; }\n"
    "h2 { font-size: 1.2em; margin: 1.4em 0 .5em; }\n"
    "h3 { font-size: 1em; margin: 1em 0 .2em; }\n"
    "p { margin: 0 0 .5em; }\n"
    ".meta { margin: 0; }\n"
    "figure { margin: 1em 0; }\n"
    "figcaption { font-size: .9em; font-style: italic; }\n"
    ".biwheel { display: block; width: 100%; max-width: 170mm; height: auto; margin: 0 auto; }\n"
    ".timeline { display: block; width: 100%; height: auto; }\n"
    "table.events { border-collapse: collapse; width: 100%; }\n"
    ".events td { padding: .1em .8em .1em 0; vertical-align: top; border-bottom: 1px solid #eee; "
    "}\n"
    ".events td.when { white-space: nowrap; font-variant-numeric: tabular-nums; width: 11em; }\n"
    ".events th { text-align: left; padding-top: .8em; border-bottom: 1px solid #000; }\n"
    // Fixed columns: both engines lay a long list of stretches out alike, wrapped within its
    // column rather than pushing the exact days off the page.
    "table.transits { table-layout: fixed; }\n"
    ".transits col.name { width: 27%; } .transits col.stretches { width: 45%; }\n"
    ".nb { white-space: nowrap; }\n"
    ".rx { font-family: \"DejaVu Sans\", sans-serif; }\n"
    ".transits + .note { margin-top: .6em; }\n"
    ".lead { font-style: italic; }\n"
    ".note { font-style: italic; }\n"
    "p.footer { font-size: .8em; margin-top: 2em; }\n"
    "@media print { body { margin: 0; padding: 0; max-width: none; font-size: 9.5pt; } "
    "h1 { font-size: 14pt; } h2 { font-size: 11pt; break-after: avoid; } "
    "h3 { font-size: 9.5pt; break-after: avoid; } "
    ".biwheel { width: 150mm; } figure { break-inside: avoid; } "
    // A year's timeline is taller than a page is wide: drawn smaller so that it, its
    // heading and its legend share one page, rather than the heading standing alone.
    ".timeline { width: auto; max-width: 100%; max-height: 215mm; margin: 0 auto; } "
    ".events tr { break-inside: avoid; } .events th { break-after: avoid; } "
    ".reading { break-before: page; } p { orphans: 3; widows: 3; } "
    // The list of a year's transits in a smaller type, its note kept with the table.
    "table.transits { font-size: 8.5pt; } h2 + p.note { break-after: avoid; } }\n";

std::string num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", v);
  return buf;
}

class ReportWriter {
 public:
  explicit ReportWriter(const TransitReport& r) : r_(r), w_(wordsOf(r.greek)) {}

  std::string html() {
    const std::string name = escaped(r_.chartName);
    std::string s = std::string("<!DOCTYPE html>\n<html lang=\"") + w_.lang +
                    "\">\n<head>\n<meta charset=\"utf-8\">\n<meta name=\"viewport\" "
                    "content=\"width=device-width\">\n<title>Orvenda: " +
                    escaped(fill(w_.title, {r_.chartName})) + "</title>\n<style>\n" + kReportStyle +
                    html::pageFootStyle(r_.chartName) + "</style>\n</head>\n<body>\n<h1>" +
                    escaped(fill(w_.title, {r_.chartName})) + "</h1>\n";
    s += "<p class=\"meta\">" + escaped(natal::capitalised(r_.birthLine)) + "</p>\n";
    s += "<p class=\"meta\">" +
         escaped(fill(w_.period, {dayText(r_.local(r_.from), r_.greek),
                                  dayText(r_.local(r_.to - 1), r_.greek)})) +
         " " + escaped(fill(w_.timesIn, {r_.zone})) + " " +
         escaped(fill(w_.orbLine, {orbText(r_.orb, r_.greek)})) + "</p>\n";
    for (const auto& n : r_.notes) s += "<p class=\"note\">" + escaped(n) + "</p>\n";
    if (r_.natal && r_.sky) {
      natal::OuterRing ring{r_.sky, r_.skyAspects};
      s += "<figure>\n" +
           html::svgImage(natal::biwheelSvg(*r_.natal, ring, r_.greek),
                          std::string("[") + w_.wheelAlt + "]", "biwheel") +
           "<figcaption>" + escaped(fill(w_.wheel, {minuteText(r_.local(r_.from), r_.greek)})) +
           "</figcaption>\n</figure>\n";
    }
    s += timeline();
    s += list();
    s += readingSection();
    s += "<p class=\"footer\">" + escaped(w_.footer) + "</p>\n</body>\n</html>\n";
    (void)name;
    return s;
  }

 private:
  const TransitReport& r_;
  const Words& w_;

  std::string when(double jd) const { return minuteText(r_.local(secondsOf(jd)), r_.greek); }
  std::string dayOf(double jd) const { return dayText(r_.local(secondsOf(jd)), r_.greek); }

  // ---- the timeline ----

  std::string timeline() const {
    std::vector<const TransitEvent*> rows;
    for (const auto& e : r_.events)
      if (e.kind == EventKind::Aspect && onTimeline(e.body)) rows.push_back(&e);
    // The lunations and eclipses, asked for, on a row of their own above the transits.
    const std::size_t skyRows = r_.withSky && !r_.skyMoments.empty() ? 1 : 0;
    if (rows.empty() && !skyRows) return "";
    constexpr double kWidth = 1000, kLabel = 262, kRight = 990, kTop = 40, kRow = 20;
    const double height = kTop + static_cast<double>(rows.size() + skyRows) * kRow + 12;
    const double from = static_cast<double>(r_.from), to = static_cast<double>(r_.to);
    auto x = [&](double jd) {
      const double t = std::clamp(static_cast<double>(secondsOf(jd)), from, to);
      return kLabel + (t - from) / (to - from) * (kRight - kLabel);
    };
    const std::string font = "font-family='DejaVu Sans, sans-serif'";
    std::string svg = "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 " + num(kWidth) + " " +
                      num(height) + "' width='" + num(kWidth) + "' height='" + num(height) + "'>";
    svg += "<rect width='100%' height='100%' fill='white'/>";
    // Months ruled across, named above: every month where there is room, else each year.
    std::vector<std::pair<long long, Civil>> months;
    {
      Civil c = civil(r_.local(r_.from));
      c.day = 1, c.hour = 0, c.minute = 0;
      for (int guard = 0; guard < 2400; ++guard) {
        using namespace std::chrono;
        const auto local = sys_days{year{c.year} / c.month / 1}.time_since_epoch();
        const long long localSeconds = duration_cast<seconds>(local).count();
        // The universal instant of that local midnight, near enough for a rule.
        const long long ut = localSeconds - (r_.local(localSeconds) - localSeconds);
        if (ut >= r_.to) break;
        if (ut > r_.from) months.push_back({ut, c});
        if (++c.month == 13) c.month = 1, ++c.year;
      }
    }
    const double monthWidth = (kRight - kLabel) * 30.4 * 86400 / (to - from);
    for (const auto& [ut, c] : months) {
      const double mx = kLabel + (static_cast<double>(ut) - from) / (to - from) * (kRight - kLabel);
      const bool year = c.month == 1;
      svg += "<line x1='" + num(mx) + "' y1='" + num(kTop - 8) + "' x2='" + num(mx) + "' y2='" +
             num(height - 8) + "' stroke='" + (year ? "#888" : "#ddd") + "' stroke-width='" +
             (year ? "1" : "0.6") + "'/>";
      if (monthWidth >= 30)
        svg += "<text x='" + num(mx + 3) + "' y='" + num(kTop - 14) + "' " + font +
               " font-size='10' fill='#555'>" + w_.monthsShort[c.month - 1] + "</text>";
      if (year || monthWidth < 30)
        if (year)
          svg += "<text x='" + num(mx + 3) + "' y='" + num(kTop - 26) + "' " + font +
                 " font-size='10' font-weight='bold' fill='#333'>" + std::to_string(c.year) +
                 "</text>";
    }
    {
      const Civil c = civil(r_.local(r_.from));
      svg += "<text x='" + num(kLabel + 3) + "' y='" + num(kTop - 26) + "' " + font +
             " font-size='10' font-weight='bold' fill='#333'>" + std::to_string(c.year) + "</text>";
    }
    if (skyRows) svg += skyRow(kTop, font, x);
    // Where each slow body is retrograde within the period.
    std::map<int, std::vector<std::pair<double, double>>> retro;
    for (const TransitEvent* e : rows) retro.emplace(e->body, retrogradeStretches(e->body));
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const TransitEvent& e = *rows[i];
      const double y = kTop + static_cast<double>(i + skyRows) * kRow;
      svg += "<text x='6' y='" + num(y + 10) + "' " + font +
             " font-size='11' dominant-baseline='central'>" +
             escaped(transitName(e.body, e.aspect, e.natal, r_.greek)) + "</text>";
      double first = 1e300, last = -1e300;
      for (const auto& p : e.passes) {
        first = std::min(first, p.enters ? *p.enters : -1e300);
        last = std::max(last, p.leaves ? *p.leaves : 1e300);
      }
      // Shaded by closeness: each stretch between two samples of the profile.
      for (std::size_t k = 0; k + 1 < e.closeness.size(); ++k) {
        const auto& [t0, c0] = e.closeness[k];
        const auto& [t1, c1] = e.closeness[k + 1];
        if (!insidePass(e, (t0 + t1) / 2)) continue;
        const double x0 = x(t0), x1 = x(t1);
        if (x1 - x0 <= 0) continue;
        svg += "<rect x='" + num(x0) + "' y='" + num(y + 4) + "' width='" + num(x1 - x0 + 0.3) +
               "' height='11' fill='#1f4e8c' fill-opacity='" + num(0.12 + 0.88 * (c0 + c1) / 2) +
               "'/>";
      }
      for (const auto& [r0, r1] : retro[e.body]) {
        const double a = std::max(r0, first), b = std::min(r1, last);
        if (b <= a) continue;
        svg += "<rect x='" + num(x(a)) + "' y='" + num(y + 16) + "' width='" + num(x(b) - x(a)) +
               "' height='2.5' fill='#c0392b'/>";
      }
      for (double t : e.exact) {
        const long long at = secondsOf(t);
        if (at < r_.from || at >= r_.to) continue;
        const double ex = x(t), ey = y + 9.5;
        svg += "<polygon points='" + num(ex) + "," + num(ey - 6) + " " + num(ex + 4) + "," +
               num(ey) + " " + num(ex) + "," + num(ey + 6) + " " + num(ex - 4) + "," + num(ey) +
               "' fill='#c0392b' stroke='white' stroke-width='0.6'/>";
      }
    }
    svg += "</svg>";
    return "<h2>" + escaped(w_.timeline) + "</h2>\n<figure>\n" +
           html::svgImage(svg, std::string("[") + w_.timelineAlt + "]", "timeline") +
           "<figcaption>" + escaped(rows.empty() ? "" : w_.legend) +
           (skyRows ? escaped(std::string(rows.empty() ? "" : " ") + w_.skyLegend) : "") +
           "</figcaption>\n</figure>\n";
  }

  // The row of the lunations and eclipses: a new moon dark, a full moon light, a quarter
  // half of each; an eclipse larger, over its lunation, a solar one dark in a red ring, a
  // lunar one red.
  template <typename X>
  std::string skyRow(double y, const std::string& font, const X& x) const {
    std::string svg = "<text x='6' y='" + num(y + 10) + "' " + font +
                      " font-size='11' font-style='italic' dominant-baseline='central'>" +
                      escaped(w_.skyRow) + "</text>";
    const double cy = y + 9.5;
    auto julianDay = [](long long s) { return static_cast<double>(s) / 86400.0 + 2440587.5; };
    // The eclipses after the lunations: over the new or full moon of their hour.
    std::vector<const SkyMoment*> marks;
    for (const SkyMoment& m : r_.skyMoments)
      if (m.at >= r_.from && m.at < r_.to) marks.push_back(&m);
    std::stable_partition(marks.begin(), marks.end(), [](const SkyMoment* m) {
      return m->kind != SkyKind::SolarEclipse && m->kind != SkyKind::LunarEclipse;
    });
    for (const SkyMoment* mark : marks) {
      const SkyMoment& m = *mark;
      const double cx = x(julianDay(m.at));
      const std::string c = "cx='" + num(cx) + "' cy='" + num(cy) + "'";
      switch (m.kind) {
        case SkyKind::NewMoon:
          svg += "<circle " + c + " r='4' fill='#222' stroke='#222' stroke-width='0.8'/>";
          break;
        case SkyKind::FullMoon:
          svg += "<circle " + c + " r='4' fill='white' stroke='#222' stroke-width='0.8'/>";
          break;
        case SkyKind::FirstQuarter:
        case SkyKind::LastQuarter: {
          // The dark half: the left one at the first quarter, the right one at the last.
          const bool left = m.kind == SkyKind::FirstQuarter;
          svg += "<circle " + c + " r='4' fill='white' stroke='#222' stroke-width='0.8'/>";
          svg += "<path d='M" + num(cx) + "," + num(cy - 4) + " A4,4 0 0 " + (left ? "0" : "1") +
                 " " + num(cx) + "," + num(cy + 4) + " Z' fill='#222'/>";
          break;
        }
        case SkyKind::SolarEclipse:
          svg += "<circle " + c + " r='5.5' fill='#222' stroke='#c0392b' stroke-width='2.2'/>";
          break;
        case SkyKind::LunarEclipse:
          svg += "<circle " + c + " r='5.5' fill='#c0392b' stroke='#222' stroke-width='1'/>";
          break;
      }
    }
    return svg;
  }

  static bool insidePass(const TransitEvent& e, double jd) {
    for (const auto& p : e.passes)
      if ((!p.enters || *p.enters <= jd) && (!p.leaves || jd <= *p.leaves)) return true;
    return false;
  }

  // Retrograde stretches of a body within the period, from its stations and its motion at
  // the period's start.
  std::vector<std::pair<double, double>> retrogradeStretches(int body) const {
    const double start = static_cast<double>(r_.from) / 86400.0 + 2440587.5;
    const double end = static_cast<double>(r_.to) / 86400.0 + 2440587.5;
    bool retrograde = false;
    if (r_.sky)
      if (const auto* p = r_.sky->point(body)) retrograde = p->retrograde;
    std::vector<std::pair<double, double>> out;
    double since = start;
    for (const auto& e : r_.events) {
      if (e.kind != EventKind::Station || e.body != body) continue;
      if (e.retrograde) {
        since = e.at;
        retrograde = true;
      } else {
        if (retrograde) out.push_back({since, e.at});
        retrograde = false;
      }
    }
    if (retrograde) out.push_back({since, end});
    return out;
  }

  // ---- the list ----

  // A list of stretches or days, each kept on one line: "1 Mar 2026 – 17 Mar 2026" does not
  // break between its day and its month.
  // HTML text with each retrograde mark, and a comma right after it, in a font that has
  // the mark (the text's serif doesn't): its own glyph's width, not running into the comma.
  static std::string retrogradeMarked(const std::string& html) {
    const std::string mark = "℞";
    std::string s;
    std::size_t from = 0;
    for (std::size_t at; (at = html.find(mark, from)) != std::string::npos;) {
      const std::size_t end = at + mark.size() + (html.compare(at + mark.size(), 1, ",") == 0);
      s += html.substr(from, at - from) + "<span class=\"rx\">" + html.substr(at, end - at) +
           "</span>";
      from = end;
    }
    return s + html.substr(from);
  }

  static std::string unbroken(const std::string& list) {
    std::vector<std::string> items;
    for (std::size_t start = 0; start <= list.size();) {
      const std::size_t comma = std::min(list.find(", ", start), list.size());
      items.push_back(list.substr(start, comma - start));
      start = comma + 2;
    }
    std::string s;
    for (std::size_t i = 0; i < items.size(); ++i) {
      // Each item with its comma, as a reader's eye takes it; the retrograde mark in a font
      // that has it (the text's serif doesn't), so that it doesn't run into the comma.
      const std::string item = escaped(items[i]) + (i + 1 < items.size() ? "," : "");
      s += (i ? " " : "") + std::string("<span class=\"nb\">") + retrogradeMarked(item) + "</span>";
    }
    return s;
  }

  bool listed(const TransitEvent& e) const { return r_.everyFastTransit || !fastBody(e.body); }

  // One row a transit, in the order they begin; then the stations, and the ingresses of the
  // bodies listed, in time order.
  std::string list() const {
    std::string s = "<h2>" + escaped(w_.list) + "</h2>\n";
    std::vector<const TransitEvent*> transits;
    std::vector<TimedLine> moments;
    std::map<int, int> unlisted;  // fast body -> its transits not listed
    for (const auto& e : r_.events) {
      if (e.kind == EventKind::Aspect) {
        if (listed(e))
          transits.push_back(&e);
        else
          ++unlisted[e.body];
      } else if (e.kind == EventKind::Station || listed(e)) {
        for (auto& l : eventLines(e, r_.orb, r_.greek, r_.from, r_.to))
          moments.push_back(std::move(l));
      }
    }
    if (transits.empty() && moments.empty() && unlisted.empty())
      return s + "<p>" + escaped(w_.none) + "</p>\n" + skyTable();
    if (!transits.empty()) {
      s += "<p class=\"note\">" + escaped(w_.order) + "</p>\n";
      s += "<table class=\"events transits\">\n<colgroup><col class=\"name\"><col "
           "class=\"stretches\"><col></colgroup>\n<tr><th>" +
           escaped(w_.transitColumn) + "</th><th>" + escaped(w_.withinColumn) + "</th><th>" +
           escaped(w_.exactColumn) + "</th></tr>\n";
      for (const TransitEvent* e : transits) {
        TransitSpan span = transitSpan(*e, r_.local, r_.greek);
        const std::string exact = span.exact.empty()
                                      ? std::string(w_.noExact)
                                      : span.exact.substr(std::string(w_.exact).size() + 1);
        s += "<tr><td class=\"name\">" + escaped(span.name) + "</td><td>" +
             unbroken(span.stretches) + "</td><td class=\"exact\">" + unbroken(exact) +
             "</td></tr>\n";
      }
      s += "</table>\n";
    }
    if (!unlisted.empty()) {
      std::string names;
      int count = 0;
      std::size_t k = 0;
      for (const auto& [body, n] : unlisted) {
        const bool light = body == natal::kSun || body == natal::kMoon;
        names += std::string(k == 0                     ? ""
                             : k + 1 == unlisted.size() ? w_.and_
                                                        : ", ") +
                 (light && !r_.greek ? "the " : "") + natal::pointWord(body, r_.greek);
        count += n;
        ++k;
      }
      s += "<p class=\"note\">" + escaped(fill(w_.fastUnlisted, {names, std::to_string(count)})) +
           "</p>\n";
    }
    if (!moments.empty()) {
      std::stable_sort(moments.begin(), moments.end(),
                       [](const TimedLine& a, const TimedLine& b) { return a.at < b.at; });
      s += "<h3>" + escaped(w_.stations) + "</h3>\n<table class=\"events\">\n";
      for (const auto& l : moments)
        s += "<tr><td class=\"when\">" + escaped(minuteText(r_.local(l.at), r_.greek)) +
             "</td><td>" + escaped(l.text) + "</td></tr>\n";
      s += "</table>\n";
    }
    return s + skyTable();
  }

  // The period's lunations and eclipses, asked for, one a row in time order.
  std::string skyTable() const {
    if (!r_.withSky) return "";
    std::string s = "<h3>" + escaped(w_.skyTable) + "</h3>\n";
    if (r_.skyMoments.empty()) return s + "<p>" + escaped(w_.skyNone) + "</p>\n";
    s += "<table class=\"events sky\">\n";
    for (const SkyMoment& m : r_.skyMoments)
      s += "<tr><td class=\"when\">" + escaped(minuteText(r_.local(m.at), r_.greek)) + "</td><td>" +
           escaped(skyLine(m, r_.greek)) + "</td></tr>\n";
    return s + "</table>\n";
  }

  // ---- the reading ----

  std::string datesOf(const TransitEvent& e) const {
    std::vector<std::string> exact;
    for (std::size_t i = 0; i < e.exact.size(); ++i)
      exact.push_back(dayOf(e.exact[i]) + (retrogradeAt(e, i) ? " ℞" : ""));
    std::string s;
    if (!exact.empty()) {
      std::string joined;
      for (std::size_t i = 0; i < exact.size(); ++i)
        joined += (i == 0 ? "" : i + 1 == exact.size() ? w_.and_ : ", ") + exact[i];
      s = fill(w_.exactOn, {joined}) + " ";
    }
    // Each stretch within the orb: a planet that turns back short of exact leaves it and
    // comes back.
    if (!e.passes.empty()) s += fill(w_.within, {transitSpan(e, r_.local, r_.greek).stretches});
    return s;
  }

  std::string readingSection() const {
    if (!r_.texts) return "";
    // Each text once: the transits that share a key are read together under it, those with
    // only a general sense grouped under their nature's.
    std::vector<std::string> order;
    std::map<std::string, std::vector<const TransitEvent*>> byKey;
    std::map<std::string, const std::string*> textOf;
    std::vector<std::string> missing;
    for (const auto& e : r_.events) {
      if (e.kind != EventKind::Aspect || !listed(e)) continue;
      const std::string* text = nullptr;
      std::string key;
      for (const auto& k : transitKeys(e.body, e.aspect, e.natal))
        if ((text = r_.texts->find(k))) {
          key = k;
          break;
        }
      if (!text) {
        const std::string shown = transitName(e.body, e.aspect, e.natal, false);
        if (std::find(missing.begin(), missing.end(), shown) == missing.end())
          missing.push_back(shown);
        continue;
      }
      if (!byKey.count(key)) order.push_back(key);
      byKey[key].push_back(&e);
      textOf[key] = text;
    }
    std::string s = "<div class=\"reading\">\n<h2>" + escaped(w_.reading) + "</h2>\n";
    // The transits with texts of their own first, in the order they begin; then the groups.
    std::stable_partition(order.begin(), order.end(),
                          [](const std::string& k) { return !generalKey(k); });
    for (const auto& key : order) {
      const auto& events = byKey[key];
      const bool general = generalKey(key);
      std::string heading;
      if (general) {
        heading =
            (key.starts_with("transit slow ") ? w_.slowNatures
                                              : w_.natures)[natureIndex(events.front()->aspect)];
      } else {
        std::set<std::string> names;
        for (const auto* e : events) {
          const std::string n = transitName(e->body, e->aspect, e->natal, r_.greek);
          if (names.insert(n).second) heading += (heading.empty() ? "" : w_.separator) + n;
        }
      }
      s += "<h3>" + escaped(heading) + "</h3>\n";
      if (general) {
        std::string items;
        for (const auto* e : events) {
          const std::string n = transitName(e->body, e->aspect, e->natal, r_.greek);
          if (slowBody(e->body)) {
            // A slow contact by its stretches: months, not a day.
            items += (items.empty() ? "" : w_.separator) + n + " " +
                     transitSpan(*e, r_.local, r_.greek).stretches;
            continue;
          }
          // The day it is exact within the period, else its exact day nearest the period
          // (one just before it), else the day it first stands in it.
          double at = e->key;
          double best = 1e300;
          const double from = static_cast<double>(r_.from), to = static_cast<double>(r_.to);
          for (double x : e->exact) {
            const auto when = static_cast<double>(secondsOf(x));
            const double away = when < from ? from - when : when >= to ? when - to + 1 : 0;
            if (away < best) best = away, at = x;
          }
          items += (items.empty() ? "" : w_.separator) + n + " " + dayOf(at);
        }
        s += "<p class=\"lead\">" + retrogradeMarked(escaped(items)) + "</p>\n";
      } else {
        for (const auto* e : events) {
          std::string lead = datesOf(*e);
          if (events.size() > 1)
            lead = transitName(e->body, e->aspect, e->natal, r_.greek) + " — " + lead;
          s += "<p class=\"lead\">" + retrogradeMarked(escaped(lead)) + "</p>\n";
        }
      }
      for (const auto& para : wording::paragraphs(reading::withChoices(*textOf[key], r_.sex)))
        s += "<p>" + escaped(para) + "</p>\n";
    }
    if (order.empty()) s += "<p>" + escaped(w_.none) + "</p>\n";
    if (!missing.empty()) {
      std::string joined;
      for (const auto& m : missing) joined += (joined.empty() ? "" : ", ") + m;
      s += "<p class=\"note\">" +
           escaped(missing.size() == 1
                       ? fill(w_.missingOne, {joined})
                       : fill(w_.missingMany, {std::to_string(missing.size()), joined})) +
           "</p>\n";
    }
    return s + "</div>\n";
  }
};

}  // namespace

std::string transitReportHtml(const TransitReport& report) { return ReportWriter(report).html(); }

}  // namespace orvenda::report
