// The configurator's settings pages used as a user would, with real drags, clicks and keys,
// next to the real monitor, the virtual mouse, the display and the mail notifier: what a slider
// reaches (the mouse after Apply, Windows at once), what a confirmed or declined reset does,
// and where the notice settings take effect.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "monitor/device_reports.h"
#include "platform/suite_names.h"
#include "settings/settings_image.h"
#include "tests/e2e/configurator_driver_win.h"
#include "tests/e2e/transfer_suite_win.h"
#include "tests/support/input_win.h"
#include "tests/support/pump_win.h"
#include "tests/support/screen_win.h"

namespace karvo::e2e {
namespace {

using settings::SettingsImage;
using skin::WindowId;

const char* const kStoredFiles[] = {
    "config.ini",           "config\\sequence.dat", "config\\Default0.kmp", "config\\Default1.kmp",
    "config\\Default2.kmp", "config\\Default3.kmp", "config\\Default4.kmp"};
constexpr char kMouseKey[] = "Control Panel\\Mouse";
constexpr char kDesktopKey[] = "Control Panel\\Desktop";

// Everything an apply may write: the files, the registry keys, the monitor's block.
struct Stored {
  std::vector<std::string> Files;
  std::map<std::string, std::string> Mouse;
  std::map<std::string, std::string> Desktop;
  std::unique_ptr<SettingsImage> Block;
};

Stored Snapshot(const InstallDir& dir) {
  Stored stored{{}, RegistryValues(kMouseKey), RegistryValues(kDesktopKey), NewImage()};
  for (const char* file : kStoredFiles) stored.Files.push_back(FileBytes(dir.File(file)));
  EXPECT_TRUE(SharedBlockClient().Read(*stored.Block));
  return stored;
}

void ExpectUnchanged(const Stored& before, const InstallDir& dir) {
  const Stored after = Snapshot(dir);
  for (std::size_t i = 0; i < std::size(kStoredFiles); ++i) {
    EXPECT_EQ(after.Files[i], before.Files[i]) << kStoredFiles[i];
  }
  EXPECT_EQ(after.Mouse, before.Mouse);
  EXPECT_EQ(after.Desktop, before.Desktop);
  EXPECT_EQ(std::memcmp(after.Block.get(), before.Block.get(), sizeof(SettingsImage)), 0);
}

std::vector<LoggedReport> SetReports(const InstallDir& dir) {
  std::vector<LoggedReport> sets;
  for (const LoggedReport& r : ParseReportLog(Mousectl(dir, "reports").output)) {
    if (r.isSet) sets.push_back(r);
  }
  return sets;
}

template <typename Report>
bool Same(const LoggedReport& logged, const Report& expected) {
  return std::equal(expected.begin(), expected.end(), logged.bytes.begin(), logged.bytes.end());
}

// A Control Panel mouse value set for the test, put back afterwards.
class MouseValueSet {
 public:
  MouseValueSet(const char* name, const char* text) : m_name(name) {
    const auto values = RegistryValues(kMouseKey);
    if (values.count(name)) m_old = values.at(name).c_str();
    Write(text);
  }
  ~MouseValueSet() { Write(m_old.c_str()); }

