#include "platform/osd_hand_off_win.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "platform/handles.h"
#include "settings/osd_text_record.h"
#include "win_test_support.h"

namespace karvo::mail {
namespace {

using testing::StandInMonitor;

std::string Bytes(const settings::OsdTextRecord& record) {
  return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

TEST(OsdHandOffTest, RecordReachesTheMonitorWindowWhole) {
  StandInMonitor monitor;
  ASSERT_NE(monitor.Hwnd(), nullptr);
  const settings::OsdTextRecord records[] = {
      settings::MakeOsdTextRecord(settings::OsdTextSource::Mail, "2 New Mails"),
      settings::MakeOsdTextRecord(settings::OsdTextSource::CpuLoad, "CPU 99%"),
  };
  for (const settings::OsdTextRecord& record : records) {
    EXPECT_EQ(platform::SendOsdText(record), platform::HandOffResult::Delivered);
  }
  ASSERT_EQ(monitor.received.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(monitor.received[i].wParam, 0u);
    EXPECT_EQ(monitor.received[i].dwData, 0u);
    EXPECT_EQ(monitor.received[i].cbData, 151u);
    EXPECT_EQ(monitor.received[i].bytes, Bytes(records[i]));
  }
}

TEST(OsdHandOffTest, WithoutAMonitorTheRecordIsDropped) {
  ASSERT_EQ(::FindWindowA(nullptr, platform::kMonitorWindowTitle), nullptr);
  EXPECT_EQ(platform::SendOsdText(
                settings::MakeOsdTextRecord(settings::OsdTextSource::Mail, "1 New Mail")),
            platform::HandOffResult::NoMonitor);
}

TEST(OsdHandOffTest, HungMonitorDoesNotHoldTheApplet) {
  // The stand-in's thread stops taking messages until it is released.
  platform::UniqueHandle ready(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  platform::UniqueHandle release(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(ready && release);
  std::thread hung([&] {
    StandInMonitor monitor;
    ::SetEvent(ready.Get());
    ::WaitForSingleObject(release.Get(), 60000);
  });
  ASSERT_EQ(::WaitForSingleObject(ready.Get(), 10000), WAIT_OBJECT_0);
  EXPECT_EQ(platform::SendOsdText(
                settings::MakeOsdTextRecord(settings::OsdTextSource::Mail, "1 New Mail"), 300),
            platform::HandOffResult::NotDelivered);
  ::SetEvent(release.Get());
  hung.join();
}

}  // namespace
}  // namespace karvo::mail
