// orvenda-chart timelords: the time lords in force on a date, or every period of a span:
// the annual and monthly profections, the firdaria and the zodiacal releasing from a lot;
// as text, JSON, a calendar of the periods, or a report drawing a life's periods.
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>

#include "console/text_width.h"
#include "natal/ephemeris.h"
#include "natal/names.h"
#include "sheet/reading.h"
#include "sheet/reading_texts.h"
#include "sheet/timelords_reading.h"
#include "sheet/timelords_report.h"
#include "timelords/timelords.h"
#include "tool/calendar.h"
#include "tool/json_writer.h"
#include "tool/saved_chart.h"
#include "tool/time_options.h"
#include "traditional/traditional.h"

namespace orvenda::tool {
namespace {

namespace tl = timelords;
namespace tr = traditional;

// The names of the lords and the signs, made once: a century's periods name them tens of
// thousands of times.
const std::string& lordName(int lord) {
  static const std::array<std::string, 9> names = [] {
    std::array<std::string, 9> n;
    for (int i = 0; i < 7; ++i) n[static_cast<std::size_t>(i)] = natal::pointName(i, false);
    n[tl::kNorthNode] = "North Node";
    n[tl::kSouthNode] = "South Node";
    return n;
  }();
  return names[static_cast<std::size_t>(std::clamp(lord, 0, 8))];
}
const std::string& signName(int sign) {
  static const std::array<std::string, 12> names = [] {
    std::array<std::string, 12> n;
    for (int i = 0; i < 12; ++i) n[static_cast<std::size_t>(i)] = natal::signName(i, false);
    return n;
  }();
  return names[static_cast<std::size_t>(((sign % 12) + 12) % 12)];
}

// ---- instants written ---------------------------------------------------------------------

// The digits of an instant written here rather than by printf: a century's thirty thousand
// instants cost more through it than everything else the command does. The calendar is
// Howard Hinnant's days-to-civil, the chrono library's own; a year of more or fewer than
// four digits goes through universalText, whose patterns these are.
struct Civil {
  long long year;
  unsigned month, day, hour, minute, second;
};
Civil civilOf(long long seconds) {
  const long long days = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
  const long long rest = seconds - days * 86400;
  const long long z = days + 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<long long>(yoe) + era * 400 + (m <= 2),
          m,
          d,
          static_cast<unsigned>(rest / 3600),
          static_cast<unsigned>(rest / 60 % 60),
          static_cast<unsigned>(rest % 60)};
}
char* twoDigits(char* at, unsigned v) {
  at[0] = static_cast<char>('0' + v / 10 % 10);
  at[1] = static_cast<char>('0' + v % 10);
  return at + 2;
}
// "2027-03-14 05:19", or with `iso` "2027-03-14T05:19:00Z".
void appendInstant(std::string& out, long long seconds, bool iso) {
  const Civil c = civilOf(seconds);
  if (c.year < 0 || c.year > 9999) {
    out +=
        universalText(seconds, iso ? "%04d-%02u-%02uT%02d:%02d:%02dZ" : "%04d-%02u-%02u %02d:%02d");
    return;
  }
  char buf[24];
  char* at = twoDigits(buf, static_cast<unsigned>(c.year / 100));
  at = twoDigits(at, static_cast<unsigned>(c.year % 100));
  *at++ = '-';
  at = twoDigits(at, c.month);
  *at++ = '-';
  at = twoDigits(at, c.day);
  *at++ = iso ? 'T' : ' ';
  at = twoDigits(at, c.hour);
  *at++ = ':';
  at = twoDigits(at, c.minute);
  if (iso) {
    *at++ = ':';
    at = twoDigits(at, c.second);
    *at++ = 'Z';
  }
  out.append(buf, static_cast<std::size_t>(at - buf));
}
std::string when(long long seconds, const report::LocalClock& clock) {
  std::string s;
  appendInstant(s, clock(seconds), false);
  return s;
}
// "1957-03-14 09:41 – 1958-03-14 09:41" in the astrologer's zone.
void appendSpan(std::string& out, long long from, long long to, const report::LocalClock& clock) {
  appendInstant(out, clock(from), false);
  out += " – ";
  appendInstant(out, clock(to), false);
}

// ---- the periods ----------------------------------------------------------------------------

// What every form tells: the periods of [from, to) and how they were reckoned.
struct Lords {
  std::vector<tl::Profection> years;
  std::vector<tl::Firdar> firdaria;
  std::vector<tl::ReleasingPeriod> releasing;
  long long from = 0, to = 0;
  int ascendantSign = 0, lotSign = 0, fortuneSign = 0;
  bool spirit = true, day = true;
  double yearDays = 360;
  bool monthIn(const tl::MonthlyProfection& m) const { return m.to > from && m.from < to; }
};

// What nlohmann's dump(2) wrote of the tree this command once built (its maps' keys in
// sorted order), written as it goes: the tree of a century's 13,000 periods cost four times
// the rest of the command.
std::string jsonText(const std::string& name, const Lords& l) {
  std::string out, instant;
  out.reserve(256 * (l.releasing.size() + 13 * l.years.size() + l.firdaria.size()) + 256);
  JsonWriter w(out);
  auto at = [&](const char* key, long long seconds) {
    instant.clear();
    appendInstant(instant, seconds, true);
    w.key(key).value(std::string_view(instant));
  };
  w.open('{');
  w.key("firdaria").open('[');
  for (const auto& x : l.firdaria) {
    w.open('{');
    at("from", x.from);
    w.key("level").value(x.sub < 0 ? 1 : 2);
    w.key("lord").value(lordName(x.lord));
    at("to", x.to);
    w.key("with");
    if (x.sub < 0)
      w.null();
    else
      w.value(lordName(x.sub));
    w.close('}');
  }
  w.close(']');
  w.key("name").value(name);
  w.key("profections").open('[');
  for (const auto& y : l.years) {
    w.open('{');
    w.key("age").value(y.age);
    at("from", y.from);
    w.key("house").value(y.house);
    w.key("lord").value(lordName(y.lord));
    w.key("months").open('[');
    for (const auto& m : y.months) {
      if (!l.monthIn(m)) continue;
      w.open('{');
      at("from", m.from);
      w.key("lord").value(lordName(m.lord));
      w.key("sign").value(signName(m.sign));
      at("to", m.to);
      w.close('}');
    }
    w.close(']');
    w.key("sign").value(signName(y.sign));
    at("to", y.to);
    w.close('}');
  }
  w.close(']');
  w.key("releasing").open('{');
  w.key("lot").value(l.spirit ? "Spirit" : "Fortune");
  w.key("periods").open('[');
  for (const auto& x : l.releasing) {
    w.open('{');
    at("from", x.from);
    w.key("level").value(x.level);
    w.key("loosing").value(x.loosing);
    w.key("lord").value(lordName(tr::domicileRuler(x.sign)));
    w.key("peak").value(x.peak);
    w.key("sign").value(signName(x.sign));
    at("to", x.to);
    w.close('}');
  }
  w.close(']');
  w.key("year_days").value(l.yearDays);
  w.close('}');
  w.close('}');
  out += '\n';
  return out;
}

std::string plainText(const std::string& name, const Lords& l, bool span,
                      const report::LocalClock& clock, const std::string& zone) {
  std::string s;
  s.reserve(72 * (l.releasing.size() + 13 * l.years.size() + l.firdaria.size()) + 512);
  s += "timelords " + name;
  if (!span) s += ", " + when(l.from, clock);
  s += " (" + zone + ")\n\nprofections (whole signs from the Ascendant, " +
       signName(l.ascendantSign) + ")\n";
  for (const auto& y : l.years) {
    s += "  age ";
    s += padded(std::to_string(y.age), 4);
    appendSpan(s, y.from, y.to, clock);
    s += "  ";
    s += padded(signName(y.sign), 12);
    s += "house ";
    s += padded(std::to_string(y.house), 3);
    s += "lord of the year ";
    s += lordName(y.lord);
    s += '\n';
    for (const auto& m : y.months) {
      if (!l.monthIn(m)) continue;
      s += "      month ";
      appendSpan(s, m.from, m.to, clock);
      s += "  ";
      s += padded(signName(m.sign), 12);
      s += "lord ";
      s += lordName(m.lord);
      s += '\n';
    }
  }
  s += std::string("\nfirdaria (a ") + (l.day ? "day" : "night") + " birth)\n";
  for (const auto& x : l.firdaria) {
    s += x.sub < 0 ? "  " + padded(lordName(x.lord), 24)
                   : "      " + padded(lordName(x.lord) + " with " + lordName(x.sub), 20);
    appendSpan(s, x.from, x.to, clock);
    s += '\n';
  }
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", l.yearDays);
  s += std::string("\nzodiacal releasing from the Lot of ") + (l.spirit ? "Spirit" : "Fortune") +
       " (" + signName(l.lotSign) + "; years of " + buf + " days; peaks by the Lot of Fortune in " +
       signName(l.fortuneSign) + ")\n";
  for (const auto& x : l.releasing) {
    s.append(2 * static_cast<std::size_t>(x.level), ' ');
    s += 'L';
    s += static_cast<char>('0' + x.level);
    s += ' ';
    s += padded(signName(x.sign), 12);
    appendSpan(s, x.from, x.to, clock);
    if (x.peak) s += x.peak == 2 ? "  peak (10th from Fortune)" : "  peak";
    if (x.loosing) s += "  loosing of the bond";
    s += '\n';
  }
  return s;
}

// ---- the calendar ---------------------------------------------------------------------------

// The Greek lords as the summaries need them: with the article, and after it in the
// genitive ("η φιρδαρία του Κρόνου").
const char* greekLordWithArticle(int lord) {
  static const char* const k[9] = {"ο Ήλιος",    "η Σελήνη",         "ο Ερμής",
                                   "η Αφροδίτη", "ο Άρης",           "ο Δίας",
                                   "ο Κρόνος",   "ο Βόρειος Δεσμός", "ο Νότιος Δεσμός"};
  return k[std::clamp(lord, 0, 8)];
}
const char* greekLordOf(int lord) {
  static const char* const k[9] = {
      "του Ήλιου", "της Σελήνης", "του Ερμή",           "της Αφροδίτης",    "του Άρη",
      "του Δία",   "του Κρόνου",  "του Βόρειου Δεσμού", "του Νότιου Δεσμού"};
  return k[std::clamp(lord, 0, 8)];
}
bool feminine(int lord) { return lord == 1 || lord == 3; }

std::string lordWord(int lord, bool greek) {
  if (lord == tl::kNorthNode) return greek ? "Βόρειος Δεσμός" : "North Node";
  if (lord == tl::kSouthNode) return greek ? "Νότιος Δεσμός" : "South Node";
  return natal::pointWord(lord, greek);
}

std::string ordinalHouse(int house, bool greek) {
  if (greek) return std::to_string(house) + "ος τόπος";
  const char* suffix = house == 1 ? "st" : house == 2 ? "nd" : house == 3 ? "rd" : "th";
  return std::to_string(house) + suffix + " house";
}

// One event for each period of the span: the profected years and months, the firdaria and
// their sub-periods, the releasing's periods of the levels asked, from the period's first
// instant to its last. The UID is what the period is (the chart, its kind and level, its
// first instant, the lot and the year it was released with), so that a later file of the
// same periods updates an earlier one, and a year and its first month stay two events.
class PeriodCalendar {
 public:
  PeriodCalendar(const Calendar& calendar, std::string& out, const std::string& chart,
                 const report::LocalClock& local, const std::string& zone, bool greek)
      : calendar_(calendar), out_(out), chart_(chart), local_(local), zone_(zone), greek_(greek) {}

