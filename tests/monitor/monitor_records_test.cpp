#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "monitor/companions.h"
#include "monitor/hand_off_text.h"
#include "monitor/shared_block_layout.h"

namespace karvo::monitor {
namespace {

TEST(SharedBlockFlags, ResetZeroesExactlyTheChangeFlagAreas) {
  std::vector<std::uint8_t> block(kSharedBlockSize, 0xAB);
  ResetChangeFlags(BlockBytes(block.data(), kSharedBlockSize));
  struct Range {
    std::size_t Begin, End;
  };
  const Range zeroed[] = {{169824, 170104}, {170108, 170128}, {170128, 170132}, {170132, 170152},
                          {170152, 170172}, {170172, 170192}, {170256, 170276}};
  for (std::size_t i = 0; i < kSharedBlockSize; ++i) {
    bool inZeroed = false;
    for (const Range& r : zeroed) inZeroed |= (i >= r.Begin && i < r.End);
    ASSERT_EQ(block[i], inZeroed ? 0 : 0xAB) << "offset " << i;
  }
}

TEST(SharedBlockFlags, ClearButtonChangedLeavesTheOtherFlags) {
  std::vector<std::uint8_t> block(kSharedBlockSize, 1);
  ClearButtonChanged(BlockBytes(block.data(), kSharedBlockSize));
  EXPECT_EQ(block[kButtonChangedOffset - 1], 1);
  EXPECT_EQ(block[kButtonChangedOffset], 0);
  EXPECT_EQ(block[kButtonChangedOffset + kButtonChangedSize - 1], 0);
  EXPECT_EQ(block[kButtonChangedOffset + kButtonChangedSize], 1);
  EXPECT_EQ(block[kProfileChangedOffset], 1);
}

std::array<unsigned char, 151> Filled(unsigned char fill) {
  std::array<unsigned char, 151> record;
  record.fill(fill);
  record[0] = 1;
  return record;
}

TEST(HandOffText, TextIsBoundedByTheRecordWhateverTheSenderPutThere) {
  auto unterminated = Filled('x');
  auto text = HandOffText(151, unterminated.data());
  ASSERT_TRUE(text);
  EXPECT_EQ(*text, std::string(kHandOffTextLimit, 'x'));

  auto shortText = Filled(0);
  std::memcpy(shortText.data() + 1, "RAM LOAD: 42%", 13);
  EXPECT_EQ(HandOffText(151, shortText.data()), "RAM LOAD: 42%");

  auto empty = Filled(0);
  EXPECT_EQ(HandOffText(151, empty.data()), "");
}

TEST(HandOffText, LineBreaksCannotReachTheIniFile) {
  const char* injected[] = {"1 New Mail\r\n[Setting]\r\nDevice=1", "1 New Mail\n[OSDSetting]",
                            "1 New Mail\tx"};
  for (const char* value : injected) {
    auto record = Filled(0);
    std::memcpy(record.data() + 1, value, std::strlen(value));
    EXPECT_EQ(HandOffText(151, record.data()), "1 New Mail") << value;
  }
}

TEST(HandOffText, OtherSizesAndNoDataAreIgnored) {
  auto record = Filled('a');
  for (std::uint32_t size : {0u, 1u, 150u, 152u, 0xFFFFFFFFu}) {
    EXPECT_FALSE(HandOffText(size, record.data())) << size;
  }
  EXPECT_FALSE(HandOffText(151, nullptr));
}

TEST(Companions, PathsAndTitles) {
  struct Case {
    Companion Which;
    const char* Path;
    const char* Title;
  };
  const Case cases[] = {
      {Companion::Configurator, "C:\\K\\KARVO Gaming Mouse Option.exe",
       "KARVO Gaming Mouse Option"},
      {Companion::Osd, "C:\\K\\KARVO Gaming Mouse OSD.exe", "KARVO Gaming Mouse OSD"},
      {Companion::LoadNotifier, "C:\\K\\Applets\\Loadpeek.exe", "KARVO Gaming Mouse CPU RAM OSD"},
      {Companion::MailNotifier, "C:\\K\\Applets\\Mailpeek.exe", "KARVO Gaming Mouse Pop3"},
      {Companion::VoiceNotifier, "C:\\K\\Applets\\Osdtalk.exe", "KARVO Gaming Mouse OSD SKYPE"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CompanionPath("C:\\K\\", c.Which), c.Path);
    EXPECT_EQ(CompanionPath("C:\\K", c.Which), c.Path);
    EXPECT_STREQ(Describe(c.Which).WindowTitle, c.Title);
  }
}

}  // namespace
}  // namespace karvo::monitor
