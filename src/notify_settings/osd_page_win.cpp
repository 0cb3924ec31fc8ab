#include "notify_settings/osd_page_win.h"

#include <iterator>

#include "platform/debug_log.h"
#include "platform/text_win.h"
#include "skin/color_edit_win.h"
#include "skin/image_button_win.h"
#include "skin/skin_messages.h"
#include "skin/skinned_menu_win.h"
#include "skin/window_layouts.h"

namespace karvo::notify_settings {
namespace {

constexpr COLORREF kEditText = RGB(0, 0, 0);
constexpr COLORREF kEditBackground = RGB(255, 255, 255);

// What each field takes, set at page set-up over the table's own limits: the port takes five
// digits (every TCP port), the texts stay within their record fields.
// Characters typed, and bytes those take in the record's field less its terminator (a
// character of a two-byte code page takes two): what a field shows is what is stored.
struct FieldLimit {
  int NotifyId;
  int MaxChars;
  std::size_t MaxBytes;
};
constexpr FieldLimit kFieldLimits[] = {
    {kServerNotifyId, kServerMaxChars, sizeof(settings::OSDSetting::MailServer) - 1},
    {kPortNotifyId, kPortMaxChars, 0},
    {kUserNotifyId, kUserMaxChars, sizeof(settings::OSDSetting::MailUser) - 1},
    {kPasswordNotifyId, kPasswordMaxChars, sizeof(settings::OSDSetting::MailPassword) - 1},
    {kIntervalNotifyId, kIntervalMaxChars, 0}};
static_assert(kServerMaxChars < static_cast<int>(sizeof(settings::OSDSetting::MailServer)));
static_assert(kUserMaxChars < static_cast<int>(sizeof(settings::OSDSetting::MailUser)));

// Which of the seven notice boxes a row of the table is: the boxes come in the record's order.
int CheckOrdinal(std::size_t index) {
  int ordinal = 0;
  for (std::size_t i = 0; i < index && i < std::size(skin::kOsdPageControls); ++i) {
    if (skin::kOsdPageControls[i].Kind == skin::ControlKind::Check) ++ordinal;
  }
  return ordinal;
}

UINT EditChangeMessage() {
  static const UINT message = ::RegisterWindowMessageA(skin::kBitmapEditChangeName);
  return message;
}

}  // namespace

bool OsdPage::OnInit() {
  if (!ConfiguratorPage::OnInit()) return false;
  for (std::size_t i = 0; i < ControlCount(); ++i) {
    skin::ColorEdit* edit = Edit(i);
    if (!edit) continue;
    edit->SetColours(kEditText, kEditBackground);
    for (const FieldLimit& limit : kFieldLimits) {
      if (limit.NotifyId != Spec().Controls[i].NotifyId) continue;
      edit->SetLimit(limit.MaxChars);
      edit->SetByteLimit(limit.MaxBytes);
    }
  }
  if (!EditChangeMessage()) platform::DebugLogLastError("RegisterWindowMessage(edit change)");
  m_model.Init();
  ShowColor(m_model.SelectedColor());
  ShowCaption();
  return true;
}

void OsdPage::Refresh() {
  const NoticesView view = m_model.Refresh();
  if (!m_hwnd) return;
  int check = 0;
  for (std::size_t i = 0; i < ControlCount(); ++i) {
    const skin::ControlSpec& spec = Spec().Controls[i];
    if (spec.Kind == skin::ControlKind::Check && check < kNoticeCheckCount) {
      if (skin::ImageButton* box = Button(i)) box->SetSelected(view.Checked[check]);
      ++check;
    }
    skin::ColorEdit* edit = Edit(i);
    if (!edit) continue;
    switch (spec.NotifyId) {
      case kServerNotifyId:
        edit->SetUserText(view.Server);
        break;
      case kPortNotifyId:
        edit->SetUserText(view.Port);
        break;
      case kUserNotifyId:
        edit->SetUserText(view.User);
        break;
      case kPasswordNotifyId:
        edit->SetUserText(view.Password);
        break;
      case kIntervalNotifyId:
        edit->SetUserText(view.Interval);
        break;
      default:
        break;
    }
  }
  ShowColor(view.SelectedColor);
  ShowCaption();
}

void OsdPage::OnCommand(int id, int code, HWND) {
  if (code != BN_CLICKED && code != BN_DOUBLECLICKED) return;
  const std::optional<std::size_t> index = IndexOfId(id);
  if (!index) return;
  const skin::ControlSpec& spec = Spec().Controls[*index];
  switch (spec.Kind) {
    case skin::ControlKind::Check: {
      const skin::ImageButton* box = Button(*index);
      if (box) m_model.OnCheck(CheckOrdinal(*index), box->Selected());
      break;
    }
    case skin::ControlKind::ColourRadio:
      m_model.OnColor(spec.Value);
      ShowColor(m_model.SelectedColor());
      break;
    case skin::ControlKind::TextButton:
      if (code == BN_CLICKED) ChooseTransparency(*index);
      break;
    default:
      break;
  }
}

bool OsdPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& directResult) {
  if (message != 0 && message == EditChangeMessage()) {
    OnEditChange(lParam);
    return true;
  }
  return ConfiguratorPage::OnMessage(message, wParam, lParam, directResult);
}

void OsdPage::ShowColor(int index) {
  for (std::size_t i = 0; i < ControlCount(); ++i) {
    const skin::ControlSpec& spec = Spec().Controls[i];
    if (spec.Kind != skin::ControlKind::ColourRadio) continue;
    if (skin::ImageButton* button = Button(i)) button->SetSelected(spec.Value == index);
  }
}

void OsdPage::ShowCaption() {
  for (std::size_t i = 0; i < ControlCount(); ++i) {
    if (Spec().Controls[i].Kind != skin::ControlKind::TextButton) continue;
    skin::ImageButton* button = Button(i);
    if (!button) continue;
    button->SetCaption(platform::WideFromSuiteText(m_model.Caption()));
    if (!::UpdateWindow(button->Hwnd())) platform::DebugLogLastError("UpdateWindow(caption)");
  }
}

void OsdPage::ChooseTransparency(std::size_t buttonIndex) {
  skin::ImageButton* button = Button(buttonIndex);
  if (!button) return;
  RECT place{};
  if (!::GetWindowRect(button->Hwnd(), &place)) {
    platform::DebugLogLastError("GetWindowRect(transparency button)");
    return;
  }
  int command = 0;
  {
    skin::SkinnedMenu menu(TransparencyMenu(), &kTransparencyMenuFont);
    command = menu.Track(m_hwnd, POINT{place.left + 1, place.bottom});
  }
  // The menu took the pointer from the button: it shows its normal look again.
  button->SetHover(false);
  if (m_model.OnTransparencyCommand(command)) ShowCaption();
}

void OsdPage::OnEditChange(LPARAM notifyId) {
  for (std::size_t i = 0; i < ControlCount(); ++i) {
    if (Spec().Controls[i].NotifyId != notifyId) continue;
    // The field holds what the user typed, in the ANSI code page the record keeps.
    if (const skin::ColorEdit* edit = Edit(i))
      m_model.OnEditChange(static_cast<int>(notifyId), edit->UserText());
    return;
  }
}

}  // namespace karvo::notify_settings
