// The monitor and the virtual mouse together, seen from outside: what the read-back at start
// publishes, what an apply sends, and how uploads end when the mouse goes away or never answers.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "monitor/device_reports.h"
#include "settings/file_store_win.h"
#include "settings/profile_files.h"
#include "settings/registry_win.h"
#include "tests/e2e/transfer_suite_win.h"

namespace karvo::e2e {
namespace {

using settings::SettingsImage;

// Generous bounds against hangs, never measured: a read-back takes about six seconds and a
// busy-forever acknowledgement about ten.
constexpr DWORD kReadBackTimeoutMs = 60000;
constexpr DWORD kApplyTimeoutMs = 60000;
constexpr DWORD kExitTimeoutMs = 60000;

template <std::size_t N>
std::vector<std::uint8_t> Bytes(const std::array<std::uint8_t, N>& report) {
  return {report.begin(), report.end()};
}

std::vector<LoggedReport> Sets(const std::vector<LoggedReport>& log) {
  std::vector<LoggedReport> sets;
  std::copy_if(log.begin(), log.end(), std::back_inserter(sets),
               [](const LoggedReport& r) { return r.isSet; });
  return sets;
}

class TransferEndToEnd : public SuiteTest {
 protected:
  void SetUp() override {
    std::optional<std::string> dist = DistDirectory();
    ASSERT_TRUE(dist) << "KARVO_DIST must name the install directory (make test-win sets it)";
    m_dir = std::make_unique<InstallDir>(*dist);
    ASSERT_TRUE(m_dir->Ok()) << "could not copy " << *dist;
    ASSERT_NE(::GetFileAttributesA(m_dir->File(kMonitorExe).c_str()), INVALID_FILE_ATTRIBUTES)
        << "the install directory has no monitor";
    ASSERT_TRUE(m_configurator.Ok());
  }

  void TearDown() override {
    m_monitor.reset();
    m_dir.reset();
  }

  // Starts the monitor and waits for the read-back it makes at start to be announced.
  void StartMonitor() {
    m_configurator.Clear();
    m_monitor = std::make_unique<MonitorProcess>(*m_dir);
    ASSERT_TRUE(m_monitor->Started());
    ASSERT_NE(m_monitor->Window(), nullptr) << "the monitor window did not appear";
    ASSERT_TRUE(m_configurator.WaitFor(kMsgReadBackDone, 1, kReadBackTimeoutMs))
        << "no 1254 after start";
    // 1254 goes out just before the host-control report; later logs must not catch it.
    const auto running = Bytes(monitor::BuildHostControlReport(monitor::kHostRunning));
    ASSERT_TRUE(WaitForReport(
        *m_dir, [&](const LoggedReport& r) { return r.isSet && r.bytes == running; },
        kReadBackTimeoutMs))
        << "no host-control report after the read-back";
  }

  void StopMonitor() {
    ASSERT_TRUE(m_monitor->PostClose());
    ASSERT_TRUE(m_monitor->WaitExit(kExitTimeoutMs));
    EXPECT_EQ(m_monitor->ExitCode(), 0u);
    m_monitor.reset();
  }

  std::vector<LoggedReport> ReportLog() {
    ToolRun run = Mousectl(*m_dir, "reports");
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    return ParseReportLog(run.output);
  }

  MouseState State() {
    ToolRun run = Mousectl(*m_dir, "state");
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    return ParseMouseState(run.output).value_or(MouseState{});
  }

