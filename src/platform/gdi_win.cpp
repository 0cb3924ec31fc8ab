#include "platform/gdi_win.h"

#include "platform/debug_log.h"

namespace karvo::platform {

WindowDc::WindowDc(HWND hwnd) : m_hwnd(hwnd), m_dc(::GetDC(hwnd)) {
  if (!m_dc) DebugLog("GetDC failed\r\n");
}

WindowDc::~WindowDc() {
  if (m_dc && !::ReleaseDC(m_hwnd, m_dc)) DebugLog("ReleaseDC failed\r\n");
}

PaintDc::PaintDc(HWND hwnd) : m_hwnd(hwnd), m_dc(::BeginPaint(hwnd, &m_paint)) {
  if (!m_dc) {
    DebugLog("BeginPaint failed\r\n");
    ::ValidateRect(hwnd, nullptr);
  }
}

PaintDc::~PaintDc() {
  if (m_dc) ::EndPaint(m_hwnd, &m_paint);
}

MemoryDc::MemoryDc(HDC compatibleWith) : m_dc(::CreateCompatibleDC(compatibleWith)) {
  if (!m_dc) DebugLog("CreateCompatibleDC failed\r\n");
}

SelectScope::SelectScope(HDC dc, HGDIOBJ object)
    : m_dc(dc), m_previous(dc && object ? ::SelectObject(dc, object) : nullptr) {
  if (m_previous == HGDI_ERROR) m_previous = nullptr;
  if (dc && object && !m_previous) DebugLog("SelectObject failed\r\n");
}

SelectScope::~SelectScope() {
  if (m_previous) ::SelectObject(m_dc, m_previous);
}

DoubleBuffer::DoubleBuffer(HDC target, const RECT& rect)
    : m_target(target), m_rect(rect), m_memory(target) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (!target || !m_memory || width <= 0 || height <= 0) return;
  m_bitmap.Reset(::CreateCompatibleBitmap(target, width, height));
  if (!m_bitmap) {
    DebugLog("CreateCompatibleBitmap %dx%d failed\r\n", width, height);
    return;
  }
  m_previousBitmap = ::SelectObject(m_memory.Get(), m_bitmap.Get());
  if (!m_previousBitmap || m_previousBitmap == HGDI_ERROR) {
    m_previousBitmap = nullptr;
    return;
  }
  // The buffer's pixel (0,0) is the target's (left, top): drawing code uses one coordinate set.
  if (!::SetWindowOrgEx(m_memory.Get(), rect.left, rect.top, nullptr)) {
    DebugLog("SetWindowOrgEx failed\r\n");
  }
  m_buffered = true;
}

DoubleBuffer::~DoubleBuffer() {
  if (m_previousBitmap) ::SelectObject(m_memory.Get(), m_previousBitmap);
}

bool DoubleBuffer::Flush() {
  if (!m_buffered) return true;
  if (!::BitBlt(m_target, m_rect.left, m_rect.top, m_rect.right - m_rect.left,
                m_rect.bottom - m_rect.top, m_memory.Get(), m_rect.left, m_rect.top, SRCCOPY)) {
    DebugLogLastError("BitBlt of the double buffer");
    return false;
  }
  return true;
}

}  // namespace karvo::platform
