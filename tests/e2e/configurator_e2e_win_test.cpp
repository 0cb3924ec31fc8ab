// The installed configurator driven as a user would, with real clicks and keys at the places
// its layout table gives, next to the real monitor and the virtual mouse: what it shows at
// start, what an apply hands on and stores, what Cancel leaves alone, and how it follows
// the mouse.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "configurator/configurator_resources.h"
#include "monitor/device_reports.h"
#include "platform/handles.h"
#include "platform/suite_names.h"
#include "skin/skin_images_win.h"
#include "skin/skin_layout.h"
#include "skin/window_layouts.h"
#include "tests/e2e/transfer_suite_win.h"
#include "tests/support/input_win.h"
#include "tests/support/pump_win.h"
#include "tests/support/screen_win.h"

namespace karvo::e2e {
namespace {

using platform::kConfiguratorExe;
using settings::SettingsImage;

constexpr DWORD kWindowTimeoutMs = 60000;  // bounds against hangs, never measured
constexpr DWORD kActionTimeoutMs = 30000;

// A control of the main window's table by its layout name; the n-th of that name for the
// two page rectangles.
skin::SkinLayout MainControl(std::string_view name) {
  for (const skin::ControlSpec& control : skin::kMainWindowControls) {
    const skin::SkinLayout layout = skin::ParseLayout(control.Layout);
    if (name == layout.Name) return layout;
  }
  ADD_FAILURE() << "no control " << name;
  return {};
}

std::string SlotName(int slot) { return "Profile " + std::to_string(slot + 1); }

// The child window at the middle of a control's rectangle, as the user sees it.
HWND ChildAt(HWND window, const skin::SkinLayout& layout) {
  const POINT middle{(layout.Left + layout.Right) / 2, (layout.Top + layout.Bottom) / 2};
  return ::ChildWindowFromPointEx(window, middle, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
}

// The state image a control of the main window shows: the one of the program's own decoded
// images (normal, hover, selected) its pixels on screen differ least from.
enum class Shown { kNormal, kHover, kSelected, kUnknown };

Shown StateShown(HWND window, const skin::SkinLayout& layout) {
  static const std::vector<testing::Pixels> kImages = [] {
    std::vector<testing::Pixels> images;
    const std::optional<std::string> dist = DistDirectory();
    platform::UniqueModule program(
        ::LoadLibraryExA((dist.value_or("") + platform::kConfiguratorExe).c_str(), nullptr,
                         LOAD_LIBRARY_AS_DATAFILE));
    for (int id : {IDR_MAIN_NORMAL, IDR_MAIN_HOVER, IDR_MAIN_SELECTED}) {
      platform::UniqueBitmap image;
      (void)skin::LoadSkinImage(id, image, program.Get());
      images.push_back(testing::BitmapPixels(image.Get(), {0, 0, 858, 600}));
    }
    return images;
  }();
  POINT origin{0, 0};
  ::ClientToScreen(window, &origin);
  const RECT onScreen{origin.x + layout.Left, origin.y + layout.Top, origin.x + layout.Right,
                      origin.y + layout.Bottom};
  const testing::Pixels shown = testing::CaptureScreen(onScreen);
  Shown best = Shown::kUnknown;
  int fewest = (layout.Right - layout.Left) * (layout.Bottom - layout.Top) / 4;
  for (std::size_t i = 0; i < kImages.size(); ++i) {
    testing::Pixels expected;
    expected.Width = layout.Right - layout.Left;
    expected.Height = layout.Bottom - layout.Top;
    for (int y = layout.Top; y < layout.Bottom; ++y)
      for (int x = layout.Left; x < layout.Right; ++x) expected.Data.push_back(kImages[i].At(x, y));
    const int differences = testing::CountDifferences(shown, expected);
    if (differences < fewest) {
      fewest = differences;
      best = static_cast<Shown>(i);
    }
  }
  return best;
}

bool Selected(HWND window, std::string_view name) {
  return StateShown(window, MainControl(name)) == Shown::kSelected;
}

int HighlightedSlot(HWND window) {
  int found = -1;
  for (int slot = 0; slot < settings::kProfileCount; ++slot) {
    if (Selected(window, SlotName(slot))) found = found == -1 ? slot : -2;
  }
  return found;
}

std::string LabelText(HWND window, int slot) {
  char text[256] = {};
  ::GetWindowTextA(ChildAt(window, MainControl(SlotName(slot) + " name")), text, sizeof text);
  return text;
}

// A click in the middle of a control; the pointer then leaves the window, so that no hover
// look or tooltip stays on what the test looks at next.
void Click(HWND window, std::string_view name) {
  const skin::SkinLayout layout = MainControl(name);
  POINT point{(layout.Left + layout.Right) / 2, (layout.Top + layout.Bottom) / 2};
  ASSERT_TRUE(::ClientToScreen(window, &point));
  ASSERT_TRUE(testing::MoveMouse(point));
  ASSERT_TRUE(testing::PressLeft(true));
  ASSERT_TRUE(testing::PressLeft(false));
  testing::Pump(100);
  ASSERT_TRUE(testing::MoveMouse({0, 0}));
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

// Every value of a key under HKEY_CURRENT_USER, name to data.
std::map<std::string, std::string> RegistryValues(const char* subKey) {
  std::map<std::string, std::string> values;
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
  char name[256];
  BYTE data[1024];
  for (DWORD i = 0;; ++i) {
    DWORD nameSize = sizeof name;
    DWORD dataSize = sizeof data;
    if (::RegEnumValueA(key, i, name, &nameSize, nullptr, nullptr, data, &dataSize) !=
        ERROR_SUCCESS)
      break;
    values[name] = std::string(reinterpret_cast<char*>(data), dataSize);
  }
  ::RegCloseKey(key);
  return values;
}

// A message box (a top-level dialog) whose static text is text.
struct BoxSearch {
  const char* Text;
  HWND Found;
};

BOOL CALLBACK FindBox(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<BoxSearch*>(param);
  char className[16] = {};
  ::GetClassNameA(window, className, sizeof className);
  if (std::strcmp(className, "#32770") != 0) return TRUE;
  for (HWND child = nullptr; (child = ::FindWindowExA(window, child, "Static", nullptr));) {
    char shown[128] = {};
    ::GetWindowTextA(child, shown, sizeof shown);
    if (std::strcmp(shown, search->Text) == 0) search->Found = window;
  }
  return search->Found ? FALSE : TRUE;
}

HWND BoxSaying(const char* text) {
  BoxSearch search{text, nullptr};
  ::EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

class ConfiguratorEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    std::optional<std::string> dist = DistDirectory();
    ASSERT_TRUE(dist) << "KARVO_DIST must name the install directory (make test-win sets it)";
    m_dir = std::make_unique<InstallDir>(*dist);
    ASSERT_TRUE(m_dir->Ok());
    ASSERT_NE(::GetFileAttributesA(m_dir->File(kConfiguratorExe).c_str()), INVALID_FILE_ATTRIBUTES)
        << "the install directory has no configurator";
  }

  void TearDown() override {
    m_configurator.reset();
    if (m_monitor) {
      m_monitor->PostClose();
      m_monitor->WaitExit(kWindowTimeoutMs);
    }
    m_monitor.reset();
    m_dir.reset();
  }

  // The monitor, ready once its read-back has ended with the host-control report.
  void StartMonitor() {
    m_monitor = std::make_unique<MonitorProcess>(*m_dir);
    ASSERT_NE(m_monitor->Window(), nullptr);
    const auto running = monitor::BuildHostControlReport(monitor::kHostRunning);
    ASSERT_TRUE(WaitForReport(
        *m_dir,
        [&](const LoggedReport& r) {
          return r.isSet &&
                 std::equal(running.begin(), running.end(), r.bytes.begin(), r.bytes.end());
        },
        kWindowTimeoutMs));
  }

  // The configurator's window once it is shown and answers.
  HWND StartConfigurator() {
    m_configurator = std::make_unique<testing::ChildProcess>(m_dir->File(kConfiguratorExe),
                                                             std::string{}, m_dir->Path());
    HWND window = nullptr;
    EXPECT_TRUE(testing::WaitFor(
        [&] {
          window = ::FindWindowA(nullptr, platform::kConfiguratorTitle);
          DWORD_PTR answer = 0;
          return window && ::IsWindowVisible(window) &&
                 ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer);
        },
        kWindowTimeoutMs));
    if (window) ::SetForegroundWindow(window);
    // Off the window: no hover look on what the test looks at.
    EXPECT_TRUE(testing::MoveMouse({0, 0}));
    return window;
  }

  bool WaitUntil(const std::function<bool()>& done) {
    return testing::WaitFor(done, kActionTimeoutMs);
  }

  std::unique_ptr<InstallDir> m_dir;
  std::unique_ptr<MonitorProcess> m_monitor;
  std::unique_ptr<testing::ChildProcess> m_configurator;
};

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
      WaitUntil([&] { return (box = BoxSaying(platform::kMapViewFailedText)) != nullptr; }));
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

}  // namespace
}  // namespace karvo::e2e
