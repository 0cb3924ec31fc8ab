#pragma once
// The configurator's side of the block the monitor shares: opened by name while the
// monitor runs, copied whole under the monitor's mutex.
#include <windows.h>

#include <string>

#include "configurator/shared_block.h"
#include "platform/handles.h"

namespace karvo::configurator {

enum class SharedBlockOpen {
  kOpened,
  kNoMapping,   // the monitor is not running: silently use the files
  kViewFailed,  // the section is there but cannot be mapped: the user is told
};

class SharedBlockClient final : public ISharedBlock {
 public:
  SharedBlockClient();  // the suite's names
  SharedBlockClient(std::string mappingName, std::string mutexName);

  // Opens the monitor's mutex; false (silently) when it is not there.
  bool OpenBlockMutex();
  // Opens the section and maps a view of exactly one settings image; a section too
  // small for one is kViewFailed, never read past its end.
  SharedBlockOpen OpenView();
  void Close();

  // 0 without waiting unless both mutex and view are open. A wait that ends in an
  // abandoned mutex copies nothing and releases the mutex again.
  [[nodiscard]] int ReadSharedBlock(settings::SettingsImage* dst) override;
  [[nodiscard]] int WriteSharedBlock(const settings::SettingsImage* src) override;

 private:
  [[nodiscard]] bool Acquire();

  std::string m_mappingName;
  std::string m_mutexName;
  platform::UniqueHandle m_mutex;
  platform::UniqueHandle m_mapping;
  platform::UniqueView m_view;
};

}  // namespace karvo::configurator
