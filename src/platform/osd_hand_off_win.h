#pragma once
// The applets hand their notice texts to the monitor as one WM_COPYDATA record.
#include <windows.h>

#include "platform/suite_names.h"
#include "settings/osd_text_record.h"

namespace karvo::platform {

// The window the records go to.
inline constexpr const char* kMonitorWindowTitle = kMonitorTitle;
// A monitor that stops answering must not freeze the applet for good.
inline constexpr UINT kHandOffTimeoutMs = 10000;

enum class HandOffResult { Delivered, NoMonitor, NotDelivered };

// Sends the 151-byte record (wParam 0, data value 0) to the window titled
// "KARVO Gaming Mouse Monitor" and waits until the monitor has handled it; a
// record without a monitor is dropped.
[[nodiscard]] HandOffResult SendOsdText(const settings::OsdTextRecord& record,
                                        UINT timeoutMs = kHandOffTimeoutMs);

// SendOsdText, with a record that did not arrive logged under who ("Mailpeek", ...).
void HandOffOsdText(const settings::OsdTextRecord& record, const char* who);

}  // namespace karvo::platform
