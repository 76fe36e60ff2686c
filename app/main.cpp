// lumora-gui: the desk with its windows, which the lumora command starts
// with its own arguments (a headless start goes to lumora-headless instead,
// so it never loads the window system). It takes the same options.
#include <string_view>

#include "app/ctl/ctl_client.h"
#include "app/headless_host.h"
#include "app/options.h"

namespace lumora {
int RunGui(const ProgramOptions& opts, int argc, char** argv);
}

int main(int argc, char** argv) {
  if (argc >= 2 && std::string_view(argv[1]) == "--ctl") return lumora::RunCtl(argc - 1, argv + 1);
  lumora::ProgramOptions opts = lumora::ParseOptions(argc, argv);
  // Answered before the window system or the desk starts: works anywhere.
  if (const int answered = lumora::AnswerWithoutDesk(opts); answered >= 0) return answered;
  // Started directly with --headless, it runs the desk headless itself.
  if (opts.headless) return lumora::RunHeadless(opts);
  return lumora::RunGui(opts, argc, argv);
}
