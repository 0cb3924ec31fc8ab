#include "configurator/configurator_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#include "platform/suite_names.h"
#include "settings/profile_files.h"
#include "tests/configurator/configurator_fakes.h"
#include "tests/settings/fake_registry.h"

namespace karvo::configurator {
namespace {

using settings::SettingsImage;
using testing::FakeBlock;
using testing::FakeHost;
using testing::FakeMacros;
using testing::Log;
using testing::LoggingStore;

constexpr char kDir[] = "C:\\Karvo\\";
constexpr char kConfig[] = "C:\\Karvo\\config.ini";

class SessionTest : public ::testing::Test {
 protected:
  SessionTest() {
    m_store.SetFile(kConfig, "[Setting]\r\nCurrentProfile=2\r\nFWVersion=102\r\n");
    m_store.SetFile("C:\\Karvo\\config\\Default2.kmp", "[Setting]\r\nProFileName=FromFile\r\n");
    m_registry.Set(settings::kMouseKey, "DoubleClickSpeed", "500");  // level 6
    m_registry.Set(settings::kMouseKey, "MouseSensitivity", "14");
    settings::ResetImage(&m_block.Image);
    m_block.Image.CurrentProfile = 1;
    for (int slot = 0; slot < 5; ++slot) {
      settings::SetProfileDefaults(&m_block.Image.Profiles[slot], slot);
    }
    std::strcpy(m_block.Image.Profiles[1].ProFileName, "FromBlock");
    m_block.Image.Reserved4 = 9;
    m_block.Image.ProfileChanged = 1;
    m_block.Image.SensorChanged[1] = 1;
    m_block.Image.ButtonChanged[4][13] = 1;
    m_block.Image.ProfileLoadFlagB[0] = 1;
    m_block.Image.LevelChanged[3] = 1;
  }

  bool CopiesEqual() const {
    return std::memcmp(&m_session.SnapshotBlock(), &m_session.WorkingBlock(),
                       sizeof(SettingsImage)) == 0;
  }

