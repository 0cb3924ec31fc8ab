#include "skin/picture_window_win.h"

#include "platform/debug_log.h"
#include "skin/skin_images_win.h"

namespace karvo::skin {

bool PictureWindow::Create(HWND parent, const RECT& rect, int id, int imageId) {
  m_imageId = imageId;
  m_decoded = false;
  m_image.Reset();
  return Window::Create(reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                        {.Name = "KarvoSkinPicture"}, "",
                        {.Style = WS_CHILD,
                         .X = rect.left,
                         .Y = rect.top,
                         .Width = rect.right - rect.left,
                         .Height = rect.bottom - rect.top,
                         .Parent = parent,
                         .MenuOrId = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))});
}

void PictureWindow::Show(bool show) {
  if (!m_hwnd) return;
  if (show) DecodeOnce();
  ::ShowWindow(m_hwnd, show ? SW_SHOWNA : SW_HIDE);
}

void PictureWindow::DecodeOnce() {
  if (m_decoded) return;
  m_decoded = true;
  LoadSkinImage(m_imageId, m_image);
}

LRESULT PictureWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_NCHITTEST:
      // Shown or not, the picture lies on the window's surface and takes no clicks.
      return HTTRANSPARENT;
    default:
      return DefaultProc(message, wParam, lParam);
  }
}

void PictureWindow::OnPaint() {
  // Shown some other way than through Show.
  DecodeOnce();
  platform::PaintDc paint(m_hwnd);
  if (!paint || !m_image) return;
  RECT client{};
  ::GetClientRect(m_hwnd, &client);
  platform::MemoryDc source(paint.Get());
  if (!source) return;
  platform::SelectScope selected(source.Get(), m_image.Get());
  if (!::BitBlt(paint.Get(), 0, 0, client.right, client.bottom, source.Get(), 0, 0, SRCCOPY)) {
    platform::DebugLogLastError("BitBlt of a picture");
  }
}

}  // namespace karvo::skin
