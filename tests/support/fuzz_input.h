#pragma once
// The fuzz targets' reader of libFuzzer's bytes: numbers, texts and record bytes taken from the
// front; past the end every read gives zeros, so a target runs to its end on any input.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace karvo::fuzz {

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
  bool Empty() const { return m_size == 0; }
  std::uint8_t Byte() {
    if (m_size == 0) return 0;
    --m_size;
    return *m_data++;
  }
  std::int32_t Int() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = v << 8 | Byte();
    return static_cast<std::int32_t>(v);
  }
  // At most max bytes, and at most 1023.
  std::string Text(std::size_t max) {
    const std::size_t n = std::min<std::size_t>(Int() & 0x3FF, std::min(max, m_size));
    std::string text(reinterpret_cast<const char*>(m_data), n);
    m_data += n;
    m_size -= n;
    return text;
  }
  // The front of a record of `size` bytes.
  void Fill(void* target, std::size_t size) {
    const std::string bytes = Text(size);
    std::memcpy(target, bytes.data(), bytes.size());
  }
  // A few bytes of a record of `size` bytes overwritten anywhere inside it.
  void Patch(void* record, std::size_t size) {
    const std::size_t offset = static_cast<std::uint32_t>(Int()) % size;
    const std::string bytes = Text(8);
    std::memcpy(static_cast<char*>(record) + offset, bytes.data(),
                std::min(bytes.size(), size - offset));
  }

 private:
  const std::uint8_t* m_data;
  std::size_t m_size;
};

}  // namespace karvo::fuzz
