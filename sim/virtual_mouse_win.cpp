#include "sim/virtual_mouse_win.h"

#include <cstring>
#include <utility>
#include <vector>

#include "platform/debug_log.h"

namespace karvo::sim {
namespace {

using platform::DebugLog;
using platform::DebugLogLastError;

constexpr char kStateFileName[] = "hidgate.state";
// A state file is a few hundred bytes; anything much larger is not ours.
constexpr DWORD kMaxStateFile = 64 * 1024;
constexpr DWORD kStopTimeoutMs = 5000;

std::string StatePathBesideModule() {
  HMODULE module = nullptr;
  if (!::GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCSTR>(&StatePathBesideModule), &module)) {
    DebugLogLastError("GetModuleHandleExA");
    return kStateFileName;
  }
  char path[MAX_PATH];
  const DWORD n = ::GetModuleFileNameA(module, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) {
    DebugLogLastError("GetModuleFileNameA");
    return kStateFileName;
  }
  std::string dir(path, n);
  const std::size_t slash = dir.find_last_of("\\/");
  dir.resize(slash == std::string::npos ? 0 : slash + 1);
  return dir + kStateFileName;
}

std::vector<std::uint8_t> ReadStateFile(const std::string& path) {
  platform::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {};
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart > kMaxStateFile) return {};
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
  DWORD read = 0;
  if (!bytes.empty() &&
      (!::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
       read != bytes.size())) {
    DebugLogLastError("ReadFile of the virtual mouse state");
    return {};
  }
  return bytes;
}

bool WriteStateBytes(HANDLE file, std::span<const std::uint8_t> bytes) {
  DWORD written = 0;
  if (!::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size()) {
    DebugLogLastError("WriteFile of the virtual mouse state");
    return false;
  }
  return true;
}

// A per-machine install lets users write the state file but create nothing beside it.
void RewriteStateInPlace(const std::string& path, std::span<const std::uint8_t> bytes) {
  platform::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    DebugLogLastError("CreateFileA of the virtual mouse state (in place)");
    return;
  }
  if (WriteStateBytes(file.Get(), bytes) && !::SetEndOfFile(file.Get())) {
    DebugLogLastError("SetEndOfFile of the virtual mouse state");
  }
}

}  // namespace

VirtualMouse& VirtualMouse::Instance() {
  static VirtualMouse* const instance = new VirtualMouse(StatePathBesideModule());
  return *instance;
}

VirtualMouse::VirtualMouse(std::string statePath)
    : m_statePath(std::move(statePath)), m_startTicks(::GetTickCount()) {
  const std::vector<std::uint8_t> stored = ReadStateFile(m_statePath);
  m_firmware = std::make_unique<Firmware>(*this, stored);
}

BOOL VirtualMouse::OpenDevMonitor(HWND window, UINT eventMessage, UINT arrivalMessage) {
  {
    std::lock_guard lock(m_lock);
    m_window = window;
    m_eventMessage = eventMessage;
    m_arrivalMessage = arrivalMessage;
  }
  std::lock_guard channel(m_channelLock);
  if (!m_channelWindow && !StartChannel()) StopChannel();
  return TRUE;
}

BOOL VirtualMouse::CloseDevMonitor() {
  {
    std::lock_guard lock(m_lock);
    m_window = nullptr;
  }
  std::lock_guard channel(m_channelLock);
  StopChannel();
  return TRUE;
}

BOOL VirtualMouse::OpenFeatureDevice() {
  std::lock_guard lock(m_lock);
  return m_firmware->OpenFeatureDevice() ? TRUE : FALSE;
}

BOOL VirtualMouse::CloseFeatureDevice() {
  std::lock_guard lock(m_lock);
  m_firmware->CloseFeatureDevice();
  return TRUE;
}

BOOL VirtualMouse::SetFeature(void* report, DWORD length) {
  if (report == nullptr || length == 0) return FALSE;
  std::lock_guard lock(m_lock);
  return m_firmware->SetFeature({static_cast<const std::uint8_t*>(report), length}) ? TRUE : FALSE;
}

