#pragma once
// What the tests and the benchmark watch the monitor's injected input with: a low-level
// keyboard hook on a thread of its own, and top-level windows that record what is sent or
// posted to them (stand-ins for the media players).
#include <windows.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/handles.h"

namespace karvo::e2e {

struct HookedKey {
  DWORD VirtualKey;  // left/right Shift, Ctrl and Alt folded to the generic keys
  bool Up;
  bool Injected;
  std::uint64_t AtUs;  // QueryPerformanceCounter in microseconds
};

std::uint64_t NowUs();

class KeyboardHook {
 public:
  KeyboardHook();
  ~KeyboardHook();
  KeyboardHook(const KeyboardHook&) = delete;
  KeyboardHook& operator=(const KeyboardHook&) = delete;

  bool Ok() const { return m_installed; }
  std::vector<HookedKey> Keys();
  void Clear();
  // Waits until `count` keys have been seen in all, or timeoutMs passed.
  bool WaitForCount(std::size_t count, DWORD timeoutMs);

 private:
  static DWORD WINAPI ThreadMain(void* self);
  static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam);

  std::mutex m_lock;
  std::vector<HookedKey> m_keys;
  platform::UniqueHandle m_ready;
  platform::UniqueHandle m_thread;
  DWORD m_threadId = 0;
  bool m_installed = false;
};

struct ReceivedMessage {
  UINT Message;
  WPARAM WParam;
  LPARAM LParam;
};

// A top-level window with the given class and title that records the key messages and
// WM_COMMAND it receives, as a media player would get them.
class RecordingWindow {
 public:
  RecordingWindow(const char* className, const char* title);
  ~RecordingWindow();
  RecordingWindow(const RecordingWindow&) = delete;
  RecordingWindow& operator=(const RecordingWindow&) = delete;

  bool Ok() const { return static_cast<bool>(m_window); }
  HWND Handle() const { return m_window.Get(); }
  const std::vector<ReceivedMessage>& Received() const { return m_received; }
  void Clear() { m_received.clear(); }

  // Pumps this thread's messages until `count` recorded messages arrived or timeoutMs passed.
  bool WaitForCount(std::size_t count, DWORD timeoutMs);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  std::string m_className;
  platform::UniqueWindow m_window;
  std::vector<ReceivedMessage> m_received;
};

}  // namespace karvo::e2e
