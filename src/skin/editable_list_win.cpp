#include "skin/editable_list_win.h"

#include <windowsx.h>

#include <algorithm>
#include <string>
#include <utility>

#include "platform/debug_log.h"
#include "platform/dyn_calls_win.h"
#include "platform/text_win.h"
#include "skin/skin_fonts_win.h"

namespace karvo::skin {

namespace {
using platform::DebugLog;
using platform::DebugLogLastError;
using platform::SelectScope;

// Enter and Escape reach the list as this message from its edit box, so the box is
// destroyed outside its own key handling.
constexpr UINT kEditKeyMessage = WM_APP + 24;
constexpr int kEditBoxId = 1;
constexpr int kWheelNotch = WHEEL_DELTA;

constexpr int kListFontHeight = 14;
constexpr int kListFontWidth = 5;
constexpr int kListFontWeight = 300;

std::wstring WindowText(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(std::max(0, ::GetWindowTextLengthW(hwnd))) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      std::max(0, ::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size())))));
  return text;
}

bool IsListError(LRESULT result) { return result == LB_ERR || result == LB_ERRSPACE; }
}  // namespace

// The in-place edit box: a child of the list over the line it edits.
class EditableList::InPlaceEdit : public platform::SubclassedControl {
 public:
  explicit InPlaceEdit(ListEditKind kind) : m_kind(kind) {}

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_GETDLGCODE:
        // A dialog would take Enter and Escape for its own buttons.
        return DefaultProc(message, wParam, lParam) | DLGC_WANTALLKEYS;
      case WM_CHAR:
        // Enter and Escape act at their release; their characters would only beep.
        if (wParam == VK_RETURN || wParam == VK_ESCAPE || wParam == L'\n') return 0;
        if (!ListEditAccepts(m_kind, wParam < 0x80 ? static_cast<char>(wParam) : '\x80')) return 0;
        break;
      case WM_KEYUP:
        if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
          if (!::PostMessageW(::GetParent(m_hwnd), kEditKeyMessage, wParam, 0)) {
            DebugLogLastError("PostMessageW(list edit key)");
          }
          return 0;
        }
        break;
      case WM_PASTE:
        if (m_kind == ListEditKind::Number) {
          PasteDigits();
          return 0;
        }
        break;
      default:
        break;
    }
    return DefaultProc(message, wParam, lParam);
  }

 private:
  // The number style of an edit lets pasted letters through; only the digits go in.
  void PasteDigits() {
    if (!::IsClipboardFormatAvailable(CF_UNICODETEXT) || !::OpenClipboard(m_hwnd)) return;
    std::wstring digits;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
      if (const auto* text = static_cast<const wchar_t*>(::GlobalLock(data))) {
        const std::size_t size = ::GlobalSize(data) / sizeof(wchar_t);
        for (std::size_t i = 0; i < size && text[i] != L'\0'; ++i) {
          if (text[i] >= L'0' && text[i] <= L'9') digits += text[i];
        }
        ::GlobalUnlock(data);
      }
    }
    if (!::CloseClipboard()) DebugLogLastError("CloseClipboard");
    ::SendMessageW(m_hwnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(digits.c_str()));
  }

  ListEditKind m_kind;
};

EditableList::EditableList() = default;

EditableList::~EditableList() {
  // Destroyed while the pointer is already empty: the focus it hands back commits nothing.
  m_edit.reset();
}

bool EditableList::Create(HWND parent, const RECT& rect, int id, HINSTANCE resources) {
  m_resources = resources ? resources : ::GetModuleHandleW(nullptr);
  if (!SubclassedControl::Create(parent, L"LISTBOX", "",
                                 WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_OWNERDRAWFIXED |
                                     LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                                 rect, id)) {
    return false;
  }
  // The list asks its parent for the line height while it is created, before this object
  // is attached to it.
  if (IsListError(::SendMessageW(m_hwnd, LB_SETITEMHEIGHT, 0, kListLineHeight))) {
    DebugLog("LB_SETITEMHEIGHT failed\r\n");
  }
  m_font = ArialFont(kListFontHeight, kListFontWidth, kListFontWeight);
  SetColours(m_background, m_highlight);
  return true;
}

void EditableList::SetColours(COLORREF background, COLORREF highlight) {
  m_background = background;
  m_highlight = highlight;
  m_backgroundBrush.Reset(::CreateSolidBrush(background));
  if (!m_backgroundBrush) DebugLog("CreateSolidBrush(list) failed\r\n");
  if (m_hwnd && !::InvalidateRect(m_hwnd, nullptr, TRUE)) DebugLog("InvalidateRect failed\r\n");
}

void EditableList::AddLine(std::string_view text, std::uint32_t value) {
  InsertLine(m_model.Lines().size(), text, value);
}