  void Control(const std::string& args) {
    ToolRun run = Mousectl(*m_dir, args);
    ASSERT_EQ(run.exitCode, 0u) << "mousectl " << args << ": " << run.output;
  }
};

void ClearFlags(SettingsImage& image) {
  image.ProfileChanged = 0;
  for (int i = 0; i < settings::kProfileCount; ++i) {
    image.LevelChanged[i] = 0;
    image.SensorChanged[i] = 0;
    std::fill(std::begin(image.ButtonChanged[i]), std::end(image.ButtonChanged[i]), 0);
  }
}

TEST_F(TransferEndToEnd, StartReadsTheMouseBackAndTellsItTheMonitorRuns) {
  ASSERT_NO_FATAL_FAILURE(StartMonitor());
  const std::vector<LoggedReport> log = ReportLog();
  ASSERT_FALSE(log.empty());
  EXPECT_FALSE(log.front().isSet);
  EXPECT_EQ(log.front().id, monitor::kFirmwareReportId);
  const std::vector<LoggedReport> sets = Sets(log);
  // The selects of five sensor and five button reads, then the host-control report.
  ASSERT_EQ(sets.size(), 11u);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(sets[i].id, monitor::kStatusReportId);
    ASSERT_EQ(sets[i].bytes.size(), 3u);
    EXPECT_EQ(sets[i].bytes[1], i % 5);
    EXPECT_EQ(sets[i].bytes[2], i < 5 ? 16 : 32);
  }
  EXPECT_EQ(sets[10].bytes, Bytes(monitor::BuildHostControlReport(monitor::kHostRunning)));
  for (int id : {monitor::kSensorReportId, monitor::kButtonReportId}) {
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [id](const LoggedReport& r) { return !r.isSet && r.id == id && r.ok; }),
              5)
        << "report " << id;
  }
  EXPECT_EQ(State().host, 1);
  ASSERT_NO_FATAL_FAILURE(StopMonitor());
}

TEST_F(TransferEndToEnd, SettingsReadBackArriveInTheBlockConfigAndProfileFiles) {
  ASSERT_NO_FATAL_FAILURE(StartMonitor());
  // Give the mouse settings the monitor's defaults do not have, then start from no files.
  ASSERT_NO_FATAL_FAILURE(Apply([](SettingsImage& image) {
    ClearFlags(image);
    image.CurrentProfile = 2;
    image.ProfileChanged = 1;
    auto& slot = image.Profiles[2];
    slot.XSensitivity = 33;
    slot.YSensitivity = 44;
    slot.PollingRate = 1;
    slot.LightMode = 2;
    slot.LevelSetting = 4;
    image.SensorChanged[2] = 1;
    image.LevelChanged[2] = 1;
    slot.HDDKeyboard = 1;
    slot.MacroKeys[2].FunctionCode = 24;
    image.ButtonChanged[2][2] = 1;
    // Every other slot gets a sensitivity of its own, so each profile file shows its slot.
    for (int i : {0, 1, 3, 4}) {
      image.Profiles[i].XSensitivity = 20 + i;
      image.SensorChanged[i] = 1;
    }
  }));
  ASSERT_NO_FATAL_FAILURE(Control("firmware 77"));
  ASSERT_NO_FATAL_FAILURE(StopMonitor());
  ASSERT_TRUE(::DeleteFileA(m_dir->File("config.ini").c_str()));
  for (int i = 0; i < settings::kProfileCount; ++i) {
    ::DeleteFileA(m_dir->File("config\\Default" + std::to_string(i) + ".kmp").c_str());
  }

  ASSERT_NO_FATAL_FAILURE(StartMonitor());
  SharedBlockClient block;
  ASSERT_TRUE(block.Ok());
  auto published = NewImage();
  ASSERT_TRUE(block.Read(*published));

  settings::WinFileStore store;
  settings::WinRegistry registry;
  settings::SettingsFiles files(store, registry, m_dir->Path());
  EXPECT_EQ(files.GetFirmwareVersion(), 77);
  auto saved = NewImage();
  ASSERT_EQ(files.LoadAll(saved.get()), 1);

  for (const SettingsImage* image : {published.get(), saved.get()}) {
    SCOPED_TRACE(image == published.get() ? "shared block" : "files");
    EXPECT_EQ(image->CurrentProfile, 2);
    const auto& slot = image->Profiles[2];
    EXPECT_EQ(slot.XSensitivity, 33);
    EXPECT_EQ(slot.YSensitivity, 44);
    EXPECT_EQ(slot.PollingRate, 1);
    EXPECT_EQ(slot.MacroKeys[2].FunctionCode, 24);
    for (int i : {0, 1, 3, 4}) EXPECT_EQ(image->Profiles[i].XSensitivity, 20 + i) << i;
  }
  // Light mode and level live in the mouse and the block only; the files do not keep them.
  EXPECT_EQ(published->Profiles[2].LightMode, 2);
  for (const auto& profile : published->Profiles) {
    EXPECT_EQ(profile.LevelSetting, 4) << "the mouse keeps one level for all slots";
  }
  for (const auto& flags : published->ButtonChanged) {
    EXPECT_TRUE(std::all_of(std::begin(flags), std::end(flags), [](int f) { return f == 0; }));
  }
  ASSERT_NO_FATAL_FAILURE(StopMonitor());
}

