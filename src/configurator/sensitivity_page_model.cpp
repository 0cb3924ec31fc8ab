#include "configurator/sensitivity_page_model.h"

#include <algorithm>

#include "configurator/change_flags.h"

namespace karvo::configurator {
namespace {

constexpr int kCpiForStep[kCpiStepMax] = {400, 800, 1600, 3200, 4000, 4800, 6400};

bool IsCpiStep(int step) { return step >= kCpiStepMin && step <= kCpiStepMax; }

std::int32_t& CpiLevel(settings::ProfileSettings& record, int level) {
  switch (level) {
    case 0:
      return record.CpiSettingValue1;
    case 1:
      return record.CpiSettingValue2;
    default:
      return record.CpiSettingValue3;
  }
}

void SetCpiStepOfDefault(settings::ProfileSettings& record, int step) {
  record.ExtraParam1 = step;
  record.ExtraParam3 = step;
}

}  // namespace

int CpiForStep(int step) { return IsCpiStep(step) ? kCpiForStep[step - 1] : 0; }

std::uint16_t StepBit(int step) {
  return IsCpiStep(step) ? static_cast<std::uint16_t>(1u << (step - 1)) : 0;
}

std::string SensitivityPageModel::FormatCpi(int step) {
  if (IsCpiStep(step)) m_lastCpiText = std::to_string(CpiForStep(step));
  return m_lastCpiText;
}

std::optional<SensitivityView> SensitivityPageModel::Refresh() {
  settings::ProfileSettings* record = CurrentSlotRecord(m_working);
  if (!record) return std::nullopt;
  SensitivityView view;
  view.XYSynch = record->XYSensitivityEnabled == 1;
  const int y = std::clamp(record->YSensitivity, kSensitivityMin, kSensitivityMax);
  view.XPosition =
      view.XYSynch ? y : std::clamp(record->XSensitivity, kSensitivityMin, kSensitivityMax);
  view.YPosition = y;
  const int level = record->CurrentDpiDefault;
  if (level >= 0 && level < kCpiLevelCount) {
    view.DefaultLevel = level;
    SetCpiStepOfDefault(*record, CpiLevel(*record, level));
  }
  for (int i = 0; i < kCpiLevelCount; ++i) {
    const int step = CpiLevel(*record, i);
    view.CpiPosition[i] = std::clamp(step, kCpiStepMin, kCpiStepMax);
    view.CpiText[i] = FormatCpi(step);
  }
  return view;
}

SliderEcho SensitivityPageModel::OnSlider(int position, int sliderId) {
  SliderEcho echo;
  settings::ProfileSettings* record = CurrentSlotRecord(m_working);
  if (!record) return echo;
  const bool cpiSlider = sliderId >= kCpiSliderId1 && sliderId < kCpiSliderId1 + kCpiLevelCount;
  const int v = cpiSlider ? std::clamp(position, kCpiStepMin, kCpiStepMax)
                          : std::clamp(position, kSensitivityMin, kSensitivityMax);
  // Every slider, even X and Y, leaves its position's CPI number as the last one.
  (void)FormatCpi(v);
  const bool coupled = record->XYSensitivityEnabled == 1;
  if (sliderId == kXSliderId) {
    record->XSensitivity = v;
    if (coupled) echo.MirrorSliderId = kYSliderId;
  } else if (sliderId == kYSliderId) {
    record->YSensitivity = v;
    if (coupled) echo.MirrorSliderId = kXSliderId;
  } else if (cpiSlider) {
    const int level = sliderId - kCpiSliderId1;
    CpiLevel(*record, level) = v;
    // The level just moved becomes the device's current step, default or not.
    SetCpiStepOfDefault(*record, v);
    m_levelBits[level] = StepBit(v);
    m_accumulator = 0;
    echo.ValueField = level;
    echo.ValueText = m_lastCpiText;
  }
  if (echo.MirrorSliderId != 0) echo.MirrorPosition = v;
  return echo;
}

int SensitivityPageModel::OnCommand(SensitivityCommand command, bool xySynchSelected) {
  settings::ProfileSettings* record = CurrentSlotRecord(m_working);
  if (!record) return -1;
  int selected = -1;
  switch (command) {
    case SensitivityCommand::kXYSynch:
      record->XYSensitivityEnabled = xySynchSelected ? 1 : 0;
      break;
    case SensitivityCommand::kDefaultRadio1:
    case SensitivityCommand::kDefaultRadio2:
    case SensitivityCommand::kDefaultRadio3:
      selected = static_cast<int>(command) - static_cast<int>(SensitivityCommand::kDefaultRadio1);
      record->CurrentDpiDefault = selected;
      SetCpiStepOfDefault(*record, CpiLevel(*record, selected));
      break;
    case SensitivityCommand::kOther:
      break;
  }
  for (int i = 0; i < kCpiLevelCount; ++i) {
    const int step = CpiLevel(*record, i);
    if (IsCpiStep(step)) m_levelBits[i] = StepBit(step);
    m_accumulator |= m_levelBits[i];
  }
  record->DpiStepOnOffFlag = m_accumulator;
  return selected;
}

}  // namespace karvo::configurator
