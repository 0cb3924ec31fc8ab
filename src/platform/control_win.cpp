#include "platform/control_win.h"

#include <commctrl.h>

#include <string>
#include <utility>

#include "platform/debug_log.h"
#include "platform/text_win.h"
#include "platform/window_win.h"

namespace karvo::platform {

namespace {
constexpr UINT_PTR kSubclassId = 1;

// The reflected call this thread is making. Any process may post the registered message with
// any wParam; only this call's address is taken as one.
thread_local ReflectedCall* t_reflecting = nullptr;

// The control a parent's message is about, or nullptr when it names none.
HWND ControlOf(HWND parent, UINT message, LPARAM lParam) {
  switch (message) {
    case WM_DRAWITEM:
      return reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem;
    case WM_MEASUREITEM:
      return ::GetDlgItem(
          parent, static_cast<int>(reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam)->CtlID));
    case WM_COMPAREITEM:
      return reinterpret_cast<const COMPAREITEMSTRUCT*>(lParam)->hwndItem;
    case WM_DELETEITEM:
      return reinterpret_cast<const DELETEITEMSTRUCT*>(lParam)->hwndItem;
    case WM_NOTIFY:
      return reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
      return reinterpret_cast<HWND>(lParam);
    default:
      return IsCtlColorMessage(message) ? reinterpret_cast<HWND>(lParam) : nullptr;
  }
}

bool IsOwnChild(HWND parent, HWND control) {
  if (!control || !::IsChild(parent, control)) return false;
  DWORD process = 0;
  return ::GetWindowThreadProcessId(control, &process) != 0 && process == ::GetCurrentProcessId();
}

// The data must be what the menu itself holds for one of its owner-drawn items. Looked
// up by position: separators share one command id, so an id names only the first.
bool MenuHoldsItem(HMENU menu, ULONG_PTR data) {
  const int count = ::GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA | MIIM_FTYPE;
    if (::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info) &&
        (info.fType & MFT_OWNERDRAW) && info.dwItemData == data) {
      return true;
    }
  }
  return false;
}

// Owner-drawn menu items: the system sends their messages on the thread that tracks the menu;
// one sent from another thread or process carries item data that is no object of ours.
bool RouteMenuItem(UINT message, LPARAM lParam, LRESULT& result) {
  if (::InSendMessage()) return false;
  if (message == WM_MEASUREITEM) {
    auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (item->CtlType != ODT_MENU || item->itemData == 0) return false;
    reinterpret_cast<MenuItemDrawer*>(item->itemData)->MeasureItem(*item);
  } else {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (item->CtlType != ODT_MENU || item->itemData == 0) return false;
    if (!MenuHoldsItem(reinterpret_cast<HMENU>(item->hwndItem), item->itemData)) return false;
    reinterpret_cast<MenuItemDrawer*>(item->itemData)->DrawItem(*item);
  }
  result = TRUE;
  return true;
}
}  // namespace

UINT ReflectedMessage() {
  static const UINT message = [] {
    UINT registered = ::RegisterWindowMessageW(L"KarvoReflectedMessage");
    if (!registered) DebugLogLastError("RegisterWindowMessageW(reflection)");
    return registered;
  }();
  return message;
}

bool ReflectToControl(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == WM_COMMAND && lParam == 0) return false;  // a menu or an accelerator
  const bool structured = message == WM_DRAWITEM || message == WM_MEASUREITEM ||
                          message == WM_COMPAREITEM || message == WM_DELETEITEM ||
                          message == WM_NOTIFY;
  if (structured && lParam == 0) return false;
  // The system carries WM_NOTIFY's structure to no other thread or process: sent from one,
  // its pointer names memory that is not ours to read.
  if (message == WM_NOTIFY && ::InSendMessage()) return false;
  if ((message == WM_DRAWITEM || message == WM_MEASUREITEM) &&
      reinterpret_cast<const UINT*>(lParam)[0] == ODT_MENU) {
    return RouteMenuItem(message, lParam, result);
  }
  HWND control = ControlOf(parent, message, lParam);
  if (!control || control == parent || !IsOwnChild(parent, control) || !ReflectedMessage()) {
    return false;
  }
  ReflectedCall call{message, wParam, lParam, 0, false};
  ReflectedCall* const outer = std::exchange(t_reflecting, &call);
  ::SendMessageW(control, ReflectedMessage(), reinterpret_cast<WPARAM>(&call), 0);
  t_reflecting = outer;
  if (!call.Handled) return false;
  result = call.Result;
  return true;
}

