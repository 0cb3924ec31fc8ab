#pragma once
// A stand-in for another program's window: a top-level window with that program's title that
// records what is sent or posted to it, and a comparison of message sequences in the manner of
// Wine's ok_sequence.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/handles.h"

namespace karvo::testing {

struct RecordedMessage {
  UINT Message = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  // WM_COPYDATA: the descriptor and at most the first kCopyDataKept bytes of its data.
  ULONG_PTR DataKind = 0;
  DWORD DataSize = 0;
  std::string Data;
};

class RecordingWindow {
 public:
  static constexpr DWORD kCopyDataKept = 4096;

  // Records WM_CLOSE (not obeyed), WM_COPYDATA (answered TRUE), WM_COMMAND and every message
  // from WM_USER to 0x7FFF.
  explicit RecordingWindow(const char* title, const char* className = "KarvoRecordingWindow");
  ~RecordingWindow();
  RecordingWindow(const RecordingWindow&) = delete;
  RecordingWindow& operator=(const RecordingWindow&) = delete;

  bool Ok() const { return static_cast<bool>(m_window); }
  HWND Hwnd() const { return m_window.Get(); }

  // What has been received so far (nothing is dispatched for it).
  const std::vector<RecordedMessage>& All() const { return m_received; }
  // After dispatching what is already queued: every `message`, in order, and their count.
  std::vector<RecordedMessage> Received(UINT message);
  int Count(UINT message);
  // Pumps until `message` has arrived `count` times in all; false on timeout.
  bool WaitFor(UINT message, int count, DWORD timeoutMs);
  void Pump(DWORD ms);
  void Clear() { m_received.clear(); }
  // Called for each recorded message, after it was recorded.
  std::function<void(const RecordedMessage&)> OnRecorded;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  int Recorded(UINT message) const;
  std::vector<RecordedMessage> m_received;
  platform::UniqueWindow m_window;
};

// The messages of `seen` that occur in `expected`, in their order, must be `expected`: the
// other messages the system sends along are not the test's business. The failure names both
// sequences.
::testing::AssertionResult MessagesInOrder(const std::vector<UINT>& seen,
                                           const std::vector<UINT>& expected);

}  // namespace karvo::testing
