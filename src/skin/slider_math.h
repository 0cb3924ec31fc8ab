#pragma once
// Where a slider's thumb stands and which value a click, a drag or a release gives.
// The thumb travels inside the track: its left edge runs from the track's left edge
// to the track's right edge less the thumb's width.
#include <cstdint>

namespace karvo::skin {

struct SliderGeometry {
  std::int32_t TrackLeft;
  std::int32_t TrackWidth;
  std::int32_t ThumbWidth;
  std::int32_t Min;
  std::int32_t Max;  // an inverted or empty range holds the single value Min
};

// v limited to [Min, Max].
std::int32_t ClampSliderValue(const SliderGeometry& g, std::int64_t v);

// The thumb's left edge for value v (clamped first); integer arithmetic.
std::int32_t ThumbLeftForValue(const SliderGeometry& g, std::int32_t v);

// A left edge that the dragged thumb may take: inside the track.
std::int32_t ClampThumbLeft(const SliderGeometry& g, std::int32_t left);

// A click on the track at x: computed in floating point, rounded to the nearest
// value when snapping, truncated otherwise, then clamped.
double ClickValueExact(const SliderGeometry& g, std::int32_t x);
std::int32_t ClickValue(const SliderGeometry& g, std::int32_t x, bool snap);

// While dragging: integer division, clamped.
std::int32_t DragValue(const SliderGeometry& g, std::int32_t thumbLeft);

// On release: the same ratio in floating point, rounded when snapping, else truncated.
double ReleaseValueExact(const SliderGeometry& g, std::int32_t thumbLeft);
std::int32_t ReleaseValue(const SliderGeometry& g, std::int32_t thumbLeft, bool snap);

}  // namespace karvo::skin
