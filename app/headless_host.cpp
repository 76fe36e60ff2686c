#include "app/headless_host.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <string>

#include "app/console.h"
#include "app/demo_show.h"
#include "app/desk.h"
#include "project/project_io.h"

namespace lumora {

namespace {
void printLines(const std::vector<std::string>& lines) {
  for (const auto& l : lines) std::cout << l << '\n';
  std::cout.flush();
}
}  // namespace

int RunHeadless(const ProgramOptions& opts) {
  ConsoleDialogs dialogs;
  DeskOptions dopts;
  dopts.manualClock = opts.manualClock;
  dopts.sim = opts.sim;
  dopts.artnetAddress = opts.artnetAddress;
  UseUserFolders(dopts);
  dopts.headless = true;
  Desk desk(dopts, dialogs);
  Console console(desk, dialogs);

  desk.Start();
  if (opts.demo) LoadDemoShow(desk);
  {
    std::string e = OpenStartupProject(desk, opts.project);
    if (!e.empty()) std::cerr << "lumora: " << opts.project << ": " << e << '\n';
  }
  // Anything a start-up dialog printed goes out before the first reply.
  printLines(dialogs.takeEvents());

  std::string pending;
  bool eof = false;
  while (!console.finished() && !desk.ended()) {
    // Real time: wait for input or the next timer, whichever comes first.
    int timeout = -1;
    if (!desk.scheduler().manual()) {
      if (auto due = desk.scheduler().nextDue()) {
        int64_t wait = *due - desk.scheduler().now();
        timeout = wait < 0 ? 0 : static_cast<int>(wait > 1000 ? 1000 : wait);
      } else {
        timeout = 1000;
      }
    }
    pollfd pfd{STDIN_FILENO, POLLIN, 0};
    int r = poll(&pfd, 1, timeout);
    if (r < 0 && errno != EINTR) break;
    if (r > 0) {
      char buf[4096];
      ssize_t n = read(STDIN_FILENO, buf, sizeof buf);
      if (n <= 0) eof = true;
      else pending.append(buf, static_cast<std::size_t>(n));
      std::size_t nl;
      while ((nl = pending.find('\n')) != std::string::npos) {
        std::string line = pending.substr(0, nl);
        pending.erase(0, nl + 1);
        printLines(console.execute(line));
        if (console.finished() || desk.ended()) break;
      }
      if (eof) {
        if (!pending.empty() && !console.finished() && !desk.ended()) printLines(console.execute(pending));
        break;
      }
    }
    if (!desk.scheduler().manual()) {
      desk.scheduler().runDue();
      printLines(dialogs.takeEvents());
    }
  }
  if (!desk.ended()) printLines(console.endOfInput());
  return 0;
}

}  // namespace lumora
