#include "remote/cli_hooks.h"

#include "app/desk.h"
#include "playback/playdesk.h"
#include "remote/bcf.h"

namespace lumora {

void CliScreenCall(Desk& d, int screen) {
  Playdesk& p = d.playdesk();
  if (d.state.RunMode != 0) {
    p.Take(screen);
  } else {
    p.CurrentScreen = static_cast<int16_t>(screen);
    p.RecallScreen(screen);
  }
}

void CliFaderChanged(Desk& d, int fader) {
  const int16_t level = d.state.PlayFaderLevel[fader];
  if (fader < kPlayFaders && d.state.FaderFunctions[fader].Function == kFnSequence) d.playdesk().SequenceFader(fader, level);
  BcfFeedbackFader(d, kBcfPlayDesk, fader, level);
}

void CliChannelChanged(Desk& d, int channel) {
  BcfFeedbackFader(d, kBcfMainDesk, channel, d.state.DeskLevels[channel]);
}

}  // namespace lumora
