// Whether dragging a slider of the settings pages keeps up with the hand: the thumb of a real
// page (its model behind it) dragged with real input in 100 moves, each timed from SendInput to
// the move's slider notice (1094) handled by the page and nothing left to repaint (thumb, track,
// page). Set against the same loop on a plain window whose child follows the pointer and posts
// itself the same notice. The goal: every move within a 60 Hz frame (p99 under 16 ms).
//   slider_drag_bench [rounds of 100 moves]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "bench/bench_clock_win.h"
#include "configurator/sensitivity_page_win.h"
#include "configurator/system_page_win.h"
#include "platform/window_win.h"
#include "settings/settings_image.h"
#include "skin/skin_messages.h"
#include "skin/skin_slider_win.h"
#include "tests/support/input_win.h"

namespace {

using namespace karvo;

constexpr int kMoves = 100;
constexpr int kStepPixels = 3;
constexpr int kDefaultRounds = 3;
constexpr DWORD kMoveTimeoutMs = 2000;
constexpr POINT kCorner{60, 60};

using karvo::bench::NowMs;

bool Painted(HWND hwnd) { return !::GetUpdateRect(hwnd, nullptr, FALSE); }

// What one loop drags: the thumb to press, the windows that must be painted after each move,
// and the window whose 1094 ends it.
struct DragTarget {
  HWND Thumb = nullptr;
  HWND Notified = nullptr;
  std::vector<HWND> Painted;
};

// Dispatches until the notified window has handled a 1094 and nothing is left to paint.
double TimeOneMove(const DragTarget& target, POINT to) {
  const double start = NowMs();
  if (!testing::MoveMouse(to)) return -1;
  bool handled = false;
  for (;;) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
      handled = handled || (msg.message == skin::kMsgSliderPosition && msg.hwnd == target.Notified);
    }
    if (handled && std::all_of(target.Painted.begin(), target.Painted.end(), Painted)) {
      return NowMs() - start;
    }
    if (NowMs() - start > kMoveTimeoutMs) return -1;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
  }
}

void PumpFor(DWORD ms) {
  const double end = NowMs() + ms;
  while (NowMs() < end) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    ::Sleep(1);
  }
}

// 100 moves to the right from the thumb's middle, pressed; the samples in ms.
std::vector<double> Drag(const DragTarget& target) {
  std::vector<double> samples;
  RECT thumb{};
  if (!::GetWindowRect(target.Thumb, &thumb)) return samples;
  const POINT grab{thumb.left + 2, (thumb.top + thumb.bottom) / 2};
  testing::MoveMouse(grab);
  PumpFor(100);
  testing::PressLeft(true);
  PumpFor(100);
  for (int i = 1; i <= kMoves; ++i) {
    const double ms = TimeOneMove(target, {grab.x + i * kStepPixels, grab.y});
    if (ms >= 0) samples.push_back(ms);
  }
  testing::PressLeft(false);
  PumpFor(200);
  return samples;
}

// A popup the pages sit on, as the main window holds them.
class Host final : public platform::Window {
 public:
  bool Create(const char* className, int width, int height) {
    return Window::Create(::GetModuleHandleW(nullptr),
                          {.Name = className,
                           .Cursor = ::LoadCursorA(nullptr, IDC_ARROW),
                           .Background = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH))},
                          "",
                          {.Style = WS_POPUP | WS_VISIBLE,
                           .X = kCorner.x,
                           .Y = kCorner.y,
                           .Width = width,
                           .Height = height});
  }
};

