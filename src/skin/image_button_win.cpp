#include "skin/image_button_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include <string_view>
#include <utility>

#include "platform/debug_log.h"
#include "platform/text_win.h"
#include "skin/image_button_state.h"
#include "skin/skin_fonts_win.h"
#include "skin/skin_images_win.h"
#include "skin/skin_messages.h"

namespace karvo::skin {

namespace {

using platform::DebugLog;

constexpr UINT_PTR kToolId = 1;
constexpr int kCaptionLeft = 5;

void LoadLook(ButtonImages& look, int normal, int hover, int selected, int disabled) {
  look.Normal = LoadBitmapResource(normal);
  look.Hover = LoadBitmapResource(hover);
  look.Selected = LoadBitmapResource(selected);
  look.Disabled = LoadBitmapResource(disabled);
}

HBITMAP ImageFor(const ButtonImages& look, ButtonImage which) {
  switch (which) {
    case ButtonImage::Hover:
      return look.Hover.Get();
    case ButtonImage::Selected:
      return look.Selected.Get();
    case ButtonImage::Disabled:
      return look.Disabled.Get();
    case ButtonImage::Normal:
      break;
  }
  return look.Normal.Get();
}

// The tool structure as comctl32 5.8 knows it, which every later version takes too.
TTTOOLINFOW ToolInfo(HWND button, wchar_t* text) {
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = button;
  tool.uId = kToolId;
  tool.lpszText = text;
  return tool;
}

// One tooltip control per top-level window, found through a property of that window: a window
// with dozens of buttons would otherwise create dozens of tooltip windows at start-up.
constexpr wchar_t kTooltipProperty[] = L"KarvoSharedTooltip";

bool IsTooltip(HWND window) {
  wchar_t kind[32] = {};
  return ::IsWindow(window) && ::GetClassNameW(window, kind, 32) &&
         std::wstring_view(kind) == TOOLTIPS_CLASSW;
}

HWND SharedTooltip(HWND button) {
  HWND top = ::GetAncestor(button, GA_ROOT);
  if (!top) return nullptr;
  auto tooltip = static_cast<HWND>(::GetPropW(top, kTooltipProperty));
  if (IsTooltip(tooltip)) return tooltip;
  static const bool registered = [] {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
    return ::InitCommonControlsEx(&classes) != FALSE;
  }();
  if (!registered) DebugLog("InitCommonControlsEx failed\r\n");
  // Owned by the top-level window: it goes when that window goes.
  tooltip = ::CreateWindowExW(
      WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, top, nullptr,
      reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(button, GWLP_HINSTANCE)), nullptr);
  if (!tooltip) {
    platform::DebugLogLastError("CreateWindowExW(tooltip)");
    return nullptr;
  }
  if (!::SetPropW(top, kTooltipProperty, tooltip)) {
    platform::DebugLogLastError("SetProp(shared tooltip)");
  }
  return tooltip;
}

}  // namespace

ImageButton::~ImageButton() { RemoveTool(); }

bool ImageButton::Create(HWND parent, const RECT& rect, int id) {
  return SubclassedControl::Create(parent, L"BUTTON", "", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW,
                                   rect, id);
}

void ImageButton::SetImages(const RECT& rect, HBITMAP normalSource, HBITMAP hoverSource,
                            HBITMAP selectedSource, HBITMAP disabledSource) {
  m_first = {};
  platform::WindowDc screen(nullptr);
  if (!screen) return;
  CropImage(screen.Get(), m_first.Normal, normalSource, rect);
  CropImage(screen.Get(), m_first.Hover, hoverSource, rect);
  CropImage(screen.Get(), m_first.Selected, selectedSource, rect);
  CropImage(screen.Get(), m_first.Disabled, disabledSource, rect);
  if (!m_hwnd) return;
  const LONG style = ::GetWindowLongW(m_hwnd, GWL_STYLE);
  ::SetLastError(0);
  if (!::SetWindowLongW(m_hwnd, GWL_STYLE, (style & ~(WS_BORDER | WS_TABSTOP)) | BS_OWNERDRAW) &&
      ::GetLastError() != 0) {
    platform::DebugLogLastError("SetWindowLong(image button style)");
  }
  Redraw();
}

