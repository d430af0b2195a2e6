// orvenda-chart's costs that a user waits for: a place query on the full atlas (reading
// the atlas included, as every run does) and the list of a folder of 10,000 charts.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include <unistd.h>

#include "birth/birth_record.h"
#include "places/atlas.h"
#include "places/zone_polygons.h"
#include "tool/commands.h"

namespace {

void BM_PlaceQuery(benchmark::State& state, const char* query) {
  std::size_t found = 0;
  for (auto _ : state) {
    std::string why;
    const auto atlas = orvenda::places::Atlas::load(ORVENDA_ATLAS_FILE, why);
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
    orvenda::tool::runTool({"-C", dir.string(), "list"}, out, err);
    benchmark::DoNotOptimize(out.str().size());
  }
  fs::remove_all(dir);
}
BENCHMARK(BM_List10000)->Unit(benchmark::kMillisecond);

// Where the imports write: $ORVENDA_BENCH_DIR (a disk or a tmpfs to compare), else the
// system's temporary folder. Each import writes into a folder of its own, removed only when
// the process ends: on a file system without a journal (this machine's), ext4 passes over
// every inode freed in the last minute when it makes a file, so 20,000 files removed just
// before would make the next import's creations quadratic and measure the removal instead.
std::filesystem::path benchFolder(const std::string& name) {
  namespace fs = std::filesystem;
  static std::vector<fs::path> made;
  static const bool cleanUp = [] {
    std::atexit([] {
      for (const auto& d : made) fs::remove_all(d);
    });
    return true;
  }();
  (void)cleanUp;
  const char* base = std::getenv("ORVENDA_BENCH_DIR");
  const fs::path dir =
      fs::path(base && *base ? base : fs::temp_directory_path().string()) /
      (name + "-" + std::to_string(::getpid()) + "-" + std::to_string(made.size()));
  made.push_back(dir);
  return dir;
}

// An import of 10,000 records into an empty folder, each chart written with its notes file
// as the program saves, a batch at a time. AAF records give only coordinates, so each asks
// the boundaries for its zone; or (places) only a place and its country, so each looks the
// place up by name.
enum class Records { Csv, AafCoordinates, AafPlaces };
void BM_Import10000(benchmark::State& state, Records kind) {
  const bool aaf = kind != Records::Csv;
  static const char* const kPlaces[] = {"Munich,D", "Paris,F",         "Athens,GR", "London,GB",
                                        "Berlin,D", "Madrid,E",        "Rome,I",    "Wien,A",
                                        "Kandel,D", "Thessaloniki,GR", "Lyon,F",    "Porto,P"};
  namespace fs = std::filesystem;
  const fs::path file =
      fs::temp_directory_path() / (aaf ? "orvenda-bench.aaf" : "orvenda-bench.csv");
  {
    std::ofstream f(file, std::ios::binary);
    if (!aaf)
      f << "name,day,month,year,hour,minute,second,gmtHours,gmtMinutes,lonDegrees,"
           "lonMinutes,lonSeconds,latDegrees,latMinutes,latSeconds\r\n";
    for (int i = 0; i < 10000; ++i) {
      const int day = 1 + i % 28, month = 1 + i % 12, year = 1900 + i % 120, lat = 30 + i % 30,
                lon = i % 60;
      char line[160];
      if (kind == Records::AafPlaces)
        std::snprintf(line, sizeof line, "#A93:Person %05d,*,*,%d.%d.%d,%d:%02d,%s\n", i, day,
                      month, year, 12, i % 60, kPlaces[i % 12]);
      else if (aaf)
        std::snprintf(line, sizeof line,
                      "#A93:Person %05d,*,*,%d.%d.%d,%d:%02d,*,*\n#B93:*,%dn%02d,%de%02d,*,*\n", i,
                      day, month, year, 12, i % 60, lat, i % 60, lon, (i * 7) % 60);
      else
        std::snprintf(line, sizeof line, "Person %05d,%d,%d,%d,12,%d,0,1,0,%d,%d,0,%d,%d,0\r\n", i,
                      day, month, year, i % 60, lon, (i * 7) % 60, lat, i % 60);
      f << line;
    }
  }
  ::setenv("ORVENDA_ATLAS", ORVENDA_ATLAS_FILE, 1);
  ::setenv("ORVENDA_ZONES", ORVENDA_ZONES_FILE, 1);
  fs::path dir;
  for (auto _ : state) {
    state.PauseTiming();
    dir = benchFolder("orvenda-bench-import");
    fs::create_directories(dir / "NAMES");
    state.ResumeTiming();
    std::ostringstream out, err;
    orvenda::tool::runTool({"-C", dir.string(), "import", file.string()}, out, err);
    benchmark::DoNotOptimize(out.str().size());
  }
  state.counters["charts"] = static_cast<double>(
      std::distance(fs::directory_iterator(dir / "NAMES"), fs::directory_iterator()) / 2);
  fs::remove(file);
}
BENCHMARK_CAPTURE(BM_Import10000, aaf, Records::AafCoordinates)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);
BENCHMARK_CAPTURE(BM_Import10000, aaf_places, Records::AafPlaces)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);
BENCHMARK_CAPTURE(BM_Import10000, csv, Records::Csv)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);

// What a process pays for the zone of coordinates: reading the boundaries' tree, then one
// point's leaf (on land, where the polygons are; at sea, the tree alone).
void BM_ZoneOfCoordinates(benchmark::State& state, double lat, double lon) {
  for (auto _ : state) {
    std::string why;
    const auto zones = orvenda::places::ZonePolygons::load(ORVENDA_ZONES_FILE, why);
    benchmark::DoNotOptimize(zones->zonesAt(lat, lon));
  }
}
BENCHMARK_CAPTURE(BM_ZoneOfCoordinates, athens, 37.98376, 23.72784)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ZoneOfCoordinates, lord_howe, -31.5553, 159.0821)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ZoneOfCoordinates, sea, 0.0, -30.0)->Unit(benchmark::kMillisecond);

// The same point again, the file read: what each further record of an import pays.
void BM_ZoneOfCoordinatesAgain(benchmark::State& state) {
  std::string why;
  const auto zones = orvenda::places::ZonePolygons::load(ORVENDA_ZONES_FILE, why);
  for (auto _ : state) benchmark::DoNotOptimize(zones->zonesAt(37.98376, 23.72784));
}
BENCHMARK(BM_ZoneOfCoordinatesAgain)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
