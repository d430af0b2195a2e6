// The character table: every code the program shows, its glyph, and the compile-time
// conversion of Greek literals.
#include <gtest/gtest.h>

#include <string>

#include "console/console_screen.h"
#include "console/cp737.h"
#include "console/headless_backend.h"

namespace orvenda {
namespace {

std::string glyphsOf(int first, int last) {
  std::string bytes;
  for (int i = first; i <= last; ++i) bytes.push_back(static_cast<char>(i));
  return cp737ToUtf8(bytes);
}

TEST(Cp737, CharacterTableShowsEveryCodeAsDocumented) {
  EXPECT_EQ(glyphsOf(24, 27), "↑↓→←");
  std::string ascii;
  for (int i = 32; i <= 126; ++i) ascii.push_back(static_cast<char>(i));
  EXPECT_EQ(glyphsOf(32, 126), ascii);
  EXPECT_EQ(glyphsOf(128, 151), "ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ");
  EXPECT_EQ(glyphsOf(152, 175), "αβγδεζηθικλμνξοπρσςτυφχψ");
  EXPECT_EQ(glyphsOf(224, 233), "ωάέήϊίόύϋώ");
  EXPECT_EQ(glyphsOf(251, 251), "√");
  // 175 is the letter psi, not a graphic.
  EXPECT_EQ(glyphsOf(175, 175), "ψ");
}

TEST(Cp737, NoByteIsAControlCharacterOnTheTerminal) {
  for (int i = 0; i < 256; ++i) {
    const char32_t cp = kCp737ToUnicode[i];
    EXPECT_TRUE(cp >= 32 && cp != 127 && !(cp >= 0x80 && cp < 0xA0)) << "byte " << i;
  }
}

TEST(Cp737, EveryHighByteRoundTripsThroughUnicode) {
  for (int i = 128; i < 256; ++i) EXPECT_EQ(cp737FromUnicode(kCp737ToUnicode[i]), i) << i;
  EXPECT_EQ(cp737FromUnicode(U'é'), -1);
  EXPECT_EQ(cp737FromUnicode(U'\n'), -1);
}

TEST(Cp737, CompileTimeConversionGivesTheDocumentedBytes) {
  constexpr auto opseis = cp737("Οψεις");
  EXPECT_EQ(std::string(opseis.view()), std::string("\x8E\xAF\x9C\xA0\xAA"));
  constexpr auto planites = cp737("Πλανήτες");
  EXPECT_EQ(std::string(planites.view()), std::string("\x8F\xA2\x98\xA4\xE3\xAB\x9C\xAA"));
  constexpr auto gennisis = cp737("Γέννησης");
  const unsigned char expected[] = {130, 226, 164, 164, 158, 169, 158, 170};
  ASSERT_EQ(gennisis.length, sizeof expected);
  for (std::size_t i = 0; i < sizeof expected; ++i)
    EXPECT_EQ(static_cast<unsigned char>(gennisis.bytes[i]), expected[i]);
  // Latin parts, digits and line controls pass unchanged.
  constexpr auto mixed = cp737("F6-Γλώσσα\n\r");
  EXPECT_EQ(std::string(mixed.view()).substr(0, 3), "F6-");
  EXPECT_EQ(std::string(mixed.view()).substr(mixed.length - 2), "\n\r");
}

TEST(Cp737, RuntimeConversionCountsWhatTheCodePageLacks) {
  int missing = -1;
  EXPECT_EQ(utf8ToCp737("Αγνωστη", &missing), std::string("\x80\x9A\xA4\xE0\xA9\xAB\x9E"));
  EXPECT_EQ(missing, 0);
  EXPECT_EQ(utf8ToCp737("café€", &missing), "caf");
  EXPECT_EQ(missing, 2);
}

TEST(Cp737, GreekBytesWrittenThroughTheConsoleShowTheWord) {
  HeadlessBackend backend;
  ConsoleScreen con(backend);
  con.writeText("\x8E\xAF\x9C\xA0\xAA");
  EXPECT_EQ(con.grid().rowText(1, 1, 5), "Οψεις");
  // The arrows are cells, never cursor movements.
  con.setWindow(2, 3, 80, 25);
  con.writeFormatted("%c%c", 24, 26);
  EXPECT_EQ(con.grid().rowText(3, 2, 3), "↑→");
  EXPECT_EQ(con.cursor(), (Position{4, 3}));
}

}  // namespace
}  // namespace orvenda
