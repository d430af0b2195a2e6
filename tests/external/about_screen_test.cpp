// The About screens cell by cell, their keys, and the way back to the main screen.
#include <gtest/gtest.h>

#include "external/about_screen.h"
#include "support/program_harness.h"

namespace orvenda {
namespace {

using testing::ProgramHarness;

std::string rtrim(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

class AboutTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    h.layOutWorkingDirectory(GetParam());
    h.backend.extended(62);  // F4
  }
  int lang() const { return GetParam(); }
  ProgramHarness h;
};

TEST_P(AboutTest, LayoutRowByRow) {
  h.run();
  EXPECT_EQ(rtrim(h.shownRow(1)), "");
  EXPECT_EQ(rtrim(h.shownRow(2)), lang() == 0 ? " Orvenda 1.2" : " Orvenda 0.5");
  EXPECT_EQ(rtrim(h.shownRow(3)), "");
  EXPECT_EQ(h.shownRow(4, 1, 12), " Copyright (");
  if (lang() == 0) {
    EXPECT_EQ(rtrim(h.shownRow(6)), "");
    EXPECT_EQ(h.shownRow(7, 1, 18), " This program is p");
    EXPECT_EQ(rtrim(h.shownRow(17)), " Thank you for using Orvenda.");
  } else {
    EXPECT_EQ(h.shownRow(6, 1, 14), " Το πρόγραμμα ");
    // Wrapped at column 80 wherever the edge falls, through row 16.
    EXPECT_EQ(h.shownRow(6, 77, 80), "Μπορ");
    EXPECT_EQ(h.shownRow(7, 1, 4), "είτε");
    EXPECT_EQ(rtrim(h.shownRow(16)).substr(rtrim(h.shownRow(16)).size() - 7), "Orvenda");
    EXPECT_EQ(rtrim(h.shownRow(17)), "");
  }
  for (int r = 18; r <= 22; ++r) EXPECT_EQ(rtrim(h.shownRow(r)), "") << r;
  EXPECT_EQ(rtrim(h.shownRow(23)), " Homepage, Feedback");
  EXPECT_EQ(rtrim(h.shownRow(24)), "");
  EXPECT_EQ(rtrim(h.shownRow(25)), " Esc-Back");
}

TEST_P(AboutTest, KeyLettersInLightRedEverythingElseBlueOnWhite) {
  h.run();
  for (int r = 1; r <= 25; ++r) {
    for (int c = 1; c <= 80; ++c) {
      const bool key = (r == 23 && (c == 2 || c == 12)) || (r == 25 && c >= 1 && c <= 4);
      const TextAttribute a = h.shownAttr(c, r);
      if (key) {
        EXPECT_EQ(a, 0xFC) << c << "," << r;
      } else {
        EXPECT_TRUE(a == 0xF1 || a == 0xFF) << c << "," << r << ": " << int(a);
      }
    }
  }
  EXPECT_EQ(h.shownRow(23, 2, 2), "H");
  EXPECT_EQ(h.shownRow(23, 12, 12), "F");
}

TEST_P(AboutTest, LinkKeysRunTheirCommandsAndTheScreenStays) {
  h.backend.key('h');
  h.backend.key('h');
  h.backend.extended(72);   // Up acts as H
  h.backend.extended(104);  // Alt+F1 as h
  h.backend.extended(102);  // Ctrl+F9 as f
  h.backend.key('F');
  h.backend.key(13);
  h.backend.key('x');
  h.backend.key(8);
  h.run();
  const std::string home = homepageCommand(lang()), feedback = feedbackCommand(lang());
  const std::vector<std::string> expected = {home, home, home, home, feedback, feedback};
  EXPECT_EQ(std::vector<std::string>(h.shell.commands.begin() + 4, h.shell.commands.end()),
            expected);
  EXPECT_EQ(rtrim(h.shownRow(23)), " Homepage, Feedback");
}

TEST_P(AboutTest, EscapeEntersTheMainScreenWithoutReloadingTheRecord) {
  h.backend.key(27);
  h.backend.extended(80);
  h.backend.extended(62);
  h.backend.key(27);
  h.run();
  EXPECT_EQ(h.app.record.day, 6) << "the edit stays; the record was not reloaded";
  EXPECT_EQ(h.shownRow(9, 5, 8), lang() == 0 ? "Open" : "Ανoι");
}

INSTANTIATE_TEST_SUITE_P(EnglishAndGreek, AboutTest, ::testing::Values(0, 1));

TEST(AboutLinks, CommandsOfBothLanguages) {
  EXPECT_EQ(homepageCommand(0).rfind("start https://", 0), 0u);
  EXPECT_EQ(homepageCommand(1).rfind("start https://", 0), 0u);
  EXPECT_NE(homepageCommand(0), homepageCommand(1)) << "two different sites";
  const std::string contact = feedbackCommand(0);
  EXPECT_EQ(contact.substr(contact.size() - 23), "index.pl?action=contact");
  EXPECT_EQ(contact.substr(6, homepageCommand(0).size() - 6), homepageCommand(0).substr(6));
  const std::string mail = feedbackCommand(1);
  EXPECT_EQ(mail.rfind("start mailto:", 0), 0u);
  EXPECT_EQ(mail.substr(mail.size() - 16), "?subject=Orvenda");
}

TEST(AboutScreen, OtherLanguageDoesNothingOnF4) {
  ProgramHarness h;
  h.layOutWorkingDirectory(2);
  h.backend.extended(62);
  h.run();
  EXPECT_EQ(h.shownRow(1, 1, 25), " Orvenda   NAMES\\untitled");
}

// The main screen that Escape enters fails at once: the About screen reads keys again,
// without drawing itself.
TEST(AboutScreen, CarriesOnWhenTheMainScreenItEnteredFails) {
  ProgramHarness h;
  h.layOutWorkingDirectory();
  h.backend.extended(62);
  h.backend.key(27);
  h.backend.key('k');
  h.backend.key('h');
  // The second main screen (the one Escape enters) fails on zodcyber.
  int entries = 0;
  h.files.onRead = [&](std::string_view name) {
    if (name == "settings\\langpro" && ++entries == 2)
      h.files.refuseRead.insert("settings\\zodcyber");
  };
  h.run();
  EXPECT_EQ(h.shell.commands.back(), homepageCommand(0));
}

}  // namespace
}  // namespace orvenda
