#include "tests/e2e/window_driver_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "tests/support/input_win.h"
#include "tests/support/pump_win.h"

namespace karvo::e2e {
namespace {

constexpr DWORD kSettleMs = 100;
constexpr DWORD kTimeoutMs = 30000;  // bounds against hangs, never measured
constexpr UINT kTextTimeoutMs = 5000;

GUITHREADINFO ThreadState(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info)) return {};
  return info;
}

bool HasClass(HWND window, const char* name) {
  char className[64] = {};
  if (!::GetClassNameA(window, className, sizeof className)) return false;
  return _stricmp(className, name) == 0;
}

// A skinned button takes the capture when the pointer comes over it while its thread has an
// active window, and gives it up when the pointer leaves.
bool TakesCaptureOnHover(HWND window) {
  return window && HasClass(window, "Button") &&
         (::GetWindowLongA(window, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW &&
         ::IsWindowEnabled(window) && ThreadState(window).hwndActive != nullptr;
}

struct OwnedSearch {
  HWND Owner;
  const char* Class;
  HWND Found;
};

BOOL CALLBACK FindOwned(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<OwnedSearch*>(param);
  if (::GetWindow(window, GW_OWNER) != search->Owner || !::IsWindowVisible(window)) return TRUE;
  if (search->Class && !HasClass(window, search->Class)) return TRUE;
  search->Found = window;
  return FALSE;
}

}  // namespace

HWND WaitForTitle(const char* title, DWORD timeoutMs) {
  HWND window = nullptr;
  const bool shown = testing::WaitFor(
      [&] {
        window = ::FindWindowA(nullptr, title);
        return window && ::IsWindowVisible(window);
      },
      timeoutMs);
  return shown ? window : nullptr;
}

skin::SkinLayout ControlIn(std::span<const skin::ControlSpec> table, std::string_view name) {
  for (const skin::ControlSpec& control : table) {
    const skin::SkinLayout layout = skin::ParseLayout(control.Layout);
    if (name == layout.Name) return layout;
  }
  ADD_FAILURE() << "no control " << name;
  return {};
}

skin::SkinLayout ControlIn(skin::WindowId window, std::string_view name) {
  return ControlIn(skin::FindWindowSpec(window).Controls, name);
}

POINT Middle(const skin::SkinLayout& layout) {
  return {(layout.Left + layout.Right) / 2, (layout.Top + layout.Bottom) / 2};
}

HWND ChildAt(HWND window, const skin::SkinLayout& layout) {
  return ::ChildWindowFromPointEx(window, Middle(layout), CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
}

HWND ControlAt(HWND window, const skin::SkinLayout& layout) {
  POINT point = Middle(layout);
  HWND found = window;
  for (int depth = 0; depth < 4; ++depth) {
    HWND inner = ::ChildWindowFromPointEx(found, point, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    if (!inner || inner == found) break;
    ::MapWindowPoints(found, inner, &point, 1);
    found = inner;
  }
  return found;
}

bool ClickScreen(POINT at, MouseButton button, Press press) {
  if (!testing::MoveMouse(at)) return false;
  HWND under = ::WindowFromPoint(at);
  if (press == Press::kOnceCaptured && TakesCaptureOnHover(under)) {
    // Pressed early, the press goes to whatever held the capture; pressed late, it is the same
    // click: so the wait's outcome does not matter.
    (void)testing::WaitFor([&] { return ThreadState(under).hwndCapture == under; }, kTimeoutMs);
  }
  const bool right = button == MouseButton::kRight;
  return right ? testing::PressRight(true) && testing::PressRight(false)
               : testing::PressLeft(true) && testing::PressLeft(false);
}

bool ClickPoint(HWND window, POINT client, MouseButton button, Press press) {
  if (!::ClientToScreen(window, &client) || !ClickScreen(client, button, press)) return false;
  testing::Pump(kSettleMs);
  return button == MouseButton::kRight || testing::MoveMouse({0, 0});
}

bool ClickAt(HWND window, const skin::SkinLayout& control, MouseButton button, Press press) {
  if (control.Name[0] == '\0') return false;
  return ClickPoint(window, Middle(control), button, press);
}

HWND WaitForOwned(HWND owner, DWORD timeoutMs, const char* windowClass) {
  OwnedSearch search{owner, windowClass, nullptr};
  testing::WaitFor(
      [&] {
        ::EnumWindows(&FindOwned, reinterpret_cast<LPARAM>(&search));
        return search.Found != nullptr;
      },
      timeoutMs);
  return search.Found;
}

std::string TextOf(HWND window) {
  char text[2048] = {};
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, kTextTimeoutMs, &copied)) {
    return {};
  }
  return std::string(text, std::min<std::size_t>(copied, sizeof text - 1));
}

void ChooseInFileDialog(HWND fileDialog, const std::string& path) {
  ::SetForegroundWindow(fileDialog);
  HWND field = nullptr;
  ASSERT_TRUE(testing::WaitFor(
      [&] {
        field = ThreadState(fileDialog).hwndFocus;
        return ::IsChild(fileDialog, field) && HasClass(field, "Edit");
      },
      kTimeoutMs))
      << "the name field has no focus";
  ASSERT_TRUE(testing::TapKey(VK_END));
  for (std::size_t n = TextOf(field).size(); n > 0; --n) ASSERT_TRUE(testing::TapKey(VK_BACK));
  ASSERT_TRUE(testing::TypeText(std::wstring(path.begin(), path.end())));
  ASSERT_TRUE(testing::WaitFor([&] { return TextOf(field) == path; }, kTimeoutMs));
  ASSERT_TRUE(testing::TapKey(VK_RETURN));
  HWND prompt = nullptr;
  ASSERT_TRUE(testing::WaitFor(
      [&] { return !::IsWindow(fileDialog) || (prompt = WaitForOwned(fileDialog)) != nullptr; },
      kTimeoutMs));
  if (!prompt) return;
  ::SetForegroundWindow(prompt);
  ASSERT_TRUE(testing::TapKey('Y'));  // the mnemonic of Yes
  ASSERT_TRUE(testing::WaitFor([&] { return !::IsWindow(fileDialog); }, kTimeoutMs));
}

}  // namespace karvo::e2e
