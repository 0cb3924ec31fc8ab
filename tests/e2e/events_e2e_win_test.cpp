// Button functions end to end: the monitor and the virtual mouse, a button pressed with
// mousectl, and what comes out of the monitor seen from outside: injected keys in a low-level
// keyboard hook, the active slot in the shared block and config.ini, messages to a stand-in
// configurator and stand-in media players.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "settings/settings_image.h"
#include "tests/e2e/events_hook_win.h"
#include "tests/e2e/transfer_suite_win.h"

namespace karvo::e2e {
namespace {

using settings::SettingsImage;

// Bounds against hangs, never measured.
constexpr DWORD kActionTimeoutMs = 30000;
using platform::kMsgProfileChanged;

constexpr std::uint8_t kKeyA = 0x04, kKeyB = 0x05, kKeyC = 0x06;
constexpr std::uint8_t kShiftMask = 0x02;

// Physical buttons 3..7 are records 2..6 in button mode 1.
constexpr int kComboButton = 3;
constexpr int kMacroButton = 4;
constexpr int kCycleButton = 5;
constexpr int kFirstProfileButton = 6;
constexpr int kPlayPauseButton = 7;
constexpr int kNextTrackButton = 8;  // record 0

void SetMacro(settings::MacroKeyInfo& record) {
  record.FunctionCode = 16;
  settings::SetFieldText(record.Name, "Typing");
  const std::uint8_t events[] = {kKeyB, 1, 40, 0, kKeyB, 2, 40, 0, kKeyC, 1, 40, 0, kKeyC, 2, 1, 0};
  std::memset(record.Data, 0, sizeof record.Data);
  std::memcpy(record.Data, events, sizeof events);
  record.EventCount = 4;
  record.RepeatCount = 1;
}

std::string Describe(const std::vector<HookedKey>& keys) {
  std::string text;
  for (const HookedKey& k : keys) {
    text += std::to_string(k.VirtualKey) + (k.Up ? " up, " : " down, ");
  }
  return text;
}

std::vector<std::pair<DWORD, bool>> Sequence(const std::vector<HookedKey>& keys) {
  std::vector<std::pair<DWORD, bool>> seq;
  for (const HookedKey& k : keys) {
    if (k.Injected) seq.emplace_back(k.VirtualKey, k.Up);
  }
  return seq;
}

class EventsEndToEnd : public SuiteTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(InstallSuite());
    ASSERT_TRUE(m_hook.Ok()) << "low-level keyboard hook not installed";
    ASSERT_NO_FATAL_FAILURE(StartMonitor());

    // The same assignments in every slot.
    ASSERT_NO_FATAL_FAILURE(Apply([](SettingsImage& image) {
      for (int slot = 0; slot < settings::kProfileCount; ++slot) {
        settings::ProfileSettings& p = image.Profiles[slot];
        p.HDDKeyboard = 1;
        p.MediaOption = 3;  // Winamp
        p.MacroKeys[2].FunctionCode = 5;
        p.MacroKeys[2].Data[0] = kKeyA;
        p.MacroKeys[2].Data[1] = kShiftMask;
        SetMacro(p.MacroKeys[3]);
        p.MacroKeys[4].FunctionCode = 18;   // profile cycle
        p.MacroKeys[5].FunctionCode = 179;  // profile 1
        p.MacroKeys[6].FunctionCode = 28;   // play/pause
        p.MacroKeys[0].FunctionCode = 27;   // next track
        for (int r = 0; r < settings::kButtonRecordCount; ++r) image.ButtonChanged[slot][r] = 1;
      }
    }));
    m_hook.Clear();
  }

  void Click(int button) {
    ToolRun run = Mousectl(*m_dir, "click " + std::to_string(button));
    ASSERT_EQ(run.exitCode, 0u) << run.output;
  }

  void ApplyMediaOption(int option) {
    Apply([option](SettingsImage& image) {
      for (int slot = 0; slot < settings::kProfileCount; ++slot) {
        image.Profiles[slot].MediaOption = option;
      }
    });
  }

  KeyboardHook m_hook;
};

TEST_F(EventsEndToEnd, KeyCombinationButtonInjectsShiftAroundTheKey) {
  ASSERT_NO_FATAL_FAILURE(Click(kComboButton));
  ASSERT_TRUE(m_hook.WaitForCount(4, kActionTimeoutMs)) << Describe(m_hook.Keys());
  m_configurator.Pump(300);
  const std::vector<HookedKey> keys = m_hook.Keys();
  const std::vector<std::pair<DWORD, bool>> expected = {
      {VK_SHIFT, false}, {'A', false}, {'A', true}, {VK_SHIFT, true}};
  EXPECT_EQ(Sequence(keys), expected) << Describe(keys);
  // The steps are spaced, so each arrives after the one before.
  for (std::size_t i = 1; i < keys.size(); ++i) EXPECT_GT(keys[i].AtUs, keys[i - 1].AtUs);
}

