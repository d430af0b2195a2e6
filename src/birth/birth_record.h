// The birth record: date, clock time, offset from GMT and place of a birth, the field
// rules of the editing keys, and the 56-byte chart-file image.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace orvenda {

struct BirthRecord {
  std::int32_t day = 0, month = 0, year = 0;
  std::int32_t hour = 0, minute = 0, second = 0;
  std::int32_t gmtHours = 0, gmtMinutes = 0;
  std::int32_t lonDegrees = 0, lonMinutes = 0, lonSeconds = 0;
  std::int32_t latDegrees = 0, latMinutes = 0, latSeconds = 0;

  static constexpr int kFieldCount = 14;
  static constexpr std::size_t kFileSize = 56;

  // Field i in chart-file order (0 day .. 13 latSeconds).
  std::int32_t& field(int i);
  std::int32_t field(int i) const;

  friend bool operator==(const BirthRecord&, const BirthRecord&) = default;
};

inline constexpr BirthRecord defaultBirthRecord{1, 1, 1970, 12, 0, 0, 2, 0, 23, 46, 0, 37, 58, 0};

// The farthest from GMT that a birth's clock can have been, in minutes, and the one bound
// of every reader and writer of an offset (the tool's fields, the chart, CSV and AAF).
// Before standard time a place kept its own mean time on its zone's side of the date line,
// so the bound is the mean time of the farthest place on the wrong side of its longitude:
// the Philippines kept the American date until the end of 1844, and Balabac, the atlas's
// westernmost town of theirs (117°03′E), kept −16:11:48, Puerto Princesa −16:05, Manila
// −15:56:08; Alaska kept the Russian date until 1867, its easternmost towns Metlakatla
// +15:13:42 and Hyder (130°01′W) +15:19:56, while the Aleutians as far as Attu (172°54′E)
// were nearer GMT (+11:31). 16:15 holds them all, with a few minutes for the islands west
// of Balabac's town; nothing farther has been a clock.
inline constexpr int kMaxOffsetMinutes = 16 * 60 + 15;
// The bound as the messages say it.
inline constexpr const char* kMaxOffsetText = "16:15";

// Up: the field under the cursor goes down by one, then every field below its lower
// bound is set as the table of bounds says (no carry into a neighbour).
void decrementField(BirthRecord& record, int fieldIndex);
// Down: the field goes up by one, then every field above its upper bound wraps.
void incrementField(BirthRecord& record, int fieldIndex);
// Rolls an invalid day forward to the 1st of the next month (one pass).
void normalizeDate(BirthRecord& record);
// Days in the month; every year divisible by 4 is a leap year (1900 and 2100 too).
int monthLength(int month, int year);

// A field's value in its four columns as the main screen shows it ("%4d", or "  %02d"
// for minutes and seconds). One that needs more (a damaged chart) shows as "****", which
// keeps the one-row cell from wrapping.
std::array<char, 5> fieldText(int fieldIndex, std::int32_t value);

// The chart-file image: 14 little-endian int32 values.
std::array<std::uint8_t, BirthRecord::kFileSize> encodeChart(const BirthRecord& record);
// Reads as many whole fields as bytes holds; fields it does not reach keep their values.
void decodeChart(std::span<const std::uint8_t> bytes, BirthRecord& record);

// Little-endian int32 helpers shared by every binary file of the program.
void putInt32(std::uint8_t* out, std::int32_t value);
std::int32_t getInt32(const std::uint8_t* in);

}  // namespace orvenda
