#include "monitor/action_dispatcher_win.h"

#include <shellapi.h>

#include <exception>

#include "monitor/game_check_win.h"
#include "monitor/game_match.h"
#include "monitor/monitor_messages.h"
#include "platform/debug_log.h"

namespace karvo::monitor {

namespace {
// [MacroOSD] "MacroName" is read back into 100 bytes with its terminator.
constexpr std::size_t kMacroNameMax = 99;
constexpr DWORD kPlayerStackSize = 4096;
constexpr DWORD kPlayerReadyTimeoutMs = 5000;
}  // namespace

EventActions::EventActions(EventHostParts parts)
    : m_parts(std::move(parts)),
      m_players(m_parts.Window),
      m_media(m_injector, m_windowTimer, m_players),
      m_player(m_injector, m_playerTimer, m_layout,
               [](std::string_view line) {
                 platform::DebugLog("%.*s", static_cast<int>(line.size()), line.data());
               }),
      m_dispatcher(*this, m_player, m_media, m_injector, m_windowTimer, m_layout) {}

bool EventActions::Dispatch(std::uint32_t word) {
  try {
    return m_dispatcher.Dispatch(word);
  } catch (const std::exception& e) {
    platform::DebugLog("event %08x not carried out: %s\n", word, e.what());
  } catch (...) {
    platform::DebugLog("event %08x not carried out\n", word);
  }
  return true;
}

void EventActions::OnGameCheck() {
  try {
    CheckForegroundGame();
  } catch (...) {
    platform::DebugLog("game check failed\n");
  }
}

void EventActions::CheckForegroundGame() {
  char buffer[kModuleNameMax + 1];
  std::string_view name = ForegroundModuleName(buffer);
  if (name.empty()) return;
  std::optional<int> slot;
  int current = -1;
  {
    std::lock_guard lock(m_parts.CopyLock);
    slot = MatchGameSlot(m_parts.Copy, name);
    current = m_parts.Copy.CurrentProfile;
  }
  if (slot && *slot != current) m_dispatcher.SwitchProfile(*slot);
}

void EventActions::PlayerThreadMain(void* self) {
  static_cast<EventActions*>(self)->RunPlayerLoop();
}

void EventActions::StopPlayer() {
  m_playerStopped = true;
  m_player.Shutdown();
  m_playerThread.Stop();
}

void EventActions::RunPlayerLoop() {
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message != kMsgPlayMacro) continue;
    try {
      m_player.Play();
    } catch (const std::exception& e) {
      platform::DebugLog("macro not played: %s\n", e.what());
    } catch (...) {
      platform::DebugLog("macro not played\n");
    }
  }
}

void EventActions::WithSettings(const std::function<void(settings::SettingsImage&)>& fn) {
  std::lock_guard lock(m_parts.CopyLock);
  fn(m_parts.Copy);
}

void EventActions::WriteSharedBlock() {
  std::lock_guard lock(m_parts.CopyLock);
  if (!m_parts.Block.WriteSharedBlock(&m_parts.Copy)) Log("shared block not written\n");
}

void EventActions::SaveAll() {
  std::lock_guard lock(m_parts.CopyLock);
  if (!m_parts.Files.SaveAll(&m_parts.Copy)) Log("settings not saved\n");
}

void EventActions::SetCurrentProfile(int slot) {
  if (!m_parts.Files.SetCurrentProfile(slot)) Log("current profile not written\n");
}

NoticeSwitches EventActions::Notices() {
  NoticeSwitches switches;
  switches.ShowProfile = m_parts.Osd.ShowProfile == 1;
  switches.ShowMacro = m_parts.Osd.ShowMacro == 1;
  switches.ShowDpi = m_parts.Osd.ShowDpi == 1;
  return switches;
}

void EventActions::WriteMacroNotice(int number, std::string_view name) {
  settings::IniUpdate update(m_parts.Store, m_parts.ConfigPath);
  update.Doc().SetInt("MacroOSD", "Number", number);
  update.Doc().SetString("MacroOSD", "MacroName", name.substr(0, kMacroNameMax));
  if (!update.Commit()) Log("[MacroOSD] not written\n");
}

bool EventActions::WindowExists(Companion companion) {
  return m_parts.Monitor.WindowExists(companion);
}

void EventActions::PostTo(Companion companion, std::uint32_t message, std::uintptr_t wParam,
                          std::intptr_t lParam) {
  m_parts.Monitor.PostTo(companion, message, wParam, lParam);
}

bool EventActions::PostWorker(std::uint32_t job, std::intptr_t param) {
  return m_parts.Monitor.PostWorker(job, param);
}

bool EventActions::PostMacroPlayer() {
  if (m_playerStopped) return false;
  if (!m_playerThread.Running() && !m_playerThread.Start(&EventActions::PlayerThreadMain, this,
                                                         kPlayerStackSize, kPlayerReadyTimeoutMs)) {
    // A thread that started late has its queue by the next macro.
    platform::DebugLog("macro player thread not ready\n");
    return false;
  }
  if (::PostThreadMessageA(m_playerThread.Id(), kMsgPlayMacro, 0, 0)) return true;
  platform::DebugLogLastError("PostThreadMessageA(1648)");
  return false;
}

void EventActions::OpenProgram(std::string_view path) {
  std::string file(path);
  auto result = reinterpret_cast<INT_PTR>(
      ::ShellExecuteA(nullptr, "open", file.c_str(), nullptr, nullptr, SW_SHOW));
  if (result <= 32)
    platform::DebugLog("ShellExecuteA(%s) failed: %d\n", file.c_str(), static_cast<int>(result));
}

void EventActions::LaunchMediaPlayer(int mediaOption) { m_players.LaunchPlayer(mediaOption); }

void EventActions::Log(std::string_view line) {
  platform::DebugLog("%.*s", static_cast<int>(line.size()), line.data());
}

}  // namespace karvo::monitor
