#pragma once
// Helpers of the Windows-side load notifier tests: a stand-in for the monitor's window that
// keeps the notice records it is sent, and a temporary install directory with the applet's
// settings.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/osd_hand_off_win.h"
#include "settings/osd_text_record.h"
#include "settings/settings_image.h"
#include "tests/support/child_process_win.h"
#include "tests/support/pump_win.h"
#include "tests/support/recording_window_win.h"

namespace karvo::load_notifier::testing {

struct SeenRecord {
  WPARAM wParam = 0;
  ULONG_PTR dwData = 0;
  DWORD cbData = 0;
  std::uint8_t source = 0;
  std::string text;  // within the record's text field only
};

// A window titled like the monitor's, on the calling thread, keeping the notice records.
class StandInMonitor {
 public:
  StandInMonitor() : m_window(platform::kMonitorWindowTitle, "KarvoLoadTestMonitor") {
    m_window.OnRecorded = [this](const karvo::testing::RecordedMessage& m) {
      if (m.Message != WM_COPYDATA) return;
      SeenRecord seen;
      seen.wParam = m.WParam;
      seen.dwData = m.DataKind;
      seen.cbData = m.DataSize;
      if (m.DataSize == sizeof(settings::OsdTextRecord) && m.Data.size() == m.DataSize) {
        settings::OsdTextRecord record;
        std::memcpy(&record, m.Data.data(), sizeof record);
        seen.source = record.Source;
        seen.text.assign(record.Text, strnlen(record.Text, sizeof record.Text));
      }
      received.push_back(seen);
    };
  }

  HWND Hwnd() const { return m_window.Hwnd(); }
  std::vector<std::uint8_t> Sources() const {
    std::vector<std::uint8_t> out;
    for (const SeenRecord& r : received) out.push_back(r.source);
    return out;
  }
  std::vector<SeenRecord> received;

 private:
  karvo::testing::RecordingWindow m_window;
};

using karvo::testing::Pump;
using karvo::testing::PumpUntil;

// A fresh install directory below the temporary directory, with an "Applets"
// sub-directory; both with a trailing backslash.
struct InstallDir {
  std::string root;
  std::string applets;

  static InstallDir Make(const char* name) {
    InstallDir dir;
    dir.root = karvo::testing::MakeTempDirectory(name);
    dir.applets = dir.root + "Applets\\";
    ::CreateDirectoryA(dir.applets.c_str(), nullptr);
    return dir;
  }

  // config.ini [OSDSetting] "config", written by the system's own struct function.
  bool WriteSwitches(int showCpu, int showRam) const {
    settings::OSDSetting setting{};
    setting.ShowCpu = showCpu;
    setting.ShowRam = showRam;
    setting.MailInterval = 5;
    return ::WritePrivateProfileStructA("OSDSetting", "config", &setting, sizeof setting,
                                        (root + "config.ini").c_str()) != FALSE;
  }
};

}  // namespace karvo::load_notifier::testing
