#include "configurator/main_window_win.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "configurator/configurator_resources.h"
#include "editors/macro_manager_dialog_win.h"
#include "platform/debug_log.h"
#include "platform/suite_names.h"
#include "platform/text_win.h"
#include "skin/image_button_win.h"
#include "skin/profile_name_label_win.h"
#include "skin/skin_fonts_win.h"
#include "skin/skin_layout.h"

namespace karvo::configurator {
namespace {

using platform::DebugLog;
using platform::DebugLogLastError;

constexpr UINT_PTR kMenuFrameTimer = 1;
constexpr int kVersionX = 670;
constexpr int kVersionY = 32;
constexpr COLORREF kVersionColour = RGB(255, 255, 255);
constexpr COLORREF kNameLabelBackground = RGB(206, 206, 214);

std::string_view NameOf(const skin::ControlSpec& spec) {
  return spec.Layout.substr(0, spec.Layout.find(','));
}

HICON LoadProgramIcon(int size) {
  auto icon = static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr),
                                              MAKEINTRESOURCEW(IDI_CONFIGURATOR), IMAGE_ICON, size,
                                              size, LR_SHARED));
  if (!icon) DebugLogLastError("LoadImageW(icon 128)");
  return icon;
}

// A profile name as the record holds it: within its field, in the ANSI code page.
std::string_view ProfileName(const settings::ProfileSettings& profile) {
  const char* name = profile.ProFileName;
  return std::string_view(name, strnlen(name, sizeof profile.ProFileName));
}

}  // namespace

void MacroStoreHook::MergeProfilesAndSave(const settings::SettingsImage& block) {
  if (!m_store.MergeAndSave(block))
    DebugLog("macro library not saved: %s\r\n", m_store.Path().c_str());
}

void MacroStoreHook::Save() {
  if (!m_store.Save()) DebugLog("macro library not saved: %s\r\n", m_store.Path().c_str());
}

MainWindow::MainWindow(std::string programDir)
    : SkinnedDialog(skin::FindWindowSpec(skin::WindowId::Main)),
      m_programDir(std::move(programDir)),
      m_files(m_fileStore, m_registry, m_programDir),
      m_macros(m_fileStore, editors::MacroStorePath(m_programDir)),
      m_macroHook(m_macros),
      m_session({m_files, m_registry, m_macroHook}),
      m_profileCommands(m_fileStore, m_registry, m_programDir, m_session.WorkingBlock()),
      m_sensitivityPage(m_session.WorkingBlock()),
      m_advancedPage(m_session.WorkingBlock(), [this] { RestoreDefaults(); }),
      m_systemPage(m_session.WorkingBlock()),
      m_osdPage(m_session.NoticeSettings()),
      m_firstButtonPage(editors::ButtonMode::kFirst, m_session.WorkingBlock(), m_macros),
      m_secondButtonPage(editors::ButtonMode::kSecond, m_session.WorkingBlock(), m_macros) {
  // The images of the window and of the two pages it shows first are decoded on a second
  // thread while the window is made and builds its controls: decoding them one after the other
  // took a third of the start. The window asks for them in this order.
  std::vector<int> images = skin::ImagesDecodedAtOpen(Spec());
  for (const skin::ConfiguratorPage* page : {&PageOf(m_currentRight), &PageOf(m_currentLeft)}) {
    const std::vector<int> pageImages = skin::ImagesDecodedAtOpen(page->Spec());
    images.insert(images.end(), pageImages.begin(), pageImages.end());
  }
  m_prefetch.emplace(std::move(images));
}

MainWindow::~MainWindow() = default;

INT_PTR MainWindow::Run() { return RunModal(nullptr, IDD_MAIN_WINDOW); }