void ImageButton::SetImagesFromBitmaps(int normal, int hover, int selected, int disabled) {
  LoadLook(m_first, normal, hover, selected, disabled);
  const std::optional<SIZE> size = BitmapSize(m_first.Normal.Get());
  if (m_hwnd && size &&
      !::SetWindowPos(m_hwnd, nullptr, 0, 0, size->cx, size->cy,
                      SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE)) {
    platform::DebugLogLastError("SetWindowPos of a bitmap button");
  }
  Redraw();
}

void ImageButton::SetSecondLook(int normal, int hover, int selected, int disabled) {
  LoadLook(m_second, normal, hover, selected, disabled);
  if (m_showSecond) Redraw();
}

void ImageButton::ShowSecondLook(bool second) {
  if (m_showSecond == second) return;
  m_showSecond = second;
  Redraw();
}

void ImageButton::SetSelected(bool selected) {
  if (m_selected == selected) return;
  m_selected = selected;
  Redraw();
}

void ImageButton::SetHover(bool hover) {
  if (m_hover == hover) return;
  m_hover = hover;
  Redraw();
}

void ImageButton::SetCaption(std::wstring caption, bool mark) {
  m_caption = std::move(caption);
  m_captionMark = mark;
  Redraw();
}

void ImageButton::SetTooltip(std::string_view text) {
  if (!m_hwnd) return;
  m_tooltipText = platform::WideFromSuiteText(text);
  TTTOOLINFOW tool = ToolInfo(m_hwnd, m_tooltipText.data());
  if (!m_tooltip || !::IsWindow(m_tooltip)) {
    m_tooltip = nullptr;
    HWND tooltip = SharedTooltip(m_hwnd);
    if (!tooltip) return;
    ::GetClientRect(m_hwnd, &tool.rect);
    if (!::SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool))) {
      DebugLog("TTM_ADDTOOL failed\r\n");
      return;
    }
    m_tooltip = tooltip;
  }
  ::SendMessageW(m_tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  ::SendMessageW(m_tooltip, TTM_ACTIVATE, TRUE, 0);
}

void ImageButton::RemoveTool() {
  if (!m_tooltip) return;
  // The tooltip goes before its owner's buttons when the whole window is destroyed.
  if (::IsWindow(m_tooltip)) {
    TTTOOLINFOW tool = ToolInfo(m_hwnd, nullptr);
    ::SendMessageW(m_tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  m_tooltip = nullptr;
}

LRESULT ImageButton::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) {
    RelayToTooltip(message, wParam, lParam);
  }
  switch (message) {
    case WM_MOUSEMOVE:
      OnMouseMove(wParam, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      break;
    case WM_LBUTTONDOWN:
      OnLeftButtonDown();
      break;
    case WM_LBUTTONDBLCLK:
      // An owner-drawn button would turn a quick second click into BN_DOUBLECLICKED alone and
      // lose it; the buttons it draws take every click, as push buttons and check boxes do.
      OnLeftButtonDown();
      return DefaultProc(WM_LBUTTONDOWN, wParam, lParam);
    case WM_LBUTTONUP:
      if (m_toggleMode) {
        FlipAndReport();
        return 0;
      }
      break;
    case WM_KEYUP:
      // The space bar clicks a focused button: a check box must flip then too, not only
      // report a click.
      if (m_toggleMode && wParam == VK_SPACE) {
        FlipAndReport();
        return 0;
      }
      break;
    case WM_CAPTURECHANGED:
      // The button takes the capture again itself when it is pressed: that is no loss. Any
      // other ends the hover, or a disabled button would still light up when drawn.
      if (reinterpret_cast<HWND>(lParam) != m_hwnd) EndHover();
      break;
    case WM_ENABLE:
      if (!wParam) {
        EndHover();
        if (::GetCapture() == m_hwnd) ::ReleaseCapture();
      }
      break;
    case WM_ERASEBKGND:
      return 1;
    case WM_DESTROY:
      RemoveTool();
      break;
    default:
      break;
  }
  return DefaultProc(message, wParam, lParam);
}

void ImageButton::OnMouseMove(WPARAM keys, POINT point) {
  const bool leftDown = (keys & MK_LBUTTON) != 0;
  if (leftDown && !m_hover) return;
  if (::GetCapture() != m_hwnd) {
    HWND parent = ::GetParent(m_hwnd);
    if (!::GetActiveWindow() || !parent) return;
    m_hover = true;
    if (!::PostMessageW(parent, kMsgHoverChanged, 1, m_hoverId)) {
      platform::DebugLogLastError("PostMessage(hover 1)");
    }
    ::SetCapture(m_hwnd);
    Redraw();
    return;
  }
  ::ClientToScreen(m_hwnd, &point);
  if (::WindowFromPoint(point) == m_hwnd) return;
  EndHover();
  if (!leftDown) ::ReleaseCapture();
}

void ImageButton::OnLeftButtonDown() {
  HWND top = ::GetAncestor(m_hwnd, GA_ROOT);
  if (top && ::GetActiveWindow() != top) ::SetActiveWindow(top);
}

void ImageButton::FlipAndReport() {
  m_selected = !m_selected;
  Redraw();
  // Without the stock release the button is still pushed and holds the capture; losing it
  // un-pushes the button without a click of its own.
  if (::GetCapture() == m_hwnd) ::ReleaseCapture();
  HWND parent = ::GetParent(m_hwnd);
  if (parent) {
    const int id = ::GetDlgCtrlID(m_hwnd);
    ::SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(m_hwnd));
  }
}

