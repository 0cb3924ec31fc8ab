#include "editors/macro_editor_panel_win.h"

#include <string>

#include "platform/debug_log.h"
#include "skin/color_edit_win.h"
#include "skin/editable_list_win.h"
#include "skin/image_button_win.h"
#include "skin/skin_messages.h"
#include "skin/skinned_menu_win.h"

namespace karvo::editors {
namespace {

using platform::DebugLog;
using platform::DebugLogLastError;

constexpr COLORREF kListBackground = RGB(90, 106, 120);
constexpr COLORREF kListHighlight = RGB(255, 255, 255);
constexpr COLORREF kLoopCountText = RGB(0, 0, 0);
constexpr COLORREF kLoopCountBackground = RGB(255, 255, 255);

UINT EditChangeMessage() {
  static const UINT message = ::RegisterWindowMessageA(skin::kBitmapEditChangeName);
  return message;
}

void Enable(HWND control, bool enabled) {
  if (control) ::EnableWindow(control, enabled ? TRUE : FALSE);
}

}  // namespace

MacroEditorPanel::MacroEditorPanel(MacroEditor& editor, TickClock& clock, IMacroEditorHost& host)
    : ConfiguratorPage(skin::WindowId::MacroEditor),
      m_editor(editor),
      m_clock(clock),
      m_host(host) {}

skin::ImageButton* MacroEditorPanel::RecordButton() const { return Button(m_recordIndex); }
skin::ImageButton* MacroEditorPanel::DelayToggle() const { return Button(m_delayIndex); }
skin::ImageButton* MacroEditorPanel::LoopToggle() const { return Button(m_loopIndex); }
skin::ColorEdit* MacroEditorPanel::LoopCount() const { return Edit(m_loopCountIndex); }
skin::EditableList* MacroEditorPanel::Events() const { return List(m_eventsIndex); }

bool MacroEditorPanel::OnInit() {
  if (!SkinnedDialog::OnInit()) return false;
  HoldBackSpaceBar();
  m_recordIndex = IndexOfName("BUTTON_Start_Record");
  m_delayIndex = IndexOfName("Record_Delay_ON_OFF");
  m_loopIndex = IndexOfName("Loop_times_ON_OFF");
  m_loopCountIndex = IndexOfName("EDIT_loop_Times");
  m_eventsIndex = IndexOfName("Action_List_key_sequence");
  if (skin::EditableList* events = Events()) events->SetColours(kListBackground, kListHighlight);
  if (skin::ColorEdit* count = LoopCount()) {
    count->SetColours(kLoopCountText, kLoopCountBackground);
  }
  return false;
}

void MacroEditorPanel::Refresh() {
  if (!m_hwnd) return;
  ShowEvents();
  ShowLoopText();
  if (skin::ImageButton* delay = DelayToggle()) delay->SetSelected(m_editor.DelayRecording());
  if (skin::ImageButton* loop = LoopToggle()) loop->SetSelected(m_editor.Loop());
  ApplyEnabledControls();
}

void MacroEditorPanel::OnCommand(int id, int code, HWND control) {
  const std::optional<std::size_t> index = IndexOfId(id);
  if (!index) {
    Dialog::OnCommand(id, code, control);
    return;
  }
  if (code != BN_CLICKED && code != BN_DOUBLECLICKED) return;
  if (*index == m_recordIndex) {
    Act(m_editor.OnStartStop());
  } else if (*index == m_delayIndex) {
    if (skin::ImageButton* delay = DelayToggle()) m_editor.SetDelayRecording(delay->Selected());
  } else if (*index == m_loopIndex) {
    if (skin::ImageButton* loop = LoopToggle()) m_editor.SetLoop(loop->Selected());
  }
}

bool MacroEditorPanel::OnMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                 INT_PTR& directResult) {
  switch (message) {
    case kHookedKeyMessage:
      OnHookedKey(static_cast<int>(wParam), lParam != 0);
      return true;
    case skin::kMsgListRightButton:
      OnContextMenu();
      return true;
    case skin::kMsgListCommitted:
      OnPauseCommitted(static_cast<std::size_t>(wParam));
      return true;
    default:
      break;
  }
  const UINT changed = EditChangeMessage();
  if (changed != 0 && message == changed) {
    if (skin::ColorEdit* count = LoopCount(); count && lParam == count->NotifyId()) {
      OnLoopTextChanged();
    }
    return true;
  }
  return SkinnedDialog::OnMessage(message, wParam, lParam, directResult);
}

void MacroEditorPanel::Act(EditorResult result) {
  switch (result) {
    case EditorResult::kNothing:
      break;
    case EditorResult::kNoMacro:
      m_host.ShowNoMacroNotice();
      break;
    case EditorResult::kChanged:
      ShowEvents();
      break;
    case EditorResult::kRecordingStarted:
      BeginRecordingLook();
      break;
    case EditorResult::kRecordingStopped:
      EndRecordingLook();
      break;
    case EditorResult::kEditPause:
      if (skin::EditableList* events = Events(); events && !events->EditSelectedValue()) {
        DebugLog("pause line not opened for editing\r\n");
      }
      break;
  }
}

