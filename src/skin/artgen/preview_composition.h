#pragma once
// A preview of the main window as a user first sees it: the pages in their places,
// the current tab, mode and slot lit, thumbs on their tracks and sample texts where
// the program draws its own. Built from the state images alone, so it shows what
// the crops will look like side by side.
#include <map>
#include <vector>

#include "skin/artgen/paint.h"
#include "skin/window_layouts.h"

namespace karvo::artgen {

// The four state images of each window, normal first, in the order of kArtStates.
using StateImages = std::map<skin::WindowId, std::vector<Surface>>;

Surface ComposeMainPreview(const StateImages& states);

}  // namespace karvo::artgen