bool MainWindow::OnInit() {
  // Without a caption the system-menu style is what gives the task-bar button its menu.
  const LONG style = ::GetWindowLongW(m_hwnd, GWL_STYLE);
  ::SetLastError(0);
  if (!::SetWindowLongW(m_hwnd, GWL_STYLE, style | WS_SYSMENU | WS_MINIMIZEBOX) &&
      ::GetLastError() != 0) {
    DebugLogLastError("SetWindowLongW(main window style)");
  }
  if (!SkinnedDialog::OnInit()) return false;
  SortControls();
  m_versionFont = skin::ArialFont(14, 6);
  m_icon = LoadProgramIcon(::GetSystemMetrics(SM_CXICON));
  m_smallIcon = LoadProgramIcon(::GetSystemMetrics(SM_CXSMICON));
  ::SendMessageW(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
  ::SendMessageW(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon));
  if (!::SetWindowTextW(m_hwnd,
                        platform::WideFromSuiteText(platform::kConfiguratorTitle).c_str())) {
    DebugLogLastError("SetWindowTextW(main window)");
  }
  // The copy is loaded before any page is built: each page's first refresh shows it, and none
  // is drawn from the empty image first.
  StartSession();
  if (!BuildPages()) return false;
  m_prefetch.reset();
  // The dialog manager would give the focus to the first value field and show its text
  // selected; the window keeps the focus itself until the user clicks into a control.
  return false;
}

void MainWindow::SortControls() {
  for (std::size_t index = 0; index < ControlCount(); ++index) {
    const skin::ControlSpec& spec = Spec().Controls[index];
    Control control{index, &spec, Role::kNone};
    const std::string_view name = NameOf(spec);
    switch (spec.Kind) {
      case skin::ControlKind::Tab:
        control.Role = Role::kTab;
        break;
      case skin::ControlKind::Slot:
        control.Role = Role::kSlot;
        break;
      case skin::ControlKind::Mode:
        control.Role = Role::kMode;
        break;
      case skin::ControlKind::Push: {
        static constexpr std::pair<std::string_view, Role> kPushRoles[] = {
            {"Min", Role::kMin}, {"Exit", Role::kExit},     {"Apply", Role::kApply},
            {"OK", Role::kOk},   {"Cancel", Role::kCancel}, {"Macro Manager", Role::kMacroManager}};
        control.Role = Role::kProfileCommand;
        for (const auto& [pushName, role] : kPushRoles) {
          if (name == pushName) control.Role = role;
        }
        break;
      }
      case skin::ControlKind::NameLabel:
        if (skin::ProfileNameLabel* label = NameLabel(index))
          label->SetBackground(kNameLabelBackground);
        break;
      default:
        break;
    }
    m_controls.push_back(control);
  }
}

bool MainWindow::BuildPages() {
  for (const Control& control : m_controls) {
    if (control.Spec->Kind != skin::ControlKind::PageRect) continue;
    (control.Spec->Value == 0 ? m_rightPlace : m_leftPlace) = ControlRect(control.Index);
  }
  if (!EnsurePage(PageOf(m_currentRight), m_rightPlace) ||
      !EnsurePage(PageOf(m_currentLeft), m_leftPlace)) {
    return false;
  }
  PageOf(m_currentRight).Show(true);
  PageOf(m_currentLeft).Show(true);
  for (const Control* tab : ControlsOf(Role::kTab)) {
    SetSelected(*tab, tab->Spec->Value == PageOf(m_currentRight).Spec().Template);
  }
  for (const Control* mode : ControlsOf(Role::kMode)) {
    SetSelected(*mode, mode->Spec->Value == PageOf(m_currentLeft).Spec().Template);
  }
  return true;
}

bool MainWindow::EnsurePage(skin::ConfiguratorPage& page, const RECT& place) {
  if (page.Hwnd()) return true;
  if (!page.CreateAt(m_hwnd, place)) {
    DebugLog("page %d not created\r\n", page.Spec().Template);
    return false;
  }
  page.Refresh();
  return true;
}

void MainWindow::OnFirstPaint() {
  if (m_menuFrameTimerSet || m_menuFrame) return;
  // Timer messages come after all painting, the controls' too. Set while the window was built,
  // the timer came before the window showed, and every message of the first paint passed
  // through the hook (under Wine a call to the server each).
  if (!::SetTimer(m_hwnd, kMenuFrameTimer, USER_TIMER_MINIMUM, nullptr)) {
    DebugLogLastError("SetTimer(menu frame)");
    InstallMenuFrame();
    return;
  }
  m_menuFrameTimerSet = true;
}

