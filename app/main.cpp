#include <iostream>

#include "app/headless_host.h"
#include "app/options.h"

namespace lumora {
int RunGui(const ProgramOptions& opts, int argc, char** argv);
}

int main(int argc, char** argv) {
  lumora::ProgramOptions opts = lumora::ParseOptions(argc, argv);
  if (opts.help) {
    std::cout << lumora::UsageText();
    return 0;
  }
  if (!opts.error.empty()) {
    std::cerr << "lumora: " << opts.error << '\n' << lumora::UsageText();
    return 2;
  }
  if (opts.headless) return lumora::RunHeadless(opts);
  return lumora::RunGui(opts, argc, argv);
}
