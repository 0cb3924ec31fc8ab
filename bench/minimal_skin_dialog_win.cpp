// The yardstick for the configurator's start: the least a program must do to show the same
// window, a dialog that decodes the main window's five images with the system's picture
// loader and paints the background. Nothing else: no settings, no controls, no pages.
#include <ole2.h>
#include <olectl.h>
#include <windows.h>

#include "configurator/configurator_resources.h"

namespace {

HBITMAP g_background = nullptr;

HBITMAP DecodeImage(int id) {
  HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(id), L"BINARY");
  if (!found) return nullptr;
  const DWORD size = ::SizeofResource(nullptr, found);
  const void* bytes = ::LockResource(::LoadResource(nullptr, found));
  HGLOBAL copy = ::GlobalAlloc(GMEM_MOVEABLE, size);
  if (!bytes || !copy) return nullptr;
  ::memcpy(::GlobalLock(copy), bytes, size);
  ::GlobalUnlock(copy);
  IStream* stream = nullptr;
  if (FAILED(::CreateStreamOnHGlobal(copy, TRUE, &stream))) return nullptr;
  IPicture* picture = nullptr;
  const HRESULT loaded = ::OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture,
                                          reinterpret_cast<void**>(&picture));
  stream->Release();
  if (FAILED(loaded)) return nullptr;
  OLE_HANDLE handle = 0;
  picture->get_Handle(&handle);
  auto bitmap = static_cast<HBITMAP>(
      ::CopyImage(reinterpret_cast<HBITMAP>(handle), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  picture->Release();
  return bitmap;
}

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      for (int id = IDR_MAIN_DISABLED; id <= IDR_MAIN_HOVER; ++id) {
        HBITMAP image = DecodeImage(id);
        if (id == IDR_MAIN_NORMAL) {
          g_background = image;
        } else if (image) {
          ::DeleteObject(image);
        }
      }
      ::SetWindowTextA(hwnd, "Minimal skinned dialog");
      ::SetWindowPos(hwnd, nullptr, 0, 0, 858, 600, SWP_NOZORDER);
      return TRUE;
    case WM_ERASEBKGND:
      ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, 1);
      return TRUE;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = ::BeginPaint(hwnd, &paint);
      HDC memory = ::CreateCompatibleDC(dc);
      HGDIOBJ old = ::SelectObject(memory, g_background);
      ::BitBlt(dc, 0, 0, 858, 600, memory, 0, 0, SRCCOPY);
      ::SelectObject(memory, old);
      ::DeleteDC(memory);
      ::EndPaint(hwnd, &paint);
      return TRUE;
    }
    case WM_CLOSE:
      ::EndDialog(hwnd, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  ::DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_MAIN_WINDOW), nullptr, DialogProc, 0);
  if (g_background) ::DeleteObject(g_background);
  return 0;
}
