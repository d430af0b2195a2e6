// Parsing and formatting the fields of a birth for the command line.
#include "places/fields.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <date/date.h>

namespace orvenda::places {
namespace {

// A whole number of at most `maxDigits` digits, all of text.
std::optional<int> wholeNumber(std::string_view text, std::size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits ||
      text.find_first_not_of("0123456789") != std::string_view::npos)
    return std::nullopt;
  int value = 0;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
  if (r.ec != std::errc() || r.ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

// Three whole numbers split by sep, each of at most its number of digits.
std::optional<std::array<int, 3>> threeNumbers(std::string_view text, char sep,
                                               const std::array<std::size_t, 3>& digits) {
  std::array<int, 3> out{};
  for (std::size_t i = 0; i < 3; ++i) {
    const auto end = i < 2 ? text.find(sep) : text.size();
    if (end == std::string_view::npos) return std::nullopt;
    const auto n = wholeNumber(text.substr(0, end), digits[i]);
    if (!n) return std::nullopt;
    out[i] = *n;
    text.remove_prefix(i < 2 ? end + 1 : end);
  }
  return out;
}

std::optional<CivilDate> parseDate(std::string_view text, std::string& why) {
  text = trim(text);
  CivilDate d;
  std::size_t yearDigits = 0;
  if (const auto iso = threeNumbers(text, '-', {4, 2, 2})) {
    d = {(*iso)[0], (*iso)[1], (*iso)[2]};
    yearDigits = text.find('-');
  } else if (const auto dotted = threeNumbers(text, '.', {2, 2, 4})) {
    d = {(*dotted)[2], (*dotted)[1], (*dotted)[0]};
    yearDigits = text.size() - text.rfind('.') - 1;
  } else {
    return why = "a date is YYYY-MM-DD or D.M.YYYY", std::nullopt;
  }
  // "14.3.57" is as likely to mean 1957 as the year 57: the year is written whole.
  if (yearDigits < 4) {
    char full[96];
    std::snprintf(full, sizeof full,
                  "the year is written with four digits: %d.%d.19%02d for 19%02d, %d.%d.%04d for "
                  "the year %d",
                  d.day, d.month, d.year % 100, d.year % 100, d.day, d.month, d.year, d.year);
    return why = full, std::nullopt;
  }
  if (d.year < 1 || d.year > 9999) return why = "the year must be 1 to 9999", std::nullopt;
  const date::year_month_day ymd{date::year{d.year}, date::month{static_cast<unsigned>(d.month)},
                                 date::day{static_cast<unsigned>(d.day)}};
  if (d.month < 1 || d.day < 1 || !ymd.ok()) return why = "there is no such day", std::nullopt;
  return d;
}

std::optional<ClockTime> parseTime(std::string_view text, std::string& why) {
  text = trim(text);
  why = "a time is HH:MM or HH:MM:SS, on a 24-hour clock";
  const auto colon = text.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  const auto colon2 = text.find(':', colon + 1);
  const auto h = wholeNumber(text.substr(0, colon), 2);
  const auto m =
      wholeNumber(text.substr(colon + 1, colon2 == std::string_view::npos ? std::string_view::npos
                                                                          : colon2 - colon - 1),
                  2);
  std::optional<int> s = 0;
  if (colon2 != std::string_view::npos) s = wholeNumber(text.substr(colon2 + 1), 2);
  if (!h || !m || !s || text.substr(colon + 1).size() < 2) return std::nullopt;
  if (*h > 23 || *m > 59 || *s > 59)
    return why = "hours go to 23, minutes and seconds to 59", std::nullopt;
  why.clear();
  return ClockTime{*h, *m, *s};
}

std::optional<std::int32_t> parseAngle(std::string_view text, bool longitude, std::string& why) {
  text = trim(text);
  const char positive = longitude ? 'E' : 'N', negative = longitude ? 'W' : 'S';
  const int bound = longitude ? 180 : 90;
  why = longitude ? "a longitude is D:M:S or decimal degrees, signed or with E or W (73:58:12W)"
                  : "a latitude is D:M:S or decimal degrees, signed or with N or S (40:42:51N)";
  if (text.empty()) return std::nullopt;
  int sign = 1;
  auto isLetter = [&](char c, char upper) { return c == upper || c == upper + ('a' - 'A'); };
  // A hemisphere letter at the end, or between degrees and minutes (AAF: 49n05).
  std::string body(text);
  bool lettered = false;
  for (std::size_t i = 0; i < body.size(); ++i) {
    const char c = body[i];
    if (isLetter(c, positive) || isLetter(c, negative)) {
      if (lettered || i == 0) return std::nullopt;
      lettered = true;
      if (isLetter(c, negative)) sign = -1;
      if (i + 1 == body.size())
        body.erase(i);
      else
        body[i] = ':';
    }
  }
  if (body.front() == '+' || body.front() == '-') {
    if (lettered) return std::nullopt;
    if (body.front() == '-') sign = -1;
    body.erase(0, 1);
  }
  long long arcSeconds = 0;
  if (body.find(':') != std::string::npos) {
    int parts[3] = {0, 0, 0};
    int n = 0;
    std::size_t start = 0;
    for (;;) {
      const auto end = body.find(':', start);
      const auto v = wholeNumber(std::string_view(body).substr(start, end - start), 3);
      if (!v || n == 3) return std::nullopt;
      parts[n++] = *v;
      if (end == std::string::npos) break;
      start = end + 1;
    }
    if (n < 2 || parts[1] > 59 || parts[2] > 59) return std::nullopt;
    arcSeconds = parts[0] * 3600LL + parts[1] * 60LL + parts[2];
  } else {
    char* end = nullptr;
    const double deg = std::strtod(body.c_str(), &end);
    if (body.empty() || end != body.c_str() + body.size() || !std::isfinite(deg) || deg < 0 ||
        body.find_first_not_of("0123456789.") != std::string::npos)
      return std::nullopt;
    if (deg > 1000) return std::nullopt;
    arcSeconds = std::llround(deg * 3600.0);
  }
  if (arcSeconds > bound * 3600LL) {
    why = longitude ? "a longitude lies within 180 degrees of Greenwich"
                    : "a latitude lies within 90 degrees of the equator";
    return std::nullopt;
  }
  why.clear();
  return static_cast<std::int32_t>(sign * arcSeconds);
}

std::optional<int> parseOffset(std::string_view text, std::string& why) {
  text = trim(text);
  why = "an offset is +H:MM or -H:MM from GMT (-5:00, +5:30)";
  if (text.size() < 2 || (text.front() != '+' && text.front() != '-')) return std::nullopt;
  const int sign = text.front() == '-' ? -1 : 1;
  text.remove_prefix(1);
  const auto colon = text.find(':');
  const auto h = wholeNumber(text.substr(0, colon), 2);
  std::optional<int> m = 0;
  if (colon != std::string_view::npos) {
    if (text.size() - colon - 1 != 2) return std::nullopt;
    m = wholeNumber(text.substr(colon + 1), 2);
  }
  if (!h || !m || *m > 59) return std::nullopt;
  // The one bound of every reader of an offset (birth_record.h): no clock has been farther
  // from GMT, and a chart written with more could not be exported and read back.
  if (*h * 60 + *m > kMaxOffsetMinutes) {
    why = std::string("no clock has been farther from GMT than ") + kMaxOffsetText + " (-" +
          kMaxOffsetText + " to +" + kMaxOffsetText + ")";
    return std::nullopt;
  }
  why.clear();
  return sign * (*h * 60 + *m);
}

RecordAngle toRecordAngle(std::int32_t arcSeconds) {
  RecordAngle a;
  if (arcSeconds < 0 && arcSeconds > -3600) {
    // 0 or -1 degree, whichever is nearer.
    a.signLost = true;
    a.degrees = arcSeconds <= -1800 ? -1 : 0;
    return a;
  }
  const std::int32_t whole = arcSeconds < 0 ? -arcSeconds : arcSeconds;
  a.degrees = whole / 3600 * (arcSeconds < 0 ? -1 : 1);
  a.minutes = whole / 60 % 60;
  a.seconds = whole % 60;
  return a;
}

std::int32_t fromRecordAngle(std::int32_t degrees, std::int32_t minutes, std::int32_t seconds) {
  const long long magnitude =
      std::llabs(static_cast<long long>(degrees)) * 3600 + minutes * 60LL + seconds;
  const long long value = degrees < 0 ? -magnitude : magnitude;
  return static_cast<std::int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

void setRecordOffset(BirthRecord& record, int minutesEast) {
  const int hours = minutesEast >= 0 ? minutesEast / 60 : -((-minutesEast + 59) / 60);
  record.gmtHours = hours;
  record.gmtMinutes = minutesEast - hours * 60;
}

int recordOffsetMinutes(const BirthRecord& record) {
  return static_cast<int>(
      std::clamp<long long>(record.gmtHours * 60LL + record.gmtMinutes, INT32_MIN, INT32_MAX));
}

std::string formatOffset(int minutesEast) {
  char buf[24];
  const int a = minutesEast < 0 ? -minutesEast : minutesEast;
  std::snprintf(buf, sizeof buf, "%c%d:%02d", minutesEast < 0 ? '-' : '+', a / 60, a % 60);
  return buf;
}

std::string formatDms(std::int32_t arcSeconds, bool longitude) {
  const long long a = std::llabs(static_cast<long long>(arcSeconds));
  char buf[48];
  std::snprintf(buf, sizeof buf, "%lld\u00B0%02lld'%02lld\" %c", a / 3600, a / 60 % 60, a % 60,
                longitude ? (arcSeconds < 0 ? 'W' : 'E') : (arcSeconds < 0 ? 'S' : 'N'));
  return buf;
}

std::string formatStrip(const BirthRecord& record) {
  std::string out;
  for (int i = 0; i < BirthRecord::kFieldCount; ++i) {
    out += ' ';
    out += fieldText(i, record.field(i)).data();
  }
  return out;
}

bool validDate(const BirthRecord& r) {
  std::string why;
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", r.year, r.month, r.day);
  return r.year >= 1 && r.year <= 9999 && parseDate(text, why) && r.hour >= 0 && r.hour <= 23 &&
         r.minute >= 0 && r.minute <= 59 && r.second >= 0 && r.second <= 59;
}

}  // namespace orvenda::places
