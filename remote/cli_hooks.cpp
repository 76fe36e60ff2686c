#include "remote/cli_hooks.h"

#include "app/desk.h"

namespace lumora {

void CliScreenCall(Desk& d, int screen) {
  (void)d;
  (void)screen;
}

void CliFaderChanged(Desk& d, int fader) {
  (void)d;
  (void)fader;
}

void CliChannelChanged(Desk& d, int channel) {
  (void)d;
  (void)channel;
}

}  // namespace lumora
