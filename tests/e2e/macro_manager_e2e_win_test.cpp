// The installed configurator's macro manager used as a user would, with real clicks and keys:
// a macro recorded from keys typed in another process, edited, saved, put on a mouse button
// and played by the real monitor when the virtual mouse's button is pressed; and the manager's
// own dialogs, keys and ways of ending.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editors/button_page_model.h"
#include "editors/macro_editor.h"
#include "editors/macro_manager_model.h"
#include "editors/macro_store.h"
#include "settings/file_store_win.h"
#include "settings/key_codes_win.h"
#include "tests/e2e/configurator_driver_win.h"
#include "tests/e2e/events_hook_win.h"
#include "tests/e2e/macro_manager_driver_win.h"
#include "tests/e2e/transfer_suite_win.h"
#include "tests/support/input_win.h"
#include "tests/support/pump_win.h"

namespace karvo::e2e {
namespace {

using editors::kMacroManagerTitle;

constexpr DWORD kWindowTimeoutMs = 60000;  // bounds against hangs, never measured
constexpr DWORD kActionTimeoutMs = 30000;
constexpr int kMacroButton = 4;  // physical button 4: the fourth button of the Mode1 page

std::uint32_t Line(int event, std::uint16_t icon) {
  return (static_cast<std::uint32_t>(event) << 16) | icon;
}

struct NoDialogs final : editors::IButtonDialogs {
  std::optional<editors::ShortcutChoice> RunShortcutDialog(
      const editors::ShortcutChoice&) override {
    return std::nullopt;
  }
  std::optional<std::string> RunProgramDialog(const std::string&) override { return std::nullopt; }
};

class MacroManagerEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    std::optional<std::string> dist = DistDirectory();
    ASSERT_TRUE(dist) << "KARVO_DIST must name the install directory (make test-win sets it)";
    m_dir = std::make_unique<InstallDir>(*dist);
    ASSERT_TRUE(m_dir->Ok());
    ASSERT_TRUE(::CreateDirectoryA(m_dir->File("config").c_str(), nullptr) ||
                ::GetLastError() == ERROR_ALREADY_EXISTS);
  }

  void TearDown() override {
    m_configurator.reset();
    if (m_monitor && m_monitor->PostClose()) m_monitor->WaitExit(kWindowTimeoutMs);
    m_monitor.reset();
    m_dir.reset();
  }

  HWND OpenManager() {
    if (!m_configurator) {
      m_configurator = std::make_unique<testing::ChildProcess>(
          m_dir->File(platform::kConfiguratorExe), std::string{}, m_dir->Path());
      m_window = WaitForConfigurator(kWindowTimeoutMs);
    }
    if (!m_window) return nullptr;
    Click(m_window, "Macro Manager");
    HWND manager = WaitForTitle(kMacroManagerTitle, kActionTimeoutMs);
    if (manager) ::SetForegroundWindow(manager);
    return manager;
  }

  bool Until(const std::function<bool()>& done) { return testing::WaitFor(done, kActionTimeoutMs); }

  // What the mouse and the block hold, for a failed wait on the monitor's apply.
  std::string Diagnose(SharedBlockClient& block, const settings::SettingsImage& written) {
    auto now = NewImage();
    std::string text = "written: slot " + std::to_string(written.CurrentProfile) + " button flag " +
                       std::to_string(written.ButtonChanged[0][kMacroButton - 1]);
    if (block.Read(*now)) {
      text += "; block now: slot " + std::to_string(now->CurrentProfile) + " button flag " +
              std::to_string(now->ButtonChanged[0][kMacroButton - 1]) + " keyboard " +
              std::to_string(now->Profiles[0].HDDKeyboard);
    }
    text += "\nstate:\n" + Mousectl(*m_dir, "state").output;
    text += "\nreports:\n" + Mousectl(*m_dir, "reports").output;
    return text;
  }

  editors::MacroList Library() {
    settings::WinFileStore files;
    editors::MacroList list;
    editors::LoadMacros(files, m_dir->File("config\\sequence.dat"), list);
    return list;
  }

  std::unique_ptr<InstallDir> m_dir;
  std::unique_ptr<MonitorProcess> m_monitor;
  std::unique_ptr<testing::ChildProcess> m_configurator;
  HWND m_window = nullptr;
};

