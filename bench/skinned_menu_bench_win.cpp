// How long the button catalogue takes to appear: from a click on a button (real input) to
// the menu drawn and waiting for the user (its owner's WM_ENTERIDLE), the catalogue built
// anew for every click as the button page builds it. Set against a plain popup menu with
// the same entries and submenus. Median of 50 rounds each.
//   skinned_menu_bench [rounds]
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "editors/function_catalogue.h"
#include "platform/gdi_win.h"
#include "platform/handles.h"
#include "platform/text_win.h"
#include "platform/window_win.h"
#include "skin/menu_frame_win.h"
#include "skin/skinned_menu_win.h"
#include "tests/support/input_win.h"

namespace {

using karvo::skin::MenuEntry;
using karvo::skin::PopupMenu;

constexpr int kDefaultRounds = 50;
constexpr DWORD kWaitMs = 10000;
constexpr int kButtonId = 100;

double NowMs() {
  static const LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f{};
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now{};
  ::QueryPerformanceCounter(&now);
  return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

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

// A page with one button that opens the catalogue, skinned or plain, under itself.
class Page : public karvo::platform::Window {
 public:
  explicit Page(const PopupMenu& catalogue) : m_catalogue(catalogue) {}

  bool Create() {
    karvo::platform::WindowClass windowClass{"KarvoMenuBenchPage"};
    if (!Window::Create(::GetModuleHandleW(nullptr), windowClass, "menu bench",
                        {WS_POPUP | WS_VISIBLE, 0, 40, 40, 300, 200})) {
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

  std::atomic<bool> Skinned = false;
  karvo::platform::UniqueHandle Drawn{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  karvo::platform::UniqueHandle Closed{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  double DrawnAtMs = 0;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_COMMAND && LOWORD(wParam) == kButtonId && HIWORD(wParam) == BN_CLICKED) {
      Open();
      ::SetEvent(Closed.Get());
      return 0;
    }
    // The menu has shown, painted everything and waits for the user.
    if (message == WM_ENTERIDLE && wParam == MSGF_MENU && !m_idle) {
      m_idle = true;
      DrawnAtMs = NowMs();
      if (Skinned) CheckOnScreen(reinterpret_cast<HWND>(lParam));
      ::SetEvent(Drawn.Get());
    }
    return DefaultProc(message, wParam, lParam);
  }

 public:
  // Idle moments at which the skinned menu's frame was not on the screen yet.
  int Undrawn = 0;

 private:
  // The frame is painted last: its corner on the screen shows the whole menu is.
  void CheckOnScreen(HWND menu) {
    RECT r{};
    karvo::platform::WindowDc screen(nullptr);
    if (!::GetWindowRect(menu, &r) || !screen ||
        ::GetPixel(screen.Get(), r.left, r.top) != karvo::skin::kMenuFrameOuter) {
      ++Undrawn;
    }
  }

  void Open() {
    RECT r{};
    ::GetWindowRect(m_button, &r);
    const POINT at{r.left + 1, r.bottom};
    m_idle = false;
    if (Skinned) {
      karvo::skin::SkinnedMenu menu(m_catalogue, &karvo::skin::kMenuFont);
      menu.Track(m_hwnd, at);
    } else {
      karvo::platform::UniqueMenu menu(PlainMenu(m_catalogue.Entries));
      ::TrackPopupMenu(menu.Get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD,
                       at.x, at.y, 0, m_hwnd, nullptr);
      ::PostMessageW(m_hwnd, WM_NULL, 0, 0);
    }
  }

  const PopupMenu& m_catalogue;
  HWND m_button = nullptr;
  bool m_idle = false;  // the first idle of an opening is the one timed
};

// One click on the button: the time until the menu was drawn; then Escape closes it.
bool TimeOpening(Page& page, std::vector<double>& samples) {
  ::ResetEvent(page.Drawn.Get());
  if (!karvo::testing::MoveMouse(page.ButtonCentre())) return false;
  const double start = NowMs();
  const bool drawn = karvo::testing::PressLeft(true) && karvo::testing::PressLeft(false) &&
                     ::WaitForSingleObject(page.Drawn.Get(), kWaitMs) == WAIT_OBJECT_0;
  if (drawn) samples.push_back(page.DrawnAtMs - start);
  return karvo::testing::TapKey(VK_ESCAPE) &&
         ::WaitForSingleObject(page.Closed.Get(), kWaitMs) == WAIT_OBJECT_0 && drawn;
}

int Run(int rounds) {
  karvo::settings::MacroKeyInfo record{};
  karvo::editors::MacroList macros;
  for (const char* name : {"Sprint", "Reload", "Jump", "Crouch", "Build"}) {
    macros.push_back(karvo::editors::NewMacro(name));
  }
  const PopupMenu catalogue =
      karvo::editors::BuildCatalogue(karvo::editors::ButtonPageMode::kMode1, 3, record, macros);
  karvo::skin::MenuFrameHook frame;
  Page page(catalogue);
  if (!frame.Installed() || !page.Create()) {
    std::fprintf(stderr, "menu bench: no page or no menu frame\n");
    return 1;
  }
  std::vector<double> plain, skinned;
  bool ok = true;
  std::thread user([&] {
    // Taken in turns, so that whatever else the machine does weighs on both alike.
    for (int i = 0; i < rounds && ok; ++i) {
      page.Skinned = false;  // read by the page only while no menu is open
      ok = TimeOpening(page, plain);
      page.Skinned = true;
      ok = ok && TimeOpening(page, skinned);
    }
    ::PostMessageW(page.Hwnd(), WM_QUIT, 0, 0);
  });
  karvo::platform::RunMessageLoop();
  user.join();
  std::sort(plain.begin(), plain.end());
  std::sort(skinned.begin(), skinned.end());
  if (!ok || plain.empty() || skinned.empty()) {
    std::fprintf(stderr, "menu bench: a menu did not open or close\n");
    return 1;
  }
  std::size_t items = catalogue.Entries.size();
  for (const MenuEntry& entry : catalogue.Entries) items += entry.Submenu.size();
  std::printf("click on a button to the catalogue drawn (%zu entries), %d rounds each\n", items,
              rounds);
  std::printf("%-10s %10s %10s %10s\n", "menu", "min ms", "median ms", "max ms");
  for (const auto& [name, samples] : {std::pair{"plain", &plain}, std::pair{"skinned", &skinned}}) {
    std::printf("%-10s %10.2f %10.2f %10.2f\n", name, samples->front(),
                (*samples)[samples->size() / 2], samples->back());
  }
  std::printf("skinned menus not yet on the screen when idle: %d\n", page.Undrawn);
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
