#include <iostream>

#include "app/options.h"

namespace lumora {

int RunGui(const ProgramOptions&, int, char**) {
  std::cerr << "lumora: built without windows; use --headless\n";
  return 2;
}

}  // namespace lumora
