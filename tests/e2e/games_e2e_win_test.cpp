// Game-triggered profiles and the media-player key end to end: a stand-in program copied under
// a game's name comes to the front and the monitor makes the slot naming that game the active
// one; the open-player button starts a stand-in player registered where Winamp registers.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "settings/settings_image.h"
#include "tests/e2e/transfer_suite_win.h"

namespace karvo::e2e {
namespace {

using settings::SettingsImage;

// Bounds against hangs, never measured.
constexpr DWORD kActionTimeoutMs = 30000;
// Three game checks: long enough for a wrong switch to have happened.
constexpr DWORD kNoSwitchWatchMs = 6500;
using platform::kMsgProfileChanged;
constexpr int kOpenPlayerButton = 3;  // record 2 in button mode 1
constexpr char kWinampKey[] = "SOFTWARE\\Classes\\Winamp.File\\shell\\open\\command";
const char* const kWinampKeyChain[] = {"SOFTWARE\\Classes\\Winamp.File\\shell\\open\\command",
                                       "SOFTWARE\\Classes\\Winamp.File\\shell\\open",
                                       "SOFTWARE\\Classes\\Winamp.File\\shell",
                                       "SOFTWARE\\Classes\\Winamp.File"};

std::string StandInPath() {
  std::string path = KARVO_GAMES_STANDIN_EXE;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return "Z:" + path;
}

// A program started in its own directory, ended when the test lets go of it.
struct Program : testing::ChildProcess {
  explicit Program(const std::string& path)
      : ChildProcess(path, {}, path.substr(0, path.find_last_of('\\') + 1)) {}
};

HWND WaitForWindow(const char* title, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    if (HWND window = ::FindWindowA(nullptr, title)) return window;
    if (::GetTickCount() - start > timeoutMs) return nullptr;
    ::Sleep(50);
  }
}

class GamesEndToEnd : public SuiteTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(InstallSuite());
    ASSERT_TRUE(::CreateDirectoryA(m_dir->File("games").c_str(), nullptr));
    ASSERT_NO_FATAL_FAILURE(StartMonitor());
  }

  // The stand-in under a new name in the install directory's games folder.
  std::string Install(const std::string& name) {
    std::string path = m_dir->File("games\\" + name);
    EXPECT_TRUE(::CopyFileA(StandInPath().c_str(), path.c_str(), FALSE)) << path;
    return path;
  }
};

TEST_F(GamesEndToEnd, GameInFrontSelectsTheLowestSlotNamingIt) {
  ASSERT_NO_FATAL_FAILURE(Apply([](SettingsImage& image) {
    settings::SetFieldText(image.Profiles[3].GameFile, "  C:\\Games\\Foo.EXE ");
    settings::SetFieldText(image.Profiles[4].GameFile, "foo.exe");
  }));
  ASSERT_EQ(BlockProfile(), 0);
  const int before = m_configurator.Count(kMsgProfileChanged);
  Program game(Install("foo.exe"));
  ASSERT_TRUE(game.Started());
  HWND window = WaitForWindow("foo.exe", kActionTimeoutMs);
  ASSERT_NE(window, nullptr);
  ::SetForegroundWindow(window);
  ASSERT_TRUE(m_configurator.WaitFor(kMsgProfileChanged, before + 1, kActionTimeoutMs))
      << "the slot did not follow the game";
  EXPECT_EQ(BlockProfile(), 3);
  EXPECT_EQ(IniProfile(), 3);
  EXPECT_TRUE(WaitUntil([&] { return MouseSlot() == 3; })) << "the mouse was not told";
  // The game staying in front does not switch again.
  m_configurator.Pump(kNoSwitchWatchMs);
  EXPECT_EQ(m_configurator.Count(kMsgProfileChanged), before + 1);
}

TEST_F(GamesEndToEnd, ProgramNamingNoSlotLeavesTheProfile) {
  ASSERT_NO_FATAL_FAILURE(Apply([](SettingsImage& image) {
    settings::SetFieldText(image.Profiles[2].GameFile, "C:\\Games\\Foo.exe");
    settings::SetFieldText(image.Profiles[1].GameFile, "   ");
  }));
  const int before = m_configurator.Count(kMsgProfileChanged);
  Program other(Install("other.exe"));
  ASSERT_TRUE(other.Started());
  HWND window = WaitForWindow("other.exe", kActionTimeoutMs);
  ASSERT_NE(window, nullptr);
  ::SetForegroundWindow(window);
  m_configurator.Pump(kNoSwitchWatchMs);
  EXPECT_EQ(m_configurator.Count(kMsgProfileChanged), before);
  EXPECT_EQ(BlockProfile(), 0);
}

class MachineKeys {
 public:
  ~MachineKeys() {
    for (const char* key : kWinampKeyChain) ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, key);
  }
};

TEST_F(GamesEndToEnd, OpenPlayerButtonStartsTheRegisteredWinamp) {
  MachineKeys cleanup;
  const std::string player = Install("winamp.exe");
  const std::string command = "\"" + player + "\" \"%1\"";
  HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kWinampKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
            ERROR_SUCCESS);
  LONG set =
      ::RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>(command.size() + 1));
  ::RegCloseKey(key);
  ASSERT_EQ(set, ERROR_SUCCESS);

  ASSERT_NO_FATAL_FAILURE(Apply([](SettingsImage& image) {
    for (int slot = 0; slot < settings::kProfileCount; ++slot) {
      image.Profiles[slot].MediaOption = 3;
      image.Profiles[slot].MacroKeys[2].FunctionCode = 25;  // open media player
      image.ButtonChanged[slot][2] = 1;
    }
  }));
  ASSERT_EQ(::FindWindowA(nullptr, "winamp.exe"), nullptr);
  ToolRun click = Mousectl(*m_dir, "click " + std::to_string(kOpenPlayerButton));
  ASSERT_EQ(click.exitCode, 0u) << click.output;
  HWND started = WaitForWindow("winamp.exe", kActionTimeoutMs);
  ASSERT_NE(started, nullptr) << "the registered player was not started";
  ::PostMessageA(started, WM_CLOSE, 0, 0);
}

}  // namespace
}  // namespace karvo::e2e
