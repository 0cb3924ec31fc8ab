#include "skin/skin_fonts_win.h"

#include "platform/debug_log.h"

namespace karvo::skin {

platform::UniqueFont ArialFont(int height, int width, int weight) {
  platform::UniqueFont font(::CreateFontW(height, width, 0, 0, weight, FALSE, FALSE, FALSE,
                                          DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                          DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial"));
  if (!font) platform::DebugLog("CreateFont Arial %d/%d failed\r\n", height, width);
  return font;
}

}  // namespace karvo::skin
