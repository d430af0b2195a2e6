// CSV and AAF, written and read.
#include "exchange/exchange.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <tuple>

#include <date/date.h>

namespace orvenda::exchange {
namespace {

// White space as AAF defines it, C's: blank, tab, line feed, vertical tab, form feed and
// carriage return, which a reader drops from both ends of every field.
constexpr std::string_view kWhiteSpace = " \t\n\v\f\r";

std::string trimmed(std::string_view s) {
  const auto first = s.find_first_not_of(kWhiteSpace);
  if (first == std::string_view::npos) return "";
  return std::string(s.substr(first, s.find_last_not_of(kWhiteSpace) - first + 1));
}

std::vector<std::string> splitFields(std::string_view s) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (;;) {
    const auto comma = s.find(',', start);
    out.push_back(trimmed(s.substr(start, comma - start)));
    if (comma == std::string_view::npos) return out;
    start = comma + 1;
  }
}

// Degrees, a hemisphere letter, and whole minutes: 49n05, 8e11, 33s52.
std::string aafAngle(std::int32_t degrees, std::int32_t minutes, std::int32_t seconds,
                     char positive, char negative) {
  const long long arc =
      std::llabs(static_cast<long long>(degrees)) * 3600 + minutes * 60LL + seconds;
  const long long roundedMinutes = (arc + 30) / 60;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%lld%c%02lld", roundedMinutes / 60,
                degrees < 0 ? negative : positive, roundedMinutes % 60);
  return buf;
}

}  // namespace

std::string csvLine(const std::vector<std::string>& fields) {
  std::string out;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out += ',';
    const std::string& f = fields[i];
    if (f.find_first_of(",\"\r\n") == std::string::npos &&
        (f.empty() || (f.front() != ' ' && f.back() != ' '))) {
      out += f;
      continue;
    }
    out += '"';
    for (char c : f) {
      if (c == '"') out += '"';
      out += c;
    }
    out += '"';
  }
  out += "\r\n";
  return out;
}

std::string csvHeader() {
  return csvLine(std::vector<std::string>(std::begin(kCsvFields), std::end(kCsvFields)));
}

std::string csvChart(const std::string& name, const BirthRecord& record) {
  std::vector<std::string> f{name};
  for (int i = 0; i < BirthRecord::kFieldCount; ++i) f.push_back(std::to_string(record.field(i)));
  return csvLine(f);
}

std::optional<std::vector<CsvRow>> parseCsv(std::string_view text, std::string& why) {
  std::vector<CsvRow> rows;
  CsvRow row;
  std::string field;
  int line = 1;
  row.line = 1;
  bool quoted = false, wasQuoted = false, any = false;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a byte-order mark
  const std::string_view header = text.substr(0, text.find_first_of("\r\n"));
  const char separator =
      header.find(';') != std::string_view::npos && header.find(',') == std::string_view::npos
          ? ';'
          : ',';
  auto endField = [&] {
    row.fields.push_back(wasQuoted ? field : trimmed(field));
    field.clear();
    wasQuoted = false;
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        if (c == '\n') ++line;
        field += c;
      }
      continue;
    }
    any = true;
    if (c == '"' && trimmed(field).empty()) {
      field.clear();
      quoted = wasQuoted = true;
    } else if (c == separator) {
      endField();
    } else if (c == '\n' || c == '\r') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      endField();
      if (!(row.fields.size() == 1 && row.fields[0].empty())) rows.push_back(row);
      row = CsvRow{};
      row.line = ++line;
      any = false;
    } else {
      field += c;
    }
  }
  if (quoted) {
    why = "line " + std::to_string(row.line) + ": a quote is never closed";
    return std::nullopt;
  }
  if (any || !field.empty()) {
    endField();
    if (!(row.fields.size() == 1 && row.fields[0].empty())) rows.push_back(row);
  }
  return rows;
}

namespace {

std::string lowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// A field's whole number as the record holds it: decimal digits, a minus sign below zero.
// What is wrong, said plainly, where it is not one.
std::optional<std::int32_t> csvNumber(const char* field, const std::string& f, std::string& why) {
  const std::string quoted = std::string(field) + " \"" + f + "\"";
  if (f.empty()) return why = std::string(field) + " is empty", std::nullopt;
  const std::string_view digits = std::string_view(f).substr(f[0] == '-' ? 1 : 0);
  if (f[0] == '+' && f.size() > 1 && f.find_first_not_of("0123456789", 1) == std::string::npos)
    return why = quoted + " has a plus sign; a number is written without one (" + f.substr(1) + ")",
           std::nullopt;
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos)
    return why = quoted + " is not a whole number", std::nullopt;
  std::int32_t v = 0;
  if (digits.size() > 9 || std::from_chars(f.data(), f.data() + f.size(), v).ec != std::errc())
    return why = quoted + " has too many digits: no field of a chart holds more than 4",
           std::nullopt;
  return v;
}

