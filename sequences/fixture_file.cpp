#include "sequences/fixture_file.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "core/levels.h"

namespace lumora {

FixtureTables TakeFixtures(const DeskState& s) {
  FixtureTables t;
  t.Name = s.FixtureName;
  t.FunctionName = s.FixtureFunctionName;
  t.ButtonText = s.FixtureButtonText;
  t.Low = s.FixtureLow;
  t.High = s.FixtureHigh;
  t.Colour = s.FixtureColour;
  return t;
}

void PutFixtures(const FixtureTables& t, DeskState& s) {
  s.FixtureName = t.Name;
  s.FixtureFunctionName = t.FunctionName;
  s.FixtureButtonText = t.ButtonText;
  s.FixtureLow = t.Low;
  s.FixtureHigh = t.High;
  s.FixtureColour = t.Colour;
}

std::string FixtureNumberLine(int v) { return (v >= 0 ? " " : "") + std::to_string(v) + " "; }

namespace {

void Block(const DeskState& s, int fx, std::string& out) {
  auto line = [&out](const std::string& t) {
    out += t;
    out += "\r\n";
  };
  const auto x = static_cast<std::size_t>(fx);
  line(s.FixtureName[x]);
  for (const auto& n : s.FixtureFunctionName[x]) line(n);
  for (std::size_t f = 0; f < 4; ++f) {
    for (std::size_t k = 0; k < 21; ++k) {
      line(s.FixtureButtonText[x][f][k]);
      line(FixtureNumberLine(s.FixtureLow[x][f][k]));
      line(FixtureNumberLine(s.FixtureHigh[x][f][k]));
      line(s.FixtureColour[x][f][k]);
    }
  }
}

// Line reader over the file text: lines end in CR LF (a bare LF is taken as
// well); a last line without an end still counts.
class Lines {
 public:
  explicit Lines(std::string_view t) : t_(t) {}
  bool next(std::string& out) {
    if (pos_ >= t_.size()) return false;
    std::size_t e = t_.find('\n', pos_);
    std::string_view l = e == std::string_view::npos ? t_.substr(pos_) : t_.substr(pos_, e - pos_);
    pos_ = e == std::string_view::npos ? t_.size() : e + 1;
    if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
    out.assign(l);
    ++line_;
    return true;
  }
  int line() const { return line_; }

 private:
  std::string_view t_;
  std::size_t pos_ = 0;
  int line_ = 0;
};

bool Number(const std::string& l, int16_t& out) {
  double v = 0;
  if (!ParseReal(l, v)) return false;
  // Only decimal numbers: no hexadecimal, infinity or exponent tricks.
  for (char c : l)
    if (!(c == ' ' || c == '-' || c == '+' || c == '.' || (c >= '0' && c <= '9'))) return false;
  const double r = std::nearbyint(v);  // ties to even
  if (r < -32768.0 || r > 32767.0) return false;
  out = Nearest(v);
  return true;
}

}  // namespace

std::string FixtureFileText(const DeskState& s, bool single, int fixture) {
  std::string out;
  out.reserve(single ? 4096 : 80000);
  out += kFixtureHeader;
  out += "\r\n";
  out += single ? "single\r\n" : "all\r\n";
  if (single) {
    Block(s, std::clamp(fixture, 0, kFixtureTypes - 1), out);
  } else {
    for (int fx = 0; fx < 20; ++fx) Block(s, fx, out);
  }
  return out;
}

FixtureLoadResult LoadFixtureText(std::string_view text, DeskState& s, int selectedFixture) {
  FixtureLoadResult res;
  Lines in(text);
  std::string l;
  if (!in.next(l) || l != kFixtureHeader) {
    res.status = FixtureLoadResult::BadHeader;
    res.line = 1;
    return res;
  }
  if (!in.next(l)) {
    res.status = FixtureLoadResult::Truncated;
    res.line = 2;
    return res;
  }
  res.single = l == "single";
  // Large: kept off the stack.
  auto tp = std::make_unique<FixtureTables>(TakeFixtures(s));
  FixtureTables& t = *tp;
  const int first = res.single ? std::clamp(selectedFixture, 0, kFixtureTypes - 1) : 0;
  const int count = res.single ? 1 : 20;
  auto text1 = [&](std::string& dst) {
    if (!in.next(l)) return false;
    dst = l;
    return true;
  };
  auto fail = [&](FixtureLoadResult::Status st) {
    res.status = st;
    res.line = in.line() + (st == FixtureLoadResult::Truncated ? 1 : 0);
    return res;
  };
  for (int fx = first; fx < first + count; ++fx) {
    const auto x = static_cast<std::size_t>(fx);
    if (!text1(t.Name[x])) return fail(FixtureLoadResult::Truncated);
    for (auto& n : t.FunctionName[x])
      if (!text1(n)) return fail(FixtureLoadResult::Truncated);
    for (std::size_t f = 0; f < 4; ++f) {
      for (std::size_t k = 0; k < 21; ++k) {
        if (!text1(t.ButtonText[x][f][k])) return fail(FixtureLoadResult::Truncated);
        if (!in.next(l)) return fail(FixtureLoadResult::Truncated);
        if (!Number(l, t.Low[x][f][k])) return fail(FixtureLoadResult::BadNumber);
        if (!in.next(l)) return fail(FixtureLoadResult::Truncated);
        if (!Number(l, t.High[x][f][k])) return fail(FixtureLoadResult::BadNumber);
        if (!text1(t.Colour[x][f][k])) return fail(FixtureLoadResult::Truncated);
      }
    }
  }
  PutFixtures(t, s);
  return res;
}

}  // namespace lumora
