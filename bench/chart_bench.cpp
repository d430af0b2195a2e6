// orvenda-chart's costs that a user waits for: a place query on the full atlas (reading
// the atlas included, as every run does) and the list of a folder of 10,000 charts.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "birth/birth_record.h"
#include "chart/atlas.h"
#include "chart/chart_tool.h"

namespace {

void BM_PlaceQuery(benchmark::State& state, const char* query) {
  std::size_t found = 0;
  for (auto _ : state) {
    std::string why;
    const auto atlas = orvenda::chart::Atlas::load(ORVENDA_ATLAS_FILE, why);
    if (!atlas) {
      state.SkipWithError(why.c_str());
      return;
    }
    found = atlas->search(query).size();
    benchmark::DoNotOptimize(found);
  }
  state.counters["places found"] = static_cast<double>(found);
}
BENCHMARK_CAPTURE(BM_PlaceQuery, athens, "Athens")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PlaceQuery, one_letter, "a")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PlaceQuery, accents, "Sao Paulo")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PlaceQuery, with_country, "New York, US")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PlaceQuery, nothing, "Qqqqq")->Unit(benchmark::kMillisecond);

void BM_List10000(benchmark::State& state) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "orvenda-bench-list";
  fs::remove_all(dir);
  fs::create_directories(dir / "NAMES");
  const auto image = orvenda::encodeChart(orvenda::defaultBirthRecord);
  for (int i = 0; i < 10000; ++i) {
    const std::string name = "chart " + std::to_string(i);
    std::ofstream(dir / "NAMES" / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), image.size());
    if (i % 2 == 0) std::ofstream(dir / "NAMES" / (name + ".txt"));
  }
  for (auto _ : state) {
    std::ostringstream out, err;
    orvenda::chart::runChartTool({"-C", dir.string(), "list"}, out, err);
    benchmark::DoNotOptimize(out.str().size());
  }
  fs::remove_all(dir);
}
BENCHMARK(BM_List10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
