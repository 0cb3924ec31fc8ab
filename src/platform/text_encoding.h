#pragma once
// Byte texts and UTF-16 without asking the system: UTF-8, and Windows-1252, the code page the
// suite's own fixed texts are written in. The system's ANSI code page is in text_win.h.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace karvo::platform {

inline constexpr char16_t kReplacementCharacter = u'\uFFFD';

// Every byte has a character; the five bytes Windows-1252 leaves unassigned become the C1
// controls of the same number, as the system's own conversion does.
std::u16string DecodeWindows1252(std::string_view bytes);
// A character Windows-1252 lacks becomes '?', one for each character (a surrogate pair is one).
std::string EncodeWindows1252(std::u16string_view text);

// An ill-formed sequence (overlong, a surrogate, beyond U+10FFFF, cut short, a stray
// continuation byte) becomes one U+FFFD for each maximal part of it, and decoding goes on.
std::u16string DecodeUtf8(std::string_view bytes);
// An unpaired surrogate becomes U+FFFD.
std::string EncodeUtf8(std::u16string_view text);

// The number of UTF-16 units of the longest beginning of `text` whose encoding, as
// `encodedSize` counts it, takes at most `maxBytes`; a surrogate pair is never split, so a
// field cut to it never ends in half a character (two-byte code pages included).
std::size_t UnitsFittingIn(std::u16string_view text, std::size_t maxBytes,
                           const std::function<std::size_t(std::u16string_view)>& encodedSize);

}  // namespace karvo::platform
