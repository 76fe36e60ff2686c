#include "app/ctl/ctl_client.h"

#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

namespace lumora {

namespace {

const char kUsage[] =
    "usage: lumora-ctl [--timeout SECONDS] PATH [COMMAND...]\n"
    "  Sends COMMAND (its words joined by blanks) to the desk whose console\n"
    "  socket is PATH and prints the reply lines. Without COMMAND, sends each\n"
    "  line of standard input in turn.\n"
    "  Exit status: 0 all answered ok, 1 a command answered err, 2 no connection.\n";

bool isFinal(const std::string& l) {
  return l == "ok" || l.rfind("ok ", 0) == 0 || l == "err" || l.rfind("err ", 0) == 0;
}

int64_t nowMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

class Connection {
 public:
  Connection(int fd, int64_t timeoutMs) : fd_(fd), timeoutMs_(timeoutMs) {}
  ~Connection() { close(fd_); }

  // Sends one command and prints every line up to its final one. Returns
  // 0 (ok), 1 (err) or 2 (connection lost or timed out).
  int command(const std::string& cmd) {
    const std::string line = cmd + "\n";
    std::size_t done = 0;
    while (done < line.size()) {
      const ssize_t n = send(fd_, line.data() + done, line.size() - done, MSG_NOSIGNAL);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        std::cerr << "lumora-ctl: connection lost: " << std::strerror(errno) << '\n';
        return 2;
      }
      done += static_cast<std::size_t>(n);
    }
    const int64_t deadline = timeoutMs_ > 0 ? nowMs() + timeoutMs_ : 0;
    for (;;) {
      std::size_t nl;
      while ((nl = buf_.find('\n')) != std::string::npos) {
        std::string l = buf_.substr(0, nl);
        buf_.erase(0, nl + 1);
        std::cout << l << '\n';
        if (isFinal(l)) {
          std::cout.flush();
          return l.rfind("ok", 0) == 0 ? 0 : 1;
        }
      }
      int wait = -1;
      if (deadline) {
        const int64_t left = deadline - nowMs();
        if (left <= 0) {
          std::cout.flush();
          std::cerr << "lumora-ctl: no reply within the timeout\n";
          return 2;
        }
        wait = static_cast<int>(left);
      }
      pollfd p{fd_, POLLIN, 0};
      const int r = poll(&p, 1, wait);
      if (r < 0 && errno == EINTR) continue;
      if (r == 0) continue;  // the deadline check above ends it
      char chunk[65536];
      const ssize_t n = recv(fd_, chunk, sizeof chunk, 0);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        std::cout.flush();
        std::cerr << "lumora-ctl: the desk closed the connection before replying\n";
        return 2;
      }
      buf_.append(chunk, static_cast<std::size_t>(n));
    }
  }

 private:
  int fd_;
  int64_t timeoutMs_;
  std::string buf_;
};

}  // namespace

int RunCtl(int argc, char** argv) {
  signal(SIGPIPE, SIG_IGN);
  int i = 1;
  int64_t timeoutMs = 0;
  while (i < argc && argv[i][0] == '-' && argv[i][1] == '-') {
    const std::string a = argv[i];
    if (a == "--help") {
      std::cout << kUsage;
      return 0;
    }
    if (a == "--timeout" && i + 1 < argc) {
      char* end = nullptr;
      const double s = std::strtod(argv[i + 1], &end);
      if (!end || *end || s < 0) {
        std::cerr << "lumora-ctl: bad timeout " << argv[i + 1] << '\n' << kUsage;
        return 2;
      }
      timeoutMs = static_cast<int64_t>(s * 1000);
      i += 2;
      continue;
    }
    std::cerr << "lumora-ctl: unknown option " << a << '\n' << kUsage;
    return 2;
  }
  if (i >= argc) {
    std::cerr << kUsage;
    return 2;
  }
  const std::string path = argv[i++];
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof addr.sun_path) {
    std::cerr << "lumora-ctl: bad socket path " << path << '\n';
    return 2;
  }
  std::memcpy(addr.sun_path, path.data(), path.size());
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0 || connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
    std::cerr << "lumora-ctl: cannot connect to " << path << ": " << std::strerror(errno) << '\n';
    if (fd >= 0) close(fd);
    return 2;
  }
  Connection conn(fd, timeoutMs);
  if (i < argc) {
    std::string cmd;
    for (; i < argc; ++i) {
      if (!cmd.empty()) cmd += ' ';
      cmd += argv[i];
    }
    if (cmd.find('\n') != std::string::npos) {
      std::cerr << "lumora-ctl: a command is one line\n";
      return 2;
    }
    return conn.command(cmd);
  }
  int status = 0;
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const int r = conn.command(line);
    if (r == 2) return 2;
    if (r == 1) status = 1;
  }
  return status;
}

}  // namespace lumora
