#pragma once
// Stand-in media player windows that record what is sent and posted to them.
#include <cstdio>
#include <string>
#include <vector>

#include "input_fakes.h"
#include "monitor/media_keys.h"

namespace karvo::monitor::testing {

class FakePlayers final : public IPlayerWindows {
 public:
  explicit FakePlayers(const VirtualTimer& timer) : m_timer(timer) {}
  Handle ITunesWindow = 0, VlcWindow = 0, WinampWindow = 0;
  std::vector<std::string> Calls;

  Handle FindITunes() override { return ITunesWindow; }
  Handle FindVlc() override { return VlcWindow; }
  Handle FindWinamp() override { return WinampWindow; }
  void Send(Handle w, std::uint32_t m, std::uintptr_t wp, std::intptr_t lp) override {
    Add("send", w, m, wp, lp);
  }
  void Post(Handle w, std::uint32_t m, std::uintptr_t wp, std::intptr_t lp) override {
    Add("post", w, m, wp, lp);
  }
  void BringToFront(Handle w) override { Calls.push_back("front " + std::to_string(w)); }
  void StartWinamp() override { Calls.push_back("start winamp"); }

 private:
  void Add(const char* how, Handle w, std::uint32_t m, std::uintptr_t wp, std::intptr_t lp) {
    char line[96];
    std::snprintf(line, sizeof line, "%llu %s %u %x %x %08x",
                  static_cast<unsigned long long>(m_timer.Now()), how, static_cast<unsigned>(w), m,
                  static_cast<unsigned>(wp), static_cast<std::uint32_t>(lp));
    Calls.push_back(line);
  }
  const VirtualTimer& m_timer;
};

}  // namespace karvo::monitor::testing
