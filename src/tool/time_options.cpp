// The astrologer's zone and period, outputs written whole, and PDFs by an engine found at
// run time.
#include "tool/time_options.h"

#include <date/tz.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <limits>
#include <map>

#include "natal/names.h"
#include "places/atlas.h"
#include "places/zone_offset.h"
#include "places/zone_rule.h"
#include "platform/posix_file_system.h"
#include "sheet/html.h"

namespace orvenda::tool {
namespace {

// The zone the system's clock is set to, by name.
std::string systemZone() {
  if (const char* tz = std::getenv("TZ"); tz && *tz) {
    std::string name = tz[0] == ':' ? tz + 1 : tz;
    const std::string prefix = "/usr/share/zoneinfo/";
    if (name.starts_with(prefix)) name = name.substr(prefix.size());
    return name;
  }
  std::error_code ec;
  const fs::path link = fs::read_symlink("/etc/localtime", ec);
  if (!ec) {
    const std::string s = link.string();
    const auto at = s.find("zoneinfo/");
    if (at != std::string::npos) return s.substr(at + 9);
  }
  std::ifstream in("/etc/timezone");
  std::string name;
  if (in >> name) return name;
  return "UTC";
}

}  // namespace

std::optional<std::string> astrologerZone(Tool& t, const Options& o, const char* command) {
  const std::string* given = o.value("--zone");
  const std::string zone = given ? *given : systemZone();
  if (zoneExists(zone)) return zone;
  t.fail(std::string(command) + ": " +
         (given ? "no time zone \"" + zone +
                      "\" in the system's database (an IANA name such as "
                      "Europe/Athens)"
                : "the system's time zone \"" + zone + "\" is not in its database; give --zone"));
  return std::nullopt;
}

report::LocalClock clockOf(const std::string& zone) {
  // Asked for thousands of instants, in order or not (the time lords' periods jump back
  // from a year's last month to the next level's first day): the zone's period that held
  // the last instant is kept with its bounds, and answers for every instant within them
  // without looking again. The offsets are those of periodAtUniversal: the database's
  // periods up to the file's last listed change, its footer rule after it.
  const date::time_zone* tz = nullptr;
  try {
    tz = date::locate_zone(zone);
  } catch (const std::exception&) {
    tz = nullptr;
  }
  struct Kept {
    std::int64_t begin = 0, end = 0;  // [begin, end): nothing kept yet
    int offset = 0;
    std::optional<ZoneTail> tail;
  };
  auto kept = std::make_shared<Kept>();
  if (tz) kept->tail = zoneTail(zone);
  return [tz, kept](long long ut) -> long long {
    if (!tz) return ut;  // a zone the database doesn't have: universal time
    Kept& k = *kept;
    if (ut >= k.begin && ut < k.end) return ut + k.offset;
    if (k.tail && ut > k.tail->lastChange) {
      const RulePeriod r = ruleAt(k.tail->rule, ut);
      k.begin = std::max<std::int64_t>(r.begin, k.tail->lastChange + 1);
      k.end = r.end;
      k.offset = r.offset;
    } else {
      const date::sys_info info = tz->get_info(date::sys_seconds{std::chrono::seconds{ut}});
      k.begin = info.begin.time_since_epoch().count();
      k.end = info.end.time_since_epoch().count();
      if (k.tail) k.end = std::min<std::int64_t>(k.end, k.tail->lastChange + 1);
      k.offset = static_cast<int>(info.offset.count());
    }
    return ut + k.offset;
  };
}

long long localMidnight(const std::string& zone, const CivilDate& date) {
  const ZoneOffset z = offsetAt(zone, date, ClockTime{0, 0, 0}, std::nullopt);
  const int offset =
      z.kind == ZoneOffset::Kind::Gap ? z.second.offsetSeconds : z.first.offsetSeconds;
  using namespace std::chrono;
  const auto day = sys_days{year{date.year} / date.month / date.day};
  return duration_cast<seconds>(day.time_since_epoch()).count() - offset;
}

std::optional<Period> periodOption(Tool& t, const Options& o, const std::string& zone,
                                   const char* command, int& status) {
  status = 1;
  std::string why;
  auto dateOf = [&](const char* option) -> std::optional<CivilDate> {
    const std::string* text = o.value(option);
    if (!text) return std::nullopt;
    const auto d = parseDate(*text, why);
    // A date that can't be read is a command line not understood, as `new` has it.
    if (!d) status = t.usage(command, std::string(option) + " " + *text + ": " + why);
    return d;
  };
  const auto from = dateOf("--from");
  if (o.value("--from") && !from) return std::nullopt;
  const auto to = dateOf("--to");
  if (o.value("--to") && !to) return std::nullopt;
  using namespace std::chrono;
  auto nextDay = [](const CivilDate& d) {
    const year_month_day n{sys_days{year{d.year} / d.month / d.day} + days{1}};
    return CivilDate{static_cast<int>(n.year()), static_cast<int>(static_cast<unsigned>(n.month())),
                     static_cast<int>(static_cast<unsigned>(n.day()))};
  };
  auto yearLater = [](const CivilDate& d, int years) {
    year_month_day n{year{d.year + years} / d.month / d.day};
    if (!n.ok()) n = year{d.year + years} / d.month / last;  // 29 February
    return CivilDate{static_cast<int>(n.year()), static_cast<int>(static_cast<unsigned>(n.month())),
                     static_cast<int>(static_cast<unsigned>(n.day()))};
  };
  CivilDate start;
  if (from) {
    start = *from;
  } else {
    const long long now = duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
    const long long local = clockOf(zone)(now);
    const year_month_day today{floor<days>(sys_seconds{seconds{local}})};
    start = {static_cast<int>(today.year()), static_cast<int>(static_cast<unsigned>(today.month())),
             static_cast<int>(static_cast<unsigned>(today.day()))};
    if (to) start = yearLater(*to, -1), start = nextDay(start);
  }
  const CivilDate endDay = to ? nextDay(*to) : yearLater(start, 1);
  Period p{localMidnight(zone, start), localMidnight(zone, endDay)};
  if (p.to <= p.from) {
    char day[32];
    std::snprintf(day, sizeof day, "%04d-%02d-%02d", start.year, start.month, start.day);
    t.fail(std::string(command) + ": the period ends before it begins (--from " + day + ")");
    return std::nullopt;
  }
  status = 0;
  return p;
}

namespace {

// A name as it is matched: lower case, accents and tonos gone, without spaces, hyphens and
// full stops ("North Node", "north-node" and «Βόρειος Δεσμός» each one word).
std::string nameKey(std::string_view name) {
  std::string folded = places::foldName(name), key;
  for (char c : folded)
    if (c != ' ' && c != '-' && c != '_' && c != '.') key += c;
  return key;
}

std::vector<std::string> listItems(const std::string& list) {
  std::vector<std::string> items;
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t comma = std::min(list.find(',', start), list.size());
    std::string item = list.substr(start, comma - start);
    const auto first = item.find_first_not_of(' '), last = item.find_last_not_of(' ');
    items.push_back(first == std::string::npos ? "" : item.substr(first, last - first + 1));
    start = comma + 1;
  }
  return items;
}

// The point of the planet table a name stands for (its English or Greek name, or a short
// form astrologers write), or -1.
int pointNamed(const std::string& name) {
  const std::string key = nameKey(name);
  static const std::map<std::string, int> shortForms = {{"node", natal::kNorthNode},
                                                        {"nnode", natal::kNorthNode},
                                                        {"pallas", 12},
                                                        {"fortune", 17},
                                                        {"pof", 17},
                                                        {"vx", 18},
                                                        {"ep", 19},
                                                        {"asc", natal::kAscendant},
                                                        {"ac", natal::kAscendant},
                                                        {"mc", natal::kMidheaven},
                                                        {"δεσμος", natal::kNorthNode},
                                                        {"χειρων", natal::kChiron},
                                                        {"ωροσκοπος", natal::kAscendant},
                                                        {"μεσουρανημα", natal::kMidheaven}};
  if (const auto s = shortForms.find(key); s != shortForms.end()) return s->second;
  for (int i = 0; i < natal::kPoints; ++i)
    if (key == nameKey(natal::pointName(i, false)) || key == nameKey(natal::pointWord(i, true)) ||
        key == nameKey(natal::pointName(i, true)))
      return i;
  return -1;
}

int aspectNamed(const std::string& name) {
  const std::string key = nameKey(name);
  if (key == "quincunx") return 5;
  if (key == "sesquisquare") return 8;
  for (int i = 0; i < natal::kAspects; ++i)
    if (key == nameKey(natal::aspectName(i, false)) || key == nameKey(natal::aspectWord(i, true)))
      return i;
  return -1;
}

}  // namespace

