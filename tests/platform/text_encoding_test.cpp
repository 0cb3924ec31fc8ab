// The portable text conversions: Windows-1252 byte for byte, and UTF-8 as the Unicode standard
// asks for ill-formed input (Table 3-8, "U+FFFD for each maximal subpart").
#include "platform/text_encoding.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace karvo::platform {
namespace {

TEST(Windows1252, EveryByteDecodesToOneCharacterAndEncodesBackToItself) {
  for (int byte = 0; byte < 256; ++byte) {
    const std::string one(1, static_cast<char>(byte));
    const std::u16string decoded = DecodeWindows1252(one);
    ASSERT_EQ(decoded.size(), 1u) << byte;
    EXPECT_EQ(EncodeWindows1252(decoded), one) << byte;
  }
  // Where Windows-1252 differs from Latin-1: the euro sign, the trade mark, the Y diaeresis.
  EXPECT_EQ(DecodeWindows1252("\x80\x99\x9F\xC4"), u"\u20AC\u2122\u0178\u00C4");
}

TEST(Windows1252, CharactersItLacksBecomeOneQuestionMarkEach) {
  EXPECT_EQ(EncodeWindows1252(u"a\u4E2D\u6587b"), "a??b");
  EXPECT_EQ(EncodeWindows1252(u"\U0001F600!"), "?!");
  EXPECT_EQ(EncodeWindows1252(u"\xD800x"), "?x");
}

TEST(Utf8, IllFormedInputGivesOneReplacementPerMaximalSubpart) {
  const struct {
    const char* bytes;
    std::u16string text;
  } cases[] = {
      // The standard's own example of Table 3-8.
      {"\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64",
       u"a\uFFFD\uFFFD\uFFFDb\uFFFDc\uFFFD\uFFFDd"},
      {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong '/'
      {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},            // overlong, three bytes
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // a surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
      {"\xE2\x82", u"\uFFFD"},                            // cut short at the end
      {"\xE2\x82"
       "A",
       u"\uFFFDA"},  // cut short by an ASCII byte
      {"\xFE\xFF", u"\uFFFD\uFFFD"},
      {"\xE2\x82\xAC \xF0\x9F\x98\x80", u"\u20AC \U0001F600"},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeUtf8(c.bytes), c.text) << c.bytes;
}

TEST(Utf8, EveryScalarValueRoundTripsAndLoneSurrogatesAreReplaced) {
  for (std::uint32_t code = 0; code <= 0x10FFFF; ++code) {
    if (code >= 0xD800 && code <= 0xDFFF) continue;
    std::u16string text;
    if (code < 0x10000) {
      text.push_back(static_cast<char16_t>(code));
    } else {
      text.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
      text.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
    }
    const std::string bytes = EncodeUtf8(text);
    const std::size_t expectedLength = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
    ASSERT_EQ(bytes.size(), expectedLength) << std::hex << code;
    ASSERT_EQ(DecodeUtf8(bytes), text) << std::hex << code;
  }
  EXPECT_EQ(EncodeUtf8(u"a\xDC00"
                       u"b\xD800"),
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD");
}

}  // namespace
}  // namespace karvo::platform

namespace karvo::platform {
namespace {

// A two-byte code page as the system counts it: ASCII one byte, other characters two, and a
// character beyond it (a surrogate pair) one '?'.
std::size_t DoubleByteSize(std::u16string_view text) {
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size();
    bytes += text[i] < 0x80 || pair ? 1 : 2;
    if (pair) ++i;
  }
  return bytes;
}

std::size_t Utf8Size(std::u16string_view text) { return EncodeUtf8(text).size(); }

TEST(UnitsFittingIn, CutsAtWholeCharactersOnly) {
  struct Case {
    std::u16string text;
    std::size_t maxBytes;
    std::size_t (*size)(std::u16string_view);
    std::size_t units;
  };
  const Case cases[] = {
      {u"mail", 99, &DoubleByteSize, 4},          {u"", 0, &DoubleByteSize, 0},
      {u"ab\u65E5\u672C", 3, &DoubleByteSize, 2},  // the third byte would be half of U+65E5
      {u"ab\u65E5\u672C", 4, &DoubleByteSize, 3}, {u"\u65E5\u65E5\u65E5", 5, &DoubleByteSize, 2},
      {u"a\U0001F600b", 2, &DoubleByteSize, 3},  // the pair is one '?'
      {u"a\U0001F600b", 4, &Utf8Size, 1},        // never half of the pair
      {u"a\U0001F600b", 5, &Utf8Size, 3},         {u"\u00E4\u00E4", 3, &Utf8Size, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UnitsFittingIn(c.text, c.maxBytes, c.size), c.units)
        << c.text.size() << " units within " << c.maxBytes;
  }
}

}  // namespace
}  // namespace karvo::platform
