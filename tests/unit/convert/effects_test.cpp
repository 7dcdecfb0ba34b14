#include "effects.h"

#include <gtest/gtest.h>

#include "result_codes.h"
#include "test_images.h"

namespace tiffdll {
namespace {

using test::Filled;
using test::Numbered;

std::vector<uint8_t> PixelAt(const Image& image, int x, int y) {
  const uint8_t* p = image.Pixel(x, y);
  return {p[0], p[1], p[2]};
}

TEST(ConvertEffects, InvertFlipsEveryBit) {
  Image image = Numbered(3, 2);
  Image original = image;
  Invert(image);
  for (size_t i = 0; i < image.rgb.size(); ++i) EXPECT_EQ(image.rgb[i], 255 - original.rgb[i]);
}

TEST(ConvertEffects, MirrorsSwapTheRightSides) {
  Image source = Numbered(3, 2);
  Image lr = source;
  MirrorLeftRight(lr);
  Image tb = source;
  MirrorTopBottom(tb);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) {
      EXPECT_EQ(PixelAt(lr, x, y), PixelAt(source, 2 - x, y));
      EXPECT_EQ(PixelAt(tb, x, y), PixelAt(source, x, 1 - y));
    }
  }
}

TEST(ConvertEffects, QuarterTurnsAreExactAndClockwise) {
  Image source = Numbered(3, 2);
  Image r90 = *Rotate(source, 90);
  ASSERT_EQ(r90.width, 2);
  ASSERT_EQ(r90.height, 3);
  // Clockwise: the top-left pixel ends at the top right, the bottom-left at the top left.
  EXPECT_EQ(PixelAt(r90, 1, 0), PixelAt(source, 0, 0));
  EXPECT_EQ(PixelAt(r90, 0, 0), PixelAt(source, 0, 1));
  EXPECT_EQ(PixelAt(r90, 0, 2), PixelAt(source, 2, 1));

  Image r270 = *Rotate(source, -90);
  EXPECT_EQ(PixelAt(r270, 0, 2), PixelAt(source, 0, 0));
  EXPECT_EQ(*Rotate(r90, 270), source);
  EXPECT_EQ(*Rotate(source, 450), r90);

  Image r180 = *Rotate(source, 180);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(PixelAt(r180, x, y), PixelAt(source, 2 - x, 1 - y));
  EXPECT_EQ(*Rotate(source, 360), source);
}

TEST(ConvertEffects, FreeAngleHoldsTheWholePictureWithWhiteCorners) {
  Image source = Filled(40, 20, 0, 0, 255);
  Image turned = *Rotate(source, 45);
  // |40 cos 45| + |20 sin 45| = 42.43 -> 43 in both directions.
  EXPECT_EQ(turned.width, 43);
  EXPECT_EQ(turned.height, 43);
  EXPECT_EQ(PixelAt(turned, 0, 0), (std::vector<uint8_t>{255, 255, 255}));
  EXPECT_EQ(PixelAt(turned, 42, 42), (std::vector<uint8_t>{255, 255, 255}));
  EXPECT_EQ(PixelAt(turned, 21, 21), (std::vector<uint8_t>{0, 0, 255}));
}

TEST(ConvertEffects, FreeAngleCanvasSizeAndDirection) {
  Image bar = Filled(100, 10, 0, 0, 0);
  Image turned = *Rotate(bar, 10);
  // 100 cos 10 + 10 sin 10 = 100.22 ; 100 sin 10 + 10 cos 10 = 27.21
  EXPECT_EQ(turned.width, 101);
  EXPECT_EQ(turned.height, 28);
  // Clockwise: the left end is high, the right end low.
  EXPECT_LT(PixelAt(turned, 3, 4)[0], 64);
  EXPECT_EQ(PixelAt(turned, 3, 24)[0], 255);
  EXPECT_EQ(PixelAt(turned, 97, 3)[0], 255);
  EXPECT_LT(PixelAt(turned, 97, 23)[0], 64);
}

