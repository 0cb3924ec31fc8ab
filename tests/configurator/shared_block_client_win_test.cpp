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

// Names of this process only, so a running suite is never touched.
std::string Name(const char* what) {
  return std::string("KarvoClientTest_") + what + "_" + std::to_string(::GetCurrentProcessId());
}

std::unique_ptr<SettingsImage> Filled(int byte) {
  auto image = std::make_unique<SettingsImage>();
  std::memset(image.get(), byte, sizeof *image);
  return image;
}

bool Same(const SettingsImage& a, const SettingsImage& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

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

TEST(SharedBlockClient, CopiesWholeImagesWithTheMonitorAndNothingPastAnAbandonedMutex) {
  monitor::SharedBlock monitor(Name("Data"), Name("Mutex"), sizeof(SettingsImage));
  bool existed = true;
  ASSERT_TRUE(monitor.CreateBlockMutex(existed));
  ASSERT_EQ(monitor.CreateSharedBlock(), 1);
  SharedBlockClient client(Name("Data"), Name("Mutex"));
  ASSERT_TRUE(client.OpenBlockMutex());
  ASSERT_EQ(client.OpenView(), SharedBlockOpen::kOpened);

  const auto fromMonitor = Filled(0x21);
  ASSERT_EQ(monitor.WriteSharedBlock(fromMonitor.get()), 1);
  const auto read = Filled(0);
  ASSERT_EQ(client.ReadSharedBlock(read.get()), 1);
  EXPECT_TRUE(Same(*read, *fromMonitor));
  const auto fromClient = Filled(0x42);
  ASSERT_EQ(client.WriteSharedBlock(fromClient.get()), 1);
  ASSERT_EQ(monitor.ReadSharedBlock(read.get()), 1);
  EXPECT_TRUE(Same(*read, *fromClient));

  // A thread that ends holding the mutex leaves it abandoned: that copy is skipped and
  // the mutex given back, in both directions.
  platform::UniqueHandle mutex(::OpenMutexA(SYNCHRONIZE, FALSE, Name("Mutex").c_str()));
  ASSERT_TRUE(mutex);
  ASSERT_EQ(RunThread(&TakeMutexAndEnd, mutex.Get()), WAIT_OBJECT_0);
  const auto untouched = Filled(0x33);
  EXPECT_EQ(client.ReadSharedBlock(untouched.get()), 0);
  EXPECT_TRUE(Same(*untouched, *Filled(0x33)));
  EXPECT_EQ(RunThread(&TryMutex, mutex.Get()), WAIT_OBJECT_0);
  ASSERT_EQ(RunThread(&TakeMutexAndEnd, mutex.Get()), WAIT_OBJECT_0);
  EXPECT_EQ(client.WriteSharedBlock(Filled(0x55).get()), 0);
  EXPECT_EQ(RunThread(&TryMutex, mutex.Get()), WAIT_OBJECT_0);
  ASSERT_EQ(client.ReadSharedBlock(read.get()), 1);
  EXPECT_TRUE(Same(*read, *fromClient));
}

TEST(SharedBlockClient, NoMappingAndAFailedViewAreToldApartAndCopyNothing) {
  monitor::SharedBlock monitor(Name("Data2"), Name("Mutex2"), sizeof(SettingsImage));
  bool existed = true;
  ASSERT_TRUE(monitor.CreateBlockMutex(existed));
  SharedBlockClient client(Name("Data2"), Name("Mutex2"));
  ASSERT_TRUE(client.OpenBlockMutex());
  EXPECT_EQ(client.OpenView(), SharedBlockOpen::kNoMapping);
  const auto image = Filled(0x33);
  EXPECT_EQ(client.ReadSharedBlock(image.get()), 0);
  EXPECT_EQ(client.WriteSharedBlock(image.get()), 0);
  EXPECT_TRUE(Same(*image, *Filled(0x33)));

  // A section of that name too small for an image is never read past its end.
  platform::UniqueHandle small(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                                                    0, 4096, Name("Data3").c_str()));
  ASSERT_TRUE(small);
  SharedBlockClient smallClient(Name("Data3"), Name("Mutex2"));
  ASSERT_TRUE(smallClient.OpenBlockMutex());
  EXPECT_EQ(smallClient.OpenView(), SharedBlockOpen::kViewFailed);
  EXPECT_EQ(smallClient.ReadSharedBlock(image.get()), 0);

  // A view without the mutex copies nothing either.
  ASSERT_EQ(monitor.CreateSharedBlock(), 1);
  SharedBlockClient noMutex(Name("Data2"), Name("NoSuchMutex"));
  EXPECT_FALSE(noMutex.OpenBlockMutex());
  ASSERT_EQ(noMutex.OpenView(), SharedBlockOpen::kOpened);
  EXPECT_EQ(noMutex.WriteSharedBlock(image.get()), 0);
  EXPECT_EQ(noMutex.ReadSharedBlock(image.get()), 0);
  EXPECT_TRUE(Same(*image, *Filled(0x33)));
}

}  // namespace
}  // namespace karvo::configurator
