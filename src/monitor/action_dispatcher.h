#pragma once
// Carries out the device's event words on the monitor's window thread: button functions,
// program buttons, profile, CPI and button-mode changes and media keys, with the notices to
// the configurator and the on-screen display. Presence and the open-configurator button stay
// with MonitorCore.
#include <cstdint>
#include <functional>
#include <string_view>

#include "monitor/companions.h"
#include "monitor/event_decoder.h"
#include "monitor/input_injector.h"
#include "monitor/macro_player.h"
#include "monitor/media_keys.h"
#include "platform/suite_names.h"
#include "settings/key_codes.h"
#include "settings/settings_image.h"

namespace karvo::monitor {

using platform::kMsgButtonModeChanged;
using platform::kMsgCpiLevelChanged;
// wParam of the display's notice message.
inline constexpr std::uint32_t kNoticeProfile = 40;
inline constexpr std::uint32_t kNoticeMacro = 70;
inline constexpr std::uint32_t kNoticeCpi = 128;

// Button function codes the monitor acts on; the others are carried out by the mouse.
inline constexpr std::uint8_t kFunctionKeyCombination = 5;
inline constexpr std::uint8_t kFunctionOpenProgram = 17;
inline constexpr std::uint8_t kFunctionCalculator = 33;
inline constexpr std::uint8_t kFunctionMail = 34;
inline constexpr std::uint8_t kFunctionMyComputer = 39;
inline constexpr std::uint8_t kFunctionFirstProfile = 179;
inline constexpr std::uint8_t kFunctionLastProfile = 183;
inline constexpr std::uint8_t kFunctionMacroPauseResume = 186;
inline constexpr std::uint8_t kFunctionMacroStop = 187;

struct NoticeSwitches {
  bool ShowProfile = false;
  bool ShowMacro = false;
  bool ShowDpi = false;
};

class IDispatchHost {
 public:
  virtual ~IDispatchHost() = default;
  // Runs fn on SettingsCopy under the lock that the configuration worker also takes; fn must not
  // call back into the host.
  virtual void WithSettings(const std::function<void(settings::SettingsImage&)>& fn) = 0;
  virtual void WriteSharedBlock() = 0;  // from SettingsCopy
  virtual void SaveAll() = 0;
  virtual void SetCurrentProfile(int slot) = 0;  // config.ini only
  virtual NoticeSwitches Notices() = 0;
  virtual void WriteMacroNotice(int number, std::string_view name) = 0;  // [MacroOSD]
  [[nodiscard]] virtual bool WindowExists(Companion companion) = 0;
  virtual void PostTo(Companion companion, std::uint32_t message, std::uintptr_t wParam,
                      std::intptr_t lParam) = 0;
  [[nodiscard]] virtual bool PostWorker(std::uint32_t job, std::intptr_t param) = 0;
  [[nodiscard]] virtual bool PostMacroPlayer() = 0;  // thread message 1648
  virtual void OpenProgram(std::string_view path) = 0;
  virtual void LaunchMediaPlayer(int mediaOption) = 0;
  virtual void Log(std::string_view line) = 0;
};

class ActionDispatcher {
 public:
  ActionDispatcher(IDispatchHost& host, MacroPlayer& player, MediaKeys& media,
                   IInputInjector& injector, IPlaybackTimer& timer,
                   const settings::IKeyboardLayout& layout)
      : m_host(host),
        m_player(player),
        m_media(media),
        m_injector(injector),
        m_timer(timer),
        m_layout(layout) {}

  // False for the words it leaves to MonitorCore (presence, open-configurator button).
  bool Dispatch(std::uint32_t word);
  // Makes slot (0..4) the active profile and tells the mouse, the configurator and the display.
  void SwitchProfile(int slot);

 private:
  struct SlotView {
    int Slot = -1;
    std::int32_t HddKeyboard = 0;
    std::int32_t MediaOption = 0;
  };
  SlotView CurrentSlot();
  // Copies record r of the current slot; false when the current slot is not 0..4.
  bool CurrentRecord(int record, settings::MacroKeyInfo& out, SlotView* view = nullptr);

  void OnButton(const DeviceEvent& event);
  void OnProgramButton(const DeviceEvent& event);
  void OnProfileChanged(const DeviceEvent& event);
  void OnCpiChanged(const DeviceEvent& event);
  void OnMediaKey(const DeviceEvent& event);
  void OnButtonMode(const DeviceEvent& event);
  void Perform(const settings::MacroKeyInfo& record, int currentSlot);
  void OpenProgramOf(const settings::MacroKeyInfo& record);
  void StartPlayer();
  void NotifyConfigurator(std::uint32_t message, std::intptr_t lParam);
  void NotifyDisplay(std::uint32_t kind, std::intptr_t lParam);

  IDispatchHost& m_host;
  MacroPlayer& m_player;
  MediaKeys& m_media;
  IInputInjector& m_injector;
  IPlaybackTimer& m_timer;
  const settings::IKeyboardLayout& m_layout;
};

}  // namespace karvo::monitor