void MainWindow::InstallMenuFrame() {
  if (m_menuFrameTimerSet && !::KillTimer(m_hwnd, kMenuFrameTimer)) {
    DebugLogLastError("KillTimer(menu frame)");
  }
  m_menuFrameTimerSet = false;
  if (m_menuFrame) return;
  m_menuFrame.emplace();
  if (!m_menuFrame->Installed()) DebugLog("popup-menu frame hook not installed\r\n");
}

void MainWindow::StartSession() {
  // Both missing means the monitor is not running: the files are read instead, silently.
  (void)m_block.OpenBlockMutex();
  ISharedBlock* block = nullptr;
  switch (m_block.OpenView()) {
    case SharedBlockOpen::kOpened:
      block = &m_block;
      break;
    case SharedBlockOpen::kNoMapping:
      break;
    case SharedBlockOpen::kViewFailed: {
      const std::wstring text = platform::WideFromSuiteText(platform::kMapViewFailedText);
      if (::MessageBoxW(m_hwnd, text.c_str(), nullptr, MB_OK) == 0) {
        DebugLogLastError("MessageBoxW(map view)");
      }
      break;
    }
  }
  m_macros.Load();
  m_session.StartUp(block);
  RefreshAll();
}

void MainWindow::OnCommand(int id, int code, HWND control) {
  if (id == IDOK || id == IDCANCEL) {
    Dialog::OnCommand(id, code, control);
    return;
  }
  const Control* clicked = ControlById(id);
  if (!clicked || (code != BN_CLICKED && code != BN_DOUBLECLICKED)) return;
  switch (clicked->Role) {
    case Role::kTab:
      for (RightPage page :
           {RightPage::kSensitivity, RightPage::kAdvanced, RightPage::kSystem, RightPage::kOsd}) {
        if (PageOf(page).Spec().Template == clicked->Spec->Value) ShowRightPage(page);
      }
      break;
    case Role::kMode:
      ShowLeftPage(clicked->Spec->Value == IDD_BUTTON_PAGE_MODE1 ? LeftPage::kFirstButtons
                                                                 : LeftPage::kSecondButtons);
      break;
    case Role::kSlot:
      SelectSlot(clicked->Spec->Value);
      break;
    case Role::kMin:
      ::ShowWindow(m_hwnd, SW_MINIMIZE);
      break;
    case Role::kExit:
    case Role::kCancel:
      // Nothing is written or sent: the edits of the working copy are dropped.
      if (!::PostMessageW(m_hwnd, WM_CLOSE, 0, 0)) DebugLogLastError("PostMessageW(WM_CLOSE)");
      break;
    case Role::kApply:
      ApplyChanges(false);
      break;
    case Role::kOk:
      ApplyChanges(true);
      break;
    case Role::kProfileCommand:
      switch (m_profileCommands.Run(NameOf(*clicked->Spec), m_hwnd)) {
        case ProfileCommandRedraw::kNames:
          RefreshNames();
          break;
        case ProfileCommandRedraw::kAll:
          RefreshAll();
          break;
        case ProfileCommandRedraw::kNothing:
          break;
      }
      break;
    case Role::kMacroManager:
      // The manager saves or reloads the library itself; there is nothing to do after it.
      (void)editors::RunMacroManager(m_hwnd, m_macros);
      break;
    case Role::kNone:
      break;
  }
}

bool MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& directResult) {
  switch (message) {
    case WM_TIMER:
      if (wParam != kMenuFrameTimer) break;
      InstallMenuFrame();
      return true;
    case WM_CLOSE:
      EndDialog(IDOK);
      return true;
    case WM_SETFOCUS:
      // Handled here, so the dialog manager does not pass the focus on to the first value field
      // with its text selected (at every activation after Apply disabled the focused button).
      return true;
    case WM_DESTROY:
      // The monitor's block is let go of with the window; so is the library.
      m_block.Close();
      editors::ClearMacros(m_macros.List());
      return false;
    case WM_PAINT:
      OnFirstPaint();
      // Minimised, the window shows its icon; otherwise the skin paints it.
      if (!::IsIconic(m_hwnd)) break;
      PaintIcon();
      return true;
    case platform::kMsgConfigReadBack:
    case platform::kMsgProfileChanged:
    case platform::kMsgApplyFinished:
    case platform::kMsgButtonModeChanged:
    case platform::kMsgCpiLevelChanged:
      OnMonitorNotification(message, lParam);
      SetMsgResult(0);
      return true;
    case platform::kMsgConfiguratorIgnoredA:
    case platform::kMsgConfiguratorIgnoredB:
      SetMsgResult(0);
      return true;
    default:
      break;
  }
  return SkinnedDialog::OnMessage(message, wParam, lParam, directResult);
}

