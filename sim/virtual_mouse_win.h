#pragma once
// The simulated mouse behind "hidgate.dll": the firmware, the window its events go to,
// the state file beside the library, and the named channel mousectl talks through.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/handles.h"
#include "sim/control.h"
#include "sim/firmware.h"

namespace karvo::sim {

class VirtualMouse final : public IFirmwareHost {
 public:
  // One per loaded library, created on first use; never destroyed, because the monitor
  // may still call the device entries after Close_DevMonitor and no teardown may run
  // under the loader lock.
  static VirtualMouse& Instance();

  BOOL OpenDevMonitor(HWND window, UINT eventMessage, UINT arrivalMessage);
  BOOL CloseDevMonitor();
  BOOL OpenFeatureDevice();
  BOOL CloseFeatureDevice();
  BOOL SetFeature(void* report, DWORD length);
  BOOL GetFeature(void* report, DWORD length);

  void PostEvent(std::uint32_t word) override;
  void PostPresence(bool arrived) override;
  void SaveState(std::span<const std::uint8_t> bytes) override;
  std::uint64_t NowMs() override;

 private:
  explicit VirtualMouse(std::string statePath);
  static LRESULT CALLBACK ChannelWindowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
  static DWORD WINAPI ServeThread(void* self);
  [[nodiscard]] bool StartChannel();
  void StartServing();
  void StopChannel();
  void ServeRequest();

  std::mutex m_lock;  // guards everything below except the channel handles
  const std::string m_statePath;
  const DWORD m_startTicks;
  HWND m_window = nullptr;
  UINT m_eventMessage = 0;
  UINT m_arrivalMessage = 0;
  std::unique_ptr<Firmware> m_firmware;

  // Serialises Open_DevMonitor and Close_DevMonitor, which start and stop the channel.
  std::mutex m_channelLock;
  platform::UniqueHandle m_channelMutex;
  platform::UniqueHandle m_mapping;
  platform::UniqueView m_view;
  platform::UniqueHandle m_requestEvent;
  platform::UniqueHandle m_replyEvent;
  platform::UniqueHandle m_stopEvent;
  // Message-only, on the thread that called Open_DevMonitor: starts the serving thread.
  HWND m_channelWindow = nullptr;
  platform::UniqueHandle m_thread;
  // The window's and the serving thread's own references to the library, so a FreeLibrary
  // without Close_DevMonitor cannot unload the code they run.
  HMODULE m_windowModule = nullptr;
  HMODULE m_threadModule = nullptr;
};

}  // namespace karvo::sim
