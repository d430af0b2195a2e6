// The reading of the time lords in force at a moment: the profected house and the lord of
// the year, the firdar and its sub-period, the releasing's first two levels with their peak
// and loosing, each from the set's time-lord texts, in the horoscope language.
#pragma once

#include <cstdint>
#include <vector>

#include "sheet/reading.h"
#include "sheet/reading_texts.h"
#include "timelords/timelords.h"

namespace orvenda::reading {

struct TimelordsNow {
  const timelords::Profection* year = nullptr;
  const timelords::Firdar* firdar = nullptr;                 // the period
  const timelords::Firdar* sub = nullptr;                    // its sub-period, if the lord has them
  std::vector<const timelords::ReleasingPeriod*> releasing;  // level 1, then 2
  bool fromSpirit = true;
};

Reading timelordsReading(const TimelordsNow& now, const TextSet& texts, bool greek,
                         std::int32_t sex);

}  // namespace orvenda::reading
