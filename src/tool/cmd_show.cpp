// orvenda-chart show: one chart, its fields, universal time, Julian day and place.
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
#include "natal/natal_chart.h"

namespace orvenda::tool {

using namespace exchange;

int cmdShow(Tool& t, const Options& o) {
  if (o.operands.size() != 1) return t.usage("show", "show takes one chart name");
  if (!t.workingDirectory()) return 1;
  std::string name, why;
  if (!chartName(o.operands[0], name, why)) return t.usage("show", why);
  std::size_t size = 0;
  const auto r = readChart(t, name, &size);
  if (!r) return t.fail("no chart NAMES/" + o.operands[0]);
  std::ostringstream s;
  s << "name        " << shownName(name) << "\n";
  s << "file        NAMES/" << platformPath(name) << " (" << size << " bytes"
    << (size < BirthRecord::kFileSize   ? "; damaged: a chart has 56, and the program fills the "
                                          "fields it lacks with the defaults"
        : size > BirthRecord::kFileSize ? "; damaged: a chart has 56, and the program reads the "
                                          "first 56"
                                        : "")
    << ")" << (chartExists(t, name + ".txt") ? ", with notes" : ", no notes") << "\n";
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
    const double jd = natal::recordJulianDay(*r);
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

}  // namespace orvenda::tool
