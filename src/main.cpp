// Orvenda: natal chart data in an 80 x 25 text screen. Takes no arguments.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "console/backend_factory.h"
#include "console/console_screen.h"
#include "core/program.h"
#include "external/shell_launcher.h"
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
  PosixFileSystem files;
  ConsoleShellLauncher shell(console, nullptr);
  // exit() restores the terminal through the backend's exit hook.
  auto endProcess = [](int status) { std::exit(status); };
  console.setInputLostHandler([&] { endProcess(kExitFailure); });
  Program program(ProgramContext{console, files, shell, endProcess});
  const int status = program.run();
  backend.reset();
  return status;
}
