#include "tests/support/screen_input_win.h"

#include <cstdio>

#include "platform/gdi_win.h"

namespace karvo::testing {

ScreenCapture::ScreenCapture() {
  m_width = ::GetSystemMetrics(SM_CXSCREEN);
  m_height = ::GetSystemMetrics(SM_CYSCREEN);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = m_width;
  info.bmiHeader.biHeight = -m_height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  platform::WindowDc screen(nullptr);
  platform::MemoryDc memory(screen.Get());
  void* bits = nullptr;
  platform::UniqueBitmap bitmap(
      ::CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!screen || !memory || !bitmap || !bits) return;
  {
    platform::SelectScope selected(memory.Get(), bitmap.Get());
    m_ok = ::BitBlt(memory.Get(), 0, 0, m_width, m_height, screen.Get(), 0, 0, SRCCOPY) != 0;
  }
  ::GdiFlush();
  const auto* pixels = static_cast<const DWORD*>(bits);
  m_pixels.assign(pixels, pixels + static_cast<size_t>(m_width) * m_height);
}

COLORREF ScreenCapture::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= m_width || y >= m_height || m_pixels.empty()) return CLR_INVALID;
  const DWORD p = m_pixels[static_cast<size_t>(y) * m_width + x];
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

int ScreenCapture::Count(const RECT& r, COLORREF colour) const {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) n += At(x, y) == colour;
  }
  return n;
}

bool ScreenCapture::SaveBmp(const std::string& path) const {
  if (m_pixels.empty()) return false;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = m_width;
  header.biHeight = m_height;
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = BI_RGB;
  const DWORD imageSize = static_cast<DWORD>(m_pixels.size() * 4);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + imageSize;
  bool ok =
      std::fwrite(&file, sizeof file, 1, f) == 1 && std::fwrite(&header, sizeof header, 1, f) == 1;
  // The screen leaves the fourth byte 0, which viewers would take for transparent.
  std::vector<DWORD> row(static_cast<size_t>(m_width));
  for (int y = m_height - 1; ok && y >= 0; --y) {
    for (int x = 0; x < m_width; ++x) {
      row[static_cast<size_t>(x)] = m_pixels[static_cast<size_t>(y) * m_width + x] | 0xFF000000u;
    }
    ok = std::fwrite(row.data(), 4, row.size(), f) == row.size();
  }
  return std::fclose(f) == 0 && ok;
}

bool MovePointer(POINT screen) {
  const int width = ::GetSystemMetrics(SM_CXSCREEN);
  const int height = ::GetSystemMetrics(SM_CYSCREEN);
  if (width <= 0 || height <= 0) return false;
  // Absolute positions are 1/65536 of the screen; rounded up, they fall on the pixel.
  INPUT move{};
  move.type = INPUT_MOUSE;
  move.mi.dx = static_cast<LONG>((static_cast<LONGLONG>(screen.x) * 65536 + width - 1) / width);
  move.mi.dy = static_cast<LONG>((static_cast<LONGLONG>(screen.y) * 65536 + height - 1) / height);
  move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  if (::SendInput(1, &move, sizeof move) != 1) return false;
  POINT at{};
  for (int tries = 0; tries < 200; ++tries) {
    if (::GetCursorPos(&at) && at.x == screen.x && at.y == screen.y) return true;
    ::Sleep(5);
  }
  return false;
}

bool ClickAt(POINT screen, bool right) {
  if (!MovePointer(screen)) return false;
  INPUT buttons[2] = {};
  for (INPUT& input : buttons) input.type = INPUT_MOUSE;
  buttons[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  buttons[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  return ::SendInput(2, buttons, sizeof(INPUT)) == 2;
}

bool TypeKeys(const std::vector<WORD>& virtualKeys) {
  for (WORD key : virtualKeys) {
    INPUT inputs[2] = {};
    for (int up = 0; up < 2; ++up) {
      inputs[up].type = INPUT_KEYBOARD;
      inputs[up].ki.wVk = key;
      inputs[up].ki.wScan = static_cast<WORD>(::MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
      inputs[up].ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    }
    if (::SendInput(2, inputs, sizeof(INPUT)) != 2) return false;
  }
  return true;
}

std::vector<WORD> KeysOf(const std::string& text) {
  std::vector<WORD> keys;
  for (char c : text) {
    if (c >= 'a' && c <= 'z') keys.push_back(static_cast<WORD>(c - 'a' + 'A'));
    if ((c >= '0' && c <= '9') || c == ' ') keys.push_back(static_cast<WORD>(c));
  }
  return keys;
}

}  // namespace karvo::testing
