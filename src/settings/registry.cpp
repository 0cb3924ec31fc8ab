#include "settings/registry.h"

namespace karvo::settings {

const char kDriverRegKey[] = "Software\\KARVO Gaming Mouse\\GamingMouseDriver";

int SetDriverRegString(IRegistry& registry, const std::string& name, std::string_view text) {
  std::unique_ptr<IRegistryKey> key = registry.OpenOrCreateKey(kDriverRegKey);
  if (!key) return 1;
  return key->WriteString(name, text, true) ? 0 : 1;
}

std::string GetDriverRegString(IRegistry& registry, const std::string& subKey,
                               const std::string& name) {
  std::unique_ptr<IRegistryKey> key = registry.OpenKeyForRead(subKey);
  if (!key) return {};
  return key->ReadString(name, 80).value_or(std::string());
}

}  // namespace karvo::settings
