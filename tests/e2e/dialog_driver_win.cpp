#include "tests/e2e/dialog_driver_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/e2e/configurator_driver_win.h"
#include "tests/support/input_win.h"
#include "tests/support/pump_win.h"

namespace karvo::e2e {
namespace {

constexpr DWORD kTimeoutMs = 30000;  // a bound against hangs, never measured

GUITHREADINFO ThreadState(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info)) return {};
  return info;
}

}  // namespace

void ClickControl(HWND hwnd, skin::WindowId window, std::string_view name) {
  const skin::SkinLayout layout = WindowControl(window, name);
  POINT point{(layout.Left + layout.Right) / 2, (layout.Top + layout.Bottom) / 2};
  ASSERT_TRUE(::ClientToScreen(hwnd, &point));
  ASSERT_TRUE(testing::MoveMouse(point));
  HWND button = ChildAt(hwnd, layout);
  testing::WaitFor([&] { return ThreadState(hwnd).hwndCapture == button; }, kTimeoutMs);
  ASSERT_TRUE(testing::PressLeft(true));
  ASSERT_TRUE(testing::PressLeft(false));
  testing::Pump(100);
  ASSERT_TRUE(testing::MoveMouse({0, 0}));
}

std::string FieldText(HWND hwnd, skin::WindowId window, std::string_view name) {
  return TextOf(ChildAt(hwnd, WindowControl(window, name)));
}

bool TypeText(std::wstring_view text) {
  std::vector<INPUT> inputs(text.size() * 2);
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wScan = text[i / 2];
    inputs[i].ki.dwFlags = KEYEVENTF_UNICODE | (i % 2 ? KEYEVENTF_KEYUP : 0);
  }
  const UINT count = static_cast<UINT>(inputs.size());
  return ::SendInput(count, inputs.data(), sizeof(INPUT)) == count;
}

void ChooseInFileDialog(HWND fileDialog, const std::string& path) {
  ::SetForegroundWindow(fileDialog);
  HWND field = nullptr;
  ASSERT_TRUE(testing::WaitFor(
      [&] {
        field = ThreadState(fileDialog).hwndFocus;
        char className[16] = {};
        ::GetClassNameA(field, className, sizeof className);
        return ::IsChild(fileDialog, field) && _stricmp(className, "Edit") == 0;
      },
      kTimeoutMs))
      << "the name field has no focus";
  ASSERT_TRUE(testing::TapKey(VK_END));
  for (std::size_t n = TextOf(field).size(); n > 0; --n) ASSERT_TRUE(testing::TapKey(VK_BACK));
  ASSERT_TRUE(TypeText(std::wstring(path.begin(), path.end())));
  ASSERT_TRUE(testing::WaitFor([&] { return TextOf(field) == path; }, kTimeoutMs));
  ASSERT_TRUE(testing::TapKey(VK_RETURN));
  HWND prompt = nullptr;
  ASSERT_TRUE(testing::WaitFor(
      [&] {
        return !::IsWindow(fileDialog) || (prompt = WaitForOwnedDialog(fileDialog, 0)) != nullptr;
      },
      kTimeoutMs));
  if (!prompt) return;
  ::SetForegroundWindow(prompt);
  ASSERT_TRUE(testing::TapKey('Y'));  // the mnemonic of Yes
  ASSERT_TRUE(testing::WaitFor([&] { return !::IsWindow(fileDialog); }, kTimeoutMs));
}

}  // namespace karvo::e2e
