// The reading of the time lords in force at a moment: the profected house and the lord of
// the year, the firdar and its sub-period, the releasing's first two levels with their peak
// and loosing, each from the set's time-lord texts, in the horoscope language.
#pragma once

#include <cstdint>
#include <string>
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

// A direction of one of the seven planets to a significator (the Ascendant, the Midheaven,
// the Sun, the Moon, the Lot of Fortune) by the conjunction or a Ptolemaic aspect, dated.
struct DirectionRead {
  int planet = 0;
  int significator = 0;  // a point of the chart, or timelords::kLotId + the lot
  int aspect = 0;        // of the aspect table, 0..4
  enum Kind { kSolarArc, kNaibod, kZodiacal, kMundane } kind = kSolarArc;
  bool converse = false;    // of a primary direction
  long long localDate = 0;  // the date, local seconds since 1970
};

// The directions of a period read: a text for each planet, significator and nature (the
// conjunction, the harmonious trine and sextile, the challenging square and opposition),
// once, under a heading naming every direction it reads. Others have no text and are left.
Reading directionsReading(const std::vector<DirectionRead>& directions, const TextSet& texts,
                          bool greek, std::int32_t sex);

}  // namespace orvenda::reading
