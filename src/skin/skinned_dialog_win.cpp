#include "skin/skinned_dialog_win.h"

#include <windowsx.h>

#include <algorithm>

#include "platform/debug_log.h"
#include "skin/color_edit_win.h"
#include "skin/editable_list_win.h"
#include "skin/image_button_win.h"
#include "skin/picture_window_win.h"
#include "skin/profile_name_label_win.h"
#include "skin/skin_controls.h"
#include "skin/skin_images_win.h"
#include "skin/skin_slider_win.h"

namespace karvo::skin {

namespace {

using platform::DebugLog;
using platform::UniqueBitmap;

// Marks the skinned windows, so the key filter knows whose keys it holds back.
constexpr wchar_t kSkinnedProperty[] = L"KarvoSkinnedWindow";
// Marks the skinned windows that hold back the space bar as well.
constexpr wchar_t kHoldsSpaceProperty[] = L"KarvoHoldsSpaceBar";

constexpr COLORREF kOutsideColour = RGB(255, 255, 255);

// Enter and Escape never reach a skinned window or anything inside it: the dialog manager
// would make them OK and Cancel, an edit field would take them. The key-ups still come (the
// fields and lists act on them). One hook per thread, while a skinned window lives on it.
thread_local HHOOK t_keyFilter = nullptr;
thread_local int t_keyFilterUsers = 0;

// hwnd or a window it is a child of, up to its top window, carries property.
bool InsideWindowWith(HWND hwnd, const wchar_t* property) {
  while (hwnd) {
    if (::GetPropW(hwnd, property)) return true;
    if (!(::GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD)) return false;
    hwnd = ::GetParent(hwnd);
  }
  return false;
}

bool HeldBack(const MSG& msg) {
  if (msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)) {
    return InsideWindowWith(msg.hwnd, kSkinnedProperty);
  }
  // A button clicks on the release of the space bar, a check box flips then: both go.
  if ((msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) && msg.wParam == VK_SPACE) {
    return InsideWindowWith(msg.hwnd, kHoldsSpaceProperty);
  }
  return false;
}

// Menus and window moves run loops of their own, where Escape closes and Enter chooses.
bool InMenuOrMoveLoop() {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!::GetGUIThreadInfo(::GetCurrentThreadId(), &info)) return false;
  return (info.flags &
          (GUI_INMENUMODE | GUI_POPUPMENUMODE | GUI_SYSTEMMENUMODE | GUI_INMOVESIZE)) != 0;
}

LRESULT CALLBACK KeyFilter(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE && lParam != 0) {
    MSG* msg = reinterpret_cast<MSG*>(lParam);
    if (HeldBack(*msg) && !InMenuOrMoveLoop()) msg->message = WM_NULL;
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

bool AcquireKeyFilter() {
  if (t_keyFilterUsers == 0) {
    t_keyFilter = ::SetWindowsHookExW(WH_GETMESSAGE, &KeyFilter, nullptr, ::GetCurrentThreadId());
    if (!t_keyFilter) {
      platform::DebugLogLastError("SetWindowsHookEx(key filter)");
      return false;
    }
  }
  ++t_keyFilterUsers;
  return true;
}

void ReleaseKeyFilter() {
  if (t_keyFilterUsers == 0 || --t_keyFilterUsers > 0) return;
  if (!::UnhookWindowsHookEx(t_keyFilter)) platform::DebugLogLastError("UnhookWindowsHookEx");
  t_keyFilter = nullptr;
}

RECT WorkArea() {
  RECT area{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) {
    platform::DebugLogLastError("SystemParametersInfo(SPI_GETWORKAREA)");
  }
  return area;
}

// The top-left corner that centres a window of size on around, kept inside the work area.
POINT CentredOn(const RECT& around, SIZE size, const RECT& area) {
  LONG x = around.left + (around.right - around.left - size.cx) / 2;
  LONG y = around.top + (around.bottom - around.top - size.cy) / 2;
  x = std::max(area.left, std::min(x, area.right - size.cx));
  y = std::max(area.top, std::min(y, area.bottom - size.cy));
  return {x, y};
}

}  // namespace