void MainWindow::OnMonitorNotification(UINT message, LPARAM lParam) {
  switch (m_session.OnMonitorMessage(*this, message, lParam)) {
    case PageUpdate::kRefreshAll:
      RefreshAll();
      break;
    case PageUpdate::kRefreshSensitivity:
      if (m_sensitivityPage.Hwnd()) m_sensitivityPage.Refresh();
      break;
    case PageUpdate::kShowFirstButtonPage:
      ShowLeftPage(LeftPage::kFirstButtons);
      break;
    case PageUpdate::kShowSecondButtonPage:
      ShowLeftPage(LeftPage::kSecondButtons);
      break;
    case PageUpdate::kNone:
      break;
  }
  // A read-back may bring a new firmware version.
  if (message == platform::kMsgConfigReadBack && !::InvalidateRect(m_hwnd, nullptr, FALSE)) {
    DebugLogLastError("InvalidateRect(version line)");
  }
}

void MainWindow::ShowRightPage(RightPage page) {
  if (page == m_currentRight || !EnsurePage(PageOf(page), m_rightPlace)) return;
  PageOf(m_currentRight).Show(false);
  PageOf(page).Show(true);
  m_currentRight = page;
  for (const Control* tab : ControlsOf(Role::kTab)) {
    SetSelected(*tab, tab->Spec->Value == PageOf(page).Spec().Template);
  }
}

void MainWindow::ShowLeftPage(LeftPage page) {
  if (page == m_currentLeft || !EnsurePage(PageOf(page), m_leftPlace)) return;
  PageOf(m_currentLeft).Show(false);
  PageOf(page).Show(true);
  m_currentLeft = page;
  for (const Control* mode : ControlsOf(Role::kMode)) {
    SetSelected(*mode, mode->Spec->Value == PageOf(page).Spec().Template);
  }
  if (page == LeftPage::kSecondButtons) PageOf(page).Refresh();
}

void MainWindow::SelectSlot(int n) {
  if (m_session.SelectSlot(n)) RefreshAll();
}

void MainWindow::RefreshAll() {
  const settings::SettingsImage& working = m_session.WorkingBlock();
  const int current = working.CurrentProfile;
  // A slot from a damaged block or file leaves the buttons as they are.
  if (current >= 0 && current < settings::kProfileCount) {
    for (const Control* slot : ControlsOf(Role::kSlot)) {
      SetSelected(*slot, slot->Spec->Value == current);
    }
  }
  RefreshNames();
  // A page not built yet shows the working copy when it is.
  for (skin::ConfiguratorPage* page : {static_cast<skin::ConfiguratorPage*>(&m_firstButtonPage),
                                       static_cast<skin::ConfiguratorPage*>(&m_secondButtonPage),
                                       static_cast<skin::ConfiguratorPage*>(&m_sensitivityPage),
                                       static_cast<skin::ConfiguratorPage*>(&m_advancedPage),
                                       static_cast<skin::ConfiguratorPage*>(&m_systemPage),
                                       static_cast<skin::ConfiguratorPage*>(&m_osdPage)}) {
    if (page->Hwnd()) page->Refresh();
  }
}

void MainWindow::RefreshNames() {
  const settings::SettingsImage& working = m_session.WorkingBlock();
  const int current = working.CurrentProfile;
  for (const Control& control : m_controls) {
    skin::ProfileNameLabel* label = NameLabel(control.Index);
    const int k = control.Spec->Value;
    if (!label || k < 0 || k >= settings::kProfileCount) continue;
    const std::string_view name = ProfileName(working.Profiles[k]);
    label->SetName(name, k == current);
    // Also the label's window text, which accessibility tools (and the tests) read.
    if (!::SetWindowTextW(label->Hwnd(), platform::WideFromUserText(name).c_str())) {
      DebugLogLastError("SetWindowTextW(profile name)");
    }
  }
}

