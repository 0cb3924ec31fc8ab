// The profile commands of the installed configurator used as a user would, next to the real
// monitor and the virtual mouse: the profile dialog and the system's file dialogs driven with
// real clicks and typed text. A command shows at once and reaches the files, the monitor and
// the mouse only by Apply (Save excepted); a game named in the dialog makes its slot active.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "monitor/device_reports.h"
#include "settings/file_store_win.h"
#include "settings/profile_files.h"
#include "settings/registry_win.h"
#include "tests/e2e/configurator_driver_win.h"
#include "tests/e2e/transfer_suite_win.h"
#include "tests/support/input_win.h"
#include "tests/support/pump_win.h"
#include "tests/support/screen_win.h"

namespace karvo::e2e {
namespace {

using settings::ProfileSettings;
using skin::WindowId;

constexpr DWORD kStartTimeoutMs = 60000;  // bounds against hangs, never measured
constexpr DWORD kActionTimeoutMs = 30000;
constexpr WindowId kDialog = WindowId::ProfileDialog;
constexpr char kName[] = "ProfileName";
constexpr char kPath[] = "Gaming path to executeable";

bool WaitUntil(const std::function<bool()>& done) {
  return testing::WaitFor(done, kActionTimeoutMs);
}

// What an edit field of a dialog's table holds.
std::string FieldText(HWND dialog, WindowId window, std::string_view name) {
  return TextOf(ChildAt(dialog, ControlIn(window, name)));
}

template <typename Report>
std::vector<std::uint8_t> Bytes(const Report& report) {
  return {report.begin(), report.end()};
}

std::vector<std::vector<std::uint8_t>> SetReports(const InstallDir& dir) {
  std::vector<std::vector<std::uint8_t>> sets;
  for (const LoggedReport& report : ParseReportLog(Mousectl(dir, "reports").output)) {
    if (report.isSet) sets.push_back(report.bytes);
  }
  return sets;
}

// One monitor, mouse and configurator for both stories: starting them is most of the time.
class ProfilesEndToEnd : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const std::optional<std::string> dist = DistDirectory();
    if (!dist) return;
    s_dir = std::make_unique<InstallDir>(*dist);
    if (!s_dir->Ok() || !::CreateDirectoryA(s_dir->File("elsewhere").c_str(), nullptr)) return;
    s_monitor = std::make_unique<MonitorProcess>(*s_dir);
    const auto running = Bytes(monitor::BuildHostControlReport(monitor::kHostRunning));
    if (!s_monitor->Window() ||
        !WaitForReport(
            *s_dir, [&](const LoggedReport& r) { return r.isSet && r.bytes == running; },
            kStartTimeoutMs)) {
      return;
    }
    s_configurator = std::make_unique<testing::ChildProcess>(
        s_dir->File(platform::kConfiguratorExe), std::string{}, s_dir->Path());
    s_window = WaitForConfigurator(kStartTimeoutMs);
  }

  static void TearDownTestSuite() {
    s_configurator.reset();
    if (s_monitor && s_monitor->PostClose()) s_monitor->WaitExit(kStartTimeoutMs);
    s_monitor.reset();
    s_dir.reset();
  }

  void SetUp() override {
    ASSERT_NE(s_window, nullptr) << "the suite did not start (KARVO_DIST must name dist/)";
    ::SetForegroundWindow(s_window);
  }

