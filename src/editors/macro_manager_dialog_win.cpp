#include "editors/macro_manager_dialog_win.h"

#include <string>

#include "platform/debug_log.h"
#include "platform/text_win.h"
#include "settings/key_codes_win.h"
#include "skin/editable_list_win.h"
#include "skin/image_button_win.h"
#include "skin/image_only_dialog_win.h"

namespace karvo::editors {
namespace {

using platform::DebugLog;
using platform::DebugLogLastError;

constexpr COLORREF kListBackground = RGB(90, 106, 120);
constexpr COLORREF kListHighlight = RGB(255, 255, 255);

}  // namespace

MacroManagerDialog::MacroManagerDialog(MacroStore& store, const settings::IKeyboardLayout& layout)
    : SkinnedDialog(skin::FindWindowSpec(skin::WindowId::MacroManager)),
      m_editor(layout, m_clock),
      m_model(store, m_editor),
      m_panel(m_editor, m_clock, *this) {}

bool MacroManagerDialog::OnInit() {
  if (!SkinnedDialog::OnInit()) return false;
  if (!::SetWindowTextW(m_hwnd, platform::WideFromSuiteText(kMacroManagerTitle).c_str())) {
    DebugLogLastError("SetWindowTextW(macro manager)");
  }
  m_exitIndex = IndexOfName("Exit");
  m_okIndex = IndexOfName("BUTTON_OK");
  m_cancelIndex = IndexOfName("BUTTON_Cancel");
  m_newIndex = IndexOfName("BUTTON_New");
  m_deleteIndex = IndexOfName("BUTTON_Delete");
  m_namesIndex = IndexOfName("Macro_List_MacroName");
  if (skin::EditableList* names = Names()) names->SetColours(kListBackground, kListHighlight);

  // Without its panel the manager could still name and delete macros, but not show them.
  if (!m_panel.CreateAt(m_hwnd, ControlRect(IndexOfName("CHILD_POS")))) {
    DebugLog("macro editor panel not created\r\n");
  } else {
    m_panel.Show(true);
  }
  m_model.Open();
  ShowNames();
  m_panel.Refresh();
  // The focus on the list, not on the first button, where the space bar would close the
  // manager.
  if (skin::EditableList* names = Names(); names && !::SetFocus(names->Hwnd())) {
    DebugLogLastError("SetFocus(macro names)");
  }
  return false;
}

void MacroManagerDialog::OnCommand(int id, int code, HWND control) {
  const std::optional<std::size_t> index = IndexOfId(id);
  if (!index) {
    SkinnedDialog::OnCommand(id, code, control);
    return;
  }
  if (*index == m_namesIndex) {
    if (code == LBN_SELCHANGE) OnNameSelected();
    return;
  }
  if (code != BN_CLICKED && code != BN_DOUBLECLICKED) return;
  if (*index == m_okIndex) {
    Ok();
  } else if (*index == m_cancelIndex) {
    Cancel();
  } else if (*index == m_exitIndex) {
    Close();
  } else if (*index == m_newIndex) {
    OnNew();
  } else if (*index == m_deleteIndex) {
    OnDelete();
  }
}

bool MacroManagerDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                   INT_PTR& directResult) {
  if (message == skin::kMsgListCommitted) {
    OnNameCommitted(static_cast<std::size_t>(wParam));
    return true;
  }
  return SkinnedDialog::OnMessage(message, wParam, lParam, directResult);
}

void MacroManagerDialog::EnableManagerControls(bool enabled) {
  for (std::size_t index : {m_exitIndex, m_okIndex, m_cancelIndex, m_newIndex, m_deleteIndex}) {
    if (skin::ImageButton* button = Button(index)) {
      ::EnableWindow(button->Hwnd(), enabled ? TRUE : FALSE);
    }
  }
  if (skin::EditableList* names = Names()) ::EnableWindow(names->Hwnd(), enabled ? TRUE : FALSE);
}

void MacroManagerDialog::ShowNoMacroNotice() {
  skin::ImageOnlyDialog notice(skin::WindowId::NoMacroNotice);
  if (notice.Run(m_hwnd) == -1) DebugLog("no-macro notice not shown\r\n");
}

void MacroManagerDialog::ShowNames() {
  skin::EditableList* names = Names();
  if (!names) return;
  names->Clear();
  for (const skin::UiText& name : m_model.Names()) names->AddLine(name.Bytes, 0);
  const int selected = m_model.SelectedLine();
  names->Select(selected >= 0 ? std::optional<std::size_t>(selected) : std::nullopt);
}

void MacroManagerDialog::OnNameSelected() {
  skin::EditableList* names = Names();
  if (!names) return;
  const std::optional<std::size_t> line = names->Model().Selected();
  // The list itself may hold a line of a name being typed, which names no macro yet.
  if (!line || !m_model.Select(static_cast<int>(*line))) return;
  m_panel.Refresh();
}

void MacroManagerDialog::OnNameCommitted(std::size_t line) {
  skin::EditableList* names = Names();
  if (!names || line >= names->Model().Lines().size()) return;
  // Refused or taken, the list shows the library's names again: a refused line is gone.
  (void)m_model.AddMacro(names->Model().Lines()[line].Text);
  ShowNames();
  m_panel.Refresh();
}

void MacroManagerDialog::OnNew() {
  skin::EditableList* names = Names();
  if (names && !names->BeginNewEntry()) DebugLog("new macro line not opened\r\n");
}

void MacroManagerDialog::OnDelete() {
  skin::EditableList* names = Names();
  if (!names) return;
  const std::optional<std::size_t> line = names->Model().Selected();
  if (!line || *line >= m_model.Names().size()) return;
  skin::ImageOnlyDialog confirm(skin::WindowId::DeleteMacroDialog);
  if (confirm.Run(m_hwnd) != IDOK) return;
  if (!m_model.DeleteMacro(static_cast<int>(*line))) return;
  ShowNames();
  m_panel.Refresh();
}

void MacroManagerDialog::Ok() {
  if (!m_model.CanClose()) return;
  // A library that could not be written stays as edited in memory; the user is not told.
  if (!m_model.Ok()) DebugLog("macro library not saved\r\n");
  EndDialog(IDOK);
}

void MacroManagerDialog::Cancel() {
  if (!m_model.CanClose()) return;
  m_model.Cancel();
  EndDialog(IDCANCEL);
}

void MacroManagerDialog::Close() {
  if (!m_model.CanClose()) return;
  m_model.Close();
  EndDialog(IDCANCEL);
}

INT_PTR RunMacroManager(HWND owner, MacroStore& store) {
  const settings::WinKeyboardLayout layout{};
  MacroManagerDialog manager(store, layout);
  const INT_PTR result = manager.Run(owner);
  if (result == -1) DebugLog("macro manager not shown\r\n");
  return result;
}

}  // namespace karvo::editors
