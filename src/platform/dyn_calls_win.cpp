#include "platform/dyn_calls_win.h"

#include "platform/debug_log.h"

namespace karvo::platform::dyn {

namespace {
// Libraries found here stay loaded for the life of the process: their functions are kept.
HMODULE Library(const char* name, bool load) {
  HMODULE module = ::GetModuleHandleA(name);
  if (!module && load) module = ::LoadLibraryA(name);
  if (!module) DebugLog("%s not available\r\n", name);
  return module;
}

template <typename Fn>
Fn Find(HMODULE module, const char* name) {
  if (!module) return nullptr;
  FARPROC proc = ::GetProcAddress(module, name);
  if (!proc) DebugLog("%s not available\r\n", name);
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(proc));
}

struct TimePeriod {
  TimePeriodFn Begin = nullptr;
  TimePeriodFn End = nullptr;
};

const TimePeriod& TimePeriodCalls() {
  static const TimePeriod calls = [] {
    HMODULE winmm = Library("winmm.dll", true);
    TimePeriod found{Find<TimePeriodFn>(winmm, "timeBeginPeriod"),
                     Find<TimePeriodFn>(winmm, "timeEndPeriod")};
    // A raised period that could not be lowered again would stay for good.
    if (!found.Begin || !found.End) found = {};
    return found;
  }();
  return calls;
}
}  // namespace

WtsRegisterSessionNotificationFn WtsRegisterSessionNotification() {
  static const auto fn = Find<WtsRegisterSessionNotificationFn>(Library("wtsapi32.dll", true),
                                                                "WTSRegisterSessionNotification");
  return fn;
}

WtsUnRegisterSessionNotificationFn WtsUnRegisterSessionNotification() {
  static const auto fn = Find<WtsUnRegisterSessionNotificationFn>(
      Library("wtsapi32.dll", true), "WTSUnRegisterSessionNotification");
  return fn;
}

SetLayeredWindowAttributesFn SetLayeredWindowAttributes() {
  static const auto fn = Find<SetLayeredWindowAttributesFn>(Library("user32.dll", false),
                                                            "SetLayeredWindowAttributes");
  return fn;
}

GetSystemTimesFn GetSystemTimes() {
  static const auto fn = Find<GetSystemTimesFn>(Library("kernel32.dll", false), "GetSystemTimes");
  return fn;
}

TimePeriodFn TimeBeginPeriod() { return TimePeriodCalls().Begin; }
TimePeriodFn TimeEndPeriod() { return TimePeriodCalls().End; }

GetModuleBaseNameAFn GetModuleBaseNameA() {
  static const GetModuleBaseNameAFn fn = [] {
    HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    FARPROC found = kernel ? ::GetProcAddress(kernel, "K32GetModuleBaseNameA") : nullptr;
    if (found) return reinterpret_cast<GetModuleBaseNameAFn>(reinterpret_cast<void*>(found));
    return Find<GetModuleBaseNameAFn>(Library("psapi.dll", true), "GetModuleBaseNameA");
  }();
  return fn;
}

TransparentBltFn TransparentBlt() {
  static const auto fn = Find<TransparentBltFn>(Library("msimg32.dll", true), "TransparentBlt");
  return fn;
}

GetFileNameWFn GetOpenFileNameW() {
  static const auto fn = Find<GetFileNameWFn>(Library("comdlg32.dll", true), "GetOpenFileNameW");
  return fn;
}

GetFileNameWFn GetSaveFileNameW() {
  static const auto fn = Find<GetFileNameWFn>(Library("comdlg32.dll", true), "GetSaveFileNameW");
  return fn;
}

CommDlgExtendedErrorFn CommDlgExtendedError() {
  static const auto fn =
      Find<CommDlgExtendedErrorFn>(Library("comdlg32.dll", true), "CommDlgExtendedError");
  return fn;
}

SHGetFolderPathWFn SHGetFolderPathW() {
  static const auto fn = Find<SHGetFolderPathWFn>(Library("shell32.dll", true), "SHGetFolderPathW");
  return fn;
}

}  // namespace karvo::platform::dyn
