#include "editors/shortcut_dialog_win.h"

#include <array>

#include "platform/debug_log.h"
#include "platform/suite_names.h"
#include "platform/text_win.h"
#include "skin/color_edit_win.h"
#include "skin/image_button_win.h"

namespace karvo::editors {
namespace {

using skin::RowNamed;

constexpr auto& kRows = skin::kShortcutDialogControls;
constexpr std::size_t kKeyField = RowNamed(kRows, "EDIT_Single_Key");
constexpr std::size_t kOk = RowNamed(kRows, "BUTTON_OK");
constexpr std::size_t kCancel = RowNamed(kRows, "BUTTON_CANCEL");
constexpr std::size_t kClose = RowNamed(kRows, "Exit");
// In the order of the boxes: box i stands for bit i of the mask.
constexpr std::array<std::size_t, kModifierBoxCount> kBoxes = {
    RowNamed(kRows, "None"), RowNamed(kRows, "Shift"), RowNamed(kRows, "Ctrl"),
    RowNamed(kRows, "Alt"), RowNamed(kRows, "Win")};
static_assert(kKeyField < std::size(kRows) && kOk < std::size(kRows) &&
              kCancel < std::size(kRows) && kClose < std::size(kRows));
static_assert(kBoxes[kBoxNone] < std::size(kRows) && kBoxes[kBoxWin] < std::size(kRows));

constexpr COLORREF kKeyText = RGB(0, 0, 0);
constexpr COLORREF kKeyBackground = RGB(255, 255, 255);

}  // namespace

ShortcutDialog::ShortcutDialog(const ShortcutChoice& initial,
                               const settings::IKeyboardLayout& layout)
    : SkinnedDialog(skin::FindWindowSpec(skin::WindowId::ShortcutDialog)),
      m_model(initial, layout) {}

INT_PTR ShortcutDialog::Run(HWND owner) { return RunModal(owner, Spec().Template); }

bool ShortcutDialog::OnInit() {
  if (!SkinnedDialog::OnInit()) return false;
  if (!::SetWindowTextW(m_hwnd,
                        platform::WideFromSuiteText(platform::kShortcutDialogTitle).c_str())) {
    platform::DebugLogLastError("SetWindowTextW(shortcut dialog)");
  }
  if (skin::ColorEdit* field = Edit(kKeyField)) field->SetColours(kKeyText, kKeyBackground);
  // Without the hook the dialog still opens; the key then stays as it was.
  m_hook = KeyHook(m_hwnd);
  ShowKeyName();
  ShowBoxes();
  return false;  // no control takes the focus: every key goes to the hook
}

void ShortcutDialog::OnCommand(int id, int code, HWND) {
  const std::optional<std::size_t> row = IndexOfId(id);
  if (!row || (code != BN_CLICKED && code != BN_DOUBLECLICKED)) return;
  if (*row == kOk) {
    EndDialog(IDOK);
  } else if (*row == kCancel || *row == kClose) {
    EndDialog(IDCANCEL);
  } else {
    for (int box = 0; box < kModifierBoxCount; ++box) {
      skin::ImageButton* button = Button(kBoxes[box]);
      if (*row != kBoxes[box] || !button) continue;
      // The box flipped itself; the rule decides what all five show.
      m_model.SetBox(box, button->Selected());
      ShowBoxes();
    }
  }
}

bool ShortcutDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& directResult) {
  switch (message) {
    case kHookedKeyMessage:
      OnHookedKey(wParam);
      return true;
    case WM_DESTROY:
      // However the dialog ends, the keys belong to everyone again before it is gone.
      m_hook.Reset();
      break;
    default:
      break;
  }
  return SkinnedDialog::OnMessage(message, wParam, lParam, directResult);
}

void ShortcutDialog::OnHookedKey(WPARAM virtualKey) {
  // Anyone may post this message: only a virtual-key code is taken.
  if (virtualKey > 0xFF) return;
  if (m_model.OnHookedKey(static_cast<int>(virtualKey))) ShowKeyName();
}

void ShortcutDialog::ShowKeyName() {
  // Key names are the suite's own (English) texts.
  if (skin::ColorEdit* field = Edit(kKeyField)) {
    if (!::SetWindowTextW(field->Hwnd(), platform::WideFromSuiteText(m_model.KeyName()).c_str())) {
      platform::DebugLogLastError("SetWindowTextW(key name)");
    }
  }
}

void ShortcutDialog::ShowBoxes() {
  for (int box = 0; box < kModifierBoxCount; ++box) {
    skin::ImageButton* button = Button(kBoxes[box]);
    if (!button) continue;
    const BoxView view = m_model.Box(box);
    button->SetSelected(view.Checked);
    ::EnableWindow(button->Hwnd(), view.Enabled ? TRUE : FALSE);
  }
}

}  // namespace karvo::editors
