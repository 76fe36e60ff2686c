#include "app/options.h"

#include <iostream>
#include <string_view>

#include "core/version.h"

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
    } else if (a == "--remote" || a == "--remote-address" || a.rfind("--remote=", 0) == 0 ||
               a.rfind("--remote-address=", 0) == 0) {
      const bool inline_ = a.find('=') != std::string_view::npos;
      if (!inline_ && i + 1 >= argc) {
        o.error = std::string(a) + " needs a value";
        return o;
      }
      const std::string name(inline_ ? a.substr(0, a.find('=')) : a);
      const std::string value = inline_ ? std::string(a.substr(a.find('=') + 1)) : std::string(argv[++i]);
      if (name == "--remote-address") {
        o.remoteAddress = value;
      } else {
        const bool digits = !value.empty() && value.size() <= 5 && value.find_first_not_of("0123456789") == std::string::npos;
        o.remotePort = digits ? std::stoi(value) : 0;
        if (o.remotePort < 1 || o.remotePort > 65535) {
          o.error = "--remote needs a port from 1 to 65535";
          return o;
        }
      }
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
  if (!o.remoteAddress.empty() && o.remotePort == 0) o.error = "--remote-address needs --remote PORT";
  return o;
}

const char* UsageText() {
  return "usage: lumora [--headless] [--console] [--console-socket PATH] [--manual-clock] [--sim]\n"
         "              [--project FILE] [--artnet-address IPV4] [--demo] [--quiet]\n"
         "              [--remote PORT [--remote-address IP]]\n"
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
         "  --remote PORT     switch the web remote on at start, serving on PORT\n"
         "  --remote-address IP\n"
         "                    address the web remote serves on (default 127.0.0.1,\n"
         "                    this computer only; 0.0.0.0 for every network)\n"
         "  --quiet, -q       headless: no status lines on standard error\n"
         "  --ctl PATH ...    send console commands to a desk's socket (as lumora-ctl)\n"
         "  --version         print the version and exit\n"
         "  --help, -h        print this help and exit\n";
}

int AnswerWithoutDesk(ProgramOptions& opts) {
  if (opts.version && opts.error.empty()) {
    std::cout << "lumora " << LumoraVersion() << '\n';
    return 0;
  }
  if (opts.help) {
    std::cout << UsageText();
    return 0;
  }
  if (opts.error.empty() && !opts.consoleSocket.empty() && !opts.headless)
    opts.error = "--console-socket needs --headless";
  if (!opts.error.empty()) {
    std::cerr << "lumora: " << opts.error << '\n' << UsageText();
    return 2;
  }
  return -1;
}

}  // namespace lumora
