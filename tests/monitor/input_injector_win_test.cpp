// The playback timer's stop signal and the SendInput injector, under Wine: injected keys are
// watched by a low-level keyboard hook of this process.
#include "monitor/input_injector_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <vector>

namespace karvo::monitor {
namespace {

constexpr std::uint32_t kLongWaitMs = 120000;

struct SignalLater {
  WinPlaybackTimer* Timer;
  DWORD DelayMs;
};

DWORD WINAPI SignalAfter(void* param) {
  auto* job = static_cast<SignalLater*>(param);
  ::Sleep(job->DelayMs);
  job->Timer->Signal();
  return 0;
}

TEST(PlaybackTimerWinTest, SignalEndsAWaitAndStaysSetUntilReset) {
  WinPlaybackTimer timer;
  EXPECT_FALSE(timer.WaitUnlessSignalled(1));
  timer.Signal();
  EXPECT_TRUE(timer.WaitUnlessSignalled(kLongWaitMs));
  EXPECT_TRUE(timer.WaitUnlessSignalled(kLongWaitMs));
  timer.Reset();
  EXPECT_FALSE(timer.WaitUnlessSignalled(0));
}

TEST(PlaybackTimerWinTest, SignalFromAnotherThreadCancelsALongWait) {
  WinPlaybackTimer timer;
  SignalLater job{&timer, 50};
  HANDLE thread = ::CreateThread(nullptr, 0, &SignalAfter, &job, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  // Without the signal this would wait two minutes and answer false.
  EXPECT_TRUE(timer.WaitUnlessSignalled(kLongWaitMs));
  EXPECT_EQ(::WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
  ::CloseHandle(thread);
}

std::vector<KBDLLHOOKSTRUCT>* g_seen = nullptr;

LRESULT CALLBACK RecordKey(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && g_seen) g_seen->push_back(*reinterpret_cast<KBDLLHOOKSTRUCT*>(lParam));
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(SendInputInjectorWinTest, KeysArriveInjectedWithTheirFlags) {
  std::vector<KBDLLHOOKSTRUCT> seen;
  g_seen = &seen;
  HHOOK hook = ::SetWindowsHookExA(WH_KEYBOARD_LL, &RecordKey, ::GetModuleHandleA(nullptr), 0);
  ASSERT_NE(hook, nullptr);
  SendInputInjector injector;
  injector.Key(VK_F24, 0x76, false, false);
  injector.Key(VK_F24, 0x76, true, false);
  injector.Key(VK_VOLUME_MUTE, 0, false, true);
  injector.Key(VK_VOLUME_MUTE, 0, true, true);
  // The hook runs on this thread while it pumps.
  const DWORD start = ::GetTickCount();
  MSG msg;
  while (seen.size() < 4 && ::GetTickCount() - start < 10000) {
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  ::UnhookWindowsHookEx(hook);
  g_seen = nullptr;
  ASSERT_EQ(seen.size(), 4u);
  const DWORD keys[] = {VK_F24, VK_F24, VK_VOLUME_MUTE, VK_VOLUME_MUTE};
  for (std::size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(seen[i].vkCode, keys[i]);
    EXPECT_EQ((seen[i].flags & LLKHF_UP) != 0, i % 2 == 1);
    EXPECT_NE(seen[i].flags & LLKHF_INJECTED, 0u);
  }
  EXPECT_EQ(seen[0].scanCode, 0x76u);
  EXPECT_NE(seen[2].flags & LLKHF_EXTENDED, 0u);
}

}  // namespace
}  // namespace karvo::monitor
