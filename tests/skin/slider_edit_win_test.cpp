// The skin's slider and edit field on their pages, driven with real input: what they report to
// the page and what they show.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "configurator/configurator_resources.h"
#include "platform/gdi_win.h"
#include "skin/color_edit_win.h"
#include "skin/skin_images_win.h"
#include "skin/skin_messages.h"
#include "skin/skin_slider_win.h"
#include "tests/skin/noted_window_win.h"
#include "tests/support/input_win.h"
#include "tests/support/pump_win.h"
#include "tests/support/screen_win.h"

namespace karvo::skin {
namespace {

using skin_test::Centre;
using skin_test::IndexOf;
using skin_test::NotedWindow;
namespace hand = karvo::testing;

// A page in its place on the main window, which is in front.
class PageOnMainWindow : public ::testing::Test {
 protected:
  void Open(WindowId id) {
    ASSERT_TRUE(m_main.CreateModeless(nullptr, m_main.Spec().Template));
    m_page = std::make_unique<NotedWindow>(FindWindowSpec(id));
    ASSERT_TRUE(m_page->CreateModeless(m_main.Hwnd(), m_page->Spec().Template));
    ::SetWindowPos(m_page->Hwnd(), HWND_TOP, 422, 119, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    ::ShowWindow(m_main.Hwnd(), SW_SHOW);
    ::SetForegroundWindow(m_main.Hwnd());
    Settle();
  }
  bool MoveTo(POINT pageClient) {
    ::ClientToScreen(m_page->Hwnd(), &pageClient);
    const bool moved = hand::MoveMouse(pageClient);
    Settle();
    return moved;
  }
  bool Click(POINT pageClient) {
    const bool clicked = MoveTo(pageClient) && hand::PressLeft(true) && hand::PressLeft(false);
    Settle();
    return clicked;
  }
  void Settle() { hand::Pump(150); }

  NotedWindow m_main{FindWindowSpec(WindowId::Main)};
  std::unique_ptr<NotedWindow> m_page;
};

class SliderOnPage : public PageOnMainWindow {};

TEST_F(SliderOnPage, ClicksAndDragsPastTheEndReportTheirValuesWithTheThumbInsideTheTrack) {
  Open(WindowId::SensitivityPage);
  const std::size_t index = IndexOf(m_page->Spec(), "CpiSetting1");
  SkinSlider* slider = m_page->Slider(index);
  ASSERT_NE(slider, nullptr);
  const ControlSpec& spec = m_page->Spec().Controls[index];
  EXPECT_EQ(slider->Min(), spec.Slider.Min);
  EXPECT_EQ(slider->Max(), spec.Slider.Max);
  const RECT track = m_page->ControlRect(index);
  const int y = (track.top + track.bottom) / 2;

  // 60 % along the track of 1..7 is 4.6: 5 when snapping, 4 when not.
  const struct {
    bool snap;
    int x;
    WPARAM expected;
  } clicks[] = {{true, track.left + (track.right - track.left) * 6 / 10, 5},
                {false, track.left + (track.right - track.left) * 6 / 10, 4},
                {false, track.left + 1, 1}};
  for (const auto& c : clicks) {
    slider->SetSnap(c.snap);
    slider->SetPosition(spec.Slider.Max);  // the thumb out of the way, at the right end
    ASSERT_TRUE(Click({c.x, y}));
    EXPECT_EQ(m_page->Take(kMsgSliderPosition),
              (std::vector<NotedWindow::Note>{{kMsgSliderPosition, c.expected, spec.Id}}))
        << c.snap << " " << c.x;
    EXPECT_EQ(slider->Position(), static_cast<int>(c.expected));
  }

  // Dragged from the left end far past the right one.
  slider->SetSnap(true);
  slider->SetPosition(spec.Slider.Min);
  RECT thumb{};
  ::GetWindowRect(slider->ThumbHwnd(), &thumb);
  ::MapWindowPoints(nullptr, m_page->Hwnd(), reinterpret_cast<POINT*>(&thumb), 2);
  const POINT grip = Centre(thumb);
  ASSERT_TRUE(MoveTo(grip));
  ASSERT_TRUE(hand::PressLeft(true));
  for (int dx : {60, 150, 300, 450}) ASSERT_TRUE(MoveTo({grip.x + dx, grip.y}));
  const auto thumbRight = [&] {
    ::GetWindowRect(slider->ThumbHwnd(), &thumb);
    ::MapWindowPoints(nullptr, m_page->Hwnd(), reinterpret_cast<POINT*>(&thumb), 2);
    return thumb.right;
  };
  // Still held, past the end: the thumb waits at the end of the track.
  EXPECT_EQ(thumbRight(), track.right);
  ASSERT_TRUE(hand::PressLeft(false));
  Settle();
  const std::vector<NotedWindow::Note> reports = m_page->Take(kMsgSliderPosition);
  ASSERT_GE(reports.size(), 2u);
  for (const auto& report : reports) {
    EXPECT_EQ(report.LParam, spec.Id);
    EXPECT_GE(static_cast<int>(report.WParam), spec.Slider.Min);
    EXPECT_LE(static_cast<int>(report.WParam), spec.Slider.Max);
  }
  EXPECT_EQ(static_cast<int>(reports.back().WParam), spec.Slider.Max);
  EXPECT_EQ(slider->Position(), spec.Slider.Max);
  EXPECT_EQ(thumbRight(), track.right);

  // The thumb shows its bitmap with the background colour of its corner cut away.
  platform::UniqueBitmap bitmap = LoadBitmapResource(spec.Slider.ThumbBitmap);
  const SIZE size = BitmapSize(bitmap.Get()).value_or(SIZE{});
  const hand::Pixels seen = hand::CaptureScreen(skin_test::OnScreen(m_page->Hwnd(), thumb));
  const hand::Pixels drawn = hand::BitmapPixels(bitmap.Get(), {0, 0, size.cx, size.cy});
  const std::uint32_t key = drawn.At(0, 0);
  int keyed = 0;
  int same = 0;
  for (int py = 0; py < size.cy; ++py) {
    for (int px = 0; px < size.cx; ++px) {
      keyed += seen.At(px, py) == key;
      same += drawn.At(px, py) != key && seen.At(px, py) == drawn.At(px, py);
    }
  }
  EXPECT_EQ(keyed, 0);
  EXPECT_GT(same, size.cx * size.cy / 3);
}

class EditOnPage : public PageOnMainWindow {};

TEST_F(EditOnPage, TellsEveryKeyReleaseAndEveryChangeTypedOrSetInItsOwnColours) {
  Open(WindowId::OsdPage);
  const std::size_t serverIndex = IndexOf(m_page->Spec(), "Email Server");
  const std::size_t portIndex = IndexOf(m_page->Spec(), "Port Numer");
  ColorEdit* server = m_page->Edit(serverIndex);
  ColorEdit* port = m_page->Edit(portIndex);
  ASSERT_NE(server, nullptr);
  ASSERT_NE(port, nullptr);
  const LPARAM notifyId = m_page->Spec().Controls[serverIndex].NotifyId;
  const UINT change = ::RegisterWindowMessageA(kBitmapEditChangeName);
  const UINT killFocus = ::RegisterWindowMessageA(kBitmapEditKillFocusName);

  ASSERT_TRUE(Click(Centre(m_page->ControlRect(serverIndex))));
  ASSERT_EQ(::GetFocus(), server->Hwnd());
  m_page->Notes.clear();
  for (WORD key : {'A', 'B', '1'}) ASSERT_TRUE(hand::TapKey(key));
  hand::PumpUntil([&] { return m_page->Notes.size() >= 6; }, 3000);
  server->SetUserText("mail.example.com");
  Settle();
  EXPECT_EQ(m_page->Take(kMsgEditKeyReleased),
            std::vector<NotedWindow::Note>(3, {kMsgEditKeyReleased, kEditKeyReleasedCode, 0}));
  EXPECT_EQ(m_page->Take(change), std::vector<NotedWindow::Note>(4, {change, 0, notifyId}));
  EXPECT_EQ(server->UserText(), "mail.example.com");

  // The port takes digits, four of them.
  ASSERT_TRUE(Click(Centre(m_page->ControlRect(portIndex))));
  EXPECT_EQ(m_page->Take(killFocus), (std::vector<NotedWindow::Note>{{killFocus, 0, notifyId}}));
  for (WORD key : {'A', '1', '2', '3', '4', '5'}) ASSERT_TRUE(hand::TapKey(key));
  Settle();
  EXPECT_EQ(port->UserText(), "1234");

  // Given the bytes of a record's field, it keeps no more and shows what is kept.
  server->SetByteLimit(5);
  server->SetUserText("mail.example.com");
  Settle();
  EXPECT_EQ(server->UserText(), "mail.");
  const std::vector<NotedWindow::Note> changes = m_page->Take(change);
  ASSERT_FALSE(changes.empty());
  EXPECT_EQ(changes.back(), (NotedWindow::Note{change, 0, notifyId}));

  // Painted in the colours it was given.
  server->SetColours(RGB(255, 255, 0), RGB(0, 0, 128));
  Settle();
  const RECT rect = skin_test::OnScreen(m_page->Hwnd(), m_page->ControlRect(serverIndex));
  const hand::Pixels seen = hand::CaptureScreen(rect);
  const auto count = [&](std::uint32_t colour) {
    return std::count(seen.Data.begin(), seen.Data.end(), colour);
  };
  EXPECT_GT(count(0x000080), static_cast<long>(seen.Data.size()) / 2);
  EXPECT_GT(count(0xFFFF00), 10);
}

}  // namespace
}  // namespace karvo::skin
