#include "monitor/key_combination.h"

#include <gtest/gtest.h>

#include "input_fakes.h"

namespace karvo::monitor {
namespace {

using testing::RecordingInjector;
using testing::UsLayout;
using testing::VirtualTimer;

constexpr std::uint8_t kKeyA = 0x04;

struct CombinationCase {
  std::uint8_t Mask;
  std::vector<std::string> Expected;
};

TEST(KeyCombinationTest, ModifiersFollowTheConfiguratorsMask) {
  const CombinationCase cases[] = {
      {0x00, {"vk 65 down", "vk 65 up"}},
      {kModifierNone, {"vk 65 down", "vk 65 up"}},
      {kModifierNone | kModifierCtrl, {"vk 65 down", "vk 65 up"}},
      {kModifierShift, {"vk 16 down", "vk 65 down", "vk 65 up", "vk 16 up"}},
      {kModifierCtrl, {"vk 17 down", "vk 65 down", "vk 65 up", "vk 17 up"}},
      {kModifierAlt, {"vk 18 down", "vk 65 down", "vk 65 up", "vk 18 up"}},
      {kModifierWindows, {"vk 91 down", "vk 65 down", "vk 65 up", "vk 91 up"}},
      {kModifierShift | kModifierCtrl | kModifierAlt | kModifierWindows,
       {"vk 17 down", "vk 16 down", "vk 18 down", "vk 91 down", "vk 65 down", "vk 65 up",
        "vk 91 up", "vk 18 up", "vk 16 up", "vk 17 up"}},
      // Bits outside the five are not modifiers.
      {0xE0, {"vk 65 down", "vk 65 up"}},
  };
  for (const CombinationCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Mask));
    VirtualTimer timer;
    RecordingInjector injector(timer);
    UsLayout layout;
    PlayKeyCombination(kKeyA, c.Mask, injector, timer, layout);
    EXPECT_EQ(injector.Names(), c.Expected);
  }
}

TEST(KeyCombinationTest, StepsAreHalfASecondApart) {
  VirtualTimer timer;
  RecordingInjector injector(timer);
  UsLayout layout;
  PlayKeyCombination(kKeyA, kModifierCtrl | kModifierShift, injector, timer, layout);
  std::vector<std::uint64_t> times;
  for (const auto& input : injector.Inputs) times.push_back(input.At);
  EXPECT_EQ(times, (std::vector<std::uint64_t>{0, 500, 1000, 1500, 2000, 2500}));
  EXPECT_EQ(injector.Scans[2], 0x1E);  // A's scan code from the layout
}

TEST(KeyCombinationTest, UnknownKeyStillPressesAndReleasesTheModifiers) {
  VirtualTimer timer;
  RecordingInjector injector(timer);
  UsLayout layout;
  PlayKeyCombination(0x32, kModifierAlt, injector, timer, layout);
  EXPECT_EQ(injector.Names(), (std::vector<std::string>{"vk 18 down", "vk 18 up"}));
}

TEST(KeyCombinationTest, SidedModifiersFoldToTheGenericOnes) {
  EXPECT_EQ(FoldModifier(160), 16);
  EXPECT_EQ(FoldModifier(161), 16);
  EXPECT_EQ(FoldModifier(162), 17);
  EXPECT_EQ(FoldModifier(163), 17);
  EXPECT_EQ(FoldModifier(164), 18);
  EXPECT_EQ(FoldModifier(165), 18);
  EXPECT_EQ(FoldModifier(166), 166);
  UsLayout layout;
  EXPECT_EQ(PlaybackVirtualKey(layout, 0xE1), 16);  // Left Shift
  EXPECT_EQ(PlaybackVirtualKey(layout, 0xE4), 17);  // Right Ctrl
  EXPECT_EQ(PlaybackVirtualKey(layout, 0x32), 0);   // not in the table
}

}  // namespace
}  // namespace karvo::monitor
