#include "skin/skinned_menu_win.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "configurator/configurator_resources.h"
#include "platform/control_win.h"
#include "platform/debug_log.h"
#include "platform/text_win.h"

namespace karvo::skin {

namespace {
using platform::DebugLog;
using platform::DebugLogLastError;
using platform::SelectScope;

constexpr wchar_t kMarkFace[] = L"Eurostile";
constexpr int kMarkHeight = 8;

std::wstring WideText(const UiText& text) {
  return text.IsUserText ? platform::WideFromUserText(text.Bytes)
                         : platform::WideFromSuiteText(text.Bytes);
}

int Height(const RECT& r) { return r.bottom - r.top; }
}  // namespace

platform::UniqueFont CreateMenuFont(const MenuFont& font) {
  std::wstring face = platform::WideFromSuiteText(font.Face ? font.Face : "");
  face.resize(std::min<std::size_t>(face.size(), LF_FACESIZE - 1));
  const DWORD family = font.Family == FontFamily::Swiss ? FF_SWISS : FF_DONTCARE;
  platform::UniqueFont made(::CreateFontW(font.Height, font.Width, 0, 0, font.Weight, FALSE, FALSE,
                                          FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                          DEFAULT_PITCH | family, face.c_str()));
  if (!made) DebugLog("CreateFontW(%s) failed\r\n", font.Face ? font.Face : "");
  return made;
}

// One owner-drawn item; its address is the item's data, by which the owner window's
// messages find it.
class SkinnedMenu::Item : public platform::MenuItemDrawer {
 public:
  Item(SkinnedMenu& menu, const MenuEntry& entry, int itemWidth)
      : m_menu(menu),
        m_text(WideText(entry.Text)),
        m_kind(KindOf(entry)),
        m_highlight(entry.Highlight),
        m_mark(entry.TradeMark),
        m_itemWidth(itemWidth) {}

  void MeasureItem(MEASUREITEMSTRUCT& item) override {
    const MenuItemSize size =
        MeasureEntry(m_kind, m_text.size(), m_menu.m_look.ItemHeight, m_itemWidth);
    item.itemWidth = static_cast<UINT>(size.Width);
    item.itemHeight = static_cast<UINT>(size.Height);
  }

  void DrawItem(const DRAWITEMSTRUCT& item) override {
    HDC dc = item.hDC;
    const RECT& area = item.rcItem;
    const int saved = ::SaveDC(dc);
    if (m_kind == MenuItemKind::Separator) {
      DrawSeparator(dc, area);
    } else if (m_kind != MenuItemKind::Hidden) {
      DrawEntry(dc, area, (item.itemState & ODS_SELECTED) != 0);
    }
    if (saved) ::RestoreDC(dc, saved);
    // The system draws its own arrow over an owner-drawn submenu item unless the
    // item's rectangle is out of the DC's reach.
    ::ExcludeClipRect(dc, area.left, area.top, area.right, area.bottom);
  }

 private:
  void DrawSeparator(HDC dc, const RECT& area) {
    ::FillRect(dc, &area, m_menu.m_background.Get());
    const int middle = area.top + Height(area) / 2;
    SelectScope pen(dc, m_menu.m_separator.Get());
    ::MoveToEx(dc, area.left, middle, nullptr);
    ::LineTo(dc, area.right, middle);
  }

