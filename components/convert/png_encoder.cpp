// PNG through libpng, 24-bit RGB. Like libjpeg it reports errors by longjmp.
#include <png.h>

#include <new>

#include "encoders.h"

namespace tiffdll {
namespace {

extern "C" void OnPngWrite(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  bool failed = false;
  try {
    out->insert(out->end(), data, data + length);
  } catch (...) {
    failed = true;
  }
  if (failed) png_error(png, "out of memory");
}
extern "C" void OnPngFlush(png_structp) {}
extern "C" void OnPngWarning(png_structp, png_const_charp) {}

bool Compress(const Image& image, Bytes* out) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, OnPngWarning);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, out, OnPngWrite, OnPngFlush);
  // Screen pictures are mostly flat areas and sharp edges: the adaptive
  // filters with zlib's default effort give small files quickly.
  png_set_compression_level(png, 6);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
               static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < image.height; ++y) {
    png_write_row(png, const_cast<png_bytep>(image.Row(y)));
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

std::optional<Bytes> EncodePng(const Image& image) {
  if (image.Empty()) return std::nullopt;
  Bytes out;
  out.reserve(image.rgb.size() / 4 + 1024);
  if (!Compress(image, &out)) return std::nullopt;
  return out;
}

}  // namespace tiffdll
