#include "tests/skin/noted_window_win.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "platform/gdi_win.h"
#include "skin/skin_images_win.h"
#include "skin/skin_messages.h"
#include "tests/support/pump_win.h"
#include "tests/support/screen_win.h"

namespace karvo::skin::skin_test {

namespace {
bool IsNoted(UINT message) {
  static const UINT change = ::RegisterWindowMessageA(kBitmapEditChangeName);
  static const UINT killFocus = ::RegisterWindowMessageA(kBitmapEditKillFocusName);
  return message == kMsgHoverChanged || message == kMsgSliderPosition ||
         message == kMsgEditKeyReleased || message == change || message == killFocus;
}
}  // namespace

std::vector<NotedWindow::Note> NotedWindow::Take(UINT message) {
  std::vector<Note> taken;
  std::erase_if(Notes, [&](const Note& note) {
    if (note.Message != message) return false;
    taken.push_back(note);
    return true;
  });
  return taken;
}

bool NotedWindow::OnInit() {
  const bool built = SkinnedDialog::OnInit();
  if (!(::GetWindowLongW(m_hwnd, GWL_STYLE) & WS_CHILD)) {
    ::SetWindowPos(m_hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }
  return built;
}

void NotedWindow::OnCommand(int id, int code, HWND control) {
  Notes.push_back({WM_COMMAND, static_cast<WPARAM>(id), code});
  if (id == EndOnId) EndDialog(id);
  SkinnedDialog::OnCommand(id, code, control);
}

bool NotedWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
  if (IsNoted(message)) {
    Notes.push_back({message, wParam, lParam});
    return true;
  }
  if (message == kOpenMenu) {
    platform::UniqueMenu menu(::CreatePopupMenu());
    ::AppendMenuW(menu.Get(), MF_STRING, 7, L"Eintrag");
    MenuResult =
        static_cast<UINT>(::TrackPopupMenu(menu.Get(), TPM_RETURNCMD, 40, 40, 0, m_hwnd, nullptr));
    return true;
  }
  return SkinnedDialog::OnMessage(message, wParam, lParam, result);
}

namespace {
struct ToolSearch {
  HWND Control;
  std::wstring Text;
};
BOOL CALLBACK FindTool(HWND tooltip, LPARAM search) {
  auto& wanted = *reinterpret_cast<ToolSearch*>(search);
  wchar_t kind[32] = {};
  if (!::GetClassNameW(tooltip, kind, 32) || std::wstring(kind) != TOOLTIPS_CLASSW) return TRUE;
  wchar_t text[128] = {};
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.lpszText = text;
  for (int i = 0; ::SendMessageW(tooltip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&tool));
       ++i) {
    RECT client{};
    ::GetClientRect(wanted.Control, &client);
    if (tool.hwnd == wanted.Control && ::EqualRect(&tool.rect, &client)) {
      ::SendMessageW(tooltip, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&tool));
      wanted.Text = text;
      return FALSE;
    }
  }
  return TRUE;
}
}  // namespace

std::wstring TooltipOf(HWND control) {
  ToolSearch search{control, {}};
  ::EnumThreadWindows(::GetCurrentThreadId(), &FindTool, reinterpret_cast<LPARAM>(&search));
  return search.Text;
}

std::size_t IndexOf(const WindowSpec& window, std::string_view name) {
  for (std::size_t i = 0; i < window.Controls.size(); ++i) {
    if (window.Controls[i].Layout.starts_with(std::string(name) + ",")) return i;
  }
  ADD_FAILURE() << "no control " << name;
  return 0;
}

RECT OnScreen(HWND window, RECT rect) {
  ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

POINT Centre(const RECT& rect) {
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

::testing::AssertionResult Shows(HWND window, const RECT& rect, int imageId, const char* name) {
  platform::UniqueBitmap image;
  if (!LoadSkinImage(imageId, image))
    return ::testing::AssertionFailure() << "no image " << imageId;
  const karvo::testing::Pixels expected = karvo::testing::BitmapPixels(image.Get(), rect);
  karvo::testing::Pixels seen;
  karvo::testing::PumpUntil(
      [&] {
        seen = karvo::testing::CaptureScreen(OnScreen(window, rect));
        return karvo::testing::CountDifferences(seen, expected) == 0;
      },
      2000);
  const int differences = karvo::testing::CountDifferences(seen, expected);
  if (!expected.Empty() && differences == 0) return ::testing::AssertionSuccess();
  ::CreateDirectoryA(KARVO_SKIN_TEST_DIR, nullptr);
  const std::string path = std::string(KARVO_SKIN_TEST_DIR) + "/" + name + ".bmp";
  seen.SaveBmp(path);
  return ::testing::AssertionFailure()
         << differences << " pixels differ from image " << imageId << ", the screen is in " << path;
}

}  // namespace karvo::skin::skin_test