// The ranges a chart's fields hold, as the program's screen and the chart read them.
struct FieldRange {
  std::int32_t low, high;
};
constexpr FieldRange kCsvRanges[BirthRecord::kFieldCount] = {
    {1, 31}, {1, 12},     {1, 9999}, {0, 23}, {0, 59},   {0, 59}, {-17, 16},
    {0, 59}, {-180, 180}, {0, 59},   {0, 59}, {-90, 90}, {0, 59}, {0, 59}};

}  // namespace

std::optional<CsvColumns> csvColumns(const std::vector<std::string>& header, std::string& why) {
  CsvColumns c;
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::fill(std::begin(c.at), std::end(c.at), kNone);
  for (std::size_t k = 0; k < header.size(); ++k) {
    const std::string name = lowerAscii(header[k]);
    if (name.empty()) {
      c.unnamed.push_back(k);  // a spreadsheet's
      continue;
    }
    if (name == "notes") continue;  // list --csv's: whether a chart has notes, not the notes
    const auto* known = std::find_if(std::begin(kCsvFields), std::end(kCsvFields),
                                     [&](const char* f) { return lowerAscii(f) == name; });
    if (known == std::end(kCsvFields))
      return why = "the header's column \"" + header[k] +
                   "\" is none of the chart's fields (name, day, month, year, hour, minute, "
                   "second, gmtHours, gmtMinutes, lonDegrees, lonMinutes, lonSeconds, "
                   "latDegrees, latMinutes, latSeconds)",
             std::nullopt;
    std::size_t& at = c.at[known - std::begin(kCsvFields)];
    if (at != kNone) return why = "the header names " + header[k] + " twice", std::nullopt;
    at = k;
  }
  for (std::size_t i = 0; i < std::size(kCsvFields); ++i)
    if (c.at[i] == kNone)
      return why = std::string("the header has no column ") + kCsvFields[i] +
                   " (export writes name,day,month,...)",
             std::nullopt;
  c.width = header.size();
  return c;
}

bool blankCsvRow(const std::vector<std::string>& fields) {
  return std::all_of(fields.begin(), fields.end(), [](const std::string& f) { return f.empty(); });
}

