// A fresh directory for one test, removed afterwards, with helpers to lay out files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace orvenda::testing {

class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "orvenda-test-XXXXXX").string();
    path_ = ::mkdtemp(tmpl.data());
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& rel) const { return path_ + "/" + rel; }

  void mkdir(const std::string& rel) const { std::filesystem::create_directories(*this / rel); }
  void write(const std::string& rel, const std::vector<std::uint8_t>& bytes) const {
    std::ofstream f(*this / rel, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  }
  std::vector<std::uint8_t> read(const std::string& rel) const {
    std::ifstream f(*this / rel, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
  }
  bool exists(const std::string& rel) const { return std::filesystem::exists(*this / rel); }
  std::vector<std::string> list(const std::string& rel) const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(*this / rel))
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
