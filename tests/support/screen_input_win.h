#pragma once
// What a user sees and does: the screen captured as pixels, and real input through
// SendInput (pointer moves, clicks, keys), as the Wine desktop delivers it to whatever
// window is under the pointer or has the focus.
#include <windows.h>

#include <string>
#include <vector>

namespace karvo::testing {

// The screen as the user sees it, 32 bits a pixel, top row first.
class ScreenCapture {
 public:
  ScreenCapture();
  bool Ok() const { return m_ok; }
  // CLR_INVALID off the screen.
  COLORREF At(int x, int y) const;
  // Pixels of exactly that colour in r.
  int Count(const RECT& r, COLORREF colour) const;
  // A bottom-up 32-bit BMP file, which every viewer reads.
  bool SaveBmp(const std::string& path) const;

 private:
  int m_width = 0;
  int m_height = 0;
  bool m_ok = false;
  std::vector<DWORD> m_pixels;
};

// The pointer to a screen pixel; true when it arrived there.
bool MovePointer(POINT screen);
// A press and a release of the left (or right) button at a screen pixel.
bool ClickAt(POINT screen, bool right = false);
// Each virtual key pressed and released in turn.
bool TypeKeys(const std::vector<WORD>& virtualKeys);
// Lower-case letters, digits and blanks as the keys that type them.
std::vector<WORD> KeysOf(const std::string& text);

}  // namespace karvo::testing
