// The program's version: project(VERSION) of CMakeLists.txt, the one place
// it is set.
#pragma once

namespace lumora {

const char* LumoraVersion();

}  // namespace lumora
