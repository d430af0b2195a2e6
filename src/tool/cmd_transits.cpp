// orvenda-chart transits: the moving bodies over a saved chart through a period, as text
// lines in time order, JSON, an iCalendar file of the exact instants, or a report.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iostream>
#include <nlohmann/json.hpp>
#include <queue>
#include <sstream>

#include "console/text_width.h"
#include "cycles/transits.h"
#include "natal/ephemeris.h"
#include "natal/names.h"
#include "sheet/reading.h"
#include "sky/sky.h"
#include "tool/calendar.h"
#include "tool/time_options.h"

namespace orvenda::tool {
namespace {

using cycles::EventKind;
using cycles::TransitEvent;
using report::SkyKind;
using report::SkyMoment;

double julianDayOfSeconds(long long s) { return natal::julianDayOf(s); }

// The reading's text of a transit, if the set has one: its key as the files spell it.
std::optional<std::pair<std::string, std::string>> textOf(const reading::TextSet& texts,
                                                          const TransitEvent& e, std::int32_t sex) {
  for (const auto& k : report::transitKeys(e.body, e.aspect, e.natal))
    if (const std::string* t = texts.find(k))
      return std::make_pair(reading::displayKey(k), reading::withChoices(*t, sex));
  return std::nullopt;
}

// ---- the forms ------------------------------------------------------------------------

// A lunation or an eclipse of the period, with its instant as the ephemeris gave it and
// what names it in a calendar.
struct SkyEntry {
  SkyMoment moment;
  double jd = 0;    // UT
  std::string uid;  // "new moon|2027-03-08T11:29:00Z", "solar|…": as the sky command's
};

// The period's lunations and eclipses, in time order, and what each touches in the chart;
// false where the ephemeris could not give the lights for part of the period.
bool skyOfPeriod(natal::Ephemeris& eph, const natal::NatalChart& chart,
                 const natal::ChartConfig& config, double from, double to,
                 std::vector<SkyEntry>& entries) {
  const bool complete = sky::lunations(eph, from, to, [&](const sky::Lunation& l) {
    SkyEntry x;
    x.jd = l.jd;
    x.moment.at = report::secondsOf(l.jd);
    x.moment.kind = static_cast<SkyKind>(static_cast<int>(l.phase));
    x.moment.longitude = l.longitude;
    const sky::NatalContact c = sky::lunationContact(chart, config, l.longitude);
    x.moment.house = c.house;
    x.moment.contacts = c.aspects;
    x.uid = report::skyKindKey(x.moment.kind) + "|" + universalMinute(l.jd);
    entries.push_back(std::move(x));
  });
  for (const sky::Eclipse& e : sky::eclipses(eph, from, to)) {
    SkyEntry x;
    x.jd = e.at.maximum;
    x.moment.at = report::secondsOf(e.at.maximum);
    x.moment.kind = e.solar ? SkyKind::SolarEclipse : SkyKind::LunarEclipse;
    x.moment.longitude = e.longitude;
    x.moment.eclipse = e.at.kind;
    x.moment.magnitude = e.at.magnitude;
    x.moment.saros = e.at.saros;
    x.moment.sarosMember = e.at.sarosMember;
    const sky::NatalContact c = sky::eclipseContact(chart, e.longitude);
    x.moment.house = c.house;
    x.moment.contacts = c.aspects;
    x.uid = std::string(e.solar ? "solar" : "lunar") + "|" + universalMinute(e.at.maximum);
    entries.push_back(std::move(x));
  }
  // An eclipse after a lunation of the same second, as the sky command lists them.
  std::stable_sort(entries.begin(), entries.end(),
                   [](const SkyEntry& a, const SkyEntry& b) { return a.moment.at < b.moment.at; });
  return complete;
}

class Form {
 public:
  virtual ~Form() = default;
  virtual void begin() {}
  virtual void event(const TransitEvent& e) = 0;
  virtual void end() {}
  // The lunations and eclipses, with --with-sky: given before begin().
  bool withSky = false;
  std::vector<SkyEntry> sky;
};

const char* noTransit(bool greek) {
  return greek ? "Καμία διέλευση εντός ανοχής σε αυτό το διάστημα.\n"
               : "No transit within the orb in this period.\n";
}

// Transits told one a line, the names, the stretches and the exact days in columns; the
// exact days of a slow planet's five stretches stand after them rather than pushing every
// other line's far to the right.
std::string alignedSpans(const std::vector<report::TransitSpan>& spans, const std::string& indent) {
  constexpr std::size_t kStretchColumn = 32;
  std::size_t name = 0, stretches = 0;
  for (const auto& s : spans) {
    name = std::max(name, displayWidth(s.name));
    if (displayWidth(s.stretches) <= kStretchColumn)
      stretches = std::max(stretches, displayWidth(s.stretches));
  }
  std::string out;
  for (const auto& s : spans) {
    std::string line = indent + padded(s.name, name + 3) +
                       padded(s.stretches, std::max(stretches, displayWidth(s.stretches)) + 3) +
                       s.exact;
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out += line + "\n";
  }
  return out;
}

// One line per instant, in time order, under each month's heading: an event's lines wait
// until no event still to come can have an earlier one.
class TextForm : public Form {
 public:
  TextForm(std::ostream& out, const report::LocalClock& local, double orb, bool greek,
           long long from, long long to)
      : out_(out), local_(local), orb_(orb), greek_(greek), from_(from), to_(to) {}
  void begin() override {
    // The sky's lines wait among the transits' for their instants.
    for (const SkyEntry& x : sky)
      pending_.push({x.moment.at, seq_++, report::skyLine(x.moment, greek_), true});
  }
  void event(const TransitEvent& e) override {
    // What already stands within the orb comes first (its key is the period's start): told
    // whole at the head, with its instants before and after the period, as nothing in the
    // period's lines may say it at all (in the orb from before to after).
    if (!headWritten_ && report::inOrbAt(e, natal::julianDayOf(from_))) {
      head_.push_back(report::transitSpan(e, local_, greek_));
      any_ = anyTransit_ = true;
    } else {
      writeHead();
    }
    flush(report::secondsOf(e.key));
    for (auto& l : report::eventLines(e, orb_, greek_, from_, to_))
      pending_.push({l.at, seq_++, l.text});
  }
  void end() override {
    writeHead();
    flush(to_ + 1);
    // The sky's lines alone still say that no transit came within the orb.
    if (!anyTransit_) out_ << (any_ ? "\n" : "") << noTransit(greek_);
  }

