#pragma once
// Reads one counter out of the system's performance data block. The block comes
// from the registry of whatever machine we run on and is treated as hostile: every
// offset and length is checked against the bytes actually returned.
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace karvo::load_notifier {

// Layout of the documented 32-bit performance data structures (little-endian).
namespace perf_layout {
inline constexpr std::size_t kBlockHeaderLength = 24;  // PERF_DATA_BLOCK::HeaderLength
inline constexpr std::size_t kBlockNumObjectTypes = 28;
inline constexpr std::size_t kBlockPerfTime100nSec = 72;
inline constexpr std::size_t kBlockSize = 88;

inline constexpr std::size_t kObjectTotalByteLength = 0;  // PERF_OBJECT_TYPE
inline constexpr std::size_t kObjectDefinitionLength = 4;
inline constexpr std::size_t kObjectHeaderLength = 8;
inline constexpr std::size_t kObjectNameTitleIndex = 12;
inline constexpr std::size_t kObjectNumCounters = 32;
inline constexpr std::size_t kObjectNumInstances = 40;
inline constexpr std::size_t kObjectSize = 64;

inline constexpr std::size_t kCounterByteLength = 0;  // PERF_COUNTER_DEFINITION
inline constexpr std::size_t kCounterNameTitleIndex = 4;
inline constexpr std::size_t kCounterSize = 32;
inline constexpr std::size_t kCounterOffset = 36;
inline constexpr std::size_t kCounterDefinitionSize = 40;

inline constexpr std::size_t kInstanceByteLength = 0;  // PERF_INSTANCE_DEFINITION
inline constexpr std::size_t kInstanceNameOffset = 16;
inline constexpr std::size_t kInstanceNameLength = 20;
inline constexpr std::size_t kInstanceSize = 24;

inline constexpr std::size_t kCounterBlockByteLength = 0;  // PERF_COUNTER_BLOCK
inline constexpr std::size_t kCounterBlockSize = 4;

inline constexpr std::int32_t kNoInstances = -1;  // PERF_NO_INSTANCES
}  // namespace perf_layout

struct PerfCounterReading {
  std::int64_t Value;
  std::int64_t Time100ns;  // the block's PerfTime100nSec
};

enum class PerfLookup {
  Found,
  NoObject,    // the block is sound but has no object with that title index
  NoCounter,   // the object has no such counter
  NoInstance,  // the object has instances but none of that name
  Malformed,   // something points outside the block or would not advance
};

struct PerfLookupResult {
  PerfLookup Status;
  PerfCounterReading Reading;  // meaningful only when Status is Found
};

// Finds counter `counterIndex` of object `objectIndex` in `block`; `instance` is
// the instance name to match ignoring ASCII letter case, or empty for an object
// without instances. Only 64-bit counters are read.
PerfLookupResult FindPerfCounter(std::span<const std::uint8_t> block, std::uint32_t objectIndex,
                                 std::uint32_t counterIndex, std::string_view instance);

}  // namespace karvo::load_notifier
