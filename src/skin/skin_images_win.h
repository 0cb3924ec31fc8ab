#pragma once
// The pictures skinned windows are made of: JPEG images of the program's resources decoded by
// the system's picture loader, pieces cut out of them for the controls, and window outlines
// built from them. A missing or undecodable image leaves its bitmap empty; whatever uses an
// empty bitmap draws nothing for it and goes on.
#include <windows.h>

#include <optional>
#include <thread>
#include <vector>

#include "platform/gdi_win.h"

namespace karvo::skin {

// Resource id of type "BINARY" in module (null: the program's own) decoded into bitmap, which
// lets go of what it held. Without such a resource, or when it does not decode, bitmap is left
// as it was and nothing is returned.
std::optional<SIZE> LoadSkinImage(int id, platform::UniqueBitmap& bitmap, HMODULE module = nullptr);

// Decodes images on a worker thread ahead of the windows that show them: LoadSkinImage takes an
// image of the list from here instead of decoding it itself, and decodes itself one the worker
// has not begun. The worker takes the list from its end, so a window that asks for its images
// in list order meets it in the middle. One prefetch at a time per process; a second one while
// the first lives does nothing. Destroying it waits for the image being decoded and drops what
// was never asked for.
class ImagePrefetch {
 public:
  explicit ImagePrefetch(std::vector<int> ids, HMODULE module = nullptr);
  ~ImagePrefetch();
  ImagePrefetch(const ImagePrefetch&) = delete;
  ImagePrefetch& operator=(const ImagePrefetch&) = delete;

 private:
  bool m_active = false;
  std::thread m_worker;
};

// A BITMAP resource as a bitmap of the display's format; empty when there is none.
platform::UniqueBitmap LoadBitmapResource(int id, HMODULE module = nullptr);

// The size of a bitmap; nothing for an empty or invalid one.
std::optional<SIZE> BitmapSize(HBITMAP bitmap);

// The colour of a bitmap's pixel; nothing outside the bitmap.
std::optional<COLORREF> BitmapPixel(HBITMAP bitmap, int x, int y);

// target := a copy of rect out of source, 32-bit pixels. Nothing happens when source is empty;
// an empty rectangle leaves target empty.
void CropImage(HDC dc, platform::UniqueBitmap& target, HBITMAP source, const RECT& rect);

// The outline of the pixels of bitmap whose colour is not in [key, key + tolerance] in every
// channel (capped at 255): one rectangle per horizontal run, made into regions in batches and
// united. Empty when there is no bitmap or no such pixel, or the region cannot be made.
platform::UniqueRegion RegionFromImage(HBITMAP bitmap, COLORREF key, COLORREF tolerance);

}  // namespace karvo::skin
