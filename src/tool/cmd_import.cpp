// orvenda-chart import: charts from CSV or AAF, one line a record saying what became of it.
#include "tool/tool.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>

#include "birth/chart_store.h"
#include "console/cp737.h"
#include "exchange/exchange.h"

namespace orvenda::tool {

using namespace exchange;

namespace {

// The charts of an import, written a batch at a time: each chart's temporary, then one
// sync for the batch, then the renames (see FileSystem::writeBatch), which costs a fraction
// of a flush per chart and keeps each chart whole after a crash all the same. A record's
// line of the report ("written", or "skipped" and why) waits for its batch, so that nothing
// is called written before it is on disk; a batch's temporaries are all a kill can leave.
class ImportWriter {
 public:
  static constexpr std::size_t kBatch = 1000;

  ImportWriter(Tool& t, bool force) : t_(t), force_(force), store_(*t.files) {}

  // A record refused before anything was written.
  void skip(const std::string& line) {
    lines_.push_back({line, kNone});
    ++skipped_;
  }

  // A record to write under the name given; refused here where the name can't be a chart's
  // or a chart of that name exists (or comes earlier in the file) without --force.
  void add(const std::string& given, const BirthRecord& r, int line) {
    std::string name, why;
    const std::string at = "line " + std::to_string(line) + ": ";
    // Letters the program can't type (ä, é, ø) are written as it can; the record is never
    // dropped for them, and the new name is said.
    std::string utf8Name = given;
    if (!chartName(given, name, why)) {
      utf8Name = transliterated(given);
      if (utf8Name != given && chartName(utf8Name, name, why))
        t_.note(at + "\"" + given + "\" is written as \"" + utf8Name + "\"");
    }
    if (!chartName(utf8Name, name, why))
      return skip("skipped " + (utf8Name.empty() ? std::string("(no name)") : utf8Name) + ": " +
                  at + why);
    if (!force_ && (names_.count(name) || chartExists(t_, name)))
      return skip("skipped " + utf8Name + ": " + at + "NAMES/" + utf8Name +
                  " exists (--force replaces it)");
    names_.insert(name);
    lines_.push_back({utf8Name, waiting_.size()});
    waiting_.push_back({logicalName(name), r});
    where_.push_back(at);
    if (waiting_.size() >= kBatch) flush();
  }

  // Writes what waits and says what became of every record; how many were skipped.
  int finish() {
    flush();
    return skipped_;
  }

 private:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  struct Line {
    std::string text;   // the whole line, or the name of a chart that waits
    std::size_t entry;  // its entry in waiting_, or kNone
  };

  void flush() {
    store_.writeMany(waiting_);
    for (const Line& l : lines_) {
      if (l.entry == kNone) {
        t_.out << l.text << "\n";
        continue;
      }
      const ChartStore::Entry& e = waiting_[l.entry];
      const std::string& at = where_[l.entry];
      if (!e.written) {
        t_.out << "skipped " << l.text << ": " << at << cantWrite(t_, e.chartPath, e.error) << "\n";
        ++skipped_;
      } else if (!e.notes) {
        t_.out << "skipped " << l.text << ": " << at << "written, but can't create its notes file: "
               << writeCause(t_, e.chartPath + ".txt", e.notesError) << "\n";
        ++skipped_;
      } else {
        t_.out << "written " << l.text << "\n";
      }
    }
    t_.out.flush();
    lines_.clear();
    waiting_.clear();
    where_.clear();
  }

