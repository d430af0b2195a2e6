// What every command of orvenda-chart shares: options, chart operands, the messages of
// writing, and the places' answers said on standard error.
#include "tool/tool.h"

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

namespace orvenda::tool {

using namespace exchange;

std::string logicalName(const std::string& cp737Name) { return kChartFolder + cp737Name; }
std::string shownName(const std::string& cp737Name) { return cp737ToUtf8(cp737Name); }

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

std::optional<std::string> zoneAtCoordinates(Tool& t, std::int32_t latitude, std::int32_t longitude,
                                             std::string& why, bool quiet) {
  const ZonePolygons* zones = t.loadZones();
  const Atlas* atlas = quiet && zones ? nullptr : t.loadAtlas();
  Notes notes;
  auto zone = places::zoneAtCoordinates(zones, t.zonesWhy, atlas, latitude, longitude, notes, why);
  if (!quiet)
    for (const auto& n : notes) t.note(n);
  return zone;
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

Settled settleOffset(Tool& t, const std::string& zone, const CivilDate& d, const ClockTime& tm,
                     std::int32_t longitude, std::optional<int> choice, std::string& why,
                     SettleAdvice advice) {
  Notes notes;
  const Settled s = places::settleOffset(zone, d, tm, longitude, choice, notes, why, advice);
  for (const auto& n : notes) t.note(n);
  return s;
}

bool fillRecord(Tool& t, const Birth& b, std::optional<int> choice, BirthRecord& r,
                std::string& why, SettleAdvice advice) {
  Notes notes;
  const bool filled = places::fillRecord(b, choice, r, notes, why, advice);
  for (const auto& n : notes) t.note(n);
  return filled;
}

void sayPlace(Tool& t, const Atlas& atlas, const Place& p, const std::vector<const Place*>& found) {
  t.err << placeTaken(atlas, p, found) << "\n";
}

const Place* onePlace(Tool& t, const Atlas& atlas, const std::string& query, std::string& why) {
  const PlaceChoice c = choosePlace(atlas, query);
  if (c.place) {
    t.err << c.taken << "\n";
    return c.place;
  }
  why = c.why;
  if (c.choices.empty()) return nullptr;
  t.err << "orvenda-chart: " << why << "\n";
  for (const auto& line : c.choices) t.err << line << "\n";
  why.clear();
  return nullptr;
}

}  // namespace orvenda::tool
