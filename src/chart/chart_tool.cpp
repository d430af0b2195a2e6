// The commands of orvenda-chart. Each one checks everything it was given before it
// writes anything, and every chart goes through the program's own crash-safe file layer.
#include "chart/chart_tool.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>

#include "birth/chart_store.h"
#include "chart/atlas.h"
#include "chart/exchange.h"
#include "chart/fields.h"
#include "chart/zone_offset.h"
#include "console/cp737.h"
#include "platform/file_system.h"
#include "platform/posix_file_system.h"

namespace orvenda::chart {
namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: orvenda-chart [-C DIR] COMMAND [ARGS]\n"
    "\n"
    "Birth records for Orvenda, in the working directory (or DIR): the charts of NAMES/.\n"
    "\n"
    "  list [--csv]             every chart, with its fields as the main screen shows them\n"
    "  show NAME                one chart: its fields, universal time, Julian day, place\n"
    "  new NAME --date DATE --time TIME (--place PLACE | --lon LON --lat LAT [--zone ZONE])\n"
    "      [--offset OFFSET] [--force]\n"
    "                           writes a chart, with the offset of GMT in force then and there\n"
    "  place QUERY              places of the offline atlas, in the program's fields\n"
    "  offset ZONE DATE TIME    the offset of GMT at that local clock time (ZONE may be a place)\n"
    "  export [--format csv|aaf] [NAME...]\n"
    "                           charts to standard output, all of them when no name is given\n"
    "  import [--format csv|aaf] [--force] FILE\n"
    "                           charts from FILE (- for standard input)\n"
    "\n"
    "'orvenda-chart COMMAND --help' tells more of each.\n";

const std::map<std::string, std::string> kCommandHelp = {
    {"list",
     "usage: orvenda-chart list [--csv]\n"
     "Every chart in NAMES/ and its sub-folders, sorted by name: the date, clock time, GMT\n"
     "offset, longitude and latitude as the main screen shows them, and whether it has a\n"
     "notes file. --csv gives the same as CSV, with a header row.\n"},
    {"show",
     "usage: orvenda-chart show NAME\n"
     "One chart: its 14 fields, the local date and time, the offset, the universal time, the\n"
     "Julian day (UT), and the longitude and latitude in degrees, minutes and seconds and\n"
     "as decimal degrees.\n"},
    {"new",
     "usage: orvenda-chart new NAME --date DATE --time TIME\n"
     "         (--place PLACE | --lon LON --lat LAT [--zone ZONE]) [--offset OFFSET] [--force]\n"
     "Writes the chart NAME (as the program's Save does, with an empty notes file).\n"
     "  DATE    YYYY-MM-DD or D.M.YYYY (Gregorian calendar, years 1 to 9999)\n"
     "  TIME    HH:MM or HH:MM:SS, the local clock time, 24-hour\n"
     "  PLACE   City, \"City, CC\" (ISO country code), \"City, Country\" or\n"
     "          \"City, Region, CC\"; case and accents don't matter\n"
     "  LON LAT D:M:S or decimal degrees, signed or with a letter: 73:58:12W 40.7128N\n"
     "  ZONE    an IANA zone (Europe/Athens); without it, the nearest place's zone\n"
     "  OFFSET  +H:MM or -H:MM; settles a clock time that was skipped or passed twice\n"
     "The offset is that of the local clock time at the place, from the system's time-zone\n"
     "database; before a zone kept standard time, the place's own mean time. An existing\n"
     "chart is replaced only with --force (its notes stay as they are).\n"},
    {"place",
     "usage: orvenda-chart place QUERY\n"
     "The places of the offline atlas whose name is QUERY or starts with it (\"Sao Paulo\",\n"
     "\"London, GB\", \"Springfield, Illinois\"), the largest first: region, country,\n"
     "longitude and latitude in the program's fields, the time zone and the population.\n"},
    {"offset",
     "usage: orvenda-chart offset ZONE DATE TIME [--lon LON]\n"
     "The offset of GMT in force at that local clock time in ZONE (an IANA zone, or a\n"
     "place of the atlas), in the program's GMT and min fields. Before the zone kept\n"
     "standard time it is local mean time: give --lon for the mean time of a longitude.\n"},
    {"export",
     "usage: orvenda-chart export [--format csv|aaf] [NAME...]\n"
     "Charts to standard output, all of them when no name is given. csv (the default) has a\n"
     "header of the record's fields and one chart a row, and imports back byte for byte.\n"
     "aaf writes #A93 and #B93 lines with the Julian day (UT) and the place in minutes.\n"},
    {"import",
     "usage: orvenda-chart import [--format csv|aaf] [--force] FILE\n"
     "Charts from FILE (- for standard input): CSV as export writes it, or AAF (#A93 and\n"
     "#B93 lines). One line per record says whether it was written or skipped and why. An\n"
     "existing chart is replaced only with --force. The format is AAF when the file ends in\n"
     ".aaf or holds #A93 lines, else CSV.\n"},
};

// ---- context ------------------------------------------------------------------------------

struct Tool {
  std::string dir = ".";
  std::ostream& out;
  std::ostream& err;
  std::unique_ptr<FileSystem> files;
  std::optional<Atlas> atlas;
  bool atlasTried = false;

