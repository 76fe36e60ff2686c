// Command-line options of the lumora program.
#pragma once

#include <string>
#include <vector>

namespace lumora {

struct ProgramOptions {
  bool headless = false;
  bool console = false;
  bool manualClock = false;
  bool sim = false;
  bool demo = false;  // start with the demo show
  bool quiet = false;  // headless service: no status lines on stderr
  std::string project;
  std::string artnetAddress;  // local IPv4 address for Art-Net (overrides LUMORA_ARTNET_ADDRESS)
  std::string consoleSocket;  // Unix socket path the console listens on ("" = none)
  int remotePort = 0;         // web remote: serve on this port at start (0 = off)
  std::string remoteAddress;  // web remote: address to serve on ("" = 127.0.0.1)
  std::vector<std::string> rest;  // left for the GUI toolkit
  std::string error;
  bool help = false;
  bool version = false;  // print the version and exit, before any window system
};

ProgramOptions ParseOptions(int argc, char** argv);
const char* UsageText();
// Answers what needs no desk: --version, --help and option errors (printed
// as the program's own answer). Returns the exit status when answered, else
// -1: the program goes on to start the desk.
int AnswerWithoutDesk(ProgramOptions& opts);

}  // namespace lumora
