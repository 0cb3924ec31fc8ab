#include "settings/ini_document.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace karvo::settings {
namespace {

using namespace std::string_literals;

struct ReadCase {
  const char* name;
  std::string text;
  const char* section;
  const char* key;
  std::optional<std::string> expected;
};

TEST(IniDocumentRead, FindsValuesAsTheProfileFunctionsDo) {
  const std::vector<ReadCase> cases = {
      {"plain", "[s]\r\nk=v\r\n", "s", "k", "v"},
      {"section case", "[Setting]\r\nk=v\r\n", "SETTING", "k", "v"},
      {"key case", "[s]\r\nCurrentProfile=2\r\n", "s", "currentprofile", "2"},
      {"names trimmed", "  [ s ]  \r\n  k  =  v w  \r\n", "s", "k", "v w"},
      {"query trimmed", "[s]\r\nk=v\r\n", " s ", " k ", "v"},
      {"tabs trimmed", "[s]\r\n\tk\t=\tv\t\r\n", "s", "k", "v"},
      {"double quotes", "[s]\r\nk=\"a b\"\r\n", "s", "k", "a b"},
      {"single quotes", "[s]\r\nk='a b'\r\n", "s", "k", "a b"},
      {"empty quotes", "[s]\r\nk=\"\"\r\n", "s", "k", ""},
      {"mismatched quotes kept", "[s]\r\nk=\"a'\r\n", "s", "k", "\"a'"},
      {"lone quote kept", "[s]\r\nk=\"\r\n", "s", "k", "\""},
      {"only outer quotes", "[s]\r\nk=\"\"a\"\"\r\n", "s", "k", "\"a\""},
      {"equals in value", "[s]\r\nk=a=b\r\n", "s", "k", "a=b"},
      {"empty value", "[s]\r\nk=\r\n", "s", "k", ""},
      {"first key wins", "[s]\r\nk=1\r\nK=2\r\n", "s", "k", "1"},
      {"first section wins", "[s]\r\nk=1\r\n[S]\r\nk=2\r\n", "s", "k", "1"},
      {"only the first section is searched", "[s]\r\na=1\r\n[s]\r\nk=2\r\n", "s", "k",
       std::nullopt},
      {"key of another section", "[a]\r\nk=1\r\n[b]\r\nj=2\r\n", "b", "k", std::nullopt},
      {"key before any section", "k=1\r\n[s]\r\n", "s", "k", std::nullopt},
      {"line without equals", "[s]\r\nk\r\n", "s", "k", std::nullopt},
      {"comment", "[s]\r\n;k=1\r\n", "s", ";k", std::nullopt},
      {"missing section", "[s]\r\nk=1\r\n", "t", "k", std::nullopt},
      {"unterminated header is not a section", "[s\r\nk=1\r\n", "s", "k", std::nullopt},
      {"header up to the last bracket", "[a]b]\r\nk=1\r\n", "a]b", "k", "1"},
      {"LF line ends", "[s]\nk=v\n", "s", "k", "v"},
      {"no final line end", "[s]\r\nk=v", "s", "k", "v"},
      {"UTF-8 mark before the first section", "\xEF\xBB\xBF[s]\r\nk=v\r\n", "s", "k", "v"},
      {"NUL ends the value", "[s]\r\nk=ab\0cd\r\n"s, "s", "k", "ab"},
      {"empty file", "", "s", "k", std::nullopt},
  };
  for (const ReadCase& c : cases) {
    const IniDocument doc = IniDocument::Parse(c.text);
    EXPECT_EQ(doc.GetString(c.section, c.key), c.expected) << c.name;
  }
}

TEST(IniDocumentRead, IntegersWrapAndStopAtTheFirstNonDigit) {
  struct IntCase {
    const char* value;
    int defaultValue;
    int expected;
  };
  const std::vector<IntCase> cases = {
      {"-1", 7, -1},
      {"1", 7, 1},
      {"+1", 7, 1},
      {"4294967296", 7, 0},
      {"4294967297", 7, 1},
      {"-4294967297", 7, -1},
      {"2147483648", 7, INT_MIN},
      {"42A94967297", 7, 42},
      {"B4294967297", 7, 0},
      {"0x10", 7, 0},
      {"12 34", 7, 12},
      {"\"25\"", 7, 25},
      {"-", 7, 0},
      {"", 7, 7},
      {"007", 7, 7},
  };
  for (const IntCase& c : cases) {
    const IniDocument doc = IniDocument::Parse("[s]\r\nk=" + std::string(c.value) + "\r\n");
    EXPECT_EQ(doc.GetInt("s", "k", c.defaultValue), c.expected) << c.value;
  }
  EXPECT_EQ(IniDocument().GetInt("s", "k", -1), -1);
}

TEST(IniStruct, EncodesUppercasePairsAndAdditiveChecksum) {
  const std::array<std::uint8_t, 4> bytes = {0x01, 0xAB, 0xFF, 0x10};
  EXPECT_EQ(EncodeStruct(bytes.data(), bytes.size()), "01ABFF10BB");
  EXPECT_EQ(EncodeStruct(nullptr, 0), "00");
}

TEST(IniStruct, DecodeRejectsEveryDamageAndLeavesTheTargetAlone) {
  struct DecodeCase {
    const char* text;
    bool ok;
  };
  const std::vector<DecodeCase> cases = {
      {"01ABFF10BB", true},  {"01abff10bb", true},   {"01ABFF10BC", false},
      {"01ABFF10B", false},  {"01ABFF10BB0", false}, {"01ABFF10BBBB", false},
      {"01ABFG10BB", false}, {"01AB FF10BB", false}, {"01ABZZ10BB", false},
      {"", false},           {"01ABFF10", false},    {"-1ABFF10BB", false},
  };
  for (const DecodeCase& c : cases) {
    std::array<std::uint8_t, 4> out = {9, 9, 9, 9};
    EXPECT_EQ(DecodeStruct(c.text, out.data(), out.size()), c.ok) << c.text;
    const std::array<std::uint8_t, 4> expected =
        c.ok ? std::array<std::uint8_t, 4>{0x01, 0xAB, 0xFF, 0x10}
             : std::array<std::uint8_t, 4>{9, 9, 9, 9};
    EXPECT_EQ(out, expected) << c.text;
  }
}

TEST(IniStruct, RoundTripsEverySizeThroughTheDocument) {
  IniDocument doc;
  for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{344}, std::size_t{2320}}) {
    std::vector<std::uint8_t> data(size);
    for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<std::uint8_t>(i * 7 + size);
    const std::string key = "r" + std::to_string(size);
    doc.SetStruct("s", key, data.data(), size);
    std::vector<std::uint8_t> back(size + 1, 0xEE);
    ASSERT_TRUE(doc.GetStruct("s", key, back.data(), size)) << size;
    EXPECT_TRUE(std::equal(data.begin(), data.end(), back.begin())) << size;
    EXPECT_EQ(back[size], 0xEE) << "wrote past the record of " << size;
    // The exact size is required: one byte more or less is rejected.
    std::vector<std::uint8_t> other(size + 2);
    EXPECT_FALSE(doc.GetStruct("s", key, other.data(), size + 1)) << size;
    if (size > 0) {
      EXPECT_FALSE(doc.GetStruct("s", key, other.data(), size - 1)) << size;
    }
  }
  std::uint8_t byte = 0;
  EXPECT_FALSE(doc.GetStruct("s", "missing", &byte, 1));
}