void EditableList::InsertLine(std::size_t index, std::string_view text, std::uint32_t value) {
  if (!m_hwnd) return;
  const std::size_t at = m_model.Insert(index, std::string(text), value);
  // Without its own strings the list keeps the value as the line's data.
  if (IsListError(::SendMessageW(m_hwnd, LB_INSERTSTRING, at, static_cast<LPARAM>(value)))) {
    DebugLog("LB_INSERTSTRING failed\r\n");
    m_model.Remove(at);
  }
}

void EditableList::RemoveLine(std::size_t index) {
  if (!m_hwnd || !m_model.Remove(index)) return;
  ::SendMessageW(m_hwnd, LB_DELETESTRING, index, 0);
  if (m_edit && !m_model.Editing()) CloseEdit();
}

void EditableList::Clear() {
  m_model.Clear();
  CloseEdit();
  m_hoverLine.reset();
  if (m_hwnd) ::SendMessageW(m_hwnd, LB_RESETCONTENT, 0, 0);
}

void EditableList::Select(std::optional<std::size_t> index) {
  if (!m_hwnd) return;
  if (index && m_model.Select(*index)) {
    ::SendMessageW(m_hwnd, LB_SETCURSEL, *index, 0);
  } else {
    m_model.ClearSelection();
    ::SendMessageW(m_hwnd, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  }
}

void EditableList::SetCaretLine(std::size_t index) {
  if (!m_hwnd || index >= m_model.Lines().size()) return;
  // A single-selection list may refuse the caret of its own; the line is shown either way.
  ::SendMessageW(m_hwnd, LB_SETCARETINDEX, index, FALSE);
  EnsureVisible(index);
}

void EditableList::SyncSelection() {
  const LRESULT selected = ::SendMessageW(m_hwnd, LB_GETCURSEL, 0, 0);
  if (selected < 0 || !m_model.Select(static_cast<std::size_t>(selected))) {
    m_model.ClearSelection();
  }
}

bool EditableList::BeginNewEntry() {
  if (!m_hwnd || m_edit) return false;
  SyncSelection();
  const std::optional<std::size_t> index = m_model.BeginNewEntry();
  if (!index) return false;
  if (IsListError(::SendMessageW(m_hwnd, LB_INSERTSTRING, *index, 0))) {
    DebugLog("LB_INSERTSTRING failed\r\n");
    m_model.Remove(*index);
    return false;
  }
  EnsureVisible(*index);
  if (OpenEdit(*index, ListEditKind::Name)) return true;
  CancelEdit();
  return false;
}

bool EditableList::EditSelectedValue() {
  if (!m_hwnd || m_edit) return false;
  SyncSelection();
  const std::optional<std::size_t> selected = m_model.Selected();
  if (!selected) return false;
  EnsureVisible(*selected);
  if (!OpenEdit(*selected, ListEditKind::Number)) return false;
  if (m_model.BeginValueEdit()) return true;
  CloseEdit();
  return false;
}

HWND EditableList::EditBox() const { return m_edit ? m_edit->Hwnd() : nullptr; }

void EditableList::EnsureVisible(std::size_t index) {
  RECT client{};
  if (!::GetClientRect(m_hwnd, &client)) return;
  const auto visible =
      static_cast<std::size_t>(std::max<LONG>(1, (client.bottom - client.top) / kListLineHeight));
  const auto top =
      static_cast<std::size_t>(std::max<LRESULT>(0, ::SendMessageW(m_hwnd, LB_GETTOPINDEX, 0, 0)));
  if (index < top) {
    ::SendMessageW(m_hwnd, LB_SETTOPINDEX, index, 0);
  } else if (index >= top + visible) {
    ::SendMessageW(m_hwnd, LB_SETTOPINDEX, index + 1 - visible, 0);
  }
}

bool EditableList::OpenEdit(std::size_t index, ListEditKind kind) {
  RECT line{};
  if (index >= m_model.Lines().size() ||
      ::SendMessageW(m_hwnd, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&line)) == LB_ERR) {
    return false;
  }
  const ListLine& text = m_model.Lines()[index];
  line.left += IconOf(text.Value).TextLeft;
  auto edit = std::make_unique<InPlaceEdit>(kind);
  const DWORD style = WS_VISIBLE | ES_AUTOHSCROLL | (kind == ListEditKind::Number ? ES_NUMBER : 0);
  if (!edit->Create(m_hwnd, L"EDIT", "", style, line, kEditBoxId)) return false;
  HWND box = edit->Hwnd();
  if (m_font) ::SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), FALSE);
  ::SendMessageW(box, EM_LIMITTEXT, ListEditLimit(kind), 0);
  if (!::SetWindowTextW(box, platform::WideFromUserText(text.Text).c_str())) {
    DebugLogLastError("SetWindowTextW(list edit)");
  }
  ::SendMessageW(box, EM_SETSEL, 0, -1);
  m_edit = std::move(edit);
  if (!::SetFocus(box) && ::GetFocus() != box) DebugLogLastError("SetFocus(list edit)");
  return true;
}

