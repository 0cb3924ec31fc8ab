#include "mail_notifier/mail_notifier.h"

#include <cstdio>

namespace karvo::mail {

MailAccount AccountFromSettings(const settings::OSDSetting& setting) {
  MailAccount account;
  account.Server = std::string(settings::FieldText(setting.MailServer));
  account.User = std::string(settings::FieldText(setting.MailUser));
  account.Password = std::string(settings::FieldText(setting.MailPassword));
  account.Port =
      (setting.MailPort >= 1 && setting.MailPort <= 65535) ? setting.MailPort : kDefaultPop3Port;
  return account;
}

std::uint32_t CheckIntervalMs(const settings::OSDSetting& setting) {
  int minutes = setting.MailInterval;
  if (minutes < 0) minutes = kDefaultIntervalMinutes;
  if (minutes > kMaxIntervalMinutes) minutes = kMaxIntervalMinutes;
  return static_cast<std::uint32_t>(minutes) * 60000u;
}

int MailCounter::Observe(int count) {
  if (count == m_lastCount || count == 0) return 0;
  int announce = 0;
  if (!m_baselineSet) {
    m_baselineSet = true;
  } else if (count > m_lastCount) {
    announce = count - m_lastCount;
  }
  m_lastCount = count;
  return announce;
}

std::string MailNoticeText(int newMessages) {
  char text[150] = {};
  std::snprintf(text, sizeof text, newMessages > 1 ? "%d New Mails" : "%d New Mail", newMessages);
  return text;
}

settings::OsdTextRecord MakeMailNotice(int newMessages) {
  return settings::MakeOsdTextRecord(settings::OsdTextSource::Mail, MailNoticeText(newMessages));
}

MailNotifier::MailNotifier(IMailHost& host, IClock& clock, Pop3Limits limits)
    : m_host(host), m_clock(clock), m_limits(limits) {}

void MailNotifier::Start(const settings::OSDSetting& setting) {
  m_setting = setting;
  m_host.SetCheckTimer(CheckIntervalMs(m_setting));
}

void MailNotifier::Reload(const settings::OSDSetting& setting) {
  m_setting = setting;
  m_host.KillCheckTimer();
  m_host.SetCheckTimer(CheckIntervalMs(m_setting));
}

void MailNotifier::OnTimer() {
  m_host.KillCheckTimer();
  if (m_setting.ShowMail != 1) return;
  if (Check()) m_host.SetCheckTimer(CheckIntervalMs(m_setting));
}

bool MailNotifier::Check() {
  MailAccount account = AccountFromSettings(m_setting);
  Pop3Client client(m_host.CreateSocket(), m_clock, m_limits);
  if (!client.Connect(account.Server, account.User, account.Password, account.Port)) return false;
  if (!client.Statistics()) {
    (void)client.Disconnect();
    return false;
  }
  int count = client.MessageCount();
  // The count is taken whatever QUIT answers: the mailbox was read.
  (void)client.Disconnect();
  int announce = m_counter.Observe(count);
  if (announce > 0) m_host.SendNotice(MakeMailNotice(announce));
  return true;
}

}  // namespace karvo::mail
