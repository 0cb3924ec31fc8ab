#include "monitor/media_keys.h"

#include <gtest/gtest.h>

#include "input_fakes.h"
#include "player_fakes.h"

namespace karvo::monitor {
namespace {

using testing::FakePlayers;
using testing::RecordingInjector;
using testing::VirtualTimer;

class MediaKeysTest : public ::testing::Test {
 protected:
  VirtualTimer timer;
  RecordingInjector injector{timer};
  FakePlayers players{timer};
  MediaKeys media{injector, timer, players};
};

TEST_F(MediaKeysTest, EachCodeInjectsItsSystemMediaKey) {
  const std::pair<std::uint32_t, int> cases[] = {{33, 0xB0}, {34, 0xB1}, {35, 0xB3}, {36, 0xB2},
                                                 {37, 0xAD}, {38, 0xAF}, {39, 0xAE}};
  for (auto [code, vk] : cases) {
    injector.Inputs.clear();
    media.OnMediaKey(code, kPlayerWindowsMedia);
    std::string k = std::to_string(vk);
    EXPECT_EQ(injector.Names(),
              (std::vector<std::string>{"vk " + k + " down ext", "vk " + k + " up ext"}))
        << code;
  }
  injector.Inputs.clear();
  media.OnMediaKey(32, kPlayerWindowsMedia);
  media.OnMediaKey(40, kPlayerWinamp);
  EXPECT_TRUE(injector.Inputs.empty());
  EXPECT_TRUE(players.Calls.empty());
}

TEST_F(MediaKeysTest, ITunesGetsCtrlArrowsAndSpace) {
  players.ITunesWindow = 7;
  media.OnMediaKey(kMediaNext, kPlayerITunes);
  EXPECT_EQ(players.Calls,
            (std::vector<std::string>{"0 send 7 100 11 001d0001", "100 send 7 100 27 014d0001",
                                      "200 send 7 101 27 c14d0001", "300 send 7 101 11 c01d0001"}));
  players.Calls.clear();
  media.OnMediaKey(kMediaPrevious, kPlayerITunes);
  EXPECT_EQ(players.Calls[1], "400 send 7 100 25 014b0001");
  EXPECT_EQ(players.Calls[2], "500 send 7 101 25 c14b0001");
  players.Calls.clear();
  media.OnMediaKey(kMediaStop, kPlayerITunes);
  EXPECT_EQ(players.Calls,
            (std::vector<std::string>{"600 post 7 100 20 00390001", "700 post 7 101 20 c0390001"}));
  players.Calls.clear();
  media.OnMediaKey(kMediaMute, kPlayerITunes);
  EXPECT_TRUE(players.Calls.empty());
}

TEST_F(MediaKeysTest, VlcIsBroughtForwardAndGetsLetterKeys) {
  players.VlcWindow = 9;
  media.OnMediaKey(kMediaNext, kPlayerVlc);
  media.OnMediaKey(kMediaPrevious, kPlayerVlc);
  media.OnMediaKey(kMediaStop, kPlayerVlc);
  media.OnMediaKey(kMediaPlayPause, kPlayerVlc);
  media.OnMediaKey(kMediaVolumeUp, kPlayerVlc);
  EXPECT_EQ(players.Calls,
            (std::vector<std::string>{
                "front 9", "0 post 9 100 4e 00310001", "100 post 9 101 4e c0310001", "front 9",
                "100 post 9 100 50 00190001", "200 post 9 101 50 c0190001", "front 9",
                "200 post 9 100 53 001f0001", "300 post 9 101 53 c01f0001", "front 9",
                "300 post 9 100 20 00390001", "400 post 9 101 20 c0390001"}));
}

TEST_F(MediaKeysTest, WinampPlayPauseAlternatesAndOtherCommandsDoNotDisturbIt) {
  players.WinampWindow = 3;
  media.OnMediaKey(kMediaPlayPause, kPlayerWinamp);
  media.OnMediaKey(kMediaNext, kPlayerWinamp);
  media.OnMediaKey(kMediaPlayPause, kPlayerWinamp);
  media.OnMediaKey(kMediaPrevious, kPlayerWinamp);
  media.OnMediaKey(kMediaStop, kPlayerWinamp);
  media.OnMediaKey(kMediaPlayPause, kPlayerWinamp);
  EXPECT_EQ(players.Calls,
            (std::vector<std::string>{"0 send 3 111 9c6d 00000000", "0 send 3 111 9c70 00000000",
                                      "0 send 3 111 9c6e 00000000", "0 send 3 111 9c6c 00000000",
                                      "0 send 3 111 9c6f 00000000", "0 send 3 111 9c6d 00000000"}));
}

TEST_F(MediaKeysTest, MissingPlayersGetNothingButWinampIsStarted) {
  media.OnMediaKey(kMediaNext, kPlayerITunes);
  media.OnMediaKey(kMediaNext, kPlayerVlc);
  EXPECT_TRUE(players.Calls.empty());
  media.OnMediaKey(kMediaPlayPause, kPlayerWinamp);
  EXPECT_EQ(players.Calls, (std::vector<std::string>{"start winamp"}));
  players.WinampWindow = 3;
  players.Calls.clear();
  media.OnMediaKey(kMediaPlayPause, kPlayerWinamp);  // the start did not use up the toggle
  EXPECT_EQ(players.Calls, (std::vector<std::string>{"0 send 3 111 9c6d 00000000"}));
}

}  // namespace
}  // namespace karvo::monitor
