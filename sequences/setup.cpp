#include "sequences/setup.h"

#include "platform/desk_base.h"
#include "sequences/chases_form.h"

namespace lumora {

// Registers this subsystem's globals, adapters and simulated devices.
void SetupSequences(DeskBase& d) {
  // The last fixture import's lines: what was mapped where, what was not.
  d.registry().add("FixtureImport.Report", [&d] {
    auto lines = d.window<Chases>().ImportReport();
    return std::make_unique<FnNode>([lines] {
      Json a = Json::array();
      for (const auto& l : lines) a.push(Json(l));
      return a;
    });
  });
}

}  // namespace lumora
