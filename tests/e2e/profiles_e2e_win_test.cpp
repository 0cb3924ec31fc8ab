// The profile commands of the installed configurator used as a user would, next to the real
// monitor and the virtual mouse: the profile dialog and the system's file dialogs driven with
// real clicks and typed text. What a command changes shows at once and reaches the files, the
// monitor and the mouse only by Apply; a game named in the dialog makes its slot the active one.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <cstring>
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
#include "tests/e2e/dialog_driver_win.h"
#include "tests/e2e/transfer_suite_win.h"
#include "tests/support/input_win.h"
#include "tests/support/pump_win.h"

namespace karvo::e2e {
namespace {

using settings::ProfileSettings;
using skin::WindowId;

constexpr DWORD kStartTimeoutMs = 60000;  // bounds against hangs, never measured
constexpr DWORD kActionTimeoutMs = 30000;
constexpr char kNameField[] = "ProfileName";
constexpr char kPathField[] = "Gaming path to executeable";

bool WaitUntil(const std::function<bool()>& done) {
  return testing::WaitFor(done, kActionTimeoutMs);
}

std::vector<std::vector<std::uint8_t>> SetReports(const InstallDir& dir) {
  std::vector<std::vector<std::uint8_t>> sets;
  for (const LoggedReport& report : ParseReportLog(Mousectl(dir, "reports").output)) {
    if (report.isSet) sets.push_back(report.bytes);
  }
  return sets;
}

template <std::size_t N>
std::vector<std::uint8_t> Bytes(const std::array<std::uint8_t, N>& report) {
  return {report.begin(), report.end()};
}

// One monitor, mouse and configurator for every story: starting them is most of the time.
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

  // A story that failed halfway leaves no dialog open to block the next one.
  void TearDown() override {
    for (int attempt = 0; attempt < 4; ++attempt) {
      HWND deepest = nullptr;
      for (HWND owner = s_window; (owner = WaitForDialogOwnedBy(owner, 0));) deepest = owner;
      if (!deepest) break;
      ::PostMessageA(deepest, WM_CLOSE, 0, 0);
      WaitUntil([&] { return !::IsWindow(deepest); });
    }
  }

  static void SelectSlot(int slot) {
    Click(s_window, SlotName(slot));
    ASSERT_TRUE(WaitUntil([&] { return HighlightedSlot(s_window) == slot; }));
  }

  // Returns once the configurator has handled what came before.
  static void Settle() {
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutA(s_window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kActionTimeoutMs, &answer);
  }

  static HWND OpenProfileDialog(const char* command) {
    Click(s_window, command);
    return WaitForDialogOwnedBy(s_window, kActionTimeoutMs);
  }

