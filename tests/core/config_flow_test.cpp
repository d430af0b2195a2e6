// How the aspect and planet screens are reached from the main screen and hand back.
#include <gtest/gtest.h>

#include "support/program_harness.h"

namespace orvenda {
namespace {

using testing::ProgramHarness;

class ConfigFlowTest : public ::testing::Test {
 protected:
  void SetUp() override { h.layOutWorkingDirectory(); }
  int count(const std::string& name) const {
    int n = 0;
    for (const auto& r : h.files.reads) n += r == name;
    return n;
  }
  ProgramHarness h;
};

TEST_F(ConfigFlowTest, EscapeEntersTheMainScreenAnewWithoutReloadingTheRecord) {
  h.backend.extended(80);  // an unsaved edit: day 6
  h.backend.key('C');
  h.backend.key('+');
  h.backend.key(27);
  h.run();
  EXPECT_EQ(h.app.record.day, 6) << "the record in memory is kept";
  EXPECT_EQ(h.shownRow(9, 5, 8), "Open") << "the whole main screen is drawn again";
  EXPECT_EQ(count("settings\\langpro"), 2) << "and its settings read again";
  EXPECT_EQ(h.dir.read("settings/natasp"), std::vector<std::uint8_t>(144, 0));
}

TEST_F(ConfigFlowTest, SaveInThePlanetScreenWritesAndReturns) {
  h.backend.key('l');
  h.backend.extended(62);  // F4: houses on
  h.backend.key('s');
  h.run();
  const auto flags = h.dir.read("settings/naplch");
  ASSERT_EQ(flags.size(), 88u);
  EXPECT_EQ(flags[4 * 20], 1);
  EXPECT_EQ(flags[4 * 19], 0);
  EXPECT_EQ(h.shownRow(9, 5, 8), "Open");
}

TEST_F(ConfigFlowTest, F9ActsAsCAndOpensTheAspectScreen) {
  h.backend.extended(67);
  h.run();
  EXPECT_EQ(h.shownRow(1, 2, 18), "Configure Aspects");
}

TEST_F(ConfigFlowTest, GreekScreensFollowTheProgramLanguage) {
  h.setSetting("langpro", 1);
  h.backend.key('L');
  h.run();
  EXPECT_EQ(h.shownRow(1, 2, 20), "Διαμόρφωσε Πλανήτες");
}

TEST_F(ConfigFlowTest, MissingTableFileReportsAndTheMainScreenGoesOn) {
  std::filesystem::remove(h.dir / "settings/naaspset");
  h.backend.key('c');
  h.backend.key('k');
  h.backend.extended(80);
  h.run();
  bool message = false;
  for (int r = 1; r <= 25; ++r)
    message |= h.shownRow(r).find("DEN MPORO N ANOIXW TO ARXEIO   /settings/natasp") == 0;
  EXPECT_TRUE(message);
  EXPECT_EQ(h.app.record.day, 6) << "the key loop goes on";
  EXPECT_EQ(count("settings\\langpro"), 1) << "no file is read again";
}

// The screen hands over to a main screen that fails on its settings at once: the
// message, a key, and the aspect screen carries on with its working copy.
TEST_F(ConfigFlowTest, ScreenCarriesOnWhenTheMainScreenItEnteredFails) {
  h.files.onRead = [&](std::string_view name) {
    if (name == "settings\\naaspset") h.files.refuseRead.insert("settings\\chrul");
  };
  h.backend.key('c');
  h.backend.key('+');
  h.backend.key(27);   // enter the main screen: it fails on chrul
  h.backend.key('k');  // the message's key
  h.backend.key('+');
  h.run();
  EXPECT_EQ(h.shownRow(1, 2, 18), "Configure Aspects") << "the fixed part is still there";
  EXPECT_EQ(h.shownRow(4, 40, 41), " 2") << "the working copy, edited twice";
}

}  // namespace
}  // namespace orvenda
