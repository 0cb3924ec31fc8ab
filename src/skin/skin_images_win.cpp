#include "skin/skin_images_win.h"

#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/debug_log.h"
#include "skin/region_runs.h"

namespace karvo::skin {

namespace {

using platform::DebugLog;
using platform::UniqueBitmap;
using platform::UniqueRegion;

struct ComRelease {
  void operator()(IUnknown* object) const { object->Release(); }
};
template <typename T>
using ComPtr = std::unique_ptr<T, ComRelease>;

// Outlines are built from window-sized images; anything far beyond is no image of ours.
constexpr LONG kMaxRegionSide = 8192;

HMODULE ModuleOrProgram(HMODULE module) { return module ? module : ::GetModuleHandleW(nullptr); }

// The resource's bytes in a movable block that the returned stream owns.
ComPtr<IStream> StreamOfResource(HMODULE module, int id, DWORD& size) {
  HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), L"BINARY");
  if (!found) {
    DebugLog("skin image %d: no such resource\r\n", id);
    return nullptr;
  }
  size = ::SizeofResource(module, found);
  HGLOBAL loaded = ::LoadResource(module, found);
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  if (!bytes || size == 0) {
    DebugLog("skin image %d: resource not loaded\r\n", id);
    return nullptr;
  }
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, size);
  if (!block) {
    platform::DebugLogLastError("GlobalAlloc for a skin image");
    return nullptr;
  }
  void* target = ::GlobalLock(block);
  if (!target) {
    platform::DebugLogLastError("GlobalLock for a skin image");
    ::GlobalFree(block);
    return nullptr;
  }
  std::memcpy(target, bytes, size);
  ::GlobalUnlock(block);
  IStream* stream = nullptr;
  if (FAILED(::CreateStreamOnHGlobal(block, TRUE, &stream)) || !stream) {
    DebugLog("skin image %d: CreateStreamOnHGlobal failed\r\n", id);
    ::GlobalFree(block);
    return nullptr;
  }
  return ComPtr<IStream>(stream);
}

// One batch of runs as one region.
UniqueRegion RegionOfBatch(const RunBatch& batch) {
  const std::size_t count = batch.Rects.size();
  std::vector<std::uint8_t> data(sizeof(RGNDATAHEADER) + count * sizeof(RECT));
  RGNDATAHEADER header{};
  header.dwSize = sizeof header;
  header.iType = RDH_RECTANGLES;
  header.nCount = static_cast<DWORD>(count);
  header.nRgnSize = static_cast<DWORD>(count * sizeof(RECT));
  header.rcBound = {batch.Bounds.Left, batch.Bounds.Top, batch.Bounds.Right, batch.Bounds.Bottom};
  std::memcpy(data.data(), &header, sizeof header);
  std::uint8_t* at = data.data() + sizeof header;
  for (const RunRect& run : batch.Rects) {
    const RECT rect{run.Left, run.Top, run.Right, run.Bottom};
    std::memcpy(at, &rect, sizeof rect);
    at += sizeof rect;
  }
  UniqueRegion region(::ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()),
                                        reinterpret_cast<const RGNDATA*>(data.data())));
  if (!region)
    DebugLog("ExtCreateRegion of %u rectangles failed\r\n", static_cast<unsigned>(count));
  return region;
}

std::optional<SIZE> DecodeSkinImage(int id, UniqueBitmap& bitmap, HMODULE module) {
  DWORD size = 0;
  ComPtr<IStream> stream = StreamOfResource(ModuleOrProgram(module), id, size);
  if (!stream) return std::nullopt;
  IPicture* loaded = nullptr;
  const HRESULT result = ::OleLoadPicture(stream.get(), static_cast<LONG>(size), FALSE,
                                          IID_IPicture, reinterpret_cast<void**>(&loaded));
  stream.reset();
  if (FAILED(result) || !loaded) {
    DebugLog("skin image %d: not decoded (0x%08lx)\r\n", id, static_cast<unsigned long>(result));
    return std::nullopt;
  }
  ComPtr<IPicture> picture(loaded);
  SHORT type = PICTYPE_UNINITIALIZED;
  OLE_HANDLE handle = 0;
  if (FAILED(picture->get_Type(&type)) || type != PICTYPE_BITMAP ||
      FAILED(picture->get_Handle(&handle)) || handle == 0) {
    DebugLog("skin image %d: the picture holds no bitmap\r\n", id);
    return std::nullopt;
  }
  // The picture deletes its bitmap when it is released: the window keeps a copy of its own, a
  // section like the decoded one, which copies without a conversion to the display's format.
  UniqueBitmap copy(static_cast<HBITMAP>(
      ::CopyImage(reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(handle)), IMAGE_BITMAP, 0, 0,
                  LR_CREATEDIBSECTION)));
  const std::optional<SIZE> extent = BitmapSize(copy.Get());
  if (!extent) {
    DebugLog("skin image %d: the decoded bitmap was not copied\r\n", id);
    return std::nullopt;
  }
  bitmap = std::move(copy);
  return extent;
}

