#pragma once
// The thumb of a SkinSlider: a bitmap whose background colour (that of its top-left pixel) is
// cut away by the window's region. Dragged with the left button, which holds the capture.
#include <windows.h>

#include "platform/gdi_win.h"
#include "platform/window_win.h"
#include "skin/slider_input.h"

namespace karvo::skin {

class SliderThumb final : public platform::Window {
 public:
  explicit SliderThumb(SliderInput& input) : m_input(input) {}
  // A visible child of parent at (x, y) in the bitmap's size, above its siblings.
  [[nodiscard]] bool Create(HWND parent, platform::UniqueBitmap bitmap, POINT at);
  SIZE Size() const { return m_size; }
  bool Dragging() const { return m_dragging; }
  void MoveTo(POINT at);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnPaint();
  void OnPress(POINT client);
  void OnDrag();
  void EndDrag();
  // The thumb's left edge in the parent's client coordinates for the pointer where it is now.
  int LeftForPointer() const;

  SliderInput& m_input;
  platform::UniqueBitmap m_bitmap;
  SIZE m_size{};
  bool m_dragging = false;
  int m_grab = 0;  // from the thumb's left edge to the pointer
};

}  // namespace karvo::skin