 private:
  void Write(const char* text) {
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kMouseKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS) {
      return;
    }
    ::RegSetValueExA(key, m_name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                     static_cast<DWORD>(std::strlen(text) + 1));
    ::RegCloseKey(key);
  }
  const char* m_name;
  std::string m_old;
};

// "/work/x" as Wine sees it.
std::string WinePath(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

// The double-click time as a program started now sees it; setting it first when ms is given.
// (A process that read it once may go on seeing what it read.)
int DoubleClickTime(const std::string& ms = {}) {
  const ToolRun run = RunTool("\"" + WinePath(KARVO_DOUBLE_CLICK_TIME_EXE) + "\" " + ms, {});
  return run.exitCode == 0 ? std::atoi(run.output.c_str()) : -1;
}

// A test Dovecot (tests/mail_notifier/dovecot_ctl.sh) by its directory: its port, and how
// many POP3 sessions of the suite's user it has seen end.
int DovecotPort(const char* unixDir) {
  int port = 0;
  std::ifstream(WinePath(unixDir) + "\\port") >> port;
  return port;
}
int EndedSessions(const char* unixDir) {
  std::ifstream log(WinePath(unixDir) + "\\srv\\dovecot.log");
  int n = 0;
  for (std::string line; std::getline(log, line);) {
    n += line.find("pop3(suite)") != std::string::npos &&
         line.find("Logged out") != std::string::npos;
  }
  return n;
}

// The open popup menu's item `index` of `count` equal items, clicked.
void ClickMenuItem(int index, int count) {
  HWND menu = nullptr;
  ASSERT_TRUE(testing::WaitFor(
      [&] {
        menu = ::FindWindowA("#32768", nullptr);
        return menu && ::IsWindowVisible(menu);
      },
      10000));
  RECT items{};
  ASSERT_TRUE(::GetClientRect(menu, &items));
  POINT point{items.right / 2, (items.bottom * (2 * index + 1)) / (2 * count)};
  ASSERT_TRUE(::ClientToScreen(menu, &point));
  ASSERT_TRUE(testing::MoveMouse(point));
  testing::Pump(100);
  ASSERT_TRUE(testing::PressLeft(true));
  ASSERT_TRUE(testing::PressLeft(false));
  testing::Pump(200);
}

// Yellow (or yellow over the dark screen, when the box is see-through), not another colour.
bool Yellowish(std::uint32_t pixel) {
  const int r = (pixel >> 16) & 0xFF;
  const int g = (pixel >> 8) & 0xFF;
  const int b = pixel & 0xFF;
  return r > 96 && std::abs(r - g) < 24 && b < r / 3;
}

class PagesEndToEnd : public ConfiguratorSuite {};

TEST_F(PagesEndToEnd, ACpiLevelReachesTheMouseOnApplyAndTheDoubleClickTimeFollowsTheThumbAtOnce) {
  ASSERT_NO_FATAL_FAILURE(StartMonitor());
  HWND window = StartConfigurator();
  ASSERT_NE(window, nullptr);
  auto block = NewImage();
  ASSERT_TRUE(SharedBlockClient().Read(*block));
  const int slot = block->CurrentProfile;
  ASSERT_GE(slot, 0);
  ASSERT_LT(slot, settings::kProfileCount);

  // CPI level 2 dragged to its fifth step: its field shows 4000 at once, the mouse gets the
  // slot's sensor report with step 5 as its current step after Apply, and nothing else.
  ASSERT_EQ(Mousectl(*m_dir, "reports --clear").exitCode, 0u);
  DragThumb(window, WindowId::SensitivityPage, "CpiSetting2", 5, 20);
  HWND field = ControlAt(window, PageControl(WindowId::SensitivityPage, "CpiSettingValue2"));
  EXPECT_TRUE(WaitUntil([&] { return TextOf(field) == "4000"; })) << TextOf(field);
  Click(window, "Apply");
  ASSERT_TRUE(WaitForReport(
      *m_dir,
      [&](const LoggedReport& r) {
        return r.isSet && r.id == monitor::kSensorReportId && r.bytes.size() > 2 &&
               r.bytes[2] == slot;
      },
      kActionTimeoutMs));
  testing::Pump(1000);  // whatever else the upload sends comes now
  ASSERT_TRUE(SharedBlockClient().Read(*block));
  EXPECT_EQ(block->Profiles[slot].CpiSettingValue2, 5);
  const monitor::SensorReport expected = monitor::BuildSensorReport(block->Profiles[slot], slot);
  std::vector<LoggedReport> sensor;
  for (const LoggedReport& r : SetReports(*m_dir)) {
    if (r.id == monitor::kSensorReportId) sensor.push_back(r);
  }
  ASSERT_EQ(sensor.size(), 1u);
  EXPECT_TRUE(Same(sensor[0], expected));
  ASSERT_GT(sensor[0].bytes.size(), 20u);
  EXPECT_EQ(sensor[0].bytes[18], 5);  // the current step, for both axes
  EXPECT_EQ(sensor[0].bytes[20], 5);

  // The double-click slider at its last step: 200 ms in Windows while the page is open;
  // Cancel then stores nothing.
  Click(window, "System");
  const int before = DoubleClickTime();
  ASSERT_GT(before, 0);
  const Stored stored = Snapshot(*m_dir);
  DragThumb(window, WindowId::SystemPage, "DoubleClickSetting", 11, 15);
  EXPECT_TRUE(WaitUntil([] { return DoubleClickTime() == 200; })) << DoubleClickTime();
  EXPECT_TRUE(m_configurator->Started() && !m_configurator->WaitExit(0));
  Click(window, "Cancel");
  ASSERT_TRUE(m_configurator->WaitExit(kActionTimeoutMs));
  ExpectUnchanged(stored, *m_dir);
  EXPECT_EQ(DoubleClickTime(std::to_string(before)), before);
}

TEST_F(PagesEndToEnd, AResetDeclinedChangesNothingAndAResetConfirmedRestoresAndAppliesEverything) {
  const MouseValueSet doubleClick("DoubleClickSpeed", "410");
  const MouseValueSet speed("MouseSensitivity", "4");
  ASSERT_NO_FATAL_FAILURE(StartMonitor());
  // Every slot away from its defaults; the current one uses CPI steps the defaults do not.
  auto block = NewImage();
  ASSERT_TRUE(SharedBlockClient().Read(*block));
  block->CurrentProfile = 3;
  for (int slot = 0; slot < settings::kProfileCount; ++slot) {
    settings::ProfileSettings& profile = block->Profiles[slot];
    settings::SetFieldText(profile.ProFileName, "Changed " + std::to_string(slot));
    profile.PollingRate = 1;
    profile.LightMode = 1;
    profile.LevelSetting = 77;
    profile.CpiSettingValue1 = 1;
    profile.CpiSettingValue2 = 3;
    profile.CpiSettingValue3 = 5;
    profile.DpiStepOnOffFlag = 0x15;
  }
  // Values no control has a place for are shown at the nearest place it has.
  block->Profiles[3].XYSensitivityEnabled = 0;
  block->Profiles[3].XSensitivity = 99;
  block->Profiles[3].CpiSettingValue3 = -4;
  ASSERT_TRUE(SharedBlockClient().Write(*block));
  HWND window = StartConfigurator();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return HighlightedSlot(window) == 3; }));
  EXPECT_EQ(SliderValueShown(window, WindowId::SensitivityPage, "XSetting"), 20);
  EXPECT_EQ(SliderValueShown(window, WindowId::SensitivityPage, "CpiSetting3"), 1);
  EXPECT_EQ(SliderValueShown(window, WindowId::SensitivityPage, "CpiSetting2"), 3);
  Click(window, "Advanced");

  // Declined: nothing is written or sent.
  const Stored stored = Snapshot(*m_dir);
  ASSERT_EQ(Mousectl(*m_dir, "reports --clear").exitCode, 0u);
  const skin::SkinLayout reset = PageControl(WindowId::AdvancedPage, "BUTTON_RESET");
  ASSERT_TRUE(ClickAt(window, reset));
  HWND confirm = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (confirm = WaitForOwned(window)) != nullptr; }));
  ASSERT_TRUE(ClickAt(confirm, skin::ParseLayout("BUTTON_CANCEL,290,130,59,20,")));
  ASSERT_TRUE(WaitUntil([&] { return WaitForOwned(window) == nullptr; }));
  testing::Pump(1000);
  ExpectUnchanged(stored, *m_dir);
  EXPECT_TRUE(SetReports(*m_dir).empty());
  EXPECT_EQ(HighlightedSlot(window), 3);

  // Confirmed: the monitor is told to restore the mouse's own defaults, and it does.
  ASSERT_TRUE(ClickAt(window, reset));
  ASSERT_TRUE(WaitUntil([&] { return (confirm = WaitForOwned(window)) != nullptr; }));
  ASSERT_TRUE(ClickAt(confirm, skin::ParseLayout("BUTTON_OK,218,130,59,20,")));
  const auto level = monitor::BuildLevelReport(monitor::kDefaultLevel);
  ASSERT_TRUE(WaitForReport(
      *m_dir, [&](const LoggedReport& r) { return r.isSet && Same(r, level); }, kActionTimeoutMs));
  std::vector<LoggedReport> sent = SetReports(*m_dir);
  auto next = sent.begin();
  auto expectNext = [&](const auto& report, const char* what) {
    next = std::find_if(next, sent.end(), [&](const LoggedReport& r) { return Same(r, report); });
    EXPECT_NE(next, sent.end()) << what << " missing or out of order";
  };
  expectNext(monitor::BuildProfileReport(0), "profile 1");
  for (int slot = 0; slot < settings::kProfileCount; ++slot)
    expectNext(monitor::DefaultSensorReport(slot), "default sensor report");
  for (int slot = 0; slot < settings::kProfileCount; ++slot)
    expectNext(monitor::DefaultButtonReport(slot), "default button report");
  expectNext(level, "default level");
  EXPECT_TRUE(WaitUntil([&] { return HighlightedSlot(window) == 0; }));

  // The block and the files hold every slot's defaults; the registry the first slot's.
  ASSERT_TRUE(SharedBlockClient().Read(*block));
  EXPECT_EQ(block->CurrentProfile, 0);
  const std::string ini = m_dir->File("config.ini");
  EXPECT_EQ(::GetPrivateProfileIntA("Setting", "CurrentProfile", -1, ini.c_str()), 0u);
  settings::ProfileSettings defaults[settings::kProfileCount];
  for (int slot = 0; slot < settings::kProfileCount; ++slot) {
    settings::SetProfileDefaults(&defaults[slot], slot);
    settings::ProfileSettings shown = block->Profiles[slot];
    // The device's own bytes follow the default level's step; they are no setting.
    shown.ExtraParam1 = defaults[slot].ExtraParam1;
    shown.ExtraParam2 = defaults[slot].ExtraParam2;
    shown.ExtraParam3 = defaults[slot].ExtraParam3;
    shown.ExtraParam4 = defaults[slot].ExtraParam4;
    EXPECT_EQ(std::memcmp(&shown, &defaults[slot], sizeof shown), 0) << "slot " << slot;
    const std::string file = m_dir->File("config\\Default" + std::to_string(slot) + ".kmp");
    char name[64] = {};
    ::GetPrivateProfileStringA("Setting", "ProFileName", "", name, sizeof name, file.c_str());
    EXPECT_STREQ(name, defaults[slot].ProFileName);
    EXPECT_EQ(
        static_cast<int>(::GetPrivateProfileIntA("Setting", "DpiStepOnOffFlag", -1, file.c_str())),
        defaults[slot].DpiStepOnOffFlag)
        << "slot " << slot;
  }
  const auto mouse = RegistryValues(kMouseKey);
  const auto text = [](const std::string& value) { return std::string(value.c_str()); };
  EXPECT_EQ(text(mouse.at("DoubleClickSpeed")),
            std::to_string(900 - (defaults[0].DbleClickSpeed - 1) * 70));
  EXPECT_EQ(text(mouse.at("MouseSensitivity")), std::to_string(defaults[0].MouseSpeed));
  settings::OSDSetting notices{};
  settings::OSDSetting noticeDefaults{};
  settings::SetOsdDefaults(&noticeDefaults);
  ASSERT_TRUE(
      ::GetPrivateProfileStructA("OSDSetting", "config", &notices, sizeof notices, ini.c_str()));
  EXPECT_EQ(std::memcmp(&notices, &noticeDefaults, sizeof notices), 0);
}

