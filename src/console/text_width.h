// The columns a UTF-8 text takes in a terminal, and the text padded or cut to a column
// width: what the tool's tables line up by, whatever script a name is written in.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvenda {

std::size_t displayWidth(std::string_view utf8);
// The text with blanks after it to `width` columns.
std::string padded(std::string_view utf8, std::size_t width);
// The same, cut short with "…" where it is wider than width.
std::string fitted(std::string_view utf8, std::size_t width);

}  // namespace orvenda
