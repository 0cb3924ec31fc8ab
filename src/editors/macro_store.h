#pragma once
// The configurator's macro library and its file config\sequence.dat. The records
// are stored byte for byte, so their layout is binding.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "settings/ini_document.h"
#include "settings/settings_image.h"

namespace karvo::editors {

inline constexpr int kMaxMacroEvents = settings::kMaxMacroEvents;
inline constexpr std::uint8_t kEventPress = 1;
inline constexpr std::uint8_t kEventRelease = 2;
inline constexpr int kMaxPauseMs = 65535;
// The button catalogue offers macro n as command 1050 + n; the page takes commands
// up to 37514.
inline constexpr int kFirstMacroCommand = 1050;
inline constexpr int kLastPageCommand = 37514;
// A library is never larger than one whose file the suite can still read back
// (8000 full keys make some 33 million bytes, below the 32 MiB a settings file may
// have), so a hostile "number" cannot make a save that the next start loses.
inline constexpr int kMaxMacroCount = 8000;
static_assert(kFirstMacroCommand + kMaxMacroCount - 1 <= kLastPageCommand);

struct MacroEvent {
  std::uint8_t KeyCode;  // 0xF0..0xF4: mouse buttons left, right, wheel, side 1, side 2
  std::uint8_t Kind;     // kEventPress or kEventRelease
  std::uint16_t Pause;   // ms after this event
};

struct MacroRecord {
  char Name[52];
  std::int32_t RepeatCount;  // 0 never set, else 1..255
  std::int32_t EventCount;   // 0..500
  MacroEvent Events[kMaxMacroEvents];
};

static_assert(sizeof(MacroEvent) == 4);
static_assert(offsetof(MacroEvent, KeyCode) == 0);
static_assert(offsetof(MacroEvent, Kind) == 1);
static_assert(offsetof(MacroEvent, Pause) == 2);
static_assert(sizeof(MacroRecord) == 2060);
static_assert(offsetof(MacroRecord, Name) == 0);
static_assert(offsetof(MacroRecord, RepeatCount) == 52);
static_assert(offsetof(MacroRecord, EventCount) == 56);
static_assert(offsetof(MacroRecord, Events) == 60);
// A button record's Data holds exactly the events of one macro.
static_assert(sizeof(MacroRecord::Events) == sizeof(settings::MacroKeyInfo::Data));

// A macro's position in the list is its identity (catalogue command, name line).
// Records live on the heap, so a pointer to one stays valid until it is removed.
using MacroList = std::vector<std::unique_ptr<MacroRecord>>;

// A zero-filled record.
std::unique_ptr<MacroRecord> NewMacro(std::string_view name);

// programDir ends with a backslash or is empty.
std::string MacroStorePath(std::string_view programDir);

// Appends the macros of the file; keys that are missing or damaged keep their
// positions as all-zero records.
void LoadMacros(settings::IFileStore& store, const std::string& path, MacroList& list);
// Replaces the file with "number" and one key per macro, in list order. False when
// it could not be written; the list is unchanged either way.
[[nodiscard]] bool SaveMacros(settings::IFileStore& store, const std::string& path,
                              const MacroList& list);
void ClearMacros(MacroList& list);
// nullptr when index is not a position of the list.
MacroRecord* MacroAt(const MacroList& list, int index);

// First macro whose trimmed name equals the button's name, ignoring case; same is
// true when its events equal the button's.
bool FindMacro(const MacroList& list, const settings::MacroKeyInfo& record, int* index, bool* same);
void AddMacroFromButton(MacroList& list, const settings::MacroKeyInfo& record);
// Brings every macro the five profiles use into the list; a profile's events win
// over the library's for a macro of the same name.
void MergeButtonMacros(MacroList& list, const settings::SettingsImage& image);

// The events of a button record that the list may hold (at most 500).
int ButtonEventCount(const settings::MacroKeyInfo& record);

// Name comparisons of the library: ASCII letters compare without case.
bool NamesEqualNoCase(std::string_view a, std::string_view b);
// Without leading and trailing white space.
std::string_view TrimBlanks(std::string_view text);

// The library with the file it lives in; the configurator holds one.
class MacroStore {
 public:
  MacroStore(settings::IFileStore& files, std::string path)
      : m_files(files), m_path(std::move(path)) {}

  MacroList& List() { return m_list; }
  const MacroList& List() const { return m_list; }
  const std::string& Path() const { return m_path; }

  void Load() { LoadMacros(m_files, m_path, m_list); }
  [[nodiscard]] bool Save() const { return SaveMacros(m_files, m_path, m_list); }
  // Every change since the last save is dropped.
  void Reload() {
    ClearMacros(m_list);
    Load();
  }
  // Start-up and a read-back from the mouse: the profiles' macros into the file.
  [[nodiscard]] bool MergeAndSave(const settings::SettingsImage& image) {
    MergeButtonMacros(m_list, image);
    return Save();
  }

 private:
  settings::IFileStore& m_files;
  std::string m_path;
  MacroList m_list;
};

}  // namespace karvo::editors
