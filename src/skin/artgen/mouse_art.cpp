#include "skin/artgen/mouse_art.h"

#include <cmath>
#include <string>

#include "skin/artgen/control_art.h"
#include "skin/artgen/paint.h"
#include "skin/window_layouts.h"

namespace karvo::artgen {
namespace {

namespace pal = palette;

// Mouse outline: a body of cubic curves around this centre line.
constexpr double kCx = 96;
constexpr double kTop = 22;
constexpr double kBottom = 256;

void BodyPath(cairo_t* cr) {
  cairo_new_path(cr);
  cairo_move_to(cr, kCx, kTop);
  cairo_curve_to(cr, kCx + 44, kTop, kCx + 62, kTop + 40, kCx + 60, kTop + 100);
  cairo_curve_to(cr, kCx + 58, kTop + 150, kCx + 70, kTop + 190, kCx + 48, kBottom - 12);
  cairo_curve_to(cr, kCx + 34, kBottom + 4, kCx - 34, kBottom + 4, kCx - 48, kBottom - 12);
  cairo_curve_to(cr, kCx - 70, kTop + 190, kCx - 62, kTop + 150, kCx - 60, kTop + 100);
  cairo_curve_to(cr, kCx - 62, kTop + 40, kCx - 44, kTop, kCx, kTop);
  cairo_close_path(cr);
}

// Where each button's leader line starts, and the button's own outline.
struct Anchor {
  double AnchorX, AnchorY;
};

void ButtonPath(cairo_t* cr, int button) {
  cairo_new_path(cr);
  switch (button) {
    case 1:  // left button
      cairo_move_to(cr, kCx - 6, kTop + 4);
      cairo_curve_to(cr, kCx - 36, kTop + 6, kCx - 54, kTop + 36, kCx - 55, kTop + 92);
      cairo_line_to(cr, kCx - 6, kTop + 96);
      break;
    case 2:  // right button
      cairo_move_to(cr, kCx + 6, kTop + 4);
      cairo_curve_to(cr, kCx + 36, kTop + 6, kCx + 54, kTop + 36, kCx + 55, kTop + 92);
      cairo_line_to(cr, kCx + 6, kTop + 96);
      break;
    case 3:  // wheel
      RoundedRect(cr, {kCx - 5, kTop + 26, 10, 30}, 5);
      return;
    case 4:  // side, front
      cairo_move_to(cr, kCx - 62, kTop + 112);
      cairo_curve_to(cr, kCx - 70, kTop + 116, kCx - 70, kTop + 138, kCx - 62, kTop + 142);
      cairo_line_to(cr, kCx - 56, kTop + 140);
      cairo_line_to(cr, kCx - 56, kTop + 114);
      break;
    case 5:  // side, back
      cairo_move_to(cr, kCx - 61, kTop + 148);
      cairo_curve_to(cr, kCx - 69, kTop + 152, kCx - 68, kTop + 174, kCx - 59, kTop + 178);
      cairo_line_to(cr, kCx - 54, kTop + 176);
      cairo_line_to(cr, kCx - 55, kTop + 150);
      break;
    case 6:  // top, front of the two CPI keys
      RoundedRect(cr, {kCx - 6, kTop + 66, 12, 10}, 3);
      return;
    case 7:
      RoundedRect(cr, {kCx - 6, kTop + 80, 12, 10}, 3);
      return;
    default:
      return;
  }
  cairo_close_path(cr);
}

Anchor AnchorOf(int button) {
  switch (button) {
    case 1:
      return {kCx - 30, kTop + 40};
    case 2:
      return {kCx + 32, kTop + 46};
    case 3:
      return {kCx, kTop + 41};
    case 4:
      return {kCx - 62, kTop + 127};
    case 5:
      return {kCx - 61, kTop + 163};
    case 6:
      return {kCx, kTop + 71};
    case 7:
      return {kCx, kTop + 85};
    default:
      return {kCx, kTop};
  }
}

// The middle of button n's label row on the page, from the page's layout table.
double LabelMiddle(int button) {
  const Box box = LayoutBox(skin::kButtonLabels[static_cast<std::size_t>(button - 1)]);
  return box.CentreY();
}

}  // namespace

void DrawMouse(cairo_t* cr, int highlighted) {
  cairo_save(cr);
  // Soft shadow under the body.
  cairo_save(cr);
  cairo_translate(cr, 4, 6);
  BodyPath(cr);
  SetColour(cr, pal::kBlack, 0.45);
  cairo_fill(cr);
  cairo_restore(cr);

  BodyPath(cr);
  cairo_pattern_t* shell = cairo_pattern_create_linear(kCx - 60, 0, kCx + 60, 0);
  cairo_pattern_add_color_stop_rgb(shell, 0, 0.11, 0.11, 0.13);
  cairo_pattern_add_color_stop_rgb(shell, 0.45, 0.26, 0.27, 0.30);
  cairo_pattern_add_color_stop_rgb(shell, 1, 0.09, 0.09, 0.11);
  cairo_set_source(cr, shell);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(shell);
  SetColour(cr, {96, 98, 110});
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);