struct SkinnedDialog::Slot {
  SkinLayout Layout;
  int Id = 0;
  std::unique_ptr<ImageButton> Button;
  std::unique_ptr<ProfileNameLabel> NameLabel;
  std::unique_ptr<ColorEdit> Edit;
  std::unique_ptr<SkinSlider> Slider;
  std::unique_ptr<EditableList> List;
  std::unique_ptr<PictureWindow> Picture;
};

SkinnedDialog::SkinnedDialog(const WindowSpec& spec) : m_spec(spec) {
  m_slots.reserve(spec.Controls.size());
  for (std::size_t i = 0; i < spec.Controls.size(); ++i) {
    auto slot = std::make_unique<Slot>();
    slot->Layout = ParseLayout(spec.Controls[i].Layout);
    slot->Id = ControlIdOf(spec.Controls[i], i);
    m_slots.push_back(std::move(slot));
  }
}

SkinnedDialog::~SkinnedDialog() {
  // The controls go before the window that holds them.
  m_slots.clear();
  if (m_hwnd) {
    ::RemovePropW(m_hwnd, kSkinnedProperty);
    ::RemovePropW(m_hwnd, kHoldsSpaceProperty);
  }
  if (m_filteringKeys) ReleaseKeyFilter();
}

const SkinLayout* SkinnedDialog::Layout(std::size_t index) const {
  return index < m_slots.size() ? &m_slots[index]->Layout : nullptr;
}

RECT SkinnedDialog::ControlRect(std::size_t index) const {
  const SkinLayout* layout = Layout(index);
  if (!layout) return {};
  return {layout->Left, layout->Top, layout->Right, layout->Bottom};
}

int SkinnedDialog::ControlId(std::size_t index) const {
  return index < m_slots.size() ? m_slots[index]->Id : 0;
}

std::optional<std::size_t> SkinnedDialog::IndexOfId(int id) const {
  for (std::size_t i = 0; i < m_slots.size(); ++i) {
    if (m_slots[i]->Id == id) return i;
  }
  return std::nullopt;
}

std::size_t SkinnedDialog::IndexOfName(std::string_view name) const {
  for (std::size_t i = 0; i < m_slots.size(); ++i) {
    if (name == m_slots[i]->Layout.Name) return i;
  }
  return m_slots.size();
}

ImageButton* SkinnedDialog::Button(std::size_t index) const {
  return index < m_slots.size() ? m_slots[index]->Button.get() : nullptr;
}

ProfileNameLabel* SkinnedDialog::NameLabel(std::size_t index) const {
  return index < m_slots.size() ? m_slots[index]->NameLabel.get() : nullptr;
}

ColorEdit* SkinnedDialog::Edit(std::size_t index) const {
  return index < m_slots.size() ? m_slots[index]->Edit.get() : nullptr;
}

SkinSlider* SkinnedDialog::Slider(std::size_t index) const {
  return index < m_slots.size() ? m_slots[index]->Slider.get() : nullptr;
}

EditableList* SkinnedDialog::List(std::size_t index) const {
  return index < m_slots.size() ? m_slots[index]->List.get() : nullptr;
}

PictureWindow* SkinnedDialog::Picture(std::size_t index) const {
  return index < m_slots.size() ? m_slots[index]->Picture.get() : nullptr;
}

bool SkinnedDialog::OnInit() {
  if (!::SetPropW(m_hwnd, kSkinnedProperty, reinterpret_cast<HANDLE>(1))) {
    platform::DebugLogLastError("SetProp(skinned window)");
  }
  if (!m_filteringKeys) m_filteringKeys = AcquireKeyFilter();
  // The surface is painted in one piece from the background: it must not paint over the
  // controls, which paint themselves.
  ::SetLastError(0);
  if (!::SetWindowLongW(m_hwnd, GWL_STYLE, ::GetWindowLongW(m_hwnd, GWL_STYLE) | WS_CLIPCHILDREN) &&
      ::GetLastError() != 0) {
    platform::DebugLogLastError("SetWindowLong(WS_CLIPCHILDREN)");
  }

  UniqueBitmap disabled;
  UniqueBitmap selected;
  UniqueBitmap hover;
  UniqueBitmap region;
  LoadImages(disabled, selected, hover, region);
  Place();
  // The background is the normal-state source too.
  CreateControls({m_background.Get(), hover.Get(), selected.Get(), disabled.Get()});
  ApplyOutline(region.Get());
  return true;
}

