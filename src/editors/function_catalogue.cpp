#include "editors/function_catalogue.h"

#include <array>
#include <initializer_list>

namespace karvo::editors {
namespace {

using settings::FieldText;
using settings::MacroKeyInfo;

// Windows-1252; a hex escape is closed before a following hex letter ("\xFC" "ck").
constexpr std::array<std::string_view, kMaxCatalogueCode + 1> kFunctionNames = {
    "",
    "Klick",
    "Men\xFC",
    "Universeller Bildlauf",
    "Doppelklick",
    "Eine Verkn\xFCpfung zuweisen",
    "Taste aus",
    "IE Vorw\xE4rts",
    "IE R\xFC"
    "ckw\xE4rts",
    "Bildlauf nach oben",
    "Bildlauf nach unte",
    "Nach links kippen",
    "Nach rechts kippen",
    "CPI-Zyklus",
    "CPI nach oben",
    "CPI nach unten",
    "",
    "Start zuweisen",
    "Profilzyklus",
    "Profil nach oben",
    "Profil nach unten",
    "Feuertaste",
    "On-To-Go",
    "Windows-Taste",
    "Treiber \xF6"
    "ffnen",
    "Player \xF6"
    "ffnen",
    "Vor. Titel",
    "N\xE4"
    "chster Titel",
    "Wiedergabe/Pause",
    "Stop",
    "Stummschalten",
    "Lautst\xE4rke erh\xF6hen",
    "Lautst\xE4rke verringern",
    "Rechner",
    "eMail",
    "WWW Favoriten",
    "WWW Vorw\xE4rts",
    "WWW Zur\xFC"
    "ck",
    "WWW Stop",
    "Arbeitsplatz",
    "WWW Aktualisieren",
    "IE Browser",
    "WWW Suche",
    "Nach-Links-Taste",
    "Nach-Rechts-Taste",
    "Modusumschalter",
};

constexpr std::string_view kButtonOffLabel = "Taste aus";
constexpr int kTopItemWidth = 132;
constexpr int kMacroItemWidth = 140;

skin::MenuEntry Function(int code) {
  skin::MenuEntry entry;
  entry.Text.Bytes = std::string(kFunctionNames[static_cast<std::size_t>(code)]);
  entry.Command = kFunctionCommandBase + code;
  return entry;
}

skin::MenuEntry Submenu(std::string_view text, int itemWidth, std::initializer_list<int> codes) {
  skin::MenuEntry entry;
  entry.Text.Bytes = std::string(text);
  entry.SubmenuItemWidth = itemWidth;
  for (int code : codes) entry.Submenu.push_back(Function(code));
  return entry;
}

skin::MenuEntry MacroSubmenu(ButtonPageMode page, const MacroKeyInfo& current,
                             const MacroList& macros) {
  skin::MenuEntry entry = Submenu("Makro zuweisen", kMacroItemWidth, {});
  if (page == ButtonPageMode::kMode2 && !macros.empty()) entry.Submenu.push_back(skin::MenuEntry{});
  for (std::size_t i = 0; i < macros.size(); ++i) {
    skin::MenuEntry macro;
    macro.Text = {std::string(TrimBlanks(FieldText(macros[i]->Name))), true};
    macro.Command = kFirstMacroCommand + static_cast<int>(i);
    macro.Highlight = MacroHighlighted(current, *macros[i]);
    entry.Submenu.push_back(std::move(macro));
  }
  return entry;
}

}  // namespace

std::string_view FunctionName(int code) {
  if (code < 0 || code > kMaxCatalogueCode) return {};
  return kFunctionNames[static_cast<std::size_t>(code)];
}

std::string ShortcutText(std::uint8_t keyCode, std::uint8_t mask,
                         const settings::IKeyboardLayout& layout) {
  std::string text;
  if ((mask & kModifierNone) == 0) {
    if (mask & kModifierShift) text += "Shift+";
    if (mask & kModifierCtrl) text += "Ctrl+";
    if (mask & kModifierAlt) text += "Alt+";
    if (mask & kModifierWin) text += "Win+";
  }
  int virtualKey = 0;
  if (settings::KeyCodeToVirtualKey(layout, keyCode, &virtualKey)) {
    text += settings::GetKeyName(virtualKey);
  }
  return text;
}

std::string_view ProgramFileName(std::string_view path) {
  const std::size_t cut = path.find_last_of("\\/:");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

skin::UiText FunctionLabel(const MacroKeyInfo& record, const settings::IKeyboardLayout& layout) {
  switch (record.FunctionCode) {
    case kCodeOff:
      return {std::string(kButtonOffLabel)};
    case kCodeShortcut:
      if (record.EventCount == 0) return {};
      return {ShortcutText(record.Data[0], record.Data[1], layout)};
    case kCodeMacro:
      return {std::string(FieldText(record.Name)), true};
    case kCodeProgram:
      return {std::string(ProgramFileName(FieldText(record.ProgramPath))), true};
    default:
      return {std::string(FunctionName(record.FunctionCode))};
  }
}

int FunctionCodeForCommand(int command) {
  if (command >= kFirstMacroCommand) return kCodeMacro;
  if (command > kFunctionCommandBase && command <= kModeSwitchCommand &&
      command != kFunctionCommandBase + kCodeMacro) {
    return command - kFunctionCommandBase;
  }
  return kCodeOff;
}

bool IsPageCommand(int command) {
  return command > kFunctionCommandBase && command <= kLastPageCommand;
}

bool OffersModeSwitch(ButtonPageMode page, int button) {
  return page == ButtonPageMode::kMode1 && button >= 2 && button < kButtonCount;
}

bool MacroHighlighted(const MacroKeyInfo& record, const MacroRecord& macro) {
  return record.FunctionCode == kCodeMacro &&
         NamesEqualNoCase(FieldText(record.Name), FieldText(macro.Name));
}

skin::PopupMenu BuildCatalogue(ButtonPageMode page, int button, const MacroKeyInfo& current,
                               const MacroList& macros) {
  skin::PopupMenu menu;
  menu.ItemWidth = kTopItemWidth;
  auto& e = menu.Entries;
  e.push_back(MacroSubmenu(page, current, macros));
  e.push_back(Submenu("Profilumschalter", 80, {18, 19, 20}));
  e.push_back(Submenu("CPI-Schalter", 80, {13, 14, 15}));
  e.push_back(Submenu("Multimedia", 100, {25, 26, 27, 28, 29, 30, 31, 32}));
  e.push_back(Submenu("Windows", 90, {33, 34, 35, 36, 37, 38, 39, 40, 41, 42}));
  for (int code : {5, 17, 1, 2, 3, 4, 7, 8}) e.push_back(Function(code));
  e.push_back(Submenu("Bildlauf-Rad", 90, {9, 10}));
  e.push_back(Submenu("kippen-Rad", 90, {11, 12}));
  for (int code : {21, 22, 23, 24, 43, 44}) e.push_back(Function(code));
  if (OffersModeSwitch(page, button)) e.push_back(Function(kCodeModeSwitch));
  e.push_back(Function(kCodeButtonOff));
  return menu;
}

}  // namespace karvo::editors
