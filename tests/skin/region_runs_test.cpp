#include "skin/region_runs.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace karvo::skin {
namespace {

constexpr std::uint32_t kWhite = 0x00FFFFFF;

std::uint32_t Pixel(int r, int g, int b, int x = 0) {
  return static_cast<std::uint32_t>(x << 24 | r << 16 | g << 8 | b);
}

// Pixel by pixel: opaque unless every channel lies in [key, key + tolerance].
std::vector<bool> ReferenceMask(const std::vector<std::uint32_t>& pixels, Rgb key, Rgb tol) {
  std::vector<bool> opaque(pixels.size());
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    const int c[3] = {static_cast<int>(pixels[i] >> 16 & 0xFF),
                      static_cast<int>(pixels[i] >> 8 & 0xFF), static_cast<int>(pixels[i] & 0xFF)};
    const int k[3] = {key.Red, key.Green, key.Blue};
    const int t[3] = {tol.Red, tol.Green, tol.Blue};
    bool inside = true;
    for (int ch = 0; ch < 3; ++ch) {
      if (c[ch] < k[ch] || c[ch] > std::min(255, k[ch] + t[ch])) inside = false;
    }
    opaque[i] = !inside;
  }
  return opaque;
}

struct Collected {
  std::vector<RunRect> rects;
  std::size_t batches = 0;
  std::size_t largestBatch = 0;
  bool boundsExact = true;
};

Collected Collect(const std::vector<std::uint32_t>& pixels, int w, int h, Rgb key, Rgb tol,
                  std::size_t batchSize) {
  Collected out;
  const std::size_t total = ExtractRuns(
      pixels, w, h, key, tol,
      [&](const RunBatch& batch) {
        ++out.batches;
        out.largestBatch = std::max(out.largestBatch, batch.Rects.size());
        RunRect bounds = batch.Rects.front();
        for (const RunRect& r : batch.Rects) {
          bounds.Left = std::min(bounds.Left, r.Left);
          bounds.Top = std::min(bounds.Top, r.Top);
          bounds.Right = std::max(bounds.Right, r.Right);
          bounds.Bottom = std::max(bounds.Bottom, r.Bottom);
          out.rects.push_back(r);
        }
        out.boundsExact = out.boundsExact && bounds.Left == batch.Bounds.Left &&
                          bounds.Top == batch.Bounds.Top && bounds.Right == batch.Bounds.Right &&
                          bounds.Bottom == batch.Bounds.Bottom;
      },
      batchSize);
  EXPECT_EQ(total, out.rects.size());
  return out;
}

TEST(ExtractRuns, MatchesAPixelByPixelReferenceOnRandomImages) {
  std::mt19937 random(15);
  for (int round = 0; round < 300; ++round) {
    const int w = 1 + static_cast<int>(random() % 40);
    const int h = 1 + static_cast<int>(random() % 30);
    const Rgb key{static_cast<std::uint8_t>(random() % 256),
                  static_cast<std::uint8_t>(random() % 256),
                  static_cast<std::uint8_t>(random() % 256)};
    // Now and then a tolerance that reaches past 255 and must be capped there.
    auto tolerance = [&] {
      return static_cast<std::uint8_t>(random() % 8 == 0 ? 255 : random() % 40);
    };
    const Rgb tol{tolerance(), tolerance(), tolerance()};
    // Channels near the key's range edges, with runs of equal pixels and junk in the
    // top byte that must not count.
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w * h));
    auto near = [&](int k) { return std::clamp(k + static_cast<int>(random() % 90) - 30, 0, 255); };
    for (std::size_t i = 0; i < pixels.size(); ++i) {
      pixels[i] = (i > 0 && random() % 3 == 0)
                      ? pixels[i - 1]
                      : Pixel(near(key.Red), near(key.Green), near(key.Blue),
                              static_cast<int>(random() % 256));
    }
    const std::size_t batchSize = 1 + random() % 20;
    const Collected got = Collect(pixels, w, h, key, tol, batchSize);
    const std::vector<bool> opaque = ReferenceMask(pixels, key, tol);

    // The rectangles cover exactly the opaque pixels, each once, one per maximal run.
    std::vector<int> cover(pixels.size());
    for (const RunRect& r : got.rects) {
      ASSERT_EQ(r.Bottom, r.Top + 1);
      ASSERT_LT(r.Left, r.Right);
      ASSERT_TRUE(r.Left == 0 || !opaque[static_cast<std::size_t>(r.Top * w + r.Left - 1)]);
      ASSERT_TRUE(r.Right == w || !opaque[static_cast<std::size_t>(r.Top * w + r.Right)]);
      for (int x = r.Left; x < r.Right; ++x) ++cover[static_cast<std::size_t>(r.Top * w + x)];
    }
    for (std::size_t i = 0; i < pixels.size(); ++i) {
      ASSERT_EQ(cover[i], opaque[i] ? 1 : 0) << "round " << round << " pixel " << i;
    }
    EXPECT_LE(got.largestBatch, batchSize);
    EXPECT_EQ(got.batches, (got.rects.size() + batchSize - 1) / batchSize);
    EXPECT_TRUE(got.boundsExact);
  }
}

