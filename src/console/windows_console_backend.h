// The console on the Win32 console: "CONIN$" and "CONOUT$" opened directly, changed runs
// of cells put with WriteConsoleOutputW (the CP737 glyphs, arrows included), keys from
// ReadConsoleInputA in code page 737 with the input mode 0 while a key is awaited. Code pages,
// modes and the cursor are put back at exit.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "console/console_backend.h"

namespace orvenda {

class WindowsConsoleBackend final : public ConsoleBackend {
 public:
  static std::unique_ptr<WindowsConsoleBackend> open(std::string& error);
  ~WindowsConsoleBackend() override;

  void present(const ConsoleFrame& frame) override;
  InputEvent waitKey() override;
  void bell() override;

  struct Handles;  // the console's handles and what is put back at exit

 private:
  explicit WindowsConsoleBackend(std::unique_ptr<Handles> handles);
  std::unique_ptr<Handles> h_;
  std::optional<CellGrid> front_;
};

// The extended code of a key without a character, from its virtual key and the Shift,
// Ctrl and Alt state; 0 when the key has none (a modifier alone, an unknown key).
int extendedCodeOf(unsigned virtualKey, unsigned long controlKeyState);

}  // namespace orvenda