// Every hover the parent heard of ends with a message, however it ends.
void ImageButton::EndHover() {
  if (!m_hover) return;
  m_hover = false;
  HWND parent = ::GetParent(m_hwnd);
  if (parent && !::PostMessageW(parent, kMsgHoverChanged, 0, m_hoverId)) {
    platform::DebugLogLastError("PostMessage(hover 0)");
  }
  Redraw();
}

void ImageButton::Redraw() {
  if (m_hwnd) ::InvalidateRect(m_hwnd, nullptr, FALSE);
}

void ImageButton::RelayToTooltip(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!m_tooltip) return;
  MSG relayed{m_hwnd, message, wParam, lParam, static_cast<DWORD>(::GetMessageTime()), {}};
  const DWORD pos = ::GetMessagePos();
  relayed.pt = {GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
  ::SendMessageW(m_tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

bool ImageButton::OnDrawItem(const DRAWITEMSTRUCT& item) {
  if (item.hwndItem != m_hwnd) return false;
  const ButtonImage which =
      SelectButtonImage({m_selected, m_toggleMode, m_hover, (item.itemState & ODS_SELECTED) != 0,
                         (item.itemState & ODS_DISABLED) != 0});
  HBITMAP image = ImageFor(Look(), which);
  if (!image) return true;  // a missing picture draws nothing
  const RECT& rect = item.rcItem;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  platform::MemoryDc source(item.hDC);
  if (!source) return true;
  platform::SelectScope selected(source.Get(), image);
  if (m_caption.empty()) {
    if (!::BitBlt(item.hDC, rect.left, rect.top, width, height, source.Get(), 0, 0, SRCCOPY)) {
      platform::DebugLogLastError("BitBlt of a button");
    }
    return true;
  }
  platform::DoubleBuffer buffer(item.hDC, rect);
  ::BitBlt(buffer.Get(), rect.left, rect.top, width, height, source.Get(), 0, 0, SRCCOPY);
  DrawCaption(buffer.Get(), rect);
  buffer.Flush();
  return true;
}

void ImageButton::DrawCaption(HDC dc, const RECT& rect) {
  if (!m_captionFont) m_captionFont = ArialFont(14, 5);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, RGB(0, 0, 0));
  platform::SelectScope font(dc, m_captionFont.Get());
  RECT text{rect.left + kCaptionLeft, rect.top, rect.right, rect.bottom};
  ::DrawTextW(dc, m_caption.c_str(), static_cast<int>(m_caption.size()), &text,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  if (!m_captionMark) return;
  SIZE extent{};
  ::GetTextExtentPoint32W(dc, m_caption.c_str(), static_cast<int>(m_caption.size()), &extent);
  if (!m_markFont) m_markFont = ArialFont(8, 0);
  platform::SelectScope markFont(dc, m_markFont.Get());
  // Raised like a trademark sign: its top at the caption's top.
  const int top = rect.top + (rect.bottom - rect.top - extent.cy) / 2;
  ::TextOutW(dc, text.left + extent.cx, top, L"TM", 2);
}

}  // namespace karvo::skin
