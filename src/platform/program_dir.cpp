#include "platform/program_dir.h"

namespace karvo::platform {

namespace {
bool IsSeparator(char c) { return c == '\\' || c == '/'; }
}  // namespace

std::string ProgramDirFromModulePath(std::string_view modulePath) {
  std::size_t i = modulePath.size();
  while (i > 0 && !IsSeparator(modulePath[i - 1])) --i;
  return std::string(modulePath.substr(0, i));
}

std::string ParentDirectory(std::string_view dir) {
  std::string_view trimmed = dir;
  if (!trimmed.empty() && IsSeparator(trimmed.back())) trimmed.remove_suffix(1);
  std::size_t i = trimmed.size();
  while (i > 0 && !IsSeparator(trimmed[i - 1])) --i;
  if (i == 0) return std::string(dir);
  return std::string(trimmed.substr(0, i));
}

}  // namespace karvo::platform
