#pragma once
// The skinned windows draw their texts in "Arial" (Liberation Sans under Wine, same metrics).
#include <windows.h>

#include "platform/gdi_win.h"

namespace karvo::skin {

// height: the cell height in pixels; width: the average character width, 0 for the face's own.
platform::UniqueFont ArialFont(int height, int width, int weight = FW_NORMAL);

}  // namespace karvo::skin
