#include "print_layout.h"

#include <gtest/gtest.h>

namespace vistrel::print {
namespace {

TEST(CopyCount, RoundsHalfToEvenAndRefusesWhatCannotBePrinted) {
  struct Case {
    const char* text;
    int count;  // 0: refused
  } cases[] = {{"1", 1},   {"2.5", 2}, {"3.5", 4},  {"1.7", 2},     {" 3 x", 3},
               {"0", 0},   {"", 0},    {"abc", 0},  {"-1", 0},      {"0.4", 0},
               {"999", 999}, {"1000", 0}, {"70000", 0}, {"1E+300", 0}};
  for (const Case& c : cases) {
    const auto copies = ReadCopyCount(c.text);
    EXPECT_EQ(copies ? copies->count : 0, c.count) << c.text;
  }
  EXPECT_EQ(CopyCountMessage("abc"), "Can't print abc copies. Enter a correct value in \"Copy\"");
}

TEST(CopyCount, NewPageOnlyBetweenCopies) {
  // 1.7: two copies, a new page after the first only.
  const CopyCount seventeen = *ReadCopyCount("1.7");
  EXPECT_TRUE(NewPageAfter(1, seventeen));
  EXPECT_FALSE(NewPageAfter(2, seventeen));
  // 2.5 prints two copies; the typed 2.5 alone would open an empty third page.
  const CopyCount twoAndHalf = *ReadCopyCount("2.5");
  EXPECT_TRUE(NewPageAfter(1, twoAndHalf));
  EXPECT_FALSE(NewPageAfter(2, twoAndHalf));
  const CopyCount three = *ReadCopyCount("3");
  EXPECT_TRUE(NewPageAfter(2, three));
  EXPECT_FALSE(NewPageAfter(3, three));
}

TEST(Placement, WorkedExamplesOnAPortraitPage) {
  const Extent picture{4500, 3000};  // 300 x 200 pixels
  const Extent page{11000, 15000};
  struct Case {
    bool stretch;
    Extent picture;
    double sa, sb, ratio;
  } cases[] = {
      {false, picture, 4500, 3000, 0},
      {true, picture, 11000, 7333.333333, 11000.0 / 22500},
      // Taller than the page, width within it: the height's ratio alone.
      {false, {6000, 30000}, 3000, 15000, 0.5},
      // Both sides over: the smaller ratio.
      {false, {22000, 60000}, 5500, 15000, 0.25},
  };
  for (const Case& c : cases) {
    double ratio = 0;
    PrintedSize size = SizePicture(c.stretch, c.picture, page);
    FitToPage(size, page, ratio);
    EXPECT_NEAR(size.sa, c.sa, 1e-3);
    EXPECT_NEAR(size.sb, c.sb, 1e-3);
    EXPECT_NEAR(ratio, c.ratio, 1e-9);
  }
}

TEST(Placement, LandscapeStretchFillsTheWidth) {
  double ratio = 0;
  PrintedSize size = SizePicture(true, {4500, 3000}, {15000, 11000});
  EXPECT_DOUBLE_EQ(size.sa, 15000);
  EXPECT_DOUBLE_EQ(size.sb, 10000);
  FitToPage(size, {15000, 11000}, ratio);
  EXPECT_DOUBLE_EQ(ratio, 0);  // nothing overflows: left alone
  EXPECT_DOUBLE_EQ(size.sb, 10000);
}

}  // namespace
}  // namespace vistrel::print
