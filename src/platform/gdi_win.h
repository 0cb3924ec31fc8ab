#pragma once
// GDI resources: move-only owners that free what they hold once, borrowing scopes that give
// back what they took (a window's DC, a paint, a selected object), and the double buffer every
// painted surface draws through.
#include <windows.h>

#include "platform/handles.h"

namespace karvo::platform {

template <typename H>
struct GdiTraits {
  static H Invalid() { return nullptr; }
  static bool IsValid(H h) { return h != nullptr; }
  static void Close(H h) { ::DeleteObject(h); }
};
struct MenuTraits {
  static HMENU Invalid() { return nullptr; }
  static bool IsValid(HMENU h) { return h != nullptr; }
  static void Close(HMENU h) { ::DestroyMenu(h); }
};
struct IconTraits {
  static HICON Invalid() { return nullptr; }
  static bool IsValid(HICON h) { return h != nullptr; }
  static void Close(HICON h) { ::DestroyIcon(h); }
};
struct DcTraits {  // CreateCompatibleDC, CreateDC; never a DC from GetDC or BeginPaint
  static HDC Invalid() { return nullptr; }
  static bool IsValid(HDC h) { return h != nullptr; }
  static void Close(HDC h) { ::DeleteDC(h); }
};

using UniqueBitmap = UniqueResource<HBITMAP, GdiTraits<HBITMAP>>;
using UniqueFont = UniqueResource<HFONT, GdiTraits<HFONT>>;
using UniqueBrush = UniqueResource<HBRUSH, GdiTraits<HBRUSH>>;
using UniquePen = UniqueResource<HPEN, GdiTraits<HPEN>>;
using UniqueRegion = UniqueResource<HRGN, GdiTraits<HRGN>>;
using UniqueMenu = UniqueResource<HMENU, MenuTraits>;
using UniqueIcon = UniqueResource<HICON, IconTraits>;  // not for icons loaded shared
using UniqueDc = UniqueResource<HDC, DcTraits>;

// GetDC / ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND hwnd);
  ~WindowDc();
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return m_dc; }
  explicit operator bool() const { return m_dc != nullptr; }

 private:
  HWND m_hwnd;
  HDC m_dc;
};

// BeginPaint / EndPaint, for WM_PAINT. Without a DC the update region is validated all the
// same, so WM_PAINT does not come back at once.
class PaintDc {
 public:
  explicit PaintDc(HWND hwnd);
  ~PaintDc();
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC Get() const { return m_dc; }
  explicit operator bool() const { return m_dc != nullptr; }
  const RECT& Area() const { return m_paint.rcPaint; }

 private:
  HWND m_hwnd;
  PAINTSTRUCT m_paint{};
  HDC m_dc;
};

// A memory DC compatible with another DC (or the screen's, for nullptr).
class MemoryDc {
 public:
  explicit MemoryDc(HDC compatibleWith);
  HDC Get() const { return m_dc.Get(); }
  explicit operator bool() const { return static_cast<bool>(m_dc); }

 private:
  UniqueDc m_dc;
};

// Selects an object into a DC and puts the previous one back when it ends.
class SelectScope {
 public:
  SelectScope(HDC dc, HGDIOBJ object);
  ~SelectScope();
  SelectScope(const SelectScope&) = delete;
  SelectScope& operator=(const SelectScope&) = delete;
  explicit operator bool() const { return m_previous != nullptr; }

 private:
  HDC m_dc;
  HGDIOBJ m_previous;
};

// Painting without flicker: draw into Get() in the target's own coordinates, then Flush()
// copies the rectangle to the target in one step. The window's WM_ERASEBKGND answers 1, since
// the buffer paints every pixel. When no buffer can be made Get() is the target itself and
// Flush() has nothing to do: the paint still happens, only not in one step.
//   DoubleBuffer buffer(paint.Get(), client); ... draw on buffer.Get() ...; buffer.Flush();
class DoubleBuffer {
 public:
  DoubleBuffer(HDC target, const RECT& rect);
  ~DoubleBuffer();
  DoubleBuffer(const DoubleBuffer&) = delete;
  DoubleBuffer& operator=(const DoubleBuffer&) = delete;

  HDC Get() const { return m_buffered ? m_memory.Get() : m_target; }
  bool Buffered() const { return m_buffered; }
  // Copies the buffer to the target; false when the copy failed.
  bool Flush();

 private:
  HDC m_target;
  RECT m_rect;
  MemoryDc m_memory;
  UniqueBitmap m_bitmap;
  HGDIOBJ m_previousBitmap = nullptr;
  bool m_buffered = false;
};

// The header of a bitmap of 32-bit pixels with its top row first.
inline BITMAPINFO TopDown32BitInfo(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

}  // namespace karvo::platform
