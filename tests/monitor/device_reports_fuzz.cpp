// libFuzzer target for what the mouse answers: the input is the mouse. Every get is answered
// with input bytes (mostly under the id asked for, sometimes under another), every set succeeds
// or fails by an input bit, and the read-back, an upload and the defaults run against it; then
// the reply readers take input bytes directly.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>

#include "monitor/config_transfer.h"
#include "monitor/device_reports.h"
#include "settings/settings_image.h"

namespace {

namespace monitor = karvo::monitor;
namespace settings = karvo::settings;

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

class InputStream {
 public:
  InputStream(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
  std::uint8_t Next() { return m_at < m_size ? m_data[m_at++] : 0; }
  bool Empty() const { return m_at >= m_size; }

 private:
  const std::uint8_t* m_data;
  std::size_t m_size;
  std::size_t m_at = 0;
};

class FuzzedMouse final : public monitor::IDevice {
 public:
  explicit FuzzedMouse(InputStream& input) : m_input(input) {}
  bool SetFeature(std::uint8_t*, std::uint32_t) override {
    return !m_input.Empty() && (m_input.Next() & 1) == 0;
  }
  bool GetFeature(std::uint8_t* report, std::uint32_t length) override {
    if (m_input.Empty()) return false;
    const std::uint8_t control = m_input.Next();
    if (control & 1) return false;
    const std::uint8_t id = report[0];
    for (std::uint32_t i = 0; i < length; ++i) report[i] = m_input.Next();
    if ((control & 6) != 0) report[0] = id;
    return true;
  }

 private:
  InputStream& m_input;
};

class NoSleep final : public monitor::ISleeper {
 public:
  void SleepMs(std::uint32_t) override {}
};

class Sink final : public monitor::IReadBackSink {
 public:
  void SetFirmwareVersion(int version) override { Require(version >= 0 && version <= 255); }
  void ReadSystemMouseSettings(settings::SettingsImage&) override {}
  void SaveAll(settings::SettingsImage&) override {}
  void WriteSharedBlock(const settings::SettingsImage&) override {}
  void NotifyReadBackDone() override {}
};

settings::SettingsImage& Image() {
  static auto* image = new settings::SettingsImage;
  return *image;
}

template <typename Report>
Report Filled(InputStream& input) {
  Report report;
  for (std::uint8_t& b : report) b = input.Next();
  return report;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  settings::SettingsImage& image = Image();
  settings::ResetImage(&image);
  image.CurrentProfile = 0;  // as the monitor starts
  for (int slot = 0; slot < settings::kProfileCount; ++slot) {
    settings::SetProfileDefaults(&image.Profiles[slot], slot);
    image.SensorChanged[slot] = image.LevelChanged[slot] = 1;
    image.ButtonChanged[slot][0] = 1;
  }
  image.ProfileChanged = 1;

  InputStream input(data, size);
  FuzzedMouse mouse(input);
  NoSleep sleeper;
  std::atomic<bool> cancel{false};
  monitor::ReportChannel channel(mouse, sleeper, cancel);
  Sink sink;
  const int read = monitor::RunReadBack(channel, image, sink);
  // Whatever the mouse says, the current slot stays one of the five.
  Require(image.CurrentProfile >= 0 && image.CurrentProfile < settings::kProfileCount);
  for (int slot = 0; slot < settings::kProfileCount && read == 1; ++slot) {
    for (int n = 0; n < settings::kButtonRecordCount; ++n) {
      Require(image.ButtonChanged[slot][n] == 0);
    }
  }
  monitor::RunUpload(channel, image);
  monitor::RunRestoreDefaults(channel);

  const auto profile = Filled<monitor::ProfileReport>(input);
  if (const auto slot = monitor::ActiveSlotOf(profile)) Require(*slot >= 0 && *slot <= 4);
  monitor::StatusOf(Filled<monitor::StatusReport>(input));
  monitor::LevelOf(Filled<monitor::LevelReport>(input));
  monitor::FirmwareVersionOf(Filled<monitor::FirmwareReport>(input));
  auto stored = std::make_unique<settings::ProfileSettings>();
  settings::SetProfileDefaults(stored.get(), 0);
  monitor::StoreSensorReply(Filled<monitor::SensorReport>(input), *stored);
  if (monitor::StoreButtonReply(Filled<monitor::ButtonReport>(input), *stored)) {
    // Every record is back at its own hardware slot, whatever the reply said.
    auto fresh = std::make_unique<settings::ProfileSettings>();
    settings::SetProfileDefaults(fresh.get(), 0);
    for (int n = 0; n < settings::kButtonRecordCount; ++n) {
      Require(stored->MacroKeys[n].Slot == fresh->MacroKeys[n].Slot);
    }
  }
  return 0;
}