TEST_F(TransferEndToEnd, ApplyDuringTheStartReadBackKeepsWhatTheMouseDoesNotReport) {
  m_monitor = std::make_unique<MonitorProcess>(*m_dir);
  ASSERT_TRUE(m_monitor->Started());
  ASSERT_NE(m_monitor->Window(), nullptr);
  // The read-back has asked for the firmware version and goes on for seconds.
  ASSERT_TRUE(WaitForReport(
      *m_dir, [](const LoggedReport& r) { return !r.isSet && r.id == monitor::kFirmwareReportId; },
      kReadBackTimeoutMs));
  ASSERT_NO_FATAL_FAILURE(PostApply([](SettingsImage& image) {
    ClearFlags(image);
    settings::SetFieldText(image.Profiles[3].ProFileName, "Raced");
    image.Profiles[3].CpiSettingValue2 = 3200;
    image.SensorChanged[3] = 1;
  }));
  ASSERT_TRUE(m_configurator.WaitFor(kMsgReadBackDone, 1, kReadBackTimeoutMs));
  ASSERT_TRUE(m_configurator.WaitFor(kMsgApplyFinished, 1, kApplyTimeoutMs));

  SharedBlockClient block;
  auto published = NewImage();
  ASSERT_TRUE(block.Read(*published));
  EXPECT_EQ(settings::FieldText(published->Profiles[3].ProFileName), "Raced");
  EXPECT_EQ(published->Profiles[3].CpiSettingValue2, 3200);

  settings::WinFileStore store;
  settings::WinRegistry registry;
  settings::SettingsFiles files(store, registry, m_dir->Path());
  auto saved = NewImage();
  ASSERT_EQ(files.LoadProfileFile(&saved->Profiles[3], files.ProfilePath(3)), 1);
  EXPECT_EQ(settings::FieldText(saved->Profiles[3].ProFileName), "Raced");
  EXPECT_EQ(saved->Profiles[3].CpiSettingValue2, 3200);
  ASSERT_NO_FATAL_FAILURE(StopMonitor());
}

