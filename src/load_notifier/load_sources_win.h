#pragma once
// Where the samplers' readings come from on Windows: the registry's performance
// data (with the system's processor times when it has no processor object) and
// the global memory status.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "load_notifier/load_samplers.h"
#include "load_notifier/perf_data_block.h"

namespace karvo::load_notifier {

// RegQueryValueEx under HKEY_PERFORMANCE_DATA.
class RegistryPerfQuery final : public IPerfDataQuery {
 public:
  RegistryPerfQuery() = default;
  ~RegistryPerfQuery() override;
  RegistryPerfQuery(const RegistryPerfQuery&) = delete;
  RegistryPerfQuery& operator=(const RegistryPerfQuery&) = delete;

  PerfQueryStatus Query(const std::string& name, std::span<std::uint8_t> buffer,
                        std::size_t& written) override;

 private:
  bool m_used = false;
};

// Processor idle time against elapsed time from the system's processor times.
std::optional<IdleReading> ReadSystemTimes();

class WinProcessorIdleSource final : public IProcessorIdleSource {
 public:
  SystemKind Kind() override;
  void EnableCounters() override;
  std::optional<IdleReading> Read() override;

  // What the last Read() found in the performance data, for diagnostics and tests.
  std::optional<PerfLookup> LastLookup() const { return m_lastLookup; }

 private:
  std::optional<SystemKind> m_kind;
  RegistryPerfQuery m_query;
  PerfDataBuffer m_buffer;
  std::optional<PerfLookup> m_lastLookup;
};

// GlobalMemoryStatus's memory load.
class WinMemoryLoadSource final : public IMemoryLoadSource {
 public:
  std::optional<std::uint32_t> MemoryLoad() override;
};

}  // namespace karvo::load_notifier
