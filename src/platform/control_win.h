#pragma once
// Controls that look after themselves. A parent hands owner-draw, colour, scroll and
// notification messages back to the control they concern: the control's window gets
// ReflectedMessage() with a ReflectedCall, and the control's object answers it. Owner-drawn
// menu items go to the MenuItemDrawer their item data names. There is no table from handles
// to objects: a stock control carries its object as the reference data of its subclass.
#include <windows.h>

namespace karvo::platform {

// What a parent received, handed to the control; Handled says the control answered it.
struct ReflectedCall {
  UINT Message;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
  bool Handled;
};

// The registered message a reflected call arrives with (wParam: ReflectedCall*).
UINT ReflectedMessage();

// WM_CTLCOLORMSGBOX .. WM_CTLCOLORSTATIC: lParam names the control, the answer is a brush.
inline bool IsCtlColorMessage(UINT message) {
  return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

// Called by the window and dialog bases for every message before their own handling: when
// the message concerns a child control of parent in this process (or an owner-drawn menu item
// of this thread) and that control answers it, true with its result.
bool ReflectToControl(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// The object behind an owner-drawn menu item: its address is the item's data
// (MENUITEMINFO::dwItemData) and the menu's owner window routes WM_MEASUREITEM and WM_DRAWITEM
// of the item to it.
class MenuItemDrawer {
 public:
  virtual ~MenuItemDrawer() = default;
  virtual void MeasureItem(MEASUREITEMSTRUCT& item) = 0;
  virtual void DrawItem(const DRAWITEMSTRUCT& item) = 0;
  ULONG_PTR ItemData() { return reinterpret_cast<ULONG_PTR>(this); }
};

// A stock control (button, edit, list box, ...) subclassed with SetWindowSubclass, this object
// as the reference data. It sees the control's own messages first and the messages its parent
// reflects to it.
class SubclassedControl {
 public:
  SubclassedControl() = default;
  // Removes the subclass; a control this object created is destroyed.
  virtual ~SubclassedControl();
  SubclassedControl(const SubclassedControl&) = delete;
  SubclassedControl& operator=(const SubclassedControl&) = delete;

  HWND Hwnd() const { return m_hwnd; }

  // Subclasses an existing control (a dialog item, say); false when it cannot be.
  [[nodiscard]] bool Attach(HWND control);
  // Creates a child control of a stock class and subclasses it; text is the suite's text.
  [[nodiscard]] bool Create(HWND parent, const wchar_t* stockClass, const char* text, DWORD style,
                            const RECT& rect, int id, DWORD exStyle = 0);
  void Detach();

 protected:
  // The control's own messages; unhandled ones go to DefaultProc (the stock procedure).
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

  // A reflected call; the default unpacks it into the typed handlers below.
  virtual bool OnReflected(ReflectedCall& call);
  virtual bool OnDrawItem(const DRAWITEMSTRUCT&) { return false; }
  virtual bool OnMeasureItem(MEASUREITEMSTRUCT&) { return false; }
  // The brush to paint with, or nullptr to leave the colours to the parent.
  virtual HBRUSH OnCtlColor(HDC, UINT /*ctlColorMessage*/) { return nullptr; }
  // WM_COMMAND notification code from the control (BN_CLICKED, EN_CHANGE, ...).
  virtual bool OnCommandNotify(int /*code*/) { return false; }
  virtual bool OnNotify(NMHDR&, LRESULT&) { return false; }
  virtual bool OnScroll(UINT /*message*/, int /*code*/, int /*position*/) { return false; }

  HWND m_hwnd = nullptr;

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR refData);
  bool m_owned = false;
};

}  // namespace karvo::platform
