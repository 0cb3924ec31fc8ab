#pragma once
// Builds synthetic performance data blocks in the documented 32-bit layout.
#include <cstdint>
#include <string>
#include <vector>

#include "load_notifier/perf_data_block.h"

namespace karvo::load_notifier::testing {

struct FakeCounter {
  std::uint32_t TitleIndex;
  std::int64_t Value;
};

struct FakeInstance {
  std::u16string Name;
  std::vector<std::int64_t> Values;  // one per counter of the object
};

struct FakeObject {
  // An object without instances: one counter block with `values`.
  FakeObject(std::uint32_t title, std::vector<std::uint32_t> counters,
             std::vector<std::int64_t> values)
      : TitleIndex(title), CounterIndexes(std::move(counters)), Values(std::move(values)) {}
  // An object with instances (possibly none).
  FakeObject(std::uint32_t title, std::vector<std::uint32_t> counters,
             std::vector<FakeInstance> instances)
      : TitleIndex(title),
        CounterIndexes(std::move(counters)),
        HasInstances(true),
        Instances(std::move(instances)) {}

  std::uint32_t TitleIndex;
  std::vector<std::uint32_t> CounterIndexes;
  std::vector<std::int64_t> Values;
  bool HasInstances = false;
  std::vector<FakeInstance> Instances;
};

class PerfBlockBuilder {
 public:
  explicit PerfBlockBuilder(std::int64_t time100ns) : m_time(time100ns) {}
  PerfBlockBuilder& Add(FakeObject object) {
    m_objects.push_back(std::move(object));
    return *this;
  }

  // Offsets of the pieces in the last Build(), for tests that corrupt them.
  struct Layout {
    std::vector<std::size_t> Objects;
    std::vector<std::size_t> FirstCounterDefinition;
    std::vector<std::size_t> FirstInstance;  // or the counter block without instances
  };

  std::vector<std::uint8_t> Build(Layout* layout = nullptr) const {
    using namespace perf_layout;
    std::vector<std::uint8_t> out(kBlockSize, 0);
    Put32(out, 0, 0x00450050);  // "PE"
    Put32(out, 4, 0x00460052);  // "RF"
    Put32(out, 8, 1);
    Put32(out, kBlockHeaderLength, kBlockSize);
    Put32(out, kBlockNumObjectTypes, static_cast<std::uint32_t>(m_objects.size()));
    Put64(out, kBlockPerfTime100nSec, m_time);
    for (const FakeObject& object : m_objects) {
      const std::size_t start = out.size();
      out.resize(start + kObjectSize, 0);
      const std::size_t counters = object.CounterIndexes.size();
      for (std::size_t i = 0; i < counters; ++i) {
        const std::size_t def = out.size();
        out.resize(def + kCounterDefinitionSize, 0);
        Put32(out, def + kCounterByteLength, kCounterDefinitionSize);
        Put32(out, def + kCounterNameTitleIndex, object.CounterIndexes[i]);
        Put32(out, def + kCounterSize, 8);
        Put32(out, def + kCounterOffset, static_cast<std::uint32_t>(8 + 8 * i));
      }
      const std::size_t definitionLength = out.size() - start;
      if (layout) {
        layout->Objects.push_back(start);
        layout->FirstCounterDefinition.push_back(start + kObjectSize);
        layout->FirstInstance.push_back(out.size());
      }
      if (!object.HasInstances) {
        AppendCounterBlock(out, object.Values, counters);
      } else {
        for (const FakeInstance& instance : object.Instances) {
          const std::size_t entry = out.size();
          const std::size_t nameBytes = (instance.Name.size() + 1) * 2;
          const std::size_t length = (kInstanceSize + nameBytes + 7) & ~std::size_t{7};
          out.resize(entry + length, 0);
          Put32(out, entry + kInstanceByteLength, static_cast<std::uint32_t>(length));
          Put32(out, entry + kInstanceNameOffset, kInstanceSize);
          Put32(out, entry + kInstanceNameLength, static_cast<std::uint32_t>(nameBytes));
          for (std::size_t c = 0; c < instance.Name.size(); ++c) {
            out[entry + kInstanceSize + 2 * c] = static_cast<std::uint8_t>(instance.Name[c]);
            out[entry + kInstanceSize + 2 * c + 1] =
                static_cast<std::uint8_t>(instance.Name[c] >> 8);
          }
          AppendCounterBlock(out, instance.Values, counters);
        }
      }
      Put32(out, start + kObjectTotalByteLength, static_cast<std::uint32_t>(out.size() - start));
      Put32(out, start + kObjectDefinitionLength, static_cast<std::uint32_t>(definitionLength));
      Put32(out, start + kObjectHeaderLength, kObjectSize);
      Put32(out, start + kObjectNameTitleIndex, object.TitleIndex);
      Put32(out, start + kObjectNumCounters, static_cast<std::uint32_t>(counters));
      Put32(out, start + kObjectNumInstances,
            object.HasInstances ? static_cast<std::uint32_t>(object.Instances.size())
                                : static_cast<std::uint32_t>(kNoInstances));
    }
    Put32(out, 20, static_cast<std::uint32_t>(out.size()));  // TotalByteLength
    return out;
  }

  static void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  }
  static void Put64(std::vector<std::uint8_t>& out, std::size_t at, std::int64_t v) {
    const auto u = static_cast<std::uint64_t>(v);
    for (int i = 0; i < 8; ++i) out[at + i] = static_cast<std::uint8_t>(u >> (8 * i));
  }

 private:
  static void AppendCounterBlock(std::vector<std::uint8_t>& out,
                                 const std::vector<std::int64_t>& values, std::size_t counters) {
    const std::size_t block = out.size();
    const std::size_t length = 8 + 8 * counters;
    out.resize(block + length, 0);
    Put32(out, block, static_cast<std::uint32_t>(length));
    for (std::size_t i = 0; i < counters && i < values.size(); ++i) {
      Put64(out, block + 8 + 8 * i, values[i]);
    }
  }

  std::int64_t m_time;
  std::vector<FakeObject> m_objects;
};

}  // namespace karvo::load_notifier::testing
