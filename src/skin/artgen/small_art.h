#pragma once
// The configurator's small bitmaps and icons: slider thumbs, check images, the event
// list's icons, the browse button, the record button's recording look.
#include <cairo.h>

#include <vector>

#include "skin/artgen/image_files.h"
#include "skin/artgen/paint.h"

namespace karvo::artgen {

// A thumb on its key colour: the top-left pixel is magenta and only the background
// has that colour, so the program's pixel-exact cut leaves the thumb's shape.
RgbImage DrawThumb(int width, int height);
inline constexpr std::uint8_t kThumbKey[3] = {255, 0, 255};

// Index 0 normal, 1 hover, 2 checked, 3 disabled, 4 checked and disabled.
RgbImage DrawCheckImage(int state, int size);

// On black, which the list draws transparent.
inline constexpr std::uint8_t kBlackKey[3] = {0, 0, 0};
enum class ListIcon { Pause, MouseEvent, KeyPress, KeyRelease };
RgbImage DrawListIcon(ListIcon icon, int size);

// The image with every pixel of the key colour transparent, as the program draws it.
Surface KeyedSurface(const RgbImage& image, const std::uint8_t* key);

// Icons with alpha at each size given; the caller destroys the surfaces.
std::vector<cairo_surface_t*> DrawAppIcon(const std::vector<int>& sizes);
std::vector<cairo_surface_t*> DrawArrowIcon(const std::vector<int>& sizes);

}  // namespace karvo::artgen
