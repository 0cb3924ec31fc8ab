#include "editors/button_page_model.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "tests/editors/test_layouts.h"

namespace karvo::editors {
namespace {

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
  std::optional<ShortcutChoice> shortcut;
  std::optional<std::string> program;
  std::optional<ShortcutChoice> shownShortcut;
  std::optional<std::string> shownPath;
};

class ButtonPageTest : public ::testing::Test {
 protected:
  ButtonPageTest() : m_image(std::make_unique<settings::SettingsImage>()) {
    settings::ResetImage(m_image.get());
    for (int slot = 0; slot < settings::kProfileCount; ++slot) {
      settings::SetProfileDefaults(&m_image->Profiles[slot], slot);
    }
    m_image->CurrentProfile = kSlot;
  }
  settings::ProfileSettings& Profile() { return m_image->Profiles[kSlot]; }
  MacroKeyInfo& Record(int n) { return Profile().MacroKeys[n]; }
  int Changed(int n) const { return m_image->ButtonChanged[kSlot][n]; }
  ButtonPageModel Page(ButtonPageMode mode) {
    return ButtonPageModel(mode, *m_image, m_macros, m_layout);
  }
  // Opens button's catalogue and picks command.
  bool Choose(ButtonPageModel& page, int button, int command) {
    EXPECT_TRUE(page.OpenCatalogue(button).has_value());
    return page.OnCommand(command, m_dialogs);
  }

