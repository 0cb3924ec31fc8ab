// libFuzzer target for the layout string parser: any bytes give a record whose
// texts end inside their fields, and nothing is read or written outside.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "skin/skin_layout.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const karvo::skin::SkinLayout layout =
      karvo::skin::ParseLayout(std::string_view(reinterpret_cast<const char*>(data), size));
  if (strnlen(layout.Name, sizeof layout.Name) == sizeof layout.Name) __builtin_trap();
  if (strnlen(layout.Tooltip, sizeof layout.Tooltip) == sizeof layout.Tooltip) __builtin_trap();
  // The name is the text before the first comma, cut to its field.
  const std::size_t comma = std::string_view(reinterpret_cast<const char*>(data), size).find(',');
  const std::size_t nameLength =
      std::min(comma == std::string_view::npos ? size : comma, sizeof layout.Name - 1);
  if (std::memcmp(layout.Name, data, nameLength) != 0) __builtin_trap();
  return 0;
}
