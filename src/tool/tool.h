// What every command of orvenda-chart shares: the working directory, the option parser,
// the chart operands and their files, the messages of files that can't be written, and
// the places' and zones' answers said as the tool says them. One file per command stands
// beside it (cmd_*.cpp), as git's builtins do.
#pragma once

#include <algorithm>
#include <filesystem>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "birth/birth_record.h"
#include "birth/chart_store.h"
#include "console/text_width.h"
#include "places/atlas.h"
#include "places/birth_place.h"
#include "places/fields.h"
#include "places/zone_offset.h"
#include "places/zone_polygons.h"
#include "platform/file_system.h"

namespace orvenda::tool {

// The tool speaks in the places' terms: dates, clock times, angles, zones and the atlas.
using namespace places;

// ---- context ------------------------------------------------------------------------------

namespace fs = std::filesystem;

struct Tool {
  std::string dir = ".";
  std::ostream& out;
  std::ostream& err;
  std::unique_ptr<FileSystem> files;
  std::optional<Atlas> atlas;
  bool atlasTried = false;
  std::optional<ZonePolygons> zones;
  bool zonesTried = false;
  std::string zonesWhy;  // why the boundaries can't be read, where they can't

  int fail(const std::string& message) {
    err << "orvenda-chart: " << message << "\n";
    return 1;
  }
  void note(const std::string& message) { err << "note: " << message << "\n"; }
  // A command line that is not understood: status 2, as for an unknown option.
  int usage(const std::string& command, const std::string& message) {
    err << "orvenda-chart " << command << ": " << message << "\n"
        << "Try 'orvenda-chart " << command << " --help'.\n";
    return 2;
  }

  const Atlas* loadAtlas() {
    if (!atlasTried) {
      atlasTried = true;
      std::string why;
      atlas = Atlas::load(findAtlas(dir), why);
      if (!atlas) err << "orvenda-chart: " << why << " (set ORVENDA_ATLAS to the atlas)\n";
    }
    return atlas ? &*atlas : nullptr;
  }
  const ZonePolygons* loadZones() {
    if (!zonesTried) {
      zonesTried = true;
      zones = ZonePolygons::load(findZonePolygons(dir), zonesWhy);
    }
    return zones ? &*zones : nullptr;
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

// Options of one command: --name VALUE pairs and switches; the rest are operands.
struct Options {
  std::map<std::string, std::string> values;
  std::vector<std::string> switches, operands;
  // The two-chart commands' --time-unknown NAME: the charts whose birth time is not known.
  std::vector<std::string> timeUnknownNames;
  bool has(const std::string& s) const {
    return std::find(switches.begin(), switches.end(), s) != switches.end();
  }
  const std::string* value(const std::string& name) const {
    const auto v = values.find(name);
    return v == values.end() ? nullptr : &v->second;
  }
};

// Parses the options of one command from args[from]; nothing (and the reason on err) for a
// command line that is not understood.
std::optional<Options> parseOptions(Tool& t, const std::string& command,
                                    const std::vector<std::string>& args, std::size_t from,
                                    const std::vector<std::string>& withValue,
                                    const std::vector<std::string>& flags);

// ---- charts -------------------------------------------------------------------------------

std::string logicalName(const std::string& cp737Name);
std::string shownName(const std::string& cp737Name);
bool chartExists(Tool& t, const std::string& cp737Name);
std::optional<BirthRecord> readChart(Tool& t, const std::string& cp737Name,
                                     std::size_t* size = nullptr);
// Every chart of NAMES/ with its sub-folders, as the program names them ("clients\anna"),
// sorted by name. A notes file is "<chart>.txt" beside a chart.
struct Listed {
  std::string name;  // CP737
  bool notes = false;
};
std::vector<Listed> listCharts(Tool& t);
// Why a chart (or its notes file) could not be written, from errno and what is there:
// "can't write NAMES/A: Permission denied; it is as it was".
std::string cantWrite(Tool& t, const std::string& logical, int err);
std::string writeCause(Tool& t, const std::string& logical, int err);
// The same for a path of the user's choosing (sheet -o FILE); folderShown names the folder
// when it is missing.
std::string writeCauseAt(const std::filesystem::path& path, const std::string& folderShown,
                         int err);

// ---- places and offsets, their notes said on standard error ---------------------------

// The zone at coordinates (see places::zoneAtCoordinates), the boundaries and the atlas
// read when first needed; `quiet` says no notes (and reads no atlas when the boundaries
// answer).
std::optional<std::string> zoneAtCoordinates(Tool& t, std::int32_t latitude, std::int32_t longitude,
                                             std::string& why, bool quiet = false);
Settled settleOffset(Tool& t, const std::string& zone, const CivilDate& d, const ClockTime& tm,
                     std::int32_t longitude, std::optional<int> choice, std::string& why,
                     SettleAdvice advice = nullptr);
bool fillRecord(Tool& t, const Birth& b, std::optional<int> choice, BirthRecord& r,
                std::string& why, SettleAdvice advice = nullptr);
// The one place a query names, said on err; or nothing, with the reason in `why`, or (for
// several places) with the candidates listed on err and `why` left empty.
const Place* onePlace(Tool& t, const Atlas& atlas, const std::string& query, std::string& why);
void sayPlace(Tool& t, const Atlas& atlas, const Place& p, const std::vector<const Place*>& found);

// ---- the commands -------------------------------------------------------------------------

int cmdList(Tool& t, const Options& o);
int cmdShow(Tool& t, const Options& o);
int cmdNew(Tool& t, const Options& o);
int cmdPlace(Tool& t, const Options& o);
int cmdOffset(Tool& t, const Options& o);
int cmdExport(Tool& t, const Options& o);
int cmdImport(Tool& t, const Options& o);
int cmdChart(Tool& t, const Options& o);
int cmdTraditional(Tool& t, const Options& o);
int cmdTimelords(Tool& t, const Options& o);
int cmdDirections(Tool& t, const Options& o);
int cmdSky(Tool& t, const Options& o);
int cmdPrenatal(Tool& t, const Options& o);
int cmdSheet(Tool& t, const Options& o);
int cmdReading(Tool& t, const Options& o);
int cmdTexts(Tool& t, const Options& o);
int cmdTransits(Tool& t, const Options& o);
int cmdProgressions(Tool& t, const Options& o);
int cmdReturn(Tool& t, const Options& o);
int cmdNow(Tool& t, const Options& o);
int cmdSynastry(Tool& t, const Options& o);
int cmdRelationshipChart(Tool& t, const Options& o, bool davison);

// --orb DEG, 0 to 10 degrees; the fallback when not given; nothing (said, status 2) for
// anything else.
std::optional<double> orbOption(Tool& t, const Options& o, const char* command, double fallback);

}  // namespace orvenda::tool
