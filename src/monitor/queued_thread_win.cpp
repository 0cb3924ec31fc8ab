#include "monitor/queued_thread_win.h"

#include <memory>

#include "platform/debug_log.h"

namespace karvo::monitor {

namespace {
constexpr DWORD kQuitRetryMs = 10;

// Owned by the new thread; its handle of the ready event is its own.
struct ThreadStart {
  QueuedThread::Body Body;
  void* Context;
  platform::UniqueHandle Ready;
};

DWORD WINAPI ThreadMain(void* param) {
  std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(param));
  MSG msg;
  ::PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  if (!::SetEvent(start->Ready.Get())) platform::DebugLogLastError("SetEvent(thread ready)");
  start->Ready.Reset();
  try {
    start->Body(start->Context);
  } catch (...) {
    platform::DebugLog("queued thread ended by an exception\n");
  }
  return 0;
}
}  // namespace

bool QueuedThread::Start(Body body, void* context, DWORD stackSize, DWORD readyWaitMs) {
  platform::UniqueHandle ready(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  HANDLE threadsReady = nullptr;
  if (!ready || !::DuplicateHandle(::GetCurrentProcess(), ready.Get(), ::GetCurrentProcess(),
                                   &threadsReady, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
    platform::DebugLogLastError("ready event of a thread");
    return false;
  }
  auto start = std::make_unique<ThreadStart>(
      ThreadStart{body, context, platform::UniqueHandle(threadsReady)});
  m_thread.Reset(::CreateThread(nullptr, stackSize, &ThreadMain, start.get(), 0, &m_id));
  if (!m_thread) {
    platform::DebugLogLastError("CreateThread");
    m_id = 0;
    return false;
  }
  start.release();  // the thread's now, however late it starts
  return ::WaitForSingleObject(ready.Get(), readyWaitMs) == WAIT_OBJECT_0;
}

void QueuedThread::Stop() {
  if (!m_thread) return;
  while (!::PostThreadMessageA(m_id, WM_QUIT, 0, 0)) {
    if (::WaitForSingleObject(m_thread.Get(), kQuitRetryMs) == WAIT_OBJECT_0) break;
  }
  if (::WaitForSingleObject(m_thread.Get(), INFINITE) != WAIT_OBJECT_0) {
    platform::DebugLogLastError("WaitForSingleObject(thread end)");
  }
  m_thread.Reset();
  m_id = 0;
}

}  // namespace karvo::monitor
