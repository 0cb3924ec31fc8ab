#include "monitor/device_library_win.h"

#include "platform/debug_log.h"

namespace karvo::monitor {

namespace {
template <typename Fn>
Fn Resolve(HMODULE module, const char* name) {
  FARPROC entry = ::GetProcAddress(module, name);
  if (!entry) platform::DebugLog("hidgate.dll has no entry %s\n", name);
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(entry));
}
}  // namespace

bool DeviceLibrary::Load(const std::string& path) {
  Free();
  platform::UniqueModule module(::LoadLibraryA(path.c_str()));
  if (!module) {
    platform::DebugLogLastError("LoadLibraryA(hidgate.dll)");
    return false;
  }
  HMODULE m = module.Get();
  m_openDevMonitor = Resolve<OpenDevMonitorFn>(m, "Open_DevMonitor");
  m_closeDevMonitor = Resolve<VoidFn>(m, "Close_DevMonitor");
  m_openFeatureDevice = Resolve<VoidFn>(m, "Open_FeatureDevice");
  m_closeFeatureDevice = Resolve<VoidFn>(m, "Close_FeatureDevice");
  m_setFeature = Resolve<FeatureFn>(m, "SetFeature");
  m_getFeature = Resolve<FeatureFn>(m, "GetFeature");
  m_getMousePid = Resolve<PidFn>(m, "GetMousePID");
  m_module = std::move(module);
  return true;
}

void DeviceLibrary::Free() {
  m_openDevMonitor = nullptr;
  m_closeDevMonitor = nullptr;
  m_openFeatureDevice = nullptr;
  m_closeFeatureDevice = nullptr;
  m_setFeature = nullptr;
  m_getFeature = nullptr;
  m_getMousePid = nullptr;
  m_module.Reset();
}

bool DeviceLibrary::Usable() const {
  // A library that can be opened but not closed again, or that cannot move reports, is
  // no mouse the monitor can drive.
  return m_openDevMonitor && m_closeDevMonitor && m_openFeatureDevice && m_closeFeatureDevice &&
         m_setFeature && m_getFeature;
}

void DeviceLibrary::OpenDevMonitor(HWND window, UINT eventMessage, UINT arrivalMessage) {
  if (Usable()) m_openDevMonitor(window, eventMessage, arrivalMessage);
}

bool DeviceLibrary::OpenFeatureDevice() { return Usable() && m_openFeatureDevice() != FALSE; }

void DeviceLibrary::CloseDevMonitor() {
  if (Usable() && !m_closeDevMonitor()) platform::DebugLog("Close_DevMonitor failed\n");
}

void DeviceLibrary::CloseFeatureDevice() {
  if (Usable() && !m_closeFeatureDevice()) platform::DebugLog("Close_FeatureDevice failed\n");
}

bool DeviceLibrary::SetFeature(std::uint8_t* report, std::uint32_t length) {
  return Usable() && report && length && m_setFeature(report, length) != FALSE;
}

bool DeviceLibrary::GetFeature(std::uint8_t* report, std::uint32_t length) {
  return Usable() && report && length && m_getFeature(report, length) != FALSE;
}

}  // namespace karvo::monitor
