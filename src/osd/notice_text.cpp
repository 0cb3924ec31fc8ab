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

std::u16string DecodeWindows1252(std::string_view text) {
  // 0x80..0x9F are the only bytes that differ from Latin-1; the five unassigned
  // ones map to the C1 controls as Windows does.
  static constexpr std::array<char16_t, 32> kHigh{
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  std::u16string out;
  out.reserve(text.size());
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    out.push_back(byte >= 0x80 && byte <= 0x9F ? kHigh[byte - 0x80u] : char16_t{byte});
  }
  return out;
}

}  // namespace karvo::osd
