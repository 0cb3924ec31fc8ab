#pragma once
// The small skinned dialog that asks before a step that cannot be undone: OK, Cancel and the
// close cross. Its question is printed in the artwork; a caller may draw a message of its own
// over the artwork, wrapped and clipped in a fixed rectangle. Enter and Escape do nothing here,
// so only the buttons close it.
#include <windows.h>

#include <string>
#include <utility>

#include "platform/gdi_win.h"
#include "skin/skinned_dialog_win.h"

namespace karvo::notify_settings {

// Where a caller's message is drawn, in the dialog's client coordinates.
inline constexpr RECT kConfirmMessageRect{20, 50, 220, 94};
inline constexpr COLORREF kConfirmMessageColour = RGB(255, 255, 255);
inline constexpr int kConfirmMessageFontHeight = 14;

class ConfirmDialog final : public skin::SkinnedDialog {
 public:
  ConfirmDialog();

  // The suite's own text (Windows-1252); empty draws nothing over the artwork.
  void SetMessage(std::string text) { m_message = std::move(text); }

  // Shows the dialog modally over owner; true only when the user chose OK. A dialog that
  // cannot be shown counts as cancelled.
  bool Ask(HWND owner);

 protected:
  bool OnInit() override;
  void OnCommand(int id, int code, HWND control) override;
  void OnOk() override {}
  void OnCancel() override {}
  void PaintOwnTexts(HDC dc) override;

 private:
  std::string m_message;
  platform::UniqueFont m_font;
};

}  // namespace karvo::notify_settings
