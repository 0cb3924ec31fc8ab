#include "skin/color_edit_win.h"

#include <utility>

#include "platform/debug_log.h"
#include "platform/text_win.h"
#include "skin/skin_fonts_win.h"
#include "skin/skin_messages.h"

namespace karvo::skin {

namespace {

UINT Registered(const char* name) {
  const UINT message = ::RegisterWindowMessageA(name);
  if (!message) platform::DebugLogLastError("RegisterWindowMessage");
  return message;
}

UINT ChangeMessage() {
  static const UINT message = Registered(kBitmapEditChangeName);
  return message;
}

UINT KillFocusMessage() {
  static const UINT message = Registered(kBitmapEditKillFocusName);
  return message;
}

DWORD InputStyle(ColorEdit::Input input) {
  switch (input) {
    case ColorEdit::Input::Digits:
      return ES_NUMBER | WS_TABSTOP;
    case ColorEdit::Input::Password:
      return ES_PASSWORD | WS_TABSTOP;
    case ColorEdit::Input::Shown:
      return ES_CENTER | ES_READONLY;
    case ColorEdit::Input::Text:
      break;
  }
  return WS_TABSTOP;
}

}  // namespace

bool ColorEdit::Create(HWND parent, const RECT& rect, int id, Input input) {
  if (!SubclassedControl::Create(parent, L"EDIT", "",
                                 WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | InputStyle(input), rect,
                                 id)) {
    return false;
  }
  SetFont(ArialFont(14, 5));
  return true;
}

void ColorEdit::SetColours(COLORREF text, COLORREF background) {
  m_text = text;
  m_background = background;
  m_brush.Reset();
  if (m_hwnd) ::InvalidateRect(m_hwnd, nullptr, TRUE);
}

void ColorEdit::SetFont(platform::UniqueFont font) {
  if (!font) return;
  m_font = std::move(font);
  if (m_hwnd) ::SendMessageW(m_hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), TRUE);
}

void ColorEdit::SetLimit(int characters) {
  if (m_hwnd) ::SendMessageW(m_hwnd, EM_SETLIMITTEXT, characters > 0 ? characters : 0, 0);
}

std::wstring ColorEdit::WideText() const {
  if (!m_hwnd) return {};
  const int length = ::GetWindowTextLengthW(m_hwnd);
  std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
  const int copied = ::GetWindowTextW(m_hwnd, text.data(), static_cast<int>(text.size()));
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

std::string ColorEdit::UserText() const {
  return platform::EncodeAnsi(platform::FromWide(WideText()));
}

bool ColorEdit::CutToByteLimit() {
  if (m_byteLimit == 0) return false;
  std::wstring text = WideText();
  const std::size_t fitting = platform::AnsiUnitsFittingIn(platform::FromWide(text), m_byteLimit);
  if (fitting == text.size()) return false;
  DWORD caret = 0;
  ::SendMessageW(m_hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&caret), 0);
  text.resize(fitting);
  if (!::SetWindowTextW(m_hwnd, text.c_str())) {
    platform::DebugLogLastError("SetWindowText of an edit field");
    return false;
  }
  const auto at = static_cast<WPARAM>(caret < fitting ? caret : fitting);
  ::SendMessageW(m_hwnd, EM_SETSEL, at, static_cast<LPARAM>(at));
  return true;
}

void ColorEdit::SetUserText(std::string_view text) {
  if (m_hwnd && !::SetWindowTextW(m_hwnd, platform::WideFromUserText(text).c_str())) {
    platform::DebugLogLastError("SetWindowText of an edit field");
  }
}

LRESULT ColorEdit::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYUP:
      Notify(kMsgEditKeyReleased, kEditKeyReleasedCode, 0);
      break;
    case WM_KILLFOCUS:
      Notify(KillFocusMessage(), 0, m_notifyId);
      break;
    case WM_VSCROLL: {
      const LRESULT result = DefaultProc(message, wParam, lParam);
      ::InvalidateRect(m_hwnd, nullptr, TRUE);
      return result;
    }
    default:
      break;
  }
  return DefaultProc(message, wParam, lParam);
}

HBRUSH ColorEdit::OnCtlColor(HDC dc, UINT message) {
  // A disabled or read-only field asks as a static control does.
  if (message != WM_CTLCOLOREDIT && message != WM_CTLCOLORSTATIC) return nullptr;
  ::SetTextColor(dc, m_text);
  ::SetBkColor(dc, m_background);
  if (!m_brush) m_brush.Reset(::CreateSolidBrush(m_background));
  return m_brush.Get();
}

bool ColorEdit::OnCommandNotify(int code) {
  if (code != EN_CHANGE) return false;
  // The field shows no more than its record keeps; the cut's own change is the one passed on.
  if (CutToByteLimit()) return false;
  // Shown at once, before the parent acts on the change.
  if (!::RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW)) {
    platform::DebugLog("RedrawWindow of an edit field failed\r\n");
  }
  Notify(ChangeMessage(), 0, m_notifyId);
  // The parent still hears EN_CHANGE as usual.
  return false;
}

void ColorEdit::Notify(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND parent = ::GetParent(m_hwnd);
  if (!message || !parent) return;
  if (!::PostMessageW(parent, message, wParam, lParam)) {
    platform::DebugLogLastError("PostMessage from an edit field");
  }
}

}  // namespace karvo::skin