  static constexpr int kSlot = 2;
  std::unique_ptr<settings::SettingsImage> m_image;
  MacroList m_macros;
  testing::TestLayout m_layout;
  FakeDialogs m_dialogs;
};

TEST_F(ButtonPageTest, ModeSwitchOnMode1KeepsTheMode2RecordInStep) {
  const struct {
    const char* what;
    std::uint8_t mode2Before;
    int flagBefore;
    int command;
    bool cancel;
    int flagAfter;
    std::uint8_t mode2After;
    int mode2Changed;
  } cases[] = {
      {"set", 6, 0, 1045, false, 1, 45, 1},
      {"again", 45, 1, 1045, false, 1, 45, 0},
      {"cleared", 45, 1, 1001, false, 0, 6, 1},
      {"other code stays", 30, 0, 1001, false, 0, 30, 0},
      {"cleared although the dialog is cancelled", 45, 1, 1005, true, 0, 6, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
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
}

TEST_F(ButtonPageTest, AModeSwitchButtonIsClosedOnTheMode2Page) {
  ButtonPageModel mode1 = Page(ButtonPageMode::kMode1);
  ASSERT_TRUE(Choose(mode1, 3, 1045));
  EXPECT_EQ(mode1.Label(3).Bytes, "Modusumschalter");

  ButtonPageModel mode2 = Page(ButtonPageMode::kMode2);
  for (int button = 0; button < kButtonCount; ++button) {
    EXPECT_EQ(mode2.ButtonEnabled(button), button != 3) << button;
    EXPECT_TRUE(mode1.ButtonEnabled(button)) << button;
  }
  EXPECT_FALSE(mode2.OpenCatalogue(3).has_value());
  EXPECT_FALSE(mode2.OnCommand(1001, m_dialogs));
  EXPECT_EQ(Record(10).FunctionCode, 45);

  // Mode2 commands store into records 7..13 and leave the mode switches alone.
  ASSERT_TRUE(Choose(mode2, 4, 1001));
  EXPECT_EQ(Record(11).FunctionCode, 1);
  EXPECT_EQ(Changed(11), 1);
  EXPECT_EQ(Profile().ModeSwitchFlag[3], 1);
}

TEST_F(ButtonPageTest, ShortcutStoresKeyAndMaskFromTheDialog) {
  MacroKeyInfo& record = Record(1);
  record.FunctionCode = kCodeShortcut;
  record.EventCount = 1;
  record.Data[0] = 0x04;
  record.Data[1] = 0x06;
  record.Data[7] = 0x99;  // left over from an older assignment
  settings::SetFieldText(record.Name, "old");

  ButtonPageModel page = Page(ButtonPageMode::kMode1);
  ShortcutChoice answer;
  answer.KeyCode = 0x28;
  answer.Boxes = {true, true, false, false, false};  // "None" and Shift
  m_dialogs.shortcut = answer;
  ASSERT_TRUE(Choose(page, 1, kShortcutCommand));

  ASSERT_TRUE(m_dialogs.shownShortcut);
  EXPECT_EQ(m_dialogs.shownShortcut->KeyCode, 0x04);
  EXPECT_EQ(m_dialogs.shownShortcut->Boxes, (std::array<bool, 5>{false, true, true, false, false}));
  EXPECT_EQ(record.FunctionCode, kCodeShortcut);
  EXPECT_EQ(record.EventCount, 1);
  EXPECT_EQ(record.Data[0], 0x28);
  EXPECT_EQ(record.Data[1], 0x01);
  EXPECT_EQ(record.Data[7], 0);
  EXPECT_EQ(settings::FieldText(record.Name), "");
  EXPECT_EQ(page.Label(1).Bytes, "Enter");
  EXPECT_EQ(Changed(1), 1);
}

TEST_F(ButtonPageTest, ProgramPathIsOfferedAgainAndRefusedWhenItDoesNotFit) {
  ButtonPageModel page = Page(ButtonPageMode::kMode1);
  const std::string fits = "C:\\" + std::string(kMaxProgramPathLength - 9, 'p') + "\\a.exe";
  ASSERT_EQ(fits.size(), 259u);
  const struct {
    std::optional<std::string> answer;
    bool stored;
  } cases[] = {
      {"C:\\Games\\Run.exe", true}, {std::nullopt, false}, {fits + "x", false}, {fits, true}};
  std::string expected;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer.value_or("cancel").size());
    Record(2).FunctionCode = 1;
    std::memset(m_image->ButtonChanged, 0, sizeof m_image->ButtonChanged);
    m_dialogs.program = c.answer;
    page.OpenCatalogue(2);
    page.OnCommand(kProgramCommand, m_dialogs);
    // The dialog starts empty unless the button already starts a program.
    EXPECT_EQ(m_dialogs.shownPath, "");
    if (c.stored) expected = *c.answer;
    EXPECT_EQ(Record(2).FunctionCode, c.stored ? kCodeProgram : 1);
    EXPECT_EQ(settings::FieldText(Record(2).ProgramPath), expected);
    EXPECT_EQ(Changed(2), c.stored ? 1 : 0);
  }
  m_dialogs.program = std::nullopt;
  Choose(page, 2, kProgramCommand);
  EXPECT_EQ(m_dialogs.shownPath, expected);
  EXPECT_EQ(page.Label(2), (UiText{"a.exe", true}));
}

TEST_F(ButtonPageTest, AMacroIsCopiedWithinTheButtonsFieldsAndClearedByAnotherFunction) {
  auto macro = NewMacro(std::string(51, 'L'));  // longer than the button's 49 characters
  macro->EventCount = 3;
  macro->RepeatCount = 4;
  for (int i = 0; i < kMaxMacroEvents; ++i)
    macro->Events[i] = {4, 1, static_cast<std::uint16_t>(i)};
  m_macros.push_back(NewMacro("first"));
  m_macros.push_back(std::move(macro));
  settings::SetFieldText(Record(5).ProgramPath, "C:\\kept.exe");

  ButtonPageModel page = Page(ButtonPageMode::kMode1);
  const PopupMenu menu = *page.OpenCatalogue(5);
  ASSERT_EQ(menu.Entries[0].Submenu.size(), 2u);
  ASSERT_TRUE(page.OnCommand(menu.Entries[0].Submenu[1].Command, m_dialogs));
  MacroKeyInfo& record = Record(5);
  EXPECT_EQ(record.FunctionCode, kCodeMacro);
  EXPECT_EQ(settings::FieldText(record.Name), std::string(49, 'L'));
  EXPECT_EQ(record.EventCount, 3);
  EXPECT_EQ(record.RepeatCount, 4);
  EXPECT_EQ(std::memcmp(record.Data, m_macros[1]->Events, sizeof record.Data), 0);
  EXPECT_EQ(page.Label(5), (UiText{std::string(49, 'L'), true}));

  ASSERT_TRUE(Choose(page, 5, 1001));
  EXPECT_EQ(record.FunctionCode, 1);
  EXPECT_EQ(record.EventCount, 0);
  EXPECT_EQ(settings::FieldText(record.Name), "");
  EXPECT_EQ(std::count(std::begin(record.Data), std::end(record.Data), 0), 2000);
  EXPECT_EQ(settings::FieldText(record.ProgramPath), "C:\\kept.exe");

  // A macro that left the library since the menu was built changes nothing.
  EXPECT_FALSE(Choose(page, 5, kFirstMacroCommand + 2));
  EXPECT_EQ(record.FunctionCode, 1);
}

TEST_F(ButtonPageTest, CommandsOutsideThePagesRangeOrWithoutAButtonChangeNothing) {
  ButtonPageModel page = Page(ButtonPageMode::kMode2);
  EXPECT_FALSE(page.OnCommand(1001, m_dialogs));  // no catalogue opened
  for (int command : {0, 1, 1000, 37515}) {
    EXPECT_FALSE(Choose(page, 0, command)) << command;
  }
  EXPECT_EQ(Record(7).FunctionCode, settings::kButtonRecordDefaults[7].FunctionCode);
}

TEST_F(ButtonPageTest, ACurrentProfileThatNamesNoSlotIsNeverIndexed) {
  for (int slot : {-1, 5, 1 << 30}) {
    m_image->CurrentProfile = slot;
    ButtonPageModel page = Page(ButtonPageMode::kMode1);
    EXPECT_EQ(page.Label(0).Bytes, "");
    EXPECT_FALSE(page.ButtonEnabled(0));
    EXPECT_FALSE(page.OpenCatalogue(0).has_value());
    EXPECT_FALSE(page.OnCommand(1001, m_dialogs));
    page.SetLeftHanded(true);
    EXPECT_FALSE(page.LeftHanded());
  }
}

TEST_F(ButtonPageTest, HandednessFollowsSwapButtons) {
  ButtonPageModel page = Page(ButtonPageMode::kMode2);
  EXPECT_FALSE(page.LeftHanded());
  page.SetLeftHanded(true);
  EXPECT_EQ(Profile().SwapButtons, 1);
  EXPECT_TRUE(Page(ButtonPageMode::kMode1).LeftHanded());
  page.SetLeftHanded(false);
  EXPECT_EQ(Profile().SwapButtons, 0);
  // No changed flag: the apply compares.
  EXPECT_EQ(std::count(&m_image->ButtonChanged[0][0], &m_image->ButtonChanged[4][14], 1), 0);
}

}  // namespace
}  // namespace karvo::editors
