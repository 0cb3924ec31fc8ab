#pragma once
// The stylised mouse seen from above that the button pages show, with a leader line
// from each of its seven buttons to the row of that button's label.
#include <cairo.h>

namespace karvo::artgen {

// At the origin, 210 x 270; `highlighted` is a button 1..7 drawn lit, 0 none.
void DrawMouse(cairo_t* cr, int highlighted);

}  // namespace karvo::artgen