void SkinnedDialog::HoldBackSpaceBar() {
  if (m_hwnd && !::SetPropW(m_hwnd, kHoldsSpaceProperty, reinterpret_cast<HANDLE>(1))) {
    platform::DebugLogLastError("SetProp(space bar held back)");
  }
}

std::vector<int> ImagesDecodedAtOpen(const WindowSpec& spec) {
  const ImageSet& set = spec.Images;
  std::vector<int> ids{set.Normal, set.Disabled, set.Selected, set.Hover};
  if (spec.Shape != WindowShape::Rectangular) ids.push_back(set.Region);
  return ids;
}

void SkinnedDialog::LoadImages(UniqueBitmap& disabled, UniqueBitmap& selected, UniqueBitmap& hover,
                               UniqueBitmap& region) {
  const ImageSet& set = m_spec.Images;
  LoadSkinImage(set.Normal, m_background);
  LoadSkinImage(set.Disabled, disabled);
  LoadSkinImage(set.Selected, selected);
  LoadSkinImage(set.Hover, hover);
  // A rectangular window's region picture has no outside: decoding it would change nothing.
  if (m_spec.Shape != WindowShape::Rectangular) LoadSkinImage(set.Region, region);
}

void SkinnedDialog::Place() {
  // Without its background the window still takes the size its table gives.
  const SIZE size = BitmapSize(m_background.Get()).value_or(SIZE{m_spec.Width, m_spec.Height});
  POINT corner{0, 0};
  if (!(::GetWindowLongW(m_hwnd, GWL_STYLE) & WS_CHILD)) {
    const RECT area = WorkArea();
    RECT around = area;
    HWND owner = ::GetWindow(m_hwnd, GW_OWNER);
    if (m_spec.Id != WindowId::Main && owner && ::IsWindowVisible(owner)) {
      ::GetWindowRect(owner, &around);
    }
    corner = CentredOn(around, size, area);
  }
  if (!::SetWindowPos(m_hwnd, nullptr, corner.x, corner.y, size.cx, size.cy,
                      SWP_NOZORDER | SWP_NOACTIVATE)) {
    platform::DebugLogLastError("SetWindowPos(skinned window)");
  }
}

void SkinnedDialog::CreateControls(const StateSources& sources) {
  for (std::size_t i = 0; i < m_slots.size(); ++i) CreateControl(i, sources);
}

void SkinnedDialog::CreateControl(std::size_t index, const StateSources& sources) {
  const ControlSpec& spec = m_spec.Controls[index];
  Slot& slot = *m_slots[index];
  const RECT rect = ControlRect(index);
  switch (ControlTypeOf(spec.Kind)) {
    case SkinControlType::Button: {
      auto button = std::make_unique<ImageButton>();
      if (!button->Create(m_hwnd, rect, slot.Id)) return;
      if (spec.Kind == ControlKind::BitmapButton) {
        button->SetImagesFromBitmaps(spec.Bitmaps, spec.Bitmaps + 1, spec.Bitmaps + 2,
                                     spec.Bitmaps + 3);
      } else {
        button->SetImages(rect, sources.Normal, sources.Hover, sources.Selected, sources.Disabled);
        if (spec.Bitmaps != 0) {
          button->SetSecondLook(spec.Bitmaps, spec.Bitmaps + 1, spec.Bitmaps + 2, spec.Bitmaps + 3);
        }
      }
      button->SetToggleMode(IsToggleButton(spec.Kind));
      button->SetHoverId(spec.NotifyId);
      if (slot.Layout.Tooltip[0] != '\0') button->SetTooltip(slot.Layout.Tooltip);
      slot.Button = std::move(button);
      break;
    }
    case SkinControlType::NameLabel: {
      auto label = std::make_unique<ProfileNameLabel>();
      if (label->Create(m_hwnd, rect, slot.Id)) slot.NameLabel = std::move(label);
      break;
    }
    case SkinControlType::Picture: {
      auto picture = std::make_unique<PictureWindow>();
      if (picture->Create(m_hwnd, rect, slot.Id, spec.Value)) slot.Picture = std::move(picture);
      break;
    }
    case SkinControlType::Edit: {
      auto edit = std::make_unique<ColorEdit>();
      const ColorEdit::Input input =
          spec.Kind == ControlKind::DigitsEdit     ? ColorEdit::Input::Digits
          : spec.Kind == ControlKind::PasswordEdit ? ColorEdit::Input::Password
          : spec.Kind == ControlKind::KeyNameEdit  ? ColorEdit::Input::Shown
                                                   : ColorEdit::Input::Text;
      if (!edit->Create(m_hwnd, rect, slot.Id, input)) return;
      edit->SetLimit(spec.Limit);
      edit->SetNotifyId(spec.NotifyId);
      slot.Edit = std::move(edit);
      break;
    }
    case SkinControlType::Slider: {
      auto slider = std::make_unique<SkinSlider>();
      if (!slider->Create(spec.Slider.ThumbBitmap, rect, m_hwnd, slot.Id)) return;
      slider->SetTrackImage(sources.Normal);
      slider->SetRange(spec.Slider.Min, spec.Slider.Max);
      slot.Slider = std::move(slider);
      break;
    }
    case SkinControlType::List: {
      auto list = std::make_unique<EditableList>();
      if (list->Create(m_hwnd, rect, slot.Id)) slot.List = std::move(list);
      break;
    }
    case SkinControlType::None:
      break;
  }
}

