// The one place that chooses a platform backend: the Win32 console.
#include "console/backend_factory.h"
#include "console/windows_console_backend.h"

namespace orvenda {

std::unique_ptr<ConsoleBackend> createConsoleBackend(std::string& error) {
  return WindowsConsoleBackend::open(error);
}

}  // namespace orvenda