bool chartFromCsv(const std::vector<std::string>& fields, const CsvColumns& columns,
                  std::string& name, BirthRecord& record, std::string& why) {
  // The empty columns a spreadsheet leaves beyond the header's are not the row's.
  std::size_t count = fields.size();
  while (count > columns.width && fields[count - 1].empty()) --count;
  if (count != columns.width) {
    why = "a chart has a name and 14 numbers in the header's " + std::to_string(columns.width) +
          " columns, this row " + std::to_string(count) + " fields";
    return false;
  }
  name = fields[columns.at[0]];
  for (int i = 0; i < BirthRecord::kFieldCount; ++i) {
    const char* field = kCsvFields[i + 1];
    const auto v = csvNumber(field, fields[columns.at[i + 1]], why);
    if (!v) return false;
    const FieldRange range = kCsvRanges[i];
    if (*v < range.low || *v > range.high) {
      why = std::string(field) + " " + std::to_string(*v) + " is outside " +
            std::to_string(range.low) + " to " + std::to_string(range.high);
      return false;
    }
    record.field(i) = *v;
  }
  // A minus sign on a zero is a sign the record can't keep: an angle's sign is on its
  // degrees, an offset is its hours plus its minutes, and -0 is 0 in both. Written by
  // someone who meant west, south or behind GMT, it would come in east, north or ahead of
  // it, so the row is refused with what the record can hold instead.
  auto minusZero = [&](int i) {
    const std::string& f = fields[columns.at[i + 1]];
    return !f.empty() && f[0] == '-' && record.field(i) == 0;
  };
  constexpr int kGmtHours = 6, kLonDegrees = 8, kLatDegrees = 11;
  if (minusZero(kGmtHours) && record.gmtMinutes != 0) {
    why = "gmtHours \"" + fields[columns.at[kGmtHours + 1]] + "\" with gmtMinutes " +
          std::to_string(record.gmtMinutes) +
          ": the record's offset is the hours plus the minutes, so -0 has no sign to keep (" +
          formatOffset(-record.gmtMinutes) + " is gmtHours -1, gmtMinutes " +
          std::to_string(60 - record.gmtMinutes) + ")";
    return false;
  }
  for (const auto& [degrees, what, toward] : {std::tuple{kLonDegrees, "lonDegrees", "west"},
                                              std::tuple{kLatDegrees, "latDegrees", "south"}}) {
    if (!minusZero(degrees) || (record.field(degrees + 1) == 0 && record.field(degrees + 2) == 0))
      continue;
    why = std::string(what) + " \"" + fields[columns.at[degrees + 1]] + "\": the record keeps " +
          (degrees == kLonDegrees ? "a longitude's" : "a latitude's") +
          " sign on its degrees, so one " + toward +
          " by less than a degree can't be held (the nearest it holds are 0 00 00 and -1 00 00)";
    return false;
  }
  const int offset = recordOffsetMinutes(record);
  if (std::abs(offset) > kMaxOffsetMinutes) {
    why = "gmtHours " + std::to_string(record.gmtHours) + " and gmtMinutes " +
          std::to_string(record.gmtMinutes) + " make " + formatOffset(offset) +
          ", farther from GMT than any clock has been (" + kMaxOffsetText + ")";
    return false;
  }
  auto beyond = [&](std::int32_t d, std::int32_t m, std::int32_t sec, int bound, const char* what) {
    if (std::llabs(static_cast<long long>(fromRecordAngle(d, m, sec))) <= bound * 3600LL)
      return false;
    why = std::string(what) + " " + std::to_string(d) + " " + std::to_string(m) + " " +
          std::to_string(sec) + " is beyond " + std::to_string(bound) + " degrees";
    return true;
  };
  return !beyond(record.lonDegrees, record.lonMinutes, record.lonSeconds, 180, "the longitude") &&
         !beyond(record.latDegrees, record.latMinutes, record.latSeconds, 90, "the latitude");
}

std::vector<AafRecord> parseAaf(std::string_view text) {
  std::vector<AafRecord> out;
  int line = 0;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a byte-order mark
  for (std::size_t start = 0; start < text.size();) {
    auto end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view l = text.substr(start, end - start);
    start = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
    ++line;
    if (l.starts_with("#A93:")) {
      auto fields = splitFields(l.substr(5));
      bool julian = false;
      std::string why;
      if (fields.size() == 6 && fields[2].find('.') != std::string::npos &&
          parseAafDate(fields[2], julian, why))
        fields.insert(fields.begin() + 2, "*");
      out.push_back(AafRecord{line, std::move(fields), std::nullopt, {}});
    } else if (l.starts_with("#B93:") && !out.empty() && !out.back().b) {
      out.back().b = splitFields(l.substr(5));
    } else if (l.starts_with("#ZNAM:") && !out.empty() && out.back().zoneName.empty()) {
      out.back().zoneName = trimmed(l.substr(6));
    }
  }
  return out;
}

namespace {

// Julian-calendar date to the day number of the Julian day count.
long long julianCalendarDayNumber(int year, int month, int day) {
  const int a = (14 - month) / 12;
  const long long y = year + 4800LL - a;
  const int m = month + 12 * a - 3;
  return day + (153 * m + 2) / 5 + 365 * y + y / 4 - 32083;
}

bool julianCalendarDayExists(int year, int month, int day) {
  static constexpr int kLength[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || day < 1 || day > kLength[month - 1]) return false;
  return month != 2 || day < 29 || year % 4 == 0;
}

bool beforeGregorianReform(const CivilDate& d) {
  return d.year < 1582 || (d.year == 1582 && (d.month < 10 || (d.month == 10 && d.day < 15)));
}

}  // namespace

