// The window base seen as Wine's message tests see a window: which messages reach the object
// from creation to destruction, whoever destroys the window, and what a failing handler does.
#include "platform/window_win.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/recording_window_win.h"

namespace karvo::platform {
namespace {

using testing::MessagesInOrder;

constexpr UINT kThrowStd = WM_USER + 1;
constexpr UINT kThrowOther = WM_USER + 2;
constexpr UINT kAnswer = WM_USER + 3;

// Every message the system hands to a probe window, seen by a WH_CALLWNDPROC hook.
struct SystemView {
  static std::vector<UINT>* g_log;
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<CWPSTRUCT*>(lParam);
    wchar_t name[32] = {};
    if (code == HC_ACTION && g_log && ::GetClassNameW(call->hwnd, name, 32) > 0 &&
        std::wstring(name) == L"KarvoProbeWindow") {
      g_log->push_back(call->message);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
  }
  explicit SystemView(std::vector<UINT>& log) {
    g_log = &log;
    m_hook = ::SetWindowsHookExW(WH_CALLWNDPROC, &Hook, nullptr, ::GetCurrentThreadId());
  }
  ~SystemView() {
    if (m_hook) ::UnhookWindowsHookEx(m_hook);
    g_log = nullptr;
  }
  HHOOK m_hook = nullptr;
};
std::vector<UINT>* SystemView::g_log = nullptr;

// Logs what reaches the object into a log that outlives it.
class ProbeWindow : public Window {
 public:
  explicit ProbeWindow(std::vector<UINT>& log, bool failCreate = false)
      : m_log(log), m_failCreate(failCreate) {}
  bool Create(const char* className = "KarvoProbeWindow") {
    return Window::Create(::GetModuleHandleW(nullptr), {.Name = className}, "probe",
                          {.Style = WS_OVERLAPPEDWINDOW, .Width = 200, .Height = 100});
  }
  using Window::Destroy;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    m_log.push_back(message);
    switch (message) {
      case WM_CREATE:
        if (m_failCreate) throw std::runtime_error("no resources");
        break;
      case kThrowStd:
        throw std::runtime_error("handler failed");
      case kThrowOther:
        throw 5;
      case kAnswer:
        return 42;
      default:
        break;
    }
    return DefaultProc(message, wParam, lParam);
  }

 private:
  std::vector<UINT>& m_log;
  bool m_failCreate;
};

TEST(WindowBase, ObjectSeesCreationFromNcCreateAndIsDetachedAfterNcDestroy) {
  std::vector<UINT> system;
  std::vector<UINT> object;
  {
    SystemView view(system);
    ProbeWindow window(object);
    ASSERT_TRUE(window.Create());
    ASSERT_NE(window.Hwnd(), nullptr);
    EXPECT_EQ(Window::FromHandle(window.Hwnd()), &window);
    // What arrives before WM_NCCREATE gets the default handling, not the object.
    EXPECT_TRUE(MessagesInOrder(system, {WM_GETMINMAXINFO, WM_NCCREATE, WM_CREATE}));
    ASSERT_FALSE(object.empty());
    EXPECT_EQ(object.front(), static_cast<UINT>(WM_NCCREATE));
    EXPECT_TRUE(MessagesInOrder(object, {WM_NCCREATE, WM_CREATE}));

    // Destroyed from outside: the object sees the end and lets go of the handle.
    const HWND hwnd = window.Hwnd();
    object.clear();
    ASSERT_TRUE(::DestroyWindow(hwnd));
    EXPECT_TRUE(MessagesInOrder(object, {WM_DESTROY, WM_NCDESTROY}));
    EXPECT_EQ(object.back(), static_cast<UINT>(WM_NCDESTROY));
    EXPECT_EQ(window.Hwnd(), nullptr);
    object.clear();
  }
  // The object's end had no window left to destroy.
  EXPECT_TRUE(object.empty());
}

TEST(WindowBase, TheObjectsEndDestroysItsWindowWithoutCallingBackIntoIt) {
  std::vector<UINT> object;
  HWND hwnd = nullptr;
  {
    ProbeWindow window(object);
    ASSERT_TRUE(window.Create());
    hwnd = window.Hwnd();
    object.clear();
  }
  EXPECT_FALSE(::IsWindow(hwnd));
  EXPECT_TRUE(object.empty()) << "a message reached an object being destroyed";

  // Destroy() ends the window while the object still hears it.
  ProbeWindow window(object);
  ASSERT_TRUE(window.Create());
  object.clear();
  window.Destroy();
  EXPECT_TRUE(MessagesInOrder(object, {WM_DESTROY, WM_NCDESTROY}));
  EXPECT_EQ(window.Hwnd(), nullptr);
}

TEST(WindowBase, AFailingHandlerAnswersZeroAndTheWindowGoesOn) {
  std::vector<UINT> object;
  ProbeWindow window(object);
  ASSERT_TRUE(window.Create());
  EXPECT_EQ(::SendMessageW(window.Hwnd(), kThrowStd, 0, 0), 0);
  EXPECT_EQ(::SendMessageW(window.Hwnd(), kThrowOther, 0, 0), 0);
  EXPECT_EQ(::SendMessageW(window.Hwnd(), kAnswer, 0, 0), 42);

  // A creation handler that fails refuses the window; the object is detached again.
  std::vector<UINT> failed;
  ProbeWindow refused(failed, true);
  EXPECT_FALSE(refused.Create());
  EXPECT_EQ(refused.Hwnd(), nullptr);
  EXPECT_TRUE(MessagesInOrder(failed, {WM_NCCREATE, WM_CREATE, WM_NCDESTROY}));
}

TEST(WindowBase, ClassIsRegisteredOnceAndNotTakenOverFromAnotherProcedure) {
  std::vector<UINT> log;
  ProbeWindow first(log);
  ProbeWindow second(log);
  ASSERT_TRUE(first.Create("KarvoProbeShared"));
  ASSERT_TRUE(second.Create("KarvoProbeShared"));
  EXPECT_NE(first.Hwnd(), second.Hwnd());

  WNDCLASSW foreign{};
  foreign.lpfnWndProc = &::DefWindowProcW;
  foreign.hInstance = ::GetModuleHandleW(nullptr);
  foreign.lpszClassName = L"KarvoProbeForeign";
  ASSERT_TRUE(::RegisterClassW(&foreign));
  ProbeWindow third(log);
  EXPECT_FALSE(third.Create("KarvoProbeForeign"));
  EXPECT_EQ(Window::FromHandle(::GetDesktopWindow()), nullptr);
}

}  // namespace
}  // namespace karvo::platform