 private:
  struct Line {
    long long at;
    long long seq;
    std::string text;
    bool sky = false;
    bool operator>(const Line& o) const { return at != o.at ? at > o.at : seq > o.seq; }
  };
  void flush(long long before) {
    while (!pending_.empty() && pending_.top().at < before) {
      const Line& l = pending_.top();
      const long long local = local_(l.at);
      const std::string month = report::monthHeading((local + 30) / 60 * 60, greek_);
      if (month != month_) {
        out_ << (any_ ? "\n" : "") << month << "\n";
        month_ = month;
      }
      out_ << report::minuteText(local, greek_) << "  " << l.text << "\n";
      any_ = true;
      anyTransit_ = anyTransit_ || !l.sky;
      pending_.pop();
    }
  }
  std::ostream& out_;
  const report::LocalClock& local_;
  double orb_;
  bool greek_;
  long long from_, to_, seq_ = 0;
  std::priority_queue<Line, std::vector<Line>, std::greater<Line>> pending_;
  void writeHead() {
    if (headWritten_) return;
    headWritten_ = true;
    if (head_.empty()) return;
    out_ << (greek_ ? "Ήδη εντός ανοχής στην αρχή του διαστήματος:\n"
                    : "Already within the orb as the period begins:\n")
         << alignedSpans(head_, "  ");
  }
  std::string month_;
  bool any_ = false, anyTransit_ = false, headWritten_ = false;
  std::vector<report::TransitSpan> head_;
};

// One line per transit, in the order they begin, its columns aligned; then the stations
// and ingresses in time order.
class ByTransitForm : public Form {
 public:
  ByTransitForm(std::ostream& out, const report::LocalClock& local, double orb, bool greek,
                long long from, long long to)
      : out_(out), local_(local), orb_(orb), greek_(greek), from_(from), to_(to) {}
  void event(const TransitEvent& e) override {
    if (e.kind == EventKind::Aspect) {
      spans_.push_back(report::transitSpan(e, local_, greek_));
      return;
    }
    for (auto& l : report::eventLines(e, orb_, greek_, from_, to_)) moments_.push_back(l);
  }
  void end() override {
    transits();
    if (!withSky) return;
    // The lunations and eclipses in a section of their own, after the transits.
    out_ << "\n" << (greek_ ? "Φάσεις της Σελήνης και εκλείψεις\n" : "The sky\n");
    for (const SkyEntry& x : sky)
      out_ << report::minuteText(local_(x.moment.at), greek_) << "  "
           << report::skyLine(x.moment, greek_) << "\n";
    if (sky.empty())
      out_ << (greek_ ? "Ούτε φάση της Σελήνης ούτε έκλειψη σε αυτό το διάστημα.\n"
                      : "No lunation or eclipse in this period.\n");
  }

