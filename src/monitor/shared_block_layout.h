#pragma once
// Byte layout of the shared block that matters to the monitor: its size and the change-flag
// areas the monitor clears before its first write.
#include <cstddef>
#include <cstdint>
#include <span>

namespace karvo::monitor {

inline constexpr std::size_t kSharedBlockSize = 170316;

inline constexpr std::size_t kButtonChangedOffset = 169824;  // int[5][14]
inline constexpr std::size_t kButtonChangedSize = 280;
inline constexpr std::size_t kProfileChangedOffset = 170128;
inline constexpr std::size_t kSensorChangedOffset = 170132;  // int[5]
inline constexpr std::size_t kLevelChangedOffset = 170256;   // int[5]

using BlockBytes = std::span<std::uint8_t, kSharedBlockSize>;

// Zeroes ButtonChanged, ProfileChanged, SensorChanged, LevelChanged and the reserved
// int[5] areas at 170108, 170152 and 170172; every other byte is left as it was.
void ResetChangeFlags(BlockBytes block);

// Zeroes ButtonChanged only (after a read-back from the mouse).
void ClearButtonChanged(BlockBytes block);

}  // namespace karvo::monitor
