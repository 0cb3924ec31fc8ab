#include <gtest/gtest.h>

#include "platform/handles.h"

using karvo::platform::UniqueHandle;

namespace {
bool NamedMutexExists(const char* name) {
  HANDLE h = ::OpenMutexA(SYNCHRONIZE, FALSE, name);
  if (!h) return false;
  ::CloseHandle(h);
  return true;
}
}  // namespace

TEST(UniqueHandle, ClosesOnceWhenDestroyedOrReset) {
  const char* name = "karvo_test_unique_handle";
  {
    UniqueHandle owner(::CreateMutexA(nullptr, FALSE, name));
    ASSERT_TRUE(owner);
    EXPECT_TRUE(NamedMutexExists(name));
  }
  EXPECT_FALSE(NamedMutexExists(name));

  UniqueHandle owner(::CreateMutexA(nullptr, FALSE, name));
  owner.Reset();
  EXPECT_FALSE(owner);
  EXPECT_FALSE(NamedMutexExists(name));
}

TEST(UniqueHandle, MoveTransfersOwnership) {
  const char* name = "karvo_test_unique_handle_move";
  UniqueHandle first(::CreateMutexA(nullptr, FALSE, name));
  UniqueHandle second(std::move(first));
  EXPECT_FALSE(first);
  EXPECT_TRUE(second);
  first = std::move(second);
  EXPECT_TRUE(first);
  EXPECT_TRUE(NamedMutexExists(name));
  first.Reset();
  EXPECT_FALSE(NamedMutexExists(name));
}
