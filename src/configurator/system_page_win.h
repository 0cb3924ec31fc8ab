#pragma once
// The System page: the Windows double-click and pointer speed of the current slot.
#include "settings/settings_image.h"
#include "skin/configurator_page_win.h"

namespace karvo::configurator {

class SystemPage final : public skin::ConfiguratorPage {
 public:
  explicit SystemPage(settings::SettingsImage& working)
      : ConfiguratorPage(skin::WindowId::SystemPage), m_working(working) {}

  void Refresh() override;

 private:
  settings::SettingsImage& m_working;
};

}  // namespace karvo::configurator
