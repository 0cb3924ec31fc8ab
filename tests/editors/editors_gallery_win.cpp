// editors_gallery.exe OUTDIR: the macro manager as the configurator runs it, over a library
// with recorded macros, captured from the screen into OUTDIR: macro_manager_recorded.bmp
// (opened on the first macro), macro_manager_context_menu.bmp (the event list's menu with the
// mouse-event submenus open) and macro_manager_recording.bmp (recording after the selected
// event). For people and reviews to look at; `make gallery` turns them into PNG files.
#include <windows.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "configurator/configurator_resources.h"
#include "editors/macro_manager_dialog_win.h"
#include "settings/key_codes_win.h"
#include "settings/memory_file_store.h"
#include "skin/editable_list_model.h"
#include "skin/menu_frame_win.h"
#include "tests/support/pump_win.h"
#include "tests/support/screen_win.h"

namespace {

using namespace karvo;

constexpr POINT kCorner{40, 40};
constexpr SIZE kShot{720, 470};     // the manager and a menu opened inside it
constexpr POINT kMenuAt{200, 200};  // inside the event list, in the manager
constexpr DWORD kWaitMs = 10000;

std::unique_ptr<editors::MacroRecord> Macro(const char* name, int repeat,
                                            const std::vector<editors::MacroEvent>& events) {
  auto macro = editors::NewMacro(name);
  macro->RepeatCount = repeat;
  macro->EventCount = static_cast<int>(events.size());
  for (std::size_t i = 0; i < events.size(); ++i) macro->Events[i] = events[i];
  return macro;
}

bool Save(const std::string& path) {
  const testing::Pixels pixels =
      testing::CaptureScreen({kCorner.x, kCorner.y, kCorner.x + kShot.cx, kCorner.y + kShot.cy});
  if (pixels.SaveBmp(path)) return true;
  std::fprintf(stderr, "editors_gallery: %s not written\n", path.c_str());
  return false;
}

HWND VisibleMenu() {
  HWND menu = ::FindWindowA("#32768", nullptr);
  return menu && ::IsWindowVisible(menu) ? menu : nullptr;
}

// Opens the event list's menu (as a right click does), walks it with the keys given, and either
// captures it before closing it or lets the last key choose.
bool RunMenu(HWND panel, const std::vector<WPARAM>& keys, const std::string& capture) {
  bool ok = false;
  std::thread hand([&] {
    if (!testing::WaitFor([] { return VisibleMenu() != nullptr; }, kWaitMs)) return;
    for (WPARAM key : keys) {
      // A menu just shown is not yet reading its keys.
      ::Sleep(300);
      ::PostMessageA(VisibleMenu(), WM_KEYDOWN, key, 0);
    }
    ::Sleep(300);
    ok = capture.empty() || Save(capture);
    if (!capture.empty()) ::PostMessageA(panel, WM_CANCELMODE, 0, 0);
  });
  // The menu opens where the pointer is: on the event list.
  ::SetCursorPos(kCorner.x + kMenuAt.x, kCorner.y + kMenuAt.y);
  ::PostMessageA(panel, skin::kMsgListRightButton, 0, 0);
  testing::PumpUntil([&] { return false; }, 4000);
  hand.join();
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: editors_gallery OUTDIR\n");
    return 2;
  }
  const std::string out = argv[1];
  ::CreateDirectoryA(out.c_str(), nullptr);
  skin::MenuFrameHook frame;

  settings::MemoryFileStore files;
  editors::MacroStore store(files, "sequence.dat");
  using editors::kEventPress;
  using editors::kEventRelease;
  // Shift+R, a pause, a left click and A: as recorded with pauses on, then edited.
  store.List().push_back(Macro("Granate", 3,
                               {{0xE1, kEventPress, 85},
                                {0x15, kEventPress, 120},
                                {0x15, kEventRelease, 40},
                                {0xE1, kEventRelease, 450},
                                {0xF0, kEventPress, 0},
                                {0xF0, kEventRelease, 0},
                                {0x04, kEventPress, 95},
                                {0x04, kEventRelease, 0}}));
  store.List().push_back(
      Macro("Nachladen", 0, {{0x15, kEventPress, 60}, {0x15, kEventRelease, 0}}));
  store.List().push_back(Macro("Sprint", 1, {}));

  const settings::WinKeyboardLayout layout{};
  editors::MacroManagerDialog manager(store, layout);
  if (!manager.CreateModeless(nullptr, IDD_MACRO_MANAGER)) {
    std::fprintf(stderr, "editors_gallery: the macro manager was not made\n");
    return 1;
  }
  ::SetWindowPos(manager.Hwnd(), HWND_TOPMOST, kCorner.x, kCorner.y, 0, 0, SWP_NOSIZE);
  ::ShowWindow(manager.Hwnd(), SW_SHOWNA);
  testing::Pump(500);
  bool ok = Save(out + "/macro_manager_recorded.bmp");

  HWND panel = ::FindWindowExA(manager.Hwnd(), nullptr, "#32770", nullptr);
  // Down to "Mausereignis einfuegen", then into it and into "Links".
  ok = RunMenu(panel, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_RIGHT},
               out + "/macro_manager_context_menu.bmp") &&
       ok;
  // "Aufzeichnung starten nach" the selected event.
  ok = RunMenu(panel, {VK_DOWN, VK_DOWN, VK_RETURN}, {}) && ok;
  testing::Pump(500);
  ok = Save(out + "/macro_manager_recording.bmp") && ok;
  return ok ? 0 : 1;
}
