#include "skin/artgen/image_files.h"

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <csetjmp>
#include <cstring>
#include <fstream>
#include <random>

namespace karvo::artgen {
namespace {

struct JpegError {
  jpeg_error_mgr Manager;
  std::jmp_buf Jump;
};

[[noreturn]] void OnJpegError(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegError*>(info->err)->Jump, 1);
}

// Warnings (a truncated file, a corrupt segment) are counted, not printed: an image
// that needed one is refused.
void OnJpegMessage(j_common_ptr info, int level) {
  if (level < 0) ++info->err->num_warnings;
}

void Quiet(JpegError& error) {
  error.Manager.error_exit = OnJpegError;
  error.Manager.emit_message = OnJpegMessage;
}

void PutLe16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void PutLe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  PutLe16(out, v & 0xFFFF);
  PutLe16(out, v >> 16);
}

// A BITMAPINFOHEADER for a bottom-up DIB.
void PutInfoHeader(std::vector<std::uint8_t>& out, int width, int height, int bits,
                   std::uint32_t imageSize) {
  PutLe32(out, 40);
  PutLe32(out, static_cast<std::uint32_t>(width));
  PutLe32(out, static_cast<std::uint32_t>(height));
  PutLe16(out, 1);
  PutLe16(out, static_cast<std::uint32_t>(bits));
  PutLe32(out, 0);  // BI_RGB
  PutLe32(out, imageSize);
  PutLe32(out, 2835);  // 72 dpi
  PutLe32(out, 2835);
  PutLe32(out, 0);
  PutLe32(out, 0);
}

}  // namespace

RgbImage FromSurface(cairo_surface_t* surface) {
  cairo_surface_flush(surface);
  RgbImage image;
  image.Width = cairo_image_surface_get_width(surface);
  image.Height = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  image.Pixels.resize(static_cast<std::size_t>(image.Width) * image.Height * 3);
  for (int y = 0; y < image.Height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
    for (int x = 0; x < image.Width; ++x) {
      const std::uint32_t p = row[x];
      std::uint8_t* out = image.Pixels.data() + (static_cast<std::size_t>(y) * image.Width + x) * 3;
      out[0] = static_cast<std::uint8_t>(p >> 16);
      out[1] = static_cast<std::uint8_t>(p >> 8);
      out[2] = static_cast<std::uint8_t>(p);
    }
  }
  return image;
}

cairo_surface_t* ToSurface(const RgbImage& image) {
  cairo_surface_t* surface =
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, image.Width, image.Height);
  const int stride = cairo_image_surface_get_stride(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  for (int y = 0; y < image.Height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
    for (int x = 0; x < image.Width; ++x) {
      const std::uint8_t* p = image.At(x, y);
      row[x] = 0xFF000000u | std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2];
    }
  }
  cairo_surface_mark_dirty(surface);
  return surface;
}

std::vector<std::uint8_t> EncodeJpeg(const RgbImage& image, int quality) {
  jpeg_compress_struct info{};
  JpegError error{};
  info.err = jpeg_std_error(&error.Manager);
  Quiet(error);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  if (setjmp(error.Jump)) {
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return {};
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(image.Width);
  info.image_height = static_cast<JDIMENSION>(image.Height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  for (int c = 0; c < 3; ++c) {
    info.comp_info[c].h_samp_factor = 1;
    info.comp_info[c].v_samp_factor = 1;
  }
  info.dct_method = JDCT_ISLOW;
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(image.At(0, static_cast<int>(info.next_scanline)));
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::vector<std::uint8_t> bytes(buffer, buffer + size);
  std::free(buffer);
  return bytes;
}

std::optional<RgbImage> DecodeJpeg(const std::vector<std::uint8_t>& bytes) {
  if (bytes.empty()) return std::nullopt;
  jpeg_decompress_struct info{};
  JpegError error{};
  info.err = jpeg_std_error(&error.Manager);
  Quiet(error);
  auto* image = new RgbImage();  // plain pointer: nothing with a destructor across setjmp
  if (setjmp(error.Jump)) {
    jpeg_destroy_decompress(&info);
    delete image;
    return std::nullopt;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  info.dct_method = JDCT_ISLOW;
  jpeg_start_decompress(&info);
  image->Width = static_cast<int>(info.output_width);
  image->Height = static_cast<int>(info.output_height);
  image->Pixels.resize(static_cast<std::size_t>(image->Width) * image->Height * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row =
        image->Pixels.data() + static_cast<std::size_t>(info.output_scanline) * image->Width * 3;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  const bool clean = error.Manager.num_warnings == 0;
  jpeg_destroy_decompress(&info);
  if (!clean) {
    delete image;
    return std::nullopt;
  }
  RgbImage result = std::move(*image);
  delete image;
  return result;
}

std::optional<RgbImage> ReadJpegFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
  return DecodeJpeg(bytes);
}

std::optional<std::vector<std::uint8_t>> EncodeRegionJpeg(const std::vector<std::uint8_t>& inside,
                                                          int width, int height) {
  constexpr std::uint8_t kInsideGrey = 44;
  RgbImage image{width, height, std::vector<std::uint8_t>(inside.size() * 3)};
  for (std::size_t i = 0; i < inside.size(); ++i) {
    const std::uint8_t v = inside[i] ? kInsideGrey : 255;
    image.Pixels[i * 3] = image.Pixels[i * 3 + 1] = image.Pixels[i * 3 + 2] = v;
  }
  std::mt19937 random(133);
  const int blocksX = (width + 7) / 8;
  const int blocksY = (height + 7) / 8;
  for (int attempt = 0; attempt < 400; ++attempt) {
    std::vector<std::uint8_t> bytes = EncodeJpeg(image, 100);
    const std::optional<RgbImage> decoded = DecodeJpeg(bytes);
    if (!decoded || decoded->Width != width || decoded->Height != height) return std::nullopt;
    std::vector<bool> failing(static_cast<std::size_t>(blocksX * blocksY));
    bool any = false;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const std::uint8_t* p = decoded->At(x, y);
        const bool white = p[0] == 255 && p[1] == 255 && p[2] == 255;
        const bool in = inside[static_cast<std::size_t>(y) * width + x] != 0;
        if (white == in) {
          failing[static_cast<std::size_t>(y / 8 * blocksX + x / 8)] = true;
          any = true;
        }
      }
    }
    if (!any) return bytes;
    // Only the inside of a failing block may change; its outside stays pure white.
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const std::size_t i = static_cast<std::size_t>(y) * width + x;
        if (!inside[i] || !failing[static_cast<std::size_t>(y / 8 * blocksX + x / 8)]) continue;
        const auto v = static_cast<std::uint8_t>(kInsideGrey - 16 + random() % 33);
        image.Pixels[i * 3] = image.Pixels[i * 3 + 1] = image.Pixels[i * 3 + 2] = v;
      }
    }
  }
  return std::nullopt;
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