void SkinnedDialog::ApplyOutline(HBITMAP regionImage) {
  platform::UniqueRegion outline = RegionFromImage(regionImage, kOutsideColour, RGB(0, 0, 0));
  if (!outline) return;
  // A region image without white leaves the window as it is: rectangular, without a region.
  RECT window{};
  ::GetWindowRect(m_hwnd, &window);
  platform::UniqueRegion whole(
      ::CreateRectRgn(0, 0, window.right - window.left, window.bottom - window.top));
  if (whole && ::EqualRgn(outline.Get(), whole.Get())) return;
  if (!::SetWindowRgn(m_hwnd, outline.Get(), TRUE)) {
    platform::DebugLogLastError("SetWindowRgn");
    return;
  }
  outline.Release();  // the window owns it now
}

bool SkinnedDialog::OnMessage(UINT message, WPARAM, LPARAM lParam, INT_PTR&) {
  switch (message) {
    case WM_PAINT:
      OnPaint();
      return true;
    case WM_ERASEBKGND:
      SetMsgResult(1);
      return true;
    case WM_LBUTTONDOWN:
      OnSurfacePress(lParam);
      return true;
    case WM_NCDESTROY:
      ::RemovePropW(m_hwnd, kSkinnedProperty);
      ::RemovePropW(m_hwnd, kHoldsSpaceProperty);
      return false;
    default:
      return false;
  }
}

void SkinnedDialog::OnPaint() {
  platform::PaintDc paint(m_hwnd);
  if (!paint) return;
  // Only what needs painting: a dragged slider thumb uncovers a few pixels of a page at a
  // time, and copying the whole window for each would slow the drag down.
  const RECT area = paint.Area();
  platform::DoubleBuffer buffer(paint.Get(), area);
  HDC dc = buffer.Get();
  bool drawn = false;
  if (m_background) {
    platform::MemoryDc source(dc);
    platform::SelectScope selected(source.Get(), m_background.Get());
    drawn = source && selected &&
            ::BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top,
                     source.Get(), area.left, area.top, SRCCOPY);
    if (!drawn) platform::DebugLogLastError("BitBlt of a skinned window's background");
  }
  if (!drawn) ::FillRect(dc, &area, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
  ::SetBkMode(dc, TRANSPARENT);
  PaintOwnTexts(dc);
  buffer.Flush();
}

void SkinnedDialog::OnSurfacePress(LPARAM lParam) {
  // A press on the surface is a press on the caption of the top window: a child page moves
  // the window it belongs to.
  HWND top = ::GetAncestor(m_hwnd, GA_ROOT);
  if (!top) return;
  POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ::ClientToScreen(m_hwnd, &point);
  ::ReleaseCapture();
  ::SendMessageW(top, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(point.x, point.y));
}

}  // namespace karvo::skin
