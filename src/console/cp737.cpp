// Conversions between the console's CP737 bytes and UTF-8.
#include "console/cp737.h"

namespace orvenda {

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::string cp737ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char c : bytes) appendUtf8(out, kCp737ToUnicode[static_cast<unsigned char>(c)]);
  return out;
}

std::string utf8ToCp737(std::string_view utf8, int* unmapped) {
  std::string out;
  int missing = 0;
  std::size_t i = 0;
  while (i < utf8.size()) {
    const char32_t cp = decodeUtf8(utf8, i);
    const int b = cp737FromUnicode(cp);
    if (b < 0) {
      ++missing;
      continue;
    }
    out.push_back(static_cast<char>(b));
  }
  if (unmapped) *unmapped = missing;
  return out;
}

}  // namespace orvenda
