// The installed configurator driven as a user would, with real clicks and keys at the places
// its layout table gives, next to the real monitor and the virtual mouse: what it shows at
// start, what an apply hands on and stores, what Cancel leaves alone, and how it follows
// the mouse.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "monitor/device_reports.h"
#include "platform/handles.h"
#include "platform/suite_names.h"
#include "tests/e2e/configurator_driver_win.h"
#include "tests/e2e/transfer_suite_win.h"
#include "tests/support/input_win.h"
#include "tests/support/pump_win.h"

namespace karvo::e2e {
namespace {

using platform::kConfiguratorExe;
using settings::SettingsImage;

constexpr DWORD kWindowTimeoutMs = 60000;  // bounds against hangs, never measured
constexpr DWORD kActionTimeoutMs = 30000;

class ConfiguratorEndToEnd : public ConfiguratorSuite {};

BOOL CALLBACK AddIfShowingASelection(HWND child, LPARAM found) {
  char name[16] = {};
  DWORD_PTR range = 0;
  if (::GetClassNameA(child, name, sizeof name) && ::lstrcmpiA(name, "Edit") == 0 &&
      ::IsWindowVisible(child) &&
      ::SendMessageTimeoutA(child, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 1000, &range) &&
      LOWORD(range) != HIWORD(range)) {
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(child);
  }
  return TRUE;
}

// The value fields of window (its pages' included) whose text is shown selected.
std::vector<HWND> FieldsShowingASelection(HWND window) {
  std::vector<HWND> found;
  ::EnumChildWindows(window, &AddIfShowingASelection, reinterpret_cast<LPARAM>(&found));
  return found;
}

TEST_F(ConfiguratorEndToEnd, WithoutTheMonitorTheSlotsComeFromTheFilesAndASecondCopyEndsAtOnce) {
  ASSERT_TRUE(::CreateDirectoryA(m_dir->File("config").c_str(), nullptr) ||
              ::GetLastError() == ERROR_ALREADY_EXISTS);
  ASSERT_TRUE(::WritePrivateProfileStringA("Setting", "CurrentProfile", "3",
                                           m_dir->File("config.ini").c_str()));
  ASSERT_TRUE(::WritePrivateProfileStringA("Setting", "ProFileName", "Quake",
                                           m_dir->File("config\\Default1.kmp").c_str()));
  HWND window = StartConfigurator();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return HighlightedSlot(window) == 3; }));
  EXPECT_EQ(LabelText(window, 1), "Quake");
  EXPECT_EQ(LabelText(window, 4), "Default5");

  testing::ChildProcess second(m_dir->File(kConfiguratorExe), {}, m_dir->Path());
  ASSERT_TRUE(second.WaitExit(kActionTimeoutMs));
  EXPECT_EQ(second.ExitCode(), 0u);
  int windows = 0;
  for (HWND w = nullptr; (w = ::FindWindowExA(nullptr, w, nullptr, platform::kConfiguratorTitle));)
    ++windows;
  EXPECT_EQ(windows, 1);
  EXPECT_FALSE(m_configurator->WaitExit(0)) << "the first copy must stay";
}

TEST_F(ConfiguratorEndToEnd, DamagedSlotAndLibraryStartWithoutHighlightAndKeepTheMacroPositions) {
  ASSERT_TRUE(::CreateDirectoryA(m_dir->File("config").c_str(), nullptr) ||
              ::GetLastError() == ERROR_ALREADY_EXISTS);
  const std::string library = m_dir->File("config\\sequence.dat");
  ASSERT_TRUE(::WritePrivateProfileStringA("Setting", "CurrentProfile", "7",
                                           m_dir->File("config.ini").c_str()));
  ASSERT_TRUE(::WritePrivateProfileStringA("Macros", "number", "2", library.c_str()));
  ASSERT_TRUE(::WritePrivateProfileStringA("Macros", "1", "00FF", library.c_str()));
  HWND window = StartConfigurator();
  ASSERT_NE(window, nullptr);
  // Every slot button plainly shown, none selected.
  EXPECT_TRUE(WaitUntil([&] {
    for (int slot = 0; slot < settings::kProfileCount; ++slot) {
      if (StateShown(window, MainControl(SlotName(slot))) != Shown::kNormal) return false;
    }
    return true;
  }));
  EXPECT_EQ(LabelText(window, 0), "Default1");
  // Saved at start: both damaged keys keep their places as empty macros.
  EXPECT_EQ(::GetPrivateProfileIntA("Macros", "number", -1, library.c_str()), 2u);
  char value[5000] = {};
  EXPECT_EQ(::GetPrivateProfileStringA("Macros", "1", "", value, sizeof value, library.c_str()),
            4122u);
}

