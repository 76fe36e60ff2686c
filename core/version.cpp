#include "core/version.h"

namespace lumora {

const char* LumoraVersion() { return LUMORA_VERSION; }

}  // namespace lumora
