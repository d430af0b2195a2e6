// Runs the program against a headless console, a temporary working directory, a fixed
// clock and a recording shell launcher. The end of the process unwinds to the test as
// ProgramEnded.
#pragma once

#include <ctime>
#include <optional>
#include <string>

#include "console/console_screen.h"
#include "console/headless_backend.h"
#include "core/app.h"
#include "core/program.h"
#include "external/shell_launcher.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "support/recording_files.h"
#include "support/temp_dir.h"
#include "support/zone.h"

namespace orvenda::testing {

struct ProgramEnded {
  int status;
};

// 5 March 1980, 12:07:09 GMT.
inline constexpr std::time_t kTestInstant = 321106029;

class ProgramHarness {
 public:
  ProgramHarness()
      : disk(openFileSystem(dir.path())),
        files(*disk),
        shell(&console),
        clock(kTestInstant),
        app(Services{console, files, shell, clock, [](int s) { throw ProgramEnded{s}; }}) {
    console.setInputLostHandler([] { throw ProgramEnded{kExitFailure}; });
  }

  // Every file the program reads, with plain values: English, Athens, all zero.
  void layOutWorkingDirectory(int programLanguage = 0) {
    dir.mkdir("settings");
    dir.mkdir("NAMES");
    dir.write("settings/lonlat", int32s({23, 46, 0, 37, 58, 0}));
    dir.write("settings/langpro", int32s({programLanguage}));
    for (const char* f : {"langhor", "metaixmio", "zodcyber", "borderinter", "chrul"})
      dir.write(std::string("settings/") + f, int32s({0}));
    dir.write("settings/natasp", std::vector<std::uint8_t>(144, 0));
    dir.write("settings/naaspset", std::vector<std::uint8_t>(72, 0));
    dir.write("settings/natpl", std::vector<std::uint8_t>(352, 0));
    dir.write("settings/naplch", std::vector<std::uint8_t>(88, 0));
  }

  // Runs the program from start-up; the status it ends with, however it ends.
  int run() {
    try {
      return runProgram(app);
    } catch (const ProgramEnded& e) {
      return e.status;
    }
  }

  std::string row(int r, int first = 1, int last = 80) const {
    return console.grid().rowText(r, first, last);
  }
  // The screen as it was shown while the program waited for its last key.
  std::string shownRow(int r, int first = 1, int last = 80) const {
    return backend.lastGrid()->rowText(r, first, last);
  }
  TextAttribute shownAttr(int column, int row) const {
    return backend.lastGrid()->at(column, row).attr;
  }
  void writeChart(const std::string& name, const BirthRecord& r) {
    const auto bytes = encodeChart(r);
    dir.write("NAMES/" + name, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
  }
  // The chart file as the record it holds.
  BirthRecord chart(const std::string& name) const {
    BirthRecord r{};
    const auto bytes = dir.read("NAMES/" + name);
    decodeChart(bytes, r);
    return r;
  }
  // A one-integer settings file's value; INT32_MIN when it is shorter than 4 bytes.
  std::int32_t setting(const std::string& name) const {
    const auto bytes = dir.read("settings/" + name);
    return bytes.size() >= 4 ? getInt32(bytes.data()) : INT32_MIN;
  }
  void setSetting(const std::string& name, std::int32_t v) {
    dir.write("settings/" + name, int32s({v}));
  }

  ScopedZone zone{"UTC0"};
  TempDir dir;
  HeadlessBackend backend;
  ConsoleScreen console{backend};
  std::unique_ptr<FileSystem> disk;
  RecordingFiles files;
  RecordingShellLauncher shell;
  FixedClock clock;
  App app;
};

}  // namespace orvenda::testing
