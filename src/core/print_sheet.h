// The print sheet that R writes as PRINT/bush.html: a complete page with no script and no
// frame, so that every browser shows it (text browsers too) and prints it on one A4 page.
#pragma once

#include <string>

#include "birth/birth_record.h"
#include "core/app_state.h"

namespace orvenda {

// The sheet for the record as it stands, in the horoscope language (Greek for 1,
// English for any other value), as UTF-8 HTML.
std::string printSheet(const AppState& state, const BirthRecord& record);

}  // namespace orvenda