void EditableList::CommitEdit() {
  const std::optional<std::size_t> index = m_model.Editing();
  if (!m_edit || !index) {
    CloseEdit();
    return;
  }
  const std::uint32_t value = m_model.Lines()[*index].Value;
  // The box holds at most its characters; a name's bytes in the code page are cut only at a
  // whole character (a two-byte character takes two).
  const std::u16string wide = platform::FromWide(WindowText(m_edit->Hwnd()));
  const std::size_t maxBytes =
      m_model.EditKind() == ListEditKind::Name ? kListNameBytes : kListNumberLimit;
  const std::size_t fitting = platform::AnsiUnitsFittingIn(wide, maxBytes);
  const std::string typed = platform::EncodeAnsi(std::u16string_view(wide).substr(0, fitting));
  std::optional<std::size_t> committed = m_model.CommitEdit(typed, maxBytes);
  ::SendMessageW(m_hwnd, LB_DELETESTRING, *index, 0);
  if (committed) {
    if (IsListError(
            ::SendMessageW(m_hwnd, LB_INSERTSTRING, *committed, static_cast<LPARAM>(value)))) {
      DebugLog("LB_INSERTSTRING failed\r\n");
      m_model.Remove(*committed);
      committed.reset();
    } else {
      ::SendMessageW(m_hwnd, LB_SETCURSEL, *committed, 0);
    }
  }
  CloseEdit();
  if (committed) Notify(kMsgListCommitted, *committed);
}

void EditableList::CancelEdit() {
  if (const std::optional<std::size_t> index = m_model.Editing()) {
    m_model.CancelEdit();
    ::SendMessageW(m_hwnd, LB_DELETESTRING, *index, 0);
  }
  CloseEdit();
}

void EditableList::CloseEdit() {
  // Emptied first: the focus coming back to the list must not commit a second time.
  std::unique_ptr<InPlaceEdit> edit = std::move(m_edit);
  if (edit && m_hwnd && ::GetFocus() == edit->Hwnd()) ::SetFocus(m_hwnd);
}

void EditableList::Notify(UINT message, WPARAM wParam) {
  if (!::PostMessageW(::GetParent(m_hwnd), message, wParam, 0)) {
    DebugLogLastError("PostMessageW(list owner)");
  }
}

LRESULT EditableList::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETFOCUS:
      // Back from the edit box (a click on the list): the edit is committed.
      if (m_edit) CommitEdit();
      break;
    case kEditKeyMessage:
      if (wParam == VK_RETURN) CommitEdit();
      if (wParam == VK_ESCAPE) CancelEdit();
      return 0;
    case WM_RBUTTONDOWN:
      Notify(kMsgListRightButton, 0);
      break;
    case WM_MOUSEMOVE:
      OnMouseMove({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      break;
    case WM_MOUSELEAVE:
      OnMouseLeave();
      return 0;
    case WM_MOUSEWHEEL:
      OnWheel(GET_WHEEL_DELTA_WPARAM(wParam));
      return 0;
    default:
      break;
  }
  return DefaultProc(message, wParam, lParam);
}

void EditableList::OnMouseMove(POINT at) {
  if (!m_tracking) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = m_hwnd;
    m_tracking = ::TrackMouseEvent(&track) != FALSE;
    if (!m_tracking) DebugLogLastError("TrackMouseEvent");
  }
  const LRESULT hit = ::SendMessageW(m_hwnd, LB_ITEMFROMPOINT, 0, MAKELPARAM(at.x, at.y));
  std::optional<std::size_t> line;
  if (HIWORD(hit) == 0 && LOWORD(hit) < m_model.Lines().size()) line = LOWORD(hit);
  if (line == m_hoverLine) return;
  RedrawLine(m_hoverLine);
  m_hoverLine = line;
  RedrawLine(m_hoverLine);
}

void EditableList::OnMouseLeave() {
  m_tracking = false;
  RedrawLine(m_hoverLine);
  m_hoverLine.reset();
}

