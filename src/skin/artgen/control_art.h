#pragma once
// How each kind of control looks in each of its four states, drawn at its layout
// rectangle, and what the window shows around it (captions, field frames, ticks).
#include <cairo.h>

#include "skin/artgen/paint.h"
#include "skin/window_layouts.h"

namespace karvo::artgen {

enum class ArtState { Normal, Hover, Selected, Disabled };
inline constexpr ArtState kArtStates[] = {ArtState::Normal, ArtState::Hover, ArtState::Selected,
                                          ArtState::Disabled};

Box LayoutBox(const skin::ControlSpec& control);

// Inside the control's rectangle only; `second` draws a push button's second look.
void DrawControlFace(cairo_t* cr, const skin::WindowSpec& window, const skin::ControlSpec& control,
                     const Box& box, ArtState state, bool second = false);

// The same in every state image: outside the rectangle, or under a control that
// paints itself.
void DrawControlSurroundings(cairo_t* cr, const skin::WindowSpec& window,
                             const skin::ControlSpec& control, const Box& box);

// A push button's face at the origin of a surface of its size (bitmap buttons).
void DrawPushFace(cairo_t* cr, const Box& box, ArtState state, std::string_view caption,
                  skin::Glyph mark, bool second);

}  // namespace karvo::artgen
