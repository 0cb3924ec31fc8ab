#include "osd/appearance.h"

namespace karvo::osd {

void Appearance::SetColour(std::int64_t index) {
  if (index >= 0 && index < kColourCount) m_colour = static_cast<int>(index);
}

void Appearance::SetTransparency(std::int64_t index) {
  if (index >= 0 && index < kTransparencyCount) m_transparency = static_cast<int>(index);
}

void Appearance::ApplyMessage(std::uint32_t lParam) {
  SetColour((lParam >> 16) & 0xFFFF);
  SetTransparency(lParam & 0xFFFF);
}

void Appearance::ApplyRecord(const settings::OSDSetting& record) {
  SetColour(record.OsdColor);
  SetTransparency(record.OsdTransparency);
}

}  // namespace karvo::osd
