#pragma once
// Deflate blocks of literals alone, written without zlib, for stretches of an
// entry where matches find next to nothing (photo-like pixels).
//
// The byte values in use change along such a picture's rows, so short blocks,
// each with Huffman codes fitted to the colours nearby, pack it smaller than
// one code for all. But every such block costs its reader the set-up of its
// decoding tables, and each literal a table look-up, where a stored block is
// a plain copy. Block ends and block kinds are chosen together, by dynamic
// programming over 1 KiB steps, for the least size plus estimated reading
// time: the output stays smaller than zlib's level 9 and is read no slower.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zipdll {

// Deflate's bit order: least significant bit first, codes reversed.
class BitWriter {
 public:
  // `skip` bits (0..7) of the first byte belong to someone else; they are
  // written as zeros.
  explicit BitWriter(int skip = 0) : count_(skip) {}

  // Up to 16 bits at a time.
  void Put(uint32_t value, int bits) {
    acc_ |= value << count_;
    count_ += bits;
    if (count_ >= 16) {
      bytes_.push_back(static_cast<unsigned char>(acc_));
      bytes_.push_back(static_cast<unsigned char>(acc_ >> 8));
      acc_ >>= 16;
      count_ -= 16;
    }
  }
  // The code of each of data[0, n): table[v] holds value v's code above its
  // length in the low 8 bits. The hot loop of a block, kept out of Put's way.
  void PutCodes(const unsigned char* data, std::size_t n, const uint32_t* table) {
    const std::size_t start = bytes_.size();
    bytes_.resize(start + 2 * n + 2);  // codes are 15 bits at most
    unsigned char* out = bytes_.data() + start;
    uint32_t acc = acc_;
    int count = count_;
    for (std::size_t i = 0; i < n; ++i) {
      const uint32_t code = table[data[i]];
      acc |= (code >> 8) << count;
      count += static_cast<int>(code & 0xff);
      if (count >= 16) {
        *out++ = static_cast<unsigned char>(acc);
        *out++ = static_cast<unsigned char>(acc >> 8);
        acc >>= 16;
        count -= 16;
      }
    }
    bytes_.resize(static_cast<std::size_t>(out - bytes_.data()));
    acc_ = acc;
    count_ = count;
  }
  // Zero bits up to the next byte boundary.
  void Align() {
    Put(0, (8 - count_ % 8) % 8);
    FlushWholeBytes();
  }
  void PutBytes(const unsigned char* data, std::size_t n) {
    bytes_.insert(bytes_.end(), data, data + n);  // only when aligned
  }

  const std::vector<unsigned char>& bytes() {
    FlushWholeBytes();
    return bytes_;
  }
  // The bits after the last whole byte: how many, and their value.
  int tailBits() {
    FlushWholeBytes();
    return count_;
  }
  uint32_t tail() {
    FlushWholeBytes();
    return acc_;
  }

 private:
  void FlushWholeBytes() {
    for (; count_ >= 8; count_ -= 8, acc_ >>= 8) bytes_.push_back(static_cast<unsigned char>(acc_));
  }

  std::vector<unsigned char> bytes_;
  uint32_t acc_ = 0;  // fewer than 16 bits between calls
  int count_;
};

// Appends deflate blocks (none marked final) that hold data[0, n) as
// literals, in dynamic-Huffman or stored blocks.
void WriteLiteralBlocks(const unsigned char* data, std::size_t n, BitWriter& out);

// The counts of each kind of block WriteLiteralBlocks writes; for the tests.
struct LiteralBlockCounts {
  std::size_t huffman = 0;
  std::size_t stored = 0;
};
LiteralBlockCounts CountLiteralBlocks(const unsigned char* data, std::size_t n);

}  // namespace zipdll
