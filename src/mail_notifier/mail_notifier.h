#pragma once
// The mail notifier's checks: timer handling, one POP3 check per expiry, and the
// rule that turns mailbox counts into "n New Mail(s)" notices.
#include <cstdint>
#include <memory>
#include <string>

#include "mail_notifier/pop3_client.h"
#include "mail_notifier/stream_socket.h"
#include "settings/osd_text_record.h"
#include "settings/settings_image.h"

namespace karvo::mail {

inline constexpr int kDefaultPop3Port = 110;
inline constexpr int kDefaultIntervalMinutes = 5;
// The longest interval a window timer holds (0x7FFFFFFF ms) in whole minutes.
inline constexpr int kMaxIntervalMinutes = 0x7FFFFFFF / 60000;

struct MailAccount {
  std::string Server;
  std::string User;
  std::string Password;
  int Port = kDefaultPop3Port;
};

// The account of the settings record, its text fields read only within their size.
// MailPort is used when it is a valid port, 110 otherwise.
MailAccount AccountFromSettings(const settings::OSDSetting& setting);
// MailInterval in milliseconds: a negative interval is taken as the default, a
// huge one is cut to what a timer holds.
std::uint32_t CheckIntervalMs(const settings::OSDSetting& setting);

// Last count and baseline of the process. A count of 0 is ignored; the first
// non-zero count only sets the baseline; later a higher count is announced.
class MailCounter {
 public:
  // Returns how many new messages to announce (0 for none).
  int Observe(int count);
  int LastCount() const { return m_lastCount; }
  bool HasBaseline() const { return m_baselineSet; }

 private:
  int m_lastCount = 0;
  bool m_baselineSet = false;
};

// "%d New Mails" for more than one, "%d New Mail" otherwise.
std::string MailNoticeText(int newMessages);
// Source 5 and the first 16 bytes of the text; the rest of the record is zero.
settings::OsdTextRecord MakeMailNotice(int newMessages);

// What the notifier needs from the applet's window and the platform.
class IMailHost {
 public:
  virtual ~IMailHost() = default;
  virtual void SetCheckTimer(std::uint32_t intervalMs) = 0;
  virtual void KillCheckTimer() = 0;
  virtual std::unique_ptr<IStreamSocket> CreateSocket() = 0;
  // Hands the record to the monitor; dropped when the monitor is not running.
  virtual void SendNotice(const settings::OsdTextRecord& record) = 0;
};

class MailNotifier {
 public:
  explicit MailNotifier(IMailHost& host, IClock& clock = SteadyClock(), Pop3Limits limits = {});

  // The settings read at start-up; the first check runs when the timer expires.
  void Start(const settings::OSDSetting& setting);
  // New settings from the monitor: the timer starts over with the new interval.
  void Reload(const settings::OSDSetting& setting);
  // The check timer expired. Checks never overlap: the timer is off while one runs,
  // and it is armed again only after a check that read the mailbox.
  void OnTimer();

  const MailCounter& Counter() const { return m_counter; }

 private:
  // False when the mailbox could not be read (connection, login or STAT failed).
  bool Check();

  IMailHost& m_host;
  IClock& m_clock;
  Pop3Limits m_limits;
  settings::OSDSetting m_setting{};
  MailCounter m_counter;
};

}  // namespace karvo::mail
