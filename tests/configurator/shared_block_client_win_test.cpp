#include "configurator/shared_block_client_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>

#include "monitor/shared_block_win.h"
#include "platform/handles.h"

namespace karvo::configurator {
namespace {

using settings::SettingsImage;

constexpr std::size_t kBlockSize = sizeof(SettingsImage);

// The monitor's block under names of this process only, so a running suite is never touched.
class SharedBlockClientTest : public ::testing::Test {
 protected:
  static std::string Name(const char* what) {
    return std::string("KarvoClientTest_") + what + "_" + std::to_string(::GetCurrentProcessId());
  }
  void StartMonitorSide() {
    bool existed = true;
    ASSERT_TRUE(m_monitor.CreateBlockMutex(existed));
    ASSERT_EQ(m_monitor.CreateSharedBlock(), 1);
  }
  static std::unique_ptr<SettingsImage> Filled(int byte) {
    auto image = std::make_unique<SettingsImage>();
    std::memset(image.get(), byte, sizeof *image);
    return image;
  }
  static bool Same(const SettingsImage& a, const SettingsImage& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
  }

  monitor::SharedBlock m_monitor{Name("Data"), Name("Mutex"), kBlockSize};
  SharedBlockClient m_client{Name("Data"), Name("Mutex")};
};

DWORD WINAPI TakeMutexAndEnd(void* mutex) {
  return ::WaitForSingleObject(static_cast<HANDLE>(mutex), INFINITE);
}

DWORD WINAPI TryMutex(void* mutex) {
  const DWORD wait = ::WaitForSingleObject(static_cast<HANDLE>(mutex), 0);
  if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) ::ReleaseMutex(static_cast<HANDLE>(mutex));
  return wait;
}

DWORD RunThread(LPTHREAD_START_ROUTINE main, HANDLE mutex) {
  platform::UniqueHandle thread(::CreateThread(nullptr, 0, main, mutex, 0, nullptr));
  EXPECT_TRUE(thread);
  EXPECT_EQ(::WaitForSingleObject(thread.Get(), 30000), WAIT_OBJECT_0);
  DWORD code = 0;
  ::GetExitCodeThread(thread.Get(), &code);
  return code;
}

TEST_F(SharedBlockClientTest, WholeImagesTravelBothWaysUnderTheMonitorsMutex) {
  StartMonitorSide();
  ASSERT_TRUE(m_client.OpenBlockMutex());
  ASSERT_EQ(m_client.OpenView(), SharedBlockOpen::kOpened);

  const auto fromMonitor = Filled(0x21);
  fromMonitor->CurrentProfile = 3;
  ASSERT_EQ(m_monitor.WriteSharedBlock(fromMonitor.get()), 1);
  const auto read = Filled(0);
  ASSERT_EQ(m_client.ReadSharedBlock(read.get()), 1);
  EXPECT_TRUE(Same(*read, *fromMonitor));

  const auto fromClient = Filled(0x42);
  ASSERT_EQ(m_client.WriteSharedBlock(fromClient.get()), 1);
  const auto seen = Filled(0);
  ASSERT_EQ(m_monitor.ReadSharedBlock(seen.get()), 1);
  EXPECT_TRUE(Same(*seen, *fromClient));
}

// Holds the mutex on a thread of its own until released, as the monitor does during a copy.
class MutexHolder {
 public:
  explicit MutexHolder(const std::string& name)
      : m_mutex(::OpenMutexA(SYNCHRONIZE, FALSE, name.c_str())),
        m_taken(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
        m_release(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
        m_thread(::CreateThread(nullptr, 0, &Hold, this, 0, nullptr)) {
    EXPECT_EQ(::WaitForSingleObject(m_taken.Get(), 30000), WAIT_OBJECT_0);
  }
  ~MutexHolder() {
    ::SetEvent(m_release.Get());
    ::WaitForSingleObject(m_thread.Get(), 30000);
  }

 private:
  static DWORD WINAPI Hold(void* self) {
    auto* holder = static_cast<MutexHolder*>(self);
    ::WaitForSingleObject(holder->m_mutex.Get(), INFINITE);
    ::SetEvent(holder->m_taken.Get());
    ::WaitForSingleObject(holder->m_release.Get(), INFINITE);
    ::ReleaseMutex(holder->m_mutex.Get());
    return 0;
  }
  platform::UniqueHandle m_mutex, m_taken, m_release, m_thread;
};

TEST_F(SharedBlockClientTest, WithoutMutexOrViewNothingIsCopiedAndNothingWaits) {
  // The mutex is held elsewhere the whole time: a copy that waited would never return.
  bool existed = true;
  ASSERT_TRUE(m_monitor.CreateBlockMutex(existed));
  MutexHolder held(Name("Mutex"));

  const auto image = Filled(0x33);
  const auto untouched = Filled(0x33);
  ASSERT_TRUE(m_client.OpenBlockMutex());
  EXPECT_EQ(m_client.OpenView(), SharedBlockOpen::kNoMapping);
  EXPECT_EQ(m_client.ReadSharedBlock(image.get()), 0);
  EXPECT_EQ(m_client.WriteSharedBlock(image.get()), 0);
  EXPECT_TRUE(Same(*image, *untouched));

  // A view but no mutex: the same.
  ASSERT_EQ(m_monitor.CreateSharedBlock(), 1);
  SharedBlockClient noMutex(Name("Data"), Name("NoSuchMutex"));
  EXPECT_FALSE(noMutex.OpenBlockMutex());
  ASSERT_EQ(noMutex.OpenView(), SharedBlockOpen::kOpened);
  EXPECT_EQ(noMutex.ReadSharedBlock(image.get()), 0);
  EXPECT_EQ(noMutex.WriteSharedBlock(image.get()), 0);
  EXPECT_TRUE(Same(*image, *untouched));
}

TEST_F(SharedBlockClientTest, ASectionTooSmallForAnImageIsAViewFailureNotAnOverrun) {
  platform::UniqueHandle small(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                                                    0, 4096, Name("Data").c_str()));
  ASSERT_TRUE(small);
  EXPECT_EQ(m_client.OpenView(), SharedBlockOpen::kViewFailed);
  const auto image = Filled(0x44);
  EXPECT_EQ(m_client.ReadSharedBlock(image.get()), 0);
}

TEST_F(SharedBlockClientTest, AnAbandonedMutexCopiesNothingAndIsGivenBack) {
  StartMonitorSide();
  ASSERT_TRUE(m_client.OpenBlockMutex());
  ASSERT_EQ(m_client.OpenView(), SharedBlockOpen::kOpened);
  const auto before = Filled(0x11);
  ASSERT_EQ(m_monitor.WriteSharedBlock(before.get()), 1);
  platform::UniqueHandle mutex(::OpenMutexA(SYNCHRONIZE, FALSE, Name("Mutex").c_str()));
  ASSERT_TRUE(mutex);

  const auto read = Filled(0x33);
  ASSERT_EQ(RunThread(&TakeMutexAndEnd, mutex.Get()), WAIT_OBJECT_0);
  EXPECT_EQ(m_client.ReadSharedBlock(read.get()), 0);
  EXPECT_TRUE(Same(*read, *Filled(0x33)));
  EXPECT_EQ(RunThread(&TryMutex, mutex.Get()), WAIT_OBJECT_0) << "released again";

  ASSERT_EQ(RunThread(&TakeMutexAndEnd, mutex.Get()), WAIT_OBJECT_0);
  EXPECT_EQ(m_client.WriteSharedBlock(Filled(0x22).get()), 0);
  EXPECT_EQ(RunThread(&TryMutex, mutex.Get()), WAIT_OBJECT_0);
  ASSERT_EQ(m_client.ReadSharedBlock(read.get()), 1);
  EXPECT_TRUE(Same(*read, *before));
}

}  // namespace
}  // namespace karvo::configurator
