#include "configurator/system_page_model.h"

#include <algorithm>

#include "configurator/change_flags.h"

namespace karvo::configurator {

int PointerSpeedPosition(int speed) {
  // Halved first, so even the largest value cannot overflow.
  return std::clamp(speed / 2 + 1, kSystemSliderMin, kSystemSliderMax);
}

int PointerSpeedForPosition(int position) {
  const int v = std::clamp(position, kSystemSliderMin, kSystemSliderMax);
  return std::clamp(2 * v - 1, 1, 20);
}

SystemView SystemPageModel::Refresh() const {
  SystemView view;
  view.DoubleClickPosition =
      std::clamp(m_working.SysDbleClickSpeed, kSystemSliderMin, kSystemSliderMax);
  view.PointerSpeedPosition = PointerSpeedPosition(m_working.SysMouseSpeed);
  return view;
}

void SystemPageModel::OnSlider(int position, int sliderId) {
  settings::ProfileSettings* record = CurrentSlotRecord(m_working);
  if (sliderId == kDoubleClickSliderId) {
    const int level = std::clamp(position, kSystemSliderMin, kSystemSliderMax);
    if (record) record->DbleClickSpeed = level;
    (void)settings::ApplyDoubleClickLevel(m_system, level);
  } else if (sliderId == kPointerSpeedSliderId) {
    const int speed = PointerSpeedForPosition(position);
    if (record) record->MouseSpeed = speed;
    (void)settings::ApplyPointerSpeed(m_system, speed);
  }
}

}  // namespace karvo::configurator
