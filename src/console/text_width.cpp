// Terminal columns of UTF-8 text.
#include "console/text_width.h"

#include "console/cp737.h"

namespace orvenda {
namespace {

// Columns a character takes in a terminal: none for a combining mark, two for the wide
// characters of East Asian scripts, one for the rest.
std::size_t columnsOf(char32_t c) {
  if ((c >= 0x300 && c <= 0x36F) || (c >= 0x1AB0 && c <= 0x1AFF) || (c >= 0x20D0 && c <= 0x20FF))
    return 0;
  if ((c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
      (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
      (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
      (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD))
    return 2;
  return 1;
}

}  // namespace

std::size_t displayWidth(std::string_view utf8) {
  std::size_t width = 0;
  for (std::size_t i = 0; i < utf8.size();) width += columnsOf(decodeUtf8(utf8, i));
  return width;
}

std::string padded(std::string_view utf8, std::size_t width) {
  const std::size_t w = displayWidth(utf8);
  return std::string(utf8) + std::string(w >= width ? 0 : width - w, ' ');
}

std::string fitted(std::string_view utf8, std::size_t width) {
  if (displayWidth(utf8) <= width) return padded(utf8, width);
  // Cut at a character, leaving a column for the ellipsis that says so.
  std::string out;
  std::size_t used = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t start = i;
    const std::size_t w = columnsOf(decodeUtf8(utf8, i));
    if (used + w > width - 1) break;
    out.append(utf8.substr(start, i - start));
    used += w;
  }
  return padded(out + "\u2026", width);
}

}  // namespace orvenda
