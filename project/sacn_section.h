// The project file's sACN section: the output universes and the interface of
// a show. It comes after every section the file format has always had, and
// its tags are none that the reader of those sections looks for, so a desk
// that does not know it reads the rest of the file as before.
//
//   TAB "<Sacn>"
//   2 TABs "<Interface>" address "</Interface>"        when one is chosen
//   for each port 0..7 that is enabled or not at its defaults:
//   2 TABs "<Output>"
//   3 TABs "<Port>" p "</Port>", "<Enabled>1</Enabled>" (when enabled),
//          "<Universe>" u "</Universe>", "<Priority>" n "</Priority>",
//          "<Unicast>" address "</Unicast>" (when set)
//   2 TABs "</Output>"
//   TAB "</Sacn>"
#pragma once

#include <string>
#include <string_view>

#include "core/desk_state.h"

namespace lumora {

// The section as written ("" when every port is off and at its defaults and
// no interface is chosen).
std::string SacnSection(const DeskState& s);

struct SacnReadResult {
  bool found = false;  // the file has the section
  int outputs = 0;     // outputs stored
  int skipped = 0;     // outputs refused (bad port, universe, priority or address)
};
// Reads the first sACN section of a project text into the desk record: the
// ports it lists are set, the others are switched off and back to their
// defaults, so the show sends exactly what was saved. Never throws.
SacnReadResult ReadSacnSection(DeskState& s, std::string_view text);

}  // namespace lumora
