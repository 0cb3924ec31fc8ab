#pragma once
// The flat frame of the configurator's popup menus. The system draws a menu window
// ("#32768") with its own raised border; a per-thread window-procedure hook catches
// every such window of the thread as it is created and subclasses it once, keeping
// the old procedure in the window's property "CoolMenu_oldProc". The subclass paints
// three nested one-pixel rectangles at the window's edges, the client area keeps the
// size the system gave it, and the window is given back its own procedure as soon as
// it is hidden or destroyed. Install one MenuFrameHook on the GUI thread at start-up;
// its end removes the hook and restores any window still subclassed.
#include <windows.h>

#include <cstddef>
#include <vector>

#include "platform/gdi_win.h"

namespace karvo::skin {

inline constexpr wchar_t kMenuOldProcProperty[] = L"CoolMenu_oldProc";
inline constexpr COLORREF kMenuFrameOuter = RGB(189, 116, 27);
inline constexpr COLORREF kMenuFrameInner = RGB(46, 47, 129);
inline constexpr int kMenuFrameWidth = 3;

class MenuFrameHook {
 public:
  // Hooks the calling thread; a thread takes one hook (a second one is not installed).
  MenuFrameHook();
  ~MenuFrameHook();
  MenuFrameHook(const MenuFrameHook&) = delete;
  MenuFrameHook& operator=(const MenuFrameHook&) = delete;

  bool Installed() const { return m_hook != nullptr; }
  // Menu windows wearing the frame now.
  std::size_t Subclassed() const { return m_windows.size(); }

 private:
  static LRESULT CALLBACK CallWndProc(int code, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static void PaintFrame(HWND hwnd, HDC dc);

  void Subclass(HWND hwnd);
  // The old procedure back, the property gone, the record dropped.
  void Restore(HWND hwnd);

  HHOOK m_hook = nullptr;
  std::vector<HWND> m_windows;
  platform::UniqueBrush m_outer;
  platform::UniqueBrush m_inner;
};

}  // namespace karvo::skin
