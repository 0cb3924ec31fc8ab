// The main window's outline and pictures, timed under the same conditions:
//   skin_region_bench.exe [rounds]
// RegionFromImage on the 858 x 600 region picture (runs united 2000 rectangles at a time) next
// to uniting one region per run with CombineRgn, and the decoding of the window's five
// pictures. Medians of the rounds (50 unless given), in milliseconds.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <vector>

#include "configurator/configurator_resources.h"
#include "platform/gdi_win.h"
#include "skin/region_runs.h"
#include "skin/skin_images_win.h"

namespace {

using namespace karvo;
using Clock = std::chrono::steady_clock;

double MedianMs(int rounds, const std::function<void()>& work) {
  std::vector<double> times;
  for (int i = 0; i < rounds; ++i) {
    const Clock::time_point start = Clock::now();
    work();
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// The same pixels and runs, each run its own region united with the rest.
platform::UniqueRegion RegionRunByRun(HBITMAP bitmap, std::size_t& runs) {
  BITMAP info{};
  if (::GetObjectW(bitmap, sizeof info, &info) != sizeof info) return {};
  BITMAPINFO header{};
  header.bmiHeader = {
      sizeof header.bmiHeader, info.bmWidth, -info.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(info.bmWidth) * info.bmHeight);
  platform::MemoryDc dc(nullptr);
  if (::GetDIBits(dc.Get(), bitmap, 0, info.bmHeight, pixels.data(), &header, DIB_RGB_COLORS) !=
      info.bmHeight) {
    return {};
  }
  platform::UniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
  runs = skin::ExtractRuns(
      pixels, info.bmWidth, info.bmHeight, {255, 255, 255}, {0, 0, 0},
      [&](const skin::RunBatch& batch) {
        for (const skin::RunRect& r : batch.Rects) {
          platform::UniqueRegion run(::CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom));
          ::CombineRgn(region.Get(), region.Get(), run.Get(), RGN_OR);
        }
      },
      skin::kRunBatchSize);
  return region;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
  platform::UniqueBitmap picture;
  const std::optional<SIZE> size = skin::LoadSkinImage(IDR_MAIN_REGION, picture);
  if (!size) {
    std::fprintf(stderr, "skin_region_bench: the main window's region picture is missing\n");
    return 1;
  }

  std::size_t runs = 0;
  platform::UniqueRegion batched;
  platform::UniqueRegion baseline;
  const double batchedMs = MedianMs(rounds, [&] {
    batched = skin::RegionFromImage(picture.Get(), RGB(255, 255, 255), RGB(0, 0, 0));
  });
  const double baselineMs =
      MedianMs(rounds, [&] { baseline = RegionRunByRun(picture.Get(), runs); });
  if (!batched || !baseline || !::EqualRgn(batched.Get(), baseline.Get())) {
    std::fprintf(stderr, "skin_region_bench: the two outlines differ\n");
    return 1;
  }
  std::printf("main window outline, %ldx%ld, %u runs, median of %d:\n", size->cx, size->cy,
              static_cast<unsigned>(runs), rounds);
  std::printf("  RegionFromImage (batches of %u)  %8.3f ms\n",
              static_cast<unsigned>(skin::kRunBatchSize), batchedMs);
  std::printf("  one CombineRgn per run            %8.3f ms  (%.1f x the batched time)\n",
              baselineMs, baselineMs / batchedMs);

  std::printf("decoding the main window's pictures, median of %d:\n", rounds);
  const struct {
    int id;
    const char* role;
  } images[] = {{IDR_MAIN_DISABLED, "disabled"},
                {IDR_MAIN_SELECTED, "selected"},
                {IDR_MAIN_REGION, "region"},
                {IDR_MAIN_NORMAL, "normal"},
                {IDR_MAIN_HOVER, "hover"}};
  double total = 0;
  for (const auto& image : images) {
    platform::UniqueBitmap decoded;
    bool ok = true;
    const double ms = MedianMs(rounds, [&] { ok = skin::LoadSkinImage(image.id, decoded) && ok; });
    if (!ok) {
      std::fprintf(stderr, "skin_region_bench: picture %d not decoded\n", image.id);
      return 1;
    }
    std::printf("  %d %-9s %8.3f ms\n", image.id, image.role, ms);
    total += ms;
  }
  std::printf("  all five     %8.3f ms\n", total);
  return 0;
}
