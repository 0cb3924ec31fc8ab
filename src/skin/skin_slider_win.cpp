#include "skin/skin_slider_win.h"

#include "platform/debug_log.h"
#include "platform/gdi_win.h"
#include "skin/skin_images_win.h"
#include "skin/skin_messages.h"
#include "skin/slider_thumb_win.h"
#include "skin/slider_track_win.h"

namespace karvo::skin {

SkinSlider::SkinSlider() = default;
SkinSlider::~SkinSlider() = default;

bool SkinSlider::Create(int thumbBitmapId, const RECT& trackRect, HWND parent, int id) {
  if (m_track) return false;
  platform::UniqueBitmap bitmap = LoadBitmapResource(thumbBitmapId);
  if (!bitmap) return false;
  m_parent = parent;
  m_trackRect = trackRect;
  m_id = id;
  SliderInput& input = *this;
  auto track = std::make_unique<SliderTrack>(input);
  if (!track->Create(parent, trackRect)) return false;
  auto thumb = std::make_unique<SliderThumb>(input);
  const SIZE size = BitmapSize(bitmap.Get()).value_or(SIZE{});
  const POINT at{trackRect.left + (trackRect.right - trackRect.left - size.cx) / 2, trackRect.top};
  if (!thumb->Create(parent, std::move(bitmap), at)) return false;
  m_geometry.TrackLeft = trackRect.left;
  m_geometry.TrackWidth = trackRect.right - trackRect.left;
  m_geometry.ThumbWidth = size.cx;
  m_track = std::move(track);
  m_thumb = std::move(thumb);
  return true;
}

void SkinSlider::SetTrackImage(HBITMAP normalSource) {
  if (!m_track) return;
  platform::WindowDc screen(nullptr);
  platform::UniqueBitmap piece;
  if (screen) CropImage(screen.Get(), piece, normalSource, m_trackRect);
  m_track->SetImage(std::move(piece));
}

void SkinSlider::SetRange(std::int32_t min, std::int32_t max) {
  m_geometry.Min = min;
  m_geometry.Max = max;
  SetPosition(m_position);
}

void SkinSlider::SetPosition(std::int32_t value) {
  m_position = ClampSliderValue(m_geometry, value);
  MoveThumb(ThumbLeftForValue(m_geometry, m_position));
}

void SkinSlider::Enable(bool enable) {
  if (m_track) ::EnableWindow(m_track->Hwnd(), enable);
  if (m_thumb) ::EnableWindow(m_thumb->Hwnd(), enable);
}

HWND SkinSlider::TrackHwnd() const { return m_track ? m_track->Hwnd() : nullptr; }
HWND SkinSlider::ThumbHwnd() const { return m_thumb ? m_thumb->Hwnd() : nullptr; }

void SkinSlider::OnTrackClicked(std::int32_t x) {
  const double exact = ClickValueExact(m_geometry, x);
  SetPosition(ClickValue(m_geometry, x, m_snap));
  Report();
  platform::DebugLog("CclickHSlider=%f\n", exact);
}

void SkinSlider::OnThumbDragged(std::int32_t left) {
  const std::int32_t kept = ClampThumbLeft(m_geometry, left);
  MoveThumb(kept);
  m_position = DragValue(m_geometry, kept);
  Report();
}

void SkinSlider::OnThumbReleased(std::int32_t left) {
  const std::int32_t kept = ClampThumbLeft(m_geometry, left);
  const double exact = ReleaseValueExact(m_geometry, kept);
  platform::DebugLog("CPHSlider=%f\n", exact);
  m_position = ReleaseValue(m_geometry, kept, m_snap);
  Report();
  MoveThumb(m_snap ? ThumbLeftForValue(m_geometry, m_position) : kept);
}

void SkinSlider::MoveThumb(std::int32_t left) {
  if (!m_thumb) return;
  m_thumb->MoveTo({left, m_trackRect.top});
  ::UpdateWindow(m_thumb->Hwnd());
}

void SkinSlider::Report() {
  if (m_parent && !::PostMessageW(m_parent, kMsgSliderPosition, static_cast<WPARAM>(m_position),
                                  static_cast<LPARAM>(m_id))) {
    platform::DebugLogLastError("PostMessage(slider position)");
  }
}

}  // namespace karvo::skin