std::optional<CivilDate> parseAafDate(std::string_view text, bool& julian, std::string& why) {
  std::string t = trimmed(text);
  char calendar = 0;
  if (!t.empty() && (t.back() == 'j' || t.back() == 'J' || t.back() == 'g' || t.back() == 'G')) {
    calendar = static_cast<char>(t.back() | 0x20);
    t.pop_back();
  }
  // Read as a Gregorian date of the form first, which checks its form and its year.
  const auto whole = threeNumbers(t, '.', {2, 2, 4});
  if (!whole)
    return why = "a date is D.M.YYYY, with j or g after it for the calendar", std::nullopt;
  const CivilDate written{(*whole)[2], (*whole)[1], (*whole)[0]};
  julian = calendar == 'j' || (calendar == 0 && beforeGregorianReform(written));
  if (!julian) {
    const auto d = parseDate(t, why);
    if (d && calendar == 0 && beforeGregorianReform(*d))
      return why = "no such day", std::nullopt;  // unreachable: such a date is Julian
    return d;
  }
  if (calendar == 0 && written.year == 1582 && written.month == 10 && written.day >= 5)
    return why =
               "5 to 14 October 1582 were skipped when the Gregorian calendar began; write j "
               "or g after the date to say which calendar it is in",
           std::nullopt;
  std::string checked;
  if (!parseDate(t, checked) && checked.starts_with("the year"))
    return why = checked, std::nullopt;  // a year of two digits
  if (written.year < 1 || written.year > 9999 ||
      !julianCalendarDayExists(written.year, written.month, written.day))
    return why = "there is no such day in the Julian calendar", std::nullopt;
  // The Julian day number of 1 January 1970 is 2440588.
  const long long days =
      julianCalendarDayNumber(written.year, written.month, written.day) - 2440588;
  const date::year_month_day g{date::sys_days{date::days{days}}};
  const CivilDate out{static_cast<int>(g.year()),
                      static_cast<int>(static_cast<unsigned>(g.month())),
                      static_cast<int>(static_cast<unsigned>(g.day()))};
  if (out.year < 1 || out.year > 9999)
    return why = "that day is outside the years 1 to 9999 of the Gregorian calendar", std::nullopt;
  return out;
}

namespace {

// Reads a field by its grammar, a character at a time: decimal digits only, so that no
// number a C library would also take (0x1, 1e01, inf) passes for one.
class FieldReader {
 public:
  explicit FieldReader(std::string_view s) : s_(s) {}
  bool done() const { return i_ >= s_.size(); }
  // One of the letters, in either case; which one it was.
  char letter(std::string_view lower) {
    if (done()) return '\0';
    const char c = static_cast<char>(s_[i_] >= 'A' && s_[i_] <= 'Z' ? s_[i_] - 'A' + 'a' : s_[i_]);
    if (lower.find(c) == std::string_view::npos) return '\0';
    ++i_;
    return c;
  }
  bool take(char c) {
    if (done() || s_[i_] != c) return false;
    ++i_;
    return true;
  }
  // From `least` to `most` decimal digits; how many there were (0 when fewer than least).
  int digits(int least, int most, long long& value) {
    value = 0;
    int n = 0;
    while (!done() && n < most && s_[i_] >= '0' && s_[i_] <= '9')
      value = value * 10 + (s_[i_++] - '0'), ++n;
    return n >= least ? n : 0;
  }

 private:
  std::string_view s_;
  std::size_t i_ = 0;
};

// Hours with an optional fraction ("5", "5.5", "0.75"), in whole minutes, rounded: the
// number as written, never the one a C library would make of it.
std::optional<long long> decimalHoursInMinutes(FieldReader& r) {
  long long whole = 0, fraction = 0;
  if (!r.digits(1, 2, whole)) return std::nullopt;
  long long scale = 1;
  if (r.take('.')) {
    const int n = r.digits(1, 6, fraction);
    if (!n) return std::nullopt;
    for (int k = 0; k < n; ++k) scale *= 10;
  }
  if (!r.done()) return std::nullopt;
  return (whole * scale * 60 + fraction * 60 + scale / 2) / scale;
}

}  // namespace

