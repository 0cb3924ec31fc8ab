#include "platform/osd_hand_off_win.h"

#include "platform/debug_log.h"

namespace karvo::platform {

HandOffResult SendOsdText(const settings::OsdTextRecord& record, UINT timeoutMs) {
  HWND monitor = ::FindWindowA(nullptr, kMonitorWindowTitle);
  if (!monitor) return HandOffResult::NoMonitor;
  // The receiver only reads the record; the descriptor's pointer is not const.
  settings::OsdTextRecord copy = record;
  COPYDATASTRUCT data{};
  data.dwData = 0;
  data.cbData = sizeof copy;
  data.lpData = &copy;
  DWORD_PTR answer = 0;
  if (!::SendMessageTimeoutA(monitor, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                             SMTO_NORMAL | SMTO_ABORTIFHUNG, timeoutMs, &answer)) {
    DebugLogLastError("SendMessageTimeout(WM_COPYDATA)");
    return HandOffResult::NotDelivered;
  }
  return HandOffResult::Delivered;
}

void HandOffOsdText(const settings::OsdTextRecord& record, const char* who) {
  switch (SendOsdText(record)) {
    case HandOffResult::Delivered:
      break;
    case HandOffResult::NoMonitor:
      DebugLog("%s: no monitor, notice dropped\n", who);
      break;
    case HandOffResult::NotDelivered:
      DebugLog("%s: the monitor did not take the notice\n", who);
      break;
  }
}

}  // namespace karvo::platform
