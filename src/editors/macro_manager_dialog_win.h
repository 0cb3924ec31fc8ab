#pragma once
// The modal macro manager: the library's names on the left with New and Delete, the editor
// panel on the right, and OK (the library saved), Cancel (every change dropped by reloading)
// and the close button (the edits kept in memory, unsaved). The rules are the
// MacroManagerModel's and the MacroEditor's; this window routes and shows.
#include <windows.h>

#include <cstddef>

#include "editors/macro_editor.h"
#include "editors/macro_editor_panel_win.h"
#include "editors/macro_manager_model.h"
#include "editors/macro_store.h"
#include "editors/tick_clock_win.h"
#include "settings/key_codes.h"
#include "skin/skinned_dialog_win.h"

namespace karvo::skin {
class EditableList;
}

namespace karvo::editors {

class MacroManagerDialog final : public skin::SkinnedDialog, private IMacroEditorHost {
 public:
  MacroManagerDialog(MacroStore& store, const settings::IKeyboardLayout& layout);

  // IDOK after OK, IDCANCEL after Cancel or the close button; -1 when it could not be shown.
  INT_PTR Run(HWND owner) { return RunModal(owner, Spec().Template); }

 protected:
  bool OnInit() override;
  void OnCommand(int id, int code, HWND control) override;
  // Enter is held back; should IDOK come anyway, the manager stays.
  void OnOk() override {}
  // The system's close (Alt+F4) does what the close button does.
  void OnCancel() override { Close(); }
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& directResult) override;

 private:
  void EnableManagerControls(bool enabled) override;
  void ShowNoMacroNotice() override;

  void ShowNames();
  void OnNameSelected();
  void OnNameCommitted(std::size_t line);
  void OnNew();
  void OnDelete();
  void Ok();
  void Cancel();
  void Close();
  skin::EditableList* Names() const { return List(m_namesIndex); }

  TickClock m_clock;
  MacroEditor m_editor;
  MacroManagerModel m_model;
  MacroEditorPanel m_panel;
  std::size_t m_exitIndex = 0;
  std::size_t m_okIndex = 0;
  std::size_t m_cancelIndex = 0;
  std::size_t m_newIndex = 0;
  std::size_t m_deleteIndex = 0;
  std::size_t m_namesIndex = 0;
};

// Runs the manager over the configurator's library with the keyboard layout in force.
INT_PTR RunMacroManager(HWND owner, MacroStore& store);

}  // namespace karvo::editors
