#pragma once
// A host that records every call as one line, so tests compare whole sequences.
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "monitor/monitor_core.h"

namespace karvo::monitor::testing {

inline const char* Name(Companion c) {
  switch (c) {
    case Companion::Configurator:
      return "configurator";
    case Companion::Osd:
      return "osd";
    case Companion::LoadNotifier:
      return "load";
    case Companion::MailNotifier:
      return "mail";
    case Companion::VoiceNotifier:
      return "voice";
  }
  return "?";
}

class FakeMonitorHost : public IMonitorHost {
 public:
  std::vector<std::string> Calls;
  std::set<Companion> Windows;  // companions whose window exists
  bool FeatureDeviceOpens = true;
  bool WorkerPostSucceeds = true;
  bool OsdSettingReadable = true;
  OsdSwitches SwitchesOnFile;
  std::vector<std::string> StoredMessages;
  // Called as a job is posted, to look at the state the worker would find.
  std::function<void(std::uint32_t job)> OnPostWorker;
  std::function<void()> OnHostControl;

  void OpenDevMonitor() override { Add("OpenDevMonitor"); }
  bool OpenFeatureDevice() override {
    Add("OpenFeatureDevice");
    return FeatureDeviceOpens;
  }
  void CloseDevMonitor() override { Add("CloseDevMonitor"); }
  void CloseFeatureDevice() override { Add("CloseFeatureDevice"); }
  void SendHostControl(int value) override {
    if (OnHostControl) OnHostControl();
    Add("HostControl " + std::to_string(value));
  }
  void SetTimer(std::uint32_t id, std::uint32_t ms) override {
    Add("SetTimer " + std::to_string(id) + " " + std::to_string(ms));
  }
  void KillTimer(std::uint32_t id) override { Add("KillTimer " + std::to_string(id)); }
  bool PostWorker(std::uint32_t job, std::intptr_t param) override {
    if (OnPostWorker) OnPostWorker(job);
    Add("PostWorker " + std::to_string(job) + " " + std::to_string(param));
    return WorkerPostSucceeds;
  }
  void PostSelf(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
    Add("PostSelf " + std::to_string(message) + " " + std::to_string(wParam) + " " +
        std::to_string(lParam));
  }
  void Sleep(std::uint32_t ms) override { Add("Sleep " + std::to_string(ms)); }
  void AddTrayIcon() override { Add("AddTrayIcon"); }
  void RemoveTrayIcon() override { Add("RemoveTrayIcon"); }
  bool WindowExists(Companion c) override { return Windows.count(c) != 0; }
  void PostTo(Companion c, std::uint32_t message, std::uintptr_t wParam,
              std::intptr_t lParam) override {
    Add(std::string("PostTo ") + Name(c) + " " + std::to_string(message) + " " +
        std::to_string(wParam) + " " + std::to_string(lParam));
  }
  void BringForward(Companion c) override { Add(std::string("BringForward ") + Name(c)); }
  void Start(Companion c) override { Add(std::string("Start ") + Name(c)); }
  void SetDeviceFlag(int value) override { Add("SetDeviceFlag " + std::to_string(value)); }
  bool ReadOsdSetting(OsdSwitches& switches) override {
    if (!OsdSettingReadable) return false;
    switches = SwitchesOnFile;
    return true;
  }
  void StoreOsdMessage(std::string_view text) override {
    StoredMessages.emplace_back(text);
    Add("StoreOsdMessage");
  }
  void ReadSharedBlockIntoCopy() override { Add("ReadSharedBlock"); }
  void StopWorker() override { Add("StopWorker"); }
  void StopEventThread() override { Add("StopEventThread"); }
  void FreeDeviceLibrary() override { Add("FreeDeviceLibrary"); }
  void StopMacroPlayer() override { Add("StopMacroPlayer"); }
  void UnregisterSessionNotification() override { Add("UnregisterSession"); }
  void CloseSharedBlock() override { Add("CloseSharedBlock"); }
  void Log(const char*) override {}

 private:
  void Add(std::string line) { Calls.push_back(std::move(line)); }
};

}  // namespace karvo::monitor::testing
