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
  for (std::string line; std::getline(in, line);) lines.push_back(line.substr(0, line.find('\r')));
  return lines;
}

std::string Value(const std::string& line) { return line.substr(line.find('=') + 1); }

bool Same(const MacroRecord& a, const MacroRecord& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

MacroList Loaded(MemoryFileStore& store) {
  MacroList list;
  LoadMacros(store, kPath, list);
  return list;
}

TEST(MacroStore, SavedLibraryReadsBackByteForByteWithNumberFirstAndKeysInOrder) {
  MemoryFileStore store;
  store.SetFile(kPath, "[Other]\r\nkept=no\r\n[Macros]\r\n5=stale\r\nnumber=9\r\n");
  MacroList list;
  list.push_back(Macro("Reload", 3, 1, 4));
  list.push_back(NewMacro(""));
  list.push_back(Macro("  Sprint  ", kMaxMacroEvents, 2, 255));
  ASSERT_TRUE(SaveMacros(store, kPath, list));

  // Exactly the library, in upper-case hex; the all-zero record's checksum is 00.
  const std::vector<std::string> lines = Lines(*store.Contents(kPath));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "[Macros]");
  EXPECT_EQ(lines[1], "number=3");
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(lines[2 + i].substr(0, 2), std::to_string(i) + "=");
    EXPECT_EQ(Value(lines[2 + i]).size(), 4122u);
    EXPECT_EQ(Value(lines[2 + i]).find_first_not_of("0123456789ABCDEF"), std::string::npos);
  }
  EXPECT_EQ(Value(lines[3]), std::string(4122, '0'));

  // Lower-case digits read as well.
  std::string lower = lines[4];
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  store.SetFile(kPath,
                lines[0] + "\n" + lines[1] + "\n" + lines[2] + "\n" + lines[3] + "\n" + lower);
  MacroList loaded = Loaded(store);
  ASSERT_EQ(loaded.size(), list.size());
  for (std::size_t i = 0; i < list.size(); ++i) EXPECT_TRUE(Same(*loaded[i], *list[i])) << i;

  // Loading appends; the empty library is "number" 0 and nothing else.
  LoadMacros(store, kPath, loaded);
  EXPECT_EQ(loaded.size(), 6u);
  ASSERT_TRUE(SaveMacros(store, kPath, MacroList{}));
  EXPECT_EQ(Lines(*store.Contents(kPath)), (std::vector<std::string>{"[Macros]", "number=0"}));
  EXPECT_TRUE(Loaded(store).empty());
}

TEST(MacroStore, DamagedKeysKeepTheirPositionsAsAllZeroRecords) {
  MemoryFileStore store;
  MacroList list;
  for (int i = 0; i < 3; ++i) list.push_back(Macro("M" + std::to_string(i), 5, i, 2));
  ASSERT_TRUE(SaveMacros(store, kPath, list));
  const std::vector<std::string> good = Lines(*store.Contents(kPath));
  const std::string value = Value(good[3]);
  const std::string key1[] = {
      "",  // missing
      "1=" + value.substr(0, 4120) + "FF", "1=" + value.substr(2), "1=" + value + "00",
      "1=" + value.substr(0, 4121) + "G", "1=",
      // A lookup of key 1 finds neither "01" nor a second "1" after a first one.
      "01=" + value, "1=00\r\n" + good[3]};
  for (const std::string& damaged : key1) {
    SCOPED_TRACE(damaged.substr(0, 8));
    store.SetFile(kPath, good[0] + "\r\n" + good[1] + "\r\n" + good[2] + "\r\n" +
                             (damaged.empty() ? "" : damaged + "\r\n") + good[4]);
    const MacroList loaded = Loaded(store);
    ASSERT_EQ(loaded.size(), 3u);
    EXPECT_TRUE(Same(*loaded[0], *list[0]));
    EXPECT_TRUE(Same(*loaded[1], *NewMacro("")));
    EXPECT_TRUE(Same(*loaded[2], *list[2]));
  }
}

