#include "editors/button_page_model.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "tests/editors/test_layouts.h"

namespace karvo::editors {
namespace {

using skin::PopupMenu;
using skin::UiText;

using settings::MacroKeyInfo;

// Answers the page's dialogs as a user would, and notes what they were shown.
struct FakeDialogs : IButtonDialogs {
  std::optional<ShortcutChoice> RunShortcutDialog(const ShortcutChoice& initial) override {
    shownShortcut = initial;
    return shortcut;
  }
  std::optional<std::string> RunProgramDialog(const std::string& path) override {
    shownPath = path;
    return program;
  }
  std::optional<ShortcutChoice> shortcut, shownShortcut;
  std::optional<std::string> program, shownPath;
};

class ButtonPageTest : public ::testing::Test {
 protected:
  static constexpr int kSlot = 2;
  ButtonPageTest() : m_image(std::make_unique<settings::SettingsImage>()) {
    settings::ResetImage(m_image.get());
    settings::SetProfileDefaults(&m_image->Profiles[kSlot], kSlot);
    m_image->CurrentProfile = kSlot;
  }
  settings::ProfileSettings& Profile() { return m_image->Profiles[kSlot]; }
  MacroKeyInfo& Record(int n) { return Profile().MacroKeys[n]; }
  int Changed(int n) const { return m_image->ButtonChanged[kSlot][n]; }
  ButtonPageModel Page(ButtonPageMode mode) { return {mode, *m_image, m_macros, m_layout}; }
  bool Choose(ButtonPageModel& page, int button, int command) {
    EXPECT_TRUE(page.OpenCatalogue(button).has_value());
    return page.OnCommand(command, m_dialogs);
  }

  std::unique_ptr<settings::SettingsImage> m_image;
  MacroList m_macros;
  testing::TestLayout m_layout;
  FakeDialogs m_dialogs;
};

TEST_F(ButtonPageTest, ModeSwitchOnMode1KeepsTheMode2RecordInStep) {
  const struct {
    std::uint8_t mode2Before;
    int flagBefore, command;
    bool cancel;
    int flagAfter;
    std::uint8_t mode2After;
    int mode2Changed;
  } cases[] =
      {
          {6, 0, 1045, false, 1, 45, 1}, {45, 1, 1045, false, 1, 45, 0},
          {45, 1, 1001, false, 0, 6, 1}, {30, 0, 1001, false, 0, 30, 0},
          {45, 1, 1005, true, 0, 6, 1},  // cleared although the shortcut dialog is cancelled
      };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode2Before * 10000 + c.command);
    std::memset(m_image->ButtonChanged, 0, sizeof m_image->ButtonChanged);
    Record(3).FunctionCode = 9;
    Record(10).FunctionCode = c.mode2Before;
    Profile().ModeSwitchFlag[3] = c.flagBefore;
    m_dialogs.shortcut = c.cancel ? std::nullopt : std::optional<ShortcutChoice>{};
    ButtonPageModel page = Page(ButtonPageMode::kMode1);
    EXPECT_TRUE(Choose(page, 3, c.command));
    EXPECT_EQ(Profile().ModeSwitchFlag[3], c.flagAfter);
    EXPECT_EQ(Record(10).FunctionCode, c.mode2After);
    EXPECT_EQ(Changed(10), c.mode2Changed);
    EXPECT_EQ(Record(3).FunctionCode, c.cancel ? 9 : c.command - 1000);
    EXPECT_EQ(Changed(3), c.cancel ? 0 : 1);
  }

  // The Mode2 page closes the switch button and leaves the switches alone.
  ButtonPageModel mode2 = Page(ButtonPageMode::kMode2);
  Profile().ModeSwitchFlag[3] = 1;
  for (int button = 0; button < kButtonCount; ++button) {
    EXPECT_EQ(mode2.ButtonEnabled(button), button != 3) << button;
  }
  EXPECT_FALSE(mode2.OpenCatalogue(3).has_value());
  ASSERT_TRUE(Choose(mode2, 4, 1001));
  EXPECT_EQ(Record(11).FunctionCode, 1);
  EXPECT_EQ(Profile().ModeSwitchFlag[3], 1);
  EXPECT_EQ(Profile().ModeSwitchFlag[4], 0);
}

