// libFuzzer target for struct values: the hex text the private-profile struct functions write,
// decoded alone (byte 0 of the input picks the size, the rest is the value) and as the button
// records and the notification record of the settings files (the input is the record).
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "settings/ini_document.h"
#include "settings/memory_file_store.h"
#include "settings/profile_files.h"
#include "settings/registry.h"
#include "settings/settings_image.h"

namespace {

namespace settings = karvo::settings;

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

// No Windows mouse settings are read by a profile load.
class NoRegistry final : public settings::IRegistry {
 public:
  std::unique_ptr<settings::IRegistryKey> OpenOrCreateKey(const std::string&) override {
    return nullptr;
  }
  std::unique_ptr<settings::IRegistryKey> OpenKeyForRead(const std::string&) override {
    return nullptr;
  }
};

void DecodeAlone(std::size_t size, std::string_view text) {
  std::vector<std::uint8_t> out(size + 1, 0xA5);
  if (!settings::DecodeStruct(text, out.data(), size)) {
    Require(out[size] == 0xA5);
    return;
  }
  Require(out[size] == 0xA5);
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  Require(settings::EncodeStruct(out.data(), size) == upper);
}

// A record's value: the input's bytes as the record, encoded, then, as a hand edit or a
// damaged disk would, with one character replaced.
template <typename Record>
std::string RecordValue(std::string_view bytes) {
  std::vector<std::uint8_t> record(sizeof(Record), 0);
  std::memcpy(record.data(), bytes.data(), std::min(bytes.size(), record.size()));
  std::string text = settings::EncodeStruct(record.data(), record.size());
  if (bytes.size() >= 3 && (bytes[0] & 1)) {
    const std::size_t at =
        (static_cast<std::uint8_t>(bytes[1]) << 8 | static_cast<std::uint8_t>(bytes[2])) %
        (text.size() + 1);
    if (at < text.size()) {
      text[at] = bytes.back();
    } else {
      text.pop_back();
    }
  }
  return text;
}

// The value as button records of a profile file and as the notification record.
void DecodeInFiles(std::string_view bytes) {
  settings::MemoryFileStore store;
  NoRegistry registry;
  settings::SettingsFiles files(store, registry, "C:\\Suite\\");
  const std::string button = RecordValue<settings::MacroKeyInfo>(bytes);
  // The first and last records; the others load their defaults.
  const std::string profile =
      "[Setting]\r\nMacroKeyInfo0=" + button + "\r\nMacroKeyInfo13=" + button + "\r\n";
  store.SetFile("C:\\Suite\\config\\Default0.kmp", profile);
  store.SetFile("C:\\Suite\\config.ini",
                "[OSDSetting]\r\nconfig=" + RecordValue<settings::OSDSetting>(bytes) + "\r\n");

  auto loaded = std::make_unique<settings::ProfileSettings>();
  settings::SetProfileDefaults(loaded.get(), 0);
  Require(files.LoadProfileFile(loaded.get(), "C:\\Suite\\config\\Default0.kmp") == 1);
  // Whatever was loaded is written and read again unchanged, as a profile save writes it.
  settings::IniDocument saved;
  for (int n : {0, 13}) {
    saved.SetStruct("Setting", "MacroKeyInfo", &loaded->MacroKeys[n], sizeof loaded->MacroKeys[n]);
    settings::MacroKeyInfo again;
    Require(settings::IniDocument::Parse(saved.Serialize())
                .GetStruct("Setting", "MacroKeyInfo", &again, sizeof again));
    Require(std::memcmp(&again, &loaded->MacroKeys[n], sizeof again) == 0);
  }

  settings::OSDSetting osd{};
  settings::SetOsdDefaults(&osd);
  files.ReadOsdSetting(&osd, false);
  // Its texts come back terminated within their fields.
  settings::OSDSetting terminated = osd;
  settings::TerminateTextFields(&terminated);
  Require(std::memcmp(&terminated, &osd, sizeof osd) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  DecodeAlone(data[0], text);
  DecodeAlone((text.size() >= 2 ? text.size() - 2 : 0) / 2, text);
  DecodeInFiles(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
