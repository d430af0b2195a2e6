// orvenda-chart transits run as a user runs it, in a working directory of its own: every
// form in English and in Greek, the calendar read back by libical and by a second reader,
// and what it refuses. The instants are swetest's (tests/cycles/cycles_reference.txt), the
// local times Python's zoneinfo's.
#include <libical/ical.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iomanip>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <tuple>

#include "config/default_settings.h"
#include "config/settings_store.h"
#include "platform/posix_file_system.h"
#include "support/temp_dir.h"
#include "tool/commands.h"

namespace orvenda::tool {
namespace {

using testing::TempDir;

class TimeTool : public ::testing::Test {
 protected:
  TimeTool() {
    dir.mkdir("NAMES");
    dir.mkdir("settings");
    PosixFileSystem files(dir.path());
    SettingsStore store(files);
    EXPECT_TRUE(writeDefaultSettings(store));
    ::setenv("ORVENDA_TEXTS", ORVENDA_TEXTS_DIR, 1);
    ::setenv("ORVENDA_ZONES", ORVENDA_ZONES_FILE, 1);
  }

  int run(std::vector<std::string> args) {
    out.str("");
    err.str("");
    args.insert(args.begin(), {"-C", dir.path()});
    return runTool(args, out, err);
  }
  // The New York chart of the reference: 14 March 1957 09:41 at GMT −5, 74°00′21″ W
  // 40°42′51″ N.
  void newYork(const std::string& name) {
    ASSERT_EQ(run({"new", name, "--date", "1957-03-14", "--time", "09:41", "--lon", "74:00:21W",
                   "--lat", "40:42:51N", "--offset", "-5:00"}),
              0)
        << err.str();
  }
  void greek() {
    PosixFileSystem files(dir.path());
    SettingsStore store(files);
    ASSERT_TRUE(store.write(IntSetting::Langhor, 1));
  }
  std::string text(const std::string& file) const {
    const auto bytes = dir.read(file);
    return {bytes.begin(), bytes.end()};
  }

