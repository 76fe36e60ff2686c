// Wires the sACN output into the desk: the output on the desk's wire, its
// window and the main desk's Setup menu item, the console's names, and the
// source's CID and name kept with the user's settings.
#include "app/desk.h"
#include "desk/hoofdblad.h"
#include "output/output_wire.h"
#include "output/sacn_config.h"
#include "output/sacn_output.h"
#include "project/show_keeper.h"

namespace lumora {

void SetupSacn(Desk& d) {
  SacnOutput& out = d.own<SacnOutput>(d, OutputWire::Of(d), d.hoofdblad());
  Sacn_Config& win = d.own<Sacn_Config>(d);
  d.addForm(&win);
  out.menu.onClick = [&win] { win.Show(); };
  out.registerNames();
  if (ShowKeeper* k = ShowKeeper::of(d)) {
    out.storedCid = [k] { return k->settings().sacnCid; };
    out.storeCid = [k](const std::string& cid) { k->setSacnCid(cid); };
    out.userSourceName = [k] { return k->settings().sacnSourceName; };
  }
}

}  // namespace lumora
