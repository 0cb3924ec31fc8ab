#include "osd/notice_text.h"

#include <gtest/gtest.h>

#include "osd/appearance.h"
#include "settings/ini_document.h"
#include "settings/memory_file_store.h"

namespace karvo::osd {
namespace {

constexpr const char* kDir = "C:\\Karvo\\";
constexpr const char* kConfig = "C:\\Karvo\\config.ini";

class IniNoticeSourceTest : public ::testing::Test {
 protected:
  settings::MemoryFileStore store;
  IniNoticeSource source{store, kDir};
};

TEST_F(IniNoticeSourceTest, ReadsEachTextFromItsFile) {
  store.SetFile("C:\\Karvo\\config\\Default2.kmp", "[Setting]\r\nProFileName=Racing\r\n");
  store.SetFile(kConfig,
                "[OSDData]\r\nMessage=CPU: 42%\r\n[MacroOSD]\r\nNumber=12\r\nMacroName=Combo\r\n");
  EXPECT_EQ(source.ProfileName(2), "Racing");
  EXPECT_EQ(source.Message(), "CPU: 42%");
  MacroNotice macro = source.Macro();
  EXPECT_EQ(macro.number, 12);
  EXPECT_EQ(macro.name, "Combo");
}

TEST_F(IniNoticeSourceTest, ReadsAtRequestTimeNotOnce) {
  store.SetFile(kConfig, "[OSDData]\r\nMessage=first\r\n");
  EXPECT_EQ(source.Message(), "first");
  store.SetFile(kConfig, "[OSDData]\r\nMessage=second\r\n");
  EXPECT_EQ(source.Message(), "second");
}

TEST_F(IniNoticeSourceTest, MissingFilesSectionsAndKeysGiveDefaults) {
  EXPECT_EQ(source.ProfileName(0), "");
  EXPECT_EQ(source.Message(), "");
  EXPECT_EQ(source.Macro().number, 0);
  EXPECT_EQ(source.Macro().name, "");
  EXPECT_FALSE(source.NotificationRecord());

  store.SetFile(kConfig, "[Other]\r\nMessage=no\r\n");
  store.SetFile("C:\\Karvo\\config\\Default1.kmp", "[Setting]\r\nName=no\r\n");
  EXPECT_EQ(source.Message(), "");
  EXPECT_EQ(source.ProfileName(1), "");
}

TEST_F(IniNoticeSourceTest, TextsAreCutToTheirFields) {
  const std::string longName(1000, 'n');
  store.SetFile("C:\\Karvo\\config\\Default0.kmp", "[Setting]\r\nProFileName=" + longName + "\r\n");
  store.SetFile(kConfig, "[OSDData]\r\nMessage=" + std::string(500, 'm') +
                             "\r\n[MacroOSD]\r\nMacroName=" + std::string(300, 'k') + "\r\n");
  EXPECT_EQ(source.ProfileName(0), std::string(259, 'n'));
  EXPECT_EQ(source.Message(), std::string(99, 'm'));
  EXPECT_EQ(source.Macro().name, std::string(99, 'k'));
}

TEST_F(IniNoticeSourceTest, NotificationRecordOnlyWhenIntact) {
  settings::OSDSetting written{};
  written.OsdColor = 4;
  written.OsdTransparency = 9;
  settings::IniDocument doc;
  doc.SetStruct("OSDSetting", "config", &written, sizeof written);
  store.SetFile(kConfig, doc.Serialize());
  auto record = source.NotificationRecord();
  ASSERT_TRUE(record);
  EXPECT_EQ(record->OsdColor, 4);
  EXPECT_EQ(record->OsdTransparency, 9);

  std::string value = settings::EncodeStruct(&written, sizeof written);
  for (std::string bad :
       {value.substr(2), value.substr(0, value.size() - 2) + "00", value + "00"}) {
    store.SetFile(kConfig, "[OSDSetting]\r\nconfig=" + bad + "\r\n");
    EXPECT_FALSE(source.NotificationRecord()) << bad.size();
  }
}

TEST(NoticeText, BoundedFieldStopsAtTerminatorAndSize) {
  using namespace std::string_literals;
  EXPECT_EQ(BoundedField("abc", 4), "abc");
  EXPECT_EQ(BoundedField("abcd", 4), "abc");
  EXPECT_EQ(BoundedField("ab\0cd"s, 10), "ab");
  EXPECT_EQ(BoundedField("abc", 1), "");
  EXPECT_EQ(BoundedField("abc", 0), "");
}

TEST(NoticeText, Windows1252DecodesToTheSameCharactersOnAnySystem) {
  struct Case {
    const char* bytes;
    std::u16string text;
  };
  const Case cases[] = {
      {"Profile 1 : Abc", u"Profile 1 : Abc"},
      {"\xC4nderung \xFC\xDF", u"\u00C4nderung \u00FC\u00DF"},
      {"\x80 \x8A \x9F \x99", u"\u20AC \u0160 \u0178 \u2122"},
      {"\x81\x8D\x8F\x90\x9D", u"\u0081\u008D\u008F\u0090\u009D"},
      {"\xFF\xA0", u"\u00FF\u00A0"},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeWindows1252(c.bytes), c.text) << c.bytes;
}

TEST(Appearance, MessageTakesEachHalfOnlyInsideItsTable) {
  struct Case {
    std::uint32_t lParam;
    int colour, transparency;
  };
  const Case cases[] = {
      {(4u << 16) | 0u, 4, 0}, {(7u << 16) | 3u, 0, 3}, {(6u << 16) | 10u, 6, 5},
      {0xFFFFFFFFu, 0, 5},     {(2u << 16) | 9u, 2, 9}, {(0x10004u << 16) | 1u, 4, 1},
  };
  for (const Case& c : cases) {
    Appearance appearance;
    appearance.ApplyMessage(c.lParam);
    EXPECT_EQ(appearance.Colour(), c.colour) << std::hex << c.lParam;
    EXPECT_EQ(appearance.Transparency(), c.transparency) << std::hex << c.lParam;
  }
}

TEST(Appearance, RecordOutOfRangeKeepsTheCurrentIndexes) {
  Appearance appearance;
  settings::OSDSetting record{};
  record.OsdColor = 6;
  record.OsdTransparency = 0;
  appearance.ApplyRecord(record);
  EXPECT_EQ(appearance.Colour(), 6);
  EXPECT_EQ(appearance.Alpha(), 255);
  record.OsdColor = -1;
  record.OsdTransparency = 10;
  appearance.ApplyRecord(record);
  EXPECT_EQ(appearance.Colour(), 6);
  EXPECT_EQ(appearance.Transparency(), 0);
}

TEST(Appearance, TablesForTheSchemesAndAlphas) {
  Appearance appearance;
  EXPECT_EQ(appearance.Scheme().background, (Rgb{255, 0, 0}));
  EXPECT_EQ(appearance.Alpha(), 125);
  appearance.SetColour(2);
  EXPECT_EQ(appearance.Scheme().background, (Rgb{255, 255, 0}));
  EXPECT_EQ(appearance.Scheme().text, (Rgb{0, 255, 0}));
  appearance.SetColour(4);
  EXPECT_EQ(appearance.Scheme().background, (Rgb{29, 32, 136}));
  const int alphas[] = {255, 225, 200, 175, 150, 125, 100, 75, 50, 25};
  for (int i = 0; i < kTransparencyCount; ++i) {
    appearance.SetTransparency(i);
    EXPECT_EQ(appearance.Alpha(), alphas[i]);
  }
}

}  // namespace
}  // namespace karvo::osd
