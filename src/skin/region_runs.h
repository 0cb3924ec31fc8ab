#pragma once
// The portable half of building a window outline from an image: one pass over
// 32-bit pixels, one rectangle per maximal horizontal run of pixels outside the
// transparent colour range, handed out in batches so that the Win32 side only
// turns each batch into a region and unites it with the rest.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace karvo::skin {

struct Rgb {
  std::uint8_t Red;
  std::uint8_t Green;
  std::uint8_t Blue;
};

struct RunRect {
  std::int32_t Left;
  std::int32_t Top;
  std::int32_t Right;   // exclusive
  std::int32_t Bottom;  // exclusive
};

struct RunBatch {
  std::span<const RunRect> Rects;
  RunRect Bounds;  // the union of Rects
};

// Rectangles per region-creation call.
inline constexpr std::size_t kRunBatchSize = 2000;

// A pixel is transparent when each channel lies in [key, key + tolerance] (capped at
// 255). Pixels are 32-bit words as a top-down 32-bpp DIB holds them (blue in the low
// byte, then green, then red; the top byte is ignored), `width` per row. Images
// whose pixel span is shorter than width x height, or with a size that is not
// positive, give no runs. Returns the number of rectangles delivered.
std::size_t ExtractRuns(std::span<const std::uint32_t> pixels, std::int32_t width,
                        std::int32_t height, Rgb key, Rgb tolerance,
                        const std::function<void(const RunBatch&)>& onBatch,
                        std::size_t batchSize = kRunBatchSize);

}  // namespace karvo::skin
