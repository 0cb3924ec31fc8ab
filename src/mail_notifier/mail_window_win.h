#pragma once
// Mailpeek's hidden main window: it owns the check timer, runs the checks on its
// thread and hands the notices to the monitor.
#include <windows.h>
#include <winsock2.h>

#include <cstdint>
#include <memory>
#include <string>

#include "mail_notifier/mail_notifier.h"
#include "platform/suite_names.h"
#include "platform/window_win.h"
#include "settings/file_store_win.h"
#include "settings/registry_win.h"
#include "settings/settings_image.h"

namespace karvo::mail {

inline constexpr const char* kMailWindowTitle = platform::kMailTitle;
inline constexpr UINT_PTR kCheckTimerId = 500;
// The monitor posts it after every change of the settings.
inline constexpr UINT kAppletReloadMessage = platform::kMsgAppletReload;

class MailWindow final : public platform::Window, public IMailHost {
 public:
  // programDir is the applet's own directory with its trailing backslash; the
  // settings come from config.ini in the directory above it.
  MailWindow(HINSTANCE instance, std::string programDir);

  // Registers the class and creates the window, never shown.
  [[nodiscard]] bool Create();
  const MailNotifier& Notifier() const { return m_notifier; }

  // IMailHost
  void SetCheckTimer(std::uint32_t intervalMs) override;
  void KillCheckTimer() override;
  std::unique_ptr<IStreamSocket> CreateSocket() override;
  void SendNotice(const settings::OsdTextRecord& record) override;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  void OnCreate();
  void OnTimer(UINT_PTR id);
  void OnAppletReload();
  void OnDestroy();
  // Into m_setting; a missing or rejected value leaves the previous contents.
  void ReadSettings();

  HINSTANCE m_instance;
  std::string m_programDir;
  settings::WinFileStore m_files;
  settings::WinRegistry m_registry;
  settings::OSDSetting m_setting{};
  MailNotifier m_notifier;
};

}  // namespace karvo::mail
