// Randomly assembled hand-edited files: whatever their content, a write changes
// exactly the value it names, and the file written reads back as the document
// that wrote it. The seed is fixed, so a failure repeats.
#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "settings/ini_document.h"

namespace karvo::settings {
namespace {

constexpr std::array<const char*, 14> kLineParts = {"[s]",     "[ S ]",   "[t]",     "[u",   "k=1",
                                                    " K = 2 ", "j=\"q\"", "m='a b'", ";k=9", "",
                                                    "x",       "=v",      "\t[t]\t", "k=\r"};
constexpr std::array<const char*, 3> kLineEnds = {"\r\n", "\n", ""};
constexpr std::array<const char*, 4> kSections = {"s", "t", "u", "S"};
constexpr std::array<const char*, 4> kKeys = {"k", "j", "m", "new"};
constexpr std::array<const char*, 4> kValues = {"1", "a b", "x=y", ""};

std::string RandomFile(std::mt19937& random) {
  std::uniform_int_distribution<int> lines(0, 12);
  std::uniform_int_distribution<std::size_t> part(0, kLineParts.size() - 1);
  std::uniform_int_distribution<std::size_t> end(0, kLineEnds.size() - 1);
  std::string text;
  for (int n = lines(random); n > 0; --n) {
    text += kLineParts[part(random)];
    // Only the last line may lack its end.
    text += n == 1 ? kLineEnds[end(random)] : kLineEnds[end(random) % 2];
  }
  return text;
}

bool Same(const char* a, const char* b) {
  return IniDocument::Parse(std::string("[") + a + "]").HasSection(b);
}

// Every value a reader can ask for, in a fixed order.
std::vector<std::optional<std::string>> AllValues(const IniDocument& doc) {
  std::vector<std::optional<std::string>> values;
  for (const char* section : kSections) {
    for (const char* key : kKeys) values.push_back(doc.GetString(section, key));
  }
  return values;
}

void ExpectOnlyChanged(const IniDocument& before, const IniDocument& after, const char* section,
                       const char* key, const std::string& text) {
  const auto old = AllValues(before);
  const auto now = AllValues(after);
  std::size_t i = 0;
  for (const char* s : kSections) {
    for (const char* k : kKeys) {
      const bool named = Same(s, section) && (key == nullptr || Same(k, key));
      if (!named) {
        EXPECT_EQ(old[i], now[i]) << "[" << s << "] " << k << " in\n" << text;
      }
      ++i;
    }
  }
  // What the file holds afterwards reads exactly as the document in memory.
  EXPECT_EQ(AllValues(IniDocument::Parse(after.Serialize())), now) << text;
}

TEST(IniDocumentRandom, WritesChangeOnlyWhatTheyName) {
  std::mt19937 random(20261207);
  std::uniform_int_distribution<std::size_t> pick(0, 3);
  for (int round = 0; round < 1500; ++round) {
    const std::string text = RandomFile(random);
    const IniDocument original = IniDocument::Parse(text);
    ASSERT_EQ(original.Serialize(), text);
    const char* section = kSections[pick(random)];
    const char* key = kKeys[pick(random)];

    IniDocument written = original;
    const std::string value = kValues[pick(random)];
    written.SetString(section, key, value);
    EXPECT_EQ(written.GetString(section, key), value) << text;
    ExpectOnlyChanged(original, written, section, key, text);

    IniDocument deleted = original;
    deleted.DeleteKey(section, key);
    EXPECT_EQ(deleted.GetString(section, key), std::nullopt) << text;
    ExpectOnlyChanged(original, deleted, section, key, text);

    IniDocument removed = original;
    removed.DeleteSection(section);
    EXPECT_FALSE(removed.HasSection(section)) << text;
    ExpectOnlyChanged(original, removed, section, nullptr, text);
  }
}

}  // namespace
}  // namespace karvo::settings
