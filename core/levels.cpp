#include "core/levels.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace lumora {

int32_t Nearest32(double x) {
  if (std::isnan(x)) return 0;
  double r = detail::RoundHalfEven(x);
  if (r > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (r < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(r);
}

void SplitColour(std::string_view colourText, int& red, int& green, int& blue) {
  long long v = Val(colourText);
  // Only the right-most six hexadecimal digits count.
  auto u = static_cast<unsigned long long>(v) & 0xFFFFFFull;
  red = static_cast<int>(u & 0xFF);
  green = static_cast<int>((u >> 8) & 0xFF);
  blue = static_cast<int>((u >> 16) & 0xFF);
}

Rgb SplitColour(std::string_view colourText) {
  Rgb c;
  SplitColour(colourText, c.red, c.green, c.blue);
  return c;
}

std::string Num(long long n) {
  return n >= 0 ? " " + std::to_string(n) : std::to_string(n);
}

long long Val(std::string_view text) {
  std::size_t p = 0;
  while (p < text.size() && (text[p] == ' ' || text[p] == '\t')) ++p;
  bool neg = false;
  if (p < text.size() && (text[p] == '-' || text[p] == '+')) neg = text[p++] == '-';
  long long v = 0;
  while (p < text.size() && text[p] >= '0' && text[p] <= '9') {
    if (v < 100000000000000000LL) v = v * 10 + (text[p] - '0');
    ++p;
  }
  return neg ? -v : v;
}

bool ParseInt(std::string_view text, long long& out) {
  std::size_t b = 0, e = text.size();
  while (b < e && text[b] == ' ') ++b;
  while (e > b && text[e - 1] == ' ') --e;
  if (b == e) return false;
  std::size_t p = b;
  if (text[p] == '-' || text[p] == '+') ++p;
  if (p == e) return false;
  for (std::size_t i = p; i < e; ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  if (e - p > 15) return false;
  out = Val(text.substr(b, e - b));
  return true;
}

bool ParseReal(std::string_view text, double& out) {
  std::string s(text);
  std::size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return false;
  s = s.substr(b);
  while (!s.empty() && s.back() == ' ') s.pop_back();
  char* end = nullptr;
  errno = 0;
  double v = std::strtod(s.c_str(), &end);
  if (end == s.c_str() || *end || errno == ERANGE || !std::isfinite(v)) return false;
  out = v;
  return true;
}

}  // namespace lumora
