#include "load_notifier/load_notifier.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

namespace karvo::load_notifier {
namespace {

using settings::OsdTextRecord;

class FakeIdle : public IProcessorIdleSource {
 public:
  SystemKind Kind() override { return kind; }
  void EnableCounters() override {}
  std::optional<IdleReading> Read() override {
    if (readings.empty()) return std::nullopt;
    IdleReading next = readings.front();
    readings.pop_front();
    return next;
  }
  SystemKind kind = SystemKind::Nt;
  std::deque<IdleReading> readings;
};

class FakeMemory : public IMemoryLoadSource {
 public:
  std::optional<std::uint32_t> MemoryLoad() override { return load; }
  std::uint32_t load = 37;
};

class FakeSwitches : public ISwitchSource {
 public:
  std::optional<LoadSwitches> ReadSwitches() override {
    ++reads;
    return next;
  }
  std::optional<LoadSwitches> next;
  int reads = 0;
};

class FakeTimers : public ITimers {
 public:
  bool Start(unsigned id, unsigned periodMs) override {
    calls.push_back("start " + std::to_string(id) + " " + std::to_string(periodMs));
    return startSucceeds;
  }
  void Stop(unsigned id) override { calls.push_back("stop " + std::to_string(id)); }
  std::vector<std::string> calls;
  bool startSucceeds = true;
};

class RecordingSink : public INoticeSink {
 public:
  void Send(const OsdTextRecord& record) override { records.push_back(record); }
  std::vector<OsdTextRecord> records;
};

std::string Text(const OsdTextRecord& record) {
  return std::string(record.Text, strnlen(record.Text, sizeof record.Text));
}

class LoadNotifierTest : public ::testing::Test {
 protected:
  FakeIdle idle;
  FakeMemory memory;
  FakeSwitches switches;
  FakeTimers timers;
  RecordingSink sink;
  CpuLoadSampler cpu{idle};
  RamLoadSampler ram{memory};
  LoadNotifier notifier{cpu, ram, switches, timers, sink};
};

TEST_F(LoadNotifierTest, TimersRunFromStartToStopWhateverTheSwitches) {
  switches.next = LoadSwitches{0, 0};
  ASSERT_TRUE(notifier.Start());
  notifier.OnReload();
  switches.next = LoadSwitches{1, 1};
  notifier.OnReload();
  notifier.Stop();
  const std::vector<std::string> expected = {"start 500 39000", "start 501 57000", "stop 500",
                                             "stop 501"};
  EXPECT_EQ(timers.calls, expected);
  EXPECT_EQ(switches.reads, 3);
}

TEST_F(LoadNotifierTest, StartReportsATimerThatCouldNotBeStarted) {
  timers.startSucceeds = false;
  EXPECT_FALSE(notifier.Start());
  EXPECT_EQ(timers.calls.size(), 2u);
}

TEST_F(LoadNotifierTest, SwitchesDecideWhichExpiriesSendANotice) {
  struct Case {
    LoadSwitches switches;
    std::vector<std::uint8_t> sources;  // for expiries 500, 501, 502, 500
  };
  const Case cases[] = {
      {{0, 0}, {}},        {{1, 0}, {1, 1}},     {{0, 1}, {2}},
      {{1, 1}, {1, 2, 1}}, {{-7, 2}, {1, 2, 1}},  // any non-zero value switches on
  };
  for (const Case& c : cases) {
    FakeSwitches source;
    source.next = c.switches;
    RecordingSink out;
    LoadNotifier n(cpu, ram, source, timers, out);
    ASSERT_TRUE(n.Start());
    for (unsigned id : {500u, 501u, 502u, 500u}) n.OnTimer(id);
    std::vector<std::uint8_t> sources;
    for (const OsdTextRecord& r : out.records) sources.push_back(r.Source);
    EXPECT_EQ(sources, c.sources) << c.switches.ShowCpu << "/" << c.switches.ShowRam;
  }
}

TEST_F(LoadNotifierTest, NoticesCarryTheStoredLoads) {
  switches.next = LoadSwitches{1, 1};
  idle.readings = {{IdleOrigin::PerformanceData, 0, 0},
                   {IdleOrigin::PerformanceData, 300, 1000},
                   {IdleOrigin::PerformanceData, 1800, 2000}};  // -50 %: keeps 70
  ASSERT_TRUE(notifier.Start());
  notifier.OnTimer(kCpuTimerId);
  notifier.OnTimer(kRamTimerId);
  notifier.OnTimer(kCpuTimerId);
  notifier.OnTimer(kCpuTimerId);
  memory.load = 100;
  notifier.OnTimer(kRamTimerId);
  std::vector<std::string> texts;
  for (const OsdTextRecord& r : sink.records) texts.push_back(Text(r));
  const std::vector<std::string> expected = {"CPU LOAD: 0%", "RAM LOAD: 37%", "CPU LOAD: 70%",
                                             "CPU LOAD: 70%", "RAM LOAD: 100%"};
  EXPECT_EQ(texts, expected);
}

TEST_F(LoadNotifierTest, ReloadChangesTheSwitchesForTheNextExpiry) {
  switches.next = LoadSwitches{1, 1};
  ASSERT_TRUE(notifier.Start());
  notifier.OnTimer(kCpuTimerId);
  switches.next = LoadSwitches{0, 1};
  notifier.OnReload();
  notifier.OnTimer(kCpuTimerId);
  notifier.OnTimer(kRamTimerId);
  // Settings that cannot be read leave the switches as they were.
  switches.next = std::nullopt;
  notifier.OnReload();
  notifier.OnTimer(kRamTimerId);
  ASSERT_EQ(sink.records.size(), 3u);
  EXPECT_EQ(sink.records[0].Source, 1);
  EXPECT_EQ(sink.records[1].Source, 2);
  EXPECT_EQ(sink.records[2].Source, 2);
}

TEST_F(LoadNotifierTest, MissingSettingsSendNothing) {
  ASSERT_TRUE(notifier.Start());
  notifier.OnTimer(kCpuTimerId);
  notifier.OnTimer(kRamTimerId);
  EXPECT_TRUE(sink.records.empty());
}

TEST(LoadRecordTest, TextIsCarriedInTheFirstSixteenBytesAndTheRestIsZero) {
  struct Case {
    settings::OsdTextSource source;
    long long percent;
    const char* text;
  };
  const Case cases[] = {
      {settings::OsdTextSource::CpuLoad, 0, "CPU LOAD: 0%"},
      {settings::OsdTextSource::CpuLoad, 100, "CPU LOAD: 100%"},
      {settings::OsdTextSource::RamLoad, 7, "RAM LOAD: 7%"},
      {settings::OsdTextSource::RamLoad, 4294967295LL, "RAM LOAD: 429496"},
      {settings::OsdTextSource::CpuLoad, -1, "CPU LOAD: -1%"},
  };
  for (const Case& c : cases) {
    OsdTextRecord record = MakeLoadRecord(c.source, c.percent);
    EXPECT_EQ(record.Source, static_cast<std::uint8_t>(c.source));
    EXPECT_EQ(Text(record), c.text);
    for (std::size_t i = 16; i < sizeof record.Text; ++i) ASSERT_EQ(record.Text[i], 0) << i;
  }
}

}  // namespace
}  // namespace karvo::load_notifier
