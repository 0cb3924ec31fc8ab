#include "platform/text_win.h"

#include <windows.h>

#include <climits>

#include "platform/debug_log.h"
#include "platform/text_encoding.h"

namespace karvo::platform {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the wide functions take UTF-16 units");

std::u16string DecodeAnsi(std::string_view bytes) {
  if (bytes.empty()) return {};
  // The conversion functions count in int.
  if (bytes.size() > INT_MAX / 2) bytes = bytes.substr(0, INT_MAX / 2);
  const int length = static_cast<int>(bytes.size());
  const int needed = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
  if (needed <= 0) {
    DebugLogLastError("MultiByteToWideChar");
    return {};
  }
  std::wstring wide(static_cast<std::size_t>(needed), L'\0');
  const int written = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, wide.data(), needed);
  wide.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
  return FromWide(wide);
}

std::string EncodeAnsi(std::u16string_view text) {
  if (text.empty()) return {};
  if (text.size() > INT_MAX / 4) text = text.substr(0, INT_MAX / 4);
  const std::wstring wide = ToWide(text);
  const int length = static_cast<int>(wide.size());
  const int needed =
      ::WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) {
    DebugLogLastError("WideCharToMultiByte");
    return {};
  }
  std::string out(static_cast<std::size_t>(needed), '\0');
  const int written =
      ::WideCharToMultiByte(CP_ACP, 0, wide.data(), length, out.data(), needed, nullptr, nullptr);
  out.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
  return out;
}

std::size_t AnsiUnitsFittingIn(std::u16string_view text, std::size_t maxBytes) {
  return UnitsFittingIn(text, maxBytes,
                        [](std::u16string_view part) { return EncodeAnsi(part).size(); });
}

std::wstring ToWide(std::u16string_view text) {
  return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

std::u16string FromWide(std::wstring_view text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.data()), text.size());
}

std::wstring WideFromSuiteText(std::string_view bytes) { return ToWide(DecodeWindows1252(bytes)); }

std::wstring WideFromUserText(std::string_view bytes) { return ToWide(DecodeAnsi(bytes)); }

}  // namespace karvo::platform
