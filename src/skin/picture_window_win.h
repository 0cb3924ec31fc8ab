#pragma once
// A picture from the program's "BINARY" resources in a child window that starts hidden: the
// button pages show one while the pointer is over a button's label.
#include <windows.h>

#include "platform/gdi_win.h"
#include "platform/window_win.h"

namespace karvo::skin {

class PictureWindow final : public platform::Window {
 public:
  // A hidden child at rect showing image imageId; a missing image shows nothing. The image is
  // decoded when the picture first shows: most pictures of a page never do.
  [[nodiscard]] bool Create(HWND parent, const RECT& rect, int id, int imageId);
  void Show(bool show);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnPaint();
  void DecodeOnce();

  int m_imageId = 0;
  bool m_decoded = false;  // tried, whether or not there was an image
  platform::UniqueBitmap m_image;
};

}  // namespace karvo::skin
