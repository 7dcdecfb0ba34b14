#include "whole_deflate.h"

#include "literal_blocks.h"

#define ZLIB_CONST
#include <zlib.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <new>
#include <system_error>
#include <thread>

namespace zipdll {
namespace {

// Input packed one way; the way is chosen afresh for each stretch.
constexpr std::size_t kStretch = 512 * 1024;
// Bytes at the start of each stretch packed every way to choose.
constexpr std::size_t kTrial = 8 * 1024;
// zlib's default: its 16K-symbol blocks pack captures a little smaller than
// the 32K of level 9's usual 9.
constexpr int kMemLevel = 8;
// Free output room kept before each deflate call.
constexpr std::size_t kRoom = 256 * 1024;

// Where a stream's output goes: kept, or only counted (for trials).
struct Sink {
  explicit Sink(bool keepIt) : keep(keepIt) {}
  std::vector<unsigned char> bytes;
  std::size_t used = 0;
  std::size_t dropped = 0;
  bool keep;
  std::size_t Total() const { return dropped + used; }
  void Append(const unsigned char* data, std::size_t n) {
    if (!keep) {
      dropped += n;
      return;
    }
    if (bytes.size() - used < n + kRoom) bytes.resize(std::max(bytes.size() * 2, used + n + kRoom));
    std::copy(data, data + n, bytes.begin() + static_cast<std::ptrdiff_t>(used));
    used += n;
  }
};

class Stream {
 public:
  Stream() = default;
  ~Stream() {
    if (live_) deflateEnd(&z_);
  }
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;

  bool Init(int level) {
    live_ = deflateInit2(&z_, level, Z_DEFLATED, -MAX_WBITS, kMemLevel, Z_DEFAULT_STRATEGY) == Z_OK;
    return live_;
  }
  bool CopyOf(Stream& other) {
    live_ = deflateCopy(&z_, &other.z_) == Z_OK;
    return live_;
  }
  z_stream& z() { return z_; }

 private:
  z_stream z_{};
  bool live_ = false;
};

// Runs deflate until it has taken all its input and, with a flush, put out
// everything the flush asks for.
bool Pump(z_stream& z, int flush, Sink& sink) {
  for (;;) {
    if (sink.bytes.size() - sink.used < kRoom) {
      if (sink.keep) {
        sink.bytes.resize(std::max(sink.bytes.size() * 2, sink.used + kRoom));
      } else {
        sink.dropped += sink.used;
        sink.used = 0;
        if (sink.bytes.size() < kRoom) sink.bytes.resize(kRoom);
      }
    }
    z.next_out = sink.bytes.data() + sink.used;
    z.avail_out = static_cast<uInt>(sink.bytes.size() - sink.used);
    const int rc = deflate(&z, flush);
    sink.used = sink.bytes.size() - z.avail_out;
    if (rc == Z_STREAM_ERROR) return false;
    if (flush == Z_FINISH) {
      if (rc == Z_STREAM_END) return true;
    } else if (z.avail_in == 0 && z.avail_out != 0) {
      return true;
    }
  }
}

// zlib's strategy for a way of matching.
int Strategy(DeflateMode mode) {
  return mode == DeflateMode::kLongMatches ? Z_FILTERED : Z_DEFAULT_STRATEGY;
}

// One stream's packer: zlib for the ways that match, literal blocks of our
// own spliced into zlib's bit stream for the rest. `input` is where the whole
// entry starts, for the window that zlib's matching needs after such blocks.
class Packer {
 public:
  Packer(Stream& stream, Sink& sink, int level, const unsigned char* input)
      : stream_(stream), sink_(sink), input_(input), level_(level) {}

  DeflateMode mode() const { return mode_; }

  // The same packer in the same state, on a copy of its stream.
  Packer CopyOn(Stream& stream, Sink& sink) const {
    Packer copy(stream, sink, level_, input_);
    copy.mode_ = mode_;
    copy.strategy_ = strategy_;
    return copy;
  }

