#include "monitor/shared_block_layout.h"

#include <algorithm>

namespace karvo::monitor {

namespace {
struct Area {
  std::size_t Offset;
  std::size_t Size;
};
constexpr Area kResetAreas[] = {
    {kButtonChangedOffset, kButtonChangedSize},
    {170108, 20},
    {kSensorChangedOffset, 20},
    {170152, 20},
    {170172, 20},
    {kLevelChangedOffset, 20},
    {kProfileChangedOffset, 4},
};
static_assert(kLevelChangedOffset + 20 <= kSharedBlockSize);

void Zero(BlockBytes block, const Area& area) {
  std::fill_n(block.begin() + static_cast<std::ptrdiff_t>(area.Offset), area.Size, 0);
}
}  // namespace

void ResetChangeFlags(BlockBytes block) {
  for (const Area& area : kResetAreas) Zero(block, area);
}

void ClearButtonChanged(BlockBytes block) {
  Zero(block, {kButtonChangedOffset, kButtonChangedSize});
}

}  // namespace karvo::monitor
