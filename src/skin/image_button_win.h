#pragma once
// A button drawn from four pictures of its own size: push button, page tab, radio button or,
// in toggle mode, check box. The pictures are cut from the window's state images, or come as
// four small bitmap resources. Which one shows follows the portable state table. While the
// pointer is over the button it holds the mouse capture, and it tells its parent when the
// pointer comes and goes (kMsgHoverChanged).
#include <windows.h>

#include <string>
#include <string_view>

#include "platform/control_win.h"
#include "platform/gdi_win.h"
#include "platform/handles.h"

namespace karvo::skin {

struct ButtonImages {
  platform::UniqueBitmap Normal;
  platform::UniqueBitmap Hover;
  platform::UniqueBitmap Selected;
  platform::UniqueBitmap Disabled;
};

class ImageButton final : public platform::SubclassedControl {
 public:
  ImageButton() = default;
  // The control is let go of before it is destroyed: its tool goes here.
  ~ImageButton() override;

  // A visible owner-drawn child button at rect; never a tab stop.
  [[nodiscard]] bool Create(HWND parent, const RECT& rect, int id);

  // The four pictures cut out of window-sized sources at rect (the button's place in the
  // window); an empty source gives an empty picture.
  void SetImages(const RECT& rect, HBITMAP normalSource, HBITMAP hoverSource,
                 HBITMAP selectedSource, HBITMAP disabledSource);
  // Four bitmap resources; the button takes the size of the first.
  void SetImagesFromBitmaps(int normal, int hover, int selected, int disabled);
  // A second set of four bitmap resources the owner switches to (the record button while it
  // records); the button keeps its size.
  void SetSecondLook(int normal, int hover, int selected, int disabled);
  void ShowSecondLook(bool second);
  bool ShowsSecondLook() const { return m_showSecond; }

  void SetSelected(bool selected);
  bool Selected() const { return m_selected; }
  void SetToggleMode(bool toggle) { m_toggleMode = toggle; }
  bool ToggleMode() const { return m_toggleMode; }
  bool Hover() const { return m_hover; }
  // Shows or clears the hover look without the pointer (previews of the window's states).
  void SetHover(bool hover);
  void SetHoverId(LPARAM id) { m_hoverId = id; }
  LPARAM HoverId() const { return m_hoverId; }
  // Drawn in black on the picture, at x 5, centred vertically; mark adds a small "TM".
  void SetCaption(std::wstring caption, bool mark = false);
  // The suite's own text (Windows-1252). The buttons of one top-level window share one tooltip
  // control, owned by that window; each button is one tool of it while it lives.
  void SetTooltip(std::string_view text);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool OnDrawItem(const DRAWITEMSTRUCT& item) override;

 private:
  void OnMouseMove(WPARAM keys, POINT point);
  void OnLeftButtonDown();
  void FlipAndReport();
  void EndHover();
  void Redraw();
  void RelayToTooltip(UINT message, WPARAM wParam, LPARAM lParam);
  void RemoveTool();
  void DrawCaption(HDC dc, const RECT& rect);
  const ButtonImages& Look() const { return m_showSecond ? m_second : m_first; }

  ButtonImages m_first;
  ButtonImages m_second;
  bool m_showSecond = false;
  bool m_selected = false;
  bool m_toggleMode = false;
  bool m_hover = false;
  LPARAM m_hoverId = 0;
  std::wstring m_caption;
  bool m_captionMark = false;
  platform::UniqueFont m_captionFont;
  platform::UniqueFont m_markFont;
  HWND m_tooltip = nullptr;  // the top-level window's, borrowed
  std::wstring m_tooltipText;
};

}  // namespace karvo::skin