  TempDir dir;
  std::ostringstream out, err;
};

bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Seconds since 1970 of "2026-03-09T05:36:00Z" or "20260309T053600Z".
long long secondsOf(std::string s) {
  std::erase(s, '-');
  std::erase(s, ':');
  std::tm tm{};
  tm.tm_year = std::stoi(s.substr(0, 4)) - 1900;
  tm.tm_mon = std::stoi(s.substr(4, 2)) - 1;
  tm.tm_mday = std::stoi(s.substr(6, 2));
  tm.tm_hour = std::stoi(s.substr(9, 2));
  tm.tm_min = std::stoi(s.substr(11, 2));
  tm.tm_sec = std::stoi(s.substr(13, 2));
  return static_cast<long long>(timegm(&tm));
}

// swetest's instants (cycles_reference.txt) of Uranus' passes over natal Mars.
const long long kUranusMars[3] = {secondsOf("20250529T000401Z"), secondsOf("20260101T104228Z"),
                                  secondsOf("20260309T053604Z")};

TEST_F(TimeTool, TransitsOfANewChartInEveryFormInEnglishAndInGreek) {
  newYork("Maria");
  const std::vector<std::string> period = {"--from",     "2026-01-01", "--to",
                                           "2026-03-31", "--zone",     "America/New_York"};
  auto transits = [&](std::vector<std::string> more) {
    std::vector<std::string> args = {"transits", "Maria"};
    args.insert(args.end(), period.begin(), period.end());
    args.insert(args.end(), more.begin(), more.end());
    return run(args);
  };

  ASSERT_EQ(transits({}), 0) << err.str();
  const std::string english = out.str();
  EXPECT_TRUE(
      english.starts_with("transits    Maria\n"
                          "period      1 January 2026 to 31 March 2026 (America/New_York)\n"
                          "orb         1°\n"
                          "The transiting planet first, then the natal point.\n\n"
                          "Already within the orb as the period begins:\n"
                          "  Sun ⊼ Ascendant       30 Dec 2025 – 1 Jan 2026   exact 31 Dec 2025\n"))
      << english.substr(0, 300);
  // Uranus over Mars, in the orb since 2024, told whole at the head: its three stretches
  // and exact days are swetest's (local days in New York), the second exact retrograde.
  EXPECT_TRUE(has(english,
                  "\n  Uranus ☌ Mars         4 Aug – 29 Sep 2024, 11 May – 15 Jun 2025, "
                  "3 Dec 2025 – 4 Apr 2026   exact 28 May 2025, 1 Jan ℞, 9 Mar 2026\n"));
  EXPECT_TRUE(has(english, "\n\nJanuary 2026\n1 Jan 2026 00:35  "));
  // Local times: 05:36 UT on 9 March is 01:36 EDT, a day after the clocks went forward.
  EXPECT_TRUE(has(english, "\n9 Mar 2026 01:36  Uranus ☌ Mars  exact (3 of 3)\n"));
  EXPECT_TRUE(has(english, "\n3 Feb 2026 21:33  Uranus  turns direct at 27°27′ Taurus\n"));
  EXPECT_TRUE(has(english, "\n20 Mar 2026 10:46  Sun  enters Aries\n"));
  EXPECT_TRUE(has(english, "\nFebruary 2026\n") && has(english, "\nMarch 2026\n"));

  ASSERT_EQ(transits({"--json"}), 0) << err.str();
  const auto json = nlohmann::json::parse(out.str());
  EXPECT_EQ(json["zone"], "America/New_York");
  EXPECT_EQ(json["from"], "2026-01-01T05:00:00Z");
  EXPECT_EQ(json["to"], "2026-04-01T04:00:00Z");
  int uranusMars = 0;
  for (const auto& e : json["events"]) {
    if (e["kind"] != "aspect" || e["transiting"] != "Uranus" || e["natal"] != "Mars") continue;
    if (e["aspect"] != "Conjunction") continue;
    ++uranusMars;
    ASSERT_EQ(e["exact"].size(), 3u);
    for (int i = 0; i < 3; ++i)
      EXPECT_NEAR(secondsOf(e["exact"][i]), kUranusMars[i], 60) << e["exact"][i];
    EXPECT_TRUE(e["text"].is_object());
  }
  EXPECT_EQ(uranusMars, 1);

  ASSERT_EQ(transits({"--ics"}), 0) << err.str();
  EXPECT_TRUE(out.str().starts_with("BEGIN:VCALENDAR\r\n"));
  EXPECT_TRUE(
      has(out.str(), "DTSTART:20260309T053600Z\r\nSUMMARY:Uranus ☌ Mars exact (3 of 3)\r\n"));

  ASSERT_EQ(transits({"--html", dir / "maria.html"}), 0) << err.str();
  const std::string html = text("maria.html");
  EXPECT_TRUE(has(html, "<html lang=\"en\">"));
  EXPECT_TRUE(
      has(html, "From 1 January 2026 to 31 March 2026. Times are local to America/New_York."));
  EXPECT_TRUE(has(html, "class=\"biwheel\""));
  EXPECT_TRUE(has(html, "<h2>Timeline of the slow planets' transits</h2>"));
  EXPECT_TRUE(has(html, "class=\"timeline\""));
  EXPECT_TRUE(has(html, "<h2>The transits read</h2>"));
  ASSERT_EQ(transits({"--pdf", dir / "maria.pdf"}), 0) << err.str();
  EXPECT_TRUE(text("maria.pdf").starts_with("%PDF-"));

  // The horoscope language Greek: the same instants in Greek words, the Greek reading.
  greek();
  ASSERT_EQ(transits({}), 0) << err.str();
  const std::string el = out.str();
  EXPECT_TRUE(
      el.starts_with("διελεύσεις  Maria\n"
                     "διάστημα    από 1 Ιανουαρίου 2026 έως 31 Μαρτίου 2026 (America/New_York)\n"
                     "ανοχή       1°\n"
                     "Πρώτα ο διερχόμενος πλανήτης, μετά το σημείο του γενέθλιου χάρτη.\n\n"
                     "Ήδη εντός ανοχής στην αρχή του διαστήματος:\n"))
      << el.substr(0, 300);
  EXPECT_TRUE(has(el, "\n9 Μαρ 2026 01:36  Ουρανός ☌ Άρης  ακριβής (3η φορά από 3)\n"));
  EXPECT_TRUE(
      has(el, "\n3 Φεβ 2026 21:33  Ουρανός  στάση, ξεκινά ορθόδρομη πορεία: Ταύρος 27°27′\n"));
  EXPECT_TRUE(has(el, "\n20 Μαρ 2026 10:46  Ήλιος  είσοδος στο ζώδιο: Κριός\n"));
  EXPECT_TRUE(has(el, "\nΦεβρουάριος 2026\n") && has(el, "\nΜάρτιος 2026\n"));
  EXPECT_FALSE(has(el, "exact") || has(el, "January"));

  ASSERT_EQ(transits({"--json"}), 0) << err.str();
  const auto elJson = nlohmann::json::parse(out.str());
  bool greekText = false;
  for (const auto& e : elJson["events"])
    if (e["kind"] == "aspect" && e["text"].is_object())
      greekText = greekText || has(e["text"]["text"].get<std::string>(), "και");
  EXPECT_TRUE(greekText);

  ASSERT_EQ(transits({"--ics"}), 0) << err.str();
  std::string unfolded = out.str();
  for (std::size_t at; (at = unfolded.find("\r\n ")) != std::string::npos;) unfolded.erase(at, 3);
  EXPECT_TRUE(has(unfolded, "SUMMARY:Ουρανός ☌ Άρης ακριβής (3η φορά από 3)\r\n"));
  EXPECT_TRUE(has(out.str(), "X-WR-CALNAME:Διελεύσεις: Maria\r\n"));

  ASSERT_EQ(transits({"--html", dir / "maria-el.html"}), 0) << err.str();
  const std::string elHtml = text("maria-el.html");
  EXPECT_TRUE(has(elHtml, "<html lang=\"el\">"));
  EXPECT_TRUE(
      has(elHtml, "Από 1 Ιανουαρίου 2026 έως 31 Μαρτίου 2026. Ζώνη ώρας: America/New_York."));
  EXPECT_TRUE(has(elHtml, "<h2>Η ερμηνεία των διελεύσεων</h2>"));
  EXPECT_TRUE(has(elHtml, "<h2>Χρονολόγιο διελεύσεων των αργοκίνητων πλανητών</h2>"));
  EXPECT_FALSE(has(elHtml, "The transits read"));
  ASSERT_EQ(transits({"--pdf", dir / "maria-el.pdf"}), 0) << err.str();
  EXPECT_TRUE(text("maria-el.pdf").starts_with("%PDF-"));
}

struct CalendarEvent {
  std::string uid, dtstamp, dtstart, summary, description, dtend;
  bool operator==(const CalendarEvent&) const = default;
};
struct Calendar {
  std::string name;
  std::vector<CalendarEvent> events;
};

// The calendar as libical reads it; every event with its UID, its DTSTAMP and DTSTART in
// UTC and its SUMMARY.
Calendar readByLibical(const std::string& text) {
  Calendar c;
  icalcomponent* cal = icalparser_parse_string(text.c_str());
  EXPECT_NE(cal, nullptr);
  if (!cal) return c;
  for (icalproperty* p = icalcomponent_get_first_property(cal, ICAL_X_PROPERTY); p;
       p = icalcomponent_get_next_property(cal, ICAL_X_PROPERTY)) {
    if (std::string(icalproperty_get_x_name(p)) != "X-WR-CALNAME") continue;
    const icalvalue* v = icalproperty_get_value(p);
    c.name = icalvalue_isa(v) == ICAL_TEXT_VALUE ? icalvalue_get_text(v) : icalvalue_get_x(v);
  }
  for (icalcomponent* ev = icalcomponent_get_first_component(cal, ICAL_VEVENT_COMPONENT); ev;
       ev = icalcomponent_get_next_component(cal, ICAL_VEVENT_COMPONENT)) {
    CalendarEvent e;
    EXPECT_NE(icalcomponent_get_first_property(ev, ICAL_DTSTAMP_PROPERTY), nullptr);
    EXPECT_NE(icalcomponent_get_first_property(ev, ICAL_DTSTART_PROPERTY), nullptr);
    const icaltimetype start = icalcomponent_get_dtstart(ev);
    const icaltimetype stamp = icalcomponent_get_dtstamp(ev);
    EXPECT_TRUE(icaltime_is_utc(start) && icaltime_is_utc(stamp));
    e.dtstart = icaltime_as_ical_string(start);
    e.dtstamp = icaltime_as_ical_string(stamp);
    e.uid = icalcomponent_get_uid(ev) ? icalcomponent_get_uid(ev) : "";
    e.summary = icalcomponent_get_summary(ev) ? icalcomponent_get_summary(ev) : "";
    e.description = icalcomponent_get_description(ev) ? icalcomponent_get_description(ev) : "";
    if (icalcomponent_get_first_property(ev, ICAL_DTEND_PROPERTY))
      e.dtend = icaltime_as_ical_string(icalcomponent_get_dtend(ev));
    EXPECT_FALSE(e.uid.empty() || e.summary.empty());
    c.events.push_back(e);
  }
  icalcomponent_free(cal);
  return c;
}

// The calendar as ics_reader.py reads it, apart from libical: it refuses lines over 75
// octets, folds within a UTF-8 character, lines not ended by CRLF, and texts whose commas,
// semicolons or backslashes are left unescaped.
Calendar readByPython(const std::string& file) {
  Calendar c;
  const std::string command = "python3 '" ORVENDA_ICS_READER "' '" + file + "' 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string said;
  char buf[65536];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) said.append(buf, n);
  const int status = ::pclose(pipe);
  EXPECT_EQ(status, 0) << said.substr(0, 500);
  if (status != 0) return c;
  const auto json = nlohmann::json::parse(said);
  c.name = json["calendar"].value("X-WR-CALNAME", "");
  for (const auto& e : json["events"])
    c.events.push_back({e.value("UID", ""), e.value("DTSTAMP", ""), e.value("DTSTART", ""),
                        e.value("SUMMARY", ""), e.value("DESCRIPTION", ""), e.value("DTEND", "")});
  return c;
}

// The primary directions of a life as a calendar: read back by libical and by the second
// reader alike, an event at each direction's date (as --json has them, to the minute), no
// UID twice, and the same UIDs for the directions of a later run over part of the life.
// The solar arc's calendar likewise; the reading of a period in the horoscope language.
TEST_F(TimeTool, TheDirectionsCalendarAndReading) {
  dir.mkdir("NAMES/clients");
  const std::string name = "clients\\Παπαδόπουλος, Ιωάννης; Smith";
  newYork(name);
  auto calendar = [&](std::vector<std::string> args, const std::string& file) {
    args.insert(args.begin(), {"directions", name});
    args.insert(args.end(), {"--zone", "Etc/UTC", "--ics", "-o", dir / file});
    EXPECT_EQ(run(args), 0) << err.str();
    EXPECT_TRUE(out.str().empty());
    const Calendar byLibical = readByLibical(text(file));
    const Calendar byPython = readByPython(dir / file);
    EXPECT_TRUE(byLibical.events == byPython.events);
    EXPECT_EQ(byLibical.name, "Directions: " + name);
    return byLibical;
  };
  auto dates = [&](std::vector<std::string> args, const char* list, const char* field) {
    args.insert(args.begin(), {"directions", name});
    args.insert(args.end(), {"--zone", "Etc/UTC", "--json"});
    EXPECT_EQ(run(args), 0) << err.str();
    std::multiset<long long> at;
    const auto json = nlohmann::json::parse(out.str());
    for (const auto& d : json[list]) at.insert((secondsOf(d[field]) + 30) / 60 * 60);
    return at;
  };
  for (const auto& [args, list, field] :
       {std::tuple{std::vector<std::string>{"--primary"}, "primary", "date"},
        std::tuple{
            std::vector<std::string>{"--primary", "--method", "regiomontanus", "--key", "solar"},
            "primary", "date"},
        std::tuple{std::vector<std::string>{"--from", "2000-01-01", "--to", "2040-12-31"},
                   "directions", "exact"}}) {
    const Calendar life = calendar(args, "life.ics");
    const auto expected = dates(args, list, field);
    ASSERT_GT(expected.size(), 60u);
    std::multiset<long long> starts;
    std::set<std::string> uids;
    for (const auto& e : life.events) {
      starts.insert(secondsOf(e.dtstart));
      EXPECT_TRUE(uids.insert(e.uid).second) << "UID twice: " << e.uid << " " << e.summary;
    }
    EXPECT_TRUE(starts == expected) << starts.size() << " events, " << expected.size();
    // A run over a part: each of its events is the life's, by UID and date.
    auto part = args;
    if (part[0] == "--from") part.erase(part.begin(), part.begin() + 4);
    part.insert(part.end(), {"--from", "2010-01-01", "--to", "2019-12-31"});
    const Calendar decade = calendar(part, "decade.ics");
    ASSERT_GT(decade.events.size(), 3u);
    std::map<std::string, std::string> byUid;
    for (const auto& e : life.events) byUid[e.uid] = e.dtstart;
    for (const auto& e : decade.events) EXPECT_EQ(byUid[e.uid], e.dtstart) << e.summary;
  }
  // A solar arc of two centuries directs no one: a period beyond a life's 120 years lists
  // nothing, and says why.
  ASSERT_EQ(run({"directions", name, "--from", "2090-01-01", "--to", "2299-12-31", "--zone",
                 "Etc/UTC", "--json"}),
            0)
      << err.str();
  EXPECT_TRUE(nlohmann::json::parse(out.str())["directions"].empty()) << out.str();
  EXPECT_TRUE(has(err.str(), "from the birth to its 120th year")) << err.str();
  // The directions of the planets to the significators read, in Greek for a Greek chart.
  ASSERT_EQ(run({"directions", name, "--primary", "--reading", "--from", "2026-01-01", "--to",
                 "2026-12-31", "--zone", "Etc/UTC"}),
            0)
      << err.str();
  EXPECT_TRUE(has(out.str(), "Saturn to the Sun (opposition): zodiacal direct, 14 May 2026"))
      << out.str();
  greek();
  ASSERT_EQ(run({"directions", name, "--primary", "--reading", "--from", "2026-01-01", "--to",
                 "2026-12-31", "--zone", "Etc/UTC"}),
            0)
      << err.str();
  EXPECT_TRUE(has(out.str(), "Κρόνος → Ήλιος (αντίθεση): ζωδιακή ευθεία, 14 Μαΐου 2026"))
      << out.str();
  for (const auto& args :
       std::vector<std::vector<std::string>>{{"directions", name, "--ics", "--json"},
                                             {"directions", name, "--sex", "woman"},
                                             {"directions", name, "--primary", "--method", "koch"},
                                             {"directions", name, "--solar-arc", "--primary"},
                                             {"directions", name, "--mundane"}}) {
    EXPECT_EQ(run(args), 2) << args[2];
    EXPECT_TRUE(out.str().empty());
  }
}

TEST_F(TimeTool, TheCalendarReadBackByLibicalAndByASecondReader) {
  // A client's chart in a folder, named as astrologers name them: a comma, a semicolon, the
  // backslash of its folder and Greek letters enough to fold the calendar's name.
  dir.mkdir("NAMES/clients");
  const std::string name = "clients\\Παπαδόπουλος, Ιωάννης; Smith";
  newYork(name);
  auto calendar = [&](const std::string& file, const std::string& from, const std::string& to) {
    EXPECT_EQ(run({"transits", name, "--moon", "--ics", "-o", dir / file, "--from", from, "--to",
                   to, "--zone", "America/New_York"}),
              0)
        << err.str();
    EXPECT_TRUE(out.str().empty());
    const Calendar byLibical = readByLibical(text(file));
    const Calendar byPython = readByPython(dir / file);
    EXPECT_EQ(byLibical.name, byPython.name);
    EXPECT_EQ(byLibical.events.size(), byPython.events.size());
    EXPECT_TRUE(byLibical.events == byPython.events);
    return byLibical;
  };
  const Calendar first = calendar("first.ics", "2026-01-01", "2026-06-30");
  EXPECT_EQ(first.name, "Transits: " + name);
  ASSERT_GT(first.events.size(), 500u);
  // Texts of every kind the escaping has to carry: commas, and the newlines before a
  // transit's reading.
  bool newline = false, comma = false;
  for (const auto& e : first.events) {
    newline = newline || has(e.description, "\n\n");
    comma = comma || has(e.description, ",");
  }
  EXPECT_TRUE(newline && comma);

  // Each exact instant of the period (as --json has them) is one event at its minute, and
  // no two events share a UID.
  ASSERT_EQ(run({"transits", name, "--moon", "--json", "--from", "2026-01-01", "--to", "2026-06-30",
                 "--zone", "America/New_York"}),
            0);
  const auto json = nlohmann::json::parse(out.str());
  const long long from = secondsOf(json["from"]), to = secondsOf(json["to"]);
  std::multiset<long long> exact, starts;
  for (const auto& e : json["events"])
    if (e["kind"] == "aspect")
      for (const auto& x : e["exact"])
        if (secondsOf(x) >= from && secondsOf(x) < to) exact.insert(secondsOf(x));
  std::set<std::string> uids;
  for (const auto& e : first.events) {
    starts.insert(secondsOf(e.dtstart));
    EXPECT_TRUE(uids.insert(e.uid).second) << "UID twice: " << e.uid;
  }
  EXPECT_TRUE(starts == exact) << starts.size() << " events, " << exact.size() << " instants";

  // A second period over part of the first: the events of both have the same UIDs, so
  // that a calendar that takes the newer file updates the older one's events.
  const Calendar second = calendar("second.ics", "2026-04-01", "2026-09-30");
  const long long overlap[2] = {secondsOf("20260402T000000Z"), secondsOf("20260629T000000Z")};
  auto inOverlap = [&](const Calendar& c) {
    std::map<std::string, const CalendarEvent*> m;
    for (const auto& e : c.events)
      if (secondsOf(e.dtstart) >= overlap[0] && secondsOf(e.dtstart) < overlap[1]) m[e.uid] = &e;
    return m;
  };
  const auto a = inOverlap(first), b = inOverlap(second);
  EXPECT_GT(a.size(), 200u);
  EXPECT_EQ(a.size(), b.size());
  for (const auto& [uid, e] : a) {
    const auto other = b.find(uid);
    ASSERT_NE(other, b.end()) << e->summary << " at " << e->dtstart << " has another UID";
    EXPECT_EQ(e->summary, other->second->summary);
    EXPECT_LE(std::llabs(secondsOf(e->dtstart) - secondsOf(other->second->dtstart)), 60);
  }

  // In Greek, two octets a letter: the folds fall between characters.
  greek();
  const Calendar el = calendar("greek.ics", "2026-01-01", "2026-03-31");
  EXPECT_EQ(el.name, "Διελεύσεις: " + name);
  ASSERT_FALSE(el.events.empty());
}

// What a shell command prints on standard output and standard error, and its status.
std::pair<int, std::string> shell(const std::string& command) {
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  std::string said;
  char buf[65536];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) said.append(buf, n);
  return {::pclose(pipe), said};
}

