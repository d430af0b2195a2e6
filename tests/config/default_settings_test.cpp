// The settings a new working directory starts with: every file, its size and its values.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>

#include "birth/birth_record.h"
#include "config/default_settings.h"
#include "platform/file_system.h"
#include "support/temp_dir.h"

namespace orvenda {
namespace {

using testing::int32s;

std::vector<double> asDoubles(const std::vector<std::uint8_t>& bytes) {
  std::vector<double> out(bytes.size() / 8);
  std::memcpy(out.data(), bytes.data(), out.size() * 8);
  return out;
}

TEST(DefaultSettings, ElevenFilesOfTheirExactSizesAndDocumentedValues) {
  testing::TempDir dir;
  dir.mkdir("settings");
  auto files = openFileSystem(dir.path());
  SettingsStore store(*files);
  ASSERT_TRUE(writeDefaultSettings(store));
  EXPECT_EQ(dir.list("settings").size(), 11u);
  EXPECT_EQ(dir.read("settings/langpro"), int32s({0}));
  EXPECT_EQ(dir.read("settings/langhor"), int32s({0}));
  EXPECT_EQ(dir.read("settings/metaixmio"), int32s({2}));
  EXPECT_EQ(dir.read("settings/zodcyber"), int32s({0}));
  EXPECT_EQ(dir.read("settings/borderinter"), int32s({0}));
  EXPECT_EQ(dir.read("settings/chrul"), int32s({0}));
  EXPECT_EQ(dir.read("settings/lonlat"), int32s({23, 46, 0, 37, 58, 0}));
  EXPECT_EQ(asDoubles(dir.read("settings/natasp")),
            (std::vector<double>{8, 8, 7, 7, 5, 3, 2, 2, 2, 1.5, 1.5, 1, 1, 1, 1, 1, 1, 1}));
  EXPECT_EQ(dir.read("settings/naaspset"),
            int32s({1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  const auto planets = asDoubles(dir.read("settings/natpl"));
  ASSERT_EQ(planets.size(), 44u);
  EXPECT_EQ(
      std::vector<double>(planets.begin(), planets.begin() + 22),
      (std::vector<double>{10, 10, 7, 7, 7, 7, 7, 5, 5, 5, 3, 2, 2, 2, 2, 3, 2, 2, 2, 2, 8, 8}));
  EXPECT_EQ(std::vector<double>(planets.begin() + 22, planets.end()), std::vector<double>(22, 0.0));
  EXPECT_EQ(dir.read("settings/naplch"),
            int32s({1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 1}));
}

TEST(DefaultSettings, EveryStoredOrbSplitsIntoWholeCellsOfTheScreens) {
  // The defaults must show on the configuration screens exactly as documented.
  const DefaultSettings d;
  for (double v : d.aspects.orbs) EXPECT_EQ(v * 100, static_cast<int>(v * 100)) << v;
}

TEST(DefaultSettings, FailsWhenTheFolderIsMissing) {
  testing::TempDir dir;
  auto files = openFileSystem(dir.path());
  SettingsStore store(*files);
  EXPECT_FALSE(writeDefaultSettings(store));
}

}  // namespace
}  // namespace orvenda
