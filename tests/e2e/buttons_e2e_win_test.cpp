// Button assignment as a user does it, next to the real monitor and the virtual mouse: a
// label's catalogue opened with a click, a function chosen from it, keys pressed by another
// process into the shortcut dialog, a program browsed for, Apply; then the physical button
// pressed with mousectl: a keyboard hook sees the combination, the program leaves its marker,
// the media key goes out. One running suite serves every story. What the stories saw is saved
// beside the test program (buttons_shots) for people to look at.
#include <gtest/gtest.h>
#include <windows.h>
// The open-file dialog's control ids, which need the types above.
#include <dlgs.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editors/function_catalogue.h"
#include "monitor/device_reports.h"
#include "platform/program_dir_win.h"
#include "platform/suite_names.h"
#include "skin/menu_model.h"
#include "skin/skin_controls.h"
#include "tests/e2e/configurator_driver_win.h"
#include "tests/e2e/events_hook_win.h"
#include "tests/e2e/transfer_suite_win.h"
#include "tests/support/input_win.h"
#include "tests/support/pump_win.h"
#include "tests/support/screen_win.h"

namespace karvo::e2e {
namespace {

using skin::WindowId;

// Bounds against hangs, never measured.
constexpr DWORD kStartMs = 60000;
constexpr DWORD kActionMs = 30000;
// The edit field of the shortcut and program dialogs.
constexpr int kFieldId = 4010;

const std::string kShots = KARVO_BUTTONS_SHOTS;

std::string LabelName(int button) { return "Button " + std::to_string(button + 1); }

void Shoot(const RECT& area, const std::string& name) {
  testing::Pump(300);
  testing::CaptureScreen(area).SaveBmp(kShots + "/" + name + ".bmp");
}

std::vector<std::pair<DWORD, bool>> Injected(const std::vector<HookedKey>& keys) {
  std::vector<std::pair<DWORD, bool>> seen;
  for (const HookedKey& key : keys) {
    if (key.Injected) seen.emplace_back(key.VirtualKey, key.Up);
  }
  return seen;
}

int MouseCode(const InstallDir& dir, int s) {
  const std::vector<std::uint8_t> group = MouseButtonGroup(dir, s);
  return group.empty() ? -1 : group[0];
}

class ButtonsEndToEnd : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ::CreateDirectoryA(kShots.c_str(), nullptr);
    const std::optional<std::string> dist = DistDirectory();
    if (!dist) return;
    s_dir = std::make_unique<InstallDir>(*dist);
    // Installed before the configurator's hook, so it stands for every other program.
    s_observer = std::make_unique<KeyboardHook>();
    if (!s_dir->Ok() || !s_observer->Ok()) return;
    s_monitor = std::make_unique<MonitorProcess>(*s_dir);
    const auto running = monitor::BuildHostControlReport(monitor::kHostRunning);
    if (!s_monitor->Window() || !WaitForReport(
                                    *s_dir,
                                    [&](const LoggedReport& r) {
                                      return r.isSet && std::equal(running.begin(), running.end(),
                                                                   r.bytes.begin(), r.bytes.end());
                                    },
                                    kStartMs)) {
      return;
    }
    s_configurator = std::make_unique<testing::ChildProcess>(
        s_dir->File(platform::kConfiguratorExe), std::string{}, s_dir->Path());
    s_window = WaitForConfigurator(kStartMs);
  }

  static void TearDownTestSuite() {
    s_window = nullptr;
    s_configurator.reset();
    if (s_monitor) {
      s_monitor->PostClose();
      s_monitor->WaitExit(kStartMs);
    }
    s_monitor.reset();
    s_observer.reset();
    s_dir.reset();
  }

  void SetUp() override {
    ASSERT_NE(s_window, nullptr) << "the monitor and the configurator did not start (KARVO_DIST?)";
    ASSERT_FALSE(s_configurator->WaitExit(0));
    Click(s_window, "Mode1");
    ASSERT_TRUE(testing::WaitFor([] { return Selected(s_window, "Mode1"); }, kActionMs));
    s_observer->Clear();
  }

  static HWND Label(WindowId page, int button) {
    return ControlAt(s_window, PageControl(page, LabelName(button)));
  }

