// The mix at the heart of the output tick: merges every level source per desk
// channel, applies the masters and follow flags, limits to 255 and patches
// the 64 channels onto the 512 slots of DmxFrame. No allocation, one pass.
#pragma once

#include <array>
#include <cstdint>

#include "core/desk_state.h"

namespace lumora {

// Control values of the masters as the faders deliver them (0 = top = full).
struct TickMasters {
  int channels = 0;  // main desk channel master
  int submix = 255;  // main desk submix master
  int playMain = 0;  // playback desk main fader (the grand master)
  int preset = 0;    // playback desk preset master, read in run mode only
};

// Computes the merged level of every desk channel into out[0..64] (out[64] = 0).
void MixChannels(const DeskState& s, const TickMasters& m, std::array<int16_t, 65>& out);

// Maps merged levels through the patch into DmxFrame (index 512 is left alone).
void PatchFrame(DeskState& s, const std::array<int16_t, 65>& out);

// Both of the above.
void MixFrame(DeskState& s, const TickMasters& m);

}  // namespace lumora
