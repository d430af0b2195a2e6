// Logical names as the program writes them, mapped onto POSIX paths.
#include <vector>

#include "console/cp737.h"
#include "platform/file_system.h"

namespace orvenda {

std::string platformPath(std::string_view logicalName) {
  // Components are resolved by name ("sub\..\x" is "x", "a\\b" is "a/b"), as the Windows
  // console resolves them, so that the folder check on a chart name and the file that is
  // opened always agree.
  std::vector<std::string> parts;
  std::string part;
  auto endPart = [&] {
    if (part == ".." && !parts.empty() && parts.back() != "..")
      parts.pop_back();
    else if (!part.empty() && part != ".")
      parts.push_back(part);
    part.clear();
  };
  for (char c : logicalName) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '\\' || c == '/')
      endPart();
    else if (b >= 128)
      appendUtf8(part, kCp737ToUnicode[b]);
    else
      part += c;
  }
  const bool trailingSlash = part.empty() && !logicalName.empty() &&
                             (logicalName.back() == '\\' || logicalName.back() == '/');
  endPart();
  std::string out;
  if (!logicalName.empty() && (logicalName.front() == '\\' || logicalName.front() == '/'))
    out += '/';
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += '/';
    out += parts[i];
  }
  if (trailingSlash && !parts.empty()) out += '/';
  return out;
}

}  // namespace orvenda
