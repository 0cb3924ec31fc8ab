// The skinned popup menu and its flat frame as a user meets them: opened over a window,
// looked at on the screen, chosen from with real clicks, and nothing left subclassed.
#include "skin/skinned_menu_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "platform/window_win.h"
#include "skin/menu_frame_win.h"
#include "tests/support/input_win.h"
#include "tests/support/pump_win.h"
#include "tests/support/screen_win.h"

namespace karvo::skin {
namespace {

using karvo::testing::MoveMouse;
using karvo::testing::Pixels;

constexpr DWORD kBoundMs = 10000;
constexpr COLORREF kSelection = RGB(165, 28, 28);
constexpr COLORREF kArrowColour = RGB(230, 230, 236);  // the artwork's arrow

class MenuOwner : public platform::Window {
 public:
  bool Create() {
    platform::WindowClass windowClass{"KarvoMenuTestOwner"};
    windowClass.Cursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    return Window::Create(::GetModuleHandleW(nullptr), windowClass, "menu owner",
                          {WS_POPUP | WS_VISIBLE, 0, 20, 20, 200, 120}) &&
           ::SetForegroundWindow(m_hwnd);
  }
};

MenuEntry Entry(const char* text, int command) {
  MenuEntry entry;
  entry.Text.Bytes = text;
  entry.Command = command;
  return entry;
}

// A visible menu window other than `other`.
HWND OpenMenuWindow(HWND other = nullptr) {
  HWND found = nullptr;
  karvo::testing::WaitFor(
      [&] {
        for (HWND w = ::FindWindowExW(nullptr, nullptr, L"#32768", nullptr); w;
             w = ::FindWindowExW(nullptr, w, L"#32768", nullptr)) {
          if (w != other && ::IsWindowVisible(w)) found = w;
        }
        return found != nullptr;
      },
      kBoundMs);
  return found;
}

POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
LONG Area(const RECT& r) { return (r.right - r.left) * (r.bottom - r.top); }

// The whole screen, so that screen coordinates index it.
Pixels Screen() {
  return karvo::testing::CaptureScreen(
      {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)});
}

bool Is(const Pixels& shot, int x, int y, COLORREF colour) {
  return shot.At(x, y) ==
         (((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu));
}

int Count(const Pixels& shot, const RECT& r, COLORREF colour) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) n += Is(shot, x, y, colour);
  }
  return n;
}

bool Click(POINT at, DWORD down, DWORD up) {
  INPUT buttons[2] = {};
  buttons[0].type = buttons[1].type = INPUT_MOUSE;
  buttons[0].mi.dwFlags = down;
  buttons[1].mi.dwFlags = up;
  return MoveMouse(at) && ::SendInput(2, buttons, sizeof(INPUT)) == 2;
}

