#pragma once
// A button-assignment page: the seven assignable buttons of one button mode of the current
// slot, with the functions and macros they carry. Both modes are one class, told apart by
// their window table.
#include "editors/macro_store.h"
#include "settings/settings_image.h"
#include "skin/configurator_page_win.h"

namespace karvo::editors {

enum class ButtonMode { kFirst, kSecond };

class ButtonPage final : public skin::ConfiguratorPage {
 public:
  ButtonPage(ButtonMode mode, settings::SettingsImage& working, MacroStore& macros)
      : ConfiguratorPage(mode == ButtonMode::kFirst ? skin::WindowId::ButtonPageMode1
                                                    : skin::WindowId::ButtonPageMode2),
        m_mode(mode),
        m_working(working),
        m_macros(macros) {}

  ButtonMode Mode() const { return m_mode; }
  void Refresh() override;

 private:
  ButtonMode m_mode;
  settings::SettingsImage& m_working;
  MacroStore& m_macros;
};

}  // namespace karvo::editors
