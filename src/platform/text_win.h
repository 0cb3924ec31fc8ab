#pragma once
// The suite's byte texts for the wide functions. What a user typed (profile, macro and game
// names) is stored in the system's ANSI code page; the suite's own fixed texts are
// Windows-1252 whatever the system. Both are converted here, at the edge, and drawn wide.
#include <cstddef>
#include <string>
#include <string_view>

namespace karvo::platform {

// The system's ANSI code page. Bytes it does not map become its default character.
std::u16string DecodeAnsi(std::string_view bytes);
// Characters it lacks become '?'.
std::string EncodeAnsi(std::u16string_view text);
// The UTF-16 units of the longest beginning of text that takes at most maxBytes in the ANSI
// code page, ending on a whole character (a two-byte character is never cut in half).
std::size_t AnsiUnitsFittingIn(std::u16string_view text, std::size_t maxBytes);

// For the wide functions (wchar_t is the same 16-bit unit on Windows).
std::wstring ToWide(std::u16string_view text);
std::u16string FromWide(std::wstring_view text);

// The suite's own text (Windows-1252) and a user's (ANSI code page), ready for a W function.
std::wstring WideFromSuiteText(std::string_view bytes);
std::wstring WideFromUserText(std::string_view bytes);

}  // namespace karvo::platform
