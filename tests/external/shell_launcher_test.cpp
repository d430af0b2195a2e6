// The console's own "color" and "cls", "start" handed to the opener, and what the opener
// runs in each environment.
#include <gtest/gtest.h>

#include "console/console_screen.h"
#include "console/headless_backend.h"
#include "external/shell_launcher.h"

namespace orvenda {
namespace {

class RecordingOpener final : public Opener {
 public:
  int open(std::string_view target) override {
    targets.emplace_back(target);
    return 0;
  }
  std::vector<std::string> targets;
};

TEST(ShellLauncher, ColorAndClsActOnTheWholeConsole) {
  HeadlessBackend backend;
  ConsoleScreen con(backend);
  ConsoleShellLauncher shell(con, nullptr);
  con.writeText("text");
  con.setWindow(5, 20, 80, 25);
  EXPECT_EQ(shell.runCommand("color f1"), 0);
  EXPECT_EQ(con.consoleAttribute(), 0xF1);
  EXPECT_EQ(con.grid().at(1, 1).attr, 0xF1);
  EXPECT_EQ(con.grid().rowText(1, 1, 4), "text");
  EXPECT_EQ(shell.runCommand("cls"), 0);
  EXPECT_EQ(con.grid().rowText(1, 1, 4), "    ");
  EXPECT_EQ(con.cursor(), (Position{1, 1}));
  EXPECT_EQ(con.window(), (TextWindow{5, 20, 80, 25}));
  EXPECT_EQ(shell.runCommand("color 07"), 0);
  EXPECT_EQ(con.consoleAttribute(), 0x07);
  // As the command interpreter has it: a bad or equal pair changes nothing.
  EXPECT_EQ(shell.runCommand("color 77"), 1);
  EXPECT_EQ(shell.runCommand("color xz"), 1);
  EXPECT_EQ(shell.runCommand("color"), 1);
  EXPECT_EQ(con.consoleAttribute(), 0x07);
}

TEST(ShellLauncher, StartHandsTheTargetAsItIsToTheOpener) {
  HeadlessBackend backend;
  ConsoleScreen con(backend);
  RecordingOpener opener;
  ConsoleShellLauncher shell(con, &opener);
  shell.runCommand("start NAMES\\my chart.txt");
  shell.runCommand("start PRINT/bush.html");
  shell.runCommand("start help-en.htm; rm -rf /");
  EXPECT_EQ(opener.targets, (std::vector<std::string>{"NAMES\\my chart.txt", "PRINT/bush.html",
                                                      "help-en.htm; rm -rf /"}));
  EXPECT_EQ(shell.runCommand("start"), 1);
  EXPECT_EQ(shell.runCommand("format c:"), 1);
}

}  // namespace
}  // namespace orvenda