// What the one prefetch of the process holds, under its lock.
struct Prefetched {
  enum class Stage { Waiting, Decoding, Decoded, Taken };
  int Id = 0;
  Stage At = Stage::Waiting;
  UniqueBitmap Bitmap;
};

std::mutex g_prefetchLock;
std::condition_variable g_prefetchDecoded;
HMODULE g_prefetchModule = nullptr;
std::vector<Prefetched> g_prefetched;

void DecodeAll(HMODULE module);

// The worker's thread function.
void DecodeAhead(HMODULE module) {
  // The picture loader is COM; the worker's apartment is its own.
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  if (FAILED(com)) DebugLog("image prefetch: CoInitializeEx failed: 0x%08lx\r\n", com);
  try {
    DecodeAll(module);
  } catch (...) {
    // Nobody may wait for an image that will never come.
    std::lock_guard lock(g_prefetchLock);
    for (Prefetched& entry : g_prefetched) {
      if (entry.At != Prefetched::Stage::Taken) entry.At = Prefetched::Stage::Decoded;
    }
    g_prefetchDecoded.notify_all();
  }
  if (SUCCEEDED(com)) ::CoUninitialize();
}

void DecodeAll(HMODULE module) {
  std::unique_lock lock(g_prefetchLock);
  // The list is cleared only after the worker has ended, so an index stays valid unlocked.
  for (std::size_t index = g_prefetched.size(); index-- > 0;) {
    if (g_prefetched[index].At != Prefetched::Stage::Waiting) continue;
    g_prefetched[index].At = Prefetched::Stage::Decoding;
    const int id = g_prefetched[index].Id;
    lock.unlock();
    UniqueBitmap bitmap;
    (void)DecodeSkinImage(id, bitmap, module);
    lock.lock();
    g_prefetched[index].Bitmap = std::move(bitmap);
    g_prefetched[index].At = Prefetched::Stage::Decoded;
    g_prefetchDecoded.notify_all();
  }
}

// True with the prefetched image in bitmap; false when the caller decodes it itself.
bool TakePrefetched(int id, UniqueBitmap& bitmap, HMODULE module) {
  std::unique_lock lock(g_prefetchLock);
  if (g_prefetched.empty() || module != g_prefetchModule) return false;
  auto entry = std::find_if(g_prefetched.begin(), g_prefetched.end(), [id](const Prefetched& p) {
    return p.Id == id && p.At != Prefetched::Stage::Taken;
  });
  if (entry == g_prefetched.end()) return false;
  if (entry->At == Prefetched::Stage::Waiting) {
    entry->At = Prefetched::Stage::Taken;
    return false;
  }
  const std::size_t index = static_cast<std::size_t>(entry - g_prefetched.begin());
  g_prefetchDecoded.wait(lock,
                         [&] { return g_prefetched[index].At == Prefetched::Stage::Decoded; });
  Prefetched& decoded = g_prefetched[index];
  decoded.At = Prefetched::Stage::Taken;
  // An image the worker could not decode is tried again, with the same debug lines.
  if (!decoded.Bitmap) return false;
  bitmap = std::move(decoded.Bitmap);
  return true;
}

}  // namespace

std::optional<SIZE> LoadSkinImage(int id, UniqueBitmap& bitmap, HMODULE module) {
  module = ModuleOrProgram(module);
  UniqueBitmap prefetched;
  if (TakePrefetched(id, prefetched, module)) {
    const std::optional<SIZE> extent = BitmapSize(prefetched.Get());
    if (extent) {
      bitmap = std::move(prefetched);
      return extent;
    }
  }
  return DecodeSkinImage(id, bitmap, module);
}

ImagePrefetch::ImagePrefetch(std::vector<int> ids, HMODULE module) {
  module = ModuleOrProgram(module);
  std::lock_guard lock(g_prefetchLock);
  if (!g_prefetched.empty()) return;
  for (int id : ids) {
    const bool listed = std::any_of(g_prefetched.begin(), g_prefetched.end(),
                                    [id](const Prefetched& p) { return p.Id == id; });
    if (id > 0 && !listed) g_prefetched.push_back({id, Prefetched::Stage::Waiting, {}});
  }
  if (g_prefetched.empty()) return;
  g_prefetchModule = module;
  try {
    m_worker = std::thread(DecodeAhead, module);
  } catch (...) {
    // Without the worker every image is decoded where it is asked for.
    DebugLog("image prefetch: no worker thread\r\n");
    g_prefetched.clear();
    return;
  }
  m_active = true;
}

