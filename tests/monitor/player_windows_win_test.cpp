// The media players as the monitor finds and commands them, with stand-in windows of this
// process, and the player registry entries read from HKEY_LOCAL_MACHINE of the Wine prefix.
#include "monitor/player_windows_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "monitor/player_launch.h"

namespace karvo::monitor {
namespace {

constexpr char kTestKey[] = "Software\\KarvoEventsPlayerTest";

struct Received {
  UINT Message;
  WPARAM WParam;
  LPARAM LParam;
};

class StandIn {
 public:
  StandIn(const char* className, const char* title) : m_class(className) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &StandIn::Proc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = className;
    ::RegisterClassA(&wc);
    m_window = ::CreateWindowExA(0, className, title, WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                                 wc.hInstance, this);
  }
  ~StandIn() {
    if (m_window) ::DestroyWindow(m_window);
    ::UnregisterClassA(m_class.c_str(), ::GetModuleHandleA(nullptr));
  }
  HWND Handle() const { return m_window; }
  std::vector<Received> Messages;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      ::SetWindowLongPtrA(
          window, GWLP_USERDATA,
          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    }
    auto* self = reinterpret_cast<StandIn*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && (message == WM_KEYDOWN || message == WM_KEYUP || message == WM_COMMAND)) {
      self->Messages.push_back({message, wParam, lParam});
      return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
  }
  std::string m_class;
  HWND m_window = nullptr;
};

void PumpQueued() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
}

IPlayerWindows::Handle H(HWND window) { return reinterpret_cast<IPlayerWindows::Handle>(window); }

TEST(PlayerWindowsWinTest, PlayersAreFoundByClassAndTitle) {
  WinPlayerWindows players(nullptr);
  EXPECT_EQ(players.FindWinamp(), 0u);
  EXPECT_EQ(players.FindITunes(), 0u);
  StandIn winamp("Winamp v1.x", "Winamp 5");
  StandIn wrongTitle("iTunes", "iTunes Store");
  EXPECT_EQ(players.FindITunes(), 0u);
  StandIn itunes("iTunes", "iTunes");
  EXPECT_EQ(players.FindWinamp(), H(winamp.Handle()));
  EXPECT_EQ(players.FindITunes(), H(itunes.Handle()));
}

TEST(PlayerWindowsWinTest, VlcIsTheQWidgetWhoseTitleNamesIt) {
  WinPlayerWindows players(nullptr);
  StandIn other("OtherClass", "VLC look-alike");
  EXPECT_EQ(players.FindVlc(), 0u);
  StandIn helper("QWidget", "Qt helper");
  EXPECT_EQ(players.FindVlc(), 0u);
  StandIn vlc("QWidget", "Song - VLC media player");
  EXPECT_EQ(players.FindVlc(), H(vlc.Handle()));
}

TEST(PlayerWindowsWinTest, SendArrivesAtOnceAndPostAfterPumping) {
  WinPlayerWindows players(nullptr);
  StandIn winamp("Winamp v1.x", "Winamp");
  players.Send(H(winamp.Handle()), WM_COMMAND, 40045, 0);
  ASSERT_EQ(winamp.Messages.size(), 1u);
  EXPECT_EQ(winamp.Messages[0].WParam, 40045u);
  players.Post(H(winamp.Handle()), WM_KEYUP, 0x20, static_cast<LPARAM>(0xC0390001u));
  EXPECT_EQ(winamp.Messages.size(), 1u);
  PumpQueued();
  ASSERT_EQ(winamp.Messages.size(), 2u);
  EXPECT_EQ(winamp.Messages[1].Message, static_cast<UINT>(WM_KEYUP));
  EXPECT_EQ(static_cast<DWORD>(winamp.Messages[1].LParam), 0xC0390001u);
}

class MachineKey {
 public:
  MachineKey() {
    HKEY key = nullptr;
    m_ok = ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                             &key, nullptr) == ERROR_SUCCESS;
    if (m_ok) m_key = key;
  }
  ~MachineKey() {
    if (m_key) ::RegCloseKey(m_key);
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kTestKey);
  }
  bool Ok() const { return m_ok; }
  bool Set(const char* name, DWORD type, const void* data, DWORD size) {
    return ::RegSetValueExA(m_key, name, 0, type, static_cast<const BYTE*>(data), size) ==
           ERROR_SUCCESS;
  }

 private:
  bool m_ok = false;
  HKEY m_key = nullptr;
};

TEST(PlayerWindowsWinTest, RegistryStringsAreReadWithinTheirBound) {
  MachineKey key;
  ASSERT_TRUE(key.Ok());
  const char path[] = "\"C:\\Winamp\\winamp.exe\" \"%1\"";
  ASSERT_TRUE(key.Set(nullptr, REG_SZ, path, sizeof path));
  EXPECT_EQ(ReadMachineString(kTestKey, nullptr), std::string(path));
  const std::string longText(400, 'x');
  ASSERT_TRUE(key.Set("long", REG_SZ, longText.c_str(), static_cast<DWORD>(longText.size() + 1)));
  EXPECT_EQ(ReadMachineString(kTestKey, "long"), std::nullopt);
  const DWORD number = 7;
  ASSERT_TRUE(key.Set("number", REG_DWORD, &number, sizeof number));
  EXPECT_EQ(ReadMachineString(kTestKey, "number"), std::nullopt);
  const char unterminated[] = {'v', 'l', 'c'};
  ASSERT_TRUE(key.Set("bare", REG_SZ, unterminated, sizeof unterminated));
  EXPECT_EQ(ReadMachineString(kTestKey, "bare"), std::string("vlc"));
  EXPECT_EQ(ReadMachineString(kTestKey, "missing"), std::nullopt);
  EXPECT_EQ(ReadMachineString("Software\\KarvoNoSuchKey", nullptr), std::nullopt);
}

