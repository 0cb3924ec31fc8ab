#include "skin/artgen/small_art.h"

#include <cmath>

#include "skin/artgen/control_art.h"

namespace karvo::artgen {
namespace {

namespace pal = palette;

// Flattens an ARGB surface onto `behind`; with `cut`, pixels less than half covered
// become the key colour instead.
RgbImage Flatten(const Surface& surface, const Colour& behind, const std::uint8_t* cut) {
  cairo_surface_flush(surface.get());
  RgbImage image;
  image.Width = cairo_image_surface_get_width(surface.get());
  image.Height = cairo_image_surface_get_height(surface.get());
  image.Pixels.resize(static_cast<std::size_t>(image.Width) * image.Height * 3);
  const int stride = cairo_image_surface_get_stride(surface.get());
  const unsigned char* data = cairo_image_surface_get_data(surface.get());
  for (int y = 0; y < image.Height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
    for (int x = 0; x < image.Width; ++x) {
      const std::uint32_t p = row[x];
      const double a = (p >> 24) / 255.0;
      std::uint8_t* out = image.Pixels.data() + (static_cast<std::size_t>(y) * image.Width + x) * 3;
      if (cut != nullptr && a < 0.5) {
        out[0] = cut[0];
        out[1] = cut[1];
        out[2] = cut[2];
        continue;
      }
      const double rgb[3] = {static_cast<double>(p >> 16 & 0xFF),
                             static_cast<double>(p >> 8 & 0xFF), static_cast<double>(p & 0xFF)};
      const double back[3] = {behind.R, behind.G, behind.B};
      for (int c = 0; c < 3; ++c) {
        out[c] = static_cast<std::uint8_t>(std::lround(rgb[c] + (1 - a) * back[c]));
      }
    }
  }
  return image;
}

}  // namespace

Surface KeyedSurface(const RgbImage& image, const std::uint8_t* key) {
  Surface surface = NewSurface(image.Width, image.Height, true);
  cairo_surface_flush(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  unsigned char* data = cairo_image_surface_get_data(surface.get());
  for (int y = 0; y < image.Height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
    for (int x = 0; x < image.Width; ++x) {
      const std::uint8_t* p = image.At(x, y);
      const bool keyed = p[0] == key[0] && p[1] == key[1] && p[2] == key[2];
      row[x] =
          keyed ? 0 : 0xFF000000u | std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2];
    }
  }
  cairo_surface_mark_dirty(surface.get());
  return surface;
}

RgbImage DrawThumb(int width, int height) {
  Surface surface = NewSurface(width, height, true);
  Context context = NewContext(surface);
  cairo_t* cr = context.get();
  const double w = width, h = height;
  const double point = std::max(3.0, w / 2 - 1);
  cairo_new_path(cr);
  cairo_move_to(cr, 1.5, 2.5);
  cairo_line_to(cr, 2.5, 1);
  cairo_line_to(cr, w - 2.5, 1);
  cairo_line_to(cr, w - 1.5, 2.5);
  cairo_line_to(cr, w - 1.5, h - point);
  cairo_line_to(cr, w / 2, h - 0.5);
  cairo_line_to(cr, 1.5, h - point);
  cairo_close_path(cr);
  VerticalGradient(cr, {0, 0, w, h}, {236, 236, 240}, {128, 130, 140});
  cairo_fill_preserve(cr);
  SetColour(cr, {24, 24, 28});
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  // The grip: a red line down the middle.
  SetColour(cr, pal::kAccent);
  cairo_rectangle(cr, std::floor(w / 2) - 0.5, 4, 2, h - point - 4);
  cairo_fill(cr);
  return Flatten(surface, {30, 30, 34}, kThumbKey);
}

RgbImage DrawCheckImage(int state, int size) {
  Surface surface = NewSurface(size, size);
  Context context = NewContext(surface);
  cairo_t* cr = context.get();
  SetColour(cr, pal::kSurface);
  cairo_paint(cr);
  static constexpr ArtState kStates[] = {ArtState::Normal, ArtState::Hover, ArtState::Selected,
                                         ArtState::Disabled, ArtState::Selected};
  const skin::ControlSpec check{.Layout = "Check,0,0,13,13,", .Kind = skin::ControlKind::Check};
  const Box box{0, 0, static_cast<double>(size), static_cast<double>(size)};
  DrawControlFace(cr, skin::kWindows[0], check, box, kStates[state]);
  if (state == 4) {
    // Checked but disabled: the checked look, dimmed.
    SetColour(cr, pal::kSurface, 0.6);
    cairo_paint(cr);
  }
  return FromSurface(surface.get());
}

RgbImage DrawListIcon(ListIcon icon, int size) {
  Surface surface = NewSurface(size, size);
  Context context = NewContext(surface);
  cairo_t* cr = context.get();
  SetColour(cr, pal::kBlack);
  cairo_paint(cr);
  const double s = size, c = s / 2;
  cairo_set_line_width(cr, 1.4);
  switch (icon) {
    case ListIcon::Pause:
      SetColour(cr, {236, 236, 240});
      cairo_arc(cr, c, c, c - 1.2, 0, 2 * M_PI);
      cairo_stroke(cr);
      SetColour(cr, pal::kAccentHigh);
      cairo_move_to(cr, c, c - 3.5);
      cairo_line_to(cr, c, c);
      cairo_line_to(cr, c + 2.5, c + 1.5);
      cairo_stroke(cr);
      break;
    case ListIcon::MouseEvent:
      SetColour(cr, {236, 236, 240});
      RoundedRect(cr, {2.5, 0.8, s - 5, s - 1.6}, (s - 5) / 2);
      cairo_stroke(cr);
      cairo_move_to(cr, c, 1);
      cairo_line_to(cr, c, c - 1);
      cairo_stroke(cr);
      SetColour(cr, pal::kAccentHigh);
      cairo_rectangle(cr, 3.2, 1.6, c - 3.6, c - 2.6);
      cairo_fill(cr);
      break;
    case ListIcon::KeyPress:
    case ListIcon::KeyRelease: {
      const bool press = icon == ListIcon::KeyPress;
      SetColour(cr, press ? pal::kAccentHigh : Colour{190, 192, 204});
      const double tip = press ? s - 1.5 : 1.5;
      const double base = press ? 5.5 : s - 5.5;
      cairo_move_to(cr, c, tip);
      cairo_line_to(cr, c + 4.5, base);
      cairo_line_to(cr, c + 1.5, base);
      cairo_line_to(cr, c + 1.5, press ? 1 : s - 1);
      cairo_line_to(cr, c - 1.5, press ? 1 : s - 1);
      cairo_line_to(cr, c - 1.5, base);
      cairo_line_to(cr, c - 4.5, base);
      cairo_close_path(cr);
      cairo_fill(cr);
      break;
    }
  }
  RgbImage image = FromSurface(surface.get());
  // Edge pixels blended towards black would turn transparent in a ragged way; lift
  // them just off black so only the background drops out.
  for (std::size_t i = 0; i < image.Pixels.size(); i += 3) {
    std::uint8_t* p = image.Pixels.data() + i;
    if ((p[0] | p[1] | p[2]) != 0 && p[0] < 8 && p[1] < 8 && p[2] < 8) p[0] = p[1] = p[2] = 0;
  }
  return image;
}

std::vector<cairo_surface_t*> DrawAppIcon(const std::vector<int>& sizes) {
  std::vector<cairo_surface_t*> out;
  for (int size : sizes) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, size / 32.0, size / 32.0);
    RoundedRect(cr, {1, 1, 30, 30}, 6);
    VerticalGradient(cr, {0, 0, 32, 32}, {52, 53, 60}, {14, 14, 17});
    cairo_fill_preserve(cr);
    SetColour(cr, pal::kAccent);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    // The red blade of the logo beside a K.
    cairo_move_to(cr, 7, 25);
    cairo_line_to(cr, 13, 7);
    cairo_line_to(cr, 17, 7);
    cairo_line_to(cr, 11, 25);
    cairo_close_path(cr);
    SetColour(cr, pal::kAccentHigh);
    cairo_fill(cr);
    SetColour(cr, pal::kText);
    cairo_set_line_width(cr, 3);
    cairo_move_to(cr, 18.5, 8);
    cairo_line_to(cr, 18.5, 24);
    cairo_move_to(cr, 26, 8);
    cairo_line_to(cr, 19.5, 16);
    cairo_line_to(cr, 26, 24);
    cairo_stroke(cr);
    cairo_destroy(cr);
    out.push_back(surface);
  }
  return out;
}

std::vector<cairo_surface_t*> DrawArrowIcon(const std::vector<int>& sizes) {
  std::vector<cairo_surface_t*> out;
  for (int size : sizes) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, size / 16.0, size / 16.0);
    cairo_move_to(cr, 6, 4);
    cairo_line_to(cr, 11, 8);
    cairo_line_to(cr, 6, 12);
    cairo_close_path(cr);
    SetColour(cr, {230, 230, 236});
    cairo_fill(cr);
    cairo_destroy(cr);
    out.push_back(surface);
  }
  return out;
}

}  // namespace karvo::artgen
