// Literal blocks written without zlib: zlib's inflate reads them back exactly
// whatever the byte values, and their ends and kinds follow the data.
#include "literal_blocks.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "raw_inflate.h"
#include "test_pictures.h"

namespace zipdll {
namespace {

using Bytes = std::vector<unsigned char>;
using ziptest::Noise;
using ziptest::PhotoLike;

// The blocks closed by an empty final block, inflated.
Bytes RoundTrip(const Bytes& data) {
  BitWriter bits;
  WriteLiteralBlocks(data.data(), data.size(), bits);
  bits.Put(0b011, 3);  // final, fixed codes
  bits.Put(0, 7);      // the block end
  bits.Align();
  return ziptest::Inflate(bits.bytes(), data.size());
}

Bytes RandomBytes(std::size_t n, uint32_t seed) {
  Bytes b(n);
  uint32_t state = seed;
  for (unsigned char& c : b) {
    state = state * 1664525u + 1013904223u;
    c = static_cast<unsigned char>(state >> 24);
  }
  return b;
}

TEST(LiteralBlocks, InflateBackExactly) {
  Bytes skewed(40000);  // one value nearly everywhere: codes of up to 15 bits
  Noise n{3};
  for (std::size_t i = 0; i < skewed.size(); ++i) {
    skewed[i] = static_cast<unsigned char>(i % 997 == 0 ? n.Next(100) + 128 : 7);
  }
  Bytes everyValue;
  for (int r = 0; r < 70; ++r) {
    for (int v = 0; v < 256; ++v) everyValue.push_back(static_cast<unsigned char>(v));
  }
  const std::vector<std::pair<std::string, Bytes>> inputs = {
      {"one byte", {'x'}},
      {"one value over many blocks", Bytes(100000, 0xff)},
      {"two values", [] {
         Bytes b(3000);
         for (std::size_t i = 0; i < b.size(); ++i) b[i] = i % 3 == 0 ? 0 : 255;
         return b;
       }()},
      {"skewed", skewed},
      {"every value evenly", everyValue},
      {"random", RandomBytes(50001, 5)},
      {"photo-like", PhotoLike(500, 90, 4)},
      {"one step and a byte", [] {
         Bytes b = PhotoLike(400, 1, 8);
         b.resize(1025);
         return b;
       }()},
  };
  for (const auto& [name, data] : inputs) {
    SCOPED_TRACE(name);
    EXPECT_EQ(RoundTrip(data), data);
  }
}

TEST(LiteralBlocks, BlocksFollowTheData) {
  // Nothing to gain from Huffman codes: stored, read as a plain copy.
  const LiteralBlockCounts random = CountLiteralBlocks(RandomBytes(64 * 1024, 9).data(), 64 * 1024);
  EXPECT_EQ(random.huffman, 0u);
  EXPECT_GE(random.stored, 4u);  // no block longer than 16 KiB

  // The same few values throughout: as few blocks as the longest allows.
  const Bytes flat(160 * 1024, 0x40);
  const LiteralBlockCounts few = CountLiteralBlocks(flat.data(), flat.size());
  EXPECT_EQ(few.huffman, 10u);
  EXPECT_EQ(few.stored, 0u);

  // Values that keep to one narrow range for 4 KiB, then to another: a block
  // for each range, which packs it smaller than one code for it all.
  Bytes photo;
  Noise n{12};
  for (int segment = 0; segment < 12; ++segment) {
    const int base = (segment * 7 % 12) * 20 + 8;
    for (int i = 0; i < 4096; ++i) photo.push_back(static_cast<unsigned char>(base + n.Next(7)));
  }
  const LiteralBlockCounts counts = CountLiteralBlocks(photo.data(), photo.size());
  EXPECT_EQ(counts.huffman, 12u);
  EXPECT_EQ(counts.stored, 0u);
  BitWriter bits;
  WriteLiteralBlocks(photo.data(), photo.size(), bits);
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 9, Z_HUFFMAN_ONLY);
  Bytes whole(deflateBound(&z, photo.size()));
  z.next_in = const_cast<unsigned char*>(photo.data());
  z.avail_in = static_cast<uInt>(photo.size());
  z.next_out = whole.data();
  z.avail_out = static_cast<uInt>(whole.size());
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  EXPECT_LT(bits.bytes().size(), z.total_out);
  deflateEnd(&z);
}

}  // namespace
}  // namespace zipdll
