#include "sim/firmware.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <vector>

namespace karvo::sim {
namespace {

class FakeHost : public IFirmwareHost {
 public:
  void PostEvent(std::uint32_t word) override { events.push_back(word); }
  void PostPresence(bool arrived) override { presence.push_back(arrived); }
  void SaveState(std::span<const std::uint8_t> bytes) override {
    saved.assign(bytes.begin(), bytes.end());
    ++saves;
  }
  std::uint64_t NowMs() override { return now; }

  std::vector<std::uint32_t> events;
  std::vector<bool> presence;
  std::vector<std::uint8_t> saved;
  int saves = 0;
  std::uint64_t now = 0;
};

class FirmwareTest : public ::testing::Test {
 protected:
  FirmwareTest() { EXPECT_TRUE(fw.OpenFeatureDevice()); }

  std::uint8_t PollStatus() {
    std::vector<std::uint8_t> r = {report_id::kStatus, 0, 0};
    EXPECT_TRUE(fw.GetFeature(r));
    return r[1];
  }
  std::vector<std::uint8_t> Get(std::uint8_t id, std::size_t length) {
    std::vector<std::uint8_t> r(length, 0);
    r[0] = id;
    EXPECT_TRUE(fw.GetFeature(r)) << "report " << int(id);
    return r;
  }
  bool Set(std::vector<std::uint8_t> r) { return fw.SetFeature(r); }
  // Puts function code into hardware slot s of the active slot's button map.
  void Assign(int s, std::uint8_t code, int slot = 0) {
    ButtonReport r = fw.State().buttons[slot];
    r[3 + 3 * s] = code;
    StampChecksum(r);
    ASSERT_TRUE(Set({r.begin(), r.end()}));
    ASSERT_EQ(PollStatus(), status_byte::kDone);
  }
  void SetMask(std::uint8_t mask, std::uint8_t step, int slot = 0) {
    SensorReport r = fw.State().sensor[slot];
    r[5] = mask;
    r[18] = step;
    StampChecksum(r);
    ASSERT_TRUE(Set({r.begin(), r.end()}));
  }

