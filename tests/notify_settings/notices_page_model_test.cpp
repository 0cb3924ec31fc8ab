#include "notify_settings/notices_page_model.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <utility>

namespace karvo::notify_settings {
namespace {

class NoticesPageTest : public ::testing::Test {
 protected:
  NoticesPageTest() { settings::SetOsdDefaults(&m_record); }
  settings::OSDSetting m_record{};
  NoticesPageModel m_page{m_record};
};

TEST_F(NoticesPageTest, DefaultsShowBlueTenPercentAndThePop3Defaults) {
  m_page.Init();
  const NoticesView view = m_page.Refresh();
  for (bool checked : view.Checked) EXPECT_FALSE(checked);
  EXPECT_EQ(view.SelectedColor, 4);
  EXPECT_EQ(view.TransparencyCaption, "10%");
  EXPECT_EQ(view.Server, "");
  EXPECT_EQ(view.User, "");
  EXPECT_EQ(view.Password, "");
  EXPECT_EQ(view.Port, "110");
  EXPECT_EQ(view.Interval, "5");
}

TEST_F(NoticesPageTest, TransparencyIsHeldUntilApplyAndOnlyTenChoicesHaveACaption) {
  const struct {
    int Index;
    const char* Caption;
  } kCaptions[] = {{0, "10%"}, {4, "50%"}, {9, "100%"}, {10, ""}, {-1, ""}};
  for (const auto& c : kCaptions) EXPECT_EQ(TransparencyCaption(c.Index), c.Caption);

  m_record.OsdTransparency = 9;
  m_page.Init();
  EXPECT_EQ(m_page.Caption(), "100%");
  EXPECT_TRUE(m_page.OnTransparencyCommand(1005));
  EXPECT_EQ(m_page.Caption(), "50%");
  EXPECT_EQ(m_page.TransparencyIndex(), 4);
  EXPECT_EQ(m_record.OsdTransparency, 9) << "the record changes only at Apply";
  EXPECT_FALSE(m_page.OnTransparencyCommand(1011));
  EXPECT_FALSE(m_page.OnTransparencyCommand(1000));
  EXPECT_FALSE(m_page.OnTransparencyCommand(INT_MIN));
  EXPECT_EQ(m_page.TransparencyIndex(), 4);
  EXPECT_EQ(m_page.Refresh().TransparencyCaption, "100%");
  EXPECT_EQ(m_page.TransparencyIndex(), 9);
}

TEST_F(NoticesPageTest, EveryTransparencyMenuEntryChoosesTheIndexItsCaptionNames) {
  const skin::PopupMenu menu = TransparencyMenu();
  ASSERT_EQ(menu.Entries.size(), 10u);
  for (int i = 0; i < 10; ++i) {
    const skin::MenuEntry& entry = menu.Entries[static_cast<std::size_t>(i)];
    EXPECT_EQ(skin::KindOf(entry), skin::MenuItemKind::Command);
    EXPECT_EQ(entry.Text, (skin::UiText{std::to_string(10 * i + 10) + "%", false}));
    ASSERT_TRUE(m_page.OnTransparencyCommand(entry.Command));
    EXPECT_EQ(m_page.Caption(), entry.Text.Bytes);
  }
}

TEST_F(NoticesPageTest, ColourReachesTheRecordAtOnceAndOnlyItsSevenButtonsShow) {
  m_page.OnColor(2);
  m_page.OnColor(7);
  EXPECT_EQ(m_record.OsdColor, 2);
  m_record.OsdColor = 9;
  EXPECT_EQ(m_page.Refresh().SelectedColor, -1);
}

TEST_F(NoticesPageTest, EditsStoreWithinTheirFieldsAndNumbersAsTyped) {
  const std::string longPassword(150, 'p');
  const struct {
    int NotifyId;
    std::string Text;
  } kEdits[] = {
      {kServerNotifyId, "pop.example.org"}, {kPortNotifyId, ""},     {kUserNotifyId, "anna"},
      {kPasswordNotifyId, longPassword},    {kIntervalNotifyId, ""}, {4020, "ignored"},
  };
  for (const auto& e : kEdits) m_page.OnEditChange(e.NotifyId, e.Text);
  EXPECT_STREQ(m_record.MailServer, "pop.example.org");
  EXPECT_STREQ(m_record.MailUser, "anna");
  EXPECT_EQ(m_record.MailPort, 0);
  EXPECT_EQ(m_record.MailInterval, 0);
  EXPECT_EQ(std::string(m_record.MailPassword), longPassword.substr(0, 99));
  EXPECT_EQ(kPasswordMaxChars, 99);

  for (auto [text, port] : {std::pair{"65535", 65535}, {"99999", 99999}, {"abc", 0}}) {
    m_page.OnEditChange(kPortNotifyId, text);
    EXPECT_EQ(m_record.MailPort, port) << text;
  }

  // An unterminated field from a damaged record is shown only within its bytes.
  std::memset(m_record.MailUser, 'u', sizeof m_record.MailUser);
  EXPECT_EQ(m_page.Refresh().User, std::string(100, 'u'));
}

}  // namespace
}  // namespace karvo::notify_settings
