#pragma once
// The load notifier's behaviour: two periodic notices, each switched by the
// notification settings, handed to the monitor as notice text records.
#include <cstdint>
#include <optional>

#include "load_notifier/load_samplers.h"
#include "settings/osd_text_record.h"

namespace karvo::load_notifier {

inline constexpr unsigned kCpuTimerId = 500;
inline constexpr unsigned kRamTimerId = 501;
inline constexpr unsigned kCpuTimerPeriodMs = 39000;
inline constexpr unsigned kRamTimerPeriodMs = 57000;
inline constexpr unsigned kAppletReloadMessage = 1224;  // WM_USER + 200

struct LoadSwitches {
  std::int32_t ShowCpu = 0;
  std::int32_t ShowRam = 0;
};

// The notification settings, as far as this applet needs them.
class ISwitchSource {
 public:
  virtual ~ISwitchSource() = default;
  // nullopt when the settings could not be read; the switches then stay as they were.
  virtual std::optional<LoadSwitches> ReadSwitches() = 0;
};

// Periodic timers of the main window.
class ITimers {
 public:
  virtual ~ITimers() = default;
  [[nodiscard]] virtual bool Start(unsigned id, unsigned periodMs) = 0;
  virtual void Stop(unsigned id) = 0;
};

// Delivers a record to the monitor; dropped when the monitor is not there.
class INoticeSink {
 public:
  virtual ~INoticeSink() = default;
  virtual void Send(const settings::OsdTextRecord& record) = 0;
};

class LoadNotifier {
 public:
  LoadNotifier(CpuLoadSampler& cpu, RamLoadSampler& ram, ISwitchSource& switches, ITimers& timers,
               INoticeSink& sink)
      : m_cpu(cpu), m_ram(ram), m_switchSource(switches), m_timers(timers), m_sink(sink) {}

  // Starts both timers (they run whatever the switches say) and reads the settings.
  // False when a timer could not be started.
  [[nodiscard]] bool Start();
  void Stop();
  // A timer expired; unknown ids are ignored.
  void OnTimer(unsigned id);
  // The settings changed: re-read the switches; the timers keep running.
  void OnReload();

  const LoadSwitches& Switches() const { return m_switches; }

 private:
  void ReadSwitches();

  CpuLoadSampler& m_cpu;
  RamLoadSampler& m_ram;
  ISwitchSource& m_switchSource;
  ITimers& m_timers;
  INoticeSink& m_sink;
  LoadSwitches m_switches;
};

// The record for one notice: "CPU LOAD: %d%%" or "RAM LOAD: %d%%".
settings::OsdTextRecord MakeLoadRecord(settings::OsdTextSource source, long long percent);

}  // namespace karvo::load_notifier
