// Local and GMT readings of an instant through the C runtime's conversions.
#include <stdlib.h>
#include <time.h>

#include "platform/clock.h"

namespace orvenda {

void localReading(std::time_t instant, std::tm& out) { localtime_s(&out, &instant); }
void gmtReading(std::time_t instant, std::tm& out) { gmtime_s(&out, &instant); }

void setProcessTimeZone(const char* zone) {
  _putenv_s("TZ", zone != nullptr ? zone : "");
  _tzset();
}

}  // namespace orvenda