TEST_F(ConfiguratorEndToEnd, ABlockThatCannotBeViewedIsToldAndTheFilesServe) {
  // A section of the block's name too small for a settings image cannot be mapped whole.
  platform::UniqueHandle section(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                                                      0, 16, platform::kSharedBlockName));
  ASSERT_TRUE(section);
  ASSERT_TRUE(::WritePrivateProfileStringA("Setting", "CurrentProfile", "4",
                                           m_dir->File("config.ini").c_str()));
  m_configurator = std::make_unique<testing::ChildProcess>(m_dir->File(kConfiguratorExe),
                                                           std::string{}, m_dir->Path());
  HWND box = nullptr;
  ASSERT_TRUE(
      WaitUntil([&] { return (box = DialogSaying(platform::kMapViewFailedText)) != nullptr; }));
  ASSERT_TRUE(::PostMessageA(box, WM_COMMAND, IDOK, 0));
  HWND window = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    window = ::FindWindowA(nullptr, platform::kConfiguratorTitle);
    return window && ::IsWindowVisible(window) && HighlightedSlot(window) == 4;
  }));
}

TEST_F(ConfiguratorEndToEnd, SlotsFollowTheMonitorAndAnApplyReachesTheMouse) {
  ASSERT_NO_FATAL_FAILURE(StartMonitor());
  SharedBlockClient block;
  auto image = NewImage();
  ASSERT_TRUE(block.Read(*image));
  image->CurrentProfile = 1;
  std::strcpy(image->Profiles[4].ProFileName, "From the block");
  ASSERT_TRUE(block.Write(*image));

  HWND window = StartConfigurator();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return HighlightedSlot(window) == 1; }));
  EXPECT_EQ(LabelText(window, 4), "From the block");

  // Slot 3 applied: the file, the block and the mouse all get it.
  ASSERT_EQ(Mousectl(*m_dir, "reports --clear").exitCode, 0u);
  Click(window, SlotName(2));
  ASSERT_TRUE(WaitUntil([&] { return HighlightedSlot(window) == 2; }));
  Click(window, "Apply");
  const auto profile = monitor::BuildProfileReport(2);
  EXPECT_TRUE(WaitForReport(
      *m_dir,
      [&](const LoggedReport& r) {
        return r.isSet &&
               std::equal(profile.begin(), profile.end(), r.bytes.begin(), r.bytes.end());
      },
      kActionTimeoutMs));
  EXPECT_EQ(
      ::GetPrivateProfileIntA("Setting", "CurrentProfile", -1, m_dir->File("config.ini").c_str()),
      2u);
  ASSERT_TRUE(block.Read(*image));
  EXPECT_EQ(image->CurrentProfile, 2);
  EXPECT_EQ(image->ProfileChanged, 1);

  // The monitor's 1256 after an upload gives OK and Apply back.
  HWND ok = ChildAt(window, MainControl("OK"));
  HWND apply = ChildAt(window, MainControl("Apply"));
  ::EnableWindow(ok, FALSE);
  ::EnableWindow(apply, FALSE);
  ASSERT_TRUE(::PostMessageA(m_monitor->Window(), platform::kMsgApply, 0, 0));
  EXPECT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(ok) && ::IsWindowEnabled(apply); }));

  // The mouse switches to slot 5 (1255) and to its second button mode (1261).
  ASSERT_EQ(Mousectl(*m_dir, "event 0x3000 5").exitCode, 0u);
  EXPECT_TRUE(WaitUntil([&] { return HighlightedSlot(window) == 4; }));
  ASSERT_EQ(Mousectl(*m_dir, "event 0xFF00 2").exitCode, 0u);
  EXPECT_TRUE(WaitUntil([&] { return Selected(window, "Mode2") && !Selected(window, "Mode1"); }));
  ASSERT_TRUE(::PostMessageA(window, platform::kMsgButtonModeChanged, 0, 1));
  EXPECT_TRUE(WaitUntil([&] { return Selected(window, "Mode1"); }));
  ASSERT_TRUE(::PostMessageA(window, platform::kMsgButtonModeChanged, 0, 0));
  EXPECT_TRUE(WaitUntil([&] { return Selected(window, "Mode2") && !Selected(window, "Mode1"); }));

  // Enter and Escape leave the window open.
  ::SetForegroundWindow(window);
  ASSERT_TRUE(testing::TapKey(VK_RETURN));
  ASSERT_TRUE(testing::TapKey(VK_ESCAPE));
  testing::Pump(500);
  EXPECT_FALSE(m_configurator->WaitExit(0));
  EXPECT_TRUE(::IsWindowVisible(window));
}