TEST_F(TimeTool, EachStretchInTheOrbInTheTextTheListTheJsonAndTheCalendarOfSpans) {
  // Saturn 150° behind the natal Moon grazes the orb as it turns in 2025 (never exact) and
  // comes back for its exact in March 2026; Uranus over Mars makes three stretches. The
  // minutes are swetest's (cycles_reference.txt), UTC.
  newYork("Maria");
  const std::vector<std::string> period = {"transits", "Maria",      "--from", "2025-01-01",
                                           "--to",     "2026-12-31", "--zone", "UTC"};
  auto transits = [&](std::vector<std::string> more) {
    std::vector<std::string> args = period;
    args.insert(args.end(), more.begin(), more.end());
    return run(args);
  };
  const long long grazeIn = secondsOf("20250628T051441Z"), grazeOut = secondsOf("20250728T030758Z"),
                  backIn = secondsOf("20260301T043750Z"), exact = secondsOf("20260309T110533Z"),
                  backOut = secondsOf("20260317T132647Z");

  // The text: every exit and re-entry, at its minute.
  ASSERT_EQ(transits({}), 0) << err.str();
  std::vector<std::pair<long long, std::string>> lines;
  {
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);) {
      const auto at = line.find("  Saturn ⊼ Moon  ");
      if (at == std::string::npos || line.starts_with(" ")) continue;
      std::tm tm{};
      std::istringstream when(line.substr(0, at));
      when >> std::get_time(&tm, "%d %b %Y %H:%M");
      lines.push_back({static_cast<long long>(timegm(&tm)),
                       line.substr(at + std::string("  Saturn ⊼ Moon  ").size())});
    }
  }
  const std::vector<std::pair<long long, std::string>> expected = {
      {grazeIn, "enters the orb (1°)"},
      {grazeOut, "leaves the orb for now"},
      {backIn, "enters the orb again"},
      {exact, "exact"},
      {backOut, "leaves the orb"}};
  ASSERT_EQ(lines.size(), expected.size()) << out.str().substr(0, 2000);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].second, expected[i].second);
    EXPECT_LE(std::llabs(lines[i].first - expected[i].first), 60) << expected[i].second;
  }

  // One line a transit: the two stretches and the exact day.
  ASSERT_EQ(transits({"--by-transit"}), 0) << err.str();
  EXPECT_TRUE(has(out.str(),
                  "\nSaturn ⊼ Moon             28 Jun – 28 Jul 2025, 1 Mar – 17 Mar 2026   "
                  "exact 9 Mar 2026\n"))
      << out.str().substr(0, 1500);
  EXPECT_TRUE(has(out.str(),
                  "\nUranus ☌ Mars             4 Aug – 29 Sep 2024, 11 May – 15 Jun 2025, "
                  "3 Dec 2025 – 4 Apr 2026   exact 29 May 2025, 1 Jan ℞, 9 Mar 2026\n"));
  EXPECT_TRUE(has(out.str(), "\n\nStations and ingresses\n"));

  // The JSON: the list of stretches, and which exact instant was retrograde.
  ASSERT_EQ(transits({"--json"}), 0) << err.str();
  const auto json = nlohmann::json::parse(out.str());
  const nlohmann::json* saturn = nullptr;
  for (const auto& e : json["events"])
    if (e["kind"] == "aspect" && e["transiting"] == "Saturn" && e["aspect"] == "Inconjunct" &&
        e["natal"] == "Moon")
      saturn = &e;
  ASSERT_NE(saturn, nullptr);
  const auto& passes = (*saturn)["passes"];
  ASSERT_EQ(passes.size(), 2u);
  EXPECT_LE(std::llabs(secondsOf(passes[0]["enters"]) - grazeIn), 60);
  EXPECT_LE(std::llabs(secondsOf(passes[0]["leaves"]) - grazeOut), 60);
  EXPECT_LE(std::llabs(secondsOf(passes[1]["enters"]) - backIn), 60);
  EXPECT_LE(std::llabs(secondsOf(passes[1]["leaves"]) - backOut), 60);
  EXPECT_EQ((*saturn)["exact_retrograde"], nlohmann::json::array({false}));

  // The calendar of spans: one event a stretch, from the minute in to the minute out, read
  // alike by libical and by the second reader, every UID its own.
  ASSERT_EQ(transits({"--ics-spans", "--bodies", "slow", "-o", dir / "spans.ics"}), 0) << err.str();
  const Calendar spans = readByLibical(text("spans.ics"));
  const Calendar again = readByPython(dir / "spans.ics");
  EXPECT_TRUE(spans.events == again.events);
  std::vector<const CalendarEvent*> graze;
  std::set<std::string> uids;
  for (const auto& e : spans.events) {
    EXPECT_TRUE(uids.insert(e.uid).second) << "UID twice: " << e.uid;
    EXPECT_FALSE(e.dtend.empty()) << e.summary;
    EXPECT_LT(secondsOf(e.dtstart), secondsOf(e.dtend)) << e.summary;
    if (e.summary.starts_with("Saturn ⊼ Moon")) graze.push_back(&e);
  }
  ASSERT_EQ(graze.size(), 2u);
  EXPECT_EQ(graze[0]->summary, "Saturn ⊼ Moon (stretch 1 of 2)");
  EXPECT_LE(std::llabs(secondsOf(graze[0]->dtstart) - grazeIn), 60);
  EXPECT_LE(std::llabs(secondsOf(graze[0]->dtend) - grazeOut), 60);
  EXPECT_LE(std::llabs(secondsOf(graze[1]->dtstart) - backIn), 60);
  EXPECT_LE(std::llabs(secondsOf(graze[1]->dtend) - backOut), 60);
  EXPECT_TRUE(has(graze[1]->description,
                  "Within the orb (1°, UTC):\n28 Jun 2025 05:15 – 28 Jul 2025 03:08\n1 Mar 2026 "
                  "04:38 – 17 Mar 2026 13:27\nExact:\n9 Mar 2026 11:0"));
  for (const auto& e : spans.events) EXPECT_FALSE(e.summary.starts_with("Mars")) << e.summary;

  // khal, a calendar that files each event by its UID, imports it twice without doubles.
  if (shell("command -v khal").first != 0) {
    std::printf("khal is not installed: the imports are not tried\n");
    return;
  }
  dir.mkdir("khal");
  dir.mkdir("khal/cal");
  const std::string config = "[calendars]\n[[transits]]\npath = " + dir / "khal/cal" +
                             "\ntype = calendar\n[locale]\ntimeformat = %H:%M\ndateformat = "
                             "%Y-%m-%d\nlongdateformat = %Y-%m-%d\ndatetimeformat = %Y-%m-%d "
                             "%H:%M\nlongdatetimeformat = %Y-%m-%d %H:%M\n[sqlite]\npath = " +
                             dir / "khal/khal.db" + "\n";
  dir.write("khal/config", std::vector<std::uint8_t>(config.begin(), config.end()));
  const std::string import = "HOME='" + dir.path() + "' khal -c '" + dir / "khal/config" +
                             "' import --batch -a transits '" + dir / "spans.ics" + "'";
  auto filed = [&] {
    const auto [status, said] = shell("ls '" + dir / "khal/cal" + "' | wc -l");
    return std::stoul(said);
  };
  for (int round = 0; round < 2; ++round) {
    const auto [status, said] = shell(import);
    EXPECT_EQ(status, 0) << said;
    EXPECT_EQ(filed(), spans.events.size()) << "after import " << round + 1;
  }
}