TEST_F(EventsEndToEnd, MacroButtonPlaysItsEventsInOrder) {
  ASSERT_NO_FATAL_FAILURE(Click(kMacroButton));
  ASSERT_TRUE(m_hook.WaitForCount(4, kActionTimeoutMs)) << Describe(m_hook.Keys());
  m_configurator.Pump(300);
  const std::vector<HookedKey> keys = m_hook.Keys();
  const std::vector<std::pair<DWORD, bool>> expected = {
      {'B', false}, {'B', true}, {'C', false}, {'C', true}};
  EXPECT_EQ(Sequence(keys), expected) << Describe(keys);
  for (std::size_t i = 1; i < keys.size(); ++i) EXPECT_GT(keys[i].AtUs, keys[i - 1].AtUs);
}

TEST_F(EventsEndToEnd, ProfileButtonsMoveTheActiveSlotAndTellTheConfigurator) {
  ASSERT_EQ(BlockProfile(), 0);
  const int before = m_configurator.Count(kMsgProfileChanged);
  ASSERT_NO_FATAL_FAILURE(Click(kCycleButton));
  ASSERT_TRUE(m_configurator.WaitFor(kMsgProfileChanged, before + 1, kActionTimeoutMs));
  EXPECT_EQ(BlockProfile(), 1);
  EXPECT_EQ(IniProfile(), 1);

  ASSERT_TRUE(Mousectl(*m_dir, "reports --clear").exitCode == 0);
  ASSERT_NO_FATAL_FAILURE(Click(kFirstProfileButton));
  ASSERT_TRUE(m_configurator.WaitFor(kMsgProfileChanged, before + 2, kActionTimeoutMs));
  EXPECT_EQ(BlockProfile(), 0);
  // The mouse is told by the worker's current-profile report.
  EXPECT_TRUE(WaitUntil([&] {
    std::optional<MouseState> state = ParseMouseState(Mousectl(*m_dir, "state").output);
    return state && state->activeSlot == 0;
  }));
}

TEST_F(EventsEndToEnd, PlayPauseReachesWinampAlternately) {
  RecordingWindow winamp("Winamp v1.x", "Winamp");
  ASSERT_TRUE(winamp.Ok());
  ASSERT_NO_FATAL_FAILURE(Click(kPlayPauseButton));
  ASSERT_TRUE(winamp.WaitForCount(1, kActionTimeoutMs));
  ASSERT_NO_FATAL_FAILURE(Click(kPlayPauseButton));
  ASSERT_TRUE(winamp.WaitForCount(2, kActionTimeoutMs));
  m_configurator.Pump(300);
  const auto& received = winamp.Received();
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[0].Message, static_cast<UINT>(WM_COMMAND));
  EXPECT_EQ(received[0].WParam, 40045u);
  EXPECT_EQ(received[1].WParam, 40046u);
  // The system media key goes out with each press.
  ASSERT_TRUE(m_hook.WaitForCount(4, kActionTimeoutMs));
  const std::vector<std::pair<DWORD, bool>> expected = {{VK_MEDIA_PLAY_PAUSE, false},
                                                        {VK_MEDIA_PLAY_PAUSE, true},
                                                        {VK_MEDIA_PLAY_PAUSE, false},
                                                        {VK_MEDIA_PLAY_PAUSE, true}};
  EXPECT_EQ(Sequence(m_hook.Keys()), expected) << Describe(m_hook.Keys());
}

TEST_F(EventsEndToEnd, NextTrackReachesITunesAsCtrlRight) {
  ASSERT_NO_FATAL_FAILURE(ApplyMediaOption(1));
  RecordingWindow itunes("iTunes", "iTunes");
  ASSERT_TRUE(itunes.Ok());
  ASSERT_NO_FATAL_FAILURE(Click(kNextTrackButton));
  ASSERT_TRUE(itunes.WaitForCount(4, kActionTimeoutMs));
  m_configurator.Pump(300);
  const auto& received = itunes.Received();
  ASSERT_EQ(received.size(), 4u);
  const ReceivedMessage expected[] = {{WM_KEYDOWN, VK_CONTROL, 0x001D0001},
                                      {WM_KEYDOWN, VK_RIGHT, 0x014D0001},
                                      {WM_KEYUP, VK_RIGHT, static_cast<LPARAM>(0xC14D0001u)},
                                      {WM_KEYUP, VK_CONTROL, static_cast<LPARAM>(0xC01D0001u)}};
  for (std::size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(received[i].Message, expected[i].Message);
    EXPECT_EQ(received[i].WParam, expected[i].WParam);
    EXPECT_EQ(received[i].LParam, expected[i].LParam);
  }
}

}  // namespace
}  // namespace karvo::e2e
