// CSV and AAF, written and read.
#include "chart/exchange.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace orvenda::chart {
namespace {

std::string trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return std::string(s);
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
    } else if (c == ',') {
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

bool chartFromCsv(const std::vector<std::string>& fields, std::string& name, BirthRecord& record,
                  std::string& why) {
  if (fields.size() != 15) {
    why =
        "a chart has a name and 14 numbers, this row " + std::to_string(fields.size()) + " fields";
    return false;
  }
  name = fields[0];
  for (int i = 0; i < BirthRecord::kFieldCount; ++i) {
    const std::string& f = fields[static_cast<std::size_t>(i) + 1];
    std::int32_t v = 0;
    const auto r = std::from_chars(f.data(), f.data() + f.size(), v);
    if (f.empty() || r.ec != std::errc() || r.ptr != f.data() + f.size()) {
      why = std::string(kCsvFields[i + 1]) + " is not a whole number: \"" + f + "\"";
      return false;
    }
    record.field(i) = v;
  }
  return true;
}

std::vector<AafRecord> parseAaf(std::string_view text) {
  std::vector<AafRecord> out;
  int line = 0;
  for (std::size_t start = 0; start < text.size();) {
    auto end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view l = text.substr(start, end - start);
    start = end + 1;
    ++line;
    if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
    if (l.starts_with("#A93:")) {
      out.push_back(AafRecord{line, splitFields(l.substr(5)), std::nullopt});
    } else if (l.starts_with("#B93:") && !out.empty() && !out.back().b) {
      out.back().b = splitFields(l.substr(5));
    }
  }
  return out;
}

std::string aafChart(const std::string& name, const BirthRecord& r, double julianDayUt) {
  char date[48], time[40], jd[40];
  std::snprintf(date, sizeof date, "%d.%d.%d", r.day, r.month, r.year);
  if (r.second != 0)
    std::snprintf(time, sizeof time, "%d:%02d:%02d", r.hour, r.minute, r.second);
  else
    std::snprintf(time, sizeof time, "%d:%02d", r.hour, r.minute);
  std::snprintf(jd, sizeof jd, "%.6f", julianDayUt);
  // A comma in a name would split the field: AAF has no quoting, so it becomes a blank.
  std::string safe = name;
  for (char& c : safe)
    if (c == ',') c = ' ';
  return "#A93:" + safe + ",*,*," + date + "," + time + ",*,*\n#B93:" + jd + "," +
         aafAngle(r.latDegrees, r.latMinutes, r.latSeconds, 'n', 's') + "," +
         aafAngle(r.lonDegrees, r.lonMinutes, r.lonSeconds, 'e', 'w') + ",*,*\n";
}

}  // namespace orvenda::chart
