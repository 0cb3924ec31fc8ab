#include "tests/e2e/dialog_driver_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "tests/e2e/configurator_driver_win.h"
#include "tests/support/input_win.h"
#include "tests/support/pump_win.h"

namespace karvo::e2e {
namespace {

constexpr DWORD kFileDialogTimeoutMs = 30000;  // a bound against hangs, never measured

struct OwnedSearch {
  HWND Owner;
  HWND Found;
};

BOOL CALLBACK FindOwned(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<OwnedSearch*>(param);
  char className[16] = {};
  ::GetClassNameA(window, className, sizeof className);
  if (std::strcmp(className, "#32770") == 0 && ::IsWindowVisible(window) &&
      ::GetWindow(window, GW_OWNER) == search->Owner) {
    search->Found = window;
    return FALSE;
  }
  return TRUE;
}

// GetWindowText does not ask a control of another process for what it holds; the message does.
std::string ControlText(HWND control) {
  char text[2048] = {};
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, 5000, &copied)) {
    return {};
  }
  return std::string(text, std::min<std::size_t>(copied, sizeof text - 1));
}

HWND DialogOwnedBy(HWND owner) {
  OwnedSearch search{owner, nullptr};
  ::EnumWindows(FindOwned, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

// The control with the keyboard focus in window's thread, when it is an edit inside window.
HWND FocusedEditIn(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  char className[16] = {};
  ::GetClassNameA(info.hwndFocus, className, sizeof className);
  const bool edit = _stricmp(className, "Edit") == 0;
  return edit && ::IsChild(window, info.hwndFocus) ? info.hwndFocus : nullptr;
}

}  // namespace

HWND WaitForDialogOwnedBy(HWND owner, DWORD timeoutMs) {
  HWND found = nullptr;
  testing::WaitFor([&] { return (found = DialogOwnedBy(owner)) != nullptr; }, timeoutMs);
  return found;
}

skin::SkinLayout WindowControl(skin::WindowId window, std::string_view name) {
  for (const skin::ControlSpec& control : skin::FindWindowSpec(window).Controls) {
    const skin::SkinLayout layout = skin::ParseLayout(control.Layout);
    if (name == layout.Name) return layout;
  }
  ADD_FAILURE() << "no control " << name;
  return {};
}

void ClickControl(HWND dialog, skin::WindowId window, std::string_view name) {
  const skin::SkinLayout layout = WindowControl(window, name);
  POINT point{(layout.Left + layout.Right) / 2, (layout.Top + layout.Bottom) / 2};
  ASSERT_TRUE(::ClientToScreen(dialog, &point));
  ASSERT_TRUE(testing::MoveMouse(point));
  ASSERT_TRUE(testing::PressLeft(true));
  ASSERT_TRUE(testing::PressLeft(false));
  testing::Pump(100);
}

std::string FieldText(HWND dialog, skin::WindowId window, std::string_view name) {
  return ControlText(ChildAt(dialog, WindowControl(window, name)));
}

bool TypeText(std::wstring_view text) {
  std::vector<INPUT> inputs;
  for (wchar_t c : text) {
    for (DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wScan = c;
      input.ki.dwFlags = KEYEVENTF_UNICODE | up;
      inputs.push_back(input);
    }
  }
  const UINT count = static_cast<UINT>(inputs.size());
  return ::SendInput(count, inputs.data(), sizeof(INPUT)) == count;
}

void ChooseInFileDialog(HWND fileDialog, const std::string& path) {
  ::SetForegroundWindow(fileDialog);
  HWND name = nullptr;
  ASSERT_TRUE(testing::WaitFor([&] { return (name = FocusedEditIn(fileDialog)) != nullptr; },
                               kFileDialogTimeoutMs))
      << "the name field has no focus";
  // Whatever the dialog proposed is deleted as a user would.
  ASSERT_TRUE(testing::TapKey(VK_END));
  for (std::size_t n = ControlText(name).size(); n > 0; --n) ASSERT_TRUE(testing::TapKey(VK_BACK));
  ASSERT_TRUE(testing::WaitFor([&] { return ControlText(name).empty(); }, kFileDialogTimeoutMs));
  ASSERT_TRUE(TypeText(std::wstring(path.begin(), path.end())));
  ASSERT_TRUE(testing::WaitFor([&] { return ControlText(name) == path; }, kFileDialogTimeoutMs));
  ASSERT_TRUE(testing::TapKey(VK_RETURN));
  HWND prompt = nullptr;
  ASSERT_TRUE(testing::WaitFor(
      [&] { return !::IsWindow(fileDialog) || (prompt = DialogOwnedBy(fileDialog)) != nullptr; },
      kFileDialogTimeoutMs));
  if (prompt) {
    // Replace the existing file: Y is the mnemonic of Yes.
    ::SetForegroundWindow(prompt);
    ASSERT_TRUE(testing::TapKey('Y'));
    ASSERT_TRUE(testing::WaitFor([&] { return !::IsWindow(fileDialog); }, kFileDialogTimeoutMs));
  }
}

}  // namespace karvo::e2e
