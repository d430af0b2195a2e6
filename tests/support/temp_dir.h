// A fresh directory for one test, removed afterwards, with helpers to lay out files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace orvenda::testing {

// A path from UTF-8 text on every platform (a narrow string alone means the ANSI code
// page on Windows).
inline std::filesystem::path fsPath(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

class TempDir {
 public:
  TempDir() {
    std::random_device random;
    for (;;) {
      const auto candidate =
          std::filesystem::temp_directory_path() /
          ("orvenda-test-" + std::to_string(random()) + std::to_string(random()));
      if (std::filesystem::create_directory(candidate)) {
        path_ = candidate.generic_string();
        break;
      }
    }
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& rel) const { return path_ + "/" + rel; }

  void mkdir(const std::string& rel) const {
    std::filesystem::create_directories(fsPath(*this / rel));
  }
  void write(const std::string& rel, const std::vector<std::uint8_t>& bytes) const {
    std::ofstream f(fsPath(*this / rel), std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  }
  std::vector<std::uint8_t> read(const std::string& rel) const {
    std::ifstream f(fsPath(*this / rel), std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
  }
  bool exists(const std::string& rel) const { return std::filesystem::exists(fsPath(*this / rel)); }
  std::vector<std::string> list(const std::string& rel) const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(fsPath(*this / rel)))
      names.push_back(e.path().filename().string());
    return names;
  }

 private:
  std::string path_;
};

inline std::vector<std::uint8_t> int32s(std::initializer_list<std::int32_t> values) {
  std::vector<std::uint8_t> out;
  for (std::int32_t v : values) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int k = 0; k < 4; ++k) out.push_back(static_cast<std::uint8_t>(u >> (8 * k)));
  }
  return out;
}

}  // namespace orvenda::testing
