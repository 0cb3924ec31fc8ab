#include "settings/profile_files.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <vector>

#include "settings/memory_file_store.h"
#include "tests/settings/fake_registry.h"

namespace karvo::settings {
namespace {

using testing::FakeRegistry;

constexpr char kDir[] = "C:\\Karvo\\";
constexpr char kConfig[] = "C:\\Karvo\\config.ini";

std::vector<std::string> KeysInOrder(const std::string& text) {
  std::vector<std::string> keys;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    std::size_t eq = line.find('=');
    if (eq != std::string::npos) keys.push_back(line.substr(0, eq));
  }
  return keys;
}

// Distinct values in every field a profile file carries.
void FillSavedFields(ProfileSettings* p, int seed) {
  SetFieldText(p->ProFileName, "Sniper " + std::to_string(seed));
  SetFieldText(p->GameFile, "C:\\Games\\game" + std::to_string(seed) + ".exe");
  std::int32_t* ints[] = {
      &p->MediaOption,       &p->HDDKeyboard,      &p->DbleClickSpeed,   &p->ScrollWheelSpeed,
      &p->ScrollWheelFlag,   &p->TiltWheelSpeed,   &p->MouseSpeed,       &p->XYSensitivityEnabled,
      &p->XSensitivity,      &p->YSensitivity,     &p->PollingRate,      &p->DpiStepOnOffFlag,
      &p->CurrentDpiDefault, &p->CpiSettingValue1, &p->CpiSettingValue2, &p->CpiSettingValue3};
  int v = seed * 100;
  for (std::int32_t* field : ints) *field = ++v;
  for (std::int32_t& flag : p->ModeSwitchFlag) flag = ++v;
  p->CpiSettingValue3 = -12345;  // out of range, still stored as read
  for (int n = 0; n < kButtonRecordCount; ++n) {
    MacroKeyInfo& key = p->MacroKeys[n];
    std::memset(&key, 0, sizeof key);
    key.Slot = static_cast<std::uint8_t>(n + seed);
    key.FunctionCode = 16;
    SetFieldText(key.Name, "Macro " + std::to_string(n));
    key.EventCount = 500;
    key.RepeatCount = seed;
    for (std::size_t i = 0; i < sizeof key.Data; ++i) {
      key.Data[i] = static_cast<std::uint8_t>(i * 7 + n);
    }
    SetFieldText(key.ProgramPath, "C:\\Tools\\t.exe");
  }
}

// Distinct values in every field the files do not carry.
void FillMemoryOnlyFields(ProfileSettings* p, int seed) {
  SetFieldText(p->PictureFile, "pic" + std::to_string(seed) + ".jpg");
  p->Acceleration = seed + 1;
  p->AccelerationFlag = seed + 2;
  p->MainSensitivity = seed + 3;
  p->SwapButtons = seed + 4;
  p->LevelSetting = seed + 5;
  p->LightMode = seed + 6;
  p->LightOn = seed + 7;
  p->ExtraParam0 = seed + 8;
  p->ExtraParam1 = seed + 9;
  p->ExtraParam2 = seed + 10;
  p->ExtraParam3 = seed + 11;
  p->ExtraParam4 = seed + 12;
}

void ExpectSavedFieldsEqual(const ProfileSettings& a, const ProfileSettings& b, int slot) {
  SCOPED_TRACE("slot " + std::to_string(slot));
  EXPECT_EQ(FieldText(a.ProFileName), FieldText(b.ProFileName));
  EXPECT_EQ(FieldText(a.GameFile), FieldText(b.GameFile));
  EXPECT_EQ(a.MediaOption, b.MediaOption);
  EXPECT_EQ(a.HDDKeyboard, b.HDDKeyboard);
  EXPECT_EQ(a.DbleClickSpeed, b.DbleClickSpeed);
  EXPECT_EQ(a.ScrollWheelSpeed, b.ScrollWheelSpeed);
  EXPECT_EQ(a.ScrollWheelFlag, b.ScrollWheelFlag);
  EXPECT_EQ(a.TiltWheelSpeed, b.TiltWheelSpeed);
  EXPECT_EQ(a.MouseSpeed, b.MouseSpeed);
  EXPECT_EQ(a.XYSensitivityEnabled, b.XYSensitivityEnabled);
  EXPECT_EQ(a.XSensitivity, b.XSensitivity);
  EXPECT_EQ(a.YSensitivity, b.YSensitivity);
  EXPECT_EQ(a.PollingRate, b.PollingRate);
  EXPECT_EQ(a.DpiStepOnOffFlag, b.DpiStepOnOffFlag);
  EXPECT_EQ(a.CurrentDpiDefault, b.CurrentDpiDefault);
  EXPECT_EQ(a.CpiSettingValue1, b.CpiSettingValue1);
  EXPECT_EQ(a.CpiSettingValue2, b.CpiSettingValue2);
  EXPECT_EQ(a.CpiSettingValue3, b.CpiSettingValue3);
  for (int n = 0; n < 7; ++n) EXPECT_EQ(a.ModeSwitchFlag[n], b.ModeSwitchFlag[n]) << n;
  for (int n = 0; n < kButtonRecordCount; ++n) {
    EXPECT_EQ(std::memcmp(&a.MacroKeys[n], &b.MacroKeys[n], sizeof(MacroKeyInfo)), 0) << n;
  }
}

void ExpectMemoryOnlyFields(const ProfileSettings& p, int seed) {
  EXPECT_EQ(FieldText(p.PictureFile), "pic" + std::to_string(seed) + ".jpg");
  const std::int32_t fields[] = {p.Acceleration, p.AccelerationFlag, p.MainSensitivity,
                                 p.SwapButtons,  p.LevelSetting,     p.LightMode,
                                 p.LightOn,      p.ExtraParam0,      p.ExtraParam1,
                                 p.ExtraParam2,  p.ExtraParam3,      p.ExtraParam4};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(fields[i], seed + 1 + i) << "field " << i;
}

class ProfileFilesTest : public ::testing::Test {
 protected:
  ProfileFilesTest()
      : m_files(m_store, m_registry, kDir),
        m_image(std::make_unique<SettingsImage>()),
        m_loaded(std::make_unique<SettingsImage>()) {}

