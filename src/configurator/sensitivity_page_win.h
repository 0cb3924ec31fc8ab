#pragma once
// The Sensitivity page: CPI levels, X and Y sensitivity, the default level.
#include "settings/settings_image.h"
#include "skin/configurator_page_win.h"

namespace karvo::configurator {

class SensitivityPage final : public skin::ConfiguratorPage {
 public:
  explicit SensitivityPage(settings::SettingsImage& working)
      : ConfiguratorPage(skin::WindowId::SensitivityPage), m_working(working) {}

  void Refresh() override;

 private:
  settings::SettingsImage& m_working;
};

}  // namespace karvo::configurator
