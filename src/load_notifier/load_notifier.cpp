#include "load_notifier/load_notifier.h"

#include <cstdio>
#include <cstring>

namespace karvo::load_notifier {

settings::OsdTextRecord MakeLoadRecord(settings::OsdTextSource source, long long percent) {
  char text[100] = {};
  const char* format =
      source == settings::OsdTextSource::CpuLoad ? "CPU LOAD: %lld%%" : "RAM LOAD: %lld%%";
  std::snprintf(text, sizeof text, format, percent);
  return settings::MakeOsdTextRecord(source, std::string_view(text, std::strlen(text)));
}

bool LoadNotifier::Start() {
  const bool cpu = m_timers.Start(kCpuTimerId, kCpuTimerPeriodMs);
  const bool ram = m_timers.Start(kRamTimerId, kRamTimerPeriodMs);
  ReadSwitches();
  return cpu && ram;
}

void LoadNotifier::Stop() {
  m_timers.Stop(kCpuTimerId);
  m_timers.Stop(kRamTimerId);
}

void LoadNotifier::OnTimer(unsigned id) {
  if (id == kCpuTimerId && m_switches.ShowCpu != 0) {
    // A failed or unsupported sample leaves the stored load, which is what we show.
    (void)m_cpu.Sample();
    m_sink.Send(MakeLoadRecord(settings::OsdTextSource::CpuLoad, m_cpu.Load()));
  } else if (id == kRamTimerId && m_switches.ShowRam != 0) {
    m_ram.Sample();
    m_sink.Send(MakeLoadRecord(settings::OsdTextSource::RamLoad, m_ram.Load()));
  }
}

void LoadNotifier::OnReload() { ReadSwitches(); }

void LoadNotifier::ReadSwitches() {
  if (std::optional<LoadSwitches> read = m_switchSource.ReadSwitches()) m_switches = *read;
}

}  // namespace karvo::load_notifier
