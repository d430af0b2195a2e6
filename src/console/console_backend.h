// What puts the console model on a device and delivers keys: the terminal, or a script
// in tests. The console layer owns the model; a backend only shows it and reads keys.
#pragma once

#include "console/cell_grid.h"
#include "console/key_decoder.h"

namespace orvenda {

struct InputEvent {
  enum class Kind { Key, Lost };  // Lost: the device went away (hang-up, EIO, end of input)
  Kind kind = Kind::Key;
  KeyEvent key;
};

struct ConsoleFrame {
  const CellGrid& grid;
  Position cursor;
  bool cursorVisible;
  TextAttribute consoleAttr;  // the console's own colours, for what lies outside the grid
};

class ConsoleBackend {
 public:
  virtual ~ConsoleBackend() = default;
  // Make the device show the frame.
  virtual void present(const ConsoleFrame& frame) = 0;
  // Block until a key arrives or input is lost.
  virtual InputEvent waitKey() = 0;
  virtual void bell() = 0;
  // Leave the screen to another program in this terminal (an editor), and come back.
  virtual void suspend() {}
  virtual void resume() {}
};

}  // namespace orvenda
