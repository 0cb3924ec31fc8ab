#include "monitor/game_match.h"

namespace karvo::monitor {

namespace {
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

std::string_view GameFileName(std::string_view value) {
  while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);
  while (!value.empty() && IsBlank(value.back())) value.remove_suffix(1);
  std::size_t cut = value.find_last_of("\\/:");
  if (cut != std::string_view::npos) value.remove_prefix(cut + 1);
  return value;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

bool ContainsIgnoringCase(std::string_view text, std::string_view part) {
  if (part.size() > text.size()) return false;
  for (std::size_t i = 0; i + part.size() <= text.size(); ++i) {
    if (EqualsIgnoringCase(text.substr(i, part.size()), part)) return true;
  }
  return false;
}

std::optional<int> MatchGameSlot(const settings::SettingsImage& image, std::string_view baseName) {
  if (baseName.empty() || EqualsIgnoringCase(baseName, kDisplayProgramName)) return std::nullopt;
  for (int slot = 0; slot < settings::kProfileCount; ++slot) {
    std::string_view name = GameFileName(settings::FieldText(image.Profiles[slot].GameFile));
    if (!name.empty() && EqualsIgnoringCase(name, baseName)) return slot;
  }
  return std::nullopt;
}

}  // namespace karvo::monitor
