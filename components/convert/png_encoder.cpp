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
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "encoders.h"

namespace tiffdll {
namespace {

extern "C" void OnPngFlush(png_structp) {}
extern "C" void OnPngWarning(png_structp, png_const_charp) {}
// A refused write is reported by the caller's answer, not on the console.
extern "C" void OnPngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

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

// `count` rows of `length` bytes filtered into the band, and their checksum;
// `above` is the row before the first (zeros for the picture's first row).
void FilterRows(const uint8_t* rows, const uint8_t* above, int count, size_t length, Band& band) {
#if defined(__GNUC__) && defined(__i386__)
  // The weighing vectorises with SSE2, which the baseline 32-bit target lacks.
  __builtin_cpu_init();
  const bool sse2 = __builtin_cpu_supports("sse2");
#endif
  band.filtered.resize((length + 1) * static_cast<uint32_t>(count));
  uint8_t* out = band.filtered.data();
  for (int y = 0; y < count; ++y, out += length + 1) {
    const uint8_t* row = rows + static_cast<size_t>(y) * length;
#if defined(__GNUC__) && defined(__i386__)
    if (sse2) {
      FilterRowSse2(row, above, length, out);
      above = row;
      continue;
    }
#endif
    FilterRow(row, above, length, out);
    above = row;
  }
  band.adler = adler32(1, band.filtered.data(), static_cast<uInt>(band.filtered.size()));
  band.filteredWhole = true;
}

// The band's rows of the picture filtered, and their checksum.
void FilterBand(const Image& image, Band& band) {
  if (image.Empty() || band.end <= band.first) return;
  const size_t length = static_cast<uint32_t>(image.width) * size_t{kBytesPerPixel};
  const std::vector<uint8_t> zeros(length, 0);
  FilterRows(image.Row(band.first), band.first > 0 ? image.Row(band.first - 1) : zeros.data(),
             band.end - band.first, length, band);
}

// Raw deflate of the band, starting from the `tailSize` filtered bytes before
// it (none for the first band); the last band ends the stream.
void DeflateAfter(Band& band, const uint8_t* tail, size_t tailSize, bool last, Packing packing) {
  z_stream z{};
  if (deflateInit2(&z, packing.level, Z_DEFLATED, -15, packing.memoryLevel, packing.strategy) !=
      Z_OK) {
    return;
  }
  bool ok = true;
  if (tailSize > 0) {
    const size_t reach = std::min(kWindow, tailSize);
    ok = deflateSetDictionary(&z, tail + tailSize - reach, static_cast<uInt>(reach)) == Z_OK;
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

// Raw deflate of the band, starting from `before`'s tail; the last band ends the stream.
void DeflateBand(Band& band, const Band* before, bool last, Packing packing) {
  if (!band.filteredWhole || (before != nullptr && !before->filteredWhole)) return;
  if (before == nullptr) return DeflateAfter(band, nullptr, 0, last, packing);
  DeflateAfter(band, before->filtered.data(), before->filtered.size(), last, packing);
}

// Runs job(i) for the first `count` bands, the first on this thread and the
// others on threads of their own (on this one too when a thread cannot be had).
template <typename Job>
void ForEachBand(size_t count, const Job& job) {
  std::vector<std::thread> helpers;
  for (size_t i = 1; i < count; ++i) {
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

template <typename Job>
void ForEachBand(std::vector<Band>& bands, const Job& job) {
  ForEachBand(bands.size(), job);
}

size_t Processors() { return std::clamp(std::thread::hardware_concurrency(), 1u, 4u); }

// The zlib stream's first two bytes, with the level field as zlib itself sets it.
std::array<uint8_t, 2> ZlibHeader(Packing packing) {
  const int levelField = packing.strategy >= Z_HUFFMAN_ONLY || packing.level < 2 ? 0
                         : packing.level < 6                                     ? 1
                         : packing.level == 6                                    ? 2
                                                                                 : 3;
  const int header = (0x78 << 8) | (levelField << 6);
  return {0x78, static_cast<uint8_t>((levelField << 6) + 31 - header % 31)};
}

// The zlib stream of the filtered rows: header, the bands' deflate, checksum.
bool Pack(const Image& image, Packing packing, Bytes* stream) {
  // One band per processor, each of at least 256 KB of pixels: a thread of
  // its own is not worth less, and a seam costs some tens of bytes.
  const size_t processors = Processors();
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
  const std::array<uint8_t, 2> header = ZlibHeader(packing);
  stream->insert(stream->end(), header.begin(), header.end());
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

// libpng around the chunks: the signature and header, then chunk after chunk,
// each passed on to the sink. Every step answers false once the sink refused
// bytes (or libpng failed), and nothing is written after that.
class PngChunks {
 public:
  explicit PngChunks(const ByteSink& sink) : sink_(sink) {
    png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
    if (png_ != nullptr) info_ = png_create_info_struct(png_);
  }
  ~PngChunks() {
    if (png_ != nullptr) png_destroy_write_struct(&png_, info_ != nullptr ? &info_ : nullptr);
  }
  PngChunks(const PngChunks&) = delete;
  PngChunks& operator=(const PngChunks&) = delete;

  // No object with a destructor lives in the frames libpng's error jumps over.
  bool Start(int width, int height) {
    if (png_ == nullptr || info_ == nullptr) return false;
    if (setjmp(png_jmpbuf(png_))) return ok_ = false;
    png_set_write_fn(png_, this, OnWrite, OnPngFlush);
    png_set_IHDR(png_, info_, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png_, info_);
    return ok_;
  }
  bool Chunk(const char* type, const uint8_t* data, size_t size) {
    if (!ok_) return false;
    if (setjmp(png_jmpbuf(png_))) return ok_ = false;
    png_write_chunk(png_, reinterpret_cast<png_const_bytep>(type), data, size);
    return ok_;
  }

 private:
  static void OnWrite(png_structp png, png_bytep data, png_size_t length) {
    auto* self = static_cast<PngChunks*>(png_get_io_ptr(png));
    bool written = false;
    try {
      written = self->sink_(data, length);
    } catch (...) {
    }
    if (!written) png_error(png, "not written");
  }

  const ByteSink& sink_;
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
  bool ok_ = true;
};

constexpr size_t kIdatChunk = 256 * 1024;

// The PNG file around a packed stream, in IDAT chunks of 256 KB.
bool WritePng(const Image& image, const Bytes& stream, Bytes* out) {
  const ByteSink append = [out](const uint8_t* data, size_t size) {
    out->insert(out->end(), data, data + size);
    return true;
  };
  PngChunks png(append);
  if (!png.Start(image.width, image.height)) return false;
  for (size_t at = 0; at < stream.size(); at += kIdatChunk) {
    if (!png.Chunk("IDAT", stream.data() + at, std::min(kIdatChunk, stream.size() - at)))
      return false;
  }
  return png.Chunk("IEND", nullptr, 0);
}

// Bands of rows spread over the picture, an eighth of it: enough to tell a
// photo from a screen of windows at a fraction of a whole encoding.
std::optional<Image> Sample(int width, int height, const RowReader& read) {
  constexpr int kBand = 16, kEvery = 128;
  Image sample;
  sample.width = width;
  const size_t stride = static_cast<size_t>(width) * kBytesPerPixel;
  for (int top = 0; top < height; top += kEvery) {
    const int rows = std::min(kBand, height - top);
    sample.rgb.resize(sample.rgb.size() + rows * stride);
    if (!read(top, rows, sample.rgb.data() + sample.height * stride)) return std::nullopt;
    sample.height += rows;
  }
  return sample;
}

Image Sample(const Image& image) {
  const RowReader fromImage = [&image](int first, int count, uint8_t* out) {
    std::memcpy(out, image.Row(first), count * image.Stride());
    return true;
  };
  return *Sample(image.width, image.height, fromImage);
}

// Packed to less than a quarter, the picture has the flat areas and repeats
// that full matching packs much tighter, and quickly; a noise-rich one gains
// nothing from it.
std::optional<Packing> ChoosePacking(const Image& sample) {
  Bytes packed;
  if (!Pack(sample, kRuns, &packed)) return std::nullopt;
  return packed.size() < sample.rgb.size() / 4 ? kMatches : kRuns;
}

// Passes IDAT data on in chunks of 256 KB.
class IdatChunks {
 public:
  explicit IdatChunks(PngChunks& png) : png_(png) { pending_.reserve(kIdatChunk); }
  bool Add(const uint8_t* data, size_t size) {
    while (size > 0) {
      const size_t take = std::min(size, kIdatChunk - pending_.size());
      pending_.insert(pending_.end(), data, data + take);
      data += take;
      size -= take;
      if (pending_.size() == kIdatChunk && !Flush()) return false;
    }
    return true;
  }
  bool Flush() {
    if (pending_.empty()) return true;
    const bool written = png_.Chunk("IDAT", pending_.data(), pending_.size());
    pending_.clear();
    return written;
  }

 private:
  PngChunks& png_;
  Bytes pending_;
};

// Rows a block at a time, about this many bytes of pixels. Each block is
// filtered and deflated on its own, from the last 32 KB of the filtered rows
// before it (which it filters again from the raw rows kept in front of it),
// so the stream is the one Pack makes with more seams.
constexpr size_t kBlockBytes = 256 * 1024;

struct Block {
  int first = 0, end = 0;  // the block's own rows
  int context = 0;         // raw rows in front of them in `rows`
  bool last = false;
  Bytes rows;
  Band band;
  enum class State { Waiting, Running, Done } state = State::Waiting;
};

void PackBlock(Block& block, size_t length, Packing packing) {
  try {
    const std::vector<uint8_t> zeros(length, 0);
    const uint8_t* own = block.rows.data() + static_cast<size_t>(block.context) * length;
    // The first row in front is only the row above the rest, unless it is the picture's first.
    const int aboveOnly = block.context > 0 && block.first - block.context > 0 ? 1 : 0;
    Band before;
    if (block.context - aboveOnly > 0) {
      FilterRows(block.rows.data() + aboveOnly * length,
                 aboveOnly ? block.rows.data() : zeros.data(), block.context - aboveOnly, length,
                 before);
    }
    FilterRows(own, block.context > 0 ? own - length : zeros.data(), block.end - block.first,
               length, block.band);
    DeflateAfter(block.band, before.filtered.data(), before.filtered.size(), block.last, packing);
  } catch (...) {
    block.band.ok = false;  // out of memory: the block fails, the encoding with it
  }
}

// Blocks packed in order of arrival by helper threads that live as long as it
// does (a thread each time would cost more than it saves), and by the caller
// while it waits for the oldest.
class BlockPipeline {
 public:
  BlockPipeline(size_t length, Packing packing) : length_(length), packing_(packing) {
    for (size_t i = 1; i < Processors(); ++i) {
      try {
        helpers_.emplace_back([this] { Help(); });
      } catch (...) {
        break;  // the caller packs what no helper takes
      }
    }
  }
  ~BlockPipeline() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      closing_ = true;
    }
    changed_.notify_all();
    for (std::thread& helper : helpers_) helper.join();
  }
  BlockPipeline(const BlockPipeline&) = delete;
  BlockPipeline& operator=(const BlockPipeline&) = delete;

  size_t Size() {
    std::lock_guard<std::mutex> lock(mutex_);
    return blocks_.size();
  }
  void Add(std::unique_ptr<Block> block) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      blocks_.push_back(std::move(block));
    }
    changed_.notify_one();
  }
  // The oldest block once packed, packing waiting ones meanwhile.
  std::unique_ptr<Block> TakeOldest() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (blocks_.front()->state != Block::State::Done) {
      if (Block* waiting = NextWaiting()) {
        lock.unlock();
        PackBlock(*waiting, length_, packing_);
        lock.lock();
        waiting->state = Block::State::Done;
        changed_.notify_all();
      } else {
        changed_.wait(lock);
      }
    }
    std::unique_ptr<Block> oldest = std::move(blocks_.front());
    blocks_.pop_front();
    return oldest;
  }

 private:
  Block* NextWaiting() {
    for (const std::unique_ptr<Block>& block : blocks_) {
      if (block->state == Block::State::Waiting) {
        block->state = Block::State::Running;
        return block.get();
      }
    }
    return nullptr;
  }
  void Help() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
      Block* waiting = nullptr;
      changed_.wait(lock, [&] { return closing_ || (waiting = NextWaiting()) != nullptr; });
      if (waiting == nullptr) return;
      lock.unlock();
      PackBlock(*waiting, length_, packing_);
      lock.lock();
      waiting->state = Block::State::Done;
      changed_.notify_all();
    }
  }

