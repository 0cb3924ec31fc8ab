#include "editors/macro_store.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "settings/memory_file_store.h"

namespace karvo::editors {
namespace {

using settings::MacroKeyInfo;
using settings::MemoryFileStore;

constexpr char kPath[] = "C:\\Karvo\\config\\sequence.dat";

std::unique_ptr<MacroRecord> Macro(const std::string& name, int events, int seed, int repeat = 0) {
  auto macro = NewMacro(name);
  macro->RepeatCount = repeat;
  macro->EventCount = events;
  for (int i = 0; i < kMaxMacroEvents; ++i) {
    macro->Events[i] = {static_cast<std::uint8_t>(4 + (i + seed) % 40),
                        static_cast<std::uint8_t>(1 + i % 2),
                        static_cast<std::uint16_t>(i * 131 + seed)};
  }
  return macro;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::string Value(const std::string& line) { return line.substr(line.find('=') + 1); }

MacroList Loaded(MemoryFileStore& store) {
  MacroList list;
  LoadMacros(store, kPath, list);
  return list;
}

TEST(MacroStore, PathIsBelowTheProgramDirectory) {
  EXPECT_EQ(MacroStorePath("C:\\Suite\\"), "C:\\Suite\\config\\sequence.dat");
  EXPECT_EQ(MacroStorePath(""), "config\\sequence.dat");
}

TEST(MacroStore, SavedLibraryReadsBackByteForByteWithNumberFirstAndKeysInOrder) {
  MemoryFileStore store;
  store.SetFile(kPath, "[Other]\r\nkept=no\r\n[Macros]\r\n5=stale\r\nnumber=9\r\n");
  MacroList list;
  list.push_back(Macro("Reload", 3, 1, 4));
  list.push_back(Macro("  Sprint  ", kMaxMacroEvents, 2, 255));
  list.push_back(Macro("", 0, 3));
  ASSERT_TRUE(SaveMacros(store, kPath, list));

  // The file holds exactly the library: nothing of what was there before.
  const std::vector<std::string> lines = Lines(*store.Contents(kPath));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "[Macros]");
  EXPECT_EQ(lines[1], "number=3");
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const std::string& line = lines[2 + i];
    EXPECT_EQ(line.substr(0, 2), std::to_string(i) + "=");
    EXPECT_EQ(Value(line).size(), 4122u);
    EXPECT_EQ(Value(line).find_first_not_of("0123456789ABCDEF"), std::string::npos);
  }

