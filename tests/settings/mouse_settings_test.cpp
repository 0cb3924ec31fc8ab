#include "settings/mouse_settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "tests/settings/fake_registry.h"

namespace karvo::settings {
namespace {

using testing::FakeRegistry;

constexpr char kMouse[] = "Control Panel\\Mouse";
constexpr char kDesktop[] = "Control Panel\\Desktop";

struct SevenInts {
  int DbleClick, WheelSpeed, WheelFlag, Tilt, MouseSpeed, Accel, AccelFlag;
};

SevenInts Header(const SettingsImage& image) {
  return {image.SysDbleClickSpeed,  image.SysScrollWheelSpeed, image.SysScrollWheelFlag,
          image.SysTiltWheelSpeed,  image.SysMouseSpeed,       image.SysAcceleration,
          image.SysAccelerationFlag};
}

class MouseSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_image = std::make_unique<SettingsImage>();
    m_registry.Set(kMouse, "DoubleClickSpeed", "500");
    m_registry.Set(kMouse, "MouseSensitivity", "10");
    m_registry.Set(kMouse, "MouseSpeed", "1");
    m_registry.Set(kMouse, "MouseThreshold1", "6");
    m_registry.Set(kMouse, "MouseThreshold2", "10");
    m_registry.Set(kDesktop, "WheelScrollLines", "3");
    m_registry.Set(kDesktop, "WheelScrollChars", "2");
  }
  void SetProfile(int slot, SevenInts v) {
    m_image->CurrentProfile = slot;
    ProfileSettings& p = m_image->Profiles[slot];
    p.DbleClickSpeed = v.DbleClick;
    p.ScrollWheelSpeed = v.WheelSpeed;
    p.ScrollWheelFlag = v.WheelFlag;
    p.TiltWheelSpeed = v.Tilt;
    p.MouseSpeed = v.MouseSpeed;
    p.Acceleration = v.Accel;
    p.AccelerationFlag = v.AccelFlag;
  }
  std::string Mouse(const char* name) { return m_registry.Text(kMouse, name).value_or("<none>"); }
  std::string Desktop(const char* name) {
    return m_registry.Text(kDesktop, name).value_or("<none>");
  }

  FakeRegistry m_registry;
  std::unique_ptr<SettingsImage> m_image;
};

TEST(MouseSettingsConversion, DoubleClickLevels) {
  EXPECT_EQ(DoubleClickLevelFromMs(500), 6);  // 400 / 70 = 5, plus 1
  EXPECT_EQ(DoubleClickMsFromLevel(6), 550);
  EXPECT_EQ(DoubleClickLevelFromMs(900), 1);
  EXPECT_EQ(DoubleClickLevelFromMs(200), 11);
  EXPECT_EQ(DoubleClickMsFromLevel(1), 900);
  EXPECT_EQ(DoubleClickMsFromLevel(11), 200);
  // Integer division truncates toward zero, also above 900 ms.
  EXPECT_EQ(DoubleClickLevelFromMs(1000), 0);
  // Unchecked extremes wrap instead of overflowing (the sanitizer build would trap).
  (void)DoubleClickLevelFromMs(INT_MIN);
  (void)DoubleClickMsFromLevel(INT_MIN);
  EXPECT_EQ(DoubleClickMsFromLevel(INT_MAX), static_cast<int>(900u - (INT_MAX - 1u) * 70u));
}

TEST(MouseSettingsConversion, AccelerationRowLastMatchWins) {
  struct Case {
    int speed, t1, t2, row;
  } cases[] = {
      {0, 0, 0, 0},  {1, 6, 10, 1},  {1, 8, 0, 6},   {1, 4, 0, 10}, {1, 13, 0, -1},
      {2, 4, 5, 19}, {2, 4, 13, 11}, {2, 4, 14, -1}, {3, 0, 0, -1}, {1, 0, 0, 10},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AccelerationRowFor(c.speed, c.t1, c.t2), c.row)
        << c.speed << "," << c.t1 << "," << c.t2;
  }
}