// A value below HKEY_LOCAL_MACHINE for one test: the keys it had to create are removed again
// and a value that was there before is put back.
class MachineValue {
 public:
  MachineValue(std::string key, const char* name) : m_key(std::move(key)), m_name(name) {
    for (std::size_t at = m_key.find('\\');; at = m_key.find('\\', at + 1)) {
      std::string part = m_key.substr(0, at);
      HKEY probe = nullptr;
      if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, part.c_str(), 0, KEY_READ, &probe) == ERROR_SUCCESS) {
        ::RegCloseKey(probe);
      } else {
        m_created.push_back(part);
      }
      if (at == std::string::npos) break;
    }
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, m_key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          &m_handle, nullptr) != ERROR_SUCCESS) {
      m_handle = nullptr;
      return;
    }
    DWORD size = sizeof m_old;
    m_hadOld =
        ::RegQueryValueExA(m_handle, m_name, nullptr, &m_oldType, m_old, &size) == ERROR_SUCCESS;
    m_oldSize = size;
  }
  ~MachineValue() {
    if (!m_handle) return;
    if (m_hadOld) {
      ::RegSetValueExA(m_handle, m_name, 0, m_oldType, m_old, m_oldSize);
    } else {
      ::RegDeleteValueA(m_handle, m_name);
    }
    ::RegCloseKey(m_handle);
    for (auto it = m_created.rbegin(); it != m_created.rend(); ++it) {
      ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, it->c_str());
    }
  }
  bool Set(DWORD type, const std::string& text) {
    return m_handle &&
           ::RegSetValueExA(m_handle, m_name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
  }

 private:
  std::string m_key;
  const char* m_name;
  std::vector<std::string> m_created;
  HKEY m_handle = nullptr;
  bool m_hadOld = false;
  DWORD m_oldType = 0;
  BYTE m_old[1024] = {};
  DWORD m_oldSize = 0;
};

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The registry value as the player's installer may have stored it: quoted or not, with blanks
// in the path, with arguments, with an environment variable. The stand-in is a companion
// stand-in in a directory whose name has blanks and says "iTunes"; it writes its command line.
TEST(PlayerWindowsWinTest, RegisteredPlayersStartQuotedOrNotWithTheirArguments) {
  char temp[MAX_PATH];
  ASSERT_NE(::GetTempPathA(MAX_PATH, temp), 0u);
  const std::string dir =
      std::string(temp) + "Karvo Player " + std::to_string(::GetCurrentProcessId()) + "\\My iTunes";
  ::CreateDirectoryA(dir.substr(0, dir.rfind('\\')).c_str(), nullptr);
  ASSERT_TRUE(::CreateDirectoryA(dir.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
  const std::string program = dir + "\\KARVO Gaming Mouse OSD.exe";
  std::string built = KARVO_STANDIN_EXE;
  std::replace(built.begin(), built.end(), '/', '\\');
  ASSERT_TRUE(::CopyFileA(("Z:" + built).c_str(), program.c_str(), FALSE)) << ::GetLastError();
  ASSERT_TRUE(::SetEnvironmentVariableA("KARVO_PLAYER_DIR", dir.c_str()));

  struct LaunchCase {
    int Option;
    const char* Key;
    const char* Value;
    DWORD Type;
    std::string Stored;
    std::string CommandLine;
  };
  const LaunchCase cases[] = {
      {kPlayerWindowsMedia, PlayerRegistrationFor(0)->Key, nullptr, REG_EXPAND_SZ,
       "\"%KARVO_PLAYER_DIR%\\KARVO Gaming Mouse OSD.exe\"", "\"" + program + "\""},
      {kPlayerITunes, PlayerRegistrationFor(1)->Key, "path", REG_SZ,
       "\"" + program + "\" --from-test \"two words\"",
       "\"" + program + "\" --from-test \"two words\""},
      {kPlayerITunes, PlayerRegistrationFor(1)->Key, "path", REG_SZ, program,
       "\"" + program + "\""},
  };
  WinPlayerWindows players(nullptr);
  for (const LaunchCase& c : cases) {
    SCOPED_TRACE(c.Stored);
    MachineValue value(c.Key, c.Value);
    ASSERT_TRUE(value.Set(c.Type, c.Stored));
    ::DeleteFileA((program + ".args").c_str());
    players.LaunchPlayer(c.Option);
    HWND started = nullptr;
    for (int i = 0; i < 600 && !started; ++i) {
      started = ::FindWindowA(nullptr, "KARVO Gaming Mouse OSD");
      if (!started) ::Sleep(50);
    }
    ASSERT_NE(started, nullptr) << "the player was not started";
    EXPECT_EQ(ReadText(program + ".args"), c.CommandLine);
    ::PostMessageA(started, WM_CLOSE, 0, 0);
    for (int i = 0; i < 600 && ::IsWindow(started); ++i) ::Sleep(50);
  }
  ::SetEnvironmentVariableA("KARVO_PLAYER_DIR", nullptr);
  for (const char* file : {".args", ".log"}) ::DeleteFileA((program + file).c_str());
  // The last stand-in may still be ending after its window went.
  for (int i = 0; i < 100 && !::DeleteFileA(program.c_str()); ++i) ::Sleep(50);
  ::RemoveDirectoryA(dir.c_str());
  ::RemoveDirectoryA(dir.substr(0, dir.rfind('\\')).c_str());
}

}  // namespace
}  // namespace karvo::monitor