// The yardstick: a plain child that follows the pointer while pressed and posts its parent
// the notice a slider posts; both paint with FillRect.
class PlainThumb final : public platform::Window {
 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_LBUTTONDOWN:
        ::SetCapture(m_hwnd);
        m_grab = static_cast<short>(LOWORD(lParam));
        return 0;
      case WM_MOUSEMOVE:
        if (::GetCapture() == m_hwnd) Follow();
        return 0;
      case WM_LBUTTONUP:
        ::ReleaseCapture();
        return 0;
      default:
        return DefaultProc(message, wParam, lParam);
    }
  }

 private:
  void Follow() {
    const DWORD at = ::GetMessagePos();
    POINT pointer{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    HWND parent = ::GetParent(m_hwnd);
    ::ScreenToClient(parent, &pointer);
    ::SetWindowPos(m_hwnd, nullptr, pointer.x - m_grab, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::UpdateWindow(m_hwnd);
    ::PostMessageW(parent, skin::kMsgSliderPosition, static_cast<WPARAM>(pointer.x), 100);
  }
  int m_grab = 0;
};

struct Figures {
  double Median = 0;
  double P99 = 0;
  std::size_t Count = 0;
};

Figures Summarise(std::vector<double> samples) {
  Figures f;
  f.Count = samples.size();
  if (samples.empty()) return f;
  std::sort(samples.begin(), samples.end());
  f.Median = samples[samples.size() / 2];
  f.P99 = samples[(samples.size() * 99 + 99) / 100 - 1];
  return f;
}

void Report(const char* what, const std::vector<double>& samples) {
  const Figures f = Summarise(samples);
  std::printf("%-46s moves %3zu  median %6.2f ms  p99 %6.2f ms%s\n", what, f.Count, f.Median, f.P99,
              f.Count > 0 && f.P99 < 16.0 ? "" : "  (over one 60 Hz frame)");
}

template <typename Page>
std::vector<double> DragPage(Page& page, int sliderId, int rounds,
                             const std::function<void()>& beforeRound) {
  std::vector<double> all;
  Host host;
  if (!host.Create("KarvoBenchPageHost", 430, 440) || !page.CreateAt(host.Hwnd(), RECT{})) {
    std::fprintf(stderr, "slider_drag_bench: page not created\n");
    return all;
  }
  page.Show(true);
  const std::optional<std::size_t> index = page.IndexOfId(sliderId);
  skin::SkinSlider* slider = index ? page.Slider(*index) : nullptr;
  if (!slider) return all;
  DragTarget target{
      slider->ThumbHwnd(), page.Hwnd(), {slider->ThumbHwnd(), slider->TrackHwnd(), page.Hwnd()}};
  for (int round = 0; round < rounds; ++round) {
    beforeRound();
    page.Refresh();
    PumpFor(300);
    const std::vector<double> samples = Drag(target);
    all.insert(all.end(), samples.begin(), samples.end());
  }
  return all;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRounds;
  auto image = std::make_unique<settings::SettingsImage>();
  settings::ResetImage(image.get());
  for (int slot = 0; slot < settings::kProfileCount; ++slot)
    settings::SetProfileDefaults(&image->Profiles[slot], slot);
  image->CurrentProfile = 0;
  image->SysDbleClickSpeed = 1;
  const UINT doubleClickTime = ::GetDoubleClickTime();

  std::vector<double> plain;
  {
    Host host;
    PlainThumb thumb;
    if (!host.Create("KarvoBenchPlainHost", 430, 440) ||
        !thumb.Create(::GetModuleHandleW(nullptr),
                      {.Name = "KarvoBenchPlainThumb",
                       .Cursor = ::LoadCursorA(nullptr, IDC_ARROW),
                       .Background = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH))},
                      "",
                      {.Style = WS_CHILD | WS_VISIBLE,
                       .X = 50,
                       .Y = 34,
                       .Width = 13,
                       .Height = 21,
                       .Parent = host.Hwnd()})) {
      std::fprintf(stderr, "slider_drag_bench: plain window not created\n");
      return 1;
    }
    DragTarget target{thumb.Hwnd(), host.Hwnd(), {thumb.Hwnd(), host.Hwnd()}};
    for (int round = 0; round < rounds; ++round) {
      ::SetWindowPos(thumb.Hwnd(), nullptr, 50, 34, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      PumpFor(300);
      const std::vector<double> samples = Drag(target);
      plain.insert(plain.end(), samples.begin(), samples.end());
    }
  }

  configurator::SensitivityPage sensitivity(*image);
  const std::vector<double> x = DragPage(sensitivity, configurator::kXSliderId, rounds, [&] {
    image->Profiles[0].XYSensitivityEnabled = 1;
    image->Profiles[0].YSensitivity = 1;
  });
  configurator::SystemPage system(*image);
  const std::vector<double> doubleClick = DragPage(system, configurator::kDoubleClickSliderId,
                                                   rounds, [&] { image->SysDbleClickSpeed = 1; });
  ::SetDoubleClickTime(doubleClickTime);

  std::printf(
      "Slider drags, %d rounds of %d moves of %d px (SendInput to 1094 handled and "
      "painted):\n",
      rounds, kMoves, kStepPixels);
  Report("plain window, child follows the pointer", plain);
  Report("Sensitivity page, X slider (Y coupled)", x);
  Report("System page, double-click slider (Windows)", doubleClick);
  return x.empty() || doubleClick.empty() || plain.empty() ? 1 : 0;
}
