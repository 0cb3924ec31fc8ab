#include "settings/settings_image.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

namespace karvo::settings {
namespace {

std::unique_ptr<SettingsImage> FilledImage(unsigned char byte) {
  auto image = std::make_unique<SettingsImage>();
  std::memset(image.get(), byte, sizeof *image);
  return image;
}

bool AllBytes(const void* p, std::size_t size, unsigned char byte) {
  const auto* b = static_cast<const unsigned char*>(p);
  for (std::size_t i = 0; i < size; ++i) {
    if (b[i] != byte) return false;
  }
  return true;
}

TEST(ResetImage, ClearsProfilesAndEveryFlag) {
  auto image = FilledImage(0xAB);
  EXPECT_EQ(ResetImage(image.get()), 0);
  EXPECT_EQ(image->CurrentProfile, -1);
  EXPECT_EQ(image->Reserved4, 0);
  const std::int32_t* header = &image->Reserved8;
  for (int i = 0; i < 9; ++i) EXPECT_EQ(header[i], -1) << "offset " << 8 + 4 * i;
  EXPECT_TRUE(AllBytes(image->Profiles, sizeof image->Profiles, 0));
  const auto* flags = reinterpret_cast<const unsigned char*>(image.get()) + 169824;
  EXPECT_TRUE(AllBytes(flags, sizeof(SettingsImage) - 169824, 0));
  EXPECT_EQ(image->LevelChanged[4], 0);
  EXPECT_EQ(image->ProfileLoadFlagB[4], 0);
}

TEST(ProfileDefaults, EveryFieldOfTheRecord) {
  auto record = std::make_unique<ProfileSettings>();
  std::memset(record.get(), 0x5A, sizeof *record);
  EXPECT_EQ(SetProfileDefaults(record.get(), 2), 0);
  EXPECT_EQ(FieldText(record->ProFileName), "Default3");
  EXPECT_EQ(FieldText(record->GameFile), "");
  EXPECT_EQ(FieldText(record->PictureFile), "");
  struct IntField {
    std::size_t offset;
    int value;
  } ints[] = {{1252, 0},  {1256, 1},  {1260, 0},  {1264, 0},  {1268, 0},  {1272, 0}, {1276, 5},
              {1280, 3},  {1284, 0},  {1288, 3},  {1292, 11}, {1296, 10}, {1300, 0}, {1304, 0},
              {1308, 1},  {1312, 10}, {1316, 10}, {1320, 3},  {1324, 10}, {1328, 0}, {1332, 0},
              {1336, 0},  {1340, 0},  {1344, 0},  {1348, 0},  {1352, 2},  {1356, 4}, {1360, 7},
              {1364, 74}, {1368, 0},  {1384, 0},  {1388, 1},  {1392, 0},  {1396, 1}, {1400, 0},
              {1424, 0},  {1428, 0},  {1452, 0}};
  for (const IntField& f : ints) {
    std::int32_t v;
    std::memcpy(&v, reinterpret_cast<const char*>(record.get()) + f.offset, sizeof v);
    EXPECT_EQ(v, f.value) << "offset " << f.offset;
  }
  const int slots[14][2] = {{7, 9},   {8, 10},  {2, 3},   {3, 7},  {4, 8},  {5, 14}, {6, 15},
                            {16, 31}, {17, 32}, {11, 30}, {12, 6}, {13, 6}, {14, 6}, {15, 6}};
  for (int n = 0; n < 14; ++n) {
    const MacroKeyInfo& key = record->MacroKeys[n];
    EXPECT_EQ(key.Slot, slots[n][0]) << n;
    EXPECT_EQ(key.FunctionCode, slots[n][1]) << n;
    EXPECT_EQ(FieldText(key.Name), "") << n;
    EXPECT_EQ(key.EventCount, 0) << n;
    EXPECT_TRUE(AllBytes(key.Data, sizeof key.Data, 0)) << n;
    EXPECT_EQ(FieldText(key.ProgramPath), "") << n;
  }
  EXPECT_TRUE(AllBytes(record->Unused33936, sizeof record->Unused33936, 0));
  // Odd slot numbers still give a terminated name.
  EXPECT_EQ(SetProfileDefaults(record.get(), INT_MAX), 0);
  EXPECT_EQ(FieldText(record->ProFileName), "Default2147483648");
}

TEST(HeaderCopies, MoveSevenIntsOnlyForAValidSlot) {
  auto image = FilledImage(0);
  ProfileSettings& p = image->Profiles[4];
  const std::int32_t values[7] = {1, 2, 3, 4, 5, 6, 7};
  std::memcpy(&p.DbleClickSpeed, values, sizeof values);
  for (int invalid : {-1, 5, INT_MIN, INT_MAX}) {
    image->CurrentProfile = invalid;
    EXPECT_EQ(CopyProfileToHeader(image.get()), 0) << invalid;
    EXPECT_EQ(CopyHeaderToProfile(image.get()), 0) << invalid;
  }
  EXPECT_EQ(image->SysDbleClickSpeed, 0);
  image->CurrentProfile = 4;
  ASSERT_EQ(CopyProfileToHeader(image.get()), 1);
  EXPECT_EQ(std::memcmp(&image->SysDbleClickSpeed, values, sizeof values), 0);
  EXPECT_EQ(image->Reserved40, 0);
  EXPECT_EQ(p.MainSensitivity, 0);

  image->SysAccelerationFlag = 70;
  image->SysDbleClickSpeed = 10;
  image->CurrentProfile = 1;
  ASSERT_EQ(CopyHeaderToProfile(image.get()), 1);
  EXPECT_EQ(image->Profiles[1].DbleClickSpeed, 10);
  EXPECT_EQ(image->Profiles[1].AccelerationFlag, 70);
  EXPECT_EQ(image->Profiles[1].MainSensitivity, 0);
  EXPECT_EQ(image->Profiles[1].SwapButtons, 0);
}

TEST(OsdDefaults, AllFields) {
  OSDSetting record;
  std::memset(&record, 0x7F, sizeof record);
  EXPECT_EQ(SetOsdDefaults(&record), 0);
  OSDSetting expected{};
  expected.OsdColor = 4;
  expected.MailPort = 110;
  expected.MailInterval = 5;
  EXPECT_EQ(std::memcmp(&record, &expected, sizeof record), 0);
}

TEST(FixedTextFields, BoundedBothWays) {
  char field[8];
  std::memset(field, 'x', sizeof field);
  EXPECT_EQ(FieldText(field), "xxxxxxxx");  // no terminator: the field's end bounds it
  SetFieldText(field, "abcdefghijk");
  EXPECT_EQ(FieldText(field), "abcdefg");
  EXPECT_EQ(field[7], '\0');
  SetFieldText(field, std::string_view("ab\0cd", 5));
  EXPECT_EQ(FieldText(field), "ab");
  EXPECT_TRUE(AllBytes(field + 2, 6, 0));

  MacroKeyInfo key;
  std::memset(&key, 'y', sizeof key);
  TerminateTextFields(&key);
  EXPECT_EQ(FieldText(key.Name).size(), 49u);
  EXPECT_EQ(FieldText(key.ProgramPath).size(), 259u);
  OSDSetting osd;
  std::memset(&osd, 'z', sizeof osd);
  TerminateTextFields(&osd);
  EXPECT_EQ(FieldText(osd.MailServer).size(), 99u);
  EXPECT_EQ(FieldText(osd.MailUser).size(), 99u);
  EXPECT_EQ(FieldText(osd.MailPassword).size(), 99u);
}

}  // namespace
}  // namespace karvo::settings
