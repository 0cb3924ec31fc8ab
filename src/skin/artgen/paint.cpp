#include "skin/artgen/paint.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace karvo::artgen {
namespace {

constexpr const char* kFace = "Liberation Sans";
constexpr const char* kNarrowFace = "Liberation Sans Narrow";

// Windows-1252 0x80..0x9F; 0 where the code page has no character.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void SelectFont(cairo_t* cr, const Font& font) {
  cairo_select_font_face(cr, font.Narrow ? kNarrowFace : kFace,
                         font.Italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                         font.Bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, font.Size);
}

std::vector<std::string> Words(std::string_view text) {
  std::vector<std::string> words;
  std::string current;
  for (char c : text) {
    if (c == ' ') {
      if (!current.empty()) words.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) words.push_back(current);
  return words;
}

}  // namespace

Surface NewSurface(int width, int height, bool alpha) {
  return Surface(
      cairo_image_surface_create(alpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, width, height));
}

Context NewContext(const Surface& surface) {
  Context cr(cairo_create(surface.get()));
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr.get(), options);
  cairo_font_options_destroy(options);
  return cr;
}

Surface CopySurface(const Surface& surface) {
  const int w = cairo_image_surface_get_width(surface.get());
  const int h = cairo_image_surface_get_height(surface.get());
  Surface copy(cairo_image_surface_create(cairo_image_surface_get_format(surface.get()), w, h));
  Context cr(cairo_create(copy.get()));
  cairo_set_source_surface(cr.get(), surface.get(), 0, 0);
  cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr.get());
  return copy;
}

void SetColour(cairo_t* cr, const Colour& c, double alpha) {
  cairo_set_source_rgba(cr, c.R / 255, c.G / 255, c.B / 255, alpha);
}

std::string Utf8(std::string_view cp1252) {
  std::string out;
  for (char ch : cp1252) {
    const auto b = static_cast<unsigned char>(ch);
    if (b >= 0x80 && b < 0xA0) {
      if (kHighControls[b - 0x80] != 0) AppendUtf8(out, kHighControls[b - 0x80]);
    } else {
      AppendUtf8(out, b);
    }
  }
  return out;
}

double TextWidth(cairo_t* cr, std::string_view cp1252, const Font& font) {
  SelectFont(cr, font);
  const std::string text = Utf8(cp1252);
  cairo_text_extents_t extents;
  cairo_text_extents(cr, text.c_str(), &extents);
  return extents.x_advance +
         font.Tracking * std::max<double>(0, static_cast<double>(text.size()) - 1);
}

void DrawText(cairo_t* cr, std::string_view cp1252, double x, double y, const Font& font,
              const Colour& colour, double alpha) {
  SelectFont(cr, font);
  SetColour(cr, colour, alpha);
  const std::string text = Utf8(cp1252);
  if (font.Tracking == 0) {
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, text.c_str());
    return;
  }
  // Letter by letter for tracked capitals (ASCII only where tracking is used).
  for (char c : text) {
    const char one[2] = {c, 0};
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, one);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, one, &extents);
    x += extents.x_advance + font.Tracking;
  }
}

void DrawTextCentred(cairo_t* cr, std::string_view cp1252, const Box& box, Font font,
                     const Colour& colour) {
  if (TextWidth(cr, cp1252, font) > box.W - 6) font.Narrow = true;
  while (font.Size > 6 && TextWidth(cr, cp1252, font) > box.W - 6) font.Size -= 0.5;
  const double width = TextWidth(cr, cp1252, font);
  const double capital = font.Size * 0.716;  // Arial's capital height per em
  DrawText(cr, cp1252, std::round(box.CentreX() - width / 2),
           std::round(box.CentreY() + capital / 2), font, colour);
}

void DrawTextMiddle(cairo_t* cr, std::string_view cp1252, double x, double middle, const Font& font,
                    const Colour& colour, bool rightAligned) {
  const double width = TextWidth(cr, cp1252, font);
  const double capital = font.Size * 0.716;
  DrawText(cr, cp1252, std::round(rightAligned ? x - width : x), std::round(middle + capital / 2),
           font, colour);
}