TEST_F(MacroManagerEndToEnd, ARecordedMacroPlaysItsKeysWithTheirPausesAsOftenAsItsLoopSays) {
  m_monitor = std::make_unique<MonitorProcess>(*m_dir);
  ASSERT_NE(m_monitor->Window(), nullptr);
  HWND manager = OpenManager();
  ASSERT_NE(manager, nullptr);
  HWND names = ControlAt(manager, ManagerControl("Macro_List_MacroName"));
  HWND events = ControlAt(manager, EditorControl("Action_List_key_sequence"));

  ASSERT_TRUE(ClickAt(manager, ManagerControl("BUTTON_New")));
  ASSERT_TRUE(testing::TypeKeys({'C', 'O', 'M', 'B', 'O', VK_RETURN}));
  ASSERT_TRUE(Until([&] { return ListValues(names).size() == 1 && ListSelection(names) == 0; }));

  // While it records, nothing but the record button takes a click. The controls are found
  // while they are enabled: a disabled window is not found by its place.
  std::vector<HWND> heldStill;
  for (const skin::SkinLayout& control :
       {ManagerControl("Exit"), ManagerControl("BUTTON_OK"), ManagerControl("BUTTON_Cancel"),
        ManagerControl("BUTTON_New"), ManagerControl("BUTTON_Delete"),
        ManagerControl("Macro_List_MacroName"), EditorControl("Record_Delay_ON_OFF"),
        EditorControl("Loop_times_ON_OFF"), EditorControl("Action_List_key_sequence")}) {
    heldStill.push_back(ControlAt(manager, control));
  }
  HWND record = ControlAt(manager, EditorControl("BUTTON_Start_Record"));
  auto enabled = [&](bool expected) {
    return std::all_of(heldStill.begin(), heldStill.end(),
                       [&](HWND c) { return (::IsWindowEnabled(c) != FALSE) == expected; });
  };
  ASSERT_TRUE(enabled(true));
  ASSERT_TRUE(ClickAt(manager, EditorControl("Record_Delay_ON_OFF")));
  ASSERT_TRUE(ClickAt(manager, EditorControl("BUTTON_Start_Record")));
  ASSERT_TRUE(Until([&] { return enabled(false); }));
  EXPECT_TRUE(::IsWindowEnabled(record));

  // A held briefly, a long rest, B held a little longer: three pauses of distinct lengths.
  const std::pair<WORD, bool> typed[] = {{'A', true}, {'A', false}, {'B', true}, {'B', false}};
  const DWORD restsMs[] = {100, 700, 300, 0};
  for (std::size_t i = 0; i < std::size(typed); ++i) {
    ASSERT_TRUE(testing::HoldKey(typed[i].first, typed[i].second));
    ::Sleep(restsMs[i]);
  }
  ASSERT_TRUE(Until([&] { return ListValues(events).size() == 7; }));
  ASSERT_TRUE(ClickAt(manager, EditorControl("BUTTON_Start_Record")));
  ASSERT_TRUE(Until([&] { return enabled(true); }));

  // A left click before the first event, from the context menu's mouse-event submenu.
  ASSERT_TRUE(ClickPoint(manager, EventLinePoint(0)));
  ASSERT_TRUE(ClickPoint(manager, EventLinePoint(0), MouseButton::kRight));
  ASSERT_TRUE(Until([&] { return ::FindWindowA("#32768", nullptr) != nullptr; }));
  ASSERT_TRUE(testing::TypeKeys(
      {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN}));
  ASSERT_TRUE(Until([&] { return ListValues(events).size() == 9; }));
  const std::vector<std::uint32_t> lines = {
      Line(1, editors::kMouseEventBitmap), Line(2, editors::kMouseEventBitmap),
      Line(3, editors::kKeyPressBitmap),   Line(3, editors::kPauseBitmap),
      Line(4, editors::kKeyReleaseBitmap), Line(4, editors::kPauseBitmap),
      Line(5, editors::kKeyPressBitmap),   Line(5, editors::kPauseBitmap),
      Line(6, editors::kKeyReleaseBitmap)};
  EXPECT_EQ(ListValues(events), lines);

  // Loop three times; 300 is more than the field allows and is written back as 255.
  ASSERT_TRUE(ClickAt(manager, EditorControl("Loop_times_ON_OFF")));
  HWND count = ControlAt(manager, EditorControl("EDIT_loop_Times"));
  ASSERT_TRUE(ClickAt(manager, EditorControl("EDIT_loop_Times")));
  // The field's whole text selected (End, then Shift+Home) and typed over.
  auto retype = [&](std::vector<WORD> keys) {
    return testing::TypeKeys({VK_END}) && testing::HoldKey(VK_SHIFT, true) &&
           testing::TypeKeys({VK_HOME}) && testing::HoldKey(VK_SHIFT, false) &&
           testing::TypeKeys(keys);
  };
  ASSERT_TRUE(retype({'3', '0', '0'}));
  EXPECT_TRUE(Until([&] { return TextOf(count) == "255"; })) << TextOf(count);
  ASSERT_TRUE(retype({'3'}));
  EXPECT_TRUE(Until([&] { return TextOf(count) == "3"; })) << TextOf(count);

  ASSERT_TRUE(ClickAt(manager, ManagerControl("BUTTON_OK")));
  ASSERT_TRUE(Until([&] { return !::IsWindow(manager); }));
  const editors::MacroList library = Library();
  ASSERT_EQ(library.size(), 1u);
  const editors::MacroRecord& macro = *library[0];
  EXPECT_STREQ(macro.Name, "combo");
  EXPECT_EQ(macro.RepeatCount, 3);
  ASSERT_EQ(macro.EventCount, 6);
  const std::pair<std::uint8_t, std::uint8_t> stored[] = {{0xF0, 1}, {0xF0, 2}, {0x04, 1},
                                                          {0x04, 2}, {0x05, 1}, {0x05, 2}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(macro.Events[i].KeyCode, stored[i].first) << i;
    EXPECT_EQ(macro.Events[i].Kind, stored[i].second) << i;
  }
  const editors::MacroEvent* keys = macro.Events + 2;
  EXPECT_EQ(macro.Events[0].Pause + macro.Events[1].Pause + keys[3].Pause, 0);
  EXPECT_GT(keys[0].Pause, 0);
  EXPECT_LT(keys[0].Pause, keys[2].Pause);
  EXPECT_LT(keys[2].Pause, keys[1].Pause);

  // On button 4 of the first slot as the button page puts it there, then applied.
  SharedBlockClient block;
  auto image = NewImage();
  ASSERT_TRUE(block.Read(*image));
  const settings::WinKeyboardLayout layout{};
  editors::ButtonPageModel page(editors::ButtonPageMode::kMode1, *image, library, layout);
  NoDialogs dialogs;
  ASSERT_TRUE(page.OpenCatalogue(kMacroButton - 1));
  ASSERT_TRUE(page.OnCommand(editors::kFirstMacroCommand, dialogs));
  const std::vector<std::uint8_t> mapBefore =
      ParseMouseState(Mousectl(*m_dir, "state").output).value_or(MouseState{}).buttons[0];
  ASSERT_TRUE(block.Write(*image));
  ASSERT_TRUE(::PostMessageA(m_monitor->Window(), kMsgApply, 0, 0));
  ASSERT_TRUE(Until([&] {
    std::optional<MouseState> state = ParseMouseState(Mousectl(*m_dir, "state").output);
    return state && !state->buttons[0].empty() && state->buttons[0] != mapBefore;
  })) << Diagnose(block, *image);

  KeyboardHook hook;
  ASSERT_TRUE(hook.Ok());
  ASSERT_EQ(Mousectl(*m_dir, "click " + std::to_string(kMacroButton)).exitCode, 0u);
  ASSERT_TRUE(hook.WaitForCount(12, kActionTimeoutMs));
  testing::Pump(500);
  std::vector<HookedKey> seen = hook.Keys();
  seen.erase(
      std::remove_if(seen.begin(), seen.end(), [](const HookedKey& k) { return !k.Injected; }),
      seen.end());
  ASSERT_EQ(seen.size(), 12u);
  for (std::size_t play = 0; play < 3; ++play) {
    const HookedKey* p = &seen[play * 4];
    for (std::size_t i = 0; i < 4; ++i) {
      EXPECT_EQ(p[i].VirtualKey, typed[i].first) << play << ":" << i;
      EXPECT_EQ(p[i].Up, !typed[i].second) << play << ":" << i;
    }
    // The played pauses keep the recorded ones' order: A's press shortest, its release longest.
    const std::uint64_t afterPress = p[1].AtUs - p[0].AtUs;
    const std::uint64_t afterRelease = p[2].AtUs - p[1].AtUs;
    const std::uint64_t afterB = p[3].AtUs - p[2].AtUs;
    EXPECT_LT(afterPress, afterB) << play;
    EXPECT_LT(afterB, afterRelease) << play;
  }
}

