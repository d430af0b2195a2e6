// Windows-1253, the code page of the Greek text that goes into HTML. Kept apart from the
// console's CP737: the same word has different bytes in the two.
#pragma once

#include <cstddef>

#include "console/cp737.h"

namespace orvenda {

constexpr int cp1253FromUnicode(char32_t cp) {
  if (cp < 128) return static_cast<int>(cp);
  if (cp >= 0x391 && cp <= 0x3A9 && cp != 0x3A2) return 0xC1 + static_cast<int>(cp - 0x391);
  if (cp >= 0x3AA && cp <= 0x3AB) return 0xDA + static_cast<int>(cp - 0x3AA);  // Ϊ Ϋ
  if (cp >= 0x3AC && cp <= 0x3AF) return 0xDC + static_cast<int>(cp - 0x3AC);  // ά έ ή ί
  if (cp == 0x3B0) return 0xE0;                                                // ΰ
  if (cp >= 0x3B1 && cp <= 0x3C9) return 0xE1 + static_cast<int>(cp - 0x3B1);  // α .. ω
  if (cp >= 0x3CA && cp <= 0x3CB) return 0xFA + static_cast<int>(cp - 0x3CA);  // ϊ ϋ
  if (cp >= 0x3CC && cp <= 0x3CE) return 0xFC + static_cast<int>(cp - 0x3CC);  // ό ύ ώ
  switch (cp) {
    case 0x386: return 0xA2;  // Ά
    case 0x388: return 0xB8;  // Έ
    case 0x389: return 0xB9;  // Ή
    case 0x38A: return 0xBA;  // Ί
    case 0x38C: return 0xBC;  // Ό
    case 0x38E: return 0xBE;  // Ύ
    case 0x38F: return 0xBF;  // Ώ
    case 0x390: return 0xC0;  // ΐ
    default: return -1;
  }
}

template <std::size_t N>
consteval EncodedText<N> cp1253(const char (&utf8)[N]) {
  return encodeText(utf8, cp1253FromUnicode);
}

}  // namespace orvenda