  bool Pack(DeflateMode mode, const unsigned char* data, std::size_t n) {
    mode_ = mode;
    if (mode == DeflateMode::kLiterals) return PackLiterals(data, n);
    z_stream& z = stream_.z();
    if (Strategy(mode) != strategy_) {
      // Close the block in hand first, so that deflateParams finds nothing
      // left to put out.
      z.avail_in = 0;
      if (!Pump(z, Z_BLOCK, sink_)) return false;
      if (deflateParams(&z, level_, Strategy(mode)) != Z_OK) return false;
      sink_.used = sink_.bytes.size() - z.avail_out;
      strategy_ = Strategy(mode);
    }
    z.next_in = data;
    z.avail_in = static_cast<uInt>(n);
    return Pump(z, Z_NO_FLUSH, sink_);
  }

 private:
  // zlib's block in hand is closed and its last bits, up to seven, stay with
  // it: the literal blocks' first bits complete that byte through
  // deflatePrime, their whole bytes go straight to the output, and their last
  // bits go back to zlib, which goes on after them.
  bool PackLiterals(const unsigned char* data, std::size_t n) {
    if (n == 0) return true;
    z_stream& z = stream_.z();
    z.avail_in = 0;
    if (!Pump(z, Z_BLOCK, sink_)) return false;
    unsigned pending = 0;
    int held = 0;
    if (deflatePending(&z, &pending, &held) != Z_OK || pending != 0) return false;
    BitWriter blocks(held);
    WriteLiteralBlocks(data, n, blocks);
    const std::vector<unsigned char>& bytes = blocks.bytes();
    std::size_t first = 0;
    if (held > 0 && !bytes.empty()) {
      if (deflatePrime(&z, 8 - held, bytes[0] >> held) != Z_OK) return false;
      if (!Pump(z, Z_BLOCK, sink_)) return false;
      first = 1;
    }
    sink_.Append(bytes.data() + first, bytes.size() - first);
    if (blocks.tailBits() > 0 &&
        deflatePrime(&z, blocks.tailBits(), static_cast<int>(blocks.tail())) != Z_OK) {
      return false;
    }
    // Matches after these blocks reach back into them: zlib's window is made
    // what the reader will have. Short of a full window, this is the start of
    // the entry and zlib has seen nothing yet.
    const std::size_t window = std::min<std::size_t>(data + n - input_, 32 * 1024);
    return deflateSetDictionary(&z, data + n - window, static_cast<uInt>(window)) == Z_OK;
  }

