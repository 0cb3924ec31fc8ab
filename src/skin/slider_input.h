#pragma once
// What the two windows of a slider, its track and its thumb, report to the slider they belong
// to. Places are x coordinates in the client area of the slider's parent.
#include <cstdint>

namespace karvo::skin {

class SliderInput {
 public:
  virtual void OnTrackClicked(std::int32_t x) = 0;
  // The thumb's left edge follows the pointer while it is dragged, and where it was let go.
  virtual void OnThumbDragged(std::int32_t left) = 0;
  virtual void OnThumbReleased(std::int32_t left) = 0;

 protected:
  ~SliderInput() = default;
};

}  // namespace karvo::skin
