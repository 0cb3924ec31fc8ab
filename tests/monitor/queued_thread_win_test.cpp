// A queued thread that starts after its starter stopped waiting for it. A callback of this
// executable's thread-local storage runs on every new thread before its start routine, so the
// test can hold a new thread there for as long as it likes.
#include "monitor/queued_thread_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstring>

namespace karvo::monitor {
namespace {

std::atomic<bool> g_holdNewThreads{false};
HANDLE g_release = nullptr;

void NTAPI HoldNewThread(PVOID, DWORD reason, PVOID) {
  if (reason == DLL_THREAD_ATTACH && g_holdNewThreads) ::WaitForSingleObject(g_release, INFINITE);
}

extern "C" __attribute__((section(".CRT$XLK"), used))
const PIMAGE_TLS_CALLBACK g_holdNewThreadCallback = &HoldNewThread;

// Overwrites the stack below the caller, where a returned function's locals lay.
__attribute__((noinline)) void ScribbleStack() {
  volatile unsigned char junk[8192];
  for (unsigned char& b : const_cast<unsigned char(&)[8192]>(junk)) b = 0xCD;
}

std::atomic<void*> g_contextSeen{nullptr};

void RecordingBody(void* context) {
  g_contextSeen = context;
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
  }
}

__attribute__((noinline)) bool StartWithoutWaiting(QueuedThread& thread, void* context) {
  return thread.Start(&RecordingBody, context, 4096, 0);
}

TEST(QueuedThreadWinTest, AThreadThatStartsLateGetsItsContextAndStillStops) {
  g_release = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(g_release, nullptr);
  int context = 0;
  QueuedThread thread;
  g_holdNewThreads = true;
  EXPECT_FALSE(StartWithoutWaiting(thread, &context));
  ASSERT_TRUE(thread.Running());
  ScribbleStack();
  g_holdNewThreads = false;
  ASSERT_TRUE(::SetEvent(g_release));
  thread.Stop();
  EXPECT_FALSE(thread.Running());
  EXPECT_EQ(g_contextSeen.load(), &context);
  ::CloseHandle(g_release);
}

}  // namespace
}  // namespace karvo::monitor
