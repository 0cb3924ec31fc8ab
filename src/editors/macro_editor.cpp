#include "editors/macro_editor.h"

#include <algorithm>
#include <cstring>

namespace karvo::editors {
namespace {

constexpr std::uint8_t kFirstMouseKey = 0xF0;
constexpr std::uint8_t kLastMouseKey = 0xF4;
constexpr int kLargestTypedPause = 65534;

bool IsMouseKey(std::uint8_t keyCode) {
  return keyCode >= kFirstMouseKey && keyCode <= kLastMouseKey;
}

std::uint32_t ItemData(int index, std::uint16_t bitmap) {
  return (static_cast<std::uint32_t>(index + 1) << 16) | bitmap;
}

// Leading blanks skipped, then the digits up to the first other character; a
// number too long for any field saturates instead of wrapping.
long long LeadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = std::min(value * 10 + (text[i] - '0'), 1'000'000'000LL);
  }
  return value;
}

skin::MenuEntry Command(const char* text, int command) {
  skin::MenuEntry entry;
  entry.Text.Bytes = text;
  entry.Command = command;
  return entry;
}

}  // namespace

skin::PopupMenu BuildEventContextMenu() {
  // Windows-1252; "Loschen" and "Auslosung" are spelt so in the suite.
  static constexpr const char* kButtons[] = {"Links", "Rechts", "Rad", "Vorw\xE4rts",
                                             "R\xFC\x63kw\xE4rts"};
  static constexpr const char* kActions[] = {"Nach unten", "Nach oben", "Klick"};
  skin::PopupMenu menu;
  menu.ItemWidth = 140;
  menu.Entries.push_back(Command("Aufzeichnung starten vor", kRecordBefore));
  menu.Entries.push_back(Command("Aufzeichnung starten nach", kRecordAfter));
  menu.Entries.push_back(Command("Verz\xF6gerung einf\xFCgen", kInsertDelay));
  skin::MenuEntry mouse = Command("Mausereignis einf\xFCgen", 0);
  mouse.SubmenuItemWidth = 80;
  int command = kFirstMouseCommand;
  for (const char* button : kButtons) {
    skin::MenuEntry sub = Command(button, 0);
    sub.SubmenuItemWidth = 60;
    for (const char* action : kActions) sub.Submenu.push_back(Command(action, command++));
    mouse.Submenu.push_back(std::move(sub));
  }
  mouse.Submenu.push_back(Command("", skin::kInvisibleCommand));
  menu.Entries.push_back(std::move(mouse));
  menu.Entries.push_back(Command("Verz\xF6gerung bearbeiten", kEditDelay));
  menu.Entries.push_back(Command("Loschen", kDeleteEntry));
  return menu;
}

MacroEditor::MacroEditor(const settings::IKeyboardLayout& layout, const IClock& clock)
    : m_layout(layout), m_clock(clock) {}

void MacroEditor::Load(MacroRecord* macro) {
  m_macro = macro;
  std::memset(m_events, 0, sizeof m_events);
  if (macro) {
    m_nKeySequenceIndex = std::clamp(macro->EventCount, 0, kMaxMacroEvents);
    std::memcpy(m_events, macro->Events, sizeof m_events);
    // A loop count the field cannot show is shown, and stored again, within 1..255.
    m_loopTimes = std::clamp(macro->RepeatCount, 1, kMaxLoopTimes);
    m_loop = macro->RepeatCount != 0;
  } else {
    m_nKeySequenceIndex = 0;
    m_loopTimes = 1;
    m_loop = false;
  }
  m_iCaretIndex = m_nKeySequenceIndex - 1;
  Rebuild();
}

std::string MacroEditor::LoopText() const { return std::to_string(m_loopTimes); }

EditorControls MacroEditor::Controls() const {
  const bool idle = !m_recording;
  return {true, idle, idle, idle, idle, idle};
}

EditorResult MacroEditor::OnStartStop() {
  if (!m_macro) return EditorResult::kNoMacro;
  if (m_recording) {
    StopRecording();
    return EditorResult::kRecordingStopped;
  }
  // Recording from this button replaces the macro's events.
  m_nKeySequenceIndex = 0;
  std::memset(m_events, 0, sizeof m_events);
  m_iInsertPos = -1;
  m_iCaretIndex = -1;
  Rebuild();
  StartRecording();
  return EditorResult::kRecordingStarted;
}