  void write(const Lords& l) {
    const Calendar::Frame frame = calendar_.frame("-//Orvenda//orvenda-chart 1.2//EN");
    out_ += frame.head;
    out_ += folded("X-WR-CALNAME:" +
                   escapedText((greek_ ? "Χρονοκράτορες: " : "Time lords: ") + chart_));
    const bool g = greek_;
    for (const auto& y : l.years) {
      const std::string sign = natal::signName(y.sign, g), house = ordinalHouse(y.house, g);
      add("year", 0, y.from, y.to,
          g ? std::string(feminine(y.lord) ? "Κυρία" : "Κύριος") + " του έτους " +
                  greekLordWithArticle(y.lord) + " (" + sign + ", " + house + ")"
            : "Lord of the year " + lordWord(y.lord, g) + " (" + sign + ", " + house + ")",
          yearDescription(y, l.ascendantSign), g ? "Ετήσια περιφορά" : "Profection");
      for (const auto& m : y.months) {
        if (!l.monthIn(m)) continue;
        const std::string msign = natal::signName(m.sign, g);
        add("month", 0, m.from, m.to,
            g ? std::string(feminine(m.lord) ? "Κυρία" : "Κύριος") + " του μήνα " +
                    greekLordWithArticle(m.lord) + " (" + msign + ")"
              : "Lord of the month " + lordWord(m.lord, g) + " (" + msign + ")",
            g ? "Μηνιαία περιφορά: ένα δωδέκατο του έτους, ένα ζώδιο τον μήνα από το ζώδιο του "
                "έτους (" +
                    sign + ")."
              : "Monthly profection: a twelfth of the year, a sign a month on from the year's "
                "sign (" +
                    sign + ").",
            g ? "Ετήσια περιφορά" : "Profection");
      }
    }
    for (const auto& f : l.firdaria) {
      const bool sub = f.sub >= 0;
      std::string summary =
          g ? std::string("Φιρδαρία ") + greekLordOf(f.lord) +
                  (sub ? std::string(", υποπερίοδος ") + greekLordOf(f.sub) : "")
            : "Firdaria: " + lordWord(f.lord, g) + (sub ? " with " + lordWord(f.sub, g) : "");
      std::string description =
          g ? std::string("Η φιρδαρία ") + greekLordOf(f.lord) + ", " +
                  std::to_string(tl::firdarYears(f.lord)) + " έτη σε " +
                  (l.day ? "ημερήσια" : "νυχτερινή") + " γέννηση" +
                  (sub ? std::string("· η υποπερίοδος ") + greekLordOf(f.sub) +
                             ", ένα έβδομο της περιόδου."
                       : ".")
            : "The firdar of " + lordWord(f.lord, g) + ", " +
                  std::to_string(tl::firdarYears(f.lord)) + " years in a " +
                  (l.day ? "day" : "night") + " birth" +
                  (sub ? "; the sub-period of " + lordWord(f.sub, g) + ", a seventh of it." : ".");
      add(sub ? "firdar-sub" : "firdar", sub ? 2 : 1, f.from, f.to, summary, description,
          g ? "Φιρδαρία" : "Firdaria");
    }
    const std::string lot = l.spirit ? "spirit" : "fortune";
    for (const auto& z : l.releasing) {
      const std::string sign = natal::signName(z.sign, g);
      std::string summary = g ? "Άφεση, επίπεδο " + std::to_string(z.level) + ": " + sign
                              : "Releasing L" + std::to_string(z.level) + " " + sign;
      if (z.peak)
        summary += z.peak == 2
                       ? (g ? " — κορυφή (10ος από την Τύχη)" : " — peak (10th from Fortune)")
                       : (g ? " — κορυφή" : " — peak");
      if (z.loosing) summary += g ? " — λύση του δεσμού" : " — loosing of the bond";
      char days[16];
      std::snprintf(days, sizeof days, "%g", l.yearDays);
      std::string yearText = days;
      if (g) std::replace(yearText.begin(), yearText.end(), '.', ',');
      const std::string ruler = lordWord(tr::domicileRuler(z.sign), g);
      std::string description =
          g ? std::string("Η άφεση από τον κλήρο ") + (l.spirit ? "του Δαίμονος" : "της Τύχης") +
                  " (" + natal::signName(l.lotSign, g) + "), επίπεδο " + std::to_string(z.level) +
                  ": " + sign + ", κύριός του " + greekLordWithArticle(tr::domicileRuler(z.sign)) +
                  "· έτη των " + yearText + " ημερών."
            : std::string("Zodiacal releasing from the Lot of ") +
                  (l.spirit ? "Spirit" : "Fortune") + " (" + natal::signName(l.lotSign, g) +
                  "), level " + std::to_string(z.level) + ": " + sign + ", ruled by " + ruler +
                  "; years of " + yearText + " days.";
      if (z.peak)
        description +=
            g ? " Ζώδιο γωνιακό προς τον κλήρο της Τύχης (" + natal::signName(l.fortuneSign, g) +
                    "): κορυφή" + (z.peak == 2 ? ", η ισχυρότερη, στο δέκατο από αυτόν." : ".")
              : " A sign angular to the Lot of Fortune (" + natal::signName(l.fortuneSign, g) +
                    "): a peak" + (z.peak == 2 ? ", the strongest, the 10th from it." : ".");
      if (z.loosing)
        description += g ? " Η λύση του δεσμού: το επίπεδο έκανε τον κύκλο των ζωδίων και "
                           "πηδά στο απέναντι ζώδιο."
                         : " The loosing of the bond: the level has gone once round the signs "
                           "and leaps to the opposite one.";
      add("releasing-" + lot + "-" + days, z.level, z.from, z.to, summary, description,
          g ? "Άφεση" : "Releasing");
    }
    out_ += frame.tail;
  }

