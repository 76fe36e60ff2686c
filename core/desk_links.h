// What the subsystems below a window may ask of it. The window that provides
// a link lives in a higher folder; app/ hands the links over when it composes
// the desk, so a lower folder never names the higher window's class.
#pragma once

#include <cstdint>
#include <functional>

#include "core/form.h"

namespace lumora {

// The main desk as the subsystems see it: its window (for the controls and
// timers they hang on it, found by name too), the status line, the output
// tick, the Art-Net light and timer, and the menu items they answer.
struct MainDesk {
  Form& form;
  Control& Status;
  Timer& Timer1;    // the output tick; its interval is the refresh rate
  Timer& Art_Time;  // Art-Net send timer
  Control& Picture1;  // Art-Net indicator
  Control& Label3;    // Art-Net label
  Control& port_setup;
  Control& LoadXML;
  Control& Load_P_XML;
  Control& SaveXML;
  Control& Save_Instant;
  Control& Save_Submix_XML;
  Control& Save_Patch_XML;
  Control& Save_Chase_XML;
  // Redraws the faders and texts from the desk's tables.
  std::function<void()> RefreshDesk;
};

// The control surface as the playback desk sees it: the surface follows the
// playback desk's faders and buttons while it drives that desk.
class PlaySurface {
 public:
  virtual void PlayFaderMoved(int fader, int level) = 0;
  virtual void PlayButtonChanged(int button, int16_t state) = 0;
  // Many levels changed at once: the surface's faders and buttons follow.
  virtual void FollowPlayDesk() = 0;

 protected:
  ~PlaySurface() = default;
};

// The links app/ sets when it composes the desk. A null link is a window
// this desk does not have.
struct DeskLinks {
  MainDesk* main = nullptr;
  Control* playStatus = nullptr;  // the playback desk's status line
  PlaySurface* surface = nullptr;
  // The function editors of the main desk, opened on a first fader/button.
  std::function<void(int first)> openFaderFunction;
  std::function<void(int first)> openButtonFunction;
};

}  // namespace lumora
