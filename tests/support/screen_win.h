#pragma once
// Pixels for tests that look at what is drawn: a piece of the screen as the user sees it, or of
// a bitmap, compared pixel by pixel and saved for a person to look at when they differ.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace karvo::testing {

struct Pixels {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint32_t> Data;  // 0x00RRGGBB, top row first

  bool Empty() const { return Data.empty(); }
  // 0xFFFFFFFF outside.
  std::uint32_t At(int x, int y) const;
  // A 32-bit BMP file; false when it could not be written.
  bool SaveBmp(const std::string& path) const;
};

// area in screen coordinates; empty when it cannot be read.
Pixels CaptureScreen(const RECT& area);
// part of bitmap; empty when the bitmap is empty or cannot be read.
Pixels BitmapPixels(HBITMAP bitmap, const RECT& part);
// How many pixels differ; every pixel when the sizes differ.
int CountDifferences(const Pixels& a, const Pixels& b);

}  // namespace karvo::testing