TEST_F(ButtonPageTest, ShortcutDialogShowsTheStoredChoiceAndItsAnswerIsStored) {
  MacroKeyInfo& record = Record(1);
  record.FunctionCode = kCodeShortcut;
  record.EventCount = 1;
  record.Data[0] = 0x04;
  record.Data[1] = 0x06;
  record.Data[7] = 0x99;  // left over from an older assignment
  settings::SetFieldText(record.Name, "old");
  m_dialogs.shortcut = ShortcutChoice{0x28, {true, true, false, false, false}};  // None, Shift

  ButtonPageModel page = Page(ButtonPageMode::kMode1);
  ASSERT_TRUE(Choose(page, 1, kShortcutCommand));
  EXPECT_EQ(m_dialogs.shownShortcut->KeyCode, 0x04);
  EXPECT_EQ(m_dialogs.shownShortcut->Boxes, (std::array<bool, 5>{false, true, true, false, false}));
  const std::uint8_t data[8] = {0x28, 0x01, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(record.Data, data, sizeof data), 0);
  EXPECT_EQ(record.EventCount, 1);
  EXPECT_EQ(settings::FieldText(record.Name), "");
  EXPECT_EQ(page.Label(1).Bytes, "Enter");
}

TEST_F(ButtonPageTest, TheShortcutDialogsNoneBoxOverridesWithoutForgettingAndKeysNeedACode) {
  ShortcutDialogModel dialog(ShortcutChoice{0x04, {}}, m_layout);
  EXPECT_EQ(dialog.KeyName(), "A");
  for (int box : {kBoxShift, kBoxCtrl, kBoxNone}) dialog.SetBox(box, true);
  const bool enabledWithNone[] = {true, false, false, false, false};
  const bool checked[] = {true, true, true, false, false};
  for (int box = 0; box < kModifierBoxCount; ++box) {
    EXPECT_EQ(dialog.Box(box).Enabled, enabledWithNone[box]) << box;
    EXPECT_EQ(dialog.Box(box).Checked, checked[box]) << box;
  }
  EXPECT_EQ(ModifierMask(dialog.Choice().Boxes), 0x01);
  dialog.SetBox(kBoxNone, false);
  EXPECT_TRUE(dialog.Box(kBoxWin).Enabled);
  EXPECT_EQ(ModifierMask(dialog.Choice().Boxes), 0x06);

  // Key by key, as the hook delivers them; keys without a key code are ignored.
  const struct {
    int virtualKey;
    bool taken;
    std::uint8_t keyCode;
    const char* name;
  } keys[] = {{0xA4, true, 0xE2, "Left Alt"}, {0x2C, true, 0x46, "Print Screen"},
              {0x0D, true, 0x28, "Enter"},    {0x1B, true, 0x29, "Esc"},
              {0x29, false, 0x29, "Esc"},  // Select: a name, no key code
              {0xFF, false, 0x29, "Esc"}};
  for (const auto& key : keys) {
    EXPECT_EQ(dialog.OnHookedKey(key.virtualKey), key.taken) << key.virtualKey;
    EXPECT_EQ(dialog.Choice().KeyCode, key.keyCode);
    EXPECT_EQ(dialog.KeyName(), key.name);
  }
  const testing::TestLayout azerty(true);
  ShortcutDialogModel french(ShortcutChoice{}, azerty);
  EXPECT_EQ(french.KeyName(), "");
  EXPECT_TRUE(french.OnHookedKey('A'));
  EXPECT_EQ(french.Choice().KeyCode, 0x14);
}

TEST_F(ButtonPageTest, ProgramPathIsOfferedAgainAndRefusedWhenItDoesNotFit) {
  ButtonPageModel page = Page(ButtonPageMode::kMode1);
  const std::string fits = "C:\\" + std::string(kMaxProgramPathLength - 9, 'p') + "\\a.exe";
  ASSERT_EQ(fits.size(), 259u);
  const std::pair<std::optional<std::string>, bool> answers[] = {
      {"C:\\Games\\Run.exe", true}, {std::nullopt, false}, {fits + "x", false}, {fits, true}};
  std::string stored;
  for (const auto& [answer, taken] : answers) {
    Record(2).FunctionCode = 1;
    std::memset(m_image->ButtonChanged, 0, sizeof m_image->ButtonChanged);
    m_dialogs.program = answer;
    Choose(page, 2, kProgramCommand);
    EXPECT_EQ(m_dialogs.shownPath, "");  // empty unless the button starts a program
    if (taken) stored = *answer;
    EXPECT_EQ(Record(2).FunctionCode, taken ? kCodeProgram : 1);
    EXPECT_EQ(settings::FieldText(Record(2).ProgramPath), stored);
    EXPECT_EQ(Changed(2), taken ? 1 : 0);
  }
  m_dialogs.program = std::nullopt;
  Choose(page, 2, kProgramCommand);
  EXPECT_EQ(m_dialogs.shownPath, stored);
  EXPECT_EQ(page.Label(2), (UiText{"a.exe", true}));
}

