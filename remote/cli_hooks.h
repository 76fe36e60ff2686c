// What the command line asks of the playback desk and the control surface.
#pragma once

namespace lumora {

class DeskBase;

// "C n Enter": in run mode take screen n, otherwise select and recall it.
void CliScreenCall(DeskBase& d, int screen);
// A playback fader (0-based) set from the command line: a sequence fader
// passes the new level to its sequence; the surface follows.
void CliFaderChanged(DeskBase& d, int fader);
// A desk channel (0-based) set from the command line: the surface follows.
void CliChannelChanged(DeskBase& d, int channel);

}  // namespace lumora