 private:
  // "The profection of the 69th year of life: ..." as each language tells it.
  std::string yearDescription(const tl::Profection& y, int ascendantSign) const {
    const bool g = greek_;
    const std::string asc = natal::signName(ascendantSign, g), sign = natal::signName(y.sign, g);
    const int moved = y.house - 1;
    const std::string n = std::to_string(y.age + 1);
    if (g) {
      std::string s = "Η ετήσια περιφορά του " + n + "ου έτους της ζωής: ";
      s += moved == 0
               ? "βρίσκεται στο ίδιο το ζώδιο του ωροσκόπου (" + asc + "), στον 1ο τόπο. "
               : "από το ζώδιο του ωροσκόπου (" + asc + ") προχωρά " + std::to_string(moved) +
                     (moved == 1 ? " ζώδιο" : " ζώδια") + " και φτάνει στον " +
                     std::to_string(y.house) + "ο τόπο (" + sign + "). ";
      return s + (feminine(y.lord) ? "Κυρία" : "Κύριος") + " του έτους, ως τα επόμενα γενέθλια, " +
             greekLordWithArticle(y.lord) + ", που κυβερνά το ζώδιο.";
    }
    std::string s = "The profection of the " + n + ordinalSuffix(y.age + 1) + " year of life: ";
    s += moved == 0 ? "at the Ascendant's own sign (" + asc + "), the 1st house. "
                    : "the Ascendant's sign (" + asc + ") moved on " + std::to_string(moved) +
                          (moved == 1 ? " sign" : " signs") + " to " + sign + ", the " +
                          ordinalHouse(y.house, false) + " by whole sign. ";
    return s + "Its ruler " + lordWord(y.lord, false) +
           " is the lord of the year until the next birthday.";
  }

