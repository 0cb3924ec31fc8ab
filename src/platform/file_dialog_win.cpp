#include "platform/file_dialog_win.h"

#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cwchar>

#include "platform/debug_log.h"
#include "platform/dyn_calls_win.h"
#include "platform/text_win.h"

namespace karvo::platform {

// The full version of the structure, with the places bar: what the suite has always passed.
static_assert(sizeof(OPENFILENAMEW) == 88);
static_assert(offsetof(OPENFILENAMEW, FlagsEx) == 84);

namespace {

// Longer than any path the dialog hands back on an ordinary system; a longer choice is
// reported as FNERR_BUFFERTOOSMALL and ends the command.
constexpr std::size_t kPathCapacity = 4096;

// "a|b|" becomes "a\0b\0\0", the list of pairs the dialog reads.
std::wstring FilterList(std::string_view bars) {
  std::wstring list = WideFromSuiteText(bars);
  std::replace(list.begin(), list.end(), L'|', L'\0');
  list.push_back(L'\0');
  return list;
}

}  // namespace

std::optional<std::string> AnsiPath(std::wstring_view path) {
  if (path.empty() || path.size() > INT_MAX / 4) return std::nullopt;
  const int length = static_cast<int>(path.size());
  BOOL lossy = FALSE;
  const int needed = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.data(), length,
                                           nullptr, 0, nullptr, &lossy);
  if (needed <= 0 || lossy) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(needed), '\0');
  if (::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.data(), length, bytes.data(), needed,
                            nullptr, &lossy) != needed ||
      lossy) {
    return std::nullopt;
  }
  return bytes;
}

std::optional<std::string> ChooseFile(HWND owner, FileDialogKind kind,
                                      const FileDialogRequest& request) {
  const std::wstring filter = FilterList(request.Filter);
  const std::wstring extension(request.DefaultExtension);
  std::wstring file(kPathCapacity, L'\0');
  const std::size_t initial = std::min(request.InitialFile.size(), kPathCapacity - 1);
  std::wmemcpy(file.data(), request.InitialFile.data(), initial);

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  // The working directory stays the program's: a folder browsed to is not held open.
  dialog.Flags = request.Flags | OFN_EXPLORER | OFN_ENABLESIZING | OFN_NOCHANGEDIR;

  const dyn::GetFileNameWFn show =
      kind == FileDialogKind::kOpen ? dyn::GetOpenFileNameW() : dyn::GetSaveFileNameW();
  if (!show) return std::nullopt;
  if (!show(&dialog)) {
    const dyn::CommDlgExtendedErrorFn lastError = dyn::CommDlgExtendedError();
    if (const DWORD error = lastError ? lastError() : 0)
      DebugLog("file dialog failed: error 0x%lx\r\n", error);
    return std::nullopt;
  }
  file.resize(std::wcslen(file.c_str()));
  std::optional<std::string> path = AnsiPath(file);
  if (!path) DebugLog("file dialog: the chosen path has no ANSI spelling\r\n");
  return path;
}

std::wstring DesktopFolder() {
  wchar_t folder[MAX_PATH] = {};
  const dyn::SHGetFolderPathWFn folderPath = dyn::SHGetFolderPathW();
  if (!folderPath) return {};
  const HRESULT result =
      folderPath(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, folder);
  if (FAILED(result)) {
    DebugLog("SHGetFolderPathW(desktop) failed: 0x%lx\r\n", static_cast<unsigned long>(result));
    return {};
  }
  return folder;
}

}  // namespace karvo::platform
