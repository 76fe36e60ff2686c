// The lumora command. It links no GUI library and none of the desk: it
// answers --version, --help, --ctl and option errors itself, and otherwise
// replaces itself (exec: the same process, so a service manager's or a
// script's signals reach the desk) by the program that was asked for:
// lumora-headless for --headless, the desk with its windows otherwise. A
// headless show therefore never pays for loading the window system.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>

#include "app/ctl/ctl_client.h"
#include "app/launch/sibling_program.h"
#include "app/options.h"

namespace {

// Execs `name` found by FindSiblingProgram with this process's arguments;
// returns the exit status for when it cannot: 127 when there is no such
// program, 126 when it is there but will not run (as a shell says it).
int ExecProgram(const char* name, const char* what, char** argv, bool keepArgv0) {
  const lumora::SiblingSearch s = lumora::FindSiblingProgram(name, lumora::OwnProgramPath());
  std::string failed;
  int failure = 0;
  for (const std::string& c : s.candidates) {
    if (access(c.c_str(), X_OK) != 0) continue;
    // The windows keep the name they were started by (the window class that
    // desktops match to lumora.desktop comes from it).
    if (!keepArgv0) argv[0] = const_cast<char*>(c.c_str());
    execv(c.c_str(), argv);
    if (failed.empty()) {
      failed = c;
      failure = errno;
    }
  }
  if (!failed.empty()) {
    std::cerr << "lumora: cannot start " << what << ": " << failed << ": " << std::strerror(failure) << '\n';
    return 126;
  }
  std::cerr << "lumora: cannot start " << what << ": " << name << " is not in ";
  for (std::size_t i = 0; i < s.folders.size(); ++i)
    std::cerr << (i == 0 ? "" : i + 1 == s.folders.size() ? " or " : ", ") << s.folders[i];
  std::cerr << '\n';
  return 127;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::string_view(argv[1]) == "--ctl") return lumora::RunCtl(argc - 1, argv + 1);
  lumora::ProgramOptions opts = lumora::ParseOptions(argc, argv);
  // Answered before any desk or window system starts: works anywhere.
  if (const int answered = lumora::AnswerWithoutDesk(opts); answered >= 0) return answered;
  if (opts.headless) return ExecProgram("lumora-headless", "the headless desk", argv, false);
#ifdef LUMORA_WINDOWS_PROGRAM
  return ExecProgram(LUMORA_WINDOWS_PROGRAM, "the desk's windows", argv, true);
#else
  std::cerr << "lumora: built without windows; use --headless\n";
  return 2;
#endif
}