  // The palm's red light strip.
  cairo_new_path(cr);
  cairo_move_to(cr, kCx - 30, kTop + 200);
  cairo_curve_to(cr, kCx - 12, kTop + 214, kCx + 12, kTop + 214, kCx + 30, kTop + 200);
  SetColour(cr, pal::kAccent);
  cairo_set_line_width(cr, 3);
  cairo_stroke(cr);
  DrawTextCentred(cr, "KARVO", {kCx - 30, kTop + 150, 60, 16}, {10, true, 1.5, true},
                  {120, 122, 134});

  for (int button = 1; button <= 7; ++button) {
    const bool lit = button == highlighted;
    if (lit) {
      // A glow around the lit button, then its face.
      cairo_save(cr);
      for (int ring = 4; ring >= 1; --ring) {
        ButtonPath(cr, button);
        SetColour(cr, pal::kAccentHigh, 0.10);
        cairo_set_line_width(cr, ring * 3);
        cairo_stroke(cr);
      }
      cairo_restore(cr);
      ButtonPath(cr, button);
      VerticalGradient(cr, {kCx - 70, kTop, 140, 190}, {238, 70, 70}, pal::kAccent);
    } else {
      ButtonPath(cr, button);
      SetColour(cr, {54, 56, 63});
    }
    cairo_fill_preserve(cr);
    SetColour(cr, lit ? Colour{255, 150, 150} : Colour{110, 112, 124});
    cairo_set_line_width(cr, lit ? 1.5 : 1);
    cairo_stroke(cr);
  }

  // Leader lines: from each button to its label's row at the picture's right edge,
  // ending in the button's number.
  for (int button = 1; button <= 7; ++button) {
    const bool lit = button == highlighted;
    const Anchor a = AnchorOf(button);
    const double row = LabelMiddle(button);
    const double bend = 168;
    cairo_new_path(cr);
    cairo_move_to(cr, a.AnchorX, a.AnchorY);
    cairo_line_to(cr, bend - std::abs(row - a.AnchorY) * 0.25, a.AnchorY);
    cairo_line_to(cr, bend, row);
    cairo_line_to(cr, 196, row);
    SetColour(cr, lit ? pal::kAccentHigh : Colour{120, 122, 134}, lit ? 1 : 0.7);
    cairo_set_line_width(cr, lit ? 1.6 : 0.9);
    cairo_stroke(cr);
    SetColour(cr, lit ? pal::kAccentHigh : Colour{150, 152, 164});
    cairo_arc(cr, a.AnchorX, a.AnchorY, lit ? 2.6 : 1.8, 0, 2 * M_PI);
    cairo_fill(cr);
    // The number badge.
    const Box badge{196, row - 7, 14, 14};
    SetColour(cr, lit ? pal::kAccent : Colour{44, 45, 51});
    ChamferRect(cr, badge, 3);
    cairo_fill_preserve(cr);
    SetColour(cr, lit ? pal::kAccentHigh : Colour{96, 98, 110});
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    const std::string number(1, static_cast<char>('0' + button));
    DrawTextCentred(cr, number, badge, {10, true}, lit ? pal::kWhite : pal::kTextDim);
  }
  cairo_restore(cr);
}

}  // namespace karvo::artgen
