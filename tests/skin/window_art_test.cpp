// The generated artwork against the layout tables: every control lies inside its
// window, and every window's decoded region image is white outside its outline and
// never white under a control, so no control is cut out of its window.
#include <gtest/gtest.h>

#include <string>

#include "skin/artgen/image_files.h"
#include "skin/skin_layout.h"
#include "skin/window_layouts.h"

namespace karvo::skin {
namespace {

using artgen::RgbImage;

bool IsWhite(const RgbImage& image, int x, int y) {
  const std::uint8_t* p = image.At(x, y);
  return p[0] == 255 && p[1] == 255 && p[2] == 255;
}

std::string ArtFile(const WindowSpec& window, const char* role) {
  const std::string name =
      window.Images.Region == IDR_BUTTON_PAGE_REGION && std::string_view(role) == "region"
          ? "button_page"
          : std::string(window.Name);
  return std::string(KARVO_ART_DIR) + "/" + name + "_" + role + ".jpg";
}

TEST(WindowArt, ControlsLieInsideTheirWindowsAndTheOutlineNeverCutsThem) {
  for (const WindowSpec& window : kWindows) {
    SCOPED_TRACE(std::string(window.Name));
    const std::optional<RgbImage> region = artgen::ReadJpegFile(ArtFile(window, "region"));
    ASSERT_TRUE(region);
    ASSERT_EQ(region->Width, window.Width);
    ASSERT_EQ(region->Height, window.Height);

    int whitePixels = 0;
    for (int y = 0; y < window.Height; ++y) {
      for (int x = 0; x < window.Width; ++x) whitePixels += IsWhite(*region, x, y);
    }
    if (window.Shape == WindowShape::Rectangular) {
      EXPECT_EQ(whitePixels, 0);
    } else {
      // Cut or rounded corners lie outside.
      EXPECT_TRUE(IsWhite(*region, 0, 0));
      EXPECT_TRUE(IsWhite(*region, window.Width - 1, 0));
      EXPECT_TRUE(IsWhite(*region, 0, window.Height - 1));
      EXPECT_TRUE(IsWhite(*region, window.Width - 1, window.Height - 1));
    }

    for (const ControlSpec& control : window.Controls) {
      const SkinLayout layout = ParseLayout(control.Layout);
      SCOPED_TRACE(std::string(control.Layout));
      ASSERT_GE(layout.Left, 0);
      ASSERT_GE(layout.Top, 0);
      ASSERT_LT(layout.Left, layout.Right);
      ASSERT_LT(layout.Top, layout.Bottom);
      ASSERT_LE(layout.Right, window.Width);
      ASSERT_LE(layout.Bottom, window.Height);
      int holes = 0;
      for (int y = layout.Top; y < layout.Bottom; ++y) {
        for (int x = layout.Left; x < layout.Right; ++x) holes += IsWhite(*region, x, y);
      }
      EXPECT_EQ(holes, 0);
    }

    for (const char* role : {"normal", "hover", "selected", "disabled"}) {
      const std::optional<RgbImage> image = artgen::ReadJpegFile(ArtFile(window, role));
      ASSERT_TRUE(image) << role;
      EXPECT_EQ(image->Width, window.Width) << role;
      EXPECT_EQ(image->Height, window.Height) << role;
    }
  }
}

TEST(WindowArt, DecoderRefusesBytesThatAreNoJpegOrAreCutShort) {
  const artgen::RgbImage grey{16, 16, std::vector<std::uint8_t>(16 * 16 * 3, 90)};
  const std::vector<std::uint8_t> whole = artgen::EncodeJpeg(grey, 90);
  ASSERT_TRUE(artgen::DecodeJpeg(whole));
  EXPECT_FALSE(artgen::DecodeJpeg(std::vector<std::uint8_t>(whole.begin(), whole.end() - 40)));
  EXPECT_FALSE(artgen::DecodeJpeg({}));
  EXPECT_FALSE(artgen::DecodeJpeg({0xFF, 0xD8, 0xFF, 0xE0, 0x00}));
  EXPECT_FALSE(artgen::DecodeJpeg(std::vector<std::uint8_t>(100, 0x42)));
}

}  // namespace
}  // namespace karvo::skin
