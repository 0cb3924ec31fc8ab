#include "monitor/config_transfer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace karvo::monitor {
namespace {

using settings::SettingsImage;

constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();

// Virtual time: every sleep advances it, and the cancel flag is raised as soon
// as the time passes `cancelAt` (as if the window thread set it mid-sleep).
class VirtualSleeper : public ISleeper {
 public:
  explicit VirtualSleeper(std::atomic<bool>& cancel) : m_cancel(cancel) {}
  void SleepMs(std::uint32_t ms) override {
    ++sleeps;
    longest = std::max(longest, ms);
    now += ms;
    if (now > cancelAt) m_cancel = true;
  }
  std::uint64_t now = 0;
  std::uint64_t cancelAt = kNever;
  int sleeps = 0;
  std::uint32_t longest = 0;

 private:
  std::atomic<bool>& m_cancel;
};

struct DeviceOp {
  bool set;
  std::vector<std::uint8_t> bytes;
  std::uint64_t at;
};

// A mouse that answers like the real one: status polls, a select that decides
// what the next sensor or button get returns, stored profile data. Single
// operations can be made to fail by kind, id and occurrence.
class FakeMouse : public IDevice {
 public:
  explicit FakeMouse(const VirtualSleeper& clock) : m_clock(clock) {
    for (int i = 0; i < kSlotCount; ++i) {
      sensor[i] = DefaultSensorReport(i);
      buttons[i] = DefaultButtonReport(i);
      levels[i] = 20 + i;
    }
  }

  bool SetFeature(std::uint8_t* report, std::uint32_t length) override {
    ops.push_back({true, {report, report + length}, m_clock.now});
    if (Fails(true, report[0])) return false;
    if (report[0] == kStatusReportId && length >= 3) {
      m_selectedSlot = report[1];
      m_selected = report[2];
    }
    return true;
  }

  bool GetFeature(std::uint8_t* report, std::uint32_t length) override {
    ops.push_back({false, {report, report + length}, m_clock.now});
    const std::uint8_t id = report[0];
    const int levelIndex = m_seen[{false, kLevelReportId}] % kSlotCount;
    if (Fails(false, id)) return false;
    std::vector<std::uint8_t> reply;
    switch (id) {
      case kStatusReportId: {
        std::optional<std::uint8_t> status = kStatusDone;
        if (!statuses.empty()) {
          status = statuses.front();
          if (statuses.size() > 1 || !repeatLastStatus) statuses.pop_front();
        }
        if (!status) return false;
        reply = {kStatusReportId, *status, 0};
        break;
      }
      case kProfileReportId:
        reply = {kProfileReportId, 3, activeSlot};
        break;
      case kLevelReportId:
        reply = {kLevelReportId, 6, levels[levelIndex], 0, 0, 0};
        break;
      case kFirmwareReportId:
        reply = {kFirmwareReportId, 8, firmware, 0, 0, 0, 0, 0};
        break;
      case kSensorReportId:
        if (m_selected != 16 || m_selectedSlot >= kSlotCount) return false;
        reply.assign(sensor[m_selectedSlot].begin(), sensor[m_selectedSlot].end());
        break;
      case kButtonReportId:
        if (m_selected != 32 || m_selectedSlot >= kSlotCount) return false;
        reply.assign(buttons[m_selectedSlot].begin(), buttons[m_selectedSlot].end());
        break;
      default:
        return false;
    }
    if (replyIdOverride) reply[0] = *replyIdOverride;
    std::memcpy(report, reply.data(), std::min<std::size_t>(length, reply.size()));
    return true;
  }

  // The sets (report id, byte 2) in order, status polls and gets left out.
  std::vector<std::pair<int, int>> Sent() const {
    std::vector<std::pair<int, int>> sent;
    for (const auto& op : ops) {
      if (op.set) sent.emplace_back(op.bytes[0], op.bytes.size() > 2 ? op.bytes[2] : -1);
    }
    return sent;
  }
  int Count(bool set, std::uint8_t id) const {
    int n = 0;
    for (const auto& op : ops) n += (op.set == set && op.bytes[0] == id) ? 1 : 0;
    return n;
  }
  std::vector<std::uint64_t> PollTimes() const {
    std::vector<std::uint64_t> times;
    for (const auto& op : ops) {
      if (!op.set && op.bytes[0] == kStatusReportId) times.push_back(op.at);
    }
    return times;
  }

  // Status answers in order; nullopt is a failed poll. When empty, "done".
  std::deque<std::optional<std::uint8_t>> statuses;
  bool repeatLastStatus = false;
  // (set?, id) -> occurrences (0-based) that fail; -1 fails all of them.
  std::map<std::pair<bool, int>, std::vector<int>> failures;
  std::optional<std::uint8_t> replyIdOverride;

  std::uint8_t firmware = 0x31;
  std::uint8_t activeSlot = 2;
  std::array<std::uint8_t, kSlotCount> levels{};
  std::array<SensorReport, kSlotCount> sensor{};
  std::array<ButtonReport, kSlotCount> buttons{};
  std::vector<DeviceOp> ops;

 private:
  bool Fails(bool set, std::uint8_t id) {
    const int occurrence = m_seen[{set, id}]++;
    auto it = failures.find({set, id});
    if (it == failures.end()) return false;
    for (int n : it->second) {
      if (n == -1 || n == occurrence) return true;
    }
    return false;
  }