void MacroEditorPanel::OnHookedKey(int virtualKey, bool release) {
  // Every message has its stamp, taken in step even when the key is not recorded.
  const std::optional<std::uint32_t> stamp = TakeHookedKeyTime();
  // A key still queued when the recording ended is no longer the editor's.
  if (!m_editor.Recording()) return;
  if (stamp) m_clock.BeginKey(*stamp);
  const EditorResult result = m_editor.OnHookedKey(virtualKey, release);
  m_clock.EndKey();
  Act(result);
}

void MacroEditorPanel::BeginRecordingLook() {
  // Every key of the desktop comes here, and only here, until the recording ends.
  m_hook = KeyHook(m_hwnd);
  if (!m_hook.Installed()) DebugLog("recording without the keyboard hook\r\n");
  if (skin::ImageButton* record = RecordButton()) record->ShowSecondLook(true);
  ShowEvents();
  ApplyEnabledControls();
  m_host.EnableManagerControls(false);
  if (skin::EditableList* events = Events(); events && !::SetFocus(events->Hwnd())) {
    DebugLogLastError("SetFocus(event list)");
  }
}

void MacroEditorPanel::EndRecordingLook() {
  m_hook.Reset();
  if (skin::ImageButton* record = RecordButton()) {
    record->ShowSecondLook(false);
    record->SetCaption({});
  }
  ShowEvents();
  ApplyEnabledControls();
  m_host.EnableManagerControls(true);
}

void MacroEditorPanel::ApplyEnabledControls() {
  const EditorControls controls = m_editor.Controls();
  if (skin::ImageButton* record = RecordButton()) Enable(record->Hwnd(), controls.StartStop);
  if (skin::ImageButton* delay = DelayToggle()) Enable(delay->Hwnd(), controls.DelayToggle);
  if (skin::ImageButton* loop = LoopToggle()) Enable(loop->Hwnd(), controls.LoopToggle);
  if (skin::EditableList* events = Events()) Enable(events->Hwnd(), controls.EventList);
}

void MacroEditorPanel::ShowEvents() {
  skin::EditableList* events = Events();
  if (!events) return;
  const EventListView& view = m_editor.List();
  HWND list = events->Hwnd();
  // Drawn once when every line is in, not once per line: a recording rebuilds the list with
  // each key.
  ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  events->Clear();
  for (const EventLine& line : view.Lines) events->AddLine(line.Text, line.ItemData);
  events->Select(view.SelectedLine >= 0 ? std::optional<std::size_t>(view.SelectedLine)
                                        : std::nullopt);
  if (view.CaretLine >= 0) events->SetCaretLine(static_cast<std::size_t>(view.CaretLine));
  ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  if (!::RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME)) {
    DebugLogLastError("RedrawWindow(event list)");
  }
}

void MacroEditorPanel::ShowLoopText() {
  skin::ColorEdit* count = LoopCount();
  if (!count) return;
  const std::string text = m_editor.LoopText();
  if (count->UserText() == text) return;
  count->SetUserText(text);
  // Typing goes on after the number, not before it.
  ::SendMessageW(count->Hwnd(), EM_SETSEL, text.size(), static_cast<LPARAM>(text.size()));
}

void MacroEditorPanel::OnLoopTextChanged() {
  skin::ColorEdit* count = LoopCount();
  if (!count) return;
  // The field showing the editor's own number is no change by the user: a macro merely
  // looked at keeps its stored repeat count.
  const std::string typed = count->UserText();
  if (typed == m_editor.LoopText()) return;
  if (m_editor.OnLoopTextChanged(typed)) ShowLoopText();
}

void MacroEditorPanel::OnContextMenu() {
  if (m_editor.Recording()) return;
  skin::EditableList* events = Events();
  if (!events) return;
  POINT at{};
  if (!::GetCursorPos(&at)) {
    DebugLogLastError("GetCursorPos");
    return;
  }
  skin::SkinnedMenu menu(BuildEventContextMenu(), &skin::kMenuFont);
  const int command = menu.Track(m_hwnd, at);
  if (command == 0 || command == skin::kInvisibleCommand) return;
  std::optional<std::uint32_t> selected;
  const std::optional<std::size_t> line = events->Model().Selected();
  if (line && *line < events->Model().Lines().size()) {
    selected = events->Model().Lines()[*line].Value;
  }
  Act(m_editor.OnContextCommand(command, selected));
}

void MacroEditorPanel::OnPauseCommitted(std::size_t line) {
  skin::EditableList* events = Events();
  if (!events || line >= events->Model().Lines().size()) return;
  const skin::ListLine committed = events->Model().Lines()[line];
  const std::optional<std::string> text = m_editor.CommitPauseEdit(committed.Value, committed.Text);
  if (!text) {
    // No pause of this macro (any more): the list shows the events as they are.
    ShowEvents();
    return;
  }
  events->RemoveLine(line);
  events->InsertLine(line, *text, committed.Value);
  events->Select(line);
}

}  // namespace karvo::editors
