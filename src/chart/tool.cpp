// The helpers every command of orvenda-chart shares.
#include "chart/tool.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "birth/chart_store.h"
#include "console/cp737.h"
#include "exchange/exchange.h"
#include "platform/posix_file_system.h"

namespace orvenda::chart {

std::string logicalName(const std::string& cp737Name) { return kChartFolder + cp737Name; }
std::string shownName(const std::string& cp737Name) { return cp737ToUtf8(cp737Name); }

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

std::optional<BirthRecord> readChart(Tool& t, const std::string& cp737Name, std::size_t* size) {
  // One byte more than a chart's, to tell a longer file from a whole chart.
  auto bytes = t.files->read(logicalName(cp737Name), BirthRecord::kFileSize + 1);
  if (!bytes) return std::nullopt;
  if (size) {
    *size = bytes->size();
    std::error_code ec;
    const auto real = fs::file_size(fs::path(t.dir) / platformPath(logicalName(cp737Name)), ec);
    if (!ec && bytes->size() > BirthRecord::kFileSize) *size = static_cast<std::size_t>(real);
  }
  if (bytes->size() > BirthRecord::kFileSize) bytes->resize(BirthRecord::kFileSize);
  BirthRecord r = defaultBirthRecord;
  decodeChart(*bytes, r);
  return r;
}

std::string cantWrite(Tool& t, const std::string& logical, int err) {
  return "can't write " + cp737ToUtf8(platformPath(logical)) + ": " + writeCause(t, logical, err) +
         "; it is as it was";
}

std::string writeCause(Tool& t, const std::string& logical, int err) {
  return writeCauseAt(fs::path(t.dir) / platformPath(logical),
                      cp737ToUtf8(platformPath(logical.substr(0, logical.find_last_of("\\/")))) +
                          " (folders in NAMES are made by hand, as the program never makes one)",
                      err);
}

namespace {

// The distance along the Earth's surface between two points (degrees), in kilometres.
double kilometres(double lat1, double lon1, double lat2, double lon2) {
  constexpr double kRadians = 3.14159265358979323846 / 180;
  const double a = std::sin((lat2 - lat1) * kRadians / 2),
               b = std::sin((lon2 - lon1) * kRadians / 2);
  const double h = a * a + std::cos(lat1 * kRadians) * std::cos(lat2 * kRadians) * b * b;
  return 2 * 6371.0 * std::asin(std::min(1.0, std::sqrt(h)));
}

}  // namespace

std::optional<std::string> zoneAtCoordinates(Tool& t, std::int32_t latitude, std::int32_t longitude,
                                             std::string& why, bool quiet) {
  const ZonePolygons* zones = t.loadZones();
  // The nearest place is named for the user's information; without the boundaries it also
  // tells how far the point may be from land.
  const Atlas* atlas = quiet && zones ? nullptr : t.loadAtlas();
  const Place* near = atlas ? atlas->nearest(latitude, longitude) : nullptr;
  const std::string nearText =
      near ? std::string(near->name) + ", " + atlas->countryName(near->country) : "";
  const double lat = latitude / 3600.0, lon = longitude / 3600.0;
  if (zones) {
    const auto found = zones->zonesAt(lat, lon);
    if (!found.empty()) {
      if (!quiet)
        t.note("the zone " + found.front() + " is that of the boundary the place lies in" +
               (near ? " (the nearest place in the atlas: " + nearText + ")" : ""));
      return found.front();
    }
    const std::string sea = nauticalZone(lon);
    if (!quiet)
      t.note("at sea, beyond every zone's waters: the nautical zone of the longitude, " + sea +
             (near ? " (the nearest place in the atlas: " + nearText + ")" : ""));
    return sea;
  }
  // Without the boundaries, land can't be told from the sea by a polygon. What the tool
  // knows is the atlas: every place of 1,000 people or more, and every seat of a region.
  // Sampling the boundaries file at 600,000 random points showed land and territorial
  // waters more than 1,000 km from every such place only beyond 60 degrees (Greenland,
  // the Canadian Arctic, Antarctica) and at a few uninhabited islands (Kerguelen, the
  // Prince Edward Islands, Trindade); so a point within 60 degrees of the equator and
  // farther than that from every place is taken to be at sea, and any other is refused
  // rather than given a zone that may be a neighbour's.
  const double distance =
      near ? kilometres(lat, lon, near->latitude / 3600.0, near->longitude / 3600.0) : 0;
  if (near && std::fabs(lat) <= kSeaWithoutBoundariesLatitude &&
      distance > kSeaWithoutBoundariesKm) {
    const std::string sea = nauticalZone(lon);
    if (!quiet)
      t.note("no place of the atlas within " + std::to_string(std::lround(distance)) +
             " km (the nearest: " + nearText +
             "): taken to be at sea, the nautical zone of the longitude, " + sea +
             " (the zone boundaries would say for sure: " + t.zonesWhy + ")");
    return sea;
  }
  why = "the zone boundaries, which give a place on land its zone, can't be read (" + t.zonesWhy +
        "; ORVENDA_ZONES names the file)";
  if (!near)
    why += ", nor the atlas that tells the open sea";
  else if (std::fabs(lat) <= kSeaWithoutBoundariesLatitude)
    why += ", and the point may be on land: " + nearText + " lies " +
           std::to_string(std::lround(distance)) + " km away";
  else
    why += ", and beyond 60 degrees of latitude land lies far from every place";
  return std::nullopt;
}

std::string writeCauseAt(const fs::path& path, const std::string& folderShown, int err) {
  std::error_code ec;
  const auto kind = fs::status(path, ec).type();
  if (err == ELOOP) return "it is a loop of symbolic links";
  if (err == EACCES && isPlantedLink(path.string()))
    return "it is a symbolic link that another user made in a folder open to everyone "
           "(sticky), and such a link is followed only when it is yours or the folder owner's";
  if (kind == fs::file_type::directory) return "a folder of that name is there";
  if (kind != fs::file_type::not_found && kind != fs::file_type::regular &&
      kind != fs::file_type::none)
    return "what is there is not a plain file (a FIFO, a device or a socket), and is never "
           "replaced";
  if (err == ENOENT && !fs::is_directory(path.parent_path().empty() ? "." : path.parent_path(), ec))
    return "there is no folder " + folderShown;
  return std::strerror(err != 0 ? err : EIO);
}

// Every chart of NAMES/ with its sub-folders, as the program names them ("clients\\anna"),
// sorted by name.
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

namespace {

// Columns a character takes in a terminal: none for a combining mark, two for the wide
// characters of East Asian scripts, one for the rest.
std::size_t columnsOf(char32_t c) {
  if ((c >= 0x300 && c <= 0x36F) || (c >= 0x1AB0 && c <= 0x1AFF) || (c >= 0x20D0 && c <= 0x20FF))
    return 0;
  if ((c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
      (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
      (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
      (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD))
    return 2;
  return 1;
}

}  // namespace

std::size_t displayWidth(std::string_view utf8) {
  std::size_t width = 0;
  for (std::size_t i = 0; i < utf8.size();) width += columnsOf(decodeUtf8(utf8, i));
  return width;
}

std::string padded(std::string_view utf8, std::size_t width) {
  const std::size_t w = displayWidth(utf8);
  return std::string(utf8) + std::string(w >= width ? 0 : width - w, ' ');
}

std::string fitted(std::string_view utf8, std::size_t width) {
  if (displayWidth(utf8) <= width) return padded(utf8, width);
  // Cut at a character, leaving a column for the ellipsis that says so.
  std::string out;
  std::size_t used = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t start = i;
    const std::size_t w = columnsOf(decodeUtf8(utf8, i));
    if (used + w > width - 1) break;
    out.append(utf8.substr(start, i - start));
    used += w;
  }
  return padded(out + "\u2026", width);
}

bool validDate(const BirthRecord& r) {
  std::string why;
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", r.year, r.month, r.day);
  return r.year >= 1 && r.year <= 9999 && parseDate(text, why) && r.hour >= 0 && r.hour <= 23 &&
         r.minute >= 0 && r.minute <= 59 && r.second >= 0 && r.second <= 59;
}

double recordJulianDay(const BirthRecord& r) {
  return julianDay({r.year, r.month, r.day}, {r.hour, r.minute, r.second}, recordOffsetMinutes(r));
}

// ---- options ----------------------------------------------------------------------------------

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

std::string periodText(const ZonePeriod& p) {
  return formatOffsetSeconds(p.offsetSeconds) + " (" + p.abbreviation + ")";
}

std::string offsetAdvice(const ZonePeriod& a, const ZonePeriod& b) {
  return "give --offset " + formatOffset(roundedMinutes(a.offsetSeconds)) + " or --offset " +
         formatOffset(roundedMinutes(b.offsetSeconds));
}

Settled settleOffset(Tool& t, const std::string& zone, const CivilDate& d, const ClockTime& tm,
                     std::int32_t longitude, std::optional<int> choice, std::string& why,
                     SettleAdvice advice) {
  if (!advice) advice = offsetAdvice;
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
          periodText(z.first) + " to " + periodText(z.second) + "; " + advice(z.first, z.second) +
          " for the offset the birth was recorded in";
    return {};
  }
  if (z.kind == ZoneOffset::Kind::Fold) {
    why = std::string(when) + " happened twice in " + zone + ": first at " + periodText(z.first) +
          ", then at " + periodText(z.second) + "; " + advice(z.first, z.second);
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
bool fillRecord(Tool& t, const Birth& b, std::optional<int> choice, BirthRecord& r,
                std::string& why, SettleAdvice advice) {
  const Settled s = settleOffset(t, b.zone, b.date, b.time, b.longitude, choice, why, advice);
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
  // Every column keeps its width, whatever the length of a name: a long one is cut short.
  std::string out = fitted(p.name, 24) + " " + fitted(p.region.empty() ? "-" : p.region, 22) + " " +
                    fitted(std::string(p.country) + " " + atlas.countryName(p.country), 30) + " " +
                    fields + "  " + fitted(p.zone, 22) + " " + std::to_string(p.population);
  // An angle the record can't hold is shown as the nearest value it can, said so.
  if (lon.signLost)
    out += "  (LON is " + formatDms(p.longitude, true) + ": the nearest the record holds)";
  if (lat.signLost)
    out += "  (LAT is " + formatDms(p.latitude, false) + ": the nearest the record holds)";
  return out;
}

void sayPlace(Tool& t, const Atlas& atlas, const Place& p, const std::vector<const Place*>& found) {
  std::string text = "place: " + std::string(p.name) +
                     (p.region.empty() ? "" : ", " + std::string(p.region)) + ", " +
                     std::string(p.country) + " " + atlas.countryName(p.country) + ", " +
                     std::string(p.zone);
  if (found.size() > 1) {
    text += " (the largest of " + std::to_string(found.size()) + " places of that name; also ";
    for (std::size_t i = 1; i < found.size() && i < 4; ++i)
      text += std::string(i > 1 ? "; " : "") + std::string(found[i]->name) +
              (found[i]->region.empty() ? "" : ", " + std::string(found[i]->region)) + ", " +
              std::string(found[i]->country);
    text += found.size() > 4 ? "; ...)" : ")";
  }
  t.err << text << "\n";
}

namespace {

// An angle as --lon and --lat take it back: 86:24:00W.
std::string optionAngle(std::int32_t arcSeconds, bool longitude) {
  const long long a = std::llabs(static_cast<long long>(arcSeconds));
  char buf[32];
  std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld%c", a / 3600, a / 60 % 60, a % 60,
                longitude ? (arcSeconds < 0 ? 'W' : 'E') : (arcSeconds < 0 ? 'S' : 'N'));
  return buf;
}

}  // namespace

const Place* onePlace(Tool& t, const Atlas& atlas, const std::string& query, std::string& why) {
  std::vector<const Place*> found;
  if (const Place* p = atlas.resolve(query, &found)) {
    sayPlace(t, atlas, *p, found);
    return p;
  }
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
  // The words that could narrow the query are the query's own city with a candidate's
  // region and country; where two candidates share those (two Dales in Indiana), or the
  // name fits a place by another of its names, only the coordinates tell them apart: each
  // row says the --lon and --lat that select it.
  const std::string city = query.substr(0, query.find(','));
  std::vector<std::string> words;
  for (const Place* p : found)
    words.push_back(foldName(std::string(p->region) + "," + std::string(p->country)));
  std::vector<std::string> sorted = words;
  std::sort(sorted.begin(), sorted.end());
  const bool wordsTellThemApart = std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end();
  why = "\"" + query + "\" is " + std::to_string(found.size()) + " places; ";
  if (wordsTellThemApart)
    why += "narrow it with the region and country (\"" + city + ", " +
           std::string(found[0]->region.empty() ? "" : std::string(found[0]->region) + ", ") +
           std::string(found[0]->country) + "\"), or give the --lon and --lat of the one meant:";
  else
    why +=
        "their names, regions and countries can't tell them apart: give the --lon and --lat "
        "of the one meant in place of --place:";
  const std::size_t shown = std::min<std::size_t>(found.size(), 20);
  std::vector<std::string> lines;
  std::size_t width = displayWidth(kPlaceHeader);
  for (std::size_t i = 0; i < shown; ++i) {
    lines.push_back(placeLine(atlas, *found[i]));
    width = std::max(width, displayWidth(lines.back()));
  }
  t.err << "orvenda-chart: " << why << "\n" << padded(kPlaceHeader, width) << "  CHOSEN WITH\n";
  for (std::size_t i = 0; i < shown; ++i)
    t.err << padded(lines[i], width) << "  --lon " << optionAngle(found[i]->longitude, true)
          << " --lat " << optionAngle(found[i]->latitude, false) << "\n";
  if (found.size() > 20) t.err << "... and " << found.size() - 20 << " more\n";
  why.clear();
  return nullptr;
}

}  // namespace orvenda::chart
