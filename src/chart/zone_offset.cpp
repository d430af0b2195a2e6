// Offsets through Howard Hinnant's date/tz library over the system's zoneinfo files, the
// same database the C library and every other program on the machine use.
#include "chart/zone_offset.h"

#include <date/tz.h>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace orvenda::chart {
namespace {

// The binary zone files say only whether a period is summer time, not by how much (the
// library gives one minute for "yes"): the amount is the offset less that of the last
// period before it that was no summer time.
ZonePeriod periodOf(const date::time_zone& tz, const date::sys_info& info) {
  ZonePeriod p{static_cast<int>(info.offset.count()), info.save.count() != 0, info.abbrev, 0};
  if (!p.summer) return p;
  date::sys_info before = info;
  for (int step = 0; step < 8 && before.save.count() != 0; ++step) {
    if (before.begin <= date::sys_seconds::min() + std::chrono::hours(24)) return p;
    before = tz.get_info(before.begin - std::chrono::seconds(1));
  }
  if (before.save.count() == 0 && before.offset < info.offset)
    p.saveSeconds = static_cast<int>((info.offset - before.offset).count());
  return p;
}

date::local_seconds localSeconds(const CivilDate& d, const ClockTime& t) {
  return date::local_days{date::year{d.year} / d.month / d.day} + std::chrono::hours{t.hour} +
         std::chrono::minutes{t.minute} + std::chrono::seconds{t.second};
}

}  // namespace

bool zoneExists(const std::string& zone) {
  try {
    return date::locate_zone(zone) != nullptr;
  } catch (const std::exception&) {
    return false;
  }
}

ZoneOffset offsetAt(const std::string& zone, const CivilDate& date, const ClockTime& time,
                    std::optional<std::int32_t> longitudeArcSeconds) {
  ZoneOffset out;
  const date::time_zone* tz = nullptr;
  try {
    tz = date::locate_zone(zone);
  } catch (const std::exception&) {
    return out;
  }
  const auto info = tz->get_info(localSeconds(date, time));
  out.first = periodOf(*tz, info.first);
  out.second = periodOf(*tz, info.second);
  switch (info.result) {
    case date::local_info::unique: out.kind = ZoneOffset::Kind::Unique; break;
    case date::local_info::nonexistent: out.kind = ZoneOffset::Kind::Gap; break;
    case date::local_info::ambiguous: out.kind = ZoneOffset::Kind::Fold; break;
  }
  // The database marks the era before a zone's first standard time as "LMT", the mean
  // time of its reference city; a birth elsewhere in the zone kept its own.
  if (out.kind == ZoneOffset::Kind::Unique && out.first.abbreviation == "LMT" &&
      longitudeArcSeconds) {
    out.meanTime = true;
    // 15 degrees of longitude are one hour, so one arc second is 1/15 of a time second.
    out.first.offsetSeconds = static_cast<int>(std::lround(*longitudeArcSeconds / 15.0));
  }
  return out;
}

int roundedMinutes(int offsetSeconds) {
  return static_cast<int>(std::lround(offsetSeconds / 60.0));
}

std::string formatOffsetSeconds(int s) {
  const int a = s < 0 ? -s : s;
  char buf[32];
  if (a % 60 != 0)
    std::snprintf(buf, sizeof buf, "%c%d:%02d:%02d", s < 0 ? '-' : '+', a / 3600, a / 60 % 60,
                  a % 60);
  else
    std::snprintf(buf, sizeof buf, "%c%d:%02d", s < 0 ? '-' : '+', a / 3600, a / 60 % 60);
  return buf;
}

double julianDay(const CivilDate& d, const ClockTime& t, int offsetMinutes) {
  const auto local = localSeconds(d, t).time_since_epoch().count();
  const double utSeconds = static_cast<double>(local) - offsetMinutes * 60.0;
  return utSeconds / 86400.0 + 2440587.5;  // the Julian day of 1 January 1970, 0h UT
}

void fromJulianDay(double jd, CivilDate& d, ClockTime& t) {
  const long long seconds = std::llround((jd - 2440587.5) * 86400.0);
  const long long days = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
  const date::year_month_day ymd{date::sys_days{date::days{days}}};
  d = {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
       static_cast<int>(static_cast<unsigned>(ymd.day()))};
  const long long rest = seconds - days * 86400;
  t = {static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
       static_cast<int>(rest % 60)};
}

}  // namespace orvenda::chart
