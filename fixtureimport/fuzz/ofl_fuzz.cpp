// libFuzzer target for the Open Fixture Library reader and the mapping: any
// bytes are either refused with a reason or give a fixture type within the
// desk's bounds. Build and run with fixtureimport/fuzz/run_fuzz.sh.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fixtureimport/fixture_import.h"
#include "fixtureimport/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  namespace fi = lumora::fixtureimport;
  const auto p = fi::ParseOfl(std::string_view(reinterpret_cast<const char*>(data), size), "Maker");
  lumora::fixtureimport::fuzz::Check(p);
  return 0;
}