TEST(MouseSettingsConversion, ParseDecimalReadsLikeAtoi) {
  struct Case {
    const char* text;
    int value;
  } cases[] = {{"42", 42},
               {"  -7", -7},
               {"+3", 3},
               {"12abc", 12},
               {"", 0},
               {"abc", 0},
               {"\t\n 5", 5},
               {"- 5", 0},
               {"-1", -1},
               {"4294967297", 1},
               {"2147483648", INT_MIN}};
  for (const Case& c : cases) EXPECT_EQ(ParseDecimal(c.text), c.value) << '"' << c.text << '"';
}

TEST_F(MouseSettingsTest, ReadsWindowsDefaults) {
  EXPECT_EQ(ReadSystemMouseSettings(m_registry, m_image.get()), 1);
  SevenInts h = Header(*m_image);
  EXPECT_EQ(h.DbleClick, 6);
  EXPECT_EQ(h.MouseSpeed, 10);
  EXPECT_EQ(h.Accel, 1);
  EXPECT_EQ(h.AccelFlag, 1);
  EXPECT_EQ(h.WheelSpeed, 3);
  EXPECT_EQ(h.WheelFlag, 0);
  EXPECT_EQ(h.Tilt, 2);
}

TEST_F(MouseSettingsTest, AccelerationReadCases) {
  struct Case {
    const char* speed;
    const char* t1;
    const char* t2;
    int before, row, flag;
  } cases[] = {
      {"1", "8", "0", 0, 6, 1},
      {"0", "0", "0", 5, 0, 0},
      {"2", "4", "9", 0, 15, 1},
      // No row matches: the row stays and the flag follows it.
      {"3", "0", "0", 7, 7, 1},
      {"3", "0", "0", 0, 0, 0},
  };
  for (const Case& c : cases) {
    m_registry.Set(kMouse, "MouseSpeed", c.speed);
    m_registry.Set(kMouse, "MouseThreshold1", c.t1);
    m_registry.Set(kMouse, "MouseThreshold2", c.t2);
    m_image->SysAcceleration = c.before;
    ASSERT_EQ(ReadSystemMouseSettings(m_registry, m_image.get()), 1);
    EXPECT_EQ(m_image->SysAcceleration, c.row) << c.speed << "," << c.t1 << "," << c.t2;
    EXPECT_EQ(m_image->SysAccelerationFlag, c.flag) << c.speed << "," << c.t1 << "," << c.t2;
  }
}

TEST_F(MouseSettingsTest, WheelOneScreenPerNotchRoundTrips) {
  m_registry.Set(kDesktop, "WheelScrollLines", "-1");
  ASSERT_EQ(ReadSystemMouseSettings(m_registry, m_image.get()), 1);
  EXPECT_EQ(m_image->SysScrollWheelSpeed, 0);
  EXPECT_EQ(m_image->SysScrollWheelFlag, 1);
  SetProfile(2, {6, 0, 1, 3, 10, 0, 0});
  ASSERT_EQ(WriteSystemMouseSettings(m_registry, m_image.get()), 1);
  EXPECT_EQ(Desktop("WheelScrollLines"), "-1");
}

TEST_F(MouseSettingsTest, MissingValueRereadsThePreviousText) {
  m_registry = FakeRegistry();
  m_registry.Set(kMouse, "DoubleClickSpeed", "500");
  m_registry.Set(kMouse, "MouseSensitivity", "10");
  m_registry.Set(kMouse, "MouseSpeed", "1");
  m_registry.Set(kMouse, "MouseThreshold1", "6");
  m_registry.Set(kMouse, "MouseThreshold2", "10");
  m_registry.Set(kDesktop, "WheelScrollLines", "7");
  ASSERT_EQ(ReadSystemMouseSettings(m_registry, m_image.get()), 1);
  EXPECT_EQ(m_image->SysTiltWheelSpeed, 7);

  // A value too long for the 80-byte buffer counts as missing as well.
  m_registry.Set(kDesktop, "WheelScrollChars", "9" + std::string(90, ' '));
  ASSERT_EQ(ReadSystemMouseSettings(m_registry, m_image.get()), 1);
  EXPECT_EQ(m_image->SysTiltWheelSpeed, 7);
}

