#pragma once
// The named section that carries the settings image between the monitor and the configurator,
// and the named mutex every copy is made under. Both are open to the current user only: the
// block holds program paths that the monitor opens.
#include <windows.h>

#include <string>

#include "platform/handles.h"

namespace karvo::monitor {

class SharedBlock {
 public:
  SharedBlock(std::string mappingName, std::string mutexName, std::size_t size);

  // Creates the mutex, not owned. False when it could not be created or already existed
  // (alreadyExisted tells which).
  [[nodiscard]] bool CreateBlockMutex(bool& alreadyExisted);
  // Creates the section and maps a read/write view of it; 1 on success, 0 otherwise.
  [[nodiscard]] int CreateSharedBlock();
  // Whole copies under the mutex. 0 without copying when there is no view or the wait did not
  // end with the mutex acquired normally; an abandoned mutex is released again before that,
  // so that the other program is not locked out for ever.
  [[nodiscard]] int ReadSharedBlock(void* dst);
  [[nodiscard]] int WriteSharedBlock(const void* src);
  void CloseSharedBlock();
  void CloseBlockMutex();

 private:
  [[nodiscard]] bool Acquire();

  std::string m_mappingName;
  std::string m_mutexName;
  std::size_t m_size;
  platform::UniqueHandle m_mutex;
  platform::UniqueHandle m_mapping;
  platform::UniqueView m_view;
};

// A security descriptor whose DACL grants everything to the user the process runs as, and
// nothing to anyone else.
class CurrentUserSecurity {
 public:
  CurrentUserSecurity();
  ~CurrentUserSecurity();
  CurrentUserSecurity(const CurrentUserSecurity&) = delete;
  CurrentUserSecurity& operator=(const CurrentUserSecurity&) = delete;
  // nullptr when the descriptor could not be built.
  SECURITY_ATTRIBUTES* Attributes() { return m_ok ? &m_attributes : nullptr; }

 private:
  bool m_ok = false;
  void* m_tokenUser = nullptr;
  void* m_acl = nullptr;
  SECURITY_DESCRIPTOR m_descriptor{};
  SECURITY_ATTRIBUTES m_attributes{};
};

}  // namespace karvo::monitor
