#include "skin/slider_track_win.h"

#include <windowsx.h>

#include <utility>

#include "platform/debug_log.h"

namespace karvo::skin {

bool SliderTrack::Create(HWND parent, const RECT& rect) {
  m_left = rect.left;
  // The thumb lies over the track: the track never paints over it.
  return Window::Create(reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                        {.Name = "KarvoSliderTrack"}, "",
                        {.Style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                         .X = rect.left,
                         .Y = rect.top,
                         .Width = rect.right - rect.left,
                         .Height = rect.bottom - rect.top,
                         .Parent = parent});
}

void SliderTrack::SetImage(platform::UniqueBitmap image) {
  m_image = std::move(image);
  if (m_hwnd) ::InvalidateRect(m_hwnd, nullptr, FALSE);
}

LRESULT SliderTrack::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
      m_input.OnTrackClicked(m_left + GET_X_LPARAM(lParam));
      return 0;
    default:
      return DefaultProc(message, wParam, lParam);
  }
}

void SliderTrack::OnPaint() {
  platform::PaintDc paint(m_hwnd);
  if (!paint || !m_image) return;
  RECT client{};
  ::GetClientRect(m_hwnd, &client);
  platform::MemoryDc source(paint.Get());
  if (!source) return;
  platform::SelectScope selected(source.Get(), m_image.Get());
  if (!::BitBlt(paint.Get(), 0, 0, client.right, client.bottom, source.Get(), 0, 0, SRCCOPY)) {
    platform::DebugLogLastError("BitBlt of a slider track");
  }
}

}  // namespace karvo::skin
