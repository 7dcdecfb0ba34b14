// Plain 24- and 32-bit DIBs read without GDI: row order, padding, channel order.
#include "dib_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace tiffdll {
namespace {

std::vector<uint8_t> Dib(int32_t w, int32_t h, uint16_t bits, const std::vector<uint8_t>& rows) {
  std::vector<uint8_t> block(40, 0);
  const uint32_t fields[] = {40, static_cast<uint32_t>(w), static_cast<uint32_t>(h)};
  std::memcpy(block.data(), fields, sizeof fields);
  block[12] = 1;
  block[14] = static_cast<uint8_t>(bits);
  block.insert(block.end(), rows.begin(), rows.end());
  return block;
}

std::optional<Image> Read(const std::vector<uint8_t>& block) {
  auto layout = vistrel::ReadPackedDibLayout(block.data(), block.size());
  if (!layout) return std::nullopt;
  return ImageFromPlainDib(*layout, block.data());
}

TEST(PlainDib, BottomUpTwentyFourBitWithPadding) {
  // 1 pixel wide, 3 bytes padded to 4; stored bottom row first, as B, G, R.
  auto image = Read(Dib(1, 2, 24, {0x30, 0x20, 0x10, 0xEE, 0x03, 0x02, 0x01, 0xEE}));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->rgb, (std::vector<uint8_t>{0x01, 0x02, 0x03, 0x10, 0x20, 0x30}));
}

TEST(PlainDib, TopDownThirtyTwoBitDropsTheFourthByte) {
  auto image = Read(Dib(2, -1, 32, {0x03, 0x02, 0x01, 0xFF, 0x06, 0x05, 0x04, 0xFF}));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->rgb, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
}

TEST(PlainDib, OtherDepthsAreLeftToGdi) {
  auto eight = Dib(4, 1, 8, std::vector<uint8_t>(256 * 4 + 4));
  EXPECT_FALSE(Read(eight));
}

}  // namespace
}  // namespace tiffdll
