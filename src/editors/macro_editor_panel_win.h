#pragma once
// The macro editor panel embedded in the macro manager: the events of the macro the manager has
// chosen, the record button, the pause and loop toggles, the loop count field and the event
// list's context menu. The rules are the MacroEditor's; the panel hands it the clicks, the
// hooked keys and the typed texts and shows what it answers.
#include <windows.h>

#include <cstddef>

#include "editors/key_hook_win.h"
#include "editors/macro_editor.h"
#include "editors/tick_clock_win.h"
#include "skin/configurator_page_win.h"

namespace karvo::skin {
class EditableList;
class ImageButton;
class ColorEdit;
}  // namespace karvo::skin

namespace karvo::editors {

// What the panel asks of the manager it sits in.
class IMacroEditorHost {
 public:
  virtual ~IMacroEditorHost() = default;
  // Off while the editor records: the manager can neither end nor choose another macro.
  virtual void EnableManagerControls(bool enabled) = 0;
  // A command that needs a macro when there is none.
  virtual void ShowNoMacroNotice() = 0;
};

class MacroEditorPanel final : public skin::ConfiguratorPage {
 public:
  // clock: the editor's, which the panel sets to each hooked key's time while the editor
  // takes it.
  MacroEditorPanel(MacroEditor& editor, TickClock& clock, IMacroEditorHost& host);

  // Every control again from the editor, after it loaded another macro.
  void Refresh() override;

 protected:
  bool OnInit() override;
  void OnCommand(int id, int code, HWND control) override;
  // Enter and Escape are held back; should IDOK or IDCANCEL come anyway, the panel stays.
  void OnOk() override {}
  void OnCancel() override {}
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& directResult) override;

 private:
  void Act(EditorResult result);
  void BeginRecordingLook();
  void EndRecordingLook();
  void ApplyEnabledControls();
  void ShowEvents();
  void ShowLoopText();
  void OnContextMenu();
  void OnPauseCommitted(std::size_t line);
  void OnLoopTextChanged();

  skin::ImageButton* RecordButton() const;
  skin::ImageButton* DelayToggle() const;
  skin::ImageButton* LoopToggle() const;
  skin::ColorEdit* LoopCount() const;
  skin::EditableList* Events() const;

  void OnHookedKey(int virtualKey, bool release);

  MacroEditor& m_editor;
  TickClock& m_clock;
  IMacroEditorHost& m_host;
  KeyHook m_hook;
  // The controls' rows in the panel's table.
  std::size_t m_recordIndex = 0;
  std::size_t m_delayIndex = 0;
  std::size_t m_loopIndex = 0;
  std::size_t m_loopCountIndex = 0;
  std::size_t m_eventsIndex = 0;
};

}  // namespace karvo::editors