TEST_F(TimeTool, EveryCalendarEventHasItsOwnUidOverACenturyAndKeepsItBetweenRuns) {
  // A planet that stations a few hundredths of a degree from a point is exact twice in one
  // day; each of those instants is its own event. Three charts over a century.
  newYork("New York");
  ASSERT_EQ(run({"new", "Athens", "--date", "1985-07-20", "--time", "14:30", "--lon", "23:43E",
                 "--lat", "37:58N", "--offset", "+3:00"}),
            0)
      << err.str();
  ASSERT_EQ(run({"new", "Sydney", "--date", "1972-11-02", "--time", "06:10", "--lon", "151:12E",
                 "--lat", "33:52S", "--offset", "+11:00"}),
            0)
      << err.str();
  int sameDay = 0;
  for (const char* chart : {"New York", "Athens", "Sydney"}) {
    SCOPED_TRACE(chart);
    ASSERT_EQ(run({"transits", chart, "--ics", "--from", "1950-01-01", "--to", "2049-12-31",
                   "--zone", "UTC"}),
              0)
        << err.str();
    const std::string ics = out.str();
    std::set<std::string> uids;
    std::map<std::string, int> perDay;  // a transit's exact instants on one UTC day
    std::size_t events = 0;
    for (std::size_t at = ics.find("BEGIN:VEVENT"); at != std::string::npos;
         at = ics.find("BEGIN:VEVENT", at + 1)) {
      ++events;
      auto field = [&](const std::string& name) {
        const auto from = ics.find("\r\n" + name + ":", at) + name.size() + 3;
        return ics.substr(from, ics.find("\r\n", from) - from);
      };
      EXPECT_TRUE(uids.insert(field("UID")).second) << field("UID") << " " << field("SUMMARY");
      std::string summary = field("SUMMARY");
      summary = summary.substr(0, summary.find(" exact"));
      if (++perDay[summary + field("DTSTART").substr(0, 8)] == 2) ++sameDay;
    }
    EXPECT_GT(events, 50000u);
    // A second run over one year of the century gives its events the same UIDs.
    ASSERT_EQ(run({"transits", chart, "--ics", "--from", "2004-01-01", "--to", "2004-12-31",
                   "--zone", "UTC"}),
              0);
    std::size_t found = 0, year = 0;
    for (std::size_t at = out.str().find("\r\nUID:"); at != std::string::npos;
         at = out.str().find("\r\nUID:", at + 1), ++year)
      found += uids.count(out.str().substr(at + 6, out.str().find("\r\n", at + 6) - at - 6));
    EXPECT_EQ(found, year);
    EXPECT_GT(year, 500u);
  }
  // The case that lost events: over three charts' century, a transit exact twice in a day.
  EXPECT_GE(sameDay, 1);
}

