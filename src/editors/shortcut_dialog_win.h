#pragma once
// "KARVO Assign a Shortcut Dialog": one key caught by the keyboard hook, whatever it is, and
// the five modifier boxes. The hook lives exactly as long as the dialog's window, however the
// dialog ends. The caller reads the choice after an OK.
#include <windows.h>

#include "editors/key_hook_win.h"
#include "editors/shortcut_rules.h"
#include "settings/key_codes.h"
#include "skin/skinned_dialog_win.h"

namespace karvo::editors {

class ShortcutDialog final : public skin::SkinnedDialog {
 public:
  ShortcutDialog(const ShortcutChoice& initial, const settings::IKeyboardLayout& layout);

  // IDOK, IDCANCEL, or -1 when the dialog could not be shown.
  INT_PTR Run(HWND owner);
  const ShortcutChoice& Choice() const { return m_model.Choice(); }

 protected:
  bool OnInit() override;
  void OnCommand(int id, int code, HWND control) override;
  // Enter and Escape are keys to catch here, never OK or Cancel.
  void OnOk() override {}
  void OnCancel() override {}
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& directResult) override;

 private:
  void OnHookedKey(WPARAM virtualKey);
  void ShowKeyName();
  void ShowBoxes();

  ShortcutDialogModel m_model;
  KeyHook m_hook;
};

}  // namespace karvo::editors
