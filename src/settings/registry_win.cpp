#include "settings/registry_win.h"

#include <windows.h>

#include <vector>

#include "platform/debug_log.h"
#include "platform/handles.h"

namespace karvo::settings {
namespace {

using platform::DebugLog;
using platform::UniqueRegKey;

class WinRegistryKey final : public IRegistryKey {
 public:
  explicit WinRegistryKey(UniqueRegKey key) : m_key(std::move(key)) {}

  std::optional<std::string> ReadString(const std::string& name, std::size_t maxBytes) override {
    // One byte beyond the limit tells a value that fits from one that does not.
    std::vector<char> buffer(maxBytes + 1);
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(buffer.size());
    LONG status = ::RegQueryValueExA(m_key.Get(), name.c_str(), nullptr, &type,
                                     reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (status != ERROR_SUCCESS || type != REG_SZ || size > buffer.size()) return std::nullopt;
    std::string_view data(buffer.data(), size);
    data = data.substr(0, data.find('\0'));
    if (data.size() + 1 > maxBytes) return std::nullopt;
    return std::string(data);
  }

  bool WriteString(const std::string& name, std::string_view text, bool withTerminator) override {
    std::string data(text);
    DWORD size = static_cast<DWORD>(data.size() + (withTerminator ? 1 : 0));
    LONG status = ::RegSetValueExA(m_key.Get(), name.c_str(), 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(data.c_str()), size);
    if (status != ERROR_SUCCESS) {
      DebugLog("RegSetValueExA(%s) failed: error %ld\r\n", name.c_str(), status);
      return false;
    }
    return true;
  }

 private:
  UniqueRegKey m_key;
};

}  // namespace

std::unique_ptr<IRegistryKey> WinRegistry::OpenOrCreateKey(const std::string& subKey) {
  HKEY raw = nullptr;
  LONG status = ::RegOpenKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_ALL_ACCESS, &raw);
  if (status != ERROR_SUCCESS) {
    raw = nullptr;
    status = ::RegCreateKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, nullptr,
                               REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &raw, nullptr);
    if (status != ERROR_SUCCESS) {
      DebugLog("RegCreateKeyExA(%s) failed: error %ld\r\n", subKey.c_str(), status);
      return nullptr;
    }
  }
  return std::make_unique<WinRegistryKey>(UniqueRegKey(raw));
}

std::unique_ptr<IRegistryKey> WinRegistry::OpenKeyForRead(const std::string& subKey) {
  HKEY raw = nullptr;
  LONG status = ::RegOpenKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_READ, &raw);
  if (status != ERROR_SUCCESS) return nullptr;
  return std::make_unique<WinRegistryKey>(UniqueRegKey(raw));
}

bool WinSystemMouse::SetDoubleClickTime(unsigned ms) {
  if (!::SetDoubleClickTime(ms)) {
    platform::DebugLogLastError("SetDoubleClickTime");
    return false;
  }
  return true;
}

bool WinSystemMouse::SetPointerSpeed(int speed) {
  // Windows takes the speed from pvParam, Wine from uiParam; both carry it.
  if (!::SystemParametersInfoA(SPI_SETMOUSESPEED, static_cast<UINT>(speed),
                               reinterpret_cast<void*>(static_cast<INT_PTR>(speed)),
                               SPIF_UPDATEINIFILE | SPIF_SENDCHANGE)) {
    platform::DebugLogLastError("SystemParametersInfoA(SPI_SETMOUSESPEED)");
    return false;
  }
  return true;
}

}  // namespace karvo::settings
