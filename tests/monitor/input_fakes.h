#pragma once
// Fakes for playback: a US keyboard layout, an injector that records every input with the
// virtual time it was sent at, and a timer that runs on virtual time with scheduled actions.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "monitor/input_injector.h"
#include "settings/key_codes.h"

namespace karvo::monitor::testing {

class UsLayout final : public settings::IKeyboardLayout {
 public:
  UsLayout() {
    for (const settings::KeyCodeRow& row : settings::KeyCodeTable) {
      if (row.ScanCode == 0) continue;
      m_vkToScan[row.VirtualKey] = row.ScanCode;
      m_scanToVk[row.ScanCode] = row.VirtualKey;
    }
    m_vkToScan.insert({{16, 0x2A}, {17, 0x1D}, {18, 0x38}, {91, 0x5B}, {160, 0x2A}, {162, 0x1D}});
  }
  int VirtualKeyToScanCode(int virtualKey) const override {
    auto it = m_vkToScan.find(virtualKey);
    return it == m_vkToScan.end() ? 0 : it->second;
  }
  int ScanCodeToVirtualKey(int scanCode) const override {
    auto it = m_scanToVk.find(scanCode);
    return it == m_scanToVk.end() ? 0 : it->second;
  }

 private:
  std::map<int, int> m_vkToScan;
  std::map<int, int> m_scanToVk;
};

class VirtualTimer final : public IPlaybackTimer {
 public:
  std::uint64_t Now() const { return m_us / 1000; }  // milliseconds

  // fn runs once virtual time reaches at ms (inside a Sleep or a wait).
  void At(std::uint64_t at, std::function<void()> fn) {
    m_scheduled.emplace(at * 1000, std::move(fn));
  }
  // Time passing outside any wait, as an injection takes it.
  void Advance(std::uint64_t us) { m_us += us; }

  void Sleep(std::uint32_t ms) override { RunUntil(m_us + std::uint64_t{ms} * 1000, false); }
  bool WaitUnlessSignalled(std::uint32_t ms) override {
    return WaitUntilUnlessSignalled(m_us + std::uint64_t{ms} * 1000);
  }
  bool WaitUntilUnlessSignalled(std::uint64_t deadlineUs) override {
    if (m_signalled) return true;
    RunUntil(deadlineUs > m_us ? deadlineUs : m_us, true);
    return m_signalled;
  }
  std::uint64_t NowUs() override { return m_us; }
  void Signal() override { m_signalled = true; }
  void Reset() override { m_signalled = false; }
  bool Signalled() const { return m_signalled; }

 private:
  void RunUntil(std::uint64_t endUs, bool stopOnSignal) {
    while (!m_scheduled.empty() && m_scheduled.begin()->first <= endUs) {
      auto it = m_scheduled.begin();
      if (it->first > m_us) m_us = it->first;
      auto fn = std::move(it->second);
      m_scheduled.erase(it);
      fn();
      if (stopOnSignal && m_signalled) return;
    }
    if (endUs > m_us) m_us = endUs;
  }

  std::uint64_t m_us = 0;
  std::multimap<std::uint64_t, std::function<void()>> m_scheduled;
  bool m_signalled = false;
};

struct InjectedInput {
  std::uint64_t At;  // ms
  std::string What;  // "vk 65 down", "vk 16 up ext", "mouse left down"
  std::uint64_t AtUs;
  bool operator==(const InjectedInput&) const = default;
};

class RecordingInjector final : public IInputInjector {
 public:
  explicit RecordingInjector(VirtualTimer& timer) : m_timer(timer) {}
  std::vector<InjectedInput> Inputs;
  std::uint64_t CostUs = 0;  // virtual time each injection takes
  std::vector<int> Scans;

  void Key(int virtualKey, int scanCode, bool up, bool extended) override {
    Inputs.push_back(
        {m_timer.Now(),
         "vk " + std::to_string(virtualKey) + (up ? " up" : " down") + (extended ? " ext" : ""),
         m_timer.NowUs()});
    m_timer.Advance(CostUs);
    Scans.push_back(scanCode);
  }
  void Mouse(MouseButton button, bool up) override {
    static const char* const kNames[] = {"left", "right", "middle", "extra1", "extra2"};
    Inputs.push_back(
        {m_timer.Now(),
         std::string("mouse ") + kNames[static_cast<int>(button)] + (up ? " up" : " down"),
         m_timer.NowUs()});
    m_timer.Advance(CostUs);
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const InjectedInput& input : Inputs) names.push_back(input.What);
    return names;
  }

 private:
  VirtualTimer& m_timer;
};

}  // namespace karvo::monitor::testing
