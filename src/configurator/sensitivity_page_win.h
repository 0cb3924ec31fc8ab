#pragma once
// The Sensitivity page: X and Y sensitivity with their coupling, the three CPI levels with
// their values, the default level. The rules are the model's; the page hands it every slider
// move and command and shows what it answers.
#include "configurator/sensitivity_page_model.h"
#include "settings/settings_image.h"
#include "skin/configurator_page_win.h"

namespace karvo::configurator {

class SensitivityPage final : public skin::ConfiguratorPage {
 public:
  explicit SensitivityPage(settings::SettingsImage& working)
      : ConfiguratorPage(skin::WindowId::SensitivityPage), m_model(working) {}

  void Refresh() override;
  // Every slot was just given its defaults (before the refresh that shows them).
  void OnDefaultsRestored() { m_model.ForgetGatheredSteps(); }

 protected:
  bool OnInit() override;
  void OnCommand(int id, int code, HWND control) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& directResult) override;

 private:
  void OnSlider(int position, int sliderId);
  void ShowDefaultLevel(int level);
  void ShowCpiText(int level, const std::string& text);
  void SetSliderPosition(int sliderId, int position);

  SensitivityPageModel m_model;
};

}  // namespace karvo::configurator