  const size_t length_;
  const Packing packing_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::unique_ptr<Block>> blocks_;  // oldest first
  bool closing_ = false;
  std::vector<std::thread> helpers_;
};

bool PackStreamed(int width, int height, const RowReader& read, Packing packing, IdatChunks& idat) {
  const size_t length = static_cast<size_t>(width) * kBytesPerPixel;
  const int blockRows = static_cast<int>(std::clamp<size_t>(kBlockBytes / length, 1, height));
  // Rows kept in front of a block: enough for 32 KB filtered, and the row above them.
  const int keep = static_cast<int>(kWindow / (length + 1)) + 2;
  const size_t inFlight = 2 * Processors();
  const std::array<uint8_t, 2> header = ZlibHeader(packing);
  if (!idat.Add(header.data(), header.size())) return false;
  uLong adler = 1;
  bool first = true;
  auto emit = [&](const Block& block) {
    if (!block.band.ok || !idat.Add(block.band.packed.data(), block.band.packed.size()))
      return false;
    adler = first ? block.band.adler
                  : adler32_combine(adler, block.band.adler,
                                    static_cast<z_off_t>(block.band.filtered.size()));
    first = false;
    return true;
  };
  BlockPipeline pipeline(length, packing);
  Bytes recent;  // the last raw rows read, up to `keep` of them
  for (int top = 0; top < height;) {
    auto block = std::make_unique<Block>();
    block->first = top;
    block->end = top = std::min(height, top + blockRows);
    block->last = block->end == height;
    block->context = static_cast<int>(recent.size() / length);
    const size_t own = length * static_cast<size_t>(block->end - block->first);
    block->rows.resize(recent.size() + own);
    std::copy(recent.begin(), recent.end(), block->rows.begin());
    if (!read(block->first, block->end - block->first, block->rows.data() + recent.size()))
      return false;
    const size_t kept = std::min(block->rows.size(), length * static_cast<size_t>(keep));
    recent.assign(block->rows.end() - static_cast<std::ptrdiff_t>(kept), block->rows.end());
    pipeline.Add(std::move(block));
    while (pipeline.Size() >= inFlight) {
      if (!emit(*pipeline.TakeOldest())) return false;
    }
  }
  while (pipeline.Size() > 0) {
    if (!emit(*pipeline.TakeOldest())) return false;
  }
  std::array<uint8_t, 4> checksum{};
  for (int i = 0; i < 4; ++i) checksum[i] = static_cast<uint8_t>(adler >> (24 - 8 * i));
  return idat.Add(checksum.data(), checksum.size());
}

}  // namespace

