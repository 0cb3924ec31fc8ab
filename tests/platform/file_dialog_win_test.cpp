#include "platform/file_dialog_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

namespace {

// A path from the file dialog reaches the ANSI file functions only when every character has its
// own byte: a best-fit stand-in ('A' for U+0100) would open or overwrite another file.
TEST(AnsiPath, TakesExactSpellingsOnlyAndNeverABestFit) {
  if (::GetACP() != 1252) GTEST_SKIP() << "the cases are spelled for code page 1252";
  const struct {
    const wchar_t* Wide;
    std::optional<std::string> Ansi;
  } kCases[] = {
      {L"C:\\Games\\fps.kmp", "C:\\Games\\fps.kmp"},
      {L"C:\\Spiele\\M\u00e4use \u20ac.kmp", "C:\\Spiele\\M\xE4use \x80.kmp"},
      {L"C:\\\u0100rena.kmp", std::nullopt},
      {L"C:\\\u03a9mega.kmp", std::nullopt},
      {L"", std::nullopt},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(karvo::platform::AnsiPath(c.Wide), c.Ansi) << c.Ansi.value_or("(none)");
  }
}

}  // namespace
