#include "monitor/monitor_core.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "monitor/monitor_messages.h"
#include "tests/monitor/fake_monitor_host.h"

namespace karvo::monitor {
namespace {

using testing::FakeMonitorHost;
using Lines = std::vector<std::string>;

class MonitorCoreTest : public ::testing::Test {
 protected:
  // A monitor that started with the mouse present and no companion running.
  void StartPresent() {
    host.FeatureDeviceOpens = true;
    core.Start(false);
    host.Calls.clear();
  }

  FakeMonitorHost host;
  WorkerFlags flags;
  MonitorCore core{host, flags};
};

TEST_F(MonitorCoreTest, StartWithMousePresentShowsIconAndStartsDisplay) {
  core.Start(false);
  EXPECT_EQ(host.Calls, (Lines{"OpenDevMonitor", "OpenFeatureDevice", "SetTimer 500 2000",
                               "SetTimer 502 200", "AddTrayIcon", "Start osd", "SetDeviceFlag 1"}));
  EXPECT_EQ(core.State(), DeviceState::Present);
}

TEST_F(MonitorCoreTest, StartWithMouseAbsentHasNoIconNoTimersAndFlagZero) {
  host.FeatureDeviceOpens = false;
  host.Windows = {Companion::Configurator};
  core.Start(true);
  EXPECT_EQ(host.Calls, (Lines{"OpenDevMonitor", "OpenFeatureDevice", "SetDeviceFlag 0"}));
  EXPECT_EQ(core.State(), DeviceState::NotOpened);
}

TEST_F(MonitorCoreTest, CommandLineOneStartsOrBringsForwardTheConfigurator) {
  core.Start(true);
  EXPECT_EQ(host.Calls[5], "Start configurator");
  host.Calls.clear();
  host.Windows = {Companion::Configurator};
  core.OpenConfigurator();
  EXPECT_EQ(host.Calls, (Lines{"BringForward configurator"}));
}

TEST_F(MonitorCoreTest, FirstReadBackTimerFiresOnce) {
  core.OnTimer(kTimerFirstReadBack);
  core.OnTimer(kTimerGameCheck);
  EXPECT_EQ(host.Calls, (Lines{"KillTimer 502", "PostWorker 2 0"}));
}

TEST_F(MonitorCoreTest, PresenceFollowsArrivalAndRemovalOnce) {
  host.FeatureDeviceOpens = false;
  core.Start(false);
  host.Calls.clear();

  core.OnPresence(1);
  core.OnPresence(1);
  EXPECT_EQ(host.Calls, (Lines{"Sleep 5000", "OpenFeatureDevice", "PostWorker 2 0", "AddTrayIcon",
                               "SetDeviceFlag 1", "SetTimer 500 2000", "Start osd"}));
  EXPECT_EQ(core.State(), DeviceState::Present);

  host.Calls.clear();
  host.Windows = {Companion::Configurator, Companion::Osd, Companion::MailNotifier};
  core.OnPresence(0);
  core.OnPresence(0);
  EXPECT_EQ(host.Calls,
            (Lines{"CloseFeatureDevice", "RemoveTrayIcon", "KillTimer 500", "SetDeviceFlag 0",
                   "PostTo configurator 16 0 0", "PostTo mail 16 0 0", "PostTo osd 16 0 0"}));
  EXPECT_EQ(core.State(), DeviceState::Removed);
}

TEST_F(MonitorCoreTest, PresenceWordsOutsideTheTableAreIgnored) {
  StartPresent();
  core.OnPresence(7);
  core.OnDeviceEvent(0x7F000003);
  core.OnDeviceEvent(0xA0000002);
  core.OnDeviceEvent(0x12340001);
  EXPECT_TRUE(host.Calls.empty());
  core.OnDeviceEvent(0xA0000001);
  EXPECT_EQ(host.Calls, (Lines{"PostSelf 273 6001 0"}));
}

TEST_F(MonitorCoreTest, RemovalCancelsOnlyARunningJob) {
  StartPresent();
  core.OnPresence(0);
  EXPECT_FALSE(flags.Cancel);
  core.OnPresence(1);
  flags.Busy = true;
  core.OnPresence(0);
  EXPECT_TRUE(flags.Cancel);
}

TEST_F(MonitorCoreTest, ConsoleDisconnectClosesEverythingAndConnectReopens) {
  StartPresent();
  flags.Busy = true;
  host.Windows = {Companion::Osd, Companion::LoadNotifier};
  core.OnSessionChange(2);
  EXPECT_EQ(host.Calls, (Lines{"SetDeviceFlag 0", "CloseDevMonitor", "CloseFeatureDevice",
                               "KillTimer 500", "PostTo load 16 0 0", "PostTo osd 16 0 0"}));
  EXPECT_EQ(core.State(), DeviceState::NotOpened);
  EXPECT_TRUE(flags.Cancel);

  host.Calls.clear();
  host.Windows.clear();
  core.OnSessionChange(1);
  EXPECT_EQ(host.Calls, (Lines{"OpenDevMonitor", "OpenFeatureDevice", "SetTimer 500 2000",
                               "PostWorker 2 0", "AddTrayIcon", "SetDeviceFlag 1", "Start osd"}));
  EXPECT_EQ(core.State(), DeviceState::Present);

  host.Calls.clear();
  core.OnSessionChange(5);
  EXPECT_TRUE(host.Calls.empty());
}

// The worker drops a job it finds while the mouse is not present, so a read-back queued before
// the state says present can be lost to an idle worker.
TEST_F(MonitorCoreTest, EveryReadBackIsQueuedOnceTheMouseCountsAsPresent) {
  std::vector<DeviceState> seen;
  host.OnPostWorker = [&](std::uint32_t job) {
    if (job == kJobReadBack) seen.push_back(core.State());
  };
  host.FeatureDeviceOpens = false;
  core.Start(false);
  host.FeatureDeviceOpens = true;
  core.OnPresence(1);  // arrival
  core.OnSessionChange(2);
  core.OnSessionChange(1);  // console connect
  core.OnSessionChange(2);
  core.Start(false);
  core.OnTimer(kTimerFirstReadBack);  // start
  EXPECT_EQ(seen, std::vector<DeviceState>(3, DeviceState::Present));
}

TEST_F(MonitorCoreTest, ConsoleConnectWithoutMouseChangesNothing) {
  host.FeatureDeviceOpens = false;
  core.Start(false);
  host.Calls.clear();
  core.OnSessionChange(1);
  EXPECT_EQ(host.Calls, (Lines{"OpenDevMonitor", "OpenFeatureDevice"}));
  EXPECT_EQ(core.State(), DeviceState::NotOpened);
}

struct AppletCase {
  const char* Name;
  OsdSwitches Switches;
  std::set<Companion> Running;
  Lines Expected;
};

class UpdateAppletsTest : public ::testing::TestWithParam<AppletCase> {};

TEST_P(UpdateAppletsTest, ReloadsStartsAndClosesByTheSwitches) {
  FakeMonitorHost host;
  WorkerFlags flags;
  MonitorCore core{host, flags};
  host.SwitchesOnFile = GetParam().Switches;
  core.LoadOsdSetting();
  host.Windows = GetParam().Running;
  core.UpdateApplets();
  EXPECT_EQ(host.Calls, GetParam().Expected);
}

OsdSwitches With(int cpu, int ram, int mail, int skype) {
  OsdSwitches s;
  s.ShowCpu = cpu;
  s.ShowRam = ram;
  s.ShowMail = mail;
  s.ShowSkype = skype;
  return s;
}

INSTANTIATE_TEST_SUITE_P(
    Switches, UpdateAppletsTest,
    ::testing::Values(AppletCase{"AllOffNoneRunning", With(0, 0, 0, 0), {}, {}},
                      AppletCase{"AllOnNoneRunning",
                                 With(1, 0, 1, 1),
                                 {},
                                 {"Start load", "Start mail", "Start voice"}},
                      AppletCase{"RamAloneStartsLoad", With(0, 1, 0, 0), {}, {"Start load"}},
                      AppletCase{"RunningAndOnIsOnlyReloaded",
                                 With(0, 1, 1, 0),
                                 {Companion::LoadNotifier, Companion::MailNotifier},
                                 {"PostTo load 1224 0 0", "PostTo mail 1224 0 0"}},
                      AppletCase{"RunningAndOffIsReloadedThenClosed",
                                 With(0, 0, 0, 0),
                                 {Companion::MailNotifier, Companion::VoiceNotifier},
                                 {"PostTo mail 1224 0 0", "PostTo mail 16 0 0",
                                  "PostTo voice 1224 0 0", "PostTo voice 16 0 0"}},
                      AppletCase{"SwitchValueTwoIsNotOn", With(2, 2, 2, 2), {}, {}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(MonitorCoreSwitches, VoiceNotifierIgnoresTheCpuNoticeSwitch) {
  // ShowDpi is not part of OsdSwitches at all: only ShowSkype may start the voice notifier.
  FakeMonitorHost host;
  WorkerFlags flags;
  MonitorCore core{host, flags};
  host.SwitchesOnFile = With(0, 0, 0, 1);
  core.LoadOsdSetting();
  core.UpdateApplets();
  EXPECT_EQ(host.Calls, (Lines{"Start voice"}));
}

TEST_F(MonitorCoreTest, UnreadableOsdSettingKeepsThePreviousSwitches) {
  host.SwitchesOnFile = With(0, 0, 1, 0);
  core.LoadOsdSetting();
  host.OsdSettingReadable = false;
  core.LoadOsdSetting();
  EXPECT_EQ(core.Switches().ShowMail, 1);
}

TEST_F(MonitorCoreTest, ApplyWithMousePresentPassesAppearanceAndQueuesTheUpload) {
  StartPresent();
  host.SwitchesOnFile.OsdColor = 6;
  host.SwitchesOnFile.OsdTransparency = -1;  // only its low 16 bits travel
  host.Windows = {Companion::Osd, Companion::Configurator};
  core.OnApplyRequest(1);
  EXPECT_EQ(host.Calls,
            (Lines{"ReadSharedBlock", "PostTo osd 1326 0 " + std::to_string((6 << 16) + 0xFFFF),
                   "PostWorker 1 1"}));
}

TEST_F(MonitorCoreTest, ApplyAnswersAtOnceWhenNoJobCanRun) {
  host.FeatureDeviceOpens = false;
  core.Start(false);
  host.Calls.clear();
  host.Windows = {Companion::Configurator};
  core.OnApplyRequest(0);
  EXPECT_EQ(host.Calls, (Lines{"ReadSharedBlock", "PostTo configurator 1256 0 0"}));

  StartPresent();
  host.WorkerPostSucceeds = false;
  core.OnApplyRequest(0);
  EXPECT_EQ(host.Calls,
            (Lines{"ReadSharedBlock", "PostWorker 1 0", "PostTo configurator 1256 0 0"}));
}

std::vector<unsigned char> Record(const char* text, std::size_t size = 151) {
  std::vector<unsigned char> bytes(size, 0);
  bytes[0] = 5;
  std::memcpy(bytes.data() + 1, text, std::strlen(text));
  return bytes;
}

TEST_F(MonitorCoreTest, HandOffIsStoredAndAnnouncedOnlyWhileTheMouseIsPresent) {
  host.FeatureDeviceOpens = false;
  core.Start(false);
  host.Calls.clear();
  host.Windows = {Companion::Osd};
  auto record = Record("3 New Mails");
  core.OnCopyData(151, record.data());
  EXPECT_EQ(host.Calls, (Lines{"StoreOsdMessage"}));

  StartPresent();
  core.OnCopyData(151, record.data());
  EXPECT_EQ(host.Calls, (Lines{"StoreOsdMessage", "PostTo osd 1324 50 0"}));

  host.Calls.clear();
  host.Windows.clear();
  core.OnCopyData(151, record.data());
  EXPECT_EQ(host.Calls, (Lines{"StoreOsdMessage"}));
  EXPECT_EQ(host.StoredMessages, (std::vector<std::string>(3, "3 New Mails")));
}

TEST_F(MonitorCoreTest, HandOffOfAnotherSizeChangesNothing) {
  StartPresent();
  host.Windows = {Companion::Osd};
  for (std::size_t size : {0u, 1u, 150u, 152u, 300u}) {
    auto record = Record("CPU LOAD: 5%", size < 20 ? 20 : size);
    core.OnCopyData(static_cast<std::uint32_t>(size), record.data());
  }
  core.OnCopyData(151, nullptr);
  EXPECT_TRUE(host.Calls.empty());
}

TEST_F(MonitorCoreTest, ShutdownRunsInOrder) {
  StartPresent();
  flags.Busy = true;
  host.Windows = {Companion::Configurator, Companion::Osd, Companion::LoadNotifier,
                  Companion::MailNotifier, Companion::VoiceNotifier};
  core.Shutdown();
  EXPECT_EQ(host.Calls,
            (Lines{"HostControl 0", "KillTimer 500", "KillTimer 502", "PostTo configurator 16 0 0",
                   "PostTo mail 16 0 0", "PostTo load 16 0 0", "PostTo voice 16 0 0",
                   "PostTo osd 16 0 0", "StopWorker", "StopEventThread", "CloseDevMonitor",
                   "CloseFeatureDevice", "FreeDeviceLibrary", "StopMacroPlayer",
                   "UnregisterSession", "CloseSharedBlock", "RemoveTrayIcon"}));
  EXPECT_TRUE(flags.Cancel);
  EXPECT_TRUE(flags.Stopping);
}

TEST_F(MonitorCoreTest, ShutdownCancelsTheRunningJobBeforeTheHostControlReport) {
  StartPresent();
  flags.Busy = true;
  bool cancelledFirst = false;
  host.OnHostControl = [&] { cancelledFirst = flags.Cancel && flags.Stopping; };
  core.Shutdown();
  EXPECT_TRUE(cancelledFirst);
}

TEST_F(MonitorCoreTest, TaskbarRestartAddsTheIconOnlyWhenItWasShown) {
  core.OnTaskbarCreated();
  EXPECT_TRUE(host.Calls.empty());
  StartPresent();
  core.OnTaskbarCreated();
  EXPECT_EQ(host.Calls, (Lines{"AddTrayIcon"}));
  core.OnPresence(0);
  host.Calls.clear();
  core.OnTaskbarCreated();
  EXPECT_TRUE(host.Calls.empty());
  core.OnPresence(1);
  host.Calls.clear();
  core.OnTaskbarCreated();
  EXPECT_EQ(host.Calls, (Lines{"AddTrayIcon"}));
}

}  // namespace
}  // namespace karvo::monitor
