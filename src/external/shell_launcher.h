// Command lines the program hands to the system: "color XX" and "cls", carried out on the
// console itself, and "start TARGET", which opens a page or file in its own application.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvenda {

class ConsoleScreen;

class ShellLauncher {
 public:
  virtual ~ShellLauncher() = default;
  // Runs one command line and returns its exit status, -1 when it could not run.
  virtual int runCommand(std::string_view commandLine) = 0;
};

// Opens a target with the application the desktop associates with it.
class Opener {
 public:
  virtual ~Opener() = default;
  virtual int open(std::string_view target) = 0;
};

// "color" and "cls" act on the console model; "start" goes to the opener.
class ConsoleShellLauncher final : public ShellLauncher {
 public:
  // Both must outlive the launcher. The opener may be null: "start" then does nothing.
  ConsoleShellLauncher(ConsoleScreen& console, Opener* opener)
      : console_(console), opener_(opener) {}
  int runCommand(std::string_view commandLine) override;

 private:
  ConsoleScreen& console_;
  Opener* opener_;
};

// Records command lines instead of running them (tests).
class RecordingShellLauncher final : public ShellLauncher {
 public:
  // With a console, "color" and "cls" still act on it, so screens look as they would.
  explicit RecordingShellLauncher(ConsoleScreen* console = nullptr);
  int runCommand(std::string_view commandLine) override;
  std::vector<std::string> commands;

 private:
  ConsoleScreen* console_;
};

}  // namespace orvenda
