// libFuzzer target for the performance data walk: the input is tried as a block of
// its own and as a list of byte patches over a sound block, so the mutations reach
// the counters and instances deep inside the structure as well as the header.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "load_notifier/perf_data_block.h"
#include "perf_block_builder.h"

namespace {

using karvo::load_notifier::FindPerfCounter;
using karvo::load_notifier::PerfLookup;
using namespace karvo::load_notifier::testing;

const std::vector<std::uint8_t>& SoundBlock() {
  static const std::vector<std::uint8_t> block =
      PerfBlockBuilder(1000)
          .Add(FakeObject(2, {240, 250}, std::vector<std::int64_t>{5, 6}))
          .Add(FakeObject(238, {5, 6, 7}, {{u"0", {1, 2, 3}}, {u"_Total", {4, 5, 6}}}))
          .Build();
  return block;
}

void Check(const std::vector<std::uint8_t>& block) {
  for (std::uint32_t object : {2u, 238u}) {
    const auto result =
        FindPerfCounter(block, object, object == 2 ? 240 : 6, object == 2 ? "" : "_Total");
    // A reading is only reported for a block that holds one.
    if (result.Status == PerfLookup::Found && block.size() < 88) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Check(std::vector<std::uint8_t>(data, data + size));

  std::vector<std::uint8_t> patched = SoundBlock();
  // Three bytes per patch: a little-endian offset into the block and the new byte;
  // an odd last byte cuts the block short.
  for (std::size_t i = 0; i + 3 <= size; i += 3) {
    const std::size_t at = static_cast<std::size_t>(data[i] | (data[i + 1] << 8)) % patched.size();
    patched[at] = data[i + 2];
  }
  if (size % 3 == 1) patched.resize(data[size - 1] % patched.size());
  Check(patched);
  return 0;
}
