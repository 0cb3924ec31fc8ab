// The foreground program's module name, with a window of this test program in front.
#include "monitor/game_check_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

namespace karvo::monitor {
namespace {

std::string OwnBaseName() {
  char path[MAX_PATH] = {};
  DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string full(path, length);
  std::size_t cut = full.find_last_of("\\/");
  return cut == std::string::npos ? full : full.substr(cut + 1);
}

TEST(GameCheckWinTest, ForegroundWindowGivesItsProgramsBaseName) {
  HWND window = ::CreateWindowExA(0, "STATIC", "game check", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                  200, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  ::SetForegroundWindow(window);
  MSG msg;
  for (int i = 0; i < 20 && ::GetForegroundWindow() != window; ++i) {
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    ::Sleep(50);
  }
  if (::GetForegroundWindow() != window) {
    ::DestroyWindow(window);
    GTEST_SKIP() << "this desktop gave the window no foreground";
  }
  char buffer[kModuleNameMax + 1];
  std::string_view name = ForegroundModuleName(buffer);
  EXPECT_TRUE(_stricmp(std::string(name).c_str(), OwnBaseName().c_str()) == 0) << name;
  EXPECT_EQ(name.size(), std::strlen(buffer));
  ::DestroyWindow(window);
}

}  // namespace
}  // namespace karvo::monitor
