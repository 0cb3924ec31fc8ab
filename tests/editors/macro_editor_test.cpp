#include "editors/macro_editor.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "tests/editors/test_layouts.h"

namespace karvo::editors {
namespace {

struct FakeClock : IClock {
  std::uint32_t NowMs() const override { return now; }
  std::uint32_t now = 0xFFFFF000u;  // close to the wrap of the tick count
};

struct Ev {
  std::uint8_t key;
  std::uint8_t kind;
  std::uint16_t pause;
  bool operator==(const Ev&) const = default;
};

class MacroEditorTest : public ::testing::Test {
 protected:
  MacroEditorTest() : m_macro(NewMacro("m")), m_editor(m_layout, m_clock) {}

  void Load(std::vector<Ev> events, int repeat = 0) {
    m_macro->EventCount = static_cast<int>(events.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
      m_macro->Events[i] = {events[i].key, events[i].kind, events[i].pause};
    }
    m_macro->RepeatCount = repeat;
    m_editor.Load(m_macro.get());
  }
  // Key vk pressed (or released) ms after the previous key.
  EditorResult Key(int vk, bool release, std::uint32_t afterMs = 0) {
    m_clock.now += afterMs;
    return m_editor.OnHookedKey(vk, release);
  }
  std::vector<Ev> Stored() const {
    std::vector<Ev> events;
    for (int i = 0; i < m_macro->EventCount; ++i) {
      const MacroEvent& e = m_macro->Events[i];
      events.push_back({e.KeyCode, e.Kind, e.Pause});
    }
    return events;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const EventLine& line : m_editor.List().Lines) texts.push_back(line.Text);
    return texts;
  }
  // The item data of the line of event index (its key line, or its pause line).
  std::uint32_t Item(int index, bool pause = false) const {
    for (const EventLine& line : m_editor.List().Lines) {
      if ((line.ItemData >> 16) == static_cast<std::uint32_t>(index + 1) &&
          ((line.ItemData & 0xFFFF) == kPauseBitmap) == pause) {
        return line.ItemData;
      }
    }
    ADD_FAILURE() << "no line for event " << index;
    return 0;
  }

