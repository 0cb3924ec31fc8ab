// The media players as the monitor finds and commands them, with stand-in windows of this
// process, and the player registry entries read from HKEY_LOCAL_MACHINE of the Wine prefix.
#include "monitor/player_windows_win.h"

#include <gtest/gtest.h>
#include <windows.h>

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

}  // namespace
}  // namespace karvo::monitor
