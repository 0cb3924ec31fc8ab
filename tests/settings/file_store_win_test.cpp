#include "settings/file_store_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/handles.h"
#include "settings/ini_document.h"

namespace karvo::settings {
namespace {

using platform::UniqueFile;
using platform::UniqueHandle;
using namespace std::string_literals;

// A fresh directory under %TEMP%, removed with its files afterwards.
class TempDir {
 public:
  TempDir() {
    char base[MAX_PATH];
    const DWORD n = ::GetTempPathA(MAX_PATH, base);
    EXPECT_GT(n, 0u);
    m_path = std::string(base, n) + "karvo_fs_" + std::to_string(::GetCurrentProcessId()) + "_" +
             std::to_string(s_counter++);
    EXPECT_TRUE(::CreateDirectoryA(m_path.c_str(), nullptr) ||
                ::GetLastError() == ERROR_ALREADY_EXISTS);
  }
  ~TempDir() {
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((m_path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        ::DeleteFileA((m_path + "\\" + found.cFileName).c_str());
      } while (::FindNextFileA(search, &found));
      ::FindClose(search);
    }
    ::RemoveDirectoryA(m_path.c_str());
  }
  std::string File(const char* name) const { return m_path + "\\" + name; }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((m_path + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      if (found.cFileName[0] != '.') names.push_back(found.cFileName);
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return names;
  }

 private:
  static inline int s_counter = 0;
  std::string m_path;
};

UniqueFile OpenForReading(const std::string& path, DWORD share) {
  return UniqueFile(::CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

WinFileStore::Options FastRetries() {
  WinFileStore::Options options;
  options.RenameAttempts = 3;
  options.RetryDelayMs = 1;
  return options;
}

TEST(WinFileStore, ReplacesWholeFilesAndLeavesNothingBehind) {
  TempDir dir;
  WinFileStore store;
  const std::string path = dir.File("config.ini");
  EXPECT_EQ(store.ReadFile(path), std::nullopt);
  EXPECT_FALSE(store.FileExists(path));

  const std::string first = "[Setting]\r\nCurrentProfile=1\r\n\0binary\xFF\n"s;
  ASSERT_TRUE(store.ReplaceFile(path, first));
  EXPECT_TRUE(store.FileExists(path));
  EXPECT_EQ(store.ReadFile(path), first);

  ASSERT_TRUE(store.ReplaceFile(path, "x"));
  EXPECT_EQ(store.ReadFile(path), "x");
  ASSERT_TRUE(store.ReplaceFile(path, ""));
  EXPECT_EQ(store.ReadFile(path), "");
  EXPECT_TRUE(store.FileExists(path));
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"config.ini"});
}

TEST(WinFileStore, FailsWithoutTouchingAnythingWhenTheDirectoryIsMissing) {
  TempDir dir;
  WinFileStore store;
  const std::string path = dir.File("config") + "\\Default0.kmp";
  EXPECT_FALSE(store.ReplaceFile(path, "[Setting]\r\n"));
  EXPECT_FALSE(store.FileExists(path));
  EXPECT_TRUE(dir.Names().empty());
  EXPECT_FALSE(store.FileExists(dir.File("")));  // a directory is no file
}

TEST(WinFileStore, OverwritesATemporaryFileLeftByAKilledSave) {
  TempDir dir;
  WinFileStore store;
  const std::string path = dir.File("Default0.kmp");
  ASSERT_TRUE(store.ReplaceFile(path, "old"));
  {
    UniqueFile stale(::CreateFileA(TemporaryPathFor(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(stale);
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(stale.Get(), "torn half of a much longer file", 31, &written, nullptr));
  }
  ASSERT_TRUE(store.ReplaceFile(path, "new"));
  EXPECT_EQ(store.ReadFile(path), "new");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"Default0.kmp"});
}

TEST(WinFileStore, AReaderHoldingTheFileDoesNotMakeTheSaveFail) {
  TempDir dir;
  WinFileStore store(FastRetries());
  const std::string path = dir.File("config.ini");
  ASSERT_TRUE(store.ReplaceFile(path, "[Setting]\r\nCurrentProfile=1\r\nDevice=1\r\n"));

  // Like an editor: shares reading and writing, not deletion, so no rename over it.
  UniqueFile reader = OpenForReading(path, FILE_SHARE_READ | FILE_SHARE_WRITE);
  ASSERT_TRUE(reader);
  ASSERT_TRUE(store.ReplaceFile(path, "[Setting]\r\nCurrentProfile=2\r\n"));
  EXPECT_EQ(store.ReadFile(path), "[Setting]\r\nCurrentProfile=2\r\n");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"config.ini"});
  char buffer[8] = {};
  DWORD got = 0;
  EXPECT_TRUE(::ReadFile(reader.Get(), buffer, 4, &got, nullptr));
  EXPECT_EQ(std::string(buffer, got), "[Set");
}

TEST(WinFileStore, AnExclusiveReaderMakesTheSaveFailAndKeepsTheOldFile) {
  TempDir dir;
  WinFileStore store(FastRetries());
  const std::string path = dir.File("config.ini");
  ASSERT_TRUE(store.ReplaceFile(path, "old"));
  {
    UniqueFile reader = OpenForReading(path, FILE_SHARE_READ);
    ASSERT_TRUE(reader);
    EXPECT_FALSE(store.ReplaceFile(path, "new"));
    EXPECT_EQ(store.ReadFile(path), "old");
  }
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"config.ini"});
  ASSERT_TRUE(store.ReplaceFile(path, "new"));
  EXPECT_EQ(store.ReadFile(path), "new");
}

