#pragma once
// The small modal dialogs whose title and message are all in their pictures (372 x 166): an OK,
// a Cancel and a close button and nothing else. Only the buttons close them: OK with IDOK,
// Cancel and the close button with IDCANCEL; Enter, Escape and the system's close do not.
#include <windows.h>

#include "skin/skinned_dialog_win.h"
#include "skin/window_layouts.h"

namespace karvo::skin {

class ImageOnlyDialog final : public SkinnedDialog {
 public:
  // window: a row of the tables made of kSmallDialogControls.
  explicit ImageOnlyDialog(WindowId window) : SkinnedDialog(FindWindowSpec(window)) {}

  // IDOK or IDCANCEL; -1 when the dialog could not be shown.
  INT_PTR Run(HWND owner) { return RunModal(owner, Spec().Template); }

 protected:
  void OnCommand(int id, int code, HWND control) override;
  void OnOk() override {}
  void OnCancel() override {}
};

}  // namespace karvo::skin
