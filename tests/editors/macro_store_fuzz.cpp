// libFuzzer target for loading config\sequence.dat: the input is tried as the file
// itself and as a recipe for a file of sound, damaged and misnamed macro keys, so the
// mutations reach the record decoding and not only the INI text. Whatever is loaded
// stays within its fields and survives a save and a load unchanged.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "editors/macro_store.h"
#include "settings/memory_file_store.h"

namespace {

using karvo::editors::MacroList;
using karvo::editors::MacroRecord;

constexpr char kPath[] = "C:\\Suite\\config\\sequence.dat";
constexpr char kSavedPath[] = "C:\\Suite\\config\\saved.dat";

class Recipe {
 public:
  Recipe(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
  bool Empty() const { return m_at >= m_size; }
  std::uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }

 private:
  const std::uint8_t* m_data;
  std::size_t m_size;
  std::size_t m_at = 0;
};

// "number", then keys each built from a few recipe bytes.
std::string FileFromRecipe(Recipe recipe) {
  std::string text =
      "[Macros]\r\nnumber=" + std::to_string(static_cast<std::int8_t>(recipe.Byte())) + "\r\n";
  // A few keys are enough to reach every path; more would only make each run slower.
  for (int keys = 0; keys < 4 && !recipe.Empty(); ++keys) {
    MacroRecord record{};
    for (int i = 0; i < 8; ++i) record.Name[i] = static_cast<char>(recipe.Byte());
    record.RepeatCount = static_cast<std::int8_t>(recipe.Byte());
    record.EventCount = static_cast<std::int16_t>(recipe.Byte() << 3 | recipe.Byte());
    std::memset(record.Events, recipe.Byte(), sizeof record.Events);
    std::string value = karvo::settings::EncodeStruct(&record, sizeof record);
    const std::uint8_t damage = recipe.Byte();
    switch (damage % 5) {
      case 1:
        value[recipe.Byte() * 16u % value.size()] ^= 0x01;
        break;
      case 2:
        value.resize(recipe.Byte() * 16u % value.size());
        break;
      case 3:
        for (char& c : value) c = static_cast<char>(c >= 'A' && c <= 'F' ? c + 32 : c);
        break;
      default:
        break;
    }
    const std::uint8_t key = recipe.Byte();
    text += (damage & 0x80 ? "0" : "") + std::to_string(key % 16) + "=" + value + "\r\n";
  }
  return text;
}

void Check(const std::string& file) {
  karvo::settings::MemoryFileStore store;
  store.SetFile(kPath, file);
  MacroList list;
  karvo::editors::LoadMacros(store, kPath, list);
  for (const auto& macro : list) {
    if (!std::memchr(macro->Name, '\0', sizeof macro->Name)) __builtin_trap();
    if (macro->EventCount < 0 || macro->EventCount > karvo::editors::kMaxMacroEvents) {
      __builtin_trap();
    }
  }
  if (!karvo::editors::SaveMacros(store, kSavedPath, list)) __builtin_trap();
  MacroList again;
  karvo::editors::LoadMacros(store, kSavedPath, again);
  if (again.size() != list.size()) __builtin_trap();
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (std::memcmp(again[i].get(), list[i].get(), sizeof(MacroRecord)) != 0) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Check(std::string(reinterpret_cast<const char*>(data), size));
  Check(FileFromRecipe(Recipe(data, size)));
  return 0;
}
