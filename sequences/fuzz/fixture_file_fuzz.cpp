// libFuzzer target for the fixture file reader: any input either loads
// whole or leaves the tables exactly as they were, and never crashes.
// Build and run with sequences/fuzz/run_fuzz.sh (clang, ASan + UBSan).
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "core/desk_state.h"
#include "sequences/fixture_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static auto base = [] {
    auto s = std::make_unique<lumora::DeskState>();
    lumora::ClearFixtures(*s);
    s->FixtureName[3] = "before";
    s->FixtureLow[3][1][2] = 7;
    return s;
  }();
  auto s = std::make_unique<lumora::DeskState>(*base);
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto res = lumora::LoadFixtureText(text, *s, size % 21);
  if (res.status != lumora::FixtureLoadResult::Ok) {
    if (s->FixtureName != base->FixtureName || s->FixtureLow != base->FixtureLow ||
        s->FixtureHigh != base->FixtureHigh || s->FixtureButtonText != base->FixtureButtonText ||
        s->FixtureColour != base->FixtureColour)
      std::abort();  // a refused file must change nothing
  } else {
    // What loaded writes back and reads again to the same tables.
    const std::string again = lumora::FixtureFileText(*s, res.single, size % 21);
    auto t = std::make_unique<lumora::DeskState>(*s);
    if (lumora::LoadFixtureText(again, *t, size % 21).status != lumora::FixtureLoadResult::Ok) std::abort();
    if (t->FixtureLow != s->FixtureLow || t->FixtureButtonText != s->FixtureButtonText) std::abort();
  }
  return 0;
}