void MainWindow::ApplyChanges(bool thenClose) {
  m_session.Apply(*this, platform::kApplyNormal, m_osdPage.TransparencyIndex());
  if (thenClose && !::PostMessageW(m_hwnd, WM_CLOSE, 0, 0)) {
    DebugLogLastError("PostMessageW(WM_CLOSE)");
  }
}

void MainWindow::RestoreDefaults() {
  m_session.RestoreDefaults();
  // Otherwise the steps of the slots shown before the reset would stay in the restored mask.
  m_sensitivityPage.OnDefaultsRestored();
  RefreshAll();
  // The change detection against the snapshot marks everything the reset changed; the monitor
  // restores the mouse's own defaults.
  m_session.Apply(*this, platform::kApplyRestoreDefaults, m_osdPage.TransparencyIndex());
}

void MainWindow::BeginWait() {
  ::SetCapture(m_hwnd);
  ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
}

void MainWindow::SetCommitButtonsEnabled(bool enabled) {
  for (Role role : {Role::kOk, Role::kApply}) {
    for (const Control* control : ControlsOf(role)) {
      skin::ImageButton* button = Button(control->Index);
      if (!button) continue;
      ::EnableWindow(button->Hwnd(), enabled ? TRUE : FALSE);
      if (!::UpdateWindow(button->Hwnd())) DebugLogLastError("UpdateWindow(commit button)");
    }
  }
}

void MainWindow::EndWait() {
  ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
  if (::GetCapture() == m_hwnd && !::ReleaseCapture()) DebugLogLastError("ReleaseCapture");
}

void MainWindow::PostApplyToMonitor(std::uintptr_t wParam) {
  HWND monitor = ::FindWindowA(nullptr, platform::kMonitorTitle);
  if (!monitor) return;
  if (!::PostMessageW(monitor, platform::kMsgApply, wParam, 0)) {
    DebugLogLastError("PostMessageW(1224)");
  }
}

void MainWindow::PaintIcon() {
  platform::PaintDc paint(m_hwnd);
  RECT client{};
  if (!paint || !m_icon || !::GetClientRect(m_hwnd, &client)) return;
  const int x = (client.right - ::GetSystemMetrics(SM_CXICON)) / 2;
  const int y = (client.bottom - ::GetSystemMetrics(SM_CYICON)) / 2;
  if (!::DrawIcon(paint.Get(), x, y, m_icon)) DebugLogLastError("DrawIcon");
}

void MainWindow::PaintOwnTexts(HDC dc) {
  const std::wstring line = platform::WideFromSuiteText(m_session.VersionLine());
  platform::SelectScope font(dc, m_versionFont.Get());
  ::SetTextColor(dc, kVersionColour);
  if (!::TextOutW(dc, kVersionX, kVersionY, line.c_str(), static_cast<int>(line.size()))) {
    DebugLogLastError("TextOutW(version line)");
  }
}

void MainWindow::SetSelected(const Control& control, bool selected) {
  if (skin::ImageButton* button = Button(control.Index)) button->SetSelected(selected);
}

std::vector<const MainWindow::Control*> MainWindow::ControlsOf(Role role) const {
  std::vector<const Control*> found;
  for (const Control& control : m_controls) {
    if (control.Role == role) found.push_back(&control);
  }
  return found;
}

const MainWindow::Control* MainWindow::ControlById(int id) const {
  const std::optional<std::size_t> index = IndexOfId(id);
  if (!index || *index >= m_controls.size()) return nullptr;
  return &m_controls[*index];
}

skin::ConfiguratorPage& MainWindow::PageOf(RightPage page) {
  switch (page) {
    case RightPage::kAdvanced:
      return m_advancedPage;
    case RightPage::kSystem:
      return m_systemPage;
    case RightPage::kOsd:
      return m_osdPage;
    case RightPage::kSensitivity:
      break;
  }
  return m_sensitivityPage;
}

skin::ConfiguratorPage& MainWindow::PageOf(LeftPage page) {
  return page == LeftPage::kSecondButtons ? static_cast<skin::ConfiguratorPage&>(m_secondButtonPage)
                                          : m_firstButtonPage;
}

}  // namespace karvo::configurator