 private:
  void transits() {
    if (spans_.empty() && moments_.empty()) {
      out_ << noTransit(greek_);
      return;
    }
    out_ << alignedSpans(spans_, "");
    if (moments_.empty()) return;
    std::stable_sort(moments_.begin(), moments_.end(),
                     [](const auto& a, const auto& b) { return a.at < b.at; });
    out_ << (spans_.empty() ? "" : "\n")
         << (greek_ ? "Στάσεις και είσοδοι\n" : "Stations and ingresses\n");
    for (const auto& l : moments_)
      out_ << report::minuteText(local_(l.at), greek_) << "  " << l.text << "\n";
  }

 private:
  std::ostream& out_;
  const report::LocalClock& local_;
  double orb_;
  bool greek_;
  long long from_, to_;
  std::vector<report::TransitSpan> spans_;
  std::vector<report::TimedLine> moments_;
};

nlohmann::ordered_json instantJson(const std::optional<double>& jd) {
  return jd ? nlohmann::ordered_json(universalMinute(*jd)) : nlohmann::ordered_json();
}

class JsonForm : public Form {
 public:
  JsonForm(std::ostream& out, nlohmann::ordered_json head, const reading::TextSet& texts,
           std::int32_t sex)
      : out_(out), head_(std::move(head)), texts_(texts), sex_(sex) {}
  void begin() override {
    std::string h = head_.dump(2);
    h.erase(h.find_last_of('}'));  // left open for the events
    while (!h.empty() && (h.back() == '\n' || h.back() == ' ')) h.pop_back();
    out_ << h << ",\n  \"events\": [";
  }
  void event(const TransitEvent& e) override {
    using json = nlohmann::ordered_json;
    json j = {{"kind", e.kind == EventKind::Aspect    ? "aspect"
                       : e.kind == EventKind::Station ? "station"
                       : e.kind == EventKind::Sign    ? "sign"
                                                      : "house"},
              {"transiting", natal::pointName(e.body, false)}};
    switch (e.kind) {
      case EventKind::Aspect: {
        j["aspect"] = natal::aspectName(e.aspect, false);
        j["angle"] = natal::kAspectAngles[e.aspect];
        j["natal"] = natal::pointName(e.natal, false);
        j["enters"] = instantJson(e.enters());
        json exact = json::array();
        for (double x : e.exact) exact.push_back(universalMinute(x));
        j["exact"] = exact;
        j["leaves"] = instantJson(e.leaves());
        // Each stretch within the orb, and each exact instant with its pass and its motion.
        json passes = json::array();
        for (const auto& p : e.passes)
          passes.push_back({{"enters", instantJson(p.enters)}, {"leaves", instantJson(p.leaves)}});
        j["passes"] = passes;
        json retrograde = json::array();
        for (std::size_t i = 0; i < e.exact.size(); ++i)
          retrograde.push_back(i < e.exactRetrograde.size() && e.exactRetrograde[i]);
        j["exact_retrograde"] = retrograde;
        const auto text = textOf(texts_, e, sex_);
        j["text"] = text ? json{{"key", text->first}, {"text", text->second}} : json();
        break;
      }
      case EventKind::Station:
        j["turns"] = e.retrograde ? "retrograde" : "direct";
        j["at"] = universalMinute(e.at);
        j["longitude"] = e.longitude;
        break;
      case EventKind::Sign:
        j["sign"] = natal::signName(e.sign, false);
        j["at"] = universalMinute(e.at);
        j["retrograde"] = e.retrograde;
        break;
      case EventKind::House:
        j["house"] = e.house;
        j["at"] = universalMinute(e.at);
        j["retrograde"] = e.retrograde;
        break;
    }
    out_ << (first_ ? "\n    " : ",\n    ") << j.dump();
    first_ = false;
  }
  void end() override {
    if (!withSky) {
      out_ << (first_ ? "]\n}\n" : "\n  ]\n}\n");
      return;
    }
    out_ << (first_ ? "]," : "\n  ],") << "\n  \"sky\": [";
    bool first = true;
    for (const SkyEntry& x : sky) {
      out_ << (first ? "\n    " : ",\n    ") << skyJson(x).dump();
      first = false;
    }
    out_ << (first ? "]\n}\n" : "\n  ]\n}\n");
  }

