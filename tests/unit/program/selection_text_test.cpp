#include "selection_text.h"

#include <gtest/gtest.h>

namespace vistrel {
namespace {

TEST(SelectionText, TwoDecimalsCutAndWholePixels) {
  // 640 x 480 pixels at 15 twips per pixel, in centimetres.
  EXPECT_EQ(SelectionDisplayText(9600, 7200, 567, "Centimeter"),
            "Current selection: 16.93 x 12.69 Centimeter");
  EXPECT_EQ(SelectionDisplayText(5670, 5669, 57, "Millimeter"),
            "Current selection: 99.47 x 99.45 Millimeter");
  EXPECT_EQ(SelectionDisplayText(9600, 7200, 15, "Pixel"), "Current selection: 640 x 480 Pixel");
  // Pixels are cut to whole numbers, not rounded (any case of the name).
  EXPECT_EQ(SelectionDisplayText(9610, 7214, 15, "pixel"), "Current selection: 640 x 480 pixel");
  EXPECT_EQ(SelectionDisplayText(2160, 720, 1440, "Inch"), "Current selection: 1.5 x 0.5 Inch");
  EXPECT_EQ(SelectionDisplayText(0, 0, 1, "Twip"), "Current selection: 0 x 0 Twip");
  EXPECT_EQ(SelectionDisplayText(9600, 7200, 567, "Centimeter", ','),
            "Current selection: 16,93 x 12,69 Centimeter");
  // A unit of zero twips must not divide by zero.
  EXPECT_EQ(SelectionDisplayText(30, 45, 0, "Twip"), "Current selection: 30 x 45 Twip");
}

}  // namespace
}  // namespace vistrel
