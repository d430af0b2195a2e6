// A birth's place and offset as a record holds them, and places as the tool lists them.
#include "places/birth_place.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "console/text_width.h"

namespace orvenda::places {
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

std::optional<std::string> zoneAtCoordinates(const ZonePolygons* zones, const std::string& zonesWhy,
                                             const Atlas* atlas, std::int32_t latitude,
                                             std::int32_t longitude, Notes& notes,
                                             std::string& why) {
  // The nearest place is named for the user's information; without the boundaries it also
  // tells how far the point may be from land.
  const Place* near = atlas ? atlas->nearest(latitude, longitude) : nullptr;
  const std::string nearText =
      near ? std::string(near->name) + ", " + atlas->countryName(near->country) : "";
  const double lat = latitude / 3600.0, lon = longitude / 3600.0;
  if (zones) {
    const auto found = zones->zonesAt(lat, lon);
    if (!found.empty()) {
      notes.push_back("the zone " + found.front() + " is that of the boundary the place lies in" +
                      (near ? " (the nearest place in the atlas: " + nearText + ")" : ""));
      return found.front();
    }
    const std::string sea = nauticalZone(lon);
    notes.push_back("at sea, beyond every zone's waters: the nautical zone of the longitude, " +
                    sea + (near ? " (the nearest place in the atlas: " + nearText + ")" : ""));
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
    notes.push_back("no place of the atlas within " + std::to_string(std::lround(distance)) +
                    " km (the nearest: " + nearText +
                    "): taken to be at sea, the nautical zone of the longitude, " + sea +
                    " (the zone boundaries would say for sure: " + zonesWhy + ")");
    return sea;
  }
  why = "the zone boundaries, which give a place on land its zone, can't be read (" + zonesWhy +
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

namespace {

std::string periodText(const ZonePeriod& p) {
  return formatOffsetSeconds(p.offsetSeconds) + " (" + p.abbreviation + ")";
}

std::string offsetAdvice(const ZonePeriod& a, const ZonePeriod& b) {
  return "give --offset " + formatOffset(roundedMinutes(a.offsetSeconds)) + " or --offset " +
         formatOffset(roundedMinutes(b.offsetSeconds));
}

}  // namespace

Settled settleOffset(const std::string& zone, const CivilDate& d, const ClockTime& tm,
                     std::int32_t longitude, std::optional<int> choice, Notes& notes,
                     std::string& why, SettleAdvice advice, const std::string& choiceIs) {
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
      notes.push_back(std::string("at ") + when + " " + zone + " kept " +
                      (z.kind == ZoneOffset::Kind::Unique
                           ? periodText(z.first)
                           : periodText(z.first) + " or " + periodText(z.second)) +
                      "; the chart has " + formatOffset(*choice) + " " + choiceIs);
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
  // A zone's places keep mean times near its own: the widest of the atlas, Xinjiang's towns
  // in Asia/Shanghai, are 2:59 from Shanghai's +8:05:43, Bethel 0:47 from Anchorage's. A
  // longitude hours farther lies outside the zone, which was named by mistake, and its mean
  // time on the zone's date would be a day's clock nobody kept (30E in Asia/Manila, -22:00).
  constexpr int kFarFromZoneSeconds = 4 * 3600;
  if (z.meanTime && std::abs(z.first.offsetSeconds - z.zoneMeanSeconds) > kFarFromZoneSeconds) {
    why = "the longitude " + formatDms(longitude, true) + " lies far outside " + zone +
          ": its mean time on the zone's side of the date line, " +
          formatOffsetSeconds(z.first.offsetSeconds) + ", is more than four hours from the " +
          "zone's own, " + formatOffsetSeconds(z.zoneMeanSeconds) +
          "; name the zone of the place, or give --offset";
    return {};
  }
  if (std::abs(minutes) > kMaxOffsetMinutes) {
    why = "the mean time of the longitude " + formatDms(longitude, true) + " in " + zone + ", " +
          formatOffsetSeconds(z.first.offsetSeconds) + ", is farther from GMT than any clock " +
          "has been (" + kMaxOffsetText + "); give --offset";
    return {};
  }
  if (z.meanTime)
    notes.push_back(std::string("before standard time in ") + zone +
                    ": the mean time of the place, " + formatOffsetSeconds(z.first.offsetSeconds));
  if (z.first.offsetSeconds % 60 != 0)
    notes.push_back(formatOffsetSeconds(z.first.offsetSeconds) + " is rounded to " +
                    formatOffset(minutes) + ", the nearest whole minute the record holds");
  return {minutes, true};
}

namespace {

void noteSignLost(Notes& notes, std::int32_t arc, const RecordAngle& a, bool longitude) {
  if (!a.signLost) return;
  notes.push_back(
      std::string("the ") + (longitude ? "longitude " : "latitude ") + formatDms(arc, longitude) +
      " can't carry its sign in the record (the sign is on the degrees, and they are 0): "
      "stored as the nearest value it can hold, " +
      std::to_string(a.degrees) + " 00 00");
}

}  // namespace

bool fillRecord(const Birth& b, std::optional<int> choice, BirthRecord& r, Notes& notes,
                std::string& why, SettleAdvice advice) {
  const Settled s =
      settleOffset(b.zone, b.date, b.time, b.longitude, choice, notes, why, advice, b.choiceIs);
  if (!s.ok) return false;
  r.day = b.date.day;
  r.month = b.date.month;
  r.year = b.date.year;
  r.hour = b.time.hour;
  r.minute = b.time.minute;
  r.second = b.time.second;
  setRecordOffset(r, s.minutes);
  const RecordAngle lon = toRecordAngle(b.longitude), lat = toRecordAngle(b.latitude);
  noteSignLost(notes, b.longitude, lon, true);
  noteSignLost(notes, b.latitude, lat, false);
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

std::string placeTaken(const Atlas& atlas, const Place& p, const std::vector<const Place*>& found) {
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
  return text;
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

PlaceChoice choosePlace(const Atlas& atlas, const std::string& query) {
  PlaceChoice c;
  std::string& why = c.why;
  std::vector<const Place*> found;
  if (const Place* p = atlas.resolve(query, &found)) {
    c.place = p;
    c.taken = placeTaken(atlas, *p, found);
    return c;
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
    return c;
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
  c.choices.push_back(padded(kPlaceHeader, width) + "  CHOSEN WITH");
  for (std::size_t i = 0; i < shown; ++i)
    c.choices.push_back(padded(lines[i], width) + "  --lon " +
                        optionAngle(found[i]->longitude, true) + " --lat " +
                        optionAngle(found[i]->latitude, false));
  if (found.size() > 20)
    c.choices.push_back("... and " + std::to_string(found.size() - 20) + " more");
  return c;
}

}  // namespace orvenda::places
