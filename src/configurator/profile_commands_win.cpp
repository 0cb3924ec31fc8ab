#include "configurator/profile_commands_win.h"

#include <commdlg.h>

#include <optional>
#include <utility>

#include "configurator/change_flags.h"
#include "configurator/profile_dialog_win.h"
#include "platform/debug_log.h"
#include "platform/file_dialog_win.h"
#include "platform/text_win.h"

namespace karvo::configurator {
namespace {

constexpr char kProfileFilter[] = "KARVO Mouse Profile(*.kmp)|*.KMP|";
constexpr wchar_t kProfileExtension[] = L"kmp";

// The dialogs open in config\ with ".kmp" in the name field.
platform::FileDialogRequest ProfileFileRequest(const std::string& programDir, DWORD flags) {
  return {.Filter = kProfileFilter,
          .DefaultExtension = kProfileExtension,
          .InitialFile = platform::WideFromUserText(programDir + "config\\.kmp"),
          .Flags = flags};
}

}  // namespace

ProfileCommandButtons::ProfileCommandButtons(settings::IFileStore& store,
                                             settings::IRegistry& registry, std::string programDir,
                                             settings::SettingsImage& working)
    : m_commands(store, registry, programDir),
      m_programDir(std::move(programDir)),
      m_working(working) {}

ProfileCommandRedraw ProfileCommandButtons::Run(std::string_view name, HWND owner) {
  // A slot out of range (a damaged block or file) has no record to act on.
  if (!CurrentSlotRecord(m_working)) return ProfileCommandRedraw::kNothing;
  if (name == "Create") return RunProfileDialog(ProfileDialogMode::kCreate, owner);
  if (name == "Edit") return RunProfileDialog(ProfileDialogMode::kEdit, owner);
  if (name == "Load") return Load(owner);
  if (name == "Save") Save(owner);
  return ProfileCommandRedraw::kNothing;
}

ProfileCommandRedraw ProfileCommandButtons::RunProfileDialog(ProfileDialogMode mode, HWND owner) {
  const settings::ProfileSettings* record = CurrentSlotRecord(m_working);
  if (!record) return ProfileCommandRedraw::kNothing;
  ProfileDialog dialog(InitialProfileDialogFields(*record, mode));
  if (dialog.Run(owner) != IDOK) return ProfileCommandRedraw::kNothing;
  if (m_commands.ApplyProfileDialog(m_working, dialog.Fields()) != ProfileDialogOutcome::kApplied) {
    platform::DebugLog("profile dialog: fields not taken\r\n");
    return ProfileCommandRedraw::kNothing;
  }
  return ProfileCommandRedraw::kNames;
}

ProfileCommandRedraw ProfileCommandButtons::Load(HWND owner) {
  const std::optional<std::string> path = platform::ChooseFile(
      owner, platform::FileDialogKind::kOpen,
      ProfileFileRequest(m_programDir, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_FILEMUSTEXIST));
  // A file that cannot be read changes nothing, silently.
  if (!path || !m_commands.LoadProfile(m_working, *path)) return ProfileCommandRedraw::kNothing;
  return ProfileCommandRedraw::kAll;
}

void ProfileCommandButtons::Save(HWND owner) {
  const std::optional<std::string> path = platform::ChooseFile(
      owner, platform::FileDialogKind::kSave,
      ProfileFileRequest(m_programDir, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT));
  if (path && !m_commands.SaveProfile(m_working, *path)) {
    platform::DebugLog("profile not saved: %s\r\n", path->c_str());
  }
}

}  // namespace karvo::configurator