TEST_F(TransferEndToEnd, ApplySendsExactlyTheFlaggedReportsAndTheMouseTakesThem) {
  ASSERT_NO_FATAL_FAILURE(StartMonitor());
  ASSERT_NO_FATAL_FAILURE(Control("reports --clear"));
  auto sent = NewImage();
  ASSERT_NO_FATAL_FAILURE(Apply([&](SettingsImage& image) {
    ClearFlags(image);
    image.CurrentProfile = 3;
    image.ProfileChanged = 1;
    image.Profiles[1].LevelSetting = 6;
    image.LevelChanged[1] = 1;
    image.Profiles[1].XSensitivity = 20;
    image.SensorChanged[1] = 1;
    image.Profiles[4].LightOn = 0;
    image.SensorChanged[4] = 1;
    // A key combination (Ctrl+Shift+A) on slot 0, whose button functions are on.
    auto& combination = image.Profiles[0].MacroKeys[3];
    combination.FunctionCode = monitor::kKeyCombinationCode;
    combination.Data[0] = 4;
    combination.Data[1] = 6;
    image.Profiles[0].HDDKeyboard = 1;
    image.ButtonChanged[0][3] = 1;
    // Slot 3's button functions are off: its changed map stays in the computer.
    image.Profiles[3].HDDKeyboard = 0;
    image.Profiles[3].MacroKeys[0].FunctionCode = 24;
    image.ButtonChanged[3][0] = 1;
    *sent = image;
  }));

  const std::vector<LoggedReport> sets = Sets(ReportLog());
  const std::vector<std::vector<std::uint8_t>> expected = {
      Bytes(monitor::BuildProfileReport(3)),
      Bytes(monitor::BuildLevelReport(6)),
      Bytes(monitor::BuildSensorReport(sent->Profiles[1], 1)),
      Bytes(monitor::BuildSensorReport(sent->Profiles[4], 4)),
      Bytes(monitor::BuildButtonReport(sent->Profiles[0], 0)),
  };
  ASSERT_EQ(sets.size(), expected.size());
  for (std::size_t i = 0; i < sets.size(); ++i) {
    EXPECT_EQ(sets[i].bytes, expected[i]) << "report " << i;
    EXPECT_TRUE(sets[i].ok) << "report " << i;
  }
  const std::vector<std::uint8_t> group = {expected[4].begin() + 3 + 3 * 3,
                                           expected[4].begin() + 6 + 3 * 3};
  EXPECT_EQ(group, (std::vector<std::uint8_t>{5, 6, 4})) << "record 3 sits in hardware slot 3";

  const MouseState state = State();
  EXPECT_EQ(state.activeSlot, 3);
  EXPECT_EQ(state.level, 6);
  EXPECT_EQ(state.sensor[1], expected[2]);
  EXPECT_EQ(state.sensor[4], expected[3]);
  EXPECT_EQ(state.buttons[0], expected[4]);
  EXPECT_EQ(state.buttons[3], Bytes(monitor::DefaultButtonReport(3)));

  // An apply without flags still gets its answer, and sends nothing.
  ASSERT_NO_FATAL_FAILURE(Control("reports --clear"));
  ASSERT_NO_FATAL_FAILURE(Apply(ClearFlags));
  EXPECT_TRUE(Sets(ReportLog()).empty());
  ASSERT_NO_FATAL_FAILURE(StopMonitor());
}

TEST_F(TransferEndToEnd, ApplyPassesTheNoticeBoxAppearanceToTheDisplay) {
  // The display is a stand-in here; the real one must not take its title.
  ::DeleteFileA(m_dir->File("KARVO Gaming Mouse OSD.exe").c_str());
  CompanionWindow display(kOsdTitle);
  ASSERT_TRUE(display.Ok());
  ASSERT_NO_FATAL_FAILURE(StartMonitor());

  settings::WinFileStore store;
  settings::WinRegistry registry;
  settings::SettingsFiles files(store, registry, m_dir->Path());
  settings::OSDSetting osd{};
  settings::SetOsdDefaults(&osd);
  osd.OsdColor = 5;
  osd.OsdTransparency = 7;
  ASSERT_EQ(files.WriteOsdSetting(&osd), 1);
  ASSERT_NO_FATAL_FAILURE(Apply(ClearFlags));

  const auto appearance = display.Received(kMsgOsdAppearance);
  ASSERT_EQ(appearance.size(), 1u);
  EXPECT_EQ(appearance[0].wParam, 0u);
  EXPECT_EQ(appearance[0].lParam, (5 << 16) + 7);
  ASSERT_NO_FATAL_FAILURE(StopMonitor());
  EXPECT_TRUE(display.WaitFor(WM_CLOSE, 1, kExitTimeoutMs)) << "the monitor closes the display";
}

