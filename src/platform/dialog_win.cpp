#include "platform/dialog_win.h"

#include <utility>

#include "platform/control_win.h"
#include "platform/debug_log.h"
#include "platform/window_win.h"

namespace karvo::platform {

namespace {
// Messages whose answer is the dialog procedure's return value itself, not DWLP_MSGRESULT.
bool AnswersDirectly(UINT message) {
  if (IsCtlColorMessage(message)) return true;
  switch (message) {
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
      return true;
    default:
      return false;
  }
}

HINSTANCE ModuleOrProgram(HINSTANCE instance) {
  return instance ? instance : ::GetModuleHandleW(nullptr);
}
}  // namespace

Dialog::~Dialog() {
  if (!m_hwnd) return;
  HWND hwnd = std::exchange(m_hwnd, nullptr);
  ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
  if (!::DestroyWindow(hwnd)) DebugLogLastError("DestroyWindow(dialog)");
}

INT_PTR Dialog::RunModal(HWND parent, int templateId, HINSTANCE instance) {
  if (m_hwnd) return -1;
  m_modal = true;
  const INT_PTR result =
      ::DialogBoxParamW(ModuleOrProgram(instance), MAKEINTRESOURCEW(templateId), parent,
                        &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
  if (result == -1) DebugLogLastError("DialogBoxParamW");
  m_modal = false;
  return result;
}

bool Dialog::CreateModeless(HWND parent, int templateId, HINSTANCE instance) {
  if (m_hwnd) return false;
  m_modal = false;
  HWND hwnd = ::CreateDialogParamW(ModuleOrProgram(instance), MAKEINTRESOURCEW(templateId), parent,
                                   &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
  if (!hwnd) {
    DebugLogLastError("CreateDialogParamW");
    return false;
  }
  return true;
}

void Dialog::OnCommand(int id, int, HWND) {
  if (id == IDOK) OnOk();
  if (id == IDCANCEL) OnCancel();
}

bool Dialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&) { return false; }

void Dialog::EndDialog(INT_PTR result) {
  if (!m_hwnd) return;
  if (m_modal) {
    if (!::EndDialog(m_hwnd, result)) DebugLogLastError("EndDialog");
  } else if (!::DestroyWindow(m_hwnd)) {
    DebugLogLastError("DestroyWindow(dialog)");
  }
}

void Dialog::SetMsgResult(LRESULT result) {
  if (m_hwnd) ::SetWindowLongPtrW(m_hwnd, DWLP_MSGRESULT, result);
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInit() ? TRUE : FALSE;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return TRUE;
    default: {
      INT_PTR direct = 0;
      if (!OnMessage(message, wParam, lParam, direct)) return FALSE;
      return AnswersDirectly(message) ? direct : TRUE;
    }
  }
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
  if (!self && message == WM_INITDIALOG && lParam != 0) {
    self = reinterpret_cast<Dialog*>(lParam);
    self->m_hwnd = hwnd;
    ::SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
  }
  if (!self) return FALSE;

  INT_PTR result = FALSE;
  LRESULT reflected = 0;
  if (ReflectToControl(hwnd, message, wParam, lParam, reflected)) {
    if (AnswersDirectly(message)) {
      result = static_cast<INT_PTR>(reflected);
    } else {
      ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, reflected);
      result = TRUE;
    }
  } else if (!RunGuarded("dialog message",
                         [&] { result = self->Dispatch(message, wParam, lParam); })) {
    DebugLog("message %u of dialog %p not handled\r\n", message, static_cast<void*>(hwnd));
    // A dialog whose initialisation failed is no dialog to show.
    if (message == WM_INITDIALOG) self->EndDialog(-1);
    result = FALSE;
  }
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    self->m_hwnd = nullptr;
  }
  return result;
}

}  // namespace karvo::platform
