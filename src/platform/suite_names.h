#pragma once
// What the suite's programs say to each other and how they find each other: window titles,
// class names, mutex and mapping names, program files and message numbers. Every program and
// every test takes them from here.
#include <cstdint>

namespace karvo::platform {

// Window titles; the programs find each other with FindWindow by title alone.
inline constexpr char kConfiguratorTitle[] = "KARVO Gaming Mouse Option";
inline constexpr char kMonitorTitle[] = "KARVO Gaming Mouse Monitor";
inline constexpr char kOsdTitle[] = "KARVO Gaming Mouse OSD";
inline constexpr char kMailTitle[] = "KARVO Gaming Mouse Pop3";
inline constexpr char kLoadTitle[] = "KARVO Gaming Mouse CPU RAM OSD";
// The outside voice-call notifier the monitor starts and closes.
inline constexpr char kVoiceTitle[] = "KARVO Gaming Mouse OSD SKYPE";
// The configurator's dialog that captures a key for a mouse button.
inline constexpr char kShortcutDialogTitle[] = "KARVO Assign a Shortcut Dialog";

// Window classes.
inline constexpr char kMonitorClass[] = "KarvoMonitorWindow";
inline constexpr char kOsdClass[] = "KARVO Gaming Mouse OSD";
inline constexpr char kOsdNoticeClass[] = "GamingMouseOSDTEXT";
inline constexpr char kMailClass[] = "KarvoMailpeekWindow";
inline constexpr char kLoadClass[] = "KARVO Gaming Mouse CPU RAM OSD";

// Single-instance mutexes: a second copy of a program finds its mutex and ends.
inline constexpr char kConfiguratorInstanceMutex[] = "KARVO_Gaming_Mouse_configure";
inline constexpr char kMonitorInstanceMutex[] = "KARVO Gaming Mouse Monitor";
inline constexpr char kOsdInstanceMutex[] = "KARVO_Mutex_Gaming_Mouse_OSD";
inline constexpr char kMailInstanceMutex[] = "KARVO_Gaming_Mouse_POP3_Application";
inline constexpr char kLoadInstanceMutex[] = "KARVO Gaming Mouse Cpu_Ram_Monitor_Application";

// The settings block the monitor publishes, and the mutex every copy is taken under.
inline constexpr char kSharedBlockName[] = "KARVO_Gaming_Mouse_Share_Data";
inline constexpr char kSharedBlockMutexName[] = "KARVO_Gaming_Mouse_Mutex_Object";

// Program files, relative to the install directory.
inline constexpr char kConfiguratorExe[] = "KARVO Gaming Mouse Option.exe";
inline constexpr char kMonitorExe[] = "KARVO Gaming Mouse Monitor.exe";
inline constexpr char kOsdExe[] = "KARVO Gaming Mouse OSD.exe";
inline constexpr char kLoadExe[] = "Applets\\Loadpeek.exe";
inline constexpr char kMailExe[] = "Applets\\Mailpeek.exe";
inline constexpr char kVoiceExe[] = "Applets\\Osdtalk.exe";
inline constexpr char kDeviceLibraryName[] = "hidgate.dll";

// Messages between the programs, posted to the window found by its title.
// 1224 (WM_USER+200): configurator -> monitor, the block has been written (wParam 0 apply,
// 1 restore the device defaults); monitor -> applets, re-read the notification settings.
inline constexpr std::uint32_t kMsgApply = 1224;
inline constexpr std::uint32_t kMsgAppletReload = kMsgApply;
inline constexpr std::uintptr_t kApplyNormal = 0;
inline constexpr std::uintptr_t kApplyRestoreDefaults = 1;
// Monitor -> configurator.
inline constexpr std::uint32_t kMsgConfigReadBack = 1254;     // read-back from the mouse done
inline constexpr std::uint32_t kMsgProfileChanged = 1255;     // the active profile changed
inline constexpr std::uint32_t kMsgApplyFinished = 1256;      // the upload of an apply ended
inline constexpr std::uint32_t kMsgButtonModeChanged = 1261;  // lParam 1: first button mode
inline constexpr std::uint32_t kMsgCpiLevelChanged = 1265;    // lParam: the default CPI level
// Accepted by the configurator without any action.
inline constexpr std::uint32_t kMsgConfiguratorIgnoredA = 1258;
inline constexpr std::uint32_t kMsgConfiguratorIgnoredB = 1125;
// Monitor -> display: 1324 (WM_USER+300) shows a notice, wParam the kind; 1326 (WM_USER+302)
// sets colour (high word) and transparency (low word).
inline constexpr std::uint32_t kMsgOsdNotice = 1324;
inline constexpr std::uint32_t kMsgOsdAppearance = 1326;

// The one message box the configurator ever shows: the monitor's block exists but cannot be
// mapped.
inline constexpr char kMapViewFailedText[] = "Could not map view of file.";

// wParam of kMsgOsdNotice that asks for the text stored in [OSDData] "Message".
inline constexpr std::uint32_t kNoticeMessageText = 50;

}  // namespace karvo::platform
