#include "skin/region_runs.h"

#include <algorithm>
#include <vector>

namespace karvo::skin {
namespace {

struct ChannelRange {
  std::uint32_t Low;
  std::uint32_t High;
  bool Contains(std::uint32_t v) const { return v >= Low && v <= High; }
};

ChannelRange RangeOf(std::uint8_t key, std::uint8_t tolerance) {
  return {key, std::min<std::uint32_t>(255, std::uint32_t{key} + tolerance)};
}

class Batcher {
 public:
  Batcher(const std::function<void(const RunBatch&)>& onBatch, std::size_t batchSize)
      : m_onBatch(onBatch), m_batchSize(std::max<std::size_t>(1, batchSize)) {
    m_rects.reserve(std::min<std::size_t>(m_batchSize, 100));
  }

  void Add(const RunRect& rect) {
    if (m_rects.empty()) {
      m_bounds = rect;
    } else {
      m_bounds.Left = std::min(m_bounds.Left, rect.Left);
      m_bounds.Top = std::min(m_bounds.Top, rect.Top);
      m_bounds.Right = std::max(m_bounds.Right, rect.Right);
      m_bounds.Bottom = std::max(m_bounds.Bottom, rect.Bottom);
    }
    m_rects.push_back(rect);
    ++m_total;
    if (m_rects.size() == m_batchSize) Flush();
  }

  std::size_t Finish() {
    Flush();
    return m_total;
  }

 private:
  void Flush() {
    if (m_rects.empty()) return;
    if (m_onBatch) m_onBatch(RunBatch{m_rects, m_bounds});
    m_rects.clear();
  }

  const std::function<void(const RunBatch&)>& m_onBatch;
  std::size_t m_batchSize;
  std::vector<RunRect> m_rects;
  RunRect m_bounds{};
  std::size_t m_total = 0;
};

}  // namespace

std::size_t ExtractRuns(std::span<const std::uint32_t> pixels, std::int32_t width,
                        std::int32_t height, Rgb key, Rgb tolerance,
                        const std::function<void(const RunBatch&)>& onBatch,
                        std::size_t batchSize) {
  if (width <= 0 || height <= 0) return 0;
  const auto w = static_cast<std::size_t>(width);
  const auto h = static_cast<std::size_t>(height);
  if (pixels.size() / w < h) return 0;

  const ChannelRange red = RangeOf(key.Red, tolerance.Red);
  const ChannelRange green = RangeOf(key.Green, tolerance.Green);
  const ChannelRange blue = RangeOf(key.Blue, tolerance.Blue);
  auto transparent = [&](std::uint32_t p) {
    return blue.Contains(p & 0xFF) && green.Contains((p >> 8) & 0xFF) &&
           red.Contains((p >> 16) & 0xFF);
  };

  Batcher batcher(onBatch, batchSize);
  for (std::size_t y = 0; y < h; ++y) {
    const std::uint32_t* row = pixels.data() + y * w;
    std::size_t x = 0;
    while (x < w) {
      while (x < w && transparent(row[x])) ++x;
      if (x == w) break;
      const std::size_t start = x;
      while (x < w && !transparent(row[x])) ++x;
      batcher.Add(RunRect{static_cast<std::int32_t>(start), static_cast<std::int32_t>(y),
                          static_cast<std::int32_t>(x), static_cast<std::int32_t>(y + 1)});
    }
  }
  return batcher.Finish();
}

}  // namespace karvo::skin
