// Every colour depth the clipboard may hold reaches the converter as the
// right pixels, and damaged DIB blocks are refused instead of over-read.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "clipboard_win.h"
#include "result_codes.h"
#include "win_test_support.h"

namespace tiffdll {
namespace {

// A packed DIB: header, optional colour table or masks, bottom-up rows.
std::vector<uint8_t> Dib(int w, int h, int bits, DWORD compression, const std::vector<uint32_t>& table,
                         const std::vector<uint8_t>& rows) {
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = w;
  header.biHeight = h;
  header.biPlanes = 1;
  header.biBitCount = static_cast<WORD>(bits);
  header.biCompression = compression;
  header.biClrUsed = bits <= 8 ? static_cast<DWORD>(table.size()) : 0;
  std::vector<uint8_t> out(sizeof header);
  std::memcpy(out.data(), &header, sizeof header);
  for (uint32_t entry : table) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(entry >> (8 * i)));
  }
  out.insert(out.end(), rows.begin(), rows.end());
  return out;
}

std::vector<uint8_t> Rgb(const Image& image, int x, int y) {
  const uint8_t* p = image.Pixel(x, y);
  return {p[0], p[1], p[2]};
}

TEST(ConvertClipboardDib, EightBitWithPalette) {
  // Colour table entries are 0x00RRGGBB as bytes B, G, R, 0.
  auto dib = Dib(3, 2, 8, BI_RGB, {0x00FF0000, 0x0000FF00, 0x000000FF},
                 {2, 1, 0, 0, /* bottom row */ 0, 1, 2, 0 /* top row */});
  auto image = ImageFromPackedDib(dib.data(), dib.size());
  ASSERT_TRUE(image);
  EXPECT_EQ(Rgb(*image, 0, 0), (std::vector<uint8_t>{255, 0, 0}));
  EXPECT_EQ(Rgb(*image, 2, 0), (std::vector<uint8_t>{0, 0, 255}));
  EXPECT_EQ(Rgb(*image, 0, 1), (std::vector<uint8_t>{0, 0, 255}));
}

TEST(ConvertClipboardDib, OneBitAndSixteenBitAndTopDown) {
  auto mono = Dib(2, 1, 1, BI_RGB, {0x00000000, 0x00FFFFFF}, {0x40, 0, 0, 0});
  auto image = ImageFromPackedDib(mono.data(), mono.size());
  ASSERT_TRUE(image);
  EXPECT_EQ(Rgb(*image, 0, 0), (std::vector<uint8_t>{0, 0, 0}));
  EXPECT_EQ(Rgb(*image, 1, 0), (std::vector<uint8_t>{255, 255, 255}));

  // 5-5-5: pure red is 0x7C00.
  auto hi = Dib(1, 1, 16, BI_RGB, {}, {0x00, 0x7C, 0, 0});
  image = ImageFromPackedDib(hi.data(), hi.size());
  ASSERT_TRUE(image);
  EXPECT_GE(image->Pixel(0, 0)[0], 248);
  EXPECT_EQ(image->Pixel(0, 0)[1], 0);

  auto top = Dib(1, -2, 24, BI_RGB, {}, {0, 0, 255, 0, /* first row is the top */ 255, 0, 0, 0});
  image = ImageFromPackedDib(top.data(), top.size());
  ASSERT_TRUE(image);
  EXPECT_EQ(Rgb(*image, 0, 0), (std::vector<uint8_t>{255, 0, 0}));
  EXPECT_EQ(Rgb(*image, 0, 1), (std::vector<uint8_t>{0, 0, 255}));
}

TEST(ConvertClipboardDib, DamagedBlocksAreRefused) {
  auto dib = Dib(100, 100, 24, BI_RGB, {}, std::vector<uint8_t>(100));  // rows missing
  EXPECT_FALSE(ImageFromPackedDib(dib.data(), dib.size()));
  auto palette = Dib(2, 2, 8, BI_RGB, {}, {});  // table of 256 entries promised, none there
  EXPECT_FALSE(ImageFromPackedDib(palette.data(), palette.size()));
  auto huge = Dib(70000, 70000, 24, BI_RGB, {}, {});
  EXPECT_FALSE(ImageFromPackedDib(huge.data(), huge.size()));
  EXPECT_FALSE(ImageFromPackedDib(dib.data(), 10));
}

TEST(ConvertClipboardDib, DibOnlyClipboardIsReadAndResultIsABitmap) {
  // An 8-bit DIB with no CF_BITMAP beside it: read through the component's
  // clipboard code, written back, read by a caller as CF_BITMAP.
  auto dib = Dib(3, 2, 8, BI_RGB, {0x00FF0000, 0x0000FF00, 0x000000FF}, {2, 1, 0, 0, 0, 1, 2, 0});
  ASSERT_TRUE(test::PutDibOnClipboard(dib.data(), dib.size()));
  int32_t error = 0;
  auto image = ReadClipboardImage(&error);
  ASSERT_TRUE(image);
  EXPECT_EQ(Rgb(*image, 1, 0), (std::vector<uint8_t>{0, 255, 0}));
  ASSERT_EQ(WriteClipboardImage(*image), kSuccess);
  auto back = test::ReadBitmapFromClipboard();
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, *image);
}

}  // namespace
}  // namespace tiffdll
