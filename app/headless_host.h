#pragma once

#include "app/options.h"

namespace lumora {

// Runs the desk without a window system, driven by the console on stdin.
int RunHeadless(const ProgramOptions& opts);

}  // namespace lumora
