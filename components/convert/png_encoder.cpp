// PNG through libpng, 24-bit RGB. Like libjpeg it reports errors by longjmp.
#include <png.h>
#include <zlib.h>

#include <algorithm>
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

// How the filtered rows are deflated.
struct Packing {
  int level;
  int strategy;
  int memoryLevel;
};

// Photos and other noise-rich screens: after the row filters nothing repeats
// far back, so run-length matches with the largest Huffman blocks (memory
// level 9) pack them as tightly as zlib's full search, at a third of its time.
constexpr Packing kRuns = {1, Z_RLE, 9};
// Screens of windows and text repeat whole glyphs and lines: full matching.
constexpr Packing kMatches = {6, Z_FILTERED, 8};

bool Compress(const Image& image, Packing packing, Bytes* out) {
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
  // The adaptive row filters suit both flat areas and gradients.
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
  png_set_compression_level(png, packing.level);
  png_set_compression_strategy(png, packing.strategy);
  png_set_compression_mem_level(png, packing.memoryLevel);
  // Fewer, larger IDAT chunks: 12 bytes of framing per 256 KB instead of per 8 KB.
  png_set_compression_buffer_size(png, 256 * 1024);
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

// Bands of rows spread over the picture, an eighth of it: enough to tell a
// photo from a screen of windows at a fraction of a whole encoding.
Image Sample(const Image& image) {
  constexpr int kBand = 16, kEvery = 128;
  Image sample;
  sample.width = image.width;
  for (int top = 0; top < image.height; top += kEvery) {
    const int rows = std::min(kBand, image.height - top);
    sample.rgb.insert(sample.rgb.end(), image.Row(top), image.Row(top) + rows * image.Stride());
    sample.height += rows;
  }
  return sample;
}

}  // namespace

std::optional<Bytes> EncodePng(const Image& image) {
  if (image.Empty()) return std::nullopt;
  // Packed to less than a quarter, the picture has the flat areas and repeats
  // that full matching packs much tighter, and quickly; a noise-rich one gains
  // nothing from it.
  const Image sample = Sample(image);
  Bytes packed;
  if (!Compress(sample, kRuns, &packed)) return std::nullopt;
  const bool repetitive = packed.size() < sample.rgb.size() / 4;
  Bytes out;
  out.reserve(repetitive ? image.rgb.size() / 8 : image.rgb.size() * 3 / 5);
  if (!Compress(image, repetitive ? kMatches : kRuns, &out)) return std::nullopt;
  return out;
}

}  // namespace tiffdll
