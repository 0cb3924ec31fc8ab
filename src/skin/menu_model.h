#pragma once
// Popup menus as data: the skinned popup menu draws them, the models build them, and
// tests read them without a window.
#include <string>
#include <vector>

#include "skin/menu_metrics.h"

namespace karvo::skin {

// Bytes of a text and the code page they are in: the suite's own labels are
// Windows-1252, names and paths the user typed are in the system's ANSI code page.
struct UiText {
  std::string Bytes;
  bool IsUserText = false;

  bool operator==(const UiText&) const = default;
};

// The skinned menu draws command 0 as a separator line and command 1 with no height.
inline constexpr int kSeparatorCommand = static_cast<int>(kMenuSeparatorId);
inline constexpr int kInvisibleCommand = static_cast<int>(kMenuHiddenId);

struct MenuEntry {
  UiText Text;
  int Command = kSeparatorCommand;
  bool Highlight = false;  // drawn in yellow
  bool TradeMark = false;  // a small "TM" follows the text
  // A submenu entry has a width for the items of its submenu; its command is unused.
  int SubmenuItemWidth = 0;
  std::vector<MenuEntry> Submenu;

  constexpr bool IsSubmenu() const { return SubmenuItemWidth > 0; }
};

struct PopupMenu {
  int ItemWidth = 0;
  std::vector<MenuEntry> Entries;
};

enum class FontFamily { DontCare, Swiss };

struct MenuFont {
  const char* Face;
  int Height;
  int Width;
  int Weight;
  FontFamily Family = FontFamily::DontCare;
};
// Every function menu of the editors is drawn in this font.
inline constexpr MenuFont kMenuFont = {"Arial", 14, 5, 400};

enum class MenuItemKind { Separator, Hidden, Command, Submenu };

// A submenu entry opens its submenu whatever its command; otherwise command 0 is a
// separator line and command 1 an entry that takes no room.
constexpr MenuItemKind KindOf(const MenuEntry& entry) {
  if (entry.IsSubmenu()) return MenuItemKind::Submenu;
  if (entry.Command == kSeparatorCommand) return MenuItemKind::Separator;
  if (entry.Command == kInvisibleCommand) return MenuItemKind::Hidden;
  return MenuItemKind::Command;
}

// An entry's size, from its kind: separators and hidden entries by their fixed
// heights, commands and submenus by the menu's item height and their text.
inline MenuItemSize MeasureEntry(MenuItemKind kind, std::size_t textLength, std::int32_t itemHeight,
                                 std::int32_t itemWidth) {
  switch (kind) {
    case MenuItemKind::Separator:
      return MeasureMenuItem(kMenuSeparatorId, textLength, itemHeight, itemWidth);
    case MenuItemKind::Hidden:
      return MeasureMenuItem(kMenuHiddenId, textLength, itemHeight, itemWidth);
    default:
      return MeasureMenuItem(kMenuSeparatorCommand, textLength, itemHeight, itemWidth);
  }
}

}  // namespace karvo::skin
