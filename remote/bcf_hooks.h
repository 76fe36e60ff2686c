// What the surface asks of the playback desk in its mode.
#pragma once

namespace lumora {

class DeskBase;

// A surface button b (0-based) whose function is a sequence, pressed (255)
// or released (0): the playback desk runs that button's function.
void BcfRunButtonSequence(DeskBase& d, int button, int level);
// A surface fader f (0-based) whose function is a sequence: the playback
// desk's sequence step for it at this level.
void BcfRunFaderSequence(DeskBase& d, int fader, int level);

}  // namespace lumora
