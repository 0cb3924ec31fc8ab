#include "load_notifier/load_samplers.h"

#include <algorithm>
#include <cmath>

namespace karvo::load_notifier {

SystemKind SystemKindFromVersion(std::optional<std::uint32_t> platformId, std::uint32_t major) {
  if (!platformId) return SystemKind::Unknown;
  if (*platformId == kPlatformNt) return major == 4 ? SystemKind::Nt4 : SystemKind::Nt;
  if (*platformId == kPlatformWin9x) return SystemKind::Win9x;
  return SystemKind::Unknown;
}

std::optional<CounterSelection> SelectIdleCounter(SystemKind kind) {
  switch (kind) {
    case SystemKind::Nt4:
      return CounterSelection{2, 240, ""};  // System, % Total Processor Time
    case SystemKind::Nt:
      return CounterSelection{238, 6, "_Total"};  // Processor, % Processor Time
    case SystemKind::Win9x:
    case SystemKind::Unknown:
      break;
  }
  return std::nullopt;
}

std::optional<int> LoadPercent(const IdleReading& previous, const IdleReading& current) {
  std::int64_t idle = 0;
  std::int64_t elapsed = 0;
  if (__builtin_sub_overflow(current.Idle, previous.Idle, &idle) ||
      __builtin_sub_overflow(current.Time, previous.Time, &elapsed)) {
    return std::nullopt;
  }
  // A clock that stands still or runs back gives no load, and an idle counter
  // that runs back (a reset) would give more than 100 percent.
  if (elapsed <= 0 || idle < 0) return std::nullopt;
  const long double percent =
      (1.0L - static_cast<long double>(idle) / static_cast<long double>(elapsed)) * 100.0L;
  const long double rounded = std::trunc(percent + 0.5L);
  if (rounded < 0.0L) return std::nullopt;
  return static_cast<int>(rounded);
}

int CpuLoadSampler::Sample() {
  if (!m_kind) m_kind = m_source.Kind();
  if (m_firstSample && *m_kind == SystemKind::Nt) m_source.EnableCounters();
  m_firstSample = false;
  if (!SelectIdleCounter(*m_kind)) return -1;

  const std::optional<IdleReading> reading = m_source.Read();
  if (!reading) return 0;
  if (!m_previous || m_previous->Origin != reading->Origin) {
    m_previous = reading;
    return 0;
  }
  const std::optional<int> percent = LoadPercent(*m_previous, *reading);
  m_previous = reading;
  if (!percent) return 0;
  m_load = *percent;
  return m_load;
}

void RamLoadSampler::Sample() {
  const std::optional<std::uint32_t> load = m_source.MemoryLoad();
  if (load && *load <= 100) m_load = *load;
}

std::span<const std::uint8_t> PerfDataBuffer::Query(IPerfDataQuery& query,
                                                    std::uint32_t objectIndex) {
  if (m_bytes.empty()) m_bytes.resize(kPerfBufferInitial);
  // Our own size: what the query reports back alongside "more data" is not reliable.
  std::size_t size = m_bytes.size();
  const std::string name = std::to_string(objectIndex);
  for (;;) {
    std::fill(m_bytes.begin(), m_bytes.end(), std::uint8_t{0});
    std::size_t written = 0;
    switch (query.Query(name, std::span<std::uint8_t>(m_bytes.data(), size), written)) {
      case PerfQueryStatus::Ok:
        if (written > size) return {};
        return {m_bytes.data(), written};
      case PerfQueryStatus::MoreData:
        if (size > m_limit || m_limit - size < kPerfBufferStep) return {};
        size += kPerfBufferStep;
        m_bytes.resize(size);
        break;
      case PerfQueryStatus::Failed:
        return {};
    }
  }
}

}  // namespace karvo::load_notifier
