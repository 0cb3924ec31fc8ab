#pragma once
// A page of the configurator's main window: a child dialog built from its window table,
// placed by the main window in one of its two page rectangles and shown or hidden there.
// Each page takes what it edits (the working copy, the notification record, the macro
// library) in its constructor; the main window only places pages and asks them to refresh.
#include <windows.h>

#include "platform/dialog_win.h"
#include "skin/window_layouts.h"

namespace karvo::skin {

class ConfiguratorPage : public platform::Dialog {
 public:
  explicit ConfiguratorPage(WindowId window) : m_spec(FindWindowSpec(window)) {}

  const WindowSpec& Spec() const { return m_spec; }

  // Creates the page hidden as a child of parent, from its own template, and moves it to
  // rect (the parent's client coordinates).
  [[nodiscard]] bool CreateAt(HWND parent, const RECT& rect);
  void Show(bool visible);

  // Every control again from what the page edits, for the slot now current.
  virtual void Refresh() {}

 protected:
  // The page's own surface drags the main window, as the rest of the skin does.
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& directResult) override;

 private:
  const WindowSpec& m_spec;
};

}  // namespace karvo::skin