  Log m_log;
  LoggingStore m_store{m_log};
  settings::testing::FakeRegistry m_registry;
  settings::SettingsFiles m_files{m_store, m_registry, kDir};
  FakeBlock m_block{m_log};
  FakeMacros m_macros{m_log};
  FakeHost m_host{m_log};
  ConfiguratorSession m_session{{m_files, m_registry, m_macros}};
};

TEST_F(SessionTest, StartUpTakesTheMonitorsBlockOrElseTheFilesThenTheLiveWindowsValues) {
  enum Source { kMonitor, kBlockUnreadable, kNoMonitor };
  for (Source source : {kMonitor, kBlockUnreadable, kNoMonitor}) {
    SCOPED_TRACE(source);
    m_block.Fail = source == kBlockUnreadable;
    m_log.clear();
    m_session.StartUp(source == kNoMonitor ? nullptr : &m_block);

    const SettingsImage& snapshot = m_session.SnapshotBlock();
    const int slot = source == kMonitor ? 1 : 2;
    EXPECT_EQ(snapshot.CurrentProfile, slot);
    EXPECT_STREQ(snapshot.Profiles[slot].ProFileName,
                 source == kMonitor ? "FromBlock" : "FromFile");
    EXPECT_EQ(snapshot.Profiles[slot].DbleClickSpeed, 6);
    EXPECT_EQ(snapshot.Profiles[slot].MouseSpeed, 14);
    EXPECT_EQ(snapshot.Profiles[slot == 1 ? 2 : 1].MouseSpeed, 11) << "only the current slot";
    EXPECT_EQ(snapshot.Reserved4, 0);
    EXPECT_EQ(snapshot.ProfileChanged, 0);
    EXPECT_EQ(snapshot.SensorChanged[1], 0);
    EXPECT_EQ(snapshot.ButtonChanged[4][13], 0);
    EXPECT_EQ(snapshot.ProfileLoadFlagB[0], 0);
    EXPECT_EQ(snapshot.LevelChanged[3], source == kMonitor ? 1 : 0);
    EXPECT_TRUE(CopiesEqual());
    EXPECT_EQ(m_session.VersionLine(), "SW2.02 / FW1.02");
    EXPECT_EQ(m_log.back(), "merge");
  }
}

TEST_F(SessionTest, ApplyHandsOverThenStoresInItsOrderAndFlagsOnlyWhatChanged) {
  m_session.StartUp(&m_block);
  m_store.SetFile(kConfig, "");  // every save below writes config.ini
  m_log.clear();
  m_session.Apply(m_host, platform::kApplyNormal, 4);
  std::string steps;
  for (const std::string& step : m_log) steps += step + "; ";
  EXPECT_EQ(steps,
            "wait cursor; disable; write block; write config.ini; post 0; write config.ini; "
            "write Default0.kmp; write Default1.kmp; write Default2.kmp; write Default3.kmp; "
            "write Default4.kmp; save macros; enable; arrow cursor; ");
  EXPECT_EQ(m_block.Image.ProfileChanged, 0) << "an apply without a change flags nothing";
  EXPECT_EQ(m_block.Image.SensorChanged[1], 0);

  // The transparency reaches the record only now.
  settings::OSDSetting stored{};
  ASSERT_EQ(m_files.ReadOsdSetting(&stored, false), 1);
  EXPECT_EQ(stored.OsdTransparency, 4);

  m_session.WorkingBlock().Profiles[2].PollingRate = 0;
  m_session.Apply(m_host, platform::kApplyNormal, 4);
  EXPECT_EQ(m_block.Image.ProfileChanged, 0);
  EXPECT_EQ(std::vector<int>(m_block.Image.SensorChanged, m_block.Image.SensorChanged + 5),
            std::vector<int>({0, 0, 1, 0, 0}));
  EXPECT_EQ(m_session.WorkingBlock().SensorChanged[2], 0) << "the copy's flags are cleared";
  EXPECT_TRUE(CopiesEqual());

  ASSERT_TRUE(m_session.SelectSlot(3));
  m_session.Apply(m_host, platform::kApplyNormal, 4);
  EXPECT_EQ(m_block.Image.ProfileChanged, 1);
  EXPECT_EQ(settings::LoadIni(m_store, kConfig).GetInt("Setting", "CurrentProfile", -1), 3);
}

TEST_F(SessionTest, MonitorMessagesReplaceTheCopiesOnlyWhenTheBlockIsRead) {
  const struct {
    std::uint32_t Message;
    std::intptr_t LParam;
    PageUpdate Update;
  } kCases[] = {
      {platform::kMsgConfigReadBack, 0, PageUpdate::kRefreshAll},
      {platform::kMsgProfileChanged, 0, PageUpdate::kRefreshAll},
      {platform::kMsgButtonModeChanged, 1, PageUpdate::kShowFirstButtonPage},
      {platform::kMsgButtonModeChanged, 0, PageUpdate::kShowSecondButtonPage},
      {platform::kMsgCpiLevelChanged, 0, PageUpdate::kRefreshSensitivity},
      {platform::kMsgConfiguratorIgnoredA, 0, PageUpdate::kNone},
  };
  for (bool readable : {true, false}) {
    for (const auto& c : kCases) {
      SCOPED_TRACE(std::to_string(c.Message) + (readable ? " readable" : " unreadable"));
      m_block.Fail = false;
      m_session.StartUp(&m_block);
      m_session.WorkingBlock().Profiles[1].XSensitivity = 3;  // an edit not applied
      m_block.Image.Profiles[1].YSensitivity = 17;            // the monitor's change
      m_block.Fail = !readable;
      const PageUpdate update = m_session.OnMonitorMessage(m_host, c.Message, c.LParam);

      const bool replaced = readable && c.Update != PageUpdate::kNone;
      EXPECT_EQ(update, readable ? c.Update : PageUpdate::kNone);
      EXPECT_EQ(m_session.WorkingBlock().Profiles[1].XSensitivity, replaced ? 10 : 3);
      EXPECT_EQ(m_session.WorkingBlock().Profiles[1].YSensitivity, replaced ? 17 : 10);
      // Only the read-back clears the flags the monitor left in its block.
      EXPECT_EQ(m_session.WorkingBlock().ProfileChanged,
                replaced && c.Message != platform::kMsgConfigReadBack ? 1 : 0);
      m_block.Image.Profiles[1].YSensitivity = 10;
    }
  }

  // The read-back takes any firmware version from 100 up; 1256 gives the window back.
  m_files.SetFirmwareVersion(1000);
  m_session.OnMonitorMessage(m_host, platform::kMsgConfigReadBack, 0);
  EXPECT_EQ(m_session.VersionLine(), "SW2.02 / FW1.000");
  m_log.clear();
  EXPECT_EQ(m_session.OnMonitorMessage(m_host, platform::kMsgApplyFinished, 0), PageUpdate::kNone);
  EXPECT_EQ(m_log, Log({"enable", "arrow cursor"}));
}

TEST_F(SessionTest, RestoreDefaultsThenApplyResetsEverySlotTheNoticesAndTellsTheMonitor) {
  m_block.Image.Profiles[4].PollingRate = 0;
  m_session.StartUp(&m_block);
  m_session.NoticeSettings().ShowMail = 1;
  m_session.NoticeSettings().OsdColor = 2;
  m_session.WorkingBlock().SensorChanged[4] = 1;
  m_session.RestoreDefaults();
  EXPECT_EQ(m_session.WorkingBlock().SensorChanged[4], 0);
  m_log.clear();
  m_session.Apply(m_host, platform::kApplyRestoreDefaults, 0);

  EXPECT_NE(std::find(m_log.begin(), m_log.end(), "post 1"), m_log.end());
  EXPECT_EQ(m_block.Image.CurrentProfile, 0);
  EXPECT_EQ(m_block.Image.ProfileChanged, 1) << "profile 2 -> profile 1";
  EXPECT_EQ(m_block.Image.SensorChanged[4], 1) << "the polling rate went back to 1000 Hz";
  for (int slot = 0; slot < 5; ++slot) {
    const settings::IniDocument file = settings::LoadIni(m_store, m_files.ProfilePath(slot));
    EXPECT_EQ(file.GetString("Setting", "ProFileName"), "Default" + std::to_string(slot + 1));
    EXPECT_EQ(file.GetInt("Setting", "PollingRate", -1), 3);
  }
  settings::OSDSetting stored{};
  ASSERT_EQ(m_files.ReadOsdSetting(&stored, false), 1);
  settings::OSDSetting expected{};
  settings::SetOsdDefaults(&expected);
  EXPECT_EQ(std::memcmp(&stored, &expected, sizeof stored), 0);
  EXPECT_EQ(m_registry.Text(settings::kMouseKey, "MouseSensitivity"), "11");
}

}  // namespace
}  // namespace karvo::configurator
