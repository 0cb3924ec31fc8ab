#include "skin/skin_layout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace karvo::skin {
namespace {

struct LayoutCase {
  const char* text;
  const char* name;
  std::int32_t left, top, right, bottom;
  const char* tooltip;
};

TEST(ParseLayout, ReadsNameRectangleAndTooltip) {
  const LayoutCase cases[] = {
      {"Mode1,244,415,78,25,", "Mode1", 244, 415, 322, 440, ""},
      {"Profile 1 name,11, 504,79,21,Profile assigned to profile slot #1,", "Profile 1 name", 11,
       504, 90, 525, ""},
      {"Exit,828,16,22,22,Close the application without saving the changes to the devices", "Exit",
       828, 16, 850, 38, "Close the application without saving the changes to the devices"},
      // Blanks around numbers and the tooltip.
      {"A,  1 ,\t2, 3 , 4 ,  tip with blanks  ", "A", 1, 2, 4, 6, "tip with blanks"},
      // Numbers that do not parse are 0; the others keep their places.
      {"B,x,7,,y,tip", "B", 0, 7, 0, 7, "tip"},
      {"C,-5,+6,10,20,", "C", -5, 6, 5, 26, ""},
      // Missing fields: what is there is read, the rest is 0.
      {"D,3,4", "D", 3, 4, 3, 4, "4"},
      {"E", "E", 0, 0, 0, 0, ""},
      {",1,2,3,4,", "", 1, 2, 4, 6, ""},
      {"", "", 0, 0, 0, 0, ""},
      // Sums beyond 32 bits saturate instead of wrapping.
      {"F,2147483647,-2147483648,99999999999,-5,", "F", 2147483647, -2147483647 - 1, 2147483647,
       -2147483647 - 1, ""},
  };
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.text);
    const SkinLayout layout = ParseLayout(c.text);
    EXPECT_STREQ(layout.Name, c.name);
    EXPECT_EQ(layout.Left, c.left);
    EXPECT_EQ(layout.Top, c.top);
    EXPECT_EQ(layout.Right, c.right);
    EXPECT_EQ(layout.Bottom, c.bottom);
    EXPECT_STREQ(layout.Tooltip, c.tooltip);
  }
}

TEST(ParseLayout, OverlongNameAndTooltipAreCutInsideTheirFields) {
  const std::string name(100, 'n');
  const std::string tooltip(1000, 't');
  // Guard bytes around the record would show a write past either field.
  struct Guarded {
    char before[16];
    SkinLayout layout;
    char after[16];
  } guarded;
  std::memset(&guarded, 0x5A, sizeof guarded);
  guarded.layout = ParseLayout(name + ",1,2,3,4," + tooltip);
  EXPECT_EQ(std::string(guarded.layout.Name), std::string(39, 'n'));
  EXPECT_EQ(std::string(guarded.layout.Tooltip), std::string(403, 't'));
  EXPECT_EQ(guarded.layout.Right, 4);
  for (char c : guarded.before) EXPECT_EQ(c, 0x5A);
  for (char c : guarded.after) EXPECT_EQ(c, 0x5A);
}

}  // namespace
}  // namespace karvo::skin