  const MacroList loaded = Loaded(store);
  ASSERT_EQ(loaded.size(), list.size());
  for (std::size_t i = 0; i < list.size(); ++i) {
    EXPECT_EQ(std::memcmp(loaded[i].get(), list[i].get(), sizeof(MacroRecord)), 0) << i;
  }
}

TEST(MacroStore, EmptyLibrarySavesNumberZeroAndLoadsEmpty) {
  MemoryFileStore store;
  ASSERT_TRUE(SaveMacros(store, kPath, MacroList{}));
  EXPECT_EQ(Lines(*store.Contents(kPath)), (std::vector<std::string>{"[Macros]", "number=0"}));
  EXPECT_TRUE(Loaded(store).empty());
}

TEST(MacroStore, AllZeroRecordHasChecksumZeroAndLowercaseDigitsAreRead) {
  MemoryFileStore store;
  MacroList list;
  list.push_back(NewMacro(""));
  list.push_back(Macro("mixed", 2, 7));
  ASSERT_TRUE(SaveMacros(store, kPath, list));
  const std::vector<std::string> lines = Lines(*store.Contents(kPath));
  EXPECT_EQ(Value(lines[2]), std::string(4122, '0'));

  std::string lower = lines[3];
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  store.SetFile(kPath, "[Macros]\r\nnumber=2\r\n" + lines[2] + "\r\n" + lower + "\r\n");
  const MacroList loaded = Loaded(store);
  ASSERT_EQ(loaded.size(), 2u);
  EXPECT_EQ(std::memcmp(loaded[1].get(), list[1].get(), sizeof(MacroRecord)), 0);
}

TEST(MacroStore, DamagedKeysKeepTheirPositionsAsAllZeroRecords) {
  MemoryFileStore store;
  MacroList list;
  for (int i = 0; i < 3; ++i) list.push_back(Macro("M" + std::to_string(i), 5, i, 2));
  ASSERT_TRUE(SaveMacros(store, kPath, list));
  const std::vector<std::string> good = Lines(*store.Contents(kPath));

  const struct {
    const char* what;
    std::string key1;  // the line of key "1"; empty: no such line
  } cases[] = {
      {"missing", ""},
      {"checksum", "1=" + Value(good[3]).substr(0, 4120) + "FF"},
      {"too short", "1=" + Value(good[3]).substr(2)},
      {"too long", "1=" + Value(good[3]) + "00"},
      {"not hex", "1=" + Value(good[3]).substr(0, 4121) + "G"},
      {"empty", "1="},
      // A lookup of key 1 finds neither "01" nor a second "1" after a first one.
      {"spelt 01", "01=" + Value(good[3])},
      {"first of two", "1=00\r\n" + good[3]},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string text = good[0] + "\r\n" + good[1] + "\r\n" + good[2] + "\r\n";
    if (!c.key1.empty()) text += c.key1 + "\r\n";
    text += good[4] + "\r\n";
    store.SetFile(kPath, text);
    const MacroList loaded = Loaded(store);
    ASSERT_EQ(loaded.size(), 3u);
    EXPECT_EQ(std::memcmp(loaded[0].get(), list[0].get(), sizeof(MacroRecord)), 0);
    EXPECT_EQ(std::memcmp(loaded[1].get(), NewMacro("").get(), sizeof(MacroRecord)), 0);
    EXPECT_EQ(std::memcmp(loaded[2].get(), list[2].get(), sizeof(MacroRecord)), 0);
  }
}

TEST(MacroStore, HostileNumbersAndFieldsAreBounded) {
  MemoryFileStore store;
  auto macro = Macro("x", 0, 0);
  std::memset(macro->Name, 'N', sizeof macro->Name);  // no terminator
  macro->EventCount = 70000;
  auto negative = Macro("neg", 0, 0);
  negative->EventCount = -5;
  const std::string key0 = "0=" + settings::EncodeStruct(macro.get(), sizeof(MacroRecord));
  const std::string key1 = "1=" + settings::EncodeStruct(negative.get(), sizeof(MacroRecord));

  const struct {
    const char* number;
    std::size_t expected;
  } cases[] = {{"0", 0}, {"-1", 0}, {"abc", 0}, {"1", 1}, {"2", 2}, {"2000000000", 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.number);
    store.SetFile(kPath,
                  "[Macros]\r\nnumber=" + std::string(c.number) + "\r\n" + key0 + "\r\n" + key1);
    const MacroList loaded = Loaded(store);
    ASSERT_EQ(loaded.size(), c.expected);
    if (c.expected == 0) continue;
    EXPECT_EQ(settings::FieldText(loaded[0]->Name), std::string(51, 'N'));
    EXPECT_EQ(loaded[0]->EventCount, kMaxMacroEvents);
    if (c.expected > 1) {
      EXPECT_EQ(loaded[1]->EventCount, 0);
    }
  }
}

TEST(MacroStore, NoLibraryGrowsBeyondWhatItsFileCanHoldAgain) {
  MemoryFileStore store;
  const std::string value = settings::EncodeStruct(Macro("far", 1, 1).get(), sizeof(MacroRecord));
  store.SetFile(kPath, "[Macros]\r\nnumber=100000\r\n7999=" + value + "\r\n8000=" + value);
  MacroList list;
  LoadMacros(store, kPath, list);
  ASSERT_EQ(list.size(), static_cast<std::size_t>(kMaxMacroCount));
  EXPECT_EQ(settings::FieldText(list.back()->Name), "far");
  LoadMacros(store, kPath, list);
  AddMacroFromButton(list, MacroKeyInfo{});
  EXPECT_EQ(list.size(), static_cast<std::size_t>(kMaxMacroCount));
}

TEST(MacroStore, LoadingAppendsAndClearEmpties) {
  MemoryFileStore store;
  MacroList list;
  list.push_back(Macro("one", 1, 1));
  ASSERT_TRUE(SaveMacros(store, kPath, list));
  LoadMacros(store, kPath, list);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(MacroAt(list, 1)->EventCount, 1);
  EXPECT_EQ(MacroAt(list, 2), nullptr);
  EXPECT_EQ(MacroAt(list, -1), nullptr);
  ClearMacros(list);
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(MacroAt(list, 0), nullptr);
}

MacroKeyInfo Button(std::uint8_t code, const std::string& name, int events, int seed) {
  MacroKeyInfo record{};
  record.FunctionCode = code;
  settings::SetFieldText(record.Name, name);
  record.EventCount = static_cast<std::uint16_t>(events);
  record.RepeatCount = 77;
  for (std::size_t i = 0; i < sizeof record.Data; ++i) {
    record.Data[i] = static_cast<std::uint8_t>(i * 3 + seed);
  }
  return record;
}

TEST(MacroStore, MergeFollowsTheProfilesWithTheLastRecordMergedWinning) {
  auto image = std::make_unique<settings::SettingsImage>();
  std::memset(image.get(), 0, sizeof *image);
  auto& slots = image->Profiles;
  slots[0].MacroKeys[3] = Button(16, "fire", 4, 1);    // library "FIRE" with other events
  slots[0].MacroKeys[9] = Button(16, "  Walk", 2, 2);  // blanks on the button side: new
  slots[1].MacroKeys[0] = Button(16, "Jump", 3, 3);    // not in the library: appended
  slots[2].MacroKeys[1] = Button(5, "Jump", 1, 4);     // no macro
  slots[3].MacroKeys[0] = Button(16, "jump", 6, 5);    // same name again: overwrites
  slots[4].MacroKeys[13] = Button(16, "Same", 2, 6);   // equal events: untouched
  slots[4].MacroKeys[12] = Button(16, "Big", 900, 7);  // more than 500 events

  MacroList list;
  list.push_back(Macro("  FIRE ", 9, 9, 3));
  list.push_back(Macro("Walk", 1, 9, 3));
  auto same = NewMacro("same");
  same->RepeatCount = 5;
  same->EventCount = 2;
  std::memcpy(same->Events, slots[4].MacroKeys[13].Data, 8);
  list.push_back(std::move(same));

  MergeButtonMacros(list, *image);
  ASSERT_EQ(list.size(), 6u);
  const struct {
    const char* name;
    int events;
    int seed;  // of the button whose data the macro must hold; -1 keep
    int repeat;
  } expected[] = {{"  FIRE ", 4, 1, 3}, {"Walk", 1, -1, 3}, {"same", 2, -1, 5},
                  {"  Walk", 2, 2, 0},  {"Jump", 6, 5, 0},  {"Big", 500, 7, 0}};
  for (std::size_t i = 0; i < list.size(); ++i) {
    SCOPED_TRACE(i);
    const MacroRecord& macro = *list[i];
    EXPECT_EQ(settings::FieldText(macro.Name), expected[i].name);
    EXPECT_EQ(macro.EventCount, expected[i].events);
    EXPECT_EQ(macro.RepeatCount, expected[i].repeat);
    if (expected[i].seed >= 0) {
      const MacroKeyInfo data = Button(16, "", 0, expected[i].seed);
      EXPECT_EQ(std::memcmp(macro.Events, data.Data, expected[i].events * 4u), 0);
    }
  }
}

TEST(MacroStore, FindComparesOnlyTheCountedEventsAndTrimsOnlyTheLibrary) {
  MacroList list;
  list.push_back(Macro(" Combo ", 2, 1));
  MacroKeyInfo button = Button(16, "COMBO", 2, 0);
  std::memcpy(button.Data, list[0]->Events, 8);
  button.Data[8] = 0xEE;  // beyond the count: not compared
  int index = -1;
  bool same = false;
  ASSERT_TRUE(FindMacro(list, button, &index, &same));
  EXPECT_EQ(index, 0);
  EXPECT_TRUE(same);
  button.Data[7] ^= 1;
  ASSERT_TRUE(FindMacro(list, button, &index, &same));
  EXPECT_FALSE(same);
  EXPECT_FALSE(FindMacro(list, Button(16, " Combo", 2, 0), &index, &same));
  EXPECT_FALSE(FindMacro(MacroList{}, button, &index, &same));
}

TEST(MacroStore, AButtonNameFillingItsFieldIsCopiedWithinBoth) {
  MacroKeyInfo button = Button(16, "", 1, 0);
  std::memset(button.Name, 'B', sizeof button.Name);  // 50 bytes, no terminator
  MacroList list;
  AddMacroFromButton(list, button);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(settings::FieldText(list[0]->Name), std::string(50, 'B'));
  EXPECT_EQ(list[0]->RepeatCount, 0);
  EXPECT_EQ(list[0]->EventCount, 1);
}

TEST(MacroStore, AFailedSaveReportsItAndKeepsTheOldFile) {
  MemoryFileStore store;
  store.SetFile(kPath, "[Macros]\r\nnumber=0\r\n");
  MacroList list;
  list.push_back(Macro("a", 1, 1));
  store.SetWritesFail(true);
  EXPECT_FALSE(SaveMacros(store, kPath, list));
  EXPECT_EQ(*store.Contents(kPath), "[Macros]\r\nnumber=0\r\n");
  EXPECT_EQ(list.size(), 1u);
}

}  // namespace
}  // namespace karvo::editors
