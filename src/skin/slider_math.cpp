#include "skin/slider_math.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace karvo::skin {
namespace {

std::int64_t Span(const SliderGeometry& g) {
  return std::max<std::int64_t>(0, std::int64_t{g.Max} - g.Min);
}

// How far the thumb's left edge can move; 0 when the thumb fills the track.
std::int64_t Travel(const SliderGeometry& g) {
  return std::max<std::int64_t>(0, std::int64_t{g.TrackWidth} - g.ThumbWidth);
}

std::int32_t ToValue(const SliderGeometry& g, double exact, bool snap) {
  if (!std::isfinite(exact)) return g.Min;
  const double whole = snap ? std::round(exact) : std::trunc(exact);
  // Anything beyond the 32-bit range is beyond the slider's range as well.
  const double limited = std::clamp(whole, -4.0e9, 4.0e9);
  return ClampSliderValue(g, static_cast<std::int64_t>(limited));
}

}  // namespace

std::int32_t ClampSliderValue(const SliderGeometry& g, std::int64_t v) {
  const std::int64_t high = g.Min + Span(g);
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, g.Min, high));
}

std::int32_t ThumbLeftForValue(const SliderGeometry& g, std::int32_t v) {
  const std::int64_t span = Span(g);
  if (span == 0) return g.TrackLeft;
  const std::int64_t offset = Travel(g) * (ClampSliderValue(g, v) - std::int64_t{g.Min}) / span;
  return static_cast<std::int32_t>(g.TrackLeft + offset);
}

std::int32_t ClampThumbLeft(const SliderGeometry& g, std::int32_t left) {
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(left, g.TrackLeft, std::int64_t{g.TrackLeft} + Travel(g)));
}

double ClickValueExact(const SliderGeometry& g, std::int32_t x) {
  if (g.TrackWidth <= 0) return g.Min;
  return static_cast<double>(std::int64_t{x} - g.TrackLeft) * static_cast<double>(Span(g)) /
             g.TrackWidth +
         g.Min;
}

std::int32_t ClickValue(const SliderGeometry& g, std::int32_t x, bool snap) {
  return ToValue(g, ClickValueExact(g, x), snap);
}

std::int32_t DragValue(const SliderGeometry& g, std::int32_t thumbLeft) {
  const std::int64_t travel = Travel(g);
  if (travel == 0) return g.Min;
  return ClampSliderValue(g, (std::int64_t{thumbLeft} - g.TrackLeft) * Span(g) / travel + g.Min);
}

double ReleaseValueExact(const SliderGeometry& g, std::int32_t thumbLeft) {
  const std::int64_t travel = Travel(g);
  if (travel == 0) return g.Min;
  return static_cast<double>(std::int64_t{thumbLeft} - g.TrackLeft) * static_cast<double>(Span(g)) /
             static_cast<double>(travel) +
         g.Min;
}

std::int32_t ReleaseValue(const SliderGeometry& g, std::int32_t thumbLeft, bool snap) {
  return ToValue(g, ReleaseValueExact(g, thumbLeft), snap);
}

}  // namespace karvo::skin
