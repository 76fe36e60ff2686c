// Writes the maximal show (every table full) as a project file, for the
// save soak script: write_maximal_show FILE
#include <cstdio>

#include "core/safe_file.h"
#include "project/project_format.h"
#include "tests/test_project_shows.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: write_maximal_show FILE\n");
    return 2;
  }
  lumora::DeskState s;
  lumora::testing::MaximalShow(s);
  // Runs offline: no device of the show is opened by whoever loads it.
  s.AdapterType = 0;
  s.BcfMode = 0;
  for (auto& port : s.ArtPorts) port.Enabled = 0;
  std::string err = lumora::WriteFileAtomically(argv[1], lumora::WriteWholeProject(s, "01/01/2027"));
  if (!err.empty()) {
    std::fprintf(stderr, "write_maximal_show: %s: %s\n", argv[1], err.c_str());
    return 1;
  }
  return 0;
}
