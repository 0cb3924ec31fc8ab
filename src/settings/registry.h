#pragma once
// The part of the registry that the settings library touches: keys under
// HKEY_CURRENT_USER holding REG_SZ values. Windows implementation in registry_win.h.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace karvo::settings {

class IRegistryKey {
 public:
  virtual ~IRegistryKey() = default;
  // A REG_SZ value of at most maxBytes bytes including its terminator (stored
  // terminated or not); nullopt when absent, of another type or longer.
  virtual std::optional<std::string> ReadString(const std::string& name, std::size_t maxBytes) = 0;
  // Stores text as REG_SZ; the data size counts the terminating zero only when
  // withTerminator is set.
  [[nodiscard]] virtual bool WriteString(const std::string& name, std::string_view text,
                                         bool withTerminator) = 0;
};

class IRegistry {
 public:
  virtual ~IRegistry() = default;
  // Opens the key with full access, creating it when it cannot be opened.
  virtual std::unique_ptr<IRegistryKey> OpenOrCreateKey(const std::string& subKey) = 0;
  // Opens an existing key for reading.
  virtual std::unique_ptr<IRegistryKey> OpenKeyForRead(const std::string& subKey) = 0;
};

// The driver's own key, "Software\\KARVO Gaming Mouse\\GamingMouseDriver".
extern const char kDriverRegKey[];
// 0 on success, 1 on failure.
int SetDriverRegString(IRegistry& registry, const std::string& name, std::string_view text);
// At most 80 bytes; "" when the key or value is absent.
std::string GetDriverRegString(IRegistry& registry, const std::string& subKey,
                               const std::string& name);

}  // namespace karvo::settings
