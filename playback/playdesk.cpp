#include "playback/playdesk.h"

#include "app/desk.h"

namespace lumora {

Playdesk::Playdesk(Desk& desk) : Form(desk, "Playdesk") {
  setCaption("Play Desk");
  Main.setToolTipText("Main Level");
  Preset.setToolTipText("Preset Channels Main level");
}

void Playdesk::Form_Load() {}

void Playdesk::RedrawPlaydesk() {}

void Playdesk::RecomputeFunctionLevels() {}

}  // namespace lumora
