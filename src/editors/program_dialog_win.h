#pragma once
// The dialog in which the user picks the program a mouse button starts: a path field, typed
// into or filled by browsing from the desktop folder with the system's open-file dialog. The
// caller reads the path (ANSI code page, as typed) after an OK.
#include <windows.h>

#include <string>

#include "skin/skinned_dialog_win.h"

namespace karvo::editors {

class ProgramDialog final : public skin::SkinnedDialog {
 public:
  explicit ProgramDialog(std::string path);

  // IDOK, IDCANCEL, or -1 when the dialog could not be shown.
  INT_PTR Run(HWND owner);
  const std::string& Path() const { return m_path; }

 protected:
  bool OnInit() override;
  void OnCommand(int id, int code, HWND control) override;
  void OnOk() override {}
  void OnCancel() override {}

 private:
  void Browse();

  std::string m_path;
};

}  // namespace karvo::editors
