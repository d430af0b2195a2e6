// Chart files in NAMES\, with names kept inside that folder.
#include "birth/chart_store.h"

#include <cerrno>
#include <string>
#include <vector>

#include "console/cp737.h"
#include "platform/file_system.h"

namespace orvenda {

bool isAllowedChartName(std::string_view name) {
  if (name.empty() || name.size() > kMaxChartNameLength) return false;
  // Followed component by component, the name must end inside NAMES\ and name something
  // below it: "sub\..\x" and "\lead" do, "..\x" and "sub\.." don't.
  int depth = 0;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = name.size();
    const std::string_view part = name.substr(start, end - start);
    if (part == "..") {
      if (--depth < 0) return false;
    } else if (!part.empty() && part != ".") {
      ++depth;
    }
    start = end + 1;
  }
  return depth > 0;
}

bool chartPathAllowed(std::string_view chartPath) {
  const std::string_view folder = kChartFolder;
  return chartPath.substr(0, folder.size()) == folder &&
         isAllowedChartName(chartPath.substr(folder.size()));
}

bool ChartStore::write(std::string_view chartPath, const BirthRecord& record) {
  if (!chartPathAllowed(chartPath)) return false;
  return files_.write(chartPath, encodeChart(record));
}

bool ChartStore::createNotes(std::string_view chartPath) {
  if (!chartPathAllowed(chartPath)) return false;
  return files_.touch(std::string(chartPath) + ".txt");
}

bool ChartStore::read(std::string_view chartPath, BirthRecord& record) {
  if (!chartPathAllowed(chartPath)) return false;
  const auto bytes = files_.read(chartPath, BirthRecord::kFileSize);
  if (!bytes) return false;
  decodeChart(*bytes, record);
  return true;
}

void ChartStore::writeMany(std::span<Entry> entries) {
  std::vector<FileSystem::BatchFile> files;
  std::vector<std::size_t> of;  // the entry of each file
  for (std::size_t i = 0; i < entries.size(); ++i) {
    Entry& e = entries[i];
    e.written = e.notes = false;
    e.error = e.notesError = 0;
    if (!chartPathAllowed(e.chartPath)) {
      e.error = EINVAL;
      continue;
    }
    const auto image = encodeChart(e.record);
    files.push_back({e.chartPath, {image.begin(), image.end()}, e.chartPath + ".txt"});
    of.push_back(i);
  }
  files_.writeBatch(files);
  for (std::size_t k = 0; k < files.size(); ++k) {
    Entry& e = entries[of[k]];
    e.written = files[k].written;
    e.error = files[k].error;
    e.notes = files[k].alsoCreated;
    e.notesError = files[k].alsoError;
  }
}

bool chartName(const std::string& utf8, std::string& cp737Name, std::string& why) {
  cp737Name.clear();
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t start = i;
    const char32_t cp = decodeUtf8(utf8, i);
    const int b = cp == 0xFFFFFFFF ? -1 : cp737FromUnicode(cp);
    if (b < 0) {
      why = "the program can't type \"" + utf8.substr(start, i - start) + "\" in the name \"" +
            utf8 +
            "\" (chart names are in the console's code page: Latin letters without "
            "accents, Greek, digits and signs)";
      return false;
    }
    cp737Name += static_cast<char>(b);
  }
  if (cp737Name.empty()) return why = "a chart needs a name", false;
  if (cp737Name.size() > kMaxChartNameLength)
    return why = "the name \"" + utf8 + "\" is longer than 69 characters", false;
  if (!isAllowedChartName(cp737Name))
    return why = "the name \"" + utf8 + "\" would leave NAMES/", false;
  return true;
}

}  // namespace orvenda
