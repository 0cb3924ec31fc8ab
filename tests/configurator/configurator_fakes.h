#pragma once
// Stand-ins for the main window, the monitor's block and the macro library; each
// writes what happens to it into one shared log, so a test can check the order.
#include <string>
#include <vector>

#include "configurator/configurator_session.h"
#include "settings/memory_file_store.h"
#include "settings/mouse_settings.h"

namespace karvo::configurator::testing {

using Log = std::vector<std::string>;

class FakeBlock final : public ISharedBlock {
 public:
  explicit FakeBlock(Log& log) : m_log(log) {}
  int ReadSharedBlock(settings::SettingsImage* dst) override {
    m_log.push_back("read block");
    if (Fail) return 0;
    *dst = Image;
    return 1;
  }
  int WriteSharedBlock(const settings::SettingsImage* src) override {
    m_log.push_back("write block");
    if (Fail) return 0;
    Image = *src;
    return 1;
  }
  settings::SettingsImage Image{};
  bool Fail = false;

 private:
  Log& m_log;
};

class FakeHost final : public IMainWindowHost {
 public:
  explicit FakeHost(Log& log) : m_log(log) {}
  void BeginWait() override { m_log.push_back("wait cursor"); }
  void SetCommitButtonsEnabled(bool on) override { m_log.push_back(on ? "enable" : "disable"); }
  void EndWait() override { m_log.push_back("arrow cursor"); }
  void PostApplyToMonitor(std::uintptr_t w) override {
    m_log.push_back("post " + std::to_string(w));
  }

 private:
  Log& m_log;
};

class FakeMacros final : public IMacroListHook {
 public:
  explicit FakeMacros(Log& log) : m_log(log) {}
  void MergeProfilesAndSave(const settings::SettingsImage&) override { m_log.push_back("merge"); }
  void Save() override { m_log.push_back("save macros"); }

 private:
  Log& m_log;
};

// The in-memory files, with every write logged by file name.
class LoggingStore final : public settings::MemoryFileStore {
 public:
  explicit LoggingStore(Log& log) : m_log(log) {}
  bool ReplaceFile(const std::string& path, std::string_view content) override {
    m_log.push_back("write " + path.substr(path.find_last_of('\\') + 1));
    return MemoryFileStore::ReplaceFile(path, content);
  }

 private:
  Log& m_log;
};

struct FakeSystemMouse final : settings::ISystemMouse {
  bool SetDoubleClickTime(unsigned ms) override {
    DoubleClickMs = ms;
    return true;
  }
  bool SetPointerSpeed(int speed) override {
    PointerSpeed = speed;
    return true;
  }
  unsigned DoubleClickMs = 0;
  int PointerSpeed = 0;
};

}  // namespace karvo::configurator::testing
