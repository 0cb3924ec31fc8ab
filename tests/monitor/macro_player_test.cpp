#include "monitor/macro_player.h"

#include <gtest/gtest.h>

#include <memory>

#include "input_fakes.h"

namespace karvo::monitor {
namespace {

using testing::RecordingInjector;
using testing::UsLayout;
using testing::VirtualTimer;

constexpr std::uint8_t kA = 0x04, kB = 0x05, kShift = 0xE1;

struct Step {
  std::uint8_t Key;
  std::uint8_t Action;
  std::uint16_t Delay;
};

std::unique_ptr<settings::MacroKeyInfo> Macro(std::initializer_list<Step> steps,
                                              std::int32_t repeat = 1) {
  auto record = std::make_unique<settings::MacroKeyInfo>();
  std::memset(record.get(), 0, sizeof *record);
  record->FunctionCode = kFunctionMacro;
  record->RepeatCount = repeat;
  int i = 0;
  for (const Step& s : steps) {
    std::uint8_t* e = record->Data + 4 * i++;
    e[0] = s.Key;
    e[1] = s.Action;
    e[2] = static_cast<std::uint8_t>(s.Delay & 0xFF);
    e[3] = static_cast<std::uint8_t>(s.Delay >> 8);
  }
  record->EventCount = static_cast<std::uint16_t>(i);
  return record;
}

class MacroPlayerTest : public ::testing::Test {
 protected:
  VirtualTimer timer;
  RecordingInjector injector{timer};
  UsLayout layout;
  std::vector<std::string> log;
  MacroPlayer player{injector, timer, layout, [this](std::string_view l) { log.emplace_back(l); }};

