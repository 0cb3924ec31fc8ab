#include "editors/shortcut_rules.h"

#include <gtest/gtest.h>

#include "tests/editors/test_layouts.h"

namespace karvo::editors {
namespace {

TEST(ShortcutRules, NoneOverridesTheOtherBoxesWithoutForgettingThem) {
  const testing::TestLayout layout;
  ShortcutDialogModel dialog(ShortcutChoice{}, layout);
  dialog.SetBox(kBoxShift, true);
  dialog.SetBox(kBoxCtrl, true);
  dialog.SetBox(kBoxNone, true);
  const BoxView withNone[] = {
      {true, true}, {true, false}, {true, false}, {false, false}, {false, false}};
  for (int box = 0; box < kModifierBoxCount; ++box) {
    EXPECT_EQ(dialog.Box(box).Checked, withNone[box].Checked) << box;
    EXPECT_EQ(dialog.Box(box).Enabled, withNone[box].Enabled) << box;
  }
  EXPECT_EQ(ModifierMask(dialog.Choice().Boxes), 0x01);

  dialog.SetBox(kBoxNone, false);
  for (int box = 0; box < kModifierBoxCount; ++box) EXPECT_TRUE(dialog.Box(box).Enabled) << box;
  EXPECT_TRUE(dialog.Box(kBoxShift).Checked);
  EXPECT_TRUE(dialog.Box(kBoxCtrl).Checked);
  EXPECT_EQ(ModifierMask(dialog.Choice().Boxes), 0x06);
}

TEST(ShortcutRules, MaskAndBoxesMirrorEachOther) {
  for (int mask = 0; mask < 0x20; ++mask) {
    const auto boxes = BoxesFromMask(static_cast<std::uint8_t>(mask));
    EXPECT_EQ(ModifierMask(boxes), (mask & 1) ? 0x01 : mask) << mask;
  }
  EXPECT_EQ(BoxesFromMask(0xE0), (std::array<bool, kModifierBoxCount>{}));
}

TEST(ShortcutRules, TheLastKeyWithAKeyCodeWins) {
  const testing::TestLayout us;
  const struct {
    int virtualKey;
    bool taken;
    std::uint8_t keyCode;
    const char* name;
  } keys[] = {
      {0xA4, true, 0xE2, "Left Alt"}, {0x2C, true, 0x46, "Print Screen"},
      {0x0D, true, 0x28, "Enter"},    {0x1B, true, 0x29, "Esc"},
      {0x29, false, 0x29, "Esc"},  // Select has a name but no key code
      {0xFF, false, 0x29, "Esc"},
  };
  ShortcutChoice initial;
  initial.KeyCode = 0x04;
  ShortcutDialogModel dialog(initial, us);
  EXPECT_EQ(dialog.KeyName(), "A");
  for (const auto& key : keys) {
    SCOPED_TRACE(key.virtualKey);
    EXPECT_EQ(dialog.OnHookedKey(key.virtualKey), key.taken);
    EXPECT_EQ(dialog.Choice().KeyCode, key.keyCode);
    EXPECT_EQ(dialog.KeyName(), key.name);
  }
  EXPECT_EQ(ShortcutDialogModel(ShortcutChoice{}, us).KeyName(), "");

  // On a French keyboard A lies where Q lies on a US one.
  const testing::TestLayout azerty(true);
  ShortcutDialogModel french(ShortcutChoice{}, azerty);
  EXPECT_TRUE(french.OnHookedKey('A'));
  EXPECT_EQ(french.Choice().KeyCode, 0x14);
  EXPECT_EQ(french.KeyName(), "A");
}

}  // namespace
}  // namespace karvo::editors
