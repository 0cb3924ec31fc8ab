#pragma once
// A private install directory with its config sub-directory for the crash tests,
// removed with everything in it when the test ends.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace karvo::settings::testing {

class CrashDir {
 public:
  CrashDir() {
    char base[MAX_PATH];
    const DWORD n = ::GetTempPathA(MAX_PATH, base);
    EXPECT_GT(n, 0u);
    m_path = std::string(base, n) + "karvo_crash_" + std::to_string(::GetCurrentProcessId()) + "\\";
    EXPECT_TRUE(::CreateDirectoryA(m_path.c_str(), nullptr));
    EXPECT_TRUE(::CreateDirectoryA((m_path + "config").c_str(), nullptr));
  }
  ~CrashDir() {
    RemoveFiles(m_path + "config\\");
    ::RemoveDirectoryA((m_path + "config").c_str());
    RemoveFiles(m_path);
    ::RemoveDirectoryA(m_path.c_str());
  }
  CrashDir(const CrashDir&) = delete;
  CrashDir& operator=(const CrashDir&) = delete;
  const std::string& Path() const { return m_path; }
  // A trailing backslash would escape the closing quote of a command-line argument.
  std::string WithoutSlash() const { return m_path.substr(0, m_path.size() - 1); }

 private:
  static void RemoveFiles(const std::string& dir) {
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((dir + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ::DeleteFileA((dir + found.cFileName).c_str());
      }
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
  }
  std::string m_path;
};

}  // namespace karvo::settings::testing
