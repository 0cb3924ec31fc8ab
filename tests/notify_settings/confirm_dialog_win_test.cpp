// The reset confirmation run as the Advanced page runs it, answered by real clicks from another
// thread: what the close cross and OK answer (Cancel: the end-to-end reset story), and where a
// caller's message may draw.
#include "notify_settings/confirm_dialog_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "skin/skin_layout.h"
#include "tests/support/input_win.h"
#include "tests/support/pump_win.h"
#include "tests/support/screen_win.h"

namespace karvo::notify_settings {
namespace {

using karvo::testing::Pixels;

struct Answer {
  bool Consented = false;
  bool Shown = false;
  Pixels Look;  // the dialog on screen before the click
};

// Runs the dialog with message and clicks the button with layout name `button` once it shows.
Answer Answered(const std::string& message, const char* button) {
  ConfirmDialog dialog;
  dialog.SetMessage(message);
  Answer answer;
  // Away from where the last run's button was: no button of this run starts under the pointer.
  karvo::testing::MoveMouse({0, 0});
  std::atomic<HWND> shown{nullptr};
  std::thread hand([&] {
    if (!karvo::testing::WaitFor(
            [&] {
              HWND found = ::FindWindowW(L"#32770", nullptr);
              if (found && ::IsWindowVisible(found)) shown = found;
              return shown.load() != nullptr;
            },
            5000)) {
      return;
    }
    HWND hwnd = shown;
    karvo::testing::MoveMouse({0, 0});
    ::Sleep(300);
    RECT window{};
    ::GetWindowRect(hwnd, &window);
    answer.Look = karvo::testing::CaptureScreen(window);
    for (std::size_t i = 0; i < dialog.ControlCount(); ++i) {
      if (std::string(dialog.Layout(i)->Name) != button) continue;
      RECT place = dialog.ControlRect(i);
      ::MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&place), 2);
      karvo::testing::MoveMouse({(place.left + place.right) / 2, (place.top + place.bottom) / 2});
      ::Sleep(100);
      karvo::testing::PressLeft(true);
      karvo::testing::PressLeft(false);
    }
    // Whatever happened, the run ends.
    if (!karvo::testing::WaitFor([&] { return !::IsWindow(hwnd); }, 5000)) {
      ::PostMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
      ::EndDialog(hwnd, IDCANCEL);
    }
  });
  answer.Consented = dialog.Ask(nullptr);
  hand.join();
  answer.Shown = shown.load() != nullptr;
  return answer;
}

TEST(ConfirmDialog, TheCrossDeclinesOkConsentsAndAMessageStaysWrappedInItsRectangle) {
  const Answer plain = Answered("", "Exit");
  ASSERT_TRUE(plain.Shown);
  EXPECT_FALSE(plain.Consented);

  // A message far too long for its 200 x 44 rectangle: drawn there, wrapped, and nowhere else.
  std::string message;
  for (int i = 0; i < 40; ++i)
    message +=
        "Alle Profile zur\xFC"
        "cksetzen ";
  const Answer answer = Answered(message, "BUTTON_OK");
  ASSERT_TRUE(answer.Shown);
  EXPECT_TRUE(answer.Consented);
  ASSERT_EQ(answer.Look.Data.size(), plain.Look.Data.size());
  const RECT box = kConfirmMessageRect;
  int inside = 0;
  int outside = 0;
  int rowsWithText = 0;
  for (int y = 0; y < plain.Look.Height; ++y) {
    int row = 0;
    for (int x = 0; x < plain.Look.Width; ++x) {
      if (answer.Look.At(x, y) == plain.Look.At(x, y)) continue;
      const bool in = x >= box.left && x < box.right && y >= box.top && y < box.bottom;
      (in ? inside : outside) += 1;
      row += in;
    }
    rowsWithText += row > 0;
  }
  if (outside != 0) answer.Look.SaveBmp(KARVO_NOTIFY_TEST_DIR "\\confirm_message.bmp");
  EXPECT_EQ(outside, 0);
  EXPECT_GT(inside, 200);
  EXPECT_GT(rowsWithText, 20);  // more than one line of 14-pixel text
}

}  // namespace
}  // namespace karvo::notify_settings
