// The double buffer against a memory target, and the portable Windows-1252
// conversion against the system's own.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/gdi_win.h"
#include "platform/text_encoding.h"

namespace karvo::platform {
namespace {

TEST(DoubleBuffer, TargetChangesOnlyAtFlushAndOnlyInsideItsRectangle) {
  MemoryDc target(nullptr);
  ASSERT_TRUE(target);
  WindowDc screen(nullptr);
  UniqueBitmap surface(::CreateCompatibleBitmap(screen.Get(), 64, 64));
  ASSERT_TRUE(surface);
  SelectScope selected(target.Get(), surface.Get());
  RECT all{0, 0, 64, 64};
  ::FillRect(target.Get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  const COLORREF white = ::GetPixel(target.Get(), 20, 20);

  const RECT area{10, 10, 40, 40};
  {
    DoubleBuffer buffer(target.Get(), area);
    ASSERT_TRUE(buffer.Buffered());
    UniqueBrush red(::CreateSolidBrush(RGB(255, 0, 0)));
    // Drawn in the target's coordinates, and wider than the buffer.
    ::FillRect(buffer.Get(), &all, red.Get());
    EXPECT_EQ(::GetPixel(target.Get(), 20, 20), white) << "painted before the flush";
    ASSERT_TRUE(buffer.Flush());
  }
  EXPECT_EQ(::GetPixel(target.Get(), 20, 20), RGB(255, 0, 0));
  EXPECT_EQ(::GetPixel(target.Get(), 39, 39), RGB(255, 0, 0));
  EXPECT_EQ(::GetPixel(target.Get(), 5, 5), white);
  EXPECT_EQ(::GetPixel(target.Get(), 45, 45), white);
}

TEST(Windows1252, EveryCharacterAsTheSystemConvertsIt) {
  for (int byte = 0; byte < 256; ++byte) {
    const char one = static_cast<char>(byte);
    wchar_t system[2] = {};
    ASSERT_EQ(::MultiByteToWideChar(1252, 0, &one, 1, system, 2), 1) << byte;
    EXPECT_EQ(DecodeWindows1252(std::string(1, one)), std::u16string(1, system[0])) << byte;
  }
  // Back again for the whole basic plane: the system's mapping without best-fit guesses.
  for (unsigned c = 1; c < 0x10000; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const wchar_t wide = static_cast<wchar_t>(c);
    char system[4] = {};
    BOOL defaulted = FALSE;
    ASSERT_EQ(
        ::WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, &wide, 1, system, 4, nullptr, &defaulted),
        1)
        << c;
    ASSERT_EQ(EncodeWindows1252(std::u16string(1, static_cast<char16_t>(c))),
              std::string(1, system[0]))
        << std::hex << c;
  }
}

}  // namespace
}  // namespace karvo::platform
