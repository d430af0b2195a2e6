// The attribute arithmetic of setTextColor and setTextBackground, value by value and in
// the sequences the screens use.
#include <gtest/gtest.h>

#include "console/console_screen.h"
#include "console/headless_backend.h"

namespace orvenda {
namespace {

struct ColourCase {
  int value;
  int expected;  // the attribute after the call, starting from 0x00
};

class TextColorTest : public ::testing::TestWithParam<ColourCase> {};

TEST_P(TextColorTest, SetsForegroundAndBrightBackgroundOnly) {
  HeadlessBackend backend;
  ConsoleScreen con(backend, 0x00);
  con.setTextColor(GetParam().value);
  EXPECT_EQ(con.attribute(), GetParam().expected);
  // The background colour bits survive.
  ConsoleScreen con2(backend, 0x70);
  con2.setTextColor(GetParam().value);
  EXPECT_EQ(con2.attribute(), GetParam().expected | 0x70);
}

INSTANTIATE_TEST_SUITE_P(EveryValueTheScreensPass, TextColorTest,
                         ::testing::Values(ColourCase{1, 0x01}, ColourCase{2, 0x02},
                                           ColourCase{14, 0x0E}, ColourCase{15, 0x0F},
                                           ColourCase{128, 0x80}, ColourCase{129, 0x81},
                                           ColourCase{130, 0x82}, ColourCase{137, 0x89},
                                           ColourCase{140, 0x8C}, ColourCase{143, 0x8F},
                                           // only the low byte counts
                                           ColourCase{0x181, 0x81}, ColourCase{-127, 0x81}));

class TextBackgroundTest : public ::testing::TestWithParam<ColourCase> {};

TEST_P(TextBackgroundTest, SetsBackgroundBitsFourToSixOnly) {
  HeadlessBackend backend;
  ConsoleScreen con(backend, 0x8F);  // foreground and bit 7 must survive
  con.setTextBackground(GetParam().value);
  EXPECT_EQ(con.attribute(), GetParam().expected | 0x8F);
}

INSTANTIATE_TEST_SUITE_P(EveryValueTheScreensPass, TextBackgroundTest,
                         ::testing::Values(ColourCase{1, 0x10}, ColourCase{2, 0x20},
                                           ColourCase{137, 0x10}, ColourCase{143, 0x70},
                                           ColourCase{8, 0x00}, ColourCase{255, 0x70}));

TextAttribute afterClear(ConsoleScreen& con) {
  con.clearWindow();
  return con.grid().at(con.window().left, con.window().top).attr;
}

TEST(AttributeSequences, GiveTheDocumentedAttributes) {
  HeadlessBackend backend;
  ConsoleScreen con(backend);
  con.setTextBackground(143);
  con.setTextColor(143);
  EXPECT_EQ(afterClear(con), 0xFF);
  con.setTextColor(129);
  EXPECT_EQ(con.attribute(), 0xF1);
  con.setTextColor(140);
  EXPECT_EQ(con.attribute(), 0xFC);
  con.setTextColor(130);
  EXPECT_EQ(con.attribute(), 0xF2);
  con.setTextColor(128);
  EXPECT_EQ(con.attribute(), 0xF0);

  con.setTextBackground(1);
  con.setTextColor(1);
  EXPECT_EQ(afterClear(con), 0x11);
  con.setTextColor(15);
  EXPECT_EQ(con.attribute(), 0x1F);
  con.setTextColor(14);
  EXPECT_EQ(con.attribute(), 0x1E);

  con.setTextBackground(137);
  con.setTextColor(137);
  EXPECT_EQ(afterClear(con), 0x99);
  con.setTextColor(143);
  EXPECT_EQ(con.attribute(), 0x9F);
  // 14 clears bit 7: yellow on dark blue inside the light blue panel.
  con.setTextColor(14);
  EXPECT_EQ(con.attribute(), 0x1E);

  con.setTextBackground(2);
  con.setTextColor(2);
  EXPECT_EQ(afterClear(con), 0x22);
  con.setTextColor(15);
  EXPECT_EQ(con.attribute(), 0x2F);
}

TEST(AttributeSequences, BackgroundOf143OnDarkAttributeGivesWhiteOnLightGrey) {
  HeadlessBackend backend;
  ConsoleScreen con(backend, 0x1F);
  con.setTextBackground(143);
  EXPECT_EQ(con.attribute(), 0x7F);
  con.setTextColor(129);
  EXPECT_EQ(con.attribute(), 0xF1);
}

TEST(AttributeSequences, ColourAfterBlueOnWhiteGivesLightRed) {
  HeadlessBackend backend;
  ConsoleScreen con(backend, 0xF1);
  con.setTextColor(140);
  EXPECT_EQ(con.attribute(), 0xFC);
}

}  // namespace
}  // namespace orvenda
