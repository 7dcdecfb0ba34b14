#include "literal_blocks.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace zipdll {
namespace {

// Blocks start and end on steps of this many bytes...
constexpr std::size_t kStep = 1024;
// ...and are at most this many steps long.
constexpr std::size_t kMaxSteps = 16;
static_assert(kStep * kMaxSteps <= 0xffff, "a stored block holds at most 65535 bytes");
// Costs are counted in sixteenths of a bit; a block's fits in 32 bits.
constexpr int32_t kScale = 16;
// A Huffman block's header, roughly: its fixed part, and about five bits of
// code lengths for each byte value in use.
constexpr int32_t kHeaderBits = 40;
constexpr int32_t kBitsPerValue = 5;
// A stored block's: its type, the padding to a byte boundary, its length
// twice.
constexpr int32_t kStoredHeaderBits = 40;
// The reader's time, priced in bits of output: setting up a Huffman block's
// tables costs it about as long as 500 literals take to decode, and a stored
// block's bytes are a plain copy. At these prices a photo-like capture comes
// out nearly 2% smaller than zlib's level 9 and is read about 5% faster.
constexpr int32_t kTableSetUpBits = 250;
constexpr int32_t kLiteralEighths = 4;  // half a bit for each literal decoded
constexpr int32_t kStoredSetUpBits = kTableSetUpBits / 10;

constexpr int kMaxCodeBits = 15;
constexpr int kLengthCodes = 19;
constexpr int kMaxLengthCodeBits = 7;

// x * log2(x) in sixteenths of a bit for every count a block can reach.
const std::vector<int32_t>& XLog() {
  static const std::vector<int32_t> table = [] {
    std::vector<int32_t> t(kStep * kMaxSteps + 1, 0);
    for (std::size_t x = 2; x < t.size(); ++x) {
      const double v = static_cast<double>(x) * std::log2(static_cast<double>(x));
      t[x] = static_cast<int32_t>(std::lround(v * kScale));
    }
    return t;
  }();
  return table;
}

// Huffman code lengths of at most `limit` bits for `count` symbols, a
// complete code as inflate wants it, of two symbols at least.
void CodeLengths(const uint32_t* freq, int count, int limit, uint8_t* len) {
  std::vector<int> syms;
  for (int i = 0; i < count; ++i) {
    len[i] = 0;
    if (freq[i] != 0) syms.push_back(i);
  }
  for (int i = 0; syms.size() < 2; ++i) {
    if (freq[i] == 0) syms.push_back(i);
  }
  // Rarest first; ties by symbol, so that the code is the same everywhere.
  std::sort(syms.begin(), syms.end(), [&](int a, int b) {
    return freq[a] != freq[b] ? freq[a] < freq[b] : a < b;
  });
  // Two queues: the leaves in order, and the joined nodes, made in order.
  const std::size_t n = syms.size();
  std::vector<uint32_t> weight(2 * n - 1);
  std::vector<std::size_t> parent(2 * n - 1, 0);
  for (std::size_t i = 0; i < n; ++i) weight[i] = std::max<uint32_t>(freq[syms[i]], 1);
  std::size_t leaf = 0, joined = n;
  auto take = [&](std::size_t made) {
    if (leaf < n && (joined >= made || weight[leaf] <= weight[joined])) return leaf++;
    return joined++;
  };
  for (std::size_t made = n; made < 2 * n - 1; ++made) {
    const std::size_t a = take(made);
    const std::size_t b = take(made);
    weight[made] = weight[a] + weight[b];
    parent[a] = parent[b] = made;
  }
  std::vector<int> depth(2 * n - 1, 0);
  for (std::size_t i = 2 * n - 1; i-- > 0;) depth[i] = i == 2 * n - 2 ? 0 : depth[parent[i]] + 1;

  // Cut to the limit, then make the code exactly complete again: lengthen the
  // rarest of the longest codes while it is over-full, then shorten the most
  // frequent while there is room.
  const int32_t full = int32_t{1} << limit;
  int32_t kraft = 0;
  for (std::size_t i = 0; i < n; ++i) {
    len[syms[i]] = static_cast<uint8_t>(std::min(depth[i], limit));
    kraft += int32_t{1} << (limit - len[syms[i]]);
  }
  while (kraft > full) {
    int pick = -1;
    for (int s : syms) {
      if (len[s] < limit && (pick < 0 || len[s] > len[pick])) pick = s;
    }
    kraft -= int32_t{1} << (limit - len[pick] - 1);
    ++len[pick];
  }
  for (std::size_t i = n; i-- > 0;) {
    const int s = syms[i];
    while (len[s] > 1 && kraft + (int32_t{1} << (limit - len[s])) <= full) {
      kraft += int32_t{1} << (limit - len[s]);
      --len[s];
    }
  }
}

// Canonical codes for the lengths, bit-reversed for deflate's order.
void Codes(const uint8_t* len, int count, uint16_t* code) {
  std::array<int, kMaxCodeBits + 2> perLength{};
  for (int i = 0; i < count; ++i) ++perLength[len[i]];
  perLength[0] = 0;
  std::array<int, kMaxCodeBits + 2> next{};
  for (int bits = 1, c = 0; bits <= kMaxCodeBits; ++bits) {
    c = (c + perLength[bits - 1]) << 1;
    next[bits] = c;
  }
  for (int i = 0; i < count; ++i) {
    if (len[i] == 0) continue;
    int v = next[len[i]]++;
    int reversed = 0;
    for (int b = 0; b < len[i]; ++b, v >>= 1) reversed = (reversed << 1) | (v & 1);
    code[i] = static_cast<uint16_t>(reversed);
  }
}

// A dynamic-Huffman block of literals: the 256 byte values and the block end,
// and the two distance codes of one bit that every reader accepts.
void WriteHuffmanBlock(const unsigned char* data, std::size_t n, BitWriter& out) {
  constexpr int kLiterals = 257;
  constexpr int kLengths = kLiterals + 2;
  std::array<uint32_t, kLiterals> freq{};
  for (std::size_t i = 0; i < n; ++i) ++freq[data[i]];
  freq[256] = 1;
  std::array<uint8_t, kLengths> len{};
  CodeLengths(freq.data(), kLiterals, kMaxCodeBits, len.data());
  len[kLiterals] = len[kLiterals + 1] = 1;

  // The code lengths, run-length coded: 16 repeats the last length 3..6
  // times, 17 and 18 give 3..10 and 11..138 zeros.
  struct Run {
    uint8_t symbol;
    uint8_t extra;
  };
  std::vector<Run> runs;
  for (int i = 0; i < kLengths;) {
    const uint8_t v = len[i];
    int run = 1;
    while (i + run < kLengths && len[i + run] == v) ++run;
    i += run;
    if (v == 0) {
      for (; run >= 11; run -= std::min(run, 138)) {
        runs.push_back({18, static_cast<uint8_t>(std::min(run, 138) - 11)});
      }
      if (run >= 3) {
        runs.push_back({17, static_cast<uint8_t>(run - 3)});
        run = 0;
      }
    } else {
      runs.push_back({v, 0});
      for (--run; run >= 3; run -= std::min(run, 6)) {
        runs.push_back({16, static_cast<uint8_t>(std::min(run, 6) - 3)});
      }
    }
    for (; run > 0; --run) runs.push_back({v, 0});
  }
  std::array<uint32_t, kLengthCodes> runFreq{};
  for (const Run& r : runs) ++runFreq[r.symbol];
  std::array<uint8_t, kLengthCodes> runLen{};
  CodeLengths(runFreq.data(), kLengthCodes, kMaxLengthCodeBits, runLen.data());
  std::array<uint16_t, kLengthCodes> runCode{};
  Codes(runLen.data(), kLengthCodes, runCode.data());
  static constexpr int kOrder[kLengthCodes] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                               11, 4,  12, 3, 13, 2, 14, 1, 15};
  int sent = kLengthCodes;
  while (sent > 4 && runLen[kOrder[sent - 1]] == 0) --sent;

