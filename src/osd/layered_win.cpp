#include "osd/layered_win.h"

#include "platform/debug_log.h"
#include "platform/dyn_calls_win.h"

namespace karvo::osd {

bool SetWindowAlpha(HWND hwnd, BYTE alpha) {
  const auto setAttributes = platform::dyn::SetLayeredWindowAttributes();
  if (!setAttributes) return false;
  if (!setAttributes(hwnd, 0, alpha, LWA_ALPHA)) {
    platform::DebugLogLastError("SetLayeredWindowAttributes");
    return false;
  }
  return true;
}

}  // namespace karvo::osd
