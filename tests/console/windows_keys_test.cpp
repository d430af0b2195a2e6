// The Win32 console's keys without a character: every row of the extended-key table from
// the virtual key and the Shift, Ctrl and Alt state.
#include <gtest/gtest.h>
#include <windows.h>

#include "console/windows_console_backend.h"

namespace orvenda {
namespace {

struct Row {
  unsigned vk;
  int alone, shift, ctrl, alt;
};

TEST(WindowsKeys, EveryRowAloneShiftCtrlAlt) {
  const Row rows[] = {
      {VK_F1, 59, 84, 94, 104},      {VK_F2, 60, 85, 95, 105},     {VK_F3, 61, 86, 96, 106},
      {VK_F4, 62, 87, 97, 107},      {VK_F5, 63, 88, 98, 108},     {VK_F6, 64, 89, 99, 109},
      {VK_F7, 65, 90, 100, 110},     {VK_F8, 66, 91, 101, 111},    {VK_F9, 67, 92, 102, 112},
      {VK_F10, 68, 93, 103, 113},    {VK_F11, 133, 135, 137, 139}, {VK_F12, 134, 136, 138, 140},
      {VK_HOME, 71, 71, 119, 151},   {VK_UP, 72, 72, 141, 152},    {VK_PRIOR, 73, 73, 132, 153},
      {VK_LEFT, 75, 75, 115, 155},   {VK_RIGHT, 77, 77, 116, 157}, {VK_END, 79, 79, 117, 159},
      {VK_DOWN, 80, 80, 145, 160},   {VK_NEXT, 81, 81, 118, 161},  {VK_INSERT, 82, 82, 146, 162},
      {VK_DELETE, 83, 83, 147, 163},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(extendedCodeOf(r.vk, 0), r.alone) << r.vk;
    EXPECT_EQ(extendedCodeOf(r.vk, SHIFT_PRESSED), r.shift) << r.vk;
    EXPECT_EQ(extendedCodeOf(r.vk, LEFT_CTRL_PRESSED), r.ctrl) << r.vk;
    EXPECT_EQ(extendedCodeOf(r.vk, RIGHT_CTRL_PRESSED | SHIFT_PRESSED), r.ctrl) << r.vk;
    EXPECT_EQ(extendedCodeOf(r.vk, LEFT_ALT_PRESSED), r.alt) << r.vk;
    EXPECT_EQ(extendedCodeOf(r.vk, RIGHT_ALT_PRESSED | LEFT_CTRL_PRESSED), r.alt) << r.vk;
  }
}

TEST(WindowsKeys, ModifiersAloneAndOtherKeysGiveNothing) {
  for (unsigned vk : {unsigned{VK_SHIFT}, unsigned{VK_CONTROL}, unsigned{VK_MENU},
                      unsigned{VK_CAPITAL}, unsigned{VK_F13}, unsigned{VK_LWIN}})
    EXPECT_EQ(extendedCodeOf(vk, 0), 0) << vk;
}

}  // namespace
}  // namespace orvenda
