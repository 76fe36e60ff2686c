// Level arithmetic shared by the whole desk: the one rounding rule, level
// scaling by masters, colour splitting and the desk's number-in-text form.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

namespace lumora {

namespace detail {
// The desk never changes the floating-point rounding mode (round to nearest,
// ties to even). Adding and removing 1.5 * 2^52 makes the hardware do exactly
// that rounding without a library call; larger magnitudes are already whole.
// (IEEE arithmetic forbids the compiler from folding the pair away.)
inline double RoundHalfEven(double x) {
  constexpr double kMagic = 6755399441055744.0;
  if (!(std::fabs(x) < 4503599627370496.0)) return x;
  return (x + kMagic) - kMagic;
}
}  // namespace detail

// n / d rounded to the nearest integer, halves to even, exactly (n >= 0, d > 0).
inline long DivRoundHalfEven(long n, long d) {
  const long q = n / d, r = n % d;
  return q + ((2 * r > d || (2 * r == d && (q & 1))) ? 1 : 0);
}

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4),
// saturated to the 16-bit range the desk's tables hold; NaN gives 0.
inline int16_t Nearest(double x) {
  if (std::isnan(x)) return 0;
  const double r = detail::RoundHalfEven(x);
  if (r > 32767.0) return 32767;
  if (r < -32768.0) return -32768;
  return static_cast<int16_t>(r);
}
// The same rule for periods and counts that may exceed 16 bits.
int32_t Nearest32(double x);

// A level scaled by one to three factors of n/255; see the mix rules.
// terms: 1 = unchanged, 2 = f1, 3 = f1 and f2, 4 = f1, f2 and f3; else 0.
inline int16_t ScaleLevel(int16_t value, int16_t f1, int16_t f2, int16_t f3, int terms) {
  switch (terms) {
    case 1:
      return value;
    case 2:
      if (value <= 0 || f1 <= 0) return 0;
      return Nearest(f1 / 255.0 * value);
    case 3:
      if (value <= 0 || f1 <= 0) return 0;
      return Nearest(f1 / 255.0 * value * f2 / 255.0);
    case 4:
      if (value <= 0 || f1 <= 0 || f2 <= 0 || f3 <= 0) return 0;
      return Nearest(f1 / 255.0 * value * f2 / 255.0 * f3 / 255.0);
    default:
      return 0;
  }
}

struct Rgb {
  int red = 0, green = 0, blue = 0;
};
// Splits a decimal colour text (red + 256*green + 65536*blue) into its parts.
// Empty or unreadable text gives black; negative (system colour) values keep
// only their low 24 bits, as the hexadecimal form would.
void SplitColour(std::string_view colourText, int& red, int& green, int& blue);
Rgb SplitColour(std::string_view colourText);

// Colour value from its parts.
constexpr int32_t RGB(int r, int g, int b) { return r + 256 * g + 65536 * b; }

// A number as the desk inserts it into texts: one leading blank when it is
// not negative (" 5", "-1").
std::string Num(long long n);

// Parses a decimal integer the forgiving way the desk's text boxes do:
// leading blanks allowed, trailing garbage ends the number, empty/garbage = 0.
long long Val(std::string_view text);
// Like Val but reports whether the text was a well-formed number.
bool ParseInt(std::string_view text, long long& out);
// Real number from text; false when the text is not a number.
bool ParseReal(std::string_view text, double& out);

}  // namespace lumora
