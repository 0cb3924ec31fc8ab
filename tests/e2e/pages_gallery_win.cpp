// pages_gallery.exe DIST OUTDIR: the installed configurator (from a private copy of DIST, slot 1
// current, no monitor) with each of its four right-hand pages shown, the transparency menu open
// and the reset confirmation up, captured from the screen into OUTDIR/configurator_<view>.bmp.
// The real pages with their models, next to the skin gallery's tables; `make gallery` turns
// them into PNG files.
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/suite_names.h"
#include "tests/e2e/configurator_driver_win.h"
#include "tests/e2e/transfer_suite_win.h"
#include "tests/support/child_process_win.h"
#include "tests/support/input_win.h"
#include "tests/support/pump_win.h"
#include "tests/support/screen_win.h"

namespace {

using namespace karvo;
namespace hand = karvo::testing;

constexpr DWORD kTimeoutMs = 60000;

bool Capture(HWND hwnd, const std::string& path) {
  hand::Pump(500);
  RECT rect{};
  ::GetWindowRect(hwnd, &rect);
  if (hand::CaptureScreen(rect).SaveBmp(path)) return true;
  std::fprintf(stderr, "pages_gallery: %s not written\n", path.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: pages_gallery DIST OUTDIR\n");
    return 2;
  }
  std::string dist = argv[1];
  if (!dist.empty() && dist.back() != '\\') dist += '\\';
  const std::string out = argv[2];
  ::CreateDirectoryA(out.c_str(), nullptr);
  e2e::InstallDir dir(dist);
  if (!dir.Ok() || !::WritePrivateProfileStringA("Setting", "CurrentProfile", "0",
                                                 dir.File("config.ini").c_str())) {
    std::fprintf(stderr, "pages_gallery: no install directory from %s\n", dist.c_str());
    return 1;
  }
  karvo::testing::ChildProcess program(dir.File(platform::kConfiguratorExe), {}, dir.Path());
  HWND window = e2e::WaitForConfigurator(kTimeoutMs);
  if (!window) {
    std::fprintf(stderr, "pages_gallery: the configurator did not show\n");
    return 1;
  }
  bool ok = true;
  for (const char* tab : {"Sensitivity", "Advanced", "System", "OSD"}) {
    e2e::Click(window, tab);
    ok = Capture(window, out + "\\configurator_" + tab + ".bmp") && ok;
  }
  // The transparency menu hangs below its button, outside the window: the whole screen.
  const skin::SkinLayout button = e2e::PageControl(skin::WindowId::OsdPage, "Transparency");
  POINT at = e2e::Middle(button);
  ::ClientToScreen(window, &at);
  ok = e2e::ClickScreen(at) && ok;
  hand::Pump(500);
  ok = Capture(::GetDesktopWindow(), out + "\\configurator_transparency_menu.bmp") && ok;
  hand::TapKey(VK_ESCAPE);
  hand::Pump(200);

  e2e::Click(window, "Advanced");
  ok = e2e::ClickAt(window, e2e::PageControl(skin::WindowId::AdvancedPage, "BUTTON_RESET")) && ok;
  HWND confirm = e2e::WaitForOwned(window, kTimeoutMs);
  if (confirm) {
    ok = Capture(confirm, out + "\\configurator_reset_confirmation.bmp") && ok;
    ok = e2e::ClickAt(confirm, skin::ParseLayout("BUTTON_CANCEL,290,130,59,20,")) && ok;
  } else {
    std::fprintf(stderr, "pages_gallery: no confirmation dialog\n");
    ok = false;
  }
  e2e::Click(window, "Cancel");
  program.WaitExit(kTimeoutMs);
  return ok ? 0 : 1;
}