  // A lunation or an eclipse as the sky command writes one against a chart.
  static nlohmann::ordered_json skyJson(const SkyEntry& x) {
    using json = nlohmann::ordered_json;
    const SkyMoment& m = x.moment;
    json j = {{"kind", report::skyKindKey(m.kind)},
              {"at", universalMinute(x.jd)},
              {"longitude", m.longitude},
              {"house", m.house ? json(m.house) : json()}};
    const bool eclipse = m.kind == SkyKind::SolarEclipse || m.kind == SkyKind::LunarEclipse;
    json contacts = json::array();
    for (const natal::AspectFound& a : m.contacts)
      contacts.push_back({{"point", natal::pointName(a.b, false)},
                          {"aspect", eclipse ? (a.aspect == 0 ? "on" : "opposite")
                                             : natal::aspectWord(a.aspect, false)},
                          {"orb", std::fabs(a.deviation)}});
    j["contacts"] = contacts;
    if (eclipse) {
      static const char* kKinds[5] = {"total", "annular", "hybrid", "partial", "penumbral"};
      j["eclipse"] = kKinds[static_cast<int>(m.eclipse)];
      j["magnitude"] = std::max(m.magnitude, 0.0);
      j["saros"] = m.saros;
      j["saros_member"] = m.sarosMember;
    }
    return j;
  }

 private:
  std::ostream& out_;
  nlohmann::ordered_json head_;
  const reading::TextSet& texts_;
  std::int32_t sex_;
  bool first_ = true;
};

// Every exact instant as an event of the astrologer's calendar, or with `spans` every
// stretch within the orb as an event from the minute it comes in to the minute it leaves,
// made and written by libical. A UID from what the event is (the chart, the transit, its
// day and which of the transit's instants or stretches it is), so that a newer file updates
// an older one, and two exact instants on one day stay two events.
class CalendarForm : public Form {
 public:
  CalendarForm(const Calendar& calendar, std::ostream& out, const std::string& chart,
               const report::LocalClock& local, const std::string& zone, double orb, bool greek,
               const reading::TextSet& texts, std::int32_t sex, long long from, long long to,
               bool spans)
      : calendar_(calendar),
        out_(out),
        chart_(chart),
        local_(local),
        zone_(zone),
        orb_(orb),
        greek_(greek),
        texts_(texts),
        sex_(sex),
        from_(from),
        to_(to),
        spans_(spans) {}