  static inline std::unique_ptr<InstallDir> s_dir;
  static inline std::unique_ptr<MonitorProcess> s_monitor;
  static inline std::unique_ptr<testing::ChildProcess> s_configurator;
  static inline HWND s_window = nullptr;
};

TEST_F(ProfilesEndToEnd, NameAndBrowsedGameShowAtOnceAndReachFilesAndTheGameWatchByApply) {
  const std::string game = s_dir->File("elsewhere\\Sniper.exe");
  std::string standIn = KARVO_GAMES_STANDIN_EXE;
  for (char& c : standIn) c = c == '/' ? '\\' : c;
  ASSERT_TRUE(::CopyFileA(("Z:" + standIn).c_str(), game.c_str(), FALSE));
  ASSERT_NO_FATAL_FAILURE(SelectSlot(2));
  const std::string slotFile = s_dir->File("config\\Default2.kmp");
  const std::string fileBefore = FileBytes(slotFile);

  HWND dialog = OpenProfileDialog("Create");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(FieldText(dialog, WindowId::ProfileDialog, kNameField), "");
  EXPECT_EQ(FieldText(dialog, WindowId::ProfileDialog, kPathField), "");
  ASSERT_TRUE(testing::TapKey(VK_RETURN));
  ASSERT_TRUE(testing::TapKey(VK_ESCAPE));
  // The name field has the focus; what goes past 32 characters is not taken.
  ASSERT_TRUE(TypeText(L"Sniper Elite 4 - Long Range Practice Map"));
  const std::string name = "Sniper Elite 4 - Long Range Prac";
  EXPECT_TRUE(
      WaitUntil([&] { return FieldText(dialog, WindowId::ProfileDialog, kNameField) == name; }));
  ClickControl(dialog, WindowId::ProfileDialog, "browser1");
  HWND browse = WaitForDialogOwnedBy(dialog, kActionTimeoutMs);
  ASSERT_NE(browse, nullptr);
  ASSERT_NO_FATAL_FAILURE(ChooseInFileDialog(browse, game));
  EXPECT_TRUE(
      WaitUntil([&] { return FieldText(dialog, WindowId::ProfileDialog, kPathField) == game; }));
  EXPECT_TRUE(::IsWindowVisible(dialog)) << "Enter or Escape closed the dialog";
  ClickControl(dialog, WindowId::ProfileDialog, "BUTTON_OK");
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }));
  EXPECT_EQ(LabelText(s_window, 2), name);
  EXPECT_EQ(FileBytes(slotFile), fileBefore) << "stored before Apply";

  // Edit shows both; a path longer than the record holds keeps the dialog open, and Cancel
  // and the close cross leave the slot as it was.
  dialog = OpenProfileDialog("Edit");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(FieldText(dialog, WindowId::ProfileDialog, kNameField), name);
  EXPECT_EQ(FieldText(dialog, WindowId::ProfileDialog, kPathField), game);
  // As a browse could put it there: typing stops at the field's limit.
  const std::string tooLong = "C:\\" + std::string(520, 'x') + ".exe";
  HWND pathField = ChildAt(dialog, WindowControl(WindowId::ProfileDialog, kPathField));
  ::SendMessageA(pathField, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(tooLong.c_str()));
  ClickControl(dialog, WindowId::ProfileDialog, "BUTTON_OK");
  // Refused, the path is selected for the user to shorten.
  EXPECT_TRUE(WaitUntil(
      [&] { return ::SendMessageA(pathField, EM_GETSEL, 0, 0) == MAKELONG(0, tooLong.size()); }));
  EXPECT_TRUE(::IsWindowVisible(dialog)) << "a path the record cannot hold was taken";
  ClickControl(dialog, WindowId::ProfileDialog, "BUTTON_Cancel");
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }));
  dialog = OpenProfileDialog("Edit");
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(TypeText(L"!"));
  EXPECT_TRUE(
      WaitUntil([&] { return FieldText(dialog, WindowId::ProfileDialog, kNameField) == "!"; }));
  ClickControl(dialog, WindowId::ProfileDialog, "Exit");
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }));
  Settle();
  EXPECT_EQ(LabelText(s_window, 2), name);

  // Applied from another slot, so that the game has a switch to make.
  ASSERT_NO_FATAL_FAILURE(SelectSlot(0));
  Click(s_window, "Apply");
  settings::WinFileStore store;
  settings::WinRegistry registry;
  settings::SettingsFiles files(store, registry, s_dir->Path());
  auto stored = std::make_unique<ProfileSettings>();
  EXPECT_TRUE(WaitUntil([&] {
    return files.LoadProfileFile(stored.get(), slotFile) == 1 &&
           settings::FieldText(stored->ProFileName) == name &&
           settings::FieldText(stored->GameFile) == game;
  }));

  testing::ChildProcess running(game, {}, s_dir->File("elsewhere"));
  HWND gameWindow = nullptr;
  ASSERT_TRUE(
      WaitUntil([&] { return (gameWindow = ::FindWindowA(nullptr, "Sniper.exe")) != nullptr; }));
  ::SetForegroundWindow(gameWindow);
  EXPECT_TRUE(WaitUntil([&] {
    std::optional<MouseState> state = ParseMouseState(Mousectl(*s_dir, "state").output);
    return state && state->activeSlot == 2;
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
  settings::SettingsFiles files(store, registry, s_dir->Path());
  const std::string chosen = s_dir->File("elsewhere\\fps.kmp");
  ASSERT_EQ(files.SaveProfileFile(fps.get(), chosen), 1);

  ASSERT_NO_FATAL_FAILURE(SelectSlot(1));
  ASSERT_EQ(Mousectl(*s_dir, "reports --clear").exitCode, 0u);
  Click(s_window, "Load");
  HWND open = WaitForDialogOwnedBy(s_window, kActionTimeoutMs);
  ASSERT_NE(open, nullptr);
  ASSERT_NO_FATAL_FAILURE(ChooseInFileDialog(open, chosen));
  EXPECT_TRUE(WaitUntil([&] { return LabelText(s_window, 1) == "FPS"; }));
  EXPECT_EQ(FileBytes(s_dir->File("fps.kmp")), FileBytes(chosen)) << "no copy in the install dir";
  EXPECT_TRUE(SetReports(*s_dir).empty()) << "sent before Apply";

  Click(s_window, "Apply");
  const std::vector<std::vector<std::uint8_t>> expected = {
      Bytes(monitor::BuildProfileReport(1)), Bytes(monitor::BuildSensorReport(*fps, 1)),
      Bytes(monitor::BuildButtonReport(*fps, 1))};
  EXPECT_TRUE(WaitUntil([&] { return SetReports(*s_dir).size() >= expected.size(); }));
  EXPECT_EQ(SetReports(*s_dir), expected) << "the whole slot, and only it";
  const std::optional<MouseState> mouse = ParseMouseState(Mousectl(*s_dir, "state").output);
  ASSERT_TRUE(mouse);
  EXPECT_EQ(mouse->sensor[1], expected[1]);
  EXPECT_EQ(mouse->buttons[1], expected[2]);

  // Saved over a file with keys of its own: none of them stays.
  const std::string target = s_dir->File("elsewhere\\saved.kmp");
  ASSERT_TRUE(::WritePrivateProfileStringA("Setting", "Stale", "1", target.c_str()));
  Click(s_window, "Save");
  HWND save = WaitForDialogOwnedBy(s_window, kActionTimeoutMs);
  ASSERT_NE(save, nullptr);
  ASSERT_NO_FATAL_FAILURE(ChooseInFileDialog(save, target));
  const std::string config = s_dir->File("config.ini");
  EXPECT_TRUE(WaitUntil([&] {
    char title[64] = {};
    ::GetPrivateProfileStringA("FileName", "Profile2", "", title, sizeof title, config.c_str());
    return std::strcmp(title, "saved") == 0;
  }));
  EXPECT_EQ(::GetPrivateProfileIntA("Setting", "Stale", -1, target.c_str()), -1);
  // The slot holds what was loaded, so it is written as the loaded file was.
  EXPECT_EQ(FileBytes(target), FileBytes(chosen));
  EXPECT_EQ(FileBytes(s_dir->File("config\\saved.kmp")), FileBytes(target));
}

}  // namespace
}  // namespace karvo::e2e
