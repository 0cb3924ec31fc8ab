#include "osd/notice_machine.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace karvo::osd {
namespace {

// Win32 timers in virtual time: periodic, restarted by a second start, fired in due order.
class FakeHost final : public INoticeHost {
 public:
  NoticeMachine* machine = nullptr;
  Size screen{1280, 1024};
  bool createFails = false;
  std::vector<std::string> events;
  std::vector<std::uint32_t> paints;
  std::vector<Rect> placements;
  int windows = 0;  // notice windows that exist
  int closes = 0;

  void StartTimer(unsigned id, unsigned intervalMs) override {
    m_timers[id] = {m_now + intervalMs, intervalMs};
  }
  void StopTimer(unsigned id) override { m_timers.erase(id); }
  bool CreateNoticeWindow() override {
    events.push_back("create");
    if (createFails) return false;
    ++windows;
    return true;
  }
  void DestroyNoticeWindow() override {
    events.push_back("destroy");
    --windows;
  }
  void PlaceNoticeWindow(const Rect& rect) override { placements.push_back(rect); }
  Size ScreenSize() override { return screen; }
  void PaintNotice(std::uint32_t kind) override {
    events.push_back("paint " + std::to_string(kind));
    paints.push_back(kind);
  }
  void PostClose() override {
    events.push_back("close");
    ++closes;
  }

  bool Running(unsigned id) const { return m_timers.count(id) != 0; }
  std::size_t RunningCount() const { return m_timers.size(); }
  unsigned Now() const { return m_now; }

  void AdvanceTo(unsigned time) {
    for (;;) {
      auto next = m_timers.end();
      for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
        if (it->second.due <= time && (next == m_timers.end() || it->second.due < next->second.due))
          next = it;
      }
      if (next == m_timers.end()) break;
      m_now = next->second.due;
      next->second.due += next->second.interval;
      machine->OnTimer(next->first);
    }
    m_now = time;
  }

 private:
  struct Timer {
    unsigned due;
    unsigned interval;
  };
  unsigned m_now = 0;
  std::map<unsigned, Timer> m_timers;
};

class FakeSource final : public INoticeSource {
 public:
  std::map<int, std::string> profiles;
  std::string message;
  MacroNotice macro;
  int profileReads = 0;

  std::string ProfileName(int slot) override {
    ++profileReads;
    auto it = profiles.find(slot);
    return it == profiles.end() ? std::string() : it->second;
  }
  std::string Message() override { return message; }
  MacroNotice Macro() override { return macro; }
  std::optional<settings::OSDSetting> NotificationRecord() override { return std::nullopt; }
};

// Ten pixels a character, twenty high.
class FakeMeasurer final : public ITextMeasurer {
 public:
  Size Measure(const std::u16string& text) override {
    return {static_cast<int>(text.size()) * 10, 20};
  }
};

std::uint32_t Slot(int n) { return static_cast<std::uint32_t>(n) << 16; }

class NoticeMachineTest : public ::testing::Test {
 protected:
  NoticeMachineTest() : machine(host, source, Taskbar{TaskbarEdge::Bottom, 40}) {
    host.machine = &machine;
  }
  bool BoxUp() const { return host.windows == 1; }

  FakeHost host;
  FakeSource source;
  FakeMeasurer measurer;
  NoticeMachine machine;
};

TEST_F(NoticeMachineTest, ShowsPaintsAndHidesAfterTwoSeconds) {
  machine.OnRequest(kKindCpi, 3);
  EXPECT_TRUE(BoxUp());
  EXPECT_TRUE(machine.Showing());
  EXPECT_EQ(machine.LastKind(), kKindCpi);
  EXPECT_TRUE(host.Running(11));
  EXPECT_TRUE(host.Running(12));

  host.AdvanceTo(49);
  EXPECT_TRUE(host.paints.empty());
  host.AdvanceTo(1999);
  EXPECT_EQ(host.paints.size(), 39u);
  EXPECT_TRUE(BoxUp());

  host.AdvanceTo(2000);
  EXPECT_FALSE(BoxUp());
  EXPECT_FALSE(machine.Showing());
  EXPECT_EQ(host.RunningCount(), 0u);
  EXPECT_EQ(machine.LastKind(), kKindCpi);  // survives the hide
  EXPECT_EQ(machine.Text(kKindCpi), "1600 DPI");

  const std::size_t paints = host.paints.size();
  host.AdvanceTo(5000);
  EXPECT_EQ(host.paints.size(), paints);
}

