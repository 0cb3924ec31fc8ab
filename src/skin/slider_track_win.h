#pragma once
// The track of a SkinSlider: its piece of the window's picture; a press on it is a click at
// that place.
#include <windows.h>

#include "platform/gdi_win.h"
#include "platform/window_win.h"
#include "skin/slider_input.h"

namespace karvo::skin {

class SliderTrack final : public platform::Window {
 public:
  explicit SliderTrack(SliderInput& input) : m_input(input) {}
  // A visible child at rect (the parent's client coordinates).
  [[nodiscard]] bool Create(HWND parent, const RECT& rect);
  void SetImage(platform::UniqueBitmap image);
  HBITMAP Image() const { return m_image.Get(); }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnPaint();

  SliderInput& m_input;
  platform::UniqueBitmap m_image;
  int m_left = 0;
};

}  // namespace karvo::skin