TEST_F(TimeTool, ProgressionsTellOnlyALifesInstantsAndTheProgressedSiderealTime) {
  newYork("Maria");
  // The progressed chart of 1 January 2026: its Midheaven carried by the solar arc to 23°00′
  // Aries; its sidereal time is that Midheaven's right ascension, with swetest's true
  // obliquity of the progressed instant (22 May 1957 09:55:52 UT: 23°26′35.1353″).
  ASSERT_EQ(run({"progressions", "Maria", "--date", "2026-01-01", "--zone", "UTC", "--json"}), 0)
      << err.str();
  const auto json = nlohmann::json::parse(out.str());
  double mc = -1;
  for (const auto& p : json["points"])
    if (p["name"] == "Midheaven") mc = p["longitude"];
  ASSERT_GE(mc, 0);
  const double eps = (23 + 26 / 60.0 + 35.1353 / 3600) * M_PI / 180, l = mc * M_PI / 180;
  double ra = std::atan2(std::sin(l) * std::cos(eps), std::cos(l)) * 180 / M_PI;
  if (ra < 0) ra += 360;
  const long long seconds = std::llround(ra / 15 * 3600);
  char expected[64];
  std::snprintf(expected, sizeof expected,
                "\nsidereal    %02lld:%02lld:%02lld local sidereal time\n", seconds / 3600,
                seconds / 60 % 60, seconds % 60);
  ASSERT_EQ(run({"progressions", "Maria", "--date", "2026-01-01", "--zone", "UTC"}), 0);
  EXPECT_TRUE(has(out.str(), expected)) << expected << out.str().substr(0, 600);
  EXPECT_FALSE(has(out.str(), "sidereal    00:00:00"));

  // The aspects in orb at the date: no exact instant before the birth or after its 120th
  // year; over a period, none outside the period.
  const long long birth = secondsOf("19570314T144100Z"), lifeEnd = birth + 120LL * 31556926;
  std::size_t instants = 0;
  for (const auto& a : json["aspects"])
    for (const auto& x : a["exact"]) {
      ++instants;
      EXPECT_GE(secondsOf(x), birth) << a.dump();
      EXPECT_LT(secondsOf(x), lifeEnd) << a.dump();
    }
  EXPECT_GT(instants, 3u);
  ASSERT_EQ(run({"progressions", "Maria", "--from", "2026-01-01", "--to", "2035-12-31", "--zone",
                 "UTC", "--json"}),
            0);
  const auto period = nlohmann::json::parse(out.str());
  const long long from = secondsOf("20260101T000000Z"), to = secondsOf("20360101T000000Z");
  std::size_t inPeriod = 0;
  for (const auto& a : period["period_aspects"])
    for (const auto& x : a["exact"]) {
      ++inPeriod;
      EXPECT_TRUE(secondsOf(x) >= from && secondsOf(x) < to) << a.dump();
    }
  EXPECT_GT(inPeriod, 0u);
  // Chosen as transits are: the progressed Moon and Sun over the personal points alone.
  ASSERT_EQ(run({"progressions", "Maria", "--from", "2026-01-01", "--to", "2035-12-31", "--zone",
                 "UTC", "--json", "--bodies", "Moon,Sun", "--natal", "personal"}),
            0)
      << err.str();
  const auto chosen = nlohmann::json::parse(out.str());
  ASSERT_FALSE(chosen["period_aspects"].empty());
  for (const auto& a : chosen["period_aspects"]) {
    EXPECT_TRUE(a["progressed"] == "Moon" || a["progressed"] == "Sun") << a.dump();
    const std::string n = a["natal"];
    EXPECT_TRUE(n == "Sun" || n == "Moon" || n == "Mercury" || n == "Venus" || n == "Mars" ||
                n == "Ascendant" || n == "Midheaven")
        << n;
  }
}

