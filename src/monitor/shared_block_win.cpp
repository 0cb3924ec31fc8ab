#include "monitor/shared_block_win.h"

#include <cstring>

#include "platform/debug_log.h"

namespace karvo::monitor {

CurrentUserSecurity::CurrentUserSecurity() {
  platform::UniqueHandle token;
  {
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) {
      platform::DebugLogLastError("OpenProcessToken");
      return;
    }
    token.Reset(raw);
  }
  DWORD needed = 0;
  ::GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &needed);
  if (needed == 0) {
    platform::DebugLogLastError("GetTokenInformation(size)");
    return;
  }
  m_tokenUser = ::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, needed);
  if (!m_tokenUser) return;
  if (!::GetTokenInformation(token.Get(), TokenUser, m_tokenUser, needed, &needed)) {
    platform::DebugLogLastError("GetTokenInformation");
    return;
  }
  PSID sid = static_cast<TOKEN_USER*>(m_tokenUser)->User.Sid;
  if (!::IsValidSid(sid)) return;
  DWORD aclSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + ::GetLengthSid(sid);
  m_acl = ::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, aclSize);
  if (!m_acl) return;
  auto* acl = static_cast<ACL*>(m_acl);
  if (!::InitializeAcl(acl, aclSize, ACL_REVISION) ||
      !::AddAccessAllowedAce(acl, ACL_REVISION,
                             GENERIC_ALL | STANDARD_RIGHTS_ALL | SPECIFIC_RIGHTS_ALL, sid) ||
      !::InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !::SetSecurityDescriptorDacl(&m_descriptor, TRUE, acl, FALSE)) {
    platform::DebugLogLastError("building the shared block's security descriptor");
    return;
  }
  m_attributes.nLength = sizeof(m_attributes);
  m_attributes.lpSecurityDescriptor = &m_descriptor;
  // The companions the monitor starts have no use for these handles.
  m_attributes.bInheritHandle = FALSE;
  m_ok = true;
}

CurrentUserSecurity::~CurrentUserSecurity() {
  if (m_acl) ::HeapFree(::GetProcessHeap(), 0, m_acl);
  if (m_tokenUser) ::HeapFree(::GetProcessHeap(), 0, m_tokenUser);
}

SharedBlock::SharedBlock(std::string mappingName, std::string mutexName, std::size_t size)
    : m_mappingName(std::move(mappingName)), m_mutexName(std::move(mutexName)), m_size(size) {}

bool SharedBlock::CreateBlockMutex(bool& alreadyExisted) {
  alreadyExisted = false;
  CurrentUserSecurity security;
  ::SetLastError(0);
  platform::UniqueHandle mutex(::CreateMutexA(security.Attributes(), FALSE, m_mutexName.c_str()));
  if (!mutex) {
    // A mutex of another user is there but closed to us: it exists all the same.
    alreadyExisted = ::GetLastError() == ERROR_ACCESS_DENIED;
    platform::DebugLogLastError("CreateMutexA(block mutex)");
    return false;
  }
  if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    alreadyExisted = true;
    return false;
  }
  m_mutex = std::move(mutex);
  return true;
}

int SharedBlock::CreateSharedBlock() {
  CurrentUserSecurity security;
  if (!security.Attributes()) return 0;
  platform::UniqueHandle mapping(::CreateFileMappingA(INVALID_HANDLE_VALUE, security.Attributes(),
                                                      PAGE_READWRITE, 0, static_cast<DWORD>(m_size),
                                                      m_mappingName.c_str()));
  if (!mapping) {
    platform::DebugLogLastError("CreateFileMappingA(shared block)");
    return 0;
  }
  // An existing section (kept open by a configurator that outlived an earlier monitor) is
  // taken over; one smaller than the block fails to map below.
  platform::UniqueView view(::MapViewOfFile(mapping.Get(), FILE_MAP_ALL_ACCESS, 0, 0, m_size));
  if (!view) {
    platform::DebugLogLastError("MapViewOfFile(shared block)");
    return 0;
  }
  m_mapping = std::move(mapping);
  m_view = std::move(view);
  return 1;
}

bool SharedBlock::Acquire() {
  if (!m_mutex || !m_view) return false;
  DWORD wait = ::WaitForSingleObject(m_mutex.Get(), INFINITE);
  if (wait == WAIT_OBJECT_0) return true;
  if (wait == WAIT_ABANDONED) {
    // We own it now; the block may be half written, so nothing is copied.
    platform::DebugLog("shared block mutex abandoned\n");
    ::ReleaseMutex(m_mutex.Get());
  } else {
    platform::DebugLogLastError("WaitForSingleObject(block mutex)");
  }
  return false;
}

int SharedBlock::ReadSharedBlock(void* dst) {
  if (!dst || !Acquire()) return 0;
  platform::MutexLock lock(m_mutex.Get());
  std::memcpy(dst, m_view.Get(), m_size);
  return 1;
}

int SharedBlock::WriteSharedBlock(const void* src) {
  if (!src || !Acquire()) return 0;
  platform::MutexLock lock(m_mutex.Get());
  std::memcpy(m_view.Get(), src, m_size);
  return 1;
}

void SharedBlock::CloseSharedBlock() {
  m_view.Reset();
  m_mapping.Reset();
}

void SharedBlock::CloseBlockMutex() { m_mutex.Reset(); }

}  // namespace karvo::monitor
