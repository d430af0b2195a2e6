// The console on a real terminal: /dev/tty in raw mode on the alternate screen, frames
// from FrameEncoder in one write each, keys through KeyDecoder. Every change made to the
// terminal is undone on every way out: normal exit, exit(), the terminating and fatal
// signals, and suspension (redone on resume).
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "console/console_backend.h"
#include "console/frame_encoder.h"
#include "console/key_decoder.h"

namespace orvenda {

class TerminalBackend final : public ConsoleBackend {
 public:
  // Opens the controlling terminal; nullptr with a reason when there is none.
  static std::unique_ptr<TerminalBackend> open(std::string& error);
  ~TerminalBackend() override;

  void present(const ConsoleFrame& frame) override;
  InputEvent waitKey() override;
  void bell() override;
  void suspend() override;
  void resume() override;

 private:
  explicit TerminalBackend(int fd);
  void updateSize();
  void repaint();
  bool writeAll(const std::string& bytes);

  int fd_;
  bool lost_ = false;
  FrameEncoder encoder_;
  KeyDecoder decoder_;
  std::string out_;
  // The last frame, so that a resize or a resume can repaint it whole.
  std::optional<CellGrid> lastGrid_;
  Position lastCursor_;
  bool lastCursorVisible_ = false;
  TextAttribute lastConsoleAttr_ = 0x07;
};

}  // namespace orvenda
