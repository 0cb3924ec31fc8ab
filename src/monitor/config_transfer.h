#pragma once
// The configuration worker's jobs: upload of changed settings, restore of the
// device defaults, read-back of the whole device configuration and the
// current-profile report. Everything here is portable; the monitor supplies the
// device, a sleeper and the cancel flag, and for the read-back its side effects.
//
// How the monitor's worker thread calls them (one job at a time, ConfigBusy set
// and ConfigCancel cleared around each):
//   ReportChannel channel(device, sleeper, configCancel);
//   1649/1, lParam 1:   RunRestoreDefaults(channel);            then post 1256
//   1649/1, otherwise:  RunUpload(channel, settingsCopy);        then post 1256
//   1649/2:             RunReadBack(channel, settingsCopy, sink) (sends report 11
//                       with 1 itself when the read-back succeeded)
//   1649/3:             SendCurrentProfile(channel, settingsCopy)
// At shutdown the window thread sends report 11 with kHostEnding through
// SendExitHostControl (config_worker.h), within a bound.
// None of them throws (the device and sink must not either) and none sleeps
// longer than 100 ms without looking at the cancel flag.
#include <atomic>
#include <cstdint>
#include <functional>
#include <span>

#include "monitor/device.h"
#include "monitor/device_reports.h"
#include "settings/settings_image.h"

namespace karvo::monitor {

// Real time on Windows (Sleep), virtual time in tests.
class ISleeper {
 public:
  virtual ~ISleeper() = default;
  virtual void SleepMs(std::uint32_t ms) = 0;
};

// Passes on at most a budget of sleep and raises Spent once it is used up: used as the cancel
// flag of a channel, it bounds a report's acknowledgement wait whatever the mouse answers.
class BudgetSleeper final : public ISleeper {
 public:
  BudgetSleeper(ISleeper& sleeper, std::uint32_t budgetMs)
      : m_sleeper(sleeper), m_leftMs(budgetMs), m_spent(budgetMs == 0) {}
  void SleepMs(std::uint32_t ms) override;
  const std::atomic<bool>& Spent() const { return m_spent; }

 private:
  ISleeper& m_sleeper;
  std::uint32_t m_leftMs;
  std::atomic<bool> m_spent;
};

// Report traffic with acknowledgement and cancellation. All waits are in 100 ms
// steps, so a cancel set by another thread takes effect within 100 ms.
class ReportChannel {
 public:
  static constexpr std::uint32_t kWaitStepMs = 100;
  static constexpr int kMaxPolls = 10;

  ReportChannel(IDevice& device, ISleeper& sleeper, const std::atomic<bool>& cancel)
      : m_device(device), m_sleeper(sleeper), m_cancel(cancel) {}

  bool Cancelled() const { return m_cancel.load(std::memory_order_acquire); }

  // Sleeps ms/100 steps of 100 ms; false when the cancel flag stopped it (or
  // was already set).
  [[nodiscard]] bool CancellableWait(std::uint32_t ms);
  // Polls status report 4 on the schedule firstDelay, 100, 100, 200, 300, 500,
  // then 2000 ms four times, while the mouse answers busy. 1 only when the last
  // answer was "done"; 0 on failure, ten busy answers or cancellation.
  [[nodiscard]] int WaitAck(std::uint32_t firstDelayMs);
  // SetFeature, then WaitAck; 0 when the send failed or nothing was sent
  // because the job is cancelled.
  [[nodiscard]] int SendReport(std::span<std::uint8_t> report, std::uint32_t firstDelayMs);
  // SetFeature without acknowledgement (the read-back's select report).
  [[nodiscard]] bool SetReport(std::span<std::uint8_t> report);
  // GetFeature of the report whose id is in byte 0; the rest is zeroed first.
  // False when nothing was received, the reply carries another id, or the job
  // is cancelled.
  [[nodiscard]] bool GetReport(std::span<std::uint8_t> report);

 private:
  IDevice& m_device;
  ISleeper& m_sleeper;
  const std::atomic<bool>& m_cancel;
};

// First delays of the acknowledgement per report kind.
inline constexpr std::uint32_t kProfileAckDelayMs = 100;
inline constexpr std::uint32_t kLevelAckDelayMs = 100;
inline constexpr std::uint32_t kSensorAckDelayMs = 500;
inline constexpr std::uint32_t kButtonAckDelayMs = 500;
inline constexpr std::uint32_t kHostControlAckDelayMs = 100;
inline constexpr std::uint32_t kRestoreLevelAckDelayMs = 500;
inline constexpr std::uint32_t kSelectAckDelayMs = 300;

// Sends what the image's change flags name: current profile, levels, sensor
// settings, and the button maps of slots whose button functions are enabled.
// Single failed reports do not stop it; only cancellation does. The flags are
// left as they are (the configurator clears them). 1 when it ran to the end and
// every report was acknowledged, 0 otherwise.
int RunUpload(ReportChannel& channel, const settings::SettingsImage& image);

// Sends the device defaults: profile 0, default sensor report and button map for
// every slot, level 10. Goes on past failed reports; cancellation stops it.
// 1 when every report was acknowledged.
int RunRestoreDefaults(ReportChannel& channel);

// Report 5 with the image's current profile (skipped, result 0, when the
// profile is outside 0..4: the mouse has only five slots).
int SendCurrentProfile(ReportChannel& channel, const settings::SettingsImage& image);

// Report 11; at shutdown with kHostEnding, after a read-back with kHostRunning.
int SendHostControl(ReportChannel& channel, std::uint8_t value);
// Report 11 whose acknowledgement is awaited for boundMs at most.
int SendHostControlWithin(IDevice& device, ISleeper& sleeper, std::uint8_t value,
                          std::uint32_t boundMs);

// Side effects of a read-back, implemented by the monitor's Win32 side.
class IReadBackSink {
 public:
  virtual ~IReadBackSink() = default;
  // config.ini "FWVersion".
  virtual void SetFirmwareVersion(int version) = 0;
  // Runs `store` on the settings that the read-back publishes and leaves the result in
  // `image`. An apply or a profile switch may have replaced the monitor's own copy while the
  // mouse was being read; the monitor then runs `store` on that copy as it is now, so the
  // newer settings keep everything the mouse does not report. `applied` says an apply came in
  // meanwhile: the records it marked changed are still to be uploaded and keep their values.
  virtual void StoreIntoSettings(
      const std::function<void(settings::SettingsImage&, bool applied)>& store,
      settings::SettingsImage& image) {
    store(image, false);
  }
  // The Windows mouse settings into the image's header.
  virtual void ReadSystemMouseSettings(settings::SettingsImage& image) = 0;
  virtual void SaveAll(settings::SettingsImage& image) = 0;
  virtual void WriteSharedBlock(const settings::SettingsImage& image) = 0;
  // Posts 1254 to the configurator window if it exists.
  virtual void NotifyReadBackDone() = 0;
};

// Reads firmware version, active slot, levels, sensor settings and button maps
// of the five slots. The device's values are collected first and only written
// (through the sink's StoreIntoSettings, together with the Windows mouse
// settings) when the read-back succeeds, so an early end leaves the image,
// the files and the shared block as they were (only the firmware version is
// stored in every case). A slot whose select, acknowledgement or get failed
// keeps its stored settings; the read-back fails when the last slot's button
// map could not be read. On success: Windows mouse settings, SaveAll,
// WriteSharedBlock, 1254, then report 11 with 1. Returns 1 on success.
int RunReadBack(ReportChannel& channel, settings::SettingsImage& image, IReadBackSink& sink);

}  // namespace karvo::monitor
