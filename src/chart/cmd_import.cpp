// orvenda-chart import: charts from CSV or AAF, one line a record saying what became of it.
#include "chart/tool.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "birth/chart_store.h"
#include "chart/exchange.h"
#include "console/cp737.h"

namespace orvenda::chart {

namespace {

// One record of an import: a chart written, or skipped and why.
bool writeImported(Tool& t, const std::string& utf8Name, const BirthRecord& r, bool force,
                   int line) {
  std::string name, why;
  const std::string at = "line " + std::to_string(line) + ": ";
  if (!chartName(utf8Name, name, why)) {
    t.out << "skipped " << (utf8Name.empty() ? "(no name)" : utf8Name) << ": " << why << "\n";
    return false;
  }
  if (chartExists(t, name) && !force) {
    t.out << "skipped " << utf8Name << ": " << at << "NAMES/" << utf8Name
          << " exists (--force replaces it)\n";
    return false;
  }
  ChartStore store(*t.files);
  if (!store.write(logicalName(name), r) || !store.createNotes(logicalName(name))) {
    t.out << "skipped " << utf8Name << ": " << at << "can't write it\n";
    return false;
  }
  t.out << "written " << utf8Name << "\n";
  return true;
}

int importCsv(Tool& t, const std::string& text, bool force) {
  std::string why;
  const auto rows = parseCsv(text, why);
  if (!rows) return t.fail(why + "; nothing imported");
  if (rows->empty()) return t.fail("the file holds no charts");
  const std::vector<std::string> header(std::begin(kCsvFields), std::end(kCsvFields));
  auto first = rows->front().fields;
  if (first.size() > header.size()) first.resize(header.size());
  if (first != header)
    return t.fail("the first row is not the header that export writes (name,day,month,...)");
  int skipped = 0;
  for (std::size_t i = 1; i < rows->size(); ++i) {
    const auto& row = (*rows)[i];
    std::string name;
    BirthRecord r;
    auto fields = row.fields;
    if (fields.size() == 16) fields.pop_back();  // list --csv's notes column
    if (!chartFromCsv(fields, name, r, why)) {
      t.out << "skipped " << (row.fields.empty() ? "" : row.fields[0]) << ": line " << row.line
            << ": " << why << "\n";
      ++skipped;
      continue;
    }
    if (!writeImported(t, name, r, force, row.line)) ++skipped;
  }
  return skipped ? t.fail(std::to_string(skipped) + " of " + std::to_string(rows->size() - 1) +
                          " charts skipped")
                 : 0;
}

// An AAF record as a chart, or the reason it can't be one.
bool aafToChart(Tool& t, const AafRecord& rec, std::string& name, BirthRecord& r,
                std::string& why) {
  if (rec.a.size() < 5)
    return why = "#A93 needs at least name, first name, type, date and time", false;
  auto given = [](const std::string& s) { return !s.empty() && s != "*"; };
  name = given(rec.a[1]) ? rec.a[1] + (given(rec.a[0]) ? " " + rec.a[0] : "") : rec.a[0];
  if (!given(name)) return why = "the record has no name", false;
  Birth b;
  const auto d = parseDate(rec.a[3], why);
  if (!d) return why = "date \"" + rec.a[3] + "\": " + why, false;
  b.date = *d;
  if (!given(rec.a[4])) {
    t.note(name + ": the time is unknown; 12:00 stored, as the program's un-known time");
    b.time = {12, 0, 0};
  } else {
    const auto tm = parseTime(rec.a[4], why);
    if (!tm) return why = "time \"" + rec.a[4] + "\": " + why, false;
    b.time = *tm;
  }
  const std::string place = rec.a.size() > 5 && given(rec.a[5]) ? rec.a[5] : "";
  const std::string country = rec.a.size() > 6 && given(rec.a[6]) ? rec.a[6] : "";
  const Atlas* atlas = t.loadAtlas();
  const bool hasCoordinates =
      rec.b && rec.b->size() >= 3 && given((*rec.b)[1]) && given((*rec.b)[2]);
  if (hasCoordinates) {
    const auto la = parseAngle((*rec.b)[1], false, why);
    if (!la) return why = "latitude \"" + (*rec.b)[1] + "\": " + why, false;
    const auto lo = parseAngle((*rec.b)[2], true, why);
    if (!lo) return why = "longitude \"" + (*rec.b)[2] + "\": " + why, false;
    b.latitude = *la;
    b.longitude = *lo;
  }
  const Place* p = nullptr;
  if (atlas && !place.empty()) {
    // "Kandel/Pfalz": the town, then a part of the region.
    for (const std::string& q : {place, place.substr(0, place.find('/'))}) {
      const auto found = atlas->find(country.empty() ? q : q + ", " + country);
      if (found.size() == 1) {
        p = found.front();
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
  if (!p && atlas) p = atlas->nearest(b.latitude, b.longitude);
  if (!p) return why = "no atlas to find the time zone in", false;
  b.zone = p->zone;
  // The Julian day, where the record has one, says which offset its author used.
  std::optional<int> choice;
  if (rec.b && !rec.b->empty() && given((*rec.b)[0])) {
    char* end = nullptr;
    const double jd = std::strtod((*rec.b)[0].c_str(), &end);
    if (end && *end == '\0' && std::isfinite(jd)) {
      const double local = julianDay(b.date, b.time, 0);
      choice = static_cast<int>(std::lround((local - jd) * 1440.0));
    }
  }
  return fillRecord(t, b, choice, r, why);
}

int importAaf(Tool& t, const std::string& text, bool force) {
  const auto records = parseAaf(text);
  if (records.empty()) return t.fail("the file holds no #A93 records");
  int skipped = 0;
  for (const auto& rec : records) {
    std::string name, why;
    BirthRecord r = defaultBirthRecord;
    if (!aafToChart(t, rec, name, r, why)) {
      t.out << "skipped " << (name.empty() ? "(no name)" : name) << ": line " << rec.line << ": "
            << why << "\n";
      ++skipped;
      continue;
    }
    if (!writeImported(t, name, r, force, rec.line)) ++skipped;
  }
  return skipped ? t.fail(std::to_string(skipped) + " of " + std::to_string(records.size()) +
                          " records skipped")
                 : 0;
}

}  // namespace

int cmdImport(Tool& t, const Options& o) {
  if (o.operands.size() != 1) return t.fail("import takes one file (- for standard input)");
  const std::string* formatOption = o.value("--format");
  if (formatOption && *formatOption != "csv" && *formatOption != "aaf")
    return t.fail("--format is csv or aaf");
  if (!t.workingDirectory()) return 1;
  const std::string& file = o.operands[0];
  std::stringstream buffer;
  if (file == "-") {
    buffer << std::cin.rdbuf();
  } else {
    std::ifstream in(file, std::ios::binary);
    std::error_code ec;
    if (!in || fs::is_directory(file, ec)) return t.fail("can't read " + file);
    buffer << in.rdbuf();
  }
  const std::string text = buffer.str();
  std::string format = formatOption ? *formatOption : "";
  if (format.empty())
    format = file.ends_with(".aaf") || file.ends_with(".AAF") || text.starts_with("#A93:") ||
                     text.find("\n#A93:") != std::string::npos
                 ? "aaf"
                 : "csv";
  return format == "aaf" ? importAaf(t, text, o.has("--force"))
                         : importCsv(t, text, o.has("--force"));
}

}  // namespace orvenda::chart
