#pragma once
// Drawing helpers of the artwork generator: owned Cairo objects, the palette, text in
// Liberation Sans (metric-compatible with the Arial the program draws with), and the
// shapes that recur across the windows.
#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace karvo::artgen {

struct SurfaceDeleter {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
  void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using Context = std::unique_ptr<cairo_t, ContextDeleter>;

Surface NewSurface(int width, int height, bool alpha = false);
Context NewContext(const Surface& surface);
Surface CopySurface(const Surface& surface);

struct Colour {
  double R, G, B;  // 0..255
  Colour Mix(const Colour& other, double t) const {
    return {R + (other.R - R) * t, G + (other.G - G) * t, B + (other.B - B) * t};
  }
  Colour Scaled(double f) const { return {R * f, G * f, B * f}; }
};

namespace palette {
inline constexpr Colour kBackdrop{16, 16, 19};
inline constexpr Colour kSurface{29, 30, 34};
inline constexpr Colour kSurfaceHigh{42, 43, 49};
inline constexpr Colour kPanel{22, 23, 26};
inline constexpr Colour kLine{64, 66, 74};
inline constexpr Colour kLineSoft{44, 46, 52};
// The one accent: the red of the popup menu's selection.
inline constexpr Colour kAccent{165, 28, 28};
inline constexpr Colour kAccentHigh{214, 46, 46};
inline constexpr Colour kAccentLow{96, 16, 16};
inline constexpr Colour kText{236, 236, 240};
inline constexpr Colour kTextDim{158, 160, 170};
inline constexpr Colour kTextOff{82, 84, 92};
inline constexpr Colour kField{218, 219, 224};
inline constexpr Colour kWhite{255, 255, 255};
inline constexpr Colour kBlack{0, 0, 0};
}  // namespace palette

void SetColour(cairo_t* cr, const Colour& c, double alpha = 1.0);

struct Box {
  double X, Y, W, H;
  double Right() const { return X + W; }
  double Bottom() const { return Y + H; }
  double CentreX() const { return X + W / 2; }
  double CentreY() const { return Y + H / 2; }
  Box Inset(double d) const { return {X + d, Y + d, W - 2 * d, H - 2 * d}; }
};

// Windows-1252 as the product stores its texts, to the UTF-8 Cairo wants.
std::string Utf8(std::string_view cp1252);

struct Font {
  double Size;
  bool Bold = false;
  double Tracking = 0;  // extra pixels between letters
  bool Italic = false;
  bool Narrow = false;  // Liberation Sans Narrow, Arial Narrow's twin, for tight buttons
};

double TextWidth(cairo_t* cr, std::string_view cp1252, const Font& font);
// Baseline at y.
void DrawText(cairo_t* cr, std::string_view cp1252, double x, double y, const Font& font,
              const Colour& colour, double alpha = 1.0);
// Centred on the box, vertically by the capital height; set narrow, then smaller,
// until it fits the width.
void DrawTextCentred(cairo_t* cr, std::string_view cp1252, const Box& box, Font font,
                     const Colour& colour);
// Vertically centred on the box's middle, starting at x (or ending at x when right-aligned).
void DrawTextMiddle(cairo_t* cr, std::string_view cp1252, double x, double middle, const Font& font,
                    const Colour& colour, bool rightAligned = false);
// Word-wrapped into the box, centred line by line; returns the height used.
double DrawTextWrapped(cairo_t* cr, std::string_view cp1252, const Box& box, const Font& font,
                       const Colour& colour, bool centred);

void RoundedRect(cairo_t* cr, const Box& box, double radius);
// A rectangle with its corners cut at 45 degrees.
void ChamferRect(cairo_t* cr, const Box& box, double cut);

// A vertical two-stop gradient as the source.
void VerticalGradient(cairo_t* cr, const Box& box, const Colour& top, const Colour& bottom);

// The dark brushed texture of the surfaces: a slight noise and a faint diagonal weave,
// the same for a given seed and place.
void Texture(cairo_t* cr, const Box& box, std::uint32_t seed, double strength);

}  // namespace karvo::artgen
