#include "skin/profile_name_label_win.h"

#include "platform/text_win.h"
#include "skin/skin_fonts_win.h"

namespace karvo::skin {

bool ProfileNameLabel::Create(HWND parent, const RECT& rect, int id) {
  return Window::Create(reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                        {.Name = "KarvoProfileNameLabel"}, "",
                        {.Style = WS_CHILD | WS_VISIBLE,
                         .X = rect.left,
                         .Y = rect.top,
                         .Width = rect.right - rect.left,
                         .Height = rect.bottom - rect.top,
                         .Parent = parent,
                         .MenuOrId = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))});
}

void ProfileNameLabel::SetName(std::string_view name, bool current) {
  m_name = platform::WideFromUserText(name);
  m_current = current;
  if (m_hwnd) ::InvalidateRect(m_hwnd, nullptr, FALSE);
}

void ProfileNameLabel::SetBackground(COLORREF colour) {
  m_background = colour;
  if (m_hwnd) ::InvalidateRect(m_hwnd, nullptr, FALSE);
}

LRESULT ProfileNameLabel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_NCHITTEST:
      // A label is part of the surface: a press on it drags the window like any other.
      return HTTRANSPARENT;
    default:
      return DefaultProc(message, wParam, lParam);
  }
}

void ProfileNameLabel::OnPaint() {
  platform::PaintDc paint(m_hwnd);
  if (!paint) return;
  RECT client{};
  ::GetClientRect(m_hwnd, &client);
  platform::DoubleBuffer buffer(paint.Get(), client);
  HDC dc = buffer.Get();
  platform::UniqueBrush background(::CreateSolidBrush(m_background));
  if (background) ::FillRect(dc, &client, background.Get());
  if (!m_font) m_font = ArialFont(12, 7);
  platform::SelectScope font(dc, m_font.Get());
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, m_current ? kCurrentText : kOtherText);
  ::DrawTextW(dc, m_name.c_str(), static_cast<int>(m_name.size()), &client,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  buffer.Flush();
}

}  // namespace karvo::skin