std::optional<Bytes> EncodePng(const Image& image) {
  if (image.Empty()) return std::nullopt;
  const std::optional<Packing> packing = ChoosePacking(Sample(image));
  if (!packing) return std::nullopt;
  const bool repetitive = packing->level == kMatches.level;
  Bytes packed;
  packed.reserve(repetitive ? image.rgb.size() / 8 : image.rgb.size() * 3 / 5);
  if (!Pack(image, *packing, &packed)) return std::nullopt;
  Bytes out;
  out.reserve(packed.size() + 1024);
  if (!WritePng(image, packed, &out)) return std::nullopt;
  return out;
}

bool EncodePngStreamed(int width, int height, const RowReader& read, const ByteSink& write) {
  if (!SizeAllowed(width, height)) return false;
  try {
    std::optional<Packing> packing;
    if (std::optional<Image> sample = Sample(width, height, read)) packing = ChoosePacking(*sample);
    if (!packing) return false;
    PngChunks png(write);
    if (!png.Start(width, height)) return false;
    IdatChunks idat(png);
    return PackStreamed(width, height, read, *packing, idat) && idat.Flush() &&
           png.Chunk("IEND", nullptr, 0);
  } catch (...) {
    return false;  // out of memory, or a thread that could not be had
  }
}

}  // namespace tiffdll