TEST(ExtractRuns, WhiteImagesGiveNothingAndImagesWithoutWhiteGiveOneRunPerRow) {
  const int w = 858, h = 600;
  const std::vector<std::uint32_t> white(static_cast<std::size_t>(w * h), kWhite | 0xFF000000u);
  EXPECT_EQ(Collect(white, w, h, {255, 255, 255}, {0, 0, 0}, kRunBatchSize).rects.size(), 0u);

  std::vector<std::uint32_t> dark(static_cast<std::size_t>(w * h), Pixel(254, 255, 255));
  const Collected rows = Collect(dark, w, h, {255, 255, 255}, {0, 0, 0}, kRunBatchSize);
  ASSERT_EQ(rows.rects.size(), static_cast<std::size_t>(h));
  for (int y = 0; y < h; ++y) {
    EXPECT_EQ(rows.rects[static_cast<std::size_t>(y)].Left, 0);
    EXPECT_EQ(rows.rects[static_cast<std::size_t>(y)].Right, w);
    EXPECT_EQ(rows.rects[static_cast<std::size_t>(y)].Top, y);
  }
  // 600 rows fit one batch of 2000; a window whose outline has more runs is split.
  EXPECT_EQ(rows.batches, 1u);
  std::vector<std::uint32_t> stripes(static_cast<std::size_t>(w * h), kWhite);
  for (std::size_t i = 0; i < stripes.size(); i += 2) stripes[i] = Pixel(0, 0, 0);
  const Collected many = Collect(stripes, w, h, {255, 255, 255}, {0, 0, 0}, kRunBatchSize);
  EXPECT_EQ(many.rects.size(), static_cast<std::size_t>(w / 2 * h));
  EXPECT_EQ(many.largestBatch, kRunBatchSize);
}

TEST(ExtractRuns, RefusesSizesThatDoNotMatchThePixels) {
  const std::vector<std::uint32_t> pixels(100, 0);
  const Rgb white{255, 255, 255};
  EXPECT_EQ(ExtractRuns(pixels, 10, 11, white, {}, nullptr), 0u);
  EXPECT_EQ(ExtractRuns(pixels, 0, 10, white, {}, nullptr), 0u);
  EXPECT_EQ(ExtractRuns(pixels, -10, -10, white, {}, nullptr), 0u);
  EXPECT_EQ(ExtractRuns(pixels, 2147483647, 2, white, {}, nullptr), 0u);
  EXPECT_EQ(ExtractRuns(pixels, 10, 10, white, {}, nullptr), 10u);
}

}  // namespace
}  // namespace karvo::skin
