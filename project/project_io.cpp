#include "project/project_io.h"

#include "app/desk.h"

namespace lumora {

std::string LoadProjectFile(Desk& desk, const std::string& path) {
  (void)desk;
  (void)path;
  return "the project reader is not available yet";
}

}  // namespace lumora
