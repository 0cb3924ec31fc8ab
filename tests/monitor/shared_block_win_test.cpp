#include "monitor/shared_block_win.h"

#include <aclapi.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/handles.h"

namespace karvo::monitor {
namespace {

constexpr std::size_t kSize = 8192 + 13;  // not a whole number of pages

class SharedBlockTest : public ::testing::Test {
 protected:
  // Names of this process only, so that a running monitor is never touched.
  std::string Name(const char* what) const {
    return std::string("KarvoSharedBlockTest_") + what + "_" +
           std::to_string(::GetCurrentProcessId());
  }
  SharedBlock m_block{Name("Data"), Name("Mutex"), kSize};
};

DWORD WINAPI TakeMutexAndEnd(void* mutex) {
  return ::WaitForSingleObject(static_cast<HANDLE>(mutex), INFINITE);
}

DWORD WINAPI TryMutex(void* mutex) {
  DWORD wait = ::WaitForSingleObject(static_cast<HANDLE>(mutex), 0);
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

TEST_F(SharedBlockTest, WholeCopiesInBothDirections) {
  bool existed = true;
  ASSERT_TRUE(m_block.CreateBlockMutex(existed));
  EXPECT_FALSE(existed);
  ASSERT_EQ(m_block.CreateSharedBlock(), 1);
  std::vector<std::uint8_t> out(kSize), in(kSize, 0);
  for (std::size_t i = 0; i < kSize; ++i) out[i] = static_cast<std::uint8_t>(i * 7);
  ASSERT_EQ(m_block.WriteSharedBlock(out.data()), 1);
  ASSERT_EQ(m_block.ReadSharedBlock(in.data()), 1);
  EXPECT_EQ(in, out);

  // Another opener sees the same bytes under the same name.
  platform::UniqueHandle mapping(::OpenFileMappingA(FILE_MAP_READ, FALSE, Name("Data").c_str()));
  ASSERT_TRUE(mapping);
  void* view = ::MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, kSize);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(std::memcmp(view, out.data(), kSize), 0);
  ::UnmapViewOfFile(view);
}

TEST_F(SharedBlockTest, ASecondCreatorFindsTheMutexExisting) {
  bool existed = false;
  ASSERT_TRUE(m_block.CreateBlockMutex(existed));
  SharedBlock second(Name("Data"), Name("Mutex"), kSize);
  EXPECT_FALSE(second.CreateBlockMutex(existed));
  EXPECT_TRUE(existed);
  std::vector<std::uint8_t> buffer(kSize);
  EXPECT_EQ(second.ReadSharedBlock(buffer.data()), 0);
  EXPECT_EQ(second.WriteSharedBlock(buffer.data()), 0);
}

TEST_F(SharedBlockTest, CopiesWithoutASectionOrBufferCopyNothing) {
  bool existed = false;
  ASSERT_TRUE(m_block.CreateBlockMutex(existed));
  std::vector<std::uint8_t> buffer(kSize, 0x5A);
  EXPECT_EQ(m_block.ReadSharedBlock(buffer.data()), 0);
  EXPECT_EQ(buffer, std::vector<std::uint8_t>(kSize, 0x5A));
  ASSERT_EQ(m_block.CreateSharedBlock(), 1);
  EXPECT_EQ(m_block.ReadSharedBlock(nullptr), 0);
  EXPECT_EQ(m_block.WriteSharedBlock(nullptr), 0);
  m_block.CloseSharedBlock();
  EXPECT_EQ(m_block.WriteSharedBlock(buffer.data()), 0);
}

TEST_F(SharedBlockTest, AnAbandonedMutexCopiesNothingAndIsReleasedAgain) {
  bool existed = false;
  ASSERT_TRUE(m_block.CreateBlockMutex(existed));
  ASSERT_EQ(m_block.CreateSharedBlock(), 1);
  std::vector<std::uint8_t> before(kSize, 0x11), after(kSize, 0x22), in(kSize, 0x33);
  ASSERT_EQ(m_block.WriteSharedBlock(before.data()), 1);

  platform::UniqueHandle mutex(::OpenMutexA(SYNCHRONIZE, FALSE, Name("Mutex").c_str()));
  ASSERT_TRUE(mutex);
  ASSERT_EQ(RunThread(&TakeMutexAndEnd, mutex.Get()), WAIT_OBJECT_0);  // ends owning it

  EXPECT_EQ(m_block.ReadSharedBlock(in.data()), 0);
  EXPECT_EQ(in, std::vector<std::uint8_t>(kSize, 0x33));
  // The other program can take the mutex again.
  EXPECT_EQ(RunThread(&TryMutex, mutex.Get()), WAIT_OBJECT_0);

  ASSERT_EQ(RunThread(&TakeMutexAndEnd, mutex.Get()), WAIT_OBJECT_0);
  EXPECT_EQ(m_block.WriteSharedBlock(after.data()), 0);
  EXPECT_EQ(RunThread(&TryMutex, mutex.Get()), WAIT_OBJECT_0);
  ASSERT_EQ(m_block.ReadSharedBlock(in.data()), 1);
  EXPECT_EQ(in, before);
}

TEST_F(SharedBlockTest, OnlyTheCurrentUserIsGrantedAccess) {
  bool existed = false;
  ASSERT_TRUE(m_block.CreateBlockMutex(existed));
  ASSERT_EQ(m_block.CreateSharedBlock(), 1);
  platform::UniqueHandle mapping(::OpenFileMappingA(READ_CONTROL, FALSE, Name("Data").c_str()));
  ASSERT_TRUE(mapping);
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_EQ(::GetSecurityInfo(mapping.Get(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &dacl, nullptr, &descriptor),
            static_cast<DWORD>(ERROR_SUCCESS));
  ASSERT_NE(dacl, nullptr) << "a NULL DACL lets everyone in";
  ASSERT_EQ(dacl->AceCount, 1);
  void* ace = nullptr;
  ASSERT_TRUE(::GetAce(dacl, 0, &ace));
  auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
  EXPECT_EQ(allowed->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);

  HANDLE rawToken = nullptr;
  ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &rawToken));
  platform::UniqueHandle token(rawToken);
  alignas(8) std::uint8_t user[256];
  DWORD needed = 0;
  ASSERT_TRUE(::GetTokenInformation(token.Get(), TokenUser, user, sizeof user, &needed));
  EXPECT_TRUE(::EqualSid(reinterpret_cast<PSID>(&allowed->SidStart),
                         reinterpret_cast<TOKEN_USER*>(user)->User.Sid));
  ::LocalFree(descriptor);
}

}  // namespace
}  // namespace karvo::monitor
