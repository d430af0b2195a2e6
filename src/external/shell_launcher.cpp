// The console's own "color" and "cls", and "start" handed to an opener.
#include "external/shell_launcher.h"

#include "console/console_screen.h"

namespace orvenda {
namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

bool startsWithWord(std::string_view line, std::string_view word) {
  if (line.size() < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i)
    if ((line[i] | 0x20) != word[i]) return false;
  return line.size() == word.size() || line[word.size()] == ' ';
}

// The console commands: "color XX" (background, then foreground, in hex) and "cls".
// Returns -2 when the line is not one of them.
int consoleCommand(ConsoleScreen& console, std::string_view line) {
  line = trim(line);
  if (startsWithWord(line, "cls")) {
    console.clearConsole();
    return 0;
  }
  if (startsWithWord(line, "color")) {
    const std::string_view arg = trim(line.substr(5));
    const int bg = arg.size() == 2 ? hexDigit(arg[0]) : -1;
    const int fg = arg.size() == 2 ? hexDigit(arg[1]) : -1;
    // As the command interpreter has it: the same colour twice changes nothing.
    if (bg < 0 || fg < 0 || bg == fg) return 1;
    console.setConsoleColours(static_cast<TextAttribute>(bg << 4 | fg));
    return 0;
  }
  return -2;
}

}  // namespace

int ConsoleShellLauncher::runCommand(std::string_view commandLine) {
  const int rc = consoleCommand(console_, commandLine);
  if (rc != -2) return rc;
  const std::string_view line = trim(commandLine);
  if (startsWithWord(line, "start")) {
    const std::string_view target = trim(line.substr(5));
    if (opener_ == nullptr || target.empty()) return 1;
    return opener_->open(target);
  }
  return 1;  // nothing else is ever asked for
}

RecordingShellLauncher::RecordingShellLauncher(ConsoleScreen* console) : console_(console) {}

int RecordingShellLauncher::runCommand(std::string_view commandLine) {
  commands.emplace_back(commandLine);
  if (console_ != nullptr) {
    const int rc = consoleCommand(*console_, commandLine);
    if (rc != -2) return rc;
  }
  return 0;
}

}  // namespace orvenda