  void begin() override {
    // The calendar's own lines; its events go where it ends.
    const Calendar::Frame frame = calendar_.frame("-//Orvenda//orvenda-chart 1.2//EN");
    tail_ = frame.tail;
    // Its name is written here: libical leaves the commas and semicolons of an X- property
    // as they are ("Smith, J."), where its text needs them escaped.
    out_ << frame.head
         << folded("X-WR-CALNAME:" +
                   escapedText((greek_ ? "Διελεύσεις: " : "Transits: ") + chart_));
  }

  void event(const TransitEvent& e) override {
    if (e.kind != EventKind::Aspect) return;
    if (spans_) {
      spanEvents(e);
      return;
    }
    const std::string name = report::transitName(e.body, e.aspect, e.natal, greek_);
    for (std::size_t i = 0; i < e.exact.size(); ++i) {
      const long long at = report::secondsOf(e.exact[i]);
      if (at < from_ || at >= to_) continue;
      const long long minute = (at + 30) / 60 * 60;
      CalendarEvent ev;
      ev.uid = uid(e, minute, "exact " + std::to_string(i + 1));
      ev.stamp = static_cast<long long>(std::time(nullptr));
      ev.start = minute;
      ev.summary =
          name + " " +
          (e.exact.size() == 1 ? std::string(greek_ ? "ακριβής" : "exact")
                               : (greek_ ? "ακριβής (" + std::to_string(i + 1) + "η φορά από "
                                         : "exact (" + std::to_string(i + 1) + " of ") +
                                     std::to_string(e.exact.size()) + ")") +
          (e.body != natal::kNorthNode && i < e.exactRetrograde.size() && e.exactRetrograde[i]
               ? " ℞"
               : "");
      ev.description = description(e);
      ev.categories = greek_ ? "Διέλευση" : "Transit";
      out_ << calendar_.event(ev);
    }
  }

  void end() override {
    // Each lunation and eclipse at its minute, with the sky command's UID for the same
    // moment and chart: the one event, whichever of the two files a calendar took it from.
    const auto stamp = static_cast<long long>(std::time(nullptr));
    for (const SkyEntry& x : sky) {
      CalendarEvent ev;
      ev.uid = eventUid(chart_ + "|" + x.uid, "sky");
      ev.stamp = stamp;
      ev.start = minuteOf(x.jd);
      ev.summary = report::skyLine(x.moment, greek_);
      ev.description =
          report::minuteText(local_(x.moment.at), greek_) + " (" + zone_ + ")\n" + ev.summary;
      const bool eclipse =
          x.moment.kind == SkyKind::SolarEclipse || x.moment.kind == SkyKind::LunarEclipse;
      ev.categories =
          eclipse ? (greek_ ? "Έκλειψη" : "Eclipse") : (greek_ ? "Φάση της Σελήνης" : "Lunation");
      out_ << calendar_.event(ev);
    }
    out_ << tail_;
  }

 private:
  static long long minuteOf(double jd) { return (report::secondsOf(jd) + 30) / 60 * 60; }

