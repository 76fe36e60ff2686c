// Set-up of this subsystem: adapters, devices, Art-Net, the port setup and their globals. Called once by the composition root
// after every window exists.
#pragma once

namespace lumora {

class DeskBase;

void SetupOutput(DeskBase& d);

}  // namespace lumora
