// The folder settings\ and its small fixed-size binary files.
#pragma once

#include <array>
#include <cstdint>

namespace orvenda {

class FileSystem;

class SettingsStore {
 public:
  explicit SettingsStore(FileSystem& files) : files_(files) {}

  // settings\lonlat: six int32 (longitude and latitude in degrees, minutes, seconds).
  // False when it can't be opened; a short file leaves the values it does not reach.
  bool readDefaultPlace(std::array<std::int32_t, 6>& place);

 private:
  FileSystem& files_;
};

}  // namespace orvenda