TEST_F(MouseSettingsTest, UnopenableKeys) {
  SettingsImage before{};
  before.SysDbleClickSpeed = 42;
  before.SysMouseSpeed = 43;
  before.SysScrollWheelSpeed = 44;
  *m_image = before;
  FakeRegistry noMouse = m_registry;
  noMouse.FailKey(kMouse);
  EXPECT_EQ(ReadSystemMouseSettings(noMouse, m_image.get()), 0);
  EXPECT_EQ(std::memcmp(m_image.get(), &before, sizeof before), 0);

  FakeRegistry noDesktop = m_registry;
  noDesktop.FailKey(kDesktop);
  EXPECT_EQ(ReadSystemMouseSettings(noDesktop, m_image.get()), -1);
  EXPECT_EQ(m_image->SysDbleClickSpeed, 6);  // the Mouse part was read
  EXPECT_EQ(m_image->SysScrollWheelSpeed, 44);

  SetProfile(0, {5, 3, 0, 3, 11, 10, 0});
  EXPECT_EQ(WriteSystemMouseSettings(noMouse, m_image.get()), -1);
  EXPECT_EQ(WriteSystemMouseSettings(noDesktop, m_image.get()), -1);
  FakeRegistry readOnly = m_registry;
  readOnly.FailWrites(true);
  EXPECT_EQ(WriteSystemMouseSettings(readOnly, m_image.get()), -1);
}

TEST_F(MouseSettingsTest, WriteCopiesTheCurrentProfileFirst) {
  SetProfile(3, {6, 4, 0, 2, 15, 6, 1});
  m_image->SysMouseSpeed = 99;
  ASSERT_EQ(WriteSystemMouseSettings(m_registry, m_image.get()), 1);
  EXPECT_EQ(m_image->SysMouseSpeed, 15);
  EXPECT_EQ(Mouse("DoubleClickSpeed"), "550");
  EXPECT_EQ(Mouse("MouseSensitivity"), "15");
  // Only the flag picks the row: row 6 is not written back as 1, 8, 0.
  EXPECT_EQ(Mouse("MouseSpeed"), "1");
  EXPECT_EQ(Mouse("MouseThreshold1"), "6");
  EXPECT_EQ(Mouse("MouseThreshold2"), "10");
  EXPECT_EQ(Desktop("WheelScrollLines"), "4");
  EXPECT_EQ(Desktop("WheelScrollChars"), "2");
  // REG_SZ data without the terminating zero.
  EXPECT_EQ(m_registry.RawData(kMouse, "DoubleClickSpeed"), std::string("550"));

  SetProfile(3, {6, 4, 0, 2, 15, 0, 0});
  ASSERT_EQ(WriteSystemMouseSettings(m_registry, m_image.get()), 1);
  EXPECT_EQ(Mouse("MouseSpeed"), "0");
  EXPECT_EQ(Mouse("MouseThreshold1"), "0");
  EXPECT_EQ(Mouse("MouseThreshold2"), "0");
}

TEST_F(MouseSettingsTest, WriteWithoutCurrentProfileUsesTheHeader) {
  m_image->CurrentProfile = 9;
  m_image->SysDbleClickSpeed = 11;
  m_image->SysMouseSpeed = 3;
  m_image->SysScrollWheelFlag = 0;
  m_image->SysScrollWheelSpeed = 5;
  ASSERT_EQ(WriteSystemMouseSettings(m_registry, m_image.get()), 1);
  EXPECT_EQ(Mouse("DoubleClickSpeed"), "200");
  EXPECT_EQ(Mouse("MouseSensitivity"), "3");
  EXPECT_EQ(Desktop("WheelScrollLines"), "5");
}

