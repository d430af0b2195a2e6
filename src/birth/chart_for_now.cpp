// The offset is taken from the clock readings themselves (local minus GMT, with the
// date deciding which side of midnight), not from the zone's name or rules.
#include "birth/chart_for_now.h"

#include "platform/clock.h"

namespace orvenda {

void chartForNow(BirthRecord& record, std::time_t instant) {
  std::tm local{};
  std::tm gmt{};
  localReading(instant, local);
  gmtReading(instant, gmt);
  record.day = local.tm_mday;
  record.month = local.tm_mon + 1;
  record.year = local.tm_year + 1900;
  record.hour = local.tm_hour;
  record.minute = local.tm_min;
  record.second = local.tm_sec;

  int minutes = local.tm_min - gmt.tm_min;
  int hours = local.tm_hour - gmt.tm_hour;
  while (minutes < 0) {
    minutes += 60;
    --hours;
  }
  const int localDate = (local.tm_year * 12 + local.tm_mon) * 32 + local.tm_mday;
  const int gmtDate = (gmt.tm_year * 12 + gmt.tm_mon) * 32 + gmt.tm_mday;
  if (localDate > gmtDate) {
    while (hours < 0) hours += 24;
  } else if (localDate < gmtDate) {
    while (hours > 0) hours -= 24;
  }
  record.gmtHours = hours;
  record.gmtMinutes = minutes;
}

}  // namespace orvenda