  const VirtualSleeper& m_clock;
  std::map<std::pair<bool, int>, int> m_seen;
  std::uint8_t m_selectedSlot = 0xFF;
  std::uint8_t m_selected = 0;
};

struct Rig {
  std::atomic<bool> cancel{false};
  VirtualSleeper clock{cancel};
  FakeMouse mouse{clock};
  ReportChannel channel{mouse, clock, cancel};
};

std::unique_ptr<SettingsImage> MakeImage() {
  auto image = std::make_unique<SettingsImage>();
  image->CurrentProfile = 1;
  for (int i = 0; i < kSlotCount; ++i) {
    auto& profile = image->Profiles[i];
    profile.HDDKeyboard = 1;
    profile.XSensitivity = 30 + i;
    profile.YSensitivity = 40 + i;
    profile.LevelSetting = 50 + i;
    for (int n = 0; n < settings::kButtonRecordCount; ++n) {
      profile.MacroKeys[n].Slot = settings::kButtonRecordDefaults[n].Slot;
      profile.MacroKeys[n].FunctionCode = settings::kButtonRecordDefaults[n].FunctionCode;
    }
  }
  return image;
}

struct AckCase {
  const char* name;
  std::vector<std::optional<std::uint8_t>> statuses;
  bool repeatLast;
  int result;
  int polls;
};

void PrintTo(const AckCase& c, std::ostream* os) { *os << c.name; }

class WaitAckSchedule : public testing::TestWithParam<AckCase> {};

TEST_P(WaitAckSchedule, ResultAndPollCount) {
  const AckCase& c = GetParam();
  Rig rig;
  rig.mouse.statuses.assign(c.statuses.begin(), c.statuses.end());
  rig.mouse.repeatLastStatus = c.repeatLast;
  EXPECT_EQ(rig.channel.WaitAck(300), c.result);
  EXPECT_EQ(rig.mouse.Count(false, kStatusReportId), c.polls);
}

const std::optional<std::uint8_t> kFailedPoll;
INSTANTIATE_TEST_SUITE_P(
    Statuses, WaitAckSchedule,
    testing::Values(AckCase{"done", {1}, false, 1, 1}, AckCase{"refused", {2}, false, 0, 1},
                    AckCase{"unknown_status", {0}, false, 0, 1},
                    AckCase{"busy_then_done", {3, 3, 1}, false, 1, 3},
                    AckCase{"busy_then_refused", {3, 7}, false, 0, 2},
                    // A failed first poll leaves the status at 0: no retry.
                    AckCase{"first_poll_fails", {kFailedPoll, 1}, false, 0, 1},
                    // A failed poll keeps the remembered busy status: polling goes on.
                    AckCase{"busy_failed_done", {3, kFailedPoll, 1}, false, 1, 3},
                    AckCase{"busy_forever", {3}, true, 0, 10},
                    AckCase{"busy_then_silent", {3, kFailedPoll}, true, 0, 10},
                    AckCase{"done_on_tenth", {3, 3, 3, 3, 3, 3, 3, 3, 3, 1}, false, 1, 10}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WaitAck, BusyForeverFollowsTheScheduleToFirstDelayPlus9200) {
  for (std::uint32_t firstDelay : {100u, 300u, 500u}) {
    Rig rig;
    rig.mouse.statuses = {kStatusBusy};
    rig.mouse.repeatLastStatus = true;
    EXPECT_EQ(rig.channel.WaitAck(firstDelay), 0);
    const std::vector<std::uint64_t> offsets = {0,    100,  200,  400,  700,
                                                1200, 3200, 5200, 7200, 9200};
    std::vector<std::uint64_t> expected;
    for (auto offset : offsets) expected.push_back(firstDelay + offset);
    EXPECT_EQ(rig.mouse.PollTimes(), expected) << "first delay " << firstDelay;
    EXPECT_EQ(rig.clock.now, firstDelay + 9200u);
    EXPECT_EQ(rig.clock.longest, 100u) << "every wait is made of 100 ms steps";
  }
}

TEST(WaitAck, ReplyWithAnotherIdIsAFailedPoll) {
  Rig rig;
  rig.mouse.replyIdOverride = 9;
  EXPECT_EQ(rig.channel.WaitAck(100), 0);
  EXPECT_EQ(rig.mouse.Count(false, kStatusReportId), 1);
}

TEST(SendReport, FailedSendIsNotPolled) {
  Rig rig;
  rig.mouse.failures[{true, kProfileReportId}] = {-1};
  ProfileReport report = BuildProfileReport(1);
  EXPECT_EQ(rig.channel.SendReport(report, 100), 0);
  EXPECT_EQ(rig.mouse.Count(false, kStatusReportId), 0);
  EXPECT_EQ(rig.clock.now, 0u);
}

TEST(SendReport, ResultIsTheAcknowledgement) {
  for (std::uint8_t status : {1, 2}) {
    Rig rig;
    rig.mouse.statuses = {status};
    ProfileReport report = BuildProfileReport(1);
    EXPECT_EQ(rig.channel.SendReport(report, 100), status == 1 ? 1 : 0);
    ASSERT_EQ(rig.mouse.ops.size(), 2u);
    EXPECT_EQ(rig.mouse.ops[0].bytes, (std::vector<std::uint8_t>{5, 3, 1}));
    EXPECT_EQ(rig.mouse.ops[1].at, 100u);
  }
}

TEST(CancellableWait, StepsOf100AndEarlyStop) {
  Rig rig;
  EXPECT_TRUE(rig.channel.CancellableWait(350));
  EXPECT_EQ(rig.clock.sleeps, 3);
  EXPECT_TRUE(rig.channel.CancellableWait(0));
  EXPECT_EQ(rig.clock.sleeps, 3);

  rig.clock.cancelAt = rig.clock.now + 150;
  EXPECT_FALSE(rig.channel.CancellableWait(2000));
  EXPECT_EQ(rig.clock.now, 500u);

  EXPECT_FALSE(rig.channel.CancellableWait(2000));
  EXPECT_EQ(rig.clock.now, 500u) << "an already set cancel does not sleep";
}

// Runs a job with the cancel flag raised at every 100 ms of its timeline (plus
// an offset inside a step) and checks that it stops within 100 ms, sends
// nothing after the cancel and reports 0 (unless cancelled after `doneAt`,
// when the job's outcome was already settled).
void ExpectCancelHonouredEverywhere(const std::function<void(Rig&)>& setUp,
                                    const std::function<int(Rig&)>& job,
                                    std::uint64_t doneAt = kNever) {
  Rig full;
  setUp(full);
  job(full);
  const std::uint64_t total = full.clock.now;
  ASSERT_GT(total, 0u);
  for (std::uint64_t cancelAt = 0; cancelAt < total; cancelAt += 100) {
    for (std::uint64_t offset : {0u, 1u, 50u, 99u}) {
      const std::uint64_t at = cancelAt + offset;
      if (at >= total) continue;
      Rig rig;
      setUp(rig);
      rig.clock.cancelAt = at;
      const int result = job(rig);
      if (at < doneAt) {
        EXPECT_EQ(result, 0) << "cancelled at " << at;
      }
      EXPECT_LE(rig.clock.now, at + 100) << "cancelled at " << at;
      for (const auto& op : rig.mouse.ops) {
        EXPECT_LE(op.at, at) << "report " << int(op.bytes[0]) << " after the cancel at " << at;
      }
    }
  }
}

TEST(Cancellation, WaitAckOfABusyMouse) {
  ExpectCancelHonouredEverywhere(
      [](Rig& rig) {
        rig.mouse.statuses = {kStatusBusy};
        rig.mouse.repeatLastStatus = true;
      },
      [](Rig& rig) { return rig.channel.WaitAck(500); });
}

void SetAllFlags(SettingsImage& image) {
  image.ProfileChanged = 1;
  for (int i = 0; i < kSlotCount; ++i) {
    image.LevelChanged[i] = 1;
    image.SensorChanged[i] = 1;
    image.ButtonChanged[i][13] = 1;
  }
}

TEST(Cancellation, Upload) {
  auto image = MakeImage();
  SetAllFlags(*image);
  ExpectCancelHonouredEverywhere([](Rig&) {},
                                 [&](Rig& rig) { return RunUpload(rig.channel, *image); });
}

struct UploadCase {
  const char* name;
  std::function<void(SettingsImage&)> flags;
  std::vector<std::pair<int, int>> sent;  // (report id, byte 2)
};

void PrintTo(const UploadCase& c, std::ostream* os) { *os << c.name; }

class UploadFlags : public testing::TestWithParam<UploadCase> {};

TEST_P(UploadFlags, SendsExactlyWhatTheFlagsName) {
  const UploadCase& c = GetParam();
  auto image = MakeImage();
  c.flags(*image);
  auto before = std::make_unique<SettingsImage>(*image);
  Rig rig;
  EXPECT_EQ(RunUpload(rig.channel, *image), 1);
  EXPECT_EQ(rig.mouse.Sent(), c.sent);
  EXPECT_EQ(std::memcmp(image.get(), before.get(), sizeof(SettingsImage)), 0)
      << "the upload leaves the flags to the configurator";
}

INSTANTIATE_TEST_SUITE_P(
    Combinations, UploadFlags,
    testing::Values(
        UploadCase{"nothing", [](SettingsImage&) {}, {}},
        UploadCase{"profile", [](SettingsImage& im) { im.ProfileChanged = 1; }, {{5, 1}}},
        UploadCase{"levels",
                   [](SettingsImage& im) { im.LevelChanged[0] = im.LevelChanged[3] = 1; },
                   {{8, 50}, {8, 53}}},
        UploadCase{"sensors",
                   [](SettingsImage& im) { im.SensorChanged[4] = im.SensorChanged[1] = 1; },
                   {{6, 1}, {6, 4}}},
        UploadCase{"buttons",
                   [](SettingsImage& im) { im.ButtonChanged[2][0] = im.ButtonChanged[4][13] = 1; },
                   {{7, 2}, {7, 4}}},
        UploadCase{"profile_and_sensor",
                   [](SettingsImage& im) {
                     im.ProfileChanged = 1;
                     im.SensorChanged[2] = 1;
                   },
                   {{5, 1}, {6, 2}}},
        UploadCase{"level_and_buttons",
                   [](SettingsImage& im) {
                     im.LevelChanged[1] = 1;
                     im.ButtonChanged[1][5] = 1;
                   },
                   {{8, 51}, {7, 1}}},
        UploadCase{"everything_in_order",
                   [](SettingsImage& im) {
                     im.ButtonChanged[0][1] = 1;
                     im.SensorChanged[0] = 1;
                     im.LevelChanged[0] = 1;
                     im.ProfileChanged = 1;
                   },
                   {{5, 1}, {8, 50}, {6, 0}, {7, 0}}},
        UploadCase{"keyboard_off_skips_button_map",
                   [](SettingsImage& im) {
                     for (int n = 0; n < settings::kButtonRecordCount; ++n) {
                       im.ButtonChanged[3][n] = 1;
                       im.ButtonChanged[0][n] = 1;
                     }
                     im.Profiles[3].HDDKeyboard = 0;
                     im.SensorChanged[3] = 1;
                   },
                   {{6, 3}, {7, 0}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Upload, SendsTheBuiltReportsWithTheirDelays) {
  auto image = MakeImage();
  image->SensorChanged[2] = 1;
  image->ButtonChanged[2][3] = 1;
  image->Profiles[2].MacroKeys[3].FunctionCode = kKeyCombinationCode;
  image->Profiles[2].MacroKeys[3].Data[0] = 4;
  image->Profiles[2].MacroKeys[3].Data[1] = 6;
  Rig rig;
  EXPECT_EQ(RunUpload(rig.channel, *image), 1);

  const SensorReport sensor = BuildSensorReport(image->Profiles[2], 2);
  const ButtonReport buttons = BuildButtonReport(image->Profiles[2], 2);
  ASSERT_EQ(rig.mouse.ops.size(), 4u);
  EXPECT_EQ(rig.mouse.ops[0].bytes, std::vector<std::uint8_t>(sensor.begin(), sensor.end()));
  EXPECT_EQ(rig.mouse.ops[2].bytes, std::vector<std::uint8_t>(buttons.begin(), buttons.end()));
  // Sensor acknowledged after 500 ms, 100 ms pause, button map, its 500 ms,
  // its pause and the closing pause.
  EXPECT_EQ(rig.mouse.ops[0].at, 0u);
  EXPECT_EQ(rig.mouse.ops[1].at, 500u);
  EXPECT_EQ(rig.mouse.ops[2].at, 600u);
  EXPECT_EQ(rig.mouse.ops[3].at, 1100u);
  EXPECT_EQ(rig.clock.now, 1300u);
}

TEST(Upload, FailedReportsDoNotStopIt) {
  auto image = MakeImage();
  SetAllFlags(*image);
  Rig rig;
  rig.mouse.failures[{true, kProfileReportId}] = {0};
  rig.mouse.failures[{true, kSensorReportId}] = {1};
  rig.mouse.statuses = {1, 2};  // the second acknowledged report is refused
  EXPECT_EQ(RunUpload(rig.channel, *image), 0);
  EXPECT_EQ(rig.mouse.Count(true, kProfileReportId), 1);
  EXPECT_EQ(rig.mouse.Count(true, kLevelReportId), 5);
  EXPECT_EQ(rig.mouse.Count(true, kSensorReportId), 5);
  EXPECT_EQ(rig.mouse.Count(true, kButtonReportId), 5);
}

TEST(Upload, BusyMouseStillGetsEveryReport) {
  auto image = MakeImage();
  image->LevelChanged[0] = image->LevelChanged[1] = 1;
  Rig rig;
  rig.mouse.statuses = {kStatusBusy};
  rig.mouse.repeatLastStatus = true;
  EXPECT_EQ(RunUpload(rig.channel, *image), 0);
  EXPECT_EQ(rig.mouse.Sent(), (std::vector<std::pair<int, int>>{{8, 50}, {8, 51}}));
  EXPECT_EQ(rig.mouse.Count(false, kStatusReportId), 20);
}

TEST(Upload, CurrentProfileOutsideTheMousesSlotsIsNotSent) {
  for (int current : {-1, 5, 260}) {
    auto image = MakeImage();
    image->CurrentProfile = current;
    image->ProfileChanged = 1;
    image->LevelChanged[0] = 1;
    Rig rig;
    EXPECT_EQ(RunUpload(rig.channel, *image), 0) << current;
    EXPECT_EQ(rig.mouse.Sent(), (std::vector<std::pair<int, int>>{{8, 50}})) << current;
  }
}

const std::vector<std::pair<int, int>> kRestoreSequence = {{5, 0}, {6, 0}, {6, 1}, {6, 2},
                                                           {6, 3}, {6, 4}, {7, 0}, {7, 1},
                                                           {7, 2}, {7, 3}, {7, 4}, {8, 10}};

TEST(RestoreDefaults, SendsTheDefaultsInOrder) {
  Rig rig;
  EXPECT_EQ(RunRestoreDefaults(rig.channel), 1);
  EXPECT_EQ(rig.mouse.Sent(), kRestoreSequence);
  std::vector<std::vector<std::uint8_t>> sets;
  std::vector<std::uint64_t> setTimes;
  for (const auto& op : rig.mouse.ops) {
    if (!op.set) continue;
    sets.push_back(op.bytes);
    setTimes.push_back(op.at);
  }
  const SensorReport sensor3 = DefaultSensorReport(3);
  const ButtonReport buttons1 = DefaultButtonReport(1);
  EXPECT_EQ(sets[4], std::vector<std::uint8_t>(sensor3.begin(), sensor3.end()));
  EXPECT_EQ(sets[7], std::vector<std::uint8_t>(buttons1.begin(), buttons1.end()));
  EXPECT_EQ(sets[11], (std::vector<std::uint8_t>{8, 6, 10, 0, 0, 0}));
  // 100 ms for the profile, 500 ms for everything after it, the level included.
  EXPECT_EQ(setTimes[1], 100u);
  EXPECT_EQ(setTimes[11], 100u + 10 * 500u);
  EXPECT_EQ(rig.clock.now, 100u + 11 * 500u);
}

TEST(RestoreDefaults, GoesOnPastFailures) {
  Rig failedSends;
  failedSends.mouse.failures[{true, kProfileReportId}] = {-1};
  failedSends.mouse.failures[{true, kSensorReportId}] = {0, 4};
  failedSends.mouse.failures[{true, kButtonReportId}] = {2};
  EXPECT_EQ(RunRestoreDefaults(failedSends.channel), 0);
  EXPECT_EQ(failedSends.mouse.Sent(), kRestoreSequence);

  Rig refused;
  refused.mouse.statuses = {2};
  refused.mouse.repeatLastStatus = true;
  EXPECT_EQ(RunRestoreDefaults(refused.channel), 0);
  EXPECT_EQ(refused.mouse.Sent(), kRestoreSequence);

  Rig silent;
  silent.mouse.failures[{false, kStatusReportId}] = {-1};
  EXPECT_EQ(RunRestoreDefaults(silent.channel), 0);
  EXPECT_EQ(silent.mouse.Sent(), kRestoreSequence);
}

TEST(Cancellation, RestoreDefaults) {
  ExpectCancelHonouredEverywhere([](Rig&) {},
                                 [](Rig& rig) { return RunRestoreDefaults(rig.channel); });
  ExpectCancelHonouredEverywhere(
      [](Rig& rig) {
        rig.mouse.statuses = {kStatusBusy};
        rig.mouse.repeatLastStatus = true;
      },
      [](Rig& rig) { return RunRestoreDefaults(rig.channel); });
}

TEST(SingleReports, CurrentProfileAndHostControl) {
  auto image = MakeImage();
  image->CurrentProfile = 4;
  Rig rig;
  EXPECT_EQ(SendCurrentProfile(rig.channel, *image), 1);
  EXPECT_EQ(SendHostControl(rig.channel, kHostEnding), 1);
  ASSERT_EQ(rig.mouse.ops.size(), 4u);
  EXPECT_EQ(rig.mouse.ops[0].bytes, (std::vector<std::uint8_t>{5, 3, 4}));
  EXPECT_EQ(rig.mouse.ops[1].at, 100u);
  EXPECT_EQ(rig.mouse.ops[2].bytes, (std::vector<std::uint8_t>{11, 3, 0}));
  EXPECT_EQ(rig.mouse.ops[3].at, 200u);

  image->CurrentProfile = 7;
  EXPECT_EQ(SendCurrentProfile(rig.channel, *image), 0);
  EXPECT_EQ(rig.mouse.ops.size(), 4u);
}

TEST(Cancellation, NothingIsSentOnceCancelled) {
  Rig rig;
  rig.cancel = true;
  EXPECT_EQ(SendHostControl(rig.channel, kHostEnding), 0);
  auto image = MakeImage();
  SetAllFlags(*image);
  EXPECT_EQ(RunUpload(rig.channel, *image), 0);
  EXPECT_EQ(RunRestoreDefaults(rig.channel), 0);
  EXPECT_TRUE(rig.mouse.ops.empty());
}

class RecordingSink : public IReadBackSink {
 public:
  void SetFirmwareVersion(int version) override {
    calls.push_back("firmware " + std::to_string(version));
  }
  void ReadSystemMouseSettings(SettingsImage& image) override {
    calls.push_back("mouse settings");
    image.SysMouseSpeed = 17;
  }
  void SaveAll(SettingsImage& image) override {
    calls.push_back("save");
    saved = std::make_unique<SettingsImage>(image);
  }
  void WriteSharedBlock(const SettingsImage&) override { calls.push_back("block"); }
  void NotifyReadBackDone() override { calls.push_back("1254"); }

  std::vector<std::string> calls;
  std::unique_ptr<SettingsImage> saved;
};

const std::vector<std::string> kPublished = {"firmware 49", "mouse settings", "save", "block",
                                             "1254"};

// The mouse's sensor report of slot i with recognisable values.
SensorReport MouseSensor(int slot) {
  SensorReport report = DefaultSensorReport(slot);
  report[3] = static_cast<std::uint8_t>(60 + slot);
  report[4] = static_cast<std::uint8_t>(70 + slot);
  report[22] = 1;
  report[23] = static_cast<std::uint8_t>(slot % 2);
  StampChecksum(report);
  return report;
}

ButtonReport MouseButtons(int slot) {
  ButtonReport report = DefaultButtonReport(slot);
  report[3 + 3 * 2] = static_cast<std::uint8_t>(100 + slot);  // record 2
  report[3 + 3 * 16] = 250;  // record 7: a code the suite does not know
  StampChecksum(report);
  return report;
}

struct ReadBackRig : Rig {
  ReadBackRig() {
    for (int i = 0; i < kSlotCount; ++i) {
      mouse.sensor[i] = MouseSensor(i);
      mouse.buttons[i] = MouseButtons(i);
    }
    image->ButtonChanged[1][2] = 1;
    image->Profiles[3].MacroKeys[2].Slot = 99;  // garbage the read-back repairs
  }
  std::unique_ptr<SettingsImage> image = MakeImage();
  RecordingSink sink;
};

TEST(ReadBack, StoresTheMousesConfigurationAndPublishesIt) {
  ReadBackRig rig;
  EXPECT_EQ(RunReadBack(rig.channel, *rig.image, rig.sink), 1);
  EXPECT_EQ(rig.sink.calls, kPublished);

  EXPECT_EQ(rig.image->CurrentProfile, 2);
  for (int i = 0; i < kSlotCount; ++i) {
    const auto& profile = rig.image->Profiles[i];
    EXPECT_EQ(profile.LevelSetting, 20 + i);
    EXPECT_EQ(profile.XSensitivity, 60 + i);
    EXPECT_EQ(profile.YSensitivity, 70 + i);
    EXPECT_EQ(profile.PollingRate, 1);
    EXPECT_EQ(profile.SwapButtons, i % 2);
    EXPECT_EQ(profile.ExtraParam0, 1);
    EXPECT_EQ(profile.ExtraParam2, 2);
    EXPECT_EQ(profile.MacroKeys[2].Slot, 2);
    EXPECT_EQ(profile.MacroKeys[2].FunctionCode, 100 + i);
    EXPECT_EQ(profile.MacroKeys[7].FunctionCode, 250);
    EXPECT_EQ(profile.MacroKeys[0].FunctionCode, 9);
  }
  for (const auto& slotFlags : rig.image->ButtonChanged) {
    for (auto flag : slotFlags) EXPECT_EQ(flag, 0);
  }
  ASSERT_TRUE(rig.sink.saved);
  EXPECT_EQ(rig.sink.saved->SysMouseSpeed, 17) << "mouse settings are read before saving";
  EXPECT_EQ(rig.sink.saved->Profiles[4].XSensitivity, 64);

  // Last on the wire: report 11 with 1, acknowledged.
  ASSERT_GE(rig.mouse.ops.size(), 2u);
  const auto& last = rig.mouse.ops[rig.mouse.ops.size() - 2];
  EXPECT_EQ(last.bytes, (std::vector<std::uint8_t>{11, 3, 1}));
}

// The monitor's copy as an apply left it while the mouse was being read.
class ReplacedCopySink : public RecordingSink {
 public:
  void StoreIntoSettings(const std::function<void(SettingsImage&, bool)>& store,
                         SettingsImage& image) override {
    calls.push_back("store");
    store(*current, applied);
    image = *current;
  }
  std::unique_ptr<SettingsImage> current = MakeImage();
  bool applied = false;
};

TEST(ReadBack, MouseValuesGoIntoTheCopyAsItIsNowNotTheOneTheJobStartedWith) {
  ReadBackRig rig;
  ReplacedCopySink sink;
  settings::SetFieldText(rig.image->Profiles[1].ProFileName, "Older");
  settings::SetFieldText(sink.current->Profiles[1].ProFileName, "Newer");
  sink.current->Profiles[1].MacroKeys[4].Data[0] = 42;
  ASSERT_EQ(RunReadBack(rig.channel, *rig.image, sink), 1);

  const std::vector<std::string> expected = {"firmware 49", "store", "mouse settings",
                                             "save",        "block", "1254"};
  EXPECT_EQ(sink.calls, expected);
  for (const SettingsImage* image : {sink.current.get(), sink.saved.get(), rig.image.get()}) {
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(settings::FieldText(image->Profiles[1].ProFileName), "Newer");
    EXPECT_EQ(image->Profiles[1].MacroKeys[4].Data[0], 42);
    EXPECT_EQ(image->Profiles[1].XSensitivity, 61);
    EXPECT_EQ(image->CurrentProfile, 2);
    EXPECT_EQ(image->SysMouseSpeed, 17);
  }
}

TEST(ReadBack, AnApplyThatCameInMeanwhileKeepsWhatItChangedAndItsUploadSendsIt) {
  ReadBackRig rig;
  ReplacedCopySink sink;
  sink.applied = true;
  SettingsImage& applied = *sink.current;
  applied.ProfileChanged = 1;
  applied.CurrentProfile = 4;
  applied.LevelChanged[0] = 1;
  applied.Profiles[0].LevelSetting = 3;
  applied.SensorChanged[3] = 1;
  applied.Profiles[3].XSensitivity = 9;
  applied.ButtonChanged[1][4] = 1;
  applied.Profiles[1].MacroKeys[4].FunctionCode = 77;
  ASSERT_EQ(RunReadBack(rig.channel, applied, sink), 1);

  for (const SettingsImage* image : {sink.current.get(), sink.saved.get()}) {
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->CurrentProfile, 4);
    EXPECT_EQ(image->Profiles[0].LevelSetting, 3);
    EXPECT_EQ(image->Profiles[1].LevelSetting, 21);
    EXPECT_EQ(image->Profiles[3].XSensitivity, 9);
    EXPECT_EQ(image->Profiles[2].XSensitivity, 62);
    EXPECT_EQ(image->Profiles[1].MacroKeys[4].FunctionCode, 77);
    EXPECT_EQ(image->Profiles[1].MacroKeys[2].FunctionCode,
              settings::kButtonRecordDefaults[2].FunctionCode)
        << "the applied slot's map stays whole";
    EXPECT_EQ(image->Profiles[2].MacroKeys[2].FunctionCode, 102);
    EXPECT_EQ(image->ButtonChanged[1][4], 1);
  }

  // The upload behind the read-back sends exactly what the apply changed.
  rig.mouse.ops.clear();
  ASSERT_EQ(RunUpload(rig.channel, *sink.current), 1);
  const std::vector<std::pair<int, int>> sent = rig.mouse.Sent();
  ASSERT_EQ(sent.size(), 4u);
  EXPECT_EQ(sent[0].first, kProfileReportId);
  EXPECT_EQ(sent[1].first, kLevelReportId);
  EXPECT_EQ(sent[2].first, kSensorReportId);
  EXPECT_EQ(sent[3].first, kButtonReportId);
  const auto button =
      std::find_if(rig.mouse.ops.begin(), rig.mouse.ops.end(),
                   [](const DeviceOp& op) { return op.set && op.bytes[0] == kButtonReportId; });
  ASSERT_NE(button, rig.mouse.ops.end());
  EXPECT_EQ(button->bytes[2], 1);
  EXPECT_EQ(button->bytes[3 + 3 * 4], 77);
}

TEST(ReadBack, EarlyEndStoresIntoNoSettings) {
  ReadBackRig rig;
  ReplacedCopySink sink;
  rig.mouse.failures[{false, kButtonReportId}] = {4};
  sink.current->Profiles[0].XSensitivity = 5;
  EXPECT_EQ(RunReadBack(rig.channel, *rig.image, sink), 0);
  EXPECT_EQ(sink.calls, (std::vector<std::string>{"firmware 49"}));
  EXPECT_EQ(sink.current->Profiles[0].XSensitivity, 5);
}

TEST(ReadBack, TrafficOrderAndPacing) {
  ReadBackRig rig;
  ASSERT_EQ(RunReadBack(rig.channel, *rig.image, rig.sink), 1);
  std::vector<std::pair<int, int>> sets = rig.mouse.Sent();
  std::vector<std::pair<int, int>> expected;
  for (int i = 0; i < kSlotCount; ++i) expected.emplace_back(4, 16);
  for (int i = 0; i < kSlotCount; ++i) expected.emplace_back(4, 32);
  expected.emplace_back(11, 1);
  EXPECT_EQ(sets, expected);

  std::vector<int> gets;
  for (const auto& op : rig.mouse.ops) {
    if (!op.set && op.bytes[0] != kStatusReportId) gets.push_back(op.bytes[0]);
  }
  EXPECT_EQ(gets, (std::vector<int>{10, 5, 8, 8, 8, 8, 8, 6, 6, 6, 6, 6, 7, 7, 7, 7, 7}));
  // Firmware, its pause, profile, five level reads each after a pause, one
  // more pause; then each slot: select, 100 ms, ack after 300 ms, get, 100 ms.
  EXPECT_EQ(rig.mouse.ops[0].at, 0u);
  EXPECT_EQ(rig.mouse.ops[1].at, 100u);
  std::uint64_t firstSelect = 0;
  for (const auto& op : rig.mouse.ops) {
    if (op.set) {
      firstSelect = op.at;
      break;
    }
  }
  EXPECT_EQ(firstSelect, 700u);
  EXPECT_EQ(rig.clock.now, 700u + 10 * 500u + 100u);
}

struct ReadBackFailure {
  const char* name;
  std::function<void(FakeMouse&)> fault;
  std::function<void(const SettingsImage& before, const SettingsImage& after)> check;
};

void PrintTo(const ReadBackFailure& c, std::ostream* os) { *os << c.name; }

class ReadBackFailures : public testing::TestWithParam<ReadBackFailure> {};

// A failure in a single slot keeps that slot's settings and lets everything
// else arrive; the read-back still succeeds and publishes.
TEST_P(ReadBackFailures, SlotKeepsItsSettingsAndTheRestArrives) {
  const ReadBackFailure& c = GetParam();
  ReadBackRig rig;
  c.fault(rig.mouse);
  auto before = std::make_unique<SettingsImage>(*rig.image);
  EXPECT_EQ(RunReadBack(rig.channel, *rig.image, rig.sink), 1);
  EXPECT_EQ(rig.sink.calls, kPublished);
  c.check(*before, *rig.image);
}

void ExpectSensorKept(const SettingsImage& before, const SettingsImage& after, int slot) {
  for (int i = 0; i < kSlotCount; ++i) {
    const int expected = i == slot ? before.Profiles[i].XSensitivity : 60 + i;
    EXPECT_EQ(after.Profiles[i].XSensitivity, expected) << "slot " << i;
    EXPECT_EQ(after.Profiles[i].MacroKeys[2].FunctionCode, 100 + i) << "slot " << i;
  }
}

void ExpectButtonsKept(const SettingsImage& before, const SettingsImage& after, int slot) {
  for (int i = 0; i < kSlotCount; ++i) {
    const int expected = i == slot ? before.Profiles[i].MacroKeys[2].FunctionCode : 100 + i;
    EXPECT_EQ(after.Profiles[i].MacroKeys[2].FunctionCode, expected) << "slot " << i;
    EXPECT_EQ(after.Profiles[i].XSensitivity, 60 + i) << "slot " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, ReadBackFailures,
    testing::Values(
        ReadBackFailure{"profile_get_fails",
                        [](FakeMouse& m) {
                          m.failures[{false, kProfileReportId}] = {-1};
                        },
                        [](const SettingsImage& before, const SettingsImage& after) {
                          EXPECT_EQ(after.CurrentProfile, before.CurrentProfile);
                          EXPECT_EQ(after.Profiles[0].XSensitivity, 60);
                        }},
        ReadBackFailure{"active_slot_out_of_range", [](FakeMouse& m) { m.activeSlot = 5; },
                        [](const SettingsImage& before, const SettingsImage& after) {
                          EXPECT_EQ(after.CurrentProfile, before.CurrentProfile);
                        }},
        ReadBackFailure{"level_get_fails",
                        [](FakeMouse& m) {
                          m.failures[{false, kLevelReportId}] = {2};
                        },
                        [](const SettingsImage& before, const SettingsImage& after) {
                          EXPECT_EQ(after.Profiles[1].LevelSetting, 21);
                          EXPECT_EQ(after.Profiles[2].LevelSetting,
                                    before.Profiles[2].LevelSetting);
                          EXPECT_EQ(after.Profiles[3].LevelSetting, 23);
                        }},
        ReadBackFailure{
            "sensor_select_fails",
            [](FakeMouse& m) {
              m.failures[{true, kStatusReportId}] = {1};
            },
            [](const SettingsImage& b, const SettingsImage& a) { ExpectSensorKept(b, a, 1); }},
        ReadBackFailure{
            "sensor_select_refused",
            [](FakeMouse& m) {
              // Statuses are consumed per poll: slot 0 done, slot 1 refused.
              m.statuses = {1, 2};
            },
            [](const SettingsImage& b, const SettingsImage& a) { ExpectSensorKept(b, a, 1); }},
        ReadBackFailure{
            "sensor_get_fails",
            [](FakeMouse& m) {
              m.failures[{false, kSensorReportId}] = {0};
            },
            [](const SettingsImage& b, const SettingsImage& a) { ExpectSensorKept(b, a, 0); }},
        ReadBackFailure{
            "sensor_reply_is_foreign", [](FakeMouse& m) { m.sensor[3][0] = kButtonReportId; },
            [](const SettingsImage& b, const SettingsImage& a) { ExpectSensorKept(b, a, 3); }},
        ReadBackFailure{
            "button_select_fails",
            [](FakeMouse& m) {
              m.failures[{true, kStatusReportId}] = {5 + 2};
            },
            [](const SettingsImage& b, const SettingsImage& a) { ExpectButtonsKept(b, a, 2); }},
        ReadBackFailure{
            "button_ack_busy_forever_then_done",
            [](FakeMouse& m) {
              m.statuses = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
              // Slot 1 of the button maps: 11th..20th poll busy.
              m.statuses.insert(m.statuses.begin() + 6, 10, kStatusBusy);
            },
            [](const SettingsImage& b, const SettingsImage& a) { ExpectButtonsKept(b, a, 1); }},
        ReadBackFailure{
            "button_get_fails",
            [](FakeMouse& m) {
              m.failures[{false, kButtonReportId}] = {3};
            },
            [](const SettingsImage& b, const SettingsImage& a) { ExpectButtonsKept(b, a, 3); }}),
    [](const auto& info) { return std::string(info.param.name); });

struct EarlyEnd {
  const char* name;
  std::function<void(FakeMouse&)> fault;
  std::vector<std::string> calls;
};

void PrintTo(const EarlyEnd& c, std::ostream* os) { *os << c.name; }

class ReadBackEarlyEnd : public testing::TestWithParam<EarlyEnd> {};

TEST_P(ReadBackEarlyEnd, StoresNothingButTheFirmwareVersion) {
  const EarlyEnd& c = GetParam();
  ReadBackRig rig;
  c.fault(rig.mouse);
  auto before = std::make_unique<SettingsImage>(*rig.image);
  EXPECT_EQ(RunReadBack(rig.channel, *rig.image, rig.sink), 0);
  EXPECT_EQ(rig.sink.calls, c.calls);
  EXPECT_EQ(std::memcmp(rig.image.get(), before.get(), sizeof(SettingsImage)), 0);
  EXPECT_EQ(rig.mouse.Count(true, kHostControlReportId), 0);
}

INSTANTIATE_TEST_SUITE_P(Faults, ReadBackEarlyEnd,
                         testing::Values(EarlyEnd{"firmware_get_fails",
                                                  [](FakeMouse& m) {
                                                    m.failures[{false, kFirmwareReportId}] = {-1};
                                                  },
                                                  {"firmware 0"}},
                                         EarlyEnd{"firmware_reply_foreign",
                                                  [](FakeMouse& m) { m.replyIdOverride = 3; },
                                                  {"firmware 0"}},
                                         EarlyEnd{"last_button_select_fails",
                                                  [](FakeMouse& m) {
                                                    m.failures[{true, kStatusReportId}] = {9};
                                                  },
                                                  {"firmware 49"}},
                                         EarlyEnd{"last_button_get_fails",
                                                  [](FakeMouse& m) {
                                                    m.failures[{false, kButtonReportId}] = {4};
                                                  },
                                                  {"firmware 49"}},
                                         EarlyEnd{"mouse_refuses_everything",
                                                  [](FakeMouse& m) {
                                                    m.statuses = {2};
                                                    m.repeatLastStatus = true;
                                                  },
                                                  {"firmware 49"}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReadBack, FailedFirmwareGetEndsAtOnce) {
  ReadBackRig rig;
  rig.mouse.failures[{false, kFirmwareReportId}] = {-1};
  EXPECT_EQ(RunReadBack(rig.channel, *rig.image, rig.sink), 0);
  EXPECT_EQ(rig.mouse.ops.size(), 1u);
}

TEST(Cancellation, ReadBack) {
  auto setUp = [](Rig& rig) {
    for (int i = 0; i < kSlotCount; ++i) {
      rig.mouse.sensor[i] = MouseSensor(i);
      rig.mouse.buttons[i] = MouseButtons(i);
    }
  };
  ExpectCancelHonouredEverywhere(
      setUp,
      [](Rig& rig) {
        auto image = MakeImage();
        auto before = std::make_unique<SettingsImage>(*image);
        RecordingSink sink;
        const int result = RunReadBack(rig.channel, *image, sink);
        if (result == 0) {
          EXPECT_EQ(std::memcmp(image.get(), before.get(), sizeof(SettingsImage)), 0);
          EXPECT_LE(sink.calls.size(), 1u);
        }
        return result;
      },
      5700);  // report 11 follows the publication, whatever its answer
}

}  // namespace
}  // namespace karvo::monitor
