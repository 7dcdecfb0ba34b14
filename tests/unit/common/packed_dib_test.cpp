// Packed DIB layouts: where the rows start for every header kind, and blocks
// whose lengths do not add up are refused before anything reads past them.
#include "packed_dib.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace vistrel {
namespace {

void Put32(std::vector<uint8_t>& block, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) block[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// A header of `headerSize` bytes followed by `extra` bytes (table, masks, rows).
std::vector<uint8_t> Block(uint32_t headerSize, int32_t w, int32_t h, uint16_t bits,
                           uint32_t compression, size_t extra, uint32_t coloursUsed = 0,
                           uint32_t sizeImage = 0) {
  std::vector<uint8_t> block(headerSize + extra, 0);
  Put32(block, 0, headerSize);
  Put32(block, 4, static_cast<uint32_t>(w));
  Put32(block, 8, static_cast<uint32_t>(h));
  block[12] = 1;  // planes
  block[14] = static_cast<uint8_t>(bits);
  Put32(block, 16, compression);
  Put32(block, 20, sizeImage);
  Put32(block, 32, coloursUsed);
  return block;
}

TEST(PackedDib, RowsStartAfterHeaderMasksAndColourTable) {
  // 24-bit, 3 pixels wide: 9 bytes padded to 12 a row.
  auto plain = Block(40, 3, 2, 24, kDibRgb, 24);
  auto layout = ReadPackedDibLayout(plain.data(), plain.size());
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->bitsOffset, 40u);
  EXPECT_EQ(layout->stride, 12u);
  EXPECT_FALSE(layout->topDown);

  // 8-bit with the full table of 256 entries, then with 3 used.
  auto full = Block(40, 4, 1, 8, kDibRgb, 256 * 4 + 4);
  EXPECT_EQ(ReadPackedDibLayout(full.data(), full.size())->bitsOffset, 40u + 1024u);
  auto three = Block(40, 4, 1, 8, kDibRgb, 3 * 4 + 4, 3);
  EXPECT_EQ(ReadPackedDibLayout(three.data(), three.size())->bitsOffset, 52u);

  // Bit fields: three masks after a plain header, inside a version 5 header.
  auto masks = Block(40, 1, 1, 32, kDibBitfields, 12 + 4);
  EXPECT_EQ(ReadPackedDibLayout(masks.data(), masks.size())->bitsOffset, 52u);
  auto v5 = Block(124, 1, -1, 32, kDibBitfields, 4);
  layout = ReadPackedDibLayout(v5.data(), v5.size());
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->bitsOffset, 124u);
  EXPECT_TRUE(layout->topDown);
  EXPECT_EQ(layout->height, 1);

  // Run-length rows are as long as the header says.
  auto rle = Block(40, 8, 8, 8, kDibRle8, 1024 + 10, 0, 10);
  EXPECT_EQ(ReadPackedDibLayout(rle.data(), rle.size())->bitsSize, 10u);
}

TEST(PackedDib, DamagedBlocksAreRefused) {
  auto rowsMissing = Block(40, 100, 100, 24, kDibRgb, 100);
  EXPECT_FALSE(ReadPackedDibLayout(rowsMissing.data(), rowsMissing.size()));
  auto tableMissing = Block(40, 2, 2, 8, kDibRgb, 8);
  EXPECT_FALSE(ReadPackedDibLayout(tableMissing.data(), tableMissing.size()));
  auto rleTooLong = Block(40, 8, 8, 8, kDibRle8, 1024 + 10, 0, 11);
  EXPECT_FALSE(ReadPackedDibLayout(rleTooLong.data(), rleTooLong.size()));
  // Dimensions whose row bytes overflow 32 bits must not wrap to a small size.
  auto huge = Block(40, 0x7FFFFFFF, 0x7FFFFFFF, 32, kDibRgb, 16);
  EXPECT_FALSE(ReadPackedDibLayout(huge.data(), huge.size()));
  auto noWidth = Block(40, 0, 1, 24, kDibRgb, 16);
  EXPECT_FALSE(ReadPackedDibLayout(noWidth.data(), noWidth.size()));
  auto oddDepth = Block(40, 1, 1, 12, kDibRgb, 16);
  EXPECT_FALSE(ReadPackedDibLayout(oddDepth.data(), oddDepth.size()));
  auto jpeg = Block(40, 1, 1, 24, 4 /* BI_JPEG */, 16);
  EXPECT_FALSE(ReadPackedDibLayout(jpeg.data(), jpeg.size()));
  auto headerPastEnd = Block(40, 1, 1, 24, kDibRgb, 4);
  Put32(headerPastEnd, 0, 200);
  EXPECT_FALSE(ReadPackedDibLayout(headerPastEnd.data(), headerPastEnd.size()));
  EXPECT_FALSE(ReadPackedDibLayout(rowsMissing.data(), 39));
  EXPECT_FALSE(ReadPackedDibLayout(nullptr, 100));
}

}  // namespace
}  // namespace vistrel