TEST_F(MacroManagerEndToEnd, OnlyItsButtonsEndTheManagerAndItsDialogsAndTheCloseButtonKeepsEdits) {
  const std::string path = m_dir->File("config\\sequence.dat");
  {
    settings::WinFileStore files;
    editors::MacroList list;
    list.push_back(editors::NewMacro("Reload"));
    list.push_back(editors::NewMacro("Jump"));
    ASSERT_TRUE(editors::SaveMacros(files, path, list));
  }
  HWND manager = OpenManager();
  ASSERT_NE(manager, nullptr);
  // As the configurator saved it at its start.
  const std::string file = FileBytes(path);
  HWND names = ControlAt(manager, ManagerControl("Macro_List_MacroName"));
  ASSERT_EQ(ListValues(names).size(), 2u);
  EXPECT_EQ(ListSelection(names), 0);

  ASSERT_TRUE(testing::TypeKeys({VK_RETURN, VK_ESCAPE, VK_SPACE}));
  testing::Pump(300);
  EXPECT_TRUE(::IsWindowVisible(manager));

  // The deletion is asked first; only the dialog's buttons answer.
  auto deleteAnswering = [&](std::string_view button) {
    ASSERT_TRUE(ClickAt(manager, ManagerControl("BUTTON_Delete")));
    HWND confirm = nullptr;
    ASSERT_TRUE(Until([&] { return (confirm = WaitForOwned(manager)) != nullptr; }));
    ASSERT_TRUE(testing::TypeKeys({VK_RETURN, VK_ESCAPE}));
    testing::Pump(300);
    ASSERT_TRUE(::IsWindowVisible(confirm));
    ASSERT_TRUE(ClickAt(confirm, ControlIn(skin::kSmallDialogControls, button)));
    ASSERT_TRUE(Until([&] { return !::IsWindow(confirm); }));
  };
  deleteAnswering("BUTTON_CANCEL");
  EXPECT_EQ(ListValues(names).size(), 2u);
  deleteAnswering("BUTTON_OK");
  EXPECT_EQ(ListValues(names).size(), 1u);
  EXPECT_EQ(ListSelection(names), -1);

  // The close button keeps the deletion in memory and the file as it was.
  ASSERT_TRUE(ClickAt(manager, ManagerControl("Exit")));
  ASSERT_TRUE(Until([&] { return !::IsWindow(manager); }));
  EXPECT_EQ(FileBytes(path), file);
  manager = OpenManager();
  ASSERT_NE(manager, nullptr);
  names = ControlAt(manager, ManagerControl("Macro_List_MacroName"));
  ASSERT_EQ(ListValues(names).size(), 1u);

  // With no macro left, recording and the context menu only show the notice.
  deleteAnswering("BUTTON_OK");
  ASSERT_TRUE(ListValues(names).empty());
  auto expectNotice = [&] {
    HWND notice = nullptr;
    ASSERT_TRUE(Until([&] { return (notice = WaitForOwned(manager)) != nullptr; }));
    ASSERT_TRUE(ClickAt(notice, ControlIn(skin::kSmallDialogControls, "Exit")));
    ASSERT_TRUE(Until([&] { return !::IsWindow(notice); }));
  };
  ASSERT_TRUE(ClickAt(manager, EditorControl("BUTTON_Start_Record")));
  ASSERT_NO_FATAL_FAILURE(expectNotice());
  ASSERT_TRUE(ClickPoint(manager, EventLinePoint(0), MouseButton::kRight));
  ASSERT_TRUE(Until([&] { return ::FindWindowA("#32768", nullptr) != nullptr; }));
  ASSERT_TRUE(testing::TypeKeys({VK_DOWN, VK_RETURN}));
  ASSERT_NO_FATAL_FAILURE(expectNotice());
  EXPECT_TRUE(ListValues(ControlAt(manager, EditorControl("Action_List_key_sequence"))).empty());

  // Cancel drops everything since the file was written: both macros are back.
  ASSERT_TRUE(ClickAt(manager, ManagerControl("BUTTON_Cancel")));
  ASSERT_TRUE(Until([&] { return !::IsWindow(manager); }));
  EXPECT_EQ(FileBytes(path), file);
  manager = OpenManager();
  ASSERT_NE(manager, nullptr);
  EXPECT_EQ(ListValues(ControlAt(manager, ManagerControl("Macro_List_MacroName"))).size(), 2u);
}

}  // namespace
}  // namespace karvo::e2e
