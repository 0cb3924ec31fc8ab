#pragma once
// The Advanced page: polling rate, light on/off and type, on-the-go speed of the current slot,
// and the reset of every setting. The page asks before a reset; what a reset does to the
// session is the main window's, handed in as a callback.
#include <functional>
#include <utility>

#include "configurator/advanced_page_model.h"
#include "settings/settings_image.h"
#include "skin/configurator_page_win.h"

namespace karvo::configurator {

class AdvancedPage final : public skin::ConfiguratorPage {
 public:
  // restoreDefaults: every slot and the notices back to their defaults, then applied; run only
  // after the user confirmed.
  AdvancedPage(settings::SettingsImage& working, std::function<void()> restoreDefaults)
      : ConfiguratorPage(skin::WindowId::AdvancedPage),
        m_model(working),
        m_restoreDefaults(std::move(restoreDefaults)) {}

  void Refresh() override;

 protected:
  bool OnInit() override;
  void OnCommand(int id, int code, HWND control) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& directResult) override;

 private:
  // Selects radio `value` of `group` and clears the others; -1 clears them all.
  void SelectInGroup(int group, int value);
  void OnReset();
  skin::ColorEdit* SpeedEdit() const;

  AdvancedPageModel m_model;
  std::function<void()> m_restoreDefaults;
};

}  // namespace karvo::configurator