  Stream& stream_;
  Sink& sink_;
  const unsigned char* input_;
  int level_;
  DeflateMode mode_ = DeflateMode::kMatches;
  int strategy_ = Z_DEFAULT_STRATEGY;
};

// Bytes that `n` bytes cost packed in `mode` from the main packer's state.
std::optional<std::size_t> TrialCost(Stream& main, const Packer& packer, DeflateMode mode,
                                     const unsigned char* data, std::size_t n, Sink& scratch) {
  Stream trial;
  if (!trial.CopyOf(main)) return std::nullopt;
  scratch.used = 0;
  scratch.dropped = 0;
  Packer copy = packer.CopyOn(trial, scratch);
  trial.z().avail_in = 0;
  if (!copy.Pack(mode, data, n) || !Pump(trial.z(), Z_BLOCK, scratch)) return std::nullopt;
  return scratch.Total();
}

// The deflate of data[begin, end) as one part of a stream: it starts from the
// window before `begin` as its dictionary and ends on a byte boundary (with
// the empty stored block of a sync flush), or with the final block when it is
// the last. `stepDone` hears of each stretch packed and may stop the part.
struct Part {
  std::vector<unsigned char> bytes;
  std::vector<DeflateMode> modes;
  bool ok = false;
};

void PackPart(const unsigned char* data, std::size_t begin, std::size_t end, bool last, int level,
              const std::function<bool(std::size_t)>& stepDone, Part& part) {
  Stream main;
  if (!main.Init(level)) return;
  if (begin > 0) {
    const std::size_t window = std::min<std::size_t>(begin, 32 * 1024);
    if (deflateSetDictionary(&main.z(), data + begin - window, static_cast<uInt>(window)) != Z_OK) {
      return;
    }
  }
  Sink out(true);
  Sink scratch(false);
  Packer packer(main, out, level, data);
  for (std::size_t at = begin; at < end;) {
    const std::size_t n = std::min(kStretch, end - at);
    const std::size_t trial = std::min(kTrial, n);
    // The first way of the smallest cost wins.
    DeflateMode mode = packer.mode();
    std::size_t best = 0;
    bool first = true;
    for (DeflateMode way :
         {DeflateMode::kMatches, DeflateMode::kLongMatches, DeflateMode::kLiterals}) {
      const std::optional<std::size_t> cost =
          TrialCost(main, packer, way, data + at, trial, scratch);
      if (!cost) return;
      if (first || *cost < best) {
        best = *cost;
        mode = way;
        first = false;
      }
    }
    part.modes.push_back(mode);
    if (!packer.Pack(mode, data + at, n)) return;
    at += n;
    if (!stepDone(n)) return;
  }
  main.z().avail_in = 0;
  if (!Pump(main.z(), last ? Z_FINISH : Z_SYNC_FLUSH, out)) return;
  out.bytes.resize(out.used);
  part.bytes = std::move(out.bytes);
  part.ok = true;
}

// Up to this many parts, of whole stretches, packed side by side: the same
// parts on every machine, so the same archive, and about half the wait where
// a second core is free. More parts balance the threads better (matching
// costs far more on some stretches than on others) but each costs a block
// end and a few bytes.
constexpr std::size_t kParts = 4;

std::optional<std::vector<unsigned char>> Run(const unsigned char* data, std::size_t size,
                                              int level,
                                              const std::function<bool(std::size_t)>& progress,
                                              std::vector<DeflateMode>* modes) {
  level = std::clamp(level, 1, 9);
  const std::size_t stretches = std::max<std::size_t>(1, (size + kStretch - 1) / kStretch);
  const std::size_t count = std::min(kParts, stretches);
  std::vector<Part> parts(count);
  auto bound = [&](std::size_t i) { return std::min(size, stretches * i / count * kStretch); };

  std::atomic<std::size_t> next{0};
  std::atomic<bool> stop{false};
  std::atomic<std::size_t> doneElsewhere{0};
  // Only the calling thread reports progress; it passes on what the other did.
  const auto stepHere = [&](std::size_t n) {
    n += doneElsewhere.exchange(0);
    if (progress && !progress(n)) stop = true;
    return !stop.load();
  };
  const auto stepElsewhere = [&](std::size_t n) {
    doneElsewhere += n;
    return !stop.load();
  };
  const auto work = [&](const std::function<bool(std::size_t)>& step) {
    for (std::size_t i = next++; i < count && !stop.load(); i = next++) {
      PackPart(data, bound(i), bound(i + 1), i + 1 == count, level, step, parts[i]);
      if (!parts[i].ok) stop = true;
    }
  };
  {
    std::jthread helper;
    if (count > 1) {
      try {
        helper = std::jthread([&] {
          try {
            work(stepElsewhere);
          } catch (const std::bad_alloc&) {
            stop = true;
          }
        });
      } catch (const std::system_error&) {
        // No thread to be had: this one packs every part.
      }
    }
    try {
      work(stepHere);
    } catch (...) {
      stop = true;  // the helper leaves its work for the join
      throw;
    }
  }
  for (const Part& part : parts) {
    if (!part.ok) return std::nullopt;
  }
  const std::size_t rest = doneElsewhere.exchange(0);
  if (rest > 0 && progress && !progress(rest)) return std::nullopt;

  std::vector<unsigned char> bytes = std::move(parts[0].bytes);
  if (modes != nullptr) *modes = std::move(parts[0].modes);
  for (std::size_t i = 1; i < count; ++i) {
    bytes.insert(bytes.end(), parts[i].bytes.begin(), parts[i].bytes.end());
    if (modes != nullptr) modes->insert(modes->end(), parts[i].modes.begin(), parts[i].modes.end());
  }
  return bytes;
}

}  // namespace

std::optional<std::vector<unsigned char>> DeflateWhole(
    const unsigned char* data, std::size_t size, int level,
    const std::function<bool(std::size_t)>& progress) {
  try {
    return Run(data, size, level, progress, nullptr);
  } catch (const std::exception&) {  // memory, mostly
    return std::nullopt;
  }
}

std::vector<DeflateMode> DeflateModes(const unsigned char* data, std::size_t size, int level) {
  std::vector<DeflateMode> modes;
  Run(data, size, level, nullptr, &modes);
  return modes;
}

}  // namespace zipdll
