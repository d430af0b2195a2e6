// The chart's costs: one full chart (22 points, the cusps, every pair of points against the
// 18 aspects), the library alone for the same bodies and cusps, R's work up to a written
// sheet with its reading, reading an interpretation set, and orvenda-chart chart as a
// whole process.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "config/settings_store.h"
#include "natal/ephemeris.h"
#include "natal/natal_chart.h"
#include "platform/posix_file_system.h"
#include "sheet/print_sheet.h"
#include "sheet/reading.h"

namespace {

using namespace orvenda;

const BirthRecord kNewYork{14, 3, 1957, 9, 41, 0, -5, 0, -74, 0, 0, 40, 42, 0};

natal::ChartConfig everything() {
  natal::ChartConfig c;
  c.aspects.enabled.fill(1);
  c.aspects.orbs.fill(8);
  c.planets.enabled.fill(1);
  c.planets.values.fill(10);
  return c;
}

void BM_FullChart(benchmark::State& state) {
  const natal::ChartConfig config = everything();
  std::size_t aspects = 0;
  for (auto _ : state) {
    const auto out = natal::computeChart(kNewYork, config, 'P', natal::swissEphemeris());
    aspects = out.chart->aspects.size();
    benchmark::DoNotOptimize(aspects);
  }
  state.counters["aspects"] = static_cast<double>(aspects);
}
BENCHMARK(BM_FullChart)->Unit(benchmark::kMicrosecond);

void BM_LibraryAlone(benchmark::State& state) {
  natal::Ephemeris& eph = natal::swissEphemeris();
  const double jd = 2435912.1118055556;
  for (auto _ : state) {
    for (int i = 0; i < natal::kBodies; ++i) benchmark::DoNotOptimize(eph.body(jd, i));
    benchmark::DoNotOptimize(eph.houses(jd, 40.7, -74.0, 'P'));
    benchmark::DoNotOptimize(eph.deltaTSeconds(jd));
  }
}
BENCHMARK(BM_LibraryAlone)->Unit(benchmark::kMicrosecond);

// What R does: read the configuration, compute, compose the sheet and write it whole.
void BM_SheetWritten(benchmark::State& state) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "orvenda-bench-sheet";
  fs::remove_all(dir);
  fs::create_directories(dir / "PRINT");
  fs::copy(ORVENDA_SKELETON "/settings", dir / "settings");
  PosixFileSystem files(dir.string());
  SettingsStore store(files);
  SheetSettings s;
  s.chartName = "Maria";
  s.sex = 1;
  for (auto _ : state) {
    const std::string sheet = printSheet(s, kNewYork, chartForSheet(store, s, kNewYork));
    files.write("PRINT\\bush.html",
                std::span(reinterpret_cast<const std::uint8_t*>(sheet.data()), sheet.size()));
  }
  fs::remove_all(dir);
}
BENCHMARK(BM_SheetWritten)->Unit(benchmark::kMillisecond);

// R as it is now: the same, with the reading in the horoscope language appended, its
// working directory's own entries (READING/, one file here) read again as R reads them.
// The shipped set is read once per process, before the timing, as R's first press does.
void BM_SheetWithReadingWritten(benchmark::State& state) {
  namespace fs = std::filesystem;
  ::setenv("ORVENDA_TEXTS", ORVENDA_TEXTS_DIR, 1);
  const bool greek = state.range(0) == 1;
  const fs::path dir = fs::temp_directory_path() / "orvenda-bench-reading";
  fs::remove_all(dir);
  fs::create_directories(dir / "PRINT");
  fs::create_directories(dir / "READING/en");
  std::ofstream(dir / "READING/en/signs.txt") << "[Sun in Pisces]\nMy own text.\n";
  fs::copy(ORVENDA_SKELETON "/settings", dir / "settings");
  PosixFileSystem files(dir.string());
  SettingsStore store(files);
  SheetSettings s;
  s.chartName = "Maria";
  s.sex = 2;
  s.horoscopeLanguage = greek ? 1 : 0;
  benchmark::DoNotOptimize(reading::shippedTexts(greek));
  std::size_t bytes = 0;
  for (auto _ : state) {
    const reading::TextSet texts = reading::textSet(files, greek);
    const std::string sheet = printSheet(s, kNewYork, chartForSheet(store, s, kNewYork), &texts);
    files.write("PRINT\\bush.html",
                std::span(reinterpret_cast<const std::uint8_t*>(sheet.data()), sheet.size()));
    bytes = sheet.size();
  }
  state.counters["sheet_kB"] = static_cast<double>(bytes) / 1000;
  fs::remove_all(dir);
}
BENCHMARK(BM_SheetWithReadingWritten)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Reading and checking one language's shipped set from its four files: what the first R
// of a process pays once.
void BM_ShippedSetRead(benchmark::State& state) {
  const std::string folder =
      std::string(ORVENDA_TEXTS_DIR) + (state.range(0) == 1 ? "/el/" : "/en/");
  std::vector<std::string> contents;
  for (const char* file : reading::kSetFiles) {
    std::ifstream in(folder + file, std::ios::binary);
    contents.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  for (auto _ : state) {
    reading::TextLayer layer;
    for (std::size_t i = 0; i < contents.size(); ++i)
      reading::parseTexts(contents[i], reading::kSetFiles[i], layer);
    benchmark::DoNotOptimize(layer);
  }
}
BENCHMARK(BM_ShippedSetRead)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// orvenda-chart chart as a user runs it: a process, its start and the ephemeris files'
// opening included.
void BM_ChartToolProcess(benchmark::State& state) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "orvenda-bench-tool";
  fs::remove_all(dir);
  fs::create_directories(dir / "NAMES");
  fs::copy(ORVENDA_SKELETON "/settings", dir / "settings");
  const auto image = encodeChart(kNewYork);
  std::ofstream(dir / "NAMES" / "Maria", std::ios::binary)
      .write(reinterpret_cast<const char*>(image.data()), image.size());
  const std::string command =
      std::string(ORVENDA_CHART_TOOL) + " -C " + dir.string() + " chart Maria >/dev/null";
  for (auto _ : state)
    if (std::system(command.c_str()) != 0) state.SkipWithError("orvenda-chart chart failed");
  fs::remove_all(dir);
}
BENCHMARK(BM_ChartToolProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