  static const char* ordinalSuffix(int n) {
    if (n % 100 >= 11 && n % 100 <= 13) return "th";
    return n % 10 == 1 ? "st" : n % 10 == 2 ? "nd" : n % 10 == 3 ? "rd" : "th";
  }

  void add(const std::string& kind, int level, long long from, long long to,
           const std::string& summary, const std::string& description,
           const std::string& category) {
    CalendarEvent ev;
    ev.uid = uid(kind, level, from);
    ev.stamp = static_cast<long long>(std::time(nullptr));
    ev.start = from;
    ev.end = to;
    ev.summary = summary;
    std::string bounds = greek_ ? report::minuteText(local_(from), true) + " – " +
                                      report::minuteText(local_(to), true) + " (ώρα " + zone_ + ")"
                                : report::minuteText(local_(from), false) + " – " +
                                      report::minuteText(local_(to), false) + " (" + zone_ + ")";
    ev.description = description + "\n" + bounds;
    ev.categories = category;
    out_ += calendar_.event(ev);
  }

  std::string uid(const std::string& kind, int level, long long from) const {
    std::string what = chart_ + "|" + kind + "|" + std::to_string(level) + "|";
    appendInstant(what, from, true);
    return eventUid(what, "timelords");
  }

  const Calendar& calendar_;
  std::string& out_;
  std::string chart_;
  const report::LocalClock& local_;
  std::string zone_;
  bool greek_;
};

// The universal instant of the local midnight a year after a date (28 February after a
// 29th).
long long yearAfter(const std::string& zone, const CivilDate& d) {
  using namespace std::chrono;
  year_month_day n{year{d.year + 1} / d.month / d.day};
  if (!n.ok()) n = year{d.year + 1} / d.month / last;  // 29 February
  return localMidnight(zone, CivilDate{static_cast<int>(n.year()),
                                       static_cast<int>(static_cast<unsigned>(n.month())),
                                       static_cast<int>(static_cast<unsigned>(n.day()))});
}

}  // namespace

