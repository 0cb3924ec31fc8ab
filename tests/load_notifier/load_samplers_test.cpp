#include "load_notifier/load_samplers.h"

#include <gtest/gtest.h>

#include <deque>
#include <limits>

namespace karvo::load_notifier {
namespace {

constexpr IdleOrigin kPerf = IdleOrigin::PerformanceData;
constexpr IdleOrigin kTimes = IdleOrigin::SystemTimes;

class FakeIdleSource : public IProcessorIdleSource {
 public:
  explicit FakeIdleSource(SystemKind kind = SystemKind::Nt) : m_kind(kind) {}
  SystemKind Kind() override {
    ++kindQueries;
    return m_kind;
  }
  void EnableCounters() override { ++enables; }
  std::optional<IdleReading> Read() override {
    ++reads;
    if (readings.empty()) return std::nullopt;
    std::optional<IdleReading> next = readings.front();
    readings.pop_front();
    return next;
  }

  std::deque<std::optional<IdleReading>> readings;
  int kindQueries = 0;
  int enables = 0;
  int reads = 0;

 private:
  SystemKind m_kind;
};

TEST(SystemKindTest, FromVersion) {
  EXPECT_EQ(SystemKindFromVersion(kPlatformNt, 4), SystemKind::Nt4);
  EXPECT_EQ(SystemKindFromVersion(kPlatformNt, 5), SystemKind::Nt);
  EXPECT_EQ(SystemKindFromVersion(kPlatformNt, 10), SystemKind::Nt);
  EXPECT_EQ(SystemKindFromVersion(kPlatformWin9x, 4), SystemKind::Win9x);
  EXPECT_EQ(SystemKindFromVersion(0, 3), SystemKind::Unknown);
  EXPECT_EQ(SystemKindFromVersion(std::nullopt, 5), SystemKind::Unknown);

  ASSERT_TRUE(SelectIdleCounter(SystemKind::Nt4));
  EXPECT_EQ(SelectIdleCounter(SystemKind::Nt4)->ObjectIndex, 2u);
  EXPECT_EQ(SelectIdleCounter(SystemKind::Nt4)->CounterIndex, 240u);
  ASSERT_TRUE(SelectIdleCounter(SystemKind::Nt));
  EXPECT_EQ(SelectIdleCounter(SystemKind::Nt)->ObjectIndex, 238u);
  EXPECT_EQ(SelectIdleCounter(SystemKind::Nt)->CounterIndex, 6u);
  EXPECT_STREQ(SelectIdleCounter(SystemKind::Nt)->Instance, "_Total");
  EXPECT_FALSE(SelectIdleCounter(SystemKind::Win9x));
  EXPECT_FALSE(SelectIdleCounter(SystemKind::Unknown));
}

TEST(LoadPercentTest, Rules) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  struct Case {
    std::int64_t idle0, time0, idle1, time1;
    std::optional<int> expected;
  };
  const Case cases[] = {
      {0, 0, 1000, 1000, 0},       // idle the whole time
      {500, 100, 500, 1100, 100},  // never idle
      {0, 0, 250, 1000, 75},
      {0, 0, 1005, 1000, 0},             // -0.5 % rounds to 0
      {0, 0, 1014, 1000, 0},             // -1.4 % still rounds to 0
      {0, 0, 1020, 1000, std::nullopt},  // -2 % is negative after rounding
      {0, 0, 2000, 1000, std::nullopt},
      {0, 0, 994, 1000, 1},                 // 0.6 % rounds up
      {0, 0, 996, 1000, 0},                 // 0.4 % rounds down
      {0, 1000, 0, 1000, std::nullopt},     // no time passed
      {0, 1000, 0, 900, std::nullopt},      // time ran back
      {100, 0, 50, 1000, std::nullopt},     // idle counter reset
      {kMin, 0, kMax, 1000, std::nullopt},  // overflowing difference
      {0, kMin, 0, kMax, std::nullopt},
      {0, 0, kMax, 1, std::nullopt},  // enormous negative percent
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LoadPercent({kPerf, c.idle0, c.time0}, {kPerf, c.idle1, c.time1}), c.expected)
        << c.idle0 << "," << c.time0 << " -> " << c.idle1 << "," << c.time1;
  }
}

