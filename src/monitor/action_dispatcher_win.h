#pragma once
// The monitor's button functions on Windows: the dispatcher with injected input, the macro
// player's thread loop, the media players and the game check, over the monitor window's
// settings copy, shared block and files.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "monitor/action_dispatcher.h"
#include "monitor/input_injector_win.h"
#include "monitor/macro_player.h"
#include "monitor/media_keys.h"
#include "monitor/monitor_core.h"
#include "monitor/player_windows_win.h"
#include "monitor/queued_thread_win.h"
#include "monitor/shared_block_win.h"
#include "settings/ini_document.h"
#include "settings/key_codes_win.h"
#include "settings/profile_files.h"
#include "settings/settings_image.h"

namespace karvo::monitor {

// What the monitor window lends; every reference outlives the EventActions built on it.
struct EventHostParts {
  IMonitorHost& Monitor;  // windows by title, worker jobs, debug output
  HWND Window;
  std::mutex& CopyLock;
  settings::SettingsImage& Copy;
  SharedBlock& Block;
  settings::SettingsFiles& Files;
  settings::IFileStore& Store;
  std::string ConfigPath;
  const settings::OSDSetting& Osd;  // read on the window thread only
};

class EventActions final : private IDispatchHost {
 public:
  explicit EventActions(EventHostParts parts);
  EventActions(const EventActions&) = delete;
  EventActions& operator=(const EventActions&) = delete;

  // Words of 1325 and 1326; false for those MonitorCore handles (presence, configurator button).
  bool Dispatch(std::uint32_t word);
  // Timer 500: the slot whose game is in front becomes the active one.
  void OnGameCheck();
  // Exit: a playing macro ends and releases its keys, then the player thread ends.
  void StopPlayer();

 private:
  void CheckForegroundGame();
  // Body of the macro player thread: plays on each 1648 until WM_QUIT.
  static void PlayerThreadMain(void* self);
  void RunPlayerLoop();
  void WithSettings(const std::function<void(settings::SettingsImage&)>& fn) override;
  void WriteSharedBlock() override;
  void SaveAll() override;
  void SetCurrentProfile(int slot) override;
  NoticeSwitches Notices() override;
  void WriteMacroNotice(int number, std::string_view name) override;
  bool WindowExists(Companion companion) override;
  void PostTo(Companion companion, std::uint32_t message, std::uintptr_t wParam,
              std::intptr_t lParam) override;
  bool PostWorker(std::uint32_t job, std::intptr_t param) override;
  bool PostMacroPlayer() override;
  void OpenProgram(std::string_view path) override;
  void LaunchMediaPlayer(int mediaOption) override;
  void Log(std::string_view line) override;

  EventHostParts m_parts;
  SendInputInjector m_injector;
  WinPlaybackTimer m_windowTimer;
  WinPlaybackTimer m_playerTimer;
  settings::WinKeyboardLayout m_layout;
  WinPlayerWindows m_players;
  MediaKeys m_media;
  MacroPlayer m_player;
  ActionDispatcher m_dispatcher;
  // Started by the first macro: a monitor whose macros never play keeps no thread for them.
  QueuedThread m_playerThread;
  bool m_playerStopped = false;
};

}  // namespace karvo::monitor
