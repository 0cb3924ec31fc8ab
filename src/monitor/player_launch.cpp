#include "monitor/player_launch.h"

#include "monitor/game_match.h"
#include "monitor/media_keys.h"

namespace karvo::monitor {

namespace {
constexpr PlayerRegistration kPlayers[] = {
    {"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\wmplayer.exe", nullptr, nullptr},
    {"SOFTWARE\\Apple Computer, Inc.\\iPod\\RegisteredApps\\4", "path", "iTunes"},
    {"SOFTWARE\\Classes\\Applications\\vlc.exe\\shell\\play\\command", nullptr, "vlc"},
    {"SOFTWARE\\Classes\\Winamp.File\\shell\\open\\command", nullptr, "winamp"},
};

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The text between the first double quote and the next; none without both.
std::optional<std::string_view> Quoted(std::string_view value) {
  std::size_t open = value.find('"');
  if (open == std::string_view::npos) return std::nullopt;
  std::size_t close = value.find('"', open + 1);
  if (close == std::string_view::npos) return std::nullopt;
  return value.substr(open + 1, close - open - 1);
}
}  // namespace

const PlayerRegistration* PlayerRegistrationFor(int mediaOption) {
  if (mediaOption < 0 || mediaOption >= static_cast<int>(std::size(kPlayers))) return nullptr;
  return &kPlayers[mediaOption];
}

std::optional<PlayerLaunch> PlayerLaunchFromValue(int mediaOption, std::string_view value) {
  const PlayerRegistration* player = PlayerRegistrationFor(mediaOption);
  if (!player) return std::nullopt;
  value = value.substr(0, value.find('\0'));
  if (value.size() > kPlayerValueMax) return std::nullopt;
  std::string_view path;
  std::string_view arguments;
  switch (mediaOption) {
    case kPlayerVlc:
      if (!value.empty() && value.front() == '"') {
        std::optional<std::string_view> quoted = Quoted(value);
        if (!quoted) return std::nullopt;
        path = *quoted;
      } else {
        path = value.substr(0, value.find("--started"));
      }
      break;
    case kPlayerWinamp: {
      std::optional<std::string_view> quoted = Quoted(value);
      if (!quoted) return std::nullopt;
      path = *quoted;
      break;
    }
    default: {
      // An unquoted value is the program as a whole, blanks and all: it is started by name,
      // never split at a blank.
      std::string_view trimmed = Trimmed(value);
      if (!trimmed.empty() && trimmed.front() == '"') {
        std::optional<std::string_view> quoted = Quoted(trimmed);
        if (!quoted) return std::nullopt;
        path = *quoted;
        arguments = Trimmed(trimmed.substr(quoted->size() + 2));
      } else {
        path = trimmed;
      }
      break;
    }
  }
  path = Trimmed(path);
  if (path.empty()) return std::nullopt;
  if (player->MustContain && !ContainsIgnoringCase(path, player->MustContain)) return std::nullopt;
  return PlayerLaunch{std::string(path), std::string(arguments)};
}

std::optional<std::string> PlayerPathFromValue(int mediaOption, std::string_view value) {
  std::optional<PlayerLaunch> launch = PlayerLaunchFromValue(mediaOption, value);
  if (!launch) return std::nullopt;
  return std::move(launch->Program);
}

}  // namespace karvo::monitor
