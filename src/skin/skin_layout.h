#pragma once
// A control's place and tooltip, parsed from its one-line layout string
// ("Apply,343,555,59,19,Save the settings into the devices and close the application").
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace karvo::skin {

struct SkinLayout {
  char Name[40];  // NUL-terminated; only for reading the code, never shown
  std::int32_t Left;
  std::int32_t Top;
  std::int32_t Right;   // Left + width
  std::int32_t Bottom;  // Top + height
  char Tooltip[404];    // NUL-terminated; empty when the string ends with a comma
};
static_assert(sizeof(SkinLayout) == 460);
static_assert(offsetof(SkinLayout, Name) == 0);
static_assert(offsetof(SkinLayout, Left) == 40);
static_assert(offsetof(SkinLayout, Top) == 44);
static_assert(offsetof(SkinLayout, Right) == 48);
static_assert(offsetof(SkinLayout, Bottom) == 52);
static_assert(offsetof(SkinLayout, Tooltip) == 56);

// Always succeeds. Name and tooltip longer than their fields are cut (always
// terminated); a number that does not parse is 0; numbers may carry leading blanks.
// Right and Bottom saturate instead of overflowing.
SkinLayout ParseLayout(std::string_view text);

}  // namespace karvo::skin
