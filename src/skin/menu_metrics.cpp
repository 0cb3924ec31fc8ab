#include "skin/menu_metrics.h"

#include <algorithm>
#include <limits>

namespace karvo::skin {

MenuItemSize MeasureMenuItem(std::uint32_t id, std::size_t textLength, std::int32_t itemHeight,
                             std::int32_t itemWidth) {
  const std::int32_t width = std::max(0, itemWidth);
  if (id == kMenuSeparatorId) return {width, 5};
  if (id == kMenuHiddenId) return {width, 0};
  // Menu texts are short; a hostile length must not overflow the arithmetic.
  constexpr std::size_t kLongest =
      (std::numeric_limits<std::int32_t>::max() - kMenuMargins) / kMenuCharWidth;
  const auto length = static_cast<std::int32_t>(std::min(textLength, kLongest));
  return {std::max(width, length * kMenuCharWidth + kMenuMargins),
          std::clamp(itemHeight, 0, std::numeric_limits<std::int32_t>::max() - 2) + 2};
}

}  // namespace karvo::skin
