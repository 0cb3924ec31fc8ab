// The skinned windows built from the generated art, driven with real input: their outlines,
// their buttons' pictures in every state, hover and capture, and the keys and presses the
// surface takes for itself.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "configurator/configurator_resources.h"
#include "platform/gdi_win.h"
#include "skin/image_button_win.h"
#include "skin/skin_images_win.h"
#include "skin/skin_messages.h"
#include "skin/skinned_dialog_win.h"
#include "skin/window_layouts.h"
#include "tests/support/input_win.h"
#include "tests/support/pump_win.h"
#include "tests/support/screen_win.h"

namespace karvo::skin {
namespace {

using platform::UniqueBitmap;
using platform::UniqueRegion;
using testing::CaptureScreen;
using testing::Pixels;
using testing::PumpUntil;

constexpr UINT kOpenMenu = WM_APP + 1;

// A skinned window on top of everything that notes what its controls tell it.
class NotedWindow final : public SkinnedDialog {
 public:
  using SkinnedDialog::SkinnedDialog;
  struct Note {
    UINT Message;
    WPARAM WParam;
    LPARAM LParam;
    bool operator==(const Note&) const = default;
  };
  std::vector<Note> Notes;
  int EndOnId = -1;
  UINT MenuResult = 0xFFFF;

