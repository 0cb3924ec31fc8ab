#pragma once
// Functions looked up at run time, in one place: each is missing on some system the suite
// runs on (or lives in a library not every program should load), so it is found on first use
// and its typed pointer kept; nullptr when the system lacks it, and the caller does without.
#include <windows.h>
// After windows.h, whose types it uses.
#include <commdlg.h>

namespace karvo::platform::dyn {

using WtsRegisterSessionNotificationFn = BOOL(WINAPI*)(HWND, DWORD);
using WtsUnRegisterSessionNotificationFn = BOOL(WINAPI*)(HWND);
using SetLayeredWindowAttributesFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
using GetSystemTimesFn = BOOL(WINAPI*)(FILETIME*, FILETIME*, FILETIME*);
using TimePeriodFn = UINT(WINAPI*)(UINT);
using GetModuleBaseNameAFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);
using TransparentBltFn = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, UINT);
using GetFileNameWFn = BOOL(WINAPI*)(OPENFILENAMEW*);
using CommDlgExtendedErrorFn = DWORD(WINAPI*)();
using SHGetFolderPathWFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);

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
// comdlg32.dll and shell32.dll, loaded when a file dialog first opens: loading them (and what
// they load) with the program made a good part of the configurator's start under Wine.
GetFileNameWFn GetOpenFileNameW();
GetFileNameWFn GetSaveFileNameW();
CommDlgExtendedErrorFn CommDlgExtendedError();
SHGetFolderPathWFn SHGetFolderPathW();

}  // namespace karvo::platform::dyn