  void DrawEntry(HDC dc, const RECT& area, bool selected) {
    const MenuLook& look = m_menu.m_look;
    ::FillRect(dc, &area, selected ? m_menu.m_selection.Get() : m_menu.m_background.Get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, m_highlight ? kMenuHighlightText : selected ? look.SelectedText : look.Text);
    std::optional<SelectScope> font;
    if (m_menu.m_font) font.emplace(dc, m_menu.m_font.Get());
    RECT text{area.left + kMenuTextLeft, area.top, area.right, area.bottom};
    const int length = static_cast<int>(m_text.size());
    ::DrawTextW(dc, m_text.c_str(), length, &text,
                DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (m_mark) {
      SIZE extent{};
      ::GetTextExtentPoint32W(dc, m_text.c_str(), length, &extent);
      // Raised like a trade mark: level with the top of the text.
      RECT mark{text.left + extent.cx, area.top + (Height(area) - extent.cy) / 2, area.right,
                area.bottom};
      SelectScope markFont(dc, m_menu.MarkFont());
      ::DrawTextW(dc, L"TM", 2, &mark, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    }
    if (m_kind == MenuItemKind::Submenu && m_menu.m_arrow) {
      ::DrawIconEx(dc, area.right - kMenuArrowFromRight,
                   area.top + (Height(area) - kMenuArrowSize) / 2, m_menu.m_arrow.Get(),
                   kMenuArrowSize, kMenuArrowSize, 0, nullptr, DI_NORMAL);
    }
  }

  SkinnedMenu& m_menu;
  std::wstring m_text;
  MenuItemKind m_kind;
  bool m_highlight;
  bool m_mark;
  int m_itemWidth;
};

SkinnedMenu::SkinnedMenu(const PopupMenu& menu, const MenuFont* font, const MenuLook& look,
                         HINSTANCE resources)
    : m_look(look),
      m_resources(resources ? resources : ::GetModuleHandleW(nullptr)),
      m_background(::CreateSolidBrush(look.Background)),
      m_selection(::CreateSolidBrush(look.Selection)),
      m_separator(::CreatePen(PS_SOLID, 1, look.SeparatorLine)) {
  if (!m_background || !m_selection || !m_separator) DebugLog("menu brushes not made\r\n");
  if (font) m_font = CreateMenuFont(*font);
  // Nested submenus sit inside a top-level one, so the top level tells.
  if (std::any_of(menu.Entries.begin(), menu.Entries.end(),
                  [](const MenuEntry& e) { return e.IsSubmenu(); })) {
    m_arrow.Reset(static_cast<HICON>(::LoadImageW(m_resources, MAKEINTRESOURCEW(IDI_SUBMENU_ARROW),
                                                  IMAGE_ICON, kMenuArrowSize, kMenuArrowSize, 0)));
    if (!m_arrow) DebugLogLastError("LoadImageW(submenu arrow)");
  }
  platform::UniqueMenu root(::CreatePopupMenu());
  if (!root) {
    DebugLogLastError("CreatePopupMenu");
    return;
  }
  if (!Fill(root.Get(), menu.Entries, menu.ItemWidth)) return;
  // What the items leave uncovered shows the menu's background, not the system's.
  MENUINFO info{};
  info.cbSize = sizeof info;
  info.fMask = MIM_BACKGROUND | MIM_APPLYTOSUBMENUS;
  info.hbrBack = m_background.Get();
  if (m_background && !::SetMenuInfo(root.Get(), &info)) DebugLogLastError("SetMenuInfo");
  m_menu = std::move(root);
}

SkinnedMenu::~SkinnedMenu() = default;

bool SkinnedMenu::Fill(HMENU target, const std::vector<MenuEntry>& entries, int itemWidth) {
  for (const MenuEntry& entry : entries) {
    auto item = std::make_unique<Item>(*this, entry, itemWidth);
    UINT flags = MF_OWNERDRAW;
    UINT_PTR id = static_cast<UINT_PTR>(entry.Command);
    platform::UniqueMenu submenu;
    switch (KindOf(entry)) {
      case MenuItemKind::Separator:
        flags |= MF_SEPARATOR;
        id = kMenuSeparatorCommand;
        break;
      case MenuItemKind::Submenu:
        submenu.Reset(::CreatePopupMenu());
        if (!submenu) {
          DebugLogLastError("CreatePopupMenu(submenu)");
          return false;
        }
        if (!Fill(submenu.Get(), entry.Submenu, entry.SubmenuItemWidth)) return false;
        flags |= MF_POPUP;
        id = reinterpret_cast<UINT_PTR>(submenu.Get());
        break;
      default:
        break;
    }
    // An owner-drawn item's "text" is its data.
    if (!::AppendMenuW(target, flags, id, reinterpret_cast<LPCWSTR>(item->ItemData()))) {
      DebugLogLastError("AppendMenuW");
      return false;
    }
    submenu.Release();  // destroyed with the menu that now holds it
    m_items.push_back(std::move(item));
  }
  return true;
}

HFONT SkinnedMenu::MarkFont() {
  if (!m_markFont) {
    m_markFont.Reset(::CreateFontW(kMarkHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                   DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                   DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, kMarkFace));
    if (!m_markFont) DebugLog("CreateFontW(Eurostile) failed\r\n");
  }
  return m_markFont.Get();
}

int SkinnedMenu::Track(HWND owner, POINT at) {
  if (!m_menu) return 0;
  const BOOL chosen =
      ::TrackPopupMenu(m_menu.Get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD,
                       at.x, at.y, 0, owner, nullptr);
  // A menu leaves its owner's queue waiting for input; a message after it makes the
  // next click elsewhere close the next menu at once.
  if (!::PostMessageW(owner, WM_NULL, 0, 0)) DebugLogLastError("PostMessageW(WM_NULL)");
  return chosen;
}

}  // namespace karvo::skin
