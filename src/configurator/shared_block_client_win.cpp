#include "configurator/shared_block_client_win.h"

#include <cstring>

#include "platform/debug_log.h"
#include "platform/suite_names.h"

namespace karvo::configurator {
namespace {

constexpr DWORD kMutexAccess = 0x1F0001;  // MUTEX_ALL_ACCESS
constexpr DWORD kMappingAccess = FILE_MAP_READ | FILE_MAP_WRITE;

}  // namespace

SharedBlockClient::SharedBlockClient()
    : SharedBlockClient(platform::kSharedBlockName, platform::kSharedBlockMutexName) {}

SharedBlockClient::SharedBlockClient(std::string mappingName, std::string mutexName)
    : m_mappingName(std::move(mappingName)), m_mutexName(std::move(mutexName)) {}

bool SharedBlockClient::OpenBlockMutex() {
  m_mutex.Reset(::OpenMutexA(kMutexAccess, FALSE, m_mutexName.c_str()));
  if (!m_mutex) platform::DebugLogLastError("OpenMutexA(block mutex)");
  return static_cast<bool>(m_mutex);
}

SharedBlockOpen SharedBlockClient::OpenView() {
  platform::UniqueHandle mapping(::OpenFileMappingA(kMappingAccess, FALSE, m_mappingName.c_str()));
  if (!mapping) {
    platform::DebugLogLastError("OpenFileMappingA(shared block)");
    return SharedBlockOpen::kNoMapping;
  }
  // Exactly one image: a smaller section of that name fails here instead of being
  // copied past its end.
  platform::UniqueView view(
      ::MapViewOfFile(mapping.Get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(settings::SettingsImage)));
  if (!view) {
    platform::DebugLogLastError("MapViewOfFile(shared block)");
    return SharedBlockOpen::kViewFailed;
  }
  m_mapping = std::move(mapping);
  m_view = std::move(view);
  return SharedBlockOpen::kOpened;
}

void SharedBlockClient::Close() {
  m_view.Reset();
  m_mapping.Reset();
  m_mutex.Reset();
}

bool SharedBlockClient::Acquire() {
  if (!m_mutex || !m_view) return false;
  const DWORD wait = ::WaitForSingleObject(m_mutex.Get(), INFINITE);
  if (wait == WAIT_OBJECT_0) return true;
  if (wait == WAIT_ABANDONED) {
    // Ours now, but the block may be half written: nothing is copied, and the
    // mutex is given back so the monitor is not locked out.
    platform::DebugLog("shared block mutex abandoned\n");
    if (!::ReleaseMutex(m_mutex.Get())) platform::DebugLogLastError("ReleaseMutex(block mutex)");
  } else {
    platform::DebugLogLastError("WaitForSingleObject(block mutex)");
  }
  return false;
}

int SharedBlockClient::ReadSharedBlock(settings::SettingsImage* dst) {
  if (!dst || !Acquire()) return 0;
  platform::MutexLock lock(m_mutex.Get());
  std::memcpy(dst, m_view.Get(), sizeof *dst);
  return 1;
}

int SharedBlockClient::WriteSharedBlock(const settings::SettingsImage* src) {
  if (!src || !Acquire()) return 0;
  platform::MutexLock lock(m_mutex.Get());
  std::memcpy(m_view.Get(), src, sizeof *src);
  return 1;
}

}  // namespace karvo::configurator