std::optional<Selection> selectionOption(Tool& t, const Options& o, const char* command,
                                         natal::ChartConfig& config) {
  Selection s;
  // Each list read whole before anything is changed: a name that can't be read changes
  // nothing.
  struct Chosen {
    std::uint32_t mask = 0;
    std::vector<int> named;
  };
  auto read = [&](const char* option, auto&& groups, auto&& named, const char* what,
                  const char* groupNames) -> std::optional<Chosen> {
    Chosen c;
    const std::string* list = o.value(option);
    if (!list) return Chosen{~0u, {}};
    for (const std::string& item : listItems(*list)) {
      if (item.empty()) {
        t.usage(command,
                std::string(option) + " takes a list separated by commas, not '" + *list + "'");
        return std::nullopt;
      }
      if (const auto g = groups(nameKey(item))) {
        c.mask |= *g;
        continue;
      }
      const int i = named(item);
      if (i < 0) {
        t.usage(command, std::string(option) + ": '" + item + "' is not " + what +
                             "; the groups: " + groupNames);
        return std::nullopt;
      }
      c.mask |= 1u << i;
      c.named.push_back(i);
    }
    return c;
  };
  auto bits = [](int from, int to) {
    std::uint32_t m = 0;
    for (int i = from; i <= to; ++i) m |= 1u << i;
    return m;
  };
  const auto bodies = read(
      "--bodies",
      [&](const std::string& k) -> std::optional<std::uint32_t> {
        if (k == "slow") return bits(5, natal::kChiron);
        if (k == "fast") return bits(natal::kSun, 4);
        if (k == "all") return ~0u;
        return std::nullopt;
      },
      [](const std::string& name) {
        const int i = pointNamed(name);
        return i < natal::kBodies ? i : -1;
      },
      "a body that moves (Sun to Pluto, Chiron, Ceres, Pallas, Juno, Vesta, North Node, "
      "Lilith)",
      "slow, fast, all");
  if (!bodies) return std::nullopt;
  const auto points = read(
      "--natal",
      [&](const std::string& k) -> std::optional<std::uint32_t> {
        if (k == "personal")
          return bits(natal::kSun, 4) | 1u << natal::kAscendant | 1u << natal::kMidheaven;
        if (k == "all") return ~0u;
        return std::nullopt;
      },
      pointNamed, "a point of the chart", "personal, all");
  if (!points) return std::nullopt;
  const auto aspects = read(
      "--aspects",
      [&](const std::string& k) -> std::optional<std::uint32_t> {
        if (k == "major") return bits(0, 4);
        if (k == "all") return ~0u;
        return std::nullopt;
      },
      aspectNamed, "an aspect (conjunction, opposition, square, trine, sextile, ...)",
      "major, all");
  if (!aspects) return std::nullopt;
  // Groups within what the configuration lets take part, names whatever it says.
  std::uint32_t planetsOn = 0, aspectsOn = 0;
  for (int i = 0; i < natal::kPoints; ++i)
    if (config.planets.enabled[static_cast<std::size_t>(i)] == 1) planetsOn |= 1u << i;
  for (int i = 0; i < natal::kAspects; ++i)
    if (config.aspects.enabled[static_cast<std::size_t>(i)] == 1) aspectsOn |= 1u << i;
  auto namedBits = [](const Chosen& c) {
    std::uint32_t m = 0;
    for (int i : c.named) m |= 1u << i;
    return m;
  };
  s.bodies = (bodies->mask & planetsOn) | namedBits(*bodies);
  s.natal = (points->mask & planetsOn) | namedBits(*points);
  s.aspects = (aspects->mask & aspectsOn) | namedBits(*aspects);
  s.bodiesChosen = o.value("--bodies") != nullptr;
  for (int i : bodies->named) {
    config.planets.enabled[static_cast<std::size_t>(i)] = 1;
    if (i == natal::kMoon) s.moonNamed = true;
  }
  for (int i : points->named) config.planets.enabled[static_cast<std::size_t>(i)] = 1;
  for (int i : aspects->named) config.aspects.enabled[static_cast<std::size_t>(i)] = 1;
  return s;
}

