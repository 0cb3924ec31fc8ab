#pragma once
// The macro editor panel's rules: a working copy of one library macro, recording
// from the keyboard hook, the event list, its context menu and the loop count.
// Every change is written back to the library macro at once.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editors/macro_store.h"
#include "settings/key_codes.h"
#include "skin/menu_model.h"

namespace karvo::editors {

// Milliseconds since system start; wraps like GetTickCount.
class IClock {
 public:
  virtual ~IClock() = default;
  virtual std::uint32_t NowMs() const = 0;
};

// Icons of the event list (bitmap resources).
inline constexpr std::uint16_t kPauseBitmap = 229;
inline constexpr std::uint16_t kMouseEventBitmap = 230;
inline constexpr std::uint16_t kKeyPressBitmap = 231;
inline constexpr std::uint16_t kKeyReleaseBitmap = 232;

// Context menu commands of the event list.
inline constexpr int kRecordBefore = 1001;
inline constexpr int kRecordAfter = 1002;
inline constexpr int kInsertDelay = 1003;
inline constexpr int kEditDelay = 1004;
inline constexpr int kDeleteEntry = 1005;
// Five mouse buttons, each with press, release and click: 1020..1034.
inline constexpr int kFirstMouseCommand = 1020;
inline constexpr int kLastMouseCommand = 1034;

inline constexpr int kMaxLoopTimes = 255;

// One line of the event list; ItemData holds the event number (index + 1) in its
// high 16 bits and the line's bitmap in the low 16.
struct EventLine {
  std::string Text;
  std::uint32_t ItemData;
};

struct EventListView {
  std::vector<EventLine> Lines;
  int SelectedLine = -1;  // the line of event m_iCaretIndex
  int CaretLine = -1;     // the focus line, a little ahead so the selection shows
};

// What the panel and its manager leave enabled.
struct EditorControls {
  bool StartStop;
  bool DelayToggle;
  bool LoopToggle;
  bool EventList;
  bool ManagerButtons;  // close, OK, Cancel, New, Delete
  bool NameList;
};

enum class EditorResult {
  kNothing,           // nothing changed
  kNoMacro,           // show the no-macro notice
  kChanged,           // the list must be redrawn
  kRecordingStarted,  // install the keyboard hook, disable the controls
  kRecordingStopped,  // remove the keyboard hook, enable the controls
  kEditPause,         // open the digits-only edit on the selected pause line
};

skin::PopupMenu BuildEventContextMenu();

class MacroEditor {
 public:
  MacroEditor(const settings::IKeyboardLayout& layout, const IClock& clock);

  // nullptr: no macro (an empty library).
  void Load(MacroRecord* macro);
  MacroRecord* Macro() const { return m_macro; }

  int EventCount() const { return m_nKeySequenceIndex; }
  const MacroEvent& Event(int index) const { return m_events[index]; }
  int InsertPos() const { return m_iInsertPos; }
  int CaretIndex() const { return m_iCaretIndex; }
  bool Recording() const { return m_recording; }
  bool DelayRecording() const { return m_delayRecording; }
  bool Loop() const { return m_loop; }
  int LoopTimes() const { return m_loopTimes; }
  std::string LoopText() const;
  const EventListView& List() const { return m_list; }
  EditorControls Controls() const;

  EditorResult OnStartStop();
  void SetDelayRecording(bool on) { m_delayRecording = on; }
  void SetLoop(bool on);
  // The loop count field's new text; the text to write back into it when it was
  // out of range.
  std::optional<std::string> OnLoopTextChanged(std::string_view text);
  // Message 1034 from the keyboard hook.
  EditorResult OnHookedKey(int virtualKey, bool release);
  // selectedItem: the item data of the list's selected line, if any.
  EditorResult OnContextCommand(int command, std::optional<std::uint32_t> selectedItem);
  // The committed text of a pause line's edit; the line's new text, or nullopt when
  // the line is no pause line of this macro.
  std::optional<std::string> CommitPauseEdit(std::uint32_t itemData, std::string_view text);

 private:
  bool Insert(int position, const MacroEvent& event);
  bool InsertAtInsertionPoint(const MacroEvent& event);
  void StartRecording();
  void StopRecording();
  void StoreRepeatCount();
  void WriteBack();
  void Rebuild();
  // The event index a selected line names, or -1.
  int SelectedEvent(std::optional<std::uint32_t> item) const;

  const settings::IKeyboardLayout& m_layout;
  const IClock& m_clock;
  MacroRecord* m_macro = nullptr;
  MacroEvent m_events[kMaxMacroEvents] = {};
  int m_nKeySequenceIndex = 0;
  int m_iInsertPos = -1;
  int m_iCaretIndex = -1;
  EventListView m_list;

  bool m_recording = false;
  bool m_delayRecording = false;
  bool m_firstKey = false;
  bool m_loop = false;
  int m_loopTimes = 1;
  // The last accepted key: a repeat of it is the keyboard's auto-repeat.
  int m_lastVirtualKey = -1;
  bool m_lastRelease = false;
  std::uint32_t m_lastTime = 0;
};

}  // namespace karvo::editors