TEST_F(TimeTool, TheChoiceOfBodiesAspectsAndPointsIsReadOrRefusedWithTheReason) {
  newYork("Maria");
  const std::vector<std::string> base = {"transits",   "Maria",  "--from", "2026-01-01", "--to",
                                         "2026-12-31", "--zone", "UTC",    "--json"};
  auto transits = [&](std::vector<std::string> more) {
    std::vector<std::string> args = base;
    args.insert(args.end(), more.begin(), more.end());
    return run(args);
  };
  // Names in either language, any case, with or without their spaces; a name switched off
  // in the configuration (Ceres) is computed as asked, and moves over the chart only.
  ASSERT_EQ(transits({"--bodies", "saturn, Πλούτωνας,north-node,Ceres", "--aspects",
                      "Square,τρίγωνο", "--natal", "Sun,asc"}),
            0)
      << err.str();
  std::set<std::string> bodies, aspects, points;
  const auto json = nlohmann::json::parse(out.str());
  for (const auto& e : json["events"]) {
    bodies.insert(e["transiting"]);
    if (e["kind"] != "aspect") continue;
    aspects.insert(e["aspect"]);
    points.insert(e["natal"]);
  }
  EXPECT_TRUE(std::includes(std::set<std::string>{"Saturn", "Pluto", "North Node", "Ceres"}.begin(),
                            std::set<std::string>{"Saturn", "Pluto", "North Node", "Ceres"}.end(),
                            bodies.begin(), bodies.end()));
  EXPECT_TRUE(bodies.count("Ceres"));
  EXPECT_TRUE(std::includes(std::set<std::string>{"Square", "Trine"}.begin(),
                            std::set<std::string>{"Square", "Trine"}.end(), aspects.begin(),
                            aspects.end()));
  EXPECT_TRUE(std::includes(std::set<std::string>{"Sun", "Ascendant"}.begin(),
                            std::set<std::string>{"Sun", "Ascendant"}.end(), points.begin(),
                            points.end()));
  // What can't be read is a command line not understood, said with the names it takes.
  for (const auto& [option, list, said] :
       {std::tuple{"--bodies", "Saturnus", "--bodies: 'Saturnus' is not a body that moves"},
        std::tuple{"--bodies", "Ascendant", "--bodies: 'Ascendant' is not a body that moves"},
        std::tuple{"--aspects", "minor", "--aspects: 'minor' is not an aspect"},
        std::tuple{"--natal", "Sun,,Moon", "--natal takes a list separated by commas"}}) {
    EXPECT_EQ(transits({option, list}), 2) << option << " " << list;
    EXPECT_TRUE(has(err.str(), said)) << err.str();
    EXPECT_TRUE(out.str().empty());
  }
}