SubclassedControl::~SubclassedControl() {
  if (!m_hwnd) return;
  HWND hwnd = m_hwnd;
  const bool owned = m_owned;
  Detach();
  if (owned && !::DestroyWindow(hwnd)) DebugLogLastError("DestroyWindow(control)");
}

bool SubclassedControl::Attach(HWND control) {
  if (m_hwnd || !control) return false;
  if (!::SetWindowSubclass(control, &SubclassedControl::SubclassProc, kSubclassId,
                           reinterpret_cast<DWORD_PTR>(this))) {
    DebugLog("SetWindowSubclass failed\r\n");
    return false;
  }
  m_hwnd = control;
  return true;
}

bool SubclassedControl::Create(HWND parent, const wchar_t* stockClass, const char* text,
                               DWORD style, const RECT& rect, int id, DWORD exStyle) {
  if (m_hwnd) return false;
  const std::wstring caption = WideFromSuiteText(text ? text : "");
  HWND control = ::CreateWindowExW(
      exStyle, stockClass, caption.c_str(), style | WS_CHILD, rect.left, rect.top,
      rect.right - rect.left, rect.bottom - rect.top, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
      reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
  if (!control) {
    DebugLogLastError("CreateWindowExW(control)");
    return false;
  }
  if (!Attach(control)) {
    ::DestroyWindow(control);
    return false;
  }
  m_owned = true;
  return true;
}

void SubclassedControl::Detach() {
  if (!m_hwnd) return;
  if (!::RemoveWindowSubclass(m_hwnd, &SubclassedControl::SubclassProc, kSubclassId)) {
    DebugLog("RemoveWindowSubclass failed\r\n");
  }
  m_hwnd = nullptr;
  m_owned = false;
}

LRESULT SubclassedControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefaultProc(message, wParam, lParam);
}

LRESULT SubclassedControl::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefSubclassProc(m_hwnd, message, wParam, lParam);
}

bool SubclassedControl::OnReflected(ReflectedCall& call) {
  switch (call.Message) {
    case WM_DRAWITEM:
      return OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(call.LParam)) &&
             ((call.Result = TRUE), true);
    case WM_MEASUREITEM:
      return OnMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(call.LParam)) &&
             ((call.Result = TRUE), true);
    case WM_COMMAND:
      return OnCommandNotify(HIWORD(call.WParam));
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<NMHDR*>(call.LParam), call.Result);
    case WM_HSCROLL:
    case WM_VSCROLL:
      return OnScroll(call.Message, LOWORD(call.WParam), static_cast<short>(HIWORD(call.WParam)));
    default:
      if (!IsCtlColorMessage(call.Message)) return false;
      if (HBRUSH brush = OnCtlColor(reinterpret_cast<HDC>(call.WParam), call.Message)) {
        call.Result = reinterpret_cast<LRESULT>(brush);
        return true;
      }
      return false;
  }
}

LRESULT CALLBACK SubclassedControl::SubclassProc(HWND hwnd, UINT message, WPARAM wParam,
                                                 LPARAM lParam, UINT_PTR, DWORD_PTR refData) {
  auto* self = reinterpret_cast<SubclassedControl*>(refData);
  LRESULT result = 0;
  if (message == ReflectedMessage() && message != 0) {
    // Only ReflectToControl sends it, from this thread, with its call on the stack.
    auto* call = reinterpret_cast<ReflectedCall*>(wParam);
    if (!call || call != t_reflecting || ::InSendMessage()) return 0;
    if (!RunGuarded("reflected message", [&] { call->Handled = self->OnReflected(*call); })) {
      call->Handled = false;
    }
    return 0;
  }
  if (!RunGuarded("control message",
                  [&] { result = self->HandleMessage(message, wParam, lParam); })) {
    result = ::DefSubclassProc(hwnd, message, wParam, lParam);
  }
  if (message == WM_NCDESTROY && self->m_hwnd == hwnd) self->Detach();
  return result;
}

}  // namespace karvo::platform
