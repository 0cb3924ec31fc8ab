#pragma once
// Reading and writing the image files the configurator's resources are made of:
// JPEG (libjpeg-turbo), 24-bit BMP, ICO, and PNG previews (Cairo).
#include <cairo.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace karvo::artgen {

// Tightly packed 8-bit RGB, top row first.
struct RgbImage {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Pixels;
  const std::uint8_t* At(int x, int y) const {
    return Pixels.data() + (static_cast<std::size_t>(y) * Width + x) * 3;
  }
};

RgbImage FromSurface(cairo_surface_t* surface);
cairo_surface_t* ToSurface(const RgbImage& image);  // the caller destroys it

// Full chroma resolution, so thin red lines keep their colour.
std::vector<std::uint8_t> EncodeJpeg(const RgbImage& image, int quality);
// Nothing for bytes that are no JPEG.
std::optional<RgbImage> DecodeJpeg(const std::vector<std::uint8_t>& bytes);
std::optional<RgbImage> ReadJpegFile(const std::string& path);

// The region image of an outline: white outside, a dark grey inside. The grey of the
// 8 x 8 blocks that the outline crosses is varied until the decoded JPEG is exactly
// white outside and never white inside, so the window's shape is the mask's.
// Nothing when no variation gets there.
std::optional<std::vector<std::uint8_t>> EncodeRegionJpeg(const std::vector<std::uint8_t>& inside,
                                                          int width, int height);

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
bool WriteBmp24(const std::string& path, const RgbImage& image);

// One ICO with an image per surface (ARGB32, square, at most 255 pixels).
bool WriteIco(const std::string& path, const std::vector<cairo_surface_t*>& images);

}  // namespace karvo::artgen
