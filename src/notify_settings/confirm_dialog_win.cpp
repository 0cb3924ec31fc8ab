#include "notify_settings/confirm_dialog_win.h"

#include <string_view>

#include "platform/debug_log.h"
#include "platform/text_win.h"
#include "skin/skin_fonts_win.h"
#include "skin/window_layouts.h"

namespace karvo::notify_settings {
namespace {

constexpr std::string_view kOkName = "BUTTON_OK";

}  // namespace

ConfirmDialog::ConfirmDialog()
    : SkinnedDialog(skin::FindWindowSpec(skin::WindowId::ConfirmDialog)) {}

bool ConfirmDialog::Ask(HWND owner) { return RunModal(owner, Spec().Template) == IDOK; }

bool ConfirmDialog::OnInit() {
  if (!SkinnedDialog::OnInit()) return false;
  m_font = skin::ArialFont(kConfirmMessageFontHeight, 0);
  return true;
}

void ConfirmDialog::OnCommand(int id, int code, HWND) {
  if (code != BN_CLICKED) return;
  const std::optional<std::size_t> index = IndexOfId(id);
  const skin::SkinLayout* layout = index ? Layout(*index) : nullptr;
  if (!layout) return;
  // OK is the only way to consent; Cancel and the close cross both decline.
  EndDialog(std::string_view(layout->Name) == kOkName ? IDOK : IDCANCEL);
}

void ConfirmDialog::PaintOwnTexts(HDC dc) {
  if (m_message.empty()) return;
  std::wstring text = platform::WideFromSuiteText(m_message);
  RECT box = kConfirmMessageRect;
  platform::SelectScope font(dc, m_font.Get());
  ::SetTextColor(dc, kConfirmMessageColour);
  // Without DT_NOCLIP the text stays inside its rectangle however long it is.
  if (!::DrawTextW(dc, text.data(), static_cast<int>(text.size()), &box,
                   DT_CENTER | DT_WORDBREAK | DT_NOPREFIX)) {
    platform::DebugLogLastError("DrawTextW(confirmation message)");
  }
}

}  // namespace karvo::notify_settings