TEST_F(PagesEndToEnd, NoticeColourTransparencyAndMailAccountTakeEffectAfterApply) {
  const char* first = KARVO_DOVECOT_DIR;
  const char* second = KARVO_SECOND_DOVECOT_DIR;
  const int secondPort = DovecotPort(second);
  ASSERT_GT(DovecotPort(first), 0) << "the mail tests' Dovecot is not running";
  ASSERT_GT(secondPort, 0) << "the second Dovecot is not running";
  // Mail notices on, polling the first server back to back; blue, opaque boxes.
  settings::OSDSetting notices{};
  settings::SetOsdDefaults(&notices);
  notices.ShowMail = 1;
  settings::SetFieldText(notices.MailServer, "127.0.0.1");
  settings::SetFieldText(notices.MailUser, "suite");
  settings::SetFieldText(notices.MailPassword, "secret");
  notices.MailPort = DovecotPort(first);
  notices.MailInterval = 0;
  const std::string ini = m_dir->File("config.ini");
  ASSERT_TRUE(
      ::WritePrivateProfileStructA("OSDSetting", "config", &notices, sizeof notices, ini.c_str()));
  const int firstSessions = EndedSessions(first);
  ASSERT_NO_FATAL_FAILURE(StartMonitor());
  ASSERT_TRUE(WaitUntil([&] { return EndedSessions(first) > firstSessions; }))
      << "the mail notifier never polled the first server";

  // Profile notices on, yellow, "50%"; the second server, its five-digit port typed.
  HWND window = StartConfigurator();
  ASSERT_NE(window, nullptr);
  Click(window, "OSD");
  ASSERT_TRUE(ClickAt(window, PageControl(WindowId::OsdPage, "Profile")));
  ASSERT_TRUE(ClickAt(window, PageControl(WindowId::OsdPage, "yellow")));
  ASSERT_TRUE(ClickAt(window, PageControl(WindowId::OsdPage, "Transparency")));
  ASSERT_NO_FATAL_FAILURE(ClickMenuItem(4, 10));
  TypeInto(window, WindowId::OsdPage, "Email Server", "localhost");
  TypeInto(window, WindowId::OsdPage, "Port Numer", std::to_string(secondPort));
  const int secondSessions = EndedSessions(second);
  Click(window, "Apply");

  ASSERT_TRUE(WaitUntil([&] {
    return ::GetPrivateProfileStructA("OSDSetting", "config", &notices, sizeof notices,
                                      ini.c_str()) &&
           notices.OsdColor == 2;
  }));
  EXPECT_EQ(notices.ShowProfile, 1);
  EXPECT_EQ(notices.OsdTransparency, 4);  // "50%"
  EXPECT_EQ(settings::FieldText(notices.MailServer), "localhost");
  EXPECT_EQ(notices.MailPort, secondPort);
  EXPECT_TRUE(WaitUntil([&] { return EndedSessions(second) > secondSessions; }))
      << "the mail notifier never polled the second server";

  // The next notice: the mouse switches to slot 2, the display shows it in yellow.
  ASSERT_EQ(Mousectl(*m_dir, "event 0x3000 2").exitCode, 0u);
  HWND notice = nullptr;
  testing::Pixels shot;
  int yellow = 0;
  const bool shown = WaitUntil([&] {
    notice = ::FindWindowA(platform::kOsdNoticeClass, nullptr);
    RECT box{};
    if (!notice || !::IsWindowVisible(notice) || !::GetWindowRect(notice, &box)) return false;
    // The left margin of the box holds no text: only the box's colour.
    shot = testing::CaptureScreen({box.left, box.top, box.left + 25, box.bottom});
    yellow = static_cast<int>(std::count_if(shot.Data.begin(), shot.Data.end(), Yellowish));
    return !shot.Empty() && yellow == static_cast<int>(shot.Data.size());
  });
  if (!shown) shot.SaveBmp(std::string(KARVO_E2E_CAPTURE_DIR) + "\\notice_margin.bmp");
  ASSERT_TRUE(shown) << yellow << " of " << shot.Data.size() << " margin pixels yellow";
  BYTE alpha = 0;
  EXPECT_TRUE(::GetLayeredWindowAttributes(notice, nullptr, &alpha, nullptr));
  EXPECT_EQ(alpha, 150);  // what the display gives "50%"
}

}  // namespace
}  // namespace karvo::e2e