  // Opens the catalogue of a Mode1 label with a real click, the label's picture showing while
  // the pointer rests on it, and chooses an entry, from a submenu when one is named.
  static void Choose(int button, std::string_view entry, std::string_view submenu = {},
                     const char* shot = nullptr) {
    const skin::SkinLayout label = PageControl(WindowId::ButtonPageMode1, LabelName(button));
    POINT middle{(label.Left + label.Right) / 2, (label.Top + label.Bottom) / 2};
    ASSERT_TRUE(::ClientToScreen(s_window, &middle));
    ASSERT_TRUE(testing::MoveMouse(middle));
    const std::string pictureName = LabelName(button) + " picture";
    const skin::WindowSpec& page = skin::FindWindowSpec(WindowId::ButtonPageMode1);
    const std::size_t pictureRow = skin::RowNamed(page.Controls, pictureName);
    EXPECT_TRUE(testing::WaitFor(
        [&] {
          HWND shown = ControlAt(s_window, PageControl(WindowId::ButtonPageMode1, pictureName));
          return shown &&
                 ::GetDlgCtrlID(shown) == skin::ControlIdOf(page.Controls[pictureRow], pictureRow);
        },
        kActionMs))
        << pictureName << " not shown";
    if (shot) Shoot(WindowArea(s_window), std::string(shot) + "_hover");
    ASSERT_TRUE(testing::PressLeft(true));
    ASSERT_TRUE(testing::PressLeft(false));
    HWND menu = WaitForMenu(nullptr, kActionMs);
    ASSERT_NE(menu, nullptr) << "no catalogue";
    const skin::PopupMenu catalogue = editors::BuildCatalogue(
        editors::ButtonPageMode::kMode1, button, settings::MacroKeyInfo{}, editors::MacroList{});
    if (submenu.empty()) {
      if (shot) {
        const RECT window = WindowArea(s_window);
        const RECT opened = WindowArea(menu);
        RECT area{};
        ::UnionRect(&area, &window, &opened);
        Shoot(area, shot);
      }
      ASSERT_TRUE(
          ClickScreen(MenuEntryCentre(menu, catalogue.Entries, catalogue.ItemWidth, entry)));
      return;
    }
    ASSERT_TRUE(
        ClickScreen(MenuEntryCentre(menu, catalogue.Entries, catalogue.ItemWidth, submenu)));
    HWND sub = WaitForMenu(menu, kActionMs);
    ASSERT_NE(sub, nullptr) << "no submenu " << submenu;
    for (const skin::MenuEntry& e : catalogue.Entries) {
      if (e.Text.Bytes != submenu) continue;
      ASSERT_TRUE(ClickScreen(MenuEntryCentre(sub, e.Submenu, e.SubmenuItemWidth, entry)));
    }
  }

  static void Apply() { Click(s_window, "Apply"); }

  static inline std::unique_ptr<InstallDir> s_dir;
  static inline std::unique_ptr<KeyboardHook> s_observer;
  static inline std::unique_ptr<MonitorProcess> s_monitor;
  static inline std::unique_ptr<testing::ChildProcess> s_configurator;
  static inline HWND s_window = nullptr;
};

