// The scripted console backend used by the tests.
#include "console/headless_backend.h"

#include "console/key_decoder.h"

namespace orvenda {

void HeadlessBackend::present(const ConsoleFrame& frame) {
  ++frames_;
  if (lastGrid_)
    *lastGrid_ = frame.grid;
  else
    lastGrid_.emplace(frame.grid);
  lastCursor_ = frame.cursor;
  lastCursorVisible_ = frame.cursorVisible;
}

InputEvent HeadlessBackend::waitKey() {
  if (script_.empty()) return InputEvent{InputEvent::Kind::Lost, {}};
  const KeyEvent k = script_.front();
  script_.pop_front();
  return InputEvent{InputEvent::Kind::Key, k};
}

void HeadlessBackend::terminalBytes(std::string_view bytes) {
  KeyDecoder decoder;
  decoder.feed(bytes);
  decoder.elapsed(KeyDecoder::kEscapeTimeoutMs);
  while (decoder.hasEvent()) script_.push_back(decoder.nextEvent());
}

}  // namespace orvenda
