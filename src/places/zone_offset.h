// The offset from GMT of a local clock time at a place, from the system's IANA time-zone
// database: historical rules, summer and double summer time, gaps and folds, and the
// local-mean-time era before a zone kept a standard time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "places/fields.h"

namespace orvenda::places {

struct ZonePeriod {
  int offsetSeconds = 0;  // east of GMT
  bool summer = false;
  std::string abbreviation;
  int saveSeconds = 0;  // the part of the offset that is summer time
};

struct ZoneOffset {
  enum class Kind { Unique, Gap, Fold, UnknownZone } kind = Kind::UnknownZone;
  // Unique: first. Gap: first is the offset before the clocks jumped, second after.
  // Fold: first is the offset of the first passage, second of the second.
  ZonePeriod first, second;
  bool meanTime = false;    // before standard time: the place's own mean time was used
  int zoneMeanSeconds = 0;  // with meanTime: the zone's own, the database's LMT
};

// A local clock time in a zone. Before the zone's first standard time the offset is the
// mean time of the longitude (in arc seconds) when one is given, else the database's.
ZoneOffset offsetAt(const std::string& zone, const CivilDate& date, const ClockTime& time,
                    std::optional<std::int32_t> longitudeArcSeconds);

// The mean time of a longitude (arc seconds) in seconds east of GMT, on the side of the date
// line where the zone's clock was: Manila kept the American date until 1845, so its mean
// time then was -15:56, not +8:04; Alaska kept the Russian one until 1867 (+15:02 at
// Juneau). `zoneOffsetSeconds` is the zone's offset at that moment.
int meanTimeSeconds(std::int32_t longitudeArcSeconds, int zoneOffsetSeconds);

// The period in force at an instant (seconds since 1970 UT): the database's periods, and
// its footer rule after the last of them.
std::optional<ZonePeriod> periodAtUniversal(const std::string& zone, std::int64_t utSeconds);

// Whole minutes, rounded to the nearest (mean times are seconds-exact).
int roundedMinutes(int offsetSeconds);
// "+1:19:32", seconds only where there are any.
std::string formatOffsetSeconds(int offsetSeconds);

// Days since the epoch of the Julian day count, for the universal time of a local clock
// time and an offset in minutes east.
double julianDay(const CivilDate& date, const ClockTime& time, int offsetMinutes);
// The universal date and time of a Julian day, to the nearest second.
void fromJulianDay(double jd, CivilDate& date, ClockTime& time);

bool zoneExists(const std::string& zone);

}  // namespace orvenda::places
