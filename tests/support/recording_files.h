// A file system that remembers which files were read and written, and can refuse some.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace orvenda::testing {

class RecordingFiles final : public FileSystem {
 public:
  explicit RecordingFiles(FileSystem& inner) : inner_(inner) {}

  std::optional<std::vector<std::uint8_t>> read(std::string_view name, std::size_t n) override {
    reads.emplace_back(name);
    if (onRead) onRead(name);
    if (refuseRead.count(std::string(name))) return std::nullopt;
    return inner_.read(name, n);
  }
  bool write(std::string_view name, std::span<const std::uint8_t> bytes) override {
    writes.emplace_back(name);
    if (refuseWrite.count(std::string(name))) return false;
    return inner_.write(name, bytes);
  }
  bool touch(std::string_view name) override {
    touches.emplace_back(name);
    if (refuseWrite.count(std::string(name))) return false;
    return inner_.touch(name);
  }

  std::vector<std::string> reads, writes, touches;
  std::set<std::string> refuseRead, refuseWrite;
  std::function<void(std::string_view)> onRead;  // runs before each read

 private:
  FileSystem& inner_;
};

}  // namespace orvenda::testing
