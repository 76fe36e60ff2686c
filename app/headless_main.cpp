// lumora-headless: the desk without windows, linked without any GUI library
// so that a show running as a service costs little memory. `lumora
// --headless` runs this program; it takes the same options.
#include <string_view>

#include "app/ctl/ctl_client.h"
#include "app/headless_host.h"
#include "app/options.h"

int main(int argc, char** argv) {
  if (argc >= 2 && std::string_view(argv[1]) == "--ctl") return lumora::RunCtl(argc - 1, argv + 1);
  lumora::ProgramOptions opts = lumora::ParseOptions(argc, argv);
  opts.headless = true;
  if (const int answered = lumora::AnswerWithoutDesk(opts); answered >= 0) return answered;
  return lumora::RunHeadless(opts);
}