TEST_F(NoticeMachineTest, RepeatedKindKeepsOneBoxForTwoSecondsFromTheLatestRequest) {
  machine.OnRequest(kKindCpi, 1);
  host.AdvanceTo(1500);
  machine.OnRequest(kKindCpi, 2);
  EXPECT_EQ(machine.Text(kKindCpi), "800 DPI");
  host.AdvanceTo(3499);
  EXPECT_TRUE(BoxUp());
  host.AdvanceTo(3500);
  EXPECT_FALSE(BoxUp());
  // One window for the whole time.
  EXPECT_EQ(std::count(host.events.begin(), host.events.end(), "create"), 1);
  EXPECT_EQ(std::count(host.events.begin(), host.events.end(), "destroy"), 1);
}

TEST_F(NoticeMachineTest, OtherKindRemovesTheBoxAtOnceAndPaintsItsOwn) {
  source.profiles[1] = "Shooter";
  machine.OnRequest(kKindProfile, Slot(1));
  host.AdvanceTo(1000);
  host.events.clear();

  machine.OnRequest(kKindCpi, 4);
  EXPECT_EQ(host.events, (std::vector<std::string>{"destroy", "create"}));
  EXPECT_FALSE(host.Running(2));
  EXPECT_FALSE(host.Running(6));
  host.AdvanceTo(1050);
  EXPECT_EQ(host.events.back(), "paint 128");
  // The profile's hide timer is gone: the CPI box stays for its own two seconds.
  host.AdvanceTo(2999);
  EXPECT_TRUE(BoxUp());
  host.AdvanceTo(3000);
  EXPECT_FALSE(BoxUp());
}

TEST_F(NoticeMachineTest, KindNoneIsIgnoredWhileShowingAndShowsNothing) {
  machine.OnRequest(kKindVolume, 12);
  host.events.clear();
  machine.OnRequest(kKindNone, 0);
  EXPECT_TRUE(host.events.empty());
  EXPECT_TRUE(BoxUp());
  EXPECT_TRUE(host.Running(9));
  EXPECT_EQ(machine.LastKind(), kKindVolume);

  host.AdvanceTo(2000);
  host.events.clear();
  machine.OnRequest(kKindNone, 0);
  EXPECT_EQ(machine.LastKind(), kKindVolume);
  EXPECT_EQ(host.RunningCount(), 0u);
  EXPECT_TRUE(std::find(host.events.begin(), host.events.end(), "create") == host.events.end());
}

TEST_F(NoticeMachineTest, QuitAndUnknownKindsClearTheBox) {
  machine.OnRequest(kKindCpi, 1);
  machine.OnRequest(99, 0);
  EXPECT_FALSE(BoxUp());
  EXPECT_EQ(host.RunningCount(), 0u);
  EXPECT_EQ(machine.LastKind(), kKindCpi);
  EXPECT_FALSE(machine.Showing());

  machine.OnRequest(kKindCpi, 1);
  machine.OnRequest(kKindQuit, 0);
  EXPECT_FALSE(BoxUp());
  EXPECT_EQ(host.closes, 1);
  EXPECT_EQ(host.events.back(), "close");
}

TEST_F(NoticeMachineTest, LevelOrSlotTheSuiteDoesNotHaveShowsNoNotice) {
  machine.OnRequest(kKindCpi, 2);
  for (std::uint32_t level : {0u, 8u, 0xFFFFu}) {
    machine.OnRequest(kKindCpi, level);
    EXPECT_EQ(machine.Text(kKindCpi), "800 DPI") << level;
    EXPECT_TRUE(BoxUp()) << level;
  }
  host.AdvanceTo(2000);  // the box keeps the valid request's two seconds
  EXPECT_FALSE(BoxUp());

  machine.OnRequest(kKindProfile, Slot(5));
  EXPECT_FALSE(BoxUp());
  EXPECT_EQ(source.profileReads, 0);
  machine.OnRequest(kKindProfile, Slot(4));
  EXPECT_TRUE(BoxUp());
  EXPECT_EQ(machine.Text(kKindProfile), "Profile 5 : ");
}

TEST_F(NoticeMachineTest, WindowThatCannotBeCreatedIsNeverPaintedAndRetried) {
  host.createFails = true;
  machine.OnRequest(kKindVolume, 1);
  host.AdvanceTo(1000);
  EXPECT_TRUE(host.paints.empty());
  machine.OnRequest(kKindVolume, 2);
  EXPECT_EQ(std::count(host.events.begin(), host.events.end(), "create"), 2);
  host.AdvanceTo(5000);
  EXPECT_EQ(std::count(host.events.begin(), host.events.end(), "destroy"), 0);
  EXPECT_FALSE(machine.Showing());
}

