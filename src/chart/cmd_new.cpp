// orvenda-chart new: a chart from a place and a local clock time, with the offset then and there.
#include "chart/tool.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "birth/chart_store.h"
#include "chart/exchange.h"
#include "console/cp737.h"

namespace orvenda::chart {

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

}  // namespace orvenda::chart
