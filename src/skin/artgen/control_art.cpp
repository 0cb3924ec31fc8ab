#include "skin/artgen/control_art.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "osd/appearance.h"
#include "skin/skin_layout.h"
#include "skin/slider_math.h"

namespace karvo::artgen {
namespace {

using skin::CaptionPlace;
using skin::ControlKind;
using skin::ControlSpec;
using skin::Glyph;
using skin::WindowSpec;
namespace pal = palette;

struct Look {
  Colour Top, Bottom, Border, Text;
  double BorderWidth = 1;
};

Look ButtonLook(ArtState state) {
  switch (state) {
    case ArtState::Hover:
      return {{84, 86, 96}, {52, 53, 60}, pal::kAccentHigh, pal::kWhite, 1.5};
    case ArtState::Selected:
      return {{206, 44, 44}, {124, 20, 20}, {236, 92, 92}, pal::kWhite, 1};
    case ArtState::Disabled:
      return {{36, 37, 41}, {33, 34, 38}, {50, 52, 58}, pal::kTextOff, 1};
    case ArtState::Normal:
      break;
  }
  return {{62, 63, 71}, {37, 38, 43}, {86, 88, 99}, {214, 215, 222}, 1};
}

void FillAndStroke(cairo_t* cr, const Box& box, const Look& look) {
  VerticalGradient(cr, box, look.Top, look.Bottom);
  cairo_fill_preserve(cr);
  SetColour(cr, look.Border);
  cairo_set_line_width(cr, look.BorderWidth);
  cairo_stroke(cr);
}

void DrawGlyph(cairo_t* cr, Glyph glyph, const Box& box, const Colour& colour) {
  SetColour(cr, colour);
  cairo_set_line_width(cr, 1.8);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  const double cx = box.CentreX(), cy = box.CentreY();
  switch (glyph) {
    case Glyph::Close:
      cairo_move_to(cr, cx - 4.5, cy - 4.5);
      cairo_line_to(cr, cx + 4.5, cy + 4.5);
      cairo_move_to(cr, cx + 4.5, cy - 4.5);
      cairo_line_to(cr, cx - 4.5, cy + 4.5);
      cairo_stroke(cr);
      break;
    case Glyph::Minimise:
      cairo_move_to(cr, cx - 5, cy + 3.5);
      cairo_line_to(cr, cx + 5, cy + 3.5);
      cairo_stroke(cr);
      break;
    case Glyph::DropDown:
      cairo_move_to(cr, box.Right() - 13, cy - 2);
      cairo_line_to(cr, box.Right() - 5, cy - 2);
      cairo_line_to(cr, box.Right() - 9, cy + 2.5);
      cairo_close_path(cr);
      cairo_fill(cr);
      break;
    case Glyph::Browse:
      for (int i = -1; i <= 1; ++i) {
        cairo_arc(cr, cx + i * 5, cy + 1, 1.4, 0, 2 * M_PI);
        cairo_fill(cr);
      }
      break;
    case Glyph::Record:
    case Glyph::None:
      break;
  }
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

// The thin command bars under the profile slots: a small-caps word with a marker.
void DrawBarButton(cairo_t* cr, const ControlSpec& control, const Box& box, ArtState state) {
  Colour text = pal::kTextDim;
  if (state == ArtState::Hover || state == ArtState::Selected) {
    SetColour(cr, state == ArtState::Hover ? Colour{58, 24, 26} : pal::kAccent);
    cairo_rectangle(cr, box.X, box.Y, box.W, box.H);
    cairo_fill(cr);
    SetColour(cr, pal::kAccentHigh);
    cairo_rectangle(cr, box.X, box.Bottom() - 1, box.W, 1);
    cairo_fill(cr);
    text = pal::kWhite;
  }
  if (state == ArtState::Disabled) text = pal::kTextOff;
  SetColour(cr, state == ArtState::Disabled ? pal::kTextOff : pal::kAccentHigh);
  cairo_move_to(cr, box.X + 3, box.Y + 1.5);
  cairo_line_to(cr, box.X + 7, box.CentreY());
  cairo_line_to(cr, box.X + 3, box.Bottom() - 1.5);
  cairo_close_path(cr);
  if (state == ArtState::Selected) SetColour(cr, pal::kWhite);
  cairo_fill(cr);
  DrawTextCentred(cr, control.Caption, {box.X + 8, box.Y, box.W - 8, box.H},
                  {box.H - 0.5, true, 0.6}, text);
}

void DrawTab(cairo_t* cr, const ControlSpec& control, const Box& box, ArtState state) {
  const Box body{box.X + 0.5, box.Y + 0.5, box.W - 1, box.H};
  cairo_new_path(cr);
  cairo_move_to(cr, body.X, body.Bottom());
  cairo_line_to(cr, body.X, body.Y + 7);
  cairo_line_to(cr, body.X + 7, body.Y);
  cairo_line_to(cr, body.Right() - 7, body.Y);
  cairo_line_to(cr, body.Right(), body.Y + 7);
  cairo_line_to(cr, body.Right(), body.Bottom());
  Look look = ButtonLook(state);
  if (state == ArtState::Normal) look = {{44, 45, 51}, {28, 29, 33}, pal::kLine, pal::kTextDim};
  FillAndStroke(cr, body, look);
  if (state == ArtState::Hover || state == ArtState::Selected) {
    SetColour(cr, state == ArtState::Hover ? pal::kAccentHigh : Colour{255, 120, 120});
    cairo_rectangle(cr, box.X + 8, box.Y + 1, box.W - 16, 2);
    cairo_fill(cr);
  }
  DrawTextCentred(cr, control.Caption, {box.X, box.Y + 2, box.W, box.H - 2},
                  {13, state == ArtState::Selected}, look.Text);
}

void DrawButton(cairo_t* cr, const ControlSpec& control, const Box& box, ArtState state,
                bool second) {
  DrawPushFace(cr, box, state, second ? control.AltCaption : control.Caption, control.Mark, second);
}

void DrawSlot(cairo_t* cr, const ControlSpec& control, const Box& box, ArtState state) {
  const Look look = ButtonLook(state);
  ChamferRect(cr, box.Inset(0.5), 5);
  FillAndStroke(cr, box.Inset(0.5), look);
  // A status light: lit red when the slot is active.
  const Colour led = state == ArtState::Selected   ? pal::kWhite
                     : state == ArtState::Hover    ? pal::kAccentHigh
                     : state == ArtState::Disabled ? Colour{44, 45, 50}
                                                   : Colour{90, 30, 32};
  SetColour(cr, led);
  cairo_rectangle(cr, box.X + 6, box.CentreY() - 2, 4, 4);
  cairo_fill(cr);
  DrawTextCentred(cr, control.Caption, {box.X + 8, box.Y, box.W - 8, box.H}, {12, true}, look.Text);
}

void DrawBox(cairo_t* cr, const Box& box, ArtState state, bool round) {
  const Box b = box.Inset(0.5);
  const double r = round ? b.W / 2 : 2;
  Look look;
  switch (state) {
    case ArtState::Hover:
      look = {{62, 64, 72}, {46, 47, 54}, pal::kAccentHigh, pal::kWhite, 1.4};
      break;
    case ArtState::Selected:
      look = {{214, 50, 50}, {140, 22, 22}, {240, 110, 110}, pal::kWhite, 1};
      break;
    case ArtState::Disabled:
      look = {{28, 28, 32}, {26, 26, 30}, {54, 55, 61}, pal::kTextOff, 1};
      break;
    case ArtState::Normal:
      look = {{16, 16, 19}, {30, 31, 35}, {122, 124, 136}, pal::kText, 1};
      break;
  }
  RoundedRect(cr, b, r);
  FillAndStroke(cr, b, look);
  if (state != ArtState::Selected) return;
  SetColour(cr, pal::kWhite);
  if (round) {
    cairo_arc(cr, b.CentreX(), b.CentreY(), b.W * 0.2, 0, 2 * M_PI);
    cairo_fill(cr);
  } else {
    cairo_set_line_width(cr, 1.7);
    cairo_move_to(cr, b.X + b.W * 0.2, b.Y + b.H * 0.52);
    cairo_line_to(cr, b.X + b.W * 0.42, b.Y + b.H * 0.74);
    cairo_line_to(cr, b.X + b.W * 0.8, b.Y + b.H * 0.26);
    cairo_stroke(cr);
  }
}

void DrawColourRadio(cairo_t* cr, const ControlSpec& control, const Box& box, ArtState state) {
  const auto index = static_cast<std::size_t>(std::clamp(control.Value, 0, osd::kColourCount - 1));
  const osd::Rgb rgb = osd::kColourSchemes[index].background;
  Colour swatch{static_cast<double>(rgb.red), static_cast<double>(rgb.green),
                static_cast<double>(rgb.blue)};
  const double cx = box.CentreX(), cy = box.CentreY();
  const double r = box.W / 2;
  SetColour(cr, pal::kPanel);
  cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
  cairo_fill(cr);
  if (state == ArtState::Disabled) swatch = swatch.Mix({60, 60, 64}, 0.7);
  const double inner = state == ArtState::Normal || state == ArtState::Disabled ? r - 1 : r - 2.2;
  SetColour(cr, swatch);
  cairo_arc(cr, cx, cy, inner, 0, 2 * M_PI);
  cairo_fill(cr);
  if (state == ArtState::Hover || state == ArtState::Selected) {
    SetColour(cr, state == ArtState::Hover ? Colour{190, 190, 198} : pal::kWhite);
    cairo_set_line_width(cr, state == ArtState::Hover ? 1 : 1.6);
    cairo_arc(cr, cx, cy, r - 0.8, 0, 2 * M_PI);
    cairo_stroke(cr);
  }
  if (state == ArtState::Selected) {
    SetColour(cr, pal::kWhite);
    cairo_arc(cr, cx, cy, 1.8, 0, 2 * M_PI);
    cairo_fill(cr);
  }
}

// Light fields that carry text the program draws in black.
void DrawLightField(cairo_t* cr, const ControlSpec& control, const Box& box, ArtState state) {
  Look look;
  switch (state) {
    case ArtState::Hover:
      look = {{250, 250, 252}, {226, 227, 232}, pal::kAccentHigh, pal::kBlack, 1.2};
      break;
    case ArtState::Selected:
      look = {{246, 206, 206}, {228, 168, 168}, pal::kAccent, pal::kBlack, 1.2};
      break;
    case ArtState::Disabled:
      look = {{96, 97, 104}, {84, 85, 92}, {70, 71, 78}, pal::kBlack, 1};
      break;
    case ArtState::Normal:
      look = {{222, 223, 228}, {194, 196, 203}, {120, 122, 132}, pal::kBlack, 1};
      break;
  }
  const Box b = box.Inset(0.5);
  cairo_rectangle(cr, b.X, b.Y, b.W, b.H);
  FillAndStroke(cr, b, look);
  if (control.Kind == ControlKind::ButtonLabel) {
    SetColour(cr, state == ArtState::Disabled ? Colour{70, 71, 78} : pal::kAccent);
    cairo_rectangle(cr, box.X + 1, box.Y + 1, 3, box.H - 2);
    cairo_fill(cr);
  }
  if (control.Mark != Glyph::None) {
    DrawGlyph(cr, control.Mark, box,
              state == ArtState::Disabled ? Colour{60, 60, 66} : Colour{40, 40, 46});
  }
}

void DrawSliderTrack(cairo_t* cr, const ControlSpec& control, const Box& box) {
  const skin::ThumbSpec thumb = skin::FindThumb(control.Slider.ThumbBitmap);
  const double groove = box.Y + thumb.Height / 2.0;
  const double top = std::min(groove - 2, box.Bottom() - 4);
  SetColour(cr, {8, 8, 10});
  RoundedRect(cr, {box.X + 1, top, box.W - 2, 4}, 2);
  cairo_fill_preserve(cr);
  SetColour(cr, pal::kLine);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  // A red glow along the groove's lower edge.
  SetColour(cr, pal::kAccent, 0.8);
  cairo_rectangle(cr, box.X + 3, top + 3, box.W - 6, 1);
  cairo_fill(cr);
}

skin::SliderGeometry GeometryOf(const ControlSpec& control, const Box& box) {
  const skin::ThumbSpec thumb = skin::FindThumb(control.Slider.ThumbBitmap);
  return {static_cast<std::int32_t>(box.X), static_cast<std::int32_t>(box.W), thumb.Width,
          control.Slider.Min, control.Slider.Max};
}

void DrawSliderScale(cairo_t* cr, const WindowSpec& window, const ControlSpec& control,
                     const Box& box) {
  const skin::ThumbSpec thumb = skin::FindThumb(control.Slider.ThumbBitmap);
  const skin::SliderGeometry g = GeometryOf(control, box);
  const double tickTop = box.Y + thumb.Height + 2;
  const bool cpi = control.Slider.Max == 7 && window.Id == skin::WindowId::SensitivityPage;
  static constexpr const char* kCpiValues[] = {"400",  "800",  "1600", "3200",
                                               "4000", "4800", "6400"};
  for (std::int32_t v = g.Min; v <= g.Max; ++v) {
    const double x = skin::ThumbLeftForValue(g, v) + thumb.Width / 2.0;
    const bool major = v == g.Min || v == g.Max || cpi;
    SetColour(cr, major ? pal::kTextDim : pal::kLine);
    cairo_rectangle(cr, std::floor(x), tickTop, 1, major ? 4 : 3);
    cairo_fill(cr);
    if (cpi) {
      const Font font{9.5};
      const std::string_view label = kCpiValues[v - 1];
      DrawText(cr, label, std::round(x - TextWidth(cr, label, font) / 2), tickTop + 14, font,
               pal::kTextDim);
    }
  }
  // Only the system page has room for the ends' words under its scales.
  if (window.Id == skin::WindowId::SystemPage) {
    const Font font{10};
    DrawText(cr, "langsam", box.X, tickTop + 15, font, pal::kTextOff.Mix(pal::kTextDim, 0.6));
    const double w = TextWidth(cr, "schnell", font);
    DrawText(cr, "schnell", box.Right() - w, tickTop + 15, font,
             pal::kTextOff.Mix(pal::kTextDim, 0.6));
  }
}

Colour EditBackground(const WindowSpec& window, const ControlSpec& control) {
  // The fields paint themselves; underneath they look as they will.
  if (window.Id == skin::WindowId::SensitivityPage) {
    return control.Id == 401 ? Colour{4, 84, 123} : Colour{6, 50, 79};
  }
  if (window.Id == skin::WindowId::ProgramDialog) return pal::kBlack;
  return pal::kWhite;
}

void DrawFieldFrame(cairo_t* cr, const Box& box) {
  SetColour(cr, {10, 10, 12});
  cairo_rectangle(cr, box.X - 2, box.Y - 2, box.W + 4, box.H + 4);
  cairo_fill(cr);
  SetColour(cr, pal::kLine);
  cairo_set_line_width(cr, 1);
  cairo_rectangle(cr, box.X - 1.5, box.Y - 1.5, box.W + 3, box.H + 3);
  cairo_stroke(cr);
  SetColour(cr, pal::kAccent);
  cairo_rectangle(cr, box.X - 1, box.Bottom() + 1, box.W + 2, 1);
  cairo_fill(cr);
}

CaptionPlace PlaceOf(const ControlSpec& control) {
  if (control.Place != CaptionPlace::Auto) return control.Place;
  switch (control.Kind) {
    case ControlKind::Radio:
    case ControlKind::Check:
    case ControlKind::ColourRadio:
      return CaptionPlace::Right;
    case ControlKind::Slider:
    case ControlKind::EditableList:
      return CaptionPlace::Above;
    case ControlKind::Edit:
    case ControlKind::DigitsEdit:
    case ControlKind::PasswordEdit:
    case ControlKind::KeyNameEdit:
      return CaptionPlace::Left;
    default:
      return CaptionPlace::Inside;
  }
}

}  // namespace

Box LayoutBox(const ControlSpec& control) {
  const skin::SkinLayout layout = skin::ParseLayout(control.Layout);
  return {static_cast<double>(layout.Left), static_cast<double>(layout.Top),
          static_cast<double>(layout.Right - layout.Left),
          static_cast<double>(layout.Bottom - layout.Top)};
}

void DrawPushFace(cairo_t* cr, const Box& box, ArtState state, std::string_view caption, Glyph mark,
                  bool second) {
  Look look = ButtonLook(state);
  if (second && state != ArtState::Disabled) {
    // Recording: lit red whatever the pointer does, brighter under it.
    look = state == ArtState::Normal
               ? Look{{176, 30, 30}, {110, 16, 16}, {220, 70, 70}, pal::kWhite}
               : Look{{226, 60, 60}, {150, 24, 24}, {255, 150, 150}, pal::kWhite};
  }
  const Box b = box.Inset(0.5);
  if (mark == Glyph::Close || mark == Glyph::Minimise) {
    if (state == ArtState::Hover && mark == Glyph::Close) {
      look = {{214, 46, 46}, {150, 24, 24}, {240, 100, 100}, pal::kWhite};
    }
    RoundedRect(cr, b, 3);
    FillAndStroke(cr, b, look);
    DrawGlyph(cr, mark, box, look.Text);
    return;
  }
  ChamferRect(cr, b, std::min(4.0, b.H / 4));
  FillAndStroke(cr, b, look);
  // A faint highlight along the top edge gives the face some depth.
  SetColour(cr, pal::kWhite, state == ArtState::Disabled ? 0.03 : 0.10);
  cairo_rectangle(cr, box.X + 3, box.Y + 1, box.W - 6, 1);
  cairo_fill(cr);
  Box text = box;
  if (mark == Glyph::Record) {
    const double cx = box.X + 13, cy = box.CentreY();
    if (second) {
      SetColour(cr, pal::kWhite);
      cairo_rectangle(cr, cx - 3.5, cy - 3.5, 7, 7);
    } else {
      SetColour(cr, state == ArtState::Disabled   ? Colour{80, 30, 30}
                    : state == ArtState::Selected ? pal::kWhite
                                                  : Colour{236, 40, 40});
      cairo_arc(cr, cx, cy, 4.5, 0, 2 * M_PI);
    }
    cairo_fill(cr);
    text = {box.X + 20, box.Y, box.W - 22, box.H};
  } else if (mark != Glyph::None) {
    DrawGlyph(cr, mark, box, look.Text);
    return;
  }
  DrawTextCentred(cr, caption, text, {std::min(12.0, box.H * 0.62), true}, look.Text);
}

void DrawControlFace(cairo_t* cr, const WindowSpec& window, const ControlSpec& control,
                     const Box& box, ArtState state, bool second) {
  cairo_save(cr);
  cairo_rectangle(cr, box.X, box.Y, box.W, box.H);
  cairo_clip(cr);
  switch (control.Kind) {
    case ControlKind::Tab:
      DrawTab(cr, control, box, state);
      break;
    case ControlKind::Push:
      if (box.H < 12) {
        DrawBarButton(cr, control, box, state);
      } else {
        DrawButton(cr, control, box, state, second);
      }
      break;
    case ControlKind::Slot:
    case ControlKind::Mode:
      DrawSlot(cr, control, box, state);
      break;
    case ControlKind::Radio:
      DrawBox(cr, {box.X, box.Y, std::min(box.W, box.H), std::min(box.W, box.H)}, state, true);
      break;
    case ControlKind::Check:
      DrawBox(cr, box, state, false);
      break;
    case ControlKind::ColourRadio:
      DrawColourRadio(cr, control, box, state);
      break;
    case ControlKind::TextButton:
    case ControlKind::ButtonLabel:
      DrawLightField(cr, control, box, state);
      break;
    case ControlKind::BitmapButton:
      DrawPushFace(cr, box, state, "", control.Mark, false);
      break;
    case ControlKind::NameLabel:
      SetColour(cr, {206, 206, 214});
      cairo_paint(cr);
      break;
    case ControlKind::EditableList:
      SetColour(cr, {90, 106, 120});
      cairo_paint(cr);
      break;
    case ControlKind::Edit:
    case ControlKind::DigitsEdit:
    case ControlKind::PasswordEdit:
    case ControlKind::KeyNameEdit:
      SetColour(cr, EditBackground(window, control));
      cairo_paint(cr);
      break;
    case ControlKind::Slider:
      DrawSliderTrack(cr, control, box);
      break;
    case ControlKind::PageRect:
    case ControlKind::ChildPos:
    case ControlKind::Picture:
      break;
  }
  cairo_restore(cr);
}

void DrawControlSurroundings(cairo_t* cr, const WindowSpec& window, const ControlSpec& control,
                             const Box& box) {
  switch (control.Kind) {
    case ControlKind::Edit:
    case ControlKind::DigitsEdit:
    case ControlKind::PasswordEdit:
    case ControlKind::KeyNameEdit:
    case ControlKind::EditableList:
      DrawFieldFrame(cr, box);
      break;
    case ControlKind::NameLabel:
      SetColour(cr, pal::kLine);
      cairo_set_line_width(cr, 1);
      cairo_rectangle(cr, box.X - 0.5, box.Y - 0.5, box.W + 1, box.H + 1);
      cairo_stroke(cr);
      break;
    case ControlKind::Slider:
      DrawSliderScale(cr, window, control, box);
      break;
    default:
      break;
  }
  if (control.Caption.empty()) return;
  const Font font{12};
  const Colour colour = pal::kText.Mix(pal::kTextDim, 0.35);
  switch (PlaceOf(control)) {
    case CaptionPlace::Right:
      DrawTextMiddle(cr, control.Caption, box.Right() + 6, box.Y + std::min(box.W, box.H) / 2, font,
                     colour);
      break;
    case CaptionPlace::Left:
      DrawTextMiddle(cr, control.Caption, box.X - 9, box.CentreY(), font, colour, true);
      break;
    case CaptionPlace::Above:
      DrawText(cr, control.Caption, box.X, box.Y - 7, font, colour);
      break;
    case CaptionPlace::Inside:
    case CaptionPlace::Auto:
      break;
  }
}

}  // namespace karvo::artgen
