#include "editors/macro_store.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

namespace karvo::editors {
namespace {

using settings::FieldText;
using settings::MacroKeyInfo;
using settings::SetFieldText;

constexpr char kSection[] = "Macros";
constexpr char kNumberKey[] = "number";

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The position a key names: "0", "1", ... exactly as SaveMacros writes them, since a
// lookup of key "7" would not find "07" either.
std::optional<std::size_t> KeyIndex(std::string_view name, std::size_t limit) {
  if (name.empty() || name.size() > 9 || (name.size() > 1 && name.front() == '0')) {
    return std::nullopt;
  }
  std::size_t value = 0;
  for (char c : name) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::size_t>(c - '0');
  }
  if (value >= limit) return std::nullopt;
  return value;
}

// What the rest of the configurator relies on, whatever the file held.
void MakeSound(MacroRecord& record) {
  const std::string name(FieldText(record.Name));
  SetFieldText(record.Name, name);
  record.EventCount = std::clamp(record.EventCount, 0, kMaxMacroEvents);
}

}  // namespace

std::unique_ptr<MacroRecord> NewMacro(std::string_view name) {
  auto record = std::make_unique<MacroRecord>();
  std::memset(record.get(), 0, sizeof(MacroRecord));
  SetFieldText(record->Name, name);
  return record;
}

std::string MacroStorePath(std::string_view programDir) {
  return std::string(programDir) + "config\\sequence.dat";
}

void LoadMacros(settings::IFileStore& store, const std::string& path, MacroList& list) {
  const settings::IniDocument doc = settings::LoadIni(store, path);
  const int number = doc.GetInt(kSection, kNumberKey, -1);
  if (number <= 0 || list.size() >= static_cast<std::size_t>(kMaxMacroCount)) return;
  const std::size_t limit =
      std::min<std::size_t>(number, kMaxMacroCount - static_cast<int>(list.size()));

  // One pass over the section: the first value of each key, as a lookup would find it.
  const auto entries = doc.SectionEntries(kSection);
  std::vector<const std::string*> values(limit, nullptr);
  std::size_t present = 0;  // one past the last key the file holds
  for (const auto& [name, value] : entries) {
    const std::optional<std::size_t> index = KeyIndex(name, limit);
    if (!index || values[*index]) continue;
    values[*index] = &value;
    present = std::max(present, *index + 1);
  }
  // Missing and damaged keys keep the positions of the macros after them; no empty
  // entries are made up after the last key, however large "number" claims to be.
  for (std::size_t i = 0; i < present; ++i) {
    std::unique_ptr<MacroRecord> record = NewMacro("");
    if (values[i] && settings::DecodeStruct(*values[i], record.get(), sizeof(MacroRecord))) {
      MakeSound(*record);
    } else {
      std::memset(record.get(), 0, sizeof(MacroRecord));
    }
    list.push_back(std::move(record));
  }
}

bool SaveMacros(settings::IFileStore& store, const std::string& path, const MacroList& list) {
  // The whole file is replaced in one step, so a crash leaves the old library or the
  // new one; "number" comes first, then the macros in list order.
  settings::IniUpdate update(store, path);
  settings::IniDocument& doc = update.Doc();
  doc = settings::IniDocument();
  doc.SetInt(kSection, kNumberKey, static_cast<int>(list.size()));
  for (std::size_t i = 0; i < list.size(); ++i) {
    MacroRecord out = *list[i];
    MakeSound(out);
    doc.SetStruct(kSection, std::to_string(i), &out, sizeof out);
  }
  return update.Commit();
}

void ClearMacros(MacroList& list) { list.clear(); }

MacroRecord* MacroAt(const MacroList& list, int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= list.size()) return nullptr;
  return list[static_cast<std::size_t>(index)].get();
}

int ButtonEventCount(const MacroKeyInfo& record) {
  return std::min<int>(record.EventCount, kMaxMacroEvents);
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool NamesEqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

bool FindMacro(const MacroList& list, const MacroKeyInfo& record, int* index, bool* same) {
  const std::string_view buttonName = FieldText(record.Name);
  for (std::size_t i = 0; i < list.size(); ++i) {
    const MacroRecord& macro = *list[i];
    if (!NamesEqualNoCase(TrimBlanks(FieldText(macro.Name)), buttonName)) continue;
    const int count = ButtonEventCount(record);
    *index = static_cast<int>(i);
    *same = macro.EventCount == count &&
            std::memcmp(macro.Events, record.Data, static_cast<std::size_t>(count) * 4) == 0;
    return true;
  }
  return false;
}

void AddMacroFromButton(MacroList& list, const MacroKeyInfo& record) {
  if (list.size() >= static_cast<std::size_t>(kMaxMacroCount)) return;
  std::unique_ptr<MacroRecord> macro = NewMacro(FieldText(record.Name));
  macro->EventCount = ButtonEventCount(record);
  std::memcpy(macro->Events, record.Data, static_cast<std::size_t>(macro->EventCount) * 4);
  list.push_back(std::move(macro));
}

void MergeButtonMacros(MacroList& list, const settings::SettingsImage& image) {
  for (const settings::ProfileSettings& profile : image.Profiles) {
    for (const MacroKeyInfo& record : profile.MacroKeys) {
      if (record.FunctionCode != 16) continue;
      int index = -1;
      bool same = false;
      if (!FindMacro(list, record, &index, &same)) {
        AddMacroFromButton(list, record);
      } else if (!same) {
        MacroRecord& macro = *list[static_cast<std::size_t>(index)];
        std::memcpy(macro.Events, record.Data, sizeof macro.Events);
        macro.EventCount = ButtonEventCount(record);
      }
    }
  }
}

}  // namespace karvo::editors
