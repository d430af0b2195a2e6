// The reading of the traditional chart: its sect, each planet's condition, the mutual
// receptions, the lots in their places, the bright stars on its points and the points
// out of bounds, each told from the set's traditional texts, in the horoscope language.
#pragma once

#include <cstdint>

#include "sheet/reading.h"
#include "sheet/reading_texts.h"
#include "traditional/traditional.h"

namespace orvenda::reading {

// sex as in ReadingSettings: the texts' {man's|woman's} choices follow it.
Reading traditionalReading(const traditional::TraditionalChart& t, const TextSet& texts, bool greek,
                           std::int32_t sex);

}  // namespace orvenda::reading
