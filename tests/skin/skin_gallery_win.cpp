// skin_gallery.exe OUTDIR: every skinned window of the layout tables, built by the window
// recipe with sample content, its controls put into each state (normal, hover, selected or
// pressed, disabled) and captured from the screen into OUTDIR/<window>_<state>.bmp, and the
// main window with its first pages in place as main_composed_<state>.bmp, and the button
// catalogue open with its macro submenu as catalogue_open.bmp. For people and reviews to look
// at; `make gallery` turns them into PNG files.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "configurator/configurator_resources.h"
#include "editors/function_catalogue.h"
#include "platform/text_win.h"
#include "platform/window_win.h"
#include "skin/color_edit_win.h"
#include "skin/editable_list_win.h"
#include "skin/image_button_win.h"
#include "skin/menu_frame_win.h"
#include "skin/picture_window_win.h"
#include "skin/profile_name_label_win.h"
#include "skin/skin_slider_win.h"
#include "skin/skinned_dialog_win.h"
#include "skin/skinned_menu_win.h"
#include "skin/window_layouts.h"
#include "tests/support/input_win.h"
#include "tests/support/pump_win.h"
#include "tests/support/screen_win.h"

namespace {

using namespace karvo;
using namespace karvo::skin;

constexpr POINT kCorner{40, 40};
constexpr const char* kStates[] = {"normal", "hover", "selected", "disabled"};

// Pages and panels are children: they are shown on a plain window of their size.
class Host final : public platform::Window {
 public:
  bool Create(SIZE size) {
    return Window::Create(::GetModuleHandleW(nullptr),
                          {.Name = "KarvoGalleryHost",
                           .Background = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH))},
                          "",
                          {.Style = WS_POPUP | WS_VISIBLE,
                           .ExStyle = WS_EX_TOPMOST,
                           .X = kCorner.x,
                           .Y = kCorner.y,
                           .Width = size.cx,
                           .Height = size.cy});
  }
};

// What the windows show before their pages fill them in: names, numbers, functions.
void FillSamples(const SkinnedDialog& window) {
  static const char* const kFunctions[] = {"Linksklick",
                                           "Rechtsklick",
                                           "Mittlere Taste",
                                           "Zur\xFC"
                                           "ck",
                                           "Vorw\xE4rts",
                                           "CPI +",
                                           "Makro: Granate"};
  int label = 0;
  int function = 0;
  for (std::size_t i = 0; i < window.ControlCount(); ++i) {
    const ControlSpec& spec = window.Spec().Controls[i];
    if (ProfileNameLabel* name = window.NameLabel(i)) {
      name->SetBackground(RGB(206, 206, 214));
      name->SetName("Profil " + std::to_string(label + 1), label == 0);
      ++label;
    }
    if (ColorEdit* edit = window.Edit(i)) {
      std::string text = spec.Kind == ControlKind::DigitsEdit     ? "1600"
                         : spec.Kind == ControlKind::PasswordEdit ? "geheim"
                         : spec.Limit > 0 && spec.Limit <= 4      ? "5"
                                                                  : "Beispiel";
      if (spec.Limit > 0 && text.size() > static_cast<std::size_t>(spec.Limit)) {
        text.resize(static_cast<std::size_t>(spec.Limit));
      }
      edit->SetUserText(text);
    }
    if (EditableList* list = window.List(i)) {
      if (window.Spec().Id == WindowId::MacroEditor) {
        // Events: key press, pause, key release, each with its icon.
        list->AddLine("A", IDB_LIST_KEY_PRESS);
        list->AddLine("50 ms", IDB_LIST_PAUSE);
        list->AddLine("A", IDB_LIST_KEY_RELEASE);
        list->AddLine("Linke Maustaste", IDB_LIST_MOUSE_EVENT);
      } else {
        for (const char* name : {"Granate", "Nachladen", "Sprint", "Messer"})
          list->AddLine(name, 0);
      }
      list->Select(1);
    }
    if (SkinSlider* slider = window.Slider(i)) {
      slider->SetPosition((slider->Min() + slider->Max()) / 2);
    }
    ImageButton* button = window.Button(i);
    if (button && spec.Kind == ControlKind::ButtonLabel) {
      button->SetCaption(platform::WideFromSuiteText(kFunctions[function++ % 7]));
    } else if (button && spec.Kind == ControlKind::TextButton) {
      button->SetCaption(L"80 %");
    }
  }
}

void SetState(const SkinnedDialog& window, int state) {
  bool firstPicture = true;
  for (std::size_t i = 0; i < window.ControlCount(); ++i) {
    if (ImageButton* button = window.Button(i)) {
      button->SetHover(state == 1);
      button->SetSelected(state == 2);
      // The record button shows its recording look while pressed.
      button->ShowSecondLook(state == 2 && window.Spec().Controls[i].Bitmaps != 0 &&
                             window.Spec().Controls[i].Kind == ControlKind::Push);
      ::EnableWindow(button->Hwnd(), state != 3);
    }
    if (ColorEdit* edit = window.Edit(i)) ::EnableWindow(edit->Hwnd(), state != 3);
    if (SkinSlider* slider = window.Slider(i)) slider->Enable(state != 3);
    if (EditableList* list = window.List(i)) ::EnableWindow(list->Hwnd(), state != 3);
    // The button pages show a picture while the pointer is over a button's label.
    if (PictureWindow* picture = window.Picture(i)) {
      picture->Show(state == 1 && firstPicture);
      firstPicture = false;
    }
  }
}

bool Capture(HWND hwnd, const std::string& path) {
  testing::Pump(300);
  RECT rect{};
  ::GetWindowRect(hwnd, &rect);
  const testing::Pixels pixels = testing::CaptureScreen(rect);
  if (pixels.SaveBmp(path)) return true;
  std::fprintf(stderr, "skin_gallery: %s not written\n", path.c_str());
  return false;
}