// The one-pixel ring `inset` pixels inside r: how many of its pixels have colour.
::testing::AssertionResult RingIs(const Pixels& shot, RECT r, int inset, COLORREF colour) {
  ::InflateRect(&r, -inset, -inset);
  int wrong = 0;
  for (int x = r.left; x < r.right; ++x) {
    wrong += !Is(shot, x, r.top, colour) + !Is(shot, x, r.bottom - 1, colour);
  }
  for (int y = r.top + 1; y < r.bottom - 1; ++y) {
    wrong += !Is(shot, r.left, y, colour) + !Is(shot, r.right - 1, y, colour);
  }
  if (wrong == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << wrong << " pixels of ring " << inset << " differ";
}

// What the scripted user saw while the menu was open.
struct Seen {
  std::string Failure;
  HWND TopWindow = nullptr;
  RECT TopFrame{}, SubFrame{};
  RECT Items[6]{};
  RECT SubItems[2]{};
  bool PropertyWhileOpen = false;
  Pixels Top, Sub;
};

TEST(SkinnedMenuWinTest, OpenMenuShowsItsLookAndTheRightButtonChoosesFromASubmenu) {
  MenuFrameHook frame;
  ASSERT_TRUE(frame.Installed());
  EXPECT_FALSE(MenuFrameHook().Installed()) << "one hook a thread";
  MenuOwner owner;
  ASSERT_TRUE(owner.Create());

  PopupMenu description;
  description.ItemWidth = 132;
  description.Entries = {Entry("Klick", 1001), Entry("Makro A", 1050),
                         Entry("", 0),         Entry("", kInvisibleCommand),
                         Entry("Windows", 0),  Entry("On-To-Go", 1022)};
  description.Entries[1].Highlight = true;
  description.Entries[4].SubmenuItemWidth = 90;
  description.Entries[4].Submenu = {Entry("Rechner", 1033), Entry("eMail", 1034)};
  description.Entries[5].TradeMark = true;
  SkinnedMenu menu(description, &kMenuFont);
  ASSERT_TRUE(menu.Ok());

  Seen seen;
  std::thread user([&] {
    auto fail = [&](const char* what) {
      seen.Failure = what;
      karvo::testing::TapKey(VK_ESCAPE);
      karvo::testing::TapKey(VK_ESCAPE);
    };
    HWND top = OpenMenuWindow();
    if (!top) return fail("no menu window");
    seen.TopWindow = top;
    seen.PropertyWhileOpen = ::GetPropW(top, kMenuOldProcProperty) != nullptr;
    ::GetWindowRect(top, &seen.TopFrame);
    for (int i = 0; i < 6; ++i) ::GetMenuItemRect(nullptr, menu.Handle(), i, &seen.Items[i]);
    if (!MoveMouse(Centre(seen.Items[0]))) return fail("pointer not moved");
    const bool selected = karvo::testing::WaitFor(
        [&] {
          seen.Top = Screen();
          return Count(seen.Top, seen.Items[0], kSelection) > Area(seen.Items[0]) / 2;
        },
        kBoundMs);
    if (!selected) return fail("first entry never selected");
    // A click opens the submenu at once.
    if (!Click(Centre(seen.Items[4]), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP)) {
      return fail("no click");
    }
    HWND sub = OpenMenuWindow(top);
    if (!sub) return fail("no submenu window");
    ::GetWindowRect(sub, &seen.SubFrame);
    HMENU submenu = ::GetSubMenu(menu.Handle(), 4);
    for (int i = 0; i < 2; ++i) ::GetMenuItemRect(nullptr, submenu, i, &seen.SubItems[i]);
    if (!MoveMouse(Centre(seen.SubItems[0]))) return fail("pointer not moved");
    const bool subSelected = karvo::testing::WaitFor(
        [&] {
          seen.Sub = Screen();
          return Count(seen.Sub, seen.SubItems[0], kSelection) > Area(seen.SubItems[0]) / 2;
        },
        kBoundMs);
    if (!subSelected) return fail("submenu entry never selected");
    if (!Click(Centre(seen.SubItems[1]), MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP)) {
      fail("no right click");
    }
  });
  const int chosen = menu.Track(owner.Hwnd(), {60, 60});
  user.join();
  const std::string dir = KARVO_SKIN_TEST_DIR;
  seen.Top.SaveBmp(dir + "/menu_open.bmp");
  seen.Sub.SaveBmp(dir + "/menu_submenu.bmp");
  ASSERT_EQ(seen.Failure, "") << "see " << dir << "/menu_*.bmp";
  EXPECT_EQ(chosen, 1034);

  // Separator 5 pixels, the hidden entry none at all, text entries the item height + 2.
  const LONG heights[6] = {18, 18, 5, 0, 18, 18};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(seen.Items[i].bottom - seen.Items[i].top, heights[i]) << i;
  EXPECT_EQ(seen.Items[4].top, seen.Items[2].bottom);

  const Pixels& shot = seen.Top;
  const RECT& chosenRow = seen.Items[0];
  EXPECT_GT(Count(shot, chosenRow, RGB(0, 0, 0)), 10) << "selected text in black";
  EXPECT_GT(Count(shot, seen.Items[1], RGB(255, 255, 0)), 10) << "highlight in yellow";
  EXPECT_EQ(Count(shot, seen.Items[1], kSelection), 0);
  const LONG middle = (seen.Items[2].top + seen.Items[2].bottom) / 2;
  const LONG lineLength = seen.Items[2].right - seen.Items[2].left;
  EXPECT_EQ(Count(shot, {seen.Items[2].left, middle, seen.Items[2].right, middle + 1}, kSelection),
            lineLength);
  const RECT& submenuRow = seen.Items[4];
  EXPECT_GT(Count(shot,
                  {submenuRow.right - kMenuArrowFromRight, submenuRow.top,
                   submenuRow.right - kMenuArrowFromRight + kMenuArrowSize, submenuRow.bottom},
                  kArrowColour),
            5);
  for (const auto& [frameRect, picture] :
       {std::pair{seen.TopFrame, &seen.Top}, std::pair{seen.SubFrame, &seen.Sub}}) {
    EXPECT_TRUE(RingIs(*picture, frameRect, 0, kMenuFrameOuter));
    EXPECT_TRUE(RingIs(*picture, frameRect, 1, kMenuFrameInner));
    EXPECT_TRUE(RingIs(*picture, frameRect, 2, kMenuFrameInner));
  }
  EXPECT_GT(Count(seen.Sub, seen.SubItems[0], kSelection), Area(seen.SubItems[0]) / 2);

  // Closed: the frame is off every menu window.
  EXPECT_TRUE(seen.PropertyWhileOpen);
  EXPECT_EQ(frame.Subclassed(), 0u);
  if (::IsWindow(seen.TopWindow)) {
    EXPECT_EQ(::GetPropW(seen.TopWindow, kMenuOldProcProperty), nullptr);
  }
}

TEST(SkinnedMenuWinTest, MenuWindowsDestroyedUnhiddenOrOpenAtExitKeepNothingOfTheFrame) {
  auto create = [] {
    return ::CreateWindowExW(0, L"#32768", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                             ::GetModuleHandleW(nullptr), nullptr);
  };
  WNDPROC own = nullptr;
  HWND open = nullptr;
  {
    MenuFrameHook frame;
    ASSERT_TRUE(frame.Installed());
    HWND destroyed = create();
    ASSERT_NE(destroyed, nullptr);
    EXPECT_NE(::GetPropW(destroyed, kMenuOldProcProperty), nullptr);
    EXPECT_EQ(frame.Subclassed(), 1u);
    ASSERT_TRUE(::DestroyWindow(destroyed));
    EXPECT_EQ(frame.Subclassed(), 0u) << "no record outlives its window";

    open = create();
    ASSERT_NE(open, nullptr);
    own = reinterpret_cast<WNDPROC>(::GetPropW(open, kMenuOldProcProperty));
    ASSERT_NE(own, nullptr);
  }
  // The hook has gone: the open window has its own procedure back, and new ones stay bare.
  EXPECT_EQ(reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(open, GWLP_WNDPROC)), own);
  EXPECT_EQ(::GetPropW(open, kMenuOldProcProperty), nullptr);
  HWND later = create();
  ASSERT_NE(later, nullptr);
  EXPECT_EQ(::GetPropW(later, kMenuOldProcProperty), nullptr);
  ::DestroyWindow(later);
  ::DestroyWindow(open);
}

}  // namespace
}  // namespace karvo::skin
