#include "monitor/config_transfer.h"

#include <algorithm>
#include <optional>

namespace karvo::monitor {
namespace {

// Waits before poll k of an acknowledgement (k = 0 uses the caller's delay).
constexpr std::array<std::uint32_t, ReportChannel::kMaxPolls> kPollDelaysMs = {
    0, 100, 100, 200, 300, 500, 2000, 2000, 2000, 2000};

bool ValidSlot(int slot) { return slot >= 0 && slot < kSlotCount; }

}  // namespace

void BudgetSleeper::SleepMs(std::uint32_t ms) {
  const std::uint32_t slept = std::min(ms, m_leftMs);
  if (slept != 0) m_sleeper.SleepMs(slept);
  m_leftMs -= slept;
  if (m_leftMs == 0) m_spent = true;
}

bool ReportChannel::CancellableWait(std::uint32_t ms) {
  for (std::uint32_t step = 0; step < ms / kWaitStepMs; ++step) {
    if (Cancelled()) return false;
    m_sleeper.SleepMs(kWaitStepMs);
  }
  return !Cancelled();
}

int ReportChannel::WaitAck(std::uint32_t firstDelayMs) {
  std::uint8_t status = 0;
  int result = 0;
  for (int poll = 0; poll < kMaxPolls; ++poll) {
    if (!CancellableWait(poll == 0 ? firstDelayMs : kPollDelaysMs[poll])) return 0;
    StatusReport reply{kStatusReportId};
    if (GetReport(reply)) {
      // A reply that passed GetReport carries the status id.
      status = reply[1];
      result = status == kStatusDone ? 1 : 0;
    } else {
      result = 0;
    }
    if (status != kStatusBusy) break;
  }
  return result;
}

int ReportChannel::SendReport(std::span<std::uint8_t> report, std::uint32_t firstDelayMs) {
  if (!SetReport(report)) return 0;
  return WaitAck(firstDelayMs);
}

bool ReportChannel::SetReport(std::span<std::uint8_t> report) {
  if (report.empty() || Cancelled()) return false;
  return m_device.SetFeature(report.data(), static_cast<std::uint32_t>(report.size()));
}

bool ReportChannel::GetReport(std::span<std::uint8_t> report) {
  if (report.empty() || Cancelled()) return false;
  const std::uint8_t id = report[0];
  std::fill(report.begin() + 1, report.end(), std::uint8_t{0});
  if (!m_device.GetFeature(report.data(), static_cast<std::uint32_t>(report.size()))) {
    return false;
  }
  return report[0] == id;
}

int RunUpload(ReportChannel& channel, const settings::SettingsImage& image) {
  int result = 1;
  // Every report is followed by a 100 ms pause; a cancel seen there ends the job.
  auto send = [&](std::span<std::uint8_t> report, std::uint32_t firstDelayMs) {
    if (channel.SendReport(report, firstDelayMs) != 1) result = 0;
    return channel.CancellableWait(ReportChannel::kWaitStepMs);
  };

  if (image.ProfileChanged == 1) {
    if (ValidSlot(image.CurrentProfile)) {
      ProfileReport report = BuildProfileReport(image.CurrentProfile);
      if (!send(report, kProfileAckDelayMs)) return 0;
    } else {
      result = 0;
    }
  }
  for (int i = 0; i < kSlotCount; ++i) {
    if (image.LevelChanged[i] == 0) continue;
    LevelReport report = BuildLevelReport(image.Profiles[i].LevelSetting);
    if (!send(report, kLevelAckDelayMs)) return 0;
  }
  for (int i = 0; i < kSlotCount; ++i) {
    if (image.SensorChanged[i] == 0) continue;
    SensorReport report = BuildSensorReport(image.Profiles[i], i);
    if (!send(report, kSensorAckDelayMs)) return 0;
  }
  for (int i = 0; i < kSlotCount; ++i) {
    const auto& changed = image.ButtonChanged[i];
    const bool anyChanged =
        std::any_of(std::begin(changed), std::end(changed), [](auto flag) { return flag != 0; });
    if (image.Profiles[i].HDDKeyboard == 0 || !anyChanged) continue;
    ButtonReport report = BuildButtonReport(image.Profiles[i], i);
    if (!send(report, kButtonAckDelayMs)) return 0;
  }
  if (!channel.CancellableWait(ReportChannel::kWaitStepMs)) return 0;
  return result;
}

int RunRestoreDefaults(ReportChannel& channel) {
  int result = 1;
  // A failed report does not stop the sequence; a cancel does, since the
  // acknowledgement wait that saw it is the job's next wait.
  auto send = [&](std::span<std::uint8_t> report, std::uint32_t firstDelayMs) {
    if (channel.SendReport(report, firstDelayMs) != 1) result = 0;
    return !channel.Cancelled();
  };

  ProfileReport profile = BuildProfileReport(0);
  if (!send(profile, kProfileAckDelayMs)) return 0;
  for (int i = 0; i < kSlotCount; ++i) {
    SensorReport report = DefaultSensorReport(i);
    if (!send(report, kSensorAckDelayMs)) return 0;
  }
  for (int i = 0; i < kSlotCount; ++i) {
    ButtonReport report = DefaultButtonReport(i);
    if (!send(report, kButtonAckDelayMs)) return 0;
  }
  LevelReport level = BuildLevelReport(kDefaultLevel);
  if (!send(level, kRestoreLevelAckDelayMs)) return 0;
  return result;
}

int SendCurrentProfile(ReportChannel& channel, const settings::SettingsImage& image) {
  if (!ValidSlot(image.CurrentProfile)) return 0;
  ProfileReport report = BuildProfileReport(image.CurrentProfile);
  return channel.SendReport(report, kProfileAckDelayMs);
}

int SendHostControl(ReportChannel& channel, std::uint8_t value) {
  HostControlReport report = BuildHostControlReport(value);
  return channel.SendReport(report, kHostControlAckDelayMs);
}

int SendHostControlWithin(IDevice& device, ISleeper& sleeper, std::uint8_t value,
                          std::uint32_t boundMs) {
  BudgetSleeper budget(sleeper, boundMs);
  ReportChannel channel(device, budget, budget.Spent());
  return SendHostControl(channel, value);
}

namespace {

// What the mouse reported, kept apart from the image until the read-back has
// succeeded. Small enough for the worker's stack.
struct DeviceConfiguration {
  std::optional<int> activeSlot;
  std::array<std::optional<int>, kSlotCount> levels;
  std::array<std::optional<SensorReport>, kSlotCount> sensors;
  std::array<std::optional<ButtonReport>, kSlotCount> buttons;
};

enum class SlotRead { kRead, kFailed, kCancelled };

// Select (report 4), pause, acknowledgement, get. A failed select still gets
// the slot's closing wait from the caller.
template <typename Report>
SlotRead ReadSlotReport(ReportChannel& channel, int slot, SelectTarget target, Report& reply) {
  StatusReport select = BuildSelectReport(slot, target);
  const bool selected = channel.SetReport(select);
  if (!channel.CancellableWait(ReportChannel::kWaitStepMs)) return SlotRead::kCancelled;
  if (!selected) return SlotRead::kFailed;
  const int acked = channel.WaitAck(kSelectAckDelayMs);
  if (channel.Cancelled()) return SlotRead::kCancelled;
  if (acked != 1) return SlotRead::kFailed;
  if (!channel.GetReport(reply)) {
    return channel.Cancelled() ? SlotRead::kCancelled : SlotRead::kFailed;
  }
  return SlotRead::kRead;
}

bool ReadDevice(ReportChannel& channel, DeviceConfiguration& config, IReadBackSink& sink) {
  constexpr std::uint32_t kStep = ReportChannel::kWaitStepMs;

  FirmwareReport firmware{kFirmwareReportId};
  const bool gotFirmware = channel.GetReport(firmware);
  sink.SetFirmwareVersion(gotFirmware ? FirmwareVersionOf(firmware).value_or(0) : 0);
  if (!channel.CancellableWait(kStep) || !gotFirmware) return false;

  ProfileReport profile{kProfileReportId};
  if (channel.GetReport(profile)) config.activeSlot = ActiveSlotOf(profile);

  for (int i = 0; i < kSlotCount; ++i) {
    if (!channel.CancellableWait(kStep)) return false;
    LevelReport level{kLevelReportId};
    if (channel.GetReport(level)) config.levels[i] = LevelOf(level);
  }
  if (!channel.CancellableWait(kStep)) return false;

  for (int i = 0; i < kSlotCount; ++i) {
    SensorReport reply{kSensorReportId};
    const SlotRead read = ReadSlotReport(channel, i, SelectTarget::kSensor, reply);
    if (read == SlotRead::kCancelled) return false;
    if (read == SlotRead::kRead) config.sensors[i] = reply;
    if (!channel.CancellableWait(kStep)) return false;
  }

  SlotRead lastButtons = SlotRead::kFailed;
  for (int i = 0; i < kSlotCount; ++i) {
    ButtonReport reply{kButtonReportId};
    lastButtons = ReadSlotReport(channel, i, SelectTarget::kButtons, reply);
    if (lastButtons == SlotRead::kCancelled) return false;
    if (lastButtons == SlotRead::kRead) config.buttons[i] = reply;
    if (!channel.CancellableWait(kStep)) return false;
  }
  return lastButtons == SlotRead::kRead;
}

// With `keepApplied`, a record an apply marked changed keeps the applied value and its flag:
// the upload queued behind the read-back sends it to the mouse.
void StoreDeviceConfiguration(const DeviceConfiguration& config, settings::SettingsImage& image,
                              bool keepApplied) {
  // An applied slot outside 0..4 (the block is not ours) gives way to the mouse's.
  const bool slotApplied =
      keepApplied && image.ProfileChanged == 1 && ValidSlot(image.CurrentProfile);
  if (config.activeSlot && !slotApplied) {
    image.CurrentProfile = *config.activeSlot;
  }
  for (int i = 0; i < kSlotCount; ++i) {
    auto& profile = image.Profiles[i];
    if (config.levels[i] && !(keepApplied && image.LevelChanged[i] != 0)) {
      profile.LevelSetting = *config.levels[i];
    }
    if (config.sensors[i] && !(keepApplied && image.SensorChanged[i] != 0)) {
      StoreSensorReply(*config.sensors[i], profile);
    }
    auto& buttonFlags = image.ButtonChanged[i];
    const bool buttonsApplied =
        keepApplied && std::any_of(std::begin(buttonFlags), std::end(buttonFlags),
                                   [](auto flag) { return flag != 0; });
    if (buttonsApplied) continue;
    if (config.buttons[i]) StoreButtonReply(*config.buttons[i], profile);
    std::fill(std::begin(buttonFlags), std::end(buttonFlags), 0);
  }
}

}  // namespace

int RunReadBack(ReportChannel& channel, settings::SettingsImage& image, IReadBackSink& sink) {
  DeviceConfiguration config;
  if (!ReadDevice(channel, config, sink)) return 0;
  sink.StoreIntoSettings(
      [&](settings::SettingsImage& current, bool applied) {
        StoreDeviceConfiguration(config, current, applied);
        sink.ReadSystemMouseSettings(current);
      },
      image);
  sink.SaveAll(image);
  sink.WriteSharedBlock(image);
  sink.NotifyReadBackDone();
  // The read-back has succeeded whether or not the mouse acknowledges this.
  SendHostControl(channel, kHostRunning);
  return 1;
}

}  // namespace karvo::monitor
