// The folder settings\ and its eleven fixed-size binary files: little-endian int32 and
// IEEE 754 doubles, no header, always read and written whole.
#pragma once

#include <array>
#include <cstdint>

namespace orvenda {

class FileSystem;

// The six one-integer settings, in the order the main screen reads them.
enum class IntSetting { Langpro, Langhor, Metaixmio, Zodcyber, Borderinter, Chrul };
inline constexpr std::array<IntSetting, 6> kMainScreenSettings = {
    IntSetting::Langpro,  IntSetting::Langhor,     IntSetting::Metaixmio,
    IntSetting::Zodcyber, IntSetting::Borderinter, IntSetting::Chrul};
const char* fileOf(IntSetting setting);

inline constexpr int kAspectCount = 18;
inline constexpr int kPlanetCount = 22;
inline constexpr int kPlanetValueCount = 44;  // 22 shown, then a block of 22 kept as read

struct AspectTable {
  std::array<double, kAspectCount> orbs{};           // settings\natasp, 144 bytes
  std::array<std::int32_t, kAspectCount> enabled{};  // settings\naaspset, 72 bytes
};

struct PlanetTable {
  std::array<double, kPlanetValueCount> values{};    // settings\natpl, 352 bytes
  std::array<std::int32_t, kPlanetCount> enabled{};  // settings\naplch, 88 bytes
};

// What a table save did: both files written, or the first that failed.
enum class TableSave { Saved, ValuesFailed, FlagsFailed };

// The message for the four table files, whichever of them failed, on standard output.
inline constexpr char kTableFileMessage[] = "\nDEN MPORO N ANOIXW TO ARXEIO   /settings/natasp\n\r";

class SettingsStore {
 public:
  explicit SettingsStore(FileSystem& files) : files_(files) {}

  // Each read returns false when the file can't be opened. A short file fills only what
  // it holds: the rest of the destination keeps its value. Bytes beyond the size are
  // ignored.
  bool read(IntSetting setting, std::int32_t& value);
  bool readDefaultPlace(std::array<std::int32_t, 6>& place);
  // The values file first; the flags file is not read when the first fails.
  bool readAspects(AspectTable& table);
  bool readPlanets(PlanetTable& table);

  // Each write replaces the whole file, or leaves it as it was and returns false.
  bool write(IntSetting setting, std::int32_t value);
  bool writeDefaultPlace(const std::array<std::int32_t, 6>& place);
  TableSave writeAspects(const AspectTable& table);
  TableSave writePlanets(const PlanetTable& table);

 private:
  template <typename T, std::size_t N>
  bool readArray(const char* name, std::array<T, N>& out);
  template <typename T, std::size_t N>
  bool writeArray(const char* name, const std::array<T, N>& values);

  FileSystem& files_;
};

}  // namespace orvenda
