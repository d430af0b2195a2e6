// Offsets through Howard Hinnant's date/tz library over the system's zoneinfo files, the
// same database the C library and every other program on the machine use.
#include "places/zone_offset.h"

#include <date/tz.h>
#include <cmath>
#include <cstdio>
#include <map>
#include <stdexcept>

#include "places/zone_rule.h"

namespace orvenda::places {
namespace {

// Summer time as people use the word: the clock ahead of the zone's standard offset of
// that year. The database's flag says it the other way round where the standard time is
// the summer's (Ireland since 1971, Namibia 1994-2017: their winter hour is flagged) and
// calls Morocco's Ramadan hour summer time. The standard offset is the smallest that the
// zone kept unflagged within three years (so Britain's war-time winters, flagged too, are
// still summer time against GMT), or, lower still, one it kept flagged for two months or
// more of the year (Ireland's winter). A period is summer time when it is ahead of the
// standard and either it or the standard period carries the flag: a zone that moved to a
// new standard offset has neither.
struct YearStandard {
  std::chrono::seconds offset{0};
  bool flagged = false;  // the standard period carries the database's summer flag
};

YearStandard standardOfYear(const date::time_zone& tz, int year) {
  using namespace std::chrono;
  auto start = [](int y) { return date::sys_seconds{date::sys_days{date::year{y} / 1 / 1}}; };
  std::optional<seconds> unflagged;
  std::map<seconds, seconds> flaggedInYear;  // offset -> time kept in the year
  std::optional<seconds> anyInYear;
  for (date::sys_seconds t = start(year - 3), last = start(year + 4); t < last;) {
    const auto info = tz.get_info(t);
    const auto end = std::min<date::sys_seconds>(info.end, last);
    if (info.abbrev != "LMT") {
      if (info.save.count() == 0)
        unflagged = unflagged ? std::min(*unflagged, info.offset) : info.offset;
      const auto from = std::max(t, start(year)), to = std::min(end, start(year + 1));
      if (from < to) {
        anyInYear = anyInYear ? std::min(*anyInYear, info.offset) : info.offset;
        if (info.save.count() != 0) flaggedInYear[info.offset] += to - from;
      }
    }
    if (end <= t) break;
    t = end;
  }
  YearStandard standard{unflagged ? *unflagged : anyInYear.value_or(seconds{0}), false};
  for (const auto& [offset, kept] : flaggedInYear)
    if (kept >= hours(24 * 60) && offset < standard.offset) {
      standard = {offset, true};
      break;
    }
  return standard;
}

ZonePeriod periodOf(const date::time_zone& tz, const date::sys_info& info) {
  ZonePeriod p{static_cast<int>(info.offset.count()), false, info.abbrev, 0};
  if (info.abbrev == "LMT") return p;
  const auto middle = info.begin > date::sys_seconds{date::sys_days{date::year{1800} / 1 / 1}}
                          ? info.begin
                          : info.end;
  if (middle >= date::sys_seconds::max() - std::chrono::hours(24 * 400)) return p;
  const int year = static_cast<int>(date::year_month_day{date::floor<date::days>(middle)}.year());
  const YearStandard standard = standardOfYear(tz, year);
  if (info.offset > standard.offset && (info.save.count() != 0 || standard.flagged)) {
    p.summer = true;
    p.saveSeconds = static_cast<int>((info.offset - standard.offset).count());
  }
  return p;
}

ZonePeriod periodOf(const RulePeriod& r, const PosixRule& rule) {
  ZonePeriod p{r.offset, r.summer, r.abbreviation, 0};
  if (r.summer) p.saveSeconds = r.offset - std::min(rule.standardOffset, rule.summerOffset);
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
  const auto local = localSeconds(date, time);
  const std::int64_t l = local.time_since_epoch().count();
  const auto tail = zoneTail(zone);
  if (tail && l - 14 * 3600 > tail->lastChange) {
    // After the file's last listed change: its footer rule. Each offset the rule keeps
    // is tried; one that gives back its own offset is a reading of the local time.
    const PosixRule& rule = tail->rule;
    const int a = std::min(rule.standardOffset, rule.summerOffset),
              b = std::max(rule.standardOffset, rule.summerOffset);
    const RulePeriod atA = ruleAt(rule, l - a), atB = ruleAt(rule, l - b);
    const bool validA = atA.offset == a, validB = atB.offset == b;
    if (validA && validB && a != b) {
      out.kind = ZoneOffset::Kind::Fold;  // first at the larger offset, then the smaller
      out.first = periodOf(atB, rule);
      out.second = periodOf(atA, rule);
    } else if (validA || validB) {
      out.kind = ZoneOffset::Kind::Unique;
      out.first = periodOf(validB ? atB : atA, rule);
    } else {
      out.kind = ZoneOffset::Kind::Gap;  // the clocks went from a to b past this time
      out.first = periodOf(atB, rule);
      out.second = periodOf(atA, rule);
    }
    return out;
  }
  const auto info = tz->get_info(local);
  out.first = periodOf(*tz, info.first);
  out.second = periodOf(*tz, info.second);
  switch (info.result) {
    case date::local_info::unique: out.kind = ZoneOffset::Kind::Unique; break;
    case date::local_info::nonexistent: out.kind = ZoneOffset::Kind::Gap; break;
    case date::local_info::ambiguous: out.kind = ZoneOffset::Kind::Fold; break;
  }
  // The database marks the era before a zone's first standard time as "LMT", the mean
  // time of its reference city; a birth elsewhere in the zone kept its own, on the city's
  // side of the date line.
  if (out.kind == ZoneOffset::Kind::Unique && out.first.abbreviation == "LMT" &&
      longitudeArcSeconds) {
    out.meanTime = true;
    out.zoneMeanSeconds = out.first.offsetSeconds;
    out.first.offsetSeconds = meanTimeSeconds(*longitudeArcSeconds, out.first.offsetSeconds);
  }
  return out;
}

int meanTimeSeconds(std::int32_t longitudeArcSeconds, int zoneOffsetSeconds) {
  // 15 degrees of longitude are one hour, so one arc second is 1/15 of a time second.
  const long long mean = std::llround(longitudeArcSeconds / 15.0);
  // A whole day on or back, whichever brings it nearest the zone's clock: the date the
  // place kept is the zone's.
  const long long days = std::llround((zoneOffsetSeconds - mean) / 86400.0);
  return static_cast<int>(mean + days * 86400);
}

std::optional<ZonePeriod> periodAtUniversal(const std::string& zone, std::int64_t t) {
  const date::time_zone* tz = nullptr;
  try {
    tz = date::locate_zone(zone);
  } catch (const std::exception&) {
    return std::nullopt;
  }
  const auto tail = zoneTail(zone);
  if (tail && t > tail->lastChange) return periodOf(ruleAt(tail->rule, t), tail->rule);
  return periodOf(*tz, tz->get_info(date::sys_seconds{std::chrono::seconds{t}}));
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

}  // namespace orvenda::places