int cmdTimelords(Tool& t, const Options& o) {
  const bool span = o.value("--from") || o.value("--to");
  const bool ics = o.has("--ics");
  const bool report = o.value("--html") || o.value("--pdf");
  if (int{o.has("--json")} + int{o.has("--reading")} + int{ics} +
          int{o.value("--html") != nullptr} + int{o.value("--pdf") != nullptr} >
      1)
    return t.usage("timelords",
                   "--json, --reading, --ics, --html and --pdf are forms of their own; give one");
  if (o.has("--reading") && span)
    return t.usage("timelords", "--reading reads the lords of one moment: give --date, not a span");
  if (o.value("--sex") && !o.has("--reading") && !report)
    return t.usage("timelords",
                   "--sex chooses the reading's words; it goes with --reading, --html or --pdf");
  if (o.value("-o") && report)
    return t.usage("timelords",
                   "--html and --pdf name their own file; -o is for text, --json, --reading "
                   "and --ics");
  if (o.value("--levels") && report)
    return t.usage("timelords",
                   "the report draws the releasing's first two levels; --levels is for text, "
                   "--json and --ics");
  if (span && o.value("--date"))
    return t.usage("timelords", "--date is one day, --from and --to a span; give one or the other");
  bool spirit = true;
  if (const std::string* lot = o.value("--lot")) {
    if (*lot == "fortune")
      spirit = false;
    else if (*lot != "spirit")
      return t.usage("timelords", "no lot \"" + *lot + "\" to release from; spirit or fortune");
  }
  int levels = span || ics ? 2 : 4;
  if (const std::string* l = o.value("--levels")) {
    if (l->size() != 1 || (*l)[0] < '1' || (*l)[0] > '4')
      return t.usage("timelords", "--levels " + *l + ": 1, 2, 3 or 4");
    levels = (*l)[0] - '0';
  }
  if (report) levels = 2;
  double yearDays = 360;
  if (const std::string* y = o.value("--year")) {
    if (*y == "365.25")
      yearDays = 365.25;
    else if (*y != "360")
      return t.usage("timelords", "--year " + *y + ": 360 (Valens) or 365.25");
  }
  std::optional<std::int32_t> sex = 0;
  if (o.has("--reading") || report) sex = sexOption(t, o, "timelords");
  if (!sex) return 2;
  const auto zone = astrologerZone(t, o, "timelords");
  if (!zone) return 2;
  const report::LocalClock clock = clockOf(*zone);
  int status = 0;
  // The moment asked: the date's local midnight, or now.
  std::optional<CivilDate> day;
  if (const std::string* d = o.value("--date")) {
    std::string why;
    day = parseDate(*d, why);
    if (!day) return t.usage("timelords", "--date " + *d + ": " + why);
  }
  using namespace std::chrono;
  const long long now =
      day ? localMidnight(*zone, *day)
          : duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
  long long from = now, to = now + 1;
  if (span || (ics && !day)) {
    const auto p = periodOption(t, o, *zone, "timelords", status);
    if (!p) return status;
    from = p->from, to = p->to;
  } else if (ics) {
    to = yearAfter(*zone, *day);  // the calendar of a date: the twelve months from it
  }
  const auto saved = loadSavedChart(t, o, "timelords", status);
  if (!saved) return status;
  const auto chart = chartOf(t, *saved);
  if (!chart) return 1;
  const natal::NatalChart& c = *chart;
  if (!c.timeKnown)
    return t.fail(
        "timelords: the birth time is not known, and every time lord needs it (the "
        "Ascendant, the sect, the lots)");
  for (int p = 0; p < 7; ++p)
    if (std::find(c.missing.begin(), c.missing.end(), p) != c.missing.end())
      return t.fail("timelords: the position of " + natal::pointName(p, false) +
                    " can't be computed for this birth (beyond the ephemeris's years), and the "
                    "time lords need the seven planets");
  const tr::TraditionalChart trad =
      tr::traditionalChart(c, natal::swissEphemeris().obliquity(c.julianDayUt));
  if (trad.lots.empty())
    return t.fail("timelords: the lots need the seven planets; the configuration leaves one out");

  // The birth's clock, for its anniversaries: the record's civil time less the instant.
  const BirthRecord& r = saved->record;
  const long long civil =
      duration_cast<seconds>((sys_days{year{r.year} / r.month / r.day} + hours{r.hour} +
                              minutes{r.minute} + seconds{r.second})
                                 .time_since_epoch())
          .count();
  const tl::Birth birth{c.universalSeconds, static_cast<int>(civil - c.universalSeconds)};
  // The lords are reckoned over a life: two centuries, within the releasing's first round
  // (211 years) and the firdaria's fourth.
  constexpr long long kLife = 200LL * 36524 * 864;  // 200 years of 365.24 days, in seconds
  const long long lifeEnd = c.universalSeconds + kLife;
  // A report without a span draws the life to its hundredth year.
  if (report && !span) from = c.universalSeconds, to = tl::anniversary(birth, 100);
  const bool inLife = now >= c.universalSeconds && now < lifeEnd;
  if (from < c.universalSeconds) from = c.universalSeconds;
  if (to <= from || (report && day && now < c.universalSeconds))
    return t.fail(std::string("timelords: ") + (span ? "the period ends" : "the date is") +
                  " before the birth, " + when(c.universalSeconds, clock) + " (" + *zone + ")");
  if (from >= lifeEnd || (report && day && !inLife))
    return t.fail("timelords: " + when(day ? now : from, clock) +
                  " is more than 200 years after the birth; the time lords are reckoned over a "
                  "life");
  if (to > lifeEnd) to = lifeEnd;

  Lords l;
  l.from = from, l.to = to;
  l.ascendantSign = natal::signOf(c.ascendant);
  l.lotSign = natal::signOf(trad.lots[spirit ? tr::kSpirit : tr::kFortune].longitude);
  l.fortuneSign = natal::signOf(trad.lots[tr::kFortune].longitude);
  l.spirit = spirit, l.day = trad.sect.day, l.yearDays = yearDays;
  l.years = tl::profections(birth, l.ascendantSign, from, to);
  l.firdaria = tl::firdaria(c.universalSeconds, l.day, from, to);
  l.releasing =
      tl::releasing(c.universalSeconds, l.lotSign, l.fortuneSign, yearDays, levels, from, to);
  const std::string name = shownName(saved->name);
  const bool greek = saved->horoscopeLanguage == 1;

  // What is in force at the moment read, for the reading and the report.
  const long long at = report ? now : from;
  const auto nowYears = tl::profections(birth, l.ascendantSign, at, at + 1);
  const auto nowFirdaria = tl::firdaria(c.universalSeconds, l.day, at, at + 1);
  const auto nowReleasing =
      tl::releasing(c.universalSeconds, l.lotSign, l.fortuneSign, yearDays, 2, at, at + 1);
  auto readingNow = [&] {
    reading::TimelordsNow n;
    n.fromSpirit = spirit;
    for (const auto& y : nowYears)
      if (y.from <= at && at < y.to) n.year = &y;
    for (const auto& f : nowFirdaria)
      if (f.from <= at && at < f.to) (f.sub < 0 ? n.firdar : n.sub) = &f;
    for (const auto& z : nowReleasing)
      if (z.level <= 2 && z.from <= at && at < z.to) n.releasing.push_back(&z);
    return n;
  };

  if (o.has("--reading") || report) {
    const reading::TextSet texts = reading::textSet(*t.files, greek);
    if (!reading::shippedFound(texts)) return noShippedTexts(t, greek);
    for (const std::string& n : reading::ownTextNotes(texts, false)) t.note(n);
    reading::Reading told;
    if (!report || inLife) {
      told = reading::timelordsReading(readingNow(), texts, greek, *sex);
      for (const std::string& key : told.missing)
        t.note("[" + reading::displayKey(key) + "] has no text in this set");
    } else {
      t.note("today is outside the life the lords are reckoned for: the report has no reading");
    }
    if (!report) {
      Output output(t, o);
      output.stream() << reading::readingText(told);
      return output.finish() ? 0 : 1;
    }
    report::Timelords page;
    page.name = name;
    page.birthLine = birthLine(r, c.timeKnown, greek);
    page.zone = *zone;
    page.local = clock;
    page.greek = greek;
    page.birth = c.universalSeconds;
    page.birthOffset = birth.offsetSeconds;
    page.from = from, page.to = to;
    if (inLife) page.now = now;
    page.ascendantSign = l.ascendantSign, page.lotSign = l.lotSign;
    page.fortuneSign = l.fortuneSign;
    page.fromSpirit = spirit, page.dayBirth = l.day, page.yearDays = yearDays;
    page.years = l.years;
    page.firdaria = l.firdaria;
    page.releasing = l.releasing;
    if (inLife)
      for (const auto& z : nowReleasing)
        if (z.level == 1) {
          for (const auto& sub : tl::releasing(c.universalSeconds, l.lotSign, l.fortuneSign,
                                               yearDays, 2, z.from, z.to))
            if (sub.level == 2) page.currentSecondLevel.push_back(sub);
        }
    const std::string html = report::timelordsReportHtml(page, told);
    if (const std::string* file = o.value("--html"); file && !writeWhole(t, *file, html)) return 1;
    if (const std::string* file = o.value("--pdf"); file && !writePdf(t, html, *file)) return 1;
    return 0;
  }

  Output output(t, o);
  if (ics) {
    std::string why;
    const auto calendar = Calendar::open(why);
    if (!calendar) return t.fail("timelords: " + why);
    std::string text;
    PeriodCalendar(*calendar, text, name, clock, *zone, greek).write(l);
    output.stream() << text;
  } else if (o.has("--json")) {
    output.stream() << jsonText(name, l);
  } else {
    output.stream() << plainText(name, l, span, clock, *zone);
  }
  return output.finish() ? 0 : 1;
}

}  // namespace orvenda::tool
