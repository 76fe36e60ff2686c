// The playback desk: screens, pages, assignable buttons and faders, run mode.
#pragma once

#include "core/form.h"

namespace lumora {

class Playdesk : public Form {
 public:
  explicit Playdesk(Desk& desk);

  // The grand master read by the output tick (0 = top = full).
  Control Main{*this, "Main", Kind::Fader};
  // "Preset Channels Main level": the desk side's master in run mode.
  Control Preset{*this, "Preset", Kind::Fader};
  Control Status{*this, "Status", Kind::TextBox};

  void Form_Load() override;

  // Used by other windows: redraw the play desk (buttons, faders, screen
  // display) after the tables changed, and recompute FunctionLevels from the
  // live buttons and faders.
  void RedrawPlaydesk();
  void RecomputeFunctionLevels();
};

}  // namespace lumora
