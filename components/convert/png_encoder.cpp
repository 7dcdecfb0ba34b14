// PNG, 24-bit RGB. libpng writes the signature and the chunks; the rows are
// filtered (with libpng's own adaptive choice) and deflated here, because
// libpng does both on one thread, row after row: here they run in bands of
// rows on as many threads as there are processors, so that a screen-sized
// picture packs in a fraction of the time. The bands join into one zlib stream: each band after the
// first is deflated with the last 32 KB of the band before as its dictionary and the bands before
// the last end on a byte boundary (a sync flush), so matches across a seam are kept and the file is
// what one deflate would have made, give or take a few bytes per seam.
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <thread>
#include <vector>

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

constexpr size_t kWindow = 32 * 1024;  // how far back deflate matches reach
constexpr int kBytesPerPixel = 3;

// A filtered byte read as a signed value, as libpng's filter choice weighs it.
[[gnu::always_inline]] inline int Magnitude(uint8_t value) {
  return std::abs(static_cast<int8_t>(value));
}

// The predictors of the five row filters from the bytes left (a), above (b)
// and above-left (c).
struct NoPrediction {
  int operator()(int, int, int) const { return 0; }
};
struct Left {
  int operator()(int a, int, int) const { return a; }
};
struct Above {
  int operator()(int, int b, int) const { return b; }
};
struct Average {
  int operator()(int a, int b, int) const { return (a + b) / 2; }
};
struct Paeth {
  [[gnu::always_inline]] int operator()(int a, int b, int c) const {
    const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
  }
};

// The weights of the row under the five filters, in one pass over it.
[[gnu::always_inline]] inline std::array<long, 5> Weights(const uint8_t* row, const uint8_t* above,
                                                          size_t length) {
  std::array<long, 5> sums{};
  auto add = [&](int x, int a, int b, int c) {
    sums[0] += Magnitude(static_cast<uint8_t>(x));
    sums[1] += Magnitude(static_cast<uint8_t>(x - a));
    sums[2] += Magnitude(static_cast<uint8_t>(x - b));
    sums[3] += Magnitude(static_cast<uint8_t>(x - (a + b) / 2));
    sums[4] += Magnitude(static_cast<uint8_t>(x - Paeth()(a, b, c)));
  };
  const size_t first = std::min<size_t>(kBytesPerPixel, length);
  for (size_t i = 0; i < first; ++i) add(row[i], 0, above[i], 0);
  for (size_t i = first; i < length; ++i) {
    add(row[i], row[i - kBytesPerPixel], above[i], above[i - kBytesPerPixel]);
  }
  return sums;
}

template <typename Predict>
[[gnu::always_inline]] inline void Apply(const uint8_t* row, const uint8_t* above, size_t length,
                                         uint8_t* out, Predict predict) {
  for (size_t i = 0; i < kBytesPerPixel && i < length; ++i) {
    out[i] = static_cast<uint8_t>(row[i] - predict(0, above[i], 0));
  }
  for (size_t i = kBytesPerPixel; i < length; ++i) {
    out[i] = static_cast<uint8_t>(
        row[i] - predict(row[i - kBytesPerPixel], above[i], above[i - kBytesPerPixel]));
  }
}

// One row with the filter libpng's adaptive choice takes: the smallest sum of
// the filtered bytes read as signed values (the first filter on a tie).
// `above` is the unfiltered row before, zeros for the first; `out` gets the
// filter's number and the filtered bytes.
[[gnu::always_inline]] inline void FilterRow(const uint8_t* row, const uint8_t* above,
                                             size_t length, uint8_t* out) {
  const std::array<long, 5> weights = Weights(row, above, length);
  const int best =
      static_cast<int>(std::min_element(weights.begin(), weights.end()) - weights.begin());
  out[0] = static_cast<uint8_t>(best);
  switch (best) {
    case 0:
      return Apply(row, above, length, out + 1, NoPrediction());
    case 1:
      return Apply(row, above, length, out + 1, Left());
    case 2:
      return Apply(row, above, length, out + 1, Above());
    case 3:
      return Apply(row, above, length, out + 1, Average());
    default:
      return Apply(row, above, length, out + 1, Paeth());
  }
}

#if defined(__GNUC__) && defined(__i386__)
[[gnu::target("sse2")]] void FilterRowSse2(const uint8_t* row, const uint8_t* above, size_t length,
                                           uint8_t* out) {
  FilterRow(row, above, length, out);
}
#endif

struct Band {
  int first = 0, end = 0;  // rows [first, end)
  Bytes filtered, packed;
  uLong adler = 1;
  bool filteredWhole = false;  // a thread that ran out of memory leaves it false
  bool ok = false;
};

// The band's rows filtered, and their checksum.
void FilterBand(const Image& image, Band& band) {
  if (image.Empty() || band.end <= band.first) return;
#if defined(__GNUC__) && defined(__i386__)
  // The weighing vectorises with SSE2, which the baseline 32-bit target lacks.
  __builtin_cpu_init();
  const bool sse2 = __builtin_cpu_supports("sse2");
#endif
  const size_t length = static_cast<uint32_t>(image.width) * size_t{kBytesPerPixel};
  const std::vector<uint8_t> zeros(length, 0);
  band.filtered.resize((length + 1) * static_cast<uint32_t>(band.end - band.first));
  uint8_t* out = band.filtered.data();
  for (int y = band.first; y < band.end; ++y, out += length + 1) {
    const uint8_t* above = y > 0 ? image.Row(y - 1) : zeros.data();
#if defined(__GNUC__) && defined(__i386__)
    if (sse2) {
      FilterRowSse2(image.Row(y), above, length, out);
      continue;
    }
#endif
    FilterRow(image.Row(y), above, length, out);
  }
  band.adler = adler32(1, band.filtered.data(), static_cast<uInt>(band.filtered.size()));
  band.filteredWhole = true;
}

