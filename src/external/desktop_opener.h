// "start TARGET" on Linux: the desktop's opener for pages, files and links, detached
// from the program; without a graphical session an editor (notes) or a text browser
// (pages) in this terminal while the program's screen waits. Never through a shell.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "external/shell_launcher.h"

namespace orvenda {

class ConsoleScreen;

struct OpenPlan {
  enum class Kind { Nothing, Detached, InTerminal };
  Kind kind = Kind::Nothing;
  std::vector<std::string> argv;
};

struct OpenEnvironment {
  std::function<const char*(const char*)> getenv;
  std::function<bool(const std::string&)> onPath;  // is this program on PATH?
  std::string workDir;                             // absolute
};

// What opening target would run; pure, so every case can be tested.
OpenPlan planOpen(std::string_view target, const OpenEnvironment& env);

// The platform's opener: the desktop's (or a program in this terminal) on Linux, the
// shell's association on Windows.
std::unique_ptr<Opener> createOpener(ConsoleScreen& console);

class DesktopOpener final : public Opener {
 public:
  // The console is suspended while a program runs in this terminal.
  explicit DesktopOpener(ConsoleScreen& console);
  int open(std::string_view target) override;

 private:
  ConsoleScreen& console_;
  OpenEnvironment env_;
};

}  // namespace orvenda
