#include "configurator/profile_commands.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "settings/memory_file_store.h"
#include "settings/profile_files.h"
#include "tests/settings/fake_registry.h"

namespace karvo::configurator {
namespace {

using settings::ProfileSettings;
using settings::SettingsImage;

constexpr char kDir[] = "C:\\Karvo\\";
constexpr char kConfig[] = "C:\\Karvo\\config.ini";

class ProfileCommandsTest : public ::testing::Test {
 protected:
  ProfileCommandsTest() {
    settings::ResetImage(m_image.get());
    for (int slot = 0; slot < 5; ++slot)
      settings::SetProfileDefaults(&m_image->Profiles[slot], slot);
    m_image->CurrentProfile = 2;
    // Settings that no default has, so a reset would show.
    ProfileSettings& p = m_image->Profiles[2];
    p.CpiSettingValue1 = 6;
    p.DpiStepOnOffFlag = 0x61;
    p.XSensitivity = 17;
    p.MacroKeys[4].FunctionCode = 16;
    p.MacroKeys[4].EventCount = 2;
    std::memcpy(p.MacroKeys[4].Data, "\x04\x01\x20\x00\x04\x02\x20\x00", 8);
    std::strcpy(p.MacroKeys[4].Name, "reload");
  }
  ProfileSettings& Current() { return m_image->Profiles[2]; }
  std::string FileText(const ProfileSettings& record) {
    settings::MemoryFileStore scratch;
    settings::SettingsFiles(scratch, m_registry, kDir).SaveProfileFile(&record, "x.kmp");
    return *scratch.Contents("x.kmp");
  }

