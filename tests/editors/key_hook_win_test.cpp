// The keyboard hook under Wine with keys typed by another process: while it is
// installed every key reaches its window as message 1034 and no one else, however
// the owner goes the keys flow again, and a key nobody can receive is passed on.
#include "editors/key_hook_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/program_dir_win.h"
#include "tests/e2e/events_hook_win.h"
#include "tests/settings/child_process_win.h"

namespace karvo::editors {
namespace {

constexpr DWORD kWaitMs = 10000;

struct Posted {
  WPARAM VirtualKey;
  LPARAM Release;
  bool operator==(const Posted&) const = default;
};

// A message-only window that notes every 1034 it gets.
class Target {
 public:
  Target() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &Target::Proc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "KarvoKeyHookTarget";
    ::RegisterClassA(&wc);
    m_window.Reset(::CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     wc.hInstance, nullptr));
    ::SetWindowLongPtrA(m_window.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  HWND Handle() const { return m_window.Get(); }
  void Destroy() { m_window.Reset(); }
  std::vector<Posted> Received;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Target*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && message == kHookedKeyMessage) self->Received.push_back({wParam, lParam});
    return ::DefWindowProcA(window, message, wParam, lParam);
  }
  platform::UniqueWindow m_window;
};

// Types the keys from a second process while this thread pumps, since the hook runs
// on it; returns when the typist has ended and `until` holds or the time is up.
template <typename Until>
bool TypeFromElsewhere(const std::vector<int>& keys, Until until) {
  std::string arguments = "type";
  for (int key : keys) arguments += " " + std::to_string(key);
  settings::testing::Child typist = settings::testing::StartProgram(
      platform::ProgramDir() + "karvo_editors_test_child.exe", arguments);
  if (!typist.Process) return false;
  const DWORD start = ::GetTickCount();
  for (;;) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    const bool ended = ::WaitForSingleObject(typist.Process.Get(), 0) == WAIT_OBJECT_0;
    if (ended && until()) {
      DWORD code = 1;
      return ::GetExitCodeProcess(typist.Process.Get(), &code) && code == 0;
    }
    if (::GetTickCount() - start > kWaitMs) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

TEST(KeyHookWinTest, HookedKeysReachOnlyTheTargetUntilTheHookGoes) {
  // Hooks run newest first: the observer, installed before, stands for every other
  // program that would see the keys.
  e2e::KeyboardHook observer;
  ASSERT_TRUE(observer.Ok());
  Target target;
  ASSERT_TRUE(target.Handle());
  {
    KeyHook hook(target.Handle());
    ASSERT_TRUE(hook.Installed());
    EXPECT_TRUE(KeyHookInstalled());
    const std::vector<int> keys = {VK_LMENU, VK_SNAPSHOT, VK_RETURN, 'A'};
    ASSERT_TRUE(TypeFromElsewhere(keys, [&] { return target.Received.size() >= 8; }));
    std::vector<Posted> expected;
    for (int key : keys) {
      expected.push_back({static_cast<WPARAM>(key), 0});
      expected.push_back({static_cast<WPARAM>(key), kHookedKeyRelease});
    }
    EXPECT_EQ(target.Received, expected);
  }
  EXPECT_FALSE(KeyHookInstalled());

  // The observer's first keys are the ones typed after the hook went.
  ASSERT_TRUE(TypeFromElsewhere({VK_F24}, [&] { return observer.Keys().size() >= 2; }));
  const std::vector<e2e::HookedKey> seen = observer.Keys();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].VirtualKey, static_cast<DWORD>(VK_F24));
  EXPECT_FALSE(seen[0].Up);
  EXPECT_TRUE(seen[1].Up);
  EXPECT_EQ(target.Received.size(), 8u);
}

TEST(KeyHookWinTest, TheLastOwnerHoldsTheHookAndAGoneTargetLosesNoKey) {
  e2e::KeyboardHook observer;
  ASSERT_TRUE(observer.Ok());
  Target first;
  Target second;
  KeyHook outer(first.Handle());
  {
    KeyHook inner(second.Handle());
    // The first owner lost the hook to the second; its end must not remove it.
    EXPECT_FALSE(outer.Installed());
    outer.Reset();
    ASSERT_TRUE(inner.Installed());
    ASSERT_TRUE(TypeFromElsewhere({'B'}, [&] { return second.Received.size() >= 2; }));
    EXPECT_TRUE(first.Received.empty());

    // The dialog's window went before its hook: keys go on to everyone else.
    second.Destroy();
    ASSERT_TRUE(TypeFromElsewhere({VK_F23}, [&] { return observer.Keys().size() >= 2; }));
    const std::vector<e2e::HookedKey> seen = observer.Keys();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].VirtualKey, static_cast<DWORD>(VK_F23));
    EXPECT_TRUE(inner.Installed());
  }
  EXPECT_FALSE(KeyHookInstalled());
  EXPECT_FALSE(InstallKeyHook(nullptr));
  EXPECT_FALSE(KeyHookInstalled());
}

TEST(KeyHookWinTest, EveryHookedKeyLeavesItsStampInTypingOrderAndANewHookForgetsTheOld) {
  Target target;
  ASSERT_TRUE(target.Handle());
  KeyHook hook(target.Handle());
  ASSERT_TRUE(hook.Installed());
  const DWORD before = ::GetTickCount();
  ASSERT_TRUE(TypeFromElsewhere({'C', 'D'}, [&] { return target.Received.size() >= 4; }));
  const DWORD after = ::GetTickCount();
  std::vector<std::uint32_t> stamps;
  while (std::optional<std::uint32_t> stamp = TakeHookedKeyTime()) stamps.push_back(*stamp);
  ASSERT_EQ(stamps.size(), target.Received.size());
  for (std::size_t i = 0; i < stamps.size(); ++i) {
    EXPECT_LE(before, stamps[i]) << i;
    EXPECT_LE(stamps[i], after) << i;
    if (i > 0) {
      EXPECT_LE(stamps[i - 1], stamps[i]) << i;
    }
  }

  ASSERT_TRUE(TypeFromElsewhere({'E'}, [&] { return target.Received.size() >= 6; }));
  KeyHook again(target.Handle());
  ASSERT_TRUE(again.Installed());
  EXPECT_FALSE(TakeHookedKeyTime());
}

}  // namespace
}  // namespace karvo::editors
