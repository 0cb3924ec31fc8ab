#pragma once
// The profile dialog of Create and Edit: a name of up to 32 characters and the game whose
// program in front makes the slot the active one, typed or browsed for. It collects the two
// fields; the caller writes them into the slot.
#include <windows.h>

#include <cstddef>
#include <optional>

#include "configurator/profile_commands.h"
#include "skin/skinned_dialog_win.h"

namespace karvo::configurator {

class ProfileDialog final : public skin::SkinnedDialog {
 public:
  // fields: what the dialog shows when it opens (InitialProfileDialogFields).
  explicit ProfileDialog(ProfileDialogFields fields);

  // IDOK with Fields() when the user confirmed fields the record can hold; IDCANCEL for
  // Cancel and the close cross; -1 when the dialog could not be shown.
  INT_PTR Run(HWND owner);
  const ProfileDialogFields& Fields() const { return m_fields; }

 protected:
  bool OnInit() override;
  void OnCommand(int id, int code, HWND control) override;
  // Enter and Escape neither confirm nor cancel, should they get past the skin's filter.
  void OnOk() override {}
  void OnCancel() override {}
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& directResult) override;

 private:
  void Browse();
  void Confirm();

  ProfileDialogFields m_fields;
  std::optional<std::size_t> m_nameIndex;
  std::optional<std::size_t> m_pathIndex;
};

}  // namespace karvo::configurator
