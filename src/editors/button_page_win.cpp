#include "editors/button_page_win.h"

#include "editors/program_dialog_win.h"
#include "editors/shortcut_dialog_win.h"
#include "platform/debug_log.h"
#include "platform/text_win.h"
#include "skin/image_button_win.h"
#include "skin/picture_window_win.h"
#include "skin/skin_messages.h"
#include "skin/skinned_menu_win.h"

namespace karvo::editors {
namespace {

using platform::DebugLogLastError;

std::wstring WideText(const skin::UiText& text) {
  return text.IsUserText ? platform::WideFromUserText(text.Bytes)
                         : platform::WideFromSuiteText(text.Bytes);
}

void RedrawNow(HWND control) {
  if (!::RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW)) {
    platform::DebugLog("RedrawWindow of a button label failed\r\n");
  }
}

}  // namespace

ButtonPage::ButtonPage(ButtonMode mode, settings::SettingsImage& working, MacroStore& macros)
    : ConfiguratorPage(mode == ButtonMode::kFirst ? skin::WindowId::ButtonPageMode1
                                                  : skin::WindowId::ButtonPageMode2),
      m_mode(mode),
      m_model(mode == ButtonMode::kFirst ? ButtonPageMode::kMode1 : ButtonPageMode::kMode2, working,
              macros.List(), m_layout) {
  FindRows();
}

void ButtonPage::FindRows() {
  int picture = 0;
  for (std::size_t row = 0; row < Spec().Controls.size(); ++row) {
    const skin::ControlSpec& spec = Spec().Controls[row];
    switch (spec.Kind) {
      case skin::ControlKind::ButtonLabel:
        if (spec.Value >= 0 && spec.Value < kButtonCount) m_labels[spec.Value] = row;
        break;
      case skin::ControlKind::Picture:
        // The pictures stand in button order.
        if (picture < kButtonCount) m_pictures[picture++] = row;
        break;
      case skin::ControlKind::Radio:
        (spec.Value == 0 ? m_rightHanded : m_leftHanded) = row;
        break;
      default:
        break;
    }
  }
}

void ButtonPage::Refresh() {
  if (!m_hwnd) return;
  ShowHandedness();
  ShowLabels();
}

void ButtonPage::ShowLabels() {
  for (int button = 0; button < kButtonCount; ++button) {
    skin::ImageButton* label = m_labels[button] ? Button(*m_labels[button]) : nullptr;
    if (!label) continue;
    const std::wstring text = WideText(m_model.Label(button));
    label->SetCaption(text);
    // The window text too, which accessibility tools (and the tests) read.
    if (!::SetWindowTextW(label->Hwnd(), text.c_str())) DebugLogLastError("SetWindowTextW(label)");
    ::EnableWindow(label->Hwnd(), m_model.ButtonEnabled(button) ? TRUE : FALSE);
    RedrawNow(label->Hwnd());
  }
}

void ButtonPage::ShowHandedness() {
  const bool left = m_model.LeftHanded();
  if (m_rightHanded) {
    if (skin::ImageButton* right = Button(*m_rightHanded)) right->SetSelected(!left);
  }
  if (m_leftHanded) {
    if (skin::ImageButton* leftButton = Button(*m_leftHanded)) leftButton->SetSelected(left);
  }
}

void ButtonPage::OnCommand(int id, int code, HWND) {
  const std::optional<std::size_t> row = IndexOfId(id);
  if (!row || (code != BN_CLICKED && code != BN_DOUBLECLICKED)) return;
  for (int button = 0; button < kButtonCount; ++button) {
    if (m_labels[button] == row) {
      OpenCatalogue(button);
      return;
    }
  }
  if (row == m_rightHanded || row == m_leftHanded) {
    m_model.SetLeftHanded(row == m_leftHanded);
    ShowHandedness();
  }
}

bool ButtonPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& directResult) {
  if (message == skin::kMsgHoverChanged) {
    OnHover(wParam != 0, lParam);
    return true;
  }
  return SkinnedDialog::OnMessage(message, wParam, lParam, directResult);
}

void ButtonPage::OnHover(bool entered, LPARAM id) {
  // A label's hover id is its control id; everything else that hovers is no label.
  for (int button = 0; button < kButtonCount; ++button) {
    if (!m_labels[button] || !m_pictures[button] || ControlId(*m_labels[button]) != id) continue;
    if (skin::PictureWindow* picture = Picture(*m_pictures[button])) picture->Show(entered);
  }
}

void ButtonPage::OpenCatalogue(int button) {
  skin::ImageButton* label = m_labels[button] ? Button(*m_labels[button]) : nullptr;
  const std::optional<skin::PopupMenu> catalogue = m_model.OpenCatalogue(button);
  if (!label || !catalogue) return;
  RECT place{};
  if (!::GetWindowRect(label->Hwnd(), &place)) {
    DebugLogLastError("GetWindowRect(label)");
    return;
  }
  int command = 0;
  {
    // The menu and its font go as soon as it closes.
    skin::SkinnedMenu menu(*catalogue, &skin::kMenuFont);
    command = menu.Track(m_hwnd, {place.left + 1, place.bottom});
  }
  label->SetHover(false);
  RedrawNow(label->Hwnd());
  // The command comes back from the menu itself: as a WM_COMMAND its number could not be told
  // from the ids of the page's own controls. 0: nothing was chosen.
  if (command == 0) return;
  m_model.OnCommand(command, *this);
  Refresh();
}

std::optional<ShortcutChoice> ButtonPage::RunShortcutDialog(const ShortcutChoice& initial) {
  ShortcutDialog dialog(initial, m_layout);
  if (dialog.Run(::GetAncestor(m_hwnd, GA_ROOT)) != IDOK) return std::nullopt;
  return dialog.Choice();
}

std::optional<std::string> ButtonPage::RunProgramDialog(const std::string& path) {
  ProgramDialog dialog(path);
  if (dialog.Run(::GetAncestor(m_hwnd, GA_ROOT)) != IDOK) return std::nullopt;
  return dialog.Path();
}

}  // namespace karvo::editors
