// Chart for Now: the record's date, clock time and offset from GMT at one instant.
#pragma once

#include <ctime>

#include "birth/birth_record.h"

namespace orvenda {

// Fills day .. second with the local reading of the instant and gmtHours, gmtMinutes
// with the local clock's offset from GMT (gmtMinutes 0..59). The place is not touched.
void chartForNow(BirthRecord& record, std::time_t instant);

}  // namespace orvenda