  std::string File(const std::string& path) { return m_store.Contents(path).value_or(""); }

  MemoryFileStore m_store;
  FakeRegistry m_registry;
  SettingsFiles m_files;
  std::unique_ptr<SettingsImage> m_image;
  std::unique_ptr<SettingsImage> m_loaded;
};

TEST(ProgramDirectories, FromModulePathAndParent) {
  struct Case {
    const char* in;
    const char* dir;
  } modules[] = {{"C:\\Program Files\\KARVO\\Hidwatch.exe", "C:\\Program Files\\KARVO\\"},
                 {"C:\\a.exe", "C:\\"},
                 {"a.exe", ""},
                 {"", ""},
                 {"\\\\server\\share\\x\\y.exe", "\\\\server\\share\\x\\"}};
  for (const Case& c : modules) EXPECT_EQ(ProgramDirFromModulePath(c.in), c.dir) << c.in;
  Case parents[] = {{"C:\\Suite\\Applets\\", "C:\\Suite\\"},
                    {"C:\\Suite\\", "C:\\"},
                    {"C:\\", "C:\\"},
                    {"", ""},
                    {"Applets\\", "Applets\\"}};
  for (const Case& c : parents) EXPECT_EQ(ParentDirectory(c.in), c.dir) << c.in;
}

TEST_F(ProfileFilesTest, PathsBelowTheProgramDirectory) {
  EXPECT_EQ(m_files.ConfigPath(), kConfig);
  EXPECT_EQ(m_files.ProfilePath(0), "C:\\Karvo\\config\\Default0.kmp");
  EXPECT_EQ(m_files.ProfilePath(4), "C:\\Karvo\\config\\Default4.kmp");
  EXPECT_EQ(m_files.GetProgramDir(), kDir);
}

TEST_F(ProfileFilesTest, LoadWithoutFilesGivesDefaults) {
  ResetImage(m_image.get());
  EXPECT_EQ(m_files.LoadAll(m_image.get()), 1);
  EXPECT_EQ(m_image->CurrentProfile, -1);
  for (int slot = 0; slot < kProfileCount; ++slot) {
    EXPECT_EQ(FieldText(m_image->Profiles[slot].ProFileName), "Default" + std::to_string(slot + 1));
    EXPECT_EQ(m_image->Profiles[slot].MouseSpeed, 11);
    EXPECT_EQ(m_image->Profiles[slot].MacroKeys[7].FunctionCode, 31);
  }
  EXPECT_EQ(m_image->SysMouseSpeed, -1);  // no current profile: the header copy is skipped
}

TEST_F(ProfileFilesTest, SaveAllThenLoadAllRestoresEverySavedKey) {
  m_image->CurrentProfile = 3;
  for (int slot = 0; slot < kProfileCount; ++slot) {
    FillSavedFields(&m_image->Profiles[slot], slot + 1);
    FillMemoryOnlyFields(&m_image->Profiles[slot], slot);
    FillMemoryOnlyFields(&m_loaded->Profiles[slot], slot + 40);
  }
  ASSERT_EQ(m_files.SaveAll(m_image.get()), 1);
  ASSERT_EQ(m_files.LoadAll(m_loaded.get()), 1);

  EXPECT_EQ(m_loaded->CurrentProfile, 3);
  for (int slot = 0; slot < kProfileCount; ++slot) {
    ExpectSavedFieldsEqual(m_image->Profiles[slot], m_loaded->Profiles[slot], slot);
    ExpectMemoryOnlyFields(m_loaded->Profiles[slot], slot + 40);
  }
  EXPECT_EQ(m_loaded->SysDbleClickSpeed, m_image->Profiles[3].DbleClickSpeed);
  EXPECT_EQ(m_loaded->SysAcceleration, m_loaded->Profiles[3].Acceleration);
}

TEST_F(ProfileFilesTest, SaveAllParsesAndWritesEachFileOnce) {
  m_store.SetFile(kConfig, "[OSDData]\r\nMessage=hello\r\n");
  m_image->CurrentProfile = 0;
  for (int slot = 0; slot < kProfileCount; ++slot)
    SetProfileDefaults(&m_image->Profiles[slot], slot);
  ASSERT_EQ(m_files.SaveAll(m_image.get()), 1);
  EXPECT_EQ(m_store.WriteCount(kConfig), 1);
  EXPECT_LE(m_store.ReadCount(kConfig), 1);
  for (int slot = 0; slot < kProfileCount; ++slot) {
    EXPECT_EQ(m_store.WriteCount(m_files.ProfilePath(slot)), 1) << slot;
    EXPECT_LE(m_store.ReadCount(m_files.ProfilePath(slot)), 1) << slot;
  }
  // Sections of other programs survive.
  EXPECT_EQ(LoadIni(m_store, kConfig).GetString("OSDData", "Message"), "hello");
  EXPECT_EQ(LoadIni(m_store, kConfig).GetInt("Setting", "CurrentProfile", -1), 0);
  // The Windows mouse settings are written with the save.
  EXPECT_EQ(m_registry.Text("Control Panel\\Mouse", "MouseSensitivity"), "11");
}

TEST_F(ProfileFilesTest, ProfileFileKeyOrder) {
  SetProfileDefaults(&m_image->Profiles[0], 0);
  ASSERT_EQ(m_files.SaveProfileFile(&m_image->Profiles[0], "C:\\p.kmp"), 1);
  std::vector<std::string> expected = {
      "ProFileName",      "GameFile",         "PictureFile",       "DbleClickSpeed",
      "TiltWheelSpeed",   "ScrollWheelSpeed", "ScrollWheelFlag",   "MouseSpeed",
      "Acceleration",     "AccelerationFlag", "MainSensitivity",   "XYSensitivityEnabled",
      "XSensitivity",     "YSensitivity",     "MediaOption",       "HDDKeyboard",
      "PollingRate",      "DpiStepOnOffFlag", "CurrentDpiDefault", "CpiSettingValue1",
      "CpiSettingValue2", "CpiSettingValue3"};
  for (int n = 0; n < 7; ++n) expected.push_back("ModeSwitchFlag" + std::to_string(n));
  for (int n = 0; n < 14; ++n) expected.push_back("MacroKeyInfo" + std::to_string(n));
  std::string text = File("C:\\p.kmp");
  EXPECT_EQ(KeysInOrder(text), expected);
  EXPECT_EQ(text.rfind("[Setting]", 0), 0u);
  EXPECT_NE(text.find("DpiStepOnOffFlag=74"), std::string::npos);
  // A struct value: 2320 bytes as hex pairs plus the checksum pair.
  IniDocument doc = IniDocument::Parse(text);
  EXPECT_EQ(doc.GetString("Setting", "MacroKeyInfo0")->size(), 2 * 2320u + 2);
}

TEST_F(ProfileFilesTest, DamagedRecordLeavesEverythingElseLoaded) {
  ProfileSettings& saved = m_image->Profiles[0];
  FillSavedFields(&saved, 1);
  ASSERT_EQ(m_files.SaveProfileFile(&saved, m_files.ProfilePath(0)), 1);
  std::string text = File(m_files.ProfilePath(0));
  std::size_t at = text.find("MacroKeyInfo3=");
  ASSERT_NE(at, std::string::npos);
  char& digit = text[at + 14 + 10];
  digit = digit == '0' ? '1' : '0';
  m_store.SetFile(m_files.ProfilePath(0), text);

  ProfileSettings& loaded = m_loaded->Profiles[0];
  std::memset(&loaded.MacroKeys[3], 0xEE, sizeof(MacroKeyInfo));
  ASSERT_EQ(m_files.LoadProfileFile(&loaded, m_files.ProfilePath(0)), 1);
  for (int n = 0; n < kButtonRecordCount; ++n) {
    if (n == 3) continue;
    EXPECT_EQ(std::memcmp(&loaded.MacroKeys[n], &saved.MacroKeys[n], sizeof(MacroKeyInfo)), 0) << n;
  }
  // The rejected record is the slot's default record, never half-filled.
  MacroKeyInfo expected;
  std::memset(&expected, 0, sizeof expected);
  SetMacroKeyDefaults(&expected, 3);
  EXPECT_EQ(std::memcmp(&loaded.MacroKeys[3], &expected, sizeof expected), 0);
  EXPECT_EQ(loaded.MacroKeys[3].Slot, 3);
  EXPECT_EQ(loaded.MacroKeys[3].FunctionCode, 7);
  EXPECT_EQ(loaded.CpiSettingValue3, -12345);
  EXPECT_EQ(loaded.ModeSwitchFlag[6], saved.ModeSwitchFlag[6]);
  EXPECT_EQ(FieldText(loaded.ProFileName), "Sniper 1");
}

TEST_F(ProfileFilesTest, MissingAndOddKeysUseReadDefaults) {
  m_store.SetFile("C:\\odd.kmp",
                  "[Setting]\r\nProFileName=Only name\r\nMouseSpeed=abc\r\nPollingRate=99\r\n"
                  "MacroKeyInfo1=00\r\n");
  ProfileSettings& p = m_loaded->Profiles[0];
  FillMemoryOnlyFields(&p, 7);
  ASSERT_EQ(m_files.LoadProfileFile(&p, "C:\\odd.kmp"), 1);
  EXPECT_EQ(FieldText(p.ProFileName), "Only name");
  EXPECT_EQ(FieldText(p.GameFile), "");
  EXPECT_EQ(p.MouseSpeed, 0);
  EXPECT_EQ(p.PollingRate, 99);
  EXPECT_EQ(p.HDDKeyboard, -1);
  EXPECT_EQ(p.ModeSwitchFlag[0], -1);
  for (int n = 0; n < kButtonRecordCount; ++n) {
    EXPECT_EQ(p.MacroKeys[n].FunctionCode, kButtonRecordDefaults[n].FunctionCode) << n;
  }
  ExpectMemoryOnlyFields(p, 7);
}

TEST_F(ProfileFilesTest, LongTextsAreCutToTheirFields) {
  m_store.SetFile("C:\\long.kmp", "[Setting]\r\nProFileName=" + std::string(300, 'n') +
                                      "\r\nGameFile=" + std::string(3000, 'g') + "\r\n");
  ProfileSettings& p = m_loaded->Profiles[1];
  ASSERT_EQ(m_files.LoadProfileFile(&p, "C:\\long.kmp"), 1);
  EXPECT_EQ(FieldText(p.ProFileName), std::string(249, 'n'));
  EXPECT_EQ(FieldText(p.GameFile), std::string(499, 'g'));

  // Unterminated fields in memory are read only within their size.
  ProfileSettings& out = m_image->Profiles[1];
  SetProfileDefaults(&out, 1);
  std::memset(out.ProFileName, 'p', sizeof out.ProFileName);
  std::memset(out.GameFile, 'q', sizeof out.GameFile);
  std::memset(out.PictureFile, 'r', sizeof out.PictureFile);
  std::memset(out.MacroKeys[2].Name, 's', sizeof out.MacroKeys[2].Name);
  ASSERT_EQ(m_files.SaveProfileFile(&out, "C:\\out.kmp"), 1);
  IniDocument doc = LoadIni(m_store, "C:\\out.kmp");
  // Cut to what each field holds with its terminator, so the file and the
  // record that loads from it agree.
  EXPECT_EQ(doc.GetString("Setting", "ProFileName"), std::string(249, 'p'));
  EXPECT_EQ(doc.GetString("Setting", "GameFile"), std::string(499, 'q'));
  EXPECT_EQ(doc.GetString("Setting", "PictureFile"), std::string(501, 'r'));
  ASSERT_EQ(m_files.LoadProfileFile(&p, "C:\\out.kmp"), 1);
  EXPECT_EQ(FieldText(p.ProFileName), std::string(249, 'p'));
  EXPECT_EQ(FieldText(p.GameFile), std::string(499, 'q'));
  EXPECT_EQ(FieldText(p.MacroKeys[2].Name), std::string(49, 's'));
}

TEST_F(ProfileFilesTest, LineBreaksInTextsCannotAddKeys) {
  ProfileSettings& out = m_image->Profiles[0];
  SetProfileDefaults(&out, 0);
  SetFieldText(out.ProFileName, "Evil\r\nHDDKeyboard=0\r\n[Other]");
  ASSERT_EQ(m_files.SaveProfileFile(&out, "C:\\evil.kmp"), 1);
  ProfileSettings& p = m_loaded->Profiles[0];
  ASSERT_EQ(m_files.LoadProfileFile(&p, "C:\\evil.kmp"), 1);
  EXPECT_EQ(FieldText(p.ProFileName), "Evil");
  EXPECT_EQ(p.HDDKeyboard, 1);
  ASSERT_EQ(m_files.SetProfileFileName(2, "x\ny=1"), 1);
  EXPECT_EQ(LoadIni(m_store, kConfig).GetString("FileName", "Profile2"), "x");
  EXPECT_FALSE(LoadIni(m_store, kConfig).GetString("FileName", "y").has_value());
}

TEST_F(ProfileFilesTest, ConfigKeys) {
  EXPECT_EQ(m_files.GetFirmwareVersion(), 100);
  EXPECT_EQ(m_files.SetFirmwareVersion(213), 1);
  EXPECT_EQ(m_files.GetFirmwareVersion(), 213);
  EXPECT_EQ(m_files.SetCurrentProfile(4), 1);
  EXPECT_EQ(m_files.SetDeviceFlag(kConfig, 1), 1);
  EXPECT_EQ(m_files.SetProfileFileName(3, "D:\\mine.kmp"), 1);
  IniDocument doc = LoadIni(m_store, kConfig);
  EXPECT_EQ(doc.GetString("Setting", "CurrentProfile"), "4");
  EXPECT_EQ(doc.GetString("Setting", "Device"), "1");
  EXPECT_EQ(doc.GetString("Setting", "FWVersion"), "213");
  EXPECT_EQ(doc.GetString("FileName", "Profile3"), "D:\\mine.kmp");
  EXPECT_EQ(m_files.SetDeviceFlag("C:\\elsewhere\\config.ini", 0), 1);
  EXPECT_EQ(LoadIni(m_store, "C:\\elsewhere\\config.ini").GetString("Setting", "Device"), "0");

  m_store.SetFile(kConfig, "[Setting]\r\nCurrentProfile=17\r\n");
  ASSERT_EQ(m_files.LoadAll(m_loaded.get()), 1);
  EXPECT_EQ(m_loaded->CurrentProfile, 17);  // stored unchecked; consumers bound it
}

TEST_F(ProfileFilesTest, FailedWritesAreReported) {
  m_store.SetWritesFail(true);
  for (int slot = 0; slot < kProfileCount; ++slot)
    SetProfileDefaults(&m_image->Profiles[slot], slot);
  EXPECT_EQ(m_files.SaveAll(m_image.get()), 0);
  EXPECT_EQ(m_files.SaveProfileFile(&m_image->Profiles[0], "C:\\x.kmp"), 0);
  EXPECT_EQ(m_files.SetCurrentProfile(1), 0);
  EXPECT_EQ(m_files.SetFirmwareVersion(1), 0);
  OSDSetting osd;
  SetOsdDefaults(&osd);
  EXPECT_EQ(m_files.WriteOsdSetting(&osd), 0);
}

TEST_F(ProfileFilesTest, OsdSettingRoundTripAndRejection) {
  OSDSetting written;
  SetOsdDefaults(&written);
  written.ShowMail = 1;
  written.OsdColor = 6;
  SetFieldText(written.MailServer, "pop.example.org");
  SetFieldText(written.MailUser, "me");
  std::memset(written.MailPassword, 'w', sizeof written.MailPassword);  // unterminated
  ASSERT_EQ(m_files.WriteOsdSetting(&written), 1);
  std::string value = *LoadIni(m_store, kConfig).GetString("OSDSetting", "config");
  EXPECT_EQ(value.size(), 2 * 344u + 2);

  OSDSetting read;
  std::memset(&read, 0, sizeof read);
  ASSERT_EQ(m_files.ReadOsdSetting(&read, false), 1);
  EXPECT_EQ(read.ShowMail, 1);
  EXPECT_EQ(read.OsdColor, 6);
  EXPECT_EQ(FieldText(read.MailServer), "pop.example.org");
  EXPECT_EQ(FieldText(read.MailPassword), std::string(99, 'w'));

  // The applets live in Applets\ and read the file of the directory above.
  SettingsFiles applet(m_store, m_registry, "C:\\Karvo\\Applets\\");
  OSDSetting fromApplet;
  SetOsdDefaults(&fromApplet);
  EXPECT_EQ(applet.ReadOsdSetting(&fromApplet, false), 0);
  EXPECT_EQ(fromApplet.OsdColor, 4);
  ASSERT_EQ(applet.ReadOsdSetting(&fromApplet, true), 1);
  EXPECT_EQ(fromApplet.OsdColor, 6);

  // A damaged or short value leaves the record as it was.
  value[5] = value[5] == 'A' ? 'B' : 'A';
  for (const std::string& bad : {value, value.substr(0, 100), std::string("zz")}) {
    m_store.SetFile(kConfig, "[OSDSetting]\r\nconfig=" + bad + "\r\n");
    OSDSetting kept;
    SetOsdDefaults(&kept);
    kept.MailPort = 995;
    EXPECT_EQ(m_files.ReadOsdSetting(&kept, false), 0);
    EXPECT_EQ(kept.MailPort, 995);
    EXPECT_EQ(kept.OsdColor, 4);
  }
}

TEST_F(ProfileFilesTest, SetDefaultsWritesTheDefaultMouseSettings) {
  ResetImage(m_image.get());
  EXPECT_EQ(m_files.SetDefaults(m_image.get()), 0);
  EXPECT_EQ(m_image->CurrentProfile, 0);
  const std::int32_t expected[9] = {0, 5, 3, 0, 3, 11, 10, 0, 0};
  EXPECT_EQ(std::memcmp(&m_image->Reserved8, expected, sizeof expected), 0);
  for (int slot = 0; slot < kProfileCount; ++slot) {
    EXPECT_EQ(FieldText(m_image->Profiles[slot].ProFileName), "Default" + std::to_string(slot + 1));
  }
  // From the defaults, not from the zeroed slots the reset left.
  EXPECT_EQ(m_registry.Text("Control Panel\\Mouse", "DoubleClickSpeed"), "620");
  EXPECT_EQ(m_registry.Text("Control Panel\\Mouse", "MouseSensitivity"), "11");
  EXPECT_EQ(m_registry.Text("Control Panel\\Mouse", "MouseSpeed"), "0");
  EXPECT_EQ(m_registry.Text("Control Panel\\Desktop", "WheelScrollLines"), "3");
  EXPECT_EQ(m_registry.Text("Control Panel\\Desktop", "WheelScrollChars"), "3");
}

TEST_F(ProfileFilesTest, UnreadableProfileFileGivesDefaults) {
  m_image->CurrentProfile = 0;
  for (int slot = 0; slot < kProfileCount; ++slot) FillSavedFields(&m_image->Profiles[slot], slot);
  ASSERT_EQ(m_files.SaveAll(m_image.get()), 1);
  m_store.SetUnreadable(m_files.ProfilePath(2), true);
  ASSERT_EQ(m_files.LoadAll(m_loaded.get()), 1);
  EXPECT_EQ(FieldText(m_loaded->Profiles[2].ProFileName), "Default3");
  EXPECT_EQ(m_loaded->Profiles[2].MouseSpeed, 11);
  EXPECT_EQ(FieldText(m_loaded->Profiles[1].ProFileName), "Sniper 1");
}

}  // namespace
}  // namespace karvo::settings
