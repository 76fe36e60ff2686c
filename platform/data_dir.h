// Where the desk's shared data lives: the demo show and the fixture files.
#pragma once

#include <string>

namespace lumora {

// The first of: $LUMORA_DATA_DIR; <program dir>/../share/lumora (an
// installed desk, wherever its prefix is); <program dir>/share/lumora (the
// build tree, where the program sits at the top). "" when none is a folder.
std::string SharedDataDirectory();

// The same search for a given program folder and LUMORA_DATA_DIR value.
std::string FindSharedDataDirectory(const std::string& programDir, const char* envValue);

// The shipped demo show, "" when it is not there.
std::string DemoShowFile();

}  // namespace lumora
