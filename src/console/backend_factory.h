// Picks the console backend for the platform the program runs on.
#pragma once

#include <memory>
#include <string>

#include "console/console_backend.h"

namespace orvenda {

// nullptr, with a reason in error, when there is no console to run in.
std::unique_ptr<ConsoleBackend> createConsoleBackend(std::string& error);

}  // namespace orvenda