void MacroEditor::SetLoop(bool on) {
  m_loop = on;
  StoreRepeatCount();
}

std::optional<std::string> MacroEditor::OnLoopTextChanged(std::string_view text) {
  const long long typed = LeadingNumber(text);
  m_loopTimes = static_cast<int>(std::clamp<long long>(typed, 1, kMaxLoopTimes));
  StoreRepeatCount();
  if (m_loopTimes != typed) return LoopText();
  return std::nullopt;
}

EditorResult MacroEditor::OnHookedKey(int virtualKey, bool release) {
  if (!m_recording) return EditorResult::kNothing;
  if (virtualKey == m_lastVirtualKey && release == m_lastRelease) return EditorResult::kNothing;
  std::uint8_t keyCode = 0;
  (void)settings::VirtualKeyToKeyCode(m_layout, virtualKey, &keyCode);
  const std::uint32_t now = m_clock.NowMs();
  if (m_delayRecording && m_firstKey) {
    const int before = m_iInsertPos == -1 ? m_nKeySequenceIndex - 1 : m_iInsertPos - 1;
    if (before >= 0 && before < m_nKeySequenceIndex) {
      m_events[before].Pause =
          static_cast<std::uint16_t>(std::min<std::uint32_t>(now - m_lastTime, kMaxPauseMs));
    }
  }
  (void)InsertAtInsertionPoint(
      {keyCode, release ? kEventRelease : kEventPress, static_cast<std::uint16_t>(0)});
  m_lastTime = now;
  m_firstKey = true;
  m_lastVirtualKey = virtualKey;
  m_lastRelease = release;
  if (m_nKeySequenceIndex >= kMaxMacroEvents) {
    StopRecording();
    Rebuild();
    return EditorResult::kRecordingStopped;
  }
  WriteBack();
  Rebuild();
  return EditorResult::kChanged;
}

EditorResult MacroEditor::OnContextCommand(int command, std::optional<std::uint32_t> selectedItem) {
  if (m_recording) return EditorResult::kNothing;
  if (!m_macro) return EditorResult::kNoMacro;
  const int event = SelectedEvent(selectedItem);
  const bool pauseLine = event >= 0 && (*selectedItem & 0xFFFF) == kPauseBitmap;

  switch (command) {
    case kRecordBefore:
    case kRecordAfter:
      m_iInsertPos = event < 0 ? -1 : (command == kRecordBefore ? event : event + 1);
      StartRecording();
      return EditorResult::kRecordingStarted;
    case kInsertDelay:
      if (event < 1 || pauseLine || m_events[event - 1].Pause != 0) return EditorResult::kNothing;
      m_events[event - 1].Pause = 1;
      m_iCaretIndex = event - 1;
      break;
    case kEditDelay:
      return pauseLine ? EditorResult::kEditPause : EditorResult::kNothing;
    case kDeleteEntry:
      if (event < 0) return EditorResult::kNothing;
      if (pauseLine) {
        m_events[event].Pause = 0;
      } else {
        std::memmove(
            &m_events[event], &m_events[event + 1],
            static_cast<std::size_t>(m_nKeySequenceIndex - event - 1) * sizeof(MacroEvent));
        --m_nKeySequenceIndex;
        m_events[m_nKeySequenceIndex] = {};
      }
      m_iCaretIndex = event;
      break;
    default: {
      if (command < kFirstMouseCommand || command > kLastMouseCommand)
        return EditorResult::kNothing;
      const int offset = command - kFirstMouseCommand;
      const auto key = static_cast<std::uint8_t>(kFirstMouseKey + offset / 3);
      const int position = event < 0 ? m_nKeySequenceIndex : event;
      switch (offset % 3) {
        case 0:
          if (!Insert(position, {key, kEventPress, 0})) return EditorResult::kNothing;
          break;
        case 1:
          if (!Insert(position, {key, kEventRelease, 0})) return EditorResult::kNothing;
          break;
        default:
          // Both halves of a click, or neither.
          if (m_nKeySequenceIndex + 2 > kMaxMacroEvents) return EditorResult::kNothing;
          (void)Insert(position, {key, kEventPress, 0});
          (void)Insert(position + 1, {key, kEventRelease, 0});
          break;
      }
      break;
    }
  }
  Rebuild();
  WriteBack();
  return EditorResult::kChanged;
}