  // A bar across the days a stretch lasts; one whose end the ephemeris can't reach ends
  // with the period, one whose beginning it can't reach begins with it.
  void spanEvents(const TransitEvent& e) {
    const std::string name = report::transitName(e.body, e.aspect, e.natal, greek_);
    for (std::size_t i = 0; i < e.passes.size(); ++i) {
      const auto& p = e.passes[i];
      const long long start = p.enters ? minuteOf(*p.enters) : from_;
      const long long end = p.leaves ? minuteOf(*p.leaves) : to_;
      if (end < from_ || start >= to_ || end <= start) continue;
      CalendarEvent ev;
      ev.uid = uid(e, start, "stretch " + std::to_string(i + 1));
      ev.stamp = static_cast<long long>(std::time(nullptr));
      ev.start = start;
      ev.end = end;
      ev.summary = name;
      if (e.passes.size() > 1)
        ev.summary += greek_ ? " (" + std::to_string(i + 1) + "ο από " +
                                   std::to_string(e.passes.size()) + " περάσματα)"
                             : " (stretch " + std::to_string(i + 1) + " of " +
                                   std::to_string(e.passes.size()) + ")";
      ev.description = description(e);
      ev.categories = greek_ ? "Διέλευση" : "Transit";
      out_ << calendar_.event(ev);
    }
  }

  const Calendar& calendar_;

  std::string uid(const TransitEvent& e, long long minute, const std::string& which) const {
    // FNV-1a of what the event is: the chart, the transit, its day and which instant or
    // stretch of the transit it is.
    const std::string what = chart_ + "|" + std::to_string(e.body) + "|" +
                             std::to_string(e.aspect) + "|" + std::to_string(e.natal) + "|" +
                             std::to_string(e.side) + "|" + universalText(minute).substr(0, 10) +
                             "|" + which;
    return eventUid(what, spans_ ? "span" : "transit");
  }

  std::string description(const TransitEvent& e) const {
    auto when = [&](double jd) {
      return report::minuteText(local_(report::secondsOf(jd)), greek_);
    };
    char orb[32];
    std::snprintf(orb, sizeof orb, "%g°", orb_);
    if (greek_)
      for (char* c = orb; *c; ++c)
        if (*c == '.') *c = ',';  // a decimal comma, as the report writes it
    // Every stretch, then every exact instant, each on a line of its own.
    std::string s = greek_ ? std::string("Εντός ανοχής ") + orb + " (ώρα " + zone_ + "):"
                           : std::string("Within the orb (") + orb + ", " + zone_ + "):";
    for (const auto& p : e.passes) {
      s += '\n';
      s += p.enters ? when(*p.enters) : "…";
      s += " – ";
      s += p.leaves ? when(*p.leaves) : "…";
    }
    if (!e.exact.empty()) {
      s += greek_ ? "\nΑκριβής:" : "\nExact:";
      for (std::size_t i = 0; i < e.exact.size(); ++i) {
        s += '\n';
        s += when(e.exact[i]);
        if (e.body != natal::kNorthNode && i < e.exactRetrograde.size() && e.exactRetrograde[i])
          s += " ℞";
      }
    }
    if (const auto text = textOf(texts_, e, sex_)) s += "\n\n" + text->second;
    return s;
  }

  std::ostream& out_;
  std::string chart_;
  const report::LocalClock& local_;
  std::string zone_;
  double orb_;
  bool greek_;
  const reading::TextSet& texts_;
  std::int32_t sex_;
  long long from_, to_;
  bool spans_;
  std::string tail_;
};

// Gathers the events for the report.
class ReportForm : public Form {
 public:
  explicit ReportForm(std::vector<TransitEvent>& events) : events_(events) {}
  void event(const TransitEvent& e) override { events_.push_back(e); }

