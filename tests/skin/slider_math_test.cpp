#include "skin/slider_math.h"

#include <gtest/gtest.h>

namespace karvo::skin {
namespace {

// A CPI track of the Sensitivity page: 323 wide, thumb 11, steps 1..7.
constexpr SliderGeometry kCpi{68, 323, 11, 1, 7};

TEST(SliderMath, ReleaseAndClickRoundWithSnapAndTruncateWithout) {
  struct Case {
    const char* what;
    std::int32_t at;  // thumb left for a release, x for a click
    bool click;
    bool snap;
    std::int32_t expected;
  };
  const std::int32_t travel = kCpi.TrackWidth - kCpi.ThumbWidth;
  const std::int32_t sixtyPercent = kCpi.TrackLeft + travel * 60 / 100;  // 1 + 3.6
  const std::int32_t sixtyPercentClick = kCpi.TrackLeft + kCpi.TrackWidth * 60 / 100 + 1;
  const Case cases[] = {
      {"release at 60 % with snap", sixtyPercent, false, true, 5},
      {"release at 60 % without snap", sixtyPercent, false, false, 4},
      {"click at 60 % with snap", sixtyPercentClick, true, true, 5},
      {"click at 60 % without snap", sixtyPercentClick, true, false, 4},
      {"release past the end", kCpi.TrackLeft + travel + 50, false, false, 7},
      {"click past the end", kCpi.TrackLeft + 1000, true, true, 7},
      {"click before the start", kCpi.TrackLeft - 40, true, false, 1},
      {"release before the start", kCpi.TrackLeft - 40, false, true, 1},
      {"release at the start", kCpi.TrackLeft, false, true, 1},
      {"release at the end", kCpi.TrackLeft + travel, false, false, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.click ? ClickValue(kCpi, c.at, c.snap) : ReleaseValue(kCpi, c.at, c.snap),
              c.expected);
  }
}

TEST(SliderMath, ThumbStaysInTheTrackAndEveryValueComesBackFromItsPlace) {
  const SliderGeometry geometries[] = {kCpi, {50, 330, 13, 1, 20}, {55, 332, 13, 1, 11}};
  for (const SliderGeometry& g : geometries) {
    const std::int32_t lastLeft = g.TrackLeft + g.TrackWidth - g.ThumbWidth;
    EXPECT_EQ(ThumbLeftForValue(g, g.Min), g.TrackLeft);
    EXPECT_EQ(ThumbLeftForValue(g, g.Max), lastLeft);
    EXPECT_EQ(ThumbLeftForValue(g, g.Max + 5), lastLeft);
    EXPECT_EQ(ThumbLeftForValue(g, g.Min - 5), g.TrackLeft);
    EXPECT_EQ(ClampThumbLeft(g, lastLeft + 100), lastLeft);
    EXPECT_EQ(ClampThumbLeft(g, -100), g.TrackLeft);
    std::int32_t previous = g.TrackLeft - 1;
    for (std::int32_t v = g.Min; v <= g.Max; ++v) {
      const std::int32_t left = ThumbLeftForValue(g, v);
      EXPECT_GT(left, previous);
      previous = left;
      // A thumb released where SetPosition put it reports that value again.
      EXPECT_EQ(ReleaseValue(g, left, true), v);
    }
    // Dragged past the end the thumb stops inside the track and reports Max.
    EXPECT_EQ(DragValue(g, ClampThumbLeft(g, lastLeft + 40)), g.Max);
    EXPECT_EQ(DragValue(g, lastLeft + 40), g.Max);
    EXPECT_EQ(DragValue(g, g.TrackLeft - 40), g.Min);
  }
}

TEST(SliderMath, DegenerateRangesAndTracksGiveMinInsteadOfDividingByZero) {
  const SliderGeometry cases[] = {
      {10, 100, 10, 5, 5},  // empty range
      {10, 100, 10, 9, 2},  // inverted range
      {10, 10, 10, 1, 7},   // thumb as wide as the track
      {10, 0, 0, 1, 7},     // no track at all
      {10, 5, 20, 1, 7},    // thumb wider than the track
  };
  for (const SliderGeometry& g : cases) {
    EXPECT_EQ(ThumbLeftForValue(g, g.Max), g.TrackLeft);
    EXPECT_EQ(DragValue(g, 50), g.Min);
    EXPECT_EQ(ReleaseValue(g, 50, true), g.Min);
    EXPECT_EQ(ClampSliderValue(g, 1000), g.Max > g.Min ? g.Max : g.Min);
    const std::int32_t click = ClickValue(g, 1000, true);
    EXPECT_GE(click, g.Min);
    EXPECT_LE(click, std::max(g.Min, g.Max));
  }
}

}  // namespace
}  // namespace karvo::skin
