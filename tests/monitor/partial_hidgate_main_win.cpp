// A device library that lacks most of its entries, for the monitor's loader tests. Every entry
// it has counts its calls, so a test can tell whether the loader called through it.
#include <windows.h>

namespace {
LONG g_calls = 0;
}  // namespace

extern "C" {
__declspec(dllexport) BOOL WINAPI Open_DevMonitor(HWND, UINT, UINT) {
  ::InterlockedIncrement(&g_calls);
  return TRUE;
}
__declspec(dllexport) BOOL WINAPI Open_FeatureDevice() {
  ::InterlockedIncrement(&g_calls);
  return TRUE;
}
__declspec(dllexport) BOOL WINAPI SetFeature(void*, DWORD) {
  ::InterlockedIncrement(&g_calls);
  return TRUE;
}
__declspec(dllexport) LONG WINAPI CallCount() { return g_calls; }
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, void*) { return TRUE; }