TEST_F(TransferEndToEnd, RestoreSendsTheDeviceDefaultsAndTheMouseIsFactoryNew) {
  ASSERT_NO_FATAL_FAILURE(StartMonitor());
  ASSERT_NO_FATAL_FAILURE(Apply([](SettingsImage& image) {
    ClearFlags(image);
    image.Profiles[2].XSensitivity = 55;
    image.SensorChanged[2] = 1;
    image.CurrentProfile = 4;
    image.ProfileChanged = 1;
  }));
  ASSERT_EQ(State().activeSlot, 4);
  ASSERT_NO_FATAL_FAILURE(Control("reports --clear"));
  ASSERT_NO_FATAL_FAILURE(Apply(ClearFlags, 1));

  std::vector<std::vector<std::uint8_t>> expected = {Bytes(monitor::BuildProfileReport(0))};
  for (int i = 0; i < 5; ++i) expected.push_back(Bytes(monitor::DefaultSensorReport(i)));
  for (int i = 0; i < 5; ++i) expected.push_back(Bytes(monitor::DefaultButtonReport(i)));
  expected.push_back(Bytes(monitor::BuildLevelReport(monitor::kDefaultLevel)));
  const std::vector<LoggedReport> sets = Sets(ReportLog());
  ASSERT_EQ(sets.size(), expected.size());
  for (std::size_t i = 0; i < sets.size(); ++i) EXPECT_EQ(sets[i].bytes, expected[i]) << i;

  const MouseState state = State();
  EXPECT_EQ(state.activeSlot, 0);
  EXPECT_EQ(state.level, monitor::kDefaultLevel);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(state.sensor[i], Bytes(monitor::DefaultSensorReport(i))) << i;
    EXPECT_EQ(state.buttons[i], Bytes(monitor::DefaultButtonReport(i))) << i;
  }
  ASSERT_NO_FATAL_FAILURE(StopMonitor());
}

std::string FileText(const std::string& path) {
  std::string text;
  platform::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
  if (!file) return text;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
    text.append(buffer, got);
  }
  return text;
}

TEST_F(TransferEndToEnd, ReadBackThatFailsPublishesNothingButTheFirmwareVersion) {
  ASSERT_NO_FATAL_FAILURE(StartMonitor());
  SharedBlockClient block;
  ASSERT_TRUE(block.Ok());
  auto before = NewImage();
  ASSERT_TRUE(block.Read(*before));
  const std::string profileBefore = FileText(m_dir->File("config\\Default4.kmp"));
  ASSERT_FALSE(profileBefore.empty());

  // Every select is refused, so no slot's settings can be read; the arrival's read-back fails.
  ASSERT_NO_FATAL_FAILURE(Control("unplug"));
  ASSERT_NO_FATAL_FAILURE(Control("firmware 91"));
  ASSERT_NO_FATAL_FAILURE(Control("status fail"));
  ASSERT_NO_FATAL_FAILURE(Control("reports --clear"));
  m_configurator.Clear();
  ASSERT_NO_FATAL_FAILURE(Control("plug"));
  // Jobs run in order: the apply's answer comes after the read-back has ended.
  ASSERT_NO_FATAL_FAILURE(Apply(ClearFlags));

  const std::vector<LoggedReport> log = ReportLog();
  EXPECT_EQ(std::count_if(
                log.begin(), log.end(),
                [](const LoggedReport& r) { return r.isSet && r.id == monitor::kStatusReportId; }),
            10)
      << "every slot is still asked for";
  EXPECT_EQ(std::count_if(log.begin(), log.end(),
                          [](const LoggedReport& r) {
                            return !r.isSet && (r.id == monitor::kSensorReportId ||
                                                r.id == monitor::kButtonReportId);
                          }),
            0)
      << "nothing is fetched without an acknowledged select";
  EXPECT_EQ(m_configurator.Count(kMsgReadBackDone), 0);
  EXPECT_TRUE(Sets(log).size() == 10) << "no host-control report after a failed read-back";

  auto after = NewImage();
  ASSERT_TRUE(block.Read(*after));
  EXPECT_EQ(std::memcmp(&before->Profiles, &after->Profiles, sizeof before->Profiles), 0);
  EXPECT_EQ(FileText(m_dir->File("config\\Default4.kmp")), profileBefore);
  settings::WinFileStore store;
  settings::WinRegistry registry;
  EXPECT_EQ(settings::SettingsFiles(store, registry, m_dir->Path()).GetFirmwareVersion(), 91);
  ASSERT_NO_FATAL_FAILURE(StopMonitor());
}

void FlagEverySensor(SettingsImage& image) {
  ClearFlags(image);
  for (int i = 0; i < settings::kProfileCount; ++i) image.SensorChanged[i] = 1;
}

