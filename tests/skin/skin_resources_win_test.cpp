// The generated resource list compiles with the configurator's resource header, and
// every image the layout tables and the header name is in the program's resources:
// the image sets and pictures as JPEG files of type "BINARY", the bitmaps at the
// sizes the controls expect, the icons.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "configurator/configurator_resources.h"
#include "platform/handles.h"
#include "skin/skin_layout.h"
#include "skin/window_layouts.h"

namespace karvo::skin {
namespace {

bool IsJpegResource(int id) {
  HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(id), L"BINARY");
  if (found == nullptr) return false;
  const DWORD size = ::SizeofResource(nullptr, found);
  HGLOBAL loaded = ::LoadResource(nullptr, found);
  const auto* bytes = static_cast<const unsigned char*>(::LockResource(loaded));
  return bytes != nullptr && size > 4 && bytes[0] == 0xFF && bytes[1] == 0xD8;
}

SIZE BitmapSize(int id) {
  platform::UniqueGdiObject bitmap(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                                IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  BITMAP info{};
  if (!bitmap || ::GetObjectW(bitmap.Get(), sizeof info, &info) != sizeof info) return {0, 0};
  return {info.bmWidth, info.bmHeight};
}

TEST(ConfiguratorResources, EveryImageSetAndPictureIsAJpeg) {
  for (const WindowSpec& window : kWindows) {
    const ImageSet& set = window.Images;
    for (int id : {set.Disabled, set.Selected, set.Region, set.Normal, set.Hover}) {
      EXPECT_TRUE(IsJpegResource(id)) << window.Name << " " << id;
    }
    for (const ControlSpec& control : window.Controls) {
      if (control.Kind == ControlKind::Picture) {
        EXPECT_TRUE(IsJpegResource(control.Value)) << window.Name << " " << control.Value;
      }
    }
  }
}

TEST(ConfiguratorResources, BitmapsHaveTheSizesTheControlsUse) {
  struct Expected {
    int id;
    LONG width, height;
  };
  std::vector<Expected> expected;
  for (const ThumbSpec& thumb : kThumbs)
    expected.push_back({thumb.Bitmap, thumb.Width, thumb.Height});
  for (int id = IDB_CHECK_NORMAL; id <= IDB_CHECK_SELECTED_DISABLED; ++id) {
    expected.push_back({id, kCheckImageSize, kCheckImageSize});
  }
  for (int id = IDB_LIST_PAUSE; id <= IDB_LIST_KEY_RELEASE; ++id) {
    expected.push_back({id, kListIconSize, kListIconSize});
  }
  for (int id = IDB_BROWSE_NORMAL; id <= IDB_BROWSE_DISABLED; ++id) {
    expected.push_back({id, kBrowseWidth, kBrowseHeight});
  }
  // The record button's recording look replaces its normal one, so it has its size.
  const SkinLayout record = ParseLayout(kMacroEditorControls[0].Layout);
  for (int id = IDB_RECORDING_NORMAL; id <= IDB_RECORDING_DISABLED; ++id) {
    expected.push_back({id, record.Right - record.Left, record.Bottom - record.Top});
  }
  for (const Expected& e : expected) {
    const SIZE size = BitmapSize(e.id);
    EXPECT_EQ(size.cx, e.width) << e.id;
    EXPECT_EQ(size.cy, e.height) << e.id;
  }
}

TEST(ConfiguratorResources, IconsLoadAtMenuAndWindowSizes) {
  for (int id : {IDI_CONFIGURATOR, IDI_SUBMENU_ARROW}) {
    for (int size : {16, 32}) {
      HANDLE icon = ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON,
                                 size, size, LR_SHARED);
      EXPECT_NE(icon, nullptr) << id << " at " << size;
    }
  }
}

}  // namespace
}  // namespace karvo::skin
