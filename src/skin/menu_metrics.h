#pragma once
// Sizes of the skinned popup menu's owner-drawn items.
#include <cstddef>
#include <cstdint>

namespace karvo::skin {

inline constexpr std::uint32_t kMenuSeparatorId = 0;  // drawn as a thin line
inline constexpr std::uint32_t kMenuHiddenId = 1;     // takes no room at all
inline constexpr std::uint32_t kMenuSeparatorCommand = 2048;
inline constexpr std::int32_t kMenuDefaultItemHeight = 16;
inline constexpr std::int32_t kMenuCharWidth = 8;
// Text starts 2 pixels in; the submenu arrow (a 16-pixel icon) stands 19 pixels
// from the right edge and needs 5 more of room so a long text never runs under it.
inline constexpr std::int32_t kMenuTextLeft = 2;
inline constexpr std::int32_t kMenuArrowRoom = 24;
inline constexpr std::int32_t kMenuMargins = kMenuTextLeft + kMenuArrowRoom;

struct MenuItemSize {
  std::int32_t Width;
  std::int32_t Height;
};

// Height 5 for a separator (id 0), 0 for id 1, otherwise the item height + 2. Width:
// the menu's item width, or more when the text (8 pixels a character) with the
// margins needs it; separators and hidden items take the item width.
MenuItemSize MeasureMenuItem(std::uint32_t id, std::size_t textLength, std::int32_t itemHeight,
                             std::int32_t itemWidth);

}  // namespace karvo::skin