  std::vector<std::uint64_t> Times() const {
    std::vector<std::uint64_t> t;
    for (const auto& input : injector.Inputs) t.push_back(input.At);
    return t;
  }
};

TEST_F(MacroPlayerTest, RecordsThatAreNotPlayableAreNotArmed) {
  auto empty = Macro({});
  EXPECT_EQ(player.Arm(*empty), MacroPlayer::ArmResult::Ignored);
  auto wrongCode = Macro({{kA, 1, 10}});
  wrongCode->FunctionCode = 5;
  EXPECT_EQ(player.Arm(*wrongCode), MacroPlayer::ArmResult::Ignored);
  EXPECT_FALSE(player.Playing());
  player.Play();
  EXPECT_TRUE(injector.Inputs.empty());
}

TEST_F(MacroPlayerTest, PlaysKeysWithTheirDelaysAndZeroAsOneMillisecond) {
  auto macro = Macro({{kA, 1, 0}, {kA, 2, 20}, {kB, 1, 7}, {kB, 2, 0}});
  ASSERT_EQ(player.Arm(*macro), MacroPlayer::ArmResult::Start);
  EXPECT_TRUE(player.Playing());
  player.Play();
  EXPECT_EQ(injector.Names(),
            (std::vector<std::string>{"vk 65 down", "vk 65 up", "vk 66 down", "vk 66 up"}));
  EXPECT_EQ(Times(), (std::vector<std::uint64_t>{0, 1, 21, 28}));
  EXPECT_EQ(timer.Now(), 29u);
  EXPECT_FALSE(player.Playing());
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "g_iCurAction= 4,start=0,end=4\n");
}

TEST_F(MacroPlayerTest, InjectionTimeDoesNotAddUpOverTheEvents) {
  injector.CostUs = 700;
  auto macro = Macro({{kA, 1, 10}, {kA, 2, 10}, {kB, 1, 10}, {kB, 2, 10}});
  ASSERT_EQ(player.Arm(*macro), MacroPlayer::ArmResult::Start);
  player.Play();
  std::vector<std::uint64_t> times;
  for (const auto& input : injector.Inputs) times.push_back(input.AtUs);
  EXPECT_EQ(times, (std::vector<std::uint64_t>{0, 10000, 20000, 30000}));
}

TEST_F(MacroPlayerTest, PlayerFarBehindItsScheduleDoesNotRush) {
  injector.CostUs = 50000;  // longer than the delays
  auto macro = Macro({{kA, 1, 10}, {kA, 2, 10}, {kB, 1, 10}});
  ASSERT_EQ(player.Arm(*macro), MacroPlayer::ArmResult::Start);
  player.Play();
  std::vector<std::uint64_t> times;
  for (const auto& input : injector.Inputs) times.push_back(input.AtUs);
  EXPECT_EQ(times, (std::vector<std::uint64_t>{0, 60000, 120000, 180000}));  // B let go at the end
}

// One wait ends 12 ms late, as the first ones after the timer resolution changes can: no later
// pause is then more than a millisecond short, and the lost time is made up over the events.
TEST_F(MacroPlayerTest, ALateEventShortensNoLaterPauseByMoreThanAMillisecond) {
  timer.At(3 * 38, [this] { timer.Advance(12000); });
  auto macro = Macro({{kA, 1, 38},
                      {kA, 2, 38},
                      {kB, 1, 38},
                      {kB, 2, 38},
                      {kA, 1, 38},
                      {kA, 2, 38},
                      {kB, 1, 38},
                      {kB, 2, 38},
                      {kA, 1, 38},
                      {kA, 2, 38},
                      {kB, 1, 38},
                      {kB, 2, 38},
                      {kA, 1, 38},
                      {kA, 2, 38},
                      {kB, 1, 38},
                      {kB, 2, 38},
                      {kA, 1, 38},
                      {kA, 2, 38}});
  ASSERT_EQ(player.Arm(*macro), MacroPlayer::ArmResult::Start);
  player.Play();
  ASSERT_EQ(injector.Inputs.size(), 18u);
  for (std::size_t i = 1; i < injector.Inputs.size(); ++i) {
    EXPECT_GE(injector.Inputs[i].AtUs - injector.Inputs[i - 1].AtUs, 37000u) << "pause " << i;
  }
  EXPECT_EQ(injector.Inputs.back().AtUs, 17u * 38000u) << "back on the recorded schedule";
}

TEST_F(MacroPlayerTest, LongPressRepeatsEveryPeriodAfterHalfASecond) {
  auto macro = Macro({{kA, 1, 600}, {kA, 2, 1}});
  ASSERT_EQ(player.Arm(*macro), MacroPlayer::ArmResult::Start);
  player.Play();
  EXPECT_EQ(injector.Names(),
            (std::vector<std::string>{"vk 65 down", "vk 65 up", "vk 65 down", "vk 65 up",
                                      "vk 65 down", "vk 65 up", "vk 65 down", "vk 65 up"}));
  EXPECT_EQ(Times(), (std::vector<std::uint64_t>{0, 533, 533, 566, 566, 599, 599, 600}));
}

TEST_F(MacroPlayerTest, MouseCodesBecomeMouseButtons) {
  auto macro =
      Macro({{0xF0, 1, 1}, {0xF0, 2, 1}, {0xF1, 1, 1}, {0xF2, 2, 1}, {0xF3, 1, 1}, {0xF4, 1, 1}});
  ASSERT_EQ(player.Arm(*macro), MacroPlayer::ArmResult::Start);
  player.Play();
  EXPECT_EQ(injector.Names(),
            (std::vector<std::string>{"mouse left down", "mouse left up", "mouse right down",
                                      "mouse middle up", "mouse extra2 down", "mouse extra1 down",
                                      // held at the end: released
                                      "mouse extra1 up", "mouse extra2 up", "mouse right up"}));
}

TEST_F(MacroPlayerTest, StopWhileShiftIsHeldReleasesIt) {
  auto macro = Macro({{kShift, 1, 10}, {kA, 1, 10}, {kA, 2, 1000}, {kShift, 2, 10}});
  ASSERT_EQ(player.Arm(*macro), MacroPlayer::ArmResult::Start);
  timer.At(100, [&] { player.Stop(); });
  player.Play();
  EXPECT_EQ(injector.Names(),
            (std::vector<std::string>{"vk 16 down", "vk 65 down", "vk 65 up", "vk 16 up"}));
  EXPECT_EQ(injector.Inputs.back().At, 100u);  // the stop cuts the 1000 ms wait short
  EXPECT_FALSE(player.Playing());
  EXPECT_FALSE(player.Paused());
  EXPECT_NE(std::find(log.begin(), log.end(), "g_iCurAction= 3,Map=e1\n"), log.end());
}

TEST_F(MacroPlayerTest, StopEndsEvenAnEndlessRepeat) {
  auto macro = Macro({{kA, 1, 10}, {kA, 2, 10}}, -1);
  ASSERT_EQ(player.Arm(*macro), MacroPlayer::ArmResult::Start);
  timer.At(95, [&] { player.Stop(); });
  player.Play();
  // Passes of 20 ms: four whole ones, then the fifth stopped while A is down.
  EXPECT_EQ(injector.Inputs.size(), 10u);
  EXPECT_EQ(injector.Names().back(), "vk 65 up");
  EXPECT_FALSE(player.Playing());
}

struct RepeatCase {
  std::int32_t Count;
  std::size_t Passes;
};

TEST_F(MacroPlayerTest, RepeatCountGivesTheNumberOfPasses) {
  for (RepeatCase c : {RepeatCase{1, 1}, RepeatCase{0, 1}, RepeatCase{3, 3}}) {
    SCOPED_TRACE(c.Count);
    injector.Inputs.clear();
    auto macro = Macro({{kA, 1, 1}, {kA, 2, 1}}, c.Count);
    ASSERT_EQ(player.Arm(*macro), MacroPlayer::ArmResult::Start);
    player.Play();
    EXPECT_EQ(injector.Inputs.size(), 2 * c.Passes);
  }
}

TEST_F(MacroPlayerTest, SecondPressWhilePlayingStopsWithoutStartingTheNewMacro) {
  auto first = Macro({{kA, 1, 50}, {kA, 2, 50}, {kA, 1, 50}, {kA, 2, 50}});
  auto second = Macro({{kB, 1, 1}, {kB, 2, 1}});
  ASSERT_EQ(player.Arm(*first), MacroPlayer::ArmResult::Start);
  // Before the player thread even started, a second press counts as a press while playing.
  EXPECT_EQ(player.Arm(*second), MacroPlayer::ArmResult::StopRequested);
  player.Play();
  EXPECT_TRUE(injector.Inputs.empty());
  EXPECT_FALSE(player.Playing());
  EXPECT_EQ(player.Arm(*second), MacroPlayer::ArmResult::Start);
  player.Play();
  EXPECT_EQ(injector.Names(), (std::vector<std::string>{"vk 66 down", "vk 66 up"}));
}

TEST_F(MacroPlayerTest, PauseKeepsPositionAndResumeRepressesHeldKeys) {
  auto macro = Macro(
      {{kShift, 1, 10}, {kA, 1, 10}, {kA, 2, 100}, {kB, 1, 10}, {kB, 2, 10}, {kShift, 2, 10}}, 2);
  ASSERT_EQ(player.Arm(*macro), MacroPlayer::ArmResult::Start);
  timer.At(50, [&] { EXPECT_FALSE(player.PauseResume()); });
  player.Play();
  EXPECT_FALSE(player.Playing());
  EXPECT_TRUE(player.Paused());
  EXPECT_EQ(injector.Names(),
            (std::vector<std::string>{"vk 16 down", "vk 65 down", "vk 65 up", "vk 16 up"}));
  injector.Inputs.clear();

  ASSERT_TRUE(player.PauseResume());
  EXPECT_TRUE(player.Playing());
  player.Play();
  // Shift goes down again, the pass goes on at B, and the interrupted pass was not counted:
  // one more whole pass follows.
  EXPECT_EQ(injector.Names(), (std::vector<std::string>{
                                  "vk 16 down", "vk 66 down", "vk 66 up", "vk 16 up", "vk 16 down",
                                  "vk 65 down", "vk 65 up", "vk 66 down", "vk 66 up", "vk 16 up"}));
  EXPECT_FALSE(player.Paused());
}

TEST_F(MacroPlayerTest, ResumeAfterTypematicPauseWaitsTheUnusedRest) {
  auto macro = Macro({{kA, 1, 1000}, {kA, 2, 1}});
  ASSERT_EQ(player.Arm(*macro), MacroPlayer::ArmResult::Start);
  timer.At(300, [&] { EXPECT_FALSE(player.PauseResume()); });
  player.Play();
  ASSERT_TRUE(player.Paused());
  injector.Inputs.clear();
  const std::uint64_t resumedAt = timer.Now();
  ASSERT_TRUE(player.PauseResume());
  player.Play();
  ASSERT_EQ(injector.Names(), (std::vector<std::string>{"vk 65 down", "vk 65 up"}));
  EXPECT_EQ(injector.Inputs[1].At - resumedAt, 500u);  // 1000 - 500 not yet repeated
}

TEST_F(MacroPlayerTest, StopWhilePausedForgetsTheMacro) {
  auto macro = Macro({{kShift, 1, 100}, {kShift, 2, 1}});
  ASSERT_EQ(player.Arm(*macro), MacroPlayer::ArmResult::Start);
  timer.At(50, [&] { EXPECT_FALSE(player.PauseResume()); });
  player.Play();
  ASSERT_TRUE(player.Paused());
  player.Stop();
  EXPECT_FALSE(player.Paused());
  EXPECT_FALSE(player.PauseResume());  // nothing to resume, nothing playing
  injector.Inputs.clear();
  player.Play();
  EXPECT_TRUE(injector.Inputs.empty());
}

TEST_F(MacroPlayerTest, ResumePressedBeforeThePauseSettledGoesOn) {
  auto macro = Macro({{kA, 1, 100}, {kA, 2, 10}});
  ASSERT_EQ(player.Arm(*macro), MacroPlayer::ArmResult::Start);
  timer.At(50, [&] {
    EXPECT_FALSE(player.PauseResume());
    EXPECT_FALSE(player.PauseResume());
  });
  player.Play();
  EXPECT_FALSE(player.Playing());
  EXPECT_FALSE(player.Paused());
  EXPECT_EQ(injector.Names(),
            (std::vector<std::string>{"vk 65 down", "vk 65 up", "vk 65 down", "vk 65 up"}));
}

TEST_F(MacroPlayerTest, EventCountBeyondTheBufferPlaysAtMostFiveHundred) {
  auto macro = Macro({});
  for (int i = 0; i < settings::kMaxMacroEvents; ++i) {
    macro->Data[4 * i] = kA;
    macro->Data[4 * i + 1] = static_cast<std::uint8_t>(i % 2 == 0 ? 1 : 2);
  }
  macro->EventCount = 0xFFFF;
  ASSERT_EQ(player.Arm(*macro), MacroPlayer::ArmResult::Start);
  player.Play();
  EXPECT_EQ(injector.Inputs.size(), 500u);
  EXPECT_EQ(DecodeMacroEvents(*macro).size(), 500u);
}

TEST_F(MacroPlayerTest, ReleaseOfAKeyNeverPressedAndUnknownCodesAreHarmless) {
  auto macro = Macro({{kB, 2, 1}, {0x32, 1, 1}, {kA, 7, 5}, {kA, 1, 1}, {kA, 2, 1}});
  ASSERT_EQ(player.Arm(*macro), MacroPlayer::ArmResult::Start);
  player.Play();
  EXPECT_EQ(injector.Names(), (std::vector<std::string>{"vk 66 up", "vk 65 down", "vk 65 up"}));
  EXPECT_EQ(timer.Now(), 9u);
}

TEST_F(MacroPlayerTest, FailedStartLeavesThePlayerIdle) {
  auto macro = Macro({{kA, 1, 1}});
  ASSERT_EQ(player.Arm(*macro), MacroPlayer::ArmResult::Start);
  player.StartFailed();
  EXPECT_FALSE(player.Playing());
  EXPECT_EQ(player.Arm(*macro), MacroPlayer::ArmResult::Start);
}

TEST_F(MacroPlayerTest, ShutdownStopsAPlayingMacro) {
  auto macro = Macro({{kA, 1, 10}, {kA, 2, 10}}, -1);
  ASSERT_EQ(player.Arm(*macro), MacroPlayer::ArmResult::Start);
  timer.At(1000, [&] { player.Shutdown(); });
  player.Play();
  EXPECT_FALSE(player.Playing());
  EXPECT_EQ(injector.Names().back(), "vk 65 up");
}

}  // namespace
}  // namespace karvo::monitor
