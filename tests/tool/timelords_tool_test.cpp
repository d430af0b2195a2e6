// orvenda-chart timelords run as a user runs it: the calendar of the periods read back by
// libical and by a second reader, against the JSON of the same span and the dates worked by
// hand (tests/timelords); the JSON's bytes against the JSON library's own writing of them;
// the report and what the forms refuse; and the astrologer's clock against the C library's.
#include <libical/ical.h>
#include <time.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "config/default_settings.h"
#include "config/settings_store.h"
#include "platform/posix_file_system.h"
#include "support/temp_dir.h"
#include "tool/commands.h"
#include "tool/time_options.h"

namespace orvenda::tool {
namespace {

using testing::TempDir;

class TimelordsTool : public ::testing::Test {
 protected:
  TimelordsTool() {
    dir.mkdir("NAMES");
    dir.mkdir("settings");
    PosixFileSystem files(dir.path());
    SettingsStore store(files);
    EXPECT_TRUE(writeDefaultSettings(store));
    ::setenv("ORVENDA_TEXTS", ORVENDA_TEXTS_DIR, 1);
    ::setenv("ORVENDA_ZONES", ORVENDA_ZONES_FILE, 1);
    // The New York chart of tests/timelords: 14 March 1957 09:41 at GMT −5, 14:41 UT.
    EXPECT_EQ(run({"new", "ny", "--date", "1957-03-14", "--time", "09:41", "--lon", "74:00:21W",
                   "--lat", "40:42:51N", "--offset", "-5:00"}),
              0)
        << err.str();
  }
  int run(std::vector<std::string> args) {
    out.str("");
    err.str("");
    args.insert(args.begin(), {"-C", dir.path()});
    return runTool(args, out, err);
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

struct ReadEvent {
  std::string uid, start, end, summary, description, categories;
};

// Every event as libical reads it, its instants in UTC.
std::vector<ReadEvent> readByLibical(const std::string& calendar) {
  std::vector<ReadEvent> events;
  icalcomponent* cal = icalparser_parse_string(calendar.c_str());
  EXPECT_NE(cal, nullptr);
  if (!cal) return events;
  for (icalcomponent* ev = icalcomponent_get_first_component(cal, ICAL_VEVENT_COMPONENT); ev;
       ev = icalcomponent_get_next_component(cal, ICAL_VEVENT_COMPONENT)) {
    ReadEvent e;
    const icaltimetype start = icalcomponent_get_dtstart(ev), end = icalcomponent_get_dtend(ev);
    EXPECT_TRUE(icaltime_is_utc(start) && icaltime_is_utc(end));
    e.start = icaltime_as_ical_string(start);
    e.end = icaltime_as_ical_string(end);
    e.uid = icalcomponent_get_uid(ev) ? icalcomponent_get_uid(ev) : "";
    e.summary = icalcomponent_get_summary(ev) ? icalcomponent_get_summary(ev) : "";
    e.description = icalcomponent_get_description(ev) ? icalcomponent_get_description(ev) : "";
    if (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_CATEGORIES_PROPERTY))
      e.categories = icalproperty_get_categories(p);
    events.push_back(e);
  }
  icalcomponent_free(cal);
  return events;
}

// The same file as tests/tool/ics_reader.py reads it, apart from libical (it refuses long
// lines, broken folds and unescaped texts): each event's properties.
nlohmann::json readByPython(const std::string& file) {
  const std::string command = "python3 '" ORVENDA_ICS_READER "' '" + file + "' 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string said;
  char buf[65536];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) said.append(buf, n);
  EXPECT_EQ(::pclose(pipe), 0) << said.substr(0, 500);
  return nlohmann::json::parse(said, nullptr, false);
}

// "1957-03-14T14:41:00Z" as iCalendar writes it: "19570314T144100Z".
std::string icalForm(std::string iso) {
  std::erase(iso, '-');
  std::erase(iso, ':');
  return iso;
}

TEST_F(TimelordsTool, TheCalendarOfTheYearsPeriodsAgreesWithTheJsonAndTheReckoning) {
  const std::vector<std::string> span = {"--from",     "2026-01-01", "--to",
                                         "2027-12-31", "--zone",     "America/New_York"};
  auto timelords = [&](std::vector<std::string> more) {
    std::vector<std::string> args = {"timelords", "ny"};
    args.insert(args.end(), span.begin(), span.end());
    args.insert(args.end(), more.begin(), more.end());
    return run(args);
  };
  ASSERT_EQ(timelords({"--json"}), 0) << err.str();
  const auto json = nlohmann::json::parse(out.str());
  // Every period the JSON lists, from its start to its end, as the calendar should have it.
  std::multiset<std::pair<std::string, std::string>> periods;
  for (const auto& y : json["profections"]) {
    periods.insert({icalForm(y["from"]), icalForm(y["to"])});
    for (const auto& m : y["months"]) periods.insert({icalForm(m["from"]), icalForm(m["to"])});
  }
  for (const auto& f : json["firdaria"]) periods.insert({icalForm(f["from"]), icalForm(f["to"])});
  for (const auto& z : json["releasing"]["periods"])
    periods.insert({icalForm(z["from"]), icalForm(z["to"])});

  ASSERT_EQ(timelords({"--ics", "-o", dir / "lords.ics"}), 0) << err.str();
  EXPECT_TRUE(out.str().empty());
  const std::string calendar = text("lords.ics");
  EXPECT_TRUE(calendar.starts_with("BEGIN:VCALENDAR\r\n"));
  const auto events = readByLibical(calendar);
  const auto second = readByPython(dir / "lords.ics");
  ASSERT_TRUE(second.is_object());
  EXPECT_EQ(second["calendar"]["X-WR-CALNAME"], "Time lords: ny");
  ASSERT_EQ(events.size(), periods.size());
  ASSERT_EQ(second["events"].size(), periods.size());
  std::multiset<std::pair<std::string, std::string>> read;
  std::set<std::string> uids;
  for (std::size_t i = 0; i < events.size(); ++i) {
    const ReadEvent& e = events[i];
    const auto& p = second["events"][i];
    read.insert({e.start, e.end});
    uids.insert(e.uid);
    // The two readers agree on every event.
    EXPECT_EQ(p["UID"], e.uid);
    EXPECT_EQ(p["DTSTART"], e.start);
    EXPECT_EQ(p["DTEND"], e.end);
    EXPECT_EQ(p["SUMMARY"], e.summary);
    EXPECT_EQ(p["DESCRIPTION"], e.description);
  }
  EXPECT_EQ(read, periods);
  EXPECT_EQ(uids.size(), events.size());  // unique
  // The first and the last, in the order written: the 69th year's profection from the
  // birthday of 2025 (Gemini + 68 signs: Aquarius, the 9th house, Saturn's) and the
  // releasing's second level that runs past the span's end.
  EXPECT_EQ(events.front().start, icalForm(json["profections"][0]["from"]));
  EXPECT_EQ(events.front().start, "20250314T144100Z");
  EXPECT_EQ(events.front().summary, "Lord of the year Saturn (Aquarius, 9th house)");
  const auto& lastPeriod = json["releasing"]["periods"].back();
  EXPECT_EQ(events.back().start, icalForm(lastPeriod["from"]));
  EXPECT_EQ(events.back().end, icalForm(lastPeriod["to"]));

  // The periods of the reckoning worked by hand (tests/timelords): the 70th year from the
  // birthday of 14 March 2026 14:41 UT, Pisces, the 10th house, Jupiter's; Mars' firdar from
  // 63 years of 365.2425 days (13 March 2020 21:20:36 UT) to 70, Jupiter's seventh of it from
  // 69 (14 March 2026 08:15:48); Aries at the releasing's first level from 69 years of 360
  // days (17 March 2025 14:41) for 15, Taurus at the second after Aries' 15 months of 30
  // days (10 June 2026 14:41), 8 months, the 7th from Fortune in Scorpio: a peak. Libra is
  // the 70th year's eighth month: 7 and 8 twelfths of its 31,536,000 seconds on from the
  // birthday (1,773,499,260 s since 1970).
  std::map<std::string, ReadEvent> byStart;  // summary and start: one event each
  for (const auto& e : events) byStart[e.summary + " " + e.start] = e;
  const std::vector<std::array<std::string, 3>> expected = {
      {"Lord of the year Jupiter (Pisces, 10th house)", "20260314T144100Z", "20270314T144100Z"},
      {"Lord of the month Venus (Libra)", "20261013T124100Z", "20261112T224100Z"},
      {"Firdaria: Mars", "20200313T212036Z", "20270314T140500Z"},
      {"Firdaria: Mars with Jupiter", "20260314T081548Z", "20270314T140500Z"},
      {"Releasing L1 Aries", "20250317T144100Z", "20391229T144100Z"},
      {"Releasing L2 Taurus — peak", "20260610T144100Z", "20270205T144100Z"},
      {"Releasing L2 Gemini", "20270205T144100Z", "20280927T144100Z"}};
  for (const auto& [summary, start, end] : expected) {
    const auto e = byStart.find(summary + " " + start);
    ASSERT_NE(e, byStart.end()) << summary << " from " << start;
    EXPECT_EQ(e->second.end, end) << summary;
  }
  const auto year = byStart["Lord of the year Jupiter (Pisces, 10th house) 20260314T144100Z"];
  const auto sub = byStart["Firdaria: Mars with Jupiter 20260314T081548Z"];
  EXPECT_EQ(year.description,
            "The profection of the 70th year of life: the Ascendant's sign (Gemini) moved on 9 "
            "signs to Pisces, the 10th house by whole sign. Its ruler Jupiter is the lord of "
            "the year until the next birthday.\n14 Mar 2026 10:41 – 14 Mar 2027 10:41 "
            "(America/New_York)");
  EXPECT_EQ(sub.categories, "Firdaria");

  // The same periods again: the same UIDs, so that a calendar program updates its events.
  ASSERT_EQ(timelords({"--ics"}), 0) << err.str();
  const auto again = readByLibical(out.str());
  ASSERT_EQ(again.size(), events.size());
  for (std::size_t i = 0; i < events.size(); ++i) EXPECT_EQ(again[i].uid, events[i].uid);

  // In Greek, the tradition's words; a --date's calendar is the twelve months from it.
  greek();
  ASSERT_EQ(run({"timelords", "ny", "--ics", "--date", "2026-12-10", "--zone", "Etc/UTC"}), 0)
      << err.str();
  std::set<std::string> greekSummaries;
  for (const auto& e : readByLibical(out.str())) {
    greekSummaries.insert(e.summary);
    EXPECT_LT(e.start, "20271210T000000Z") << e.summary;
    EXPECT_GT(e.end, "20261210T000000Z") << e.summary;
  }
  for (const char* s :
       {"Κύριος του έτους ο Δίας (Ιχθύες, 10ος τόπος)", "Κύριος του μήνα ο Άρης (Σκορπιός)",
        "Κυρία του μήνα η Αφροδίτη (Ταύρος)", "Φιρδαρία του Άρη, υποπερίοδος του Δία",
        "Φιρδαρία του Βόρειου Δεσμού", "Άφεση, επίπεδο 2: Ταύρος — κορυφή"})
    EXPECT_TRUE(greekSummaries.count(s)) << s;
}

// The JSON of a century to the fourth level, written as it goes, is byte for byte what the
// JSON library writes of the document it reads back (keys in order, two spaces, its numbers).
TEST_F(TimelordsTool, TheCenturysJsonIsTheLibrarysOwnWritingOfIt) {
  ASSERT_EQ(run({"timelords", "ny", "--from", "1957-03-14", "--to", "2077-03-14", "--levels", "4",
                 "--zone", "America/New_York", "--json"}),
            0)
      << err.str();
  const std::string written = out.str();
  const auto tree = nlohmann::json::parse(written);
  EXPECT_EQ(tree.dump(2) + "\n", written);
  // 13,629 periods of releasing, 120 years of profections and their months.
  EXPECT_EQ(tree["releasing"]["periods"].size(), 13629u);
  EXPECT_EQ(tree["profections"].size(), 121u);
  EXPECT_EQ(tree["releasing"]["year_days"].dump(), "360.0");
  EXPECT_EQ(tree["releasing"]["periods"][0]["from"], "1957-03-14T14:41:00Z");
}

TEST_F(TimelordsTool, TheReportAndWhatTheFormsRefuse) {
  const std::string page = dir / "lords.html";
  ASSERT_EQ(run({"timelords", "ny", "--date", "2026-12-10", "--zone", "America/New_York", "--html",
                 page}),
            0)
      << err.str();
  const std::string html = text("lords.html");
  for (const char* part :
       {"<h1>The time lords of ny</h1>", "<img class=\"timeline\"",
        "<h3>The sub-periods of the firdar of Mars</h3>",
        "<h3>Level 2 within Aries, 17 Mar 2025 – 29 Dec 2039</h3>",
        // The 70th year in bold in its row, the reading of that day after the tables.
        "<td class=\"num now\">69</td><td class=\"num now\">2026</td>",
        "<h4>The lord of the year: Jupiter</h4>"})
    EXPECT_NE(html.find(part), std::string::npos) << part;
  for (const auto& args :
       std::vector<std::vector<std::string>>{{"--ics", "--json"},
                                             {"--html", page + "2", "--pdf", page + "3"},
                                             {"--html", page + "2", "--levels", "3"},
                                             {"--html", page + "2", "-o", page + "4"},
                                             {"--sex", "woman"},
                                             {"--reading", "--from", "2026-01-01"}}) {
    std::vector<std::string> command = {"timelords", "ny"};
    command.insert(command.end(), args.begin(), args.end());
    EXPECT_EQ(run(command), 2) << args[0] << " " << args[1];
    EXPECT_TRUE(out.str().empty());
  }
  for (const char* file : {"lords.html2", "lords.html3", "lords.html4"})
    EXPECT_FALSE(std::filesystem::exists(dir / file)) << file;
  // A date the lords aren't reckoned for is refused for the report as for the text.
  EXPECT_EQ(run({"timelords", "ny", "--date", "1950-01-01", "--html", page + "5"}), 1);
  EXPECT_NE(err.str().find("before the birth"), std::string::npos) << err.str();
  EXPECT_FALSE(std::filesystem::exists(dir / "lords.html5"));
}

// The clock every command of time reads local times with, against the C library's reading
// of the same zone files (tm_gmtoff) from 1850 to 2300: summer times, half-hour summers (Lord
// Howe), a negative one (Dublin), and the years past the files' last listed change, where
// the footer's rule holds. Each day in order, and the second before, of and after each
// change of the clocks (found from the C library by halving), then instants in no order.
TEST(AstrologersClock, AgreesWithTheCLibraryOnEveryZonesOffset) {
  const char* saved = std::getenv("TZ");
  const std::string before = saved ? saved : "";
  auto offset = [](long long t) {
    const time_t at = static_cast<time_t>(t);
    tm local{};
    return ::localtime_r(&at, &local) ? static_cast<long long>(local.tm_gmtoff) : -1000000;
  };
  std::uint64_t seed = 88172645463325252ull;
  auto next = [&] {
    seed ^= seed << 13, seed ^= seed >> 7, seed ^= seed << 17;
    return seed;
  };
  constexpr long long kFrom = -3786825600LL, kTo = 10413792000LL;  // 1850 to 2300
  for (const char* zone : {"America/New_York", "Europe/London", "Europe/Dublin", "Europe/Athens",
                           "Australia/Lord_Howe", "America/Sao_Paulo", "Asia/Kolkata",
                           "Pacific/Chatham", "Africa/Casablanca", "Etc/UTC"}) {
    ::setenv("TZ", zone, 1);
    ::tzset();
    const report::LocalClock clock = clockOf(zone);
    int wrong = 0, changes = 0;
    std::string first;
    auto check = [&](long long t) {
      if (clock(t) - t == offset(t)) return;
      if (wrong++ == 0)
        first = std::to_string(t) + ": " + std::to_string(clock(t) - t) + " against " +
                std::to_string(offset(t));
    };
    long long previous = offset(kFrom);
    for (long long t = kFrom; t < kTo; t += 86400) {
      const long long now = offset(t);
      if (now != previous) {
        long long lo = t - 86400, hi = t;  // the change is in (lo, hi]
        while (hi - lo > 1) {
          const long long mid = lo + (hi - lo) / 2;
          (offset(mid) == previous ? lo : hi) = mid;
        }
        for (long long u : {hi - 1, hi, hi + 1}) check(u);
        ++changes;
        previous = now;
      }
      check(t);
    }
    for (int i = 0; i < 4000; ++i)
      check(kFrom + static_cast<long long>(next() % static_cast<std::uint64_t>(kTo - kFrom)));
    EXPECT_EQ(wrong, 0) << zone << ", first " << first;
    if (std::string(zone) != "Etc/UTC" && std::string(zone) != "Asia/Kolkata") {
      EXPECT_GT(changes, 50) << zone;  // the summers of the centuries
    }
  }
  if (saved)
    ::setenv("TZ", before.c_str(), 1);
  else
    ::unsetenv("TZ");
  ::tzset();
}

}  // namespace
}  // namespace orvenda::tool
