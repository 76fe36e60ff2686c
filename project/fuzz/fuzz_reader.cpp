// libFuzzer target for the project reader: any bytes are read into a fresh
// desk record, which must then stay within its bounds and write out.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/desk_state.h"
#include "project/project_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static lumora::DeskState fresh = [] {
    lumora::DeskState s;
    lumora::DeskInitTables(s);
    return s;
  }();
  static lumora::DeskState s;
  s = fresh;
  lumora::ReadProjectText(s, std::string_view(reinterpret_cast<const char*>(data), size));
  for (const auto& m : s.Submixes)
    for (int16_t ch : m.Channel)
      if (ch < 0 || ch > 64) std::abort();
  for (int16_t p : s.PatchTable)
    if (p < 0 || p > 64) std::abort();
  for (const auto& c : s.Chases)
    if (c.Steps < 1 || c.Steps > 32 || c.Fixture < 0 || c.Fixture > 20) std::abort();
  if (s.ScreenCount < 0 || s.ScreenCount > 199 || s.AdapterType < 0 || s.AdapterType > 5) std::abort();
  // Whatever was read can be written.
  std::string out = lumora::WriteWholeProject(s, "01/01/2027");
  if (out.empty()) std::abort();
  return 0;
}
