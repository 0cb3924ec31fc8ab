#include "editors/program_dialog_win.h"

#include <commdlg.h>

#include <utility>
#include <vector>

#include "editors/program_choice.h"
#include "platform/debug_log.h"
#include "platform/dyn_calls_win.h"
#include "platform/file_dialog_win.h"
#include "platform/text_win.h"
#include "skin/color_edit_win.h"

namespace karvo::editors {
namespace {

using skin::RowNamed;

constexpr auto& kRows = skin::kProgramDialogControls;
constexpr std::size_t kPathField = RowNamed(kRows, "Gaming path to executeable");
constexpr std::size_t kBrowse = RowNamed(kRows, "browser1");
constexpr std::size_t kOk = RowNamed(kRows, "BUTTON_OK");
constexpr std::size_t kCancel = RowNamed(kRows, "BUTTON_CANCEL");
constexpr std::size_t kClose = RowNamed(kRows, "Exit");
static_assert(kPathField < std::size(kRows) && kBrowse < std::size(kRows) &&
              kOk < std::size(kRows) && kCancel < std::size(kRows) && kClose < std::size(kRows));

constexpr COLORREF kPathText = RGB(255, 255, 255);
constexpr COLORREF kPathBackground = RGB(0, 0, 0);

// "exe file(*.exe)|*.EXE|" in the form the open-file dialog takes.
constexpr wchar_t kFilter[] = L"exe file(*.exe)\0*.EXE\0";
// Several files may be chosen; the first is taken.
constexpr std::size_t kAnswerLength = 32768;

}  // namespace

ProgramDialog::ProgramDialog(std::string path)
    : SkinnedDialog(skin::FindWindowSpec(skin::WindowId::ProgramDialog)), m_path(std::move(path)) {}

INT_PTR ProgramDialog::Run(HWND owner) { return RunModal(owner, Spec().Template); }

bool ProgramDialog::OnInit() {
  if (!SkinnedDialog::OnInit()) return false;
  if (skin::ColorEdit* field = Edit(kPathField)) {
    field->SetColours(kPathText, kPathBackground);
    field->SetUserText(m_path);
  }
  return true;
}

void ProgramDialog::OnCommand(int id, int code, HWND) {
  const std::optional<std::size_t> row = IndexOfId(id);
  if (!row || (code != BN_CLICKED && code != BN_DOUBLECLICKED)) return;
  if (*row == kBrowse) {
    Browse();
  } else if (*row == kOk) {
    // Typed or browsed, whatever the field shows is the answer; the caller judges its length.
    if (skin::ColorEdit* field = Edit(kPathField)) m_path = field->UserText();
    EndDialog(IDOK);
  } else if (*row == kCancel || *row == kClose) {
    EndDialog(IDCANCEL);
  }
}

void ProgramDialog::Browse() {
  skin::ColorEdit* field = Edit(kPathField);
  if (!field) return;
  // The dialog opens on the desktop with ".exe" as the name to start from.
  std::vector<wchar_t> answer(kAnswerLength, L'\0');
  const std::wstring start = platform::DesktopFolder() + L"\\.exe";
  if (start.size() < answer.size()) start.copy(answer.data(), start.size());

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = m_hwnd;
  dialog.lpstrFilter = kFilter;
  dialog.lpstrFile = answer.data();
  dialog.nMaxFile = static_cast<DWORD>(answer.size());
  // The extension a typed name without one gets.
  dialog.lpstrDefExt = L"exe";
  // The configurator's own files are found by full paths, but its current folder is left alone
  // all the same.
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_ALLOWMULTISELECT |
                 OFN_NOCHANGEDIR;
  const platform::dyn::GetFileNameWFn open = platform::dyn::GetOpenFileNameW();
  if (!open) return;
  if (!open(&dialog)) {
    const platform::dyn::CommDlgExtendedErrorFn lastError = platform::dyn::CommDlgExtendedError();
    if (const DWORD error = lastError ? lastError() : 0) {
      platform::DebugLog("GetOpenFileNameW failed: %lx\r\n", static_cast<unsigned long>(error));
    }
    return;
  }
  const std::u16string chosen =
      FirstChosenFile(platform::FromWide(std::wstring_view(answer.data(), answer.size())));
  // Shown as it will be stored: in the ANSI code page.
  field->SetUserText(platform::EncodeAnsi(chosen));
}

}  // namespace karvo::editors
