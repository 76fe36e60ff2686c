// lumora-headless: the desk without windows, linked without any GUI library
// so that a show running as a service costs little memory. `lumora
// --headless` runs this program; it takes the same options.
#include <iostream>
#include <string_view>

#include "app/ctl/ctl_client.h"
#include "app/headless_host.h"
#include "app/options.h"
#include "core/version.h"

int main(int argc, char** argv) {
  if (argc >= 2 && std::string_view(argv[1]) == "--ctl") return lumora::RunCtl(argc - 1, argv + 1);
  lumora::ProgramOptions opts = lumora::ParseOptions(argc, argv);
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
  opts.headless = true;
  return lumora::RunHeadless(opts);
}
