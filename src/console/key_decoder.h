// Turns the bytes a terminal sends into the console's key codes. A pure push parser: it
// is fed bytes and elapsed time, does no I/O and reads no clock, so every case is a test.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

namespace orvenda {

// What readKey hands out for one key: a character key's byte, or a key without a
// character, which readKey delivers as 0 followed by its extended code.
struct KeyEvent {
  bool extended = false;
  std::uint8_t code = 0;
  friend bool operator==(const KeyEvent&, const KeyEvent&) = default;
};

constexpr KeyEvent charKey(std::uint8_t c) { return {false, c}; }
constexpr KeyEvent extendedKey(std::uint8_t c) { return {true, c}; }

// Keys without a character, in the order of the extended-code table.
enum class NamedKey : std::uint8_t {
  F1,
  F2,
  F3,
  F4,
  F5,
  F6,
  F7,
  F8,
  F9,
  F10,
  F11,
  F12,
  Home,
  Up,
  PageUp,
  Left,
  Right,
  End,
  Down,
  PageDown,
  Insert,
  Delete
};

enum Modifier : unsigned { kShift = 1, kAlt = 2, kCtrl = 4 };

// The extended code of a named key with modifiers: Alt wins over Ctrl, Ctrl over Shift.
std::uint8_t extendedCode(NamedKey key, unsigned modifiers);

class KeyDecoder {
 public:
  // A lone Escape is an Escape once this long has passed with nothing after it.
  static constexpr int kEscapeTimeoutMs = 25;

  void feed(std::uint8_t byte);
  void feed(std::string_view bytes) {
    for (char c : bytes) feed(static_cast<std::uint8_t>(c));
  }
  // Time that passed with no byte arriving. Completes or drops a waiting sequence once
  // kEscapeTimeoutMs have passed since its last byte.
  void elapsed(int ms);

  // True while a sequence waits for more bytes (the caller then waits at most
  // msUntilTimeout() before calling elapsed()).
  bool waiting() const { return !pending_.empty(); }
  int msUntilTimeout() const {
    return waitedMs_ >= kEscapeTimeoutMs ? 0 : kEscapeTimeoutMs - waitedMs_;
  }

  bool hasEvent() const { return !events_.empty(); }
  KeyEvent nextEvent();

  // Forgets every key read but not yet taken, and the start of a sequence whose rest will
  // never come: when another program takes the terminal, or a stop gives it to the
  // shell, the terminal throws away what was typed ahead, half a sequence included.
  void forgetTypeAhead() {
    pending_.clear();
    waitedMs_ = 0;
    discarding_ = false;
    events_.clear();
  }

 private:
  enum class Parse { Incomplete, Done };
  Parse parse();
  void parseFrom(std::size_t start, std::size_t& consumed, bool& incomplete);
  void emit(KeyEvent e) { events_.push_back(e); }

  std::string pending_;
  int waitedMs_ = 0;
  bool discarding_ = false;  // inside an overlong control sequence, dropping to its end
  std::deque<KeyEvent> events_;
};

}  // namespace orvenda
