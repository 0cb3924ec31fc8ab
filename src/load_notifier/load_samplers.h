#pragma once
// The processor and memory load samplers of the load notifier. The platform
// supplies the raw readings through small interfaces; the arithmetic lives here.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace karvo::load_notifier {

// The operating-system family, which decides where the idle counter lives.
enum class SystemKind : int { Nt4 = 0, Nt = 1, Win9x = 2, Unknown = 3 };

// VER_PLATFORM_WIN32_WINDOWS and VER_PLATFORM_WIN32_NT, as the version query reports them.
inline constexpr std::uint32_t kPlatformWin9x = 1;
inline constexpr std::uint32_t kPlatformNt = 2;

// nullopt platform: the version query failed.
SystemKind SystemKindFromVersion(std::optional<std::uint32_t> platformId, std::uint32_t major);

// Where the processor idle time is counted, by system kind.
struct CounterSelection {
  std::uint32_t ObjectIndex;
  std::uint32_t CounterIndex;
  const char* Instance;  // "" when the object has no instances
};
// nullopt when the system kind cannot be sampled.
std::optional<CounterSelection> SelectIdleCounter(SystemKind kind);

// Two cumulative readings of idle time against elapsed time, both in 100 ns.
// Readings of different origins are never compared with each other.
enum class IdleOrigin { PerformanceData, SystemTimes };
struct IdleReading {
  IdleOrigin Origin;
  std::int64_t Idle;
  std::int64_t Time;
};

class IProcessorIdleSource {
 public:
  virtual ~IProcessorIdleSource() = default;
  virtual SystemKind Kind() = 0;
  // Called once, before the first reading.
  virtual void EnableCounters() = 0;
  // nullopt when nothing could be read this time.
  virtual std::optional<IdleReading> Read() = 0;
};

// The load over the interval between two successive samples.
class CpuLoadSampler {
 public:
  explicit CpuLoadSampler(IProcessorIdleSource& source) : m_source(source) {}

  // The load in percent; 0 when this sample only set the baseline or did not
  // change the load; -1 when the system cannot be sampled.
  int Sample();
  int Load() const { return m_load; }

 private:
  IProcessorIdleSource& m_source;
  std::optional<SystemKind> m_kind;
  int m_load = 0;
  bool m_firstSample = true;
  std::optional<IdleReading> m_previous;
};

// The percent rule on two readings: nullopt when the result is to be ignored
// (negative after rounding, elapsed time not positive, counters going backwards).
std::optional<int> LoadPercent(const IdleReading& previous, const IdleReading& current);

class IMemoryLoadSource {
 public:
  virtual ~IMemoryLoadSource() = default;
  // The memory load in percent as the system reports it; nullopt when unavailable.
  virtual std::optional<std::uint32_t> MemoryLoad() = 0;
};

class RamLoadSampler {
 public:
  explicit RamLoadSampler(IMemoryLoadSource& source) : m_source(source) {}
  void Sample();
  unsigned int Load() const { return m_load; }

 private:
  IMemoryLoadSource& m_source;
  unsigned int m_load = 0;
};

// The registry's performance data as a query that may ask for a bigger buffer.
enum class PerfQueryStatus { Ok, MoreData, Failed };
class IPerfDataQuery {
 public:
  virtual ~IPerfDataQuery() = default;
  // Fills `buffer` with the data for `name`; on Ok sets `written` to the bytes used.
  virtual PerfQueryStatus Query(const std::string& name, std::span<std::uint8_t> buffer,
                                std::size_t& written) = 0;
};

inline constexpr std::size_t kPerfBufferInitial = 102400;
inline constexpr std::size_t kPerfBufferStep = 10240;
// A system that keeps asking for more is not believed beyond this.
inline constexpr std::size_t kPerfBufferLimit = 16 * 1024 * 1024;

// The reusable buffer for performance data: starts at kPerfBufferInitial, grows in
// steps of kPerfBufferStep and never shrinks.
class PerfDataBuffer {
 public:
  explicit PerfDataBuffer(std::size_t limit = kPerfBufferLimit) : m_limit(limit) {}
  // The data for object `objectIndex`; empty on failure.
  std::span<const std::uint8_t> Query(IPerfDataQuery& query, std::uint32_t objectIndex);
  std::size_t Capacity() const { return m_bytes.size(); }

 private:
  std::size_t m_limit;
  std::vector<std::uint8_t> m_bytes;
};

}  // namespace karvo::load_notifier
