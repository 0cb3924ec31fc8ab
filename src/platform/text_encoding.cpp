#include "platform/text_encoding.h"

#include <array>
#include <cstdint>
#include <vector>

namespace karvo::platform {

namespace {
// 0x80..0x9F are the only bytes in which Windows-1252 differs from Latin-1.
constexpr std::array<char16_t, 32> kWindows1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void AppendUtf16(std::u16string& out, std::uint32_t code) {
  if (code < 0x10000) {
    out.push_back(static_cast<char16_t>(code));
    return;
  }
  code -= 0x10000;
  out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
  out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
}

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

struct LeadByte {
  int continuations;  // -1: the byte starts no sequence
  std::uint8_t low;   // range of the first continuation byte, which rules out overlong forms,
  std::uint8_t high;  // surrogates and code points beyond U+10FFFF
};

LeadByte Classify(std::uint8_t byte) {
  if (byte >= 0xC2 && byte <= 0xDF) return {1, 0x80, 0xBF};
  if (byte == 0xE0) return {2, 0xA0, 0xBF};
  if (byte == 0xED) return {2, 0x80, 0x9F};
  if (byte >= 0xE1 && byte <= 0xEF) return {2, 0x80, 0xBF};
  if (byte == 0xF0) return {3, 0x90, 0xBF};
  if (byte >= 0xF1 && byte <= 0xF3) return {3, 0x80, 0xBF};
  if (byte == 0xF4) return {3, 0x80, 0x8F};
  return {-1, 0, 0};
}
}  // namespace

std::u16string DecodeWindows1252(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    out.push_back(byte >= 0x80 && byte <= 0x9F ? kWindows1252High[byte - 0x80u] : char16_t{byte});
  }
  return out;
}

std::string EncodeWindows1252(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    char encoded = '?';
    for (std::size_t b = 0; b < kWindows1252High.size(); ++b) {
      if (kWindows1252High[b] == c) encoded = static_cast<char>(0x80 + b);
    }
    out.push_back(encoded);
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) ++i;
  }
  return out;
}

std::u16string DecodeUtf8(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<std::uint8_t>(bytes[i]);
    if (lead < 0x80) {
      out.push_back(lead);
      ++i;
      continue;
    }
    const LeadByte kind = Classify(lead);
    if (kind.continuations < 0) {
      out.push_back(kReplacementCharacter);
      ++i;
      continue;
    }
    std::uint32_t code = lead & (0x3Fu >> kind.continuations);
    std::size_t next = i + 1;
    bool complete = true;
    for (int k = 0; k < kind.continuations; ++k, ++next) {
      const std::uint8_t low = k == 0 ? kind.low : 0x80;
      const std::uint8_t high = k == 0 ? kind.high : 0xBF;
      if (next >= bytes.size() || static_cast<std::uint8_t>(bytes[next]) < low ||
          static_cast<std::uint8_t>(bytes[next]) > high) {
        complete = false;
        break;
      }
      code = (code << 6) | (static_cast<std::uint8_t>(bytes[next]) & 0x3Fu);
    }
    // The byte that broke the sequence is not part of it: it is read again as a lead byte.
    if (complete) {
      AppendUtf16(out, code);
    } else {
      out.push_back(kReplacementCharacter);
    }
    i = next;
  }
  return out;
}

std::string EncodeUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      AppendUtf8(out, 0x10000 + ((std::uint32_t{c} - 0xD800) << 10) + (text[i + 1] - 0xDC00u));
      ++i;
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      AppendUtf8(out, kReplacementCharacter);
    } else {
      AppendUtf8(out, c);
    }
  }
  return out;
}

std::size_t UnitsFittingIn(std::u16string_view text, std::size_t maxBytes,
                           const std::function<std::size_t(std::u16string_view)>& encodedSize) {
  if (encodedSize(text) <= maxBytes) return text.size();
  // The ends of whole characters; a longer beginning never takes fewer bytes, so the longest
  // one that fits is searched for among them.
  std::vector<std::size_t> ends{0};
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) ++i;
    ends.push_back(i + 1);
  }
  std::size_t low = 0;  // ends[low] fits, ends.back() does not
  std::size_t high = ends.size() - 1;
  while (high - low > 1) {
    const std::size_t middle = low + (high - low) / 2;
    (encodedSize(text.substr(0, ends[middle])) <= maxBytes ? low : high) = middle;
  }
  return ends[low];
}

}  // namespace karvo::platform