TEST(CpuLoadSamplerTest, FirstSampleSetsTheBaselineOnly) {
  FakeIdleSource source;
  source.readings = {IdleReading{kPerf, 0, 0}, IdleReading{kPerf, 250, 1000},
                     IdleReading{kPerf, 1250, 2000}};
  CpuLoadSampler sampler(source);
  EXPECT_EQ(sampler.Sample(), 0);
  EXPECT_EQ(sampler.Load(), 0);
  EXPECT_EQ(sampler.Sample(), 75);
  EXPECT_EQ(sampler.Load(), 75);
  EXPECT_EQ(sampler.Sample(), 0);
  EXPECT_EQ(sampler.Load(), 0);
  EXPECT_EQ(source.kindQueries, 1);
  EXPECT_EQ(source.enables, 1);
}

TEST(CpuLoadSamplerTest, NegativeOrFailedSamplesKeepTheLoad) {
  FakeIdleSource source;
  source.readings = {IdleReading{kPerf, 0, 0}, IdleReading{kPerf, 400, 1000}, std::nullopt,
                     IdleReading{kPerf, 1500, 2000}, IdleReading{kPerf, 1600, 3000}};
  CpuLoadSampler sampler(source);
  sampler.Sample();
  EXPECT_EQ(sampler.Sample(), 60);
  EXPECT_EQ(sampler.Sample(), 0);  // nothing read
  EXPECT_EQ(sampler.Load(), 60);
  EXPECT_EQ(sampler.Sample(), 0);  // 1100 idle in 1000: -10 %
  EXPECT_EQ(sampler.Load(), 60);
  EXPECT_EQ(sampler.Sample(), 90);  // measured from the last reading, not the last success
}

TEST(CpuLoadSamplerTest, ReadingsOfAnotherOriginStartAFreshBaseline) {
  FakeIdleSource source;
  source.readings = {IdleReading{kPerf, 0, 0}, IdleReading{kPerf, 500, 1000},
                     IdleReading{kTimes, 900000, 5000000}, IdleReading{kTimes, 900100, 5001000}};
  CpuLoadSampler sampler(source);
  sampler.Sample();
  EXPECT_EQ(sampler.Sample(), 50);
  EXPECT_EQ(sampler.Sample(), 0);
  EXPECT_EQ(sampler.Load(), 50);
  EXPECT_EQ(sampler.Sample(), 90);
}

TEST(CpuLoadSamplerTest, UnsupportedSystemsAreNotSampled) {
  for (SystemKind kind : {SystemKind::Win9x, SystemKind::Unknown}) {
    FakeIdleSource source(kind);
    source.readings = {IdleReading{kPerf, 0, 0}, IdleReading{kPerf, 0, 1000}};
    CpuLoadSampler sampler(source);
    EXPECT_EQ(sampler.Sample(), -1);
    EXPECT_EQ(sampler.Sample(), -1);
    EXPECT_EQ(sampler.Load(), 0);
    EXPECT_EQ(source.reads, 0);
    EXPECT_EQ(source.enables, 0);
    EXPECT_EQ(source.kindQueries, 1);
  }
}

TEST(CpuLoadSamplerTest, CountersAreEnabledOnlyOnNtOtherThanVersion4) {
  FakeIdleSource nt4(SystemKind::Nt4);
  nt4.readings = {IdleReading{kPerf, 0, 0}, IdleReading{kPerf, 0, 10}};
  CpuLoadSampler sampler(nt4);
  sampler.Sample();
  EXPECT_EQ(sampler.Sample(), 100);
  EXPECT_EQ(nt4.enables, 0);
}

class FakeMemory : public IMemoryLoadSource {
 public:
  std::optional<std::uint32_t> MemoryLoad() override { return next; }
  std::optional<std::uint32_t> next;
};

