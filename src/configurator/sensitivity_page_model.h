#pragma once
// The Sensitivity page's rules: X and Y sensitivity with their coupling, the three
// CPI levels, the default level and the mask of CPI steps in use.
#include <cstdint>
#include <optional>
#include <string>

#include "settings/settings_image.h"

namespace karvo::configurator {

// Slider ids (lParam of 1094).
inline constexpr int kXSliderId = 100;
inline constexpr int kYSliderId = 200;
inline constexpr int kCpiSliderId1 = 300;  // 301 and 302 for levels 2 and 3
inline constexpr int kCpiLevelCount = 3;
inline constexpr int kSensitivityMin = 1;
inline constexpr int kSensitivityMax = 20;
inline constexpr int kCpiStepMin = 1;
inline constexpr int kCpiStepMax = 7;
inline constexpr int kCpiValueMaxChars = 4;

// 400..6400 for steps 1..7, 0 for any other step.
int CpiForStep(int step);
// The step's bit in DpiStepOnOffFlag (1 << (step - 1)), 0 for any other step.
std::uint16_t StepBit(int step);

struct SensitivityView {
  bool XYSynch = false;
  int XPosition = kSensitivityMin;
  int YPosition = kSensitivityMin;
  int DefaultLevel = -1;  // radio 0..2 selected, -1: none
  int CpiPosition[kCpiLevelCount] = {kCpiStepMin, kCpiStepMin, kCpiStepMin};
  std::string CpiText[kCpiLevelCount];
};

// What one slider move shows besides its own thumb.
struct SliderEcho {
  int MirrorSliderId = 0;  // the coupled slider moved for display only, 0 when none
  int MirrorPosition = 0;
  int ValueField = -1;  // CPI level 0..2 whose value field shows ValueText, -1 when none
  std::string ValueText;
};

enum class SensitivityCommand {
  kXYSynch,
  kDefaultRadio1,
  kDefaultRadio2,
  kDefaultRadio3,
  kOther,  // any other button or edit notification of the page
};

// Works on the current slot of the working copy; with no valid current slot every
// call leaves the record alone and shows nothing new.
class SensitivityPageModel {
 public:
  explicit SensitivityPageModel(settings::SettingsImage& working) : m_working(working) {}

  // Also copies the default level's step into ExtraParam1 and ExtraParam3.
  std::optional<SensitivityView> Refresh();
  // position: the slider's new position; sliderId: its id.
  SliderEcho OnSlider(int position, int sliderId);
  // xySynchSelected: the box's state after the click (read for kXYSynch only).
  // Returns the default radio to show selected (0..2) after a radio, else -1.
  int OnCommand(SensitivityCommand command, bool xySynchSelected);
  // Every slot was just given its defaults: the steps gathered from the slots shown before
  // are dropped, so the next command stores the mask of the restored levels alone.
  void ForgetGatheredSteps() { m_accumulator = 0; }

 private:
  // The CPI number of a step as its value field shows it; a step outside 1..7
  // shows the number formatted last.
  std::string FormatCpi(int step);

  settings::SettingsImage& m_working;
  std::string m_lastCpiText = "0";
  std::uint16_t m_levelBits[kCpiLevelCount] = {};
  // Bits are only ever added to it by commands; a CPI slider move starts it afresh.
  std::uint16_t m_accumulator = 0;
};

}  // namespace karvo::configurator