std::optional<int> parseAafZone(std::string_view text, std::string& why) {
  const std::string t = trimmed(text);
  why =
      "a zone is hours, h, e or w and two-digit minutes (5hw00, 1he, 5h30e), hours, e or w and "
      "minutes (0e20, 1E, 0e21:48), or hours east in decimal digits (1, +1, -5, 5.5)";
  std::optional<long long> seconds;  // east of Greenwich
  {
    // Hours alone, east positive: "1", "+1", "-5", "1.0", "5.5".
    FieldReader r(t);
    int sign = 1;
    if (r.take('-'))
      sign = -1;
    else
      r.take('+');
    if (const auto minutes = decimalHoursInMinutes(r)) seconds = sign * *minutes * 60;
  }
  if (!seconds) {
    FieldReader r(t);
    long long hours = 0, minutes = 0, secs = 0;
    if (!r.digits(1, 2, hours)) return std::nullopt;
    char side = 0;
    if (r.letter("h")) {
      // "5hw00", "1he", and the minutes before the side: "5h30e".
      side = r.letter("ew");
      if (side) {
        if (!r.done() && !r.digits(2, 2, minutes)) return std::nullopt;
      } else {
        if (!r.digits(2, 2, minutes)) return std::nullopt;
        side = r.letter("ew");
      }
    } else {
      // "1e00", "1E", "0e20", "0e21:48": the side, then minutes and seconds.
      side = r.letter("ew");
      if (side && !r.done()) {
        if (!r.digits(2, 2, minutes)) return std::nullopt;
        if (r.take(':') && !r.digits(2, 2, secs)) return std::nullopt;
      }
    }
    if (!side || !r.done() || minutes > 59 || secs > 59) return std::nullopt;
    seconds = (side == 'e' ? 1 : -1) * (hours * 3600 + minutes * 60 + secs);
  }
  // Seconds (a mean time) to the nearest minute, a half minute away from Greenwich.
  const long long magnitude = (std::llabs(*seconds) + 30) / 60;
  if (magnitude > kMaxOffsetMinutes) {
    why = "\"" + t + "\" is farther from GMT than any clock has been (" + kMaxOffsetText + ")";
    return std::nullopt;
  }
  why.clear();
  return static_cast<int>(*seconds < 0 ? -magnitude : magnitude);
}

std::optional<int> parseAafSummer(std::string_view text, bool& localMean, std::string& why) {
  const std::string t = trimmed(text);
  localMean = t == "L" || t == "l" || t == "m" || t == "M";
  if (localMean) return 0;
  FieldReader r(t);
  const auto minutes = decimalHoursInMinutes(r);
  if (!minutes || *minutes > 120)
    return why = "summer time is 0, 1 or 2 hours (or L or m for local mean time)", std::nullopt;
  return static_cast<int>(*minutes);
}

std::optional<double> parseAafJulianDay(std::string_view text, std::string& why) {
  const std::string t = trimmed(text);
  FieldReader r(t);
  long long whole = 0, fraction = 0;
  const bool ok = r.digits(1, 8, whole) && (!r.take('.') || r.digits(1, 12, fraction)) && r.done();
  double jd = 0;
  if (!ok || std::from_chars(t.data(), t.data() + t.size(), jd).ec != std::errc()) {
    why = "a Julian day is written in decimal digits with a point (2444253.958333)";
    return std::nullopt;
  }
  return jd;
}

std::string aafZone(int minutesEast) {
  const int a = minutesEast < 0 ? -minutesEast : minutesEast;
  char buf[24];
  std::snprintf(buf, sizeof buf, "%dh%c%02d", a / 60, minutesEast < 0 ? 'w' : 'e', a % 60);
  return buf;
}

AafName aafName(const std::string& chartName) {
  AafName n;
  const auto comma = chartName.find(',');
  n.name = trimmed(std::string_view(chartName).substr(0, comma));
  if (comma != std::string::npos) {
    n.firstName = trimmed(std::string_view(chartName).substr(comma + 1));
    if (n.firstName.find(',') != std::string::npos) {
      std::replace(n.firstName.begin(), n.firstName.end(), ',', ' ');
      n.changed = "AAF has no commas in a field: the commas after the first became blanks";
    }
  }
  if (n.name.empty() || n.name == "*") {
    n.changed = "AAF reads \"" + n.name + "\" as a name nobody knows";
    n.name.clear();
  }
  return n;
}

std::string aafChart(const AafName& name, const BirthRecord& r, double julianDayUt,
                     const AafOffset& offset) {
  char date[48], time[40], jd[40];
  // Dates before the Gregorian calendar began would be read as Julian without the "g".
  const bool early = beforeGregorianReform({r.year, r.month, r.day});
  std::snprintf(date, sizeof date, "%d.%d.%04d%s", r.day, r.month, r.year, early ? "g" : "");
  if (r.second != 0)
    std::snprintf(time, sizeof time, "%d:%02d:%02d", r.hour, r.minute, r.second);
  else
    std::snprintf(time, sizeof time, "%d:%02d", r.hour, r.minute);
  std::snprintf(jd, sizeof jd, "%.6f", julianDayUt);
  char summer[16];
  if (offset.summerMinutes % 60 == 0)
    std::snprintf(summer, sizeof summer, "%d", offset.summerMinutes / 60);
  else
    std::snprintf(summer, sizeof summer, "%g", offset.summerMinutes / 60.0);
  std::string out = "#A93:" + name.name + "," + (name.firstName.empty() ? "*" : name.firstName) +
                    ",*," + date + "," + time + ",*,*\n#B93:" + jd + "," +
                    aafAngle(r.latDegrees, r.latMinutes, r.latSeconds, 'n', 's') + "," +
                    aafAngle(r.lonDegrees, r.lonMinutes, r.lonSeconds, 'e', 'w') + "," +
                    aafZone(offset.standardMinutes) + "," + summer + "\n";
  if (!offset.abbreviation.empty()) out += "#ZNAM:" + offset.abbreviation + "\n";
  return out;
}

