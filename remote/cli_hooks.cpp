#include "remote/cli_hooks.h"

#include "platform/desk_base.h"
#include "playback/playdesk.h"
#include "remote/bcf.h"

namespace lumora {

void CliScreenCall(DeskBase& d, int screen) {
  Playdesk& p = d.window<Playdesk>();
  if (d.state.RunMode != 0) {
    p.Take(screen);
  } else {
    p.CurrentScreen = static_cast<int16_t>(screen);
    p.RecallScreen(screen);
  }
}

void CliFaderChanged(DeskBase& d, int fader) {
  const int16_t level = d.state.PlayFaderLevel[fader];
  if (fader < kPlayFaders && d.state.FaderFunctions[fader].Function == kFnSequence) d.window<Playdesk>().SequenceFader(fader, level);
  BcfFeedbackFader(d, kBcfPlayDesk, fader, level);
}

void CliChannelChanged(DeskBase& d, int channel) {
  BcfFeedbackFader(d, kBcfMainDesk, channel, d.state.DeskLevels[channel]);
}

}  // namespace lumora
