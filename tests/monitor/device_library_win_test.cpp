#include "monitor/device_library_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>

namespace karvo::monitor {
namespace {

std::string WinPath(const char* built) {
  std::string path = built;
  std::replace(path.begin(), path.end(), '/', '\\');
  if (!path.empty() && path[0] == '\\') path = "Z:" + path;
  return path;
}

void ExpectAbsent(DeviceLibrary& device) {
  std::uint8_t report[64] = {6};
  EXPECT_FALSE(device.Usable());
  device.OpenDevMonitor(nullptr, 1325, 1326);
  EXPECT_FALSE(device.OpenFeatureDevice());
  EXPECT_FALSE(device.SetFeature(report, sizeof report));
  EXPECT_FALSE(device.GetFeature(report, sizeof report));
  device.CloseDevMonitor();
  device.CloseFeatureDevice();
}

TEST(DeviceLibrary, AMissingLibraryIsAnAbsentMouse) {
  DeviceLibrary device;
  ::SetLastError(0xdeadbeef);
  EXPECT_FALSE(device.Load("Z:\\no\\such\\dir\\hidgate.dll"));
  EXPECT_NE(::GetLastError(), 0xdeadbeefu);
  ExpectAbsent(device);
}

TEST(DeviceLibrary, ALibraryWithMissingEntriesIsNeverCalled) {
  const std::string path = WinPath(KARVO_PARTIAL_HIDGATE_DLL);
  HMODULE probe = ::LoadLibraryA(path.c_str());
  ASSERT_NE(probe, nullptr);
  using CountFn = LONG(WINAPI*)();
  auto calls =
      reinterpret_cast<CountFn>(reinterpret_cast<void*>(::GetProcAddress(probe, "CallCount")));
  ASSERT_NE(calls, nullptr);
  {
    DeviceLibrary device;
    EXPECT_TRUE(device.Load(path));
    ExpectAbsent(device);
  }
  EXPECT_EQ(calls(), 0);
  ::FreeLibrary(probe);
}

TEST(DeviceLibrary, TheVirtualMouseHasEveryEntry) {
  DeviceLibrary device;
  ASSERT_TRUE(device.Load(WinPath(KARVO_HIDGATE_DLL)));
  EXPECT_TRUE(device.Usable());
  // Null or empty buffers never reach the library.
  EXPECT_FALSE(device.SetFeature(nullptr, 43));
  std::uint8_t report[8] = {};
  EXPECT_FALSE(device.GetFeature(report, 0));
  device.Free();
  EXPECT_FALSE(device.Usable());
}

}  // namespace
}  // namespace karvo::monitor