TEST_F(ButtonsEndToEnd, ShortcutDialogCatchesEveryKeyAloneAndTheButtonPlaysTheCombination) {
  struct Round {
    int Button;
    std::vector<std::pair<WORD, const char*>> Keys;  // key pressed, name shown after it
    std::vector<const char*> Boxes;
    const char* End;
    const char* Label;  // what the label shows afterwards; nullptr: as before
  };
  const Round rounds[] = {
      {2, {{VK_LMENU, "Left Alt"}}, {"Shift", "None"}, "BUTTON_OK", "Left Alt"},
      {4, {{VK_SNAPSHOT, "Print Screen"}}, {}, "BUTTON_OK", "Print Screen"},
      {1, {{'A', "A"}}, {"Ctrl"}, "Exit", nullptr},
      {1, {{'B', "B"}}, {}, "BUTTON_CANCEL", nullptr},
      // The last key touched wins; Enter and Escape are keys like the others.
      {3,
       {{VK_LMENU, "Left Alt"},
        {VK_SNAPSHOT, "Print Screen"},
        {VK_RETURN, "Enter"},
        {VK_ESCAPE, "Esc"},
        {VK_RETURN, "Enter"}},
       {"Ctrl", "Shift"},
       "BUTTON_OK",
       "Shift+Ctrl+Enter"},
  };
  for (const Round& round : rounds) {
    SCOPED_TRACE(LabelName(round.Button) + " ending with " + round.End);
    const std::string before = TextOf(Label(WindowId::ButtonPageMode1, round.Button));
    ASSERT_NO_FATAL_FAILURE(Choose(round.Button, "Eine Verkn\xFCpfung zuweisen", {},
                                   round.Button == 3 ? "catalogue" : nullptr));
    HWND dialog = nullptr;
    ASSERT_TRUE(testing::WaitFor(
        [&] {
          dialog = ::FindWindowA(nullptr, platform::kShortcutDialogTitle);
          return dialog && ::IsWindowVisible(dialog);
        },
        kActionMs));
    HWND field = ::GetDlgItem(dialog, kFieldId);
    for (const auto& [key, name] : round.Keys) {
      ASSERT_TRUE(testing::TapKey(key));
      EXPECT_TRUE(testing::WaitFor([&] { return TextOf(field) == name; }, kActionMs))
          << name << ", shown: " << TextOf(field);
    }
    for (const char* box : round.Boxes)
      ASSERT_TRUE(ClickAt(dialog, ControlIn(WindowId::ShortcutDialog, box)));
    EXPECT_TRUE(::IsWindowVisible(dialog)) << "a key closed the dialog";
    if (round.Button == 3) Shoot(WindowArea(dialog), "shortcut_dialog");
    ASSERT_TRUE(ClickAt(dialog, ControlIn(WindowId::ShortcutDialog, round.End)));
    ASSERT_TRUE(testing::WaitFor([&] { return !::IsWindow(dialog); }, kActionMs));
    EXPECT_TRUE(s_observer->Keys().empty()) << "a key got past the dialog's hook";

    // However the dialog ended, the keys are everyone's again.
    ASSERT_TRUE(testing::TapKey(VK_F24));
    EXPECT_TRUE(s_observer->WaitForCount(2, kActionMs));
    s_observer->Clear();
    EXPECT_EQ(TextOf(Label(WindowId::ButtonPageMode1, round.Button)),
              round.Label ? round.Label : before);
  }
  Shoot(WindowArea(s_window), "mode1_page");

  Apply();
  EXPECT_TRUE(testing::WaitFor(
      [] {
        return MouseButtonGroup(*s_dir, 3) == std::vector<std::uint8_t>{5, 0x06, 0x28};
      },
      kActionMs));
  SharedBlockClient block;
  auto image = NewImage();
  ASSERT_TRUE(block.Read(*image));
  ASSERT_GE(image->CurrentProfile, 0);
  ASSERT_LT(image->CurrentProfile, settings::kProfileCount);
  const settings::ProfileSettings& profile = image->Profiles[image->CurrentProfile];
  const struct {
    int Record;
    std::uint8_t Key, Mask;
  } stored[] = {{2, 0xE2, 0x01}, {4, 0x46, 0x00}, {3, 0x28, 0x06}};
  for (const auto& s : stored) {
    SCOPED_TRACE(s.Record);
    const settings::MacroKeyInfo& record = profile.MacroKeys[s.Record];
    EXPECT_EQ(record.FunctionCode, editors::kCodeShortcut);
    EXPECT_EQ(record.EventCount, 1);
    EXPECT_EQ(record.Data[0], s.Key);
    EXPECT_EQ(record.Data[1], s.Mask);
  }
  EXPECT_NE(profile.MacroKeys[1].FunctionCode, editors::kCodeShortcut) << "a cancel stored";

  // Physical button 4 is the fourth label's button.
  ASSERT_EQ(Mousectl(*s_dir, "click 4").exitCode, 0u);
  ASSERT_TRUE(s_observer->WaitForCount(6, kActionMs));
  const std::vector<std::pair<DWORD, bool>> combination = {{VK_CONTROL, false}, {VK_SHIFT, false},
                                                           {VK_RETURN, false},  {VK_RETURN, true},
                                                           {VK_SHIFT, true},    {VK_CONTROL, true}};
  EXPECT_EQ(Injected(s_observer->Keys()), combination);
}

