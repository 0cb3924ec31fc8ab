#include "settings/memory_file_store.h"

namespace karvo::settings {
namespace {

class NoLock : public IFileLock {};

}  // namespace

std::string MemoryFileStore::Key(const std::string& path) {
  std::string key = path;
  for (char& c : key) {
    if (c == '/') c = '\\';
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return key;
}

std::optional<std::string> MemoryFileStore::ReadFile(const std::string& path) {
  std::lock_guard guard(m_mutex);
  Entry& entry = m_files[Key(path)];
  ++entry.Reads;
  if (entry.Unreadable) return std::nullopt;
  return entry.Content;
}

bool MemoryFileStore::ReplaceFile(const std::string& path, std::string_view content) {
  std::lock_guard guard(m_mutex);
  Entry& entry = m_files[Key(path)];
  ++entry.Writes;
  if (m_writesFail) return false;
  entry.Content = std::string(content);
  return true;
}

bool MemoryFileStore::FileExists(const std::string& path) {
  std::lock_guard guard(m_mutex);
  const auto it = m_files.find(Key(path));
  return it != m_files.end() && it->second.Content.has_value();
}

std::unique_ptr<IFileLock> MemoryFileStore::Lock(const std::string&) {
  return std::make_unique<NoLock>();
}

void MemoryFileStore::SetFile(const std::string& path, std::string_view content) {
  std::lock_guard guard(m_mutex);
  m_files[Key(path)].Content = std::string(content);
}

void MemoryFileStore::RemoveFile(const std::string& path) {
  std::lock_guard guard(m_mutex);
  m_files[Key(path)].Content.reset();
}

std::optional<std::string> MemoryFileStore::Contents(const std::string& path) const {
  std::lock_guard guard(m_mutex);
  const auto it = m_files.find(Key(path));
  return it == m_files.end() ? std::nullopt : it->second.Content;
}

int MemoryFileStore::ReadCount(const std::string& path) const {
  std::lock_guard guard(m_mutex);
  const auto it = m_files.find(Key(path));
  return it == m_files.end() ? 0 : it->second.Reads;
}

int MemoryFileStore::WriteCount(const std::string& path) const {
  std::lock_guard guard(m_mutex);
  const auto it = m_files.find(Key(path));
  return it == m_files.end() ? 0 : it->second.Writes;
}

void MemoryFileStore::SetWritesFail(bool fail) {
  std::lock_guard guard(m_mutex);
  m_writesFail = fail;
}

void MemoryFileStore::SetUnreadable(const std::string& path, bool unreadable) {
  std::lock_guard guard(m_mutex);
  m_files[Key(path)].Unreadable = unreadable;
}

}  // namespace karvo::settings
