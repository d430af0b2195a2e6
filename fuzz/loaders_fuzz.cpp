// Any file contents, of any length, given to the chart loader, every settings loader and
// both configuration screens: no crash, no read outside a table, and cells the screens
// can show. The input is split into the files that are read, in the order they are read.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

#include "birth/chart_store.h"
#include "config/config_screen.h"
#include "config/settings_store.h"
#include "console/console_screen.h"
#include "console/headless_backend.h"
#include "platform/file_system.h"

namespace {

// Every read gets the next slice of the input: its first byte says how long it is.
class FuzzFiles final : public orvenda::FileSystem {
 public:
  FuzzFiles(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::optional<std::vector<std::uint8_t>> read(std::string_view, std::size_t max) override {
    if (pos_ >= size_) return std::nullopt;  // a missing file
    const std::size_t declared = data_[pos_] * 2u;
    ++pos_;
    const std::size_t len = std::min<std::size_t>(declared, size_ - pos_);
    std::vector<std::uint8_t> out(data_ + pos_, data_ + pos_ + std::min(len, max));
    pos_ += len;
    return out;
  }
  bool write(std::string_view name, std::span<const std::uint8_t> bytes) override {
    written[std::string(name)] = bytes.size();
    return true;
  }
  bool touch(std::string_view) override { return true; }
  std::map<std::string, std::size_t> written;

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orvenda;
  FuzzFiles files(data, size);
  ChartStore charts(files);
  BirthRecord record = defaultBirthRecord;
  charts.read("NAMES\\fuzz", record);
  normalizeDate(record);
  SettingsStore settings(files);
  std::int32_t value = 0;
  for (IntSetting s : kMainScreenSettings) settings.read(s, value);
  std::array<std::int32_t, 6> place{};
  settings.readDefaultPlace(place);

  for (ConfigKind kind : {ConfigKind::Aspects, ConfigKind::Planets}) {
    HeadlessBackend backend;
    ConsoleScreen console(backend);
    backend.key('+');
    backend.key('c');
    backend.extended(59);
    backend.key('S');
    ConfigScreen screen(kind, console, settings, static_cast<int>(size % 3), [] {});
    if (!screen.open()) continue;
    screen.run();
    // Every row's flag and cells were shown without reading outside the tables, and the
    // save wrote whole files.
    for (const auto& [name, bytes] : files.written) {
      const bool ok = bytes == 144 || bytes == 72 || bytes == 352 || bytes == 88;
      if (!ok) std::abort();
    }
    for (int i = 0; i < 2 * screen.rows(); ++i) {
      const std::int32_t c = screen.cell(i);
      if (i >= screen.rows() && (c < -100 || c > 101)) std::abort();  // hundredths
    }
  }
  return 0;
}
