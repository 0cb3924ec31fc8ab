#include "osd/notice_text.h"

#include <array>
#include <cstdio>

#include "settings/ini_document.h"

namespace karvo::osd {

std::string BoundedField(std::string_view text, std::size_t field) {
  if (field == 0) return {};
  std::size_t end = text.find('\0');
  if (end == std::string_view::npos) end = text.size();
  if (end > field - 1) end = field - 1;
  return std::string(text.substr(0, end));
}

IniNoticeSource::IniNoticeSource(settings::IFileStore& store, std::string programDir)
    : m_store(store), m_programDir(std::move(programDir)) {}

std::string IniNoticeSource::ConfigPath() const { return m_programDir + "config.ini"; }

std::string IniNoticeSource::ProfileName(int slot) {
  const std::string path = m_programDir + "config\\Default" + std::to_string(slot) + ".kmp";
  auto doc = settings::LoadIni(m_store, path);
  return BoundedField(doc.GetString("Setting", "ProFileName").value_or(""), kProfileNameField);
}

std::string IniNoticeSource::Message() {
  auto doc = settings::LoadIni(m_store, ConfigPath());
  return BoundedField(doc.GetString("OSDData", "Message").value_or(""), kMessageField);
}

MacroNotice IniNoticeSource::Macro() {
  auto doc = settings::LoadIni(m_store, ConfigPath());
  MacroNotice macro;
  macro.number = doc.GetInt("MacroOSD", "Number", 0);
  macro.name = BoundedField(doc.GetString("MacroOSD", "MacroName").value_or(""), kMacroNameField);
  return macro;
}

std::optional<settings::OSDSetting> IniNoticeSource::NotificationRecord() {
  auto doc = settings::LoadIni(m_store, ConfigPath());
  settings::OSDSetting record{};
  if (!doc.GetStruct("OSDSetting", "config", &record, sizeof record)) return std::nullopt;
  return record;
}

namespace {
template <typename... Args>
std::string Format(const char* format, Args... args) {
  int n = std::snprintf(nullptr, 0, format, args...);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(out.data(), out.size(), format, args...);
  out.resize(static_cast<std::size_t>(n));
  return out;
}
}  // namespace

std::string ProfileText(int slot, std::string_view name) {
  return Format("Profile %d : %.*s", slot + 1, static_cast<int>(name.size()), name.data());
}

std::string CpiText(int level) {
  static constexpr std::array<int, 7> kCpi{400, 800, 1600, 3200, 4000, 4800, 6400};
  if (level < 1 || level > 7) return {};
  return Format("%d DPI", kCpi[static_cast<std::size_t>(level - 1)]);
}

std::string VolumeText(int level) { return Format("Volume Level: %d", level); }

std::optional<std::string> MacroText(const MacroNotice& macro) {
  const int size = static_cast<int>(macro.name.size());
  if (macro.number >= 0 && macro.number <= 9) {
    return Format("Button%d Key:%.*s", macro.number + 1, size, macro.name.data());
  }
  if (macro.number >= 10 && macro.number <= 18) {
    return Format("Button%02d Key:%.*s", macro.number + 1, size, macro.name.data());
  }
  return std::nullopt;
}

}  // namespace karvo::osd