TEST_F(MouseSettingsTest, ReadThenWriteRoundTrips) {
  ASSERT_EQ(ReadSystemMouseSettings(m_registry, m_image.get()), 1);
  m_image->CurrentProfile = 0;
  ASSERT_EQ(CopyHeaderToProfile(m_image.get()), 1);
  FakeRegistry out;
  ASSERT_EQ(WriteSystemMouseSettings(out, m_image.get()), 1);
  for (const char* name :
       {"MouseSensitivity", "MouseSpeed", "MouseThreshold1", "MouseThreshold2"}) {
    EXPECT_EQ(out.Text(kMouse, name), m_registry.Text(kMouse, name)) << name;
  }
  EXPECT_EQ(out.Text(kMouse, "DoubleClickSpeed"), "550");
  for (const char* name : {"WheelScrollLines", "WheelScrollChars"}) {
    EXPECT_EQ(out.Text(kDesktop, name), m_registry.Text(kDesktop, name)) << name;
  }
}

class RecordingSystemMouse final : public ISystemMouse {
 public:
  bool SetDoubleClickTime(unsigned ms) override {
    m_calls.push_back("click " + std::to_string(ms));
    return m_succeed;
  }
  bool SetPointerSpeed(int speed) override {
    m_calls.push_back("speed " + std::to_string(speed));
    return m_succeed;
  }
  std::vector<std::string> m_calls;
  bool m_succeed = true;
};

TEST(ApplyMouseSettings, ImmediateCallsAreBounded) {
  RecordingSystemMouse system;
  EXPECT_EQ(ApplyDoubleClickLevel(system, 1), 1);
  EXPECT_EQ(ApplyDoubleClickLevel(system, 11), 1);
  EXPECT_EQ(ApplyDoubleClickLevel(system, 6), 1);
  EXPECT_EQ(ApplyDoubleClickLevel(system, 0), 1);
  EXPECT_EQ(ApplyDoubleClickLevel(system, INT_MAX), 1);
  EXPECT_EQ(ApplyPointerSpeed(system, 10), 1);
  EXPECT_EQ(ApplyPointerSpeed(system, -3), 1);
  EXPECT_EQ(ApplyPointerSpeed(system, 21), 1);
  EXPECT_EQ(system.m_calls,
            (std::vector<std::string>{"click 900", "click 200", "click 550", "click 900",
                                      "click 200", "speed 10", "speed 1", "speed 20"}));
  system.m_succeed = false;
  EXPECT_EQ(ApplyDoubleClickLevel(system, 3), 0);
  EXPECT_EQ(ApplyPointerSpeed(system, 3), 0);
}

TEST(DriverRegistryStrings, WrittenTerminatedReadBounded) {
  FakeRegistry registry;
  EXPECT_EQ(SetDriverRegString(registry, "Version", "1.02"), 0);
  EXPECT_EQ(registry.RawData(kDriverRegKey, "Version"), std::string("1.02\0", 5));
  EXPECT_EQ(GetDriverRegString(registry, kDriverRegKey, "Version"), "1.02");
  EXPECT_EQ(GetDriverRegString(registry, kDriverRegKey, "Missing"), "");
  EXPECT_EQ(GetDriverRegString(registry, "Software\\Nowhere", "Version"), "");
  registry.Set(kDriverRegKey, "Long", std::string(80, 'x'));
  EXPECT_EQ(GetDriverRegString(registry, kDriverRegKey, "Long"), "");
  registry.Set(kDriverRegKey, "Fits", std::string(79, 'x'));
  EXPECT_EQ(GetDriverRegString(registry, kDriverRegKey, "Fits"), std::string(79, 'x'));
  registry.FailWrites(true);
  EXPECT_EQ(SetDriverRegString(registry, "Version", "2"), 1);
}

}  // namespace
}  // namespace karvo::settings
