#pragma once
// The installed configurator seen and used from outside, as a user would: its main window's
// controls found by their layout names, clicked with real input, their looks read off the
// screen against the program's own images; and the files and registry values it may touch.
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "skin/menu_model.h"
#include "skin/skin_layout.h"
#include "skin/window_layouts.h"
#include "tests/e2e/transfer_suite_win.h"
#include "tests/e2e/window_driver_win.h"
#include "tests/support/child_process_win.h"

namespace karvo::e2e {

// A control of the main window's table by its layout name ("Apply", "Profile 3 name").
skin::SkinLayout MainControl(std::string_view name);
// A control of a page's table, placed in the main window's client coordinates (the button
// pages stand in the left page place, the others in the right one).
skin::SkinLayout PageControl(skin::WindowId page, std::string_view name);
// "Profile 1" .. "Profile 5" for slot 0..4.
std::string SlotName(int slot);

// Which of the main window's state images a control shows: the one its pixels on screen
// differ least from, decoded from the installed program itself.
enum class Shown { kNormal, kHover, kSelected, kUnknown };
Shown StateShown(HWND window, const skin::SkinLayout& layout);
bool Selected(HWND window, std::string_view name);
// The one slot button shown selected; -1 for none, -2 for more than one.
int HighlightedSlot(HWND window);
// What a profile name label shows (its window text).
std::string LabelText(HWND window, int slot);
// A real click in the middle of a control of the main window (ClickAt); a failure of the
// running test when it could not be done.
void Click(HWND window, std::string_view name);

// The thumb of a page's slider dragged with real input in `steps` moves to where `value`
// stands, and let go there.
void DragThumb(HWND window, skin::WindowId page, std::string_view slider, int value, int steps);
// The value whose place the thumb of a page's slider stands at; -1 when it stands elsewhere.
int SliderValueShown(HWND window, skin::WindowId page, std::string_view slider);
// Typed into a page's edit field after a click into it: its text selected and replaced.
void TypeInto(HWND window, skin::WindowId page, std::string_view field, std::string_view text);

// The configurator's main window once shown and answering, the pointer moved off it;
// nullptr when it did not come within timeoutMs.
HWND WaitForConfigurator(DWORD timeoutMs);

RECT WindowArea(HWND window);
// A visible popup menu window other than `except`; nullptr when none came within timeoutMs.
HWND WaitForMenu(HWND except, DWORD timeoutMs);
// The middle of the entry with text of an open skinned menu showing entries.
POINT MenuEntryCentre(HWND menu, const std::vector<skin::MenuEntry>& entries, int itemWidth,
                      std::string_view text);
// The three bytes of hardware slot s in the virtual mouse's button map of its active slot;
// empty when they cannot be read.
std::vector<std::uint8_t> MouseButtonGroup(const InstallDir& dir, int s);

std::string FileBytes(const std::string& path);
// Every value of a key under HKEY_CURRENT_USER, name to data.
std::map<std::string, std::string> RegistryValues(const char* subKey);
// A top-level dialog (a message box, say) showing text in a static control.
HWND DialogSaying(const char* text);

// The fixture of the configurator's end-to-end tests: a private install directory, the monitor
// and the configurator started in it on request, both ended after the test.
class ConfiguratorSuite : public ::testing::Test {
 protected:
  static constexpr DWORD kStartTimeoutMs = 60000;  // bounds against hangs, never measured
  static constexpr DWORD kActionTimeoutMs = 30000;

  void SetUp() override;
  void TearDown() override;
  // The monitor, ready once its read-back has ended with the host-control report.
  void StartMonitor();
  // The configurator's main window once shown, or nullptr.
  HWND StartConfigurator();
  bool WaitUntil(const std::function<bool()>& done);

  std::unique_ptr<InstallDir> m_dir;
  std::unique_ptr<MonitorProcess> m_monitor;
  std::unique_ptr<testing::ChildProcess> m_configurator;
};

}  // namespace karvo::e2e
