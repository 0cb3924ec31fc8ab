#include "load_notifier/perf_data_block.h"

namespace karvo::load_notifier {
namespace {

using namespace perf_layout;

// A bounded view of the block: every read is checked, a failed read poisons the view.
class BlockReader {
 public:
  explicit BlockReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

  std::size_t Size() const { return m_bytes.size(); }

  // True when [offset, offset + length) lies inside [begin, end) of the block.
  static bool Inside(std::size_t begin, std::size_t end, std::size_t offset, std::size_t length) {
    return offset >= begin && offset <= end && length <= end - offset;
  }

  std::optional<std::uint32_t> U32(std::size_t offset) const {
    if (!Inside(0, m_bytes.size(), offset, 4)) return std::nullopt;
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | m_bytes[offset + static_cast<std::size_t>(i)];
    return v;
  }

  std::optional<std::int64_t> I64(std::size_t offset) const {
    if (!Inside(0, m_bytes.size(), offset, 8)) return std::nullopt;
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | m_bytes[offset + static_cast<std::size_t>(i)];
    return static_cast<std::int64_t>(v);
  }

  std::uint16_t U16Unchecked(std::size_t offset) const {
    return static_cast<std::uint16_t>(m_bytes[offset] | (m_bytes[offset + 1] << 8));
  }

