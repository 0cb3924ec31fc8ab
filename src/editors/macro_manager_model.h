#pragma once
// The macro manager's name list over the library: opening on the first macro, new
// names, deletion, and how OK, Cancel and the close button end it.
#include <string_view>
#include <vector>

#include "editors/macro_editor.h"
#include "editors/macro_store.h"
#include "skin/menu_model.h"

namespace karvo::editors {

inline constexpr std::size_t kMaxTypedNameLength = 24;
inline constexpr char kMacroManagerTitle[] = "KARVO Gaming Mouse Macro Manager";

class MacroManagerModel {
 public:
  MacroManagerModel(MacroStore& store, MacroEditor& editor);

  // The first macro (or none) selected and loaded into the editor.
  void Open();
  std::vector<skin::UiText> Names() const;
  // The position of the macro in the editor, or -1.
  int CurrentPosition() const { return m_current; }
  // The name list's selected line, or -1.
  int SelectedLine() const { return m_selected; }

  // None of these act while the editor records.
  bool Select(int line);
  // The text committed on a new line: appended as a new macro unless it is empty or
  // another macro has the same name after trimming, ignoring case.
  bool AddMacro(std::string_view typed);
  // After the user confirmed the deletion of the macro at line.
  bool DeleteMacro(int line);
  // The manager cannot be closed while the editor records.
  bool CanClose() const { return !m_editor.Recording(); }
  // OK: the library is written to its file; false when it could not be.
  [[nodiscard]] bool Ok();
  // Cancel: every change since the last save is dropped.
  void Cancel();
  // The close button: the edits stay in memory, unsaved.
  void Close();

 private:
  void LoadEditor();

  MacroStore& m_store;
  MacroEditor& m_editor;
  int m_current = -1;
  int m_selected = -1;
};

}  // namespace karvo::editors
