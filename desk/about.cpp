#include "desk/about.h"

#include <string>

#include "platform/desk_base.h"
#include "core/version.h"

namespace lumora {

frmAbout::frmAbout(DeskBase& desk) : Form(desk, "frmAbout") {
  setCaption("About Lumora");
  lblTitle.setCaption("Lumora");
  lblVersion.setCaption(std::string("Version ") + LumoraVersion());
  lblDescription.setCaption(
      "DMX512 lighting control desk: 64 channels, 32 submixes, a playback desk of 200 screens, "
      "chases and moving lights, sent to DMX adapters and Art-Net.");
  cmdOK.setCaption("OK");
  cmdOK.onClick = [this] { cmdOK_Click(); };
}

void frmAbout::cmdOK_Click() { Unload(); }

}  // namespace lumora
