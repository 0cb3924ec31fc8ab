#include "monitor/hand_off_text.h"

namespace karvo::monitor {

std::optional<std::string> HandOffText(std::uint32_t size, const void* data) {
  if (size != kHandOffRecordSize || data == nullptr) return std::nullopt;
  const auto* bytes = static_cast<const unsigned char*>(data);
  std::string text;
  for (std::size_t i = 1; i < kHandOffRecordSize - 1 && text.size() < kHandOffTextLimit; ++i) {
    unsigned char c = bytes[i];
    if (c < 0x20 || c == 0x7F) break;
    text.push_back(static_cast<char>(c));
  }
  return text;
}

}  // namespace karvo::monitor
