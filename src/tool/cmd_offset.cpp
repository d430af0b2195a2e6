// orvenda-chart offset: the offset of GMT at a local clock time in a zone or place.
#include "tool/tool.h"

#include <algorithm>
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

int cmdOffset(Tool& t, const Options& o) {
  if (o.operands.size() != 3) return t.usage("offset", "offset takes a zone, a date and a time");
  std::string why, zone = o.operands[0];
  const auto d = parseDate(o.operands[1], why);
  if (!d) return t.usage("offset", o.operands[1] + ": " + why);
  const auto tm = parseTime(o.operands[2], why);
  if (!tm) return t.usage("offset", o.operands[2] + ": " + why);
  std::optional<std::int32_t> lon;
  if (const std::string* l = o.value("--lon")) {
    lon = parseAngle(*l, true, why);
    if (!lon) return t.usage("offset", "--lon " + *l + ": " + why);
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

}  // namespace orvenda::tool
