#include "skin/slider_thumb_win.h"

#include <windowsx.h>

#include <utility>

#include "platform/debug_log.h"
#include "skin/skin_images_win.h"

namespace karvo::skin {

bool SliderThumb::Create(HWND parent, platform::UniqueBitmap bitmap, POINT at) {
  const std::optional<SIZE> size = BitmapSize(bitmap.Get());
  if (!size) return false;
  m_bitmap = std::move(bitmap);
  m_size = *size;
  if (!Window::Create(reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                      {.Name = "KarvoSliderThumb"}, "",
                      {.Style = WS_CHILD | WS_VISIBLE,
                       .X = at.x,
                       .Y = at.y,
                       .Width = m_size.cx,
                       .Height = m_size.cy,
                       .Parent = parent})) {
    return false;
  }
  // New children come last in the z-order: the thumb goes above the track it moves on.
  if (!::SetWindowPos(m_hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE)) {
    platform::DebugLogLastError("SetWindowPos(slider thumb)");
  }
  const std::optional<COLORREF> key = BitmapPixel(m_bitmap.Get(), 0, 0);
  platform::UniqueRegion shape =
      key ? RegionFromImage(m_bitmap.Get(), *key, RGB(0, 0, 0)) : platform::UniqueRegion();
  if (shape) {
    if (::SetWindowRgn(m_hwnd, shape.Get(), TRUE)) {
      shape.Release();  // the window owns it now
    } else {
      platform::DebugLogLastError("SetWindowRgn(slider thumb)");
    }
  }
  return true;
}

void SliderThumb::MoveTo(POINT at) {
  if (m_hwnd && !::SetWindowPos(m_hwnd, nullptr, at.x, at.y, 0, 0,
                                SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)) {
    platform::DebugLogLastError("SetWindowPos(slider thumb move)");
  }
}

LRESULT SliderThumb::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
      OnPress({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_MOUSEMOVE:
      if (m_dragging) OnDrag();
      return 0;
    case WM_LBUTTONUP:
      if (m_dragging) {
        m_dragging = false;
        ::ReleaseCapture();
        m_input.OnThumbReleased(LeftForPointer());
      }
      return 0;
    case WM_CAPTURECHANGED:
      // Another window took the pointer away: the drag ends where the thumb is.
      if (m_dragging) EndDrag();
      return 0;
    default:
      return DefaultProc(message, wParam, lParam);
  }
}

void SliderThumb::OnPress(POINT client) {
  m_grab = client.x;
  m_dragging = true;
  ::SetCapture(m_hwnd);
}

void SliderThumb::OnDrag() { m_input.OnThumbDragged(LeftForPointer()); }

void SliderThumb::EndDrag() {
  m_dragging = false;
  RECT rect{};
  ::GetWindowRect(m_hwnd, &rect);
  ::MapWindowPoints(nullptr, ::GetParent(m_hwnd), reinterpret_cast<POINT*>(&rect), 2);
  m_input.OnThumbReleased(rect.left);
}

int SliderThumb::LeftForPointer() const {
  const DWORD position = ::GetMessagePos();
  POINT pointer{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
  ::MapWindowPoints(nullptr, ::GetParent(m_hwnd), &pointer, 1);
  return pointer.x - m_grab;
}

void SliderThumb::OnPaint() {
  platform::PaintDc paint(m_hwnd);
  if (!paint) return;
  RECT client{0, 0, m_size.cx, m_size.cy};
  platform::DoubleBuffer buffer(paint.Get(), client);
  platform::MemoryDc source(paint.Get());
  if (!source) return;
  platform::SelectScope selected(source.Get(), m_bitmap.Get());
  if (!::BitBlt(buffer.Get(), 0, 0, m_size.cx, m_size.cy, source.Get(), 0, 0, SRCCOPY)) {
    platform::DebugLogLastError("BitBlt of a slider thumb");
  }
  buffer.Flush();
}

}  // namespace karvo::skin
