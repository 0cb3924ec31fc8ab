#pragma once
// A thread with a message queue that the window thread posts work to. What the thread needs is
// handed over in a record the thread owns, so a thread that starts later than its starter waited
// for reads nothing of its starter's stack and signals no closed event.
#include <windows.h>

#include "platform/handles.h"

namespace karvo::monitor {

class QueuedThread {
 public:
  // Runs on the new thread once its queue exists; must not throw.
  using Body = void (*)(void* context);

  QueuedThread() = default;
  ~QueuedThread() { Stop(); }
  QueuedThread(const QueuedThread&) = delete;
  QueuedThread& operator=(const QueuedThread&) = delete;

  // True once the thread's queue exists, within readyWaitMs. A thread that is late still runs
  // and Stop still ends it; false with no thread at all when it could not be created.
  [[nodiscard]] bool Start(Body body, void* context, DWORD stackSize, DWORD readyWaitMs);
  bool Running() const { return static_cast<bool>(m_thread); }
  DWORD Id() const { return m_id; }
  // Posts WM_QUIT, again as long as the thread has no queue yet, and waits for the thread.
  void Stop();

 private:
  platform::UniqueHandle m_thread;
  DWORD m_id = 0;
};

}  // namespace karvo::monitor