TEST_F(NoticeMachineTest, TextsOfEachKind) {
  source.profiles[2] = "Racing";
  machine.OnRequest(kKindProfile, Slot(2) | 0x1234);
  EXPECT_EQ(machine.Text(kKindProfile), "Profile 3 : Racing");
  machine.OnRequest(kKindProfile, Slot(0));  // no file behind slot 0
  EXPECT_EQ(machine.Text(kKindProfile), "Profile 1 : ");

  source.message = "3 new mails";
  machine.OnRequest(kKindMessage, 0);
  EXPECT_EQ(machine.Text(kKindMessage), "3 new mails");

  machine.OnRequest(kKindVolume, 0xABCD0007);
  EXPECT_EQ(machine.Text(kKindVolume), "Volume Level: 7");

  const char* const cpi[] = {"400 DPI",  "800 DPI",  "1600 DPI", "3200 DPI",
                             "4000 DPI", "4800 DPI", "6400 DPI"};
  for (std::uint32_t level = 1; level <= 7; ++level) {
    machine.OnRequest(kKindCpi, level);
    EXPECT_EQ(machine.Text(kKindCpi), cpi[level - 1]);
  }
}

TEST_F(NoticeMachineTest, MacroTextByButtonNumber) {
  struct Case {
    int number;
    const char* text;
  };
  const Case cases[] = {
      {0, "Button1 Key:Reload"},   {9, "Button10 Key:Reload"},   {10, "Button11 Key:Reload"},
      {18, "Button19 Key:Reload"}, {19, "Button19 Key:Reload"},  {-1, "Button19 Key:Reload"},
      {8, "Button9 Key:Reload"},   {1000, "Button9 Key:Reload"},
  };
  source.macro.name = "Reload";
  for (const Case& c : cases) {
    source.macro.number = c.number;
    machine.OnRequest(kKindMacro, 0);
    EXPECT_EQ(machine.Text(kKindMacro), c.text) << c.number;
  }
  // An unknown number still shows the box, with the text it had.
  EXPECT_TRUE(BoxUp());
}

TEST_F(NoticeMachineTest, BoxSitsAboveTheTaskbarAsWideAsItsText) {
  machine.OnRequest(kKindCpi, 1);  // "400 DPI": 70 px
  auto plan = machine.PlanPaint(kKindCpi, measurer);
  ASSERT_TRUE(plan);
  EXPECT_EQ(plan->box, (Rect{1280 - 130, 1024 - 40 - 56, 130, 56}));
  EXPECT_EQ(plan->textX, 30);
  EXPECT_EQ(plan->textY, 18);
  EXPECT_EQ(plan->text, u"400 DPI");
  EXPECT_FALSE(machine.PlanPaint(kKindNone, measurer));
}

TEST_F(NoticeMachineTest, MessageBoxIsAtLeastAsWideAsTheLastProfileText) {
  source.profiles[0] = "A rather long name";  // "Profile 1 : A rather long name": 300 px
  machine.OnRequest(kKindProfile, Slot(0));
  host.AdvanceTo(2000);

  source.message = "Hi";
  machine.OnRequest(kKindMessage, 0);
  // At once the message box takes a fixed width, before its first paint.
  ASSERT_FALSE(host.placements.empty());
  EXPECT_EQ(host.placements.back(), (Rect{1280 - 250, 1024 - 40 - 56, 250, 56}));
  EXPECT_EQ(machine.PlanPaint(kKindMessage, measurer)->box.width, 360);

  source.message = std::string(40, 'x');  // 400 px, wider than the profile text
  machine.OnRequest(kKindMessage, 0);
  EXPECT_EQ(machine.PlanPaint(kKindMessage, measurer)->box.width, 460);
  // Only the message kind looks at the profile text.
  machine.OnRequest(kKindVolume, 1);
  EXPECT_EQ(machine.PlanPaint(kKindVolume, measurer)->box.width, 150 + 60);
}

TEST_F(NoticeMachineTest, BoxNeverWiderThanTheScreen) {
  host.screen = {800, 600};
  source.profiles[3] = std::string(259, 'W');
  machine.OnRequest(kKindProfile, Slot(3));
  auto plan = machine.PlanPaint(kKindProfile, measurer);
  EXPECT_EQ(plan->box, (Rect{0, 600 - 40 - 56, 800, 56}));
}

