#include "monitor/action_dispatcher.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "input_fakes.h"
#include "monitor/key_combination.h"
#include "monitor/monitor_messages.h"
#include "player_fakes.h"

namespace karvo::monitor {
namespace {

using testing::FakePlayers;
using testing::RecordingInjector;
using testing::UsLayout;
using testing::VirtualTimer;

const char* CompanionName(Companion c) {
  return c == Companion::Configurator ? "configurator" : c == Companion::Osd ? "osd" : "other";
}

class FakeDispatchHost final : public IDispatchHost {
 public:
  std::unique_ptr<settings::SettingsImage> Image = std::make_unique<settings::SettingsImage>();
  NoticeSwitches Switches;
  std::set<Companion> Windows{Companion::Configurator, Companion::Osd};
  bool PlayerPostSucceeds = true;
  std::vector<std::string> Calls;
  int PlayerPosts = 0;

  FakeDispatchHost() {
    settings::ResetImage(Image.get());
    for (int slot = 0; slot < settings::kProfileCount; ++slot) {
      settings::SetProfileDefaults(&Image->Profiles[slot], slot);
    }
    Image->CurrentProfile = 0;
  }

  void WithSettings(const std::function<void(settings::SettingsImage&)>& fn) override {
    fn(*Image);
  }
  void WriteSharedBlock() override {
    Calls.push_back("block " + std::to_string(Image->CurrentProfile));
  }
  void SaveAll() override { Calls.push_back("save"); }
  void SetCurrentProfile(int slot) override {
    Calls.push_back("ini profile " + std::to_string(slot));
  }
  NoticeSwitches Notices() override { return Switches; }
  void WriteMacroNotice(int number, std::string_view name) override {
    Calls.push_back("macro notice " + std::to_string(number) + " " + std::string(name));
  }
  bool WindowExists(Companion c) override { return Windows.count(c) != 0; }
  void PostTo(Companion c, std::uint32_t m, std::uintptr_t wp, std::intptr_t lp) override {
    Calls.push_back(std::string("post ") + CompanionName(c) + " " + std::to_string(m) + " " +
                    std::to_string(wp) + " " + std::to_string(lp));
  }
  bool PostWorker(std::uint32_t job, std::intptr_t) override {
    Calls.push_back("worker " + std::to_string(job));
    return true;
  }
  bool PostMacroPlayer() override {
    ++PlayerPosts;
    Calls.push_back("player");
    return PlayerPostSucceeds;
  }
  void OpenProgram(std::string_view path) override { Calls.push_back("open " + std::string(path)); }
  void LaunchMediaPlayer(int option) override {
    Calls.push_back("launch " + std::to_string(option));
  }
  void Log(std::string_view) override {}
};

constexpr std::uint32_t Word(std::uint32_t type, std::uint32_t param) { return type << 16 | param; }

class ActionDispatcherTest : public ::testing::Test {
 protected:
  FakeDispatchHost host;
  VirtualTimer timer;
  RecordingInjector injector{timer};
  UsLayout layout;
  FakePlayers players{timer};
  MacroPlayer player{injector, timer, layout};
  MediaKeys media{injector, timer, players};
  ActionDispatcher dispatcher{host, player, media, injector, timer, layout};

