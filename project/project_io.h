// Project file entry points used outside the project subsystem.
#pragma once

#include <string>

namespace lumora {

class Desk;

// Reads a project file into the desk as the LoadXML menu does (without its
// file dialog). Returns "" on success, else a short reason.
std::string LoadProjectFile(Desk& desk, const std::string& path);

}  // namespace lumora