std::string universalText(long long seconds, const char* form) {
  using namespace std::chrono;
  const sys_seconds ut{std::chrono::seconds{seconds}};
  const auto day = floor<days>(ut);
  const year_month_day d{day};
  const hh_mm_ss<std::chrono::seconds> hms{ut - day};
  char buf[64];
  std::snprintf(buf, sizeof buf, form, static_cast<int>(d.year()), static_cast<unsigned>(d.month()),
                static_cast<unsigned>(d.day()), static_cast<int>(hms.hours().count()),
                static_cast<int>(hms.minutes().count()), static_cast<int>(hms.seconds().count()));
  return buf;
}

std::string universalMinute(double jd) {
  const long long s = report::secondsOf(jd);
  return universalText((s >= 0 ? (s + 30) / 60 : -((-s + 29) / 60)) * 60);
}

std::string birthLine(const BirthRecord& r, bool timeKnown, bool greek) {
  static const char* const kMonthsEn[12] = {"January",   "February", "March",    "April",
                                            "May",       "June",     "July",     "August",
                                            "September", "October",  "November", "December"};
  static const char* const kMonthsEl[12] = {
      "Ιανουαρίου", "Φεβρουαρίου", "Μαρτίου",     "Απριλίου",  "Μαΐου",     "Ιουνίου",
      "Ιουλίου",    "Αυγούστου",   "Σεπτεμβρίου", "Οκτωβρίου", "Νοεμβρίου", "Δεκεμβρίου"};
  const int m = std::clamp(r.month, 1, 12) - 1;
  char buf[160];
  std::string s = greek ? "γέννηση: " : "born ";
  s += std::to_string(r.day) + " " + (greek ? kMonthsEl[m] : kMonthsEn[m]) + " " +
       std::to_string(r.year);
  if (timeKnown) {
    std::snprintf(buf, sizeof buf, ", %02d:%02d", r.hour, r.minute);
    s += buf;
    if (r.second) std::snprintf(buf, sizeof buf, ":%02d", r.second), s += buf;
  } else {
    s += greek ? ", ώρα άγνωστη" : ", time not known";
  }
  s += " (GMT " + formatOffset(recordOffsetMinutes(r)) + "), ";
  // The latitude first, as astrologers write a place, in degrees, minutes and seconds.
  auto angle = [&](std::int32_t arc, const char* plus, const char* minus) {
    const std::int32_t a = arc < 0 ? -arc : arc;
    std::snprintf(buf, sizeof buf, "%d°%02d′%02d″ %s", a / 3600, a / 60 % 60, a % 60,
                  arc < 0 ? minus : plus);
    return std::string(buf);
  };
  return s +
         angle(fromRecordAngle(r.latDegrees, r.latMinutes, r.latSeconds), greek ? "Β" : "N",
               greek ? "Ν" : "S") +
         ", " +
         angle(fromRecordAngle(r.lonDegrees, r.lonMinutes, r.lonSeconds), greek ? "Α" : "E",
               greek ? "Δ" : "W");
}

