// The Windows file system: logical names become wide paths (CP737 letters to Unicode), so
// a Greek chart name is a readable file name; writes replace the target atomically.
#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <set>
#include <string>

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

  bool isFolder(std::string_view name) override {
    const DWORD a = GetFileAttributesW(pathOf(name).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }

  bool write(std::string_view name, std::span<const std::uint8_t> bytes) override {
    const std::wstring path = pathOf(name);
    const DWORD attrs = GetFileAttributesW(path.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES &&
        (attrs & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
      return false;  // as a plain "wb" open would fail, the file stays as it is
    const std::wstring folder = path.substr(0, path.find_last_of(L"\\/") + 1);
    sweepOnce(folder);
    // A temporary of this process alone, created only if no file has its name, so that
    // two copies of the program in one folder never write into each other's.
    std::wstring temp;
    HANDLE f = INVALID_HANDLE_VALUE;
    for (int attempt = 0; f == INVALID_HANDLE_VALUE && attempt < 100; ++attempt) {
      temp = folder + kTempPrefix + std::to_wstring(GetCurrentProcessId()) + kTempMark +
             std::to_wstring(GetTickCount64() * 1000 + static_cast<unsigned>(++counter_));
      f = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                      nullptr);
      if (f == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (f == INVALID_HANDLE_VALUE) {
      // A folder that takes no new file: the target is written in place, as "wb" would.
      if (GetLastError() == ERROR_ACCESS_DENIED && attrs != INVALID_FILE_ATTRIBUTES)
        return writeInPlace(path, bytes);
      return false;
    }
    bool ok = writeAll(f, bytes);
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

  static bool writeAll(HANDLE f, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      DWORD n = 0;
      if (!WriteFile(f, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &n,
                     nullptr) ||
          n == 0)
        return false;
      done += n;
    }
    return true;
  }

  static bool writeInPlace(const std::wstring& path, std::span<const std::uint8_t> bytes) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    // Written over and then cut to length, so that the file is never seen empty.
    bool ok = writeAll(f, bytes) && SetEndOfFile(f);
    ok = FlushFileBuffers(f) && ok;
    CloseHandle(f);
    return ok;
  }

  // Temporaries left by a writer that died are removed once per folder; one whose process
  // still runs is left alone (and an open one can't be deleted anyway).
  void sweepOnce(const std::wstring& folder) {
    if (!swept_.insert(folder).second) return;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + kTempPrefix + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
      const std::wstring fileName = found.cFileName;
      const std::size_t start = std::wcslen(kTempPrefix);
      const std::size_t mark = fileName.find(kTempMark, start);
      if (mark == std::wstring::npos || mark == start) continue;
      const DWORD pid = static_cast<DWORD>(std::wcstoul(fileName.c_str() + start, nullptr, 10));
      HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
      const bool alive = process != nullptr && WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
      if (process != nullptr) CloseHandle(process);
      if (!alive || pid == GetCurrentProcessId()) DeleteFileW((folder + fileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }

  static constexpr const wchar_t* kTempPrefix = L".orvenda\u2023";
  static constexpr const wchar_t* kTempMark = L"\u2023";

  std::string root_;
  unsigned counter_ = 0;
  std::set<std::wstring> swept_;
};

}  // namespace

// Windows has no sticky folders; a link there is followed as any open follows it.
bool isPlantedLink(const std::string&) { return false; }

std::unique_ptr<FileSystem> openFileSystem(std::string root) {
  return std::make_unique<WindowsFileSystem>(std::move(root));
}

}  // namespace orvenda