TEST(RamLoadSamplerTest, TakesTheReportedLoadWithinRange) {
  FakeMemory memory;
  RamLoadSampler sampler(memory);
  EXPECT_EQ(sampler.Load(), 0u);
  memory.next = 42;
  sampler.Sample();
  EXPECT_EQ(sampler.Load(), 42u);
  memory.next = std::nullopt;
  sampler.Sample();
  EXPECT_EQ(sampler.Load(), 42u);
  memory.next = 101;
  sampler.Sample();
  EXPECT_EQ(sampler.Load(), 42u);
  memory.next = 100;
  sampler.Sample();
  EXPECT_EQ(sampler.Load(), 100u);
}

// Answers "more data" until the buffer has at least `needed` bytes.
class FakePerfQuery : public IPerfDataQuery {
 public:
  PerfQueryStatus Query(const std::string& name, std::span<std::uint8_t> buffer,
                        std::size_t& written) override {
    names.push_back(name);
    sizes.push_back(buffer.size());
    for (std::uint8_t b : buffer) dirty += b != 0;
    if (fail) return PerfQueryStatus::Failed;
    if (buffer.size() < needed) {
      written = 12345678;  // what a "more data" answer leaves there means nothing
      return PerfQueryStatus::MoreData;
    }
    std::fill(buffer.begin(), buffer.begin() + static_cast<long>(produced), std::uint8_t{0xab});
    written = reportedWritten ? *reportedWritten : produced;
    return PerfQueryStatus::Ok;
  }

  std::size_t needed = 0;
  std::size_t produced = 100;
  std::optional<std::size_t> reportedWritten;
  bool fail = false;
  std::vector<std::string> names;
  std::vector<std::size_t> sizes;
  int dirty = 0;
};

TEST(PerfDataBufferTest, GrowsInStepsAndKeepsItsSize) {
  FakePerfQuery query;
  query.needed = kPerfBufferInitial + 2 * kPerfBufferStep + 1;
  PerfDataBuffer buffer;
  std::span<const std::uint8_t> data = buffer.Query(query, 238);
  EXPECT_EQ(data.size(), 100u);
  const std::vector<std::size_t> expected = {
      kPerfBufferInitial, kPerfBufferInitial + kPerfBufferStep,
      kPerfBufferInitial + 2 * kPerfBufferStep, kPerfBufferInitial + 3 * kPerfBufferStep};
  EXPECT_EQ(query.sizes, expected);
  EXPECT_EQ(query.names.front(), "238");
  EXPECT_EQ(query.dirty, 0);  // every query gets a cleared buffer

  // The next query starts at the grown size and the old contents are cleared.
  query.sizes.clear();
  query.needed = 0;
  data = buffer.Query(query, 2);
  EXPECT_EQ(query.sizes, std::vector<std::size_t>{kPerfBufferInitial + 3 * kPerfBufferStep});
  EXPECT_EQ(query.names.back(), "2");
  EXPECT_EQ(query.dirty, 0);
  EXPECT_EQ(buffer.Capacity(), kPerfBufferInitial + 3 * kPerfBufferStep);
}

TEST(PerfDataBufferTest, RefusesEndlessGrowthFailuresAndOverlongAnswers) {
  FakePerfQuery endless;
  endless.needed = std::numeric_limits<std::size_t>::max();
  constexpr std::size_t kLimit = kPerfBufferInitial + 5 * kPerfBufferStep;
  PerfDataBuffer buffer(kLimit);
  EXPECT_TRUE(buffer.Query(endless, 238).empty());
  EXPECT_EQ(buffer.Capacity(), kLimit);
  EXPECT_EQ(endless.sizes.size(), 6u);
  EXPECT_EQ(endless.sizes.back(), kLimit);

  FakePerfQuery failing;
  failing.fail = true;
  PerfDataBuffer other;
  EXPECT_TRUE(other.Query(failing, 238).empty());

  FakePerfQuery overlong;
  overlong.reportedWritten = kPerfBufferInitial + 1;
  EXPECT_TRUE(other.Query(overlong, 238).empty());
}

}  // namespace
}  // namespace karvo::load_notifier