  settings::MemoryFileStore m_store;
  settings::testing::FakeRegistry m_registry;
  ProfileCommands m_commands{m_store, m_registry, kDir};
  std::unique_ptr<SettingsImage> m_image = std::make_unique<SettingsImage>();
};

TEST_F(ProfileCommandsTest, CreateAndEditChangeOnlyTheNameAndTheGame) {
  const ProfileDialogFields edit = InitialProfileDialogFields(Current(), ProfileDialogMode::kEdit);
  EXPECT_EQ(edit.Name, "Default3");
  EXPECT_EQ(edit.GamePath, "");
  const ProfileDialogFields create =
      InitialProfileDialogFields(Current(), ProfileDialogMode::kCreate);
  EXPECT_EQ(create.Name, "");

  auto expected = std::make_unique<ProfileSettings>(Current());
  settings::SetFieldText(expected->ProFileName, "Sniper");
  settings::SetFieldText(expected->GameFile, "C:\\Games\\cs.exe");
  EXPECT_EQ(m_commands.ApplyProfileDialog(*m_image, {"Sniper", "C:\\Games\\cs.exe"}),
            ProfileDialogOutcome::kApplied);
  EXPECT_EQ(std::memcmp(&Current(), expected.get(), sizeof *expected), 0);

  // A path the field cannot hold is refused whole, name included.
  const std::string fits(kGamePathMaxBytes, 'g');
  EXPECT_EQ(m_commands.ApplyProfileDialog(*m_image, {"Long", fits + "x"}),
            ProfileDialogOutcome::kGamePathTooLong);
  EXPECT_EQ(std::memcmp(&Current(), expected.get(), sizeof *expected), 0);
  EXPECT_EQ(m_commands.ApplyProfileDialog(*m_image, {"Long", fits}),
            ProfileDialogOutcome::kApplied);
  EXPECT_EQ(settings::FieldText(Current().GameFile), fits);
}

TEST_F(ProfileCommandsTest, LoadFromAnotherFolderCopiesItInAndFlagsTheWholeSlot) {
  auto fps = std::make_unique<ProfileSettings>(m_image->Profiles[0]);
  settings::SetFieldText(fps->ProFileName, "FPS");
  fps->CpiSettingValue3 = 1;
  const std::string text = FileText(*fps);
  m_store.SetFile("D:\\Downloads\\fps.kmp", text);
  m_store.SetFile("C:\\Karvo\\fps.kmp", "[Setting]\r\nProFileName=Older\r\n");

  ASSERT_TRUE(m_commands.LoadProfile(*m_image, "D:\\Downloads\\fps.kmp"));
  EXPECT_EQ(m_store.Contents("C:\\Karvo\\fps.kmp"), text);
  EXPECT_STREQ(Current().ProFileName, "FPS");
  EXPECT_EQ(Current().CpiSettingValue3, 1);

  auto flags = std::make_unique<SettingsImage>();
  std::memset(flags.get(), 0, sizeof *flags);
  for (int n = 0; n < 14; ++n) flags->ButtonChanged[2][n] = 1;
  flags->SensorChanged[2] = 1;
  flags->ProfileLoadFlagA[2] = 1;
  flags->ProfileLoadFlagB[2] = 1;
  const std::size_t tail = offsetof(SettingsImage, ButtonChanged);
  EXPECT_EQ(std::memcmp(reinterpret_cast<char*>(m_image.get()) + tail,
                        reinterpret_cast<char*>(flags.get()) + tail, sizeof *flags - tail),
            0)
      << "exactly the slot's button, sensor and load flags";
}

TEST_F(ProfileCommandsTest, LoadTakesTheChosenFileEvenWhenItsCopyFailsAndNothingWhenUnreadable) {
  auto fps = std::make_unique<ProfileSettings>(m_image->Profiles[0]);
  settings::SetFieldText(fps->ProFileName, "Chosen");
  m_store.SetFile("D:\\fps.kmp", FileText(*fps));
  m_store.SetFile("C:\\Karvo\\fps.kmp", "[Setting]\r\nProFileName=Older\r\n");
  m_store.SetWritesFail(true);
  ASSERT_TRUE(m_commands.LoadProfile(*m_image, "D:\\fps.kmp"));
  EXPECT_STREQ(Current().ProFileName, "Chosen");

  m_store.SetWritesFail(false);
  const auto before = std::make_unique<SettingsImage>(*m_image);
  m_store.SetUnreadable("D:\\fps.kmp", true);
  EXPECT_FALSE(m_commands.LoadProfile(*m_image, "D:\\fps.kmp"));
  EXPECT_FALSE(m_commands.LoadProfile(*m_image, "D:\\missing.kmp"));
  m_image->CurrentProfile = 5;
  m_store.SetUnreadable("D:\\fps.kmp", false);
  EXPECT_FALSE(m_commands.LoadProfile(*m_image, "D:\\fps.kmp"));
  m_image->CurrentProfile = 2;
  EXPECT_EQ(std::memcmp(m_image.get(), before.get(), sizeof *before), 0);
}

TEST_F(ProfileCommandsTest, SaveReplacesTheFileWholeAndRecordsItsTitle) {
  m_store.SetFile("E:\\mine\\sniper.kmp",
                  "[Setting]\r\nStale=1\r\nProFileName=Old\r\n[Other]\r\nKeep=no\r\n");
  ASSERT_TRUE(m_commands.SaveProfile(*m_image, "E:\\mine\\sniper.kmp"));
  const std::string expected = FileText(Current());
  EXPECT_EQ(m_store.Contents("E:\\mine\\sniper.kmp"), expected) << "no key of the old file";
  EXPECT_EQ(m_store.Contents("C:\\Karvo\\config\\sniper.kmp"), expected);
  EXPECT_EQ(settings::LoadIni(m_store, kConfig).GetString("FileName", "Profile3"), "sniper");

  // A save that cannot be written records nothing.
  m_store.SetWritesFail(true);
  EXPECT_FALSE(m_commands.SaveProfile(*m_image, "E:\\mine\\other.kmp"));
  m_store.SetWritesFail(false);
  EXPECT_EQ(m_store.Contents("C:\\Karvo\\config\\other.kmp"), std::nullopt);
  EXPECT_EQ(settings::LoadIni(m_store, kConfig).GetString("FileName", "Profile3"), "sniper");

  EXPECT_EQ(FileTitle("C:\\a.b\\my.profile.kmp"), "my.profile");
  EXPECT_EQ(FileTitle("noext"), "noext");
}

}  // namespace
}  // namespace karvo::configurator
