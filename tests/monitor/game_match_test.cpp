#include "monitor/game_match.h"

#include <gtest/gtest.h>

#include <memory>

namespace karvo::monitor {
namespace {

class GameMatchTest : public ::testing::Test {
 protected:
  std::unique_ptr<settings::SettingsImage> image = std::make_unique<settings::SettingsImage>();
  void SetUp() override { std::memset(image.get(), 0, sizeof *image); }
  void Game(int slot, const char* path) {
    settings::SetFieldText(image->Profiles[slot].GameFile, path);
  }
};

TEST_F(GameMatchTest, FileNameAndExtensionMatchIgnoringCaseAndDirectory) {
  Game(2, "C:\\Games\\Foo.EXE");
  EXPECT_EQ(MatchGameSlot(*image, "foo.exe"), 2);
  EXPECT_EQ(MatchGameSlot(*image, "FOO.exe"), 2);
  EXPECT_EQ(MatchGameSlot(*image, "foo.ex"), std::nullopt);
  EXPECT_EQ(MatchGameSlot(*image, "foo"), std::nullopt);
  EXPECT_EQ(MatchGameSlot(*image, "Games\\Foo.EXE"), std::nullopt);
}

TEST_F(GameMatchTest, LowestSlotWins) {
  Game(3, "D:/other/bar.exe");
  Game(1, "  C:\\x\\bar.exe\t");
  Game(4, "bar.exe");
  EXPECT_EQ(MatchGameSlot(*image, "bar.exe"), 1);
}

TEST_F(GameMatchTest, BlankOrEmptyGameFilesNeverMatch) {
  Game(0, "   ");
  Game(1, "");
  Game(2, "C:\\Games\\");
  EXPECT_EQ(MatchGameSlot(*image, ""), std::nullopt);
  EXPECT_EQ(MatchGameSlot(*image, " "), std::nullopt);
}

TEST_F(GameMatchTest, DisplayProgramInFrontNeverChangesTheProfile) {
  Game(0, "C:\\Suite\\KARVO Gaming Mouse OSD.exe");
  EXPECT_EQ(MatchGameSlot(*image, "karvo gaming mouse osd.EXE"), std::nullopt);
}

TEST_F(GameMatchTest, UnterminatedGameFileIsReadOnlyWithinItsField) {
  std::memset(image->Profiles[0].GameFile, 'a', sizeof image->Profiles[0].GameFile);
  std::string full(sizeof image->Profiles[0].GameFile, 'a');
  EXPECT_EQ(MatchGameSlot(*image, full), 0);
  EXPECT_EQ(MatchGameSlot(*image, full + "a"), std::nullopt);
}

TEST(GameFileNameTest, DropsDriveDirectoryAndBlanks) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\Games\\Foo.EXE", "Foo.EXE"},
      {"C:foo.exe", "foo.exe"},
      {" a/b/c.exe ", "c.exe"},
      {"\tplain.exe\r\n", "plain.exe"},
      {"   ", ""},
      {"dir\\", ""},
  };
  for (auto [value, expected] : cases) EXPECT_EQ(GameFileName(value), expected) << value;
}

}  // namespace
}  // namespace karvo::monitor
