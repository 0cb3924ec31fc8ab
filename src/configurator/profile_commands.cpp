#include "configurator/profile_commands.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <optional>

#include "configurator/change_flags.h"
#include "settings/profile_files.h"

namespace karvo::configurator {
namespace {

// A single file held in memory, so that the settings library's profile reader and
// writer work on exactly the bytes given to them and not on whatever stands on disk.
class OneFileStore final : public settings::IFileStore {
 public:
  explicit OneFileStore(std::optional<std::string> content = std::nullopt)
      : m_content(std::move(content)) {}
  std::optional<std::string> ReadFile(const std::string&) override { return m_content; }
  bool ReplaceFile(const std::string&, std::string_view content) override {
    m_content = std::string(content);
    return true;
  }
  bool FileExists(const std::string&) override { return m_content.has_value(); }
  std::unique_ptr<settings::IFileLock> Lock(const std::string&) override {
    return std::make_unique<settings::IFileLock>();
  }
  const std::optional<std::string>& Content() const { return m_content; }

 private:
  std::optional<std::string> m_content;
};

constexpr char kOneFilePath[] = "profile.kmp";

bool Replace(settings::IFileStore& store, const std::string& path, std::string_view content) {
  const std::unique_ptr<settings::IFileLock> lock = store.Lock(path);
  return store.ReplaceFile(path, content);
}

}  // namespace

bool ProfileDialogFieldsFit(const ProfileDialogFields& fields) {
  return fields.GamePath.size() <= static_cast<std::size_t>(kGamePathMaxBytes);
}

ProfileDialogFields InitialProfileDialogFields(const settings::ProfileSettings& record,
                                               ProfileDialogMode mode) {
  if (mode == ProfileDialogMode::kCreate) return {};
  return {std::string(settings::FieldText(record.ProFileName)),
          std::string(settings::FieldText(record.GameFile))};
}

std::string FileTitle(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/");
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string_view::npos) name = name.substr(0, dot);
  return std::string(name);
}

ProfileCommands::ProfileCommands(settings::IFileStore& store, settings::IRegistry& registry,
                                 std::string programDir)
    : m_store(store), m_registry(registry), m_programDir(std::move(programDir)) {}

ProfileDialogOutcome ProfileCommands::ApplyProfileDialog(settings::SettingsImage& working,
                                                         const ProfileDialogFields& fields) {
  settings::ProfileSettings* record = CurrentSlotRecord(working);
  if (!record) return ProfileDialogOutcome::kNoSlot;
  if (!ProfileDialogFieldsFit(fields)) return ProfileDialogOutcome::kGamePathTooLong;
  settings::SetFieldText(record->ProFileName, fields.Name);
  settings::SetFieldText(record->GameFile, fields.GamePath);
  return ProfileDialogOutcome::kApplied;
}

bool ProfileCommands::LoadProfile(settings::SettingsImage& working, const std::string& path) {
  const int slot = working.CurrentProfile;
  settings::ProfileSettings* record = CurrentSlotRecord(working);
  if (!record) return false;
  std::optional<std::string> content;
  {
    const std::unique_ptr<settings::IFileLock> lock = m_store.Lock(path);
    content = m_store.ReadFile(path);
  }
  if (!content) return false;
  // A failed copy (the file may already be that copy) is of no consequence.
  (void)Replace(m_store, m_programDir + FileTitle(path) + ".kmp", *content);

  // The slot takes the bytes that were copied, even when the copy failed and an
  // older file of that name is still there.
  OneFileStore file(std::move(content));
  settings::SettingsFiles reader(file, m_registry, std::string());
  (void)reader.LoadProfileFile(record, kOneFilePath);

  std::fill(std::begin(working.ButtonChanged[slot]), std::end(working.ButtonChanged[slot]), 1);
  working.SensorChanged[slot] = 1;
  working.ProfileLoadFlagA[slot] = 1;
  working.ProfileLoadFlagB[slot] = 1;
  return true;
}

bool ProfileCommands::SaveProfile(const settings::SettingsImage& working, const std::string& path) {
  const settings::ProfileSettings* record = CurrentSlotRecord(working);
  if (!record) return false;
  // Written into an empty file first, so that nothing of the file being replaced
  // can survive in it.
  OneFileStore file;
  settings::SettingsFiles writer(file, m_registry, std::string());
  if (writer.SaveProfileFile(record, kOneFilePath) != 1 || !file.Content()) return false;
  const std::string& content = *file.Content();
  if (!Replace(m_store, path, content)) return false;

  const std::string title = FileTitle(path);
  settings::SettingsFiles files(m_store, m_registry, m_programDir);
  (void)files.SetProfileFileName(working.CurrentProfile + 1, title);
  (void)Replace(m_store, m_programDir + "config\\" + title + ".kmp", content);
  return true;
}

}  // namespace karvo::configurator
