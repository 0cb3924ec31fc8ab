#pragma once
// The Advanced page's rules: polling rate, light on/off and type, and the
// on-the-go speed of the current slot.
#include <optional>
#include <string>
#include <string_view>

#include "settings/settings_image.h"

namespace karvo::configurator {

inline constexpr int kPollingRadioCount = 4;  // 125, 250, 500, 1000 Hz
inline constexpr int kLightSwitchOn = 0;      // radio indexes of the light switch
inline constexpr int kLightSwitchOff = 1;
inline constexpr int kLightTypeRadioCount = 2;
inline constexpr int kOnTheGoSpeedEditId = 4020;
inline constexpr int kOnTheGoSpeedNotifyId = 4021;
inline constexpr int kOnTheGoSpeedMaxChars = 3;

struct AdvancedView {
  int PollingRadio = -1;      // 0..3 selected, -1: all clear
  int LightSwitchRadio = -1;  // kLightSwitchOn/Off selected, -1: leave both as they are
  int LightTypeRadio = -1;    // 0..1 selected, -1: both clear
  std::string OnTheGoSpeedText;
};

// Works on the current slot of the working copy; with no valid current slot every
// call leaves the record alone.
class AdvancedPageModel {
 public:
  explicit AdvancedPageModel(settings::SettingsImage& working) : m_working(working) {}

  std::optional<AdvancedView> Refresh() const;
  // Radio clicks; an index outside the group is ignored.
  void OnPollingRadio(int index);
  void OnLightSwitchRadio(int index);
  void OnLightTypeRadio(int index);
  // The edit's text at a key release (1116), taken as its leading decimal digits.
  void OnOnTheGoSpeedText(std::string_view text);

  // The light-switch radio clicked last (kLightSwitchOn until one is clicked).
  int LastLightSwitchRadio() const { return m_lastLightSwitch; }

 private:
  settings::SettingsImage& m_working;
  int m_lastLightSwitch = kLightSwitchOn;
};

}  // namespace karvo::configurator