std::optional<std::string> MacroEditor::CommitPauseEdit(std::uint32_t itemData,
                                                        std::string_view text) {
  const int event = SelectedEvent(itemData);
  if (m_recording || !m_macro || event < 0 || (itemData & 0xFFFF) != kPauseBitmap) {
    return std::nullopt;
  }
  const long long typed = LeadingNumber(text);
  const int pause = typed > kLargestTypedPause ? kMaxPauseMs
                    : typed <= 0               ? 1
                                               : static_cast<int>(typed);
  m_events[event].Pause = static_cast<std::uint16_t>(pause);
  WriteBack();
  return std::to_string(pause) + " ms";
}

bool MacroEditor::Insert(int position, const MacroEvent& event) {
  if (m_nKeySequenceIndex >= kMaxMacroEvents) return false;
  position = std::clamp(position, 0, m_nKeySequenceIndex);
  std::memmove(&m_events[position + 1], &m_events[position],
               static_cast<std::size_t>(m_nKeySequenceIndex - position) * sizeof(MacroEvent));
  m_events[position] = event;
  ++m_nKeySequenceIndex;
  m_iCaretIndex = position;
  return true;
}

bool MacroEditor::InsertAtInsertionPoint(const MacroEvent& event) {
  if (m_iInsertPos < -1 || m_iInsertPos > m_nKeySequenceIndex) m_iInsertPos = -1;
  const int position = m_iInsertPos == -1 ? m_nKeySequenceIndex : m_iInsertPos;
  if (!Insert(position, event)) return false;
  if (m_iInsertPos != -1) ++m_iInsertPos;
  return true;
}

void MacroEditor::StartRecording() {
  m_recording = true;
  m_firstKey = false;
  // A new recording has no previous key: its first key is never taken for a repeat.
  m_lastVirtualKey = -1;
  m_lastRelease = false;
}

void MacroEditor::StopRecording() {
  m_recording = false;
  m_lastTime = 0;
  WriteBack();
}

void MacroEditor::StoreRepeatCount() {
  if (m_macro) m_macro->RepeatCount = m_loop ? m_loopTimes : 1;
}

void MacroEditor::WriteBack() {
  if (!m_macro) return;
  std::memcpy(m_macro->Events, m_events, sizeof m_events);
  m_macro->EventCount = m_nKeySequenceIndex;
}

int MacroEditor::SelectedEvent(std::optional<std::uint32_t> item) const {
  if (!item) return -1;
  const int number = static_cast<int>(*item >> 16);
  return number >= 1 && number <= m_nKeySequenceIndex ? number - 1 : -1;
}

void MacroEditor::Rebuild() {
  m_list = EventListView{};
  for (int i = 0; i < m_nKeySequenceIndex; ++i) {
    const MacroEvent& event = m_events[i];
    int virtualKey = 0;
    std::string text;
    if (settings::KeyCodeToVirtualKey(m_layout, event.KeyCode, &virtualKey)) {
      text = settings::GetKeyName(virtualKey);
    }
    const bool press = event.Kind == kEventPress;
    text += press ? " Drucken" : " Auslosung";
    const std::uint16_t bitmap = IsMouseKey(event.KeyCode) ? kMouseEventBitmap
                                 : press                   ? kKeyPressBitmap
                                                           : kKeyReleaseBitmap;
    if (i == m_iCaretIndex) m_list.SelectedLine = static_cast<int>(m_list.Lines.size());
    m_list.Lines.push_back({std::move(text), ItemData(i, bitmap)});
    if (event.Pause != 0) {
      m_list.Lines.push_back({std::to_string(event.Pause) + " ms", ItemData(i, kPauseBitmap)});
    }
  }
  const int lines = static_cast<int>(m_list.Lines.size());
  if (lines == 0) return;
  const int a = m_list.SelectedLine >= 0 ? m_list.SelectedLine : lines - 1;
  m_list.CaretLine = (a > 3 && a < lines - 3) ? a + 2 : a;
}

}  // namespace karvo::editors
