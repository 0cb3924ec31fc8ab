// Arbitrary bytes through the text conversions: no fault, and what comes out is stable.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/text_encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace karvo::platform;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::u16string text = DecodeUtf8(bytes);
  // Decoding never yields more units than bytes, and well-formed output survives a round trip.
  if (text.size() > size) std::abort();
  if (DecodeUtf8(EncodeUtf8(text)) != text) std::abort();
  if (EncodeWindows1252(DecodeWindows1252(bytes)) != bytes) std::abort();
  return 0;
}
