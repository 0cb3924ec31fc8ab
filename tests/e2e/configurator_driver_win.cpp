#include "tests/e2e/configurator_driver_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "configurator/configurator_resources.h"
#include "monitor/device_reports.h"
#include "platform/handles.h"
#include "platform/suite_names.h"
#include "settings/settings_image.h"
#include "skin/skin_images_win.h"
#include "skin/slider_math.h"
#include "skin/window_layouts.h"
#include "tests/e2e/transfer_suite_win.h"
#include "tests/support/input_win.h"
#include "tests/support/pump_win.h"
#include "tests/support/screen_win.h"

namespace karvo::e2e {
namespace {

struct BoxSearch {
  const char* Text;
  HWND Found;
};

BOOL CALLBACK FindBox(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<BoxSearch*>(param);
  char className[16] = {};
  ::GetClassNameA(window, className, sizeof className);
  if (std::strcmp(className, "#32770") != 0) return TRUE;
  for (HWND child = nullptr; (child = ::FindWindowExA(window, child, "Static", nullptr));) {
    char shown[128] = {};
    ::GetWindowTextA(child, shown, sizeof shown);
    if (std::strcmp(shown, search->Text) == 0) search->Found = window;
  }
  return search->Found ? FALSE : TRUE;
}

}  // namespace

std::string SlotName(int slot) { return "Profile " + std::to_string(slot + 1); }

Shown StateShown(HWND window, const skin::SkinLayout& layout) {
  static const std::vector<testing::Pixels> kImages = [] {
    std::vector<testing::Pixels> images;
    const std::optional<std::string> dist = DistDirectory();
    platform::UniqueModule program(
        ::LoadLibraryExA((dist.value_or("") + platform::kConfiguratorExe).c_str(), nullptr,
                         LOAD_LIBRARY_AS_DATAFILE));
    for (int id : {IDR_MAIN_NORMAL, IDR_MAIN_HOVER, IDR_MAIN_SELECTED}) {
      platform::UniqueBitmap image;
      (void)skin::LoadSkinImage(id, image, program.Get());
      images.push_back(testing::BitmapPixels(image.Get(), {0, 0, 858, 600}));
    }
    return images;
  }();
  POINT origin{0, 0};
  ::ClientToScreen(window, &origin);
  const RECT onScreen{origin.x + layout.Left, origin.y + layout.Top, origin.x + layout.Right,
                      origin.y + layout.Bottom};
  const testing::Pixels shown = testing::CaptureScreen(onScreen);
  Shown best = Shown::kUnknown;
  int fewest = (layout.Right - layout.Left) * (layout.Bottom - layout.Top) / 4;
  for (std::size_t i = 0; i < kImages.size(); ++i) {
    testing::Pixels expected;
    expected.Width = layout.Right - layout.Left;
    expected.Height = layout.Bottom - layout.Top;
    for (int y = layout.Top; y < layout.Bottom; ++y)
      for (int x = layout.Left; x < layout.Right; ++x) expected.Data.push_back(kImages[i].At(x, y));
    const int differences = testing::CountDifferences(shown, expected);
    if (differences < fewest) {
      fewest = differences;
      best = static_cast<Shown>(i);
    }
  }
  return best;
}

bool Selected(HWND window, std::string_view name) {
  return StateShown(window, MainControl(name)) == Shown::kSelected;
}

int HighlightedSlot(HWND window) {
  int found = -1;
  for (int slot = 0; slot < settings::kProfileCount; ++slot) {
    if (Selected(window, SlotName(slot))) found = found == -1 ? slot : -2;
  }
  return found;
}

std::string LabelText(HWND window, int slot) {
  return TextOf(ChildAt(window, MainControl(SlotName(slot) + " name")));
}

skin::SkinLayout MainControl(std::string_view name) {
  return ControlIn(skin::kMainWindowControls, name);
}

void Click(HWND window, std::string_view name) {
  EXPECT_TRUE(ClickAt(window, MainControl(name))) << "no click on " << name;
}

skin::SkinLayout PageControl(skin::WindowId page, std::string_view name) {
  const skin::WindowSpec& spec = skin::FindWindowSpec(page);
  const bool left =
      page == skin::WindowId::ButtonPageMode1 || page == skin::WindowId::ButtonPageMode2;
  skin::SkinLayout layout = ControlIn(spec.Controls, name);
  if (layout.Name[0] == '\0') return {};
  skin::SkinLayout place{};
  for (const skin::ControlSpec& control : skin::kMainWindowControls) {
    if (control.Kind == skin::ControlKind::PageRect && (control.Value == 1) == left) {
      place = skin::ParseLayout(control.Layout);
    }
  }
  layout.Left += place.Left;
  layout.Right += place.Left;
  layout.Top += place.Top;
  layout.Bottom += place.Top;
  return layout;
}

namespace {

// A page's slider as the main window places it: its geometry and its thumb's window.
struct SliderOnScreen {
  skin::SliderGeometry Geometry{};
  HWND Thumb = nullptr;
  POINT Origin{};  // the main window's client origin on the screen
};

SliderOnScreen FindSlider(HWND window, skin::WindowId page, std::string_view slider) {
  SliderOnScreen found;
  const skin::ControlSpec* spec = nullptr;
  for (const skin::ControlSpec& control : skin::FindWindowSpec(page).Controls) {
    if (skin::ParseLayout(control.Layout).Name == slider) spec = &control;
  }
  if (!spec) {
    ADD_FAILURE() << "no slider " << slider;
    return found;
  }
  const skin::SkinLayout track = PageControl(page, slider);
  found.Geometry = {track.Left, track.Right - track.Left,
                    skin::FindThumb(spec->Slider.ThumbBitmap).Width, spec->Slider.Min,
                    spec->Slider.Max};
  ::ClientToScreen(window, &found.Origin);
  // The thumb is the visible slider thumb whose top edge is the track's.
  HWND pageWindow = ChildAt(window, MainControl("Page position"));
  for (HWND child = nullptr;
       (child = ::FindWindowExA(pageWindow, child, "KarvoSliderThumb", nullptr));) {
    RECT rect{};
    if (::IsWindowVisible(child) && ::GetWindowRect(child, &rect) &&
        rect.top == found.Origin.y + track.Top) {
      found.Thumb = child;
    }
  }
  return found;
}

}  // namespace

int SliderValueShown(HWND window, skin::WindowId page, std::string_view slider) {
  const SliderOnScreen found = FindSlider(window, page, slider);
  RECT at{};
  if (!found.Thumb || !::GetWindowRect(found.Thumb, &at)) return -1;
  for (int value = found.Geometry.Min; value <= found.Geometry.Max; ++value) {
    if (found.Origin.x + skin::ThumbLeftForValue(found.Geometry, value) == at.left) return value;
  }
  return -1;
}

void DragThumb(HWND window, skin::WindowId page, std::string_view slider, int value, int steps) {
  const SliderOnScreen found = FindSlider(window, page, slider);
  ASSERT_NE(found.Thumb, nullptr) << "no thumb on " << slider;
  RECT at{};
  ASSERT_TRUE(::GetWindowRect(found.Thumb, &at));
  const POINT grab{(at.left + at.right) / 2, (at.top + at.bottom) / 2};
  const int targetX =
      found.Origin.x + skin::ThumbLeftForValue(found.Geometry, value) + (grab.x - at.left);
  ASSERT_TRUE(testing::MoveMouse(grab));
  ASSERT_TRUE(testing::PressLeft(true));
  testing::Pump(50);
  for (int i = 1; i <= steps; ++i) {
    ASSERT_TRUE(testing::MoveMouse({grab.x + (targetX - grab.x) * i / steps, grab.y}));
    testing::Pump(10);
  }
  ASSERT_TRUE(testing::PressLeft(false));
  testing::Pump(100);
  ASSERT_TRUE(testing::MoveMouse({0, 0}));
}

void TypeInto(HWND window, skin::WindowId page, std::string_view field, std::string_view text) {
  ASSERT_TRUE(ClickAt(window, PageControl(page, field))) << "no click on " << field;
  // End, then Shift+Home selects whatever the field held.
  ASSERT_TRUE(testing::TapKey(VK_END));
  ASSERT_TRUE(testing::HoldKey(VK_SHIFT, true));
  ASSERT_TRUE(testing::TapKey(VK_HOME));
  ASSERT_TRUE(testing::HoldKey(VK_SHIFT, false));
  ASSERT_TRUE(testing::TapKey(VK_DELETE));
  ASSERT_TRUE(testing::TypeText(std::wstring(text.begin(), text.end())));
  testing::Pump(100);
}

RECT WindowArea(HWND window) {
  RECT area{};
  ::GetWindowRect(window, &area);
  return area;
}

HWND WaitForMenu(HWND except, DWORD timeoutMs) {
  HWND found = nullptr;
  testing::WaitFor(
      [&] {
        for (HWND w = nullptr; (w = ::FindWindowExW(nullptr, w, L"#32768", nullptr));) {
          if (w != except && ::IsWindowVisible(w)) found = w;
        }
        return found != nullptr;
      },
      timeoutMs);
  return found;
}

POINT MenuEntryCentre(HWND menu, const std::vector<skin::MenuEntry>& entries, int itemWidth,
                      std::string_view text) {
  std::vector<int> heights;
  int total = 0;
  std::optional<std::size_t> wanted;
  for (const skin::MenuEntry& entry : entries) {
    if (entry.Text.Bytes == text) wanted = heights.size();
    heights.push_back(skin::MeasureEntry(skin::KindOf(entry), entry.Text.Bytes.size(),
                                         skin::kMenuDefaultItemHeight, itemWidth)
                          .Height);
    total += heights.back();
  }
  EXPECT_TRUE(wanted) << "no entry " << text;
  const RECT frame = WindowArea(menu);
  int y = frame.top + (frame.bottom - frame.top - total) / 2;
  for (std::size_t i = 0; wanted && i < *wanted; ++i) y += heights[i];
  return {(frame.left + frame.right) / 2, y + (wanted ? heights[*wanted] / 2 : 0)};
}

std::vector<std::uint8_t> MouseButtonGroup(const InstallDir& dir, int s) {
  const std::optional<MouseState> state = ParseMouseState(Mousectl(dir, "state").output);
  if (!state || state->activeSlot < 0 || state->activeSlot >= settings::kProfileCount) return {};
  const std::vector<std::uint8_t>& map = state->buttons[state->activeSlot];
  const std::size_t at = 3 + 3 * static_cast<std::size_t>(s);
  if (map.size() < at + 3) return {};
  return {map[at], map[at + 1], map[at + 2]};
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

std::map<std::string, std::string> RegistryValues(const char* subKey) {
  std::map<std::string, std::string> values;
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
  char name[256];
  BYTE data[1024];
  for (DWORD i = 0;; ++i) {
    DWORD nameSize = sizeof name;
    DWORD dataSize = sizeof data;
    if (::RegEnumValueA(key, i, name, &nameSize, nullptr, nullptr, data, &dataSize) !=
        ERROR_SUCCESS)
      break;
    values[name] = std::string(reinterpret_cast<char*>(data), dataSize);
  }
  ::RegCloseKey(key);
  return values;
}

HWND DialogSaying(const char* text) {
  BoxSearch search{text, nullptr};
  ::EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

HWND WaitForConfigurator(DWORD timeoutMs) {
  HWND window = nullptr;
  const bool shown = testing::WaitFor(
      [&] {
        window = ::FindWindowA(nullptr, platform::kConfiguratorTitle);
        DWORD_PTR answer = 0;
        return window && ::IsWindowVisible(window) &&
               ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer);
      },
      timeoutMs);
  if (!shown) return nullptr;
  ::SetForegroundWindow(window);
  testing::MoveMouse({0, 0});
  return window;
}

void ConfiguratorSuite::SetUp() {
  std::optional<std::string> dist = DistDirectory();
  ASSERT_TRUE(dist) << "KARVO_DIST must name the install directory (make test-win sets it)";
  m_dir = std::make_unique<InstallDir>(*dist);
  ASSERT_TRUE(m_dir->Ok());
  ASSERT_NE(::GetFileAttributesA(m_dir->File(platform::kConfiguratorExe).c_str()),
            INVALID_FILE_ATTRIBUTES)
      << "the install directory has no configurator";
}

void ConfiguratorSuite::TearDown() {
  m_configurator.reset();
  if (m_monitor) {
    m_monitor->PostClose();
    m_monitor->WaitExit(kStartTimeoutMs);
  }
  m_monitor.reset();
  m_dir.reset();
}

void ConfiguratorSuite::StartMonitor() {
  m_monitor = std::make_unique<MonitorProcess>(*m_dir);
  ASSERT_NE(m_monitor->Window(), nullptr);
  const auto running = monitor::BuildHostControlReport(monitor::kHostRunning);
  ASSERT_TRUE(WaitForReport(
      *m_dir,
      [&](const LoggedReport& r) {
        return r.isSet &&
               std::equal(running.begin(), running.end(), r.bytes.begin(), r.bytes.end());
      },
      kStartTimeoutMs));
}

HWND ConfiguratorSuite::StartConfigurator() {
  m_configurator = std::make_unique<testing::ChildProcess>(m_dir->File(platform::kConfiguratorExe),
                                                           std::string{}, m_dir->Path());
  return WaitForConfigurator(kStartTimeoutMs);
}

bool ConfiguratorSuite::WaitUntil(const std::function<bool()>& done) {
  return testing::WaitFor(done, kActionTimeoutMs);
}

}  // namespace karvo::e2e