  // A story that failed leaves its screen to look at, and no dialog to block the next one.
  void TearDown() override {
    if (HasFailure()) {
      const RECT screen{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
      testing::CaptureScreen(screen).SaveBmp(
          std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".bmp");
    }
    for (HWND dialog; (dialog = WaitForOwned(s_window, 0));) {
      while (HWND inner = WaitForOwned(dialog, 0)) dialog = inner;
      ::PostMessageA(dialog, WM_CLOSE, 0, 0);
      if (!WaitUntil([&] { return !::IsWindow(dialog); })) break;
    }
  }

  static void Click(std::string_view name) {
    ASSERT_TRUE(ClickAt(s_window, MainControl(name), MouseButton::kLeft, Press::kOnceCaptured))
        << name;
  }
  static void SelectSlot(int slot) {
    Click(SlotName(slot));
    ASSERT_TRUE(WaitUntil([&] { return HighlightedSlot(s_window) == slot; }));
  }
  static HWND Open(std::string_view command) {
    Click(command);
    return WaitForOwned(s_window, kActionTimeoutMs);
  }
  // What the configurator shows once it has handled everything before.
  static std::string Label(int slot) {
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutA(s_window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kActionTimeoutMs, &answer);
    return LabelText(s_window, slot);
  }

  static inline std::unique_ptr<InstallDir> s_dir;
  static inline std::unique_ptr<MonitorProcess> s_monitor;
  static inline std::unique_ptr<testing::ChildProcess> s_configurator;
  static inline HWND s_window = nullptr;
};

TEST_F(ProfilesEndToEnd, NameAndBrowsedGameShowAtOnceAndReachFilesAndTheGameWatchByApply) {
  const std::string game = s_dir->File("elsewhere\\Sniper.exe");
  std::string standIn = "Z:" KARVO_GAMES_STANDIN_EXE;
  std::replace(standIn.begin(), standIn.end(), '/', '\\');
  ASSERT_TRUE(::CopyFileA(standIn.c_str(), game.c_str(), FALSE));
  ASSERT_NO_FATAL_FAILURE(SelectSlot(2));
  const std::string slotFile = s_dir->File("config\\Default2.kmp");
  const std::string fileBefore = FileBytes(slotFile);

  HWND dialog = Open("Create");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(FieldText(dialog, kDialog, kName) + FieldText(dialog, kDialog, kPath), "");
  ASSERT_TRUE(testing::TapKey(VK_RETURN) && testing::TapKey(VK_ESCAPE));
  // The name field has the focus and takes 32 characters.
  ASSERT_TRUE(testing::TypeText(L"Sniper Elite 4 - Long Range Practice Map"));
  const std::string name = "Sniper Elite 4 - Long Range Prac";
  EXPECT_TRUE(WaitUntil([&] { return FieldText(dialog, kDialog, kName) == name; }));
  ASSERT_TRUE(
      ClickAt(dialog, ControlIn(kDialog, "browser1"), MouseButton::kLeft, Press::kOnceCaptured));
  HWND browse = WaitForOwned(dialog, kActionTimeoutMs);
  ASSERT_NE(browse, nullptr);
  ASSERT_NO_FATAL_FAILURE(ChooseInFileDialog(browse, game));
  EXPECT_TRUE(WaitUntil([&] { return FieldText(dialog, kDialog, kPath) == game; }));
  EXPECT_TRUE(::IsWindowVisible(dialog)) << "Enter or Escape closed the dialog";
  ASSERT_TRUE(
      ClickAt(dialog, ControlIn(kDialog, "BUTTON_OK"), MouseButton::kLeft, Press::kOnceCaptured));
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }));
  EXPECT_EQ(Label(2), name);
  EXPECT_TRUE(FileBytes(slotFile) == fileBefore) << "stored before Apply";

  // Edit shows both. A path longer than the record holds (as a browse could put there; typing
  // stops at the limit) is refused and left selected; Cancel then leaves the slot.
  dialog = Open("Edit");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(FieldText(dialog, kDialog, kName), name);
  EXPECT_EQ(FieldText(dialog, kDialog, kPath), game);
  const std::string tooLong = "C:\\" + std::string(520, 'x') + ".exe";
  HWND pathField = ChildAt(dialog, ControlIn(kDialog, kPath));
  ::SendMessageA(pathField, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(tooLong.c_str()));
  ASSERT_TRUE(
      ClickAt(dialog, ControlIn(kDialog, "BUTTON_OK"), MouseButton::kLeft, Press::kOnceCaptured));
  EXPECT_TRUE(WaitUntil([&] {
    return ::SendMessageA(pathField, EM_GETSEL, 0, 0) == MAKELONG(0, tooLong.size());
  })) << "a path the record cannot hold was taken";
  ASSERT_TRUE(ClickAt(dialog, ControlIn(kDialog, "BUTTON_Cancel"), MouseButton::kLeft,
                      Press::kOnceCaptured));
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }));
  EXPECT_EQ(Label(2), name);

  // Applied from another slot, so that the game has a switch to make.
  ASSERT_NO_FATAL_FAILURE(SelectSlot(0));
  Click("Apply");
  settings::WinFileStore store;
  settings::WinRegistry registry;
  auto stored = std::make_unique<ProfileSettings>();
  EXPECT_TRUE(WaitUntil([&] {
    settings::SettingsFiles(store, registry, s_dir->Path()).LoadProfileFile(stored.get(), slotFile);
    return settings::FieldText(stored->ProFileName) == name &&
           settings::FieldText(stored->GameFile) == game;
  }));
  testing::ChildProcess running(game, {}, s_dir->File("elsewhere"));
  HWND gameWindow = nullptr;
  ASSERT_TRUE(
      WaitUntil([&] { return (gameWindow = ::FindWindowA(nullptr, "Sniper.exe")) != nullptr; }));
  ::SetForegroundWindow(gameWindow);
  EXPECT_TRUE(WaitUntil([&] {
    const std::optional<MouseState> mouse = ParseMouseState(Mousectl(*s_dir, "state").output);
    return mouse && mouse->activeSlot == 2;
  })) << "the mouse did not follow the game";
  EXPECT_TRUE(WaitUntil([&] { return HighlightedSlot(s_window) == 2; }));
  ::PostMessageA(gameWindow, WM_CLOSE, 0, 0);
  EXPECT_TRUE(running.WaitExit(kActionTimeoutMs));
}