TEST_F(ButtonPageTest, AMacroIsCopiedWithinTheButtonsFieldsAndClearedByAnotherFunction) {
  m_macros.push_back(NewMacro("first"));
  m_macros.push_back(NewMacro(std::string(51, 'L')));  // longer than the button's 49
  m_macros[1]->EventCount = 3;
  m_macros[1]->RepeatCount = 4;
  std::memset(m_macros[1]->Events, 0x5A, sizeof m_macros[1]->Events);
  settings::SetFieldText(Record(5).ProgramPath, "C:\\kept.exe");

  ButtonPageModel page = Page(ButtonPageMode::kMode1);
  const PopupMenu menu = *page.OpenCatalogue(5);
  ASSERT_TRUE(page.OnCommand(menu.Entries[0].Submenu.at(1).Command, m_dialogs));
  MacroKeyInfo& record = Record(5);
  EXPECT_EQ(record.FunctionCode, kCodeMacro);
  EXPECT_EQ(page.Label(5), (UiText{std::string(49, 'L'), true}));
  EXPECT_EQ(record.EventCount, 3);
  EXPECT_EQ(record.RepeatCount, 4);
  EXPECT_EQ(std::memcmp(record.Data, m_macros[1]->Events, sizeof record.Data), 0);

  ASSERT_TRUE(Choose(page, 5, 1001));
  EXPECT_EQ(record.EventCount, 0);
  EXPECT_EQ(settings::FieldText(record.Name), "");
  EXPECT_EQ(std::count(std::begin(record.Data), std::end(record.Data), 0), 2000);
  EXPECT_EQ(settings::FieldText(record.ProgramPath), "C:\\kept.exe");
  // A macro that left the library since the menu was built changes nothing.
  EXPECT_FALSE(Choose(page, 5, kFirstMacroCommand + 2));
  EXPECT_EQ(record.FunctionCode, 1);
}

TEST_F(ButtonPageTest, ASlotChangedWhileADialogIsOpenTakesNeitherTheEditNorItsFlag) {
  // The monitor makes another slot current, or the block brings a damaged one, while the user
  // is still in the dialog.
  struct MovingDialogs : IButtonDialogs {
    std::optional<ShortcutChoice> RunShortcutDialog(const ShortcutChoice&) override {
      image->CurrentProfile = next;
      return ShortcutChoice{0x28, {}};
    }
    std::optional<std::string> RunProgramDialog(const std::string&) override {
      image->CurrentProfile = next;
      return "C:\\Run.exe";
    }
    settings::SettingsImage* image;
    int next;
  };
  for (const auto& [next, command] :
       {std::pair{4, kShortcutCommand}, std::pair{-1, kShortcutCommand},
        std::pair{1 << 30, kProgramCommand}}) {
    SCOPED_TRACE(next);
    m_image->CurrentProfile = kSlot;
    std::memset(m_image->ButtonChanged, 0, sizeof m_image->ButtonChanged);
    Record(6).FunctionCode = 1;
    MovingDialogs dialogs;
    dialogs.image = m_image.get();
    dialogs.next = next;
    ButtonPageModel page = Page(ButtonPageMode::kMode1);
    ASSERT_TRUE(page.OpenCatalogue(6).has_value());
    EXPECT_TRUE(page.OnCommand(command, dialogs));
    EXPECT_EQ(Record(6).FunctionCode, command - kFunctionCommandBase);
    EXPECT_EQ(Changed(6), 1);
    EXPECT_EQ(std::count(&m_image->ButtonChanged[0][0], &m_image->ButtonChanged[4][14], 1), 1);
    EXPECT_EQ(m_image->Profiles[4].MacroKeys[6].FunctionCode, 0) << "written into the new slot";
  }
}

TEST_F(ButtonPageTest, NothingIsIndexedOrChangedWithoutASlotAButtonOrAPageCommand) {
  ButtonPageModel page = Page(ButtonPageMode::kMode2);
  EXPECT_FALSE(page.OnCommand(1001, m_dialogs));  // no catalogue opened
  for (int command : {0, 1, 1000, 37515}) EXPECT_FALSE(Choose(page, 0, command)) << command;
  page.SetLeftHanded(true);  // the apply compares handedness: no changed flag
  EXPECT_EQ(Profile().SwapButtons, 1);
  EXPECT_EQ(std::count(&m_image->ButtonChanged[0][0], &m_image->ButtonChanged[4][14], 1), 0);
  for (int slot : {-1, 5, 1 << 30}) {
    m_image->CurrentProfile = slot;
    EXPECT_EQ(page.Label(0).Bytes, "");
    EXPECT_FALSE(page.OpenCatalogue(0).has_value());
    EXPECT_FALSE(page.OnCommand(1001, m_dialogs));
    EXPECT_FALSE(page.LeftHanded());
  }
}

}  // namespace
}  // namespace karvo::editors
