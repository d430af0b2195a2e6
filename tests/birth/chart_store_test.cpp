// Chart files in NAMES: the 56-byte image on disk, short files, and names kept inside.
#include <gtest/gtest.h>

#include "birth/chart_store.h"
#include "platform/file_system.h"
#include "support/temp_dir.h"

namespace orvenda {
namespace {

using testing::TempDir;

TEST(ChartNames, StayInsideTheChartFolder) {
  EXPECT_TRUE(isAllowedChartName("untitled"));
  EXPECT_TRUE(isAllowedChartName("my chart"));
  EXPECT_TRUE(isAllowedChartName("clients\\anna"));
  EXPECT_TRUE(isAllowedChartName("..anna"));
  EXPECT_TRUE(isAllowedChartName("a..b"));
  EXPECT_TRUE(isAllowedChartName(std::string(69, 'x')));
  EXPECT_FALSE(isAllowedChartName(std::string(70, 'x')));
  EXPECT_FALSE(isAllowedChartName(""));
  EXPECT_FALSE(isAllowedChartName(".."));
  EXPECT_FALSE(isAllowedChartName("..\\settings\\langpro"));
  EXPECT_FALSE(isAllowedChartName("a\\..\\..\\x"));
  EXPECT_FALSE(isAllowedChartName("a/../../x"));
  EXPECT_FALSE(isAllowedChartName("sub\\..")) << "NAMES itself is no chart";
  EXPECT_FALSE(isAllowedChartName("sub\\..\\.."));
  // What stays inside NAMES is a chart name, however it is spelt: a leading separator is
  // NAMES\\ doubled, and ".." may come back down.
  EXPECT_TRUE(isAllowedChartName("\\lead"));
  EXPECT_TRUE(isAllowedChartName("\\etc\\passwd"));
  EXPECT_TRUE(isAllowedChartName("/etc/passwd"));
  EXPECT_TRUE(isAllowedChartName("sub\\..\\x"));
  EXPECT_TRUE(isAllowedChartName(".\\x"));
  EXPECT_FALSE(chartPathAllowed("settings\\langpro"));
  EXPECT_TRUE(chartPathAllowed("NAMES\\x"));
}

class ChartStoreTest : public ::testing::Test {
 protected:
  ChartStoreTest() : disk(openFileSystem(dir.path())), store(*disk) { dir.mkdir("NAMES"); }
  TempDir dir;
  std::unique_ptr<FileSystem> disk;
  ChartStore store;
};

TEST_F(ChartStoreTest, WrittenChartReadsBackTheSameValuesNegativeOnesIncluded) {
  const BirthRecord r{5, 3, 1980, 14, 7, 0, -4, 30, -180, 1, 2, -90, 3, 4};
  ASSERT_TRUE(store.write("NAMES\\anna", r));
  EXPECT_EQ(dir.read("NAMES/anna").size(), 56u);
  BirthRecord back = defaultBirthRecord;
  ASSERT_TRUE(store.read("NAMES\\anna", back));
  EXPECT_EQ(back, r);
}

TEST_F(ChartStoreTest, GreekNameIsAReadableFileName) {
  const std::string name = "NAMES\\\x82\xA0\xE9\xA8\x9A\xA6\xAA";  // Γιώργος in CP737
  ASSERT_TRUE(store.write(name, defaultBirthRecord));
  ASSERT_TRUE(store.createNotes(name));
  EXPECT_TRUE(dir.exists("NAMES/Γιώργος"));
  EXPECT_TRUE(dir.exists("NAMES/Γιώργος.txt"));
}

TEST_F(ChartStoreTest, ShortFileKeepsTheFieldsItDoesNotCover) {
  dir.write("NAMES/short", {9, 0, 0, 0, 11, 0, 0, 0, 0xC8});
  BirthRecord r = defaultBirthRecord;
  ASSERT_TRUE(store.read("NAMES\\short", r));
  EXPECT_EQ(r.day, 9);
  EXPECT_EQ(r.month, 11);
  EXPECT_EQ(r.year, 1970);
  EXPECT_EQ(r.latMinutes, 58);
}

TEST_F(ChartStoreTest, LongFileIsReadToItsFirst56Bytes) {
  std::vector<std::uint8_t> bytes(100, 0);
  bytes[0] = 3;
  bytes[56] = 99;
  dir.write("NAMES/long", bytes);
  BirthRecord r = defaultBirthRecord;
  ASSERT_TRUE(store.read("NAMES\\long", r));
  EXPECT_EQ(r, (BirthRecord{3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(ChartStoreTest, NamesOutsideTheFolderAreRefusedAndNothingIsWrittenElsewhere) {
  dir.mkdir("settings");
  dir.write("settings/langpro", {1, 0, 0, 0});
  for (const char* path :
       {"NAMES\\..\\settings\\langpro", "NAMES\\\\tmp\\x", "NAMES\\..", "settings\\langpro"}) {
    EXPECT_FALSE(store.write(path, defaultBirthRecord)) << path;
    EXPECT_FALSE(store.createNotes(path)) << path;
    BirthRecord r = defaultBirthRecord;
    EXPECT_FALSE(store.read(path, r)) << path;
  }
  EXPECT_EQ(dir.read("settings/langpro"), (std::vector<std::uint8_t>{1, 0, 0, 0}));
  EXPECT_EQ(dir.list("settings").size(), 1u);
  EXPECT_FALSE(store.write("NAMES\\" + std::string(70, 'n'), defaultBirthRecord));
  EXPECT_EQ(dir.list("NAMES").size(), 0u);
}

TEST_F(ChartStoreTest, BackslashReachesASubFolder) {
  dir.mkdir("NAMES/clients");
  ASSERT_TRUE(store.write("NAMES\\clients\\anna", defaultBirthRecord));
  EXPECT_TRUE(dir.exists("NAMES/clients/anna"));
  EXPECT_FALSE(store.write("NAMES\\nofolder\\anna", defaultBirthRecord));
  // A way round that ends inside NAMES is the file it ends at, existing folders or not.
  ASSERT_TRUE(store.write("NAMES\\nofolder\\..\\x", defaultBirthRecord));
  ASSERT_TRUE(store.write("NAMES\\\\lead", defaultBirthRecord));
  ASSERT_TRUE(store.createNotes("NAMES\\\\lead"));
  EXPECT_EQ(dir.read("NAMES/x").size(), 56u);
  EXPECT_EQ(dir.read("NAMES/lead").size(), 56u);
  EXPECT_TRUE(dir.exists("NAMES/lead.txt"));
}

TEST_F(ChartStoreTest, NotesFileIsCreatedEmptyAndNeverChanged) {
  dir.write("NAMES/anna.txt", {'h', 'i'});
  ASSERT_TRUE(store.createNotes("NAMES\\anna"));
  EXPECT_EQ(dir.read("NAMES/anna.txt"), (std::vector<std::uint8_t>{'h', 'i'}));
  ASSERT_TRUE(store.createNotes("NAMES\\bob"));
  EXPECT_EQ(dir.read("NAMES/bob.txt").size(), 0u);
}

}  // namespace
}  // namespace orvenda
