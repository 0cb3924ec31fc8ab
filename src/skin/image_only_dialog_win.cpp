#include "skin/image_only_dialog_win.h"

#include <string_view>

namespace karvo::skin {

void ImageOnlyDialog::OnCommand(int id, int code, HWND control) {
  const std::optional<std::size_t> index = IndexOfId(id);
  if (!index || code != BN_CLICKED) {
    // IDOK and IDCANCEL from the dialog manager land in the empty handlers.
    SkinnedDialog::OnCommand(id, code, control);
    return;
  }
  const std::string_view name = Layout(*index)->Name;
  if (name == "BUTTON_OK") {
    EndDialog(IDOK);
  } else if (name == "BUTTON_CANCEL" || name == "Exit") {
    EndDialog(IDCANCEL);
  }
}

}  // namespace karvo::skin