double DrawTextWrapped(cairo_t* cr, std::string_view cp1252, const Box& box, const Font& font,
                       const Colour& colour, bool centred) {
  const double lineHeight = std::round(font.Size * 1.3);
  double y = box.Y + font.Size;
  std::string line;
  auto flush = [&] {
    if (line.empty()) return;
    const double width = TextWidth(cr, line, font);
    DrawText(cr, line, std::round(centred ? box.CentreX() - width / 2 : box.X), std::round(y), font,
             colour);
    y += lineHeight;
    line.clear();
  };
  for (const std::string& word : Words(cp1252)) {
    const std::string candidate = line.empty() ? word : line + " " + word;
    if (!line.empty() && TextWidth(cr, candidate, font) > box.W) {
      flush();
      line = word;
    } else {
      line = candidate;
    }
  }
  flush();
  return y - lineHeight - box.Y + lineHeight * 0.3;
}

void RoundedRect(cairo_t* cr, const Box& b, double r) {
  r = std::min({r, b.W / 2, b.H / 2});
  cairo_new_sub_path(cr);
  cairo_arc(cr, b.Right() - r, b.Y + r, r, -M_PI / 2, 0);
  cairo_arc(cr, b.Right() - r, b.Bottom() - r, r, 0, M_PI / 2);
  cairo_arc(cr, b.X + r, b.Bottom() - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, b.X + r, b.Y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

void ChamferRect(cairo_t* cr, const Box& b, double c) {
  c = std::min({c, b.W / 2, b.H / 2});
  cairo_new_sub_path(cr);
  cairo_move_to(cr, b.X + c, b.Y);
  cairo_line_to(cr, b.Right() - c, b.Y);
  cairo_line_to(cr, b.Right(), b.Y + c);
  cairo_line_to(cr, b.Right(), b.Bottom() - c);
  cairo_line_to(cr, b.Right() - c, b.Bottom());
  cairo_line_to(cr, b.X + c, b.Bottom());
  cairo_line_to(cr, b.X, b.Bottom() - c);
  cairo_line_to(cr, b.X, b.Y + c);
  cairo_close_path(cr);
}

void VerticalGradient(cairo_t* cr, const Box& box, const Colour& top, const Colour& bottom) {
  cairo_pattern_t* pattern = cairo_pattern_create_linear(0, box.Y, 0, box.Bottom());
  cairo_pattern_add_color_stop_rgb(pattern, 0, top.R / 255, top.G / 255, top.B / 255);
  cairo_pattern_add_color_stop_rgb(pattern, 1, bottom.R / 255, bottom.G / 255, bottom.B / 255);
  cairo_set_source(cr, pattern);
  cairo_pattern_destroy(pattern);
}

void Texture(cairo_t* cr, const Box& box, std::uint32_t seed, double strength) {
  const int w = static_cast<int>(std::ceil(box.W));
  const int h = static_cast<int>(std::ceil(box.H));
  if (w <= 0 || h <= 0) return;
  Surface noise = NewSurface(w, h, true);
  cairo_surface_flush(noise.get());
  const int stride = cairo_image_surface_get_stride(noise.get());
  unsigned char* data = cairo_image_surface_get_data(noise.get());
  std::uint32_t state = seed * 2654435761u + 12345;
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
    for (int x = 0; x < w; ++x) {
      state = state * 1664525u + 1013904223u;
      const double grain = static_cast<double>(state >> 24) / 255.0 - 0.5;
      // A faint diagonal weave, as brushed carbon shows it.
      const int gx = (static_cast<int>(box.X) + x), gy = (static_cast<int>(box.Y) + y);
      const double weave =
          ((gx + gy) / 3 % 2 == 0) == ((gx - gy + 3000) / 3 % 2 == 0) ? 0.35 : -0.35;
      const double v = std::clamp((grain * 0.8 + weave * 0.5) * strength, -1.0, 1.0);
      // Light grain where v > 0, dark where v < 0, as premultiplied white or black.
      const auto a = static_cast<std::uint32_t>(std::abs(v) * 255);
      const std::uint32_t c = v > 0 ? a : 0;
      row[x] = a << 24 | c << 16 | c << 8 | c;
    }
  }
  cairo_surface_mark_dirty(noise.get());
  cairo_set_source_surface(cr, noise.get(), box.X, box.Y);
  cairo_paint(cr);
}

}  // namespace karvo::artgen