 protected:
  bool OnInit() override {
    const bool built = SkinnedDialog::OnInit();
    if (!(::GetWindowLongW(m_hwnd, GWL_STYLE) & WS_CHILD)) {
      ::SetWindowPos(m_hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    return built;
  }
  void OnCommand(int id, int code, HWND control) override {
    Notes.push_back({WM_COMMAND, static_cast<WPARAM>(id), code});
    if (id == EndOnId) EndDialog(id);
    SkinnedDialog::OnCommand(id, code, control);
  }
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override {
    if (message == kMsgHoverChanged) {
      Notes.push_back({message, wParam, lParam});
      return true;
    }
    if (message == kOpenMenu) {
      platform::UniqueMenu menu(::CreatePopupMenu());
      ::AppendMenuW(menu.Get(), MF_STRING, 7, L"Eintrag");
      MenuResult = static_cast<UINT>(
          ::TrackPopupMenu(menu.Get(), TPM_RETURNCMD, 40, 40, 0, m_hwnd, nullptr));
      return true;
    }
    return SkinnedDialog::OnMessage(message, wParam, lParam, result);
  }
};

std::size_t IndexOf(const WindowSpec& window, std::string_view name) {
  for (std::size_t i = 0; i < window.Controls.size(); ++i) {
    if (window.Controls[i].Layout.starts_with(std::string(name) + ",")) return i;
  }
  ADD_FAILURE() << "no control " << name;
  return 0;
}

// The parent hears of every hover twice, entering (1) then leaving (0), with the hover id;
// between them, clicks of id.
::testing::AssertionResult HoversPairedAroundClicks(const std::vector<NotedWindow::Note>& notes,
                                                    LPARAM hoverId, int id, int clicks) {
  WPARAM expected = 1;
  int clicked = 0;
  for (const NotedWindow::Note& note : notes) {
    if (note.Message == WM_COMMAND && note.WParam == WPARAM(id) && note.LParam == BN_CLICKED) {
      ++clicked;
    } else if (note.Message != kMsgHoverChanged || note.WParam != expected ||
               note.LParam != hoverId) {
      return ::testing::AssertionFailure() << "message " << note.Message << " (" << note.WParam
                                           << ", " << note.LParam << ") out of turn";
    } else {
      expected ^= 1;
    }
  }
  if (expected != 1 || notes.empty()) {
    return ::testing::AssertionFailure() << "the hover did not end";
  }
  if (clicked != clicks) return ::testing::AssertionFailure() << clicked << " clicks";
  return ::testing::AssertionSuccess();
}

RECT OnScreen(HWND window, RECT rect) {
  ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

POINT Centre(const RECT& rect) {
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// What the screen shows at rect of window must be that rectangle of the state image, decoded
// anew; painting follows input, so it is looked at until it matches or the bound ends.
::testing::AssertionResult Shows(HWND window, const RECT& rect, int imageId, const char* name) {
  UniqueBitmap image;
  if (!LoadSkinImage(imageId, image))
    return ::testing::AssertionFailure() << "no image " << imageId;
  const Pixels expected = testing::BitmapPixels(image.Get(), rect);
  Pixels seen;
  PumpUntil(
      [&] {
        seen = CaptureScreen(OnScreen(window, rect));
        return testing::CountDifferences(seen, expected) == 0;
      },
      2000);
  const int differences = testing::CountDifferences(seen, expected);
  if (!expected.Empty() && differences == 0) return ::testing::AssertionSuccess();
  const std::string path = std::string(KARVO_SKIN_TEST_DIR) + "\\" + name + ".bmp";
  ::CreateDirectoryA(KARVO_SKIN_TEST_DIR, nullptr);
  seen.SaveBmp(path);
  return ::testing::AssertionFailure()
         << differences << " pixels differ from image " << imageId << ", the screen is in " << path;
}

// A bitmap of 32-bit pixels (0x00RRGGBB), width per row.
UniqueBitmap MakeBitmap(int width, const std::vector<std::uint32_t>& pixels) {
  const int height = static_cast<int>(pixels.size()) / width;
  BITMAPINFO info{};
  info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  UniqueBitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (bits) std::copy(pixels.begin(), pixels.end(), static_cast<std::uint32_t*>(bits));
  return bitmap;
}

TEST(RegionFromImage, OutlineHoldsExactlyThePixelsOutsideTheKeyRange) {
  constexpr std::uint32_t kWhite = 0xFFFFFF;
  struct Case {
    const char* name;
    int width;
    std::function<std::uint32_t(int x, int y)> pixel;
    COLORREF key;
    COLORREF tolerance;
    bool expectRegion;
  };
  const Case cases[] = {
      {"white everywhere", 40, [](int, int) { return kWhite; }, RGB(255, 255, 255), 0, false},
      {"no white", 40, [](int x, int y) { return 0x101010u * ((x + y) % 8); }, RGB(255, 255, 255),
       0, true},
      // Thousands of runs: several batches united.
      {"stripes", 120, [](int x, int y) { return (x + y / 7) % 2 ? kWhite : 0x203040u; },
       RGB(255, 255, 255), 0, true},
      // A thumb's key colour with a tolerance: magenta and near-magenta are cut away.
      {"key range", 40,
       [](int x, int y) { return (x * y) % 3 == 0 ? 0xFF00FFu : (x % 2 ? 0xFA00FAu : 0xF900FAu); },
       RGB(250, 0, 250), RGB(5, 0, 5), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int height = 60;
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < c.width; ++x) pixels.push_back(c.pixel(x, y));
    }
    UniqueBitmap bitmap = MakeBitmap(c.width, pixels);
    UniqueRegion region = RegionFromImage(bitmap.Get(), c.key, c.tolerance);
    ASSERT_EQ(static_cast<bool>(region), c.expectRegion);
    if (!region) continue;
    int wrong = 0;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < c.width; ++x) {
        const std::uint32_t p = pixels[static_cast<std::size_t>(y) * c.width + x];
        const bool keyed = GetRValue(c.key) <= (p >> 16 & 0xFF) &&
                           (p >> 16 & 0xFF) <= GetRValue(c.key) + GetRValue(c.tolerance) &&
                           GetGValue(c.key) <= (p >> 8 & 0xFF) &&
                           (p >> 8 & 0xFF) <= GetGValue(c.key) + GetGValue(c.tolerance) &&
                           GetBValue(c.key) <= (p & 0xFF) &&
                           (p & 0xFF) <= GetBValue(c.key) + GetBValue(c.tolerance);
        wrong += (::PtInRegion(region.Get(), x, y) != FALSE) == keyed;
      }
    }
    EXPECT_EQ(wrong, 0);
  }
  EXPECT_FALSE(RegionFromImage(nullptr, RGB(255, 255, 255), 0));
}

TEST(SkinnedWindow, MainWindowTakesSizePlaceAndOutlineFromItsPictures) {
  const WindowSpec& spec = FindWindowSpec(WindowId::Main);
  NotedWindow main(spec);
  ASSERT_TRUE(main.CreateModeless(nullptr, spec.Template));
  RECT window{};
  ::GetWindowRect(main.Hwnd(), &window);
  EXPECT_EQ(window.right - window.left, 858);
  EXPECT_EQ(window.bottom - window.top, 600);
  RECT area{};
  ASSERT_TRUE(::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0));
  EXPECT_NEAR(window.left - area.left, area.right - window.right, 1);
  EXPECT_NEAR(window.top - area.top, area.bottom - window.bottom, 1);