BOOL VirtualMouse::GetFeature(void* report, DWORD length) {
  if (report == nullptr || length == 0) return FALSE;
  std::lock_guard lock(m_lock);
  return m_firmware->GetFeature({static_cast<std::uint8_t*>(report), length}) ? TRUE : FALSE;
}

// Called by the firmware, so m_lock is held.
void VirtualMouse::PostEvent(std::uint32_t word) {
  if (m_window == nullptr) return;
  if (!::PostMessageA(m_window, m_eventMessage, word >> 16, word & 0xFFFF)) {
    DebugLogLastError("PostMessageA of a virtual mouse event");
  }
}

void VirtualMouse::PostPresence(bool arrived) {
  if (m_window == nullptr) return;
  if (!::PostMessageA(m_window, m_arrivalMessage, arrived ? 1 : 0, 0)) {
    DebugLogLastError("PostMessageA of a virtual mouse arrival");
  }
}

// Written to a side file and moved over the old one, so a crash mid-write leaves the
// previous state rather than a torn file.
void VirtualMouse::SaveState(std::span<const std::uint8_t> bytes) {
  const std::string temp = m_statePath + ".tmp";
  {
    platform::UniqueFile file(::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      DebugLogLastError("CreateFileA of the virtual mouse state");
      RewriteStateInPlace(m_statePath, bytes);
      return;
    }
    if (!WriteStateBytes(file.Get(), bytes)) return;
  }
  if (!::MoveFileExA(temp.c_str(), m_statePath.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DebugLogLastError("MoveFileExA of the virtual mouse state");
  }
}

std::uint64_t VirtualMouse::NowMs() { return ::GetTickCount() - m_startTicks; }

bool VirtualMouse::StartChannel() {
  SECURITY_DESCRIPTOR descriptor;
  if (!::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !::SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE)) {
    DebugLogLastError("security descriptor of the virtual mouse channel");
    return false;
  }
  SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};

  m_mapping.Reset(::CreateFileMappingA(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE, 0,
                                       sizeof(ChannelBlock), kChannelMappingName));
  if (!m_mapping) {
    DebugLogLastError("CreateFileMappingA of the virtual mouse channel");
    return false;
  }
  if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    // Another process's virtual mouse owns the channel; mousectl talks to that one.
    DebugLog("virtual mouse channel already served elsewhere");
    return false;
  }
  m_view.Reset(::MapViewOfFile(m_mapping.Get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(ChannelBlock)));
  m_channelMutex.Reset(::CreateMutexA(&attributes, FALSE, kChannelMutexName));
  m_requestEvent.Reset(::CreateEventA(&attributes, FALSE, FALSE, kChannelRequestEventName));
  m_replyEvent.Reset(::CreateEventA(&attributes, FALSE, FALSE, kChannelReplyEventName));
  m_stopEvent.Reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!m_view || !m_channelMutex || !m_requestEvent || !m_replyEvent || !m_stopEvent) {
    DebugLogLastError("virtual mouse channel objects");
    return false;
  }
  if (!::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCSTR>(&VirtualMouse::ChannelWindowProc),
                            &m_windowModule)) {
    DebugLogLastError("GetModuleHandleExA for the virtual mouse channel");
    return false;
  }
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = &VirtualMouse::ChannelWindowProc;
  windowClass.hInstance = m_windowModule;
  windowClass.lpszClassName = kChannelWindowClass;
  if (!::RegisterClassA(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    DebugLogLastError("RegisterClassA of the virtual mouse channel");
    return false;
  }
  m_channelWindow = ::CreateWindowExA(0, kChannelWindowClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE,
                                      nullptr, m_windowModule, this);
  if (!m_channelWindow) {
    DebugLogLastError("CreateWindowExA of the virtual mouse channel");
    return false;
  }
  return true;
}

