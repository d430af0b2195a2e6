// Reading and writing the settings files as raw little-endian arrays.
#include "config/settings_store.h"

#include <bit>
#include <cstring>
#include <vector>

#include "birth/birth_record.h"
#include "platform/file_system.h"

namespace orvenda {
namespace {

void putValue(std::uint8_t* out, std::int32_t v) { putInt32(out, v); }
void putValue(std::uint8_t* out, double v) {
  const auto u = std::bit_cast<std::uint64_t>(v);
  for (int k = 0; k < 8; ++k) out[k] = static_cast<std::uint8_t>(u >> (8 * k));
}
void getValue(const std::uint8_t* in, std::int32_t& v) { v = getInt32(in); }
void getValue(const std::uint8_t* in, double& v) {
  std::uint64_t u = 0;
  for (int k = 0; k < 8; ++k) u |= static_cast<std::uint64_t>(in[k]) << (8 * k);
  v = std::bit_cast<double>(u);
}

}  // namespace

const char* fileOf(IntSetting setting) {
  switch (setting) {
    case IntSetting::Langpro: return "settings\\langpro";
    case IntSetting::Langhor: return "settings\\langhor";
    case IntSetting::Metaixmio: return "settings\\metaixmio";
    case IntSetting::Zodcyber: return "settings\\zodcyber";
    case IntSetting::Borderinter: return "settings\\borderinter";
    case IntSetting::Chrul: return "settings\\chrul";
  }
  return "settings\\langpro";
}

template <typename T, std::size_t N>
bool SettingsStore::readArray(const char* name, std::array<T, N>& out) {
  const auto bytes = files_.read(name, sizeof(T) * N);
  if (!bytes) return false;
  for (std::size_t i = 0; i < N && sizeof(T) * (i + 1) <= bytes->size(); ++i)
    getValue(bytes->data() + sizeof(T) * i, out[i]);
  return true;
}

template <typename T, std::size_t N>
bool SettingsStore::writeArray(const char* name, const std::array<T, N>& values) {
  std::array<std::uint8_t, sizeof(T) * N> bytes{};
  for (std::size_t i = 0; i < N; ++i) putValue(bytes.data() + sizeof(T) * i, values[i]);
  return files_.write(name, bytes);
}

bool SettingsStore::read(IntSetting setting, std::int32_t& value) {
  std::array<std::int32_t, 1> one{value};
  if (!readArray(fileOf(setting), one)) return false;
  value = one[0];
  return true;
}

bool SettingsStore::write(IntSetting setting, std::int32_t value) {
  return writeArray(fileOf(setting), std::array<std::int32_t, 1>{value});
}

bool SettingsStore::readDefaultPlace(std::array<std::int32_t, 6>& place) {
  return readArray("settings\\lonlat", place);
}

bool SettingsStore::writeDefaultPlace(const std::array<std::int32_t, 6>& place) {
  return writeArray("settings\\lonlat", place);
}

bool SettingsStore::readAspects(AspectTable& table) {
  return readArray("settings\\natasp", table.orbs) &&
         readArray("settings\\naaspset", table.enabled);
}

bool SettingsStore::readPlanets(PlanetTable& table) {
  return readArray("settings\\natpl", table.values) && readArray("settings\\naplch", table.enabled);
}

TableSave SettingsStore::writeAspects(const AspectTable& table) {
  if (!writeArray("settings\\natasp", table.orbs)) return TableSave::ValuesFailed;
  if (!writeArray("settings\\naaspset", table.enabled)) return TableSave::FlagsFailed;
  return TableSave::Saved;
}

TableSave SettingsStore::writePlanets(const PlanetTable& table) {
  if (!writeArray("settings\\natpl", table.values)) return TableSave::ValuesFailed;
  if (!writeArray("settings\\naplch", table.enabled)) return TableSave::FlagsFailed;
  return TableSave::Saved;
}

}  // namespace orvenda
