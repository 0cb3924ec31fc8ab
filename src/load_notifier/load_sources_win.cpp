#include "load_notifier/load_sources_win.h"

#include <climits>

#include "platform/debug_log.h"
#include "platform/dyn_calls_win.h"
#include "platform/handles.h"

namespace karvo::load_notifier {
namespace {

using platform::DebugLog;

std::int64_t FromFileTime(const FILETIME& time) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                   time.dwLowDateTime);
}

// Counters disabled by an administrator stay disabled otherwise; without the rights
// to change that (the usual case) nothing happens.
void EnablePerformanceKey(const char* path) {
  HKEY raw = nullptr;
  LONG status = ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_ALL_ACCESS, &raw);
  if (status != ERROR_SUCCESS) {
    DebugLog("Loadpeek: cannot open %s: error %ld\n", path, status);
    return;
  }
  platform::UniqueRegKey key(raw);
  const DWORD zero = 0;
  status = ::RegSetValueExA(key.Get(), "Disable Performance Counters", 0, REG_DWORD,
                            reinterpret_cast<const BYTE*>(&zero), sizeof zero);
  if (status != ERROR_SUCCESS) DebugLog("Loadpeek: cannot enable %s: error %ld\n", path, status);
}

}  // namespace

RegistryPerfQuery::~RegistryPerfQuery() {
  if (m_used) ::RegCloseKey(HKEY_PERFORMANCE_DATA);
}

PerfQueryStatus RegistryPerfQuery::Query(const std::string& name, std::span<std::uint8_t> buffer,
                                         std::size_t& written) {
  if (buffer.size() > ULONG_MAX) return PerfQueryStatus::Failed;
  DWORD size = static_cast<DWORD>(buffer.size());
  DWORD type = 0;
  m_used = true;
  const LONG status =
      ::RegQueryValueExA(HKEY_PERFORMANCE_DATA, name.c_str(), nullptr, &type, buffer.data(), &size);
  if (status == ERROR_MORE_DATA) return PerfQueryStatus::MoreData;
  if (status != ERROR_SUCCESS) {
    DebugLog("Loadpeek: performance data %s: error %ld\n", name.c_str(), status);
    return PerfQueryStatus::Failed;
  }
  written = size;
  return PerfQueryStatus::Ok;
}

std::optional<IdleReading> ReadSystemTimes() {
  // Systems before XP SP1 do not have it.
  const auto getSystemTimes = platform::dyn::GetSystemTimes();
  if (!getSystemTimes) return std::nullopt;
  FILETIME idle{};
  FILETIME kernel{};
  FILETIME user{};
  if (!getSystemTimes(&idle, &kernel, &user)) {
    platform::DebugLogLastError("GetSystemTimes");
    return std::nullopt;
  }
  // Kernel time includes the idle time; all three are summed over the processors.
  const std::int64_t kernelTime = FromFileTime(kernel);
  const std::int64_t userTime = FromFileTime(user);
  std::int64_t total = 0;
  if (kernelTime < 0 || userTime < 0 || __builtin_add_overflow(kernelTime, userTime, &total)) {
    return std::nullopt;
  }
  return IdleReading{IdleOrigin::SystemTimes, FromFileTime(idle), total};
}

SystemKind WinProcessorIdleSource::Kind() {
  if (m_kind) return *m_kind;
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  const BOOL ok = ::GetVersionExA(&version);
#pragma GCC diagnostic pop
  if (!ok) {
    platform::DebugLogLastError("GetVersionEx");
    m_kind = SystemKindFromVersion(std::nullopt, 0);
  } else {
    m_kind = SystemKindFromVersion(version.dwPlatformId, version.dwMajorVersion);
  }
  return *m_kind;
}

void WinProcessorIdleSource::EnableCounters() {
  EnablePerformanceKey("SYSTEM\\CurrentControlSet\\Services\\PerfOS\\Performance");
  EnablePerformanceKey("SYSTEM\\CurrentControlSet\\Services\\PerfProc\\Performance");
}

std::optional<IdleReading> WinProcessorIdleSource::Read() {
  const std::optional<CounterSelection> selection = SelectIdleCounter(Kind());
  if (!selection) return std::nullopt;
  std::span<const std::uint8_t> block = m_buffer.Query(m_query, selection->ObjectIndex);
  if (block.empty()) {
    m_lastLookup.reset();
    return std::nullopt;
  }
  const PerfLookupResult result =
      FindPerfCounter(block, selection->ObjectIndex, selection->CounterIndex, selection->Instance);
  m_lastLookup = result.Status;
  switch (result.Status) {
    case PerfLookup::Found:
      return IdleReading{IdleOrigin::PerformanceData, result.Reading.Value,
                         result.Reading.Time100ns};
    case PerfLookup::NoObject:
      // No processor object at all (counters disabled, or a system that keeps none).
      return ReadSystemTimes();
    case PerfLookup::NoCounter:
    case PerfLookup::NoInstance:
    case PerfLookup::Malformed:
      break;
  }
  return std::nullopt;
}

std::optional<std::uint32_t> WinMemoryLoadSource::MemoryLoad() {
  MEMORYSTATUS status{};
  status.dwLength = sizeof status;
  static_assert(sizeof(MEMORYSTATUS) == 32);
  ::GlobalMemoryStatus(&status);
  return status.dwMemoryLoad;
}

}  // namespace karvo::load_notifier
