#pragma once
// "hidgate.dll", loaded by path and resolved entry by entry. A missing library or a missing
// entry makes the mouse absent: nothing is ever called through an empty slot.
#include <windows.h>

#include <cstdint>
#include <string>

#include "monitor/device.h"
#include "platform/handles.h"

namespace karvo::monitor {

class DeviceLibrary final : public IDevice {
 public:
  // False when the library could not be loaded; a library with missing entries loads but
  // is not Usable().
  [[nodiscard]] bool Load(const std::string& path);
  void Free();
  // Every entry the monitor calls was found.
  bool Usable() const;

  void OpenDevMonitor(HWND window, UINT eventMessage, UINT arrivalMessage);
  [[nodiscard]] bool OpenFeatureDevice();
  void CloseDevMonitor();
  void CloseFeatureDevice();
  bool SetFeature(std::uint8_t* report, std::uint32_t length) override;
  bool GetFeature(std::uint8_t* report, std::uint32_t length) override;

 private:
  using OpenDevMonitorFn = BOOL(WINAPI*)(HWND, UINT, UINT);
  using VoidFn = BOOL(WINAPI*)();
  using FeatureFn = BOOL(WINAPI*)(void*, DWORD);
  using PidFn = DWORD(WINAPI*)();

  platform::UniqueModule m_module;
  OpenDevMonitorFn m_openDevMonitor = nullptr;
  VoidFn m_closeDevMonitor = nullptr;
  VoidFn m_openFeatureDevice = nullptr;
  VoidFn m_closeFeatureDevice = nullptr;
  FeatureFn m_setFeature = nullptr;
  FeatureFn m_getFeature = nullptr;
  PidFn m_getMousePid = nullptr;  // resolved, never called
};

}  // namespace karvo::monitor
