#pragma once
// Message numbers, timer ids and window titles the monitor shares with the rest of the suite.
#include <cstdint>

namespace karvo::monitor {

// Window messages (numbers fixed by the programs that send or receive them).
inline constexpr std::uint32_t kWmClose = 0x0010;
inline constexpr std::uint32_t kWmCommand = 0x0111;
inline constexpr std::uint32_t kMsgApply =
    1224;  // configurator -> monitor; monitor -> applets: reload
inline constexpr std::uint32_t kMsgAppletReload = 1224;
inline constexpr std::uint32_t kMsgReadSharedBlockA = 1226;
inline constexpr std::uint32_t kMsgReadSharedBlockB = 1227;
inline constexpr std::uint32_t kMsgIgnoredA = 1274;
inline constexpr std::uint32_t kMsgIgnoredB = 1327;
inline constexpr std::uint32_t kMsgTrayCallback = 1036;
inline constexpr std::uint32_t kMsgDeviceEvent = 1325;     // from the device library
inline constexpr std::uint32_t kMsgDevicePresence = 1326;  // from the device library
inline constexpr std::uint32_t kMsgConfigReadBack = 1254;  // monitor -> configurator
inline constexpr std::uint32_t kMsgProfileChanged = 1255;
inline constexpr std::uint32_t kMsgApplyFinished = 1256;
inline constexpr std::uint32_t kMsgOsdNotice = 1324;      // monitor -> display
inline constexpr std::uint32_t kMsgOsdAppearance = 1326;  // monitor -> display
inline constexpr std::uint32_t kMsgPlayMacro = 1648;      // thread message to the macro player
inline constexpr std::uint32_t kMsgConfigJob = 1649;  // thread message to the configuration worker
inline constexpr std::uint32_t kWmWtsSessionChange = 0x2B1;

// wParam of kMsgConfigJob.
inline constexpr std::uint32_t kJobUpload = 1;
inline constexpr std::uint32_t kJobReadBack = 2;
inline constexpr std::uint32_t kJobCurrentProfile = 3;
inline constexpr std::uint32_t kJobNone = 4;

// wParam of kMsgOsdNotice.
inline constexpr std::uint32_t kNoticeMessageText = 50;

inline constexpr std::uint32_t kTimerGameCheck = 500;
inline constexpr std::uint32_t kTimerFirstReadBack = 502;
inline constexpr std::uint32_t kGameCheckIntervalMs = 2000;
inline constexpr std::uint32_t kFirstReadBackDelayMs = 200;
inline constexpr std::uint32_t kArrivalSettleMs = 5000;

inline constexpr std::uint32_t kMenuOpenConfigurator = 6001;
inline constexpr std::uint32_t kMenuExit = 6002;
inline constexpr std::uint32_t kTrayIconId = 102;

inline constexpr char kMonitorTitle[] = "KARVO Gaming Mouse Monitor";
inline constexpr char kMonitorInstanceMutex[] = "KARVO Gaming Mouse Monitor";
inline constexpr char kSharedBlockName[] = "KARVO_Gaming_Mouse_Share_Data";
inline constexpr char kSharedBlockMutexName[] = "KARVO_Gaming_Mouse_Mutex_Object";
inline constexpr char kDeviceLibraryName[] = "hidgate.dll";

}  // namespace karvo::monitor
