#pragma once
// A page of the configurator's main window: a skinned child dialog built from its window
// table, placed by the main window in one of its two page rectangles and shown or hidden
// there. Each page takes what it edits (the working copy, the notification record, the macro
// library) in its constructor; the main window only places pages and asks them to refresh.
#include <windows.h>

#include "skin/skinned_dialog_win.h"
#include "skin/window_layouts.h"

namespace karvo::skin {

class ConfiguratorPage : public SkinnedDialog {
 public:
  explicit ConfiguratorPage(WindowId window) : SkinnedDialog(FindWindowSpec(window)) {}

  // Creates the page hidden as a child of parent, from its own template, at the top left of
  // place (the parent's client coordinates); it keeps the size of its artwork.
  [[nodiscard]] bool CreateAt(HWND parent, const RECT& place);
  void Show(bool visible);

  // Every control again from what the page edits, for the slot now current.
  virtual void Refresh() {}
};

}  // namespace karvo::skin
