// orvenda-chart export: charts to standard output as CSV or AAF.
#include <cstdio>
#include <cstdlib>

#include "birth/chart_store.h"
#include "exchange/exchange.h"
#include "natal/natal_chart.h"
#include "tool/tool.h"

namespace orvenda::tool {

using namespace exchange;

namespace {

// What a chart's #B93 says of its offset. Where the zone of the nearest place kept that
// very offset at the chart's local time, its standard part, summer time and abbreviation;
// otherwise (an offset the user chose, no atlas) the whole offset as the zone's.
AafOffset aafOffset(Tool& t, const BirthRecord& r) {
  const int minutes = recordOffsetMinutes(r);
  AafOffset out{minutes, 0, {}};
  const Atlas* atlas = t.loadAtlas();
  if (!atlas) return out;
  const std::int32_t lon = fromRecordAngle(r.lonDegrees, r.lonMinutes, r.lonSeconds);
  const std::int32_t lat = fromRecordAngle(r.latDegrees, r.latMinutes, r.latSeconds);
  const Place* p = atlas->nearest(lat, lon);
  if (!p) return out;
  const ZoneOffset z =
      offsetAt(std::string(p->zone), {r.year, r.month, r.day}, {r.hour, r.minute, r.second}, lon);
  for (const ZonePeriod* period : {&z.first, &z.second}) {
    if (z.kind == ZoneOffset::Kind::UnknownZone || roundedMinutes(period->offsetSeconds) != minutes)
      continue;
    if (z.kind == ZoneOffset::Kind::Gap) break;  // a time that did not happen: as it stands
    const int save = period->summer ? period->saveSeconds / 60 : 0;
    out = {minutes - save, save, period->abbreviation};
    // Abbreviations the database makes up ("+0530", "-03") say nothing a name would.
    if (!out.abbreviation.empty() && (out.abbreviation[0] == '+' || out.abbreviation[0] == '-'))
      out.abbreviation.clear();
    break;
  }
  return out;
}

}  // namespace

int cmdExport(Tool& t, const Options& o) {
  const std::string format = o.value("--format") ? *o.value("--format") : "csv";
  if (format != "csv" && format != "aaf") return t.usage("export", "--format is csv or aaf");
  if (!t.workingDirectory()) return 1;
  std::vector<std::string> names;
  if (o.operands.empty()) {
    for (const auto& c : listCharts(t)) names.push_back(c.name);
  } else {
    for (const auto& n : o.operands) {
      std::string name, why;
      if (!chartName(n, name, why)) return t.usage("export", why);
      if (!chartExists(t, name)) return t.fail("no chart NAMES/" + n + "; nothing exported");
      names.push_back(name);
    }
  }
  // Every chart that can be exported is; each one left out is named with the reason. The
  // text is made whole before any of it is written.
  std::string text = format == "csv" ? csvHeader() : "";
  int leftOut = 0, rounded = 0;
  auto leaveOut = [&](const std::string& name, const std::string& why) {
    ++leftOut;
    t.err << "orvenda-chart: left out NAMES/" << shownName(name) << ": " << why << "\n";
  };
  for (const auto& name : names) {
    std::size_t size = 0;
    const auto r = readChart(t, name, &size);
    if (!r) {
      leaveOut(name, "can't read it");
      continue;
    }
    if (size != BirthRecord::kFileSize) {
      leaveOut(name, "the file has " + std::to_string(size) +
                         " bytes, not a chart's 56: it is damaged, and its fields would be "
                         "passed off as a chart's");
      continue;
    }
    if (format == "csv") {
      text += csvChart(shownName(name), *r);
      continue;
    }
    // The date the main screen shows, and every view of the chart: 31 6 2000 is 1 7 2000.
    BirthRecord shown = *r;
    normalizeDate(shown);
    if (!validDate(shown)) {
      leaveOut(name, "it holds no date and time of the calendar, which AAF can't carry");
      continue;
    }
    const long long lon = std::llabs(static_cast<long long>(
                        fromRecordAngle(shown.lonDegrees, shown.lonMinutes, shown.lonSeconds))),
                    lat = std::llabs(static_cast<long long>(
                        fromRecordAngle(shown.latDegrees, shown.latMinutes, shown.latSeconds)));
    if (lon > 180 * 3600 || lat > 90 * 3600 || shown.lonMinutes < 0 || shown.lonMinutes > 59 ||
        shown.latMinutes < 0 || shown.latMinutes > 59 || shown.lonSeconds < 0 ||
        shown.lonSeconds > 59 || shown.latSeconds < 0 || shown.latSeconds > 59) {
      leaveOut(name,
               "its place is no place on Earth (a longitude beyond 180° or a latitude "
               "beyond 90°): it is damaged");
      continue;
    }
    if (shown.gmtMinutes < 0 || shown.gmtMinutes > 59 ||
        std::abs(recordOffsetMinutes(shown)) > kMaxOffsetMinutes) {
      leaveOut(name, std::string("its offset from GMT is farther than any clock has been (") +
                         kMaxOffsetText + "): it is damaged");
      continue;
    }
    const AafName n = aafName(shownName(name));
    if (n.name.empty()) {
      leaveOut(name, n.changed + "; rename the chart to export it");
      continue;
    }
    if (!n.changed.empty()) t.note("NAMES/" + shownName(name) + ": " + n.changed);
    if (shown.lonSeconds != 0 || shown.latSeconds != 0) ++rounded;
    text += aafChart(n, shown, natal::recordJulianDay(shown), aafOffset(t, shown));
  }
  if (rounded > 0)
    t.note(std::to_string(rounded) + (rounded == 1 ? " chart's place" : " charts' places") +
           " rounded to the minute of arc, the most AAF holds");
  t.out << text;
  if (leftOut > 0)
    return t.fail(std::to_string(leftOut) + " of " + std::to_string(names.size()) +
                  " charts left out");
  return 0;
}

}  // namespace orvenda::tool