bool IsPage(const WindowSpec& spec) { return spec.Shape == WindowShape::Rectangular; }

bool RenderWindow(const WindowSpec& spec, const std::string& out) {
  Host host;
  SkinnedDialog window(spec);
  HWND parent = nullptr;
  if (IsPage(spec)) {
    if (!host.Create({spec.Width, spec.Height})) return false;
    parent = host.Hwnd();
  }
  if (!window.CreateModeless(parent, spec.Template)) return false;
  if (!parent) {
    ::SetWindowPos(window.Hwnd(), HWND_TOPMOST, kCorner.x, kCorner.y, 0, 0, SWP_NOSIZE);
  }
  ::ShowWindow(window.Hwnd(), SW_SHOWNA);
  FillSamples(window);
  bool ok = true;
  for (int state = 0; state < 4; ++state) {
    SetState(window, state);
    const std::string path = out + "/" + std::string(spec.Name) + "_" + kStates[state] + ".bmp";
    ok = Capture(parent ? parent : window.Hwnd(), path) && ok;
  }
  return ok;
}

// The main window with the pages it shows at start in their places.
bool RenderComposedMain(const std::string& out) {
  const WindowSpec& mainSpec = FindWindowSpec(WindowId::Main);
  SkinnedDialog main(mainSpec);
  if (!main.CreateModeless(nullptr, mainSpec.Template)) return false;
  ::SetWindowPos(main.Hwnd(), HWND_TOPMOST, kCorner.x, kCorner.y, 0, 0, SWP_NOSIZE);
  ::ShowWindow(main.Hwnd(), SW_SHOWNA);
  std::vector<std::unique_ptr<SkinnedDialog>> pages;
  for (std::size_t i = 0; i < main.ControlCount(); ++i) {
    const ControlSpec& spec = mainSpec.Controls[i];
    if (spec.Kind != ControlKind::PageRect) continue;
    const WindowSpec& pageSpec =
        FindWindowSpec(spec.Value == 0 ? WindowId::SensitivityPage : WindowId::ButtonPageMode1);
    auto page = std::make_unique<SkinnedDialog>(pageSpec);
    if (!page->CreateModeless(main.Hwnd(), pageSpec.Template)) return false;
    const RECT rect = main.ControlRect(i);
    ::SetWindowPos(page->Hwnd(), nullptr, rect.left, rect.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    FillSamples(*page);
    pages.push_back(std::move(page));
  }
  FillSamples(main);
  bool ok = true;
  for (int state = 0; state < 4; ++state) {
    SetState(main, state);
    for (const auto& page : pages) SetState(*page, state);
    ok = Capture(main.Hwnd(), out + "/main_composed_" + kStates[state] + ".bmp") && ok;
  }
  return ok;
}

// The catalogue is open only inside its own message loop: a timer there opens the macro
// submenu with the keys a user would press, then captures both menus and closes them.
struct CatalogueShot {
  std::string Path;
  int Step = 0;
  bool Saved = false;
};
CatalogueShot* g_catalogueShot = nullptr;

void CALLBACK CatalogueStep(HWND, UINT, UINT_PTR, DWORD) {
  CatalogueShot& shot = *g_catalogueShot;
  if (shot.Step++ == 0) {
    testing::TapKey(VK_DOWN);
    testing::TapKey(VK_RIGHT);
    return;
  }
  RECT area{};
  for (HWND menu = nullptr; (menu = ::FindWindowExW(nullptr, menu, L"#32768", nullptr));) {
    RECT r{};
    if (::IsWindowVisible(menu) && ::GetWindowRect(menu, &r)) ::UnionRect(&area, &area, &r);
  }
  shot.Saved = !::IsRectEmpty(&area) && testing::CaptureScreen(area).SaveBmp(shot.Path);
  ::EndMenu();
}

bool RenderCatalogue(const std::string& out) {
  MenuFrameHook frame;
  Host host;
  if (!host.Create({200, 40})) return false;
  ::SetForegroundWindow(host.Hwnd());
  editors::MacroList macros;
  // Listed trimmed; the button's macro is highlighted, its name matched in any case.
  for (const char* name : {"Granate", "Nachladen", "  Sprint"}) {
    macros.push_back(editors::NewMacro(name));
  }
  settings::MacroKeyInfo current{};
  current.FunctionCode = editors::kCodeMacro;
  settings::SetFieldText(current.Name, "nachladen");
  SkinnedMenu menu(editors::BuildCatalogue(editors::ButtonPageMode::kMode1, 3, current, macros),
                   &kMenuFont);
  CatalogueShot shot{out + "/catalogue_open.bmp"};
  g_catalogueShot = &shot;
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 500, &CatalogueStep);
  menu.Track(host.Hwnd(), {kCorner.x + 1, kCorner.y + 40});
  ::KillTimer(nullptr, timer);
  g_catalogueShot = nullptr;
  if (!shot.Saved) std::fprintf(stderr, "skin_gallery: catalogue not captured\n");
  return shot.Saved;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: skin_gallery OUTDIR\n");
    return 2;
  }
  const std::string out = argv[1];
  ::CreateDirectoryA(out.c_str(), nullptr);
  bool ok = true;
  for (const WindowSpec& spec : kWindows) {
    if (!RenderWindow(spec, out)) {
      std::fprintf(stderr, "skin_gallery: %s not rendered\n", std::string(spec.Name).c_str());
      ok = false;
    }
  }
  ok = RenderComposedMain(out) && ok;
  ok = RenderCatalogue(out) && ok;
  return ok ? 0 : 1;
}
