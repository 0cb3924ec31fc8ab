#pragma once
// The configurator's function menus: a popup menu built from its description, every
// item owner-drawn on black with the selection in red, a highlighted entry in yellow,
// separators as a thin red line and submenus marked with the arrow icon. Texts are
// converted once, here: user text from the ANSI code page, the suite's own from
// Windows-1252, and drawn with the wide functions. The owner window given to Track
// must route owner-drawn menu items (every Window and Dialog of the platform does).
#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdi_win.h"
#include "skin/menu_model.h"

namespace karvo::skin {

struct MenuLook {
  std::int32_t ItemHeight = kMenuDefaultItemHeight;
  COLORREF Background = RGB(0, 0, 0);
  COLORREF Selection = RGB(165, 28, 28);
  COLORREF SeparatorLine = RGB(165, 28, 28);
  COLORREF Text = RGB(255, 255, 255);
  COLORREF SelectedText = RGB(0, 0, 0);
};
inline constexpr COLORREF kMenuHighlightText = RGB(255, 255, 0);
// The submenu arrow stands this far from the item's right edge.
inline constexpr int kMenuArrowFromRight = 19;
inline constexpr int kMenuArrowSize = 16;

class SkinnedMenu {
 public:
  // font: drawn in the menu's own font when given, else in the system's menu font.
  // resources: the module holding the submenu arrow (icon 142); nullptr: the program.
  explicit SkinnedMenu(const PopupMenu& menu, const MenuFont* font = nullptr,
                       const MenuLook& look = {}, HINSTANCE resources = nullptr);
  ~SkinnedMenu();
  SkinnedMenu(const SkinnedMenu&) = delete;
  SkinnedMenu& operator=(const SkinnedMenu&) = delete;

  // False when the menu could not be built; Track then shows nothing.
  bool Ok() const { return static_cast<bool>(m_menu); }
  HMENU Handle() const { return m_menu.Get(); }

  // Shows the menu with its top-left corner at `at` (screen coordinates); the left and
  // the right button both choose. The command chosen, or 0 when none was.
  int Track(HWND owner, POINT at);

 private:
  class Item;
  bool Fill(HMENU target, const std::vector<MenuEntry>& entries, int itemWidth);
  HFONT MarkFont();

  MenuLook m_look;
  HINSTANCE m_resources;
  platform::UniqueFont m_font;
  platform::UniqueFont m_markFont;
  platform::UniqueBrush m_background;
  platform::UniqueBrush m_selection;
  platform::UniquePen m_separator;
  platform::UniqueIcon m_arrow;
  // The menus hold the items' addresses: they go first.
  std::vector<std::unique_ptr<Item>> m_items;
  platform::UniqueMenu m_menu;
};

// A menu font as the descriptions name it; nullptr-owning when it cannot be made.
platform::UniqueFont CreateMenuFont(const MenuFont& font);

}  // namespace karvo::skin
