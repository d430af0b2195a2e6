// Orvenda: natal chart data in an 80 x 25 text screen. Takes no arguments.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "console/backend_factory.h"
#include "console/console_screen.h"
#include "core/program.h"
#include "external/desktop_opener.h"
#include "external/shell_launcher.h"
#include "platform/clock.h"
#include "platform/file_system.h"

int main() {
  using namespace orvenda;
  std::string error;
  auto backend = createConsoleBackend(error);
  if (!backend) {
    std::fprintf(stderr, "orvenda: %s\n", error.c_str());
    return kExitFailure;
  }
  ConsoleScreen console(*backend);
  auto files = openFileSystem();
  auto opener = createOpener(console);
  ConsoleShellLauncher shell(console, opener.get());
  SystemClock clock;
  // The last frame (after "color 07" and "cls") is shown before the end: a console
  // without an alternate screen keeps it. exit() then puts the terminal back.
  auto endProcess = [&console](int status) {
    console.present();
    std::exit(status);
  };
  console.setInputLostHandler([&] { endProcess(kExitFailure); });
  App app(Services{console, *files, shell, clock, endProcess});
  const int status = runProgram(app);
  backend.reset();
  return status;
}