  UniqueRegion outline(::CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(::GetWindowRgn(main.Hwnd(), outline.Get()), ERROR);
  // Points the artwork's outline puts inside and outside: the cut corners, the notch on the
  // left and the step at the bottom.
  const struct {
    POINT point;
    bool inside;
  } points[] = {{{2, 2}, false},     {{855, 3}, false},  {{2, 280}, false}, {{600, 595}, false},
                {{855, 590}, false}, {{429, 300}, true}, {{4, 100}, true},  {{300, 595}, true},
                {{855, 300}, true},  {{30, 5}, true}};
  for (const auto& p : points) {
    EXPECT_EQ(::PtInRegion(outline.Get(), p.point.x, p.point.y) != FALSE, p.inside)
        << p.point.x << "," << p.point.y;
  }
  // And everywhere: outside exactly where the region picture is white.
  UniqueBitmap picture;
  ASSERT_TRUE(LoadSkinImage(spec.Images.Region, picture));
  const Pixels pixels = testing::BitmapPixels(picture.Get(), {0, 0, 858, 600});
  int wrong = 0;
  for (int y = 0; y < 600; ++y) {
    for (int x = 0; x < 858; ++x) {
      wrong += (pixels.At(x, y) != 0xFFFFFF) != (::PtInRegion(outline.Get(), x, y) != FALSE);
    }
  }
  EXPECT_EQ(wrong, 0);

  // A page is placed by its host and keeps its rectangle: its region picture has no white.
  const WindowSpec& pageSpec = FindWindowSpec(WindowId::SensitivityPage);
  NotedWindow page(pageSpec);
  ASSERT_TRUE(page.CreateModeless(main.Hwnd(), pageSpec.Template));
  EXPECT_EQ(::GetWindowRgn(page.Hwnd(), outline.Get()), ERROR);
  RECT pageRect{};
  ::GetWindowRect(page.Hwnd(), &pageRect);
  EXPECT_EQ(pageRect.left, window.left);
  EXPECT_EQ(pageRect.right - pageRect.left, 430);
  EXPECT_EQ(pageRect.bottom - pageRect.top, 440);
}

class SkinnedMainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_main.CreateModeless(nullptr, m_spec.Template));
    ::ShowWindow(m_main.Hwnd(), SW_SHOW);
    ::SetForegroundWindow(m_main.Hwnd());
    // Away from every control: on the surface above the tabs.
    ASSERT_TRUE(MoveTo({600, 50}));
    Settle();
  }
  bool MoveTo(POINT client) {
    ::ClientToScreen(m_main.Hwnd(), &client);
    const bool moved = testing::MoveMouse(client);
    Settle();
    return moved;
  }
  void Settle() { testing::Pump(150); }
  POINT CentreOf(std::size_t index) { return Centre(m_main.ControlRect(index)); }
  std::vector<NotedWindow::Note> TakeNotes() { return std::exchange(m_main.Notes, {}); }

  const WindowSpec& m_spec = FindWindowSpec(WindowId::Main);
  NotedWindow m_main{m_spec};
};

