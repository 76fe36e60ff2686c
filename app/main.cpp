// The lumora program: the desk with its windows. `--headless` runs the
// desk without any window system in the lumora-headless program, which maps
// none of the GUI libraries; `--ctl` is the console's socket client.
#include <limits.h>
#include <unistd.h>

#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/ctl/ctl_client.h"
#include "app/headless_host.h"
#include "app/options.h"
#include "core/version.h"

namespace lumora {
int RunGui(const ProgramOptions& opts, int argc, char** argv);
}

namespace {

// Replaces this process by lumora-headless (beside this program, else in the
// installed helper folder) with the same arguments. Returns only when there
// is none: the desk then runs headless in this process.
void ExecHeadless(char** argv) {
  std::vector<std::string> candidates;
  char self[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n > 0) {
    std::string dir(self, static_cast<std::size_t>(n));
    dir.erase(dir.rfind('/') + 1);
    candidates.push_back(dir + "lumora-headless");
  }
#ifdef LUMORA_LIBEXEC_DIR
  candidates.push_back(std::string(LUMORA_LIBEXEC_DIR) + "/lumora-headless");
#endif
  for (const std::string& c : candidates) {
    if (access(c.c_str(), X_OK) != 0) continue;
    argv[0] = const_cast<char*>(c.c_str());
    execv(c.c_str(), argv);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::string_view(argv[1]) == "--ctl") return lumora::RunCtl(argc - 1, argv + 1);
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
  if (opts.error.empty() && !opts.consoleSocket.empty() && !opts.headless)
    opts.error = "--console-socket needs --headless";
  if (!opts.error.empty()) {
    std::cerr << "lumora: " << opts.error << '\n' << lumora::UsageText();
    return 2;
  }
  if (opts.headless) {
    ExecHeadless(argv);
    return lumora::RunHeadless(opts);
  }
  return lumora::RunGui(opts, argc, argv);
}
