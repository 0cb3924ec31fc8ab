#pragma once
// Media keys of event 0xF000: the system media key, then a command to the player the current
// slot names in MediaOption.
#include <cstdint>

#include "monitor/input_injector.h"

namespace karvo::monitor {

inline constexpr std::uint32_t kMediaOpenPlayer = 32;
inline constexpr std::uint32_t kMediaNext = 33;
inline constexpr std::uint32_t kMediaPrevious = 34;
inline constexpr std::uint32_t kMediaPlayPause = 35;
inline constexpr std::uint32_t kMediaStop = 36;
inline constexpr std::uint32_t kMediaMute = 37;
inline constexpr std::uint32_t kMediaVolumeUp = 38;
inline constexpr std::uint32_t kMediaVolumeDown = 39;

inline constexpr int kPlayerWindowsMedia = 0;
inline constexpr int kPlayerITunes = 1;
inline constexpr int kPlayerVlc = 2;
inline constexpr int kPlayerWinamp = 3;

inline constexpr std::uint32_t kWmKeyDown = 0x0100;
inline constexpr std::uint32_t kWmKeyUp = 0x0101;
inline constexpr std::uint32_t kWinampNext = 40048;
inline constexpr std::uint32_t kWinampPrevious = 40044;
inline constexpr std::uint32_t kWinampPlay = 40045;
inline constexpr std::uint32_t kWinampPause = 40046;
inline constexpr std::uint32_t kWinampStop = 40047;
inline constexpr std::uint32_t kPlayerKeyGapMs = 100;

// 0 for codes that are not media keys (32 included: it starts a player instead).
int MediaVirtualKey(std::uint32_t code);

// The windows of the outside media players; 0 is no window.
class IPlayerWindows {
 public:
  using Handle = std::uintptr_t;
  virtual ~IPlayerWindows() = default;
  virtual Handle FindITunes() = 0;  // class "iTunes", title "iTunes"
  // Along the window chain from the first "QWidget" window, the first "QWidget" whose title
  // contains "VLC".
  virtual Handle FindVlc() = 0;
  virtual Handle FindWinamp() = 0;  // class "Winamp v1.x"
  virtual void Send(Handle window, std::uint32_t message, std::uintptr_t wParam,
                    std::intptr_t lParam) = 0;
  virtual void Post(Handle window, std::uint32_t message, std::uintptr_t wParam,
                    std::intptr_t lParam) = 0;
  virtual void BringToFront(Handle window) = 0;
  virtual void StartWinamp() = 0;
};

class MediaKeys {
 public:
  MediaKeys(IInputInjector& injector, IPlaybackTimer& timer, IPlayerWindows& players)
      : m_injector(injector), m_timer(timer), m_players(players) {}

  // Codes 33..39 on their press; other codes are ignored.
  void OnMediaKey(std::uint32_t code, int mediaOption);

 private:
  void ITunes(std::uint32_t code);
  void Vlc(std::uint32_t code);
  void Winamp(std::uint32_t code);
  void PostKey(IPlayerWindows::Handle window, int virtualKey, std::uint32_t lParamDown);

  IInputInjector& m_injector;
  IPlaybackTimer& m_timer;
  IPlayerWindows& m_players;
  bool m_winampPlayNext = true;  // play/pause alternates, starting with play
};

}  // namespace karvo::monitor