TEST_F(ProfilesEndToEnd, LoadedFileIsCopiedInAndAppliedWholeAndSaveReplacesAFileWhole) {
  SharedBlockClient block;
  auto image = NewImage();
  ASSERT_TRUE(block.Read(*image));
  // The slot's sensor values, so that only the load's flags can send them, and buttons of its
  // own, which no comparison notices.
  auto fps = std::make_unique<ProfileSettings>(image->Profiles[1]);
  settings::SetFieldText(fps->ProFileName, "FPS");
  fps->HDDKeyboard = 1;
  fps->MacroKeys[3].FunctionCode = 24;
  fps->MacroKeys[9].FunctionCode = 7;
  settings::WinFileStore store;
  settings::WinRegistry registry;
  const std::string chosen = s_dir->File("elsewhere\\fps.kmp");
  ASSERT_EQ(
      settings::SettingsFiles(store, registry, s_dir->Path()).SaveProfileFile(fps.get(), chosen),
      1);

  ASSERT_NO_FATAL_FAILURE(SelectSlot(1));
  ASSERT_EQ(Mousectl(*s_dir, "reports --clear").exitCode, 0u);
  HWND open = Open("Load");
  ASSERT_NE(open, nullptr);
  ASSERT_NO_FATAL_FAILURE(ChooseInFileDialog(open, chosen));
  EXPECT_EQ(Label(1), "FPS");
  EXPECT_TRUE(FileBytes(s_dir->File("fps.kmp")) == FileBytes(chosen)) << "not copied in";
  EXPECT_TRUE(SetReports(*s_dir).empty()) << "sent before Apply";

  Click("Apply");
  const std::vector<std::vector<std::uint8_t>> expected = {
      Bytes(monitor::BuildProfileReport(1)), Bytes(monitor::BuildSensorReport(*fps, 1)),
      Bytes(monitor::BuildButtonReport(*fps, 1))};
  EXPECT_TRUE(WaitUntil([&] { return SetReports(*s_dir).size() >= expected.size(); }));
  EXPECT_TRUE(SetReports(*s_dir) == expected) << "not the whole slot, or more";
  const std::optional<MouseState> mouse = ParseMouseState(Mousectl(*s_dir, "state").output);
  ASSERT_TRUE(mouse);
  EXPECT_TRUE(mouse->sensor[1] == expected[1] && mouse->buttons[1] == expected[2]);

  // Saved over a file with a key of its own, which does not stay.
  const std::string target = s_dir->File("elsewhere\\saved.kmp");
  ASSERT_TRUE(::WritePrivateProfileStringA("Setting", "Stale", "1", target.c_str()));
  HWND save = Open("Save");
  ASSERT_NE(save, nullptr);
  ASSERT_NO_FATAL_FAILURE(ChooseInFileDialog(save, target));
  const std::string copy = s_dir->File("config\\saved.kmp");  // the save's last step
  EXPECT_TRUE(WaitUntil([&] { return !FileBytes(copy).empty(); }));
  char title[64] = {};
  ::GetPrivateProfileStringA("FileName", "Profile2", "", title, sizeof title,
                             s_dir->File("config.ini").c_str());
  EXPECT_STREQ(title, "saved");
  // The slot holds what was loaded, so it is written as the loaded file was.
  EXPECT_TRUE(FileBytes(target) == FileBytes(chosen) && FileBytes(copy) == FileBytes(chosen));
}

}  // namespace
}  // namespace karvo::e2e
