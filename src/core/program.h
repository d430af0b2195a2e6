// The program's spine: start-up, and the small steps every screen uses (parkCursor,
// exitProgram).
#pragma once

#include <functional>

#include "birth/birth_record.h"
#include "core/app_state.h"

namespace orvenda {

class ConsoleScreen;
class FileSystem;
class ShellLauncher;

// The outside world the program runs in. endProcess must not return: it ends the
// process (or, in tests, unwinds to the test).
struct ProgramContext {
  ConsoleScreen& console;
  FileSystem& files;
  ShellLauncher& shell;
  std::function<void(int status)> endProcess;
};

class Program {
 public:
  explicit Program(ProgramContext context);

  // The start-up sequence. Returns the exit status when the sequence runs out.
  int run();

  // The cursor waits in the one-cell window at column 80 of row 1.
  void parkCursor();
  // "color 07", "cls", and the end of the process with status 0.
  [[noreturn]] void exitProgram();
  // "color f1" and "cls": blue on bright white, empty.
  void applyScreenColours();

  AppState& state() { return state_; }
  BirthRecord& record() { return record_; }

 private:
  [[noreturn]] void end(int status);
  bool loadDefaultPlace();
  void runInterimScreen();

  ProgramContext ctx_;
  AppState state_;
  BirthRecord record_;
};

}  // namespace orvenda
