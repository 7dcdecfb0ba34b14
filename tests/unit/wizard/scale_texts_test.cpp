#include "scale_texts.h"

#include <gtest/gtest.h>

namespace vistrel {
namespace {

// An 800 x 600 pixel crop on a 15-twips-per-pixel screen, shown in pixels.
constexpr ScaleContext kPixelCrop{800 * 15, 600 * 15, 15, '.'};

TEST(ScaleTexts, PercentageGivesBothSizes) {
  ScaleTexts full = UpdateScaleTexts("100", kPixelCrop);
  EXPECT_EQ(full.scaleTextX, "800");
  EXPECT_EQ(full.scaleTextY, "600");
  ScaleTexts half = UpdateScaleTexts("50%", kPixelCrop);
  EXPECT_EQ(half.percText, "50%");
  EXPECT_EQ(half.scaleTextX, "400");
  EXPECT_EQ(half.scaleTextY, "300");
  // Millimetres (57 twips): 12000 twips -> 210.526315789474 mm.
  ScaleTexts mm = UpdateScaleTexts("100", {12000, 9000, 57, ','});
  EXPECT_EQ(mm.scaleTextX, "210,526315789474");
  EXPECT_EQ(mm.scaleTextY, "157,894736842105");
}

TEST(ScaleTexts, WidthOrHeightKeepTheCropProportions) {
  std::optional<ScaleTexts> byWidth = ScaleTextXKeyUp("200", kPixelCrop);
  ASSERT_TRUE(byWidth);
  EXPECT_EQ(byWidth->percText, "25");
  EXPECT_EQ(byWidth->scaleTextX, "200");
  EXPECT_EQ(byWidth->scaleTextY, "150");

  std::optional<ScaleTexts> byHeight = ScaleTextYKeyUp("1200", kPixelCrop);
  ASSERT_TRUE(byHeight);
  EXPECT_EQ(byHeight->percText, "200");
  EXPECT_EQ(byHeight->scaleTextX, "1600");
  EXPECT_EQ(byHeight->scaleTextY, "1200");

  // Text that is not a number reads as 0 and scales everything to 0.
  std::optional<ScaleTexts> empty = ScaleTextXKeyUp("", kPixelCrop);
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->percText, "0");
  EXPECT_EQ(empty->scaleTextY, "0");
}

TEST(ScaleTexts, EmptyCropNeverDividesByZero) {
  constexpr ScaleContext noWidth{0, 600 * 15, 15, '.'};
  EXPECT_FALSE(ScaleTextXKeyUp("100", noWidth));
  ScaleTexts fromHeight = *ScaleTextYKeyUp("300", noWidth);
  EXPECT_EQ(fromHeight.percText, "50");
  EXPECT_EQ(fromHeight.scaleTextX, "0");
  EXPECT_FALSE(ScaleTextYKeyUp("1", {800 * 15, 0, 15, '.'}));
  EXPECT_EQ(UpdateScaleTexts("100", {0, 0, 15, '.'}).scaleTextX, "0");
}

TEST(RotationBoxes, RotTextIsRewrittenWithItsOwnValue) {
  RotTextRewrite typed = RotTextChanged("45abc");
  EXPECT_EQ(typed.text, "45");
  EXPECT_EQ(typed.scrollValue, 45);
  RotTextRewrite letters = RotTextChanged("abc");
  EXPECT_EQ(letters.text, "0");
  EXPECT_EQ(letters.scrollValue, 0);
  // Rounded half to even for the spin bar; the text keeps the fraction.
  RotTextRewrite fraction = RotTextChanged(" 12.5", ',');
  EXPECT_EQ(fraction.text, "12,5");
  EXPECT_EQ(fraction.scrollValue, 12);
  EXPECT_EQ(RotTextChanged("-180").scrollValue, -180);
  EXPECT_EQ(RotTextChanged("180").scrollValue, 180);
}

TEST(RotationBoxes, OutOfRangeLeavesTheSpinBarAlone) {
  EXPECT_FALSE(RotTextChanged("450").scrollValue);
  EXPECT_EQ(RotTextChanged("450").text, "450");
  EXPECT_FALSE(RotTextChanged("-180.6").scrollValue);
  EXPECT_FALSE(RotTextChanged("1e400").scrollValue);
  EXPECT_EQ(RotScrollText(-90), "-90");
}

}  // namespace
}  // namespace vistrel
