// Key sequences of xterm and VTE (CSI and SS3, with the xterm modifier parameter), kitty's
// legacy mode, tmux and screen, rxvt ($ ^ @ finals, ESC [a, ESC Oa) and the Linux console
// (ESC [[A..E), Alt as an ESC prefix, and UTF-8 input mapped to CP737.
#include "console/key_decoder.h"

#include <array>
#include <optional>

#include "console/cp737.h"

namespace orvenda {
namespace {

constexpr std::uint8_t kEsc = 0x1B;

// alone, Shift, Ctrl, Alt for each named key.
constexpr std::array<std::array<std::uint8_t, 4>, 22> kExtendedCodes = {{
    {59, 84, 94, 104},  {60, 85, 95, 105},  {61, 86, 96, 106},    {62, 87, 97, 107},
    {63, 88, 98, 108},  {64, 89, 99, 109},  {65, 90, 100, 110},   {66, 91, 101, 111},
    {67, 92, 102, 112}, {68, 93, 103, 113}, {133, 135, 137, 139}, {134, 136, 138, 140},
    {71, 71, 119, 151}, {72, 72, 141, 152}, {73, 73, 132, 153},   {75, 75, 115, 155},
    {77, 77, 116, 157}, {79, 79, 117, 159}, {80, 80, 145, 160},   {81, 81, 118, 161},
    {82, 82, 146, 162}, {83, 83, 147, 163},
}};

// One decoded key before it becomes a code: a character, or a named key with modifiers.
struct Decoded {
  bool named = false;
  std::uint8_t ch = 0;
  NamedKey key = NamedKey::F1;
  unsigned mods = 0;
};

struct Step {
  enum Kind { Incomplete, Key, Drop } kind = Drop;
  std::size_t consumed = 0;
  std::optional<Decoded> key;  // empty for Drop and for a byte that is ignored
};

Step incomplete() { return {Step::Incomplete, 0, std::nullopt}; }
Step drop(std::size_t n) { return {Step::Drop, n, std::nullopt}; }
Step named(std::size_t n, NamedKey k, unsigned mods) {
  return {Step::Key, n, Decoded{true, 0, k, mods}};
}
Step character(std::size_t n, std::uint8_t c) { return {Step::Key, n, Decoded{false, c, {}, 0}}; }

// The xterm modifier parameter: 1 + (Shift 1, Alt 2, Ctrl 4, Meta 8); Meta counts as Alt.
unsigned modsFromParam(int m) {
  if (m < 2 || m > 16) return 0;
  const unsigned bits = static_cast<unsigned>(m - 1);
  return (bits & 7u) | ((bits & 8u) ? kAlt : 0u);
}

std::optional<NamedKey> cursorFinal(char f) {
  switch (f) {
    case 'A': return NamedKey::Up;
    case 'B': return NamedKey::Down;
    case 'C': return NamedKey::Right;
    case 'D': return NamedKey::Left;
    case 'H': return NamedKey::Home;
    case 'F': return NamedKey::End;
    case 'P': return NamedKey::F1;
    case 'Q': return NamedKey::F2;
    case 'R': return NamedKey::F3;
    case 'S': return NamedKey::F4;
    default: return std::nullopt;
  }
}

// rxvt's lower-case finals: ESC [a is Shift+Up, ESC Oa is Ctrl+Up.
std::optional<NamedKey> rxvtArrow(char f) {
  switch (f) {
    case 'a': return NamedKey::Up;
    case 'b': return NamedKey::Down;
    case 'c': return NamedKey::Right;
    case 'd': return NamedKey::Left;
    default: return std::nullopt;
  }
}

// The number before "~": the VT220 editing and function keys. 25 to 34 are the keys
// that the Linux console and rxvt send for Shift+F3 .. Shift+F10 (their F13 .. F20).
std::optional<std::pair<NamedKey, unsigned>> tildeKey(int n) {
  using K = NamedKey;
  switch (n) {
    case 1:
    case 7: return std::pair{K::Home, 0u};
    case 2: return std::pair{K::Insert, 0u};
    case 3: return std::pair{K::Delete, 0u};
    case 4:
    case 8: return std::pair{K::End, 0u};
    case 5: return std::pair{K::PageUp, 0u};
    case 6: return std::pair{K::PageDown, 0u};
    case 11:
    case 12:
    case 13:
    case 14:
    case 15: return std::pair{static_cast<K>(n - 11), 0u};
    case 17:
    case 18:
    case 19:
    case 20:
    case 21: return std::pair{static_cast<K>(n - 12), 0u};
    case 23: return std::pair{K::F11, 0u};
    case 24: return std::pair{K::F12, 0u};
    case 25: return std::pair{K::F3, unsigned{kShift}};
    case 26: return std::pair{K::F4, unsigned{kShift}};
    case 28: return std::pair{K::F5, unsigned{kShift}};
    case 29: return std::pair{K::F6, unsigned{kShift}};
    case 31: return std::pair{K::F7, unsigned{kShift}};
    case 32: return std::pair{K::F8, unsigned{kShift}};
    case 33: return std::pair{K::F9, unsigned{kShift}};
    case 34: return std::pair{K::F10, unsigned{kShift}};
    default: return std::nullopt;
  }
}

// A character code reported inside a sequence (kitty's CSI u, xterm's modifyOtherKeys).
std::optional<std::uint8_t> reportedChar(int code, unsigned mods) {
  if (code == 127) return 8;
  if (code < 1 || code >= 127) return std::nullopt;
  // Ctrl with a letter is its control code, as the terminal would send it in legacy mode.
  if ((mods & kCtrl) && ((code >= 'a' && code <= 'z') || (code >= '@' && code <= '_')))
    return static_cast<std::uint8_t>(code & 0x1F);
  return static_cast<std::uint8_t>(code);
}

bool isParamByte(std::uint8_t b) { return b >= 0x30 && b <= 0x3F; }
bool isIntermediate(std::uint8_t b) { return b >= 0x20 && b <= 0x2F && b != '$'; }
bool isFinal(std::uint8_t b) { return (b >= 0x40 && b <= 0x7E) || b == '$'; }

// Parameters as numbers; false for private forms (< = > ?) that no key uses.
bool parseParams(std::string_view p, std::array<int, 4>& out, int& count) {
  out = {-1, -1, -1, -1};
  count = 0;
  int value = -1;
  bool inSub = false;
  for (char c : p) {
    if (c >= '0' && c <= '9') {
      if (!inSub) value = (value < 0 ? 0 : value) * 10 + (c - '0');
      if (value > 100000) value = 100000;
    } else if (c == ';') {
      if (count < 4) out[count] = value;
      ++count;
      value = -1;
      inSub = false;
    } else if (c == ':') {
      inSub = true;  // sub-parameters (kitty's alternate keys) are not needed
    } else {
      return false;
    }
  }
  if (count < 4) out[count] = value;
  ++count;
  return true;
}

Step interpretCsi(std::string_view params, char final, std::size_t consumed) {
  std::array<int, 4> p;
  int count = 0;
  if (!parseParams(params, p, count)) return drop(consumed);
  const int n = p[0] < 0 ? 1 : p[0];
  const unsigned mods = count >= 2 ? modsFromParam(p[1]) : 0;
  if (auto k = cursorFinal(final)) return named(consumed, *k, mods);
  if (auto k = rxvtArrow(final)) return named(consumed, *k, kShift);
  if (final == 'Z') return character(consumed, 9);  // Shift+Tab is still Tab
  if (final == 'u') {
    if (auto c = reportedChar(n, mods)) return character(consumed, *c);
    return drop(consumed);
  }
  if (final == '~' && n == 27 && count >= 3) {
    if (auto c = reportedChar(p[2], mods)) return character(consumed, *c);
    return drop(consumed);
  }
  if (final == '~' || final == '$' || final == '^' || final == '@') {
    auto k = tildeKey(n);
    if (!k) return drop(consumed);
    unsigned m = k->second | mods;
    if (final == '$') m |= kShift;
    if (final == '^') m |= kCtrl;
    if (final == '@') m |= kCtrl | kShift;
    return named(consumed, k->first, m);
  }
  return drop(consumed);
}

Step parseCsi(std::string_view s) {
  // s starts with ESC [
  if (s.size() < 3) return incomplete();
  if (s[2] == '[') {  // the Linux console's F1 .. F5
    if (s.size() < 4) return incomplete();
    const auto c = static_cast<std::uint8_t>(s[3]);
    if (c >= 'A' && c <= 'E') return named(4, static_cast<NamedKey>(c - 'A'), 0);
    return c < 0x20 || c >= 0x7F ? drop(3) : drop(4);
  }
  std::size_t j = 2;
  while (j < s.size() && isParamByte(static_cast<std::uint8_t>(s[j]))) ++j;
  const std::size_t paramEnd = j;
  while (j < s.size() && isIntermediate(static_cast<std::uint8_t>(s[j]))) ++j;
  if (j >= s.size()) return incomplete();
  const auto f = static_cast<std::uint8_t>(s[j]);
  if (!isFinal(f)) return drop(j);        // broken: drop what came so far, keep the odd byte
  if (paramEnd != j) return drop(j + 1);  // intermediates: no key uses them
  return interpretCsi(s.substr(2, paramEnd - 2), static_cast<char>(f), j + 1);
}

Step parseSs3(std::string_view s) {
  // s starts with ESC O
  std::size_t j = 2;
  while (j < s.size() && ((s[j] >= '0' && s[j] <= '9') || s[j] == ';')) ++j;
  if (j >= s.size()) return incomplete();
  const char f = s[j];
  const auto fb = static_cast<std::uint8_t>(f);
  if (fb < 0x40 || fb > 0x7E) return drop(j);
  std::array<int, 4> p;
  int count = 0;
  parseParams(s.substr(2, j - 2), p, count);
  // Old xterms and konsole put the modifier straight after O: ESC O 2 P.
  const int m = count >= 2 ? p[1] : p[0];
  const unsigned mods = modsFromParam(m);
  if (auto k = cursorFinal(f)) return named(j + 1, *k, mods);
  if (auto k = rxvtArrow(f)) return named(j + 1, *k, kCtrl);
  // The numeric keypad in application mode gives its characters.
  if (f == 'M') return character(j + 1, 13);
  if (f >= 'j' && f <= 'y') {
    static constexpr char kKeypad[] = "*+,-./0123456789";
    return character(j + 1, static_cast<std::uint8_t>(kKeypad[f - 'j']));
  }
  if (f == 'X') return character(j + 1, '=');
  return drop(j + 1);
}

Step parseUtf8(std::string_view s) {
  const auto b0 = static_cast<std::uint8_t>(s[0]);
  const std::size_t len = (b0 >> 5) == 6 ? 2 : (b0 >> 4) == 14 ? 3 : (b0 >> 3) == 30 ? 4 : 0;
  if (len == 0) return drop(1);
  for (std::size_t k = 1; k < len && k < s.size(); ++k)
    if ((static_cast<std::uint8_t>(s[k]) & 0xC0) != 0x80) return drop(k);
  if (s.size() < len) return incomplete();
  std::size_t i = 0;
  const char32_t cp = decodeUtf8(s.substr(0, len), i);
  const int b = cp737FromUnicode(cp);
  if (b >= 128) return character(len, static_cast<std::uint8_t>(b));
  return drop(len);  // a character the code page lacks: nothing is typed
}

Step parseOne(std::string_view s) {
  const auto b0 = static_cast<std::uint8_t>(s[0]);
  if (b0 == kEsc) {
    if (s.size() == 1) return incomplete();
    const auto b1 = static_cast<std::uint8_t>(s[1]);
    if (b1 == '[') return parseCsi(s);
    if (b1 == 'O') return parseSs3(s);
    // Alt held: ESC and then the key's own bytes.
    Step inner = parseOne(s.substr(1));
    if (inner.kind == Step::Incomplete) return inner;
    inner.consumed += 1;
    if (inner.key && inner.key->named) inner.key->mods |= kAlt;
    return inner;
  }
  if (b0 >= 0x80) return parseUtf8(s);
  if (b0 == 0x7F) return character(1, 8);  // the Backspace key of most terminals
  if (b0 == 0) return drop(1);             // Ctrl+Space: 0 would read as a prefix
  return character(1, b0);
}

}  // namespace

std::uint8_t extendedCode(NamedKey key, unsigned modifiers) {
  const auto& row = kExtendedCodes[static_cast<std::size_t>(key)];
  if (modifiers & kAlt) return row[3];
  if (modifiers & kCtrl) return row[2];
  if (modifiers & kShift) return row[1];
  return row[0];
}

void KeyDecoder::feed(std::uint8_t byte) {
  waitedMs_ = 0;
  if (discarding_) {
    if (isParamByte(byte) || isIntermediate(byte)) return;
    discarding_ = false;
    if (isFinal(byte)) return;
  }
  pending_.push_back(static_cast<char>(byte));
  while (!pending_.empty()) {
    const Step step = parseOne(pending_);
    if (step.kind == Step::Incomplete) {
      // No key is this long: drop it, and the rest of it up to its final byte.
      if (pending_.size() > 32) {
        pending_.clear();
        discarding_ = true;
      }
      return;
    }
    if (step.key) {
      const Decoded& d = *step.key;
      emit(d.named ? extendedKey(extendedCode(d.key, d.mods)) : charKey(d.ch));
    }
    pending_.erase(0, step.consumed);
  }
}

void KeyDecoder::elapsed(int ms) {
  if (ms > 0) waitedMs_ += ms;
  if (waitedMs_ < kEscapeTimeoutMs) return;
  discarding_ = false;
  if (pending_.empty()) return;
  // What a human can type alone: Escape, Escape twice, Alt+O. Anything else that stops
  // half way is a broken sequence and is dropped whole.
  if (pending_ == "\x1b") {
    emit(charKey(27));
  } else if (pending_ == "\x1b\x1b") {
    emit(charKey(27));
    emit(charKey(27));
  } else if (pending_ == "\x1bO") {
    emit(charKey('O'));
  }
  pending_.clear();
}

KeyEvent KeyDecoder::nextEvent() {
  const KeyEvent e = events_.front();
  events_.pop_front();
  return e;
}

}  // namespace orvenda
