#pragma once
// Waiting in tests: message pumps with a bound, and polls without one's own messages. The
// bounds only stop a hang; no test asserts how long anything took.
#include <windows.h>

#include <functional>

namespace karvo::testing {

// Dispatches this thread's messages (sent ones included) until done() holds or timeoutMs
// passes; observe sees every queued message first. WM_QUIT is taken off and ignored.
// False on timeout.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs,
               const std::function<void(const MSG&)>& observe = {});
// Dispatches this thread's messages for ms.
void Pump(DWORD ms, const std::function<void(const MSG&)>& observe = {});
// Checks done() every few milliseconds without dispatching anything; false on timeout.
bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs);

}  // namespace karvo::testing
