// The Windows file system: logical names become wide paths (CP737 letters to Unicode), so
// a Greek chart name is a readable file name; writes replace the target atomically.
#include <windows.h>

#include <algorithm>

#include "console/cp737.h"
#include "platform/file_system.h"

namespace orvenda {
namespace {

class WindowsFileSystem final : public FileSystem {
 public:
  explicit WindowsFileSystem(std::string root) : root_(std::move(root)) {}

  std::optional<std::vector<std::uint8_t>> read(std::string_view name,
                                                std::size_t maxBytes) override {
    const std::wstring path = pathOf(name);
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return std::nullopt;
    std::vector<std::uint8_t> data(maxBytes);
    std::size_t got = 0;
    while (got < maxBytes) {
      DWORD n = 0;
      if (!ReadFile(f, data.data() + got, static_cast<DWORD>(maxBytes - got), &n, nullptr) ||
          n == 0)
        break;
      got += n;
    }
    CloseHandle(f);
    data.resize(got);
    return data;
  }

  bool write(std::string_view name, std::span<const std::uint8_t> bytes) override {
    const std::wstring path = pathOf(name);
    const DWORD attrs = GetFileAttributesW(path.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES &&
        (attrs & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
      return false;  // as a plain "wb" open would fail, the file stays as it is
    const std::wstring temp = path + L".orvenda-new";
    HANDLE f = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
      DWORD n = 0;
      ok =
          WriteFile(f, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &n, nullptr) &&
          n > 0;
      done += n;
    }
    ok = FlushFileBuffers(f) && ok;
    CloseHandle(f);
    ok = ok && MoveFileExW(temp.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) DeleteFileW(temp.c_str());
    return ok;
  }

  bool touch(std::string_view name) override {
    const std::wstring path = pathOf(name);
    HANDLE f = CreateFileW(path.c_str(), FILE_APPEND_DATA | GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    CloseHandle(f);
    return true;
  }

 private:
  std::wstring pathOf(std::string_view name) const {
    std::wstring out;
    if (!root_.empty() && root_ != ".") {
      for (char c : root_) out += static_cast<wchar_t>(static_cast<unsigned char>(c));
      out += L'\\';
    }
    for (char c : name) {
      const auto b = static_cast<unsigned char>(c);
      out += b >= 128 ? static_cast<wchar_t>(kCp737ToUnicode[b]) : static_cast<wchar_t>(b);
    }
    return out;
  }

  std::string root_;
};

}  // namespace

std::unique_ptr<FileSystem> openFileSystem(std::string root) {
  return std::make_unique<WindowsFileSystem>(std::move(root));
}

}  // namespace orvenda
