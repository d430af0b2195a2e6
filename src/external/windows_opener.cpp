// "start TARGET" on Windows: the shell's association opens the page, file or link. The
// target goes to ShellExecuteW as one argument, so no name is parsed by a command
// interpreter.
#include <windows.h>

#include <shellapi.h>

#include <string>

#include "console/cp737.h"
#include "external/desktop_opener.h"

namespace orvenda {
namespace {

class WindowsOpener final : public Opener {
 public:
  int open(std::string_view target) override {
    std::wstring wide;
    for (char c : target) {
      const auto b = static_cast<unsigned char>(c);
      wchar_t w = b >= 128 ? static_cast<wchar_t>(kCp737ToUnicode[b]) : static_cast<wchar_t>(b);
      wide += w == L'/' ? L'\\' : w;
    }
    // Links keep their slashes.
    if (target.find("://") != std::string_view::npos || target.rfind("mailto:", 0) == 0) {
      wide.clear();
      for (char c : target) wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
    }
    const auto rc = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return rc > 32 ? 0 : 1;
  }
};

}  // namespace

std::unique_ptr<Opener> createOpener(ConsoleScreen&) { return std::make_unique<WindowsOpener>(); }

}  // namespace orvenda
