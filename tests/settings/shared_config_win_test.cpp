// Several programs of the suite update config.ini at once: with every
// read-modify-write under the file's lock, no process loses another's update.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/handles.h"
#include "settings/file_store_win.h"
#include "settings/ini_document.h"
#include "tests/settings/child_process_win.h"

namespace karvo::settings {
namespace {

using platform::UniqueHandle;

TEST(SharedConfig, ProcessesUpdatingTogetherLoseNothing) {
  constexpr int kChildren = 3;
  constexpr int kRounds = 40;
  char base[MAX_PATH];
  const DWORD n = ::GetTempPathA(MAX_PATH, base);
  ASSERT_GT(n, 0u);
  const std::string pid = std::to_string(::GetCurrentProcessId());
  const std::string path = std::string(base, n) + "karvo_shared_" + pid + ".ini";
  ::DeleteFileA(path.c_str());

  // The children start their updates together, so they really overlap.
  const std::string goName = "KARVO_SharedConfig_" + pid;
  UniqueHandle go(::CreateEventA(nullptr, TRUE, FALSE, goName.c_str()));
  ASSERT_TRUE(go);
  std::vector<testing::Child> children;
  for (int c = 0; c < kChildren; ++c) {
    children.push_back(testing::StartChild("count \"" + path + "\" " + goName + " " +
                                           std::to_string(kRounds) + " Child" + std::to_string(c)));
    ASSERT_TRUE(children.back().Process) << testing::ChildPath();
  }
  ASSERT_TRUE(::SetEvent(go.Get()));
  for (int c = 0; c < kChildren; ++c) {
    const HANDLE process = children[c].Process.Get();
    ASSERT_EQ(::WaitForSingleObject(process, 120000), WAIT_OBJECT_0) << c;
    DWORD code = 1;
    ASSERT_TRUE(::GetExitCodeProcess(process, &code));
    EXPECT_EQ(code, 0u) << "child " << c;
  }

  WinFileStore store;
  const IniDocument doc = LoadIni(store, path);
  EXPECT_EQ(doc.GetInt("Setting", "Counter", 0), kChildren * kRounds);
  for (int c = 0; c < kChildren; ++c) {
    EXPECT_EQ(doc.GetInt("Setting", "Child" + std::to_string(c), 0), kRounds) << c;
  }
  EXPECT_TRUE(::DeleteFileA(path.c_str()));
}

}  // namespace
}  // namespace karvo::settings
