#pragma once
// Every window of the configurator is made the same way from its row of the layout tables: a
// dialog from its empty template, sized to its background picture, its controls created in the
// table's order and cut out of the window's state pictures, its outline from the region
// picture, painted from the background without erasing, dragged by any point of its surface,
// and deaf to Enter and Escape. Top-level dialogs and child pages alike.
//
// A window built on it overrides OnInit (calling SkinnedDialog::OnInit first), OnCommand for its
// controls' clicks, OnMessage for the rest (handing what it does not handle to
// SkinnedDialog::OnMessage), and PaintOwnTexts for texts drawn on its surface.
#include <windows.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/dialog_win.h"
#include "platform/gdi_win.h"
#include "skin/skin_layout.h"
#include "skin/window_layouts.h"

namespace karvo::skin {

class ColorEdit;
class EditableList;
class ImageButton;
class PictureWindow;
class ProfileNameLabel;
class SkinSlider;

// The images a window of spec decodes as it opens, in the order it decodes them.
std::vector<int> ImagesDecodedAtOpen(const WindowSpec& spec);

class SkinnedDialog : public platform::Dialog {
 public:
  explicit SkinnedDialog(const WindowSpec& spec);
  ~SkinnedDialog() override;

  const WindowSpec& Spec() const { return m_spec; }

  // The table's rows by index: their parsed layout, their control id, and the control made for
  // them (nullptr when the row has none of that type, or before the window is built).
  std::size_t ControlCount() const { return m_spec.Controls.size(); }
  const SkinLayout* Layout(std::size_t index) const;
  RECT ControlRect(std::size_t index) const;
  int ControlId(std::size_t index) const;
  std::optional<std::size_t> IndexOfId(int id) const;
  // The row whose layout string bears this name; ControlCount() when none does, which every
  // accessor answers with nothing.
  std::size_t IndexOfName(std::string_view name) const;
  ImageButton* Button(std::size_t index) const;
  ProfileNameLabel* NameLabel(std::size_t index) const;
  ColorEdit* Edit(std::size_t index) const;
  SkinSlider* Slider(std::size_t index) const;
  EditableList* List(std::size_t index) const;
  PictureWindow* Picture(std::size_t index) const;

 protected:
  // Builds the window; false when the dialog cannot be shown at all.
  bool OnInit() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& directResult) override;
  // Draws on the background in the off-screen bitmap, transparent text mode set.
  virtual void PaintOwnTexts(HDC) {}
  // The space bar is held back from this window and everything inside it too, as Enter and
  // Escape are: a focused button would take it for a click.
  void HoldBackSpaceBar();

 private:
  struct Slot;
  // The window-sized pictures the controls are cut from; all but Normal, the background the
  // window keeps, are let go once the controls are built.
  struct StateSources {
    HBITMAP Normal;
    HBITMAP Hover;
    HBITMAP Selected;
    HBITMAP Disabled;
  };

  void LoadImages(platform::UniqueBitmap& disabled, platform::UniqueBitmap& selected,
                  platform::UniqueBitmap& hover, platform::UniqueBitmap& region);
  void Place();
  void CreateControls(const StateSources& sources);
  void CreateControl(std::size_t index, const StateSources& sources);
  void ApplyOutline(HBITMAP regionImage);
  void OnPaint();
  void OnSurfacePress(LPARAM lParam);

  const WindowSpec& m_spec;
  std::vector<std::unique_ptr<Slot>> m_slots;
  platform::UniqueBitmap m_background;
  bool m_filteringKeys = false;
};

}  // namespace karvo::skin
