#include "monitor/action_dispatcher.h"

#include <memory>
#include <optional>

#include "monitor/key_combination.h"
#include "monitor/monitor_messages.h"

namespace karvo::monitor {

namespace {
constexpr int kVkLaunchApp2 = 0xB7;
constexpr int kVkLaunchMail = 0xB4;
constexpr int kVkLaunchApp1 = 0xB6;
constexpr std::uint32_t kLastProgramButton = 18;

bool ValidSlot(std::int32_t slot) { return slot >= 0 && slot < settings::kProfileCount; }
}  // namespace

bool ActionDispatcher::Dispatch(std::uint32_t word) {
  DeviceEvent event = Decode(word);
  switch (static_cast<EventType>(event.Type)) {
    case EventType::Button:
      OnButton(event);
      return true;
    case EventType::ProgramButton:
      OnProgramButton(event);
      return true;
    case EventType::ProfileChanged:
      OnProfileChanged(event);
      return true;
    case EventType::CpiChanged:
      OnCpiChanged(event);
      return true;
    case EventType::MediaKey:
      OnMediaKey(event);
      return true;
    case EventType::ButtonMode:
      OnButtonMode(event);
      return true;
    case EventType::Presence:
    case EventType::OpenConfigurator:
      return false;
  }
  return true;  // unknown types are ignored
}

ActionDispatcher::SlotView ActionDispatcher::CurrentSlot() {
  SlotView view;
  m_host.WithSettings([&](settings::SettingsImage& image) {
    if (!ValidSlot(image.CurrentProfile)) return;
    const settings::ProfileSettings& profile = image.Profiles[image.CurrentProfile];
    view.Slot = image.CurrentProfile;
    view.HddKeyboard = profile.HDDKeyboard;
    view.MediaOption = profile.MediaOption;
  });
  return view;
}

bool ActionDispatcher::CurrentRecord(int record, settings::MacroKeyInfo& out, SlotView* view) {
  if (record < 0 || record >= settings::kButtonRecordCount) return false;
  bool found = false;
  m_host.WithSettings([&](settings::SettingsImage& image) {
    if (!ValidSlot(image.CurrentProfile)) return;
    const settings::ProfileSettings& profile = image.Profiles[image.CurrentProfile];
    out = profile.MacroKeys[record];
    if (view) {
      view->Slot = image.CurrentProfile;
      view->HddKeyboard = profile.HDDKeyboard;
      view->MediaOption = profile.MediaOption;
    }
    found = true;
  });
  return found;
}

void ActionDispatcher::OnButton(const DeviceEvent& event) {
  std::optional<int> record = RecordIndexForButton(event.Low());
  if (!record) return;
  auto info = std::make_unique<settings::MacroKeyInfo>();
  SlotView view;
  if (!CurrentRecord(*record, *info, &view)) return;
  // Only a plain press acts: high byte 1 is a release, other values are not the device's.
  if (event.High() == 0 && (view.HddKeyboard != 0 || info->FunctionCode == kFunctionOpenProgram)) {
    Perform(*info, view.Slot);
  }
  if (event.Param >= 1 && event.Param <= 18 && info->FunctionCode == kFunctionMacro &&
      m_host.Notices().ShowMacro) {
    m_host.WriteMacroNotice(*record, settings::FieldText(info->Name));
    NotifyDisplay(kNoticeMacro, 0);
  }
}

void ActionDispatcher::Perform(const settings::MacroKeyInfo& record, int currentSlot) {
  std::uint8_t code = record.FunctionCode;
  switch (code) {
    case kFunctionKeyCombination:
      PlayKeyCombination(record.Data[0], record.Data[1], m_injector, m_timer, m_layout);
      return;
    case kFunctionMacro:
      if (m_player.Arm(record) == MacroPlayer::ArmResult::Start) StartPlayer();
      return;
    case kFunctionOpenProgram:
      OpenProgramOf(record);
      return;
    case kFunctionCalculator:
      PressVirtualKey(kVkLaunchApp2, m_injector);
      return;
    case kFunctionMail:
      PressVirtualKey(kVkLaunchMail, m_injector);
      return;
    case kFunctionMyComputer:
      PressVirtualKey(kVkLaunchApp1, m_injector);
      return;
    case kFunctionMacroPauseResume:
      if (m_player.PauseResume()) StartPlayer();
      return;
    case kFunctionMacroStop:
      m_player.Stop();
      return;
    default:
      break;
  }
  if (code >= kFunctionFirstProfile && code <= kFunctionLastProfile) {
    int slot = code - kFunctionFirstProfile;
    if (slot != currentSlot) SwitchProfile(slot);
  }
}

void ActionDispatcher::StartPlayer() {
  if (m_host.PostMacroPlayer()) return;
  m_player.StartFailed();
  m_host.Log("macro player not reached\n");
}

void ActionDispatcher::OpenProgramOf(const settings::MacroKeyInfo& record) {
  std::string_view path = settings::FieldText(record.ProgramPath);
  if (!path.empty()) m_host.OpenProgram(path);
}

void ActionDispatcher::OnProgramButton(const DeviceEvent& event) {
  // The program event numbers buttons 1..18 only; 19 is a button event's number.
  if (event.High() != 0 || event.Low() < 1 || event.Low() > kLastProgramButton) return;
  std::optional<int> record = RecordIndexForButton(event.Low());
  if (!record) return;
  auto info = std::make_unique<settings::MacroKeyInfo>();
  if (!CurrentRecord(*record, *info)) return;
  if (info->FunctionCode == kFunctionOpenProgram) OpenProgramOf(*info);
}

void ActionDispatcher::OnProfileChanged(const DeviceEvent& event) {
  if (event.Param < 1 || event.Param > 5) return;
  int slot = static_cast<int>(event.Param) - 1;
  m_host.WithSettings([&](settings::SettingsImage& image) { image.CurrentProfile = slot; });
  m_host.SetCurrentProfile(slot);
  m_host.WriteSharedBlock();
  NotifyConfigurator(kMsgProfileChanged, 0);
  if (m_host.Notices().ShowProfile)
    NotifyDisplay(kNoticeProfile, static_cast<std::intptr_t>(slot) << 16);
}

void ActionDispatcher::SwitchProfile(int slot) {
  if (!ValidSlot(slot)) return;
  m_host.WithSettings([&](settings::SettingsImage& image) { image.CurrentProfile = slot; });
  // config.ini follows too, so that a restart does not bring back the slot just left.
  m_host.SetCurrentProfile(slot);
  m_host.WriteSharedBlock();
  if (!m_host.PostWorker(kJobCurrentProfile, 0)) m_host.Log("current-profile job not posted\n");
  NotifyConfigurator(kMsgProfileChanged, 0);
  if (m_host.Notices().ShowProfile)
    NotifyDisplay(kNoticeProfile, static_cast<std::intptr_t>(slot) << 16);
}

void ActionDispatcher::OnCpiChanged(const DeviceEvent& event) {
  const std::int32_t value = static_cast<std::int32_t>(event.Low());
  bool known = false;
  std::int32_t level = 0;
  m_host.WithSettings([&](settings::SettingsImage& image) {
    if (!ValidSlot(image.CurrentProfile)) return;
    settings::ProfileSettings& profile = image.Profiles[image.CurrentProfile];
    if (value == profile.CpiSettingValue1) profile.CurrentDpiDefault = 0;
    if (value == profile.CpiSettingValue2) profile.CurrentDpiDefault = 1;
    if (value == profile.CpiSettingValue3) profile.CurrentDpiDefault = 2;
    level = profile.CurrentDpiDefault;
    known = true;
  });
  if (!known) return;
  m_host.SaveAll();
  m_host.WriteSharedBlock();
  NotifyConfigurator(kMsgCpiLevelChanged, level);
  if (m_host.Notices().ShowDpi) NotifyDisplay(kNoticeCpi, value);
}

void ActionDispatcher::OnMediaKey(const DeviceEvent& event) {
  if (event.High() != 0) return;
  SlotView view = CurrentSlot();
  if (view.Slot < 0) return;
  if (event.Low() == kMediaOpenPlayer) {
    m_host.LaunchMediaPlayer(view.MediaOption);
    return;
  }
  m_media.OnMediaKey(event.Low(), view.MediaOption);
}

void ActionDispatcher::OnButtonMode(const DeviceEvent& event) {
  std::uint32_t mode = event.Low();
  // The mouse has modes 1 and 2 only; any other value is no mode report and must not switch the
  // configurator's page to the first mode.
  if (mode != 1 && mode != 2) return;
  bool known = false;
  m_host.WithSettings([&](settings::SettingsImage& image) {
    if (!ValidSlot(image.CurrentProfile)) return;
    image.Profiles[image.CurrentProfile].SecondModeActive = mode == 2 ? 1 : 0;
    known = true;
  });
  if (!known) return;
  m_host.WriteSharedBlock();
  NotifyConfigurator(kMsgButtonModeChanged, static_cast<std::intptr_t>(mode));
}

void ActionDispatcher::NotifyConfigurator(std::uint32_t message, std::intptr_t lParam) {
  if (m_host.WindowExists(Companion::Configurator))
    m_host.PostTo(Companion::Configurator, message, 0, lParam);
}

void ActionDispatcher::NotifyDisplay(std::uint32_t kind, std::intptr_t lParam) {
  if (m_host.WindowExists(Companion::Osd))
    m_host.PostTo(Companion::Osd, kMsgOsdNotice, kind, lParam);
}

}  // namespace karvo::monitor