  int fail(const std::string& message) {
    err << "orvenda-chart: " << message << "\n";
    return 1;
  }
  void note(const std::string& message) { err << "note: " << message << "\n"; }

  const Atlas* loadAtlas() {
    if (!atlasTried) {
      atlasTried = true;
      std::string why;
      atlas = Atlas::load(findAtlas(dir), why);
      if (!atlas) err << "orvenda-chart: " << why << " (set ORVENDA_ATLAS to the atlas)\n";
    }
    return atlas ? &*atlas : nullptr;
  }
  bool workingDirectory() {
    std::error_code ec;
    if (fs::is_directory(fs::path(dir) / "NAMES", ec)) return true;
    err << "orvenda-chart: " << (dir == "." ? "this folder" : dir)
        << " is not a working directory of Orvenda (it has no NAMES folder); "
           "orvenda-workdir DIR lays one out\n";
    return false;
  }
};

std::string logicalName(const std::string& cp737Name) { return kChartFolder + cp737Name; }
std::string shownName(const std::string& cp737Name) { return cp737ToUtf8(cp737Name); }

// A chart name as the program could type it at its prompt and open again.
bool chartName(const std::string& utf8, std::string& cp737Name, std::string& why) {
  cp737Name.clear();
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t start = i;
    const char32_t cp = decodeUtf8(utf8, i);
    const int b = cp == 0xFFFFFFFF ? -1 : cp737FromUnicode(cp);
    if (b < 0) {
      why = "the program can't type \"" + utf8.substr(start, i - start) + "\" in the name \"" +
            utf8 +
            "\" (chart names are in the console's code page: Latin letters without "
            "accents, Greek, digits and signs)";
      return false;
    }
    cp737Name += static_cast<char>(b);
  }
  if (cp737Name.empty()) return why = "a chart needs a name", false;
  if (cp737Name.size() > kMaxChartNameLength)
    return why = "the name \"" + utf8 + "\" is longer than 69 characters", false;
  if (!isAllowedChartName(cp737Name))
    return why = "the name \"" + utf8 + "\" would leave NAMES/", false;
  return true;
}

bool chartExists(Tool& t, const std::string& cp737Name) {
  return t.files->read(logicalName(cp737Name), 1).has_value();
}

std::optional<BirthRecord> readChart(Tool& t, const std::string& cp737Name,
                                     std::size_t* size = nullptr) {
  const auto bytes = t.files->read(logicalName(cp737Name), BirthRecord::kFileSize);
  if (!bytes) return std::nullopt;
  BirthRecord r = defaultBirthRecord;
  decodeChart(*bytes, r);
  if (size) *size = bytes->size();
  return r;
}

