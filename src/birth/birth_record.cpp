// Field rules and chart-file encoding of the birth record.
#include "birth/birth_record.h"

#include <cstdio>
#include <cstring>

namespace orvenda {
namespace {

struct Bounds {
  std::int32_t low, lowWrap, high, highWrap;
};

// What Up (below low -> lowWrap) and Down (above high -> highWrap) do to each field. The
// year wraps unevenly on purpose: Up past 1900 lands on 2000.
constexpr Bounds kBounds[BirthRecord::kFieldCount] = {
    {1, 31, 31, 1},            // day
    {1, 12, 12, 1},            // month
    {1900, 2000, 2100, 1900},  // year
    {0, 23, 23, 0},            // hour
    {0, 59, 59, 0},            // minute
    {0, 59, 59, 0},            // second
    {-12, 13, 13, -12},        // gmtHours
    {0, 59, 59, 0},            // gmtMinutes
    {-180, 180, 180, -180},    // lonDegrees
    {0, 59, 59, 0},            // lonMinutes
    {0, 59, 59, 0},            // lonSeconds
    {-90, 90, 90, -90},        // latDegrees
    {0, 59, 59, 0},            // latMinutes
    {0, 59, 59, 0},            // latSeconds
};

bool validField(int i) { return i >= 0 && i < BirthRecord::kFieldCount; }

}  // namespace

std::int32_t& BirthRecord::field(int i) {
  std::int32_t* fields[kFieldCount] = {
      &day,        &month,      &year,       &hour,       &minute,     &second,     &gmtHours,
      &gmtMinutes, &lonDegrees, &lonMinutes, &lonSeconds, &latDegrees, &latMinutes, &latSeconds};
  return *fields[validField(i) ? i : 0];
}

std::int32_t BirthRecord::field(int i) const { return const_cast<BirthRecord*>(this)->field(i); }

void decrementField(BirthRecord& record, int fieldIndex) {
  if (!validField(fieldIndex)) return;
  std::int32_t& f = record.field(fieldIndex);
  // A loaded record may hold any value; the step must not overflow.
  if (f > INT32_MIN) --f;
  for (int i = 0; i < BirthRecord::kFieldCount; ++i)
    if (record.field(i) < kBounds[i].low) record.field(i) = kBounds[i].lowWrap;
}

void incrementField(BirthRecord& record, int fieldIndex) {
  if (!validField(fieldIndex)) return;
  std::int32_t& f = record.field(fieldIndex);
  if (f < INT32_MAX) ++f;
  for (int i = 0; i < BirthRecord::kFieldCount; ++i)
    if (record.field(i) > kBounds[i].high) record.field(i) = kBounds[i].highWrap;
}

int monthLength(int month, int year) {
  switch (month) {
    case 4:
    case 6:
    case 9:
    case 11: return 30;
    case 2: return year % 4 == 0 ? 29 : 28;
    default: return 31;
  }
}

void normalizeDate(BirthRecord& record) {
  if (record.month < 1 || record.month > 12) return;
  if (record.day >= 1 && record.day <= monthLength(record.month, record.year)) return;
  record.day = 1;
  if (record.month < 12) {
    ++record.month;
  } else {
    record.month = 1;
    if (record.year < INT32_MAX) ++record.year;
  }
}

void putInt32(std::uint8_t* out, std::int32_t value) {
  const auto u = static_cast<std::uint32_t>(value);
  out[0] = static_cast<std::uint8_t>(u);
  out[1] = static_cast<std::uint8_t>(u >> 8);
  out[2] = static_cast<std::uint8_t>(u >> 16);
  out[3] = static_cast<std::uint8_t>(u >> 24);
}

std::int32_t getInt32(const std::uint8_t* in) {
  const std::uint32_t u =
      static_cast<std::uint32_t>(in[0]) | (static_cast<std::uint32_t>(in[1]) << 8) |
      (static_cast<std::uint32_t>(in[2]) << 16) | (static_cast<std::uint32_t>(in[3]) << 24);
  return static_cast<std::int32_t>(u);
}

std::array<std::uint8_t, BirthRecord::kFileSize> encodeChart(const BirthRecord& record) {
  std::array<std::uint8_t, BirthRecord::kFileSize> out{};
  for (int i = 0; i < BirthRecord::kFieldCount; ++i) putInt32(out.data() + 4 * i, record.field(i));
  return out;
}

void decodeChart(std::span<const std::uint8_t> bytes, BirthRecord& record) {
  for (int i = 0; i < BirthRecord::kFieldCount; ++i) {
    const std::size_t at = static_cast<std::size_t>(4 * i);
    if (at + 4 > bytes.size()) break;
    record.field(i) = getInt32(bytes.data() + at);
  }
}

std::array<char, 5> fieldText(int fieldIndex, std::int32_t value) {
  const bool twoDigits = fieldIndex == 4 || fieldIndex == 5 || fieldIndex == 7 || fieldIndex == 9 ||
                         fieldIndex == 10 || fieldIndex == 12 || fieldIndex == 13;
  char text[16];
  std::snprintf(text, sizeof text, twoDigits ? "  %02d" : "%4d", value);
  std::array<char, 5> out{};
  std::memcpy(out.data(), std::strlen(text) > 4 ? "****" : text, 4);
  return out;
}

}  // namespace orvenda
