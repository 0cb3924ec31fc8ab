// Cost of one CPU load sample and one RAM load sample as Loadpeek takes them on
// its timer expiries: median, lowest and highest over a number of rounds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "load_notifier/load_samplers.h"
#include "load_notifier/load_sources_win.h"

namespace {

using namespace karvo::load_notifier;

double Microseconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
  return static_cast<double>(to.QuadPart - from.QuadPart) * 1e6 /
         static_cast<double>(frequency.QuadPart);
}

void Report(const char* what, int rounds, const std::function<void()>& sample) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  std::vector<double> times;
  for (int i = 0; i < rounds; ++i) {
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    ::QueryPerformanceCounter(&start);
    sample();
    ::QueryPerformanceCounter(&end);
    times.push_back(Microseconds(start, end, frequency));
  }
  std::sort(times.begin(), times.end());
  std::printf("%-34s median %9.1f us   min %9.1f us   max %9.1f us   (%d rounds)\n", what,
              times[times.size() / 2], times.front(), times.back(), rounds);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;

  WinProcessorIdleSource idle;
  CpuLoadSampler cpu(idle);
  WinMemoryLoadSource memory;
  RamLoadSampler ram(memory);

  // The first CPU sample also finds the system kind, tries to enable the counters
  // and allocates the performance data buffer.
  Report("first CPU sample", 1, [&] { cpu.Sample(); });
  const char* source = "performance data";
  if (idle.LastLookup() && *idle.LastLookup() == PerfLookup::NoObject) {
    source = "processor times (no processor object)";
  }
  std::printf("CPU readings from: %s\n", source);
  Report("CPU sample", rounds, [&] { cpu.Sample(); });
  Report("RAM sample", rounds, [&] { ram.Sample(); });
  Report("processor times alone", rounds, [] { (void)ReadSystemTimes(); });
  RegistryPerfQuery query;
  PerfDataBuffer buffer;
  Report("performance data query alone", rounds, [&] { (void)buffer.Query(query, 238); });
  std::printf("last loads: CPU %d%%, RAM %u%%\n", cpu.Load(), ram.Load());
  return 0;
}
