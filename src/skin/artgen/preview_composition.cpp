#include "skin/artgen/preview_composition.h"

#include <string_view>

#include "skin/artgen/control_art.h"
#include "skin/artgen/small_art.h"
#include "skin/artgen/window_art.h"
#include "skin/slider_math.h"

namespace karvo::artgen {
namespace {

using skin::ControlKind;
using skin::WindowId;

enum StateIndex { kNormal = 0, kHover = 1, kSelected = 2, kDisabled = 3 };

void Paste(cairo_t* cr, const Surface& from, const Box& source, double x, double y) {
  cairo_save(cr);
  cairo_rectangle(cr, x, y, source.W, source.H);
  cairo_clip(cr);
  cairo_set_source_surface(cr, from.get(), x - source.X, y - source.Y);
  cairo_paint(cr);
  cairo_restore(cr);
}

// The control's crop from one state image, at its place plus an offset.
void ShowState(cairo_t* cr, const StateImages& states, WindowId window, std::size_t control,
               int state, double dx = 0, double dy = 0) {
  const skin::WindowSpec& spec = skin::FindWindowSpec(window);
  const Box box = LayoutBox(spec.Controls[control]);
  Paste(cr, states.at(window)[static_cast<std::size_t>(state)], box, box.X + dx, box.Y + dy);
}

void PlaceThumb(cairo_t* cr, const skin::ControlSpec& slider, std::int32_t value, double dx,
                double dy) {
  const Box box = LayoutBox(slider);
  const skin::ThumbSpec thumb = skin::FindThumb(slider.Slider.ThumbBitmap);
  const skin::SliderGeometry g{static_cast<std::int32_t>(box.X), static_cast<std::int32_t>(box.W),
                               thumb.Width, slider.Slider.Min, slider.Slider.Max};
  const Surface image = KeyedSurface(DrawThumb(thumb.Width, thumb.Height), kThumbKey);
  cairo_set_source_surface(cr, image.get(), skin::ThumbLeftForValue(g, value) + dx, box.Y + dy);
  cairo_paint(cr);
}

// Text as the program draws it on a control (black Arial 14 x 5 at x 5).
void ProgramText(cairo_t* cr, std::string_view text, const Box& box, const Colour& colour,
                 bool centred) {
  const Font font{12};
  if (centred) {
    DrawTextCentred(cr, text, box, font, colour);
  } else {
    DrawTextMiddle(cr, text, box.X + 5, box.CentreY(), font, colour);
  }
}

}  // namespace

Surface ComposeMainPreview(const StateImages& states) {
  const skin::WindowSpec& main = skin::FindWindowSpec(WindowId::Main);
  Surface canvas = NewSurface(main.Width, main.Height);
  Context context = NewContext(canvas);
  cairo_t* cr = context.get();
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  OutlinePath(cr, main);
  cairo_clip(cr);
  cairo_set_source_surface(cr, states.at(WindowId::Main)[kNormal].get(), 0, 0);
  cairo_paint(cr);

  for (std::size_t i = 0; i < main.Controls.size(); ++i) {
    const skin::ControlSpec& control = main.Controls[i];
    const Box box = LayoutBox(control);
    if (control.Layout.starts_with("Sensitivity,") || control.Layout.starts_with("Mode1,") ||
        control.Layout.starts_with("Profile 1,")) {
      ShowState(cr, states, WindowId::Main, i, kSelected);
    } else if (control.Layout.starts_with("Apply,")) {
      ShowState(cr, states, WindowId::Main, i, kHover);
    } else if (control.Kind == ControlKind::NameLabel) {
      static constexpr std::string_view kNames[] = {"Standard", "Shooter", "MMO", "Strategie",
                                                    "Desktop"};
      ProgramText(cr, kNames[control.Value], box,
                  control.Value == 0 ? palette::kWhite : Colour{115, 115, 115}, true);
    } else if (control.Kind == ControlKind::PageRect) {
      const WindowId pageId =
          control.Value == 0 ? WindowId::SensitivityPage : WindowId::ButtonPageMode1;
      const skin::WindowSpec& page = skin::FindWindowSpec(pageId);
      cairo_set_source_surface(cr, states.at(pageId)[kNormal].get(), box.X, box.Y);
      cairo_paint(cr);
      for (std::size_t j = 0; j < page.Controls.size(); ++j) {
        const skin::ControlSpec& c = page.Controls[j];
        const Box at = LayoutBox(c);
        if (c.Kind == ControlKind::Slider) {
          PlaceThumb(cr, c, c.Slider.Max == 7 ? 2 + 2 * static_cast<std::int32_t>(j - 3) : 11,
                     box.X, box.Y);
        } else if (c.Layout.starts_with("CpiSettingRadio1") || c.Layout.starts_with("Right")) {
          ShowState(cr, states, pageId, j, kSelected, box.X, box.Y);
        } else if (c.Kind == ControlKind::DigitsEdit) {
          static constexpr std::string_view kCpi[] = {"800", "3200", "4800"};
          ProgramText(cr, kCpi[c.Id - 400], {at.X + box.X, at.Y + box.Y, at.W, at.H},
                      palette::kWhite, false);
        } else if (c.Kind == ControlKind::ButtonLabel) {
          static constexpr std::string_view kFunctions[] = {"Klick",
                                                            "Men\xFC",
                                                            "Universeller Bildlauf",
                                                            "IE Vorw\xE4rts",
                                                            "IE R\xFC"
                                                            "ckw\xE4rts",
                                                            "CPI nach oben",
                                                            "CPI nach unten"};
          if (c.Value == 3) ShowState(cr, states, pageId, j, kHover, box.X, box.Y);
          ProgramText(cr, kFunctions[c.Value], {at.X + box.X, at.Y + box.Y, at.W, at.H},
                      palette::kBlack, false);
        } else if (c.Kind == ControlKind::Picture && c.Value == IDR_MODE1_BUTTON4_PICTURE) {
          cairo_set_source_surface(cr, DrawButtonPicture(page, 4).get(), box.X, box.Y);
          cairo_paint(cr);
        }
      }
    }
  }
  DrawText(cr, "SW2.02 / FW1.02", 670, 44, {12.5}, palette::kWhite);
  return canvas;
}

}  // namespace karvo::artgen
