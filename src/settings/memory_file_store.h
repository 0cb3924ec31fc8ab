#pragma once
// An in-memory IFileStore for native tests: paths compare case-insensitively, as
// on Windows, and the lock does nothing.
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "settings/ini_document.h"

namespace karvo::settings {

class MemoryFileStore : public IFileStore {
 public:
  std::optional<std::string> ReadFile(const std::string& path) override;
  [[nodiscard]] bool ReplaceFile(const std::string& path, std::string_view content) override;
  bool FileExists(const std::string& path) override;
  std::unique_ptr<IFileLock> Lock(const std::string& path) override;

  // Test set-up and inspection.
  void SetFile(const std::string& path, std::string_view content);
  void RemoveFile(const std::string& path);
  // The content as last written (nullopt when absent); does not count as a read.
  std::optional<std::string> Contents(const std::string& path) const;
  // Successful and failed calls per path, to prove a save touches each file once.
  int ReadCount(const std::string& path) const;
  int WriteCount(const std::string& path) const;
  // While set, ReplaceFile fails for every path (a full disk, a read-only directory).
  void SetWritesFail(bool fail);
  // While set, ReadFile fails for this path although the file exists.
  void SetUnreadable(const std::string& path, bool unreadable);

 private:
  struct Entry {
    std::optional<std::string> Content;
    int Reads = 0;
    int Writes = 0;
    bool Unreadable = false;
  };
  static std::string Key(const std::string& path);

  mutable std::mutex m_mutex;
  std::map<std::string, Entry> m_files;
  bool m_writesFail = false;
};

}  // namespace karvo::settings
