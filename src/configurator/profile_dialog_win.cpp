#include "configurator/profile_dialog_win.h"

#include <commdlg.h>

#include <string>
#include <string_view>
#include <utility>

#include "configurator/configurator_resources.h"
#include "platform/debug_log.h"
#include "platform/file_dialog_win.h"
#include "skin/color_edit_win.h"
#include "skin/window_layouts.h"

namespace karvo::configurator {
namespace {

using platform::DebugLogLastError;

constexpr COLORREF kFieldText = RGB(0, 0, 0);
constexpr COLORREF kFieldBackground = RGB(255, 255, 255);
constexpr char kGameFilter[] = "exe file(*.exe)|*.EXE|";

enum class Role { kNone, kName, kGamePath, kBrowse, kConfirm, kDismiss };

Role RoleOf(const skin::ControlSpec& spec) {
  static constexpr std::pair<std::string_view, Role> kRoles[] = {
      {"ProfileName", Role::kName},      {"Gaming path to executeable", Role::kGamePath},
      {"browser1", Role::kBrowse},       {"BUTTON_OK", Role::kConfirm},
      {"BUTTON_Cancel", Role::kDismiss}, {"Exit", Role::kDismiss}};
  const std::string_view name = spec.Layout.substr(0, spec.Layout.find(','));
  for (const auto& [roleName, role] : kRoles) {
    if (name == roleName) return role;
  }
  return Role::kNone;
}

}  // namespace

ProfileDialog::ProfileDialog(ProfileDialogFields fields)
    : SkinnedDialog(skin::FindWindowSpec(skin::WindowId::ProfileDialog)),
      m_fields(std::move(fields)) {}

INT_PTR ProfileDialog::Run(HWND owner) { return RunModal(owner, IDD_PROFILE_DIALOG); }

bool ProfileDialog::OnInit() {
  if (!SkinnedDialog::OnInit()) return false;
  for (std::size_t index = 0; index < ControlCount(); ++index) {
    const Role role = RoleOf(Spec().Controls[index]);
    if (role == Role::kName) m_nameIndex = index;
    if (role == Role::kGamePath) m_pathIndex = index;
  }
  // The name field's 32 characters come with the window's table.
  for (const auto& [index, text] :
       {std::pair{m_nameIndex, &m_fields.Name}, std::pair{m_pathIndex, &m_fields.GamePath}}) {
    skin::ColorEdit* field = index ? Edit(*index) : nullptr;
    if (!field) continue;
    field->SetColours(kFieldText, kFieldBackground);
    field->SetUserText(*text);
  }
  return true;
}

void ProfileDialog::OnCommand(int id, int code, HWND) {
  const std::optional<std::size_t> index = IndexOfId(id);
  if (!index || (code != BN_CLICKED && code != BN_DOUBLECLICKED)) return;
  switch (RoleOf(Spec().Controls[*index])) {
    case Role::kBrowse:
      Browse();
      break;
    case Role::kConfirm:
      Confirm();
      break;
    case Role::kDismiss:
      EndDialog(IDCANCEL);
      break;
    case Role::kName:
    case Role::kGamePath:
    case Role::kNone:
      break;
  }
}

bool ProfileDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& directResult) {
  // Closed from outside (Alt+F4, the task list): as Cancel.
  if (message == WM_CLOSE) {
    EndDialog(IDCANCEL);
    return true;
  }
  return SkinnedDialog::OnMessage(message, wParam, lParam, directResult);
}

void ProfileDialog::Browse() {
  skin::ColorEdit* path = m_pathIndex ? Edit(*m_pathIndex) : nullptr;
  if (!path) return;
  const std::wstring desktop = platform::DesktopFolder();
  const std::optional<std::string> chosen =
      platform::ChooseFile(m_hwnd, platform::FileDialogKind::kOpen,
                           {.Filter = kGameFilter,
                            .DefaultExtension = L"exe",
                            .InitialFile = desktop.empty() ? std::wstring() : desktop + L"\\.exe",
                            .Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT});
  if (chosen) path->SetUserText(*chosen);
}

void ProfileDialog::Confirm() {
  ProfileDialogFields fields;
  if (m_nameIndex) {
    if (skin::ColorEdit* name = Edit(*m_nameIndex)) fields.Name = name->UserText();
  }
  skin::ColorEdit* path = m_pathIndex ? Edit(*m_pathIndex) : nullptr;
  if (path) fields.GamePath = path->UserText();
  if (!ProfileDialogFieldsFit(fields)) {
    // The path stays for the user to shorten; nothing is written.
    if (!::MessageBeep(MB_ICONWARNING)) DebugLogLastError("MessageBeep");
    if (path) {
      ::SetFocus(path->Hwnd());
      ::SendMessageW(path->Hwnd(), EM_SETSEL, 0, -1);
    }
    return;
  }
  m_fields = std::move(fields);
  EndDialog(IDOK);
}

}  // namespace karvo::configurator
