// The one place that chooses a platform backend.
#include "console/backend_factory.h"

#include "console/terminal_backend.h"

namespace orvenda {

std::unique_ptr<ConsoleBackend> createConsoleBackend(std::string& error) {
  return TerminalBackend::open(error);
}

}  // namespace orvenda
