// The clipboard copy's three blocks read back as another program would: the
// headers field by field, the rows bottom-up, and the PNG decoded by libpng.
#include "handoffs_clipboard.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstring>

namespace vistrel::wizard {
namespace {

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t{b[at + 3]} << 24);
}
uint16_t U16(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

// 5 x 3 (an odd width: the 24-bit rows are padded), every pixel its own colour.
std::vector<uint32_t> Picture() {
  std::vector<uint32_t> pixels;
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) pixels.push_back(0x102030u * (x + 1) + 0x050000u * y + 0x01u);
  return pixels;
}

TEST(ClipboardBlocks, PackedDibIs24BitBottomUpWithPaddedRows) {
  const auto blocks = MakeClipboardBlocks(5, 3, Picture());
  ASSERT_TRUE(blocks);
  const std::vector<uint8_t>& dib = blocks->dib;
  const size_t stride = 16;  // 15 bytes, padded to 4
  ASSERT_EQ(dib.size(), 40 + stride * 3);
  EXPECT_EQ(U32(dib, 0), 40u);
  EXPECT_EQ(U32(dib, 4), 5u);
  EXPECT_EQ(U32(dib, 8), 3u);  // positive: bottom-up
  EXPECT_EQ(U16(dib, 12), 1);
  EXPECT_EQ(U16(dib, 14), 24);
  EXPECT_EQ(U32(dib, 16), 0u);  // BI_RGB
  EXPECT_EQ(U32(dib, 20), stride * 3);
  EXPECT_EQ(U32(dib, 32), 0u);  // no colour table
  const std::vector<uint32_t> pixels = Picture();
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) {
      const size_t at = 40 + (2 - y) * stride + x * 3;
      const uint32_t p = pixels[y * 5 + x];
      EXPECT_EQ(dib[at], p & 0xFF) << x << "," << y;
      EXPECT_EQ(dib[at + 1], (p >> 8) & 0xFF);
      EXPECT_EQ(dib[at + 2], (p >> 16) & 0xFF);
    }
  }
}

TEST(ClipboardBlocks, VersionFiveDibIsOpaqueSrgbWithItsMasksInTheHeader) {
  const auto blocks = MakeClipboardBlocks(5, 3, Picture());
  ASSERT_TRUE(blocks);
  const std::vector<uint8_t>& v5 = blocks->dibV5;
  ASSERT_EQ(v5.size(), 124u + 5 * 4 * 3);
  EXPECT_EQ(U32(v5, 0), 124u);
  EXPECT_EQ(U32(v5, 8), 3u);
  EXPECT_EQ(U16(v5, 14), 32);
  EXPECT_EQ(U32(v5, 16), 3u);  // BI_BITFIELDS
  EXPECT_EQ(U32(v5, 40), 0x00FF0000u);
  EXPECT_EQ(U32(v5, 44), 0x0000FF00u);
  EXPECT_EQ(U32(v5, 48), 0x000000FFu);
  EXPECT_EQ(U32(v5, 52), 0xFF000000u);
  EXPECT_EQ(U32(v5, 56), 0x73524742u);  // 'sRGB'
  EXPECT_EQ(U32(v5, 108), 4u);          // LCS_GM_IMAGES
  const std::vector<uint32_t> pixels = Picture();
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) {
      EXPECT_EQ(U32(v5, 124 + ((2 - y) * 5 + x) * 4), 0xFF000000u | pixels[y * 5 + x]);
    }
  }
}

TEST(ClipboardBlocks, PngHoldsThePixelsExactly) {
  const auto blocks = MakeClipboardBlocks(5, 3, Picture());
  ASSERT_TRUE(blocks);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_memory(&image, blocks->png.data(), blocks->png.size()));
  EXPECT_EQ(image.width, 5u);
  EXPECT_EQ(image.height, 3u);
  image.format = PNG_FORMAT_BGRA;
  std::vector<uint32_t> read(15);
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, read.data(), 0, nullptr));
  const std::vector<uint32_t> pixels = Picture();
  for (size_t i = 0; i < read.size(); ++i) EXPECT_EQ(read[i], 0xFF000000u | pixels[i]) << i;
}

TEST(ClipboardBlocks, NothingForAnEmptyOrMismatchedPicture) {
  EXPECT_FALSE(MakeClipboardBlocks(0, 3, {}));
  EXPECT_FALSE(MakeClipboardBlocks(5, 3, std::vector<uint32_t>(14)));
}

}  // namespace
}  // namespace vistrel::wizard
