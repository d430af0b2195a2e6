// Charts as text for other astrology software: CSV (the record's own fields) and AAF
// (the Astrodienst exchange format's #A93/#B93 lines).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "birth/birth_record.h"

namespace orvenda::chart {

inline constexpr const char* kCsvFields[] = {"name",       "day",        "month",      "year",
                                             "hour",       "minute",     "second",     "gmtHours",
                                             "gmtMinutes", "lonDegrees", "lonMinutes", "lonSeconds",
                                             "latDegrees", "latMinutes", "latSeconds"};

// One CSV line (RFC 4180 quoting where a field needs it), ending in "\r\n".
std::string csvLine(const std::vector<std::string>& fields);
std::string csvHeader();
std::string csvChart(const std::string& name, const BirthRecord& record);
// The rows of a CSV text, each with the line it starts on; nothing, with the reason,
// for an unclosed quote.
struct CsvRow {
  int line = 0;
  std::vector<std::string> fields;
};
std::optional<std::vector<CsvRow>> parseCsv(std::string_view text, std::string& why);
// A chart from a row under the header: its name and its 14 whole numbers.
bool chartFromCsv(const std::vector<std::string>& fields, std::string& name, BirthRecord& record,
                  std::string& why);

struct AafRecord {
  int line = 0;
  std::vector<std::string> a;                 // the seven fields of #A93, "*" as it stands
  std::optional<std::vector<std::string>> b;  // the five fields of #B93
};
// Records of an AAF text: a #A93 line starts one, a #B93 line belongs to the last one,
// every other line (comments, other # lines) is passed over.
std::vector<AafRecord> parseAaf(std::string_view text);
// A chart as #A93 and #B93 lines; the Julian day is of the universal time.
std::string aafChart(const std::string& name, const BirthRecord& record, double julianDayUt);

}  // namespace orvenda::chart
