#pragma once
// Functions looked up at run time, in one place: each is missing on some system the suite
// runs on (or lives in a library not every program should load), so it is found on first use
// and its typed pointer kept; nullptr when the system lacks it, and the caller does without.
#include <windows.h>

namespace karvo::platform::dyn {

using WtsRegisterSessionNotificationFn = BOOL(WINAPI*)(HWND, DWORD);
using WtsUnRegisterSessionNotificationFn = BOOL(WINAPI*)(HWND);
using SetLayeredWindowAttributesFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
using GetSystemTimesFn = BOOL(WINAPI*)(FILETIME*, FILETIME*, FILETIME*);
using TimePeriodFn = UINT(WINAPI*)(UINT);
using GetModuleBaseNameAFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);
using TransparentBltFn = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, UINT);

// wtsapi32.dll (Windows XP and later).
WtsRegisterSessionNotificationFn WtsRegisterSessionNotification();
WtsUnRegisterSessionNotificationFn WtsUnRegisterSessionNotification();
// user32.dll (Windows 2000 and later).
SetLayeredWindowAttributesFn SetLayeredWindowAttributes();
// kernel32.dll (Windows XP SP1 and later).
GetSystemTimesFn GetSystemTimes();
// winmm.dll; both or neither.
TimePeriodFn TimeBeginPeriod();
TimePeriodFn TimeEndPeriod();
// kernel32.dll as K32GetModuleBaseNameA on current systems, psapi.dll on older ones.
GetModuleBaseNameAFn GetModuleBaseNameA();
// msimg32.dll, the image-blending library.
TransparentBltFn TransparentBlt();

}  // namespace karvo::platform::dyn