  settings::ProfileSettings& Slot(int n) { return host.Image->Profiles[n]; }
  settings::MacroKeyInfo& Record(int r) { return Slot(host.Image->CurrentProfile).MacroKeys[r]; }
  void Assign(int r, std::uint8_t code) { Record(r).FunctionCode = code; }
  void Program(int r, const char* path) {
    Assign(r, kFunctionOpenProgram);
    settings::SetFieldText(Record(r).ProgramPath, path);
  }
  void MacroOf(int r, const char* name) {
    Assign(r, kFunctionMacro);
    settings::SetFieldText(Record(r).Name, name);
    Record(r).EventCount = 2;
    Record(r).RepeatCount = 1;
    const std::uint8_t data[] = {0x04, 1, 5, 0, 0x04, 2, 5, 0};
    std::memcpy(Record(r).Data, data, sizeof data);
  }
};

TEST_F(ActionDispatcherTest, PresenceAndConfiguratorButtonAreLeftToTheMonitorCore) {
  EXPECT_FALSE(dispatcher.Dispatch(Word(0x7F00, 1)));
  EXPECT_FALSE(dispatcher.Dispatch(Word(0xA000, 1)));
  EXPECT_TRUE(dispatcher.Dispatch(Word(0x1234, 1)));
  EXPECT_TRUE(dispatcher.Dispatch(Word(0x4000, 3)));
  EXPECT_TRUE(host.Calls.empty());
}

TEST_F(ActionDispatcherTest, ButtonNumbersReachTheirRecordsAndOthersDoNothing) {
  for (int r = 0; r < settings::kButtonRecordCount; ++r) {
    Program(r, ("prog" + std::to_string(r)).c_str());
  }
  // Button number -> record opened.
  const std::pair<std::uint32_t, const char*> cases[] = {
      {2, "open prog0"},  {3, "open prog2"},  {7, "open prog6"},   {8, "open prog0"},
      {9, "open prog1"},  {12, "open prog9"}, {16, "open prog13"}, {17, "open prog7"},
      {18, "open prog8"}, {19, "open prog5"}};
  for (auto [button, expected] : cases) {
    host.Calls.clear();
    dispatcher.Dispatch(Word(0x4000, button));
    EXPECT_EQ(host.Calls, (std::vector<std::string>{expected})) << button;
  }
  host.Calls.clear();
  for (std::uint32_t param : {0u, 1u, 20u, 0xFFu, 0x0103u, 0x0203u})
    dispatcher.Dispatch(Word(0x4000, param));
  EXPECT_TRUE(host.Calls.empty());
}

TEST_F(ActionDispatcherTest, ReleaseDoesNothing) {
  Program(2, "x.exe");
  dispatcher.Dispatch(Word(0x4000, 0x0103));
  EXPECT_TRUE(host.Calls.empty());
}

TEST_F(ActionDispatcherTest, KeyboardFunctionsOffLeaveOnlyProgramLaunches) {
  Slot(0).HDDKeyboard = 0;
  MacroOf(2, "m");
  Assign(3, kFunctionCalculator);
  Program(4, "run.exe");
  dispatcher.Dispatch(Word(0x4000, 3));
  dispatcher.Dispatch(Word(0x4000, 4));
  dispatcher.Dispatch(Word(0x4000, 5));
  EXPECT_EQ(host.Calls, (std::vector<std::string>{"open run.exe"}));
  EXPECT_TRUE(injector.Inputs.empty());
  EXPECT_FALSE(player.Playing());
}

TEST_F(ActionDispatcherTest, LaunchKeysAreExtendedVirtualKeyPresses) {
  Assign(2, kFunctionCalculator);
  Assign(3, kFunctionMail);
  Assign(4, kFunctionMyComputer);
  Assign(5, 7);  // browser forward: done by the mouse
  for (std::uint32_t b : {3u, 4u, 5u, 6u}) dispatcher.Dispatch(Word(0x4000, b));
  EXPECT_EQ(injector.Names(),
            (std::vector<std::string>{"vk 183 down ext", "vk 183 up ext", "vk 180 down ext",
                                      "vk 180 up ext", "vk 182 down ext", "vk 182 up ext"}));
}

TEST_F(ActionDispatcherTest, KeyCombinationPlaysDataByteZeroWithMaskByteOne) {
  Assign(2, kFunctionKeyCombination);
  Record(2).Data[0] = 0x05;  // B
  Record(2).Data[1] = kModifierCtrl;
  dispatcher.Dispatch(Word(0x4000, 3));
  EXPECT_EQ(injector.Names(),
            (std::vector<std::string>{"vk 17 down", "vk 66 down", "vk 66 up", "vk 17 up"}));
}

TEST_F(ActionDispatcherTest, MacroButtonArmsThePlayerAndStoresTheNotice) {
  host.Switches.ShowMacro = true;
  MacroOf(4, "Combo");
  dispatcher.Dispatch(Word(0x4000, 5));
  EXPECT_EQ(host.Calls,
            (std::vector<std::string>{"player", "macro notice 4 Combo", "post osd 1324 70 0"}));
  EXPECT_TRUE(player.Playing());
  player.Play();
  EXPECT_EQ(injector.Names(), (std::vector<std::string>{"vk 65 down", "vk 65 up"}));
}

TEST_F(ActionDispatcherTest, MacroNoticeNeedsTheSwitchAndAPress) {
  MacroOf(4, "Combo");
  dispatcher.Dispatch(Word(0x4000, 5));
  EXPECT_EQ(host.Calls, (std::vector<std::string>{"player"}));
  host.Switches.ShowMacro = true;
  host.Windows.erase(Companion::Osd);
  host.Calls.clear();
  dispatcher.Dispatch(Word(0x4000, 0x0105));
  EXPECT_TRUE(host.Calls.empty());
  dispatcher.Dispatch(Word(0x4000, 5));  // stops the playing macro, notice without the window
  EXPECT_EQ(host.Calls, (std::vector<std::string>{"macro notice 4 Combo"}));
}

TEST_F(ActionDispatcherTest, UnreachablePlayerLeavesTheMacroIdle) {
  host.PlayerPostSucceeds = false;
  MacroOf(2, "m");
  dispatcher.Dispatch(Word(0x4000, 3));
  EXPECT_FALSE(player.Playing());
}

TEST_F(ActionDispatcherTest, PauseAndStopButtonsControlThePlayer) {
  MacroOf(2, "m");
  Record(2).RepeatCount = -1;
  Assign(3, kFunctionMacroPauseResume);
  Assign(4, kFunctionMacroStop);
  dispatcher.Dispatch(Word(0x4000, 3));
  timer.At(22, [&] { dispatcher.Dispatch(Word(0x4000, 4)); });  // pause
  player.Play();
  EXPECT_TRUE(player.Paused());
  EXPECT_EQ(host.PlayerPosts, 1);
  dispatcher.Dispatch(Word(0x4000, 4));  // resume
  EXPECT_EQ(host.PlayerPosts, 2);
  timer.At(timer.Now() + 30, [&] { dispatcher.Dispatch(Word(0x4000, 5)); });  // stop
  player.Play();
  EXPECT_FALSE(player.Playing());
  EXPECT_FALSE(player.Paused());
}

TEST_F(ActionDispatcherTest, ProfileFunctionSwitchesOnlyToAnotherSlot) {
  host.Switches.ShowProfile = true;
  Assign(2, 179);
  Assign(3, 182);
  dispatcher.Dispatch(Word(0x4000, 3));
  EXPECT_TRUE(host.Calls.empty());
  dispatcher.Dispatch(Word(0x4000, 4));
  EXPECT_EQ(host.Image->CurrentProfile, 3);
  EXPECT_EQ(host.Calls,
            (std::vector<std::string>{"ini profile 3", "block 3", "worker 3",
                                      "post configurator 1255 0 0", "post osd 1324 40 196608"}));
}

TEST_F(ActionDispatcherTest, SwitchProfileRefusesSlotsOutsideTheFive) {
  dispatcher.SwitchProfile(5);
  dispatcher.SwitchProfile(-1);
  EXPECT_TRUE(host.Calls.empty());
  host.Windows.clear();
  dispatcher.SwitchProfile(4);
  EXPECT_EQ(host.Calls, (std::vector<std::string>{"ini profile 4", "block 4", "worker 3"}));
}

TEST_F(ActionDispatcherTest, ProfileEventFromTheMouse) {
  host.Switches.ShowProfile = true;
  dispatcher.Dispatch(Word(0x3000, 0));
  dispatcher.Dispatch(Word(0x3000, 6));
  dispatcher.Dispatch(Word(0x3000, 0x0102));
  EXPECT_TRUE(host.Calls.empty());
  EXPECT_EQ(host.Image->CurrentProfile, 0);
  dispatcher.Dispatch(Word(0x3000, 5));
  EXPECT_EQ(host.Image->CurrentProfile, 4);
  EXPECT_EQ(host.Calls,
            (std::vector<std::string>{"ini profile 4", "block 4", "post configurator 1255 0 0",
                                      "post osd 1324 40 262144"}));
}

TEST_F(ActionDispatcherTest, CpiEventPicksTheLastMatchingLevel) {
  host.Switches.ShowDpi = true;
  Slot(0).CpiSettingValue1 = 3;
  Slot(0).CpiSettingValue2 = 5;
  Slot(0).CpiSettingValue3 = 5;
  Slot(0).CurrentDpiDefault = 0;
  dispatcher.Dispatch(Word(0xB000, 5));
  EXPECT_EQ(Slot(0).CurrentDpiDefault, 2);
  EXPECT_EQ(host.Calls, (std::vector<std::string>{"save", "block 0", "post configurator 1265 0 2",
                                                  "post osd 1324 128 5"}));
  host.Calls.clear();
  dispatcher.Dispatch(Word(0xB000, 7));  // no match: still saved and announced, level kept
  EXPECT_EQ(Slot(0).CurrentDpiDefault, 2);
  EXPECT_EQ(host.Calls, (std::vector<std::string>{"save", "block 0", "post configurator 1265 0 2",
                                                  "post osd 1324 128 7"}));
}

TEST_F(ActionDispatcherTest, ButtonModeEvent) {
  dispatcher.Dispatch(Word(0xFF00, 2));
  EXPECT_EQ(Slot(0).SecondModeActive, 1);
  dispatcher.Dispatch(Word(0xFF00, 1));
  EXPECT_EQ(Slot(0).SecondModeActive, 0);
  dispatcher.Dispatch(Word(0xFF00, 3));
  EXPECT_EQ(host.Calls, (std::vector<std::string>{"block 0", "post configurator 1261 0 2",
                                                  "block 0", "post configurator 1261 0 1"}));
}

TEST_F(ActionDispatcherTest, ProgramButtonOpensRegardlessOfKeyboardFunctions) {
  Slot(0).HDDKeyboard = 0;
  Program(6, "C:\\Tools\\a.exe");
  Assign(5, kFunctionCalculator);
  dispatcher.Dispatch(Word(0x6000, 7));
  dispatcher.Dispatch(Word(0x6000, 6));       // not a program record
  dispatcher.Dispatch(Word(0x6000, 0x0107));  // high byte set
  dispatcher.Dispatch(Word(0x6000, 1));
  EXPECT_EQ(host.Calls, (std::vector<std::string>{"open C:\\Tools\\a.exe"}));
  EXPECT_TRUE(injector.Inputs.empty());
}

TEST_F(ActionDispatcherTest, ProgramButtonNumbersStopAtEighteen) {
  for (int r = 0; r < settings::kButtonRecordCount; ++r) {
    Program(r, ("prog" + std::to_string(r)).c_str());
  }
  const std::pair<std::uint32_t, std::vector<std::string>> cases[] = {
      {1, {}}, {2, {"open prog0"}}, {17, {"open prog7"}}, {18, {"open prog8"}}, {19, {}}, {20, {}}};
  for (const auto& [button, expected] : cases) {
    host.Calls.clear();
    dispatcher.Dispatch(Word(0x6000, button));
    EXPECT_EQ(host.Calls, expected) << button;
  }
}

TEST_F(ActionDispatcherTest, ProgramPathIsReadOnlyWithinItsField) {
  Program(2, "");
  std::memset(Record(2).ProgramPath, 'x', sizeof Record(2).ProgramPath);
  dispatcher.Dispatch(Word(0x4000, 3));
  ASSERT_EQ(host.Calls.size(), 1u);
  EXPECT_EQ(host.Calls[0].size(), 5u + sizeof Record(2).ProgramPath);
  Program(2, "");
  host.Calls.clear();
  dispatcher.Dispatch(Word(0x4000, 3));
  EXPECT_TRUE(host.Calls.empty());
}

TEST_F(ActionDispatcherTest, MediaKeysUseTheSlotsPlayer) {
  Slot(0).MediaOption = kPlayerWinamp;
  players.WinampWindow = 1;
  dispatcher.Dispatch(Word(0xF000, 35));
  dispatcher.Dispatch(Word(0xF000, 0x0123));  // release
  dispatcher.Dispatch(Word(0xF000, 32));
  EXPECT_EQ(injector.Names(), (std::vector<std::string>{"vk 179 down ext", "vk 179 up ext"}));
  EXPECT_EQ(players.Calls, (std::vector<std::string>{"0 send 1 111 9c6d 00000000"}));
  EXPECT_EQ(host.Calls, (std::vector<std::string>{"launch 3"}));
}

TEST_F(ActionDispatcherTest, CurrentProfileOutsideTheFiveIsNotFollowed) {
  host.Image->CurrentProfile = 7;
  dispatcher.Dispatch(Word(0x4000, 3));
  dispatcher.Dispatch(Word(0x6000, 3));
  dispatcher.Dispatch(Word(0xB000, 3));
  dispatcher.Dispatch(Word(0xFF00, 2));
  dispatcher.Dispatch(Word(0xF000, 33));
  EXPECT_TRUE(host.Calls.empty());
  EXPECT_TRUE(injector.Inputs.empty());
}

TEST_F(ActionDispatcherTest, ArbitraryWordsAndRecordsKeepTheStateInBounds) {
  std::uint32_t x = 2463534242u;
  auto next = [&] {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return x;
  };
  int dispatched = 0;
  for (int round = 0; round < 3000; ++round) {
    settings::MacroKeyInfo& record =
        Record(static_cast<int>(next() % settings::kButtonRecordCount));
    record.FunctionCode = static_cast<std::uint8_t>(next());
    record.EventCount = static_cast<std::uint16_t>(next());
    record.RepeatCount = static_cast<std::int32_t>(next() % 3) - 1;
    for (int i = 0; i < 16; ++i)
      record.Data[next() % sizeof record.Data] = static_cast<std::uint8_t>(next());
    record.ProgramPath[next() % sizeof record.ProgramPath] = static_cast<char>(next());
    static const std::uint32_t kTypes[] = {0x3000, 0x4000, 0x6000, 0xB000, 0xF000, 0xFF00};
    std::uint32_t type = next() % 8 < 6 ? kTypes[next() % 6] : next() >> 16;
    dispatcher.Dispatch(type << 16 | (next() & 0xFFFF));
    ++dispatched;
    timer.At(timer.Now() + next() % 50, [&] { player.Stop(); });
    player.Play();
    ASSERT_GE(host.Image->CurrentProfile, 0);
    ASSERT_LT(host.Image->CurrentProfile, settings::kProfileCount);
    ASSERT_FALSE(player.Playing());
  }
  EXPECT_LE(host.PlayerPosts, dispatched);
}

}  // namespace
}  // namespace karvo::monitor
