#include "operations.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace vistlib {
namespace {

struct Fixture {
  WindowTable table;
  EditDocument doc{table};
  explicit Fixture(std::vector<vistrel::Rect> rects, int w = 200, int h = 100) {
    table.Reset();
    for (const vistrel::Rect& r : rects) table.WindowRects[++table.WindowCount] = r;
    doc.image = Image(w, h, 0x123456);
    doc.SaveRegions();
  }
};

TEST(Operations, BorderThreeThenTenThenZero) {
  Fixture f({{50, 30, 80, 60}});
  f.table.WindowSelected[1] = 1;
  ApplyBorder(f.doc, 3, 0xFF0000);
  f.table.WindowSelected[1] = 1;
  ApplyBorder(f.doc, 10, 0xFF0000);
  EXPECT_EQ(f.table.WindowRects[1], (vistrel::Rect{40, 20, 90, 70}));
  EXPECT_EQ(f.doc.regions[1].width, 50);
  // One frame of 10 red pixels, the window's own pixels inside.
  EXPECT_EQ(f.doc.image.At(40, 20), 0xFF0000u);
  EXPECT_EQ(f.doc.image.At(49, 45), 0xFF0000u);
  EXPECT_EQ(f.doc.image.At(50, 45), 0x123456u);
  EXPECT_EQ(f.doc.image.At(39, 45), 0x123456u);
  f.table.WindowSelected[1] = 1;
  ApplyBorder(f.doc, 0, 0xFF0000);
  EXPECT_EQ(f.table.WindowRects[1], (vistrel::Rect{50, 30, 80, 60}));
  EXPECT_EQ(f.doc.regions[1], Image(30, 30, 0x123456));
}

TEST(Operations, FillOnlySelected) {
  Fixture f({{0, 0, 10, 10}, {20, 20, 30, 30}});
  f.table.WindowSelected[2] = 1;
  FillSelected(f.doc, kWhitePixel);
  f.doc.Refresh();
  EXPECT_EQ(f.doc.image.At(25, 25), kWhitePixel);
  EXPECT_EQ(f.doc.image.At(5, 5), 0x123456u);
  EXPECT_EQ(f.table.WindowSelected[2], 0);  // no manual entry: flags go
}

TEST(Operations, CropToOneWindowAndToTwoFarApart) {
  Fixture one({{0, 0, 200, 100}, {50, 30, 80, 60}, {60, 40, 70, 50}});
  one.doc.image.At(60, 40) = 0xABCDEF;
  one.doc.SaveRegions();
  one.table.WindowSelected[2] = 1;
  ASSERT_TRUE(CropToSelection(one.doc));
  EXPECT_EQ(one.doc.image.width, 30);
  EXPECT_EQ(one.doc.image.height, 30);
  EXPECT_EQ(one.doc.image.At(10, 10), 0xABCDEFu);  // the control above it comes along
  EXPECT_EQ(one.table.WindowRects[3], (vistrel::Rect{10, 10, 20, 20}));

  Fixture two({{10, 10, 20, 20}, {150, 70, 170, 90}});
  two.table.WindowSelected[1] = two.table.WindowSelected[2] = 1;
  ASSERT_TRUE(CropToSelection(two.doc));
  EXPECT_EQ(two.doc.image.width, 160);
  EXPECT_EQ(two.doc.image.height, 80);
  EXPECT_EQ(two.doc.image.At(0, 0), 0x123456u);
  EXPECT_EQ(two.doc.image.At(159, 79), 0x123456u);
  EXPECT_EQ(two.doc.image.At(80, 40), kWhitePixel);  // nothing covers the middle
  EXPECT_FALSE(CropToSelection(two.doc));            // flags cleared, nothing selected
}

TEST(Operations, ReductionPalettesAndMasks) {
  EXPECT_EQ(ReductionPalette(Reduction::Bits1), (std::vector<uint32_t>{0, 0xFFFFFF}));
  EXPECT_EQ(ReductionPalette(Reduction::Bits4).size(), 16u);
  EXPECT_EQ(ReductionPalette(Reduction::Bits4)[7], 0xC0C0C0u);
  EXPECT_EQ(ReductionPalette(Reduction::Bits8).size(), 256u);
  struct Case {
    Reduction depth;
    uint32_t in, out;
  } cases[] = {
      {Reduction::Bits1, 0x909090, 0xFFFFFF}, {Reduction::Bits1, 0x303030, 0x000000},
      {Reduction::Bits4, 0xF01010, 0xFF0000}, {Reduction::Bits4, 0xB0B0B0, 0xC0C0C0},
      {Reduction::Bits8, 0x336699, 0x336699}, {Reduction::Bits8, 0x010203, 0x000000},
      {Reduction::Bits15, 0xFFFFFF, 0xFFFFFF}, {Reduction::Bits15, 0x0F0F0F, 0x080808},
      {Reduction::Bits16, 0x0F0F0F, 0x080C08}, {Reduction::Bits16, 0x04FF04, 0x00FF00},
      {Reduction::Bits24, 0x123456, 0x123456},
  };
  for (const Case& c : cases) {
    Image image(1, 1, c.in);
    ReduceDepth(image, c.depth);
    EXPECT_EQ(image.At(0, 0), c.out) << int(c.depth) << " " << std::hex << c.in;
  }
}

TEST(Operations, GrayscaleRoundTripGivesLuma) {
  Image image(64, 48);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x)
      image.At(x, y) = (x < 32 ? 0xC03020u : 0x2080E0u);  // two flat colours
  auto jpeg = EncodeGrayJpeg(image, 90);
  ASSERT_GT(jpeg.size(), 100u);
  EXPECT_EQ(jpeg[0], 0xFF);
  EXPECT_EQ(jpeg[1], 0xD8);
  auto gray = DecodeJpeg(jpeg);
  ASSERT_TRUE(gray);
  ASSERT_EQ(gray->width, 64);
  auto luma = [](uint32_t p) {
    return 0.299 * (p >> 16 & 0xFF) + 0.587 * (p >> 8 & 0xFF) + 0.114 * (p & 0xFF);
  };
  for (auto [x, y] : {std::pair{5, 5}, std::pair{60, 40}}) {
    const uint32_t p = gray->At(x, y);
    EXPECT_EQ(p >> 16 & 0xFF, p & 0xFF);
    EXPECT_EQ(p >> 8 & 0xFF, p & 0xFF);
    EXPECT_NEAR(p & 0xFF, luma(image.At(x, y)), 3);
  }
  EXPECT_FALSE(DecodeJpeg({0xFF, 0xD8, 0x00}));
}

}  // namespace
}  // namespace vistlib
