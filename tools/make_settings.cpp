// Writes the settings files of a working directory.
//   orvenda-settings DIR                      all eleven files, English
//   orvenda-settings DIR greek                all eleven files, Greek screens and horoscopes
//   orvenda-settings DIR --language greek     only the two language files of DIR
//   orvenda-settings DIR --language english
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "config/default_settings.h"
#include "platform/file_system.h"

namespace {

int usage(const char* self, FILE* to = stderr) {
  std::fprintf(to, "usage: %s DIR [greek | --language greek|english]\n", self);
  return to == stderr ? 2 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace orvenda;
  if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0))
    return usage(argv[0], stdout);
  // An option where the folder belongs is a mistake, never a folder to fill with settings.
  if (argc < 2 || argc > 4 || argv[1][0] == '-') return usage(argv[0]);
  const std::string dir = argv[1];
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(dir) / "settings", ec);
  auto files = openFileSystem(dir);
  SettingsStore store(*files);
  if (argc == 4) {
    if (std::strcmp(argv[2], "--language") != 0) return usage(argv[0]);
    const bool greek = std::strcmp(argv[3], "greek") == 0;
    if (!greek && std::strcmp(argv[3], "english") != 0) return usage(argv[0]);
    const std::int32_t v = greek ? 1 : 0;
    if (!store.write(IntSetting::Langpro, v) || !store.write(IntSetting::Langhor, v)) {
      std::fprintf(stderr, "%s: could not write the language files in %s/settings\n", argv[0],
                   dir.c_str());
      return 1;
    }
    return 0;
  }
  DefaultSettings defaults;
  if (argc == 3) {
    if (std::strcmp(argv[2], "greek") != 0) return usage(argv[0]);
    defaults.programLanguage = 1;
    defaults.horoscopeLanguage = 1;
  }
  if (!writeDefaultSettings(store, defaults)) {
    std::fprintf(stderr, "%s: could not write the settings in %s/settings\n", argv[0], dir.c_str());
    return 1;
  }
  return 0;
}