// Raw deflate of the band, starting from `before`'s tail; the last band ends the stream.
void DeflateBand(Band& band, const Band* before, bool last, Packing packing) {
  if (!band.filteredWhole || (before != nullptr && !before->filteredWhole)) return;
  z_stream z{};
  if (deflateInit2(&z, packing.level, Z_DEFLATED, -15, packing.memoryLevel, packing.strategy) !=
      Z_OK) {
    return;
  }
  bool ok = true;
  if (before != nullptr) {
    const size_t reach = std::min(kWindow, before->filtered.size());
    ok = deflateSetDictionary(&z, before->filtered.data() + before->filtered.size() - reach,
                              static_cast<uInt>(reach)) == Z_OK;
  }
  band.packed.resize(deflateBound(&z, band.filtered.size()) + 64);
  z.next_in = band.filtered.data();
  z.avail_in = static_cast<uInt>(band.filtered.size());
  z.next_out = band.packed.data();
  z.avail_out = static_cast<uInt>(band.packed.size());
  const int result = ok ? deflate(&z, last ? Z_FINISH : Z_SYNC_FLUSH) : Z_STREAM_ERROR;
  ok = (last ? result == Z_STREAM_END : result == Z_OK) && z.avail_in == 0 && z.avail_out > 0;
  band.packed.erase(band.packed.end() - z.avail_out, band.packed.end());
  deflateEnd(&z);
  band.ok = ok;
}

// Runs job(i) for every band, the first on this thread and the others on
// threads of their own (on this one too when a thread cannot be had).
template <typename Job>
void ForEachBand(std::vector<Band>& bands, const Job& job) {
  std::vector<std::thread> helpers;
  for (size_t i = 1; i < bands.size(); ++i) {
    try {
      helpers.emplace_back([&job, i] {
        try {
          job(i);
        } catch (...) {
        }  // the band stays not ok
      });
    } catch (...) {
      job(i);
    }
  }
  std::exception_ptr failure;
  try {
    job(0);
  } catch (...) {
    failure = std::current_exception();
  }
  for (std::thread& helper : helpers) helper.join();
  if (failure) std::rethrow_exception(failure);
}

// The zlib stream of the filtered rows: header, the bands' deflate, checksum.
bool Pack(const Image& image, Packing packing, Bytes* stream) {
  // One band per processor, each of at least 256 KB of pixels: a thread of
  // its own is not worth less, and a seam costs some tens of bytes.
  const size_t processors = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
  const int count = static_cast<int>(std::clamp<size_t>(
      image.rgb.size() / (256 * 1024), 1, std::min<size_t>(processors, image.height)));
  std::vector<Band> bands(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    bands[i].first = static_cast<int>(int64_t{image.height} * i / count);
    bands[i].end = static_cast<int>(int64_t{image.height} * (i + 1) / count);
  }
  ForEachBand(bands, [&](size_t i) { FilterBand(image, bands[i]); });
  ForEachBand(bands, [&](size_t i) {
    DeflateBand(bands[i], i > 0 ? &bands[i - 1] : nullptr, i + 1 == bands.size(), packing);
  });
  // The header's level field as zlib itself sets it.
  const int levelField = packing.strategy >= Z_HUFFMAN_ONLY || packing.level < 2 ? 0
                         : packing.level < 6                                     ? 1
                         : packing.level == 6                                    ? 2
                                                                                 : 3;
  const int header = (0x78 << 8) | (levelField << 6);
  stream->push_back(0x78);
  stream->push_back(static_cast<uint8_t>((levelField << 6) + 31 - header % 31));
  uLong adler = 1;
  for (Band& band : bands) {
    if (!band.ok) return false;
    stream->insert(stream->end(), band.packed.begin(), band.packed.end());
    adler = &band == &bands.front()
                ? band.adler
                : adler32_combine(adler, band.adler, static_cast<z_off_t>(band.filtered.size()));
    Bytes().swap(band.packed);
  }
  for (int shift = 24; shift >= 0; shift -= 8)
    stream->push_back(static_cast<uint8_t>(adler >> shift));
  return true;
}

// The PNG file around a packed stream, in IDAT chunks of 256 KB.
bool WritePng(const Image& image, const Bytes& stream, Bytes* out) {
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
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
               static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  constexpr size_t kChunk = 256 * 1024;
  for (size_t at = 0; at < stream.size(); at += kChunk) {
    png_write_chunk(png, reinterpret_cast<png_const_bytep>("IDAT"), stream.data() + at,
                    std::min(kChunk, stream.size() - at));
  }
  png_write_chunk(png, reinterpret_cast<png_const_bytep>("IEND"), nullptr, 0);
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
  if (!Pack(sample, kRuns, &packed)) return std::nullopt;
  const bool repetitive = packed.size() < sample.rgb.size() / 4;
  packed.clear();
  packed.reserve(repetitive ? image.rgb.size() / 8 : image.rgb.size() * 3 / 5);
  if (!Pack(image, repetitive ? kMatches : kRuns, &packed)) return std::nullopt;
  Bytes out;
  out.reserve(packed.size() + 1024);
  if (!WritePng(image, packed, &out)) return std::nullopt;
  return out;
}

}  // namespace tiffdll