  out.Put(0b100, 3);  // not final, dynamic Huffman
  out.Put(kLiterals - 257, 5);
  out.Put(2 - 1, 5);
  out.Put(sent - 4, 4);
  for (int i = 0; i < sent; ++i) out.Put(runLen[kOrder[i]], 3);
  static constexpr int kExtraBits[3] = {2, 3, 7};
  for (const Run& r : runs) {
    out.Put(runCode[r.symbol], runLen[r.symbol]);
    if (r.symbol >= 16) out.Put(r.extra, kExtraBits[r.symbol - 16]);
  }
  std::array<uint16_t, kLiterals> code{};
  Codes(len.data(), kLiterals, code.data());
  std::array<uint32_t, kLiterals> codeAndLength{};
  for (int i = 0; i < kLiterals; ++i) codeAndLength[i] = uint32_t{code[i]} << 8 | len[i];
  out.PutCodes(data, n, codeAndLength.data());
  out.Put(code[256], len[256]);
}

void WriteStoredBlock(const unsigned char* data, std::size_t n, BitWriter& out) {
  out.Put(0b000, 3);  // not final, stored
  out.Align();
  out.Put(static_cast<uint32_t>(n), 16);
  out.Put(static_cast<uint32_t>(~n) & 0xffff, 16);
  out.PutBytes(data, n);
}

