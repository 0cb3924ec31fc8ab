#pragma once
// The name of a profile under its slot button: centred on one line, white for the current slot
// and grey for the others, on a plain background.
#include <windows.h>

#include <string>
#include <string_view>

#include "platform/gdi_win.h"
#include "platform/window_win.h"

namespace karvo::skin {

class ProfileNameLabel final : public platform::Window {
 public:
  static constexpr COLORREF kDefaultBackground = RGB(2, 2, 2);
  static constexpr COLORREF kCurrentText = RGB(255, 255, 255);
  static constexpr COLORREF kOtherText = RGB(115, 115, 115);

  // A visible child at rect.
  [[nodiscard]] bool Create(HWND parent, const RECT& rect, int id);

  // name: as the user typed it (the system's ANSI code page).
  void SetName(std::string_view name, bool current);
  void SetBackground(COLORREF colour);
  const std::wstring& Name() const { return m_name; }
  bool Current() const { return m_current; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnPaint();

  std::wstring m_name;
  bool m_current = false;
  COLORREF m_background = kDefaultBackground;
  platform::UniqueFont m_font;
};

}  // namespace karvo::skin
