#include "configurator/sensitivity_page_win.h"

#include "skin/color_edit_win.h"
#include "skin/image_button_win.h"
#include "skin/skin_messages.h"
#include "skin/skin_slider_win.h"

namespace karvo::configurator {
namespace {

constexpr int kCpiValueEditId1 = 400;  // 401 and 402 for levels 2 and 3
constexpr COLORREF kCpiValueText = RGB(255, 255, 255);
// The middle level's field sits on a lighter band of the artwork.
constexpr COLORREF kCpiValueBackground[kCpiLevelCount] = {RGB(6, 50, 79), RGB(4, 84, 123),
                                                          RGB(6, 50, 79)};

}  // namespace

bool SensitivityPage::OnInit() {
  if (!ConfiguratorPage::OnInit()) return false;
  for (std::size_t i = 0; i < ControlCount(); ++i) {
    if (skin::SkinSlider* slider = Slider(i)) slider->SetSnap(true);
  }
  for (int level = 0; level < kCpiLevelCount; ++level) {
    const std::optional<std::size_t> index = IndexOfId(kCpiValueEditId1 + level);
    if (skin::ColorEdit* edit = index ? Edit(*index) : nullptr)
      edit->SetColours(kCpiValueText, kCpiValueBackground[level]);
  }
  return true;
}

void SensitivityPage::Refresh() {
  if (!m_hwnd) return;
  const std::optional<SensitivityView> view = m_model.Refresh();
  if (!view) return;
  for (std::size_t i = 0; i < ControlCount(); ++i) {
    if (Spec().Controls[i].Kind != skin::ControlKind::Check) continue;
    if (skin::ImageButton* box = Button(i)) box->SetSelected(view->XYSynch);
  }
  SetSliderPosition(kXSliderId, view->XPosition);
  SetSliderPosition(kYSliderId, view->YPosition);
  ShowDefaultLevel(view->DefaultLevel);
  for (int level = 0; level < kCpiLevelCount; ++level) {
    SetSliderPosition(kCpiSliderId1 + level, view->CpiPosition[level]);
    ShowCpiText(level, view->CpiText[level]);
  }
}

void SensitivityPage::OnCommand(int id, int code, HWND) {
  // Every notification of the page's controls counts, the change that follows a value
  // field's update included: the model gathers the CPI steps in use on each of them.
  const std::optional<std::size_t> index = IndexOfId(id);
  if (!index) return;
  const skin::ControlSpec& spec = Spec().Controls[*index];
  const bool click = code == BN_CLICKED || code == BN_DOUBLECLICKED;
  SensitivityCommand command = SensitivityCommand::kOther;
  bool xySynchSelected = false;
  if (click && spec.Kind == skin::ControlKind::Check) {
    command = SensitivityCommand::kXYSynch;
    if (const skin::ImageButton* box = Button(*index)) xySynchSelected = box->Selected();
  } else if (click && spec.Kind == skin::ControlKind::Radio && spec.Value >= 0 &&
             spec.Value < kCpiLevelCount) {
    command = static_cast<SensitivityCommand>(static_cast<int>(SensitivityCommand::kDefaultRadio1) +
                                              spec.Value);
  }
  const int selected = m_model.OnCommand(command, xySynchSelected);
  if (selected >= 0) ShowDefaultLevel(selected);
}

bool SensitivityPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& directResult) {
  if (message == skin::kMsgSliderPosition) {
    OnSlider(static_cast<int>(wParam), static_cast<int>(lParam));
    return true;
  }
  return ConfiguratorPage::OnMessage(message, wParam, lParam, directResult);
}

void SensitivityPage::OnSlider(int position, int sliderId) {
  const SliderEcho echo = m_model.OnSlider(position, sliderId);
  if (echo.MirrorSliderId != 0) SetSliderPosition(echo.MirrorSliderId, echo.MirrorPosition);
  if (echo.ValueField >= 0) ShowCpiText(echo.ValueField, echo.ValueText);
}

void SensitivityPage::ShowDefaultLevel(int level) {
  // No default level (a profile that never had one) shows no radio selected.
  for (std::size_t i = 0; i < ControlCount(); ++i) {
    const skin::ControlSpec& spec = Spec().Controls[i];
    if (spec.Kind != skin::ControlKind::Radio) continue;
    if (skin::ImageButton* radio = Button(i)) radio->SetSelected(spec.Value == level);
  }
}

void SensitivityPage::ShowCpiText(int level, const std::string& text) {
  const std::optional<std::size_t> index = IndexOfId(kCpiValueEditId1 + level);
  if (skin::ColorEdit* edit = index ? Edit(*index) : nullptr) edit->SetUserText(text);
}

void SensitivityPage::SetSliderPosition(int sliderId, int position) {
  const std::optional<std::size_t> index = IndexOfId(sliderId);
  if (skin::SkinSlider* slider = index ? Slider(*index) : nullptr) slider->SetPosition(position);
}

}  // namespace karvo::configurator