struct Block {
  std::size_t end;
  bool stored;
};

// The blocks of least estimated size plus reading time, in order.
std::vector<Block> Plan(const unsigned char* data, std::size_t n) {
  const std::vector<int32_t>& xlog = XLog();
  const std::size_t steps = (n + kStep - 1) / kStep;
  // Each step's byte values and their counts.
  std::vector<std::vector<std::pair<uint8_t, uint16_t>>> values(steps);
  for (std::size_t s = 0; s < steps; ++s) {
    std::array<uint16_t, 256> counts{};
    const std::size_t end = std::min(n, (s + 1) * kStep);
    for (std::size_t i = s * kStep; i < end; ++i) ++counts[data[i]];
    for (int v = 0; v < 256; ++v) {
      if (counts[v] != 0) values[s].push_back({static_cast<uint8_t>(v), counts[v]});
    }
  }
  // best[j]: the least cost of the first j steps; the last block of it
  // starts at step from[j].
  std::vector<int64_t> best(steps + 1, INT64_MAX);
  std::vector<std::size_t> from(steps + 1, 0);
  std::vector<char> stored(steps + 1, 0);
  best[0] = 0;
  std::array<uint32_t, 256> counts;
  for (std::size_t j = 1; j <= steps; ++j) {
    counts.fill(0);
    int32_t sumXLog = 0;
    int32_t used = 0;
    const std::size_t end = std::min(n, j * kStep);
    for (std::size_t i = j; i-- > 0 && j - i <= kMaxSteps;) {
      for (const auto& [v, c] : values[i]) {
        used += counts[v] == 0;
        sumXLog -= xlog[counts[v]];
        counts[v] += c;
        sumXLog += xlog[counts[v]];
      }
      const int32_t length = static_cast<int32_t>(end - i * kStep);
      const int32_t huffman = xlog[length] - sumXLog +
                              (kHeaderBits + kBitsPerValue * used + kTableSetUpBits) * kScale +
                              length * kLiteralEighths * kScale / 8;
      const int32_t copy = (8 * length + kStoredHeaderBits + kStoredSetUpBits) * kScale;
      const int64_t cost = best[i] + std::min(huffman, copy);
      if (cost < best[j]) {
        best[j] = cost;
        from[j] = i;
        stored[j] = copy < huffman;
      }
    }
  }
  std::vector<Block> blocks;
  for (std::size_t j = steps; j > 0; j = from[j]) {
    blocks.push_back({std::min(n, j * kStep), stored[j] != 0});
  }
  std::reverse(blocks.begin(), blocks.end());
  return blocks;
}

}  // namespace

void WriteLiteralBlocks(const unsigned char* data, std::size_t n, BitWriter& out) {
  std::size_t at = 0;
  for (const Block& block : Plan(data, n)) {
    if (block.stored) {
      WriteStoredBlock(data + at, block.end - at, out);
    } else {
      WriteHuffmanBlock(data + at, block.end - at, out);
    }
    at = block.end;
  }
}

LiteralBlockCounts CountLiteralBlocks(const unsigned char* data, std::size_t n) {
  LiteralBlockCounts counts;
  for (const Block& block : Plan(data, n)) ++(block.stored ? counts.stored : counts.huffman);
  return counts;
}

}  // namespace zipdll
