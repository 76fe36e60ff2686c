// Where the lumora command finds the program it hands over to.
#pragma once

#include <string>
#include <vector>

namespace lumora {

struct SiblingSearch {
  std::vector<std::string> folders;     // searched in this order, no repeats
  std::vector<std::string> candidates;  // each folder with the program's name
};

// The folders for program `name`, given the lumora command's own path:
// beside it (the build tree; lumora-headless when installed), then the
// helper folder of its own installation (<prefix>/libexec/lumora, reached
// from its own folder so that any prefix works), then the helper folder the
// build was configured for.
SiblingSearch FindSiblingProgram(const std::string& name, const std::string& selfPath);

// The running program's path ("" when unknown).
std::string OwnProgramPath();

}  // namespace lumora
