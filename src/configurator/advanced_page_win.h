#pragma once
// The Advanced page: polling rate, light effect, on-the-go speed, the device reset.
#include "settings/settings_image.h"
#include "skin/configurator_page_win.h"

namespace karvo::configurator {

class AdvancedPage final : public skin::ConfiguratorPage {
 public:
  explicit AdvancedPage(settings::SettingsImage& working)
      : ConfiguratorPage(skin::WindowId::AdvancedPage), m_working(working) {}

  void Refresh() override;

 private:
  settings::SettingsImage& m_working;
};

}  // namespace karvo::configurator
