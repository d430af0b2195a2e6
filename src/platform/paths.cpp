// Logical names as the program writes them, mapped onto POSIX paths.
#include "console/cp737.h"
#include "platform/file_system.h"

namespace orvenda {

std::string platformPath(std::string_view logicalName) {
  std::string out;
  out.reserve(logicalName.size() * 2);
  for (char c : logicalName) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '\\')
      out += '/';
    else if (b >= 128)
      appendUtf8(out, kCp737ToUnicode[b]);
    else
      out += c;
  }
  return out;
}

}  // namespace orvenda
