#pragma once
// The button functions the configurator offers: their German names, the labels a
// button shows for a stored function, the popup catalogue and its commands.
#include <cstdint>
#include <string>
#include <string_view>

#include "editors/macro_store.h"
#include "settings/key_codes.h"
#include "settings/settings_image.h"
#include "skin/menu_model.h"

namespace karvo::editors {

inline constexpr int kButtonCount = 7;  // per button mode
inline constexpr int kMaxCatalogueCode = 45;

// Function codes the page treats specially.
inline constexpr std::uint8_t kCodeOff = 0;
inline constexpr std::uint8_t kCodeShortcut = 5;
inline constexpr std::uint8_t kCodeButtonOff = 6;
inline constexpr std::uint8_t kCodeMacro = 16;
inline constexpr std::uint8_t kCodeProgram = 17;
inline constexpr std::uint8_t kCodeModeSwitch = 45;

// Catalogue commands: 1000 + code, macros 1050 + their position in the library.
inline constexpr int kFunctionCommandBase = 1000;
inline constexpr int kShortcutCommand = kFunctionCommandBase + kCodeShortcut;
inline constexpr int kProgramCommand = kFunctionCommandBase + kCodeProgram;
inline constexpr int kModeSwitchCommand = kFunctionCommandBase + kCodeModeSwitch;

// Modifier mask of a shortcut (Data byte 1); "None" overrides the other bits.
inline constexpr std::uint8_t kModifierNone = 0x01;
inline constexpr std::uint8_t kModifierShift = 0x02;
inline constexpr std::uint8_t kModifierCtrl = 0x04;
inline constexpr std::uint8_t kModifierAlt = 0x08;
inline constexpr std::uint8_t kModifierWin = 0x10;

enum class ButtonPageMode { kMode1, kMode2 };

// The menu entry of codes 1..45 (Windows-1252); "" for 0, 16 and codes above 45.
std::string_view FunctionName(int code);

// What a button shows for its record.
skin::UiText FunctionLabel(const settings::MacroKeyInfo& record,
                           const settings::IKeyboardLayout& layout);
// "Shift+", "Ctrl+", "Alt+", "Win+" for the bits set (none when "None" is), then the
// key's name; the prefixes alone when the key code has no name.
std::string ShortcutText(std::uint8_t keyCode, std::uint8_t mask,
                         const settings::IKeyboardLayout& layout);
// File name and extension of a path; directory and drive dropped.
std::string_view ProgramFileName(std::string_view path);

// The function code a catalogue command stores.
int FunctionCodeForCommand(int command);
// The page takes 1001..37514 and ignores every other command (0 is the separator).
bool IsPageCommand(int command);
// The mode switch is offered for buttons 3 to 7 of the Mode1 page only.
bool OffersModeSwitch(ButtonPageMode page, int button);
// A macro entry is highlighted when the button holds it under its exact name.
bool MacroHighlighted(const settings::MacroKeyInfo& record, const MacroRecord& macro);

// The catalogue for button (0..6) whose record is current.
skin::PopupMenu BuildCatalogue(ButtonPageMode page, int button,
                               const settings::MacroKeyInfo& current, const MacroList& macros);

}  // namespace karvo::editors
