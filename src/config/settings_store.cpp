// Reading and writing the settings files.
#include "config/settings_store.h"

#include "birth/birth_record.h"
#include "platform/file_system.h"

namespace orvenda {

bool SettingsStore::readDefaultPlace(std::array<std::int32_t, 6>& place) {
  const auto bytes = files_.read("settings\\lonlat", 24);
  if (!bytes) return false;
  for (std::size_t i = 0; i < place.size() && 4 * i + 4 <= bytes->size(); ++i)
    place[i] = getInt32(bytes->data() + 4 * i);
  return true;
}

}  // namespace orvenda
