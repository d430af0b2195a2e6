// Local and GMT readings of an instant through the C library's zone rules (tzdata).
#include <stdlib.h>
#include <time.h>

#include "platform/clock.h"

namespace orvenda {

void localReading(std::time_t instant, std::tm& out) { ::localtime_r(&instant, &out); }
void gmtReading(std::time_t instant, std::tm& out) { ::gmtime_r(&instant, &out); }

void setProcessTimeZone(const char* zone) {
  if (zone != nullptr)
    ::setenv("TZ", zone, 1);
  else
    ::unsetenv("TZ");
  ::tzset();
}

}  // namespace orvenda
