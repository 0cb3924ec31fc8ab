#include "skin/skin_layout.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace karvo::skin {
namespace {

template <std::size_t N>
void CopyCut(char (&field)[N], std::string_view text) {
  const std::size_t n = std::min(text.size(), N - 1);
  std::memcpy(field, text.data(), n);
  field[n] = '\0';
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

// Leading blanks, an optional sign, then decimal digits up to the first other
// character; no digits give 0. Values beyond 32 bits saturate.
std::int32_t ReadNumber(std::string_view field) {
  std::size_t at = 0;
  while (at < field.size() && IsSpace(field[at])) ++at;
  bool negative = false;
  if (at < field.size() && (field[at] == '-' || field[at] == '+')) {
    negative = field[at] == '-';
    ++at;
  }
  std::int64_t value = 0;
  constexpr std::int64_t kCap = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  for (; at < field.size() && field[at] >= '0' && field[at] <= '9'; ++at) {
    value = std::min(kCap, value * 10 + (field[at] - '0'));
  }
  if (negative) value = -value;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::int32_t SaturatingAdd(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(std::int64_t{a} + b, std::numeric_limits<std::int32_t>::min(),
                               std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

SkinLayout ParseLayout(std::string_view text) {
  SkinLayout layout{};
  const std::size_t firstComma = text.find(',');
  CopyCut(layout.Name, text.substr(0, firstComma));
  if (firstComma == std::string_view::npos) return layout;

  const std::string_view rest = text.substr(firstComma + 1);
  std::int32_t numbers[4] = {};
  std::string_view fields = rest;
  for (std::int32_t& number : numbers) {
    const std::size_t comma = fields.find(',');
    number = ReadNumber(fields.substr(0, comma));
    if (comma == std::string_view::npos) break;
    fields.remove_prefix(comma + 1);
  }
  layout.Left = numbers[0];
  layout.Top = numbers[1];
  layout.Right = SaturatingAdd(numbers[0], numbers[2]);
  layout.Bottom = SaturatingAdd(numbers[1], numbers[3]);

  const std::size_t lastComma = rest.rfind(',');
  if (lastComma != std::string_view::npos) {
    CopyCut(layout.Tooltip, Trim(rest.substr(lastComma + 1)));
  }
  return layout;
}

}  // namespace karvo::skin