TEST_F(ButtonsEndToEnd, ProgramBrowsedForStartsWhenItsButtonIsPressed) {
  const std::string program = s_dir->File("Starter.exe");
  const std::string marker = program + ".started";
  ASSERT_TRUE(::CopyFileA((platform::ProgramDir() + "karvo_marker_standin.exe").c_str(),
                          program.c_str(), FALSE));
  ::DeleteFileA(marker.c_str());

  ASSERT_NO_FATAL_FAILURE(Choose(5, "Start zuweisen"));
  HWND dialog = WaitForOwned(s_window, kActionMs);
  ASSERT_NE(dialog, nullptr) << "no program dialog";
  ASSERT_TRUE(ClickAt(dialog, ControlIn(WindowId::ProgramDialog, "browser1")));
  HWND open = WaitForOwned(dialog, kActionMs);
  ASSERT_NE(open, nullptr) << "no open-file dialog";
  HWND name = ::GetDlgItem(open, cmb13) ? ::GetDlgItem(open, cmb13) : ::GetDlgItem(open, edt1);
  ASSERT_NE(name, nullptr);
  ::SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(program.c_str()));
  ASSERT_TRUE(ClickScreen([&] {
    const RECT r = WindowArea(::GetDlgItem(open, IDOK));
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }()));
  ASSERT_TRUE(testing::WaitFor([&] { return !::IsWindow(open); }, kActionMs));
  HWND path = ::GetDlgItem(dialog, kFieldId);
  EXPECT_TRUE(testing::WaitFor([&] { return TextOf(path) == program; }, kActionMs)) << TextOf(path);
  Shoot(WindowArea(dialog), "program_dialog");
  ASSERT_TRUE(ClickAt(dialog, ControlIn(WindowId::ProgramDialog, "BUTTON_OK")));
  ASSERT_TRUE(testing::WaitFor([&] { return !::IsWindow(dialog); }, kActionMs));
  EXPECT_EQ(TextOf(Label(WindowId::ButtonPageMode1, 5)), "Starter.exe");

  Apply();
  ASSERT_TRUE(testing::WaitFor([] { return MouseCode(*s_dir, 5) == 17; }, kActionMs));
  ASSERT_EQ(Mousectl(*s_dir, "click 6").exitCode, 0u);
  EXPECT_TRUE(testing::WaitFor(
      [&] { return ::GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES; }, kActionMs));
}

TEST_F(ButtonsEndToEnd, MediaFunctionFromASubmenuSendsTheMediaKeyAndHandednessIsApplied) {
  ASSERT_NO_FATAL_FAILURE(Choose(6, "Wiedergabe/Pause", "Multimedia"));
  EXPECT_TRUE(testing::WaitFor(
      [] { return TextOf(Label(WindowId::ButtonPageMode1, 6)) == "Wiedergabe/Pause"; }, kActionMs));
  // The handedness pair goes with the same apply.
  ASSERT_TRUE(ClickAt(s_window, PageControl(WindowId::ButtonPageMode1, "Leftt Handed Type")));
  Apply();
  ASSERT_TRUE(testing::WaitFor([] { return MouseCode(*s_dir, 6) == 28; }, kActionMs));
  SharedBlockClient block;
  auto image = NewImage();
  ASSERT_TRUE(block.Read(*image));
  ASSERT_GE(image->CurrentProfile, 0);
  ASSERT_LT(image->CurrentProfile, settings::kProfileCount);
  EXPECT_EQ(image->Profiles[image->CurrentProfile].SwapButtons, 1);
  s_observer->Clear();
  ASSERT_EQ(Mousectl(*s_dir, "click 7").exitCode, 0u);
  ASSERT_TRUE(s_observer->WaitForCount(2, kActionMs));
  const std::vector<std::pair<DWORD, bool>> expected = {{VK_MEDIA_PLAY_PAUSE, false},
                                                        {VK_MEDIA_PLAY_PAUSE, true}};
  EXPECT_EQ(Injected(s_observer->Keys()), expected);
}

TEST_F(ButtonsEndToEnd, ModeSwitchOnButton4ClosesItOnTheMode2Page) {
  ASSERT_NO_FATAL_FAILURE(Choose(3, "Modusumschalter"));
  EXPECT_TRUE(testing::WaitFor(
      [] { return TextOf(Label(WindowId::ButtonPageMode1, 3)) == "Modusumschalter"; }, kActionMs));
  Click(s_window, "Mode2");
  ASSERT_TRUE(testing::WaitFor([] { return Selected(s_window, "Mode2"); }, kActionMs));
  for (int button = 0; button < editors::kButtonCount; ++button) {
    HWND label = Label(WindowId::ButtonPageMode2, button);
    ASSERT_NE(label, nullptr) << button;
    EXPECT_EQ(::IsWindowEnabled(label) != FALSE, button != 3) << button;
  }
  EXPECT_EQ(TextOf(Label(WindowId::ButtonPageMode2, 3)), "Modusumschalter");
  Shoot(WindowArea(s_window), "mode2_page");
  ASSERT_TRUE(ClickAt(s_window, PageControl(WindowId::ButtonPageMode2, LabelName(3))));
  EXPECT_EQ(WaitForMenu(nullptr, 2000), nullptr) << "a closed button opened its catalogue";
}

}  // namespace
}  // namespace karvo::e2e
