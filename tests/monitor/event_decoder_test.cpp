#include "monitor/event_decoder.h"

#include <gtest/gtest.h>

namespace karvo::monitor {
namespace {

TEST(EventDecoderTest, ButtonNumbersMapToTheirRecords) {
  // Button number b = position + 1; position 0 (the primary button) has no record.
  const int expected[] = {-1, -1, 0, 2, 3, 4, 5, 6, 0, 1, 0, 1, 9, 10, 11, 12, 13, 7, 8, 5, -1, -1};
  for (std::uint32_t b = 0; b < std::size(expected); ++b) {
    std::optional<int> r = RecordIndexForButton(b);
    SCOPED_TRACE(b);
    if (expected[b] < 0) {
      EXPECT_FALSE(r.has_value());
    } else {
      ASSERT_TRUE(r.has_value());
      EXPECT_EQ(*r, expected[b]);
    }
  }
  EXPECT_FALSE(RecordIndexForButton(0xFFFFFFFFu).has_value());
  EXPECT_FALSE(RecordIndexForButton(256 + 3).has_value());
}

TEST(EventDecoderTest, DeviceMessageKeepsOnlyTheLowHalfOfLParam) {
  EXPECT_EQ(WordFromDeviceMessage(0x4000, 0x0103), 0x40000103u);
  EXPECT_EQ(WordFromDeviceMessage(0xB000, static_cast<std::intptr_t>(0x7FFF0012)), 0xB0000012u);
  EXPECT_EQ(WordFromDeviceMessage(0xF000, -1), 0xF000FFFFu);
}

TEST(EventDecoderTest, PresenceMessageBecomesArrivalRemovalOrNothing) {
  EXPECT_EQ(WordFromPresenceMessage(1), 0x7F000001u);
  EXPECT_EQ(WordFromPresenceMessage(0), 0x7F000002u);
  EXPECT_EQ(WordFromPresenceMessage(2), 0x7F000000u);
  EXPECT_EQ(WordFromPresenceMessage(static_cast<std::uintptr_t>(-1)), 0x7F000000u);
}

}  // namespace
}  // namespace karvo::monitor
