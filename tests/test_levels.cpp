#include <gtest/gtest.h>

#include "core/levels.h"

namespace lumora {
namespace {

TEST(Nearest, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(Nearest(2.5), 2);
  EXPECT_EQ(Nearest(3.5), 4);
  EXPECT_EQ(Nearest(-2.5), -2);
  EXPECT_EQ(Nearest(0.5), 0);
  EXPECT_EQ(Nearest(1.5), 2);
  EXPECT_EQ(Nearest(99.607), 100);
  EXPECT_EQ(Nearest(2.4999), 2);
  EXPECT_EQ(Nearest(2.5001), 3);
}

TEST(Nearest, SaturatesInsteadOfWrapping) {
  EXPECT_EQ(Nearest(1e9), 32767);
  EXPECT_EQ(Nearest(-1e9), -32768);
  EXPECT_EQ(Nearest32(1e12), 2147483647);
}

TEST(ScaleLevel, TermsSelectHowManyFactorsApply) {
  EXPECT_EQ(ScaleLevel(200, 0, 0, 0, 1), 200);
  EXPECT_EQ(ScaleLevel(200, 128, 0, 0, 2), 100);        // 128/255*200 = 100.39
  EXPECT_EQ(ScaleLevel(255, 127, 255, 0, 3), 127);
  EXPECT_EQ(ScaleLevel(255, 128, 255, 0, 3), 128);
  EXPECT_EQ(ScaleLevel(255, 128, 128, 128, 4), 32);     // 255*(128/255)^3 = 32.25
  EXPECT_EQ(ScaleLevel(200, 255, 255, 255, 0), 0);
  EXPECT_EQ(ScaleLevel(200, 255, 255, 255, 5), 0);
}

TEST(ScaleLevel, ZeroOrNegativeLevelOrFactorGivesZero) {
  EXPECT_EQ(ScaleLevel(0, 255, 0, 0, 2), 0);
  EXPECT_EQ(ScaleLevel(-5, 255, 0, 0, 2), 0);
  EXPECT_EQ(ScaleLevel(200, 0, 0, 0, 2), 0);
  EXPECT_EQ(ScaleLevel(200, 255, 0, 0, 3), 0);  // f2 = 0 zeroes the product
  EXPECT_EQ(ScaleLevel(200, 255, 255, 0, 4), 0);
}

TEST(ScaleLevel, RoundsTheWholeProductOnce) {
  // 1/255*128*255/255 = 0.50196 -> 1 (rounded once at the end, not per factor)
  EXPECT_EQ(ScaleLevel(128, 1, 255, 0, 3), 1);
  // an exact half rounds to even: 255 * 1/2 is not reachable; use 3 * 85/255 = 1.0
  EXPECT_EQ(ScaleLevel(3, 85, 0, 0, 2), 1);
}

TEST(SplitColour, SplitsDecimalColourText) {
  Rgb c = SplitColour("16776960");
  EXPECT_EQ(c.red, 0);
  EXPECT_EQ(c.green, 255);
  EXPECT_EQ(c.blue, 255);
  c = SplitColour("255");
  EXPECT_EQ(c.red, 255);
  EXPECT_EQ(c.green, 0);
  EXPECT_EQ(c.blue, 0);
  c = SplitColour("65280");
  EXPECT_EQ(c.green, 255);
  EXPECT_EQ(c.red, 0);
}

TEST(SplitColour, EmptyAndGarbageGiveBlack) {
  Rgb c = SplitColour("");
  EXPECT_EQ(c.red + c.green + c.blue, 0);
  c = SplitColour("abc");
  EXPECT_EQ(c.red + c.green + c.blue, 0);
}

TEST(SplitColour, SystemColoursKeepTheirLowSixHexDigits) {
  // -2147483633 is &H8000000F (button face): right-most six digits 00000F.
  Rgb c = SplitColour("-2147483633");
  EXPECT_EQ(c.red, 0x0F);
  EXPECT_EQ(c.green, 0);
  EXPECT_EQ(c.blue, 0);
}

TEST(Num, NonNegativeNumbersCarryOneLeadingBlank) {
  EXPECT_EQ(Num(5), " 5");
  EXPECT_EQ(Num(0), " 0");
  EXPECT_EQ(Num(-1), "-1");
}

TEST(Val, ReadsLeadingNumberLikeATextBox) {
  EXPECT_EQ(Val(" 42abc"), 42);
  EXPECT_EQ(Val("-7"), -7);
  EXPECT_EQ(Val(""), 0);
  EXPECT_EQ(Val("x1"), 0);
  long long v = 0;
  EXPECT_TRUE(ParseInt(" 12 ", v));
  EXPECT_EQ(v, 12);
  EXPECT_FALSE(ParseInt("12a", v));
  EXPECT_FALSE(ParseInt("", v));
}

}  // namespace
}  // namespace lumora
