#include "settings/registry_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "platform/program_dir_win.h"
#include "settings/key_codes_win.h"

namespace karvo::settings {
namespace {

constexpr char kTestKey[] = "Software\\KARVO Tests\\Registry bridge";

// Raw type, size and bytes of a value as the registry reports them.
struct RawValue {
  LONG Status = ERROR_FILE_NOT_FOUND;
  DWORD Type = 0;
  DWORD Size = 0;
  std::string Data;
};

RawValue QueryRaw(const char* subKey, const char* name) {
  RawValue raw;
  HKEY key = nullptr;
  raw.Status = RegOpenKeyExA(HKEY_CURRENT_USER, subKey, 0, KEY_READ, &key);
  if (raw.Status != ERROR_SUCCESS) return raw;
  char buffer[512];
  raw.Size = sizeof buffer;
  raw.Status =
      RegQueryValueExA(key, name, nullptr, &raw.Type, reinterpret_cast<BYTE*>(buffer), &raw.Size);
  if (raw.Status == ERROR_SUCCESS) raw.Data.assign(buffer, raw.Size);
  RegCloseKey(key);
  return raw;
}

void SetRaw(const char* subKey, const char* name, DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, subKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

void SetText(const char* subKey, const char* name, const std::string& text) {
  SetRaw(subKey, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

// Saves the Control Panel values the bridge touches and puts them back.
class ControlPanelGuard {
 public:
  ControlPanelGuard() {
    for (const Entry& e : kEntries) m_saved[&e - kEntries] = QueryRaw(e.Key, e.Name);
  }
  ~ControlPanelGuard() {
    for (const Entry& e : kEntries) {
      const RawValue& raw = m_saved[&e - kEntries];
      HKEY key = nullptr;
      if (RegOpenKeyExA(HKEY_CURRENT_USER, e.Key, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        continue;
      if (raw.Status == ERROR_SUCCESS) {
        RegSetValueExA(key, e.Name, 0, raw.Type, reinterpret_cast<const BYTE*>(raw.Data.data()),
                       raw.Size);
      } else {
        RegDeleteValueA(key, e.Name);
      }
      RegCloseKey(key);
    }
  }

 private:
  struct Entry {
    const char* Key;
    const char* Name;
  };
  static constexpr Entry kEntries[] = {
      {"Control Panel\\Mouse", "DoubleClickSpeed"},  {"Control Panel\\Mouse", "MouseSensitivity"},
      {"Control Panel\\Mouse", "MouseSpeed"},        {"Control Panel\\Mouse", "MouseThreshold1"},
      {"Control Panel\\Mouse", "MouseThreshold2"},   {"Control Panel\\Desktop", "WheelScrollLines"},
      {"Control Panel\\Desktop", "WheelScrollChars"}};
  RawValue m_saved[7];
};

class RegistryBridgeTest : public ::testing::Test {
 protected:
  void TearDown() override {
    RegDeleteKeyA(HKEY_CURRENT_USER, kTestKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\KARVO Tests");
  }
  WinRegistry m_registry;
};

TEST_F(RegistryBridgeTest, OpenCreatesMissingKeys) {
  ASSERT_EQ(QueryRaw(kTestKey, "x").Status, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(m_registry.OpenKeyForRead(kTestKey), nullptr);
  std::unique_ptr<IRegistryKey> key = m_registry.OpenOrCreateKey(kTestKey);
  ASSERT_NE(key, nullptr);
  EXPECT_NE(m_registry.OpenKeyForRead(kTestKey), nullptr);
}

TEST_F(RegistryBridgeTest, StringsWithAndWithoutTerminator) {
  std::unique_ptr<IRegistryKey> key = m_registry.OpenOrCreateKey(kTestKey);
  ASSERT_NE(key, nullptr);
  ASSERT_TRUE(key->WriteString("Bare", "550", false));
  ASSERT_TRUE(key->WriteString("Terminated", "550", true));
  RawValue bare = QueryRaw(kTestKey, "Bare");
  ASSERT_EQ(bare.Status, ERROR_SUCCESS);
  EXPECT_EQ(bare.Type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(bare.Data.substr(0, 3), "550");
  RawValue terminated = QueryRaw(kTestKey, "Terminated");
  ASSERT_EQ(terminated.Status, ERROR_SUCCESS);
  EXPECT_EQ(terminated.Size, 4u);
  EXPECT_EQ(terminated.Data, std::string("550\0", 4));
  EXPECT_EQ(key->ReadString("Bare", 80), "550");
  EXPECT_EQ(key->ReadString("Terminated", 80), "550");
}

TEST_F(RegistryBridgeTest, ReadsOnlyFittingStrings) {
  std::unique_ptr<IRegistryKey> key = m_registry.OpenOrCreateKey(kTestKey);
  ASSERT_NE(key, nullptr);
  SetText(kTestKey, "Fits", std::string(79, 'a'));
  SetText(kTestKey, "TooLong", std::string(80, 'b'));
  DWORD number = 7;
  SetRaw(kTestKey, "Number", REG_DWORD, &number, sizeof number);
  EXPECT_EQ(key->ReadString("Fits", 80), std::string(79, 'a'));
  EXPECT_EQ(key->ReadString("TooLong", 80), std::nullopt);
  EXPECT_EQ(key->ReadString("Number", 80), std::nullopt);
  EXPECT_EQ(key->ReadString("Missing", 80), std::nullopt);
}

TEST_F(RegistryBridgeTest, MouseSettingsThroughTheRegistry) {
  ControlPanelGuard guard;
  SetText("Control Panel\\Mouse", "DoubleClickSpeed", "500");
  SetText("Control Panel\\Mouse", "MouseSensitivity", "14");
  SetText("Control Panel\\Mouse", "MouseSpeed", "1");
  SetText("Control Panel\\Mouse", "MouseThreshold1", "8");
  SetText("Control Panel\\Mouse", "MouseThreshold2", "0");
  SetText("Control Panel\\Desktop", "WheelScrollLines", "-1");
  SetText("Control Panel\\Desktop", "WheelScrollChars", "4");

  auto image = std::make_unique<SettingsImage>();
  ASSERT_EQ(ReadSystemMouseSettings(m_registry, image.get()), 1);
  EXPECT_EQ(image->SysDbleClickSpeed, 6);
  EXPECT_EQ(image->SysMouseSpeed, 14);
  EXPECT_EQ(image->SysAcceleration, 6);
  EXPECT_EQ(image->SysAccelerationFlag, 1);
  EXPECT_EQ(image->SysScrollWheelSpeed, 0);
  EXPECT_EQ(image->SysScrollWheelFlag, 1);
  EXPECT_EQ(image->SysTiltWheelSpeed, 4);

  image->CurrentProfile = 2;
  ASSERT_EQ(CopyHeaderToProfile(image.get()), 1);
  ASSERT_EQ(WriteSystemMouseSettings(m_registry, image.get()), 1);
  struct Expected {
    const char* key;
    const char* name;
    const char* text;
  } expected[] = {{"Control Panel\\Mouse", "DoubleClickSpeed", "550"},
                  {"Control Panel\\Mouse", "MouseSensitivity", "14"},
                  {"Control Panel\\Mouse", "MouseSpeed", "1"},
                  {"Control Panel\\Mouse", "MouseThreshold1", "6"},
                  {"Control Panel\\Mouse", "MouseThreshold2", "10"},
                  {"Control Panel\\Desktop", "WheelScrollLines", "-1"},
                  {"Control Panel\\Desktop", "WheelScrollChars", "4"}};
  for (const Expected& e : expected) {
    RawValue raw = QueryRaw(e.key, e.name);
    ASSERT_EQ(raw.Status, ERROR_SUCCESS) << e.name;
    EXPECT_EQ(raw.Type, static_cast<DWORD>(REG_SZ)) << e.name;
    EXPECT_STREQ(std::string(raw.Data).c_str(), e.text) << e.name;
  }
}

TEST_F(RegistryBridgeTest, DriverStrings) {
  EXPECT_EQ(SetDriverRegString("Test value", "abc"), 0);
  RawValue raw = QueryRaw(kDriverRegKey, "Test value");
  ASSERT_EQ(raw.Status, ERROR_SUCCESS);
  EXPECT_EQ(raw.Size, 4u);  // with the terminating zero
  EXPECT_EQ(GetDriverRegString(kDriverRegKey, "Test value"), "abc");
  EXPECT_EQ(GetDriverRegString(kDriverRegKey, "No such value"), "");
  EXPECT_EQ(GetDriverRegString("Software\\KARVO Tests\\Absent", "Test value"), "");
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kDriverRegKey, 0, KEY_ALL_ACCESS, &key),
            ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(key, "Test value"), ERROR_SUCCESS);
  RegCloseKey(key);
}

TEST(SystemMouse, ImmediateSettingsTakeEffect) {
  WinSystemMouse system;
  const UINT savedTime = GetDoubleClickTime();
  int savedSpeed = 0;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETMOUSESPEED, 0, &savedSpeed, 0));

  ASSERT_EQ(ApplyDoubleClickLevel(system, 6), 1);
  EXPECT_EQ(GetDoubleClickTime(), 550u);
  ASSERT_EQ(ApplyPointerSpeed(system, 7), 1);
  int speed = 0;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETMOUSESPEED, 0, &speed, 0));
  EXPECT_EQ(speed, 7);

  EXPECT_TRUE(SetDoubleClickTime(savedTime));
  EXPECT_TRUE(SystemParametersInfoA(SPI_SETMOUSESPEED, static_cast<UINT>(savedSpeed),
                                    reinterpret_cast<void*>(static_cast<INT_PTR>(savedSpeed)),
                                    SPIF_UPDATEINIFILE));
}

TEST(ProgramFiles, ProgramDirAndFileExists) {
  char module[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
  ASSERT_GT(length, 0u);
  std::string dir = platform::ProgramDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), '\\');
  EXPECT_EQ(std::string(module, length).rfind(dir, 0), 0u);
  EXPECT_EQ(FileExists(module), 1);
  EXPECT_EQ(FileExists(dir + "no such file.kmp"), 0);
  EXPECT_EQ(FileExists(dir), 0);  // a directory does not open as a file
}

}  // namespace
}  // namespace karvo::settings
