// The skinned windows built from the generated art, driven with real input: their outlines,
// their buttons' pictures in every state, hover and capture, and the keys and presses the
// surface takes for itself.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, whose types it uses.
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "configurator/configurator_resources.h"
#include "platform/gdi_win.h"
#include "platform/text_win.h"
#include "skin/image_button_win.h"
#include "skin/picture_window_win.h"
#include "skin/skin_images_win.h"
#include "skin/skin_messages.h"
#include "skin/skinned_dialog_win.h"
#include "skin/window_layouts.h"
#include "tests/skin/noted_window_win.h"
#include "tests/support/input_win.h"
#include "tests/support/pump_win.h"
#include "tests/support/screen_win.h"

namespace karvo::skin {
namespace {

using karvo::testing::Pixels;
using platform::UniqueBitmap;
using platform::UniqueRegion;
using skin_test::Centre;
using skin_test::IndexOf;
using skin_test::kOpenMenu;
using skin_test::NotedWindow;
using skin_test::Shows;
using skin_test::TooltipOf;

// The parent hears of every hover twice, entering (1) then leaving (0), with the hover id;
// between them, clicks of id and nothing else of the control's.
::testing::AssertionResult HoversPairedAroundClicks(const std::vector<NotedWindow::Note>& notes,
                                                    LPARAM hoverId, int id, int clicks) {
  WPARAM expected = 1;
  int clicked = 0;
  for (const NotedWindow::Note& note : notes) {
    if (note.Message == WM_COMMAND) {
      clicked += note.WParam == WPARAM(id) && note.LParam == BN_CLICKED;
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

struct ToolSearch {
  HWND Owner;
  std::vector<std::vector<HWND>> Found;
};

BOOL CALLBACK CollectTools(HWND window, LPARAM param) {
  auto& search = *reinterpret_cast<ToolSearch*>(param);
  wchar_t kind[32] = {};
  if (::GetWindow(window, GW_OWNER) != search.Owner || !::GetClassNameW(window, kind, 32) ||
      std::wstring(kind) != TOOLTIPS_CLASSW) {
    return TRUE;
  }
  std::vector<HWND>& tools = search.Found.emplace_back();
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  for (int i = 0; ::SendMessageW(window, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&tool)); ++i) {
    tools.push_back(tool.hwnd);
  }
  return TRUE;
}

// The tools of every tooltip control owned by owner, one entry per control.
std::vector<std::vector<HWND>> ToolsOwnedBy(HWND owner) {
  ToolSearch search{owner, {}};
  ::EnumThreadWindows(::GetCurrentThreadId(), &CollectTools, reinterpret_cast<LPARAM>(&search));
  return search.Found;
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
  const Pixels pixels = karvo::testing::BitmapPixels(picture.Get(), {0, 0, 858, 600});
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

// Pictures that are not there (9101..9105) or do not decode (9100), and a thumb bitmap that is
// not there (9106): the window is built all the same, only without those looks.
constexpr ControlSpec kMissingArtControls[] = {
    {.Layout = "Button,20,20,60,20,A tip", .Kind = ControlKind::Push},
    {.Layout = "Name,20,50,60,20,", .Kind = ControlKind::NameLabel},
    {.Layout = "Field,20,80,60,14,", .Kind = ControlKind::Edit, .Limit = 8},
    {.Layout = "Slider,100,20,200,10,",
     .Kind = ControlKind::Slider,
     .Id = 10,
     .Slider = {IDB_THUMB_CPI, 1, 7}},
    {.Layout = "Picture,100,50,50,50,", .Kind = ControlKind::Picture, .Value = 9105},
    {.Layout = "No thumb,100,120,200,10,",
     .Kind = ControlKind::Slider,
     .Id = 11,
     .Slider = {9106, 1, 7}},
};
constexpr WindowSpec kMissingArt{WindowId::ConfirmDialog,
                                 "missing_art",
                                 IDD_CONFIRM_DIALOG,
                                 ImageSetFrom(9100),
                                 372,
                                 166,
                                 WindowShape::Rounded,
                                 kMissingArtControls,
                                 ""};

// Every image taken from a prefetch is the image of its id, whichever order the images are asked
// for in (meeting the worker, against it, each twice), and one dropped unasked lets the next
// serve; 9100 does not decode and 9101 is not there, prefetched or not.
TEST(SkinImages, PrefetchedImagesAreTheImagesAskedFor) {
  std::vector<int> ids = ImagesDecodedAtOpen(FindWindowSpec(WindowId::Main));
  for (int id : ImagesDecodedAtOpen(FindWindowSpec(WindowId::SensitivityPage))) ids.push_back(id);
  ids.insert(ids.end(), {9100, 9101});
  std::map<int, Pixels> expected;
  for (int id : ids) {
    UniqueBitmap image;
    if (const std::optional<SIZE> size = LoadSkinImage(id, image))
      expected[id] = karvo::testing::BitmapPixels(image.Get(), {0, 0, size->cx, size->cy});
  }
  ASSERT_EQ(expected.size(), ids.size() - 2);
  { ImagePrefetch unasked(ids); }

  std::vector<int> reversed(ids.rbegin(), ids.rend());
  std::vector<int> twice;
  for (int id : ids) twice.insert(twice.end(), {id, id});
  for (const std::vector<int>* order : {&ids, &reversed, &twice}) {
    ImagePrefetch prefetch(ids);
    for (int id : *order) {
      UniqueBitmap image(::CreateBitmap(4, 4, 1, 32, nullptr));
      const HBITMAP before = image.Get();
      const std::optional<SIZE> size = LoadSkinImage(id, image);
      const auto want = expected.find(id);
      if (want == expected.end()) {
        EXPECT_FALSE(size) << id;
        EXPECT_EQ(image.Get(), before) << id;
        continue;
      }
      ASSERT_TRUE(size) << id;
      EXPECT_EQ(size->cx, want->second.Width) << id;
      EXPECT_EQ(size->cy, want->second.Height) << id;
      EXPECT_TRUE(karvo::testing::BitmapPixels(image.Get(), {0, 0, size->cx, size->cy}).Data ==
                  want->second.Data)
          << id;
    }
  }
}

TEST(SkinnedWindow, MissingOrUndecodablePicturesLeaveEmptyLooksAndAWorkingWindow) {
  UniqueBitmap kept(::CreateBitmap(4, 4, 1, 32, nullptr));
  const HBITMAP before = kept.Get();
  for (int id : {9100, 9101}) {
    EXPECT_FALSE(LoadSkinImage(id, kept)) << id;
    EXPECT_EQ(kept.Get(), before) << id;
  }
  UniqueBitmap crop;
  platform::WindowDc screen(nullptr);
  CropImage(screen.Get(), crop, nullptr, {0, 0, 10, 10});
  EXPECT_FALSE(crop);

  NotedWindow window(kMissingArt);
  ASSERT_TRUE(window.CreateModeless(nullptr, kMissingArt.Template));
  ::ShowWindow(window.Hwnd(), SW_SHOW);
  RECT rect{};
  ::GetWindowRect(window.Hwnd(), &rect);
  EXPECT_EQ(rect.right - rect.left, 372);
  EXPECT_EQ(rect.bottom - rect.top, 166);
  UniqueRegion outline(::CreateRectRgn(0, 0, 0, 0));
  EXPECT_EQ(::GetWindowRgn(window.Hwnd(), outline.Get()), ERROR);
  ASSERT_NE(window.Button(0), nullptr);
  EXPECT_NE(window.NameLabel(1), nullptr);
  EXPECT_NE(window.Edit(2), nullptr);
  EXPECT_NE(window.Slider(3), nullptr);
  EXPECT_NE(window.Picture(4), nullptr);
  EXPECT_EQ(window.Slider(5), nullptr);
  // It paints, and its button still clicks.
  ::RedrawWindow(window.Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  ::SendMessageW(window.Button(0)->Hwnd(), BM_CLICK, 0, 0);
  karvo::testing::Pump(50);
  const std::vector<NotedWindow::Note> commands = window.Take(WM_COMMAND);
  EXPECT_EQ(std::count(commands.begin(), commands.end(),
                       NotedWindow::Note{WM_COMMAND, WPARAM(window.ControlId(0)), BN_CLICKED}),
            1);
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
    const bool moved = karvo::testing::MoveMouse(client);
    Settle();
    return moved;
  }
  void Settle() { karvo::testing::Pump(150); }
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
  ASSERT_TRUE(karvo::testing::PressLeft(true));
  Settle();
  EXPECT_TRUE(Shows(hwnd, rect, set.Selected, "push_pressed"));
  ASSERT_TRUE(karvo::testing::PressLeft(false));
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
  // Its tooltip control knows it by the layout's text, over its whole face.
  EXPECT_EQ(TooltipOf(button->Hwnd()),
            L"Close the application without saving the changes to the devices");
  // Straight onto another window.
  ASSERT_TRUE(karvo::testing::MoveMouse({5, 5}));
  Settle();
  EXPECT_EQ(::GetCapture(), nullptr);
  EXPECT_FALSE(button->Hover());
  EXPECT_EQ(TakeNotes(),
            (std::vector<NotedWindow::Note>{{kMsgHoverChanged, 1, 77}, {kMsgHoverChanged, 0, 77}}));

  // Pressed and dragged off: the hover ends, the press keeps the capture, and letting go
  // elsewhere clicks nothing.
  ASSERT_TRUE(MoveTo(CentreOf(exit)));
  ASSERT_TRUE(karvo::testing::PressLeft(true));
  Settle();
  ASSERT_TRUE(MoveTo({600, 50}));
  EXPECT_EQ(::GetCapture(), button->Hwnd());
  EXPECT_FALSE(button->Hover());
  ASSERT_TRUE(karvo::testing::PressLeft(false));
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
    ASSERT_TRUE(karvo::testing::PressLeft(true));
    ASSERT_TRUE(karvo::testing::PressLeft(false));
    Settle();
    EXPECT_EQ(box->Selected(), expected);
    // The hand rests on the box, as hands do.
    centre.x ^= 1;
    ASSERT_TRUE(MoveTo(centre));
    // Checked shows the selected picture even under the pointer.
    EXPECT_TRUE(Shows(page.Hwnd(), rect,
                      expected ? pageSpec.Images.Selected : pageSpec.Images.Hover, "check_click"));
  }
  // The space bar on the focused box flips it as well.
  ::SetFocus(box->Hwnd());
  ASSERT_TRUE(karvo::testing::TapKey(VK_SPACE));
  Settle();
  EXPECT_FALSE(box->Selected());
  // Disabled under the pointer: the hover ends, and one click was told for each flip.
  ::EnableWindow(box->Hwnd(), FALSE);
  EXPECT_TRUE(Shows(page.Hwnd(), rect, pageSpec.Images.Disabled, "check_disabled"));
  EXPECT_TRUE(HoversPairedAroundClicks(page.Notes, 0, id, 4));
}

// Dozens of buttons would make dozens of tooltip windows at start-up: the buttons of a window
// and of its pages are tools of one tooltip control, owned by the top-level window, and a
// button that goes takes its tool with it.
TEST_F(SkinnedMainWindow, ButtonsOfAWindowAndItsPagesShareOneTooltipThatForgetsThemWhenGone) {
  std::vector<HWND> pageButtons;
  {
    const WindowSpec& pageSpec = FindWindowSpec(WindowId::OsdPage);
    NotedWindow page(pageSpec);
    ASSERT_TRUE(page.CreateModeless(m_main.Hwnd(), pageSpec.Template));
    // The pages' tables give no tips; the program sets some itself.
    for (const char* name : {"CPU", "RAM"}) {
      ImageButton* box = page.Button(IndexOf(pageSpec, name));
      ASSERT_NE(box, nullptr);
      box->SetTooltip(std::string("Zeigt ") + name);
      pageButtons.push_back(box->Hwnd());
      EXPECT_EQ(TooltipOf(box->Hwnd()), platform::WideFromSuiteText(std::string("Zeigt ") + name));
    }
    for (std::size_t i = 0; i < m_main.ControlCount(); ++i) {
      const ImageButton* button = m_main.Button(i);
      const std::string_view tip = m_main.Layout(i)->Tooltip;
      if (!button || tip.empty()) continue;
      SCOPED_TRACE(std::string(m_spec.Controls[i].Layout));
      // The helper reads at most 127 characters of a tip.
      EXPECT_EQ(TooltipOf(button->Hwnd()), platform::WideFromSuiteText(tip).substr(0, 127));
    }
    const std::vector<std::vector<HWND>> shared = ToolsOwnedBy(m_main.Hwnd());
    ASSERT_EQ(shared.size(), 1u);
    for (HWND button : pageButtons) {
      EXPECT_EQ(std::count(shared[0].begin(), shared[0].end(), button), 1);
    }
  }
  const std::vector<std::vector<HWND>> after = ToolsOwnedBy(m_main.Hwnd());
  ASSERT_EQ(after.size(), 1u);
  EXPECT_FALSE(after[0].empty());
  for (HWND tool : after[0]) {
    EXPECT_TRUE(::IsWindow(tool));
    EXPECT_EQ(std::count(pageButtons.begin(), pageButtons.end(), tool), 0);
  }
  EXPECT_EQ(TooltipOf(m_main.Button(IndexOf(m_spec, "Exit"))->Hwnd()),
            L"Close the application without saving the changes to the devices");
}

// A page's pictures are decoded when first shown, not with the page: shown, one paints its
// image all the same.
TEST_F(SkinnedMainWindow, PictureDecodedWhenFirstShownPaintsItsImage) {
  const WindowSpec& pageSpec = FindWindowSpec(WindowId::ButtonPageMode1);
  NotedWindow page(pageSpec);
  ASSERT_TRUE(page.CreateModeless(m_main.Hwnd(), pageSpec.Template));
  ::SetWindowPos(page.Hwnd(), HWND_TOP, 20, 119, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  std::size_t index = 0;
  while (index < page.ControlCount() && !page.Picture(index)) ++index;
  ASSERT_LT(index, page.ControlCount());
  PictureWindow* picture = page.Picture(index);
  picture->Show(true);
  Settle();
  RECT client{};
  ::GetClientRect(picture->Hwnd(), &client);
  EXPECT_TRUE(Shows(picture->Hwnd(), client, pageSpec.Controls[index].Value, "picture_shown"));
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

  const DWORD runner = ::GetCurrentThreadId();
  std::thread hand([&] {
    auto wait = [](const std::function<bool()>& done) {
      return karvo::testing::WaitFor(done, 5000);
    };
    HWND hwnd = nullptr;
    wait([&] {
      for (HWND found = nullptr; (found = ::FindWindowExW(nullptr, found, L"#32770", nullptr));) {
        if (::GetWindowThreadProcessId(found, nullptr) == runner && ::IsWindowVisible(found)) {
          hwnd = found;
        }
      }
      return hwnd != nullptr;
    });
    if (!hwnd) return;
    // Keys go to the window in front; one that never gets there is closed, so the run ends.
    if (!wait([&] { return ::GetForegroundWindow() == hwnd; })) {
      ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
      return;
    }
    shown = hwnd;
    ::Sleep(200);
    karvo::testing::TapKey(VK_RETURN);
    karvo::testing::TapKey(VK_ESCAPE);
    ::Sleep(300);
    ::GetWindowRect(hwnd, &before);
    // The surface at (60, 100): no control there.
    karvo::testing::MoveMouse({before.left + 60, before.top + 100});
    karvo::testing::PressLeft(true);
    karvo::testing::MoveMouse({before.left + 80, before.top + 110});
    karvo::testing::MoveMouse({before.left + 100, before.top + 125});
    karvo::testing::PressLeft(false);
    wait([&] {
      ::GetWindowRect(hwnd, &moved);
      return moved.left != before.left;
    });
    ::PostMessageW(hwnd, kOpenMenu, 0, 0);
    HWND menu = nullptr;
    wait([&] { return (menu = ::FindWindowW(L"#32768", nullptr)) && ::IsWindowVisible(menu); });
    ::Sleep(200);
    karvo::testing::TapKey(VK_ESCAPE);
    menuClosed = wait([&] { return !::IsWindowVisible(menu); });
    if (!menuClosed) ::PostMessageW(hwnd, WM_CANCELMODE, 0, 0);
    ::Sleep(200);
    RECT okRect = dialog.ControlRect(ok);
    ::MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&okRect), 2);
    karvo::testing::MoveMouse(Centre(okRect));
    ::Sleep(100);
    karvo::testing::PressLeft(true);
    karvo::testing::PressLeft(false);
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
