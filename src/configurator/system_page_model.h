#pragma once
// The System page's rules: double-click speed and pointer speed, shown from the
// image header (the system-wide values) and stored into the current slot, with the
// live Windows setting changed while the thumb moves.
#include "settings/mouse_settings.h"
#include "settings/settings_image.h"

namespace karvo::configurator {

// Slider ids (lParam of 1094).
inline constexpr int kDoubleClickSliderId = 6;
inline constexpr int kPointerSpeedSliderId = 5;
inline constexpr int kSystemSliderMin = 1;
inline constexpr int kSystemSliderMax = 11;

struct SystemView {
  int DoubleClickPosition = kSystemSliderMin;
  int PointerSpeedPosition = kSystemSliderMin;
};

class SystemPageModel {
 public:
  SystemPageModel(settings::SettingsImage& working, settings::ISystemMouse& system)
      : m_working(working), m_system(system) {}

  // From the header, whichever slot is current.
  SystemView Refresh() const;
  // Stores into the current slot (when there is one) and applies at once.
  void OnSlider(int position, int sliderId);

 private:
  settings::SettingsImage& m_working;
  settings::ISystemMouse& m_system;
};

// Pointer speed 1..20 as the slider shows it (1..11), and back (1, 3, .., 19, 20).
int PointerSpeedPosition(int speed);
int PointerSpeedForPosition(int position);

}  // namespace karvo::configurator
