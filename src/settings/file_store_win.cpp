#include "settings/file_store_win.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "platform/debug_log.h"
#include "platform/handles.h"

namespace karvo::settings {
namespace {

using platform::DebugLog;
using platform::DebugLogLastError;
using platform::UniqueFile;
using platform::UniqueHandle;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool IsSharingError(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
         error == ERROR_LOCK_VIOLATION;
}

bool WriteAll(HANDLE file, std::string_view content) {
  while (!content.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size(), 1u << 20));
    DWORD written = 0;
    if (!::WriteFile(file, content.data(), chunk, &written, nullptr) || written == 0) {
      DebugLogLastError("WriteFile");
      return false;
    }
    content.remove_prefix(written);
  }
  return true;
}

// Last resort when the rename stays blocked: the target is rewritten where it is.
bool WriteInPlace(const std::string& path, std::string_view content) {
  UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    DebugLogLastError("CreateFileA (in place)");
    return false;
  }
  if (!WriteAll(file.Get(), content)) return false;
  if (!::SetEndOfFile(file.Get())) {
    DebugLogLastError("SetEndOfFile");
    return false;
  }
  if (!::FlushFileBuffers(file.Get())) DebugLogLastError("FlushFileBuffers (in place)");
  return true;
}

class MutexFileLock : public IFileLock {
 public:
  MutexFileLock(UniqueHandle mutex, bool owned) : m_mutex(std::move(mutex)), m_owned(owned) {}
  ~MutexFileLock() override {
    if (m_owned && !::ReleaseMutex(m_mutex.Get())) DebugLogLastError("ReleaseMutex");
  }

 private:
  UniqueHandle m_mutex;
  bool m_owned;
};

std::string NormalisedFullPath(const std::string& path) {
  std::string full(MAX_PATH, '\0');
  DWORD length =
      ::GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length >= full.size()) {
    full.assign(length + 1, '\0');
    length =
        ::GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  }
  if (length == 0 || length >= full.size()) {
    DebugLogLastError("GetFullPathNameA");
    full = path;
  } else {
    full.resize(length);
  }
  for (char& c : full) {
    if (c == '/') c = '\\';
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return full;
}

}  // namespace

std::string FileLockName(const std::string& path) {
  // FNV-1a keeps the name short and free of backslashes, which mutex names reserve.
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : NormalisedFullPath(path)) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  char name[64];
  std::snprintf(name, sizeof name, "KARVO_Ini_File_%016llx", static_cast<unsigned long long>(hash));
  return name;
}

std::string TemporaryPathFor(const std::string& path) { return path + ".new"; }

std::optional<std::string> WinFileStore::ReadFile(const std::string& path) {
  UniqueFile file;
  for (int attempt = 0;; ++attempt) {
    file.Reset(::CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) break;
    const DWORD error = ::GetLastError();
    if (error != ERROR_SHARING_VIOLATION || attempt + 1 >= m_options.RenameAttempts) {
      return std::nullopt;
    }
    ::Sleep(m_options.RetryDelayMs);
  }
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.Get(), &size)) {
    DebugLogLastError("GetFileSizeEx");
    return std::nullopt;
  }
  if (size.QuadPart < 0 || static_cast<std::uint64_t>(size.QuadPart) > m_options.MaxFileSize) {
    DebugLog("ReadFile: %s is too large for a settings file\r\n", path.c_str());
    return std::nullopt;
  }
  std::string content(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < content.size()) {
    DWORD got = 0;
    if (!::ReadFile(file.Get(), content.data() + done, static_cast<DWORD>(content.size() - done),
                    &got, nullptr)) {
      DebugLogLastError("ReadFile");
      return std::nullopt;
    }
    if (got == 0) break;  // the file shrank meanwhile
    done += got;
  }
  content.resize(done);
  return content;
}

bool WinFileStore::ReplaceFile(const std::string& path, std::string_view content) {
  const std::string temporary = TemporaryPathFor(path);
  UniqueFile file;
  for (int attempt = 0;; ++attempt) {
    // No sharing: a second writer of the same file waits here instead of mixing bytes.
    file.Reset(::CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) break;
    const DWORD error = ::GetLastError();
    if (error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME) {
      DebugLogLastError("CreateFileA (temporary)");
      return false;
    }
    if (error != ERROR_SHARING_VIOLATION || attempt + 1 >= m_options.RenameAttempts) {
      // A directory we may not create files in can still hold a writable file.
      DebugLogLastError("CreateFileA (temporary)");
      return WriteInPlace(path, content);
    }
    ::Sleep(m_options.RetryDelayMs);
  }
  bool written = WriteAll(file.Get(), content);
  if (written && !::FlushFileBuffers(file.Get())) {
    DebugLogLastError("FlushFileBuffers");
    written = false;
  }
  file.Reset();
  if (!written) {
    if (!::DeleteFileA(temporary.c_str())) DebugLogLastError("DeleteFileA (temporary)");
    return false;
  }
  for (int attempt = 0;; ++attempt) {
    if (::MoveFileExA(temporary.c_str(), path.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return true;
    }
    const DWORD error = ::GetLastError();
    if (!IsSharingError(error) || attempt + 1 >= m_options.RenameAttempts) {
      DebugLogLastError("MoveFileExA");
      break;
    }
    ::Sleep(m_options.RetryDelayMs);
  }
  const bool inPlace = WriteInPlace(path, content);
  if (!::DeleteFileA(temporary.c_str())) DebugLogLastError("DeleteFileA (temporary)");
  return inPlace;
}

bool WinFileStore::FileExists(const std::string& path) {
  UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(file);
}

std::unique_ptr<IFileLock> WinFileStore::Lock(const std::string& path) {
  const std::string name = FileLockName(path);
  UniqueHandle mutex(::CreateMutexA(nullptr, FALSE, name.c_str()));
  if (!mutex) {
    DebugLogLastError("CreateMutexA (file lock)");
    return std::make_unique<MutexFileLock>(std::move(mutex), false);
  }
  const DWORD wait = ::WaitForSingleObject(mutex.Get(), m_options.LockTimeoutMs);
  const bool owned = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
  if (!owned) DebugLog("file lock %s not acquired (wait %lu)\r\n", name.c_str(), wait);
  return std::make_unique<MutexFileLock>(std::move(mutex), owned);
}

}  // namespace karvo::settings