void EditableList::OnWheel(int delta) {
  // Fine-grained wheels send parts of a notch: they add up to whole lines.
  m_wheelRest += delta;
  const int lines = m_wheelRest / kWheelNotch;
  m_wheelRest -= lines * kWheelNotch;
  if (lines == 0) return;
  const LRESULT top = ::SendMessageW(m_hwnd, LB_GETTOPINDEX, 0, 0);
  if (top < 0) return;
  const LRESULT count = ::SendMessageW(m_hwnd, LB_GETCOUNT, 0, 0);
  const LRESULT target = std::clamp<LRESULT>(top - lines, 0, std::max<LRESULT>(0, count - 1));
  if (target != top) ::SendMessageW(m_hwnd, LB_SETTOPINDEX, static_cast<WPARAM>(target), 0);
}

void EditableList::RedrawLine(std::optional<std::size_t> index) {
  RECT line{};
  if (!index ||
      ::SendMessageW(m_hwnd, LB_GETITEMRECT, *index, reinterpret_cast<LPARAM>(&line)) == LB_ERR) {
    return;
  }
  if (!::InvalidateRect(m_hwnd, &line, FALSE)) DebugLog("InvalidateRect failed\r\n");
}

HBITMAP EditableList::Bitmap(std::uint16_t id) {
  auto found = m_bitmaps.find(id);
  if (found == m_bitmaps.end()) {
    platform::UniqueBitmap loaded(static_cast<HBITMAP>(
        ::LoadImageW(m_resources, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0)));
    if (!loaded) DebugLog("LoadImageW(bitmap %u) failed\r\n", id);
    found = m_bitmaps.emplace(id, std::move(loaded)).first;
  }
  return found->second.Get();
}

bool EditableList::OnDrawItem(const DRAWITEMSTRUCT& item) {
  if (item.CtlType != ODT_LISTBOX || item.hwndItem != m_hwnd) return false;
  const RECT& area = item.rcItem;
  platform::DoubleBuffer buffer(item.hDC, area);
  HDC dc = buffer.Get();
  ::FillRect(dc, &area, m_backgroundBrush.Get());
  if (item.itemID >= m_model.Lines().size()) {
    buffer.Flush();
    return true;
  }
  const ListLine& line = m_model.Lines()[item.itemID];
  const ListLineIcon icon = IconOf(line.Value);
  if (icon.BitmapId != 0) {
    if (HBITMAP bitmap = Bitmap(icon.BitmapId)) {
      BITMAP size{};
      platform::MemoryDc source(dc);
      SelectScope picked(source.Get(), bitmap);
      if (::GetObjectW(bitmap, sizeof size, &size) == sizeof size && picked) {
        const int width = std::min<int>(size.bmWidth, kListIconColumn);
        const int height = std::min<int>(size.bmHeight, area.bottom - area.top - kListIconTop);
        const int x = area.left + kListIconLeft;
        const int y = area.top + kListIconTop;
        // Black is the bitmaps' transparent colour.
        if (auto transparentBlt = platform::dyn::TransparentBlt()) {
          transparentBlt(dc, x, y, width, height, source.Get(), 0, 0, width, height, RGB(0, 0, 0));
        } else {
          ::BitBlt(dc, x, y, width, height, source.Get(), 0, 0, SRCCOPY);
        }
      }
    }
  }

  const std::wstring text = platform::WideFromUserText(line.Text);
  std::optional<SelectScope> font;
  if (m_font) font.emplace(dc, m_font.Get());
  RECT textArea{area.left + icon.TextLeft, area.top, area.right, area.bottom};
  const UINT format = DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0 || !::IsWindowEnabled(m_hwnd);
  const bool focused = selected && !disabled && ::GetFocus() == m_hwnd;
  if (selected && !text.empty()) {
    RECT behind = textArea;
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &behind, format | DT_CALCRECT);
    behind = {textArea.left - 1, area.top, std::min(behind.right + 1, area.right), area.bottom};
    // The owner's highlight under a line of window text; the system's highlight under
    // the focused line, whose highlight text would vanish on a white one.
    platform::UniqueBrush owned;
    HBRUSH fill = ::GetSysColorBrush(COLOR_HIGHLIGHT);
    if (!focused) {
      owned.Reset(::CreateSolidBrush(m_highlight));
      fill = owned.Get();
    }
    if (fill) ::FillRect(dc, &behind, fill);
  }
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor(disabled  ? COLOR_BTNSHADOW
                                   : focused ? COLOR_HIGHLIGHTTEXT
                                             : COLOR_WINDOWTEXT));
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textArea, format);
  buffer.Flush();
  return true;
}

HBRUSH EditableList::OnCtlColor(HDC, UINT message) {
  return message == WM_CTLCOLORLISTBOX ? m_backgroundBrush.Get() : nullptr;
}

bool EditableList::OnCommandNotify(int code) {
  if (code == LBN_SELCHANGE) SyncSelection();
  return false;  // the owner hears of it too
}

}  // namespace karvo::skin