TEST(WinFileStore, RefusesFilesTooLargeForSettings) {
  TempDir dir;
  WinFileStore::Options options;
  options.MaxFileSize = 16;
  WinFileStore store(options);
  const std::string path = dir.File("huge.ini");
  ASSERT_TRUE(store.ReplaceFile(path, std::string(17, 'x')));
  EXPECT_EQ(store.ReadFile(path), std::nullopt);
  EXPECT_TRUE(store.FileExists(path));
  // ...and an update does not replace what it could not read.
  IniUpdate update(store, path);
  update.Doc().SetInt("Setting", "Device", 1);
  EXPECT_FALSE(update.Commit());
  ASSERT_TRUE(store.ReplaceFile(path, std::string(16, 'y')));
  EXPECT_EQ(store.ReadFile(path), std::string(16, 'y'));
}

TEST(WinFileStoreLock, EverySpellingOfAPathNamesTheSameMutex) {
  TempDir dir;
  const std::string path = dir.File("config.ini");
  std::string upper = path;
  for (char& c : upper) c = static_cast<char>(::toupper(static_cast<unsigned char>(c)));
  std::string slashes = path;
  for (char& c : slashes) c = c == '\\' ? '/' : c;
  const std::string name = FileLockName(path);
  EXPECT_EQ(FileLockName(upper), name);
  EXPECT_EQ(FileLockName(slashes), name);
  EXPECT_EQ(FileLockName(dir.File("sub\\..\\config.ini")), name);
  EXPECT_NE(FileLockName(dir.File("config.ini2")), name);
  EXPECT_EQ(name.find('\\'), std::string::npos);
}

// Holds the lock on the main thread and checks that a second thread enters only
// after it is released.
TEST(WinFileStoreLock, SerialisesThreadsOnTheSameFile) {
  TempDir dir;
  WinFileStore store;
  const std::string path = dir.File("config.ini");
  std::vector<std::string> events;
  std::atomic<bool> entered{false};
  auto held = store.Lock(path);
  std::thread other([&] {
    WinFileStore otherStore;
    auto lock = otherStore.Lock(dir.File("CONFIG.INI"));
    entered = true;
    events.push_back("other entered");
  });
  ::Sleep(100);
  EXPECT_FALSE(entered);
  events.push_back("main released");
  held.reset();
  other.join();
  EXPECT_EQ(events, (std::vector<std::string>{"main released", "other entered"}));
}

TEST(WinFileStoreLock, OtherFilesAreNotBlocked) {
  TempDir dir;
  WinFileStore store;
  auto held = store.Lock(dir.File("config.ini"));
  std::atomic<bool> entered{false};
  std::thread other([&] {
    WinFileStore otherStore;
    auto lock = otherStore.Lock(dir.File("Default0.kmp"));
    entered = true;
  });
  other.join();
  EXPECT_TRUE(entered);
}

TEST(WinFileStoreLock, AnAbandonedLockIsTakenOver) {
  TempDir dir;
  const std::string path = dir.File("config.ini");
  std::thread dies([&] {
    WinFileStore store;
    // A process killed during a save never releases its mutex.
    store.Lock(path).release();
  });
  dies.join();
  WinFileStore::Options options;
  options.LockTimeoutMs = 5000;
  WinFileStore store(options);
  std::atomic<bool> entered{false};
  std::thread taker([&] {
    auto lock = store.Lock(path);
    entered = true;
  });
  taker.join();
  EXPECT_TRUE(entered);
  // The taker owned the mutex and released it cleanly: it is no longer abandoned.
  UniqueHandle mutex(::OpenMutexA(SYNCHRONIZE, FALSE, FileLockName(path).c_str()));
  ASSERT_TRUE(mutex);
  EXPECT_EQ(::WaitForSingleObject(mutex.Get(), 0), WAIT_OBJECT_0);
  EXPECT_TRUE(::ReleaseMutex(mutex.Get()));
}

TEST(WinFileStoreLock, ConcurrentUpdatesLoseNothing) {
  TempDir dir;
  const std::string path = dir.File("config.ini");
  constexpr int kThreads = 4;
  constexpr int kRounds = 25;
  std::vector<std::thread> threads;
  std::atomic<int> failures{0};
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      WinFileStore store;
      const std::string own = "Thread" + std::to_string(t);
      for (int i = 0; i < kRounds; ++i) {
        IniUpdate update(store, path);
        IniDocument& doc = update.Doc();
        doc.SetInt("Setting", "Counter", doc.GetInt("Setting", "Counter", 0) + 1);
        doc.SetInt("Setting", own, doc.GetInt("Setting", own, 0) + 1);
        if (!update.Commit()) ++failures;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures, 0);
  WinFileStore store;
  const IniDocument doc = LoadIni(store, path);
  EXPECT_EQ(doc.GetInt("Setting", "Counter", 0), kThreads * kRounds);
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_EQ(doc.GetInt("Setting", "Thread" + std::to_string(t), 0), kRounds) << t;
  }
}

}  // namespace
}  // namespace karvo::settings
