#pragma once
// The INI files on disk. A save writes a temporary file beside the target and
// renames it over the target, so a crash leaves the old file or the new one.
#include <windows.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "settings/ini_document.h"

namespace karvo::settings {

class WinFileStore : public IFileStore {
 public:
  struct Options {
    // A reader that does not share delete access blocks the rename; it usually
    // lets go within milliseconds, so the rename is retried before writing in place.
    int RenameAttempts = 20;
    DWORD RetryDelayMs = 10;
    // A writer that hangs must not hang every other program of the suite.
    DWORD LockTimeoutMs = 10000;
    // Larger files are no settings file of ours and are not read.
    std::size_t MaxFileSize = 32u << 20;
  };

  WinFileStore() = default;
  explicit WinFileStore(const Options& options) : m_options(options) {}

  std::optional<std::string> ReadFile(const std::string& path) override;
  [[nodiscard]] bool ReplaceFile(const std::string& path, std::string_view content) override;
  bool FileExists(const std::string& path) override;
  // A named mutex per file (see FileLockName); an abandoned one counts as acquired,
  // since the file itself is never left torn.
  std::unique_ptr<IFileLock> Lock(const std::string& path) override;

 private:
  Options m_options;
};

// The name of the mutex that serialises writers of path: the same for every
// spelling of the same file (case, '/' or '\\', relative parts).
std::string FileLockName(const std::string& path);

// The temporary file a save of path writes before the rename.
std::string TemporaryPathFor(const std::string& path);

}  // namespace karvo::settings