bool WriteBmp24(const std::string& path, const RgbImage& image) {
  const std::uint32_t rowBytes = (static_cast<std::uint32_t>(image.Width) * 3 + 3) & ~3u;
  const std::uint32_t imageSize = rowBytes * static_cast<std::uint32_t>(image.Height);
  std::vector<std::uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  PutLe32(out, 14 + 40 + imageSize);
  PutLe32(out, 0);
  PutLe32(out, 14 + 40);
  PutInfoHeader(out, image.Width, image.Height, 24, imageSize);
  for (int y = image.Height - 1; y >= 0; --y) {
    for (int x = 0; x < image.Width; ++x) {
      const std::uint8_t* p = image.At(x, y);
      out.push_back(p[2]);
      out.push_back(p[1]);
      out.push_back(p[0]);
    }
    for (std::uint32_t pad = static_cast<std::uint32_t>(image.Width) * 3; pad < rowBytes; ++pad) {
      out.push_back(0);
    }
  }
  return WriteFile(path, out);
}

bool WriteIco(const std::string& path, const std::vector<cairo_surface_t*>& images) {
  std::vector<std::vector<std::uint8_t>> entries;
  for (cairo_surface_t* surface : images) {
    cairo_surface_flush(surface);
    const int size = cairo_image_surface_get_width(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const std::uint32_t maskRow = ((static_cast<std::uint32_t>(size) + 31) / 32) * 4;
    std::vector<std::uint8_t> entry;
    const auto pixelBytes = static_cast<std::uint32_t>(size * size * 4);
    PutInfoHeader(entry, size, size * 2, 32, pixelBytes + maskRow * size);
    for (int y = size - 1; y >= 0; --y) {
      const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
      for (int x = 0; x < size; ++x) {
        // Cairo keeps premultiplied alpha; icons want it straight.
        const std::uint32_t p = row[x];
        const std::uint32_t a = p >> 24;
        auto un = [a](std::uint32_t c) { return a == 0 ? 0u : std::min(255u, c * 255 / a); };
        entry.push_back(static_cast<std::uint8_t>(un(p & 0xFF)));
        entry.push_back(static_cast<std::uint8_t>(un(p >> 8 & 0xFF)));
        entry.push_back(static_cast<std::uint8_t>(un(p >> 16 & 0xFF)));
        entry.push_back(static_cast<std::uint8_t>(a));
      }
    }
    for (int y = size - 1; y >= 0; --y) {
      const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
      std::vector<std::uint8_t> bits(maskRow, 0);
      for (int x = 0; x < size; ++x) {
        if ((row[x] >> 24) < 128) bits[static_cast<std::size_t>(x / 8)] |= 0x80 >> (x % 8);
      }
      entry.insert(entry.end(), bits.begin(), bits.end());
    }
    entries.push_back(std::move(entry));
  }
  std::vector<std::uint8_t> out;
  PutLe16(out, 0);
  PutLe16(out, 1);
  PutLe16(out, static_cast<std::uint32_t>(entries.size()));
  std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const int size = cairo_image_surface_get_width(images[i]);
    out.push_back(static_cast<std::uint8_t>(size));
    out.push_back(static_cast<std::uint8_t>(size));
    out.push_back(0);
    out.push_back(0);
    PutLe16(out, 1);
    PutLe16(out, 32);
    PutLe32(out, static_cast<std::uint32_t>(entries[i].size()));
    PutLe32(out, offset);
    offset += static_cast<std::uint32_t>(entries[i].size());
  }
  for (const auto& entry : entries) out.insert(out.end(), entry.begin(), entry.end());
  return WriteFile(path, out);
}

}  // namespace karvo::artgen
