#pragma once
// Move-only owners of Win32 handles. An owner closes what it holds exactly once;
// a raw HANDLE/HWND passed around is only borrowed. Typed GDI owners are in gdi_win.h.
#include <windows.h>

#include <utility>

namespace karvo::platform {

template <typename T, typename Traits>
class UniqueResource {
 public:
  UniqueResource() = default;
  explicit UniqueResource(T value) : m_value(value) {}
  ~UniqueResource() { Reset(); }
  UniqueResource(UniqueResource&& other) noexcept : m_value(other.Release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;

  T Get() const { return m_value; }
  explicit operator bool() const { return Traits::IsValid(m_value); }
  T Release() { return std::exchange(m_value, Traits::Invalid()); }
  void Reset(T value = Traits::Invalid()) {
    T old = std::exchange(m_value, value);
    if (Traits::IsValid(old)) Traits::Close(old);
  }

 private:
  T m_value = Traits::Invalid();
};

struct KernelHandleTraits {  // CreateMutex, CreateEvent, OpenProcess, threads: NULL when invalid
  static HANDLE Invalid() { return nullptr; }
  static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct FileHandleTraits {  // CreateFile: INVALID_HANDLE_VALUE when invalid
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct ModuleTraits {
  static HMODULE Invalid() { return nullptr; }
  static bool IsValid(HMODULE h) { return h != nullptr; }
  static void Close(HMODULE h) { ::FreeLibrary(h); }
};
struct ViewTraits {
  static void* Invalid() { return nullptr; }
  static bool IsValid(void* p) { return p != nullptr; }
  static void Close(void* p) { ::UnmapViewOfFile(p); }
};
struct WindowTraits {
  static HWND Invalid() { return nullptr; }
  static bool IsValid(HWND h) { return h != nullptr; }
  static void Close(HWND h) { ::DestroyWindow(h); }
};
struct GdiObjectTraits {  // an HGDIOBJ of no particular type (LoadImage's answer, say)
  static HGDIOBJ Invalid() { return nullptr; }
  static bool IsValid(HGDIOBJ h) { return h != nullptr; }
  static void Close(HGDIOBJ h) { ::DeleteObject(h); }
};
struct RegKeyTraits {
  static HKEY Invalid() { return nullptr; }
  static bool IsValid(HKEY h) { return h != nullptr; }
  static void Close(HKEY h) { ::RegCloseKey(h); }
};

using UniqueHandle = UniqueResource<HANDLE, KernelHandleTraits>;
using UniqueFile = UniqueResource<HANDLE, FileHandleTraits>;
using UniqueModule = UniqueResource<HMODULE, ModuleTraits>;
using UniqueView = UniqueResource<void*, ViewTraits>;
using UniqueWindow = UniqueResource<HWND, WindowTraits>;
using UniqueGdiObject = UniqueResource<HGDIOBJ, GdiObjectTraits>;
using UniqueRegKey = UniqueResource<HKEY, RegKeyTraits>;

// Holds an owned mutex until destroyed (WaitForSingleObject succeeded).
class MutexLock {
 public:
  explicit MutexLock(HANDLE mutex) : m_mutex(mutex) {}
  ~MutexLock() {
    if (m_mutex) ::ReleaseMutex(m_mutex);
  }
  MutexLock(const MutexLock&) = delete;
  MutexLock& operator=(const MutexLock&) = delete;

 private:
  HANDLE m_mutex;
};

}  // namespace karvo::platform
