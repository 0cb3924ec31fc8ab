#pragma once
// The system's open and save dialogs, shown wide, with their filters written as the suite
// writes them ("name|pattern|" pairs) and the chosen path handed back in the ANSI code page
// that the suite's file functions take.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace karvo::platform {

enum class FileDialogKind { kOpen, kSave };

struct FileDialogRequest {
  // The suite's own text (Windows-1252): a name and a pattern, each ended by '|', per entry.
  std::string_view Filter;
  // Without the dot; added to a name typed without an extension.
  std::wstring_view DefaultExtension;
  // A path: the dialog opens in its folder with its name in the name field.
  std::wstring InitialFile;
  // OFN_* flags besides the explorer look, which every dialog of the suite has.
  DWORD Flags = 0;
};

// The chosen file's full path; nullopt when the user cancels, when the dialog fails, and when
// the path holds a character the ANSI code page lacks (an ANSI file function would reach
// another file or none).
std::optional<std::string> ChooseFile(HWND owner, FileDialogKind kind,
                                      const FileDialogRequest& request);

// The user's desktop folder without a trailing backslash; "" when the system cannot say.
std::wstring DesktopFolder();

// A path in the ANSI code page, or nullopt when a character of it has no exact equivalent
// there (best-fit replacements would name another file).
std::optional<std::string> AnsiPath(std::wstring_view path);

}  // namespace karvo::platform
