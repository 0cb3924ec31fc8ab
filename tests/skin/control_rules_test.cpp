// The small rules of the skinned controls: which image a button shows, how tall and
// wide a menu item is, and how an editable list commits an in-place edit.
#include <gtest/gtest.h>

#include <set>

#include "skin/editable_list_model.h"
#include "skin/image_button_state.h"
#include "skin/menu_metrics.h"
#include "skin/menu_model.h"
#include "skin/skin_controls.h"
#include "skin/window_layouts.h"

namespace karvo::skin {
namespace {

TEST(ImageButtonState, BothModesPickTheirImageInTheirOwnOrder) {
  using enum ButtonImage;
  struct Case {
    bool selected, toggle, hover, pressed, disabled;
    ButtonImage expected;
  };
  const Case cases[] = {
      // Push, tab and radio buttons.
      {false, false, false, false, false, Normal},
      {false, false, true, false, false, Hover},
      {false, false, false, true, false, Selected},
      {false, false, true, true, false, Selected},
      {true, false, true, false, false, Selected},
      {true, false, false, false, true, Disabled},
      {false, false, false, false, true, Disabled},
      {false, false, true, false, true, Hover},
      // Check boxes: disabled first, then the check state, even under the pointer.
      {false, true, false, false, false, Normal},
      {false, true, true, false, false, Hover},
      {true, true, true, false, false, Selected},
      {true, true, false, false, true, Disabled},
      {false, true, true, false, true, Disabled},
      {false, true, false, true, false, Normal},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.selected << c.toggle << c.hover << c.pressed << c.disabled);
    EXPECT_EQ(SelectButtonImage({c.selected, c.toggle, c.hover, c.pressed, c.disabled}),
              c.expected);
  }
}

TEST(MenuMetrics, SeparatorsHiddenItemsAndTextItems) {
  struct Case {
    std::uint32_t id;
    std::size_t length;
    std::int32_t itemWidth;
    MenuItemSize expected;
  };
  const Case cases[] = {
      {0, 0, 132, {132, 5}},
      {1, 0, 80, {80, 0}},
      {1005, 3, 132, {132, 18}},  // short text: the menu's width
      {1005, 25, 132, {25 * 8 + kMenuMargins, 18}},
      {1050, 60, 140, {60 * 8 + kMenuMargins, 18}},
  };
  for (const Case& c : cases) {
    const MenuItemSize size = MeasureMenuItem(c.id, c.length, kMenuDefaultItemHeight, c.itemWidth);
    EXPECT_EQ(size.Width, c.expected.Width) << c.id << " " << c.length;
    EXPECT_EQ(size.Height, c.expected.Height) << c.id << " " << c.length;
  }
  // A text length from outside cannot overflow the width.
  EXPECT_GT(MeasureMenuItem(2000, std::size_t{1} << 40, 16, 90).Width, 90);
}

TEST(MenuMetrics, SubmenusOfTheEditorsTakeFullHeightWhateverTheirCommand) {
  // The editors build submenu entries with command 0, which alone would be a separator.
  struct Case {
    int command;
    int submenuWidth;
    MenuItemKind kind;
    std::int32_t height;
  };
  const Case cases[] = {
      {kSeparatorCommand, 0, MenuItemKind::Separator, 5},
      {kInvisibleCommand, 0, MenuItemKind::Hidden, 0},
      {kSeparatorCommand, 140, MenuItemKind::Submenu, 18},
      {kInvisibleCommand, 80, MenuItemKind::Submenu, 18},
      {1020, 0, MenuItemKind::Command, 18},
  };
  for (const Case& c : cases) {
    MenuEntry entry;
    entry.Command = c.command;
    entry.SubmenuItemWidth = c.submenuWidth;
    EXPECT_EQ(KindOf(entry), c.kind) << c.command << " " << c.submenuWidth;
    EXPECT_EQ(MeasureEntry(KindOf(entry), 4, kMenuDefaultItemHeight, 90).Height, c.height)
        << c.command << " " << c.submenuWidth;
  }
}

TEST(EditableList, CommitTrimsReinsertsWithTheValueAndRemovesEmptyLines) {
  struct Case {
    const char* typed;
    bool number;
    const char* kept;  // nullptr: the line is gone and the owner hears nothing
  };
  const Case cases[] = {
      {"  Sprint  ", false, "Sprint"},
      {"\t \t", false, nullptr},
      {"", false, nullptr},
      {"abcdefghijklmnopqrstuvwxyz", false, "abcdefghijklmnopqrstuvwx"},
      {"1500", true, "1500"},
      {"  ", true, nullptr},
      {"123456789012345678901234", true, "12345678901234567890"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    EditableListModel list;
    list.Add("first", 0x00010000 | 231);
    list.Add("second", 0x00020000 | 229);
    list.Add("third", 0);
    std::optional<std::size_t> editing;
    if (c.number) {
      ASSERT_TRUE(list.Select(1));
      editing = list.BeginValueEdit();
    } else {
      editing = list.BeginNewEntry();
    }
    ASSERT_TRUE(editing);
    const std::uint32_t value = list.Lines()[*editing].Value;
    const std::optional<std::size_t> committed = list.CommitEdit(c.typed);
    EXPECT_FALSE(list.Editing());
    if (c.kept == nullptr) {
      EXPECT_FALSE(committed);
      EXPECT_EQ(list.Lines().size(), c.number ? 2u : 3u);
      continue;
    }
    ASSERT_TRUE(committed);
    EXPECT_EQ(*committed, *editing);
    EXPECT_EQ(list.Lines()[*committed].Text, c.kept);
    EXPECT_EQ(list.Lines()[*committed].Value, value);
    EXPECT_EQ(list.Selected(), committed);
    EXPECT_EQ(list.Lines().size(), c.number ? 3u : 4u);
    EXPECT_EQ(list.Lines()[2].Text, "third");
  }
}

TEST(EditableList, ANameOfTwoByteCharactersKeepsWhatItsFieldHolds) {
  // 24 characters of a two-byte code page, already cut at whole characters by the window.
  const std::string typed(2 * kListNameLimit, '\x82');
  EditableListModel list;
  ASSERT_TRUE(list.BeginNewEntry());
  ASSERT_EQ(list.CommitEdit(typed, kListNameBytes), 0u);
  EXPECT_EQ(list.Lines()[0].Text, typed);
  static_assert(2 * kListNameLimit <= kListNameBytes);
}

TEST(EditableList, EscapeRemovesTheLineAndEditsNeedALine) {
  EditableListModel list;
  EXPECT_FALSE(list.BeginValueEdit());  // nothing selected
  list.Add("a", 0);
  list.Add("b", 0);
  ASSERT_TRUE(list.Select(1));
  ASSERT_EQ(list.BeginValueEdit(), 1u);
  EXPECT_FALSE(list.BeginNewEntry());  // one edit at a time
  list.CancelEdit();
  ASSERT_EQ(list.Lines().size(), 1u);
  EXPECT_EQ(list.Lines()[0].Text, "a");
  EXPECT_FALSE(list.Selected());
  EXPECT_FALSE(list.CommitEdit("late"));  // no edit open: nothing happens
  EXPECT_EQ(list.Lines().size(), 1u);
}

TEST(EditableList, NumberEditsTakeDigitsAndControlKeysOnly) {
  for (char c : std::string("0123456789\b\r\x1B")) {
    EXPECT_TRUE(ListEditAccepts(ListEditKind::Number, c)) << int(c);
  }
  for (char c : std::string("a -+.,\xFC")) {
    EXPECT_FALSE(ListEditAccepts(ListEditKind::Number, c)) << int(c);
    EXPECT_TRUE(ListEditAccepts(ListEditKind::Name, c)) << int(c);
  }
}

TEST(EditableList, IconColumnFromTheLowWord) {
  EXPECT_FALSE(IconOf(0x00050000).HasColumn);
  EXPECT_EQ(IconOf(0x00050000).TextLeft, kListTextLeft);
  EXPECT_TRUE(IconOf(0x00050001).HasColumn);
  EXPECT_EQ(IconOf(0x00050001).BitmapId, 0);
  EXPECT_EQ(IconOf(0x000500E7).BitmapId, 231);
  EXPECT_GE(IconOf(0x000500E7).TextLeft, kListIconLeft + kListIconColumn);
}

// Clicks are told apart by control id, and the dialog manager's IDOK and IDCANCEL must not be
// taken for a control's click.
TEST(WindowBuilder, ControlIdsAreDistinctInEveryWindowAndNeverOkOrCancel) {
  for (const WindowSpec& window : kWindows) {
    std::set<std::int32_t> ids;
    for (std::size_t i = 0; i < window.Controls.size(); ++i) {
      const std::int32_t id = ControlIdOf(window.Controls[i], i);
      EXPECT_TRUE(ids.insert(id).second) << window.Name << ": " << window.Controls[i].Layout;
      EXPECT_GT(id, 2) << window.Name << ": " << window.Controls[i].Layout;
    }
  }
}

}  // namespace
}  // namespace karvo::skin