TEST(ConvertEffects, ShrinkingAveragesTheCoveredArea) {
  // Alternating black and white columns average to mid grey, not to one of them.
  Image stripes(8, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) std::fill_n(stripes.Pixel(x, y), 3, x % 2 ? 255 : 0);
  Image half = Rescale(stripes, 4, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_NEAR(PixelAt(half, x, y)[0], 128, 1);

  // A third: each destination pixel covers 1.5 source pixels.
  Image ramp(3, 1);
  for (int x = 0; x < 3; ++x) std::fill_n(ramp.Pixel(x, 0), 3, x * 100);
  Image two = Rescale(ramp, 2, 1);
  EXPECT_NEAR(PixelAt(two, 0, 0)[0], (0 * 1.0 + 100 * 0.5) / 1.5, 1);
  EXPECT_NEAR(PixelAt(two, 1, 0)[0], (100 * 0.5 + 200 * 1.0) / 1.5, 1);
}

TEST(ConvertEffects, EnlargingKeepsFlatAreasAndInterpolates) {
  Image flat = Filled(3, 2, 10, 20, 30);
  Image big = Rescale(flat, 9, 6);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 9; ++x) EXPECT_EQ(PixelAt(big, x, y), (std::vector<uint8_t>{10, 20, 30}));
  Image two(2, 1);
  std::fill_n(two.Pixel(0, 0), 3, 0);
  std::fill_n(two.Pixel(1, 0), 3, 200);
  Image four = Rescale(two, 4, 2);
  EXPECT_EQ(PixelAt(four, 0, 0)[0], 0);
  EXPECT_EQ(PixelAt(four, 1, 0)[0], 50);
  EXPECT_EQ(PixelAt(four, 2, 0)[0], 150);
  EXPECT_EQ(PixelAt(four, 3, 0)[0], 200);
}

TEST(ConvertEffects, RescaledSizeRoundsHalfToEvenAndKeepsAspect) {
  Image source(800, 600);
  EXPECT_EQ(RescaledSize(source, 400), (std::pair<int, int>(400, 300)));
  EXPECT_EQ(RescaledSize(source, 533.333333333333), (std::pair<int, int>(533, 400)));
  EXPECT_EQ(RescaledSize(source, 2.5)->first, 2);
  EXPECT_EQ(RescaledSize(source, 3.5)->first, 4);
  EXPECT_EQ(RescaledSize(Image(1000, 1), 10), (std::pair<int, int>(10, 1)));  // never 0 high
  EXPECT_EQ(RescaledSize(source, 0.4), std::nullopt);
  EXPECT_EQ(RescaledSize(source, 1e9), std::nullopt);
}

TEST(ConvertEffects, RescaleComesFirstSoAQuarterTurnAtFullSizeKeepsTheSize) {
  // The program sends the unturned width: 100 % with 90 degrees is rescale=<width>.
  Command command;
  command.width = 30;
  command.angle = 90;
  EffectsOutcome out = ApplyEffects(Numbered(30, 20), command);
  ASSERT_TRUE(out.image);
  EXPECT_EQ(out.image->width, 20);
  EXPECT_EQ(out.image->height, 30);
  EXPECT_EQ(*out.image, *Rotate(Numbered(30, 20), 90));
}

TEST(ConvertEffects, InvertMirrorAndTurnCombineInOrder) {
  Command command;
  command.invert = true;
  command.mirrorLeftRight = true;
  command.mirrorTopBottom = true;
  command.angle = 90;
  Image source = Numbered(3, 2);
  Image expected = source;
  Invert(expected);
  MirrorTopBottom(expected);
  MirrorLeftRight(expected);
  expected = *Rotate(expected, 90);
  EXPECT_EQ(*ApplyEffects(source, command).image, expected);
}

TEST(ConvertEffects, OversizedResultsAreRefused) {
  Command command;
  command.width = 60000;
  EXPECT_EQ(ApplyEffects(Filled(10, 10, 0, 0, 0), command).error, kTooLarge);
}

}  // namespace
}  // namespace tiffdll
