// libFuzzer target for the button page fed from outside: button records, slot numbers and
// mode switches as the monitor's block or a profile file deliver them, a macro library as
// config\sequence.dat delivers it, catalogue commands of any number, the dialogs' answers and
// the open-file dialog's answer buffer. Whatever the page stores stays within its fields.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "editors/button_page_model.h"
#include "editors/program_choice.h"
#include "tests/editors/test_layouts.h"
#include "tests/support/fuzz_input.h"

namespace {

using namespace karvo;
using namespace karvo::editors;

using Input = karvo::fuzz::FuzzInput;

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

template <std::size_t N>
bool Terminated(const char (&field)[N]) {
  return std::memchr(field, '\0', N) != nullptr;
}

struct Dialogs final : IButtonDialogs {
  explicit Dialogs(Input& input) : m_input(input) {}
  std::optional<ShortcutChoice> RunShortcutDialog(const ShortcutChoice&) override {
    if (m_input.Byte() & 1) return std::nullopt;
    ShortcutChoice choice;
    choice.KeyCode = m_input.Byte();
    choice.Boxes = BoxesFromMask(m_input.Byte());
    return choice;
  }
  std::optional<std::string> RunProgramDialog(const std::string&) override {
    if (m_input.Byte() & 1) return std::nullopt;
    return m_input.Text(600);
  }
  Input& m_input;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input input(data, size);
  std::u16string answer(size / 2, u'\0');
  std::memcpy(answer.data(), data, answer.size() * sizeof(char16_t));
  Check(FirstChosenFile(answer).size() <= answer.size());

  auto image = std::make_unique<settings::SettingsImage>();
  image->CurrentProfile = input.Byte() % 7 - 1;
  const int slot = std::clamp(image->CurrentProfile, 0, settings::kProfileCount - 1);
  settings::ProfileSettings& profile = image->Profiles[slot];
  for (auto& record : profile.MacroKeys) input.Fill(&record, sizeof record);
  for (auto& flag : profile.ModeSwitchFlag) flag = input.Int();
  profile.SwapButtons = input.Int();

  MacroList macros;
  for (int n = input.Byte() % 4; n > 0; --n) {
    auto macro = NewMacro("");
    input.Fill(macro.get(), sizeof *macro);
    macros.push_back(std::move(macro));
  }
  const testing::TestLayout layout(input.Byte() & 1);
  Dialogs dialogs(input);
  ButtonPageModel page(input.Byte() & 1 ? ButtonPageMode::kMode2 : ButtonPageMode::kMode1, *image,
                       macros, layout);
  while (!input.Empty()) {
    const int button = input.Byte() % 9 - 1;
    for (int b = 0; b < kButtonCount; ++b) (void)page.Label(b);
    if (!page.OpenCatalogue(button)) continue;
    std::memset(image->ButtonChanged, 0, sizeof image->ButtonChanged);
    (void)page.OnCommand(input.Int() % 40000, dialogs);
    const settings::MacroKeyInfo& record = profile.MacroKeys[page.RecordIndex(button)];
    if (!image->ButtonChanged[slot][page.RecordIndex(button)]) continue;
    Check(record.EventCount <= kMaxMacroEvents && Terminated(record.Name));
    if (record.FunctionCode == kCodeProgram) Check(Terminated(record.ProgramPath));
    Check(record.FunctionCode <= kMaxCatalogueCode);
  }
  return 0;
}