TEST_F(TimeTool, WhatTransitsRefusesSaysWhyAndLeavesNothingWritten) {
  newYork("Maria");
  const std::string old = "an older calendar\n";
  dir.write("old.ics", std::vector<std::uint8_t>(old.begin(), old.end()));
  const std::vector<std::string> ok = {"--zone",     "UTC",  "--from",
                                       "2026-01-01", "--to", "2026-01-31"};
  // The command line is not understood: status 2.
  const std::vector<std::pair<std::vector<std::string>, std::string>> misunderstood = {
      {{"--from", "2027-02-30", "--ics", "-o", dir / "old.ics"},
       "--from 2027-02-30: there is no such day"},
      {{"--from", "2026-01-01", "--to", "2026-13-01"}, "--to 2026-13-01: "},
      {{"--from", "1.1.26"}, "four digits"},
      {{"--orb", "11"}, "--orb takes degrees from 0 to 10"},
      {{"--json", "--ics"}, "give one"},
      {{"--ics", "-o", dir / "old.ics", "--html", dir / "x.html"}, "give one"},
  };
  // It is understood and can't be done: status 1.
  const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
      {{"--from", "2027-03-01", "--to", "2027-02-01", "--ics", "-o", dir / "old.ics"},
       "the period ends before it begins (--from 2027-03-01)"},
      {{"--from", "9999-01-01", "--to", "9999-12-31"},
       "the period runs beyond the years the ephemeris can give"},
      // The analytic ephemeris ends at JD 2818000.5, 29 April 3003 (swetest -emos: "outside
      // Moshier planet range 625000.50 .. 2818000.50").
      {{"--zone", "UTC", "--from", "3003-04-01", "--to", "3003-04-29"},
       "the period runs beyond the years the ephemeris can give"},
      {{"--zone", "Mars/Olympus"}, "no time zone \"Mars/Olympus\""},
      {{"--ics", "-o", dir / "missing/x.ics"}, "there is no folder"},
      {{"--html", dir / "missing/x.html"}, "there is no folder"},
      {{"--pdf", dir / "missing/x.pdf"}, "there is no folder"},
  };
  for (const auto& [cases, status] : {std::pair{&misunderstood, 2}, std::pair{&refused, 1}})
    for (auto [more, says] : *cases) {
      // The case's own options, and those of a good period where it gives none.
      std::vector<std::string> args = {"transits", "Maria"};
      args.insert(args.end(), more.begin(), more.end());
      for (std::size_t i = 0; i < ok.size(); i += 2)
        if (std::find(more.begin(), more.end(), ok[i]) == more.end())
          args.insert(args.end(), {ok[i], ok[i + 1]});
      EXPECT_EQ(run(args), status) << says;
      EXPECT_TRUE(has(err.str(), says)) << err.str();
      EXPECT_TRUE(out.str().empty()) << says;
    }
  // The progressions' one day is read as the period's first: told as it was given.
  EXPECT_EQ(run({"progressions", "Maria", "--date", "2027-02-30"}), 2);
  EXPECT_TRUE(has(err.str(), "--date 2027-02-30: there is no such day")) << err.str();
  EXPECT_EQ(run({"transits", "Nobody"}), 1);
  EXPECT_TRUE(has(err.str(), "no chart NAMES/Nobody")) << err.str();
  EXPECT_EQ(text("old.ics"), old);
  EXPECT_FALSE(dir.exists("missing"));
  EXPECT_FALSE(dir.exists("x.html"));
  // libical is loaded when a calendar is written: a library that can't be loaded, or one
  // that isn't libical, is said so, and the older calendar stays as it was.
  for (const auto& [library, says] :
       {std::pair<std::string, std::string>{dir / "no-such-libical.so.3", "can't be loaded"},
        {dir / "old.ics", "can't be loaded"},
        {"libswe.so.2.0", "has no function icalcomponent_new_vcalendar"}}) {
    ::setenv("ORVENDA_LIBICAL", library.c_str(), 1);
    EXPECT_EQ(run({"transits", "Maria", "--from", "2026-01-01", "--to", "2026-01-31", "--ics", "-o",
                   dir / "old.ics"}),
              1);
    ::unsetenv("ORVENDA_LIBICAL");
    EXPECT_TRUE(has(err.str(), says) && has(err.str(), library)) << err.str();
    EXPECT_TRUE(out.str().empty());
    EXPECT_EQ(text("old.ics"), old);
  }
  // Up to the analytic ephemeris' last day the transits are there, and said to be from it.
  ASSERT_EQ(
      run({"transits", "Maria", "--zone", "UTC", "--from", "3003-04-01", "--to", "3003-04-27"}), 0)
      << err.str();
  EXPECT_TRUE(has(err.str(), "positions from the analytic ephemeris")) << err.str();
  EXPECT_TRUE(has(out.str(), "\n27 Apr 3003 ")) << out.str().substr(out.str().size() - 300);
}

// The lines of a text that are not among another's, in order: what --with-sky adds.
std::vector<std::string> linesAdded(const std::string& with, const std::string& without) {
  std::multiset<std::string> before;
  std::istringstream a(without), b(with);
  for (std::string line; std::getline(a, line);) before.insert(line);
  std::vector<std::string> added;
  for (std::string line; std::getline(b, line);) {
    const auto it = before.find(line);
    if (it == before.end())
      added.push_back(line);
    else
      before.erase(it);
  }
  return added;
}

