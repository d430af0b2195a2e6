// orvenda-chart timelords: the time lords in force on a date, or every period of a span:
// the annual and monthly profections, the firdaria and the zodiacal releasing from a lot.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "console/text_width.h"
#include "cycles/progressions.h"
#include "natal/ephemeris.h"
#include "natal/names.h"
#include "places/fields.h"
#include "sheet/reading.h"
#include "sheet/reading_texts.h"
#include "sheet/timelords_reading.h"
#include "timelords/directions.h"
#include "timelords/timelords.h"
#include "tool/saved_chart.h"
#include "tool/time_options.h"
#include "traditional/traditional.h"

namespace orvenda::tool {
namespace {

namespace tl = timelords;
namespace tr = traditional;

std::string lordName(int lord) {
  if (lord == tl::kNorthNode) return "North Node";
  if (lord == tl::kSouthNode) return "South Node";
  return natal::pointName(lord, false);
}

std::string when(long long seconds, const report::LocalClock& clock) {
  return universalText(clock(seconds), "%04d-%02u-%02u %02d:%02d");
}

}  // namespace

int cmdTimelords(Tool& t, const Options& o) {
  const bool span = o.value("--from") || o.value("--to");
  if (o.has("--reading") && (span || o.has("--json")))
    return t.usage("timelords",
                   "--reading reads the lords of one moment: give --date, not a span or --json");
  if (o.value("--sex") && !o.has("--reading"))
    return t.usage("timelords", "--sex chooses the reading's words; it goes with --reading");
  if (span && o.value("--date"))
    return t.usage("timelords", "--date is one day, --from and --to a span; give one or the other");
  bool spirit = true;
  if (const std::string* lot = o.value("--lot")) {
    if (*lot == "fortune")
      spirit = false;
    else if (*lot != "spirit")
      return t.usage("timelords", "no lot \"" + *lot + "\" to release from; spirit or fortune");
  }
  int levels = span ? 2 : 4;
  if (const std::string* l = o.value("--levels")) {
    if (l->size() != 1 || (*l)[0] < '1' || (*l)[0] > '4')
      return t.usage("timelords", "--levels " + *l + ": 1, 2, 3 or 4");
    levels = (*l)[0] - '0';
  }
  double yearDays = 360;
  if (const std::string* y = o.value("--year")) {
    if (*y == "365.25")
      yearDays = 365.25;
    else if (*y != "360")
      return t.usage("timelords", "--year " + *y + ": 360 (Valens) or 365.25");
  }
  const auto zone = astrologerZone(t, o, "timelords");
  if (!zone) return 2;
  const report::LocalClock clock = clockOf(*zone);
  int status = 0;
  long long from = 0, to = 0;
  if (span) {
    const auto p = periodOption(t, o, *zone, "timelords", status);
    if (!p) return status;
    from = p->from, to = p->to;
  } else if (const std::string* d = o.value("--date")) {
    std::string why;
    const auto date = parseDate(*d, why);
    if (!date) return t.usage("timelords", "--date " + *d + ": " + why);
    from = localMidnight(*zone, *date), to = from + 1;
  } else {
    using namespace std::chrono;
    from = duration_cast<seconds>(system_clock::now().time_since_epoch()).count(), to = from + 1;
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
  if (from < c.universalSeconds) from = c.universalSeconds;
  if (to <= from)
    return t.fail(std::string("timelords: ") + (span ? "the period ends" : "the date is") +
                  " before the birth, " + when(c.universalSeconds, clock) + " (" + *zone + ")");
  // The lords are reckoned over a life: two centuries, within the releasing's first round
  // (211 years) and the firdaria's fourth.
  constexpr long long kLife = 200LL * 36524 * 864;  // 200 years of 365.24 days, in seconds
  if (from >= c.universalSeconds + kLife)
    return t.fail("timelords: " + when(from, clock) +
                  " is more than 200 years after the birth; the time lords are reckoned over a "
                  "life");
  if (to > c.universalSeconds + kLife) to = c.universalSeconds + kLife;

  // The birth's clock, for its anniversaries: the record's civil time less the instant.
  const BirthRecord& r = saved->record;
  using namespace std::chrono;
  const long long civil =
      duration_cast<seconds>((sys_days{year{r.year} / r.month / r.day} + hours{r.hour} +
                              minutes{r.minute} + seconds{r.second})
                                 .time_since_epoch())
          .count();
  const tl::Birth birth{c.universalSeconds, static_cast<int>(civil - c.universalSeconds)};
  const int ascSign = natal::signOf(c.ascendant);
  const int lotSign = natal::signOf(trad.lots[spirit ? tr::kSpirit : tr::kFortune].longitude);
  const int fortuneSign = natal::signOf(trad.lots[tr::kFortune].longitude);
  const auto years = tl::profections(birth, ascSign, from, to);
  const auto firdaria = tl::firdaria(c.universalSeconds, trad.sect.day, from, to);
  const auto releasing =
      tl::releasing(c.universalSeconds, lotSign, fortuneSign, yearDays, levels, from, to);
  const std::string name = shownName(saved->name);

  if (o.has("--reading")) {
    // What is in force at the moment asked (the span's start).
    reading::TimelordsNow now;
    now.fromSpirit = spirit;
    for (const auto& y : years)
      if (y.from <= from && from < y.to) now.year = &y;
    for (const auto& f : firdaria)
      if (f.from <= from && from < f.to) (f.sub < 0 ? now.firdar : now.sub) = &f;
    for (const auto& z : releasing)
      if (z.level <= 2 && z.from <= from && from < z.to) now.releasing.push_back(&z);
    const bool greek = saved->horoscopeLanguage == 1;
    const reading::TextSet texts = reading::textSet(*t.files, greek);
    if (!reading::shippedFound(texts)) return noShippedTexts(t, greek);
    for (const std::string& n : reading::ownTextNotes(texts, false)) t.note(n);
    const auto sex = sexOption(t, o, "timelords");
    if (!sex) return 2;
    const reading::Reading told = reading::timelordsReading(now, texts, greek, *sex);
    for (const std::string& key : told.missing)
      t.note("[" + reading::displayKey(key) + "] has no text in this set");
    t.out << reading::readingText(told);
    return 0;
  }

  if (o.has("--json")) {
    using nlohmann::json;
    json p = json::array(), f = json::array(), z = json::array();
    for (const auto& y : years) {
      json months = json::array();
      for (const auto& m : y.months)
        if (m.to > from && m.from < to)
          months.push_back({{"sign", natal::signName(m.sign, false)},
                            {"lord", lordName(m.lord)},
                            {"from", universalText(m.from)},
                            {"to", universalText(m.to)}});
      p.push_back({{"age", y.age},
                   {"sign", natal::signName(y.sign, false)},
                   {"house", y.house},
                   {"lord", lordName(y.lord)},
                   {"from", universalText(y.from)},
                   {"to", universalText(y.to)},
                   {"months", months}});
    }
    for (const auto& x : firdaria)
      f.push_back({{"level", x.sub < 0 ? 1 : 2},
                   {"lord", lordName(x.lord)},
                   {"with", x.sub < 0 ? json() : json(lordName(x.sub))},
                   {"from", universalText(x.from)},
                   {"to", universalText(x.to)}});
    for (const auto& x : releasing)
      z.push_back({{"level", x.level},
                   {"sign", natal::signName(x.sign, false)},
                   {"lord", lordName(tr::domicileRuler(x.sign))},
                   {"from", universalText(x.from)},
                   {"to", universalText(x.to)},
                   {"peak", x.peak},
                   {"loosing", x.loosing}});
    t.out
        << json{{"name", name},
                {"profections", p},
                {"firdaria", f},
                {"releasing",
                 {{"lot", spirit ? "Spirit" : "Fortune"}, {"year_days", yearDays}, {"periods", z}}}}
               .dump(2)
        << "\n";
    return 0;
  }

  std::string s = "timelords " + name + (span ? "" : ", " + when(from, clock)) + " (" + *zone +
                  ")\n\nprofections (whole signs from the Ascendant, " +
                  natal::signName(ascSign, false) + ")\n";
  for (const auto& y : years) {
    s += "  age " + padded(std::to_string(y.age), 4) + when(y.from, clock) + " – " +
         when(y.to, clock) + "  " + padded(natal::signName(y.sign, false), 12) + "house " +
         padded(std::to_string(y.house), 3) + "lord of the year " + lordName(y.lord) + "\n";
    for (const auto& m : y.months)
      if (m.to > from && m.from < to)
        s += "      month " + when(m.from, clock) + " – " + when(m.to, clock) + "  " +
             padded(natal::signName(m.sign, false), 12) + "lord " + lordName(m.lord) + "\n";
  }
  s += std::string("\nfirdaria (a ") + (trad.sect.day ? "day" : "night") + " birth)\n";
  for (const auto& x : firdaria)
    s += (x.sub < 0 ? "  " + padded(lordName(x.lord), 24)
                    : "      " + padded(lordName(x.lord) + " with " + lordName(x.sub), 20)) +
         when(x.from, clock) + " – " + when(x.to, clock) + "\n";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", yearDays);
  s += std::string("\nzodiacal releasing from the Lot of ") + (spirit ? "Spirit" : "Fortune") +
       " (" + natal::signName(lotSign, false) + "; years of " + buf +
       " days; peaks by the Lot of "
       "Fortune in " +
       natal::signName(fortuneSign, false) + ")\n";
  for (const auto& x : releasing)
    s += std::string(2 * x.level, ' ') + "L" + std::to_string(x.level) + " " +
         padded(natal::signName(x.sign, false), 12) + when(x.from, clock) + " – " +
         when(x.to, clock) +
         (x.peak == 2 ? "  peak (10th from Fortune)"
          : x.peak    ? "  peak"
                      : "") +
         (x.loosing ? "  loosing of the bond" : "") + "\n";
  t.out << s;
  return 0;
}

}  // namespace orvenda::tool
