// How long the button catalogue takes to appear: from a click (real input) on the label of
// button 4 of a real button page to the menu drawn and waiting for the user (its owner's
// WM_ENTERIDLE), the page building the catalogue anew for every click as it does for the user.
// Set against a plain popup menu with the same entries and submenus, opened by a click on a
// plain button of the same size. Median of 50 rounds each.
//   skinned_menu_bench [rounds]
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_clock_win.h"
#include "editors/button_page_win.h"
#include "editors/function_catalogue.h"
#include "editors/macro_store.h"
#include "platform/gdi_win.h"
#include "platform/handles.h"
#include "platform/text_win.h"
#include "platform/window_win.h"
#include "settings/file_store_win.h"
#include "settings/settings_image.h"
#include "skin/menu_frame_win.h"
#include "skin/skinned_menu_win.h"
#include "skin/window_layouts.h"
#include "tests/support/input_win.h"

namespace {

using karvo::skin::MenuEntry;
using karvo::skin::PopupMenu;

constexpr int kDefaultRounds = 50;
constexpr DWORD kWaitMs = 10000;
constexpr int kButtonId = 100;
constexpr DWORD kSettleMs = 100;

using karvo::bench::NowMs;

// The same entries as system-drawn text items.
HMENU PlainMenu(const std::vector<MenuEntry>& entries) {
  HMENU menu = ::CreatePopupMenu();
  for (const MenuEntry& entry : entries) {
    const std::wstring text = entry.Text.IsUserText
                                  ? karvo::platform::WideFromUserText(entry.Text.Bytes)
                                  : karvo::platform::WideFromSuiteText(entry.Text.Bytes);
    if (entry.IsSubmenu()) {
      ::AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(PlainMenu(entry.Submenu)),
                    text.c_str());
    } else if (entry.Command == 0) {
      ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    } else {
      ::AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(entry.Command), text.c_str());
    }
  }
  return menu;
}

