// The console's code page: CP737 (Greek) bytes inside the program, Unicode at the edges.
// Greek literals are written in the source as UTF-8 and turned into CP737 bytes at compile
// time, so a letter the code page lacks stops the build instead of showing as "?".
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvenda {

// The glyph each CP737 byte shows. 0..31 and 127 carry the PC glyphs (the arrows at
// 24..27 among them) so that no byte ever reaches a terminal as a control character.
inline constexpr std::array<char32_t, 256> kCp737ToUnicode = [] {
  std::array<char32_t, 256> t{};
  constexpr char32_t low[32] = {
      U' ',      U'\u263A', U'\u263B', U'\u2665', U'\u2666', U'\u2663', U'\u2660', U'\u2022',
      U'\u25D8', U'\u25CB', U'\u25D9', U'\u2642', U'\u2640', U'\u266A', U'\u266B', U'\u263C',
      U'\u25BA', U'\u25C4', U'\u2195', U'\u203C', U'\u00B6', U'\u00A7', U'\u25AC', U'\u21A8',
      U'\u2191', U'\u2193', U'\u2192', U'\u2190', U'\u221F', U'\u2194', U'\u25B2', U'\u25BC'};
  for (int i = 0; i < 32; ++i) t[i] = low[i];
  for (int i = 32; i < 127; ++i) t[i] = static_cast<char32_t>(i);
  t[127] = U'\u2302';
  constexpr char32_t high[128] = {
      // 0x80: capitals Alpha..Omega (no final sigma among the capitals)
      U'Α', U'Β', U'Γ', U'Δ', U'Ε', U'Ζ', U'Η', U'Θ', U'Ι', U'Κ', U'Λ', U'Μ', U'Ν', U'Ξ', U'Ο',
      U'Π', U'Ρ', U'Σ', U'Τ', U'Υ', U'Φ', U'Χ', U'Ψ', U'Ω',
      // 0x98: small alpha..psi, final sigma after sigma
      U'α', U'β', U'γ', U'δ', U'ε', U'ζ', U'η', U'θ', U'ι', U'κ', U'λ', U'μ', U'ν', U'ξ', U'ο',
      U'π', U'ρ', U'σ', U'ς', U'τ', U'υ', U'φ', U'χ', U'ψ',
      // 0xB0: shades and box drawing, as in the other PC code pages
      U'░', U'▒', U'▓', U'│', U'┤', U'╡', U'╢', U'╖', U'╕', U'╣', U'║', U'╗', U'╝', U'╜', U'╛',
      U'┐', U'└', U'┴', U'┬', U'├', U'─', U'┼', U'╞', U'╟', U'╚', U'╔', U'╩', U'╦', U'╠', U'═',
      U'╬', U'╧', U'╨', U'╤', U'╥', U'╙', U'╘', U'╒', U'╓', U'╫', U'╪', U'┘', U'┌', U'█', U'▄',
      U'▌', U'▐', U'▀',
      // 0xE0: omega, accented smalls, accented capitals, symbols
      U'ω', U'ά', U'έ', U'ή', U'ϊ', U'ί', U'ό', U'ύ', U'ϋ', U'ώ', U'Ά', U'Έ', U'Ή', U'Ί', U'Ό',
      U'Ύ', U'Ώ', U'±', U'≥', U'≤', U'Ϊ', U'Ϋ', U'÷', U'≈', U'°', U'∙', U'·', U'√', U'ⁿ', U'²',
      U'■', U'\u00A0'};
  for (int i = 0; i < 128; ++i) t[128 + i] = high[i];
  return t;
}();

// The CP737 byte for a code point, or -1 when the code page has none. Only printable
// characters count: control code points never map to the PC glyph bytes.
constexpr int cp737FromUnicode(char32_t cp) {
  if (cp >= 32 && cp < 127) return static_cast<int>(cp);
  if (cp < 128) return -1;
  for (int i = 128; i < 256; ++i)
    if (kCp737ToUnicode[i] == cp) return i;
  return -1;
}

// Decodes one UTF-8 sequence at s[i]; returns the code point and advances i, or
// returns 0xFFFFFFFF (and advances past the bad byte) on malformed input.
constexpr char32_t decodeUtf8(std::string_view s, std::size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  int len = b0 < 0x80 ? 1 : (b0 >> 5) == 6 ? 2 : (b0 >> 4) == 14 ? 3 : (b0 >> 3) == 30 ? 4 : 0;
  if (len == 0 || i + len > s.size()) {
    ++i;
    return 0xFFFFFFFF;
  }
  char32_t cp = len == 1 ? b0 : len == 2 ? (b0 & 0x1F) : len == 3 ? (b0 & 0x0F) : (b0 & 0x07);
  for (int k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return 0xFFFFFFFF;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  i += len;
  return cp;
}

void appendUtf8(std::string& out, char32_t cp);

// CP737 bytes to UTF-8 text, byte by byte through the glyph table.
std::string cp737ToUtf8(std::string_view bytes);

// UTF-8 text to CP737 bytes; characters the code page lacks are dropped and counted.
std::string utf8ToCp737(std::string_view utf8, int* unmapped = nullptr);

// A byte string made at compile time from a UTF-8 literal (see cp737 below).
template <std::size_t N>
struct EncodedText;

// A CP737 string made at compile time from a UTF-8 literal. Using a letter that CP737
// lacks is not a constant expression, so the build fails.
template <std::size_t N>
struct EncodedText {
  char bytes[N]{};
  std::size_t length = 0;
  constexpr const char* c_str() const { return bytes; }
  constexpr std::string_view view() const { return {bytes, length}; }
  constexpr operator std::string_view() const { return view(); }
};

// UTF-8 text through a code page's map (code point to byte, or -1 when it has none).
template <std::size_t N, typename Map>
constexpr EncodedText<N> encodeText(const char (&utf8)[N], Map map) {
  EncodedText<N> out;
  const std::string_view s(utf8, N - 1);
  std::size_t i = 0;
  while (i < s.size()) {
    const int b = map(decodeUtf8(s, i));
    if (b < 0) throw "a character that the code page does not hold";
    out.bytes[out.length++] = static_cast<char>(b);
  }
  out.bytes[out.length] = '\0';
  return out;
}

template <std::size_t N>
constexpr EncodedText<N> toCp737(const char (&utf8)[N]) {
  return encodeText(utf8, [](char32_t cp) {
    return cp == U'\n' || cp == U'\r' ? static_cast<int>(cp) : cp737FromUnicode(cp);
  });
}

template <std::size_t N>
consteval EncodedText<N> cp737(const char (&utf8)[N]) {
  return toCp737(utf8);
}

}  // namespace orvenda
