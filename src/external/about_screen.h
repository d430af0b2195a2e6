// The About screens: name and version, rights notice, terms of use, and the two links.
#pragma once

#include <functional>
#include <string>

namespace orvenda {

class ConsoleScreen;
class ShellLauncher;

// The command lines the links run, for a language (0 English, 1 Greek).
std::string homepageCommand(int language);
std::string feedbackCommand(int language);

class AboutScreen {
 public:
  // language is 0 (English) or 1 (Greek).
  AboutScreen(int language, ConsoleScreen& console, ShellLauncher& shell,
              std::function<void()> parkCursor);

  void draw();
  // Reads keys until Escape, opening the links on H and F. Called again (after the main
  // screen it handed over to gave control back), it goes on reading keys.
  void runUntilEscape();

 private:
  int language_;
  ConsoleScreen& con_;
  ShellLauncher& shell_;
  std::function<void()> parkCursor_;
};

}  // namespace orvenda