  Tool& t_;
  bool force_;
  ChartStore store_;
  std::vector<Line> lines_;
  std::vector<ChartStore::Entry> waiting_;
  std::vector<std::string> where_;  // "line N: " of each entry
  std::set<std::string> names_;     // every chart name of the import so far
  int skipped_ = 0;
};

int importCsv(Tool& t, const std::string& text, bool force) {
  std::string why;
  const auto rows = parseCsv(text, why);
  if (!rows) return t.fail(why + "; nothing imported");
  if (rows->empty()) return t.fail("the file holds no charts");
  const auto columns = csvColumns(rows->front().fields, why);
  if (!columns) return t.fail("line " + std::to_string(rows->front().line) + ": " + why);
  int charts = 0;
  ImportWriter writer(t, force);
  for (std::size_t i = 1; i < rows->size(); ++i) {
    const auto& row = (*rows)[i];
    // A spreadsheet's row of empty cells is a blank line, not a chart.
    if (blankCsvRow(row.fields)) continue;
    ++charts;
    std::string name;
    BirthRecord r;
    if (!chartFromCsv(row.fields, *columns, name, r, why)) {
      const std::size_t at = columns->at[0];
      writer.skip("skipped " + (at < row.fields.size() ? row.fields[at] : std::string()) +
                  ": line " + std::to_string(row.line) + ": " + why);
      continue;
    }
    writer.add(name, r, row.line);
  }
  // What a column without a name holds is read by nothing: said, so that a heading lost
  // in a spreadsheet doesn't lose a column of the charts without a word.
  for (const std::size_t k : columns->unnamed) {
    for (std::size_t i = 1; i < rows->size(); ++i) {
      const auto& f = (*rows)[i].fields;
      if (k >= f.size() || f[k].empty()) continue;
      t.note("column " + std::to_string(k + 1) +
             " has no name in the header, and what it holds (\"" + f[k] + "\" on line " +
             std::to_string((*rows)[i].line) + ") is not imported");
      break;
    }
  }
  const int skipped = writer.finish();
  if (charts == 0) return t.fail("the file holds no charts");
  return skipped
             ? t.fail(std::to_string(skipped) + " of " + std::to_string(charts) + " charts skipped")
             : 0;
}

// A time skipped or passed twice is settled by the record itself in AAF: its #B93 line's
// zone and summer-time fields (or its Julian day).
std::string aafAdvice(const ZonePeriod& a, const ZonePeriod& b) {
  auto fields = [](const ZonePeriod& p) {
    const int save = p.summer ? p.saveSeconds / 60 : 0;
    return aafZone(roundedMinutes(p.offsetSeconds) - save) + "," + std::to_string(save / 60);
  };
  return "the record's #B93 line settles it with its zone and summer-time fields (" + fields(a) +
         " or " + fields(b) + ") or its Julian day";
}

// An AAF record as a chart, or the reason it can't be one.
bool aafToChart(Tool& t, const AafRecord& rec, std::string& name, BirthRecord& r,
                std::string& why) {
  if (rec.a.size() < 5)
    return why = "#A93 needs at least name, first name, type, date and time", false;
  auto given = [](const std::string& s) { return !s.empty() && s != "*"; };
  // The name and the first name, as export writes a chart called "Surname, Given".
  name = given(rec.a[0]) ? rec.a[0] : "";
  if (given(rec.a[1])) name = name.empty() ? rec.a[1] : name + ", " + rec.a[1];
  if (name.empty()) return why = "the record has no name", false;
  Birth b;
  bool julian = false;
  const auto d = parseAafDate(rec.a[3], julian, why);
  if (!d) return why = "date \"" + rec.a[3] + "\": " + why, false;
  b.date = *d;
  if (julian) {
    char text[64];
    std::snprintf(text, sizeof text, "%d.%d.%04d", d->day, d->month, d->year);
    t.note(name + ": " + rec.a[3] + " is a date of the Julian calendar; the chart holds it as " +
           text + " of the Gregorian");
  }
  if (!given(rec.a[4])) {
    t.note(name + ": the time is unknown; 12:00 stored, as the program's un-known time");
    b.time = {12, 0, 0};
  } else {
    // "1.10" is ten past one in the format's own example.
    std::string time = rec.a[4];
    if (time.find(':') == std::string::npos) std::replace(time.begin(), time.end(), '.', ':');
    const auto tm = parseTime(time, why);
    if (!tm) return why = "time \"" + rec.a[4] + "\": " + why, false;
    b.time = *tm;
  }
  const std::string place = rec.a.size() > 5 && given(rec.a[5]) ? rec.a[5] : "";
  const std::string country = rec.a.size() > 6 && given(rec.a[6]) ? rec.a[6] : "";
  const Atlas* atlas = t.loadAtlas();
  auto field = [&](std::size_t i) -> std::string {
    return rec.b && rec.b->size() > i && given((*rec.b)[i]) ? (*rec.b)[i] : "";
  };
  const bool hasCoordinates = !field(1).empty() && !field(2).empty();
  if (hasCoordinates) {
    const auto la = parseAngle(field(1), false, why);
    if (!la) return why = "latitude \"" + field(1) + "\": " + why, false;
    const auto lo = parseAngle(field(2), true, why);
    if (!lo) return why = "longitude \"" + field(2) + "\": " + why, false;
    b.latitude = *la;
    b.longitude = *lo;
  }
  const Place* p = nullptr;
  if (atlas && !place.empty()) {
    // "Kandel/Pfalz": the town, then a part of the region.
    for (const std::string& q : {place, place.substr(0, place.find('/'))}) {
      std::vector<const Place*> found;
      if (const Place* one = atlas->resolve(country.empty() ? q : q + ", " + country, &found)) {
        p = one;
        t.err << name << ": ";
        sayPlace(t, *atlas, *p, found);
        break;
      }
      if (found.size() > 1 && !hasCoordinates) {
        return why = "\"" + q + (country.empty() ? "" : ", " + country) + "\" is " +
                     std::to_string(found.size()) +
                     " places of the atlas; the record needs a #B93 line with its coordinates",
               false;
      }
    }
  }
  if (!hasCoordinates) {
    if (!p)
      return why = "no coordinates, and the place \"" + place + "\" is not in the atlas", false;
    b.latitude = p->latitude;
    b.longitude = p->longitude;
  }
  // Coordinates that name no place of the atlas: the zone whose boundary holds them.
  std::optional<std::string> coordinateZone;
  std::string noZone;  // why the coordinates have no zone, where they have none
  if (!p) coordinateZone = zoneAtCoordinates(t, b.latitude, b.longitude, noZone, true);

  // The offset the file gives: its zone and summer-time fields, and its Julian day, which
  // must agree with them (where both are there, a disagreement is refused: one of them
  // is wrong, and nothing says which).
  std::optional<int> fromFields, fromJulianDay;
  bool localMean = false;
  std::string fieldsWhy;  // why the zone fields say nothing, where they can't be read
  if (!field(4).empty()) {
    const auto summer = parseAafSummer(field(4), localMean, why);
    if (!summer) {
      fieldsWhy = "summer time \"" + field(4) + "\": " + why;
    } else if (localMean) {
      // The place's own mean time, on the side of the date line its zone was on then.
      const std::string zone = p ? std::string(p->zone) : coordinateZone.value_or("");
      const ZoneOffset z = offsetAt(zone, b.date, b.time, b.longitude);
      fromFields = roundedMinutes(z.kind == ZoneOffset::Kind::UnknownZone
                                      ? meanTimeSeconds(b.longitude, 0)
                                      : meanTimeSeconds(b.longitude, z.first.offsetSeconds));
      // The summer-time field's m asks for the place's mean time in place of the zone
      // field's, which is passed over: the note where the zone kept another says so.
      b.choiceIs = "from the summer-time field \"" + field(4) + "\", the mean time of " +
                   formatDms(b.longitude, true) +
                   (field(3).empty() ? std::string()
                                     : "; the zone field \"" + field(3) + "\" is passed over");
    } else if (!field(3).empty()) {
      const auto zone = parseAafZone(field(3), why);
      if (!zone)
        fieldsWhy = "zone \"" + field(3) + "\": " + why;
      else
        fromFields = *zone + *summer;
    }
  }
  if (!field(0).empty()) {
    const std::string jdText = field(0);
    const auto jd = parseAafJulianDay(jdText, why);
    if (!jd) return why = "Julian day \"" + jdText + "\": " + why, false;
    const double local = julianDay(b.date, b.time, 0);
    const double minutes = (local - *jd) * 1440.0;
    if (!(std::fabs(minutes) <= kMaxOffsetMinutes + 0.5)) {
      const std::string offset = std::fabs(minutes) < 1e7
                                     ? formatOffset(static_cast<int>(std::lround(minutes)))
                                     : std::string("far beyond that");
      return why = "the Julian day " + jdText + " makes the offset from GMT " + offset +
                   ", and no clock has been farther from GMT than " + kMaxOffsetText +
                   "; the date, the time or the Julian day is wrong",
             false;
    }
    fromJulianDay = static_cast<int>(std::lround(minutes));
  }
  if (fromFields && std::abs(*fromFields) > kMaxOffsetMinutes)
    return why = "the zone and summer-time fields make " + formatOffset(*fromFields) +
                 ", and no clock has been farther from GMT than " + kMaxOffsetText,
           false;
  if (!fieldsWhy.empty() && !fromJulianDay) return why = fieldsWhy, false;
  // The format's rule: "the Julian day takes precedence in case of doubt".
  if (fromFields && fromJulianDay && std::abs(*fromFields - *fromJulianDay) > 1)
    t.note(name + ": the zone and summer-time fields say " + formatOffset(*fromFields) +
           ", the Julian day " + formatOffset(*fromJulianDay) +
           "; the Julian day settles it, as the format has it");
  else if (!fieldsWhy.empty())
    t.note(name + ": " + fieldsWhy + "; the Julian day settles the offset");
  std::optional<int> choice = fromJulianDay ? fromJulianDay : fromFields;
  if (fromJulianDay) b.choiceIs = "from the Julian day";
  if (!p && !coordinateZone && !choice)
    return why = noZone +
                 "; the record's zone and summer-time fields or its Julian day would "
                 "give the offset",
           false;
  // Without a zone to ask, the file's offset stands alone.
  if (p)
    b.zone = p->zone;
  else if (coordinateZone)
    b.zone = *coordinateZone;
  return fillRecord(t, b, choice, r, why, aafAdvice);
}

int importAaf(Tool& t, const std::string& text, bool force) {
  const auto records = parseAaf(text);
  if (records.empty()) return t.fail("the file holds no #A93 records");
  ImportWriter writer(t, force);
  for (const auto& rec : records) {
    std::string name, why;
    BirthRecord r = defaultBirthRecord;
    if (!aafToChart(t, rec, name, r, why)) {
      writer.skip("skipped " + (name.empty() ? std::string("(no name)") : name) + ": line " +
                  std::to_string(rec.line) + ": " + why);
      continue;
    }
    writer.add(name, r, rec.line);
  }
  const int skipped = writer.finish();
  return skipped ? t.fail(std::to_string(skipped) + " of " + std::to_string(records.size()) +
                          " records skipped")
                 : 0;
}

}  // namespace

int cmdImport(Tool& t, const Options& o) {
  if (o.operands.size() != 1)
    return t.usage("import", "import takes one file (- for standard input)");
  const std::string* formatOption = o.value("--format");
  if (formatOption && *formatOption != "csv" && *formatOption != "aaf")
    return t.usage("import", "--format is csv or aaf");
  if (!t.workingDirectory()) return 1;
  const std::string& file = o.operands[0];
  std::stringstream buffer;
  if (file == "-") {
    buffer << std::cin.rdbuf();
  } else {
    std::ifstream in(file, std::ios::binary);
    std::error_code ec;
    if (fs::is_directory(file, ec)) return t.fail("can't read " + file + ": it is a folder");
    if (!in) return t.fail("can't read " + file + ": " + std::strerror(errno));
    buffer << in.rdbuf();
  }
  std::string encoding;
  std::string text = decodeExchangeText(buffer.str(), encoding);
  if (encoding != "UTF-8") t.note(file + " is read as " + encoding);
  std::string format = formatOption ? *formatOption : "";
  if (format.empty())
    format = file.ends_with(".aaf") || file.ends_with(".AAF") || text.starts_with("#A93:") ||
                     text.find("\n#A93:") != std::string::npos
                 ? "aaf"
                 : "csv";
  return format == "aaf" ? importAaf(t, text, o.has("--force"))
                         : importCsv(t, text, o.has("--force"));
}

}  // namespace orvenda::tool
