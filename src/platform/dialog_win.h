#pragma once
// The base of every dialog of the suite, modal or modeless, from a dialog template. The object
// is attached at WM_INITDIALOG (its address is the creation parameter) and detached after
// WM_NCDESTROY; typed handlers answer initialisation and commands, and no exception leaves
// the dialog procedure. A dialog collects values; the caller of RunModal reads them from the
// object afterwards and acts on them.
#include <windows.h>

namespace karvo::platform {

class Dialog {
 public:
  Dialog() = default;
  // A modeless dialog still open is detached and destroyed.
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  HWND Hwnd() const { return m_hwnd; }

  // Runs the dialog until EndDialog; what EndDialog was given (IDOK, IDCANCEL, ...), or -1 when
  // the dialog could not be created. instance: the module holding the template (null: the
  // program's own).
  INT_PTR RunModal(HWND parent, int templateId, HINSTANCE instance = nullptr);
  // Creates the dialog and returns; the caller's message loop passes its messages through
  // IsDialogMessage.
  [[nodiscard]] bool CreateModeless(HWND parent, int templateId, HINSTANCE instance = nullptr);

 protected:
  // WM_INITDIALOG; true lets the system give the focus to the first control.
  virtual bool OnInit() { return true; }
  // WM_COMMAND; the default sends IDOK to OnOk and IDCANCEL (Escape, the close box) to OnCancel.
  virtual void OnCommand(int id, int code, HWND control);
  // The default ends the dialog with IDOK: a subclass reads its controls into its values first.
  virtual void OnOk() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  // Every other message; true when handled. A message whose answer goes through
  // DWLP_MSGRESULT sets it with SetMsgResult; WM_CTLCOLOR* and the others that answer
  // directly return their value in directResult.
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& directResult);

  // Ends a modal run with result, or destroys a modeless dialog.
  void EndDialog(INT_PTR result);
  void SetMsgResult(LRESULT result);
  HWND Item(int id) const { return ::GetDlgItem(m_hwnd, id); }

  HWND m_hwnd = nullptr;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  bool m_modal = false;
};

}  // namespace karvo::platform