Output::Output(Tool& t, const Options& o) : t_(t), out_(t.out) {
  if (const std::string* f = o.value("-o"); f && *f != "-") file_ = *f;
}

bool Output::finish() {
  if (!file_) return true;
  return writeWhole(t_, *file_, buffer_.str());
}

bool writeWhole(Tool& t, const std::string& file, const std::string& content) {
  // "-" is standard output, as for -o: a report or a PDF piped on.
  if (file == "-") {
    t.out << content;
    if (t.out) return true;
    t.fail("can't write to standard output");
    return false;
  }
  const fs::path path(file);
  std::error_code ec;
  if (path.filename().empty() || fs::is_directory(path, ec))
    return t.fail(file + " names a folder, not a file"), false;
  PosixFileSystem files(path.has_parent_path() ? path.parent_path().string() : ".");
  if (!files.write(
          path.filename().string(),
          std::span(reinterpret_cast<const std::uint8_t*>(content.data()), content.size()))) {
    t.fail("can't write " + file + ": " + writeCauseAt(path, path.parent_path().string(), errno) +
           "; it is as it was");
    return false;
  }
  return true;
}

bool writePdf(Tool& t, const std::string& page, const std::string& path) {
  const html::Pdf pdf = html::pdfOf(page);
  if (!pdf.bytes) return t.fail("can't write " + path + ": " + pdf.reason), false;
  return writeWhole(t, path, *pdf.bytes);
}

}  // namespace orvenda::tool
