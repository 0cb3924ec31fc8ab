#include "tests/e2e/configurator_driver_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "configurator/configurator_resources.h"
#include "platform/handles.h"
#include "platform/suite_names.h"
#include "settings/settings_image.h"
#include "skin/skin_images_win.h"
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

struct OwnedSearch {
  HWND Owner;
  HWND Found;
};

BOOL CALLBACK FindOwned(HWND w, LPARAM param) {
  auto* search = reinterpret_cast<OwnedSearch*>(param);
  char name[16] = {};
  ::GetClassNameA(w, name, sizeof name);
  if (std::strcmp(name, "#32770") == 0 && ::IsWindowVisible(w) &&
      ::GetWindow(w, GW_OWNER) == search->Owner) {
    search->Found = w;
  }
  return search->Found ? FALSE : TRUE;
}

}  // namespace

skin::SkinLayout MainControl(std::string_view name) {
  for (const skin::ControlSpec& control : skin::kMainWindowControls) {
    const skin::SkinLayout layout = skin::ParseLayout(control.Layout);
    if (name == layout.Name) return layout;
  }
  ADD_FAILURE() << "no control " << name;
  return {};
}

skin::SkinLayout PageControl(skin::WindowId page, std::string_view name) {
  const skin::WindowSpec& spec = skin::FindWindowSpec(page);
  const bool left =
      page == skin::WindowId::ButtonPageMode1 || page == skin::WindowId::ButtonPageMode2;
  const std::size_t row = skin::RowNamed(spec.Controls, name);
  if (row >= spec.Controls.size()) {
    ADD_FAILURE() << "no control " << name;
    return {};
  }
  skin::SkinLayout place{};
  for (const skin::ControlSpec& control : skin::kMainWindowControls) {
    if (control.Kind == skin::ControlKind::PageRect && (control.Value == 1) == left) {
      place = skin::ParseLayout(control.Layout);
    }
  }
  skin::SkinLayout layout = skin::ParseLayout(spec.Controls[row].Layout);
  layout.Left += place.Left;
  layout.Right += place.Left;
  layout.Top += place.Top;
  layout.Bottom += place.Top;
  return layout;
}

std::string SlotName(int slot) { return "Profile " + std::to_string(slot + 1); }

HWND ChildAt(HWND window, const skin::SkinLayout& layout) {
  const POINT middle{(layout.Left + layout.Right) / 2, (layout.Top + layout.Bottom) / 2};
  return ::ChildWindowFromPointEx(window, middle, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
}

HWND PageChildAt(HWND window, const skin::SkinLayout& layout) {
  HWND page = ChildAt(window, layout);
  if (!page || page == window) return nullptr;
  RECT pageRect{};
  ::GetWindowRect(page, &pageRect);
  POINT middle{(layout.Left + layout.Right) / 2, (layout.Top + layout.Bottom) / 2};
  ::ClientToScreen(window, &middle);
  const POINT inPage{middle.x - pageRect.left, middle.y - pageRect.top};
  return ::ChildWindowFromPointEx(page, inPage, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
}

std::string TextOf(HWND window) {
  char text[1024] = {};
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, 5000, &copied)) {
    return {};
  }
  return std::string(text, std::min<std::size_t>(copied, sizeof text - 1));
}

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
  char text[256] = {};
  ::GetWindowTextA(ChildAt(window, MainControl(SlotName(slot) + " name")), text, sizeof text);
  return text;
}

void Click(HWND window, std::string_view name) { ClickAt(window, MainControl(name)); }

void ClickAt(HWND window, const skin::SkinLayout& layout) {
  POINT point{(layout.Left + layout.Right) / 2, (layout.Top + layout.Bottom) / 2};
  ASSERT_TRUE(::ClientToScreen(window, &point));
  ASSERT_TRUE(testing::MoveMouse(point));
  ASSERT_TRUE(testing::PressLeft(true));
  ASSERT_TRUE(testing::PressLeft(false));
  testing::Pump(100);
  ASSERT_TRUE(testing::MoveMouse({0, 0}));
}

skin::SkinLayout WindowControl(skin::WindowId window, std::string_view name) {
  const skin::WindowSpec& spec = skin::FindWindowSpec(window);
  const std::size_t row = skin::RowNamed(spec.Controls, name);
  if (row < spec.Controls.size()) return skin::ParseLayout(spec.Controls[row].Layout);
  ADD_FAILURE() << "no control " << name;
  return {};
}

RECT WindowArea(HWND window) {
  RECT area{};
  ::GetWindowRect(window, &area);
  return area;
}

void ClickScreen(POINT at) {
  ASSERT_TRUE(testing::MoveMouse(at));
  ASSERT_TRUE(testing::PressLeft(true));
  ASSERT_TRUE(testing::PressLeft(false));
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

// A menu window holds its items one under the other, sized as the skinned menu measures them,
// between equal margins; the menu's own handle is of no use outside its process.
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

HWND WaitForOwnedDialog(HWND owner, DWORD timeoutMs) {
  OwnedSearch search{owner, nullptr};
  testing::WaitFor(
      [&] {
        ::EnumWindows(&FindOwned, reinterpret_cast<LPARAM>(&search));
        return search.Found != nullptr;
      },
      timeoutMs);
  return search.Found;
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

}  // namespace karvo::e2e
