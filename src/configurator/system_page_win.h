#pragma once
// The System page: the Windows double-click and pointer speed. The thumbs show the system-wide
// values of the working copy; moving one changes the live Windows setting at once and stores it
// in the current slot for Apply.
#include "configurator/system_page_model.h"
#include "settings/registry_win.h"
#include "settings/settings_image.h"
#include "skin/configurator_page_win.h"

namespace karvo::configurator {

class SystemPage final : public skin::ConfiguratorPage {
 public:
  explicit SystemPage(settings::SettingsImage& working)
      : ConfiguratorPage(skin::WindowId::SystemPage), m_model(working, m_system) {}

  void Refresh() override;

 protected:
  bool OnInit() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& directResult) override;

 private:
  void SetSliderPosition(int sliderId, int position);

  // Declared before the model, which keeps a reference to it.
  settings::WinSystemMouse m_system;
  SystemPageModel m_model;
};

}  // namespace karvo::configurator
