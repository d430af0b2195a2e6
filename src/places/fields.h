// The forms a user writes a birth in on a command line (dates, clock times, angles,
// offsets), and the birth record's own conventions for them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "birth/birth_record.h"

namespace orvenda::places {

struct CivilDate {
  int year = 0, month = 0, day = 0;
};
struct ClockTime {
  int hour = 0, minute = 0, second = 0;
};

// Each parser gives nothing and says why in `why` when the text is not of its form.
// A date is YYYY-MM-DD or D.M.YYYY, a real day of the Gregorian calendar in the years
// the main screen shows in its four columns (1..9999).
std::optional<CivilDate> parseDate(std::string_view text, std::string& why);
// Three whole numbers split by sep, each of at most its number of digits.
std::optional<std::array<int, 3>> threeNumbers(std::string_view text, char sep,
                                               const std::array<std::size_t, 3>& digits);
// HH:MM or HH:MM:SS on a 24-hour clock (H:MM too).
std::optional<ClockTime> parseTime(std::string_view text, std::string& why);
// An angle in whole arc seconds: signed D:M:S or D:M, decimal degrees, or either with a
// hemisphere letter after it (73:58:12W, 40.7N); the AAF form 49n05 too. `longitude`
// chooses the letters (E/W or N/S) and the bound (180 or 90 degrees).
std::optional<std::int32_t> parseAngle(std::string_view text, bool longitude, std::string& why);
// ±H:MM (or ±H), in minutes east of Greenwich.
std::optional<int> parseOffset(std::string_view text, std::string& why);

// The record keeps the sign of an angle on its degrees alone, so an angle between -1
// and 0 degrees can't be held: the nearest value it can hold is 0 or -1 degree.
struct RecordAngle {
  std::int32_t degrees = 0, minutes = 0, seconds = 0;
  bool signLost = false;  // the angle was west or south by less than a degree
};
RecordAngle toRecordAngle(std::int32_t arcSeconds);
// What the record's three fields mean, in arc seconds.
std::int32_t fromRecordAngle(std::int32_t degrees, std::int32_t minutes, std::int32_t seconds);

// Minutes east of GMT in the record's form: -210 is gmtHours -4, gmtMinutes 30.
void setRecordOffset(BirthRecord& record, int minutesEast);
int recordOffsetMinutes(const BirthRecord& record);

// "-5:00", "+1:20": an offset as people write it.
std::string formatOffset(int minutesEast);
// 73°58'12" W, with the sign as a hemisphere letter.
std::string formatDms(std::int32_t arcSeconds, bool longitude);
// The record's 14 fields as the main screen's strip shows them ("  14    3 1957 ..."),
// under these labels.
std::string formatStrip(const BirthRecord& record);
constexpr const char* kStripLabels =
    "  Day  Mon Year Hour  Min  Sec  GMT  min  LON  Min  Sec  LAT  Min  Sec";
// A record whose date is a real day of the years 1..9999 and whose clock time is one.
bool validDate(const BirthRecord& record);

}  // namespace orvenda::places