  testing::TestLayout m_layout;
  FakeClock m_clock;
  std::unique_ptr<MacroRecord> m_macro;
  MacroEditor m_editor;
};

constexpr std::uint8_t kA = 0x04, kB = 0x05, kC = 0x06, kD = 0x07;
constexpr std::uint8_t kPress = kEventPress, kRelease = kEventRelease;
constexpr int kLeftShift = 0xA0;

TEST_F(MacroEditorTest, ATypedThenBASecondLaterGivesFourEventsWithThePauseOnAsRelease) {
  Load({{kC, kPress, 9}});
  m_editor.SetDelayRecording(true);
  ASSERT_EQ(m_editor.OnStartStop(), EditorResult::kRecordingStarted);
  const EditorControls recording = m_editor.Controls();
  EXPECT_TRUE(recording.StartStop);
  EXPECT_FALSE(recording.DelayToggle || recording.LoopToggle || recording.EventList ||
               recording.ManagerButtons || recording.NameList);

  EXPECT_EQ(Key('A', false), EditorResult::kChanged);
  Key('A', true, 120);
  Key('B', false, 1000);
  Key('B', true, 90);
  // Every key goes to the library at once; the start button replaced the old events.
  const std::vector<Ev> expected = {
      {kA, kPress, 120}, {kA, kRelease, 1000}, {kB, kPress, 90}, {kB, kRelease, 0}};
  EXPECT_EQ(Stored(), expected);
  EXPECT_EQ(m_editor.OnStartStop(), EditorResult::kRecordingStopped);
  EXPECT_TRUE(m_editor.Controls().NameList);

  EXPECT_EQ(Texts(), (std::vector<std::string>{"A Drucken", "120 ms", "A Auslosung", "1000 ms",
                                               "B Drucken", "90 ms", "B Auslosung"}));
  const std::uint32_t items[] = {0x000100E7, 0x000100E5, 0x000200E8, 0x000200E5,
                                 0x000300E7, 0x000300E5, 0x000400E8};
  for (std::size_t i = 0; i < 7; ++i) EXPECT_EQ(m_editor.List().Lines[i].ItemData, items[i]) << i;
}

TEST_F(MacroEditorTest, AHeldKeyRecordsOnePressAndNothingIsRecordedWithoutAMacro) {
  Load({});
  ASSERT_EQ(m_editor.OnStartStop(), EditorResult::kRecordingStarted);
  EXPECT_EQ(Key(kLeftShift, false), EditorResult::kChanged);
  for (int repeat = 0; repeat < 5; ++repeat) {
    EXPECT_EQ(Key(kLeftShift, false, 33), EditorResult::kNothing);
  }
  Key(kLeftShift, true, 400);
  Key(0x29, false, 50);  // Select: no key code, kept as key code 0
  EXPECT_EQ(Stored(), (std::vector<Ev>{{0xE1, kPress, 0}, {0xE1, kRelease, 0}, {0, kPress, 0}}));
  EXPECT_EQ(Texts().back(), " Drucken");

  // A new recording does not take its first key for a repeat of the last one.
  m_editor.OnStartStop();
  ASSERT_EQ(m_editor.OnStartStop(), EditorResult::kRecordingStarted);
  EXPECT_EQ(Key(0x29, false), EditorResult::kChanged);
  m_editor.OnStartStop();

  m_editor.Load(nullptr);
  EXPECT_EQ(m_editor.OnStartStop(), EditorResult::kNoMacro);
  for (int command : {kRecordBefore, kInsertDelay, kEditDelay, kDeleteEntry, kFirstMouseCommand}) {
    EXPECT_EQ(m_editor.OnContextCommand(command, std::nullopt), EditorResult::kNoMacro);
  }
  EXPECT_EQ(m_editor.List().CaretLine, -1);
}

TEST_F(MacroEditorTest, RecordingBeforeOrAfterAnEventInsertsInTypingOrder) {
  const std::vector<Ev> four = {
      {kA, kPress, 0}, {kA, kRelease, 0}, {kB, kPress, 0}, {kB, kRelease, 0}};
  const struct {
    int command;
    int event;  // -1: no line selected
    std::vector<Ev> expected;
  } cases[] = {
      {kRecordBefore, 2, {four[0], four[1], {kC, kPress, 10}, {kD, kPress, 0}, four[2], four[3]}},
      {kRecordAfter, 0, {four[0], {kC, kPress, 10}, {kD, kPress, 0}, four[1], four[2], four[3]}},
      {kRecordBefore, -1, {four[0], four[1], four[2], four[3], {kC, kPress, 10}, {kD, kPress, 0}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command * 10 + c.event);
    Load(four);
    m_editor.SetDelayRecording(true);
    std::optional<std::uint32_t> selected;
    if (c.event >= 0) selected = Item(c.event);
    ASSERT_EQ(m_editor.OnContextCommand(c.command, selected), EditorResult::kRecordingStarted);
    Key('C', false, 5000);  // the first key puts no pause on the event before it
    Key('D', false, 10);
    Key('D', false, 20);  // auto-repeat: no event and no pause
    m_editor.OnStartStop();
    EXPECT_EQ(Stored(), c.expected);
  }
}

TEST_F(MacroEditorTest, RecordingStopsWhenTheMacroIsFull) {
  Load({});
  m_editor.OnStartStop();
  EditorResult last = EditorResult::kNothing;
  int accepted = 0;
  for (int i = 0; i < 600 && m_editor.Recording(); ++i) {
    last = Key('A' + i % 2, (i / 2) % 2 == 1);
    ++accepted;
  }
  EXPECT_EQ(last, EditorResult::kRecordingStopped);
  EXPECT_EQ(accepted, kMaxMacroEvents);
  EXPECT_EQ(m_macro->EventCount, kMaxMacroEvents);
  EXPECT_EQ(Key('C', false), EditorResult::kNothing);

  // Recording into a full macro takes nothing and stops at the first key.
  ASSERT_EQ(m_editor.OnContextCommand(kRecordAfter, std::nullopt), EditorResult::kRecordingStarted);
  EXPECT_EQ(Key('C', false), EditorResult::kRecordingStopped);
  EXPECT_EQ(m_macro->EventCount, kMaxMacroEvents);
}

TEST_F(MacroEditorTest, PausesAreInsertedOnlyAfterAnEventEditedWithinTheirRangeAndDeleted) {
  Load({{kA, kPress, 0}, {kA, kRelease, 0}, {kB, kPress, 7}});
  EXPECT_EQ(m_editor.OnContextCommand(kInsertDelay, Item(0)), EditorResult::kNothing);
  EXPECT_EQ(m_editor.OnContextCommand(kInsertDelay, Item(1)), EditorResult::kChanged);
  EXPECT_EQ(Texts(),
            (std::vector<std::string>{"A Drucken", "1 ms", "A Auslosung", "B Drucken", "7 ms"}));
  EXPECT_EQ(m_macro->Events[0].Pause, 1);
  EXPECT_EQ(m_editor.OnContextCommand(kInsertDelay, Item(1)), EditorResult::kNothing);

  EXPECT_EQ(m_editor.OnContextCommand(kEditDelay, Item(2)), EditorResult::kNothing);
  EXPECT_EQ(m_editor.OnContextCommand(kEditDelay, Item(2, true)), EditorResult::kEditPause);
  const std::pair<const char*, int> edits[] = {{"70000", 65535},
                                               {"65535", 65535},
                                               {"65534", 65534},
                                               {"0", 1},
                                               {"", 1},
                                               {"  250x", 250},
                                               {"99999999999999999999", 65535}};
  for (const auto& [typed, stored] : edits) {
    EXPECT_EQ(m_editor.CommitPauseEdit(Item(2, true), typed), std::to_string(stored) + " ms");
    EXPECT_EQ(m_macro->Events[2].Pause, stored) << typed;
  }
  EXPECT_EQ(m_editor.CommitPauseEdit(Item(1), "5"), std::nullopt);
  EXPECT_EQ(m_editor.CommitPauseEdit(0x000900E5, "5"), std::nullopt);  // no event 9

  // Delete takes a pause line's pause, or an event line's event.
  EXPECT_EQ(m_editor.OnContextCommand(kDeleteEntry, Item(2, true)), EditorResult::kChanged);
  EXPECT_EQ(m_editor.OnContextCommand(kDeleteEntry, Item(1)), EditorResult::kChanged);
  EXPECT_EQ(Stored(), (std::vector<Ev>{{kA, kPress, 1}, {kB, kPress, 0}}));
  EXPECT_EQ(m_editor.CaretIndex(), 1);
  EXPECT_EQ(m_editor.OnContextCommand(kDeleteEntry, std::nullopt), EditorResult::kNothing);
}

TEST_F(MacroEditorTest, MouseEventsGoBeforeTheSelectedEventAndAClickNeedsTwoPlaces) {
  Load({{kA, kPress, 0}, {kA, kRelease, 0}});
  EXPECT_EQ(m_editor.OnContextCommand(1022, Item(1)), EditorResult::kChanged);       // left click
  EXPECT_EQ(m_editor.OnContextCommand(1033, std::nullopt), EditorResult::kChanged);  // back up
  EXPECT_EQ(Stored(), (std::vector<Ev>{{kA, kPress, 0},
                                       {0xF0, kPress, 0},
                                       {0xF0, kRelease, 0},
                                       {kA, kRelease, 0},
                                       {0xF4, kRelease, 0}}));
  EXPECT_EQ(Texts()[1], "Left Button Drucken");
  EXPECT_EQ(m_editor.List().Lines[4].ItemData, 0x000500E6u);

  const struct {
    int count;
    int command;
    int after;
  } full[] = {{499, 1022, 499}, {498, 1022, 500}, {499, 1020, 500}, {500, 1021, 500}};
  for (const auto& f : full) {
    SCOPED_TRACE(f.count * 10000 + f.command);
    Load(std::vector<Ev>(static_cast<std::size_t>(f.count), Ev{kA, kPress, 0}));
    m_editor.OnContextCommand(f.command, Item(0));
    EXPECT_EQ(m_macro->EventCount, f.after);
  }
}

TEST_F(MacroEditorTest, TheLoopCountStaysWithin1To255AndLoopOffStoresOne) {
  Load({}, 0);
  EXPECT_FALSE(m_editor.Loop());
  EXPECT_EQ(m_editor.LoopText(), "1");
  m_editor.SetLoop(true);
  const std::tuple<const char*, std::optional<std::string>, int> cases[] = {
      {"300", "255", 255},
      {"", "1", 1},
      {"7", std::nullopt, 7},
      {"0", "1", 1},
      {" 12", std::nullopt, 12}};
  for (const auto& [typed, rewrite, stored] : cases) {
    EXPECT_EQ(m_editor.OnLoopTextChanged(typed), rewrite) << typed;
    EXPECT_EQ(m_macro->RepeatCount, stored) << typed;
  }
  m_editor.SetLoop(false);
  EXPECT_EQ(m_macro->RepeatCount, 1);
  EXPECT_EQ(m_editor.OnLoopTextChanged("40"), std::nullopt);
  EXPECT_EQ(m_macro->RepeatCount, 1);

  const std::tuple<int, bool, const char*> loads[] = {
      {0, false, "1"}, {7, true, "7"}, {-3, true, "1"}, {300, true, "255"}};
  for (const auto& [repeat, loop, shown] : loads) {
    Load({}, repeat);
    EXPECT_EQ(m_editor.Loop(), loop) << repeat;
    EXPECT_EQ(m_editor.LoopText(), shown) << repeat;
    EXPECT_EQ(m_macro->RepeatCount, repeat);  // loading changes nothing
  }
}

TEST_F(MacroEditorTest, TheCaretRunsTwoLinesAheadOfTheSelectionInsideTheList) {
  // Ten events; a pause inserted under event e selects e and makes eleven lines.
  const struct {
    int event;  // -1: as loaded, the last event selected
    int selected;
    int caret;
  } cases[] = {{-1, 9, 9}, {4, 4, 6}, {7, 7, 9}, {8, 8, 8}, {3, 3, 3}, {0, 0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.event);
    Load(std::vector<Ev>(10, Ev{kA, kPress, 0}));
    if (c.event >= 0) {
      ASSERT_EQ(m_editor.OnContextCommand(kInsertDelay, Item(c.event + 1)), EditorResult::kChanged);
    }
    EXPECT_EQ(m_editor.List().SelectedLine, c.selected);
    EXPECT_EQ(m_editor.List().CaretLine, c.caret);
  }
}

}  // namespace
}  // namespace karvo::editors
