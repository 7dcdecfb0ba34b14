#include "number_text.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vistrel {
namespace {

TEST(Val, ReadsTheLeadingNumberOfAText) {
  struct Case {
    const char* text;
    double value;
  } cases[] = {
      {"", 0},          {"abc", 0},       {"45abc", 45},     {"  12", 12},   {"1 2 3", 123},
      {"\t-7.5x", -7.5}, {"+3", 3},       {".5", 0.5},       {"5.", 5},      {"1.2.3", 1.2},
      {"-", 0},         {".", 0},         {"-.", 0},         {"1e3", 1000},  {"1E-2", 0.01},
      {"2D2", 200},     {"3e", 3},        {"3e+", 3},        {"4ex", 4},     {"1,5", 1},
      {"- 4", -4},      {"0x10", 0},      {"007", 7},        {"100%", 100},  {"533.333", 533.333},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(Val(c.text), c.value) << '"' << c.text << '"';
  }
}

TEST(Val, NeverGivesNegativeZero) {
  EXPECT_FALSE(std::signbit(Val("-0")));
  EXPECT_FALSE(std::signbit(Val("-0.000")));
}

TEST(GeneralDecimalText, WritesShortestTextUpToFifteenDigits) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {
      {0, "0"},
      {-0.0, "0"},
      {90, "90"},
      {-90, "-90"},
      {1600.0 / 3.0, "533.333333333333"},
      {0.5, "0.5"},
      {-0.25, "-0.25"},
      {100, "100"},
      {1e14, "100000000000000"},
      {123456789012345.0, "123456789012345"},
      {1e15, "1E+15"},
      {2.5e20, "2.5E+20"},
      {0.0001, "0.0001"},
      {0.00001, "0.00001"},
      {0.000001, "1E-06"},
      {2.0 / 3.0, "0.666666666666667"},
      {1234.5, "1234.5"},
      {0.1 + 0.2, "0.3"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GeneralDecimalText(c.value), c.text) << c.value;
  }
}

TEST(GeneralDecimalText, UsesTheGivenSeparatorAndRoundTripsThroughVal) {
  EXPECT_EQ(GeneralDecimalText(1.5, ','), "1,5");
  EXPECT_EQ(GeneralDecimalText(12, ','), "12");
  for (double v : {0.125, 533.333333333333, -42.75, 1e-3, 987654.321}) {
    EXPECT_DOUBLE_EQ(Val(GeneralDecimalText(v)), v);
  }
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
  struct Case {
    double value;
    double rounded;
  } cases[] = {{0.5, 0},   {1.5, 2},   {2.5, 2},     {3.5, 4},   {-0.5, 0},
               {-1.5, -2}, {-2.5, -2}, {2.4999, 2},  {2.5001, 3}, {7, 7},
               {-7.6, -8}, {1e10 + 0.5, 1e10}};
  for (const Case& c : cases) {
    EXPECT_EQ(RoundHalfEven(c.value), c.rounded) << c.value;
  }
}

TEST(Rounding, SixteenBitIntegerReportsOverflow) {
  EXPECT_EQ(RoundToInt16(32767.4), int16_t{32767});
  EXPECT_EQ(RoundToInt16(32767.5), std::nullopt);  // rounds to 32768
  EXPECT_EQ(RoundToInt16(-32768.5), int16_t{-32768});  // even neighbour stays in range
  EXPECT_EQ(RoundToInt16(-32769), std::nullopt);
  EXPECT_EQ(RoundToInt16(NAN), std::nullopt);
  EXPECT_EQ(RoundToInt16(INFINITY), std::nullopt);
  EXPECT_EQ(RoundToInt16(2.5), int16_t{2});
}

TEST(Rounding, ThirtyTwoBitIntegerReportsOverflow) {
  EXPECT_EQ(RoundToInt32(2147483647.0), 2147483647);
  EXPECT_EQ(RoundToInt32(2147483648.0), std::nullopt);
  EXPECT_EQ(RoundToInt32(-2147483648.5), -2147483647 - 1);  // half to even stays in range
  EXPECT_EQ(RoundToInt32(-1.5), -2);
}

}  // namespace
}  // namespace vistrel