TEST(IniDocumentWrite, WritesToANewFileAsTheProfileFunctionsDo) {
  IniDocument doc;
  doc.SetString("Setting", "ProFileName", "Default1");
  doc.SetInt("Setting", "CurrentProfile", -3);
  doc.SetString("FileName", "Profile0", "a b ");
  doc.SetInt("Setting", "Device", 1);
  doc.SetString("setting", "currentprofile", "2");
  EXPECT_EQ(doc.Serialize(),
            "[Setting]\r\nProFileName=Default1\r\nCurrentProfile=2\r\nDevice=1\r\n"
            "[FileName]\r\nProfile0=a b \r\n");
}

TEST(IniDocumentWrite, KeepsEveryLineThatAWriteDoesNotTouch) {
  const std::string handEdited =
      "; settings of the suite\n"
      "[Setting]   ; main\n"
      "  CurrentProfile = 1  \n"
      "Device=0\r\n"
      "\r\n"
      "[Other]\n"
      "x = \"quoted\"\n"
      "odd line\n";
  IniDocument doc = IniDocument::Parse(handEdited);
  EXPECT_EQ(doc.Serialize(), handEdited);

  doc.SetInt("SETTING", "currentprofile", 4);
  doc.SetInt("Setting", "FWVersion", 102);
  doc.SetString("New", "k", "v");
  EXPECT_EQ(doc.Serialize(),
            "; settings of the suite\n"
            "[Setting]   ; main\n"
            "CurrentProfile=4\n"
            "Device=0\r\n"
            "FWVersion=102\r\n"
            "\r\n"
            "[Other]\n"
            "x = \"quoted\"\n"
            "odd line\n"
            "[New]\r\n"
            "k=v\r\n");
}