TEST_F(NoticeMachineTest, ScreenSizeIsTakenWhenTheWindowIsCreated) {
  machine.OnRequest(kKindVolume, 1);
  host.screen = {1024, 768};
  machine.OnRequest(kKindVolume, 2);  // same window
  EXPECT_EQ(machine.PlanPaint(kKindVolume, measurer)->box.x, 1280 - 210);
  host.AdvanceTo(2000);
  machine.OnRequest(kKindVolume, 3);
  EXPECT_EQ(machine.PlanPaint(kKindVolume, measurer)->box.x, 1024 - 210);
}

// A Chinese system's code page stood in for by a two-byte table: typed names and handed-over
// messages go through it, the notice formats are the suite's Windows-1252 text.
TEST(NoticeTexts, TypedNamesAreReadInTheSystemCodePageAndFormatsInTheSuites) {
  const auto gbk = [](std::string_view bytes) {
    std::u16string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      if (bytes.substr(i, 2) == "\xD6\xD0") {
        text += u"\u4E2D";
        ++i;
      } else {
        text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]));
      }
    }
    return text;
  };
  FakeHost host;
  FakeSource source;
  FakeMeasurer measurer;
  NoticeMachine machine(host, source, Taskbar{}, gbk);
  host.machine = &machine;
  source.profiles[1] = "\xD6\xD0";
  source.macro = {2, "\xD6\xD0!"};
  source.message = "\xD6\xD0 mail";
  const struct {
    std::uint32_t kind;
    std::uint32_t lParam;
    std::u16string text;
  } cases[] = {
      {kKindProfile, Slot(1), u"Profile 2 : \u4E2D"},
      {kKindMacro, 0, u"Button3 Key:\u4E2D!"},
      {kKindMessage, 0, u"\u4E2D mail"},
      {kKindCpi, 2, u"800 DPI"},
  };
  for (const auto& c : cases) {
    machine.OnRequest(c.kind, c.lParam);
    auto plan = machine.PlanPaint(c.kind, measurer);
    ASSERT_TRUE(plan) << c.kind;
    EXPECT_EQ(plan->text, c.text) << c.kind;
  }
}

TEST(NoticeGeometry, TaskbarFromItsWindowRectangle) {
  const Size screen{1280, 1024};
  struct Case {
    int left, top, right, bottom;
    TaskbarEdge edge;
    int thickness;
  };
  const Case cases[] = {
      {0, 984, 1280, 1024, TaskbarEdge::Bottom, 40},
      {-2, 1022, 1282, 1064, TaskbarEdge::Bottom, 2},  // auto-hidden
      {0, 0, 1280, 30, TaskbarEdge::Top, 30},
      {0, 0, 60, 1024, TaskbarEdge::Left, 60},
      {1220, 0, 1280, 1024, TaskbarEdge::Right, 60},
      {0, 0, 0, 0, TaskbarEdge::None, 0},
      {2000, 2000, 2100, 2040, TaskbarEdge::None, 0},  // off the screen
  };
  for (const Case& c : cases) {
    Taskbar taskbar = TaskbarFromRect(c.left, c.top, c.right, c.bottom, screen);
    EXPECT_EQ(taskbar.edge, c.edge) << c.left << "," << c.top;
    EXPECT_EQ(taskbar.thickness, c.thickness) << c.left << "," << c.top;
  }
}

TEST(NoticeGeometry, CornerStaysOffTheTaskbarAndOnTheScreen) {
  const Size screen{1280, 1024};
  struct Case {
    Taskbar taskbar;
    int right, bottom;
  };
  const Case cases[] = {
      {{TaskbarEdge::Bottom, 40}, 1280, 984},   {{TaskbarEdge::Right, 60}, 1220, 1024},
      {{TaskbarEdge::Top, 30}, 1280, 1024},     {{TaskbarEdge::Left, 60}, 1280, 1024},
      {{TaskbarEdge::None, 0}, 1280, 1024},     {{TaskbarEdge::Bottom, 5000}, 1280, 56},
      {{TaskbarEdge::Bottom, -10}, 1280, 1024}, {{TaskbarEdge::Right, 5000}, 640, 1024},
  };
  for (const Case& c : cases) {
    Corner corner = NoticeCorner(screen, c.taskbar);
    EXPECT_EQ(corner.right, c.right);
    EXPECT_EQ(corner.bottom, c.bottom);
  }
}

}  // namespace
}  // namespace karvo::osd