// What the menu loops of the GUI thread tell their owners, whoever the owner is: the first idle
// moment of an opening (the menu has shown, painted everything and waits for the user) and
// the end of the loop.
struct MenuWatch {
  karvo::platform::UniqueHandle Drawn{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  karvo::platform::UniqueHandle Closed{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  double DrawnAtMs = 0;
  bool Idle = false;
  std::atomic<bool> Skinned = false;
  // Idle moments at which the skinned menu's frame was not on the screen yet.
  int Undrawn = 0;
};
MenuWatch* g_watch = nullptr;  // the hook procedure has no context parameter

// The frame is painted last: its corner on the screen shows the whole menu is.
bool FrameOnScreen(HWND menu) {
  RECT r{};
  karvo::platform::WindowDc screen(nullptr);
  return ::GetWindowRect(menu, &r) && screen &&
         ::GetPixel(screen.Get(), r.left, r.top) == karvo::skin::kMenuFrameOuter;
}

LRESULT CALLBACK WatchMenus(int code, WPARAM wParam, LPARAM lParam) {
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && g_watch && call) {
    if (call->message == WM_ENTERIDLE && call->wParam == MSGF_MENU && !g_watch->Idle) {
      g_watch->Idle = true;
      g_watch->DrawnAtMs = NowMs();
      if (g_watch->Skinned && !FrameOnScreen(reinterpret_cast<HWND>(call->lParam))) {
        ++g_watch->Undrawn;
      }
      ::SetEvent(g_watch->Drawn.Get());
    } else if (call->message == WM_EXITMENULOOP) {
      g_watch->Idle = false;
      ::SetEvent(g_watch->Closed.Get());
    }
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// The window both menus open from: a plain button on the left, a real button page beside it.
class Host : public karvo::platform::Window {
 public:
  explicit Host(const PopupMenu& catalogue) : m_catalogue(catalogue) {}

  bool Create(int width, int height) {
    karvo::platform::WindowClass windowClass{"KarvoMenuBenchHost"};
    if (!Window::Create(::GetModuleHandleW(nullptr), windowClass, "menu bench",
                        {WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 40, 40, width, height})) {
      return false;
    }
    m_button =
        ::CreateWindowExW(0, L"BUTTON", L"Button 4", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 20, 20,
                          151, 16, m_hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtonId)),
                          ::GetModuleHandleW(nullptr), nullptr);
    return m_button && ::SetForegroundWindow(m_hwnd);
  }

  POINT ButtonCentre() const {
    RECT r{};
    ::GetWindowRect(m_button, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_COMMAND && LOWORD(wParam) == kButtonId && HIWORD(wParam) == BN_CLICKED) {
      OpenPlain();
      return 0;
    }
    return DefaultProc(message, wParam, lParam);
  }

 private:
  // Opened as the page opens the catalogue: under the button, the right button choosing too.
  void OpenPlain() {
    RECT r{};
    ::GetWindowRect(m_button, &r);
    karvo::platform::UniqueMenu menu(PlainMenu(m_catalogue.Entries));
    ::TrackPopupMenu(menu.Get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD,
                     r.left + 1, r.bottom, 0, m_hwnd, nullptr);
    ::PostMessageW(m_hwnd, WM_NULL, 0, 0);
  }

  const PopupMenu& m_catalogue;
  HWND m_button = nullptr;
};

// One click at `at`: the time until the menu was drawn; then Escape closes it. What went wrong,
// or nullptr.
const char* TimeOpening(MenuWatch& watch, POINT at, std::vector<double>& samples) {
  ::ResetEvent(watch.Drawn.Get());
  ::ResetEvent(watch.Closed.Get());
  if (!karvo::testing::MoveMouse(at)) return "the pointer did not get there";
  // A label holds the pointer while it rests on it: the press must not come before the window
  // under the pointer has taken the move, or it goes to the label left behind.
  ::Sleep(kSettleMs);
  const double start = NowMs();
  if (!karvo::testing::PressLeft(true) || !karvo::testing::PressLeft(false)) return "no click";
  if (::WaitForSingleObject(watch.Drawn.Get(), kWaitMs) != WAIT_OBJECT_0) return "no menu drawn";
  samples.push_back(watch.DrawnAtMs - start);
  if (!karvo::testing::TapKey(VK_ESCAPE) ||
      ::WaitForSingleObject(watch.Closed.Get(), kWaitMs) != WAIT_OBJECT_0) {
    return "the menu did not close";
  }
  return nullptr;
}

int Run(int rounds) {
  // The working copy and library the page edits: slot 1 with its defaults, five macros.
  auto working = std::make_unique<karvo::settings::SettingsImage>();
  karvo::settings::ResetImage(working.get());
  karvo::settings::SetProfileDefaults(&working->Profiles[0], 0);
  working->CurrentProfile = 0;
  karvo::settings::WinFileStore files;
  karvo::editors::MacroStore macros(files, "unused.dat");
  for (const char* name : {"Sprint", "Reload", "Jump", "Crouch", "Build"}) {
    macros.List().push_back(karvo::editors::NewMacro(name));
  }
  const PopupMenu catalogue = karvo::editors::BuildCatalogue(
      karvo::editors::ButtonPageMode::kMode1, 3, working->Profiles[0].MacroKeys[3], macros.List());

  karvo::skin::MenuFrameHook frame;
  MenuWatch watch;
  g_watch = &watch;
  HHOOK watching =
      ::SetWindowsHookExW(WH_CALLWNDPROC, &WatchMenus, nullptr, ::GetCurrentThreadId());
  const karvo::skin::WindowSpec& pageSpec =
      karvo::skin::FindWindowSpec(karvo::skin::WindowId::ButtonPageMode1);
  Host host(catalogue);
  karvo::editors::ButtonPage page(karvo::editors::ButtonMode::kFirst, *working, macros);
  const RECT place{200, 0, 200 + pageSpec.Width, pageSpec.Height};
  if (!frame.Installed() || !watching || !host.Create(place.right, place.bottom) ||
      !page.CreateAt(host.Hwnd(), place)) {
    std::fprintf(stderr, "menu bench: no page, no menu frame or no hook\n");
    return 1;
  }
  page.Show(true);
  page.Refresh();
  const karvo::skin::SkinLayout label = karvo::skin::ParseLayout(
      pageSpec.Controls[karvo::skin::RowNamed(pageSpec.Controls, "Button 4")].Layout);
  POINT labelCentre{(label.Left + label.Right) / 2, (label.Top + label.Bottom) / 2};
  ::ClientToScreen(page.Hwnd(), &labelCentre);

  std::vector<double> plain, skinned;
  const char* failure = nullptr;
  std::thread user([&] {
    // Taken in turns, so that whatever else the machine does weighs on both alike.
    for (int i = 0; i < rounds && !failure; ++i) {
      watch.Skinned = false;  // read by the hook only while no menu is open
      failure = TimeOpening(watch, host.ButtonCentre(), plain);
      watch.Skinned = true;
      if (!failure) failure = TimeOpening(watch, labelCentre, skinned);
    }
    ::PostMessageW(host.Hwnd(), WM_QUIT, 0, 0);
  });
  karvo::platform::RunMessageLoop();
  user.join();
  ::UnhookWindowsHookEx(watching);
  g_watch = nullptr;
  std::sort(plain.begin(), plain.end());
  std::sort(skinned.begin(), skinned.end());
  if (failure || plain.empty() || skinned.empty()) {
    std::fprintf(stderr, "menu bench: %s (%s menu, after %zu plain and %zu skinned)\n",
                 failure ? failure : "no rounds", watch.Skinned ? "skinned" : "plain", plain.size(),
                 skinned.size());
    return 1;
  }
  std::size_t items = catalogue.Entries.size();
  for (const MenuEntry& entry : catalogue.Entries) items += entry.Submenu.size();
  std::printf("click on button 4 to its catalogue drawn (%zu entries), %d rounds each\n", items,
              rounds);
  std::printf("%-22s %10s %10s %10s\n", "menu", "min ms", "median ms", "max ms");
  for (const auto& [name, samples] :
       {std::pair{"plain button, plain", &plain}, std::pair{"page label, skinned", &skinned}}) {
    std::printf("%-22s %10.2f %10.2f %10.2f\n", name, samples->front(),
                (*samples)[samples->size() / 2], samples->back());
  }
  std::printf("skinned menus not yet on the screen when idle: %d\n", watch.Undrawn);
  std::printf("skinned / plain (medians): %.2f\n",
              skinned[skinned.size() / 2] / plain[plain.size() / 2]);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRounds;
  try {
    return Run(rounds);
  } catch (...) {
    std::fprintf(stderr, "menu bench: failed\n");
    return 1;
  }
}