namespace {

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool validUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t n = c < 0x80             ? 1
                          : (c & 0xE0) == 0xC0 ? 2
                          : (c & 0xF0) == 0xE0 ? 3
                          : (c & 0xF8) == 0xF0 ? 4
                                               : 0;
    if (n == 0 || (n == 2 && c < 0xC2) || i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += n;
  }
  return true;
}

// Windows-1252's 0x80..0x9F; the rest of the code page is Latin-1's.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

}  // namespace

std::string decodeExchangeText(std::string_view bytes, std::string& encoding) {
  std::string out;
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    encoding = "UTF-8";
    return std::string(bytes.substr(3));
  }
  const bool le = bytes.starts_with("\xFF\xFE"), be = bytes.starts_with("\xFE\xFF");
  if (le || be) {
    encoding = le ? "UTF-16 (little-endian)" : "UTF-16 (big-endian)";
    auto unit = [&](std::size_t i) -> char32_t {
      const auto a = static_cast<unsigned char>(bytes[i]),
                 b = static_cast<unsigned char>(bytes[i + 1]);
      return le ? (b << 8 | a) : (a << 8 | b);
    };
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
      char32_t cp = unit(i);
      if (cp >= 0xD800 && cp < 0xDC00 && i + 3 < bytes.size()) {
        const char32_t low = unit(i + 2);
        if (low >= 0xDC00 && low < 0xE000) {
          cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          i += 2;
        }
      }
      appendUtf8(out, cp);
    }
    return out;
  }
  if (validUtf8(bytes)) {
    encoding = "UTF-8";
    return std::string(bytes);
  }
  encoding = "Windows-1252 (Latin-1)";
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    appendUtf8(out, b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : b);
  }
  return out;
}

namespace {
// Latin letters U+00C0..U+024F without their accents, in small letters ("" keeps one).
constexpr const char* kLatinFold[] = {
#include "places/latin_fold.inc"
};
}  // namespace

std::string transliterated(std::string_view utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    const std::size_t n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : 4;
    char32_t cp = n == 1 ? c : n == 2 ? c & 0x1F : n == 3 ? c & 0x0F : c & 0x07;
    for (std::size_t k = 1; k < n && i + k < utf8.size(); ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    const std::string_view original = utf8.substr(i, n);
    i += n;
    // German names keep their spelling in ASCII the German way.
    switch (cp) {
      case U'ä': out += "ae"; continue;
      case U'ö': out += "oe"; continue;
      case U'ü': out += "ue"; continue;
      case U'Ä': out += "Ae"; continue;
      case U'Ö': out += "Oe"; continue;
      case U'Ü': out += "Ue"; continue;
      case U'ß': out += "ss"; continue;
      default: break;
    }
    const std::size_t index = cp - 0xC0;
    if (cp < 0xC0 || index >= std::size(kLatinFold) || kLatinFold[index][0] == '\0') {
      out += original;
      continue;
    }
    // Capitals: U+00C0..00DE; then pairs, the capital first, but for 0139..0148 and
    // 0179..017E, where the small letter comes first, and Ÿ.
    const bool capital = cp <= 0xDE || (cp >= 0x100 && cp <= 0x137 && cp % 2 == 0) ||
                         (cp >= 0x139 && cp <= 0x148 && cp % 2 == 1) ||
                         (cp >= 0x14A && cp <= 0x177 && cp % 2 == 0) || cp == 0x178 ||
                         (cp >= 0x179 && cp <= 0x17E && cp % 2 == 1);
    std::string letters = kLatinFold[index];
    if (capital)
      letters[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(letters[0])));
    out += letters;
  }
  return out;
}

}  // namespace orvenda::exchange
