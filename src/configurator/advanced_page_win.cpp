#include "configurator/advanced_page_win.h"

#include "notify_settings/confirm_dialog_win.h"
#include "skin/color_edit_win.h"
#include "skin/image_button_win.h"
#include "skin/skin_messages.h"

namespace karvo::configurator {
namespace {

// The radio groups of the page's table.
constexpr int kPollingGroup = 0;
constexpr int kLightSwitchGroup = 1;
constexpr int kLightTypeGroup = 2;

constexpr COLORREF kSpeedText = RGB(0, 0, 0);
constexpr COLORREF kSpeedBackground = RGB(255, 255, 255);

}  // namespace

bool AdvancedPage::OnInit() {
  if (!ConfiguratorPage::OnInit()) return false;
  if (skin::ColorEdit* edit = SpeedEdit()) edit->SetColours(kSpeedText, kSpeedBackground);
  return true;
}

void AdvancedPage::Refresh() {
  if (!m_hwnd) return;
  const std::optional<AdvancedView> view = m_model.Refresh();
  if (!view) return;
  SelectInGroup(kPollingGroup, view->PollingRadio);
  // A light switch value that is neither on nor off leaves both radios as they were.
  if (view->LightSwitchRadio >= 0) SelectInGroup(kLightSwitchGroup, view->LightSwitchRadio);
  SelectInGroup(kLightTypeGroup, view->LightTypeRadio);
  if (skin::ColorEdit* edit = SpeedEdit()) edit->SetUserText(view->OnTheGoSpeedText);
}

void AdvancedPage::OnCommand(int id, int code, HWND) {
  const std::optional<std::size_t> index = IndexOfId(id);
  if (!index) return;
  const skin::ControlSpec& spec = Spec().Controls[*index];
  if (spec.Kind == skin::ControlKind::Push) {
    // A double click would otherwise ask twice.
    if (code == BN_CLICKED) OnReset();
    return;
  }
  if (spec.Kind != skin::ControlKind::Radio || (code != BN_CLICKED && code != BN_DOUBLECLICKED))
    return;
  switch (spec.Group) {
    case kPollingGroup:
      m_model.OnPollingRadio(spec.Value);
      break;
    case kLightSwitchGroup:
      m_model.OnLightSwitchRadio(spec.Value);
      break;
    case kLightTypeGroup:
      m_model.OnLightTypeRadio(spec.Value);
      break;
    default:
      return;
  }
  SelectInGroup(spec.Group, spec.Value);
}

bool AdvancedPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& directResult) {
  if (message == skin::kMsgEditKeyReleased) {
    // The page has one field; whatever was typed is taken at each key release.
    if (skin::ColorEdit* edit = SpeedEdit()) m_model.OnOnTheGoSpeedText(edit->UserText());
    return true;
  }
  return ConfiguratorPage::OnMessage(message, wParam, lParam, directResult);
}

void AdvancedPage::SelectInGroup(int group, int value) {
  for (std::size_t i = 0; i < ControlCount(); ++i) {
    const skin::ControlSpec& spec = Spec().Controls[i];
    if (spec.Kind != skin::ControlKind::Radio || spec.Group != group) continue;
    if (skin::ImageButton* radio = Button(i)) radio->SetSelected(spec.Value == value);
  }
}

void AdvancedPage::OnReset() {
  notify_settings::ConfirmDialog dialog;
  HWND top = ::GetAncestor(m_hwnd, GA_ROOT);
  if (!dialog.Ask(top ? top : m_hwnd)) return;
  if (m_restoreDefaults) m_restoreDefaults();
}

skin::ColorEdit* AdvancedPage::SpeedEdit() const {
  const std::optional<std::size_t> index = IndexOfId(kOnTheGoSpeedEditId);
  return index ? Edit(*index) : nullptr;
}

}  // namespace karvo::configurator
