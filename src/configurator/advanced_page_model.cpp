#include "configurator/advanced_page_model.h"

#include "configurator/change_flags.h"
#include "settings/mouse_settings.h"

namespace karvo::configurator {

std::optional<AdvancedView> AdvancedPageModel::Refresh() const {
  const settings::ProfileSettings* record = CurrentSlotRecord(m_working);
  if (!record) return std::nullopt;
  AdvancedView view;
  if (record->PollingRate >= 0 && record->PollingRate < kPollingRadioCount) {
    view.PollingRadio = record->PollingRate;
  }
  if (record->LightOn == 1) view.LightSwitchRadio = kLightSwitchOn;
  if (record->LightOn == 0) view.LightSwitchRadio = kLightSwitchOff;
  if (record->LightMode >= 0 && record->LightMode < kLightTypeRadioCount) {
    view.LightTypeRadio = record->LightMode;
  }
  view.OnTheGoSpeedText = std::to_string(record->LevelSetting);
  return view;
}

void AdvancedPageModel::OnPollingRadio(int index) {
  settings::ProfileSettings* record = CurrentSlotRecord(m_working);
  if (!record || index < 0 || index >= kPollingRadioCount) return;
  record->PollingRate = index;
}

void AdvancedPageModel::OnLightSwitchRadio(int index) {
  if (index != kLightSwitchOn && index != kLightSwitchOff) return;
  m_lastLightSwitch = index;
  settings::ProfileSettings* record = CurrentSlotRecord(m_working);
  if (record) record->LightOn = index == kLightSwitchOn ? 1 : 0;
}

void AdvancedPageModel::OnLightTypeRadio(int index) {
  settings::ProfileSettings* record = CurrentSlotRecord(m_working);
  if (!record || index < 0 || index >= kLightTypeRadioCount) return;
  record->LightMode = index;
}

void AdvancedPageModel::OnOnTheGoSpeedText(std::string_view text) {
  settings::ProfileSettings* record = CurrentSlotRecord(m_working);
  if (record) record->LevelSetting = settings::ParseDecimal(text);
}

}  // namespace karvo::configurator
