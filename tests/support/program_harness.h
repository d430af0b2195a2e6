// Runs the program against a headless console, a temporary working directory and a
// recording shell launcher. The end of the process unwinds to the test as ProgramEnded.
#pragma once

#include <optional>

#include "console/console_screen.h"
#include "console/headless_backend.h"
#include "core/program.h"
#include "external/shell_launcher.h"
#include "platform/file_system.h"
#include "support/temp_dir.h"

namespace orvenda::testing {

struct ProgramEnded {
  int status;
};

class ProgramHarness {
 public:
  ProgramHarness() : files(dir.path()), shell(&console) {
    console.setInputLostHandler([] { throw ProgramEnded{kExitFailure}; });
  }

  // Every settings folder file the program reads at start-up.
  void layOutWorkingDirectory() {
    dir.mkdir("settings");
    dir.mkdir("NAMES");
    dir.write("settings/lonlat", int32s({23, 46, 0, 37, 58, 0}));
  }

  // Runs the start-up sequence; the status it ends with, however it ends.
  int run() {
    program.emplace(ProgramContext{console, files, shell, [](int s) { throw ProgramEnded{s}; }});
    try {
      return program->run();
    } catch (const ProgramEnded& e) {
      return e.status;
    }
  }

  std::string row(int r, int first = 1, int last = 80) const {
    return console.grid().rowText(r, first, last);
  }

  TempDir dir;
  HeadlessBackend backend;
  ConsoleScreen console{backend};
  PosixFileSystem files;
  RecordingShellLauncher shell;
  std::optional<Program> program;
};

}  // namespace orvenda::testing