  FakeHost host;
  Firmware fw{host, {}};
};

TEST(ChecksumTest, SumOfBytesBeforeTheChecksumLittleEndian) {
  const SensorReport r = DefaultSensorReport(0);
  unsigned sum = 0;
  for (int i = 0; i < 41; ++i) sum += r[i];
  EXPECT_EQ(r[41], sum & 0xFF);
  EXPECT_EQ(r[42], (sum >> 8) & 0xFF);
  EXPECT_TRUE(HasValidChecksum(r));
}

TEST(ChecksumTest, LengthByteBeyondTheBufferIsRejected) {
  std::vector<std::uint8_t> r = {6, 200, 0, 0};
  EXPECT_FALSE(ReportChecksum(r).has_value());
  EXPECT_FALSE(HasValidChecksum(r));
  r[1] = 2;
  EXPECT_FALSE(HasValidChecksum(r));
  StampChecksum(r);  // must not write out of bounds
  EXPECT_EQ(r, (std::vector<std::uint8_t>{6, 2, 0, 0}));
}

TEST(FactoryStateTest, MatchesTheDeviceDefaults) {
  const PersistentState s = FactoryState();
  EXPECT_EQ(s.activeSlot, 0);
  EXPECT_EQ(s.mode, 1);
  EXPECT_EQ(s.level, 10);
  EXPECT_EQ(s.firmwareVersion, 102);
  EXPECT_EQ(s.cpiStep, s.sensor[0][18]);
  const std::vector<std::uint8_t> sensorBody(s.sensor[3].begin() + 3, s.sensor[3].begin() + 41);
  EXPECT_EQ(sensorBody, (std::vector<std::uint8_t>{10, 10, 74, 0, 16, 16, 17, 17, 18, 18, 18, 0, 0,
                                                   0,  1,  2,  2, 2,  2,  3,  0,  5,  0,  0,  1, 0,
                                                   1,  1,  1,  1, 0,  0,  1,  0,  1,  3,  4,  3}));
  EXPECT_EQ(s.sensor[3][2], 3);
  const std::uint8_t codes[18] = {1, 2, 3, 7, 8, 14, 15, 9, 10, 1, 2, 30, 0, 0, 0, 0, 31, 32};
  for (int g = 0; g < 18; ++g) {
    EXPECT_EQ(s.buttons[4][3 + 3 * g], codes[g]) << "group " << g;
    EXPECT_EQ(s.buttons[4][4 + 3 * g], 0);
    EXPECT_EQ(s.buttons[4][5 + 3 * g], 0);
  }
  for (int i = 0; i < kSlotCount; ++i) {
    EXPECT_TRUE(HasValidChecksum(s.sensor[i]));
    EXPECT_TRUE(HasValidChecksum(s.buttons[i]));
  }
}

TEST_F(FirmwareTest, GetsAnswerTheStoredValues) {
  EXPECT_EQ(Get(report_id::kProfile, 3)[2], 0);
  EXPECT_EQ(Get(report_id::kLevel, 6)[2], 10);
  EXPECT_EQ(Get(report_id::kFirmware, 8)[2], 102);

  ASSERT_TRUE(Set({5, 3, 2}));
  ASSERT_TRUE(Set({8, 6, 7, 0, 0, 0}));
  fw.SetFirmwareVersion(105);
  EXPECT_EQ(Get(report_id::kProfile, 3), (std::vector<std::uint8_t>{5, 3, 2}));
  EXPECT_EQ(Get(report_id::kLevel, 6), (std::vector<std::uint8_t>{8, 6, 7, 0, 0, 0}));
  EXPECT_EQ(Get(report_id::kFirmware, 8)[2], 105);

  ASSERT_TRUE(Set({11, 3, 1}));
  EXPECT_EQ(PollStatus(), status_byte::kDone);
  EXPECT_EQ(fw.HostControl(), 1);
  ASSERT_TRUE(Set({11, 3, 0}));
  EXPECT_EQ(fw.HostControl(), 0);
}

TEST_F(FirmwareTest, SelectThenGetReturnsThatSlotsReports) {
  SensorReport sensor = DefaultSensorReport(3);
  sensor[3] = 55;
  StampChecksum(sensor);
  ASSERT_TRUE(Set({sensor.begin(), sensor.end()}));
  ButtonReport buttons = DefaultButtonReport(2);
  buttons[3 + 3 * 4] = 16;
  StampChecksum(buttons);
  ASSERT_TRUE(Set({buttons.begin(), buttons.end()}));

  ASSERT_TRUE(Set({4, 3, 16}));
  EXPECT_EQ(PollStatus(), status_byte::kDone);
  ASSERT_TRUE(Set({4, 2, 32}));
  EXPECT_EQ(PollStatus(), status_byte::kDone);
  const auto gotSensor = Get(report_id::kSensor, 43);
  EXPECT_EQ(gotSensor, std::vector<std::uint8_t>(sensor.begin(), sensor.end()));
  const auto gotButtons = Get(report_id::kButtons, 59);
  EXPECT_EQ(gotButtons, std::vector<std::uint8_t>(buttons.begin(), buttons.end()));
  EXPECT_TRUE(HasValidChecksum(gotButtons));

  ASSERT_TRUE(Set({4, 0, 16}));
  EXPECT_EQ(Get(report_id::kSensor, 43)[2], 0);
}

TEST_F(FirmwareTest, InvalidContentIsAnsweredFailedAndChangesNothing) {
  const PersistentState before = fw.State();
  SensorReport badSum = DefaultSensorReport(1);
  badSum[3] = 99;  // checksum no longer matches
  ButtonReport badSlot = DefaultButtonReport(0);
  badSlot[2] = 5;
  StampChecksum(badSlot);
  SensorReport badLength = DefaultSensorReport(1);
  badLength[1] = 40;
  StampChecksum(badLength);
  const std::vector<std::vector<std::uint8_t>> cases = {
      {badSum.begin(), badSum.end()},
      {badSlot.begin(), badSlot.end()},
      {badLength.begin(), badLength.end()},
      {5, 3, 5},   // profile out of range
      {4, 5, 16},  // select slot out of range
      {4, 1, 17},  // select neither sensor nor buttons
  };
  for (const auto& r : cases) {
    ASSERT_TRUE(Set(r)) << "report " << int(r[0]);
    EXPECT_EQ(PollStatus(), status_byte::kFailed) << "report " << int(r[0]);
    ASSERT_TRUE(Set({8, 6, 10, 0, 0, 0}));
    EXPECT_EQ(PollStatus(), status_byte::kDone);
  }
  EXPECT_EQ(fw.State(), before);
}

TEST_F(FirmwareTest, ReportsTheDeviceCannotTakeFailTheCall) {
  EXPECT_FALSE(Set({10, 8, 0, 0, 0, 0, 0, 0}));  // get-only
  EXPECT_FALSE(Set({9, 3, 0}));                  // unknown id
  EXPECT_FALSE(Set({6, 43, 0}));                 // shorter than the report
  EXPECT_FALSE(fw.SetFeature({}));
  std::vector<std::uint8_t> shortGet = {7, 0, 0};
  EXPECT_FALSE(fw.GetFeature(shortGet));
  std::vector<std::uint8_t> unknownGet = {11, 0, 0};
  EXPECT_FALSE(fw.GetFeature(unknownGet));
  EXPECT_EQ(fw.State(), FactoryState());
}

TEST_F(FirmwareTest, LongerBuffersAreAnsweredWithinTheReportOnly) {
  std::vector<std::uint8_t> r(16, 0xEE);
  r[0] = report_id::kProfile;
  ASSERT_TRUE(fw.GetFeature(r));
  EXPECT_EQ(r[1], 3);
  EXPECT_EQ(r[3], 0xEE);
}

TEST_F(FirmwareTest, StatusModes) {
  struct Case {
    StatusMode mode;
    std::uint32_t busy;
    std::vector<std::uint8_t> polls;
  };
  const Case cases[] = {
      {StatusMode::kOk, 0, {1, 1}},
      {StatusMode::kBusy, 2, {3, 3, 1, 1}},
      {StatusMode::kBusyForever, 0, {3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3}},
      {StatusMode::kFail, 0, {2, 2}},
  };
  for (const Case& c : cases) {
    fw.SetStatusMode(c.mode, c.busy);
    ASSERT_TRUE(Set({5, 3, 1}));
    std::vector<std::uint8_t> polls;
    for (std::size_t i = 0; i < c.polls.size(); ++i) polls.push_back(PollStatus());
    EXPECT_EQ(polls, c.polls) << "mode " << int(c.mode);
  }
  fw.SetStatusMode(StatusMode::kSilent);
  ASSERT_TRUE(Set({5, 3, 1}));
  std::vector<std::uint8_t> r = {4, 0, 0};
  EXPECT_FALSE(fw.GetFeature(r));
}

TEST_F(FirmwareTest, BusyCountRestartsWithEveryReport) {
  fw.SetStatusMode(StatusMode::kBusy, 1);
  ASSERT_TRUE(Set({8, 6, 3, 0, 0, 0}));
  EXPECT_EQ(PollStatus(), status_byte::kBusy);
  EXPECT_EQ(PollStatus(), status_byte::kDone);
  SensorReport bad = DefaultSensorReport(0);
  bad[41] ^= 1;
  ASSERT_TRUE(Set({bad.begin(), bad.end()}));
  EXPECT_EQ(PollStatus(), status_byte::kBusy);
  EXPECT_EQ(PollStatus(), status_byte::kFailed);
}

TEST_F(FirmwareTest, UnpluggedOrClosedDeviceTransfersNothing) {
  Firmware closed(host, {});
  std::vector<std::uint8_t> r = {5, 0, 0};
  EXPECT_FALSE(closed.GetFeature(r));

  fw.Unplug();
  EXPECT_FALSE(fw.Open());
  EXPECT_FALSE(fw.OpenFeatureDevice());
  EXPECT_FALSE(fw.GetFeature(r));
  EXPECT_FALSE(Set({5, 3, 1}));
  EXPECT_FALSE(fw.Press(3).accepted);
  fw.Plug();
  EXPECT_FALSE(fw.GetFeature(r)) << "a plugged device must be opened again";
  EXPECT_TRUE(fw.OpenFeatureDevice());
  EXPECT_TRUE(fw.GetFeature(r));
  fw.CloseFeatureDevice();
  EXPECT_FALSE(fw.GetFeature(r));
  EXPECT_EQ(host.presence, (std::vector<bool>{false, true}));
}

TEST_F(FirmwareTest, ReportLogRecordsEveryCall) {
  host.now = 1234;
  ASSERT_TRUE(Set({5, 3, 1}));
  std::vector<std::uint8_t> status = {4, 0, 0};
  ASSERT_TRUE(fw.GetFeature(status));
  EXPECT_FALSE(Set({9, 1}));
  std::vector<std::uint8_t> longBuffer(16, 0xEE);
  longBuffer[0] = report_id::kProfile;
  ASSERT_TRUE(fw.GetFeature(longBuffer));
  ASSERT_EQ(fw.ReportLog().size(), 4u);
  EXPECT_EQ(FormatLogEntry(fw.ReportLog()[0]), "1234 SET 5 ok 050301");
  EXPECT_EQ(FormatLogEntry(fw.ReportLog()[1]), "1234 GET 4 ok 040100");
  EXPECT_EQ(FormatLogEntry(fw.ReportLog()[2]), "1234 SET 9 fail 0901");
  EXPECT_EQ(FormatLogEntry(fw.ReportLog()[3]), "1234 GET 5 ok 050301") << "the report only";
  fw.ClearReportLog();
  EXPECT_TRUE(fw.ReportLog().empty());
  for (std::size_t i = 0; i < kReportLogCapacity + 5; ++i) {
    host.now = i;
    ASSERT_TRUE(fw.GetFeature(status));
  }
  ASSERT_EQ(fw.ReportLog().size(), kReportLogCapacity);
  EXPECT_EQ(fw.ReportLog().front().ms, 5u);
}

// Press and release of physical button 3 for each function: hardware slot 2 (button
// number 3) in mode 1, hardware slot 11 (button number 12) in mode 2.
TEST_F(FirmwareTest, ButtonTableInBothModes) {
  struct Case {
    std::uint8_t code;
    std::vector<std::uint32_t> events;
  };
  const Case cases[] = {
      {5, {0x40000003, 0x40000103}},
      {16, {0x40000003, 0x40000103}},
      {33, {0x40000003, 0x40000103}},
      {34, {0x40000003, 0x40000103}},
      {39, {0x40000003, 0x40000103}},
      {179, {0x40000003, 0x40000103}},
      {183, {0x40000003, 0x40000103}},
      {186, {0x40000003, 0x40000103}},
      {187, {0x40000003, 0x40000103}},
      {17, {0x60000003}},
      {24, {0xA0000001}},
      {25, {0xF0000020, 0xF0000120}},
      {26, {0xF0000022, 0xF0000122}},
      {27, {0xF0000021, 0xF0000121}},
      {28, {0xF0000023, 0xF0000123}},
      {29, {0xF0000024, 0xF0000124}},
      {30, {0xF0000025, 0xF0000125}},
      {31, {0xF0000026, 0xF0000126}},
      {32, {0xF0000027, 0xF0000127}},
      {0, {}},
      {1, {}},
      {3, {}},
      {7, {}},
      {21, {}},
      {184, {}},
      {255, {}},
  };
  Assign(8, 45);  // physical button 9 switches the mode
  for (const std::uint8_t mode : {1, 2}) {
    if (fw.State().mode != mode) fw.Press(9);
    ASSERT_EQ(fw.State().mode, mode);
    const int hardwareSlot = mode == 1 ? 2 : 11;
    for (const Case& c : cases) {
      Assign(hardwareSlot, c.code);
      std::vector<std::uint32_t> expected = c.events;
      for (std::uint32_t& word : expected) {
        const std::uint32_t type = word >> 16;
        if (type == 0x4000 || type == 0x6000) word = (word & ~0xFFu) | (hardwareSlot + 1);
      }
      host.events.clear();
      EXPECT_TRUE(fw.Press(3).accepted);
      EXPECT_TRUE(fw.Release(3).accepted);
      EXPECT_EQ(host.events, expected) << "mode " << int(mode) << " code " << int(c.code);
    }
  }
}

TEST_F(FirmwareTest, ModeTwoUsesTheSecondHalfOfTheMap) {
  Assign(15, 16);  // physical button 7 in mode 2
  Assign(17, 45);  // physical button 9 in mode 2: back to mode 1
  Assign(8, 45);   // physical button 9 in mode 1: mode switch
  fw.Press(9);
  EXPECT_EQ(fw.State().mode, 2);
  fw.Release(9);
  host.events.clear();
  fw.Press(7);
  fw.Release(7);
  EXPECT_EQ(host.events, (std::vector<std::uint32_t>{0x40000010, 0x40000110}));
  fw.Press(9);
  EXPECT_EQ(host.events.back(), 0xFF000001u);
  EXPECT_EQ(fw.State().mode, 1);
}

TEST_F(FirmwareTest, ReleaseActsOnTheSlotItWasPressedOn) {
  Assign(8, 45);   // button 9, mode 1: mode switch
  Assign(17, 16);  // button 9, mode 2: macro
  host.events.clear();
  fw.Press(9);
  fw.Release(9);
  EXPECT_EQ(host.events, (std::vector<std::uint32_t>{0xFF000002}));
}

TEST_F(FirmwareTest, ProfileCycleWrapsAndUpDownStop) {
  Assign(2, 18, 0);
  for (int slot = 1; slot < kSlotCount; ++slot) Assign(2, 18, slot);
  std::vector<std::uint32_t> expected;
  for (int i = 0; i < 6; ++i) {
    fw.Press(3);
    fw.Release(3);
    expected.push_back(0x30000000u | ((i + 1) % 5 + 1));
  }
  host.events.erase(host.events.begin(), host.events.end() - 6);
  EXPECT_EQ(host.events, expected);
  EXPECT_EQ(fw.State().activeSlot, 1);

  for (int slot = 0; slot < kSlotCount; ++slot) {
    Assign(3, 19, slot);
    Assign(4, 20, slot);
  }
  host.events.clear();
  for (int i = 0; i < 5; ++i) fw.Press(4);
  EXPECT_EQ(fw.State().activeSlot, 4);
  for (int i = 0; i < 6; ++i) fw.Press(5);
  EXPECT_EQ(fw.State().activeSlot, 0);
  EXPECT_EQ(host.events.front(), 0x30000003u);
  EXPECT_EQ(host.events[4], 0x30000005u);
  EXPECT_EQ(host.events.back(), 0x30000001u);
  EXPECT_EQ(Get(report_id::kProfile, 3)[2], 0);
}

TEST_F(FirmwareTest, ProfileChangeLoadsThatProfilesCpiStep) {
  SetMask(0xFF, 5, 2);
  ASSERT_TRUE(Set({5, 3, 2}));
  EXPECT_EQ(fw.State().cpiStep, 5);
}

TEST_F(FirmwareTest, CpiMovesAmongEnabledSteps) {
  Assign(2, 13);           // cycle
  Assign(3, 14);           // up
  Assign(4, 15);           // down
  SetMask(0b01001010, 3);  // steps 2, 4, 7 enabled; starting between them
  EXPECT_EQ(fw.State().cpiStep, 3);
  struct Step {
    int button;
    std::uint8_t expected;
  };
  const Step steps[] = {{4, 4}, {4, 7}, {4, 7}, {3, 2}, {5, 2},
                        {3, 4}, {3, 7}, {5, 4}, {5, 2}, {3, 4}};
  for (const Step& s : steps) {
    host.events.clear();
    fw.Press(s.button);
    fw.Release(s.button);
    EXPECT_EQ(fw.State().cpiStep, s.expected) << "button " << s.button;
    EXPECT_EQ(host.events, (std::vector<std::uint32_t>{0xB0000000u | s.expected}));
  }
  SetMask(0, 1);
  host.events.clear();
  fw.Press(3);
  EXPECT_TRUE(host.events.empty()) << "no step is enabled";
  EXPECT_EQ(fw.State().cpiStep, 1);
}

// Step k is the mask bit of value 2^(k-1): the factory mask 74 enables steps 2, 4 and 7, and the
// factory step is 2. Physical buttons 6 and 7 are CPI up and down in the factory map.
TEST_F(FirmwareTest, FactoryCpiUpAndDownPostOnlyEnabledSteps) {
  ASSERT_EQ(fw.State().cpiStep, 2);
  const std::pair<int, std::uint32_t> presses[] = {{6, 4}, {6, 7}, {6, 7}, {7, 4}, {7, 2}, {7, 2}};
  for (auto [button, step] : presses) {
    host.events.clear();
    fw.Press(button);
    fw.Release(button);
    EXPECT_EQ(host.events, (std::vector<std::uint32_t>{0xB0000000u | step})) << "button " << button;
  }
}

TEST_F(FirmwareTest, InvalidButtonsAreRefused) {
  EXPECT_FALSE(fw.Press(0).accepted);
  EXPECT_FALSE(fw.Press(10).accepted);
  EXPECT_FALSE(fw.Release(-1).accepted);
  EXPECT_TRUE(host.events.empty());
}

TEST_F(FirmwareTest, PersistsEveryChangeAndResets) {
  ASSERT_TRUE(Set({8, 6, 33, 0, 0, 0}));
  fw.SetFirmwareVersion(7);
  Firmware restarted(host, host.saved);
  EXPECT_EQ(restarted.State().level, 33);
  EXPECT_EQ(restarted.State().firmwareVersion, 7);
  restarted.Reset();
  EXPECT_EQ(restarted.State(), FactoryState());
  EXPECT_EQ(DeserializeState(host.saved), FactoryState());
}

TEST(StateFileTest, RoundTrip) {
  PersistentState s = FactoryState();
  s.activeSlot = 3;
  s.mode = 2;
  s.cpiStep = 6;
  s.level = 1;
  s.firmwareVersion = 200;
  s.sensor[3][3] = 77;
  StampChecksum(s.sensor[3]);
  s.buttons[1][9] = 45;
  StampChecksum(s.buttons[1]);
  EXPECT_EQ(DeserializeState(SerializeState(s)), s);
}

TEST(StateFileTest, DamagedFilesGiveNothing) {
  const std::vector<std::uint8_t> good = SerializeState(FactoryState());
  ASSERT_TRUE(DeserializeState(good).has_value());
  EXPECT_FALSE(DeserializeState({}).has_value());
  EXPECT_FALSE(DeserializeState(std::span(good).first(good.size() - 1)).has_value());
  std::vector<std::uint8_t> longer = good;
  longer.push_back(0);
  EXPECT_FALSE(DeserializeState(longer).has_value());
  for (std::size_t i = 0; i < good.size(); i += 7) {
    std::vector<std::uint8_t> flipped = good;
    flipped[i] ^= 0x10;
    EXPECT_FALSE(DeserializeState(flipped).has_value()) << "byte " << i;
  }
}

// Values that pass the file checksum but no real mouse could hold.
TEST(StateFileTest, ImpossibleValuesWithAValidChecksumAreRejected) {
  auto reseal = [](PersistentState s) { return SerializeState(s); };
  PersistentState slot = FactoryState();
  slot.activeSlot = 5;
  PersistentState mode = FactoryState();
  mode.mode = 3;
  PersistentState step = FactoryState();
  step.cpiStep = 8;
  PersistentState report = FactoryState();
  report.sensor[2][10] = 1;  // report checksum now wrong
  PersistentState wrongSlot = FactoryState();
  wrongSlot.buttons[1][2] = 0;
  StampChecksum(wrongSlot.buttons[1]);
  for (const auto& s : {slot, mode, step, report, wrongSlot}) {
    EXPECT_FALSE(DeserializeState(reseal(s)).has_value());
  }
}

TEST(StateFileTest, DamagedFileStartsFromFactoryState) {
  FakeHost host;
  const std::vector<std::uint8_t> garbage(524, 0xAB);
  Firmware fw(host, garbage);
  EXPECT_EQ(fw.State(), FactoryState());
}

// Whatever the host sends and the hand does, every saved state loads back as it was.
TEST(FirmwareRobustnessTest, ArbitraryReportsAndPressesKeepAValidState) {
  FakeHost host;
  Firmware fw(host, {});
  ASSERT_TRUE(fw.OpenFeatureDevice());
  std::mt19937 random(1234);
  auto next = [&](std::uint32_t bound) { return static_cast<std::uint32_t>(random() % bound); };
  const std::uint8_t ids[] = {4, 5, 6, 7, 8, 10, 11, 0, 255};
  for (int i = 0; i < 20000; ++i) {
    // Mostly the lengths and slot numbers the device knows, so that sets get through.
    const std::size_t lengths[] = {3, 6, 8, 43, 59, 1 + next(70)};
    std::vector<std::uint8_t> r(lengths[next(std::size(lengths))]);
    for (auto& b : r) b = static_cast<std::uint8_t>(next(256));
    r[0] = ids[next(std::size(ids))];
    if (r.size() > 1 && next(2)) r[1] = static_cast<std::uint8_t>(r.size());
    if (r.size() > 2 && next(2)) r[2] = static_cast<std::uint8_t>(next(6));
    if (next(2)) StampChecksum(r);
    switch (next(4)) {
      case 0:
        static_cast<void>(fw.SetFeature(r));
        break;
      case 1:
        static_cast<void>(fw.GetFeature(r));
        break;
      case 2:
        fw.Press(static_cast<int>(next(11)));
        break;
      default:
        fw.Release(static_cast<int>(next(11)));
        break;
    }
  }
  ASSERT_GT(host.saves, 0);
  EXPECT_EQ(DeserializeState(host.saved), fw.State());
  EXPECT_EQ(DeserializeState(SerializeState(fw.State())), fw.State());
}

}  // namespace
}  // namespace karvo::sim
