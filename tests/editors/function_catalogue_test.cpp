#include "editors/function_catalogue.h"

#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <string>

#include "tests/editors/test_layouts.h"

namespace karvo::editors {
namespace {

using skin::kSeparatorCommand;
using skin::MenuEntry;
using skin::PopupMenu;
using skin::UiText;

using settings::MacroKeyInfo;

MacroKeyInfo Record(int code) {
  MacroKeyInfo record{};
  record.FunctionCode = static_cast<std::uint8_t>(code);
  return record;
}

TEST(FunctionCatalogue, EveryCodeHasItsGermanLabel) {
  // The button texts of the catalogue, Windows-1252; nullptr where the record decides.
  // clang-format off
  const char* const labels[] = {
      "Taste aus", "Klick", "Men\xFC", "Universeller Bildlauf", "Doppelklick", nullptr,
      "Taste aus", "IE Vorw\xE4rts", "IE R\xFC" "ckw\xE4rts", "Bildlauf nach oben",
      "Bildlauf nach unte", "Nach links kippen", "Nach rechts kippen", "CPI-Zyklus",
      "CPI nach oben", "CPI nach unten", nullptr, nullptr, "Profilzyklus", "Profil nach oben",
      "Profil nach unten", "Feuertaste", "On-To-Go", "Windows-Taste", "Treiber \xF6" "ffnen",
      "Player \xF6" "ffnen", "Vor. Titel", "N\xE4" "chster Titel", "Wiedergabe/Pause", "Stop",
      "Stummschalten", "Lautst\xE4rke erh\xF6hen", "Lautst\xE4rke verringern", "Rechner",
      "eMail", "WWW Favoriten", "WWW Vorw\xE4rts", "WWW Zur\xFC" "ck", "WWW Stop",
      "Arbeitsplatz", "WWW Aktualisieren", "IE Browser", "WWW Suche", "Nach-Links-Taste",
      "Nach-Rechts-Taste", "Modusumschalter"};
  // clang-format on
  static_assert(std::size(labels) == 46);
  const testing::TestLayout layout;
  for (int code = 0; code < 256; ++code) {
    if (code < 46 && !labels[code]) continue;
    MacroKeyInfo record = Record(code);
    settings::SetFieldText(record.Name, "stale");
    EXPECT_EQ(FunctionLabel(record, layout), (UiText{code < 46 ? labels[code] : ""})) << code;
  }
}

TEST(FunctionCatalogue, ShortcutMacroAndProgramLabelsComeFromTheRecord) {
  const testing::TestLayout layout;
  const struct {
    std::uint8_t keyCode;
    std::uint8_t mask;
    std::uint16_t events;
    const char* label;
  } shortcuts[] = {
      {0x04, 0x06, 1, "Shift+Ctrl+A"},
      {0x04, 0x1E, 1, "Shift+Ctrl+Alt+Win+A"},
      {0x04, 0x03, 1, "A"},  // "None" overrides Shift
      {0x28, 0x04, 1, "Ctrl+Enter"},
      {0x32, 0x02, 1, "Shift+"},  // a key code without a key
      {0x04, 0x02, 0, ""},        // nothing assigned yet
  };
  for (const auto& c : shortcuts) {
    MacroKeyInfo record = Record(kCodeShortcut);
    record.Data[0] = c.keyCode;
    record.Data[1] = c.mask;
    record.EventCount = c.events;
    EXPECT_EQ(FunctionLabel(record, layout), UiText{c.label}) << c.label;
  }
  // On a French keyboard the key stored for Q's place shows as A.
  EXPECT_EQ(ShortcutText(0x14, 0, testing::TestLayout(true)), "A");

  MacroKeyInfo macro = Record(kCodeMacro);
  std::memset(macro.Name, 'M', sizeof macro.Name);  // unterminated: read within the field
  EXPECT_EQ(FunctionLabel(macro, layout), (UiText{std::string(50, 'M'), true}));
  const char* const programs[][2] = {{"C:\\Games\\Run.exe", "Run.exe"},
                                     {"D:/tools/app.exe", "app.exe"},
                                     {"C:Run.exe", "Run.exe"},
                                     {"C:\\Games\\", ""}};
  for (const auto& p : programs) {
    MacroKeyInfo record = Record(kCodeProgram);
    settings::SetFieldText(record.ProgramPath, p[0]);
    EXPECT_EQ(FunctionLabel(record, layout), (UiText{p[1], true})) << p[0];
  }
}

TEST(FunctionCatalogue, CommandsMapToTheCodesTheyStore) {
  const struct {
    int command;
    int code;
    bool page;
  } cases[] = {{0, 0, false},      {1, 0, false},    {1000, 0, false}, {1001, 1, true},
               {1005, 5, true},    {1016, 0, true},  {1017, 17, true}, {1045, 45, true},
               {1046, 0, true},    {1049, 0, true},  {1050, 16, true}, {37514, 16, true},
               {37515, 16, false}, {-1050, 0, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(FunctionCodeForCommand(c.command), c.code) << c.command;
    EXPECT_EQ(IsPageCommand(c.command), c.page) << c.command;
  }
}

void CollectCommands(const std::vector<MenuEntry>& entries, std::multiset<int>& commands) {
  for (const MenuEntry& entry : entries) {
    if (entry.IsSubmenu()) {
      CollectCommands(entry.Submenu, commands);
    } else {
      commands.insert(entry.Command);
    }
  }
}

TEST(FunctionCatalogue, EveryFunctionIsOfferedOnceAndTheModeSwitchOnlyWhereItMayBe) {
  for (ButtonPageMode page : {ButtonPageMode::kMode1, ButtonPageMode::kMode2}) {
    for (int button = 0; button < kButtonCount; ++button) {
      SCOPED_TRACE(::testing::Message()
                   << "page " << static_cast<int>(page) << " button " << button);
      const PopupMenu menu = BuildCatalogue(page, button, Record(0), MacroList{});
      std::multiset<int> commands;
      ASSERT_TRUE(menu.Entries[0].IsSubmenu());
      CollectCommands({menu.Entries.begin() + 1, menu.Entries.end()}, commands);
      std::multiset<int> expected;
      for (int code = 1; code <= 44; ++code) {
        if (code != kCodeMacro) expected.insert(kFunctionCommandBase + code);
      }
      const bool modeSwitch = page == ButtonPageMode::kMode1 && button >= 2;
      if (modeSwitch) expected.insert(kModeSwitchCommand);
      EXPECT_EQ(commands, expected);
      EXPECT_EQ(OffersModeSwitch(page, button), modeSwitch);
    }
  }
}

TEST(FunctionCatalogue, MacrosAreListedTrimmedAndHighlightedByTheirExactNameIgnoringCase) {
  MacroList macros;
  macros.push_back(NewMacro("  Reload"));
  macros.push_back(NewMacro("Sprint"));
  macros.push_back(NewMacro("Jump "));

  const struct {
    ButtonPageMode page;
    int code;
    const char* name;
    int highlighted;  // position, -1 none
  } cases[] = {
      {ButtonPageMode::kMode1, kCodeMacro, "SPRINT", 1},
      {ButtonPageMode::kMode1, kCodeMacro, "Reload", -1},  // the library name has blanks
      {ButtonPageMode::kMode1, kCodeMacro, "  reload", 0},
      {ButtonPageMode::kMode2, kCodeMacro, "jump ", 2},
      {ButtonPageMode::kMode2, kCodeMacro, "Jump", -1},
      {ButtonPageMode::kMode1, kCodeShortcut, "Sprint", -1},  // not a macro button
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MacroKeyInfo record = Record(c.code);
    settings::SetFieldText(record.Name, c.name);
    const PopupMenu menu = BuildCatalogue(c.page, 0, record, macros);
    std::vector<MenuEntry> entries = menu.Entries[0].Submenu;
    if (c.page == ButtonPageMode::kMode2) {
      // Mode2 puts a separator above the macros.
      ASSERT_EQ(entries.size(), 4u);
      EXPECT_EQ(entries[0].Command, kSeparatorCommand);
      EXPECT_EQ(entries[0].Text.Bytes, "");
      entries.erase(entries.begin());
    }
    ASSERT_EQ(entries.size(), 3u);
    const char* listed[] = {"Reload", "Sprint", "Jump"};
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(entries[i].Text, (UiText{listed[i], true}));
      EXPECT_EQ(entries[i].Command, 1050 + i);
      EXPECT_EQ(entries[i].Highlight, i == c.highlighted) << i;
    }
  }
  // Without macros the Mode2 submenu has no separator either.
  EXPECT_TRUE(
      BuildCatalogue(ButtonPageMode::kMode2, 0, Record(0), MacroList{}).Entries[0].Submenu.empty());
}

}  // namespace
}  // namespace karvo::editors
