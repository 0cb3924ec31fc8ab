#pragma once
// The monitor's own message numbers, timer ids and menu ids; what it shares with the other
// programs comes from the suite's names.
#include <cstdint>

#include "platform/suite_names.h"

namespace karvo::monitor {

using platform::kMsgAppletReload;
using platform::kMsgApply;
using platform::kMsgApplyFinished;
using platform::kMsgConfigReadBack;
using platform::kMsgOsdAppearance;
using platform::kMsgOsdNotice;
using platform::kMsgProfileChanged;
using platform::kNoticeMessageText;

using platform::kDeviceLibraryName;
using platform::kMonitorInstanceMutex;
using platform::kMonitorTitle;
using platform::kSharedBlockMutexName;
using platform::kSharedBlockName;

// Window messages (numbers fixed by the programs that send or receive them).
inline constexpr std::uint32_t kWmClose = 0x0010;
inline constexpr std::uint32_t kWmCommand = 0x0111;
inline constexpr std::uint32_t kMsgReadSharedBlockA = 1226;
inline constexpr std::uint32_t kMsgReadSharedBlockB = 1227;
inline constexpr std::uint32_t kMsgIgnoredA = 1274;
inline constexpr std::uint32_t kMsgIgnoredB = 1327;
inline constexpr std::uint32_t kMsgTrayCallback = 1036;
inline constexpr std::uint32_t kMsgDeviceEvent = 1325;     // from the device library
inline constexpr std::uint32_t kMsgDevicePresence = 1326;  // from the device library
inline constexpr std::uint32_t kMsgPlayMacro = 1648;       // thread message to the macro player
inline constexpr std::uint32_t kMsgConfigJob = 1649;  // thread message to the configuration worker
inline constexpr std::uint32_t kWmWtsSessionChange = 0x2B1;

// wParam of kMsgConfigJob.
inline constexpr std::uint32_t kJobUpload = 1;
inline constexpr std::uint32_t kJobReadBack = 2;
inline constexpr std::uint32_t kJobCurrentProfile = 3;
inline constexpr std::uint32_t kJobNone = 4;

inline constexpr std::uint32_t kTimerGameCheck = 500;
inline constexpr std::uint32_t kTimerFirstReadBack = 502;
inline constexpr std::uint32_t kGameCheckIntervalMs = 2000;
inline constexpr std::uint32_t kFirstReadBackDelayMs = 200;
inline constexpr std::uint32_t kArrivalSettleMs = 5000;

inline constexpr std::uint32_t kMenuOpenConfigurator = 6001;
inline constexpr std::uint32_t kMenuExit = 6002;
inline constexpr std::uint32_t kTrayIconId = 102;

}  // namespace karvo::monitor