ImagePrefetch::~ImagePrefetch() {
  if (!m_active) return;
  {
    std::lock_guard lock(g_prefetchLock);
    for (Prefetched& entry : g_prefetched) {
      if (entry.At == Prefetched::Stage::Waiting) entry.At = Prefetched::Stage::Taken;
    }
  }
  m_worker.join();
  std::lock_guard lock(g_prefetchLock);
  g_prefetched.clear();
  g_prefetchModule = nullptr;
}

UniqueBitmap LoadBitmapResource(int id, HMODULE module) {
  UniqueBitmap bitmap(static_cast<HBITMAP>(::LoadImageW(
      ModuleOrProgram(module), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
  if (!bitmap) DebugLog("bitmap %d: not loaded\r\n", id);
  return bitmap;
}

std::optional<SIZE> BitmapSize(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || ::GetObjectW(bitmap, sizeof info, &info) != sizeof info) return std::nullopt;
  return SIZE{info.bmWidth, info.bmHeight};
}

std::optional<COLORREF> BitmapPixel(HBITMAP bitmap, int x, int y) {
  const std::optional<SIZE> size = BitmapSize(bitmap);
  if (!size || x < 0 || y < 0 || x >= size->cx || y >= size->cy) return std::nullopt;
  platform::MemoryDc dc(nullptr);
  if (!dc) return std::nullopt;
  platform::SelectScope selected(dc.Get(), bitmap);
  if (!selected) return std::nullopt;
  const COLORREF colour = ::GetPixel(dc.Get(), x, y);
  if (colour == CLR_INVALID) return std::nullopt;
  return colour;
}

void CropImage(HDC dc, UniqueBitmap& target, HBITMAP source, const RECT& rect) {
  if (!source) return;
  target.Reset();
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return;
  // A section of 32-bit pixels holds what a bitmap compatible with the display holds, and
  // making and filling one costs a fraction: a window cuts a hundred pieces as it opens.
  BITMAPINFO info = platform::TopDown32BitInfo(width, height);
  void* bits = nullptr;
  UniqueBitmap piece(::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  platform::MemoryDc from(dc);
  platform::MemoryDc to(dc);
  if (!piece || !from || !to) {
    DebugLog("CropImage %dx%d: no bitmap or memory DC\r\n", width, height);
    return;
  }
  {
    platform::SelectScope sourceSelected(from.Get(), source);
    platform::SelectScope pieceSelected(to.Get(), piece.Get());
    if (!sourceSelected || !pieceSelected ||
        !::BitBlt(to.Get(), 0, 0, width, height, from.Get(), rect.left, rect.top, SRCCOPY)) {
      platform::DebugLogLastError("CropImage BitBlt");
      return;
    }
  }
  target = std::move(piece);
}

UniqueRegion RegionFromImage(HBITMAP bitmap, COLORREF key, COLORREF tolerance) {
  const std::optional<SIZE> size = BitmapSize(bitmap);
  if (!size || size->cx <= 0 || size->cy <= 0 || size->cx > kMaxRegionSide ||
      size->cy > kMaxRegionSide) {
    return {};
  }
  platform::MemoryDc dc(nullptr);
  if (!dc) return {};
  // Top row first, as the runs are scanned.
  BITMAPINFO info = platform::TopDown32BitInfo(size->cx, size->cy);
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size->cx) * size->cy);
  if (::GetDIBits(dc.Get(), bitmap, 0, static_cast<UINT>(size->cy), pixels.data(), &info,
                  DIB_RGB_COLORS) != size->cy) {
    platform::DebugLogLastError("GetDIBits of a region image");
    return {};
  }

  UniqueRegion region;
  bool complete = true;
  ExtractRuns(pixels, size->cx, size->cy, Rgb{GetRValue(key), GetGValue(key), GetBValue(key)},
              Rgb{GetRValue(tolerance), GetGValue(tolerance), GetBValue(tolerance)},
              [&](const RunBatch& batch) {
                UniqueRegion part = RegionOfBatch(batch);
                if (!part) {
                  complete = false;
                } else if (!region) {
                  region = std::move(part);
                } else if (::CombineRgn(region.Get(), region.Get(), part.Get(), RGN_OR) == ERROR) {
                  DebugLog("CombineRgn of an outline failed\r\n");
                  complete = false;
                }
              });
  // Part of an outline would cut pieces off the window: better none at all.
  if (!complete) return {};
  return region;
}

}  // namespace karvo::skin
