// The eleven settings files: exact bytes and sizes, short and long files, missing files.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>

#include "config/settings_store.h"
#include "platform/file_system.h"
#include "support/recording_files.h"
#include "support/temp_dir.h"

namespace orvenda {
namespace {

using testing::int32s;
using testing::TempDir;

std::vector<std::uint8_t> doubles(std::initializer_list<double> values) {
  std::vector<std::uint8_t> out;
  for (double v : values) {
    const auto u = std::bit_cast<std::uint64_t>(v);
    for (int k = 0; k < 8; ++k) out.push_back(static_cast<std::uint8_t>(u >> (8 * k)));
  }
  return out;
}

class SettingsStoreTest : public ::testing::Test {
 protected:
  SettingsStoreTest() : disk(openFileSystem(dir.path())), store(*disk) { dir.mkdir("settings"); }
  TempDir dir;
  std::unique_ptr<FileSystem> disk;
  SettingsStore store;
};

TEST_F(SettingsStoreTest, EachOneIntegerSettingIsFourLittleEndianBytes) {
  const std::pair<IntSetting, const char*> files[] = {
      {IntSetting::Langpro, "langpro"},         {IntSetting::Langhor, "langhor"},
      {IntSetting::Metaixmio, "metaixmio"},     {IntSetting::Zodcyber, "zodcyber"},
      {IntSetting::Borderinter, "borderinter"}, {IntSetting::Chrul, "chrul"}};
  for (auto [setting, name] : files) {
    ASSERT_TRUE(store.write(setting, -2)) << name;
    EXPECT_EQ(dir.read(std::string("settings/") + name),
              (std::vector<std::uint8_t>{0xFE, 0xFF, 0xFF, 0xFF}))
        << name;
    std::int32_t v = 0;
    ASSERT_TRUE(store.read(setting, v));
    EXPECT_EQ(v, -2);
  }
}

TEST_F(SettingsStoreTest, ShortFileKeepsTheValueAndLongFileIsReadToItsSize) {
  dir.write("settings/metaixmio", {7, 0});
  std::int32_t v = 9;
  ASSERT_TRUE(store.read(IntSetting::Metaixmio, v));
  EXPECT_EQ(v, 9);
  dir.write("settings/metaixmio", {40, 0, 0, 0, 1, 2, 3, 4});
  ASSERT_TRUE(store.read(IntSetting::Metaixmio, v));
  EXPECT_EQ(v, 40);
  EXPECT_FALSE(store.read(IntSetting::Chrul, v));
  EXPECT_EQ(v, 40);
}

TEST_F(SettingsStoreTest, DefaultPlaceIsSixIntegers) {
  ASSERT_TRUE(store.writeDefaultPlace({-74, 0, 21, 40, 42, 46}));
  EXPECT_EQ(dir.read("settings/lonlat"), int32s({-74, 0, 21, 40, 42, 46}));
  std::array<std::int32_t, 6> place{9, 9, 9, 9, 9, 9};
  dir.write("settings/lonlat", int32s({1, 2, 3}));
  ASSERT_TRUE(store.readDefaultPlace(place));
  EXPECT_EQ(place, (std::array<std::int32_t, 6>{1, 2, 3, 9, 9, 9}));
}

TEST_F(SettingsStoreTest, AspectTablesAre144And72Bytes) {
  AspectTable t;
  for (int i = 0; i < kAspectCount; ++i) {
    t.orbs[i] = i + 0.25;
    t.enabled[i] = i % 2;
  }
  ASSERT_EQ(store.writeAspects(t), TableSave::Saved);
  const auto orbs = dir.read("settings/natasp");
  const auto flags = dir.read("settings/naaspset");
  ASSERT_EQ(orbs.size(), 144u);
  ASSERT_EQ(flags.size(), 72u);
  EXPECT_EQ(std::vector<std::uint8_t>(orbs.begin() + 8, orbs.begin() + 16), doubles({1.25}));
  EXPECT_EQ(std::vector<std::uint8_t>(flags.begin() + 4, flags.begin() + 8), int32s({1}));
  AspectTable back;
  ASSERT_TRUE(store.readAspects(back));
  EXPECT_EQ(back.orbs, t.orbs);
  EXPECT_EQ(back.enabled, t.enabled);
}

TEST_F(SettingsStoreTest, PlanetTablesAre352And88BytesWithTheSecondBlockKept) {
  PlanetTable t;
  for (int i = 0; i < kPlanetValueCount; ++i) t.values[i] = -9.09 + i;
  for (int i = 0; i < kPlanetCount; ++i) t.enabled[i] = 1;
  ASSERT_EQ(store.writePlanets(t), TableSave::Saved);
  ASSERT_EQ(dir.read("settings/natpl").size(), 352u);
  ASSERT_EQ(dir.read("settings/naplch").size(), 88u);
  PlanetTable back;
  ASSERT_TRUE(store.readPlanets(back));
  EXPECT_EQ(back.values, t.values);
}

TEST_F(SettingsStoreTest, ShortTableFileFillsOnlyItsLeadingPart) {
  dir.write("settings/natasp", doubles({3.5, 4.5}));
  dir.write("settings/naaspset", int32s({1}));
  AspectTable t;
  t.orbs.fill(7.0);
  t.enabled.fill(5);
  ASSERT_TRUE(store.readAspects(t));
  EXPECT_EQ(t.orbs[1], 4.5);
  EXPECT_EQ(t.orbs[2], 7.0);
  EXPECT_EQ(t.enabled[0], 1);
  EXPECT_EQ(t.enabled[1], 5);
}

TEST_F(SettingsStoreTest, MissingValuesFileStopsBeforeTheFlagsFile) {
  testing::RecordingFiles files(*disk);
  SettingsStore s(files);
  dir.write("settings/naaspset", int32s({1}));
  AspectTable t;
  EXPECT_FALSE(s.readAspects(t));
  EXPECT_EQ(files.reads, (std::vector<std::string>{"settings\\natasp"}));
  dir.write("settings/natpl", {});
  EXPECT_FALSE(s.readPlanets(*std::make_unique<PlanetTable>()));
}

TEST_F(SettingsStoreTest, FlagsFileThatCannotBeWrittenKeepsItsContents) {
  testing::RecordingFiles files(*disk);
  SettingsStore s(files);
  dir.write("settings/naaspset", int32s({0}));
  files.refuseWrite.insert("settings\\naaspset");
  AspectTable t;
  t.orbs[0] = 2.5;
  t.enabled.fill(1);
  EXPECT_EQ(s.writeAspects(t), TableSave::FlagsFailed);
  EXPECT_EQ(dir.read("settings/natasp").size(), 144u);
  EXPECT_EQ(dir.read("settings/naaspset"), int32s({0}));
  files.refuseWrite = {"settings\\natpl"};
  EXPECT_EQ(s.writePlanets(PlanetTable{}), TableSave::ValuesFailed);
  EXPECT_FALSE(dir.exists("settings/naplch")) << "the flags file is not touched";
}

TEST_F(SettingsStoreTest, OddValuesAreReadAsTheyAre) {
  dir.write("settings/natasp", doubles({NAN, -1e300, 1e-320}));
  dir.write("settings/naaspset", int32s({2, -7, INT32_MIN}));
  AspectTable t;
  ASSERT_TRUE(store.readAspects(t));
  EXPECT_TRUE(std::isnan(t.orbs[0]));
  EXPECT_EQ(t.enabled[2], INT32_MIN);
}

}  // namespace
}  // namespace orvenda
