#include "remote/bcf_hooks.h"

#include "app/desk.h"
#include "playback/playdesk.h"

namespace lumora {

void BcfRunButtonSequence(Desk& d, int button, int level) { d.playdesk().SequenceButton(button, level); }

void BcfRunFaderSequence(Desk& d, int fader, int level) { d.playdesk().SequenceFader(fader, level); }

}  // namespace lumora
