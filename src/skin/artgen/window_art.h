#pragma once
// Each window's outline and the part of its artwork that is the same in every state
// image: surface, titles, section headings, hints and the surroundings of controls.
#include <cairo.h>

#include <cstdint>
#include <vector>

#include "skin/artgen/paint.h"
#include "skin/window_layouts.h"

namespace karvo::artgen {

// The window's outline as a path.
void OutlinePath(cairo_t* cr, const skin::WindowSpec& window);

// 1 for every pixel inside the outline, row by row.
std::vector<std::uint8_t> OutlineMask(const skin::WindowSpec& window);

// Everything but the controls' faces.
Surface DrawStaticLayer(const skin::WindowSpec& window);

// A button page's hover picture: the page's top-left corner with button 1..7 lit.
Surface DrawButtonPicture(const skin::WindowSpec& page, int button);

}  // namespace karvo::artgen