 private:
  std::vector<TransitEvent>& events_;
};

}  // namespace

std::optional<double> orbOption(Tool& t, const Options& o, const char* command, double fallback) {
  const std::string* text = o.value("--orb");
  if (!text) return fallback;
  char* end = nullptr;
  const double v = std::strtod(text->c_str(), &end);
  const bool digits = !text->empty() && text->find_first_not_of("0123456789.") == std::string::npos;
  if (!digits || end != text->c_str() + text->size() || !(v >= 0 && v <= 10)) {
    t.usage(command, "--orb takes degrees from 0 to 10 (1 or 1.5), not '" + *text + "'");
    return std::nullopt;
  }
  return v;
}

int cmdTransits(Tool& t, const Options& o) {
  const auto sex = sexOption(t, o, "transits");
  if (!sex) return 2;
  const auto orb = orbOption(t, o, "transits", 1.0);
  if (!orb) return 2;
  int forms = 0;
  for (const char* f : {"--by-transit", "--json", "--ics", "--ics-spans"}) forms += o.has(f);
  for (const char* f : {"--html", "--pdf"}) forms += o.value(f) != nullptr;
  if (forms > 1)
    return t.usage("transits",
                   "--by-transit, --json, --ics, --ics-spans, --html and --pdf each write a whole "
                   "form: give one");
  if (o.value("-o") && (o.value("--html") || o.value("--pdf")))
    return t.usage("transits",
                   "--html and --pdf name their own file; -o is for text, --json and the "
                   "calendars");
  // The orb as the language writes a number: 1.5, and in Greek 1,5.
  std::ostringstream orbWritten;
  orbWritten << *orb;
  std::string orbShown = orbWritten.str();
  int status = 0;
  auto saved = loadSavedChart(t, o, "transits", status);
  if (!saved) return status;
  const auto selection = selectionOption(t, o, "transits", saved->config);
  if (!selection) return 2;
  const auto zone = astrologerZone(t, o, "transits");
  if (!zone) return 1;
  const auto period = periodOption(t, o, *zone, "transits", status);
  if (!period) return status;
  const auto chart = chartOf(t, *saved);
  if (!chart) return 1;
  natal::Ephemeris& eph = natal::swissEphemeris();
  const double from = julianDayOfSeconds(period->from), to = julianDayOfSeconds(period->to);
  if (!eph.body(from, natal::kSun) || !eph.body(to, natal::kSun))
    return t.fail("transits: the period runs beyond the years the ephemeris can give");
  const std::string name = shownName(saved->name);
  const bool greek = saved->horoscopeLanguage == 1;
  if (greek) std::replace(orbShown.begin(), orbShown.end(), '.', ',');
  const reading::TextSet texts = reading::textSet(*t.files, greek);
  const report::LocalClock local = clockOf(*zone);
  cycles::TransitOptions options;
  options.orb = *orb;
  options.moon = o.has("--moon") || selection->moonNamed;
  options.bodies = selection->bodies;
  options.natal = selection->natal;
  options.aspects = selection->aspects;
  const bool reportForm = o.value("--html") || o.value("--pdf");
  options.profiles = reportForm;

  Output output(t, o);
  std::ostream& out = output.stream();
  std::vector<TransitEvent> events;
  std::unique_ptr<Form> form;
  std::unique_ptr<Calendar> calendar;
  const bool spans = o.has("--ics-spans");
  if (o.has("--ics") || spans) {
    std::string why;
    calendar = Calendar::open(why);
    if (!calendar) return t.fail("transits: " + why);
  }
  if (reportForm) {
    form = std::make_unique<ReportForm>(events);
  } else if (o.has("--json")) {
    nlohmann::ordered_json head = {{"name", name},
                                   {"from", universalText(period->from)},
                                   {"to", universalText(period->to)},
                                   {"zone", *zone},
                                   {"orb", *orb},
                                   {"moon", options.moon}};
    for (const char* option : {"--bodies", "--aspects", "--natal"})
      if (const std::string* list = o.value(option)) head[option + 2] = *list;
    form = std::make_unique<JsonForm>(out, head, texts, *sex);
  } else if (calendar) {
    form = std::make_unique<CalendarForm>(*calendar, out, name, local, *zone, *orb, greek, texts,
                                          *sex, period->from, period->to, spans);
  } else {
    out << (greek ? "διελεύσεις  " : "transits    ") << name << "\n"
        << (greek ? "διάστημα    από " : "period      ")
        << report::dayText(local(period->from), greek) << (greek ? " έως " : " to ")
        << report::dayText(local(period->to - 1), greek) << " (" << *zone << ")\n"
        << (greek ? "ανοχή       " : "orb         ") << orbShown << "°\n";
    for (const auto& [option, en, el] : {std::tuple{"--bodies", "bodies      ", "σώματα      "},
                                         std::tuple{"--aspects", "aspects     ", "όψεις       "},
                                         std::tuple{"--natal", "natal       ", "γενέθλια    "}})
      if (const std::string* list = o.value(option)) out << (greek ? el : en) << *list << "\n";
    out << (greek ? "Πρώτα ο διερχόμενος πλανήτης, μετά το σημείο του γενέθλιου χάρτη.\n\n"
                  : "The transiting planet first, then the natal point.\n\n");
    if (o.has("--by-transit"))
      form = std::make_unique<ByTransitForm>(out, local, *orb, greek, period->from, period->to);
    else
      form = std::make_unique<TextForm>(out, local, *orb, greek, period->from, period->to);
  }
  // The period's lunations and eclipses, asked for: each form puts them among its own.
  const bool withSky = o.has("--with-sky");
  std::vector<SkyEntry> skyEntries;
  bool skyComplete = true;
  if (withSky) skyComplete = skyOfPeriod(eph, *chart, saved->config, from, to, skyEntries);
  form->withSky = withSky;
  form->sky = skyEntries;
  form->begin();
  const cycles::TransitSummary summary =
      cycles::findTransits(*chart, saved->config, options, from, to, eph,
                           [&](const TransitEvent& e) { form->event(e); });
  form->end();
  std::vector<std::string> notes;
  if (summary.analytic)
    notes.push_back(
        "positions from the analytic ephemeris (outside the ephemeris files' years "
        "1800-2399)");
  if (!summary.notComputed.empty()) {
    std::string list;
    for (int b : summary.notComputed)
      list += (list.empty() ? "" : ", ") + natal::pointName(b, false);
    notes.push_back(
        "not computed for all of the period (outside the ephemeris files' years "
        "1800-2399): " +
        list);
  }
  if (!skyComplete)
    notes.push_back(
        "the ephemeris could not give the Sun and the Moon for part of the period: the "
        "lunations there are not listed");
  for (const auto& n : notes) t.note(n);
  if (!reportForm) return output.finish() ? 0 : 1;

  // The report: the sky of the period's start around the chart, the timeline, the list and
  // the reading.
  natal::ChartMoment moment;
  moment.universalSeconds = period->from;
  moment.longitude = natal::recordLongitude(saved->record);
  moment.latitude = natal::recordLatitude(saved->record);
  natal::NatalChart sky = natal::chartAt(moment, saved->config, saved->houseSystem, eph);
  std::erase_if(sky.points,
                [](const natal::PointPosition& p) { return p.index >= natal::kBodies; });
  report::TransitReport r;
  r.chartName = name;
  r.birthLine = birthLine(saved->record, saved->timeKnown, greek);
  r.natal = &*chart;
  r.sky = &sky;
  r.skyAspects = natal::crossAspects(chart->points, sky.points, saved->config, *orb);
  r.events = std::move(events);
  r.from = period->from;
  r.to = period->to;
  r.orb = *orb;
  r.zone = *zone;
  r.local = local;
  r.greek = greek;
  r.sex = *sex;
  r.texts = &texts;
  r.notes = notes;
  // A year of the fast planets' transits is hundreds of contacts of a day: counted, not
  // listed, unless she asked for those bodies or the period is a month.
  r.everyFastTransit = selection->bodiesChosen || period->to - period->from <= 31LL * 86400;
  r.withSky = withSky;
  for (const SkyEntry& x : skyEntries) r.skyMoments.push_back(x.moment);
  const std::string html = report::transitReportHtml(r);
  if (const std::string* file = o.value("--html"); file && !writeWhole(t, *file, html)) return 1;
  if (const std::string* file = o.value("--pdf"); file && !writePdf(t, html, *file)) return 1;
  return 0;
}

}  // namespace orvenda::tool