 private:
  std::span<const std::uint8_t> m_bytes;
};

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The instance name is UTF-16, NUL-terminated within its length. Only ASCII can
// equal the ASCII names we look for, so no code-page conversion is needed.
bool NameMatches(const BlockReader& reader, std::size_t offset, std::size_t lengthBytes,
                 std::string_view wanted) {
  std::size_t units = lengthBytes / 2;
  std::size_t i = 0;
  for (; i < units; ++i) {
    std::uint16_t unit = reader.U16Unchecked(offset + 2 * i);
    if (unit == 0) break;
    if (i >= wanted.size() || unit > 0x7f) return false;
    if (AsciiLower(static_cast<char>(unit)) != AsciiLower(wanted[i])) return false;
  }
  return i == wanted.size();
}

PerfLookupResult Fail(PerfLookup status) { return {status, {0, 0}}; }

}  // namespace

PerfLookupResult FindPerfCounter(std::span<const std::uint8_t> block, std::uint32_t objectIndex,
                                 std::uint32_t counterIndex, std::string_view instance) {
  const BlockReader reader(block);
  const std::size_t size = reader.Size();
  if (size < kBlockSize) return Fail(PerfLookup::Malformed);
  const auto headerLength = reader.U32(kBlockHeaderLength);
  const auto numObjects = reader.U32(kBlockNumObjectTypes);
  const auto time = reader.I64(kBlockPerfTime100nSec);
  if (!headerLength || !numObjects || !time) return Fail(PerfLookup::Malformed);
  // Counts are checked against the room they need before any walk, so a block that
  // claims more than it holds is refused even when the wanted piece comes first.
  if (*headerLength > size || *numObjects > (size - *headerLength) / kObjectSize) {
    return Fail(PerfLookup::Malformed);
  }

  // Find the object. Each object is at least a header long, so the walk ends.
  std::size_t object = *headerLength;
  std::size_t objectEnd = 0;
  bool found = false;
  for (std::uint32_t i = 0; i < *numObjects; ++i) {
    const auto total = reader.U32(object + kObjectTotalByteLength);
    if (!BlockReader::Inside(0, size, object, kObjectSize) || !total || *total < kObjectSize ||
        !BlockReader::Inside(0, size, object, *total)) {
      return Fail(PerfLookup::Malformed);
    }
    if (*reader.U32(object + kObjectNameTitleIndex) == objectIndex) {
      objectEnd = object + *total;
      found = true;
      break;
    }
    object += *total;
  }
  if (!found) return Fail(PerfLookup::NoObject);

  const std::uint32_t definitionLength = *reader.U32(object + kObjectDefinitionLength);
  const std::uint32_t objectHeaderLength = *reader.U32(object + kObjectHeaderLength);
  const std::uint32_t numCounters = *reader.U32(object + kObjectNumCounters);
  const auto numInstances = static_cast<std::int32_t>(*reader.U32(object + kObjectNumInstances));
  if (definitionLength > objectEnd - object || objectHeaderLength > definitionLength) {
    return Fail(PerfLookup::Malformed);
  }
  const std::size_t definitionsEnd = object + definitionLength;
  if (numCounters > (definitionLength - objectHeaderLength) / kCounterDefinitionSize) {
    return Fail(PerfLookup::Malformed);
  }
  if (numInstances > 0 && static_cast<std::size_t>(numInstances) >
                              (objectEnd - definitionsEnd) / (kInstanceSize + kCounterBlockSize)) {
    return Fail(PerfLookup::Malformed);
  }

  // Counter definitions lie between the object header and the end of the definitions.
  std::size_t counter = object + objectHeaderLength;
  found = false;
  for (std::uint32_t i = 0; i < numCounters; ++i) {
    if (!BlockReader::Inside(object, definitionsEnd, counter, kCounterDefinitionSize)) {
      return Fail(PerfLookup::Malformed);
    }
    const std::uint32_t length = *reader.U32(counter + kCounterByteLength);
    if (length < kCounterDefinitionSize ||
        !BlockReader::Inside(object, definitionsEnd, counter, length)) {
      return Fail(PerfLookup::Malformed);
    }
    if (*reader.U32(counter + kCounterNameTitleIndex) == counterIndex) {
      found = true;
      break;
    }
    counter += length;
  }
  if (!found) return Fail(PerfLookup::NoCounter);
  const std::uint32_t counterSize = *reader.U32(counter + kCounterSize);
  const std::uint32_t counterOffset = *reader.U32(counter + kCounterOffset);
  if (counterSize != 8) return Fail(PerfLookup::Malformed);

  // The counter block of the object, or of the wanted instance.
  std::size_t counterBlock = 0;
  if (numInstances == kNoInstances) {
    counterBlock = definitionsEnd;
  } else if (numInstances < 0) {
    return Fail(PerfLookup::Malformed);
  } else {
    std::size_t entry = definitionsEnd;
    found = false;
    for (std::int32_t i = 0; i < numInstances; ++i) {
      if (!BlockReader::Inside(object, objectEnd, entry, kInstanceSize)) {
        return Fail(PerfLookup::Malformed);
      }
      const std::uint32_t length = *reader.U32(entry + kInstanceByteLength);
      const std::uint32_t nameOffset = *reader.U32(entry + kInstanceNameOffset);
      const std::uint32_t nameLength = *reader.U32(entry + kInstanceNameLength);
      if (length < kInstanceSize || !BlockReader::Inside(object, objectEnd, entry, length) ||
          nameOffset > length || nameLength > length - nameOffset) {
        return Fail(PerfLookup::Malformed);
      }
      const std::size_t block = entry + length;
      const auto blockLength = reader.U32(block + kCounterBlockByteLength);
      if (!blockLength || *blockLength < kCounterBlockSize ||
          !BlockReader::Inside(object, objectEnd, block, *blockLength)) {
        return Fail(PerfLookup::Malformed);
      }
      if (NameMatches(reader, entry + nameOffset, nameLength, instance)) {
        counterBlock = block;
        found = true;
        break;
      }
      entry = block + *blockLength;
    }
    if (!found) return Fail(PerfLookup::NoInstance);
  }

  // The value lies inside its counter block, which lies inside the object.
  const auto blockLength = reader.U32(counterBlock + kCounterBlockByteLength);
  if (!blockLength || *blockLength < kCounterBlockSize + 8 ||
      !BlockReader::Inside(object, objectEnd, counterBlock, *blockLength) ||
      counterOffset < kCounterBlockSize || counterOffset > *blockLength - 8) {
    return Fail(PerfLookup::Malformed);
  }
  return {PerfLookup::Found, {*reader.I64(counterBlock + counterOffset), *time}};
}

}  // namespace karvo::load_notifier
