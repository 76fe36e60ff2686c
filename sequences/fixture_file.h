// Fixture files (.FXT): plain text, one value per CR LF line. A "single"
// file holds one fixture type (345 lines), an "all" file types 0..19
// (6,862 lines). The desk writes and reads the format itself.
#pragma once

#include <string>
#include <string_view>

#include "core/desk_state.h"

namespace lumora {

constexpr const char* kFixtureHeader = "DMXFIXTUREV2";
constexpr int kFixtureBlockLines = 343;

// The fixture tables as one value, so a load can fill a copy and assign it
// only when the whole file was good.
struct FixtureTables {
  std::array<std::string, kFixtureTypes> Name{};
  std::array<std::array<std::string, 6>, kFixtureTypes> FunctionName{};
  std::array<std::array<std::array<std::string, 21>, 4>, kFixtureTypes> ButtonText{};
  std::array<std::array<std::array<int16_t, 21>, 4>, kFixtureTypes> Low{};
  std::array<std::array<std::array<int16_t, 21>, 4>, kFixtureTypes> High{};
  std::array<std::array<std::array<std::string, 21>, 4>, kFixtureTypes> Colour{};
};
FixtureTables TakeFixtures(const DeskState& s);
void PutFixtures(const FixtureTables& t, DeskState& s);

// File text of one type (single) or of types 0..19 (all).
std::string FixtureFileText(const DeskState& s, bool single, int fixture);

struct FixtureLoadResult {
  enum Status { Ok, BadHeader, Truncated, BadNumber } status = Ok;
  int line = 0;       // 1-based line of the fault
  bool single = false;
};
// Reads a whole file's text into the tables; on any fault the tables are
// left exactly as they were.
FixtureLoadResult LoadFixtureText(std::string_view text, DeskState& s, int selectedFixture);

// A number line: " 5 " / "-3 ".
std::string FixtureNumberLine(int v);

}  // namespace lumora
