#pragma once
// Popup menus as data: the skinned popup menu draws them, the models build them, and
// tests read them without a window.
#include <string>
#include <vector>

namespace karvo::editors {

// Bytes of a text and the code page they are in: the suite's own labels are
// Windows-1252, names and paths the user typed are in the system's ANSI code page.
struct UiText {
  std::string Bytes;
  bool IsUserText = false;

  bool operator==(const UiText&) const = default;
};

// The skinned menu draws command 0 as a separator line and command 1 with no height.
inline constexpr int kSeparatorCommand = 0;
inline constexpr int kInvisibleCommand = 1;

struct MenuEntry {
  UiText Text;
  int Command = kSeparatorCommand;
  bool Highlight = false;  // drawn in yellow
  // A submenu entry has a width for the items of its submenu; its command is unused.
  int SubmenuItemWidth = 0;
  std::vector<MenuEntry> Submenu;

  bool IsSubmenu() const { return SubmenuItemWidth > 0; }
};

struct PopupMenu {
  int ItemWidth = 0;
  std::vector<MenuEntry> Entries;
};

// Every function menu of the editors is drawn in this font.
struct MenuFont {
  const char* Face;
  int Height;
  int Width;
  int Weight;
};
inline constexpr MenuFont kMenuFont = {"Arial", 14, 5, 400};

}  // namespace karvo::editors