TEST_F(ConfiguratorEndToEnd, CancelAfterEditsLeavesFilesRegistryAndBlockAsTheyWere) {
  ASSERT_NO_FATAL_FAILURE(StartMonitor());
  HWND window = StartConfigurator();
  ASSERT_NE(window, nullptr);
  const std::vector<std::string> files = {"config.ini", "config\\sequence.dat",
                                          "config\\Default0.kmp", "config\\Default3.kmp"};
  std::vector<std::string> before;
  for (const std::string& file : files) before.push_back(FileBytes(m_dir->File(file)));
  const auto mouseKey = RegistryValues("Control Panel\\Mouse");
  const auto desktopKey = RegistryValues("Control Panel\\Desktop");
  SharedBlockClient block;
  auto blockBefore = NewImage();
  ASSERT_TRUE(block.Read(*blockBefore));

  Click(window, SlotName(3));
  Click(window, "Advanced");
  Click(window, "Mode2");
  ASSERT_TRUE(WaitUntil([&] { return HighlightedSlot(window) == 3 && Selected(window, "Mode2"); }));
  Click(window, "Cancel");
  ASSERT_TRUE(m_configurator->WaitExit(kActionTimeoutMs));

  for (std::size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(FileBytes(m_dir->File(files[i])), before[i]) << files[i];
  }
  EXPECT_EQ(RegistryValues("Control Panel\\Mouse"), mouseKey);
  EXPECT_EQ(RegistryValues("Control Panel\\Desktop"), desktopKey);
  auto blockAfter = NewImage();
  ASSERT_TRUE(block.Read(*blockAfter));
  EXPECT_EQ(std::memcmp(blockBefore.get(), blockAfter.get(), sizeof(SettingsImage)), 0);
}

TEST_F(ConfiguratorEndToEnd, NoValueFieldShowsItsTextSelectedAtStartNorWhenTheWindowComesBack) {
  HWND window = StartConfigurator();
  ASSERT_NE(window, nullptr);
  testing::Pump(500);
  EXPECT_TRUE(FieldsShowingASelection(window).empty()) << "at start";
  // Apply disables the button that holds the focus, so no control keeps it.
  Click(window, "Apply");
  testing::Pump(500);

  // Away to another window and back: the window takes the focus again.
  HWND other = ::CreateWindowExA(0, "STATIC", "elsewhere", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                 nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(other, nullptr);
  ::SetForegroundWindow(other);
  testing::Pump(300);
  ::SetForegroundWindow(window);
  testing::Pump(500);
  EXPECT_TRUE(FieldsShowingASelection(window).empty()) << "after coming back";
  ::DestroyWindow(other);
}

TEST_F(ConfiguratorEndToEnd, PagesShownAtStartShowNothingButWhatTheLoadedCopyHolds) {
  // A damaged slot gives the pages no record: they show no values, not those of an empty image.
  ASSERT_TRUE(::WritePrivateProfileStringA("Setting", "CurrentProfile", "9",
                                           m_dir->File("config.ini").c_str()));
  HWND window = StartConfigurator();
  ASSERT_NE(window, nullptr);
  for (const char* field : {"CpiSettingValue1", "CpiSettingValue2", "CpiSettingValue3"}) {
    HWND edit = ControlAt(window, PageControl(skin::WindowId::SensitivityPage, field));
    ASSERT_NE(edit, nullptr) << field;
    EXPECT_EQ(TextOf(edit), "") << field;
  }
}

}  // namespace
}  // namespace karvo::e2e
