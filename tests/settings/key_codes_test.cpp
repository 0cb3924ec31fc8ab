#include "settings/key_codes.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace karvo::settings {
namespace {

// A layout given as virtual key <-> scan code pairs, both directions.
class TableLayout final : public IKeyboardLayout {
 public:
  explicit TableLayout(std::map<int, int> vkToScan) : m_vkToScan(std::move(vkToScan)) {
    for (const auto& [vk, scan] : m_vkToScan) m_scanToVk[scan] = vk;
  }
  int VirtualKeyToScanCode(int virtualKey) const override {
    auto it = m_vkToScan.find(virtualKey);
    return it == m_vkToScan.end() ? 0 : it->second;
  }
  int ScanCodeToVirtualKey(int scanCode) const override {
    auto it = m_scanToVk.find(scanCode);
    return it == m_scanToVk.end() ? 0 : it->second;
  }

 private:
  std::map<int, int> m_vkToScan;
  std::map<int, int> m_scanToVk;
};

// US: letters, digits and punctuation where the set-1 make codes put them.
std::map<int, int> UsPairs() {
  std::map<int, int> pairs;
  const char* letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  const int letterScans[] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                             0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                             0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
  for (int i = 0; i < 26; ++i) pairs[letters[i]] = letterScans[i];
  for (int d = 1; d <= 9; ++d) pairs['0' + d] = 1 + d;
  pairs['0'] = 0x0B;
  const std::pair<int, int> others[] = {{0x0D, 0x1C}, {0x1B, 0x01}, {0x08, 0x0E}, {0x09, 0x0F},
                                        {0x20, 0x39}, {0xBD, 0x0C}, {0xBB, 0x0D}, {0xDB, 0x1A},
                                        {0xDD, 0x1B}, {0xDC, 0x2B}, {0xBA, 0x27}, {0xDE, 0x28},
                                        {0xC0, 0x29}, {0xBC, 0x33}, {0xBE, 0x34}, {0xBF, 0x35},
                                        {0x14, 0x3A}, {0x7A, 0x57}, {0x7B, 0x58}};
  for (auto [vk, scan] : others) pairs[vk] = scan;
  for (int f = 0; f < 10; ++f) pairs[0x70 + f] = 0x3B + f;
  return pairs;
}

// French AZERTY: A/Q and Z/W swapped, M beside L, punctuation moved.
std::map<int, int> AzertyPairs() {
  std::map<int, int> pairs = UsPairs();
  pairs['A'] = 0x10;
  pairs['Q'] = 0x1E;
  pairs['Z'] = 0x11;
  pairs['W'] = 0x2C;
  pairs['M'] = 0x27;
  pairs[0xBC] = 0x32;  // ,
  pairs[0xBE] = 0x33;  // ;
  pairs[0xBF] = 0x34;  // :
  pairs[0xDF] = 0x35;  // !
  pairs[0xC0] = 0x28;  // ù
  pairs[0xDE] = 0x29;  // ²
  pairs[0xDB] = 0x0C;  // )
  pairs[0xDD] = 0x1A;  // ^
  pairs[0xBA] = 0x1B;  // $
  pairs[0xDC] = 0x2B;  // *
  pairs.erase(0xBD);   // no OEM minus on this layout
  return pairs;
}

TEST(KeyCodeTable, ColumnsAreConsistent) {
  std::set<int> virtualKeys, keyCodes, scanCodes;
  for (const KeyCodeRow& row : KeyCodeTable) {
    EXPECT_TRUE(virtualKeys.insert(row.VirtualKey).second) << row.VirtualKey;
    EXPECT_TRUE(keyCodes.insert(row.KeyCode).second) << row.KeyCode;
    bool positional = row.KeyCode >= 0x04 && row.KeyCode <= 0x45;
    EXPECT_EQ(row.ScanCode != 0, positional) << row.KeyCode;
    if (positional) {
      EXPECT_TRUE(scanCodes.insert(row.ScanCode).second) << row.ScanCode;
    }
    EXPECT_FALSE(GetKeyName(row.VirtualKey).empty()) << row.VirtualKey;
  }
  // Keypad 7 is stored before keypad 6.
  EXPECT_EQ(KeyCodeTable[89].VirtualKey, 0x67);
  EXPECT_EQ(KeyCodeTable[90].VirtualKey, 0x66);
}

TEST(KeyNames, NamesAndGaps) {
  struct Case {
    int vk;
    const char* name;
  } cases[] = {{0x41, "A"},
               {0x5A, "Z"},
               {0x31, "1"},
               {0x30, "0"},
               {0x0D, "Enter"},
               {0x1B, "Esc"},
               {0x08, "BackSpace"},
               {0x6C, "Num_ "},
               {0xDC, "\\"},
               {0x70, "F1"},
               {0x79, "F10"},
               {0x7A, "F11"},
               {0x7B, "F12"},
               {0x21, "Page UP"},
               {0x29, "Select"},
               {0x2B, "Execute"},
               {0x2F, "Help"},
               {0xF2, "Wheel"},
               {0xF4, "Side Button 2"},
               {0x5D, "APP"},
               {0x90, "Number Lock"},
               {7, ""},
               {245, ""},
               {-1, ""},
               {0x2A, ""},
               {0x7C, ""},
               {0x40, ""},
               {0x10, ""}};
  for (const Case& c : cases) EXPECT_EQ(GetKeyName(c.vk), c.name) << c.vk;
  int named = 0;
  for (int vk = -300; vk < 600; ++vk) named += GetKeyName(vk).empty() ? 0 : 1;
  EXPECT_EQ(named, 112);
}

TEST(KeyCodeLookups, UsLayoutRoundTripsEveryRow) {
  TableLayout us(UsPairs());
  for (const KeyCodeRow& row : KeyCodeTable) {
    std::uint8_t code = 0xAA;
    ASSERT_TRUE(VirtualKeyToKeyCode(us, row.VirtualKey, &code)) << row.VirtualKey;
    EXPECT_EQ(code, row.KeyCode) << row.VirtualKey;
    int vk = -1;
    ASSERT_TRUE(KeyCodeToVirtualKey(us, row.KeyCode, &vk)) << row.KeyCode;
    EXPECT_EQ(vk, row.VirtualKey) << row.KeyCode;
  }
}

TEST(KeyCodeLookups, AzertyStoresThePhysicalUsKey) {
  TableLayout azerty(AzertyPairs());
  struct Case {
    int vk;
    int keyCode;
  } cases[] = {
      {'A', 0x14},  {'Q', 0x04},  {'Z', 0x1A},
      {'W', 0x1D},  {'M', 0x33},  {0xBC, 0x10},  // comma on the US M key
      {'1', 0x1E},  {0x0D, 0x28}, {0x25, 0x50},  // arrows have no positional meaning
      {0xBD, 0x2D},  // the layout cannot place it: the table's own code stands
  };
  for (const Case& c : cases) {
    std::uint8_t code = 0;
    ASSERT_TRUE(VirtualKeyToKeyCode(azerty, c.vk, &code)) << c.vk;
    EXPECT_EQ(code, c.keyCode) << c.vk;
  }
  struct Back {
    int keyCode;
    int vk;
  } backs[] = {{0x04, 'Q'}, {0x14, 'A'}, {0x1A, 'Z'}, {0x33, 'M'}, {0x10, 0xBC}, {0x50, 0x25}};
  for (const Back& b : backs) {
    int vk = 0;
    ASSERT_TRUE(KeyCodeToVirtualKey(azerty, b.keyCode, &vk)) << b.keyCode;
    EXPECT_EQ(vk, b.vk) << b.keyCode;
  }
}

TEST(KeyCodeLookups, UnknownKeysFailWithZeroOutput) {
  TableLayout us(UsPairs());
  std::uint8_t code = 0x55;
  EXPECT_FALSE(VirtualKeyToKeyCode(us, 0x29, &code));  // named, but cannot be stored
  EXPECT_EQ(code, 0);
  code = 0x55;
  EXPECT_FALSE(VirtualKeyToKeyCode(us, -5, &code));
  EXPECT_EQ(code, 0);
  int vk = 0x55;
  EXPECT_FALSE(KeyCodeToVirtualKey(us, 0x32, &vk));
  EXPECT_EQ(vk, 0);
  vk = 0x55;
  EXPECT_FALSE(KeyCodeToVirtualKey(us, 0x100, &vk));
  EXPECT_EQ(vk, 0);

  ASSERT_TRUE(VirtualKeyToKeyCode(us, 0x6C, &code));
  EXPECT_EQ(code, 0x58);
  ASSERT_TRUE(KeyCodeToVirtualKey(us, 0xF2, &vk));
  EXPECT_EQ(vk, 0xF2);
  EXPECT_EQ(GetKeyName(vk), "Wheel");
}

TEST(KeyCodeLookups, LayoutWithoutTheKeyKeepsTheTable) {
  // A layout that places nothing: a letter must not become a row without a
  // scan code (Print Screen), and a key code still gives a usable key.
  TableLayout empty({});
  std::uint8_t code = 0;
  ASSERT_TRUE(VirtualKeyToKeyCode(empty, 'A', &code));
  EXPECT_EQ(code, 0x04);
  int vk = 0;
  ASSERT_TRUE(KeyCodeToVirtualKey(empty, 0x04, &vk));
  EXPECT_EQ(vk, 'A');
}

}  // namespace
}  // namespace karvo::settings
