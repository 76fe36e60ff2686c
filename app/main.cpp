#include <iostream>

#include "app/headless_host.h"
#include "app/options.h"
#include "core/version.h"

namespace lumora {
int RunGui(const ProgramOptions& opts, int argc, char** argv);
}

int main(int argc, char** argv) {
  lumora::ProgramOptions opts = lumora::ParseOptions(argc, argv);
  // Answered before the window system or the desk starts: works anywhere.
  if (opts.version && opts.error.empty()) {
    std::cout << "lumora " << lumora::LumoraVersion() << '\n';
    return 0;
  }
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
