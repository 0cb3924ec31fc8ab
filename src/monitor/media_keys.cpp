#include "monitor/media_keys.h"

#include "monitor/key_combination.h"

namespace karvo::monitor {

namespace {
constexpr int kVkCtrl = 0x11;
constexpr int kVkSpace = 0x20;
constexpr int kVkLeft = 0x25;
constexpr int kVkRight = 0x27;
constexpr int kVkN = 0x4E;
constexpr int kVkP = 0x50;
constexpr int kVkS = 0x53;
constexpr std::uint32_t kWmCommandMessage = 0x0111;
// Bit 30 (previous key state) and bit 31 (transition) of a key-up lParam.
constexpr std::uint32_t kKeyUpBits = 0xC0000000;
constexpr std::uint32_t kLParamCtrl = 0x001D0001;
constexpr std::uint32_t kLParamRight = 0x014D0001;
constexpr std::uint32_t kLParamLeft = 0x014B0001;
constexpr std::uint32_t kLParamSpace = 0x00390001;
constexpr std::uint32_t kLParamN = 0x00310001;
constexpr std::uint32_t kLParamP = 0x00190001;
constexpr std::uint32_t kLParamS = 0x001F0001;

std::intptr_t AsLParam(std::uint32_t value) {
  return static_cast<std::intptr_t>(static_cast<std::int32_t>(value));
}
}  // namespace

int MediaVirtualKey(std::uint32_t code) {
  switch (code) {
    case kMediaNext:
      return 0xB0;
    case kMediaPrevious:
      return 0xB1;
    case kMediaPlayPause:
      return 0xB3;
    case kMediaStop:
      return 0xB2;
    case kMediaMute:
      return 0xAD;
    case kMediaVolumeUp:
      return 0xAF;
    case kMediaVolumeDown:
      return 0xAE;
    default:
      return 0;
  }
}

void MediaKeys::OnMediaKey(std::uint32_t code, int mediaOption) {
  int virtualKey = MediaVirtualKey(code);
  if (virtualKey == 0) return;
  PressVirtualKey(virtualKey, m_injector);
  switch (mediaOption) {
    case kPlayerITunes:
      ITunes(code);
      break;
    case kPlayerVlc:
      Vlc(code);
      break;
    case kPlayerWinamp:
      Winamp(code);
      break;
    default:
      break;  // Windows Media Player follows the system media key
  }
}

void MediaKeys::ITunes(std::uint32_t code) {
  if (code != kMediaNext && code != kMediaPrevious && code != kMediaPlayPause && code != kMediaStop)
    return;
  IPlayerWindows::Handle window = m_players.FindITunes();
  if (window == 0) return;
  if (code == kMediaPlayPause || code == kMediaStop) {
    PostKey(window, kVkSpace, kLParamSpace);
    return;
  }
  int arrow = code == kMediaNext ? kVkRight : kVkLeft;
  std::uint32_t arrowLParam = code == kMediaNext ? kLParamRight : kLParamLeft;
  m_players.Send(window, kWmKeyDown, kVkCtrl, AsLParam(kLParamCtrl));
  m_timer.Sleep(kPlayerKeyGapMs);
  m_players.Send(window, kWmKeyDown, static_cast<std::uintptr_t>(arrow), AsLParam(arrowLParam));
  m_timer.Sleep(kPlayerKeyGapMs);
  m_players.Send(window, kWmKeyUp, static_cast<std::uintptr_t>(arrow),
                 AsLParam(arrowLParam | kKeyUpBits));
  m_timer.Sleep(kPlayerKeyGapMs);
  m_players.Send(window, kWmKeyUp, kVkCtrl, AsLParam(kLParamCtrl | kKeyUpBits));
}

void MediaKeys::Vlc(std::uint32_t code) {
  int key = 0;
  std::uint32_t lParam = 0;
  switch (code) {
    case kMediaNext:
      key = kVkN;
      lParam = kLParamN;
      break;
    case kMediaPrevious:
      key = kVkP;
      lParam = kLParamP;
      break;
    case kMediaStop:
      key = kVkS;
      lParam = kLParamS;
      break;
    case kMediaPlayPause:
      key = kVkSpace;
      lParam = kLParamSpace;
      break;
    default:
      return;
  }
  IPlayerWindows::Handle window = m_players.FindVlc();
  if (window == 0) return;
  m_players.BringToFront(window);
  PostKey(window, key, lParam);
}

void MediaKeys::Winamp(std::uint32_t code) {
  if (code != kMediaNext && code != kMediaPrevious && code != kMediaPlayPause && code != kMediaStop)
    return;
  IPlayerWindows::Handle window = m_players.FindWinamp();
  if (window == 0) {
    m_players.StartWinamp();
    return;
  }
  std::uint32_t command = 0;
  switch (code) {
    case kMediaNext:
      command = kWinampNext;
      break;
    case kMediaPrevious:
      command = kWinampPrevious;
      break;
    case kMediaStop:
      command = kWinampStop;
      break;
    default:
      command = m_winampPlayNext ? kWinampPlay : kWinampPause;
      m_winampPlayNext = !m_winampPlayNext;
      break;
  }
  m_players.Send(window, kWmCommandMessage, command, 0);
}

void MediaKeys::PostKey(IPlayerWindows::Handle window, int virtualKey, std::uint32_t lParamDown) {
  auto key = static_cast<std::uintptr_t>(virtualKey);
  m_players.Post(window, kWmKeyDown, key, AsLParam(lParamDown));
  m_timer.Sleep(kPlayerKeyGapMs);
  m_players.Post(window, kWmKeyUp, key, AsLParam(lParamDown | kKeyUpBits));
}

}  // namespace karvo::monitor
