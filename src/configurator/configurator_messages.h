#pragma once
// Names and message numbers the configurator shares with the monitor.
#include <cstdint>

namespace karvo::configurator {

// Posted to the monitor: the block has been written (wParam kApplyNormal or
// kApplyRestoreDefaults).
inline constexpr std::uint32_t kMsgApplyToMonitor = 1224;
inline constexpr std::uintptr_t kApplyNormal = 0;
inline constexpr std::uintptr_t kApplyRestoreDefaults = 1;

// Posted by the monitor to the configurator's window.
inline constexpr std::uint32_t kMsgReadBackDone = 1254;
inline constexpr std::uint32_t kMsgProfileChanged = 1255;
inline constexpr std::uint32_t kMsgApplyFinished = 1256;
inline constexpr std::uint32_t kMsgButtonModeChanged = 1261;  // lParam 1: first mode
inline constexpr std::uint32_t kMsgCpiLevelChanged = 1265;
// Accepted without any action.
inline constexpr std::uint32_t kMsgIgnored1258 = 1258;
inline constexpr std::uint32_t kMsgIgnored1125 = 1125;

inline constexpr char kConfiguratorTitle[] = "KARVO Gaming Mouse Option";
inline constexpr char kMonitorTitle[] = "KARVO Gaming Mouse Monitor";
inline constexpr char kConfiguratorInstanceMutex[] = "KARVO_Gaming_Mouse_configure";
inline constexpr char kSharedBlockName[] = "KARVO_Gaming_Mouse_Share_Data";
inline constexpr char kSharedBlockMutexName[] = "KARVO_Gaming_Mouse_Mutex_Object";
inline constexpr char kMapViewFailedText[] = "Could not map view of file.";

}  // namespace karvo::configurator