TEST_F(TimeTool, TheMonthsLunationsAndEclipsesAmongTheTransits) {
  // March 2026 in New York. swetest's instants (tests/sky/lunations_2020s.txt, and
  // `swetest -lunecl -b1.3.2026`): the total lunar eclipse greatest at 11:33:41 UT, magnitude
  // 1.1507, Saros 133/27, the full moon 11:37:54 UT, the last quarter 09:38:30 UT on the 11th,
  // the new moon 01:23:29 UT on the 19th, the first quarter 19:17:43 UT on the 25th; the
  // clocks go forward on the 8th. The Moon's longitude at those instants (swetest -p01 -fPl):
  // 162.8592° and 162.8981° (12°52′ and 12°54′ Virgo), at the new moon 358.4514° (28°27′
  // Pisces). The chart's Placidus cusps (swetest -house-74.005833,40.714167,P): the 4th
  // 135.73°, the 5th 165.37°, the 11th 345.37°, the 12th 25.91°; so houses 4 and 11. Its
  // Saturn 254.2342°, Jupiter 177.2908°, Mars 57.9371°: the full moon square Saturn by
  // 1.336° (1°20′), the new moon opposite Jupiter by 1.161° (1°10′) and sextile Mars by
  // 0.514° (0°31′).
  newYork("Maria");
  auto transits = [&](std::vector<std::string> more) {
    std::vector<std::string> args = {"transits", "Maria",      "--from", "2026-03-01",
                                     "--to",     "2026-03-31", "--zone", "America/New_York"};
    args.insert(args.end(), more.begin(), more.end());
    return run(args);
  };
  ASSERT_EQ(transits({}), 0) << err.str();
  const std::string plain = out.str();
  ASSERT_EQ(transits({"--with-sky"}), 0) << err.str();
  const std::string english = out.str();
  // Exactly the five moments more, each at its instant among the transits.
  const std::vector<std::string> added = linesAdded(english, plain);
  ASSERT_EQ(added.size(), 5u) << english;
  EXPECT_TRUE(
      added[0].starts_with("3 Mar 2026 06:34  Total lunar eclipse 12°52′ Virgo, natal house 4"))
      << added[0];
  EXPECT_TRUE(added[0].ends_with(" (magnitude 1.1507, Saros 133/27)")) << added[0];
  EXPECT_TRUE(added[1].starts_with("3 Mar 2026 06:38  Full moon 12°54′ Virgo, natal house 4, "))
      << added[1];
  EXPECT_TRUE(has(added[1], ", □ natal Saturn 1°20′")) << added[1];
  EXPECT_TRUE(added[2].starts_with("11 Mar 2026 05:3")) << added[2];
  EXPECT_TRUE(has(added[2], "  Last quarter ")) << added[2];
  // The new moon's every contact, each orb the difference of swetest's longitudes: Pluto
  // 148.6202° (150° by 0.169°), Chiron 315.0070° (45° by 1.556°), the Midheaven 315.7319°
  // (45° by 2.281°).
  EXPECT_EQ(added[3],
            "18 Mar 2026 21:23  New moon 28°27′ Pisces, natal house 11, ⊼ natal Pluto 0°10′, ✶ "
            "natal Mars 0°31′, ☍ natal Jupiter 1°10′, ∠ natal Chiron 1°33′, ∠ natal Midheaven "
            "2°17′");
  EXPECT_TRUE(added[4].starts_with("25 Mar 2026 15:18  First quarter ")) << added[4];
  // Among the transit lines, not after them: every dated line in time order.
  {
    std::istringstream in(english);
    long long last = 0;
    int dated = 0;
    for (std::string line; std::getline(in, line);) {
      if (line.empty() || !std::isdigit(static_cast<unsigned char>(line[0]))) continue;
      std::tm tm{};
      std::istringstream when(line.substr(0, line.find("  ")));
      when >> std::get_time(&tm, "%d %b %Y %H:%M");
      const auto at = static_cast<long long>(timegm(&tm));
      EXPECT_GE(at, last) << line;
      last = at;
      ++dated;
    }
    EXPECT_GT(dated, 20);
  }

  // By transit: the transits as they were, then the sky's own section.
  ASSERT_EQ(transits({"--by-transit"}), 0) << err.str();
  const std::string byTransit = out.str();
  ASSERT_EQ(transits({"--by-transit", "--with-sky"}), 0) << err.str();
  EXPECT_TRUE(out.str().starts_with(byTransit));
  const std::string section = out.str().substr(byTransit.size());
  EXPECT_TRUE(section.starts_with("\nThe sky\n3 Mar 2026 06:34  Total lunar eclipse ")) << section;
  EXPECT_TRUE(has(section, "\n18 Mar 2026 21:23  New moon 28°27′ Pisces, natal house 11, "));
  EXPECT_EQ(std::count(section.begin(), section.end(), '\n'), 7);

  // JSON: without --with-sky no "sky"; with it, the same object and the five of them.
  ASSERT_EQ(transits({"--json"}), 0) << err.str();
  const auto before = nlohmann::json::parse(out.str());
  EXPECT_FALSE(before.contains("sky"));
  ASSERT_EQ(transits({"--json", "--with-sky"}), 0) << err.str();
  auto json = nlohmann::json::parse(out.str());
  ASSERT_TRUE(json.contains("sky"));
  const auto sky = json["sky"];
  json.erase("sky");
  EXPECT_EQ(json, before);
  ASSERT_EQ(sky.size(), 5u);
  EXPECT_EQ(sky[0]["kind"], "lunar eclipse");
  EXPECT_EQ(sky[0]["at"], "2026-03-03T11:34:00Z");
  EXPECT_EQ(sky[0]["eclipse"], "total");
  EXPECT_NEAR(sky[0]["magnitude"].get<double>(), 1.1507, 0.00005);
  EXPECT_EQ(sky[0]["saros"], 133);
  EXPECT_EQ(sky[0]["saros_member"], 27);
  EXPECT_EQ(sky[0]["house"], 4);
  EXPECT_EQ(sky[3]["kind"], "new moon");
  EXPECT_EQ(sky[3]["at"], "2026-03-19T01:23:00Z");
  EXPECT_NEAR(sky[3]["longitude"].get<double>(), 358.4514, 0.0003);
  EXPECT_EQ(sky[3]["house"], 11);
  bool mars = false;
  for (const auto& c : sky[3]["contacts"])
    if (c["point"] == "Mars") {
      mars = true;
      EXPECT_EQ(c["aspect"], "sextile");
      EXPECT_NEAR(c["orb"].get<double>(), 0.514, 0.001);
    }
  EXPECT_TRUE(mars);

  // The calendars: the transits' events as they were and one more a moment, read back by
  // libical and by a second reader, no UID twice and none of the sky's a transit's.
  for (const char* form : {"--ics", "--ics-spans"}) {
    ASSERT_EQ(transits({form, "-o", dir / "plain.ics"}), 0) << err.str();
    ASSERT_EQ(transits({form, "--with-sky", "-o", dir / "sky.ics"}), 0) << err.str();
    const Calendar was = readByLibical(text("plain.ics"));
    const Calendar both = readByLibical(text("sky.ics"));
    EXPECT_TRUE(both.events == readByPython(dir / "sky.ics").events);
    ASSERT_FALSE(was.events.empty());
    ASSERT_EQ(both.events.size(), was.events.size() + 5) << form;
    std::set<std::string> transitUids, uids;
    for (const auto& e : was.events) transitUids.insert(e.uid);
    std::vector<const CalendarEvent*> skyEvents;
    for (const auto& e : both.events) {
      EXPECT_TRUE(uids.insert(e.uid).second) << "UID twice: " << e.uid;
      if (!transitUids.count(e.uid)) skyEvents.push_back(&e);
    }
    ASSERT_EQ(skyEvents.size(), 5u) << form;
    std::map<long long, std::string> bySummary;
    for (const auto* e : skyEvents) bySummary[secondsOf(e->dtstart)] = e->summary;
    EXPECT_TRUE(bySummary[secondsOf("20260319T012300Z")].starts_with(
        "New moon 28°27′ Pisces, natal house 11, "));
    EXPECT_TRUE(bySummary[secondsOf("20260303T113400Z")].starts_with("Total lunar eclipse "));
    EXPECT_TRUE(bySummary[secondsOf("20260303T113800Z")].starts_with("Full moon 12°54′ Virgo"));
    // The same moments as the sky command's calendar has them: one event in a calendar that
    // takes both files.
    ASSERT_EQ(run({"sky", "Maria", "--lunations", "--eclipses", "--ics", "--from", "2026-03-01",
                   "--to", "2026-03-31", "--zone", "America/New_York", "-o", dir / "sky-only.ics"}),
              0)
        << err.str();
    std::set<std::string> skyUids, ours;
    for (const auto& e : readByLibical(text("sky-only.ics")).events) skyUids.insert(e.uid);
    for (const auto* e : skyEvents) ours.insert(e->uid);
    EXPECT_EQ(ours, skyUids) << form;
  }

  // In Greek, the house after the degree.
  greek();
  ASSERT_EQ(transits({"--with-sky"}), 0) << err.str();
  EXPECT_TRUE(has(out.str(), "\n18 Μαρ 2026 21:23  Νέα Σελήνη Ιχθύες 28°27′ στον 11ο οίκο, "))
      << out.str();
  EXPECT_TRUE(has(out.str(),
                  "\n3 Μαρ 2026 06:34  Ολική έκλειψη Σελήνης Παρθένος 12°52′ στον 4ο "
                  "οίκο"));
  EXPECT_TRUE(has(out.str(), "(μέγεθος 1,1507, Σάρος 133/27)\n"));
}

}  // namespace
}  // namespace orvenda::tool