TEST_F(SkinnedMainWindow, PushButtonShowsTheRightPictureInEveryState) {
  const std::size_t ok = IndexOf(m_spec, "OK");
  ImageButton* button = m_main.Button(ok);
  ASSERT_NE(button, nullptr);
  const RECT rect = m_main.ControlRect(ok);
  const ImageSet& set = m_spec.Images;
  HWND hwnd = m_main.Hwnd();
  EXPECT_TRUE(Shows(hwnd, rect, set.Normal, "push_normal"));

  ASSERT_TRUE(MoveTo(CentreOf(ok)));
  EXPECT_TRUE(Shows(hwnd, rect, set.Hover, "push_hover"));
  ASSERT_TRUE(testing::PressLeft(true));
  Settle();
  EXPECT_TRUE(Shows(hwnd, rect, set.Selected, "push_pressed"));
  ASSERT_TRUE(testing::PressLeft(false));
  Settle();
  ASSERT_TRUE(MoveTo({600, 50}));
  const int id = m_main.ControlId(ok);
  // The release takes the capture from the button and the pointer, still on it, may come
  // back: whichever way, every hover ends with its message.
  EXPECT_TRUE(HoversPairedAroundClicks(TakeNotes(), 0, id, 1));

  // Selected by the owner: lit whether the pointer is on it or not.
  button->SetSelected(true);
  EXPECT_TRUE(Shows(hwnd, rect, set.Selected, "push_selected"));
  ASSERT_TRUE(MoveTo(CentreOf(ok)));
  EXPECT_TRUE(Shows(hwnd, rect, set.Selected, "push_selected_hover"));
  button->SetSelected(false);

  // Disabled under the pointer: the disabled picture, not a hover look left over.
  EXPECT_TRUE(Shows(hwnd, rect, set.Hover, "push_hover_again"));
  ::EnableWindow(button->Hwnd(), FALSE);
  EXPECT_FALSE(button->Hover());
  EXPECT_NE(::GetCapture(), button->Hwnd());
  EXPECT_TRUE(Shows(hwnd, rect, set.Disabled, "push_disabled"));
}

TEST_F(SkinnedMainWindow, HoverEndsWithTheCaptureUnlessTheButtonIsHeld) {
  const std::size_t exit = IndexOf(m_spec, "Exit");
  ImageButton* button = m_main.Button(exit);
  ASSERT_NE(button, nullptr);
  button->SetHoverId(77);
  ASSERT_TRUE(MoveTo(CentreOf(exit)));
  EXPECT_EQ(::GetCapture(), button->Hwnd());
  EXPECT_TRUE(button->Hover());
  // Straight onto another window.
  ASSERT_TRUE(testing::MoveMouse({5, 5}));
  Settle();
  EXPECT_EQ(::GetCapture(), nullptr);
  EXPECT_FALSE(button->Hover());
  EXPECT_EQ(TakeNotes(),
            (std::vector<NotedWindow::Note>{{kMsgHoverChanged, 1, 77}, {kMsgHoverChanged, 0, 77}}));

  // Pressed and dragged off: the hover ends, the press keeps the capture, and letting go
  // elsewhere clicks nothing.
  ASSERT_TRUE(MoveTo(CentreOf(exit)));
  ASSERT_TRUE(testing::PressLeft(true));
  Settle();
  ASSERT_TRUE(MoveTo({600, 50}));
  EXPECT_EQ(::GetCapture(), button->Hwnd());
  EXPECT_FALSE(button->Hover());
  ASSERT_TRUE(testing::PressLeft(false));
  Settle();
  EXPECT_EQ(::GetCapture(), nullptr);
  EXPECT_EQ(TakeNotes(),
            (std::vector<NotedWindow::Note>{{kMsgHoverChanged, 1, 77}, {kMsgHoverChanged, 0, 77}}));
}

