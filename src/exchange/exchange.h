// Charts as text for other astrology software: CSV (the record's own fields) and AAF
// (the Astrodienst exchange format's #A93/#B93 lines).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "birth/birth_record.h"
#include "places/fields.h"

namespace orvenda::exchange {

// The exchange formats carry what the places' fields are written in: dates, clock times,
// angles and offsets.
using namespace places;

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
// The separator is the header's: a comma, or a semicolon where a spreadsheet set to a
// language with decimal commas (Greek, German) writes one.
std::optional<std::vector<CsvRow>> parseCsv(std::string_view text, std::string& why);
// Where each of kCsvFields stands in a row: a header is read by its names, in any order (a
// spreadsheet may have moved a column), case aside; list --csv's "notes" and the empty
// columns a spreadsheet leaves after the last are passed over. Nothing, with the reason,
// for a header that lacks a field, names one twice or has a column of another name.
struct CsvColumns {
  std::size_t at[std::size(kCsvFields)] = {};
  std::size_t width = 0;  // the header's columns, the passed-over ones included
  // The columns without a name in the header, from 0: a spreadsheet's empty ones, unless a
  // row has something in one, which nothing reads (the import says so).
  std::vector<std::size_t> unnamed;
};
std::optional<CsvColumns> csvColumns(const std::vector<std::string>& header, std::string& why);
// Whether a row holds nothing at all (";;;;" from a spreadsheet): a blank line, no chart.
bool blankCsvRow(const std::vector<std::string>& fields);
// A chart from a row under the header: its name and its 14 whole numbers, each in decimal
// digits with a minus sign below zero and within the record's ranges (the month 1 to 12,
// the offset within 16:15 of GMT, the longitude within 180 degrees); false with the
// reason, naming the field, when one is not.
bool chartFromCsv(const std::vector<std::string>& fields, const CsvColumns& columns,
                  std::string& name, BirthRecord& record, std::string& why);

struct AafRecord {
  int line = 0;
  std::vector<std::string> a;                 // the seven fields of #A93, "*" as it stands
  std::optional<std::vector<std::string>> b;  // the five fields of #B93
  std::string zoneName;                       // #ZNAM, where there is one
};
// Records of an AAF text: a #A93 line starts one, a #B93 line and a #ZNAM line belong to
// the last one, every other line (comments, other # lines) is passed over. Lines end in
// CR LF, LF or a CR alone (old Macintosh files). A byte-order mark at the start is not part
// of the first line. A #A93 line of six fields whose third is a date has no type (the
// format's own example "Garms,Martin,11.10.1958,1.10,Brilon-Wald, D"): "*" stands in.
std::vector<AafRecord> parseAaf(std::string_view text);

// A file's text as UTF-8, whatever it came in: UTF-8 (with or without a byte-order mark),
// UTF-16 with its mark, else Windows-1252 (which holds Latin-1), as the exchange files of
// older programs are. `encoding` names what it was.
std::string decodeExchangeText(std::string_view bytes, std::string& encoding);

// A name in letters the program can type: German's ä ö ü ß as ae oe ue ss, other Latin
// letters without their accents (é e, ç c, ø o, ł l); anything else as it stands.
std::string transliterated(std::string_view utf8);

// The date of #A93: D.M.YYYY, with "j" or "g" after it for the Julian or the Gregorian
// calendar; without one, a date before 15 October 1582 is Julian, as the format has it.
// The Gregorian date it names (a chart holds Gregorian dates); `julian` says whether it
// was read as Julian.
std::optional<CivilDate> parseAafDate(std::string_view text, bool& julian, std::string& why);

// The zone and summer-time fields of #B93, each read by its own grammar in decimal digits:
// "5hw00" is 5 hours west of Greenwich, "1he" one east, "5h30e" five and a half; "0e20"
// (hours, the side, minutes) 20 minutes east, "1E" one hour, "0e21:48" with seconds; or
// hours alone, east positive ("1", "+1", "-5", "1.0", "5.5"). Blanks and C's other white
// space around a field are not part of it. Minutes east of Greenwich (seconds rounded, a
// half minute away from Greenwich), at most kMaxOffsetMinutes either way, or nothing with
// the reason. The summer time is hours ("0", "1", "2", "0.5"); "L" or "m" for it means the
// local mean time, which `localMean` says.
std::optional<int> parseAafZone(std::string_view text, std::string& why);
std::optional<int> parseAafSummer(std::string_view text, bool& localMean, std::string& why);
// The Julian day of #B93: decimal digits with a point; nothing, with the reason, otherwise.
std::optional<double> parseAafJulianDay(std::string_view text, std::string& why);
std::string aafZone(int minutesEast);

// What an exported chart's #B93 says of its offset: the zone's standard offset and the
// summer time within the chart's offset, with the zone's abbreviation where it is known.
struct AafOffset {
  int standardMinutes = 0;  // east of Greenwich
  int summerMinutes = 0;
  std::string abbreviation;  // empty: no #ZNAM line
};

// A chart's AAF name fields: AAF has no quoting, so a comma can only be the one between
// the name and the first name ("Surname, Given"); `changed` says what else had to change.
struct AafName {
  std::string name, firstName;
  std::string changed;
};
AafName aafName(const std::string& chartName);

// A chart as #A93 and #B93 lines (and #ZNAM); the Julian day is of the universal time.
std::string aafChart(const AafName& name, const BirthRecord& record, double julianDayUt,
                     const AafOffset& offset);

}  // namespace orvenda::exchange
