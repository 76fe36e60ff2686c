#include "remote/bcf_hooks.h"

#include "platform/desk_base.h"
#include "playback/playdesk.h"

namespace lumora {

void BcfRunButtonSequence(DeskBase& d, int button, int level) { d.window<Playdesk>().SequenceButton(button, level); }

void BcfRunFaderSequence(DeskBase& d, int fader, int level) { d.window<Playdesk>().SequenceFader(fader, level); }

}  // namespace lumora
