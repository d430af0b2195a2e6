// orvenda-chart new: a chart from a place and a local clock time, with the offset then and there.
#include "tool/tool.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "birth/chart_store.h"
#include "console/cp737.h"
#include "exchange/exchange.h"

namespace orvenda::tool {

using namespace exchange;

int cmdNew(Tool& t, const Options& o) {
  auto usage = [&](const std::string& why) { return t.usage("new", why); };
  if (o.operands.size() != 1) return usage("new takes one chart name");
  std::string name, why;
  if (!chartName(o.operands[0], name, why)) return usage(why);
  const std::string* dateText = o.value("--date");
  const std::string* timeText = o.value("--time");
  if (!dateText || !timeText) return usage("new needs --date and --time");
  Birth b;
  const auto d = parseDate(*dateText, why);
  if (!d) return usage("--date " + *dateText + ": " + why);
  const auto tm = parseTime(*timeText, why);
  if (!tm) return usage("--time " + *timeText + ": " + why);
  b.date = *d;
  b.time = *tm;
  std::optional<int> choice;
  if (const std::string* off = o.value("--offset")) {
    choice = parseOffset(*off, why);
    if (!choice) return usage("--offset " + *off + ": " + why);
  }
  const std::string *place = o.value("--place"), *lon = o.value("--lon"), *lat = o.value("--lat");
  const std::string* zone = o.value("--zone");
  if (place && (lon || lat)) return usage("give --place, or --lon and --lat, not both");
  if (!place && !(lon && lat)) return usage("new needs --place, or --lon and --lat");
  std::optional<std::int32_t> lo, la;
  if (!place) {
    lo = parseAngle(*lon, true, why);
    if (!lo) return usage("--lon " + *lon + ": " + why);
    la = parseAngle(*lat, false, why);
    if (!la) return usage("--lat " + *lat + ": " + why);
  }
  if (zone && !zoneExists(*zone))
    return usage("no time zone \"" + *zone + "\" in the system's time-zone database");
  if (!t.workingDirectory()) return 1;
  // A chart's notes are "<chart>.txt" beside it: a chart of that name and a notes file
  // would be one file.
  if (name.size() > 4 && name.ends_with(".txt") && chartExists(t, name.substr(0, name.size() - 4)))
    return t.fail("NAMES/" + o.operands[0] + " is the notes file of the chart NAMES/" +
                  o.operands[0].substr(0, o.operands[0].size() - 4) +
                  ", not a chart; choose another name");
  if (chartExists(t, name + ".txt")) {
    std::size_t size = 0;
    if (readChart(t, name + ".txt", &size) && size == BirthRecord::kFileSize)
      return t.fail("NAMES/" + o.operands[0] + ".txt is a chart, and would become this chart's " +
                    "notes file; choose another name");
  }
  if (place) {
    const Atlas* atlas = t.loadAtlas();
    if (!atlas) return 1;
    const Place* p = onePlace(t, *atlas, *place, why);
    if (!p) return why.empty() ? 1 : t.fail(why);
    b.latitude = p->latitude;
    b.longitude = p->longitude;
    b.zone = zone ? *zone : std::string(p->zone);
    if (zone && *zone != p->zone)
      t.note("the zone " + *zone + " as given, where the atlas has " + std::string(p->zone) +
             " for " + std::string(p->name));
  } else {
    b.longitude = *lo;
    b.latitude = *la;
    if (zone) {
      b.zone = *zone;
    } else if (!choice) {
      const auto found = zoneAtCoordinates(t, b.latitude, b.longitude, why);
      if (!found) return t.fail(why + "; give --zone or --offset");
      b.zone = *found;
    }
  }
  if (chartExists(t, name) && !o.has("--force"))
    return t.fail("NAMES/" + o.operands[0] + " exists; --force replaces it (its notes stay)");
  BirthRecord r = defaultBirthRecord;
  if (!fillRecord(t, b, choice, r, why)) return t.fail(why);
  ChartStore store(*t.files);
  if (!store.write(logicalName(name), r)) return t.fail(cantWrite(t, logicalName(name), errno));
  if (!store.createNotes(logicalName(name)))
    return t.fail("wrote NAMES/" + o.operands[0] + ", but can't create its notes file: " +
                  writeCause(t, logicalName(name) + ".txt", errno));
  t.out << "written " << shownName(name) << "\n" << kStripLabels << "\n" << formatStrip(r) << "\n";
  return 0;
}

}  // namespace orvenda::tool
