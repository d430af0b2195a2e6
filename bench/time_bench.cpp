// What the commands of time and of two charts cost as a user runs them, beside the
// yardsticks they are held to: swetest computing the ten planets for 366 days, and
// orvenda-chart chart. Each as a whole process (start, ephemeris files opened, output
// written to /dev/null); the largest resident memory of the century is a counter.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

#include "birth/birth_record.h"

namespace {

using namespace orvenda;
namespace fs = std::filesystem;

const BirthRecord kNewYork{14, 3, 1957, 9, 41, 0, -5, 0, -74, 0, 0, 40, 42, 0};
const BirthRecord kAthens{2, 8, 1960, 18, 20, 0, 2, 0, 23, 43, 40, 37, 59, 2};

// A working directory with the skeleton's settings (the default configuration: the ten
// planets, Chiron, the Node and the angles, nine aspects) and two charts.
const fs::path& workingDirectory() {
  static const fs::path dir = [] {
    const fs::path d = fs::temp_directory_path() / "orvenda-bench-time";
    fs::remove_all(d);
    fs::create_directories(d / "NAMES");
    fs::copy(ORVENDA_SKELETON "/settings", d / "settings");
    for (const auto& [name, record] : {std::pair{"Maria", kNewYork}, std::pair{"John", kAthens}}) {
      const auto image = encodeChart(record);
      std::ofstream(d / "NAMES" / name, std::ios::binary)
          .write(reinterpret_cast<const char*>(image.data()), image.size());
    }
    return d;
  }();
  return dir;
}

// Runs a command line of the tool (or any program) the number of times the benchmark asks,
// and keeps the largest resident memory any child reached.
void runProcess(benchmark::State& state, const std::string& command) {
  ::setenv("ORVENDA_TEXTS", ORVENDA_TEXTS_DIR, 1);
  for (auto _ : state)
    if (std::system((command + " >/dev/null 2>&1").c_str()) != 0)
      state.SkipWithError(("failed: " + command).c_str());
  rusage usage{};
  ::getrusage(RUSAGE_CHILDREN, &usage);
  state.counters["max_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024;
}

std::string tool(const std::string& args) {
  return std::string(ORVENDA_CHART_TOOL) + " -C " + workingDirectory().string() + " " + args;
}

void BM_Swetest366DaysTenPlanets(benchmark::State& state) {
  if (std::system("command -v swetest >/dev/null 2>&1") != 0) {
    state.SkipWithError("swetest is not installed (apt install swetest)");
    return;
  }
  runProcess(state, "swetest -b1.1.2027 -n366 -s1 -p0123456789 -head");
}
BENCHMARK(BM_Swetest366DaysTenPlanets)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ChartProcess(benchmark::State& state) { runProcess(state, tool("chart Maria")); }
BENCHMARK(BM_ChartProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadingProcess(benchmark::State& state) { runProcess(state, tool("reading Maria")); }
BENCHMARK(BM_ReadingProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TransitsYear(benchmark::State& state) {
  runProcess(state, tool("transits Maria --from 2027-01-01 --to 2027-12-31 --zone UTC"));
}
BENCHMARK(BM_TransitsYear)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TransitsYearJson(benchmark::State& state) {
  runProcess(state, tool("transits Maria --from 2027-01-01 --to 2027-12-31 --zone UTC --json"));
}
BENCHMARK(BM_TransitsYearJson)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TransitsYearWithTheMoon(benchmark::State& state) {
  runProcess(state, tool("transits Maria --from 2027-01-01 --to 2027-12-31 --zone UTC --moon"));
}
BENCHMARK(BM_TransitsYearWithTheMoon)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TransitsCentury(benchmark::State& state) {
  runProcess(state, tool("transits Maria --from 2001-01-01 --to 2100-12-31 --zone UTC"));
}
BENCHMARK(BM_TransitsCentury)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_TransitsDecade(benchmark::State& state) {
  runProcess(state, tool("transits Maria --from 2021-01-01 --to 2030-12-31 --zone UTC"));
}
BENCHMARK(BM_TransitsDecade)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_TransitsCalendar(benchmark::State& state) {
  runProcess(state, tool("transits Maria --from 2027-01-01 --to 2027-12-31 --zone UTC --ics"));
}
BENCHMARK(BM_TransitsCalendar)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Progressions(benchmark::State& state) {
  runProcess(state, tool("progressions Maria --from 2027-01-01 --to 2036-12-31 --zone UTC"));
}
BENCHMARK(BM_Progressions)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SolarReturn(benchmark::State& state) {
  runProcess(state, tool("return Maria --year 2027"));
}
BENCHMARK(BM_SolarReturn)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Synastry(benchmark::State& state) { runProcess(state, tool("synastry Maria John")); }
BENCHMARK(BM_Synastry)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SynastryJson(benchmark::State& state) {
  runProcess(state, tool("synastry Maria John --json"));
}
BENCHMARK(BM_SynastryJson)->Unit(benchmark::kMillisecond)->UseRealTime();

// A century of the time lords to the releasing's fourth level (13,629 periods, with every
// profection, month and firdar), in a zone with summer time, as text and as JSON.
void BM_TimelordsCentury(benchmark::State& state) {
  runProcess(state, tool("timelords Maria --from 1957-03-14 --to 2077-03-14 --levels 4 --zone "
                         "America/New_York"));
}
BENCHMARK(BM_TimelordsCentury)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TimelordsCenturyJson(benchmark::State& state) {
  runProcess(state, tool("timelords Maria --from 1957-03-14 --to 2077-03-14 --levels 4 --zone "
                         "America/New_York --json"));
}
BENCHMARK(BM_TimelordsCenturyJson)->Unit(benchmark::kMillisecond)->UseRealTime();

// The processor time (user and system) of one process, from its own resource usage: its
// start (the dynamic loader binding its libraries), its work and its exit. Spawned
// without a shell, its output to /dev/null.
double processorMilliseconds(const std::string& commandLine) {
  std::istringstream words(commandLine);
  std::vector<std::string> args;
  for (std::string w; words >> w;) args.push_back(w);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed) return -1;
  int status = 0;
  rusage usage{};
  if (::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return -1;
  auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// Runs the commands in turn, once each per round, so that the machine's load falls on all
// alike; each command's median processor time is its counter, and is returned.
std::vector<double> interleaved(benchmark::State& state,
                                const std::vector<std::pair<const char*, std::string>>& commands) {
  std::vector<std::vector<double>> times(commands.size());
  for (auto _ : state)
    for (std::size_t i = 0; i < commands.size(); ++i) {
      const double ms = processorMilliseconds(commands[i].second);
      if (ms < 0) state.SkipWithError(("failed: " + commands[i].second).c_str());
      times[i].push_back(ms);
    }
  std::vector<double> medians;
  for (std::size_t i = 0; i < commands.size(); ++i) {
    medians.push_back(median(times[i]));
    state.counters[commands[i].first] = medians.back();
  }
  return medians;
}

// One chart as a whole process beside swetest computing the same positions and houses (the
// ten planets, the mean node, Chiron, Placidus houses at New York), runs interleaved so
// that the machine's load falls on all alike; the medians of their processor times are the
// counters, and the ratio the yardstick.
void BM_ChartAgainstSwetest(benchmark::State& state) {
  if (std::system("command -v swetest >/dev/null 2>&1") != 0) {
    state.SkipWithError("swetest is not installed (apt install swetest)");
    return;
  }
  ::setenv("ORVENDA_TEXTS", ORVENDA_TEXTS_DIR, 1);
  const std::vector<std::pair<const char*, std::string>> commands = {
      {"swetest_ms", "swetest -b14.3.1957 -ut14:41 -p0123456789mD -house-74.0058,40.7142,P -head"},
      {"chart_json_ms", tool("chart Maria --json")},
      {"chart_ms", tool("chart Maria")},
      {"reading_ms", tool("reading Maria")},
      {"sheet_ms", tool("sheet Maria -o " + (workingDirectory() / "sheet.html").string())},
  };
  const std::vector<double> times = interleaved(state, commands);
  state.counters["json_per_swetest"] = times[1] / times[0];
}
BENCHMARK(BM_ChartAgainstSwetest)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(41);

// A year of transits as a whole process beside swetest's year of the ten planets, runs
// interleaved: every transit of the default configuration, and the slow planets' alone
// (--bodies slow), which compute far less.
void BM_TransitsAgainstSwetest(benchmark::State& state) {
  if (std::system("command -v swetest >/dev/null 2>&1") != 0) {
    state.SkipWithError("swetest is not installed (apt install swetest)");
    return;
  }
  ::setenv("ORVENDA_TEXTS", ORVENDA_TEXTS_DIR, 1);
  const std::string year = "transits Maria --from 2027-01-01 --to 2027-12-31 --zone UTC";
  const std::vector<std::pair<const char*, std::string>> commands = {
      {"swetest_ms", "swetest -b1.1.2027 -n366 -s1 -p0123456789 -head"},
      {"year_ms", tool(year)},
      {"slow_ms", tool(year + " --bodies slow")},
      {"by_transit_ms", tool(year + " --by-transit")},
  };
  const std::vector<double> times = interleaved(state, commands);
  state.counters["year_per_swetest"] = times[1] / times[0];
  state.counters["slow_per_swetest"] = times[2] / times[0];
}
BENCHMARK(BM_TransitsAgainstSwetest)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(31);

// The sky's year (lunations, eclipses, the void Moon) as a whole process beside swetest's
// year of the Sun and the Moon, runs interleaved; and a century without the void Moon.
void BM_SkyAgainstSwetest(benchmark::State& state) {
  if (std::system("command -v swetest >/dev/null 2>&1") != 0) {
    state.SkipWithError("swetest is not installed (apt install swetest)");
    return;
  }
  ::setenv("ORVENDA_TEXTS", ORVENDA_TEXTS_DIR, 1);
  const std::vector<std::pair<const char*, std::string>> commands = {
      {"swetest_ms", "swetest -b1.1.2027 -n366 -s1 -p01 -head"},
      {"year_ms", tool("sky --from 2027-01-01 --to 2027-12-31 --zone UTC")},
  };
  const std::vector<double> times = interleaved(state, commands);
  state.counters["year_per_swetest"] = times[1] / times[0];
}
BENCHMARK(BM_SkyAgainstSwetest)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(31);

void BM_SkyCentury(benchmark::State& state) {
  runProcess(state,
             tool("sky --from 2000-01-01 --to 2099-12-31 --zone UTC --lunations --eclipses"));
}
BENCHMARK(BM_SkyCentury)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