// Under m_channelLock. Once running, the thread serves every request, also while the thread
// that owns the window is busy.
void VirtualMouse::StartServing() {
  if (m_thread || !m_requestEvent) return;
  if (!::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCSTR>(&VirtualMouse::ServeThread),
                            &m_threadModule)) {
    DebugLogLastError("GetModuleHandleExA for the virtual mouse channel");
    return;
  }
  m_thread.Reset(::CreateThread(nullptr, 0, &VirtualMouse::ServeThread, this, 0, nullptr));
  if (!m_thread) {
    DebugLogLastError("CreateThread of the virtual mouse channel");
    if (!::FreeLibrary(std::exchange(m_threadModule, nullptr))) DebugLogLastError("FreeLibrary");
  }
}

void VirtualMouse::StopChannel() {
  if (m_thread) {
    if (!::SetEvent(m_stopEvent.Get())) DebugLogLastError("SetEvent to stop the channel");
    if (::WaitForSingleObject(m_thread.Get(), kStopTimeoutMs) != WAIT_OBJECT_0) {
      DebugLog("virtual mouse channel thread did not stop");
      // Its handles stay open so the thread cannot touch freed objects.
      static_cast<void>(m_thread.Release());
      static_cast<void>(m_view.Release());
      return;
    }
    m_thread.Reset();
    m_threadModule = nullptr;  // released by the thread as it ended
  }
  if (m_channelWindow) {
    // A window can only be destroyed by its own thread; from another, it is asked to close.
    if (!::DestroyWindow(m_channelWindow) && !::PostMessageA(m_channelWindow, WM_CLOSE, 0, 0)) {
      DebugLogLastError("closing the virtual mouse channel window");
    }
    m_channelWindow = nullptr;
  }
  // Whoever called Close_DevMonitor holds the library too, so this is never the last reference
  // while our code still runs.
  if (m_windowModule && !::FreeLibrary(std::exchange(m_windowModule, nullptr))) {
    DebugLogLastError("FreeLibrary of the virtual mouse channel");
  }
  m_view.Reset();
  m_mapping.Reset();
  m_channelMutex.Reset();
  m_requestEvent.Reset();
  m_replyEvent.Reset();
  m_stopEvent.Reset();
}

LRESULT CALLBACK VirtualMouse::ChannelWindowProc(HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<VirtualMouse*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == kChannelStartMessage && self) {
    try {
      std::lock_guard channel(self->m_channelLock);
      // A window closed from another thread may still see a late message.
      if (self->m_channelWindow == window) self->StartServing();
    } catch (...) {
      DebugLog("virtual mouse channel not started");
    }
    return 0;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

DWORD WINAPI VirtualMouse::ServeThread(void* param) {
  auto* self = static_cast<VirtualMouse*>(param);
  const HMODULE module = self->m_threadModule;
  const HANDLE waits[2] = {self->m_stopEvent.Get(), self->m_requestEvent.Get()};
  for (;;) {
    const DWORD r = ::WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    if (r != WAIT_OBJECT_0 + 1) {
      if (r == WAIT_FAILED) DebugLogLastError("WaitForMultipleObjects in the channel");
      break;
    }
    try {
      self->ServeRequest();
    } catch (...) {
      DebugLog("virtual mouse channel request failed");
    }
  }
  ::FreeLibraryAndExitThread(module, 0);
}

void VirtualMouse::ServeRequest() {
  auto* block = static_cast<ChannelBlock*>(m_view.Get());
  ChannelRequest request;
  std::memcpy(&request, &block->request, sizeof request);  // the client may still write
  Reply reply{kExitMalformed, kUsage};
  if (const auto command = DecodeRequest(request)) {
    std::lock_guard lock(m_lock);
    reply = Execute(*m_firmware, *command);
  }
  EncodeReply(reply, request.sequence, block->reply);
  if (!::SetEvent(m_replyEvent.Get())) DebugLogLastError("SetEvent of the channel reply");
}

}  // namespace karvo::sim
