#include "tests/support/screen_win.h"

#include <algorithm>
#include <cstdio>

#include "platform/gdi_win.h"

namespace karvo::testing {

namespace {
// Copies width x height pixels at (x, y) of source into a fresh top-down 32-bit section.
Pixels Copy(HDC source, int x, int y, int width, int height) {
  Pixels pixels;
  if (width <= 0 || height <= 0) return pixels;
  BITMAPINFO info = platform::TopDown32BitInfo(width, height);
  void* bits = nullptr;
  HBITMAP section = ::CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC memory = ::CreateCompatibleDC(source);
  if (section && bits && memory) {
    HGDIOBJ old = ::SelectObject(memory, section);
    if (::BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY)) {
      ::GdiFlush();
      const auto* data = static_cast<const std::uint32_t*>(bits);
      pixels.Width = width;
      pixels.Height = height;
      pixels.Data.assign(data, data + static_cast<std::size_t>(width) * height);
      for (std::uint32_t& p : pixels.Data) p &= 0x00FFFFFF;
    }
    ::SelectObject(memory, old);
  }
  if (memory) ::DeleteDC(memory);
  if (section) ::DeleteObject(section);
  return pixels;
}
}  // namespace

std::uint32_t Pixels::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= Width || y >= Height) return 0xFFFFFFFF;
  return Data[static_cast<std::size_t>(y) * Width + x];
}

bool Pixels::SaveBmp(const std::string& path) const {
  if (Empty()) return false;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  BITMAPINFOHEADER header = platform::TopDown32BitInfo(Width, Height).bmiHeader;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(Data.size() * 4);
  const bool ok = std::fwrite(&file, sizeof file, 1, f) == 1 &&
                  std::fwrite(&header, sizeof header, 1, f) == 1 &&
                  std::fwrite(Data.data(), 4, Data.size(), f) == Data.size();
  return std::fclose(f) == 0 && ok;
}

Pixels CaptureScreen(const RECT& area) {
  HDC screen = ::GetDC(nullptr);
  if (!screen) return {};
  Pixels pixels = Copy(screen, area.left, area.top, area.right - area.left, area.bottom - area.top);
  ::ReleaseDC(nullptr, screen);
  return pixels;
}

Pixels BitmapPixels(HBITMAP bitmap, const RECT& part) {
  if (!bitmap) return {};
  HDC source = ::CreateCompatibleDC(nullptr);
  if (!source) return {};
  HGDIOBJ old = ::SelectObject(source, bitmap);
  Pixels pixels =
      old ? Copy(source, part.left, part.top, part.right - part.left, part.bottom - part.top)
          : Pixels{};
  if (old) ::SelectObject(source, old);
  ::DeleteDC(source);
  return pixels;
}

int CountDifferences(const Pixels& a, const Pixels& b) {
  if (a.Width != b.Width || a.Height != b.Height) {
    return std::max(a.Width * a.Height, b.Width * b.Height);
  }
  int differences = 0;
  for (std::size_t i = 0; i < a.Data.size(); ++i) differences += a.Data[i] != b.Data[i];
  return differences;
}

}  // namespace karvo::testing
