#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <utility>

#include "configurator/advanced_page_model.h"
#include "configurator/sensitivity_page_model.h"
#include "configurator/system_page_model.h"
#include "tests/configurator/configurator_fakes.h"

namespace karvo::configurator {
namespace {

using settings::ProfileSettings;
using settings::SettingsImage;

class PageTest : public ::testing::Test {
 protected:
  PageTest() {
    settings::ResetImage(m_image.get());
    for (int slot = 0; slot < 5; ++slot)
      settings::SetProfileDefaults(&m_image->Profiles[slot], slot);
    m_image->CurrentProfile = 0;
  }
  ProfileSettings& Slot(int n) { return m_image->Profiles[n]; }
  void SetLevels(int slot, int a, int b, int c) {
    Slot(slot).CpiSettingValue1 = a;
    Slot(slot).CpiSettingValue2 = b;
    Slot(slot).CpiSettingValue3 = c;
  }

  std::unique_ptr<SettingsImage> m_image = std::make_unique<SettingsImage>();
  SensitivityPageModel m_sensitivity{*m_image};
};

TEST_F(PageTest, StepMaskAfterACpiSliderMoveHoldsOnlyTheStepsInUse) {
  const struct {
    int Steps[3];
    int Mask;
  } kCases[] = {
      {{1, 3, 7}, 0x45},
      {{2, 4, 2}, 0x0A},
      {{7, 7, 7}, 0x40},
      {{2, 4, 7}, 0x4A},
  };
  for (const auto& c : kCases) {
    // Bits of earlier levels are in the accumulator until a CPI slider clears it.
    SetLevels(0, 5, 6, 1);
    m_sensitivity.OnCommand(SensitivityCommand::kOther, false);
    const int before = Slot(0).DpiStepOnOffFlag;
    SetLevels(0, c.Steps[0], c.Steps[1], 1);
    m_sensitivity.OnSlider(c.Steps[2], kCpiSliderId1 + 2);
    EXPECT_EQ(Slot(0).DpiStepOnOffFlag, before) << "a slider move stores no mask";
    m_sensitivity.OnCommand(SensitivityCommand::kOther, false);
    EXPECT_EQ(Slot(0).DpiStepOnOffFlag, c.Mask);
  }
}

TEST_F(PageTest, StepMaskBitsAreOnlyAddedAcrossASlotChange) {
  SetLevels(0, 1, 2, 3);
  SetLevels(1, 5, 6, 7);
  ASSERT_TRUE(m_sensitivity.Refresh());
  m_sensitivity.OnCommand(SensitivityCommand::kOther, false);
  EXPECT_EQ(Slot(0).DpiStepOnOffFlag, 0x07);
  m_image->CurrentProfile = 1;
  ASSERT_TRUE(m_sensitivity.Refresh());
  m_sensitivity.OnCommand(SensitivityCommand::kOther, false);
  EXPECT_EQ(Slot(1).DpiStepOnOffFlag, 0x77);
}

TEST_F(PageTest, StepMaskAfterRestoredDefaultsHoldsOnlyTheirSteps) {
  SetLevels(0, 1, 3, 5);
  ASSERT_TRUE(m_sensitivity.Refresh());
  m_sensitivity.OnCommand(SensitivityCommand::kOther, false);
  settings::SetProfileDefaults(&Slot(0), 0);
  const int restored = Slot(0).DpiStepOnOffFlag;
  m_sensitivity.ForgetGatheredSteps();
  ASSERT_TRUE(m_sensitivity.Refresh());
  m_sensitivity.OnCommand(SensitivityCommand::kOther, false);
  EXPECT_EQ(Slot(0).DpiStepOnOffFlag, restored);
}

TEST_F(PageTest, XYSynchMovesTheOtherSliderForDisplayOnly) {
  Slot(0).XYSensitivityEnabled = 1;
  SliderEcho echo = m_sensitivity.OnSlider(15, kXSliderId);
  EXPECT_EQ(echo.MirrorSliderId, kYSliderId);
  EXPECT_EQ(echo.MirrorPosition, 15);
  EXPECT_EQ(Slot(0).XSensitivity, 15);
  EXPECT_EQ(Slot(0).YSensitivity, 10);
  std::optional<SensitivityView> view = m_sensitivity.Refresh();
  ASSERT_TRUE(view);
  EXPECT_TRUE(view->XYSynch);
  EXPECT_EQ(view->XPosition, 10);
  EXPECT_EQ(view->YPosition, 10);

  m_sensitivity.OnCommand(SensitivityCommand::kXYSynch, false);
  EXPECT_EQ(Slot(0).XYSensitivityEnabled, 0);
  echo = m_sensitivity.OnSlider(4, kYSliderId);
  EXPECT_EQ(echo.MirrorSliderId, 0);
  EXPECT_EQ(Slot(0).YSensitivity, 4);
  view = m_sensitivity.Refresh();
  EXPECT_EQ(view->XPosition, 15);
  EXPECT_EQ(view->YPosition, 4);
}

TEST_F(PageTest, CpiLevelsDefaultRadioAndTheDevicesCurrentStep) {
  // Level 2 moved while level 1 is the default: the device still takes the new step.
  SliderEcho echo = m_sensitivity.OnSlider(5, kCpiSliderId1 + 1);
  EXPECT_EQ(echo.ValueField, 1);
  EXPECT_EQ(echo.ValueText, "4000");
  EXPECT_EQ(Slot(0).CpiSettingValue2, 5);
  EXPECT_EQ(Slot(0).ExtraParam1, 5);
  EXPECT_EQ(Slot(0).ExtraParam3, 5);

  EXPECT_EQ(m_sensitivity.OnCommand(SensitivityCommand::kDefaultRadio3, false), 2);
  EXPECT_EQ(Slot(0).CurrentDpiDefault, 2);
  EXPECT_EQ(Slot(0).ExtraParam1, 7);
  EXPECT_EQ(Slot(0).ExtraParam3, 7);

  // Never set: no radio, ExtraParams untouched; steps outside 1..7 show the number
  // formatted last and a thumb at the nearest end.
  Slot(0).CurrentDpiDefault = -1;
  Slot(0).ExtraParam1 = Slot(0).ExtraParam3 = 99;
  SetLevels(0, 3, 0, 9);
  std::optional<SensitivityView> view = m_sensitivity.Refresh();
  ASSERT_TRUE(view);
  EXPECT_EQ(view->DefaultLevel, -1);
  EXPECT_EQ(Slot(0).ExtraParam1, 99);
  EXPECT_EQ(Slot(0).ExtraParam3, 99);
  EXPECT_EQ(view->CpiPosition[1], 1);
  EXPECT_EQ(view->CpiPosition[2], 7);
  for (const std::string& text : view->CpiText) EXPECT_EQ(text, "1600");
}

TEST_F(PageTest, SystemPageShowsTheHeaderAndStoresAndAppliesAtOnce) {
  testing::FakeSystemMouse system;
  SystemPageModel page(*m_image, system);
  m_image->CurrentProfile = 3;
  const struct {
    int Position, SliderId, StoredSpeed, StoredLevel, AppliedSpeed;
    unsigned AppliedMs;
  } kSliders[] = {
      {11, kPointerSpeedSliderId, 20, 5, 20, 0},  {1, kPointerSpeedSliderId, 1, 5, 1, 0},
      {6, kPointerSpeedSliderId, 11, 5, 11, 0},   {40, kPointerSpeedSliderId, 20, 5, 20, 0},
      {11, kDoubleClickSliderId, 20, 11, 0, 200}, {1, kDoubleClickSliderId, 20, 1, 0, 900},
  };
  for (const auto& c : kSliders) {
    SCOPED_TRACE(std::to_string(c.SliderId) + " at " + std::to_string(c.Position));
    system = {};
    page.OnSlider(c.Position, c.SliderId);
    EXPECT_EQ(Slot(3).MouseSpeed, c.StoredSpeed);
    EXPECT_EQ(Slot(3).DbleClickSpeed, c.StoredLevel);
    EXPECT_EQ(system.PointerSpeed, c.AppliedSpeed);
    EXPECT_EQ(system.DoubleClickMs, c.AppliedMs);
  }

  const struct {
    int HeaderSpeed, Position;
  } kShown[] = {{10, 6}, {20, 11}, {1, 1}, {0, 1}, {-7, 1}, {INT_MAX, 11}, {INT_MIN, 1}};
  for (const auto& c : kShown) {
    m_image->SysMouseSpeed = c.HeaderSpeed;
    EXPECT_EQ(page.Refresh().PointerSpeedPosition, c.Position) << c.HeaderSpeed;
  }
}

TEST_F(PageTest, AdvancedPageRadiosShowOnlyValuesTheyStandForAndTheSpeedIsDecimal) {
  AdvancedPageModel page(*m_image);
  page.OnPollingRadio(3);
  page.OnLightSwitchRadio(kLightSwitchOff);
  EXPECT_EQ(page.Refresh()->PollingRadio, 3);
  EXPECT_EQ(page.Refresh()->LightSwitchRadio, kLightSwitchOff);
  EXPECT_EQ(Slot(0).LightOn, 0);
  Slot(0).PollingRate = 4;
  Slot(0).LightOn = 2;
  EXPECT_EQ(page.Refresh()->PollingRadio, -1);
  EXPECT_EQ(page.Refresh()->LightSwitchRadio, -1) << "both radios left as they are";
  for (auto [text, level] : {std::pair{"", 0}, {"12", 12}, {"7x", 7}, {"x7", 0}}) {
    page.OnOnTheGoSpeedText(text);
    EXPECT_EQ(Slot(0).LevelSetting, level) << text;
  }
}

}  // namespace
}  // namespace karvo::configurator
