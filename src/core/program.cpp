// Start-up and shutdown.
#include "core/program.h"

#include <cstdlib>

#include "config/settings_store.h"
#include "console/console_screen.h"
#include "external/shell_launcher.h"
#include "platform/file_system.h"

namespace orvenda {

Program::Program(ProgramContext context) : ctx_(std::move(context)), record_(defaultBirthRecord) {}

void Program::end(int status) {
  ctx_.endProcess(status);
  std::abort();  // endProcess never comes back
}

void Program::parkCursor() { ctx_.console.setWindow(80, 1, 80, 1); }

void Program::applyScreenColours() {
  ctx_.shell.runCommand("color f1");
  ctx_.shell.runCommand("cls");
}

void Program::exitProgram() {
  ctx_.shell.runCommand("color 07");
  ctx_.shell.runCommand("cls");
  end(kExitNormal);
}

bool Program::loadDefaultPlace() {
  SettingsStore settings(ctx_.files);
  if (!settings.readDefaultPlace(state_.defaultPlace)) return false;
  record_.lonDegrees = state_.defaultPlace[0];
  record_.lonMinutes = state_.defaultPlace[1];
  record_.lonSeconds = state_.defaultPlace[2];
  record_.latDegrees = state_.defaultPlace[3];
  record_.latMinutes = state_.defaultPlace[4];
  record_.latSeconds = state_.defaultPlace[5];
  return true;
}

int Program::run() {
  ConsoleScreen& con = ctx_.console;
  record_ = defaultBirthRecord;
  if (!loadDefaultPlace()) {
    // The console still has the colours it had when the program started.
    con.writeText(kCantOpenMessage);
    con.readKey();
    con.clearWindow();
    return kExitFailure;
  }
  applyScreenColours();
  runInterimScreen();
  return kExitFailure;
}

// Until the main screen is built: the record on the strip that the main screen uses,
// and Escape to leave.
void Program::runInterimScreen() {
  ConsoleScreen& con = ctx_.console;
  con.setWindow(1, 1, 80, 25);
  con.setTextBackground(143);
  con.setTextColor(129);
  con.clearWindow();
  con.writeFormatted(" Orvenda   %s", state_.chartPath.c_str());
  static constexpr const char* kLabels[BirthRecord::kFieldCount] = {
      "Day", "Mon", "Year", "Hour", "Min", "Sec", "GMT",
      "min", "LON", "Min",  "Sec",  "LAT", "Min", "Sec"};
  for (int i = 0; i < BirthRecord::kFieldCount; ++i) {
    const int x = 5 + 5 * i;
    con.setWindow(x, 3, x + 4, 3);
    con.setTextBackground(1);
    con.setTextColor(1);
    con.clearWindow();
    con.setTextColor(15);
    con.writeFormatted("%4s", kLabels[i]);
    con.setWindow(x, 4, x + 4, 4);
    con.setTextBackground(137);
    con.setTextColor(137);
    con.clearWindow();
    con.setTextColor(143);
    const bool twoDigits = i == 4 || i == 5 || i == 7 || i == 9 || i == 10 || i == 12 || i == 13;
    con.writeFormatted(twoDigits ? "  %02d" : "%4d", record_.field(i));
  }
  con.setWindow(5, 25, 80, 25);
  con.setTextBackground(143);
  con.setTextColor(129);
  con.writeText("Esc-Exit");
  for (;;) {
    parkCursor();
    if (con.readKey() == 27) exitProgram();
  }
}

}  // namespace orvenda
