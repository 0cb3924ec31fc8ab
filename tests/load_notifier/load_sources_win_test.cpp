#include "load_notifier/load_sources_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace karvo::load_notifier {
namespace {

TEST(LoadSourcesTest, SystemTimesAdvance) {
  std::optional<IdleReading> first = ReadSystemTimes();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->Origin, IdleOrigin::SystemTimes);
  EXPECT_GE(first->Idle, 0);
  EXPECT_LE(first->Idle, first->Time);
  ::Sleep(50);
  std::optional<IdleReading> second = ReadSystemTimes();
  ASSERT_TRUE(second);
  EXPECT_GE(second->Idle, first->Idle);
  EXPECT_GT(second->Time, first->Time);
}

TEST(LoadSourcesTest, PerformanceDataWithoutProcessorObjectFallsBackToSystemTimes) {
  WinProcessorIdleSource source;
  ASSERT_EQ(source.Kind(), SystemKind::Nt);
  std::optional<IdleReading> reading = source.Read();
  ASSERT_TRUE(reading);
  // Wine keeps no processor object; a Windows machine may have one.
  ASSERT_TRUE(source.LastLookup());
  if (*source.LastLookup() == PerfLookup::NoObject) {
    EXPECT_EQ(reading->Origin, IdleOrigin::SystemTimes);
  } else {
    EXPECT_EQ(*source.LastLookup(), PerfLookup::Found);
    EXPECT_EQ(reading->Origin, IdleOrigin::PerformanceData);
  }
}

TEST(LoadSourcesTest, CpuLoadWhileABusyLoopRunsIsAPercentage) {
  WinProcessorIdleSource source;
  CpuLoadSampler sampler(source);
  EXPECT_EQ(sampler.Sample(), 0);
  EXPECT_EQ(sampler.Load(), 0);

  std::atomic<bool> stop{false};
  std::atomic<unsigned long long> spins{0};
  std::thread busy([&] {
    while (!stop.load(std::memory_order_relaxed)) spins.fetch_add(1, std::memory_order_relaxed);
  });
  // Long enough for the system's processor times to move by many clock ticks.
  ::Sleep(600);
  const int load = sampler.Sample();
  stop = true;
  busy.join();

  EXPECT_GT(spins.load(), 0u);
  EXPECT_EQ(load, sampler.Load());
  // One of the machine's processors was kept busy the whole time.
  EXPECT_GE(load, 1);
  EXPECT_LE(load, 100);
}

TEST(LoadSourcesTest, MemoryLoadIsAPercentage) {
  WinMemoryLoadSource source;
  std::optional<std::uint32_t> load = source.MemoryLoad();
  ASSERT_TRUE(load);
  EXPECT_LE(*load, 100u);
  RamLoadSampler sampler(source);
  sampler.Sample();
  EXPECT_GE(sampler.Load(), 1u);
  EXPECT_LE(sampler.Load(), 100u);
}

}  // namespace
}  // namespace karvo::load_notifier