TEST(IniDocumentWrite, ParseAndSerializeAreExactInverses) {
  const std::vector<std::string> texts = {
      "",
      "\r\n",
      "[s]",
      "[s]\r\nk=v",
      "a\rb\r\n\n\r\n",
      "\xEF\xBB\xBF[s]\nk=v\n",
      "x\0y\n[s]\r\n"s,
      "[s]\r\n\r\n\r\n[t]\r\n",
  };
  for (const std::string& text : texts) {
    EXPECT_EQ(IniDocument::Parse(text).Serialize(), text);
  }
}

TEST(IniDocumentWrite, AppendsAfterALastLineWithoutEnd) {
  IniDocument doc = IniDocument::Parse("[s]\r\na=1");
  doc.SetString("s", "b", "2");
  doc.SetString("t", "c", "3");
  EXPECT_EQ(doc.Serialize(), "[s]\r\na=1\r\nb=2\r\n[t]\r\nc=3\r\n");

  IniDocument headerOnly = IniDocument::Parse("[s]");
  headerOnly.SetString("s", "a", "1");
  EXPECT_EQ(headerOnly.Serialize(), "[s]\r\na=1\r\n");
}

TEST(IniDocumentWrite, ValuesCannotInjectLinesAndBadNamesChangeNothing) {
  IniDocument doc = IniDocument::Parse("[OSDData]\r\nMessage=old\r\n");
  doc.SetString("OSDData", "Message", "new\r\n[Setting]\r\nCurrentProfile=9");
  doc.SetString("OSDData", "Other", "x\ny");
  doc.SetString("OSDData", "Nul", "a\0b"s);
  EXPECT_EQ(doc.Serialize(), "[OSDData]\r\nMessage=new\r\nOther=x\r\nNul=a\r\n");
  EXPECT_FALSE(doc.HasSection("Setting"));

  const std::string before = doc.Serialize();
  doc.SetString("", "k", "v");
  doc.SetString("s", "", "v");
  doc.SetString("s", "a=b", "v");
  doc.SetString("s", ";k", "v");
  doc.SetString("s", "[k", "v");
  doc.SetString("a]b", "k", "v");
  doc.SetString("a\nb", "k", "v");
  doc.SetString("s", "k\r\nx", "v");
  EXPECT_EQ(doc.Serialize(), before);
}

TEST(IniDocumentWrite, DeletesKeysAndSections) {
  IniDocument doc = IniDocument::Parse(
      "[a]\r\nk=1\r\nj=2\r\nK=3\r\n[b]\r\nk=4\r\n; note\r\n[A]\r\nk=5\r\n[c]\r\nk=6\r\n");
  doc.DeleteKey("A", "K");
  EXPECT_EQ(doc.GetString("a", "k"), std::nullopt);
  EXPECT_EQ(doc.GetString("a", "j"), "2");
  EXPECT_EQ(doc.GetString("b", "k"), "4");

  doc.DeleteKey("missing", "k");
  doc.DeleteKey("a", "missing");
  doc.DeleteSection("missing");
  doc.DeleteSection(" b ");
  EXPECT_EQ(doc.Serialize(), "[a]\r\nj=2\r\n[A]\r\nk=5\r\n[c]\r\nk=6\r\n");

  // A deleted section must not reappear through a second copy of it.
  doc.DeleteSection("a");
  EXPECT_FALSE(doc.HasSection("a"));
  EXPECT_EQ(doc.Serialize(), "[c]\r\nk=6\r\n");
}

TEST(IniDocumentWrite, LaterReadsSeeEarlierWrites) {
  IniDocument doc = IniDocument::Parse("[s]\r\nk=1\r\n");
  doc.SetString("s", "k", "  \"spaced\"  ");
  EXPECT_EQ(doc.GetString("s", "k"), "spaced");
  doc.SetInt("s", "k", INT_MIN);
  EXPECT_EQ(doc.GetInt("s", "k", 0), INT_MIN);
  doc.DeleteKey("s", "k");
  doc.SetInt("s", "k", 5);
  EXPECT_EQ(doc.GetInt("s", "k", 0), 5);
}

}  // namespace
}  // namespace karvo::settings
