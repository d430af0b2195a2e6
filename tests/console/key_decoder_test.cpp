// The key decoder: every row of the extended-key table as the terminal families send it,
// the timing of a lone Escape, split and broken sequences, and UTF-8 input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/key_decoder.h"

namespace orvenda {
namespace {

struct KeyCase {
  const char* name;
  const char* bytes;
  int code;  // extended code, or -(character code) for a character key
};

std::vector<KeyEvent> decodeAll(std::string_view bytes, bool flush = true) {
  KeyDecoder d;
  d.feed(bytes);
  if (flush) d.elapsed(KeyDecoder::kEscapeTimeoutMs);
  std::vector<KeyEvent> out;
  while (d.hasEvent()) out.push_back(d.nextEvent());
  return out;
}

KeyEvent expected(int code) {
  return code < 0 ? charKey(static_cast<std::uint8_t>(-code))
                  : extendedKey(static_cast<std::uint8_t>(code));
}

void expectTable(const std::vector<KeyCase>& table) {
  for (const KeyCase& k : table) {
    const auto events = decodeAll(k.bytes);
    ASSERT_EQ(events.size(), 1u) << k.name;
    EXPECT_EQ(events[0], expected(k.code)) << k.name;
    // The same bytes arriving one at a time give the same key.
    KeyDecoder d;
    for (const char* p = k.bytes; *p; ++p) d.feed(static_cast<std::uint8_t>(*p));
    d.elapsed(KeyDecoder::kEscapeTimeoutMs);
    ASSERT_TRUE(d.hasEvent()) << k.name;
    EXPECT_EQ(d.nextEvent(), expected(k.code)) << k.name << " byte by byte";
    EXPECT_FALSE(d.hasEvent()) << k.name;
  }
}

// xterm, VTE (GNOME Terminal), kitty's legacy mode and tmux with its xterm keys: SS3 for
// F1-F4 alone, CSI with the modifier parameter (2 Shift, 3 Alt, 5 Ctrl) otherwise.
TEST(KeyDecoder, XtermFamilyEveryRowAloneShiftCtrlAlt) {
  expectTable({
      {"F1", "\x1bOP", 59},
      {"Shift+F1", "\x1b[1;2P", 84},
      {"Ctrl+F1", "\x1b[1;5P", 94},
      {"Alt+F1", "\x1b[1;3P", 104},
      {"F2", "\x1bOQ", 60},
      {"Shift+F2", "\x1b[1;2Q", 85},
      {"Ctrl+F2", "\x1b[1;5Q", 95},
      {"Alt+F2", "\x1b[1;3Q", 105},
      {"F3", "\x1bOR", 61},
      {"Shift+F3", "\x1b[1;2R", 86},
      {"Ctrl+F3", "\x1b[1;5R", 96},
      {"Alt+F3", "\x1b[1;3R", 106},
      {"F4", "\x1bOS", 62},
      {"Shift+F4", "\x1b[1;2S", 87},
      {"Ctrl+F4", "\x1b[1;5S", 97},
      {"Alt+F4", "\x1b[1;3S", 107},
      {"F5", "\x1b[15~", 63},
      {"Shift+F5", "\x1b[15;2~", 88},
      {"Ctrl+F5", "\x1b[15;5~", 98},
      {"Alt+F5", "\x1b[15;3~", 108},
      {"F6", "\x1b[17~", 64},
      {"Shift+F6", "\x1b[17;2~", 89},
      {"Ctrl+F6", "\x1b[17;5~", 99},
      {"Alt+F6", "\x1b[17;3~", 109},
      {"F7", "\x1b[18~", 65},
      {"Shift+F7", "\x1b[18;2~", 90},
      {"Ctrl+F7", "\x1b[18;5~", 100},
      {"Alt+F7", "\x1b[18;3~", 110},
      {"F8", "\x1b[19~", 66},
      {"Shift+F8", "\x1b[19;2~", 91},
      {"Ctrl+F8", "\x1b[19;5~", 101},
      {"Alt+F8", "\x1b[19;3~", 111},
      {"F9", "\x1b[20~", 67},
      {"Shift+F9", "\x1b[20;2~", 92},
      {"Ctrl+F9", "\x1b[20;5~", 102},
      {"Alt+F9", "\x1b[20;3~", 112},
      {"F10", "\x1b[21~", 68},
      {"Shift+F10", "\x1b[21;2~", 93},
      {"Ctrl+F10", "\x1b[21;5~", 103},
      {"Alt+F10", "\x1b[21;3~", 113},
      {"F11", "\x1b[23~", 133},
      {"Shift+F11", "\x1b[23;2~", 135},
      {"Ctrl+F11", "\x1b[23;5~", 137},
      {"Alt+F11", "\x1b[23;3~", 139},
      {"F12", "\x1b[24~", 134},
      {"Shift+F12", "\x1b[24;2~", 136},
      {"Ctrl+F12", "\x1b[24;5~", 138},
      {"Alt+F12", "\x1b[24;3~", 140},
      {"Home", "\x1b[H", 71},
      {"Shift+Home", "\x1b[1;2H", 71},
      {"Ctrl+Home", "\x1b[1;5H", 119},
      {"Alt+Home", "\x1b[1;3H", 151},
      {"Up", "\x1b[A", 72},
      {"Shift+Up", "\x1b[1;2A", 72},
      {"Ctrl+Up", "\x1b[1;5A", 141},
      {"Alt+Up", "\x1b[1;3A", 152},
      {"PageUp", "\x1b[5~", 73},
      {"Shift+PageUp", "\x1b[5;2~", 73},
      {"Ctrl+PageUp", "\x1b[5;5~", 132},
      {"Alt+PageUp", "\x1b[5;3~", 153},
      {"Left", "\x1b[D", 75},
      {"Shift+Left", "\x1b[1;2D", 75},
      {"Ctrl+Left", "\x1b[1;5D", 115},
      {"Alt+Left", "\x1b[1;3D", 155},
      {"Right", "\x1b[C", 77},
      {"Shift+Right", "\x1b[1;2C", 77},
      {"Ctrl+Right", "\x1b[1;5C", 116},
      {"Alt+Right", "\x1b[1;3C", 157},
      {"End", "\x1b[F", 79},
      {"Shift+End", "\x1b[1;2F", 79},
      {"Ctrl+End", "\x1b[1;5F", 117},
      {"Alt+End", "\x1b[1;3F", 159},
      {"Down", "\x1b[B", 80},
      {"Shift+Down", "\x1b[1;2B", 80},
      {"Ctrl+Down", "\x1b[1;5B", 145},
      {"Alt+Down", "\x1b[1;3B", 160},
      {"PageDown", "\x1b[6~", 81},
      {"Shift+PageDown", "\x1b[6;2~", 81},
      {"Ctrl+PageDown", "\x1b[6;5~", 118},
      {"Alt+PageDown", "\x1b[6;3~", 161},
      {"Insert", "\x1b[2~", 82},
      {"Shift+Insert", "\x1b[2;2~", 82},
      {"Ctrl+Insert", "\x1b[2;5~", 146},
      {"Alt+Insert", "\x1b[2;3~", 162},
      {"Delete", "\x1b[3~", 83},
      {"Shift+Delete", "\x1b[3;2~", 83},
      {"Ctrl+Delete", "\x1b[3;5~", 147},
      {"Alt+Delete", "\x1b[3;3~", 163},
  });
}

TEST(KeyDecoder, XtermApplicationCursorModeAndOtherCombinations) {
  expectTable({
      {"Up (application mode)", "\x1bOA", 72},
      {"Down (application mode)", "\x1bOB", 80},
      {"Right (application mode)", "\x1bOC", 77},
      {"Left (application mode)", "\x1bOD", 75},
      {"Home (application mode)", "\x1bOH", 71},
      {"End (application mode)", "\x1bOF", 79},
      {"Ctrl+Shift+F1 takes the Ctrl column", "\x1b[1;6P", 94},
      {"Ctrl+Alt+Up takes the Alt column", "\x1b[1;7A", 152},
      {"Alt+Shift+F5 takes the Alt column", "\x1b[15;4~", 108},
      {"Meta counts as Alt", "\x1b[1;9A", 152},
      {"konsole's Shift+F1", "\x1bO2P", 84},
      {"old xterm's Ctrl+F3", "\x1bO5R", 96},
      {"Shift+Tab is Tab", "\x1b[Z", -9},
  });
}

// tmux and screen without xterm keys: Home and End in the VT220 form.
TEST(KeyDecoder, TmuxAndScreenKeys) {
  expectTable({
      {"Home", "\x1b[1~", 71},
      {"End", "\x1b[4~", 79},
      {"F1", "\x1bOP", 59},
      {"F5", "\x1b[15~", 63},
      {"Ctrl+Home", "\x1b[1;5H", 119},
      {"Alt+End", "\x1b[1;3F", 159},
  });
}

// rxvt: F1-F4 as 11~ .. 14~, Shift as "$", Ctrl as "^", Ctrl+Shift as "@", Shift+F3 ..
// Shift+F10 as F13 .. F20, Shift and Ctrl arrows in lower case, Alt as an ESC prefix.
TEST(KeyDecoder, RxvtEveryRowItCanSend) {
  expectTable({
      {"F1", "\x1b[11~", 59},
      {"F2", "\x1b[12~", 60},
      {"F3", "\x1b[13~", 61},
      {"F4", "\x1b[14~", 62},
      {"F5", "\x1b[15~", 63},
      {"F10", "\x1b[21~", 68},
      {"F11", "\x1b[23~", 133},
      {"F12", "\x1b[24~", 134},
      {"Shift+F3", "\x1b[25~", 86},
      {"Shift+F4", "\x1b[26~", 87},
      {"Shift+F5", "\x1b[28~", 88},
      {"Shift+F6", "\x1b[29~", 89},
      {"Shift+F7", "\x1b[31~", 90},
      {"Shift+F8", "\x1b[32~", 91},
      {"Shift+F9", "\x1b[33~", 92},
      {"Shift+F10", "\x1b[34~", 93},
      {"Shift+F11", "\x1b[23$", 135},
      {"Shift+F12", "\x1b[24$", 136},
      {"Ctrl+F1", "\x1b[11^", 94},
      {"Ctrl+F10", "\x1b[21^", 103},
      {"Ctrl+F11", "\x1b[23^", 137},
      {"Ctrl+F12", "\x1b[24^", 138},
      {"Ctrl+Shift+F1", "\x1b[11@", 94},
      {"Alt+F1", "\x1b\x1b[11~", 104},
      {"Alt+F12", "\x1b\x1b[24~", 140},
      {"Home", "\x1b[7~", 71},
      {"End", "\x1b[8~", 79},
      {"Shift+Home", "\x1b[7$", 71},
      {"Ctrl+Home", "\x1b[7^", 119},
      {"Alt+Home", "\x1b\x1b[7~", 151},
      {"Ctrl+End", "\x1b[8^", 117},
      {"Alt+End", "\x1b\x1b[8~", 159},
      {"Up", "\x1b[A", 72},
      {"Shift+Up",
       "\x1b["
       "a",
       72},
      {"Ctrl+Up",
       "\x1bO"
       "a",
       141},
      {"Alt+Up", "\x1b\x1b[A", 152},
      {"Down", "\x1b[B", 80},
      {"Shift+Down",
       "\x1b["
       "b",
       80},
      {"Ctrl+Down",
       "\x1bO"
       "b",
       145},
      {"Alt+Down", "\x1b\x1b[B", 160},
      {"Right", "\x1b[C", 77},
      {"Shift+Right",
       "\x1b["
       "c",
       77},
      {"Ctrl+Right",
       "\x1bO"
       "c",
       116},
      {"Alt+Right", "\x1b\x1b[C", 157},
      {"Left", "\x1b[D", 75},
      {"Shift+Left",
       "\x1b["
       "d",
       75},
      {"Ctrl+Left",
       "\x1bO"
       "d",
       115},
      {"Alt+Left", "\x1b\x1b[D", 155},
      {"PageUp", "\x1b[5~", 73},
      {"Shift+PageUp", "\x1b[5$", 73},
      {"Ctrl+PageUp", "\x1b[5^", 132},
      {"Alt+PageUp", "\x1b\x1b[5~", 153},
      {"PageDown", "\x1b[6~", 81},
      {"Shift+PageDown", "\x1b[6$", 81},
      {"Ctrl+PageDown", "\x1b[6^", 118},
      {"Alt+PageDown", "\x1b\x1b[6~", 161},
      {"Insert", "\x1b[2~", 82},
      {"Shift+Insert", "\x1b[2$", 82},
      {"Ctrl+Insert", "\x1b[2^", 146},
      {"Alt+Insert", "\x1b\x1b[2~", 162},
      {"Delete", "\x1b[3~", 83},
      {"Shift+Delete", "\x1b[3$", 83},
      {"Ctrl+Delete", "\x1b[3^", 147},
      {"Alt+Delete", "\x1b\x1b[3~", 163},
  });
}

// The Linux console: F1-F5 as ESC [[A .. ESC [[E; Shift+F1 and Shift+F2 are F11 and F12
// there, Shift+F3 .. Shift+F8 its F13 .. F18; Ctrl and Alt with a function key switch
// consoles and send nothing.
TEST(KeyDecoder, LinuxConsoleEveryRowItCanSend) {
  expectTable({
      {"F1", "\x1b[[A", 59},
      {"F2", "\x1b[[B", 60},
      {"F3", "\x1b[[C", 61},
      {"F4", "\x1b[[D", 62},
      {"F5", "\x1b[[E", 63},
      {"F6", "\x1b[17~", 64},
      {"F7", "\x1b[18~", 65},
      {"F8", "\x1b[19~", 66},
      {"F9", "\x1b[20~", 67},
      {"F10", "\x1b[21~", 68},
      {"F11", "\x1b[23~", 133},
      {"F12", "\x1b[24~", 134},
      {"Shift+F3", "\x1b[25~", 86},
      {"Shift+F8", "\x1b[32~", 91},
      {"Home", "\x1b[1~", 71},
      {"End", "\x1b[4~", 79},
      {"Insert", "\x1b[2~", 82},
      {"Delete", "\x1b[3~", 83},
      {"PageUp", "\x1b[5~", 73},
      {"PageDown", "\x1b[6~", 81},
      {"Up", "\x1b[A", 72},
      {"Down", "\x1b[B", 80},
      {"Left", "\x1b[D", 75},
      {"Right", "\x1b[C", 77},
      {"Alt+Up (ESC prefix)", "\x1b\x1b[A", 152},
  });
}

// ---- characters --------------------------------------------------------------------------

TEST(KeyDecoder, CharacterKeysGiveTheirByte) {
  expectTable({
      {"Enter", "\r", -13},
      {"Tab", "\t", -9},
      {"Ctrl+C", "\x03", -3},
      {"Ctrl+A", "\x01", -1},
      {"Ctrl+Z", "\x1a", -26},
      {"Backspace (DEL)", "\x7f", -8},
      {"Backspace (BS)", "\b", -8},
      {"semicolon", ";", -59},
      {"H", "H", -72},
      {"tilde", "~", -126},
      {"blank", " ", -32},
      {"Alt+o", "\x1bo", -'o'},
      {"Alt+Enter", "\x1b\r", -13},
      {"Alt+Backspace", "\x1b\x7f", -8},
      {"Alt+P (not a string sequence)", "\x1bP", -'P'},
      {"kitty CSI u Escape", "\x1b[27u", -27},
      {"kitty CSI u Ctrl+a", "\x1b[97;5u", -1},
      {"modifyOtherKeys Ctrl+Enter", "\x1b[27;5;13~", -13},
      {"keypad Enter (application)", "\x1bOM", -13},
      {"keypad plus", "\x1bOk", -'+'},
      {"keypad 7", "\x1bOw", -'7'},
  });
}

TEST(KeyDecoder, GreekLettersFromUtf8BecomeTheirCp737Byte) {
  expectTable({
      {"Alpha", "\xce\x91", -128},
      {"Omega", "\xce\xa9", -151},
      {"alpha", "\xce\xb1", -152},
      {"psi", "\xcf\x88", -175},
      {"final sigma", "\xcf\x82", -170},
      {"omega", "\xcf\x89", -224},
      {"omega tonos", "\xcf\x8e", -233},
      {"Alt+omega", "\x1b\xcf\x89", -224},
  });
  // What CP737 lacks is not typed: a Latin accent, an emoji, a lone continuation byte.
  EXPECT_TRUE(decodeAll("\xc3\xa9").empty());
  EXPECT_TRUE(decodeAll("\xf0\x9f\x98\x80").empty());
  EXPECT_TRUE(decodeAll("\x80").empty());
  // A broken sequence drops only itself: the next key is intact.
  EXPECT_EQ(decodeAll("\xce"
                      "a"),
            (std::vector<KeyEvent>{charKey('a')}));
}

TEST(KeyDecoder, NulIsDroppedSoItCannotPassForThePrefix) {
  EXPECT_TRUE(decodeAll(std::string_view("\0", 1)).empty());
}

// ---- timing ---------------------------------------------------------------------------------

TEST(KeyDecoder, LoneEscapeAfter25MsAndNotBefore) {
  KeyDecoder d;
  d.feed(0x1b);
  EXPECT_TRUE(d.waiting());
  EXPECT_EQ(d.msUntilTimeout(), 25);
  d.elapsed(24);
  EXPECT_FALSE(d.hasEvent());
  EXPECT_EQ(d.msUntilTimeout(), 1);
  d.elapsed(1);
  ASSERT_TRUE(d.hasEvent());
  EXPECT_EQ(d.nextEvent(), charKey(27));
  EXPECT_FALSE(d.waiting());
}

TEST(KeyDecoder, EscapeAt24MsGivesNothingAt25MsGivesEscape) {
  KeyDecoder d;
  d.feed(0x1b);
  d.elapsed(24);
  EXPECT_FALSE(d.hasEvent());
  KeyDecoder e;
  e.feed(0x1b);
  e.elapsed(25);
  EXPECT_TRUE(e.hasEvent());
}

TEST(KeyDecoder, SequenceSplitAcrossReadsIsJoined) {
  KeyDecoder d;
  d.feed("\x1b[1");
  d.elapsed(10);
  d.feed(";5");
  d.elapsed(20);  // each byte restarts the wait
  d.feed("P");
  ASSERT_TRUE(d.hasEvent());
  EXPECT_EQ(d.nextEvent(), extendedKey(94));
}

TEST(KeyDecoder, EscapeTwiceAndAltOGiveWhatWasTyped) {
  EXPECT_EQ(decodeAll("\x1b\x1b"), (std::vector<KeyEvent>{charKey(27), charKey(27)}));
  EXPECT_EQ(decodeAll("\x1bO"), (std::vector<KeyEvent>{charKey('O')}));
}

TEST(KeyDecoder, EscapeFollowedByAKeyIsThatKeyWithAlt) {
  EXPECT_EQ(decodeAll("\x1b"
                      "a\x1b[A"),
            (std::vector<KeyEvent>{charKey('a'), extendedKey(72)}));
}

// ---- what must never leak as typed characters ----------------------------------------------

TEST(KeyDecoder, UnknownAndBrokenSequencesAreDroppedWhole) {
  EXPECT_TRUE(decodeAll("\x1b[99~").empty());
  EXPECT_TRUE(decodeAll("\x1b[200~").empty()) << "bracketed paste markers";
  EXPECT_TRUE(decodeAll("\x1b[<0;10;5M").empty()) << "SGR mouse report";
  EXPECT_TRUE(decodeAll("\x1b[I\x1b[O").empty()) << "focus reports";
  EXPECT_TRUE(decodeAll("\x1b[?1;2c").empty()) << "device attributes";
  EXPECT_TRUE(decodeAll("\x1b[1;5").empty()) << "cut off, then silence";
  EXPECT_TRUE(decodeAll("\x1b[").empty());
  EXPECT_TRUE(decodeAll("\x1b[[Z").empty());
  EXPECT_TRUE(decodeAll("\x1bOZ").empty());
  EXPECT_TRUE(decodeAll("\x1b[1 q").empty()) << "intermediate bytes";
}

TEST(KeyDecoder, SequenceCutByAnotherKeepsTheSecond) {
  EXPECT_EQ(decodeAll("\x1b[1;\x1b[B"), (std::vector<KeyEvent>{extendedKey(80)}));
  EXPECT_EQ(decodeAll("\x1b[12\r"), (std::vector<KeyEvent>{charKey(13)}));
}

TEST(KeyDecoder, OverlongSequenceIsSwallowedToItsEnd) {
  std::string junk = "\x1b[";
  junk += std::string(5000, '7');
  junk += "~x";
  EXPECT_EQ(decodeAll(junk), (std::vector<KeyEvent>{charKey('x')}));
}

TEST(KeyDecoder, HugeParametersDoNotOverflow) {
  EXPECT_TRUE(decodeAll("\x1b[99999999999999999999;99999999999999999~").empty());
  EXPECT_EQ(decodeAll("\x1b[1;99999999999A"), (std::vector<KeyEvent>{extendedKey(72)}));
}

TEST(KeyDecoder, PastedTextArrivesAsKeysInOrder) {
  const auto events = decodeAll("Αθήνα 1\r");
  ASSERT_EQ(events.size(), 8u);
  EXPECT_EQ(events[0], charKey(128));
  EXPECT_EQ(events[2], charKey(227));
  EXPECT_EQ(events[5], charKey(' '));
  EXPECT_EQ(events[7], charKey(13));
}

TEST(KeyDecoder, ExtendedCodeTakesAltOverCtrlOverShift) {
  EXPECT_EQ(extendedCode(NamedKey::F1, 0), 59);
  EXPECT_EQ(extendedCode(NamedKey::F1, kShift), 84);
  EXPECT_EQ(extendedCode(NamedKey::F1, kShift | kCtrl), 94);
  EXPECT_EQ(extendedCode(NamedKey::F1, kShift | kCtrl | kAlt), 104);
  EXPECT_EQ(extendedCode(NamedKey::Delete, kCtrl), 147);
}

}  // namespace
}  // namespace orvenda
