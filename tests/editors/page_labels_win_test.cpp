// The button page as its host builds it: created in a window, then refreshed.
// <windows.h> before the settings headers, as the program has it: ReplaceFile is a macro there.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <memory>

#include "editors/button_page_win.h"
#include "editors/macro_store.h"
#include "settings/file_store_win.h"
#include "settings/settings_image.h"

namespace karvo::editors {
namespace {

// The texts set on this thread's windows, counted per window.
std::map<HWND, int>* g_textsSet = nullptr;

LRESULT CALLBACK CountTextsSet(int code, WPARAM wParam, LPARAM lParam) {
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && g_textsSet && call->message == WM_SETTEXT) ++(*g_textsSet)[call->hwnd];
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(ButtonPageWin, EachLabelIsWrittenOnceWhenTheHostRefreshesTheNewPage) {
  auto working = std::make_unique<settings::SettingsImage>();
  settings::ResetImage(working.get());
  working->CurrentProfile = 0;
  settings::SetProfileDefaults(&working->Profiles[0], 0);
  settings::WinFileStore files;  // the library is never loaded
  MacroStore macros(files, "sequence.dat");
  HWND host = ::CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE, 0, 0, 700, 500,
                                nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(host, nullptr);

  std::map<HWND, int> textsSet;
  g_textsSet = &textsSet;
  HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROC, &CountTextsSet, nullptr, ::GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  {
    ButtonPage page(ButtonMode::kFirst, *working, macros);
    const bool created = page.CreateAt(host, RECT{0, 0, 400, 300});
    if (created) page.Refresh();
    ::UnhookWindowsHookEx(hook);
    g_textsSet = nullptr;
    ASSERT_TRUE(created);
    int labels = 0;
    for (const auto& [window, count] : textsSet) {
      if (!::IsChild(page.Hwnd(), window)) continue;
      ++labels;
      EXPECT_EQ(count, 1) << "a label's text set again without a change";
    }
    EXPECT_EQ(labels, kButtonCount);
  }
  ::DestroyWindow(host);
}

}  // namespace
}  // namespace karvo::editors
