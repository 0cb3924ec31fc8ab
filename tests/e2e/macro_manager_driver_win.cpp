#include "tests/e2e/macro_manager_driver_win.h"

#include "tests/support/input_win.h"
#include "tests/support/pump_win.h"

namespace karvo::e2e {
namespace {

constexpr int kLineHeight = 16;  // the editable list's lines
constexpr DWORD kSettleMs = 100;

POINT Middle(const skin::SkinLayout& layout) {
  return {(layout.Left + layout.Right) / 2, (layout.Top + layout.Bottom) / 2};
}

struct OwnedSearch {
  HWND Owner;
  HWND Found;
};

BOOL CALLBACK FindOwned(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<OwnedSearch*>(param);
  char className[16] = {};
  ::GetClassNameA(window, className, sizeof className);
  // Dialogs only: the tooltips of the owner's buttons are owned by it too.
  if (::GetWindow(window, GW_OWNER) != search->Owner || !::IsWindowVisible(window) ||
      std::string_view(className) != "#32770") {
    return TRUE;
  }
  search->Found = window;
  return FALSE;
}

bool Send(INPUT input) { return ::SendInput(1, &input, sizeof input) == 1; }

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
  return {};
}

skin::SkinLayout ManagerControl(std::string_view name) {
  return ControlIn(skin::kMacroManagerControls, name);
}

skin::SkinLayout EditorControl(std::string_view name) {
  const skin::SkinLayout panel = ManagerControl("CHILD_POS");
  skin::SkinLayout layout = ControlIn(skin::kMacroEditorControls, name);
  layout.Left += panel.Left;
  layout.Right += panel.Left;
  layout.Top += panel.Top;
  layout.Bottom += panel.Top;
  return layout;
}

HWND ManagerChild(HWND manager, const skin::SkinLayout& control) {
  POINT point = Middle(control);
  if (!::ClientToScreen(manager, &point)) return nullptr;
  return ::WindowFromPoint(point);
}

bool ClickPoint(HWND window, POINT client, bool right) {
  if (!::ClientToScreen(window, &client) || !testing::MoveMouse(client)) return false;
  INPUT press{};
  press.type = INPUT_MOUSE;
  press.mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  INPUT release = press;
  release.mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  if (!Send(press) || !Send(release)) return false;
  testing::Pump(kSettleMs);
  return right || testing::MoveMouse({0, 0});
}

bool ClickControl(HWND window, const skin::SkinLayout& control, bool right) {
  return ClickPoint(window, Middle(control), right);
}

POINT EventLinePoint(int line) {
  const skin::SkinLayout list = EditorControl("Action_List_key_sequence");
  return {(list.Left + list.Right) / 2, list.Top + line * kLineHeight + kLineHeight / 2};
}

bool PressKey(WORD virtualKey, bool down) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtualKey;
  input.ki.wScan = static_cast<WORD>(::MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  return Send(input);
}

bool TypeKeys(const std::vector<WORD>& keys) {
  for (WORD key : keys) {
    if (!PressKey(key, true) || !PressKey(key, false)) return false;
    // Each key handled before the next: a menu opens its submenus one at a time.
    testing::Pump(kSettleMs / 2);
  }
  return true;
}

std::vector<std::uint32_t> ListValues(HWND list) {
  std::vector<std::uint32_t> values;
  const LRESULT count = ::SendMessageA(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    values.push_back(static_cast<std::uint32_t>(::SendMessageA(list, LB_GETITEMDATA, i, 0)));
  }
  return values;
}

int ListSelection(HWND list) { return static_cast<int>(::SendMessageA(list, LB_GETCURSEL, 0, 0)); }

HWND OwnedDialog(HWND owner) {
  OwnedSearch search{owner, nullptr};
  ::EnumWindows(FindOwned, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

}  // namespace karvo::e2e
