#include "monitor/player_launch.h"

#include <gtest/gtest.h>

namespace karvo::monitor {
namespace {

struct PathCase {
  int Option;
  const char* Value;
  std::optional<std::string> Expected;
};

TEST(PlayerLaunchTest, RegistryValuesBecomeProgramPaths) {
  const PathCase cases[] = {
      // VLC: quoted program path with arguments, or an unquoted value cut before "--started".
      {2, "\"C:\\Program Files\\VideoLAN\\VLC\\vlc.exe\" --started-from-file \"%1\"",
       "C:\\Program Files\\VideoLAN\\VLC\\vlc.exe"},
      {2, "C:\\VLC\\vlc.exe --started-from-file %1", "C:\\VLC\\vlc.exe"},
      {2, "C:\\VLC\\vlc.exe", "C:\\VLC\\vlc.exe"},
      {2, "\"C:\\VLC\\vlc.exe", std::nullopt},  // no closing quote
      {2, "C:\\Other\\player.exe --started", std::nullopt},
      // Winamp: the quoted part of its open command.
      {3, "\"C:\\Program Files\\Winamp\\winamp.exe\" \"%1\"",
       "C:\\Program Files\\Winamp\\winamp.exe"},
      {3, "C:\\Winamp\\winamp.exe %1", std::nullopt},
      {3, "\"C:\\Players\\other.exe\" \"%1\"", std::nullopt},
      {3, "\"\"", std::nullopt},
      // iTunes: the value itself, when it names iTunes.
      {1, "C:\\Program Files\\iTunes\\iTunes.exe", "C:\\Program Files\\iTunes\\iTunes.exe"},
      {1, "C:\\Program Files\\Music\\music.exe", std::nullopt},
      // Windows Media Player: as registered (variables expanded by the caller).
      {0, "%ProgramFiles%\\Windows Media Player\\wmplayer.exe",
       "%ProgramFiles%\\Windows Media Player\\wmplayer.exe"},
      {0, "", std::nullopt},
      {4, "C:\\vlc.exe", std::nullopt},
      {-1, "C:\\vlc.exe", std::nullopt},
  };
  for (const PathCase& c : cases) {
    EXPECT_EQ(PlayerPathFromValue(c.Option, c.Value), c.Expected) << c.Option << " " << c.Value;
  }
}

TEST(PlayerLaunchTest, QuotedValuesNameTheProgramWithoutTheirQuotes) {
  struct LaunchCase {
    int Option;
    const char* Value;
    std::optional<PlayerLaunch> Expected;
  };
  const char* const kWmp = "C:\\Program Files\\Windows Media Player\\wmplayer.exe";
  const char* const kITunes = "C:\\Program Files\\iTunes\\iTunes.exe";
  const LaunchCase cases[] = {
      {0, "\"%ProgramFiles%\\Windows Media Player\\wmplayer.exe\"",
       PlayerLaunch{"%ProgramFiles%\\Windows Media Player\\wmplayer.exe", ""}},
      {0, " \"C:\\Program Files\\Windows Media Player\\wmplayer.exe\" /prefetch:1 ",
       PlayerLaunch{kWmp, "/prefetch:1"}},
      {0, "C:\\Program Files\\Windows Media Player\\wmplayer.exe", PlayerLaunch{kWmp, ""}},
      {1, "\"C:\\Program Files\\iTunes\\iTunes.exe\"", PlayerLaunch{kITunes, ""}},
      {1, "\"C:\\Program Files\\iTunes\\iTunes.exe\" -x \"a b\"",
       PlayerLaunch{kITunes, "-x \"a b\""}},
      {1, "\"C:\\Program Files\\iTunes\\iTunes.exe", std::nullopt},  // no closing quote
      {1, "\"C:\\Music\\player.exe\" iTunes", std::nullopt},         // arguments name no program
      {0, "\"\" /x", std::nullopt},
      {2, "\"C:\\VLC\\vlc.exe\" --started-from-file", PlayerLaunch{"C:\\VLC\\vlc.exe", ""}},
  };
  for (const LaunchCase& c : cases) {
    EXPECT_EQ(PlayerLaunchFromValue(c.Option, c.Value), c.Expected) << c.Option << " " << c.Value;
  }
}

TEST(PlayerLaunchTest, OverlongOrEmbeddedNulValuesAreBounded) {
  std::string longValue = "C:\\" + std::string(300, 'v') + "\\vlc.exe";
  EXPECT_EQ(PlayerPathFromValue(2, longValue), std::nullopt);
  std::string withNul("C:\\vlc.exe\0C:\\other.exe", 24);
  EXPECT_EQ(PlayerPathFromValue(2, withNul), "C:\\vlc.exe");
}

}  // namespace
}  // namespace karvo::monitor