// Every chart of NAMES/ with its sub-folders, as the program names them ("clients\anna"),
// sorted by name. A notes file is "<chart>.txt" beside a chart.
struct Listed {
  std::string name;  // CP737
  bool notes = false;
};
std::vector<Listed> listCharts(Tool& t) {
  std::vector<Listed> charts;
  const fs::path root = fs::path(t.dir) / "NAMES";
  std::error_code ec;
  std::vector<std::string> files;
  for (auto it = fs::recursive_directory_iterator(
           root, fs::directory_options::skip_permission_denied, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (!it->is_regular_file(ec) || isTemporaryName(it->path().filename().string())) continue;
    files.push_back(it->path().lexically_relative(root).generic_string());
  }
  std::sort(files.begin(), files.end());
  for (const auto& f : files) {
    if (f.size() > 4 && f.ends_with(".txt") &&
        std::binary_search(files.begin(), files.end(), f.substr(0, f.size() - 4)))
      continue;
    int unmapped = 0;
    std::string name = utf8ToCp737(f, &unmapped);
    if (unmapped > 0) {
      t.err << "orvenda-chart: NAMES/" << f << ": passed over, the program can't type its name\n";
      continue;
    }
    std::replace(name.begin(), name.end(), '/', '\\');
    charts.push_back({name, std::binary_search(files.begin(), files.end(), f + ".txt")});
  }
  std::sort(charts.begin(), charts.end(), [](const Listed& a, const Listed& b) {
    const auto fa = foldName(cp737ToUtf8(a.name)), fb = foldName(cp737ToUtf8(b.name));
    return fa != fb ? fa < fb : a.name < b.name;
  });
  return charts;
}

std::size_t displayWidth(std::string_view utf8) {
  return static_cast<std::size_t>(
      std::count_if(utf8.begin(), utf8.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}
std::string padded(std::string_view utf8, std::size_t width) {
  const std::size_t w = displayWidth(utf8);
  return std::string(utf8) + std::string(w >= width ? 0 : width - w, ' ');
}

constexpr const char* kStripLabels =
    "  Day  Mon Year Hour  Min  Sec  GMT  min  LON  Min  Sec  LAT  Min  Sec";

bool validDate(const BirthRecord& r) {
  std::string why;
  char text[64];
  std::snprintf(text, sizeof text, "%d-%02d-%02d", r.year, r.month, r.day);
  return r.year >= 1 && r.year <= 9999 && parseDate(text, why) && r.hour >= 0 && r.hour <= 23 &&
         r.minute >= 0 && r.minute <= 59 && r.second >= 0 && r.second <= 59;
}

double recordJulianDay(const BirthRecord& r) {
  return julianDay({r.year, r.month, r.day}, {r.hour, r.minute, r.second}, recordOffsetMinutes(r));
}

// ---- options ----------------------------------------------------------------------------------

// Options of one command: --name VALUE pairs and switches; the rest are operands.
struct Options {
  std::map<std::string, std::string> values;
  std::vector<std::string> switches, operands;
  bool has(const std::string& s) const {
    return std::find(switches.begin(), switches.end(), s) != switches.end();
  }
  const std::string* value(const std::string& name) const {
    const auto v = values.find(name);
    return v == values.end() ? nullptr : &v->second;
  }
};

std::optional<Options> parseOptions(Tool& t, const std::string& command,
                                    const std::vector<std::string>& args, std::size_t from,
                                    const std::vector<std::string>& withValue,
                                    const std::vector<std::string>& flags) {
  Options o;
  bool operandsOnly = false;
  for (std::size_t i = from; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (operandsOnly || a == "-" || a.size() < 2 || a[0] != '-' ||
        (a.size() > 1 && (std::isdigit(static_cast<unsigned char>(a[1])) != 0))) {
      o.operands.push_back(a);
      continue;
    }
    if (a == "--") {
      operandsOnly = true;
      continue;
    }
    std::string name = a, value;
    const auto eq = a.find('=');
    const bool inlineValue = eq != std::string::npos;
    if (inlineValue) {
      name = a.substr(0, eq);
      value = a.substr(eq + 1);
    }
    if (std::find(withValue.begin(), withValue.end(), name) != withValue.end()) {
      if (!inlineValue) {
        if (i + 1 >= args.size()) {
          t.err << "orvenda-chart " << command << ": " << name << " needs a value\n";
          return std::nullopt;
        }
        value = args[++i];
      }
      if (o.values.count(name)) {
        t.err << "orvenda-chart " << command << ": " << name << " given twice\n";
        return std::nullopt;
      }
      o.values[name] = value;
    } else if (std::find(flags.begin(), flags.end(), name) != flags.end() && !inlineValue) {
      o.switches.push_back(name);
    } else {
      t.err << "orvenda-chart " << command << ": unknown option " << a << "\n"
            << "Try 'orvenda-chart " << command << " --help'.\n";
      return std::nullopt;
    }
  }
  return o;
}

// ---- the offset at a place ----------------------------------------------------------------

struct Settled {
  int minutes = 0;
  bool ok = false;
};

std::string periodText(const ZonePeriod& p) {
  return formatOffsetSeconds(p.offsetSeconds) + " (" + p.abbreviation + ")";
}

// The offset for a birth, as new and import settle it; the reason when it can't be.
// `choice` is an offset the user (or a Julian day) gave.
Settled settleOffset(Tool& t, const std::string& zone, const CivilDate& d, const ClockTime& tm,
                     std::int32_t longitude, std::optional<int> choice, std::string& why) {
  const ZoneOffset z = offsetAt(zone, d, tm, longitude);
  char when[64];
  std::snprintf(when, sizeof when, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day, tm.hour,
                tm.minute, tm.second);
  if (z.kind == ZoneOffset::Kind::UnknownZone) {
    if (choice) return {*choice, true};
    why = "no time zone \"" + zone + "\" in the system's time-zone database";
    return {};
  }
  if (choice) {
    const bool matches = (z.kind != ZoneOffset::Kind::Unique &&
                          (roundedMinutes(z.second.offsetSeconds) == *choice)) ||
                         roundedMinutes(z.first.offsetSeconds) == *choice;
    if (!matches)
      t.note(std::string("at ") + when + " " + zone + " kept " +
             (z.kind == ZoneOffset::Kind::Unique
                  ? periodText(z.first)
                  : periodText(z.first) + " or " + periodText(z.second)) +
             "; the chart has " + formatOffset(*choice) + " as given");
    return {*choice, true};
  }
  if (z.kind == ZoneOffset::Kind::Gap) {
    why = std::string(when) + " did not happen in " + zone + ": the clocks went from " +
          periodText(z.first) + " to " + periodText(z.second) + "; give --offset " +
          formatOffset(roundedMinutes(z.first.offsetSeconds)) + " or --offset " +
          formatOffset(roundedMinutes(z.second.offsetSeconds)) +
          " for the offset the birth was recorded in";
    return {};
  }
  if (z.kind == ZoneOffset::Kind::Fold) {
    why = std::string(when) + " happened twice in " + zone + ": first at " + periodText(z.first) +
          ", then at " + periodText(z.second) + "; give --offset " +
          formatOffset(roundedMinutes(z.first.offsetSeconds)) + " or --offset " +
          formatOffset(roundedMinutes(z.second.offsetSeconds));
    return {};
  }
  const int minutes = roundedMinutes(z.first.offsetSeconds);
  if (z.meanTime)
    t.note(std::string("before standard time in ") + zone + ": the mean time of the place, " +
           formatOffsetSeconds(z.first.offsetSeconds));
  if (z.first.offsetSeconds % 60 != 0)
    t.note(formatOffsetSeconds(z.first.offsetSeconds) + " is rounded to " + formatOffset(minutes) +
           ", the nearest whole minute the record holds");
  return {minutes, true};
}

void noteSignLost(Tool& t, std::int32_t arc, const RecordAngle& a, bool longitude) {
  if (!a.signLost) return;
  t.note(std::string("the ") + (longitude ? "longitude " : "latitude ") +
         formatDms(arc, longitude) +
         " can't carry its sign in the record (the sign is on the degrees, and they are 0): "
         "stored as the nearest value it can hold, " +
         std::to_string(a.degrees) + " 00 00");
}

// Fills the record's place and offset fields; false with the reason when it can't.
struct Birth {
  CivilDate date;
  ClockTime time;
  std::int32_t latitude = 0, longitude = 0;
  std::string zone;
};
bool fillRecord(Tool& t, const Birth& b, std::optional<int> choice, BirthRecord& r,
                std::string& why) {
  const Settled s = settleOffset(t, b.zone, b.date, b.time, b.longitude, choice, why);
  if (!s.ok) return false;
  r.day = b.date.day;
  r.month = b.date.month;
  r.year = b.date.year;
  r.hour = b.time.hour;
  r.minute = b.time.minute;
  r.second = b.time.second;
  setRecordOffset(r, s.minutes);
  const RecordAngle lon = toRecordAngle(b.longitude), lat = toRecordAngle(b.latitude);
  noteSignLost(t, b.longitude, lon, true);
  noteSignLost(t, b.latitude, lat, false);
  r.lonDegrees = lon.degrees;
  r.lonMinutes = lon.minutes;
  r.lonSeconds = lon.seconds;
  r.latDegrees = lat.degrees;
  r.latMinutes = lat.minutes;
  r.latSeconds = lat.seconds;
  return true;
}

std::string placeLine(const Atlas& atlas, const Place& p) {
  const RecordAngle lon = toRecordAngle(p.longitude), lat = toRecordAngle(p.latitude);
  char fields[96];
  std::snprintf(fields, sizeof fields, "%4d   %02d   %02d %4d   %02d   %02d", lon.degrees,
                lon.minutes, lon.seconds, lat.degrees, lat.minutes, lat.seconds);
  return padded(p.name, 24) + " " + padded(p.region.empty() ? "-" : p.region, 22) + " " +
         padded(std::string(p.country) + " " + atlas.countryName(p.country), 30) + " " + fields +
         "  " + padded(p.zone, 22) + " " + std::to_string(p.population);
}

constexpr const char* kPlaceHeader =
    "PLACE                    REGION                 COUNTRY                         LON  Min  Sec "
    " "
    "LAT  Min  Sec  ZONE                   POPULATION";

// The one place a query names, or nothing with the candidates listed on err.
const Place* onePlace(Tool& t, const Atlas& atlas, const std::string& query, std::string& why) {
  const auto found = atlas.find(query);
  if (found.size() == 1) return found.front();
  if (found.empty()) {
    const auto similar = atlas.search(query);
    why = "no place called \"" + query + "\" in the atlas";
    if (!similar.empty()) {
      why += "; names that start so:";
      for (std::size_t i = 0; i < similar.size() && i < 8; ++i)
        why += std::string(i ? ", " : " ") + std::string(similar[i]->name) + " (" +
               std::string(similar[i]->country) + ")";
    }
    return nullptr;
  }
  const std::string name(found[0]->name), country(found[0]->country), region(found[0]->region);
  why = "\"" + query + "\" is " + std::to_string(found.size()) +
        " places; narrow it with the country or the region (\"" + name + ", " + country + "\"" +
        (region.empty() ? "" : ", \"" + name + ", " + region + ", " + country + "\"") + "):";
  t.err << "orvenda-chart: " << why << "\n" << kPlaceHeader << "\n";
  for (std::size_t i = 0; i < found.size() && i < 20; ++i)
    t.err << placeLine(atlas, *found[i]) << "\n";
  if (found.size() > 20) t.err << "... and " << found.size() - 20 << " more\n";
  why.clear();
  return nullptr;
}

// ---- commands -----------------------------------------------------------------------------

int cmdList(Tool& t, const Options& o) {
  if (!o.operands.empty()) return t.fail("list takes no names");
  if (!t.workingDirectory()) return 1;
  const auto charts = listCharts(t);
  std::string text;
  if (o.has("--csv")) {
    std::vector<std::string> header(std::begin(kCsvFields), std::end(kCsvFields));
    header.push_back("notes");
    text += csvLine(header);
  }
  std::size_t width = 4;
  for (const auto& c : charts) width = std::max(width, displayWidth(shownName(c.name)));
  if (!o.has("--csv") && !charts.empty())
    text += padded("NAME", width) + " " + kStripLabels + "  Notes\n";
  for (const auto& c : charts) {
    const auto r = readChart(t, c.name);
    if (!r) continue;
    if (o.has("--csv")) {
      std::vector<std::string> f{shownName(c.name)};
      for (int i = 0; i < BirthRecord::kFieldCount; ++i) f.push_back(std::to_string(r->field(i)));
      f.push_back(c.notes ? "yes" : "no");
      text += csvLine(f);
    } else {
      text += padded(shownName(c.name), width) + " " + formatStrip(*r) + "  " +
              (c.notes ? "yes" : "no") + "\n";
    }
  }
  t.out << text;
  return 0;
}

int cmdShow(Tool& t, const Options& o) {
  if (o.operands.size() != 1) return t.fail("show takes one chart name");
  if (!t.workingDirectory()) return 1;
  std::string name, why;
  if (!chartName(o.operands[0], name, why)) return t.fail(why);
  std::size_t size = 0;
  const auto r = readChart(t, name, &size);
  if (!r) return t.fail("no chart NAMES/" + o.operands[0]);
  std::ostringstream s;
  s << "name        " << shownName(name) << "\n";
  s << "file        NAMES/" << platformPath(name) << " (" << size << " bytes"
    << (size < BirthRecord::kFileSize ? ", short: the fields it lacks are the defaults" : "") << ")"
    << (chartExists(t, name + ".txt") ? ", with notes" : ", no notes") << "\n";
  s << "fields     " << formatStrip(*r) << "\n";
  s << "           " << kStripLabels << "\n";
  const int offset = recordOffsetMinutes(*r);
  char line[160];
  std::snprintf(line, sizeof line, "offset      GMT %d min %02d (%s)\n", r->gmtHours, r->gmtMinutes,
                formatOffset(offset).c_str());
  s << line;
  if (validDate(*r)) {
    std::snprintf(line, sizeof line, "local time  %04d-%02d-%02d %02d:%02d:%02d\n", r->year,
                  r->month, r->day, r->hour, r->minute, r->second);
    s << line;
    const double jd = recordJulianDay(*r);
    CivilDate ud;
    ClockTime ut;
    fromJulianDay(jd, ud, ut);
    std::snprintf(line, sizeof line, "universal   %04d-%02d-%02d %02d:%02d:%02d UT\n", ud.year,
                  ud.month, ud.day, ut.hour, ut.minute, ut.second);
    s << line;
    std::snprintf(line, sizeof line, "julian day  %.6f (UT)\n", jd);
    s << line;
  } else {
    s << "local time  not a date and time of the calendar\n";
  }
  const std::int32_t lon = fromRecordAngle(r->lonDegrees, r->lonMinutes, r->lonSeconds);
  const std::int32_t lat = fromRecordAngle(r->latDegrees, r->latMinutes, r->latSeconds);
  std::snprintf(line, sizeof line, "%.6f", lon / 3600.0);
  s << "longitude   " << formatDms(lon, true) << "  " << line << "\n";
  std::snprintf(line, sizeof line, "%.6f", lat / 3600.0);
  s << "latitude    " << formatDms(lat, false) << "  " << line << "\n";
  t.out << s.str();
  return 0;
}

int cmdNew(Tool& t, const Options& o) {
  if (o.operands.size() != 1)
    return t.fail("new takes one chart name (see 'orvenda-chart new --help')");
  std::string name, why;
  if (!chartName(o.operands[0], name, why)) return t.fail(why);
  const std::string* dateText = o.value("--date");
  const std::string* timeText = o.value("--time");
  if (!dateText || !timeText) return t.fail("new needs --date and --time");
  Birth b;
  const auto d = parseDate(*dateText, why);
  if (!d) return t.fail("--date " + *dateText + ": " + why);
  const auto tm = parseTime(*timeText, why);
  if (!tm) return t.fail("--time " + *timeText + ": " + why);
  b.date = *d;
  b.time = *tm;
  std::optional<int> choice;
  if (const std::string* off = o.value("--offset")) {
    choice = parseOffset(*off, why);
    if (!choice) return t.fail("--offset " + *off + ": " + why);
  }
  const std::string *place = o.value("--place"), *lon = o.value("--lon"), *lat = o.value("--lat");
  const std::string* zone = o.value("--zone");
  if (place && (lon || lat || zone)) return t.fail("give --place, or --lon and --lat, not both");
  if (!place && !(lon && lat)) return t.fail("new needs --place, or --lon and --lat");
  if (!t.workingDirectory()) return 1;
  if (place) {
    const Atlas* atlas = t.loadAtlas();
    if (!atlas) return 1;
    const Place* p = onePlace(t, *atlas, *place, why);
    if (!p) return why.empty() ? 1 : t.fail(why);
    b.latitude = p->latitude;
    b.longitude = p->longitude;
    b.zone = p->zone;
  } else {
    const auto lo = parseAngle(*lon, true, why);
    if (!lo) return t.fail("--lon " + *lon + ": " + why);
    const auto la = parseAngle(*lat, false, why);
    if (!la) return t.fail("--lat " + *lat + ": " + why);
    b.longitude = *lo;
    b.latitude = *la;
    if (zone) {
      if (!zoneExists(*zone))
        return t.fail("no time zone \"" + *zone + "\" in the system's time-zone database");
      b.zone = *zone;
    } else if (!choice) {
      const Atlas* atlas = t.loadAtlas();
      if (!atlas) return 1;
      const Place* near = atlas->nearest(b.latitude, b.longitude);
      b.zone = near->zone;
      t.note("the zone " + b.zone + " is that of the nearest place in the atlas, " +
             std::string(near->name) + ", " + atlas->countryName(near->country));
    }
  }
  if (chartExists(t, name) && !o.has("--force"))
    return t.fail("NAMES/" + o.operands[0] + " exists; --force replaces it (its notes stay)");
  BirthRecord r = defaultBirthRecord;
  if (!fillRecord(t, b, choice, r, why)) return t.fail(why);
  ChartStore store(*t.files);
  if (!store.write(logicalName(name), r))
    return t.fail("can't write NAMES/" + o.operands[0] + "; it is as it was");
  if (!store.createNotes(logicalName(name)))
    return t.fail("wrote NAMES/" + o.operands[0] + ", but can't create its notes file");
  t.out << "written " << shownName(name) << "\n" << kStripLabels << "\n" << formatStrip(r) << "\n";
  return 0;
}

int cmdPlace(Tool& t, const Options& o) {
  if (o.operands.empty())
    return t.fail("place needs a query, such as \"Athens\" or \"London, GB\"");
  std::string query;
  for (const auto& w : o.operands) query += (query.empty() ? "" : " ") + w;
  const Atlas* atlas = t.loadAtlas();
  if (!atlas) return 1;
  const auto found = atlas->search(query);
  if (found.empty())
    return t.fail("no place in the atlas is called \"" + query + "\" or starts so");
  std::string text = std::string(kPlaceHeader) + "\n";
  const std::size_t shown = std::min<std::size_t>(found.size(), 40);
  for (std::size_t i = 0; i < shown; ++i) text += placeLine(*atlas, *found[i]) + "\n";
  t.out << text;
  if (found.size() > shown)
    t.err << "... and " << found.size() - shown
          << " more; narrow the query with \", country\" or \", region\"\n";
  return 0;
}

int cmdOffset(Tool& t, const Options& o) {
  if (o.operands.size() != 3) return t.fail("offset takes a zone, a date and a time");
  std::string why, zone = o.operands[0];
  const auto d = parseDate(o.operands[1], why);
  if (!d) return t.fail(o.operands[1] + ": " + why);
  const auto tm = parseTime(o.operands[2], why);
  if (!tm) return t.fail(o.operands[2] + ": " + why);
  std::optional<std::int32_t> lon;
  if (const std::string* l = o.value("--lon")) {
    lon = parseAngle(*l, true, why);
    if (!lon) return t.fail("--lon " + *l + ": " + why);
  }
  if (!zoneExists(zone)) {
    const Atlas* atlas = t.loadAtlas();
    if (!atlas) return 1;
    const Place* p = onePlace(t, *atlas, zone, why);
    if (!p) return why.empty() ? 1 : t.fail("no time zone or place \"" + zone + "\"");
    zone = std::string(p->zone);
    if (!lon) lon = p->longitude;
    t.note(std::string(p->name) + ", " + atlas->countryName(p->country) + ": " + zone);
  }
  const ZoneOffset z = offsetAt(zone, *d, *tm, lon);
  if (z.kind == ZoneOffset::Kind::Gap || z.kind == ZoneOffset::Kind::Fold) {
    settleOffset(t, zone, *d, *tm, lon.value_or(0), std::nullopt, why);
    return t.fail(why);
  }
  const int minutes = roundedMinutes(z.first.offsetSeconds);
  BirthRecord r;
  setRecordOffset(r, minutes);
  char line[160];
  std::snprintf(line, sizeof line, "GMT %d min %02d\t%s %s, %s\n", r.gmtHours, r.gmtMinutes,
                formatOffsetSeconds(z.first.offsetSeconds).c_str(), z.first.abbreviation.c_str(),
                z.meanTime                      ? "mean time of the longitude"
                : z.first.abbreviation == "LMT" ? "local mean time (give --lon for a place's own)"
                : z.first.summer                ? "summer time"
                                                : "standard time");
  t.out << line;
  if (z.first.offsetSeconds % 60 != 0)
    t.note(formatOffsetSeconds(z.first.offsetSeconds) + " is rounded to the nearest minute");
  return 0;
}

int cmdExport(Tool& t, const Options& o) {
  const std::string format = o.value("--format") ? *o.value("--format") : "csv";
  if (format != "csv" && format != "aaf") return t.fail("--format is csv or aaf");
  if (!t.workingDirectory()) return 1;
  std::vector<std::string> names;
  if (o.operands.empty()) {
    for (const auto& c : listCharts(t)) names.push_back(c.name);
  } else {
    for (const auto& n : o.operands) {
      std::string name, why;
      if (!chartName(n, name, why)) return t.fail(why);
      if (!chartExists(t, name)) return t.fail("no chart NAMES/" + n + "; nothing exported");
      names.push_back(name);
    }
  }
  // Everything is made first, so a refusal leaves nothing half-written on the output.
  std::string text = format == "csv" ? csvHeader() : "";
  int failed = 0;
  for (const auto& name : names) {
    const auto r = readChart(t, name);
    if (!r) {
      ++failed;
      t.err << "orvenda-chart: can't read NAMES/" << shownName(name) << "\n";
      continue;
    }
    if (format == "csv") {
      text += csvChart(shownName(name), *r);
    } else if (!validDate(*r)) {
      ++failed;
      t.err << "orvenda-chart: NAMES/" << shownName(name)
            << " holds no date of the calendar; AAF can't carry it\n";
    } else {
      text += aafChart(shownName(name), *r, recordJulianDay(*r));
    }
  }
  if (failed > 0) return t.fail("nothing exported");
  t.out << text;
  return 0;
}

// One record of an import: a chart written, or skipped and why.
bool writeImported(Tool& t, const std::string& utf8Name, const BirthRecord& r, bool force,
                   int line) {
  std::string name, why;
  const std::string at = "line " + std::to_string(line) + ": ";
  if (!chartName(utf8Name, name, why)) {
    t.out << "skipped " << (utf8Name.empty() ? "(no name)" : utf8Name) << ": " << why << "\n";
    return false;
  }
  if (chartExists(t, name) && !force) {
    t.out << "skipped " << utf8Name << ": " << at << "NAMES/" << utf8Name
          << " exists (--force replaces it)\n";
    return false;
  }
  ChartStore store(*t.files);
  if (!store.write(logicalName(name), r) || !store.createNotes(logicalName(name))) {
    t.out << "skipped " << utf8Name << ": " << at << "can't write it\n";
    return false;
  }
  t.out << "written " << utf8Name << "\n";
  return true;
}

int importCsv(Tool& t, const std::string& text, bool force) {
  std::string why;
  const auto rows = parseCsv(text, why);
  if (!rows) return t.fail(why + "; nothing imported");
  if (rows->empty()) return t.fail("the file holds no charts");
  const std::vector<std::string> header(std::begin(kCsvFields), std::end(kCsvFields));
  auto first = rows->front().fields;
  if (first.size() > header.size()) first.resize(header.size());
  if (first != header)
    return t.fail("the first row is not the header that export writes (name,day,month,...)");
  int skipped = 0;
  for (std::size_t i = 1; i < rows->size(); ++i) {
    const auto& row = (*rows)[i];
    std::string name;
    BirthRecord r;
    auto fields = row.fields;
    if (fields.size() == 16) fields.pop_back();  // list --csv's notes column
    if (!chartFromCsv(fields, name, r, why)) {
      t.out << "skipped " << (row.fields.empty() ? "" : row.fields[0]) << ": line " << row.line
            << ": " << why << "\n";
      ++skipped;
      continue;
    }
    if (!writeImported(t, name, r, force, row.line)) ++skipped;
  }
  return skipped ? t.fail(std::to_string(skipped) + " of " + std::to_string(rows->size() - 1) +
                          " charts skipped")
                 : 0;
}

// An AAF record as a chart, or the reason it can't be one.
bool aafToChart(Tool& t, const AafRecord& rec, std::string& name, BirthRecord& r,
                std::string& why) {
  if (rec.a.size() < 5)
    return why = "#A93 needs at least name, first name, type, date and time", false;
  auto given = [](const std::string& s) { return !s.empty() && s != "*"; };
  name = given(rec.a[1]) ? rec.a[1] + (given(rec.a[0]) ? " " + rec.a[0] : "") : rec.a[0];
  if (!given(name)) return why = "the record has no name", false;
  Birth b;
  const auto d = parseDate(rec.a[3], why);
  if (!d) return why = "date \"" + rec.a[3] + "\": " + why, false;
  b.date = *d;
  if (!given(rec.a[4])) {
    t.note(name + ": the time is unknown; 12:00 stored, as the program's un-known time");
    b.time = {12, 0, 0};
  } else {
    const auto tm = parseTime(rec.a[4], why);
    if (!tm) return why = "time \"" + rec.a[4] + "\": " + why, false;
    b.time = *tm;
  }
  const std::string place = rec.a.size() > 5 && given(rec.a[5]) ? rec.a[5] : "";
  const std::string country = rec.a.size() > 6 && given(rec.a[6]) ? rec.a[6] : "";
  const Atlas* atlas = t.loadAtlas();
  const bool hasCoordinates =
      rec.b && rec.b->size() >= 3 && given((*rec.b)[1]) && given((*rec.b)[2]);
  if (hasCoordinates) {
    const auto la = parseAngle((*rec.b)[1], false, why);
    if (!la) return why = "latitude \"" + (*rec.b)[1] + "\": " + why, false;
    const auto lo = parseAngle((*rec.b)[2], true, why);
    if (!lo) return why = "longitude \"" + (*rec.b)[2] + "\": " + why, false;
    b.latitude = *la;
    b.longitude = *lo;
  }
  const Place* p = nullptr;
  if (atlas && !place.empty()) {
    // "Kandel/Pfalz": the town, then a part of the region.
    for (const std::string& q : {place, place.substr(0, place.find('/'))}) {
      const auto found = atlas->find(country.empty() ? q : q + ", " + country);
      if (found.size() == 1) {
        p = found.front();
        break;
      }
      if (found.size() > 1 && !hasCoordinates) {
        return why = "\"" + q + (country.empty() ? "" : ", " + country) + "\" is " +
                     std::to_string(found.size()) +
                     " places of the atlas; the record needs a #B93 line with its coordinates",
               false;
      }
    }
  }
  if (!hasCoordinates) {
    if (!p)
      return why = "no coordinates, and the place \"" + place + "\" is not in the atlas", false;
    b.latitude = p->latitude;
    b.longitude = p->longitude;
  }
  if (!p && atlas) p = atlas->nearest(b.latitude, b.longitude);
  if (!p) return why = "no atlas to find the time zone in", false;
  b.zone = p->zone;
  // The Julian day, where the record has one, says which offset its author used.
  std::optional<int> choice;
  if (rec.b && !rec.b->empty() && given((*rec.b)[0])) {
    char* end = nullptr;
    const double jd = std::strtod((*rec.b)[0].c_str(), &end);
    if (end && *end == '\0' && std::isfinite(jd)) {
      const double local = julianDay(b.date, b.time, 0);
      choice = static_cast<int>(std::lround((local - jd) * 1440.0));
    }
  }
  return fillRecord(t, b, choice, r, why);
}

int importAaf(Tool& t, const std::string& text, bool force) {
  const auto records = parseAaf(text);
  if (records.empty()) return t.fail("the file holds no #A93 records");
  int skipped = 0;
  for (const auto& rec : records) {
    std::string name, why;
    BirthRecord r = defaultBirthRecord;
    if (!aafToChart(t, rec, name, r, why)) {
      t.out << "skipped " << (name.empty() ? "(no name)" : name) << ": line " << rec.line << ": "
            << why << "\n";
      ++skipped;
      continue;
    }
    if (!writeImported(t, name, r, force, rec.line)) ++skipped;
  }
  return skipped ? t.fail(std::to_string(skipped) + " of " + std::to_string(records.size()) +
                          " records skipped")
                 : 0;
}

int cmdImport(Tool& t, const Options& o) {
  if (o.operands.size() != 1) return t.fail("import takes one file (- for standard input)");
  const std::string* formatOption = o.value("--format");
  if (formatOption && *formatOption != "csv" && *formatOption != "aaf")
    return t.fail("--format is csv or aaf");
  if (!t.workingDirectory()) return 1;
  const std::string& file = o.operands[0];
  std::stringstream buffer;
  if (file == "-") {
    buffer << std::cin.rdbuf();
  } else {
    std::ifstream in(file, std::ios::binary);
    std::error_code ec;
    if (!in || fs::is_directory(file, ec)) return t.fail("can't read " + file);
    buffer << in.rdbuf();
  }
  const std::string text = buffer.str();
  std::string format = formatOption ? *formatOption : "";
  if (format.empty())
    format = file.ends_with(".aaf") || file.ends_with(".AAF") || text.starts_with("#A93:") ||
                     text.find("\n#A93:") != std::string::npos
                 ? "aaf"
                 : "csv";
  return format == "aaf" ? importAaf(t, text, o.has("--force"))
                         : importCsv(t, text, o.has("--force"));
}

}  // namespace

int runChartTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Tool t{".", out, err, nullptr, std::nullopt, false};
  std::size_t i = 0;
  while (i < args.size() && args[i].size() > 1 && args[i][0] == '-') {
    if (args[i] == "-C") {
      if (i + 1 >= args.size()) return err << "orvenda-chart: -C needs a folder\n", 2;
      t.dir = args[i + 1];
      i += 2;
    } else if (args[i] == "--help" || args[i] == "-h") {
      out << kUsage;
      return 0;
    } else if (args[i] == "--version") {
      out << "orvenda-chart 1.2\n";
      return 0;
    } else {
      err << "orvenda-chart: unknown option " << args[i] << "\n" << kUsage;
      return 2;
    }
  }
  if (i >= args.size()) {
    err << kUsage;
    return 2;
  }
  const std::string command = args[i];
  if (command == "help") {
    const auto h = i + 1 < args.size() ? kCommandHelp.find(args[i + 1]) : kCommandHelp.end();
    out << (h == kCommandHelp.end() ? kUsage : h->second);
    return 0;
  }
  const auto help = kCommandHelp.find(command);
  if (help == kCommandHelp.end()) {
    err << "orvenda-chart: '" << command << "' is not a command\n" << kUsage;
    return 2;
  }
  for (std::size_t k = i + 1; k < args.size() && args[k] != "--"; ++k)
    if (args[k] == "--help" || args[k] == "-h") {
      out << help->second;
      return 0;
    }
  std::error_code ec;
  if (!fs::is_directory(t.dir, ec)) {
    err << "orvenda-chart: no folder " << t.dir << "\n";
    return 1;
  }
  t.files = std::make_unique<PosixFileSystem>(t.dir);
  const std::map<std::string, std::pair<std::vector<std::string>, std::vector<std::string>>>
      kOptions = {
          {"list", {{}, {"--csv"}}},
          {"show", {{}, {}}},
          {"new",
           {{"--date", "--time", "--place", "--lon", "--lat", "--zone", "--offset"}, {"--force"}}},
          {"place", {{}, {}}},
          {"offset", {{"--lon"}, {}}},
          {"export", {{"--format"}, {}}},
          {"import", {{"--format"}, {"--force"}}},
      };
  const auto& allowed = kOptions.at(command);
  const auto o = parseOptions(t, command, args, i + 1, allowed.first, allowed.second);
  if (!o) return 2;
  if (command == "list") return cmdList(t, *o);
  if (command == "show") return cmdShow(t, *o);
  if (command == "new") return cmdNew(t, *o);
  if (command == "place") return cmdPlace(t, *o);
  if (command == "offset") return cmdOffset(t, *o);
  if (command == "export") return cmdExport(t, *o);
  return cmdImport(t, *o);
}

}  // namespace orvenda::chart
