#include "app/options.h"

#include <string_view>

namespace lumora {

ProgramOptions ParseOptions(int argc, char** argv) {
  ProgramOptions o;
  for (int i = 1; i < argc; ++i) {
    std::string_view a = argv[i];
    if (a == "--headless") o.headless = true;
    else if (a == "--console") o.console = true;
    else if (a == "--manual-clock") o.manualClock = true;
    else if (a == "--sim") o.sim = true;
    else if (a == "--demo") o.demo = true;
    else if (a == "--quiet" || a == "-q") o.quiet = true;
    else if (a == "--help" || a == "-h") o.help = true;
    else if (a == "--version") o.version = true;
    else if (a == "--project" || a == "--artnet-address" || a == "--console-socket") {
      if (i + 1 >= argc) {
        o.error = std::string(a) + " needs a value";
        return o;
      }
      (a == "--project" ? o.project : a == "--console-socket" ? o.consoleSocket : o.artnetAddress) = argv[++i];
    } else if (a.rfind("--console-socket=", 0) == 0) {
      o.consoleSocket = std::string(a.substr(17));
    } else if (a.rfind("--project=", 0) == 0) {
      o.project = std::string(a.substr(10));
    } else if (a.rfind("--artnet-address=", 0) == 0) {
      o.artnetAddress = std::string(a.substr(17));
    } else if (a.rfind("--", 0) == 0 && a.size() > 2 && a.find('=') == std::string_view::npos &&
               a != "--platform") {
      o.error = "unknown option " + std::string(a);
      return o;
    } else {
      o.rest.emplace_back(a);
    }
  }
  return o;
}

const char* UsageText() {
  return "usage: lumora [--headless] [--console] [--console-socket PATH] [--manual-clock] [--sim]\n"
         "              [--project FILE] [--artnet-address IPV4] [--demo] [--quiet]\n"
         "              [--version] [--help]\n"
         "       lumora --ctl PATH [COMMAND...]\n"
         "  --headless        no window system; every window is a form model only. Without\n"
         "                    --console the show runs until SIGINT or SIGTERM (SIGHUP\n"
         "                    reloads the project), logging to standard error\n"
         "  --console         read console commands from standard input\n"
         "  --console-socket PATH\n"
         "                    (with --headless) serve the console on a Unix socket at PATH\n"
         "  --manual-clock    timers fire only through advance, tick and fire\n"
         "  --sim             simulated devices instead of real hardware\n"
         "  --project FILE    load FILE at start-up\n"
         "  --artnet-address  local IPv4 address the Art-Net node uses\n"
         "                    (default: $LUMORA_ARTNET_ADDRESS, else the first up,\n"
         "                    non-loopback interface)\n"
         "  --demo            start with the demo show\n"
         "  --quiet, -q       headless: no status lines on standard error\n"
         "  --ctl PATH ...    send console commands to a desk's socket (as lumora-ctl)\n"
         "  --version         print the version and exit\n"
         "  --help, -h        print this help and exit\n";
}

}  // namespace lumora