bool IsSensorSet(const LoggedReport& r) { return r.isSet && r.id == monitor::kSensorReportId; }

TEST_F(TransferEndToEnd, UnplugDuringAnUploadEndsItAtItsNextWait) {
  ASSERT_NO_FATAL_FAILURE(StartMonitor());
  ASSERT_NO_FATAL_FAILURE(Control("status busy-forever"));
  ASSERT_NO_FATAL_FAILURE(Control("reports --clear"));
  ASSERT_NO_FATAL_FAILURE(PostApply(FlagEverySensor));
  // The first sensor report is out and its acknowledgement is being waited for.
  ASSERT_TRUE(WaitForReport(*m_dir, IsSensorSet, kApplyTimeoutMs));
  ASSERT_NO_FATAL_FAILURE(Control("unplug"));

  ASSERT_TRUE(m_configurator.WaitFor(kMsgApplyFinished, 1, kApplyTimeoutMs))
      << "the cancelled upload still answers the configurator";
  const std::vector<LoggedReport> sets = Sets(ReportLog());
  ASSERT_EQ(sets.size(), 1u) << "nothing is sent after the removal";
  EXPECT_EQ(sets[0].bytes[2], 0);
  EXPECT_TRUE(m_configurator.WaitFor(WM_CLOSE, 1, kApplyTimeoutMs))
      << "removal closes the configurator";
  EXPECT_EQ(m_configurator.Count(kMsgApplyFinished), 1);
  ASSERT_NO_FATAL_FAILURE(StopMonitor());
}

TEST_F(TransferEndToEnd, ApplyQueuedBehindARemovedMouseIsStillAnswered) {
  ASSERT_NO_FATAL_FAILURE(StartMonitor());
  ASSERT_NO_FATAL_FAILURE(Control("status busy-forever"));
  ASSERT_NO_FATAL_FAILURE(Control("reports --clear"));
  ASSERT_NO_FATAL_FAILURE(PostApply(FlagEverySensor));
  ASSERT_TRUE(WaitForReport(*m_dir, IsSensorSet, kApplyTimeoutMs));
  // The second apply waits in the worker's queue; the removal finds the mouse gone before
  // its turn comes.
  ASSERT_NO_FATAL_FAILURE(PostApply(FlagEverySensor));
  ASSERT_NO_FATAL_FAILURE(Control("unplug"));

  EXPECT_TRUE(m_configurator.WaitFor(kMsgApplyFinished, 2, kApplyTimeoutMs))
      << "each apply gets its 1256, or the configurator keeps OK and Apply disabled";
  EXPECT_EQ(Sets(ReportLog()).size(), 1u);
  ASSERT_NO_FATAL_FAILURE(StopMonitor());
}

TEST_F(TransferEndToEnd, BusyForeverMouseStillLetsTheMonitorExit) {
  ASSERT_NO_FATAL_FAILURE(StartMonitor());
  ASSERT_NO_FATAL_FAILURE(Control("status busy-forever"));
  ASSERT_NO_FATAL_FAILURE(Control("reports --clear"));
  ASSERT_NO_FATAL_FAILURE(PostApply(FlagEverySensor));
  ASSERT_TRUE(WaitForReport(*m_dir, IsSensorSet, kApplyTimeoutMs));

  ASSERT_TRUE(m_monitor->PostClose());
  // The monitor tells the mouse it is ending before anything else.
  const auto ending = Bytes(monitor::BuildHostControlReport(monitor::kHostEnding));
  EXPECT_TRUE(WaitForReport(
      *m_dir, [&](const LoggedReport& r) { return r.isSet && r.bytes == ending; }, kExitTimeoutMs));
  ASSERT_TRUE(m_monitor->WaitExit(kExitTimeoutMs)) << "the monitor hangs on a busy mouse";
  EXPECT_EQ(m_monitor->ExitCode(), 0u);
  EXPECT_EQ(m_configurator.Count(WM_CLOSE), 1);
}

}  // namespace
}  // namespace karvo::e2e