TEST_F(SkinnedMainWindow, CheckBoxOnAPageFlipsAndReportsOnEveryRelease) {
  const WindowSpec& pageSpec = FindWindowSpec(WindowId::OsdPage);
  NotedWindow page(pageSpec);
  ASSERT_TRUE(page.CreateModeless(m_main.Hwnd(), pageSpec.Template));
  ::SetWindowPos(page.Hwnd(), HWND_TOP, 422, 119, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  const std::size_t cpu = IndexOf(pageSpec, "CPU");
  ImageButton* box = page.Button(cpu);
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(box->ToggleMode());
  const RECT rect = page.ControlRect(cpu);
  POINT centre = Centre(rect);
  ::MapWindowPoints(page.Hwnd(), m_main.Hwnd(), &centre, 1);
  const int id = page.ControlId(cpu);

  ASSERT_TRUE(MoveTo(centre));
  EXPECT_TRUE(Shows(page.Hwnd(), rect, pageSpec.Images.Hover, "check_hover"));
  for (bool expected : {true, false, true}) {
    ASSERT_TRUE(testing::PressLeft(true));
    ASSERT_TRUE(testing::PressLeft(false));
    Settle();
    EXPECT_EQ(box->Selected(), expected);
    // The hand rests on the box, as hands do.
    centre.x ^= 1;
    ASSERT_TRUE(MoveTo(centre));
    // Checked shows the selected picture even under the pointer.
    EXPECT_TRUE(Shows(page.Hwnd(), rect,
                      expected ? pageSpec.Images.Selected : pageSpec.Images.Hover, "check_click"));
  }
  // Disabled under the pointer: the hover ends, and one click was told for each release.
  ::EnableWindow(box->Hwnd(), FALSE);
  EXPECT_TRUE(Shows(page.Hwnd(), rect, pageSpec.Images.Disabled, "check_disabled"));
  EXPECT_TRUE(HoversPairedAroundClicks(page.Notes, 0, id, 3));
}

// The user's hand on a modal dialog, from another thread: Enter and Escape close nothing, the
// surface drags the window, a menu still closes on Escape, and the OK button ends the run.
TEST(SkinnedDialogKeys, EnterAndEscapeCloseNothingWhileTheSurfaceDragsAndMenusStillClose) {
  const WindowSpec& spec = FindWindowSpec(WindowId::ConfirmDialog);
  NotedWindow dialog(spec);
  const std::size_t ok = IndexOf(spec, "BUTTON_OK");
  dialog.EndOnId = dialog.ControlId(ok);
  std::atomic<HWND> shown{nullptr};
  RECT before{};
  RECT moved{};
  bool menuClosed = false;

  std::thread hand([&] {
    auto wait = [](const std::function<bool()>& done) { return testing::WaitFor(done, 5000); };
    if (!wait([&] {
          HWND found = ::FindWindowW(L"#32770", nullptr);
          if (found && ::IsWindowVisible(found) && ::GetForegroundWindow() == found) shown = found;
          return shown.load() != nullptr;
        })) {
      return;
    }
    HWND hwnd = shown;
    ::Sleep(200);
    testing::TapKey(VK_RETURN);
    testing::TapKey(VK_ESCAPE);
    ::Sleep(300);
    ::GetWindowRect(hwnd, &before);
    // The surface at (60, 100): no control there.
    testing::MoveMouse({before.left + 60, before.top + 100});
    testing::PressLeft(true);
    testing::MoveMouse({before.left + 80, before.top + 110});
    testing::MoveMouse({before.left + 100, before.top + 125});
    testing::PressLeft(false);
    wait([&] {
      ::GetWindowRect(hwnd, &moved);
      return moved.left != before.left;
    });
    ::PostMessageW(hwnd, kOpenMenu, 0, 0);
    HWND menu = nullptr;
    wait([&] { return (menu = ::FindWindowW(L"#32768", nullptr)) && ::IsWindowVisible(menu); });
    ::Sleep(200);
    testing::TapKey(VK_ESCAPE);
    menuClosed = wait([&] { return !::IsWindowVisible(menu); });
    if (!menuClosed) ::PostMessageW(hwnd, WM_CANCELMODE, 0, 0);
    ::Sleep(200);
    RECT okRect = dialog.ControlRect(ok);
    ::MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&okRect), 2);
    testing::MoveMouse(Centre(okRect));
    ::Sleep(100);
    testing::PressLeft(true);
    testing::PressLeft(false);
    // Whatever happened, the run ends.
    if (!wait([&] { return !::IsWindow(hwnd); })) ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
  });
  const INT_PTR result = dialog.RunModal(nullptr, spec.Template);
  hand.join();

  ASSERT_NE(shown.load(), nullptr) << "the dialog never came to the front";
  EXPECT_EQ(result, dialog.EndOnId);
  EXPECT_EQ(moved.left - before.left, 40);
  EXPECT_EQ(moved.top - before.top, 25);
  EXPECT_TRUE(menuClosed);
  EXPECT_EQ(dialog.MenuResult, 0u);
}

}  // namespace
}  // namespace karvo::skin
