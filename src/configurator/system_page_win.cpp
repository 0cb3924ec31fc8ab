#include "configurator/system_page_win.h"

#include "skin/skin_messages.h"
#include "skin/skin_slider_win.h"

namespace karvo::configurator {

bool SystemPage::OnInit() {
  if (!ConfiguratorPage::OnInit()) return false;
  for (std::size_t i = 0; i < ControlCount(); ++i) {
    if (skin::SkinSlider* slider = Slider(i)) slider->SetSnap(true);
  }
  return true;
}

void SystemPage::Refresh() {
  if (!m_hwnd) return;
  const SystemView view = m_model.Refresh();
  SetSliderPosition(kDoubleClickSliderId, view.DoubleClickPosition);
  SetSliderPosition(kPointerSpeedSliderId, view.PointerSpeedPosition);
}

bool SystemPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& directResult) {
  if (message == skin::kMsgSliderPosition) {
    // Every move of a dragged thumb arrives here, so Windows follows the thumb.
    m_model.OnSlider(static_cast<int>(wParam), static_cast<int>(lParam));
    return true;
  }
  return ConfiguratorPage::OnMessage(message, wParam, lParam, directResult);
}

void SystemPage::SetSliderPosition(int sliderId, int position) {
  const std::optional<std::size_t> index = IndexOfId(sliderId);
  if (skin::SkinSlider* slider = index ? Slider(*index) : nullptr) slider->SetPosition(position);
}

}  // namespace karvo::configurator
