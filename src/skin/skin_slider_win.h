#pragma once
// A horizontal slider made of two children of the window it sits in: the track, showing its
// piece of the window's picture, and a thumb bitmap above it. A click on the track, every move
// of the dragged thumb and its release set the position and tell the parent
// (kMsgSliderPosition with the position and the slider's id).
#include <windows.h>

#include <cstdint>
#include <memory>

#include "skin/slider_input.h"
#include "skin/slider_math.h"

namespace karvo::skin {

class SliderThumb;
class SliderTrack;

class SkinSlider final : private SliderInput {
 public:
  SkinSlider();
  ~SkinSlider();
  SkinSlider(const SkinSlider&) = delete;
  SkinSlider& operator=(const SkinSlider&) = delete;

  // false when the thumb bitmap resource cannot be loaded or the windows cannot be made.
  // trackRect: in the parent's client coordinates.
  [[nodiscard]] bool Create(int thumbBitmapId, const RECT& trackRect, HWND parent, int id);
  // The track's piece of a window-sized picture (the window's normal state).
  void SetTrackImage(HBITMAP normalSource);

  void SetRange(std::int32_t min, std::int32_t max);
  void SetSnap(bool snap) { m_snap = snap; }
  // Clamped to the range; moves the thumb and tells nobody.
  void SetPosition(std::int32_t value);
  std::int32_t Position() const { return m_position; }
  std::int32_t Min() const { return m_geometry.Min; }
  std::int32_t Max() const { return m_geometry.Max; }
  bool Snap() const { return m_snap; }
  // Enables or disables the track and the thumb.
  void Enable(bool enable);

  HWND TrackHwnd() const;
  HWND ThumbHwnd() const;

 private:
  void OnTrackClicked(std::int32_t x) override;
  void OnThumbDragged(std::int32_t left) override;
  void OnThumbReleased(std::int32_t left) override;
  void MoveThumb(std::int32_t left);
  void Report();

  std::unique_ptr<SliderTrack> m_track;
  std::unique_ptr<SliderThumb> m_thumb;
  HWND m_parent = nullptr;
  RECT m_trackRect{};
  int m_id = 0;
  SliderGeometry m_geometry{0, 0, 0, 0, 10};
  std::int32_t m_position = 0;
  bool m_snap = false;
};

}  // namespace karvo::skin
