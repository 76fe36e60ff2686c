// The levels the play desk's assignable buttons and faders produce, from a
// set of button states and fader levels: the live ones (FunctionLevels) or a
// screen's stored ones (ScreenFunctionLevels).
#pragma once

#include <array>
#include <cstdint>

#include "core/desk_state.h"

namespace lumora {

// All buttons first (presets and colours assign, submixes by highest level),
// then all faders (everything by highest level, scaled by the fader).
void ComputeFunctionLevels(const DeskState& s, const std::array<int16_t, 81>& buttons,
                           const std::array<int16_t, 61>& faders, std::array<int16_t, 64>& out);

}  // namespace lumora