TEST(MacroStore, HostileNumbersAndFieldsAreBounded) {
  auto macro = Macro("x", 0, 0);
  std::memset(macro->Name, 'N', sizeof macro->Name);  // no terminator
  macro->EventCount = 70000;
  auto negative = Macro("neg", 0, 0);
  negative->EventCount = -5;
  const std::string keys = "\r\n0=" + settings::EncodeStruct(macro.get(), sizeof(MacroRecord)) +
                           "\r\n1=" + settings::EncodeStruct(negative.get(), sizeof(MacroRecord));
  MemoryFileStore store;
  const std::pair<const char*, std::size_t> numbers[] = {
      {"0", 0}, {"-1", 0}, {"abc", 0}, {"1", 1}, {"2000000000", 2}};
  for (const auto& [number, expected] : numbers) {
    store.SetFile(kPath, "[Macros]\r\nnumber=" + std::string(number) + keys);
    const MacroList loaded = Loaded(store);
    ASSERT_EQ(loaded.size(), expected) << number;
    if (expected == 0) continue;
    EXPECT_EQ(settings::FieldText(loaded[0]->Name), std::string(51, 'N'));
    EXPECT_EQ(loaded[0]->EventCount, kMaxMacroEvents);
    if (expected > 1) {
      EXPECT_EQ(loaded[1]->EventCount, 0);
    }
  }

  // No library grows beyond what its file can hold again.
  const std::string value = settings::EncodeStruct(Macro("far", 1, 1).get(), sizeof(MacroRecord));
  store.SetFile(kPath, "[Macros]\r\nnumber=100000\r\n7999=" + value + "\r\n8000=" + value);
  MacroList list = Loaded(store);
  ASSERT_EQ(list.size(), static_cast<std::size_t>(kMaxMacroCount));
  EXPECT_EQ(settings::FieldText(list.back()->Name), "far");
  LoadMacros(store, kPath, list);
  AddMacroFromButton(list, MacroKeyInfo{});
  EXPECT_EQ(list.size(), static_cast<std::size_t>(kMaxMacroCount));
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
  slots[0].MacroKeys[3] = Button(16, "fire", 4, 1);    // library "  FIRE ": events replaced
  slots[0].MacroKeys[9] = Button(16, "  Walk", 2, 2);  // blanks on the button side: new
  slots[1].MacroKeys[0] = Button(16, "Jump", 3, 3);    // new
  slots[2].MacroKeys[1] = Button(5, "Jump", 1, 4);     // no macro
  slots[3].MacroKeys[0] = Button(16, "jump", 6, 5);    // the same macro again: replaces
  slots[4].MacroKeys[12] = Button(16, "Big", 900, 7);  // more events than a macro holds
  slots[4].MacroKeys[13] = Button(16, "Same", 2, 6);   // equal events: untouched
  std::memset(slots[4].MacroKeys[11].Name, 'B', 50);   // a name filling its field
  slots[4].MacroKeys[11].FunctionCode = 16;

  MacroList list;
  list.push_back(Macro("  FIRE ", 9, 9, 3));
  list.push_back(Macro("Walk", 1, 9, 3));
  list.push_back(NewMacro("same"));
  list[2]->RepeatCount = 5;
  list[2]->EventCount = 2;
  std::memcpy(list[2]->Events, slots[4].MacroKeys[13].Data, 8);
  list[2]->Events[2].Pause = 0xBEEF;  // beyond the count: not compared

  MergeButtonMacros(list, *image);
  const struct {
    std::string name;
    int events;
    int seed;  // of the button whose events the macro holds; -1 unchanged
    int repeat;
  } expected[] = {{"  FIRE ", 4, 1, 3}, {"Walk", 1, -1, 3}, {"same", 2, -1, 5},
                  {"  Walk", 2, 2, 0},  {"Jump", 6, 5, 0},  {std::string(50, 'B'), 0, -1, 0},
                  {"Big", 500, 7, 0}};
  ASSERT_EQ(list.size(), std::size(expected));
  for (std::size_t i = 0; i < list.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(settings::FieldText(list[i]->Name), expected[i].name);
    EXPECT_EQ(list[i]->EventCount, expected[i].events);
    EXPECT_EQ(list[i]->RepeatCount, expected[i].repeat);
    if (expected[i].seed >= 0) {
      const MacroKeyInfo data = Button(16, "", 0, expected[i].seed);
      EXPECT_EQ(std::memcmp(list[i]->Events, data.Data, expected[i].events * 4u), 0);
    }
  }
  EXPECT_EQ(list[2]->Events[2].Pause, 0xBEEF);
}

}  // namespace
}  // namespace karvo::editors
