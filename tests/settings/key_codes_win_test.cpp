#include "settings/key_codes_win.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace karvo::settings {
namespace {

bool UsLayoutActive() { return LOWORD(reinterpret_cast<UINT_PTR>(GetKeyboardLayout(0))) == 0x0409; }

TEST(SystemKeyboardLayout, LettersAndDigitsFollowTheUsPositions) {
  if (!UsLayoutActive()) GTEST_SKIP() << "keyboard layout is not US English";
  ASSERT_EQ(MapVirtualKeyA('A', 0), 0x1Eu);
  for (const KeyCodeRow& row : KeyCodeTable) {
    if (row.ScanCode == 0) continue;
    std::uint8_t code = 0;
    ASSERT_TRUE(VirtualKeyToKeyCode(row.VirtualKey, &code)) << row.VirtualKey;
    EXPECT_EQ(code, row.KeyCode) << "virtual key " << row.VirtualKey;
    int vk = 0;
    ASSERT_TRUE(KeyCodeToVirtualKey(row.KeyCode, &vk)) << row.KeyCode;
    EXPECT_EQ(vk, row.VirtualKey) << "key code " << row.KeyCode;
  }
}

TEST(SystemKeyboardLayout, KeysWithoutPositionUseTheTable) {
  struct Case {
    int vk;
    int keyCode;
  } cases[] = {{0x6C, 0x58}, {0x25, 0x50}, {0xA2, 0xE0}, {0x5C, 0xE7}, {0xF3, 0xF3}};
  for (const Case& c : cases) {
    std::uint8_t code = 0;
    ASSERT_TRUE(VirtualKeyToKeyCode(c.vk, &code)) << c.vk;
    EXPECT_EQ(code, c.keyCode) << c.vk;
    int vk = 0;
    ASSERT_TRUE(KeyCodeToVirtualKey(c.keyCode, &vk)) << c.keyCode;
    EXPECT_EQ(vk, c.vk) << c.keyCode;
  }
  std::uint8_t code = 0x11;
  EXPECT_FALSE(VirtualKeyToKeyCode(0x29, &code));
  EXPECT_EQ(code, 0);
  int vk = 0x11;
  EXPECT_FALSE(KeyCodeToVirtualKey(0x32, &vk));
  EXPECT_EQ(vk, 0);
}

TEST(SystemKeyboardLayout, EveryLetterLandsOnSomeLetterKey) {
  // Whatever the layout, a letter key is stored as the code of a letter position.
  for (int vk = 'A'; vk <= 'Z'; ++vk) {
    std::uint8_t code = 0;
    ASSERT_TRUE(VirtualKeyToKeyCode(vk, &code)) << vk;
    EXPECT_GE(code, 0x04) << vk;
    EXPECT_LE(code, 0x38) << vk;
  }
}

}  // namespace
}  // namespace karvo::settings
