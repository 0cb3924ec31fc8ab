#pragma once
// Where the media players are registered and how a registry value becomes the program to start.
#include <optional>
#include <string>
#include <string_view>

namespace karvo::monitor {

inline constexpr std::size_t kPlayerValueMax = 260;
inline constexpr char kWindowsMediaPlayerTitle[] = "Windows Media Player";

struct PlayerRegistration {
  const char* Key;          // below HKEY_LOCAL_MACHINE
  const char* Value;        // nullptr: the key's default value
  const char* MustContain;  // the path is started only when it contains this (any case)
};

// nullptr for options other than 0..3.
const PlayerRegistration* PlayerRegistrationFor(int mediaOption);

// What a registry value starts: the program and the arguments the value gives it.
struct PlayerLaunch {
  std::string Program;
  std::string Arguments;
  bool operator==(const PlayerLaunch&) const = default;
};

// The program a registry value names for the option, or none when the value does not name a
// program of that player. A value of Windows Media Player or iTunes may be stored quoted, with
// arguments after the closing quote; the quotes are not part of the program's name. Option 0's
// value still has its environment variables in it.
std::optional<PlayerLaunch> PlayerLaunchFromValue(int mediaOption, std::string_view value);
std::optional<std::string> PlayerPathFromValue(int mediaOption, std::string_view value);

}  // namespace karvo::monitor
